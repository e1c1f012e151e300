// The panes of an online controller window against the emulated controller:
// the tree picks the pane, the point grid shows the controller's points, a
// pasted point is marked as changed, written to the controller and the marks
// clear; text that is not a number is refused; pictures of the panes.
#include "manager/ui/tests/ManagerTestSupport.h"

#include "manager/core/DataManager.h"
#include "manager/ui/RightpaneFormView.h"
#include "platform/ui/FrameIds.h"
#include "tests/support/emulator/Emulator.h"

namespace {

using namespace mgrtest;

constexpr int kCom = 3;

class ManagerPanesTest : public ::testing::TestWithParam<const char*> {
protected:
    ManagerPanesTest()
    {
        emu::ControllerModel& c = emulator.AddController(1, "Q05");
        c.SetControllerName("KX-Q05");
        c.SetRobot("SA4-L06");
        emu::PointFields p{};
        p[0] = 1;      // M
        p[1] = 1000;   // P
        p[2] = 100;    // S
        p[3] = 100;
        p[4] = 100;
        p[5] = 100;
        c.SetPoint(1, p);
    }
    void TearDown() override { uitest::FlushDeletedWidgets(); }

    // Selects the tree item of a pane kind, as a click on it does.
    static void ShowPane(CChildFrame* child, int kind)
    {
        CTreeCtrl& tree = child->GetTreeView()->GetTreeCtrl();
        for (HTREEITEM item = tree.GetRootItem(); item; item = tree.GetNextItem(item, TVGN_NEXTVISIBLE))
            if (static_cast<int>(tree.GetItemData(item)) == kind) {
                tree.SelectItem(item);
                break;
            }
        uitest::Pump(10);
    }

    emu::Emulator emulator;
};

TEST_P(ManagerPanesTest, PointsAreShownEditedByPasteMarkedWrittenAndUnmarked)
{
    const std::string language = GetParam();
    ASSERT_FALSE(emulator.ServePty().empty()) << emulator.LastError();
    ManagerWorld world(language.c_str());
    world.MapPorts({{kCom, emulator.PtyPath()}});
    ASSERT_TRUE(world.Start());
    world.Boxes().Answer(IDOK, u"KX-Q05");
    ASSERT_EQ(world.NewOnline(kCom, u"Line"), IDOK);
    CChildFrame* child = world.Active();
    ASSERT_NE(child, nullptr);
    CRightpaneFormView* right = child->GetRightpaneFormView();
    ASSERT_NE(right, nullptr);

    world.Grab("panes-information-" + language + ".png");
    ShowPane(child, 1);
    EXPECT_EQ(right->CurrentSlot(), 1);
    CPointTableGrid& grid = right->PointTable().Grid();
    ASSERT_EQ(grid.GetRows(), CPointTableGrid::kFixedRows + kPointCount);
    const int row1 = CPointTableGrid::RowOfSlot(0);
    EXPECT_EQ(grid.GetCellText(row1, 2), CString(u"10.00")) << "P of point 1 with two position decimals";
    EXPECT_FALSE(grid.GetCellBold(row1, 2));
    world.Grab("panes-points-" + language + ".png");

    // A whole point pasted on the empty slot 2, field by field.
    const int row2 = CPointTableGrid::RowOfSlot(1);
    grid.SelectCell(row2, 2, TRUE);
    ASSERT_TRUE(CFlxGrid::PlaceClipboardText(grid.GetSafeHwnd(),
                                             CPointTableGrid::MoveTypeName(2) + u"\t25.5\t50\t60\t70\t80\t0\t0\t0.1\t0\t0\t0\t0"));
    world.Command(ID_EDIT_PASTE);
    EXPECT_EQ(grid.GetCellText(row2, 1), CPointTableGrid::MoveTypeName(2));
    EXPECT_EQ(grid.GetCellText(row2, 2), CString(u"25.50"));
    EXPECT_TRUE(grid.GetCellBold(row2, 2)) << "the new value is marked";
    EXPECT_EQ(grid.GetCellBackColor(row2, 2), CFlxGrid::kChangedBackColor);

    // A line copied with its label (14 cells) lands field by field too.
    const int row3 = CPointTableGrid::RowOfSlot(2);
    grid.SelectCell(row3, 5, TRUE);
    ASSERT_TRUE(CFlxGrid::PlaceClipboardText(grid.GetSafeHwnd(),
                                             u"P3\t" + CPointTableGrid::MoveTypeName(1) + u"\t-12.34\t50\t60\t70\t80\t0\t0\t0.1\t0\t0\t0\t0"));
    world.Command(ID_EDIT_PASTE);
    EXPECT_EQ(grid.GetCellText(row3, 1), CPointTableGrid::MoveTypeName(1));
    EXPECT_EQ(grid.GetCellText(row3, 2), CString(u"-12.34"));
    EXPECT_EQ(grid.GetCellText(row3, 5), CString(u"70"));

    // Text that is no number is refused: the field keeps its value.
    grid.SelectCell(row1, 2, TRUE);
    ASSERT_TRUE(CFlxGrid::PlaceClipboardText(grid.GetSafeHwnd(), u"abc"));
    world.Command(ID_EDIT_PASTE);
    EXPECT_EQ(grid.GetCellText(row1, 2), CString(u"10.00"));

    // A deleted P takes its default.
    grid.SelectCell(row1, 2, TRUE);
    world.Command(ID_EDIT_CLEAR);
    EXPECT_EQ(grid.GetCellText(row1, 2), CString(u"0.00"));
    EXPECT_TRUE(grid.GetCellBold(row1, 2));

    // Write to the controller: the emulator holds the points, the marks clear.
    world.Boxes().Answer(IDOK);
    world.Boxes().Answer(IDOK);
    world.Command(IDM_WRITE_CONTROLLER);
    emu::ControllerModel& model = emulator.Controller(1);
    EXPECT_TRUE(model.PointUsed(2));
    EXPECT_EQ(model.Point(2)[1], 2550);
    EXPECT_EQ(model.Point(2)[0], 2);
    EXPECT_EQ(model.Point(1)[1], 0);
    EXPECT_EQ(model.Point(3)[1], -1234);
    EXPECT_FALSE(grid.GetCellBold(row2, 2));
    EXPECT_FALSE(grid.GetCellBold(row1, 2));

    // The parameter groups.
    ShowPane(child, 3);
    EXPECT_EQ(right->CurrentSlot(), 3);
    EXPECT_EQ(right->Parameter().Group(), 'M');
    world.Grab("panes-parameters-M-" + language + ".png");
    world.Quit();
}

INSTANTIATE_TEST_SUITE_P(Languages, ManagerPanesTest, ::testing::Values("en", "ja"));

}  // namespace
