#include "tools/ComPortPPage.h"

#include "tools/ControlUtility.h"

#include "resources/tools/ZeblLangLib_ids.h"

#include "comm/CommSettings.h"

namespace {

const LPCWSTR kBaudRates[] = {u"300",   u"600",   u"1200",   u"2400",   u"4800", u"9600",
                              u"19200", u"38400", u"57600", u"115200", u"230400", nullptr};
const LPCWSTR kDataBits[] = {u"7", u"8", nullptr};
const LPCWSTR kStopBits[] = {u"1", u"2", nullptr};

// A field is a position; the lists take it as a 16-bit number, as the
// record's users do.
int ListIndex(std::int32_t field) { return static_cast<WORD>(field); }

void FillFromStrings(CComboBox* pCombo, const UINT (&ids)[3], std::int32_t field)
{
    CString texts[3];
    LPCWSTR list[4] = {};
    for (int i = 0; i < 3; ++i) {
        texts[i].LoadString(ids[i]);
        list[i] = texts[i].GetString();
    }
    FillComboBox(pCombo, list, ListIndex(field));
}

}  // namespace

CComPortPPage::CComPortPPage() : CPropertyPage(IDD_COM_PORT_PAGE) {}

BOOL CComPortPPage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    SetDlgItemText(IDC_PORT_NAME, m_strPortName);
    if (!m_pCommSet) return TRUE;
    auto combo = [this](int id) { return static_cast<CComboBox*>(GetDlgItem(id)); };
    FillComboBox(combo(IDC_PORT_BAUD_RATE), kBaudRates, ListIndex(m_pCommSet->nBaudRate));
    FillComboBox(combo(IDC_PORT_DATA_BITS), kDataBits, ListIndex(m_pCommSet->nDataBit));
    FillFromStrings(combo(IDC_PORT_PARITY), {IDS_PARITY_ODD, IDS_PARITY_EVEN, IDS_PARITY_NONE}, m_pCommSet->nParityBit);
    FillComboBox(combo(IDC_PORT_STOP_BITS), kStopBits, ListIndex(m_pCommSet->nStopBit));
    FillFromStrings(combo(IDC_PORT_FLOW_CONTROL), {IDS_FLOW_XONXOFF, IDS_FLOW_HARDWARE, IDS_FLOW_NONE},
                    m_pCommSet->nFlowControl);
    return TRUE;
}

void CComPortPPage::OnOK()
{
    if (m_pCommSet && GetSafeHwnd()) {
        auto selection = [this](int id) { return static_cast<std::int32_t>(SendDlgItemMessage(id, CB_GETCURSEL)); };
        m_pCommSet->nBaudRate = selection(IDC_PORT_BAUD_RATE);
        m_pCommSet->nDataBit = selection(IDC_PORT_DATA_BITS);
        m_pCommSet->nParityBit = selection(IDC_PORT_PARITY);
        m_pCommSet->nStopBit = selection(IDC_PORT_STOP_BITS);
        m_pCommSet->nFlowControl = selection(IDC_PORT_FLOW_CONTROL);
    }
    CPropertyPage::OnOK();
}

CAsciiPPage::CAsciiPPage() : CPropertyPage(IDD_ASCII_PAGE) {}
