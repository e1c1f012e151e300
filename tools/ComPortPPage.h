// The page of the communication settings sheet with the serial line
// settings: baud rate, data bits, parity, stop bits and flow control, kept
// as positions in the record's choice tables.
#pragma once

#include "platform/ui/ComboBox.h"
#include "platform/ui/PropertySheet.h"

struct commsettag;

class CComPortPPage : public CPropertyPage {
public:
    CComPortPPage();

    // The port the caller chose (shown), and the record the page edits.
    void SetPortText(const CString& strPort) { m_strPortName = strPort; }
    void SetCommSet(commsettag* pCommSet) { m_pCommSet = pCommSet; }

    BOOL OnInitDialog() override;
    // The sheet closed with OK: each list's position goes into its field
    // (-1 for a list without a selection).
    void OnOK() override;

private:
    CString m_strPortName;
    commsettag* m_pCommSet = nullptr;
};

// The second page: it only shows its template.
class CAsciiPPage : public CPropertyPage {
public:
    CAsciiPPage();
};
