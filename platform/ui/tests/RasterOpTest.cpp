// Block transfers on known pixels: each raster operation on a table of source
// and destination values, alpha bytes included.
#include "DrawTestSupport.h"

#include <cstring>
#include <vector>

namespace {

// A top-down 32-bit DIB section with its own memory DC.
class Dib {
public:
    Dib(int w, int h)
    {
        BITMAPINFO info{};
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = -h;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        m_bitmap = CreateDIBSection({}, &info, DIB_RGB_COLORS, &bits, {}, 0);
        m_bits = static_cast<std::uint32_t*>(bits);
        m_dc = CreateCompatibleDC({});
        m_old = SelectObject(m_dc, m_bitmap);
        m_w = w;
    }
    ~Dib()
    {
        SelectObject(m_dc, m_old);
        DeleteDC(m_dc);
        DeleteObject(m_bitmap);
    }
    std::uint32_t& at(int x, int y) { return m_bits[y * m_w + x]; }
    HDC dc() const { return m_dc; }

private:
    HBITMAP m_bitmap;
    HDC m_dc;
    HGDIOBJ m_old;
    std::uint32_t* m_bits = nullptr;
    int m_w = 0;
};

struct RopCase {
    const char* name;
    DWORD rop;
    std::uint32_t src;
    std::uint32_t dst;
    std::uint32_t expected;  // bytes B, G, R, A read as 0xAARRGGBB
};

TEST(RasterOperations, CombineSourceAndDestinationBitwiseWithAlpha)
{
    const RopCase cases[] = {
        {"SRCCOPY copies all four bytes", SRCCOPY, 0x80112233, 0x00AABBCC, 0x80112233},
        {"SRCAND", SRCAND, 0xFF0F0F0F, 0x80F0FF00, 0x80000F00},
        {"SRCPAINT", SRCPAINT, 0x00102030, 0x40010203, 0x40112233},
        {"SRCINVERT", SRCINVERT, 0x00FF00FF, 0x00F0F0F0, 0x000FF00F},
        {"SRCINVERT twice restores", SRCINVERT, 0x00FF00FF, 0x000FF00F, 0x00F0F0F0},
        {"WHITENESS ignores both, alpha 0", WHITENESS, 0x12345678, 0x80000000, 0x00FFFFFF},
        {"BLACKNESS ignores both", BLACKNESS, 0x12345678, 0x80FFFFFF, 0x00000000},
        {"DSTINVERT inverts the colour", DSTINVERT, 0x00000000, 0x8000FF10, 0x00FF00EF},
        {"NOTSRCCOPY", NOTSRCCOPY, 0x00FF0000, 0x00000000, 0x0000FFFF},
    };
    for (const RopCase& c : cases) {
        SCOPED_TRACE(c.name);
        Dib src(2, 1), dst(2, 1);
        src.at(0, 0) = c.src;
        src.at(1, 0) = 0x00000000;
        dst.at(0, 0) = c.dst;
        dst.at(1, 0) = 0x7F445566;
        ASSERT_TRUE(BitBlt(dst.dc(), 0, 0, 1, 1, src.dc(), 0, 0, c.rop));
        EXPECT_EQ(dst.at(0, 0), c.expected);
        EXPECT_EQ(dst.at(1, 0), 0x7F445566u) << "a pixel outside the transfer changed";
    }
}

TEST(RasterOperations, SourceWithoutAlphaGivesAlphaZero)
{
    // A device bitmap that has only been drawn on has alpha 0, whatever the
    // painter stored.
    drawtest::MemoryCanvas canvas(2, 1, RGB(10, 20, 30));
    Dib dst(2, 1);
    dst.at(0, 0) = 0xFF000000;
    ASSERT_TRUE(BitBlt(dst.dc(), 0, 0, 1, 1, canvas.dc(), 0, 0, SRCCOPY));
    EXPECT_EQ(dst.at(0, 0), 0x000A141Eu);
}

TEST(RasterOperations, AlphaTravelsThroughADeviceBitmap)
{
    Dib src(1, 1);
    src.at(0, 0) = 0x80102030;
    drawtest::MemoryCanvas canvas(2, 1, RGB(255, 255, 255));
    ASSERT_TRUE(BitBlt(canvas.dc(), 0, 0, 1, 1, src.dc(), 0, 0, SRCCOPY));
    Dib back(2, 1);
    ASSERT_TRUE(BitBlt(back.dc(), 0, 0, 2, 1, canvas.dc(), 0, 0, SRCCOPY));
    EXPECT_EQ(back.at(0, 0), 0x80102030u);
    EXPECT_EQ(back.at(1, 0), 0x00FFFFFFu) << "drawn pixels keep alpha 0 once the bitmap carries alpha";
}

TEST(RasterOperations, MonochromeSourceTakesTheDestinationColours)
{
    const BYTE rows[] = {0x80, 0x00, 0x40, 0x00};  // word-aligned rows: (0,0) white, (1,1) white
    HBITMAP mono = CreateBitmap(2, 2, 1, 1, rows);
    HDC monoDc = CreateCompatibleDC({});
    const HGDIOBJ old = SelectObject(monoDc, mono);
    Dib dst(2, 2);
    SetTextColor(dst.dc(), RGB(255, 0, 0));
    SetBkColor(dst.dc(), RGB(0, 0, 255));
    ASSERT_TRUE(BitBlt(dst.dc(), 0, 0, 2, 2, monoDc, 0, 0, SRCCOPY));
    EXPECT_EQ(dst.at(0, 0), 0x000000FFu) << "white bits take the background colour";
    EXPECT_EQ(dst.at(1, 0), 0x00FF0000u) << "black bits take the text colour";
    EXPECT_EQ(dst.at(1, 1), 0x000000FFu);

    // And back: the source background colour becomes white, the rest black.
    Dib colour(2, 1);
    colour.at(0, 0) = 0x00010203;
    colour.at(1, 0) = 0x00FFFFFE;
    SetBkColor(colour.dc(), RGB(1, 2, 3));
    ASSERT_TRUE(BitBlt(monoDc, 0, 0, 2, 1, colour.dc(), 0, 0, SRCCOPY));
    EXPECT_EQ(GetPixel(monoDc, 0, 0), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(monoDc, 1, 0), RGB(0, 0, 0));
    SelectObject(monoDc, old);
    DeleteDC(monoDc);
    DeleteObject(mono);
}

TEST(RasterOperations, StretchScalesByNearestPixelAndMirrors)
{
    Dib src(2, 1), dst(4, 2);
    src.at(0, 0) = 0x00FF0000;
    src.at(1, 0) = 0x000000FF;
    ASSERT_TRUE(StretchBlt(dst.dc(), 0, 0, 4, 2, src.dc(), 0, 0, 2, 1, SRCCOPY));
    const std::uint32_t wide[] = {0x00FF0000, 0x00FF0000, 0x000000FF, 0x000000FF};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(dst.at(x, y), wide[x]) << x << "," << y;
    ASSERT_TRUE(StretchBlt(dst.dc(), 3, 0, -4, 1, src.dc(), 0, 0, 2, 1, SRCCOPY));
    EXPECT_EQ(dst.at(0, 0), 0x000000FFu) << "a negative width mirrors";
    EXPECT_EQ(dst.at(3, 0), 0x00FF0000u);
}

TEST(RasterOperations, ClipRegionAndOverlappingCopy)
{
    Dib dst(4, 1);
    for (int x = 0; x < 4; ++x) dst.at(x, 0) = static_cast<std::uint32_t>(x + 1);
    // Scrolling right within the same bitmap reads the old pixels.
    ASSERT_TRUE(BitBlt(dst.dc(), 1, 0, 3, 1, dst.dc(), 0, 0, SRCCOPY));
    EXPECT_EQ(dst.at(1, 0), 1u);
    EXPECT_EQ(dst.at(2, 0), 2u);
    EXPECT_EQ(dst.at(3, 0), 3u);

    HRGN clip = CreateRectRgn(1, 0, 2, 1);
    SelectClipRgn(dst.dc(), clip);
    ASSERT_TRUE(PatBlt(dst.dc(), 0, 0, 4, 1, BLACKNESS));
    EXPECT_EQ(dst.at(0, 0), 1u);
    EXPECT_EQ(dst.at(1, 0), 0u);
    EXPECT_EQ(dst.at(2, 0), 2u);
    SelectClipRgn(dst.dc(), {});
    DeleteObject(clip);
}

TEST(RasterOperations, StaleOrMissingSourceFails)
{
    Dib dst(1, 1);
    HDC gone = CreateCompatibleDC({});
    DeleteDC(gone);
    EXPECT_FALSE(BitBlt(dst.dc(), 0, 0, 1, 1, gone, 0, 0, SRCCOPY));
    EXPECT_FALSE(BitBlt(dst.dc(), 0, 0, 1, 1, {}, 0, 0, SRCCOPY));
    EXPECT_TRUE(BitBlt(dst.dc(), 0, 0, 1, 1, {}, 0, 0, WHITENESS)) << "no source needed";
    EXPECT_EQ(dst.at(0, 0), 0x00FFFFFFu);
}

}  // namespace
