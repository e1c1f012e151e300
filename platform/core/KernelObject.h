// Kernel objects and their handles.
//
// A HANDLE names a slot of one process-wide table (index and generation), never
// a pointer: a closed or stale handle is refused with ERROR_INVALID_HANDLE. The
// table holds platform::KernelObject, which other pieces of the platform derive
// from for their own kinds of objects (threads, mappings, processes, ...).
//
// Waits: every waitable object keeps its state under one process-wide wait lock
// and calls platform::NotifyObjectWaiters() after changing it, so a wait for
// several objects sees them all at one instant. A wait registers with the
// objects it waits on, and a change wakes only the waits on that object (a
// busy process would otherwise wake every waiting thread at every change). An
// object whose state changes outside this process (a lock held by another
// process) names a poll interval instead.
#pragma once

#include "platform/core/LastError.h"
#include "platform/core/WinTypes.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct SECURITY_ATTRIBUTES {
    DWORD nLength = sizeof(SECURITY_ATTRIBUTES);
    LPVOID lpSecurityDescriptor = nullptr;
    BOOL bInheritHandle = FALSE;
};
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

// Access rights. They are accepted everywhere; only file mappings tell read
// from write access.
inline constexpr DWORD DELETE = 0x00010000;
inline constexpr DWORD SYNCHRONIZE = 0x00100000;
inline constexpr DWORD STANDARD_RIGHTS_REQUIRED = 0x000F0000;
inline constexpr DWORD GENERIC_ALL = 0x10000000;
inline constexpr DWORD MUTEX_MODIFY_STATE = 0x0001;
inline constexpr DWORD MUTEX_ALL_ACCESS = 0x001F0001;
inline constexpr DWORD EVENT_MODIFY_STATE = 0x0002;
inline constexpr DWORD EVENT_ALL_ACCESS = 0x001F0003;

inline constexpr DWORD WAIT_ABANDONED_0 = WAIT_ABANDONED;
inline constexpr DWORD MAXIMUM_WAIT_OBJECTS = 64;

// Closes one handle; the object goes when its last handle (and any other
// reference, such as a mapped view or a running thread) goes.
BOOL CloseHandle(HANDLE handle);

// WAIT_OBJECT_0 when the object was signalled (and, for a mutex or an
// auto-reset event, taken), WAIT_ABANDONED when a mutex was taken whose owner
// ended without releasing it, WAIT_TIMEOUT, or WAIT_FAILED with the last error
// set. INFINITE waits without a time limit.
DWORD WaitForSingleObject(HANDLE handle, DWORD timeoutMs);
// Any (WAIT_OBJECT_0 + i for the first signalled object, lowest index first)
// or all (WAIT_OBJECT_0, taking them together). At most MAXIMUM_WAIT_OBJECTS
// handles, each object once.
DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD timeoutMs);

namespace platform {

enum class AcquireResult { NotReady, Acquired, Abandoned };

namespace detail {
class ThreadQueue;
}

// One thread's wait on kernel objects. A headless wait sleeps on `changed`
// (with WaitLock()); a wait inside a toolkit's loop is woken through its
// queue's dispatcher instead.
struct ObjectWaiter {
    std::condition_variable changed;
    detail::ThreadQueue* native = nullptr;
};

class KernelObject {
public:
    virtual ~KernelObject() = default;
    KernelObject(const KernelObject&) = delete;
    KernelObject& operator=(const KernelObject&) = delete;

    // Waitable objects override these. TryAcquire and UndoAcquire run with
    // WaitLock() held and must not block: TryAcquire takes the object for the
    // thread when it is signalled (a mutex becomes owned, an auto-reset event
    // is reset); UndoAcquire gives back what TryAcquire took, which a wait for
    // all objects does when another of its objects is not ready.
    virtual bool IsWaitable() const { return false; }
    virtual AcquireResult TryAcquire(DWORD /*threadId*/) { return AcquireResult::NotReady; }
    virtual void UndoAcquire(DWORD /*threadId*/, AcquireResult /*taken*/) {}
    // State that can change without NotifyWaiters (another process holds it)
    // is checked again after at most this many ms; 0 when not needed.
    virtual DWORD PollIntervalMs() const { return 0; }

    // The waits registered on this object (under the waiter registry's lock).
    std::vector<ObjectWaiter*> waiters;

protected:
    KernelObject() = default;
};

// Adds an object to the handle table. A null handle with
// ERROR_NOT_ENOUGH_MEMORY when the table is full.
HANDLE AddKernelObject(std::shared_ptr<KernelObject> object, DWORD access = GENERIC_ALL);
// The object behind a live handle, else null with ERROR_INVALID_HANDLE.
std::shared_ptr<KernelObject> GetKernelObject(HANDLE handle, DWORD* access = nullptr);
// As GetKernelObject, and refused with ERROR_INVALID_HANDLE when the object
// is not a T.
template <class T>
std::shared_ptr<T> GetKernelObjectAs(HANDLE handle, DWORD* access = nullptr)
{
    auto object = GetKernelObject(handle, access);
    if (!object) return nullptr;
    auto typed = std::dynamic_pointer_cast<T>(object);
    if (!typed) SetLastError(ERROR_INVALID_HANDLE);
    return typed;
}

// The lock under which every waitable object keeps its state.
std::mutex& WaitLock();
// Wakes the waits registered on the object so that they check it again. Call
// after a change of its state (made under WaitLock()), with or without
// WaitLock() held.
void NotifyObjectWaiters(KernelObject& object);
// Registers a wait on the objects before it first looks at them, and ends it.
// With WaitLock() held or not; a registered wait is woken by changes of its
// objects and by NotifyWaiters.
void RegisterObjectWaiter(ObjectWaiter& waiter, const std::vector<std::shared_ptr<KernelObject>>& objects);
void UnregisterObjectWaiter(ObjectWaiter& waiter, const std::vector<std::shared_ptr<KernelObject>>& objects);
// A slot naming the wait of one thread (its message queue's, while the thread
// waits on objects and messages together): set and cleared by that thread,
// woken by any other when the queue gets input. Null when no wait runs.
void SetWaiterSlot(ObjectWaiter*& slot, ObjectWaiter* waiter);
void WakeWaiterSlot(ObjectWaiter* const& slot);
// Wakes every wait, registered or not (a thread was suspended, resumed,
// parked or ended). Call after a change of state, with or without WaitLock()
// held.
void NotifyWaiters();
// Sleeps on the wait condition (WaitLock() held through `lock`) until
// NotifyWaiters or the deadline; spurious wake-ups happen, so check again.
void WaitForChange(std::unique_lock<std::mutex>& lock);
void WaitForChangeUntil(std::unique_lock<std::mutex>& lock, std::chrono::steady_clock::time_point deadline);

// The process's object names. Mutexes, events and mappings share one
// namespace, as they do under Windows. Hold NameLock() around a look-up and the
// registration that follows it; an object that registered a name unregisters
// it in its destructor (also under NameLock()).
std::recursive_mutex& NameLock();
std::shared_ptr<KernelObject> FindNamedObject(const std::u16string& name);
void RegisterNamedObject(const std::u16string& name, const std::shared_ptr<KernelObject>& object);
void UnregisterNamedObject(const std::u16string& name, const KernelObject* object);

}  // namespace platform
