#include "platform/ui/MDIFrameWnd.h"

#include "platform/core/CmdUI.h"
#include "platform/ui/DocTemplate.h"
#include "platform/ui/MDIChildWnd.h"
#include "platform/ui/View.h"
#include "platform/ui/WidgetPeer.h"
#include "platform/ui/WinApp.h"

#include <QEvent>
#include <QIcon>
#include <QPixmap>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStyle>

#include <algorithm>

namespace platform::ui {

namespace {

constexpr int kUseDefault = static_cast<int>(0x80000000);

HWND HandleOfSubWindow(QMdiSubWindow* sub)
{
    if (!sub || !sub->widget()) return {};
    WidgetPeer* peer = WidgetPeer::FromWidget(sub->widget());
    return peer ? peer->Handle() : HWND();
}

// The MDI client: a QMdiArea that tells the children of activation.
class MdiClientPeer final : public WidgetPeer {
public:
    MdiClientPeer(HWND hwnd, const CREATESTRUCTW& cs, QWidget* parent) : WidgetPeer(hwnd, cs)
    {
        auto* area = new QMdiArea(parent);
        area->setActivationOrder(QMdiArea::ActivationHistoryOrder);
        Attach(area, cs);
        QObject::connect(area, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* sub) { Activated(sub); });
    }

private:
    void Activated(QMdiSubWindow* sub)
    {
        const HWND now = HandleOfSubWindow(sub);
        if (now == m_active) return;
        const HWND old = m_active;
        m_active = now;
        // Both children hear of it: wParam loses, lParam gains.
        if (old && ::IsWindow(old)) ::SendMessageW(old, WM_MDIACTIVATE, old.ToWParam(), now.ToLParam());
        if (now && ::IsWindow(now)) ::SendMessageW(now, WM_MDIACTIVATE, old.ToWParam(), now.ToLParam());
    }

    HWND m_active;
};

// An MDI child frame: its client area is a widget inside a sub-window of
// the MDI client, which carries the caption and the frame.
class MdiChildPeer final : public WidgetPeer {
public:
    MdiChildPeer(HWND hwnd, const CREATESTRUCTW& cs, QWidget* parent) : WidgetPeer(hwnd, cs)
    {
        auto* content = new WindowWidget(nullptr);
        m_programWindow = true;
        CREATESTRUCTW inner = cs;
        inner.style |= static_cast<LONG>(WS_VISIBLE);
        Attach(content, inner);
        m_area = qobject_cast<QMdiArea*>(parent);
        if (m_area) {
            m_sub = m_area->addSubWindow(content);
        } else {
            m_sub = new QMdiSubWindow(parent);
            m_sub->setWidget(content);
        }
        m_sub->setAttribute(Qt::WA_DeleteOnClose, false);
        m_sub->setWindowTitle(m_text);
        // No toolkit logo: a child shows its own icon or none.
        QPixmap blank(16, 16);
        blank.fill(Qt::transparent);
        m_sub->setWindowIcon(QIcon(blank));
        if (cs.x != kUseDefault && cs.cx != kUseDefault) {
            m_sub->setGeometry(cs.x, cs.y, std::max(0, cs.cx), std::max(0, cs.cy));
        } else if (cs.cx != kUseDefault) {
            m_sub->resize(std::max(0, cs.cx), std::max(0, cs.cy));
        }
        m_normal = m_sub->geometry();
        m_sub->installEventFilter(this);
        m_sub->setVisible((cs.style & static_cast<LONG>(WS_VISIBLE)) != 0);
    }

    ~MdiChildPeer() override
    {
        if (!m_sub) return;
        m_sub->removeEventFilter(this);
        const bool wasCurrent = m_area && m_area->currentSubWindow() == m_sub;
        m_sub->hide();
        if (m_area) m_area->removeSubWindow(m_sub);
        m_sub->deleteLater();
        // The most recently active of the others takes over.
        if (wasCurrent && m_area) {
            const QList<QMdiSubWindow*> order = m_area->subWindowList(QMdiArea::ActivationHistoryOrder);
            for (auto it = order.rbegin(); it != order.rend(); ++it) {
                if (*it != m_sub && (*it)->isVisible()) {
                    m_area->setActiveSubWindow(*it);
                    break;
                }
            }
        }
    }

    QWidget* FrameWidget() const override { return m_sub ? static_cast<QWidget*>(m_sub.data()) : Widget(); }

    QRect NormalFrameGeometry() const override
    {
        if (m_sub && !m_sub->isMaximized() && !m_sub->isMinimized()) return m_sub->geometry();
        return m_normal;
    }

    void SetText(const QString& text) override
    {
        WidgetPeer::SetText(text);
        if (m_sub) m_sub->setWindowTitle(text);
    }

    QMdiSubWindow* Sub() const { return m_sub; }

protected:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (object != m_sub) return false;
        switch (event->type()) {
        case QEvent::Close: {
            // The window decides (its document may want to save first).
            event->ignore();
            const HWND hwnd = m_hwnd;
            ::PostMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
            return true;
        }
        case QEvent::Move:
        case QEvent::Resize:
            if (!m_sub->isMaximized() && !m_sub->isMinimized()) m_normal = m_sub->geometry();
            return false;
        default:
            return false;
        }
    }

private:
    QPointer<QMdiArea> m_area;
    QPointer<QMdiSubWindow> m_sub;
    QRect m_normal;
};

std::unique_ptr<WidgetPeer> MakeMdiClient(HWND hwnd, const CREATESTRUCTW& cs, QWidget* parent)
{
    return std::make_unique<MdiClientPeer>(hwnd, cs, parent);
}

std::unique_ptr<WidgetPeer> MakeMdiChild(HWND hwnd, const CREATESTRUCTW& cs, QWidget* parent)
{
    return std::make_unique<MdiChildPeer>(hwnd, cs, parent);
}

const bool kRegistered = RegisterWindowClass(kMdiClientClassName, &MakeMdiClient) &&
                         RegisterWindowClass(kMdiChildClassName, &MakeMdiChild);

QMdiSubWindow* SubWindowOf(HWND hwnd)
{
    auto* peer = dynamic_cast<MdiChildPeer*>(WidgetPeer::Of(hwnd));
    return peer ? peer->Sub() : nullptr;
}

}  // namespace

}  // namespace platform::ui

namespace {

QMdiArea* AreaOf(HWND client) { return qobject_cast<QMdiArea*>(platform::ui::WidgetOf(client)); }

}  // namespace

// ---------------------------------------------------------------- frame

IMPLEMENT_DYNCREATE(CMDIFrameWnd, CFrameWnd)

BEGIN_MESSAGE_MAP(CMDIFrameWnd, CFrameWnd)
    ON_WM_CLOSE()
    ON_MESSAGE(WM_IDLEUPDATECMDUI, &CMDIFrameWnd::OnIdleUpdateCmdUIMessage)
    ON_COMMAND_EX(ID_WINDOW_ARRANGE, &CMDIFrameWnd::OnMDIWindowCmd)
    ON_COMMAND_EX(ID_WINDOW_CASCADE, &CMDIFrameWnd::OnMDIWindowCmd)
    ON_COMMAND_EX(ID_WINDOW_TILE_HORZ, &CMDIFrameWnd::OnMDIWindowCmd)
    ON_COMMAND_EX(ID_WINDOW_TILE_VERT, &CMDIFrameWnd::OnMDIWindowCmd)
    ON_UPDATE_COMMAND_UI(ID_WINDOW_ARRANGE, &CMDIFrameWnd::OnUpdateMDIWindowCmd)
    ON_UPDATE_COMMAND_UI(ID_WINDOW_CASCADE, &CMDIFrameWnd::OnUpdateMDIWindowCmd)
    ON_UPDATE_COMMAND_UI(ID_WINDOW_TILE_HORZ, &CMDIFrameWnd::OnUpdateMDIWindowCmd)
    ON_UPDATE_COMMAND_UI(ID_WINDOW_TILE_VERT, &CMDIFrameWnd::OnUpdateMDIWindowCmd)
    ON_MESSAGE(WM_INITMENUPOPUP, &CMDIFrameWnd::OnInitMenuPopupMdi)
    ON_COMMAND_EX_RANGE(AFX_IDM_FIRST_MDICHILD, AFX_IDM_FIRST_MDICHILD + CMDIFrameWnd::kMaxListedChildren - 1,
                        &CMDIFrameWnd::OnActivateListedChild)
    ON_UPDATE_COMMAND_UI_RANGE(AFX_IDM_FIRST_MDICHILD, AFX_IDM_FIRST_MDICHILD + CMDIFrameWnd::kMaxListedChildren - 1,
                               &CMDIFrameWnd::OnUpdateListedChild)
END_MESSAGE_MAP()

CMDIFrameWnd::CMDIFrameWnd() = default;
CMDIFrameWnd::~CMDIFrameWnd() = default;

BOOL CMDIFrameWnd::OnCreateClient(LPCREATESTRUCT, CCreateContext*)
{
    if (!m_wndMDIClient.CreateEx(WS_EX_CLIENTEDGE, kMdiClientClassName, nullptr,
                                 WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, CRect(0, 0, 0, 0), this,
                                 AFX_IDW_PANE_FIRST)) {
        return FALSE;
    }
    m_hWndMDIClient = m_wndMDIClient.GetSafeHwnd();
    return TRUE;
}

std::vector<CMDIChildWnd*> CMDIFrameWnd::MDIGetChildren() const
{
    std::vector<CMDIChildWnd*> out;
    QMdiArea* area = AreaOf(m_hWndMDIClient);
    if (!area) return out;
    for (QMdiSubWindow* sub : area->subWindowList(QMdiArea::CreationOrder)) {
        if (auto* child = dynamic_cast<CMDIChildWnd*>(CWnd::FromHandle(platform::ui::HandleOfSubWindow(sub))))
            out.push_back(child);
    }
    return out;
}

CMDIChildWnd* CMDIFrameWnd::MDIGetActive(BOOL* pbMaximized) const
{
    if (pbMaximized) *pbMaximized = FALSE;
    QMdiArea* area = AreaOf(m_hWndMDIClient);
    if (!area) return nullptr;
    QMdiSubWindow* sub = area->currentSubWindow();
    if (!sub || !sub->isVisible()) return nullptr;
    auto* child = dynamic_cast<CMDIChildWnd*>(CWnd::FromHandle(platform::ui::HandleOfSubWindow(sub)));
    if (child && pbMaximized) *pbMaximized = sub->isMaximized() ? TRUE : FALSE;
    return child;
}

void CMDIFrameWnd::MDIActivate(CWnd* pWndActivate)
{
    QMdiArea* area = AreaOf(m_hWndMDIClient);
    QMdiSubWindow* sub = pWndActivate ? platform::ui::SubWindowOf(pWndActivate->GetSafeHwnd()) : nullptr;
    if (!area || !sub) return;
    if (!sub->isVisible()) ::ShowWindow(pWndActivate->GetSafeHwnd(), SW_SHOW);
    area->setActiveSubWindow(sub);
}

namespace {

// The children that an arrangement moves: shown and not minimised, in
// creation order, the active one last (it ends on top).
std::vector<QMdiSubWindow*> ArrangedChildren(QMdiArea* area, bool skipDisabled)
{
    std::vector<QMdiSubWindow*> shown;
    QMdiSubWindow* active = area->activeSubWindow();
    for (QMdiSubWindow* sub : area->subWindowList(QMdiArea::CreationOrder)) {
        if (!sub->isVisible() || sub->isMinimized()) continue;
        if (skipDisabled && !sub->isEnabled()) continue;
        if (sub != active) shown.push_back(sub);
    }
    if (active && active->isVisible() && !active->isMinimized() && (!skipDisabled || active->isEnabled()))
        shown.push_back(active);
    return shown;
}

// The least size at which a child is still of use, frame included: what it
// answers to WM_GETMINMAXINFO, else a quarter of the room.
QSize UsableSize(QMdiSubWindow* sub, const QSize& room)
{
    QSize usable(room.width() / 2, room.height() / 2);
    if (const HWND hwnd = platform::ui::HandleOfSubWindow(sub)) {
        MINMAXINFO info{};
        ::SendMessageW(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
        if (info.ptMinTrackSize.x > 0 && info.ptMinTrackSize.y > 0)
            usable = QSize(static_cast<int>(info.ptMinTrackSize.x), static_cast<int>(info.ptMinTrackSize.y));
    }
    return usable.boundedTo(room);
}

QSize LargestUsable(const std::vector<QMdiSubWindow*>& subs, const QSize& room)
{
    QSize most(1, 1);
    for (QMdiSubWindow* sub : subs) most = most.expandedTo(UsableSize(sub, room));
    return most;
}

void PlaceChild(QMdiSubWindow* sub, const QRect& r)
{
    if (sub->isMaximized()) sub->showNormal();
    sub->setGeometry(r);
}

}  // namespace

void CMDIFrameWnd::MDICascade()
{
    QMdiArea* area = AreaOf(m_hWndMDIClient);
    if (!area) return;
    const std::vector<QMdiSubWindow*> shown = ArrangedChildren(area, false);
    if (shown.empty()) return;
    const QSize room = area->viewport()->size();
    const int n = static_cast<int>(shown.size());
    // One title bar lower and further right each; every window as large as
    // the stair leaves room for, but never below a usable size (the stair
    // starts again at the top once it would push a window out of the room).
    const int step = std::max(shown.front()->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, shown.front()) +
                                  shown.front()->style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, shown.front()),
                              8);
    const QSize usable = LargestUsable(shown, room).expandedTo(room * 3 / 4).boundedTo(room);
    const QSize size = QSize(room.width() - step * (n - 1), room.height() - step * (n - 1)).expandedTo(usable);
    const int stairs = std::max(1, std::min((room.width() - size.width()) / step, (room.height() - size.height()) / step) + 1);
    for (int i = 0; i < n; ++i) {
        const int k = i % stairs;
        PlaceChild(shown[static_cast<std::size_t>(i)], QRect(QPoint(k * step, k * step), size));
    }
}

void CMDIFrameWnd::MDITile(int nType)
{
    QMdiArea* area = AreaOf(m_hWndMDIClient);
    if (!area) return;
    std::vector<QMdiSubWindow*> shown = ArrangedChildren(area, (nType & MDITILE_SKIPDISABLED) != 0);
    if (shown.empty()) return;
    // In the order they were opened, left to right and top to bottom.
    std::stable_sort(shown.begin(), shown.end(), [list = area->subWindowList(QMdiArea::CreationOrder)](auto* a, auto* b) {
        return list.indexOf(a) < list.indexOf(b);
    });
    const QSize room = area->viewport()->size();
    const int n = static_cast<int>(shown.size());
    const QSize usable = LargestUsable(shown, room);
    // Horizontal tiling stacks the windows one above the other, vertical
    // tiling puts them side by side; when they would come out smaller than
    // usable, the others go to more columns (or rows) of a grid.
    const bool rows = (nType & MDITILE_HORIZONTAL) != 0;
    const int fit = rows ? std::max(1, room.height() / usable.height()) : std::max(1, room.width() / usable.width());
    const int lines = std::min(n, fit);                  // windows along the tiling direction
    const int across = (n + lines - 1) / lines;          // lines of them side by side
    for (int i = 0; i < n; ++i) {
        const int line = i / lines;
        const int inLine = i % lines;
        // The last line takes what is left of the windows and shares the room among them.
        const int inThisLine = line == across - 1 ? n - line * lines : lines;
        QRect r;
        if (rows) {
            const int x0 = room.width() * line / across;
            const int x1 = room.width() * (line + 1) / across;
            r = QRect(x0, room.height() * inLine / inThisLine, x1 - x0,
                      room.height() * (inLine + 1) / inThisLine - room.height() * inLine / inThisLine);
        } else {
            const int y0 = room.height() * line / across;
            const int y1 = room.height() * (line + 1) / across;
            r = QRect(room.width() * inLine / inThisLine, y0,
                      room.width() * (inLine + 1) / inThisLine - room.width() * inLine / inThisLine, y1 - y0);
        }
        PlaceChild(shown[static_cast<std::size_t>(i)], r);
    }
}

void CMDIFrameWnd::MDIIconArrange()
{
    // Minimised children line up along the bottom of the MDI client.
    QMdiArea* area = AreaOf(m_hWndMDIClient);
    if (!area) return;
    int x = 0;
    const int bottom = area->viewport()->height();
    for (QMdiSubWindow* sub : area->subWindowList(QMdiArea::CreationOrder)) {
        if (!sub->isMinimized()) continue;
        sub->move(x, bottom - sub->height());
        x += sub->width();
    }
}

void CMDIFrameWnd::MDIMaximize(CWnd* pWnd)
{
    if (QMdiSubWindow* sub = pWnd ? platform::ui::SubWindowOf(pWnd->GetSafeHwnd()) : nullptr) sub->showMaximized();
}

void CMDIFrameWnd::MDIRestore(CWnd* pWnd)
{
    if (QMdiSubWindow* sub = pWnd ? platform::ui::SubWindowOf(pWnd->GetSafeHwnd()) : nullptr) sub->showNormal();
}

void CMDIFrameWnd::MDINext()
{
    if (QMdiArea* area = AreaOf(m_hWndMDIClient)) area->activateNextSubWindow();
}

void CMDIFrameWnd::MDIPrev()
{
    if (QMdiArea* area = AreaOf(m_hWndMDIClient)) area->activatePreviousSubWindow();
}

CFrameWnd* CMDIFrameWnd::GetActiveFrame()
{
    CMDIChildWnd* child = MDIGetActive();
    return child ? static_cast<CFrameWnd*>(child) : this;
}

CDocument* CMDIFrameWnd::GetActiveDocument()
{
    CMDIChildWnd* child = MDIGetActive();
    return child ? child->GetActiveDocument() : CFrameWnd::GetActiveDocument();
}

BOOL CMDIFrameWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    if (CMDIChildWnd* child = MDIGetActive()) {
        if (child->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
    }
    return CFrameWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

BOOL CMDIFrameWnd::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST) {
        // The active child's keys first, even when the focus is elsewhere in
        // the frame.
        CMDIChildWnd* child = MDIGetActive();
        if (child && child->m_hAccelTable && !::IsChild(child->GetSafeHwnd(), pMsg->hwnd) &&
            ::TranslateAcceleratorW(child->GetSafeHwnd(), child->m_hAccelTable, pMsg)) {
            return TRUE;
        }
    }
    return CFrameWnd::PreTranslateMessage(pMsg);
}

void CMDIFrameWnd::OnUpdateFrameTitle(BOOL bAddToTitle)
{
    if ((GetStyle() & FWS_ADDTOTITLE) == 0) return;
    CMDIChildWnd* child = MDIGetActive();
    if (bAddToTitle && child) {
        CString childTitle;
        child->GetWindowText(childTitle);
        UpdateFrameTitleForDocument(childTitle.GetString());
    } else {
        UpdateFrameTitleForDocument(nullptr);
    }
}

void CMDIFrameWnd::OnUpdateFrameMenu(HMENU hMenuAlt)
{
    const HMENU menu = hMenuAlt ? hMenuAlt : m_hMenuDefault;
    if (menu != m_hMenuShown) ShowMenuBar(menu);
}

LRESULT CMDIFrameWnd::OnIdleUpdateCmdUIMessage(WPARAM wParam, LPARAM lParam)
{
    CMDIChildWnd* child = MDIGetActive();
    OnUpdateFrameMenu(child ? child->m_hMenuShared : HMENU());
    return CFrameWnd::OnIdleUpdateCmdUI(wParam, lParam);
}

void CMDIFrameWnd::OnClose() { CFrameWnd::OnClose(); }

BOOL CMDIFrameWnd::OnMDIWindowCmd(UINT nID)
{
    switch (nID) {
    case ID_WINDOW_ARRANGE: MDIIconArrange(); return TRUE;
    case ID_WINDOW_CASCADE: MDICascade(); return TRUE;
    case ID_WINDOW_TILE_HORZ: MDITile(MDITILE_HORIZONTAL); return TRUE;
    case ID_WINDOW_TILE_VERT: MDITile(MDITILE_VERTICAL); return TRUE;
    default: return FALSE;
    }
}

void CMDIFrameWnd::OnUpdateMDIWindowCmd(CCmdUI* pCmdUI) { pCmdUI->Enable(MDIGetActive() != nullptr ? TRUE : FALSE); }

namespace {

bool IsListedChildId(UINT id)
{
    return id >= AFX_IDM_FIRST_MDICHILD && id < AFX_IDM_FIRST_MDICHILD + CMDIFrameWnd::kMaxListedChildren;
}

// The popup that holds the window commands (cascade, tile, arrange).
bool IsWindowMenu(HMENU menu)
{
    const int count = ::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        const UINT id = ::GetMenuItemID(menu, i);
        if (id >= ID_WINDOW_NEW && id <= ID_WINDOW_SPLIT) return true;
    }
    return false;
}

}  // namespace

LRESULT CMDIFrameWnd::OnInitMenuPopupMdi(WPARAM wParam, LPARAM lParam)
{
    const HMENU menu = HMENU::FromValue(static_cast<std::uint64_t>(wParam));
    if (::IsMenu(menu) && !HIWORD(lParam) && IsWindowMenu(menu)) {
        // The list of the last opening goes, with the separator before it.
        int first = -1;
        for (int i = ::GetMenuItemCount(menu) - 1; i >= 0; --i) {
            if (!IsListedChildId(::GetMenuItemID(menu, i))) continue;
            ::DeleteMenu(menu, static_cast<UINT>(i), MF_BYPOSITION);
            first = i;
        }
        const int last = ::GetMenuItemCount(menu) - 1;
        if (first > 0 && first - 1 == last && (::GetMenuState(menu, static_cast<UINT>(last), MF_BYPOSITION) & MF_SEPARATOR))
            ::DeleteMenu(menu, static_cast<UINT>(last), MF_BYPOSITION);
        const std::vector<CMDIChildWnd*> children = MDIGetChildren();
        UINT n = 0;
        for (CMDIChildWnd* child : children) {
            if (n == kMaxListedChildren) break;
            if (!child->IsWindowVisible()) continue;
            if (n == 0) ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            CString title;
            child->GetWindowText(title);
            title.Replace(u"&", u"&&");
            CString item;
            // The first nine take their number as the mnemonic, as on the original platform.
            if (n < 9) item.Format(u"&%u %s", n + 1, title.GetString());
            else item.Format(u"%u %s", n + 1, title.GetString());
            ::AppendMenuW(menu, MF_STRING, AFX_IDM_FIRST_MDICHILD + n, item.GetString());
            ++n;
        }
    }
    return CFrameWnd::OnInitMenuPopupMessage(wParam, lParam);
}

// The n-th listed child: the visible children in creation order.
namespace {
CMDIChildWnd* ListedChild(const std::vector<CMDIChildWnd*>& children, UINT n)
{
    for (CMDIChildWnd* child : children) {
        if (!child->IsWindowVisible()) continue;
        if (n-- == 0) return child;
    }
    return nullptr;
}
}  // namespace

BOOL CMDIFrameWnd::OnActivateListedChild(UINT nID)
{
    CMDIChildWnd* child = ListedChild(MDIGetChildren(), nID - AFX_IDM_FIRST_MDICHILD);
    if (!child) return FALSE;
    if (child->IsIconic()) child->ShowWindow(SW_RESTORE);
    MDIActivate(child);
    return TRUE;
}

void CMDIFrameWnd::OnUpdateListedChild(CCmdUI* pCmdUI)
{
    CMDIChildWnd* child = ListedChild(MDIGetChildren(), pCmdUI->m_nID - AFX_IDM_FIRST_MDICHILD);
    pCmdUI->Enable(child ? TRUE : FALSE);
    pCmdUI->SetCheck(child && child == MDIGetActive() ? 1 : 0);
}

// ---------------------------------------------------------------- child

IMPLEMENT_DYNCREATE(CMDIChildWnd, CFrameWnd)

BEGIN_MESSAGE_MAP(CMDIChildWnd, CFrameWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_MESSAGE(WM_MDIACTIVATE, &CMDIChildWnd::OnMDIActivateMessage)
END_MESSAGE_MAP()

CMDIChildWnd::CMDIChildWnd() = default;
CMDIChildWnd::~CMDIChildWnd() = default;

BOOL CMDIChildWnd::PreCreateWindow(CREATESTRUCTW& cs)
{
    if (!cs.lpszClass) cs.lpszClass = kMdiChildClassName;
    cs.style |= WS_CHILD;
    cs.dwExStyle |= WS_EX_MDICHILD;
    if (cs.cx == platform::ui::kUseDefault || cs.cx == 0) {
        // Two thirds of the MDI client by default.
        RECT client{0, 0, 600, 400};
        if (cs.hwndParent) ::GetClientRect(cs.hwndParent, &client);
        cs.cx = std::max(200, static_cast<int>(client.right * 2 / 3));
        cs.cy = std::max(150, static_cast<int>(client.bottom * 2 / 3));
    }
    return TRUE;
}

BOOL CMDIChildWnd::Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                          CMDIFrameWnd* pParentWnd, CCreateContext* pContext)
{
    CMDIFrameWnd* frame = pParentWnd ? pParentWnd : dynamic_cast<CMDIFrameWnd*>(AfxGetMainWnd());
    if (!frame || !frame->m_hWndMDIClient) return FALSE;
    m_strTitle = lpszWindowName ? lpszWindowName : u"";
    CWnd* client = CWnd::FromHandle(frame->m_hWndMDIClient);
    return CreateEx(WS_EX_MDICHILD, lpszClassName, lpszWindowName, dwStyle | WS_CHILD, rect, client, 0, pContext);
}

BOOL CMDIChildWnd::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd, CCreateContext* pContext)
{
    m_nIDHelp = nIDResource;
    CString title;
    if (title.LoadString(nIDResource)) {
        const int nl = title.Find(u'\n');
        m_strTitle = nl < 0 ? title : title.Left(nl);
    }
    // The child shows its template's menu and keys while it is active.
    if (pContext) {
        if (auto* t = dynamic_cast<CMultiDocTemplate*>(pContext->m_pNewDocTemplate)) {
            m_hMenuShared = t->m_hMenuShared;
            m_hAccelShared = t->m_hAccelTable;
            m_hAccelTable = t->m_hAccelTable;
        }
    }
    const CString windowTitle = m_strTitle;
    return Create(nullptr, windowTitle.GetString(), dwDefaultStyle | WS_CHILD, rectDefault,
                  dynamic_cast<CMDIFrameWnd*>(pParentWnd), pContext);
}

CMDIFrameWnd* CMDIChildWnd::GetMDIFrame() const
{
    const HWND client = ::GetParent(m_hWnd);
    return client ? dynamic_cast<CMDIFrameWnd*>(CWnd::FromHandle(::GetParent(client))) : nullptr;
}

void CMDIChildWnd::MDIActivate()
{
    if (CMDIFrameWnd* frame = GetMDIFrame()) frame->MDIActivate(this);
}

void CMDIChildWnd::MDIDestroy() { DestroyWindow(); }

void CMDIChildWnd::MDIMaximize()
{
    if (CMDIFrameWnd* frame = GetMDIFrame()) frame->MDIMaximize(this);
}

void CMDIChildWnd::MDIRestore()
{
    if (CMDIFrameWnd* frame = GetMDIFrame()) frame->MDIRestore(this);
}

void CMDIChildWnd::ActivateFrame(int nCmdShow)
{
    CMDIFrameWnd* frame = GetMDIFrame();
    if (nCmdShow == -1) {
        // A new child follows a maximised active one.
        BOOL maximized = FALSE;
        CMDIChildWnd* active = frame ? frame->MDIGetActive(&maximized) : nullptr;
        nCmdShow = active && active != this && maximized ? SW_SHOWMAXIMIZED : SW_SHOW;
    }
    ShowWindow(nCmdShow);
    if (nCmdShow != SW_HIDE && frame) frame->MDIActivate(this);
}

void CMDIChildWnd::OnUpdateFrameTitle(BOOL bAddToTitle)
{
    CDocument* doc = GetActiveDocument();
    CString title = m_strTitle;
    if (bAddToTitle && doc && (GetStyle() & FWS_ADDTOTITLE)) {
        title = doc->GetTitle();
        // A document in several windows numbers them.
        std::vector<CFrameWnd*> frames;
        POSITION pos = doc->GetFirstViewPosition();
        while (CView* view = doc->GetNextView(pos)) {
            CFrameWnd* f = view->GetParentFrame();
            if (f && std::find(frames.begin(), frames.end(), f) == frames.end()) frames.push_back(f);
        }
        if (frames.size() > 1) {
            const auto it = std::find(frames.begin(), frames.end(), static_cast<CFrameWnd*>(this));
            CString number;
            number.Format(u":%d", static_cast<int>(it - frames.begin()) + 1);
            title += number;
        }
    }
    CString current;
    GetWindowText(current);
    if (current != title) SetWindowText(title.GetString());
    if (CMDIFrameWnd* frame = GetMDIFrame()) frame->OnUpdateFrameTitle(TRUE);
}

BOOL CMDIChildWnd::PreTranslateMessage(MSG* pMsg) { return CFrameWnd::PreTranslateMessage(pMsg); }

void CMDIChildWnd::OnUpdateFrameMenu(BOOL bActive, CWnd*, HMENU hMenuAlt)
{
    CMDIFrameWnd* frame = GetMDIFrame();
    if (!frame) return;
    if (bActive) {
        frame->OnUpdateFrameMenu(hMenuAlt ? hMenuAlt : m_hMenuShared);
    } else if (!frame->MDIGetActive()) {
        frame->OnUpdateFrameMenu(HMENU());
    }
}

LRESULT CMDIChildWnd::OnMDIActivateMessage(WPARAM wParam, LPARAM lParam)
{
    const HWND deactivated = HWND::FromWParam(wParam);
    const HWND activated = HWND::FromLParam(lParam);
    OnMDIActivate(activated == m_hWnd ? TRUE : FALSE, CWnd::FromHandle(activated), CWnd::FromHandle(deactivated));
    return 0;
}

void CMDIChildWnd::OnMDIActivate(BOOL bActivate, CWnd* pActivateWnd, CWnd*)
{
    OnUpdateFrameMenu(bActivate, pActivateWnd, HMENU());
    CView* view = GetActiveView();
    if (view && ::IsWindow(view->GetSafeHwnd())) {
        if (bActivate) {
            view->OnActivateView(TRUE, view, view);
        } else {
            view->OnActivateView(FALSE, view, view);
        }
    }
    if (CMDIFrameWnd* frame = GetMDIFrame()) frame->OnUpdateFrameTitle(TRUE);
}

int CMDIChildWnd::OnCreate(LPCREATESTRUCT lpcs) { return CFrameWnd::OnCreate(lpcs); }

void CMDIChildWnd::OnDestroy()
{
    CMDIFrameWnd* frame = GetMDIFrame();
    CFrameWnd::OnDestroy();
    if (!frame) return;
    // The last child takes its menu with it; otherwise the next active
    // child puts its own in when it is activated.
    bool others = false;
    for (CMDIChildWnd* child : frame->MDIGetChildren()) {
        if (child != this && child->IsWindowVisible()) others = true;
    }
    if (!others) frame->OnUpdateFrameMenu(HMENU());
    frame->OnUpdateFrameTitle(TRUE);
}
