// Data files and motion settings files, saved and opened through the menu
// commands and the file dialogs as a person does; failures keep the data.
#include "simulator/ui/tests/SimulatorTestSupport.h"

#include <fstream>

namespace {

using simui::AppState;

CString Caption(HWND dialog)
{
    CString caption;
    ::GetWindowTextW(dialog, caption.GetBuffer(256), 256);
    caption.ReleaseBuffer();
    return caption;
}

using simui::ReadFile;

class FilesTest : public ::testing::Test, protected simui::Fixture {
protected:
    const CString path = dir.File("axis.yvekd");
};

// P1 ABS 12.34 and P2 INC 5.00.
void MakePoints(uitest::DialogDriver& d)
{
    simui::ChooseCellEntry(d, IDC_POINT_GRID, 1, 1, 1);
    simui::EditCell(d, IDC_POINT_GRID, 1, 2, u"12.34");
    simui::ChooseCellEntry(d, IDC_POINT_GRID, 2, 1, 2);
    simui::EditCell(d, IDC_POINT_GRID, 2, 2, u"5");
}

TEST_F(FilesTest, SavedDataReopenWithTheirPointsAndFixTheRobot)
{
    dialogs.ChooseFile({path}).ChooseFile({path});
    CSimulatorDlg dlg;
    uitest::RunModal(dlg, [&](uitest::DialogDriver& d) {
        d.ChooseComboEntry(IDC_ROBOT_COMBO, 1);
        MakePoints(d);
        simui::Command(d, ID_FILE_SAVE_DATA_AS);
        EXPECT_TRUE(std::filesystem::exists(dir.Path() / "axis.yvekd"));
        EXPECT_EQ(Caption(d.Dialog()), CString(u"Pellarun - axis.yvekd"));
        EXPECT_FALSE(d.Enabled(IDC_UNITS_CUSTOM)) << "a data file fixes the controller and robot";
        // Close: the free choice comes back with the file's robot chosen.
        simui::Command(d, ID_FILE_CLOSE_DATA);
        EXPECT_EQ(Caption(d.Dialog()), CString(u"Pellarun"));
        EXPECT_EQ(d.Text(IDC_ROBOT_COMBO), CString(u"SA4-L06"));
        EXPECT_TRUE(d.Enabled(IDC_UNITS_CUSTOM));
        // Points changed and then the file opened again.
        simui::EditCell(d, IDC_POINT_GRID, 1, 2, u"99");
        simui::Command(d, ID_FILE_OPEN_DATA);
        CGridCtrl* points = simui::Grid(d, IDC_POINT_GRID);
        EXPECT_EQ(points->GetCellText(1, 2), CString(u"12.34"));
        EXPECT_EQ(points->GetCellText(2, 1), CString(u" INC"));
        EXPECT_EQ(points->GetCellText(2, 2), CString(u"5.00"));
        EXPECT_EQ(d.Text(IDC_ROBOT_COMBO), CString(u"SA4-L06"));
        simui::Command(d, ID_FILE_EXIT);
    });
    EXPECT_NE(ReadFile(dir.Path() / "axis.yvekd").find("ROBOT=SA4-L06"), std::string::npos);
}

TEST_F(FilesTest, AFailedSaveKeepsTheDialogOpenAndTheEdits)
{
    dialogs.ChooseFile({path});
    CSimulatorDlg dlg;
    const INT_PTR result = uitest::RunModal(dlg, [&](uitest::DialogDriver& d) {
        MakePoints(d);
        simui::Command(d, ID_FILE_SAVE_DATA_AS);
        simui::EditCell(d, IDC_POINT_GRID, 1, 2, u"40");
        // The file's place is taken by a folder: the save cannot replace it.
        std::filesystem::remove(dir.Path() / "axis.yvekd");
        std::filesystem::create_directory(dir.Path() / "axis.yvekd");
        std::ofstream(dir.Path() / "axis.yvekd" / "keep").put('x');
        boxes.Answer(IDYES, u"Save them before exiting?").Answer(IDOK, u"could not be saved");
        simui::Command(d, ID_FILE_EXIT);
        EXPECT_TRUE(::IsWindowVisible(d.Dialog())) << "the edits would be lost";
        std::filesystem::remove_all(dir.Path() / "axis.yvekd");
        boxes.Answer(IDYES, u"Save them before exiting?");
        simui::Command(d, ID_FILE_EXIT);
    });
    EXPECT_EQ(result, kExitDataApplied);
    EXPECT_NE(ReadFile(dir.Path() / "axis.yvekd").find("PNT"), std::string::npos);
    EXPECT_NE(ReadFile(dir.Path() / "axis.yvekd").find("4000"), std::string::npos);
}

// Offline edits without a data file are asked about on exit as with one:
// Yes saves through Save As, No ends without writing, Cancel (or a Save As
// that is cancelled) keeps the window and the edits.
TEST_F(FilesTest, EditsWithoutAFileAreAskedAboutOnExit)
{
    const struct {
        const char* name;
        int answer;
        bool chooseFile;  // Save As is given a path (else it is cancelled)
        bool stays;       // the window is still open after the first exit, edits kept
        bool written;
    } cases[] = {
        {"yes saves through save as", IDYES, true, false, true},
        {"yes with save as cancelled stays", IDYES, false, true, false},
        {"no ends without writing", IDNO, false, false, false},
        {"cancel stays", IDCANCEL, false, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(dir.Path() / "axis.yvekd");
        if (c.answer == IDYES) {
            if (c.chooseFile) dialogs.ChooseFile({path});
            else dialogs.CancelFile();
        }
        CString question;
        question.LoadString(IDS_ASK_SAVE_BEFORE_EXIT);
        CSimulatorDlg dlg;
        const INT_PTR result = uitest::RunModal(dlg, [&](uitest::DialogDriver& d) {
            MakePoints(d);
            boxes.Answer(c.answer, question.str());
            simui::Command(d, ID_FILE_EXIT);
            if (!c.stays) return;  // the dialog must have ended: RunModal fails a script that leaves it open
            ASSERT_TRUE(::IsWindowVisible(d.Dialog()));
            CGridCtrl* points = simui::Grid(d, IDC_POINT_GRID);
            EXPECT_EQ(points->GetCellText(1, 2), CString(u"12.34")) << "the edits are kept";
            // Still edited: the next exit asks again.
            simui::ExitDiscardingEdits(d, boxes);
        });
        EXPECT_EQ(boxes.PendingAnswers(), 0u) << "every question asked";
        EXPECT_EQ(std::filesystem::exists(dir.Path() / "axis.yvekd"), c.written);
        if (c.written) {
            EXPECT_EQ(result, kExitDataApplied);
            EXPECT_NE(ReadFile(dir.Path() / "axis.yvekd").find("PNT"), std::string::npos);
            EXPECT_NE(ReadFile(dir.Path() / "axis.yvekd").find("1234"), std::string::npos);
        } else {
            EXPECT_EQ(result, kExitNothingToApply);
        }
    }
}

TEST_F(FilesTest, AFailedOpenLeavesTheDataAndThePath)
{
    std::filesystem::create_directory(dir.Path() / "broken.yvekd");
    dialogs.ChooseFile({path}).ChooseFile({dir.File("broken.yvekd")});
    CSimulatorDlg dlg;
    uitest::RunModal(dlg, [&](uitest::DialogDriver& d) {
        MakePoints(d);
        simui::Command(d, ID_FILE_SAVE_DATA_AS);
        boxes.Answer(IDOK, u"could not be read");
        simui::Command(d, ID_FILE_OPEN_DATA);
        CGridCtrl* points = simui::Grid(d, IDC_POINT_GRID);
        EXPECT_EQ(points->GetCellText(1, 2), CString(u"12.34"));
        EXPECT_EQ(Caption(d.Dialog()), CString(u"Pellarun - axis.yvekd"));
        // Save still writes the points into the file that is open.
        simui::EditCell(d, IDC_POINT_GRID, 1, 2, u"7");
        simui::Command(d, ID_FILE_SAVE_DATA);
        simui::Command(d, ID_FILE_EXIT);
    });
    EXPECT_NE(ReadFile(dir.Path() / "axis.yvekd").find("700"), std::string::npos);
}

TEST_F(FilesTest, ClosingAFileOfAnUnknownControllerDoesNotPickOneByItsPrefix)
{
    dialogs.ChooseFile({path}).ChooseFile({path});
    CSimulatorDlg dlg;
    uitest::RunModal(dlg, [&](uitest::DialogDriver& d) {
        simui::Command(d, ID_FILE_SAVE_DATA_AS);
        simui::Command(d, ID_FILE_CLOSE_DATA);
        // "KX-L" begins "KX-LA" but is no controller of the database.
        std::string text = ReadFile(dir.Path() / "axis.yvekd");
        const std::size_t at = text.find("CONT=KX-Q05");
        ASSERT_NE(at, std::string::npos);
        text.replace(at, 11, "CONT=KX-L");
        std::ofstream(dir.Path() / "axis.yvekd", std::ios::binary) << text;
        simui::Command(d, ID_FILE_OPEN_DATA);
        EXPECT_EQ(d.Text(IDC_CONTROLLER_COMBO), CString(u"KX-L"));
        simui::Command(d, ID_FILE_CLOSE_DATA);
        EXPECT_EQ(d.Text(IDC_CONTROLLER_COMBO), CString(u"KX-Q05"));
        EXPECT_EQ(d.Text(IDC_ROBOT_COMBO), CString(u"SA4-L03"));
        simui::Command(d, ID_FILE_EXIT);
    });
}

TEST_F(FilesTest, MotionSettingsSaveAndOpenAgain)
{
    const CString path = dir.File("cycle.mos");
    dialogs.ChooseFile({path}).ChooseFile({path});
    CSimulatorDlg dlg;
    uitest::RunModal(dlg, [&](uitest::DialogDriver& d) {
        simui::ChooseCellEntry(d, IDC_POINT_GRID, 1, 1, 1);
        simui::ChooseCellEntry(d, IDC_POINT_GRID, 2, 1, 1);
        simui::ChooseCellEntry(d, IDC_MOTION_GRID, 1, 1, 0);
        simui::ChooseCellEntry(d, IDC_MOTION_GRID, 1, 2, 1);
        d.Click(IDC_ADD_MOTION);
        simui::ChooseCellEntry(d, IDC_MOTION_GRID, 2, 2, 0);
        simui::EditCell(d, IDC_MOTION_GRID, 2, 3, u"40000");
        CGridCtrl* motions = simui::Grid(d, IDC_MOTION_GRID);
        EXPECT_EQ(motions->GetCellText(2, 3), CString(u"30000")) << "a dwell is held within 30000 ms";
        simui::Command(d, ID_MOTION_FILE_SAVE);
        d.Click(IDC_DELETE_MOTION);
        d.Click(IDC_DELETE_MOTION);
        EXPECT_TRUE(motions->GetCellText(1, 0).IsEmpty());
        simui::Command(d, ID_MOTION_FILE_OPEN);
        EXPECT_EQ(motions->GetCellText(1, 1), CString(u"P1"));
        EXPECT_EQ(motions->GetCellText(1, 2), CString(u"P2"));
        EXPECT_EQ(motions->GetCellText(2, 1), CString(u"P2"));
        EXPECT_EQ(motions->GetCellText(2, 2), CString(u"P1"));
        EXPECT_EQ(motions->GetCellText(2, 3), CString(u"30000"));
        simui::ExitDiscardingEdits(d, boxes);
    });
    const std::string text = ReadFile(dir.Path() / "cycle.mos");
    EXPECT_NE(text.find("MotionData1=P1,P2,0"), std::string::npos) << text;
    EXPECT_NE(text.find("MotionData2=P2,P1,30000"), std::string::npos) << text;
}

}  // namespace
