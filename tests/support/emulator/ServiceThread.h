#pragma once

// The thread behind one transport: it runs the transport's loop, can be woken from another
// thread, runs tasks on the loop's thread (so file descriptors are only touched there) and
// stops with a bounded join.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace emu {

class ServiceThread {
public:
    ServiceThread();
    ~ServiceThread();
    ServiceThread(const ServiceThread&) = delete;
    ServiceThread& operator=(const ServiceThread&) = delete;

    // `loop` runs until Stopping() turns true; it must wait in poll() on WakeFd() with a
    // bounded time-out and call RunTasks() on each pass.
    void Start(std::function<void()> loop);
    void Stop();
    bool Stopping() const;
    bool Running() const;

    int WakeFd() const;
    void Wake();
    void DrainWake();

    // Runs `task` on the loop's thread and waits for it at most `timeout`; runs it here when
    // the loop is not running. False when the loop did not get to it in time.
    bool Run(std::function<void()> task, std::chrono::milliseconds timeout = std::chrono::milliseconds(3000));
    void RunTasks();

private:
    struct Task {
        std::function<void()> work;
        bool done = false;
    };

    int m_wake[2] = {-1, -1};
    std::thread m_thread;
    std::thread::id m_threadId;
    std::atomic<bool> m_stopping{false};
    std::atomic<bool> m_running{false};
    std::mutex m_taskLock;
    std::condition_variable m_taskDone;
    std::deque<std::shared_ptr<Task>> m_tasks;
};

}  // namespace emu
