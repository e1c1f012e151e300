// The manager at a desk with a 1280 x 1024 screen, as a person first meets
// it: the first start opens a main window and a controller window that show
// the tree, the status panel and every pane whole; the desktop terminal and
// the I/O and status monitors open beside the controller window, wholly on
// the screen, clear of the menu bar and the tool bars and of one another,
// with every text readable; the Window menu lists the open windows with the
// active one checked; cascading and tiling leave every window of a usable
// size. Offscreen the screen is 1280 x 1024; on the X lane it is the display's.
#include "manager/ui/tests/ManagerTestSupport.h"

#include "manager/ui/LeftpaneFormView.h"
#include "manager/ui/RightpaneFormView.h"
#include "platform/ui/FrameIds.h"
#include "resources/manager/frame_ids.h"
#include "tests/support/emulator/Emulator.h"

#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>

#include <ostream>
#include <set>
#include <sstream>

inline std::ostream& operator<<(std::ostream& out, const RECT& r)
{
    return out << "(" << r.left << "," << r.top << ")-(" << r.right << "," << r.bottom << ")";
}

namespace {

using namespace mgrtest;

constexpr int kCom = 3;

RECT WindowRect(HWND hwnd)
{
    RECT r{};
    ::GetWindowRect(hwnd, &r);
    return r;
}

// The client area of a window in screen coordinates.
RECT VisibleArea(HWND hwnd)
{
    RECT r{};
    ::GetClientRect(hwnd, &r);
    POINT origin{0, 0};
    ::ClientToScreen(hwnd, &origin);
    return RECT{origin.x, origin.y, origin.x + r.right, origin.y + r.bottom};
}

bool Inside(const RECT& inner, const RECT& outer)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right && inner.bottom <= outer.bottom;
}

bool Overlap(const RECT& a, const RECT& b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

RECT ScreenArea()
{
    const QRect r = QGuiApplication::primaryScreen()->availableGeometry();
    return RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

// The controls of a window (and of the windows inside it) that are shown but
// lie partly outside the area: cut off for a person.
std::vector<std::string> ControlsOutside(HWND window, const RECT& area)
{
    std::vector<std::string> out;
    for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (!::IsWindowVisible(child)) continue;
        const RECT r = WindowRect(child);
        if (r.right <= r.left || r.bottom <= r.top) continue;
        if (!Inside(r, area)) {
            CString text;
            ::GetWindowTextW(child, text.GetBuffer(256), 256);
            text.ReleaseBuffer();
            std::ostringstream s;
            s << ::GetDlgCtrlID(child) << " '" << text.ToUtf8() << "' at " << r << " outside " << area;
            out.push_back(s.str());
        }
    }
    return out;
}

std::string Joined(const std::vector<std::string>& lines)
{
    std::string all;
    for (const std::string& line : lines) all += "\n  " + line;
    return all;
}

// What a person sees on the screen: on a display the screen itself, offscreen
// the windows drawn where they stand, in the order given (last on top).
bool ScreenPicture(const std::vector<HWND>& windows, const std::string& file)
{
    uitest::Pump(100);
    QScreen* screen = QGuiApplication::primaryScreen();
    QPixmap picture;
    if (platform::ui::OnRealDisplay()) {
        picture = screen->grabWindow(0);
    } else {
        picture = QPixmap(screen->geometry().size());
        picture.fill(QColor(0x40, 0x40, 0x48));
        QPainter painter(&picture);
        for (HWND hwnd : windows) {
            QWidget* w = platform::ui::WidgetOf(hwnd);
            if (w && w->isVisible()) painter.drawPixmap(w->mapToGlobal(QPoint(0, 0)), w->grab());
        }
    }
    return picture.save(QString::fromStdString(uitest::ArtifactFolder("manager") + "/" + file));
}

class ManagerDeskTest : public ::testing::TestWithParam<const char*> {
protected:
    ManagerDeskTest()
    {
        emu::ControllerModel& c = emulator.AddController(1, "Q05");
        c.SetControllerName("KX-Q05");
        c.SetRobot("SA4-L06");
        c.SetParameter(72, 2);
        // Terminal functions: IN0 start, IN1 servo on, OUT0 ready.
        c.SetParameter(21, 1);
        c.SetParameter(22, 4);
        c.SetParameter(32, 1);
    }
    void TearDown() override { uitest::FlushDeletedWidgets(); }

    // The bars a window must leave free: the main window's menu bar and tool
    // bar (everything above its client area) and the controller window's tool bar.
    static RECT Bars(ManagerWorld& world)
    {
        const RECT main = WindowRect(world.FrameHwnd());
        const RECT client = WindowRect(world.Frame().m_hWndMDIClient);
        RECT bars{main.left, main.top, main.right, client.top};
        if (CToolBar* bar = world.Active() ? world.Active()->ToolBar() : nullptr; bar && bar->IsWindowVisible())
            bars.bottom = std::max(bars.bottom, WindowRect(bar->GetSafeHwnd()).bottom);
        return bars;
    }

    emu::Emulator emulator;
};

TEST_P(ManagerDeskTest, AFirstStartShowsEveryPaneWholeAndTheToolWindowsOpenBesideTheControllerWindow)
{
    const std::string language = GetParam();
    ASSERT_FALSE(emulator.ServePty().empty());
    ManagerWorld world(language.c_str());
    world.MapPorts({{kCom, emulator.PtyPath()}});
    ASSERT_TRUE(world.Start());
    const RECT screen = ScreenArea();
    const RECT main = WindowRect(world.FrameHwnd());
    EXPECT_TRUE(Inside(main, screen)) << main << " on " << screen;
    EXPECT_GE(main.right - main.left, std::min(1200, static_cast<int>(screen.right - screen.left) - 40)) << "not a small window at first";

    world.Boxes().Answer(IDOK);
    world.NewOnline(kCom, u"Line");
    ASSERT_EQ(world.ChildCount(), 1);
    CChildFrame* child = world.Active();
    uitest::Pump(50);
    EXPECT_TRUE(Inside(WindowRect(child->GetSafeHwnd()), VisibleArea(world.Frame().m_hWndMDIClient)));

    // Every pane whole: nothing of the points (with the manual panel), the
    // parameters or the information is cut off, nor of the status panel.
    CRightpaneFormView* right = child->GetRightpaneFormView();
    ASSERT_NE(right, nullptr);
    for (int kind : {1, 0, 3, 4, 5, 6}) {
        SCOPED_TRACE(kind);
        ShowPane(child, kind);
        uitest::Pump(20);
        const RECT view = VisibleArea(right->GetSafeHwnd());
        for (HWND pane = ::GetWindow(right->GetSafeHwnd(), GW_CHILD); pane; pane = ::GetWindow(pane, GW_HWNDNEXT)) {
            if (!::IsWindowVisible(pane)) continue;
            EXPECT_EQ(ControlsOutside(pane, view), std::vector<std::string>()) << "cut off by the view";
            for (HWND inner = ::GetWindow(pane, GW_CHILD); inner; inner = ::GetWindow(inner, GW_HWNDNEXT))
                if (::IsWindowVisible(inner) && ::GetWindow(inner, GW_CHILD))
                    EXPECT_EQ(ControlsOutside(inner, view), std::vector<std::string>()) << "the manual panel";
        }
    }
    ShowPane(child, 1);
    CLeftpaneFormView* left = child->GetLeftpaneFormView();
    ASSERT_NE(left, nullptr);
    for (HWND panel = ::GetWindow(left->GetSafeHwnd(), GW_CHILD); panel; panel = ::GetWindow(panel, GW_HWNDNEXT))
        EXPECT_EQ(ControlsOutside(panel, VisibleArea(left->GetSafeHwnd())), std::vector<std::string>())
            << "the status panel";

    // The terminal and the monitors, opened from the window's own commands.
    std::vector<HWND> tools;
    for (UINT command : {IDM_DESKTOP_TERMINAL, IDM_IO_MONITOR, IDM_STATUS_MONITOR}) {
        SCOPED_TRACE(command);
        const std::vector<HWND> before = [&] {
            std::vector<HWND> shown;
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->isVisible()) shown.push_back(platform::ui::WidgetPeer::FromWidget(w) ? platform::ui::WidgetPeer::FromWidget(w)->Handle() : HWND());
            return shown;
        }();
        world.Command(command);
        uitest::Pump(50);
        HWND opened;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            const platform::ui::WidgetPeer* peer = platform::ui::WidgetPeer::FromWidget(w);
            if (w->isVisible() && peer && std::find(before.begin(), before.end(), peer->Handle()) == before.end())
                opened = peer->Handle();
        }
        ASSERT_TRUE(opened) << "a window opened";
        tools.push_back(opened);
    }
    const RECT bars = Bars(world);
    for (std::size_t i = 0; i < tools.size(); ++i) {
        SCOPED_TRACE(i);
        const RECT r = WindowRect(tools[i]);
        EXPECT_TRUE(Inside(r, screen)) << r << " on " << screen;
        EXPECT_FALSE(Overlap(r, bars)) << r << " over the bars " << bars;
        for (std::size_t j = 0; j < i; ++j) EXPECT_FALSE(Overlap(r, WindowRect(tools[j]))) << r << " over window " << j << " at " << WindowRect(tools[j]);
        EXPECT_EQ(uitest::ClippedTexts(tools[i]), std::vector<std::string>());
    }
    EXPECT_EQ(uitest::ClippedTexts(child->GetSafeHwnd()), std::vector<std::string>()) << "the controller window";

    // The I/O monitor names its lamps by terminal and function, and keeps
    // one title for the controller when its window becomes active again.
    const HWND io = tools[1];
    const bool ja = language == "ja";
    uitest::DialogDriver monitor(io);
    EXPECT_EQ(monitor.Text(IDC_IO_BIT_LABEL_FIRST), ja ? W("IN0  スタート") : CString(u"IN0  Start"));
    EXPECT_EQ(monitor.Text(IDC_IO_BIT_LABEL_FIRST + 2), ja ? W("IN1  サーボオン") : CString(u"IN1  Servo on"));
    EXPECT_EQ(monitor.Text(IDC_IO_BIT_LABEL_FIRST + 2 * 16), ja ? W("OUT0  レディ") : CString(u"OUT0  Ready"));
    EXPECT_EQ(monitor.Text(IDC_IO_BIT_LABEL_FIRST + 2 * 8), u"IN8");
    const auto title = [&] {
        CString text;
        ::GetWindowTextW(io, text.GetBuffer(256), 256);
        text.ReleaseBuffer();
        return text;
    };
    const CString opened = title();
    EXPECT_EQ(opened, ja ? W("I/Oモニタ - KX-Q05  ノード 1") : CString(u"I/O monitor - KX-Q05  node 1"));
    child->SendMessage(WM_MDIACTIVATE, 0, child->GetSafeHwnd().ToLParam());
    uitest::Pump(20);
    EXPECT_EQ(title(), opened) << "one name for the controller";
    std::vector<HWND> all{world.FrameHwnd()};
    all.insert(all.end(), tools.begin(), tools.end());
    EXPECT_TRUE(ScreenPicture(all, "desk-first-start." + language + ".png"));
    world.Quit();
}

TEST_P(ManagerDeskTest, TheWindowMenuListsTheWindowsAndArrangingThemKeepsThemUsable)
{
    const std::string language = GetParam();
    ManagerWorld world(language.c_str());
    ASSERT_TRUE(world.Start());
    std::vector<CString> files;
    for (const char* name : {"press", "feeder", "gantry"}) {
        files.push_back(WriteDataFile(world.Path(std::string(name) + ".yvekd")));
        ScriptedDialogs dialogs;
        dialogs.ChooseFile({files.back()});
        world.Command(IDM_OPEN_DATA);
    }
    ASSERT_EQ(world.ChildCount(), 3);
    const std::vector<CMDIChildWnd*> children = world.Frame().MDIGetChildren();

    // The Window popup as it opens: the windows in the order they opened, the active one checked.
    QMenuBar* bar = platform::ui::WidgetOf(world.FrameHwnd())->findChild<QMenuBar*>();
    ASSERT_NE(bar, nullptr);
    QMenu* windowMenu = nullptr;
    for (QAction* action : bar->actions())
        if (action->menu() && (action->text() == u"&Window" || action->text().startsWith(u"ウィンドウ"))) windowMenu = action->menu();
    ASSERT_NE(windowMenu, nullptr);
    const auto listed = [&] {
        emit windowMenu->aboutToShow();
        std::vector<QAction*> items;
        for (QAction* action : windowMenu->actions())
            if (!action->isSeparator() && action->text().size() > 1 && action->text()[0] == u'&' && action->text()[1].isDigit())
                items.push_back(action);
        return items;
    };
    std::vector<QAction*> items = listed();
    ASSERT_EQ(items.size(), 3u);
    for (std::size_t i = 0; i < items.size(); ++i) {
        SCOPED_TRACE(i);
        CString title;
        children[i]->GetWindowText(title);
        EXPECT_EQ(items[i]->text(), QString("&%1 %2").arg(i + 1).arg(platform::ui::ToQString(title)));
        EXPECT_EQ(items[i]->isChecked(), children[i] == world.Frame().MDIGetActive()) << "the active one checked";
    }
    // Choosing the first makes it the active window, and the list follows.
    items[0]->trigger();
    uitest::Pump(20);
    EXPECT_EQ(world.Frame().MDIGetActive(), children[0]);
    items = listed();
    ASSERT_EQ(items.size(), 3u) << "the list is made anew, not added to";
    EXPECT_TRUE(items[0]->isChecked());
    EXPECT_FALSE(items[2]->isChecked());

    // Cascade and both tilings leave each window a usable size, in the room.
    const RECT room = VisibleArea(world.Frame().m_hWndMDIClient);
    for (UINT command : {ID_WINDOW_CASCADE, ID_WINDOW_TILE_VERT, ID_WINDOW_TILE_HORZ}) {
        SCOPED_TRACE(command);
        world.Command(command);
        uitest::Pump(20);
        for (CMDIChildWnd* child : children) {
            const RECT r = WindowRect(child->GetSafeHwnd());
            EXPECT_GE(r.right - r.left, std::min(CChildFrame::kUsableWidth, static_cast<int>(room.right - room.left))) << r;
            EXPECT_GE(r.bottom - r.top, std::min(CChildFrame::kUsableHeight, static_cast<int>(room.bottom - room.top))) << r;
            EXPECT_TRUE(Inside(r, room)) << r << " in " << room;
        }
        if (command == ID_WINDOW_CASCADE) {
            // Each title bar shows: one below the other, the active window on top of the stair.
            std::set<LONG> tops;
            for (CMDIChildWnd* child : children) tops.insert(WindowRect(child->GetSafeHwnd()).top);
            EXPECT_EQ(tops.size(), children.size());
            EXPECT_EQ(WindowRect(world.Frame().MDIGetActive()->GetSafeHwnd()).top, *tops.rbegin());
        }
    }
    EXPECT_TRUE(ScreenPicture({world.FrameHwnd()}, "desk-tiled." + language + ".png"));
    world.Quit();
}

INSTANTIATE_TEST_SUITE_P(Languages, ManagerDeskTest, ::testing::Values("en", "ja"));

}  // namespace
