#include "htmltip/MarkupScanner.h"

namespace htmltip {

bool IsBlank(char16_t ch) { return kBlanks.find(ch) != std::u16string_view::npos; }
bool IsAsciiLetter(char16_t ch) { return (ch >= u'a' && ch <= u'z') || (ch >= u'A' && ch <= u'Z'); }
bool IsAsciiDigit(char16_t ch) { return ch >= u'0' && ch <= u'9'; }

MarkupScanner::MarkupScanner(std::u16string_view text, std::size_t position)
    : m_text(text), m_pos(position < text.size() ? position : text.size())
{
}

void MarkupScanner::SetPosition(std::size_t position) { m_pos = position < m_text.size() ? position : m_text.size(); }

void MarkupScanner::Advance(std::size_t count) { SetPosition(m_pos + count); }

bool MarkupScanner::SkipToWordStart(bool withOperators)
{
    for (; m_pos < m_text.size(); ++m_pos) {
        const char16_t ch = m_text[m_pos];
        if (IsAsciiLetter(ch) || IsAsciiDigit(ch) || ch == u'.') return true;
        if (withOperators && (ch == u'+' || ch == u'-' || ch == u'*' || ch == u'/')) return true;
    }
    return false;
}

char16_t MarkupScanner::SkipToOneOf(std::u16string_view chars)
{
    const std::size_t found = m_text.find_first_of(chars, m_pos);
    m_pos = found == std::u16string_view::npos ? m_text.size() : found;
    return Peek();
}

char16_t MarkupScanner::SkipAll(std::u16string_view chars)
{
    const std::size_t found = m_text.find_first_not_of(chars, m_pos);
    m_pos = found == std::u16string_view::npos ? m_text.size() : found;
    return Peek();
}

bool MarkupScanner::SkipBlanksAndTake(char16_t ch)
{
    if (SkipAll(kBlanks) != ch || AtEnd()) return false;
    ++m_pos;
    return true;
}

std::u16string_view MarkupScanner::TakeUntilOneOf(std::u16string_view chars)
{
    const std::size_t start = m_pos;
    SkipToOneOf(chars);
    return m_text.substr(start, m_pos - start);
}

std::u16string_view MarkupScanner::TakeWord()
{
    SkipAll(kBlanks);
    return TakeUntilOneOf(u" \t\r\n=");
}

bool MarkupAttributeReader::Next(MarkupAttribute& attribute)
{
    attribute.name.clear();
    attribute.value.clear();
    if (!m_scanner.SkipToWordStart()) return false;
    attribute.name = m_scanner.TakeUntilOneOf(u" \t\r\n=");
    if (!m_scanner.SkipBlanksAndTake(u'=')) return true;
    m_scanner.SkipAll(kBlanks);
    const char16_t quote = m_scanner.Peek();
    if (quote == u'"' || quote == u'\'') {
        m_scanner.Advance();
        attribute.value = m_scanner.TakeUntilOneOf(std::u16string_view(&quote, 1));
        m_scanner.Advance();  // the closing quote, when there is one
    } else {
        attribute.value = m_scanner.TakeUntilOneOf(kBlanks);
    }
    return true;
}

}  // namespace htmltip

namespace htmltip {

namespace {

int DigitValue(char16_t ch)
{
    if (ch >= u'0' && ch <= u'9') return ch - u'0';
    if (ch >= u'a' && ch <= u'f') return ch - u'a' + 10;
    if (ch >= u'A' && ch <= u'F') return ch - u'A' + 10;
    return 99;
}

}  // namespace

std::uint32_t ParseUnsignedNumber(std::u16string_view text, bool* digits)
{
    int base = 10;
    std::size_t pos = 0;
    if (text.size() >= 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X')) {
        if (text.size() > 2 && DigitValue(text[2]) < 16) {
            base = 16;
            pos = 2;
        }
    } else if (!text.empty() && text[0] == u'0') {
        base = 8;
    }
    std::uint64_t value = 0;
    bool any = false;
    for (; pos < text.size(); ++pos) {
        const int digit = DigitValue(text[pos]);
        if (digit >= base) break;
        any = true;
        value = value * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
        if (value > 0xFFFFFFFFu) value = 0x100000000u;  // keeps saturating without wrapping
    }
    if (digits) *digits = any;
    return value > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(value);
}

int ParseDecimal(std::u16string_view text, bool* digits)
{
    std::size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == u'+' || text[pos] == u'-')) negative = text[pos++] == u'-';
    std::int64_t value = 0;
    bool any = false;
    for (; pos < text.size() && IsAsciiDigit(text[pos]); ++pos) {
        any = true;
        if (value <= 0x80000000LL) value = value * 10 + (text[pos] - u'0');
    }
    if (digits) *digits = any;
    if (negative) value = -value;
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<int>(value);
}

}  // namespace htmltip
