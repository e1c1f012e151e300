#include "platform/core/MultimediaTimer.h"

#include "platform/core/Time.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <map>
#include <mutex>
#include <thread>

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
        m_timers[id] = Timer{Clock::now() + std::chrono::milliseconds(delayMs), delayMs, periodic, callback, user,
                             ++m_serial};
        if (!m_threadStarted) {
            std::thread(&TimerQueue::Run, this).detach();
            m_threadStarted = true;
        }
        m_changed.notify_all();
        return id;
    }

    MMRESULT Kill(UINT id)
    {
        std::unique_lock<std::mutex> lock(m_lock);
        const auto it = m_timers.find(id);
        if (it == m_timers.end()) return MMSYSERR_INVALPARAM;
        m_timers.erase(it);
        m_changed.notify_all();
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

    void Run()
    {
        std::unique_lock<std::mutex> lock(m_lock);
        m_threadId = std::this_thread::get_id();
        for (;;) {
            if (m_timers.empty()) {
                m_changed.wait(lock);
                continue;
            }
            auto next = m_timers.begin();
            for (auto it = m_timers.begin(); it != m_timers.end(); ++it) {
                if (it->second.due < next->second.due) next = it;
            }
            const Clock::time_point due = next->second.due;  // a copy: the entry may be killed while waiting
            if (due > Clock::now()) {
                m_changed.wait_until(lock, due);
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
