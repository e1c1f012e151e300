// Number and address texts in the forms the controller, the data file and the
// parameter tables use, and the check of numbers the user types.
#pragma once

#include "platform/core/CString.h"

#include <cstdint>
#include <string_view>

// The user's decimal separator and negative sign, used by every check of a
// typed number. Filled once at start-up, before other threads run.
struct NumberLocale {
    char16_t decimalSeparator = u'.';
    char16_t negativeSign = u'-';
};

NumberLocale GetNumberLocale();
void SetNumberLocale(const NumberLocale& locale);
// Takes the first character of the user's numeric locale settings without
// changing the process locale; a setting that cannot be read is left as it was.
void InitNumberLocale();

// x times 10^decimals (times 1 for decimals of 0 or less), moved 0.005 away
// from zero and cut toward zero. Saturates at the 64-bit range; NaN gives 0.
std::int64_t RoundToDecimals(double x, int decimals);

// True when the text holds only digits, the locale's decimal separator and
// negative sign: at most one separator (none when decimals is below 1) with at
// most `decimals` digits after it, and a negative sign only as the first
// character and only when negatives are allowed. An empty text passes.
bool IsNumericText(std::u16string_view text, int decimals, bool negativeAllowed);

// value / 10^decimals with exactly `decimals` digits after the point (0 to 9;
// 0 or less gives the whole number): 12345 with 2 gives "123.45", -5 with 2
// gives "-0.05". Exact, with no detour through floating point.
CString FormatFixedDecimals(int value, int decimals);

// A count of minutes as "days:hours:minutes" ("%d:%02d:%02d"): 1500 gives "1:01:00".
CString FormatDuration(unsigned minutes);

// The last eight characters read as hexadecimal, last character lowest; a
// character that is not a hexadecimal digit counts as 0.
DWORD ParseHexNumber(std::u16string_view text);

// A 32-bit address, first dotted number in the highest byte, as "a.b.c.d".
CString FormatIpAddress(DWORD address);
// Four parts split at ".", each read as a decimal number and taken modulo 256,
// highest first; missing parts count 0.
DWORD ParseIpAddress(const CString& dotted);

// A text that passed IsNumericText read as a number in the C locale.
double NumericTextToDouble(std::u16string_view text);

// One or two hexadecimal characters: 16 * first + second, or 16 * digit for
// one character; -1 for anything else.
int ParseHexByte(std::u16string_view text);

// "192.168.0.2" to "c0a80002": 0 on success; -1, out untouched, unless the
// text is exactly four dot-separated parts of at most three digits, each 0 to
// 255 (an empty part counts as 0).
int DottedToHexAddress(std::u16string_view dotted, CString& hex);

// "c0a80002" to "192.168.0.2": 0 on success; -1 and an empty text when one of
// the first four character pairs is missing or not hexadecimal. Characters
// after the eighth are ignored.
int HexToDottedAddress(std::u16string_view hex, CString& dotted);
