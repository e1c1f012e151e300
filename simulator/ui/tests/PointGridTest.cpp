// The point list's keys and limits as a person meets them: Escape takes an
// edit back, Delete clears a block (points and all), typed values are held
// within their column's limits, and the detail dialog leaves unusual
// position decimals alone.
#include "simulator/ui/tests/SimulatorTestSupport.h"


namespace {

using simui::AppState;

using simui::Fixture;
using simui::ReadFile;

TEST(PointGridTest, TypedValuesAreHeldWithinTheirColumnsLimits)
{
    Fixture f;
    CSimulatorDlg dlg;
    uitest::RunModal(dlg, [&](uitest::DialogDriver& d) {
        simui::ChooseCellEntry(d, IDC_POINT_GRID, 1, 1, 1);
        CGridCtrl* points = simui::Grid(d, IDC_POINT_GRID);
        struct Case {
            const char* what;
            int col;
            const char16_t* typed;
            const char16_t* shown;
        };
        const Case cases[] = {
            {"position rounded to the decimals", 2, u"12.345", u"12.35"},
            {"position above the range", 2, u"20000", u"9999.99"},
            {"speed above 100 %", 3, u"150", u"100"},
            {"speed below 1 %", 3, u"0", u"1"},
            {"a letter is not typed", 5, u"5x0", u"50"},
            {"flag", 7, u"1000000", u"999999"},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(c.what);
            simui::EditCell(d, IDC_POINT_GRID, 1, c.col, c.typed);
            EXPECT_EQ(points->GetCellText(1, c.col), CString(c.shown));
        }
        simui::ExitDiscardingEdits(d, f.boxes);
    });
}

// Typed decimals are stored and shown rounded half away from zero, never cut:
// 8.2 mm/s is 819.99... hundredths in binary and must be kept as 820, so
// typing again what the file holds is no edit (nothing is marked and exit
// asks nothing); a typed half shows rounded up in magnitude.
TEST(PointGridTest, TypedDecimalsRoundHalfAwayFromZero)
{
    Fixture f;
    f.dialogs.ChooseFile({f.dir.File("axis.yvekd")});
    CSimulatorDlg dlg;
    uitest::RunModal(dlg, [&](uitest::DialogDriver& d) {
        CGridCtrl* points = simui::Grid(d, IDC_POINT_GRID);
        simui::ChooseCellEntry(d, IDC_POINT_GRID, 1, 1, 1);
        simui::ChooseCellEntry(d, IDC_POINT_GRID, 2, 1, 2);
        f.boxes.Answer(IDYES, u"Change to custom settings?");
        d.Click(IDC_UNITS_CUSTOM);
        struct Case {
            const char* what;
            int row;
            int col;
            const char16_t* typed;
            const char16_t* shown;
        };
        // Values whose binary scaled form lies just below the whole number.
        const Case held[] = {
            {"speed 8.2 mm/s", 1, 3, u"8.2", u"8.20"},
            {"speed 2.01 mm/s", 2, 3, u"2.01", u"2.01"},
            {"acceleration 0.29", 1, 4, u"0.29", u"0.29"},
            {"acceleration 0.57", 2, 4, u"0.57", u"0.57"},
            {"position 1.13", 1, 2, u"1.13", u"1.13"},
            {"negative position 4.35", 2, 2, u"-4.35", u"-4.35"},
        };
        for (const Case& c : held) {
            SCOPED_TRACE(c.what);
            simui::EditCell(d, IDC_POINT_GRID, c.row, c.col, c.typed);
            EXPECT_EQ(points->GetCellText(c.row, c.col), CString(c.shown));
        }
        simui::Command(d, ID_FILE_SAVE_DATA_AS);
        for (const Case& c : held) {
            SCOPED_TRACE(c.what);
            simui::EditCell(d, IDC_POINT_GRID, c.row, c.col, c.typed);
        }
        // The same values again: no edit, so no question (an unexpected box fails).
        simui::Command(d, ID_FILE_EXIT);
    });
    const std::string file = ReadFile(f.dir.Path() / "axis.yvekd");
    EXPECT_NE(file.find("PNT1=M1,P113,S820,AC29,"), std::string::npos) << file.substr(0, 400);
    EXPECT_NE(file.find("PNT2=M2,P-435,S201,AC57,"), std::string::npos) << file.substr(0, 400);

    // Halves typed beyond the shown decimals.
    Fixture g;
    CSimulatorDlg second;
    uitest::RunModal(second, [&](uitest::DialogDriver& d) {
        CGridCtrl* points = simui::Grid(d, IDC_POINT_GRID);
        simui::ChooseCellEntry(d, IDC_POINT_GRID, 1, 1, 2);
        g.boxes.Answer(IDYES, u"Change to custom settings?");
        d.Click(IDC_UNITS_CUSTOM);
        const struct {
            const char* what;
            int col;
            const char16_t* typed;
            const char16_t* shown;
        } halves[] = {
            {"speed 8.125", 3, u"8.125", u"8.13"},
            {"position 1.005", 2, u"1.005", u"1.01"},
            {"position -1.005", 2, u"-1.005", u"-1.01"},
            {"position -0.125", 2, u"-0.125", u"-0.13"},
        };
        for (const auto& c : halves) {
            SCOPED_TRACE(c.what);
            simui::EditCell(d, IDC_POINT_GRID, 1, c.col, c.typed);
            EXPECT_EQ(points->GetCellText(1, c.col), CString(c.shown));
        }
        simui::ExitDiscardingEdits(d, g.boxes);
    });
}

TEST(PointGridTest, EscapeTakesTheEditBackInTheCellAndTheRecord)
{
    Fixture f;
    const CString path = f.dir.File("axis.yvekd");
    f.dialogs.ChooseFile({path});
    CSimulatorDlg dlg;
    uitest::RunModal(dlg, [&](uitest::DialogDriver& d) {
        simui::ChooseCellEntry(d, IDC_POINT_GRID, 1, 1, 1);
        simui::EditCell(d, IDC_POINT_GRID, 1, 2, u"10");
        simui::ClickCell(d, IDC_POINT_GRID, 1, 2);
        simui::TypeKeys(u"55");
        simui::PressKey(Qt::Key_Escape);
        EXPECT_EQ(simui::Grid(d, IDC_POINT_GRID)->GetCellText(1, 2), CString(u"10.00"));
        simui::Command(d, ID_FILE_SAVE_DATA_AS);
        simui::Command(d, ID_FILE_EXIT);
    });
    EXPECT_NE(ReadFile(f.dir.Path() / "axis.yvekd").find("PNT1=M1,P1000,"), std::string::npos);
}

TEST(PointGridTest, DeleteOnABlockWithTheTypeColumnRemovesThosePointsRecordsAndAll)
{
    Fixture f;
    const CString path = f.dir.File("axis.yvekd");
    f.dialogs.ChooseFile({path});
    CSimulatorDlg dlg;
    uitest::RunModal(dlg, [&](uitest::DialogDriver& d) {
        for (int row = 1; row <= 3; ++row) {
            simui::ChooseCellEntry(d, IDC_POINT_GRID, row, 1, 1);
            simui::EditCell(d, IDC_POINT_GRID, row, 2, row == 1 ? u"1" : row == 2 ? u"2" : u"3");
        }
        CGridCtrl* points = simui::Grid(d, IDC_POINT_GRID);
        // Numbers cleared with Delete keep their values.
        simui::ClickCell(d, IDC_POINT_GRID, 3, 2);
        points->SetSelection(3, 2, 3, 3);
        simui::PressKey(Qt::Key_Delete);
        EXPECT_EQ(points->GetCellText(3, 2), CString(u"3.00"));
        EXPECT_EQ(points->GetCellText(3, 3), CString(u"100"));
        // A block over the type column deletes its points.
        simui::ClickCell(d, IDC_POINT_GRID, 1, 1);
        points->SetSelection(1, 1, 2, 2);
        simui::PressKey(Qt::Key_Delete);
        EXPECT_TRUE(points->GetCellText(1, 1).IsEmpty());
        EXPECT_TRUE(points->GetCellText(2, 2).IsEmpty());
        EXPECT_TRUE(points->GetCellLocked(2, 2)) << "an empty row can only get a type";
        EXPECT_EQ(simui::Grid(d, IDC_MOTION_GRID)->ListGetCount(kMotionEndColumn), 1)
            << "the motion list offers only the point that is left";
        simui::Command(d, ID_FILE_SAVE_DATA_AS);
        simui::Command(d, ID_FILE_EXIT);
    });
    const std::string text = ReadFile(f.dir.Path() / "axis.yvekd");
    EXPECT_EQ(text.find("PNT1="), std::string::npos) << text.substr(0, 400);
    EXPECT_EQ(text.find("PNT2="), std::string::npos);
    EXPECT_NE(text.find("PNT3=M1,P300,"), std::string::npos);
}

TEST(PointGridTest, PointDetailLeavesUnusualPositionDecimalsAndThePointsAlone)
{
    Fixture f;
    const CString path = f.dir.File("axis.yvekd");
    f.dialogs.ChooseFile({path}).ChooseFile({path});
    CSimulatorDlg dlg;
    uitest::RunModal(dlg, [&](uitest::DialogDriver& d) {
        simui::ChooseCellEntry(d, IDC_POINT_GRID, 1, 1, 1);
        simui::EditCell(d, IDC_POINT_GRID, 1, 2, u"12.34");
        simui::Command(d, ID_FILE_SAVE_DATA_AS);
        simui::Command(d, ID_FILE_CLOSE_DATA);
        // A file whose positions have four decimals.
        std::string text = ReadFile(f.dir.Path() / "axis.yvekd");
        const std::size_t k72 = text.find("\nK72=2");
        ASSERT_NE(k72, std::string::npos);
        text.replace(k72, 6, "\nK72=4");
        const std::size_t p = text.find("P1234,");
        ASSERT_NE(p, std::string::npos);
        text.replace(p, 6, "P123400,");
        std::ofstream(f.dir.Path() / "axis.yvekd", std::ios::binary) << text;
        simui::Command(d, ID_FILE_OPEN_DATA);
        simui::Command(d, ID_FILE_CLOSE_DATA);
        CGridCtrl* points = simui::Grid(d, IDC_POINT_GRID);
        EXPECT_EQ(points->GetCellText(1, 2), CString(u"12.3400"));
        simui::RunNested(d, [&] { d.Click(IDC_POINT_DETAIL); }, [](uitest::DialogDriver& detail) {
            EXPECT_FALSE(detail.Visible(IDC_DETAIL_DECIMALS)) << "the decimals are not offered";
            EXPECT_TRUE(detail.Grab(simui::PicturePath("point-detail", "en")));
            detail.Click(IDOK);
        });
        EXPECT_EQ(points->GetCellText(1, 2), CString(u"12.3400")) << "the points keep their positions";
        f.dialogs.ChooseFile({f.dir.File("again.yvekd")});
        simui::Command(d, ID_FILE_SAVE_DATA_AS);
        simui::Command(d, ID_FILE_EXIT);
    });
    const std::string again = ReadFile(f.dir.Path() / "again.yvekd");
    EXPECT_NE(again.find("\nK72=4"), std::string::npos);
    EXPECT_NE(again.find("PNT1=M1,P123400,"), std::string::npos);
}

}  // namespace
