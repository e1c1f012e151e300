#include "manager/dialogs/PropertySheetOption.h"

#include "manager/app/ConfirmationOptions.h"
#include "manager/dialogs/DlgLauncher.h"
#include "resources/manager/transport_ids.h"

#include "platform/ui/Button.h"

CPropertyMessage::CPropertyMessage() : CPropertyPage(IDD_OPTION_MESSAGE)
{
    m_psp.dwFlags &= ~PSP_HASHELP;
}

BOOL CPropertyMessage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    const ConfirmationOptions options = LoadConfirmationOptions();
    CheckDlgButton(IDC_OPTION_ASK_TRACE, options.askTraceStart ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_OPTION_ASK_ORIGIN, options.askOriginReturn ? BST_CHECKED : BST_UNCHECKED);
    return TRUE;
}

void CPropertyMessage::OnOK()
{
    ConfirmationOptions options;
    options.askTraceStart = IsDlgButtonChecked(IDC_OPTION_ASK_TRACE) == BST_CHECKED;
    options.askOriginReturn = IsDlgButtonChecked(IDC_OPTION_ASK_ORIGIN) == BST_CHECKED;
    SaveConfirmationOptions(options);
    CPropertyPage::OnOK();
}

BEGIN_MESSAGE_MAP(CPropertyLauncher, CPropertyPage)
    ON_BN_CLICKED(IDC_OPTION_OPEN_LAUNCHER, &CPropertyLauncher::OnOpenLauncher)
END_MESSAGE_MAP()

CPropertyLauncher::CPropertyLauncher(const CManagerSettings& settings)
    : CPropertyPage(IDD_OPTION_LAUNCHER), m_settings(settings)
{
    m_psp.dwFlags &= ~PSP_HASHELP;
}

BOOL CPropertyLauncher::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    CheckDlgButton(IDC_OPTION_SHOW_LAUNCHER, m_settings.LauncherDoNotShowAgain() ? BST_UNCHECKED : BST_CHECKED);
    return TRUE;
}

void CPropertyLauncher::OnOK()
{
    m_settings.SetLauncherDoNotShowAgain(IsDlgButtonChecked(IDC_OPTION_SHOW_LAUNCHER) != BST_CHECKED);
    CPropertyPage::OnOK();
}

void CPropertyLauncher::OnOpenLauncher()
{
    CDlgLauncher launcher(CDlgLauncher::kShortLayout, m_settings, this);
    launcher.DoModal();
}

CPropertySheetOption::CPropertySheetOption(UINT captionId, const CManagerSettings& settings, CWnd* pParent,
                                           UINT firstPage)
    : CPropertySheet(captionId, pParent, firstPage), m_launcher(settings)
{
    m_psh.dwFlags |= PSH_NOAPPLYNOW;
    m_psh.dwFlags &= ~PSH_HASHELP;
    AddPage(&m_message);
    AddPage(&m_launcher);
}

BOOL CPropertySheetOption::OnInitDialog() { return CPropertySheet::OnInitDialog(); }
