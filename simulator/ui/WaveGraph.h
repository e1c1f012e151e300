// The speed chart of the result detail window: up to four series (this
// program uses one, speed in mm/s), one value axis per series on the left,
// a time axis below, grid lines, eight zoom steps and horizontal scrolling
// in pixels. It takes over the window's static control and paints it from
// one off-screen image.
#pragma once

#include "platform/ui/GdiObject.h"
#include "platform/ui/WindowApi.h"
#include "simulator/core/WaveChart.h"

using CWaveSeries = WaveSeries;

class CDC;

class CWaveGraph : public CWnd {
public:
    static constexpr int kSeriesSlots = 4;

    CWaveGraph();

    // Takes over the static control id of the dialog and resets the chart.
    BOOL Attach(CWnd* dialog, int id);
    void Reset();
    void SetMode(int mode) { m_view.SetMode(mode); }
    int GetScroll() const { return m_view.Scroll(); }
    void SetScroll(int pixels) { m_view.SetScroll(pixels); }
    int GetZoom() const { return m_view.Zoom(); }
    int GetZoomStep() const { return m_view.ZoomStep(); }
    RECT GetPlotRect() const { return m_layout.plot; }
    void SetSeries(int index, const CWaveSeries& series);
    const CWaveSeries& Series(int index) const { return m_series[index]; }
    bool StepZoom(bool in) { return m_view.StepZoom(in); }
    // 7: the whole chart; bit 1 the plot, bit 2 the time axis, bit 4 the axes.
    void InvalidateParts(int parts);
    void Draw(CDC* dc);

protected:
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    DECLARE_MESSAGE_MAP()

private:
    void Layout();
    int UsedSeries() const;

    WaveChartView m_view;
    WaveChartLayout m_layout;
    CWaveSeries m_series[kSeriesSlots];
    CFont m_font;
    CFont m_verticalFont;
    int m_textHeight = 12;
};
