#include "tools/UserSpecdNameDlg.h"

#include "tools/CommMsgDlg.h"
#include "tools/CommandSession.h"

#include "resources/tools/ZeblLangLib_ids.h"

#include "comm/CommManager.h"

void CentreEditLine(CEdit& edit)
{
    if (!edit.GetSafeHwnd()) return;
    CRect client;
    edit.GetClientRect(&client);
    CRect format;
    edit.GetRect(&format);
    const int height = format.Height();
    const int difference = client.Height() - height;
    if (difference <= 0) return;
    format.top = (difference + 1) / 2;
    format.bottom = format.top + height;
    edit.SetRectNP(&format);
}

BEGIN_MESSAGE_MAP(CUserSpecdNameDlg, CDialog)
    ON_WM_SHOWWINDOW()
    ON_EN_CHANGE(IDC_NAME_NEW, &CUserSpecdNameDlg::OnChangeNewName)
    ON_MESSAGE(WM_COMM_LINK_EVENT, &CUserSpecdNameDlg::OnCommNotify)
END_MESSAGE_MAP()

CUserSpecdNameDlg::CUserSpecdNameDlg(CString& strName, CWnd* pParent)
    : CDialog(IDD_USER_NAME, pParent), m_strCallerName(strName)
{
}

CUserSpecdNameDlg::~CUserSpecdNameDlg()
{
    if (GetSafeHwnd() && ::IsWindow(GetSafeHwnd())) DestroyWindow();
    if (m_bAttached && m_pCommManager) m_pCommManager->AttatchWnd(m_hPrevWnd);
}

INT_PTR CUserSpecdNameDlg::DoModal()
{
    if (!m_lang.Load()) return 0;
    return CDialog::DoModal();
}

void CUserSpecdNameDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_NAME_CURRENT, CurNameBox);
    DDX_Control(pDX, IDC_NAME_NEW, NewNameBox);
    DDX_Text(pDX, IDC_NAME_NEW, m_strNewName);
    DDV_MaxChars(pDX, m_strNewName, kMaxNameChars);
}

BOOL CUserSpecdNameDlg::OnInitDialog()
{
    m_strNewName = m_strCallerName;
    CDialog::OnInitDialog();
    CentreEditLine(CurNameBox);
    CentreEditLine(NewNameBox);
    CurNameBox.SetWindowText(m_strCallerName);
    CString rule;
    rule.LoadString(IDS_USER_NAME_RULE);
    SetDlgItemText(IDC_NAME_RULE, rule);
    if (m_pCommManager) {
        m_hPrevWnd = m_pCommManager->DetatchWnd();
        m_pCommManager->AttatchWnd(GetSafeHwnd());
        m_bAttached = true;
    }
    return TRUE;
}

void CUserSpecdNameDlg::OnShowWindow(BOOL bShow, UINT nStatus)
{
    CDialog::OnShowWindow(bShow, nStatus);
    if (!bShow) return;
    NewNameBox.SetFocus();
    NewNameBox.SetSel(0, -1);
    // The count of free characters follows the change notification.
    PostMessage(WM_COMMAND, MAKEWPARAM(IDC_NAME_NEW, EN_CHANGE), NewNameBox.GetSafeHwnd().ToLParam());
}

void CUserSpecdNameDlg::OnChangeNewName()
{
    CString free;
    free.Format(u"%d", kMaxNameChars - NewNameBox.GetWindowTextLength());
    SetDlgItemText(IDC_NAME_FREE, free);
}

LRESULT CUserSpecdNameDlg::OnCommNotify(WPARAM, LPARAM lParam)
{
    return m_reply.OnCommNotify(m_pCommManager, lParam, m_nNodeNo);
}

bool CUserSpecdNameDlg::IsWritableUserName(const CString& name)
{
    for (const char16_t ch : name.view()) {
        if (ch < 0x20 || ch > 0x7E) return false;
        if (ch == u'.' || ch == u'=' || ch == u'@' || ch == u',') return false;
    }
    return true;
}

int CUserSpecdNameDlg::SetUserSpecdName()
{
    if (!m_pCommManager || !m_pCommManager->IsOpen()) return 0;
    if (!IsWritableUserName(m_strNewName)) return 0;
    m_pCommManager->SendData(u"\r\n");
    CCommandSession session = m_reply.MakeSession(m_pCommManager);
    return session.WriteUserName(m_nNodeNo, m_strNewName);
}

void CUserSpecdNameDlg::OnOK()
{
    if (!UpdateData(TRUE)) return;
    if (m_strNewName == m_strCallerName) {
        EndDialog(IDOK);
        return;
    }
    if (!IsWritableUserName(m_strNewName)) {
        AfxMessageBox(IDS_USER_NAME_INVALID, MB_OK | MB_ICONEXCLAMATION);
        NewNameBox.SetFocus();
        NewNameBox.SetSel(0, -1);
        return;
    }
    CString question;
    CString ask;
    ask.LoadString(IDS_USER_NAME_ASK);
    question.Format(u"%s\n\n%s -> %s", ask.GetString(), m_strCallerName.GetString(), m_strNewName.GetString());
    const int answer = AfxMessageBox(question, MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == IDCANCEL) return;
    if (answer != IDYES) {
        EndDialog(IDOK);
        return;
    }
    if (m_pCommManager && m_pCommManager->IsOpen()) {
        ShowCommMessage(this, IDS_WAIT_COMMUNICATING);
        const int written = SetUserSpecdName();
        HideCommMessage();
        if (!written) {
            AfxMessageBox(IDS_WRITE_REFUSED, MB_OK | MB_ICONEXCLAMATION);
            return;
        }
    }
    m_strCallerName = m_strNewName;
    EndDialog(IDOK);
}
