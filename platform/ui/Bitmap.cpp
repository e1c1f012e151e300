// Bitmaps, DIB sections, their bits, and block transfers with raster
// operations.
#include "platform/ui/GdiInternal.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace platform::gdi {

namespace {

int MaskShift(DWORD mask)
{
    int s = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        ++s;
    }
    return s;
}

int MaskBits(DWORD mask)
{
    int n = 0;
    for (; mask; mask >>= 1) n += static_cast<int>(mask & 1);
    return n;
}

std::uint8_t Channel(DWORD v, DWORD mask)
{
    if (!mask) return 0;
    const DWORD c = (v & mask) >> MaskShift(mask);
    const int bits = MaskBits(mask);
    if (bits >= 8) return static_cast<std::uint8_t>(c >> (bits - 8));
    return static_cast<std::uint8_t>((c * 255 + ((1u << bits) - 1) / 2) / ((1u << bits) - 1));
}

}  // namespace

bool DibLayout(const BITMAPINFOHEADER& h, int& width, int& height, bool& bottomUp, long long& stride)
{
    if (h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == std::numeric_limits<LONG>::min()) return false;
    const int bpp = h.biBitCount;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return false;
    width = h.biWidth;
    height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    bottomUp = h.biHeight > 0;
    stride = ((static_cast<long long>(bpp) * width + 31) / 32) * 4;
    return static_cast<long long>(width) * height <= (1LL << 28);
}

std::shared_ptr<Surface> DecodeDib(const BITMAPINFOHEADER& h, const RGBQUAD* colors, int colorCount,
                                   const DWORD* masks, const std::uint8_t* bits, std::size_t available)
{
    int width, height;
    bool bottomUp;
    long long stride;
    if (!bits || !DibLayout(h, width, height, bottomUp, stride)) return nullptr;
    if (stride * height > static_cast<long long>(available)) return nullptr;
    const int bpp = h.biBitCount;
    if (h.biCompression != BI_RGB && h.biCompression != BI_BITFIELDS) return nullptr;
    if (h.biCompression == BI_BITFIELDS && bpp != 16 && bpp != 32) return nullptr;
    if (bpp <= 8 && (!colors || colorCount <= 0)) return nullptr;
    DWORD rm = 0x00FF0000, gm = 0x0000FF00, bm = 0x000000FF;
    if (bpp == 16) {
        rm = 0x7C00;
        gm = 0x03E0;
        bm = 0x001F;
    }
    if (h.biCompression == BI_BITFIELDS) {
        if (!masks) return nullptr;
        rm = masks[0];
        gm = masks[1];
        bm = masks[2];
    }
    auto s = Surface::Create(width, height, false);
    if (!s) return nullptr;
    bool anyAlpha = false;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = bits + (bottomUp ? height - 1 - y : y) * stride;
        std::uint32_t* out = s->Row32(y);
        for (int x = 0; x < width; ++x) {
            std::uint32_t v;
            if (bpp <= 8) {
                int index;
                if (bpp == 8) index = row[x];
                else if (bpp == 4) index = (row[x / 2] >> ((x & 1) ? 0 : 4)) & 0x0F;
                else index = (row[x / 8] >> (7 - (x & 7))) & 1;
                if (index >= colorCount) index = 0;
                const RGBQUAD& q = colors[index];
                v = (q.rgbRed << 16) | (q.rgbGreen << 8) | q.rgbBlue;
            } else if (bpp == 24) {
                v = row[x * 3] | (row[x * 3 + 1] << 8) | (row[x * 3 + 2] << 16);
            } else {
                DWORD raw;
                if (bpp == 16) raw = row[x * 2] | (row[x * 2 + 1] << 8);
                else std::memcpy(&raw, row + x * 4, 4);
                if (bpp == 32 && h.biCompression == BI_RGB) {
                    v = raw;
                } else {
                    v = (Channel(raw, rm) << 16) | (Channel(raw, gm) << 8) | Channel(raw, bm);
                }
            }
            anyAlpha = anyAlpha || (v >> 24) != 0;
            out[x] = v;
        }
    }
    s->alpha = Surface::Alpha::Exact;
    if (!anyAlpha) {
        // Nothing carries alpha: keep the cheaper convention.
        s->alpha = Surface::Alpha::Zero;
    }
    return s;
}

namespace {

// What a transfer reads from a source pixel: the logical pixel, with a
// monochrome bitmap's black and white turned into the destination's colours.
struct SourceMap {
    bool monoToColor = false;
    bool colorToMono = false;
    std::uint32_t textPixel = 0;
    std::uint32_t bkPixel = 0;
    std::uint32_t srcBk = 0;
    std::uint32_t Map(std::uint32_t v) const
    {
        if (monoToColor) return (v & 0x00FFFFFF) ? bkPixel : textPixel;
        if (colorToMono) return (v & 0x00FFFFFF) == srcBk ? 0x00FFFFFF : 0;
        return v;
    }
};

std::uint32_t Rop3(DWORD rop, std::uint32_t p, std::uint32_t s, std::uint32_t d)
{
    const unsigned index = (rop >> 16) & 0xFF;
    std::uint32_t r = 0;
    for (unsigned k = 0; k < 8; ++k) {
        if (!((index >> k) & 1)) continue;
        r |= ((k & 4) ? p : ~p) & ((k & 2) ? s : ~s) & ((k & 1) ? d : ~d);
    }
    return r;
}

bool UsesSource(DWORD rop)
{
    const unsigned index = (rop >> 16) & 0xFF;
    return ((index >> 2) & 0x33) != (index & 0x33);
}

bool AlphaTravels(DWORD rop) { return rop == SRCCOPY || rop == SRCAND || rop == SRCPAINT || rop == SRCINVERT; }

std::uint32_t Combine(DWORD rop, std::uint32_t p, std::uint32_t s, std::uint32_t d)
{
    switch (rop) {
    case SRCCOPY: return s;
    case SRCAND: return s & d;
    case SRCPAINT: return s | d;
    case SRCINVERT: return s ^ d;
    case BLACKNESS: return 0;
    case WHITENESS: return 0x00FFFFFF;
    case DSTINVERT: return ~d & 0x00FFFFFF;
    case PATCOPY: return p;
    case PATINVERT: return (p ^ d) & 0x00FFFFFF;
    default: return Rop3(rop, p, s, d) & 0x00FFFFFF;
    }
}

std::vector<int> AxisMap(int destLength, int srcStart, int srcLength, bool mirror)
{
    std::vector<int> map(static_cast<std::size_t>(destLength));
    for (int i = 0; i < destLength; ++i) {
        long long j = ((2LL * i + 1) * srcLength) / (2LL * destLength);
        if (mirror) j = srcLength - 1 - j;
        map[static_cast<std::size_t>(i)] = srcStart + static_cast<int>(j);
    }
    return map;
}

// A transfer onto paper, which has no pixels to combine with: fills print
// as fills, copies as pictures. The mask idiom still prints right: the AND
// pass leaves its white out, the OR and XOR passes their black.
bool TransferToPage(DeviceContext& dest, int x, int y, int w, int h, DeviceContext* src, int sx, int sy, int sw,
                    int sh, DWORD rop)
{
    if (!UsesSource(rop)) {
        QColor fill;
        if (rop == BLACKNESS) fill = Qt::black;
        else if (rop == WHITENESS) fill = Qt::white;
        else if (rop != PATCOPY) return true;
        const QRect r = QRect(x, y, w, h).normalized();
        if (rop == PATCOPY) {
            auto brush = LookupBrush(dest.state.brush);
            if (!brush) return false;
            FillSurfaceRegion(dest, QRegion(r.translated(dest.Offset())), *brush);
            return true;
        }
        return PaintPage(dest, [&](QPainter& p) { p.fillRect(r, fill); });
    }
    if (!src->surface) return src->info;
    const Surface& s = *src->surface;
    const QPoint sOff = src->Offset();
    const QRect asked = QRect(sx + sOff.x(), sy + sOff.y(), sw, sh).normalized();
    if (w == 0 || h == 0 || !asked.intersects(s.Bounds())) return true;
    // What lies outside the source stays transparent.
    QImage picture(asked.size(), QImage::Format_ARGB32);
    if (picture.isNull()) return false;
    picture.fill(Qt::transparent);
    {
        QPainter copy(&picture);
        copy.setCompositionMode(QPainter::CompositionMode_Source);
        const QRect inside = asked & s.Bounds();
        copy.drawImage(inside.topLeft() - asked.topLeft(), SurfaceToImage(s, false).copy(inside));
    }
    ClearWideVectorState();
    const bool flipX = (w < 0) != (sw < 0), flipY = (h < 0) != (sh < 0);
    if (flipX || flipY) picture = picture.mirrored(flipX, flipY);
    const QRgb text = ToQColor(dest.state.textColor).rgb(), back = ToQColor(dest.state.bkColor).rgb();
    for (int py = 0; py < picture.height(); ++py) {
        auto* row = reinterpret_cast<QRgb*>(picture.scanLine(py));
        for (int px = 0; px < picture.width(); ++px) {
            QRgb c = row[px];
            if (qAlpha(c) == 0) continue;
            // A monochrome picture takes the DC's colours, as on screen.
            if (s.mono) c = (c & 0x00FFFFFF) ? back : text;
            if (rop == NOTSRCCOPY) c = ~c | 0xFF000000;
            const QRgb rgb = c & 0x00FFFFFF;
            const bool clear = (rop == SRCAND && rgb == 0x00FFFFFF) || ((rop == SRCPAINT || rop == SRCINVERT) && rgb == 0);
            row[px] = clear ? 0 : (c | 0xFF000000);
        }
    }
    const QRect target = QRect(x, y, w, h).normalized();
    return PaintPage(dest, [&](QPainter& p) { p.drawImage(target, picture); });
}

}  // namespace

bool Transfer(DeviceContext& dest, int x, int y, int w, int h, DeviceContext* src, int sx, int sy, int sw, int sh,
              DWORD rop)
{
    const bool needSource = UsesSource(rop);
    if (needSource && (!src)) return false;
    if (dest.page) return TransferToPage(dest, x, y, w, h, src, sx, sy, sw, sh, rop);
    if (!dest.surface) return dest.info;
    if (needSource && !src->surface) return src->info;
    if (w == 0 || h == 0 || (needSource && (sw == 0 || sh == 0))) return true;
    if (!needSource) {
        sw = w;
        sh = h;
    }
    Surface& d = *dest.surface;
    const QPoint dOff = dest.Offset();
    int dx0 = x + dOff.x(), dy0 = y + dOff.y();
    bool mirrorX = false, mirrorY = false;
    // A negative extent runs back from the given pixel, which stays
    // included (x = width - 1 with -width flips a whole row).
    if (w < 0) { dx0 += w + 1; w = -w; mirrorX = !mirrorX; }
    if (h < 0) { dy0 += h + 1; h = -h; mirrorY = !mirrorY; }
    int sx0 = sx, sy0 = sy;
    if (needSource) {
        const QPoint sOff = src->Offset();
        sx0 += sOff.x();
        sy0 += sOff.y();
    }
    if (sw < 0) { sx0 += sw + 1; sw = -sw; mirrorX = !mirrorX; }
    if (sh < 0) { sy0 += sh + 1; sh = -sh; mirrorY = !mirrorY; }

    QRegion area = QRegion(QRect(dx0, dy0, w, h)) & QRegion(d.Bounds());
    if (auto clip = dest.SurfaceClip()) area &= *clip;
    if (area.isEmpty()) return true;

    std::uint32_t pattern = 0;
    if (auto brush = LookupBrush(dest.state.brush); brush && brush->log.lbStyle == BS_SOLID)
        pattern = ToPixel(brush->log.lbColor);

    Surface* s = needSource ? src->surface.get() : nullptr;
    SourceMap map;
    if (s) {
        if (s->mono && !d.mono) {
            map.monoToColor = true;
            map.textPixel = ToPixel(dest.state.textColor);
            map.bkPixel = ToPixel(dest.state.bkColor);
        } else if (d.mono && !s->mono) {
            map.colorToMono = true;
            map.srcBk = ToPixel(src->state.bkColor);
        }
    }
    const std::vector<int> cols = AxisMap(w, sx0, sw, mirrorX);
    const std::vector<int> rows = AxisMap(h, sy0, sh, mirrorY);

    // Alpha arriving in a bitmap that had none makes its alpha bytes count.
    if (s && d.alpha == Surface::Alpha::Zero && s->alpha == Surface::Alpha::Exact && s->Is32() && AlphaTravels(rop) &&
        rop != SRCAND) {
        bool any = false;
        if (sw == w && sh == h && !mirrorX && !mirrorY) {
            // A plain copy reads rows as they are stored: a quick look through each.
            const int left = std::max(sx0, 0), right = std::min(sx0 + w, s->width);
            for (int r = std::max(sy0, 0); r < std::min(sy0 + h, s->height) && !any && left < right; ++r) {
                const std::uint32_t* in = s->Row32(r);
                std::uint32_t bits = 0;
                for (int c = left; c < right; ++c) bits |= in[c];
                any = (bits >> 24) != 0;
            }
        }
        for (int r = 0; r < h && !any && !(sw == w && sh == h && !mirrorX && !mirrorY); ++r) {
            const int ry = rows[static_cast<std::size_t>(r)];
            if (ry < 0 || ry >= s->height) continue;
            const std::uint32_t* in = s->Row32(ry);
            for (int c = 0; c < w; ++c) {
                const int cx = cols[static_cast<std::size_t>(c)];
                if (cx >= 0 && cx < s->width && (in[cx] >> 24)) {
                    any = true;
                    break;
                }
            }
        }
        if (any && !d.packed && !d.mono) d.MakeAlphaExact();
    }

    // Reading and writing the same pixels: read from a snapshot of the
    // source area, placed at (readX, readY) of the source.
    std::shared_ptr<Surface> snapshot;
    const Surface* origin = s;
    int readX = 0, readY = 0;
    if (s == &d) {
        const auto [colMin, colMax] = std::minmax_element(cols.begin(), cols.end());
        const auto [rowMin, rowMax] = std::minmax_element(rows.begin(), rows.end());
        const QRect need = QRect(QPoint(*colMin, *rowMin), QPoint(*colMax, *rowMax)) & d.Bounds();
        if (need.isEmpty()) return true;
        snapshot = Surface::Create(need.width(), need.height(), false);
        if (!snapshot) return false;
        snapshot->alpha = d.alpha == Surface::Alpha::Exact ? Surface::Alpha::Exact : Surface::Alpha::Zero;
        for (int yy = 0; yy < need.height(); ++yy)
            for (int xx = 0; xx < need.width(); ++xx)
                snapshot->Row32(yy)[xx] = d.Get(need.x() + xx, need.y() + yy);
        s = snapshot.get();
        readX = need.x();
        readY = need.y();
    }

    const bool keepAlpha = d.alpha == Surface::Alpha::Exact && AlphaTravels(rop);
    const bool simple = s && !map.monoToColor && !map.colorToMono && s->Is32() && d.Is32() && !d.mono && !s->mono &&
                        sw == w && sh == h && !mirrorX && !mirrorY;
    for (const QRect& r : area) {
        for (int py = r.top(); py <= r.bottom(); ++py) {
            const int srcRow = rows[static_cast<std::size_t>(py - dy0)];
            if (s && (srcRow < 0 || srcRow >= origin->height)) continue;
            if (simple && rop == SRCCOPY) {
                // The common copy: whole row spans at once.
                int left = r.left(), right = r.right();
                const int shift = sx0 - dx0;
                left = std::max(left, -shift);
                right = std::min(right, origin->width - 1 - shift);
                if (left > right) continue;
                std::uint32_t* out = d.Row32(py) + left;
                const std::uint32_t* in = s->Row32(srcRow - readY) + left + shift - readX;
                const int n = right - left + 1;
                if (d.alpha == Surface::Alpha::Zero && s->alpha != Surface::Alpha::Exact)
                    std::memcpy(out, in, static_cast<std::size_t>(n) * 4);
                else if (d.alpha == Surface::Alpha::Exact && s->alpha == Surface::Alpha::Exact)
                    std::memcpy(out, in, static_cast<std::size_t>(n) * 4);
                else if (d.alpha == Surface::Alpha::Exact)
                    for (int i = 0; i < n; ++i) out[i] = in[i] & 0x00FFFFFF;
                else
                    for (int i = 0; i < n; ++i) out[i] = in[i] | 0xFF000000;
                continue;
            }
            for (int px = r.left(); px <= r.right(); ++px) {
                std::uint32_t sv = 0;
                if (s) {
                    const int srcCol = cols[static_cast<std::size_t>(px - dx0)];
                    if (srcCol < 0 || srcCol >= origin->width) continue;
                    sv = map.Map(s->Get(srcCol - readX, srcRow - readY));
                }
                const std::uint32_t dv = d.Get(px, py);
                std::uint32_t out = Combine(rop, pattern, sv, dv);
                if (!keepAlpha) out &= 0x00FFFFFF;
                if (d.mono) out = MonoThreshold(out);
                d.Put(px, py, keepAlpha ? out : d.Drawn(out));
            }
        }
    }
    dest.NoteDrawn(area.boundingRect());
    return true;
}

}  // namespace platform::gdi

using namespace platform::gdi;

namespace {

bool MonoBitmapDc(HDC hdc)
{
    auto dc = LookupDc(hdc);
    return dc && dc->memory && dc->surface && dc->surface->mono;
}

}  // namespace

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits)
{
    if (width < 0 || height < 0 || planes != 1 || bitsPerPixel > 32) return {};
    if (width == 0 || height == 0) return AddBitmap(Surface::Create(1, 1, true));
    const bool mono = bitsPerPixel == 1;
    auto s = Surface::Create(width, height, mono);
    if (!s) return {};
    if (bits) {
        const auto* in = static_cast<const std::uint8_t*>(bits);
        if (mono) {
            const int rowBytes = ((width + 15) / 16) * 2;
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                    s->Put(x, y, ((in[y * rowBytes + x / 8] >> (7 - (x & 7))) & 1) ? 0x00FFFFFF : 0);
        } else if (bitsPerPixel == 32) {
            std::memcpy(s->bits, in, static_cast<std::size_t>(width) * height * 4);
            for (int y = 0; y < height && s->alpha == Surface::Alpha::Zero; ++y)
                for (int x = 0; x < width; ++x)
                    if (s->Row32(y)[x] >> 24) {
                        s->alpha = Surface::Alpha::Exact;
                        break;
                    }
        } else if (bitsPerPixel == 24) {
            const int rowBytes = ((width * 3 + 1) / 2) * 2;
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) {
                    const std::uint8_t* p = in + y * rowBytes + x * 3;
                    s->Put(x, y, p[0] | (p[1] << 8) | (p[2] << 16));
                }
        }
    }
    return AddBitmap(std::move(s));
}

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height)
{
    if (!LookupDc(dc) || width < 0 || height < 0) return {};
    // A memory DC still holding its 1 x 1 monochrome bitmap gives a
    // monochrome bitmap, as the system does.
    const bool mono = MonoBitmapDc(dc);
    if (width == 0 || height == 0) return AddBitmap(Surface::Create(1, 1, true));
    return AddBitmap(Surface::Create(width, height, mono));
}

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD)
{
    if (bits) *bits = nullptr;
    if (section) return {};
    auto s = Surface::CreateDib(info, usage);
    if (!s) return {};
    if (bits) *bits = s->bits;
    return AddBitmap(std::move(s));
}

namespace {

const RGBQUAD* ColorTable(const BITMAPINFO* info, int& count)
{
    const BITMAPINFOHEADER& h = info->bmiHeader;
    count = h.biBitCount <= 8 ? (h.biClrUsed ? static_cast<int>(h.biClrUsed) : 1 << h.biBitCount) : 0;
    count = std::min(count, 256);
    return reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const std::uint8_t*>(info) + h.biSize +
                                            (h.biCompression == BI_BITFIELDS ? 12 : 0));
}

const DWORD* Masks(const BITMAPINFO* info)
{
    if (info->bmiHeader.biCompression != BI_BITFIELDS) return nullptr;
    return reinterpret_cast<const DWORD*>(reinterpret_cast<const std::uint8_t*>(info) + info->bmiHeader.biSize);
}

std::shared_ptr<Surface> DecodeInfo(const BITMAPINFO* info, const void* bits, std::size_t available)
{
    if (!info || info->bmiHeader.biSize < sizeof(BITMAPINFOHEADER)) return nullptr;
    int count;
    const RGBQUAD* colors = ColorTable(info, count);
    return DecodeDib(info->bmiHeader, colors, count, Masks(info), static_cast<const std::uint8_t*>(bits), available);
}

std::size_t DibBytes(const BITMAPINFOHEADER& h)
{
    int w, hh;
    bool up;
    long long stride;
    if (!DibLayout(h, w, hh, up, stride)) return 0;
    return static_cast<std::size_t>(stride * hh);
}

}  // namespace

HBITMAP CreateDIBitmap(HDC dc, const BITMAPINFOHEADER* header, DWORD init, const void* bits, const BITMAPINFO* info,
                       UINT usage)
{
    if (!header || usage != DIB_RGB_COLORS) return {};
    const int height = header->biHeight < 0 ? -header->biHeight : header->biHeight;
    HBITMAP bmp = MonoBitmapDc(dc) ? CreateBitmap(header->biWidth, height, 1, 1, nullptr)
                                   : AddBitmap(Surface::Create(header->biWidth, height, false));
    if (!bmp) return {};
    if ((init & CBM_INIT) && bits && info) {
        if (!SetDIBits(dc, bmp, 0, static_cast<UINT>(height), bits, info, usage)) {
            DeleteObject(bmp);
            return {};
        }
    }
    return bmp;
}

int SetDIBits(HDC, HBITMAP bitmap, UINT start, UINT lines, const void* bits, const BITMAPINFO* info, UINT usage)
{
    auto bmp = LookupBitmap(bitmap);
    if (!bmp || !bits || !info || usage != DIB_RGB_COLORS) return 0;
    auto decoded = DecodeInfo(info, bits, DibBytes(info->bmiHeader));
    if (!decoded) return 0;
    Surface& d = *bmp->surface;
    if (decoded->alpha == Surface::Alpha::Exact && d.alpha == Surface::Alpha::Zero && !d.mono) d.MakeAlphaExact();
    const bool bottomUp = info->bmiHeader.biHeight > 0;
    const int h = decoded->height;
    int done = 0;
    for (UINT i = 0; i < lines; ++i) {
        const int scan = static_cast<int>(start + i);
        if (scan >= h) break;
        const int y = bottomUp ? h - 1 - scan : scan;
        if (y < 0 || y >= d.height) continue;
        for (int x = 0; x < std::min(d.width, decoded->width); ++x) d.Put(x, y, decoded->Get(x, y));
        ++done;
    }
    return done;
}

int GetDIBits(HDC, HBITMAP bitmap, UINT start, UINT lines, void* bits, BITMAPINFO* info, UINT usage)
{
    auto bmp = LookupBitmap(bitmap);
    if (!bmp || !info || usage != DIB_RGB_COLORS || info->bmiHeader.biSize < sizeof(BITMAPINFOHEADER)) return 0;
    const Surface& s = *bmp->surface;
    BITMAPINFOHEADER& h = info->bmiHeader;
    if (h.biBitCount == 0) {
        h.biWidth = s.width;
        h.biHeight = s.height;
        h.biPlanes = 1;
        h.biBitCount = static_cast<WORD>(s.bitCount);
        h.biCompression = BI_RGB;
        h.biSizeImage = static_cast<DWORD>(((s.width * s.bitCount + 31) / 32) * 4 * s.height);
        h.biClrUsed = 0;
        if (!bits) return 1;
    }
    const int bpp = h.biBitCount;
    if (bpp != 1 && bpp != 24 && bpp != 32) return 0;
    if (h.biWidth != s.width || h.biHeight == 0) return 0;
    const bool bottomUp = h.biHeight > 0;
    const long long stride = ((static_cast<long long>(bpp) * s.width + 31) / 32) * 4;
    h.biSizeImage = static_cast<DWORD>(stride * s.height);
    h.biCompression = BI_RGB;
    if (bpp == 1) {
        auto* table = reinterpret_cast<RGBQUAD*>(reinterpret_cast<std::uint8_t*>(info) + h.biSize);
        table[0] = RGBQUAD{0, 0, 0, 0};
        table[1] = RGBQUAD{255, 255, 255, 0};
    }
    if (!bits) return static_cast<int>(std::min<UINT>(lines, static_cast<UINT>(s.height)));
    auto* out = static_cast<std::uint8_t*>(bits);
    int done = 0;
    for (UINT i = 0; i < lines; ++i) {
        const int scan = static_cast<int>(start + i);
        if (scan >= s.height) break;
        const int y = bottomUp ? s.height - 1 - scan : scan;
        std::uint8_t* row = out + static_cast<long long>(i) * stride;
        std::memset(row, 0, static_cast<std::size_t>(stride));
        for (int x = 0; x < s.width; ++x) {
            const std::uint32_t v = s.Get(x, y);
            if (bpp == 32) {
                std::memcpy(row + x * 4, &v, 4);
            } else if (bpp == 24) {
                row[x * 3] = v & 0xFF;
                row[x * 3 + 1] = (v >> 8) & 0xFF;
                row[x * 3 + 2] = (v >> 16) & 0xFF;
            } else {
                const int r = (v >> 16) & 0xFF, g = (v >> 8) & 0xFF, b = v & 0xFF;
                if ((r * 299 + g * 587 + b * 114) / 1000 >= 128) row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x & 7));
            }
        }
        ++done;
    }
    return done;
}

int SetDIBitsToDevice(HDC dc, int x, int y, DWORD width, DWORD height, int srcX, int srcY, UINT start, UINT lines,
                      const void* bits, const BITMAPINFO* info, UINT usage)
{
    if (!info || !bits || usage != DIB_RGB_COLORS) return 0;
    (void)start;
    auto decoded = DecodeInfo(info, bits, DibBytes(info->bmiHeader));
    auto target = LookupDc(dc);
    if (!decoded || !target) return 0;
    DeviceContext src;
    src.memory = true;
    src.surface = decoded;
    // Source y counts from the bottom of a bottom-up DIB.
    const int sy = info->bmiHeader.biHeight > 0 ? decoded->height - srcY - static_cast<int>(height) : srcY;
    if (!Transfer(*target, x, y, static_cast<int>(width), static_cast<int>(height), &src, srcX, sy,
                  static_cast<int>(width), static_cast<int>(height), SRCCOPY))
        return 0;
    return static_cast<int>(std::min<UINT>(lines, static_cast<UINT>(decoded->height)));
}

int StretchDIBits(HDC dc, int x, int y, int width, int height, int srcX, int srcY, int srcWidth, int srcHeight,
                  const void* bits, const BITMAPINFO* info, UINT usage, DWORD rop)
{
    if (!info || !bits || usage != DIB_RGB_COLORS) return 0;
    auto decoded = DecodeInfo(info, bits, DibBytes(info->bmiHeader));
    auto target = LookupDc(dc);
    if (!decoded || !target) return 0;
    DeviceContext src;
    src.memory = true;
    src.surface = decoded;
    const int sy = info->bmiHeader.biHeight > 0 ? decoded->height - srcY - srcHeight : srcY;
    if (!Transfer(*target, x, y, width, height, &src, srcX, sy, srcWidth, srcHeight, rop)) return 0;
    return decoded->height;
}

LONG GetBitmapBits(HBITMAP bitmap, LONG size, void* bits)
{
    auto bmp = LookupBitmap(bitmap);
    if (!bmp || !bits || size <= 0) return 0;
    const Surface& s = *bmp->surface;
    auto* out = static_cast<std::uint8_t*>(bits);
    const int rowBytes = s.mono ? ((s.width + 15) / 16) * 2 : s.width * 4;
    LONG written = 0;
    for (int y = 0; y < s.height && written + rowBytes <= size; ++y) {
        std::uint8_t* row = out + written;
        if (!s.mono && !s.packed) {
            // Whole rows of 32-bit pixels: the stored bytes, alpha only where it counts.
            const std::uint32_t* in = s.Row32(y);
            if (s.alpha == Surface::Alpha::Exact) {
                std::memcpy(row, in, static_cast<std::size_t>(rowBytes));
            } else {
                for (int x = 0; x < s.width; ++x) {
                    const std::uint32_t v = in[x] & 0x00FFFFFF;
                    std::memcpy(row + x * 4, &v, 4);
                }
            }
            written += rowBytes;
            continue;
        }
        std::memset(row, 0, static_cast<std::size_t>(rowBytes));
        for (int x = 0; x < s.width; ++x) {
            const std::uint32_t v = s.Get(x, y);
            if (s.mono) {
                if (v & 0x00FFFFFF) row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x & 7));
            } else {
                std::memcpy(row + x * 4, &v, 4);
            }
        }
        written += rowBytes;
    }
    return written;
}

LONG SetBitmapBits(HBITMAP bitmap, DWORD size, const void* bits)
{
    auto bmp = LookupBitmap(bitmap);
    if (!bmp || !bits) return 0;
    Surface& s = *bmp->surface;
    const auto* in = static_cast<const std::uint8_t*>(bits);
    const DWORD rowBytes = s.mono ? static_cast<DWORD>(((s.width + 15) / 16) * 2) : static_cast<DWORD>(s.width) * 4;
    DWORD used = 0;
    for (int y = 0; y < s.height && used + rowBytes <= size; ++y) {
        const std::uint8_t* row = in + used;
        for (int x = 0; x < s.width; ++x) {
            if (s.mono) {
                s.Put(x, y, ((row[x / 8] >> (7 - (x & 7))) & 1) ? 0x00FFFFFF : 0);
            } else {
                std::uint32_t v;
                std::memcpy(&v, row + x * 4, 4);
                if ((v >> 24) && s.alpha == Surface::Alpha::Zero) s.MakeAlphaExact();
                s.Put(x, y, v);
            }
        }
        used += rowBytes;
    }
    return static_cast<LONG>(used);
}

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY, DWORD rop)
{
    auto d = LookupDc(dest);
    if (!d) return FALSE;
    auto s = src ? LookupDc(src) : nullptr;
    if (src && !s) return FALSE;
    return Transfer(*d, x, y, width, height, s.get(), srcX, srcY, width, height, rop) ? TRUE : FALSE;
}

BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY, int srcWidth,
                int srcHeight, DWORD rop)
{
    auto d = LookupDc(dest);
    if (!d) return FALSE;
    auto s = src ? LookupDc(src) : nullptr;
    if (src && !s) return FALSE;
    return Transfer(*d, x, y, width, height, s.get(), srcX, srcY, srcWidth, srcHeight, rop) ? TRUE : FALSE;
}

BOOL PatBlt(HDC hdc, int x, int y, int width, int height, DWORD rop)
{
    auto dc = LookupDc(hdc);
    if (!dc || UsesSource(rop)) return FALSE;
    if (width < 0) { x += width; width = -width; }
    if (height < 0) { y += height; height = -height; }
    if (rop == PATCOPY) {
        auto brush = LookupBrush(dc->state.brush);
        if (!brush) return FALSE;
        const QRect r(x, y, width, height);
        FillSurfaceRegion(*dc, QRegion(r.translated(dc->Offset())), *brush);
        return TRUE;
    }
    return Transfer(*dc, x, y, width, height, nullptr, 0, 0, width, height, rop) ? TRUE : FALSE;
}
