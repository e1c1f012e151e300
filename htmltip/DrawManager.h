// CDrawManager: the pixel work of the tooltip and the markup drawer. Colour
// arithmetic, gradients, the seventeen background effects, images and icons
// drawn with effects, masks and shadows, alpha blending, tiling, and frames
// and lines in the markup's border styles.
//
// Two byte orders meet here. A colour (COLORREF) holds red in its low byte; a
// pixel of a 32-bit DIB holds blue in its low byte, then green, red and an
// alpha byte. Each operation says which it takes.
//
// Every temporary drawing object is made and deleted within one call; a DC,
// section or allocation that cannot be had ends the call quietly.
#pragma once

#include "htmltip/Dib.h"
#include "htmltip/ImageEffects.h"

#include "platform/core/Geometry.h"
#include "platform/core/ThreadSanitizer.h"

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

// Background effects: what "bgeffect" names and the tooltip's SetEffectBk stores.
inline constexpr int EFFECT_TRANSPARENT = -1;
inline constexpr int EFFECT_SOLID = 0;
inline constexpr int EFFECT_HGRADIENT = 1;
inline constexpr int EFFECT_VGRADIENT = 2;
inline constexpr int EFFECT_HCGRADIENT = 3;
inline constexpr int EFFECT_VCGRADIENT = 4;
inline constexpr int EFFECT_3HGRADIENT = 5;
inline constexpr int EFFECT_3VGRADIENT = 6;
inline constexpr int EFFECT_NOISE = 7;
inline constexpr int EFFECT_DIAGSHADE = 8;
inline constexpr int EFFECT_HSHADE = 9;
inline constexpr int EFFECT_VSHADE = 10;
inline constexpr int EFFECT_HBUMP = 11;
inline constexpr int EFFECT_VBUMP = 12;
inline constexpr int EFFECT_SOFTBUMP = 13;
inline constexpr int EFFECT_HARDBUMP = 14;
inline constexpr int EFFECT_METAL = 15;

// A function built for the base instruction set and again for processors
// with the wide vector instructions, the one to run chosen at load time.
// Not under ThreadSanitizer: the loader runs the chooser before the
// sanitizer has started, and the sanitizer's hooks in it crash the program.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(QV_THREAD_SANITIZER)
#define QV_WIDE_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define QV_WIDE_VECTOR_CLONES
#endif

namespace htmltip {

// The effects' noise: a 15-bit linear congruential generator, so one seed
// gives the same pixels on every system.
class NoiseGenerator {
public:
    static constexpr int kMax = 32767;
    explicit NoiseGenerator(std::uint32_t seed = 1) : m_state(seed) {}
    void Seed(std::uint32_t seed) { m_state = seed; }
    std::uint32_t State() const { return m_state; }
    // 0 to 32767.
    int Next()
    {
        m_state = m_state * kMultiplier + kIncrement;
        return static_cast<int>((m_state >> 16) & 0x7FFF);
    }
    // The next 'count' values of Next(), in order. Eight steps of the
    // generator are again one step of the same kind, so eight values are
    // worked out at once rather than each waiting for the one before.
    void Fill(int* out, int count)
    {
        constexpr int kLanes = 8;
        int i = 0;
        // The state in a local: 'out' could otherwise be where it is kept,
        // and every store would make the compiler read it again.
        std::uint32_t state = m_state;
        if (count >= 2 * kLanes) {
            std::uint32_t lanes[kLanes];
            for (std::uint32_t& lane : lanes) lane = state = state * kMultiplier + kIncrement;
            for (; i + kLanes <= count; i += kLanes) {
                for (int k = 0; k < kLanes; ++k) out[i + k] = static_cast<int>((lanes[k] >> 16) & 0x7FFF);
                state = lanes[kLanes - 1];
                for (std::uint32_t& lane : lanes) lane = lane * kLeap.multiplier + kLeap.increment;
            }
        }
        for (; i < count; ++i) {
            state = state * kMultiplier + kIncrement;
            out[i] = static_cast<int>((state >> 16) & 0x7FFF);
        }
        m_state = state;
    }

private:
    static constexpr std::uint32_t kMultiplier = 214013u;
    static constexpr std::uint32_t kIncrement = 2531011u;
    struct Step {
        std::uint32_t multiplier;
        std::uint32_t increment;
    };
    // Eight steps in one: x -> a^8 x + c (1 + a + ... + a^7).
    static constexpr Step kLeap = [] {
        Step s{1u, 0u};
        for (int k = 0; k < 8; ++k) s = Step{s.multiplier * kMultiplier, s.increment * kMultiplier + kIncrement};
        return s;
    }();

    std::uint32_t m_state;
};

// A noise value (0 to 32767) divided by a divisor of 1 to 32767, rounded
// down: (r + 0.5) / divisor lies at least 0.5 / divisor from a whole number,
// far more than the error of single floats, and floats go four or eight at
// a time where whole-number division goes one by one.
inline float NoiseInverse(int divisor) { return 1.0f / static_cast<float>(divisor); }
inline int NoiseQuotient(int r, float inverse) { return static_cast<int>((static_cast<float>(r) + 0.5f) * inverse); }

// Effects 7 to 15 are built for rectangles of 1 to this many pixels in each direction.
inline constexpr int kMaxEffectSize = 32767;

}  // namespace htmltip

class CDrawManager {
public:
    CDrawManager() = default;
    virtual ~CDrawManager() = default;
    CDrawManager(const CDrawManager&) = delete;
    CDrawManager& operator=(const CDrawManager&) = delete;

    // Colour arithmetic; real products are truncated, the top byte of every
    // result is 0.
    // Grey of a pixel (blue in the low byte).
    static DWORD GrayColor(DWORD pixel);
    // Grey of a colour (red in the low byte).
    static COLORREF GrayMirrorColor(COLORREF color);
    static DWORD InvertColor(DWORD value);
    // Each channel times factor, only for 0 <= factor < 1.
    static DWORD DarkenColor(DWORD value, double factor);
    // Each channel times (1 + factor) up to 255, only for 0 < factor <= 1.
    static DWORD LightenColor(DWORD value, double factor);
    // Each channel (a * fa + b * fb) modulo 256.
    static DWORD MixColors(DWORD a, double fa, DWORD b, double fb);

    // Twice the icon's hot spot; (0, 0) when it cannot be read.
    static CSize GetIconSize(HICON icon);
    static CSize GetBitmapSize(HBITMAP bitmap);
    // A new icon of cx x cy (the caller destroys it), or null.
    static HICON StretchIcon(HICON icon, int cx, int cy);
    // A new 32-bit DIB section of cx x cy with the effects applied to every
    // pixel (the caller deletes it), or null. Transparent colour in pixel order.
    HBITMAP CreateImageEffect(HBITMAP bitmap, int cx, int cy, DWORD flags, BOOL useTransparent,
                              DWORD transparentColor, COLORREF fillColor);

    // 64 bands from begin to end, across the width or down the height.
    void FillGradient(CDC* dc, const RECT& rect, COLORREF colorBegin, COLORREF colorEnd, BOOL horizontal);
    // A background effect over the rectangle (EFFECT_*); anything unknown is a
    // solid fill of the begin colour.
    void FillEffect(CDC* dc, int effect, const RECT& rect, COLORREF colorBegin, COLORREF colorMid, COLORREF colorEnd,
                    BYTE granularity, BYTE blend);
    // Builds effects 7 to 15 on the manager's DIB; FALSE for another effect,
    // a rectangle outside 1 to 32,767 pixels either way, or no memory.
    BOOL MakeEffectDib(const RECT& rect, int effect, BYTE granularity, BYTE blend, COLORREF colorBegin,
                       COLORREF colorMid, COLORREF colorEnd);
    // Copies of the tile from the area's top-left corner, the last ones cut.
    void MultipleCopy(CDC* dc, int x, int y, int width, int height, CDC* sourceDc, int sourceX, int sourceY,
                      int tileWidth, int tileHeight);

    void DrawBitmap(CDC* dc, int x, int y, int cx, int cy, HBITMAP bitmap, BOOL useTransparent,
                    COLORREF transparentColor, DWORD flags, BOOL shadow = FALSE, int shadowDx = 0, int shadowDy = 0,
                    int blurX = 0, int blurY = 0, COLORREF fillColor = 0);
    void DrawIcon(CDC* dc, int x, int y, int cx, int cy, HICON icon, DWORD flags, BOOL shadow = FALSE,
                  int shadowDx = 0, int shadowDy = 0, int blurX = 0, int blurY = 0, COLORREF fillColor = 0);
    // Cell index of a strip of cellWidth x cellHeight cells, read row by row.
    void DrawImageList(CDC* dc, int x, int y, int cx, int cy, HBITMAP stripBitmap, int index, int cellWidth,
                       int cellHeight, BOOL useTransparent, COLORREF transparentColor, DWORD flags,
                       BOOL shadow = FALSE, int shadowDx = 0, int shadowDy = 0, int blurX = 0, int blurY = 0,
                       COLORREF fillColor = 0);
    // Darkens the target under the mask (its low byte is the brightness kept).
    void DrawShadow(CDC* dc, int x, int y, int cx, int cy, HBITMAP maskBitmap, BOOL blurred, int blurX, int blurY);
    // The source over the target at percent (0 to 100) opacity.
    void AlphaBlendBitmap(CDC* dc, int x, int y, int cx, int cy, CDC* sourceDc, int sourceX, int sourceY, int percent);
    // The source over the target by each source pixel's alpha byte.
    void AlphaChannelBitmap(CDC* dc, int x, int y, int cx, int cy, CDC* sourceDc, int sourceX, int sourceY);
    // The two halves of DrawShadow: the factor map (cx x cy, row by row from
    // the top) and its application to the target.
    BOOL MakeShadowMap(CDC* dc, int cx, int cy, HBITMAP maskBitmap, std::vector<double>& map, BOOL blurred, int blurX,
                       int blurY);
    void ApplyShadowMap(CDC* dc, int x, int y, int cx, int cy, const std::vector<double>& map);
    // What the map is made of, in integers: 'mask' holds the low byte of each
    // of maskWidth x maskHeight pixels, row by row from the top. Each of the
    // cy rows of cx sums goes to 'row' from the top; a sum runs from 0 to
    // 'divisor', and the map's factor is sum / divisor. 'sameAsAbove' says the
    // sums equal those of the row before. FALSE for an empty size or mask.
    using ShadowRow = std::function<void(int y, const std::int64_t* sums, std::int64_t divisor, bool sameAsAbove)>;
    static BOOL MakeShadowSums(int cx, int cy, const BYTE* mask, int maskWidth, int maskHeight, BOOL blurred,
                               int blurX, int blurY, const ShadowRow& row);

    // Frames and lines in the border styles: 0 none, 1 solid, 2 dashed,
    // 3 dotted, 4 dash-dot, 5 dash-dot-dot, 6 double; others solid.
    void DrawRectangle(CDC* dc, int left, int top, int right, int bottom, COLORREF colorTopLeft,
                       COLORREF colorBottomRight, int style, int width);
    void DrawRectangle(CDC* dc, const RECT& rect, COLORREF colorTopLeft, COLORREF colorBottomRight, int style,
                       int width);
    void DrawLine(CDC* dc, int x1, int y1, int x2, int y2, COLORREF color, int style, int width);

    CDib& GetDib() { return m_dib; }
    BOOL ImageHasAlpha() const { return m_imageHasAlpha ? TRUE : FALSE; }
    // The noise of the effects starts from this seed (1 at construction).
    void SetNoiseSeed(std::uint32_t seed) { m_noise.Seed(seed); }
    // Where the noise is now: given to SetNoiseSeed, the same noise follows.
    std::uint32_t GetNoiseState() const { return m_noise.State(); }

private:
    // Effects 7 to 15 as palette indexes, rows from the bottom, 'line' bytes apart.
    // This and FillEffectPixels are built twice, once for processors with
    // the wide vector instructions, chosen when the program loads: the
    // effects are much of a rich tip's drawing.
    QV_WIDE_VECTOR_CLONES void MakeEffectIndexes(BYTE* bits, int line, int W, int H, int effect, BYTE granularity);
    // The effect's palette as pixels, kept while the colours stay; null without memory.
    const std::uint32_t* EffectColors(COLORREF colorBegin, COLORREF colorMid, COLORREF colorEnd, BYTE blend);
    // A thin solid frame of DrawRectangle stored into the DC's pixels; false
    // when it cannot be done there.
    bool StoreFrame(CDC* dc, int left, int top, int right, int bottom, COLORREF colorTopLeft,
                    COLORREF colorBottomRight);
    // AlphaChannelBitmap on the DCs' own pixels; false when it cannot be done there.
    bool AlphaChannelInPlace(CDC* dc, int x, int y, int cx, int cy, CDC* sourceDc, int sourceX, int sourceY);
    // FillEffect straight on the DC's pixels; false when it cannot be done there.
    QV_WIDE_VECTOR_CLONES bool FillEffectPixels(CDC* dc, int effect, const RECT& rect, COLORREF colorBegin,
                                                COLORREF colorMid, COLORREF colorEnd, BYTE granularity, BYTE blend);

    struct EffectPalette {
        COLORREF begin = 0;
        COLORREF mid = 0;
        COLORREF end = 0;
        BYTE blend = 0;
        bool valid = false;
        std::array<std::uint32_t, 256> pixels{};
    };

    CDib m_dib;
    EffectPalette m_effectPalette;
    std::vector<BYTE> m_effectIndexes;
    bool m_imageHasAlpha = false;
    htmltip::NoiseGenerator m_noise;
};
