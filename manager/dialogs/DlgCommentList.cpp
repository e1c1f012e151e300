#include "manager/dialogs/DlgCommentList.h"

#include "manager/dialogs/DialogHelpers.h"

#include "manager/core/ControllerCommands.h"

#include "resources/manager/ctrldlgs_ids.h"

#include "platform/core/CodePage.h"
#include "platform/core/MessageBox.h"
#include "platform/ui/Button.h"
#include "platform/ui/Edit.h"

BEGIN_MESSAGE_MAP(CDlgCommentList, CConnectableDialog)
    ON_BN_CLICKED(IDC_CMT_READ, &CDlgCommentList::OnRead)
    ON_BN_CLICKED(IDC_CMT_WRITE, &CDlgCommentList::OnWrite)
END_MESSAGE_MAP()

CDlgCommentList::CDlgCommentList(CWnd* pParent) : CConnectableDialog(IDD_COMMENT_LIST, pParent) {}

void CDlgCommentList::SetOnlineSource(ControllerData* pData, CCommManager* pLink, CControllerProtocol* pProtocol,
                                      int nNode, const CString& controllerName, const CString& robotName)
{
    BindLink(pData, pLink, pProtocol, nNode);
    m_title.Format(IDS_CD_CMT_TITLE, static_cast<const char16_t*>(controllerName),
                   static_cast<const char16_t*>(robotName));
}

BOOL CDlgCommentList::OnInitDialog()
{
    CConnectableDialog::OnInitDialog();
    SetWindowText(m_title);
    SetDlgItemText(IDC_CMT_READ, LoadText(IDS_CD_CMT_READ));
    SetDlgItemText(IDC_CMT_WRITE, LoadText(IDS_CD_CMT_WRITE));
    SetDlgItemText(IDCANCEL, LoadText(IDS_CD_CMT_CLOSE));
    for (int n = 0; n < kComments; ++n) static_cast<CEdit*>(GetDlgItem(IDC_CMT_EDIT_1 + n))->LimitText(kMaxBytes);
    GetDlgItem(IDC_CMT_EDIT_1)->EnableWindow(FALSE);
    ReadComments();
    return TRUE;
}

BOOL CDlgCommentList::ReadComments()
{
    ScopedWaitWindow wait(GetSafeHwnd(), IDS_CD_CMT_READING);
    if (!AcquireLink()) return FALSE;
    bool ok = true;
    CString failure;
    for (int n = 1; n <= kComments; ++n) {
        CString text;
        if (ok) {
            ok = QueryComData(m_pCommManager, m_pProtocol, m_nNode, n, text) != FALSE;
            if (!ok) failure = m_pProtocol->GetLastErrorText();
        }
        // A comment that was not read shows nothing rather than an old text.
        m_read[n - 1] = ok ? text : CString();
        SetDlgItemText(IDC_CMT_EDIT_1 + n - 1, m_read[n - 1]);
    }
    ReleaseLink();
    wait.Close();
    if (!ok && failure == CString(u"TimeOut")) ShowMessage(GetSafeHwnd(), IDS_CD_NO_ANSWER, MB_OK | MB_ICONEXCLAMATION);
    else if (!ok) ShowReplyError(GetSafeHwnd(), failure);
    return ok ? TRUE : FALSE;
}

BOOL CDlgCommentList::WriteComments()
{
    std::array<CString, kComments> texts;
    for (int n = 2; n <= kComments; ++n) {
        GetDlgItemText(IDC_CMT_EDIT_1 + n - 1, texts[n - 1]);
        bool lost = false;
        const std::string bytes = platform::FromWide(std::u16string_view(texts[n - 1]), CP_ACP, &lost);
        if (bytes.size() > static_cast<size_t>(kMaxBytes) || lost) {
            CString text;
            text.Format(lost ? IDS_CD_CMT_BAD_CHARS : IDS_CD_CMT_TOO_LONG, n);
            ShowMessage(GetSafeHwnd(), text, MB_OK | MB_ICONEXCLAMATION);
            return FALSE;
        }
    }
    ScopedWaitWindow wait(GetSafeHwnd(), IDS_CD_CMT_WRITING);
    if (!AcquireLink()) return FALSE;
    bool ok = true;
    CString failure;
    for (int n = 2; n <= kComments && ok; ++n) {
        if (texts[n - 1] == m_read[n - 1]) continue;
        ok = WriteComData(m_pCommManager, m_pProtocol, m_nNode, n, texts[n - 1]) != FALSE;
        if (!ok) failure = m_pProtocol->GetLastErrorText();
    }
    ReleaseLink();
    wait.Close();
    if (!ok) ShowReplyError(GetSafeHwnd(), failure);
    return ok ? TRUE : FALSE;
}

void CDlgCommentList::OnRead() { ReadComments(); }

void CDlgCommentList::OnWrite()
{
    if (ShowMessage(GetSafeHwnd(), IDS_CD_CMT_WRITE_ASK, MB_OKCANCEL | MB_ICONWARNING) != IDOK) return;
    if (WriteComments() && ReadComments()) ShowMessage(GetSafeHwnd(), IDS_CD_CMT_WRITTEN, MB_OK | MB_ICONINFORMATION);
}
