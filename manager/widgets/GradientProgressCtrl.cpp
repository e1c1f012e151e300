#include "manager/widgets/GradientProgressCtrl.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CGradientProgressCtrl, CProgressCtrl)

BEGIN_MESSAGE_MAP(CGradientProgressCtrl, CProgressCtrl)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

namespace {

int AddClamped(int channel, int step) { return std::clamp(channel + step, 0, 255); }

COLORREF Shift(COLORREF colour, int step)
{
    return RGB(AddClamped(GetRValue(colour), step), AddClamped(GetGValue(colour), step),
               AddClamped(GetBValue(colour), step));
}

}  // namespace

CGradientProgressCtrl::CGradientProgressCtrl(int nStyle, int nDirection, BOOL bAnimated, BOOL bFrame, BOOL bMirrored,
                                             BOOL bShowPercent)
    : m_nStyle(nStyle),
      m_nDirection(nDirection),
      m_bAnimated(bAnimated),
      m_bFrame(bFrame),
      m_bMirrored(bMirrored),
      m_bShowPercent(bShowPercent)
{
}

void CGradientProgressCtrl::SetColors(COLORREF textOnFill, COLORREF textOnEmpty, COLORREF fill, COLORREF shadow)
{
    m_textOnFillColour = textOnFill;
    m_textOnEmptyColour = textOnEmpty;
    m_fillColour = fill;
    m_shadowColour = shadow;
    if (m_hWnd) Invalidate(FALSE);
}

void CGradientProgressCtrl::SetBackColor(COLORREF colour)
{
    m_backColour = colour;
    if (m_hWnd) Invalidate(FALSE);
}

void CGradientProgressCtrl::SetGradientStep(BYTE step)
{
    m_gradientStep = step;
    if (m_hWnd) Invalidate(FALSE);
}

void CGradientProgressCtrl::SetBandHeight(BYTE height)
{
    // A band of no height would never advance.
    m_bandHeight = std::max<BYTE>(height, 1);
    if (m_hWnd) Invalidate(FALSE);
}

void CGradientProgressCtrl::SetRange(int nLower, int nUpper)
{
    m_nLower = nLower;
    SetRange32(nLower, nUpper);
}

void CGradientProgressCtrl::SetTextFont(const LOGFONT& font)
{
    m_font.DeleteObject();
    m_font.CreateFontIndirect(&font);
    if (m_hWnd) Invalidate(FALSE);
}

double CGradientProgressCtrl::Ratio() const
{
    if (!m_hWnd) return 0.0;
    int lower = 0;
    int upper = 0;
    GetRange(lower, upper);
    if (upper == lower) return 0.0;
    const double ratio = static_cast<double>(GetPos() - lower) / static_cast<double>(upper - lower);
    return std::clamp(ratio, 0.0, 1.0);
}

int CGradientProgressCtrl::LitArrowCount() const
{
    return static_cast<int>(m_nArrowCount * Ratio() + 0.99);
}

int CGradientProgressCtrl::FilledBlockCount() const
{
    if (!m_hWnd || GetPos() == m_nLower) return 0;
    CRect client;
    GetClientRect(&client);
    const int pitch = m_nBlockWidth + m_nBlockGap;
    return static_cast<int>(Ratio() * (client.Width() - 4) / pitch) + 1;
}

BOOL CGradientProgressCtrl::OnEraseBkgnd(CDC*)
{
    // The paint covers the whole client area.
    return TRUE;
}

void CGradientProgressCtrl::OnPaint()
{
    CPaintDC paint(this);
    CRect client;
    GetClientRect(&client);
    const int width = client.Width();
    const int height = client.Height();
    if (width <= 0 || height <= 0) return;
    m_inner = client;
    m_inner.DeflateRect(2, 2);

    CDC memory;
    memory.CreateCompatibleDC(&paint);
    CBitmap bitmap;
    bitmap.CreateCompatibleBitmap(&paint, width, height);
    CBitmap* oldBitmap = memory.SelectObject(&bitmap);
    memory.FillSolidRect(&client, ::GetSysColor(COLOR_BTNFACE));
    if (m_nStyle != kTransferStyle) {
        CBrush back(m_backColour);
        CBrush* oldBrush = memory.SelectObject(&back);
        CGdiObject* oldPen = memory.SelectStockObject(BLACK_PEN);
        memory.RoundRect(0, 0, width, height, 5, 5);
        memory.SelectObject(oldPen);
        memory.SelectObject(oldBrush);
    }
    DrawBar(&memory);
    paint.BitBlt(0, 0, width, height, &memory, 0, 0, SRCCOPY);
    memory.SelectObject(oldBitmap);
}

void CGradientProgressCtrl::DrawBar(CDC* pDC)
{
    if (!pDC || !m_hWnd) return;
    const double ratio = Ratio();
    const int innerWidth = m_inner.Width();
    const int chunk = innerWidth * m_nChunkPercent / 100;
    const bool atLower = GetPos() == m_nLower;
    int fillEnd = m_inner.left;

    if (m_nStyle == kBlockStyle) {
        const int pitch = m_nBlockWidth + m_nBlockGap;
        if (m_bAnimated) {
            const int start = static_cast<int>(ratio * m_inner.right);
            const int end = m_nBlockWidth + pitch * (chunk / pitch) + start;
            const int limit = std::min(end, static_cast<int>(m_inner.right) + pitch);
            for (int x = start; x < limit; x += pitch) DrawGradientRect(pDC, RECT{x, m_inner.top, x + m_nBlockWidth, m_inner.bottom});
            if (end > m_inner.right) {
                // The chunk runs on from the left.
                const int overflow = end - m_inner.right;
                for (int x = overflow - m_nBlockWidth; x + m_nBlockWidth > m_inner.left; x -= pitch) {
                    DrawGradientRect(pDC, RECT{x, m_inner.top, x + m_nBlockWidth, m_inner.bottom});
                }
            }
        } else if (!atLower) {
            const int count = static_cast<int>(ratio * innerWidth / pitch);
            DrawBlocks(pDC, m_inner.left, m_inner.top, m_inner.bottom, count);
            fillEnd = pitch * count + m_nBlockWidth + 2;
        }
    } else if (m_nStyle == kTransferStyle) {
        DrawArrows(pDC, ratio);
    } else if (m_bAnimated) {
        const int start = static_cast<int>(ratio * m_inner.right);
        DrawGradientRect(pDC, RECT{start, m_inner.top, std::min(start + chunk, static_cast<int>(m_inner.right)), m_inner.bottom});
        if (start + chunk > m_inner.right) {
            const int overflow = start + chunk - m_inner.right;
            DrawGradientRect(pDC, RECT{m_inner.left, m_inner.top, m_inner.left + overflow, m_inner.bottom});
        }
    } else if (!atLower) {
        fillEnd = static_cast<int>(ratio * m_inner.right);
        DrawGradientRect(pDC, RECT{m_inner.left, m_inner.top, fillEnd, m_inner.bottom});
    }
    pDC->SelectClipRgn(nullptr);

    if (!m_bAnimated && m_nStyle != kTransferStyle) DrawText(pDC, ratio, fillEnd);
}

void CGradientProgressCtrl::DrawBlocks(CDC* pDC, int left, int top, int bottom, int count)
{
    const int pitch = m_nBlockWidth + m_nBlockGap;
    if (m_gradientStep == 0) {
        RECT span{left, top, std::min(left + pitch * count + m_nBlockWidth, static_cast<int>(m_inner.right)), bottom};
        pDC->FillSolidRect(&span, m_fillColour);
        return;
    }
    for (int k = 0; k <= count; ++k) {
        const int x = left + k * pitch;
        DrawGradientRect(pDC, RECT{x, top, x + m_nBlockWidth, bottom});
    }
}

void CGradientProgressCtrl::DrawGradientRect(CDC* pDC, const RECT& rect)
{
    if (!pDC) return;
    const int l = rect.left;
    const int t = rect.top;
    const int r = rect.right;
    const int b = rect.bottom;
    if (m_gradientStep == 0) {
        pDC->FillSolidRect(&rect, m_fillColour);
        return;
    }
    const int step = m_gradientStep;
    const int band = m_bandHeight;
    const int k = step * ((b - t) / 2 / band);
    COLORREF colour = Shift(m_fillColour, -k);

    const RECT clip{std::max(l, static_cast<int>(m_inner.left)), t, std::min(r, static_cast<int>(m_inner.right)) + 1,
                    std::min(b, static_cast<int>(m_inner.bottom)) + 1};
    CRgn rounded;
    rounded.CreateRoundRectRgn(clip.left, clip.top, clip.right, clip.bottom, 2, 2);
    pDC->SelectClipRgn(&rounded);

    if (!m_bMirrored) {
        for (int y = t; y < b; y += band) {
            colour = Shift(colour, step);
            pDC->FillSolidRect(l, y, r - l, std::min(band, b - y), colour);
        }
    } else {
        const int middle = t + (b - t) / 2;
        for (int i = 0; i < middle / band; ++i) colour = Shift(colour, step);
        for (int y = t; y < b; y += band) {
            colour = Shift(colour, y < middle ? -step : step);
            pDC->FillSolidRect(l, y, r - l, std::min(band, b - y), colour);
        }
    }

    CRgn inner;
    inner.CreateRectRgnIndirect(&m_inner);
    pDC->SelectClipRgn(&inner);
    if (m_bFrame) {
        CPen pen(PS_SOLID, 1, m_frameColour);
        CPen* oldPen = pDC->SelectObject(&pen);
        CGdiObject* oldBrush = pDC->SelectStockObject(HOLLOW_BRUSH);
        pDC->RoundRect(clip.left, clip.top, clip.right, clip.bottom, 2, 2);
        pDC->SelectObject(oldBrush);
        pDC->SelectObject(oldPen);
    }
}

void CGradientProgressCtrl::DrawArrows(CDC* pDC, double ratio)
{
    const int count = m_nArrowCount;
    if (count <= 0) return;
    const int lit = static_cast<int>(count * ratio + 0.99);
    const int innerWidth = m_inner.Width();
    const int d = innerWidth / count;
    const int margin = (innerWidth - d * count) / 2;
    const int size = static_cast<int>(0.6 * d);
    const int inset = static_cast<int>(0.2 * d);
    const int middle = (m_inner.bottom - m_inner.top) / 2;
    const int top = middle - size / 2;
    const int bottom = top + size;

    CBrush litBrush(m_fillColour);
    CPen litPen(PS_SOLID, 1, m_frameColour);
    CBrush darkBrush(RGB(0, 0, 0));
    CPen darkPen(PS_SOLID, 1, RGB(0, 0, 0));
    CBrush* oldBrush = pDC->SelectObject(&darkBrush);
    CPen* oldPen = pDC->SelectObject(&darkPen);
    for (int i = 0; i < count; ++i) {
        const int left = m_inner.left + margin + i * d + inset;
        const int right = left + size;
        // Toward the right, the lit ones first; toward the left, the lit ones last.
        const bool on = m_nDirection == 0 ? i < lit : i >= count - lit;
        pDC->SelectObject(on ? &litBrush : &darkBrush);
        pDC->SelectObject(on ? &litPen : &darkPen);
        POINT points[3];
        if (m_nDirection == 0) {
            points[0] = POINT{left, top};
            points[1] = POINT{right, middle};
            points[2] = POINT{left, bottom};
        } else {
            points[0] = POINT{right, top};
            points[1] = POINT{left, middle};
            points[2] = POINT{right, bottom};
        }
        pDC->Polygon(points, 3);
    }
    pDC->SelectObject(oldPen);
    pDC->SelectObject(oldBrush);
}

void CGradientProgressCtrl::DrawText(CDC* pDC, double ratio, int fillEnd)
{
    CString text;
    if (m_bShowPercent) {
        text.Format(u"%3.0f%%", ratio * 100.0);
    } else {
        GetWindowText(text);
    }
    if (text.IsEmpty()) return;
    CFont* oldFont = m_font.GetSafeHandle() ? pDC->SelectObject(&m_font) : nullptr;
    const int oldMode = pDC->SetBkMode(TRANSPARENT);
    constexpr UINT kFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE;

    RECT shadow = m_inner;
    ::OffsetRect(&shadow, 1, 1);
    pDC->SetTextColor(m_shadowColour);
    pDC->DrawText(text, &shadow, kFormat);

    RECT area = m_inner;
    pDC->SaveDC();
    pDC->IntersectClipRect(m_inner.left, m_inner.top, fillEnd, m_inner.bottom);
    pDC->SetTextColor(m_textOnFillColour);
    pDC->DrawText(text, &area, kFormat);
    pDC->RestoreDC(-1);

    pDC->SaveDC();
    pDC->IntersectClipRect(fillEnd, m_inner.top, m_inner.right, m_inner.bottom);
    pDC->SetTextColor(m_textOnEmptyColour);
    pDC->DrawText(text, &area, kFormat);
    pDC->RestoreDC(-1);

    pDC->SetBkMode(oldMode);
    if (oldFont) pDC->SelectObject(oldFont);
}
