// One robot's parameter set: the initial values the actuator database holds
// for a robot, and the values a controller's data carries. Value n-1 is
// parameter Kn for n = 1..138; values 138..145 are H0..H7.
#pragma once

#include "platform/core/CString.h"

#include <array>
#include <cstdint>

inline constexpr int kRobotParameterCount = 146;
inline constexpr int kFirstHParameterIndex = 138;  // H0

struct RobotParameterSet {
    CString name;
    std::int32_t controllerIndex = 0;
    std::array<std::int32_t, kRobotParameterCount> values{};
};
