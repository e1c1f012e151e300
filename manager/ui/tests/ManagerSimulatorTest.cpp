// The simulator started from a controller window: its data go to the
// simulator and come back only when it ends with the exit code that applies
// them; one simulator at a time, and its window cannot close meanwhile.
#include "manager/ui/tests/ManagerTestSupport.h"

#include "manager/core/ControllerData.h"
#include "manager/core/DataManager.h"

namespace {

using namespace mgrtest;

class ManagerSimulatorTest : public ::testing::Test {
protected:
    void TearDown() override { uitest::FlushDeletedWidgets(); }
};

ControllerData* WindowData(ManagerWorld& world)
{
    return world.Active() ? world.Active()->Document()->DataManager().GetCurrentController() : nullptr;
}

TEST_F(ManagerSimulatorTest, OnlyTheExitCodeThatAppliesTheDataBringsThemBack)
{
    struct Case {
        const char* exitCode;
        const char16_t* robot;
    };
    for (const Case& c : {Case{"6", u"SA4-L12"}, Case{"7", u"SA4-L06"}}) {
        SCOPED_TRACE(c.exitCode);
        ManagerWorld world;
        ScopedEnv edit("QV_FAKE_SIMULATOR_EDIT", "SA4-L12");
        ScopedEnv exit("QV_FAKE_SIMULATOR_EXIT", c.exitCode);
        ASSERT_TRUE(world.Start());
        world.App().SetSimulatorProgram(u"qvtest-simulator");
        world.App().OpenDataFile(WriteDataFile(world.Path("sim.yvekd")));
        ASSERT_NE(WindowData(world), nullptr);
        EXPECT_TRUE(world.Enabled(IDM_SIMULATOR));
        world.Command(IDM_SIMULATOR);
        ASSERT_TRUE(uitest::WaitUntil([&] { return world.App().Simulator().ExitCode() != 0; }, 20000));
        ASSERT_TRUE(uitest::WaitUntil([&] { return !world.App().Simulator().IsRunning(); }, 20000));
        uitest::Pump(300);
        EXPECT_EQ(WindowData(world)->robot, c.robot);
        // Data that came back are changes not yet saved: closing asks.
        const bool cameBack = std::string(c.exitCode) == "6";
        if (cameBack) world.Boxes().Answer(IDNO, u"have changed");
        world.Command(IDM_CLOSE_WINDOW);
        EXPECT_EQ(world.ChildCount(), 0);
        EXPECT_EQ(world.Boxes().Shown().size(), cameBack ? 1u : 0u);
    }
}

TEST_F(ManagerSimulatorTest, WhileTheSimulatorRunsItsWindowStaysAndNoSecondOneStarts)
{
    ManagerWorld world;
    const std::string hold = (world.Folder() / "release").string();
    ScopedEnv wait("QV_FAKE_SIMULATOR_HOLD", hold);
    ScopedEnv exit("QV_FAKE_SIMULATOR_EXIT", "7");
    ASSERT_TRUE(world.Start());
    world.App().SetSimulatorProgram(u"qvtest-simulator");
    world.App().OpenDataFile(WriteDataFile(world.Path("one.yvekd")));
    world.Command(IDM_SIMULATOR);
    ASSERT_TRUE(world.App().Simulator().IsRunning());
    EXPECT_FALSE(world.Enabled(IDM_SIMULATOR)) << "one simulator at a time";
    world.Boxes().Answer(IDOK, u"simulator");
    world.Command(IDM_CLOSE_WINDOW);
    EXPECT_EQ(world.ChildCount(), 1) << "the window that runs the simulator stays";
    std::ofstream(hold) << "go\n";
    ASSERT_TRUE(uitest::WaitUntil([&] { return !world.App().Simulator().IsRunning(); }, 20000));
    uitest::Pump(300);
    world.Command(IDM_CLOSE_WINDOW);
    EXPECT_EQ(world.ChildCount(), 0);
}

}  // namespace
