// The controller dialogs of an online window, opened through the window's own
// commands against the emulated controller: the alarm list (history read,
// saved, opened again from its file, alarms reset and records cleared), the
// comment list with Japanese text, the mode change (K20 takes the new mode; a
// mode without an entry is never written), the I/O monitor's extra polling
// only while it is shown, and a write of the points after the manual panel
// jogged the axis.
#include "manager/ui/tests/ManagerTestSupport.h"

#include "platform/ui/Shell.h"

#include "manager/core/DataManager.h"
#include "manager/dialogs/DlgAlarm.h"
#include "manager/ui/ManagerMessages.h"
#include "manager/ui/RightpaneFormView.h"
#include "platform/core/CodePage.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/ComboBox.h"
#include "platform/ui/FrameIds.h"
#include "platform/ui/ListCtrl.h"
#include "resources/manager/ctrldlgs_ids.h"
#include "tests/support/emulator/Emulator.h"

#include <QTest>
#include <QWindow>

#include <fstream>
#include <sstream>

namespace {

using namespace mgrtest;
namespace fs = std::filesystem;

constexpr int kCom = 3;

std::string Slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string Sjis(const char* utf8) { return platform::FromWide(std::u16string_view(W(utf8)), CP_SHIFT_JIS); }

int Rows(uitest::DialogDriver& d, int id) { return static_cast<CListCtrl*>(CWnd::FromHandle(d.Item(id)))->GetItemCount(); }

// JOG+ of a window's manual panel held with the mouse, through the window
// system, until the object goes.
class HeldJogPlus {
public:
    explicit HeldJogPlus(CDlgManual& manual)
        : m_button(platform::ui::WidgetOf(manual.GetDlgItem(IDC_MAN_JOG_PLUS)->GetSafeHwnd()))
    {
        if (!m_button) return;
        m_at = m_button->mapTo(m_button->window(), m_button->rect().center());
        QTest::mousePress(m_button->window()->windowHandle(), Qt::LeftButton, {}, m_at);
    }
    ~HeldJogPlus() { Release(); }
    HeldJogPlus(const HeldJogPlus&) = delete;
    HeldJogPlus& operator=(const HeldJogPlus&) = delete;
    void Release()
    {
        if (!m_button) return;
        QTest::mouseRelease(m_button->window()->windowHandle(), Qt::LeftButton, {}, m_at);
        m_button = nullptr;
        uitest::Pump(0);
    }

private:
    QWidget* m_button;
    QPoint m_at;
};

int CountStartingWith(const emu::Emulator& emulator, const std::string& prefix)
{
    int n = 0;
    for (const std::string& line : emulator.ReceivedCommands()) n += line.rfind(prefix, 0) == 0;
    return n;
}

class ManagerControllerDialogsTest : public ::testing::TestWithParam<const char*> {
protected:
    ManagerControllerDialogsTest()
    {
        emu::ControllerModel& c = emulator.AddController(1, "Q05");
        c.SetControllerName("KX-Q05");
        c.SetRobot("SA4-L06");
        c.SetParameter(72, 2);
        emu::PointFields p{};
        p[0] = 1;     // M
        p[1] = 1000;  // P
        p[2] = 100;   // S
        p[3] = 100;
        p[4] = 100;
        p[5] = 100;
        c.SetPoint(1, p);
    }
    void TearDown() override { uitest::FlushDeletedWidgets(); }

    // An online window on the emulator's terminal as COM3.
    CChildFrame* OpenOnline(ManagerWorld& world)
    {
        if (emulator.PtyPath().empty()) emulator.ServePty();
        return world.StartOnline(kCom, emulator.PtyPath(), u"Line");
    }

    // Runs a window command that opens a modal dialog, found by one of its controls.
    static INT_PTR RunCommandDialog(ManagerWorld& world, UINT command, int controlId,
                                    const std::function<void(uitest::DialogDriver&)>& script)
    {
        return uitest::RunModal([&] {
            world.Command(command);
            return INT_PTR(IDOK);
        },
        [controlId] {
            const HWND active = ::GetActiveWindow();
            return active && ::GetDlgItem(active, controlId) ? active : HWND();
        },
        script);
    }

    static void Picture(HWND window, const std::string& name)
    {
        uitest::Pump(30);
        EXPECT_TRUE(uitest::DialogDriver(window).Grab(uitest::ArtifactFolder("manager") + "/" + name + ".png")) << name;
    }

    emu::Emulator emulator;
};

TEST_P(ManagerControllerDialogsTest, AlarmHistoryIsReadSavedOpenedAgainAndCleared)
{
    const std::string language = GetParam();
    emu::AlarmRecord record;
    record.code = 0x05;
    record.time = 1501;
    record.position = 12345;
    emulator.Controller(1).AddRecord(record);
    record.code = 0x1A;
    record.time = 59;
    emulator.Controller(1).AddRecord(record);
    emulator.Controller(1).RaiseAlarm(0x02);
    const int records = static_cast<int>(emulator.Controller(1).Records().size());

    ManagerWorld world(language.c_str());
    ASSERT_NE(OpenOnline(world), nullptr);
    ASSERT_TRUE(world.Enabled(IDM_ALARM_LIST));
    ScriptedDialogs files;
    const CString path = world.Path("history.yveka");
    RunCommandDialog(world, IDM_ALARM_LIST, IDC_ALM_HISTORY_LIST, [&](uitest::DialogDriver& d) {
        EXPECT_TRUE(uitest::WaitUntil([&] { return Rows(d, IDC_ALM_HISTORY_LIST) == records; }, 10000));
        EXPECT_TRUE(uitest::WaitUntil([&] { return Rows(d, IDC_ALM_ALARM_LIST) == 1; }, 10000));
        Picture(d.Dialog(), "ctrl-alarm-" + language);
        files.ChooseFile({path});
        world.Boxes().Answer(IDOK);
        d.Click(IDC_ALM_SAVE);
        // Reset clears the active alarm on the controller.
        d.Click(IDC_ALM_RESET);
        EXPECT_TRUE(emulator.Controller(1).Alarms().empty());
        d.Click(IDCANCEL);
    });
    EXPECT_EQ(world.Boxes().PendingAnswers(), 0u) << "the save was confirmed";
    const std::string text = Slurp(world.Folder() / "history.yveka");
    EXPECT_NE(text.find("//CONT=KX-Q05"), std::string::npos) << text;
    EXPECT_NE(text.find(" 5\t"), std::string::npos) << text;

    // The saved file opens again, offline, with the same history.
    CDlgAlarm offline(&world.Frame());
    offline.LoadAlarmFile(path);
    uitest::RunModal(offline, [&](uitest::DialogDriver& d) {
        EXPECT_EQ(Rows(d, IDC_ALM_HISTORY_LIST), records);
        EXPECT_FALSE(d.Visible(IDC_ALM_RESET));
        Picture(d.Dialog(), "ctrl-alarm-file-" + language);
        d.Click(IDCANCEL);
    });

    // Clearing the records from the window leaves an empty history.
    world.Boxes().Answer(IDOK).Answer(IDOK);
    world.Command(IDM_INIT_REC);
    EXPECT_TRUE(emulator.Controller(1).Records().empty());
    RunCommandDialog(world, IDM_ALARM_LIST, IDC_ALM_HISTORY_LIST, [&](uitest::DialogDriver& d) {
        uitest::Pump(50);
        EXPECT_EQ(Rows(d, IDC_ALM_HISTORY_LIST), 0);
        d.Click(IDCANCEL);
    });
    world.Quit();
}

TEST_P(ManagerControllerDialogsTest, CommentsAreReadAndWrittenInTheControllersCodePage)
{
    const std::string language = GetParam();
    emulator.SetCodePage(language == "ja" ? 932 : 1252);
    for (int n = 1; n <= 9; ++n) emulator.Controller(1).SetComment(n, "C" + std::to_string(n));
    const char* japanese = "ライン３号機";
    const char* written = "第二工場　検査";
    if (language == "ja") emulator.Controller(1).SetComment(3, Sjis(japanese));

    ManagerWorld world(language.c_str());
    ASSERT_NE(OpenOnline(world), nullptr);
    ASSERT_TRUE(world.Enabled(IDM_COMMENT_LIST));
    RunCommandDialog(world, IDM_COMMENT_LIST, IDC_CMT_WRITE, [&](uitest::DialogDriver& d) {
        EXPECT_EQ(d.Text(IDC_CMT_EDIT_1), CString(u"C1"));
        if (language == "ja") EXPECT_EQ(d.Text(IDC_CMT_EDIT_1 + 2), W(japanese));
        emulator.ClearLog();
        const CString text = language == "ja" ? W(written) : CString(u"Second plant, test");
        d.Retype(IDC_CMT_EDIT_1 + 6, std::u16string(text.GetString()));
        Picture(d.Dialog(), "ctrl-comments-" + language);
        world.Boxes().Answer(IDOK).Answer(IDOK);
        d.Click(IDC_CMT_WRITE);
        EXPECT_EQ(CountStartingWith(emulator, "@COMW"), 1) << "only the changed comment is sent";
        d.Click(IDCANCEL);
    });
    EXPECT_EQ(world.Boxes().PendingAnswers(), 0u);
    EXPECT_EQ(emulator.Controller(1).Comment(7), language == "ja" ? Sjis(written) : std::string("Second plant, test"));
    world.Quit();
}

TEST_P(ManagerControllerDialogsTest, ModeChangeWritesK20AndAModeWithoutEntryIsNeverWritten)
{
    const std::string language = GetParam();
    emulator.Controller(1).SetParameter(20, 2);
    ManagerWorld world(language.c_str());
    CChildFrame* child = OpenOnline(world);
    ASSERT_NE(child, nullptr);
    ASSERT_TRUE(world.Enabled(IDM_MODE_CHANGE));

    // Standby on the field bus: entry 0 with the check box.
    RunCommandDialog(world, IDM_MODE_CHANGE, IDC_MODE_COMBO, [&](uitest::DialogDriver& d) {
        EXPECT_EQ(::SendMessageW(d.Item(IDC_MODE_COMBO), CB_GETCURSEL, 0, 0), 2) << "the controller's mode is shown";
        Picture(d.Dialog(), "ctrl-mode-" + language);
        ::SendMessageW(d.Item(IDC_MODE_COMBO), CB_SETCURSEL, 0, 0);
        d.Click(IDC_MODE_FIELDBUS);
        d.Click(IDOK);
    });
    EXPECT_EQ(emulator.Controller(1).Parameter(20), 4);
    ControllerData* data = child->GetTreeView()->CurrentData();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->FirstParamSet()->K(20), 4) << "the window follows the controller";

    // A mode the dialog has no entry for: nothing is written, whatever is pressed.
    emulator.Controller(1).SetParameter(20, 3);
    world.Boxes().Answer(IDOK);
    world.Command(IDM_READ_CONTROLLER);
    ASSERT_EQ(data->FirstParamSet()->K(20), 3);
    emulator.ClearLog();
    RunCommandDialog(world, IDM_MODE_CHANGE, IDC_MODE_COMBO, [&](uitest::DialogDriver& d) {
        EXPECT_FALSE(d.Enabled(IDOK));
        Picture(d.Dialog(), "ctrl-mode-unknown-" + language);
        d.Click(IDCANCEL);
    });
    EXPECT_EQ(CountStartingWith(emulator, "@K20"), 0);
    EXPECT_EQ(emulator.Controller(1).Parameter(20), 3);
    world.Quit();
}

INSTANTIATE_TEST_SUITE_P(Languages, ManagerControllerDialogsTest, ::testing::Values("en", "ja"));

class ManagerMonitorAndManualTest : public ManagerControllerDialogsTest {};

TEST_F(ManagerMonitorAndManualTest, TheIoMonitorAsksForTheIoWordsOnlyWhileShown)
{
    ManagerWorld world;
    ASSERT_NE(OpenOnline(world), nullptr);
    ASSERT_TRUE(world.Enabled(IDM_IO_MONITOR));
    emulator.ClearLog();
    world.Command(IDM_IO_MONITOR);
    const HWND monitor = ::GetActiveWindow();
    ASSERT_TRUE(monitor && ::GetDlgItem(monitor, IDC_IO_IN_LOW)) << "the monitor is the active window";
    EXPECT_TRUE(uitest::WaitUntil([&] { return CountStartingWith(emulator, "@?WIO") >= 2; }, 10000));
    // The main window's keys work from the monitor: F1 opens the help page.
    {
        int opened = 0;
        platform::ScopedDesktopOpenHook hook([&](const std::vector<CString>&) {
            ++opened;
            return true;
        });
        QTest::keyClick(platform::ui::WidgetOf(monitor), Qt::Key_F1);
        uitest::Pump(20);
        EXPECT_EQ(opened, 1) << "F1 reached the main window";
    }
    ::SendMessageW(monitor, WM_CLOSE, 0, 0);
    uitest::Pump(20);
    EXPECT_FALSE(::IsWindowVisible(monitor));
    // Once a whole poll cycle has run after the close, no more I/O words are asked for.
    emulator.ClearLog();
    ASSERT_TRUE(uitest::WaitUntil([&] { return CountStartingWith(emulator, "@?OPT") >= 3; }, 10000));
    emulator.ClearLog();
    ASSERT_TRUE(uitest::WaitUntil([&] { return CountStartingWith(emulator, "@?OPT") >= 3; }, 10000));
    EXPECT_EQ(CountStartingWith(emulator, "@?WIO"), 0);
    world.Quit();
}

TEST_F(ManagerMonitorAndManualTest, PointsAreWrittenAfterTheManualPanelJoggedTheAxis)
{
    ManagerWorld world;
    CChildFrame* child = OpenOnline(world);
    ASSERT_NE(child, nullptr);
    ShowPane(child, 1);
    CRightpaneFormView* right = child->GetRightpaneFormView();
    ASSERT_NE(right, nullptr);
    CDlgManual* manual = right->PointTable().Manual();
    ASSERT_NE(manual, nullptr);

    // Jog + while the button is held; released, the axis stops.
    HeldJogPlus jog(*manual);
    EXPECT_TRUE(uitest::WaitUntil([&] { return emulator.Controller(1).CurrentMotion() == emu::Motion::JogPlus; }, 5000));
    uitest::Pump(300);
    jog.Release();
    EXPECT_TRUE(uitest::WaitUntil([&] { return emulator.Controller(1).CurrentMotion() == emu::Motion::None; }, 5000));
    EXPECT_TRUE(uitest::WaitUntil([&] { return !manual->IsJogRunning(); }, 5000)) << "the jog's end reached the panel";

    // The panel is put away, then a point is edited in the grid and written.
    ::SendMessageW(right->PointTable().GetSafeHwnd(), WM_COMMAND, IDC_PANE_MANUAL_BUTTON, 0);
    uitest::Pump(10);
    CPointTableGrid& grid = right->PointTable().Grid();
    const int row2 = CPointTableGrid::RowOfSlot(1);
    grid.SelectCell(row2, 1, TRUE);
    ASSERT_TRUE(CFlxGrid::PlaceClipboardText(grid.GetSafeHwnd(),
                                             CPointTableGrid::MoveTypeName(1) + u"\t12.5\t50\t60\t70\t80"));
    world.Command(ID_EDIT_PASTE);
    ASSERT_TRUE(grid.GetCellBold(row2, 2));
    world.Boxes().Answer(IDOK).Answer(IDOK);
    world.Command(IDM_WRITE_CONTROLLER);
    EXPECT_EQ(world.Boxes().PendingAnswers(), 0u);
    EXPECT_TRUE(emulator.Controller(1).PointUsed(2)) << "the write reached the controller";
    EXPECT_EQ(emulator.Controller(1).Point(2)[1], 1250);
    EXPECT_FALSE(grid.GetCellBold(row2, 2)) << "and the marks cleared";
    world.Quit();
}

}  // namespace


namespace {

// Two online windows: each window's panes and manual panel belong to its own
// controller, whichever window was current when the second one was built.
TEST(ManagerTwoWindowsTest, TheSecondWindowsManualPanelMovesItsOwnAxisOnly)
{
    emu::Emulator first;
    emu::Emulator second;
    first.AddController(1, "Q05").SetControllerName("KX-Q05");
    second.AddController(1, "Q10").SetControllerName("KX-Q10");
    ASSERT_FALSE(first.ServePty().empty()) << first.LastError();
    ASSERT_FALSE(second.ServePty().empty()) << second.LastError();
    ManagerWorld world;
    world.MapPorts({{3, first.PtyPath()}, {4, second.PtyPath()}});
    ASSERT_TRUE(world.Start());
    world.Boxes().Answer(IDOK).Answer(IDOK);
    world.NewOnline(3, u"First");
    world.NewOnline(4, u"Second");
    ASSERT_EQ(world.ChildCount(), 2);
    world.Frame().MoveWindow(0, 0, 1200, 860);
    CChildFrame* child = world.Active();
    child->ShowWindow(SW_SHOWMAXIMIZED);
    uitest::Pump(10);
    CRightpaneFormView* right = child->GetRightpaneFormView();
    CString shown;
    right->Information().GetDlgItemText(IDC_INFO_CONT, shown);
    EXPECT_EQ(shown, CString(u"KX-Q10")) << "the second window shows its own controller";

    ShowPane(child, 1);
    CDlgManual* manual = right->PointTable().Manual();
    ASSERT_NE(manual, nullptr);
    HeldJogPlus jog(*manual);
    EXPECT_TRUE(uitest::WaitUntil([&] { return second.Controller(1).CurrentMotion() == emu::Motion::JogPlus; }, 5000))
        << "the axis of the window's own controller moves";
    EXPECT_EQ(first.Controller(1).CurrentMotion(), emu::Motion::None) << "the other controller never moves";
    jog.Release();
    EXPECT_TRUE(uitest::WaitUntil([&] { return second.Controller(1).CurrentMotion() == emu::Motion::None; }, 5000));

    // The one status monitor follows the window that is active.
    world.Command(IDM_STATUS_MONITOR);
    const HWND monitor = ::GetActiveWindow();
    ASSERT_TRUE(monitor && ::GetDlgItem(monitor, IDC_SM_D0)) << "the monitor is the active window";
    CString title;
    CWnd::FromHandle(monitor)->GetWindowText(title);
    EXPECT_NE(title.Find(u"KX-Q10"), -1) << title.ToUtf8();
    for (CMDIChildWnd* frame : world.Frame().MDIGetChildren())
        if (frame != child) frame->MDIActivate();
    uitest::Pump(20);
    CWnd::FromHandle(monitor)->GetWindowText(title);
    EXPECT_NE(title.Find(u"KX-Q05"), -1) << title.ToUtf8();
    world.Command(IDM_STATUS_MONITOR);
    EXPECT_EQ(::GetActiveWindow(), monitor) << "still the one monitor";
    world.Quit();
}

}  // namespace
