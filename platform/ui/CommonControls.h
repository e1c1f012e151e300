// What the common controls share: the WM_NOTIFY codes and records they all
// send, custom draw, and the class names.
#pragma once

#include "platform/ui/WindowApi.h"

inline constexpr const char16_t* WC_LISTVIEW = u"SysListView32";
inline constexpr const char16_t* WC_TREEVIEW = u"SysTreeView32";
inline constexpr const char16_t* WC_TABCONTROL = u"SysTabControl32";
inline constexpr const char16_t* WC_HEADER = u"SysHeader32";
inline constexpr const char16_t* WC_IPADDRESS = u"SysIPAddress32";
inline constexpr const char16_t* UPDOWN_CLASS = u"msctls_updown32";
inline constexpr const char16_t* PROGRESS_CLASS = u"msctls_progress32";
inline constexpr const char16_t* TRACKBAR_CLASS = u"msctls_trackbar32";

// Notifications every common control may send.
inline constexpr UINT NM_FIRST = 0;
inline constexpr UINT NM_OUTOFMEMORY = NM_FIRST - 1;
inline constexpr UINT NM_CLICK = NM_FIRST - 2;
inline constexpr UINT NM_DBLCLK = NM_FIRST - 3;
inline constexpr UINT NM_RETURN = NM_FIRST - 4;
inline constexpr UINT NM_RCLICK = NM_FIRST - 5;
inline constexpr UINT NM_RDBLCLK = NM_FIRST - 6;
inline constexpr UINT NM_SETFOCUS = NM_FIRST - 7;
inline constexpr UINT NM_KILLFOCUS = NM_FIRST - 8;
inline constexpr UINT NM_CUSTOMDRAW = NM_FIRST - 12;
inline constexpr UINT NM_HOVER = NM_FIRST - 13;

// Custom draw (list and tree items): an item's text colours.
inline constexpr DWORD CDDS_PREPAINT = 0x00000001;
inline constexpr DWORD CDDS_POSTPAINT = 0x00000002;
inline constexpr DWORD CDDS_PREERASE = 0x00000003;
inline constexpr DWORD CDDS_POSTERASE = 0x00000004;
inline constexpr DWORD CDDS_ITEM = 0x00010000;
inline constexpr DWORD CDDS_ITEMPREPAINT = CDDS_ITEM | CDDS_PREPAINT;
inline constexpr DWORD CDDS_ITEMPOSTPAINT = CDDS_ITEM | CDDS_POSTPAINT;
inline constexpr DWORD CDDS_SUBITEM = 0x00020000;
inline constexpr LRESULT CDRF_DODEFAULT = 0x00000000;
inline constexpr LRESULT CDRF_NEWFONT = 0x00000002;
inline constexpr LRESULT CDRF_SKIPDEFAULT = 0x00000004;
inline constexpr LRESULT CDRF_NOTIFYPOSTPAINT = 0x00000010;
inline constexpr LRESULT CDRF_NOTIFYITEMDRAW = 0x00000020;
inline constexpr LRESULT CDRF_NOTIFYSUBITEMDRAW = 0x00000020;
inline constexpr LRESULT CDRF_NOTIFYPOSTERASE = 0x00000040;
inline constexpr UINT CDIS_SELECTED = 0x0001;
inline constexpr UINT CDIS_GRAYED = 0x0002;
inline constexpr UINT CDIS_DISABLED = 0x0004;
inline constexpr UINT CDIS_CHECKED = 0x0008;
inline constexpr UINT CDIS_FOCUS = 0x0010;

struct NMCUSTOMDRAW {
    NMHDR hdr;
    DWORD dwDrawStage = 0;
    HDC hdc;
    RECT rc{};
    DWORD_PTR dwItemSpec = 0;
    UINT uItemState = 0;
    LPARAM lItemlParam = 0;
};
using LPNMCUSTOMDRAW = NMCUSTOMDRAW*;

// The class library's initialisation of the common controls: nothing to do.
struct INITCOMMONCONTROLSEX {
    DWORD dwSize = sizeof(INITCOMMONCONTROLSEX);
    DWORD dwICC = 0;
};
inline BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX*) { return TRUE; }
inline void InitCommonControls() {}
inline BOOL AfxInitCommonControls() { return TRUE; }

#define ON_NOTIFY_REFLECT_CUSTOMDRAW(memberFxn) ON_NOTIFY_REFLECT(NM_CUSTOMDRAW, memberFxn)
