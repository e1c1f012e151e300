#include "manager/ui/MainFrm.h"

#include "manager/app/AccessLevel.h"
#include "manager/app/FilePathRules.h"
#include "manager/app/SimulatorHandover.h"
#include "manager/core/DataManager.h"
#include "manager/core/SharedText.h"
#include "manager/ui/ChildFrm.h"
#include "manager/ui/DlgOnlineConnectAddnew.h"
#include "manager/ui/HelpOpener.h"
#include "manager/ui/ManagerMessages.h"
#include "manager/ui/QuorvaneApp.h"
#include "manager/ui/ToolBarButtons.h"
#include "manager/ui/WindowAids.h"
#include "platform/core/CmdUI.h"
#include "platform/core/File.h"
#include "platform/ui/DropFiles.h"
#include "platform/ui/Shell.h"
#include "platform/ui/FileDialog.h"
#include "platform/ui/FrameIds.h"
#include "platform/ui/Menu.h"
#include "platform/core/ResourceModule.h"
#include "resources/manager/resource_ids.h"
#include "manager/app/AlarmHistory.h"
#include "manager/dialogs/DlgSmallDialogs.h"
#include "manager/ui/FrameDialogs.h"
#include "tools/KXContInitDlg.h"
#include "tools/trace/KXWatcherDlg.h"
#include "tools/trace/TraceSetupDlg.h"

IMPLEMENT_DYNCREATE(CMainFrame, CMDIFrameWnd)

namespace {

constexpr UINT kStatusBarId = 59393;
constexpr char16_t kToolBarPlacement[] = u"ToolBarPlacement";
constexpr UINT kPbtApmSuspend = 4;

constexpr ToolBarButton kMainButtons[] = {
    {IDM_NEW_ONLINE, IDI_TB_NEW_ONLINE, IDS_TB_NEW_ONLINE},
    {IDM_NEW_OFFLINE, IDI_TB_NEW_OFFLINE, IDS_TB_NEW_OFFLINE},
    {IDM_OPEN_DATA, IDI_TB_OPEN, IDS_TB_OPEN},
    {IDM_SAVE_DATA, IDI_TB_SAVE, IDS_TB_SAVE},
    {ID_SEPARATOR, 0, 0},
    {ID_FILE_PRINT, IDI_TB_PRINT, IDS_TB_PRINT},
    {ID_FILE_PRINT_PREVIEW, IDI_TB_PREVIEW, IDS_TB_PREVIEW},
    {ID_SEPARATOR, 0, 0},
    {ID_EDIT_CUT, IDI_TB_CUT, IDS_TB_CUT},
    {ID_EDIT_COPY, IDI_TB_COPY, IDS_TB_COPY},
    {ID_EDIT_PASTE, IDI_TB_PASTE, IDS_TB_PASTE},
};

CQuorvaneApp& App() { return *GetQuorvaneApp(); }

// The popup of a menu that holds the command, or null.
HMENU PopupWith(HMENU menu, UINT command, int& position)
{
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
        const HMENU sub = ::GetSubMenu(menu, i);
        if (!sub) continue;
        for (int j = 0; j < ::GetMenuItemCount(sub); ++j) {
            if (::GetMenuItemID(sub, j) == command) {
                position = j;
                return sub;
            }
        }
    }
    return HMENU();
}

}  // namespace

BEGIN_MESSAGE_MAP(CMainFrame, CMDIFrameWnd)
    ON_WM_CREATE()
    ON_WM_CLOSE()
    ON_COMMAND(IDM_NEW_ONLINE, &CMainFrame::OnNewOnline)
    ON_COMMAND(IDM_OPEN_DATA, &CMainFrame::OnOpenData)
    ON_UPDATE_COMMAND_UI(IDM_NEW_ONLINE, &CMainFrame::OnUpdateIdleCommand)
    ON_UPDATE_COMMAND_UI(IDM_OPEN_DATA, &CMainFrame::OnUpdateIdleCommand)
    ON_COMMAND(ID_VIEW_TOOLBAR, &CMainFrame::OnViewToolBar)
    ON_UPDATE_COMMAND_UI(ID_VIEW_TOOLBAR, &CMainFrame::OnUpdateViewToolBar)
    ON_COMMAND_EX(ID_VIEW_STATUS_BAR, &CFrameWnd::OnBarCheck)
    ON_UPDATE_COMMAND_UI(ID_VIEW_STATUS_BAR, &CFrameWnd::OnUpdateControlBarMenu)
    ON_COMMAND_EX_RANGE(IDM_ICON_16, IDM_TEXT_LABELS, &CMainFrame::OnToolBarStyle)
    ON_UPDATE_COMMAND_UI_RANGE(IDM_ICON_16, IDM_TEXT_LABELS, &CMainFrame::OnUpdateToolBarStyle)
    ON_COMMAND_EX(IDM_RESET_TOOLBAR, &CMainFrame::OnToolBarStyle)
    ON_COMMAND(ID_APP_ABOUT, &CMainFrame::OnAbout)
    ON_COMMAND(IDM_CLOSE_ALL, &CMainFrame::OnCloseAll)
    ON_UPDATE_COMMAND_UI(IDM_CLOSE_ALL, &CMainFrame::OnUpdateIdleCommand)
    ON_COMMAND_EX(IDM_MINIMIZE_ALL, &CMainFrame::OnShowAll)
    ON_COMMAND_EX(IDM_RESTORE_ALL, &CMainFrame::OnShowAll)
    ON_COMMAND_EX(IDM_MINIMIZE_MONITORS, &CMainFrame::OnShowMonitors)
    ON_COMMAND_EX(IDM_RESTORE_MONITORS, &CMainFrame::OnShowMonitors)
    ON_COMMAND(IDM_SIMULATOR, &CMainFrame::OnSimulator)
    ON_UPDATE_COMMAND_UI(IDM_SIMULATOR, &CMainFrame::OnUpdateAlways)
    ON_COMMAND(IDM_HELP_CONTENTS, &CMainFrame::OnHelpContents)
    ON_COMMAND(ID_HELP, &CMainFrame::OnHelpContents)
    ON_COMMAND(IDM_CONTROLLER_INIT, &CMainFrame::OnControllerInit)
    ON_UPDATE_COMMAND_UI(IDM_CONTROLLER_INIT, &CMainFrame::OnUpdateAlways)
    ON_COMMAND(IDM_WATCHER, &CMainFrame::OnWatcher)
    ON_COMMAND(IDM_ACCESS_CODE, &CMainFrame::OnAccessPassword)
    ON_UPDATE_COMMAND_UI(IDM_ACCESS_CODE, &CMainFrame::OnUpdateAlways)
    ON_UPDATE_COMMAND_UI(IDM_WATCHER, &CMainFrame::OnUpdateWatcher)
    ON_COMMAND(IDM_NOTHING, &CMainFrame::OnNothing)
    ON_COMMAND(IDM_NEW_OFFLINE, &CMainFrame::OnNewOffline)
    ON_UPDATE_COMMAND_UI(IDM_NEW_OFFLINE, &CMainFrame::OnUpdateIdleCommand)
    ON_COMMAND(IDM_TRANSPORT_FROM, &CMainFrame::OnTransportFrom)
    ON_COMMAND(IDM_TRANSPORT_TO, &CMainFrame::OnTransportTo)
    ON_COMMAND(IDM_ALARM_TRANSPORT, &CMainFrame::OnAlarmTransport)
    ON_COMMAND(IDM_GLOBAL_TRANSPORT, &CMainFrame::OnGlobalTransport)
    ON_COMMAND(IDM_GENERATION_TRANSPORT, &CMainFrame::OnGenerationTransport)
    ON_UPDATE_COMMAND_UI(IDM_TRANSPORT_FROM, &CMainFrame::OnUpdateTransport)
    ON_UPDATE_COMMAND_UI(IDM_TRANSPORT_TO, &CMainFrame::OnUpdateTransport)
    ON_UPDATE_COMMAND_UI(IDM_ALARM_TRANSPORT, &CMainFrame::OnUpdateTransport)
    ON_UPDATE_COMMAND_UI(IDM_GLOBAL_TRANSPORT, &CMainFrame::OnUpdateTransport)
    ON_UPDATE_COMMAND_UI(IDM_GENERATION_TRANSPORT, &CMainFrame::OnUpdateTransport)
    ON_COMMAND(IDM_ALARM_FILE, &CMainFrame::OnAlarmFile)
    ON_UPDATE_COMMAND_UI(IDM_ALARM_FILE, &CMainFrame::OnUpdateIdleCommand)
    ON_COMMAND(IDM_OPTIONS, &CMainFrame::OnOptions)
    ON_UPDATE_COMMAND_UI(IDM_OPTIONS, &CMainFrame::OnUpdateTransport)
    ON_MESSAGE(UM_SHOWLAUNCHER, &CMainFrame::OnShowLauncher)
    ON_NOTIFY(TBN_DROPDOWN, AFX_IDW_TOOLBAR, &CMainFrame::OnOpenDropDown)
    ON_MESSAGE(WM_POWERBROADCAST, &CMainFrame::OnPowerBroadcast)
    ON_MESSAGE(UM_OPENHANDEDFILE, &CMainFrame::OnOpenHandedFile)
    ON_MESSAGE(UM_ACCESSLEVELCHANGED, &CMainFrame::OnAccessLevelChanged)
END_MESSAGE_MAP()

CMainFrame::CMainFrame() = default;

CMainFrame::~CMainFrame() = default;

CMainFrame::BusyScope::BusyScope(CMainFrame& frame) : m_frame(frame)
{
    if (m_frame.m_busy++ == 0) m_frame.EnableSystemClose(false);
}

CMainFrame::BusyScope::~BusyScope()
{
    if (--m_frame.m_busy == 0 && ::IsWindow(m_frame.GetSafeHwnd())) m_frame.EnableSystemClose(true);
}

template <class Run>
void CMainFrame::RunControllerDialog(Run run)
{
    {
        CPollingPause pause;
        m_modal = true;
        run();
        m_modal = false;
    }
    AfterModalDialog();
}

void CMainFrame::EnableSystemClose(bool enable)
{
    if (CMenu* system = GetSystemMenu(FALSE)) system->EnableMenuItem(SC_CLOSE, MF_BYCOMMAND | (enable ? MF_ENABLED : MF_GRAYED));
}

BOOL CMainFrame::PreCreateWindow(CREATESTRUCTW& cs)
{
    cs.dwExStyle |= WS_EX_ACCEPTFILES;
    return CMDIFrameWnd::PreCreateWindow(cs);
}

int CMainFrame::OnCreate(LPCREATESTRUCT lpcs)
{
    if (CMDIFrameWnd::OnCreate(lpcs) == -1) return -1;
    static const UINT kIndicators[] = {ID_SEPARATOR, ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL};
    if (!m_statusBar.Create(this, WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, kStatusBarId) ||
        !m_statusBar.SetIndicators(kIndicators, static_cast<int>(std::size(kIndicators))))
        return -1;

    CacheSystemColors();
    CQuorvaneApp& app = App();
    app.LoadSettings();
    const AppOptions& options = app.Options();
    bool restored = false;
    if (options.RestorePlacement()) {
        const StoredWindowPlacement stored = options.WindowPlacement();
        if (stored.length != 0) {
            const RECT& r = stored.normalPosition;
            if (r.right - r.left > 100 && r.bottom - r.top > 100) {
                restored = true;
                // The frame's rectangle as it was at the last end; the window
                // is shown later with the program's show command.
                WINDOWPLACEMENT wp{};
                wp.length = sizeof(wp);
                wp.showCmd = SW_HIDE;
                wp.rcNormalPosition = r;
                SetWindowPlacement(&wp);
            }
            if (stored.showCommand == SW_SHOWMAXIMIZED) app.m_nCmdShow = SW_SHOWMAXIMIZED;
        }
    }
    if (!restored) PlaceForFirstStart();
    EnableDocking(CBRS_ALIGN_ANY);
    BuildToolBar(false);
    AdjustMenuForAccess();
    *app.ReadyFlag() = 1;
    return 0;
}

void CMainFrame::PlaceForFirstStart()
{
    // Room for a controller window with its tree and every pane whole: the
    // screen's work area, up to a size that leaves larger screens some desk.
    constexpr int kMostWidth = 1440;
    constexpr int kMostHeight = 1080;
    MONITORINFO info{};
    if (!::GetMonitorInfoW(::MonitorFromWindow(GetSafeHwnd(), MONITOR_DEFAULTTOPRIMARY), &info)) return;
    const RECT& work = info.rcWork;
    const int width = std::min(kMostWidth, static_cast<int>(work.right - work.left));
    const int height = std::min(kMostHeight, static_cast<int>(work.bottom - work.top));
    // As a placement: the size is the frame's, once the window manager has framed it.
    WINDOWPLACEMENT wp{};
    wp.length = sizeof(wp);
    wp.showCmd = SW_HIDE;
    wp.rcNormalPosition.left = work.left + (work.right - work.left - width) / 2;
    wp.rcNormalPosition.top = work.top + (work.bottom - work.top - height) / 2;
    wp.rcNormalPosition.right = wp.rcNormalPosition.left + width;
    wp.rcNormalPosition.bottom = wp.rcNormalPosition.top + height;
    SetWindowPlacement(&wp);
}

void CMainFrame::BuildToolBar(bool reset)
{
    CQuorvaneApp& app = App();
    m_images.DeleteImageList();
    if (m_toolBar) {
        if (!reset) SaveBarState(kToolBarPlacement);
        m_toolBar->DestroyWindow();
        m_toolBar.reset();
    }
    const bool labels = app.Options().ToolBarTextLabels();
    const int size = app.Options().ToolBarIconPixels();
    m_toolBar = std::make_unique<CToolBar>();
    DWORD style = WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_GRIPPER | CBRS_BORDER_BOTTOM | CBRS_FLYBY | CBRS_SIZE_DYNAMIC;
    if (!labels) style |= CBRS_TOOLTIPS;
    if (!m_toolBar->CreateEx(this, TBSTYLE_FLAT, style)) {
        m_toolBar.reset();
        return;
    }
    FillToolBar(*m_toolBar, m_images, kMainButtons, size, labels);
    m_toolBar->GetToolBarCtrl().SetExtendedStyle(TBSTYLE_EX_DRAWDDARROWS);
    m_toolBar->SetButtonStyle(2, m_toolBar->GetButtonStyle(2) | TBSTYLE_DROPDOWN);
    m_toolBar->SetWindowText(GetTitle());
    m_toolBar->EnableDocking(CBRS_ALIGN_ANY);
    DockControlBar(m_toolBar.get());
    if (app.Options().RestorePlacement() && !reset) LoadBarState(kToolBarPlacement);
    RecalcLayout();
    SendMessageToDescendants(UM_REBUILDTOOLBAR, reset ? 1 : 0, 0, TRUE, TRUE);
}

bool CMainFrame::IsToolBarVisible() const
{
    return m_toolBar && ::IsWindow(m_toolBar->GetSafeHwnd()) && (m_toolBar->GetStyle() & WS_VISIBLE);
}

CChildFrame* CMainFrame::ActiveChild() const { return dynamic_cast<CChildFrame*>(MDIGetActive()); }

void CMainFrame::AdjustMenuForAccess()
{
    HMENU menus[] = {::GetMenu(GetSafeHwnd()), m_hMenuDefault,
                     App().Template() ? App().Template()->m_hMenuShared : HMENU()};
    const bool wanted = ShowsControllerInitItem(App().GetAccessLevel());
    for (HMENU menu : menus) {
        if (!menu) continue;
        int position = 0;
        if (HMENU popup = PopupWith(menu, IDM_GENERATION_TRANSPORT, position)) ::DeleteMenu(popup, position, MF_BYPOSITION);
        HMENU popup = PopupWith(menu, IDM_SIMULATOR, position);
        if (!popup) continue;
        int existing = 0;
        const bool present = PopupWith(menu, IDM_CONTROLLER_INIT, existing) != HMENU();
        if (wanted && !present) {
            int options = 0;
            if (PopupWith(menu, IDM_OPTIONS, options) == popup) {
                ::InsertMenuW(popup, options + 1, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
                ::InsertMenuW(popup, options + 2, MF_BYPOSITION | MF_STRING, IDM_CONTROLLER_INIT,
                              LoadFrameText(IDS_CONTROLLER_INIT_ITEM).GetString());
            }
        } else if (!wanted && present) {
            ::DeleteMenu(popup, existing, MF_BYPOSITION);
            // The separator put in before it.
            if (existing > 0 && ::GetMenuItemID(popup, existing - 1) == 0) ::DeleteMenu(popup, existing - 1, MF_BYPOSITION);
        }
    }
    DrawMenuBar();
}

// ------------------------------------------------------------------ close

bool CMainFrame::CloseAllChildren(WPARAM doNotAsk)
{
    while (CMDIChildWnd* child = MDIGetActive()) {
        const HWND hwnd = child->GetSafeHwnd();
        if (child->SendMessage(UM_QUERYCLOSE, doNotAsk) != 0) return false;
        child->SendMessage(UM_CLOSEFRAME, 1);
        // A frame that stayed (it was not ours to close) ends the loop.
        if (::IsWindow(hwnd)) return false;
    }
    return true;
}

void CMainFrame::OnClose()
{
    if (!IsIdle()) return;
    CQuorvaneApp& app = App();
    std::optional<ChildWindowPlacement> noted;
    if (CMDIChildWnd* child = MDIGetActive()) {
        WINDOWPLACEMENT wp{};
        wp.length = sizeof(wp);
        if (child->GetWindowPlacement(&wp)) {
            noted = ChildWindowPlacement{static_cast<int>(wp.showCmd), wp.rcNormalPosition.left, wp.rcNormalPosition.top,
                                         wp.rcNormalPosition.right, wp.rcNormalPosition.bottom};
        }
    }
    {
        BusyScope busy(*this);
        const bool ctrl = (::GetKeyState(VK_CONTROL) & 0x8000) != 0;
        if (!CloseAllChildren(ClosesWithoutAsking(app.GetAccessLevel(), ctrl) ? 1 : 0)) return;
    }
    if (noted) app.ChildPlacement() = *noted;
    WINDOWPLACEMENT wp{};
    wp.length = sizeof(wp);
    if (GetWindowPlacement(&wp)) {
        StoredWindowPlacement stored;
        stored.length = static_cast<std::int32_t>(sizeof(StoredWindowPlacement));
        stored.flags = static_cast<std::int32_t>(wp.flags);
        stored.showCommand = static_cast<std::int32_t>(wp.showCmd);
        stored.minPosition = wp.ptMinPosition;
        stored.maxPosition = wp.ptMaxPosition;
        stored.normalPosition = wp.rcNormalPosition;
        app.Options().SetWindowPlacement(stored);
    }
    app.SaveSettings();
    SaveBarState(kToolBarPlacement);
    CMDIFrameWnd::OnClose();
}

void CMainFrame::OnCloseAll()
{
    if (!IsIdle()) return;
    BusyScope busy(*this);
    const bool ctrl = (::GetKeyState(VK_CONTROL) & 0x8000) != 0;
    CloseAllChildren(ClosesWithoutAsking(App().GetAccessLevel(), ctrl) ? 1 : 0);
}

BOOL CMainFrame::OnShowAll(UINT nID)
{
    SendMessageToDescendants(UM_SHOWFRAME, nID == IDM_MINIMIZE_ALL ? SW_MINIMIZE : SW_RESTORE, 0, TRUE, TRUE);
    return TRUE;
}

BOOL CMainFrame::OnShowMonitors(UINT nID)
{
    CDataManager::ShowMonitorsMinimized(nID == IDM_MINIMIZE_MONITORS);
    return TRUE;
}

// ------------------------------------------------------------------ opening

void CMainFrame::OnUpdateIdleCommand(CCmdUI* pCmdUI) { pCmdUI->Enable(IsIdle() ? TRUE : FALSE); }

void CMainFrame::OnUpdateAlways(CCmdUI* pCmdUI) { pCmdUI->Enable(TRUE); }

void CMainFrame::OnNewOnline()
{
    if (!IsIdle()) return;
    BusyScope busy(*this);
    CQuorvaneApp& app = App();
    int port = 0;
    CString name;
    {
        // The dialog may change the port's settings; they are kept when the
        // port object goes.
        CCommManager link;
        link.Initialize();
        CDlgOnlineConnectAddnew dlg(this);
        dlg.SetName(app.MakeNewWindowName(kOpenWindowSerial));
        dlg.SetComPort(static_cast<WORD>(m_lastComPort));
        dlg.SetCommManager(&link);
        if (dlg.DoModal() != IDOK) return;
        port = dlg.GetComPort();
        name = dlg.GetName();
    }
    m_lastComPort = port;
    app.Pending() = MakeSerialRequest(port, name);
    CPollingPause pause;
    app.OpenPendingConnection();
}

void CMainFrame::OnOpenData()
{
    if (!IsIdle()) return;
    BusyScope busy(*this);
    const CString extension = LoadFrameText(IDS_DATA_FILE_EXTENSION);
    CString filter;
    filter.Format(LoadFrameText(IDS_DATA_FILE_FILTER), extension.GetString(), extension.GetString());
    CFileDialog dlg(TRUE, extension.GetString(), nullptr,
                    OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST, filter.GetString(), this);
    if (dlg.DoModal() != IDOK) return;
    const CString path = dlg.GetPathName();
    if (path.GetLength() >= kMaxPathChars) {
        ::ShowMessage(IDS_PATH_TOO_LONG, MB_OK | MB_ICONWARNING);
        return;
    }
    App().OpenDataFile(path);
}

void CMainFrame::OnDropFiles(HDROP hDropInfo)
{
    const UINT count = ::DragQueryFileW(hDropInfo, 0xFFFFFFFF, nullptr, 0);
    std::vector<CString> paths;
    for (UINT i = 0; i < count; ++i) {
        char16_t buffer[4096] = {};
        ::DragQueryFileW(hDropInfo, i, buffer, 4096);
        paths.emplace_back(buffer);
    }
    ::DragFinish(hDropInfo);
    if (!IsIdle()) return;
    BusyScope busy(*this);
    CQuorvaneApp& app = App();
    for (const CString& path : paths) {
        if (!app.CanOpenAnotherWindow()) {
            ::ShowMessage(IDS_TOO_MANY_WINDOWS, MB_OK | MB_ICONWARNING);
            break;
        }
        if (IsDataFilePath(path) && path.GetLength() < kMaxPathChars) app.OpenDataFile(path);
    }
}

LRESULT CMainFrame::OnOpenHandedFile(WPARAM, LPARAM lParam)
{
    std::unique_ptr<CString> path(reinterpret_cast<CString*>(lParam));
    if (!path) return 0;
    if (IsIconic()) ShowWindow(SW_RESTORE);
    SetForegroundWindow();
    if (!IsIdle() || !IsDataFilePath(*path) || !platform::FileExists(path->GetString())) return 0;
    BusyScope busy(*this);
    CQuorvaneApp& app = App();
    if (!app.CanOpenAnotherWindow()) {
        ::ShowMessage(IDS_TOO_MANY_WINDOWS, MB_OK | MB_ICONWARNING);
        return 0;
    }
    app.OpenDataFile(*path);
    return 0;
}

void CMainFrame::OnOpenDropDown(NMHDR* header, LRESULT* result)
{
    *result = TBDDRET_DEFAULT;
    auto* info = reinterpret_cast<NMTOOLBAR*>(header);
    if (info->iItem != static_cast<int>(IDM_OPEN_DATA) || !m_toolBar) return;
    CMenu menu;
    if (!menu.LoadMenu(IDR_OPEN_DROPDOWN)) return;
    CMenu* popup = menu.GetSubMenu(0);
    if (!popup) return;
    CRect r;
    m_toolBar->GetItemRect(m_toolBar->CommandToIndex(IDM_OPEN_DATA), &r);
    m_toolBar->ClientToScreen(&r);
    popup->TrackPopupMenu(TPM_LEFTALIGN, r.left, r.bottom + 1, this);
}

// ------------------------------------------------------------------ bars

void CMainFrame::OnViewToolBar()
{
    if (!m_toolBar) return;
    const bool show = !IsToolBarVisible();
    ShowControlBar(m_toolBar.get(), show ? TRUE : FALSE, FALSE);
    RecalcLayout();
    SendMessageToDescendants(UM_SHOWTOOLBAR, show ? SW_SHOW : SW_HIDE, 0, TRUE, TRUE);
}

void CMainFrame::OnUpdateViewToolBar(CCmdUI* pCmdUI) { pCmdUI->SetCheck(IsToolBarVisible() ? 1 : 0); }

BOOL CMainFrame::OnToolBarStyle(UINT nID)
{
    AppOptions& options = App().Options();
    switch (nID) {
    case IDM_ICON_16: options.SetToolBarIconCode(1); break;
    case IDM_ICON_24: options.SetToolBarIconCode(2); break;
    case IDM_ICON_32: options.SetToolBarIconCode(3); break;
    case IDM_TEXT_LABELS: options.SetToolBarTextLabels(!options.ToolBarTextLabels()); break;
    default: break;
    }
    BuildToolBar(nID == IDM_RESET_TOOLBAR);
    return TRUE;
}

void CMainFrame::OnUpdateToolBarStyle(CCmdUI* pCmdUI)
{
    const AppOptions& options = App().Options();
    pCmdUI->Enable(IsToolBarVisible() ? TRUE : FALSE);
    const int code = options.ToolBarIconCode() == 0 ? 1 : options.ToolBarIconCode();
    switch (pCmdUI->m_nID) {
    case IDM_ICON_16: pCmdUI->SetCheck(code == 1); break;
    case IDM_ICON_24: pCmdUI->SetCheck(code == 2); break;
    case IDM_ICON_32: pCmdUI->SetCheck(code == 3); break;
    case IDM_TEXT_LABELS: pCmdUI->SetCheck(options.ToolBarTextLabels()); break;
    default: break;
    }
}

// ------------------------------------------------------------------ others

void CMainFrame::OnAbout() { App().ShowSplash(false); }

void CMainFrame::OnSimulator()
{
    if (!StartStandaloneSimulator()) ::ShowMessage(IDS_SIM_START_FAILED, MB_OK | MB_ICONERROR);
}

void CMainFrame::OnHelpContents()
{
    const CString& help = App().HelpFile();
    if (help.IsEmpty() || !platform::FileExists(help.GetString())) {
        ::ShowMessage(IDS_HELP_FILE_MISSING, MB_OK | MB_ICONWARNING);
        return;
    }
    // The help is a page for the desktop's browser; when it cannot be shown
    // the user is told where the page lies.
    if (!m_helpOpener) m_helpOpener = std::make_unique<CHelpOpener>(GetSafeHwnd());
    m_helpOpener->Open(help);
}

void CMainFrame::OnControllerInit()
{
    CQuorvaneApp& app = App();
    // Level 1 opens at once; level 5 first asks for the initialisation code;
    // other levels have nothing to open.
    switch (app.Access().ControllerInitAccess()) {
    case CAccessLevel::ControllerInit::Open: break;
    case CAccessLevel::ControllerInit::AskForCode: {
        CDlgParameterPassword code(this);
        if (code.DoModal() != IDOK) return;
        const CString& text = code.GetEnteredText();
        if (!CAccessLevel::IsControllerInitCode(std::u16string_view(text.GetString(), text.GetLength()))) return;
        break;
    }
    default: return;
    }
    RunControllerDialog([] {
        CKXContInitDlg dlg;
        CDataManager* current = CDataManager::GetCurrent();
        if (current && current->IsPortOpen()) dlg.SetCommMan(current->GetLink());
        dlg.DoModal();
    });
}

void CMainFrame::OnUpdateWatcher(CCmdUI* pCmdUI)
{
    // The trace window needs a live line to a controller.
    CDataManager* current = CDataManager::GetCurrent();
    pCmdUI->Enable(!m_modal && current && current->IsPortOpen());
}

void CMainFrame::OnWatcher()
{
    CDataManager* current = CDataManager::GetCurrent();
    if (!current || !current->IsPortOpen()) return;
    const ControllerData* data = current->GetController(current->GetCurrentIndex());
    const RobotParameterSet* set = data ? data->FirstParamSet() : nullptr;
    // On the field bus the line is the controller's only while nobody polls it.
    if (set && set->K(80) == 2 && current->IsPollingEnabled()) {
        ::ShowMessage(IDS_WATCHER_FIELD_BUS, MB_OK | MB_ICONWARNING);
        return;
    }
    static const bool setupInstalled = [] {
        InstallTraceSetupDialog();
        return true;
    }();
    (void)setupInstalled;
    RunControllerDialog([&] {
        CKXWatcherDlg dlg(0, 0, nullptr);
        dlg.SetCommMan(current->GetLink());
        dlg.SetNodeNo(set ? set->K(38) : 1);
        dlg.SetAppHelpPath(App().m_pszHelpFilePath ? CString(App().m_pszHelpFilePath) : CString());
        dlg.DoModal();
    });
}

void CMainFrame::OnAccessPassword()
{
    CDlgParameterPassword dlg(this);
    if (dlg.DoModal() != IDOK) return;
    const CString& text = dlg.GetEnteredText();
    CAccessLevel& access = App().Access();
    // A wrong code, or one that would not raise the level, changes nothing.
    if (!access.EnterAccessCode(std::u16string_view(text.GetString(), text.GetLength()))) return;
    const WPARAM level = static_cast<WPARAM>(access.Get());
    SendMessage(UM_ACCESSLEVELCHANGED, level, 0);
    SendMessageToDescendants(UM_ACCESSLEVELCHANGED, level, 0, TRUE, TRUE);
}

void CMainFrame::AfterModalDialog()
{
    if (CMDIChildWnd* child = MDIGetActive()) child->SendMessage(UM_REFRESH);
    else SendMessage(UM_REFRESH);
}

LRESULT CMainFrame::OnPowerBroadcast(WPARAM wParam, LPARAM)
{
    if (wParam == kPbtApmSuspend) SendMessageToDescendants(UM_SUSPENDLINK, 0, 0, TRUE, TRUE);
    return TRUE;
}

LRESULT CMainFrame::OnAccessLevelChanged(WPARAM, LPARAM)
{
    AdjustMenuForAccess();
    return 0;
}

// ------------------------------------------------------------------ data-moving dialogs

void CMainFrame::OnUpdateTransport(CCmdUI* pCmdUI) { pCmdUI->Enable(m_modal ? FALSE : TRUE); }

void CMainFrame::RunTransport(TransportCommand command)
{
    if (m_modal) return;
    TransportPreset preset;
    if (CChildFrame* child = ActiveChild()) {
        const COpenWindowRegistry& registry = App().Registry();
        preset.comPort = registry.GetComPortOfWindow(child);
        preset.address = registry.GetAddressOfWindow(child);
    }
    RunControllerDialog([&] { RunTransportDialog(command, this, preset); });
}

void CMainFrame::OnNewOffline()
{
    if (!IsIdle()) return;
    BusyScope busy(*this);
    CQuorvaneApp& app = App();
    if (!app.CanOpenAnotherWindow()) {
        ::ShowMessage(IDS_TOO_MANY_WINDOWS, MB_OK | MB_ICONWARNING);
        return;
    }
    ControllerDataStore store;
    ControllerDataSlot data;
    store.AllocControllerData(data);
    CString name;
    if (!RunAddNewWizard(this, app.MakeNewWindowName(kOpenWindowOffline), *data, name)) return;
    app.Pending() = MakeNewDataRequest(name);
    // The new window's data manager copies the data while the window is
    // built; the frame lends them only for that time.
    CMainFrameWindows& windows = app.Windows();
    windows.SetNewControllerData(data.get());
    {
        CPollingPause pause;
        app.OpenPendingConnection();
    }
    windows.SetNewControllerData(nullptr);
}

void CMainFrame::OnTransportFrom() { RunTransport(TransportCommand::ReadToFile); }

void CMainFrame::OnTransportTo() { RunTransport(TransportCommand::WriteToController); }

void CMainFrame::OnAlarmTransport() { RunTransport(TransportCommand::Alarm); }

void CMainFrame::OnGlobalTransport() { RunTransport(TransportCommand::GlobalCommand); }

void CMainFrame::OnGenerationTransport() { RunTransport(TransportCommand::Generation); }

void CMainFrame::OnAlarmFile()
{
    if (!IsIdle() || m_modal) return;
    BusyScope busy(*this);
    const CString extension = LoadFrameText(IDS_ALARM_FILE_EXTENSION);
    CString filter;
    filter.Format(LoadFrameText(IDS_ALARM_FILE_FILTER), extension.GetString(), extension.GetString());
    CFileDialog open(TRUE, extension.GetString(), nullptr,
                     OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST, filter.GetString(), this);
    if (open.DoModal() != IDOK) return;
    const CString path = open.GetPathName();
    if (path.GetLength() >= kMaxPathChars) {
        ::ShowMessage(IDS_PATH_TOO_LONG, MB_OK | MB_ICONWARNING);
        return;
    }
    // A file that cannot be read says so instead of showing an empty history.
    CString probe;
    if (!LoadAlarmHistoryFile(path, probe)) {
        CString text;
        text.Format(LoadFrameText(IDS_ALARM_FILE_UNREADABLE), path.GetString());
        AfxMessageBox(text.GetString(), MB_OK | MB_ICONERROR);
        return;
    }
    m_modal = true;
    RunAlarmFileDialog(this, path);
    m_modal = false;
}

void CMainFrame::OnOptions()
{
    CQuorvaneApp& app = App();
    if (!app.Settings() || m_modal) return;
    RunControllerDialog([&] { RunOptionSheet(this, *app.Settings()); });
}

LRESULT CMainFrame::OnShowLauncher(WPARAM wParam, LPARAM)
{
    CQuorvaneApp& app = App();
    if (!app.Settings() || !IsIdle() || m_modal) return 0;
    m_modal = true;
    RunLauncher(this, *app.Settings(), wParam == kLauncherAtStart);
    m_modal = false;
    AfterModalDialog();
    return 0;
}
