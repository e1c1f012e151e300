#include "simulator/core/DecimalText.h"

#include "platform/core/CString.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(DecimalRounding, HalvesGoAwayFromZero)
{
    const struct {
        const char* name;
        double value;
        std::int64_t whole;
    } cases[] = {
        {"12.5 up, not to the even 12", 12.5, 13},
        {"-12.5 down", -12.5, -13},
        {"0.5", 0.5, 1},
        {"-0.5", -0.5, -1},
        {"2.5", 2.5, 3},
        {"below a half", 12.49, 12},
        {"above a half", -12.51, -13},
        {"4.35 x 100 lands below 435", 4.35 * 100.0, 435},
        {"1.005 x 100 lands below 100.5", 1.005 * 100.0, 101},
        {"1.001 x 1000 lands below 1001", 1.001 * 1000.0, 1001},
        {"100.1 x 1000 lands below 100100", 100.1 * 1000.0, 100100},
        {"NaN", std::nan(""), 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(RoundToInt64(c.value), c.whole);
        EXPECT_EQ(RoundToInt32(c.value), static_cast<std::int32_t>(c.whole));
    }
    EXPECT_EQ(RoundToInt32(1e12), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(RoundToInt32(-1e12), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(RoundToInt64(1e300), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(RoundToInt32(std::numeric_limits<double>::infinity()), std::numeric_limits<std::int32_t>::max());
}

TEST(DecimalRounding, ShownTextsRoundHalvesAwayFromZero)
{
    const struct {
        double value;
        int decimals;
        const char16_t* shown;
    } cases[] = {
        {12.5, 0, u"13"},     {0.5, 0, u"1"},        {-2.5, 0, u"-3"},     {0.125, 2, u"0.13"},
        {-0.125, 2, u"-0.13"}, {1.005, 2, u"1.01"},  {12.345, 2, u"12.35"}, {2.675, 2, u"2.68"},
        {-0.001, 2, u"0.00"},  {9999.995, 2, u"10000.00"}, {123.4, 3, u"123.400"}, {1e20, 2, u"100000000000000000000.00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(CString(c.shown).ToUtf8());
        CString text;
        text.Format(u"%.*f", c.decimals, RoundedToDecimals(c.value, c.decimals));
        EXPECT_EQ(text, CString(c.shown));
    }
}

}  // namespace
