// The icon button of the trace window's operation panel: drawn as a themed
// tool-bar or push button when the desktop has visual styles, and as its
// base otherwise (always, on this desktop).
#pragma once

#include "tools/FlatIconButton.h"

class CThemeLibrary;

class CThemeIconButton : public CFlatIconButton {
public:
    CThemeIconButton();

    // The binding (not owned); null draws the classic way.
    void SetThemeHelper(CThemeLibrary* pTheme);
    // Themed as a tool-bar button instead of a push button.
    void SetToolbarLook(BOOL bToolbar) { m_bToolbarLook = bToolbar ? TRUE : FALSE; }
    // The binding exists and the desktop is themed.
    BOOL IsThemed() const;

    DWORD PaintBackground(CDC* pDC, CRect* pRect) override;
    DWORD PaintBorder(CDC* pDC, CRect* pRect) override;

private:
    CThemeLibrary* m_pTheme = nullptr;
    BOOL m_bToolbarLook = FALSE;
};
