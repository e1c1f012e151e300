// Pens, brushes, shapes and edges, drawn as the system draws them: golden
// images compared exactly, and the pixel rules that code relies on.
#include "DrawTestSupport.h"

namespace {

using drawtest::MemoryCanvas;

void DrawPens(CDC& dc)
{
    const int styles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT};
    int y = 6;
    for (int mode : {TRANSPARENT, OPAQUE}) {
        dc.SetBkMode(mode);
        dc.SetBkColor(RGB(255, 255, 0));
        for (int style : styles) {
            CPen pen(style, 1, RGB(0, 0, 160));
            CPen* old = dc.SelectObject(&pen);
            dc.MoveTo(6, y);
            dc.LineTo(114, y);
            dc.SelectObject(old);
            y += 4;
        }
    }
    for (int width : {2, 3, 6}) {
        CPen pen(PS_DASH, width, RGB(160, 0, 0));  // wide pens are solid
        CPen* old = dc.SelectObject(&pen);
        dc.MoveTo(10, y + width);
        dc.LineTo(110, y + width);
        dc.SelectObject(old);
        y += width + 4;
    }
    dc.SetBkMode(OPAQUE);
}

void DrawBrushes(CDC& dc)
{
    const int hatches[] = {HS_HORIZONTAL, HS_VERTICAL, HS_FDIAGONAL, HS_BDIAGONAL, HS_CROSS, HS_DIAGCROSS};
    int x = 124;
    dc.SetBkColor(RGB(220, 240, 255));
    for (int hatch : hatches) {
        CBrush brush(hatch, RGB(0, 128, 0));
        RECT r{x, 6, x + 16, 30};
        dc.FillRect(&r, &brush);
        x += 19;
    }
    CBrush solid(RGB(255, 0, 0));
    RECT r{124, 34, 140, 58};
    dc.FillRect(&r, &solid);
    const WORD pattern[8] = {0xF0, 0xF0, 0xF0, 0xF0, 0x0F, 0x0F, 0x0F, 0x0F};
    CBitmap bits;
    bits.CreateBitmap(8, 8, 1, 1, pattern);
    CBrush patterned(&bits);
    dc.SetTextColor(RGB(128, 0, 128));
    dc.SetBkColor(RGB(255, 200, 0));
    RECT p{143, 34, 178, 58};
    dc.FillRect(&p, &patterned);
    dc.SetTextColor(RGB(0, 0, 0));
    dc.SetBkColor(RGB(255, 255, 255));
}

void DrawShapes(CDC& dc)
{
    CPen pen(PS_SOLID, 1, RGB(0, 0, 0));
    CBrush brush(RGB(120, 200, 255));
    CPen* oldPen = dc.SelectObject(&pen);
    CBrush* oldBrush = dc.SelectObject(&brush);
    dc.Rectangle(6, 70, 36, 95);
    dc.RoundRect(40, 70, 76, 95, 12, 10);
    dc.Ellipse(80, 70, 116, 95);
    dc.Pie(120, 66, 156, 100, 156, 66, 120, 66);  // the upper quarter, counter-clockwise
    dc.Chord(160, 66, 196, 100, 196, 100, 160, 66);
    CPen thick(PS_INSIDEFRAME, 4, RGB(200, 0, 0));
    dc.SelectObject(&thick);
    dc.Rectangle(200, 66, 234, 100);
    dc.SelectObject(&pen);
    dc.Arc(6, 104, 46, 134, 46, 119, 26, 104);
    const POINT star[] = {{70, 104}, {80, 134}, {55, 115}, {85, 115}, {60, 134}};
    dc.SetPolyFillMode(ALTERNATE);
    dc.Polygon(star, 5);
    POINT star2[5];
    for (int i = 0; i < 5; ++i) star2[i] = POINT{star[i].x + 40, star[i].y};
    dc.SetPolyFillMode(WINDING);
    dc.Polygon(star2, 5);
    dc.SelectStockObject(NULL_PEN);
    dc.Rectangle(140, 104, 160, 124);  // one pixel smaller without a pen
    dc.SelectObject(oldPen);
    dc.SelectObject(oldBrush);
}

void DrawEdges(CDC& dc)
{
    CBrush face(GetSysColor(COLOR_BTNFACE));
    RECT back{0, 140, 240, 200};
    dc.FillRect(&back, &face);
    const UINT edges[] = {EDGE_RAISED, EDGE_SUNKEN, EDGE_ETCHED, EDGE_BUMP};
    int x = 6;
    for (UINT edge : edges) {
        RECT r{x, 146, x + 30, 170};
        dc.DrawEdge(&r, edge, BF_RECT | BF_MIDDLE);
        x += 36;
    }
    CBrush black(RGB(0, 0, 0));
    RECT frame{150, 146, 180, 170};
    dc.FrameRect(&frame, &black);
    RECT focus{186, 146, 216, 170};
    dc.DrawFocusRect(&focus);
    RECT inverted{6, 176, 60, 194};
    dc.InvertRect(&inverted);
    dc.Draw3dRect(70, 176, 40, 18, RGB(255, 255, 255), RGB(64, 64, 64));
}

TEST(PenBrushGolden, PensBrushesShapesEdges)
{
    MemoryCanvas canvas(240, 200);
    DrawPens(canvas.dc());
    DrawBrushes(canvas.dc());
    DrawShapes(canvas.dc());
    DrawEdges(canvas.dc());
    drawtest::ExpectMatchesGolden(canvas.Image(), "pens_brushes_shapes");
}

TEST(PenBrushRules, LinesLeaveOutTheirLastPixel)
{
    MemoryCanvas canvas(10, 4);
    CDC& dc = canvas.dc();
    dc.MoveTo(1, 1);
    dc.LineTo(5, 1);
    EXPECT_EQ(dc.GetPixel(1, 1), RGB(0, 0, 0));
    EXPECT_EQ(dc.GetPixel(4, 1), RGB(0, 0, 0));
    EXPECT_EQ(dc.GetPixel(5, 1), RGB(255, 255, 255));
    EXPECT_EQ(dc.GetCurrentPosition(), CPoint(5, 1));
}

TEST(PenBrushRules, RectangleCoversLeftTopButNotRightBottom)
{
    struct Case {
        const char* name;
        bool nullPen;
        int lastInside;  // last pixel column/row covered
    };
    const Case cases[] = {{"with a pen", false, 5}, {"without a pen", true, 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryCanvas canvas(10, 10);
        CDC& dc = canvas.dc();
        CBrush red(RGB(255, 0, 0));
        CBrush* old = dc.SelectObject(&red);
        CGdiObject* oldPen = c.nullPen ? dc.SelectStockObject(NULL_PEN) : nullptr;
        dc.Rectangle(2, 2, 6, 6);
        EXPECT_NE(dc.GetPixel(2, 2), RGB(255, 255, 255));
        EXPECT_NE(dc.GetPixel(c.lastInside, c.lastInside), RGB(255, 255, 255));
        EXPECT_EQ(dc.GetPixel(c.lastInside + 1, c.lastInside + 1), RGB(255, 255, 255));
        if (oldPen) dc.SelectObject(oldPen);
        dc.SelectObject(old);
    }
}

TEST(PenBrushRules, FocusRectangleDrawnTwiceVanishes)
{
    MemoryCanvas canvas(20, 20, RGB(10, 100, 200));
    const QImage before = canvas.Image();
    RECT r{2, 3, 17, 15};
    canvas.dc().DrawFocusRect(&r);
    EXPECT_NE(canvas.Image(), before);
    canvas.dc().DrawFocusRect(&r);
    EXPECT_EQ(canvas.Image(), before);
}

TEST(PenBrushRules, XorPenDrawnTwiceVanishes)
{
    MemoryCanvas canvas(20, 20, RGB(10, 100, 200));
    const QImage before = canvas.Image();
    CDC& dc = canvas.dc();
    CPen pen(PS_SOLID, 1, RGB(255, 255, 255));
    CPen* old = dc.SelectObject(&pen);
    dc.SetROP2(R2_XORPEN);
    dc.MoveTo(1, 1);
    dc.LineTo(18, 15);
    EXPECT_EQ(dc.GetPixel(1, 1), RGB(245, 155, 55));
    dc.MoveTo(1, 1);
    dc.LineTo(18, 15);
    EXPECT_EQ(canvas.Image(), before);
    dc.SetROP2(R2_COPYPEN);
    dc.SelectObject(old);
}

}  // namespace
