// The application object: one instance per desktop, the keypad's decimal key,
// the exit code the manager reads; and the result table's copy.
#include "simulator/ui/tests/SimulatorTestSupport.h"

#include "platform/core/Paths.h"
#include "platform/core/Synchronization.h"
#include "tests/support/ui/ModalDialogs.h"

#include "platform/ui/Clipboard.h"
#include "platform/ui/GlobalMemory.h"

#include <QClipboard>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace {

using simui::AppState;

// The clipboard's Unicode text as the system keeps it.
CString ClipboardText(HWND owner)
{
    CString text;
    if (!::OpenClipboard(owner)) return text;
    const HGLOBAL block = ::GetClipboardData(CF_UNICODETEXT);
    if (block) {
        text = static_cast<const char16_t*>(::GlobalLock(block));
        ::GlobalUnlock(block);
    }
    ::CloseClipboard();
    return text;
}

TEST(AppTest, ASecondInstanceSaysSoAndEnds)
{
    uitest::ScopedResources module(u"pellarun", "en");
    AppState state;
    ScriptedMessageBox boxes;
    boxes.Answer(IDOK, u"already running");
    const HANDLE first = ::CreateMutexW(nullptr, FALSE, kSingleInstanceMutexName);
    ASSERT_TRUE(first);
    EXPECT_FALSE(simui::App().InitInstance());
    ::CloseHandle(first);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
}

// The simulator program itself, started offscreen with settings of its own;
// it waits at its caution notice until it is ended.
pid_t StartSimulatorProgram(const simui::TempDir& dir)
{
    const std::string program = (std::filesystem::path(platform::GetProgramFolder().ToUtf8()) / "pellarun").string();
    std::vector<std::string> entries;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const std::string key = entry.substr(0, entry.find('='));
        if (key != "QT_QPA_PLATFORM" && key != "XDG_CONFIG_HOME" && key != "QV_REGISTRY_FILE") entries.push_back(entry);
    }
    entries.push_back("QT_QPA_PLATFORM=offscreen");
    entries.push_back("XDG_CONFIG_HOME=" + dir.Path().string());
    entries.push_back("QV_REGISTRY_FILE=" + (dir.Path() / "registry.ini").string());
    std::vector<char*> envp;
    for (std::string& entry : entries) envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::string name = program;
    char* argv[] = {name.data(), nullptr};
    const std::string log = (dir.Path() / "first.log").string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = 0;
    const int spawned = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return spawned == 0 ? pid : 0;
}

bool GuardHeld()
{
    const HANDLE guard = ::OpenMutexW(SYNCHRONIZE, FALSE, kSingleInstanceMutexName);
    if (!guard) return false;
    ::CloseHandle(guard);
    return true;
}

TEST(AppTest, ASimulatorRunningInAnotherProcessKeepsASecondFromStarting)
{
    uitest::ScopedResources module(u"pellarun", "en");
    AppState state;
    simui::TempDir dir;
    ASSERT_FALSE(GuardHeld());
    const pid_t first = StartSimulatorProgram(dir);
    ASSERT_GT(first, 0);
    const bool held = uitest::WaitUntil(GuardHeld, 20000);
    if (held) {
        ScriptedMessageBox boxes;
        CString running;
        running.LoadString(IDS_ALREADY_RUNNING);
        boxes.Answer(IDOK, running.str());
        EXPECT_FALSE(simui::App().InitInstance()) << "the second start ends";
        EXPECT_EQ(boxes.Shown().size(), 1u);
    }
    ::kill(first, SIGKILL);
    int status = 0;
    ::waitpid(first, &status, 0);
    ASSERT_TRUE(held) << "the first simulator holds its guard";
    EXPECT_TRUE(uitest::WaitUntil([] { return !GuardHeld(); }, 5000)) << "a simulator that ends frees the guard";
}

// "/ES" with no manager: the shared block holds nothing, so the simulator
// says so and ends before any window opens, with the exchange's failure code.
TEST(AppTest, ExchangeModeWithoutAManagerSaysSoAndEnds)
{
    for (const char* language : {"en", "ja"}) {
        SCOPED_TRACE(language);
        uitest::ScopedResources module(u"pellarun", language);
        AppState state;
        ScriptedMessageBox boxes;
        CString expected;
        expected.LoadString(IDS_NO_EXCHANGE_DATA);
        ASSERT_FALSE(expected.IsEmpty());
        boxes.Answer(IDOK, std::u16string(expected.GetString()));
        // A window that opened after all would be cancelled here, and the test fail.
        uitest::ModalDialogDriver noWindow({}, 30000);
        CSimulatorApp& app = simui::App();
        EXPECT_FALSE(app.Start({CString(u"pellarun"), CString(u"/ES")}));
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_EQ(boxes.Shown()[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
        EXPECT_EQ(app.m_nMainResult, kExitNoExchangeLibrary);
        EXPECT_EQ(app.ExitInstance(), kExitNoExchangeLibrary);
    }
}

TEST(AppTest, TheKeypadsDecimalKeyTypesTheUsersSeparator)
{
    AppState state;
    CSimulatorApp& app = simui::App();
    app.m_chDecimalSeparator = u',';
    struct Case {
        const char* what;
        WPARAM key;
        char16_t typed;
    };
    const Case cases[] = {{"keypad decimal key", 110, u','}, {"main keyboard full stop", 190, u'.'}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MSG down{};
        down.message = WM_KEYDOWN;
        down.wParam = c.key;
        app.PreTranslateMessage(&down);
        MSG character{};
        character.message = WM_CHAR;
        character.wParam = u'.';
        app.PreTranslateMessage(&character);
        EXPECT_EQ(character.wParam, static_cast<WPARAM>(c.typed));
    }
}

TEST(AppTest, TheExitCodeIsTheMainDialogsResultOnlyInExchangeMode)
{
    CSimulatorApp& app = simui::App();
    app.m_nMainResult = kExitDataApplied;
    app.m_bExchange = 1;
    EXPECT_EQ(app.ExitInstance(), kExitDataApplied);
    app.m_bExchange = 0;
    EXPECT_EQ(app.ExitInstance(), 0);
    app.ReadCommandLine({CString(u"pellarun"), CString(u"/TITLE"), CString(u"/ES"), CString(u"Axis 2"), CString(u"/PW=1")});
    EXPECT_EQ(app.m_bExchange, 1);
    EXPECT_EQ(app.m_strTitle, CString(u"Axis 2"));
    app.ReadCommandLine({CString(u"pellarun"), CString(u"/es")});
    EXPECT_EQ(app.m_bExchange, 0) << "switches compare case-sensitively";
}

TEST(AppTest, CopyPutsTheHeadersAndResultLinesOnTheClipboard)
{
    uitest::ScopedResources module(u"pellarun", "en");
    AppState state;
    ScriptedMessageBox boxes;
    QApplication::clipboard()->setText(QStringLiteral("before"));
    CSimulatorDlg dlg;
    uitest::RunModal(dlg, [&](uitest::DialogDriver& d) {
        d.Click(IDC_COPY_RESULTS);
        EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("before")) << "nothing to copy before a run";
        simui::ChooseCellEntry(d, IDC_POINT_GRID, 1, 1, 1);
        simui::ChooseCellEntry(d, IDC_POINT_GRID, 2, 1, 1);
        simui::EditCell(d, IDC_POINT_GRID, 2, 2, u"50");
        simui::ChooseCellEntry(d, IDC_MOTION_GRID, 1, 1, 0);
        simui::ChooseCellEntry(d, IDC_MOTION_GRID, 1, 2, 1);
        d.Click(IDC_ADD_MOTION);
        simui::ChooseCellEntry(d, IDC_MOTION_GRID, 2, 2, 0);
        d.Click(IDC_EXECUTE);
        d.Click(IDC_COPY_RESULTS);
        CGridCtrl* results = simui::Grid(d, IDC_RESULT_GRID);
        CString expected(u"\tTime [ms]\tDistance [mm]");
        for (int row = 1; row <= 3; ++row) {
            expected += u"\r\n";
            expected += results->GetCellText(row, 0) + u"\t" + results->GetCellText(row, 1) + u"\t" +
                        results->GetCellText(row, 2);
        }
        EXPECT_EQ(ClipboardText(d.Dialog()), expected);
        EXPECT_EQ(results->GetCellText(1, 2), CString(u"100.00"));
        simui::ExitDiscardingEdits(d, boxes);
    });
}

}  // namespace
