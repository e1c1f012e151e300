// Starting and ending the manager as a person does: a fresh settings folder,
// the main window with its menus (commands of later work present and grey),
// a clean quit that leaves the settings behind, the required-file check, a
// second start that hands its data file to the first, and the start-up
// switches.
#include "manager/ui/tests/ManagerTestSupport.h"

#include "manager/core/ControllerData.h"
#include "manager/ui/InstanceChannel.h"
#include "platform/core/Paths.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace {

using namespace mgrtest;

class ManagerStartupTest : public ::testing::Test {
protected:
    void TearDown() override { uitest::FlushDeletedWidgets(); }
};

TEST_F(ManagerStartupTest, StartsWithFreshSettingsShowsItsWindowAndQuitsCleanly)
{
    ManagerWorld world;
    ASSERT_TRUE(world.Start());
    CMainFrame& frame = world.Frame();
    EXPECT_TRUE(frame.IsWindowVisible());
    EXPECT_FALSE(world.App().IsSplashUp()) << "the main window shows once the splash has gone";
    EXPECT_NE(::GetMenu(world.FrameHwnd()), HMENU());
    EXPECT_EQ(world.ChildCount(), 0) << "nothing opens at start";
    // The commands of this window work; those that cannot run yet are present and grey.
    EXPECT_TRUE(world.Enabled(IDM_NEW_ONLINE));
    EXPECT_TRUE(world.Enabled(IDM_OPEN_DATA));
    EXPECT_TRUE(world.Enabled(IDM_CLOSE_ALL));
    EXPECT_TRUE(world.Enabled(IDM_ACCESS_CODE)) << "the access code is always offered";
    // The data-moving commands and the options are offered at once; the
    // watcher needs a live controller.
    for (UINT command : {IDM_NEW_OFFLINE, IDM_WATCHER, IDM_ALARM_FILE, IDM_TRANSPORT_TO, IDM_TRANSPORT_FROM,
                         IDM_ALARM_TRANSPORT, IDM_GLOBAL_TRANSPORT, IDM_OPTIONS}) {
        SCOPED_TRACE(command);
        EXPECT_NE(::GetMenuState(::GetMenu(world.FrameHwnd()), command, MF_BYCOMMAND), static_cast<UINT>(-1))
            << "the command is in the menu";
        EXPECT_EQ(world.Enabled(command), command != IDM_WATCHER);
    }
    // The generation transport is never offered; the controller initialisation only to level 1.
    EXPECT_EQ(::GetMenuState(::GetMenu(world.FrameHwnd()), IDM_GENERATION_TRANSPORT, MF_BYCOMMAND), static_cast<UINT>(-1));
    EXPECT_EQ(::GetMenuState(::GetMenu(world.FrameHwnd()), IDM_CONTROLLER_INIT, MF_BYCOMMAND), static_cast<UINT>(-1));
    EXPECT_TRUE(world.Grab("main-empty.png"));

    world.Quit();
    EXPECT_FALSE(world.FrameAlive());
    // The settings were written into the fresh folder.
    bool found = false;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(world.Folder() / "config")) found |= entry.is_regular_file();
    EXPECT_TRUE(found) << "the settings are kept at the end";
}

TEST_F(ManagerStartupTest, TheLevelOneSwitchPutsControllerInitialisationInTheMenu)
{
    ManagerWorld world;
    ASSERT_TRUE(world.Start({u"quorvane", u"/misplor"}));
    EXPECT_EQ(world.App().GetAccessLevel(), 1);
    EXPECT_NE(::GetMenuState(::GetMenu(world.FrameHwnd()), IDM_CONTROLLER_INIT, MF_BYCOMMAND), static_cast<UINT>(-1));
    EXPECT_TRUE(world.Enabled(IDM_CONTROLLER_INIT));
}

TEST_F(ManagerStartupTest, AMissingRequiredFileEndsStartUpWithItsMessage)
{
    ManagerWorld world;
    CQuorvaneApp app;
    app.SetArguments({u"quorvane"});
    app.SetSplashMs(50);
    app.SetRequiredFileLocator([](const RequiredFile& file) { return file.shownName != u"libHalvisk.so"; });
    ScriptedMessageBox& boxes = world.Boxes();
    boxes.Answer(IDOK, u"libHalvisk.so");
    EXPECT_FALSE(app.InitInstance());
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_NE(boxes.Shown()[0].type & MB_ICONERROR, 0u);
    EXPECT_EQ(app.MainFrame(), nullptr) << "no window is made";
    app.ExitInstance();
}

TEST_F(ManagerStartupTest, AMissingSimulatorOnlyWarns)
{
    ManagerWorld world;
    CQuorvaneApp app;
    app.SetArguments({u"quorvane"});
    app.SetSplashMs(50);
    app.SetRequiredFileLocator([](const RequiredFile& file) { return file.shownName != u"pellarun"; });
    app.SetLauncherAtStart(false);
    ScriptedMessageBox& boxes = world.Boxes();
    boxes.Answer(IDOK, u"simulator");
    EXPECT_TRUE(app.InitInstance());
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_NE(boxes.Shown()[0].type & MB_ICONWARNING, 0u);
    if (CWnd* frame = app.MainFrame()) frame->DestroyWindow();
    uitest::Pump(10);
    app.ExitInstance();
}

// The program itself, started as a second manager with a data file.
int RunSecondStart(const std::string& program, const std::string& file, std::map<std::string, std::string> env,
                   const std::string& log)
{
    std::vector<std::string> entries;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const std::string key = entry.substr(0, entry.find('='));
        if (!env.count(key)) entries.push_back(entry);
    }
    for (const auto& [key, value] : env) entries.push_back(key + "=" + value);
    std::vector<char*> envp;
    for (std::string& entry : entries) envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::vector<std::string> args = {program, file};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = 0;
    const int spawned = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return -1;
    // The first manager must go on handling messages meanwhile.
    int status = 0;
    const bool ended = uitest::WaitUntil([&] { return ::waitpid(pid, &status, WNOHANG) == pid; }, 15000);
    if (!ended) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        return -2;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -3;
}

TEST_F(ManagerStartupTest, ASecondStartHandsItsFileToTheFirst)
{
    ManagerWorld world;
    ASSERT_TRUE(world.Start());
    const CString file = WriteDataFile(world.Path("handed.yvekd"));
    const std::string program = platform::FromWide(std::u16string_view(platform::GetProgramFolder().GetString()), CP_UTF8) +
                                "/quorvane";
    ASSERT_TRUE(std::filesystem::exists(program));
    ScriptedMessageBox& boxes = world.Boxes();
    const int code = RunSecondStart(program, (world.Folder() / "handed.yvekd").string(),
                                    {{"QT_QPA_PLATFORM", "offscreen"},
                                     {"XDG_CONFIG_HOME", std::getenv("XDG_CONFIG_HOME")},
                                     {"XDG_RUNTIME_DIR", std::getenv("XDG_RUNTIME_DIR")},
                                     {"QUORVANE_INSTANCE_SOCKET", std::getenv("QUORVANE_INSTANCE_SOCKET")}},
                                    (world.Folder() / "second.log").string());
    EXPECT_EQ(code, 1) << "the second start ends";
    ASSERT_TRUE(uitest::WaitUntil([&] { return world.ChildCount() == 1; }, 10000)) << "the first opened the file";
    EXPECT_EQ(world.Active()->DisplayName(), u"handed.yvekd");
    EXPECT_EQ(world.Active()->Document()->GetPathName(), file);
    EXPECT_TRUE(boxes.Shown().empty()) << "neither manager shows a message";
}

}  // namespace
