#include "manager/dialogs/DlgLauncher.h"

#include "manager/core/DataManager.h"
#include "manager/dialogs/DlgTransportAlarmV2.h"
#include "manager/dialogs/DlgTransportGenerationV2.h"
#include "manager/dialogs/DlgTransportV2.h"
#include "resources/manager/transport_ids.h"

#include "platform/core/ResourceModule.h"
#include "platform/ui/Button.h"
#include "platform/ui/DataExchange.h"
#include "platform/ui/Gdi.h"
#include "platform/ui/ResourceImages.h"

namespace {

struct LauncherButton {
    int id;
    UINT commandText;
    UINT icon;
    int top;
};
constexpr LauncherButton kButtons[] = {
    {IDC_LAUNCH_READ, IDS_LAUNCH_READ_COMMAND, IDI_LAUNCH_READ, 15},
    {IDC_LAUNCH_WRITE, IDS_LAUNCH_WRITE_COMMAND, IDI_LAUNCH_WRITE, 72},
    {IDC_LAUNCH_ALARM, IDS_LAUNCH_ALARM_COMMAND, IDI_LAUNCH_ALARM, 129},
    {IDC_LAUNCH_GENERATION, IDS_LAUNCH_GENERATION_COMMAND, IDI_LAUNCH_GENERATION, 186},
};
constexpr int kLeft = 10;
constexpr int kButtonWidth = 311;
constexpr int kButtonHeight = 52;
constexpr int kCheckTop = 243;
constexpr int kClientWidth = 331;
constexpr int kIconSize = 16;

}  // namespace

BEGIN_MESSAGE_MAP(CDlgLauncher, CDialog)
    ON_BN_CLICKED(IDC_LAUNCH_READ, &CDlgLauncher::OnRead)
    ON_BN_CLICKED(IDC_LAUNCH_WRITE, &CDlgLauncher::OnWrite)
    ON_BN_CLICKED(IDC_LAUNCH_ALARM, &CDlgLauncher::OnAlarm)
    ON_BN_CLICKED(IDC_LAUNCH_GENERATION, &CDlgLauncher::OnGeneration)
    ON_BN_CLICKED(IDC_LAUNCH_OK, &CDlgLauncher::OnLauncherOk)
    ON_BN_CLICKED(IDC_LAUNCH_CLOSE, &CDlgLauncher::OnLauncherClose)
END_MESSAGE_MAP()

CDlgLauncher::CDlgLauncher(BYTE mode, const CManagerSettings& settings, CWnd* pParent)
    : CDialog(IDD_LAUNCHER, pParent), m_mode(mode), m_settings(settings)
{
}

void CDlgLauncher::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    for (std::size_t i = 0; i < m_buttons.size(); ++i) DDX_Control(pDX, kButtons[i].id, m_buttons[i]);
}

BOOL CDlgLauncher::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetWindowText(TransportText(IDS_LAUNCHER_TITLE));
    m_icon = static_cast<HICON>(
        LoadImage(AfxGetResourceHandle(), MAKEINTRESOURCE(IDI_LAUNCHER), IMAGE_ICON, kIconSize, kIconSize, 0));
    if (m_icon) SendMessage(WM_SETICON, 0, m_icon.ToLParam());

    m_tip.Create(this, TRUE);
    m_tip.SetCssStyles(IDS_CD_TIP_STYLES);
    m_tip.SetColorBk(RGB(255, 255, 255), RGB(240, 247, 255), RGB(192, 192, 208));
    m_tip.SetEffectBk(13, 5);
    for (std::size_t i = 0; i < m_buttons.size(); ++i) {
        // The command's text: the tip before the line break, the caption after it.
        const CString text = TransportText(kButtons[i].commandText);
        const int breakAt = text.Find(u'\n');
        const CString tip = breakAt >= 0 ? text.Left(breakAt) : text;
        const CString caption = breakAt >= 0 ? text.Mid(breakAt + 1) : text;
        m_buttons[i].SetWindowText(caption);
        m_buttons[i].SetIcon(kButtons[i].icon);
        m_tip.AddTool(&m_buttons[i], tip);
    }
    Layout();
    return TRUE;
}

void CDlgLauncher::Layout()
{
    for (std::size_t i = 0; i < m_buttons.size(); ++i)
        m_buttons[i].MoveWindow(kLeft, kButtons[i].top, kButtonWidth, kButtonHeight);
    CWnd* check = GetDlgItem(IDC_LAUNCH_DONT_SHOW);
    CRect checkRect;
    check->GetWindowRect(&checkRect);
    check->MoveWindow(kLeft, kCheckTop, kButtonWidth, checkRect.Height());
    const int o = 248 + checkRect.Height();
    CWnd* ok = GetDlgItem(IDC_LAUNCH_OK);
    CWnd* close = GetDlgItem(IDC_LAUNCH_CLOSE);
    if (m_mode == kStartupLayout) {
        ok->MoveWindow(kLeft, o, 208, 40);
        ok->ShowWindow(SW_SHOW);
        close->MoveWindow(223, o, 98, 40);
        check->ShowWindow(SW_SHOW);
    } else {
        close->MoveWindow(kLeft, o, kButtonWidth, 40);
        ok->ShowWindow(SW_HIDE);
        check->ShowWindow(SW_HIDE);
    }
    // The client area is what the layout needs; the frame is added around it.
    CRect window;
    CRect client;
    GetWindowRect(&window);
    GetClientRect(&client);
    const int width = kClientWidth + window.Width() - client.Width();
    const int height = o + 50 + window.Height() - client.Height();
    SetWindowPos(nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
    CenterWindow();
}

BOOL CDlgLauncher::PreTranslateMessage(MSG* pMsg)
{
    m_tip.RelayEvent(pMsg);
    return CDialog::PreTranslateMessage(pMsg);
}

template <class Run>
void CDlgLauncher::RunTransport(Run run)
{
    CDataManager* current = CDataManager::GetCurrent();
    if (current) current->PausePolling();
    run();
    if (current) current->ResumePolling();
}

void CDlgLauncher::OnRead()
{
    RunTransport([this] {
        CDlgTransportV2 dlg(this);
        dlg.SetMode(CDlgTransportV2::kToFile);
        dlg.DoModal();
    });
}

void CDlgLauncher::OnWrite()
{
    RunTransport([this] {
        CDlgTransportV2 dlg(this);
        dlg.SetMode(CDlgTransportV2::kToController);
        dlg.DoModal();
    });
}

void CDlgLauncher::OnAlarm()
{
    RunTransport([this] {
        CDlgTransportAlarmV2 dlg(this);
        dlg.DoModal();
    });
}

void CDlgLauncher::OnGeneration()
{
    RunTransport([this] {
        CDlgTransportGenerationV2 dlg(this);
        dlg.DoModal();
    });
}

// Enter goes to no button of its own: the launcher closes only by its buttons.
void CDlgLauncher::OnOK() {}

void CDlgLauncher::OnLauncherOk()
{
    if (IsDlgButtonChecked(IDC_LAUNCH_DONT_SHOW)) m_settings.SetLauncherDoNotShowAgain(true);
    EndDialog(IDOK);
}

void CDlgLauncher::OnLauncherClose() { EndDialog(IDCANCEL); }
