#include "platform/core/WinThread.h"

namespace {

struct Start {
    AFX_THREADPROC routine;
    LPVOID parameter;
    CWinThread* thread;
};

DWORD WINAPI RunWinThread(LPVOID argument)
{
    const Start start = *static_cast<Start*>(argument);
    delete static_cast<Start*>(argument);
    const DWORD exitCode = start.routine(start.parameter);
    if (start.thread->m_bAutoDelete) delete start.thread;
    return exitCode;
}

}  // namespace

CWinThread::~CWinThread()
{
    if (m_hThread) CloseHandle(m_hThread);
}

DWORD CWinThread::SuspendThread() { return ::SuspendThread(m_hThread); }

DWORD CWinThread::ResumeThread() { return ::ResumeThread(m_hThread); }

BOOL CWinThread::SetThreadPriority(int priority) { return ::SetThreadPriority(m_hThread, priority); }

int CWinThread::GetThreadPriority() { return ::GetThreadPriority(m_hThread); }

CWinThread* AfxBeginThread(AFX_THREADPROC routine, LPVOID parameter, int priority, UINT stackSize,
                           DWORD creationFlags, LPSECURITY_ATTRIBUTES attributes)
{
    if (routine == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto* thread = new CWinThread;
    auto* start = new Start{routine, parameter, thread};
    // Always created suspended: the object must be complete before the routine can end and delete it.
    thread->m_hThread = CreateThread(attributes, stackSize, RunWinThread, start, CREATE_SUSPENDED, &thread->m_nThreadID);
    if (!thread->m_hThread) {
        const DWORD error = GetLastError();
        delete start;
        delete thread;
        SetLastError(error);
        return nullptr;
    }
    thread->SetThreadPriority(priority);
    if (!(creationFlags & CREATE_SUSPENDED)) thread->ResumeThread();
    return thread;
}
