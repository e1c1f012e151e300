// Pens, brushes, shapes and edges, drawn as the system draws them: golden
// images compared exactly, and the pixel rules that code relies on.
#include "DrawTestSupport.h"

#include <algorithm>
#include <cstdint>
#include <vector>

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

// Thin solid lines along an axis are stored without the painter; every pixel
// and stored byte must be what the painter gives (an inside-frame pen of width
// 1 still goes the painter's way).
TEST(PenBrushRules, StraightThinLinesStoreThePaintersPixels)
{
    constexpr int kSize = 70;
    struct Target {
        const char* name;
        int height;  // for DIB sections: negative = top-down
        bool section;
    };
    const Target targets[] = {{"bitmap", 0, false}, {"top-down section", -kSize, true}, {"bottom-up section", kSize, true}};
    struct Setup {
        const char* name;
        bool clip;
        POINT viewport;
    };
    const Setup setups[] = {{"plain", false, {0, 0}}, {"clipped", true, {0, 0}}, {"moved origin", true, {3, -2}}};
    // Each line on a row (or column) of its own and in a colour of its own,
    // so that no line hides another's ends.
    const auto draw = [](CDC& dc, int style, bool vertical, bool clip, POINT viewport) {
        if (clip) {
            CRgn a, b;
            a.CreateRectRgn(2, 1, 24, 50);
            b.CreateRectRgn(37, 5, 66, 69);
            a.CombineRgn(&a, &b, RGN_OR);
            dc.SelectClipRgn(&a);
        }
        dc.SetViewportOrg(viewport.x, viewport.y);
        CPen* old = dc.GetCurrentPen();
        const int ends[] = {-3, 0, 1, 5, 12, 41, 69, 75};
        int n = 0;
        for (int a : ends)
            for (int b : ends) {
                CPen pen(style, 1, RGB(n * 5 % 256, 255 - n * 3 % 256, n * 11 % 256));
                dc.SelectObject(&pen);
                dc.MoveTo(vertical ? n : a, vertical ? a : n);
                dc.LineTo(vertical ? n : b, vertical ? b : n);
                dc.SelectObject(old);
                ++n;
            }
        dc.SetViewportOrg(0, 0);
        dc.SelectClipRgn(nullptr);
    };
    for (const Target& t : targets)
        for (const Setup& s : setups)
            for (const bool vertical : {false, true}) {
                SCOPED_TRACE(std::string(t.name) + ", " + s.name + (vertical ? ", down" : ", across"));
                std::vector<std::uint32_t> stored[2];
                for (int pass = 0; pass < 2; ++pass) {
                    CDC dc;
                    dc.CreateCompatibleDC(nullptr);
                    CBitmap bitmap;
                    void* bits = nullptr;
                    if (t.section) {
                        BITMAPINFO bi{};
                        bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
                        bi.bmiHeader.biWidth = kSize;
                        bi.bmiHeader.biHeight = t.height;
                        bi.bmiHeader.biPlanes = 1;
                        bi.bmiHeader.biBitCount = 32;
                        bitmap.Attach(::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
                    } else {
                        bitmap.Attach(::CreateBitmap(kSize, kSize, 1, 32, nullptr));
                    }
                    CBitmap* old = dc.SelectObject(&bitmap);
                    const RECT all{0, 0, kSize, kSize};
                    dc.FillSolidRect(&all, RGB(250, 250, 230));
                    draw(dc, pass == 0 ? PS_SOLID : PS_INSIDEFRAME, vertical, s.clip, s.viewport);
                    ::GdiFlush();
                    dc.SelectObject(old);
                    stored[pass].resize(kSize * kSize);
                    if (bits) {
                        const auto* p = static_cast<const std::uint32_t*>(bits);
                        stored[pass].assign(p, p + kSize * kSize);
                    } else {
                        ASSERT_GT(::GetBitmapBits(bitmap, kSize * kSize * 4, stored[pass].data()), 0);
                    }
                }
                EXPECT_EQ(stored[0], stored[1]);
                EXPECT_NE(std::count(stored[0].begin(), stored[0].end(), stored[0][0]), kSize * kSize);
            }
}

// Lines and shapes whose ends lie at the ends of the coordinate range draw
// what lies on the surface (the bounds they are drawn in are worked out
// without overflowing).
TEST(PenBrushRules, ShapesReachingTheEndsOfTheRangeDrawWhatLiesOnTheSurface)
{
    MemoryCanvas canvas(20, 10);
    CDC& dc = canvas.dc();
    dc.MoveTo(-2147483647, 2);
    dc.LineTo(2147483647, 2);  // along an axis
    dc.MoveTo(-2147483647, 5);
    dc.LineTo(2147483647, 6);  // across the range, nearly level
    CPen wide(PS_SOLID, 3, RGB(0, 0, 0));
    CPen* old = dc.SelectObject(&wide);
    dc.MoveTo(10, -2147483647);
    dc.LineTo(10, 2147483647);
    dc.SelectObject(old);
    EXPECT_EQ(dc.GetPixel(0, 2), RGB(0, 0, 0));
    EXPECT_EQ(dc.GetPixel(19, 2), RGB(0, 0, 0));
    EXPECT_EQ(dc.GetPixel(10, 8), RGB(0, 0, 0));
    EXPECT_EQ(dc.GetPixel(3, 8), RGB(255, 255, 255));
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
