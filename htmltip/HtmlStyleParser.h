// Values and declarations of the style-sheet dialect: size values with their
// units, the properties and how each changes an HtmlStyle. Nothing here fails:
// an unknown property is ignored and an unreadable value keeps the field.
#pragma once

#include "htmltip/HtmlStyle.h"
#include "htmltip/MarkupVocabulary.h"

#include <string_view>

namespace htmltip {

// Size values are kept within this many logical units, so that no markup can
// ask for a font, rule or table that no device could draw.
inline constexpr int kMaxSizeValue = 32767;

// What size units are measured against: the current font and the device.
class SizeUnits {
public:
    virtual ~SizeUnits() = default;
    // Height of the text extent of "x" in the current font.
    virtual int XHeight() const = 0;
    // Character height of the current font.
    virtual int CharHeight() const = 0;
    // Vertical pixels per logical inch of the device.
    virtual int LogPixelsY() const = 0;
};

class FixedSizeUnits : public SizeUnits {
public:
    FixedSizeUnits(int xHeight = 0, int charHeight = 0, int logPixelsY = 96)
        : m_xHeight(xHeight), m_charHeight(charHeight), m_logPixelsY(logPixelsY)
    {
    }
    int XHeight() const override { return m_xHeight; }
    int CharHeight() const override { return m_charHeight; }
    int LogPixelsY() const override { return m_logPixelsY; }

private:
    int m_xHeight;
    int m_charHeight;
    int m_logPixelsY;
};

// How colour texts become colours: the names of a vocabulary, and with the
// colour mode off one disabled colour for everything.
struct ColorContext {
    const MarkupVocabulary* vocabulary = nullptr;
    bool colorMode = true;
    COLORREF disabledColor = 0x808080;

    // A colour name; the disabled colour with the colour mode off.
    COLORREF LookupName(std::u16string_view name, COLORREF fallback) const;
    // A colour value ("#rrggbb", number or name).
    COLORREF Value(std::u16string_view text, COLORREF fallback) const;
    // A colour value for a colour property: the disabled colour with the
    // colour mode off.
    COLORREF PropertyValue(std::u16string_view text, COLORREF fallback) const;
};

struct StyleContext {
    const SizeUnits& units;
    ColorContext colors;
};

// A size value: "N%" of the fallback, N with a unit (px, ex, em, in, cm, mm,
// pt, pc), or a plain number; with htmlSizes the numbers 1 to 7 are the HTML
// font sizes 8, 10, 12, 14, 18, 24 and 36. A sign is dropped. Unreadable
// texts give the fallback. The result lies in 0 ... kMaxSizeValue.
int ParseSizeValue(std::u16string_view text, int fallback, bool htmlSizes, const SizeUnits& units);

// Applies one property (name and value as given) to the style.
void ApplyProperty(std::u16string_view name, std::u16string_view value, HtmlStyle& style, const StyleContext& context);
// Applies a declaration block ("color:red; font-size:12pt"); the whole block is
// lower-cased first.
void ApplyDeclarations(std::u16string_view declarations, HtmlStyle& style, const StyleContext& context);

// Background effects by name ("solid", "hgradient", ..., "metal"); any other
// text is a size value, so a number selects an effect by number; an empty
// text keeps the current effect.
int ParseBackgroundEffect(std::u16string_view text, int current, const SizeUnits& units);

std::u16string ToLowerText(std::u16string_view text);

}  // namespace htmltip
