#include "platform/ui/WidgetPeer.h"

#include "platform/core/Thread.h"
#include "platform/core/WindowRegistry.h"
#include "platform/ui/DC.h"
#include "platform/ui/GdiInternal.h"
#include "platform/ui/InputRouting.h"
#include "platform/ui/Menu.h"
#include "platform/ui/WindowSurface.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QScreen>
#include <QWindow>
#include <QHash>
#include <QKeyEvent>
#include <QPainter>
#include <QPaintEvent>

#include <algorithm>
#include <cstring>
#include <map>

namespace platform::ui {

void RegisterBackingStore(HWND window, const std::shared_ptr<BackingStore>& store);
void UnregisterBackingStore(HWND window);

namespace {

// Private message that runs a call on the window's thread (CWnd members
// called from other threads).
constexpr UINT kInvokeMessage = 0x03F0;

std::u16string Folded(std::u16string_view name)
{
    std::u16string out(name);
    for (char16_t& c : out)
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    return out;
}

struct WindowClass {
    PeerMaker peer = nullptr;
    StandInMaker standIn = nullptr;
};

std::map<std::u16string, WindowClass>& ClassTable()
{
    static std::map<std::u16string, WindowClass> table;
    return table;
}

QHash<const QObject*, WidgetPeer*>& WidgetTable()
{
    static QHash<const QObject*, WidgetPeer*> table;
    return table;
}

thread_local RoutedInput* t_routed = nullptr;
thread_local int t_typingDirectly = 0;

// One memory DC per thread for asking WM_CTLCOLOR....
HDC ColorQueryDc()
{
    thread_local HDC dc = ::CreateCompatibleDC(HDC());
    return dc;
}

COLORREF BrushColor(HBRUSH brush, bool* hollow)
{
    LOGBRUSH lb;
    *hollow = false;
    if (!brush || ::GetObject(brush, sizeof lb, &lb) == 0) return CLR_INVALID;
    if (lb.lbStyle == BS_NULL) {
        *hollow = true;
        return CLR_INVALID;
    }
    return lb.lbColor;
}

}  // namespace

// ---------------------------------------------------------------- helpers

bool RegisterWindowClass(std::u16string_view className, PeerMaker maker, StandInMaker standIn)
{
    ClassTable()[Folded(className)] = WindowClass{maker, standIn};
    return true;
}

PeerMaker FindWindowClass(std::u16string_view className)
{
    const auto it = ClassTable().find(Folded(className));
    return it == ClassTable().end() ? nullptr : it->second.peer;
}

CWnd* MakeStandIn(std::u16string_view className)
{
    const auto it = ClassTable().find(Folded(className));
    if (it == ClassTable().end() || !it->second.standIn) return NewStandIn<CWnd>();
    return it->second.standIn();
}

bool IsStandIn(CWnd* wnd) { return dynamic_cast<StandIn*>(wnd) != nullptr; }

CWnd* CreateStandIn(DWORD exStyle, std::u16string_view className, LPCWSTR text, DWORD style, const RECT& rect,
                    CWnd* parent, UINT id, LPVOID param)
{
    CWnd* wnd = MakeStandIn(className);
    auto* standIn = dynamic_cast<StandIn*>(wnd);
    standIn->m_ownedByWindow = false;
    const std::u16string name(className);
    if (!wnd->CreateEx(exStyle, name.c_str(), text, style, rect, parent, id, param)) {
        delete standIn;
        return nullptr;
    }
    standIn->m_ownedByWindow = true;
    return wnd;
}

void DeleteStandIn(CWnd* wnd)
{
    if (auto* standIn = dynamic_cast<StandIn*>(wnd)) {
        wnd->Detach();
        delete standIn;
    }
}

QWidget* WidgetOf(HWND hwnd)
{
    WidgetPeer* peer = WidgetPeer::Of(hwnd);
    return peer ? peer->Widget() : nullptr;
}

QFont QFontOf(HFONT font)
{
    if (font) {
        QFont f = FontFromHandle(font);
        if (!f.family().isEmpty()) return f;
    }
    return QApplication::font();
}

QString ToQString(LPCWSTR text, int length)
{
    if (!text) return QString();
    if (length < 0) return QString::fromUtf16(text);
    return QString::fromUtf16(text, length);
}

QString ToQString(const CString& text) { return QString::fromUtf16(text.GetString(), text.GetLength()); }

CString ToCString(const QString& text)
{
    return CString(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<int>(text.size()));
}

QString WithoutMnemonics(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&') {
            if (i + 1 < text.size() && text[i + 1] == u'&') {
                out += u'&';
                ++i;
            }
            continue;
        }
        out += text[i];
    }
    return out;
}

QColor ToQColor(COLORREF color) { return QColor(GetRValue(color), GetGValue(color), GetBValue(color)); }

void SetEnabledColor(QPalette& palette, QPalette::ColorRole role, const QColor& color, bool ownDisabled)
{
    palette.setColor(QPalette::Active, role, color);
    palette.setColor(QPalette::Inactive, role, color);
    if (ownDisabled && (role == QPalette::Text || role == QPalette::WindowText || role == QPalette::ButtonText)) {
        palette.setColor(QPalette::Disabled, role, ToQColor(::GetSysColor(COLOR_GRAYTEXT)));
    } else {
        palette.setColor(QPalette::Disabled, role, color);
    }
}

COLORREF ToColorRef(const QColor& color) { return RGB(color.red(), color.green(), color.blue()); }

RoutedInputScope::RoutedInputScope(HWND hwnd, UINT message, WPARAM wParam)
{
    m_input.hwnd = hwnd;
    m_input.message = message;
    m_input.wParam = wParam;
    m_input.outer = t_routed;
    t_routed = &m_input;
}

RoutedInputScope::~RoutedInputScope() { t_routed = m_input.outer; }

RoutedInput* CurrentRoutedInput() { return t_routed; }

bool IsTypingDirectly() { return t_typingDirectly > 0; }

void TypeCharacter(QWidget* target, char16_t ch)
{
    if (!target) return;
    // The focus widget inside a composite control takes the key.
    QWidget* receiver = target->focusProxy() ? target->focusProxy() : target;
    int key = 0;
    QString text = QString(QChar(ch));
    switch (ch) {
    case 8: key = Qt::Key_Backspace; break;
    case 9: key = Qt::Key_Tab; break;
    case 13: key = Qt::Key_Return; break;
    case 27: key = Qt::Key_Escape; break;
    default:
        key = QChar(ch).toUpper().unicode();
        if (ch < 0x20) text.clear();
        break;
    }
    ++t_typingDirectly;
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(receiver, &press);
    QCoreApplication::sendEvent(receiver, &release);
    --t_typingDirectly;
}

UINT VirtualKeyOf(const QKeyEvent& event)
{
    const int key = event.key();
    const bool keypad = (event.modifiers() & Qt::KeypadModifier) != 0;
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return static_cast<UINT>('A' + (key - Qt::Key_A));
    if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        return keypad ? VK_NUMPAD0 + static_cast<UINT>(key - Qt::Key_0) : static_cast<UINT>('0' + (key - Qt::Key_0));
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return VK_F1 + static_cast<UINT>(key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return VK_TAB;
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Delete: return VK_DELETE;
    case Qt::Key_Insert: return VK_INSERT;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_End: return VK_END;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_Shift: return VK_SHIFT;
    case Qt::Key_Control: return VK_CONTROL;
    case Qt::Key_Alt: return VK_MENU;
    case Qt::Key_Meta: return VK_LWIN;
    case Qt::Key_CapsLock: return VK_CAPITAL;
    case Qt::Key_NumLock: return VK_NUMLOCK;
    case Qt::Key_ScrollLock: return VK_SCROLL;
    case Qt::Key_Pause: return VK_PAUSE;
    case Qt::Key_Print: return VK_SNAPSHOT;
    case Qt::Key_Menu: return VK_APPS;
    case Qt::Key_Clear: return VK_CLEAR;
    case Qt::Key_Plus: return keypad ? VK_ADD : VK_OEM_PLUS;
    case Qt::Key_Minus: return keypad ? VK_SUBTRACT : VK_OEM_MINUS;
    case Qt::Key_Asterisk: return keypad ? VK_MULTIPLY : static_cast<UINT>('8');
    case Qt::Key_Slash: return keypad ? VK_DIVIDE : VK_OEM_2;
    case Qt::Key_Period: return keypad ? VK_DECIMAL : VK_OEM_PERIOD;
    case Qt::Key_Comma: return keypad ? VK_SEPARATOR : VK_OEM_COMMA;
    case Qt::Key_Equal: return VK_OEM_PLUS;
    case Qt::Key_Semicolon:
    case Qt::Key_Colon: return VK_OEM_1;
    case Qt::Key_Question: return VK_OEM_2;
    case Qt::Key_QuoteLeft:
    case Qt::Key_AsciiTilde: return VK_OEM_3;
    case Qt::Key_BracketLeft:
    case Qt::Key_BraceLeft: return VK_OEM_4;
    case Qt::Key_Backslash:
    case Qt::Key_Bar: return VK_OEM_5;
    case Qt::Key_BracketRight:
    case Qt::Key_BraceRight: return VK_OEM_6;
    case Qt::Key_Apostrophe:
    case Qt::Key_QuoteDbl: return VK_OEM_7;
    case Qt::Key_Less: return VK_OEM_COMMA;
    case Qt::Key_Greater: return VK_OEM_PERIOD;
    case Qt::Key_Underscore: return VK_OEM_MINUS;
    case Qt::Key_Exclam: return '1';
    case Qt::Key_At: return '2';
    case Qt::Key_NumberSign: return '3';
    case Qt::Key_Dollar: return '4';
    case Qt::Key_Percent: return '5';
    case Qt::Key_AsciiCircum: return '6';
    case Qt::Key_Ampersand: return '7';
    case Qt::Key_ParenLeft: return '9';
    case Qt::Key_ParenRight: return '0';
    default:
        // Other characters (a Japanese layout, say) still type: give them a
        // key so their characters follow.
        return event.text().isEmpty() ? 0 : VK_OEM_3;
    }
}

QString CharactersOf(const QKeyEvent& event)
{
    const int key = event.key();
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return QStringLiteral("\r");
    case Qt::Key_Escape: return QString(QChar(27));
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return QStringLiteral("\t");
    case Qt::Key_Backspace: return QString(QChar(8));
    default: break;
    }
    if ((event.modifiers() & Qt::ControlModifier) && key >= Qt::Key_A && key <= Qt::Key_Z) {
        return QString(QChar(static_cast<char16_t>(key - Qt::Key_A + 1)));
    }
    QString text = event.text();
    // Keys without characters (arrows, Delete) give none; DEL from some
    // keyboards is the Delete key, not a character.
    if (text.size() == 1 && (text[0].unicode() < 0x20 || text[0].unicode() == 0x7F)) return QString();
    return text;
}

// ---------------------------------------------------------------- peer

WidgetPeer::WidgetPeer(HWND hwnd, const CREATESTRUCTW& cs) : m_hwnd(hwnd)
{
    m_text = ToQString(cs.lpszName);
    if (cs.lpszClass) m_className = cs.lpszClass;
    m_backing = std::make_shared<BackingStore>();
    if (WidgetPeer* parent = cs.hwndParent ? Of(cs.hwndParent) : nullptr) {
        if (cs.style & static_cast<LONG>(WS_CHILD)) parent->m_children.push_back(hwnd);
    }
    RegisterBackingStore(hwnd, m_backing);
}

WidgetPeer::~WidgetPeer()
{
    UnregisterBackingStore(m_hwnd);
    if (WidgetPeer* parent = Of(ParentHandle())) {
        auto& siblings = parent->m_children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), m_hwnd), siblings.end());
    }
    // The derived peer is gone: no signal of the widgets (a focus lost while
    // hiding them) may reach its handlers any more.
    if (m_widget) {
        QObject::disconnect(m_widget.data(), nullptr, this, nullptr);
        for (QObject* child : m_widget->findChildren<QObject*>()) QObject::disconnect(child, nullptr, this, nullptr);
    }
    if (m_widget && !m_ownsWidget) {
        WidgetTable().remove(m_widget.data());
    } else if (m_widget) {
        WidgetTable().remove(m_widget.data());
        {
            std::lock_guard lock(m_backing->mutex);
            m_backing->widget = nullptr;
        }
        // The window may go while one of its widget's signals runs (a click
        // that closes a dialog): Qt deletes the widget once that is over.
        m_widget->hide();
        m_widget->setParent(nullptr);
        m_widget->deleteLater();
    }
}

void WidgetPeer::Attach(QWidget* widget, const CREATESTRUCTW& cs)
{
    m_widget = widget;
    WidgetTable().insert(widget, this);
    {
        std::lock_guard lock(m_backing->mutex);
        m_backing->widget = widget;
    }
    widget->setAttribute(Qt::WA_DeleteOnClose, false);
    const bool child = (cs.style & static_cast<LONG>(WS_CHILD)) != 0;
    const int cx = std::max(0, cs.cx);
    const int cy = std::max(0, cs.cy);
    constexpr int kUseDefault = static_cast<int>(0x80000000);
    if (child) {
        widget->setGeometry(cs.x, cs.y, cx, cy);
    } else {
        if (cs.x != kUseDefault) widget->move(cs.x, cs.y);
        if (cs.cx != kUseDefault) widget->resize(cx, cy);
        widget->setWindowTitle(m_text);
    }
    widget->setEnabled(!(cs.style & static_cast<LONG>(WS_DISABLED)));
    m_lastSize = widget->size();
    m_lastPos = widget->pos();
    if (cs.style & static_cast<LONG>(WS_VISIBLE)) widget->setVisible(true);
    else if (child) widget->setVisible(false);
}

void WidgetPeer::Adopt(QWidget* widget)
{
    m_widget = widget;
    m_ownsWidget = false;
    WidgetTable().insert(widget, this);
    m_lastSize = widget->size();
    m_lastPos = widget->pos();
    std::lock_guard lock(m_backing->mutex);
    m_backing->widget = widget;
}

WidgetPeer* WidgetPeer::Of(HWND hwnd)
{
    if (!hwnd || ::GetWindowThreadProcessId(hwnd, nullptr) != GetCurrentThreadId()) return nullptr;
    return dynamic_cast<WidgetPeer*>(platform::detail::WindowRegistry::Instance().Peer(hwnd));
}

WidgetPeer* WidgetPeer::FromWidget(const QObject* object)
{
    const auto& table = WidgetTable();
    for (const QObject* o = object; o; o = o->parent()) {
        const auto it = table.constFind(o);
        if (it != table.constEnd()) return it.value();
    }
    return nullptr;
}

DWORD WidgetPeer::Style() const { return static_cast<DWORD>(::GetWindowLongPtrW(m_hwnd, GWL_STYLE)); }
DWORD WidgetPeer::ExStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(m_hwnd, GWL_EXSTYLE)); }
int WidgetPeer::Id() const { return ::GetDlgCtrlID(m_hwnd); }
HWND WidgetPeer::ParentHandle() const { return ::GetParent(m_hwnd); }
bool WidgetPeer::IsChildWindow() const { return (Style() & WS_CHILD) != 0; }

void WidgetPeer::PlaceChild(HWND child, HWND insertAfter)
{
    auto it = std::find(m_children.begin(), m_children.end(), child);
    if (it == m_children.end()) return;
    m_children.erase(it);
    if (insertAfter == HWND_TOP) {
        m_children.insert(m_children.begin(), child);
    } else if (insertAfter == HWND_BOTTOM) {
        m_children.push_back(child);
    } else {
        auto after = std::find(m_children.begin(), m_children.end(), insertAfter);
        m_children.insert(after == m_children.end() ? m_children.end() : after + 1, child);
    }
}

QString WidgetPeer::Text() const { return IsChildWindow() || !m_widget ? m_text : m_widget->windowTitle(); }

void WidgetPeer::SetText(const QString& text)
{
    m_text = text;
    if (m_widget && !IsChildWindow()) m_widget->setWindowTitle(text);
}

UINT WidgetPeer::DialogCode(const MSG*) const { return 0; }

bool WidgetPeer::ControlMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

void WidgetPeer::ApplyColors(COLORREF, COLORREF, bool) {}

void WidgetPeer::FillDrawItem(DRAWITEMSTRUCT&) const {}

void WidgetPeer::FocusChanged(bool) {}

LRESULT WidgetPeer::NotifyCommand(WORD code)
{
    const HWND parent = ParentHandle();
    if (!parent) return 0;
    return ::SendMessageW(parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(Id()), code), m_hwnd.ToLParam());
}

LRESULT WidgetPeer::NotifyParent(NMHDR& header, UINT code)
{
    header.hwndFrom = m_hwnd;
    header.idFrom = static_cast<UINT_PTR>(Id());
    header.code = code;
    const HWND parent = ParentHandle();
    if (!parent) return 0;
    return ::SendMessageW(parent, WM_NOTIFY, static_cast<WPARAM>(Id()), reinterpret_cast<LPARAM>(&header));
}

void WidgetPeer::SetFont(HFONT font, bool redraw)
{
    m_font = font;
    if (!m_widget) return;
    m_widget->setFont(QFontOf(font));
    if (redraw) m_widget->update();
}

bool WidgetPeer::PaintsItself() const
{
    if (m_programWindow || IsOwnerDrawn()) return true;
    if (CWnd* wnd = CWnd::FromHandlePermanent(m_hwnd)) {
        if (platform::FindMessageEntry(wnd->GetMessageMap(), WM_PAINT)) return true;
    }
    return false;
}

void WidgetPeer::InvalidateClient(const QRect& rect, bool erase)
{
    if (!m_widget) return;
    const QRect r = rect.isNull() ? m_widget->rect() : rect.intersected(m_widget->rect());
    m_invalid += r;
    if (erase) m_eraseNeeded = true;
    if (m_redraw) m_widget->update(r);
}

void WidgetPeer::DrawnOutsidePaint(const QRect& rect)
{
    if (m_inPaint || !m_widget) return;
    if (m_redraw) m_widget->update(rect);
}

void WidgetPeer::EraseBackground(HDC dc, const QRect& rect)
{
    RECT r{rect.left(), rect.top(), rect.right() + 1, rect.bottom() + 1};
    ::FillRect(dc, &r, ::GetSysColorBrush(COLOR_BTNFACE));
}

void WidgetPeer::PaintNow(QWidget* target, const QRegion& exposed)
{
    const QSize size = target->size();
    if (size.isEmpty()) return;
    std::shared_ptr<QImage> image;
    {
        std::lock_guard lock(m_backing->mutex);
        if (!m_backing->image || m_backing->image->size() != size) {
            // A new size keeps what was drawn where it still fits.
            auto fresh = std::make_shared<QImage>(size, QImage::Format_RGB32);
            fresh->fill(ToQColor(::GetSysColor(COLOR_BTNFACE)));
            if (m_backing->image) {
                QPainter copy(fresh.get());
                copy.drawImage(0, 0, *m_backing->image);
            }
            m_backing->image = fresh;
            m_invalid = QRegion(QRect(QPoint(0, 0), size));
            m_eraseNeeded = true;
        }
        image = m_backing->image;
    }
    if (!m_programWindow) m_invalid = QRegion(QRect(QPoint(0, 0), size));
    if (!m_invalid.isEmpty()) {
        const QRect r = m_invalid.boundingRect().intersected(QRect(QPoint(0, 0), size));
        m_invalid = QRegion();
        m_inPaint = true;
        m_paintRect = r;
        const HWND hwnd = m_hwnd;
        if (IsOwnerDrawn()) {
            if (HDC erase = ::GetDC(hwnd)) {
                EraseBackground(erase, QRect(QPoint(0, 0), size));
                ::ReleaseDC(hwnd, erase);
            }
            PAINTSTRUCT ps;
            DRAWITEMSTRUCT item;
            item.CtlID = static_cast<UINT>(Id());
            item.itemAction = ODA_DRAWENTIRE;
            item.hwndItem = hwnd;
            item.hDC = ::BeginPaint(hwnd, &ps);
            item.rcItem = RECT{0, 0, size.width(), size.height()};
            FillDrawItem(item);
            if (item.hDC) {
                ::SendMessageW(ParentHandle(), WM_DRAWITEM, static_cast<WPARAM>(Id()), reinterpret_cast<LPARAM>(&item));
                ::EndPaint(hwnd, &ps);
            }
        } else {
            if (m_eraseNeeded) {
                m_eraseNeeded = false;
                if (HDC dc = ::GetDC(hwnd)) {
                    ::IntersectClipRect(dc, r.left(), r.top(), r.right() + 1, r.bottom() + 1);
                    ::SendMessageW(hwnd, WM_ERASEBKGND, dc.ToWParam(), 0);
                    if (::IsWindow(hwnd)) ::ReleaseDC(hwnd, dc);
                }
            }
            if (::IsWindow(hwnd)) ::SendMessageW(hwnd, WM_PAINT, 0, 0);
        }
        if (!::IsWindow(hwnd)) return;
        m_inPaint = false;
    }
    // Drawing leaves the alpha bytes 0, as the system's does: what the
    // window shows is opaque.
    const QRect shown = exposed.boundingRect().intersected(QRect(QPoint(0, 0), size));
    if (shown.isEmpty()) return;
    QImage opaque = image->copy(shown);
    for (int y = 0; y < opaque.height(); ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(opaque.scanLine(y));
        for (int x = 0; x < opaque.width(); ++x) row[x] |= 0xFF000000u;
    }
    QPainter painter(target);
    painter.setClipRegion(exposed);
    painter.drawImage(shown.topLeft(), opaque);
    // A top-level window without a window manager's frame draws the border
    // its style asks for itself (a popup with WS_BORDER, as the wait window).
    if (target == m_widget && m_widget->isWindow() && (m_widget->windowFlags() & Qt::FramelessWindowHint) &&
        (Style() & WS_BORDER)) {
        painter.setClipping(false);
        painter.setPen(ToQColor(::GetSysColor(COLOR_WINDOWFRAME)));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRect(QPoint(0, 0), size).adjusted(0, 0, -1, -1));
    }
    painter.end();
    platform::gdi::ClearWideVectorState();
}

void WidgetPeer::SizeChanged()
{
    if (!m_widget || m_widget->size() == m_lastSize) return;
    m_lastSize = m_widget->size();
    UINT type = SIZE_RESTORED;
    if (!IsChildWindow()) {
        if (m_widget->isMaximized()) type = SIZE_MAXIMIZED;
        if (m_widget->isMinimized()) type = SIZE_MINIMIZED;
    }
    InvalidateClient(QRect(), true);
    ::SendMessageW(m_hwnd, WM_SIZE, type,
                   MAKELPARAM(static_cast<WORD>(m_lastSize.width()), static_cast<WORD>(m_lastSize.height())));
}

void WidgetPeer::FitPendingFrame()
{
    if (!m_pendingFrameSize.isValid() || !m_widget || IsChildWindow() || !m_widget->isVisible()) return;
    // A maximised or minimised window keeps the size for its restore.
    if (m_widget->windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)) return;
    const QRect frame = m_widget->frameGeometry();
    const QRect client = m_widget->geometry();
    const QMargins m(client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                     frame.bottom() - client.bottom());
    // The window manager has not framed it yet.
    if (m.isNull()) return;
    m_normalMargins = m;
    const QSize wanted(std::max(0, m_pendingFrameSize.width() - m.left() - m.right()),
                       std::max(0, m_pendingFrameSize.height() - m.top() - m.bottom()));
    m_pendingFrameSize = QSize();
    if (wanted == m_widget->size()) return;
    if (IsFixedSizeWindow(Style()) && m_widget->minimumSize() == m_widget->maximumSize()) {
        m_widget->setFixedSize(wanted);
    } else {
        m_widget->resize(wanted);
    }
    SizeChanged();
}

void WidgetPeer::PositionChanged()
{
    if (!m_widget || m_widget->pos() == m_lastPos) return;
    m_lastPos = m_widget->pos();
    QPoint client = IsChildWindow() ? m_lastPos : m_widget->geometry().topLeft();
    ::SendMessageW(m_hwnd, WM_MOVE, 0,
                   MAKELPARAM(static_cast<WORD>(static_cast<SHORT>(client.x())),
                              static_cast<WORD>(static_cast<SHORT>(client.y()))));
}

void WidgetPeer::MarkDefaultReached(UINT message, WPARAM wParam)
{
    RoutedInput* in = t_routed;
    if (!in || in->hwnd != m_hwnd || in->message != message) return;
    if ((message == WM_CHAR || message == WM_SYSCHAR) && in->wParam != wParam) return;
    in->reached = true;
}

void WidgetPeer::AskForHelp()
{
    // Shift, Ctrl or Alt with F1 are other commands.
    for (int key : {VK_SHIFT, VK_CONTROL, VK_MENU})
        if (::GetKeyState(key) & 0x8000) return;
    HELPINFO info;
    info.iCtrlId = ::GetDlgCtrlID(m_hwnd);
    info.hItemHandle = m_hwnd;
    ::GetCursorPos(&info.MousePos);
    ::SendMessageW(m_hwnd, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
}

void WidgetPeer::AcceptCharacter(UINT message, WPARAM ch)
{
    RoutedInput* in = t_routed;
    if (in && in->hwnd == m_hwnd && in->message == message && in->wParam == ch) {
        in->reached = true;
    } else if (message == WM_CHAR && ch < 0x10000) {
        // A character that no key event carries: type it.
        TypeCharacter(FocusWidget(), static_cast<char16_t>(ch));
    }
}

void WidgetPeer::AskColors()
{
    const UINT message = CtlColorMessage();
    const HWND parent = ParentHandle();
    if (!message || !parent) return;
    const HDC dc = ColorQueryDc();
    if (!dc) return;
    const bool field = message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX;
    ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
    ::SetBkColor(dc, ::GetSysColor(field ? COLOR_WINDOW : COLOR_BTNFACE));
    ::SetBkMode(dc, OPAQUE);
    const LRESULT answer = ::SendMessageW(parent, message, dc.ToWParam(), m_hwnd.ToLParam());
    if (!::IsWindow(m_hwnd)) return;
    bool hollow = false;
    const COLORREF back = BrushColor(HBRUSH(HGDIOBJ::FromLParam(answer)), &hollow);
    ApplyColors(::GetTextColor(dc), back, hollow || back == CLR_INVALID);
}

bool WidgetPeer::DefaultProc(HWND, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    result = 0;
    if (message == kInvokeMessage) {
        auto* call = reinterpret_cast<std::function<LRESULT()>*>(lParam);
        result = call ? (*call)() : 0;
        return true;
    }
    if (ControlMessage(message, wParam, lParam, result)) return true;
    return CommonMessage(message, wParam, lParam, result);
}

bool WidgetPeer::CommonMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_SETTEXT:
        SetText(ToQString(reinterpret_cast<LPCWSTR>(lParam)));
        result = TRUE;
        return true;
    case WM_GETTEXT: {
        const QString text = Text();
        auto* buffer = reinterpret_cast<LPWSTR>(lParam);
        const int capacity = static_cast<int>(wParam);
        if (!buffer || capacity <= 0) return true;
        const int n = std::min<int>(static_cast<int>(text.size()), capacity - 1);
        std::memcpy(buffer, text.utf16(), static_cast<std::size_t>(n) * sizeof(char16_t));
        buffer[n] = 0;
        result = n;
        return true;
    }
    case WM_GETTEXTLENGTH:
        result = static_cast<LRESULT>(Text().size());
        return true;
    case WM_SETFONT:
        SetFont(HFONT(HGDIOBJ::FromWParam(wParam)), LOWORD(lParam) != 0);
        return true;
    case WM_GETFONT:
        result = static_cast<LRESULT>(m_font.Value());
        return true;
    case WM_GETDLGCODE:
        result = static_cast<LRESULT>(DialogCode(reinterpret_cast<const MSG*>(lParam)));
        return true;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        FocusChanged(message == WM_SETFOCUS);
        return true;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
    case WM_MOUSEMOVE:
        MarkDefaultReached(message, wParam);
        if (message == WM_KEYDOWN && wParam == VK_F1) AskForHelp();
        return true;
    case WM_CHAR:
    case WM_SYSCHAR:
        AcceptCharacter(message, wParam);
        return true;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: {
        const HDC dc = HDC::FromWParam(wParam);
        const HWND control = HWND::FromLParam(lParam);
        if (control && control != m_hwnd) {
            LRESULT reflected = 0;
            if (CWnd* child = CWnd::FromHandle(control)) {
                if (child->OnChildNotify(message, wParam, lParam, &reflected) && reflected) {
                    result = reflected;
                    return true;
                }
            }
        }
        const bool field = message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX;
        ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
        ::SetBkColor(dc, ::GetSysColor(field ? COLOR_WINDOW : COLOR_BTNFACE));
        result = static_cast<LRESULT>(::GetSysColorBrush(field ? COLOR_WINDOW : COLOR_BTNFACE).Value());
        return true;
    }
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_DELETEITEM:
    case WM_COMPAREITEM: {
        HWND item;
        if (message == WM_DRAWITEM && lParam) item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->hwndItem;
        if (message != WM_DRAWITEM && wParam) item = ::GetDlgItem(m_hwnd, static_cast<int>(wParam));
        if (item && item != m_hwnd) {
            if (CWnd* child = CWnd::FromHandle(item)) child->OnChildNotify(message, wParam, lParam, &result);
        }
        if (message == WM_DRAWITEM || message == WM_MEASUREITEM) result = TRUE;
        return true;
    }
    case WM_HSCROLL:
    case WM_VSCROLL: {
        const HWND control = HWND::FromLParam(lParam);
        if (control && control != m_hwnd) {
            if (CWnd* child = CWnd::FromHandle(control)) child->OnChildNotify(message, wParam, lParam, &result);
        }
        return true;
    }
    case WM_ERASEBKGND: {
        const HDC dc = HDC::FromWParam(wParam);
        RECT box;
        if (::GetClipBox(dc, &box) == ERROR || box.right <= box.left) {
            box = RECT{0, 0, m_widget ? m_widget->width() : 0, m_widget ? m_widget->height() : 0};
        }
        EraseBackground(dc, QRect(box.left, box.top, box.right - box.left, box.bottom - box.top));
        result = TRUE;
        return true;
    }
    case WM_PAINT:
    case WM_SHOWWINDOW:
    case WM_ENABLE:
    case WM_SIZE:
    case WM_MOVE:
    case WM_ACTIVATE:
    case WM_CANCELMODE:
    case WM_GETMINMAXINFO:
    case WM_MOUSELEAVE:
    case WM_CONTEXTMENU:
        return true;
    case WM_SETCURSOR:
        result = FALSE;
        return true;
    case WM_NCHITTEST:
        result = HTCLIENT;
        return true;
    case WM_SETREDRAW:
        m_redraw = wParam != 0;
        if (m_widget) {
            m_widget->setUpdatesEnabled(m_redraw);
            if (m_redraw) m_widget->update();
        }
        return true;
    case WM_SYSCOMMAND:
        switch (wParam & 0xFFF0) {
        case SC_CLOSE:
            // A greyed Close in the system menu closes nothing.
            if (CMenu* menu = CMenu::SystemMenuOf(m_hwnd, false)) {
                if (menu->GetMenuState(SC_CLOSE, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)) return true;
            }
            return false;
        case SC_MINIMIZE:
            if (m_widget) m_widget->showMinimized();
            return true;
        case SC_MAXIMIZE:
            if (m_widget) m_widget->showMaximized();
            return true;
        case SC_RESTORE:
            if (m_widget) m_widget->showNormal();
            return true;
        default:
            return true;
        }
    default:
        return false;
    }
}

// ---------------------------------------------------------------- desktop

bool OnRealDisplay()
{
    const QString name = QGuiApplication::platformName();
    return !name.isEmpty() && name != QLatin1String("offscreen") && name != QLatin1String("minimal");
}

namespace {

// Whether the window manager frames windows at all: learnt from the first
// window that should have a frame, so a display without one waits once.
enum class Frames { kUnknown, kYes, kNo };
Frames g_frames = Frames::kUnknown;

bool HasFrame(const QWidget* window)
{
    return window->frameGeometry() != window->geometry();
}

}  // namespace

void WaitUntilOnScreen(QWidget* window)
{
    if (!window || !window->isWindow() || !window->isVisible() || !OnRealDisplay()) return;
    QWindow* handle = window->windowHandle();
    if (!handle) return;
    const bool framed = !(window->windowFlags() & Qt::FramelessWindowHint) &&
                        (window->windowFlags() & Qt::WindowType_Mask) != Qt::Popup &&
                        (window->windowFlags() & Qt::WindowType_Mask) != Qt::ToolTip &&
                        (window->windowFlags() & Qt::WindowType_Mask) != Qt::SplashScreen;
    // Neither input nor timers run meanwhile: nothing sees the window half shown.
    constexpr QEventLoop::ProcessEventsFlags kWaitFlags =
        QEventLoop::ExcludeUserInputEvents | QEventLoop::X11ExcludeTimers | QEventLoop::WaitForMoreEvents;
    constexpr int kExposeLimitMs = 2000;
    constexpr int kFrameLimitMs = 300;
    HoldProgramMessages hold;
    QElapsedTimer clock;
    clock.start();
    while (handle->isVisible() && !handle->isExposed() && clock.elapsed() < kExposeLimitMs) {
        QCoreApplication::processEvents(kWaitFlags, 10);
    }
    if (framed && g_frames != Frames::kNo) {
        const qint64 limit = clock.elapsed() + (g_frames == Frames::kYes ? kExposeLimitMs : kFrameLimitMs);
        while (handle->isVisible() && !HasFrame(window) && clock.elapsed() < limit) {
            QCoreApplication::processEvents(kWaitFlags, 10);
        }
        if (g_frames == Frames::kUnknown) g_frames = HasFrame(window) ? Frames::kYes : Frames::kNo;
    }
    // What is exposed is painted now, not at the next turn of the loop.
    if (handle->isExposed()) window->repaint();
}

Qt::WindowFlags TopLevelFlags(DWORD style, DWORD exStyle, Qt::WindowType kind)
{
    Qt::WindowFlags flags = (exStyle & WS_EX_TOOLWINDOW) ? Qt::Tool : kind;
    // An overlapped window always has a caption; a popup or dialog only when
    // its style says so.
    const bool overlapped = !(style & (WS_POPUP | WS_CHILD)) && kind == Qt::Window;
    if (!overlapped && (style & WS_CAPTION) != WS_CAPTION) {
        flags |= Qt::FramelessWindowHint;
    } else {
        flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
        if (style & WS_SYSMENU) {
            flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
            if (style & WS_MINIMIZEBOX) flags |= Qt::WindowMinimizeButtonHint;
            if (style & WS_MAXIMIZEBOX) flags |= Qt::WindowMaximizeButtonHint;
        }
    }
    if (exStyle & WS_EX_TOPMOST) flags |= Qt::WindowStaysOnTopHint;
    return flags;
}

bool IsFixedSizeWindow(DWORD style)
{
    if (style & WS_CHILD) return false;
    const bool overlapped = !(style & WS_POPUP);
    if (!overlapped && (style & WS_CAPTION) != WS_CAPTION) return false;
    return !(style & (WS_THICKFRAME | WS_MAXIMIZEBOX));
}

QScreen* ScreenShowing(const QRect& rect)
{
    QScreen* best = nullptr;
    qint64 bestArea = 0;
    for (QScreen* screen : QGuiApplication::screens()) {
        const QRect common = screen->geometry().intersected(rect);
        const qint64 area = common.isEmpty() ? 0 : qint64(common.width()) * common.height();
        if (area > bestArea) {
            bestArea = area;
            best = screen;
        }
    }
    return best;
}

QRect ScreenAreaFor(const QRect& rect)
{
    QScreen* best = ScreenShowing(rect);
    if (!best) best = QGuiApplication::primaryScreen();
    return best ? best->availableGeometry() : QRect(0, 0, 1024, 768);
}

void KeepOnScreen(QWidget* window)
{
    if (!window || !window->isWindow()) return;
    const QRect frame = window->frameGeometry();
    const QRect area = ScreenAreaFor(frame);
    if (area.contains(frame)) return;
    QPoint at = frame.topLeft();
    at.setX(std::max(area.left(), std::min(at.x(), area.right() + 1 - frame.width())));
    at.setY(std::max(area.top(), std::min(at.y(), area.bottom() + 1 - frame.height())));
    window->move(at);
}

// ---------------------------------------------------------------- widget

WindowWidget::WindowWidget(QWidget* parent, Qt::WindowFlags flags) : QWidget(parent, flags)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

void WindowWidget::paintEvent(QPaintEvent*)
{
    // The runtime's filter paints windows of the program through their
    // backing image; nothing else draws here.
}

}  // namespace platform::ui
