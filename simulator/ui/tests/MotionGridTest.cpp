// The motion list worked by hand: a start typed in millimetres, Escape over
// an edit, the balloon over a motion's name; and the main dialog's long work
// under its wait windows, a run without the motion library.
#include "simulator/ui/tests/SimulatorTestSupport.h"

#include "manager/widgets/ProgressWaitWnd.h"
#include "htmltip/HtmlToolTip.h"
#include "simulator/core/SimulatorCommandLine.h"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QTimer>

#include <set>

namespace {

using simui::AppState;

// P1 ABS 0 and P2 ABS 100.
void TwoPoints(uitest::DialogDriver& d)
{
    simui::ChooseCellEntry(d, IDC_POINT_GRID, 1, 1, 1);
    simui::ChooseCellEntry(d, IDC_POINT_GRID, 2, 1, 1);
    simui::EditCell(d, IDC_POINT_GRID, 2, 2, u"100");
}

// Motion 1 from P1 to P2.
void MotionFromP1ToP2(uitest::DialogDriver& d)
{
    TwoPoints(d);
    simui::ChooseCellEntry(d, IDC_MOTION_GRID, 1, 1, 0);
    simui::ChooseCellEntry(d, IDC_MOTION_GRID, 1, 2, 1);
}

class MotionGridTest : public ::testing::Test, protected simui::Fixture {
protected:
    // The motion settings as a file would keep them now.
    std::string SavedMotions(uitest::DialogDriver& d)
    {
        const CString path = dir.File("motions.mos");
        std::filesystem::remove(path.ToUtf8());
        dialogs.ChooseFile({path});
        simui::Command(d, ID_MOTION_FILE_SAVE);
        return simui::ReadFile(path.ToUtf8());
    }
};

TEST_F(MotionGridTest, AStartTypedInMillimetresIsWhereTheMotionStarts)
{
    CSimulatorDlg dlg;
    uitest::RunModal(dlg, [&](uitest::DialogDriver& d) {
        TwoPoints(d);
        CGridCtrl* motions = simui::Grid(d, IDC_MOTION_GRID);
        // Typed, not chosen: the position, written with the decimals.
        simui::EditCell(d, IDC_MOTION_GRID, 1, 1, u"12.5");
        EXPECT_EQ(motions->GetCellText(1, 1), CString(u"12.50"));
        simui::ChooseCellEntry(d, IDC_MOTION_GRID, 1, 2, 1);
        EXPECT_EQ(motions->GetCellText(1, 2), CString(u"P2"));
        // Beyond the range of positions: held at its end.
        simui::EditCell(d, IDC_MOTION_GRID, 1, 1, u"12345.678");
        EXPECT_EQ(motions->GetCellText(1, 1), CString(u"9999.99"));
        simui::EditCell(d, IDC_MOTION_GRID, 1, 1, u"10");
        d.Click(IDC_EXECUTE);
        CGridCtrl* results = simui::Grid(d, IDC_RESULT_GRID);
        EXPECT_EQ(results->GetCellText(2, 2), CString(u"90.00")) << "from 10 mm to P2 at 100 mm";
        // The list still offers the points.
        simui::ChooseCellEntry(d, IDC_MOTION_GRID, 1, 1, 0);
        EXPECT_EQ(motions->GetCellText(1, 1), CString(u"P1"));
        // Motion 2 continues from motion 1: its start takes nothing typed.
        d.Click(IDC_ADD_MOTION);
        simui::ClickCell(d, IDC_MOTION_GRID, 2, 1);
        simui::TypeKeys(u"5");
        simui::PressKey(Qt::Key_Return);
        EXPECT_EQ(motions->GetCellText(2, 1), CString(u"P2"));
        simui::ExitDiscardingEdits(d, boxes);
    });
}

TEST_F(MotionGridTest, EscapePutsBackTheTextAndWhatTheRunAndTheFileUse)
{
    CSimulatorDlg dlg;
    uitest::RunModal(dlg, [&](uitest::DialogDriver& d) {
        MotionFromP1ToP2(d);
        CGridCtrl* motions = simui::Grid(d, IDC_MOTION_GRID);
        struct Case {
            const char* what;
            bool enter;  // Enter before Escape
        };
        for (const Case& c : {Case{"typing dropped", false}, Case{"an entered value taken back", true}}) {
            SCOPED_TRACE(c.what);
            simui::ClickCell(d, IDC_MOTION_GRID, 1, 3);
            simui::TypeKeys(u"500");
            if (c.enter) {
                simui::PressKey(Qt::Key_Return);
                EXPECT_EQ(motions->GetCellText(1, 3), CString(u"500"));
            }
            simui::PressKey(Qt::Key_Escape);
            EXPECT_EQ(motions->GetCellText(1, 3), CString(u"0"));
            // Leaving the cell commits nothing more.
            simui::ClickCell(d, IDC_MOTION_GRID, 1, 2);
            EXPECT_NE(SavedMotions(d).find("MotionData1=P1,P2,0"), std::string::npos);
        }
        d.Click(IDC_EXECUTE);
        CGridCtrl* results = simui::Grid(d, IDC_RESULT_GRID);
        const CString runTime = results->GetCellText(2, 1);
        // The same motion with a dwell of 500 takes 500 ms more.
        simui::EditCell(d, IDC_MOTION_GRID, 1, 3, u"500");
        d.Click(IDC_EXECUTE);
        EXPECT_EQ(_wtoi(results->GetCellText(2, 1)) - _wtoi(runTime), 500);
        simui::ExitDiscardingEdits(d, boxes);
    });
}

// The visible windows of the program but the main dialog.
std::vector<QWidget*> OtherWindows(HWND main)
{
    std::vector<QWidget*> windows;
    QWidget* mainWidget = uitest::DialogDriver(main).Widget(main);
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w != mainWidget) windows.push_back(w);
    return windows;
}

int OrangePixels(const QImage& image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            count += qRed(p) > 220 && qGreen(p) > 110 && qGreen(p) < 190 && qBlue(p) < 80 ? 1 : 0;
        }
    return count;
}

class BalloonTest : public ::testing::TestWithParam<const char*> {
protected:
    uitest::ScopedResources module{u"pellarun", GetParam()};
    AppState state;
    ScriptedMessageBox boxes;
};

TEST_P(BalloonTest, TheBalloonOverAMotionsNameShowsItInTheBalloonsStyle)
{
    CSimulatorDlg dlg;
    uitest::RunModal(dlg, [&](uitest::DialogDriver& d) {
        MotionFromP1ToP2(d);
        QWidget* grid = d.Widget(IDC_MOTION_GRID);
        const POINT cell = simui::CellCentre(simui::Grid(d, IDC_MOTION_GRID), 1, 0);
        const QPoint at(cell.x, cell.y);
        QCursor::setPos(grid->mapToGlobal(at));
        QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(grid->mapToGlobal(at)), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(grid, &move);
        uitest::Pump(100);
        const std::vector<QWidget*> shown = OtherWindows(d.Dialog());
        ASSERT_EQ(shown.size(), 1u) << "the balloon";
        const QImage balloon = shown[0]->grab().toImage();
        balloon.save(QString::fromStdString(simui::PicturePath("motion-balloon", GetParam())));
        // The motion's name as a title, its positions in the table below.
        EXPECT_GT(OrangePixels(balloon), 20);
        // Drawn with the balloon's own style sheet (string 228): the size of
        // the same text in a tip with that sheet, not with the tips' default.
        CString name;
        name.Format(IDS_MOTION_NAME, 1);
        CString text;
        text.Format(IDS_BALLOON_TITLE, name.GetString());
        CString table;
        table.Format(IDS_BALLOON_POSITIONS, 2, 0.0, 2, 100.0, 2, 100.0);
        const auto sizeWith = [&](bool balloonSheet) {
            CHtmlToolTip tip;
            tip.Create(CWnd::FromHandle(d.Dialog()), TRUE);
            if (balloonSheet) {
                CString css;
                css.LoadString(IDS_BALLOON_CSS);
                tip.SetCssStyles(css);
            }
            tip.ShowHelpTooltip(POINT{grid->mapToGlobal(at).x(), grid->mapToGlobal(at).y()}, text + table);
            uitest::Pump(50);
            QSize size;
            for (QWidget* w : OtherWindows(d.Dialog()))
                if (w != shown[0]) size = w->size();
            tip.DestroyWindow();
            return size;
        };
        EXPECT_EQ(shown[0]->size(), sizeWith(true));
        EXPECT_NE(shown[0]->size(), sizeWith(false)) << "the two sheets give tips of other sizes";
        simui::ExitDiscardingEdits(d, boxes);
    });
}

INSTANTIATE_TEST_SUITE_P(Languages, BalloonTest, ::testing::Values("en", "ja"));

// The messages of the wait windows shown meanwhile, as a person sees them go by.
class WaitWindowWatch {
public:
    WaitWindowWatch()
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (CProgressWaitWnd* wait = GetActiveProgressWaitWnd()) {
                CString text;
                if (wait->GetMessageLine()) wait->GetMessageLine()->GetWindowText(text);
                m_seen.insert(text.ToUtf8());
            }
        });
        m_timer.start(2);
    }
    bool Saw(UINT messageId) const
    {
        CString text;
        text.LoadString(messageId);
        return m_seen.count(text.ToUtf8()) != 0;
    }
    void Clear() { m_seen.clear(); }

private:
    QTimer m_timer;
    std::set<std::string> m_seen;
};

TEST_F(MotionGridTest, LongWorkShowsItsWaitWindowAndARunWithoutTheLibrarySaysSo)
{
    const CString data = dir.File("axis.yvekd");
    dialogs.ChooseFile({data}).ChooseFile({data});
    CSimulatorDlg dlg;
    uitest::RunModal(dlg, [&](uitest::DialogDriver& d) {
        WaitWindowWatch watch;
        MotionFromP1ToP2(d);
        d.Click(IDC_EXECUTE);
        EXPECT_TRUE(watch.Saw(IDS_WAIT_RUNNING));
        EXPECT_FALSE(simui::Grid(d, IDC_RESULT_GRID)->GetCellText(1, 0).IsEmpty());
        simui::Command(d, ID_FILE_SAVE_DATA_AS);
        watch.Clear();
        simui::Command(d, ID_FILE_OPEN_DATA);
        EXPECT_TRUE(watch.Saw(IDS_WAIT_READING_FILE));
        const std::string motions = SavedMotions(d);
        ASSERT_FALSE(motions.empty());
        dialogs.ChooseFile({dir.File("motions.mos")});
        watch.Clear();
        simui::Command(d, ID_MOTION_FILE_OPEN);
        EXPECT_TRUE(watch.Saw(IDS_WAIT_READING_MOTIONS));
        EXPECT_EQ(GetActiveProgressWaitWnd(), nullptr) << "each wait window closes with its work";
        simui::Command(d, ID_FILE_EXIT);
    });

    // Without the motion library the run says so and the table stays empty.
    simui::App().m_strMotionLibraryFile = u"NoSuchMotionLibrary.dll";
    CSimulatorDlg second;
    uitest::RunModal(second, [&](uitest::DialogDriver& d) {
        MotionFromP1ToP2(d);
        CString missing;
        missing.LoadString(IDS_NO_MOTION_LIBRARY);
        boxes.Answer(IDOK, missing.str());
        d.Click(IDC_EXECUTE);
        EXPECT_EQ(boxes.PendingAnswers(), 0u);
        ASSERT_FALSE(boxes.Shown().empty());
        EXPECT_EQ(boxes.Shown().back().type & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
        EXPECT_TRUE(simui::Grid(d, IDC_RESULT_GRID)->GetCellText(1, 0).IsEmpty());
        EXPECT_EQ(GetActiveProgressWaitWnd(), nullptr);
        simui::ExitDiscardingEdits(d, boxes);
    });
}

}  // namespace
