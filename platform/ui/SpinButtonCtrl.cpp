#include "platform/ui/SpinButtonCtrl.h"

#include "platform/ui/WidgetPeer.h"

#include <QBoxLayout>
#include <QKeyEvent>
#include <QTimer>
#include <QToolButton>

IMPLEMENT_DYNAMIC(CSpinButtonCtrl, CWnd)

BOOL CSpinButtonCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    return CreateEx(0, UPDOWN_CLASS, u"", dwStyle, rect, pParentWnd, nID);
}

void CSpinButtonCtrl::GetRange(int& lower, int& upper) const
{
    const DWORD range = GetRange();
    lower = static_cast<SHORT>(HIWORD(range));
    upper = static_cast<SHORT>(LOWORD(range));
}

void CSpinButtonCtrl::GetRange32(int& lower, int& upper) const
{
    SendMessage(UDM_GETRANGE32, reinterpret_cast<WPARAM>(&lower), reinterpret_cast<LPARAM>(&upper));
}

namespace platform::ui {

namespace {

constexpr int kRepeatDelayMs = 400;
constexpr int kRepeatIntervalMs = 80;

class SpinPeer final : public WidgetPeer {
public:
    SpinPeer(HWND hwnd, const CREATESTRUCTW& cs, QWidget* parent) : WidgetPeer(hwnd, cs)
    {
        const DWORD style = static_cast<DWORD>(cs.style);
        auto* widget = new QWidget(parent);
        const bool horizontal = (style & UDS_HORZ) != 0;
        auto* layout = horizontal ? static_cast<QBoxLayout*>(new QHBoxLayout(widget)) : new QVBoxLayout(widget);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        m_up = new QToolButton(widget);
        m_down = new QToolButton(widget);
        m_up->setArrowType(horizontal ? Qt::RightArrow : Qt::UpArrow);
        m_down->setArrowType(horizontal ? Qt::LeftArrow : Qt::DownArrow);
        for (QToolButton* b : {m_up.data(), m_down.data()}) {
            b->setFocusPolicy(Qt::NoFocus);
            b->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
        }
        if (horizontal) {
            layout->addWidget(m_down);
            layout->addWidget(m_up);
        } else {
            layout->addWidget(m_up);
            layout->addWidget(m_down);
        }
        // A press steps at once and again while held; the release ends the
        // scroll (the buttons' own repeat would end it at every step).
        m_repeat = new QTimer(widget);
        QObject::connect(m_repeat, &QTimer::timeout, this, [this] {
            // A release that never came (the window hidden meanwhile).
            if (!(m_up && m_up->isDown()) && !(m_down && m_down->isDown())) {
                m_repeat->stop();
                EndScroll();
                return;
            }
            m_repeat->setInterval(kRepeatIntervalMs);
            Step(m_repeatUp);
        });
        auto press = [this](bool up) {
            m_repeatUp = up;
            Step(up);
            if (m_repeat) m_repeat->start(kRepeatDelayMs);
        };
        auto release = [this] {
            if (m_repeat) m_repeat->stop();
            EndScroll();
        };
        QObject::connect(m_up, &QToolButton::pressed, this, [press] { press(true); });
        QObject::connect(m_down, &QToolButton::pressed, this, [press] { press(false); });
        QObject::connect(m_up, &QToolButton::released, this, release);
        QObject::connect(m_down, &QToolButton::released, this, release);
        widget->setFocusPolicy(Qt::NoFocus);
        Attach(widget, cs);
        if (style & UDS_AUTOBUDDY) {
            // The control just before this one in the tab order.
            if (WidgetPeer* parentPeer = Of(cs.hwndParent)) {
                const auto& siblings = parentPeer->Children();
                const auto at = std::find(siblings.begin(), siblings.end(), hwnd);
                if (at != siblings.end() && at != siblings.begin()) SetBuddy(*(at - 1));
            }
        }
    }

    ~SpinPeer() override
    {
        if (QWidget* buddy = WidgetOf(m_buddy)) buddy->removeEventFilter(this);
    }

    UINT DialogCode(const MSG*) const override { return 0; }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // Arrow keys in the buddy step the value.
        if (event->type() != QEvent::KeyPress || !(Style() & UDS_ARROWKEYS)) return false;
        QWidget* buddy = WidgetOf(m_buddy);
        if (!buddy || (watched != buddy && watched->parent() != buddy)) return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        const bool horizontal = (Style() & UDS_HORZ) != 0;
        if (key == (horizontal ? Qt::Key_Right : Qt::Key_Up)) {
            Step(true);
            EndScroll();
            return true;
        }
        if (key == (horizontal ? Qt::Key_Left : Qt::Key_Down)) {
            Step(false);
            EndScroll();
            return true;
        }
        return false;
    }

    bool ControlMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override
    {
        switch (message) {
        case UDM_SETRANGE:
            m_upper = static_cast<SHORT>(LOWORD(lParam));
            m_lower = static_cast<SHORT>(HIWORD(lParam));
            return true;
        case UDM_SETRANGE32:
            m_lower = static_cast<int>(static_cast<std::intptr_t>(wParam));
            m_upper = static_cast<int>(lParam);
            return true;
        case UDM_GETRANGE:
            result = MAKELONG(static_cast<WORD>(m_upper), static_cast<WORD>(m_lower));
            return true;
        case UDM_GETRANGE32:
            if (wParam) *reinterpret_cast<int*>(wParam) = m_lower;
            if (lParam) *reinterpret_cast<int*>(lParam) = m_upper;
            return true;
        case UDM_SETPOS:
            result = MAKELONG(static_cast<WORD>(m_pos), 0);
            SetPos(static_cast<SHORT>(LOWORD(lParam)));
            return true;
        case UDM_SETPOS32:
            result = m_pos;
            SetPos(static_cast<int>(lParam));
            return true;
        case UDM_GETPOS: {
            bool error = false;
            const int pos = ReadPos(error);
            result = MAKELONG(static_cast<WORD>(pos), error ? 1 : 0);
            return true;
        }
        case UDM_GETPOS32: {
            bool error = false;
            result = ReadPos(error);
            if (lParam) *reinterpret_cast<BOOL*>(lParam) = error ? TRUE : FALSE;
            return true;
        }
        case UDM_SETBUDDY:
            result = m_buddy.ToLParam();
            SetBuddy(HWND::FromWParam(wParam));
            return true;
        case UDM_GETBUDDY:
            result = m_buddy.ToLParam();
            return true;
        case UDM_SETBASE:
            result = m_base;
            if (wParam == 10 || wParam == 16) m_base = static_cast<int>(wParam);
            return true;
        case UDM_GETBASE:
            result = m_base;
            return true;
        case UDM_SETACCEL:
            result = TRUE;
            return true;
        case UDM_GETACCEL:
            result = 0;
            return true;
        default:
            return false;
        }
    }

private:
    int Min() const { return std::min(m_lower, m_upper); }
    int Max() const { return std::max(m_lower, m_upper); }

    void SetPos(int pos)
    {
        m_pos = std::clamp(pos, Min(), Max());
        ShowInBuddy();
    }

    void ShowInBuddy()
    {
        if (!m_buddy || !(Style() & UDS_SETBUDDYINT) || !::IsWindow(m_buddy)) return;
        CString text;
        if (m_base == 16) {
            text.Format(u"0x%04X", m_pos);
        } else {
            text.Format(u"%d", m_pos);
        }
        ::SetWindowTextW(m_buddy, text.GetString());
    }

    // With a buddy that shows the number, the number is read back from it.
    int ReadPos(bool& error) const
    {
        error = false;
        if (!m_buddy || !(Style() & UDS_SETBUDDYINT) || !::IsWindow(m_buddy)) return m_pos;
        char16_t buffer[64] = {};
        ::GetWindowTextW(m_buddy, buffer, 64);
        const QString text = QString::fromUtf16(buffer).trimmed();
        bool ok = false;
        const int value = m_base == 16 ? text.toInt(&ok, 16) : text.toInt(&ok, 10);
        if (!ok || value < Min() || value > Max()) {
            error = true;
            return ok ? std::clamp(value, Min(), Max()) : m_pos;
        }
        return value;
    }

    void SetBuddy(HWND buddy)
    {
        if (QWidget* old = WidgetOf(m_buddy)) {
            old->removeEventFilter(this);
            for (QObject* child : old->children()) child->removeEventFilter(this);
        }
        m_buddy = buddy;
        QWidget* widget = WidgetOf(buddy);
        if (!widget || !m_widget) return;
        widget->installEventFilter(this);
        const DWORD style = Style();
        if (style & (UDS_ALIGNRIGHT | UDS_ALIGNLEFT)) {
            // The spin stands beside the buddy, which gives up the room.
            const QRect b = widget->geometry();
            const int w = std::max(1, m_widget->width());
            if (style & UDS_ALIGNRIGHT) {
                ::MoveWindow(buddy, b.x(), b.y(), std::max(0, b.width() - w), b.height(), TRUE);
                m_widget->setGeometry(b.x() + std::max(0, b.width() - w), b.y(), w, b.height());
            } else {
                ::MoveWindow(buddy, b.x() + w, b.y(), std::max(0, b.width() - w), b.height(), TRUE);
                m_widget->setGeometry(b.x(), b.y(), w, b.height());
            }
        }
    }

    // An arrow: up moves toward the upper limit.
    void Step(bool up)
    {
        bool error = false;
        m_pos = ReadPos(error);
        NMUPDOWN info;
        info.iPos = m_pos;
        info.iDelta = (up == (m_upper >= m_lower)) ? 1 : -1;
        if (NotifyParent(info.hdr, UDN_DELTAPOS)) return;
        if (!::IsWindow(m_hwnd)) return;
        long long next = static_cast<long long>(m_pos) + info.iDelta;
        if (next > Max()) next = (Style() & UDS_WRAP) ? Min() : Max();
        if (next < Min()) next = (Style() & UDS_WRAP) ? Max() : Min();
        const bool moved = next != m_pos;
        m_pos = static_cast<int>(next);
        if (moved) ShowInBuddy();
        const UINT scroll = (Style() & UDS_HORZ) ? WM_HSCROLL : WM_VSCROLL;
        ::SendMessageW(ParentHandle(), scroll, MAKEWPARAM(SB_THUMBPOSITION, static_cast<WORD>(m_pos)), m_hwnd.ToLParam());
    }

    void EndScroll()
    {
        if (!::IsWindow(m_hwnd)) return;
        const UINT scroll = (Style() & UDS_HORZ) ? WM_HSCROLL : WM_VSCROLL;
        ::SendMessageW(ParentHandle(), scroll, MAKEWPARAM(SB_ENDSCROLL, static_cast<WORD>(m_pos)), m_hwnd.ToLParam());
    }

    QPointer<QToolButton> m_up;
    QPointer<QTimer> m_repeat;
    bool m_repeatUp = true;
    QPointer<QToolButton> m_down;
    HWND m_buddy;
    int m_lower = 100;
    int m_upper = 0;
    int m_pos = 0;
    int m_base = 10;
};

std::unique_ptr<WidgetPeer> MakeSpin(HWND hwnd, const CREATESTRUCTW& cs, QWidget* parent)
{
    return std::make_unique<SpinPeer>(hwnd, cs, parent);
}

const bool kRegistered = RegisterWindowClass(UPDOWN_CLASS, &MakeSpin, &NewStandIn<CSpinButtonCtrl>);

}  // namespace

}  // namespace platform::ui
