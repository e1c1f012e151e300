// DIB sections: the byte layout the drawing code reads through the pixel
// pointer, and the alpha byte left by ordinary drawing.
#include "DrawTestSupport.h"

#include <cstring>
#include <vector>

namespace {

struct Section {
    HBITMAP bitmap;
    std::uint8_t* bits = nullptr;
    HDC dc;
    HGDIOBJ old;
    Section(int w, int h, int bpp = 32, const RGBQUAD* palette = nullptr, int colors = 0)
    {
        std::vector<std::uint8_t> buffer(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
        auto* info = reinterpret_cast<BITMAPINFO*>(buffer.data());
        info->bmiHeader = BITMAPINFOHEADER{};
        info->bmiHeader.biWidth = w;
        info->bmiHeader.biHeight = h;  // bottom-up, as the drawing code makes them
        info->bmiHeader.biBitCount = static_cast<WORD>(bpp);
        if (palette) std::memcpy(buffer.data() + sizeof(BITMAPINFOHEADER), palette, sizeof(RGBQUAD) * colors);
        void* p = nullptr;
        bitmap = CreateDIBSection({}, info, DIB_RGB_COLORS, &p, {}, 0);
        bits = static_cast<std::uint8_t*>(p);
        dc = CreateCompatibleDC({});
        old = SelectObject(dc, bitmap);
    }
    ~Section()
    {
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
};

TEST(DibSection, BytesAreBlueGreenRedAlphaInBottomUpRows)
{
    Section s(3, 2);
    ASSERT_NE(s.bits, nullptr);
    ASSERT_TRUE(SetPixelV(s.dc, 0, 0, RGB(0x11, 0x22, 0x33)));  // top-left
    ASSERT_TRUE(SetPixelV(s.dc, 2, 1, RGB(0xAA, 0xBB, 0xCC)));  // bottom-right
    const int stride = 3 * 4;
    const std::uint8_t* topRow = s.bits + 1 * stride;  // rows are stored bottom first
    EXPECT_EQ(topRow[0], 0x33);
    EXPECT_EQ(topRow[1], 0x22);
    EXPECT_EQ(topRow[2], 0x11);
    EXPECT_EQ(topRow[3], 0x00);
    const std::uint8_t* bottomRight = s.bits + 2 * 4;
    EXPECT_EQ(bottomRight[0], 0xCC);
    EXPECT_EQ(bottomRight[1], 0xBB);
    EXPECT_EQ(bottomRight[2], 0xAA);

    // Bytes written through the pointer are what the DC reads.
    std::uint8_t* p = s.bits + 1 * stride + 4;  // (1, 0)
    p[0] = 0x01;
    p[1] = 0x02;
    p[2] = 0x03;
    EXPECT_EQ(GetPixel(s.dc, 1, 0), RGB(0x03, 0x02, 0x01));

    DIBSECTION ds{};
    ASSERT_EQ(GetObject(s.bitmap, sizeof ds, &ds), static_cast<int>(sizeof ds));
    EXPECT_EQ(ds.dsBm.bmBits, s.bits);
    EXPECT_EQ(ds.dsBm.bmWidthBytes, stride);
    EXPECT_EQ(ds.dsBmih.biHeight, 2);
    EXPECT_EQ(ds.dsBmih.biBitCount, 32);
}

// Every pixel starts with alpha 0x7F; after one drawing call, the pixels the
// call drew have alpha 0 and all others still 0x7F.
struct AlphaCase {
    const char* name;
    std::function<void(CDC&)> draw;
};

TEST(DibSection, OrdinaryDrawingLeavesAlphaZeroWhereItDraws)
{
    const AlphaCase cases[] = {
        {"FillRect", [](CDC& dc) { RECT r{2, 2, 6, 5}; CBrush b(RGB(200, 0, 0)); dc.FillRect(&r, &b); }},
        {"LineTo", [](CDC& dc) { dc.MoveTo(1, 1); dc.LineTo(10, 7); }},
        {"Ellipse with hatch", [](CDC& dc) {
             CBrush b(HS_DIAGCROSS, RGB(0, 0, 255));
             CBrush* old = dc.SelectObject(&b);
             dc.Ellipse(1, 1, 11, 8);
             dc.SelectObject(old);
         }},
        {"TextOut", [](CDC& dc) { dc.SetBkMode(TRANSPARENT); dc.TextOut(0, -4, CString(u"Ag")); }},
        {"FillSolidRect", [](CDC& dc) { dc.FillSolidRect(3, 3, 2, 2, RGB(1, 2, 3)); }},
    };
    for (const AlphaCase& c : cases) {
        SCOPED_TRACE(c.name);
        Section s(12, 9);
        const int n = 12 * 9;
        for (int i = 0; i < n; ++i) {
            s.bits[i * 4 + 0] = 0x40;
            s.bits[i * 4 + 1] = 0x50;
            s.bits[i * 4 + 2] = 0x60;
            s.bits[i * 4 + 3] = 0x7F;
        }
        CDC* dc = CDC::FromHandle(s.dc);
        c.draw(*dc);
        int drawn = 0, kept = 0;
        for (int i = 0; i < n; ++i) {
            const std::uint8_t* px = s.bits + i * 4;
            const bool changed = px[0] != 0x40 || px[1] != 0x50 || px[2] != 0x60;
            if (changed) {
                ++drawn;
                EXPECT_EQ(px[3], 0) << "pixel " << i << " drawn but alpha kept";
            } else if (px[3] == 0x7F) {
                ++kept;
            }
        }
        EXPECT_GT(drawn, 0);
        EXPECT_GT(kept, 0) << "untouched pixels must keep their alpha";
    }
}

TEST(DibSection, PaletteSectionBlitsThroughItsColourTable)
{
    const RGBQUAD palette[] = {{0, 0, 0, 0}, {0x30, 0x20, 0x10, 0}, {0xFF, 0xFF, 0xFF, 0}};
    Section pal(4, 1, 8, palette, 3);
    ASSERT_NE(pal.bits, nullptr);
    pal.bits[0] = 1;
    pal.bits[1] = 2;
    pal.bits[2] = 0;
    Section out(4, 1);
    ASSERT_TRUE(BitBlt(out.dc, 0, 0, 4, 1, pal.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(GetPixel(out.dc, 0, 0), RGB(0x10, 0x20, 0x30));
    EXPECT_EQ(GetPixel(out.dc, 1, 0), RGB(0xFF, 0xFF, 0xFF));
    EXPECT_EQ(GetPixel(out.dc, 2, 0), RGB(0, 0, 0));
    // Drawing into the palette section picks the nearest entry.
    SetPixelV(pal.dc, 3, 0, RGB(0x12, 0x1F, 0x2F));
    EXPECT_EQ(pal.bits[3], 1);
}

TEST(DibSection, BadHeadersAreRefused)
{
    struct BadCase {
        const char* name;
        LONG width;
        LONG height;
        WORD bpp;
        DWORD compression;
    };
    const BadCase cases[] = {
        {"zero width", 0, 4, 32, BI_RGB},
        {"zero height", 4, 0, 32, BI_RGB},
        {"negative width", -4, 4, 32, BI_RGB},
        {"odd bit count", 4, 4, 7, BI_RGB},
        {"compressed", 4, 4, 8, BI_RLE8},
        {"far too big", 1 << 20, 1 << 20, 32, BI_RGB},
    };
    for (const BadCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::uint8_t> buffer(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
        auto* info = reinterpret_cast<BITMAPINFO*>(buffer.data());
        info->bmiHeader = BITMAPINFOHEADER{};
        info->bmiHeader.biWidth = c.width;
        info->bmiHeader.biHeight = c.height;
        info->bmiHeader.biBitCount = c.bpp;
        info->bmiHeader.biCompression = c.compression;
        void* bits = reinterpret_cast<void*>(1);
        EXPECT_FALSE(CreateDIBSection({}, info, DIB_RGB_COLORS, &bits, {}, 0));
        EXPECT_EQ(bits, nullptr);
    }
}

TEST(DibSection, GetDIBitsReadsADeviceBitmap)
{
    drawtest::MemoryCanvas canvas(3, 2, RGB(1, 2, 3));
    SetPixelV(canvas.dc(), 0, 0, RGB(0x44, 0x55, 0x66));
    BITMAPINFO info{};
    info.bmiHeader.biWidth = 3;
    info.bmiHeader.biHeight = -2;  // top-down
    info.bmiHeader.biBitCount = 32;
    std::uint32_t pixels[6] = {};
    ASSERT_EQ(GetDIBits(canvas.dc(), canvas.bitmap(), 0, 2, pixels, &info, DIB_RGB_COLORS), 2);
    EXPECT_EQ(pixels[0], 0x00445566u) << "device bitmaps read back with alpha 0";
    EXPECT_EQ(pixels[5], 0x00010203u);
}

// GetBitmapBits gives rows from the top, 32-bit pixels with alpha only
// where the bitmap carries it, monochrome rows packed to words.
TEST(DibSection, GetBitmapBitsGivesTopDownRows)
{
    drawtest::MemoryCanvas canvas(3, 2, RGB(1, 2, 3));
    SetPixelV(canvas.dc(), 2, 1, RGB(0x44, 0x55, 0x66));
    std::uint32_t plain[6] = {};
    ASSERT_EQ(GetBitmapBits(canvas.bitmap(), sizeof plain, plain), static_cast<LONG>(sizeof plain));
    EXPECT_EQ(plain[0], 0x00010203u) << "a device bitmap reads back with alpha 0";
    EXPECT_EQ(plain[5], 0x00445566u);

    // A bottom-up section with alpha: its top row comes first, alpha kept.
    Section s(2, 2);
    std::uint32_t stored[4] = {0x80112233u, 0x00445566u, 0xFF778899u, 0x01AABBCCu};  // bottom row first
    std::memcpy(s.bits, stored, sizeof stored);
    std::uint32_t alpha[4] = {};
    ASSERT_EQ(GetBitmapBits(s.bitmap, sizeof alpha, alpha), static_cast<LONG>(sizeof alpha));
    EXPECT_EQ(alpha[0], 0xFF778899u);
    EXPECT_EQ(alpha[1], 0x01AABBCCu);
    EXPECT_EQ(alpha[2], 0x80112233u);
    EXPECT_EQ(alpha[3], 0x00445566u);
    // Room for one row only: one row.
    std::uint32_t row[3] = {};
    EXPECT_EQ(GetBitmapBits(s.bitmap, 12, row), 8);
    EXPECT_EQ(row[1], 0x01AABBCCu);
    EXPECT_EQ(row[2], 0u);

    const std::uint8_t monoBits[4] = {0xA0, 0x00, 0x40, 0x00};  // rows of 16 bits
    HBITMAP mono = CreateBitmap(3, 2, 1, 1, monoBits);
    std::uint8_t packed[4] = {0xEE, 0xEE, 0xEE, 0xEE};
    ASSERT_EQ(GetBitmapBits(mono, sizeof packed, packed), 4);
    EXPECT_EQ(packed[0], 0xA0);
    EXPECT_EQ(packed[1], 0x00);
    EXPECT_EQ(packed[2], 0x40);
    DeleteObject(mono);
}

}  // namespace
