#include "platform/core/Thread.h"

#include "platform/core/Synchronization.h"
#include "platform/core/Time.h"

#include <atomic>
#include <cstdio>
#include <pthread.h>
#include <unistd.h>

namespace platform {
namespace {

std::atomic<DWORD> g_nextThreadId{1};
thread_local DWORD t_threadId = 0;

DWORD NewThreadId()
{
    DWORD id = g_nextThreadId.fetch_add(1, std::memory_order_relaxed);
    if (id == 0) id = g_nextThreadId.fetch_add(1, std::memory_order_relaxed);
    return id;
}

bool IsValidPriority(int p)
{
    return p == THREAD_PRIORITY_IDLE || p == THREAD_PRIORITY_TIME_CRITICAL ||
           (p >= THREAD_PRIORITY_LOWEST && p <= THREAD_PRIORITY_HIGHEST);
}

constexpr HANDLE kCurrentThreadPseudoHandle = HANDLE::FromValue(~std::uint64_t{1});

// Everything but the routine and the id lives under the wait lock.
class ThreadObject : public KernelObject, public std::enable_shared_from_this<ThreadObject> {
public:
    ThreadObject(LPTHREAD_START_ROUTINE routine, LPVOID parameter, DWORD suspendCount)
        : routine(routine), parameter(parameter), id(NewThreadId()), suspendCount(suspendCount)
    {
    }

    bool IsWaitable() const override { return true; }
    AcquireResult TryAcquire(DWORD /*threadId*/) override
    {
        return finished ? AcquireResult::Acquired : AcquireResult::NotReady;
    }

    bool IsHeld() const { return suspendCount > 0 && (parked || !started); }

    // Parks while suspended; the caller holds the wait lock through `lock`.
    void Park(std::unique_lock<std::mutex>& lock)
    {
        if (suspendCount == 0) return;
        parked = true;
        NotifyWaiters();  // for WaitUntilParked
        while (suspendCount > 0) WaitForChange(lock);
        parked = false;
    }

    const LPTHREAD_START_ROUTINE routine;
    const LPVOID parameter;
    const DWORD id;
    DWORD suspendCount;
    bool started = false;
    bool parked = false;
    bool finished = false;
    DWORD exitCode = STILL_ACTIVE;
    int priority = THREAD_PRIORITY_NORMAL;
};

// The object of the calling thread when CreateThread made it.
thread_local ThreadObject* t_self = nullptr;

// The thread object behind a handle or the pseudo handle of the calling thread.
std::shared_ptr<ThreadObject> FindThread(HANDLE handle)
{
    if (handle == kCurrentThreadPseudoHandle) {
        if (t_self) return t_self->shared_from_this();
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return GetKernelObjectAs<ThreadObject>(handle);
}

void* ThreadMain(void* argument)
{
    std::shared_ptr<ThreadObject> self(std::move(*static_cast<std::shared_ptr<ThreadObject>*>(argument)));
    delete static_cast<std::shared_ptr<ThreadObject>*>(argument);
    t_threadId = self->id;
    t_self = self.get();
    {
        std::unique_lock<std::mutex> lock(WaitLock());
        self->Park(lock);
        self->started = true;
    }

    DWORD exitCode = ERROR_UNHANDLED_EXCEPTION;
    try {
        exitCode = self->routine(self->parameter);
    } catch (...) {
        std::fprintf(stderr, "thread %u ended by an exception\n", static_cast<unsigned>(self->id));
    }

    // Abandoned before the handle is signalled, so a waiter on the thread sees
    // its mutexes free.
    AbandonThreadMutexes();
    {
        std::lock_guard<std::mutex> lock(WaitLock());
        self->finished = true;
        self->exitCode = exitCode;
    }
    NotifyWaiters();
    t_self = nullptr;
    return nullptr;
}

}  // namespace

void ThreadSafePoint()
{
    ThreadObject* self = t_self;
    if (!self || ThreadOwnsMutexes()) return;
    std::unique_lock<std::mutex> lock(WaitLock());
    self->Park(lock);
}

void SleepAtSafePoint(DWORD ms)
{
    ThreadObject* self = t_self;
    if (!self || ThreadOwnsMutexes()) {
        Sleep(ms);
        return;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    std::unique_lock<std::mutex> lock(WaitLock());
    for (;;) {
        if (self->suspendCount > 0) {
            self->Park(lock);
            return;
        }
        if (std::chrono::steady_clock::now() >= deadline) return;
        WaitForChangeUntil(lock, deadline);
    }
}

bool WaitUntilParked(HANDLE handle, DWORD timeoutMs)
{
    auto thread = FindThread(handle);
    if (!thread) return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::unique_lock<std::mutex> lock(WaitLock());
    for (;;) {
        if (thread->finished || thread->IsHeld()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        WaitForChangeUntil(lock, deadline);
    }
}

}  // namespace platform

HANDLE CreateThread(LPSECURITY_ATTRIBUTES /*attributes*/, SIZE_T stackSize, LPTHREAD_START_ROUTINE startRoutine,
                    LPVOID parameter, DWORD creationFlags, LPDWORD threadId)
{
    using platform::ThreadObject;
    if (startRoutine == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto thread = std::make_shared<ThreadObject>(startRoutine, parameter, (creationFlags & CREATE_SUSPENDED) ? 1u : 0u);
    const HANDLE handle = platform::AddKernelObject(thread, THREAD_ALL_ACCESS);
    if (!handle) return nullptr;

    pthread_attr_t attr;
    ::pthread_attr_init(&attr);
    ::pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_DETACHED);
    std::size_t defaultStack = 0;
    ::pthread_attr_getstacksize(&attr, &defaultStack);
    if (stackSize > defaultStack) {
        const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
        ::pthread_attr_setstacksize(&attr, (stackSize + page - 1) / page * page);
    }
    auto* argument = new std::shared_ptr<ThreadObject>(thread);
    pthread_t tid {};
    const int rc = ::pthread_create(&tid, &attr, platform::ThreadMain, argument);
    ::pthread_attr_destroy(&attr);
    if (rc != 0) {
        delete argument;
        CloseHandle(handle);
        SetLastError(rc == EAGAIN ? ERROR_NOT_ENOUGH_MEMORY : platform::ErrorFromErrno(rc));
        return nullptr;
    }
    if (threadId) *threadId = thread->id;
    return handle;
}

DWORD GetCurrentThreadId()
{
    if (platform::t_threadId == 0) platform::t_threadId = platform::NewThreadId();
    return platform::t_threadId;
}

HANDLE GetCurrentThread() { return platform::kCurrentThreadPseudoHandle; }

DWORD GetThreadId(HANDLE handle)
{
    if (handle == platform::kCurrentThreadPseudoHandle) return GetCurrentThreadId();
    auto thread = platform::FindThread(handle);
    return thread ? thread->id : 0;
}

BOOL GetExitCodeThread(HANDLE handle, LPDWORD exitCode)
{
    auto thread = platform::FindThread(handle);
    if (!thread) return FALSE;
    if (exitCode == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::lock_guard<std::mutex> lock(platform::WaitLock());
    *exitCode = thread->exitCode;
    return TRUE;
}

DWORD SuspendThread(HANDLE handle)
{
    auto thread = platform::FindThread(handle);
    if (!thread) return static_cast<DWORD>(-1);
    DWORD previous = 0;
    {
        std::lock_guard<std::mutex> lock(platform::WaitLock());
        if (thread->finished) {
            SetLastError(ERROR_ACCESS_DENIED);
            return static_cast<DWORD>(-1);
        }
        if (thread->suspendCount >= MAXIMUM_SUSPEND_COUNT) {
            SetLastError(ERROR_SIGNAL_REFUSED);
            return static_cast<DWORD>(-1);
        }
        previous = thread->suspendCount++;
    }
    platform::NotifyWaiters();  // a thread in SleepAtSafePoint parks at once
    // A thread that suspends itself has chosen this point as safe.
    if (thread.get() == platform::t_self) platform::ThreadSafePoint();
    return previous;
}

DWORD ResumeThread(HANDLE handle)
{
    auto thread = platform::FindThread(handle);
    if (!thread) return static_cast<DWORD>(-1);
    DWORD previous = 0;
    {
        std::lock_guard<std::mutex> lock(platform::WaitLock());
        previous = thread->suspendCount;
        if (thread->suspendCount > 0) --thread->suspendCount;
    }
    if (previous == 1) platform::NotifyWaiters();
    return previous;
}

BOOL SetThreadPriority(HANDLE handle, int priority)
{
    if (!platform::IsValidPriority(priority)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // Only a hint: a thread without an object of ours has nowhere to keep it.
    if (handle == platform::kCurrentThreadPseudoHandle && !platform::t_self) return TRUE;
    auto thread = platform::FindThread(handle);
    if (!thread) return FALSE;
    std::lock_guard<std::mutex> lock(platform::WaitLock());
    thread->priority = priority;
    return TRUE;
}

int GetThreadPriority(HANDLE handle)
{
    if (handle == platform::kCurrentThreadPseudoHandle && !platform::t_self) return THREAD_PRIORITY_NORMAL;
    auto thread = platform::FindThread(handle);
    if (!thread) return THREAD_PRIORITY_ERROR_RETURN;
    std::lock_guard<std::mutex> lock(platform::WaitLock());
    return thread->priority;
}
