// Scroll bar controls. As on the original platform, the bar tells its
// parent what the user asked (WM_HSCROLL or WM_VSCROLL with SB_ codes, the
// bar as lParam) and moves only when the program sets its position; a
// dragged thumb follows the mouse meanwhile. The range counts the page, so
// the largest position is nMax - nPage + 1.
#pragma once

#include "platform/ui/WindowApi.h"

inline constexpr DWORD SBS_HORZ = 0x0000;
inline constexpr DWORD SBS_VERT = 0x0001;
inline constexpr DWORD SBS_TOPALIGN = 0x0002;
inline constexpr DWORD SBS_LEFTALIGN = 0x0002;
inline constexpr DWORD SBS_BOTTOMALIGN = 0x0004;
inline constexpr DWORD SBS_RIGHTALIGN = 0x0004;
inline constexpr DWORD SBS_SIZEBOX = 0x0008;
inline constexpr DWORD SBS_SIZEGRIP = 0x0010;

inline constexpr UINT SBM_SETPOS = 0x00E0;
inline constexpr UINT SBM_GETPOS = 0x00E1;
inline constexpr UINT SBM_SETRANGE = 0x00E2;
inline constexpr UINT SBM_GETRANGE = 0x00E3;
inline constexpr UINT SBM_ENABLE_ARROWS = 0x00E4;
inline constexpr UINT SBM_SETRANGEREDRAW = 0x00E6;
inline constexpr UINT SBM_SETSCROLLINFO = 0x00E9;
inline constexpr UINT SBM_GETSCROLLINFO = 0x00EA;

inline constexpr UINT SIF_RANGE = 0x0001;
inline constexpr UINT SIF_PAGE = 0x0002;
inline constexpr UINT SIF_POS = 0x0004;
inline constexpr UINT SIF_DISABLENOSCROLL = 0x0008;
inline constexpr UINT SIF_TRACKPOS = 0x0010;
inline constexpr UINT SIF_ALL = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;

inline constexpr UINT ESB_ENABLE_BOTH = 0x0000;
inline constexpr UINT ESB_DISABLE_BOTH = 0x0003;

struct SCROLLINFO {
    UINT cbSize = sizeof(SCROLLINFO);
    UINT fMask = 0;
    int nMin = 0;
    int nMax = 0;
    UINT nPage = 0;
    int nPos = 0;
    int nTrackPos = 0;
};
using LPSCROLLINFO = SCROLLINFO*;

// The scroll bar controls (SB_CTL) of a window.
int SetScrollPos(HWND hWnd, int bar, int pos, BOOL redraw);
int GetScrollPos(HWND hWnd, int bar);
BOOL SetScrollRange(HWND hWnd, int bar, int minPos, int maxPos, BOOL redraw);
BOOL GetScrollRange(HWND hWnd, int bar, int* minPos, int* maxPos);
int SetScrollInfo(HWND hWnd, int bar, const SCROLLINFO* info, BOOL redraw);
BOOL GetScrollInfo(HWND hWnd, int bar, SCROLLINFO* info);

class CScrollBar : public CWnd {
    DECLARE_DYNAMIC(CScrollBar)

public:
    CScrollBar() = default;

    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

    int GetScrollPos() const { return static_cast<int>(SendMessage(SBM_GETPOS)); }
    int SetScrollPos(int nPos, BOOL bRedraw = TRUE) { return static_cast<int>(SendMessage(SBM_SETPOS, static_cast<WPARAM>(nPos), bRedraw)); }
    void GetScrollRange(int* lpMinPos, int* lpMaxPos) const
    {
        SendMessage(SBM_GETRANGE, reinterpret_cast<WPARAM>(lpMinPos), reinterpret_cast<LPARAM>(lpMaxPos));
    }
    void SetScrollRange(int nMinPos, int nMaxPos, BOOL bRedraw = TRUE)
    {
        SendMessage(bRedraw ? SBM_SETRANGEREDRAW : SBM_SETRANGE, static_cast<WPARAM>(nMinPos), nMaxPos);
    }
    BOOL SetScrollInfo(SCROLLINFO* lpScrollInfo, BOOL bRedraw = TRUE)
    {
        SendMessage(SBM_SETSCROLLINFO, bRedraw, reinterpret_cast<LPARAM>(lpScrollInfo));
        return TRUE;
    }
    BOOL GetScrollInfo(SCROLLINFO* lpScrollInfo, UINT nMask = SIF_ALL) const
    {
        if (!lpScrollInfo) return FALSE;
        lpScrollInfo->fMask = nMask;
        return static_cast<BOOL>(SendMessage(SBM_GETSCROLLINFO, 0, reinterpret_cast<LPARAM>(lpScrollInfo)));
    }
    int GetScrollLimit() const;
    BOOL EnableScrollBar(UINT nArrowFlags = ESB_ENABLE_BOTH)
    {
        return static_cast<BOOL>(SendMessage(SBM_ENABLE_ARROWS, nArrowFlags));
    }
    void ShowScrollBar(BOOL bShow = TRUE) { ShowWindow(bShow ? SW_SHOW : SW_HIDE); }
};
