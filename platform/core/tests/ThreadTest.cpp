#include "platform/core/Synchronization.h"
#include "platform/core/Thread.h"
#include "platform/core/WinThread.h"
#include "platform/core/tests/RuntimeFolderScope.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

namespace {

using namespace std::chrono_literals;

constexpr DWORD kLongWaitMs = 10000;

template <class Pred>
bool Eventually(Pred pred)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kLongWaitMs);
    while (!pred()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

// A worker loop of the kind the windows run: counts passes until told to stop,
// pausing at its safe point.
struct Worker {
    std::atomic<bool> stop{false};
    std::atomic<int> passes{0};
    bool useSleep = true;

    static DWORD WINAPI Run(LPVOID p)
    {
        auto* self = static_cast<Worker*>(p);
        while (!self->stop) {
            ++self->passes;
            if (self->useSleep) {
                platform::SleepAtSafePoint(1);
            } else {
                platform::ThreadSafePoint();
                std::this_thread::yield();
            }
        }
        return 42;
    }
};

// Stops a worker at the end of a test, whatever state it was left in.
class WorkerThread {
public:
    explicit WorkerThread(Worker& worker, DWORD flags = 0)
        : m_worker(worker), m_handle(CreateThread(nullptr, 0, Worker::Run, &worker, flags, &m_id))
    {
    }
    ~WorkerThread()
    {
        m_worker.stop = true;
        DWORD previous = ResumeThread(m_handle);
        while (previous != static_cast<DWORD>(-1) && previous > 1) previous = ResumeThread(m_handle);
        WaitForSingleObject(m_handle, kLongWaitMs);
    }
    HANDLE handle() const { return m_handle; }
    DWORD id() const { return m_id; }

private:
    Worker& m_worker;
    DWORD m_id = 0;
    OwnedHandle m_handle;
};

TEST(Thread, CreatedSuspendedRunsOnlyAfterResume)
{
    Worker worker;
    WorkerThread thread(worker, CREATE_SUSPENDED);
    ASSERT_TRUE(thread.handle());
    EXPECT_NE(thread.id(), 0u);
    EXPECT_EQ(GetThreadId(thread.handle()), thread.id());
    EXPECT_TRUE(platform::WaitUntilParked(thread.handle(), kLongWaitMs));
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(worker.passes.load(), 0);
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeThread(thread.handle(), &code));
    EXPECT_EQ(code, STILL_ACTIVE);
    EXPECT_EQ(WaitForSingleObject(thread.handle(), 0), WAIT_TIMEOUT);

    EXPECT_EQ(ResumeThread(thread.handle()), 1u);
    EXPECT_TRUE(Eventually([&] { return worker.passes.load() > 0; }));
    worker.stop = true;
    ASSERT_EQ(WaitForSingleObject(thread.handle(), kLongWaitMs), WAIT_OBJECT_0);
    ASSERT_TRUE(GetExitCodeThread(thread.handle(), &code));
    EXPECT_EQ(code, 42u);
}

TEST(Thread, SuspendAndResumeReturnThePreviousCount)
{
    Worker worker;
    WorkerThread thread(worker, CREATE_SUSPENDED);
    struct Step {
        const char* name;
        DWORD (*call)(HANDLE);
        DWORD previous;
    };
    const Step steps[] = {
        {"suspend 1 to 2", SuspendThread, 1}, {"suspend 2 to 3", SuspendThread, 2},
        {"resume 3 to 2", ResumeThread, 3},   {"resume 2 to 1", ResumeThread, 2},
        {"resume 1 to 0", ResumeThread, 1},   {"resume at 0 stays 0", ResumeThread, 0},
        {"suspend 0 to 1", SuspendThread, 0}, {"resume 1 to 0 again", ResumeThread, 1},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        EXPECT_EQ(step.call(thread.handle()), step.previous);
    }
    EXPECT_EQ(SuspendThread(HANDLE::Make(99999, 3)), static_cast<DWORD>(-1));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(Thread, PausedAtItsSafePointMakesNoProgressUntilResumed)
{
    for (bool useSleep : {true, false}) {
        SCOPED_TRACE(useSleep ? "SleepAtSafePoint" : "ThreadSafePoint");
        Worker worker;
        worker.useSleep = useSleep;
        WorkerThread thread(worker);
        ASSERT_TRUE(Eventually([&] { return worker.passes.load() > 3; }));

        EXPECT_EQ(SuspendThread(thread.handle()), 0u);
        ASSERT_TRUE(platform::WaitUntilParked(thread.handle(), kLongWaitMs));
        const int parkedAt = worker.passes.load();
        std::this_thread::sleep_for(50ms);
        EXPECT_EQ(worker.passes.load(), parkedAt);

        EXPECT_EQ(ResumeThread(thread.handle()), 1u);
        EXPECT_TRUE(Eventually([&] { return worker.passes.load() > parkedAt + 3; }));
    }
}

TEST(Thread, LongSleepAtSafePointParksAtOnce)
{
    struct Sleeper {
        static DWORD WINAPI Run(LPVOID p)
        {
            static_cast<std::atomic<bool>*>(p)->store(true);
            platform::SleepAtSafePoint(60000);
            return 7;
        }
    };
    // Suspended only once its routine runs: a thread suspended before it starts
    // parks there, and then sleeps its whole minute after the resume.
    std::atomic<bool> sleeping{false};
    OwnedHandle thread(CreateThread(nullptr, 0, Sleeper::Run, &sleeping, 0, nullptr));
    ASSERT_TRUE(Eventually([&] { return sleeping.load(); }));
    SuspendThread(thread);
    EXPECT_TRUE(platform::WaitUntilParked(thread, kLongWaitMs));
    ResumeThread(thread);
    // After the pause the sleep does not go on for its full minute.
    EXPECT_EQ(WaitForSingleObject(thread, kLongWaitMs), WAIT_OBJECT_0);
}

TEST(Thread, ThreadThatSuspendsItselfParksAtOnce)
{
    struct Body {
        std::atomic<int> phase{0};
        std::atomic<bool> idMatches{false};
        static DWORD WINAPI Run(LPVOID p)
        {
            auto* self = static_cast<Body*>(p);
            self->idMatches = GetThreadId(GetCurrentThread()) == GetCurrentThreadId();
            self->phase = 1;
            SuspendThread(GetCurrentThread());
            self->phase = 2;
            return 0;
        }
    } body;
    OwnedHandle thread(CreateThread(nullptr, 0, Body::Run, &body, 0, nullptr));
    ASSERT_TRUE(Eventually([&] { return body.phase.load() == 1; }));
    EXPECT_TRUE(platform::WaitUntilParked(thread, kLongWaitMs));
    EXPECT_EQ(body.phase.load(), 1);
    EXPECT_EQ(ResumeThread(thread), 1u);
    EXPECT_EQ(WaitForSingleObject(thread, kLongWaitMs), WAIT_OBJECT_0);
    EXPECT_EQ(body.phase.load(), 2);
    EXPECT_TRUE(body.idMatches.load());
    // The pseudo handle is no table entry.
    EXPECT_FALSE(CloseHandle(GetCurrentThread()));
    EXPECT_TRUE(SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST));
}

TEST(Thread, SuspendResumedBeforeASafePointLeavesNothingPending)
{
    struct Gate {
        std::atomic<bool> open{false};
        std::atomic<bool> passed{false};
        static DWORD WINAPI Run(LPVOID p)
        {
            auto* self = static_cast<Gate*>(p);
            while (!self->open) std::this_thread::sleep_for(1ms);
            platform::ThreadSafePoint();
            self->passed = true;
            return 0;
        }
    } gate;
    OwnedHandle thread(CreateThread(nullptr, 0, Gate::Run, &gate, 0, nullptr));
    EXPECT_EQ(SuspendThread(thread), 0u);
    EXPECT_EQ(ResumeThread(thread), 1u);
    gate.open = true;
    EXPECT_EQ(WaitForSingleObject(thread, kLongWaitMs), WAIT_OBJECT_0);
    EXPECT_TRUE(gate.passed.load());
}

TEST(Thread, SafePointDoesNotParkAThreadThatOwnsAMutex)
{
    struct Holder {
        HANDLE mutex = nullptr;
        HANDLE holding = nullptr;
        HANDLE suspendedNow = nullptr;
        std::atomic<bool> passedWhileOwning{false};
        static DWORD WINAPI Run(LPVOID p)
        {
            auto* self = static_cast<Holder*>(p);
            WaitForSingleObject(self->mutex, kLongWaitMs);
            SetEvent(self->holding);
            WaitForSingleObject(self->suspendedNow, kLongWaitMs);
            platform::ThreadSafePoint();
            self->passedWhileOwning = true;
            ReleaseMutex(self->mutex);
            platform::ThreadSafePoint();  // parks here
            return 0;
        }
    };
    Holder holder;
    OwnedHandle mutex(CreateMutexW(nullptr, FALSE, nullptr));
    OwnedHandle holding(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    OwnedHandle suspendedNow(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    holder.mutex = mutex;
    holder.holding = holding;
    holder.suspendedNow = suspendedNow;
    OwnedHandle thread(CreateThread(nullptr, 0, Holder::Run, &holder, 0, nullptr));
    ASSERT_EQ(WaitForSingleObject(holding, kLongWaitMs), WAIT_OBJECT_0);
    SuspendThread(thread);
    SetEvent(suspendedNow);
    EXPECT_TRUE(platform::WaitUntilParked(thread, kLongWaitMs));
    EXPECT_TRUE(holder.passedWhileOwning.load());
    EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0);  // it was released before parking
    ReleaseMutex(mutex);
    ResumeThread(thread);
    EXPECT_EQ(WaitForSingleObject(thread, kLongWaitMs), WAIT_OBJECT_0);
}

TEST(Thread, EndedThreadKeepsItsExitCodeAndRefusesSuspend)
{
    struct Body {
        static DWORD WINAPI Returns(LPVOID) { return 1234; }
        static DWORD WINAPI Throws(LPVOID) { throw std::runtime_error("boom"); }
    };
    struct Row {
        const char* name;
        LPTHREAD_START_ROUTINE routine;
        DWORD exitCode;
    };
    const Row rows[] = {
        {"returns", Body::Returns, 1234},
        {"throws", Body::Throws, ERROR_UNHANDLED_EXCEPTION},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        OwnedHandle thread(CreateThread(nullptr, 0, row.routine, nullptr, 0, nullptr));
        ASSERT_EQ(WaitForSingleObject(thread, kLongWaitMs), WAIT_OBJECT_0);
        EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0);  // stays signalled
        DWORD code = 0;
        ASSERT_TRUE(GetExitCodeThread(thread, &code));
        EXPECT_EQ(code, row.exitCode);
        EXPECT_EQ(SuspendThread(thread), static_cast<DWORD>(-1));
        EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
        EXPECT_TRUE(platform::WaitUntilParked(thread, 0));
    }
}

TEST(Thread, ClosingTheHandleDoesNotStopTheThread)
{
    struct Body {
        HANDLE go = nullptr;
        HANDLE done = nullptr;
        static DWORD WINAPI Run(LPVOID p)
        {
            auto* self = static_cast<Body*>(p);
            WaitForSingleObject(self->go, kLongWaitMs);
            SetEvent(self->done);
            return 0;
        }
    };
    OwnedHandle go(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    OwnedHandle done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    Body body{go, done};
    const HANDLE thread = CreateThread(nullptr, 0, Body::Run, &body, 0, nullptr);
    ASSERT_TRUE(CloseHandle(thread));
    SetEvent(go);
    EXPECT_EQ(WaitForSingleObject(done, kLongWaitMs), WAIT_OBJECT_0);
}

TEST(Thread, ThreadIdsAndPriorities)
{
    const DWORD mine = GetCurrentThreadId();
    EXPECT_NE(mine, 0u);
    EXPECT_EQ(GetCurrentThreadId(), mine);
    DWORD other = 0;
    std::thread([&] { other = GetCurrentThreadId(); }).join();
    EXPECT_NE(other, 0u);
    EXPECT_NE(other, mine);

    Worker worker;
    WorkerThread thread(worker, CREATE_SUSPENDED);
    EXPECT_EQ(GetThreadPriority(thread.handle()), THREAD_PRIORITY_NORMAL);
    for (int p : {THREAD_PRIORITY_IDLE, THREAD_PRIORITY_LOWEST, THREAD_PRIORITY_ABOVE_NORMAL,
                  THREAD_PRIORITY_TIME_CRITICAL}) {
        SCOPED_TRACE(p);
        EXPECT_TRUE(SetThreadPriority(thread.handle(), p));
        EXPECT_EQ(GetThreadPriority(thread.handle()), p);
    }
    EXPECT_FALSE(SetThreadPriority(thread.handle(), 7));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(Thread, AbandonedMutexIsFreeOnceTheThreadHandleIsSignalled)
{
    struct Body {
        static DWORD WINAPI Run(LPVOID p)
        {
            WaitForSingleObject(*static_cast<HANDLE*>(p), 0);
            return 0;
        }
    };
    OwnedHandle mutex(CreateMutexW(nullptr, FALSE, nullptr));
    HANDLE m = mutex;
    OwnedHandle thread(CreateThread(nullptr, 0, Body::Run, &m, 0, nullptr));
    ASSERT_EQ(WaitForSingleObject(thread, kLongWaitMs), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_ABANDONED);
    ReleaseMutex(mutex);
}

TEST(WinThread, KeptObjectWaitsAndAutoDeletedObjectCleansUp)
{
    static std::atomic<int> runs{0};
    struct Body {
        static UINT Run(LPVOID p)
        {
            ++runs;
            return static_cast<UINT>(reinterpret_cast<std::uintptr_t>(p));
        }
    };
    CWinThread* kept = AfxBeginThread(Body::Run, reinterpret_cast<LPVOID>(std::uintptr_t{5}),
                                      THREAD_PRIORITY_BELOW_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(kept, nullptr);
    kept->m_bAutoDelete = FALSE;
    EXPECT_EQ(kept->GetThreadPriority(), THREAD_PRIORITY_BELOW_NORMAL);
    EXPECT_NE(kept->m_nThreadID, 0u);
    EXPECT_EQ(kept->ResumeThread(), 1u);
    ASSERT_EQ(WaitForSingleObject(kept->m_hThread, kLongWaitMs), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeThread(*kept, &code);
    EXPECT_EQ(code, 5u);
    delete kept;

    // Deletes itself: the leak checker would report it otherwise.
    ASSERT_NE(AfxBeginThread(Body::Run, nullptr), nullptr);
    EXPECT_TRUE(Eventually([] { return runs.load() == 2; }));
}

}  // namespace
