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
// out buffer (the writer threads look at it once a millisecond, and are woken
// at once when text is queued).
struct LinkShared {
    std::atomic<WPARAM> linkId{0};
    std::atomic<bool> outPending{false};

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
    // Waits up to timeout for queued text; true when some is waiting.
    bool WaitForOut(std::chrono::milliseconds timeout)
    {
        std::unique_lock lock(m_outLock);
        return m_outQueued.wait_for(lock, timeout, [&] { return outPending.load(); });
    }

private:
    std::mutex m_outLock;
    std::condition_variable m_outQueued;
};

}  // namespace comm
