// The drawing manager: colour arithmetic, the background effects at every
// size they are defined for, gradients, images with effects and shadows,
// alpha blending, tiling, frames and lines.
#include "htmltip/DrawManager.h"
#include "htmltip/tests/GdiTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

using namespace htmltip;
using namespace htmltip::test;

namespace {

struct OwnedBitmap {
    explicit OwnedBitmap(HBITMAP b) : bitmap(b) {}
    ~OwnedBitmap()
    {
        if (bitmap) ::DeleteObject(bitmap);
    }
    OwnedBitmap(const OwnedBitmap&) = delete;
    OwnedBitmap& operator=(const OwnedBitmap&) = delete;
    HBITMAP bitmap;
};

struct OwnedIcon {
    explicit OwnedIcon(HICON i) : icon(i) {}
    ~OwnedIcon()
    {
        if (icon) ::DestroyIcon(icon);
    }
    OwnedIcon(const OwnedIcon&) = delete;
    OwnedIcon& operator=(const OwnedIcon&) = delete;
    HICON icon;
};

// A memory DC holding a bitmap for the duration of a source copy.
class SourceDc {
public:
    explicit SourceDc(HBITMAP bitmap)
    {
        m_dc.CreateCompatibleDC(nullptr);
        m_old = ::SelectObject(m_dc, bitmap);
    }
    ~SourceDc() { ::SelectObject(m_dc, m_old); }
    CDC* operator&() { return &m_dc; }
    CDC& dc() { return m_dc; }

private:
    CDC m_dc;
    HGDIOBJ m_old;
};

TEST(DrawManagerColours, ArithmeticOfChannels)
{
    const struct {
        const char* name;
        DWORD got;
        DWORD expected;
    } cases[] = {
        // 0.299 * 200 + 0.587 * 100 + 0.114 * 50 = 124.2
        {"grey of a pixel reads red from the third byte", CDrawManager::GrayColor(0x00C86432), 0x007C7C7C},
        {"grey of a colour reads red from the low byte", CDrawManager::GrayMirrorColor(RGB(200, 100, 50)), 0x007C7C7C},
        {"grey of white stays white", CDrawManager::GrayColor(0x00FFFFFF), 0x00FFFFFF},
        {"grey drops the top byte", CDrawManager::GrayColor(0xFF000000), 0},
        {"invert", CDrawManager::InvertColor(0x80102030), 0x00EFDFCF},
        {"darken by a half", CDrawManager::DarkenColor(0x00C86433, 0.5), 0x00643219},
        {"darken by 1 keeps the value", CDrawManager::DarkenColor(0x12C86433, 1.0), 0x12C86433},
        {"darken by a negative factor keeps the value", CDrawManager::DarkenColor(0x00C86433, -0.5), 0x00C86433},
        {"darken by 0 gives black", CDrawManager::DarkenColor(0x00C86433, 0.0), 0},
        {"lighten by 1 doubles up to 255", CDrawManager::LightenColor(0x00C86433, 1.0), 0x00FFC866},
        {"lighten by 0 keeps the value", CDrawManager::LightenColor(0x00C86433, 0.0), 0x00C86433},
        {"lighten above 1 keeps the value", CDrawManager::LightenColor(0x00C86433, 1.5), 0x00C86433},
        {"mix of halves", CDrawManager::MixColors(0x00C86400, 0.5, 0x0000C864, 0.5), 0x00649632},
        {"mix wraps modulo 256", CDrawManager::MixColors(0x00FF0000, 1.0, 0x00020000, 1.0), 0x00010000},
        {"mix of a not-a-number factor is 0", CDrawManager::MixColors(0x00FFFFFF, std::nan(""), 0, 0.0), 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.got, c.expected);
    }
}

TEST(DrawManagerNoise, FifteenBitGeneratorGivesTheSameSequenceEverywhere)
{
    NoiseGenerator noise(1);
    const int expected[] = {41, 18467, 6334, 26500, 19169};
    for (const int value : expected) EXPECT_EQ(noise.Next(), value);
    noise.Seed(1);
    EXPECT_EQ(noise.Next(), 41);
}

// Every divisor a granularity gives, every noise value.
TEST(DrawManagerNoise, QuotientsOfTheNoiseAreExact)
{
    for (int g = 0; g < 256; ++g) {
        const int divisor = NoiseGenerator::kMax / (g != 0 ? 2 * g : 1);
        const float inverse = htmltip::NoiseInverse(divisor);
        int wrong = 0;
        for (int r = 0; r <= NoiseGenerator::kMax; ++r) wrong += htmltip::NoiseQuotient(r, inverse) != r / divisor;
        EXPECT_EQ(wrong, 0) << "granularity " << g;
    }
}

TEST(DrawManagerNoise, ValuesFilledInBlocksAreTheValuesOneByOne)
{
    for (const int count : {0, 1, 7, 15, 16, 17, 64, 229}) {
        SCOPED_TRACE(count);
        NoiseGenerator single(12345);
        NoiseGenerator blocks(12345);
        std::vector<int> filled(static_cast<std::size_t>(count) + 1);
        blocks.Fill(filled.data(), count);
        for (int i = 0; i < count; ++i) ASSERT_EQ(filled[static_cast<std::size_t>(i)], single.Next()) << i;
        // And the generator goes on from where the block ended.
        EXPECT_EQ(blocks.Next(), single.Next());
    }
}

// ------------------------------------------------------------------ effects

std::vector<BYTE> EffectPixels(CDrawManager& manager, int w, int h, int effect, BYTE granularity, std::uint32_t seed)
{
    manager.SetNoiseSeed(seed);
    if (!manager.MakeEffectDib(RECT{0, 0, w, h}, effect, granularity, 0, RGB(255, 0, 0), RGB(0, 255, 0),
                               RGB(0, 0, 255)))
        return {};
    const CDib& dib = manager.GetDib();
    const BYTE* bits = dib.GetBits();
    return std::vector<BYTE>(bits, bits + static_cast<std::size_t>(dib.GetLineWidth()) * dib.GetHeight());
}

TEST(DrawManagerEffects, EverySurfaceSizeIsBuiltTheSameWayTwice)
{
    // Narrow surfaces have no bevel, a height of 1 gives the bump a divisor of
    // 1, and the widest and tallest surfaces keep their products in range.
    const struct {
        int w;
        int h;
    } sizes[] = {{1, 1}, {5, 3}, {7, 1}, {1, 7}, {32767, 2}, {7, 32767}};
    CDrawManager manager;
    for (int effect = EFFECT_NOISE; effect <= EFFECT_METAL; ++effect) {
        for (const auto& s : sizes) {
            for (const BYTE g : {BYTE{0}, BYTE{200}}) {
                SCOPED_TRACE("effect " + std::to_string(effect) + " at " + std::to_string(s.w) + "x" +
                             std::to_string(s.h) + " granularity " + std::to_string(g));
                const std::vector<BYTE> first = EffectPixels(manager, s.w, s.h, effect, g, 7);
                ASSERT_FALSE(first.empty());
                EXPECT_EQ(manager.GetDib().GetWidth(), s.w);
                EXPECT_EQ(manager.GetDib().GetHeight(), s.h);
                EXPECT_EQ(manager.GetDib().GetBitCount(), 8);
                EXPECT_TRUE(EffectPixels(manager, s.w, s.h, effect, g, 7) == first);
            }
        }
    }
}

TEST(DrawManagerEffects, SizesOutsideTheSurfaceRangeAreRefused)
{
    const RECT rects[] = {{0, 0, 0, 5}, {0, 0, 5, 0}, {10, 0, 5, 5}, {0, 0, 32768, 1}, {0, 0, 1, 32768},
                          {-2147483647, 0, 2147483647, 1}};
    CDrawManager manager;
    for (const RECT& r : rects) {
        SCOPED_TRACE(std::to_string(r.left) + ", " + std::to_string(r.right) + " x " + std::to_string(r.top) + ", " +
                     std::to_string(r.bottom));
        EXPECT_FALSE(manager.MakeEffectDib(r, EFFECT_METAL, 5, 0, 0, 0, 0));
    }
    // Drawn, an oversized rectangle is filled with the begin colour instead.
    MemoryDc target(8, 8);
    manager.FillEffect(&target.dc(), EFFECT_HARDBUMP, RECT{-40000, 2, 40, 4}, RGB(1, 2, 3), 0, 0, 5, 0);
    EXPECT_EQ(target.Pixel(5, 2), RGB(1, 2, 3));
    EXPECT_EQ(target.Pixel(5, 4), RGB(255, 255, 255));
}

// Hand-computed rows of a hard bump 96 wide and 32,767 tall with granularity
// 0 (noise then adds 0, or 1 or 2 at a rare pixel): the bevel is 16 pixels
// wide at the middle row and has closed to one pixel at the top row.
TEST(DrawManagerEffects, HardBumpOfATallSurfaceKeepsItsBevel)
{
    CDrawManager manager;
    const std::vector<BYTE> pixels = EffectPixels(manager, 96, 32767, EFFECT_HARDBUMP, 0, 1);
    ASSERT_FALSE(pixels.empty());
    const int line = manager.GetDib().GetLineWidth();
    const auto at = [&](int x, int y) { return static_cast<int>(pixels[static_cast<std::size_t>(y) * line + x]); };
    const struct {
        const char* name;
        int x;
        int y;
        int value;
    } cases[] = {
        {"middle row, left bevel edge", 0, 16383, 255},
        {"middle row, inside the left bevel", 15, 16383, 255 - 15 * 8},
        {"middle row, bump", 40, 16383, 128},
        {"middle row, inside the right bevel", 81, 16383, (96 - 81) * 8},
        {"middle row, right bevel edge", 95, 16383, 8},
        {"top row, left edge", 0, 32766, 255},
        {"top row, no bevel on the right", 95, 32766, 128 + (127 * 127 * 127 / 128 / 128) * 128 / 128},
        {"bottom row, no bevel on the right", 95, 0, 128 + (-127 * 127 * 127 / 128 / 128) * 128 / 128},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_NEAR(at(c.x, c.y), c.value, 2);
    }
}

TEST(DrawManagerEffects, BlendOfZeroKeepsThePaletteAndAboveHundredMakesItTheBeginColour)
{
    CDrawManager manager;
    ASSERT_TRUE(manager.MakeEffectDib(RECT{0, 0, 4, 4}, EFFECT_NOISE, 5, 0, RGB(200, 0, 0), RGB(0, 100, 0),
                                      RGB(0, 0, 50)));
    const RGBQUAD* palette = manager.GetDib().GetPalette();
    ASSERT_NE(palette, nullptr);
    EXPECT_EQ(palette[0].rgbBlue, 50);
    EXPECT_EQ(palette[0].rgbRed, 0);
    EXPECT_EQ(palette[255].rgbRed, 200);
    EXPECT_EQ(palette[255].rgbBlue, 0);
    // Entry 64 lies half way from the end colour to the middle one.
    EXPECT_EQ(palette[64].rgbGreen, 50);
    EXPECT_EQ(palette[64].rgbBlue, 25);

    ASSERT_TRUE(manager.MakeEffectDib(RECT{0, 0, 4, 4}, EFFECT_NOISE, 5, 150, RGB(200, 0, 0), RGB(0, 100, 0),
                                      RGB(0, 0, 50)));
    palette = manager.GetDib().GetPalette();
    for (int i = 0; i < 256; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(palette[i].rgbRed, 200);
        EXPECT_EQ(palette[i].rgbGreen, 0);
        EXPECT_EQ(palette[i].rgbBlue, 0);
    }
}

TEST(DrawManagerEffects, UnknownEffectsFillWithTheBeginColour)
{
    CDrawManager manager;
    for (const int effect : {EFFECT_TRANSPARENT, EFFECT_SOLID, 16, 1000}) {
        SCOPED_TRACE(effect);
        MemoryDc target(6, 6);
        manager.FillEffect(&target.dc(), effect, RECT{1, 1, 5, 5}, RGB(10, 20, 30), RGB(1, 1, 1), RGB(2, 2, 2), 5, 0);
        EXPECT_EQ(target.Pixel(1, 1), RGB(10, 20, 30));
        EXPECT_EQ(target.Pixel(4, 4), RGB(10, 20, 30));
        EXPECT_EQ(target.Pixel(5, 5), RGB(255, 255, 255));
    }
}

TEST(DrawManagerEffects, GradientNarrowerThanItsBandsEndsWithTheEndBand)
{
    CDrawManager manager;
    MemoryDc target(10, 3);
    manager.FillGradient(&target.dc(), RECT{0, 0, 10, 3}, RGB(0, 0, 0), RGB(64, 128, 255), TRUE);
    // Bands 0 to 5 have no width; band 6 is the first drawn.
    EXPECT_EQ(target.Pixel(0, 1), RGB(6, 12, 23));
    // Band 63: (begin * 1 + end * 63) >> 6.
    EXPECT_EQ(target.Pixel(9, 1), RGB(63, 126, 251));
    // Down the height: the first row holds the begin colour.
    MemoryDc column(3, 200);
    manager.FillGradient(&column.dc(), RECT{0, 0, 3, 200}, RGB(255, 255, 255), RGB(0, 0, 0), FALSE);
    EXPECT_EQ(column.Pixel(1, 0), RGB(255, 255, 255));
    EXPECT_EQ(column.Pixel(1, 199), RGB(3, 3, 3));
}

// Effects are stored straight into the DC's pixels where the whole rectangle
// may be written: the pixels (and the noise that follows) must be those of the
// 8-bit surface drawn through its palette, on every kind of target.
TEST(DrawManagerEffects, EffectsStoredInPlaceMatchTheirSurfaceDrawn)
{
    for (const TargetKind kind : kEveryTarget) {
        for (int effect = EFFECT_NOISE; effect <= EFFECT_METAL; ++effect) {
            SCOPED_TRACE(std::string(NameOf(kind)) + ", effect " + std::to_string(effect));
            std::vector<DWORD> stored[2];
            std::uint32_t noiseAfter[2] = {};
            for (int way = 0; way < 2; ++way) {
                TargetDc target(kind, 40, 30, RGB(90, 90, 90));
                CDC& dc = target.dc();
                dc.SetViewportOrg(2, 1);
                CDrawManager manager;
                manager.SetNoiseSeed(99);
                const RECT rect{3, 4, 33, 25};
                if (way == 0) {
                    manager.FillEffect(&dc, effect, rect, RGB(255, 255, 255), RGB(255, 200, 80), RGB(40, 90, 200), 7,
                                       20);
                } else {
                    ASSERT_TRUE(manager.MakeEffectDib(rect, effect, 7, 20, RGB(255, 255, 255), RGB(255, 200, 80),
                                                      RGB(40, 90, 200)));
                    manager.GetDib().Draw(&dc, rect.left, rect.top);
                }
                noiseAfter[way] = manager.GetNoiseState();
                stored[way] = target.Stored();
            }
            EXPECT_EQ(stored[0], stored[1]);
            EXPECT_EQ(noiseAfter[0], noiseAfter[1]);
        }
    }
}


// All seventeen effects side by side, with the noise seeded: the golden shows
// what each looks like.
TEST(DrawManagerEffects, SheetOfEveryEffect)
{
    constexpr int kCell = 64;
    constexpr int kHeight = 40;
    MemoryDc sheet(6 * (kCell + 4), 3 * (kHeight + 4), RGB(70, 70, 70));
    CDrawManager manager;
    for (int effect = EFFECT_TRANSPARENT; effect <= EFFECT_METAL; ++effect) {
        const int i = effect + 1;
        const int x = (i % 6) * (kCell + 4) + 2;
        const int y = (i / 6) * (kHeight + 4) + 2;
        manager.SetNoiseSeed(1);
        manager.FillEffect(&sheet.dc(), effect, RECT{x, y, x + kCell, y + kHeight}, RGB(255, 255, 255),
                           RGB(255, 200, 80), RGB(40, 90, 200), 5, 0);
    }
    ExpectMatchesGolden(sheet.Image(), "effects_sheet");
}

// ------------------------------------------------------------------ images

constexpr int kSize = 32;
constexpr int kStep = 44;

TEST(DrawManagerImages, ImageEffectsAndShadows)
{
    OwnedBitmap picture(MakePicture(kSize, kSize));
    OwnedBitmap alpha(MakeAlphaPicture(kSize, kSize));
    OwnedBitmap strip(MakePicture(kSize * 3, kSize));
    OwnedIcon icon(MakeIcon(kSize, kSize));
    OwnedIcon maskedIcon(MakeMaskedIcon(kSize, kSize));
    MemoryDc sheet(6 * kStep, 3 * kStep, RGB(240, 240, 240));
    // A patterned background shows what masks and shadows leave alone.
    CBrush hatch(HS_DIAGCROSS, RGB(180, 200, 220));
    const RECT all{0, 0, 6 * kStep, 3 * kStep};
    sheet->FillRect(&all, &hatch);
    CDrawManager manager;
    const COLORREF magenta = RGB(255, 0, 255);
    const COLORREF grey = RGB(128, 128, 128);
    const auto slot = [&](int i) { return CPoint((i % 6) * kStep + 4, (i / 6) * kStep + 4); };
    int i = 0;
    const auto bitmap = [&](HBITMAP b, BOOL masked, DWORD flags, BOOL shadow = FALSE) {
        const CPoint p = slot(i++);
        manager.DrawBitmap(&sheet.dc(), p.x, p.y, kSize, kSize, b, masked, magenta, flags, shadow, 4, 4, 7, 7, grey);
    };
    bitmap(picture.bitmap, FALSE, 0);
    bitmap(picture.bitmap, TRUE, 0);
    bitmap(picture.bitmap, TRUE, IMAGE_EFFECT_GRAYSCALE);
    bitmap(picture.bitmap, TRUE, IMAGE_EFFECT_DARKEN);
    bitmap(picture.bitmap, TRUE, IMAGE_EFFECT_LIGHTEN);
    bitmap(picture.bitmap, TRUE, IMAGE_EFFECT_MONOCHROME);
    bitmap(picture.bitmap, TRUE, IMAGE_EFFECT_INVERT);
    bitmap(picture.bitmap, TRUE, IMAGE_EFFECT_SHADOW, TRUE);
    bitmap(picture.bitmap, TRUE, IMAGE_EFFECT_SOFT_SHADOW, TRUE);
    bitmap(alpha.bitmap, FALSE, 0);
    {
        const CPoint p = slot(i++);
        // Scaled down from the picture's own size.
        manager.DrawBitmap(&sheet.dc(), p.x, p.y, kSize / 2, kSize / 2, picture.bitmap, TRUE, magenta, 0);
    }
    {
        const CPoint p = slot(i++);
        manager.DrawImageList(&sheet.dc(), p.x, p.y, kSize, kSize, strip.bitmap, 2, kSize / 2, kSize / 2, TRUE,
                              magenta, IMAGE_EFFECT_GRAYSCALE);
    }
    const auto drawIcon = [&](HICON ic, DWORD flags, BOOL shadow = FALSE, int size = kSize) {
        const CPoint p = slot(i++);
        manager.DrawIcon(&sheet.dc(), p.x, p.y, size, size, ic, flags, shadow, 4, 4, 7, 7, grey);
    };
    drawIcon(icon.icon, 0);
    drawIcon(icon.icon, IMAGE_EFFECT_SOFT_SHADOW, TRUE);
    drawIcon(maskedIcon.icon, 0);
    drawIcon(maskedIcon.icon, IMAGE_EFFECT_GRAYSCALE | IMAGE_EFFECT_SHADOW, TRUE);
    drawIcon(maskedIcon.icon, 0, FALSE, 24);
    drawIcon(maskedIcon.icon, IMAGE_EFFECT_MONOCHROME);
    ExpectMatchesGolden(sheet.Image(), "image_effects");
}

TEST(DrawManagerImages, AlphaFlagFollowsThePicture)
{
    OwnedBitmap picture(MakePicture(8, 8));
    OwnedBitmap alpha(MakeAlphaPicture(8, 8));
    CDrawManager manager;
    MemoryDc target(8, 8);
    manager.DrawBitmap(&target.dc(), 0, 0, 8, 8, alpha.bitmap, FALSE, 0, 0);
    EXPECT_TRUE(manager.ImageHasAlpha());
    manager.DrawBitmap(&target.dc(), 0, 0, 8, 8, picture.bitmap, FALSE, 0, 0);
    EXPECT_FALSE(manager.ImageHasAlpha());
}

TEST(DrawManagerImages, CreateImageEffectKeysTheTransparentPixelsAndKeepsAlpha)
{
    OwnedBitmap picture(MakePicture(8, 8));
    CDrawManager manager;
    // Magenta in pixel order: red in the third byte.
    OwnedBitmap mask(manager.CreateImageEffect(picture.bitmap, 8, 8, IMAGE_EFFECT_MONOCHROME | IMAGE_EFFECT_INVERT,
                                               TRUE, 0x00FF00FF, RGB(255, 255, 255)));
    ASSERT_TRUE(mask.bitmap);
    DIBSECTION ds{};
    ASSERT_TRUE(::GetObject(mask.bitmap, sizeof(ds), &ds));
    const auto* bits = static_cast<const DWORD*>(ds.dsBm.bmBits);
    ASSERT_NE(bits, nullptr);
    // Top-down: row 7 is the bottom-right corner (background), the centre the disc.
    EXPECT_EQ(bits[7 * 8 + 7], 0x00FFFFFFu);
    EXPECT_EQ(bits[4 * 8 + 4], 0u);

    OwnedBitmap alpha(MakeAlphaPicture(8, 8));
    OwnedBitmap grey(manager.CreateImageEffect(alpha.bitmap, 8, 8, IMAGE_EFFECT_GRAYSCALE, FALSE, 0, 0));
    ASSERT_TRUE(::GetObject(grey.bitmap, sizeof(ds), &ds));
    bits = static_cast<const DWORD*>(ds.dsBm.bmBits);
    EXPECT_EQ(bits[0] >> 24, 255u);
    EXPECT_EQ(bits[7] >> 24, 0u);
    EXPECT_TRUE(manager.ImageHasAlpha());
}

TEST(DrawManagerImages, ImageListIndexOutsideTheStripDrawsNothing)
{
    OwnedBitmap strip(MakePicture(30, 10));
    CDrawManager manager;
    for (const int index : {3, 4, -1}) {
        SCOPED_TRACE(index);
        MemoryDc target(10, 10, RGB(1, 2, 3));
        manager.DrawImageList(&target.dc(), 0, 0, 10, 10, strip.bitmap, index, 10, 10, FALSE, 0, 0);
        EXPECT_EQ(target.Pixel(5, 5), RGB(1, 2, 3));
    }
    MemoryDc target(10, 10, RGB(1, 2, 3));
    manager.DrawImageList(&target.dc(), 0, 0, 10, 10, strip.bitmap, 2, 10, 10, FALSE, 0, 0);
    EXPECT_NE(target.Pixel(5, 5), RGB(1, 2, 3));
    manager.DrawImageList(&target.dc(), 0, 0, 10, 10, strip.bitmap, 0, 0, 10, FALSE, 0, 0);
}

TEST(DrawManagerImages, IconSizeAndStretching)
{
    OwnedIcon icon(MakeMaskedIcon(32, 32));
    EXPECT_EQ(CDrawManager::GetIconSize(icon.icon), CSize(32, 32));
    EXPECT_EQ(CDrawManager::GetIconSize(HICON()), CSize(0, 0));
    OwnedIcon small(CDrawManager::StretchIcon(icon.icon, 16, 12));
    ASSERT_TRUE(small.icon);
    EXPECT_EQ(CDrawManager::GetIconSize(small.icon), CSize(16, 12));
    EXPECT_FALSE(CDrawManager::StretchIcon(icon.icon, 0, 12));
}

// ------------------------------------------------------------------ shadows

TEST(DrawManagerShadows, BlurLargerThanTheImageStillDarkens)
{
    const struct {
        const char* name;
        int size;
        int blur;
    } cases[] = {
        {"one pixel", 1, 7}, {"two pixels", 2, 7}, {"smaller than the blur", 3, 7},
        {"even blur", 12, 4}, {"no blur given", 10, 0}, {"negative blur", 10, -6}, {"huge blur", 10, 1 << 30},
    };
    CDrawManager manager;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // A mask that is grey everywhere: the whole area darkens to about half.
        OwnedBitmap mask(MemoryDc(c.size, c.size, RGB(128, 128, 128)).Copy());
        MemoryDc target(c.size, c.size, RGB(200, 200, 200));
        std::vector<double> map;
        ASSERT_TRUE(manager.MakeShadowMap(&target.dc(), c.size, c.size, mask.bitmap, map, TRUE, c.blur, c.blur));
        ASSERT_EQ(map.size(), static_cast<std::size_t>(c.size) * c.size);
        for (const double f : map) {
            EXPECT_GE(f, 128.0 / 255.0 - 1e-9);
            EXPECT_LE(f, 1.0);
        }
        manager.DrawShadow(&target.dc(), 0, 0, c.size, c.size, mask.bitmap, TRUE, c.blur, c.blur);
        int darkest = 255;
        for (int y = 0; y < c.size; ++y)
            for (int x = 0; x < c.size; ++x) darkest = std::min<int>(darkest, GetRValue(target.Pixel(x, y)));
        EXPECT_LT(darkest, 200);
        EXPECT_GE(darkest, 100);
    }
}

TEST(DrawManagerShadows, BlurSpreadsTheMaskByRunningBoxSums)
{
    // A black 7 x 7 mask with a 3 x 3 window: shrunk by the window to 4 x 4
    // at (1, 1) on white, then each factor is the white share of the 3 x 3
    // window around the pixel (255 outside the image).
    OwnedBitmap mask(MemoryDc(7, 7, RGB(0, 0, 0)).Copy());
    CDrawManager manager;
    MemoryDc target(7, 7);
    std::vector<double> map;
    ASSERT_TRUE(manager.MakeShadowMap(&target.dc(), 7, 7, mask.bitmap, map, TRUE, 3, 3));
    const struct {
        int x;
        int y;
        double factor;
    } cases[] = {
        {0, 0, 8.0 / 9}, {6, 6, 1.0}, {6, 0, 1.0},     {1, 1, 5.0 / 9}, {0, 3, 6.0 / 9},
        {3, 0, 6.0 / 9}, {1, 3, 3.0 / 9}, {2, 2, 0.0}, {3, 3, 0.0},     {5, 5, 8.0 / 9},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + ", " + std::to_string(c.y));
        EXPECT_NEAR(map[static_cast<std::size_t>(c.y) * 7 + c.x], c.factor, 1e-12);
    }
    // Not blurred, the factor is the mask's own brightness.
    OwnedBitmap grey(MemoryDc(2, 2, RGB(51, 51, 51)).Copy());
    ASSERT_TRUE(manager.MakeShadowMap(&target.dc(), 2, 2, grey.bitmap, map, FALSE, 3, 3));
    EXPECT_DOUBLE_EQ(map[3], 0.2);
}

TEST(DrawManagerShadows, RowsAlikeGiveTheSumsOfAPlainBoxBlur)
{
    // Masks with long runs of equal rows (as a tip's body has), runs broken
    // by a single row, and rows equal again after a different one: each
    // row's sums must be the box sums over the shrunk mask, however many rows
    // are taken over from the row above.
    const auto shape = [](int w, int h, auto inside) {
        std::vector<BYTE> m(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) m[static_cast<std::size_t>(y) * w + x] = inside(x, y) ? 0 : 255;
        return m;
    };
    const struct {
        const char* name;
        int w;
        int h;
        std::vector<BYTE> mask;
    } masks[] = {
        {"rounded body", 40, 30, shape(40, 30, [](int x, int y) {
             const int inset = y < 4 ? 4 - y : (y > 25 ? y - 25 : 0);
             return x >= inset && x < 40 - inset;
         })},
        {"one row apart", 20, 24, shape(20, 24, [](int x, int y) { return y == 11 ? x > 3 : x > 6; })},
        {"rows come back", 16, 18, shape(16, 18, [](int x, int y) { return (y / 3) % 2 == 0 ? x < 8 : x >= 5; })},
        {"all white", 12, 12, shape(12, 12, [](int, int) { return false; })},
    };
    // Odd windows that fit: the sizes the sums are made with as given.
    const std::pair<int, int> blurs[] = {{3, 3}, {7, 7}, {5, 9}, {1, 1}};
    for (const auto& m : masks) {
        for (const auto& [bx, by] : blurs) {
            for (const int scale : {1, 2}) {
                SCOPED_TRACE(std::string(m.name) + " blur " + std::to_string(bx) + "x" + std::to_string(by) +
                             " scale " + std::to_string(scale));
                const int cx = m.w * scale;
                const int cy = m.h;
                // The reference: the mask shrunk by the window onto white,
                // then each window summed pixel by pixel.
                const int w = cx - bx;
                const int h = cy - by;
                std::vector<int> a(static_cast<std::size_t>(cx) * cy, 255);
                for (int j = 0; j < h; ++j)
                    for (int i = 0; i < w; ++i)
                        a[static_cast<std::size_t>(j + by / 2) * cx + i + bx / 2] =
                            m.mask[static_cast<std::size_t>(((2LL * j + 1) * m.h) / (2LL * h)) * m.w +
                                   static_cast<std::size_t>(((2LL * i + 1) * m.w) / (2LL * w))];
                std::vector<std::int64_t> above;
                int rows = 0;
                ASSERT_TRUE(CDrawManager::MakeShadowSums(
                    cx, cy, m.mask.data(), m.w, m.h, TRUE, bx, by,
                    [&](int y, const std::int64_t* sums, std::int64_t divisor, bool sameAsAbove) {
                        ++rows;
                        EXPECT_EQ(divisor, static_cast<std::int64_t>(bx) * by * 255);
                        for (int x = 0; x < cx; ++x) {
                            std::int64_t want = 0;
                            for (int v = y - by / 2; v < y - by / 2 + by; ++v)
                                for (int u = x - bx / 2; u < x - bx / 2 + bx; ++u)
                                    want += v < 0 || v >= cy || u < 0 || u >= cx ? 255 : a[static_cast<std::size_t>(v) * cx + u];
                            ASSERT_EQ(sums[x], want) << "at " << x << ", " << y;
                        }
                        if (sameAsAbove) {
                            ASSERT_GT(y, 0);
                            EXPECT_TRUE(std::equal(sums, sums + cx, above.begin())) << "row " << y;
                        }
                        above.assign(sums, sums + cx);
                    }));
                EXPECT_EQ(rows, cy);
            }
        }
    }
}

// ------------------------------------------------------------------ blending

TEST(DrawManagerBlending, PercentIsARealFraction)
{
    const struct {
        const char* name;
        int percent;
        COLORREF expected;
    } cases[] = {
        {"0 keeps the target", 0, RGB(0, 100, 200)},
        {"30", 30, RGB(60, 100, 140)},
        {"50", 50, RGB(100, 100, 100)},
        {"99", 99, RGB(198, 100, 2)},
        {"100 copies the source", 100, RGB(200, 100, 0)},
        {"above 100 copies the source", 250, RGB(200, 100, 0)},
        {"negative keeps the target", -20, RGB(0, 100, 200)},
    };
    CDrawManager manager;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryDc source(4, 4, RGB(200, 100, 0));
        MemoryDc target(4, 4, RGB(0, 100, 200));
        manager.AlphaBlendBitmap(&target.dc(), 0, 0, 4, 4, &source.dc(), 0, 0, c.percent);
        EXPECT_EQ(target.Pixel(2, 2), c.expected);
    }
}

TEST(DrawManagerBlending, AlphaChannelMixesByEachPixel)
{
    OwnedBitmap alpha(MakeAlphaPicture(6, 2));
    SourceDc source(alpha.bitmap);
    MemoryDc target(6, 2, RGB(255, 255, 255));
    CDrawManager manager;
    manager.AlphaChannelBitmap(&target.dc(), 0, 0, 6, 2, &source.dc(), 0, 0);
    EXPECT_EQ(target.Pixel(0, 0), RGB(0, 160, 40));
    EXPECT_EQ(target.Pixel(5, 0), RGB(255, 255, 255));
    // Alpha 153 (255 - 255 * 2 / 5): 0.6 of the source.
    const COLORREF mid = target.Pixel(2, 0);
    EXPECT_NEAR(GetRValue(mid), 102, 1);
    EXPECT_NEAR(GetGValue(mid), 198, 1);
}

// Mixed where the pixels lie or through copies (a clip that cuts the area
// forces the copies): the same bytes wherever both may write, on every kind
// of target.
TEST(DrawManagerBlending, AlphaChannelInPlaceGivesTheBytesOfTheCopies)
{
    OwnedBitmap alpha(MakeAlphaPicture(12, 5));
    SourceDc source(alpha.bitmap);
    for (const TargetKind kind : kEveryTarget) {
        SCOPED_TRACE(NameOf(kind));
        std::vector<DWORD> stored[2];
        for (int way = 0; way < 2; ++way) {
            TargetDc target(kind, 16, 9, RGB(30, 200, 250));
            CDC& dc = target.dc();
            dc.SetViewportOrg(1, 2);
            if (way == 1) {
                CRgn cut;
                cut.CreateRectRgn(0, 0, 16, 9);
                CRgn corner;
                corner.CreateRectRgn(3, 3, 4, 4);
                cut.CombineRgn(&cut, &corner, RGN_DIFF);
                dc.SelectClipRgn(&cut);
            }
            CDrawManager manager;
            manager.AlphaChannelBitmap(&dc, 2, 1, 12, 5, &source.dc(), 0, 0);
            dc.SelectClipRgn(nullptr);
            stored[way] = target.Stored();
        }
        // The pixel the clip kept out, in rows as stored.
        const std::size_t at = kind == TargetKind::BottomUpSection ? (8 - 3) * 16 + 3 : 3 * 16 + 3;
        stored[0][at] = stored[1][at] = 0;
        EXPECT_EQ(stored[0], stored[1]);
    }
}

TEST(DrawManagerBlending, MultipleCopyCutsTheLastTiles)
{
    MemoryDc tile(3, 2);
    tile->SetPixel(0, 0, RGB(255, 0, 0));
    tile->SetPixel(2, 1, RGB(0, 0, 255));
    MemoryDc target(10, 7, RGB(0, 0, 0));
    CDrawManager manager;
    manager.MultipleCopy(&target.dc(), 1, 1, 8, 5, &tile.dc(), 0, 0, 3, 2);
    EXPECT_EQ(target.Pixel(0, 0), RGB(0, 0, 0));
    EXPECT_EQ(target.Pixel(1, 1), RGB(255, 0, 0));
    EXPECT_EQ(target.Pixel(4, 1), RGB(255, 0, 0));
    EXPECT_EQ(target.Pixel(7, 5), RGB(255, 0, 0));
    EXPECT_EQ(target.Pixel(3, 2), RGB(0, 0, 255));
    // The last column of tiles is two pixels wide, the last row one high.
    EXPECT_EQ(target.Pixel(8, 6), RGB(0, 0, 0));
    EXPECT_EQ(target.Pixel(8, 5), RGB(255, 255, 255));
    EXPECT_EQ(target.Pixel(9, 3), RGB(0, 0, 0));
    manager.MultipleCopy(&target.dc(), 0, 0, 10, 7, &tile.dc(), 0, 0, 0, 2);
}

// ------------------------------------------------------------------ frames

// Thin solid frames are stored without pens: the same bytes as the pen's
// four lines, whatever the corners' order, size or clip, on every target.
TEST(DrawManagerFrames, ThinSolidFramesStoreThePensPixels)
{
    const RECT frames[] = {{2, 3, 20, 12}, {20, 12, 2, 3}, {5, 5, 5, 9}, {4, 7, 11, 7}, {6, 6, 6, 6},
                           {-5, -4, 40, 30}, {1, 1, 2, 2}, {-2147483647, 2, 2147483647, 8}};
    for (const TargetKind kind : kEveryTarget) {
        for (const bool clipped : {false, true}) {
            SCOPED_TRACE(std::string(NameOf(kind)) + (clipped ? ", clipped" : ""));
            std::vector<DWORD> stored[2];
            POINT position[2] = {};
            for (int way = 0; way < 2; ++way) {
                TargetDc target(kind, 24, 16, RGB(250, 250, 230));
                CDC& dc = target.dc();
                dc.SetViewportOrg(1, -1);
                if (clipped) {
                    CRgn a;
                    a.CreateRectRgn(3, 0, 15, 10);
                    CRgn b;
                    b.CreateRectRgn(0, 8, 24, 14);
                    a.CombineRgn(&a, &b, RGN_OR);
                    dc.SelectClipRgn(&a);
                }
                CDrawManager manager;
                int n = 0;
                for (const RECT& f : frames) {
                    const COLORREF light = RGB(200, n * 30 % 256, 10);
                    const COLORREF dark = RGB(10, 40, 200 - n * 20);
                    ++n;
                    if (way == 0) {
                        manager.DrawRectangle(&dc, f.left, f.top, f.right, f.bottom, light, dark, 1, 1);
                    } else {
                        // What the frame is: two lines in each colour.
                        CPen first(PS_SOLID, 1, light);
                        CPen* oldPen = dc.SelectObject(&first);
                        dc.MoveTo(f.left, f.bottom);
                        dc.LineTo(f.left, f.top);
                        dc.LineTo(f.right, f.top);
                        CPen second(PS_SOLID, 1, dark);
                        dc.SelectObject(&second);
                        dc.MoveTo(f.right, f.top);
                        dc.LineTo(f.right, f.bottom);
                        dc.LineTo(f.left, f.bottom);
                        dc.SelectObject(oldPen);
                    }
                }
                position[way] = dc.GetCurrentPosition();
                dc.SelectClipRgn(nullptr);
                stored[way] = target.Stored();
            }
            EXPECT_EQ(stored[0], stored[1]);
            EXPECT_EQ(position[0].x, position[1].x);
            EXPECT_EQ(position[0].y, position[1].y);
        }
    }
}

TEST(DrawManagerFrames, NothingForStyleOrWidthZero)
{
    CDrawManager manager;
    MemoryDc target(10, 10);
    manager.DrawRectangle(&target.dc(), 1, 1, 8, 8, RGB(255, 0, 0), RGB(0, 0, 255), 0, 1);
    manager.DrawRectangle(&target.dc(), 1, 1, 8, 8, RGB(255, 0, 0), RGB(0, 0, 255), 1, 0);
    manager.DrawLine(&target.dc(), 0, 5, 9, 5, RGB(255, 0, 0), 0, 1);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) ASSERT_EQ(target.Pixel(x, y), RGB(255, 255, 255)) << x << "," << y;
}

TEST(DrawManagerFrames, TopLeftAndBottomRightColours)
{
    CDrawManager manager;
    MemoryDc target(10, 10);
    manager.DrawRectangle(&target.dc(), 1, 1, 8, 8, RGB(255, 0, 0), RGB(0, 0, 255), 1, 1);
    EXPECT_EQ(target.Pixel(1, 5), RGB(255, 0, 0));
    EXPECT_EQ(target.Pixel(5, 1), RGB(255, 0, 0));
    EXPECT_EQ(target.Pixel(8, 5), RGB(0, 0, 255));
    EXPECT_EQ(target.Pixel(5, 8), RGB(0, 0, 255));
    EXPECT_EQ(target.Pixel(5, 5), RGB(255, 255, 255));
}

TEST(DrawManagerFrames, EveryBorderStyle)
{
    CDrawManager manager;
    MemoryDc sheet(7 * 40, 80, RGB(255, 255, 255));
    for (int style = 1; style <= 7; ++style) {
        const int x = (style - 1) * 40;
        manager.DrawRectangle(&sheet.dc(), x + 3, 3, x + 36, 36, RGB(200, 0, 0), RGB(0, 0, 160), style, 1);
        manager.DrawRectangle(&sheet.dc(), x + 10, 10, x + 29, 29, RGB(0, 120, 0), RGB(0, 120, 0), style, 2);
        manager.DrawLine(&sheet.dc(), x + 3, 50, x + 36, 50, RGB(0, 0, 0), style, 1);
        manager.DrawLine(&sheet.dc(), x + 3, 60, x + 20, 77, RGB(120, 0, 120), style, 1);
        manager.DrawLine(&sheet.dc(), x + 30, 58, x + 30, 77, RGB(0, 120, 120), style, 1);
    }
    ExpectMatchesGolden(sheet.Image(), "frames_and_lines");
}

}  // namespace
