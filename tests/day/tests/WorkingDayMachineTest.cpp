// A working day at the machine, in one language per run: connect to the
// controller, move the axis by hand from the point pane's manual panel (jog
// while the button is held, inch by a distance set in the panel, teach the
// position into a point and write it, return home from the desktop
// terminal), look at the alarms and save their history to a file, and
// change a parameter in the parameter pane. Each step is checked as the
// user checks it (the controller's state, the file on disk, the window's
// texts) and pictured.
#include "tests/day/tests/DayTestSupport.h"

#include "manager/core/DataManager.h"
#include "manager/core/StatusCells.h"
#include "manager/dialogs/DlgManual.h"
#include "manager/ui/LeftpaneFormView.h"
#include "manager/ui/RightpaneFormView.h"
#include "platform/core/CodePage.h"
#include "platform/ui/GridView.h"
#include "platform/ui/ListCtrl.h"
#include "resources/manager/ctrldlgs_ids.h"
#include "resources/manager/panes_ids.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTest>
#include <QWindow>

#include <fstream>
#include <sstream>
#include <vector>

namespace {

using namespace daytest;
using namespace std::chrono_literals;

constexpr int kWaitMs = 10000;
constexpr int kMotionButtons[] = {IDC_MAN_JOG_MINUS, IDC_MAN_JOG_PLUS, IDC_MAN_INCH_MINUS, IDC_MAN_INCH_PLUS,
                                  IDC_MAN_TEACH};

// Whether the windows show the axis where it is: the position the status
// poll brought equals the controller's.
bool PositionShown(const emu::ControllerModel& model)
{
    const std::shared_ptr<StatusCells> cells = CDataManager::GetStatusCells();
    return cells && cells->Status().d0 == model.DValue(0);
}

bool Japanese() { return ::testing::TestWithParam<dayshared::DayRun>::GetParam().Japanese(); }

// The text a language shows: English or Japanese (UTF-8).
CString Shown(const char* en, const char* ja) { return W(Japanese() ? ja : en); }

std::string Slurp(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<CString> SplitLines(const CString& text)
{
    std::vector<CString> lines;
    int start = 0;
    for (int at = text.Find(u"\r\n"); at >= 0; at = text.Find(u"\r\n", start)) {
        lines.push_back(text.Mid(start, at - start));
        start = at + 2;
    }
    if (start < text.GetLength()) lines.push_back(text.Mid(start));
    return lines;
}

// A position as the windows show it with two decimals.
CString PositionText(int32_t raw)
{
    CString text;
    text.Format(u"%s%d.%02d", raw < 0 ? u"-" : u"", std::abs(raw) / 100, std::abs(raw) % 100);
    return text;
}

// The mouse held down on a control through the window system until the
// object goes (or Release).
class HeldMouse {
public:
    explicit HeldMouse(HWND control) : m_widget(platform::ui::WidgetOf(control))
    {
        if (!m_widget) return;
        m_at = m_widget->mapTo(m_widget->window(), m_widget->rect().center());
        QTest::mousePress(m_widget->window()->windowHandle(), Qt::LeftButton, {}, m_at);
    }
    ~HeldMouse() { Release(); }
    HeldMouse(const HeldMouse&) = delete;
    HeldMouse& operator=(const HeldMouse&) = delete;
    bool Held() const { return m_widget != nullptr; }
    void Release()
    {
        if (!m_widget) return;
        QTest::mouseRelease(m_widget->window()->windowHandle(), Qt::LeftButton, {}, m_at);
        m_widget = nullptr;
        uitest::Pump(0);
    }

private:
    QWidget* m_widget;
    QPoint m_at;
};

// A click into a grid cell, where the cell is drawn.
void ClickCell(CGridCtrl& grid, int row, int col)
{
    grid.SetTopRow(std::max(grid.GetFixedRows(), row - 2));
    uitest::Pump(0);
    RECT cell{};
    ASSERT_TRUE(grid.GetCellRect(row, col, &cell)) << "the cell is in view";
    QWidget* view = platform::ui::GridPeer::ViewOf(grid.GetSafeHwnd());
    ASSERT_NE(view, nullptr);
    // A click on a window that is not the active one makes it active (the
    // window manager's part, which a click sent from here does not reach).
    const HWND top = ::GetAncestor(grid.GetSafeHwnd(), GA_ROOT);
    if (::GetActiveWindow() != top) ::SetActiveWindow(top);
    const QPoint at = view->mapTo(view->window(), QPoint((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2));
    QTest::mouseClick(view->window()->windowHandle(), Qt::LeftButton, {}, at);
    uitest::Pump(0);
    EXPECT_EQ(::GetFocus(), grid.GetSafeHwnd()) << "the clicked grid has the keyboard";
}

// Keys as a person types them, to the widget that has the focus.
void TypeKeys(const std::u16string& text)
{
    for (char16_t ch : text) {
        QWidget* target = QApplication::focusWidget();
        ASSERT_NE(target, nullptr);
        const int key = ch == u'\r' ? Qt::Key_Return : ch == u'.' ? Qt::Key_Period : QChar(ch).unicode();
        const QString shown = ch == u'\r' ? QString() : QString(QChar(ch));
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, shown);
        QCoreApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, shown);
        QCoreApplication::sendEvent(target, &release);
        uitest::Pump(0);
    }
}

int Rows(CListCtrl& list) { return list.GetItemCount(); }

CListCtrl& ListOf(uitest::DialogDriver& d, int id) { return *static_cast<CListCtrl*>(CWnd::FromHandle(d.Item(id))); }

// A row of the history list as the file holds it: its eleven fields, each
// followed by a TAB.
CString HistoryLine(CListCtrl& list, int row)
{
    CString line;
    for (int col = 2; col <= 12; ++col) line += list.GetItemText(row, col) + u"\t";
    return line;
}

// Runs a window command that opens a modal dialog, found by one of its controls.
void RunCommandDialog(ManagerWorld& world, UINT command, int controlId,
                      const std::function<void(uitest::DialogDriver&)>& script)
{
    uitest::RunModal([&] {
        world.Command(command);
        return INT_PTR(IDOK);
    },
    [controlId] {
        const HWND active = ::GetActiveWindow();
        return active && ::GetDlgItem(active, controlId) ? active : HWND();
    },
    script, 60000);
}

class WorkingDayMachineTest : public DayTest {};

TEST_P(WorkingDayMachineTest, ManualOperationAlarmsAndParametersAtTheMachine)
{
    emu::ControllerModel& model = emulator.Controller(1);
    model.SetParameter(3, 100);  // a positioning width of 1.00
    ASSERT_FALSE(emulator.ServePty().empty()) << emulator.LastError();
    ManagerWorld world(GetParam().language);
    world.MapPorts({{kCom, emulator.PtyPath()}});

    // 1. An online connection reads the controller.
    CChildFrame* child = ConnectOnline(world, kCom);
    ASSERT_NE(child, nullptr);
    EXPECT_NE(RootText(child).Find(u"KX-Q05"), -1);
    child->ShowWindow(SW_SHOWMAXIMIZED);
    CRightpaneFormView* right = child->GetRightpaneFormView();
    ASSERT_NE(right, nullptr);
    ShowPane(child, 1);
    CPointTableGrid& points = right->PointTable().Grid();
    const int row1 = CPointTableGrid::RowOfSlot(0);
    const int row2 = CPointTableGrid::RowOfSlot(1);
    EXPECT_EQ(points.GetCellText(row1, 2), CString(u"10.00"));
    Picture(world, "machine-01-online");

    // 2. The manual panel of the point pane: put away and taken out again
    // with the pane's button.
    CDlgManual* manual = right->PointTable().Manual();
    ASSERT_NE(manual, nullptr) << "an online point pane has the manual panel";
    const HWND manualHwnd = manual->GetSafeHwnd();
    uitest::DialogDriver pane(right->PointTable().GetSafeHwnd());
    uitest::DialogDriver panel(manualHwnd);
    ASSERT_TRUE(::IsWindowVisible(manualHwnd));
    ASSERT_TRUE(uitest::WaitUntil([&] { return panel.Enabled(IDC_MAN_JOG_PLUS); }, kWaitMs));
    const CString closeText = pane.Text(IDC_PANE_MANUAL_BUTTON);
    pane.Click(IDC_PANE_MANUAL_BUTTON);
    for (const int id : kMotionButtons) EXPECT_FALSE(panel.Enabled(id)) << "a panel put away moves nothing: " << id;
    EXPECT_NE(pane.Text(IDC_PANE_MANUAL_BUTTON), closeText);
    pane.Click(IDC_PANE_MANUAL_BUTTON);
    for (const int id : kMotionButtons) EXPECT_TRUE(panel.Enabled(id)) << id;
    EXPECT_EQ(pane.Text(IDC_PANE_MANUAL_BUTTON), closeText);
    Picture(world, "machine-02-manual-panel");

    // Jog forward while JOG+ is held: the axis moves, and stops once released.
    {
        const int32_t start = model.DValue(0);
        HeldMouse jog(panel.Item(IDC_MAN_JOG_PLUS));
        ASSERT_TRUE(jog.Held());
        ASSERT_TRUE(uitest::WaitUntil([&] { return model.CurrentMotion() == emu::Motion::JogPlus; }, kWaitMs))
            << "the jog started while the button is held";
        EXPECT_TRUE(uitest::WaitUntil([&] { return model.DValue(0) > start + 50; }, kWaitMs))
            << "the axis moves forward: " << model.DValue(0);
        EXPECT_FALSE(panel.Enabled(IDC_MAN_INCH_PLUS)) << "no inching while jogging";
        EXPECT_TRUE(panel.Enabled(IDC_MAN_STOP));
        Picture(world, "machine-03-jogging");
        jog.Release();
        EXPECT_TRUE(uitest::WaitUntil([&] { return model.CurrentMotion() == emu::Motion::None; }, kWaitMs))
            << "released, the axis stops";
        EXPECT_TRUE(uitest::WaitUntil([&] { return !manual->IsJogRunning(); }, kWaitMs));
        const int32_t stopped = model.DValue(0);
        EXPECT_GT(stopped, start);
        uitest::Pump(500);
        EXPECT_EQ(model.DValue(0), stopped) << "and stays where it stopped";
        EXPECT_TRUE(uitest::WaitUntil([&] { return panel.Enabled(IDC_MAN_INCH_PLUS); }, kWaitMs));
    }

    // Inch by a distance set in the panel: 0.25 written as K11, one step forward.
    {
        panel.Retype(IDC_MAN_K11_EDIT, u"0.25");
        panel.Key(Qt::Key_Return);
        EXPECT_EQ(panel.Text(IDC_MAN_K11_EDIT), CString(u"0.25"));
        world.Boxes().Answer(IDOK);
        panel.Click(IDC_MAN_K11_WRITE);
        EXPECT_EQ(world.Boxes().PendingAnswers(), 0u) << "the write was confirmed";
        EXPECT_EQ(model.Parameter(11), 25) << "the controller holds the inching distance";
        const int32_t before = model.DValue(0);
        ASSERT_TRUE(uitest::WaitUntil([&] { return panel.Enabled(IDC_MAN_INCH_PLUS); }, kWaitMs));
        panel.Click(IDC_MAN_INCH_PLUS);
        EXPECT_TRUE(uitest::WaitUntil([&] { return model.DValue(0) == before + 25; }, kWaitMs))
            << "one step of 0.25: " << before << " -> " << model.DValue(0);
        EXPECT_TRUE(uitest::WaitUntil([&] { return model.CurrentMotion() == emu::Motion::None; }, kWaitMs));
        EXPECT_TRUE(uitest::WaitUntil([&] { return panel.Enabled(IDC_MAN_INCH_PLUS); }, kWaitMs))
            << "the panel is the user's again";
        EXPECT_EQ(model.DValue(0), before + 25) << "nothing more moved";
        Picture(world, "machine-04-inched");
    }

    // Teach the position into point 2 (not yet defined) and write it.
    const int32_t taught = model.DValue(0);
    ASSERT_FALSE(model.PointUsed(2));
    {
        ClickCell(points, row2, 2);
        ASSERT_EQ(manual->GetSelectedPoint(), 2) << "the clicked row is the point taught";
        // The position taught is the one the windows show: wait until they show the still axis.
        ASSERT_TRUE(uitest::WaitUntil([&] { return PositionShown(model); }, kWaitMs));
        world.Boxes().Answer(IDOK, std::u16string(PositionText(taught).GetString()));
        ASSERT_TRUE(uitest::WaitUntil([&] { return panel.Enabled(IDC_MAN_TEACH); }, kWaitMs));
        panel.Click(IDC_MAN_TEACH);
        EXPECT_EQ(world.Boxes().PendingAnswers(), 0u) << "the question named the position";
        EXPECT_EQ(points.GetCellText(row2, 2), PositionText(taught)) << "the point pane shows the position";
        EXPECT_TRUE(points.GetCellBold(row2, 2)) << "marked until written";
        ControllerData* data = child->GetTreeView()->CurrentData();
        ASSERT_NE(data, nullptr);
        EXPECT_TRUE(data->points[1].IsUsed());
        EXPECT_EQ(data->points[1].p, taught) << "the point data hold it";
        EXPECT_FALSE(model.PointUsed(2)) << "nothing reaches the controller before Write";
        Picture(world, "machine-05-taught");
        world.Boxes().Answer(IDOK).Answer(IDOK);
        world.Command(IDM_WRITE_CONTROLLER);
        EXPECT_EQ(world.Boxes().PendingAnswers(), 0u);
        ASSERT_TRUE(model.PointUsed(2));
        EXPECT_EQ(model.Point(2)[1], taught) << "the controller holds the taught position";
        EXPECT_EQ(model.Point(1)[1], 1000) << "point 1 is as it was";
        EXPECT_FALSE(points.GetCellBold(row2, 2));
    }

    // Home from the desktop terminal: the manual panel rests meanwhile and is
    // given back once the axis is at home.
    {
        // Long enough for the status poll to see the return on a loaded machine.
        model.SetMotionTime(emu::Motion::Origin, 5000ms);
        model.SetDValue(17, 7);
        world.Command(IDM_DESKTOP_TERMINAL);
        HWND terminal{};
        ASSERT_TRUE(uitest::WaitUntil([&] {
            terminal = ::GetActiveWindow();
            return terminal && ::GetDlgItem(terminal, IDC_DT_ORIGIN);
        }, kWaitMs)) << "the terminal is the active window";
        uitest::DialogDriver desk(terminal);
        ASSERT_TRUE(uitest::WaitUntil([&] { return desk.Enabled(IDC_DT_ORIGIN); }, kWaitMs));
        Picture(terminal, "machine-06-terminal");
        world.Boxes().Answer(IDOK);
        world.Boxes().Answer(IDOK, u"7)");
        desk.Click(IDC_DT_ORIGIN);
        EXPECT_EQ(world.Boxes().PendingAnswers(), 1u) << "the return was confirmed and runs";
        CDlgControllerStatus& status = child->GetLeftpaneFormView()->Panel();
        const CString homing = Shown("Returning to origin", "原点復帰中");
        bool seenRunning = false;
        bool seenHoming = false;
        ASSERT_TRUE(uitest::WaitUntil([&] {
            if (model.CurrentMotion() != emu::Motion::Origin) return world.Boxes().PendingAnswers() == 0;
            CString state;
            status.GetDlgItemText(IDC_STATUS_STATE, state);
            seenHoming = seenHoming || state == homing;
            // The manual panel rests for as long as the axis returns.
            if (!seenRunning) {
                seenRunning = true;
                for (const int id : kMotionButtons) EXPECT_FALSE(panel.Enabled(id)) << id;
                EXPECT_TRUE(panel.Enabled(IDC_MAN_STOP)) << "the axis can always be stopped";
                EXPECT_FALSE(desk.Enabled(IDC_DT_ORIGIN));
                Picture(world, "machine-07-homing");
            }
            return false;
        }, 30000)) << "the return ended and its end was shown";
        EXPECT_TRUE(seenRunning);
        EXPECT_TRUE(seenHoming) << "the window said the axis returns to its origin";
        EXPECT_EQ(model.DValue(0), 0) << "the axis is at home";
        EXPECT_EQ(model.CurrentMotion(), emu::Motion::None);
        EXPECT_TRUE(uitest::WaitUntil([&] { return panel.Enabled(IDC_MAN_JOG_PLUS); }, kWaitMs))
            << "the manual panel is given back";
        for (const int id : kMotionButtons) EXPECT_TRUE(panel.Enabled(id)) << id;
        EXPECT_TRUE(uitest::WaitUntil([&] { return desk.Enabled(IDC_DT_ORIGIN); }, kWaitMs));
        Picture(world, "machine-08-home");
        ::SendMessageW(terminal, WM_CLOSE, 0, 0);
        uitest::Pump(20);
        EXPECT_FALSE(::IsWindowVisible(terminal));
    }

    // 3. Alarms: the controller holds two old records and an alarm that just
    // came (which adds its own record, the newest).
    {
        emu::AlarmRecord record;
        record.code = 0x05;
        record.time = 1501;  // 1 day, 1 hour, 1 minute
        record.position = 12345;
        record.speed = 5000;
        record.point = 3;
        record.c = -12;
        record.v = 245;
        record.inputs = 0x21;
        record.outputs = 0x1004;
        model.AddRecord(record);
        record = {};
        record.code = 0x0C;
        record.time = 59;
        record.position = -250;
        model.AddRecord(record);
        model.RaiseAlarm(0x06);
    }
    ASSERT_EQ(model.Records().size(), 3u);
    const CString historyPath = world.Path("line-a-history.yveka");
    std::vector<CString> shownLines;
    {
        ScriptedDialogs files;
        RunCommandDialog(world, IDM_ALARM_LIST, IDC_ALM_HISTORY_LIST, [&](uitest::DialogDriver& d) {
            CListCtrl& alarms = ListOf(d, IDC_ALM_ALARM_LIST);
            CListCtrl& history = ListOf(d, IDC_ALM_HISTORY_LIST);
            EXPECT_TRUE(uitest::WaitUntil([&] { return Rows(history) == 3; }, kWaitMs));
            EXPECT_TRUE(uitest::WaitUntil([&] { return Rows(alarms) == 1; }, kWaitMs));
            EXPECT_EQ(alarms.GetItemText(0, 2), CString(u" 6"));
            EXPECT_EQ(alarms.GetItemText(0, 3), Shown("Position deviation", "位置偏差過大"));
            // Newest first: the alarm of now, the emergency stop, the overload.
            EXPECT_EQ(history.GetItemText(0, 2), CString(u" 6"));
            EXPECT_EQ(history.GetItemText(1, 2), CString(u" C"));
            EXPECT_EQ(history.GetItemText(1, 3), Shown("Emergency stop", "非常停止"));
            EXPECT_EQ(history.GetItemText(1, 5), CString(u"-2.50"));
            EXPECT_EQ(history.GetItemText(2, 1), CString(u"3"));
            EXPECT_EQ(history.GetItemText(2, 2), CString(u" 5"));
            EXPECT_EQ(history.GetItemText(2, 3), Shown("Overload", "過負荷"));
            EXPECT_EQ(history.GetItemText(2, 4), CString(u"1:01:01"));
            EXPECT_EQ(history.GetItemText(2, 5), CString(u"123.45"));
            EXPECT_EQ(history.GetItemText(2, 6), CString(u"50.00"));
            EXPECT_EQ(history.GetItemText(2, 8), CString(u"3"));
            EXPECT_EQ(history.GetItemText(2, 9), CString(u"-12"));
            EXPECT_EQ(history.GetItemText(2, 10), CString(u"24.5"));
            EXPECT_EQ(history.GetItemText(2, 11), CString(u"0021"));
            EXPECT_EQ(history.GetItemText(2, 12), CString(u"1004"));
            Picture(d.Dialog(), "machine-09-alarms");

            // A record that came while the window is open shows after Read.
            emu::AlarmRecord late;
            late.code = 0x1A;
            late.time = 60 * 24 * 3 + 5;
            model.AddRecord(late);
            d.Click(IDC_ALM_READ_HISTORY);
            EXPECT_TRUE(uitest::WaitUntil([&] { return Rows(history) == 4; }, kWaitMs));
            EXPECT_EQ(history.GetItemText(0, 2), CString(u"1A"));
            EXPECT_EQ(history.GetItemText(0, 3), Shown("Actuator mismatch", "機種不一致"));
            EXPECT_EQ(history.GetItemText(0, 4), CString(u"3:00:05"));
            EXPECT_EQ(history.GetItemText(3, 3), Shown("Overload", "過負荷"));
            for (int row = 0; row < Rows(history); ++row) shownLines.push_back(HistoryLine(history, row));

            // Saved to a file of the name chosen.
            files.ChooseFile({historyPath});
            world.Boxes().Answer(IDOK, std::u16string(Shown("saved", "保存しました").GetString()));
            d.Click(IDC_ALM_SAVE);
            EXPECT_EQ(world.Boxes().PendingAnswers(), 0u) << "the save was reported";

            // Reset clears the alarm on the controller and in the list.
            d.Click(IDC_ALM_RESET);
            EXPECT_TRUE(model.Alarms().empty());
            EXPECT_TRUE(uitest::WaitUntil([&] { return Rows(alarms) == 0; }, kWaitMs));
            Picture(d.Dialog(), "machine-10-alarms-saved");
            d.Click(IDCANCEL);
        });
        // The window's status no longer says alarm once it was reset.
        CDlgControllerStatus& status = child->GetLeftpaneFormView()->Panel();
        const CString stopped = Shown("Stopped", "停止中");
        CString state;
        EXPECT_TRUE(uitest::WaitUntil([&] {
            status.GetDlgItemText(IDC_STATUS_STATE, state);
            return state == stopped;
        }, kWaitMs)) << state.ToUtf8();
        ASSERT_EQ(files.FileRequests().size(), 1u);
        EXPECT_EQ(files.FileRequests()[0].fileName.Find(u':'), -1) << "the proposed name holds no colon";
    }
    {
        // The file: a time line, the controller's header, then the history as shown.
        const std::string bytes = Slurp(world.Folder() / "line-a-history.yveka");
        if (Japanese()) EXPECT_NE(bytes.find(platform::FromWide(u"過負荷", CP_SHIFT_JIS)), std::string::npos)
            << "the Japanese texts are in the Japanese code page";
        const std::vector<CString> lines = SplitLines(CString(platform::ToWide(bytes, CP_ACP).c_str()));
        ASSERT_EQ(lines.size(), 6u + 4u) << bytes;
        EXPECT_TRUE(lines[0].Left(2) == u"//" && lines[0].GetLength() > 2) << "the time line";
        EXPECT_EQ(lines[1], CString(u"//CONT=KX-Q05"));
        EXPECT_EQ(lines[2], CString(u"//ROBOT=SA4-L06"));
        EXPECT_EQ(lines[3].Left(5), CString(u"//IF="));
        EXPECT_EQ(lines[4].Left(6), CString(u"//VER="));
        EXPECT_EQ(lines[5].Left(8), CString(u"//DBVER="));
        ASSERT_EQ(shownLines.size(), 4u);
        for (size_t i = 0; i < shownLines.size(); ++i) EXPECT_EQ(lines[6 + i], shownLines[i]) << "record " << i + 1;
        const CString overload = Shown(" 5\tOverload\t1:01:01\t123.45\t50.00\t", " 5\t過負荷\t1:01:01\t123.45\t50.00\t");
        EXPECT_EQ(lines[9].Left(overload.GetLength()), overload);
        const CString tail(u"\t3\t-12\t24.5\t0021\t1004\t");
        EXPECT_EQ(lines[9].Right(tail.GetLength()), tail);
    }

    // 4. Parameters: the positioning width (K3) typed into the grid and written.
    ShowPane(child, 3);
    CParameterGrid& grid = right->Parameter().Grid();
    const int k3 = grid.RowOfIndex(2);
    ASSERT_GT(k3, 0);
    ASSERT_EQ(model.Parameter(3), 100);
    EXPECT_EQ(grid.GetCellText(k3, CParameterGrid::kValueCol), CString(u"1.00"));
    ClickCell(grid, k3, CParameterGrid::kValueCol);
    CString description;
    right->Parameter().GetDlgItemText(IDC_PANE_PARAM_DESCRIPTION, description);
    EXPECT_NE(description.Find(u"0.01"), -1) << "the description gives the range: " << description.ToUtf8();
    EXPECT_NE(description.Find(u"10.00"), -1) << description.ToUtf8();
    TypeKeys(u"0.5\r");
    EXPECT_EQ(grid.GetCellText(k3, CParameterGrid::kValueCol), CString(u"0.50"));
    EXPECT_TRUE(grid.GetCellBold(k3, CParameterGrid::kValueCol)) << "marked until written";
    EXPECT_EQ(model.Parameter(3), 100) << "nothing reaches the controller before Write";
    Picture(world, "machine-11-parameter-typed");
    world.Boxes().Answer(IDOK).Answer(IDOK);
    world.Command(IDM_WRITE_CONTROLLER);
    EXPECT_EQ(world.Boxes().PendingAnswers(), 0u);
    EXPECT_EQ(model.Parameter(3), 50) << "the controller holds the new value";
    EXPECT_FALSE(grid.GetCellBold(k3, CParameterGrid::kValueCol));

    // A value beyond the range is refused with a message and never written.
    ClickCell(grid, k3, CParameterGrid::kValueCol);
    world.Boxes().Answer(IDOK, u"250");
    TypeKeys(u"250\r");
    EXPECT_EQ(world.Boxes().PendingAnswers(), 0u) << "the refusal was shown";
    ASSERT_FALSE(world.Boxes().Shown().empty());
    EXPECT_NE(world.Boxes().Shown().back().text.Find(u"10.00"), -1) << "it names the range";
    EXPECT_EQ(grid.GetCellText(k3, CParameterGrid::kValueCol), CString(u"0.50"));
    EXPECT_FALSE(grid.GetCellBold(k3, CParameterGrid::kValueCol));
    ControllerData* data = child->GetTreeView()->CurrentData();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->FirstParamSet()->K(3), 50);
    Picture(world, "machine-12-parameter-refused");
    world.Boxes().Answer(IDOK).Answer(IDOK);
    world.Command(IDM_WRITE_CONTROLLER);
    EXPECT_EQ(model.Parameter(3), 50) << "the refused value never reaches the controller";
    world.Quit();
    EXPECT_EQ(world.Boxes().PendingAnswers(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Runs, WorkingDayMachineTest, ::testing::ValuesIn(kDayRuns), DayRunName);

}  // namespace
