// Threads with Win32-shaped handles.
//
// A thread handle is waitable: it is signalled when the thread's routine has
// returned. Closing the handle does not stop the thread.
//
// Suspending is cooperative, since Linux cannot stop a thread from outside at
// a point that is safe for it. SuspendThread and ResumeThread keep the count
// and return its previous value as Windows does, but a running thread pauses
// only at a safe point that its own loop reaches:
//   - before its routine starts (so a thread created with CREATE_SUSPENDED does
//     not run its routine until resumed);
//   - in platform::ThreadSafePoint();
//   - in platform::SleepAtSafePoint(ms), which also wakes early to pause;
//   - in SuspendThread called by the thread on itself: it parks right there.
// Plain Sleep and the waits are NOT safe points: a worker that sleeps inside a
// command exchange must not be parked with the exchange half done. A safe point
// never parks a thread that owns a mutex. SuspendThread does not wait; call
// platform::WaitUntilParked to know that the thread has actually paused. A
// suspend that is resumed before the thread reached a safe point leaves
// nothing behind.
#pragma once

#include "platform/core/KernelObject.h"

#include <cstddef>

#ifndef WINAPI
#define WINAPI
#endif

using SIZE_T = std::size_t;
using LPDWORD = DWORD*;
using LPTHREAD_START_ROUTINE = DWORD(WINAPI*)(LPVOID);

inline constexpr DWORD CREATE_SUSPENDED = 0x00000004;
inline constexpr DWORD STACK_SIZE_PARAM_IS_A_RESERVATION = 0x00010000;
inline constexpr DWORD MAXIMUM_SUSPEND_COUNT = 127;
inline constexpr DWORD THREAD_ALL_ACCESS = 0x001FFFFF;

inline constexpr int THREAD_PRIORITY_IDLE = -15;
inline constexpr int THREAD_PRIORITY_LOWEST = -2;
inline constexpr int THREAD_PRIORITY_BELOW_NORMAL = -1;
inline constexpr int THREAD_PRIORITY_NORMAL = 0;
inline constexpr int THREAD_PRIORITY_ABOVE_NORMAL = 1;
inline constexpr int THREAD_PRIORITY_HIGHEST = 2;
inline constexpr int THREAD_PRIORITY_TIME_CRITICAL = 15;
inline constexpr int THREAD_PRIORITY_ERROR_RETURN = 0x7FFFFFFF;

// The stack size is a least size: the platform's default is used when it is
// larger. An exception that escapes the routine ends the thread with
// ERROR_UNHANDLED_EXCEPTION as exit code.
HANDLE CreateThread(LPSECURITY_ATTRIBUTES attributes, SIZE_T stackSize, LPTHREAD_START_ROUTINE startRoutine,
                    LPVOID parameter, DWORD creationFlags, LPDWORD threadId);
// A process-unique number, never 0; also for threads not made by CreateThread.
DWORD GetCurrentThreadId();
// A pseudo handle meaning "the calling thread" to the thread calls below (not
// a table entry: it cannot be closed or waited on). For a thread not made by
// CreateThread only the priority calls accept it.
HANDLE GetCurrentThread();
DWORD GetThreadId(HANDLE thread);
// STILL_ACTIVE while the routine has not returned.
BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode);
// Previous suspend count, or (DWORD)-1 on failure (an ended thread gives
// ERROR_ACCESS_DENIED, a count above MAXIMUM_SUSPEND_COUNT ERROR_SIGNAL_REFUSED).
DWORD SuspendThread(HANDLE thread);
DWORD ResumeThread(HANDLE thread);
// Priorities are hints: they are kept and read back, not applied.
BOOL SetThreadPriority(HANDLE thread, int priority);
int GetThreadPriority(HANDLE thread);

namespace platform {

// Pauses the calling thread here while its suspend count is above zero.
// Nothing for a thread not made by CreateThread, or one that owns a mutex.
void ThreadSafePoint();
// Sleeps for ms, as a safe point: a suspend that arrives meanwhile parks the
// thread at once, and after the resume the call returns without sleeping the
// rest. Outside threads made by CreateThread it is a plain Sleep.
void SleepAtSafePoint(DWORD ms);
// True when the thread is parked at a safe point (or has not started its
// routine and will not while suspended) or has ended; false when timeoutMs
// passed first, or the handle is not a thread.
bool WaitUntilParked(HANDLE thread, DWORD timeoutMs);

}  // namespace platform
