// Tables: column widths, spans, free width in the draw pass, cell alignment,
// borders and backgrounds, and malformed tables.
#include "htmltip/HtmlDrawer.h"
#include "htmltip/tests/FakeCanvas.h"

#include <gtest/gtest.h>

using namespace htmltip;
using namespace htmltip::test;

namespace {

class Tables : public ::testing::Test {
protected:
    Tables() { drawer.SetCssStyles(kPlainSheet); }

    SIZE Prepare(const std::u16string& markup) { return drawer.PrepareOutput(canvas, markup.c_str()); }
    void DrawIn(int width, int height = 1000)
    {
        canvas.Clear();
        drawer.DrawPreparedOutput(canvas, RECT{0, 0, width, height});
    }
    const DrawnText& Piece(const char16_t* text)
    {
        for (const DrawnText& drawn : canvas.texts) {
            if (drawn.text == text) return drawn;
        }
        ADD_FAILURE() << "nothing drawn for " << ToNarrow(text);
        static const DrawnText none;
        return none;
    }

    CHtmlDrawer drawer;
    FakeCanvas canvas;
};

// Cells of 2 characters: content 20 by 16, padding 2, so each cell is 24 by 20.
TEST_F(Tables, FreeWidthGoesToColumnsWithoutWidth)
{
    const SIZE size = Prepare(u"<table><tr><td>ab</td><td>cd</td></tr></table>");
    EXPECT_EQ(size, (SIZE{50, 21}));
    ASSERT_EQ(drawer.GetTableRecords().size(), 1u);
    EXPECT_EQ(drawer.GetTableRecords()[0].columnWidths, (std::vector<int>{24, 24}));

    DrawIn(49);
    EXPECT_EQ(Piece(u"ab").x, 2);
    EXPECT_EQ(Piece(u"cd").x, 1 + 24 + 2);
    // Eleven units more than measured: 5 to the first column, 6 to the second.
    DrawIn(49 + 11);
    EXPECT_EQ(Piece(u"ab").x, 2);
    EXPECT_EQ(Piece(u"cd").x, 1 + 29 + 2);
}

TEST_F(Tables, ColumnWithAWidthKeepsIt)
{
    Prepare(u"<table><tr><td width=30>ab</td><td>cd</td></tr></table>");
    const TableRecord& table = drawer.GetTableRecords().at(0);
    EXPECT_EQ(table.columnWidths, (std::vector<int>{34, 24}));
    EXPECT_EQ(table.fixedColumns, (std::vector<char>{1, 0}));
    DrawIn(59 + 11);
    EXPECT_EQ(Piece(u"cd").x, 1 + 34 + 2);
}

TEST_F(Tables, RowSpanMakesTheNextRowStartFurtherRight)
{
    Prepare(u"<table><tr><td rowspan=2>a</td><td>bb</td></tr><tr><td>cc</td></tr></table>");
    const TableRecord& table = drawer.GetTableRecords().at(0);
    ASSERT_EQ(table.cells.size(), 3u);
    EXPECT_EQ(table.cells[2].row, 1);
    EXPECT_EQ(table.cells[2].column, 1);
    DrawIn(200);
    EXPECT_EQ(Piece(u"cc").x, Piece(u"bb").x);
    EXPECT_EQ(Piece(u"cc").y, 20 + 1 + 2);
}

TEST_F(Tables, SpanningCellGrowsItsColumnsRemainderToTheLast)
{
    Prepare(u"<table><tr><td>a</td><td>b</td></tr><tr><td colspan=2>ccccccccc</td></tr></table>");
    // a and b need 14 each; the spanning cell needs 94: 66 more, 33 each.
    EXPECT_EQ(drawer.GetTableRecords().at(0).columnWidths, (std::vector<int>{47, 47}));
    // 99 wide: 71 more, 35 each and the remainder to the last column.
    Prepare(u"<table><tr><td>a</td><td>b</td></tr><tr><td colspan=2 width=95>c</td></tr></table>");
    EXPECT_EQ(drawer.GetTableRecords().at(0).columnWidths, (std::vector<int>{49, 50}));
    // 57 high over two rows of 20: the remainder goes to the first row.
    Prepare(u"<table><tr><td rowspan=2 height=53>a<br>b<br>c</td><td>d</td></tr><tr><td>e</td></tr></table>");
    EXPECT_EQ(drawer.GetTableRecords().at(0).rowHeights, (std::vector<int>{29, 28}));
}

TEST_F(Tables, CellContentAlignsVertically)
{
    Prepare(u"<table><tr><td>a<br>b</td><td valign=bottom>c</td><td valign=middle>d</td><td>e</td></tr></table>");
    DrawIn(500);
    EXPECT_EQ(Piece(u"a").y, 2);
    EXPECT_EQ(Piece(u"c").y, 2 + 32 - 16);
    EXPECT_EQ(Piece(u"d").y, 2 + 8);
    EXPECT_EQ(Piece(u"e").y, 2);
}

TEST_F(Tables, SpacingPaddingAndAlignment)
{
    Prepare(u"<table cellspacing=4 cellpadding=0><tr><td>ab</td><td>cd</td></tr></table>");
    EXPECT_EQ(drawer.GetTableRecords().at(0).width, 20 + 20 + 3 * 4 + 1);
    DrawIn(53);
    EXPECT_EQ(Piece(u"ab").x, 4);
    EXPECT_EQ(Piece(u"cd").x, 4 + 20 + 1 + 4);

    // All columns fixed: the table keeps its width and is placed by its
    // alignment, which its cells inherit for their text.
    Prepare(u"<table align=center><tr><td width=36>ab</td></tr></table>");
    DrawIn(140);
    EXPECT_EQ(Piece(u"ab").x, 50 + 2 + 8);
    Prepare(u"<table align=right><tr><td width=36>ab</td></tr></table>");
    DrawIn(140);
    EXPECT_EQ(Piece(u"ab").x, 100 + 2 + 16);
}

TEST_F(Tables, TextAfterATableStartsBelowIt)
{
    const SIZE size = Prepare(u"top<table><tr><td>ab</td></tr></table>end");
    EXPECT_EQ(size.cy, 16 + 20 + 16 + 1);
    DrawIn(100);
    EXPECT_EQ(Piece(u"ab").y, 16 + 2);
    EXPECT_EQ(Piece(u"end").y, 36);
}

TEST_F(Tables, BorderIsDrawnWithinTheMeasuredSize)
{
    const struct {
        const char* name;
        const char16_t* markup;
        int style;
        int inset;
    } cases[] = {
        {"single border", u"<table border=3><tr><td>x</td></tr></table>", kBorderSolid, 3},
        {"double border", u"<table border=3 borderstyle=double><tr><td>x</td></tr></table>", kBorderDouble, 9},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const SIZE size = Prepare(c.markup);
        DrawIn(size.cx - 1, size.cy - 1);
        ASSERT_FALSE(canvas.rectangles.empty());
        EXPECT_EQ(canvas.rectangles[0].rect, (RECT{0, 0, size.cx - 1, size.cy - 1}));
        EXPECT_EQ(canvas.rectangles[0].style, c.style);
        EXPECT_EQ(canvas.rectangles[0].width, 3);
        // The cells inherit the style and draw a frame one unit wide inside the table's frame.
        ASSERT_EQ(canvas.rectangles.size(), 2u);
        EXPECT_EQ(canvas.rectangles[1].width, 1);
        EXPECT_EQ(canvas.rectangles[1].rect.left, c.inset);
        EXPECT_LE(canvas.rectangles[1].rect.right, size.cx - 1 - c.inset);
        EXPECT_LE(canvas.rectangles[1].rect.bottom, size.cy - 1 - c.inset);
    }
}

TEST_F(Tables, BackgroundsAndBorderColours)
{
    Prepare(u"<table bgcolor=red bordercolorlight=lime bordercolordark=blue border=1>"
            u"<tr><td bgcolor=blue>x</td><td>y</td><td bgcolor=transparent>z</td>"
            u"<td bgeffect=vgradient>w</td></tr></table>");
    DrawIn(300);
    ASSERT_EQ(canvas.fills.size(), 4u);
    EXPECT_EQ(canvas.fills[0].effect, 0);
    EXPECT_EQ(canvas.fills[0].begin, RGB(255, 0, 0));
    EXPECT_EQ(canvas.fills[1].begin, RGB(0, 0, 255));
    EXPECT_EQ(canvas.fills[2].begin, RGB(255, 0, 0));
    EXPECT_EQ(canvas.fills[3].effect, 2);
    EXPECT_EQ(canvas.rectangles[0].topLeft, RGB(0, 255, 0));
    EXPECT_EQ(canvas.rectangles[0].bottomRight, RGB(0, 0, 255));

    drawer.SetColorMode(FALSE);
    drawer.SetDisabledColor(RGB(9, 9, 9));
    DrawIn(300);
    EXPECT_TRUE(canvas.fills.empty());
    EXPECT_EQ(canvas.rectangles[0].topLeft, RGB(9, 9, 9));
}

std::u16string Nested(int depth)
{
    std::u16string markup;
    for (int i = 0; i < depth; ++i) markup += u"<table><tr><td>";
    markup += u"deep";
    for (int i = 0; i < depth; ++i) markup += u"</td></tr></table>";
    return markup;
}

TEST_F(Tables, MalformedTablesAreSafe)
{
    const struct {
        const char* name;
        std::u16string markup;
        const char16_t* drawn;
    } cases[] = {
        {"colspan 0", u"<table><tr><td colspan=0>a</td><td>b</td></tr></table>", u"a|b"},
        {"rowspan 0", u"<table><tr><td rowspan=0>a</td></tr><tr><td>b</td></tr></table>", u"a|b"},
        {"rowspan beyond the last row", u"<table><tr><td rowspan=5>a</td></tr><tr><td>b</td></tr></table>", u"a|b"},
        {"colspan beyond any column", u"<table><tr><td colspan=1000000>a</td></tr><tr><td>b</td></tr></table>", u"a|b"},
        {"later row wider than the first",
         u"<table><tr><td>a</td></tr><tr><td colspan=3>b</td><td>c</td></tr></table>", u"a|b|c"},
        {"row covered by a span from above",
         u"<table><tr><td rowspan=2 colspan=2>a</td></tr><tr><td>b</td></tr></table>", u"a|b"},
        {"cell outside a row", u"<table><td>a</td></table>", u"a"},
        {"cells without closing tags", u"<table><tr><td>a<td>b<tr><td>c</table>", u"a|b|c"},
        {"no closing table tag", u"<table><tr><td>a", u"a"},
        {"text outside cells is dropped", u"<table>lost<tr>lost<td>a</td></tr></table>after", u"a|after"},
        {"empty table", u"<table></table>", u""},
        {"table tag alone", u"<table>", u""},
        {"nested table", u"<table><tr><td><table><tr><td>in</td></tr></table></td><td>out</td></tr></table>",
         u"in|out"},
        {"nesting deeper than drawn", Nested(100), u""},
        {"huge spacing and padding",
         u"<table cellpadding=99999999 cellspacing=99999999><tr><td>a</td><td>b</td></tr></table>", u"a|b"},
        {"huge sizes", u"<table width=99999999 height=99999999><tr><td width=99999999>a</td></tr></table>", u"a"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const SIZE size = Prepare(c.markup);
        for (const TableRecord& table : drawer.GetTableRecords()) {
            for (const TableCellRecord& cell : table.cells) {
                EXPECT_GE(cell.rowSpan, 1);
                EXPECT_GE(cell.columnSpan, 1);
                EXPECT_LE(cell.row + cell.rowSpan, static_cast<int>(table.rowHeights.size()));
                EXPECT_LE(cell.column + cell.columnSpan, static_cast<int>(table.columnWidths.size()));
            }
            EXPECT_LE(table.columnWidths.size(), static_cast<std::size_t>(kMaxTableColumns));
        }
        DrawIn(std::max<int>(size.cx, 1), std::max<int>(size.cy, 1));
        EXPECT_EQ(canvas.JoinedText(), std::u16string(c.drawn));
    }
}

TEST_F(Tables, ModeratelyNestedTablesAreDrawn)
{
    Prepare(Nested(10));
    EXPECT_EQ(drawer.GetTableRecords().size(), 10u);
    DrawIn(1000);
    EXPECT_EQ(canvas.JoinedText(), u"deep");
    // Ten tables inside each other, each cell inset by its padding of 2.
    EXPECT_EQ(Piece(u"deep").x, 10 * 2);
}

}  // namespace
