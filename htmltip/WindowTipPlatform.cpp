#include "htmltip/WindowTipPlatform.h"

#include "htmltip/HtmlToolTip.h"

#include "platform/ui/Button.h"
#include "platform/core/ResourceModule.h"
#include "platform/ui/ResourceImages.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

namespace htmltip {

namespace {

bool Contains(HWND window, POINT screen)
{
    RECT r{};
    return ::GetWindowRect(window, &r) && screen.x >= r.left && screen.x < r.right && screen.y >= r.top &&
           screen.y < r.bottom;
}

// Group boxes frame other controls; the mouse is over those, not over the box.
bool IsFrameOnly(HWND window)
{
    const auto style = static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_STYLE));
    return (style & BS_TYPEMASK) == BS_GROUPBOX && ::SendMessage(window, WM_GETDLGCODE, 0, 0) == DLGC_STATIC;
}

// The first visible child of the window under the screen point, in z-order.
HWND ChildAt(HWND window, POINT screen)
{
    for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (!::IsWindowVisible(child) || IsFrameOnly(child)) continue;
        if (Contains(child, screen)) return child;
    }
    return HWND();
}

}  // namespace

// ------------------------------------------------------------------ face

TipFace::TipFace(CHtmlToolTip& tip)
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowDoesNotAcceptFocus),
      m_tip(tip)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setMouseTracking(true);
}

void TipFace::SetImage(const QImage& image)
{
    m_image = image;
    update();
}

void TipFace::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(rect(), Qt::transparent);
    painter.drawImage(0, 0, m_image);
}

void TipFace::Relay(UINT message, QPoint global)
{
    const HWND owner = m_tip.GetOwnerWindow();
    if (!owner) return;
    POINT at{global.x(), global.y()};
    ::ScreenToClient(owner, &at);
    MSG msg;
    msg.hwnd = owner;
    msg.message = message;
    msg.lParam = MAKELPARAM(static_cast<WORD>(static_cast<SHORT>(at.x)), static_cast<WORD>(static_cast<SHORT>(at.y)));
    msg.pt = POINT{global.x(), global.y()};
    m_tip.RelayEvent(&msg);
}

void TipFace::mouseMoveEvent(QMouseEvent* event)
{
    if (m_tip.GetSafeHwnd()) m_tip.SendMessage(WM_SETCURSOR, m_tip.GetSafeHwnd().ToWParam(), 0);
    Relay(WM_MOUSEMOVE, event->globalPosition().toPoint());
}

void TipFace::mousePressEvent(QMouseEvent* event)
{
    const UINT message = event->button() == Qt::LeftButton    ? WM_LBUTTONDOWN
                         : event->button() == Qt::RightButton ? 0x0204u
                                                              : 0x0207u;
    Relay(message, event->globalPosition().toPoint());
}

void TipFace::mouseDoubleClickEvent(QMouseEvent* event)
{
    Relay(event->button() == Qt::LeftButton ? WM_LBUTTONDBLCLK : 0x0206u, event->globalPosition().toPoint());
}

void TipFace::wheelEvent(QWheelEvent* event) { Relay(WM_MOUSEWHEEL, event->globalPosition().toPoint()); }

// ------------------------------------------------------------------ platform

WindowTipPlatform::WindowTipPlatform(CHtmlToolTip& tip) : m_tip(tip), m_face(std::make_unique<TipFace>(tip)) {}

WindowTipPlatform::~WindowTipPlatform() = default;

void WindowTipPlatform::StartTimer(UINT id, UINT periodMs)
{
    if (m_tip.GetSafeHwnd()) ::SetTimer(m_tip.GetSafeHwnd(), id, periodMs, nullptr);
}

void WindowTipPlatform::StopTimer(UINT id)
{
    if (m_tip.GetSafeHwnd()) ::KillTimer(m_tip.GetSafeHwnd(), id);
}

POINT WindowTipPlatform::GetCursorPos()
{
    POINT p{};
    ::GetCursorPos(&p);
    return p;
}

RECT WindowTipPlatform::GetVirtualScreen()
{
    const int x = ::GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int y = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
    return RECT{x, y, x + ::GetSystemMetrics(SM_CXVIRTUALSCREEN), y + ::GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

HWND WindowTipPlatform::WindowFromPoint(POINT screen)
{
    const HWND owner = m_tip.GetOwnerWindow();
    if (!owner) return HWND();
    const HWND root = ::GetAncestor(owner, GA_ROOT);
    if (!root || !::IsWindowVisible(root) || !Contains(root, screen)) return HWND();
    HWND current = root;
    while (const HWND child = ChildAt(current, screen)) current = child;
    return current;
}

HWND WindowTipPlatform::ChildWindowFromPoint(HWND window, POINT client)
{
    POINT screen = client;
    ::ClientToScreen(window, &screen);
    const HWND child = ChildAt(window, screen);
    return child ? child : window;
}

HWND WindowTipPlatform::GetParent(HWND window) { return ::GetParent(window); }

bool WindowTipPlatform::IsDropDownCombo(HWND) { return false; }

bool WindowTipPlatform::IsWindowEnabled(HWND window) { return ::IsWindowEnabled(window) != FALSE; }

POINT WindowTipPlatform::ScreenToClient(HWND window, POINT screen)
{
    ::ScreenToClient(window, &screen);
    return screen;
}

POINT WindowTipPlatform::ClientToScreen(HWND window, POINT client)
{
    ::ClientToScreen(window, &client);
    return client;
}

POINT WindowTipPlatform::GetScrollPosition(HWND) { return POINT{}; }

void WindowTipPlatform::ShowTip(POINT topLeft, SIZE size, const QRegion& shape, bool keepZOrder)
{
    m_face->setGeometry(topLeft.x, topLeft.y, size.cx, size.cy);
    // The mouse outside the shape reaches the windows below.
    m_face->setMask(shape);
    m_face->show();
    if (!keepZOrder) m_face->raise();
}

void WindowTipPlatform::MoveTip(POINT topLeft) { m_face->move(topLeft.x, topLeft.y); }

void WindowTipPlatform::HideTip() { m_face->hide(); }

bool WindowTipPlatform::IsTipVisible() { return m_face->isVisible(); }

void WindowTipPlatform::PresentTip(const QImage& image) { m_face->SetImage(image); }

void WindowTipPlatform::SetArrowCursor() { ::SetCursor(::LoadCursor(HINSTANCE(), IDC_ARROW)); }

}  // namespace htmltip
