// Scanning primitives shared by the markup, attribute and style-sheet readers:
// each works on a text and a position that it advances, and never reads past
// the end of the text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace htmltip {

// Blanks separate names and values: space, tab, carriage return and line feed.
inline constexpr std::u16string_view kBlanks = u" \t\r\n";

bool IsBlank(char16_t ch);
bool IsAsciiLetter(char16_t ch);
bool IsAsciiDigit(char16_t ch);

class MarkupScanner {
public:
    explicit MarkupScanner(std::u16string_view text, std::size_t position = 0);

    std::u16string_view Text() const { return m_text; }
    std::size_t Position() const { return m_pos; }
    void SetPosition(std::size_t position);
    bool AtEnd() const { return m_pos >= m_text.size(); }
    // The character at the position; 0 at the end.
    char16_t Peek() const { return AtEnd() ? u'\0' : m_text[m_pos]; }
    void Advance(std::size_t count = 1);

    // Moves to the next ASCII letter, digit or "." (with withOperators also
    // "+", "-", "*", "/"); false, at the end, when there is none.
    bool SkipToWordStart(bool withOperators = false);
    // Moves to the next character of the set and gives it; 0 at the end.
    char16_t SkipToOneOf(std::u16string_view chars);
    // Skips the characters of the set and gives the first other one; 0 at the end.
    char16_t SkipAll(std::u16string_view chars);
    // Skips blanks, then consumes ch when it comes next.
    bool SkipBlanksAndTake(char16_t ch);
    // The text from the position up to the next character of the set (or the
    // end); the position moves onto that character.
    std::u16string_view TakeUntilOneOf(std::u16string_view chars);
    // Skips blanks, then takes up to the next blank or "=".
    std::u16string_view TakeWord();

private:
    std::u16string_view m_text;
    std::size_t m_pos;
};

struct MarkupAttribute {
    std::u16string name;
    std::u16string value;
};

// Reads the attributes of a tag's parameter text one after another: a name,
// optionally "=" and a value, quoted with ' or " or running to the next blank.
class MarkupAttributeReader {
public:
    explicit MarkupAttributeReader(std::u16string_view parameters) : m_scanner(parameters) {}
    // False when no attribute is left.
    bool Next(MarkupAttribute& attribute);

private:
    MarkupScanner m_scanner;
};

}  // namespace htmltip

namespace htmltip {

// Reads an unsigned number from the start of the text the way the run-time
// library does with base 0: "0x" or "0X" followed by a hexadecimal digit reads
// hexadecimal, a leading "0" octal, otherwise decimal, up to the first
// character that is no digit of the base. Saturates at 0xFFFFFFFF. digits,
// when given, tells whether any digit was read.
std::uint32_t ParseUnsignedNumber(std::u16string_view text, bool* digits = nullptr);
// A decimal integer from the start of the text after an optional sign,
// saturated to the 32-bit range; 0 without digits.
int ParseDecimal(std::u16string_view text, bool* digits = nullptr);

}  // namespace htmltip
