// The trace window's drawing without a window: layout, mapping, golden
// pictures of a known trace and extreme settings.
#include "tools/trace/TraceDrawing.h"

#include "tools/TraceAcquisition.h"
#include "tools/trace/TraceStatistics.h"

#include "tests/support/GoldenImage.h"
#include "tests/support/ui/UiTest.h"

#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <limits>
#include <thread>
#include <vector>

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 520;
constexpr int kToolBar = 26;
constexpr int kStatusBar = 20;

// Four channels of 1001 samples: a sine, a triangle, a square and a ramp.
void FillKnownTrace(CTraceModel& model, int n = 1000)
{
    model.m_TraceSet.TRACE_NUM = n;
    model.m_TraceSet.wInterval = 5;
    ASSERT_TRUE(model.AllocBuffers());
    for (int i = 0; i <= n; ++i) {
        model.m_DispData.pCh[0][i] = static_cast<std::int32_t>(std::lround(800 * std::sin(i * 0.02)));
        model.m_DispData.pCh[1][i] = (i % 200 < 100 ? i % 100 : 100 - i % 100) * 12 - 600;
        model.m_DispData.pCh[2][i] = (i / 50) % 2 ? 500 : -300;
        model.m_DispData.pCh[3][i] = i * 2 - 1000;
    }
    model.m_bDataPresent = 1;
    model.m_nTriggerPos = n / 5;
    model.m_GraphSet.strUnit[0] = u"mm";
    model.m_GraphSet.strUnit[1] = u"mm/s";
}

// Draws the client area of a window of the given size.
QImage Draw(const CTraceModel& model, TraceView& view, int width = kWidth, int height = kHeight,
            BOOL everySample = FALSE, int language = 1)
{
    TraceCanvas canvas;
    EXPECT_TRUE(canvas.Resize(width, height));
    const TraceLayout layout = ComputeTraceLayout(model, CRect(0, 0, width, height), kToolBar, kStatusBar);
    UpdateTraceScroll(view, layout, TraceTotalWidth(model), FALSE);
    TraceFonts fonts;
    fonts.Create(language);
    DrawTraceClient(canvas, model, layout, view, fonts, everySample);
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) std::memcpy(image.scanLine(y), canvas.Row(y), static_cast<std::size_t>(width) * 4);
    return image;
}

std::filesystem::path Goldens() { return qvtest::SourceFolderOf(__FILE__) / "golden"; }

void Keep(const QImage& image, const std::string& name)
{
    image.save(QString::fromStdString(uitest::ArtifactFolder("trace") + "/" + name + ".png"), "PNG");
}

TEST(TraceLayoutTest, EveryGraphIsAWholeNumberOfTenPixelsHighAndTheGraphsAreApart)
{
    for (int split = 1; split <= 4; ++split) {
        SCOPED_TRACE(split);
        CTraceModel model;
        model.m_GraphSet.SPLIT_NUM = split;
        const TraceLayout layout = ComputeTraceLayout(model, CRect(0, 0, 900, 700), kToolBar, kStatusBar);
        EXPECT_EQ((layout.nGraphHeight - 1) % 10, 0) << layout.nGraphHeight;
        EXPECT_LE(split * (layout.nGraphHeight + 1) - 1, layout.rcGraph.Height());
        EXPECT_GT(layout.nGraphHeight, 10);
    }
}

TEST(TraceLayoutTest, ARangeOfPlusMinusOneThousandPutsZeroInTheMiddleAndTheMaximumAtTheTop)
{
    const int h = 101;
    EXPECT_EQ(TraceSampleY(0, 1000, -1000, 6, h), h / 2);
    EXPECT_EQ(TraceSampleY(1000, 1000, -1000, 6, h), 0);
    EXPECT_EQ(TraceSampleY(-1000, 1000, -1000, 6, h), h - 1);
    EXPECT_EQ(TraceSampleY(0, 1000, -1000, 1, h), 0) << "position 1 puts zero at the top";
    EXPECT_EQ(TraceSampleY(0, 1000, -1000, 11, h), h - 1) << "position 11 at the bottom";
}

TEST(TraceLayoutTest, MappingsDoNotOverflowAtTheLargestTraceAndValues)
{
    // Equal limits divide by nothing; the sample sits on its zero line.
    EXPECT_EQ(TraceSampleY(12345, 7, 7, 6, 101), 50);
    // Raw values at the ends of 32 bits with a narrow range stay on the screen's side.
    const int top = TraceSampleY(std::numeric_limits<std::int32_t>::max(), 1, -1, 6, 101);
    const int bottom = TraceSampleY(std::numeric_limits<std::int32_t>::min(), 1, -1, 6, 101);
    EXPECT_LT(top, 0);
    EXPECT_GT(bottom, 100);
    // A range spanning all 32 bits.
    EXPECT_EQ(TraceSampleY(std::numeric_limits<std::int32_t>::max(), std::numeric_limits<std::int32_t>::max(),
                           std::numeric_limits<std::int32_t>::min(), 6, 101),
              0);

    CTraceModel model;
    model.m_TraceSet.TRACE_NUM = kMaxTraceNum;
    model.m_GraphSet.ZOOM = 0;
    EXPECT_EQ(TraceTotalWidth(model), 2000000);
    model.m_GraphSet.ZOOM = 99;
    EXPECT_EQ(TraceTotalWidth(model), 10000) << "a zoom outside the table takes its nearest end";
    model.m_GraphSet.ZOOM = -5;
    EXPECT_EQ(TraceTotalWidth(model), 2000000);

    // Keeping the centre multiplies two widths of 2,000,000 pixels.
    TraceLayout layout = ComputeTraceLayout(model, CRect(0, 0, 1920, 1080), kToolBar, kStatusBar);
    TraceView view;
    view.nTotalWidth = 2000000;
    view.nScrollPos = 1500000;
    UpdateTraceScroll(view, layout, 2000000, TRUE);
    EXPECT_EQ(view.nScrollPos, 1500000);
    UpdateTraceScroll(view, layout, 1000000, TRUE);
    const std::int64_t width = layout.rcGraph.Width();
    EXPECT_EQ(view.nScrollPos, 1000000 * (1500000 + width / 2) / 2000000 - width / 2);
    EXPECT_EQ(TraceSampleAt(view.nTotalWidth, 2, view.nScrollPos, kMaxTraceNum), kMaxTraceNum);
}

TEST(TraceDrawingTest, ManySamplesOnAColumnDrawTheSamePictureAsEverySample)
{
    CTraceModel model;
    FillKnownTrace(model, 20000);
    for (int ch = 0; ch < kTraceChannelCount; ++ch)
        for (int i = 0; i <= 20000; ++i)
            model.m_DispData.pCh[ch][i] = static_cast<std::int32_t>(((i * 7919 + ch * 104729) % 2001) - 1000);
    for (int zoom : {4, 5, 6, 7}) {
        for (int width : {1, 2, 3}) {
            SCOPED_TRACE(::testing::Message() << "zoom " << zoom << ", line width " << width);
            model.m_GraphSet.ZOOM = zoom;
            for (int ch = 0; ch < kTraceChannelCount; ++ch) model.m_GraphSet.LINE_WIDTH_CH[ch] = width;
            TraceView fast;
            TraceView slow;
            fast.nScrollPos = slow.nScrollPos = 333;
            const QImage a = Draw(model, fast, kWidth, kHeight, FALSE);
            const QImage b = Draw(model, slow, kWidth, kHeight, TRUE);
            EXPECT_TRUE(a == b) << "the min-max span differs from drawing every sample";
            if (a != b) {
                Keep(a, "minmax-fast");
                Keep(b, "minmax-every");
            }
        }
    }
}

TEST(TraceDrawingTest, AKnownTraceAtThreeZoomsWithLegendGaugesAndCursors)
{
    struct Case {
        const char* name;
        int zoom;
        int rangeType;
        int split;
        bool cursors;
    };
    const Case cases[] = {
        {"zoom0-legend", 0, 0, 1, false},    {"zoom3-legend", 3, 0, 2, false},
        {"zoom7-legend", 7, 0, 1, false},    {"zoom3-gauges", 3, 1, 2, false},
        {"zoom3-cursors", 3, 0, 4, true},
    };
    for (const char* lang : {"en", "ja"}) {
        uitest::ScopedResources resources(u"ZeblLangLib", lang);
        ASSERT_TRUE(resources.Loaded());
        for (const Case& c : cases) {
            SCOPED_TRACE(::testing::Message() << c.name << " " << lang);
            CTraceModel model;
            FillKnownTrace(model);
            model.m_GraphSet.TITLE = std::string(lang) == "ja" ? CString::FromUtf8("軸 1 の試運転") : CString(u"Axis 1 test run");
            model.m_GraphSet.ZOOM = c.zoom;
            model.m_GraphSet.SPLIT_NUM = c.split;
            for (int ch = 0; ch < kTraceChannelCount; ++ch) model.m_GraphSet.GRAPH_NO_CH[ch] = ch % c.split;
            model.m_Options.RANGE_TYPE = c.rangeType;
            model.m_ScaleSet.SCL_TYPE_CH[1] = kScaleRatio;
            model.m_ScaleSet.RATIO_CH[1] = 0.01;
            if (c.cursors) {
                model.m_bCursorShown[0] = model.m_bCursorShown[1] = TRUE;
                model.m_nCursorPos[0] = 120;
                model.m_nCursorPos[1] = 310;
                model.m_nABChannel = 1;
            }
            TraceView view;
            const QImage image = Draw(model, view, kWidth, kHeight, FALSE, std::string(lang) == "ja" ? 0 : 1);
            Keep(image, std::string("trace-") + c.name + "-" + lang);
            qvtest::ExpectMatchesGolden(image, Goldens(), std::string("trace-") + c.name + "-" + lang, 40, 60);
        }
    }
}

TEST(TraceDrawingTest, ExtremeSettingsDrawWithoutFault)
{
    struct Case {
        const char* name;
        int n;
        int split;
        std::int32_t max;
        std::int32_t min;
        int zoom;
        int width;
        int height;
    };
    const Case cases[] = {
        {"equal limits", 100, 1, 5, 5, 3, kWidth, kHeight},
        {"one graph, largest N, zoom 0", kMaxTraceNum, 1, 1000, -1000, 0, kWidth, kHeight},
        {"four graphs, largest N, zoom 7", kMaxTraceNum, 4, 1000, -1000, 7, kWidth, kHeight},
        {"range of all 32 bits", 1000, 2, std::numeric_limits<std::int32_t>::max(),
         std::numeric_limits<std::int32_t>::min(), 3, kWidth, kHeight},
        {"the smallest window", 1000, 4, 1, -1, 3, 304, 340},
        {"a window smaller than that", 10, 4, 1, -1, 3, 60, 40},
        {"one sample", 1, 1, 1000, -1000, 7, kWidth, kHeight},
        {"no graphs asked for", 100, 0, 1000, -1000, 3, kWidth, kHeight},
        {"more graphs than there are", 100, 9, 1000, -1000, 3, kWidth, kHeight},
        {"a zoom beyond the table", 1000, 2, 1000, -1000, 12, kWidth, kHeight},
    };
    // With the marker pictures, which then fall partly outside small windows.
    uitest::ScopedResources resources(u"ZeblLangLib", "en");
    ASSERT_TRUE(resources.Loaded());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTraceModel model;
        model.m_TraceSet.TRACE_NUM = c.n;
        ASSERT_TRUE(model.AllocBuffers());
        for (int ch = 0; ch < kTraceChannelCount; ++ch) {
            model.m_RangeSet.AUTO_RANGE_CH[ch] = 0;
            model.m_RangeSet.MANU_MAX_CH[ch] = c.max;
            model.m_RangeSet.MANU_MIN_CH[ch] = c.min;
            model.m_GraphSet.GRAPH_NO_CH[ch] = ch % std::clamp(c.split, 1, kMaxGraphs);
            for (int i = 0; i <= c.n; ++i)
                model.m_DispData.pCh[ch][i] = i % 3 == 0 ? std::numeric_limits<std::int32_t>::max()
                                             : i % 3 == 1 ? std::numeric_limits<std::int32_t>::min()
                                                          : 0;
        }
        model.m_GraphSet.SPLIT_NUM = c.split;
        model.m_GraphSet.ZOOM = c.zoom;
        model.m_bCursorShown[0] = model.m_bCursorShown[1] = TRUE;
        model.m_nCursorPos[1] = c.n;
        model.m_Options.RANGE_TYPE = c.split % 2;
        TraceView view;
        const QImage image = Draw(model, view, c.width, c.height);
        EXPECT_FALSE(image.isNull());
    }
}

// A monitor trace drawn, and its cursor values read, while the extract
// thread records it from a stream that does not stop: every value shown is
// one sample whole, and once the trace has stopped its samples stay as they
// are. (Under ThreadSanitizer this is also the check that the drawing and
// the extract thread never touch a sample at once.)
TEST(TraceDrawingTest, AMonitorTraceIsDrawnWhileItIsRecorded)
{
    using namespace std::chrono_literals;
    CTraceModel model;
    model.m_TraceSet.TRACE_NUM = 200;
    model.m_TraceSet.wInterval = 1;
    ASSERT_TRUE(model.AllocBuffers());
    model.m_Options.GRAPH_DISP_MODE = 1;
    model.m_bCursorShown[0] = TRUE;
    model.m_nCursorPos[0] = 100;
    CTraceAcquisition acquisition(model);
    ASSERT_TRUE(acquisition.CreateExtractThread());
    acquisition.StartMonitorTrace();

    // Sample k carries k, -k, 2k and 3k.
    std::atomic<bool> streaming{true};
    std::thread stream([&] {
        for (int k = 0; streaming.load();) {
            CString lines;
            for (int i = 0; i < 7; ++i, ++k) {
                CString line;
                line.Format(u"%d,%d,%d,%d,%d\r\n", k, k, -k, 2 * k, 3 * k);
                lines += line;
            }
            acquisition.Receiver().Append(lines);
            std::this_thread::sleep_for(1ms);
        }
    });

    TraceView view;
    const auto until = std::chrono::steady_clock::now() + 500ms;
    int readouts = 0;
    while (std::chrono::steady_clock::now() < until || !model.GetPtrLoopedFlag()) {
        EXPECT_FALSE(Draw(model, view, 400, 300).isNull());
        const CursorReadout readout = ReadTraceCursors(&model);
        ASSERT_EQ(readout.rows.size(), 4u);
        const int k = _wtoi(readout.rows[0].strA);
        ASSERT_EQ(_wtoi(readout.rows[1].strA), -k) << "a sample shown half-written";
        ASSERT_EQ(_wtoi(readout.rows[2].strA), 2 * k) << "a sample shown half-written";
        ASSERT_EQ(_wtoi(readout.rows[3].strA), 3 * k) << "a sample shown half-written";
        ++readouts;
    }
    EXPECT_GT(readouts, 1);

    acquisition.StopMonitorTrace();
    const std::int32_t update = model.GetUpdatePointer();
    std::vector<std::int32_t> stopped(model.m_DispData.pCh[0], model.m_DispData.pCh[0] + 201);
    std::this_thread::sleep_for(50ms);
    streaming = false;
    stream.join();
    EXPECT_EQ(model.GetUpdatePointer(), update) << "recorded after the stop";
    EXPECT_EQ(std::vector<std::int32_t>(model.m_DispData.pCh[0], model.m_DispData.pCh[0] + 201), stopped)
        << "recorded after the stop";
}

}  // namespace
