// A channel's raw controller value to engineering units and back, by the
// channel's scale settings: none, ratio and offset, or two points.
#pragma once

#include "tools/TraceSettings.h"

#include <cstdint>

// Type 0 (and unknown types): the raw value; 1: raw x RATIO + OFFSET;
// 2: the line through (POINT_1, POINT_1_SC) and (POINT_2, POINT_2_SC).
double ScaleToEngineering(const TraceScaleSettings& scale, int nChannel, double dRaw);
// The inverse, truncated toward zero. A result that is not a number (a zero
// ratio, two equal points) gives 0; one beyond 64 bits saturates.
std::int64_t ScaleToRaw(const TraceScaleSettings& scale, int nChannel, double dValue);
// A raw value as a 32-bit sample, saturated.
std::int32_t ClampToRaw32(std::int64_t nRaw);
