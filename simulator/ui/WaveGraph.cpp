#include "simulator/ui/WaveGraph.h"

#include "platform/ui/DC.h"
#include "resources/simulator/pellarun_ids.h"
#include "simulator/core/DecimalText.h"

#include <algorithm>

namespace {

constexpr COLORREF kPlotColour = RGB(255, 255, 255);
constexpr COLORREF kGridColour = RGB(192, 192, 192);

}  // namespace

BEGIN_MESSAGE_MAP(CWaveGraph, CWnd)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CWaveGraph::CWaveGraph() = default;

BOOL CWaveGraph::Attach(CWnd* dialog, int id)
{
    if (!SubclassDlgItem(id, dialog)) return FALSE;
    Reset();
    return TRUE;
}

void CWaveGraph::Reset()
{
    if (!m_font.GetSafeHandle())
        m_font.CreateFont(12, 0, 0, 0, FW_NORMAL, 0, 0, 0, SHIFTJIS_CHARSET, 0, 0, 0, 0, u"MS UI Gothic");
    if (!m_verticalFont.GetSafeHandle())
        m_verticalFont.CreateFont(12, 0, 900, 900, FW_NORMAL, 0, 0, 0, SHIFTJIS_CHARSET, 0, 0, 0, 0, u"MS UI Gothic");
    m_view = WaveChartView();
    // Measured once: the plot, the scroll range and the drawing must agree
    // on one layout.
    {
        CDC dc;
        dc.CreateCompatibleDC(nullptr);
        CFont* old = dc.SelectObject(&m_font);
        m_textHeight = std::max(1, static_cast<int>(dc.GetTextExtent(CString(u"0")).cy));
        dc.SelectObject(old);
    }
    Layout();
}

int CWaveGraph::UsedSeries() const
{
    int used = 0;
    for (const CWaveSeries& series : m_series) used += series.used ? 1 : 0;
    return used;
}

void CWaveGraph::Layout()
{
    if (!m_hWnd) return;
    CRect client;
    GetClientRect(&client);
    // The time labels need their band inside the control.
    RECT area = client;
    area.bottom -= m_textHeight;
    m_layout = LayoutWaveChart(area, m_textHeight, UsedSeries());
}

void CWaveGraph::SetSeries(int index, const CWaveSeries& series)
{
    if (index < 0 || index >= kSeriesSlots) return;
    m_series[index] = series;
    Layout();
}

void CWaveGraph::InvalidateParts(int parts)
{
    if (!m_hWnd) return;
    if (parts == 7) {
        Invalidate(FALSE);
    } else {
        if (parts & 1) InvalidateRect(&m_layout.plot, FALSE);
        if (parts & 2) InvalidateRect(&m_layout.timeBand, FALSE);
        if (parts & 4) {
            RECT axes{m_layout.client.left, m_layout.client.top, m_layout.plot.left, m_layout.client.bottom};
            InvalidateRect(&axes, FALSE);
        }
    }
    UpdateWindow();
}

BOOL CWaveGraph::OnEraseBkgnd(CDC*) { return TRUE; }

void CWaveGraph::OnPaint()
{
    CPaintDC dc(this);
    Draw(&dc);
}

void CWaveGraph::Draw(CDC* target)
{
    Layout();
    CRect client;
    GetClientRect(&client);
    CDC dc;
    dc.CreateCompatibleDC(target);
    CBitmap image;
    image.CreateCompatibleBitmap(target, client.Width(), client.Height());
    CBitmap* oldBitmap = dc.SelectObject(&image);
    CFont* oldFont = dc.SelectObject(&m_font);
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    dc.FillSolidRect(&client, face);

    const RECT& plot = m_layout.plot;
    const int w = plot.right - plot.left;
    const int h = plot.bottom - plot.top;
    const int y5 = ValueLineY(h, 5);
    const int y10 = ValueLineY(h, 10);

    // Value axes, one per used series.
    int k = 0;
    for (const CWaveSeries& series : m_series) {
        if (!series.used) continue;
        const int base = plot.left - k * (5 + 10 + m_textHeight);
        CPen pen(PS_SOLID, 1, series.lineColour);
        CPen* oldPen = dc.SelectObject(&pen);
        dc.MoveTo(base - 10, plot.top);
        dc.LineTo(base - 5, plot.top);
        dc.LineTo(base - 5, plot.top + h - 1);
        dc.LineTo(base - 15, plot.top + h - 1);
        dc.MoveTo(base - 10, plot.top + y5);
        dc.LineTo(base - 5, plot.top + y5);
        dc.MoveTo(base - 15, plot.top + y10);
        dc.LineTo(base - 5, plot.top + y10);
        dc.SelectObject(oldPen);
        dc.SelectObject(&m_verticalFont);
        dc.SetBkColor(face);
        dc.SetTextColor(series.lineColour);
        const int x = base - 17 - m_textHeight;
        auto vertical = [&](const CString& text, int centreY) {
            const int length = static_cast<int>(dc.GetTextExtent(text).cx);
            dc.TextOut(x, plot.top + centreY + length / 2, text);
        };
        vertical(series.label, y5);
        CString maximum;
        maximum.Format(u"%.0f", RoundedToDecimals(static_cast<double>(series.maximum), 0));
        vertical(maximum, y10);
        dc.TextOut(x, plot.top + h, CString(u"0"));
        dc.SelectObject(&m_font);
        ++k;
    }

    // The plot with its grid.
    dc.FillSolidRect(plot.left, plot.top, w + 1, h + 1, kPlotColour);
    CPen dotted(PS_DOT, 1, kGridColour);
    CPen solid(PS_SOLID, 1, kGridColour);
    CPen* oldPen = dc.SelectObject(&dotted);
    for (const GridLine& line : VerticalGridLines(w, m_view.Scroll())) {
        dc.SelectObject(line.solid ? &solid : &dotted);
        dc.MoveTo(plot.left + line.position, plot.top);
        dc.LineTo(plot.left + line.position, plot.top + h);
    }
    for (int i = 1; i <= 10; ++i) {
        dc.SelectObject(i == 5 || i == 10 ? &solid : &dotted);
        const int y = plot.top + ValueLineY(h, i);
        dc.MoveTo(plot.left, y);
        dc.LineTo(plot.left + w, y);
    }
    dc.SelectObject(&solid);
    dc.SelectObject(::GetStockObject(NULL_BRUSH));
    dc.Rectangle(plot.left, plot.top, plot.left + w + 1, plot.top + h + 1);

    // The waveforms, clipped to the plot.
    CRgn clip;
    clip.CreateRectRgn(plot.left + 1, plot.top + 1, plot.left + w, plot.top + h);
    dc.SelectClipRgn(&clip);
    const CWaveSeries& first = m_series[0];
    if (first.used && first.samples.size() < 2) {
        CString message;
        message.LoadString(IDS_WAVE_TOO_LONG);
        dc.SetTextColor(RGB(255, 0, 0));
        dc.SetBkColor(kPlotColour);
        RECT area = plot;
        dc.DrawText(message, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    for (const CWaveSeries& series : m_series) {
        if (!series.used || series.samples.size() < 2) continue;
        CPen line(PS_SOLID, 1, series.lineColour);
        CPen highlight(PS_SOLID, 2, series.highlightColour);
        const int count = static_cast<int>(series.samples.size());
        const int zoom = m_view.Zoom();
        const int scroll = m_view.Scroll();
        int x = plot.left + SampleX(1, zoom, scroll);
        int y = plot.top + SampleY(series.samples[1], h, series.maximum);
        for (int j = 2; j < count; ++j) {
            const bool lit = m_view.Mode() == 0 && series.IsHighlightedSegment(j - 1);
            dc.SelectObject(lit ? &highlight : &line);
            dc.MoveTo(x, y);
            x = plot.left + SampleX(j, zoom, scroll);
            y = plot.top + SampleY(series.samples[static_cast<std::size_t>(j)], h, series.maximum);
            dc.LineTo(x, y);
        }
    }
    dc.SelectClipRgn(nullptr);
    dc.SelectObject(oldPen);

    // The time axis.
    dc.SetTextColor(RGB(0, 0, 0));
    dc.SetBkColor(face);
    for (const TimeLabel& label : TimeAxisLabels(plot, m_view.Scroll(), m_view.Zoom())) {
        const int width = static_cast<int>(dc.GetTextExtent(label.text).cx);
        dc.TextOut(label.x - width / 2, m_layout.timeBand.top + 3, label.text);
    }

    target->BitBlt(0, 0, client.Width(), client.Height(), &dc, 0, 0, SRCCOPY);
    dc.SelectObject(oldFont);
    dc.SelectObject(oldBitmap);
}
