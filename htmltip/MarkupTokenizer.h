// Cuts prepared markup into text runs and tags. "<<" is an escaped "<"; a "<"
// with no ">" after it, or "<>", starts no tag.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace htmltip {

struct MarkupToken {
    // Text before the tag (may be empty).
    std::u16string run;
    bool hasTag = false;
    // Offset of the tag's "<" in the text, and of the character after its ">".
    std::size_t tagStart = 0;
    std::size_t tagEnd = 0;
    // Everything before the first blank or "=" of the tag text.
    std::u16string tagName;
    // The rest of the tag text from that blank or "=" on, leading blanks removed.
    std::u16string parameters;
};

class MarkupTokenizer {
public:
    explicit MarkupTokenizer(std::u16string_view text) : m_text(text) {}

    // The next run with the tag that ends it; false when the text is used up.
    bool Next(MarkupToken& token);

    std::size_t Position() const { return m_pos; }

private:
    std::u16string_view m_text;
    std::size_t m_pos = 0;
    // The first ">" at or after m_gtFrom (npos: none), so that a run of "<"
    // before one ">" - or before none - does not search the same text again.
    std::size_t m_gtFrom = std::u16string_view::npos;
    std::size_t m_gt = std::u16string_view::npos;
};

// Splits a tag text into its name and its parameter text.
void SplitTagText(std::u16string_view tagText, std::u16string& name, std::u16string& parameters);

}  // namespace htmltip
