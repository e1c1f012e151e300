#include "tools/TraceScaling.h"

#include <cmath>
#include <limits>

namespace {

bool ValidChannel(int channel) { return channel >= 0 && channel < kTraceChannelCount; }

void TwoPointLine(const TraceScaleSettings& s, int ch, double& slope, double& intercept)
{
    const double span = s.POINT_1_CH[ch] - s.POINT_2_CH[ch];
    slope = (s.POINT_1_SC_CH[ch] - s.POINT_2_SC_CH[ch]) / span;
    intercept = (s.POINT_2_SC_CH[ch] * s.POINT_1_CH[ch] - s.POINT_1_SC_CH[ch] * s.POINT_2_CH[ch]) / span;
}

std::int64_t Truncate(double value)
{
    if (std::isnan(value)) return 0;
    // 2^63 is exactly representable; anything at or beyond it saturates.
    constexpr double kLimit = 9223372036854775808.0;
    if (value >= kLimit) return std::numeric_limits<std::int64_t>::max();
    if (value <= -kLimit) return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(value);
}

}  // namespace

double ScaleToEngineering(const TraceScaleSettings& scale, int nChannel, double dRaw)
{
    if (!ValidChannel(nChannel)) return dRaw;
    switch (scale.SCL_TYPE_CH[nChannel]) {
    case kScaleRatio:
        return dRaw * scale.RATIO_CH[nChannel] + scale.OFFSET_CH[nChannel];
    case kScaleTwoPoint: {
        double slope = 0;
        double intercept = 0;
        TwoPointLine(scale, nChannel, slope, intercept);
        return intercept + slope * dRaw;
    }
    default:
        return dRaw;
    }
}

std::int64_t ScaleToRaw(const TraceScaleSettings& scale, int nChannel, double dValue)
{
    if (!ValidChannel(nChannel)) return Truncate(dValue);
    switch (scale.SCL_TYPE_CH[nChannel]) {
    case kScaleRatio:
        return Truncate((dValue - scale.OFFSET_CH[nChannel]) / scale.RATIO_CH[nChannel]);
    case kScaleTwoPoint: {
        double slope = 0;
        double intercept = 0;
        TwoPointLine(scale, nChannel, slope, intercept);
        return Truncate((dValue - intercept) / slope);
    }
    default:
        return Truncate(dValue);
    }
}

std::int32_t ClampToRaw32(std::int64_t nRaw)
{
    if (nRaw > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    if (nRaw < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(nRaw);
}
