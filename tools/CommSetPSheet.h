// The communication settings sheet: the serial line settings of a link
// record that the caller owns and copies back itself.
//
//   commsettag record;
//   link.GetCommSet(&record);
//   CCommSetPSheet sheet;                       // no parent, port page first
//   if (sheet.Initialize(u"COM3", &record) && sheet.DoModal() == IDOK)
//       link.SetCommSet(&record);
#pragma once

#include "tools/ToolsLibrary.h"

#include "platform/ui/PropertySheet.h"

struct commsettag;
class CComPortPPage;
class CAsciiPPage;

class CCommSetPSheet : public CPropertySheet {
public:
    explicit CCommSetPSheet(CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);
    ~CCommSetPSheet() override;

    // Swaps the language library in and builds the pages for the port text
    // and the record; 0 when the library is missing (its message shown).
    BOOL Initialize(const CString& strText, commsettag* pCommSet);
    BOOL OnInitDialog() override;

private:
    CLangLibrarySwap m_lang;
    CComPortPPage* m_pPortPage = nullptr;
    CAsciiPPage* m_pAsciiPage = nullptr;
};
