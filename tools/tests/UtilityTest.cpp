#include "tools/SampleSet.h"
#include "tools/TextUtility.h"
#include "tools/TraceScaling.h"
#include "tools/TraceText.h"

#include "tests/support/ScriptedMessageBox.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

namespace {

CString W(const char* utf8) { return CString::FromUtf8(utf8); }

TEST(TextUtilityTest, CutsTokensLinesAndHeads)
{
    struct Case {
        const char* name;
        const char* text;
        char16_t ch;
        int start;
        const char* token;
    };
    const Case tokens[] = {
        {"first line with its CR", "a\rb\r", u'\r', 0, "a\r"},
        {"from a later start", "a\rb\r", u'\r', 2, "b\r"},
        {"character missing after start", "a\rb", u'\r', 2, ""},
        {"start past the end", "a\r", u'\r', 5, ""},
    };
    for (const Case& c : tokens) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(TokenTo(W(c.text), c.ch, c.start), W(c.token));
        CString text = W(c.text);
        const CString cut = CutTokenTo(text, c.ch, c.start);
        EXPECT_EQ(cut, W(c.token));
        EXPECT_EQ(text.GetLength(), W(c.text).GetLength() - cut.GetLength());
    }

    struct LastCase {
        const char* name;
        const char* text;
        const char* last;
    };
    const LastCase lasts[] = {
        {"answer then OK", "x\r\nOK.\r\n", "OK.\r\n"},
        {"single CR at the end", "OK.1\r", "OK.1\r"},
        {"no CR", "abc", "abc"},
        {"three lines", "a\r\nb\r\nc\r\n", "c\r\n"},
        {"last line without LF yet", "K1.1=5\r\nOK.1\r", "OK.1\r"},
    };
    for (const LastCase& c : lasts) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(LastLine(W(c.text), u'\r'), W(c.last));
    }

    CString address = u"192.168.0.1";
    EXPECT_EQ(SplitHead(address, u'.'), CString(u"192"));
    EXPECT_EQ(address, CString(u"168.0.1"));
    CString single = u"1";
    EXPECT_EQ(SplitHead(single, u'.'), CString(u"1"));
    EXPECT_TRUE(single.IsEmpty());
}

TEST(TraceTextTest, TrimsNumbersAndFormatsTimes)
{
    struct Trim {
        const char* in;
        const char* out;
    };
    for (const Trim& c : {Trim{"1.500", "1.5"}, Trim{"2.000", "2"}, Trim{"-0.2500", "-0.25"}, Trim{"100", "100"},
                          Trim{"0.0000", "0"}}) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(TrimNumberText(W(c.in)), W(c.out));
    }

    struct Time {
        double ms;
        const char* text;
    };
    const Time times[] = {
        {2000.0, "2s"},     {1234.5, "1.2345s"}, {1500.0, "1.5s"},   {20000.0, "20s"},   {12.5, "12.5ms"},
        {12.0, "12ms"},     {0.5, "500us"},      {-3.0, "-3ms"},     {0.0, "0s"},        {0.04, "ERROR"},
        {999.96, "1000ms"}, {1.0, "1ms"},        {-1500.0, "-1.5s"}, {1000.1, "1.0001s"},
        {std::numeric_limits<double>::quiet_NaN(), "ERROR"},
    };
    for (const Time& c : times) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(FormatTraceTime(c.ms), W(c.text));
    }
}

TEST(TraceTextTest, TakesFileNamesAndTitlesFromPaths)
{
    struct Case {
        const char* path;
        const char* name;
        const char* title;
    };
    const Case cases[] = {
        {"C:\\traces\\data.trd", "data.trd", "data"},
        {"/home/user/traces/data.trd", "data.trd", "data"},
        {"data.v2.trd", "data.v2.trd", "data"},
        {"/tmp/.hidden", ".hidden", ".hidden"},
        {"plain", "plain", "plain"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(FileNameOfPath(W(c.path)), W(c.name));
        EXPECT_EQ(FileTitleOfPath(W(c.path)), W(c.title));
    }
}

TEST(TraceTextTest, SuggestsANameFromTheTitleAndTheTime)
{
    std::tm when{};
    when.tm_year = 2025 - 1900;
    when.tm_mon = 5;
    when.tm_mday = 1;
    when.tm_hour = 14;
    when.tm_min = 3;
    when.tm_sec = 9;
    struct Case {
        const char* title;
        const char* name;
    };
    const Case cases[] = {
        {"", "trace_20250601_140309.trd"},
        {"   ", "trace_20250601_140309.trd"},
        {"Axis 1 test run", "Axis 1 test run_20250601_140309.trd"},
        {" padded ", "padded_20250601_140309.trd"},
        // Nothing that names a folder or a pattern, or cuts the title short.
        {"a/b\\c:d*e?f\"g<h>i|j", "a_b_c_d_e_f_g_h_i_j_20250601_140309.trd"},
        {"v1.2 speed", "v1_2 speed_20250601_140309.trd"},
        {"\xe8\xbb\xb8\xef\xbc\x91", "\xe8\xbb\xb8\xef\xbc\x91_20250601_140309.trd"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        const CString name = SuggestTraceFileName(W(c.title), when);
        EXPECT_EQ(name, W(c.name));
        EXPECT_EQ(FileTitleOfPath(name) + u".trd", name) << "the title is the whole stem";
    }
}

TEST(TraceScalingTest, ConvertsKnownValues)
{
    TraceScaleSettings s;
    s.SCL_TYPE_CH[0] = kScaleRatio;
    s.RATIO_CH[0] = 0.5;
    s.OFFSET_CH[0] = 10.0;
    s.SCL_TYPE_CH[1] = kScaleTwoPoint;
    s.POINT_1_CH[1] = 1000.0;
    s.POINT_1_SC_CH[1] = 10.0;
    s.POINT_2_CH[1] = 0.0;
    s.POINT_2_SC_CH[1] = 0.0;
    s.SCL_TYPE_CH[3] = 7;  // unknown types pass values through

    EXPECT_DOUBLE_EQ(ScaleToEngineering(s, 0, 100), 60.0);
    EXPECT_EQ(ScaleToRaw(s, 0, 60.0), 100);
    EXPECT_EQ(ScaleToRaw(s, 0, 60.9), 101);
    EXPECT_DOUBLE_EQ(ScaleToEngineering(s, 1, 500), 5.0);
    EXPECT_EQ(ScaleToRaw(s, 1, 5.0), 500);
    EXPECT_DOUBLE_EQ(ScaleToEngineering(s, 2, -7), -7.0);
    EXPECT_EQ(ScaleToRaw(s, 2, -7.9), -7) << "truncated toward zero";
    EXPECT_DOUBLE_EQ(ScaleToEngineering(s, 3, 42), 42.0);
}

TEST(TraceScalingTest, DegenerateScalingsGiveNoUndefinedRawValue)
{
    TraceScaleSettings s;
    s.SCL_TYPE_CH[0] = kScaleRatio;
    s.RATIO_CH[0] = 0.0;
    s.SCL_TYPE_CH[1] = kScaleTwoPoint;
    s.POINT_1_CH[1] = s.POINT_2_CH[1] = 3.0;
    s.SCL_TYPE_CH[2] = kScaleTwoPoint;
    s.POINT_1_SC_CH[2] = s.POINT_2_SC_CH[2] = 4.0;

    EXPECT_EQ(ScaleToRaw(s, 0, 10.0), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(ScaleToRaw(s, 0, 0.0), 0) << "0/0";
    EXPECT_EQ(ScaleToRaw(s, 1, 1.0), 0);
    EXPECT_EQ(ScaleToRaw(s, 2, 5.0), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(ScaleToRaw(s, 3, 1e300), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(ClampToRaw32(ScaleToRaw(s, 3, -1e12)), std::numeric_limits<std::int32_t>::min());
}

TEST(TraceScalingTest, RawValuesSurviveTheRoundTripThroughEngineeringUnits)
{
    std::mt19937 random(20240611);
    std::uniform_real_distribution<double> factor(-50.0, 50.0);
    std::uniform_int_distribution<std::int32_t> raw(-1000000, 1000000);
    for (int i = 0; i < 2000; ++i) {
        TraceScaleSettings s;
        const int ch = i % kTraceChannelCount;
        s.SCL_TYPE_CH[ch] = 1 + i % 2;
        s.RATIO_CH[ch] = factor(random);
        s.OFFSET_CH[ch] = factor(random);
        s.POINT_1_CH[ch] = raw(random);
        s.POINT_2_CH[ch] = s.POINT_1_CH[ch] + 1 + raw(random) % 5000 + 5000;
        s.POINT_1_SC_CH[ch] = factor(random);
        s.POINT_2_SC_CH[ch] = s.POINT_1_SC_CH[ch] + 1.0 + std::fabs(factor(random));
        if (std::fabs(s.RATIO_CH[ch]) < 1e-3) continue;
        const std::int32_t value = raw(random);
        const double engineering = ScaleToEngineering(s, ch, value);
        ASSERT_TRUE(std::isfinite(engineering));
        // Truncation may lose one count to rounding; never more.
        const std::int64_t back = ScaleToRaw(s, ch, engineering);
        ASSERT_LE(std::llabs(back - value), 1) << "row " << i << " type " << s.SCL_TYPE_CH[ch];
    }
}

TEST(SampleSetTest, AllocatesCopiesClearsAndFreesWhole)
{
    SampleSet a;
    SampleSet b;
    EXPECT_EQ(FreeSampleSet(a), 0);
    EXPECT_EQ(ClearSampleSet(a, 3), 0);
    EXPECT_EQ(ReallocSampleSet(a, 3), 0);
    EXPECT_FALSE(a.IsAllocated()) << "realloc of an empty set allocates nothing";

    ASSERT_EQ(AllocSampleSet(a, 3), 1);
    std::int32_t* first = a.pCh[0];
    EXPECT_EQ(AllocSampleSet(a, 10), 0);
    EXPECT_EQ(a.pCh[0], first) << "an allocated set keeps its arrays";
    for (int ch = 0; ch < kTraceChannelCount; ++ch)
        for (int i = 0; i <= 3; ++i) a.pCh[ch][i] = ch * 10 + i;

    EXPECT_EQ(CopySampleSet(b, a, 3), 0) << "destination not allocated";
    ASSERT_EQ(AllocSampleSet(b, 3), 1);
    ASSERT_EQ(CopySampleSet(b, a, 3), 1);
    EXPECT_EQ(b.pCh[3][3], 33);
    ASSERT_EQ(ClearSampleSet(a, 3), 1);
    EXPECT_EQ(a.pCh[3][3], 0);
    EXPECT_EQ(b.pCh[2][1], 21);

    ASSERT_EQ(ReallocSampleSet(b, 1000), 1);
    b.pCh[3][1000] = 5;
    EXPECT_EQ(FreeSampleSet(a), 1);
    EXPECT_EQ(FreeSampleSet(b), 1);
    EXPECT_FALSE(b.IsAllocated());
}

TEST(SampleSetTest, InvalidCountsAllocateNothingAndShowNothing)
{
    ScriptedMessageBox boxes;
    SampleSet set;
    EXPECT_EQ(AllocSampleSet(set, -1), 0);
    EXPECT_FALSE(set.IsAllocated());
    EXPECT_EQ(AllocSampleSet(set, std::numeric_limits<int>::max()), 0);
    EXPECT_FALSE(set.IsAllocated());
    EXPECT_TRUE(boxes.Shown().empty());
}

}  // namespace
