// Regions: building, combining, drawing, clipping, and shaping a window
// through the window layer's provider.
#include "DrawTestSupport.h"

#include "platform/core/Wnd.h"

#include <optional>

namespace {

using drawtest::MemoryCanvas;

// A region handle deleted at the end of the scope.
struct Rgn {
    HRGN h;
    explicit Rgn(HRGN r) : h(r) {}
    ~Rgn() { DeleteObject(h); }
    operator HRGN() const { return h; }
};

TEST(Regions, CombineReportsTheResultKind)
{
    struct Case {
        const char* name;
        int mode;
        int kind;
        RECT box;
    };
    const Case cases[] = {
        {"and of overlapping squares", RGN_AND, SIMPLEREGION, {5, 5, 10, 10}},
        {"or of overlapping squares", RGN_OR, COMPLEXREGION, {0, 0, 15, 15}},
        {"xor", RGN_XOR, COMPLEXREGION, {0, 0, 15, 15}},
        {"diff", RGN_DIFF, COMPLEXREGION, {0, 0, 10, 10}},
        {"copy", RGN_COPY, SIMPLEREGION, {0, 0, 10, 10}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rgn a(CreateRectRgn(0, 0, 10, 10)), b(CreateRectRgn(5, 5, 15, 15)), out(CreateRectRgn(0, 0, 0, 0));
        EXPECT_EQ(CombineRgn(out, a, b, c.mode), c.kind);
        RECT box{};
        GetRgnBox(out, &box);
        EXPECT_EQ(CRect(box), CRect(c.box));
    }
    Rgn a(CreateRectRgn(0, 0, 4, 4)), b(CreateRectRgn(10, 10, 14, 14)), out(CreateRectRgn(0, 0, 0, 0));
    EXPECT_EQ(CombineRgn(out, a, b, RGN_AND), NULLREGION);
    EXPECT_EQ(CombineRgn(out, a, HRGN(), RGN_OR), ERROR) << "a missing operand fails";
}

TEST(Regions, PointsRectanglesAndOffsets)
{
    Rgn r(CreateRectRgn(10, 20, 30, 40));
    EXPECT_TRUE(PtInRegion(r, 10, 20));
    EXPECT_FALSE(PtInRegion(r, 30, 20)) << "right edge lies outside";
    EXPECT_EQ(OffsetRgn(r, -10, -20), SIMPLEREGION);
    EXPECT_TRUE(PtInRegion(r, 0, 0));
    RECT inside{15, 15, 25, 25}, outside{20, 20, 25, 25};
    EXPECT_TRUE(RectInRegion(r, &inside));
    EXPECT_FALSE(RectInRegion(r, &outside));
    Rgn e(CreateEllipticRgn(0, 0, 20, 10));
    EXPECT_TRUE(PtInRegion(e, 10, 5));
    EXPECT_FALSE(PtInRegion(e, 0, 0));
    const POINT tri[] = {{0, 0}, {10, 0}, {0, 10}};
    Rgn p(CreatePolygonRgn(tri, 3, ALTERNATE));
    EXPECT_TRUE(PtInRegion(p, 2, 2));
    EXPECT_FALSE(PtInRegion(p, 8, 8));
    EXPECT_FALSE(CreatePolygonRgn(tri, 1, ALTERNATE)) << "one point is no polygon";
}

// The balloon of a tip: a rounded body and a triangular anchor, united, with
// a shadow copy moved by the shadow offset; filled and framed.
QImage BalloonImage()
{
    MemoryCanvas canvas(120, 80);
    CDC& dc = canvas.dc();
    CRgn body, anchor, shape, shadow;
    body.CreateRoundRectRgn(10, 20, 101, 61, 16, 16);
    const POINT tip[] = {{20, 4}, {26, 20}, {38, 20}};
    anchor.CreatePolygonRgn(tip, 3, ALTERNATE);
    shape.CreateRectRgn(0, 0, 0, 0);
    shape.CombineRgn(&body, &anchor, RGN_OR);
    shadow.CreateRectRgn(0, 0, 0, 0);
    shadow.CopyRgn(&shape);
    shadow.OffsetRgn(6, 6);
    CBrush grey(RGB(160, 160, 160)), face(RGB(255, 255, 225)), border(RGB(0, 0, 0));
    dc.FillRgn(&shadow, &grey);
    dc.FillRgn(&shape, &face);
    dc.FrameRgn(&shape, &border, 1, 1);
    // Clipped drawing stays inside the body.
    dc.SelectClipRgn(&body);
    CBrush hatch(HS_BDIAGONAL, RGB(0, 0, 255));
    const RECT band{0, 40, 120, 52};
    dc.SetBkMode(TRANSPARENT);
    dc.FillRect(&band, &hatch);
    dc.SelectClipRgn(nullptr);
    return canvas.Image();
}

TEST(Regions, GoldenBalloonShape)
{
    drawtest::ExpectMatchesGolden(BalloonImage(), "region_balloon");
}

TEST(Regions, ClipRectanglesAndSaveRestore)
{
    MemoryCanvas canvas(20, 20);
    CDC& dc = canvas.dc();
    const int saved = dc.SaveDC();
    dc.IntersectClipRect(5, 5, 15, 15);
    dc.ExcludeClipRect(8, 8, 12, 12);
    RECT box{};
    EXPECT_EQ(dc.GetClipBox(&box), COMPLEXREGION);
    EXPECT_EQ(CRect(box), CRect(5, 5, 15, 15));
    CBrush red(RGB(255, 0, 0));
    const RECT all{0, 0, 20, 20};
    dc.FillRect(&all, &red);
    EXPECT_EQ(dc.GetPixel(4, 4), CLR_INVALID) << "pixels outside the clip cannot be read";
    const QImage img = canvas.Image();
    EXPECT_EQ(img.pixel(4, 4), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(5, 5), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(9, 9), qRgb(255, 255, 255)) << "the excluded hole";
    ASSERT_TRUE(dc.RestoreDC(saved));
    dc.FillRect(&all, &red);
    EXPECT_EQ(dc.GetPixel(0, 0), RGB(255, 0, 0)) << "restoring the DC removes the clip";
}

// Stands in for the window layer: one window whose backing image the DCs
// draw into.
class FakeWindows : public platform::WindowSurfaceProvider {
public:
    HWND window = HWND::Make(7, 1);
    std::shared_ptr<QImage> image = std::make_shared<QImage>(60, 40, QImage::Format_RGB32);
    QPoint clientOrigin{3, 10};
    std::optional<QRegion> shape;
    QRect released;
    int releases = 0;

    FakeWindows()
    {
        image->fill(Qt::white);
        m_old = platform::SetWindowSurfaceProvider(this);
    }
    ~FakeWindows() override { platform::SetWindowSurfaceProvider(m_old); }

    bool Acquire(HWND w, platform::WindowDcKind kind, platform::WindowSurface& s) override
    {
        if (w != window) return false;
        s.image = image;
        s.origin = kind == platform::WindowDcKind::Window ? QPoint() : clientOrigin;
        if (kind == platform::WindowDcKind::Paint) {
            s.paintRect = RECT{0, 0, 20, 10};
            s.erase = true;
        }
        return true;
    }
    void Release(HWND, platform::WindowDcKind, const QRect& drawn) override
    {
        released = drawn;
        ++releases;
    }
    bool SetShape(HWND w, const QRegion* region, bool) override
    {
        if (w != window) return false;
        shape = region ? std::optional<QRegion>(*region) : std::nullopt;
        return true;
    }

private:
    platform::WindowSurfaceProvider* m_old;
};

TEST(WindowShapes, TheWindowTakesTheRegion)
{
    FakeWindows windows;
    HRGN region = CreateRoundRectRgn(0, 0, 40, 30, 10, 10);
    ASSERT_EQ(SetWindowRgn(windows.window, region, TRUE), 1);
    ASSERT_TRUE(windows.shape.has_value());
    EXPECT_TRUE(windows.shape->contains(QPoint(20, 15)));
    EXPECT_FALSE(windows.shape->contains(QPoint(0, 0))) << "the rounded corner is cut";
    EXPECT_EQ(GetObjectType(region), 0u) << "the window owns the region now";
    EXPECT_EQ(SetWindowRgn(windows.window, {}, TRUE), 1);
    EXPECT_FALSE(windows.shape.has_value());
    HRGN other = CreateRectRgn(0, 0, 5, 5);
    EXPECT_EQ(SetWindowRgn(HWND::Make(99, 1), other, TRUE), 0) << "unknown window";
    EXPECT_NE(GetObjectType(other), 0u) << "a refused region stays the caller's";
    DeleteObject(other);
}

// Window objects give their DCs through GetSafeHwnd().
static_assert(std::is_constructible_v<CClientDC, CWnd*>);
static_assert(std::is_constructible_v<CPaintDC, CWnd*>);
static_assert(std::is_constructible_v<CWindowDC, CWnd*>);

TEST(WindowDcs, ClientDrawingLandsInTheBackingImageAndIsReported)
{
    FakeWindows windows;
    {
        CClientDC dc(windows.window);
        ASSERT_TRUE(dc.GetSafeHdc());
        CBrush red(RGB(255, 0, 0));
        const RECT r{0, 0, 4, 2};
        dc.FillRect(&r, &red);
        EXPECT_EQ(windows.releases, 0);
    }
    EXPECT_EQ(windows.releases, 1);
    EXPECT_EQ(windows.released, QRect(3, 10, 4, 2)) << "image coordinates of what was drawn";
    EXPECT_EQ(windows.image->pixel(3, 10), qRgb(255, 0, 0));
    EXPECT_EQ(windows.image->pixel(2, 10), qRgb(255, 255, 255));
    EXPECT_EQ(qAlpha(windows.image->pixel(3, 10)), 255) << "a window image stays opaque";

    {
        CPaintDC paint(windows.window);
        EXPECT_EQ(CRect(paint.m_ps.rcPaint), CRect(0, 0, 20, 10));
        EXPECT_TRUE(paint.m_ps.fErase);
        paint.SetPixelV(0, 0, RGB(0, 0, 255));
    }
    EXPECT_EQ(windows.releases, 2);
    EXPECT_EQ(windows.image->pixel(3, 10), qRgb(0, 0, 255));
    {
        CWindowDC whole(windows.window);
        whole.SetPixelV(0, 0, RGB(0, 255, 0));
    }
    EXPECT_EQ(windows.image->pixel(0, 0), qRgb(0, 255, 0)) << "a window DC starts at the window's corner";
}

TEST(WindowDcs, WithoutTheWindowLayer)
{
    HDC dc = GetDC(HWND::Make(5, 5));
    EXPECT_FALSE(dc) << "no window, no DC";
    HDC screen = GetDC({});
    ASSERT_TRUE(screen) << "the screen DC measures even without pixels";
    EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSY), 96);
    EXPECT_EQ(GetDeviceCaps(screen, BITSPIXEL), 32);
    SIZE size{};
    EXPECT_TRUE(GetTextExtentPoint32(screen, u"abc", 3, &size));
    EXPECT_GT(size.cx, 0);
    HBITMAP bmp = CreateCompatibleBitmap(screen, 8, 8);
    BITMAP bm{};
    GetObject(bmp, sizeof bm, &bm);
    EXPECT_EQ(bm.bmBitsPixel, 32);
    DeleteObject(bmp);
    EXPECT_EQ(ReleaseDC({}, screen), 1);
}

}  // namespace
