// Mutexes and memory blocks shared between processes. The other process is
// this test program started again with QV_CORE_CHILD naming its role; it
// reports on stdout, one line at a time, and takes orders on stdin.
#include "platform/core/FileMapping.h"
#include "platform/core/Synchronization.h"
#include "platform/core/Thread.h"
#include "platform/core/tests/RuntimeFolderScope.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

constexpr DWORD kLongWaitMs = 10000;
constexpr DWORD kBlockBytes = 18440;
constexpr int kRounds = 300;

std::u16string Wide(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

unsigned char PatternByte(std::size_t i, int seed) { return static_cast<unsigned char>(i * 7 + seed * 13 + 1); }

void WritePattern(void* view, std::size_t bytes, int seed)
{
    auto* p = static_cast<unsigned char*>(view);
    for (std::size_t i = 0; i < bytes; ++i) p[i] = PatternByte(i, seed);
}

// -1 when the block holds the pattern, else the first differing offset.
long FirstMismatch(const void* view, std::size_t bytes, int seed)
{
    const auto* p = static_cast<const unsigned char*>(view);
    for (std::size_t i = 0; i < bytes; ++i) {
        if (p[i] != PatternByte(i, seed)) return static_cast<long>(i);
    }
    return -1;
}

bool IsAllZero(const void* view, std::size_t bytes)
{
    const auto* p = static_cast<const unsigned char*>(view);
    for (std::size_t i = 0; i < bytes; ++i) {
        if (p[i] != 0) return false;
    }
    return true;
}

// The counter that the turn-taking loops share, at the start of a block.
struct TurnBlock {
    std::uint32_t counter;
    std::uint32_t inside;
    std::uint32_t overlaps;
};

// Returns the number of rounds that failed to get the mutex.
int TakeTurns(HANDLE mutex, TurnBlock* block)
{
    int failures = 0;
    for (int i = 0; i < kRounds; ++i) {
        const DWORD r = WaitForSingleObject(mutex, kLongWaitMs);
        if (r != WAIT_OBJECT_0) {
            ++failures;
            continue;
        }
        if (block->inside++ != 0) ++block->overlaps;
        const std::uint32_t seen = block->counter;
        ::usleep(50);
        block->counter = seen + 1;
        --block->inside;
        ReleaseMutex(mutex);
        std::this_thread::yield();
    }
    return failures;
}

// ---- the child side ----

void Say(const std::string& line)
{
    const std::string text = line + "\n";
    (void)!::write(1, text.data(), text.size());
}

// A line from stdin; false at end of input.
bool Hear(std::string& line)
{
    line.clear();
    char c = 0;
    for (;;) {
        const ssize_t n = ::read(0, &c, 1);
        if (n <= 0) return !line.empty();
        if (c == '\n') return true;
        line += c;
    }
}

void* MapBlock(HANDLE mapping) { return MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0); }

int RunChild(const std::string& role)
{
    const char* nameText = std::getenv("QV_CORE_NAME");
    const std::u16string name = Wide(nameText ? nameText : "");
    std::string line;
    if (role == "hold-mutex") {
        // Takes the mutex, reports how, then releases it on "release" or
        // holds it until killed or its input ends.
        const HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
        const DWORD r = WaitForSingleObject(mutex, kLongWaitMs);
        Say(r == WAIT_OBJECT_0 ? "owned" : r == WAIT_ABANDONED ? "owned abandoned" : "failed");
        while (Hear(line)) {
            if (line == "release") Say(ReleaseMutex(mutex) ? "released" : "release failed");
        }
        return 0;
    }
    if (role == "instance") {
        const HANDLE mutex = CreateMutexW(nullptr, TRUE, name.c_str());
        Say(!mutex ? "failed" : GetLastError() == ERROR_ALREADY_EXISTS ? "existed" : "created");
        while (Hear(line)) {
        }
        return 0;
    }
    if (role == "turns") {
        const HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
        const HANDLE mapping = OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, (name + u".block").c_str());
        auto* block = mapping ? static_cast<TurnBlock*>(MapBlock(mapping)) : nullptr;
        if (!mutex || !block) {
            Say("failed");
            return 1;
        }
        Say("ready");
        if (!Hear(line) || line != "go") return 2;
        return TakeTurns(mutex, block) == 0 ? 0 : 3;
    }
    if (role == "check-and-write") {
        // Checks the parent's pattern, then leaves its own.
        const HANDLE mapping = OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, name.c_str());
        void* view = mapping ? MapBlock(mapping) : nullptr;
        if (!view) {
            Say("failed");
            return 1;
        }
        const long mismatch = FirstMismatch(view, kBlockBytes, 1);
        WritePattern(view, kBlockBytes, 2);
        Say(mismatch < 0 ? "match" : "mismatch at " + std::to_string(mismatch));
        UnmapViewOfFile(view);
        CloseHandle(mapping);
        return 0;
    }
    if (role == "hold-block") {
        const HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kBlockBytes,
                                                  name.c_str());
        void* view = mapping ? MapBlock(mapping) : nullptr;
        if (!view) {
            Say("failed");
            return 1;
        }
        WritePattern(view, kBlockBytes, 3);
        Say("ready");
        while (Hear(line)) {
        }
        return 0;
    }
    return 99;
}

const bool kRanAsChild = [] {
    if (const char* role = std::getenv("QV_CORE_CHILD")) std::_Exit(RunChild(role));
    return false;
}();

// ---- the parent side ----

class Child {
public:
    Child(const std::string& role, const std::string& name)
    {
        int toChild[2];
        int fromChild[2];
        if (::pipe2(toChild, O_CLOEXEC) != 0 || ::pipe2(fromChild, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        ::posix_spawn_file_actions_init(&actions);
        ::posix_spawn_file_actions_adddup2(&actions, toChild[0], 0);
        ::posix_spawn_file_actions_adddup2(&actions, fromChild[1], 1);

        std::vector<std::string> env;
        for (char** e = environ; *e; ++e) env.emplace_back(*e);
        env.push_back("QV_CORE_CHILD=" + role);
        env.push_back("QV_CORE_NAME=" + name);
        std::vector<char*> envp;
        for (auto& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);
        char exe[] = "/proc/self/exe";
        char* argv[] = {exe, nullptr};
        if (::posix_spawn(&m_pid, exe, &actions, nullptr, argv, envp.data()) != 0) m_pid = -1;
        ::posix_spawn_file_actions_destroy(&actions);
        ::close(toChild[0]);
        ::close(fromChild[1]);
        m_in = toChild[1];
        m_out = fromChild[0];
    }

    ~Child()
    {
        CloseInput();
        if (m_pid > 0 && Wait(kLongWaitMs) == kStillRunning) {
            Kill();
        }
        if (m_out >= 0) ::close(m_out);
    }

    bool Started() const { return m_pid > 0; }

    // A line of the child's output; empty when none came in time.
    std::string ReadLine(DWORD timeoutMs = kLongWaitMs)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            const auto end = m_buffer.find('\n');
            if (end != std::string::npos) {
                std::string line = m_buffer.substr(0, end);
                m_buffer.erase(0, end + 1);
                return line;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline -
                                                                                     std::chrono::steady_clock::now());
            if (left.count() <= 0) return {};
            pollfd p{m_out, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
            char chunk[256];
            const ssize_t n = ::read(m_out, chunk, sizeof chunk);
            if (n <= 0) return {};
            m_buffer.append(chunk, static_cast<std::size_t>(n));
        }
    }

    void Send(const std::string& line)
    {
        const std::string text = line + "\n";
        (void)!::write(m_in, text.data(), text.size());
    }

    void CloseInput()
    {
        if (m_in >= 0) ::close(m_in);
        m_in = -1;
    }

    void Kill()
    {
        if (m_pid <= 0) return;
        ::kill(m_pid, SIGKILL);
        Wait(kLongWaitMs);
    }

    static constexpr int kStillRunning = -1000;
    // Exit code, or -signal, or kStillRunning.
    int Wait(DWORD timeoutMs)
    {
        if (m_pid <= 0) return m_status;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            int status = 0;
            const pid_t r = ::waitpid(m_pid, &status, WNOHANG);
            if (r == m_pid) {
                m_pid = 0;
                m_status = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
                return m_status;
            }
            if (r < 0 || std::chrono::steady_clock::now() > deadline) return kStillRunning;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }

private:
    pid_t m_pid = -1;
    int m_in = -1;
    int m_out = -1;
    int m_status = kStillRunning;
    std::string m_buffer;
};

// Files of one kind left in the object folder.
int CountFiles(const RuntimeFolderScope& scope, const std::string& prefix)
{
    int n = 0;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(scope.ObjectFolder(), ec)) {
        if (entry.path().filename().string().rfind(prefix, 0) == 0) ++n;
    }
    return n;
}

class View {
public:
    explicit View(HANDLE mapping, DWORD access = FILE_MAP_ALL_ACCESS)
        : m_address(MapViewOfFile(mapping, access, 0, 0, 0))
    {
    }
    ~View()
    {
        if (m_address) UnmapViewOfFile(m_address);
    }
    View(const View&) = delete;
    View& operator=(const View&) = delete;
    void* get() const { return m_address; }

private:
    void* m_address;
};

HANDLE CreateBlock(const char16_t* name, DWORD bytes = kBlockBytes)
{
    return CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, bytes, name);
}

TEST(SharedMutex, ProcessesAndThreadsTakeTurns)
{
    RuntimeFolderScope scope;
    const OwnedHandle mutex(CreateMutexW(nullptr, FALSE, u"Global\\Turns"));
    const OwnedHandle mapping(CreateBlock(u"Global\\Turns.block", 4096));
    ASSERT_TRUE(mutex);
    ASSERT_TRUE(mapping);
    View view(mapping);
    auto* block = static_cast<TurnBlock*>(view.get());
    ASSERT_NE(block, nullptr);

    Child child("turns", "Global\\Turns");
    ASSERT_TRUE(child.Started());
    ASSERT_EQ(child.ReadLine(), "ready");
    child.Send("go");
    std::atomic<int> threadFailures{0};
    std::thread second([&] { threadFailures = TakeTurns(mutex, block); });
    const int failures = TakeTurns(mutex, block);
    second.join();
    EXPECT_EQ(child.Wait(60000), 0);
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(threadFailures.load(), 0);
    EXPECT_EQ(block->overlaps, 0u);
    EXPECT_EQ(block->counter, 3u * kRounds);
}

TEST(SharedMutex, HolderThatDiesLeavesItAbandonedNeverStuck)
{
    struct Row {
        const char* name;
        bool kill;
        DWORD expected;
    };
    const Row rows[] = {
        {"holder releases", false, WAIT_OBJECT_0},
        {"holder killed while owning", true, WAIT_ABANDONED},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        RuntimeFolderScope scope;
        Child holder("hold-mutex", "Global\\Held");
        ASSERT_EQ(holder.ReadLine(), "owned");
        const OwnedHandle mutex(CreateMutexW(nullptr, FALSE, u"Global\\Held"));
        ASSERT_TRUE(mutex);
        EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
        EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_TIMEOUT);

        // A thread of this process is already waiting when the holder goes.
        DWORD waited = WAIT_FAILED;
        std::thread waiter([&] {
            waited = WaitForSingleObject(mutex, kLongWaitMs);
            if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) ReleaseMutex(mutex);
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (row.kill) {
            holder.Kill();
        } else {
            holder.Send("release");
            EXPECT_EQ(holder.ReadLine(), "released");
        }
        waiter.join();
        EXPECT_EQ(waited, row.expected);

        // Released properly by the waiter: the next process owns it plainly.
        Child next("hold-mutex", "Global\\Held");
        EXPECT_EQ(next.ReadLine(), "owned");
    }
}

TEST(SharedMutex, SingleInstanceGuardSeesTheOtherProcess)
{
    RuntimeFolderScope scope;
    const char16_t* name = u"Global\\Instance.Guard";
    {
        Child first("instance", "Global\\Instance.Guard");
        ASSERT_EQ(first.ReadLine(), "created");
        const OwnedHandle opened(OpenMutexW(MUTEX_ALL_ACCESS, FALSE, name));
        EXPECT_TRUE(opened);
        const OwnedHandle created(CreateMutexW(nullptr, TRUE, name));
        ASSERT_TRUE(created);
        EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
        EXPECT_EQ(WaitForSingleObject(created, 0), WAIT_TIMEOUT);  // initial ownership not granted
        first.Kill();
    }
    // Everyone gone: nothing to open, and the next instance starts cleanly.
    EXPECT_EQ(CountFiles(scope, "mutex-"), 0);
    EXPECT_FALSE(OpenMutexW(MUTEX_ALL_ACCESS, FALSE, name));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    {
        const OwnedHandle mine(CreateMutexW(nullptr, TRUE, name));
        ASSERT_TRUE(mine);
        EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
        Child second("instance", "Global\\Instance.Guard");
        EXPECT_EQ(second.ReadLine(), "existed");
        EXPECT_TRUE(ReleaseMutex(mine));
    }
}

TEST(SharedMutex, NamesThatEscapeAlikeStayApart)
{
    RuntimeFolderScope scope;
    const char16_t* names[] = {u"Global\\x/y", u"Global\\x%2Fy", u"Global\\.hidden", u"Global\\軸 名"};
    std::vector<OwnedHandle> handles;
    for (const char16_t* name : names) {
        handles.emplace_back(CreateMutexW(nullptr, FALSE, name));
        EXPECT_TRUE(handles.back());
        EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    }
    EXPECT_EQ(CountFiles(scope, "mutex-"), 2 * 4);
}

TEST(SharedMemory, BlockWrittenByOneProcessIsReadByTheOther)
{
    RuntimeFolderScope scope;
    const OwnedHandle mapping(CreateBlock(u"KXS_TEST_COMM"));
    ASSERT_TRUE(mapping);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    View view(mapping);
    ASSERT_NE(view.get(), nullptr);
    EXPECT_TRUE(IsAllZero(view.get(), kBlockBytes));
    WritePattern(view.get(), kBlockBytes, 1);

    Child child("check-and-write", "KXS_TEST_COMM");
    EXPECT_EQ(child.ReadLine(), "match");
    EXPECT_EQ(child.Wait(kLongWaitMs), 0);
    EXPECT_EQ(FirstMismatch(view.get(), kBlockBytes, 2), -1);
}

TEST(SharedMemory, BlockStartsAtZeroOnceEveryUserHasGone)
{
    struct Row {
        const char* name;
        bool childHolds;    // a child made the block and wrote to it
        bool parentJoins;   // this process also uses it while the child lives
        bool killChild;
    };
    const Row rows[] = {
        {"last user closed it", false, true, false},
        {"only user was killed", true, false, true},
        {"one user killed, the other closed it", true, true, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        RuntimeFolderScope scope;
        {
            Child child(row.childHolds ? "hold-block" : "none", "KXS_TEST_COMM");
            if (row.childHolds) {
                ASSERT_EQ(child.ReadLine(), "ready");
            }
            if (row.parentJoins) {
                const OwnedHandle mapping(CreateBlock(u"KXS_TEST_COMM"));
                ASSERT_TRUE(mapping);
                EXPECT_EQ(GetLastError(), row.childHolds ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
                View view(mapping);
                if (!row.childHolds) WritePattern(view.get(), kBlockBytes, 3);
                if (row.killChild) child.Kill();
                // This process still uses it: the bytes stay.
                EXPECT_EQ(FirstMismatch(view.get(), kBlockBytes, 3), -1);
            } else if (row.killChild) {
                child.Kill();
            }
        }
        if (!row.killChild) {
            EXPECT_EQ(CountFiles(scope, "shm-"), 0);
        }
        const OwnedHandle fresh(CreateBlock(u"KXS_TEST_COMM"));
        ASSERT_TRUE(fresh);
        EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
        View view(fresh);
        ASSERT_NE(view.get(), nullptr);
        EXPECT_TRUE(IsAllZero(view.get(), kBlockBytes));
    }
}

class UmaskScope {
public:
    explicit UmaskScope(mode_t mask) : m_saved(::umask(mask)) {}
    ~UmaskScope() { ::umask(m_saved); }

private:
    mode_t m_saved;
};

TEST(SharedMemory, FilesAndFolderAreOwnerOnly)
{
    RuntimeFolderScope scope;
    UmaskScope umask(0);
    const OwnedHandle mapping(CreateBlock(u"Private.Block"));
    const OwnedHandle mutex(CreateMutexW(nullptr, FALSE, u"Global\\Private.Mutex"));
    ASSERT_TRUE(mapping);
    ASSERT_TRUE(mutex);
    struct stat st {};
    ASSERT_EQ(::stat(scope.ObjectFolder().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(scope.ObjectFolder())) {
        SCOPED_TRACE(entry.path().string());
        ASSERT_EQ(::lstat(entry.path().c_str(), &st), 0);
        EXPECT_TRUE(S_ISREG(st.st_mode));
        EXPECT_EQ(st.st_mode & 0777, 0600u);
        ++files;
    }
    EXPECT_GE(files, 3);
}

TEST(SharedMemory, UnsafeObjectFolderIsRefused)
{
    struct Row {
        const char* name;
        void (*plant)(const RuntimeFolderScope&);
    };
    const Row rows[] = {
        {"folder others may write to",
         [](const RuntimeFolderScope& s) {
             ::mkdir(s.ObjectFolder().c_str(), 0700);
             ::chmod(s.ObjectFolder().c_str(), 0777);
         }},
        {"folder is a symbolic link",
         [](const RuntimeFolderScope& s) {
             ::mkdir((s.Path() + "/elsewhere").c_str(), 0700);
             ::symlink((s.Path() + "/elsewhere").c_str(), s.ObjectFolder().c_str());
         }},
        {"object file is a symbolic link",
         [](const RuntimeFolderScope& s) {
             ::mkdir(s.ObjectFolder().c_str(), 0700);
             ::symlink((s.Path() + "/target").c_str(), (s.ObjectFolder() + "/shm-Planted").c_str());
             ::symlink((s.Path() + "/target").c_str(), (s.ObjectFolder() + "/mutex-Planted.users").c_str());
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        RuntimeFolderScope scope;
        row.plant(scope);
        SetLastError(ERROR_SUCCESS);
        EXPECT_FALSE(CreateBlock(u"Planted"));
        EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
        SetLastError(ERROR_SUCCESS);
        EXPECT_FALSE(CreateMutexW(nullptr, FALSE, u"Global\\Planted"));
        EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
        EXPECT_FALSE(std::filesystem::exists(scope.Path() + "/target"));
    }
}

TEST(FileMapping, ViewsShareTheBlockAndKeepItAlive)
{
    RuntimeFolderScope scope;
    const OwnedHandle unnamed(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 100, nullptr));
    ASSERT_TRUE(unnamed);
    View a(unnamed);
    View b(unnamed);
    ASSERT_TRUE(a.get() && b.get());
    EXPECT_TRUE(IsAllZero(a.get(), 100));
    std::memcpy(a.get(), "shared", 6);
    EXPECT_EQ(std::memcmp(b.get(), "shared", 6), 0);

    const HANDLE named = CreateBlock(u"Kept.By.View");
    void* view = MapViewOfFile(named, FILE_MAP_WRITE, 0, 0, 0);
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(CloseHandle(named));
    {
        const OwnedHandle reopened(OpenFileMappingW(FILE_MAP_READ, FALSE, u"Kept.By.View"));
        EXPECT_TRUE(reopened);
    }
    EXPECT_TRUE(UnmapViewOfFile(view));
    EXPECT_FALSE(OpenFileMappingW(FILE_MAP_READ, FALSE, u"Kept.By.View"));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(UnmapViewOfFile(view));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_ADDRESS);
}

TEST(FileMapping, RefusalsSayWhy)
{
    RuntimeFolderScope scope;
    const OwnedHandle block(CreateBlock(u"Refusals", 4096));
    const OwnedHandle readOnly(OpenFileMappingW(FILE_MAP_READ, FALSE, u"Refusals"));
    const OwnedHandle readOnlyBlock(
        CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READONLY, 0, 64, nullptr));
    const OwnedHandle event(CreateEventW(nullptr, TRUE, FALSE, u"Refusals.Event"));
    ASSERT_TRUE(block && readOnly && readOnlyBlock && event);
    const HANDLE blockHandle = block;
    const HANDLE readOnlyHandle = readOnly;
    const HANDLE readOnlyBlockHandle = readOnlyBlock;
    const HANDLE eventHandle = event;

    struct Row {
        const char* name;
        std::function<bool()> attempt;  // true when it wrongly succeeded
        DWORD error;
    };
    auto mapFails = [](HANDLE h, DWORD access, DWORD offset, SIZE_T bytes) {
        void* v = MapViewOfFile(h, access, 0, offset, bytes);
        if (v) UnmapViewOfFile(v);
        return v != nullptr;
    };
    auto create = [](HANDLE file, DWORD protect, DWORD size, const char16_t* name) {
        const HANDLE h = CreateFileMappingW(file, nullptr, protect, 0, size, name);
        if (h) CloseHandle(h);
        return static_cast<bool>(h);
    };
    const std::vector<Row> rows = {
        {"backed by a file handle", [&] { return create(eventHandle, PAGE_READWRITE, 10, nullptr); },
         ERROR_INVALID_HANDLE},
        {"size 0", [&] { return create(INVALID_HANDLE_VALUE, PAGE_READWRITE, 0, u"Zero"); }, ERROR_INVALID_PARAMETER},
        {"unknown protection", [&] { return create(INVALID_HANDLE_VALUE, 0x10, 10, nullptr); },
         ERROR_INVALID_PARAMETER},
        {"existing block smaller than asked", [&] { return create(INVALID_HANDLE_VALUE, PAGE_READWRITE, 8192, u"Refusals"); },
         ERROR_INVALID_PARAMETER},
        {"name of an event", [&] { return create(INVALID_HANDLE_VALUE, PAGE_READWRITE, 10, u"Refusals.Event"); },
         ERROR_INVALID_HANDLE},
        {"write view through a read handle", [&] { return mapFails(readOnlyHandle, FILE_MAP_WRITE, 0, 0); },
         ERROR_ACCESS_DENIED},
        {"write view of a read-only block", [&] { return mapFails(readOnlyBlockHandle, FILE_MAP_ALL_ACCESS, 0, 0); },
         ERROR_ACCESS_DENIED},
        {"view beyond the end", [&] { return mapFails(blockHandle, FILE_MAP_READ, 0, 4097); }, ERROR_ACCESS_DENIED},
        {"unaligned offset", [&] { return mapFails(blockHandle, FILE_MAP_READ, 100, 10); }, ERROR_MAPPED_ALIGNMENT},
        {"view of an event", [&] { return mapFails(eventHandle, FILE_MAP_READ, 0, 0); }, ERROR_INVALID_HANDLE},
        {"open a block nobody made", [&] { return static_cast<bool>(OpenFileMappingW(FILE_MAP_READ, FALSE, u"None")); },
         ERROR_FILE_NOT_FOUND},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SetLastError(ERROR_SUCCESS);
        EXPECT_FALSE(row.attempt());
        EXPECT_EQ(GetLastError(), row.error);
    }
    // Larger existing blocks are fine; reading works through the read handle.
    const OwnedHandle smaller(CreateBlock(u"Refusals", 100));
    EXPECT_TRUE(smaller);
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    View readView(readOnly, FILE_MAP_READ);
    EXPECT_NE(readView.get(), nullptr);
}

}  // namespace
