// Refuses a second manager of the same user: a mutex shared between the
// user's processes, named after the application, held for the life of the
// process (the system frees it when the process ends, however it ends).
#pragma once

#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

class CSingleInstanceGuard {
public:
    CSingleInstanceGuard() = default;
    ~CSingleInstanceGuard();
    CSingleInstanceGuard(const CSingleInstanceGuard&) = delete;
    CSingleInstanceGuard& operator=(const CSingleInstanceGuard&) = delete;

    enum class Result { First, AlreadyRunning, Failed };
    // Creates the mutex "Global\<appName>" and keeps it. Creating and testing
    // are one step, so two programs started together cannot both pass.
    // AlreadyRunning when another process (or an earlier guard of this one)
    // has it; Failed when it cannot be made (then the caller may go on).
    Result Acquire(const CString& appName);
    bool IsHeld() const { return m_mutex != nullptr; }

    static CString MutexName(const CString& appName);

private:
    HANDLE m_mutex = nullptr;
};
