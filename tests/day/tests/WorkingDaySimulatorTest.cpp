// The simulator and the transports in a working day with the manager, in
// one language per run. Online, the controller's data go to the simulator
// program started from the tree; a point is moved there, the motion run,
// and the data taken back with Yes; the window shows the moved point as a
// change and writes it. Then the transports: the controller's data into a
// file, the controller changed at the machine, the file written back into
// the controller, and the file opened offline. Each step is checked as the
// user checks it (the controller's memory, the file on disk, the windows'
// texts) and pictured.
#include "tests/day/tests/DaySimSupport.h"
#include "tests/day/tool/SimulatorHand.h"

#include "manager/dialogs/tests/TransportTestSupport.h"

#include "manager/core/DataManager.h"
#include "manager/core/LibraryBindings.h"
#include "platform/core/File.h"
#include "resources/manager/frame_ids.h"
#include "resources/manager/transport_ids.h"
#include "tests/support/emulator/Emulator.h"

#include <filesystem>
#include <fstream>

namespace {

using namespace daysim;
using mgrtest::ScopedEnv;
using transporttest::ModalScripts;

constexpr int kCom = 3;
// What the machine's operator sets between the transports.
constexpr int kChangedPosition = 9999;
constexpr int kChangedK12 = 777;
// The program that the manager starts as its simulator here: the simulator
// with a person's hand in it.
constexpr char16_t kSimulatorProgram[] = u"day-simulator";
// Far beyond a sanitized start of the simulator on a loaded machine.
constexpr int kSimulatorRunMs = 300000;

class WorkingDaySimulatorTest : public ::testing::TestWithParam<dayshared::DayRun> {
protected:
    void SetUp() override
    {
        emulator.SetAnswerForm(GetParam().answers);
        emu::ControllerModel& c = emulator.AddController(1, "Q05");
        c.SetControllerName("KX-Q05");
        c.SetRobot("SA4-L06");
        c.SetInterface("NPN");
        // The controller holds its robot's parameters, as one set up at the
        // machine does (the simulator computes with them); the node and the
        // trace settings stay the emulator's.
        ControllerData robot;
        robot.paramSets.resize(1);
        ASSERT_TRUE(FillControllerDataFromDatabase(robot, u"KX-Q05", u"SA4-L06"));
        for (int k = 1; k <= 138; ++k)
            if (k != emu::ControllerModel::kNodeParameter && (k < emu::ControllerModel::kTraceTargetParameter ||
                                                              k > emu::ControllerModel::kTraceStreamParameter))
                c.SetParameter(k, robot.FirstParamSet()->K(k));
        // Positioning mode: writes need no question about the mode.
        c.SetParameter(20, 2);
        c.SetParameter(12, 500);
        c.SetPoint(1, {1, 1000, 100, 100, 100, 100, 0, 0, 0, 0, 0, 0, 0});
        c.SetPoint(2, {1, 2000, 100, 100, 100, 100, 0, 0, 0, 0, 0, 0, 0});
    }
    void TearDown() override { uitest::FlushDeletedWidgets(); }

    std::string Language() const { return GetParam().Tag(); }

    emu::Emulator emulator;
};

TEST_P(WorkingDaySimulatorTest, TheSimulatorsEditComesBackAndTheTransportsCarryTheDataBothWays)
{
    ASSERT_FALSE(emulator.ServePty().empty()) << emulator.LastError();
    ManagerWorld world(GetParam().language);
    world.MapPorts({{kCom, emulator.PtyPath()}});
    const CString file = world.Path("line-a-day.yvekd");
    const std::string report = (world.Folder() / "simulator-hand.txt").string();
    emu::ControllerModel& model = emulator.Controller(1);
    const int row1 = CPointTableGrid::RowOfSlot(0);
    const int row2 = CPointTableGrid::RowOfSlot(kSimulatorHandPoint - 1);

    // Online: the controller found and read.
    CChildFrame* child = ConnectOnline(world, kCom);
    ASSERT_NE(child, nullptr);
    child->ShowWindow(SW_SHOWMAXIMIZED);
    EXPECT_EQ(PointGrid(child).GetCellText(row2, 2), CString(u"20.00"));
    Picture(world, "sim-01-online", Language());

    // The simulator started from the tree on the window's data. While it
    // runs, the window's data cannot change under it.
    world.App().SetSimulatorProgram(kSimulatorProgram);
    ScopedEnv hand(kSimulatorHandReport, report);
    ASSERT_TRUE(world.Enabled(IDM_SIMULATOR));
    world.Command(IDM_SIMULATOR);
    ASSERT_TRUE(world.App().Simulator().IsRunning()) << "the simulator started";
    EXPECT_FALSE(world.Enabled(IDM_SIMULATOR)) << "one simulator at a time";
    EXPECT_FALSE(world.Enabled(IDM_WRITE_CONTROLLER)) << "no write while the simulator has the data";
    {
        // The point pane is locked: a value pasted there changes nothing.
        CPointTableGrid& running = PointGrid(child);
        EXPECT_TRUE(running.GetCellLocked(row1, 2)) << "the point pane is locked while the simulator runs";
        running.SelectCell(row1, 2, TRUE);
        ASSERT_TRUE(CFlxGrid::PlaceClipboardText(running.GetSafeHwnd(), u"77"));
        world.Command(ID_EDIT_PASTE);
        EXPECT_EQ(running.GetCellText(row1, 2), CString(u"10.00"));
    }
    Picture(world, "sim-02-simulator-running", Language());

    // The hand in the simulator works its windows; the window takes the
    // data back when the simulator ends with "apply".
    ASSERT_TRUE(uitest::WaitUntil([&] { return !world.App().Simulator().IsRunning(); }, kSimulatorRunMs))
        << "the simulator never ended";
    uitest::Pump(300);
    {
        const HandReport seen(report);
        EXPECT_EQ(seen.All("failure"), std::vector<std::string>{});
        EXPECT_NE(seen.Get("caption").find("Line A"), std::string::npos)
            << "the simulator's caption names the window: " << seen.Get("caption");
        EXPECT_EQ(seen.Get("controller"), "KX-Q05");
        EXPECT_EQ(seen.Get("robot"), "SA4-L06");
        EXPECT_EQ(seen.Get("point1"), "10.00") << "the simulator shows the controller's points";
        EXPECT_EQ(seen.Get("point.before"), "20.00");
        EXPECT_EQ(seen.Get("point.after"), "42.50");
        EXPECT_EQ(seen.Get("point.marked"), "yes");
        EXPECT_EQ(seen.Get("motion.start"), "P1");
        EXPECT_EQ(seen.Get("motion.end"), "P2");
        EXPECT_EQ(seen.Get("result.1.0"), "TOTAL") << "the run computed the motion";
        EXPECT_EQ(seen.Get("result.1.2"), "32.50") << "from 10.00 to 42.50 mm";
        EXPECT_EQ(seen.Get("result.2.2"), "32.50");
        EXPECT_NE(seen.Get("result.2.1"), "") << "the motion's time";
        EXPECT_EQ(seen.All("box").size(), 2u) << "the speed above its limit, and whether to apply the edits";
        EXPECT_EQ(seen.Get("closed"), "yes");
    }
    ASSERT_EQ(world.App().Simulator().ExitCode(), static_cast<DWORD>(kSimulatorExitDataApplied))
        << "the simulator ended with \"apply\"";
    EXPECT_TRUE(world.Enabled(IDM_SIMULATOR)) << "the simulator can be started again";
    ControllerData* data = WindowData(child);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->points[1].p, kSimulatorHandPositionUnits) << "the window holds the simulator's edit";
    CPointTableGrid& grid = PointGrid(child);
    EXPECT_FALSE(grid.GetCellLocked(row2, 2)) << "the point pane is usable again";
    EXPECT_EQ(grid.GetCellText(row2, 2), CString(u"42.50")) << "the point pane shows what came back";
    EXPECT_TRUE(grid.GetCellBold(row2, 2)) << "what came back is marked until written";
    EXPECT_FALSE(grid.GetCellBold(row1, 2)) << "what did not change is not marked";
    EXPECT_EQ(grid.GetCellText(row1, 2), CString(u"10.00"));
    EXPECT_EQ(model.Point(2)[1], 2000) << "nothing reaches the controller before Write";
    Picture(world, "sim-06-taken-back", Language());

    // Written: the controller holds the simulator's edit.
    world.Boxes().Answer(IDOK, Text(IDS_ASK_WRITE));
    world.Boxes().Answer(IDOK, Text(IDS_WRITE_DONE));
    world.Command(IDM_WRITE_CONTROLLER);
    EXPECT_EQ(world.Boxes().PendingAnswers(), 0u);
    EXPECT_EQ(model.Point(2)[1], kSimulatorHandPositionUnits);
    EXPECT_EQ(model.Point(1)[1], 1000);
    EXPECT_FALSE(PointGrid(child).GetCellBold(row2, 2)) << "written edits are no longer marked";
    Picture(world, "sim-07-written", Language());

    // Transport, controller to file, on the window's own line.
    world.Boxes().Answer(IDOK, Text(IDS_TRANSPORT_ASK_WINDOW));
    world.Boxes().Answer(IDOK, Text(IDS_TRANSPORT_DONE));
    {
        ModalScripts scripts({[&](uitest::DialogDriver& d) {
            d.Retype(IDC_TRANSPORT_PATH, file.str());
            EXPECT_NE(transporttest::SelectedTreeText(d, IDC_TRANSPORT_TREE).Find(u"COM3"), -1)
                << "the window's connection is chosen";
            PictureOver(world, d.Dialog(), "transport-01-controller-to-file", Language());
            d.Click(IDOK);
        }});
        world.Command(IDM_TRANSPORT_FROM);
    }
    EXPECT_EQ(world.Boxes().PendingAnswers(), 0u);
    ASSERT_TRUE(platform::FileExists(file.GetString())) << "the transport wrote the file";
    {
        const ControllerData onDisk = ReadDataFile(file);
        EXPECT_EQ(onDisk.controller, CString(u"KX-Q05"));
        EXPECT_EQ(onDisk.robot, CString(u"SA4-L06"));
        EXPECT_EQ(onDisk.points[0].p, 1000);
        EXPECT_EQ(onDisk.points[1].p, kSimulatorHandPositionUnits);
        EXPECT_EQ(onDisk.points[1].number, 2);
        ASSERT_FALSE(onDisk.paramSets.empty());
        EXPECT_EQ(onDisk.paramSets[0].K(12), 500);
    }
    Picture(world, "transport-02-file-written", Language());

    // At the machine the controller is changed.
    model.SetPoint(2, {1, kChangedPosition, 100, 100, 100, 100, 0, 0, 0, 0, 0, 0, 0});
    model.SetParameter(12, kChangedK12);

    // Transport, file to controller, on the window's line: the controller
    // holds the file's values again and the window shows them.
    world.Boxes().Answer(IDOK, Text(IDS_TRANSPORT_ASK_WINDOW));
    world.Boxes().Answer(IDOK, Text(IDS_TRANSPORT_DONE));
    {
        ModalScripts scripts({[&](uitest::DialogDriver& d) {
            d.Retype(IDC_TRANSPORT_PATH, file.str());
            EXPECT_NE(transporttest::SelectedTreeText(d, IDC_TRANSPORT_TREE).Find(u"COM3"), -1);
            PictureOver(world, d.Dialog(), "transport-03-file-to-controller", Language());
            d.Click(IDOK);
        }});
        world.Command(IDM_TRANSPORT_TO);
    }
    EXPECT_EQ(world.Boxes().PendingAnswers(), 0u);
    EXPECT_EQ(model.Point(2)[1], kSimulatorHandPositionUnits) << "the file's point";
    EXPECT_EQ(model.Point(1)[1], 1000);
    EXPECT_EQ(model.Parameter(12), 500) << "the file's parameter";
    ASSERT_EQ(world.Active(), child);
    EXPECT_EQ(WindowData(child)->points[1].p, kSimulatorHandPositionUnits) << "the window read its controller again";
    EXPECT_EQ(PointGrid(child).GetCellText(row2, 2), CString(u"42.50"));
    EXPECT_TRUE(child->GetTreeView()->IsConnected());
    Picture(world, "transport-04-written-back", Language());

    // The window closes without a question (nothing unsaved), and the file
    // opens offline with the day's data.
    world.Command(IDM_CLOSE_WINDOW);
    EXPECT_EQ(world.ChildCount(), 0);
    const size_t commandsBefore = emulator.ReceivedCommands().size();
    {
        ScriptedDialogs dialogs;
        dialogs.ChooseFile({file});
        world.Command(IDM_OPEN_DATA);
    }
    ASSERT_EQ(world.ChildCount(), 1);
    CChildFrame* offline = world.Active();
    ASSERT_NE(offline, nullptr);
    EXPECT_FALSE(offline->IsOnline());
    offline->ShowWindow(SW_SHOWMAXIMIZED);
    EXPECT_NE(RootText(offline).Find(u"KX-Q05"), -1) << "the tree names the controller";
    EXPECT_NE(WindowText(offline->GetSafeHwnd()).Find(u"line-a-day"), -1) << "the window is named by the file";
    CPointTableGrid& offGrid = PointGrid(offline);
    EXPECT_EQ(offGrid.GetCellText(row1, 2), CString(u"10.00"));
    EXPECT_EQ(offGrid.GetCellText(row2, 2), CString(u"42.50"));
    EXPECT_FALSE(offGrid.GetCellBold(row2, 2)) << "a file just opened has no changes";
    Picture(world, "transport-05-file-offline", Language());
    mgrtest::ShowPane(offline, 3);
    EXPECT_EQ(WindowData(offline)->FirstParamSet()->K(12), 500);
    Picture(world, "transport-06-file-parameters", Language());
    EXPECT_EQ(emulator.ReceivedCommands().size(), commandsBefore) << "an offline window never talks to the controller";

    world.Quit();
    EXPECT_EQ(world.Boxes().PendingAnswers(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Runs, WorkingDaySimulatorTest, ::testing::ValuesIn(dayshared::kDayRuns),
                         dayshared::DayRunName);

// While the simulator has a window's data, the window's grids take no change
// from the menus either (their keys are refused by the lock itself); once it
// has ended they take them again. The stand-in simulator waits for a file.
TEST(WorkingDaySimulatorLockTest, TheMenusChangeNothingInTheWindowWhileTheSimulatorRuns)
{
    ManagerWorld world;
    const std::string release = (world.Folder() / "release").string();
    ScopedEnv hold("QV_FAKE_SIMULATOR_HOLD", release);
    ScopedEnv exit("QV_FAKE_SIMULATOR_EXIT", "7");
    ASSERT_TRUE(world.Start());
    world.App().SetSimulatorProgram(u"qvtest-simulator");
    world.App().OpenDataFile(mgrtest::WriteDataFile(world.Path("locked.yvekd")));
    CChildFrame* child = world.Active();
    ASSERT_NE(child, nullptr);
    CPointTableGrid& grid = PointGrid(child);
    const int row = CPointTableGrid::RowOfSlot(0);
    grid.SelectCell(row, 2, TRUE);
    ASSERT_TRUE(CFlxGrid::PlaceClipboardText(grid.GetSafeHwnd(), u"77"));
    EXPECT_TRUE(world.Enabled(ID_EDIT_PASTE));

    world.Command(IDM_SIMULATOR);
    ASSERT_TRUE(world.App().Simulator().IsRunning());
    grid.SelectCell(row, 2, TRUE);
    struct Case {
        const char* what;
        UINT command;
    };
    for (const Case& c : {Case{"paste", ID_EDIT_PASTE}, Case{"cut", ID_EDIT_CUT}, Case{"delete", ID_EDIT_CLEAR}}) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(world.Enabled(c.command)) << "greyed in the menu and the tool bar";
        world.Command(c.command);
        EXPECT_EQ(grid.GetCellText(row, 2), CString(u"10.00"));
        EXPECT_EQ(WindowData(child)->points[0].p, 1000);
    }
    EXPECT_TRUE(world.Enabled(ID_EDIT_COPY)) << "copying changes nothing";

    std::ofstream(release) << "go\n";
    ASSERT_TRUE(uitest::WaitUntil([&] { return !world.App().Simulator().IsRunning(); }, 60000));
    uitest::Pump(300);
    ASSERT_TRUE(world.Enabled(ID_EDIT_PASTE)) << "usable again once the simulator has ended";
    grid.SelectCell(row, 2, TRUE);
    world.Command(ID_EDIT_PASTE);
    EXPECT_EQ(grid.GetCellText(row, 2), CString(u"77.00"));
    EXPECT_EQ(WindowData(child)->points[0].p, 7700);
    world.Boxes().Answer(IDNO);
    world.Quit();
}

}  // namespace
