#include "manager/core/StatusPoller.h"

#include "manager/core/SystemHelpers.h"
#include "platform/core/Messages.h"
#include "platform/core/Synchronization.h"
#include "platform/core/Thread.h"
#include "platform/core/Time.h"

#include <cstdio>

namespace {

constexpr char16_t kStopEventName[] = u"DataManagerStopEvent";

}  // namespace

CStatusPoller::CStatusPoller(std::shared_ptr<StatusCells> cells, DWORD parkTimeoutMs)
    : m_cells(std::move(cells)), m_parkTimeoutMs(parkTimeoutMs)
{
    // Set while no cycle runs, so that nobody waits on a poll that never began.
    m_stopEvent = CreateEventW(nullptr, TRUE, TRUE, kStopEventName);
    if (m_stopEvent) SetEvent(m_stopEvent);
    m_thread = CreateThread(nullptr, 0, &CStatusPoller::ThreadMain, this, CREATE_SUSPENDED, nullptr);
}

CStatusPoller::~CStatusPoller()
{
    Stop();
    if (m_thread) CloseHandle(m_thread);
    if (m_stopEvent) CloseHandle(m_stopEvent);
}

DWORD WINAPI CStatusPoller::ThreadMain(LPVOID parameter)
{
    static_cast<CStatusPoller*>(parameter)->Run();
    return 0;
}

void CStatusPoller::Run()
{
    m_alive = true;
    PollFailureCounter failures;
    std::uint32_t generation = m_targetGeneration.load();
    while (!m_stop.load()) {
        if (m_stopEvent) ResetEvent(m_stopEvent);
        m_cycleRunning = true;
        m_cycles.fetch_add(1);
        IPollTarget* target = m_target.load();
        m_cycleTarget = target;
        const std::uint32_t now = m_targetGeneration.load();
        if (now != generation) {
            failures.Reset();
            generation = now;
        }
        if (target && m_cells) target->PollCycle(failures, *m_cells, m_leaveCycle);
        m_cycleTarget = nullptr;
        m_cycleRunning = false;
        if (m_stopEvent) SetEvent(m_stopEvent);
        // The one place the thread parks: between two whole cycles.
        if (!m_stop.load()) platform::SleepAtSafePoint(kPollIntervalMs);
    }
    m_alive = false;
}

bool CStatusPoller::WaitParked()
{
    if (!m_thread) return true;
    bool cut = false;
    DWORD start = GetTickCount();
    while (!platform::WaitUntilParked(m_thread, 1)) {
        // The query in flight gets its reply through this thread's messages.
        PumpMessages(1);
        if (GetTickCount() - start < m_parkTimeoutMs) continue;
        if (cut) {
            std::fprintf(stderr, "status poll: not parked in time\n");
            return false;
        }
        if (IPollTarget* busy = m_cycleTarget.load()) busy->CancelQuery();
        cut = true;
        start = GetTickCount();
    }
    return true;
}

bool CStatusPoller::Pause()
{
    Suspend();
    return WaitParked();
}

void CStatusPoller::Suspend()
{
    if (!m_thread || m_suspended) return;
    // A cycle that waits for its turn (a window holds the link) would keep
    // the thread from parking for as long as the hold lasts.
    m_leaveCycle = true;
    SuspendThread(m_thread);
    m_suspended = true;
}

void CStatusPoller::Resume()
{
    if (!m_thread || !m_suspended) return;
    m_leaveCycle = m_stop.load();
    ResumeThread(m_thread);
    m_suspended = false;
    m_started = true;
}

bool CStatusPoller::SetTarget(IPollTarget* target)
{
    if (m_target.load() == target) return true;
    bool parked = true;
    if (m_started && !m_suspended) parked = Pause();
    else if (m_started) parked = WaitParked();
    m_target = target;
    m_targetGeneration.fetch_add(1);
    return parked;
}

bool CStatusPoller::Stop()
{
    if (!m_thread) return true;
    m_stop = true;
    m_leaveCycle = true;
    if (m_suspended) {
        ResumeThread(m_thread);
        m_suspended = false;
    }
    bool cut = false;
    DWORD start = GetTickCount();
    for (;;) {
        const DWORD result = MsgWaitForMultipleObjects(1, &m_thread, FALSE, 5, QS_ALLINPUT);
        if (result == WAIT_OBJECT_0) return true;
        PumpMessages(1);
        if (GetTickCount() - start < m_parkTimeoutMs) continue;
        if (cut) {
            std::fprintf(stderr, "status poll: thread did not end in time\n");
            return false;
        }
        if (IPollTarget* busy = m_cycleTarget.load()) busy->CancelQuery();
        cut = true;
        start = GetTickCount();
    }
}
