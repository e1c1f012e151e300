#include "htmltip/MarkupVocabulary.h"

#include "htmltip/MarkupScanner.h"
#include "htmltip/SystemColors.h"

namespace htmltip {

namespace {

struct NamedColor {
    const char16_t* name;
    COLORREF color;
};

// The named colours of the CSS colour set, except "darkseagreen", whose blue
// is 0x8B here, and light grey, which is spelt "lightgrey" only.
constexpr NamedColor kFixedColors[] = {
    {u"aliceblue", RGB(0xF0, 0xF8, 0xFF)},
    {u"antiquewhite", RGB(0xFA, 0xEB, 0xD7)},
    {u"aqua", RGB(0x00, 0xFF, 0xFF)},
    {u"aquamarine", RGB(0x7F, 0xFF, 0xD4)},
    {u"azure", RGB(0xF0, 0xFF, 0xFF)},
    {u"beige", RGB(0xF5, 0xF5, 0xDC)},
    {u"bisque", RGB(0xFF, 0xE4, 0xC4)},
    {u"black", RGB(0x00, 0x00, 0x00)},
    {u"blanchedalmond", RGB(0xFF, 0xEB, 0xCD)},
    {u"blue", RGB(0x00, 0x00, 0xFF)},
    {u"blueviolet", RGB(0x8A, 0x2B, 0xE2)},
    {u"brown", RGB(0xA5, 0x2A, 0x2A)},
    {u"burlywood", RGB(0xDE, 0xB8, 0x87)},
    {u"cadetblue", RGB(0x5F, 0x9E, 0xA0)},
    {u"chartreuse", RGB(0x7F, 0xFF, 0x00)},
    {u"chocolate", RGB(0xD2, 0x69, 0x1E)},
    {u"coral", RGB(0xFF, 0x7F, 0x50)},
    {u"cornflowerblue", RGB(0x64, 0x95, 0xED)},
    {u"cornsilk", RGB(0xFF, 0xF8, 0xDC)},
    {u"crimson", RGB(0xDC, 0x14, 0x3C)},
    {u"cyan", RGB(0x00, 0xFF, 0xFF)},
    {u"darkblue", RGB(0x00, 0x00, 0x8B)},
    {u"darkcyan", RGB(0x00, 0x8B, 0x8B)},
    {u"darkgoldenrod", RGB(0xB8, 0x86, 0x0B)},
    {u"darkgray", RGB(0xA9, 0xA9, 0xA9)},
    {u"darkgreen", RGB(0x00, 0x64, 0x00)},
    {u"darkkhaki", RGB(0xBD, 0xB7, 0x6B)},
    {u"darkmagenta", RGB(0x8B, 0x00, 0x8B)},
    {u"darkolivegreen", RGB(0x55, 0x6B, 0x2F)},
    {u"darkorange", RGB(0xFF, 0x8C, 0x00)},
    {u"darkorchid", RGB(0x99, 0x32, 0xCC)},
    {u"darkred", RGB(0x8B, 0x00, 0x00)},
    {u"darksalmon", RGB(0xE9, 0x96, 0x7A)},
    {u"darkseagreen", RGB(0x8F, 0xBC, 0x8B)},
    {u"darkslateblue", RGB(0x48, 0x3D, 0x8B)},
    {u"darkslategray", RGB(0x2F, 0x4F, 0x4F)},
    {u"darkturquoise", RGB(0x00, 0xCE, 0xD1)},
    {u"darkviolet", RGB(0x94, 0x00, 0xD3)},
    {u"deeppink", RGB(0xFF, 0x14, 0x93)},
    {u"deepskyblue", RGB(0x00, 0xBF, 0xFF)},
    {u"dimgray", RGB(0x69, 0x69, 0x69)},
    {u"dodgerblue", RGB(0x1E, 0x90, 0xFF)},
    {u"firebrick", RGB(0xB2, 0x22, 0x22)},
    {u"floralwhite", RGB(0xFF, 0xFA, 0xF0)},
    {u"forestgreen", RGB(0x22, 0x8B, 0x22)},
    {u"fuchsia", RGB(0xFF, 0x00, 0xFF)},
    {u"gainsboro", RGB(0xDC, 0xDC, 0xDC)},
    {u"ghostwhite", RGB(0xF8, 0xF8, 0xFF)},
    {u"gold", RGB(0xFF, 0xD7, 0x00)},
    {u"goldenrod", RGB(0xDA, 0xA5, 0x20)},
    {u"gray", RGB(0x80, 0x80, 0x80)},
    {u"green", RGB(0x00, 0x80, 0x00)},
    {u"greenyellow", RGB(0xAD, 0xFF, 0x2F)},
    {u"honeydew", RGB(0xF0, 0xFF, 0xF0)},
    {u"hotpink", RGB(0xFF, 0x69, 0xB4)},
    {u"indianred", RGB(0xCD, 0x5C, 0x5C)},
    {u"indigo", RGB(0x4B, 0x00, 0x82)},
    {u"ivory", RGB(0xFF, 0xFF, 0xF0)},
    {u"khaki", RGB(0xF0, 0xE6, 0x8C)},
    {u"lavender", RGB(0xE6, 0xE6, 0xFA)},
    {u"lavenderblush", RGB(0xFF, 0xF0, 0xF5)},
    {u"lawngreen", RGB(0x7C, 0xFC, 0x00)},
    {u"lemonchiffon", RGB(0xFF, 0xFA, 0xCD)},
    {u"lightblue", RGB(0xAD, 0xD8, 0xE6)},
    {u"lightcoral", RGB(0xF0, 0x80, 0x80)},
    {u"lightcyan", RGB(0xE0, 0xFF, 0xFF)},
    {u"lightgoldenrodyellow", RGB(0xFA, 0xFA, 0xD2)},
    {u"lightgreen", RGB(0x90, 0xEE, 0x90)},
    {u"lightgrey", RGB(0xD3, 0xD3, 0xD3)},
    {u"lightpink", RGB(0xFF, 0xB6, 0xC1)},
    {u"lightsalmon", RGB(0xFF, 0xA0, 0x7A)},
    {u"lightseagreen", RGB(0x20, 0xB2, 0xAA)},
    {u"lightskyblue", RGB(0x87, 0xCE, 0xFA)},
    {u"lightslategray", RGB(0x77, 0x88, 0x99)},
    {u"lightsteelblue", RGB(0xB0, 0xC4, 0xDE)},
    {u"lightyellow", RGB(0xFF, 0xFF, 0xE0)},
    {u"lime", RGB(0x00, 0xFF, 0x00)},
    {u"limegreen", RGB(0x32, 0xCD, 0x32)},
    {u"linen", RGB(0xFA, 0xF0, 0xE6)},
    {u"magenta", RGB(0xFF, 0x00, 0xFF)},
    {u"maroon", RGB(0x80, 0x00, 0x00)},
    {u"mediumaquamarine", RGB(0x66, 0xCD, 0xAA)},
    {u"mediumblue", RGB(0x00, 0x00, 0xCD)},
    {u"mediumorchid", RGB(0xBA, 0x55, 0xD3)},
    {u"mediumpurple", RGB(0x93, 0x70, 0xDB)},
    {u"mediumseagreen", RGB(0x3C, 0xB3, 0x71)},
    {u"mediumslateblue", RGB(0x7B, 0x68, 0xEE)},
    {u"mediumspringgreen", RGB(0x00, 0xFA, 0x9A)},
    {u"mediumturquoise", RGB(0x48, 0xD1, 0xCC)},
    {u"mediumvioletred", RGB(0xC7, 0x15, 0x85)},
    {u"midnightblue", RGB(0x19, 0x19, 0x70)},
    {u"mintcream", RGB(0xF5, 0xFF, 0xFA)},
    {u"mistyrose", RGB(0xFF, 0xE4, 0xE1)},
    {u"moccasin", RGB(0xFF, 0xE4, 0xB5)},
    {u"navajowhite", RGB(0xFF, 0xDE, 0xAD)},
    {u"navy", RGB(0x00, 0x00, 0x80)},
    {u"oldlace", RGB(0xFD, 0xF5, 0xE6)},
    {u"olive", RGB(0x80, 0x80, 0x00)},
    {u"olivedrab", RGB(0x6B, 0x8E, 0x23)},
    {u"orange", RGB(0xFF, 0xA5, 0x00)},
    {u"orangered", RGB(0xFF, 0x45, 0x00)},
    {u"orchid", RGB(0xDA, 0x70, 0xD6)},
    {u"palegoldenrod", RGB(0xEE, 0xE8, 0xAA)},
    {u"palegreen", RGB(0x98, 0xFB, 0x98)},
    {u"paleturquoise", RGB(0xAF, 0xEE, 0xEE)},
    {u"palevioletred", RGB(0xDB, 0x70, 0x93)},
    {u"papayawhip", RGB(0xFF, 0xEF, 0xD5)},
    {u"peachpuff", RGB(0xFF, 0xDA, 0xB9)},
    {u"peru", RGB(0xCD, 0x85, 0x3F)},
    {u"pink", RGB(0xFF, 0xC0, 0xCB)},
    {u"plum", RGB(0xDD, 0xA0, 0xDD)},
    {u"powderblue", RGB(0xB0, 0xE0, 0xE6)},
    {u"purple", RGB(0x80, 0x00, 0x80)},
    {u"red", RGB(0xFF, 0x00, 0x00)},
    {u"rosybrown", RGB(0xBC, 0x8F, 0x8F)},
    {u"royalblue", RGB(0x41, 0x69, 0xE1)},
    {u"saddlebrown", RGB(0x8B, 0x45, 0x13)},
    {u"salmon", RGB(0xFA, 0x80, 0x72)},
    {u"sandybrown", RGB(0xF4, 0xA4, 0x60)},
    {u"seagreen", RGB(0x2E, 0x8B, 0x57)},
    {u"seashell", RGB(0xFF, 0xF5, 0xEE)},
    {u"sienna", RGB(0xA0, 0x52, 0x2D)},
    {u"silver", RGB(0xC0, 0xC0, 0xC0)},
    {u"skyblue", RGB(0x87, 0xCE, 0xEB)},
    {u"slateblue", RGB(0x6A, 0x5A, 0xCD)},
    {u"slategray", RGB(0x70, 0x80, 0x90)},
    {u"snow", RGB(0xFF, 0xFA, 0xFA)},
    {u"springgreen", RGB(0x00, 0xFF, 0x7F)},
    {u"steelblue", RGB(0x46, 0x82, 0xB4)},
    {u"tan", RGB(0xD2, 0xB4, 0x8C)},
    {u"teal", RGB(0x00, 0x80, 0x80)},
    {u"thistle", RGB(0xD8, 0xBF, 0xD8)},
    {u"tomato", RGB(0xFF, 0x63, 0x47)},
    {u"turquoise", RGB(0x40, 0xE0, 0xD0)},
    {u"violet", RGB(0xEE, 0x82, 0xEE)},
    {u"wheat", RGB(0xF5, 0xDE, 0xB3)},
    {u"white", RGB(0xFF, 0xFF, 0xFF)},
    {u"whitesmoke", RGB(0xF5, 0xF5, 0xF5)},
    {u"yellow", RGB(0xFF, 0xFF, 0x00)},
    {u"yellowgreen", RGB(0x9A, 0xCD, 0x32)},
};

struct SystemColorName {
    const char16_t* name;
    int index;
};

constexpr SystemColorName kSystemColors[] = {
    {u"activeborder", 10},     {u"activecaption", 2},      {u"appworkspace", 12},
    {u"background", 1},        {u"buttonface", 15},        {u"buttonhighlight", 20},
    {u"buttonshadow", 16},     {u"buttontext", 18},        {u"captiontext", 9},
    {u"graytext", 17},         {u"highlight", 13},         {u"highlighttext", 14},
    {u"inactiveborder", 11},   {u"inactivecaption", 3},    {u"inactivecaptiontext", 19},
    {u"infobackground", 24},   {u"infotext", 23},          {u"menu", 4},
    {u"menutext", 7},          {u"scrollbar", 0},          {u"threeddarkshadow", 21},
    {u"threedface", 15},       {u"threedhighlight", 20},   {u"threedlightshadow", 22},
    {u"threedshadow", 16},     {u"window", 5},             {u"windowframe", 6},
    {u"windowtext", 8},
};

int HexValue(char16_t ch)
{
    if (ch >= u'0' && ch <= u'9') return ch - u'0';
    if (ch >= u'a' && ch <= u'f') return ch - u'a' + 10;
    if (ch >= u'A' && ch <= u'F') return ch - u'A' + 10;
    return -1;
}

void ReplaceAll(std::u16string& text, std::u16string_view from, std::u16string_view to)
{
    if (from.empty()) return;
    std::u16string out;
    std::size_t start = 0;
    for (std::size_t found = text.find(from); found != std::u16string::npos; found = text.find(from, start)) {
        out.append(text, start, found - start);
        out.append(to);
        start = found + from.size();
    }
    if (start == 0) return;
    out.append(text, start, std::u16string::npos);
    text = std::move(out);
}

}  // namespace

MarkupVocabulary::MarkupVocabulary()
{
    const struct {
        const char16_t* name;
        TagKind kind;
        const char16_t* style;
    } tags[] = {
        {u"b", TagKind::Bold, u"bold"},
        {u"i", TagKind::Italic, u"italic"},
        {u"em", TagKind::Italic, u"italic"},
        {u"u", TagKind::Underline, u"underline"},
        {u"s", TagKind::StrikeOut, u"strikeout"},
        {u"strike", TagKind::StrikeOut, u"strikeout"},
        {u"font", TagKind::Font, u"font"},
        {u"hr", TagKind::Rule, u""},
        {u"br", TagKind::Break, u""},
        {u"\n", TagKind::Break, u""},
        {u"t", TagKind::Tab, u""},
        {u"\t", TagKind::Tab, u""},
        {u"left", TagKind::Left, u"left"},
        {u"center", TagKind::Center, u"center"},
        {u"right", TagKind::Right, u"right"},
        {u"justify", TagKind::Justify, u"justify"},
        {u"baseline", TagKind::Baseline, u"baseline"},
        {u"top", TagKind::Top, u"top"},
        {u"vcenter", TagKind::VCenter, u"vcenter"},
        {u"middle", TagKind::VCenter, u"vcenter"},
        // Shares the scope name of "vcenter", so either closing form ends it.
        {u"bottom", TagKind::Bottom, u"vcenter"},
        {u"bmp", TagKind::Bitmap, u""},
        {u"icon", TagKind::Icon, u""},
        {u"ilst", TagKind::ImageList, u""},
        {u"string", TagKind::String, u""},
        {u"span", TagKind::Span, u"span"},
        {u"a", TagKind::Link, u"link"},
    };
    for (const auto& tag : tags) m_tags[tag.name] = TagEntry{tag.kind, tag.style};
    for (const char16_t* named : {u"body", u"h1", u"h2", u"h3", u"h4", u"h5", u"h6", u"code", u"pre", u"big",
                                  u"small", u"sub", u"sup"}) {
        m_tags[named] = TagEntry{TagKind::NamedStyle, named};
    }

    m_entities = {
        {u"&amp;", u"&"},        {u"&bull;", u"\x0095"}, {u"&copy;", u"\x00A9"}, {u"&euro;", u"\x0080"},
        {u"&gt;", u">"},         {u"&iquest;", u"\x00BF"}, {u"&lt;", u"<<"},    {u"&nbsp;", u" "},
        {u"&para;", u"\x00B6"},  {u"&pound;", u"\x00A3"}, {u"&quot;", u"\""},   {u"&reg;", u"\x00AE"},
        {u"&trade;", u"\x0099"},
    };

    for (const NamedColor& named : kFixedColors) m_colors[named.name] = named.color;
    for (const SystemColorName& named : kSystemColors) m_colors[named.name] = GetSystemColor(named.index);
}

TagInfo MarkupVocabulary::LookupTag(std::u16string_view tagName) const
{
    TagInfo info;
    if (!tagName.empty() && tagName.front() == u'/') {
        info.closing = true;
        tagName.remove_prefix(1);
    }
    const auto found = m_tags.find(tagName);
    if (found != m_tags.end()) {
        info.kind = found->second.kind;
        info.styleName = found->second.styleName;
    }
    return info;
}

COLORREF MarkupVocabulary::LookupColorName(std::u16string_view name, COLORREF fallback) const
{
    const auto found = m_colors.find(name);
    return found == m_colors.end() ? fallback : found->second;
}

std::u16string MarkupVocabulary::PrepareText(std::u16string_view text, bool newLineAsBreak) const
{
    std::u16string prepared(text);
    // The map is ordered by name, which is the order the replacements must run in.
    // Every entity starts with "&": text without one has none to replace
    // (the search for each entity is most of the time otherwise).
    for (const auto& [entity, replacement] : m_entities) {
        if (prepared.find(u'&') == std::u16string::npos) break;
        ReplaceAll(prepared, entity, replacement);
    }
    std::u16string out;
    out.reserve(prepared.size());
    for (const char16_t ch : prepared) {
        if (ch == u'\r') continue;
        if (ch == u'\n' || ch == u'\t') {
            if (newLineAsBreak) out += ch == u'\n' ? u"<br>" : u"<t>";
            continue;
        }
        out += ch;
    }
    return out;
}

namespace detail {

bool ParseColorNumber(std::u16string_view text, COLORREF fallback, COLORREF& result)
{
    if (text.empty()) {
        result = fallback;
        return true;
    }
    if (text.front() == u'#') {
        result = fallback;
        if (text.size() != 7) return true;
        int channels[3];
        for (int i = 0; i < 3; ++i) {
            const int high = HexValue(text[1 + 2 * i]);
            const int low = HexValue(text[2 + 2 * i]);
            if (high < 0 || low < 0) return true;
            channels[i] = high * 16 + low;
        }
        result = RGB(channels[0], channels[1], channels[2]);
        return true;
    }
    if (IsAsciiDigit(text.front())) {
        result = ParseUnsignedNumber(text);
        return true;
    }
    return false;
}

}  // namespace detail

COLORREF ParseColorValue(std::u16string_view text, COLORREF fallback, const MarkupVocabulary& vocabulary)
{
    return ParseColorValueWith(text, fallback, [&vocabulary](std::u16string_view name, COLORREF fb) {
        return vocabulary.LookupColorName(name, fb);
    });
}

}  // namespace htmltip
