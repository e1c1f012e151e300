// Tool bars: a row of buttons with images of an image list (any size: 16,
// 24, 32 pixels...), optional text labels under the images, separators,
// check buttons and drop-down buttons. The bar draws itself (flat buttons
// that rise under the mouse, greyed images for disabled buttons).
//
// A click posts WM_COMMAND with the button's id to the bar's owner (the
// frame), so the frame's update handler decides once more whether it runs.
// The arrow of a drop-down button (TBSTYLE_EX_DRAWDDARROWS) sends
// TBN_DROPDOWN (NMTOOLBAR) to the owner instead. With CBRS_TOOLTIPS a
// button's tool tip is the part after '\n' of its command's string (else its
// label); with CBRS_FLYBY the part before it shows in the frame's status bar
// while the mouse is over the button.
#pragma once

#include "platform/ui/CommonControls.h"
#include "platform/ui/ControlBar.h"
#include "platform/ui/ImageList.h"

#include <vector>

// Button styles and states.
inline constexpr BYTE TBSTYLE_BUTTON = 0x00;
inline constexpr BYTE TBSTYLE_SEP = 0x01;
inline constexpr BYTE TBSTYLE_CHECK = 0x02;
inline constexpr BYTE TBSTYLE_GROUP = 0x04;
inline constexpr BYTE TBSTYLE_CHECKGROUP = TBSTYLE_GROUP | TBSTYLE_CHECK;
inline constexpr BYTE TBSTYLE_DROPDOWN = 0x08;
inline constexpr BYTE TBSTYLE_AUTOSIZE = 0x10;
inline constexpr BYTE BTNS_BUTTON = TBSTYLE_BUTTON;
inline constexpr BYTE BTNS_SEP = TBSTYLE_SEP;
inline constexpr BYTE BTNS_CHECK = TBSTYLE_CHECK;
inline constexpr BYTE BTNS_DROPDOWN = TBSTYLE_DROPDOWN;
inline constexpr BYTE BTNS_WHOLEDROPDOWN = 0x80;
inline constexpr UINT TBBS_BUTTON = TBSTYLE_BUTTON;
inline constexpr UINT TBBS_SEPARATOR = TBSTYLE_SEP;
inline constexpr UINT TBBS_CHECKBOX = TBSTYLE_CHECK;
inline constexpr UINT TBBS_GROUP = TBSTYLE_GROUP;
inline constexpr UINT TBBS_CHECKGROUP = TBSTYLE_CHECKGROUP;
inline constexpr UINT TBBS_DROPDOWN = TBSTYLE_DROPDOWN;
// Button states, and the bar's older names for them (shifted into the style).
inline constexpr BYTE TBSTATE_CHECKED = 0x01;
inline constexpr BYTE TBSTATE_PRESSED = 0x02;
inline constexpr BYTE TBSTATE_ENABLED = 0x04;
inline constexpr BYTE TBSTATE_HIDDEN = 0x08;
inline constexpr BYTE TBSTATE_INDETERMINATE = 0x10;
inline constexpr BYTE TBSTATE_WRAP = 0x20;
inline constexpr UINT TBBS_CHECKED = TBSTATE_CHECKED << 8;
inline constexpr UINT TBBS_PRESSED = TBSTATE_PRESSED << 8;
inline constexpr UINT TBBS_DISABLED = TBSTATE_ENABLED << 8;
inline constexpr UINT TBBS_HIDDEN = TBSTATE_HIDDEN << 8;
inline constexpr UINT TBBS_INDETERMINATE = TBSTATE_INDETERMINATE << 8;

// Bar styles (CreateEx's control style) and extended styles.
inline constexpr DWORD TBSTYLE_TOOLTIPS = 0x0100;
inline constexpr DWORD TBSTYLE_WRAPABLE = 0x0200;
inline constexpr DWORD TBSTYLE_FLAT = 0x0800;
inline constexpr DWORD TBSTYLE_LIST = 0x1000;
inline constexpr DWORD TBSTYLE_TRANSPARENT = 0x8000;
inline constexpr DWORD TBSTYLE_EX_DRAWDDARROWS = 0x00000001;
inline constexpr DWORD TBSTYLE_EX_MIXEDBUTTONS = 0x00000008;

// Messages of the bar (CToolBarCtrl sends them).
inline constexpr UINT TB_ENABLEBUTTON = WM_USER + 1;
inline constexpr UINT TB_CHECKBUTTON = WM_USER + 2;
inline constexpr UINT TB_PRESSBUTTON = WM_USER + 3;
inline constexpr UINT TB_HIDEBUTTON = WM_USER + 4;
inline constexpr UINT TB_ISBUTTONENABLED = WM_USER + 9;
inline constexpr UINT TB_ISBUTTONCHECKED = WM_USER + 10;
inline constexpr UINT TB_ISBUTTONHIDDEN = WM_USER + 12;
inline constexpr UINT TB_SETSTATE = WM_USER + 17;
inline constexpr UINT TB_GETSTATE = WM_USER + 18;
inline constexpr UINT TB_DELETEBUTTON = WM_USER + 22;
inline constexpr UINT TB_GETBUTTON = WM_USER + 23;
inline constexpr UINT TB_BUTTONCOUNT = WM_USER + 24;
inline constexpr UINT TB_COMMANDTOINDEX = WM_USER + 25;
inline constexpr UINT TB_GETITEMRECT = WM_USER + 29;
inline constexpr UINT TB_SETBUTTONSIZE = WM_USER + 31;
inline constexpr UINT TB_SETBITMAPSIZE = WM_USER + 32;
inline constexpr UINT TB_AUTOSIZE = WM_USER + 33;
inline constexpr UINT TB_SETIMAGELIST = WM_USER + 48;
inline constexpr UINT TB_GETIMAGELIST = WM_USER + 49;
inline constexpr UINT TB_SETDISABLEDIMAGELIST = WM_USER + 54;
inline constexpr UINT TB_SETSTYLE = WM_USER + 56;
inline constexpr UINT TB_GETSTYLE = WM_USER + 57;
inline constexpr UINT TB_SETMAXTEXTROWS = WM_USER + 60;
inline constexpr UINT TB_SETEXTENDEDSTYLE = WM_USER + 84;
inline constexpr UINT TB_GETEXTENDEDSTYLE = WM_USER + 85;
inline constexpr UINT TB_INSERTBUTTONW = WM_USER + 67;
inline constexpr UINT TB_ADDBUTTONSW = WM_USER + 68;

// Notifications.
inline constexpr UINT TBN_FIRST = 0u - 700u;
inline constexpr UINT TBN_DROPDOWN = TBN_FIRST - 10;
inline constexpr LRESULT TBDDRET_DEFAULT = 0;

struct TBBUTTON {
    int iBitmap = 0;
    int idCommand = 0;
    BYTE fsState = 0;
    BYTE fsStyle = 0;
    DWORD_PTR dwData = 0;
    INT_PTR iString = 0;
};
using LPTBBUTTON = TBBUTTON*;

struct NMTOOLBARW {
    NMHDR hdr;
    int iItem = 0;
    TBBUTTON tbButton;
    int cchText = 0;
    LPWSTR pszText = nullptr;
    RECT rcButton{};
};
using NMTOOLBAR = NMTOOLBARW;
using LPNMTOOLBAR = NMTOOLBAR*;

// The bar's calls as messages on the bar's window.
class CToolBarCtrl : public CWnd {
    DECLARE_DYNAMIC(CToolBarCtrl)

public:
    CToolBarCtrl() = default;

    BOOL EnableButton(int nID, BOOL bEnable = TRUE) { return Send(TB_ENABLEBUTTON, static_cast<WPARAM>(nID), bEnable); }
    BOOL CheckButton(int nID, BOOL bCheck = TRUE) { return Send(TB_CHECKBUTTON, static_cast<WPARAM>(nID), bCheck); }
    BOOL PressButton(int nID, BOOL bPress = TRUE) { return Send(TB_PRESSBUTTON, static_cast<WPARAM>(nID), bPress); }
    BOOL HideButton(int nID, BOOL bHide = TRUE) { return Send(TB_HIDEBUTTON, static_cast<WPARAM>(nID), bHide); }
    BOOL IsButtonEnabled(int nID) const { return Send(TB_ISBUTTONENABLED, static_cast<WPARAM>(nID), 0); }
    BOOL IsButtonChecked(int nID) const { return Send(TB_ISBUTTONCHECKED, static_cast<WPARAM>(nID), 0); }
    BOOL IsButtonHidden(int nID) const { return Send(TB_ISBUTTONHIDDEN, static_cast<WPARAM>(nID), 0); }
    BOOL SetState(int nID, UINT nState) { return Send(TB_SETSTATE, static_cast<WPARAM>(nID), static_cast<LPARAM>(nState)); }
    int GetState(int nID) const { return static_cast<int>(SendMessage(TB_GETSTATE, static_cast<WPARAM>(nID))); }
    BOOL DeleteButton(int nIndex) { return Send(TB_DELETEBUTTON, static_cast<WPARAM>(nIndex), 0); }
    BOOL GetButton(int nIndex, LPTBBUTTON lpButton) const
    {
        return Send(TB_GETBUTTON, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(lpButton));
    }
    int GetButtonCount() const { return static_cast<int>(SendMessage(TB_BUTTONCOUNT)); }
    UINT CommandToIndex(UINT nID) const { return static_cast<UINT>(SendMessage(TB_COMMANDTOINDEX, nID)); }
    BOOL GetItemRect(int nIndex, LPRECT lpRect) const
    {
        return Send(TB_GETITEMRECT, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(lpRect));
    }
    BOOL AddButtons(int nNumButtons, LPTBBUTTON lpButtons)
    {
        return Send(TB_ADDBUTTONSW, static_cast<WPARAM>(nNumButtons), reinterpret_cast<LPARAM>(lpButtons));
    }
    BOOL InsertButton(int nIndex, LPTBBUTTON lpButton)
    {
        return Send(TB_INSERTBUTTONW, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(lpButton));
    }
    BOOL SetButtonSize(CSize size) { return Send(TB_SETBUTTONSIZE, 0, MAKELPARAM(size.cx, size.cy)); }
    BOOL SetBitmapSize(CSize size) { return Send(TB_SETBITMAPSIZE, 0, MAKELPARAM(size.cx, size.cy)); }
    void AutoSize() { SendMessage(TB_AUTOSIZE); }
    CImageList* SetImageList(CImageList* pImageList);
    HIMAGELIST GetImageList() const { return HIMAGELIST::FromLParam(SendMessage(TB_GETIMAGELIST)); }
    CImageList* SetDisabledImageList(CImageList* pImageList);
    DWORD SetExtendedStyle(DWORD dwExStyle) { return static_cast<DWORD>(SendMessage(TB_SETEXTENDEDSTYLE, 0, static_cast<LPARAM>(dwExStyle))); }
    DWORD GetExtendedStyle() const { return static_cast<DWORD>(SendMessage(TB_GETEXTENDEDSTYLE)); }
    void SetStyle(DWORD dwStyle) { SendMessage(TB_SETSTYLE, 0, static_cast<LPARAM>(dwStyle)); }
    DWORD GetStyle() const { return static_cast<DWORD>(SendMessage(TB_GETSTYLE)); }
    BOOL SetMaxTextRows(int iMaxRows) { return Send(TB_SETMAXTEXTROWS, static_cast<WPARAM>(iMaxRows), 0); }

private:
    BOOL Send(UINT message, WPARAM wParam, LPARAM lParam) const { return SendMessage(message, wParam, lParam) != 0 ? TRUE : FALSE; }
};

class CToolBar : public CControlBar {
    DECLARE_DYNAMIC(CToolBar)

public:
    CToolBar();
    ~CToolBar() override;

    BOOL Create(CWnd* pParentWnd, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_TOP, UINT nID = AFX_IDW_TOOLBAR);
    BOOL CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle = TBSTYLE_FLAT,
                  DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP, CRect rcBorders = CRect(0, 0, 0, 0),
                  UINT nID = AFX_IDW_TOOLBAR);
    // Buttons for the ids; ID_SEPARATOR gives a separator; the others take
    // the images 0, 1, 2... in order. A null array makes nIDCount empty
    // buttons to be set with SetButtonInfo.
    BOOL SetButtons(const UINT* lpIDArray, int nIDCount);
    // A bitmap strip of the current resource module as the images (cells of
    // the image size).
    BOOL LoadBitmap(UINT nIDResource);
    void SetSizes(SIZE sizeButton, SIZE sizeImage);
    void SetHeight(int cyHeight);

    int CommandToIndex(UINT nIDFind) const;
    UINT GetItemID(int nIndex) const;
    void GetItemRect(int nIndex, LPRECT lpRect) const;
    UINT GetButtonStyle(int nIndex) const;
    void SetButtonStyle(int nIndex, UINT nStyle);
    void GetButtonInfo(int nIndex, UINT& nID, UINT& nStyle, int& iImage) const;
    void SetButtonInfo(int nIndex, UINT nID, UINT nStyle, int iImage);
    BOOL SetButtonText(int nIndex, LPCTSTR lpszText);
    CString GetButtonText(int nIndex) const;
    void GetButtonText(int nIndex, CString& rString) const { rString = GetButtonText(nIndex); }
    int GetCount() const override { return static_cast<int>(m_buttons.size()); }
    CToolBarCtrl& GetToolBarCtrl() const;

    CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
    void OnUpdateCmdUI(CCmdTarget* pTarget, BOOL bDisableIfNoHndler) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // What the mouse is over (-1 for no button), for tests and drawing.
    int HotIndex() const { return m_hot; }

protected:
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC*) { return TRUE; }
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
    afx_msg void OnMouseMove(UINT nFlags, CPoint point);
    afx_msg void OnMouseLeave();
    afx_msg void OnCaptureChanged(CWnd* pWnd);

    DECLARE_MESSAGE_MAP()

private:
    struct Button {
        UINT id = 0;
        BYTE style = 0;
        BYTE state = TBSTATE_ENABLED;
        int image = -1;
        CString text;
    };

    CSize ButtonSize() const;
    CRect ButtonRect(int index) const;
    int ButtonAt(CPoint point) const;
    bool InDropArrow(int index, CPoint point) const;
    int DropArrowWidth(int index) const;
    bool HasText() const;
    void SetHot(int index);
    void Changed(bool relayout);
    void Click(int index);
    HIMAGELIST DisabledImages();
    LRESULT Control(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);

    std::vector<Button> m_buttons;
    HIMAGELIST m_images;
    HIMAGELIST m_disabledImages;
    HIMAGELIST m_ownDisabled;
    CImageList m_bitmapImages;
    CSize m_sizeImage{16, 15};
    CSize m_sizeButton{0, 0};
    bool m_fixedButtonSize = false;
    DWORD m_ctrlStyle = 0;
    DWORD m_exStyle = 0;
    int m_hot = -1;
    int m_pressed = -1;
    bool m_tracking = false;
    mutable CToolBarCtrl m_ctrl;
};
