#include "simulator/core/WaveChart.h"

#include "SimFixtures.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// Straight ramps with exact values, so the samples can be written down.
float LinearUp(float peak, std::int32_t t, std::int32_t ramp) { return peak * static_cast<float>(t) / ramp; }
float LinearDown(float peak, std::int32_t t, std::int32_t ramp) { return peak * static_cast<float>(ramp - t) / ramp; }
std::int32_t NoAcc(std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                   std::int32_t)
{
    return 0;
}
std::int32_t NoVp(std::int32_t, std::int32_t, std::int32_t, float, float, float, std::int32_t, std::int32_t,
                  std::int32_t, VpCalcResult*)
{
    return 0;
}
CString NoVersion() { return CString(); }

MotionResult Move(double peak, double accel, double constant, double decel, int dwell)
{
    MotionResult r;
    r.peakSpeed = peak;
    r.accelTimeMs = accel;
    r.constTimeMs = constant;
    r.decelTimeMs = decel;
    r.totalTimeMs = accel + constant + decel;
    r.dwellMs = dwell;
    return r;
}

class WaveChartTest : public ::testing::Test {
protected:
    WaveChartTest() { linear.Use({&NoVp, &LinearUp, &LinearDown, &NoAcc, &NoVersion}); }

    WaveSeries Build(const std::vector<MotionResult>& results, bool all, int move, int zoom = 20, int scroll = 0,
                     int width = 100000)
    {
        WaveSeries series;
        WaveRequest request;
        request.allMoves = all;
        request.move = move;
        request.zoom = zoom;
        request.scroll = scroll;
        request.plotWidth = width;
        EXPECT_TRUE(BuildSpeedWaveform(results, request, linear, 500.0f, series));
        return series;
    }

    simfx::SimulatorModule module{"ja"};
    MotionLibrary linear;
};

TEST_F(WaveChartTest, OneMoveSampledPerMillisecond)
{
    const WaveSeries series = Build({Move(30, 3, 2, 3, 2)}, false, 0);
    EXPECT_TRUE(series.used);
    EXPECT_EQ(series.label, CString(u"速度[mm/s]"));
    EXPECT_FLOAT_EQ(series.maximum, 500.0f);
    EXPECT_EQ(series.samples, (std::vector<float>{0, 0, 10, 20, 30, 30, 30, 20, 10, 0, 0, 0}));
    EXPECT_EQ(series.firstHighlighted, -1) << "a single move is not highlighted";

    // No constant speed and no dwell: straight from the ramp up to the ramp down.
    EXPECT_EQ(Build({Move(30, 2, 0, 2, 0)}, false, 0).samples, (std::vector<float>{0, 0, 15, 30, 15, 0}));
}

TEST_F(WaveChartTest, AllMovesHighlightTheSelectedOne)
{
    const std::vector<MotionResult> moves{Move(30, 3, 0, 3, 1), Move(20, 2, 1, 2, 0)};
    const WaveSeries series = Build(moves, true, 1);
    EXPECT_EQ(series.samples, (std::vector<float>{0, 0, 10, 20, 30, 20, 10, 0, 0, 0, 10, 20, 20, 10, 0}));
    ASSERT_EQ(series.firstHighlighted, 9);
    EXPECT_EQ(series.lastHighlighted, 14);
    EXPECT_FALSE(series.IsHighlightedSegment(8)) << "the step into the move is the move before's";
    EXPECT_TRUE(series.IsHighlightedSegment(9));
    EXPECT_TRUE(series.IsHighlightedSegment(13));
    EXPECT_FALSE(series.IsHighlightedSegment(14));
}

TEST_F(WaveChartTest, TooLongOrWithoutLibraryBuildsNothing)
{
    WaveSeries series;
    WaveRequest request;
    request.plotWidth = 400;
    MotionResult longMove = Move(100, 1000, 199998000, 1000, 0);
    EXPECT_EQ(WaveLengthMs({longMove}, false, 0), 200000000);
    EXPECT_TRUE(BuildSpeedWaveform({longMove}, request, linear, 500.0f, series));
    longMove.dwellMs = 1;
    EXPECT_FALSE(BuildSpeedWaveform({longMove}, request, linear, 500.0f, series));
    EXPECT_TRUE(series.samples.empty());
    MotionLibrary unbound;
    EXPECT_FALSE(BuildSpeedWaveform({Move(30, 3, 2, 3, 2)}, request, unbound, 500.0f, series));
    EXPECT_TRUE(series.samples.empty());
    request.move = 3;
    EXPECT_FALSE(BuildSpeedWaveform({Move(30, 3, 2, 3, 2)}, request, linear, 500.0f, series));
}

// Whatever the zoom and scroll, the samples of a view are the same
// milliseconds as those of the whole waveform, and only the visible part
// (one plot width and a little) is built.
TEST_F(WaveChartTest, SeededSweepScrolledViewsMatchTheWholeWaveform)
{
    MotionLibrary real;
    ASSERT_TRUE(real.Load());
    std::mt19937 random(77);
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE(round);
        std::vector<MotionResult> moves;
        const int count = 1 + static_cast<int>(random() % 6);
        for (int i = 0; i < count; ++i) {
            moves.push_back(Move(1 + random() % 800, random() % 400 + 0.7, random() % 300 + 0.2, random() % 400 + 0.9,
                                 static_cast<int>(random() % 200)));
        }
        const bool all = random() % 2 == 0;
        const int move = static_cast<int>(random() % count);
        const int zoom = kZoomTableMs[random() % kZoomStepCount];
        const int width = 100 + static_cast<int>(random() % 500);
        WaveRequest request{all, move, 1000000000, zoom, 0};
        WaveSeries whole;
        ASSERT_TRUE(BuildSpeedWaveform(moves, request, real, 500.0f, whole));
        const std::int64_t length = WaveLengthMs(moves, all, move);
        const int limit = WaveScrollLimit(length, zoom, width);
        for (int view = 0; view < 5; ++view) {
            request.plotWidth = width;
            request.scroll = limit > 0 ? static_cast<int>(random() % (limit + 1)) : 0;
            WaveSeries part;
            ASSERT_TRUE(BuildSpeedWaveform(moves, request, real, 500.0f, part));
            const double pixelsPerMs = 20.0 / zoom;
            std::int64_t s = static_cast<std::int64_t>(request.scroll / pixelsPerMs);
            if (s != 0) --s;
            const std::size_t offset = s == 0 ? 0 : static_cast<std::size_t>(s + 1);
            ASSERT_FALSE(part.samples.empty());
            EXPECT_LE(part.samples.size(), static_cast<std::size_t>((width + 20) / pixelsPerMs + 1) + 2);
            for (std::size_t e = 0; e < part.samples.size(); ++e) {
                ASSERT_LT(offset + e, whole.samples.size()) << "scroll " << request.scroll;
                ASSERT_EQ(part.samples[e], whole.samples[offset + e]) << "scroll " << request.scroll << " sample " << e;
            }
            for (float v : part.samples) {
                EXPECT_GE(v, 0.0f);
                EXPECT_LE(v, 801.0f);
            }
        }
    }
}

TEST(WaveChartGeometry, ZoomStepsAndSamplePositions)
{
    WaveChartView view;
    EXPECT_EQ(view.Zoom(), 100);
    for (int step = 4; step >= 1; --step) EXPECT_TRUE(view.StepZoom(true)) << step;
    EXPECT_FALSE(view.StepZoom(true));
    EXPECT_EQ(view.Zoom(), 2);
    EXPECT_FALSE(view.StepZoom(true)) << "stays at step 0";
    for (int step = 1; step <= 6; ++step) EXPECT_TRUE(view.StepZoom(false)) << step;
    EXPECT_FALSE(view.StepZoom(false));
    EXPECT_EQ(view.Zoom(), 400);

    // Step 0: 10 pixels per millisecond; step 7: a whole pixel at least.
    EXPECT_EQ(SampleX(2, 2, 0), 10);
    EXPECT_EQ(SampleX(1, 2, 15), -5);
    EXPECT_EQ(SampleX(401, 400, 7), 20);
    EXPECT_EQ(SampleY(0.0f, 111, 500.0f), 110);
    EXPECT_EQ(SampleY(500.0f, 111, 500.0f), 110 - 100);
    EXPECT_EQ(SampleY(500.0f, 111, 0.0f), 110) << "no maximum, no scale";
    EXPECT_EQ(ValueLineY(110, 10), 10);
}

TEST(WaveChartGeometry, TimeLabelsAndGridLines)
{
    const RECT plot{40, 10, 400, 200};
    const std::vector<TimeLabel> labels = TimeAxisLabels(plot, 0, 100);
    ASSERT_EQ(labels.size(), 4u);
    EXPECT_EQ(labels[0].text, CString(u"0s"));
    EXPECT_EQ(labels[0].x, 40);
    EXPECT_EQ(labels[1].text, CString(u"500ms"));
    EXPECT_EQ(labels[1].x, 140);
    EXPECT_EQ(labels[2].text, CString(u"1.00s"));
    EXPECT_EQ(labels[3].text, CString(u"1.50s"));
    const std::vector<TimeLabel> scrolled = TimeAxisLabels(plot, 150, 100);
    ASSERT_FALSE(scrolled.empty());
    EXPECT_EQ(scrolled[0].x, 90);
    EXPECT_EQ(scrolled[0].text, CString(u"1.00s"));

    const std::vector<GridLine> lines = VerticalGridLines(250, 30);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0].position, 10);
    EXPECT_FALSE(lines[0].solid);
    EXPECT_EQ(lines[3].position, 70);
    EXPECT_TRUE(lines[3].solid);
    EXPECT_LT(lines.back().position, 250);
}

TEST(WaveChartGeometry, ScrollRangeAndSteps)
{
    EXPECT_EQ(WaveScrollLimit(10000, 100, 400), 1600);
    EXPECT_EQ(WaveScrollLimit(1000, 100, 400), 0) << "fits: no scrolling";
    EXPECT_EQ(WaveScrollLimit(199999999, 2, 400), 1999999590) << "the longest waveform fits the bar's range";
    const struct {
        int code;
        int position;
        int track;
        int expected;
    } cases[] = {
        {0, 100, 0, 40}, {0, 30, 0, 0},       {1, 100, 0, 160},  {2, 100, 0, 0},  {3, 100, 0, 400},
        {3, 900, 0, 1000}, {5, 100, 777, 777}, {6, 500, 0, 0}, {7, 5, 0, 1000}, {8, 123, 0, 123},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(NextWaveScroll(c.code, c.position, c.track, 1000), c.expected);
    }
}

}  // namespace
