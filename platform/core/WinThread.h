// A worker thread object in the shape the windows' code expects:
// AfxBeginThread starts a routine and returns a CWinThread that owns the
// thread's handle. With m_bAutoDelete (the default) the object deletes itself
// when the routine returns; to keep it (and wait on m_hThread), start the
// thread with CREATE_SUSPENDED, clear m_bAutoDelete, then ResumeThread.
#pragma once

#include "platform/core/Thread.h"

using AFX_THREADPROC = UINT (*)(LPVOID);

class CWinThread {
public:
    CWinThread() = default;
    virtual ~CWinThread();
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;

    DWORD SuspendThread();
    DWORD ResumeThread();
    BOOL SetThreadPriority(int priority);
    int GetThreadPriority();
    operator HANDLE() const { return m_hThread; }

    HANDLE m_hThread = nullptr;
    DWORD m_nThreadID = 0;
    BOOL m_bAutoDelete = TRUE;
};

// Null when the thread could not be started (the last error says why).
CWinThread* AfxBeginThread(AFX_THREADPROC routine, LPVOID parameter, int priority = THREAD_PRIORITY_NORMAL,
                           UINT stackSize = 0, DWORD creationFlags = 0, LPSECURITY_ATTRIBUTES attributes = nullptr);
