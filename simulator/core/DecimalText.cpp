#include "simulator/core/DecimalText.h"

#include "platform/core/CString.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

double ParseDecimalText(std::u16string_view text, char16_t decimalSeparator)
{
    std::u16string copy(text);
    if (decimalSeparator != 0 && decimalSeparator != u'.') {
        // Only the first separator can be the decimal point; wcstod stops at a second one.
        const std::size_t at = copy.find(decimalSeparator);
        if (at != std::u16string::npos && copy.find(u'.') == std::u16string::npos) copy[at] = u'.';
    }
    const double value = WideToDouble(copy.c_str());
    if (std::isnan(value)) return 0.0;
    // An exponent beyond range stays a huge number of its sign, for the clamps that follow.
    if (std::isinf(value)) return value > 0 ? std::numeric_limits<double>::max() : -std::numeric_limits<double>::max();
    return value;
}

std::int32_t TruncToInt32(double value)
{
    if (std::isnan(value)) return 0;
    if (value >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        return std::numeric_limits<std::int32_t>::max();
    if (value <= static_cast<double>(std::numeric_limits<std::int32_t>::min()))
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

namespace {

// Half away from zero, taking a value within a few units in the last place of
// a half as that half, so that representation errors of the scaling do not
// decide the direction.
double RoundHalfAwayFromZero(double value)
{
    if (!std::isfinite(value)) return value;
    const double magnitude = std::fabs(value);
    const double whole = std::floor(magnitude);
    const double fraction = magnitude - whole;
    const double tolerance = 8.0 * std::numeric_limits<double>::epsilon() * std::max(1.0, magnitude);
    const double rounded = fraction >= 0.5 - tolerance ? whole + 1.0 : whole;
    return value < 0 ? -rounded : rounded;
}

template <typename Int>
Int SaturatingRound(double value)
{
    if (std::isnan(value)) return 0;
    const double rounded = RoundHalfAwayFromZero(value);
    // Powers of two are exact; the top of the range saturates.
    const double top = -static_cast<double>(std::numeric_limits<Int>::min());
    if (rounded >= top) return std::numeric_limits<Int>::max();
    if (rounded <= -top) return std::numeric_limits<Int>::min();
    return static_cast<Int>(rounded);
}

}  // namespace

std::int32_t RoundToInt32(double value) { return SaturatingRound<std::int32_t>(value); }

std::int64_t RoundToInt64(double value) { return SaturatingRound<std::int64_t>(value); }

double RoundedToDecimals(double value, int decimals)
{
    if (!std::isfinite(value)) return value;
    const double scale = PowerOfTen(decimals);
    const double scaled = value * scale;
    // Beyond 2^52 every double is whole already.
    if (!std::isfinite(scaled) || std::fabs(scaled) >= 4503599627370496.0) return value;
    const double rounded = RoundHalfAwayFromZero(scaled) / scale;
    return rounded == 0.0 ? 0.0 : rounded;
}

double PowerOfTen(int n)
{
    return std::pow(10.0, n);
}

int PositionDecimals(std::int32_t k72)
{
    if (k72 < 0) return 0;
    if (k72 > kMaxPositionDecimals) return kMaxPositionDecimals;
    return k72;
}
