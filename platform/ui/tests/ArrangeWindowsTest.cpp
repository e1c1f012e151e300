// Windows arranged as the desktop's cascade and tile calls arrange them,
// inside the work area of the monitor that shows them.
#include "platform/ui/ArrangeWindows.h"
#include "platform/ui/MDIFrameWnd.h"

#include "platform/core/LastError.h"
#include "platform/core/WinError.h"
#include "tests/support/ui/UiTest.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>

namespace {

QRect ScreenArea()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

QRect FrameOf(HWND hwnd)
{
    RECT r;
    ::GetWindowRect(hwnd, &r);
    return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
}

class OwnerWindow : public CWnd {
public:
    bool Open(const QRect& where)
    {
        if (!CreateEx(0, AfxRegisterWndClass(0), u"Arranged", WS_POPUP | WS_OVERLAPPEDWINDOW,
                      RECT{where.left(), where.top(), where.right() + 1, where.bottom() + 1}, nullptr, 0)) {
            return false;
        }
        ShowWindow(SW_SHOW);
        return true;
    }
};

TEST(ArrangeWindowsTest, WindowsAreTiledAndCascadedInsideTheWorkAreaOfTheirMonitor)
{
    const QRect area = ScreenArea();
    OwnerWindow windows[4];
    HWND handles[4];
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(windows[i].Open(QRect(area.left() + 30 * i, area.top() + 40, 400, 300)));
        handles[i] = windows[i].GetSafeHwnd();
    }
    uitest::Pump(0);
    MONITORINFO monitor;
    ASSERT_TRUE(::GetMonitorInfoW(::MonitorFromWindow(handles[0], MONITOR_DEFAULTTONEAREST), &monitor));
    EXPECT_EQ(QRect(QPoint(monitor.rcWork.left, monitor.rcWork.top), QPoint(monitor.rcWork.right - 1, monitor.rcWork.bottom - 1)),
              area);
    const RECT inside{100, 100, 900, 700};
    struct Case {
        const char* row;
        int count;
        UINT how;
        QRect first;
        QRect last;
    };
    const Case cases[] = {
        {"two one above the other", 2, MDITILE_HORIZONTAL, QRect(100, 100, 800, 300), QRect(100, 400, 800, 300)},
        {"two side by side", 2, MDITILE_VERTICAL, QRect(100, 100, 400, 600), QRect(500, 100, 400, 600)},
        {"four in a grid", 4, MDITILE_VERTICAL, QRect(100, 100, 400, 300), QRect(500, 400, 400, 300)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        EXPECT_EQ(::TileWindows(HWND(), c.how, &inside, static_cast<UINT>(c.count), handles), c.count);
        uitest::Pump(0);
        EXPECT_EQ(FrameOf(handles[0]), c.first);
        EXPECT_EQ(FrameOf(handles[c.count - 1]), c.last);
    }
    // Cascaded: three quarters of the area, each one step lower and further right.
    EXPECT_EQ(::CascadeWindows(HWND(), 0, &inside, 3, handles), 3);
    uitest::Pump(0);
    const QRect first = FrameOf(handles[0]);
    const QRect third = FrameOf(handles[2]);
    EXPECT_EQ(first, QRect(100, 100, 600, 450));
    EXPECT_EQ(third.size(), first.size());
    EXPECT_GT(third.left(), first.left());
    EXPECT_EQ(third.left() - first.left(), third.top() - first.top());
    // A handle that is no window arranges nothing and says why.
    windows[3].DestroyWindow();
    ::SetLastError(0);
    EXPECT_EQ(::TileWindows(HWND(), MDITILE_VERTICAL, nullptr, 4, handles), 0);
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    for (int i = 0; i < 3; ++i) windows[i].DestroyWindow();
    uitest::FlushDeletedWidgets();
}

}  // namespace
