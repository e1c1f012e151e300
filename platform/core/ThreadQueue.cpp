#include "platform/core/ThreadQueue.h"

#include "platform/core/KernelObject.h"
#include "platform/core/Time.h"
#include "platform/core/WindowRegistry.h"

#include <algorithm>
#include <cstdio>
#include <queue>
#include <thread>
#include <unordered_map>
#include <vector>

namespace platform::detail {

namespace {

// One thread for the process posts WM_TIMER when timers come due, so that
// neither the headless loop nor a toolkit's loop needs timers of its own.
class TimerService {
public:
    static TimerService& Instance()
    {
        // Never destroyed: its thread may still wait while statics are torn down.
        static auto* service = new TimerService;
        return *service;
    }

    void Schedule(Clock::time_point due, std::weak_ptr<ThreadQueue> queue, HWND hwnd, UINT_PTR id,
                  std::uint64_t serial)
    {
        {
            std::lock_guard lock(m_mutex);
            if (!m_started) {
                std::thread([this] { Run(); }).detach();
                m_started = true;
            }
            m_heap.push(Entry{due, m_order++, std::move(queue), hwnd, id, serial});
        }
        m_changed.notify_one();
    }

    std::uint64_t NextSerial() { return m_serial.fetch_add(1) + 1; }

private:
    struct Entry {
        Clock::time_point when;
        std::uint64_t order;
        std::weak_ptr<ThreadQueue> queue;
        HWND hwnd;
        UINT_PTR id;
        std::uint64_t serial;
    };
    struct Later {
        bool operator()(const Entry& a, const Entry& b) const
        {
            return a.when != b.when ? a.when > b.when : a.order > b.order;
        }
    };

    void Run()
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            if (m_heap.empty()) {
                m_changed.wait(lock);
                continue;
            }
            const Clock::time_point due = m_heap.top().when;
            if (Clock::now() < due) {
                m_changed.wait_until(lock, due);
                continue;
            }
            Entry entry = m_heap.top();
            m_heap.pop();
            lock.unlock();
            UINT periodMs = 0;
            if (std::shared_ptr<ThreadQueue> queue = entry.queue.lock())
                periodMs = queue->TimerDue(entry.hwnd, entry.id, entry.serial);
            lock.lock();
            // A killed or replaced timer answers 0 and its entry ends here.
            if (periodMs != 0) {
                const auto period = std::chrono::milliseconds(periodMs);
                const Clock::time_point now = Clock::now();
                Clock::time_point next = entry.when + period;
                // A late round does not make the timer catch up with a burst.
                if (next <= now)
                    next = now + period;
                entry.when = next;
                entry.order = m_order++;
                m_heap.push(std::move(entry));
            }
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::priority_queue<Entry, std::vector<Entry>, Later> m_heap;
    std::uint64_t m_order = 0;
    std::atomic<std::uint64_t> m_serial{0};
    bool m_started = false;
};

struct QueueDirectory {
    std::mutex mutex;
    std::unordered_map<DWORD, std::weak_ptr<ThreadQueue>> queues;
};

QueueDirectory& Directory()
{
    static auto* directory = new QueueDirectory;
    return *directory;
}

// Ends the thread's queue and its windows when the thread ends.
struct QueueHolder {
    std::shared_ptr<ThreadQueue> queue;

    ~QueueHolder()
    {
        if (!queue)
            return;
        std::vector<std::unique_ptr<IWindowPeer>> peers = WindowRegistry::Instance().RemoveAllOf(queue.get());
        queue->Shutdown();
        {
            QueueDirectory& directory = Directory();
            std::lock_guard lock(directory.mutex);
            auto it = directory.queues.find(queue->ThreadId());
            if (it != directory.queues.end() && it->second.lock() == queue)
                directory.queues.erase(it);
        }
        peers.clear();
    }
};

thread_local QueueHolder t_holder;
thread_local int t_waitDepth = 0;

}  // namespace

DWORD TickNow()
{
    return GetTickCount();
}

ThreadQueue::ThreadQueue(DWORD threadId) : m_threadId(threadId) {}

void ThreadQueue::Wake()
{
    // Only the owning thread sleeps on the queue.
    m_changed.notify_one();
    if (m_handleWaiters.load() > 0) {
        // The waiter checks the queue under the wait lock and sleeps on it:
        // passing through the lock first means it is either still to check
        // or already asleep and reached by the notification.
        { std::lock_guard lock(platform::WaitLock()); }
        platform::WakeWaiterSlot(m_handleWaiter);
    }
    WakeDispatcher();
}

void ThreadQueue::WakeDispatcher()
{
    if (m_dispatcher.load() == nullptr)
        return;
    std::lock_guard lock(m_dispatcherMutex);
    if (IMessageDispatcher* dispatcher = m_dispatcher.load())
        dispatcher->Wake();
}

void ThreadQueue::BeginHandleWait(platform::ObjectWaiter& waiter)
{
    platform::SetWaiterSlot(m_handleWaiter, &waiter);
    ++m_handleWaiters;
}

void ThreadQueue::EndHandleWait()
{
    --m_handleWaiters;
    platform::SetWaiterSlot(m_handleWaiter, nullptr);
}

bool ThreadQueue::Post(const MSG& msg)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_dead)
            return false;
        m_posted.push_back(Posted{msg, false});
        ++m_version;
    }
    Wake();
    return true;
}

bool ThreadQueue::PostQuit(int exitCode)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_dead)
            return false;
        m_quit = true;
        m_quitCode = exitCode;
        ++m_version;
    }
    Wake();
    return true;
}

bool ThreadQueue::QueueSend(const std::shared_ptr<SendRequest>& request)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_dead)
            return false;
        m_sends.push_back(request);
        ++m_version;
    }
    Wake();
    return true;
}

bool ThreadQueue::WithdrawSend(const SendRequest& request)
{
    std::lock_guard lock(m_mutex);
    auto it = std::find_if(m_sends.begin(), m_sends.end(), [&](const auto& r) { return r.get() == &request; });
    if (it == m_sends.end())
        return false;
    m_sends.erase(it);
    return true;
}

void ThreadQueue::CompleteSend(SendRequest& request, LRESULT result)
{
    {
        std::lock_guard lock(m_mutex);
        request.result = result;
        request.state.store(SendRequest::kDone);
    }
    m_changed.notify_all();
}

void ThreadQueue::Answer(const std::shared_ptr<SendRequest>& request)
{
    const LRESULT result = DeliverToWindow(request->hwnd, request->message, request->wParam, request->lParam);
    request->sender->CompleteSend(*request, result);
}

bool ThreadQueue::AnswerOneSend()
{
    std::shared_ptr<SendRequest> request;
    {
        std::lock_guard lock(m_mutex);
        if (m_sends.empty())
            return false;
        request = std::move(m_sends.front());
        m_sends.pop_front();
        request->state.store(SendRequest::kRunning);
    }
    Answer(request);
    return true;
}

ThreadQueue::Next ThreadQueue::AnswerOrTake(MSG* msg, HWND filter, UINT filterMin, UINT filterMax,
                                            std::uint64_t* version)
{
    std::shared_ptr<SendRequest> request;
    {
        std::lock_guard lock(m_mutex);
        if (m_sends.empty()) {
            if (TakeLocked(msg, filter, filterMin, filterMax, true, true))
                return Next::kMessage;
            *version = m_version;
            return Next::kNothing;
        }
        request = std::move(m_sends.front());
        m_sends.pop_front();
        request->state.store(SendRequest::kRunning);
    }
    Answer(request);
    return Next::kAnsweredSend;
}

bool ThreadQueue::Matches(const MSG& msg, HWND filter, UINT filterMin, UINT filterMax)
{
    if (filter && msg.hwnd != filter)
        return false;
    if ((filterMin != 0 || filterMax != 0) && (msg.message < filterMin || msg.message > filterMax))
        return false;
    return true;
}

bool ThreadQueue::Take(MSG* msg, HWND filter, UINT filterMin, UINT filterMax, bool remove, bool includeQuit)
{
    std::lock_guard lock(m_mutex);
    return TakeLocked(msg, filter, filterMin, filterMax, remove, includeQuit);
}

bool ThreadQueue::TakeLocked(MSG* msg, HWND filter, UINT filterMin, UINT filterMax, bool remove, bool includeQuit)
{
    for (auto it = m_posted.begin(); it != m_posted.end(); ++it) {
        if (!Matches(it->msg, filter, filterMin, filterMax))
            continue;
        *msg = it->msg;
        if (remove) {
            if (it->timer) {
                auto timer = m_timers.find(TimerKey{it->msg.hwnd.Value(), it->msg.wParam});
                if (timer != m_timers.end())
                    timer->second.pending = false;
            }
            if (it == m_posted.begin())
                m_posted.pop_front();
            else
                m_posted.erase(it);
        }
        return true;
    }
    // The quit comes whatever the filter, once nothing else is left.
    if (includeQuit && m_quit) {
        *msg = MSG{};
        msg->message = WM_QUIT;
        msg->wParam = static_cast<WPARAM>(m_quitCode);
        msg->time = TickNow();
        if (remove)
            m_quit = false;
        return true;
    }
    return false;
}

bool ThreadQueue::TakeQuit(int* exitCode)
{
    std::lock_guard lock(m_mutex);
    if (!m_quit)
        return false;
    m_quit = false;
    if (exitCode)
        *exitCode = m_quitCode;
    return true;
}

bool ThreadQueue::HasInput(DWORD wakeMask)
{
    const bool posts = (wakeMask & (QS_POSTMESSAGE | QS_ALLPOSTMESSAGE)) != 0;
    const bool timers = (wakeMask & QS_TIMER) != 0;
    std::lock_guard lock(m_mutex);
    if (posts && m_quit)
        return true;
    return std::any_of(m_posted.begin(), m_posted.end(), [&](const Posted& p) { return p.timer ? timers : posts; });
}

bool ThreadQueue::HasSends()
{
    std::lock_guard lock(m_mutex);
    return !m_sends.empty();
}

std::size_t ThreadQueue::PostedCount()
{
    std::lock_guard lock(m_mutex);
    return m_posted.size();
}

bool ThreadQueue::QuitPending()
{
    std::lock_guard lock(m_mutex);
    return m_quit;
}

std::uint64_t ThreadQueue::Version()
{
    std::lock_guard lock(m_mutex);
    return m_version;
}

void ThreadQueue::WaitForChange(std::uint64_t seen, std::optional<Clock::time_point> deadline)
{
    std::unique_lock lock(m_mutex);
    const auto changed = [&] { return m_version != seen; };
    if (deadline)
        m_changed.wait_until(lock, *deadline, changed);
    else
        m_changed.wait(lock, changed);
}

void ThreadQueue::WaitForReply(const SendRequest& request, std::optional<Clock::time_point> deadline)
{
    std::unique_lock lock(m_mutex);
    const auto ready = [&] { return request.state.load() == SendRequest::kDone || !m_sends.empty(); };
    if (deadline)
        m_changed.wait_until(lock, *deadline, ready);
    else
        m_changed.wait(lock, ready);
}

UINT_PTR ThreadQueue::SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc)
{
    const UINT periodMs = std::clamp(elapseMs, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM);
    TimerService& service = TimerService::Instance();
    const std::uint64_t serial = service.NextSerial();
    {
        std::lock_guard lock(m_mutex);
        if (m_dead)
            return 0;
        // A new thread timer gets an id of its own, unused among the thread's
        // timers; the id of a live one resets it.
        if (!hwnd && (id == 0 || m_timers.count(TimerKey{0, id}) == 0)) {
            do {
                id = ++m_nextThreadTimerId;
            } while (id == 0 || m_timers.count(TimerKey{0, id}) != 0);
        }
        Timer& timer = m_timers[TimerKey{hwnd.Value(), id}];
        timer.periodMs = periodMs;
        timer.serial = serial;
        timer.proc = proc;
    }
    service.Schedule(Clock::now() + std::chrono::milliseconds(periodMs), weak_from_this(), hwnd, id, serial);
    return id != 0 ? id : 1;
}

bool ThreadQueue::KillTimer(HWND hwnd, UINT_PTR id)
{
    std::lock_guard lock(m_mutex);
    if (m_timers.erase(TimerKey{hwnd.Value(), id}) == 0)
        return false;
    // A WM_TIMER already queued for it goes too.
    std::erase_if(m_posted,
                  [&](const Posted& p) { return p.timer && p.msg.hwnd == hwnd && p.msg.wParam == id; });
    return true;
}

bool ThreadQueue::HasTimerProc(HWND hwnd, UINT_PTR id, TIMERPROC proc)
{
    std::lock_guard lock(m_mutex);
    auto it = m_timers.find(TimerKey{hwnd.Value(), id});
    return proc != nullptr && it != m_timers.end() && it->second.proc == proc;
}

UINT ThreadQueue::TimerDue(HWND hwnd, UINT_PTR id, std::uint64_t serial)
{
    UINT periodMs = 0;
    bool posted = false;
    {
        std::lock_guard lock(m_mutex);
        if (m_dead)
            return 0;
        auto it = m_timers.find(TimerKey{hwnd.Value(), id});
        if (it == m_timers.end() || it->second.serial != serial)
            return 0;
        Timer& timer = it->second;
        periodMs = timer.periodMs;
        if (!timer.pending) {
            MSG msg;
            msg.hwnd = hwnd;
            msg.message = WM_TIMER;
            msg.wParam = id;
            msg.lParam = reinterpret_cast<LPARAM>(timer.proc);
            msg.time = TickNow();
            m_posted.push_back(Posted{msg, true});
            timer.pending = true;
            ++m_version;
            posted = true;
        }
    }
    if (posted)
        Wake();
    return periodMs;
}

void ThreadQueue::PurgeWindow(HWND hwnd)
{
    std::vector<std::shared_ptr<SendRequest>> orphans;
    {
        std::lock_guard lock(m_mutex);
        std::erase_if(m_posted, [&](const Posted& p) { return p.msg.hwnd == hwnd; });
        std::erase_if(m_timers, [&](const auto& entry) { return entry.first.hwnd == hwnd.Value(); });
        for (auto it = m_sends.begin(); it != m_sends.end();) {
            if ((*it)->hwnd == hwnd) {
                orphans.push_back(std::move(*it));
                it = m_sends.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (const auto& request : orphans)
        request->sender->CompleteSend(*request, 0);
}

void ThreadQueue::Shutdown()
{
    std::deque<std::shared_ptr<SendRequest>> orphans;
    {
        std::lock_guard lock(m_mutex);
        m_dead = true;
        m_posted.clear();
        m_timers.clear();
        m_quit = false;
        orphans.swap(m_sends);
    }
    {
        std::lock_guard lock(m_dispatcherMutex);
        m_dispatcher = nullptr;
    }
    for (const auto& request : orphans)
        request->sender->CompleteSend(*request, 0);
}

IMessageDispatcher* ThreadQueue::SetDispatcher(IMessageDispatcher* dispatcher)
{
    // Under the lock, so no Wake still runs on a dispatcher that was replaced.
    std::lock_guard lock(m_dispatcherMutex);
    return m_dispatcher.exchange(dispatcher);
}

IMessageDispatcher* ThreadQueue::Dispatcher()
{
    return m_dispatcher.load();
}

const std::shared_ptr<ThreadQueue>& CurrentQueue()
{
    if (!t_holder.queue) {
        auto queue = std::make_shared<ThreadQueue>(GetCurrentThreadId());
        QueueDirectory& directory = Directory();
        std::lock_guard lock(directory.mutex);
        directory.queues[queue->ThreadId()] = queue;
        t_holder.queue = std::move(queue);
    }
    return t_holder.queue;
}

ThreadQueue* CurrentQueueIfAny()
{
    return t_holder.queue.get();
}

std::shared_ptr<ThreadQueue> QueueOfThread(DWORD threadId)
{
    QueueDirectory& directory = Directory();
    std::lock_guard lock(directory.mutex);
    auto it = directory.queues.find(threadId);
    return it != directory.queues.end() ? it->second.lock() : nullptr;
}

void ProcessNativeEvents(ThreadQueue& queue, DWORD waitMs)
{
    IMessageDispatcher* dispatcher = queue.Dispatcher();
    if (!dispatcher)
        return;
    struct Depth {
        Depth() { ++t_waitDepth; }
        ~Depth() { --t_waitDepth; }
    } depth;
    try {
        dispatcher->ProcessNativeEvents(waitMs);
    } catch (...) {
        std::fprintf(stderr, "native event loop: exception stopped\n");
    }
}

}  // namespace platform::detail

namespace platform {

IMessageDispatcher* SetThreadDispatcher(IMessageDispatcher* dispatcher)
{
    return detail::CurrentQueue()->SetDispatcher(dispatcher);
}

bool IsInsideMessageWait()
{
    return detail::t_waitDepth > 0;
}

NativeLoopScope::NativeLoopScope() : m_savedDepth(detail::t_waitDepth)
{
    detail::t_waitDepth = 0;
}

NativeLoopScope::~NativeLoopScope()
{
    detail::t_waitDepth = m_savedDepth;
}

}  // namespace platform
