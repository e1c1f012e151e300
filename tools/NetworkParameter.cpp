#include "tools/NetworkParameter.h"

#include "tools/CommMsgDlg.h"
#include "tools/CommandSession.h"
#include "tools/TextUtility.h"

#include "resources/tools/ZeblLangLib_ids.h"

#include "comm/CommManager.h"

#include "platform/ui/Edit.h"

namespace {

constexpr UINT WM_SHOW_OPENING_MESSAGE = WM_APP + 0x101;

int HexDigit(char16_t ch)
{
    if (ch >= u'0' && ch <= u'9') return ch - u'0';
    if (ch >= u'a' && ch <= u'f') ch = static_cast<char16_t>(ch - u'a' + u'A');
    if (ch >= u'A' && ch <= u'F') return ch - u'A' + 10;
    return -1;
}

// One part of a dotted address: at most three digits, 0 to 255, empty is 0.
bool DottedPart(const CString& part, int& value)
{
    if (part.GetLength() > 3) return false;
    value = 0;
    for (int i = 0; i < part.GetLength(); ++i) {
        if (part[i] < u'0' || part[i] > u'9') return false;
        value = value * 10 + (part[i] - u'0');
    }
    return value <= 255;
}

CString LoadText(UINT id)
{
    CString text;
    text.LoadString(id);
    return text;
}

}  // namespace

int HexToDotted(const CString& strHex, CString& strDotted)
{
    int bytes[4] = {};
    for (int pair = 0; pair < 4; ++pair) {
        const int at = pair * 2;
        if (at >= strHex.GetLength()) {
            strDotted.Empty();
            return -1;
        }
        const int high = HexDigit(strHex[at]);
        const int low = at + 1 < strHex.GetLength() ? HexDigit(strHex[at + 1]) : 0;
        if (high < 0 || low < 0) {
            strDotted.Empty();
            return -1;
        }
        bytes[pair] = high * 16 + low;
    }
    strDotted.Format(u"%d.%d.%d.%d", bytes[0], bytes[1], bytes[2], bytes[3]);
    return 0;
}

int DottedToHex(const CString& strDotted, CString& strHex)
{
    CString rest = strDotted;
    CString hex;
    for (int part = 0; part < 4; ++part) {
        // The first three parts must each end at a full stop.
        if (part < 3 && rest.Find(u'.') < 0) return -1;
        int value = 0;
        if (!DottedPart(SplitHead(rest, u'.'), value)) return -1;
        CString digits;
        digits.Format(u"%02x", value);
        hex += digits;
    }
    if (!rest.IsEmpty()) return -1;
    strHex = hex;
    return 0;
}

BEGIN_MESSAGE_MAP(CNetworkParameter, CDialog)
    ON_WM_SHOWWINDOW()
    ON_MESSAGE(WM_SHOW_OPENING_MESSAGE, &CNetworkParameter::OnShowOpeningMessage)
    ON_MESSAGE(WM_COMM_LINK_EVENT, &CNetworkParameter::OnCommNotify)
END_MESSAGE_MAP()

CNetworkParameter::CNetworkParameter(CString& strIPAddress, CString& strSubnetMask, CString& strGateway,
                                     CWnd* pParent)
    : CDialog(IDD_NETWORK_PARAMETER, pParent),
      m_strCallerIP(strIPAddress),
      m_strCallerMask(strSubnetMask),
      m_strCallerGateway(strGateway)
{
}

CNetworkParameter::~CNetworkParameter()
{
    if (GetSafeHwnd() && ::IsWindow(GetSafeHwnd())) DestroyWindow();
    if (m_bAttached && m_pCommManager) m_pCommManager->AttatchWnd(m_hPrevWnd);
}

INT_PTR CNetworkParameter::DoModal()
{
    if (!m_lang.Load()) return 0;
    return CDialog::DoModal();
}

void CNetworkParameter::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_NET_IP_ADDRESS, NewNameBox);
    DDX_Control(pDX, IDC_NET_SUBNET_MASK, NewNameBox1);
    DDX_Control(pDX, IDC_NET_GATEWAY, NewNameBox2);
    DDX_Text(pDX, IDC_NET_IP_ADDRESS, m_strIPAddress);
    DDX_Text(pDX, IDC_NET_SUBNET_MASK, m_strSubnetMask);
    DDX_Text(pDX, IDC_NET_GATEWAY, m_strGateway);
}

BOOL CNetworkParameter::OnInitDialog()
{
    struct Value {
        const CString& caller;
        CString& edited;
        const char16_t* fallback;
        UINT note;
    };
    const Value values[] = {
        {m_strCallerIP, m_strIPAddress, u"192.168.0.1", IDS_IP_DEFAULTED},
        {m_strCallerMask, m_strSubnetMask, u"255.255.255.0", IDS_MASK_DEFAULTED},
        {m_strCallerGateway, m_strGateway, u"192.168.0.254", IDS_GATEWAY_DEFAULTED},
    };
    CString notes[3];
    bool anyFailed = false;
    for (int i = 0; i < 3; ++i) {
        if (HexToDotted(values[i].caller, values[i].edited) != 0) {
            values[i].edited = values[i].fallback;
            notes[i] = LoadText(values[i].note);
            anyFailed = true;
        }
    }
    if (anyFailed) {
        m_strOpeningMessage.Format(u"%s\n%s%s%s", LoadText(IDS_NETWORK_DEFAULTED).GetString(), notes[0].GetString(),
                                   notes[1].GetString(), notes[2].GetString());
    }
    CDialog::OnInitDialog();
    if (m_pCommManager) {
        m_hPrevWnd = m_pCommManager->DetatchWnd();
        m_pCommManager->AttatchWnd(GetSafeHwnd());
        m_bAttached = true;
    }
    return TRUE;
}

void CNetworkParameter::OnShowWindow(BOOL bShow, UINT nStatus)
{
    CDialog::OnShowWindow(bShow, nStatus);
    // Shown once the window is up, each time it is shown.
    if (bShow && !m_strOpeningMessage.IsEmpty()) PostMessage(WM_SHOW_OPENING_MESSAGE);
}

LRESULT CNetworkParameter::OnShowOpeningMessage(WPARAM, LPARAM)
{
    if (!m_strOpeningMessage.IsEmpty()) AfxMessageBox(m_strOpeningMessage, MB_OK | MB_ICONEXCLAMATION);
    return 0;
}

LRESULT CNetworkParameter::OnCommNotify(WPARAM, LPARAM lParam)
{
    return m_reply.OnCommNotify(m_pCommManager, lParam, m_nNodeNo);
}

int CNetworkParameter::SetIPAddress(const CString& strDotted, int nItem)
{
    if (!m_pCommManager || !m_pCommManager->IsOpen()) return 0;
    m_pCommManager->SendData(u"\r\n");
    CString hex;
    if (DottedToHex(strDotted, hex) != 0) return 0;
    CCommandSession session = m_reply.MakeSession(m_pCommManager);
    return session.WriteComParam(m_nNodeNo, nItem, hex);
}

int CNetworkParameter::GetIPAddress(int nItem, CString& strAnswer)
{
    CCommandSession session = m_reply.MakeSession(m_pCommManager);
    return session.ReadComParam(m_nNodeNo, nItem, strAnswer);
}

void CNetworkParameter::OnOK()
{
    if (!UpdateData(TRUE)) return;
    struct Value {
        const CString& edited;
        CString& caller;
        int item;
        UINT failure;
        int control;
    };
    const Value values[] = {
        {m_strIPAddress, m_strCallerIP, kItemIPAddress, IDS_IP_WRITE_FAILED, IDC_NET_IP_ADDRESS},
        {m_strSubnetMask, m_strCallerMask, kItemSubnetMask, IDS_MASK_WRITE_FAILED, IDC_NET_SUBNET_MASK},
        {m_strGateway, m_strCallerGateway, kItemGateway, IDS_GATEWAY_WRITE_FAILED, IDC_NET_GATEWAY},
    };
    bool changed[3];
    bool anyChanged = false;
    for (int i = 0; i < 3; ++i) {
        CString before;
        HexToDotted(values[i].caller, before);
        changed[i] = values[i].edited != before;
        anyChanged = anyChanged || changed[i];
    }
    if (!anyChanged) {
        EndDialog(IDOK);
        return;
    }
    // A value that is no address is refused before anything is written or
    // handed back, so no half of the change goes anywhere.
    for (int i = 0; i < 3; ++i) {
        CString hex;
        if (changed[i] && DottedToHex(values[i].edited, hex) != 0) {
            AfxMessageBox(values[i].failure, MB_OK | MB_ICONEXCLAMATION);
            if (CWnd* edit = GetDlgItem(values[i].control)) {
                edit->SetFocus();
                edit->SendMessage(EM_SETSEL, 0, -1);
            }
            return;
        }
    }

    const bool online = m_pCommManager && m_pCommManager->IsOpen();
    CString question;
    question.Format(u"%s\n", LoadText(online ? IDS_NETWORK_WRITE_ASK : IDS_NETWORK_OFFLINE_ASK).GetString());
    const int answer = AfxMessageBox(question, MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == IDCANCEL) return;
    if (answer != IDYES) {
        EndDialog(IDOK);
        return;
    }

    if (!online) {
        // Kept in the caller's data until it can be written.
        for (int i = 0; i < 3; ++i) {
            CString hex;
            if (changed[i] && DottedToHex(values[i].edited, hex) == 0) values[i].caller = hex;
        }
        AfxMessageBox(IDS_NETWORK_KEPT, MB_OK | MB_ICONINFORMATION);
        EndDialog(IDOK);
        return;
    }

    ShowCommMessage(this, IDS_WAIT_COMMUNICATING);
    for (int i = 0; i < 3; ++i) {
        if (!changed[i]) continue;
        if (!SetIPAddress(values[i].edited, values[i].item)) {
            HideCommMessage();
            AfxMessageBox(values[i].failure, MB_OK | MB_ICONEXCLAMATION);
            return;
        }
        CString hex;
        DottedToHex(values[i].edited, hex);
        values[i].caller = hex;
    }
    HideCommMessage();
    AfxMessageBox(IDS_NETWORK_WRITTEN, MB_OK | MB_ICONINFORMATION);
    EndDialog(IDOK);
}
