// CIconButton: an owner-drawn push button with an icon and its text, drawn
// with the visual style when one is active and classically otherwise. A
// greyed icon stands for the disabled state; the button highlights while the
// mouse is over it, can act as a check box (a toggle) and can be flat (no
// raised edge, the parent's background under it).
//
// Its own left-button handling is the button's: pressed and captured on
// button down, released on button up; a double click gives one command on
// its release. Space and Return press it from the keyboard; every other key
// (Escape, the arrows, Tab) stays with the dialog.
#pragma once

#include "htmltip/OwnerDrawButton.h"
#include "htmltip/ThemeHelper.h"

#include <memory>

// Where the icon sits beside the text.
inline constexpr int ICON_BUTTON_ICON_LEFT = 1;
inline constexpr int ICON_BUTTON_ICON_RIGHT = 2;

class CIconButton : public COwnerDrawButton {
    DECLARE_DYNAMIC(CIconButton)

public:
    CIconButton();
    ~CIconButton() override;

    // Takes the icon (the button destroys it) and builds its grey form.
    CIconButton& SetIcon(HICON icon, int placement = ICON_BUTTON_ICON_LEFT);
    // The icon resource of the current resource module at its own size.
    CIconButton& SetIcon(UINT resourceId, int placement = ICON_BUTTON_ICON_LEFT);
    // A toggle: each click changes the checked state. Setting the mode
    // clears the checked state.
    CIconButton& SetCheckBox(BOOL checkBox);
    // No raised edge, no focus or default frame, the parent's background.
    CIconButton& SetFlat(BOOL flat);
    // Drawing with the visual style when the application has one.
    CIconButton& SetUseVisualStyles(BOOL use);
    // Colours of the classic drawing; -1 (CLR_INVALID) for the system's.
    // A colour of its own makes the button draw classically.
    CIconButton& SetBackColor(COLORREF color);
    CIconButton& SetTextColor(COLORREF color);
    void SetCheck(BOOL checked);
    BOOL GetCheck() const { return m_checked ? TRUE : FALSE; }

    BOOL IsThemed() const;
    HICON GetIcon() const { return m_icon; }
    HICON GetGrayIcon() const { return m_grayIcon; }
    int GetIconPlacement() const { return m_iconPlacement; }

    void DrawItem(DRAWITEMSTRUCT* drawItem) override;

    // The grey form of an icon: each pixel the average of its channels
    // (white becomes 254), transparent black left as it is; null on failure.
    static HICON MakeGrayIcon(HICON icon);

protected:
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    afx_msg void OnMouseMove(UINT flags, CPoint point);
    afx_msg void OnMouseLeave();
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    void Redraw();
    void CaptureParentBackground();
    void FreeResources();
    void FreeBackground();

    bool m_themeMustBeOpened = true;
    bool m_hover = false;
    bool m_checked = false;
    bool m_checkBoxMode = false;
    bool m_leftButtonDown = false;
    bool m_pressedByDoubleClick = false;
    bool m_useVisualStyles = true;
    bool m_flat = false;
    HTHEME m_theme;
    HICON m_icon;
    HICON m_grayIcon;
    int m_iconPlacement = ICON_BUTTON_ICON_LEFT;
    RECT m_buttonRect{};
    std::unique_ptr<CDC> m_backgroundDc;
    std::unique_ptr<CBitmap> m_backgroundBitmap;
    CBitmap* m_oldBackgroundBitmap = nullptr;
    COLORREF m_backColor = CLR_INVALID;
    COLORREF m_textColor = CLR_INVALID;
};
