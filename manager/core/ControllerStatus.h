// The controller's running values (its D registers) as the status poll reads
// them for the current controller and the status displays show them. The
// record is copied and compared as a unit.
#pragma once

#include <cstdint>

struct ControllerStatus {
    std::int32_t d0 = 0;    // current position
    std::int32_t d1 = 0;    // current speed
    std::int8_t d18 = 0;    // state code
    std::uint8_t d13 = 0;   // current point
    std::int16_t d2 = 0;
    std::int16_t d14 = 0;
    std::int16_t d9 = 0;
    std::int16_t d10 = 0;
    std::int32_t d16 = 0;
    std::uint32_t d15 = 0;  // running time in minutes

    friend bool operator==(const ControllerStatus&, const ControllerStatus&) = default;
};
