// The visible-window members of CWnd and the plain window calls.
#include "platform/core/CmdUI.h"
#include "platform/core/Thread.h"
#include "platform/core/ThreadQueue.h"
#include "platform/ui/Button.h"
#include "platform/ui/DC.h"
#include "platform/ui/DataExchange.h"
#include "platform/ui/Edit.h"
#include "platform/ui/InputRouting.h"
#include "platform/ui/Menu.h"
#include "platform/ui/WidgetPeer.h"

#include <QApplication>
#include <QCursor>
#include <QScreen>

#include <algorithm>
#include <climits>
#include <functional>

namespace platform::ui {
void TrackMouseLeave(HWND window);
}

namespace {

using platform::ui::WidgetPeer;

constexpr UINT kInvokeMessage = 0x03F0;

bool OwnedHere(HWND hwnd) { return hwnd && ::GetWindowThreadProcessId(hwnd, nullptr) == GetCurrentThreadId(); }

// Runs f on the window's thread: at once on it, else as a send that gives up
// after the usual bound when the window's thread never takes it.
LRESULT OnWindowThread(HWND hwnd, const std::function<LRESULT()>& f)
{
    if (!::IsWindow(hwnd)) return 0;
    if (OwnedHere(hwnd)) return f();
    std::function<LRESULT()> call = f;
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(hwnd, kInvokeMessage, 0, reinterpret_cast<LPARAM>(&call), SMTO_NORMAL,
                               platform::kSendMessageTimeoutMs, &result))
        return 0;
    return static_cast<LRESULT>(result);
}

DWORD StyleOf(HWND hwnd) { return static_cast<DWORD>(::GetWindowLongPtrW(hwnd, GWL_STYLE)); }

void SetStyleBit(HWND hwnd, DWORD bit, bool on)
{
    const DWORD style = StyleOf(hwnd);
    const DWORD updated = on ? (style | bit) : (style & ~bit);
    if (updated != style) ::SetWindowLongPtrW(hwnd, GWL_STYLE, static_cast<LONG_PTR>(updated));
}

WidgetPeer* PeerOf(HWND hwnd) { return WidgetPeer::Of(hwnd); }

// The frame margins of a top-level widget (zero before it is shown).
QMargins FrameMargins(const QWidget* w)
{
    const QRect frame = w->frameGeometry();
    const QRect client = w->geometry();
    return QMargins(client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                    frame.bottom() - client.bottom());
}

// The frame margins of the window in its normal state: a window manager
// frames a maximised window differently, and its normal rectangle keeps the
// normal frame.
QMargins NormalFrameMargins(WidgetPeer* peer, const QWidget* w)
{
    if (!(w->windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen))) {
        const QMargins m = FrameMargins(w);
        if (!m.isNull()) peer->m_normalMargins = m;
        return m;
    }
    return peer->m_normalMargins;
}

RECT ToRect(const QRect& r) { return RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }

// Makes a shown top-level window the active one at once, as the system does
// within the call: a window manager grants activation later or not at all,
// and focus, WM_ACTIVATE and the focus notifications must not wait for it.
// The window manager is asked as well, so the keyboard follows.
void ActivateNow(QWidget* top)
{
    if (!top || !top->isVisible() || !top->isEnabled()) return;
    if (QApplication::activeWindow() != top) QApplication::setActiveWindow(top);
    top->activateWindow();
}

void ApplyMinMax(WidgetPeer* peer)
{
    QWidget* w = peer->Widget();
    if (!w || peer->IsChildWindow()) return;
    MINMAXINFO info{};
    const QRect screen = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->availableGeometry()
                                                            : QRect(0, 0, 1024, 768);
    info.ptMaxSize = POINT{screen.width(), screen.height()};
    info.ptMaxTrackSize = POINT{QWIDGETSIZE_MAX, QWIDGETSIZE_MAX};
    info.ptMinTrackSize = POINT{0, 0};
    ::SendMessageW(peer->Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    const QMargins m = FrameMargins(w);
    const int frameW = m.left() + m.right();
    const int frameH = m.top() + m.bottom();
    w->setMinimumSize(std::max(0, static_cast<int>(info.ptMinTrackSize.x) - frameW),
                      std::max(0, static_cast<int>(info.ptMinTrackSize.y) - frameH));
    if (info.ptMaxTrackSize.x < QWIDGETSIZE_MAX || info.ptMaxTrackSize.y < QWIDGETSIZE_MAX) {
        w->setMaximumSize(std::clamp(static_cast<int>(info.ptMaxTrackSize.x) - frameW, 0, QWIDGETSIZE_MAX),
                          std::clamp(static_cast<int>(info.ptMaxTrackSize.y) - frameH, 0, QWIDGETSIZE_MAX));
    }
    // A window without a thick frame keeps the size its code gives it: the
    // window manager offers no resizing then.
    if (w == peer->FrameWidget() && platform::ui::IsFixedSizeWindow(peer->Style())) w->setFixedSize(w->size());
}

// Sizes a top-level window's client area; a fixed-size window stays fixed
// at the new size.
void ResizeClient(WidgetPeer* peer, QWidget* w, const QSize& size)
{
    if (w == peer->FrameWidget() && platform::ui::IsFixedSizeWindow(peer->Style()) && w->minimumSize() == w->maximumSize()) {
        w->setFixedSize(size);
    } else {
        w->resize(size);
    }
}

bool IsTabbable(HWND hwnd)
{
    const DWORD style = StyleOf(hwnd);
    return (style & WS_TABSTOP) && (style & WS_VISIBLE) && !(style & WS_DISABLED) && ::IsWindowVisible(hwnd);
}

bool IsControlParent(HWND hwnd)
{
    const DWORD ex = static_cast<DWORD>(::GetWindowLongPtrW(hwnd, GWL_EXSTYLE));
    return (ex & WS_EX_CONTROLPARENT) != 0;
}

// The controls of a dialog in tab order, with child dialogs opened up.
void CollectControls(HWND parent, std::vector<HWND>& out, int depth)
{
    WidgetPeer* peer = PeerOf(parent);
    if (!peer || depth > 16) return;
    for (HWND child : peer->Children()) {
        if (IsControlParent(child)) {
            if (::IsWindowVisible(child) && !(StyleOf(child) & WS_DISABLED)) CollectControls(child, out, depth + 1);
            continue;
        }
        out.push_back(child);
    }
}

bool ClickIfAutoRadio(HWND hwnd)
{
    const LRESULT code = ::SendMessageW(hwnd, WM_GETDLGCODE, 0, 0);
    if (!(code & DLGC_RADIOBUTTON)) return false;
    if ((StyleOf(hwnd) & BS_TYPEMASK) != BS_AUTORADIOBUTTON) return false;
    ::SendMessageW(hwnd, BM_CLICK, 0, 0);
    return true;
}

void FocusControl(HWND hwnd)
{
    ::SetFocus(hwnd);
    if (::IsWindow(hwnd) && (::SendMessageW(hwnd, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)) {
        ::SendMessageW(hwnd, EM_SETSEL, 0, -1);
    }
}

class ControlCmdUI final : public CCmdUI {
public:
    void Enable(BOOL bOn) override
    {
        CCmdUI::Enable(bOn);
        if (m_pOther) m_pOther->EnableWindow(bOn);
    }
    void SetCheck(int nCheck) override
    {
        CCmdUI::SetCheck(nCheck);
        if (m_pOther && (::SendMessageW(m_pOther->GetSafeHwnd(), WM_GETDLGCODE, 0, 0) & DLGC_BUTTON)) {
            m_pOther->SendMessage(BM_SETCHECK, static_cast<WPARAM>(nCheck));
        }
    }
    void SetRadio(BOOL bOn) override { SetCheck(bOn ? 1 : 0); }
    void SetText(LPCTSTR lpszText) override
    {
        CCmdUI::SetText(lpszText);
        if (m_pOther) m_pOther->SetWindowText(lpszText);
    }
};

struct InsertAfterWnd final : CWnd {
    explicit InsertAfterWnd(HWND h) { m_hWnd = h; }
};

}  // namespace

const CWnd& wndTop = *new InsertAfterWnd(HWND_TOP);
const CWnd& wndBottom = *new InsertAfterWnd(HWND_BOTTOM);
const CWnd& wndTopMost = *new InsertAfterWnd(HWND_TOPMOST);
const CWnd& wndNoTopMost = *new InsertAfterWnd(HWND_NOTOPMOST);

// ---------------------------------------------------------------- plain calls

BOOL ShowWindow(HWND hWnd, int nCmdShow)
{
    return static_cast<BOOL>(OnWindowThread(hWnd, [hWnd, nCmdShow]() -> LRESULT {
        const bool wasVisible = (StyleOf(hWnd) & WS_VISIBLE) != 0;
        const bool show = nCmdShow != SW_HIDE;
        WidgetPeer* peer = PeerOf(hWnd);
        if (!peer && show && !(StyleOf(hWnd) & WS_CHILD)) {
            // A hidden top-level window gets its face when it is first shown.
            if (CWnd* wnd = CWnd::FromHandle(hWnd)) {
                if (std::unique_ptr<WidgetPeer> late = platform::ui::MakeLatePeer(hWnd)) {
                    wnd->SetPeer(std::move(late));
                    peer = PeerOf(hWnd);
                }
            }
        }
        if (show != wasVisible) ::SendMessageW(hWnd, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
        if (!::IsWindow(hWnd)) return wasVisible;
        SetStyleBit(hWnd, WS_VISIBLE, show);
        QWidget* w = peer ? peer->FrameWidget() : nullptr;
        if (!w) return wasVisible;
        if (!show) {
            w->hide();
            return wasVisible;
        }
        if (!peer->IsChildWindow()) ApplyMinMax(peer);
        switch (nCmdShow) {
        case SW_SHOWMAXIMIZED: w->showMaximized(); break;
        case SW_MINIMIZE:
        case SW_SHOWMINIMIZED:
        case SW_SHOWMINNOACTIVE: w->showMinimized(); break;
        case SW_RESTORE:
        case SW_SHOWNORMAL: w->showNormal(); break;
        default: w->show(); break;
        }
        if (!peer->IsChildWindow() && !wasVisible && ::IsWindow(hWnd)) platform::ui::WaitUntilOnScreen(w);
        if (!::IsWindow(hWnd) || !PeerOf(hWnd)) return wasVisible;
        if (!peer->IsChildWindow() && nCmdShow != SW_SHOWNA && nCmdShow != SW_SHOWNOACTIVATE &&
            nCmdShow != SW_SHOWMINNOACTIVE) {
            w->raise();
            ActivateNow(w->window());
        }
        peer->SizeChanged();
        return wasVisible;
    }));
}

BOOL IsWindowVisible(HWND hWnd)
{
    // From the styles alone, so any thread may ask.
    HWND h = hWnd;
    for (int depth = 0; h && depth < 256; ++depth) {
        if (!::IsWindow(h)) return FALSE;
        const DWORD style = StyleOf(h);
        if (!(style & WS_VISIBLE)) return FALSE;
        if (!(style & WS_CHILD)) return TRUE;
        h = ::GetParent(h);
    }
    return ::IsWindow(hWnd) ? TRUE : FALSE;
}

BOOL EnableWindow(HWND hWnd, BOOL bEnable)
{
    if (!::IsWindow(hWnd)) return FALSE;
    const bool wasDisabled = (StyleOf(hWnd) & WS_DISABLED) != 0;
    OnWindowThread(hWnd, [hWnd, bEnable]() -> LRESULT {
        const bool disabled = (StyleOf(hWnd) & WS_DISABLED) != 0;
        SetStyleBit(hWnd, WS_DISABLED, !bEnable);
        if (WidgetPeer* peer = PeerOf(hWnd)) {
            if (peer->Widget()) peer->Widget()->setEnabled(bEnable != FALSE);
        }
        if (disabled == (bEnable != FALSE)) ::SendMessageW(hWnd, WM_ENABLE, bEnable ? TRUE : FALSE, 0);
        return 0;
    });
    return wasDisabled ? TRUE : FALSE;
}

BOOL IsWindowEnabled(HWND hWnd) { return ::IsWindow(hWnd) && !(StyleOf(hWnd) & WS_DISABLED) ? TRUE : FALSE; }

BOOL SetWindowTextW(HWND hWnd, LPCWSTR text)
{
    return static_cast<BOOL>(::SendMessageW(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : u"")));
}

int GetWindowTextW(HWND hWnd, LPWSTR buffer, int maxCount)
{
    if (!buffer || maxCount <= 0) return 0;
    buffer[0] = 0;
    return static_cast<int>(::SendMessageW(hWnd, WM_GETTEXT, static_cast<WPARAM>(maxCount), reinterpret_cast<LPARAM>(buffer)));
}

int GetClassNameW(HWND hWnd, LPWSTR buffer, int maxCount)
{
    if (!buffer || maxCount <= 0) return 0;
    buffer[0] = 0;
    return static_cast<int>(OnWindowThread(hWnd, [hWnd, buffer, maxCount]() -> LRESULT {
        const WidgetPeer* peer = PeerOf(hWnd);
        if (!peer) return 0;
        const std::size_t n = std::min(peer->ClassName().size(), static_cast<std::size_t>(maxCount - 1));
        std::copy_n(peer->ClassName().begin(), n, buffer);
        buffer[n] = 0;
        return static_cast<LRESULT>(n);
    }));
}

int GetWindowTextLengthW(HWND hWnd) { return static_cast<int>(::SendMessageW(hWnd, WM_GETTEXTLENGTH, 0, 0)); }

BOOL MoveWindow(HWND hWnd, int x, int y, int width, int height, BOOL repaint)
{
    return SetWindowPos(hWnd, HWND(), x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

BOOL SetWindowPos(HWND hWnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags)
{
    return static_cast<BOOL>(OnWindowThread(hWnd, [=]() -> LRESULT {
        WidgetPeer* peer = PeerOf(hWnd);
        QWidget* w = peer ? peer->FrameWidget() : nullptr;
        if (!w) return FALSE;
        const bool child = peer->IsChildWindow();
        if (child || w != peer->Widget()) {
            if (!(flags & SWP_NOSIZE)) w->resize(std::max(0, cx), std::max(0, cy));
            if (!(flags & SWP_NOMOVE)) w->move(x, y);
        } else {
            // The rectangle given is the frame's. The toolkit places the
            // client area: it is put inside the frame the window manager
            // draws, so that the frame lands where the code said.
            const QMargins m = NormalFrameMargins(peer, w);
            QRect client = w->geometry();
            if (!(flags & SWP_NOSIZE)) {
                client.setSize(QSize(std::max(0, cx - m.left() - m.right()), std::max(0, cy - m.top() - m.bottom())));
            }
            if (!(flags & SWP_NOMOVE)) {
                peer->m_placedByCode = true;
                client.moveTopLeft(QPoint(x + m.left(), y + m.top()));
            }
            if (!(flags & SWP_NOSIZE)) {
                ResizeClient(peer, w, client.size());
                peer->m_pendingFrameSize = QSize();
            }
            if (!(flags & SWP_NOMOVE)) {
                if (w->isVisible()) {
                    w->setGeometry(client);
                } else {
                    // Before it is shown the frame is not known: the toolkit
                    // places the frame itself then.
                    w->move(x, y);
                }
            }
        }
        if (!(flags & SWP_NOZORDER)) {
            if (insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST) {
                const bool top = insertAfter == HWND_TOPMOST;
                if (!child && w->windowFlags().testFlag(Qt::WindowStaysOnTopHint) != top) {
                    const bool visible = w->isVisible();
                    w->setWindowFlag(Qt::WindowStaysOnTopHint, top);
                    if (visible) w->show();
                }
            } else if (child) {
                if (WidgetPeer* parent = PeerOf(peer->ParentHandle())) parent->PlaceChild(hWnd, insertAfter);
                if (insertAfter == HWND_TOP) {
                    w->raise();
                } else if (insertAfter == HWND_BOTTOM) {
                    w->lower();
                } else if (QWidget* above = platform::ui::WidgetOf(insertAfter)) {
                    // A sibling that clips its siblings never draws over
                    // them (a tab control over its pages): only the order
                    // changes, the window stays in sight.
                    if (StyleOf(insertAfter) & WS_CLIPSIBLINGS) {
                        w->raise();
                    } else {
                        w->stackUnder(above);
                    }
                }
            } else if (insertAfter == HWND_TOP) {
                w->raise();
            }
        }
        peer->SizeChanged();
        peer->PositionChanged();
        if (flags & SWP_SHOWWINDOW) ::ShowWindow(hWnd, (flags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
        if (flags & SWP_HIDEWINDOW) ::ShowWindow(hWnd, SW_HIDE);
        return TRUE;
    }));
}

BOOL GetWindowRect(HWND hWnd, RECT* rect)
{
    if (!rect) return FALSE;
    *rect = RECT{};
    return static_cast<BOOL>(OnWindowThread(hWnd, [hWnd, rect]() -> LRESULT {
        WidgetPeer* peer = PeerOf(hWnd);
        QWidget* w = peer ? peer->FrameWidget() : nullptr;
        if (!w) return FALSE;
        if (peer->IsChildWindow()) {
            *rect = ToRect(QRect(w->mapToGlobal(QPoint(0, 0)), w->size()));
        } else {
            *rect = ToRect(w->frameGeometry());
        }
        return TRUE;
    }));
}

BOOL GetClientRect(HWND hWnd, RECT* rect)
{
    if (!rect) return FALSE;
    *rect = RECT{};
    return static_cast<BOOL>(OnWindowThread(hWnd, [hWnd, rect]() -> LRESULT {
        QWidget* w = platform::ui::WidgetOf(hWnd);
        if (!w) return FALSE;
        *rect = RECT{0, 0, w->width(), w->height()};
        return TRUE;
    }));
}

BOOL ClientToScreen(HWND hWnd, POINT* point)
{
    if (!point) return FALSE;
    return static_cast<BOOL>(OnWindowThread(hWnd, [hWnd, point]() -> LRESULT {
        QWidget* w = platform::ui::WidgetOf(hWnd);
        if (!w) return FALSE;
        const QPoint p = w->mapToGlobal(QPoint(point->x, point->y));
        *point = POINT{p.x(), p.y()};
        return TRUE;
    }));
}

BOOL ScreenToClient(HWND hWnd, POINT* point)
{
    if (!point) return FALSE;
    return static_cast<BOOL>(OnWindowThread(hWnd, [hWnd, point]() -> LRESULT {
        QWidget* w = platform::ui::WidgetOf(hWnd);
        if (!w) return FALSE;
        const QPoint p = w->mapFromGlobal(QPoint(point->x, point->y));
        *point = POINT{p.x(), p.y()};
        return TRUE;
    }));
}

int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count)
{
    if (!points) return 0;
    POINT origin{0, 0};
    POINT target{0, 0};
    if (from) ::ClientToScreen(from, &origin);
    if (to) ::ClientToScreen(to, &target);
    const int dx = origin.x - target.x;
    const int dy = origin.y - target.y;
    for (UINT i = 0; i < count; ++i) {
        points[i].x += dx;
        points[i].y += dy;
    }
    return MAKELONG(static_cast<WORD>(dx), static_cast<WORD>(dy));
}

BOOL GetWindowPlacement(HWND hWnd, WINDOWPLACEMENT* placement)
{
    if (!placement) return FALSE;
    return static_cast<BOOL>(OnWindowThread(hWnd, [hWnd, placement]() -> LRESULT {
        WidgetPeer* peer = PeerOf(hWnd);
        QWidget* w = peer ? peer->FrameWidget() : nullptr;
        if (!w) return FALSE;
        placement->length = sizeof(WINDOWPLACEMENT);
        placement->flags = 0;
        placement->ptMinPosition = POINT{-1, -1};
        placement->ptMaxPosition = POINT{-1, -1};
        if (w->isMaximized()) {
            placement->showCmd = SW_SHOWMAXIMIZED;
        } else if (w->isMinimized()) {
            placement->showCmd = SW_SHOWMINIMIZED;
        } else {
            placement->showCmd = (StyleOf(hWnd) & WS_VISIBLE) ? SW_SHOWNORMAL : SW_HIDE;
        }
        if (peer->IsChildWindow()) {
            placement->rcNormalPosition = ToRect(peer->NormalFrameGeometry());
        } else {
            const QRect normal = (w->isMaximized() || w->isMinimized()) ? w->normalGeometry() : w->geometry();
            placement->rcNormalPosition = ToRect(normal.marginsAdded(NormalFrameMargins(peer, w)));
        }
        return TRUE;
    }));
}

BOOL SetWindowPlacement(HWND hWnd, const WINDOWPLACEMENT* placement)
{
    if (!placement) return FALSE;
    const WINDOWPLACEMENT p = *placement;
    return static_cast<BOOL>(OnWindowThread(hWnd, [hWnd, p]() -> LRESULT {
        WidgetPeer* peer = PeerOf(hWnd);
        QWidget* w = peer ? peer->FrameWidget() : nullptr;
        if (!w) return FALSE;
        const RECT& r = p.rcNormalPosition;
        if (w->isMaximized() || w->isMinimized()) w->showNormal();
        ::SetWindowPos(hWnd, HWND(), r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
        // A placement is the frame's, as GetWindowPlacement gave it. Before
        // the window is first shown its frame is not known and the client
        // took the whole size: it gives the frame's share back once the frame
        // is there, so a stored placement comes back to the pixel.
        if (!peer->IsChildWindow() && !w->isVisible() && NormalFrameMargins(peer, w).isNull())
            peer->m_pendingFrameSize = QSize(std::max(0, int(r.right - r.left)), std::max(0, int(r.bottom - r.top)));
        switch (p.showCmd) {
        case SW_HIDE: ::ShowWindow(hWnd, SW_HIDE); break;
        case SW_SHOWMAXIMIZED:
            if (StyleOf(hWnd) & WS_VISIBLE) {
                w->showMaximized();
            } else {
                w->setWindowState(Qt::WindowMaximized);
            }
            break;
        case SW_SHOWMINIMIZED:
        case SW_MINIMIZE:
            if (StyleOf(hWnd) & WS_VISIBLE) w->showMinimized();
            break;
        default: break;
        }
        return TRUE;
    }));
}

BOOL IsIconic(HWND hWnd)
{
    return static_cast<BOOL>(OnWindowThread(hWnd, [hWnd]() -> LRESULT {
        WidgetPeer* peer = PeerOf(hWnd);
        QWidget* w = peer ? peer->FrameWidget() : nullptr;
        return w && (w->windowState() & Qt::WindowMinimized) ? TRUE : FALSE;
    }));
}

BOOL IsZoomed(HWND hWnd)
{
    return static_cast<BOOL>(OnWindowThread(hWnd, [hWnd]() -> LRESULT {
        WidgetPeer* peer = PeerOf(hWnd);
        QWidget* w = peer ? peer->FrameWidget() : nullptr;
        return w && (w->windowState() & Qt::WindowMaximized) ? TRUE : FALSE;
    }));
}

HWND GetFocus()
{
    if (!platform::ui::OnUiThread()) return {};
    QWidget* focus = QApplication::focusWidget();
    if (!focus) {
        if (QWidget* active = QApplication::activeWindow()) focus = active->focusWidget();
    }
    WidgetPeer* peer = focus ? WidgetPeer::FromWidget(focus) : nullptr;
    return peer ? peer->Handle() : HWND();
}

HWND SetFocus(HWND hWnd)
{
    const HWND previous = ::GetFocus();
    OnWindowThread(hWnd, [hWnd]() -> LRESULT {
        WidgetPeer* peer = PeerOf(hWnd);
        if (!peer || !peer->Widget()) return 0;
        QWidget* target = peer->FocusWidget();
        if (!target) return 0;
        target->setFocus(Qt::OtherFocusReason);
        QWidget* top = target->window();
        if (top && QApplication::activeWindow() != top) ActivateNow(top);
        return 0;
    });
    return previous;
}

HWND GetActiveWindow()
{
    if (!platform::ui::OnUiThread()) return {};
    QWidget* active = QApplication::activeWindow();
    WidgetPeer* peer = active ? WidgetPeer::FromWidget(active) : nullptr;
    return peer ? peer->Handle() : HWND();
}

HWND SetActiveWindow(HWND hWnd)
{
    const HWND previous = ::GetActiveWindow();
    OnWindowThread(hWnd, [hWnd]() -> LRESULT {
        if (QWidget* w = platform::ui::WidgetOf(hWnd)) {
            w->window()->raise();
            ActivateNow(w->window());
        }
        return 0;
    });
    return previous;
}

HWND GetForegroundWindow() { return ::GetActiveWindow(); }

BOOL SetForegroundWindow(HWND hWnd)
{
    ::SetActiveWindow(hWnd);
    return ::IsWindow(hWnd);
}

BOOL BringWindowToTop(HWND hWnd)
{
    return static_cast<BOOL>(OnWindowThread(hWnd, [hWnd]() -> LRESULT {
        WidgetPeer* peer = PeerOf(hWnd);
        QWidget* w = peer ? peer->FrameWidget() : nullptr;
        if (!w) return FALSE;
        w->raise();
        return TRUE;
    }));
}

BOOL IsChild(HWND parent, HWND hWnd)
{
    HWND h = ::GetParent(hWnd);
    for (int depth = 0; h && depth < 256; ++depth) {
        if (h == parent) return TRUE;
        if (!(StyleOf(h) & WS_CHILD)) break;
        h = ::GetParent(h);
    }
    return FALSE;
}

HWND GetWindow(HWND hWnd, UINT cmd)
{
    return HWND::FromLParam(OnWindowThread(hWnd, [hWnd, cmd]() -> LRESULT {
        if (cmd == GW_OWNER) return (StyleOf(hWnd) & WS_CHILD) ? 0 : ::GetParent(hWnd).ToLParam();
        if (cmd == GW_CHILD) {
            WidgetPeer* peer = PeerOf(hWnd);
            return peer && !peer->Children().empty() ? peer->Children().front().ToLParam() : 0;
        }
        WidgetPeer* parent = PeerOf(::GetParent(hWnd));
        if (!parent || !(StyleOf(hWnd) & WS_CHILD)) return 0;
        const std::vector<HWND>& siblings = parent->Children();
        const auto it = std::find(siblings.begin(), siblings.end(), hWnd);
        if (it == siblings.end() || siblings.empty()) return 0;
        switch (cmd) {
        case GW_HWNDFIRST: return siblings.front().ToLParam();
        case GW_HWNDLAST: return siblings.back().ToLParam();
        case GW_HWNDNEXT: return it + 1 == siblings.end() ? 0 : (it + 1)->ToLParam();
        case GW_HWNDPREV: return it == siblings.begin() ? 0 : (it - 1)->ToLParam();
        default: return 0;
        }
    }));
}

HWND GetAncestor(HWND hWnd, UINT flags)
{
    if (!::IsWindow(hWnd)) return {};
    if (flags == GA_PARENT) return ::GetParent(hWnd);
    HWND h = hWnd;
    for (int depth = 0; depth < 256; ++depth) {
        const HWND parent = ::GetParent(h);
        if (!parent) break;
        if (flags == GA_ROOT && !(StyleOf(h) & WS_CHILD)) break;
        h = parent;
    }
    return h;
}

HWND GetDesktopWindow() { return {}; }

BOOL InvalidateRect(HWND hWnd, const RECT* rect, BOOL erase)
{
    const QRect r = rect ? QRect(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top) : QRect();
    return static_cast<BOOL>(OnWindowThread(hWnd, [hWnd, r, erase]() -> LRESULT {
        WidgetPeer* peer = PeerOf(hWnd);
        if (!peer || !peer->Widget()) return FALSE;
        if (peer->PaintsItself() || r.isNull()) {
            peer->InvalidateClient(r, erase != FALSE);
        } else {
            peer->Widget()->update(r);
        }
        return TRUE;
    }));
}

BOOL UpdateWindow(HWND hWnd)
{
    return static_cast<BOOL>(OnWindowThread(hWnd, [hWnd]() -> LRESULT {
        QWidget* w = platform::ui::WidgetOf(hWnd);
        if (!w) return FALSE;
        if (w->isVisible()) w->repaint();
        return TRUE;
    }));
}

BOOL RedrawWindow(HWND hWnd, const RECT* rect, HRGN, UINT flags)
{
    if (flags & RDW_INVALIDATE) ::InvalidateRect(hWnd, rect, (flags & RDW_ERASE) ? TRUE : FALSE);
    if (flags & RDW_ALLCHILDREN) {
        OnWindowThread(hWnd, [hWnd, flags]() -> LRESULT {
            std::vector<HWND> controls;
            if (WidgetPeer* peer = PeerOf(hWnd)) controls = peer->Children();
            for (HWND child : controls) ::RedrawWindow(child, nullptr, HRGN(), flags);
            return 0;
        });
    }
    if (flags & (RDW_UPDATENOW | RDW_ERASENOW)) ::UpdateWindow(hWnd);
    return ::IsWindow(hWnd);
}

BOOL SetDlgItemTextW(HWND hDlg, int id, LPCWSTR text)
{
    const HWND item = ::GetDlgItem(hDlg, id);
    return item ? ::SetWindowTextW(item, text) : FALSE;
}

UINT GetDlgItemTextW(HWND hDlg, int id, LPWSTR buffer, int maxCount)
{
    const HWND item = ::GetDlgItem(hDlg, id);
    if (!item) {
        if (buffer && maxCount > 0) buffer[0] = 0;
        return 0;
    }
    return static_cast<UINT>(::GetWindowTextW(item, buffer, maxCount));
}

BOOL SetDlgItemInt(HWND hDlg, int id, UINT value, BOOL isSigned)
{
    CString text;
    if (isSigned) {
        text.Format(u"%d", static_cast<int>(value));
    } else {
        text.Format(u"%u", value);
    }
    return ::SetDlgItemTextW(hDlg, id, text.GetString());
}

UINT GetDlgItemInt(HWND hDlg, int id, BOOL* translated, BOOL isSigned)
{
    if (translated) *translated = FALSE;
    char16_t buffer[64] = {};
    if (!::GetDlgItem(hDlg, id)) return 0;
    ::GetDlgItemTextW(hDlg, id, buffer, 64);
    std::u16string_view text(buffer);
    while (!text.empty() && (text.front() == u' ' || text.front() == u'\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == u' ' || text.back() == u'\t')) text.remove_suffix(1);
    bool negative = false;
    if (isSigned && !text.empty() && (text.front() == u'-' || text.front() == u'+')) {
        negative = text.front() == u'-';
        text.remove_prefix(1);
    }
    if (text.empty()) return 0;
    std::uint64_t value = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9') return 0;
        value = value * 10 + static_cast<unsigned>(c - u'0');
        if (value > 0xFFFFFFFFull) return 0;
    }
    if (isSigned) {
        if (negative ? value > 0x80000000ull : value > 0x7FFFFFFFull) return 0;
        if (translated) *translated = TRUE;
        return static_cast<UINT>(negative ? -static_cast<std::int64_t>(value) : static_cast<std::int64_t>(value));
    }
    if (translated) *translated = TRUE;
    return static_cast<UINT>(value);
}

BOOL CheckDlgButton(HWND hDlg, int id, UINT check)
{
    const HWND item = ::GetDlgItem(hDlg, id);
    if (!item) return FALSE;
    ::SendMessageW(item, BM_SETCHECK, check, 0);
    return TRUE;
}

UINT IsDlgButtonChecked(HWND hDlg, int id)
{
    const HWND item = ::GetDlgItem(hDlg, id);
    return item ? static_cast<UINT>(::SendMessageW(item, BM_GETCHECK, 0, 0)) : 0;
}

BOOL CheckRadioButton(HWND hDlg, int first, int last, int check)
{
    if (first > last) return FALSE;
    for (int id = first; id <= last; ++id) {
        if (const HWND item = ::GetDlgItem(hDlg, id)) {
            ::SendMessageW(item, BM_SETCHECK, id == check ? BST_CHECKED : BST_UNCHECKED, 0);
        }
    }
    return TRUE;
}

LRESULT SendDlgItemMessageW(HWND hDlg, int id, UINT message, WPARAM wParam, LPARAM lParam)
{
    const HWND item = ::GetDlgItem(hDlg, id);
    return item ? ::SendMessageW(item, message, wParam, lParam) : 0;
}

HWND GetNextDlgTabItem(HWND hDlg, HWND hCtl, BOOL previous)
{
    return HWND::FromLParam(OnWindowThread(hDlg, [=]() -> LRESULT {
        std::vector<HWND> controls;
        CollectControls(hDlg, controls, 0);
        if (controls.empty()) return 0;
        const auto at = std::find(controls.begin(), controls.end(), hCtl);
        const std::size_t n = controls.size();
        std::size_t start = at == controls.end() ? (previous ? 0 : n - 1) : static_cast<std::size_t>(at - controls.begin());
        for (std::size_t step = 1; step <= n; ++step) {
            const std::size_t i = previous ? (start + n - step) % n : (start + step) % n;
            if (IsTabbable(controls[i])) return controls[i].ToLParam();
        }
        return 0;
    }));
}

HWND GetNextDlgGroupItem(HWND hDlg, HWND hCtl, BOOL previous)
{
    return HWND::FromLParam(OnWindowThread(hDlg, [=]() -> LRESULT {
        WidgetPeer* parent = PeerOf(::GetParent(hCtl));
        if (!parent) return hCtl.ToLParam();
        const std::vector<HWND>& siblings = parent->Children();
        const auto at = std::find(siblings.begin(), siblings.end(), hCtl);
        if (at == siblings.end()) return hCtl.ToLParam();
        // The group runs from a WS_GROUP control to the next one.
        auto first = at;
        while (first != siblings.begin() && !(StyleOf(*first) & WS_GROUP)) --first;
        auto last = at + 1;
        while (last != siblings.end() && !(StyleOf(*last) & WS_GROUP)) ++last;
        const std::vector<HWND> group(first, last);
        const std::size_t n = group.size();
        const std::size_t start = static_cast<std::size_t>(at - first);
        for (std::size_t step = 1; step <= n; ++step) {
            const std::size_t i = previous ? (start + n - step) % n : (start + step) % n;
            const DWORD style = StyleOf(group[i]);
            if ((style & WS_VISIBLE) && !(style & WS_DISABLED)) return group[i].ToLParam();
        }
        return hCtl.ToLParam();
    }));
}

namespace {

// Bound of the walks through a group (a dialog has fewer controls).
constexpr int kMaxGroupWalk = 1024;

bool InSameGroup(HWND hDlg, HWND a, HWND b)
{
    HWND item = a;
    for (int i = 0; i < kMaxGroupWalk; ++i) {
        item = ::GetNextDlgGroupItem(hDlg, item, FALSE);
        if (!item || item == a) return false;
        if (item == b) return true;
    }
    return false;
}

}  // namespace

BOOL IsDialogMessageW(HWND hDlg, MSG* msg)
{
    if (!msg || !::IsWindow(hDlg) || !OwnedHere(hDlg)) return FALSE;
    if (msg->hwnd != hDlg && !::IsChild(hDlg, msg->hwnd)) return FALSE;
    if (msg->message != WM_KEYDOWN) return FALSE;
    const UINT key = static_cast<UINT>(msg->wParam);
    const HWND focus = msg->hwnd;
    const UINT code =
        focus == hDlg ? 0 : static_cast<UINT>(::SendMessageW(focus, WM_GETDLGCODE, msg->wParam, reinterpret_cast<LPARAM>(msg)));
    const bool shift = (::GetKeyState(static_cast<int>(VK_SHIFT)) & 0x8000) != 0;
    switch (key) {
    case VK_TAB: {
        if (code & (DLGC_WANTTAB | DLGC_WANTMESSAGE)) return FALSE;
        if ((::GetKeyState(static_cast<int>(VK_CONTROL)) & 0x8000) != 0) return FALSE;
        HWND next = ::GetNextDlgTabItem(hDlg, focus, shift ? TRUE : FALSE);
        // Tab leaves a radio group: its other buttons are passed.
        if (code & DLGC_RADIOBUTTON) {
            for (int i = 0; i < kMaxGroupWalk && next && next != focus && InSameGroup(hDlg, focus, next); ++i) {
                next = ::GetNextDlgTabItem(hDlg, next, shift ? TRUE : FALSE);
            }
        }
        // Into a radio group: its checked button takes the focus.
        if (next && (::SendMessageW(next, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) &&
            ::SendMessageW(next, BM_GETCHECK, 0, 0) != BST_CHECKED) {
            HWND item = next;
            for (int i = 0; i < kMaxGroupWalk; ++i) {
                item = ::GetNextDlgGroupItem(hDlg, item, FALSE);
                if (!item || item == next) break;
                if ((::SendMessageW(item, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) &&
                    ::SendMessageW(item, BM_GETCHECK, 0, 0) == BST_CHECKED) {
                    next = item;
                    break;
                }
            }
        }
        if (next) FocusControl(next);
        return TRUE;
    }
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN: {
        if (code & (DLGC_WANTARROWS | DLGC_WANTMESSAGE)) return FALSE;
        if (focus == hDlg) return FALSE;
        // Labels and pictures in a group take no focus: the arrows pass them.
        const BOOL previous = (key == VK_LEFT || key == VK_UP) ? TRUE : FALSE;
        HWND next = ::GetNextDlgGroupItem(hDlg, focus, previous);
        for (int i = 0; i < kMaxGroupWalk && next && next != focus; ++i) {
            if (!(::SendMessageW(next, WM_GETDLGCODE, 0, 0) & DLGC_STATIC)) break;
            next = ::GetNextDlgGroupItem(hDlg, next, previous);
        }
        if (next && next != focus) {
            ::SetFocus(next);
            ClickIfAutoRadio(next);
        }
        return TRUE;
    }
    case VK_RETURN: {
        if (code & DLGC_WANTMESSAGE) return FALSE;
        int id = IDOK;
        if (code & DLGC_DEFPUSHBUTTON || code & DLGC_UNDEFPUSHBUTTON) {
            id = ::GetDlgCtrlID(focus);
        } else {
            const LRESULT def = ::SendMessageW(hDlg, DM_GETDEFID, 0, 0);
            if (HIWORD(def) == DC_HASDEFID) id = LOWORD(def);
        }
        const HWND button = focus != hDlg && ::GetDlgCtrlID(focus) == id ? focus : ::GetDlgItem(hDlg, id);
        if (button && !::IsWindowEnabled(button)) {
            ::MessageBeep(0);
            return TRUE;
        }
        ::SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED), button.ToLParam());
        return TRUE;
    }
    case VK_ESCAPE: {
        if (code & DLGC_WANTMESSAGE) return FALSE;
        const HWND cancel = ::GetDlgItem(hDlg, IDCANCEL);
        if (cancel && !::IsWindowEnabled(cancel)) {
            ::MessageBeep(0);
            return TRUE;
        }
        ::SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), cancel.ToLParam());
        return TRUE;
    }
    default:
        return FALSE;
    }
}

BOOL GetCursorPos(POINT* point)
{
    if (!point) return FALSE;
    const QPoint p = QCursor::pos();
    *point = POINT{p.x(), p.y()};
    return TRUE;
}

HWND GetCapture()
{
    if (!platform::ui::OnUiThread()) return {};
    QWidget* grabber = QWidget::mouseGrabber();
    WidgetPeer* peer = grabber ? WidgetPeer::FromWidget(grabber) : nullptr;
    return peer ? peer->Handle() : HWND();
}

HWND SetCapture(HWND hWnd)
{
    const HWND previous = ::GetCapture();
    if (QWidget* w = platform::ui::OnUiThread() ? platform::ui::WidgetOf(hWnd) : nullptr) w->grabMouse();
    return previous;
}

BOOL ReleaseCapture()
{
    if (!platform::ui::OnUiThread()) return FALSE;
    if (QWidget* grabber = QWidget::mouseGrabber()) {
        grabber->releaseMouse();
        if (WidgetPeer* peer = WidgetPeer::FromWidget(grabber)) {
            ::SendMessageW(peer->Handle(), WM_CAPTURECHANGED, 0, 0);
        }
    }
    return TRUE;
}

BOOL TrackMouseEvent(TRACKMOUSEEVENT* track)
{
    if (!track || !::IsWindow(track->hwndTrack)) return FALSE;
    if (track->dwFlags & TME_LEAVE) {
        platform::ui::TrackMouseLeave((track->dwFlags & TME_CANCEL) ? HWND() : track->hwndTrack);
    }
    return TRUE;
}

BOOL MessageBeep(UINT)
{
    if (platform::ui::OnUiThread()) QApplication::beep();
    return TRUE;
}

// ---------------------------------------------------------------- CWnd

BOOL CWnd::ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
BOOL CWnd::IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
BOOL CWnd::EnableWindow(BOOL bEnable) { return ::EnableWindow(m_hWnd, bEnable); }
BOOL CWnd::IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
void CWnd::SetWindowText(LPCTSTR lpszString) { ::SetWindowTextW(m_hWnd, lpszString); }

int CWnd::GetWindowText(LPTSTR lpszStringBuf, int nMaxCount) const
{
    return ::GetWindowTextW(m_hWnd, lpszStringBuf, nMaxCount);
}

void CWnd::GetWindowText(CString& rString) const
{
    const int length = ::GetWindowTextLengthW(m_hWnd);
    std::u16string buffer(static_cast<std::size_t>(std::max(length, 0)) + 1, u'\0');
    const int n = ::GetWindowTextW(m_hWnd, buffer.data(), length + 1);
    rString = CString(buffer.c_str(), n);
}

int CWnd::GetWindowTextLength() const { return ::GetWindowTextLengthW(m_hWnd); }

void CWnd::MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint)
{
    ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint);
}

void CWnd::MoveWindow(const RECT* lpRect, BOOL bRepaint)
{
    if (lpRect) ::MoveWindow(m_hWnd, lpRect->left, lpRect->top, lpRect->right - lpRect->left, lpRect->bottom - lpRect->top, bRepaint);
}

BOOL CWnd::SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags)
{
    return ::SetWindowPos(m_hWnd, pWndInsertAfter ? pWndInsertAfter->m_hWnd : HWND(), x, y, cx, cy, nFlags);
}

void CWnd::GetWindowRect(RECT* lpRect) const { ::GetWindowRect(m_hWnd, lpRect); }
void CWnd::GetClientRect(RECT* lpRect) const { ::GetClientRect(m_hWnd, lpRect); }
void CWnd::ClientToScreen(POINT* lpPoint) const { ::ClientToScreen(m_hWnd, lpPoint); }
void CWnd::ScreenToClient(POINT* lpPoint) const { ::ScreenToClient(m_hWnd, lpPoint); }

void CWnd::ClientToScreen(RECT* lpRect) const
{
    if (!lpRect) return;
    ::MapWindowPoints(m_hWnd, HWND(), reinterpret_cast<POINT*>(lpRect), 2);
}

void CWnd::ScreenToClient(RECT* lpRect) const
{
    if (!lpRect) return;
    ::MapWindowPoints(HWND(), m_hWnd, reinterpret_cast<POINT*>(lpRect), 2);
}

void CWnd::MapWindowPoints(CWnd* pwndTo, RECT* lpRect) const
{
    if (lpRect) ::MapWindowPoints(m_hWnd, pwndTo ? pwndTo->m_hWnd : HWND(), reinterpret_cast<POINT*>(lpRect), 2);
}

BOOL CWnd::GetWindowPlacement(WINDOWPLACEMENT* lpwndpl) const { return ::GetWindowPlacement(m_hWnd, lpwndpl); }
BOOL CWnd::SetWindowPlacement(const WINDOWPLACEMENT* lpwndpl) { return ::SetWindowPlacement(m_hWnd, lpwndpl); }
BOOL CWnd::IsIconic() const { return ::IsIconic(m_hWnd); }
BOOL CWnd::IsZoomed() const { return ::IsZoomed(m_hWnd); }

void CWnd::CenterWindow(CWnd* pAlternateOwner)
{
    RECT mine;
    ::GetWindowRect(m_hWnd, &mine);
    RECT area{};
    HWND around = pAlternateOwner ? pAlternateOwner->m_hWnd : HWND();
    if (!around) around = (GetStyle() & WS_CHILD) ? ::GetParent(m_hWnd) : ::GetParent(m_hWnd);
    if (around && ::IsWindowVisible(around) && !::IsIconic(around)) {
        ::GetWindowRect(around, &area);
    } else if (QScreen* screen = QGuiApplication::primaryScreen()) {
        area = ToRect(screen->availableGeometry());
    }
    const int w = mine.right - mine.left;
    const int h = mine.bottom - mine.top;
    POINT at{area.left + (area.right - area.left - w) / 2, area.top + (area.bottom - area.top - h) / 2};
    if (GetStyle() & WS_CHILD) {
        ::ScreenToClient(::GetParent(m_hWnd), &at);
    }
    ::SetWindowPos(m_hWnd, HWND(), at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWnd::BringWindowToTop() { ::BringWindowToTop(m_hWnd); }
BOOL CWnd::SetForegroundWindow() { return ::SetForegroundWindow(m_hWnd); }
CWnd* CWnd::SetActiveWindow() { return FromHandle(::SetActiveWindow(m_hWnd)); }
CWnd* CWnd::GetActiveWindow() { return FromHandle(::GetActiveWindow()); }
CWnd* CWnd::SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
CWnd* CWnd::GetFocus() { return FromHandle(::GetFocus()); }
BOOL CWnd::IsChild(const CWnd* pWnd) const { return pWnd ? ::IsChild(m_hWnd, pWnd->m_hWnd) : FALSE; }
CWnd* CWnd::GetWindow(UINT nCmd) const { return FromHandle(::GetWindow(m_hWnd, nCmd)); }

CWnd* CWnd::GetTopLevelParent() const
{
    HWND h = m_hWnd;
    for (int depth = 0; h && depth < 256 && (::GetWindowLongPtrW(h, GWL_STYLE) & WS_CHILD); ++depth) h = ::GetParent(h);
    return FromHandle(h);
}

CWnd* CWnd::GetOwner() const { return FromHandle(::GetParent(m_hWnd)); }
CWnd* CWnd::GetDlgItem(int nID) const { return FromHandle(::GetDlgItem(m_hWnd, nID)); }
void CWnd::SetDlgItemText(int nID, LPCTSTR lpszString) { ::SetDlgItemTextW(m_hWnd, nID, lpszString); }

int CWnd::GetDlgItemText(int nID, LPTSTR lpStr, int nMaxCount) const
{
    return static_cast<int>(::GetDlgItemTextW(m_hWnd, nID, lpStr, nMaxCount));
}

int CWnd::GetDlgItemText(int nID, CString& rString) const
{
    rString.Empty();
    CWnd* item = GetDlgItem(nID);
    if (!item) return 0;
    item->GetWindowText(rString);
    return rString.GetLength();
}

void CWnd::SetDlgItemInt(int nID, UINT nValue, BOOL bSigned) { ::SetDlgItemInt(m_hWnd, nID, nValue, bSigned); }

UINT CWnd::GetDlgItemInt(int nID, BOOL* lpTrans, BOOL bSigned) const
{
    return ::GetDlgItemInt(m_hWnd, nID, lpTrans, bSigned);
}

void CWnd::CheckDlgButton(int nIDButton, UINT nCheck) { ::CheckDlgButton(m_hWnd, nIDButton, nCheck); }
UINT CWnd::IsDlgButtonChecked(int nIDButton) const { return ::IsDlgButtonChecked(m_hWnd, nIDButton); }

void CWnd::CheckRadioButton(int nIDFirstButton, int nIDLastButton, int nIDCheckButton)
{
    ::CheckRadioButton(m_hWnd, nIDFirstButton, nIDLastButton, nIDCheckButton);
}

int CWnd::GetCheckedRadioButton(int nIDFirstButton, int nIDLastButton)
{
    for (int id = nIDFirstButton; id <= nIDLastButton; ++id) {
        if (::IsDlgButtonChecked(m_hWnd, id) == BST_CHECKED) return id;
    }
    return 0;
}

LRESULT CWnd::SendDlgItemMessage(int nID, UINT message, WPARAM wParam, LPARAM lParam) const
{
    return ::SendDlgItemMessageW(m_hWnd, nID, message, wParam, lParam);
}

CWnd* CWnd::GetNextDlgTabItem(CWnd* pWndCtl, BOOL bPrevious) const
{
    return FromHandle(::GetNextDlgTabItem(m_hWnd, pWndCtl ? pWndCtl->m_hWnd : HWND(), bPrevious));
}

CWnd* CWnd::GetNextDlgGroupItem(CWnd* pWndCtl, BOOL bPrevious) const
{
    return FromHandle(::GetNextDlgGroupItem(m_hWnd, pWndCtl ? pWndCtl->m_hWnd : HWND(), bPrevious));
}

void CWnd::Invalidate(BOOL bErase) { ::InvalidateRect(m_hWnd, nullptr, bErase); }
void CWnd::InvalidateRect(const RECT* lpRect, BOOL bErase) { ::InvalidateRect(m_hWnd, lpRect, bErase); }
void CWnd::UpdateWindow() { ::UpdateWindow(m_hWnd); }

BOOL CWnd::RedrawWindow(const RECT* lpRectUpdate, CRgn* prgnUpdate, UINT flags)
{
    return ::RedrawWindow(m_hWnd, lpRectUpdate, prgnUpdate ? HRGN(*prgnUpdate) : HRGN(), flags);
}

void CWnd::SetRedraw(BOOL bRedraw) { SendMessage(WM_SETREDRAW, bRedraw ? TRUE : FALSE, 0); }

void CWnd::SetFont(CFont* pFont, BOOL bRedraw)
{
    SendMessage(WM_SETFONT, pFont ? HFONT(*pFont).ToWParam() : 0, bRedraw ? TRUE : FALSE);
}

CFont* CWnd::GetFont() const { return CFont::FromHandle(HFONT(HGDIOBJ::FromLParam(SendMessage(WM_GETFONT)))); }

namespace {

BOOL ModifyLong(HWND hwnd, int index, DWORD remove, DWORD add)
{
    if (!::IsWindow(hwnd)) return FALSE;
    const DWORD old = static_cast<DWORD>(::GetWindowLongPtrW(hwnd, index));
    const DWORD updated = (old & ~remove) | add;
    if (updated == old) return FALSE;
    ::SetWindowLongPtrW(hwnd, index, static_cast<LONG_PTR>(updated));
    OnWindowThread(hwnd, [=]() -> LRESULT {
        WidgetPeer* peer = PeerOf(hwnd);
        if (index == GWL_STYLE && peer && peer->Widget()) {
            if ((old ^ updated) & WS_DISABLED) peer->Widget()->setEnabled(!(updated & WS_DISABLED));
            if ((old ^ updated) & WS_VISIBLE) peer->Widget()->setVisible((updated & WS_VISIBLE) != 0);
        }
        STYLESTRUCT change{old, updated};
        ::SendMessageW(hwnd, WM_STYLECHANGED, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&change));
        if (peer && peer->Widget()) peer->Widget()->update();
        return 0;
    });
    return TRUE;
}

}  // namespace

BOOL CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT) { return ModifyLong(m_hWnd, GWL_STYLE, dwRemove, dwAdd); }
BOOL CWnd::ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT) { return ModifyLong(m_hWnd, GWL_EXSTYLE, dwRemove, dwAdd); }
CMenu* CWnd::GetSystemMenu(BOOL bRevert) const { return CMenu::FromHandle(::GetSystemMenu(m_hWnd, bRevert)); }
CDC* CWnd::GetDC() { return CDC::FromHandle(::GetDC(m_hWnd)); }
CDC* CWnd::GetWindowDC() { return CDC::FromHandle(::GetWindowDC(m_hWnd)); }
int CWnd::ReleaseDC(CDC* pDC) { return pDC ? ::ReleaseDC(m_hWnd, pDC->GetSafeHdc()) : 0; }

BOOL CWnd::SubclassWindow(HWND hWnd)
{
    if (m_hWnd || !::IsWindow(hWnd) || !OwnedHere(hWnd)) return FALSE;
    if (CWnd* existing = FromHandlePermanent(hWnd)) {
        // Another object of the program already holds the window.
        if (!platform::ui::IsStandIn(existing)) return FALSE;
        platform::ui::DeleteStandIn(existing);
    }
    if (!Attach(hWnd)) return FALSE;
    PreSubclassWindow();
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent)
{
    if (!pParent) return FALSE;
    return SubclassWindow(::GetDlgItem(pParent->m_hWnd, static_cast<int>(nID)));
}

HWND CWnd::UnsubclassWindow()
{
    const HWND hWnd = Detach();
    if (hWnd && ::IsWindow(hWnd)) {
        const WidgetPeer* peer = PeerOf(hWnd);
        CWnd* stand = platform::ui::MakeStandIn(peer ? peer->ClassName() : std::u16string());
        if (!stand->Attach(hWnd)) delete stand;
    }
    return hWnd;
}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    try {
        DoDataExchange(&dx);
    } catch (const platform::DataExchangeFailure&) {
        return FALSE;
    }
    return TRUE;
}

void CWnd::UpdateDialogControls(CCmdTarget* pTarget, BOOL bDisableIfNoHndler)
{
    if (!pTarget) return;
    std::vector<HWND> children;
    if (WidgetPeer* peer = PeerOf(m_hWnd)) children = peer->Children();
    for (HWND child : children) {
        const int id = ::GetDlgCtrlID(child);
        if (id == 0 || id == -1 || id == 0xFFFF) continue;
        CWnd* control = FromHandle(child);
        if (!control) continue;
        ControlCmdUI state;
        state.m_nID = static_cast<UINT>(id);
        state.m_pOther = control;
        // Only push buttons are disabled for want of a handler.
        const LRESULT code = ::SendMessageW(child, WM_GETDLGCODE, 0, 0);
        const bool pushButton = (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0;
        state.DoUpdate(pTarget, bDisableIfNoHndler && pushButton ? TRUE : FALSE);
    }
}

void CWnd::SendMessageToDescendants(UINT message, WPARAM wParam, LPARAM lParam, BOOL bDeep, BOOL bOnlyPerm)
{
    std::vector<HWND> children;
    if (WidgetPeer* peer = PeerOf(m_hWnd)) children = peer->Children();
    for (HWND child : children) {
        CWnd* wnd = FromHandle(child);
        if (wnd && (!bOnlyPerm || !platform::ui::IsStandIn(wnd))) {
            ::SendMessageW(child, message, wParam, lParam);
        }
        if (bDeep && wnd && ::IsWindow(child)) wnd->SendMessageToDescendants(message, wParam, lParam, bDeep, bOnlyPerm);
    }
}

int CWnd::RunModalLoop(DWORD)
{
    WidgetPeer* peer = PeerOf(m_hWnd);
    if (!peer || peer->m_inModalLoop) return -1;
    const HWND hwnd = m_hWnd;
    peer->m_continueModal = true;
    peer->m_inModalLoop = true;
    const bool sendIdle = !(GetStyle() & DS_NOIDLEMSG);
    bool idle = true;
    LPARAM idleCount = 0;
    bool quit = false;
    MSG msg;
    for (;;) {
        if (!::IsWindow(hwnd) || !PeerOf(hwnd) || !PeerOf(hwnd)->m_continueModal) break;
        if (idle && !::PeekMessageW(&msg, HWND(), 0, 0, PM_NOREMOVE)) {
            idle = false;
            if (WidgetPeer* waiting = PeerOf(hwnd)) ++waiting->m_modalIdlePasses;
            if (sendIdle) ::SendMessageW(hwnd, WM_KICKIDLE, 0, idleCount++);
            continue;
        }
        if (!::GetMessageW(&msg, HWND(), 0, 0)) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            quit = true;
            break;
        }
        if (!platform::ui::PreTranslateInput(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        if (msg.message != WM_PAINT) idle = true;
    }
    peer = PeerOf(hwnd);
    if (!peer) return quit ? -1 : -1;
    peer->m_inModalLoop = false;
    peer->m_continueModal = false;
    return quit ? -1 : peer->m_modalResult;
}

void CWnd::EndModalLoop(int nResult)
{
    WidgetPeer* peer = PeerOf(m_hWnd);
    if (!peer) return;
    peer->m_modalResult = nResult;
    if (peer->m_continueModal) {
        peer->m_continueModal = false;
        PostMessage(WM_NULL);
    }
}

BOOL CWnd::ContinueModal()
{
    WidgetPeer* peer = PeerOf(m_hWnd);
    return peer && peer->m_continueModal ? TRUE : FALSE;
}

// Default handlers: the window's default processing.
HBRUSH CWnd::OnCtlColor(CDC*, CWnd*, UINT) { return HBRUSH(HGDIOBJ::FromLParam(Default())); }
void CWnd::OnSize(UINT, int, int) { Default(); }
void CWnd::OnMove(int, int) { Default(); }
void CWnd::OnShowWindow(BOOL, UINT) { Default(); }
void CWnd::OnPaint() { Default(); }
BOOL CWnd::OnEraseBkgnd(CDC*) { return static_cast<BOOL>(Default()); }
void CWnd::OnGetMinMaxInfo(MINMAXINFO*) { Default(); }
void CWnd::OnSetFocus(CWnd*) { Default(); }
void CWnd::OnKillFocus(CWnd*) { Default(); }
void CWnd::OnChar(UINT, UINT, UINT) { Default(); }
void CWnd::OnKeyDown(UINT, UINT, UINT) { Default(); }
void CWnd::OnKeyUp(UINT, UINT, UINT) { Default(); }
void CWnd::OnLButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnLButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnLButtonDblClk(UINT, CPoint) { Default(); }
void CWnd::OnRButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnRButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnMouseMove(UINT, CPoint) { Default(); }
void CWnd::OnMouseLeave() { Default(); }
BOOL CWnd::OnSetCursor(CWnd*, UINT, UINT) { return static_cast<BOOL>(Default()); }
void CWnd::OnHScroll(UINT, UINT, CScrollBar*) { Default(); }
void CWnd::OnVScroll(UINT, UINT, CScrollBar*) { Default(); }
void CWnd::OnDrawItem(int, DRAWITEMSTRUCT*) { Default(); }
void CWnd::OnMeasureItem(int, MEASUREITEMSTRUCT*) { Default(); }
void CWnd::OnActivate(UINT, CWnd*, BOOL) { Default(); }
void CWnd::OnEnable(BOOL) { Default(); }
void CWnd::OnContextMenu(CWnd*, CPoint) { Default(); }
UINT CWnd::OnGetDlgCode() { return static_cast<UINT>(Default()); }
void CWnd::OnCancelMode() { Default(); }
void CWnd::OnCaptureChanged(CWnd*) { Default(); }
void CWnd::OnSysColorChange() { Default(); }
