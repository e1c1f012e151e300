// Number helpers of the simulator: typed decimals in the user's separator,
// saturating conversions, and the position decimals taken from K72.
#pragma once

#include <cstdint>
#include <string_view>

// Highest number of position decimals the arithmetic takes from K72; a
// corrupt value beyond it would overflow the scaled positions.
inline constexpr int kMaxPositionDecimals = 6;

// The text read like the run-time library's wcstod in the C locale (leading
// blanks, sign, digits, one decimal point, as far as they go; 0 when none),
// with the user's decimal separator read as the decimal point too, so that
// "12,5" typed under a comma locale is 12.5 and not 12.
double ParseDecimalText(std::u16string_view text, char16_t decimalSeparator);

// The value cut toward zero and held within 32 bits; NaN gives 0.
std::int32_t TruncToInt32(double value);

// The value rounded to a whole number, halves away from zero (12.5 gives 13,
// -12.5 gives -13; printf's "%.0f" would give 12), held within 32 (64) bits;
// NaN gives 0. A value a few units in the last place from a half, as binary
// arithmetic leaves 1.005 x 100, counts as that half.
std::int32_t RoundToInt32(double value);
std::int64_t RoundToInt64(double value);

// The value rounded to `decimals` places the same way, for a "%.*f" that then
// shows exactly that value: RoundedToDecimals(0.125, 2) is 0.13, and -0.001
// gives 0 (not -0, which would show as "-0.00").
double RoundedToDecimals(double value, int decimals);

// 10 to the power of n, for small n of either sign.
double PowerOfTen(int n);

// K72 as the number of position decimals: held within 0..kMaxPositionDecimals.
int PositionDecimals(std::int32_t k72);
