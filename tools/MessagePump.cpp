#include "tools/MessagePump.h"

#include "platform/core/Messages.h"

namespace {

bool MessageWaiting()
{
    MSG msg;
    return PeekMessageW(&msg, HWND(), 0, 0, PM_NOREMOVE) != FALSE;
}

}  // namespace

void PumpAllMessages()
{
    platform::PumpPendingMessages();
}

void PumpMessages(int nCount)
{
    const int limit = nCount < 1 ? 1 : nCount;
    for (int i = 0; i < limit; ++i) {
        if (!MessageWaiting()) return;
        // False: a quit is pending and stays queued for the outer loop.
        if (!platform::PumpOneMessage()) return;
    }
}

void ResumeFully(HANDLE hThread)
{
    // The count is bounded by MAXIMUM_SUSPEND_COUNT; the bound guards against a fault.
    for (DWORD i = 0; i <= MAXIMUM_SUSPEND_COUNT + 1; ++i) {
        const DWORD previous = ResumeThread(hThread);
        if (previous == static_cast<DWORD>(-1) || previous <= 1) return;
    }
}
