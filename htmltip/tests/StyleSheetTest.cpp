// Size units, declarations, the style-sheet parser and how tags change the style.
#include "htmltip/HtmlDrawer.h"
#include "htmltip/HtmlStyleParser.h"
#include "htmltip/HtmlStyleSheet.h"
#include "htmltip/tests/FakeCanvas.h"

#include <gtest/gtest.h>

using namespace htmltip;
using namespace htmltip::test;

namespace {

TEST(SizeValues, ReadUnitsPercentagesAndHtmlSizes)
{
    // x is 7 high, the font's character height 20, the device 96 pixels per inch.
    const FixedSizeUnits units(7, 20, 96);
    const struct {
        const char* name;
        const char16_t* text;
        int fallback;
        bool htmlSizes;
        int value;
    } cases[] = {
        {"empty keeps", u"", 11, true, 11},
        {"html size 2", u"2", 16, true, 10},
        {"html size 1", u"1", 16, true, 8},
        {"html size 7", u"7", 16, true, 36},
        {"8 is taken as it is", u"8", 16, true, 8},
        {"plus sign dropped", u"+2", 16, true, 10},
        {"minus sign dropped", u"-2", 16, true, 10},
        {"html sizes off", u"2", 16, false, 2},
        {"percent of the fallback", u"150%", 16, true, 24},
        {"percent rounds", u"65%", 13, true, 8},
        {"points at 96 per inch", u"12pt", 0, true, 16},
        {"points truncate", u"10pt", 0, true, 13},
        {"pixels", u"12px", 0, true, 12},
        {"ex", u"2ex", 0, true, 14},
        {"em", u"2em", 0, true, 40},
        {"inches", u"1in", 0, true, 96},
        {"centimetres drop the fraction", u"1cm", 0, true, 37},
        {"millimetres", u"10mm", 0, true, 37},
        {"picas", u"1pc", 0, true, 16},
        {"hexadecimal plain number", u"0x10", 0, false, 16},
        {"octal plain number", u"010", 0, false, 8},
        {"unit without number keeps", u"pt", 9, true, 9},
        {"words keep", u"large", 9, true, 9},
        {"percent without number keeps", u"%", 9, true, 9},
        {"huge number is bounded", u"4294967295", 0, false, kMaxSizeValue},
        {"huge points are bounded", u"99999999999pt", 0, false, kMaxSizeValue},
        {"huge percentage is bounded", u"999999999%", 100, false, kMaxSizeValue},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ParseSizeValue(c.text, c.fallback, c.htmlSizes, units), c.value);
    }
}

TEST(Declarations, ChangeTheStyle)
{
    const MarkupVocabulary vocabulary;
    const FixedSizeUnits units(7, 16, 96);
    ColorContext colors;
    colors.vocabulary = &vocabulary;
    const StyleContext context{units, colors};
    const struct {
        const char* name;
        const char16_t* declarations;
        void (*check)(const HtmlStyle&);
    } cases[] = {
        {"upper case is lowered", u"COLOR:RED", [](const HtmlStyle& s) { EXPECT_EQ(s.textColor, RGB(255, 0, 0)); }},
        {"face is lowered too", u"font-family:Verdana", [](const HtmlStyle& s) { EXPECT_EQ(s.face, u"verdana"); }},
        {"quoted face", u"font-family:\"Courier New\"; color:blue",
         [](const HtmlStyle& s) {
             EXPECT_EQ(s.face, u"courier new");
             EXPECT_EQ(s.textColor, RGB(0, 0, 255));
         }},
        {"blanks around the value", u"color : red ; font-size: 2 ",
         [](const HtmlStyle& s) {
             EXPECT_EQ(s.textColor, RGB(255, 0, 0));
             EXPECT_EQ(s.size, 10);
         }},
        {"weights", u"font-weight:bold", [](const HtmlStyle& s) { EXPECT_EQ(s.weight, 700); }},
        {"bolder", u"font-weight:bolder", [](const HtmlStyle& s) { EXPECT_EQ(s.weight, 900); }},
        {"numeric weight", u"font-weight:600", [](const HtmlStyle& s) { EXPECT_EQ(s.weight, 600); }},
        {"non-numeric weight is 0", u"font-weight:heavy", [](const HtmlStyle& s) { EXPECT_EQ(s.weight, 0); }},
        {"unknown font style keeps", u"font-style:italic; font-style:slanted",
         [](const HtmlStyle& s) { EXPECT_EQ(s.italic, 1); }},
        {"decorations", u"text-decoration:underline, overline",
         [](const HtmlStyle& s) {
             EXPECT_EQ(s.underline, 1);
             EXPECT_EQ(s.overline, 1);
             EXPECT_EQ(s.strikeOut, 0);
         }},
        {"empty decoration clears", u"text-decoration:line-through; text-decoration:",
         [](const HtmlStyle& s) { EXPECT_EQ(s.strikeOut, 0); }},
        {"transparent background", u"background-color:transparent",
         [](const HtmlStyle& s) { EXPECT_EQ(s.backgroundMode, kBackgroundTransparent); }},
        {"opaque background", u"background-color:#fbedbb",
         [](const HtmlStyle& s) {
             EXPECT_EQ(s.backgroundMode, kBackgroundOpaque);
             EXPECT_EQ(s.backgroundColor, RGB(0xFB, 0xED, 0xBB));
         }},
        {"vertical alignment", u"vertical-align:middle", [](const HtmlStyle& s) { EXPECT_EQ(s.verticalAlign, kVAlignMiddle); }},
        {"text alignment", u"text-align:right", [](const HtmlStyle& s) { EXPECT_EQ(s.horizontalAlign, kAlignRight); }},
        {"transform", u"text-transform:capitalize", [](const HtmlStyle& s) { EXPECT_EQ(s.textTransform, kTransformCapitalize); }},
        {"border colour sets both", u"border-color:red",
         [](const HtmlStyle& s) {
             EXPECT_EQ(s.borderColorLight, RGB(255, 0, 0));
             EXPECT_EQ(s.borderColorDark, RGB(255, 0, 0));
         }},
        {"solid with width 0 gives width 1", u"border-style:solid",
         [](const HtmlStyle& s) {
             EXPECT_EQ(s.borderStyle, kBorderSolid);
             EXPECT_EQ(s.borderWidth, 1);
         }},
        {"width 0 turns the border off", u"border-style:double; border-width:0",
         [](const HtmlStyle& s) { EXPECT_EQ(s.borderStyle, kBorderNone); }},
        {"width without style gives solid", u"border-width:3px",
         [](const HtmlStyle& s) {
             EXPECT_EQ(s.borderStyle, kBorderSolid);
             EXPECT_EQ(s.borderWidth, 3);
         }},
        {"thick grows the width", u"size:4; border-width:thick", [](const HtmlStyle& s) { EXPECT_EQ(s.borderWidth, 5); }},
        {"margin is cell padding, padding cell spacing", u"margin:5; padding:7",
         [](const HtmlStyle& s) {
             EXPECT_EQ(s.cellPadding, 5);
             EXPECT_EQ(s.cellSpacing, 7);
         }},
        {"property without colon gets an empty value", u"font-style; color:red",
         [](const HtmlStyle& s) {
             EXPECT_EQ(s.italic, 0);
             EXPECT_EQ(s.textColor, RGB(255, 0, 0));
         }},
        {"unknown properties and junk ignored", u"{{; nosuch:1; ;;: color:lime",
         [](const HtmlStyle& s) { EXPECT_EQ(s.textColor, RGB(0, 255, 0)); }},
        {"unreadable colour keeps", u"color:nosuch", [](const HtmlStyle& s) { EXPECT_EQ(s.textColor, 0u); }},
        {"unterminated quote", u"font-family:\"Arial", [](const HtmlStyle& s) { EXPECT_EQ(s.face, u"arial"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HtmlStyle style;
        ApplyDeclarations(c.declarations, style, context);
        c.check(style);
    }
}

TEST(Declarations, ColourModeOffDisablesColoursAndBackgrounds)
{
    const MarkupVocabulary vocabulary;
    const FixedSizeUnits units;
    ColorContext colors;
    colors.vocabulary = &vocabulary;
    colors.colorMode = false;
    colors.disabledColor = 0x00808081;
    HtmlStyle style;
    ApplyDeclarations(u"color:#ff0000; background-color:red; border-color:blue", style, StyleContext{units, colors});
    EXPECT_EQ(style.textColor, 0x00808081u);
    EXPECT_EQ(style.borderColorLight, 0x00808081u);
    EXPECT_EQ(style.backgroundMode, kBackgroundTransparent);
}

TEST(StyleSheet, ParsesRules)
{
    const struct {
        const char* name;
        const char16_t* text;
        const char* rules;
    } cases[] = {
        {"two rules", u"body {color:red}\r\nh1 {font-size:3}", "body{color:red}h1{font-size:3}"},
        {"selector lowered, declarations kept", u"BODY {COLOR:RED}", "body{COLOR:RED}"},
        {"later rule replaces", u"b {x} b {y}", "b{y}"},
        {"class and pseudo-class", u".note{a} a:hover {b}", ".note{a}a:hover{b}"},
        {"only the first selector of a list", u"h1, h2 {c}", "h1,{c}"},
        {"empty declarations are not stored", u"a {} b {x}", "b{x}"},
        {"missing closing brace ends the parse", u"a {x} b {y", "a{x}"},
        {"selector at the end", u"a {x} b", "a{x}"},
        {"no braces at all", u"just words", ""},
        {"empty", u"", ""},
        {"selector on its own line", u"body\r\n{color:red}", "body{color:red}"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HtmlStyleSheet sheet;
        sheet.Parse(c.text);
        std::string rules;
        for (const auto& [selector, declarations] : sheet.Rules()) {
            rules += ToNarrow(selector) + "{" + ToNarrow(declarations) + "}";
        }
        EXPECT_EQ(rules, c.rules);
        EXPECT_EQ(sheet.GetText(), c.text);
    }
}

TEST(StyleSheet, DefaultSheetAndRuleEditing)
{
    CHtmlDrawer drawer;
    EXPECT_EQ(drawer.GetStyle(u"a:hover"), CString(u"text-decoration:underline; color:blue"));
    EXPECT_EQ(drawer.GetStyle(u"PRE"), CString(u"font-size: 9pt; font-family:\"Courier\"; background-color:#fbedbb"));
    EXPECT_TRUE(drawer.GetStyle(u"p").has_value());
    EXPECT_EQ(drawer.GetCssStyles().Find(u"\r\n"), drawer.GetCssStyles().Find(u"}") + 1);

    drawer.SetCssStyles(u"em {color:red}");
    EXPECT_FALSE(drawer.GetStyle(u"body").has_value());
    EXPECT_EQ(drawer.GetCssStyles(), CString(u"em {color:red}"));
    drawer.SetStyle(u"Span", u"color:blue");
    EXPECT_EQ(drawer.GetStyle(u"span"), CString(u"color:blue"));
    drawer.RemoveStyle(u"SPAN");
    EXPECT_FALSE(drawer.GetStyle(u"span").has_value());

    drawer.SetCssStyles(nullptr);
    EXPECT_TRUE(drawer.GetStyle(u"body").has_value());
    EXPECT_TRUE(drawer.GetStyle(u".cpp-comment").has_value());
}

// The style of the one piece of text drawn for each marker letter.
class DrawnStyles : public ::testing::Test {
protected:
    void Draw(const char16_t* sheet, const char16_t* markup)
    {
        drawer.SetCssStyles(sheet);
        canvas.Clear();
        const SIZE size = drawer.PrepareOutput(canvas, markup);
        drawer.DrawPreparedOutput(canvas, RECT{0, 0, size.cx, size.cy});
    }
    const DrawnText& Piece(char16_t marker)
    {
        for (const DrawnText& text : canvas.texts) {
            if (text.text.find(marker) != std::u16string::npos) return text;
        }
        ADD_FAILURE() << "no piece with " << static_cast<char>(marker);
        static const DrawnText none;
        return none;
    }

    CHtmlDrawer drawer;
    FakeCanvas canvas;
};

TEST_F(DrawnStyles, BodyRuleColoursAllTextWhateverItsCase)
{
    Draw(u"BODY {COLOR:RED}", u"a<b>b</b>");
    EXPECT_EQ(Piece(u'a').paint.textColor, RGB(255, 0, 0));
    EXPECT_EQ(Piece(u'b').paint.textColor, RGB(255, 0, 0));
}

TEST_F(DrawnStyles, NestingOfBoldAndItalic)
{
    Draw(kPlainSheet, u"<b>a<b>b<b>c<b>d</b></b></b></b><i>e<i>f</i></i>");
    EXPECT_EQ(Piece(u'a').paint.font.weight, 800);
    EXPECT_EQ(Piece(u'b').paint.font.weight, 900);
    EXPECT_EQ(Piece(u'd').paint.font.weight, 900);
    EXPECT_TRUE(Piece(u'e').paint.font.italic);
    EXPECT_FALSE(Piece(u'f').paint.font.italic);
}

TEST_F(DrawnStyles, ClosingOutOfOrderIsIgnored)
{
    Draw(kPlainSheet, u"<b>a<i>b</b>c</i>d");
    EXPECT_EQ(Piece(u'c').paint.font.weight, 800);
    EXPECT_TRUE(Piece(u'c').paint.font.italic);
    EXPECT_EQ(Piece(u'd').paint.font.weight, 800);
    EXPECT_FALSE(Piece(u'd').paint.font.italic);
}

TEST_F(DrawnStyles, ScopesAndUnknownTags)
{
    Draw(kPlainSheet, u"<font size=40px>X</font><middle>a</bottom>b</b><B>c</B><X y=1>d");
    EXPECT_EQ(Piece(u'b').paint.font, Piece(u'c').paint.font);
    EXPECT_EQ(Piece(u'c').paint.font.weight, 400);
    // "</bottom>" ends the scope that "<middle>" opened: b is back on the baseline.
    EXPECT_NE(Piece(u'a').y, Piece(u'b').y);
    EXPECT_EQ(Piece(u'b').y, Piece(u'd').y);
}

TEST_F(DrawnStyles, FontTagAttributes)
{
    Draw(kPlainSheet,
         u"<font face=\"Courier New\" size=2 color=#00ff00 style=\"b-iuo\">a</font>"
         u"<font size=150% weight=bold bkgnd=yellow>b</font><font face=\"\" color=nosuch>c</font>");
    const DrawnText& a = Piece(u'a');
    EXPECT_EQ(a.paint.font.face, u"Courier New");
    EXPECT_EQ(a.paint.font.height, 10);
    EXPECT_EQ(a.paint.textColor, RGB(0, 255, 0));
    EXPECT_EQ(a.paint.font.weight, 700);
    EXPECT_FALSE(a.paint.font.italic);
    EXPECT_TRUE(a.paint.font.underline);
    ASSERT_EQ(canvas.lines.size(), 1u);  // the overline over "a"
    EXPECT_EQ(canvas.lines[0].width, 2);
    const DrawnText& b = Piece(u'b');
    EXPECT_EQ(b.paint.font.height, 24);
    EXPECT_EQ(b.paint.font.weight, 700);
    EXPECT_TRUE(b.paint.opaque);
    EXPECT_EQ(b.paint.backgroundColor, RGB(255, 255, 0));
    EXPECT_EQ(Piece(u'c').paint.font.face, u"Verdana");
    EXPECT_EQ(Piece(u'c').paint.textColor, 0u);
}

TEST_F(DrawnStyles, NamedStylesClassesAndTransparentBackground)
{
    Draw(u"body {font-size:16px}\n.Note {color:red}\nh1 {font-size:20px}\npre {background-color:transparent}",
         u"<span class=note>a</span><font class=NOTE>b</font><h1>c</h1><pre>d</pre><p>e</p>");
    EXPECT_EQ(Piece(u'a').paint.textColor, RGB(255, 0, 0));
    EXPECT_EQ(Piece(u'b').paint.textColor, RGB(255, 0, 0));
    EXPECT_EQ(Piece(u'c').paint.font.height, 20);
    EXPECT_FALSE(Piece(u'd').paint.opaque);
    EXPECT_EQ(Piece(u'e').paint.font.height, 16);
}

TEST_F(DrawnStyles, DefaultSheetSizesAt96PixelsPerInch)
{
    Draw(nullptr, u"a<h1>b</h1><small>c</small><h6>d</h6>");
    EXPECT_EQ(Piece(u'a').paint.font.height, 13);  // 10pt
    EXPECT_EQ(Piece(u'b').paint.font.height, 18);  // 14pt
    EXPECT_EQ(Piece(u'c').paint.font.height, 10);  // 75% of 13
    EXPECT_EQ(Piece(u'd').paint.font.height, 8);   // 65% of 13
    EXPECT_EQ(Piece(u'a').paint.font.face, u"verdana");
}

TEST_F(DrawnStyles, TextTransformEachRunByItself)
{
    Draw(u"body {font-size:16px; text-transform:capitalize}", u"hello wORLD<b>again</b>");
    EXPECT_EQ(canvas.JoinedText(), u"Hello World|Again");
    Draw(u"body {text-transform:uppercase}", u"abc");
    EXPECT_EQ(canvas.JoinedText(), u"ABC");
}

TEST_F(DrawnStyles, ColourModeOffDrawsEverythingInTheDisabledColour)
{
    drawer.SetColorMode(FALSE);
    drawer.SetDisabledColor(RGB(1, 2, 3));
    Draw(u"body {font-size:16px; background-color:yellow}", u"<font color=red>a</font>b");
    EXPECT_EQ(Piece(u'a').paint.textColor, RGB(1, 2, 3));
    EXPECT_FALSE(Piece(u'a').paint.opaque);
    EXPECT_EQ(Piece(u'b').paint.textColor, RGB(1, 2, 3));
}

}  // namespace
