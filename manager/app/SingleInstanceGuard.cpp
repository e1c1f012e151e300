#include "manager/app/SingleInstanceGuard.h"

#include "platform/core/KernelObject.h"
#include "platform/core/LastError.h"
#include "platform/core/Synchronization.h"
#include "platform/core/WinError.h"

CSingleInstanceGuard::~CSingleInstanceGuard()
{
    if (m_mutex != nullptr) CloseHandle(m_mutex);
}

CString CSingleInstanceGuard::MutexName(const CString& appName)
{
    return CString(platform::kSharedNamePrefix) + appName;
}

CSingleInstanceGuard::Result CSingleInstanceGuard::Acquire(const CString& appName)
{
    if (m_mutex != nullptr) return Result::First;
    const CString name = MutexName(appName);
    // Not owned: the object's existence is the guard, and a mutex owned by the
    // start-up thread would be abandoned when that thread ends.
    const HANDLE mutex = CreateMutexW(nullptr, FALSE, name);
    if (mutex == nullptr) return Result::Failed;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return Result::AlreadyRunning;
    }
    m_mutex = mutex;
    return Result::First;
}
