// Static splitter windows: a grid of panes (rows x columns, at most 16 x
// 16) with bars between them that the user drags. Each pane is a child
// window with id AFX_IDW_PANE_FIRST + 16 x row + column: a view made by
// CreateView, or another splitter (nested splitters) made with CreateStatic
// and the pane's id. Rows and columns have an ideal and a minimum size; a
// row or column smaller than its minimum is hidden, and the last one takes
// what is left.
#pragma once

#include "platform/ui/FrameIds.h"
#include "platform/ui/WindowApi.h"

#include <vector>

struct CCreateContext;
class CView;

class CSplitterWnd : public CWnd {
    DECLARE_DYNAMIC(CSplitterWnd)

public:
    CSplitterWnd();
    ~CSplitterWnd() override;

    BOOL CreateStatic(CWnd* pParentWnd, int nRows, int nCols, DWORD dwStyle = WS_CHILD | WS_VISIBLE,
                      UINT nID = AFX_IDW_PANE_FIRST);
    // A view of pViewClass in pane (row, col); FALSE when it cannot be made.
    virtual BOOL CreateView(int row, int col, CRuntimeClass* pViewClass, SIZE sizeInit, CCreateContext* pContext);

    int GetRowCount() const { return m_nRows; }
    int GetColumnCount() const { return m_nCols; }
    CWnd* GetPane(int row, int col) const;
    int IdFromRowCol(int row, int col) const { return static_cast<int>(AFX_IDW_PANE_FIRST) + row * 16 + col; }
    BOOL IsChildPane(CWnd* pWnd, int* pRow, int* pCol);
    void GetRowInfo(int row, int& cyCur, int& cyMin) const;
    void SetRowInfo(int row, int cyIdeal, int cyMin);
    void GetColumnInfo(int col, int& cxCur, int& cxMin) const;
    void SetColumnInfo(int col, int cxIdeal, int cxMin);
    virtual void RecalcLayout();
    // The pane of the frame's active view, or null.
    CWnd* GetActivePane(int* pRow = nullptr, int* pCol = nullptr);
    void SetActivePane(int row, int col, CWnd* pWnd = nullptr);

    // The width of a split bar between panes, in pixels.
    static constexpr int kSplitterGap = 6;

protected:
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC*) { return TRUE; }
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
    afx_msg void OnMouseMove(UINT nFlags, CPoint point);
    afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    afx_msg void OnCaptureChanged(CWnd* pWnd);

    DECLARE_MESSAGE_MAP()

private:
    struct RowColInfo {
        int nMinSize = 0;
        int nIdealSize = 0;
        int nCurSize = 0;
    };
    // The bar under a point: kind 0 none, 1 between columns (index: the
    // column left of it), 2 between rows.
    void HitBar(CPoint point, int& kind, int& index) const;
    void Layout(std::vector<RowColInfo>& info, int total);

    int m_nRows = 0;
    int m_nCols = 0;
    std::vector<RowColInfo> m_rowInfo;
    std::vector<RowColInfo> m_colInfo;
    int m_trackKind = 0;
    int m_trackIndex = 0;
    int m_trackStart = 0;
    int m_trackStartSize = 0;
};
