// The motion calculation library (libPellarunLib.so): move profiles of a
// single axis, the acceleration limit by carried mass, cosine speed ramps and
// the library's version text. Plain exports, bound by name at run time; the
// caller owns every record. No export throws, and every result is finite.
#pragma once

#include "platform/core/CString.h"

#include <cstdint>

// Result of one move: speeds in distance units per second, times in ms.
struct VpCalcResult {
    double peakSpeed = 0;
    double accelTimeMs = 0;
    double constTimeMs = 0;
    double decelTimeMs = 0;
    double totalTimeMs = 0;  // sum of the three times, each rounded to whole ms
    double accelDistance = 0;
    double constDistance = 0;
    double decelDistance = 0;
    double distance = 0;
};

// The calculation mode that derates acceleration by speed and distance.
inline constexpr std::int32_t kVpCalcModeDerated = 1;

extern "C" {

// One move of the given distance at the given speed and acceleration; the
// deceleration is decelPercent % of the acceleration (0 and 100 mean equal).
// reference is the drive constant R (the lead in micrometres): it sets the
// lower limits of speed and acceleration and the reference speed R / 20.
// A move that cannot happen (no distance, no speed or acceleration to move
// with, a value that is not a number) gives zero times and distances.
// The three unused words are kept for the callers' argument lists.
// Result 0; -1 when result is null.
std::int32_t DllVpCalc(std::int32_t mode, std::int32_t unused1, std::int32_t unused2, float distance, float speed,
                       float acceleration, std::int32_t decelPercent, std::int32_t reference, std::int32_t unused3,
                       VpCalcResult* result);

// Acceleration limit for a carried mass x: mode 0 base * (k1 x^2 + k2 x + 1),
// mode 1 base / (k1 (x - k2) + 1) above k2, else base; never below minimum.
// k = mantissa * 10^exponent. Mode other than 0 or 1: 0.
std::int32_t DllAccCalc(std::int32_t x, std::int32_t base, std::int32_t minimum, std::int32_t mode,
                        std::int32_t k1Mantissa, std::int32_t k1Exponent, std::int32_t k2Mantissa,
                        std::int32_t k2Exponent);

// Speed t ms into a cosine ramp of rampMs from 0 up to v, and from v down to 0.
float DllAccelVelCalc(float v, std::int32_t t, std::int32_t rampMs);
float DllDecelVelCalc(float v, std::int32_t t, std::int32_t rampMs);

// "Ver." and the product version of the library, or an empty text.
CString DllGetLibVersion();

}  // extern "C"

// Types of the exports, for binding them by name.
using PFN_DllVpCalc = std::int32_t (*)(std::int32_t, std::int32_t, std::int32_t, float, float, float, std::int32_t,
                                       std::int32_t, std::int32_t, VpCalcResult*);
using PFN_DllAccCalc = std::int32_t (*)(std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                                        std::int32_t, std::int32_t, std::int32_t);
using PFN_DllAccelVelCalc = float (*)(float, std::int32_t, std::int32_t);
using PFN_DllDecelVelCalc = float (*)(float, std::int32_t, std::int32_t);
using PFN_DllGetLibVersion = CString (*)();
