// The choices of the point detail dialog over K71 and K72: the point type
// (bit 0: custom units), acceleration optimisation (bit 1: calculation mode
// 1) and the position decimals, which the dialog carries through unseen.
#pragma once

#include "platform/core/CString.h"

#include <cstdint>

struct PointDetailSettings {
    int pointType = 0;       // radio: 0 standard, 1 custom
    int optimisation = 1;    // radio: 0 on, 1 off
    int decimalsIndex = 0;   // combo: 0 is 2 decimals, 1 is 3
    bool decimalsEnabled = true;

    // From K71, K72 and the controller's code text (a code with "P" may
    // change its decimals).
    static PointDetailSettings From(std::int32_t flags, std::int32_t decimals, const CString& code);
    // Back to K71 and K72.
    std::int32_t Flags() const { return pointType + (optimisation == 0 ? 2 : 0); }
    std::int32_t Decimals() const { return decimalsIndex + 2; }
};
