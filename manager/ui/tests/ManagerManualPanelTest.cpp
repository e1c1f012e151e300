// The manual panel inside the real program: its messages reach its own
// controller window (points sent before a START, the parameter pane told of
// a write, the running point followed in the point table), and with two
// controller windows side by side each panel shows and teaches its own
// controller, whichever window the status poll served last.
#include "manager/ui/tests/ManagerTestSupport.h"

#include "manager/core/DataManager.h"
#include "manager/ui/LeftpaneFormView.h"
#include "manager/ui/RightpaneFormView.h"
#include "manager/widgets/SevenSegmentDisplay.h"
#include "platform/ui/FrameIds.h"
#include "resources/manager/ctrldlgs_ids.h"
#include "resources/manager/frame_ids.h"
#include "tests/support/emulator/Emulator.h"

#include <algorithm>

namespace {

using namespace mgrtest;
using namespace std::chrono_literals;

emu::PointFields PointAt(int32_t position)
{
    emu::PointFields p{};
    p[0] = 1;  // M
    p[1] = position;
    p[2] = 100;
    p[3] = 100;
    p[4] = 100;
    p[5] = 100;
    p[6] = 100;
    return p;
}

// Where in the emulator's log a command stands (-1: never sent).
int IndexOf(const emu::Emulator& emulator, const std::string& prefix)
{
    const std::vector<std::string> log = emulator.ReceivedCommands();
    for (size_t i = 0; i < log.size(); ++i)
        if (log[i].rfind(prefix, 0) == 0) return static_cast<int>(i);
    return -1;
}

std::string DisplayText(CDlgManual& manual)
{
    auto* display = dynamic_cast<CSevenSegmentDisplay*>(manual.GetDlgItem(IDC_MAN_POINT_DISPLAY));
    return display ? display->GetText().ToUtf8() : "<none>";
}

// The position on a window's status strip, and how it shows a value.
std::string PositionText(CChildFrame& frame)
{
    CWnd* item = frame.GetLeftpaneFormView()->Panel().GetDlgItem(IDC_STATUS_POSITION);
    auto* display = dynamic_cast<CSevenSegmentDisplay*>(item);
    return display ? display->GetText().ToUtf8() : "<none>";
}

std::string PositionShown(CChildFrame& frame, double position)
{
    CWnd* item = frame.GetLeftpaneFormView()->Panel().GetDlgItem(IDC_STATUS_POSITION);
    auto* display = dynamic_cast<CSevenSegmentDisplay*>(item);
    return display ? display->FormatValue(position).ToUtf8() : std::string();
}

std::string PointShown(CDlgManual& manual, int point)
{
    auto* display = dynamic_cast<CSevenSegmentDisplay*>(manual.GetDlgItem(IDC_MAN_POINT_DISPLAY));
    return display ? display->FormatValue(point).ToUtf8() : std::string();
}

void Picture(ManagerWorld& world, const std::string& name)
{
    uitest::Pump(50);
    EXPECT_TRUE(world.Grab(name + ".png")) << name;
}

class ManagerManualPanelTest : public ::testing::TestWithParam<const char*> {
protected:
    ManagerManualPanelTest()
    {
        emu::ControllerModel& c = emulator.AddController(1, "Q05");
        c.SetControllerName("KX-Q05");
        c.SetRobot("SA4-L06");
        c.SetParameter(72, 2);
        c.SetParameter(9, 40);
        for (int point = 1; point <= 8; ++point) c.SetPoint(point, PointAt(1000 * point));
        c.SetMotionTime(emu::Motion::Start, 100ms);
    }
    void TearDown() override { uitest::FlushDeletedWidgets(); }

    // An online window on COM3, its point table shown.
    CChildFrame* OpenOnline(ManagerWorld& world)
    {
        CChildFrame* child = world.StartOnline(3, emulator.ServePty(), u"Line");
        if (child) ShowPane(child, 1);
        return child;
    }

    emu::Emulator emulator;
};

// A point edited in the grid, not yet written to the controller.
void EditPointPosition(ManagerWorld& world, CRightpanePointtable& pane, int point, const CString& text)
{
    CPointTableGrid& grid = pane.Grid();
    const int row = CPointTableGrid::RowOfSlot(point - 1);
    grid.SelectCell(row, 2, TRUE);
    ASSERT_TRUE(CFlxGrid::PlaceClipboardText(grid.GetSafeHwnd(), text));
    world.Command(ID_EDIT_PASTE);
    ASSERT_TRUE(grid.GetCellBold(row, 2)) << "the edit is marked as not written";
    grid.SelectCell(row, 1, TRUE);
}

TEST_P(ManagerManualPanelTest, StartWithUnsentPointsAsksAndSendsThemFirstOnlyOnYes)
{
    const std::string language = GetParam();
    ManagerWorld world(language.c_str());
    CChildFrame* child = OpenOnline(world);
    ASSERT_NE(child, nullptr);
    CRightpanePointtable& pane = child->GetRightpaneFormView()->PointTable();
    ASSERT_NE(pane.Manual(), nullptr);
    uitest::DialogDriver panel(pane.Manual()->GetSafeHwnd());
    const int row = CPointTableGrid::RowOfSlot(1);
    EditPointPosition(world, pane, 2, u"12.50");

    {
        SCOPED_TRACE("Cancel: nothing is sent");
        emulator.ClearLog();
        world.Boxes().Answer(IDOK).Answer(IDCANCEL);
        panel.Click(IDC_MAN_START);
        EXPECT_EQ(world.Boxes().PendingAnswers(), 0u);
        EXPECT_EQ(IndexOf(emulator, "@START"), -1);
        EXPECT_EQ(IndexOf(emulator, "@P"), -1);
        EXPECT_EQ(emulator.Controller(1).CurrentMotion(), emu::Motion::None);
        EXPECT_TRUE(panel.Enabled(IDC_MAN_START)) << "the panel is the user's again";
        EXPECT_TRUE(pane.Grid().GetCellBold(row, 2)) << "the edit stays";
    }
    {
        SCOPED_TRACE("No: the controller runs its own point");
        emulator.ClearLog();
        world.Boxes().Answer(IDOK).Answer(IDNO);
        panel.Click(IDC_MAN_START);
        EXPECT_EQ(world.Boxes().PendingAnswers(), 0u);
        EXPECT_GE(IndexOf(emulator, "@START2.1"), 0);
        EXPECT_EQ(IndexOf(emulator, "@P"), -1) << "no point was written";
        world.Boxes().Answer(IDOK, u"");
        ASSERT_TRUE(uitest::WaitUntil([&] { return panel.Enabled(IDC_MAN_START); }, 10000));
        EXPECT_EQ(emulator.Controller(1).DValue(0), 2000) << "the axis went to the controller's point 2";
        EXPECT_EQ(emulator.Controller(1).Point(2)[1], 2000);
        EXPECT_TRUE(pane.Grid().GetCellBold(row, 2)) << "the edit stays unsent";
    }
    {
        SCOPED_TRACE("Yes: the points are written before START");
        emulator.ClearLog();
        world.Boxes().Answer(IDOK).Answer(IDYES);
        // The window's own write, with its question and its report.
        world.Boxes().Answer(IDOK).Answer(IDOK);
        panel.Click(IDC_MAN_START);
        EXPECT_EQ(world.Boxes().PendingAnswers(), 0u);
        const int written = IndexOf(emulator, "@P2.1=");
        const int start = IndexOf(emulator, "@START2.1");
        ASSERT_GE(written, 0) << "the edited point was written";
        ASSERT_GE(start, 0);
        EXPECT_LT(written, start) << "before the program started";
        world.Boxes().Answer(IDOK, u"");
        ASSERT_TRUE(uitest::WaitUntil([&] { return panel.Enabled(IDC_MAN_START); }, 10000));
        EXPECT_EQ(emulator.Controller(1).Point(2)[1], 1250);
        EXPECT_EQ(emulator.Controller(1).DValue(0), 1250) << "the axis went to the edited point";
        EXPECT_FALSE(pane.Grid().GetCellBold(row, 2)) << "written: the mark goes";
    }
    Picture(world, "manual-start-" + language);
    world.Quit();
}

TEST_P(ManagerManualPanelTest, ASpeedWrittenFromThePanelReachesTheParameterPane)
{
    const std::string language = GetParam();
    ManagerWorld world(language.c_str());
    CChildFrame* child = OpenOnline(world);
    ASSERT_NE(child, nullptr);
    CRightpaneFormView* right = child->GetRightpaneFormView();
    EXPECT_TRUE(uitest::WaitUntil([&] { return PositionText(*child) == PositionShown(*child, 0.0); }, 10000))
        << "the window shows its controller";
    uitest::DialogDriver panel(right->PointTable().Manual()->GetSafeHwnd());
    panel.Retype(IDC_MAN_K9_EDIT, u"55");
    world.Boxes().Answer(IDOK);
    panel.Click(IDC_MAN_K9_WRITE);
    EXPECT_EQ(world.Boxes().PendingAnswers(), 0u);
    EXPECT_EQ(emulator.Controller(1).Parameter(9), 55);

    // The parameter pane shows 55 as the controller's value: unmarked.
    ShowPane(child, 3);
    CParameterGrid& grid = right->Parameter().Grid();
    int row = -1;
    for (int r = 1; r < grid.GetRows(); ++r)
        if (grid.GetCellText(r, 0) == CString(u"9")) row = r;
    ASSERT_GT(row, 0) << "K9 is listed";
    EXPECT_EQ(grid.GetCellText(row, 3), CString(u"55"));
    EXPECT_FALSE(grid.GetCellBold(row, 3));
    Picture(world, "manual-k9-written-" + language);
    world.Quit();
}

TEST_P(ManagerManualPanelTest, ThePointTableFollowsTheRunningPointWhileThePanelIsActive)
{
    const std::string language = GetParam();
    ManagerWorld world(language.c_str());
    CChildFrame* child = OpenOnline(world);
    ASSERT_NE(child, nullptr);
    CRightpanePointtable& pane = child->GetRightpaneFormView()->PointTable();
    CDlgManual& manual = *pane.Manual();
    CPointTableGrid& grid = pane.Grid();

    // The controller runs point 5: the row becomes the selected one.
    emulator.Controller(1).SetDValue(13, 5);
    ASSERT_TRUE(uitest::WaitUntil([&] { return grid.GetCurrentRow() == CPointTableGrid::RowOfSlot(4); }, 10000));
    EXPECT_EQ(DisplayText(manual), PointShown(manual, 5));
    EXPECT_EQ(manual.GetSelectedPoint(), 5) << "START and teach name the row shown";
    Picture(world, "manual-follow-" + language);

    // A row the user chooses stays chosen while the controller stays on 5.
    grid.SelectCell(CPointTableGrid::RowOfSlot(6), 1, TRUE);
    uitest::Pump(600);
    EXPECT_EQ(grid.GetCurrentRow(), CPointTableGrid::RowOfSlot(6));

    // Put away, the panel no longer moves the table.
    ::SendMessageW(pane.GetSafeHwnd(), WM_COMMAND, IDC_PANE_MANUAL_BUTTON, 0);
    emulator.Controller(1).SetDValue(13, 3);
    uitest::Pump(600);
    EXPECT_NE(grid.GetCurrentRow(), CPointTableGrid::RowOfSlot(2));
    world.Quit();
}

INSTANTIATE_TEST_SUITE_P(Languages, ManagerManualPanelTest, ::testing::Values("en", "ja"));

class ManagerTeachTest : public ManagerManualPanelTest {};

// A position taught into an empty row defines the point with the column
// defaults, each within its column's limits, though the controller's default
// parameters (K52, K53) are 0.
TEST_F(ManagerTeachTest, APointTaughtIntoAnEmptyRowGetsDefaultsWithinTheColumnLimits)
{
    emu::ControllerModel& c = emulator.Controller(1);
    c.SetParameter(52, 0);
    c.SetParameter(53, 0);
    c.SetDValue(0, 4321);
    ManagerWorld world;
    CChildFrame* child = OpenOnline(world);
    ASSERT_NE(child, nullptr);
    CRightpanePointtable& pane = child->GetRightpaneFormView()->PointTable();
    CPointTableGrid& grid = pane.Grid();
    const int row = CPointTableGrid::RowOfSlot(8);
    grid.SelectCell(row, 1, TRUE);
    world.Boxes().Answer(IDOK, u"43.21");
    uitest::DialogDriver(pane.Manual()->GetSafeHwnd()).Click(IDC_MAN_TEACH);
    EXPECT_EQ(world.Boxes().PendingAnswers(), 0u);
    EXPECT_EQ(grid.GetCellText(row, PointRecord::kP).ToUtf8(), "43.21");
    EXPECT_EQ(grid.GetCellText(row, PointRecord::kDC).ToUtf8(), "1") << "DC is at least 1";
    EXPECT_EQ(grid.GetCellText(row, PointRecord::kQ).ToUtf8(), "1") << "Q is at least 1";

    emulator.ClearLog();
    world.Boxes().Answer(IDOK).Answer(IDOK);
    world.Command(IDM_WRITE_CONTROLLER);
    EXPECT_EQ(world.Boxes().PendingAnswers(), 0u);
    ASSERT_TRUE(c.PointUsed(9));
    const emu::PointFields written = c.Point(9);
    EXPECT_EQ(written[1], 4321);
    EXPECT_EQ(written[4], 1) << "DC";
    EXPECT_EQ(written[5], 1) << "Q";
    EXPECT_EQ(IndexOf(emulator, "@DC9.1=0"), -1);
    world.Quit();
}

// Two controllers in two tiled windows.
class ManagerTwoManualPanelsTest : public ::testing::Test {
protected:
    ManagerTwoManualPanelsTest()
    {
        Prepare(first, "Q05", 11111, 3);
        Prepare(second, "Q10", 22222, 7);
    }
    static void Prepare(emu::Emulator& emulator, const char* model, int32_t position, int32_t point)
    {
        emu::ControllerModel& c = emulator.AddController(1, model);
        c.SetControllerName(std::string("KX-") + model);
        c.SetParameter(72, 2);
        for (int p = 1; p <= 8; ++p) c.SetPoint(p, PointAt(1000 * p));
        c.SetDValue(0, position);
        c.SetDValue(13, point);
    }
    void TearDown() override { uitest::FlushDeletedWidgets(); }

    emu::Emulator first;
    emu::Emulator second;
};

TEST_F(ManagerTwoManualPanelsTest, EachPanelShowsAndTeachesItsOwnController)
{
    ASSERT_FALSE(first.ServePty().empty()) << first.LastError();
    ASSERT_FALSE(second.ServePty().empty()) << second.LastError();
    ManagerWorld world;
    world.MapPorts({{3, first.PtyPath()}, {4, second.PtyPath()}});
    ASSERT_TRUE(world.Start());
    world.Boxes().Answer(IDOK).Answer(IDOK);
    world.NewOnline(3, u"First");
    CChildFrame* a = world.Active();
    world.NewOnline(4, u"Second");
    CChildFrame* b = world.Active();
    ASSERT_EQ(world.ChildCount(), 2);
    ASSERT_NE(a, b);
    world.Frame().MoveWindow(0, 0, 1400, 900);
    world.Command(ID_WINDOW_TILE_VERT);
    ShowPane(a, 1);
    ShowPane(b, 1);
    CRightpanePointtable& paneA = a->GetRightpaneFormView()->PointTable();
    CRightpanePointtable& paneB = b->GetRightpaneFormView()->PointTable();
    CDlgManual& manualA = *paneA.Manual();
    CDlgManual& manualB = *paneB.Manual();

    // The active window's panel follows its controller; the other keeps its own.
    b->MDIActivate();
    ASSERT_TRUE(uitest::WaitUntil([&] { return DisplayText(manualB) == PointShown(manualB, 7); }, 10000));
    a->MDIActivate();
    ASSERT_TRUE(uitest::WaitUntil([&] { return DisplayText(manualA) == PointShown(manualA, 3); }, 10000));
    uitest::Pump(600);
    EXPECT_EQ(DisplayText(manualB), PointShown(manualB, 7)) << "the inactive panel never shows the other controller";
    EXPECT_EQ(paneB.Grid().GetCurrentRow(), CPointTableGrid::RowOfSlot(6)) << "nor follows it in its table";
    Picture(world, "manual-two-windows");

    // Back to the second window, then at once a teach in the first one,
    // while the status poll still holds the second controller's position.
    b->MDIActivate();
    ASSERT_TRUE(uitest::WaitUntil([&] { return CDataManager::GetStatusCells()->Status().d0 == 22222; }, 10000));
    a->MDIActivate();
    // The status strip, too, keeps its own controller's position until the
    // poll brings it (its timer's work, done here at once).
    a->GetLeftpaneFormView()->Panel().Refresh();
    EXPECT_EQ(PositionText(*a), PositionShown(*a, 111.11));
    const int rowA = CPointTableGrid::RowOfSlot(2);
    ASSERT_EQ(paneA.Grid().GetCurrentRow(), rowA);
    world.Boxes().Answer(IDOK, u"111.11");
    uitest::DialogDriver(manualA.GetSafeHwnd()).Click(IDC_MAN_TEACH);
    EXPECT_EQ(world.Boxes().PendingAnswers(), 0u);
    EXPECT_EQ(paneA.Grid().GetCellText(rowA, 2), CString(u"111.11"));

    // A teach in the window that is not active takes its own controller too.
    world.Boxes().Answer(IDOK, u"222.22");
    paneB.Grid().SelectCell(CPointTableGrid::RowOfSlot(1), 1, TRUE);
    uitest::DialogDriver(manualB.GetSafeHwnd()).Click(IDC_MAN_TEACH);
    EXPECT_EQ(world.Boxes().PendingAnswers(), 0u);
    EXPECT_EQ(paneB.Grid().GetCellText(CPointTableGrid::RowOfSlot(1), 2), CString(u"222.22"));
    // The taught points are left unwritten.
    world.Boxes().Answer(IDNO).Answer(IDNO);
    world.Quit();
}

}  // namespace
