#include "tools/trace/TRDViewerDlg.h"

#include "tools/trace/TRDFileDlg.h"
#include "tools/trace/TraceToolWindows.h"

#include "resources/tools/ZeblLangLib_ids.h"
#include "resources/tools/trdfile_ids.h"

#include "platform/core/MessageBox.h"

IMPLEMENT_DYNAMIC(CTRDViewerDlg, CKXWatcherDlg)

namespace {

// New viewers step down and right from their owner, one step per open viewer.
constexpr int kCascadeStep = 24;

}  // namespace

BEGIN_MESSAGE_MAP(CTRDViewerDlg, CKXWatcherDlg)
    ON_COMMAND(ID_KXW_FILE_OPEN, &CTRDViewerDlg::OnViewerFileOpen)
    ON_COMMAND(ID_KXW_TOOL_OPTION, &CTRDViewerDlg::OnViewerOptions)
    ON_WM_SYSCOMMAND()
    ON_MESSAGE(WM_IDLEUPDATECMDUI, &CTRDViewerDlg::OnIdleUpdateCmdUI)
END_MESSAGE_MAP()

CTRDViewerDlg::CTRDViewerDlg(CKXWatcherDlg* pOwner) : CKXWatcherDlg(IDD_TRD_VIEWER, pOwner, nullptr), m_pOwner(pOwner) {}

BOOL CTRDViewerDlg::Show(CKXWatcherDlg* pOwner)
{
    m_pOwner = pOwner;
    if (!Create(IDD_TRD_VIEWER, nullptr)) return FALSE;
    ShowWindow(SW_SHOW);
    return TRUE;
}

BOOL CTRDViewerDlg::OnInitDialog()
{
    // The view options of the live window's settings file; a viewer never
    // writes that file (it holds the live trace's settings).
    if (m_pOwner) SetIniPath(m_pOwner->m_strIniPath);
    CKXWatcherDlg::OnInitDialog();
    m_strIniPath.Empty();
    if (m_pOwner) m_model.m_Options = m_pOwner->Model().m_Options;
    if (IsZoomed()) ShowWindow(SW_RESTORE);

    // Where the last viewer was closed, or stepped from the owner.
    CRect rcWindow;
    GetWindowRect(&rcWindow);
    if (m_pOwner) {
        const TracePlacement& saved = m_pOwner->Model().m_Layout.viewer;
        const CRect rcSaved(saved.rcNormal);
        if (rcSaved.left != 0 && rcSaved.Width() > 0 && rcSaved.Height() > 0) {
            MoveWindow(&rcSaved);
        } else {
            CRect rcOwner;
            m_pOwner->GetWindowRect(&rcOwner);
            const CTraceToolWindows* tools = m_pOwner->ToolWindows();
            const int step = kCascadeStep * (tools ? static_cast<int>(tools->Viewers().size()) + 1 : 1);
            MoveWindow(rcOwner.left + step, rcOwner.top + step, rcWindow.Width(), rcWindow.Height());
        }
    }
    RecalcGraphSize();
    ShowABDetailsCombo();
    UpdateCaption();
    return FALSE;
}

BOOL CTRDViewerDlg::LoadFile(const CString& strPath)
{
    if (!LoadFileIntoWindow(strPath)) return FALSE;
    UpdateCaption();
    return TRUE;
}

void CTRDViewerDlg::UpdateCaption()
{
    CString caption;
    caption.LoadString(IDS_TRACE_VIEWER_TITLE);
    if (IsFileShown()) caption += u" - " + m_model.m_strFileTitle;
    CString shown;
    GetWindowText(shown);
    if (shown != caption) SetWindowText(caption);
}

LRESULT CTRDViewerDlg::OnIdleUpdateCmdUI(WPARAM wParam, LPARAM)
{
    UpdateCaption();
    if (m_toolBar.GetSafeHwnd()) m_toolBar.SendMessage(WM_IDLEUPDATECMDUI, wParam);
    if (m_statusBar.GetSafeHwnd()) m_statusBar.SendMessage(WM_IDLEUPDATECMDUI, wParam);
    return 0;
}

void CTRDViewerDlg::OnViewerFileOpen()
{
    CString filter;
    filter.LoadString(IDS_TRACE_FILE_FILTER);
    // A viewer shows what it opens: the new-viewer box stays checked.
    CTRDFileDlg dialog(TRUE, u"trd", m_model.m_strFilePath, OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST,
                       filter, this, TRUE);
    m_bModalRunning = TRUE;
    const INT_PTR result = dialog.DoModal();
    m_bModalRunning = FALSE;
    if (result == IDOK) LoadFile(dialog.GetPathName());
}

void CTRDViewerDlg::OnViewerOptions()
{
    // The screen copy is the live window's setting: the sheet starts from
    // it and gives it back there, where the settings file keeps it.
    CTraceModel& owner = m_pOwner ? m_pOwner->Model() : m_model;
    if (!RunOptionsSheet(owner)) return;
    m_model.m_Options.COPY_TO = owner.m_Options.COPY_TO;
    m_model.m_Options.COPY_AREA = owner.m_Options.COPY_AREA;
}

void CTRDViewerDlg::OnSysCommand(UINT nID, LPARAM lParam)
{
    if ((nID & 0xFFF0) != SC_CLOSE) {
        CDialog::OnSysCommand(nID, lParam);
        return;
    }
    if (m_bModalRunning) {
        AfxMessageBox(IDS_TRACE_CLOSE_REFUSED, MB_OK | MB_ICONWARNING);
        return;
    }
    DestroyWindow();
}

BOOL CTRDViewerDlg::DestroyWindow()
{
    if (!m_bClosing && GetSafeHwnd()) {
        m_bClosing = TRUE;
        if (m_pOwner && ::IsWindow(m_pOwner->GetSafeHwnd())) {
            // The next viewer opens where this one was.
            WINDOWPLACEMENT placement{};
            placement.length = sizeof(placement);
            if (GetWindowPlacement(&placement)) {
                m_pOwner->Model().m_Layout.viewer.rcNormal = placement.rcNormalPosition;
                m_pOwner->Model().m_Layout.viewer.bZoomed = placement.showCmd == SW_SHOWMAXIMIZED ? 1 : 0;
            }
            // No tool window reads this viewer any more.
            m_pOwner->CloseViewer(this);
        }
    }
    return CKXWatcherDlg::DestroyWindow();
}

void CTRDViewerDlg::PostNcDestroy()
{
    if (m_pOwner && ::IsWindow(m_pOwner->GetSafeHwnd()) && m_pOwner->IsWindowVisible()) m_pOwner->SetActiveWindow();
    delete this;
}
