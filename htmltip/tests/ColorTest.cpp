// Colour names (the CSS colour set and the system colours) and colour values.
#include "htmltip/HtmlDrawer.h"
#include "htmltip/MarkupVocabulary.h"
#include "htmltip/SystemColors.h"
#include "htmltip/tests/FakeCanvas.h"

#include <gtest/gtest.h>

using namespace htmltip;
using htmltip::test::ToNarrow;

namespace {

constexpr COLORREF kFallback = 0x00123456;

// Installs a source of system colours for one test and puts the previous one back.
class ScopedSystemColors {
public:
    explicit ScopedSystemColors(SystemColorFunction function) : m_previous(SetSystemColorFunction(function)) {}
    ~ScopedSystemColors() { SetSystemColorFunction(m_previous); }
    ScopedSystemColors(const ScopedSystemColors&) = delete;
    ScopedSystemColors& operator=(const ScopedSystemColors&) = delete;

private:
    SystemColorFunction m_previous;
};

TEST(ColorNames, EveryNameOfTheColourSetIsKnown)
{
    static const char16_t* const kNames[] = {
        u"aqua", u"black", u"blue", u"brown", u"cyan", u"gold", u"gray", u"green", u"magenta", u"maroon", u"navy",
        u"olive", u"orange", u"pink", u"purple", u"red", u"silver", u"snow", u"violet", u"white", u"yellow",
        u"aliceblue", u"antiquewhite", u"aquamarine", u"azure", u"beige", u"bisque", u"blanchedalmond",
        u"blueviolet", u"burlywood", u"cadetblue", u"chartreuse", u"chocolate", u"coral", u"cornflowerblue",
        u"cornsilk", u"crimson", u"darkblue", u"darkcyan", u"darkgoldenrod", u"darkgray", u"darkgreen",
        u"darkkhaki", u"darkmagenta", u"darkolivegreen", u"darkorange", u"darkorchid", u"darkred", u"darksalmon",
        u"darkseagreen", u"darkslateblue", u"darkslategray", u"darkturquoise", u"darkviolet", u"deeppink",
        u"deepskyblue", u"dimgray", u"dodgerblue", u"firebrick", u"floralwhite", u"forestgreen", u"fuchsia",
        u"gainsboro", u"ghostwhite", u"goldenrod", u"greenyellow", u"honeydew", u"hotpink", u"indianred",
        u"indigo", u"ivory", u"khaki", u"lavender", u"lavenderblush", u"lawngreen", u"lemonchiffon", u"lightblue",
        u"lightcoral", u"lightcyan", u"lightgoldenrodyellow", u"lightgreen", u"lightgrey", u"lightpink",
        u"lightsalmon", u"lightseagreen", u"lightskyblue", u"lightslategray", u"lightsteelblue", u"lightyellow",
        u"lime", u"limegreen", u"linen", u"mediumaquamarine", u"mediumblue", u"mediumorchid", u"mediumpurple",
        u"mediumseagreen", u"mediumslateblue", u"mediumspringgreen", u"mediumturquoise", u"mediumvioletred",
        u"midnightblue", u"mintcream", u"mistyrose", u"moccasin", u"navajowhite", u"oldlace", u"olivedrab",
        u"orangered", u"orchid", u"palegoldenrod", u"palegreen", u"paleturquoise", u"palevioletred",
        u"papayawhip", u"peachpuff", u"peru", u"plum", u"powderblue", u"rosybrown", u"royalblue", u"saddlebrown",
        u"salmon", u"sandybrown", u"seagreen", u"seashell", u"sienna", u"skyblue", u"slateblue", u"slategray",
        u"springgreen", u"steelblue", u"tan", u"teal", u"thistle", u"tomato", u"turquoise", u"wheat",
        u"whitesmoke", u"yellowgreen",
    };
    const MarkupVocabulary vocabulary;
    for (const char16_t* name : kNames) {
        SCOPED_TRACE(ToNarrow(name));
        EXPECT_NE(vocabulary.LookupColorName(name, 0xFF000000u), 0xFF000000u);
    }
}

TEST(ColorNames, GiveTheirColourValues)
{
    const MarkupVocabulary vocabulary;
    const struct {
        const char16_t* name;
        COLORREF color;
    } cases[] = {
        {u"red", RGB(0xFF, 0, 0)},
        {u"lime", RGB(0, 0xFF, 0)},
        {u"blue", RGB(0, 0, 0xFF)},
        {u"green", RGB(0, 0x80, 0)},
        {u"gray", RGB(0x80, 0x80, 0x80)},
        {u"orange", RGB(0xFF, 0xA5, 0x00)},
        {u"aliceblue", RGB(0xF0, 0xF8, 0xFF)},
        {u"cornflowerblue", RGB(0x64, 0x95, 0xED)},
        {u"darkseagreen", RGB(0x8F, 0xBC, 0x8B)},
        {u"lightgrey", RGB(0xD3, 0xD3, 0xD3)},
        {u"lightslategray", RGB(0x77, 0x88, 0x99)},
        {u"mediumpurple", RGB(0x93, 0x70, 0xDB)},
        {u"rebeccapurple", kFallback},
        {u"lightgray", kFallback},
        {u"darkgrey", kFallback},
        {u"Red", kFallback},
        {u"", kFallback},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToNarrow(c.name));
        EXPECT_EQ(vocabulary.LookupColorName(c.name, kFallback), c.color);
    }
}

TEST(ColorNames, SystemNamesTakeTheColoursOfConstruction)
{
    std::unique_ptr<MarkupVocabulary> vocabulary;
    {
        ScopedSystemColors colors([](int index) -> COLORREF { return 0x010000u + static_cast<COLORREF>(index); });
        vocabulary = std::make_unique<MarkupVocabulary>();
    }
    const struct {
        const char16_t* name;
        int index;
    } cases[] = {
        {u"scrollbar", 0},   {u"background", 1},     {u"buttonface", 15},     {u"threedface", 15},
        {u"infotext", 23},   {u"infobackground", 24}, {u"windowtext", 8},     {u"threedlightshadow", 22},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToNarrow(c.name));
        EXPECT_EQ(vocabulary->LookupColorName(c.name, kFallback), 0x010000u + static_cast<COLORREF>(c.index));
    }
    // A later change of the system colours is not seen.
    EXPECT_EQ(vocabulary->LookupColorName(u"buttonface", kFallback), 0x010000u + 15);
}

TEST(ColorValues, ReadHashNumbersAndNames)
{
    const MarkupVocabulary vocabulary;
    const struct {
        const char* name;
        const char16_t* text;
        COLORREF color;
    } cases[] = {
        {"hash red", u"#ff0000", RGB(255, 0, 0)},
        {"hash mixed case", u"#0A0b0C", RGB(10, 11, 12)},
        {"number 255 is pure red", u"255", RGB(255, 0, 0)},
        {"hexadecimal number", u"0xFF0000", RGB(0, 0, 255)},
        {"leading zero is octal", u"010", 8},
        {"name", u"red", RGB(255, 0, 0)},
        {"empty gives the fallback", u"", kFallback},
        {"hash of four characters", u"#f00", kFallback},
        {"hash of eight characters", u"#ff00000", kFallback},
        {"hash with a non-hex digit", u"#gg0000", kFallback},
        {"unknown name", u"nosuch", kFallback},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ParseColorValue(c.text, kFallback, vocabulary), c.color);
    }
}

TEST(ColorValues, ColourModeOffGivesTheDisabledColourForNames)
{
    CHtmlDrawer drawer;
    drawer.SetDisabledColor(0x00ABCDEF);
    EXPECT_EQ(drawer.LookupColor(u"red", kFallback), RGB(255, 0, 0));
    drawer.SetColorMode(FALSE);
    EXPECT_EQ(drawer.LookupColor(u"red", kFallback), 0x00ABCDEFu);
    EXPECT_EQ(drawer.LookupColor(u"nosuch", kFallback), 0x00ABCDEFu);
}

}  // namespace
