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
SIZE MeasureAndDraw(CHtmlDrawer& drawer, CDC& measure, const CString& markup)
{
    const SIZE size = drawer.PrepareOutput(&measure, markup);
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CBitmap bitmap;
    bitmap.Attach(::CreateBitmap(size.cx, size.cy, 1, 32, nullptr));
    CBitmap* old = dc.SelectObject(&bitmap);
    const RECT all{0, 0, size.cx, size.cy};
    dc.FillSolidRect(&all, RGB(255, 255, 225));
    drawer.DrawPreparedOutput(&dc, all);
    dc.SelectObject(old);
    return size;
}

void BM_RichTooltip(benchmark::State& state)
{
    const CString markup(RichMarkup());
    CHtmlDrawer drawer;
    CDC measure;
    measure.CreateCompatibleDC(nullptr);
    SIZE size{};
    for (auto _ : state) size = MeasureAndDraw(drawer, measure, markup);
    state.counters["width"] = size.cx;
    state.counters["height"] = size.cy;
}

// The first show: a new drawer with nothing in its font cache.
void BM_RichTooltipCold(benchmark::State& state)
{
    const CString markup(RichMarkup());
    CDC measure;
    measure.CreateCompatibleDC(nullptr);
    for (auto _ : state) {
        CHtmlDrawer drawer;
        MeasureAndDraw(drawer, measure, markup);
    }
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

// The same, each show a tip of another size than the one before, so that
// nothing of the last show's shadow can be used again.
void BM_RichTooltipComposedNewShape(benchmark::State& state)
{
    const CString markups[2] = {CString(RichMarkup()), CString(RichMarkup() + u"<br>one line more")};
    CHtmlToolTip tip;
    tip.Create(nullptr, TRUE);
    tip.SetTransparency(10);
    int i = 0;
    for (auto _ : state) {
        tip.ShowHelpTooltip(POINT{400, 600}, markups[i++ % 2].GetString());
        tip.Pop();
    }
    tip.DestroyWindow();
}

// Text that wraps: a long run of words laid out at a fixed width. The time
// must grow with the length of the text, not with its square or cube.
std::u16string WrappingText(std::size_t bytes, bool strayLess)
{
    static const char16_t* const words[] = {u"speed", u"limit", u"acceleration", u"point", u"table", u"axis",
                                            u"home", u"jog", u"alarm", u"K12", u"mm/s", u"0.35"};
    std::u16string text;
    std::size_t i = 0;
    while (text.size() < bytes) {
        text += words[i % 12];
        // A "<" that starts no tag, every few words.
        text += strayLess && i % 7 == 3 ? u" < " : u" ";
        ++i;
    }
    text.resize(bytes);
    return text;
}

void BM_WrappingText(benchmark::State& state)
{
    const CString markup(WrappingText(static_cast<std::size_t>(state.range(0)), state.range(1) != 0));
    CHtmlDrawer drawer;
    drawer.SetMaxWidth(400);
    CDC measure;
    measure.CreateCompatibleDC(nullptr);
    SIZE size{};
    for (auto _ : state) size = drawer.PrepareOutput(&measure, markup);
    state.counters["height"] = size.cy;
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

// The machine may be shared: each figure is the median and the 90th percentile
// of many short measurements, not the best of them.
double Percentile90(const std::vector<double>& v)
{
    std::vector<double> sorted(v);
    std::sort(sorted.begin(), sorted.end());
    if (sorted.empty()) return 0.0;
    return sorted[std::min(sorted.size() - 1, sorted.size() * 9 / 10)];
}

#define TIP_BENCH(fn)                         \
    BENCHMARK(fn)                             \
        ->Unit(benchmark::kMicrosecond)       \
        ->Iterations(20)                      \
        ->Repetitions(50)                     \
        ->ComputeStatistics("p90", Percentile90) \
        ->ReportAggregatesOnly(true)

TIP_BENCH(BM_RichTooltip);
TIP_BENCH(BM_RichTooltipCold);
TIP_BENCH(BM_RichTooltipComposed);
TIP_BENCH(BM_RichTooltipComposedNewShape);
TIP_BENCH(BM_PlainText_QPainter);
BENCHMARK(BM_WrappingText)
    ->Unit(benchmark::kMillisecond)
    ->Args({2048, 0})
    ->Args({8192, 0})
    ->Args({65536, 0})
    ->Args({65536, 1})
    ->Iterations(1)
    ->Repetitions(30)
    ->ComputeStatistics("p90", Percentile90)
    ->ReportAggregatesOnly(true);

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Aggregate && (r.aggregate_name == "median" || r.aggregate_name == "p90"))
                Results()[r.run_name.function_name + (r.run_name.args.empty() ? "" : "/" + r.run_name.args) + " " + r.aggregate_name] = r.GetAdjustedRealTime();
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
    auto line = [&](const char* label, const std::string& name, const char* goal) {
        // Figures come in each benchmark's own unit: microseconds, milliseconds for the layout.
        const double scale = name.rfind("BM_WrappingText", 0) == 0 ? 1.0 : 1000.0;
        std::printf("%-52s median %.3f ms, p90 %.3f ms  (%s)\n", label, r[name + " median"] / scale,
                    r[name + " p90"] / scale, goal);
    };
    line("rich tooltip measured and drawn (warm):", "BM_RichTooltip", "goal: under 0.5 ms");
    line("rich tooltip measured and drawn (cold):", "BM_RichTooltipCold", "goal: under 1 ms");
    line("rich tooltip with shape, shadow and translucency:", "BM_RichTooltipComposed", "goal: under 2 ms");
    line("the same, each show a tip of a new size:", "BM_RichTooltipComposedNewShape", "goal: under 2 ms");
    line("the same lines as plain text with QPainter:", "BM_PlainText_QPainter", "for scale");
    line("64 KB of wrapping text laid out:", "BM_WrappingText/65536/0", "goal: under 5 ms");
    line("64 KB of wrapping text with stray \"<\" laid out:", "BM_WrappingText/65536/1", "goal: under 5 ms");
    return 0;
}

