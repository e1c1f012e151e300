// The header of CListCtrlEx: it keeps which columns are fixed and never
// offers the sizing cursor over the divider of a fixed column.
#pragma once

#include "platform/ui/HeaderCtrl.h"

#include <vector>

class CHeaderCtrlEx : public CHeaderCtrl {
    DECLARE_DYNAMIC(CHeaderCtrlEx)

public:
    CHeaderCtrlEx() = default;

    bool IsColumnFixed(int nColumn) const;
    // Marks a column that exists; an index beyond the flags marks nothing.
    void SetColumnFixed(int nColumn, bool fixed);
    // The flags follow the columns as they are inserted and deleted.
    void ColumnInserted(int nColumn);
    void ColumnDeleted(int nColumn);
    // Whether a point (header coordinates) may start sizing a column: false
    // within half a cursor width of a fixed column's right edge.
    bool SizingAllowedAt(POINT point) const;

protected:
    afx_msg LRESULT OnNcHitTest(CPoint point);
    afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);

    DECLARE_MESSAGE_MAP()

private:
    std::vector<bool> m_fixed;
    bool m_sizingAllowed = true;
};
