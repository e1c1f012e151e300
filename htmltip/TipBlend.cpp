#include "htmltip/TipBlend.h"

#include "platform/ui/DcPixels.h"

#include <cstddef>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define QV_TIPBLEND_X86 1
#endif

namespace htmltip {

namespace {

inline std::uint32_t Channel(std::uint32_t c, const ShadeMultiplier& s)
{
    return (c * s.multiplier + s.addend) >> 24;
}

void ComposeScalar(const std::uint32_t* in, std::uint32_t* out, int count, const ShadeMultiplier& shade,
                   std::uint32_t alphaBits)
{
    for (int i = 0; i < count; ++i) {
        const std::uint32_t p = in[i];
        out[i] = alphaBits | (Channel((p >> 16) & 0xFF, shade) << 16) | (Channel((p >> 8) & 0xFF, shade) << 8) |
                 Channel(p & 0xFF, shade);
    }
}

#ifdef QV_TIPBLEND_X86
__attribute__((target("avx2"))) void ComposeAvx2(const std::uint32_t* in, std::uint32_t* out, int count,
                                                 const ShadeMultiplier& shade, std::uint32_t alphaBits)
{
    const __m256i multiplier = _mm256_set1_epi32(static_cast<int>(shade.multiplier));
    const __m256i addend = _mm256_set1_epi32(static_cast<int>(shade.addend));
    const __m256i alpha = _mm256_set1_epi32(static_cast<int>(alphaBits));
    const __m256i low = _mm256_set1_epi32(0xFF);
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m256i p = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + i));
        const __m256i r = _mm256_and_si256(_mm256_srli_epi32(p, 16), low);
        const __m256i g = _mm256_and_si256(_mm256_srli_epi32(p, 8), low);
        const __m256i b = _mm256_and_si256(p, low);
        const __m256i rr = _mm256_srli_epi32(_mm256_add_epi32(_mm256_mullo_epi32(r, multiplier), addend), 24);
        const __m256i gg = _mm256_srli_epi32(_mm256_add_epi32(_mm256_mullo_epi32(g, multiplier), addend), 24);
        const __m256i bb = _mm256_srli_epi32(_mm256_add_epi32(_mm256_mullo_epi32(b, multiplier), addend), 24);
        const __m256i v = _mm256_or_si256(_mm256_or_si256(alpha, _mm256_slli_epi32(rr, 16)),
                                          _mm256_or_si256(_mm256_slli_epi32(gg, 8), bb));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), v);
    }
    // Back to the plain form for the last few; it ends the wide state too.
    _mm256_zeroupper();
    ComposeScalar(in + i, out + i, count - i, shade, alphaBits);
}

bool HaveAvx2()
{
    static const bool have = __builtin_cpu_supports("avx2") != 0;
    return have;
}
#endif

}  // namespace

bool MakeShadeMultiplier(const std::uint8_t exact[256], std::uint32_t weight, std::uint32_t half, std::uint32_t sum,
                         ShadeMultiplier& out)
{
    if (weight == 0 || sum == 0 || weight > sum || sum > 65025 || half >= sum) return false;
    // multiplier = floor(2^24 weight / sum), addend = ceil(2^24 half / sum)
    // + 255: the product then runs above the true 2^24 quotient by less
    // than 256, and the true one lies at least 2^24 / sum > 256 below the
    // next integer, so the shift gives the floor. Checked all the same.
    const std::uint64_t one = std::uint64_t{1} << 24;
    const std::uint64_t m = (one * weight) / sum;
    const std::uint64_t a = (one * half + sum - 1) / sum + 255;
    if (255 * m + a > 0xFFFFFFFFull) return false;
    ShadeMultiplier s{static_cast<std::uint32_t>(m), static_cast<std::uint32_t>(a)};
    for (std::uint32_t c = 0; c < 256; ++c)
        if (Channel(c, s) != exact[c]) return false;
    out = s;
    return true;
}

void ComposeOverShade(const std::uint32_t* in, std::uint32_t* out, int count, const ShadeMultiplier& shade,
                      std::uint32_t alphaBits)
{
    if (count <= 0) return;
#ifdef QV_TIPBLEND_X86
    if (count >= 8 && HaveAvx2()) {
        ComposeAvx2(in, out, count, shade, alphaBits);
        return;
    }
#endif
    ComposeScalar(in, out, count, shade, alphaBits);
}

bool CopyTilesInPlace(CDC& dc, int x, int y, int width, int height, int sourceX, int sourceY, int tileWidth,
                      int tileHeight)
{
    if (tileWidth <= 0 || tileHeight <= 0) return false;
    platform::DcPixels pixels;
    if (!platform::GetDcPixels(dc.GetSafeHdc(), pixels) || pixels.opaque == 0 || pixels.clip ||
        pixels.offset != QPoint())
        return false;
    if (width <= 0 || height <= 0) return true;
    const QRect tile(sourceX, sourceY, tileWidth, tileHeight);
    const QRect area = QRect(x, y, width, height) & pixels.Bounds();
    if (!pixels.Bounds().contains(tile) || area.intersects(tile)) return false;
    if (area.isEmpty()) return true;
    // A copy of a bitmap onto itself reads the colours without their alpha
    // byte, which on a bitmap without alpha means nothing, and stores them so.
    for (int py = area.top(); py <= area.bottom(); ++py) {
        const std::uint32_t* in = pixels.Row(sourceY + (py - y) % tileHeight) + sourceX;
        std::uint32_t* out = pixels.Row(py);
        if (tileWidth == 1) {
            const std::uint32_t v = in[0] & 0x00FFFFFFu;
            for (int px = area.left(); px <= area.right(); ++px) out[px] = v;
        } else {
            for (int px = area.left(); px <= area.right(); ++px) out[px] = in[(px - x) % tileWidth] & 0x00FFFFFFu;
        }
    }
    platform::NoteDcDrawn(dc.GetSafeHdc(), area);
    return true;
}

void FindRunEnds(const std::uint32_t* row, int width, int* runEnd)
{
    if (width <= 0) return;
    // From the right, without a store-to-load chain: the end of the run is
    // carried in a register, not read back from the array.
    int ends = width;
    runEnd[width - 1] = width;
    for (int x = width - 2; x >= 0; --x) {
        if (row[x] != row[x + 1]) ends = x + 1;
        runEnd[x] = ends;
    }
}

}  // namespace htmltip
