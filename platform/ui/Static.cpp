#include "platform/ui/Static.h"

#include "platform/ui/WidgetPeer.h"
#include "platform/ui/WindowSurface.h"

#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QPointer>

IMPLEMENT_DYNAMIC(CStatic, CWnd)

BOOL CStatic::Create(LPCTSTR lpszText, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    return CreateEx(0, u"Static", lpszText, dwStyle, rect, pParentWnd, nID);
}

void CStatic::DrawItem(DRAWITEMSTRUCT*) {}

BOOL CStatic::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (message != WM_DRAWITEM) return CWnd::OnChildNotify(message, wParam, lParam, pResult);
    DrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
    if (pResult) *pResult = TRUE;
    return TRUE;
}

namespace platform::ui {

namespace {

class StaticPeer final : public WidgetPeer {
public:
    StaticPeer(HWND hwnd, const CREATESTRUCTW& cs, QWidget* parent) : WidgetPeer(hwnd, cs)
    {
        const DWORD style = static_cast<DWORD>(cs.style);
        const DWORD type = style & SS_TYPEMASK;
        QWidget* widget = nullptr;
        switch (type) {
        case SS_BLACKRECT:
        case SS_GRAYRECT:
        case SS_WHITERECT: {
            auto* frame = new QFrame(parent);
            frame->setAutoFillBackground(true);
            const int color = type == SS_BLACKRECT ? COLOR_WINDOWFRAME : type == SS_GRAYRECT ? COLOR_BTNSHADOW : COLOR_WINDOW;
            QPalette palette = frame->palette();
            palette.setColor(QPalette::Window, ToQColor(::GetSysColor(color)));
            frame->setPalette(palette);
            widget = frame;
            break;
        }
        case SS_BLACKFRAME:
        case SS_GRAYFRAME:
        case SS_WHITEFRAME:
        case SS_ETCHEDFRAME:
        case SS_ETCHEDHORZ:
        case SS_ETCHEDVERT: {
            auto* frame = new QFrame(parent);
            if (type == SS_ETCHEDHORZ) {
                frame->setFrameStyle(QFrame::HLine | QFrame::Sunken);
            } else if (type == SS_ETCHEDVERT) {
                frame->setFrameStyle(QFrame::VLine | QFrame::Sunken);
            } else if (type == SS_ETCHEDFRAME) {
                frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
            } else {
                frame->setFrameStyle(QFrame::Box | QFrame::Plain);
                const int color = type == SS_BLACKFRAME   ? COLOR_WINDOWFRAME
                                  : type == SS_GRAYFRAME ? COLOR_BTNSHADOW
                                                         : COLOR_WINDOW;
                QPalette palette = frame->palette();
                palette.setColor(QPalette::WindowText, ToQColor(::GetSysColor(color)));
                frame->setPalette(palette);
            }
            widget = frame;
            break;
        }
        case SS_OWNERDRAW:
            widget = new QWidget(parent);
            break;
        default: {
            auto* label = new QLabel(parent);
            label->setTextFormat(Qt::PlainText);
            Qt::Alignment align = type == SS_CENTER ? Qt::AlignHCenter : type == SS_RIGHT ? Qt::AlignRight : Qt::AlignLeft;
            const bool image = type == SS_ICON || type == SS_BITMAP;
            if (image) align = Qt::AlignLeft;
            align |= (style & SS_CENTERIMAGE) || (image && (style & SS_CENTERIMAGE)) ? Qt::AlignVCenter : Qt::AlignTop;
            if (image && (style & SS_CENTERIMAGE)) align = Qt::AlignCenter;
            label->setAlignment(align);
            label->setWordWrap(type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT);
            if (style & SS_SUNKEN) label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            m_label = label;
            widget = label;
            break;
        }
        }
        // Statics without SS_NOTIFY let clicks through to the window below.
        if (!(style & SS_NOTIFY) && type != SS_OWNERDRAW) widget->setAttribute(Qt::WA_TransparentForMouseEvents);
        widget->setFocusPolicy(Qt::NoFocus);
        Attach(widget, cs);
        SetText(m_text);
    }

    QString Text() const override { return m_text; }

    void SetText(const QString& text) override
    {
        m_text = text;
        const DWORD type = Style() & SS_TYPEMASK;
        if (!m_label || type == SS_ICON || type == SS_BITMAP) return;
        // With a control to focus, the label shows its mnemonic underlined
        // and Alt with the letter focuses that control.
        const bool mnemonic = !(Style() & SS_NOPREFIX) && m_buddy;
        m_label->setBuddy(mnemonic ? m_buddy.data() : nullptr);
        m_label->setText(mnemonic || (Style() & SS_NOPREFIX) ? text : WithoutMnemonics(text));
    }

    void SetBuddy(QWidget* buddy)
    {
        m_buddy = buddy;
        SetText(m_text);
    }

    bool HasMnemonic() const
    {
        if (!m_label || (Style() & SS_NOPREFIX)) return false;
        return WithoutMnemonics(m_text) != QString(m_text).replace(QStringLiteral("&&"), QStringLiteral("&"));
    }

    bool IsOwnerDrawn() const override { return (Style() & SS_TYPEMASK) == SS_OWNERDRAW; }

    void FillDrawItem(DRAWITEMSTRUCT& item) const override
    {
        item.CtlType = ODT_STATIC;
        if (m_widget && !m_widget->isEnabled()) item.itemState |= ODS_DISABLED;
    }

    UINT CtlColorMessage() const override { return m_label ? WM_CTLCOLORSTATIC : 0; }

    void ApplyColors(COLORREF text, COLORREF back, bool transparent) override
    {
        if (!m_label) return;
        QPalette palette = m_label->palette();
        if (text != CLR_INVALID) SetEnabledColor(palette, QPalette::WindowText, ToQColor(text), (Style() & WS_DISABLED) != 0);
        const bool fill = !transparent && back != CLR_INVALID;
        if (fill) SetEnabledColor(palette, QPalette::Window, ToQColor(back), (Style() & WS_DISABLED) != 0);
        if (palette != m_label->palette()) m_label->setPalette(palette);
        if (m_label->autoFillBackground() != fill) m_label->setAutoFillBackground(fill);
    }

    UINT DialogCode(const MSG*) const override { return DLGC_STATIC; }

private:
    QPointer<QWidget> m_buddy;

public:

    bool ControlMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override
    {
        switch (message) {
        case STM_SETICON:
            result = m_icon.ToLParam();
            m_icon = HICON::FromWParam(wParam);
            ShowImage(ImageFromIcon(m_icon));
            return true;
        case STM_GETICON:
            result = m_icon.ToLParam();
            return true;
        case STM_SETIMAGE:
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
        case STM_GETIMAGE:
            result = wParam == IMAGE_ICON ? m_icon.ToLParam() : m_bitmap.ToLParam();
            return true;
        case WM_LBUTTONDOWN:
            MarkDefaultReached(message, wParam);
            if (Style() & SS_NOTIFY) NotifyCommand(STN_CLICKED);
            return true;
        case WM_LBUTTONDBLCLK:
            MarkDefaultReached(message, wParam);
            if (Style() & SS_NOTIFY) NotifyCommand(STN_DBLCLK);
            return true;
        case WM_ENABLE:
            if (Style() & SS_NOTIFY) NotifyCommand(wParam ? STN_ENABLE : STN_DISABLE);
            return true;
        default:
            return false;
        }
    }

private:
    void ShowImage(const QImage& image)
    {
        if (!m_label) return;
        if (image.isNull()) {
            m_label->clear();
            return;
        }
        m_label->setPixmap(QPixmap::fromImage(image));
        // An icon or bitmap static takes the picture's size, as the system's does.
        const DWORD style = Style();
        if (!(style & (SS_CENTERIMAGE | SS_REALSIZECONTROL)) && m_widget) m_widget->resize(image.size());
    }

    QPointer<QLabel> m_label;
    HICON m_icon;
    HBITMAP m_bitmap;
};

}  // namespace

void LinkLabelMnemonics(HWND parent)
{
    WidgetPeer* peer = WidgetPeer::Of(parent);
    if (!peer) return;
    const std::vector<HWND> children = peer->Children();
    for (auto it = children.begin(); it != children.end(); ++it) {
        auto* label = dynamic_cast<StaticPeer*>(WidgetPeer::Of(*it));
        if (!label || !label->HasMnemonic()) continue;
        // The control after the label in the tab order takes the focus.
        for (auto next = it + 1; next != children.end(); ++next) {
            if (dynamic_cast<StaticPeer*>(WidgetPeer::Of(*next))) continue;
            if (!(::GetWindowLongPtrW(*next, GWL_STYLE) & WS_TABSTOP)) continue;
            WidgetPeer* target = WidgetPeer::Of(*next);
            if (target && target->FocusWidget()) label->SetBuddy(target->FocusWidget());
            break;
        }
    }
}

namespace {

std::unique_ptr<WidgetPeer> MakeStatic(HWND hwnd, const CREATESTRUCTW& cs, QWidget* parent)
{
    return std::make_unique<StaticPeer>(hwnd, cs, parent);
}

const bool kRegistered = RegisterWindowClass(u"Static", &MakeStatic, &NewStandIn<CStatic>);

}  // namespace

}  // namespace platform::ui
