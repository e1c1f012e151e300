// The pieces of a tip's composition: its colours over the black shadow by a
// multiplier per shade, and the memory the composed images are kept in.
#include "htmltip/DrawManager.h"
#include "htmltip/KeptImageMemory.h"
#include "htmltip/TipBlend.h"
#include "htmltip/tests/GdiTestSupport.h"

#include "platform/ui/DcPixels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

using namespace htmltip;
using namespace htmltip::test;

namespace {

// The mean of a channel c over black of alpha a, as the tip has always
// worked it out: a weighted mean, rounded half up, by a plain division.
std::uint32_t MeanOverBlack(std::uint32_t c, std::uint32_t opacity, std::uint32_t a)
{
    const std::uint32_t weight = opacity * 255;
    const std::uint32_t sum = weight + a * (255 - opacity);
    return (c * weight + sum / 2) / sum;
}

}  // namespace

// Every transparency a tip can have, over every shade: the multiplier must
// exist (where the tip's colour counts at all) and give exactly the old means.
TEST(TipBlend, EveryShadeOfEveryTransparencyGivesTheExactMeans)
{
    std::mt19937 random(7);
    std::vector<std::uint32_t> in(41), out(41), expected(41);
    int shades = 0;
    for (int t = 0; t <= 100; ++t) {
        const auto opacity = static_cast<std::uint32_t>((255 * (100 - t) + 50) / 100);
        if (opacity == 0 || opacity == 255) continue;  // nothing of the tip, or no blending
        for (std::uint32_t a = 0; a < 256; ++a) {
            SCOPED_TRACE(::testing::Message() << "transparency " << t << ", shade " << a);
            const std::uint32_t weight = opacity * 255;
            const std::uint32_t sum = weight + a * (255 - opacity);
            std::uint8_t exact[256];
            for (std::uint32_t c = 0; c < 256; ++c) exact[c] = static_cast<std::uint8_t>(MeanOverBlack(c, opacity, a));
            ShadeMultiplier shade;
            ASSERT_TRUE(MakeShadeMultiplier(exact, weight, sum / 2, sum, shade));
            ++shades;
            // Runs short and long (the wide form and its tail), top bytes set.
            const int count = static_cast<int>(random() % in.size());
            const std::uint32_t alpha = ((weight + a * (255 - opacity) + 127) / 255) << 24;
            for (int i = 0; i < count; ++i) {
                in[i] = static_cast<std::uint32_t>(random());
                expected[i] = alpha | (exact[(in[i] >> 16) & 0xFF] << 16) | (exact[(in[i] >> 8) & 0xFF] << 8) |
                              exact[in[i] & 0xFF];
            }
            ComposeOverShade(in.data(), out.data(), count, shade, alpha);
            for (int i = 0; i < count; ++i) ASSERT_EQ(out[i], expected[i]) << "pixel " << i << " of " << count;
        }
    }
    EXPECT_GT(shades, 20000);
}

// A table that the multiplier cannot give, or settings out of its range,
// are refused rather than approximated.
TEST(TipBlend, AMultiplierThatWouldNotBeExactIsRefused)
{
    std::uint8_t exact[256];
    for (std::uint32_t c = 0; c < 256; ++c) exact[c] = static_cast<std::uint8_t>(MeanOverBlack(c, 200, 90));
    const std::uint32_t weight = 200 * 255, sum = weight + 90 * 55;
    ShadeMultiplier shade;
    ASSERT_TRUE(MakeShadeMultiplier(exact, weight, sum / 2, sum, shade));
    exact[77] ^= 1;
    EXPECT_FALSE(MakeShadeMultiplier(exact, weight, sum / 2, sum, shade));
    EXPECT_FALSE(MakeShadeMultiplier(exact, 0, 0, 10, shade));
    EXPECT_FALSE(MakeShadeMultiplier(exact, 20, 5, 10, shade));      // weight above the sum
    EXPECT_FALSE(MakeShadeMultiplier(exact, 10, 5, 70000, shade));   // beyond two full weights
}

// An image handed out stays as it is while it is held, whatever is taken
// after it; its memory is used again only once nobody holds it, and a copy
// may outlive the memory's owner.
// Where the runs of one shade end: the composition puts a run's result on
// every pixel up to its end, so an end one too far gives a pixel the shade
// of its neighbour.
TEST(TipBlend, EachRunEndsAfterItsLastEqualPixel)
{
    struct Case {
        const char* name;
        std::vector<std::uint32_t> row;
        std::vector<int> ends;
    };
    const Case cases[] = {
        {"one pixel", {7}, {1}},
        {"one run", {5, 5, 5, 5}, {4, 4, 4, 4}},
        {"every pixel its own", {1, 2, 3, 4}, {1, 2, 3, 4}},
        {"runs at both ends", {9, 9, 3, 4, 4, 4}, {2, 2, 3, 6, 6, 6}},
        {"a shade coming back is a new run", {2, 2, 8, 2, 2}, {2, 2, 3, 5, 5}},
        {"alpha alone differs", {0x10000000u, 0x10000000u, 0x11000000u}, {2, 2, 3}},
        {"colour alone differs", {0xFF000000u, 0xFF000001u, 0xFF000001u}, {1, 3, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<int> ends(c.row.size(), -1);
        FindRunEnds(c.row.data(), static_cast<int>(c.row.size()), ends.data());
        EXPECT_EQ(ends, c.ends);
    }
    // Long rows, as a shadow's: every end is the first unequal pixel after.
    std::mt19937 random(11);
    std::vector<std::uint32_t> row(500);
    for (std::size_t x = 0; x < row.size(); ++x) row[x] = static_cast<std::uint32_t>(random() % 3) << 24;
    std::vector<int> ends(row.size());
    FindRunEnds(row.data(), static_cast<int>(row.size()), ends.data());
    for (std::size_t x = 0; x < row.size(); ++x) {
        std::size_t end = x + 1;
        while (end < row.size() && row[end] == row[x]) ++end;
        ASSERT_EQ(ends[x], static_cast<int>(end)) << x;
    }
    FindRunEnds(row.data(), 0, ends.data());
}

TEST(KeptImageMemory, AHeldImageIsNeverWrittenOver)
{
    QImage outliving;
    {
        KeptImageMemory memory(2);
        QImage first = memory.Take(40, 30);
        ASSERT_FALSE(first.isNull());
        EXPECT_EQ(first.format(), QImage::Format_ARGB32);
        first.fill(0xFF102030u);
        const uchar* firstBits = first.constBits();
        QImage shown = first;  // as a window holds it
        first = QImage();

        QImage second = memory.Take(40, 30);
        ASSERT_FALSE(second.isNull());
        EXPECT_NE(second.constBits(), firstBits);
        second.fill(0xFF405060u);
        // Both blocks held: the next image gets memory of its own.
        QImage third = memory.Take(50, 30);
        ASSERT_FALSE(third.isNull());
        third.fill(0xFF708090u);
        EXPECT_EQ(memory.BlockCount(), 2u);
        EXPECT_EQ(shown.pixel(39, 29), 0xFF102030u);
        EXPECT_EQ(second.pixel(0, 0), 0xFF405060u);

        // Let go of the first: its block comes back, grown for a larger image.
        shown = QImage();
        QImage again = memory.Take(60, 50);
        ASSERT_FALSE(again.isNull());
        EXPECT_EQ(again.size(), QSize(60, 50));
        EXPECT_EQ(again.bytesPerLine(), 60 * 4);
        again.fill(0xFFA0B0C0u);
        EXPECT_EQ(second.pixel(39, 29), 0xFF405060u);
        EXPECT_EQ(third.pixel(49, 29), 0xFF708090u);
        outliving = again;
    }
    EXPECT_EQ(outliving.pixel(59, 49), 0xFFA0B0C0u);
    // Writing through a shared copy detaches it as for any image.
    QImage copy = outliving;
    copy.setPixel(0, 0, 0xFF000000u);
    EXPECT_EQ(outliving.pixel(0, 0), 0xFFA0B0C0u);
}

// Images above the size worth keeping get memory of their own, which goes
// with them.
TEST(KeptImageMemory, LargeImagesAreNotKept)
{
    KeptImageMemory memory(4, 100 * 100 * 4);
    QImage large = memory.Take(101, 100);
    ASSERT_FALSE(large.isNull());
    EXPECT_EQ(large.size(), QSize(101, 100));
    EXPECT_EQ(memory.BlockCount(), 0u);
    EXPECT_FALSE(memory.Take(100, 100).isNull());
    EXPECT_EQ(memory.BlockCount(), 1u);
}

TEST(KeptImageMemory, EmptyOrHugeSizesGiveNoImage)
{
    KeptImageMemory memory;
    EXPECT_TRUE(memory.Take(0, 10).isNull());
    EXPECT_TRUE(memory.Take(10, -1).isNull());
    EXPECT_TRUE(memory.Take(1 << 30, 1 << 30).isNull());
    EXPECT_EQ(memory.BlockCount(), 0u);
}


namespace {

void Scatter(MemoryDc& dc, unsigned seed)
{
    std::mt19937 random(seed);
    for (int y = 0; y < dc.Height(); ++y)
        for (int x = 0; x < dc.Width(); ++x) ::SetPixelV(dc.dc(), x, y, static_cast<COLORREF>(random() & 0xFFFFFF));
}

std::vector<std::uint32_t> StoredPixels(MemoryDc& dc)
{
    platform::DcPixels pixels;
    EXPECT_TRUE(platform::GetDcPixels(dc.dc().GetSafeHdc(), pixels));
    std::vector<std::uint32_t> all;
    for (int y = 0; y < pixels.height; ++y) all.insert(all.end(), pixels.Row(y), pixels.Row(y) + pixels.width);
    return all;
}

}  // namespace

// The anchor's strip of a tip: copies of the body's edge row or column, put
// straight in the pixels, store exactly what copying the DC onto itself tile
// by tile stores, alpha bytes included.
TEST(TipStrip, TilesCopiedInPlaceStoreWhatTheDcsCopiesStore)
{
    struct Case {
        const char* name;
        int x, y, w, h, sx, sy, tw, th;
    };
    const Case cases[] = {
        {"strip above, a row", 3, 0, 30, 9, 3, 9, 30, 1},
        {"strip below, a row", 3, 30, 30, 10, 3, 29, 30, 1},
        {"strip left, a column", 0, 4, 6, 28, 6, 4, 1, 28},
        {"strip right, a column", 34, 4, 6, 28, 33, 4, 1, 28},
        {"tiles of 3 x 2 past the edge", 20, 25, 25, 20, 2, 2, 3, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryDc old(40, 40), fast(40, 40);
        Scatter(old, 11);
        Scatter(fast, 11);
        ASSERT_EQ(StoredPixels(old), StoredPixels(fast));
        CDrawManager manager;
        manager.MultipleCopy(&old.dc(), c.x, c.y, c.w, c.h, &old.dc(), c.sx, c.sy, c.tw, c.th);
        ASSERT_TRUE(CopyTilesInPlace(fast.dc(), c.x, c.y, c.w, c.h, c.sx, c.sy, c.tw, c.th));
        EXPECT_EQ(StoredPixels(old), StoredPixels(fast));
        EXPECT_TRUE(old.Image() == fast.Image());
    }
}

// Where the pixels cannot simply be written, nothing is done and the caller
// copies the usual way.
TEST(TipStrip, CopiesThatCannotBeDoneInPlaceAreLeftAlone)
{
    MemoryDc dc(20, 20);
    Scatter(dc, 5);
    const auto before = StoredPixels(dc);
    EXPECT_FALSE(CopyTilesInPlace(dc.dc(), 0, 0, 20, 10, 0, 5, 20, 1));    // the area takes in the tile
    EXPECT_FALSE(CopyTilesInPlace(dc.dc(), 0, 0, 20, 5, 0, 19, 20, 2));    // the tile leaves the bitmap
    EXPECT_FALSE(CopyTilesInPlace(dc.dc(), 0, 0, 20, 5, 0, 10, 0, 1));     // an empty tile
    dc->IntersectClipRect(0, 0, 10, 10);
    EXPECT_FALSE(CopyTilesInPlace(dc.dc(), 0, 0, 20, 5, 0, 10, 20, 1));    // a clip
    EXPECT_EQ(StoredPixels(dc), before);
}
