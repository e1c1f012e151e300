// Tab controls: a row of tabs over a framed display area where the program
// shows its pages (child dialogs placed with AdjustRect). Selecting by the
// program sends nothing; the user's choice sends TCN_SELCHANGING (a
// non-zero answer keeps the old tab) and TCN_SELCHANGE.
#pragma once

#include "platform/ui/CommonControls.h"
#include "platform/ui/ImageList.h"

inline constexpr DWORD TCS_SCROLLOPPOSITE = 0x0001;
inline constexpr DWORD TCS_BOTTOM = 0x0002;
inline constexpr DWORD TCS_RIGHT = 0x0002;
inline constexpr DWORD TCS_MULTISELECT = 0x0004;
inline constexpr DWORD TCS_FLATBUTTONS = 0x0008;
inline constexpr DWORD TCS_FORCEICONLEFT = 0x0010;
inline constexpr DWORD TCS_FORCELABELLEFT = 0x0020;
inline constexpr DWORD TCS_HOTTRACK = 0x0040;
inline constexpr DWORD TCS_VERTICAL = 0x0080;
inline constexpr DWORD TCS_TABS = 0x0000;
inline constexpr DWORD TCS_BUTTONS = 0x0100;
inline constexpr DWORD TCS_SINGLELINE = 0x0000;
inline constexpr DWORD TCS_MULTILINE = 0x0200;
inline constexpr DWORD TCS_FIXEDWIDTH = 0x0400;
inline constexpr DWORD TCS_FOCUSNEVER = 0x8000;

inline constexpr UINT TCM_FIRST = 0x1300;
inline constexpr UINT TCM_GETIMAGELIST = TCM_FIRST + 2;
inline constexpr UINT TCM_SETIMAGELIST = TCM_FIRST + 3;
inline constexpr UINT TCM_GETITEMCOUNT = TCM_FIRST + 4;
inline constexpr UINT TCM_DELETEITEM = TCM_FIRST + 8;
inline constexpr UINT TCM_DELETEALLITEMS = TCM_FIRST + 9;
inline constexpr UINT TCM_GETITEMRECT = TCM_FIRST + 10;
inline constexpr UINT TCM_GETCURSEL = TCM_FIRST + 11;
inline constexpr UINT TCM_SETCURSEL = TCM_FIRST + 12;
inline constexpr UINT TCM_HITTEST = TCM_FIRST + 13;
inline constexpr UINT TCM_ADJUSTRECT = TCM_FIRST + 40;
inline constexpr UINT TCM_SETITEMSIZE = TCM_FIRST + 41;
inline constexpr UINT TCM_GETROWCOUNT = TCM_FIRST + 44;
inline constexpr UINT TCM_GETCURFOCUS = TCM_FIRST + 47;
inline constexpr UINT TCM_SETCURFOCUS = TCM_FIRST + 48;
inline constexpr UINT TCM_GETITEMW = TCM_FIRST + 60;
inline constexpr UINT TCM_SETITEMW = TCM_FIRST + 61;
inline constexpr UINT TCM_INSERTITEMW = TCM_FIRST + 62;
inline constexpr UINT TCM_GETITEM = TCM_GETITEMW;
inline constexpr UINT TCM_SETITEM = TCM_SETITEMW;
inline constexpr UINT TCM_INSERTITEM = TCM_INSERTITEMW;

inline constexpr UINT TCIF_TEXT = 0x0001;
inline constexpr UINT TCIF_IMAGE = 0x0002;
inline constexpr UINT TCIF_RTLREADING = 0x0004;
inline constexpr UINT TCIF_PARAM = 0x0008;
inline constexpr UINT TCIF_STATE = 0x0010;

inline constexpr UINT TCHT_NOWHERE = 0x0001;
inline constexpr UINT TCHT_ONITEMICON = 0x0002;
inline constexpr UINT TCHT_ONITEMLABEL = 0x0004;
inline constexpr UINT TCHT_ONITEM = TCHT_ONITEMICON | TCHT_ONITEMLABEL;

inline constexpr UINT TCN_FIRST = static_cast<UINT>(-550);
inline constexpr UINT TCN_KEYDOWN = TCN_FIRST - 0;
inline constexpr UINT TCN_SELCHANGE = TCN_FIRST - 1;
inline constexpr UINT TCN_SELCHANGING = TCN_FIRST - 2;

struct TCITEMW {
    UINT mask = 0;
    DWORD dwState = 0;
    DWORD dwStateMask = 0;
    LPWSTR pszText = nullptr;
    int cchTextMax = 0;
    int iImage = -1;
    LPARAM lParam = 0;
};
using TCITEM = TCITEMW;
using LPTCITEM = TCITEM*;
using TC_ITEM = TCITEM;

struct TCHITTESTINFO {
    POINT pt;
    UINT flags = 0;
};

class CTabCtrl : public CWnd {
    DECLARE_DYNAMIC(CTabCtrl)

public:
    CTabCtrl() = default;

    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

    LONG InsertItem(int nItem, TCITEM* pTabCtrlItem)
    {
        return static_cast<LONG>(SendMessage(TCM_INSERTITEM, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(pTabCtrlItem)));
    }
    LONG InsertItem(int nItem, LPCTSTR lpszItem);
    LONG InsertItem(int nItem, LPCTSTR lpszItem, int nImage);
    LONG InsertItem(UINT nMask, int nItem, LPCTSTR lpszItem, int nImage, LPARAM lParam);
    BOOL DeleteItem(int nItem) { return static_cast<BOOL>(SendMessage(TCM_DELETEITEM, static_cast<WPARAM>(nItem))); }
    BOOL DeleteAllItems() { return static_cast<BOOL>(SendMessage(TCM_DELETEALLITEMS)); }
    int GetItemCount() const { return static_cast<int>(SendMessage(TCM_GETITEMCOUNT)); }
    int GetCurSel() const { return static_cast<int>(SendMessage(TCM_GETCURSEL)); }
    int SetCurSel(int nItem) { return static_cast<int>(SendMessage(TCM_SETCURSEL, static_cast<WPARAM>(nItem))); }
    int GetCurFocus() const { return static_cast<int>(SendMessage(TCM_GETCURFOCUS)); }
    void SetCurFocus(int nItem) { SendMessage(TCM_SETCURFOCUS, static_cast<WPARAM>(nItem)); }
    BOOL GetItem(int nItem, TCITEM* pTabCtrlItem) const
    {
        return static_cast<BOOL>(SendMessage(TCM_GETITEM, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(pTabCtrlItem)));
    }
    BOOL SetItem(int nItem, TCITEM* pTabCtrlItem)
    {
        return static_cast<BOOL>(SendMessage(TCM_SETITEM, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(pTabCtrlItem)));
    }
    BOOL GetItemRect(int nItem, RECT* lpRect) const
    {
        return static_cast<BOOL>(SendMessage(TCM_GETITEMRECT, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(lpRect)));
    }
    // bLarger FALSE: the window rectangle in, the display area out.
    void AdjustRect(BOOL bLarger, RECT* lpRect) { SendMessage(TCM_ADJUSTRECT, bLarger, reinterpret_cast<LPARAM>(lpRect)); }
    int HitTest(TCHITTESTINFO* pHitTestInfo) const
    {
        return static_cast<int>(SendMessage(TCM_HITTEST, 0, reinterpret_cast<LPARAM>(pHitTestInfo)));
    }
    int GetRowCount() const { return static_cast<int>(SendMessage(TCM_GETROWCOUNT)); }
    CImageList* SetImageList(CImageList* pImageList);
    HIMAGELIST GetImageList() const { return HIMAGELIST::FromLParam(SendMessage(TCM_GETIMAGELIST)); }
};
