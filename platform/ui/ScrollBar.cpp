#include "platform/ui/ScrollBar.h"

#include "platform/ui/WidgetPeer.h"

#include <QScrollBar>

IMPLEMENT_DYNAMIC(CScrollBar, CWnd)

BOOL CScrollBar::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    return CreateEx(0, u"ScrollBar", u"", dwStyle, rect, pParentWnd, nID);
}

int CScrollBar::GetScrollLimit() const
{
    SCROLLINFO info;
    if (!GetScrollInfo(&info, SIF_RANGE | SIF_PAGE)) return 0;
    return info.nMax - static_cast<int>(std::max(info.nPage, 1u)) + 1;
}

int SetScrollPos(HWND hWnd, int bar, int pos, BOOL redraw)
{
    return bar == SB_CTL ? static_cast<int>(::SendMessageW(hWnd, SBM_SETPOS, static_cast<WPARAM>(pos), redraw)) : 0;
}

int GetScrollPos(HWND hWnd, int bar) { return bar == SB_CTL ? static_cast<int>(::SendMessageW(hWnd, SBM_GETPOS, 0, 0)) : 0; }

BOOL SetScrollRange(HWND hWnd, int bar, int minPos, int maxPos, BOOL redraw)
{
    if (bar != SB_CTL) return FALSE;
    ::SendMessageW(hWnd, redraw ? SBM_SETRANGEREDRAW : SBM_SETRANGE, static_cast<WPARAM>(minPos), maxPos);
    return TRUE;
}

BOOL GetScrollRange(HWND hWnd, int bar, int* minPos, int* maxPos)
{
    if (bar != SB_CTL) return FALSE;
    ::SendMessageW(hWnd, SBM_GETRANGE, reinterpret_cast<WPARAM>(minPos), reinterpret_cast<LPARAM>(maxPos));
    return TRUE;
}

int SetScrollInfo(HWND hWnd, int bar, const SCROLLINFO* info, BOOL redraw)
{
    return bar == SB_CTL ? static_cast<int>(::SendMessageW(hWnd, SBM_SETSCROLLINFO, redraw, reinterpret_cast<LPARAM>(info))) : 0;
}

BOOL GetScrollInfo(HWND hWnd, int bar, SCROLLINFO* info)
{
    return bar == SB_CTL ? static_cast<BOOL>(::SendMessageW(hWnd, SBM_GETSCROLLINFO, 0, reinterpret_cast<LPARAM>(info))) : FALSE;
}

namespace platform::ui {

namespace {

UINT CodeOf(int action)
{
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd: return SB_LINEDOWN;
    case QAbstractSlider::SliderSingleStepSub: return SB_LINEUP;
    case QAbstractSlider::SliderPageStepAdd: return SB_PAGEDOWN;
    case QAbstractSlider::SliderPageStepSub: return SB_PAGEUP;
    case QAbstractSlider::SliderToMinimum: return SB_TOP;
    case QAbstractSlider::SliderToMaximum: return SB_BOTTOM;
    default: return SB_THUMBTRACK;
    }
}

class ScrollBarPeer final : public WidgetPeer {
public:
    ScrollBarPeer(HWND hwnd, const CREATESTRUCTW& cs, QWidget* parent) : WidgetPeer(hwnd, cs)
    {
        auto* bar = new QScrollBar((cs.style & static_cast<LONG>(SBS_VERT)) ? Qt::Vertical : Qt::Horizontal, parent);
        bar->setTracking(false);
        m_bar = bar;
        Apply();
        QObject::connect(bar, &QScrollBar::actionTriggered, this, [this](int action) { Action(action); });
        QObject::connect(bar, &QScrollBar::sliderReleased, this, [this] {
            if (!m_bar) return;
            const int pos = m_bar->sliderPosition();
            Scroll(SB_THUMBPOSITION, pos);
            if (!::IsWindow(m_hwnd) || !m_bar) return;
            Scroll(SB_ENDSCROLL, m_pos);
            if (m_bar) Apply();
        });
        Attach(bar, cs);
    }

    UINT DialogCode(const MSG*) const override { return DLGC_WANTARROWS; }

    bool ControlMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override
    {
        switch (message) {
        case SBM_SETPOS:
            result = m_pos;
            m_pos = Clamp(static_cast<int>(static_cast<std::intptr_t>(wParam)));
            Apply();
            return true;
        case SBM_GETPOS:
            result = m_pos;
            return true;
        case SBM_SETRANGE:
        case SBM_SETRANGEREDRAW:
            result = m_pos;
            m_min = static_cast<int>(static_cast<std::intptr_t>(wParam));
            m_max = static_cast<int>(lParam);
            m_pos = Clamp(m_pos);
            Apply();
            return true;
        case SBM_GETRANGE:
            if (wParam) *reinterpret_cast<int*>(wParam) = m_min;
            if (lParam) *reinterpret_cast<int*>(lParam) = m_max;
            return true;
        case SBM_SETSCROLLINFO: {
            auto* info = reinterpret_cast<const SCROLLINFO*>(lParam);
            if (!info) return true;
            if (info->fMask & SIF_RANGE) {
                m_min = info->nMin;
                m_max = info->nMax;
            }
            if (info->fMask & SIF_PAGE) m_page = info->nPage;
            if (info->fMask & SIF_POS) m_pos = info->nPos;
            m_pos = Clamp(m_pos);
            Apply();
            result = m_pos;
            return true;
        }
        case SBM_GETSCROLLINFO: {
            auto* info = reinterpret_cast<SCROLLINFO*>(lParam);
            if (!info) {
                result = FALSE;
                return true;
            }
            if (info->fMask & SIF_RANGE) {
                info->nMin = m_min;
                info->nMax = m_max;
            }
            if (info->fMask & SIF_PAGE) info->nPage = m_page;
            if (info->fMask & SIF_POS) info->nPos = m_pos;
            if (info->fMask & SIF_TRACKPOS) info->nTrackPos = m_bar ? m_bar->sliderPosition() : m_pos;
            result = TRUE;
            return true;
        }
        case SBM_ENABLE_ARROWS:
            if (m_bar) m_bar->setEnabled(wParam != ESB_DISABLE_BOTH);
            result = TRUE;
            return true;
        default:
            return false;
        }
    }

private:
    int Limit() const { return std::max(m_min, m_max - static_cast<int>(m_page == 0 ? 1 : m_page) + 1); }
    int Clamp(int pos) const { return std::clamp(pos, m_min, Limit()); }

    void Apply()
    {
        if (!m_bar) return;
        const QSignalBlocker block(m_bar);
        m_bar->setRange(m_min, Limit());
        m_bar->setPageStep(std::max<int>(1, static_cast<int>(m_page)));
        m_bar->setValue(m_pos);
        m_bar->setSliderPosition(m_pos);
    }

    void Action(int action)
    {
        if (!m_bar) return;
        const UINT code = CodeOf(action);
        if (code == SB_THUMBTRACK) {
            Scroll(SB_THUMBTRACK, m_bar->sliderPosition());
            return;
        }
        // The bar stays until the program moves it.
        m_bar->setSliderPosition(m_pos);
        Scroll(code, m_pos);
        if (::IsWindow(m_hwnd)) Scroll(SB_ENDSCROLL, m_pos);
    }

    void Scroll(UINT code, int pos)
    {
        const UINT message = (Style() & SBS_VERT) ? WM_VSCROLL : WM_HSCROLL;
        ::SendMessageW(ParentHandle(), message, MAKEWPARAM(static_cast<WORD>(code), static_cast<WORD>(pos)), m_hwnd.ToLParam());
    }

    QPointer<QScrollBar> m_bar;
    int m_min = 0;
    int m_max = 100;
    UINT m_page = 0;
    int m_pos = 0;
};

std::unique_ptr<WidgetPeer> MakeScrollBar(HWND hwnd, const CREATESTRUCTW& cs, QWidget* parent)
{
    return std::make_unique<ScrollBarPeer>(hwnd, cs, parent);
}

const bool kRegistered = RegisterWindowClass(u"ScrollBar", &MakeScrollBar, &NewStandIn<CScrollBar>);

}  // namespace

}  // namespace platform::ui
