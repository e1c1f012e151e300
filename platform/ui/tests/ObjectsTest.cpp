// Drawing objects and DC state: stale handles, selection and deletion, saved
// states, monochrome compatibility, icons, image lists and disabled images.
#include "DrawTestSupport.h"

#include "platform/ui/ImageList.h"

namespace {

using drawtest::MemoryCanvas;

TEST(Handles, StaleAndWrongHandlesFail)
{
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
    ASSERT_TRUE(pen);
    ASSERT_TRUE(DeleteObject(pen));
    EXPECT_FALSE(DeleteObject(pen)) << "deleted twice";
    LOGPEN lp;
    EXPECT_EQ(GetObject(pen, sizeof lp, &lp), 0);
    HPEN reused = CreatePen(PS_SOLID, 1, RGB(4, 5, 6));
    EXPECT_NE(reused, pen) << "a reused slot gets a new generation";
    HDC dc = CreateCompatibleDC({});
    EXPECT_FALSE(SelectObject(dc, pen)) << "a stale pen cannot be selected";
    HBRUSH fake = HBRUSH(HGDIOBJ::Make(123456, 1));
    RECT r{0, 0, 1, 1};
    EXPECT_EQ(FillRect(dc, &r, fake), 0);
    ASSERT_TRUE(DeleteDC(dc));
    EXPECT_FALSE(DeleteDC(dc));
    EXPECT_EQ(SetTextColor(dc, 0), CLR_INVALID);
    DeleteObject(reused);
    EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_PEN))) << "stock objects ignore deletion";
    EXPECT_NE(GetObjectType(GetStockObject(BLACK_PEN)), 0u);
}

TEST(Handles, ObjectDeletedWhileSelectedLivesUntilDeselected)
{
    MemoryCanvas canvas(4, 4);
    HDC dc = canvas.dc();
    HBRUSH brush = CreateSolidBrush(RGB(9, 8, 7));
    const HGDIOBJ old = SelectObject(dc, brush);
    EXPECT_TRUE(DeleteObject(brush));
    EXPECT_NE(GetObjectType(brush), 0u) << "still in use";
    PatBlt(dc, 0, 0, 1, 1, PATCOPY);
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(9, 8, 7));
    SelectObject(dc, old);
    EXPECT_EQ(GetObjectType(brush), 0u) << "gone with its last DC";
}

TEST(Handles, ABitmapLivesInOneDcAtATime)
{
    HBITMAP bmp = CreateBitmap(4, 4, 1, 32, nullptr);
    HDC a = CreateCompatibleDC({}), b = CreateCompatibleDC({});
    const HGDIOBJ oldA = SelectObject(a, bmp);
    EXPECT_TRUE(oldA);
    EXPECT_FALSE(SelectObject(b, bmp));
    SelectObject(a, oldA);
    const HGDIOBJ oldB = SelectObject(b, bmp);
    EXPECT_TRUE(oldB);
    SelectObject(b, oldB);
    DeleteDC(a);
    DeleteDC(b);
    DeleteObject(bmp);
}

TEST(DcState, SaveAndRestoreBringBackObjectsColoursAndOrigins)
{
    MemoryCanvas canvas(8, 8);
    CDC& dc = canvas.dc();
    CPen red(PS_SOLID, 1, RGB(255, 0, 0));
    CPen* original = dc.GetCurrentPen();
    const int level1 = dc.SaveDC();
    dc.SelectObject(&red);
    dc.SetTextColor(RGB(1, 1, 1));
    dc.SetViewportOrg(2, 3);
    const int level2 = dc.SaveDC();
    dc.SetTextColor(RGB(2, 2, 2));
    EXPECT_EQ(level2, level1 + 1);
    ASSERT_TRUE(dc.RestoreDC(-1));
    EXPECT_EQ(dc.GetTextColor(), RGB(1, 1, 1));
    EXPECT_EQ(dc.GetViewportOrg(), CPoint(2, 3));
    ASSERT_TRUE(dc.RestoreDC(level1));
    EXPECT_EQ(dc.GetCurrentPen()->m_hObject, original->m_hObject);
    EXPECT_EQ(dc.GetViewportOrg(), CPoint(0, 0));
    EXPECT_FALSE(dc.RestoreDC(level1)) << "that level is gone";
}

TEST(DcState, ViewportOriginMovesDrawing)
{
    MemoryCanvas canvas(10, 10);
    CDC& dc = canvas.dc();
    dc.SetViewportOrg(4, 5);
    dc.SetPixelV(0, 0, RGB(0, 0, 255));
    dc.SetViewportOrg(0, 0);
    EXPECT_EQ(dc.GetPixel(4, 5), RGB(0, 0, 255));
}

TEST(Bitmaps, FreshMemoryDcMakesMonochromeCompatibleBitmaps)
{
    HDC mem = CreateCompatibleDC({});
    HBITMAP mono = CreateCompatibleBitmap(mem, 8, 8);
    BITMAP bm{};
    ASSERT_TRUE(GetObject(mono, sizeof bm, &bm));
    EXPECT_EQ(bm.bmBitsPixel, 1) << "its 1 x 1 bitmap is monochrome, as on the system";
    HBITMAP colour = CreateBitmap(8, 8, 1, 32, nullptr);
    const HGDIOBJ old = SelectObject(mem, colour);
    HBITMAP compatible = CreateCompatibleBitmap(mem, 8, 8);
    GetObject(compatible, sizeof bm, &bm);
    EXPECT_EQ(bm.bmBitsPixel, 32);
    EXPECT_EQ(bm.bmWidthBytes, 32);
    SelectObject(mem, old);
    DeleteDC(mem);
    for (HBITMAP b : {mono, colour, compatible}) DeleteObject(b);
    EXPECT_FALSE(CreateCompatibleBitmap({}, 8, 8));
    EXPECT_FALSE(CreateBitmap(-1, 8, 1, 32, nullptr));
    EXPECT_FALSE(CreateBitmap(1 << 16, 1 << 16, 1, 32, nullptr)) << "too big is refused, not a crash";
}

// A 4 x 4 icon: red with a transparent right half.
HICON RedHalfIcon()
{
    HBITMAP colour = CreateBitmap(4, 4, 1, 32, nullptr);
    const BYTE maskRows[8] = {0x30, 0, 0x30, 0, 0x30, 0, 0x30, 0};
    HBITMAP mask = CreateBitmap(4, 4, 1, 1, maskRows);
    HDC dc = CreateCompatibleDC({});
    const HGDIOBJ old = SelectObject(dc, colour);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    RECT r{0, 0, 2, 4};
    FillRect(dc, &r, red);
    SelectObject(dc, old);
    DeleteDC(dc);
    ICONINFO info;
    info.hbmColor = colour;
    info.hbmMask = mask;
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(red);
    DeleteObject(colour);
    DeleteObject(mask);
    return icon;
}

TEST(Icons, DrawThroughTheMask)
{
    HICON icon = RedHalfIcon();
    ASSERT_TRUE(icon);
    MemoryCanvas canvas(6, 6, RGB(0, 0, 255));
    ASSERT_TRUE(DrawIconEx(canvas.dc(), 1, 1, icon, 0, 0, 0, {}, DI_NORMAL));
    EXPECT_EQ(canvas.dc().GetPixel(1, 1), RGB(255, 0, 0));
    EXPECT_EQ(canvas.dc().GetPixel(3, 1), RGB(0, 0, 255)) << "the mask lets the background through";
    HICON copy = CopyIcon(icon);
    ASSERT_TRUE(DestroyIcon(icon));
    EXPECT_FALSE(DrawIconEx(canvas.dc(), 0, 0, icon, 0, 0, 0, {}, DI_NORMAL)) << "destroyed";
    EXPECT_TRUE(DrawIconEx(canvas.dc(), 0, 0, copy, 0, 0, 0, {}, DI_NORMAL)) << "the copy stays";
    DestroyIcon(copy);
}

TEST(ImageLists, MaskColourCellsAndDrawing)
{
    // A strip of two 2 x 2 cells: green with one magenta (mask colour) pixel.
    HBITMAP strip = CreateBitmap(4, 2, 1, 32, nullptr);
    HDC dc = CreateCompatibleDC({});
    const HGDIOBJ old = SelectObject(dc, strip);
    HBRUSH green = CreateSolidBrush(RGB(0, 200, 0));
    RECT all{0, 0, 4, 2};
    FillRect(dc, &all, green);
    SetPixelV(dc, 1, 0, RGB(255, 0, 255));
    SetPixelV(dc, 2, 1, RGB(255, 0, 255));
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(green);

    CImageList list;
    ASSERT_TRUE(list.Create(2, 2, ILC_COLOR32 | ILC_MASK, 2, 1));
    CBitmap* bmp = CBitmap::FromHandle(strip);
    EXPECT_EQ(list.Add(bmp, RGB(255, 0, 255)), 0);
    EXPECT_EQ(list.GetImageCount(), 2);
    MemoryCanvas canvas(4, 4, RGB(255, 255, 255));
    EXPECT_TRUE(list.Draw(&canvas.dc(), 1, CPoint(0, 0), ILD_TRANSPARENT));
    EXPECT_EQ(canvas.dc().GetPixel(0, 1), RGB(255, 255, 255)) << "mask colour is transparent";
    EXPECT_EQ(canvas.dc().GetPixel(1, 1), RGB(0, 200, 0));
    EXPECT_FALSE(list.Draw(&canvas.dc(), 2, CPoint(0, 0), ILD_NORMAL)) << "no such image";
    HICON icon = list.ExtractIcon(0);
    ASSERT_TRUE(icon);
    const QImage img = platform::ImageFromIcon(icon);
    EXPECT_EQ(qAlpha(img.pixel(1, 0)), 0);
    EXPECT_EQ(img.pixel(0, 0), qRgba(0, 200, 0, 255));
    DestroyIcon(icon);
    EXPECT_EQ(platform::ImageFromImageList(list, 1).size(), QSize(2, 2));
    EXPECT_TRUE(list.Remove(0));
    EXPECT_EQ(list.GetImageCount(), 1);
    DeleteObject(strip);
}

TEST(DisabledImages, GoldenDrawState)
{
    MemoryCanvas canvas(64, 24, GetSysColor(COLOR_BTNFACE));
    CDC& dc = canvas.dc();
    // A black ring icon drawn normal, disabled and monochrome.
    QImage ring(16, 16, QImage::Format_ARGB32);
    ring.fill(Qt::transparent);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const int d = (x - 8) * (x - 8) + (y - 8) * (y - 8);
            if (d <= 49 && d >= 16) ring.setPixel(x, y, qRgb(0, 0, 120));
        }
    HICON icon = platform::IconFromImage(ring);
    ASSERT_TRUE(dc.DrawState(CPoint(2, 4), CSize(0, 0), icon, DSS_NORMAL));
    ASSERT_TRUE(dc.DrawState(CPoint(22, 4), CSize(0, 0), icon, DSS_DISABLED));
    CBrush red(RGB(200, 0, 0));
    ASSERT_TRUE(dc.DrawState(CPoint(42, 4), CSize(0, 0), icon, DSS_MONO, red));
    DestroyIcon(icon);
    drawtest::ExpectMatchesGolden(canvas.Image(), "draw_state");
}

TEST(SystemColours, ClassicSchemeAndBrushes)
{
    struct Case {
        int index;
        COLORREF colour;
    };
    const Case cases[] = {{COLOR_BTNFACE, RGB(212, 208, 200)}, {COLOR_BTNSHADOW, RGB(128, 128, 128)},
                          {COLOR_WINDOW, RGB(255, 255, 255)},   {COLOR_HIGHLIGHT, RGB(10, 36, 106)},
                          {COLOR_INFOBK, RGB(255, 255, 225)},   {COLOR_3DDKSHADOW, RGB(64, 64, 64)}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        EXPECT_EQ(GetSysColor(c.index), c.colour);
        LOGBRUSH lb;
        ASSERT_TRUE(GetObject(GetSysColorBrush(c.index), sizeof lb, &lb));
        EXPECT_EQ(lb.lbColor, c.colour);
    }
    EXPECT_EQ(GetSystemMetrics(SM_CXEDGE), 2);
    EXPECT_EQ(GetSystemMetrics(SM_CXICON), 32);
    EXPECT_GT(GetSystemMetrics(SM_CXSCREEN), 0);
    EXPECT_EQ(GetSysColor(999), 0u);
}

}  // namespace
