#include "tools/KXTerminalDlg.h"

#include "tools/ConnectBoxDlg.h"
#include "tools/ControlUtility.h"
#include "tools/WindowPlacement.h"

#include "resources/tools/ZeblLangLib_ids.h"

#include "comm/CommManager.h"

#include "platform/core/Profile.h"
#include "platform/core/Time.h"
#include "platform/ui/Button.h"

BEGIN_MESSAGE_MAP(CKXTerminalDlg, CDialog)
    ON_BN_CLICKED(IDC_TERM_SEND, &CKXTerminalDlg::OnSend)
    ON_BN_CLICKED(IDC_TERM_CLEAR, &CKXTerminalDlg::OnClear)
    ON_BN_CLICKED(IDC_TERM_CONNECT, &CKXTerminalDlg::OnConnect)
    ON_BN_CLICKED(IDC_TERM_DISCONNECT, &CKXTerminalDlg::OnDisconnect)
    ON_WM_SIZE()
    ON_WM_GETMINMAXINFO()
    ON_WM_DESTROY()
    ON_MESSAGE(WM_COMM_LINK_EVENT, &CKXTerminalDlg::OnCommNotify)
END_MESSAGE_MAP()

CKXTerminalDlg::CKXTerminalDlg(CWnd* pParent) : CDialog(IDD_KX_TERMINAL, pParent) {}

CKXTerminalDlg::~CKXTerminalDlg()
{
    if (GetSafeHwnd() && ::IsWindow(GetSafeHwnd())) DestroyWindow();
    if (m_bOwnLink) delete m_pCommManager;
    m_pCommManager = nullptr;
    if (m_bAttachedToCaller && m_pCallerLink) m_pCallerLink->AttatchWnd(m_hPrevWnd);
}

INT_PTR CKXTerminalDlg::DoModal()
{
    if (!m_lang.Load()) return 0;
    return CDialog::DoModal();
}

void CKXTerminalDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_TERM_COMMAND, m_Command);
    DDX_Control(pDX, IDC_TERM_RESPONSE, m_Response);
}

namespace {

// A child's rectangle in its parent's client co-ordinates.
CRect ChildRect(CWnd* parent, int id)
{
    CRect rect;
    if (CWnd* child = parent->GetDlgItem(id)) {
        child->GetWindowRect(&rect);
        parent->ScreenToClient(&rect);
    }
    return rect;
}

}  // namespace

BOOL CKXTerminalDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    GetClientRect(&m_initialWindow);
    m_Response.LimitText(0);

    const CRect response = ChildRect(this, IDC_TERM_RESPONSE);
    m_nResponseRight = m_initialWindow.right - response.right;
    m_nResponseBottom = m_initialWindow.bottom - response.bottom;
    m_nLastRight = m_initialWindow.right - ChildRect(this, IDC_TERM_LAST_COMMAND).right;
    m_nCommandRight = m_initialWindow.right - ChildRect(this, IDC_TERM_COMMAND).right;
    m_initialSend = ChildRect(this, IDC_TERM_SEND);
    m_initialClose = ChildRect(this, IDCANCEL);
    m_initialConnect = ChildRect(this, IDC_TERM_CONNECT);
    m_initialDisconnect = ChildRect(this, IDC_TERM_DISCONNECT);
    m_initialClear = ChildRect(this, IDC_TERM_CLEAR);

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
        if (CWnd* connect = GetDlgItem(IDC_TERM_CONNECT)) connect->EnableWindow(TRUE);
    }

    m_bLaidOut = true;
    ReadIniFile();
    return TRUE;
}

void CKXTerminalDlg::OnOK() { OnSend(); }

void CKXTerminalDlg::ReadIniFile()
{
    m_strIniPath = GetToolsSettingsPath(kIniFileName);
    if (m_strIniPath.IsEmpty()) return;
    for (int n = 1; n <= kHistoryLines; ++n) {
        CString key;
        key.Format(u"REC%d", n);
        const CString line = platform::ReadPrivateProfileString(kHistorySection, key, u"", m_strIniPath)
                                 .Left(kMaxLineChars);
        if (line.IsEmpty()) break;
        m_Command.InsertString(0, line);
    }
    RestoreWindowPlacement(this, kWindowSection, m_strIniPath);
}

void CKXTerminalDlg::WriteIniFile()
{
    if (m_strIniPath.IsEmpty()) return;
    WritePrivateProfileStringW(kWindowSection, u"OPTIMISTIC", u"KIND OF", m_strIniPath);
    int number = 1;
    for (int i = m_Command.GetCount() - 1; i >= 0; --i) {
        if (m_Command.GetLBTextLen(i) < 0) break;
        CString line;
        m_Command.GetLBText(i, line);
        CString key;
        key.Format(u"REC%d", number++);
        WritePrivateProfileStringW(kHistorySection, key, line, m_strIniPath);
    }
    SaveWindowPlacement(this, kWindowSection, m_strIniPath);
}

void CKXTerminalDlg::OnDestroy()
{
    WriteIniFile();
    CDialog::OnDestroy();
}

void CKXTerminalDlg::KXTermSendCommand(const CString& strText)
{
    if (m_pCommManager && m_pCommManager->IsOpen()) {
        m_pCommManager->SendData(strText);
    } else {
        AfxMessageBox(IDS_TERMINAL_NOT_CONNECTED, MB_OK | MB_ICONEXCLAMATION);
    }
}

void CKXTerminalDlg::AddToResponse(const CString& strText)
{
    if (!m_Response.GetSafeHwnd()) return;
    const int end = m_Response.GetWindowTextLength();
    m_Response.SetSel(end, end);
    m_Response.ReplaceSel(strText);
    m_Response.SendMessage(EM_SCROLLCARET);
}

void CKXTerminalDlg::OnSend()
{
    CWnd* send = GetDlgItem(IDC_TERM_SEND);
    if (send) send->EnableWindow(FALSE);
    CString text;
    m_Command.GetWindowText(text);
    SetDlgItemText(IDC_TERM_LAST_COMMAND, text);
    if (!text.IsEmpty()) {
        const int found = FindComboText(&m_Command, 0, text);
        if (found >= 0) {
            m_Command.DeleteString(static_cast<UINT>(found));
        } else if (m_Command.GetCount() >= kHistoryLines) {
            m_Command.DeleteString(kHistoryLines - 1);
        }
        m_Command.InsertString(0, text);
    }
    KXTermSendCommand(text + u"\r\n");
    m_Command.SetWindowText(u"");
    m_Command.SetFocus();
    m_Command.SetEditSel(-1, 0);
    if (send) send->EnableWindow(TRUE);
}

void CKXTerminalDlg::OnClear()
{
    m_Response.SetRedraw(FALSE);
    m_Response.SetSel(0, -1);
    m_Response.SetReadOnly(FALSE);
    m_Response.Clear();
    m_Response.SetReadOnly(TRUE);
    m_Response.SetRedraw(TRUE);
    m_Response.Invalidate();
}

void CKXTerminalDlg::ShowConnected(bool bConnected)
{
    if (CWnd* connect = GetDlgItem(IDC_TERM_CONNECT)) connect->ShowWindow(bConnected ? SW_HIDE : SW_SHOW);
    if (CWnd* disconnect = GetDlgItem(IDC_TERM_DISCONNECT)) disconnect->ShowWindow(bConnected ? SW_SHOW : SW_HIDE);
}

void CKXTerminalDlg::OnConnect()
{
    if (!m_pCommManager) return;
    CConnectBoxDlg dlg(this);
    dlg.m_pCommManager = m_pCommManager;
    if (dlg.DoModal() == IDOK) ShowConnected(true);
}

void CKXTerminalDlg::OnDisconnect()
{
    if (m_pCommManager) m_pCommManager->Close();
    ShowConnected(false);
}

LRESULT CKXTerminalDlg::OnCommNotify(WPARAM, LPARAM lParam)
{
    switch (LOWORD(lParam)) {
    case LINK_EVENT_READ:
        if (m_pCommManager) AddToResponse(m_pCommManager->GetInBuffAtOnce());
        Sleep(1);
        break;
    case LINK_EVENT_CLOSE:
        ShowConnected(false);
        break;
    case LINK_EVENT_ERROR:
        AddToResponse(u"\nCOMM ERROR\n");
        break;
    default:
        break;
    }
    return 0;
}

void CKXTerminalDlg::OnGetMinMaxInfo(MINMAXINFO* lpMMI)
{
    if (!lpMMI) return;
    lpMMI->ptMinTrackSize.x = kMinWidthPx;
    lpMMI->ptMinTrackSize.y = kMinHeightPx;
}

void CKXTerminalDlg::MoveWnd(int nId, int nRightMargin, int nBottomMargin)
{
    CWnd* child = GetDlgItem(nId);
    if (!child) return;
    CRect client;
    GetClientRect(&client);
    CRect rect = ChildRect(this, nId);
    rect.right = client.right - nRightMargin;
    if (nBottomMargin >= 0) rect.bottom = client.bottom - nBottomMargin;
    if (rect.right < rect.left) rect.right = rect.left;
    if (rect.bottom < rect.top) rect.bottom = rect.top;
    child->MoveWindow(&rect, FALSE);
}

void CKXTerminalDlg::MoveWnd(int nId, const CRect& initial, bool moveRight, bool moveDown)
{
    CWnd* child = GetDlgItem(nId);
    if (!child) return;
    CRect client;
    GetClientRect(&client);
    CRect rect = initial;
    rect.OffsetRect(moveRight ? client.right - m_initialWindow.right : 0,
                    moveDown ? client.bottom - m_initialWindow.bottom : 0);
    child->MoveWindow(&rect, FALSE);
}

void CKXTerminalDlg::OnSize(UINT nType, int cx, int cy)
{
    CDialog::OnSize(nType, cx, cy);
    if (!m_bLaidOut || nType == SIZE_MINIMIZED) return;
    MoveWnd(IDC_TERM_SEND, m_initialSend, true, false);
    MoveWnd(IDC_TERM_COMMAND, m_nCommandRight, -1);
    MoveWnd(IDC_TERM_LAST_COMMAND, m_nLastRight, -1);
    MoveWnd(IDC_TERM_RESPONSE, m_nResponseRight, m_nResponseBottom);
    MoveWnd(IDC_TERM_CONNECT, m_initialConnect, true, true);
    MoveWnd(IDC_TERM_DISCONNECT, m_initialDisconnect, true, true);
    MoveWnd(IDC_TERM_CLEAR, m_initialClear, true, true);
    MoveWnd(IDCANCEL, m_initialClose, true, true);
    Invalidate();
}
