#include "simulator/core/WaveChart.h"

#include "resources/simulator/pellarun_ids.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

std::int64_t MoveLengthMs(const MotionResult& result)
{
    return static_cast<std::int64_t>(result.totalTimeMs) + result.dwellMs;
}

int SafeZoom(int zoom) { return zoom > 0 ? zoom : 1; }

// Whole pixels per millisecond at a zoom, at least 1.
int PixelsPerMs(int zoom) { return std::max(1, 20 / SafeZoom(zoom)); }

}  // namespace

bool WaveChartView::StepZoom(bool in)
{
    if (in) {
        if (m_zoomStep > 0) --m_zoomStep;
        return m_zoomStep > 0;
    }
    if (m_zoomStep < kZoomStepCount - 1) ++m_zoomStep;
    return m_zoomStep < kZoomStepCount - 1;
}

std::int64_t WaveLengthMs(const std::vector<MotionResult>& results, bool allMoves, int move)
{
    if (!allMoves) {
        if (move < 0 || move >= static_cast<int>(results.size())) return 0;
        return MoveLengthMs(results[static_cast<std::size_t>(move)]);
    }
    std::int64_t total = 0;
    for (const MotionResult& result : results) total += MoveLengthMs(result);
    return total;
}

namespace {

// One move on the chart's time line: a zero at its first millisecond, the
// acceleration ramp, the constant speed, the deceleration ramp, the dwell.
struct MoveSpan {
    float peak = 0;
    std::int64_t accel = 0;
    std::int64_t constant = 0;
    std::int64_t decel = 0;
    std::int64_t dwell = 0;

    explicit MoveSpan(const MotionResult& result)
        : peak(static_cast<float>(result.peakSpeed)),
          accel(static_cast<std::int64_t>(result.accelTimeMs)),
          constant(static_cast<std::int64_t>(result.constTimeMs)),
          decel(static_cast<std::int64_t>(result.decelTimeMs)),
          dwell(std::max<std::int64_t>(result.dwellMs, 0))
    {
    }
    std::int64_t Length() const { return 1 + accel + constant + decel + dwell; }

    // The speed at millisecond t (0 .. Length() - 1) of the move.
    float At(std::int64_t t, const MotionLibrary& library) const
    {
        if (t <= 0) return 0.0f;
        if (t <= accel) return library.AccelVel(peak, static_cast<std::int32_t>(t), static_cast<std::int32_t>(accel));
        t -= accel;
        if (t <= constant) return peak;
        t -= constant;
        if (t <= decel) return library.DecelVel(peak, static_cast<std::int32_t>(t), static_cast<std::int32_t>(decel));
        return 0.0f;
    }
};

}  // namespace

bool BuildSpeedWaveform(const std::vector<MotionResult>& results, const WaveRequest& request,
                        const MotionLibrary& library, float maxSpeedMmS, WaveSeries& series)
{
    series = WaveSeries();
    series.used = true;
    series.label.LoadString(IDS_CHART_SPEED_LABEL);
    series.maximum = maxSpeedMmS;
    const int moveCount = static_cast<int>(results.size());
    if (!request.allMoves && (request.move < 0 || request.move >= moveCount)) return false;
    if (WaveLengthMs(results, request.allMoves, request.move) >= kMaxWaveLengthMs) return false;
    if (!library.IsLoaded()) return false;

    // Sample 1 is the first visible millisecond; sample 0 (not drawn) the one
    // before it, or a zero when the view starts at the beginning.
    const double pixelsPerMs = 20.0 / SafeZoom(request.zoom);
    const std::int64_t visible = static_cast<std::int64_t>((std::max(request.plotWidth, 0) + 20) / pixelsPerMs + 1);
    std::int64_t s = static_cast<std::int64_t>(std::max(request.scroll, 0) / pixelsPerMs);
    if (s != 0) --s;
    if (s == 0) series.samples.push_back(0.0f);

    int move = request.allMoves ? 0 : request.move;
    const int lastMove = request.allMoves ? moveCount - 1 : request.move;
    while (move <= lastMove && s >= MoveSpan(results[static_cast<std::size_t>(move)]).Length()) {
        s -= MoveSpan(results[static_cast<std::size_t>(move)]).Length();
        ++move;
    }
    const std::size_t limit = static_cast<std::size_t>(visible) + 1;
    for (; move <= lastMove && series.samples.size() <= limit; ++move) {
        const MoveSpan span(results[static_cast<std::size_t>(move)]);
        const bool highlighted = request.allMoves && move == request.move;
        if (highlighted) series.firstHighlighted = static_cast<int>(series.samples.size());
        for (std::int64_t t = s; t < span.Length() && series.samples.size() <= limit; ++t)
            series.samples.push_back(span.At(t, library));
        if (highlighted) series.lastHighlighted = static_cast<int>(series.samples.size()) - 1;
        s = 0;
    }
    return true;
}

WaveChartLayout LayoutWaveChart(const RECT& client, int textHeight, int usedSeries)
{
    WaveChartLayout layout;
    layout.client = client;
    const int left = 15 + (5 + 10 + textHeight) * usedSeries;
    layout.plot = RECT{client.left + left, client.top + 10, client.right - 20, client.bottom - 10};
    layout.timeBand = RECT{client.left, layout.plot.bottom, client.right, layout.plot.bottom + textHeight + 5};
    return layout;
}

int ValueLineY(int plotHeight, int i)
{
    return static_cast<int>(plotHeight - plotHeight / 11.0 * i);
}

int SampleX(int j, int zoom, int scroll)
{
    const int offset = std::max(scroll, 0) % PixelsPerMs(zoom);
    return static_cast<int>(static_cast<std::int64_t>(j - 1) * 20 / SafeZoom(zoom)) - offset;
}

int SampleY(float value, int plotHeight, float maximum)
{
    const double scale = maximum > 0 ? (plotHeight / 11.0 * 10.0) / maximum : 0.0;
    const double scaled = value * scale;
    const double held = std::clamp(scaled, static_cast<double>(INT_MIN / 2), static_cast<double>(INT_MAX / 2));
    return (plotHeight - 1) - static_cast<int>(held);
}

std::vector<GridLine> VerticalGridLines(int plotWidth, int scroll)
{
    std::vector<GridLine> lines;
    scroll = std::max(scroll, 0);
    for (std::int64_t i = (scroll + 19) / 20;; ++i) {
        const std::int64_t x = 20 * i - scroll;
        if (x >= plotWidth) break;
        lines.push_back(GridLine{static_cast<int>(x), i % 5 == 0});
    }
    return lines;
}

std::vector<TimeLabel> TimeAxisLabels(const RECT& plot, int scroll, int zoom)
{
    std::vector<TimeLabel> labels;
    scroll = std::max(scroll, 0);
    if (scroll == 0) labels.push_back(TimeLabel{plot.left, CString(u"0s")});
    for (std::int64_t i = std::max<std::int64_t>(1, scroll / 100);; ++i) {
        const std::int64_t x = plot.left + 100 * i - scroll;
        if (x >= plot.right) break;
        if (x < plot.left) continue;
        const std::int64_t ms = static_cast<std::int64_t>(SafeZoom(zoom)) * 5 * i;
        TimeLabel label;
        label.x = static_cast<int>(x);
        if (ms < 1000)
            label.text.Format(u"%dms", static_cast<int>(ms));
        else
            label.text.Format(u"%.2fs", static_cast<double>(ms) / 1000.0);
        labels.push_back(label);
    }
    return labels;
}

int WaveScrollLimit(std::int64_t lengthMs, int zoom, int plotWidth)
{
    const std::int64_t width = std::max<std::int64_t>(lengthMs, 0) * 20 / SafeZoom(zoom);
    const std::int64_t limit = width - plotWidth;
    if (limit <= 0) return 0;
    return static_cast<int>(std::min<std::int64_t>(limit, INT_MAX));
}

int NextWaveScroll(int code, int position, int trackPosition, int limit)
{
    int next = position;
    switch (code) {
    case 0: next = position - kWaveScrollPage / 5; break;
    case 1: next = position + kWaveScrollPage / 5; break;
    case 2: next = position - kWaveScrollPage; break;
    case 3: next = position + kWaveScrollPage; break;
    case 4:
    case 5: next = trackPosition; break;
    case 6: next = 0; break;
    case 7: next = limit; break;
    default: break;
    }
    return std::clamp(next, 0, std::max(limit, 0));
}
