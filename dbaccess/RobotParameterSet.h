// One robot's parameter set: the 146 controller parameters K1 to K138 and
// H0 to H7 with the name of the robot they belong to. The actuator database
// fills it with a robot's initial values; a controller's data carries one.
#pragma once

#include "platform/core/CString.h"

#include <array>
#include <cstdint>

// Number of parameters of a set: K1 to K138, then H0 to H7.
inline constexpr int kParamCount = 146;
inline constexpr int kKParamCount = 138;
inline constexpr int kHParamCount = 8;
// Index of H0 in a set's values.
inline constexpr int kFirstHParamIndex = kKParamCount;

// Value index of K<n> (1..138) and of H<n> (0..7).
constexpr int KParamIndex(int n) { return n - 1; }
constexpr int HParamIndex(int n) { return kFirstHParamIndex + n; }

struct RobotParameterSet {
    CString name;
    std::int32_t controllerIndex = 0;
    std::array<std::int32_t, kParamCount> values{};

    std::int32_t K(int n) const { return values[static_cast<std::size_t>(KParamIndex(n))]; }
    std::int32_t& K(int n) { return values[static_cast<std::size_t>(KParamIndex(n))]; }
    std::int32_t H(int n) const { return values[static_cast<std::size_t>(HParamIndex(n))]; }
    std::int32_t& H(int n) { return values[static_cast<std::size_t>(HParamIndex(n))]; }

    friend bool operator==(const RobotParameterSet&, const RobotParameterSet&) = default;
};
