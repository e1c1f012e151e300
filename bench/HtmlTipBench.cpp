// A rich tooltip measured and drawn: 30 lines of styled text, a table of
// 4 x 6 cells on a background effect and two icons. Reports the time per
// tooltip (goal: under 1 ms), the whole tip with its shadow and translucency
// composed, and as a baseline the same 30 lines drawn as plain text with
// QPainter in the same run.
#include "htmltip/GdiMarkupImage.h"
#include "htmltip/HtmlDrawer.h"
#include "htmltip/HtmlToolTip.h"
#include "htmltip/MarkupHandleTable.h"

#include "platform/ui/DC.h"
#include "platform/ui/WindowSurface.h"

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kLines = 30;

std::map<std::string, double>& Results()
{
    static std::map<std::string, double> results;
    return results;
}

HICON MakeIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(qRgba(30, 120, 200, 255));
    return platform::IconFromImage(image);
}

struct Icons {
    htmltip::ScopedMarkupHandle small{htmltip::MarkupImageKind::Icon, htmltip::GdiMarkupImage::FromIcon(MakeIcon(16))};
    htmltip::ScopedMarkupHandle large{htmltip::MarkupImageKind::Icon, htmltip::GdiMarkupImage::FromIcon(MakeIcon(32))};
};

Icons& TheIcons()
{
    static Icons icons;
    return icons;
}

std::u16string ToU16(const std::string& s) { return std::u16string(s.begin(), s.end()); }

std::u16string RichMarkup()
{
    std::u16string markup = u"<icon handle=" + ToU16(std::to_string(TheIcons().small.Number())) +
                            u"> <h2>Axis 1</h2> <icon handle=" + ToU16(std::to_string(TheIcons().large.Number())) +
                            u"><br>";
    for (int i = 0; i < kLines; ++i) {
        markup += u"<b>K" + ToU16(std::to_string(i + 1)) + u"</b> <i>speed limit</i> <font color=#c00000>" +
                  ToU16(std::to_string(100 + i * 7)) + u"</font> mm/s, <u>accel.</u> 0." + ToU16(std::to_string(i % 10)) +
                  u" G<br>";
    }
    markup += u"<table border=1 cellpadding=2 bgeffect=softbump bgcolor=#ffffff bgmidcolor=#dde8ff "
              u"bgendcolor=#a0b8e0>";
    for (int r = 0; r < 6; ++r) {
        markup += u"<tr>";
        for (int c = 0; c < 4; ++c) markup += u"<td>P" + ToU16(std::to_string(r * 4 + c)) + u"</td>";
        markup += u"</tr>";
    }
    markup += u"</table>";
    return markup;
}

// Measure and draw, as a tooltip does when it shows.
void BM_RichTooltip(benchmark::State& state)
{
    const CString markup(RichMarkup());
    CHtmlDrawer drawer;
    CDC measure;
    measure.CreateCompatibleDC(nullptr);
    SIZE size{};
    for (auto _ : state) {
        size = drawer.PrepareOutput(&measure, markup);
        CDC dc;
        dc.CreateCompatibleDC(nullptr);
        CBitmap bitmap;
        bitmap.Attach(::CreateBitmap(size.cx, size.cy, 1, 32, nullptr));
        CBitmap* old = dc.SelectObject(&bitmap);
        const RECT all{0, 0, size.cx, size.cy};
        dc.FillSolidRect(&all, RGB(255, 255, 225));
        drawer.DrawPreparedOutput(&dc, all);
        dc.SelectObject(old);
    }
    state.counters["width"] = size.cx;
    state.counters["height"] = size.cy;
}

// The whole tip: layout, balloon shape, background, shadow and translucency.
void BM_RichTooltipComposed(benchmark::State& state)
{
    const CString markup(RichMarkup());
    CHtmlToolTip tip;
    tip.Create(nullptr, TRUE);
    tip.SetTransparency(10);
    for (auto _ : state) {
        tip.ShowHelpTooltip(POINT{400, 600}, markup.GetString());
        tip.Pop();
    }
    tip.DestroyWindow();
}

void BM_PlainText_QPainter(benchmark::State& state)
{
    std::vector<QString> lines;
    for (int i = 0; i < kLines; ++i)
        lines.push_back(QStringLiteral("K%1 speed limit %2 mm/s, accel. 0.%3 G").arg(i + 1).arg(100 + i * 7).arg(i % 10));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(13);
    for (auto _ : state) {
        QImage image(300, 16 * kLines, QImage::Format_RGB32);
        image.fill(qRgb(255, 255, 225));
        QPainter p(&image);
        p.setFont(font);
        for (int i = 0; i < kLines; ++i) p.drawText(0, 13 + 16 * i, lines[static_cast<std::size_t>(i)]);
    }
}

// The machine may be shared: each figure is the best of several repetitions.
double Fastest(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

#define TIP_BENCH(fn) \
    BENCHMARK(fn)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ComputeStatistics("min", Fastest)->ReportAggregatesOnly(true)

TIP_BENCH(BM_RichTooltip);
TIP_BENCH(BM_RichTooltipComposed);
TIP_BENCH(BM_PlainText_QPainter);

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
    const double tip = r["BM_RichTooltip"];
    const double composed = r["BM_RichTooltipComposed"];
    const double plain = r["BM_PlainText_QPainter"];
    std::printf("rich tooltip measured and drawn: %.3f ms per tooltip (goal: under 1 ms)\n", tip / 1000.0);
    std::printf("rich tooltip with shape, shadow and translucency: %.3f ms\n", composed / 1000.0);
    if (plain > 0) std::printf("ratio rich tooltip / the plain text with QPainter = %.2f\n", tip / plain);
    return 0;
}
