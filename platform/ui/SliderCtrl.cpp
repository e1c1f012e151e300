#include "platform/ui/SliderCtrl.h"

#include "platform/ui/WidgetPeer.h"

#include <QSlider>

IMPLEMENT_DYNAMIC(CSliderCtrl, CWnd)

BOOL CSliderCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    return CreateEx(0, TRACKBAR_CLASS, u"", dwStyle, rect, pParentWnd, nID);
}

namespace platform::ui {

namespace {

UINT CodeOf(int action)
{
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd: return TB_LINEDOWN;
    case QAbstractSlider::SliderSingleStepSub: return TB_LINEUP;
    case QAbstractSlider::SliderPageStepAdd: return TB_PAGEDOWN;
    case QAbstractSlider::SliderPageStepSub: return TB_PAGEUP;
    case QAbstractSlider::SliderToMinimum: return TB_TOP;
    case QAbstractSlider::SliderToMaximum: return TB_BOTTOM;
    case QAbstractSlider::SliderMove: return TB_THUMBTRACK;
    default: return TB_ENDTRACK;
    }
}

class SliderPeer final : public WidgetPeer {
public:
    SliderPeer(HWND hwnd, const CREATESTRUCTW& cs, QWidget* parent) : WidgetPeer(hwnd, cs)
    {
        const DWORD style = static_cast<DWORD>(cs.style);
        auto* slider = new QSlider((style & TBS_VERT) ? Qt::Vertical : Qt::Horizontal, parent);
        slider->setRange(0, 100);
        slider->setSingleStep(1);
        slider->setPageStep(20);
        if (style & TBS_NOTICKS) {
            slider->setTickPosition(QSlider::NoTicks);
        } else if (style & TBS_BOTH) {
            slider->setTickPosition(QSlider::TicksBothSides);
        } else if (style & TBS_TOP) {
            slider->setTickPosition(QSlider::TicksAbove);
        } else {
            slider->setTickPosition(QSlider::TicksBelow);
        }
        slider->setTickInterval((style & TBS_AUTOTICKS) ? 1 : 0);
        m_slider = slider;
        QObject::connect(slider, &QSlider::actionTriggered, this, [this](int action) { m_code = CodeOf(action); });
        QObject::connect(slider, &QSlider::valueChanged, this, [this](int value) {
            if (m_program) return;
            Scroll(m_code, value);
            if (m_code != TB_THUMBTRACK && ::IsWindow(m_hwnd)) Scroll(TB_ENDTRACK, value);
        });
        QObject::connect(slider, &QSlider::sliderReleased, this, [this] {
            if (!m_slider) return;
            Scroll(TB_THUMBPOSITION, m_slider->value());
            if (::IsWindow(m_hwnd)) Scroll(TB_ENDTRACK, m_slider->value());
        });
        Attach(slider, cs);
    }

    UINT DialogCode(const MSG*) const override { return DLGC_WANTARROWS; }

    bool ControlMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override
    {
        if (!m_slider) return false;
        const ProgramChange change(*this);
        switch (message) {
        case TBM_GETPOS:
            result = m_slider->value();
            return true;
        case TBM_SETPOS:
            m_slider->setValue(static_cast<int>(lParam));
            return true;
        case TBM_GETRANGEMIN:
            result = m_slider->minimum();
            return true;
        case TBM_GETRANGEMAX:
            result = m_slider->maximum();
            return true;
        case TBM_SETRANGE:
            m_slider->setRange(static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam)));
            return true;
        case TBM_SETRANGEMIN:
            m_slider->setMinimum(static_cast<int>(lParam));
            return true;
        case TBM_SETRANGEMAX:
            m_slider->setMaximum(static_cast<int>(lParam));
            return true;
        case TBM_SETTICFREQ:
            m_slider->setTickInterval(static_cast<int>(wParam));
            return true;
        case TBM_SETTIC:
        case TBM_CLEARTICS:
            result = TRUE;
            return true;
        case TBM_GETNUMTICS:
            result = m_slider->tickInterval() > 0 ? (m_slider->maximum() - m_slider->minimum()) / m_slider->tickInterval() + 1 : 2;
            return true;
        case TBM_SETPAGESIZE:
            result = m_slider->pageStep();
            m_slider->setPageStep(static_cast<int>(lParam));
            return true;
        case TBM_GETPAGESIZE:
            result = m_slider->pageStep();
            return true;
        case TBM_SETLINESIZE:
            result = m_slider->singleStep();
            m_slider->setSingleStep(static_cast<int>(lParam));
            return true;
        case TBM_GETLINESIZE:
            result = m_slider->singleStep();
            return true;
        default:
            return false;
        }
    }

private:
    struct ProgramChange {
        explicit ProgramChange(SliderPeer& p) : peer(p), saved(p.m_program) { p.m_program = true; }
        ~ProgramChange() { peer.m_program = saved; }
        SliderPeer& peer;
        bool saved;
    };

    void Scroll(UINT code, int value)
    {
        const UINT message = (Style() & TBS_VERT) ? WM_VSCROLL : WM_HSCROLL;
        ::SendMessageW(ParentHandle(), message, MAKEWPARAM(static_cast<WORD>(code), static_cast<WORD>(value)), m_hwnd.ToLParam());
    }

    QPointer<QSlider> m_slider;
    UINT m_code = TB_THUMBTRACK;
    bool m_program = false;
};

std::unique_ptr<WidgetPeer> MakeSlider(HWND hwnd, const CREATESTRUCTW& cs, QWidget* parent)
{
    return std::make_unique<SliderPeer>(hwnd, cs, parent);
}

const bool kRegistered = RegisterWindowClass(TRACKBAR_CLASS, &MakeSlider, &NewStandIn<CSliderCtrl>);

}  // namespace

}  // namespace platform::ui
