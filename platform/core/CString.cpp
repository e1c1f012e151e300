#include "platform/core/CString.h"

#include "platform/core/CodePage.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

// ---------------------------------------------------------------------------
// Case folding

char16_t ToUpperChar(char16_t c)
{
    if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 32);
    if (c < 0x80) return c;
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7)) return static_cast<char16_t>(c - 32);
    if (c == 0xFF) return 0x178;
    if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return static_cast<char16_t>(c - 32);  // Greek
    if (c >= 0x430 && c <= 0x44F) return static_cast<char16_t>(c - 32);                 // Cyrillic
    if (c >= 0x450 && c <= 0x45F) return static_cast<char16_t>(c - 80);
    if (c >= 0xFF41 && c <= 0xFF5A) return static_cast<char16_t>(c - 32);  // full-width Latin
    return c;
}

char16_t ToLowerChar(char16_t c)
{
    if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c + 32);
    if (c < 0x80) return c;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<char16_t>(c + 32);
    if (c == 0x178) return 0xFF;
    if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return static_cast<char16_t>(c + 32);
    if (c >= 0x410 && c <= 0x42F) return static_cast<char16_t>(c + 32);
    if (c >= 0x400 && c <= 0x40F) return static_cast<char16_t>(c + 80);
    if (c >= 0xFF21 && c <= 0xFF3A) return static_cast<char16_t>(c + 32);
    return c;
}

char16_t FoldCase(char16_t c) { return ToLowerChar(c); }

std::size_t WideLength(const char16_t* text)
{
    if (!text) return 0;
    std::size_t n = 0;
    while (text[n]) ++n;
    return n;
}

// ---------------------------------------------------------------------------
// Number parsing

namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f'; }

int DigitValue(char16_t c)
{
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'z') return c - u'a' + 10;
    if (c >= u'A' && c <= u'Z') return c - u'A' + 10;
    return 99;
}

// Parses like strtoll but saturates at [lo, hi] and never overflows.
LONGLONG ParseInteger(const char16_t* text, const char16_t** end, int base, LONGLONG lo, LONGLONG hi)
{
    const char16_t* p = text ? text : u"";
    const char16_t* start = p;
    while (IsBlank(*p)) ++p;
    bool negative = false;
    if (*p == u'+' || *p == u'-') {
        negative = *p == u'-';
        ++p;
    }
    if ((base == 0 || base == 16) && p[0] == u'0' && (p[1] == u'x' || p[1] == u'X') && DigitValue(p[2]) < 16) {
        p += 2;
        base = 16;
    } else if (base == 0) {
        base = (p[0] == u'0') ? 8 : 10;
    }
    if (base < 2 || base > 36) {
        if (end) *end = start;
        return 0;
    }
    const char16_t* digits = p;
    // Accumulate as a negative number so that the minimum is reachable.
    const unsigned long long limit = negative ? static_cast<unsigned long long>(-(lo + 1)) + 1
                                              : static_cast<unsigned long long>(hi);
    unsigned long long value = 0;
    bool overflow = false;
    for (; DigitValue(*p) < base; ++p) {
        const unsigned d = static_cast<unsigned>(DigitValue(*p));
        if (!overflow) {
            if (value > (limit - d) / static_cast<unsigned long long>(base)) {
                overflow = true;
            } else {
                value = value * static_cast<unsigned long long>(base) + d;
            }
        }
    }
    if (p == digits) {
        if (end) *end = start;
        return 0;
    }
    if (end) *end = p;
    if (overflow) return negative ? lo : hi;
    if (negative) return value == 0 ? 0 : -static_cast<LONGLONG>(value - 1) - 1;
    return static_cast<LONGLONG>(value);
}

}  // namespace

LONG WideToLong(const char16_t* text, const char16_t** end, int base)
{
    return static_cast<LONG>(ParseInteger(text, end, base, INT32_MIN, INT32_MAX));
}

LONGLONG WideToInt64(const char16_t* text, const char16_t** end, int base)
{
    return ParseInteger(text, end, base, INT64_MIN, INT64_MAX);
}

double WideToDouble(const char16_t* text, const char16_t** end)
{
    const char16_t* p = text ? text : u"";
    const char16_t* start = p;
    while (IsBlank(*p)) ++p;
    // Collect the longest prefix that looks like a C-locale number and let
    // strtod do the rounding.
    std::string narrow;
    const char16_t* q = p;
    if (*q == u'+' || *q == u'-') narrow.push_back(static_cast<char>(*q++));
    bool digits = false;
    while (*q >= u'0' && *q <= u'9') {
        narrow.push_back(static_cast<char>(*q++));
        digits = true;
    }
    if (*q == u'.') {
        narrow.push_back('.');
        ++q;
        while (*q >= u'0' && *q <= u'9') {
            narrow.push_back(static_cast<char>(*q++));
            digits = true;
        }
    }
    if (!digits) {
        if (end) *end = start;
        return 0.0;
    }
    if (*q == u'e' || *q == u'E') {
        const char16_t* e = q + 1;
        std::string exp = "e";
        if (*e == u'+' || *e == u'-') exp.push_back(static_cast<char>(*e++));
        if (*e >= u'0' && *e <= u'9') {
            while (*e >= u'0' && *e <= u'9') exp.push_back(static_cast<char>(*e++));
            narrow += exp;
            q = e;
        }
    }
    if (end) *end = q;
    return std::strtod(narrow.c_str(), nullptr);
}

// ---------------------------------------------------------------------------
// FormatArg

std::int64_t FormatArg::AsSigned() const
{
    switch (m_kind) {
    case Kind::Signed:
        return m_signed;
    case Kind::Unsigned:
    case Kind::Pointer:
        return static_cast<std::int64_t>(m_unsigned);
    case Kind::Double:
        if (!std::isfinite(m_double)) return 0;
        if (m_double >= 9.2e18) return INT64_MAX;
        if (m_double <= -9.2e18) return INT64_MIN;
        return static_cast<std::int64_t>(m_double);
    default:
        return 0;
    }
}

std::uint64_t FormatArg::AsUnsigned() const { return static_cast<std::uint64_t>(AsSigned()); }

double FormatArg::AsDouble() const
{
    switch (m_kind) {
    case Kind::Double:
        return m_double;
    case Kind::Signed:
        return static_cast<double>(m_signed);
    case Kind::Unsigned:
        return static_cast<double>(m_unsigned);
    default:
        return 0.0;
    }
}

std::u16string FormatArg::AsText(bool* isNull) const
{
    if (isNull) *isNull = false;
    if (m_kind == Kind::WideText) {
        if (!m_wide) {
            if (isNull) *isNull = true;
            return u"(null)";
        }
        return std::u16string(m_wide);
    }
    if (m_kind == Kind::NarrowText) {
        if (!m_narrow) {
            if (isNull) *isNull = true;
            return u"(null)";
        }
        return platform::ToWide(m_narrow);
    }
    return {};
}

// ---------------------------------------------------------------------------
// FormatText

namespace {

struct Spec {
    bool left = false;
    bool plus = false;
    bool space = false;
    bool alt = false;
    bool zero = false;
    int width = -1;
    int precision = -1;
    enum class Size { Default, Short, Char, Long64, Pointer, Narrow, Wide } size = Size::Default;
};

void AppendAscii(std::u16string& out, const char* s, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i) out.push_back(static_cast<unsigned char>(s[i]));
}

std::string FlagsText(const Spec& spec, bool withZero)
{
    std::string f = "%";
    if (spec.left) f += '-';
    if (spec.plus) f += '+';
    if (spec.space) f += ' ';
    if (spec.alt) f += '#';
    if (withZero && spec.zero) f += '0';
    if (spec.width >= 0) f += std::to_string(spec.width);
    if (spec.precision >= 0) f += '.' + std::to_string(spec.precision);
    return f;
}

void AppendPrintf(std::u16string& out, const std::string& fmt, auto value)
{
    char small[128];
    const int n = std::snprintf(small, sizeof small, fmt.c_str(), value);
    if (n < 0) return;
    if (static_cast<std::size_t>(n) < sizeof small) {
        AppendAscii(out, small, static_cast<std::size_t>(n));
        return;
    }
    std::string big(static_cast<std::size_t>(n) + 1, '\0');
    std::snprintf(big.data(), big.size(), fmt.c_str(), value);
    AppendAscii(out, big.data(), static_cast<std::size_t>(n));
}

void AppendPadded(std::u16string& out, std::u16string_view text, const Spec& spec)
{
    const int len = static_cast<int>(text.size());
    const int pad = spec.width > len ? spec.width - len : 0;
    if (!spec.left) out.append(static_cast<std::size_t>(pad), spec.zero ? u'0' : u' ');
    out.append(text);
    if (spec.left) out.append(static_cast<std::size_t>(pad), u' ');
}

}  // namespace

std::u16string FormatText(std::u16string_view format, const FormatArg* args, std::size_t count)
{
    std::u16string out;
    out.reserve(format.size() + 16);
    std::size_t next = 0;
    auto take = [&]() -> const FormatArg* { return next < count ? &args[next++] : nullptr; };

    const std::size_t n = format.size();
    std::size_t i = 0;
    while (i < n) {
        const char16_t c = format[i];
        if (c != u'%') {
            out.push_back(c);
            ++i;
            continue;
        }
        const std::size_t specStart = i;
        ++i;
        if (i < n && format[i] == u'%') {
            out.push_back(u'%');
            ++i;
            continue;
        }
        Spec spec;
        for (; i < n; ++i) {
            const char16_t f = format[i];
            if (f == u'-') spec.left = true;
            else if (f == u'+') spec.plus = true;
            else if (f == u' ') spec.space = true;
            else if (f == u'#') spec.alt = true;
            else if (f == u'0') spec.zero = true;
            else break;
        }
        if (i < n && format[i] == u'*') {
            const FormatArg* a = take();
            int w = a ? static_cast<int>(a->AsSigned()) : 0;
            if (w < 0) {
                spec.left = true;
                w = w == INT_MIN ? INT_MAX : -w;
            }
            spec.width = std::min(w, 1 << 20);
            ++i;
        } else {
            int w = -1;
            while (i < n && format[i] >= u'0' && format[i] <= u'9') {
                w = (w < 0 ? 0 : w);
                if (w < (1 << 20)) w = w * 10 + (format[i] - u'0');
                ++i;
            }
            spec.width = w;
        }
        if (i < n && format[i] == u'.') {
            ++i;
            if (i < n && format[i] == u'*') {
                const FormatArg* a = take();
                const int p = a ? static_cast<int>(a->AsSigned()) : 0;
                spec.precision = p < 0 ? -1 : std::min(p, 1 << 20);
                ++i;
            } else {
                int p = 0;
                while (i < n && format[i] >= u'0' && format[i] <= u'9') {
                    if (p < (1 << 20)) p = p * 10 + (format[i] - u'0');
                    ++i;
                }
                spec.precision = p;
            }
        }
        // Size prefixes.
        if (i < n) {
            const std::u16string_view rest = format.substr(i);
            if (rest.starts_with(u"I64")) {
                spec.size = Spec::Size::Long64;
                i += 3;
            } else if (rest.starts_with(u"I32")) {
                i += 3;
            } else if (rest.starts_with(u"ll")) {
                spec.size = Spec::Size::Long64;
                i += 2;
            } else if (rest.starts_with(u"hh")) {
                spec.size = Spec::Size::Char;
                i += 2;
            } else if (rest[0] == u'I' || rest[0] == u'z' || rest[0] == u't' || rest[0] == u'j') {
                spec.size = Spec::Size::Pointer;
                ++i;
            } else if (rest[0] == u'h') {
                spec.size = Spec::Size::Short;
                ++i;
            } else if (rest[0] == u'l' || rest[0] == u'w') {
                spec.size = Spec::Size::Wide;  // 32-bit integers; wide text
                ++i;
            } else if (rest[0] == u'L') {
                ++i;
            }
        }
        if (i >= n) {
            out.append(format.substr(specStart));
            break;
        }
        const char16_t type = format[i++];
        switch (type) {
        case u'd':
        case u'i':
        case u'u':
        case u'o':
        case u'x':
        case u'X': {
            const FormatArg* a = take();
            if (!a) break;
            const bool isSigned = type == u'd' || type == u'i';
            std::string f = FlagsText(spec, true);
            if (spec.size == Spec::Size::Long64 || spec.size == Spec::Size::Pointer) {
                f += "ll";
                f += static_cast<char>(type);
                if (isSigned) AppendPrintf(out, f, static_cast<long long>(a->AsSigned()));
                else AppendPrintf(out, f, static_cast<unsigned long long>(a->AsUnsigned()));
                break;
            }
            f += static_cast<char>(type);
            const std::uint64_t bits = a->AsUnsigned();
            if (spec.size == Spec::Size::Short) {
                if (isSigned) AppendPrintf(out, f, static_cast<int>(static_cast<std::int16_t>(bits)));
                else AppendPrintf(out, f, static_cast<unsigned>(static_cast<std::uint16_t>(bits)));
            } else if (spec.size == Spec::Size::Char) {
                if (isSigned) AppendPrintf(out, f, static_cast<int>(static_cast<std::int8_t>(bits)));
                else AppendPrintf(out, f, static_cast<unsigned>(static_cast<std::uint8_t>(bits)));
            } else {
                // int and long are 32 bits on the original platform.
                if (isSigned) AppendPrintf(out, f, static_cast<int>(static_cast<std::int32_t>(bits)));
                else AppendPrintf(out, f, static_cast<unsigned>(static_cast<std::uint32_t>(bits)));
            }
            break;
        }
        case u'e':
        case u'E':
        case u'f':
        case u'F':
        case u'g':
        case u'G':
        case u'a':
        case u'A': {
            const FormatArg* a = take();
            if (!a) break;
            std::string f = FlagsText(spec, true);
            f += static_cast<char>(type);
            AppendPrintf(out, f, a->AsDouble());
            break;
        }
        case u'c':
        case u'C': {
            const FormatArg* a = take();
            if (!a) break;
            const bool narrow = (type == u'C' && spec.size != Spec::Size::Wide) || spec.size == Spec::Size::Short;
            char16_t ch;
            if (narrow) {
                const char b = static_cast<char>(a->AsUnsigned() & 0xFF);
                const std::u16string w = platform::ToWide(std::string_view(&b, 1));
                ch = w.empty() ? u'?' : w[0];
            } else {
                ch = static_cast<char16_t>(a->AsUnsigned() & 0xFFFF);
            }
            AppendPadded(out, std::u16string_view(&ch, 1), spec);
            break;
        }
        case u's':
        case u'S': {
            const FormatArg* a = take();
            if (!a) break;
            std::u16string text = a->AsText();
            if (spec.precision >= 0 && static_cast<int>(text.size()) > spec.precision) {
                text.resize(static_cast<std::size_t>(spec.precision));
            }
            AppendPadded(out, text, spec);
            break;
        }
        case u'p': {
            const FormatArg* a = take();
            if (!a) break;
            char buf[32];
            const int len = std::snprintf(buf, sizeof buf, "%016llX", static_cast<unsigned long long>(a->AsUnsigned()));
            std::u16string text;
            AppendAscii(text, buf, static_cast<std::size_t>(len));
            AppendPadded(out, text, spec);
            break;
        }
        case u'n':
            // Writing through an argument is never honoured.
            take();
            break;
        default:
            // Not a conversion: keep the text as written.
            out.append(format.substr(specStart, i - specStart));
            break;
        }
    }
    return out;
}

// ---------------------------------------------------------------------------
// CString

CString::CString(const char16_t* text, int length)
{
    if (text && length > 0) m_text.assign(text, static_cast<std::size_t>(length));
}

CString::CString(char16_t ch, int repeat)
{
    if (repeat > 0) m_text.assign(static_cast<std::size_t>(repeat), ch);
}

CString::CString(const char* ansi)
{
    if (ansi) m_text = platform::ToWide(ansi);
}

CString::CString(const char* ansi, int length)
{
    if (ansi && length > 0) m_text = platform::ToWide(std::string_view(ansi, static_cast<std::size_t>(length)));
}

CString& CString::operator=(const char16_t* text)
{
    // Assigning from our own buffer must work.
    m_text = std::u16string(text ? text : u"");
    return *this;
}

CString& CString::operator=(char16_t ch)
{
    m_text.assign(1, ch);
    return *this;
}

CString& CString::operator=(const char* ansi)
{
    m_text = ansi ? platform::ToWide(ansi) : std::u16string();
    return *this;
}

CString CString::FromUtf8(std::string_view utf8) { return CString(platform::ToWide(utf8, CP_UTF8)); }

std::string CString::ToUtf8() const { return platform::FromWide(m_text, CP_UTF8); }

char16_t CString::GetAt(int index) const
{
    if (index < 0 || index >= GetLength()) return 0;
    return m_text[static_cast<std::size_t>(index)];
}

void CString::SetAt(int index, char16_t ch)
{
    if (index >= 0 && index < GetLength()) m_text[static_cast<std::size_t>(index)] = ch;
}

CString& CString::operator+=(const CString& s)
{
    m_text += s.m_text;
    return *this;
}

CString& CString::operator+=(const char16_t* s)
{
    if (s) m_text += std::u16string(s);
    return *this;
}

CString& CString::operator+=(char16_t ch)
{
    m_text.push_back(ch);
    return *this;
}

void CString::Append(const char16_t* s, int length)
{
    if (s && length > 0) m_text.append(s, static_cast<std::size_t>(length));
}

CString operator+(const CString& a, const CString& b) { return CString(a.m_text + b.m_text); }
CString operator+(const CString& a, const char16_t* b)
{
    CString r(a);
    r += b;
    return r;
}
CString operator+(const char16_t* a, const CString& b)
{
    CString r(a);
    r += b;
    return r;
}
CString operator+(const CString& a, char16_t b)
{
    CString r(a);
    r += b;
    return r;
}
CString operator+(char16_t a, const CString& b)
{
    CString r(a, 1);
    r += b;
    return r;
}

int CString::Compare(const char16_t* other) const
{
    const std::u16string_view o(other ? other : u"");
    const int r = std::u16string_view(m_text).compare(o);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

int CString::CompareNoCase(const char16_t* other) const
{
    const char16_t* o = other ? other : u"";
    std::size_t i = 0;
    for (;; ++i) {
        const char16_t a = i < m_text.size() ? FoldCase(m_text[i]) : 0;
        const char16_t b = FoldCase(o[i]);
        if (a != b) return a < b ? -1 : 1;
        if (a == 0) return 0;
    }
}

CString CString::Left(int count) const
{
    if (count <= 0) return CString();
    return CString(m_text.substr(0, static_cast<std::size_t>(std::min(count, GetLength()))));
}

CString CString::Right(int count) const
{
    if (count <= 0) return CString();
    const int len = GetLength();
    if (count >= len) return *this;
    return CString(m_text.substr(static_cast<std::size_t>(len - count)));
}

CString CString::Mid(int first) const { return Mid(first, GetLength()); }

CString CString::Mid(int first, int count) const
{
    if (first < 0) first = 0;
    const int len = GetLength();
    if (first >= len || count <= 0) return CString();
    count = std::min(count, len - first);
    return CString(m_text.substr(static_cast<std::size_t>(first), static_cast<std::size_t>(count)));
}

CString CString::SpanIncluding(const char16_t* chars) const
{
    const std::u16string_view set(chars ? chars : u"");
    std::size_t i = 0;
    while (i < m_text.size() && set.find(m_text[i]) != std::u16string_view::npos) ++i;
    return CString(m_text.substr(0, i));
}

CString CString::SpanExcluding(const char16_t* chars) const
{
    const std::u16string_view set(chars ? chars : u"");
    std::size_t i = 0;
    while (i < m_text.size() && set.find(m_text[i]) == std::u16string_view::npos) ++i;
    return CString(m_text.substr(0, i));
}

CString CString::Tokenize(const char16_t* delimiters, int& start) const
{
    const std::u16string_view set(delimiters ? delimiters : u"");
    if (start < 0) {
        return CString();
    }
    std::size_t i = static_cast<std::size_t>(start);
    while (i < m_text.size() && set.find(m_text[i]) != std::u16string_view::npos) ++i;
    if (i >= m_text.size()) {
        start = -1;
        return CString();
    }
    std::size_t j = i;
    while (j < m_text.size() && set.find(m_text[j]) == std::u16string_view::npos) ++j;
    start = static_cast<int>(j < m_text.size() ? j + 1 : j);
    return CString(m_text.substr(i, j - i));
}

int CString::Find(char16_t ch, int start) const
{
    if (start < 0 || start >= GetLength()) return -1;
    const auto p = m_text.find(ch, static_cast<std::size_t>(start));
    return p == std::u16string::npos ? -1 : static_cast<int>(p);
}

int CString::Find(const char16_t* sub, int start) const
{
    if (!sub || start < 0 || start > GetLength()) return -1;
    const auto p = m_text.find(sub, static_cast<std::size_t>(start));
    return p == std::u16string::npos ? -1 : static_cast<int>(p);
}

int CString::ReverseFind(char16_t ch) const
{
    const auto p = m_text.rfind(ch);
    return p == std::u16string::npos ? -1 : static_cast<int>(p);
}

int CString::FindOneOf(const char16_t* chars) const
{
    if (!chars || !*chars) return -1;
    const auto p = m_text.find_first_of(chars);
    return p == std::u16string::npos ? -1 : static_cast<int>(p);
}

int CString::Replace(char16_t from, char16_t to)
{
    int count = 0;
    for (auto& c : m_text) {
        if (c == from) {
            c = to;
            ++count;
        }
    }
    return count;
}

int CString::Replace(const char16_t* from, const char16_t* to)
{
    const std::u16string f(from ? from : u"");
    const std::u16string t(to ? to : u"");
    if (f.empty()) return 0;
    int count = 0;
    std::u16string result;
    std::size_t pos = 0;
    for (;;) {
        const auto hit = m_text.find(f, pos);
        if (hit == std::u16string::npos) break;
        result.append(m_text, pos, hit - pos);
        result += t;
        pos = hit + f.size();
        ++count;
    }
    if (count) {
        result.append(m_text, pos, std::u16string::npos);
        m_text = std::move(result);
    }
    return count;
}

int CString::Remove(char16_t ch)
{
    const auto before = m_text.size();
    std::erase(m_text, ch);
    return static_cast<int>(before - m_text.size());
}

int CString::Insert(int index, char16_t ch)
{
    index = std::clamp(index, 0, GetLength());
    m_text.insert(m_text.begin() + index, ch);
    return GetLength();
}

int CString::Insert(int index, const char16_t* text)
{
    index = std::clamp(index, 0, GetLength());
    if (text) m_text.insert(static_cast<std::size_t>(index), std::u16string(text));
    return GetLength();
}

int CString::Delete(int index, int count)
{
    if (index < 0) index = 0;
    if (count > 0 && index < GetLength()) {
        m_text.erase(static_cast<std::size_t>(index), static_cast<std::size_t>(std::min(count, GetLength() - index)));
    }
    return GetLength();
}

void CString::Truncate(int length)
{
    if (length >= 0 && length < GetLength()) m_text.resize(static_cast<std::size_t>(length));
}

CString& CString::MakeUpper()
{
    for (auto& c : m_text) c = ToUpperChar(c);
    return *this;
}

CString& CString::MakeLower()
{
    for (auto& c : m_text) c = ToLowerChar(c);
    return *this;
}

CString& CString::MakeReverse()
{
    std::reverse(m_text.begin(), m_text.end());
    return *this;
}

namespace {
constexpr char16_t kWhiteSpace[] = u" \t\r\n\v\f";
}

CString& CString::Trim() { return TrimRight().TrimLeft(); }
CString& CString::Trim(char16_t ch) { return TrimRight(ch).TrimLeft(ch); }
CString& CString::Trim(const char16_t* chars) { return TrimRight(chars).TrimLeft(chars); }
CString& CString::TrimLeft() { return TrimLeft(kWhiteSpace); }
CString& CString::TrimRight() { return TrimRight(kWhiteSpace); }

CString& CString::TrimLeft(char16_t ch)
{
    const char16_t set[2] = {ch, 0};
    return TrimLeft(set);
}

CString& CString::TrimRight(char16_t ch)
{
    const char16_t set[2] = {ch, 0};
    return TrimRight(set);
}

CString& CString::TrimLeft(const char16_t* chars)
{
    if (!chars) return *this;
    const auto p = m_text.find_first_not_of(chars);
    m_text.erase(0, p == std::u16string::npos ? m_text.size() : p);
    return *this;
}

CString& CString::TrimRight(const char16_t* chars)
{
    if (!chars) return *this;
    const auto p = m_text.find_last_not_of(chars);
    m_text.erase(p == std::u16string::npos ? 0 : p + 1);
    return *this;
}

char16_t* CString::GetBuffer(int minLength)
{
    if (minLength > GetLength()) m_text.resize(static_cast<std::size_t>(minLength));
    return m_text.data();
}

char16_t* CString::GetBufferSetLength(int length)
{
    m_text.resize(static_cast<std::size_t>(std::max(length, 0)));
    return m_text.data();
}

void CString::ReleaseBuffer(int newLength)
{
    if (newLength < 0) {
        const auto p = m_text.find(char16_t(0));
        if (p != std::u16string::npos) m_text.resize(p);
    } else if (newLength <= GetLength()) {
        m_text.resize(static_cast<std::size_t>(newLength));
    }
}
