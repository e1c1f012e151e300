#include "manager/widgets/ListCtrlEx.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

IMPLEMENT_DYNAMIC(CListCtrlEx, CListCtrl)

BEGIN_MESSAGE_MAP(CListCtrlEx, CListCtrl)
    ON_WM_CREATE()
    ON_NOTIFY_REFLECT(NM_CUSTOMDRAW, &CListCtrlEx::OnCustomDraw)
    ON_WM_KEYDOWN()
END_MESSAGE_MAP()

namespace {

constexpr int kDefaultRowHeightPx = 16;
int g_rowHeight = kDefaultRowHeightPx;

}  // namespace

int CListCtrlEx::SharedRowHeight() { return g_rowHeight; }

void CListCtrlEx::AttachHeader()
{
    if (m_header.GetSafeHwnd()) return;
    // By handle: the header's own object is no header class until subclassed.
    const HWND header = HWND::FromLParam(SendMessage(LVM_GETHEADER));
    if (header && ::IsWindow(header)) m_header.SubclassWindow(header);
    // Columns that exist already get their flags.
    const int columns = m_header.GetSafeHwnd() ? m_header.GetItemCount() : 0;
    for (int i = 0; i < columns; ++i) m_header.ColumnInserted(i);
    LOGFONT font;
    CFont* current = GetFont();
    if (current && current->GetLogFont(&font) && font.lfHeight != 0) {
        g_rowHeight = static_cast<int>(std::abs(font.lfHeight) * 1.3);
    }
}

void CListCtrlEx::PreSubclassWindow()
{
    AttachHeader();
    CListCtrl::PreSubclassWindow();
}

int CListCtrlEx::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
    if (CListCtrl::OnCreate(lpCreateStruct) == -1) return -1;
    AttachHeader();
    return 0;
}

LRESULT CListCtrlEx::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = CListCtrl::WindowProc(message, wParam, lParam);
    switch (message) {
    case LVM_INSERTCOLUMNW:
        if (result >= 0) m_header.ColumnInserted(static_cast<int>(result));
        break;
    case LVM_DELETECOLUMN:
        if (result) m_header.ColumnDeleted(static_cast<int>(wParam));
        break;
    case LVM_INSERTITEMW:
        if (result >= 0 && m_header.GetSafeHwnd() && m_header.GetItemCount() > 0) {
            RECT row{};
            if (GetItemRect(0, &row, LVIR_BOUNDS) && row.bottom > row.top) g_rowHeight = row.bottom - row.top;
        }
        break;
    default:
        break;
    }
    return result;
}

BOOL CListCtrlEx::AutoSizeColumn(int nColumn, BOOL bUseHeader)
{
    const int count = m_header.GetSafeHwnd() ? m_header.GetItemCount() : 0;
    const int first = nColumn < 0 ? 0 : nColumn;
    const int last = nColumn < 0 ? count - 1 : nColumn;
    BOOL ok = TRUE;
    for (int i = first; i <= last; ++i) {
        if (IsColumnFixed(i)) continue;
        if (!SetColumnWidth(i, bUseHeader ? LVSCW_AUTOSIZE_USEHEADER : LVSCW_AUTOSIZE)) ok = FALSE;
    }
    return ok;
}

void CListCtrlEx::FixColumn(int nColumn)
{
    m_header.SetColumnFixed(nColumn, true);
    const int count = m_header.GetSafeHwnd() ? m_header.GetItemCount() : 0;
    if (count <= 0) return;
    std::vector<int> order(static_cast<std::size_t>(count));
    if (!GetColumnOrderArray(order.data(), count)) return;
    const auto it = std::find(order.begin(), order.end(), nColumn);
    if (it == order.end()) return;
    std::rotate(order.begin(), it, it + 1);
    SetRedraw(FALSE);
    SetColumnOrderArray(count, order.data());
    SetRedraw(TRUE);
    Invalidate();
}

BOOL CListCtrlEx::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    auto* header = reinterpret_cast<NMHEADER*>(lParam);
    if (header && m_header.GetSafeHwnd() && header->hdr.hwndFrom == m_header.GetSafeHwnd()) {
        switch (header->hdr.code) {
        case HDN_BEGINTRACKW:
        case HDN_BEGINTRACKA:
            if (IsColumnFixed(header->iItem)) {
                if (pResult) *pResult = 1;
                return TRUE;
            }
            m_tracking = true;
            break;
        case HDN_ENDTRACKW:
        case HDN_ENDTRACKA:
            m_tracking = false;
            Invalidate(FALSE);
            break;
        case HDN_DIVIDERDBLCLICKW:
        case HDN_DIVIDERDBLCLICKA:
            if (!IsColumnFixed(header->iItem)) SetColumnWidth(header->iItem, LVSCW_AUTOSIZE_USEHEADER);
            if (pResult) *pResult = 1;
            return TRUE;
        default:
            break;
        }
    }
    return CListCtrl::OnNotify(wParam, lParam, pResult);
}

void CListCtrlEx::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    if (nChar == VK_ADD && (::GetKeyState(VK_CONTROL) & 0x8000)) {
        SetRedraw(FALSE);
        AutoSizeColumn(-1, TRUE);
        SetRedraw(TRUE);
        Invalidate();
        return;
    }
    CListCtrl::OnKeyDown(nChar, nRepCnt, nFlags);
}

int CListCtrlEx::HeaderBottom() const
{
    if (!m_header.GetSafeHwnd() || !::IsWindowVisible(m_header.GetSafeHwnd())) return 0;
    RECT rect{};
    m_header.GetWindowRect(&rect);
    ScreenToClient(&rect);
    return std::max(0, static_cast<int>(rect.bottom));
}

void CListCtrlEx::DrawStripes(CDC& dc)
{
    CRect client;
    GetClientRect(&client);
    const int top = HeaderBottom();
    const int height = g_rowHeight > 0 ? g_rowHeight : kDefaultRowHeightPx;
    const int rows = (client.bottom - top) / height + 1;
    const int first = GetTopIndex();
    const int items = GetItemCount();
    for (int i = 0; i < rows; ++i) {
        const int row = first + i;
        RECT band{client.left, top + i * height, client.right, top + (i + 1) * height};
        RECT item{};
        if (row < items && GetItemRect(row, &item, LVIR_BOUNDS)) band.left = item.right;
        dc.FillSolidRect(&band, RowBackColour(row));
    }
}

void CListCtrlEx::DrawGridLines(CDC& dc, int item)
{
    CRect client;
    GetClientRect(&client);
    const int top = HeaderBottom();
    CPen pen(PS_SOLID, 1, m_gridColour);
    CPen* old = dc.SelectObject(&pen);
    const int columns = m_header.GetSafeHwnd() ? m_header.GetItemCount() : 0;
    for (int c = 0; c < columns; ++c) {
        RECT cell{};
        if (!GetSubItemRect(std::max(item, 0), c, LVIR_BOUNDS, cell)) continue;
        dc.MoveTo(cell.right - 1, top);
        dc.LineTo(cell.right - 1, client.bottom);
    }
    int height = g_rowHeight;
    int y = top;
    RECT topItem{};
    if (GetItemCount() > 0 && GetItemRect(GetTopIndex(), &topItem, LVIR_BOUNDS)) {
        height = topItem.bottom - topItem.top;
        y = topItem.top;
    }
    if (height <= 0) height = kDefaultRowHeightPx;
    const int rows = (client.bottom - top) / height + 1;
    for (int i = 1; i <= rows; ++i) {
        const int line = y + i * height - 1;
        dc.MoveTo(client.left, line);
        dc.LineTo(client.right, line);
    }
    dc.SelectObject(old);
}

void CListCtrlEx::OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult)
{
    auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(pNMHDR);
    if (pResult) *pResult = CDRF_NOTIFYITEMDRAW | CDRF_NOTIFYPOSTPAINT;
    if (!draw || m_tracking) return;
    CDC* dc = CDC::FromHandle(draw->nmcd.hdc);
    switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        if (dc) DrawStripes(*dc);
        break;
    case CDDS_ITEMPREPAINT:
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
        const int row = static_cast<int>(draw->nmcd.dwItemSpec);
        draw->clrText = RowTextColour(row);
        draw->clrTextBk = RowBackColour(row);
        break;
    }
    case CDDS_ITEMPOSTPAINT | CDDS_SUBITEM: {
        if (!dc) break;
        CPen pen(PS_SOLID, 1, m_gridColour);
        CPen* old = dc->SelectObject(&pen);
        RECT cell{};
        const int row = static_cast<int>(draw->nmcd.dwItemSpec);
        if (GetSubItemRect(row, draw->iSubItem, LVIR_BOUNDS, cell)) {
            dc->MoveTo(cell.right - 1, cell.top);
            dc->LineTo(cell.right - 1, cell.bottom);
        }
        dc->SelectObject(old);
        break;
    }
    case CDDS_POSTPAINT:
        if (dc) DrawGridLines(*dc, static_cast<int>(draw->nmcd.dwItemSpec));
        break;
    default:
        break;
    }
}
