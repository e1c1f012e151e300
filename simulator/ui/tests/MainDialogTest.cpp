// The main dialog started offline with the installed database, worked as a
// person works it: controller and robot, points, motions, Execute, results,
// files.
#include "simulator/ui/tests/SimulatorTestSupport.h"

namespace {

using simui::AppState;

class MainDialogTest : public ::testing::TestWithParam<const char*> {};

TEST_P(MainDialogTest, StartsWithTheFirstControllerAndOneEmptyMotion)
{
    uitest::ScopedResources module(u"pellarun", GetParam());
    ASSERT_TRUE(module.Loaded());
    AppState state;
    ScriptedMessageBox boxes;
    CSimulatorDlg dlg;
    const INT_PTR result = uitest::RunModal(dlg, [](uitest::DialogDriver& d) {
        EXPECT_EQ(d.ComboSelection(IDC_CONTROLLER_COMBO), 0);
        EXPECT_EQ(d.Text(IDC_CONTROLLER_COMBO), CString(u"KX-Q05"));
        EXPECT_EQ(d.Text(IDC_ROBOT_COMBO), CString(u"SA4-L03"));
        CGridCtrl* motions = simui::Grid(d, IDC_MOTION_GRID);
        CString name;
        name.Format(CString([] { CString s; s.LoadString(IDS_MOTION_NAME); return s; }()), 1);
        EXPECT_EQ(motions->GetCellText(1, 0), name);
        EXPECT_EQ(motions->GetCellText(1, 3), CString(u"0"));
        EXPECT_TRUE(motions->GetCellText(2, 0).IsEmpty());
        EXPECT_TRUE(d.Grab(simui::PicturePath("main-dialog", GetParam())));
        simui::Command(d, ID_FILE_EXIT);
    });
    EXPECT_EQ(result, 1);
}

TEST(MainDialogMenuTest, OfflineOnlyCloseWaitsForAnOpenFile)
{
    uitest::ScopedResources module(u"pellarun", "en");
    AppState state;
    ScriptedMessageBox boxes;
    simui::MenuInspector menus({ID_FILE_OPEN_DATA, ID_FILE_SAVE_DATA, ID_FILE_SAVE_DATA_AS, ID_FILE_CLOSE_DATA});
    CSimulatorDlg dlg;
    uitest::RunModal(dlg, [&](uitest::DialogDriver& d) {
        d.Click(IDC_MENU_FILE);
        EXPECT_EQ(menus.Greyed(), (std::vector<UINT>{ID_FILE_CLOSE_DATA}));
        simui::Command(d, ID_FILE_EXIT);
    });
}

TEST(MainDialogUnitsTest, CustomUnitsAreAskedForAndShowSpeedsInMmPerSecond)
{
    uitest::ScopedResources module(u"pellarun", "en");
    AppState state;
    ScriptedMessageBox boxes;
    CSimulatorDlg dlg;
    uitest::RunModal(dlg, [&](uitest::DialogDriver& d) {
        simui::ChooseCellEntry(d, IDC_POINT_GRID, 1, 1, 1);
        CGridCtrl* points = simui::Grid(d, IDC_POINT_GRID);
        boxes.Answer(IDNO, u"Change to custom settings?");
        d.Click(IDC_UNITS_CUSTOM);
        EXPECT_EQ(d.Check(IDC_UNITS_STANDARD), static_cast<UINT>(BST_CHECKED));
        EXPECT_EQ(points->GetCellText(1, 3), CString(u"100"));
        boxes.Answer(IDYES, u"Change to custom settings?");
        d.Click(IDC_UNITS_CUSTOM);
        EXPECT_EQ(points->GetCellText(0, 3), CString(u"Speed[mm/s]"));
        EXPECT_EQ(points->GetCellText(1, 3), CString(u"150.00")) << "100 % of the robot's 150 mm/s";
        simui::EditCell(d, IDC_POINT_GRID, 1, 3, u"500");
        EXPECT_EQ(points->GetCellText(1, 3), CString(u"150.00")) << "held at the maximum speed";
        d.Click(IDC_UNITS_STANDARD);
        EXPECT_EQ(points->GetCellText(1, 3), CString(u"100"));
        simui::ExitDiscardingEdits(d, boxes);
    });
}

TEST(MainDialogUnitsTest, ADoubleClickBelowTheMotionsAddsTheNextOne)
{
    uitest::ScopedResources module(u"pellarun", "en");
    AppState state;
    ScriptedMessageBox boxes;
    CSimulatorDlg dlg;
    uitest::RunModal(dlg, [&](uitest::DialogDriver& d) {
        simui::ChooseCellEntry(d, IDC_POINT_GRID, 1, 1, 1);
        simui::ChooseCellEntry(d, IDC_POINT_GRID, 2, 1, 1);
        CGridCtrl* motions = simui::Grid(d, IDC_MOTION_GRID);
        d.DoubleClickAt(IDC_MOTION_GRID, simui::CellCentre(motions, 2, 2));
        EXPECT_TRUE(motions->GetCellText(2, 0).IsEmpty()) << "motion 1 has no start and end yet";
        simui::ChooseCellEntry(d, IDC_MOTION_GRID, 1, 1, 0);
        simui::ChooseCellEntry(d, IDC_MOTION_GRID, 1, 2, 1);
        d.DoubleClickAt(IDC_MOTION_GRID, simui::CellCentre(motions, 2, 2));
        EXPECT_EQ(motions->GetCellText(2, 0), CString(u"Motion 2"));
        EXPECT_EQ(motions->GetCellText(2, 1), CString(u"P2"));
        EXPECT_FALSE(d.Enabled(IDC_MODE_INDIVIDUAL)) << "the type is fixed once two motions exist";
        d.Click(IDC_DELETE_MOTION);
        EXPECT_TRUE(d.Enabled(IDC_MODE_INDIVIDUAL));
        EXPECT_FALSE(motions->GetCellLocked(1, 2)) << "motion 1's end is free again";
        simui::ExitDiscardingEdits(d, boxes);
    });
}

RECT ClientRectOf(HWND dialog, HWND control)
{
    RECT rect{};
    ::GetWindowRect(control, &rect);
    POINT corners[2] = {{rect.left, rect.top}, {rect.right, rect.bottom}};
    ::ScreenToClient(dialog, &corners[0]);
    ::ScreenToClient(dialog, &corners[1]);
    return RECT{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
}

TEST(MainDialogLayoutTest, ATallerWindowGivesTheListsTheHeight)
{
    uitest::ScopedResources module(u"pellarun", "en");
    AppState state;
    ScriptedMessageBox boxes;
    CSimulatorDlg dlg;
    uitest::RunModal(dlg, [](uitest::DialogDriver& d) {
        const RECT execute = ClientRectOf(d.Dialog(), d.Item(IDC_EXECUTE));
        const RECT points = ClientRectOf(d.Dialog(), d.Item(IDC_POINT_GRID));
        const RECT motions = ClientRectOf(d.Dialog(), d.Item(IDC_MOTION_GRID));
        RECT window{};
        ::GetWindowRect(d.Dialog(), &window);
        ::MoveWindow(d.Dialog(), window.left, window.top, window.right - window.left,
                     window.bottom - window.top + 100, TRUE);
        uitest::Pump(20);
        const RECT execute2 = ClientRectOf(d.Dialog(), d.Item(IDC_EXECUTE));
        const RECT points2 = ClientRectOf(d.Dialog(), d.Item(IDC_POINT_GRID));
        const RECT motions2 = ClientRectOf(d.Dialog(), d.Item(IDC_MOTION_GRID));
        EXPECT_EQ(execute2.top - execute.top, 100);
        EXPECT_EQ(points2.top, points.top);
        EXPECT_EQ(points2.bottom - points.bottom, 50);
        EXPECT_EQ(motions2.top - motions.top, 50);
        EXPECT_EQ(motions2.bottom - motions.bottom, 100);
        ::MoveWindow(d.Dialog(), window.left, window.top, window.right - window.left, window.bottom - window.top,
                     TRUE);
        uitest::Pump(20);
        const RECT execute3 = ClientRectOf(d.Dialog(), d.Item(IDC_EXECUTE));
        EXPECT_EQ(execute3.top, execute.top);
        simui::Command(d, ID_FILE_EXIT);
    });
}

TEST(MainDialogLayoutTest, AFinePositioningControllerGivesThreeDecimals)
{
    uitest::ScopedResources module(u"pellarun", "en");
    AppState state;
    ScriptedMessageBox boxes;
    CSimulatorDlg dlg;
    uitest::RunModal(dlg, [&](uitest::DialogDriver& d) {
        simui::ChooseCellEntry(d, IDC_POINT_GRID, 1, 1, 1);
        simui::EditCell(d, IDC_POINT_GRID, 1, 2, u"12.34");
        d.ChooseComboEntry(IDC_CONTROLLER_COMBO, u"KX-V05");
        CGridCtrl* points = simui::Grid(d, IDC_POINT_GRID);
        EXPECT_EQ(points->GetCellText(1, 2), CString(u"12.340"));
        simui::EditCell(d, IDC_POINT_GRID, 1, 2, u"1.2345");
        EXPECT_EQ(points->GetCellText(1, 2), CString(u"1.235"));
        d.ChooseComboEntry(IDC_CONTROLLER_COMBO, u"KX-Q05");
        EXPECT_EQ(points->GetCellText(1, 2), CString(u"1.23"));
        simui::ExitDiscardingEdits(d, boxes);
    });
}

INSTANTIATE_TEST_SUITE_P(Languages, MainDialogTest, ::testing::Values("en", "ja"));

}  // namespace
