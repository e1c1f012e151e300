#include "manager/core/NumberText.h"

#include "Fixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(RoundToDecimals, CutsAfterMovingHalfAHundredthAwayFromZero)
{
    struct Case {
        double x;
        int decimals;
        std::int64_t expected;
    } cases[] = {
        {1.2349, 2, 123}, {-1.2351, 2, -123}, {1.2396, 2, 123}, {1.25, 2, 125}, {-1.25, 2, -125},
        {0.29, 2, 29},    {12.5, 0, 12},      {12.5, -3, 12},   {1.001, 3, 1001},
        {1e300, 9, std::numeric_limits<std::int64_t>::max()},
        {-1e300, 9, std::numeric_limits<std::int64_t>::min()},
        {std::nan(""), 2, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << " with " << c.decimals);
        EXPECT_EQ(RoundToDecimals(c.x, c.decimals), c.expected);
    }
}

TEST(IsNumericText, FollowsTheUsersSeparatorAndSign)
{
    struct Case {
        const char16_t* text;
        char16_t separator;
        int decimals;
        bool negative;
        bool expected;
    } cases[] = {
        {u"-1.5", u'.', 1, true, true},  {u"-1.5", u'.', 0, true, false}, {u"-1.5", u'.', 1, false, false},
        {u"1-5", u'.', 1, true, false},  {u"1.2.3", u'.', 3, true, false}, {u"1.25", u'.', 1, true, false},
        {u"", u'.', 0, false, true},     {u"12a", u'.', 2, true, false},   {u"1,5", u',', 1, true, true},
        {u"1.5", u',', 1, true, false},  {u"--1", u'.', 0, true, false},   {u" 1", u'.', 0, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(CString(c.text).ToUtf8());
        testfx::NumberLocaleScope locale(c.separator);
        EXPECT_EQ(IsNumericText(c.text, c.decimals, c.negative), c.expected);
    }
}

TEST(Addresses, DottedAndHexConvertBothWays)
{
    struct Case {
        const char16_t* dotted;
        int result;
        const char16_t* hex;
    } cases[] = {
        {u"192.168.0.2", 0, u"c0a80002"}, {u"10.0.0.256", -1, nullptr}, {u"192.168.0", -1, nullptr},
        {u"1.2.3.4.5", -1, nullptr},      {u"1..3.4", 0, u"01000304"},  {u"1.2.3.0004", -1, nullptr},
        {u"1.2.3.a", -1, nullptr},        {u"", -1, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(CString(c.dotted).ToUtf8());
        CString hex = u"unchanged";
        EXPECT_EQ(DottedToHexAddress(c.dotted, hex), c.result);
        EXPECT_EQ(hex, c.hex ? c.hex : u"unchanged");
    }

    CString dotted;
    EXPECT_EQ(HexToDottedAddress(u"c0a80002", dotted), 0);
    EXPECT_EQ(dotted, u"192.168.0.2");
    EXPECT_EQ(HexToDottedAddress(u"C0A80002ffff", dotted), 0);
    EXPECT_EQ(dotted, u"192.168.0.2");
    EXPECT_EQ(HexToDottedAddress(u"c0a800", dotted), -1);
    EXPECT_EQ(dotted, u"");
    dotted = u"x";
    EXPECT_EQ(HexToDottedAddress(u"c0a8000g", dotted), -1);
    EXPECT_EQ(dotted, u"");
    EXPECT_EQ(ParseHexByte(u"F"), 240);
    EXPECT_EQ(ParseHexByte(u"1a"), 26);
    EXPECT_EQ(ParseHexByte(u"1a2"), -1);
}

TEST(FormatFixedDecimals, ExactlyTheGivenDecimals)
{
    struct Case {
        int value;
        int decimals;
        const char* text;
    } cases[] = {
        {12345, 2, "123.45"},  {-5, 2, "-0.05"},  {0, 3, "0.000"},     {7, 0, "7"},
        {-7, -1, "-7"},        {1000, 3, "1.000"}, {-2147483647 - 1, 2, "-21474836.48"},
        {2147483647, 9, "2.147483647"}, {5, 12, "0.000000005"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.value << " with " << c.decimals);
        EXPECT_EQ(FormatFixedDecimals(c.value, c.decimals).ToUtf8(), c.text);
    }
}

TEST(FormatDuration, DaysHoursMinutes)
{
    EXPECT_EQ(FormatDuration(1500).ToUtf8(), "1:01:00");
    EXPECT_EQ(FormatDuration(0).ToUtf8(), "0:00:00");
    EXPECT_EQ(FormatDuration(59).ToUtf8(), "0:00:59");
    EXPECT_EQ(FormatDuration(4294967295u).ToUtf8(), "2982616:04:15");
}

TEST(ParseHexNumber, LastEightCharacters)
{
    struct Case {
        const char16_t* text;
        DWORD value;
    } cases[] = {
        {u"1A", 26}, {u"1a", 26}, {u"123456789", 0x23456789}, {u"", 0}, {u"1G", 0x10}, {u"ffffffff", 0xFFFFFFFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(CString(c.text).ToUtf8());
        EXPECT_EQ(ParseHexNumber(c.text), c.value);
    }
}

TEST(IpAddressText, FormatsAndParsesHighestByteFirst)
{
    EXPECT_EQ(FormatIpAddress(0xC0A80002).ToUtf8(), "192.168.0.2");
    EXPECT_EQ(FormatIpAddress(0xFFFFFFFF).ToUtf8(), "255.255.255.255");
    struct Case {
        const char16_t* text;
        DWORD address;
    } cases[] = {
        {u"192.168.0.2", 0xC0A80002}, {u"10.1", 0x0A010000}, {u"256.257.0.1", 0x00010001},
        {u"", 0},                     {u"a.b.c.d", 0},       {u"1.2.3.4.5", 0x01020304},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(CString(c.text).ToUtf8());
        EXPECT_EQ(ParseIpAddress(c.text), c.address);
    }
}

}  // namespace
