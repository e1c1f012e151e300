#include "platform/core/Paths.h"
#include "platform/core/Process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr const char* kChildMarker = "--qv-process-child";

std::vector<std::string> OwnArguments()
{
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    const std::string all((std::istreambuf_iterator<char>(in)), {});
    std::vector<std::string> args;
    std::size_t start = 0;
    while (start < all.size()) {
        const std::size_t end = all.find('\0', start);
        args.push_back(all.substr(start, end - start));
        start = end == std::string::npos ? all.size() : end + 1;
    }
    return args;
}

// This test program plays the child too: started with the marker it acts out
// the role named next and ends before the tests run.
//   exit CODE            ends with CODE
//   echo FILE ARGS...    writes ARGS to FILE, each followed by a NUL
//   cwd FILE             writes its working folder to FILE
//   fds FILE             writes the numbers of its open descriptors to FILE
//   sleep MS             sleeps MS milliseconds
int ActAsChild()
{
    const std::vector<std::string> args = OwnArguments();
    if (args.size() < 3 || args[1] != kChildMarker) return 0;
    const std::string& role = args[2];
    if (role == "exit" && args.size() > 3) ::_exit(std::atoi(args[3].c_str()));
    if (role == "echo" && args.size() > 3) {
        std::ofstream out(args[3], std::ios::binary);
        for (std::size_t i = 4; i < args.size(); ++i) out << args[i] << '\0';
        out.close();
        ::_exit(out ? 0 : 101);
    }
    if (role == "cwd" && args.size() > 3) {
        std::ofstream(args[3], std::ios::binary) << std::filesystem::current_path().string();
        ::_exit(0);
    }
    if (role == "fds" && args.size() > 3) {
        std::string fds;
        for (const auto& e : std::filesystem::directory_iterator("/proc/self/fd")) fds += e.path().filename().string() + " ";
        std::ofstream(args[3], std::ios::binary) << fds;
        ::_exit(0);
    }
    if (role == "sleep" && args.size() > 3) {
        std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(args[3].c_str())));
        ::_exit(0);
    }
    ::_exit(100);
}
const int kActedAsChild = ActAsChild();

class TempDir {
public:
    TempDir()
    {
        std::string tmpl = (std::filesystem::temp_directory_path() / "qv-process-XXXXXX").string();
        m_path = ::mkdtemp(tmpl.data());
    }
    ~TempDir() { std::filesystem::remove_all(m_path); }
    std::filesystem::path Native(const char* name) const { return m_path / name; }
    CString Path(const char* name) const { return CString::FromUtf8((m_path / name).string()); }
    CString Folder() const { return CString::FromUtf8(m_path.string()); }

private:
    std::filesystem::path m_path;
};

std::vector<CString> ChildArgs(std::initializer_list<CString> rest)
{
    std::vector<CString> args{CString::FromUtf8(kChildMarker)};
    args.insert(args.end(), rest);
    return args;
}

// Generous bounds: the machine may be loaded and the children run under the sanitizers.
constexpr DWORD kChildEndsMs = 60000;

bool IsGone(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    return !stat;  // a zombie keeps its entry until it is reaped
}

TEST(Process, ExitCodesComeBack)
{
    const std::vector<int> codes = {0, 1, 6, 7, 255};
    for (int code : codes) {
        SCOPED_TRACE(code);
        platform::Process p;
        ASSERT_TRUE(p.Start(platform::GetProgramPath(), ChildArgs({u"exit", CString::FromUtf8(std::to_string(code))})))
            << p.GetError().ToUtf8();
        ASSERT_EQ(p.Wait(kChildEndsMs), WAIT_OBJECT_0);
        DWORD exitCode = 0;
        EXPECT_TRUE(p.GetExitCode(&exitCode));
        EXPECT_EQ(exitCode, static_cast<DWORD>(code));
        EXPECT_FALSE(p.IsRunning());
    }
}

TEST(Process, ArgumentsArriveIntact)
{
    TempDir dir;
    const std::vector<CString> sent = {
        u"/ES",
        u"/TITLE",
        u"Axis 1 \"left\" side",
        u"C:\\Velbrook\\dir\\",
        u"  leading and trailing  ",
        u"",
        u"軸テスト é ü \U0001F600",
        u"$HOME `ls` ; | & *",
        u"-dash",
    };
    std::vector<CString> args = ChildArgs({u"echo", dir.Path("echo.bin")});
    args.insert(args.end(), sent.begin(), sent.end());
    platform::Process p;
    ASSERT_TRUE(p.Start(platform::GetProgramPath(), args)) << p.GetError().ToUtf8();
    ASSERT_EQ(p.Wait(kChildEndsMs), WAIT_OBJECT_0);
    DWORD code = 1;
    ASSERT_TRUE(p.GetExitCode(&code));
    ASSERT_EQ(code, 0u);

    std::ifstream in(dir.Native("echo.bin"), std::ios::binary);
    const std::string all((std::istreambuf_iterator<char>(in)), {});
    std::vector<CString> received;
    for (std::size_t start = 0; start < all.size();) {
        const std::size_t end = all.find('\0', start);
        received.push_back(CString::FromUtf8(all.substr(start, end - start)));
        start = end + 1;
    }
    ASSERT_EQ(received.size(), sent.size());
    for (std::size_t i = 0; i < sent.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(received[i].ToUtf8(), sent[i].ToUtf8());
    }
}

TEST(Process, WorkingFolderAndStartFailures)
{
    TempDir dir;
    platform::Process p;
    ASSERT_TRUE(p.Start(platform::GetProgramPath(), ChildArgs({u"cwd", dir.Path("cwd.txt")}), dir.Folder()));
    ASSERT_EQ(p.Wait(kChildEndsMs), WAIT_OBJECT_0);
    std::ifstream in(dir.Native("cwd.txt"));
    const std::string cwd((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(std::filesystem::canonical(cwd), std::filesystem::canonical(dir.Native("")));

    struct Row {
        const char* what;
        CString program;
        CString folder;
    };
    const Row rows[] = {
        {"missing program", dir.Path("no-such-program"), CString()},
        {"a name is looked for beside this program only, never on PATH", u"sh", CString()},
        {"missing working folder", platform::GetProgramPath(), dir.Path("no-such-folder")},
        {"not executable", dir.Path("cwd.txt"), CString()},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        platform::Process failed;
        EXPECT_FALSE(failed.Start(r.program, ChildArgs({u"exit", u"0"}), r.folder));
        EXPECT_FALSE(failed.GetError().IsEmpty());
        DWORD code = 0;
        EXPECT_FALSE(failed.GetExitCode(&code));
        EXPECT_EQ(failed.Wait(10), WAIT_FAILED);
    }
}

TEST(Process, ChildGetsNoDescriptorsButTheStandardOnes)
{
    TempDir dir;
    // A descriptor without close-on-exec, as a serial port opened elsewhere might be.
    constexpr int kHighFd = 77;
    const int fd = ::open(dir.Native("held").c_str(), O_CREAT | O_RDWR, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::dup2(fd, kHighFd), kHighFd);
    ::close(fd);
    platform::Process p;
    ASSERT_TRUE(p.Start(platform::GetProgramPath(), ChildArgs({u"fds", dir.Path("fds.txt")})));
    ASSERT_EQ(p.Wait(kChildEndsMs), WAIT_OBJECT_0);
    ::close(kHighFd);
    std::ifstream in(dir.Native("fds.txt"));
    const std::string fds((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(fds.find("0 "), std::string::npos);
    EXPECT_EQ((" " + fds).find(" 77 "), std::string::npos) << fds;
}

TEST(Process, SleepingChildCanBeWaitedForAndKilled)
{
    platform::Process p;
    ASSERT_TRUE(p.Start(platform::GetProgramPath(), ChildArgs({u"sleep", u"600000"})));
    EXPECT_EQ(p.Wait(50), WAIT_TIMEOUT);
    DWORD code = 0;
    EXPECT_TRUE(p.GetExitCode(&code));
    EXPECT_EQ(code, STILL_ACTIVE);
    EXPECT_TRUE(p.IsRunning());
    EXPECT_EQ(p.Wait(INFINITE), WAIT_FAILED);
    EXPECT_FALSE(p.Start(platform::GetProgramPath(), ChildArgs({u"exit", u"0"})));  // one child at a time

    EXPECT_TRUE(p.Kill());
    ASSERT_EQ(p.Wait(kChildEndsMs), WAIT_OBJECT_0);
    EXPECT_TRUE(p.GetExitCode(&code));
    EXPECT_EQ(code, platform::kSignalExitBase + SIGKILL);
    EXPECT_TRUE(IsGone(p.GetId()));
    EXPECT_FALSE(p.Kill());
}

TEST(Process, DestroyedWhileRunningLeavesNoZombie)
{
    pid_t pid = -1;
    {
        platform::Process p;
        ASSERT_TRUE(p.Start(platform::GetProgramPath(), ChildArgs({u"sleep", u"600000"})));
        pid = p.GetId();
    }
    // The child outlives the object...
    ASSERT_FALSE(IsGone(pid));
    ASSERT_EQ(::kill(pid, SIGKILL), 0);
    // ...and once it ends nothing of it stays behind.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!IsGone(pid) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(IsGone(pid));
}

TEST(CommandLine, SplitsByWindowsRules)
{
    struct Row {
        const char16_t* line;
        bool firstIsProgram;
        std::vector<CString> expected;
    };
    const Row rows[] = {
        {u"a b\t\tc  ", false, {u"a", u"b", u"c"}},
        {u"   ", false, {}},
        {u"\"a b\" c", false, {u"a b", u"c"}},
        {u"\"\" x", false, {u"", u"x"}},
        {u"a\\\\b\\c", false, {u"a\\\\b\\c"}},
        {u"a\\\"b", false, {u"a\"b"}},
        {u"a\\\\\"b c\"", false, {u"a\\b c"}},
        {u"a\\\\\\\"b", false, {u"a\\\"b"}},
        {u"\"a\"\"b\"", false, {u"a\"b"}},
        {u"x\"y z\"w", false, {u"xy zw"}},
        {u"Pellarun /ES /ONLINE /TITLE \"Axis 1 (COM3)\" /PW=2", true,
         {u"Pellarun", u"/ES", u"/ONLINE", u"/TITLE", u"Axis 1 (COM3)", u"/PW=2"}},
        {u"\"C:\\Program Files\\dir\\\" arg", true, {u"C:\\Program Files\\dir\\", u"arg"}},
        {u"\"C:\\Program Files\\dir\\\" arg", false, {u"C:\\Program Files\\dir\" arg"}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(CString(r.line).ToUtf8());
        EXPECT_EQ(platform::SplitCommandLine(r.line, r.firstIsProgram), r.expected);
    }
}

TEST(CommandLine, JoinedLinesSplitBack)
{
    const std::vector<std::vector<CString>> cases = {
        {u"/ES", u"/ONLINE", u"/TITLE", u"Axis \"1\" left", u"/PW=3"},
        {u"", u"a b", u"trailing\\", u"both \\\" kinds\\\\", u"\t"},
        {u"plain", u"C:\\dir\\file.txt", u"\"", u"\\\\server\\share\\"},
        {u"軸 1", u"x\"\"y"},
    };
    for (const auto& args : cases) {
        const CString line = platform::JoinCommandLine(args);
        SCOPED_TRACE(line.ToUtf8());
        EXPECT_EQ(platform::SplitCommandLine(line), args);
    }
    EXPECT_EQ(platform::JoinCommandLine({u"a", u"b c"}), u"a \"b c\"");
}

}  // namespace
