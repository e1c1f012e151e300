// Bitmap and icon files: a save and load round trip checked against Qt's own
// reader, and malformed files refused without harm.
#include "DrawTestSupport.h"

#include "platform/ui/ImageFile.h"

#include <QBuffer>
#include <QImageReader>

#include <cstring>
#include <filesystem>

namespace {

class TempDir {
public:
    TempDir()
    {
        m_path = std::filesystem::temp_directory_path() / ("ui-image-" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_path);
    }
    ~TempDir() { std::filesystem::remove_all(m_path); }
    CString File(const char* name) const { return CString::FromUtf8((m_path / name).string()); }

private:
    std::filesystem::path m_path;
};

void Append(std::string& out, const void* p, std::size_t n) { out.append(static_cast<const char*>(p), n); }

// A BMP file built by hand: 'bpp' bits, bottom-up rows, optional palette.
std::string MakeBmp(int w, int h, int bpp, const std::vector<RGBQUAD>& palette, const std::vector<std::uint8_t>& rows)
{
    BITMAPINFOHEADER ih;
    ih.biWidth = w;
    ih.biHeight = h;
    ih.biBitCount = static_cast<WORD>(bpp);
    ih.biClrUsed = static_cast<DWORD>(palette.size());
    BITMAPFILEHEADER fh;
    fh.bfType = 0x4D42;
    fh.bfOffBits = static_cast<DWORD>(14 + 40 + palette.size() * 4);
    fh.bfSize = static_cast<DWORD>(fh.bfOffBits + rows.size());
    std::string out;
    Append(out, &fh, sizeof fh);
    Append(out, &ih, sizeof ih);
    Append(out, palette.data(), palette.size() * 4);
    Append(out, rows.data(), rows.size());
    return out;
}

TEST(BitmapFiles, SavedFileReadsBackHereAndInQt)
{
    TempDir dir;
    drawtest::MemoryCanvas canvas(7, 5, RGB(10, 20, 30));
    canvas.dc().SetPixelV(0, 0, RGB(255, 0, 0));   // top-left
    canvas.dc().SetPixelV(6, 4, RGB(0, 0, 255));   // bottom-right
    canvas.dc().SetPixelV(3, 2, RGB(1, 254, 127));
    const CString path = dir.File("copy.bmp");
    ASSERT_TRUE(platform::SaveBitmapToFile(canvas.bitmap(), path, false));

    QImageReader reader(QString::fromUtf16(path.GetString()));
    const QImage qt = reader.read();
    ASSERT_FALSE(qt.isNull()) << reader.errorString().toStdString();
    ASSERT_EQ(qt.size(), QSize(7, 5));
    EXPECT_EQ(qt.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(qt.pixel(6, 4), qRgb(0, 0, 255));
    EXPECT_EQ(qt.pixel(3, 2), qRgb(1, 254, 127));
    EXPECT_EQ(qt.pixel(1, 1), qRgb(10, 20, 30));

    for (bool dib : {false, true}) {
        SCOPED_TRACE(dib ? "as a DIB section" : "as a device bitmap");
        HBITMAP back = platform::LoadBitmapFile(path, dib);
        ASSERT_TRUE(back);
        EXPECT_EQ(platform::ImageFromBitmap(back), canvas.Image());
        DeleteObject(back);
    }
}

TEST(BitmapFiles, PaletteAndAlphaFilesLoad)
{
    // 4 x 2 at 8 bits: rows padded to 4 bytes, bottom row first.
    const std::vector<RGBQUAD> palette = {{0, 0, 0, 0}, {0, 0, 255, 0}, {0, 255, 0, 0}};
    const std::string bmp8 = MakeBmp(4, 2, 8, palette, {1, 1, 1, 1, 2, 0, 2, 0});
    HBITMAP b8 = platform::LoadBitmapFromBytes(bmp8, false);
    ASSERT_TRUE(b8);
    const QImage img8 = platform::ImageFromBitmap(b8);
    EXPECT_EQ(img8.pixel(0, 0), qRgb(0, 255, 0)) << "top row is stored last";
    EXPECT_EQ(img8.pixel(1, 0), qRgb(0, 0, 0));
    EXPECT_EQ(img8.pixel(0, 1), qRgb(255, 0, 0));
    DeleteObject(b8);

    const std::string bmp32 = MakeBmp(1, 1, 32, {}, {0x10, 0x20, 0x30, 0x80});
    HBITMAP b32 = platform::LoadBitmapFromBytes(bmp32, true);
    ASSERT_TRUE(b32);
    DIBSECTION ds{};
    ASSERT_EQ(GetObject(b32, sizeof ds, &ds), static_cast<int>(sizeof ds));
    const auto* px = static_cast<const std::uint8_t*>(ds.dsBm.bmBits);
    EXPECT_EQ(px[0], 0x10);
    EXPECT_EQ(px[3], 0x80) << "alpha bytes of a 32-bit file are kept";
    DeleteObject(b32);
}

TEST(BitmapFiles, MalformedFilesAreRefused)
{
    const std::string good = MakeBmp(2, 2, 24, {}, std::vector<std::uint8_t>(16, 0x7F));
    ASSERT_TRUE(platform::LoadBitmapFromBytes(good, false));
    struct Case {
        const char* name;
        std::function<void(std::string&)> spoil;
    };
    const Case cases[] = {
        {"empty", [](std::string& s) { s.clear(); }},
        {"not a bitmap", [](std::string& s) { s[0] = 'X'; }},
        {"header cut short", [](std::string& s) { s.resize(30); }},
        {"pixels cut short", [](std::string& s) { s.resize(s.size() - 5); }},
        {"pixel offset beyond the end", [](std::string& s) { DWORD off = 100000; std::memcpy(&s[10], &off, 4); }},
        {"zero width", [](std::string& s) { LONG w = 0; std::memcpy(&s[18], &w, 4); }},
        {"huge width", [](std::string& s) { LONG w = 0x7FFFFFFF; std::memcpy(&s[18], &w, 4); }},
        {"height of the minimum", [](std::string& s) { LONG h = INT32_MIN; std::memcpy(&s[22], &h, 4); }},
        {"odd bit count", [](std::string& s) { WORD b = 13; std::memcpy(&s[28], &b, 2); }},
        {"palette larger than the file", [](std::string& s) {
             WORD b = 8; std::memcpy(&s[28], &b, 2);
             DWORD used = 256; std::memcpy(&s[46], &used, 4);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string bytes = good;
        c.spoil(bytes);
        EXPECT_FALSE(platform::LoadBitmapFromBytes(bytes, false));
        EXPECT_FALSE(platform::LoadBitmapFromBytes(bytes, true));
    }
    EXPECT_FALSE(platform::LoadBitmapFile(CString(u"/nonexistent/file.bmp"), false));
    EXPECT_FALSE(platform::SaveBitmapToFile({}, CString(u"/tmp/never.bmp"), false));
}

// An icon file of one 2 x 2 image: 32-bit colour with alpha, or 24-bit with
// an AND mask.
std::string MakeIco(int bpp)
{
    BITMAPINFOHEADER ih;
    ih.biWidth = 2;
    ih.biHeight = 4;  // colour and mask
    ih.biBitCount = static_cast<WORD>(bpp);
    std::string image;
    Append(image, &ih, sizeof ih);
    if (bpp == 32) {
        const std::uint8_t rows[] = {0, 0, 255, 255, 0, 255, 0, 0,    // bottom: red opaque, green transparent
                                     255, 0, 0, 255, 255, 255, 255, 128};  // top: blue, half white
        Append(image, rows, sizeof rows);
    } else {
        const std::uint8_t rows[] = {0, 0, 255, 0, 255, 0, 0, 0,  // bottom row, padded to 8
                                     255, 0, 0, 9, 9, 9, 0, 0};   // top row
        Append(image, rows, sizeof rows);
    }
    const std::uint8_t mask[] = {0x40, 0, 0, 0, 0x00, 0, 0, 0};  // bottom row: (1,1) transparent
    Append(image, mask, sizeof mask);
    std::string out;
    const WORD dir[3] = {0, 1, 1};
    Append(out, dir, sizeof dir);
    const std::uint8_t entry[16] = {2, 2, 0, 0, 1, 0, static_cast<std::uint8_t>(bpp), 0,
                                    static_cast<std::uint8_t>(image.size()), 0, 0, 0, 22, 0, 0, 0};
    Append(out, entry, sizeof entry);
    return out + image;
}

TEST(IconFiles, ColourMaskAndAlphaLoad)
{
    for (int bpp : {24, 32}) {
        SCOPED_TRACE(bpp);
        HICON icon = platform::LoadIconFromBytes(MakeIco(bpp), 0, 0);
        ASSERT_TRUE(icon);
        const QImage img = platform::ImageFromIcon(icon);
        ASSERT_EQ(img.size(), QSize(2, 2));
        EXPECT_EQ(img.pixel(0, 1), qRgba(255, 0, 0, 255));
        EXPECT_EQ(qAlpha(img.pixel(1, 1)), 0) << "transparent by the mask or the alpha";
        EXPECT_EQ(qBlue(img.pixel(0, 0)), 255);
        ICONINFO info;
        ASSERT_TRUE(GetIconInfo(icon, &info));
        EXPECT_EQ(info.xHotspot, 1u) << "an icon's size is twice its hot spot";
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
    HICON scaled = platform::LoadIconFromBytes(MakeIco(32), 16, 16);
    ASSERT_TRUE(scaled);
    EXPECT_EQ(platform::ImageFromIcon(scaled).size(), QSize(16, 16));
    DestroyIcon(scaled);
}

TEST(IconFiles, MalformedFilesAreRefused)
{
    const std::string good = MakeIco(32);
    struct Case {
        const char* name;
        std::function<void(std::string&)> spoil;
    };
    const Case cases[] = {
        {"empty", [](std::string& s) { s.clear(); }},
        {"cursor type", [](std::string& s) { s[2] = 2; }},
        {"no images", [](std::string& s) { s[4] = 0; }},
        {"more entries than bytes", [](std::string& s) { s[4] = 50; }},
        {"image beyond the end", [](std::string& s) { s[18] = 0x7F; }},
        {"image cut short", [](std::string& s) { s.resize(40); }},
        {"odd height", [](std::string& s) { s[22 + 8] = 3; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string bytes = good;
        c.spoil(bytes);
        HICON icon = platform::LoadIconFromBytes(bytes, 0, 0);
        EXPECT_FALSE(icon);
        DestroyIcon(icon);
    }
}

}  // namespace
