// The data of the result detail window's speed chart: the speed samples of
// the visible part of the waveform (one per millisecond, built from the move
// results and the library's cosine ramps), and where the chart puts them,
// its grid lines and its time labels. The drawing itself belongs to the
// window.
#pragma once

#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"
#include "simulator/core/MotionLibrary.h"
#include "simulator/core/MoveTypes.h"

#include <cstdint>
#include <vector>

// Milliseconds shown per 20 pixels, by zoom step 0..7.
inline constexpr int kZoomTableMs[] = {2, 4, 10, 20, 40, 100, 200, 400};
inline constexpr int kZoomStepCount = 8;
inline constexpr int kDefaultZoomStep = 5;
// A waveform of this many milliseconds or more is not built.
inline constexpr std::int64_t kMaxWaveLengthMs = 200000001;

struct WaveSeries {
    bool used = false;
    CString label;
    float maximum = 100.0f;  // the value at the top value line
    COLORREF lineColour = RGB(0, 0, 255);
    COLORREF highlightColour = RGB(255, 0, 0);
    int firstHighlighted = -1;  // sample indexes of the highlighted move
    int lastHighlighted = -1;
    std::vector<float> samples;  // element 0 is not drawn

    // Whether the segment from sample i to sample i + 1 belongs to the
    // highlighted move.
    bool IsHighlightedSegment(int i) const { return firstHighlighted >= 0 && i >= firstHighlighted && i < lastHighlighted; }
};

// Zoom and scroll of one chart.
class WaveChartView {
public:
    int ZoomStep() const { return m_zoomStep; }
    // Milliseconds per 20 pixels.
    int Zoom() const { return kZoomTableMs[m_zoomStep]; }
    // One step in (fewer ms per 20 pixels) or out; true while a further step
    // in that direction remains.
    bool StepZoom(bool in);
    int Scroll() const { return m_scroll; }
    void SetScroll(int pixels) { m_scroll = pixels < 0 ? 0 : pixels; }
    // 1: one move is shown; 0: all moves, the selected one highlighted.
    int Mode() const { return m_mode; }
    void SetMode(int mode) { m_mode = mode; }

private:
    int m_zoomStep = kDefaultZoomStep;
    int m_scroll = 0;
    int m_mode = 1;
};

// Length of the chart in whole ms, dwell included: every move, or the one
// move (0-based) when allMoves is false.
std::int64_t WaveLengthMs(const std::vector<MotionResult>& results, bool allMoves, int move);

struct WaveRequest {
    bool allMoves = false;  // all moves one after another
    int move = 0;           // the move shown (single view) or highlighted (all moves), 0-based
    int plotWidth = 0;      // pixels
    int zoom = kZoomTableMs[kDefaultZoomStep];
    int scroll = 0;         // pixels of the whole waveform
};

// Samples the visible part of the speed waveform into series (used, label
// string 240, maximum speed, the highlighted move). On the time line each
// move takes 1 + its whole phase lengths in ms: a zero, the ramp up, the
// constant speed, the ramp down, the dwell. Sample 1 is the first visible
// millisecond and sample 0 the one before it (a zero when the view starts
// at the beginning), so a scrolled view shows the same milliseconds as the
// whole waveform. At most one plot width and a little is built. False, with
// no samples,
// when the waveform is kMaxWaveLengthMs or longer or the library is not
// bound: the chart then shows string 274 and its scrolling and zooming are
// switched off.
bool BuildSpeedWaveform(const std::vector<MotionResult>& results, const WaveRequest& request,
                        const MotionLibrary& library, float maxSpeedMmS, WaveSeries& series);

// Where the chart draws. Rectangles are in the owner's client coordinates.
struct WaveChartLayout {
    RECT client{};
    RECT plot{};
    RECT timeBand{};
};
WaveChartLayout LayoutWaveChart(const RECT& client, int textHeight, int usedSeries);

// The plot's value lines: y (from the plot's top) of line i = h - h / 11 x i.
int ValueLineY(int plotHeight, int i);
// Sample j (1 .. count - 1) of the series at the zoom and scroll: its x in
// the plot (the first drawn sample sits at -offset) and the y of a value.
int SampleX(int j, int zoom, int scroll);
int SampleY(float value, int plotHeight, float maximum);

struct GridLine {
    int position = 0;  // x in the plot
    bool solid = false;
};
// Vertical grid lines within the plot: dotted every 20 pixels, solid every 100.
std::vector<GridLine> VerticalGridLines(int plotWidth, int scroll);

struct TimeLabel {
    int x = 0;  // centre, in client coordinates
    CString text;
};
// The labels of the time axis: "0s" at the plot's left edge when not
// scrolled, then one every 100 pixels ("%dms" below 1 s, "%.2fs" from 1 s).
std::vector<TimeLabel> TimeAxisLabels(const RECT& plot, int scroll, int zoom);

// Scroll range for a waveform of lengthMs at the zoom, in pixels: 0 when the
// whole waveform fits into the plot (the scroll bar is then hidden).
int WaveScrollLimit(std::int64_t lengthMs, int zoom, int plotWidth);

// The chart's scroll bar: a line is a fifth of the page, the page 300
// pixels. Codes are those of WM_HSCROLL (SB_LINELEFT = 0 ... SB_RIGHT = 7).
inline constexpr int kWaveScrollPage = 300;
int NextWaveScroll(int code, int position, int trackPosition, int limit);
