// Static controls: text (left, centred, right, without wrapping, with or
// without '&' prefixes), icons and bitmaps, frames and rectangles, and
// owner-drawn ones (WM_DRAWITEM). The parent gives their colours through
// WM_CTLCOLORSTATIC. With SS_NOTIFY they tell clicks (STN_CLICKED,
// STN_DBLCLK); without it clicks pass through to the parent.
#pragma once

#include "platform/ui/WindowApi.h"

inline constexpr DWORD SS_LEFT = 0x0;
inline constexpr DWORD SS_CENTER = 0x1;
inline constexpr DWORD SS_RIGHT = 0x2;
inline constexpr DWORD SS_ICON = 0x3;
inline constexpr DWORD SS_BLACKRECT = 0x4;
inline constexpr DWORD SS_GRAYRECT = 0x5;
inline constexpr DWORD SS_WHITERECT = 0x6;
inline constexpr DWORD SS_BLACKFRAME = 0x7;
inline constexpr DWORD SS_GRAYFRAME = 0x8;
inline constexpr DWORD SS_WHITEFRAME = 0x9;
inline constexpr DWORD SS_USERITEM = 0xA;
inline constexpr DWORD SS_SIMPLE = 0xB;
inline constexpr DWORD SS_LEFTNOWORDWRAP = 0xC;
inline constexpr DWORD SS_OWNERDRAW = 0xD;
inline constexpr DWORD SS_BITMAP = 0xE;
inline constexpr DWORD SS_ENHMETAFILE = 0xF;
inline constexpr DWORD SS_ETCHEDHORZ = 0x10;
inline constexpr DWORD SS_ETCHEDVERT = 0x11;
inline constexpr DWORD SS_ETCHEDFRAME = 0x12;
inline constexpr DWORD SS_TYPEMASK = 0x1F;
inline constexpr DWORD SS_REALSIZECONTROL = 0x40;
inline constexpr DWORD SS_NOPREFIX = 0x80;
inline constexpr DWORD SS_NOTIFY = 0x100;
inline constexpr DWORD SS_CENTERIMAGE = 0x200;
inline constexpr DWORD SS_RIGHTJUST = 0x400;
inline constexpr DWORD SS_REALSIZEIMAGE = 0x800;
inline constexpr DWORD SS_SUNKEN = 0x1000;
inline constexpr DWORD SS_EDITCONTROL = 0x2000;
inline constexpr DWORD SS_ENDELLIPSIS = 0x4000;
inline constexpr DWORD SS_PATHELLIPSIS = 0x8000;
inline constexpr DWORD SS_WORDELLIPSIS = 0xC000;
inline constexpr DWORD SS_ELLIPSISMASK = 0xC000;

inline constexpr UINT STM_SETICON = 0x0170;
inline constexpr UINT STM_GETICON = 0x0171;
inline constexpr UINT STM_SETIMAGE = 0x0172;
inline constexpr UINT STM_GETIMAGE = 0x0173;

inline constexpr WORD STN_CLICKED = 0;
inline constexpr WORD STN_DBLCLK = 1;
inline constexpr WORD STN_ENABLE = 2;
inline constexpr WORD STN_DISABLE = 3;

#define ON_STN_CLICKED(id, memberFxn) ON_CONTROL(STN_CLICKED, id, memberFxn)
#define ON_STN_DBLCLK(id, memberFxn) ON_CONTROL(STN_DBLCLK, id, memberFxn)

class CStatic : public CWnd {
    DECLARE_DYNAMIC(CStatic)

public:
    CStatic() = default;

    BOOL Create(LPCTSTR lpszText, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID = 0xFFFF);
    HICON SetIcon(HICON hIcon) { return HICON::FromLParam(SendMessage(STM_SETICON, hIcon.ToWParam())); }
    HICON GetIcon() const { return HICON::FromLParam(SendMessage(STM_GETICON)); }
    HBITMAP SetBitmap(HBITMAP hBitmap)
    {
        return HBITMAP(HGDIOBJ::FromLParam(SendMessage(STM_SETIMAGE, IMAGE_BITMAP, hBitmap.ToLParam())));
    }
    HBITMAP GetBitmap() const { return HBITMAP(HGDIOBJ::FromLParam(SendMessage(STM_GETIMAGE, IMAGE_BITMAP))); }

    // Owner-drawn statics (SS_OWNERDRAW) draw themselves here.
    virtual void DrawItem(DRAWITEMSTRUCT* lpDrawItemStruct);
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};
