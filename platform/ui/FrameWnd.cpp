#include "platform/ui/FrameWnd.h"

#include "platform/core/CmdUI.h"
#include "platform/core/ResourceModule.h"
#include "platform/ui/ControlBar.h"
#include "platform/ui/DocTemplate.h"
#include "platform/ui/DropFiles.h"
#include "platform/ui/FrameMenuBar.h"
#include "platform/ui/ResourceImages.h"
#include "platform/ui/UserInterface.h"
#include "platform/ui/View.h"
#include "platform/ui/WidgetPeer.h"
#include "platform/ui/WinApp.h"
#include "platform/ui/WindowSurface.h"

#include <QIcon>
#include <QPixmap>

#include <algorithm>

namespace {

constexpr int kUseDefault = static_cast<int>(0x80000000);
constexpr int kDefaultWidth = 640;
constexpr int kDefaultHeight = 480;
constexpr int kMaxSavedBars = 256;

// The CCmdUI of a menu item: changes the item in its menu by position.
class MenuCmdUI final : public CCmdUI, public platform::IMenuCmdUI {
public:
    explicit MenuCmdUI(HMENU menu) : m_menu(menu) {}

    void Enable(BOOL bOn) override
    {
        CCmdUI::Enable(bOn);
        ::EnableMenuItem(m_menu, m_nIndex, MF_BYPOSITION | (bOn ? MF_ENABLED : MF_GRAYED));
    }
    void SetCheck(int nCheck) override
    {
        CCmdUI::SetCheck(nCheck);
        ::CheckMenuItem(m_menu, m_nIndex, MF_BYPOSITION | (nCheck ? MF_CHECKED : MF_UNCHECKED));
    }
    void SetRadio(BOOL bOn) override { SetCheck(bOn ? 1 : 0); }
    void SetText(LPCTSTR lpszText) override
    {
        CCmdUI::SetText(lpszText);
        const UINT state = ::GetMenuState(m_menu, m_nIndex, MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED | MF_CHECKED);
        ::ModifyMenuW(m_menu, m_nIndex, MF_BYPOSITION | MF_STRING | state, m_nID, lpszText);
    }
    HMENU Menu() const override { return m_menu; }
    void ItemsChanged(int count) override { m_changed = count; }

    int m_changed = -1;

private:
    HMENU m_menu;
};

CString PromptOf(UINT id)
{
    CString text;
    if (id == AFX_IDS_IDLEMESSAGE) {
        if (!text.LoadString(id) || text.IsEmpty()) text = u"Ready";
        return text;
    }
    if (!text.LoadString(id)) return CString();
    const int nl = text.Find(u'\n');
    return nl < 0 ? text : text.Left(nl);
}

bool IsBarOnEdge(const CControlBar* bar, DWORD align) { return (bar->GetBarStyle() & align) != 0; }

}  // namespace

IMPLEMENT_DYNCREATE(CFrameWnd, CWnd)

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_CLOSE()
    ON_WM_SIZE()
    ON_WM_SETFOCUS()
    ON_WM_ACTIVATE()
    ON_MESSAGE(WM_INITMENUPOPUP, &CFrameWnd::OnInitMenuPopupMessage)
    ON_MESSAGE(WM_IDLEUPDATECMDUI, &CFrameWnd::OnIdleUpdateCmdUI)
    ON_MESSAGE(WM_DROPFILES, &CFrameWnd::OnDropFilesMessage)
    ON_MESSAGE(WM_SETMESSAGESTRING, &CFrameWnd::OnSetMessageString)
    ON_UPDATE_COMMAND_UI(ID_VIEW_STATUS_BAR, &CFrameWnd::OnUpdateControlBarMenu)
    ON_COMMAND_EX(ID_VIEW_STATUS_BAR, &CFrameWnd::OnBarCheck)
    ON_UPDATE_COMMAND_UI(ID_VIEW_TOOLBAR, &CFrameWnd::OnUpdateControlBarMenu)
    ON_COMMAND_EX(ID_VIEW_TOOLBAR, &CFrameWnd::OnBarCheck)
    ON_UPDATE_COMMAND_UI(ID_INDICATOR_CAPS, &CFrameWnd::OnUpdateKeyIndicator)
    ON_UPDATE_COMMAND_UI(ID_INDICATOR_NUM, &CFrameWnd::OnUpdateKeyIndicator)
    ON_UPDATE_COMMAND_UI(ID_INDICATOR_SCRL, &CFrameWnd::OnUpdateKeyIndicator)
END_MESSAGE_MAP()

const CRect CFrameWnd::rectDefault(kUseDefault, kUseDefault, kUseDefault + kDefaultWidth, kUseDefault + kDefaultHeight);

CFrameWnd::CFrameWnd() = default;

CFrameWnd::~CFrameWnd()
{
    m_menuBar.reset();
    if (m_hMenuDefault && ::IsMenu(m_hMenuDefault)) ::DestroyMenu(m_hMenuDefault);
}

BOOL CFrameWnd::Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                       CWnd* pParentWnd, LPCTSTR lpszMenuName, DWORD dwExStyle, CCreateContext* pContext)
{
    m_strTitle = lpszWindowName ? lpszWindowName : u"";
    if (lpszMenuName) {
        const HMENU menu = ::LoadMenuW(HMODULE(), lpszMenuName);
        if (!menu) return FALSE;
        if (m_hMenuDefault && ::IsMenu(m_hMenuDefault)) ::DestroyMenu(m_hMenuDefault);
        m_hMenuDefault = menu;
    }
    return CreateEx(dwExStyle, lpszClassName, lpszWindowName, dwStyle, rect, pParentWnd, 0, pContext);
}

BOOL CFrameWnd::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd, CCreateContext* pContext)
{
    m_nIDHelp = nIDResource;
    CString title;
    if (title.LoadString(nIDResource)) {
        const int nl = title.Find(u'\n');
        m_strTitle = nl < 0 ? title : title.Left(nl);
    }
    if (!(dwDefaultStyle & WS_CHILD)) {
        if (const HMENU menu = ::LoadMenuW(HMODULE(), MAKEINTRESOURCEW(nIDResource))) {
            if (m_hMenuDefault && ::IsMenu(m_hMenuDefault)) ::DestroyMenu(m_hMenuDefault);
            m_hMenuDefault = menu;
        }
    }
    m_hAccelTable = ::LoadAcceleratorsW(HMODULE(), MAKEINTRESOURCEW(nIDResource));
    const CString windowTitle = m_strTitle;
    if (!CreateEx(0, nullptr, windowTitle.GetString(), dwDefaultStyle, rectDefault, pParentWnd, 0, pContext)) {
        return FALSE;
    }
    if (const HICON icon = ::LoadIconW(HINSTANCE(), MAKEINTRESOURCEW(nIDResource))) {
        platform::ui::WidgetPeer* peer = platform::ui::WidgetPeer::Of(m_hWnd);
        if (QWidget* w = peer ? peer->FrameWidget() : nullptr) {
            w->setWindowIcon(QIcon(QPixmap::fromImage(platform::ImageFromIcon(icon))));
        }
    }
    if (!pContext) SendMessageToDescendants(WM_INITIALUPDATE, 0, 0, TRUE, TRUE);
    return TRUE;
}

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCTW& cs)
{
    if (!cs.lpszClass) cs.lpszClass = u"AfxFrameOrView";
    // The default place is the window system's; the default size ours.
    if (cs.cx == kUseDefault || cs.cx == 0) cs.cx = kDefaultWidth;
    if (cs.cy == kUseDefault || cs.cy == 0) cs.cy = kDefaultHeight;
    return TRUE;
}

LRESULT CFrameWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE && !GetPeer() && platform::UserInterface::IsRunning() && platform::ui::OnUiThread()) {
        // A frame builds its bars and views before it is shown: it needs its
        // widget from the start.
        const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        if (cs && !(cs->style & static_cast<LONG>(WS_CHILD))) {
            CREATESTRUCTW hidden = *cs;
            hidden.style &= ~static_cast<LONG>(WS_VISIBLE);
            QWidget* owner = cs->hwndParent ? platform::ui::WidgetOf(cs->hwndParent) : nullptr;
            if (platform::ui::PeerMaker maker = platform::ui::FindWindowClass(u"")) {
                SetPeer(maker(m_hWnd, hidden, owner ? owner->window() : nullptr));
            }
        }
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

int CFrameWnd::OnCreate(LPCREATESTRUCT lpcs)
{
    if (Default() == -1) return -1;
    if (!(GetStyle() & WS_CHILD) && m_hMenuDefault) ShowMenuBar(m_hMenuDefault);
    if (GetExStyle() & WS_EX_ACCEPTFILES) ::DragAcceptFiles(m_hWnd, TRUE);
    auto* context = lpcs ? static_cast<CCreateContext*>(lpcs->lpCreateParams) : nullptr;
    if (!OnCreateClient(lpcs, context)) return -1;
    RecalcLayout();
    return 0;
}

BOOL CFrameWnd::OnCreateClient(LPCREATESTRUCT, CCreateContext* pContext)
{
    if (pContext && pContext->m_pNewViewClass) {
        if (!CreateView(pContext, AFX_IDW_PANE_FIRST)) return FALSE;
    }
    return TRUE;
}

CWnd* CFrameWnd::CreateView(CCreateContext* pContext, UINT nID)
{
    if (!pContext || !pContext->m_pNewViewClass) return nullptr;
    CObject* object = pContext->m_pNewViewClass->CreateObject();
    auto* view = dynamic_cast<CWnd*>(object);
    if (!view) {
        delete object;
        return nullptr;
    }
    // A view that fails to be created deletes itself with its window.
    if (!view->Create(nullptr, nullptr, AFX_WS_DEFAULT_VIEW, CRect(0, 0, 0, 0), this, nID, pContext)) return nullptr;
    return view;
}

void CFrameWnd::OnDestroy()
{
    m_pViewActive = nullptr;
    m_menuBar.reset();
    if (CWinApp* app = AfxGetApp(); app && app->m_pMainWnd == this) {
        app->m_pMainWnd = nullptr;
        if (app->IsMessageLoopRunning()) ::PostQuitMessage(0);
    }
    Default();
}

void CFrameWnd::PostNcDestroy() { delete this; }

void CFrameWnd::OnClose()
{
    CDocument* doc = GetActiveDocument();
    CWinApp* app = AfxGetApp();
    const HWND self = m_hWnd;
    if (app && app->m_pMainWnd == this) {
        if (!app->SaveAllModified()) return;
        app->CloseAllDocuments(FALSE);
        if (::IsWindow(self)) DestroyWindow();
        return;
    }
    if (doc && !doc->CanCloseFrame(this)) return;
    if (doc && doc->m_bAutoDelete) {
        bool otherFrame = false;
        POSITION pos = doc->GetFirstViewPosition();
        while (CView* view = doc->GetNextView(pos)) {
            if (view->GetParentFrame() != this) otherFrame = true;
        }
        if (!otherFrame) {
            doc->OnCloseDocument();
            return;
        }
        doc->PreCloseFrame(this);
    }
    if (::IsWindow(self)) DestroyWindow();
}

void CFrameWnd::OnSize(UINT nType, int cx, int cy)
{
    CWnd::OnSize(nType, cx, cy);
    if (nType != SIZE_MINIMIZED) RecalcLayout();
}

void CFrameWnd::OnSetFocus(CWnd* pOldWnd)
{
    if (m_pViewActive && ::IsWindow(m_pViewActive->GetSafeHwnd())) {
        m_pViewActive->SetFocus();
        return;
    }
    CWnd::OnSetFocus(pOldWnd);
}

void CFrameWnd::OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized)
{
    CWnd::OnActivate(nState, pWndOther, bMinimized);
    if (m_pViewActive) m_pViewActive->OnActivateFrame(nState, this);
}

LRESULT CFrameWnd::OnInitMenuPopupMessage(WPARAM wParam, LPARAM lParam)
{
    const HMENU menu = HMENU::FromValue(static_cast<std::uint64_t>(wParam));
    OnInitMenuPopup(CMenu::FromHandle(menu), LOWORD(lParam), HIWORD(lParam));
    return 0;
}

void CFrameWnd::OnInitMenuPopup(CMenu* pPopupMenu, UINT, BOOL bSysMenu)
{
    if (bSysMenu || !pPopupMenu || !::IsMenu(pPopupMenu->m_hMenu)) return;
    const HMENU menu = pPopupMenu->m_hMenu;
    int count = ::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        const UINT id = ::GetMenuItemID(menu, i);
        // Separators and popups have no command.
        if (id == 0 || id == static_cast<UINT>(-1)) continue;
        MenuCmdUI state(menu);
        state.m_nID = id;
        state.m_nIndex = static_cast<UINT>(i);
        state.m_nIndexMax = static_cast<UINT>(count);
        // System commands are not the program's.
        const BOOL disableIfNoHandler = m_bAutoMenuEnable && id < 0xF000 ? TRUE : FALSE;
        state.DoUpdate(this, disableIfNoHandler);
        if (state.m_changed >= 0) {
            // The handler put several items (or none) in the item's place.
            i += state.m_changed - 1;
            count = ::GetMenuItemCount(menu);
        }
    }
}

LRESULT CFrameWnd::OnIdleUpdateCmdUI(WPARAM, LPARAM)
{
    OnUpdateFrameTitle(TRUE);
    return 0;
}

LRESULT CFrameWnd::OnDropFilesMessage(WPARAM wParam, LPARAM)
{
    OnDropFiles(HDROP::FromValue(static_cast<std::uint64_t>(wParam)));
    return 0;
}

void CFrameWnd::OnDropFiles(HDROP hDropInfo)
{
    const UINT count = ::DragQueryFileW(hDropInfo, 0xFFFFFFFF, nullptr, 0);
    std::vector<CString> paths;
    for (UINT i = 0; i < count; ++i) {
        const UINT length = ::DragQueryFileW(hDropInfo, i, nullptr, 0);
        std::u16string buffer(length + 1, u'\0');
        ::DragQueryFileW(hDropInfo, i, buffer.data(), length + 1);
        paths.emplace_back(buffer.c_str());
    }
    ::DragFinish(hDropInfo);
    CWinApp* app = AfxGetApp();
    if (!app) return;
    for (const CString& path : paths) app->OpenDocumentFile(path.GetString());
}

LRESULT CFrameWnd::OnSetMessageString(WPARAM wParam, LPARAM lParam)
{
    CWnd* bar = GetMessageBar();
    if (!bar) return 0;
    CString text;
    if (wParam) {
        text = PromptOf(static_cast<UINT>(wParam));
    } else if (lParam) {
        text = reinterpret_cast<LPCTSTR>(lParam);
    }
    bar->SetWindowText(text.GetString());
    return 0;
}

CWnd* CFrameWnd::GetMessageBar() { return GetDlgItem(static_cast<int>(AFX_IDW_STATUS_BAR)); }

void CFrameWnd::SetMessageText(LPCTSTR lpszText) { SendMessage(WM_SETMESSAGESTRING, 0, reinterpret_cast<LPARAM>(lpszText)); }

void CFrameWnd::SetMessageText(UINT nID) { SendMessage(WM_SETMESSAGESTRING, nID, 0); }

// ---------------------------------------------------------------- layout

int CFrameWnd::MenuBarHeight() const { return m_menuBar ? m_menuBar->Height() : 0; }

void CFrameWnd::ShowMenuBar(HMENU menu)
{
    if (GetStyle() & WS_CHILD) return;
    m_hMenuShown = menu;
    if (!m_menuBar) {
        QWidget* w = platform::ui::WidgetOf(m_hWnd);
        if (!w) return;
        m_menuBar = std::make_unique<platform::ui::FrameMenuBar>(w, m_hWnd);
    }
    m_menuBar->SetMenu(menu);
    RecalcLayout();
}

CRect CFrameWnd::GetPaneRect() const
{
    CRect client;
    ::GetClientRect(m_hWnd, &client);
    CRect r(0, MenuBarHeight(), client.right, client.bottom);
    for (const CControlBar* bar : m_listControlBars) {
        if (!bar->IsVisible()) continue;
        const CSize size = const_cast<CControlBar*>(bar)->CalcFixedLayout(TRUE, bar->IsHorizontal());
        if (IsBarOnEdge(bar, CBRS_ALIGN_TOP)) r.top += size.cy;
        else if (IsBarOnEdge(bar, CBRS_ALIGN_BOTTOM)) r.bottom -= size.cy;
        else if (IsBarOnEdge(bar, CBRS_ALIGN_LEFT)) r.left += size.cx;
        else if (IsBarOnEdge(bar, CBRS_ALIGN_RIGHT)) r.right -= size.cx;
    }
    if (r.bottom < r.top) r.bottom = r.top;
    if (r.right < r.left) r.right = r.left;
    return r;
}

void CFrameWnd::RecalcLayout(BOOL)
{
    if (m_inRecalc || !::IsWindow(m_hWnd)) return;
    m_inRecalc = true;
    CRect client;
    GetClientRect(&client);
    if (m_menuBar) m_menuBar->Place(client.Width());
    CRect r(0, MenuBarHeight(), client.right, client.bottom);
    const std::vector<CControlBar*> bars = m_listControlBars;
    // The status bar lies outermost at the bottom, then the other bottom
    // bars upwards; top bars go downwards in the order they came.
    std::vector<CControlBar*> bottom;
    for (CControlBar* bar : bars)
        if (bar->GetDlgCtrlID() == static_cast<int>(AFX_IDW_STATUS_BAR)) bottom.push_back(bar);
    for (CControlBar* bar : bars)
        if (bar->GetDlgCtrlID() != static_cast<int>(AFX_IDW_STATUS_BAR)) bottom.push_back(bar);
    for (CControlBar* bar : bars) {
        if (!bar->IsVisible() || !IsBarOnEdge(bar, CBRS_ALIGN_TOP)) continue;
        const CSize size = bar->CalcFixedLayout(TRUE, TRUE);
        bar->MoveWindow(r.left, r.top, r.Width(), size.cy);
        r.top += size.cy;
    }
    for (CControlBar* bar : bottom) {
        if (!bar->IsVisible() || !IsBarOnEdge(bar, CBRS_ALIGN_BOTTOM)) continue;
        const CSize size = bar->CalcFixedLayout(TRUE, TRUE);
        r.bottom -= size.cy;
        bar->MoveWindow(r.left, r.bottom, r.Width(), size.cy);
    }
    for (CControlBar* bar : bars) {
        if (!bar->IsVisible()) continue;
        if (IsBarOnEdge(bar, CBRS_ALIGN_LEFT)) {
            const CSize size = bar->CalcFixedLayout(TRUE, FALSE);
            bar->MoveWindow(r.left, r.top, size.cx, r.Height());
            r.left += size.cx;
        } else if (IsBarOnEdge(bar, CBRS_ALIGN_RIGHT)) {
            const CSize size = bar->CalcFixedLayout(TRUE, FALSE);
            r.right -= size.cx;
            bar->MoveWindow(r.right, r.top, size.cx, r.Height());
        }
    }
    if (r.bottom < r.top) r.bottom = r.top;
    if (r.right < r.left) r.right = r.left;
    if (CWnd* pane = GetDlgItem(static_cast<int>(AFX_IDW_PANE_FIRST))) pane->MoveWindow(&r);
    m_inRecalc = false;
}

// ---------------------------------------------------------------- views

void CFrameWnd::SetActiveView(CView* pViewNew, BOOL bNotify)
{
    CView* old = m_pViewActive;
    if (old == pViewNew) return;
    m_pViewActive = pViewNew;
    if (!bNotify) return;
    if (old && ::IsWindow(old->GetSafeHwnd())) old->OnActivateView(FALSE, pViewNew, old);
    if (pViewNew && m_pViewActive == pViewNew && ::IsWindow(pViewNew->GetSafeHwnd()))
        pViewNew->OnActivateView(TRUE, pViewNew, old);
}

CDocument* CFrameWnd::GetActiveDocument() { return m_pViewActive ? m_pViewActive->GetDocument() : nullptr; }

CFrameWnd* CFrameWnd::GetParentFrame() const { return AfxGetParentFrame(this); }

namespace {

// The first view with the pane id, searching the pane's descendants too
// (the first pane of a splitter).
CView* FirstPaneView(HWND parent, int depth)
{
    if (depth > 16) return nullptr;
    const HWND pane = ::GetDlgItem(parent, static_cast<int>(AFX_IDW_PANE_FIRST));
    if (!pane) return nullptr;
    if (auto* view = dynamic_cast<CView*>(CWnd::FromHandle(pane))) return view;
    return FirstPaneView(pane, depth + 1);
}

}  // namespace

void CFrameWnd::InitialUpdateFrame(CDocument* pDoc, BOOL bMakeVisible)
{
    CView* view = nullptr;
    if (!GetActiveView()) {
        view = FirstPaneView(m_hWnd, 0);
        if (view) SetActiveView(view, FALSE);
    }
    const HWND self = m_hWnd;
    if (bMakeVisible) {
        SendMessageToDescendants(WM_INITIALUPDATE, 0, 0, TRUE, TRUE);
        if (!::IsWindow(self)) return;
        if (view) view->OnActivateFrame(WA_INACTIVE, this);
        ActivateFrame();
        if (!::IsWindow(self)) return;
        if (view && ::IsWindow(view->GetSafeHwnd())) view->OnActivateView(TRUE, view, view);
    }
    if (pDoc) pDoc->UpdateFrameCounts();
    if (::IsWindow(self)) OnUpdateFrameTitle(TRUE);
}

void CFrameWnd::ActivateFrame(int nCmdShow)
{
    if (nCmdShow == -1) {
        nCmdShow = SW_SHOW;
        if (CWinApp* app = AfxGetApp(); app && app->m_pMainWnd == this && app->m_nCmdShow != -1) {
            nCmdShow = app->m_nCmdShow;
            app->m_nCmdShow = -1;
        } else if (IsIconic()) {
            nCmdShow = SW_RESTORE;
        }
    }
    ShowWindow(nCmdShow);
    if (nCmdShow != SW_HIDE && !(GetStyle() & WS_CHILD)) BringWindowToTop();
}

void CFrameWnd::OnUpdateFrameTitle(BOOL bAddToTitle)
{
    if ((GetStyle() & FWS_ADDTOTITLE) == 0) return;
    CDocument* doc = GetActiveDocument();
    if (bAddToTitle && doc) {
        UpdateFrameTitleForDocument(doc->GetTitle().GetString());
    } else {
        UpdateFrameTitleForDocument(nullptr);
    }
}

void CFrameWnd::UpdateFrameTitleForDocument(LPCTSTR lpszDocName)
{
    CString title;
    if (lpszDocName && *lpszDocName) {
        if (GetStyle() & FWS_PREFIXTITLE) {
            title = CString(lpszDocName) + u" - " + m_strTitle;
        } else {
            title = m_strTitle.IsEmpty() ? CString(lpszDocName) : m_strTitle + u" - " + lpszDocName;
        }
    } else {
        title = m_strTitle;
    }
    CString current;
    GetWindowText(current);
    if (current != title) SetWindowText(title.GetString());
}

// ---------------------------------------------------------------- menus

BOOL CFrameWnd::SetMenu(CMenu* pMenu) { return ::SetMenu(m_hWnd, pMenu ? pMenu->m_hMenu : HMENU()); }

CMenu* CFrameWnd::GetMenu() const { return CMenu::FromHandle(m_hMenuShown); }

void CFrameWnd::DrawMenuBar() { ::DrawMenuBar(m_hWnd); }

BOOL CFrameWnd::LoadAccelTable(LPCTSTR lpszResourceName)
{
    if (m_hAccelTable) return FALSE;
    m_hAccelTable = ::LoadAcceleratorsW(HMODULE(), lpszResourceName);
    return m_hAccelTable ? TRUE : FALSE;
}

BOOL SetMenu(HWND hWnd, HMENU menu)
{
    auto* frame = dynamic_cast<CFrameWnd*>(CWnd::FromHandle(hWnd));
    if (!frame || (frame->GetStyle() & WS_CHILD)) return FALSE;
    frame->ShowMenuBar(menu);
    return TRUE;
}

HMENU GetMenu(HWND hWnd)
{
    auto* frame = dynamic_cast<CFrameWnd*>(CWnd::FromHandle(hWnd));
    return frame ? frame->m_hMenuShown : HMENU();
}

BOOL DrawMenuBar(HWND hWnd)
{
    auto* frame = dynamic_cast<CFrameWnd*>(CWnd::FromHandle(hWnd));
    if (!frame || !frame->m_menuBar) return FALSE;
    frame->m_menuBar->Rebuild();
    frame->RecalcLayout();
    return TRUE;
}

// ---------------------------------------------------------------- bars

void CFrameWnd::AddControlBar(CControlBar* pBar)
{
    if (pBar && std::find(m_listControlBars.begin(), m_listControlBars.end(), pBar) == m_listControlBars.end())
        m_listControlBars.push_back(pBar);
}

void CFrameWnd::RemoveControlBar(CControlBar* pBar)
{
    m_listControlBars.erase(std::remove(m_listControlBars.begin(), m_listControlBars.end(), pBar),
                            m_listControlBars.end());
}

void CFrameWnd::DockControlBar(CControlBar* pBar, UINT nDockBarID, const RECT*)
{
    if (!pBar) return;
    DWORD align = 0;
    switch (nDockBarID) {
    case AFX_IDW_DOCKBAR_TOP: align = CBRS_ALIGN_TOP; break;
    case AFX_IDW_DOCKBAR_BOTTOM: align = CBRS_ALIGN_BOTTOM; break;
    case AFX_IDW_DOCKBAR_LEFT: align = CBRS_ALIGN_LEFT; break;
    case AFX_IDW_DOCKBAR_RIGHT: align = CBRS_ALIGN_RIGHT; break;
    default: break;
    }
    if (align) pBar->SetBarStyle((pBar->GetBarStyle() & ~CBRS_ALIGN_ANY) | align);
    pBar->m_pDockSite = this;
    AddControlBar(pBar);
    RecalcLayout();
}

void CFrameWnd::ShowControlBar(CControlBar* pBar, BOOL bShow, BOOL)
{
    if (!pBar || !::IsWindow(pBar->GetSafeHwnd())) return;
    pBar->ShowWindow(bShow ? SW_SHOWNA : SW_HIDE);
    RecalcLayout();
}

CControlBar* CFrameWnd::GetControlBar(UINT nID) const
{
    for (CControlBar* bar : m_listControlBars) {
        if (::IsWindow(bar->GetSafeHwnd()) && static_cast<UINT>(bar->GetDlgCtrlID()) == nID) return bar;
    }
    return nullptr;
}

void CFrameWnd::SaveBarState(LPCTSTR lpszProfileName) const
{
    CWinApp* app = AfxGetApp();
    if (!app || !lpszProfileName) return;
    const CString profile(lpszProfileName);
    int n = 0;
    for (const CControlBar* bar : m_listControlBars) {
        const int id = bar->GetDlgCtrlID();
        if (id == 0 || !::IsWindow(bar->GetSafeHwnd())) continue;
        CString section;
        section.Format(u"%s-Bar%d", profile.GetString(), n++);
        app->WriteProfileInt(section, u"BarID", id);
        app->WriteProfileInt(section, u"Visible", bar->IsVisible() ? 1 : 0);
        app->WriteProfileInt(section, u"Docking", static_cast<int>(bar->GetBarStyle() & CBRS_ALIGN_ANY));
    }
    app->WriteProfileInt(profile + u"-Summary", u"Bars", n);
}

void CFrameWnd::LoadBarState(LPCTSTR lpszProfileName)
{
    CWinApp* app = AfxGetApp();
    if (!app || !lpszProfileName) return;
    const CString profile(lpszProfileName);
    const int count = std::clamp(static_cast<int>(app->GetProfileInt(profile + u"-Summary", u"Bars", 0)), 0, kMaxSavedBars);
    for (int i = 0; i < count; ++i) {
        CString section;
        section.Format(u"%s-Bar%d", profile.GetString(), i);
        const UINT id = app->GetProfileInt(section, u"BarID", 0);
        CControlBar* bar = id ? GetControlBar(id) : nullptr;
        if (!bar) continue;
        const DWORD docking = app->GetProfileInt(section, u"Docking", static_cast<int>(bar->GetBarStyle() & CBRS_ALIGN_ANY));
        // Only one edge, and one the bar may dock to.
        const bool oneEdge = docking == CBRS_ALIGN_TOP || docking == CBRS_ALIGN_BOTTOM || docking == CBRS_ALIGN_LEFT ||
                             docking == CBRS_ALIGN_RIGHT;
        const DWORD allowed = bar->GetDockStyle() ? bar->GetDockStyle() : (bar->GetBarStyle() & CBRS_ALIGN_ANY);
        if (oneEdge && (docking & allowed)) bar->SetBarStyle((bar->GetBarStyle() & ~CBRS_ALIGN_ANY) | docking);
        const bool visible = app->GetProfileInt(section, u"Visible", 1) != 0;
        bar->ShowWindow(visible ? SW_SHOWNA : SW_HIDE);
    }
    RecalcLayout();
}

void CFrameWnd::UpdateBars()
{
    const std::vector<CControlBar*> bars = m_listControlBars;
    for (CControlBar* bar : bars) {
        if (::IsWindow(bar->GetSafeHwnd()) && bar->IsVisible()) bar->OnUpdateCmdUI(this, TRUE);
    }
}

void CFrameWnd::OnUpdateControlBarMenu(CCmdUI* pCmdUI)
{
    CControlBar* bar = GetControlBar(pCmdUI->m_nID);
    if (!bar) {
        pCmdUI->ContinueRouting();
        return;
    }
    pCmdUI->SetCheck(bar->IsVisible() ? 1 : 0);
}

BOOL CFrameWnd::OnBarCheck(UINT nID)
{
    CControlBar* bar = GetControlBar(nID);
    if (!bar) return FALSE;
    ShowControlBar(bar, bar->IsVisible() ? FALSE : TRUE, FALSE);
    return TRUE;
}

void CFrameWnd::OnUpdateKeyIndicator(CCmdUI* pCmdUI)
{
    int key = 0;
    switch (pCmdUI->m_nID) {
    case ID_INDICATOR_CAPS: key = static_cast<int>(VK_CAPITAL); break;
    case ID_INDICATOR_NUM: key = static_cast<int>(VK_NUMLOCK); break;
    case ID_INDICATOR_SCRL: key = static_cast<int>(VK_SCROLL); break;
    default: pCmdUI->ContinueRouting(); return;
    }
    pCmdUI->Enable((::GetKeyState(key) & 1) != 0 ? TRUE : FALSE);
}

// ---------------------------------------------------------------- routing

BOOL CFrameWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    CView* view = m_pViewActive;
    if (view && ::IsWindow(view->GetSafeHwnd()) && view->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
    if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
    // A child frame's commands reach the application through its MDI frame.
    if (GetStyle() & WS_CHILD) return FALSE;
    CWinApp* app = AfxGetApp();
    return app ? app->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo) : FALSE;
}

BOOL CFrameWnd::PreTranslateMessage(MSG* pMsg)
{
    if (CWnd::PreTranslateMessage(pMsg)) return TRUE;
    if (pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST && m_hAccelTable) {
        if (::TranslateAcceleratorW(m_hWnd, m_hAccelTable, pMsg)) return TRUE;
    }
    return FALSE;
}
