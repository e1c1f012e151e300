#include "manager/widgets/HeaderCtrlEx.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CHeaderCtrlEx, CHeaderCtrl)

BEGIN_MESSAGE_MAP(CHeaderCtrlEx, CHeaderCtrl)
    ON_WM_NCHITTEST()
    ON_WM_SETCURSOR()
END_MESSAGE_MAP()

bool CHeaderCtrlEx::IsColumnFixed(int nColumn) const
{
    return nColumn >= 0 && nColumn < static_cast<int>(m_fixed.size()) && m_fixed[static_cast<std::size_t>(nColumn)];
}

void CHeaderCtrlEx::SetColumnFixed(int nColumn, bool fixed)
{
    if (nColumn >= 0 && nColumn < static_cast<int>(m_fixed.size())) m_fixed[static_cast<std::size_t>(nColumn)] = fixed;
}

void CHeaderCtrlEx::ColumnInserted(int nColumn)
{
    const auto at = static_cast<std::size_t>(std::clamp(nColumn, 0, static_cast<int>(m_fixed.size())));
    m_fixed.insert(m_fixed.begin() + static_cast<std::ptrdiff_t>(at), false);
}

void CHeaderCtrlEx::ColumnDeleted(int nColumn)
{
    if (nColumn >= 0 && nColumn < static_cast<int>(m_fixed.size())) m_fixed.erase(m_fixed.begin() + nColumn);
}

bool CHeaderCtrlEx::SizingAllowedAt(POINT point) const
{
    if (!m_hWnd) return true;
    const int count = GetItemCount();
    if (count <= 0) return true;
    std::vector<int> order(static_cast<std::size_t>(count));
    if (!GetOrderArray(order.data(), count)) {
        for (int i = 0; i < count; ++i) order[static_cast<std::size_t>(i)] = i;
    }
    std::vector<int> widths(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        HDITEM item;
        item.mask = HDI_WIDTH;
        GetItem(order[static_cast<std::size_t>(i)], &item);
        widths[static_cast<std::size_t>(i)] = item.cxy;
    }
    const int half = ::GetSystemMetrics(SM_CXCURSOR) / 2;
    int edge = 0;
    for (int i = 0; i < count; ++i) {
        edge += widths[static_cast<std::size_t>(i)];
        if (!IsColumnFixed(order[static_cast<std::size_t>(i)])) continue;
        int zoneRight = edge + half;
        // A hidden column's zone ends with the next column.
        if (widths[static_cast<std::size_t>(i)] == 0 && i + 1 < count) {
            zoneRight = std::min(zoneRight, edge + widths[static_cast<std::size_t>(i + 1)]);
        }
        if (point.x >= edge - half && point.x <= zoneRight) return false;
    }
    return true;
}

LRESULT CHeaderCtrlEx::OnNcHitTest(CPoint point)
{
    CPoint local = point;
    ScreenToClient(&local);
    m_sizingAllowed = SizingAllowedAt(local);
    return Default();
}

BOOL CHeaderCtrlEx::OnSetCursor(CWnd*, UINT, UINT)
{
    POINT cursor{};
    if (::GetCursorPos(&cursor)) {
        ScreenToClient(&cursor);
        m_sizingAllowed = SizingAllowedAt(cursor);
    }
    if (m_sizingAllowed) Default();
    return TRUE;
}
