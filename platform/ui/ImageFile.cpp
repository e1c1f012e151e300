#include "platform/ui/ImageFile.h"

#include "platform/core/File.h"
#include "platform/ui/GdiInternal.h"

#include <QImage>

#include <cstring>

namespace platform {

namespace {

constexpr std::size_t kFileHeaderBytes = 14;
constexpr std::size_t kInfoHeaderBytes = 40;

template <class T>
bool ReadAt(const std::string& bytes, std::size_t offset, T& out)
{
    if (offset > bytes.size() || bytes.size() - offset < sizeof(T)) return false;
    std::memcpy(&out, bytes.data() + offset, sizeof(T));
    return true;
}

// A DIB (info header, colour table, rows) starting at 'offset'; pixel rows at
// 'bitsOffset' (0 = right after the colour table). 'rowsHeight' overrides the
// header's height (icons store twice the height).
std::shared_ptr<gdi::Surface> DecodeDibAt(const std::string& bytes, std::size_t offset, std::size_t bitsOffset,
                                          int rowsHeight, std::size_t* endOfRows)
{
    BITMAPINFOHEADER h;
    if (!ReadAt(bytes, offset, h) || h.biSize < kInfoHeaderBytes || h.biSize > 1024) return nullptr;
    if (offset + h.biSize > bytes.size()) return nullptr;
    if (rowsHeight) h.biHeight = rowsHeight;
    std::size_t tableAt = offset + h.biSize;
    DWORD masks[3] = {};
    const DWORD* maskPtr = nullptr;
    if (h.biCompression == BI_BITFIELDS) {
        // Masks follow a 40-byte header, or sit inside a longer one.
        const std::size_t at = offset + kInfoHeaderBytes;
        if (!ReadAt(bytes, at, masks)) return nullptr;
        maskPtr = masks;
        if (h.biSize == kInfoHeaderBytes) tableAt += sizeof masks;
    }
    std::vector<RGBQUAD> colors;
    if (h.biBitCount <= 8) {
        const DWORD entries = h.biClrUsed ? h.biClrUsed : (1u << h.biBitCount);
        if (entries > 256) return nullptr;
        colors.resize(entries);
        if (tableAt > bytes.size() || (bytes.size() - tableAt) / sizeof(RGBQUAD) < entries) return nullptr;
        std::memcpy(colors.data(), bytes.data() + tableAt, entries * sizeof(RGBQUAD));
        tableAt += entries * sizeof(RGBQUAD);
    }
    const std::size_t at = bitsOffset ? bitsOffset : tableAt;
    if (at > bytes.size()) return nullptr;
    int width, height;
    bool bottomUp;
    long long stride;
    if (!gdi::DibLayout(h, width, height, bottomUp, stride)) return nullptr;
    if (endOfRows) *endOfRows = at + static_cast<std::size_t>(stride * height);
    return gdi::DecodeDib(h, colors.data(), static_cast<int>(colors.size()), maskPtr,
                          reinterpret_cast<const std::uint8_t*>(bytes.data()) + at, bytes.size() - at);
}

HBITMAP ToBitmap(std::shared_ptr<gdi::Surface> s, bool dibSection, bool bottomUp)
{
    if (!s) return {};
    if (!dibSection) return gdi::AddBitmap(std::move(s));
    BITMAPINFO info{};
    info.bmiHeader.biWidth = s->width;
    info.bmiHeader.biHeight = bottomUp ? s->height : -s->height;
    info.bmiHeader.biBitCount = 32;
    auto dib = gdi::Surface::CreateDib(&info, DIB_RGB_COLORS);
    if (!dib) return {};
    for (int y = 0; y < s->height; ++y) std::memcpy(dib->Row32(y), s->Row32(y), static_cast<std::size_t>(s->width) * 4);
    if (s->alpha != gdi::Surface::Alpha::Exact)
        for (int y = 0; y < dib->height; ++y)
            for (int x = 0; x < dib->width; ++x) dib->Row32(y)[x] &= 0x00FFFFFF;
    return gdi::AddBitmap(std::move(dib));
}

HICON ScaledIcon(HICON icon, int cx, int cy)
{
    if (!icon || cx <= 0 || cy <= 0) return icon;
    QImage img = ImageFromIcon(icon);
    if (img.width() == cx && img.height() == cy) return icon;
    DestroyIcon(icon);
    return IconFromImage(img.scaled(cx, cy, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

}  // namespace

HBITMAP LoadBitmapFromBytes(const std::string& bytes, bool dibSection)
{
    BITMAPFILEHEADER fh;
    if (!ReadAt(bytes, 0, fh) || fh.bfType != 0x4D42) return {};
    if (fh.bfOffBits < kFileHeaderBytes + kInfoHeaderBytes || fh.bfOffBits >= bytes.size()) return {};
    BITMAPINFOHEADER h;
    if (!ReadAt(bytes, kFileHeaderBytes, h)) return {};
    return ToBitmap(DecodeDibAt(bytes, kFileHeaderBytes, fh.bfOffBits, 0, nullptr), dibSection, h.biHeight > 0);
}

HICON LoadIconFromBytes(const std::string& bytes, int cx, int cy)
{
    struct Dir {
        WORD reserved, type, count;
    };
    struct Entry {
        BYTE width, height, colors, reserved;
        WORD planes, bitCount;
        DWORD bytes, offset;
    };
    static_assert(sizeof(Dir) == 6 && sizeof(Entry) == 16);
    Dir dir;
    if (!ReadAt(bytes, 0, dir) || dir.reserved != 0 || dir.type != 1 || dir.count == 0) return {};
    const int wantW = cx > 0 ? cx : GetSystemMetrics(SM_CXICON);
    const int wantH = cy > 0 ? cy : GetSystemMetrics(SM_CYICON);
    int best = -1;
    long bestScore = 0;
    Entry chosen{};
    for (int i = 0; i < dir.count; ++i) {
        Entry e;
        if (!ReadAt(bytes, 6 + 16 * static_cast<std::size_t>(i), e)) return {};
        const int w = e.width ? e.width : 256, h = e.height ? e.height : 256;
        const long score = (std::abs(w - wantW) + std::abs(h - wantH)) * 64L - e.bitCount;
        if (best < 0 || score < bestScore) {
            best = i;
            bestScore = score;
            chosen = e;
        }
    }
    if (chosen.offset >= bytes.size() || chosen.bytes > bytes.size() - chosen.offset) return {};
    const std::string image = bytes.substr(chosen.offset, chosen.bytes);
    static const char kPng[] = "\x89PNG\r\n\x1a\n";
    if (image.size() >= 8 && std::memcmp(image.data(), kPng, 8) == 0) {
        QImage png;
        if (!png.loadFromData(reinterpret_cast<const uchar*>(image.data()), static_cast<int>(image.size()), "PNG"))
            return {};
        return ScaledIcon(IconFromImage(png), cx, cy);
    }
    BITMAPINFOHEADER h;
    if (!ReadAt(image, 0, h) || h.biHeight <= 0 || h.biHeight % 2) return {};
    const int height = h.biHeight / 2;
    std::size_t end = 0;
    auto color = DecodeDibAt(image, 0, 0, height, &end);
    if (!color) return {};
    // The AND mask follows the image: 1 bit per pixel, rows bottom-up.
    const long long maskStride = ((static_cast<long long>(h.biWidth) + 31) / 32) * 4;
    auto mask = gdi::Surface::Create(h.biWidth, height, true);
    if (!mask) return {};
    const bool haveMask = end <= image.size() && static_cast<long long>(image.size() - end) >= maskStride * height;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < h.biWidth; ++x) {
            bool transparent = false;
            if (haveMask) {
                const auto byte = static_cast<std::uint8_t>(image[end + static_cast<std::size_t>((height - 1 - y) * maskStride + x / 8)]);
                transparent = (byte >> (7 - (x & 7))) & 1;
            }
            mask->Put(x, y, transparent ? 0x00FFFFFF : 0);
        }
    if (h.biBitCount == 32 && color->alpha == gdi::Surface::Alpha::Exact && !haveMask) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < h.biWidth; ++x) mask->Put(x, y, (color->Get(x, y) >> 24) ? 0 : 0x00FFFFFF);
    }
    auto icon = std::make_shared<gdi::IconObject>();
    icon->color = std::move(color);
    icon->mask = std::move(mask);
    icon->hotX = static_cast<DWORD>(h.biWidth / 2);
    icon->hotY = static_cast<DWORD>(height / 2);
    return ScaledIcon(gdi::AddIcon(std::move(icon)), cx, cy);
}

HBITMAP LoadBitmapFile(const CString& path, bool dibSection)
{
    std::string bytes;
    if (!CFile::ReadAll(path, bytes)) return {};
    return LoadBitmapFromBytes(bytes, dibSection);
}

HICON LoadIconFile(const CString& path, int cx, int cy)
{
    std::string bytes;
    if (!CFile::ReadAll(path, bytes)) return {};
    return LoadIconFromBytes(bytes, cx, cy);
}

bool SaveBitmapToFile(HBITMAP bitmap, const CString& path, bool withAlpha)
{
    BITMAP bm{};
    if (path.IsEmpty() || !GetObject(bitmap, sizeof bm, &bm)) return false;
    BITMAPINFO info{};
    info.bmiHeader.biWidth = bm.bmWidth;
    info.bmiHeader.biHeight = bm.bmHeight;
    info.bmiHeader.biBitCount = withAlpha ? 32 : 24;
    const long long stride = ((static_cast<long long>(info.bmiHeader.biBitCount) * bm.bmWidth + 31) / 32) * 4;
    std::string pixels(static_cast<std::size_t>(stride * bm.bmHeight), '\0');
    if (GetDIBits({}, bitmap, 0, static_cast<UINT>(bm.bmHeight), pixels.data(), &info, DIB_RGB_COLORS) != bm.bmHeight)
        return false;
    BITMAPFILEHEADER fh;
    fh.bfType = 0x4D42;
    fh.bfOffBits = static_cast<DWORD>(kFileHeaderBytes + kInfoHeaderBytes);
    fh.bfSize = static_cast<DWORD>(fh.bfOffBits + pixels.size());
    info.bmiHeader.biSizeImage = static_cast<DWORD>(pixels.size());
    info.bmiHeader.biXPelsPerMeter = 3780;  // 96 dots per inch
    info.bmiHeader.biYPelsPerMeter = 3780;
    std::string file(reinterpret_cast<const char*>(&fh), sizeof fh);
    file.append(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
    file += pixels;
    return CFile::WriteAll(path, file);
}

}  // namespace platform
