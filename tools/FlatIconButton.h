// An owner-drawn push button with an icon (or bitmaps) and text: flat until
// the mouse is over it, or raised; as a check box when its template says so;
// optionally with a popup menu or a link opened on click.
//
//   CFlatIconButton m_start;                       // bound with DDX_Control
//   m_start.SetIcons(hStart, CFlatIconButton::kGreyIcon);
//   m_start.SetAlign(CFlatIconButton::kAlignVertical);
#pragma once

#include "platform/ui/Button.h"
#include "platform/ui/ResourceImages.h"
#include "platform/ui/ToolTipCtrl.h"

#include <memory>

class CFlatIconButton : public CButton {
public:
    // Where the icon stands beside the text.
    static constexpr int kAlignHorizontal = 0;       // left of the text
    static constexpr int kAlignVertical = 1;         // above the text
    static constexpr int kAlignHorizontalRight = 2;  // right of the text
    static constexpr int kAlignTopLeft = 3;          // top-left of the content area

    // Colour pairs by state.
    enum ColorIndex { kColorBkHot, kColorFgHot, kColorBkNormal, kColorFgNormal, kColorBkFocus, kColorFgFocus };
    static constexpr int kColorCount = 6;

    // Results of the setters.
    static constexpr DWORD kOk = 0;
    static constexpr DWORD kInvalidResource = 1;
    static constexpr DWORD kInvalidIndex = 3;
    static constexpr DWORD kInvalidAlign = 4;

    // The second icon of SetIcons made from the first: darker, or grey.
    static const HICON kDarkerIcon;
    static const HICON kGreyIcon;

    CFlatIconButton();
    ~CFlatIconButton() override;

    // The icon shown when hot or pressed (in check-box mode: checked), and
    // the one shown otherwise: none, another icon, kDarkerIcon or
    // kGreyIcon. kInvalidResource (and no icons kept) when an icon cannot be
    // read. The button owns the icons from here on.
    DWORD SetIcons(HICON hIcon, HICON hOther = HICON());
    // Image and mask for the hot and for the other state (the button owns them).
    DWORD SetBitmaps(HBITMAP hBitmap, HBITMAP hMask, HBITMAP hOther = HBITMAP(), HBITMAP hOtherMask = HBITMAP());
    DWORD SetFlat(BOOL bFlat, BOOL bRepaint = TRUE);
    DWORD SetAlign(int nAlign, BOOL bRepaint = TRUE);
    int GetAlign() const { return m_nAlign; }
    DWORD DrawBorder(BOOL bDraw, BOOL bRepaint = TRUE);
    DWORD SetColor(int nIndex, COLORREF color, BOOL bRepaint = TRUE);
    DWORD SetDefaultColors(BOOL bRepaint = TRUE);
    COLORREF GetColor(int nIndex) const;
    DWORD SetPressedOffset(int dx, int dy);
    DWORD SetBtnCursor(HCURSOR hCursor);
    // A popup menu shown below the button on click: its first submenu; the
    // owner gets the chosen command, the notify window (message, value)
    // hears of it before it opens.
    DWORD SetMenu(HMENU hMenu, HWND hOwner);
    DWORD SetMenuCallback(HWND hWnd, UINT nMessage, LPARAM lParam = 0);
    // A link opened on click (at most 260 characters).
    DWORD SetURL(LPCWSTR url);
    // The help text of the button, shown as its tool tip (at most 400 pixels
    // wide) while the mouse rests on it.
    void SetTooltipText(LPCWSTR text);
    const CString& GetTooltipText() const { return m_strTooltip; }
    DWORD SetTransparent(BOOL bTransparent);
    // Hot tracking even when no window of the program is active.
    DWORD SetAlwaysTrack(BOOL bAlwaysTrack);

    BOOL IsFlat() const { return m_bFlat; }
    BOOL IsHot() const { return m_bHot; }
    BOOL IsCheckBoxMode() const { return m_bCheckBox; }
    BOOL IsDefault() const { return m_bDefault; }
    BOOL HasIcons() const { return m_icons[0].hIcon ? TRUE : FALSE; }
    HICON GetIcon(int nIndex) const { return nIndex == 0 || nIndex == 1 ? m_icons[nIndex].hIcon : HICON(); }

    // Pixel rules of the derived icons (colour 0x00BBGGRR; black stays black).
    static COLORREF DarkerColor(COLORREF color);
    static COLORREF GreyColor(COLORREF color);

    void DrawItem(DRAWITEMSTRUCT* lpDrawItemStruct) override;

    // Drawing steps, in order; each returns 0.
    virtual DWORD PaintBackground(CDC* pDC, CRect* pRect);
    virtual DWORD PaintBorder(CDC* pDC, CRect* pRect);
    virtual DWORD PaintIcon(CDC* pDC, CRect* pRect, const CRect& textRect);
    virtual DWORD PaintBitmap(CDC* pDC, CRect* pRect, const CRect& textRect);
    virtual DWORD PaintText(CDC* pDC, CRect* pRect, const CRect& textRect);

protected:
    void PreSubclassWindow() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    afx_msg BOOL OnClicked();
    afx_msg void OnMouseMove(UINT nFlags, CPoint point);
    afx_msg void OnMouseLeave();
    afx_msg void OnKillFocus(CWnd* pNewWnd);
    afx_msg void OnCancelMode();
    afx_msg void OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized);
    afx_msg void OnEnable(BOOL bEnable);
    afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    afx_msg void OnSysColorChange();
    afx_msg void OnLButtonDblClk(UINT nFlags, CPoint point);
    afx_msg HBRUSH CtlColor(CDC* pDC, UINT nCtlColor);
    DECLARE_MESSAGE_MAP()

    // Drawing state of the request being served.
    BOOL m_bPressed = FALSE;
    BOOL m_bFocused = FALSE;
    BOOL m_bDisabled = FALSE;

    BOOL m_bFlat = TRUE;
    BOOL m_bHot = FALSE;
    BOOL m_bDefault = FALSE;
    BOOL m_bCheckBox = FALSE;
    BOOL m_bChecked = FALSE;
    BOOL m_bDrawBorder = TRUE;
    int m_nAlign = kAlignHorizontal;
    int m_nHorzGap = 3;
    int m_nVertGap = 8;
    int m_nBorderGap = 1;
    CPoint m_pressedOffset{1, 1};
    COLORREF m_colors[kColorCount];

private:
    struct IconImage {
        HICON hIcon;
        SIZE size{0, 0};
    };
    struct BitmapImage {
        HBITMAP hBitmap;
        HBITMAP hMask;
        SIZE size{0, 0};
    };

    void FreeImages();
    void Repaint(BOOL bRepaint);
    void SetHot(BOOL bHot);
    CRect ImageRect(const CRect& content, SIZE image, const CRect& textRect) const;
    CRect MeasureText(CDC* pDC, const CRect& content, SIZE image) const;
    // The image of the current state: 0 the first, 1 the other.
    int ImageIndex(bool haveOther) const;
    void ShowMenu();
    // The tool tip control, made at the first text once the button has its window.
    void UpdateTooltip();

    IconImage m_icons[2];
    BitmapImage m_bitmaps[2];
    HCURSOR m_hCursor;
    HMENU m_hMenu;
    HWND m_hMenuOwner;
    HWND m_hNotify;
    UINT m_nNotifyMessage = 0;
    LPARAM m_nNotifyValue = 0;
    CString m_strURL;
    CString m_strTooltip;
    std::unique_ptr<CToolTipCtrl> m_pTooltip;
    BOOL m_bTransparent = FALSE;
    BOOL m_bAlwaysTrack = FALSE;
    BOOL m_bTrackingLeave = FALSE;
    // The parent's background under the button, taken once.
    HBITMAP m_hParentBackground;
};
