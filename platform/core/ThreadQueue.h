// Internal to the message layer: the message queue of one thread.
//
// Posted messages wait in order; sends from other threads wait in a list of
// their own that is answered before any posted message. A window timer lives
// in the queue of the window's thread; one service thread for the process
// posts WM_TIMER when a timer is due and none of it is pending.
#pragma once

#include "platform/core/KernelObject.h"
#include "platform/core/MessageDispatcher.h"
#include "platform/core/Messages.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

namespace platform::detail {

using Clock = std::chrono::steady_clock;

class ThreadQueue;

// A message sent from one thread to a window of another.
struct SendRequest {
    enum State : int { kQueued, kRunning, kDone };

    HWND hwnd;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    std::shared_ptr<ThreadQueue> sender;
    // Queued -> Running under the target queue's lock, -> Done under the
    // sender queue's lock.
    std::atomic<int> state{kQueued};
    LRESULT result = 0;
};

// Message times: the tick count.
DWORD TickNow();

class ThreadQueue : public std::enable_shared_from_this<ThreadQueue> {
public:
    explicit ThreadQueue(DWORD threadId);
    ThreadQueue(const ThreadQueue&) = delete;
    ThreadQueue& operator=(const ThreadQueue&) = delete;

    DWORD ThreadId() const { return m_threadId; }

    // Any thread. False once the queue's thread has ended.
    bool Post(const MSG& msg);
    bool PostQuit(int exitCode);
    bool QueueSend(const std::shared_ptr<SendRequest>& request);
    // Withdraws a send that has not begun; false when it has begun or ended.
    bool WithdrawSend(const SendRequest& request);
    // Called by the handling thread on the sender's queue.
    void CompleteSend(SendRequest& request, LRESULT result);

    // Owning thread only.
    // Answers one waiting send; false when there was none.
    bool AnswerOneSend();
    // One step of a blocking wait, under one lock: answers a waiting send, or
    // takes the first matching message (the quit included), or tells the
    // version to wait on.
    enum class Next { kNothing, kAnsweredSend, kMessage };
    Next AnswerOrTake(MSG* msg, HWND filter, UINT filterMin, UINT filterMax, std::uint64_t* version);
    // The first matching posted message, else the pending quit when
    // includeQuit is set (as WM_QUIT with the exit code).
    bool Take(MSG* msg, HWND filter, UINT filterMin, UINT filterMax, bool remove, bool includeQuit);
    bool TakeQuit(int* exitCode);
    bool HasInput(DWORD wakeMask);
    bool HasSends();
    std::size_t PostedCount();
    bool QuitPending();
    // A counter that changes whenever something is queued.
    std::uint64_t Version();
    // Sleeps until the version differs from seen or the deadline passes.
    void WaitForChange(std::uint64_t seen, std::optional<Clock::time_point> deadline);
    // Sleeps until the request is done, a send arrives, or the deadline passes.
    void WaitForReply(const SendRequest& request, std::optional<Clock::time_point> deadline);

    UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc);
    bool KillTimer(HWND hwnd, UINT_PTR id);
    bool HasTimerProc(HWND hwnd, UINT_PTR id, TIMERPROC proc);
    // Timer service: posts WM_TIMER unless one is pending; returns the period
    // for the next round, 0 when the timer is gone.
    UINT TimerDue(HWND hwnd, UINT_PTR id, std::uint64_t serial);

    // Drops everything of a destroyed window: posts, timers, and sends (which
    // are answered with 0).
    void PurgeWindow(HWND hwnd);
    // The thread ended: everything waiting is dropped or answered with 0.
    void Shutdown();

    IMessageDispatcher* SetDispatcher(IMessageDispatcher* dispatcher);
    IMessageDispatcher* Dispatcher();

    // While the owning thread waits on kernel objects and messages together,
    // whatever is queued also wakes that wait.
    void BeginHandleWait(platform::ObjectWaiter& waiter);
    void EndHandleWait();
    // Any thread: wakes the dispatcher's thread (an object it waits on changed).
    void WakeDispatcher();

private:
    struct Posted {
        MSG msg;
        bool timer = false;
    };
    struct TimerKey {
        std::uint64_t hwnd;
        UINT_PTR id;
        friend auto operator<=>(const TimerKey&, const TimerKey&) = default;
    };
    struct Timer {
        UINT periodMs = 0;
        std::uint64_t serial = 0;
        TIMERPROC proc = nullptr;
        bool pending = false;
    };

    // Called after something was queued, without m_mutex held.
    void Wake();
    bool TakeLocked(MSG* msg, HWND filter, UINT filterMin, UINT filterMax, bool remove, bool includeQuit);
    void Answer(const std::shared_ptr<SendRequest>& request);
    static bool Matches(const MSG& msg, HWND filter, UINT filterMin, UINT filterMax);

    const DWORD m_threadId;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Posted> m_posted;
    std::deque<std::shared_ptr<SendRequest>> m_sends;
    std::map<TimerKey, Timer> m_timers;
    UINT_PTR m_nextThreadTimerId = 0x7F00;
    std::uint64_t m_version = 0;
    bool m_quit = false;
    int m_quitCode = 0;
    bool m_dead = false;

    std::mutex m_dispatcherMutex;
    // Read without the lock first, so a thread without one pays nothing.
    std::atomic<IMessageDispatcher*> m_dispatcher{nullptr};
    std::atomic<int> m_handleWaiters{0};
    platform::ObjectWaiter* m_handleWaiter = nullptr;
};

// The calling thread's queue, created on first use; it lives until the thread
// ends (the reference is the thread's own, so using it costs no count).
const std::shared_ptr<ThreadQueue>& CurrentQueue();
// The calling thread's queue when it has one.
ThreadQueue* CurrentQueueIfAny();
std::shared_ptr<ThreadQueue> QueueOfThread(DWORD threadId);

// Calls the window of the calling thread (handle checked); 0 when it is gone.
// time is the message's time; 0 for a sent message, which takes the time of
// the last message retrieved.
LRESULT DeliverToWindow(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, DWORD time = 0);

// Lets the thread's dispatcher process native events for a pumping wait;
// a Wake that arrives meanwhile dispatches nothing (the wait retrieves the
// messages itself).
void ProcessNativeEvents(ThreadQueue& queue, DWORD waitMs);

// PreTranslateMessage of the message's window and its parents; true when one
// of them took the message.
bool PreTranslateChain(MSG* msg);

}  // namespace platform::detail
