#include "platform/ui/ArrangeWindows.h"

#include "platform/core/LastError.h"
#include "platform/core/WinError.h"
#include "platform/ui/Gdi.h"
#include "platform/ui/WidgetPeer.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

RECT ToRect(const QRect& r) { return RECT{r.x(), r.y(), r.x() + r.width(), r.y() + r.height()}; }

QScreen* ScreenOf(HMONITOR monitor)
{
    if (!monitor || !QGuiApplication::instance()) return nullptr;
    const QList<QScreen*> screens = QGuiApplication::screens();
    const auto index = static_cast<qsizetype>(monitor.Value()) - 1;
    return index >= 0 && index < screens.size() ? screens[index] : nullptr;
}

HMONITOR MonitorOfScreen(QScreen* screen)
{
    if (!screen) return HMONITOR();
    const qsizetype index = QGuiApplication::screens().indexOf(screen);
    return index < 0 ? HMONITOR() : HMONITOR::FromValue(static_cast<std::uint64_t>(index) + 1);
}

// The windows that can be arranged; the error set when one is not a window.
bool Windows(UINT count, const HWND* kids, std::vector<HWND>& out)
{
    if (!kids || count == 0) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    for (UINT i = 0; i < count; ++i) {
        if (!::IsWindow(kids[i])) {
            ::SetLastError(ERROR_INVALID_HANDLE);
            return false;
        }
        out.push_back(kids[i]);
    }
    return true;
}

bool AreaFor(HWND first, const RECT* given, RECT& area)
{
    if (given) {
        area = *given;
    } else {
        MONITORINFO info;
        if (!::GetMonitorInfoW(::MonitorFromWindow(first, MONITOR_DEFAULTTONEAREST), &info)) {
            ::SetLastError(ERROR_INVALID_PARAMETER);
            return false;
        }
        area = info.rcWork;
    }
    if (area.right <= area.left || area.bottom <= area.top) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    return true;
}

void Place(HWND hwnd, int x, int y, int w, int h)
{
    if (::IsZoomed(hwnd) || ::IsIconic(hwnd)) ::ShowWindow(hwnd, SW_RESTORE);
    ::SetWindowPos(hwnd, HWND(), x, y, std::max(w, 1), std::max(h, 1), SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

HMONITOR MonitorFromWindow(HWND hWnd, DWORD dwFlags)
{
    if (!QGuiApplication::instance()) return HMONITOR();
    RECT r{};
    if (::IsWindow(hWnd) && ::GetWindowRect(hWnd, &r)) {
        const QRect rect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
        if (QScreen* best = platform::ui::ScreenShowing(rect)) return MonitorOfScreen(best);
        if (dwFlags == MONITOR_DEFAULTTONEAREST) {
            QScreen* nearest = QGuiApplication::screenAt(rect.center());
            if (nearest) return MonitorOfScreen(nearest);
        }
    }
    if (dwFlags == MONITOR_DEFAULTTONULL) return HMONITOR();
    return MonitorOfScreen(QGuiApplication::primaryScreen());
}

BOOL GetMonitorInfoW(HMONITOR hMonitor, LPMONITORINFO lpmi)
{
    QScreen* screen = ScreenOf(hMonitor);
    if (!screen || !lpmi) return FALSE;
    lpmi->rcMonitor = ToRect(screen->geometry());
    lpmi->rcWork = ToRect(screen->availableGeometry());
    lpmi->dwFlags = screen == QGuiApplication::primaryScreen() ? MONITORINFOF_PRIMARY : 0;
    return TRUE;
}

WORD CascadeWindows(HWND, UINT, const RECT* lpRect, UINT cKids, const HWND* lpKids)
{
    std::vector<HWND> windows;
    RECT area{};
    if (!Windows(cKids, lpKids, windows) || !AreaFor(windows.front(), lpRect, area)) return 0;
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    // Each window three quarters of the area, one caption lower and further right than the last.
    const int w = width * 3 / 4;
    const int h = height * 3 / 4;
    const int step = std::max(::GetSystemMetrics(SM_CYCAPTION) + ::GetSystemMetrics(SM_CYSIZEFRAME), 8);
    const int room = std::max(std::min(width - w, height - h) / step, 1);
    for (std::size_t i = 0; i < windows.size(); ++i) {
        const int k = static_cast<int>(i) % room;
        Place(windows[i], area.left + k * step, area.top + k * step, w, h);
    }
    return static_cast<WORD>(windows.size());
}

WORD TileWindows(HWND, UINT wHow, const RECT* lpRect, UINT cKids, const HWND* lpKids)
{
    std::vector<HWND> windows;
    RECT area{};
    if (!Windows(cKids, lpKids, windows) || !AreaFor(windows.front(), lpRect, area)) return 0;
    const int n = static_cast<int>(windows.size());
    // Up to three windows in one row or column, more in a grid.
    int across = 1;
    int down = 1;
    const bool horizontal = (wHow & MDITILE_HORIZONTAL) != 0;
    if (n <= 3) {
        (horizontal ? down : across) = n;
    } else {
        const int major = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(n))));
        const int minor = (n + major - 1) / major;
        across = horizontal ? minor : major;
        down = horizontal ? major : minor;
    }
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    for (int i = 0; i < n; ++i) {
        const int col = horizontal ? i / down : i % across;
        const int row = horizontal ? i % down : i / across;
        const int x0 = area.left + width * col / across;
        const int x1 = area.left + width * (col + 1) / across;
        const int y0 = area.top + height * row / down;
        const int y1 = area.top + height * (row + 1) / down;
        Place(windows[static_cast<std::size_t>(i)], x0, y0, x1 - x0, y1 - y0);
    }
    return static_cast<WORD>(n);
}
