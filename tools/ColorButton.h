// A push button that shows a colour swatch (the trace set-up's colour
// choices). Themed when the desktop has visual styles; otherwise a classic
// push-button frame around the swatch.
#pragma once

#include "tools/ThemeBinding.h"

#include "platform/ui/Button.h"

class CColorButton : public CButton {
public:
    static constexpr UINT_PTR kHoverTimer = 1000;
    static constexpr UINT kHoverPeriodMs = 50;

    CColorButton();

    void SetColor(COLORREF color);
    COLORREF GetColor() const { return m_color; }
    void SetTextColor(COLORREF color) { m_textColor = color; }
    BOOL IsThemed() const { return m_theme.IsOpen(); }
    // Where the swatch was drawn last (client co-ordinates).
    const RECT& GetSwatchRect() const { return m_swatch; }

    void DrawItem(DRAWITEMSTRUCT* lpDrawItemStruct) override;

protected:
    void PreSubclassWindow() override;
    afx_msg void OnMouseMove(UINT nFlags, CPoint point);
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg void OnLButtonDblClk(UINT nFlags, CPoint point);
    DECLARE_MESSAGE_MAP()

private:
    bool MouseInside() const;

    COLORREF m_color;
    COLORREF m_textColor;
    RECT m_swatch{};
    CThemeBinding m_theme;
    BOOL m_bHot = FALSE;
};
