// CDib: layout of the block, pixel and palette access, drawing and capturing,
// and bitmap files read back by an independent decoder.
#include "htmltip/Dib.h"
#include "htmltip/tests/GdiTestSupport.h"

#include <QImage>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>

using namespace htmltip::test;

namespace {

class TempFolder {
public:
    TempFolder()
    {
        char pattern[] = "/tmp/qv-dib-XXXXXX";
        const char* made = ::mkdtemp(pattern);
        if (made) m_path = made;
    }
    ~TempFolder()
    {
        std::error_code ec;
        if (!m_path.empty()) std::filesystem::remove_all(m_path, ec);
    }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

CString PathText(const std::filesystem::path& p) { return CString::FromUtf8(p.string()); }

std::string ReadFile(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Files may grow to at most 'bytes' while it lives (writes beyond fail
// instead of raising a signal).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = SIG_DFL;
};

TEST(Dib, LayoutOfTheBlock)
{
    const struct {
        int width;
        int height;
        int bits;
        int lineWidth;
        int entries;
    } cases[] = {
        {1, 1, 1, 4, 2},     {33, 2, 1, 8, 2},   {7, 3, 4, 4, 16},    {9, 3, 4, 8, 16},
        {5, 5, 8, 8, 256},   {3, 2, 16, 8, 0},   {5, 2, 24, 16, 0},   {3, 3, 32, 12, 0},
        {32767, 1, 8, 32768, 256}, {32767, 2, 32, 131068, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + "x" + std::to_string(c.bits));
        CDib dib;
        BYTE* block = dib.Create(c.width, c.height, c.bits);
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(dib.GetLineWidth(), c.lineWidth);
        EXPECT_EQ(dib.GetPaletteEntries(), c.entries);
        EXPECT_EQ(dib.GetPaletteSize(), 4 * c.entries);
        EXPECT_EQ(dib.GetSize(), 40u + 4u * c.entries + static_cast<std::size_t>(c.lineWidth) * c.height);
        EXPECT_EQ(dib.GetBits(), block + 40 + 4 * c.entries);
        // The header sits at the start of the block.
        BITMAPINFOHEADER h;
        std::memcpy(&h, block, sizeof(h));
        EXPECT_EQ(h.biSize, 40u);
        EXPECT_EQ(h.biWidth, c.width);
        EXPECT_EQ(h.biHeight, c.height);
        EXPECT_EQ(h.biBitCount, c.bits);
        EXPECT_EQ(h.biSizeImage, static_cast<DWORD>(c.lineWidth * c.height));
    }
}

TEST(Dib, RefusesWhatItCannotHold)
{
    CDib dib;
    EXPECT_EQ(dib.Create(0, 5, 8), nullptr);
    EXPECT_EQ(dib.Create(5, -1, 8), nullptr);
    EXPECT_EQ(dib.Create(5, 5, 12), nullptr);
    // 32,767 x 32,767 at 32 bits would take 4 GiB.
    EXPECT_EQ(dib.Create(32767, 32767, 32), nullptr);
    // An empty CDib answers with zeros and ignores writes.
    EXPECT_EQ(dib.GetWidth(), 0);
    EXPECT_EQ(dib.GetBits(), nullptr);
    EXPECT_EQ(dib.GetSize(), 0u);
    dib.FillBits(7);
    dib.SetPixelIndex(0, 0, 1);
    dib.SetPaletteColor(0, 1, 2, 3);
    dib.BlendPalette(0, 50);
    dib.SetGrayPalette();
    MemoryDc target(4, 4, RGB(1, 2, 3));
    dib.Draw(&target.dc(), 0, 0);
    EXPECT_EQ(target.Pixel(0, 0), RGB(1, 2, 3));
}

TEST(Dib, PixelIndexesCountFromTheTopAndIgnoreOutOfRange)
{
    CDib dib;
    ASSERT_TRUE(dib.Create(4, 3, 8));
    dib.SetPixelIndex(1, 0, 9);
    dib.SetPixelIndex(4, 0, 9);
    dib.SetPixelIndex(0, 3, 9);
    dib.SetPixelIndex(-1, 0, 9);
    const BYTE* bits = dib.GetBits();
    // Rows are stored bottom-up: the top row is the last one.
    EXPECT_EQ(bits[2 * dib.GetLineWidth() + 1], 9);
    int set = 0;
    for (int i = 0; i < dib.GetLineWidth() * 3; ++i) set += bits[i] != 0;
    EXPECT_EQ(set, 1);

    CDib wide;
    ASSERT_TRUE(wide.Create(4, 3, 32));
    wide.SetPixelIndex(0, 0, 9);
    for (int i = 0; i < wide.GetLineWidth() * 3; ++i) ASSERT_EQ(wide.GetBits()[i], 0);
}

TEST(Dib, PaletteBlendAndGreys)
{
    CDib dib;
    ASSERT_TRUE(dib.Create(2, 2, 8));
    dib.SetPaletteColor(3, 100, 50, 0);
    dib.SetPaletteColor(256, 1, 1, 1);
    dib.BlendPalette(RGB(200, 150, 100), 50);
    const RGBQUAD* palette = dib.GetPalette();
    EXPECT_EQ(palette[3].rgbRed, 150);
    EXPECT_EQ(palette[3].rgbGreen, 100);
    EXPECT_EQ(palette[3].rgbBlue, 50);
    EXPECT_EQ(palette[3].rgbReserved, 0);
    dib.BlendPalette(RGB(9, 8, 7), -5);
    EXPECT_EQ(palette[100].rgbRed, 9);
    dib.SetGrayPalette();
    EXPECT_EQ(palette[0].rgbRed, 0);
    EXPECT_EQ(palette[77].rgbGreen, 77);
    EXPECT_EQ(palette[255].rgbBlue, 255);
    const RGBQUAD quad = CDib::ColorToQuad(RGB(1, 2, 3));
    EXPECT_EQ(quad.rgbRed, 1);
    EXPECT_EQ(quad.rgbBlue, 3);
}

TEST(Dib, DrawsCopiesAndCaptures)
{
    CDib dib;
    ASSERT_TRUE(dib.Create(3, 2, 8));
    dib.SetGrayPalette();
    dib.SetPaletteColor(5, 255, 0, 0);
    dib.SetPixelIndex(0, 0, 5);
    dib.SetPixelIndex(2, 1, 255);
    MemoryDc target(6, 4, RGB(0, 0, 200));
    dib.Draw(&target.dc(), 1, 1);
    EXPECT_EQ(target.Pixel(1, 1), RGB(255, 0, 0));
    EXPECT_EQ(target.Pixel(3, 2), RGB(255, 255, 255));
    EXPECT_EQ(target.Pixel(2, 2), RGB(0, 0, 0));
    EXPECT_EQ(target.Pixel(0, 0), RGB(0, 0, 200));
    EXPECT_EQ(target.Pixel(4, 1), RGB(0, 0, 200));
    // A palette changed after the first draw is used by the next.
    dib.SetPaletteColor(5, 0, 255, 0);
    dib.Draw(&target.dc(), 1, 1);
    EXPECT_EQ(target.Pixel(1, 1), RGB(0, 255, 0));

    CDib copy;
    ASSERT_TRUE(copy.CopyFrom(dib));
    EXPECT_EQ(std::memcmp(copy.GetBits() - 1064, dib.GetBits() - 1064, dib.GetSize()), 0);

    CDib grab;
    ASSERT_TRUE(grab.Create(2, 2, 32));
    grab.Capture(&target.dc(), 0, 0);
    const auto* px = reinterpret_cast<const DWORD*>(grab.GetBits());
    // Bottom-up: the first stored row is y = 1.
    EXPECT_EQ(px[1] & 0x00FFFFFF, 0x0000FF00u);
    EXPECT_EQ(px[2] & 0x00FFFFFF, 0x000000C8u);
}

// Made again at the same size (as an effect is at every showing), a surface
// is as new: pixels and palette zero, and neither a draw nor a capture uses
// the colours it had before.
TEST(Dib, MadeAgainAtTheSameSizeItIsAsNew)
{
    CDib dib;
    ASSERT_TRUE(dib.Create(3, 2, 8));
    const BITMAPINFOHEADER header = dib.GetHeader();
    dib.SetGrayPalette();
    dib.SetPaletteColor(5, 255, 0, 0);
    dib.SetPixelIndex(0, 0, 5);
    MemoryDc target(4, 3, RGB(0, 0, 200));
    dib.Draw(&target.dc(), 0, 0);
    ASSERT_EQ(target.Pixel(0, 0), RGB(255, 0, 0));
    dib.Capture(&target.dc(), 0, 0);  // the section, with this palette

    ASSERT_TRUE(dib.Create(3, 2, 8));
    EXPECT_EQ(std::memcmp(&dib.GetHeader(), &header, sizeof header), 0);
    EXPECT_EQ(std::memcmp(dib.GetBits() - 1064, &header, 40), 0);
    for (int i = 0; i < 256; ++i) {
        const RGBQUAD q = dib.GetPalette()[i];
        ASSERT_EQ(q.rgbRed | q.rgbGreen | q.rgbBlue | q.rgbReserved, 0) << "entry " << i;
    }
    for (int i = 0; i < dib.GetLineWidth() * 2; ++i) ASSERT_EQ(dib.GetBits()[i], 0) << "byte " << i;
    // A capture maps onto the new, all-black palette: index 0 everywhere.
    dib.Capture(&target.dc(), 0, 0);
    EXPECT_EQ(dib.GetBits()[0], 0);
    EXPECT_EQ(dib.GetBits()[dib.GetLineWidth()], 0);
    // Every index is 0, and entry 0 is black now.
    dib.Draw(&target.dc(), 0, 0);
    EXPECT_EQ(target.Pixel(0, 0), RGB(0, 0, 0));
    EXPECT_EQ(target.Pixel(2, 1), RGB(0, 0, 0));
    EXPECT_EQ(target.Pixel(3, 2), RGB(0, 0, 200));
    // With entry 7 red, red pixels take it.
    dib.SetPaletteColor(7, 255, 0, 0);
    target.Fill(RGB(255, 0, 0));
    dib.Capture(&target.dc(), 0, 0);
    EXPECT_EQ(dib.GetBits()[0], 7);

    // Another size or depth still gets a block of its own.
    ASSERT_TRUE(dib.Create(5, 1, 32));
    EXPECT_EQ(dib.GetWidth(), 5);
    EXPECT_EQ(dib.GetBitCount(), 32);
    EXPECT_EQ(dib.GetPalette(), nullptr);
}

TEST(Dib, SavedFilesReadBackWithAnotherDecoder)
{
    TempFolder folder;
    const struct {
        const char* name;
        int bits;
    } cases[] = {{"8 bits", 8}, {"24 bits", 24}, {"32 bits", 32}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CDib dib;
        ASSERT_TRUE(dib.Create(5, 3, c.bits));
        if (c.bits == 8) {
            dib.SetGrayPalette();
            dib.SetPaletteColor(7, 10, 200, 30);
            dib.SetPixelIndex(4, 0, 7);
            dib.SetPixelIndex(0, 2, 255);
        } else {
            const int bytes = c.bits / 8;
            BYTE* top = dib.GetBits() + 2 * dib.GetLineWidth();  // y = 0
            top[4 * bytes + 0] = 30;                             // blue
            top[4 * bytes + 1] = 200;                            // green
            top[4 * bytes + 2] = 10;                             // red
            BYTE* bottom = dib.GetBits();                        // y = 2
            bottom[0] = bottom[1] = bottom[2] = 255;
        }
        const auto path = folder / (std::string("saved") + std::to_string(c.bits) + ".bmp");
        ASSERT_TRUE(dib.SaveToFile(PathText(path).GetString()));
        const std::string bytes = ReadFile(path);
        ASSERT_EQ(bytes.size(), dib.GetSize() + 14);
        EXPECT_EQ(bytes.substr(0, 2), "BM");
        QImage image(QString::fromStdString(path.string()), "BMP");
        ASSERT_FALSE(image.isNull());
        ASSERT_EQ(image.width(), 5);
        ASSERT_EQ(image.height(), 3);
        EXPECT_EQ(image.pixel(4, 0) & 0xFFFFFF, 0x0AC81Eu);
        EXPECT_EQ(image.pixel(0, 2) & 0xFFFFFF, 0xFFFFFFu);
        EXPECT_EQ(image.pixel(2, 1) & 0xFFFFFF, 0u);
    }
}

TEST(Dib, SaveFailuresAreReportedAndLeaveTheFileAlone)
{
    TempFolder folder;
    CDib dib;
    ASSERT_TRUE(dib.Create(100, 100, 32));
    const auto path = folder / "kept.bmp";
    {
        std::ofstream out(path, std::ios::binary);
        out << "old contents";
    }
    {
        // Far less room than the 40,054 bytes of the file.
        FileSizeLimit limit(1000);
        EXPECT_FALSE(dib.SaveToFile(PathText(path).GetString()));
    }
    EXPECT_EQ(ReadFile(path), "old contents");
    EXPECT_FALSE(dib.SaveToFile(PathText(folder / "missing" / "x.bmp").GetString()));
    EXPECT_FALSE(dib.SaveToFile(u""));
    EXPECT_FALSE(dib.SaveToFile(nullptr));
    CDib empty;
    EXPECT_FALSE(empty.SaveToFile(PathText(folder / "empty.bmp").GetString()));
    EXPECT_FALSE(std::filesystem::exists(folder / "empty.bmp"));
}

}  // namespace
