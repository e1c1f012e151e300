#include "platform/ui/Button.h"

#include "platform/ui/WidgetPeer.h"
#include "platform/ui/WindowSurface.h"

#include <QCheckBox>
#include <QIcon>
#include <QPixmap>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

#include <functional>

IMPLEMENT_DYNAMIC(CButton, CWnd)

BOOL CButton::Create(LPCTSTR lpszCaption, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    return CreateEx(0, u"Button", lpszCaption, dwStyle, rect, pParentWnd, nID);
}

HICON CButton::SetIcon(HICON hIcon)
{
    return HICON::FromLParam(SendMessage(BM_SETIMAGE, IMAGE_ICON, hIcon.ToLParam()));
}

HICON CButton::GetIcon() const { return HICON::FromLParam(SendMessage(BM_GETIMAGE, IMAGE_ICON)); }

HBITMAP CButton::SetBitmap(HBITMAP hBitmap)
{
    return HBITMAP(HGDIOBJ::FromLParam(SendMessage(BM_SETIMAGE, IMAGE_BITMAP, hBitmap.ToLParam())));
}

HBITMAP CButton::GetBitmap() const { return HBITMAP(HGDIOBJ::FromLParam(SendMessage(BM_GETIMAGE, IMAGE_BITMAP))); }

void CButton::DrawItem(DRAWITEMSTRUCT*) {}

BOOL CButton::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (message != WM_DRAWITEM) return CWnd::OnChildNotify(message, wParam, lParam, pResult);
    DrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
    if (pResult) *pResult = TRUE;
    return TRUE;
}

namespace platform::ui {

namespace {

// Clicking decides the next state: the window's style says whether the
// button changes itself (the automatic kinds) or leaves it to the program.
class CheckBoxWidget final : public QCheckBox {
public:
    CheckBoxWidget(QWidget* parent, std::function<void()> next) : QCheckBox(parent), m_next(std::move(next)) {}

protected:
    void nextCheckState() override { m_next(); }
    // The whole window is the button, not only the box and its text.
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }

private:
    std::function<void()> m_next;
};

class RadioWidget final : public QRadioButton {
public:
    RadioWidget(QWidget* parent, std::function<void()> next) : QRadioButton(parent), m_next(std::move(next)) {}

protected:
    void nextCheckState() override { m_next(); }
    // The whole window is the button, not only the box and its text.
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }

private:
    std::function<void()> m_next;
};

class PushWidget final : public QPushButton {
public:
    PushWidget(QWidget* parent, std::function<void()> next) : QPushButton(parent), m_next(std::move(next)) {}

protected:
    void nextCheckState() override { m_next(); }

private:
    std::function<void()> m_next;
};

class ButtonPeer final : public WidgetPeer {
public:
    ButtonPeer(HWND hwnd, const CREATESTRUCTW& cs, QWidget* parent) : WidgetPeer(hwnd, cs)
    {
        const DWORD type = static_cast<DWORD>(cs.style) & BS_TYPEMASK;
        QWidget* widget = nullptr;
        auto next = [this] { NextState(); };
        switch (type) {
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_3STATE:
        case BS_AUTO3STATE: {
            auto* box = new CheckBoxWidget(parent, next);
            box->setTristate(type == BS_3STATE || type == BS_AUTO3STATE);
            if (cs.style & static_cast<LONG>(BS_LEFTTEXT)) box->setLayoutDirection(Qt::RightToLeft);
            m_button = box;
            widget = box;
            break;
        }
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON: {
            auto* radio = new RadioWidget(parent, next);
            radio->setAutoExclusive(false);
            if (cs.style & static_cast<LONG>(BS_LEFTTEXT)) radio->setLayoutDirection(Qt::RightToLeft);
            m_button = radio;
            widget = radio;
            break;
        }
        case BS_GROUPBOX: {
            auto* group = new QGroupBox(parent);
            group->setAttribute(Qt::WA_TransparentForMouseEvents);
            group->setFocusPolicy(Qt::NoFocus);
            m_group = group;
            widget = group;
            break;
        }
        default: {
            auto* push = new PushWidget(parent, next);
            push->setAutoDefault(false);
            push->setDefault(type == BS_DEFPUSHBUTTON);
            push->setMouseTracking(true);
            m_button = push;
            widget = push;
            break;
        }
        }
        if (m_button) {
            QObject::connect(m_button, &QAbstractButton::clicked, this, [this] { NotifyCommand(BN_CLICKED); });
        }
        Attach(widget, cs);
        SetText(m_text);
    }

    QString Text() const override { return m_text; }

    void SetText(const QString& text) override
    {
        m_text = text;
        if (m_button) m_button->setText(text);
        if (m_group) m_group->setTitle(text);
    }

    bool IsOwnerDrawn() const override { return (Style() & BS_TYPEMASK) == BS_OWNERDRAW; }

    void FillDrawItem(DRAWITEMSTRUCT& item) const override
    {
        item.CtlType = ODT_BUTTON;
        if (!m_button) return;
        if (m_button->isDown()) item.itemState |= ODS_SELECTED;
        if (m_button->hasFocus()) item.itemState |= ODS_FOCUS;
        if (!m_button->isEnabled()) item.itemState |= ODS_DISABLED;
        if (m_button->isChecked()) item.itemState |= ODS_CHECKED;
    }

    UINT CtlColorMessage() const override
    {
        const DWORD type = Type();
        return (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON || type == BS_OWNERDRAW || type == BS_PUSHBOX)
                   ? WM_CTLCOLORBTN
                   : WM_CTLCOLORSTATIC;
    }

    void ApplyColors(COLORREF text, COLORREF back, bool transparent) override
    {
        QWidget* w = m_widget;
        if (!w || CtlColorMessage() != WM_CTLCOLORSTATIC) return;
        QPalette palette = w->palette();
        // Check boxes and radio buttons fill with the Button role, group
        // boxes with Window: set the widget's own roles.
        if (text != CLR_INVALID) {
            SetEnabledColor(palette, QPalette::WindowText, ToQColor(text), (Style() & WS_DISABLED) != 0);
            SetEnabledColor(palette, QPalette::ButtonText, ToQColor(text), (Style() & WS_DISABLED) != 0);
        }
        const bool fill = !transparent && back != CLR_INVALID;
        if (fill) palette.setColor(w->backgroundRole(), ToQColor(back));
        if (palette != w->palette()) w->setPalette(palette);
        if (w->autoFillBackground() != fill) w->setAutoFillBackground(fill);
    }

    UINT DialogCode(const MSG*) const override
    {
        switch (Type()) {
        case BS_DEFPUSHBUTTON: return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
        case BS_PUSHBUTTON:
        case BS_PUSHBOX:
        case BS_OWNERDRAW:
        case BS_USERBUTTON: return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON: return DLGC_BUTTON | DLGC_RADIOBUTTON;
        case BS_GROUPBOX: return DLGC_STATIC;
        default: return DLGC_BUTTON;
        }
    }

    void FocusChanged(bool gained) override
    {
        if (Style() & BS_NOTIFY) NotifyCommand(gained ? BN_SETFOCUS : BN_KILLFOCUS);
    }

    bool ControlMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override
    {
        switch (message) {
        case BM_GETCHECK:
            result = static_cast<LRESULT>(Check());
            return true;
        case BM_SETCHECK:
            SetCheck(static_cast<UINT>(wParam));
            return true;
        case BM_GETSTATE: {
            UINT state = Check();
            if (m_button && m_button->isDown()) state |= BST_PUSHED;
            if (m_widget && m_widget->hasFocus()) state |= BST_FOCUS;
            result = static_cast<LRESULT>(state);
            return true;
        }
        case BM_SETSTATE:
            if (m_button) m_button->setDown(wParam != 0);
            return true;
        case BM_SETSTYLE: {
            const DWORD style = (Style() & ~0xFFFFu) | LOWORD(wParam);
            ::SetWindowLongPtrW(m_hwnd, GWL_STYLE, static_cast<LONG_PTR>(style));
            if (auto* push = qobject_cast<QPushButton*>(m_button)) push->setDefault(Type() == BS_DEFPUSHBUTTON);
            if (m_widget) m_widget->update();
            return true;
        }
        case BM_CLICK:
            if (m_button && m_button->isEnabled()) m_button->click();
            return true;
        case BM_SETIMAGE:
            if (wParam == IMAGE_ICON) {
                result = m_icon.ToLParam();
                m_icon = HICON::FromLParam(lParam);
                ShowImage(ImageFromIcon(m_icon));
            } else if (wParam == IMAGE_BITMAP) {
                result = m_bitmap.ToLParam();
                m_bitmap = HBITMAP(HGDIOBJ::FromLParam(lParam));
                ShowImage(ImageFromBitmap(m_bitmap));
            }
            return true;
        case BM_GETIMAGE:
            result = wParam == IMAGE_ICON ? m_icon.ToLParam() : m_bitmap.ToLParam();
            return true;
        case WM_LBUTTONDBLCLK:
            MarkDefaultReached(message, wParam);
            if ((Style() & BS_NOTIFY) || Type() == BS_OWNERDRAW || Type() == BS_RADIOBUTTON ||
                Type() == BS_AUTORADIOBUTTON) {
                NotifyCommand(BN_DOUBLECLICKED);
            }
            return true;
        default:
            return false;
        }
    }

private:
    DWORD Type() const { return Style() & BS_TYPEMASK; }

    void ShowImage(const QImage& image)
    {
        if (!m_button) return;
        m_button->setIcon(image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image)));
        if (!image.isNull()) m_button->setIconSize(image.size());
    }

    UINT Check() const
    {
        if (!m_button || !m_button->isCheckable()) return BST_UNCHECKED;
        if (auto* box = qobject_cast<QCheckBox*>(m_button)) {
            switch (box->checkState()) {
            case Qt::Checked: return BST_CHECKED;
            case Qt::PartiallyChecked: return BST_INDETERMINATE;
            default: return BST_UNCHECKED;
            }
        }
        return m_button->isChecked() ? BST_CHECKED : BST_UNCHECKED;
    }

    void SetCheck(UINT state)
    {
        if (!m_button) return;
        const QSignalBlocker block(m_button);
        if (auto* box = qobject_cast<QCheckBox*>(m_button)) {
            box->setCheckable(true);
            if (state == BST_INDETERMINATE && box->isTristate()) {
                box->setCheckState(Qt::PartiallyChecked);
            } else {
                box->setCheckState(state == BST_UNCHECKED ? Qt::Unchecked : Qt::Checked);
            }
        } else if (qobject_cast<QRadioButton*>(m_button)) {
            m_button->setCheckable(true);
            m_button->setChecked(state != BST_UNCHECKED);
        }
    }

    // A click: automatic kinds change their state; others leave it.
    void NextState()
    {
        switch (Type()) {
        case BS_AUTOCHECKBOX:
            SetCheck(Check() == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
            break;
        case BS_AUTO3STATE:
            SetCheck(Check() == BST_UNCHECKED ? BST_CHECKED
                     : Check() == BST_CHECKED ? BST_INDETERMINATE
                                              : BST_UNCHECKED);
            break;
        case BS_AUTORADIOBUTTON:
            UncheckGroup();
            SetCheck(BST_CHECKED);
            break;
        default:
            break;
        }
    }

    // The other automatic radio buttons of the WS_GROUP group.
    void UncheckGroup()
    {
        WidgetPeer* parent = Of(ParentHandle());
        if (!parent) return;
        const std::vector<HWND> siblings = parent->Children();
        const auto at = std::find(siblings.begin(), siblings.end(), m_hwnd);
        if (at == siblings.end()) return;
        auto first = at;
        while (first != siblings.begin() && !(::GetWindowLongPtrW(*first, GWL_STYLE) & WS_GROUP)) --first;
        auto last = at + 1;
        while (last != siblings.end() && !(::GetWindowLongPtrW(*last, GWL_STYLE) & WS_GROUP)) ++last;
        for (auto it = first; it != last; ++it) {
            if (*it == m_hwnd) continue;
            const DWORD style = static_cast<DWORD>(::GetWindowLongPtrW(*it, GWL_STYLE));
            if ((style & BS_TYPEMASK) == BS_AUTORADIOBUTTON &&
                (::SendMessageW(*it, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON)) {
                ::SendMessageW(*it, BM_SETCHECK, BST_UNCHECKED, 0);
            }
        }
    }

    QPointer<QAbstractButton> m_button;
    QPointer<QGroupBox> m_group;
    HICON m_icon;
    HBITMAP m_bitmap;
};

std::unique_ptr<WidgetPeer> MakeButton(HWND hwnd, const CREATESTRUCTW& cs, QWidget* parent)
{
    return std::make_unique<ButtonPeer>(hwnd, cs, parent);
}

const bool kRegistered = RegisterWindowClass(u"Button", &MakeButton, &NewStandIn<CButton>);

}  // namespace

}  // namespace platform::ui
