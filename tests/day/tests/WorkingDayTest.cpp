// A working day with the manager, in one language per run: start from fresh
// settings, connect to the controller, edit points in the pane and write
// them, save the data to a file, quit, start again and open the file
// offline. Each step is checked as the user checks it (the controller's
// memory, the file on disk, the window's texts) and pictured.
#include "tests/day/tests/DayTestSupport.h"

#include "manager/core/DataManager.h"
#include "manager/dialogs/DlgManual.h"
#include "resources/manager/ctrldlgs_ids.h"
#include "manager/ui/RightpaneFormView.h"
#include "platform/core/File.h"

namespace {

using namespace daytest;

class WorkingDayTest : public DayTest {};

TEST_P(WorkingDayTest, FromAFreshStartToTheNextMorning)
{
    ASSERT_FALSE(emulator.ServePty().empty()) << emulator.LastError();
    ManagerWorld world(GetParam().language);
    world.MapPorts({{kCom, emulator.PtyPath()}});
    const CString saved = world.Path("line-a.yvekd");

    // Morning: a fresh start.
    ASSERT_TRUE(world.Start());
    world.Frame().MoveWindow(0, 0, 1200, 860);
    Picture(world, "01-fresh-start");

    // A new online connection finds the controller and reads it.
    world.Boxes().Answer(IDOK, u"KX-Q05");
    ASSERT_EQ(world.NewOnline(kCom, u"Line A"), IDOK);
    ASSERT_EQ(world.ChildCount(), 1);
    CChildFrame* child = world.Active();
    ASSERT_NE(child, nullptr);
    EXPECT_TRUE(child->IsOnline());
    EXPECT_NE(RootText(child).Find(u"KX-Q05"), -1) << "the tree names the controller";
    child->ShowWindow(SW_SHOWMAXIMIZED);
    Picture(world, "02-online");

    // The point pane shows what the controller holds.
    CRightpaneFormView* right = child->GetRightpaneFormView();
    ASSERT_NE(right, nullptr);
    ShowPane(child, 1);
    ASSERT_EQ(right->CurrentSlot(), 1);
    CPointTableGrid& grid = right->PointTable().Grid();
    const int row1 = CPointTableGrid::RowOfSlot(0);
    const int row2 = CPointTableGrid::RowOfSlot(1);
    EXPECT_EQ(grid.GetCellText(row1, 2), CString(u"10.00"));
    Picture(world, "03-points-read");

    // A new point 2 pasted from a spreadsheet line, and point 1 moved.
    grid.SelectCell(row2, 2, TRUE);
    ASSERT_TRUE(CFlxGrid::PlaceClipboardText(grid.GetSafeHwnd(),
                                             CPointTableGrid::MoveTypeName(1) + u"\t25.5\t50\t60\t70\t80\t0\t0\t0.1\t0\t0\t0\t0"));
    world.Command(ID_EDIT_PASTE);
    grid.SelectCell(row1, 2, TRUE);
    ASSERT_TRUE(CFlxGrid::PlaceClipboardText(grid.GetSafeHwnd(), u"12.5"));
    world.Command(ID_EDIT_PASTE);
    EXPECT_EQ(grid.GetCellText(row1, 2), CString(u"12.50"));
    EXPECT_EQ(grid.GetCellText(row2, 2), CString(u"25.50"));
    EXPECT_TRUE(grid.GetCellBold(row2, 2)) << "edits are marked until written";
    emu::ControllerModel& model = emulator.Controller(1);
    EXPECT_FALSE(model.PointUsed(2)) << "nothing reaches the controller before Write";
    Picture(world, "04-points-edited");

    // Write: the controller holds exactly what the window shows.
    world.Boxes().Answer(IDOK);
    world.Boxes().Answer(IDOK);
    world.Command(IDM_WRITE_CONTROLLER);
    EXPECT_EQ(world.Boxes().PendingAnswers(), 0u);
    ASSERT_TRUE(model.PointUsed(2));
    EXPECT_EQ(model.Point(1)[1], 1250);
    EXPECT_EQ(model.Point(2)[1], 2550);
    EXPECT_EQ(model.Point(2)[2], 50);
    EXPECT_FALSE(grid.GetCellBold(row2, 2)) << "written edits are no longer marked";
    Picture(world, "05-written");

    // Manual operation from the point pane: one inching step moves the axis
    // by the inching distance, and the panel is usable again afterwards.
    CDlgManual* manual = right->PointTable().Manual();
    ASSERT_NE(manual, nullptr) << "an online point pane has the manual panel";
    {
        uitest::DialogDriver panel(manual->GetSafeHwnd());
        const int32_t before = model.DValue(0);
        const int32_t step = model.Parameter(11);
        ASSERT_GT(step, 0);
        ASSERT_TRUE(uitest::WaitUntil([&] { return panel.Enabled(IDC_MAN_INCH_PLUS); }, 10000));
        panel.Click(IDC_MAN_INCH_PLUS);
        EXPECT_TRUE(uitest::WaitUntil([&] { return model.DValue(0) == before + step; }, 10000))
            << "the axis moved one step: " << model.DValue(0);
        EXPECT_TRUE(uitest::WaitUntil([&] { return panel.Enabled(IDC_MAN_INCH_MINUS); }, 10000));
        EXPECT_EQ(model.CurrentMotion(), emu::Motion::None) << "nothing moves that was not asked";
        Picture(world, "05b-inched");
    }

    // The parameters as read.
    ShowPane(child, 3);
    EXPECT_EQ(right->CurrentSlot(), 3);
    Picture(world, "06-parameters");

    // Saved to a file for tomorrow.
    {
        ScriptedDialogs dialogs;
        dialogs.ChooseFile({saved});
        world.Command(IDM_SAVE_AS);
    }
    ASSERT_TRUE(platform::FileExists(saved.GetString()));
    const ControllerData onDisk = ReadDataFile(saved);
    EXPECT_EQ(onDisk.points[0].p, 1250);
    EXPECT_EQ(onDisk.points[1].p, 2550);
    EXPECT_EQ(onDisk.controller, CString(u"KX-Q05"));

    // Evening: the window made smaller, then quit (the online window closes
    // with the program).
    world.Frame().MoveWindow(30, 40, 1100, 800);
    uitest::Pump(10);
    RECT evening{};
    ::GetWindowRect(world.FrameHwnd(), &evening);
    world.Quit();
    EXPECT_FALSE(world.FrameAlive());

    // Next morning: the program starts again in the same settings and opens
    // yesterday's file offline from the recent files; nothing is sent to the
    // controller.
    const size_t commandsBefore = emulator.ReceivedCommands().size();
    ASSERT_TRUE(world.Start());
    {
        // The main window comes back where it was left.
        RECT placed{};
        ::GetWindowRect(world.FrameHwnd(), &placed);
        EXPECT_EQ(placed.left, evening.left);
        EXPECT_EQ(placed.top, evening.top);
    }
    world.Frame().MoveWindow(0, 0, 1200, 860);
    // The file is first in the recent files kept from yesterday.
    world.Command(ID_FILE_MRU_FILE1);
    ASSERT_EQ(world.ChildCount(), 1) << "the recent file list was kept";
    CChildFrame* offline = world.Active();
    ASSERT_NE(offline, nullptr);
    EXPECT_FALSE(offline->IsOnline());
    EXPECT_NE(RootText(offline).Find(u"KX-Q05"), -1);
    offline->ShowWindow(SW_SHOWMAXIMIZED);
    CRightpaneFormView* offRight = offline->GetRightpaneFormView();
    ASSERT_NE(offRight, nullptr);
    ShowPane(offline, 1);
    EXPECT_EQ(offRight->PointTable().Grid().GetCellText(row2, 2), CString(u"25.50"));
    EXPECT_EQ(offRight->PointTable().Grid().GetCellText(row1, 2), CString(u"12.50"));
    Picture(world, "07-next-morning-offline");
    EXPECT_EQ(emulator.ReceivedCommands().size(), commandsBefore);
    world.Quit();
    EXPECT_TRUE(world.Boxes().Shown().size() >= 1u);
    EXPECT_EQ(world.Boxes().PendingAnswers(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Runs, WorkingDayTest, ::testing::ValuesIn(kDayRuns), DayRunName);

}  // namespace
