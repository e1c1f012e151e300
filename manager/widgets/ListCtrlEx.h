// The manager's report list: striped rows that go on below the last item,
// light grid lines, and columns that can be fixed, so the user can neither
// size them nor move them away from the first place.
//
// The rows take their colours through custom draw; the stripes below the
// last item and the grid lines are drawn into the custom-draw DC, which this
// platform's list view does not show yet (it takes only the colours).
#pragma once

#include "manager/widgets/HeaderCtrlEx.h"
#include "platform/ui/ListCtrl.h"

class CListCtrlEx : public CListCtrl {
    DECLARE_DYNAMIC(CListCtrlEx)

public:
    CListCtrlEx() = default;

    // Sizes a column (-1: all) to its contents, or to contents and header;
    // fixed columns keep their width.
    BOOL AutoSizeColumn(int nColumn = -1, BOOL bUseHeader = TRUE);
    // Marks the column fixed and shows it first; the columns before it move
    // one place right.
    void FixColumn(int nColumn);
    bool IsColumnFixed(int nColumn) const { return m_header.IsColumnFixed(nColumn); }
    CHeaderCtrlEx& Header() { return m_header; }
    bool IsTracking() const { return m_tracking; }

    // The row height that every list of the process shares.
    static int SharedRowHeight();

    COLORREF RowTextColour(int nRow) const { return (nRow % 2) ? m_oddText : m_evenText; }
    COLORREF RowBackColour(int nRow) const { return (nRow % 2) ? m_oddBack : m_evenBack; }

    void PreSubclassWindow() override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg void OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);

    DECLARE_MESSAGE_MAP()

private:
    void AttachHeader();
    void DrawStripes(CDC& dc);
    void DrawGridLines(CDC& dc, int item);
    int HeaderBottom() const;

    bool m_tracking = false;
    CHeaderCtrlEx m_header;
    COLORREF m_evenText = RGB(0, 0, 0);
    COLORREF m_oddText = RGB(0, 0, 0);
    COLORREF m_evenBack = RGB(255, 255, 255);
    COLORREF m_oddBack = RGB(239, 243, 255);
    COLORREF m_gridColour = RGB(224, 224, 224);
};
