// The exchange blocks within one process and between two. The other process
// is this test program started again with QV_HALVISK_CHILD naming its role;
// it reports on stdout and takes orders on stdin.
#include "sharedmem/Halvisk.h"

#include "platform/core/FileMapping.h"
#include "platform/core/Paths.h"
#include "platform/core/Synchronization.h"

#include <gtest/gtest.h>

#include <csignal>
#include <dlfcn.h>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr int kChildWaitMs = 20000;
constexpr char kReportPrefix[] = "halvisk-child: ";

// A private folder for the shared objects of one test, inherited by children.
class RuntimeFolder {
public:
    RuntimeFolder()
    {
        if (const char* old = std::getenv("XDG_RUNTIME_DIR"))
            m_saved = old;
        std::string pattern = (std::filesystem::temp_directory_path() / "halvisk-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr)
            m_path = pattern;
        ::setenv("XDG_RUNTIME_DIR", m_path.c_str(), 1);
    }
    ~RuntimeFolder()
    {
        DeallocateMemory();
        if (m_saved)
            ::setenv("XDG_RUNTIME_DIR", m_saved->c_str(), 1);
        else
            ::unsetenv("XDG_RUNTIME_DIR");
        std::error_code ignored;
        if (!m_path.empty())
            std::filesystem::remove_all(m_path, ignored);
    }
    RuntimeFolder(const RuntimeFolder&) = delete;
    RuntimeFolder& operator=(const RuntimeFolder&) = delete;

private:
    std::string m_path;
    std::optional<std::string> m_saved;
};

SharedControllerRecord Pattern(int seed)
{
    SharedControllerRecord record;
    auto* bytes = reinterpret_cast<unsigned char*>(&record);
    for (std::size_t i = 0; i < sizeof record; ++i)
        bytes[i] = static_cast<unsigned char>(i * 7 + seed * 13 + 1);
    return record;
}

bool SameBytes(const SharedControllerRecord& a, const SharedControllerRecord& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

bool AllZero(const SharedControllerRecord& r)
{
    const SharedControllerRecord zero{};
    return SameBytes(r, zero);
}

// This test program started again in a role, with pipes to its stdin and stdout.
class Child {
public:
    explicit Child(const char* role)
    {
        int in[2], out[2];
        if (::pipe(in) != 0 || ::pipe(out) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], 0);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addclose(&actions, in[1]);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        std::string filter = "--gtest_filter=HalviskChild.Role";
        std::string self = "/proc/self/exe";
        char* argv[] = {self.data(), filter.data(), nullptr};
        ::setenv("QV_HALVISK_CHILD", role, 1);
        if (posix_spawn(&m_pid, "/proc/self/exe", &actions, nullptr, argv, environ) != 0)
            m_pid = -1;
        ::unsetenv("QV_HALVISK_CHILD");
        posix_spawn_file_actions_destroy(&actions);
        ::close(in[0]);
        ::close(out[1]);
        m_toChild = in[1];
        m_fromChild = out[0];
    }
    ~Child()
    {
        Tell();
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        if (m_fromChild >= 0)
            ::close(m_fromChild);
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    bool Started() const { return m_pid > 0; }

    // The next report of the child (the test framework prints too), or ""
    // when none comes in time.
    std::string ReadLine()
    {
        std::string line;
        char c = 0;
        for (;;) {
            pollfd p{m_fromChild, POLLIN, 0};
            if (::poll(&p, 1, kChildWaitMs) <= 0 || ::read(m_fromChild, &c, 1) != 1)
                return "";
            if (c != '\n') {
                line.push_back(c);
                continue;
            }
            if (line.rfind(kReportPrefix, 0) == 0)
                return line.substr(std::strlen(kReportPrefix));
            line.clear();
        }
    }

    // Closing its stdin tells the child to go on.
    void Tell()
    {
        if (m_toChild >= 0)
            ::close(m_toChild);
        m_toChild = -1;
    }

    // The exit code, or -1 when it was killed or did not end in time.
    int Wait()
    {
        Tell();
        for (int waited = 0; waited < kChildWaitMs; waited += 10) {
            int status = 0;
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            ::usleep(10000);
        }
        return -1;
    }

    void Kill()
    {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }

private:
    pid_t m_pid = -1;
    int m_toChild = -1;
    int m_fromChild = -1;
};

void Report(const char* line)
{
    std::fputs(kReportPrefix, stdout);
    std::fputs(line, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void WaitForParent()
{
    char c;
    while (::read(0, &c, 1) > 0) {
    }
}

// The child's side; a plain run of the tests skips it.
TEST(HalviskChild, Role)
{
    const char* role = std::getenv("QV_HALVISK_CHILD");
    if (role == nullptr)
        GTEST_SKIP() << "started by the cross-process tests only";
    if (std::strcmp(role, "exchange") == 0) {
        // Sees what the parent wrote, then answers with its own.
        ASSERT_EQ(AllocateMemory(), 1);
        SharedControllerRecord record;
        ASSERT_EQ(ReadContData(&record), 1);
        EXPECT_TRUE(SameBytes(record, Pattern(1)));
        CString text;
        ASSERT_EQ(ReadPositionData(&text), 1);
        EXPECT_EQ(text, CString(u"from the manager"));
        EXPECT_EQ(WriteContData(Pattern(2)), 1);
        EXPECT_EQ(WritePositionData(u"from the simulator"), 1);
        DeallocateMemory();
        Report("done");
    } else if (std::strcmp(role, "write-and-die") == 0) {
        // Fills both blocks and is killed while it still has them.
        ASSERT_EQ(AllocateMemory(), 1);
        ASSERT_EQ(WriteContData(Pattern(4)), 1);
        ASSERT_EQ(WritePositionData(u"left behind"), 1);
        Report("written");
        WaitForParent();
    } else if (std::strcmp(role, "hold") == 0) {
        // Takes the record's lock and keeps it until it is killed.
        HANDLE mutex = CreateMutexW(nullptr, FALSE, kHalviskRecordLockName);
        ASSERT_TRUE(static_cast<bool>(mutex));
        ASSERT_EQ(WaitForSingleObject(mutex, 10000), WAIT_OBJECT_0);
        Report("held");
        WaitForParent();
    }
}

TEST(Halvisk, CopiesInOneProcess)
{
    RuntimeFolder folder;
    ASSERT_EQ(AllocateMemory(), 1);
    EXPECT_EQ(AllocateMemory(), 1);

    SharedControllerRecord record;
    ASSERT_EQ(ReadContData(&record), 1);
    EXPECT_TRUE(AllZero(record)) << "a new block starts all zero";
    ASSERT_EQ(WriteContData(Pattern(5)), 1);
    ASSERT_EQ(ReadContData(&record), 1);
    EXPECT_TRUE(SameBytes(record, Pattern(5)));

    const struct {
        const char* what;
        CString text;
        int result;
        CString reads;
    } rows[] = {
        {"254 characters", CString(u'x', 254), 1, CString(u'x', 254)},
        {"empty", CString(), 1, CString()},
        {"Japanese", CString(u"位置 P12"), 1, CString(u"位置 P12")},
        {"255 characters are cut to 254", CString(u'y', 255), 1, CString(u'y', 254)},
        {"400 characters are cut to 254", CString(u'z', 400), 1, CString(u'z', 254)},
        {"a pair that would not fit whole is left out", CString(u'a', 253) + u"\U0001F600b", 1,
         CString(u'a', 253)},
        {"a pair that fits stays", CString(u'a', 252) + u"\U0001F600b", 1, CString(u'a', 252) + u"\U0001F600"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(WritePositionData(row.text), row.result);
        CString text = u"before";
        ASSERT_EQ(ReadPositionData(&text), 1);
        EXPECT_EQ(text, row.reads);
    }
    EXPECT_EQ(ReadContData(nullptr), 0);
    EXPECT_EQ(ReadPositionData(nullptr), 0);

    // Once unmapped, nothing is copied and the outputs stay as they were.
    DeallocateMemory();
    const SharedControllerRecord kept = Pattern(9);
    record = kept;
    CString text = u"kept";
    EXPECT_EQ(WriteContData(Pattern(6)), 0);
    EXPECT_EQ(ReadContData(&record), 0);
    EXPECT_EQ(WritePositionData(u"lost"), 0);
    EXPECT_EQ(ReadPositionData(&text), 0);
    EXPECT_TRUE(SameBytes(record, kept));
    EXPECT_EQ(text, CString(u"kept"));
    DeallocateMemory();

    // The last user gone, the blocks are gone: the next start is all zero.
    ASSERT_EQ(AllocateMemory(), 1);
    ASSERT_EQ(ReadContData(&record), 1);
    EXPECT_TRUE(AllZero(record));
    ASSERT_EQ(ReadPositionData(&text), 1);
    EXPECT_TRUE(text.IsEmpty());
    DeallocateMemory();
}

TEST(Halvisk, TwoProcessesShareTheBlocks)
{
    RuntimeFolder folder;
    ASSERT_EQ(AllocateMemory(), 1);
    ASSERT_EQ(WriteContData(Pattern(1)), 1);
    ASSERT_EQ(WritePositionData(u"from the manager"), 1);

    Child child("exchange");
    ASSERT_TRUE(child.Started());
    EXPECT_EQ(child.ReadLine(), "done");
    EXPECT_EQ(child.Wait(), 0);

    SharedControllerRecord record;
    ASSERT_EQ(ReadContData(&record), 1);
    EXPECT_TRUE(SameBytes(record, Pattern(2)));
    CString text;
    ASSERT_EQ(ReadPositionData(&text), 1);
    EXPECT_EQ(text, CString(u"from the simulator"));
    DeallocateMemory();
}

TEST(Halvisk, AKilledProcessLeavesNoStaleBlock)
{
    RuntimeFolder folder;
    {
        Child child("write-and-die");
        ASSERT_TRUE(child.Started());
        ASSERT_EQ(child.ReadLine(), "written");
        child.Kill();
    }
    // It was the only user: the next one starts from zero bytes.
    ASSERT_EQ(AllocateMemory(), 1);
    SharedControllerRecord record = Pattern(8);
    ASSERT_EQ(ReadContData(&record), 1);
    EXPECT_TRUE(AllZero(record));
    CString text = u"before";
    ASSERT_EQ(ReadPositionData(&text), 1);
    EXPECT_TRUE(text.IsEmpty());
    DeallocateMemory();
}

TEST(Halvisk, ATextBlockWithoutTerminatorIsReadToItsEnd)
{
    RuntimeFolder folder;
    ASSERT_EQ(AllocateMemory(), 1);
    // Another writer's block, filled to the last unit.
    HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kHalviskTextBlockBytes,
                                        kHalviskTextBlockName);
    ASSERT_TRUE(static_cast<bool>(mapping));
    auto* units = static_cast<char16_t*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    ASSERT_NE(units, nullptr);
    for (int i = 0; i < kSharedTextUnits; ++i)
        units[i] = u'q';
    CString text;
    ASSERT_EQ(ReadPositionData(&text), 1);
    EXPECT_EQ(text, CString(u'q', kSharedTextUnits));
    UnmapViewOfFile(units);
    CloseHandle(mapping);
    DeallocateMemory();
}

TEST(Halvisk, ALockLeftByADeadProcessIsTakenOver)
{
    RuntimeFolder folder;
    ASSERT_EQ(AllocateMemory(), 1);
    Child child("hold");
    ASSERT_TRUE(child.Started());
    ASSERT_EQ(child.ReadLine(), "held");
    child.Kill();
    EXPECT_EQ(WriteContData(Pattern(3)), 1);
    SharedControllerRecord record;
    ASSERT_EQ(ReadContData(&record), 1);
    EXPECT_TRUE(SameBytes(record, Pattern(3)));
    DeallocateMemory();
}

TEST(HalviskExports, BoundByName)
{
    const std::string path = platform::JoinPath(platform::GetProgramFolder(), u"libHalvisk.so").ToUtf8();
    void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << ::dlerror();
    for (const char* name : {"DeallocateMemory", "WriteContData", "ReadContData", "WritePositionData",
                             "ReadPositionData", "AllocateMemory"})
        EXPECT_NE(::dlsym(module, name), nullptr) << name;
    ::dlclose(module);
}

}  // namespace
