// Mutexes and events, unnamed or named.
//
// A name is known within this process only, unless it begins with "Global\":
// such a mutex is shared with every process of the same user (the
// single-instance guards, the locks of the shared-memory blocks). A shared
// mutex is held with flock on a file of the object folder (ObjectFolder.h),
// so a holder that dies frees it; the next owner then gets WAIT_ABANDONED.
// Events cannot be shared between processes: a "Global\" event is refused
// with ERROR_NOT_SUPPORTED.
//
// Creating a name that exists returns the existing object with
// ERROR_ALREADY_EXISTS (initial owner and initial state are then ignored); a
// name that exists as another kind of object gives ERROR_INVALID_HANDLE.
// Security attributes and access rights are accepted and ignored.
#pragma once

#include "platform/core/KernelObject.h"

#include <string_view>

HANDLE CreateMutexW(LPSECURITY_ATTRIBUTES attributes, BOOL initialOwner, LPCWSTR name);
// ERROR_FILE_NOT_FOUND when no process has the mutex open.
HANDLE OpenMutexW(DWORD access, BOOL inheritHandle, LPCWSTR name);
// Only the owner may release; each successful wait (and an initial
// ownership) counts once. ERROR_NOT_OWNER otherwise.
BOOL ReleaseMutex(HANDLE mutex);

HANDLE CreateEventW(LPSECURITY_ATTRIBUTES attributes, BOOL manualReset, BOOL initialState, LPCWSTR name);
HANDLE OpenEventW(DWORD access, BOOL inheritHandle, LPCWSTR name);
// A manual-reset event releases every waiter and stays set; an auto-reset
// event releases exactly one waiter and resets itself.
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);

inline HANDLE CreateMutex(LPSECURITY_ATTRIBUTES a, BOOL owner, LPCWSTR name) { return CreateMutexW(a, owner, name); }
inline HANDLE OpenMutex(DWORD access, BOOL inherit, LPCWSTR name) { return OpenMutexW(access, inherit, name); }
inline HANDLE CreateEvent(LPSECURITY_ATTRIBUTES a, BOOL manual, BOOL state, LPCWSTR name)
{
    return CreateEventW(a, manual, state, name);
}
inline HANDLE OpenEvent(DWORD access, BOOL inherit, LPCWSTR name) { return OpenEventW(access, inherit, name); }

namespace platform {

// Names with this prefix are shared with the user's other processes.
inline constexpr std::u16string_view kSharedNamePrefix = u"Global\\";
bool IsSharedName(std::u16string_view name);

// Whether the calling thread owns any mutex (a safe point never parks it then).
bool ThreadOwnsMutexes();
// Leaves every mutex the calling thread owns abandoned; done when a thread ends.
void AbandonThreadMutexes();

}  // namespace platform
