// The trace window's speed: redrawing a 1920 x 1080 window of four graphs
// and four channels of 100,000 samples at every zoom, repainting while
// cursor A is dragged across the trace, and cutting the sample stream into
// stored samples. Each figure is the median and 90th percentile of many
// single measurements; each redraw is set against a baseline measured in the
// same iteration (copying the finished 1920 x 1080 picture once, which every
// repaint does anyway), and the cutting rate against the fastest line rate
// the link settings allow (230400 baud, the shortest sample line).
#include "tools/TraceAcquisition.h"
#include "tools/trace/TraceDrawing.h"

#include "platform/core/Module.h"
#include "platform/core/ResourceModule.h"
#include "platform/ui/DC.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kSamples = 100000;
constexpr int kRounds = 60;

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

struct Stats {
    double median = 0;
    double p90 = 0;
};

Stats Summarise(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return {v[v.size() / 2], v[std::min(v.size() - 1, v.size() * 9 / 10)]};
}

void FillModel(CTraceModel& model)
{
    model.m_TraceSet.TRACE_NUM = kSamples;
    model.AllocBuffers();
    model.m_GraphSet.SPLIT_NUM = 4;
    for (int ch = 0; ch < kTraceChannelCount; ++ch) {
        model.m_GraphSet.GRAPH_NO_CH[ch] = ch;
        for (int i = 0; i <= kSamples; ++i)
            model.m_DispData.pCh[ch][i] = static_cast<std::int32_t>(
                900 * std::sin(i * 0.001 * (ch + 1)) + ((i * 7919 + ch * 31) % 200) - 100);
    }
    model.m_bDataPresent = 1;
    model.m_nTriggerPos = kSamples / 5;
}

// The screen side of a repaint: a device-dependent picture of the window.
struct Canvas {
    CDC dc;
    CBitmap bitmap;
    CBitmap* old = nullptr;
    Canvas()
    {
        CClientDC screen(HWND{});
        dc.CreateCompatibleDC(&screen);
        bitmap.CreateCompatibleBitmap(&screen, kWidth, kHeight);
        old = dc.SelectObject(&bitmap);
    }
    ~Canvas() { dc.SelectObject(old); }
};

struct Picture : TraceCanvas {
    Picture() { Resize(kWidth, kHeight); }
};

// One repaint (drawing and the copy to the screen) against the copy alone.
void MeasureRepaint(Picture& canvas, Canvas& screen, const CTraceModel& model, const TraceLayout& layout,
                    const TraceView& view, TraceFonts& fonts, std::vector<double>& draw, std::vector<double>& base)
{
    auto t0 = Clock::now();
    screen.dc.BitBlt(0, 0, kWidth, kHeight, &canvas.DC(), 0, 0, SRCCOPY);
    auto t1 = Clock::now();
    DrawTraceClient(canvas, model, layout, view, fonts);
    screen.dc.BitBlt(0, 0, kWidth, kHeight, &canvas.DC(), 0, 0, SRCCOPY);
    auto t2 = Clock::now();
    base.push_back(Ms(t1 - t0));
    draw.push_back(Ms(t2 - t1));
}

void Report(benchmark::State& state, const std::vector<double>& draw, const std::vector<double>& base)
{
    const Stats d = Summarise(draw);
    const Stats b = Summarise(base);
    state.counters["median_ms"] = d.median;
    state.counters["p90_ms"] = d.p90;
    state.counters["baseline_median_ms"] = b.median;
    state.counters["ratio_to_baseline"] = b.median > 0 ? d.median / b.median : 0;
}

// The whole client area at one zoom, against copying the picture once.
void BM_Redraw(benchmark::State& state)
{
    CTraceModel model;
    FillModel(model);
    model.m_GraphSet.ZOOM = static_cast<int>(state.range(0));
    Picture canvas;
    Canvas screen;
    const TraceLayout layout = ComputeTraceLayout(model, CRect(0, 0, kWidth, kHeight), 26, 20);
    TraceView view;
    UpdateTraceScroll(view, layout, TraceTotalWidth(model), FALSE);
    view.nScrollPos = ClampTraceScroll(view.nTotalWidth / 3, view.nTotalWidth, layout.rcGraph.Width());
    TraceFonts fonts;
    fonts.Create(1);
    std::vector<double> draw;
    std::vector<double> base;
    for (auto _ : state) {
        for (int r = 0; r < kRounds; ++r) {
            MeasureRepaint(canvas, screen, model, layout, view, fonts, draw, base);
        }
    }
    Report(state, draw, base);
}

// Cursor A dragged from the first to the last sample at the default zoom,
// one repaint per step of the pointer; the view follows the cursor.
void BM_CursorDrag(benchmark::State& state)
{
    CTraceModel model;
    FillModel(model);
    model.m_GraphSet.ZOOM = 3;
    model.m_bCursorShown[0] = model.m_bCursorShown[1] = TRUE;
    model.m_nCursorPos[1] = kSamples / 2;
    Picture canvas;
    Canvas screen;
    const TraceLayout layout = ComputeTraceLayout(model, CRect(0, 0, kWidth, kHeight), 26, 20);
    TraceView view;
    UpdateTraceScroll(view, layout, TraceTotalWidth(model), FALSE);
    TraceFonts fonts;
    fonts.Create(1);
    std::vector<double> draw;
    std::vector<double> base;
    const int steps = 200;
    for (auto _ : state) {
        for (int s = 0; s <= steps; ++s) {
            model.m_nCursorPos[0] = static_cast<std::int32_t>(static_cast<std::int64_t>(kSamples) * s / steps);
            const std::int64_t x = TraceSampleX(model.m_nCursorPos[0], 10, view.nScrollPos);
            if (x >= layout.rcGraph.Width())
                view.nScrollPos = ClampTraceScroll(view.nScrollPos + x - layout.rcGraph.Width() + 1, view.nTotalWidth,
                                                   layout.rcGraph.Width());
            MeasureRepaint(canvas, screen, model, layout, view, fonts, draw, base);
        }
    }
    Report(state, draw, base);
}

// Cutting and storing: a batch of buffered sample lines handed to the
// extract pass, as the thread finds them after a busy moment.
void BM_StreamCutting(benchmark::State& state)
{
    const int lines = static_cast<int>(state.range(0));
    CTraceModel model;
    model.m_TraceSet.TRACE_NUM = kSamples;
    model.AllocBuffers();
    CTraceAcquisition acquisition(model);
    std::string text8;
    for (int i = 0; i < lines; ++i)
        text8 += std::to_string(i) + "," + std::to_string(i * 3 - 500000) + "," + std::to_string(-i) + "," +
                 std::to_string(i % 4096) + "," + std::to_string(1000000 - i) + "\r\n";
    const CString text = CString::FromUtf8(text8);
    std::vector<double> rates;
    for (auto _ : state) {
        for (int r = 0; r < 10; ++r) {
            acquisition.StartMonitorTrace();
            acquisition.Receiver().Append(text);
            auto t0 = Clock::now();
            const int handled = acquisition.ExtractLines();
            auto t1 = Clock::now();
            acquisition.StopMonitorTrace();
            rates.push_back(handled / std::chrono::duration<double>(t1 - t0).count());
        }
    }
    std::sort(rates.begin(), rates.end());
    // The fastest line rate: 230400 baud, 10 bits a character, "0,0,0,0,0" CR LF.
    const double lineRate = 230400.0 / 10.0 / 11.0;
    state.counters["median_samples_per_s"] = rates[rates.size() / 2];
    state.counters["p10_samples_per_s"] = rates[rates.size() / 10];
    state.counters["ratio_to_fastest_line_rate"] = rates[rates.size() / 2] / lineRate;
}

BENCHMARK(BM_Redraw)->DenseRange(0, 7)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CursorDrag)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StreamCutting)->Arg(1000)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
    QGuiApplication app(argc, argv);
    // The language library, as the window has it: its font face and marker pictures.
    ::setenv("QV_LANG", "en", 1);
    if (const HMODULE language = ::LoadLibraryW(u"ZeblLangLib.dll")) AfxSetResourceHandle(language);
    else std::fprintf(stderr, "ZeblLangLib not found: drawing without its marker pictures\n");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
