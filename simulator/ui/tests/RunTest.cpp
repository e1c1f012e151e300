// Points edited in the point list, motions built in the motion list, Execute:
// the result table holds the motion library's own figures and the TOTAL row
// their sums; the detail window shows them with the speed chart.
#include "simulator/ui/tests/SimulatorTestSupport.h"

#include "manager/core/LibraryBindings.h"
#include "simulator/core/MotionLibrary.h"
#include "simulator/ui/ResultDetailDlg.h"

#include "tests/support/GoldenImage.h"

#include <cmath>

namespace {

using simui::AppState;

// One move of the table: positions in mm, the end point's absolute or
// incremental target.
struct Move {
    const char* name;
    double start;
    double end;
    int dwell;
};

// What the library computes for a plain move of the robot's standard
// settings (speed and acceleration 100 %), dwell included.
double LibraryTimeMs(const RobotParameterSet& k, double distance, int dwell)
{
    MotionLibrary library;
    EXPECT_TRUE(library.Load());
    const float speed = static_cast<float>(k.K(44) / 100.0f * (100.0f * k.K(9) / 10000.0f));
    const float accel = static_cast<float>(100.0f / 10.0f * k.K(77));
    VpCalcResult result{};
    EXPECT_TRUE(library.VpCalc((k.K(71) & 2) ? 1 : 0, 0, 0, static_cast<float>(distance), speed, accel, k.K(53), k.K(42),
                               0, result));
    return result.totalTimeMs + dwell;
}

int BluePixels(const QImage& image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            count += qBlue(p) > 200 && qRed(p) < 80 && qGreen(p) < 80 ? 1 : 0;
        }
    return count;
}

CString Fixed(double value, int decimals)
{
    CString text;
    text.Format(u"%.*f", decimals, value);
    return text;
}

// Builds the points P1 = ABS 0, P2 = ABS 100, P3 = ABS 250.5, P4 = INC -20
// and the motions P1->P2 (dwell 100), P2->P3, P3->P4 (dwell 50).
void BuildPointsAndMotions(uitest::DialogDriver& d)
{
    struct PointRow {
        int row;
        int type;  // list index: 1 ABS, 2 INC
        const char16_t* position;
    };
    for (const PointRow& p : {PointRow{1, 1, u"0"}, PointRow{2, 1, u"100"}, PointRow{3, 1, u"250.5"},
                              PointRow{4, 2, u"-20"}}) {
        SCOPED_TRACE(p.row);
        simui::ChooseCellEntry(d, IDC_POINT_GRID, p.row, 1, p.type);
        simui::EditCell(d, IDC_POINT_GRID, p.row, 2, p.position);
    }
    // Starts list the absolute points, ends every point.
    simui::ChooseCellEntry(d, IDC_MOTION_GRID, 1, 1, 0);
    simui::ChooseCellEntry(d, IDC_MOTION_GRID, 1, 2, 1);
    simui::EditCell(d, IDC_MOTION_GRID, 1, 3, u"100");
    d.Click(IDC_ADD_MOTION);
    simui::ChooseCellEntry(d, IDC_MOTION_GRID, 2, 2, 2);
    d.Click(IDC_ADD_MOTION);
    simui::ChooseCellEntry(d, IDC_MOTION_GRID, 3, 2, 3);
    simui::EditCell(d, IDC_MOTION_GRID, 3, 3, u"50");
}

TEST(RunTest, ResultsAndTotalAreTheLibrarysFigures)
{
    uitest::ScopedResources module(u"pellarun", "en");
    ASSERT_TRUE(module.Loaded());
    AppState state;
    ScriptedMessageBox boxes;
    ControllerData robot;
    robot.paramSets.resize(1);
    ASSERT_TRUE(FillControllerDataFromDatabase(robot, u"KX-Q05", u"SA4-L03"));
    RobotParameterSet k = *robot.FirstParamSet();
    k.K(71) = 2;  // standard units, calculation mode 1 (the dialog's default)

    const Move moves[] = {{"P1 to P2", 0, 100, 100}, {"P2 to P3", 100, 250.5, 0}, {"P3 to P4 (INC -20)", 250.5, 230.5, 50}};
    CSimulatorDlg dlg;
    uitest::RunModal(dlg, [&](uitest::DialogDriver& d) {
        BuildPointsAndMotions(d);
        CGridCtrl* points = simui::Grid(d, IDC_POINT_GRID);
        EXPECT_EQ(points->GetCellText(3, 2), CString(u"250.50"));
        EXPECT_EQ(points->GetCellText(4, 1), CString(u" INC"));
        CGridCtrl* motions = simui::Grid(d, IDC_MOTION_GRID);
        EXPECT_EQ(motions->GetCellText(1, 1), CString(u"P1"));
        EXPECT_EQ(motions->GetCellText(2, 1), CString(u"P2")) << "a continued motion starts at the previous end";
        EXPECT_EQ(motions->GetCellText(3, 3), CString(u"50"));
        d.Click(IDC_EXECUTE);
        CGridCtrl* results = simui::Grid(d, IDC_RESULT_GRID);
        double totalTime = 0;
        long long totalMicrometres = 0;
        for (int i = 0; i < 3; ++i) {
            SCOPED_TRACE(moves[i].name);
            const double distance = std::fabs(moves[i].end - moves[i].start);
            const double time = LibraryTimeMs(k, distance, moves[i].dwell);
            totalTime += time;
            totalMicrometres += static_cast<long long>(distance * 1000);
            EXPECT_EQ(results->GetCellText(i + 2, 1), Fixed(time, 0));
            EXPECT_EQ(results->GetCellText(i + 2, 2), Fixed(distance, 2));
        }
        EXPECT_EQ(results->GetCellText(1, 0), CString(u"TOTAL"));
        EXPECT_EQ(results->GetCellText(1, 1), Fixed(totalTime, 0));
        EXPECT_EQ(results->GetCellText(1, 2), Fixed(totalMicrometres / 1000.0, 2));
        EXPECT_TRUE(d.Grab(simui::PicturePath("main-dialog-results", "en")));

        // The detail window for the TOTAL row: every move in its list.
        d.Click(IDC_RESULT_DETAIL);
        CResultDetailDlg* detail = dlg.DetailWindow();
        ASSERT_NE(detail, nullptr);
        uitest::DialogDriver w(detail->GetSafeHwnd());
        EXPECT_EQ(w.Text(IDC_RD_MOVES), CString(u"TOTAL"));
        EXPECT_EQ(w.Text(IDC_RD_TOTAL_TIME), Fixed(totalTime, 0));
        EXPECT_FALSE(w.Enabled(IDC_RD_ACCEL_TIME)) << "the TOTAL entry has no per-phase times";
        EXPECT_EQ(w.Text(IDC_RD_DISTANCE), Fixed(totalMicrometres / 1000.0, 3));
        uitest::Pump(50);
        const QImage chart = w.Widget(IDC_RD_CHART)->grab().toImage();
        qvtest::ExpectMatchesGolden(chart, qvtest::SourceFolderOf(__FILE__) / "golden", "total-chart", 40, 400);
        EXPECT_TRUE(w.Grab(simui::PicturePath("result-detail", "en")));
        // Zoomed out to 400 ms per 20 pixels (under one pixel per ms), every
        // move is still drawn.
        w.Click(IDC_RD_ZOOM_OUT);
        w.Click(IDC_RD_ZOOM_OUT);
        EXPECT_FALSE(w.Enabled(IDC_RD_ZOOM_OUT));
        uitest::Pump(50);
        EXPECT_GT(BluePixels(w.Widget(IDC_RD_CHART)->grab().toImage()), 40);
        w.Click(IDC_RD_ZOOM_IN);
        w.Click(IDC_RD_ZOOM_IN);
        // A second request refreshes the same window.
        d.Click(IDC_RESULT_DETAIL);
        EXPECT_EQ(dlg.DetailWindow(), detail);
        w.ChooseComboEntry(IDC_RD_MOVES, 2);
        EXPECT_TRUE(w.Enabled(IDC_RD_ACCEL_TIME));
        EXPECT_EQ(w.Text(IDC_RD_DISTANCE), Fixed(150.5, 3));
        simui::ExitDiscardingEdits(d, boxes);
    });
}

TEST(RunTest, ACheckFailureNamesTheMotionAndKeepsThePreviousResults)
{
    uitest::ScopedResources module(u"pellarun", "en");
    AppState state;
    ScriptedMessageBox boxes;
    boxes.Answer(IDOK, u"Motion 1 has no end point");
    CSimulatorDlg dlg;
    uitest::RunModal(dlg, [&](uitest::DialogDriver& d) {
        simui::ChooseCellEntry(d, IDC_POINT_GRID, 1, 1, 1);
        simui::ChooseCellEntry(d, IDC_MOTION_GRID, 1, 1, 0);
        d.Click(IDC_EXECUTE);
        EXPECT_TRUE(simui::Grid(d, IDC_RESULT_GRID)->GetCellText(1, 0).IsEmpty());
        simui::ExitDiscardingEdits(d, boxes);
    });
}

TEST(RunTest, ADwellTypedButNotEnteredCountsWhenExecuteIsClicked)
{
    uitest::ScopedResources module(u"pellarun", "en");
    AppState state;
    ScriptedMessageBox boxes;
    CSimulatorDlg dlg;
    uitest::RunModal(dlg, [&](uitest::DialogDriver& d) {
        simui::ChooseCellEntry(d, IDC_POINT_GRID, 1, 1, 1);
        simui::ChooseCellEntry(d, IDC_POINT_GRID, 2, 1, 1);
        simui::EditCell(d, IDC_POINT_GRID, 2, 2, u"50");
        simui::ChooseCellEntry(d, IDC_MOTION_GRID, 1, 1, 0);
        simui::ChooseCellEntry(d, IDC_MOTION_GRID, 1, 2, 1);
        d.Click(IDC_EXECUTE);
        CGridCtrl* results = simui::Grid(d, IDC_RESULT_GRID);
        const int without = _wtoi(results->GetCellText(2, 1));
        simui::ClickCell(d, IDC_MOTION_GRID, 1, 3);
        simui::TypeKeys(u"250");
        d.Click(IDC_EXECUTE);
        EXPECT_EQ(_wtoi(results->GetCellText(2, 1)), without + 250);
        simui::ExitDiscardingEdits(d, boxes);
    });
}

TEST(RunTest, AfterARefreshScrollingBackToTheSamePlaceDrawsItAgain)
{
    uitest::ScopedResources module(u"pellarun", "en");
    AppState state;
    ScriptedMessageBox boxes;
    CSimulatorDlg dlg;
    uitest::RunModal(dlg, [&](uitest::DialogDriver& d) {
        BuildPointsAndMotions(d);
        d.Click(IDC_EXECUTE);
        d.Click(IDC_RESULT_DETAIL);
        ASSERT_NE(dlg.DetailWindow(), nullptr);
        uitest::DialogDriver w(dlg.DetailWindow()->GetSafeHwnd());
        w.Click(IDC_RD_ZOOM_IN);
        ASSERT_TRUE(w.Visible(IDC_RD_SCROLL));
        const WPARAM thumb = MAKEWPARAM(SB_THUMBPOSITION, 600);
        ::SendMessage(w.Dialog(), WM_HSCROLL, thumb, w.Item(IDC_RD_SCROLL).ToLParam());
        uitest::Pump(200);
        const QImage scrolled = w.Widget(IDC_RD_CHART)->grab().toImage();
        auto chartIs = [&](bool same) {
            return uitest::WaitUntil([&] { return (w.Widget(IDC_RD_CHART)->grab().toImage() == scrolled) == same; },
                                     3000);
        };
        // A new run refreshes the window and starts at 0 ...
        d.Click(IDC_EXECUTE);
        EXPECT_TRUE(chartIs(false));
        // ... and the same place shows the same waveform again.
        ::SendMessage(w.Dialog(), WM_HSCROLL, thumb, w.Item(IDC_RD_SCROLL).ToLParam());
        EXPECT_TRUE(chartIs(true));
        simui::ExitDiscardingEdits(d, boxes);
    });
}

}  // namespace
