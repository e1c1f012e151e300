#include "platform/ui/GdiInternal.h"

#include <QGuiApplication>

#include <cstring>
#include <limits>

namespace platform::gdi {

namespace {

// Larger bitmaps than this are refused rather than exhausting memory.
constexpr long long kMaxSurfaceBytes = 1LL << 30;

std::unique_ptr<std::uint8_t[]> Allocate(long long bytes)
{
    if (bytes <= 0 || bytes > kMaxSurfaceBytes) return nullptr;
    return std::unique_ptr<std::uint8_t[]>(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(bytes)]());
}

}  // namespace

bool HaveGui() { return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr; }

std::shared_ptr<Surface> Surface::Create(int width, int height, bool mono)
{
    if (width <= 0 || height <= 0) return nullptr;
    const long long bytes = static_cast<long long>(width) * height * 4;
    auto storage = Allocate(bytes);
    if (!storage) return nullptr;
    auto s = std::make_shared<Surface>();
    s->width = width;
    s->height = height;
    s->bitCount = mono ? 1 : 32;
    s->mono = mono;
    s->stride = width * 4;
    s->storage = std::move(storage);
    s->bits = s->storage.get();
    return s;
}

std::shared_ptr<Surface> Surface::CreateDib(const BITMAPINFO* info, UINT usage)
{
    if (!info || usage != DIB_RGB_COLORS) return nullptr;
    const BITMAPINFOHEADER& h = info->bmiHeader;
    if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biWidth <= 0 || h.biHeight == 0 ||
        h.biHeight == std::numeric_limits<LONG>::min() || h.biPlanes != 1)
        return nullptr;
    const int bpp = h.biBitCount;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32) return nullptr;
    if (h.biCompression != BI_RGB && !(h.biCompression == BI_BITFIELDS && bpp == 32)) return nullptr;
    if (h.biCompression == BI_BITFIELDS) {
        // Only the standard 8-8-8 layout is kept as it is.
        const auto* masks = reinterpret_cast<const DWORD*>(reinterpret_cast<const std::uint8_t*>(info) + h.biSize);
        if (masks[0] != 0x00FF0000 || masks[1] != 0x0000FF00 || masks[2] != 0x000000FF) return nullptr;
    }
    const int width = h.biWidth;
    const int height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    const long long stride = ((static_cast<long long>(bpp) * width + 31) / 32) * 4;
    auto storage = Allocate(stride * height);
    if (!storage) return nullptr;
    auto s = std::make_shared<Surface>();
    s->width = width;
    s->height = height;
    s->bitCount = bpp;
    s->packed = bpp != 32;
    s->bottomUp = h.biHeight > 0;
    s->dibSection = true;
    s->stride = static_cast<int>(stride);
    s->alpha = Alpha::Exact;
    s->storage = std::move(storage);
    s->bits = s->storage.get();
    if (bpp <= 8) {
        const int entries = 1 << bpp;
        const int given = h.biClrUsed && static_cast<int>(h.biClrUsed) < entries ? static_cast<int>(h.biClrUsed) : entries;
        const auto* colors = reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const std::uint8_t*>(info) + h.biSize);
        s->palette.assign(colors, colors + given);
        s->palette.resize(entries);
    }
    return s;
}

std::shared_ptr<Surface> Surface::Wrap(std::shared_ptr<QImage> image)
{
    if (!image || image->isNull()) return nullptr;
    const auto f = image->format();
    if (f != QImage::Format_RGB32 && f != QImage::Format_ARGB32 && f != QImage::Format_ARGB32_Premultiplied)
        return nullptr;
    auto s = std::make_shared<Surface>();
    s->width = image->width();
    s->height = image->height();
    s->bits = image->bits();
    s->stride = static_cast<int>(image->bytesPerLine());
    s->alpha = Alpha::Ignored;
    s->external = std::move(image);
    return s;
}

QImage* Surface::PaintView(QImage& spare)
{
    if (!m_paintView || m_paintView->constBits() != bits || m_paintView->bytesPerLine() != stride ||
        m_paintView->width() != width || m_paintView->height() != height)
        m_paintView = std::make_unique<QImage>(bits, width, height, stride, QImage::Format_RGB32);
    if (!m_paintView->paintingActive()) return m_paintView.get();
    spare = QImage(bits, width, height, stride, QImage::Format_RGB32);
    return &spare;
}

std::uint32_t Surface::Get(int x, int y) const
{
    const std::uint8_t* row = Row(y);
    switch (packed ? bitCount : 32) {
    case 32: {
        const std::uint32_t p = reinterpret_cast<const std::uint32_t*>(row)[x];
        return alpha == Alpha::Exact ? p : (p & 0x00FFFFFF);
    }
    case 24:
        return row[x * 3] | (row[x * 3 + 1] << 8) | (row[x * 3 + 2] << 16);
    default: {
        int index;
        if (bitCount == 8) index = row[x];
        else if (bitCount == 4) index = (row[x / 2] >> ((x & 1) ? 0 : 4)) & 0x0F;
        else index = (row[x / 8] >> (7 - (x & 7))) & 1;
        const RGBQUAD& q = palette[static_cast<std::size_t>(index)];
        return (q.rgbRed << 16) | (q.rgbGreen << 8) | q.rgbBlue;
    }
    }
}

std::uint8_t Surface::NearestIndex(std::uint32_t rgb) const
{
    const int r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
    int best = 0;
    long bestDistance = std::numeric_limits<long>::max();
    for (std::size_t i = 0; i < palette.size(); ++i) {
        const long dr = r - palette[i].rgbRed, dg = g - palette[i].rgbGreen, db = b - palette[i].rgbBlue;
        const long d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) {
            bestDistance = d;
            best = static_cast<int>(i);
            if (d == 0) break;
        }
    }
    return static_cast<std::uint8_t>(best);
}

void Surface::Put(int x, int y, std::uint32_t pixel)
{
    std::uint8_t* row = Row(y);
    switch (packed ? bitCount : 32) {
    case 32:
        if (mono) pixel = (pixel & 0x00FFFFFF) == 0x00FFFFFF ? 0xFFFFFFFF : 0xFF000000;
        reinterpret_cast<std::uint32_t*>(row)[x] = alpha == Alpha::Exact ? pixel : (pixel | 0xFF000000);
        return;
    case 24:
        row[x * 3] = pixel & 0xFF;
        row[x * 3 + 1] = (pixel >> 8) & 0xFF;
        row[x * 3 + 2] = (pixel >> 16) & 0xFF;
        return;
    case 8:
        row[x] = NearestIndex(pixel);
        return;
    case 4: {
        const std::uint8_t i = NearestIndex(pixel);
        std::uint8_t& b = row[x / 2];
        b = (x & 1) ? static_cast<std::uint8_t>((b & 0xF0) | i) : static_cast<std::uint8_t>((b & 0x0F) | (i << 4));
        return;
    }
    default: {
        const std::uint8_t i = NearestIndex(pixel);
        std::uint8_t& b = row[x / 8];
        const std::uint8_t bit = static_cast<std::uint8_t>(0x80 >> (x & 7));
        b = i ? (b | bit) : (b & ~bit);
        return;
    }
    }
}

void Surface::MakeAlphaExact()
{
    if (alpha != Alpha::Zero || packed) return;
    for (int y = 0; y < height; ++y) {
        std::uint32_t* row = Row32(y);
        for (int x = 0; x < width; ++x) row[x] &= 0x00FFFFFF;
    }
    alpha = Alpha::Exact;
}

QImage SurfaceToImage(const Surface& s, bool keepAlpha)
{
    QImage img(s.width, s.height, keepAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (img.isNull()) return img;
    for (int y = 0; y < s.height; ++y) {
        auto* out = reinterpret_cast<std::uint32_t*>(img.scanLine(y));
        if (!s.packed) {
            const std::uint32_t* in = s.Row32(y);
            if (s.alpha == Surface::Alpha::Exact && keepAlpha) std::memcpy(out, in, static_cast<std::size_t>(s.width) * 4);
            else
                for (int x = 0; x < s.width; ++x) out[x] = in[x] | 0xFF000000;
        } else {
            for (int x = 0; x < s.width; ++x) out[x] = s.Get(x, y) | 0xFF000000;
        }
    }
    return img;
}

}  // namespace platform::gdi
