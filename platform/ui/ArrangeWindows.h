// The monitors of the desktop and the arrangement of top-level windows on
// one of them: cascaded or tiled inside its work area (the part that panels
// and docks leave free), as the system's window-arrangement calls do.
#pragma once

#include "platform/ui/WindowApi.h"

using HMONITOR = OpaqueHandle<struct MonitorTag>;

// Tile directions (of TileWindows and of the MDI frames).
inline constexpr UINT MDITILE_VERTICAL = 0x0000;
inline constexpr UINT MDITILE_HORIZONTAL = 0x0001;
inline constexpr UINT MDITILE_SKIPDISABLED = 0x0002;

inline constexpr DWORD MONITOR_DEFAULTTONULL = 0;
inline constexpr DWORD MONITOR_DEFAULTTOPRIMARY = 1;
inline constexpr DWORD MONITOR_DEFAULTTONEAREST = 2;
inline constexpr DWORD MONITORINFOF_PRIMARY = 1;

struct MONITORINFO {
    DWORD cbSize = sizeof(MONITORINFO);
    RECT rcMonitor{};
    RECT rcWork{};
    DWORD dwFlags = 0;
};
using LPMONITORINFO = MONITORINFO*;

// The monitor that shows most of the window (nearest or primary as asked
// when it shows none of it).
HMONITOR MonitorFromWindow(HWND hWnd, DWORD dwFlags);
BOOL GetMonitorInfoW(HMONITOR hMonitor, LPMONITORINFO lpmi);
inline BOOL GetMonitorInfo(HMONITOR hMonitor, LPMONITORINFO lpmi) { return GetMonitorInfoW(hMonitor, lpmi); }

// Arrange the windows of lpKids (top-level windows, first one top-left)
// inside lpRect (screen coordinates; null: the work area of the monitor of
// the first window). Maximized or minimized windows are restored first.
// Result: the number of windows arranged; 0 with the error set when none
// could be (no window, or an invalid handle).
WORD CascadeWindows(HWND hwndParent, UINT wHow, const RECT* lpRect, UINT cKids, const HWND* lpKids);
// MDITILE_HORIZONTAL: one above the other; MDITILE_VERTICAL: side by side;
// more than three windows share a grid.
WORD TileWindows(HWND hwndParent, UINT wHow, const RECT* lpRect, UINT cKids, const HWND* lpKids);
