#include "manager/ui/ChildFrm.h"

#include "manager/app/SimulatorHandover.h"
#include "manager/core/DataManager.h"
#include "manager/ui/LeftpaneFormView.h"
#include "manager/ui/LeftpaneTreeView.h"
#include "manager/ui/MainFrm.h"
#include "manager/ui/ManagerMessages.h"
#include "manager/ui/QuorvaneApp.h"
#include "manager/ui/QuorvaneDoc.h"
#include "manager/ui/RightpaneFormView.h"
#include "manager/ui/ToolBarButtons.h"
#include "platform/core/CmdUI.h"
#include "platform/ui/DocTemplate.h"
#include "platform/core/ResourceModule.h"
#include "resources/manager/resource_ids.h"

IMPLEMENT_DYNCREATE(CChildFrame, CMDIChildWnd)

namespace {

constexpr ToolBarButton kOfflineButtons[] = {
    {IDM_RESTORE_DATA, IDI_TB_RESTORE, IDS_TB_RESTORE},
    {IDM_READ_DATA, IDI_TB_READ, IDS_TB_READ},
    {IDM_TRANSPORT_DATA, IDI_TB_WRITE, IDS_TB_WRITE},
};

constexpr ToolBarButton kOnlineButtons[] = {
    {IDM_READ_CONTROLLER, IDI_TB_READ, IDS_TB_READ},
    {IDM_WRITE_CONTROLLER, IDI_TB_WRITE, IDS_TB_WRITE},
    {ID_SEPARATOR, 0, 0},
    {IDM_CHANGE_NODE, IDI_TB_CHANGE_NODE, IDS_TB_CHANGE_NODE},
    {ID_SEPARATOR, 0, 0},
    {IDM_IO_MONITOR, IDI_TB_IO_MONITOR, IDS_TB_IO_MONITOR},
    {IDM_STATUS_MONITOR, IDI_TB_STATUS_MONITOR, IDS_TB_STATUS_MONITOR},
    {IDM_ALARM_LIST, IDI_TB_ALARM, IDS_TB_ALARM},
    {IDM_DESKTOP_TERMINAL, IDI_TB_TERMINAL, IDS_TB_TERMINAL},
    {IDM_CONNECT, IDI_TB_CONNECT, IDS_TB_CONNECT},
};

constexpr int kOuterLeftWidth = 240;
constexpr int kOuterRightWidth = 400;
constexpr int kPaneHeight = 300;
constexpr int kMinimum = 10;

CMainFrame* MainFrame() { return dynamic_cast<CMainFrame*>(AfxGetMainWnd()); }

}  // namespace

BEGIN_MESSAGE_MAP(CChildFrame, CMDIChildWnd)
    ON_WM_CLOSE()
    ON_WM_DESTROY()
    ON_WM_SIZE()
    ON_WM_GETMINMAXINFO()
    ON_COMMAND(IDM_CLOSE_WINDOW, &CChildFrame::OnCloseWindow)
    ON_UPDATE_COMMAND_UI(IDM_CLOSE_WINDOW, &CChildFrame::OnUpdateCloseWindow)
    ON_MESSAGE(WM_MDIACTIVATE, &CChildFrame::OnMDIActivateMessage)
    ON_MESSAGE(UM_SUSPENDLINK, &CChildFrame::OnToTree)
    ON_MESSAGE(UM_LINKTIMEOUT, &CChildFrame::OnToTree)
    ON_MESSAGE(UM_LINKFAILED, &CChildFrame::OnToTree)
    ON_MESSAGE(UM_WRITETOCONTROLLER, &CChildFrame::OnToTree)
    ON_MESSAGE(UM_ACCESSLEVELCHANGED, &CChildFrame::OnToTree)
    ON_MESSAGE(UM_PAUSEPOLLING, &CChildFrame::OnToTree)
    ON_MESSAGE(UM_RESUMEPOLLING, &CChildFrame::OnToTree)
    ON_MESSAGE(UM_RESCANLINK, &CChildFrame::OnToTree)
    ON_MESSAGE(UM_REFRESH, &CChildFrame::OnToTree)
    ON_MESSAGE(UM_GETLINKOFWINDOW, &CChildFrame::OnToTree)
    ON_MESSAGE(UM_READFROMCONTROLLER, &CChildFrame::OnToTree)
    ON_MESSAGE(UM_MANUALPOINTCHANGED, &CChildFrame::OnToRightPane)
    ON_MESSAGE(UM_MANUALNOTIFY, &CChildFrame::OnToRightPane)
    ON_MESSAGE(UM_CELLDESCRIPTION, &CChildFrame::OnToRightPane)
    ON_MESSAGE(UM_GRIDCONTEXTMENU, &CChildFrame::OnToRightPane)
    ON_MESSAGE(UM_MANUALQUERY, &CChildFrame::OnToRightPane)
    ON_MESSAGE(UM_PARAMETERCHANGED, &CChildFrame::OnToRightPane)
    ON_MESSAGE(UM_PARAMETEREDITED, &CChildFrame::OnToRightPane)
    ON_MESSAGE(UM_QUERYCLOSE, &CChildFrame::OnQueryClose)
    ON_MESSAGE(UM_CLOSEFRAME, &CChildFrame::OnCloseFrame)
    ON_MESSAGE(UM_REBUILDTOOLBAR, &CChildFrame::OnRebuildToolBar)
    ON_MESSAGE(UM_SHOWTOOLBAR, &CChildFrame::OnShowToolBar)
    ON_MESSAGE(UM_SHOWFRAME, &CChildFrame::OnShowFrame)
END_MESSAGE_MAP()

CChildFrame::CChildFrame() = default;

CChildFrame::~CChildFrame()
{
    if (CQuorvaneApp* app = GetQuorvaneApp()) {
        app->Registry().Remove(this);
        // The request that is being opened must not keep a frame that is gone.
        if (app->Pending().entry.frame == this) app->Pending().entry.frame = nullptr;
    }
    if (m_icon) ::DestroyIcon(m_icon);
}

BOOL CChildFrame::OnCreateClient(LPCREATESTRUCT, CCreateContext* pContext)
{
    CQuorvaneApp* app = GetQuorvaneApp();
    if (!app) return FALSE;
    PendingOpenRequest& request = app->Pending();
    m_kind = request.entry.kind;
    m_displayName = request.displayName;
    m_comPort = request.entry.comPort;
    m_address = request.entry.address;

    const UINT iconId = IsOnline() ? IDI_TRANSFER_CONTROLLER : IDI_OFFLINE_WINDOW;
    m_icon = HICON(::LoadImageW(HINSTANCE(), MAKEINTRESOURCEW(iconId), IMAGE_ICON, 16, 16, 0));
    if (m_icon) SendMessage(WM_SETICON, 0, m_icon.ToWParam());

    if (!m_outer.CreateStatic(this, 1, 2, WS_CHILD | WS_VISIBLE, AFX_IDW_PANE_FIRST)) return FALSE;
    if (IsOnline()) {
        if (!m_inner.CreateStatic(&m_outer, 2, 1, WS_CHILD | WS_VISIBLE, static_cast<UINT>(m_outer.IdFromRowCol(0, 0))))
            return FALSE;
        if (!m_inner.CreateView(0, 0, pContext->m_pNewViewClass, CSize(kOuterLeftWidth, 180), pContext)) return FALSE;
        if (!m_inner.CreateView(1, 0, RUNTIME_CLASS(CLeftpaneFormView), CSize(kOuterLeftWidth, 100), pContext)) return FALSE;
        m_inner.SetRowInfo(0, kPaneHeight, kMinimum);
        m_inner.SetRowInfo(1, kPaneHeight, kMinimum);
        m_inner.SetColumnInfo(0, kOuterLeftWidth, kMinimum);
    } else {
        if (!m_outer.CreateView(0, 0, pContext->m_pNewViewClass, CSize(200, kPaneHeight), pContext)) return FALSE;
    }
    if (!m_outer.CreateView(0, 1, RUNTIME_CLASS(CRightpaneFormView), CSize(kOuterRightWidth, kPaneHeight), pContext))
        return FALSE;
    m_outer.SetColumnInfo(0, kOuterLeftWidth, kMinimum);
    m_outer.SetColumnInfo(1, kOuterRightWidth, kMinimum);
    m_outer.SetRowInfo(0, kPaneHeight, kMinimum);
    // Commands go to the tree first.
    SetActiveView(GetTreeView(), FALSE);
    BuildToolBar(false);
    request.entry.frame = this;
    return TRUE;
}

CLeftpaneTreeView* CChildFrame::GetTreeView() const
{
    CWnd* pane = IsOnline() ? (::IsWindow(m_inner.GetSafeHwnd()) ? m_inner.GetPane(0, 0) : nullptr)
                            : (::IsWindow(m_outer.GetSafeHwnd()) ? m_outer.GetPane(0, 0) : nullptr);
    return dynamic_cast<CLeftpaneTreeView*>(pane);
}

CRightpaneFormView* CChildFrame::GetRightpaneFormView() const
{
    return ::IsWindow(m_outer.GetSafeHwnd()) ? dynamic_cast<CRightpaneFormView*>(m_outer.GetPane(0, 1)) : nullptr;
}

CLeftpaneFormView* CChildFrame::GetLeftpaneFormView() const
{
    if (!IsOnline() || !::IsWindow(m_inner.GetSafeHwnd())) return nullptr;
    return dynamic_cast<CLeftpaneFormView*>(m_inner.GetPane(1, 0));
}

CQuorvaneDoc* CChildFrame::Document() const
{
    CLeftpaneTreeView* tree = GetTreeView();
    return tree ? tree->Document() : nullptr;
}

bool CChildFrame::BuildWindow()
{
    CQuorvaneApp* app = GetQuorvaneApp();
    CLeftpaneTreeView* tree = GetTreeView();
    if (!app || !tree) return false;
    if (tree->Build() < 1) return false;
    const ChildWindowPlacement& placement = app->ChildPlacement();
    const bool placed = placement.left != -1 && placement.top != -1 && placement.right != -1 && placement.bottom != -1;
    if (placed) {
        CRect r;
        GetWindowRect(&r);
        GetParent()->ScreenToClient(&r);
        const int width = placement.right - placement.left;
        const int height = placement.bottom - placement.top;
        if (width > 100 && height > 100) MoveWindow(r.left, r.top, width, height, FALSE);
    }
    tree->SelectController(0);
    m_built = true;
    // The first window ever opened shows its tree and every pane whole, as
    // far as the main window has room (once shown, when its frame is known);
    // later ones keep the size of the last.
    m_sizeToWhole = !placed;
    app->Pending().opened = true;
    return true;
}

void CChildFrame::ActivateFrame(int nCmdShow)
{
    // A window whose contents could not be built is never shown: its opener closes it.
    if (!m_built) return;
    CQuorvaneApp* app = GetQuorvaneApp();
    if (nCmdShow == -1 && app) nCmdShow = app->ChildPlacement().state == SW_SHOWMAXIMIZED ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
    CMDIChildWnd::ActivateFrame(nCmdShow);
    if (m_sizeToWhole && nCmdShow != SW_SHOWMAXIMIZED) {
        m_sizeToWhole = false;
        SizeToWholeWindow();
    }
}

BOOL CChildFrame::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_TAB) {
        if (CRightpaneFormView* right = GetRightpaneFormView()) {
            right->SetFocus();
            return TRUE;
        }
    }
    return CMDIChildWnd::PreTranslateMessage(pMsg);
}

BOOL CChildFrame::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    if (CRightpaneFormView::IsPaneCommand(nID))
        if (CRightpaneFormView* right = GetRightpaneFormView(); right && right->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
            return TRUE;
    if (CMDIChildWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
    // The tree carries the controller's commands also while a pane has the focus.
    CLeftpaneTreeView* tree = GetTreeView();
    return tree && tree != GetActiveView() && tree->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

// ------------------------------------------------------------------ tool bar

void CChildFrame::BuildToolBar(bool)
{
    m_images.DeleteImageList();
    if (m_toolBar) {
        m_toolBar->DestroyWindow();
        m_toolBar.reset();
    }
    if (m_kind != kOpenWindowOffline && m_kind != kOpenWindowSerial) return;
    CQuorvaneApp* app = GetQuorvaneApp();
    if (!app) return;
    const bool online = m_kind == kOpenWindowSerial;
    const ToolBarButton* buttons = online ? kOnlineButtons : kOfflineButtons;
    int count = online ? static_cast<int>(std::size(kOnlineButtons)) : static_cast<int>(std::size(kOfflineButtons));
    // The connect button only after the link was lost by a time-out.
    const CLeftpaneTreeView* tree = GetTreeView();
    if (online && !(tree && tree->IsTimeoutMarked())) --count;
    const bool labels = app->Options().ToolBarTextLabels();
    const int size = app->Options().ToolBarIconPixels();
    m_toolBar = std::make_unique<CToolBar>();
    DWORD style = WS_CHILD | CBRS_TOP | CBRS_GRIPPER | CBRS_BORDER_BOTTOM | CBRS_FLYBY | CBRS_SIZE_DYNAMIC;
    if (!labels) style |= CBRS_TOOLTIPS;
    const UINT id = online ? IDW_ONLINE_TOOLBAR : IDW_OFFLINE_TOOLBAR;
    if (!m_toolBar->CreateEx(this, TBSTYLE_FLAT, style, CRect(0, 0, 0, 0), id)) {
        m_toolBar.reset();
        return;
    }
    FillToolBar(*m_toolBar, m_images, std::span<const ToolBarButton>(buttons, static_cast<size_t>(count)), size, labels);
    // The update handlers enable what may run.
    for (int i = 0; i < count; ++i)
        if (buttons[i].command != ID_SEPARATOR)
            m_toolBar->GetToolBarCtrl().EnableButton(static_cast<int>(buttons[i].command), FALSE);
    EnableDocking(CBRS_ALIGN_ANY);
    m_toolBar->EnableDocking(CBRS_ALIGN_ANY);
    DockControlBar(m_toolBar.get());
    CMainFrame* main = MainFrame();
    ShowControlBar(m_toolBar.get(), main && main->IsToolBarVisible() ? TRUE : FALSE, FALSE);
    RecalcLayout();
}

LRESULT CChildFrame::OnRebuildToolBar(WPARAM wParam, LPARAM)
{
    BuildToolBar(wParam != 0);
    return 0;
}

LRESULT CChildFrame::OnShowToolBar(WPARAM wParam, LPARAM)
{
    if (m_toolBar) ShowControlBar(m_toolBar.get(), wParam == SW_SHOW ? TRUE : FALSE, FALSE);
    RecalcLayout();
    return 0;
}

LRESULT CChildFrame::OnShowFrame(WPARAM wParam, LPARAM)
{
    ShowWindow(static_cast<int>(wParam));
    return 0;
}

// ------------------------------------------------------------------ messages

LRESULT CChildFrame::OnToTree(WPARAM wParam, LPARAM lParam)
{
    CLeftpaneTreeView* tree = GetTreeView();
    if (!tree) return 0;
    const MSG* current = GetCurrentMessage();
    return tree->SendMessage(current ? current->message : 0, wParam, lParam);
}

LRESULT CChildFrame::OnToRightPane(WPARAM wParam, LPARAM lParam)
{
    CRightpaneFormView* right = GetRightpaneFormView();
    const MSG* current = GetCurrentMessage();
    return right && current ? right->SendMessage(current->message, wParam, lParam) : 0;
}

LRESULT CChildFrame::OnQueryClose(WPARAM wParam, LPARAM)
{
    CQuorvaneApp* app = GetQuorvaneApp();
    if (app && app->Simulator().RunningFrame() == this) {
        ShowMessage(IDS_SIM_WINDOW_BUSY, MB_OK | MB_ICONWARNING);
        return 1;
    }
    CLeftpaneTreeView* tree = GetTreeView();
    if (!m_built || !tree) return 0;
    return tree->MayClose(wParam == 1);
}

LRESULT CChildFrame::OnCloseFrame(WPARAM, LPARAM)
{
    CMainFrame* main = MainFrame();
    std::optional<CMainFrame::BusyScope> busy;
    if (main) busy.emplace(*main);
    CMDIChildWnd::OnClose();
    return 0;
}

void CChildFrame::RememberPlacement()
{
    CQuorvaneApp* app = GetQuorvaneApp();
    WINDOWPLACEMENT wp{};
    wp.length = sizeof(wp);
    if (!app || !GetWindowPlacement(&wp)) return;
    app->ChildPlacement() = ChildWindowPlacement{static_cast<int>(wp.showCmd), wp.rcNormalPosition.left,
                                                 wp.rcNormalPosition.top, wp.rcNormalPosition.right,
                                                 wp.rcNormalPosition.bottom};
    app->SaveChildWindowPlacement();
}

void CChildFrame::OnClose()
{
    CMainFrame* main = MainFrame();
    if (main && !main->IsIdle()) return;
    std::optional<CMainFrame::BusyScope> busy;
    if (main) busy.emplace(*main);
    if (m_built && SendMessage(UM_QUERYCLOSE, 0) != 0) return;
    // The placement is kept only for a window that really closes.
    RememberPlacement();
    CMDIChildWnd::OnClose();
}

void CChildFrame::OnCloseWindow() { SendMessage(WM_CLOSE); }

void CChildFrame::OnUpdateCloseWindow(CCmdUI* pCmdUI)
{
    CMainFrame* main = MainFrame();
    pCmdUI->Enable(!main || main->IsIdle() ? TRUE : FALSE);
}

LRESULT CChildFrame::OnMDIActivateMessage(WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = CMDIChildWnd::OnMDIActivateMessage(wParam, lParam);
    const bool active = HWND::FromLParam(lParam) == m_hWnd;
    if (active && m_built) {
        if (CLeftpaneTreeView* tree = GetTreeView()) {
            // The controller windows name the controller as the tree's first item does.
            if (CDataManager* manager = tree->DataManager()) manager->MakeCurrent(tree->RootItemText(), TRUE);
            tree->Refresh();
        }
        if (CMainFrame* main = MainFrame()) main->AdjustMenuForAccess();
    }
    return result;
}

void CChildFrame::OnDestroy()
{
    if (m_toolBar) {
        m_toolBar->DestroyWindow();
        m_toolBar.reset();
    }
    CMDIChildWnd::OnDestroy();
}

void CChildFrame::OnSize(UINT nType, int cx, int cy)
{
    CMDIChildWnd::OnSize(nType, cx, cy);
    FitStatusPanel();
}

void CChildFrame::OnGetMinMaxInfo(MINMAXINFO* info)
{
    CMDIChildWnd::OnGetMinMaxInfo(info);
    info->ptMinTrackSize = POINT{kUsableWidth, kUsableHeight};
}

void CChildFrame::SizeToWholeWindow()
{
    const CSize whole = WholeSize();
    CWnd* client = GetParent();
    if (whole.cx <= 0 || whole.cy <= 0 || !client) return;
    CRect room;
    client->GetClientRect(&room);
    CRect r;
    GetWindowRect(&r);
    client->ScreenToClient(&r);
    const int width = std::min(static_cast<int>(whole.cx), room.Width());
    const int height = std::min(static_cast<int>(whole.cy), room.Height());
    const int left = std::max(0, std::min(static_cast<int>(r.left), room.Width() - width));
    const int top = std::max(0, std::min(static_cast<int>(r.top), room.Height() - height));
    MoveWindow(left, top, width, height, FALSE);
}

CSize CChildFrame::WholeSize()
{
    CRightpaneFormView* right = GetRightpaneFormView();
    if (!m_built || !right || !::IsWindow(m_outer.GetSafeHwnd())) return CSize(0, 0);
    // What the frame adds around its splitter: borders, caption, tool bar.
    CRect frame;
    GetWindowRect(&frame);
    CRect splitter;
    m_outer.GetWindowRect(&splitter);
    const int aroundX = frame.Width() - splitter.Width();
    const int aroundY = frame.Height() - splitter.Height();
    // The view's own edge around a pane.
    constexpr int kViewEdge = 4;
    const CSize panes = right->LargestPaneMinimum();
    int treeWidth = 0;
    int minimum = 0;
    m_outer.GetColumnInfo(0, treeWidth, minimum);
    int columnHeight = panes.cy + kViewEdge;
    if (CLeftpaneFormView* left = GetLeftpaneFormView()) {
        // The status panel whole, with a tree of a useful height above it.
        constexpr int kTreeUseful = 200;
        columnHeight = std::max(columnHeight, left->PanelHeight() + kViewEdge + CSplitterWnd::kSplitterGap + kTreeUseful);
    }
    return CSize(aroundX + treeWidth + CSplitterWnd::kSplitterGap + panes.cx + kViewEdge, aroundY + columnHeight);
}

void CChildFrame::FitStatusPanel()
{
    CLeftpaneFormView* left = GetLeftpaneFormView();
    if (!left || left->PanelHeight() <= 0 || !::IsWindow(m_inner.GetSafeHwnd())) return;
    // The view's own edge around the panel.
    constexpr int kViewEdge = 4;
    int width = 0;
    int minimum = 0;
    m_outer.GetColumnInfo(0, width, minimum);
    if (width < left->PanelWidth() + kViewEdge) {
        m_outer.SetColumnInfo(0, left->PanelWidth() + kViewEdge, kMinimum);
        m_outer.RecalcLayout();
    }
    CRect inner;
    m_inner.GetClientRect(&inner);
    constexpr int kTreeMinimum = 60;
    const int treeHeight =
        std::max(kTreeMinimum, inner.Height() - left->PanelHeight() - kViewEdge - CSplitterWnd::kSplitterGap);
    m_inner.SetRowInfo(0, treeHeight, kMinimum);
    m_inner.RecalcLayout();
}
