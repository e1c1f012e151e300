// What a manager and its port objects share beyond the record.
#pragma once

#include "platform/core/WinTypes.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
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

    // A port whose write turns may also be handed out without its writer
    // thread sets how a write event is posted. While the writer sleeps with
    // nothing to do, whoever queues text posts the turn itself (or, during a
    // send delay, the end of the delay does), and the turn's end wakes the
    // writer only when text is left that it must see to. A polled link so
    // wakes its writer not at all. Cleared (nullptr) before the port stops.
    void SetWritePoster(std::function<bool()> post)
    {
        {
            std::lock_guard guard(m_outLock);
            m_postWrite = std::move(post);
            if (m_postWrite || m_turn == Turn::kWriter) return;
            m_turn = Turn::kWriter;
        }
        m_outQueued.notify_all();
    }

    // Wakes the writer threads as soon as text is queued.
    void SetOutPending(bool pending)
    {
        {
            std::lock_guard guard(m_outLock);
            outPending = pending;
            if (!pending || HandOutTurnLocked()) return;
        }
        m_outQueued.notify_all();
    }
    // On the manager's thread at the end of a write turn: true when the turn
    // was one handed out without the writer thread (which then is not
    // waiting for its end); text still queued goes on as the writer would
    // go on with it.
    bool EndHandedOutTurn()
    {
        {
            std::lock_guard guard(m_outLock);
            if (m_turn != Turn::kPosted) return false;
            m_turn = Turn::kWriter;
            if (!outPending.load()) return true;
            // A send delay holds the rest: the delay's end posts the next turn.
            if (m_writesHeld && m_postWrite) {
                m_turn = Turn::kOwedAtHoldEnd;
                return true;
            }
        }
        // The driver did not take it all: the writer thread tries again.
        m_outQueued.notify_all();
        return true;
    }
    // Waits until text is queued or running has become false (and
    // WakeWriters was called); true when text is waiting.
    bool WaitForOut(const std::atomic<bool>& running)
    {
        std::unique_lock lock(m_outLock);
        ++m_writersWaiting;
        m_outQueued.wait(lock, [&] { return (outPending.load() && m_turn == Turn::kWriter) || !running.load(); });
        --m_writersWaiting;
        return outPending.load();
    }
    // A send delay holds further writes; the writer thread sleeps through it
    // and is woken when it ends.
    void HoldWrites(bool held)
    {
        bool wakeWriter = false;
        {
            std::lock_guard guard(m_outLock);
            m_writesHeld = held;
            if (!held && m_turn == Turn::kOwedAtHoldEnd) {
                m_turn = Turn::kWriter;
                wakeWriter = outPending.load() && !HandOutTurnLocked();
            }
        }
        // Only a writer that waits for the hold to end is woken: one asleep
        // for text has nothing to do when a delay ends with nothing queued.
        if (!held) m_holdEnded.notify_all();
        if (wakeWriter) m_outQueued.notify_all();
    }
    // Writer threads asleep for lack of text.
    int WritersAsleep()
    {
        std::lock_guard guard(m_outLock);
        return m_writersWaiting;
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
    // Who gives the next write turn: the writer thread, a posted turn not
    // yet ended, or the end of the running send delay.
    enum class Turn { kWriter, kPosted, kOwedAtHoldEnd };

    // With text queued and the writer asleep for lack of it: posts the turn
    // (or leaves it to the delay's end). False when the writer must be woken.
    bool HandOutTurnLocked()
    {
        if (!m_postWrite || m_writersWaiting == 0 || m_turn != Turn::kWriter) return m_turn != Turn::kWriter;
        if (m_writesHeld) {
            m_turn = Turn::kOwedAtHoldEnd;
            return true;
        }
        m_turn = Turn::kPosted;
        if (m_postWrite()) return true;
        m_turn = Turn::kWriter;
        return false;
    }

    std::mutex m_outLock;
    std::condition_variable m_outQueued;
    std::condition_variable m_holdEnded;
    bool m_writesHeld = false;
    Turn m_turn = Turn::kWriter;
    int m_writersWaiting = 0;
    std::function<bool()> m_postWrite;
};

}  // namespace comm
