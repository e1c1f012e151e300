// What a manager and its port objects share beyond the record.
#pragma once

#include "platform/core/WinTypes.h"

#include <atomic>
#include <memory>

namespace comm {

// The link's number, carried in wParam of every link event so that late
// events of an earlier link are recognised, and whether text waits in the
// out buffer (the writer threads look at it once a millisecond).
struct LinkShared {
    std::atomic<WPARAM> linkId{0};
    std::atomic<bool> outPending{false};

    // On the manager's thread only: port calls that pump messages and are
    // running. A handler inside one of them may destroy the manager; the
    // port then stays here until the outermost such call has returned.
    int portBusy = 0;
    bool managerGone = false;
    std::shared_ptr<void> orphanPort;
};

}  // namespace comm
