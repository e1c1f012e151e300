#include "tools/trace/TraceDrawing.h"

#include "tools/TraceScaling.h"
#include "tools/TraceText.h"

#include "resources/tools/ZeblLangLib_ids.h"

#include "platform/core/ResourceModule.h"
#include "platform/ui/ResourceImages.h"

#include <algorithm>
#include <limits>
#include <map>
#include <vector>

namespace {

constexpr COLORREF kGridColour = 0xC0C0C0;
constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kBlack = 0x000000;
constexpr COLORREF kRed = 0x0000FF;
constexpr int kPixelsPerStep = 20;
// Sample y values are kept this far around the graph so that no coordinate
// overflows the drawing layer; the clip hides them anyway.
constexpr int kYGuard = 4096;

COLORREF ButtonFace() { return ::GetSysColor(COLOR_BTNFACE); }

// A DIB pixel (blue, green, red, alpha from the low byte) of a GDI colour.
std::uint32_t PixelOf(COLORREF c)
{
    return 0xFF000000u | (static_cast<std::uint32_t>(c & 0xFF) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}

// Writes into the canvas inside one clip rectangle.
class PixelPainter {
public:
    PixelPainter(TraceCanvas& canvas, const CRect& clip) : m_canvas(canvas)
    {
        m_left = std::max<int>(clip.left, 0);
        m_top = std::max<int>(clip.top, 0);
        m_right = std::min<int>(clip.right, canvas.Width());
        m_bottom = std::min<int>(clip.bottom, canvas.Height());
    }
    void Fill(int l, int t, int r, int b, std::uint32_t pixel)
    {
        l = std::max(l, m_left);
        t = std::max(t, m_top);
        r = std::min(r, m_right);
        b = std::min(b, m_bottom);
        for (int y = t; y < b; ++y) std::fill(m_canvas.Row(y) + l, m_canvas.Row(y) + std::max(l, r), pixel);
    }
    void Dot(int x, int y, std::uint32_t pixel)
    {
        if (x >= m_left && x < m_right && y >= m_top && y < m_bottom) m_canvas.Row(y)[x] = pixel;
    }
    // A line w pixels wide: every pixel of the thin line stamped as a w x w square.
    void Line(int x0, int y0, int x1, int y1, int w, std::uint32_t pixel)
    {
        const int o = (w - 1) / 2;
        if (x0 == x1) {
            Fill(x0 - o, std::min(y0, y1) - o, x0 - o + w, std::max(y0, y1) - o + w, pixel);
            return;
        }
        if (y0 == y1) {
            Fill(std::min(x0, x1) - o, y0 - o, std::max(x0, x1) - o + w, y0 - o + w, pixel);
            return;
        }
        const int dx = std::abs(x1 - x0);
        const int dy = -std::abs(y1 - y0);
        const int sx = x0 < x1 ? 1 : -1;
        const int sy = y0 < y1 ? 1 : -1;
        int error = dx + dy;
        for (;;) {
            if (w == 1) Dot(x0, y0, pixel);
            else Fill(x0 - o, y0 - o, x0 - o + w, y0 - o + w, pixel);
            if (x0 == x1 && y0 == y1) break;
            const int e2 = 2 * error;
            if (e2 >= dy) {
                error += dy;
                x0 += sx;
            }
            if (e2 <= dx) {
                error += dx;
                y0 += sy;
            }
        }
    }

private:
    TraceCanvas& m_canvas;
    int m_left, m_top, m_right, m_bottom;
};

CString FontFace()
{
    CString face;
    if (!face.LoadString(IDS_TRACE_FONT_FACE) || face.IsEmpty()) face = u"Tahoma";
    return face;
}

int GraphTop(const TraceLayout& layout, int k) { return layout.rcGraph.top + k * (layout.nGraphHeight + 1); }

int ZeroLineY(int nPosition, int h)
{
    const int pos = std::clamp(nPosition, kMinPosition, kMaxPosition);
    return h - (11 - pos) * (h / 10) - 1;
}

void DrawGrid(PixelPainter& paint, const CTraceModel& model, const TraceLayout& layout, const TraceView& view, int top)
{
    const int h = layout.nGraphHeight;
    const int left = layout.rcGraph.left;
    const int width = layout.rcGraph.Width();
    const std::int32_t rate = TraceZoomRate(model.m_GraphSet.ZOOM);
    const std::uint32_t grid = PixelOf(kGridColour);
    // Solid lines every 100 pixels fall on the trigger position.
    const std::int64_t triggerX = static_cast<std::int64_t>(model.m_nTriggerPos) * kPixelsPerStep / rate;
    std::int64_t phase = (triggerX - view.nScrollPos) % 100;
    if (phase < 0) phase += 100;
    for (std::int64_t x = phase % 20; x < width; x += 20) {
        const int px = left + static_cast<int>(x);
        if ((x - phase) % 100 == 0) {
            paint.Fill(px, top, px + 1, top + h, grid);
        } else {
            for (int y = top; y < top + h; y += 2) paint.Dot(px, y, grid);
        }
    }
    const int tenth = h / 10;
    for (int j = 1; j < 10; ++j) {
        if (j == 5 || tenth == 0) continue;
        for (int x = left; x < left + width; x += 2) paint.Dot(x, top + j * tenth, grid);
    }
    for (int y : {0, h - 1, h / 2}) paint.Fill(left, top + y, left + width, top + y + 1, grid);
}

// Adds the points of one channel's waveform in graph coordinates.
void WavePoints(const CTraceModel& model, int ch, const TraceLayout& layout, const TraceView& view, int top,
                BOOL bEverySample, std::vector<POINT>& points)
{
    points.clear();
    const std::int32_t n = model.m_nAllocatedNum;
    if (n < 0 || !model.m_DispData.IsAllocated()) return;
    const int h = layout.nGraphHeight;
    const int left = layout.rcGraph.left;
    const int width = layout.rcGraph.Width();
    const std::int32_t rate = TraceZoomRate(model.m_GraphSet.ZOOM);
    std::int64_t nMax = 0;
    std::int64_t nMin = 0;
    TraceChannelRange(model, ch, nMax, nMin);
    const int position = model.m_GraphSet.POSITION_CH[ch];
    // The ring and where it stands, from one moment of a running trace.
    const auto held = model.LockSamples();
    const std::int32_t* samples = model.m_DispData.pCh[ch];
    const bool ring = model.m_Options.GRAPH_DISP_MODE && model.m_nUpdatePointer != -1 && model.m_bPtrLooped;
    const std::int32_t update = model.m_nUpdatePointer;
    auto sample = [&](std::int64_t i) {
        std::int64_t slot = i;
        if (ring) slot = (update + i) % (static_cast<std::int64_t>(n) + 1);
        return samples[slot];
    };
    auto yOf = [&](std::int32_t s) { return top + TraceSampleY(s, nMax, nMin, position, h); };

    // First sample whose x is at least -(20 / rate), last one past the right edge.
    const std::int64_t step = kPixelsPerStep / rate;
    std::int64_t first = std::clamp<std::int64_t>((view.nScrollPos - step) * rate / kPixelsPerStep - 1, 0, n);
    while (first < n && TraceSampleX(first, rate, view.nScrollPos) < -step) ++first;
    std::int64_t last = ((view.nScrollPos + width + step + 1) * rate) / kPixelsPerStep + 1;
    last = std::clamp<std::int64_t>(last, first, n);

    if (bEverySample || rate <= kPixelsPerStep) {
        points.reserve(static_cast<std::size_t>(last - first + 1));
        for (std::int64_t i = first; i <= last; ++i)
            points.push_back(POINT{left + static_cast<LONG>(TraceSampleX(i, rate, view.nScrollPos)), yOf(sample(i))});
        return;
    }
    // Several samples per pixel column: first, lowest, highest, last. Column X
    // (whole-trace pixels) holds the samples i with i x 20 / rate == X.
    points.reserve(static_cast<std::size_t>((width + 4) * 4));
    for (std::int64_t column = TraceSampleX(first, rate, 0);; ++column) {
        const std::int64_t i0 = std::max<std::int64_t>((column * rate + kPixelsPerStep - 1) / kPixelsPerStep, first);
        const std::int64_t i1 = std::min<std::int64_t>(((column + 1) * rate + kPixelsPerStep - 1) / kPixelsPerStep - 1, last);
        if (i0 > last) break;
        if (i1 < i0) continue;
        const std::int32_t firstValue = sample(i0);
        const std::int32_t lastValue = sample(i1);
        std::int32_t lo = firstValue;
        std::int32_t hi = firstValue;
        if (!ring) {
            for (const std::int32_t* p = samples + i0 + 1; p <= samples + i1; ++p) {
                lo = std::min(lo, *p);
                hi = std::max(hi, *p);
            }
        } else {
            for (std::int64_t j = i0 + 1; j <= i1; ++j) {
                lo = std::min(lo, sample(j));
                hi = std::max(hi, sample(j));
            }
        }
        const LONG px = left + static_cast<LONG>(column - view.nScrollPos);
        points.push_back(POINT{px, yOf(firstValue)});
        if (i1 > i0) {
            // Visit the span in the direction that ends nearest the last value.
            const bool down = firstValue >= lastValue;
            points.push_back(POINT{px, yOf(down ? hi : lo)});
            points.push_back(POINT{px, yOf(down ? lo : hi)});
            points.push_back(POINT{px, yOf(lastValue)});
        }
    }
}

void DrawWaves(PixelPainter& paint, const CTraceModel& model, const TraceLayout& layout, const TraceView& view,
               int graph, BOOL bEverySample)
{
    const int top = GraphTop(layout, graph);
    std::vector<POINT> points;
    for (int ch = 0; ch < kTraceChannelCount; ++ch) {
        if (!model.m_GraphSet.DRAW_CH[ch] || model.m_GraphSet.GRAPH_NO_CH[ch] != graph) continue;
        WavePoints(model, ch, layout, view, top, bEverySample, points);
        if (points.size() < 2) continue;
        const int width = std::clamp(model.m_GraphSet.LINE_WIDTH_CH[ch], 1, 3);
        const std::uint32_t pixel = PixelOf(model.m_GraphSet.crChannel[ch]);
        for (std::size_t i = 1; i < points.size(); ++i)
            paint.Line(points[i - 1].x, points[i - 1].y, points[i].x, points[i].y, width, pixel);
    }
}

// A zero mark left of the graph at a channel's zero value, or an arrow at
// the top or bottom edge when that value lies outside the graph.
void DrawZeroMarks(TraceCanvas& canvas, const CTraceModel& model, const TraceLayout& layout, int graph)
{
    const int top = GraphTop(layout, graph);
    const int h = layout.nGraphHeight;
    const int right = layout.rcGraph.left - 1;
    const TraceMarkerImage& notch = TraceMarker(IDB_KXW_MARK_ZERO);
    const TraceMarkerImage& up = TraceMarker(IDB_KXW_MARK_ZERO_UP);
    const TraceMarkerImage& down = TraceMarker(IDB_KXW_MARK_ZERO_DOWN);
    for (int ch = 0; ch < kTraceChannelCount; ++ch) {
        if (!model.m_GraphSet.DRAW_CH[ch] || model.m_GraphSet.GRAPH_NO_CH[ch] != graph) continue;
        std::int64_t nMax = 0;
        std::int64_t nMin = 0;
        TraceChannelRange(model, ch, nMax, nMin);
        const int y = TraceSampleY(0, nMax, nMin, model.m_GraphSet.POSITION_CH[ch], h);
        const COLORREF colour = model.m_GraphSet.crChannel[ch];
        if (y < 0) StampTraceMarker(canvas, up, right - up.nWidth, top, &colour);
        else if (y >= h) StampTraceMarker(canvas, down, right - down.nWidth, top + h - down.nHeight, &colour);
        else StampTraceMarker(canvas, notch, right - notch.nWidth + 1, top + y - notch.nHeight / 2, &colour);
    }
}

// A marker of the marker strip with its point on column px.
void StampStripMarker(TraceCanvas& canvas, const TraceLayout& layout, UINT nId, int px)
{
    const TraceMarkerImage& image = TraceMarker(nId);
    StampTraceMarker(canvas, image, px - image.nWidth / 2, layout.rcMarker.bottom - image.nHeight, nullptr);
}

void DrawMarkers(TraceCanvas& canvas, const CTraceModel& model, const TraceLayout& layout, const TraceView& view)
{
    CDC& dc = canvas.DC();
    const std::int32_t rate = TraceZoomRate(model.m_GraphSet.ZOOM);
    const int left = layout.rcGraph.left;
    const int width = layout.rcGraph.Width();
    const std::int32_t n = std::max(model.m_nAllocatedNum, 0);
    auto inside = [&](std::int64_t x) { return x >= 0 && x < width; };
    auto allGraphs = [&](int x, CPen& pen) {
        CPen* old = dc.SelectObject(&pen);
        dc.SetBkMode(TRANSPARENT);
        for (int k = 0; k < layout.nSplit; ++k) {
            const int top = GraphTop(layout, k);
            dc.MoveTo(x, top);
            dc.LineTo(x, top + layout.nGraphHeight);
        }
        dc.SelectObject(old);
    };
    // The write position of a monitor trace.
    if (model.m_TraceSet.TRACE_MODE == 0 && !model.IsFileShown() && model.m_nUpdatePointer != -1) {
        std::int64_t display = model.m_nUpdatePointer;
        if (model.m_Options.GRAPH_DISP_MODE && model.m_bPtrLooped) display = n;
        const std::int64_t x = TraceSampleX(display, rate, view.nScrollPos);
        if (inside(x)) {
            CPen red(PS_SOLID, 1, kRed);
            allGraphs(left + static_cast<int>(x), red);
        }
    }
    // B first, then A on top of it.
    for (int c : {1, 0}) {
        if (!model.m_bCursorShown[c]) continue;
        const std::int64_t x = TraceSampleX(model.m_nCursorPos[c], rate, view.nScrollPos);
        if (!inside(x)) continue;
        const int px = left + static_cast<int>(x);
        CPen pen(c == 0 ? PS_DASHDOT : PS_DASHDOTDOT, 1, kBlack);
        allGraphs(px, pen);
        StampStripMarker(canvas, layout, c == 0 ? IDB_KXW_MARK_A : IDB_KXW_MARK_B, px);
    }
    // The trigger of a trigger trace.
    if (model.m_TraceSet.TRACE_MODE == 1 && model.m_bDataPresent) {
        const std::int64_t x = TraceSampleX(model.m_nTriggerPos, rate, view.nScrollPos);
        if (inside(x)) StampStripMarker(canvas, layout, IDB_KXW_MARK_TRIGGER, left + static_cast<int>(x));
    }
}

double EngineeringOf(const CTraceModel& model, int ch, std::int64_t raw)
{
    return ScaleToEngineering(model.m_ScaleSet, ch, static_cast<double>(raw));
}

bool IsScaled(const CTraceModel& model, int ch)
{
    const std::int32_t type = model.m_ScaleSet.SCL_TYPE_CH[ch];
    return type == kScaleRatio || type == kScaleTwoPoint;
}

CString RangeEndText(const CTraceModel& model, int ch, double engineering, std::int64_t raw)
{
    CString text;
    if (IsScaled(model, ch)) text = TrimNumberText([&] {
        CString t;
        t.Format(u"%.4f", engineering);
        return t;
    }());
    else text.Format(u"%I64d", static_cast<long long>(raw));
    return text;
}

void DrawLegend(CDC& dc, const CTraceModel& model, const TraceLayout& layout, TraceFonts& fonts)
{
    CFont* oldFont = dc.SelectObject(&fonts.screen);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(::GetSysColor(COLOR_WINDOWTEXT));
    int y = layout.rcScroll.bottom + 4;
    const int x0 = layout.rcClient.left + 3;
    for (int ch = 0; ch < kTraceChannelCount; ++ch) {
        if (!model.m_GraphSet.DRAW_CH[ch]) continue;
        dc.FillSolidRect(x0, y + 1, 12, 12, model.m_GraphSet.crChannel[ch]);
        std::int64_t nMax = 0;
        std::int64_t nMin = 0;
        TraceChannelRange(model, ch, nMax, nMin);
        const double engMax = EngineeringOf(model, ch, nMax);
        const double engMin = EngineeringOf(model, ch, nMin);
        const double division = (engMax - engMin) / 10.0;
        // The visible range follows the zero line.
        const int shift = 6 - std::clamp(model.m_GraphSet.POSITION_CH[ch], kMinPosition, kMaxPosition);
        const double lowEng = engMin - shift * division;
        const double highEng = engMax - shift * division;
        const std::int64_t rawDivision = (nMax - nMin) / 10;
        const std::int64_t lowRaw = nMin - shift * rawDivision;
        const std::int64_t highRaw = nMax - shift * rawDivision;
        CString divisionText;
        divisionText.Format(u"%.4f", IsScaled(model, ch) ? division : (nMax - nMin) / 10.0);
        CString line;
        const CString unit = model.m_GraphSet.strUnit[ch].IsEmpty() ? CString() : u" [" + model.m_GraphSet.strUnit[ch] + u"]";
        line.Format(u"%s%s   %s - %s   [ %s/div ]", model.m_GraphSet.strLabel[ch].GetString(), unit.GetString(), RangeEndText(model, ch, lowEng, lowRaw).GetString(),
                    RangeEndText(model, ch, highEng, highRaw).GetString(), TrimNumberText(divisionText).GetString());
        dc.TextOut(x0 + 17, y, line);
        y += 15;
    }
    dc.SelectObject(oldFont);
}

void DrawGauges(CDC& dc, const CTraceModel& model, const TraceLayout& layout, TraceFonts& fonts)
{
    CFont* oldFont = dc.SelectObject(&fonts.screen);
    dc.SetBkMode(TRANSPARENT);
    const int h = layout.nGraphHeight;
    for (int k = 0; k < layout.nSplit; ++k) {
        const int top = GraphTop(layout, k);
        int column = 0;
        for (int ch = 0; ch < kTraceChannelCount; ++ch) {
            if (!model.m_GraphSet.DRAW_CH[ch] || model.m_GraphSet.GRAPH_NO_CH[ch] != k) continue;
            const int x = layout.rcClient.left + column * 23;
            ++column;
            CPen pen(PS_SOLID, 1, model.m_GraphSet.crChannel[ch]);
            CPen* old = dc.SelectObject(&pen);
            dc.MoveTo(x + 15, top);
            dc.LineTo(x + 22, top);
            dc.LineTo(x + 22, top + h - 1);
            dc.LineTo(x + 14, top + h - 1);
            std::int64_t nMax = 0;
            std::int64_t nMin = 0;
            TraceChannelRange(model, ch, nMax, nMin);
            const int position = model.m_GraphSet.POSITION_CH[ch];
            const int y0 = TraceSampleY(0, nMax, nMin, position, h);
            if (y0 >= 0 && y0 < h) {
                dc.MoveTo(x + 18, top + y0);
                dc.LineTo(x + 22, top + y0);
            }
            dc.SelectObject(old);
            // The values at the top and bottom edge of the graph.
            const std::int64_t half = std::max<std::int64_t>((nMax - nMin) / 2, 1);
            const std::int64_t mid = (nMax + nMin) / 2;
            const int zero = ZeroLineY(position, h);
            auto rawAt = [&](int y) { return mid + static_cast<std::int64_t>(zero - y) * half / std::max(h / 2, 1); };
            const std::int64_t topRaw = rawAt(0);
            const std::int64_t bottomRaw = rawAt(h - 1);
            // Each channel's values on rows of their own, right-aligned at the
            // panel's edge, so that wide numbers never cover each other.
            dc.SetTextColor(model.m_GraphSet.crChannel[ch]);
            const int right = layout.rcGraph.left - 10;
            const int row = (column - 1) * 13;
            CRect rcTop(layout.rcClient.left, top + 1 + row, right, top + 14 + row);
            CRect rcBottom(layout.rcClient.left, top + h - 14 - row, right, top + h - 1 - row);
            dc.DrawText(RangeEndText(model, ch, EngineeringOf(model, ch, topRaw), topRaw), &rcTop,
                        DT_RIGHT | DT_SINGLELINE | DT_NOPREFIX);
            dc.DrawText(RangeEndText(model, ch, EngineeringOf(model, ch, bottomRaw), bottomRaw), &rcBottom,
                        DT_RIGHT | DT_SINGLELINE | DT_NOPREFIX);
        }
    }
    dc.SelectObject(oldFont);
}

void DrawTitle(CDC& dc, const CTraceModel& model, const TraceLayout& layout, TraceFonts& fonts)
{
    CRect rc = layout.rcTitle;
    dc.FillSolidRect(&rc, ButtonFace());
    CFont* old = dc.SelectObject(&fonts.title);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(::GetSysColor(COLOR_WINDOWTEXT));
    dc.DrawText(model.m_GraphSet.TITLE, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    dc.SelectObject(old);
    if (model.m_GraphSet.bTitleFrame) {
        CBrush frame(model.m_GraphSet.crTitleFrame);
        dc.FrameRect(&rc, &frame);
    }
}

}  // namespace

std::int32_t TraceZoomRate(std::int32_t nZoom)
{
    return CTraceModel::m_nZoomRate[std::clamp(nZoom, 0, kZoomLevels - 1)];
}

std::int64_t TraceTotalWidth(const CTraceModel& model)
{
    const std::int64_t n = std::max(model.m_TraceSet.TRACE_NUM, 0);
    return n * kPixelsPerStep / TraceZoomRate(model.m_GraphSet.ZOOM);
}

std::int64_t TraceSampleX(std::int64_t nSample, std::int32_t nRate, std::int64_t nScrollPos)
{
    return nSample * kPixelsPerStep / std::max(nRate, 1) - nScrollPos;
}

std::int32_t TraceSampleAt(std::int64_t nX, std::int32_t nRate, std::int64_t nScrollPos, std::int32_t nTraceNum)
{
    const std::int64_t i = (nScrollPos + nX) * std::max(nRate, 1) / kPixelsPerStep;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(i, 0, std::max(nTraceNum, 0)));
}

int TraceCountDrawn(const CTraceModel& model)
{
    int count = 0;
    for (int ch = 0; ch < kTraceChannelCount; ++ch)
        if (model.m_GraphSet.DRAW_CH[ch]) ++count;
    return count;
}

int TraceMaxCountInGraph(const CTraceModel& model)
{
    int most = 0;
    for (int k = 0; k < kMaxGraphs; ++k) {
        int count = 0;
        for (int ch = 0; ch < kTraceChannelCount; ++ch)
            if (model.m_GraphSet.DRAW_CH[ch] && model.m_GraphSet.GRAPH_NO_CH[ch] == k) ++count;
        most = std::max(most, count);
    }
    return most;
}

TraceLayout ComputeTraceLayout(const CTraceModel& model, const CRect& rcClient, int nToolBarHeight,
                               int nStatusBarHeight)
{
    TraceLayout l;
    l.rcClient = rcClient;
    l.nSplit = std::clamp(model.m_GraphSet.SPLIT_NUM, 1, kMaxGraphs);
    const TraceOptions& options = model.m_Options;
    l.nLeftMargin = CTraceModel::kLeftMargin;
    l.nBottomOffset = nStatusBarHeight + 3;
    if (options.RIPPLE_RANGE) {
        if (options.RANGE_TYPE == 0) {
            const int drawn = TraceCountDrawn(model);
            l.nBottomOffset = nStatusBarHeight + (drawn ? drawn * 15 + 6 : 3);
        } else {
            const int g = TraceMaxCountInGraph(model);
            l.nLeftMargin = g ? g * 23 + 22 : CTraceModel::kLeftMargin;
        }
    }
    l.nRightMargin = model.GetRightMargin();
    l.nTopOffset = nToolBarHeight + (model.m_GraphSet.TITLE.IsEmpty() ? 19 : 50);
    const int available = rcClient.Height() - l.nBottomOffset - l.nTopOffset - 50;
    const int unit = l.nSplit * 10;
    const int whole = std::max(available - available % unit, unit);
    const int areaHeight = whole + 2 * l.nSplit - 1;
    l.rcGraph = CRect(rcClient.left + l.nLeftMargin, rcClient.top + l.nTopOffset,
                      std::max(rcClient.right - l.nRightMargin, rcClient.left + l.nLeftMargin + 20),
                      rcClient.top + l.nTopOffset + areaHeight);
    l.nGraphHeight = (areaHeight - 2 * l.nSplit + 1) / l.nSplit + 1;
    l.rcTime = CRect(l.rcGraph.left - 33, l.rcGraph.bottom + 6, l.rcGraph.right + 33, l.rcGraph.bottom + 22);
    l.rcMarker = CRect(l.rcGraph.left - 8, l.rcGraph.top - kTraceMarkerHeight - 1, l.rcGraph.right + 8, l.rcGraph.top - 1);
    l.rcDetails = CRect(l.rcGraph.right + 8, l.rcGraph.top + (options.GRAPH_POS_SEL ? 81 : 27), l.rcGraph.right + 81,
                        l.rcGraph.bottom);
    l.rcTitle = CRect(l.rcGraph.left, rcClient.top + nToolBarHeight + 6, l.rcGraph.right,
                      rcClient.top + nToolBarHeight + 34);
    l.rcScroll = CRect(l.rcGraph.left, l.rcTime.bottom + 2, l.rcGraph.right, l.rcTime.bottom + 2 + kTraceScrollHeight);
    return l;
}

std::int64_t ClampTraceScroll(std::int64_t nPos, std::int64_t nTotalWidth, int nGraphWidth)
{
    const std::int64_t most = std::max<std::int64_t>(nTotalWidth - nGraphWidth + 1, 0);
    return std::clamp<std::int64_t>(nPos, 0, most);
}

void UpdateTraceScroll(TraceView& view, const TraceLayout& layout, std::int64_t nNewWidth, BOOL bKeepCentre)
{
    const int width = layout.rcGraph.Width();
    const std::int64_t oldWidth = view.nTotalWidth;
    view.nTotalWidth = nNewWidth;
    if (nNewWidth + 1 <= width) {
        view.nScrollPos = 0;
        view.bScrollShown = FALSE;
        return;
    }
    view.bScrollShown = TRUE;
    if (bKeepCentre && oldWidth > 0) view.nScrollPos = nNewWidth * (view.nScrollPos + width / 2) / oldWidth - width / 2;
    view.nScrollPos = ClampTraceScroll(view.nScrollPos, nNewWidth, width);
}

int TraceSampleY(std::int64_t nSample, std::int64_t nMax, std::int64_t nMin, int nPosition, int nGraphHeight)
{
    const int h = nGraphHeight;
    const std::int64_t y0 = ZeroLineY(nPosition, h);
    const std::int64_t mid = (nMax + nMin) / 2;
    const std::int64_t half = (nMax - nMin) / 2;
    if (half <= 0) return static_cast<int>(y0);
    // |s - mid| < 2^33 and h / 2 < 2^31: the product fits 64 bits.
    const std::int64_t y = y0 - (nSample - mid) * (h / 2) / half;
    return static_cast<int>(std::clamp<std::int64_t>(y, -kYGuard, h + kYGuard));
}

void TraceChannelRange(const CTraceModel& model, int nChannel, std::int64_t& nMax, std::int64_t& nMin)
{
    const TraceRangeSettings& range = model.m_RangeSet;
    if (range.AUTO_RANGE_CH[nChannel]) {
        nMax = range.nUpperLimit[nChannel];
        nMin = range.nLowerLimit[nChannel];
    } else {
        nMax = range.MANU_MAX_CH[nChannel];
        nMin = range.MANU_MIN_CH[nChannel];
    }
}

std::int32_t TraceSlotOf(const CTraceModel& model, std::int32_t nDisplay)
{
    const std::int32_t n = model.m_nAllocatedNum;
    if (n < 0) return 0;
    const std::int32_t update = model.m_nUpdatePointer;
    if (model.m_Options.GRAPH_DISP_MODE && update != -1 && model.m_bPtrLooped)
        return static_cast<std::int32_t>((static_cast<std::int64_t>(update) + nDisplay) % (static_cast<std::int64_t>(n) + 1));
    return std::clamp(nDisplay, 0, n);
}

CString TraceValueText(const CTraceModel& model, int nChannel, std::int32_t nRaw)
{
    CString text;
    if (IsScaled(model, nChannel)) {
        text.Format(u"%.4f", EngineeringOf(model, nChannel, nRaw));
        return TrimNumberText(text);
    }
    text.Format(u"%d", nRaw);
    return text;
}

CString TraceValueDifferenceText(const CTraceModel& model, int nChannel, std::int32_t nRawA, std::int32_t nRawB)
{
    CString text;
    if (IsScaled(model, nChannel)) {
        text.Format(u"%.4f", EngineeringOf(model, nChannel, nRawB) - EngineeringOf(model, nChannel, nRawA));
        return TrimNumberText(text);
    }
    text.Format(u"%I64d", static_cast<long long>(static_cast<std::int64_t>(nRawB) - nRawA));
    return text;
}

void TraceFonts::Create(int nLanguage)
{
    if (screen.GetSafeHandle()) return;
    const CString face = FontFace();
    const bool japanese = nLanguage == 0;
    screen.CreateFont(japanese ? -12 : -13, 0, 0, 0, FW_NORMAL, 0, 0, 0, japanese ? SHIFTJIS_CHARSET : DEFAULT_CHARSET,
                      OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, face);
    title.CreateFont(japanese ? -16 : -18, 0, 0, 0, FW_BOLD, 0, 0, 0, japanese ? SHIFTJIS_CHARSET : DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, face);
}

const TraceMarkerImage& TraceMarker(UINT nId)
{
    // Loaded once from the language library; a picture that is missing is
    // looked for again next time (another module may carry it).
    static std::map<UINT, TraceMarkerImage> loaded;
    static const TraceMarkerImage none;
    const auto it = loaded.find(nId);
    if (it != loaded.end()) return it->second;
    const HBITMAP bitmap = ::LoadImageW(HINSTANCE(), MAKEINTRESOURCEW(nId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
    if (!bitmap) return none;
    BITMAP info{};
    TraceMarkerImage image;
    if (::GetObject(bitmap, sizeof(info), &info) && info.bmWidth > 0 && info.bmHeight > 0) {
        BITMAPINFO header{};
        header.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        header.bmiHeader.biWidth = info.bmWidth;
        header.bmiHeader.biHeight = -info.bmHeight;
        header.bmiHeader.biPlanes = 1;
        header.bmiHeader.biBitCount = 32;
        header.bmiHeader.biCompression = BI_RGB;
        image.pixels.assign(static_cast<std::size_t>(info.bmWidth) * info.bmHeight, 0);
        CDC dc;
        dc.CreateCompatibleDC(nullptr);
        if (::GetDIBits(dc, bitmap, 0, static_cast<UINT>(info.bmHeight), image.pixels.data(), &header, DIB_RGB_COLORS) ==
            info.bmHeight) {
            image.nWidth = info.bmWidth;
            image.nHeight = info.bmHeight;
        }
    }
    ::DeleteObject(bitmap);
    if (!image.nWidth) return none;
    return loaded.emplace(nId, std::move(image)).first->second;
}

void StampTraceMarker(TraceCanvas& canvas, const TraceMarkerImage& image, int x, int y, const COLORREF* pColour)
{
    const std::uint32_t tint = pColour ? PixelOf(*pColour) : 0;
    for (int row = 0; row < image.nHeight; ++row) {
        const int cy = y + row;
        if (cy < 0 || cy >= canvas.Height()) continue;
        std::uint32_t* out = canvas.Row(cy);
        const std::uint32_t* in = image.pixels.data() + static_cast<std::size_t>(row) * image.nWidth;
        for (int col = 0; col < image.nWidth; ++col) {
            const int cx = x + col;
            if (cx < 0 || cx >= canvas.Width()) continue;
            const std::uint32_t alpha = in[col] >> 24;
            if (alpha == 0) continue;
            // The picture's coverage mixes its colour (or the tint) over what is there.
            const std::uint32_t src = pColour ? tint : in[col];
            const std::uint32_t dst = out[cx];
            std::uint32_t mixed = 0xFF000000u;
            for (int shift = 0; shift < 24; shift += 8) {
                const std::uint32_t a = (src >> shift) & 0xFF;
                const std::uint32_t b = (dst >> shift) & 0xFF;
                mixed |= ((a * alpha + b * (255 - alpha) + 127) / 255) << shift;
            }
            out[cx] = mixed;
        }
    }
}

TraceCanvas::~TraceCanvas()
{
    if (m_hBitmap) {
        m_dc.SelectObject(m_hOld);
        ::DeleteObject(m_hBitmap);
    }
}

BOOL TraceCanvas::Resize(int nWidth, int nHeight)
{
    nWidth = std::max(nWidth, 1);
    nHeight = std::max(nHeight, 1);
    if (m_hBitmap && nWidth == m_nWidth && nHeight == m_nHeight) return TRUE;
    if (!m_dc.GetSafeHdc() && !m_dc.CreateCompatibleDC(nullptr)) return FALSE;
    if (m_hBitmap) {
        m_dc.SelectObject(m_hOld);
        ::DeleteObject(m_hBitmap);
        m_hBitmap = HBITMAP();
        m_pBits = nullptr;
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = nWidth;
    info.bmiHeader.biHeight = -nHeight;  // top-down: row y at y
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    m_hBitmap = ::CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &bits, HANDLE(), 0);
    if (!m_hBitmap || !bits) {
        m_hBitmap = HBITMAP();
        m_nWidth = m_nHeight = 0;
        return FALSE;
    }
    m_pBits = static_cast<std::uint32_t*>(bits);
    m_hOld = m_dc.SelectObject(HGDIOBJ(m_hBitmap));
    m_nWidth = nWidth;
    m_nHeight = nHeight;
    return TRUE;
}

void DrawTraceGraphs(TraceCanvas& canvas, const CTraceModel& model, const TraceLayout& layout, const TraceView& view,
                     BOOL bEverySample)
{
    CDC& dc = canvas.DC();
    for (int k = 0; k < layout.nSplit; ++k) {
        const int top = GraphTop(layout, k);
        const CRect rc(layout.rcGraph.left, top, layout.rcGraph.right, top + layout.nGraphHeight);
        PixelPainter paint(canvas, rc);
        paint.Fill(rc.left, rc.top, rc.right, rc.bottom, PixelOf(kWhite));
        DrawGrid(paint, model, layout, view, top);
        DrawWaves(paint, model, layout, view, k, bEverySample);
    }
    // Gaps between graphs and the marker strip.
    CRect strip = layout.rcMarker;
    dc.FillSolidRect(&strip, ButtonFace());
    const int left = layout.rcGraph.left;
    dc.FillSolidRect(left - 10, layout.rcGraph.top, 10, layout.rcGraph.Height(), ButtonFace());
    for (int k = 0; k < layout.nSplit; ++k) DrawZeroMarks(canvas, model, layout, k);
    DrawMarkers(canvas, model, layout, view);
}

void DrawTraceTime(CDC& dc, const CTraceModel& model, const TraceLayout& layout, const TraceView& view,
                   TraceFonts& fonts)
{
    CRect strip = layout.rcTime;
    dc.FillSolidRect(&strip, ButtonFace());
    CFont* old = dc.SelectObject(&fonts.screen);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(::GetSysColor(COLOR_WINDOWTEXT));
    const std::int32_t rate = TraceZoomRate(model.m_GraphSet.ZOOM);
    const std::int64_t zeroX = TraceSampleX(model.m_nTriggerPos, rate, view.nScrollPos);
    const int width = layout.rcGraph.Width();
    const double step = 5.0 * rate * model.m_TraceSet.wInterval;
    // Labels every 100 pixels either side of time zero, only those over the graph.
    std::int64_t kFirst = (-zeroX) / 100 - 1;
    const std::int64_t kLast = (width - zeroX) / 100 + 1;
    for (std::int64_t k = kFirst; k <= kLast; ++k) {
        const std::int64_t x = zeroX + k * 100;
        if (x < 0 || x > width) continue;
        const CString text = k == 0 ? CString(u"0s") : FormatTraceTime(static_cast<double>(k) * step);
        const int px = layout.rcGraph.left + static_cast<int>(x);
        CRect rc(px - 40, strip.top, px + 40, strip.bottom);
        dc.DrawText(text, &rc, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
    }
    dc.SelectObject(old);
}

void DrawTraceDetails(CDC& dc, const CTraceModel& model, const TraceLayout& layout, TraceFonts& fonts)
{
    CRect rc = layout.rcDetails;
    if (rc.Width() <= 0 || rc.Height() <= 0) return;
    dc.FillSolidRect(&rc, ButtonFace());
    const int ch = std::clamp(model.m_nABChannel, 0, kTraceChannelCount - 1);
    CFont* old = dc.SelectObject(&fonts.screen);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(::GetSysColor(COLOR_WINDOWTEXT));
    const bool data = model.m_DispData.IsAllocated() && model.m_nAllocatedNum >= 0;
    const double interval = model.m_TraceSet.wInterval;
    std::int32_t value[2] = {0, 0};
    {
        const auto held = model.LockSamples();
        for (int c = 0; c < 2; ++c)
            if (data) value[c] = model.m_DispData.pCh[ch][TraceSlotOf(model, model.m_nCursorPos[c])];
    }
    auto timeOf = [&](int c) {
        return FormatTraceTime(static_cast<double>(model.m_nCursorPos[c] - model.m_nTriggerPos) * interval);
    };
    const CString none = u"-----";
    const CString lines[] = {
        u"A:",
        model.m_bCursorShown[0] && data ? TraceValueText(model, ch, value[0]) : none,
        u"t= " + (model.m_bCursorShown[0] ? timeOf(0) : none),
        u"B:",
        model.m_bCursorShown[1] && data ? TraceValueText(model, ch, value[1]) : none,
        u"t= " + (model.m_bCursorShown[1] ? timeOf(1) : none),
        u"B - A:",
        model.m_bCursorShown[0] && model.m_bCursorShown[1] && data
            ? TraceValueDifferenceText(model, ch, value[0], value[1])
            : none,
        u"t= " + (model.m_bCursorShown[0] && model.m_bCursorShown[1]
                      ? FormatTraceTime(static_cast<double>(model.m_nCursorPos[1] - model.m_nCursorPos[0]) * interval)
                      : none),
    };
    int y = rc.top + 2;
    for (int i = 0; i < 9; ++i) {
        CRect line(rc.left + 2, y, rc.right - 1, y + 14);
        dc.DrawText(lines[i], &line, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
        y += (i % 3 == 2) ? 20 : 15;
        if (y + 14 > rc.bottom) break;
    }
    dc.SelectObject(old);
}

void DrawTraceClient(TraceCanvas& canvas, const CTraceModel& model, const TraceLayout& layout, const TraceView& view,
                     TraceFonts& fonts, BOOL bEverySample)
{
    CDC& dc = canvas.DC();
    CRect all = layout.rcClient;
    {
        PixelPainter paint(canvas, all);
        paint.Fill(all.left, all.top, all.right, all.bottom, PixelOf(ButtonFace()));
    }
    if (!model.m_GraphSet.TITLE.IsEmpty()) DrawTitle(dc, model, layout, fonts);
    DrawTraceGraphs(canvas, model, layout, view, bEverySample);
    if (model.m_Options.RIPPLE_RANGE) {
        if (model.m_Options.RANGE_TYPE == 0) DrawLegend(dc, model, layout, fonts);
        else DrawGauges(dc, model, layout, fonts);
    }
    if (model.m_Options.AB_DETAILS) DrawTraceDetails(dc, model, layout, fonts);
    DrawTraceTime(dc, model, layout, view, fonts);
}
