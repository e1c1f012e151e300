// The words of the tooltip markup: its tags, character entities and colour
// names, the text preparation done before every layout and the reading of
// colour values. All lookups compare case-sensitively.
#pragma once

#include "platform/core/WinTypes.h"

#include <map>
#include <string>
#include <string_view>

namespace htmltip {

enum class TagKind : int {
    None = 0,
    Bold = 1,
    Italic = 2,
    Underline = 3,
    StrikeOut = 4,
    Font = 5,
    Rule = 6,
    Break = 7,
    Tab = 8,
    Left = 9,
    Center = 10,
    Right = 11,
    Justify = 12,
    Baseline = 13,
    Top = 14,
    VCenter = 15,
    Bottom = 16,
    Bitmap = 17,
    Icon = 18,
    ImageList = 19,
    String = 20,
    NamedStyle = 21,
    Span = 22,
    Link = 23,
};

struct TagInfo {
    TagKind kind = TagKind::None;
    // Key by which a closing tag finds the scope it ends; empty for tags that
    // act at their place.
    std::u16string styleName;
    bool closing = false;
};

class MarkupVocabulary {
public:
    // Fills the tables; the system colour names take the system colours of
    // this moment.
    MarkupVocabulary();

    // A leading "/" is removed and sets the closing flag; the rest must match
    // a tag name exactly.
    TagInfo LookupTag(std::u16string_view tagName) const;
    // The colour of a colour name, or the fallback.
    COLORREF LookupColorName(std::u16string_view name, COLORREF fallback) const;

    // Entities replaced (in the order of their names, so "&amp;lt;" ends as an
    // escaped "<"), carriage returns removed, and line feeds and tabs turned
    // into "<br>" and "<t>" (newLineAsBreak) or removed.
    std::u16string PrepareText(std::u16string_view text, bool newLineAsBreak) const;

    const std::map<std::u16string, COLORREF, std::less<>>& ColorNames() const { return m_colors; }
    const std::map<std::u16string, std::u16string, std::less<>>& Entities() const { return m_entities; }

private:
    struct TagEntry {
        TagKind kind;
        std::u16string styleName;
    };
    std::map<std::u16string, TagEntry, std::less<>> m_tags;
    std::map<std::u16string, std::u16string, std::less<>> m_entities;
    std::map<std::u16string, COLORREF, std::less<>> m_colors;
};

// A colour value: "#rrggbb", a number used as the colour value itself ("0x"
// hexadecimal, leading "0" octal, else decimal), or a name looked up with
// lookupName. Anything unreadable gives the fallback.
template <class NameLookup>
COLORREF ParseColorValueWith(std::u16string_view text, COLORREF fallback, NameLookup&& lookupName);

// The same against the fixed names of a vocabulary.
COLORREF ParseColorValue(std::u16string_view text, COLORREF fallback, const MarkupVocabulary& vocabulary);

namespace detail {
// The "#" and number forms; false when the text is neither.
bool ParseColorNumber(std::u16string_view text, COLORREF fallback, COLORREF& result);
}  // namespace detail

template <class NameLookup>
COLORREF ParseColorValueWith(std::u16string_view text, COLORREF fallback, NameLookup&& lookupName)
{
    COLORREF result = fallback;
    if (detail::ParseColorNumber(text, fallback, result)) return result;
    return lookupName(text, fallback);
}

}  // namespace htmltip
