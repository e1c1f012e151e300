// Where the manager's windows come back: the main window and the controller
// windows are put where the user left them at the last end, to the pixel,
// however often the program is started again.
#include "manager/ui/tests/ManagerTestSupport.h"

#include <ostream>

namespace {

using namespace mgrtest;

class ManagerPlacementTest : public ::testing::Test {
protected:
    void TearDown() override { uitest::FlushDeletedWidgets(); }
};

struct Rect {
    int left, top, right, bottom;
    bool operator==(const Rect&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Rect& r)
{
    return out << "(" << r.left << "," << r.top << ")-(" << r.right << "," << r.bottom << ") " << r.right - r.left << "x"
               << r.bottom - r.top;
}

Rect WindowRect(HWND hwnd)
{
    RECT r{};
    ::GetWindowRect(hwnd, &r);
    return {r.left, r.top, r.right, r.bottom};
}

// The window reaches the rectangle (a window manager frames and places it
// in its own time); the rectangle it has in the end is returned.
Rect SettlesAt(HWND hwnd, const Rect& wanted)
{
    uitest::WaitUntil([&] { return WindowRect(hwnd) == wanted; }, 10000);
    // A late correction of the window manager would show now.
    uitest::Pump(200);
    return WindowRect(hwnd);
}

TEST_F(ManagerPlacementTest, TheMainWindowComesBackWhereItWasLeftAndDoesNotDriftOverRestarts)
{
    ManagerWorld world;
    ASSERT_TRUE(world.Start());
    ASSERT_TRUE(world.App().Options().RestorePlacement()) << "placements are restored by default";
    const Rect left{60, 50, 60 + 723, 50 + 541};
    ::MoveWindow(world.FrameHwnd(), left.left, left.top, left.right - left.left, left.bottom - left.top, TRUE);
    ASSERT_EQ(SettlesAt(world.FrameHwnd(), left), left) << "the window goes where it is put";
    world.Quit();

    for (int start = 1; start <= 3; ++start) {
        SCOPED_TRACE(start);
        ASSERT_TRUE(world.Start());
        EXPECT_TRUE(::IsWindowVisible(world.FrameHwnd()));
        EXPECT_EQ(SettlesAt(world.FrameHwnd(), left), left) << "same place and size as at the last end";
        world.Quit();
    }
}

TEST_F(ManagerPlacementTest, AControllerWindowOpensWithTheSizeTheLastOneHadOverRestarts)
{
    ManagerWorld world;
    const CString path = WriteDataFile(world.Path("size.yvekd"));
    auto open = [&] {
        ScriptedDialogs dialogs;
        dialogs.ChooseFile({path});
        world.Command(IDM_OPEN_DATA);
        return world.Active();
    };
    ASSERT_TRUE(world.Start());
    CChildFrame* child = open();
    ASSERT_NE(child, nullptr);
    child->MoveWindow(10, 10, 517, 389);
    uitest::Pump(20);
    world.Quit();

    for (int start = 1; start <= 3; ++start) {
        SCOPED_TRACE(start);
        ASSERT_TRUE(world.Start());
        child = open();
        ASSERT_NE(child, nullptr);
        uitest::Pump(50);
        const Rect r = WindowRect(child->GetSafeHwnd());
        EXPECT_EQ(r.right - r.left, 517);
        EXPECT_EQ(r.bottom - r.top, 389);
        world.Quit();
    }
}

}  // namespace
