// The process's one status-polling thread. About every 100 ms it runs one
// cycle of queries for its target (the current data manager) and then sleeps.
//
// Pausing is the platform's cooperative suspend: the thread parks only at the
// sleep between two cycles, never inside a query, so a paused poll holds no
// command of the engine, no busy flag and no lock. A cycle asked to pause
// ends before its next query. Pause waits, pumping the
// calling thread's messages (the query in flight gets its reply through
// them), until the thread is parked; every wait is bounded, and a query that
// will not end is cut short through its target.
//
// The thread is created suspended: it runs its first cycle only after the
// first Resume. The named manual-reset event "DataManagerStopEvent" is reset
// while a cycle runs and set between cycles.
#pragma once

#include "manager/core/PollFailureCounter.h"
#include "manager/core/StatusCells.h"
#include "platform/core/Thread.h"
#include "platform/core/WinTypes.h"

#include <atomic>
#include <cstdint>
#include <memory>

// What the thread polls.
class IPollTarget {
public:
    virtual ~IPollTarget() = default;
    // One cycle of queries, run on the poll thread. It ends early, between
    // two queries, when stop becomes true: the thread is to end or to park.
    virtual void PollCycle(PollFailureCounter& failures, StatusCells& cells, const std::atomic<bool>& stop) = 0;
    // Ends the target's query in flight at once (its engine's wait gives up).
    virtual void CancelQuery() = 0;
};

class CStatusPoller {
public:
    static constexpr DWORD kPollIntervalMs = 100;
    // Longer than one query with its whole reply time-out; then the query in
    // flight is cut short and the wait given as long again.
    static constexpr DWORD kParkTimeoutMs = 10000;

    explicit CStatusPoller(std::shared_ptr<StatusCells> cells, DWORD parkTimeoutMs = kParkTimeoutMs);
    // Stops the thread (bounded).
    ~CStatusPoller();
    CStatusPoller(const CStatusPoller&) = delete;
    CStatusPoller& operator=(const CStatusPoller&) = delete;

    bool IsCreated() const { return m_thread != HANDLE(); }
    // Resumed at least once: the thread has begun to run its cycles.
    bool HasStarted() const { return m_started; }
    bool IsSuspended() const { return m_suspended; }
    bool IsAlive() const { return m_alive.load(); }
    bool IsCycleRunning() const { return m_cycleRunning.load(); }
    // Cycles begun since the thread was made (for the process's idle checks).
    std::uint64_t CycleCount() const { return m_cycles.load(); }

    IPollTarget* Target() const { return m_target.load(); }
    // Changes the target with the thread parked, so that the old target is
    // never in a cycle afterwards; the thread stays parked (Resume goes on).
    // False when the thread could not be parked in time.
    bool SetTarget(IPollTarget* target);

    // Suspends the thread and waits until it is parked. False when it was
    // not parked in time even after its query was cut short.
    bool Pause();
    // Suspends the thread without waiting: it parks at the end of its cycle.
    void Suspend();
    void Resume();
    // Ends the thread: resumes it when suspended and waits, pumping, until
    // its routine has returned. False when it had not ended in time.
    bool Stop();

private:
    static DWORD WINAPI ThreadMain(LPVOID parameter);
    void Run();
    bool WaitParked();

    std::shared_ptr<StatusCells> m_cells;
    DWORD m_parkTimeoutMs;
    HANDLE m_thread;
    HANDLE m_stopEvent;
    std::atomic<IPollTarget*> m_target{nullptr};
    std::atomic<IPollTarget*> m_cycleTarget{nullptr};
    std::atomic<std::uint32_t> m_targetGeneration{0};  // a new target starts a new failure count
    std::atomic<bool> m_stop{false};
    // Tells the cycle in progress to end: set by Stop and Suspend.
    std::atomic<bool> m_leaveCycle{false};
    std::atomic<bool> m_alive{false};
    std::atomic<bool> m_cycleRunning{false};
    std::atomic<std::uint64_t> m_cycles{0};
    bool m_started = false;
    bool m_suspended = true;
};
