#include "platform/core/MessageDispatcher.h"
#include "platform/core/Synchronization.h"
#include "platform/core/Wnd.h"
#include "platform/core/tests/MessageTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using msgtest::kPatience;
using msgtest::kSmallRect;
using msgtest::LoopThread;
using msgtest::PumpUntil;
using msgtest::Ready;
using namespace std::chrono_literals;

constexpr UINT WM_SEQ = WM_APP + 1;
constexpr UINT WM_DOUBLE = WM_APP + 2;
constexpr UINT WM_FORWARD = WM_APP + 3;
constexpr UINT WM_LAST = WM_APP + 4;

// Handles the messages of these tests; may live on any thread.
class CWorkWnd : public CWnd {
public:
    std::mutex mutex;
    std::map<WPARAM, std::vector<LPARAM>> sequences;
    std::atomic<int> doubles{0};
    std::atomic<bool> sawLast{false};
    std::atomic<int> timers{0};
    // WM_FORWARD sends WM_DOUBLE to this window and adds 1 to its answer.
    HWND forwardTo;
    // Runs inside WM_DOUBLE before it answers.
    std::function<void()> duringDouble;

    bool Create() { return CreateEx(0, AfxRegisterWndClass(0), u"", WS_OVERLAPPEDWINDOW, kSmallRect, nullptr, 0); }

    LRESULT OnSeq(WPARAM sender, LPARAM seq)
    {
        std::lock_guard lock(mutex);
        sequences[sender].push_back(seq);
        return 0;
    }
    LRESULT OnDouble(WPARAM value, LPARAM)
    {
        if (duringDouble)
            duringDouble();
        ++doubles;
        return static_cast<LRESULT>(value) * 2;
    }
    LRESULT OnForward(WPARAM value, LPARAM) { return SendMessageW(forwardTo, WM_DOUBLE, value, 0) + 1; }
    LRESULT OnLast(WPARAM, LPARAM)
    {
        sawLast = true;
        return 0;
    }
    void OnTimer(UINT_PTR) { ++timers; }

protected:
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CWorkWnd, CWnd)
    ON_MESSAGE(WM_SEQ, &CWorkWnd::OnSeq)
    ON_MESSAGE(WM_DOUBLE, &CWorkWnd::OnDouble)
    ON_MESSAGE(WM_FORWARD, &CWorkWnd::OnForward)
    ON_MESSAGE(WM_LAST, &CWorkWnd::OnLast)
    ON_WM_TIMER()
END_MESSAGE_MAP()

TEST(MessageQueue, PostsFromSeveralThreadsArriveInTheirOrder)
{
    constexpr int kThreads = 4;
    constexpr int kPerThread = 2000;
    LoopThread windowThread;
    CWorkWnd wnd;
    windowThread.Call([&] { ASSERT_TRUE(wnd.Create()); });
    const HWND hwnd = wnd.m_hWnd;

    std::vector<std::thread> posters;
    for (int t = 0; t < kThreads; ++t) {
        posters.emplace_back([hwnd, t] {
            for (int i = 0; i < kPerThread; ++i)
                PostMessageW(hwnd, WM_SEQ, static_cast<WPARAM>(t), i);
        });
    }
    for (std::thread& poster : posters)
        poster.join();
    ASSERT_TRUE(PostMessageW(hwnd, WM_LAST, 0, 0));
    ASSERT_TRUE(PumpUntil([&] { return wnd.sawLast.load(); }));

    std::lock_guard lock(wnd.mutex);
    ASSERT_EQ(wnd.sequences.size(), static_cast<std::size_t>(kThreads));
    for (const auto& [sender, seq] : wnd.sequences) {
        SCOPED_TRACE("poster " + std::to_string(sender));
        ASSERT_EQ(seq.size(), static_cast<std::size_t>(kPerThread));
        for (int i = 0; i < kPerThread; ++i)
            ASSERT_EQ(seq[i], i);
    }
    windowThread.Call([&] { wnd.DestroyWindow(); });
}

TEST(MessageQueue, SendFromWorkerIsAnsweredInsideEveryPumpingWait)
{
    enum class Wait { kMsgWait, kPeekLoop, kPumpOne, kPumpPending, kGetMessage, kOwnSend };
    struct Row {
        const char* name;
        Wait wait;
    };
    const Row rows[] = {
        {"MsgWaitForMultipleObjects", Wait::kMsgWait},
        {"PeekMessage loop", Wait::kPeekLoop},
        {"PumpOneMessage loop", Wait::kPumpOne},
        {"PumpPendingMessages loop", Wait::kPumpPending},
        {"GetMessage", Wait::kGetMessage},
        {"waiting for its own send to another thread", Wait::kOwnSend},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CWorkWnd wnd;
        ASSERT_TRUE(wnd.Create());
        const HWND hwnd = wnd.m_hWnd;

        // For kOwnSend: a window of another thread that answers only after the
        // worker's send to this thread has been answered.
        LoopThread other;
        CWorkWnd otherWnd;
        other.Call([&] { ASSERT_TRUE(otherWnd.Create()); });
        std::promise<void> workerAnswered;
        std::shared_future<void> answered = workerAnswered.get_future().share();
        otherWnd.duringDouble = [answered] { answered.wait_for(kPatience); };

        auto worker = std::async(std::launch::async, [hwnd, &workerAnswered] {
            const LRESULT r = SendMessageW(hwnd, WM_DOUBLE, 21, 0);
            workerAnswered.set_value();
            return r;
        });

        const auto deadline = std::chrono::steady_clock::now() + kPatience;
        const auto done = [&] { return answered.wait_for(0s) == std::future_status::ready; };
        MSG msg;
        switch (row.wait) {
        case Wait::kMsgWait:
            while (!done() && std::chrono::steady_clock::now() < deadline)
                MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            break;
        case Wait::kPeekLoop:
            while (!done() && std::chrono::steady_clock::now() < deadline) {
                PeekMessageW(&msg, {}, 0, 0, PM_NOREMOVE);
                std::this_thread::sleep_for(1ms);
            }
            break;
        case Wait::kPumpOne:
            while (!done() && std::chrono::steady_clock::now() < deadline) {
                platform::PumpOneMessage();
                std::this_thread::sleep_for(1ms);
            }
            break;
        case Wait::kPumpPending:
            while (!done() && std::chrono::steady_clock::now() < deadline) {
                platform::PumpPendingMessages();
                std::this_thread::sleep_for(1ms);
            }
            break;
        case Wait::kGetMessage: {
            // The worker's send is answered inside GetMessage; a post after it
            // lets GetMessage return.
            std::thread poke([&] {
                answered.wait_for(kPatience);
                PostMessageW(hwnd, WM_LAST, 0, 0);
            });
            EXPECT_GT(GetMessageW(&msg, {}, 0, 0), 0);
            EXPECT_EQ(msg.message, WM_LAST);
            poke.join();
            break;
        }
        case Wait::kOwnSend:
            // Only a send wait that answers the sends made to its thread gets
            // both through before the patience runs out.
            EXPECT_EQ(SendMessageW(otherWnd.m_hWnd, WM_DOUBLE, 5, 0), 10);
            break;
        }
        ASSERT_TRUE(Ready(worker));
        EXPECT_EQ(worker.get(), 42);
        EXPECT_EQ(wnd.doubles.load(), 1);
        other.Call([&] { otherWnd.DestroyWindow(); });
    }
}

TEST(MessageQueue, ThreadsSendingToEachOtherDoNotDeadlock)
{
    LoopThread a;
    LoopThread b;
    CWorkWnd wa;
    CWorkWnd wb;
    a.Call([&] { ASSERT_TRUE(wa.Create()); });
    b.Call([&] { ASSERT_TRUE(wb.Create()); });
    wa.forwardTo = wb.m_hWnd;
    wb.forwardTo = wa.m_hWnd;

    // Nested: a's handler sends to b while this thread waits for a.
    EXPECT_EQ(SendMessageW(wa.m_hWnd, WM_FORWARD, 10, 0), 21);

    // Crossed: both threads send to each other at the same moment, many times.
    // They meet before each round, pumping while they wait for each other.
    constexpr int kRounds = 200;
    std::atomic<int> arrivals{0};
    std::atomic<int> wrong{0};
    auto cross = [&](HWND to) {
        return [to, &arrivals, &wrong] {
            for (int i = 0; i < kRounds; ++i) {
                ++arrivals;
                if (!PumpUntil([&] { return arrivals.load() >= 2 * (i + 1); }))
                    ++wrong;
                if (SendMessageW(to, WM_DOUBLE, static_cast<WPARAM>(i), 0) != 2 * i)
                    ++wrong;
            }
        };
    };
    std::function<void()> fromA = cross(wb.m_hWnd);
    std::function<void()> fromB = cross(wa.m_hWnd);
    auto doneA = std::async(std::launch::async, [&] { a.Call(fromA); });
    auto doneB = std::async(std::launch::async, [&] { b.Call(fromB); });
    ASSERT_TRUE(Ready(doneA));
    ASSERT_TRUE(Ready(doneB));
    EXPECT_EQ(wrong.load(), 0);

    a.Call([&] { wa.DestroyWindow(); });
    b.Call([&] { wb.DestroyWindow(); });
}

TEST(MessageQueue, SendToWindowOfEndedThreadReturnsPromptly)
{
    CWorkWnd wnd;
    std::thread([&] { ASSERT_TRUE(wnd.Create()); }).join();
    const HWND hwnd = wnd.m_hWnd;
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(SendMessageW(hwnd, WM_DOUBLE, 1, 0), 0);
    EXPECT_FALSE(PostMessageW(hwnd, WM_DOUBLE, 1, 0));
}

TEST(MessageQueue, SendWaitingWhenTheThreadEndsIsAnsweredWithZero)
{
    // The window's thread never pumps and then ends: the send must not wait
    // for the long send bound.
    std::promise<HWND> created;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    CWorkWnd wnd;
    std::thread owner([&] {
        ASSERT_TRUE(wnd.Create());
        created.set_value(wnd.m_hWnd);
        released.wait_for(kPatience);
    });
    std::future<HWND> hwndFuture = created.get_future();
    ASSERT_TRUE(Ready(hwndFuture));
    const HWND hwnd = hwndFuture.get();

    auto sender = std::async(std::launch::async, [hwnd] { return SendMessageW(hwnd, WM_DOUBLE, 3, 0); });
    EXPECT_EQ(sender.wait_for(100ms), std::future_status::timeout) << "not answered by a thread that does not pump";
    release.set_value();
    owner.join();
    ASSERT_TRUE(Ready(sender));
    EXPECT_EQ(sender.get(), 0);
    EXPECT_EQ(wnd.doubles.load(), 0);
}

TEST(MessageQueue, SendWaitingWhenTheWindowGoesIsAnsweredWithZero)
{
    std::promise<HWND> created;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    CWorkWnd wnd;
    std::thread owner([&] {
        ASSERT_TRUE(wnd.Create());
        created.set_value(wnd.m_hWnd);
        released.wait_for(kPatience);
        // Destroyed before its thread looks at the waiting send.
        wnd.DestroyWindow();
        platform::PumpPendingMessages();
    });
    std::future<HWND> hwndFuture = created.get_future();
    ASSERT_TRUE(Ready(hwndFuture));
    const HWND hwnd = hwndFuture.get();

    auto sender = std::async(std::launch::async, [hwnd] { return SendMessageW(hwnd, WM_DOUBLE, 3, 0); });
    EXPECT_EQ(sender.wait_for(100ms), std::future_status::timeout);
    release.set_value();
    ASSERT_TRUE(Ready(sender));
    EXPECT_EQ(sender.get(), 0);
    owner.join();
    EXPECT_EQ(wnd.doubles.load(), 0);
}

TEST(MessageQueue, TimedOutSendIsWithdrawnAndNeverHandled)
{
    std::promise<void> created;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<bool> pumped{false};
    CWorkWnd wnd;
    std::thread owner([&] {
        ASSERT_TRUE(wnd.Create());
        created.set_value();
        released.wait_for(kPatience);
        platform::PumpPendingMessages();
        pumped = true;
        wnd.DestroyWindow();
    });
    created.get_future().wait();

    DWORD_PTR result = 99;
    EXPECT_EQ(SendMessageTimeoutW(wnd.m_hWnd, WM_DOUBLE, 4, 0, SMTO_NORMAL, 50, &result), 0);
    EXPECT_EQ(result, 0u);
    release.set_value();
    owner.join();
    EXPECT_TRUE(pumped);
    EXPECT_EQ(wnd.doubles.load(), 0) << "a withdrawn send must not run later with a dead sender's parameters";
}

TEST(MessageQueue, ThreadMessagesAndQuit)
{
    EXPECT_FALSE(PostThreadMessageW(0, WM_NULL, 0, 0)) << "no such thread";

    // Thread messages on this thread, then the quit, in order.
    ASSERT_TRUE(PostThreadMessageW(GetCurrentThreadId(), WM_SEQ, 1, 0));
    ASSERT_TRUE(PostMessageW({}, WM_SEQ, 2, 0));
    PostQuitMessage(3);
    MSG msg;
    EXPECT_FALSE(platform::PumpOneMessage()) << "quit pending";
    EXPECT_FALSE(platform::PumpPendingMessages()) << "the quit stays for the outer loop";
    EXPECT_EQ(GetMessageW(&msg, {}, 0, 0), FALSE);
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(msg.wParam, 3u);
    EXPECT_FALSE(PeekMessageW(&msg, {}, 0, 0, PM_REMOVE)) << "retrieved once";

    // A nested pump that meets the quit leaves it for the outer loop.
    PostQuitMessage(4);
    EXPECT_FALSE(AfxPumpMessage());
    ASSERT_TRUE(PeekMessageW(&msg, {}, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(msg.wParam, 4u);
}

TEST(MessageQueue, PeekFiltersByWindowAndRange)
{
    CWorkWnd a;
    CWorkWnd b;
    ASSERT_TRUE(a.Create());
    ASSERT_TRUE(b.Create());
    a.PostMessage(WM_SEQ, 1, 0);
    b.PostMessage(WM_DOUBLE, 2, 0);
    a.PostMessage(WM_LAST, 3, 0);

    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, b.m_hWnd, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.wParam, 2u);
    ASSERT_TRUE(PeekMessageW(&msg, {}, WM_LAST, WM_LAST, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 3u);
    ASSERT_TRUE(PeekMessageW(&msg, {}, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 1u);
    ASSERT_TRUE(PeekMessageW(&msg, {}, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 2u) << "the peek without removal left it";
    EXPECT_FALSE(PeekMessageW(&msg, {}, 0, 0, PM_REMOVE));
}

TEST(MessageQueue, MsgWaitWakesForAMessageAndTimesOutWithout)
{
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 30, QS_ALLINPUT), WAIT_TIMEOUT);

    const DWORD self = GetCurrentThreadId();
    std::thread poster([self] {
        std::this_thread::sleep_for(20ms);
        PostThreadMessageW(self, WM_SEQ, 0, 0);
    });
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(kPatience.count()), QS_ALLINPUT),
              WAIT_OBJECT_0);
    poster.join();
    // Already in the queue: the wait returns at once, seen before or not.
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT), WAIT_OBJECT_0);
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_TIMER), WAIT_TIMEOUT) << "not a timer";
    MSG msg;
    EXPECT_TRUE(PeekMessageW(&msg, {}, 0, 0, PM_REMOVE));
}

// Closes a kernel handle at the end of a test.
struct Handle {
    HANDLE h;
    ~Handle() { CloseHandle(h); }
};

TEST(MessageQueue, MsgWaitOnHandlesEndsForAHandleOrAMessage)
{
    Handle stop{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    Handle autoEvent{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    ASSERT_TRUE(stop.h);
    ASSERT_TRUE(autoEvent.h);
    const HANDLE both[] = {stop.h, autoEvent.h};
    const DWORD patienceMs = static_cast<DWORD>(kPatience.count());

    EXPECT_EQ(MsgWaitForMultipleObjects(2, both, FALSE, 20, QS_ALLINPUT), WAIT_TIMEOUT);

    // Set by another thread while this one sleeps in the wait.
    std::thread setter([&] {
        std::this_thread::sleep_for(20ms);
        SetEvent(autoEvent.h);
    });
    EXPECT_EQ(MsgWaitForMultipleObjects(2, both, FALSE, patienceMs, QS_ALLINPUT), WAIT_OBJECT_0 + 1);
    setter.join();
    EXPECT_EQ(WaitForSingleObject(autoEvent.h, 0), WAIT_TIMEOUT) << "the wait took the auto-reset event";

    // A message posted by another thread while this one sleeps.
    const DWORD self = GetCurrentThreadId();
    std::thread poster([self] {
        std::this_thread::sleep_for(20ms);
        PostThreadMessageW(self, WM_SEQ, 0, 0);
    });
    // Generous: only a wait that is not woken by the message reaches this.
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(MsgWaitForMultipleObjects(2, both, FALSE, patienceMs, QS_ALLINPUT), WAIT_OBJECT_0 + 2);
    EXPECT_LT(std::chrono::steady_clock::now() - started, kPatience / 2) << "woken by its time-out, not the message";
    poster.join();
    // A signalled handle comes before a queued message.
    SetEvent(stop.h);
    EXPECT_EQ(MsgWaitForMultipleObjects(2, both, FALSE, 0, QS_ALLINPUT), WAIT_OBJECT_0);
    // All of them: the message wins while the auto-reset event is not set.
    EXPECT_EQ(MsgWaitForMultipleObjects(2, both, TRUE, 0, QS_ALLINPUT), WAIT_OBJECT_0 + 2);
    SetEvent(autoEvent.h);
    EXPECT_EQ(MsgWaitForMultipleObjects(2, both, TRUE, 0, QS_ALLINPUT), WAIT_OBJECT_0);
    MSG msg;
    EXPECT_TRUE(PeekMessageW(&msg, {}, 0, 0, PM_REMOVE));

    const HANDLE twice[] = {stop.h, stop.h};
    EXPECT_EQ(MsgWaitForMultipleObjects(2, twice, FALSE, 0, QS_ALLINPUT), WAIT_FAILED);
    EXPECT_EQ(MsgWaitForMultipleObjects(1, nullptr, FALSE, 0, QS_ALLINPUT), WAIT_FAILED);
    const HANDLE closed = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    CloseHandle(closed);
    EXPECT_EQ(MsgWaitForMultipleObjects(1, &closed, FALSE, 0, QS_ALLINPUT), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST(MessageQueue, SendIsAnsweredWhileWaitingOnHandles)
{
    CWorkWnd wnd;
    ASSERT_TRUE(wnd.Create());
    Handle done{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    const HWND hwnd = wnd.m_hWnd;
    auto worker = std::async(std::launch::async, [&] {
        const LRESULT r = SendMessageW(hwnd, WM_DOUBLE, 8, 0);
        SetEvent(done.h);
        return r;
    });
    EXPECT_EQ(MsgWaitForMultipleObjects(1, &done.h, FALSE, static_cast<DWORD>(kPatience.count()), QS_ALLINPUT),
              WAIT_OBJECT_0);
    ASSERT_TRUE(Ready(worker));
    EXPECT_EQ(worker.get(), 16);
}

TEST(MessageQueue, TimerFiresRepeatedlyAndStopsWhenKilled)
{
    CWorkWnd wnd;
    ASSERT_TRUE(wnd.Create());
    ASSERT_EQ(wnd.SetTimer(1, 10), 1u);
    ASSERT_TRUE(PumpUntil([&] { return wnd.timers >= 3; }));
    EXPECT_TRUE(wnd.KillTimer(1));
    const int fired = wnd.timers;
    msgtest::PumpFor(80ms);
    EXPECT_EQ(wnd.timers.load(), fired);
    EXPECT_FALSE(wnd.KillTimer(1));
}

TEST(MessageQueue, TimerMessagesCoalesceWhileNobodyPumps)
{
    CWorkWnd wnd;
    ASSERT_TRUE(wnd.Create());
    ASSERT_NE(wnd.SetTimer(1, 10), 0u);
    std::this_thread::sleep_for(150ms);
    // Messages come in order: the timer messages before the marker are the
    // ones that piled up while nobody pumped.
    wnd.PostMessage(WM_LAST);
    int queued = 0;
    MSG msg;
    while (PeekMessageW(&msg, wnd.m_hWnd, 0, 0, PM_REMOVE) && msg.message != WM_LAST)
        queued += msg.message == WM_TIMER ? 1 : 0;
    EXPECT_EQ(msg.message, WM_LAST);
    EXPECT_EQ(queued, 1);

    // Killing the timer takes its pending message away too.
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (!PeekMessageW(&msg, wnd.m_hWnd, WM_TIMER, WM_TIMER, PM_NOREMOVE) &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(1ms);
    ASSERT_EQ(msg.message, WM_TIMER);
    EXPECT_TRUE(wnd.KillTimer(1));
    EXPECT_FALSE(PeekMessageW(&msg, wnd.m_hWnd, WM_TIMER, WM_TIMER, PM_REMOVE));
}

void CALLBACK_Count(HWND, UINT, UINT_PTR, DWORD);
std::atomic<int> g_procCalls{0};
void CALLBACK_Count(HWND, UINT message, UINT_PTR, DWORD)
{
    if (message == WM_TIMER)
        ++g_procCalls;
}

TEST(MessageQueue, ThreadTimerCallsItsProcedure)
{
    g_procCalls = 0;
    const UINT_PTR id = SetTimer({}, 0, 10, &CALLBACK_Count);
    ASSERT_NE(id, 0u);
    ASSERT_TRUE(PumpUntil([] { return g_procCalls >= 2; }));
    EXPECT_EQ(SetTimer({}, id, 10, &CALLBACK_Count), id) << "the id of a live thread timer resets it";
    const UINT_PTR other = SetTimer({}, id + 1000, 10, &CALLBACK_Count);
    EXPECT_NE(other, id + 1000) << "an unknown id is not taken";
    EXPECT_TRUE(KillTimer({}, other));
    EXPECT_TRUE(KillTimer({}, id));

    // A made-up timer message does not call an arbitrary procedure.
    MSG forged;
    forged.message = WM_TIMER;
    forged.wParam = id;
    forged.lParam = reinterpret_cast<LPARAM>(&CALLBACK_Count);
    const int before = g_procCalls;
    DispatchMessageW(&forged);
    EXPECT_EQ(g_procCalls.load(), before);
}

// A dispatcher of the kind a toolkit installs; its "native loop" is a list of
// callbacks that ProcessNativeEvents runs.
class FakeDispatcher : public platform::IMessageDispatcher {
public:
    std::atomic<int> wakes{0};
    std::atomic<int> processed{0};
    std::function<void()> nativeEvent;

    void Wake() override
    {
        ++wakes;
        std::lock_guard lock(m_mutex);
        m_woken = true;
        m_changed.notify_all();
    }
    // A Wake is a native event whose handler is nativeEvent.
    void ProcessNativeEvents(DWORD waitMs) override
    {
        ++processed;
        bool woken;
        {
            std::unique_lock lock(m_mutex);
            if (waitMs != 0) {
                const auto wait = waitMs == INFINITE ? kPatience : std::chrono::milliseconds(waitMs);
                m_changed.wait_for(lock, wait, [&] { return m_woken; });
            }
            woken = m_woken;
            m_woken = false;
        }
        if (woken && nativeEvent)
            nativeEvent();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_woken = false;
};

struct DispatcherScope {
    explicit DispatcherScope(platform::IMessageDispatcher* d) : previous(platform::SetThreadDispatcher(d)) {}
    ~DispatcherScope() { platform::SetThreadDispatcher(previous); }
    platform::IMessageDispatcher* previous;
};

TEST(MessageDispatcher, WakeComesForEveryQueuedThingAndWaitsUseTheNativeLoop)
{
    FakeDispatcher dispatcher;
    DispatcherScope scope(&dispatcher);
    CWorkWnd wnd;
    ASSERT_TRUE(wnd.Create());

    std::thread([&] { wnd.PostMessage(WM_SEQ, 0, 1); }).join();
    EXPECT_GE(dispatcher.wakes.load(), 1);

    // A blocking wait sleeps in the native loop and wakes on a post.
    const HWND hwnd = wnd.m_hWnd;
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, {}, 0, 0, PM_REMOVE));
    std::thread poster([hwnd] {
        std::this_thread::sleep_for(20ms);
        PostMessageW(hwnd, WM_LAST, 0, 0);
    });
    const int before = dispatcher.processed;
    EXPECT_GT(GetMessageW(&msg, {}, 0, 0), 0);
    EXPECT_EQ(msg.message, WM_LAST);
    EXPECT_GT(dispatcher.processed.load(), before);
    poster.join();
}

TEST(MessageDispatcher, NativeWakeDispatchesUnlessAPumpingWaitRetrievesItself)
{
    FakeDispatcher dispatcher;
    DispatcherScope scope(&dispatcher);
    CWorkWnd wnd;
    ASSERT_TRUE(wnd.Create());

    // In the native loop (no wait of the message layer running): dispatched.
    wnd.PostMessage(WM_SEQ, 9, 1);
    EXPECT_FALSE(platform::IsInsideMessageWait());
    EXPECT_TRUE(platform::DispatchPendingMessages());
    EXPECT_EQ(wnd.sequences[9].size(), 1u);

    // A Wake handled while GetMessage runs the native loop leaves the message
    // for GetMessage, which can look at it.
    bool insideWait = false;
    dispatcher.nativeEvent = [&] {
        insideWait = platform::IsInsideMessageWait();
        platform::DispatchPendingMessages();
    };
    const HWND hwnd = wnd.m_hWnd;
    std::thread poster([hwnd] {
        std::this_thread::sleep_for(20ms);
        PostMessageW(hwnd, WM_SEQ, 9, 2);
    });
    MSG msg;
    ASSERT_GT(GetMessageW(&msg, {}, 0, 0), 0);
    poster.join();
    EXPECT_TRUE(insideWait);
    EXPECT_EQ(msg.lParam, 2);
    EXPECT_EQ(wnd.sequences[9].size(), 1u) << "GetMessage got it, nobody dispatched it";

    // A nested native loop (a modal dialog) inside the wait dispatches again.
    dispatcher.nativeEvent = [&] {
        platform::NativeLoopScope modal;
        platform::DispatchPendingMessages();
    };
    wnd.PostMessage(WM_SEQ, 9, 3);
    wnd.PostMessage(WM_LAST, 0, 0);
    EXPECT_FALSE(PeekMessageW(&msg, {}, 0, 0, PM_REMOVE)) << "dispatched inside the nested loop";
    EXPECT_EQ(wnd.sequences[9].size(), 2u);
    EXPECT_TRUE(wnd.sawLast);
    dispatcher.nativeEvent = nullptr;

    // The native loop learns of the quit.
    PostQuitMessage(5);
    int exitCode = 0;
    EXPECT_FALSE(platform::DispatchPendingMessages(&exitCode));
    EXPECT_EQ(exitCode, 5);
}

}  // namespace
