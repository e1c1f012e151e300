// The drawing layer against plain QPainter work on the same pixels, in the
// same run: filling and blitting a 1920 x 1080 memory DC, and a 100,000-point
// polyline. The closing lines print the layer's time over QPainter's for each.
#include "platform/ui/DC.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kPolylinePoints = 100000;

std::map<std::string, double>& Results()
{
    static std::map<std::string, double> results;
    return results;
}


std::vector<POINT> Wave()
{
    std::vector<POINT> pts(kPolylinePoints);
    for (int i = 0; i < kPolylinePoints; ++i) {
        const double t = static_cast<double>(i) / kPolylinePoints;
        pts[static_cast<std::size_t>(i)] =
            POINT{static_cast<LONG>(t * (kWidth - 1)), static_cast<LONG>(kHeight / 2 + std::sin(i * 0.05) * 400)};
    }
    return pts;
}

// A memory DC over a compatible bitmap of the screen size.
struct Canvas {
    CDC screen;
    CDC dc;
    CBitmap bitmap;
    CBitmap* old = nullptr;
    Canvas()
    {
        CClientDC desktop(HWND{});
        dc.CreateCompatibleDC(&desktop);
        bitmap.CreateCompatibleBitmap(&desktop, kWidth, kHeight);
        old = dc.SelectObject(&bitmap);
    }
    ~Canvas() { dc.SelectObject(old); }
};

void BM_Fill_Layer(benchmark::State& state)
{
    Canvas c;
    CBrush brush(RGB(30, 60, 90));
    const RECT all{0, 0, kWidth, kHeight};
    for (auto _ : state) c.dc.FillRect(&all, &brush);
}

void BM_Fill_QPainter(benchmark::State& state)
{
    QImage img(kWidth, kHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter p(&img);
        p.fillRect(img.rect(), QColor(30, 60, 90));
    }
}

void BM_Blit_Layer(benchmark::State& state)
{
    Canvas src, dst;
    for (auto _ : state) dst.dc.BitBlt(0, 0, kWidth, kHeight, &src.dc, 0, 0, SRCCOPY);
}

void BM_Blit_QPainter(benchmark::State& state)
{
    QImage src(kWidth, kHeight, QImage::Format_RGB32), dst(kWidth, kHeight, QImage::Format_RGB32);
    src.fill(Qt::gray);
    for (auto _ : state) {
        QPainter p(&dst);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(0, 0, src);
    }
}

void BM_Polyline_Layer(benchmark::State& state)
{
    Canvas c;
    const std::vector<POINT> pts = Wave();
    CPen pen(PS_SOLID, 1, RGB(0, 0, 255));
    CPen* old = c.dc.SelectObject(&pen);
    for (auto _ : state) c.dc.Polyline(pts.data(), kPolylinePoints);
    c.dc.SelectObject(old);
}

// The same into a 32-bit DIB section, whose alpha bytes drawing must keep.
void BM_PolylineDib_Layer(benchmark::State& state)
{
    BITMAPINFO info{};
    info.bmiHeader.biWidth = kWidth;
    info.bmiHeader.biHeight = kHeight;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection({}, &info, DIB_RGB_COLORS, &bits, {}, 0);
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    const HGDIOBJ oldBitmap = dc.SelectObject(HGDIOBJ(dib));
    const std::vector<POINT> pts = Wave();
    CPen pen(PS_SOLID, 1, RGB(0, 0, 255));
    CPen* old = dc.SelectObject(&pen);
    for (auto _ : state) dc.Polyline(pts.data(), kPolylinePoints);
    dc.SelectObject(old);
    dc.SelectObject(oldBitmap);
    DeleteObject(dib);
}

void BM_Polyline_QPainter(benchmark::State& state)
{
    QImage img(kWidth, kHeight, QImage::Format_RGB32);
    const std::vector<POINT> pts = Wave();
    for (auto _ : state) {
        QPolygon poly(kPolylinePoints);
        for (int i = 0; i < kPolylinePoints; ++i) poly[i] = QPoint(pts[static_cast<std::size_t>(i)].x, pts[static_cast<std::size_t>(i)].y);
        QPainter p(&img);
        QPen pen(QColor(0, 0, 255), 1, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
        pen.setCosmetic(true);
        p.setPen(pen);
        p.drawPolyline(poly);
    }
}

// The machine may be shared: each figure is the best of several repetitions,
// the one least disturbed by other work.
double Fastest(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

#define DRAW_BENCH(fn) \
    BENCHMARK(fn)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ComputeStatistics("min", Fastest)->ReportAggregatesOnly(true)

DRAW_BENCH(BM_Fill_Layer);
DRAW_BENCH(BM_Fill_QPainter);
DRAW_BENCH(BM_Blit_Layer);
DRAW_BENCH(BM_Blit_QPainter);
DRAW_BENCH(BM_Polyline_Layer);
DRAW_BENCH(BM_Polyline_QPainter);
DRAW_BENCH(BM_PolylineDib_Layer);

// Collects each run's real time per iteration for the closing ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "min")
                Results()[r.run_name.function_name] = r.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
};

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    auto& r = Results();
    for (const char* what : {"Fill", "Blit", "Polyline", "PolylineDib"}) {
        const std::string layer = std::string("BM_") + what + "_Layer";
        const std::string qt = std::string("BM_") + (std::string(what) == "PolylineDib" ? "Polyline" : what) + "_QPainter";
        if (r.count(layer) && r.count(qt) && r[qt] > 0)
            std::printf("ratio %-8s layer / QPainter = %.3f (goal: at most 1.2)\n", what, r[layer] / r[qt]);
    }
    return 0;
}
