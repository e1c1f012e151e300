#include "manager/ui/ManagerWindowsImpl.h"

#include "manager/core/DataManager.h"
#include "manager/ui/ChildFrm.h"
#include "manager/ui/MainFrm.h"
#include "manager/ui/ManagerMessages.h"
#include "manager/ui/QuorvaneApp.h"
#include "manager/ui/RightpaneFormView.h"
#include "manager/widgets/GradientProgressCtrl.h"
#include "manager/widgets/ProgressWaitWnd.h"
#include "manager/dialogs/DlgDesktopTerminal.h"
#include "manager/dialogs/DialogHelpers.h"
#include "manager/dialogs/DlgIoMonitor.h"
#include "platform/ui/ArrangeWindows.h"
#include "platform/ui/ToolBar.h"
#include "platform/core/MessageBox.h"
#include "platform/ui/WinApp.h"

CString LoadFrameText(UINT id)
{
    CString text;
    text.LoadString(id);
    return text;
}

int ShowMessage(UINT id, UINT type) { return AfxMessageBox(LoadFrameText(id).GetString(), type); }

namespace {

RECT RectOf(HWND hwnd)
{
    RECT r{};
    if (hwnd) ::GetWindowRect(hwnd, &r);
    return r;
}

// The room around the active controller window for the terminal and the monitors.
std::optional<ModelessRoom> ControllerWindowRoom()
{
    CQuorvaneApp* app = GetQuorvaneApp();
    CMainFrame* frame = app ? app->MainFrame() : nullptr;
    if (!frame || !::IsWindow(frame->GetSafeHwnd()) || !frame->IsWindowVisible()) return std::nullopt;
    MONITORINFO monitor{};
    if (!::GetMonitorInfoW(::MonitorFromWindow(frame->GetSafeHwnd(), MONITOR_DEFAULTTONEAREST), &monitor))
        return std::nullopt;
    ModelessRoom room;
    room.screen = monitor.rcWork;
    const RECT main = RectOf(frame->GetSafeHwnd());
    const RECT client = RectOf(frame->m_hWndMDIClient);
    CChildFrame* child = frame->ActiveChild();
    room.controller = child && !child->IsIconic() ? RectOf(child->GetSafeHwnd()) : client;
    // The main window's menu bar and tool bar lie above its client area; the
    // controller window's own tool bar below its title.
    room.keepClear = RECT{main.left, main.top, main.right, std::max(main.top, client.top)};
    if (CToolBar* bar = child ? child->ToolBar() : nullptr; bar && ::IsWindow(bar->GetSafeHwnd()) && bar->IsWindowVisible())
        room.keepClear.bottom = std::max(room.keepClear.bottom, RectOf(bar->GetSafeHwnd()).bottom);
    return room;
}

}  // namespace

void CMainFrameWindows::InstallLocators()
{
    SetModelessRoomLocator(ControllerWindowRoom);
    // The terminal rests the manual panel of the active controller window
    // while its origin return runs, its stop is that panel's stop, and the
    // status displays name the panel's jog or inch.
    CDlgManual::SetActivePanelLocator([]() -> CDlgManual* {
        CQuorvaneApp* app = GetQuorvaneApp();
        CMainFrame* frame = app ? app->MainFrame() : nullptr;
        CChildFrame* child = frame ? frame->ActiveChild() : nullptr;
        CRightpaneFormView* right = child ? child->GetRightpaneFormView() : nullptr;
        return right ? right->PointTable().Manual() : nullptr;
    });
}

std::unique_ptr<IDesktopTerminal> CMainFrameWindows::CreateDesktopTerminal(HWND parent)
{
    return CDlgDesktopTerminal::CreateFor(parent);
}

std::unique_ptr<IIoMonitor> CMainFrameWindows::CreateIoMonitor(HWND parent)
{
    return CDlgIoMonitor::CreateFor(parent);
}

std::unique_ptr<IStatusMonitor> CMainFrameWindows::CreateStatusMonitor(HWND parent)
{
    return CDlgStatusMonitor::CreateFor(parent);
}

HWND CMainFrameWindows::GetMainWindow()
{
    CWnd* main = AfxGetMainWnd();
    return main ? main->GetSafeHwnd() : HWND();
}

const ParamDefTable* CMainFrameWindows::GetParamDefTable(int number)
{
    CQuorvaneApp* app = GetQuorvaneApp();
    return app ? app->ParamTable(number) : nullptr;
}

CWnd* CMainFrameWindows::FindOpenWindow(const OpenWindowEntry& key)
{
    CQuorvaneApp* app = GetQuorvaneApp();
    return app ? app->Registry().Find(key) : nullptr;
}

CString CMainFrameWindows::GetWindowTitle(HWND window)
{
    CString text;
    if (CWnd* wnd = CWnd::FromHandle(window)) wnd->GetWindowText(text);
    return text;
}

void CMainFrameWindows::BeginWaitCursor()
{
    if (CWnd* main = AfxGetMainWnd()) main->BeginWaitCursor();
}

void CMainFrameWindows::EndWaitCursor()
{
    if (CWnd* main = AfxGetMainWnd()) main->EndWaitCursor();
}

namespace {

// The wait window of the data core: closing it destroys the window; the
// object goes with the handle.
class WaitWindowHandle final : public IWaitWindow {
public:
    WaitWindowHandle()
        : m_wnd(std::make_unique<CProgressWaitWnd>(TRUE, CGradientProgressCtrl::kPlainStyle, FALSE, TRUE, FALSE, 0))
    {
    }
    ~WaitWindowHandle() override { Close(); }
    BOOL Create(HWND owner, int width, int height) override { return m_wnd->Create(owner, width, height); }
    void SetMessage(const CString& text) override
    {
        if (Alive()) m_wnd->SetMessage(text);
    }
    void SetMessageFont(const CString& face, int points) override
    {
        if (Alive()) m_wnd->SetMessageFont(face, points);
    }
    void Show() override
    {
        if (Alive()) m_wnd->Show();
    }
    // A message box may have closed the window meanwhile; a second call finds nothing.
    void Close() override { m_wnd->Close(); }

private:
    bool Alive() const { return ::IsWindow(m_wnd->GetSafeHwnd()); }
    std::unique_ptr<CProgressWaitWnd> m_wnd;
};

}  // namespace

std::unique_ptr<IWaitWindow> CMainFrameWindows::CreateWaitWindow() { return std::make_unique<WaitWindowHandle>(); }

void CMainFrameWindows::CloseActiveWaitWindow() { CloseActiveProgressWaitWnd(); }

CWaitScope::CWaitScope(UINT textId, CWnd* owner)
{
    m_window = GetManagerWindows().CreateWaitWindow();
    if (!m_window) return;
    if (!m_window->Create(owner ? owner->GetSafeHwnd() : HWND(), 362, 100)) {
        m_window.reset();
        return;
    }
    m_window->SetMessageFont(u"Tahoma", 9);
    m_window->SetMessage(LoadFrameText(textId));
    m_window->Show();
}

CWaitScope::~CWaitScope()
{
    if (m_window) m_window->Close();
}

CPollingPause::CPollingPause()
{
    if (CDataManager* current = CDataManager::GetCurrent()) current->PausePolling();
}

CPollingPause::~CPollingPause()
{
    if (CDataManager* current = CDataManager::GetCurrent()) current->ResumePolling();
}
