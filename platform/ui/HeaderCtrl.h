// Header controls: the column headers of a list view (LVM_GETHEADER gives
// the list's own as a window of its own, which a program may subclass), or
// a header of its own. Notifications go to the header's parent:
// HDN_ITEMCLICK, HDN_BEGINTRACK (a non-zero answer refuses the drag),
// HDN_TRACK, HDN_ENDTRACK, HDN_ITEMCHANGED, HDN_DIVIDERDBLCLICK.
#pragma once

#include "platform/ui/CommonControls.h"

inline constexpr DWORD HDS_HORZ = 0x0000;
inline constexpr DWORD HDS_BUTTONS = 0x0002;
inline constexpr DWORD HDS_HOTTRACK = 0x0004;
inline constexpr DWORD HDS_HIDDEN = 0x0008;
inline constexpr DWORD HDS_DRAGDROP = 0x0040;
inline constexpr DWORD HDS_FULLDRAG = 0x0080;
inline constexpr DWORD HDS_FLAT = 0x0200;

inline constexpr UINT HDM_FIRST = 0x1200;
inline constexpr UINT HDM_GETITEMCOUNT = HDM_FIRST + 0;
inline constexpr UINT HDM_DELETEITEM = HDM_FIRST + 2;
inline constexpr UINT HDM_LAYOUT = HDM_FIRST + 5;
inline constexpr UINT HDM_HITTEST = HDM_FIRST + 6;
inline constexpr UINT HDM_GETITEMRECT = HDM_FIRST + 7;
inline constexpr UINT HDM_INSERTITEMW = HDM_FIRST + 10;
inline constexpr UINT HDM_GETITEMW = HDM_FIRST + 11;
inline constexpr UINT HDM_SETITEMW = HDM_FIRST + 12;
inline constexpr UINT HDM_ORDERTOINDEX = HDM_FIRST + 15;
inline constexpr UINT HDM_GETORDERARRAY = HDM_FIRST + 17;
inline constexpr UINT HDM_SETORDERARRAY = HDM_FIRST + 18;
inline constexpr UINT HDM_INSERTITEM = HDM_INSERTITEMW;
inline constexpr UINT HDM_GETITEM = HDM_GETITEMW;
inline constexpr UINT HDM_SETITEM = HDM_SETITEMW;

inline constexpr UINT HDI_WIDTH = 0x0001;
inline constexpr UINT HDI_HEIGHT = HDI_WIDTH;
inline constexpr UINT HDI_TEXT = 0x0002;
inline constexpr UINT HDI_FORMAT = 0x0004;
inline constexpr UINT HDI_LPARAM = 0x0008;
inline constexpr UINT HDI_BITMAP = 0x0010;
inline constexpr UINT HDI_IMAGE = 0x0020;
inline constexpr UINT HDI_ORDER = 0x0080;

inline constexpr int HDF_LEFT = 0x0000;
inline constexpr int HDF_RIGHT = 0x0001;
inline constexpr int HDF_CENTER = 0x0002;
inline constexpr int HDF_JUSTIFYMASK = 0x0003;
inline constexpr int HDF_STRING = 0x4000;

inline constexpr UINT HHT_NOWHERE = 0x0001;
inline constexpr UINT HHT_ONHEADER = 0x0002;
inline constexpr UINT HHT_ONDIVIDER = 0x0004;

inline constexpr UINT HDN_FIRST = static_cast<UINT>(-300);
inline constexpr UINT HDN_ITEMCHANGINGW = HDN_FIRST - 20;
inline constexpr UINT HDN_ITEMCHANGEDW = HDN_FIRST - 21;
inline constexpr UINT HDN_ITEMCLICKW = HDN_FIRST - 22;
inline constexpr UINT HDN_ITEMDBLCLICKW = HDN_FIRST - 23;
inline constexpr UINT HDN_DIVIDERDBLCLICKW = HDN_FIRST - 25;
inline constexpr UINT HDN_BEGINTRACKW = HDN_FIRST - 26;
inline constexpr UINT HDN_ENDTRACKW = HDN_FIRST - 27;
inline constexpr UINT HDN_TRACKW = HDN_FIRST - 28;
// The narrow codes, which programs also watch for.
inline constexpr UINT HDN_ITEMCHANGINGA = HDN_FIRST - 0;
inline constexpr UINT HDN_ITEMCHANGEDA = HDN_FIRST - 1;
inline constexpr UINT HDN_ITEMCLICKA = HDN_FIRST - 2;
inline constexpr UINT HDN_ITEMDBLCLICKA = HDN_FIRST - 3;
inline constexpr UINT HDN_DIVIDERDBLCLICKA = HDN_FIRST - 5;
inline constexpr UINT HDN_BEGINTRACKA = HDN_FIRST - 6;
inline constexpr UINT HDN_ENDTRACKA = HDN_FIRST - 7;
inline constexpr UINT HDN_TRACKA = HDN_FIRST - 8;
inline constexpr UINT HDN_ITEMCHANGING = HDN_ITEMCHANGINGW;
inline constexpr UINT HDN_ITEMCHANGED = HDN_ITEMCHANGEDW;
inline constexpr UINT HDN_ITEMCLICK = HDN_ITEMCLICKW;
inline constexpr UINT HDN_ITEMDBLCLICK = HDN_ITEMDBLCLICKW;
inline constexpr UINT HDN_DIVIDERDBLCLICK = HDN_DIVIDERDBLCLICKW;
inline constexpr UINT HDN_BEGINTRACK = HDN_BEGINTRACKW;
inline constexpr UINT HDN_ENDTRACK = HDN_ENDTRACKW;
inline constexpr UINT HDN_TRACK = HDN_TRACKW;

struct HDITEMW {
    UINT mask = 0;
    int cxy = 0;
    LPWSTR pszText = nullptr;
    HBITMAP hbm;
    int cchTextMax = 0;
    int fmt = 0;
    LPARAM lParam = 0;
    int iImage = 0;
    int iOrder = 0;
};
using HDITEM = HDITEMW;
using LPHDITEM = HDITEM*;

struct NMHEADERW {
    NMHDR hdr;
    int iItem = 0;
    int iButton = 0;
    HDITEMW* pitem = nullptr;
};
using NMHEADER = NMHEADERW;
using LPNMHEADER = NMHEADER*;

struct HDHITTESTINFO {
    POINT pt;
    UINT flags = 0;
    int iItem = 0;
};

class CHeaderCtrl : public CWnd {
    DECLARE_DYNAMIC(CHeaderCtrl)

public:
    CHeaderCtrl() = default;

    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

    int GetItemCount() const { return static_cast<int>(SendMessage(HDM_GETITEMCOUNT)); }
    int InsertItem(int nPos, HDITEM* phdi)
    {
        return static_cast<int>(SendMessage(HDM_INSERTITEM, static_cast<WPARAM>(nPos), reinterpret_cast<LPARAM>(phdi)));
    }
    BOOL DeleteItem(int nPos) { return static_cast<BOOL>(SendMessage(HDM_DELETEITEM, static_cast<WPARAM>(nPos))); }
    BOOL GetItem(int nPos, HDITEM* pHeaderItem) const
    {
        return static_cast<BOOL>(SendMessage(HDM_GETITEM, static_cast<WPARAM>(nPos), reinterpret_cast<LPARAM>(pHeaderItem)));
    }
    BOOL SetItem(int nPos, HDITEM* pHeaderItem)
    {
        return static_cast<BOOL>(SendMessage(HDM_SETITEM, static_cast<WPARAM>(nPos), reinterpret_cast<LPARAM>(pHeaderItem)));
    }
    BOOL GetItemRect(int nIndex, RECT* lpRect) const
    {
        return static_cast<BOOL>(SendMessage(HDM_GETITEMRECT, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(lpRect)));
    }
    int OrderToIndex(int nOrder) const { return static_cast<int>(SendMessage(HDM_ORDERTOINDEX, static_cast<WPARAM>(nOrder))); }
    BOOL GetOrderArray(int* piArray, int iCount) const
    {
        return static_cast<BOOL>(SendMessage(HDM_GETORDERARRAY, static_cast<WPARAM>(iCount), reinterpret_cast<LPARAM>(piArray)));
    }
    BOOL SetOrderArray(int iCount, int* piArray)
    {
        return static_cast<BOOL>(SendMessage(HDM_SETORDERARRAY, static_cast<WPARAM>(iCount), reinterpret_cast<LPARAM>(piArray)));
    }
    int HitTest(HDHITTESTINFO* pInfo) const
    {
        return static_cast<int>(SendMessage(HDM_HITTEST, 0, reinterpret_cast<LPARAM>(pInfo)));
    }
};

namespace platform::ui {
class WidgetPeer;
}

class QHeaderView;

namespace platform {
// Makes the window of a list view's own header (its peer shows the header
// the list already has).
HWND CreateAdoptedHeader(HWND list, QHeaderView* header);
}  // namespace platform
