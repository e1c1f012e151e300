#include "tools/ThemeIconButton.h"

#include "tools/ThemeLibrary.h"

namespace {

// Parts and states of the themed button classes.
constexpr int kPartButton = 1;
constexpr int kStateNormal = 1;
constexpr int kStateHot = 2;
constexpr int kStatePressed = 3;
constexpr int kStateDisabled = 4;
constexpr int kStateDefault = 5;

}  // namespace

CThemeIconButton::CThemeIconButton() { m_bDrawBorder = FALSE; }

void CThemeIconButton::SetThemeHelper(CThemeLibrary* pTheme)
{
    m_pTheme = pTheme;
    // Without visual styles the edge is what shows the button.
    if (!IsThemed()) m_bDrawBorder = TRUE;
}

BOOL CThemeIconButton::IsThemed() const { return m_pTheme && m_pTheme->IsAppThemed() ? TRUE : FALSE; }

DWORD CThemeIconButton::PaintBackground(CDC* pDC, CRect* pRect)
{
    if (!IsThemed()) return CFlatIconButton::PaintBackground(pDC, pRect);
    const HTHEME theme = m_pTheme->OpenThemeData(GetSafeHwnd(), m_bToolbarLook ? u"TOOLBAR" : u"BUTTON");
    if (!theme) return CFlatIconButton::PaintBackground(pDC, pRect);
    int state = kStateNormal;
    if (m_bDefault && (!m_bToolbarLook || m_bDrawBorder)) state = kStateDefault;
    if (m_bHot) state = kStateHot;
    if (m_bPressed) state = kStatePressed;
    if (m_bDisabled) state = kStateDisabled;
    if (FAILED(m_pTheme->DrawThemeBackground(GetSafeHwnd(), theme, pDC->GetSafeHdc(), kPartButton, state, pRect,
                                             nullptr))) {
        CFlatIconButton::PaintBackground(pDC, pRect);
    }
    m_pTheme->CloseThemeData(theme);
    return 0;
}

DWORD CThemeIconButton::PaintBorder(CDC* pDC, CRect* pRect)
{
    if (IsThemed()) return 0;
    return CFlatIconButton::PaintBorder(pDC, pRect);
}
