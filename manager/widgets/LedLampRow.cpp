#include "manager/widgets/LedLampRow.h"

#include "manager/widgets/LedLamp.h"

IMPLEMENT_DYNAMIC(CLedLampRow, CStatic)

BEGIN_MESSAGE_MAP(CLedLampRow, CStatic)
    ON_WM_CREATE()
    ON_WM_PAINT()
END_MESSAGE_MAP()

void CLedLampRow::SetBits(int nValue)
{
    m_bits.store(static_cast<unsigned>(nValue) & 0xFFu);
    if (m_hWnd) Invalidate(TRUE);
}

void CLedLampRow::SetVisibleMask(BYTE mask)
{
    m_visibleMask.store(mask);
    if (m_hWnd) Invalidate(TRUE);
}

void CLedLampRow::Attached()
{
    SetWindowText(u"");
    CRect client;
    GetClientRect(&client);
    if (client.Height() / m_nLampCount < kMinLampPx) {
        CRect window;
        GetWindowRect(&window);
        SetWindowPos(nullptr, 0, 0, window.Width(), kMinLampPx * m_nLampCount, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void CLedLampRow::PreSubclassWindow()
{
    CStatic::PreSubclassWindow();
    Attached();
}

int CLedLampRow::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
    if (CStatic::OnCreate(lpCreateStruct) == -1) return -1;
    Attached();
    return 0;
}

void CLedLampRow::OnPaint()
{
    const unsigned bits = m_bits.load();
    const unsigned visible = m_visibleMask.load();
    PaintOverWindowImage(*this, [&](CDC& dc, const CRect& client) {
        const int side = client.Height() / m_nLampCount;
        for (int i = 0; i < m_nLampCount; ++i) {
            if (!((visible >> i) & 1u)) continue;
            const RECT square{client.left, client.top + i * side, client.left + side, client.top + (i + 1) * side};
            CLedLamp::DrawLamp(dc, square, ((bits >> i) & 1u) ? m_onColour : m_offColour);
        }
    });
}
