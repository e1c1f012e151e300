#include "tests/support/emulator/ServiceThread.h"

#include <fcntl.h>
#include <unistd.h>

namespace emu {

ServiceThread::ServiceThread()
{
    if (pipe2(m_wake, O_NONBLOCK | O_CLOEXEC) != 0) {
        m_wake[0] = m_wake[1] = -1;
    }
}

ServiceThread::~ServiceThread()
{
    Stop();
    for (int fd : m_wake) {
        if (fd >= 0) {
            close(fd);
        }
    }
}

void ServiceThread::Start(std::function<void()> loop)
{
    if (m_running) {
        return;
    }
    m_stopping = false;
    m_running = true;
    m_thread = std::thread([this, loop = std::move(loop)] {
        loop();
        // Tasks that arrive after the loop ended still run, so no caller waits in vain.
        m_running = false;
        RunTasks();
    });
    m_threadId = m_thread.get_id();
}

void ServiceThread::Stop()
{
    if (!m_thread.joinable()) {
        return;
    }
    m_stopping = true;
    Wake();
    // The loop wakes at least every few milliseconds, so this join is bounded.
    m_thread.join();
    m_running = false;
    RunTasks();
}

bool ServiceThread::Stopping() const { return m_stopping; }
bool ServiceThread::Running() const { return m_running; }
int ServiceThread::WakeFd() const { return m_wake[0]; }

void ServiceThread::Wake()
{
    if (m_wake[1] >= 0) {
        const char byte = 1;
        [[maybe_unused]] ssize_t n = write(m_wake[1], &byte, 1);
    }
}

void ServiceThread::DrainWake()
{
    char buffer[64];
    while (m_wake[0] >= 0 && read(m_wake[0], buffer, sizeof buffer) > 0) {
    }
}

bool ServiceThread::Run(std::function<void()> task, std::chrono::milliseconds timeout)
{
    if (!m_running || std::this_thread::get_id() == m_threadId) {
        task();
        return true;
    }
    auto entry = std::make_shared<Task>();
    entry->work = std::move(task);
    std::unique_lock lock(m_taskLock);
    m_tasks.push_back(entry);
    lock.unlock();
    Wake();
    lock.lock();
    return m_taskDone.wait_for(lock, timeout, [&] { return entry->done; });
}

void ServiceThread::RunTasks()
{
    std::unique_lock lock(m_taskLock);
    while (!m_tasks.empty()) {
        std::shared_ptr<Task> task = m_tasks.front();
        m_tasks.pop_front();
        lock.unlock();
        task->work();
        lock.lock();
        task->done = true;
        m_taskDone.notify_all();
    }
}

}  // namespace emu
