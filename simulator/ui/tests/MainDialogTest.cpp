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

INSTANTIATE_TEST_SUITE_P(Languages, MainDialogTest, ::testing::Values("en", "ja"));

}  // namespace
