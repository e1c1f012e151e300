#include "tools/ColorButton.h"

namespace {

constexpr int kPartPushButton = 1;
constexpr int kStateNormal = 1;
constexpr int kStateHot = 2;
constexpr int kStatePressed = 3;
constexpr int kStateDisabled = 4;
constexpr int kStateDefaulted = 5;

}  // namespace

BEGIN_MESSAGE_MAP(CColorButton, CButton)
    ON_WM_MOUSEMOVE()
    ON_WM_TIMER()
    ON_WM_LBUTTONDBLCLK()
END_MESSAGE_MAP()

CColorButton::CColorButton() : m_color(::GetSysColor(COLOR_BTNFACE)), m_textColor(::GetSysColor(COLOR_BTNTEXT)) {}

void CColorButton::SetColor(COLORREF color)
{
    m_color = color;
    if (GetSafeHwnd()) Invalidate(TRUE);
}

void CColorButton::PreSubclassWindow()
{
    ModifyStyle(BS_TYPEMASK, BS_OWNERDRAW);
    m_theme.Open(this, u"Button");
    CButton::PreSubclassWindow();
}

bool CColorButton::MouseInside() const
{
    POINT point;
    if (!::GetCursorPos(&point)) return false;
    ScreenToClient(&point);
    RECT client;
    GetClientRect(&client);
    return point.x >= client.left && point.x < client.right && point.y >= client.top && point.y < client.bottom;
}

void CColorButton::OnMouseMove(UINT nFlags, CPoint point)
{
    CButton::OnMouseMove(nFlags, point);
    if (!m_theme.IsOpen()) return;
    const BOOL inside = MouseInside() ? TRUE : FALSE;
    if (inside != m_bHot) {
        m_bHot = inside;
        Invalidate(FALSE);
        SetTimer(kHoverTimer, kHoverPeriodMs);
    }
}

void CColorButton::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent != kHoverTimer) return;
    if (m_bHot && !MouseInside()) {
        m_bHot = FALSE;
        KillTimer(kHoverTimer);
        Invalidate(FALSE);
    }
}

void CColorButton::OnLButtonDblClk(UINT nFlags, CPoint point)
{
    // A double click is a second press.
    SendMessage(WM_LBUTTONDOWN, nFlags, MAKELPARAM(point.x, point.y));
}

void CColorButton::DrawItem(DRAWITEMSTRUCT* lpDrawItemStruct)
{
    if (!lpDrawItemStruct) return;
    CDC* pDC = CDC::FromHandle(lpDrawItemStruct->hDC);
    const UINT state = lpDrawItemStruct->itemState;
    const bool pushed = (state & ODS_SELECTED) != 0;
    const bool disabled = (state & ODS_DISABLED) != 0;
    const bool focused = (state & ODS_FOCUS) != 0;
    CRect rect(lpDrawItemStruct->rcItem);
    CRect swatch = rect;

    if (m_theme.IsOpen()) {
        int part = kStateNormal;
        if (disabled) part = kStateDisabled;
        else if (pushed) part = kStatePressed;
        else if (m_bHot) part = kStateHot;
        else if (focused) part = kStateDefaulted;
        m_theme.DrawBackground(pDC, kPartPushButton, part, rect, nullptr);
        RECT content;
        m_theme.GetContentRect(pDC, kPartPushButton, part, rect, content);
        swatch = content;
        swatch.DeflateRect(4, 4);
    } else {
        // The classic push-button frame, sunken while pressed.
        pDC->FillSolidRect(&rect, ::GetSysColor(COLOR_BTNFACE));
        CRect edge = rect;
        pDC->DrawEdge(&edge, pushed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
        const int cx = ::GetSystemMetrics(SM_CXEDGE);
        const int cy = ::GetSystemMetrics(SM_CYEDGE);
        swatch = CRect(rect.left + cx + 3, rect.top + cy + 3, rect.right - cx - 5, rect.bottom - cy - 4);
        if (pushed) swatch.OffsetRect(1, 1);
    }
    if (swatch.right > swatch.left && swatch.bottom > swatch.top) {
        pDC->FillSolidRect(&swatch, disabled ? ::GetSysColor(COLOR_BTNFACE) : m_color);
    }
    m_swatch = swatch;
    if (focused && !m_theme.IsOpen()) {
        CRect focus = rect;
        focus.DeflateRect(3, 3);
        pDC->DrawFocusRect(&focus);
    }
}
