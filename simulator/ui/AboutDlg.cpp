#include "simulator/ui/AboutDlg.h"

#include "manager/core/LibraryBindings.h"
#include "platform/core/Paths.h"
#include "platform/core/VersionInfo.h"
#include "platform/ui/Static.h"
#include "resources/simulator/pellarun_ids.h"
#include "simulator/ui/SimulatorApp.h"

namespace {

void MoveBy(CWnd* dialog, int id, int dy, int dHeight)
{
    CWnd* control = dialog->GetDlgItem(id);
    if (!control) return;
    CRect rect;
    control->GetWindowRect(&rect);
    dialog->ScreenToClient(&rect);
    control->MoveWindow(rect.left, rect.top + dy, rect.Width(), rect.Height() + dHeight);
}

}  // namespace

CAboutDlg::CAboutDlg(CWnd* pParent) : CDialog(IDD_ABOUTBOX, pParent) {}

BOOL CAboutDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    const CSimulatorApp* app = SimulatorApp();
    if (auto* icon = static_cast<CStatic*>(GetDlgItem(IDC_ABOUT_ICON)))
        icon->SetIcon(AfxGetApp()->LoadIcon(app ? app->AppIconId() : IDI_APP));

    platform::VersionRecord record;
    if (platform::ReadVersionRecord(platform::GetProgramPath(), record)) {
        if (record.Has(u"FileDescription")) SetDlgItemText(IDC_ABOUT_DESCRIPTION, record.Text(u"FileDescription"));
        if (record.Has(u"ProductVersion")) {
            CString version;
            version.Format(u"Ver.%s", record.Text(u"ProductVersion").GetString());
            SetDlgItemText(IDC_ABOUT_VERSION, version);
        }
        if (record.Has(u"LegalCopyright")) SetDlgItemText(IDC_ABOUT_LEGAL, record.Text(u"LegalCopyright"));
    }

    CString database;
    LoadDatabaseVersion(database);
    SetDlgItemText(IDC_ABOUT_DB_VERSION, CString(u"Ver.") + database);

    CString library(u"Ver. ---");
    if (app && app->m_motionLibrary.IsLoaded()) library = app->m_motionLibrary.VersionText();
    SetDlgItemText(IDC_ABOUT_LIB_VERSION, library);

    // The current calculation's library is not part of this program.
    GetDlgItem(IDC_ABOUT_CURRENT_LABEL)->ShowWindow(SW_HIDE);
    GetDlgItem(IDC_ABOUT_CURRENT_VERSION)->ShowWindow(SW_HIDE);
    constexpr int kShrink = 18;
    MoveBy(this, IDC_ABOUT_GROUP, 0, -kShrink);
    MoveBy(this, IDC_ABOUT_LEGAL, -kShrink, 0);
    MoveBy(this, IDOK, -kShrink, 0);
    CRect window;
    GetWindowRect(&window);
    MoveWindow(window.left, window.top, window.Width(), window.Height() - kShrink);
    CenterWindow();
    return TRUE;
}
