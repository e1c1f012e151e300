// Windows as a desktop user meets them: where dialogs and message boxes open,
// what their frames offer, that code keeps a frame where it put it, and that
// what opens is painted at once. Offscreen these check the window layer's
// side; the run on a real display (Xvfb with a window manager) checks what
// the window manager makes of it.
#include "platform/ui/tests/TestDialog.h"

#include "platform/core/MessageBox.h"
#include "platform/core/LastError.h"
#include "platform/core/WinError.h"
#include "platform/ui/ArrangeWindows.h"
#include "platform/ui/StandardDialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QMessageBox>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

#include <cstdlib>

namespace {

using uitest::AllControlsDialog;
using uitest::DialogDriver;

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

// True when the frame's middle lies within tolerance of the point.
::testing::AssertionResult CentredOn(const QRect& frame, const QPoint& middle, int tolerance = 2)
{
    const QPoint d = frame.center() - middle;
    if (std::abs(d.x()) <= tolerance && std::abs(d.y()) <= tolerance) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "frame (" << frame.x() << "," << frame.y() << " " << frame.width() << "x"
                                         << frame.height() << ") has its middle at " << frame.center().x() << ","
                                         << frame.center().y() << ", not at " << middle.x() << "," << middle.y();
}

// What the screen shows of a window: on a real display the pixels that the
// display server holds, so an unpainted window is black there.
QImage ShownOnScreen(QWidget* window)
{
    QScreen* screen = window->screen();
    if (!screen) return {};
    const QRect r = window->geometry();
    return screen->grabWindow(0, r.x(), r.y(), r.width(), r.height()).toImage();
}

// The share of black pixels in a picture (0 to 1).
double BlackShare(const QImage& image)
{
    if (image.isNull() || image.width() == 0 || image.height() == 0) return 1.0;
    long black = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) == 0) ++black;
    return static_cast<double>(black) / (static_cast<double>(image.width()) * image.height());
}

// A plain top-level window of the program with every frame button, shown
// as programs show their main windows.
class OwnerWindow : public CWnd {
public:
    bool Open(const QRect& where)
    {
        if (!CreateEx(0, AfxRegisterWndClass(0), u"Owner", WS_POPUP | WS_OVERLAPPEDWINDOW,
                      RECT{where.left(), where.top(), where.right() + 1, where.bottom() + 1}, nullptr, 0)) {
            return false;
        }
        ShowWindow(SW_SHOW);
        return true;
    }
};

// A dialog that places itself, as dialogs that remember their place do.
class PlacedDialog : public AllControlsDialog {
public:
    PlacedDialog(CWnd* parent, QPoint at) : AllControlsDialog(parent), m_at(at) {}

protected:
    BOOL OnInitDialog() override
    {
        AllControlsDialog::OnInitDialog();
        SetWindowPos(nullptr, m_at.x(), m_at.y(), 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        return TRUE;
    }

private:
    QPoint m_at;
};

class DesktopWindowsTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        if (m_owner.GetSafeHwnd()) m_owner.DestroyWindow();
        uitest::FlushDeletedWidgets();
    }

    QRect OpenOwner()
    {
        const QRect area = ScreenArea();
        const QRect where(area.left() + 40, area.top() + 60, 700, 600);
        EXPECT_TRUE(m_owner.Open(where));
        uitest::Pump(0);
        return FrameOf(m_owner.GetSafeHwnd());
    }

    uitest::ScopedResources m_resources{u"uitest", "en"};
    OwnerWindow m_owner;
};

TEST_F(DesktopWindowsTest, AModalDialogWithoutAPlaceOfItsOwnOpensCentredOnItsOwnerOrTheScreen)
{
    const QRect owner = OpenOwner();
    {
        SCOPED_TRACE("with an owner");
        AllControlsDialog dlg(&m_owner);
        uitest::RunModal(dlg, [&](DialogDriver& d) {
            EXPECT_TRUE(CentredOn(FrameOf(d.Dialog()), owner.center()));
            d.Click(IDCANCEL);
        });
    }
    {
        SCOPED_TRACE("without one");
        m_owner.ShowWindow(SW_HIDE);
        AllControlsDialog dlg;
        uitest::RunModal(dlg, [&](DialogDriver& d) {
            EXPECT_TRUE(CentredOn(FrameOf(d.Dialog()), ScreenArea().center()));
            d.Click(IDCANCEL);
        });
    }
}

TEST_F(DesktopWindowsTest, APlaceTheDialogChoseIsKeptAndPulledBackOntoTheScreen)
{
    OpenOwner();
    const QRect area = ScreenArea();
    struct Row {
        const char* name;
        QPoint at;
        bool kept;
    };
    const Row rows[] = {
        {"on the screen: kept", area.topLeft() + QPoint(30, 50), true},
        {"far off the screen: brought back", QPoint(-5000, -4000), false},
        {"hanging off the bottom right: brought back", area.bottomRight() - QPoint(20, 20), false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        PlacedDialog dlg(&m_owner, row.at);
        uitest::RunModal(dlg, [&](DialogDriver& d) {
            const QRect frame = FrameOf(d.Dialog());
            if (row.kept) {
                EXPECT_EQ(frame.topLeft(), row.at);
            } else {
                EXPECT_TRUE(area.contains(frame)) << "frame " << frame.x() << "," << frame.y() << " " << frame.width()
                                                  << "x" << frame.height();
            }
            d.Click(IDCANCEL);
        });
    }
}

TEST_F(DesktopWindowsTest, TheFrameOffersWhatTheTemplateAllows)
{
    {
        SCOPED_TRACE("a fixed-size dialog: no minimise, no maximise, no resizing");
        AllControlsDialog dlg;
        uitest::RunModal(dlg, [&](DialogDriver& d) {
            QWidget* w = d.Widget(d.Dialog());
            const Qt::WindowFlags flags = w->windowFlags();
            EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
            EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
            EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
            EXPECT_TRUE(flags & Qt::WindowTitleHint);
            EXPECT_EQ(w->minimumSize(), w->size());
            EXPECT_EQ(w->maximumSize(), w->size());
            // Code may still size it; it stays fixed at the new size.
            CRect r;
            dlg.GetWindowRect(&r);
            dlg.SetWindowPos(nullptr, 0, 0, r.Width() + 40, r.Height() + 30, SWP_NOMOVE | SWP_NOZORDER);
            EXPECT_EQ(FrameOf(d.Dialog()).size(), QSize(r.Width() + 40, r.Height() + 30));
            EXPECT_EQ(w->maximumSize(), w->size());
            d.Click(IDCANCEL);
        });
    }
    {
        SCOPED_TRACE("an overlapped window: every button, and resizable");
        OpenOwner();
        QWidget* w = uitest::DialogDriver(m_owner.GetSafeHwnd()).Widget(m_owner.GetSafeHwnd());
        const Qt::WindowFlags flags = w->windowFlags();
        EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
        EXPECT_TRUE(flags & Qt::WindowMaximizeButtonHint);
        EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
        EXPECT_NE(w->minimumSize(), w->maximumSize());
    }
}

TEST_F(DesktopWindowsTest, MovesAndResizesFromCodeKeepTheFrameWhereTheyPutIt)
{
    const QRect area = ScreenArea();
    AllControlsDialog dlg;
    uitest::RunModal(dlg, [&](DialogDriver& d) {
        const HWND hwnd = d.Dialog();
        const QRect start = FrameOf(hwnd);
        // Growing it again and again from its own rectangle, as dialogs that
        // open a detail part do, leaves its top-left corner where it was.
        for (int i = 1; i <= 3; ++i) {
            SCOPED_TRACE(i);
            RECT r;
            ::GetWindowRect(hwnd, &r);
            ::SetWindowPos(hwnd, HWND(), r.left, r.top, r.right - r.left + 10, r.bottom - r.top + 10, SWP_NOZORDER);
            uitest::Pump(50);
            const QRect now = FrameOf(hwnd);
            EXPECT_EQ(now.topLeft(), start.topLeft());
            EXPECT_EQ(now.size(), start.size() + QSize(10 * i, 10 * i));
        }
        const QRect target(area.left() + 100, area.top() + 80, 500, 400);
        ::MoveWindow(hwnd, target.x(), target.y(), target.width(), target.height(), TRUE);
        uitest::Pump(50);
        EXPECT_EQ(FrameOf(hwnd), target);
        // The client area lies within the frame, the title bar on the screen.
        POINT client{0, 0};
        ::ClientToScreen(hwnd, &client);
        EXPECT_TRUE(target.contains(QPoint(client.x, client.y)));
        EXPECT_GE(target.top(), area.top());
        d.Click(IDCANCEL);
    });
}

TEST_F(DesktopWindowsTest, AMessageBoxOpensPaintedAndCentredOnItsOwner)
{
    const QRect owner = OpenOwner();
    bool looked = false;
    QTimer look;
    look.setInterval(10);
    int looks = 0;
    QObject::connect(&look, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) {
            if (++looks > 1000) {
                look.stop();
                ADD_FAILURE() << "no message box came up";
            }
            return;
        }
        look.stop();
        looked = true;
        EXPECT_TRUE(CentredOn(box->frameGeometry(), owner.center()));
        EXPECT_LT(BlackShare(ShownOnScreen(box)), 0.2) << "the box is not painted";
        box->grab().save(QString::fromStdString(uitest::ArtifactFolder("ui") + "/message-box.png"), "PNG");
        box->reject();
    });
    look.start();
    ::MessageBoxW(m_owner.GetSafeHwnd(),
                  u"The controller did not answer. Check the cable and the port settings, then try again.",
                  u"Connection", MB_OK | MB_ICONEXCLAMATION);
    EXPECT_TRUE(looked);
}

TEST_F(DesktopWindowsTest, WindowsAreTiledAndCascadedInsideTheWorkAreaOfTheirMonitor)
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
