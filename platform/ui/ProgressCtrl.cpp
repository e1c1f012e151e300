#include "platform/ui/ProgressCtrl.h"

#include "platform/ui/WidgetPeer.h"

#include <QProgressBar>

IMPLEMENT_DYNAMIC(CProgressCtrl, CWnd)

BOOL CProgressCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    return CreateEx(0, PROGRESS_CLASS, u"", dwStyle, rect, pParentWnd, nID);
}

namespace platform::ui {

namespace {

class ProgressPeer final : public WidgetPeer {
public:
    ProgressPeer(HWND hwnd, const CREATESTRUCTW& cs, QWidget* parent) : WidgetPeer(hwnd, cs)
    {
        auto* bar = new QProgressBar(parent);
        bar->setTextVisible(false);
        bar->setOrientation((cs.style & static_cast<LONG>(PBS_VERTICAL)) ? Qt::Vertical : Qt::Horizontal);
        bar->setRange(0, 100);
        bar->setValue(0);
        bar->setFocusPolicy(Qt::NoFocus);
        m_bar = bar;
        Attach(bar, cs);
    }

    UINT DialogCode(const MSG*) const override { return 0; }

    bool ControlMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override
    {
        switch (message) {
        case PBM_SETRANGE:
            result = MAKELONG(static_cast<WORD>(m_low), static_cast<WORD>(m_high));
            SetRange(static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam)));
            return true;
        case PBM_SETRANGE32:
            result = MAKELONG(static_cast<WORD>(m_low), static_cast<WORD>(m_high));
            SetRange(static_cast<int>(static_cast<std::intptr_t>(wParam)), static_cast<int>(lParam));
            return true;
        case PBM_GETRANGE:
            if (auto* range = reinterpret_cast<PBRANGE*>(lParam)) {
                range->iLow = m_low;
                range->iHigh = m_high;
            }
            result = wParam ? m_low : m_high;
            return true;
        case PBM_SETPOS:
            result = m_pos;
            SetPos(static_cast<int>(static_cast<std::intptr_t>(wParam)));
            return true;
        case PBM_DELTAPOS:
            result = m_pos;
            SetPos(m_pos + static_cast<int>(static_cast<std::intptr_t>(wParam)));
            return true;
        case PBM_SETSTEP:
            result = m_step;
            m_step = static_cast<int>(static_cast<std::intptr_t>(wParam));
            return true;
        case PBM_STEPIT: {
            result = m_pos;
            // Stepping past the end starts over from the beginning.
            long long next = static_cast<long long>(m_pos) + m_step;
            if (next > m_high) next = m_low + (next - m_high);
            if (next < m_low) next = m_high - (m_low - next);
            SetPos(static_cast<int>(std::clamp<long long>(next, m_low, m_high)));
            return true;
        }
        case PBM_GETPOS:
            result = m_pos;
            return true;
        case PBM_SETBARCOLOR:
        case PBM_SETBKCOLOR: {
            COLORREF& slot = message == PBM_SETBARCOLOR ? m_barColor : m_backColor;
            result = slot;
            slot = static_cast<COLORREF>(lParam);
            if (m_bar) {
                QPalette palette = m_bar->palette();
                const QPalette::ColorRole role = message == PBM_SETBARCOLOR ? QPalette::Highlight : QPalette::Base;
                if (slot != CLR_INVALID && slot != 0xFF000000) palette.setColor(role, ToQColor(slot));
                m_bar->setPalette(palette);
            }
            return true;
        }
        default:
            return false;
        }
    }

private:
    void SetRange(int low, int high)
    {
        m_low = low;
        m_high = high;
        if (m_bar) m_bar->setRange(std::min(low, high), std::max(low, high));
        SetPos(m_pos);
    }

    void SetPos(int pos)
    {
        m_pos = std::clamp(pos, std::min(m_low, m_high), std::max(m_low, m_high));
        if (m_bar) m_bar->setValue(m_pos);
    }

    QPointer<QProgressBar> m_bar;
    int m_low = 0;
    int m_high = 100;
    int m_pos = 0;
    int m_step = 10;
    COLORREF m_barColor = 0xFF000000;
    COLORREF m_backColor = 0xFF000000;
};

std::unique_ptr<WidgetPeer> MakeProgress(HWND hwnd, const CREATESTRUCTW& cs, QWidget* parent)
{
    return std::make_unique<ProgressPeer>(hwnd, cs, parent);
}

const bool kRegistered = RegisterWindowClass(PROGRESS_CLASS, &MakeProgress, &NewStandIn<CProgressCtrl>);

}  // namespace

}  // namespace platform::ui
