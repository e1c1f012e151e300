// The simulator's smaller windows in both languages, as a person sees them:
// About with the versions of the database and the motion library, the
// caution notice and its "do not show again", the point detail dialog, and
// the main dialog with results and the detail window.
#include "simulator/ui/tests/SimulatorTestSupport.h"

#include "manager/core/LibraryBindings.h"
#include "platform/core/Registry.h"
#include "simulator/ui/AboutDlg.h"
#include "simulator/ui/PointTableDetailDlg.h"
#include "simulator/ui/ResultDetailDlg.h"

namespace {

using simui::AppState;

class PicturesTest : public ::testing::TestWithParam<const char*> {};

TEST_P(PicturesTest, AboutShowsTheVersionsOfTheDatabaseAndTheMotionLibrary)
{
    uitest::ScopedResources module(u"pellarun", GetParam());
    AppState state;
    ASSERT_TRUE(simui::App().m_motionLibrary.Load());
    CString database;
    ASSERT_TRUE(LoadDatabaseVersion(database));
    CAboutDlg about;
    uitest::RunModal(about, [&](uitest::DialogDriver& d) {
        EXPECT_EQ(d.Text(IDC_ABOUT_DB_VERSION), CString(u"Ver.") + database);
        EXPECT_EQ(d.Text(IDC_ABOUT_LIB_VERSION), simui::App().m_motionLibrary.VersionText());
        EXPECT_NE(d.Text(IDC_ABOUT_LIB_VERSION), CString(u"Ver. ---"));
        EXPECT_FALSE(d.Visible(IDC_ABOUT_CURRENT_VERSION));
        EXPECT_TRUE(d.Grab(simui::PicturePath("about", GetParam())));
        d.Click(IDOK);
    });
}

TEST_P(PicturesTest, AboutWithoutTheMotionLibraryShowsItsPlaceholder)
{
    uitest::ScopedResources module(u"pellarun", GetParam());
    AppState state;
    CAboutDlg about;
    uitest::RunModal(about, [&](uitest::DialogDriver& d) {
        EXPECT_EQ(d.Text(IDC_ABOUT_LIB_VERSION), CString(u"Ver. ---"));
        d.Click(IDOK);
    });
}

TEST_P(PicturesTest, CautionNoticeCanBeSwitchedOffAndShownOnRequest)
{
    uitest::ScopedResources module(u"pellarun", GetParam());
    AppState state;
    {
        CCautionDlg caution(0);
        const INT_PTR result = uitest::RunModal(caution, [&](uitest::DialogDriver& d) {
            EXPECT_TRUE(d.Grab(simui::PicturePath("caution", GetParam())));
            d.Click(IDC_CAUTION_DONT_SHOW);
            d.Click(IDOK);
        });
        EXPECT_EQ(result, IDOK);
        EXPECT_TRUE(caution.IsSwitchedOff());
    }
    {
        // At start it no longer shows; from the menu it does, ticked.
        CCautionDlg atStart(0);
        EXPECT_EQ(atStart.DoModal(), IDCANCEL);
        CCautionDlg onRequest(1);
        uitest::RunModal(onRequest, [&](uitest::DialogDriver& d) {
            EXPECT_EQ(d.Check(IDC_CAUTION_DONT_SHOW), static_cast<UINT>(BST_CHECKED));
            d.Click(IDC_CAUTION_DONT_SHOW);
            d.Click(IDOK);
        });
        EXPECT_FALSE(onRequest.IsSwitchedOff());
    }
}

TEST_P(PicturesTest, PointDetailGivesBackTheFlagsChosen)
{
    uitest::ScopedResources module(u"pellarun", GetParam());
    AppState state;
    struct Case {
        const char* what;
        std::int32_t flags;
        int click;  // 0: none
        std::int32_t expected;
    };
    const Case cases[] = {{"custom and optimised, unchanged", 3, 0, 3},
                          {"standard and optimised, unchanged", 2, 0, 2},
                          {"optimisation switched off", 2, IDC_DETAIL_OPT_OFF, 0},
                          {"custom chosen", 2, IDC_DETAIL_CUSTOM, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CPointTableDetailDlg detail;
        detail.SetValues(c.flags, 3, u"V05");
        const INT_PTR result = uitest::RunModal(detail, [&](uitest::DialogDriver& d) {
            if (c.flags == 3) {
                EXPECT_EQ(d.Check(IDC_DETAIL_CUSTOM), static_cast<UINT>(BST_CHECKED));
                EXPECT_EQ(d.Check(IDC_DETAIL_OPT_ON), static_cast<UINT>(BST_CHECKED));
                EXPECT_TRUE(d.Grab(simui::PicturePath("point-detail", GetParam())));
            }
            if (c.click) d.Click(c.click);
            d.Click(IDOK);
        });
        EXPECT_EQ(result, IDOK);
        std::int32_t flags = -1, decimals = -1;
        detail.GetValues(flags, decimals);
        EXPECT_EQ(flags, c.expected);
        EXPECT_EQ(decimals, 3);
    }
}

TEST_P(PicturesTest, ResultsAndTheirDetailWindow)
{
    uitest::ScopedResources module(u"pellarun", GetParam());
    AppState state;
    ScriptedMessageBox boxes;
    CSimulatorDlg dlg;
    uitest::RunModal(dlg, [&](uitest::DialogDriver& d) {
        simui::ChooseCellEntry(d, IDC_POINT_GRID, 1, 1, 1);
        simui::ChooseCellEntry(d, IDC_POINT_GRID, 2, 1, 1);
        simui::EditCell(d, IDC_POINT_GRID, 2, 2, u"200");
        d.Click(IDC_MODE_INDIVIDUAL);
        simui::ChooseCellEntry(d, IDC_MOTION_GRID, 1, 1, 0);
        simui::ChooseCellEntry(d, IDC_MOTION_GRID, 1, 2, 1);
        d.Click(IDC_ADD_MOTION);
        simui::ChooseCellEntry(d, IDC_MOTION_GRID, 2, 1, 1);
        simui::ChooseCellEntry(d, IDC_MOTION_GRID, 2, 2, 0);
        d.Click(IDC_EXECUTE);
        CGridCtrl* results = simui::Grid(d, IDC_RESULT_GRID);
        EXPECT_NE(results->GetCellText(1, 0), CString(u"TOTAL")) << "individual motions have no TOTAL row";
        EXPECT_EQ(results->GetCellText(2, 2), CString(u"200.00"));
        EXPECT_TRUE(d.Grab(simui::PicturePath("main-dialog-individual", GetParam())));
        d.Click(IDC_RESULT_DETAIL);
        ASSERT_NE(dlg.DetailWindow(), nullptr);
        uitest::DialogDriver w(dlg.DetailWindow()->GetSafeHwnd());
        EXPECT_TRUE(w.Enabled(IDC_RD_ACCEL_TIME)) << "a single move shows its phases";
        // The values on white; the currents, not calculated here, as the dialog.
        const QRgb white = qRgb(255, 255, 255) & 0xFFFFFF;
        const QRgb face = simui::Rgb(::GetSysColor(COLOR_BTNFACE));
        for (int field : {IDC_RD_TOTAL_TIME, IDC_RD_ACCEL_TIME, IDC_RD_DISTANCE, IDC_RD_PEAK_SPEED, IDC_RD_ACCEL_G}) {
            SCOPED_TRACE(field);
            EXPECT_EQ(simui::Background(w, field), white);
        }
        EXPECT_EQ(simui::Background(w, IDC_RD_RMS_CURRENT), face);
        // The zoom buttons lie flat on the dialog: no raised edge.
        for (int button : {IDC_RD_ZOOM_IN, IDC_RD_ZOOM_OUT}) {
            const QImage image = w.Widget(button)->grab().toImage();
            EXPECT_EQ(image.pixel(image.width() - 1, image.height() - 1) & 0xFFFFFF, face) << button;
        }
        // The display choice offers nothing in this program: it is not there.
        EXPECT_FALSE(w.Visible(IDC_RD_VIEW));
        EXPECT_FALSE(w.Visible(IDC_RD_VIEW_LABEL));
        EXPECT_TRUE(w.Visible(IDC_RD_MOVES));
        uitest::Pump(50);
        EXPECT_TRUE(w.Grab(simui::PicturePath("result-detail-move", GetParam())));
        // Zoomed in until the last step, the zoom-in button gives up.
        for (int i = 0; i < 5 && w.Enabled(IDC_RD_ZOOM_IN); ++i) w.Click(IDC_RD_ZOOM_IN);
        EXPECT_FALSE(w.Enabled(IDC_RD_ZOOM_IN));
        EXPECT_TRUE(w.Enabled(IDC_RD_ZOOM_OUT));
        EXPECT_TRUE(w.Visible(IDC_RD_SCROLL)) << "the zoomed waveform is wider than the chart";
        uitest::Pump(50);
        EXPECT_TRUE(w.Grab(simui::PicturePath("result-detail-zoomed", GetParam())));
        simui::ExitDiscardingEdits(d, boxes);
    });
}

INSTANTIATE_TEST_SUITE_P(Languages, PicturesTest, ::testing::Values("en", "ja"));

}  // namespace
