#include "platform/core/MultimediaTimer.h"

#include "platform/core/Time.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <map>
#include <mutex>
#include <thread>

#include <sys/timerfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace {

constexpr UINT kMaxDelayMs = 1000000;
// A callback that keeps running this long is stuck; the killer stops waiting.
constexpr auto kKillWait = std::chrono::seconds(5);

using Clock = std::chrono::steady_clock;

class TimerQueue {
public:
    MMRESULT Add(UINT delayMs, LPTIMECALLBACK callback, DWORD_PTR user, bool periodic)
    {
        std::lock_guard<std::mutex> guard(m_lock);
        // Ids are not reused while a callback of an old timer may still run.
        UINT id = m_nextId++;
        while (id == 0 || id == m_running || m_timers.count(id) != 0) id = m_nextId++;
        const Clock::time_point due = Clock::now() + std::chrono::milliseconds(delayMs);
        if (!m_threadStarted) {
            m_alarm = ::timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC);
            if (m_alarm < 0) return 0;
            std::thread(&TimerQueue::Run, this).detach();
            m_threadStarted = true;
        }
        m_timers[id] = Timer{due, delayMs, periodic, callback, user, ++m_serial};
        // The kernel's alarm is set from here: the timer thread sleeps on
        // until the first timer is due instead of waking to learn of each new one.
        if (!m_armed || due < m_armedFor) Arm(due);
        return id;
    }

    MMRESULT Kill(UINT id)
    {
        std::unique_lock<std::mutex> lock(m_lock);
        const auto it = m_timers.find(id);
        if (it == m_timers.end()) return MMSYSERR_INVALPARAM;
        // The alarm may stay set for the killed timer: the thread then wakes
        // once, finds nothing due and sets it for the next.
        m_timers.erase(it);
        if (m_running != id || std::this_thread::get_id() == m_threadId) return TIMERR_NOERROR;
        if (!m_changed.wait_for(lock, kKillWait, [&] { return m_running != id; })) {
            std::fprintf(stderr, "multimedia timer %u: callback still running after kill\n", id);
            return MMSYSERR_ERROR;
        }
        return TIMERR_NOERROR;
    }

private:
    struct Timer {
        Clock::time_point due;
        UINT periodMs = 0;
        bool periodic = false;
        LPTIMECALLBACK callback = nullptr;
        DWORD_PTR user = 0;
        unsigned long long serial = 0;
    };

    // Sets the alarm for an absolute time (under the lock).
    void Arm(Clock::time_point due)
    {
        const auto since = std::chrono::duration_cast<std::chrono::nanoseconds>(due.time_since_epoch()).count();
        itimerspec when{};
        // A time already past still fires: zero would disarm.
        const std::int64_t at = std::max<std::int64_t>(since, 1);
        when.it_value.tv_sec = static_cast<time_t>(at / 1000000000);
        when.it_value.tv_nsec = static_cast<long>(at % 1000000000);
        ::timerfd_settime(m_alarm, TFD_TIMER_ABSTIME, &when, nullptr);
        m_armed = true;
        m_armedFor = due;
    }

    void Run()
    {
        std::unique_lock<std::mutex> lock(m_lock);
        m_threadId = std::this_thread::get_id();
        for (;;) {
            // Every timer that is due runs; then the alarm is set for the next.
            auto next = m_timers.end();
            for (auto it = m_timers.begin(); it != m_timers.end(); ++it) {
                if (next == m_timers.end() || it->second.due < next->second.due) next = it;
            }
            if (next == m_timers.end() || next->second.due > Clock::now()) {
                if (next == m_timers.end()) {
                    const itimerspec off{};
                    ::timerfd_settime(m_alarm, 0, &off, nullptr);
                    m_armed = false;
                } else {
                    Arm(next->second.due);
                }
                lock.unlock();
                std::uint64_t expirations = 0;
                while (::read(m_alarm, &expirations, sizeof expirations) < 0 && errno == EINTR) {
                }
                lock.lock();
                continue;
            }
            const UINT id = next->first;
            const Timer timer = next->second;
            m_running = id;
            lock.unlock();
            try {
                timer.callback(id, 0, timer.user, 0, 0);
            } catch (...) {
                std::fprintf(stderr, "multimedia timer %u: callback ended by an exception\n", id);
            }
            lock.lock();
            m_running = 0;
            m_changed.notify_all();
            const auto it = m_timers.find(id);
            if (it == m_timers.end() || it->second.serial != timer.serial) continue;  // killed meanwhile
            if (!timer.periodic) {
                m_timers.erase(it);
                continue;
            }
            // A callback slower than the period makes the next one due at once, without a burst.
            it->second.due = std::max(timer.due + std::chrono::milliseconds(timer.periodMs), Clock::now());
        }
    }

    std::mutex m_lock;
    std::condition_variable m_changed;
    std::map<UINT, Timer> m_timers;
    UINT m_nextId = 1;
    UINT m_running = 0;
    unsigned long long m_serial = 0;
    bool m_threadStarted = false;
    int m_alarm = -1;  // the kernel timer the thread sleeps on
    bool m_armed = false;
    Clock::time_point m_armedFor{};
    std::thread::id m_threadId;
};

// Never destroyed: its thread runs until the process ends.
TimerQueue& Queue()
{
    static auto* queue = new TimerQueue;
    return *queue;
}

}  // namespace

MMRESULT timeSetEvent(UINT delayMs, UINT /*resolutionMs*/, LPTIMECALLBACK callback, DWORD_PTR user, UINT flags)
{
    if (delayMs == 0 || delayMs > kMaxDelayMs || callback == nullptr) return 0;
    if (flags & (TIME_CALLBACK_EVENT_SET | TIME_CALLBACK_EVENT_PULSE)) return 0;
    return Queue().Add(delayMs, callback, user, (flags & TIME_PERIODIC) != 0);
}

MMRESULT timeKillEvent(UINT timerId) { return timerId == 0 ? MMSYSERR_INVALPARAM : Queue().Kill(timerId); }

MMRESULT timeBeginPeriod(UINT periodMs) { return periodMs == 0 ? TIMERR_NOCANDO : TIMERR_NOERROR; }

MMRESULT timeEndPeriod(UINT periodMs) { return periodMs == 0 ? TIMERR_NOCANDO : TIMERR_NOERROR; }

DWORD timeGetTime() { return GetTickCount(); }
