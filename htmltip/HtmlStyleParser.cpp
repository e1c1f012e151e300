#include "htmltip/HtmlStyleParser.h"

#include "htmltip/HtmlMath.h"
#include "htmltip/MarkupScanner.h"

#include <algorithm>
#include <cstdint>

namespace htmltip {

namespace {

int ClampSize(std::int64_t value) { return static_cast<int>(std::clamp<std::int64_t>(value, 0, kMaxSizeValue)); }

int ParseFontWeight(std::u16string_view value)
{
    if (value.empty() || value == u"normal") return 400;
    if (value == u"bold") return 700;
    if (value == u"bolder") return 900;
    if (value == u"lighter") return 100;
    return std::clamp(ParseDecimal(value), 0, 1000);
}

void ApplyTextDecoration(std::u16string_view value, HtmlStyle& style)
{
    if (value.find_first_not_of(u" ,\t\r\n") == std::u16string_view::npos) value = u"none";
    MarkupScanner scanner(value);
    while (scanner.SkipAll(u" ,\t\r\n") != u'\0') {
        const std::u16string_view word = scanner.TakeUntilOneOf(u" ,\t\r\n");
        if (word == u"none") {
            style.underline = style.strikeOut = style.overline = 0;
        } else if (word == u"underline") {
            style.underline = 1;
        } else if (word == u"line-through") {
            style.strikeOut = 1;
        } else if (word == u"overline") {
            style.overline = 1;
        }
    }
}

void ApplyBorderWidth(std::u16string_view value, HtmlStyle& style, const SizeUnits& units)
{
    if (value == u"thin") {
        style.borderWidth = htmltip::MulDiv(style.borderWidth, 75, 100);
    } else if (value == u"thick") {
        style.borderWidth = ClampSize(htmltip::MulDiv(style.borderWidth, 125, 100));
    } else if (value != u"medium") {
        style.borderWidth = ParseSizeValue(value, style.borderWidth, false, units);
    }
    if (style.borderWidth == 0) {
        style.borderStyle = kBorderNone;
    } else if (style.borderStyle == kBorderNone) {
        style.borderStyle = kBorderSolid;
    }
}

void ApplyBorderStyle(std::u16string_view value, HtmlStyle& style)
{
    if (value.empty() || value == u"none") {
        style.borderStyle = kBorderNone;
    } else if (value == u"solid") {
        style.borderStyle = kBorderSolid;
    } else if (value == u"dotted") {
        style.borderStyle = kBorderDotted;
    } else if (value == u"dashed") {
        style.borderStyle = kBorderDashed;
    } else if (value == u"double") {
        style.borderStyle = kBorderDouble;
    }
    if (style.borderStyle != kBorderNone && style.borderWidth == 0) style.borderWidth = 1;
}

std::u16string_view TrimRightBlanks(std::u16string_view text)
{
    const std::size_t last = text.find_last_not_of(kBlanks);
    return last == std::u16string_view::npos ? std::u16string_view() : text.substr(0, last + 1);
}

}  // namespace

std::u16string ToLowerText(std::u16string_view text)
{
    std::u16string lower(text);
    for (char16_t& ch : lower) ch = ToLowerChar(ch);
    return lower;
}

COLORREF ColorContext::LookupName(std::u16string_view name, COLORREF fallback) const
{
    if (!colorMode) return disabledColor;
    return vocabulary ? vocabulary->LookupColorName(name, fallback) : fallback;
}

COLORREF ColorContext::Value(std::u16string_view text, COLORREF fallback) const
{
    return ParseColorValueWith(text, fallback,
                           [this](std::u16string_view name, COLORREF fb) { return LookupName(name, fb); });
}

COLORREF ColorContext::PropertyValue(std::u16string_view text, COLORREF fallback) const
{
    return colorMode ? Value(text, fallback) : disabledColor;
}

int ParseSizeValue(std::u16string_view text, int fallback, bool htmlSizes, const SizeUnits& units)
{
    if (text.empty()) return fallback;
    if (text.back() == u'%') {
        std::u16string_view number = text.substr(0, text.size() - 1);
        if (!number.empty() && (number.front() == u'+' || number.front() == u'-')) number.remove_prefix(1);
        bool digits = false;
        const int percent = ParseDecimal(number, &digits);
        if (!digits) return fallback;
        return ClampSize(htmltip::MulDiv(fallback, percent, 100));
    }
    if (text.front() == u'+' || text.front() == u'-') text.remove_prefix(1);
    bool digits = false;
    const std::int64_t n = ParseDecimal(text, &digits);
    const std::u16string_view unit = text.size() >= 2 ? text.substr(text.size() - 2) : std::u16string_view();
    const std::int64_t perInch = n * units.LogPixelsY();
    if (unit == u"px") return digits ? ClampSize(n) : fallback;
    if (unit == u"ex") return digits ? ClampSize(n * units.XHeight()) : fallback;
    if (unit == u"em") return digits ? ClampSize(n * units.CharHeight()) : fallback;
    if (unit == u"in") return digits ? ClampSize(perInch) : fallback;
    if (unit == u"cm") return digits ? ClampSize(static_cast<std::int64_t>(perInch / 2.54)) : fallback;
    if (unit == u"mm") return digits ? ClampSize(static_cast<std::int64_t>(perInch / 25.4)) : fallback;
    if (unit == u"pt") return digits ? ClampSize(perInch / 72) : fallback;
    if (unit == u"pc") return digits ? ClampSize(perInch / 6) : fallback;
    const std::uint32_t plain = ParseUnsignedNumber(text, &digits);
    if (!digits) return fallback;
    if (htmlSizes && plain >= 1 && plain <= 7) {
        static constexpr int kHtmlSizes[] = {8, 10, 12, 14, 18, 24, 36};
        return kHtmlSizes[plain - 1];
    }
    return ClampSize(plain);
}

int ParseBackgroundEffect(std::u16string_view text, int current, const SizeUnits& units)
{
    static constexpr struct {
        const char16_t* name;
        int effect;
    } kEffects[] = {
        {u"transparent", -1}, {u"solid", 0},      {u"hgradient", 1},   {u"vgradient", 2},  {u"hcgradient", 3},
        {u"vcgradient", 4},   {u"3hgradient", 5}, {u"3vgradient", 6},  {u"noise", 7},      {u"diagshade", 8},
        {u"hshade", 9},       {u"vshade", 10},    {u"hbump", 11},      {u"vbump", 12},     {u"softbump", 13},
        {u"hardbump", 14},    {u"metal", 15},
    };
    if (text.empty()) return current;
    for (const auto& entry : kEffects) {
        if (text == entry.name) return entry.effect;
    }
    return ParseSizeValue(text, current, false, units);
}

void ApplyProperty(std::u16string_view name, std::u16string_view value, HtmlStyle& style, const StyleContext& context)
{
    const ColorContext& colors = context.colors;
    if (name == u"font-size") {
        style.size = ParseSizeValue(value, style.size, true, context.units);
    } else if (name == u"font-family") {
        if (!value.empty()) style.face = CString(value);
    } else if (name == u"font-style") {
        if (value.empty() || value == u"normal") {
            style.italic = 0;
        } else if (value == u"italic" || value == u"oblique") {
            style.italic = 1;
        }
    } else if (name == u"font-weight") {
        style.weight = ParseFontWeight(value);
    } else if (name == u"text-align") {
        if (value.empty() || value == u"left") {
            style.horizontalAlign = kAlignLeft;
        } else if (value == u"center") {
            style.horizontalAlign = kAlignCenter;
        } else if (value == u"right") {
            style.horizontalAlign = kAlignRight;
        } else if (value == u"justify") {
            style.horizontalAlign = kAlignJustify;
        }
    } else if (name == u"text-transform") {
        if (value.empty() || value == u"none") {
            style.textTransform = kTransformNone;
        } else if (value == u"uppercase") {
            style.textTransform = kTransformUpper;
        } else if (value == u"lowercase") {
            style.textTransform = kTransformLower;
        } else if (value == u"capitalize") {
            style.textTransform = kTransformCapitalize;
        }
    } else if (name == u"color") {
        style.textColor = colors.PropertyValue(value, style.textColor);
    } else if (name == u"background-color") {
        if (value.empty() || value == u"transparent" || !colors.colorMode) {
            style.backgroundMode = kBackgroundTransparent;
        } else {
            style.backgroundMode = kBackgroundOpaque;
            style.backgroundColor = colors.Value(value, style.backgroundColor);
        }
    } else if (name == u"text-decoration") {
        ApplyTextDecoration(value, style);
    } else if (name == u"vertical-align") {
        if (value.empty() || value == u"baseline") {
            style.verticalAlign = kVAlignBaseline;
        } else if (value == u"middle" || value == u"vcenter") {
            style.verticalAlign = kVAlignMiddle;
        } else if (value == u"top") {
            style.verticalAlign = kVAlignTop;
        } else if (value == u"bottom") {
            style.verticalAlign = kVAlignBottom;
        }
    } else if (name == u"border-color") {
        style.borderColorLight = colors.PropertyValue(value, style.borderColorLight);
        style.borderColorDark = style.borderColorLight;
    } else if (name == u"border-width" || name == u"size") {
        ApplyBorderWidth(value, style, context.units);
    } else if (name == u"border-style") {
        ApplyBorderStyle(value, style);
    } else if (name == u"margin") {
        style.cellPadding = ParseSizeValue(value, style.cellPadding, false, context.units);
    } else if (name == u"padding") {
        style.cellSpacing = ParseSizeValue(value, style.cellSpacing, false, context.units);
    }
}

void ApplyDeclarations(std::u16string_view declarations, HtmlStyle& style, const StyleContext& context)
{
    const std::u16string lower = ToLowerText(declarations);
    MarkupScanner scanner(lower);
    while (scanner.SkipToWordStart()) {
        const std::u16string_view name = scanner.TakeUntilOneOf(u" \t\r\n:");
        std::u16string_view value;
        if (scanner.SkipBlanksAndTake(u':')) {
            scanner.SkipAll(kBlanks);
            if (scanner.Peek() == u'"') {
                scanner.Advance();
                value = scanner.TakeUntilOneOf(u"\"");
                scanner.Advance();
            } else {
                // Blanks before the ";" belong to the layout of the sheet, not to the value.
                value = TrimRightBlanks(scanner.TakeUntilOneOf(u";"));
            }
        }
        ApplyProperty(name, value, style, context);
    }
}

}  // namespace htmltip
