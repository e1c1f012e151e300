#include "tools/KXContInitDlg.h"

#include "tools/CommMsgDlg.h"
#include "tools/CommSetPSheet.h"
#include "tools/CommandSession.h"
#include "tools/ControlUtility.h"
#include "tools/MessagePump.h"
#include "tools/TextUtility.h"

#include "resources/tools/ZeblLangLib_ids.h"

#include "comm/CommManager.h"

#include "platform/core/Time.h"
#include "platform/ui/Button.h"
#include "platform/ui/Menu.h"

namespace {

CString LoadText(UINT id)
{
    CString text;
    text.LoadString(id);
    return text;
}

// The leading decimal number of a text; -1 when it does not begin with a digit.
int LeadingNumber(const CString& text)
{
    int value = -1;
    for (int i = 0; i < text.GetLength() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        value = (value < 0 ? 0 : value) * 10 + (text[i] - u'0');
        if (value > 100000) break;
    }
    return value;
}

// The revision code of the two-letter models: nothing after the letters 1,
// "2" 2, anything else 0.
int TwoLetterRevision(const CString& strType)
{
    CString rest = strType.Mid(2);
    rest.Trim();
    if (rest.IsEmpty()) return 1;
    return rest == u"2" ? 2 : 0;
}

// The text after the first equals sign of the first line; false when that
// line has none.
bool FirstLineValue(const CString& answer, CString& value)
{
    int end = answer.Find(u'\r');
    if (end < 0) end = answer.GetLength();
    const CString line = answer.Left(end);
    const int equals = line.Find(u'=');
    if (equals < 0) return false;
    value = line.Mid(equals + 1);
    value.Trim();
    return true;
}

// The areas in the order they are initialised, by their check box.
struct AreaStep {
    int checkIndex;
    int area;
};
constexpr AreaStep kAreaOrder[] = {
    {0, CKXContInitDlg::kAreaPoints}, {1, CKXContInitDlg::kAreaRecords}, {2, CKXContInitDlg::kAreaComm},
    {3, CKXContInitDlg::kAreaTimes},  {4, CKXContInitDlg::kAreaTrips},
};

}  // namespace

ControllerCodes ControllerCodesOf(const CString& strType)
{
    ControllerCodes codes;
    // Codes that play no part for a model stay non-zero.
    codes.nRevCode = 1;
    if (strType.IsEmpty()) return codes;
    const char16_t first = strType[0];
    if (first == u'Q' || first == u'V') {
        codes.nTypeCode = first == u'Q' ? 1 : 2;
        switch (LeadingNumber(strType.Mid(1))) {
        case 5: codes.nCurCode = 1; break;
        case 10: codes.nCurCode = 2; break;
        case 20: codes.nCurCode = 3; break;
        default: codes.nCurCode = 0; break;
        }
        return codes;
    }
    if (first == u'L' && strType.GetLength() >= 2) {
        const char16_t second = strType[1];
        if (second == u'C') {
            codes.nTypeCode = 5;
            codes.nCurCode = 4;
            return codes;
        }
        codes.nTypeCode = second == u'B' ? 4 : 3;
        codes.nCurCode = 4;
        codes.nRevCode = TwoLetterRevision(strType);
        return codes;
    }
    return codes;
}

CString GetSuitableContName(int nBrandCode, int nTypeCode, int nCurCode, int nRevCode)
{
    if (nBrandCode == 0 || nTypeCode == 0 || nCurCode == 0 || nRevCode == 0) return u"INVALID";
    if (nCurCode != 1 && nCurCode != 4) return u"UNKNOWN";
    switch (nTypeCode) {
    case 1: return u"N2*";
    case 3: return u"N1";
    case 4: return u"N3";
    default: return u"UNKNOWN";
    }
}

BEGIN_MESSAGE_MAP(CKXContInitDlg, CDialog)
    ON_BN_CLICKED(IDC_INIT_CONNECT, &CKXContInitDlg::OnConnect)
    ON_BN_CLICKED(IDC_INIT_DISCONNECT, &CKXContInitDlg::OnDisconnect)
    ON_BN_CLICKED(IDC_INIT_COMM_SETTINGS, &CKXContInitDlg::OnCommSettings)
    ON_BN_CLICKED(IDC_INIT_SET_CONTROLLER, &CKXContInitDlg::OnSetController)
    ON_BN_CLICKED(IDC_INIT_CLOSE, &CKXContInitDlg::OnClose21463)
    ON_CBN_SELCHANGE(IDC_INIT_NODE_LIST, &CKXContInitDlg::OnNodeSelChange)
    ON_WM_SHOWWINDOW()
    ON_MESSAGE(CKXContInitDlg::WM_GET_CONT_INFO, &CKXContInitDlg::OnGetContInfo)
    ON_MESSAGE(WM_COMM_LINK_EVENT, &CKXContInitDlg::OnCommNotify)
END_MESSAGE_MAP()

CKXContInitDlg::CKXContInitDlg(CWnd* pParent) : CDialog(IDD_KX_CONT_INIT, pParent) {}

CKXContInitDlg::~CKXContInitDlg()
{
    if (GetSafeHwnd() && ::IsWindow(GetSafeHwnd())) DestroyWindow();
    if (m_bOwnLink) delete m_pCommManager;
    m_pCommManager = nullptr;
    if (m_bAttachedToCaller && m_pCallerLink) m_pCallerLink->AttatchWnd(m_hPrevWnd);
}

INT_PTR CKXContInitDlg::DoModal()
{
    if (!m_lang.Load()) return 0;
    return CDialog::DoModal();
}

void CKXContInitDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_INIT_PORT_LIST, m_PortList);
    DDX_Control(pDX, IDC_INIT_NODE_LIST, m_NodeList);
    DDX_Check(pDX, IDC_INIT_AREA_PNT, m_areas[0]);
    DDX_Check(pDX, IDC_INIT_AREA_REC, m_areas[1]);
    DDX_Check(pDX, IDC_INIT_AREA_COMW, m_areas[2]);
    DDX_Check(pDX, IDC_INIT_AREA_TIME, m_areas[3]);
    DDX_Check(pDX, IDC_INIT_AREA_TRIP, m_areas[4]);
}

void CKXContInitDlg::EnableControl(int nId, BOOL bEnable)
{
    if (CWnd* control = GetDlgItem(nId)) control->EnableWindow(bEnable);
}

void CKXContInitDlg::ShowControl(int nId, BOOL bShow)
{
    if (CWnd* control = GetDlgItem(nId)) control->ShowWindow(bShow ? SW_SHOW : SW_HIDE);
}

void CKXContInitDlg::EnableSystemClose(BOOL bEnable)
{
    if (CMenu* menu = GetSystemMenu(FALSE)) menu->EnableMenuItem(SC_CLOSE, MF_BYCOMMAND | (bEnable ? MF_ENABLED : MF_GRAYED));
}

BOOL CKXContInitDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    for (int node = 1; node <= kNodeCount; ++node) {
        CString text;
        text.Format(u"%d", node);
        m_NodeList.AddString(text);
    }
    m_NodeList.SetCurSel(0);
    NodeListSelChangeProc();
    EnableControl(IDC_INIT_NODE_LIST, FALSE);
    EnableControl(IDC_INIT_CONTROLLER_TEXT, FALSE);
    EnableControl(IDC_INIT_TYPE_TEXT, FALSE);
    EnableControl(IDC_INIT_MODEL_NAME, FALSE);

    m_pCallerLink = m_pCommManager;
    if (m_pCallerLink) {
        m_hPrevWnd = m_pCallerLink->DetatchWnd();
        m_bAttachedToCaller = true;
    }
    if (!m_pCallerLink || !m_pCallerLink->IsOpen()) {
        m_pCommManager = new CCommManager;
        m_pCommManager->Initialize();
        m_bOwnLink = TRUE;
    }
    m_pCommManager->AttatchWnd(GetSafeHwnd());

    if (!m_pCommManager->IsOpen()) {
        GetAvailablePort();
        ChangeStatusOnConnect(FALSE);
    } else {
        // The caller's link belongs to the caller: this dialog may use it but
        // never close it behind the caller's back.
        EnableControl(IDC_INIT_CONNECT, FALSE);
        ShowControl(IDC_INIT_DISCONNECT, FALSE);
        DisplayConnectionInfo();
        m_bCallerLink = TRUE;
    }
    m_nBrand = kBrand;
    UpdateData(FALSE);
    return TRUE;
}

void CKXContInitDlg::OnShowWindow(BOOL bShow, UINT nStatus)
{
    CDialog::OnShowWindow(bShow, nStatus);
    // An open link is scanned at once.
    if (bShow && m_bCallerLink && !m_bScanPosted) {
        m_bScanPosted = true;
        PostMessage(WM_GET_CONT_INFO);
    }
}

void CKXContInitDlg::OnCancel()
{
    if (m_bBusy) return;
    EndDialog(1);
}

void CKXContInitDlg::OnClose21463()
{
    if (m_bBusy) return;
    EndDialog(0);
}

LRESULT CKXContInitDlg::OnCommNotify(WPARAM, LPARAM lParam)
{
    if (LOWORD(lParam) == LINK_EVENT_CLOSE) {
        OnLinkClosed();
        return 0;
    }
    return m_reply.OnCommNotify(m_pCommManager, lParam, m_nCurrentNode);
}

void CKXContInitDlg::OnLinkClosed()
{
    GetAvailablePort();
    ChangeStatusOnConnect(FALSE);
}

void CKXContInitDlg::CloseOwnLink()
{
    // The link's own close path takes only its own events; the dialog closes
    // it and then does what the closed event would have done.
    if (m_pCommManager) m_pCommManager->Close();
    OnLinkClosed();
}

void CKXContInitDlg::GetAvailablePort()
{
    if (!m_pCommManager) {
        AfxMessageBox(u"Invalid CommManager", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    commsettag record;
    m_pCommManager->GetCommSet(&record);
    m_bPortsAvailable = FillComPortList(&m_PortList, record.wMaxComPort, record.nComPort);
}

void CKXContInitDlg::OnConnect()
{
    if (!m_pCommManager || m_bBusy) return;
    EnableControl(IDC_INIT_CONNECT, FALSE);
    EnableControl(IDC_INIT_CLOSE, FALSE);
    commsettag record;
    m_pCommManager->GetCommSet(&record);
    record.nPortType = PORT_SERIAL;
    bool opened = false;
    if (m_bPortsAvailable) {
        CString entry;
        const int index = m_PortList.GetCurSel();
        if (index >= 0) m_PortList.GetLBText(index, entry);
        const int port = ComPortNumberOf(entry);
        if (port > 0) {
            record.nComPort = port;
            m_pCommManager->SetCommSet(&record);
            opened = m_pCommManager->Open() == 1;
        }
    }
    if (opened) {
        PostMessage(WM_GET_CONT_INFO);
    } else {
        m_pCommManager->Close();
        AfxMessageBox(u"Cannot create connection", MB_OK | MB_ICONEXCLAMATION);
    }
    EnableControl(IDC_INIT_CONNECT, TRUE);
    EnableControl(IDC_INIT_CLOSE, TRUE);
}

void CKXContInitDlg::OnDisconnect()
{
    if (!m_pCommManager || m_bBusy || m_bCallerLink) return;
    ResetNodes();
    CloseOwnLink();
    NodeListSelChangeProc();
}

void CKXContInitDlg::OnCommSettings()
{
    if (!m_pCommManager) return;
    commsettag record;
    m_pCommManager->GetCommSet(&record);
    CString port;
    const int index = m_PortList.GetCurSel();
    if (index >= 0) m_PortList.GetLBText(index, port);
    CCommSetPSheet sheet;
    if (!sheet.Initialize(port, &record)) return;
    if (sheet.DoModal() == IDOK) m_pCommManager->SetCommSet(&record);
}

void CKXContInitDlg::ResetNodes()
{
    for (NodeEntry& entry : m_nodes) entry = NodeEntry{};
}

bool CKXContInitDlg::WaitUntilReady()
{
    const DWORD start = GetTickCount();
    while (m_pCommManager && m_pCommManager->IsOpen() && !m_pCommManager->IsReady()) {
        if (GetTickCount() - start >= kReadyWaitMs) return false;
        PumpAllMessages();
        Sleep(1);
    }
    return m_pCommManager && m_pCommManager->IsReady();
}

LRESULT CKXContInitDlg::OnGetContInfo(WPARAM, LPARAM)
{
    if (m_bBusy) return 0;
    m_bBusy = TRUE;
    EnableControl(IDC_INIT_CLOSE, FALSE);
    EnableControl(IDC_INIT_PORT_LIST, FALSE);
    if (!m_bCallerLink) {
        EnableControl(IDC_INIT_CONNECT, FALSE);
        EnableControl(IDC_INIT_DISCONNECT, FALSE);
    }
    EnableSystemClose(FALSE);
    ShowCommMessage(this, IDS_WAIT_SCAN);

    int result = 0;
    if (WaitUntilReady()) result = GetContInfoAll();
    if (!result && !m_bCallerLink) CloseOwnLink();

    HideCommMessage();
    EnableControl(IDC_INIT_CLOSE, TRUE);
    EnableControl(IDC_INIT_PORT_LIST, TRUE);
    if (!m_bCallerLink) {
        EnableControl(IDC_INIT_CONNECT, TRUE);
        EnableControl(IDC_INIT_DISCONNECT, TRUE);
    }
    EnableSystemClose(TRUE);
    if (!result) {
        AfxMessageBox(IDS_NO_CONTROLLER_FOUND, MB_OK | MB_ICONEXCLAMATION);
    } else {
        NodeListSelChangeProc();
        DisplayConnectionInfo();
    }
    ChangeStatusOnConnect(result ? TRUE : FALSE);
    m_bBusy = FALSE;
    return 0;
}

int CKXContInitDlg::GetContInfoAll()
{
    if (!m_pCommManager || !m_pCommManager->IsOpen()) return 0;
    m_nCurrentNode = 0;
    CCommandSession session = m_reply.MakeSession(m_pCommManager);
    CString answer;
    if (!session.GetCont(0, answer) || answer.Find(u'\r') < 0) return 0;

    int stored = 0;
    while (answer.Find(u'\r') >= 0) {
        const CString line = CutTokenTo(answer, u'\r', 0);
        if (line.Find(u"OK.") >= 0) continue;
        // A node's answer names it between its first full stop and its first
        // equals sign; echoes, blank lines and other nodes' noise do not.
        const int dot = line.Find(u'.');
        const int equals = line.Find(u'=');
        if (dot < 0 || equals <= dot + 1) continue;
        const CString number = line.Mid(dot + 1, equals - dot - 1);
        const int node = LeadingNumber(number);
        if (node < 1 || node > kNodeCount) continue;
        CString controller = line.Mid(equals + 1);
        controller.Trim();

        m_nCurrentNode = node;
        CString typeAnswer;
        CString type;
        if (!session.GetType(node, typeAnswer) || !FirstLineValue(typeAnswer, type)) break;
        NodeEntry& entry = m_nodes[static_cast<std::size_t>(node - 1)];
        entry.nNode = node;
        entry.strController = controller;
        entry.strType = type;
        ++stored;
    }
    m_nCurrentNode = 0;
    // Whether the scan ran through or ended early, only a node stored is a
    // controller found.
    return stored > 0 ? 1 : 0;
}

int CKXContInitDlg::GetContInfoSingle(int nNode)
{
    if (!m_pCommManager || !m_pCommManager->IsOpen() || nNode < 1 || nNode > kNodeCount) return 0;
    m_nCurrentNode = nNode;
    CCommandSession session = m_reply.MakeSession(m_pCommManager);
    CString answer;
    CString controller;
    CString type;
    const bool found = session.GetCont(nNode, answer) && FirstLineValue(answer, controller) &&
                       session.GetType(nNode, answer) && FirstLineValue(answer, type);
    m_nCurrentNode = 0;
    if (!found) return 0;
    NodeEntry& entry = m_nodes[static_cast<std::size_t>(nNode - 1)];
    entry.nNode = nNode;
    entry.strController = controller;
    entry.strType = type;
    return 1;
}

ControllerCodes CKXContInitDlg::GetContCode(int nEntry) const
{
    if (nEntry < 0 || nEntry >= kNodeCount) return ControllerCodes{};
    const NodeEntry& entry = m_nodes[static_cast<std::size_t>(nEntry)];
    if (entry.nNode == 0) return ControllerCodes{};
    return ControllerCodesOf(entry.strType);
}

int CKXContInitDlg::SelectedEntry() const
{
    const int index = m_NodeList.GetSafeHwnd() ? m_NodeList.GetCurSel() : -1;
    return index >= 0 && index < kNodeCount ? index : -1;
}

void CKXContInitDlg::OnNodeSelChange() { NodeListSelChangeProc(); }

void CKXContInitDlg::NodeListSelChangeProc()
{
    const int index = SelectedEntry();
    if (index < 0) return;
    const NodeEntry& entry = m_nodes[static_cast<std::size_t>(index)];
    const ControllerCodes codes = GetContCode(index);
    SetDlgItemText(IDC_INIT_CONTROLLER_TEXT, entry.strController);
    SetDlgItemText(IDC_INIT_TYPE_TEXT, entry.strType);
    SetDlgItemText(IDC_INIT_MODEL_NAME,
                   GetSuitableContName(m_nBrand, codes.nTypeCode, codes.nCurCode, codes.nRevCode));
    EnableControl(IDC_INIT_SET_CONTROLLER, entry.nNode != 0);
}

void CKXContInitDlg::DisplayConnectionInfo()
{
    m_PortList.ResetContent();
    CString connection = u"???";
    if (m_pCommManager) {
        switch (m_pCommManager->GetPortType()) {
        case PORT_SERIAL: connection.Format(u"COM%d", static_cast<int>(m_pCommManager->GetComPort())); break;
        case PORT_TCP: connection = u"TCPIP"; break;
        case PORT_OFFLINE: connection = u"Dummy"; break;
        default: break;
        }
    }
    const CString label = LoadText(IDS_CONNECTION_LABEL);
    const CString entry = LoadText(IDS_LANGUAGE) == u"JPN" ? connection + label : label + connection;
    m_PortList.AddString(entry);
    m_PortList.SetCurSel(0);
}

void CKXContInitDlg::ChangeStatusOnConnect(BOOL bConnected)
{
    if (!m_bCallerLink) {
        ShowControl(IDC_INIT_CONNECT, !bConnected);
        ShowControl(IDC_INIT_DISCONNECT, bConnected);
    }
    EnableControl(IDC_INIT_NODE_LIST, bConnected);
    EnableControl(IDC_INIT_CONTROLLER_TEXT, bConnected);
    EnableControl(IDC_INIT_TYPE_TEXT, bConnected);
    EnableControl(IDC_INIT_MODEL_NAME, bConnected);
    if (!bConnected) EnableControl(IDC_INIT_SET_CONTROLLER, FALSE);
}

void CKXContInitDlg::OnSetController()
{
    if (m_bBusy) return;
    const int index = SelectedEntry();
    if (index < 0 || m_nodes[static_cast<std::size_t>(index)].nNode == 0) {
        AfxMessageBox(IDS_NO_NODE_SELECTED, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    const int node = m_nodes[static_cast<std::size_t>(index)].nNode;
    const CString current = m_nodes[static_cast<std::size_t>(index)].strController;
    const ControllerCodes codes = GetContCode(index);
    const CString model = GetSuitableContName(m_nBrand, codes.nTypeCode, codes.nCurCode, codes.nRevCode);

    if (current == model) {
        AfxMessageBox(IDS_NAME_ALREADY_SET, MB_OK | MB_ICONINFORMATION);
    } else {
        CString question;
        question.Format(LoadText(IDS_RENAME_ASK), node, current.GetString(), model.GetString());
        if (AfxMessageBox(question, MB_YESNO | MB_ICONINFORMATION) == IDYES) {
            m_nCurrentNode = node;
            ShowCommMessage(this, IDS_WAIT_WRITE_NAME);
            CCommandSession session = m_reply.MakeSession(m_pCommManager);
            const int written = session.SetCont(node, model);
            HideCommMessage();
            m_nCurrentNode = 0;
            if (!written) {
                AfxMessageBox(IDS_WRITE_REFUSED, MB_OK | MB_ICONEXCLAMATION);
            } else {
                ShowCommMessage(this, IDS_WAIT_COMMUNICATING);
                GetContInfoSingle(node);
                HideCommMessage();
                NodeListSelChangeProc();
                DisplayConnectionInfo();
            }
        }
    }
    InitializeData(node);
}

int CKXContInitDlg::InitializeData(int nNode)
{
    if (!m_pCommManager || !m_pCommManager->IsOpen()) return 0;
    UpdateData(TRUE);
    bool any = false;
    for (int checked : m_areas) any = any || checked != 0;
    if (!any) return 1;
    // Erasing cannot be undone: nothing goes out without the user's consent.
    if (AfxMessageBox(IDS_INITIALISE_ASK, MB_OKCANCEL | MB_ICONQUESTION) != IDOK) return 1;

    m_nCurrentNode = nNode;
    ShowCommMessage(this, IDS_WAIT_INITIALISE);
    CCommandSession session = m_reply.MakeSession(m_pCommManager);
    int failedPhase = -1;
    for (const AreaStep& step : kAreaOrder) {
        if (!m_areas[step.checkIndex]) continue;
        int done;
        if (step.area == kAreaPoints) {
            const DWORD previous = CCommandSession::GetTimeOut();
            CCommandSession::SetTimeOut(kPointInitTimeOutMs);
            done = session.InitArea(nNode, step.area);
            CCommandSession::SetTimeOut(previous);
        } else {
            done = session.InitArea(nNode, step.area);
        }
        if (!done) {
            failedPhase = step.area;
            break;
        }
    }
    HideCommMessage();
    m_nCurrentNode = 0;
    if (failedPhase >= 0) {
        CString message;
        message.Format(u"%s\nPhase = %d", LoadText(IDS_INITIALISE_FAILED).GetString(), failedPhase);
        AfxMessageBox(message, MB_OK | MB_ICONEXCLAMATION);
        return 0;
    }
    return 1;
}
