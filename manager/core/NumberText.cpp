#include "manager/core/NumberText.h"

#include "manager/core/SharedText.h"

#include <cmath>
#include <langinfo.h>
#include <locale.h>

namespace {

NumberLocale g_numberLocale;

int HexDigit(char16_t c)
{
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

// First character of a locale string in UTF-8 (the separators are ASCII or a
// short multi-byte sequence).
bool FirstCharacter(const char* text, char16_t& out)
{
    if (!text || !*text) return false;
    const CString wide = CString::FromUtf8(text);
    if (wide.IsEmpty()) return false;
    out = wide[0];
    return true;
}

}  // namespace

NumberLocale GetNumberLocale() { return g_numberLocale; }

void SetNumberLocale(const NumberLocale& locale) { g_numberLocale = locale; }

void InitNumberLocale()
{
    // A private locale object answers for the user's settings; the process
    // locale, which other threads format with, stays "C".
    locale_t user = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(nullptr));
    if (!user) return;
    char16_t ch = 0;
    if (FirstCharacter(nl_langinfo_l(RADIXCHAR, user), ch)) g_numberLocale.decimalSeparator = ch;
    freelocale(user);
    // POSIX locales carry no negative sign for plain numbers; "-" is what the
    // user's keyboard and every locale in use here give.
    g_numberLocale.negativeSign = u'-';
}

std::int64_t RoundToDecimals(double x, int decimals)
{
    double scaled = decimals > 0 ? x * std::pow(10.0, decimals) : x;
    scaled += scaled < 0 ? -0.005 : 0.005;
    if (std::isnan(scaled)) return 0;
    // 2^63 is exactly representable; anything at or beyond it saturates.
    constexpr double kLimit = 9223372036854775808.0;
    if (scaled >= kLimit) return INT64_MAX;
    if (scaled <= -kLimit) return INT64_MIN;
    return static_cast<std::int64_t>(scaled);
}

bool IsNumericText(std::u16string_view text, int decimals, bool negativeAllowed)
{
    const NumberLocale locale = g_numberLocale;
    bool separatorSeen = false;
    int digitsAfter = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c >= u'0' && c <= u'9') {
            if (separatorSeen && ++digitsAfter > decimals) return false;
        } else if (c == locale.decimalSeparator) {
            if (separatorSeen || decimals < 1) return false;
            separatorSeen = true;
        } else if (c == locale.negativeSign) {
            if (!negativeAllowed || i != 0) return false;
        } else {
            return false;
        }
    }
    return true;
}

double NumericTextToDouble(std::u16string_view text)
{
    const NumberLocale locale = g_numberLocale;
    std::u16string c;
    c.reserve(text.size());
    for (char16_t ch : text) {
        if (ch == locale.decimalSeparator)
            c.push_back(u'.');
        else if (ch == locale.negativeSign)
            c.push_back(u'-');
        else
            c.push_back(ch);
    }
    return WideToDouble(c.c_str());
}

int ParseHexByte(std::u16string_view text)
{
    if (text.size() == 1) {
        const int d = HexDigit(text[0]);
        return d < 0 ? -1 : 16 * d;
    }
    if (text.size() == 2) {
        const int hi = HexDigit(text[0]);
        const int lo = HexDigit(text[1]);
        return hi < 0 || lo < 0 ? -1 : 16 * hi + lo;
    }
    return -1;
}

int DottedToHexAddress(std::u16string_view dotted, CString& hex)
{
    int parts[4] = {};
    std::size_t start = 0;
    for (int part = 0; part < 4; ++part) {
        std::size_t stop = dotted.find(u'.', start);
        const bool last = part == 3;
        if (last) {
            if (stop != std::u16string_view::npos) return -1;  // a fifth part
            stop = dotted.size();
        } else if (stop == std::u16string_view::npos) {
            return -1;  // fewer than four parts
        }
        const std::u16string_view piece = dotted.substr(start, stop - start);
        if (piece.size() > 3) return -1;
        int value = 0;
        for (char16_t c : piece) {
            if (c < u'0' || c > u'9') return -1;
            value = value * 10 + (c - u'0');
        }
        if (value > 255) return -1;
        parts[part] = value;
        start = stop + 1;
    }
    hex.Format(u"%02x%02x%02x%02x", parts[0], parts[1], parts[2], parts[3]);
    return 0;
}

int HexToDottedAddress(std::u16string_view hex, CString& dotted)
{
    int bytes[4] = {};
    for (int i = 0; i < 4; ++i) {
        const std::size_t at = static_cast<std::size_t>(i) * 2;
        const int b = at + 2 <= hex.size() ? ParseHexByte(hex.substr(at, 2)) : -1;
        if (b < 0) {
            dotted.Empty();
            return -1;
        }
        bytes[i] = b;
    }
    dotted.Format(u"%d.%d.%d.%d", bytes[0], bytes[1], bytes[2], bytes[3]);
    return 0;
}

CString FormatFixedDecimals(int value, int decimals)
{
    if (decimals > 9) decimals = 9;
    CString text;
    if (decimals <= 0) {
        text.Format(u"%d", value);
        return text;
    }
    std::int64_t scale = 1;
    for (int i = 0; i < decimals; ++i) scale *= 10;
    const std::int64_t magnitude = value < 0 ? -static_cast<std::int64_t>(value) : value;
    text.Format(u"%s%I64d.%0*I64d", value < 0 ? u"-" : u"", magnitude / scale, decimals, magnitude % scale);
    return text;
}

CString FormatDuration(unsigned minutes)
{
    CString text;
    text.Format(u"%d:%02d:%02d", minutes / 1440, minutes % 1440 / 60, minutes % 60);
    return text;
}

DWORD ParseHexNumber(std::u16string_view text)
{
    if (text.size() > 8) text.remove_prefix(text.size() - 8);
    DWORD value = 0;
    for (char16_t c : text) {
        const int digit = HexDigit(c);
        value = (value << 4) | static_cast<DWORD>(digit < 0 ? 0 : digit);
    }
    return value;
}

CString FormatIpAddress(DWORD address)
{
    CString text;
    text.Format(u"%d.%d.%d.%d", (address >> 24) & 0xFF, (address >> 16) & 0xFF, (address >> 8) & 0xFF,
                address & 0xFF);
    return text;
}

DWORD ParseIpAddress(const CString& dotted)
{
    CString rest = dotted;
    DWORD address = 0;
    for (int part = 0; part < 4; ++part) {
        const CString token = NextToken(rest, u".");
        address = (address << 8) | (static_cast<DWORD>(_wtoi(token.GetString())) & 0xFF);
    }
    return address;
}
