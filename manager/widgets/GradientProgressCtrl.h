// A progress bar that draws itself: a gradient bar (plain or mirrored), a
// bar of blocks, or, for transfers, a row of arrows that light up from one
// end; a running chunk while the work has no measurable progress; and the
// percentage or the window text over the bar.
#pragma once

#include "platform/ui/ProgressCtrl.h"

class CGradientProgressCtrl : public CProgressCtrl {
    DECLARE_DYNAMIC(CGradientProgressCtrl)

public:
    static constexpr int kPlainStyle = 0;
    static constexpr int kBlockStyle = 1;
    static constexpr int kTransferStyle = 2;

    CGradientProgressCtrl(int nStyle, int nDirection, BOOL bAnimated, BOOL bFrame, BOOL bMirrored, BOOL bShowPercent);
    ~CGradientProgressCtrl() override = default;

    virtual void SetColors(COLORREF textOnFill, COLORREF textOnEmpty, COLORREF fill, COLORREF shadow);
    virtual void SetBackColor(COLORREF colour);
    virtual void SetGradientStep(BYTE step);
    virtual void SetBandHeight(BYTE height);
    // Stores the lower bound (the drawing measures from it) and sets the range.
    virtual void SetRange(int nLower, int nUpper);
    virtual void DrawBar(CDC* pDC);
    virtual void DrawGradientRect(CDC* pDC, const RECT& rect);

    // The bar's text font: a copy of the given one.
    void SetTextFont(const LOGFONT& font);

    int GetStyleKind() const { return m_nStyle; }
    int GetDirection() const { return m_nDirection; }
    // The arrows lit by a position, in the transfer style.
    int LitArrowCount() const;
    // The blocks a non-animated block bar draws at its position.
    int FilledBlockCount() const;

protected:
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);

    DECLARE_MESSAGE_MAP()

private:
    double Ratio() const;
    void DrawBlocks(CDC* pDC, int left, int top, int bottom, int count);
    void DrawArrows(CDC* pDC, double ratio);
    void DrawText(CDC* pDC, double ratio, int fillEnd);

    CFont m_font;
    COLORREF m_frameColour = RGB(0, 220, 16);
    COLORREF m_textOnFillColour = RGB(255, 255, 255);
    COLORREF m_textOnEmptyColour = RGB(0, 195, 16);
    COLORREF m_fillColour = RGB(0, 220, 16);
    COLORREF m_shadowColour = RGB(100, 100, 100);
    COLORREF m_backColour = RGB(255, 255, 255);
    BYTE m_gradientStep = 4;
    BYTE m_bandHeight = 1;
    CRect m_inner;
    int m_nBlockWidth = 8;
    int m_nBlockGap = 1;
    int m_nStyle;
    int m_nDirection;
    BOOL m_bAnimated;
    BOOL m_bFrame;
    BOOL m_bMirrored;
    BOOL m_bShowPercent;
    int m_nLower = 0;
    int m_nChunkPercent = 20;
    int m_nArrowCount = 20;
};
