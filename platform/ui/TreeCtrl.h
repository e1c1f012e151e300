// Tree views: items with texts, data, images (normal and selected) of an
// image list, check boxes, expanding and collapsing, selection, sorting.
// Item handles are numbers that never point at memory: a deleted item's
// handle finds nothing. Notifications: TVN_SELCHANGING (a non-zero answer
// keeps the old selection), TVN_SELCHANGED (TVC_BYMOUSE, TVC_BYKEYBOARD or
// TVC_UNKNOWN for the program's own), TVN_ITEMEXPANDING (a non-zero answer
// refuses), TVN_ITEMEXPANDED, TVN_DELETEITEM, TVN_KEYDOWN, NM_CLICK,
// NM_DBLCLK, NM_RCLICK, NM_RETURN, NM_SETFOCUS, NM_KILLFOCUS.
#pragma once

#include "platform/ui/CommonControls.h"
#include "platform/ui/ImageList.h"

struct TREEITEM_HANDLE_;
using HTREEITEM = TREEITEM_HANDLE_*;

inline HTREEITEM const TVI_ROOT = reinterpret_cast<HTREEITEM>(static_cast<std::intptr_t>(-0x10000));
inline HTREEITEM const TVI_FIRST = reinterpret_cast<HTREEITEM>(static_cast<std::intptr_t>(-0x0FFFF));
inline HTREEITEM const TVI_LAST = reinterpret_cast<HTREEITEM>(static_cast<std::intptr_t>(-0x0FFFE));
inline HTREEITEM const TVI_SORT = reinterpret_cast<HTREEITEM>(static_cast<std::intptr_t>(-0x0FFFD));

inline constexpr DWORD TVS_HASBUTTONS = 0x0001;
inline constexpr DWORD TVS_HASLINES = 0x0002;
inline constexpr DWORD TVS_LINESATROOT = 0x0004;
inline constexpr DWORD TVS_EDITLABELS = 0x0008;
inline constexpr DWORD TVS_DISABLEDRAGDROP = 0x0010;
inline constexpr DWORD TVS_SHOWSELALWAYS = 0x0020;
inline constexpr DWORD TVS_NOTOOLTIPS = 0x0080;
inline constexpr DWORD TVS_CHECKBOXES = 0x0100;
inline constexpr DWORD TVS_TRACKSELECT = 0x0200;
inline constexpr DWORD TVS_SINGLEEXPAND = 0x0400;
inline constexpr DWORD TVS_FULLROWSELECT = 0x1000;

inline constexpr UINT TV_FIRST = 0x1100;
inline constexpr UINT TVM_DELETEITEM = TV_FIRST + 1;
inline constexpr UINT TVM_EXPAND = TV_FIRST + 2;
inline constexpr UINT TVM_GETITEMRECT = TV_FIRST + 4;
inline constexpr UINT TVM_GETCOUNT = TV_FIRST + 5;
inline constexpr UINT TVM_GETINDENT = TV_FIRST + 6;
inline constexpr UINT TVM_SETINDENT = TV_FIRST + 7;
inline constexpr UINT TVM_GETIMAGELIST = TV_FIRST + 8;
inline constexpr UINT TVM_SETIMAGELIST = TV_FIRST + 9;
inline constexpr UINT TVM_GETNEXTITEM = TV_FIRST + 10;
inline constexpr UINT TVM_SELECTITEM = TV_FIRST + 11;
inline constexpr UINT TVM_GETVISIBLECOUNT = TV_FIRST + 16;
inline constexpr UINT TVM_HITTEST = TV_FIRST + 17;
inline constexpr UINT TVM_SORTCHILDREN = TV_FIRST + 19;
inline constexpr UINT TVM_ENSUREVISIBLE = TV_FIRST + 20;
inline constexpr UINT TVM_SORTCHILDRENCB = TV_FIRST + 21;
inline constexpr UINT TVM_SETBKCOLOR = TV_FIRST + 29;
inline constexpr UINT TVM_SETTEXTCOLOR = TV_FIRST + 30;
inline constexpr UINT TVM_GETITEMSTATE = TV_FIRST + 39;
inline constexpr UINT TVM_INSERTITEMW = TV_FIRST + 50;
inline constexpr UINT TVM_GETITEMW = TV_FIRST + 62;
inline constexpr UINT TVM_SETITEMW = TV_FIRST + 63;
inline constexpr UINT TVM_INSERTITEM = TVM_INSERTITEMW;
inline constexpr UINT TVM_GETITEM = TVM_GETITEMW;
inline constexpr UINT TVM_SETITEM = TVM_SETITEMW;

inline constexpr UINT TVGN_ROOT = 0x0000;
inline constexpr UINT TVGN_NEXT = 0x0001;
inline constexpr UINT TVGN_PREVIOUS = 0x0002;
inline constexpr UINT TVGN_PARENT = 0x0003;
inline constexpr UINT TVGN_CHILD = 0x0004;
inline constexpr UINT TVGN_FIRSTVISIBLE = 0x0005;
inline constexpr UINT TVGN_NEXTVISIBLE = 0x0006;
inline constexpr UINT TVGN_PREVIOUSVISIBLE = 0x0007;
inline constexpr UINT TVGN_DROPHILITE = 0x0008;
inline constexpr UINT TVGN_CARET = 0x0009;
inline constexpr UINT TVGN_LASTVISIBLE = 0x000A;

inline constexpr UINT TVE_COLLAPSE = 0x0001;
inline constexpr UINT TVE_EXPAND = 0x0002;
inline constexpr UINT TVE_TOGGLE = 0x0003;

inline constexpr UINT TVIF_TEXT = 0x0001;
inline constexpr UINT TVIF_IMAGE = 0x0002;
inline constexpr UINT TVIF_PARAM = 0x0004;
inline constexpr UINT TVIF_STATE = 0x0008;
inline constexpr UINT TVIF_HANDLE = 0x0010;
inline constexpr UINT TVIF_SELECTEDIMAGE = 0x0020;
inline constexpr UINT TVIF_CHILDREN = 0x0040;

inline constexpr UINT TVIS_SELECTED = 0x0002;
inline constexpr UINT TVIS_CUT = 0x0004;
inline constexpr UINT TVIS_DROPHILITED = 0x0008;
inline constexpr UINT TVIS_BOLD = 0x0010;
inline constexpr UINT TVIS_EXPANDED = 0x0020;
inline constexpr UINT TVIS_EXPANDEDONCE = 0x0040;
inline constexpr UINT TVIS_STATEIMAGEMASK = 0xF000;

inline constexpr int TVSIL_NORMAL = 0;
inline constexpr int TVSIL_STATE = 2;

inline constexpr UINT TVHT_NOWHERE = 0x0001;
inline constexpr UINT TVHT_ONITEMICON = 0x0002;
inline constexpr UINT TVHT_ONITEMLABEL = 0x0004;
inline constexpr UINT TVHT_ONITEMINDENT = 0x0008;
inline constexpr UINT TVHT_ONITEMBUTTON = 0x0010;
inline constexpr UINT TVHT_ONITEMRIGHT = 0x0020;
inline constexpr UINT TVHT_ONITEMSTATEICON = 0x0040;
inline constexpr UINT TVHT_ONITEM = TVHT_ONITEMICON | TVHT_ONITEMLABEL | TVHT_ONITEMSTATEICON;

inline constexpr UINT TVC_UNKNOWN = 0x0000;
inline constexpr UINT TVC_BYMOUSE = 0x0001;
inline constexpr UINT TVC_BYKEYBOARD = 0x0002;

inline constexpr UINT TVN_FIRST = static_cast<UINT>(-400);
inline constexpr UINT TVN_KEYDOWN = TVN_FIRST - 12;
inline constexpr UINT TVN_SELCHANGINGW = TVN_FIRST - 50;
inline constexpr UINT TVN_SELCHANGEDW = TVN_FIRST - 51;
inline constexpr UINT TVN_ITEMEXPANDINGW = TVN_FIRST - 54;
inline constexpr UINT TVN_ITEMEXPANDEDW = TVN_FIRST - 55;
inline constexpr UINT TVN_DELETEITEMW = TVN_FIRST - 58;
inline constexpr UINT TVN_SELCHANGING = TVN_SELCHANGINGW;
inline constexpr UINT TVN_SELCHANGED = TVN_SELCHANGEDW;
inline constexpr UINT TVN_ITEMEXPANDING = TVN_ITEMEXPANDINGW;
inline constexpr UINT TVN_ITEMEXPANDED = TVN_ITEMEXPANDEDW;
inline constexpr UINT TVN_DELETEITEM = TVN_DELETEITEMW;

struct TVITEMW {
    UINT mask = 0;
    HTREEITEM hItem = nullptr;
    UINT state = 0;
    UINT stateMask = 0;
    LPWSTR pszText = nullptr;
    int cchTextMax = 0;
    int iImage = 0;
    int iSelectedImage = 0;
    int cChildren = 0;
    LPARAM lParam = 0;
};
using TVITEM = TVITEMW;
using LPTVITEM = TVITEM*;

struct TVINSERTSTRUCTW {
    HTREEITEM hParent = nullptr;
    HTREEITEM hInsertAfter = nullptr;
    TVITEMW item;
};
using TVINSERTSTRUCT = TVINSERTSTRUCTW;
using LPTVINSERTSTRUCT = TVINSERTSTRUCT*;

struct NMTREEVIEWW {
    NMHDR hdr;
    UINT action = 0;
    TVITEMW itemOld;
    TVITEMW itemNew;
    POINT ptDrag;
};
using NMTREEVIEW = NMTREEVIEWW;
using LPNMTREEVIEW = NMTREEVIEW*;

struct NMTVKEYDOWN {
    NMHDR hdr;
    WORD wVKey = 0;
    UINT flags = 0;
};
using LPNMTVKEYDOWN = NMTVKEYDOWN*;

struct TVHITTESTINFO {
    POINT pt;
    UINT flags = 0;
    HTREEITEM hItem = nullptr;
};
using LPTVHITTESTINFO = TVHITTESTINFO*;

using PFNTVCOMPARE = int (*)(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort);

struct TVSORTCB {
    HTREEITEM hParent = nullptr;
    PFNTVCOMPARE lpfnCompare = nullptr;
    LPARAM lParam = 0;
};

class CTreeCtrl : public CWnd {
    DECLARE_DYNAMIC(CTreeCtrl)

public:
    CTreeCtrl() = default;

    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

    HTREEITEM InsertItem(LPTVINSERTSTRUCT lpInsertStruct)
    {
        return reinterpret_cast<HTREEITEM>(SendMessage(TVM_INSERTITEM, 0, reinterpret_cast<LPARAM>(lpInsertStruct)));
    }
    HTREEITEM InsertItem(LPCTSTR lpszItem, HTREEITEM hParent = TVI_ROOT, HTREEITEM hInsertAfter = TVI_LAST);
    HTREEITEM InsertItem(LPCTSTR lpszItem, int nImage, int nSelectedImage, HTREEITEM hParent = TVI_ROOT,
                         HTREEITEM hInsertAfter = TVI_LAST);
    HTREEITEM InsertItem(UINT nMask, LPCTSTR lpszItem, int nImage, int nSelectedImage, UINT nState, UINT nStateMask,
                         LPARAM lParam, HTREEITEM hParent, HTREEITEM hInsertAfter);
    BOOL DeleteItem(HTREEITEM hItem) { return static_cast<BOOL>(SendMessage(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(hItem))); }
    BOOL DeleteAllItems() { return DeleteItem(TVI_ROOT); }
    BOOL Expand(HTREEITEM hItem, UINT nCode)
    {
        return static_cast<BOOL>(SendMessage(TVM_EXPAND, nCode, reinterpret_cast<LPARAM>(hItem)));
    }
    UINT GetCount() const { return static_cast<UINT>(SendMessage(TVM_GETCOUNT)); }
    BOOL GetItem(TVITEM* pItem) const { return static_cast<BOOL>(SendMessage(TVM_GETITEM, 0, reinterpret_cast<LPARAM>(pItem))); }
    BOOL SetItem(TVITEM* pItem) { return static_cast<BOOL>(SendMessage(TVM_SETITEM, 0, reinterpret_cast<LPARAM>(pItem))); }
    CString GetItemText(HTREEITEM hItem) const;
    BOOL SetItemText(HTREEITEM hItem, LPCTSTR lpszItem);
    DWORD_PTR GetItemData(HTREEITEM hItem) const;
    BOOL SetItemData(HTREEITEM hItem, DWORD_PTR dwData);
    BOOL GetItemImage(HTREEITEM hItem, int& nImage, int& nSelectedImage) const;
    BOOL SetItemImage(HTREEITEM hItem, int nImage, int nSelectedImage);
    UINT GetItemState(HTREEITEM hItem, UINT nStateMask) const
    {
        return static_cast<UINT>(SendMessage(TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(hItem), static_cast<LPARAM>(nStateMask)));
    }
    BOOL SetItemState(HTREEITEM hItem, UINT nState, UINT nStateMask);
    BOOL GetCheck(HTREEITEM hItem) const { return ((GetItemState(hItem, TVIS_STATEIMAGEMASK) >> 12) - 1) > 0 ? TRUE : FALSE; }
    BOOL SetCheck(HTREEITEM hItem, BOOL fCheck = TRUE) { return SetItemState(hItem, (fCheck ? 2u : 1u) << 12, TVIS_STATEIMAGEMASK); }
    HTREEITEM GetNextItem(HTREEITEM hItem, UINT nCode) const
    {
        return reinterpret_cast<HTREEITEM>(SendMessage(TVM_GETNEXTITEM, nCode, reinterpret_cast<LPARAM>(hItem)));
    }
    HTREEITEM GetRootItem() const { return GetNextItem(nullptr, TVGN_ROOT); }
    HTREEITEM GetChildItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_CHILD); }
    HTREEITEM GetNextSiblingItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_NEXT); }
    HTREEITEM GetPrevSiblingItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_PREVIOUS); }
    HTREEITEM GetParentItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_PARENT); }
    HTREEITEM GetSelectedItem() const { return GetNextItem(nullptr, TVGN_CARET); }
    HTREEITEM GetFirstVisibleItem() const { return GetNextItem(nullptr, TVGN_FIRSTVISIBLE); }
    HTREEITEM GetNextVisibleItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_NEXTVISIBLE); }
    HTREEITEM GetPrevVisibleItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_PREVIOUSVISIBLE); }
    BOOL ItemHasChildren(HTREEITEM hItem) const { return GetChildItem(hItem) != nullptr; }
    BOOL SelectItem(HTREEITEM hItem)
    {
        return static_cast<BOOL>(SendMessage(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(hItem)));
    }
    BOOL EnsureVisible(HTREEITEM hItem)
    {
        return static_cast<BOOL>(SendMessage(TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(hItem)));
    }
    UINT GetVisibleCount() const { return static_cast<UINT>(SendMessage(TVM_GETVISIBLECOUNT)); }
    CImageList* SetImageList(CImageList* pImageList, int nImageListType);
    HIMAGELIST GetImageList(int nImageList) const
    {
        return HIMAGELIST::FromLParam(SendMessage(TVM_GETIMAGELIST, static_cast<WPARAM>(nImageList)));
    }
    HTREEITEM HitTest(POINT pt, UINT* pFlags = nullptr) const;
    HTREEITEM HitTest(TVHITTESTINFO* pHitTestInfo) const
    {
        return reinterpret_cast<HTREEITEM>(SendMessage(TVM_HITTEST, 0, reinterpret_cast<LPARAM>(pHitTestInfo)));
    }
    BOOL GetItemRect(HTREEITEM hItem, RECT* lpRect, BOOL bTextOnly) const;
    BOOL SortChildren(HTREEITEM hItem)
    {
        return static_cast<BOOL>(SendMessage(TVM_SORTCHILDREN, 0, reinterpret_cast<LPARAM>(hItem)));
    }
    BOOL SortChildrenCB(TVSORTCB* pSort)
    {
        return static_cast<BOOL>(SendMessage(TVM_SORTCHILDRENCB, 0, reinterpret_cast<LPARAM>(pSort)));
    }
    COLORREF SetBkColor(COLORREF clr) { return static_cast<COLORREF>(SendMessage(TVM_SETBKCOLOR, 0, static_cast<LPARAM>(clr))); }
    COLORREF SetTextColor(COLORREF clr) { return static_cast<COLORREF>(SendMessage(TVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(clr))); }
};
