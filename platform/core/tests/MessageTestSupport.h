// Helpers of the message tests: bounded pumping waits and a thread with a
// message loop that runs code on request.
#pragma once

#include "platform/core/Messages.h"
#include "platform/core/Wnd.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <future>
#include <thread>

namespace msgtest {

// Generous: the machine may be loaded; only a fault makes a wait this long.
inline constexpr std::chrono::milliseconds kPatience{10000};

// Pumps the calling thread's messages until done() or the patience runs out.
template <class Done>
bool PumpUntil(Done done, std::chrono::milliseconds patience = kPatience)
{
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
        platform::PumpPendingMessages();
    }
    return true;
}

// Pumps for a while (to show that something does NOT happen).
inline void PumpFor(std::chrono::milliseconds duration)
{
    const auto deadline = std::chrono::steady_clock::now() + duration;
    while (std::chrono::steady_clock::now() < deadline) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        platform::PumpPendingMessages();
    }
}

template <class T>
bool Ready(const std::future<T>& f, std::chrono::milliseconds patience = kPatience)
{
    return f.wait_for(patience) == std::future_status::ready;
}

// A thread that runs a message loop; Call runs code on it and waits for it.
class LoopThread {
public:
    LoopThread()
    {
        std::promise<DWORD> started;
        std::future<DWORD> id = started.get_future();
        m_thread = std::thread([&started] {
            MSG msg;
            PeekMessageW(&msg, {}, 0, 0, PM_NOREMOVE);  // makes the queue
            started.set_value(GetCurrentThreadId());
            while (GetMessageW(&msg, {}, 0, 0) > 0) {
                if (!msg.hwnd && msg.message == kRunMessage) {
                    auto* run = reinterpret_cast<std::function<void()>*>(msg.lParam);
                    (*run)();
                    delete run;
                } else {
                    DispatchMessageW(&msg);
                }
            }
        });
        m_id = id.get();
    }
    ~LoopThread() { Stop(); }
    LoopThread(const LoopThread&) = delete;
    LoopThread& operator=(const LoopThread&) = delete;

    DWORD Id() const { return m_id; }

    // Runs fn on the thread and waits for it.
    void Call(std::function<void()> fn)
    {
        // Shared with the task, which may outlive a call that gave up waiting.
        struct Task {
            std::function<void()> fn;
            std::promise<void> done;
        };
        auto task = std::make_shared<Task>();
        task->fn = std::move(fn);
        std::future<void> finished = task->done.get_future();
        auto* run = new std::function<void()>([task] {
            task->fn();
            task->done.set_value();
        });
        if (!PostThreadMessageW(m_id, kRunMessage, 0, reinterpret_cast<LPARAM>(run))) {
            delete run;
            FAIL() << "the loop thread is gone";
        }
        ASSERT_TRUE(Ready(finished)) << "the loop thread did not run the call";
    }

    void Stop()
    {
        if (!m_thread.joinable())
            return;
        PostThreadMessageW(m_id, WM_QUIT, 0, 0);
        m_thread.join();
    }

private:
    static constexpr UINT kRunMessage = WM_APP + 0x3FF;
    std::thread m_thread;
    DWORD m_id = 0;
};

inline const RECT kSmallRect{0, 0, 10, 10};

}  // namespace msgtest
