// The client area of the trace window and of the trace-file viewer: layout
// of the title, the one to four graphs, the side panel (legend or gauges),
// the A-B details panel and the time axis; the drawing of all of them into a
// device context; and the mapping between samples and pixels that the
// scrolling, zooming and cursors use.
//
// Pixel positions and widths are 64-bit: the whole trace is N x 20 / rate
// pixels wide, 2,000,000 at 100,000 samples and rate 1, and the keep-centre
// scroll multiplies two such widths. Where several samples fall on one pixel
// column only their first, lowest, highest and last value are drawn, which
// covers exactly the pixels that drawing every sample covers.
#pragma once

#include "tools/TraceModel.h"

#include "platform/ui/DC.h"

#include <cstdint>
#include <vector>

// Where everything sits in the client area (pixels, client coordinates).
struct TraceLayout {
    CRect rcClient;
    CRect rcGraph;    // all graphs
    CRect rcTime;     // the time-axis strip
    CRect rcMarker;   // the marker strip above the graphs
    CRect rcDetails;  // the A-B details panel
    CRect rcTitle;
    CRect rcScroll;   // the horizontal scroll bar under the graphs
    int nTopOffset = 0;
    int nLeftMargin = CTraceModel::kLeftMargin;
    int nRightMargin = CTraceModel::kNarrowRightMargin;
    int nBottomOffset = 0;
    int nGraphHeight = 0;  // of one graph
    int nSplit = 1;
};

// The horizontal view: the scroll position and whole width in pixels.
struct TraceView {
    std::int64_t nScrollPos = 0;
    std::int64_t nTotalWidth = 0;
    BOOL bScrollShown = FALSE;
    int nHoverCursor = -1;  // 0 A, 1 B: the pointer is over that cursor's line
};

inline constexpr int kTraceMarkerHeight = 14;
inline constexpr int kTraceScrollHeight = 17;

// The zoom rate of an index; an index outside the table takes the nearest end.
std::int32_t TraceZoomRate(std::int32_t nZoom);
// Total width W = N x 20 / rate.
std::int64_t TraceTotalWidth(const CTraceModel& model);
// x of sample i inside the graph (0 = the graph's left edge).
std::int64_t TraceSampleX(std::int64_t nSample, std::int32_t nRate, std::int64_t nScrollPos);
// The sample under x inside the graph, clamped to 0..N.
std::int32_t TraceSampleAt(std::int64_t nX, std::int32_t nRate, std::int64_t nScrollPos, std::int32_t nTraceNum);

// Channels drawn, and the most drawn channels on one graph.
int TraceCountDrawn(const CTraceModel& model);
int TraceMaxCountInGraph(const CTraceModel& model);

// The layout for a client rectangle between a tool bar and a status bar.
TraceLayout ComputeTraceLayout(const CTraceModel& model, const CRect& rcClient, int nToolBarHeight,
                               int nStatusBarHeight);
// The scroll position after W changed from nOldWidth, keeping the centre,
// clamped; 0 and hidden when the whole trace fits.
void UpdateTraceScroll(TraceView& view, const TraceLayout& layout, std::int64_t nNewWidth, BOOL bKeepCentre);
std::int64_t ClampTraceScroll(std::int64_t nPos, std::int64_t nTotalWidth, int nGraphWidth);

// The y of a raw sample in a graph of height h (64-bit arithmetic; a range
// whose limits are equal draws every sample on its zero line).
int TraceSampleY(std::int64_t nSample, std::int64_t nMax, std::int64_t nMin, int nPosition, int nGraphHeight);
// The raw range a channel is drawn over (auto or manual).
void TraceChannelRange(const CTraceModel& model, int nChannel, std::int64_t& nMax, std::int64_t& nMin);
// The stored slot shown at display position i.
std::int32_t TraceSlotOf(const CTraceModel& model, std::int32_t nDisplay);
// A channel's value as the window writes it ("%.4f" trimmed when scaled, "%d" raw).
CString TraceValueText(const CTraceModel& model, int nChannel, std::int32_t nRaw);
CString TraceValueDifferenceText(const CTraceModel& model, int nChannel, std::int32_t nRawA, std::int32_t nRawB);

// The memory picture the client area is drawn into: a 32-bit top-down DIB
// section selected into a memory DC. The graphs are written straight into
// its pixels (grid and waveforms are most of the work); text and markers go
// through the DC.
class TraceCanvas {
public:
    TraceCanvas() = default;
    ~TraceCanvas();
    TraceCanvas(const TraceCanvas&) = delete;
    TraceCanvas& operator=(const TraceCanvas&) = delete;

    // A picture of this size (kept when it already has it); FALSE without memory.
    BOOL Resize(int nWidth, int nHeight);
    CDC& DC() { return m_dc; }
    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }
    std::uint32_t* Row(int y) { return m_pBits + static_cast<std::ptrdiff_t>(y) * m_nWidth; }

private:
    CDC m_dc;
    HBITMAP m_hBitmap;
    HGDIOBJ m_hOld;
    std::uint32_t* m_pBits = nullptr;
    int m_nWidth = 0;
    int m_nHeight = 0;
};

// A marker picture of the language library (cursor flags, trigger, zero
// marks): 32-bit pixels whose alpha is the picture's coverage.
struct TraceMarkerImage {
    int nWidth = 0;
    int nHeight = 0;
    std::vector<std::uint32_t> pixels;
};
// The marker bitmap of that id, loaded once; empty (0 x 0) when the current
// resource module has none.
const TraceMarkerImage& TraceMarker(UINT nId);
// Mixes the picture into the canvas with its top-left corner at (x, y);
// with a colour, the picture is a mask filled with that colour.
void StampTraceMarker(TraceCanvas& canvas, const TraceMarkerImage& image, int x, int y, const COLORREF* pColour);

// Fonts of the client area: the screen font and the title font of the
// window language (0 Japanese, else English).
struct TraceFonts {
    CFont screen;
    CFont title;
    void Create(int nLanguage);
};

// Draws the whole client area. bEverySample draws every sample even where
// several share a pixel column (for comparing the two pictures).
void DrawTraceClient(TraceCanvas& canvas, const CTraceModel& model, const TraceLayout& layout, const TraceView& view,
                     TraceFonts& fonts, BOOL bEverySample = FALSE);
// The pieces, for a partial redraw.
void DrawTraceGraphs(TraceCanvas& canvas, const CTraceModel& model, const TraceLayout& layout, const TraceView& view,
                     BOOL bEverySample = FALSE);
void DrawTraceTime(CDC& dc, const CTraceModel& model, const TraceLayout& layout, const TraceView& view,
                   TraceFonts& fonts);
void DrawTraceDetails(CDC& dc, const CTraceModel& model, const TraceLayout& layout, TraceFonts& fonts);
