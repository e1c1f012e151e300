// What a manager and its port objects share beyond the record.
#pragma once

#include "platform/core/WinTypes.h"

#include <atomic>

namespace comm {

// The link's number, carried in wParam of every link event so that late
// events of an earlier link are recognised, and whether text waits in the
// out buffer (the writer threads look at it once a millisecond).
struct LinkShared {
    std::atomic<WPARAM> linkId{0};
    std::atomic<bool> outPending{false};
};

}  // namespace comm
