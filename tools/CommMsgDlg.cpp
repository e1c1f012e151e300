#include "tools/CommMsgDlg.h"

#include "resources/tools/ZeblLangLib_ids.h"

#include "platform/ui/Static.h"

namespace {

// The process's one wait message and its blink phase (user-interface thread).
CCommMsgDlg* g_pCommMessage = nullptr;
int g_nBlink = 1;

}  // namespace

BEGIN_MESSAGE_MAP(CCommMsgDlg, CDialog)
    ON_WM_TIMER()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CCommMsgDlg::CCommMsgDlg(const CString& strMessage) : CDialog(IDD_COMM_MESSAGE), m_strMessage(strMessage) {}

BOOL CCommMsgDlg::CreateOn(CWnd* pParent)
{
    m_pParentWnd = pParent;
    m_bCreated = Create(IDD_COMM_MESSAGE, pParent) != FALSE;
    return m_bCreated ? TRUE : FALSE;
}

void CCommMsgDlg::SetMessage(const CString& strMessage)
{
    m_strMessage = strMessage;
    if (GetSafeHwnd()) SetDlgItemText(IDC_COMM_MESSAGE_TEXT, m_strMessage);
}

BOOL CCommMsgDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_COMM_MESSAGE_TEXT, m_strMessage);
    SetForegroundWindow();
    CenterWindow(m_pParentWnd);
    g_nBlink = 1;
    SetTimer(kBlinkTimer, kBlinkPeriodMs);
    return TRUE;
}

void CCommMsgDlg::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent != kBlinkTimer) return;
    g_nBlink = g_nBlink ? 0 : 1;
    if (CWnd* text = GetDlgItem(IDC_COMM_MESSAGE_TEXT)) text->ShowWindow(g_nBlink ? SW_SHOW : SW_HIDE);
}

void CCommMsgDlg::OnDestroy()
{
    KillTimer(kBlinkTimer);
    CDialog::OnDestroy();
}

void CCommMsgDlg::PostNcDestroy()
{
    if (g_pCommMessage == this) g_pCommMessage = nullptr;
    // A window that was made owns its object; one that failed is its maker's.
    if (m_bCreated) delete this;
}

void ShowCommMessage(CWnd* pParent, UINT nStringId)
{
    CString text;
    text.LoadString(nStringId);
    ShowCommMessage(pParent, text);
}

void ShowCommMessage(CWnd* pParent, const CString& strMessage)
{
    if (g_pCommMessage) {
        g_pCommMessage->SetMessage(strMessage);
        return;
    }
    auto* message = new CCommMsgDlg(strMessage);
    if (!message->CreateOn(pParent)) {
        delete message;
        return;
    }
    g_pCommMessage = message;
    message->ShowWindow(SW_SHOW);
    message->UpdateWindow();
}

void HideCommMessage()
{
    CCommMsgDlg* message = g_pCommMessage;
    g_pCommMessage = nullptr;
    if (message && message->GetSafeHwnd()) message->DestroyWindow();
}

CCommMsgDlg* GetCommMessage() { return g_pCommMessage; }
