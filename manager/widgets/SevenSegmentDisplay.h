// A static control that shows a number, or a short text, as green
// seven-segment digits on black, like an instrument read-out. The user's
// decimal separator shares the cell of the digit after it; the owner dims
// the lit segments while it is disabled. Used on the user-interface thread.
#pragma once

#include "platform/ui/Static.h"

#include <array>
#include <vector>

class CSevenSegmentDisplay : public CStatic {
    DECLARE_DYNAMIC(CSevenSegmentDisplay)

public:
    CSevenSegmentDisplay();

    void SetDecimals(int nDecimals);
    void SetDigitCount(int nCount);
    void SetActiveColor();
    void SetInactiveColor();
    // Formats the value with the decimals into the cells (one reserved for
    // the sign); a value too large for the cells shows "^" or "v" marks.
    void SetValue(double dValue);
    // Shows a text as it is.
    void SetText(const CString& text);
    const CString& GetText() const { return m_strText; }

    // The text SetValue shows for a value with the current settings.
    CString FormatValue(double dValue) const;

protected:
    void PreSubclassWindow() override;

    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);

    DECLARE_MESSAGE_MAP()

private:
    // Segments, numbered from 1 as the character table names them.
    static constexpr int kSegmentCount = 11;
    using Polygon = std::vector<POINT>;

    void TakeWindowText();
    void ComputeSegments(const RECT& cell, int clientHeight);
    void DrawSegment(CDC& dc, int segment, const RECT& cell, COLORREF colour);
    // Draws one character cell: the character's segments lit, the other
    // bars unlit (nothing unlit for the point and the comma).
    void DrawCharacter(CDC& dc, char16_t ch, const RECT& cell);
    void DrawEmptyCell(CDC& dc, const RECT& cell);

    float m_cellRatio = 0.6f;
    int m_nDigitCount = 8;
    float m_segmentRatio = 0.25f;
    float m_thicknessRatio = 0.25f;
    float m_gapRatio = 0.05f;
    int m_nMargin = 3;
    bool m_geometryReady = false;
    COLORREF m_litColour = RGB(0, 255, 0);
    COLORREF m_dimLitColour = RGB(0, 128, 0);
    COLORREF m_backColour = RGB(0, 0, 0);
    COLORREF m_unlitColour = RGB(0, 32, 0);
    const COLORREF* m_pCurrentLit = &m_litColour;
    int m_nDecimals = 3;
    bool m_signCell = true;
    CString m_strText;
    std::array<Polygon, kSegmentCount + 1> m_segments;
    // The client height the segments were computed for.
    int m_geometryHeight = -1;
    double m_thickness = 0.0;
    double m_gap = 0.0;
};
