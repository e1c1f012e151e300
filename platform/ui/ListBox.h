// List boxes: single, multiple and extended selection, sorted or not, with
// item data and search (without case). Notifications with LBS_NOTIFY:
// LBN_SELCHANGE (the user's choice only), LBN_DBLCLK, LBN_SETFOCUS,
// LBN_KILLFOCUS.
#pragma once

#include "platform/ui/WindowApi.h"

inline constexpr DWORD LBS_NOTIFY = 0x0001;
inline constexpr DWORD LBS_SORT = 0x0002;
inline constexpr DWORD LBS_NOREDRAW = 0x0004;
inline constexpr DWORD LBS_MULTIPLESEL = 0x0008;
inline constexpr DWORD LBS_OWNERDRAWFIXED = 0x0010;
inline constexpr DWORD LBS_OWNERDRAWVARIABLE = 0x0020;
inline constexpr DWORD LBS_HASSTRINGS = 0x0040;
inline constexpr DWORD LBS_USETABSTOPS = 0x0080;
inline constexpr DWORD LBS_NOINTEGRALHEIGHT = 0x0100;
inline constexpr DWORD LBS_MULTICOLUMN = 0x0200;
inline constexpr DWORD LBS_WANTKEYBOARDINPUT = 0x0400;
inline constexpr DWORD LBS_EXTENDEDSEL = 0x0800;
inline constexpr DWORD LBS_DISABLENOSCROLL = 0x1000;
inline constexpr DWORD LBS_NODATA = 0x2000;
inline constexpr DWORD LBS_NOSEL = 0x4000;
inline constexpr DWORD LBS_STANDARD = LBS_NOTIFY | LBS_SORT | WS_VSCROLL | WS_BORDER;

inline constexpr UINT LB_ADDSTRING = 0x0180;
inline constexpr UINT LB_INSERTSTRING = 0x0181;
inline constexpr UINT LB_DELETESTRING = 0x0182;
inline constexpr UINT LB_RESETCONTENT = 0x0184;
inline constexpr UINT LB_SETSEL = 0x0185;
inline constexpr UINT LB_SETCURSEL = 0x0186;
inline constexpr UINT LB_GETSEL = 0x0187;
inline constexpr UINT LB_GETCURSEL = 0x0188;
inline constexpr UINT LB_GETTEXT = 0x0189;
inline constexpr UINT LB_GETTEXTLEN = 0x018A;
inline constexpr UINT LB_GETCOUNT = 0x018B;
inline constexpr UINT LB_SELECTSTRING = 0x018C;
inline constexpr UINT LB_GETTOPINDEX = 0x018E;
inline constexpr UINT LB_GETITEMRECT = 0x0198;
inline constexpr UINT LB_ITEMFROMPOINT = 0x01A9;
inline constexpr UINT LB_FINDSTRING = 0x018F;
inline constexpr UINT LB_GETSELCOUNT = 0x0190;
inline constexpr UINT LB_GETSELITEMS = 0x0191;
inline constexpr UINT LB_SETTABSTOPS = 0x0192;
inline constexpr UINT LB_SETTOPINDEX = 0x0197;
inline constexpr UINT LB_GETITEMDATA = 0x0199;
inline constexpr UINT LB_SETITEMDATA = 0x019A;
inline constexpr UINT LB_SETCARETINDEX = 0x019E;
inline constexpr UINT LB_GETCARETINDEX = 0x019F;
inline constexpr UINT LB_SETITEMHEIGHT = 0x01A0;
inline constexpr UINT LB_GETITEMHEIGHT = 0x01A1;
inline constexpr UINT LB_FINDSTRINGEXACT = 0x01A2;

inline constexpr int LB_OKAY = 0;
inline constexpr int LB_ERR = -1;
inline constexpr int LB_ERRSPACE = -2;

inline constexpr WORD LBN_ERRSPACE = static_cast<WORD>(-2);
inline constexpr WORD LBN_SELCHANGE = 1;
inline constexpr WORD LBN_DBLCLK = 2;
inline constexpr WORD LBN_SELCANCEL = 3;
inline constexpr WORD LBN_SETFOCUS = 4;
inline constexpr WORD LBN_KILLFOCUS = 5;

#define ON_LBN_SELCHANGE(id, memberFxn) ON_CONTROL(LBN_SELCHANGE, id, memberFxn)
#define ON_LBN_DBLCLK(id, memberFxn) ON_CONTROL(LBN_DBLCLK, id, memberFxn)
#define ON_LBN_SETFOCUS(id, memberFxn) ON_CONTROL(LBN_SETFOCUS, id, memberFxn)
#define ON_LBN_KILLFOCUS(id, memberFxn) ON_CONTROL(LBN_KILLFOCUS, id, memberFxn)

class CListBox : public CWnd {
    DECLARE_DYNAMIC(CListBox)

public:
    CListBox() = default;

    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

    int GetCount() const { return static_cast<int>(SendMessage(LB_GETCOUNT)); }
    int GetCurSel() const { return static_cast<int>(SendMessage(LB_GETCURSEL)); }
    int SetCurSel(int nSelect) { return static_cast<int>(SendMessage(LB_SETCURSEL, static_cast<WPARAM>(nSelect))); }
    int GetSel(int nIndex) const { return static_cast<int>(SendMessage(LB_GETSEL, static_cast<WPARAM>(nIndex))); }
    int SetSel(int nIndex, BOOL bSelect = TRUE) { return static_cast<int>(SendMessage(LB_SETSEL, bSelect, nIndex)); }
    int GetSelCount() const { return static_cast<int>(SendMessage(LB_GETSELCOUNT)); }
    int GetSelItems(int nMaxItems, int* rgIndex) const
    {
        return static_cast<int>(SendMessage(LB_GETSELITEMS, static_cast<WPARAM>(nMaxItems), reinterpret_cast<LPARAM>(rgIndex)));
    }
    int AddString(LPCTSTR lpszItem) { return static_cast<int>(SendMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(lpszItem))); }
    int InsertString(int nIndex, LPCTSTR lpszItem)
    {
        return static_cast<int>(SendMessage(LB_INSERTSTRING, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(lpszItem)));
    }
    int DeleteString(UINT nIndex) { return static_cast<int>(SendMessage(LB_DELETESTRING, nIndex)); }
    void ResetContent() { SendMessage(LB_RESETCONTENT); }
    int GetText(int nIndex, LPTSTR lpszBuffer) const
    {
        return static_cast<int>(SendMessage(LB_GETTEXT, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(lpszBuffer)));
    }
    void GetText(int nIndex, CString& rString) const;
    int GetTextLen(int nIndex) const { return static_cast<int>(SendMessage(LB_GETTEXTLEN, static_cast<WPARAM>(nIndex))); }
    int FindString(int nStartAfter, LPCTSTR lpszItem) const
    {
        return static_cast<int>(SendMessage(LB_FINDSTRING, static_cast<WPARAM>(nStartAfter), reinterpret_cast<LPARAM>(lpszItem)));
    }
    int FindStringExact(int nIndexStart, LPCTSTR lpszFind) const
    {
        return static_cast<int>(SendMessage(LB_FINDSTRINGEXACT, static_cast<WPARAM>(nIndexStart), reinterpret_cast<LPARAM>(lpszFind)));
    }
    int SelectString(int nStartAfter, LPCTSTR lpszItem)
    {
        return static_cast<int>(SendMessage(LB_SELECTSTRING, static_cast<WPARAM>(nStartAfter), reinterpret_cast<LPARAM>(lpszItem)));
    }
    DWORD_PTR GetItemData(int nIndex) const { return static_cast<DWORD_PTR>(SendMessage(LB_GETITEMDATA, static_cast<WPARAM>(nIndex))); }
    int SetItemData(int nIndex, DWORD_PTR dwItemData)
    {
        return static_cast<int>(SendMessage(LB_SETITEMDATA, static_cast<WPARAM>(nIndex), static_cast<LPARAM>(dwItemData)));
    }
    int GetTopIndex() const { return static_cast<int>(SendMessage(LB_GETTOPINDEX)); }
    // The item's rectangle in the list box's client area.
    int GetItemRect(int nIndex, LPRECT lpRect) const
    {
        return static_cast<int>(SendMessage(LB_GETITEMRECT, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(lpRect)));
    }
    // The nearest item in the low word, 1 in the high word when the point
    // lies outside every item.
    UINT ItemFromPoint(CPoint pt, BOOL& bOutside) const
    {
        const DWORD r = static_cast<DWORD>(SendMessage(LB_ITEMFROMPOINT, 0, MAKELPARAM(pt.x, pt.y)));
        bOutside = HIWORD(r) != 0;
        return LOWORD(r);
    }
    int SetTopIndex(int nIndex) { return static_cast<int>(SendMessage(LB_SETTOPINDEX, static_cast<WPARAM>(nIndex))); }
    int GetCaretIndex() const { return static_cast<int>(SendMessage(LB_GETCARETINDEX)); }
    int SetCaretIndex(int nIndex, BOOL bScroll = TRUE)
    {
        return static_cast<int>(SendMessage(LB_SETCARETINDEX, static_cast<WPARAM>(nIndex), bScroll));
    }
};
