#include "platform/ui/UserInterface.h"

#include "platform/core/MessageDispatcher.h"
#include "platform/core/Thread.h"
#include "platform/core/ThreadQueue.h"
#include "platform/core/Time.h"
#include "platform/ui/InputRouting.h"
#include "platform/ui/QtHandOver.h"
#include "platform/ui/StandardDialogs.h"
#include "platform/ui/WidgetPeer.h"
#include "platform/ui/WindowSurface.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QThread>
#include <QPointer>
#include <QTimer>

#include <array>
#include <atomic>
#include <cstdio>
#include <map>

namespace platform {

namespace {

using ui::WidgetPeer;

std::atomic<bool> g_running{false};
std::atomic<InputPreTranslateHook> g_preTranslateHook{nullptr};
// While a window waits for the window system to show it, the program's
// messages wait too: the show stays one call, as the system's is.
int g_holdMessages = 0;

// ---------------------------------------------------------------- dispatcher

const QEvent::Type kWakeEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

class QtDispatcher final : public QObject, public IMessageDispatcher {
public:
    QtDispatcher() { m_timer.setSingleShot(true); }

    void Release()
    {
        if (m_deferred) {
            m_deferred = false;
            Wake();
        }
    }

    void Wake() override
    {
        // Any thread: count the wake, then make sure the loop sees an event.
        // Posting it wakes the loop; while one is still pending, the loop has
        // been woken for it already and a second wake-up would only cost.
        m_wakes.fetch_add(1);
        if (!m_posted.exchange(true)) {
            auto* wake = new QEvent(kWakeEvent);
            ui::HandOver(wake);
            QCoreApplication::postEvent(this, wake);
        }
    }

    void ProcessNativeEvents(DWORD waitMs) override
    {
        const std::uint64_t wakes = m_wakes.load();
        const bool wokenSinceLastCall = wakes != m_seenWakes;
        m_seenWakes = wakes;
        if (waitMs == 0 || wokenSinceLastCall) {
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents(QEventLoop::AllEvents);
            return;
        }
        // A wake that comes from now on either posts an event or finds one
        // pending; both end the wait below, which handles what is pending
        // first (one pass, not a look and then a wait). The timer bounds it.
        if (waitMs != INFINITE) m_timer.start(static_cast<int>(std::min<DWORD>(waitMs, 0x7FFFFFFF)));
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        m_timer.stop();
    }

protected:
    bool event(QEvent* e) override
    {
        ui::TakeOver(e);
        if (e->type() != kWakeEvent) return QObject::event(e);
        m_posted.store(false);
        // Inside a wait of the message layer, the wait looks at the queue
        // when this pass ends: the wakes so far are seen, and the next wait
        // may sleep at once. A later wake finds no event pending and posts one.
        if (IsInsideMessageWait()) m_seenWakes = m_wakes.load();
        if (g_holdMessages > 0) {
            m_deferred = true;
            return true;
        }
        int exitCode = 0;
        if (!DispatchPendingMessages(&exitCode)) {
            // WM_QUIT: stays queued for a message loop of the program; Qt's
            // own loop ends.
            PostQuitMessage(exitCode);
            QCoreApplication::exit(exitCode);
        }
        return true;
    }

private:
    std::atomic<std::uint64_t> m_wakes{0};
    std::uint64_t m_seenWakes = 0;
    std::atomic<bool> m_posted{false};
    bool m_deferred = false;
    QTimer m_timer;
};

// ---------------------------------------------------------------- key state

std::array<std::atomic<bool>, 256>& KeyTable()
{
    static std::array<std::atomic<bool>, 256> table{};
    return table;
}

UINT MouseKeyFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers)
{
    UINT flags = 0;
    if (buttons & Qt::LeftButton) flags |= MK_LBUTTON;
    if (buttons & Qt::RightButton) flags |= MK_RBUTTON;
    if (buttons & Qt::MiddleButton) flags |= MK_MBUTTON;
    if (modifiers & Qt::ShiftModifier) flags |= MK_SHIFT;
    if (modifiers & Qt::ControlModifier) flags |= MK_CONTROL;
    return flags;
}

// ---------------------------------------------------------------- input router

class InputRouter final : public QObject {
public:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (!object->isWidgetType()) return false;
        auto* widget = static_cast<QWidget*>(object);
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            return Key(widget, static_cast<QKeyEvent*>(event));
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
            return Mouse(widget, static_cast<QMouseEvent*>(event));
        case QEvent::Leave:
            Leave(widget);
            return false;
        case QEvent::Paint: {
            WidgetPeer* peer = WidgetPeer::FromWidget(widget);
            if (!peer || !peer->Widget()) return false;
            if (peer->Widget() == widget && peer->PaintsItself()) {
                peer->PaintNow(widget, static_cast<QPaintEvent*>(event)->region());
                return true;
            }
            // The parent chooses the colours before every paint (of the
            // control or of its viewport).
            if (peer->Widget() == widget || widget->parentWidget() == peer->Widget()) peer->AskColors();
            return false;
        }
        case QEvent::Resize: {
            WidgetPeer* peer = WidgetPeer::FromWidget(widget);
            if (peer && peer->Widget() == widget) {
                peer->SizeChanged();
                peer->FitPendingFrame();
            }
            return false;
        }
        case QEvent::Move: {
            WidgetPeer* peer = WidgetPeer::FromWidget(widget);
            if (peer && peer->Widget() == widget) {
                peer->PositionChanged();
                // The window manager's frame shows as a move of the client.
                peer->FitPendingFrame();
            }
            return false;
        }
        case QEvent::Show: {
            WidgetPeer* peer = WidgetPeer::FromWidget(widget);
            if (peer && peer->Widget() == widget) peer->FitPendingFrame();
            return false;
        }
        case QEvent::WindowActivate:
        case QEvent::WindowDeactivate: {
            WidgetPeer* peer = WidgetPeer::FromWidget(widget);
            if (!peer || peer->Widget() != widget || peer->IsChildWindow()) return false;
            const bool active = event->type() == QEvent::WindowActivate;
            ::SendMessageW(peer->Handle(), WM_ACTIVATE, active ? WA_ACTIVE : WA_INACTIVE, 0);
            return false;
        }
        case QEvent::Close: {
            WidgetPeer* peer = WidgetPeer::FromWidget(widget);
            if (!peer || peer->Widget() != widget || !event->spontaneous()) return false;
            // The window decides: SC_CLOSE, then WM_CLOSE, may destroy it.
            event->ignore();
            ::SendMessageW(peer->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
            return true;
        }
        default:
            return false;
        }
    }

    void FocusChanged(QWidget* old, QWidget* now)
    {
        WidgetPeer* oldPeer = old ? WidgetPeer::FromWidget(old) : nullptr;
        WidgetPeer* newPeer = now ? WidgetPeer::FromWidget(now) : nullptr;
        const HWND oldHwnd = oldPeer ? oldPeer->Handle() : HWND();
        const HWND newHwnd = newPeer ? newPeer->Handle() : HWND();
        if (oldHwnd == newHwnd) return;
        if (oldHwnd) ::SendMessageW(oldHwnd, WM_KILLFOCUS, newHwnd.ToWParam(), 0);
        if (newHwnd && ::IsWindow(newHwnd)) ::SendMessageW(newHwnd, WM_SETFOCUS, oldHwnd.ToWParam(), 0);
    }

    void TrackLeave(HWND hwnd) { m_trackLeave = hwnd; }

private:
    static bool InPopup(const QWidget* widget)
    {
        const QWidget* top = widget->window();
        return top && (top->windowFlags() & Qt::WindowType_Mask) == Qt::Popup;
    }

    bool Key(QWidget* widget, QKeyEvent* key)
    {
        const UINT vk = ui::VirtualKeyOf(*key);
        if (vk != VK_SHIFT && vk != VK_CONTROL && vk != VK_MENU) SyncModifiers(key->modifiers());
        if (vk) ui::SetKeyDown(vk, key->type() == QEvent::KeyPress);
        if (ui::IsTypingDirectly() || InPopup(widget)) return false;
        // A key that a widget ignored travels up to its parents: it was
        // routed when it first arrived. A new event may reuse the address
        // and time of the last one, but then it goes to the focus again, not
        // to a parent of the last receiver.
        const bool propagated = key == m_lastKey && key->timestamp() == m_lastKeyTime && key->type() == m_lastKeyType &&
                                m_lastKeyReceiver && widget != m_lastKeyReceiver && widget->isAncestorOf(m_lastKeyReceiver);
        m_lastKeyReceiver = widget;
        if (propagated) return false;
        m_lastKey = key;
        m_lastKeyTime = key->timestamp();
        m_lastKeyType = key->type();
        WidgetPeer* peer = WidgetPeer::FromWidget(widget);
        if (!peer || !vk) return false;
        const bool down = key->type() == QEvent::KeyPress;
        const bool alt = (key->modifiers() & Qt::AltModifier) != 0;
        MSG msg;
        msg.hwnd = peer->Handle();
        msg.message = down ? (alt ? WM_SYSKEYDOWN : WM_KEYDOWN) : (alt ? WM_SYSKEYUP : WM_KEYUP);
        msg.wParam = vk;
        LPARAM flags = 1;
        if (key->isAutoRepeat()) flags |= LPARAM{1} << 30;
        if (!down) flags |= (LPARAM{1} << 30) | (LPARAM{1} << 31);
        if (alt) flags |= LPARAM{1} << 29;
        msg.lParam = flags;
        msg.time = GetTickCount();
        ui::PostIdleKick();
        if (ui::PreTranslateInput(&msg)) return true;
        if (!::IsWindow(msg.hwnd)) return true;
        bool keyReached = false;
        {
            ui::RoutedInputScope scope(msg.hwnd, msg.message, msg.wParam);
            ::SendMessageW(msg.hwnd, msg.message, msg.wParam, msg.lParam);
            keyReached = scope.Reached();
        }
        if (!keyReached) return true;
        if (!down) return false;
        const QString chars = ui::CharactersOf(*key);
        if (chars.isEmpty()) return false;
        bool allReached = true;
        for (const QChar c : chars) {
            MSG charMsg = msg;
            charMsg.message = alt ? WM_SYSCHAR : WM_CHAR;
            charMsg.wParam = c.unicode();
            if (ui::PreTranslateInput(&charMsg)) {
                allReached = false;
                continue;
            }
            if (!::IsWindow(charMsg.hwnd)) return true;
            // The hook may have changed the character: the scope expects the
            // typed one, so a changed one is typed by its default instead.
            ui::RoutedInputScope scope(charMsg.hwnd, charMsg.message, c.unicode());
            ::SendMessageW(charMsg.hwnd, charMsg.message, charMsg.wParam, charMsg.lParam);
            if (!scope.Reached()) allReached = false;
        }
        return !allReached;
    }

    // The modifiers that an event carries are the truth for GetKeyState,
    // even when their own presses went to another application.
    static void SyncModifiers(Qt::KeyboardModifiers modifiers)
    {
        ui::SetKeyDown(VK_SHIFT, (modifiers & Qt::ShiftModifier) != 0);
        ui::SetKeyDown(VK_CONTROL, (modifiers & Qt::ControlModifier) != 0);
        ui::SetKeyDown(VK_MENU, (modifiers & Qt::AltModifier) != 0);
    }

    bool Mouse(QWidget* widget, QMouseEvent* mouse)
    {
        SyncModifiers(mouse->modifiers());
        const Qt::MouseButton button = mouse->button();
        if (mouse->type() != QEvent::MouseMove) {
            const bool down = mouse->type() != QEvent::MouseButtonRelease;
            if (button == Qt::LeftButton) ui::SetKeyDown(VK_LBUTTON, down);
            if (button == Qt::RightButton) ui::SetKeyDown(VK_RBUTTON, down);
            if (button == Qt::MiddleButton) ui::SetKeyDown(VK_MBUTTON, down);
            ui::PostIdleKick();
        }
        if (InPopup(widget)) return false;
        WidgetPeer* peer = WidgetPeer::FromWidget(widget);
        if (!peer || !peer->Widget()) return false;
        UINT message = 0;
        switch (mouse->type()) {
        case QEvent::MouseButtonPress:
            message = button == Qt::LeftButton ? WM_LBUTTONDOWN : button == Qt::RightButton ? WM_RBUTTONDOWN : WM_MBUTTONDOWN;
            break;
        case QEvent::MouseButtonRelease:
            message = button == Qt::LeftButton ? WM_LBUTTONUP : button == Qt::RightButton ? WM_RBUTTONUP : WM_MBUTTONUP;
            break;
        case QEvent::MouseButtonDblClick:
            message = button == Qt::LeftButton ? WM_LBUTTONDBLCLK
                      : button == Qt::RightButton ? WM_RBUTTONDBLCLK
                                                  : WM_MBUTTONDBLCLK;
            break;
        default:
            message = WM_MOUSEMOVE;
            break;
        }
        const QPoint client = widget->mapTo(peer->Widget()->window(), mouse->position().toPoint()) -
                              peer->Widget()->mapTo(peer->Widget()->window(), QPoint(0, 0));
        const HWND hwnd = peer->Handle();
        if (message == WM_MOUSEMOVE) {
            ::SendMessageW(hwnd, WM_SETCURSOR, hwnd.ToWParam(), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
            if (!::IsWindow(hwnd)) return true;
        }
        const UINT flags = MouseKeyFlags(mouse->buttons(), mouse->modifiers());
        const LPARAM where = MAKELPARAM(static_cast<WORD>(static_cast<SHORT>(client.x())),
                                        static_cast<WORD>(static_cast<SHORT>(client.y())));
        // The window chain sees mouse messages first, as it sees keys (a
        // tooltip of a dialog watches the mouse over its controls this way).
        MSG msg;
        msg.hwnd = hwnd;
        msg.message = message;
        msg.wParam = flags;
        msg.lParam = where;
        msg.time = GetTickCount();
        const QPoint global = mouse->globalPosition().toPoint();
        msg.pt = POINT{global.x(), global.y()};
        if (ui::PreTranslateInput(&msg)) return true;
        if (!::IsWindow(hwnd)) return true;
        ui::RoutedInputScope scope(hwnd, message, flags);
        ::SendMessageW(hwnd, message, flags, where);
        if (message == WM_RBUTTONUP && scope.Reached() && ::IsWindow(hwnd)) {
            const QPoint global = mouse->globalPosition().toPoint();
            ::SendMessageW(hwnd, WM_CONTEXTMENU, hwnd.ToWParam(),
                           MAKELPARAM(static_cast<WORD>(global.x()), static_cast<WORD>(global.y())));
        }
        return !scope.Reached() || !::IsWindow(hwnd);
    }

    void Leave(QWidget* widget)
    {
        WidgetPeer* peer = WidgetPeer::FromWidget(widget);
        if (!peer || peer->Widget() != widget || peer->Handle() != m_trackLeave) return;
        m_trackLeave = HWND();
        ::SendMessageW(peer->Handle(), WM_MOUSELEAVE, 0, 0);
    }

    const QKeyEvent* m_lastKey = nullptr;
    quint64 m_lastKeyTime = 0;
    QEvent::Type m_lastKeyType = QEvent::None;
    QPointer<QWidget> m_lastKeyReceiver;
    HWND m_trackLeave;
};

InputRouter* g_router = nullptr;

// ---------------------------------------------------------------- peers

constexpr const char16_t* kDialogClass = u"#32770";

std::unique_ptr<IWindowPeer> MakePeer(CWnd& wnd, const CREATESTRUCTW& cs)
{
    if (!g_running.load() || !ui::OnUiThread()) return nullptr;
    QWidget* parentWidget = cs.hwndParent ? ui::WidgetOf(cs.hwndParent) : nullptr;
    const bool child = (cs.style & static_cast<LONG>(WS_CHILD)) != 0;
    const std::u16string_view className = cs.lpszClass ? std::u16string_view(cs.lpszClass) : std::u16string_view();
    if (child) {
        // Children of hidden windows stay hidden.
        if (!parentWidget) return nullptr;
    } else if (!(cs.style & static_cast<LONG>(WS_VISIBLE)) && className != kDialogClass &&
               !(cs.style & static_cast<LONG>(WS_POPUP))) {
        // A top-level window created hidden only receives messages until it
        // is shown (ShowWindow gives it a face then). Popups get their face
        // at once, so the children they make while being created have one.
        return nullptr;
    }
    ui::PeerMaker maker = ui::FindWindowClass(className);
    if (!maker) maker = ui::FindWindowClass(u"");
    if (!maker) return nullptr;
    // Owned top-level windows stay above their owner's window.
    if (!child && parentWidget) parentWidget = parentWidget->window();
    return maker(wnd.m_hWnd, cs, parentWidget);
}

// ---------------------------------------------------------------- surfaces

class SurfaceProvider final : public WindowSurfaceProvider {
public:
    bool Acquire(HWND window, WindowDcKind kind, WindowSurface& surface) override
    {
        if (!window) return false;
        WidgetPeer* peer = ui::OnUiThread() ? WidgetPeer::Of(window) : nullptr;
        std::shared_ptr<ui::BackingStore> store;
        if (peer) {
            store = peer->Backing();
        } else {
            std::lock_guard lock(m_mutex);
            const auto it = m_stores.find(window);
            if (it == m_stores.end()) return false;
            store = it->second.lock();
        }
        if (!store) return false;
        std::lock_guard lock(store->mutex);
        if (!store->image || store->image->isNull()) return false;
        surface.image = store->image;
        surface.origin = QPoint(0, 0);
        if (kind == WindowDcKind::Paint && peer && peer->InPaint()) {
            const QRect r = peer->PaintRect();
            surface.paintRect = RECT{r.left(), r.top(), r.right() + 1, r.bottom() + 1};
            surface.erase = peer->EraseNeeded();
        } else if (kind == WindowDcKind::Paint) {
            // BeginPaint outside WM_PAINT paints nothing new.
            surface.paintRect = RECT{};
        }
        return true;
    }

    void Release(HWND window, WindowDcKind kind, const QRect& drawn) override
    {
        if (kind == WindowDcKind::Paint || drawn.isEmpty()) return;
        if (ui::OnUiThread()) {
            if (WidgetPeer* peer = WidgetPeer::Of(window)) peer->DrawnOutsidePaint(drawn);
            return;
        }
        std::shared_ptr<ui::BackingStore> store;
        {
            std::lock_guard lock(m_mutex);
            const auto it = m_stores.find(window);
            if (it != m_stores.end()) store = it->second.lock();
        }
        if (!store) return;
        QPointer<QWidget> widget;
        {
            std::lock_guard lock(store->mutex);
            widget = store->widget;
        }
        if (!widget) return;
        // The widget is repainted on its own thread.
        QMetaObject::invokeMethod(
            widget.data(),
            [widget, drawn] {
                if (widget) widget->update(drawn);
            },
            Qt::QueuedConnection);
    }

    bool SetShape(HWND window, const QRegion* shape, bool redraw) override
    {
        if (!ui::OnUiThread()) return false;
        QWidget* widget = ui::WidgetOf(window);
        if (!widget) return false;
        if (shape) {
            widget->setMask(*shape);
        } else {
            widget->clearMask();
        }
        if (redraw) widget->update();
        return true;
    }

    void Register(HWND window, const std::shared_ptr<ui::BackingStore>& store)
    {
        std::lock_guard lock(m_mutex);
        m_stores[window] = store;
    }

    void Unregister(HWND window)
    {
        std::lock_guard lock(m_mutex);
        m_stores.erase(window);
    }

private:
    std::mutex m_mutex;
    std::map<HWND, std::weak_ptr<ui::BackingStore>> m_stores;
};

SurfaceProvider* g_surfaces = nullptr;

struct Runtime {
    QtDispatcher dispatcher;
    IMessageDispatcher* previousDispatcher = nullptr;
    InputRouter router;
    SurfaceProvider surfaces;
    WindowSurfaceProvider* previousSurfaces = nullptr;
    WindowPeerFactory previousFactory = nullptr;
    QMetaObject::Connection focusConnection;
    std::unique_ptr<StandardServices> services;
};

Runtime* g_runtime = nullptr;

}  // namespace

namespace ui {

void RegisterBackingStore(HWND window, const std::shared_ptr<BackingStore>& store)
{
    if (g_surfaces) g_surfaces->Register(window, store);
}

void UnregisterBackingStore(HWND window)
{
    if (g_surfaces) g_surfaces->Unregister(window);
}

void TrackMouseLeave(HWND window)
{
    if (g_router) g_router->TrackLeave(window);
}

bool OnUiThread()
{
    QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

void SetKeyDown(UINT virtualKey, bool down)
{
    if (virtualKey < 256) KeyTable()[virtualKey].store(down);
    // The side-neutral keys follow the modifiers.
    if (virtualKey == VK_LSHIFT || virtualKey == VK_RSHIFT) KeyTable()[VK_SHIFT].store(down);
    if (virtualKey == VK_LCONTROL || virtualKey == VK_RCONTROL) KeyTable()[VK_CONTROL].store(down);
    if (virtualKey == VK_LMENU || virtualKey == VK_RMENU) KeyTable()[VK_MENU].store(down);
}

bool PreTranslateInput(MSG* msg)
{
    if (detail::PreTranslateChain(msg)) return true;
    if (InputPreTranslateHook hook = g_preTranslateHook.load()) return hook(msg) != FALSE;
    return false;
}

HoldProgramMessages::HoldProgramMessages() { ++g_holdMessages; }

HoldProgramMessages::~HoldProgramMessages()
{
    if (--g_holdMessages == 0 && g_runtime) g_runtime->dispatcher.Release();
}

void PostIdleKick()
{
    ::PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0);
}

}  // namespace ui

InputPreTranslateHook SetInputPreTranslateHook(InputPreTranslateHook hook) { return g_preTranslateHook.exchange(hook); }

UserInterface::UserInterface()
{
    if (g_running.exchange(true) || !qobject_cast<QApplication*>(QCoreApplication::instance()) || !ui::OnUiThread()) {
        std::fprintf(stderr, "UserInterface: needs one QApplication and its thread, and only one UserInterface\n");
        return;
    }
    g_runtime = new Runtime;
    g_runtime->previousDispatcher = SetThreadDispatcher(&g_runtime->dispatcher);
    g_router = &g_runtime->router;
    qApp->installEventFilter(&g_runtime->router);
    g_runtime->focusConnection = QObject::connect(qApp, &QApplication::focusChanged, &g_runtime->router,
                                                  [](QWidget* old, QWidget* now) {
                                                      if (g_router) g_router->FocusChanged(old, now);
                                                  });
    g_surfaces = &g_runtime->surfaces;
    g_runtime->previousSurfaces = SetWindowSurfaceProvider(&g_runtime->surfaces);
    g_runtime->previousFactory = SetWindowPeerFactory(&MakePeer);
    g_runtime->services = std::make_unique<StandardServices>();
}

UserInterface::~UserInterface()
{
    if (!g_runtime) return;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    g_runtime->services.reset();
    SetWindowPeerFactory(g_runtime->previousFactory);
    SetWindowSurfaceProvider(g_runtime->previousSurfaces);
    g_surfaces = nullptr;
    QObject::disconnect(g_runtime->focusConnection);
    qApp->removeEventFilter(&g_runtime->router);
    g_router = nullptr;
    SetThreadDispatcher(g_runtime->previousDispatcher);
    delete g_runtime;
    g_runtime = nullptr;
    g_running.store(false);
}

bool UserInterface::IsRunning() { return g_running.load(); }

}  // namespace platform

SHORT GetKeyState(int virtualKey)
{
    if (virtualKey < 0 || virtualKey >= 256) return 0;
    return platform::KeyTable()[static_cast<std::size_t>(virtualKey)].load() ? static_cast<SHORT>(0x8000) : 0;
}

SHORT GetAsyncKeyState(int virtualKey)
{
    if (platform::ui::OnUiThread()) {
        const Qt::MouseButtons buttons = QGuiApplication::mouseButtons();
        if (virtualKey == static_cast<int>(VK_LBUTTON)) return (buttons & Qt::LeftButton) ? static_cast<SHORT>(0x8000) : 0;
        if (virtualKey == static_cast<int>(VK_RBUTTON)) return (buttons & Qt::RightButton) ? static_cast<SHORT>(0x8000) : 0;
        if (virtualKey == static_cast<int>(VK_MBUTTON)) return (buttons & Qt::MiddleButton) ? static_cast<SHORT>(0x8000) : 0;
    }
    return GetKeyState(virtualKey);
}
