// Exchange mode ("/ES"): the manager writes one controller's data into the
// shared block and starts the simulator; closing with Yes hands the edits
// back (result 6); with No (the block written all the same) or without edits
// the manager takes nothing back (result 7).
#include "simulator/ui/tests/SimulatorTestSupport.h"

#include "manager/core/LibraryBindings.h"
#include "manager/core/SharedMemoryLink.h"
#include "platform/core/Paths.h"

#include <spawn.h>
#include <sys/wait.h>

#include <fstream>

extern char** environ;

namespace {

using simui::AppState;

// The manager in a process of its own: it holds the shared block while the
// simulator runs, as the real one does, and reports what the block holds at
// the end.
class ExchangeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string program = (std::filesystem::path(platform::GetProgramFolder().ToUtf8()) /
                                     "simui-manager-standin").string();
        std::vector<std::string> args = {program, m_dir.File("ready").ToUtf8(), m_dir.File("done").ToUtf8(),
                                         m_dir.File("out.yvekd").ToUtf8()};
        std::vector<char*> argv;
        for (std::string& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        ASSERT_EQ(::posix_spawn(&m_pid, program.c_str(), nullptr, nullptr, argv.data(), environ), 0);
        ASSERT_TRUE(uitest::WaitUntil([&] { return std::filesystem::exists(m_dir.Path() / "ready"); }, 20000));
    }
    void TearDown() override { Finish(); }

    // Lets the manager take the block back; its exit status.
    int Finish()
    {
        if (m_pid <= 0) return m_status;
        std::ofstream(m_dir.Path() / "done").put('1');
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        m_pid = 0;
        m_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return m_status;
    }

    ControllerData Block()
    {
        EXPECT_EQ(Finish(), 0);
        ControllerData data;
        data.paramSets.resize(1);
        ControllerDataStore store;
        EXPECT_TRUE(store.ReadControllerDataFile(m_dir.File("out.yvekd"), data, true, true, true));
        return data;
    }

    uitest::ScopedResources m_module{u"pellarun", "en"};
    simui::TempDir m_dir;
    pid_t m_pid = 0;
    int m_status = -1;
};

TEST_F(ExchangeTest, YesHandsTheEditsBackWithResult6)
{
    AppState state(true, u"Axis 1");
    ScriptedMessageBox boxes;
    boxes.Answer(IDYES, u"Apply the edited data?");
    CSimulatorDlg dlg;
    const INT_PTR result = uitest::RunModal(dlg, [&](uitest::DialogDriver& d) {
        CString caption;
        ::GetWindowTextW(d.Dialog(), caption.GetBuffer(256), 256);
        caption.ReleaseBuffer();
        EXPECT_EQ(caption, CString(u"Pellarun - Axis 1"));
        EXPECT_EQ(d.Text(IDC_CONTROLLER_COMBO), CString(u"KX-Q05"));
        EXPECT_EQ(d.Text(IDC_ROBOT_COMBO), CString(u"SA4-L06"));
        EXPECT_FALSE(d.Enabled(IDC_UNITS_CUSTOM)) << "the manager's robot cannot be changed here";
        uitest::DialogDriver page = simui::ServoPage(d);
        EXPECT_EQ(simui::Background(page, IDC_SERVO_STROKE), simui::Rgb(::GetSysColor(COLOR_BTNFACE)))
            << "its stroke takes no typing, and looks it";
        CGridCtrl* points = simui::Grid(d, IDC_POINT_GRID);
        EXPECT_EQ(points->GetCellText(2, 2), CString(u"20.00"));
        simui::EditCell(d, IDC_POINT_GRID, 1, 2, u"55.5");
        EXPECT_EQ(points->GetCellBackColor(1, 2), RGB(255, 204, 204)) << "an edited value is marked";
        EXPECT_TRUE(d.Grab(simui::PicturePath("main-dialog-exchange", "en")));
        simui::Command(d, ID_FILE_EXIT);
    });
    EXPECT_EQ(result, kExitDataApplied);
    const ControllerData back = Block();
    EXPECT_EQ(back.points[0].p, 5550);
    EXPECT_EQ(back.points[1].p, 2000);
    EXPECT_EQ(back.robot, CString(u"SA4-L06"));
}

TEST_F(ExchangeTest, NoEndsWith7SoTheManagerKeepsItsOwnData)
{
    AppState state(true);
    ScriptedMessageBox boxes;
    boxes.Answer(IDNO, u"Apply the edited data?");
    CSimulatorDlg dlg;
    const INT_PTR result = uitest::RunModal(dlg, [&](uitest::DialogDriver& d) {
        simui::EditCell(d, IDC_POINT_GRID, 1, 2, u"77");
        simui::Command(d, ID_FILE_EXIT);
    });
    // The block is written for No as for Yes; the result tells the manager
    // not to take it.
    EXPECT_EQ(result, kExitNothingToApply);
    const ControllerData block = Block();
    EXPECT_EQ(block.points[0].p, 7700);
    EXPECT_EQ(block.points[1].p, 2000);
}

TEST_F(ExchangeTest, ASpeedAboveTheCarriedMassLimitIsAskedBeforeTheRun)
{
    AppState state(true);
    ScriptedMessageBox boxes;
    CSimulatorDlg dlg;
    uitest::RunModal(dlg, [&](uitest::DialogDriver& d) {
        simui::ChooseCellEntry(d, IDC_MOTION_GRID, 1, 1, 0);
        simui::ChooseCellEntry(d, IDC_MOTION_GRID, 1, 2, 1);
        boxes.Answer(IDNO, u"above its limit");
        d.Click(IDC_EXECUTE);
        CGridCtrl* results = simui::Grid(d, IDC_RESULT_GRID);
        EXPECT_TRUE(results->GetCellText(1, 0).IsEmpty()) << "No runs nothing";
        boxes.Answer(IDYES, u"above its limit");
        d.Click(IDC_EXECUTE);
        EXPECT_EQ(results->GetCellText(1, 0), CString(u"TOTAL"));
        simui::Command(d, ID_FILE_EXIT);
    });
}

TEST_F(ExchangeTest, TheFileCommandsAreOffInExchangeMode)
{
    AppState state(true);
    ScriptedMessageBox boxes;
    simui::MenuInspector menus({ID_FILE_OPEN_DATA, ID_FILE_SAVE_DATA, ID_FILE_SAVE_DATA_AS, ID_FILE_CLOSE_DATA,
                                ID_FILE_EXIT});
    CSimulatorDlg dlg;
    uitest::RunModal(dlg, [&](uitest::DialogDriver& d) {
        d.Click(IDC_MENU_FILE);
        EXPECT_EQ(menus.Shown(), 1);
        EXPECT_EQ(menus.Greyed(), (std::vector<UINT>{ID_FILE_OPEN_DATA, ID_FILE_SAVE_DATA, ID_FILE_SAVE_DATA_AS,
                                                     ID_FILE_CLOSE_DATA}));
        simui::Command(d, ID_FILE_EXIT);
    });
}

TEST_F(ExchangeTest, WithoutEditsNothingIsAskedAndTheResultIs7)
{
    AppState state(true);
    ScriptedMessageBox boxes;
    CSimulatorDlg dlg;
    const INT_PTR result = uitest::RunModal(dlg, [&](uitest::DialogDriver& d) { simui::Command(d, ID_FILE_EXIT); });
    EXPECT_EQ(result, kExitNothingToApply);
    EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(ExchangeTest, CancelKeepsTheSimulatorOpen)
{
    AppState state(true);
    ScriptedMessageBox boxes;
    boxes.Answer(IDCANCEL, u"Apply the edited data?").Answer(IDYES, u"Apply the edited data?");
    CSimulatorDlg dlg;
    const INT_PTR result = uitest::RunModal(dlg, [&](uitest::DialogDriver& d) {
        simui::EditCell(d, IDC_POINT_GRID, 2, 2, u"30");
        simui::Command(d, ID_FILE_EXIT);
        EXPECT_TRUE(::IsWindowVisible(d.Dialog())) << "Cancel keeps the simulator open";
        simui::Command(d, ID_FILE_EXIT);
    });
    EXPECT_EQ(result, kExitDataApplied);
    EXPECT_EQ(Block().points[1].p, 3000);
}

}  // namespace
