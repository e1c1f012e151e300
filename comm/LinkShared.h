// What a manager and its port objects share beyond the record.
#pragma once

#include "platform/core/WinTypes.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace comm {

// The link's number, carried in wParam of every link event so that late
// events of an earlier link are recognised, and whether text waits in the
// out buffer. A writer thread sleeps until text is queued or it is told to
// stop: an idle link wakes nobody.
struct LinkShared {
    std::atomic<WPARAM> linkId{0};
    std::atomic<bool> outPending{false};
    // Read events posted to the manager's thread and not yet handled: text
    // that has come in but waits for that thread to read it. Any thread may
    // ask (a command waiting for its reply on another thread).
    std::atomic<int> readsAnnounced{0};
    // Posts a read event through post (a callable returning whether it was
    // posted), counted until the manager has handled it.
    template <class Post>
    bool AnnounceRead(Post&& post)
    {
        ++readsAnnounced;
        if (post()) return true;
        --readsAnnounced;
        return false;
    }

    // On the manager's thread only: port calls that pump messages and are
    // running. A handler inside one of them may destroy the manager; the
    // port then stays here until the outermost such call has returned.
    int portBusy = 0;
    bool managerGone = false;
    std::shared_ptr<void> orphanPort;

    // Wakes the writer threads as soon as text is queued.
    void SetOutPending(bool pending)
    {
        {
            std::lock_guard guard(m_outLock);
            outPending = pending;
        }
        if (pending) m_outQueued.notify_all();
    }
    // Waits until text is queued or running has become false (and
    // WakeWriters was called); true when text is waiting.
    bool WaitForOut(const std::atomic<bool>& running)
    {
        std::unique_lock lock(m_outLock);
        m_outQueued.wait(lock, [&] { return outPending.load() || !running.load(); });
        return outPending.load();
    }
    // A send delay holds further writes; the writer thread sleeps through it
    // and is woken when it ends.
    void HoldWrites(bool held)
    {
        {
            std::lock_guard guard(m_outLock);
            m_writesHeld = held;
        }
        // Only a writer that waits for the hold to end is woken: one asleep
        // for text has nothing to do when a delay ends with nothing queued.
        if (!held) m_holdEnded.notify_all();
    }
    bool WritesHeld()
    {
        std::lock_guard guard(m_outLock);
        return m_writesHeld;
    }
    // Waits until no send delay holds writes or running has become false.
    void WaitWhileWritesHeld(const std::atomic<bool>& running)
    {
        std::unique_lock lock(m_outLock);
        m_holdEnded.wait(lock, [&] { return !m_writesHeld || !running.load(); });
    }
    // Wakes every writer thread so it looks at its running flag again; call
    // after clearing the flag. Taking the lock first means a writer is either
    // still to look or already asleep and reached by the notification.
    void WakeWriters()
    {
        { std::lock_guard guard(m_outLock); }
        m_outQueued.notify_all();
        m_holdEnded.notify_all();
    }

private:
    std::mutex m_outLock;
    std::condition_variable m_outQueued;
    std::condition_variable m_holdEnded;
    bool m_writesHeld = false;
};

}  // namespace comm
