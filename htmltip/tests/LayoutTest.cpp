// Lines, wrapping, breaks, tabs, alignment and rules, with a font of fixed
// advances: 10 units a character, 16 high with ascent 12 unless a row says otherwise.
#include "htmltip/HtmlDrawer.h"
#include "htmltip/HtmlMath.h"
#include "htmltip/tests/FakeCanvas.h"

#include <gtest/gtest.h>

using namespace htmltip;
using namespace htmltip::test;

namespace {

class Layout : public ::testing::Test {
protected:
    Layout() { drawer.SetCssStyles(kPlainSheet); }

    SIZE Prepare(const char16_t* markup) { return drawer.PrepareOutput(canvas, markup); }
    void DrawIn(int width, int height = 1000)
    {
        canvas.Clear();
        drawer.DrawPreparedOutput(canvas, RECT{0, 0, width, height});
    }
    const DrawnText* Piece(const char16_t* text) const
    {
        for (const DrawnText& drawn : canvas.texts) {
            if (drawn.text == text) return &drawn;
        }
        return nullptr;
    }

    CHtmlDrawer drawer;
    FakeCanvas canvas;
};

TEST_F(Layout, EmptyTextMeasuresNothingAndDrawsNothing)
{
    EXPECT_EQ(Prepare(u""), (SIZE{0, 0}));
    DrawIn(100);
    EXPECT_TRUE(canvas.texts.empty());
    EXPECT_TRUE(drawer.GetPreparedText().empty());
}

TEST_F(Layout, OneCharacterGetsOneAddedToBothSizes)
{
    EXPECT_EQ(Prepare(u"a"), (SIZE{11, 17}));
}

TEST_F(Layout, LineRecordsOfBreaks)
{
    EXPECT_EQ(Prepare(u"ab<br>cde<br=2><font size=40px>X</font>y"), (SIZE{31, 16 + 32 + 40 + 1}));
    const std::vector<LineRecord>& lines = drawer.GetLineRecords();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].width, 20);
    EXPECT_EQ(lines[0].ascent, 12);
    EXPECT_EQ(lines[0].descent, 4);
    EXPECT_EQ(lines[1].width, 30);
    EXPECT_EQ(lines[2].width, 20);
    EXPECT_EQ(lines[2].ascent, 30);
    EXPECT_EQ(lines[2].descent, 10);
    EXPECT_EQ(lines[2].wrapped, 0);

    DrawIn(200);
    // "<br=2>" leaves one empty line.
    EXPECT_EQ(Piece(u"ab")->y, 0);
    EXPECT_EQ(Piece(u"cde")->y, 16);
    EXPECT_EQ(Piece(u"X")->y, 48);
}

TEST_F(Layout, LineWithoutTextTakesTheFontHeight)
{
    EXPECT_EQ(Prepare(u"<br>"), (SIZE{1, 33}));
}

TEST_F(Layout, WrapsAtBreakCharactersWithinTheMaximumWidth)
{
    drawer.SetMaxWidth(100);
    EXPECT_EQ(Prepare(u"aaaa bbbb cccc dddd"), (SIZE{91, 33}));
    ASSERT_EQ(drawer.GetLineRecords().size(), 2u);
    EXPECT_EQ(drawer.GetLineRecords()[0].wrapped, 1);
    EXPECT_EQ(drawer.GetLineRecords()[1].wrapped, 0);
    DrawIn(91);
    EXPECT_EQ(canvas.JoinedText(), u"aaaa bbbb|cccc dddd");

    drawer.SetMaxWidth(0);
    EXPECT_EQ(Prepare(u"aaaa bbbb cccc dddd"), (SIZE{191, 17}));
}

TEST_F(Layout, WrapsAWordWiderThanTheLine)
{
    drawer.SetMaxWidth(100);
    const struct {
        const char* name;
        const char16_t* markup;
        const char16_t* pieces;
    } cases[] = {
        {"cut between characters on an empty line", u"abcdefghijklmno", u"abcdefghij|klmno"},
        {"moves to the next line first after other words", u"xx abcdefghijklmno", u"xx|abcdefghij|klmno"},
        {"break after a hyphen keeps it", u"well-known-words-here", u"well-known-|words-here"},
        {"a run that does not fit moves to the next line", u"abcdefgh<b>ijklmn</b>", u"abcdefgh|ijklmn"},
        {"blanks only", u"                      ", u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const SIZE size = Prepare(c.markup);
        EXPECT_LE(size.cx, 101);
        DrawIn(size.cx);
        EXPECT_EQ(canvas.JoinedText(), std::u16string(c.pieces));
    }
}

// Lines far longer than the first stretch of text the layout measures at a time.
TEST_F(Layout, WrapsLongLinesOfALongRun)
{
    drawer.SetMaxWidth(2000);
    std::u16string words;
    for (int i = 0; i < 100; ++i) words += u"abcdefghi ";
    std::u16string line;
    for (int i = 0; i < 20; ++i) line += i == 0 ? u"abcdefghi" : u" abcdefghi";
    const std::u16string longWord(250, u'x');
    const struct {
        const char* name;
        std::u16string markup;
        std::u16string pieces;
    } cases[] = {
        // The blank that ends the run stays: that line was not wrapped.
        {"twenty words a line", words, line + u"|" + line + u"|" + line + u"|" + line + u"|" + line + u" "},
        {"a word wider than the line is cut", longWord, std::u16string(200, u'x') + u"|" + std::u16string(50, u'x')},
        {"after a short word", u"ab " + longWord, u"ab|" + std::u16string(200, u'x') + u"|" + std::u16string(50, u'x')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const SIZE size = Prepare(c.markup.c_str());
        EXPECT_LE(size.cx, 2001);
        DrawIn(size.cx);
        EXPECT_EQ(canvas.JoinedText(), c.pieces);
    }
}

TEST_F(Layout, TabsMoveToTabStops)
{
    FakeCanvas narrow(8);
    const struct {
        const char* name;
        const char16_t* markup;
        int tabSize;
        int x;
    } cases[] = {
        {"on a stop at the start", u"<t>X", 32, 32},
        {"between stops to the next", u"a<t>X", 32, 32},
        {"count 3 from between stops", u"a<t=3>X", 32, 96},
        {"on a stop moves one width", u"abcd<t>X", 32, 64},
        {"on a stop with count 2", u"abcd<t=2>X", 32, 96},
        {"count 0 counts as 1", u"<t=0>X", 32, 32},
        {"tab character", u"a\tX", 32, 32},
        {"tab size 0 does not move", u"a<t>X", 0, 8},
        {"negative tab size does not move", u"a<t>X", -5, 8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        drawer.SetTabSize(c.tabSize);
        const SIZE size = drawer.PrepareOutput(narrow, c.markup);
        narrow.Clear();
        drawer.DrawPreparedOutput(narrow, RECT{0, 0, size.cx, size.cy});
        ASSERT_FALSE(narrow.texts.empty());
        EXPECT_EQ(narrow.texts.back().text, u"X");
        EXPECT_EQ(narrow.texts.back().x, c.x);
        EXPECT_EQ(size.cx, c.x + 8 + 1);
    }
}

TEST_F(Layout, HugeCountsStayBounded)
{
    const struct {
        const char* name;
        const char16_t* markup;
    } cases[] = {
        {"break count beyond 32 bits", u"a<br=99999999999999999999>b"},
        {"break count of all ones", u"a<br=4294967295>b<br=4294967295>c<br=4294967295>d"},
        {"tab count beyond 32 bits", u"a<t=99999999999999999999>b<t=99999999999>c"},
        {"huge font", u"<font size=99999999999>a</font>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const SIZE size = Prepare(c.markup);
        EXPECT_GT(size.cx, 0);
        EXPECT_GT(size.cy, 0);
        EXPECT_LE(size.cx, kMaxCoord + 1);
        EXPECT_LE(size.cy, kMaxCoord + 1);
        DrawIn(size.cx, size.cy);
        EXPECT_FALSE(canvas.texts.empty());
    }
}

TEST_F(Layout, VerticalPlacementOnTheLine)
{
    // The line holds a 40-unit X (ascent 30, descent 10) and a 16-unit piece (ascent 12).
    const struct {
        const char* name;
        const char16_t* markup;
        int y;
    } cases[] = {
        {"baseline, one font: not raised above the line", u"<baseline>a</baseline>", 0},
        {"middle, one font: stays in its line", u"<middle>a</middle>", 0},
        {"top, one font", u"<top>a</top>", 0},
        {"bottom, one font", u"<bottom>a</bottom>", 0},
        {"baseline shares the big font's baseline", u"<font size=40px>X</font>a", 18},
        {"middle is centred in the line", u"<font size=40px>X</font><middle>a</middle>", 12},
        {"top at the line's top", u"<font size=40px>X</font><top>a</top>", 0},
        {"bottom on the baseline", u"<font size=40px>X</font><bottom>a</bottom>", 18},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const SIZE size = Prepare(c.markup);
        DrawIn(size.cx, size.cy);
        ASSERT_NE(Piece(u"a"), nullptr);
        EXPECT_EQ(Piece(u"a")->y, c.y);
    }
}

TEST_F(Layout, HorizontalAlignmentOfLines)
{
    const struct {
        const char* name;
        const char16_t* markup;
        int x;
    } cases[] = {
        {"left", u"abc", 0},
        {"center", u"<center>abc</center>", 35},
        {"right", u"<right>abc</right>", 70},
        {"justify without wrapping stays left", u"<justify>a b</justify>", 0},
        {"alignment where the content starts", u"<right><b>abc</b></right>", 70},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Prepare(c.markup);
        DrawIn(100);
        ASSERT_FALSE(canvas.texts.empty());
        EXPECT_EQ(canvas.texts.front().x, c.x);
        EXPECT_EQ(canvas.texts.front().extra, 0);
    }
}

TEST_F(Layout, JustifySpreadsTheFreeWidthOverBlanksOfWrappedLines)
{
    drawer.SetMaxWidth(100);
    Prepare(u"<justify>aa bb cc dd ee ff gg</justify>");
    DrawIn(100);
    ASSERT_EQ(canvas.texts.size(), 3u);
    EXPECT_EQ(canvas.texts[0].text, u"aa bb cc");
    EXPECT_EQ(canvas.texts[0].extra, 20);
    EXPECT_EQ(canvas.texts[1].extra, 20);
    // The last line was not wrapped: no justification.
    EXPECT_EQ(canvas.texts[2].text, u"gg");
    EXPECT_EQ(canvas.texts[2].extra, 0);
}

TEST_F(Layout, JustifyAcrossPiecesGivesEachItsShare)
{
    drawer.SetMaxWidth(100);
    Prepare(u"<justify>a b <b>c d</b> e f g h</justify>");
    DrawIn(100);
    int total = 0;
    for (const DrawnText& text : canvas.texts) {
        if (text.y == 0) total += text.extra;
    }
    const LineRecord& first = drawer.GetLineRecords().front();
    EXPECT_EQ(total, 100 - first.width);
}

TEST_F(Layout, DrawInANarrowerRectangleThanMeasured)
{
    drawer.SetMaxWidth(100);
    const SIZE size = Prepare(u"aaaa bbbb cccc dddd");
    ASSERT_EQ(drawer.GetLineRecords().size(), 2u);
    // Four lines now, but only two were measured: the others get the font's height.
    DrawIn(50, size.cy);
    EXPECT_EQ(canvas.JoinedText(), u"aaaa|bbbb|cccc|dddd");
    for (std::size_t i = 0; i < canvas.texts.size(); ++i) EXPECT_EQ(canvas.texts[i].y, static_cast<int>(16 * i));
}

TEST_F(Layout, EachRunReadsItsOwnLineRecords)
{
    drawer.SetMaxWidth(100);
    Prepare(u"aaaa bbbb cccc dddd<table></table><font size=40px>Y</font>z");
    // Wider than measured: the first run takes one line instead of two, and
    // the second run still finds its own line (ascent 30) for z.
    DrawIn(300);
    ASSERT_NE(Piece(u"Y"), nullptr);
    ASSERT_NE(Piece(u"z"), nullptr);
    EXPECT_EQ(Piece(u"Y")->y, 16);
    EXPECT_EQ(Piece(u"z")->y, 16 + 18);
}

TEST_F(Layout, MarkupEdgesShowAsText)
{
    const struct {
        const char* name;
        const char16_t* markup;
        const char16_t* text;
    } cases[] = {
        {"escaped tags are text", u"a &amp;lt;b&amp;gt; c", u"a <b> c"},
        {"less-than at the very end", u"abc<", u"abc<"},
        {"less-than without greater-than dropped", u"a<b c", u"ab c"},
        {"empty tag shows the greater-than", u"a<>b", u"a>b"},
        {"two less-thans show one", u"a<<b>", u"a<b>"},
        {"unknown and upper-case tags dropped", u"a<X>b<B>c</B>", u"a|b|c"},
        {"closing bold without open bold", u"a</b>b", u"a|b"},
        {"closing form of an empty element", u"a</br>b", u"a|b"},
        {"stray table parts outside a table", u"a<tr><td>b</td></table>c", u"a|b|c"},
        {"escaped table is text", u"&lt;table>x", u"<table>x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const SIZE size = Prepare(c.markup);
        DrawIn(size.cx, size.cy);
        EXPECT_EQ(canvas.JoinedText(), std::u16string(c.text));
        for (const DrawnText& text : canvas.texts) EXPECT_EQ(text.paint.font.weight, 400);
    }
}

TEST_F(Layout, LineFeedsWithTheBreakOptionOff)
{
    drawer.SetNewLineAsBreak(FALSE);
    EXPECT_EQ(Prepare(u"a\nb"), (SIZE{21, 17}));
    DrawIn(21);
    EXPECT_EQ(canvas.JoinedText(), u"ab");
    drawer.SetNewLineAsBreak(TRUE);
    EXPECT_EQ(Prepare(u"a\nb"), (SIZE{11, 33}));
}

TEST_F(Layout, RulesTakeALineOfTheirOwn)
{
    const struct {
        const char* name;
        const char16_t* markup;
        int length;
        int thickness;
        COLORREF color;
    } cases[] = {
        {"full width by default", u"a<hr>b", 200, 1, 0},
        {"percentage", u"a<hr width=50% size=3 color=red>b", 100, 3, RGB(255, 0, 0)},
        {"plain number is a percentage", u"a<hr width=25>b", 50, 1, 0},
        {"width with a unit", u"a<hr width=40px>b", 40, 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Prepare(c.markup);
        EXPECT_EQ(drawer.GetLineRecords().size(), 3u);
        DrawIn(200);
        ASSERT_EQ(canvas.lines.size(), 1u);
        EXPECT_EQ(canvas.lines[0].x2 - canvas.lines[0].x1, c.length);
        EXPECT_EQ(canvas.lines[0].y1, 16 + 8);
        EXPECT_EQ(canvas.lines[0].width, c.thickness);
        EXPECT_EQ(canvas.lines[0].color, c.color);
        EXPECT_EQ(Piece(u"b")->y, 32);
    }
}

TEST_F(Layout, DrawHtmlAtAPoint)
{
    const SIZE size = drawer.DrawHtml(canvas, u"ab", POINT{5, 7});
    EXPECT_EQ(size, (SIZE{21, 17}));
    ASSERT_EQ(canvas.texts.size(), 1u);
    EXPECT_EQ(canvas.texts[0].x, 5);
    EXPECT_EQ(canvas.texts[0].y, 7);
}

}  // namespace
