#include "simulator/core/DecimalText.h"

#include "platform/core/CString.h"

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
