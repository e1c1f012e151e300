// What the A-B cursor window and the calculator read out of a trace: known
// signals give known maxima, minima, times, averages and root mean squares,
// and the values of a scaled channel are engineering values throughout (a
// difference or a root mean square is not passed through the offset).
#include "tools/trace/TraceStatistics.h"

#include "tools/TraceText.h"
#include "tools/trace/TraceDrawing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

namespace {

// A trace of N + 1 samples on channel 1 (the others 0).
struct KnownTrace {
    explicit KnownTrace(const std::vector<std::int32_t>& samples) : model(FALSE)
    {
        model.m_TraceSet.TRACE_NUM = static_cast<std::int32_t>(samples.size()) - 1;
        EXPECT_TRUE(model.AllocBuffers());
        for (std::size_t i = 0; i < samples.size(); ++i) model.m_DispData.pCh[0][i] = samples[i];
        model.m_bDataPresent = 1;
    }
    void Ratio(double ratio, double offset)
    {
        model.m_ScaleSet.SCL_TYPE_CH[0] = kScaleRatio;
        model.m_ScaleSet.RATIO_CH[0] = ratio;
        model.m_ScaleSet.OFFSET_CH[0] = offset;
    }
    void TwoPoints(double raw1, double value1, double raw2, double value2)
    {
        model.m_ScaleSet.SCL_TYPE_CH[0] = kScaleTwoPoint;
        model.m_ScaleSet.POINT_1_CH[0] = raw1;
        model.m_ScaleSet.POINT_1_SC_CH[0] = value1;
        model.m_ScaleSet.POINT_2_CH[0] = raw2;
        model.m_ScaleSet.POINT_2_SC_CH[0] = value2;
    }
    CTraceModel model;
};

std::vector<std::int32_t> Samples(int count, const std::function<std::int32_t(int)>& f)
{
    std::vector<std::int32_t> samples;
    for (int i = 0; i < count; ++i) samples.push_back(f(i));
    return samples;
}

struct SignalCase {
    const char* name;
    std::vector<std::int32_t> samples;
    std::function<void(KnownTrace&)> scaling;
    std::int32_t maxPos;
    std::int32_t minPos;
    const char* maxText;
    const char* minText;
    double average;
    double rms;
};

class KnownSignalTest : public ::testing::TestWithParam<SignalCase> {};

TEST_P(KnownSignalTest, GivesItsMaximumMinimumAverageAndRms)
{
    const SignalCase& c = GetParam();
    KnownTrace trace(c.samples);
    if (c.scaling) c.scaling(trace);
    const SampleStretch whole = TraceCalcStretch(trace.model, 4);
    ASSERT_TRUE(whole.bValid);
    ChannelStatistics stats;
    ASSERT_TRUE(ComputeChannelStatistics(trace.model, 0, whole, stats));
    EXPECT_EQ(stats.nMaxPos, c.maxPos);
    EXPECT_EQ(stats.nMinPos, c.minPos);
    EXPECT_EQ(stats.nMaxRaw, c.samples[static_cast<std::size_t>(c.maxPos)]);
    EXPECT_EQ(stats.nMinRaw, c.samples[static_cast<std::size_t>(c.minPos)]);
    // As the calculator writes them: engineering values of a scaled channel.
    EXPECT_EQ(TraceValueText(trace.model, 0, stats.nMaxRaw).ToUtf8(), c.maxText);
    EXPECT_EQ(TraceValueText(trace.model, 0, stats.nMinRaw).ToUtf8(), c.minText);
    // Samples are whole numbers: a rounded signal is within a millionth.
    EXPECT_NEAR(stats.dAverage, c.average, 1e-4 + 1e-6 * std::abs(c.rms));
    EXPECT_NEAR(stats.dRms, c.rms, 1e-4 + 1e-6 * std::abs(c.rms));
}

INSTANTIATE_TEST_SUITE_P(
    Signals, KnownSignalTest,
    ::testing::Values(
        SignalCase{"FirstOfEqualPeaks", {5, 9, 9, 1}, nullptr, 1, 3, "9", "1", 6.0, std::sqrt(47.0)},
        SignalCase{"PlusAndMinusThree", {3, -3}, nullptr, 0, 1, "3", "-3", 0.0, 3.0},
        SignalCase{"Constant", {-7, -7, -7}, nullptr, 0, 0, "-7", "-7", -7.0, 7.0},
        // One whole period of a sine of amplitude 100000: RMS 100000 / sqrt 2.
        SignalCase{"Sine", Samples(1000, [](int i) { return static_cast<std::int32_t>(std::lround(1e5 * std::sin(i * M_PI / 500))); }),
                   nullptr, 250, 750, "100000", "-100000", 0.0, 1e5 / std::sqrt(2.0)},
        // A square wave of +-100 read as 0.5 x raw + 10: 60 and -40. Its RMS
        // is that of 60 and -40 (50.99), not 0.5 x 100 + 10 = 60.
        SignalCase{"SquareWithRatioAndOffset",
                   Samples(40, [](int i) { return (i / 10) % 2 ? 100 : -100; }),
                   [](KnownTrace& t) { t.Ratio(0.5, 10.0); }, 10, 0, "60", "-40", 10.0, std::sqrt(2600.0)},
        // 0..1000 read through the points (0, 0) and (1000, 10): 0..10.
        SignalCase{"RampThroughTwoPoints", Samples(1001, [](int i) { return i; }),
                   [](KnownTrace& t) { t.TwoPoints(0, 0, 1000, 10); }, 1000, 0, "10", "0", 5.0,
                   std::sqrt(333500.0 / 10000.0)}),
    [](const ::testing::TestParamInfo<SignalCase>& info) { return std::string(info.param.name); });

TEST(TraceStatisticsTest, TimesCountFromTheTriggerPosition)
{
    KnownTrace trace(Samples(401, [](int i) { return i == 300 ? 50 : 0; }));
    trace.model.m_nTriggerPos = 100;
    trace.model.m_TraceSet.wInterval = 5;
    ChannelStatistics stats;
    ASSERT_TRUE(ComputeChannelStatistics(trace.model, 0, TraceCalcStretch(trace.model, 4), stats));
    EXPECT_EQ(stats.nMaxPos, 300);
    EXPECT_DOUBLE_EQ(TracePositionTimeMs(trace.model, stats.nMaxPos), 1000.0);
    EXPECT_DOUBLE_EQ(TracePositionTimeMs(trace.model, 0), -500.0);
}

struct StretchCase {
    const char* name;
    std::int32_t mode;
    bool shownA;
    bool shownB;
    std::int32_t from;
    std::int32_t to;
};

class StretchTest : public ::testing::TestWithParam<StretchCase> {};

// N = 300 with A at 200 and B at 100.
TEST_P(StretchTest, FollowsTheCursorsThatAreShown)
{
    const StretchCase& c = GetParam();
    KnownTrace trace(Samples(301, [](int i) { return i; }));
    trace.model.m_nCursorPos[0] = 200;
    trace.model.m_nCursorPos[1] = 100;
    trace.model.m_bCursorShown[0] = c.shownA;
    trace.model.m_bCursorShown[1] = c.shownB;
    const SampleStretch stretch = TraceCalcStretch(trace.model, c.mode);
    ASSERT_TRUE(stretch.bValid);
    EXPECT_EQ(stretch.nFrom, c.from);
    EXPECT_EQ(stretch.nTo, c.to);
}

INSTANTIATE_TEST_SUITE_P(Modes, StretchTest,
                         ::testing::Values(StretchCase{"BetweenCursorsOrdered", 0, true, true, 100, 200},
                                           StretchCase{"FirstChoiceIsBetweenCursors", 1, true, true, 100, 200},
                                           StretchCase{"NoCursorsWholeTrace", 0, false, false, 0, 300},
                                           StretchCase{"OnlyAToTheEnd", 0, true, false, 200, 300},
                                           StretchCase{"FromAToTheEnd", 2, true, true, 200, 300},
                                           StretchCase{"FromTheStartToB", 3, true, true, 0, 100},
                                           StretchCase{"Whole", 4, true, true, 0, 300}),
                         [](const ::testing::TestParamInfo<StretchCase>& info) { return std::string(info.param.name); });

TEST(TraceStatisticsTest, AWrappedRingIsReadFromItsOldestSample)
{
    // Slots 0..4 hold 30, 40, 0, 10, 20: the oldest sample is in slot 2.
    KnownTrace trace({30, 40, 0, 10, 20});
    trace.model.m_Options.GRAPH_DISP_MODE = 1;
    trace.model.m_nUpdatePointer = 2;
    trace.model.m_bPtrLooped = 1;
    ChannelStatistics stats;
    ASSERT_TRUE(ComputeChannelStatistics(trace.model, 0, TraceCalcStretch(trace.model, 4), stats));
    EXPECT_EQ(stats.nMinPos, 0);
    EXPECT_EQ(stats.nMaxPos, 4);
    SampleStretch firstThree{true, 0, 2};
    ASSERT_TRUE(ComputeChannelStatistics(trace.model, 0, firstThree, stats));
    EXPECT_DOUBLE_EQ(stats.dAverage, 10.0);
}

TEST(TraceStatisticsTest, NothingIsReadWithoutData)
{
    CTraceModel empty(FALSE);
    EXPECT_FALSE(TraceCalcStretch(empty, 0).bValid);
    ChannelStatistics stats;
    EXPECT_FALSE(ComputeChannelStatistics(empty, 0, SampleStretch{true, 0, 10}, stats));
    const CursorReadout readout = ReadTraceCursors(nullptr);
    EXPECT_EQ(readout.strATime, CString(u"-----"));
    EXPECT_TRUE(readout.rows.empty());
}

struct ReadoutCase {
    const char* name;
    std::function<void(KnownTrace&)> scaling;
    const char* a;
    const char* b;
    const char* difference;
};

class CursorReadoutTest : public ::testing::TestWithParam<ReadoutCase> {};

// Samples 100 at A and 140 at B.
TEST_P(CursorReadoutTest, ShowsTheValuesAndTheirDifference)
{
    const ReadoutCase& c = GetParam();
    KnownTrace trace(Samples(201, [](int i) { return i; }));
    if (c.scaling) c.scaling(trace);
    trace.model.m_GraphSet.DRAW_CH[2] = 0;
    trace.model.m_nCursorPos[0] = 100;
    trace.model.m_nCursorPos[1] = 140;
    trace.model.m_bCursorShown[0] = trace.model.m_bCursorShown[1] = TRUE;
    trace.model.m_TraceSet.wInterval = 2;
    const CursorReadout readout = ReadTraceCursors(&trace.model);
    EXPECT_EQ(readout.strATime, FormatTraceTime(200.0));
    EXPECT_EQ(readout.strBTime, FormatTraceTime(280.0));
    EXPECT_EQ(readout.strDifferenceTime, FormatTraceTime(80.0));
    ASSERT_EQ(readout.rows.size(), 3u) << "channel 3 is not drawn";
    EXPECT_EQ(readout.rows[2].nChannel, 3);
    EXPECT_EQ(readout.rows[0].strA.ToUtf8(), c.a);
    EXPECT_EQ(readout.rows[0].strB.ToUtf8(), c.b);
    EXPECT_EQ(readout.rows[0].strDifference.ToUtf8(), c.difference);
}

INSTANTIATE_TEST_SUITE_P(
    Scalings, CursorReadoutTest,
    ::testing::Values(ReadoutCase{"Raw", nullptr, "100", "140", "40"},
                      // The offset belongs to values, not to their difference: 20, not 30.
                      ReadoutCase{"RatioAndOffset", [](KnownTrace& t) { t.Ratio(0.5, 10.0); }, "60", "80", "20"},
                      ReadoutCase{"TwoPoints", [](KnownTrace& t) { t.TwoPoints(0, 5, 200, 30); }, "17.5", "22.5", "5"},
                      ReadoutCase{"QuarterRatio", [](KnownTrace& t) { t.Ratio(0.125, 0.0); }, "12.5", "17.5", "5"}),
    [](const ::testing::TestParamInfo<ReadoutCase>& info) { return std::string(info.param.name); });

TEST(TraceStatisticsTest, ACursorNotShownReadsDashes)
{
    KnownTrace trace(Samples(11, [](int i) { return i; }));
    trace.model.m_nCursorPos[0] = 3;
    trace.model.m_bCursorShown[0] = TRUE;
    const CursorReadout readout = ReadTraceCursors(&trace.model);
    EXPECT_EQ(readout.strBTime, CString(u"-----"));
    EXPECT_EQ(readout.strDifferenceTime, CString(u"-----"));
    ASSERT_EQ(readout.rows.size(), 4u);
    for (const auto& row : readout.rows) {
        EXPECT_EQ(row.strB, CString(u"-----"));
        EXPECT_EQ(row.strDifference, CString(u"-----"));
    }
    EXPECT_EQ(readout.rows[0].strA, CString(u"3"));
}

TEST(TraceStatisticsTest, RealTextsAreTrimmed)
{
    EXPECT_EQ(TraceRealText(12.5), CString(u"12.5"));
    EXPECT_EQ(TraceRealText(3.0), CString(u"3"));
    EXPECT_EQ(TraceRealText(-0.00001), CString(u"0"));
}

}  // namespace
