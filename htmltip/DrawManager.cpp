#include "htmltip/DrawManager.h"
#include "htmltip/Section32.h"

#include "platform/ui/DcPixels.h"

#include <algorithm>
#include <cmath>
#include <cstring>

using htmltip::kMaxEffectSize;
using htmltip::NoiseGenerator;

namespace {

constexpr DWORD kWhitePixel = 0x00FFFFFF;

// A real product truncated towards zero, taken modulo 256; NaN and infinities give 0.
DWORD ByteOf(double v)
{
    if (!std::isfinite(v)) return 0;
    const double t = std::fmod(std::trunc(v), 256.0);
    const int b = static_cast<int>(t);
    return static_cast<DWORD>(b < 0 ? b + 256 : b);
}

DWORD Channel(DWORD v, int shift) { return (v >> shift) & 0xFF; }

DWORD PixelFromColor(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }

// A screen DC for compatible objects; without a screen it still measures.
class ScreenDc {
public:
    ScreenDc() : m_dc(::GetDC(HWND())) {}
    ~ScreenDc()
    {
        if (m_dc) ::ReleaseDC(HWND(), m_dc);
    }
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    HDC Get() const { return m_dc; }

private:
    HDC m_dc;
};

// A memory DC with one bitmap selected, put back and deleted at the end.
class SelectedDc {
public:
    SelectedDc(HDC compatible, HBITMAP bitmap)
    {
        if (!bitmap) return;
        m_dc = ::CreateCompatibleDC(compatible);
        if (m_dc) m_old = ::SelectObject(m_dc, bitmap);
    }
    ~SelectedDc()
    {
        if (!m_dc) return;
        if (m_old) ::SelectObject(m_dc, m_old);
        ::DeleteDC(m_dc);
    }
    SelectedDc(const SelectedDc&) = delete;
    SelectedDc& operator=(const SelectedDc&) = delete;
    HDC Get() const { return m_dc; }
    explicit operator bool() const { return static_cast<bool>(m_dc); }

private:
    HDC m_dc;
    HGDIOBJ m_old;
};


class ScopedBitmap {
public:
    explicit ScopedBitmap(HBITMAP b = HBITMAP()) : m_bitmap(b) {}
    ~ScopedBitmap()
    {
        if (m_bitmap) ::DeleteObject(m_bitmap);
    }
    ScopedBitmap(const ScopedBitmap&) = delete;
    ScopedBitmap& operator=(const ScopedBitmap&) = delete;
    HBITMAP Get() const { return m_bitmap; }
    HBITMAP Release()
    {
        const HBITMAP b = m_bitmap;
        m_bitmap = nullptr;
        return b;
    }
    explicit operator bool() const { return static_cast<bool>(m_bitmap); }

private:
    HBITMAP m_bitmap;
};

class ScopedIcon {
public:
    explicit ScopedIcon(HICON icon) : m_icon(icon) {}
    ~ScopedIcon()
    {
        if (m_icon) ::DestroyIcon(m_icon);
    }
    ScopedIcon(const ScopedIcon&) = delete;
    ScopedIcon& operator=(const ScopedIcon&) = delete;
    HICON Get() const { return m_icon; }

private:
    HICON m_icon;
};

// The bitmaps GetIconInfo hands out belong to the caller.
struct IconBitmaps {
    explicit IconBitmaps(HICON icon)
    {
        if (icon && ::GetIconInfo(icon, &info)) {
            ok = true;
        } else {
            info = ICONINFO();
        }
    }
    ~IconBitmaps()
    {
        if (info.hbmColor) ::DeleteObject(info.hbmColor);
        if (info.hbmMask) ::DeleteObject(info.hbmMask);
    }
    IconBitmaps(const IconBitmaps&) = delete;
    IconBitmaps& operator=(const IconBitmaps&) = delete;
    ICONINFO info;
    bool ok = false;
};

UINT PenStyleOf(int style)
{
    switch (style) {
    case 2:
        return PS_DASH;
    case 3:
        return PS_DOT;
    case 4:
        return PS_DASHDOT;
    case 5:
        return PS_DASHDOTDOT;
    default:
        return PS_SOLID;
    }
}

constexpr int kDoubleBorder = 6;

// Blur windows are odd, at least 1, and leave room for one pixel of the mask.
int FitBlur(int blur, int size)
{
    if (blur < 1) blur = 1;
    if (blur % 2 == 0) ++blur;
    const int room = size - 1;
    const int largest = room % 2 == 1 ? room : room - 1;
    return std::min(blur, largest);
}

}  // namespace

// ------------------------------------------------------------------ colours

DWORD CDrawManager::GrayColor(DWORD pixel)
{
    const double y = 0.299 * Channel(pixel, 16) + 0.587 * Channel(pixel, 8) + 0.114 * Channel(pixel, 0);
    const DWORD v = ByteOf(y);
    return v | (v << 8) | (v << 16);
}

COLORREF CDrawManager::GrayMirrorColor(COLORREF color)
{
    const double y = 0.299 * GetRValue(color) + 0.587 * GetGValue(color) + 0.114 * GetBValue(color);
    const DWORD v = ByteOf(y);
    return v | (v << 8) | (v << 16);
}

DWORD CDrawManager::InvertColor(DWORD value)
{
    return (255 - Channel(value, 0)) | ((255 - Channel(value, 8)) << 8) | ((255 - Channel(value, 16)) << 16);
}

DWORD CDrawManager::DarkenColor(DWORD value, double factor)
{
    if (!(factor >= 0.0 && factor < 1.0)) return value;
    const auto scale = [factor](DWORD c) { return static_cast<DWORD>(static_cast<double>(c) * factor); };
    return scale(Channel(value, 0)) | (scale(Channel(value, 8)) << 8) | (scale(Channel(value, 16)) << 16);
}

DWORD CDrawManager::LightenColor(DWORD value, double factor)
{
    if (!(factor > 0.0 && factor <= 1.0)) return value;
    const auto scale = [factor](DWORD c) {
        return std::min<DWORD>(255, static_cast<DWORD>(static_cast<double>(c) * (1.0 + factor)));
    };
    return scale(Channel(value, 0)) | (scale(Channel(value, 8)) << 8) | (scale(Channel(value, 16)) << 16);
}

DWORD CDrawManager::MixColors(DWORD a, double fa, DWORD b, double fb)
{
    const auto mix = [&](int shift) {
        return ByteOf(static_cast<double>(Channel(a, shift)) * fa + static_cast<double>(Channel(b, shift)) * fb);
    };
    return mix(0) | (mix(8) << 8) | (mix(16) << 16);
}

// ------------------------------------------------------------------ sizes and icons

CSize CDrawManager::GetIconSize(HICON icon)
{
    if (!icon) return CSize(0, 0);
    IconBitmaps bitmaps(icon);
    if (!bitmaps.ok) return CSize(0, 0);
    return CSize(static_cast<int>(bitmaps.info.xHotspot * 2), static_cast<int>(bitmaps.info.yHotspot * 2));
}

CSize CDrawManager::GetBitmapSize(HBITMAP bitmap)
{
    BITMAP bm{};
    if (!bitmap || !::GetObject(bitmap, sizeof(bm), &bm)) return CSize(0, 0);
    return CSize(bm.bmWidth, bm.bmHeight);
}

HICON CDrawManager::StretchIcon(HICON icon, int cx, int cy)
{
    if (!icon || cx <= 0 || cy <= 0) return HICON();
    IconBitmaps source(icon);
    if (!source.ok || !source.info.hbmMask) return HICON();
    const CSize size = GetIconSize(icon);
    if (size.cx <= 0 || size.cy <= 0) return HICON();
    ScreenDc screen;
    // A monochrome icon keeps its image below its mask, so its mask is twice as tall.
    const int maskRows = source.info.hbmColor ? 1 : 2;

    const auto stretch = [&](HBITMAP from, int rows) -> HBITMAP {
        BITMAP bm{};
        if (!::GetObject(from, sizeof(bm), &bm)) return HBITMAP();
        ScopedBitmap to(::CreateBitmap(cx, cy * rows, bm.bmPlanes, bm.bmBitsPixel, nullptr));
        SelectedDc fromDc(screen.Get(), from);
        SelectedDc toDc(screen.Get(), to.Get());
        if (!to || !fromDc || !toDc) return HBITMAP();
        if (!::StretchBlt(toDc.Get(), 0, 0, cx, cy * rows, fromDc.Get(), 0, 0, size.cx, size.cy * rows, SRCCOPY))
            return HBITMAP();
        return to.Release();
    };
    ScopedBitmap mask(stretch(source.info.hbmMask, maskRows));
    ScopedBitmap color(source.info.hbmColor ? stretch(source.info.hbmColor, 1) : HBITMAP());
    if (!mask || (source.info.hbmColor && !color)) return HICON();
    ICONINFO info;
    info.fIcon = TRUE;
    info.hbmMask = mask.Get();
    info.hbmColor = color.Get();
    return ::CreateIconIndirect(&info);
}

HBITMAP CDrawManager::CreateImageEffect(HBITMAP bitmap, int cx, int cy, DWORD flags, BOOL useTransparent,
                                        DWORD transparentColor, COLORREF fillColor)
{
    if (!bitmap) return HBITMAP();
    ScreenDc screen;
    htmltip::Section32 section(screen.Get(), cx, cy);
    SelectedDc source(screen.Get(), bitmap);
    if (!section || !source) return HBITMAP();
    if (!::BitBlt(section.Dc(), 0, 0, cx, cy, source.Get(), 0, 0, SRCCOPY)) return HBITMAP();
    ::GdiFlush();

    const DWORD fill = PixelFromColor(fillColor);
    DWORD* pixels = section.Bits();
    for (std::size_t i = 0, n = section.Count(); i < n; ++i) {
        DWORD p = pixels[i];
        const DWORD alpha = p & 0xFF000000;
        if (alpha) m_imageHasAlpha = true;
        if (useTransparent && p == transparentColor) {
            p = 0;
        } else {
            p &= 0x00FFFFFF;
            if (flags & IMAGE_EFFECT_GRAYSCALE) p = GrayColor(p);
            if (flags & IMAGE_EFFECT_DARKEN) p = DarkenColor(p, 0.75);
            if (flags & IMAGE_EFFECT_LIGHTEN) p = LightenColor(p, 0.25);
            if (flags & IMAGE_EFFECT_MONOCHROME) p = fill;
        }
        if (flags & IMAGE_EFFECT_INVERT) p = InvertColor(p);
        pixels[i] = (p & 0x00FFFFFF) | alpha;
    }
    return section.Detach();
}

// ------------------------------------------------------------------ fills

void CDrawManager::FillGradient(CDC* dc, const RECT& rect, COLORREF colorBegin, COLORREF colorEnd, BOOL horizontal)
{
    if (!dc || !dc->GetSafeHdc()) return;
    constexpr int kBands = 64;
    const std::int64_t start = horizontal ? rect.left : rect.top;
    const std::int64_t size = horizontal ? static_cast<std::int64_t>(rect.right) - rect.left
                                         : static_cast<std::int64_t>(rect.bottom) - rect.top;
    if (size <= 0) return;
    const auto channel = [](int begin, int end, int i) { return (begin * (kBands - i) + end * i) >> 6; };
    for (int i = 0; i < kBands; ++i) {
        const int from = static_cast<int>(start + ((i * size) >> 6));
        const int to = static_cast<int>(start + (((i + 1) * size) >> 6));
        if (to <= from) continue;
        const COLORREF c = RGB(channel(GetRValue(colorBegin), GetRValue(colorEnd), i),
                               channel(GetGValue(colorBegin), GetGValue(colorEnd), i),
                               channel(GetBValue(colorBegin), GetBValue(colorEnd), i));
        const RECT band = horizontal ? RECT{from, rect.top, to, rect.bottom} : RECT{rect.left, from, rect.right, to};
        CBrush brush(c);
        dc->FillRect(&band, &brush);
    }
}

void CDrawManager::FillEffect(CDC* dc, int effect, const RECT& rect, COLORREF colorBegin, COLORREF colorMid,
                              COLORREF colorEnd, BYTE granularity, BYTE blend)
{
    if (!dc || !dc->GetSafeHdc()) return;
    const int halfWidth = static_cast<int>((static_cast<std::int64_t>(rect.right) - rect.left) / 2);
    const int halfHeight = static_cast<int>((static_cast<std::int64_t>(rect.bottom) - rect.top) / 2);
    const RECT left{rect.left, rect.top, rect.left + halfWidth, rect.bottom};
    const RECT right{rect.left + halfWidth, rect.top, rect.right, rect.bottom};
    const RECT top{rect.left, rect.top, rect.right, rect.top + halfHeight};
    const RECT bottom{rect.left, rect.top + halfHeight, rect.right, rect.bottom};
    switch (effect) {
    case EFFECT_HGRADIENT:
        FillGradient(dc, rect, colorBegin, colorEnd, TRUE);
        return;
    case EFFECT_VGRADIENT:
        FillGradient(dc, rect, colorBegin, colorEnd, FALSE);
        return;
    case EFFECT_HCGRADIENT:
        FillGradient(dc, left, colorBegin, colorEnd, TRUE);
        FillGradient(dc, right, colorEnd, colorBegin, TRUE);
        return;
    case EFFECT_VCGRADIENT:
        FillGradient(dc, top, colorBegin, colorEnd, FALSE);
        FillGradient(dc, bottom, colorEnd, colorBegin, FALSE);
        return;
    case EFFECT_3HGRADIENT:
        FillGradient(dc, left, colorBegin, colorMid, TRUE);
        FillGradient(dc, right, colorMid, colorEnd, TRUE);
        return;
    case EFFECT_3VGRADIENT:
        FillGradient(dc, top, colorBegin, colorMid, FALSE);
        FillGradient(dc, bottom, colorMid, colorEnd, FALSE);
        return;
    default:
        break;
    }
    if (effect >= EFFECT_NOISE && effect <= EFFECT_METAL) {
        if (FillEffectPixels(dc, effect, rect, colorBegin, colorMid, colorEnd, granularity, blend)) return;
        if (MakeEffectDib(rect, effect, granularity, blend, colorBegin, colorMid, colorEnd)) {
            m_dib.Draw(dc, rect.left, rect.top);
            return;
        }
        // An empty rectangle has nothing to fill; an oversized one, or one
        // that finds no memory, falls back to the solid fill below.
    }
    CBrush brush(colorBegin);
    dc->FillRect(&rect, &brush);
}

namespace {

// Effect rectangles of 1 to kMaxEffectSize pixels either way; false for others.
bool EffectSize(const RECT& rect, int& width, int& height)
{
    const std::int64_t w64 = static_cast<std::int64_t>(rect.right) - rect.left;
    const std::int64_t h64 = static_cast<std::int64_t>(rect.bottom) - rect.top;
    if (w64 < 1 || h64 < 1 || w64 > kMaxEffectSize || h64 > kMaxEffectSize) return false;
    width = static_cast<int>(w64);
    height = static_cast<int>(h64);
    return true;
}

// The 256 colours of an effect: from the end colour through the middle one
// to the begin colour, then blended towards the begin colour.
void SetEffectPalette(CDib& dib, COLORREF colorBegin, COLORREF colorMid, COLORREF colorEnd, BYTE blend)
{
    for (int i = 0; i <= 128; ++i) {
        const auto c = [i](int end, int mid) { return static_cast<BYTE>((end * (128 - i) + mid * i) / 128); };
        dib.SetPaletteColor(i, c(GetRValue(colorEnd), GetRValue(colorMid)), c(GetGValue(colorEnd), GetGValue(colorMid)),
                            c(GetBValue(colorEnd), GetBValue(colorMid)));
    }
    for (int i = 1; i <= 128; ++i) {
        const auto c = [i](int mid, int begin) { return static_cast<BYTE>((mid * (128 - i) + begin * i) / 128); };
        dib.SetPaletteColor(127 + i, c(GetRValue(colorMid), GetRValue(colorBegin)),
                            c(GetGValue(colorMid), GetGValue(colorBegin)), c(GetBValue(colorMid), GetBValue(colorBegin)));
    }
    dib.BlendPalette(colorBegin, blend);
}

}  // namespace

BOOL CDrawManager::MakeEffectDib(const RECT& rect, int effect, BYTE granularity, BYTE blend, COLORREF colorBegin,
                                 COLORREF colorMid, COLORREF colorEnd)
{
    if (effect < EFFECT_NOISE || effect > EFFECT_METAL) return FALSE;
    int W = 0;
    int H = 0;
    if (!EffectSize(rect, W, H) || !m_dib.Create(W, H, 8)) return FALSE;
    SetEffectPalette(m_dib, colorBegin, colorMid, colorEnd, blend);
    MakeEffectIndexes(m_dib.GetBits(), m_dib.GetLineWidth(), W, H, effect, granularity);
    return TRUE;
}

const std::uint32_t* CDrawManager::EffectColors(COLORREF colorBegin, COLORREF colorMid, COLORREF colorEnd, BYTE blend)
{
    EffectPalette& p = m_effectPalette;
    if (!p.valid || p.begin != colorBegin || p.mid != colorMid || p.end != colorEnd || p.blend != blend) {
        CDib dib;
        if (!dib.Create(1, 1, 8)) return nullptr;
        SetEffectPalette(dib, colorBegin, colorMid, colorEnd, blend);
        const RGBQUAD* palette = dib.GetPalette();
        for (int i = 0; i < 256; ++i)
            p.pixels[static_cast<std::size_t>(i)] =
                palette[i].rgbBlue | (palette[i].rgbGreen << 8) | (static_cast<std::uint32_t>(palette[i].rgbRed) << 16);
        p.begin = colorBegin;
        p.mid = colorMid;
        p.end = colorEnd;
        p.blend = blend;
        p.valid = true;
    }
    return p.pixels.data();
}

QV_WIDE_VECTOR_CLONES bool CDrawManager::FillEffectPixels(CDC* dc, int effect, const RECT& rect, COLORREF colorBegin,
                                                          COLORREF colorMid, COLORREF colorEnd, BYTE granularity,
                                                          BYTE blend)
{
    // Straight into the DC's pixels where the whole rectangle may be written;
    // the same pixels as the 8-bit surface drawn through its palette.
    platform::DcPixels pixels;
    int W = 0;
    int H = 0;
    if (!EffectSize(rect, W, H) || !platform::GetDcPixels(dc->GetSafeHdc(), pixels)) return false;
    const std::int64_t left = std::int64_t{rect.left} + pixels.offset.x();
    const std::int64_t top = std::int64_t{rect.top} + pixels.offset.y();
    if (left < 0 || top < 0 || left + W > pixels.width || top + H > pixels.height) return false;
    const QRect target(static_cast<int>(left), static_cast<int>(top), W, H);
    if (pixels.clip && (*pixels.clip & target) != QRegion(target)) return false;
    const std::uint32_t* colors = EffectColors(colorBegin, colorMid, colorEnd, blend);
    if (!colors) return false;
    const std::size_t count = static_cast<std::size_t>(W) * static_cast<std::size_t>(H);
    if (m_effectIndexes.size() < count) m_effectIndexes.resize(count);
    // The metal strokes go onto zeros, as on a new surface.
    if (effect == EFFECT_METAL) std::fill_n(m_effectIndexes.begin(), count, BYTE{0});
    MakeEffectIndexes(m_effectIndexes.data(), W, W, H, effect, granularity);
    for (int row = 0; row < H; ++row) {
        // Rows are made from the bottom up.
        const BYTE* in = m_effectIndexes.data() + static_cast<std::size_t>(H - 1 - row) * static_cast<std::size_t>(W);
        std::uint32_t* out = pixels.Row(target.top() + row) + target.left();
        for (int x = 0; x < W; ++x) out[x] = colors[in[x]] | pixels.opaque;
    }
    platform::NoteDcDrawn(dc->GetSafeHdc(), target);
    return true;
}

QV_WIDE_VECTOR_CLONES void CDrawManager::MakeEffectIndexes(BYTE* bits, int line, int W, int H, int effect,
                                                           BYTE granularity)
{
    // The generator works on a copy, put back at the end: through the pixel
    // pointer every store could be its state, which would be read anew for
    // every pixel.
    htmltip::NoiseGenerator noiseState = m_noise;
    const int g = granularity;
    const int divisor = NoiseGenerator::kMax / (g != 0 ? 2 * g : 1);
    const int lo = g;
    const int hi = 255 - g;
    // r / divisor for r below 2^15 as a multiply and shift (exact there):
    // the division per pixel is what the effects spend most on.
    const float inverse = htmltip::NoiseInverse(divisor);
    // The noise of a row: the next W values, scaled and less the granularity.
    std::vector<int> rowNoise(static_cast<std::size_t>(W));
    const auto nextRow = [&] {
        noiseState.Fill(rowNoise.data(), W);
        for (int& v : rowNoise) v = htmltip::NoiseQuotient(v, inverse) - g;
        return rowNoise.data();
    };
    // Row y counts from the bottom row as stored; every value wraps to 8 bits.
    const auto at = [&](int x, int y) -> BYTE& {
        return bits[static_cast<std::size_t>(y) * static_cast<std::size_t>(line) + static_cast<std::size_t>(x)];
    };
    const auto put = [&](int x, int y, int value) { at(x, y) = static_cast<BYTE>(value); };
    // The cubic bump profile of a position t in -127..128.
    const auto cube = [](int t) { return t * t * t / 128 / 128; };
    const auto bump = [&](int t, int factor) { return (factor * cube(t)) / 128 + 128; };
    const auto rowBump = [&](int y, int factor) { return bump((y * 255) / H - 127, factor); };
    // A term of each column, worked out once rather than on every row.
    const auto columnTerm = [W](auto term) {
        std::vector<int> column(static_cast<std::size_t>(W));
        for (int x = 0; x < W; ++x) column[static_cast<std::size_t>(x)] = term(x);
        return column;
    };
    const auto columnBump = [&](int x, int factor) { return bump(((W - x) * 255) / W - 127, factor); };

    switch (effect) {
    case EFFECT_NOISE:
        for (int y = 0; y < H; ++y) {
            const int* noise = nextRow();
            for (int x = 0; x < W; ++x) put(x, y, 128 + noise[x]);
        }
        break;
    case EFFECT_DIAGSHADE: {
        const int d = (hi - lo) / 2;
        const std::vector<int> column = columnTerm([&](int x) { return ((W - x) * d) / W; });
        for (int y = 0; y < H; ++y) {
            const int row = (d * y) / H + lo;
            const int* noise = nextRow();
            for (int x = 0; x < W; ++x) put(x, y, row + column[x] + noise[x]);
        }
        break;
    }
    case EFFECT_HSHADE: {
        const int d = hi - lo;
        for (int y = 0; y < H; ++y) {
            const int row = (d * y) / H + lo;
            const int* noise = nextRow();
            for (int x = 0; x < W; ++x) put(x, y, row + noise[x]);
        }
        break;
    }
    case EFFECT_VSHADE: {
        const int d = hi - lo;
        const std::vector<int> column = columnTerm([&](int x) { return ((W - x) * d) / W + lo; });
        for (int y = 0; y < H; ++y) {
            const int* noise = nextRow();
            for (int x = 0; x < W; ++x) put(x, y, column[x] + noise[x]);
        }
        break;
    }
    case EFFECT_HBUMP:
        for (int y = 0; y < H; ++y) {
            const int value = rowBump(y, 128 - g);
            const int* noise = nextRow();
            for (int x = 0; x < W; ++x) put(x, y, value + noise[x]);
        }
        break;
    case EFFECT_VBUMP: {
        const std::vector<int> column = columnTerm([&](int x) { return columnBump(x, 128 - g); });
        for (int y = 0; y < H; ++y) {
            const int* noise = nextRow();
            for (int x = 0; x < W; ++x) put(x, y, column[x] + noise[x]);
        }
        break;
    }
    case EFFECT_SOFTBUMP: {
        const std::vector<int> column = columnTerm([&](int x) { return cube(((W - x) * 255) / W - 127); });
        for (int y = 0; y < H; ++y) {
            const int cy = cube((y * 255) / H - 127);
            const int* noise = nextRow();
            for (int x = 0; x < W; ++x) {
                int value = ((128 - g) * (cy + column[x])) / 128 + 128;
                // Not std::clamp: a granularity above 127 puts lo above hi.
                if (value < lo) value = lo;
                if (value > hi) value = hi;
                put(x, y, value + noise[x]);
            }
        }
        break;
    }
    case EFFECT_HARDBUMP: {
        for (int y = 0; y < H; ++y) {
            const int value = rowBump(y, 128 - 2 * g);
            const int* noise = nextRow();
            for (int x = 0; x < W; ++x) put(x, y, value + noise[x]);
        }
        // The bevel is W / 6 wide (at most 16). A surface narrower than 6
        // has none, and a height of 1 gives the curve a divisor of 1, so
        // neither divides by zero; 64-bit products keep tall surfaces exact.
        const int m = std::min(W / 6, 16);
        const std::int64_t d = std::max<std::int64_t>(static_cast<std::int64_t>(H) * H / 4, 1);
        if (m > 0) {
            for (int y = 0; y < H; ++y) {
                const std::int64_t dy = y - H / 2;
                const std::int64_t k = (W / 2 - m) + (dy * dy * m) / d;
                for (int x = 0; x < W; ++x) {
                    const std::int64_t dx = x - W / 2;
                    if (dx > k) {
                        put(x, y, lo + ((W - x) * 128) / m);
                    } else if (dx + k < 0) {
                        put(x, y, hi - (x * 128) / m);
                    }
                }
            }
        }
        for (int y = 0; y < H; ++y) {
            const int* noise = nextRow();
            for (int x = 0; x < W; ++x) put(x, y, at(x, y) + noise[x]);
        }
        break;
    }
    case EFFECT_METAL: {
        const int shortest = std::min(W, H);
        // Rows counted from the top, as a surface's pixels are set.
        const auto setIndex = [&](int x, int y, BYTE value) {
            if (x >= 0 && x < W && y >= 0 && y < H) at(x, H - 1 - y) = value;
        };
        for (int stroke = 0; stroke < 200; ++stroke) {
            const int x0 = noiseState.Next() / (NoiseGenerator::kMax / W);
            const int y0 = noiseState.Next() / (NoiseGenerator::kMax / H);
            const int length = (noiseState.Next() / (NoiseGenerator::kMax / shortest)) / 2;
            const auto value = static_cast<BYTE>(noiseState.Next() / (NoiseGenerator::kMax / 40));
            for (int i = 0; i < length; ++i) {
                if (x0 - i > 0 && y0 + i < H) setIndex(x0 - i, y0 + i, value);
                if (x0 + i < W && y0 - i > 0) setIndex(W - x0 + i, y0 - i, value);
            }
        }
        const int d = (hi - lo - 40) / 2;
        for (int y = 0; y < H; ++y) {
            const int* noise = nextRow();
            for (int x = 0; x < W; ++x) put(x, y, at(x, y) + (d * y) / H + ((W - x) * d) / W + noise[x] + g);
        }
        break;
    }
    default:
        break;
    }
    m_noise = noiseState;
}

void CDrawManager::MultipleCopy(CDC* dc, int x, int y, int width, int height, CDC* sourceDc, int sourceX, int sourceY,
                                int tileWidth, int tileHeight)
{
    if (!dc || !sourceDc || tileWidth <= 0 || tileHeight <= 0 || width <= 0 || height <= 0) return;
    for (std::int64_t ty = 0; ty < height; ty += tileHeight) {
        const int h = static_cast<int>(std::min<std::int64_t>(tileHeight, height - ty));
        for (std::int64_t tx = 0; tx < width; tx += tileWidth) {
            const int w = static_cast<int>(std::min<std::int64_t>(tileWidth, width - tx));
            dc->BitBlt(static_cast<int>(x + tx), static_cast<int>(y + ty), w, h, sourceDc, sourceX, sourceY, SRCCOPY);
        }
    }
}

// ------------------------------------------------------------------ images

void CDrawManager::DrawBitmap(CDC* dc, int x, int y, int cx, int cy, HBITMAP bitmap, BOOL useTransparent,
                              COLORREF transparentColor, DWORD flags, BOOL shadow, int shadowDx, int shadowDy,
                              int blurX, int blurY, COLORREF fillColor)
{
    m_imageHasAlpha = false;
    if (!dc || !dc->GetSafeHdc() || !bitmap || cx <= 0 || cy <= 0) return;
    const CSize size = GetBitmapSize(bitmap);
    if (size.cx <= 0 || size.cy <= 0) return;
    ScreenDc screen;
    ScopedBitmap scaled(::CreateCompatibleBitmap(screen.Get(), cx, cy));
    {
        SelectedDc from(screen.Get(), bitmap);
        SelectedDc to(screen.Get(), scaled.Get());
        if (!from || !to) return;
        if (size.cx != cx || size.cy != cy) {
            ::StretchBlt(to.Get(), 0, 0, cx, cy, from.Get(), 0, 0, size.cx, size.cy, SRCCOPY);
        } else {
            ::BitBlt(to.Get(), 0, 0, cx, cy, from.Get(), 0, 0, SRCCOPY);
        }
    }
    const DWORD transparent = PixelFromColor(transparentColor);
    ScopedBitmap mask(CreateImageEffect(scaled.Get(), cx, cy, IMAGE_EFFECT_MONOCHROME | IMAGE_EFFECT_INVERT,
                                        useTransparent, transparent, RGB(255, 255, 255)));
    ScopedBitmap image(CreateImageEffect(scaled.Get(), cx, cy, flags, useTransparent, transparent, fillColor));
    if (!mask || !image) return;

    if (shadow) {
        if (flags & (IMAGE_EFFECT_SHADOW | IMAGE_EFFECT_SOFT_SHADOW)) {
            ScopedBitmap shadowMask(CreateImageEffect(scaled.Get(), cx, cy, IMAGE_EFFECT_MONOCHROME | IMAGE_EFFECT_INVERT,
                                                      useTransparent, transparent, InvertColor(fillColor)));
            DrawShadow(dc, x + shadowDx, y + shadowDy, cx, cy, shadowMask.Get(),
                       (flags & IMAGE_EFFECT_SOFT_SHADOW) ? TRUE : FALSE, blurX, blurY);
        } else {
            x += shadowDx;
            y += shadowDy;
        }
    }
    SelectedDc imageDc(screen.Get(), image.Get());
    if (!imageDc) return;
    if (m_imageHasAlpha) {
        AlphaChannelBitmap(dc, x, y, cx, cy, CDC::FromHandle(imageDc.Get()), 0, 0);
    } else {
        SelectedDc maskDc(screen.Get(), mask.Get());
        if (!maskDc) return;
        ::BitBlt(dc->GetSafeHdc(), x, y, cx, cy, maskDc.Get(), 0, 0, SRCAND);
        ::BitBlt(dc->GetSafeHdc(), x, y, cx, cy, imageDc.Get(), 0, 0, SRCPAINT);
    }
}

void CDrawManager::DrawIcon(CDC* dc, int x, int y, int cx, int cy, HICON icon, DWORD flags, BOOL shadow,
                            int shadowDx, int shadowDy, int blurX, int blurY, COLORREF fillColor)
{
    m_imageHasAlpha = false;
    if (!dc || !dc->GetSafeHdc() || !icon || cx <= 0 || cy <= 0) return;
    const CSize own = GetIconSize(icon);
    ScopedIcon sized(own.cx == cx && own.cy == cy ? ::CopyIcon(icon) : StretchIcon(icon, cx, cy));
    if (!sized.Get()) return;
    IconBitmaps bitmaps(sized.Get());
    if (!bitmaps.ok || !bitmaps.info.hbmMask) return;
    const bool monochrome = (flags & IMAGE_EFFECT_MONOCHROME) || !bitmaps.info.hbmColor;
    ScopedBitmap image(monochrome ? CreateImageEffect(bitmaps.info.hbmMask, cx, cy, flags, TRUE, kWhitePixel, fillColor)
                                  : CreateImageEffect(bitmaps.info.hbmColor, cx, cy, flags, TRUE, 0, fillColor));
    if (!image) return;

    if (shadow) {
        if (flags & (IMAGE_EFFECT_SHADOW | IMAGE_EFFECT_SOFT_SHADOW)) {
            ScopedBitmap shadowMask(CreateImageEffect(bitmaps.info.hbmMask, cx, cy,
                                                      IMAGE_EFFECT_MONOCHROME | IMAGE_EFFECT_INVERT, TRUE, kWhitePixel,
                                                      InvertColor(fillColor)));
            DrawShadow(dc, x + shadowDx, y + shadowDy, cx, cy, shadowMask.Get(),
                       (flags & IMAGE_EFFECT_SOFT_SHADOW) ? TRUE : FALSE, blurX, blurY);
        } else {
            x += shadowDx;
            y += shadowDy;
        }
    }
    ScreenDc screen;
    SelectedDc imageDc(screen.Get(), image.Get());
    if (!imageDc) return;
    if (m_imageHasAlpha) {
        AlphaChannelBitmap(dc, x, y, cx, cy, CDC::FromHandle(imageDc.Get()), 0, 0);
        return;
    }
    SelectedDc maskDc(screen.Get(), bitmaps.info.hbmMask);
    if (!maskDc) return;
    // The monochrome mask turns into black and white through the text and
    // background colours: both are set, so a coloured background cannot
    // tint the transparent part.
    const COLORREF oldText = dc->SetTextColor(RGB(0, 0, 0));
    const COLORREF oldBack = dc->SetBkColor(RGB(255, 255, 255));
    ::BitBlt(dc->GetSafeHdc(), x, y, cx, cy, maskDc.Get(), 0, 0, SRCAND);
    ::BitBlt(dc->GetSafeHdc(), x, y, cx, cy, imageDc.Get(), 0, 0, SRCPAINT);
    dc->SetBkColor(oldBack);
    dc->SetTextColor(oldText);
}

void CDrawManager::DrawImageList(CDC* dc, int x, int y, int cx, int cy, HBITMAP stripBitmap, int index,
                                 int cellWidth, int cellHeight, BOOL useTransparent, COLORREF transparentColor,
                                 DWORD flags, BOOL shadow, int shadowDx, int shadowDy, int blurX, int blurY,
                                 COLORREF fillColor)
{
    if (!dc || !stripBitmap || cellWidth <= 0 || cellHeight <= 0 || index < 0) return;
    const CSize size = GetBitmapSize(stripBitmap);
    const int columns = size.cx / cellWidth;
    const int rows = size.cy / cellHeight;
    if (columns == 0 || rows == 0 || static_cast<std::int64_t>(index) >= static_cast<std::int64_t>(columns) * rows)
        return;
    ScreenDc screen;
    ScopedBitmap cell(::CreateCompatibleBitmap(screen.Get(), cellWidth, cellHeight));
    {
        SelectedDc from(screen.Get(), stripBitmap);
        SelectedDc to(screen.Get(), cell.Get());
        if (!from || !to) return;
        ::BitBlt(to.Get(), 0, 0, cellWidth, cellHeight, from.Get(), (index % columns) * cellWidth,
                 (index / columns) * cellHeight, SRCCOPY);
    }
    DrawBitmap(dc, x, y, cx, cy, cell.Get(), useTransparent, transparentColor, flags, shadow, shadowDx, shadowDy, blurX,
               blurY, fillColor);
}

// ------------------------------------------------------------------ shadows and blending

void CDrawManager::DrawShadow(CDC* dc, int x, int y, int cx, int cy, HBITMAP maskBitmap, BOOL blurred, int blurX,
                              int blurY)
{
    std::vector<double> map;
    if (MakeShadowMap(dc, cx, cy, maskBitmap, map, blurred, blurX, blurY)) ApplyShadowMap(dc, x, y, cx, cy, map);
}

BOOL CDrawManager::MakeShadowMap(CDC* dc, int cx, int cy, HBITMAP maskBitmap, std::vector<double>& map, BOOL blurred,
                                 int blurX, int blurY)
{
    (void)dc;
    if (!maskBitmap || cx <= 0 || cy <= 0) return FALSE;
    const CSize maskSize = GetBitmapSize(maskBitmap);
    if (maskSize.cx <= 0 || maskSize.cy <= 0) return FALSE;
    ScreenDc screen;
    htmltip::Section32 maskPixels(screen.Get(), maskSize.cx, maskSize.cy);
    SelectedDc mask(screen.Get(), maskBitmap);
    if (!maskPixels || !mask) return FALSE;
    ::BitBlt(maskPixels.Dc(), 0, 0, maskSize.cx, maskSize.cy, mask.Get(), 0, 0, SRCCOPY);
    ::GdiFlush();
    thread_local std::vector<BYTE> low;
    low.resize(maskPixels.Count());
    const DWORD* source = maskPixels.Bits();
    for (std::size_t i = 0; i < low.size(); ++i) low[i] = static_cast<BYTE>(source[i] & 0xFF);
    map.resize(static_cast<std::size_t>(cx) * static_cast<std::size_t>(cy));
    return MakeShadowSums(cx, cy, low.data(), maskSize.cx, maskSize.cy, blurred, blurX, blurY,
                          [&](int y, const std::int64_t* sums, std::int64_t divisor, bool) {
                              double* out = map.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(cx);
                              const auto scale = static_cast<double>(divisor);
                              for (int x = 0; x < cx; ++x) out[x] = static_cast<double>(sums[x]) / scale;
                          });
}

BOOL CDrawManager::MakeShadowSums(int cx, int cy, const BYTE* mask, int maskWidth, int maskHeight, BOOL blurred,
                                  int blurX, int blurY, const ShadowRow& giveRow)
{
    if (!mask || cx <= 0 || cy <= 0 || maskWidth <= 0 || maskHeight <= 0) return FALSE;
    const std::size_t count = static_cast<std::size_t>(cx) * static_cast<std::size_t>(cy);
    // A: the mask, shrunk by the blur window onto white when blurred
    // (nearest pixel, sampled at pixel centres).
    // Work buffers stay with the thread: a tip's shadow is made at every
    // showing, and fresh megabytes would cost more in page faults than the sums.
    thread_local std::vector<BYTE> a;
    thread_local std::vector<std::int32_t> across;
    thread_local std::vector<std::size_t> columns;
    // An image too small for the blur gets a smaller window; one pixel across
    // has no room for any and takes the plain shadow.
    if (blurred && (cx < 2 || cy < 2)) blurred = FALSE;
    thread_local std::vector<std::int64_t> down;
    if (!blurred) {
        down.assign(static_cast<std::size_t>(cx), 0);
        for (int y = 0; y < cy; ++y) {
            if (y < maskHeight) {
                const BYTE* in = mask + static_cast<std::size_t>(y) * static_cast<std::size_t>(maskWidth);
                for (int x = 0; x < std::min(cx, maskWidth); ++x) down[static_cast<std::size_t>(x)] = in[x];
            } else {
                std::fill(down.begin(), down.end(), 0);
            }
            giveRow(y, down.data(), 255, false);
        }
        return TRUE;
    }
    blurX = FitBlur(blurX, cx);
    blurY = FitBlur(blurY, cy);
    a.assign(count, 255);
    const int w = cx - blurX;
    const int h = cy - blurY;
    columns.resize(static_cast<std::size_t>(std::max(w, 0)));
    for (int i = 0; i < w; ++i)
        columns[static_cast<std::size_t>(i)] = static_cast<std::size_t>(((2LL * i + 1) * maskWidth) / (2LL * w));
    // A shape's rows are mostly alike (the body between its corners): a row
    // like the one before takes a copy of what was made for that one.
    const BYTE* lastIn = nullptr;
    for (int j = 0; j < h; ++j) {
        const auto sy = static_cast<std::size_t>(((2LL * j + 1) * maskHeight) / (2LL * h));
        BYTE* row = a.data() + static_cast<std::size_t>(j + blurY / 2) * static_cast<std::size_t>(cx) + blurX / 2;
        const BYTE* in = mask + sy * static_cast<std::size_t>(maskWidth);
        if (lastIn && (in == lastIn || std::memcmp(in, lastIn, static_cast<std::size_t>(maskWidth)) == 0)) {
            std::memcpy(row, row - cx, static_cast<std::size_t>(std::max(w, 0)));
        } else {
            for (int i = 0; i < w; ++i) row[i] = in[columns[static_cast<std::size_t>(i)]];
        }
        lastIn = in;
    }

    // Box sums with 255 outside the image, by running sums so the cost does
    // not grow with the window; first along the rows, then down the columns,
    // a row at a time so that memory is read in order.
    const int ox = blurX / 2;
    const int oy = blurY / 2;
    const int ph = cy + blurY - 1;
    // Horizontal sums: padded row r (image row r - oy), columns x .. x + blurX - 1
    // of the padded row (image columns x - ox ..). A row sum is at most blurX * 255.
    across.resize(static_cast<std::size_t>(cx) * static_cast<std::size_t>(ph));
    // The padded row: white, the image row at ox, white again (one more
    // than the last window needs, so the running sum needs no test).
    thread_local std::vector<BYTE> padded;
    padded.assign(static_cast<std::size_t>(cx) + static_cast<std::size_t>(blurX), 255);
    // Rows alike in content share a class (runs of equal rows only), so that
    // equal classes mean equal rows and everything between them equal too.
    thread_local std::vector<int> rowClass;
    rowClass.resize(static_cast<std::size_t>(ph));
    thread_local std::vector<BYTE> white;
    white.assign(static_cast<std::size_t>(cx), 255);
    const BYTE* lastRow = nullptr;
    for (int r = 0; r < ph; ++r) {
        std::int32_t* out = across.data() + static_cast<std::size_t>(r) * static_cast<std::size_t>(cx);
        const int y = r - oy;
        const BYTE* image =
            y < 0 || y >= cy ? white.data() : a.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(cx);
        if (lastRow && (image == lastRow || std::memcmp(image, lastRow, static_cast<std::size_t>(cx)) == 0)) {
            std::memcpy(out, out - cx, static_cast<std::size_t>(cx) * sizeof(std::int32_t));
            rowClass[static_cast<std::size_t>(r)] = rowClass[static_cast<std::size_t>(r) - 1];
            lastRow = image;
            continue;
        }
        rowClass[static_cast<std::size_t>(r)] = r;
        lastRow = image;
        if (y < 0 || y >= cy) {
            std::fill(out, out + cx, blurX * 255);
            continue;
        }
        std::memcpy(padded.data() + ox, image, static_cast<std::size_t>(cx));
        const BYTE* in = padded.data();
        std::int32_t sum = 0;
        for (int i = 0; i < blurX; ++i) sum += in[i];
        for (int x = 0; x < cx; ++x) {
            out[x] = sum;
            sum += in[x + blurX] - in[x];
        }
    }
    const std::int64_t divisor = static_cast<std::int64_t>(blurX) * blurY * 255;
    down.assign(static_cast<std::size_t>(cx), 0);
    for (int i = 0; i < blurY; ++i) {
        const std::int32_t* row = across.data() + static_cast<std::size_t>(i) * static_cast<std::size_t>(cx);
        for (int x = 0; x < cx; ++x) down[static_cast<std::size_t>(x)] += row[x];
    }
    bool same = false;
    for (int y = 0; y < cy; ++y) {
        giveRow(y, down.data(), divisor, same);
        // Where the row entering the window equals the one leaving it the
        // sums stay as they are.
        same = y + blurY < ph && rowClass[static_cast<std::size_t>(y + blurY)] == rowClass[static_cast<std::size_t>(y)];
        if (y + blurY < ph && !same) {
            const std::int32_t* enter = across.data() + static_cast<std::size_t>(y + blurY) * static_cast<std::size_t>(cx);
            const std::int32_t* leave = across.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(cx);
            for (int x = 0; x < cx; ++x) down[static_cast<std::size_t>(x)] += enter[x] - leave[x];
        }
    }
    return TRUE;
}

void CDrawManager::ApplyShadowMap(CDC* dc, int x, int y, int cx, int cy, const std::vector<double>& map)
{
    if (!dc || !dc->GetSafeHdc() || cx <= 0 || cy <= 0) return;
    if (map.size() < static_cast<std::size_t>(cx) * static_cast<std::size_t>(cy)) return;
    htmltip::Section32 b(dc->GetSafeHdc(), cx, cy);
    if (!b) return;
    ::BitBlt(b.Dc(), 0, 0, cx, cy, dc->GetSafeHdc(), x, y, SRCCOPY);
    ::GdiFlush();
    DWORD* pixels = b.Bits();
    for (std::size_t i = 0, n = b.Count(); i < n; ++i) pixels[i] = DarkenColor(pixels[i], map[i]);
    ::BitBlt(dc->GetSafeHdc(), x, y, cx, cy, b.Dc(), 0, 0, SRCCOPY);
}

void CDrawManager::AlphaBlendBitmap(CDC* dc, int x, int y, int cx, int cy, CDC* sourceDc, int sourceX, int sourceY,
                                    int percent)
{
    if (!dc || !sourceDc || !dc->GetSafeHdc() || !sourceDc->GetSafeHdc() || cx <= 0 || cy <= 0) return;
    if (percent >= 100) {
        dc->BitBlt(x, y, cx, cy, sourceDc, sourceX, sourceY, SRCCOPY);
        return;
    }
    if (percent <= 0) return;
    htmltip::Section32 source(dc->GetSafeHdc(), cx, cy);
    htmltip::Section32 target(dc->GetSafeHdc(), cx, cy);
    if (!source || !target) return;
    ::BitBlt(source.Dc(), 0, 0, cx, cy, sourceDc->GetSafeHdc(), sourceX, sourceY, SRCCOPY);
    ::BitBlt(target.Dc(), 0, 0, cx, cy, dc->GetSafeHdc(), x, y, SRCCOPY);
    ::GdiFlush();
    // A real fraction: in integers every percent below 100 would be 0.
    const double f = percent / 100.0;
    const DWORD* s = source.Bits();
    DWORD* t = target.Bits();
    for (std::size_t i = 0, n = target.Count(); i < n; ++i) t[i] = MixColors(s[i], f, t[i], 1.0 - f);
    ::BitBlt(dc->GetSafeHdc(), x, y, cx, cy, target.Dc(), 0, 0, SRCCOPY);
}

namespace {

// The pixels of a w x h area at a logical point, when every one of them may
// be written; null otherwise.
std::uint32_t* WritableArea(const platform::DcPixels& pixels, int x, int y, int w, int h, QRect& area)
{
    const std::int64_t left = std::int64_t{x} + pixels.offset.x();
    const std::int64_t top = std::int64_t{y} + pixels.offset.y();
    if (left < 0 || top < 0 || left + w > pixels.width || top + h > pixels.height) return nullptr;
    area = QRect(static_cast<int>(left), static_cast<int>(top), w, h);
    if (pixels.clip && (*pixels.clip & area) != QRegion(area)) return nullptr;
    return pixels.Row(area.top()) + area.left();
}

}  // namespace

bool CDrawManager::AlphaChannelInPlace(CDC* dc, int x, int y, int cx, int cy, CDC* sourceDc, int sourceX, int sourceY)
{
    // Source and target read and written where they lie: the same pixels as
    // copying both out, mixing and copying the result back. Only a source
    // whose alpha bytes are its own (a section) can be read so.
    platform::DcPixels target;
    platform::DcPixels source;
    if (!platform::GetDcPixels(dc->GetSafeHdc(), target) || !platform::GetDcPixels(sourceDc->GetSafeHdc(), source) ||
        source.opaque != 0 || source.clip)
        return false;
    QRect area;
    QRect from;
    std::uint32_t* out = WritableArea(target, x, y, cx, cy, area);
    const std::uint32_t* in = WritableArea(source, sourceX, sourceY, cx, cy, from);
    if (!out || !in) return false;
    for (int row = 0; row < cy; ++row) {
        const std::uint32_t* s = in + source.stride * row;
        std::uint32_t* t = out + target.stride * row;
        for (int col = 0; col < cx; ++col) {
            const std::uint32_t alpha = s[col] >> 24;
            // Wholly opaque and wholly clear pixels are most; the mix gives
            // them the source or the target exactly.
            std::uint32_t mixed;
            if (alpha == 255) {
                mixed = s[col] & 0x00FFFFFF;
            } else if (alpha == 0) {
                mixed = t[col] & 0x00FFFFFF;
            } else {
                const double a = static_cast<double>(alpha) / 255.0;
                mixed = MixColors(s[col], a, t[col], 1.0 - a);
            }
            t[col] = mixed | target.opaque;
        }
    }
    platform::NoteDcDrawn(dc->GetSafeHdc(), area);
    return true;
}

void CDrawManager::AlphaChannelBitmap(CDC* dc, int x, int y, int cx, int cy, CDC* sourceDc, int sourceX, int sourceY)
{
    if (!dc || !sourceDc || !dc->GetSafeHdc() || !sourceDc->GetSafeHdc() || cx <= 0 || cy <= 0) return;
    if (AlphaChannelInPlace(dc, x, y, cx, cy, sourceDc, sourceX, sourceY)) return;
    htmltip::Section32 source(dc->GetSafeHdc(), cx, cy);
    htmltip::Section32 target(dc->GetSafeHdc(), cx, cy);
    if (!source || !target) return;
    ::BitBlt(source.Dc(), 0, 0, cx, cy, sourceDc->GetSafeHdc(), sourceX, sourceY, SRCCOPY);
    ::BitBlt(target.Dc(), 0, 0, cx, cy, dc->GetSafeHdc(), x, y, SRCCOPY);
    ::GdiFlush();
    const DWORD* s = source.Bits();
    DWORD* t = target.Bits();
    for (std::size_t i = 0, n = target.Count(); i < n; ++i) {
        const double a = static_cast<double>(s[i] >> 24) / 255.0;
        t[i] = MixColors(s[i], a, t[i], 1.0 - a);
    }
    ::BitBlt(dc->GetSafeHdc(), x, y, cx, cy, target.Dc(), 0, 0, SRCCOPY);
}

// ------------------------------------------------------------------ frames and lines

void CDrawManager::DrawRectangle(CDC* dc, const RECT& rect, COLORREF colorTopLeft, COLORREF colorBottomRight,
                                 int style, int width)
{
    DrawRectangle(dc, rect.left, rect.top, rect.right, rect.bottom, colorTopLeft, colorBottomRight, style, width);
}

bool CDrawManager::StoreFrame(CDC* dc, int left, int top, int right, int bottom, COLORREF colorTopLeft,
                              COLORREF colorBottomRight)
{
    // The four lines a thin solid pen draws below, in their order. Whether
    // the DC takes lines so is the same for all four: the first one tells.
    const HDC hdc = dc->GetSafeHdc();
    if (!platform::StoreThinLine(hdc, left, bottom, left, top, colorTopLeft)) return false;
    platform::StoreThinLine(hdc, left, top, right, top, colorTopLeft);
    platform::StoreThinLine(hdc, right, top, right, bottom, colorBottomRight);
    platform::StoreThinLine(hdc, right, bottom, left, bottom, colorBottomRight);
    dc->MoveTo(left, bottom);  // where the last line would have left the pen
    return true;
}

void CDrawManager::DrawRectangle(CDC* dc, int left, int top, int right, int bottom, COLORREF colorTopLeft,
                                 COLORREF colorBottomRight, int style, int width)
{
    if (!dc || !dc->GetSafeHdc() || style == 0 || width < 1) return;
    // Thin solid frames (a table has one per cell) without pens and their lines.
    if (width == 1 && style != kDoubleBorder && PenStyleOf(style) == PS_SOLID &&
        StoreFrame(dc, left, top, right, bottom, colorTopLeft, colorBottomRight))
        return;
    const int h = width / 2;
    const int l = left + h;
    const int t = top + h;
    const int r = right - h;
    const int b = bottom - h;
    const int inset = 2 * width;
    const UINT penStyle = PenStyleOf(style);

    CPen pen(static_cast<int>(penStyle), width, colorTopLeft);
    CPen* old = dc->SelectObject(&pen);
    dc->MoveTo(l, b);
    dc->LineTo(l, t);
    dc->LineTo(r, t);
    if (style == kDoubleBorder) {
        dc->MoveTo(l + inset, b - inset);
        dc->LineTo(l + inset, t + inset);
        dc->LineTo(r - inset, t + inset);
    }
    CPen other;
    if (colorBottomRight != colorTopLeft) {
        other.CreatePen(static_cast<int>(penStyle), width, colorBottomRight);
        dc->SelectObject(&other);
    }
    dc->MoveTo(r, t);
    dc->LineTo(r, b);
    dc->LineTo(l, b);
    if (style == kDoubleBorder) {
        dc->MoveTo(r - inset, t + inset);
        dc->LineTo(r - inset, b - inset);
        dc->LineTo(l + inset, b - inset);
    }
    dc->SelectObject(old);
}

void CDrawManager::DrawLine(CDC* dc, int x1, int y1, int x2, int y2, COLORREF color, int style, int width)
{
    if (!dc || !dc->GetSafeHdc() || style == 0 || width < 1) return;
    CPen pen(static_cast<int>(PenStyleOf(style)), width, color);
    CPen* old = dc->SelectObject(&pen);
    dc->MoveTo(x1, y1);
    dc->LineTo(x2, y2);
    if (style == kDoubleBorder) {
        const int dy = x1 == x2 ? 0 : 2 * width;
        const int dx = y1 == y2 ? 0 : 2 * width;
        dc->MoveTo(x1 + dx, y1 + dy);
        dc->LineTo(x2 + dx, y2 + dy);
    }
    dc->SelectObject(old);
}
