#include "platform/ui/SplitterWnd.h"

#include "platform/core/ResourceModule.h"
#include "platform/ui/DC.h"
#include "platform/ui/DocTemplate.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/ResourceImages.h"
#include "platform/ui/View.h"

#include <algorithm>

namespace {

constexpr int kMaxPanes = 16;

}  // namespace

IMPLEMENT_DYNAMIC(CSplitterWnd, CWnd)

BEGIN_MESSAGE_MAP(CSplitterWnd, CWnd)
    ON_WM_SIZE()
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_MOUSEMOVE()
    ON_WM_SETCURSOR()
    ON_WM_CAPTURECHANGED()
END_MESSAGE_MAP()

CSplitterWnd::CSplitterWnd() = default;

CSplitterWnd::~CSplitterWnd()
{
    // The panes' handlers need this object while they go.
    if (::IsWindow(m_hWnd)) DestroyWindow();
}

BOOL CSplitterWnd::CreateStatic(CWnd* pParentWnd, int nRows, int nCols, DWORD dwStyle, UINT nID)
{
    if (!pParentWnd || nRows < 1 || nCols < 1 || nRows > kMaxPanes || nCols > kMaxPanes) return FALSE;
    m_nRows = nRows;
    m_nCols = nCols;
    m_rowInfo.assign(static_cast<std::size_t>(nRows), RowColInfo{});
    m_colInfo.assign(static_cast<std::size_t>(nCols), RowColInfo{});
    CRect rect(0, 0, 0, 0);
    // A nested splitter takes the place of its parent's pane.
    if (auto* parent = dynamic_cast<CSplitterWnd*>(pParentWnd)) {
        int row = 0;
        int col = 0;
        const int index = static_cast<int>(nID) - static_cast<int>(AFX_IDW_PANE_FIRST);
        row = index / 16;
        col = index % 16;
        if (row < parent->m_nRows && col < parent->m_nCols) {
            rect = CRect(0, 0, parent->m_colInfo[static_cast<std::size_t>(col)].nCurSize,
                         parent->m_rowInfo[static_cast<std::size_t>(row)].nCurSize);
        }
    }
    return CreateEx(0, u"AfxSplitter", nullptr, dwStyle | WS_CHILD | WS_CLIPCHILDREN, rect, pParentWnd, nID);
}

BOOL CSplitterWnd::CreateView(int row, int col, CRuntimeClass* pViewClass, SIZE sizeInit, CCreateContext* pContext)
{
    if (row < 0 || col < 0 || row >= m_nRows || col >= m_nCols || !pViewClass) return FALSE;
    if (GetPane(row, col)) return FALSE;
    m_colInfo[static_cast<std::size_t>(col)].nIdealSize = sizeInit.cx;
    m_rowInfo[static_cast<std::size_t>(row)].nIdealSize = sizeInit.cy;
    CObject* object = pViewClass->CreateObject();
    auto* view = dynamic_cast<CWnd*>(object);
    if (!view) {
        delete object;
        return FALSE;
    }
    CCreateContext context;
    if (pContext) context = *pContext;
    context.m_pNewViewClass = pViewClass;
    // A view that fails deletes itself with its window.
    if (!view->Create(nullptr, nullptr, AFX_WS_DEFAULT_VIEW & ~WS_BORDER, CRect(0, 0, sizeInit.cx, sizeInit.cy), this,
                      static_cast<UINT>(IdFromRowCol(row, col)), &context)) {
        return FALSE;
    }
    RecalcLayout();
    return TRUE;
}

CWnd* CSplitterWnd::GetPane(int row, int col) const
{
    if (row < 0 || col < 0 || row >= m_nRows || col >= m_nCols) return nullptr;
    return GetDlgItem(IdFromRowCol(row, col));
}

BOOL CSplitterWnd::IsChildPane(CWnd* pWnd, int* pRow, int* pCol)
{
    if (!pWnd || pWnd->GetParent() != this) return FALSE;
    const int index = pWnd->GetDlgCtrlID() - static_cast<int>(AFX_IDW_PANE_FIRST);
    const int row = index / 16;
    const int col = index % 16;
    if (index < 0 || row >= m_nRows || col >= m_nCols) return FALSE;
    if (pRow) *pRow = row;
    if (pCol) *pCol = col;
    return TRUE;
}

void CSplitterWnd::GetRowInfo(int row, int& cyCur, int& cyMin) const
{
    cyCur = cyMin = 0;
    if (row < 0 || row >= m_nRows) return;
    cyCur = m_rowInfo[static_cast<std::size_t>(row)].nCurSize;
    cyMin = m_rowInfo[static_cast<std::size_t>(row)].nMinSize;
}

void CSplitterWnd::SetRowInfo(int row, int cyIdeal, int cyMin)
{
    if (row < 0 || row >= m_nRows) return;
    m_rowInfo[static_cast<std::size_t>(row)].nIdealSize = std::max(0, cyIdeal);
    m_rowInfo[static_cast<std::size_t>(row)].nMinSize = std::max(0, cyMin);
}

void CSplitterWnd::GetColumnInfo(int col, int& cxCur, int& cxMin) const
{
    cxCur = cxMin = 0;
    if (col < 0 || col >= m_nCols) return;
    cxCur = m_colInfo[static_cast<std::size_t>(col)].nCurSize;
    cxMin = m_colInfo[static_cast<std::size_t>(col)].nMinSize;
}

void CSplitterWnd::SetColumnInfo(int col, int cxIdeal, int cxMin)
{
    if (col < 0 || col >= m_nCols) return;
    m_colInfo[static_cast<std::size_t>(col)].nIdealSize = std::max(0, cxIdeal);
    m_colInfo[static_cast<std::size_t>(col)].nMinSize = std::max(0, cxMin);
}

void CSplitterWnd::Layout(std::vector<RowColInfo>& info, int total)
{
    const int n = static_cast<int>(info.size());
    int remaining = std::max(0, total - (n - 1) * kSplitterGap);
    const bool noIdeal = std::all_of(info.begin(), info.end(), [](const RowColInfo& i) { return i.nIdealSize == 0; });
    const int share = n > 0 ? remaining / n : 0;
    for (int i = 0; i < n; ++i) {
        RowColInfo& item = info[static_cast<std::size_t>(i)];
        int size = i == n - 1 ? remaining : std::min(noIdeal ? share : item.nIdealSize, remaining);
        // A pane smaller than its minimum is not shown.
        if (size < item.nMinSize && i != n - 1) size = 0;
        item.nCurSize = size;
        remaining = std::max(0, remaining - size);
    }
}

void CSplitterWnd::RecalcLayout()
{
    if (!::IsWindow(m_hWnd) || m_nRows == 0 || m_nCols == 0) return;
    CRect client;
    GetClientRect(&client);
    Layout(m_colInfo, client.Width());
    Layout(m_rowInfo, client.Height());
    int y = 0;
    for (int row = 0; row < m_nRows; ++row) {
        const int h = m_rowInfo[static_cast<std::size_t>(row)].nCurSize;
        int x = 0;
        for (int col = 0; col < m_nCols; ++col) {
            const int w = m_colInfo[static_cast<std::size_t>(col)].nCurSize;
            if (CWnd* pane = GetPane(row, col)) {
                pane->MoveWindow(x, y, w, h);
                pane->ShowWindow(w > 0 && h > 0 ? SW_SHOWNA : SW_HIDE);
            }
            x += w + kSplitterGap;
        }
        y += h + kSplitterGap;
    }
    Invalidate(TRUE);
}

CWnd* CSplitterWnd::GetActivePane(int* pRow, int* pCol)
{
    CFrameWnd* frame = AfxGetParentFrame(this);
    CWnd* view = frame ? frame->GetActiveView() : nullptr;
    if (view && IsChildPane(view, pRow, pCol)) return view;
    return nullptr;
}

void CSplitterWnd::SetActivePane(int row, int col, CWnd* pWnd)
{
    CWnd* pane = pWnd ? pWnd : GetPane(row, col);
    if (!pane) return;
    if (auto* view = dynamic_cast<CView*>(pane)) {
        if (CFrameWnd* frame = AfxGetParentFrame(this)) {
            frame->SetActiveView(view, TRUE);
            return;
        }
    }
    pane->SetFocus();
}

void CSplitterWnd::OnSize(UINT nType, int cx, int cy)
{
    CWnd::OnSize(nType, cx, cy);
    RecalcLayout();
}

void CSplitterWnd::OnPaint()
{
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    dc.FillSolidRect(&client, ::GetSysColor(COLOR_BTNFACE));
    int x = 0;
    for (int col = 0; col + 1 < m_nCols; ++col) {
        x += m_colInfo[static_cast<std::size_t>(col)].nCurSize;
        CRect bar(x, client.top, x + kSplitterGap, client.bottom);
        ::DrawEdge(dc, &bar, EDGE_RAISED, BF_LEFT | BF_RIGHT);
        x += kSplitterGap;
    }
    int y = 0;
    for (int row = 0; row + 1 < m_nRows; ++row) {
        y += m_rowInfo[static_cast<std::size_t>(row)].nCurSize;
        CRect bar(client.left, y, client.right, y + kSplitterGap);
        ::DrawEdge(dc, &bar, EDGE_RAISED, BF_TOP | BF_BOTTOM);
        y += kSplitterGap;
    }
}

void CSplitterWnd::HitBar(CPoint point, int& kind, int& index) const
{
    kind = 0;
    index = -1;
    int x = 0;
    for (int col = 0; col + 1 < m_nCols; ++col) {
        x += m_colInfo[static_cast<std::size_t>(col)].nCurSize;
        if (point.x >= x && point.x < x + kSplitterGap) {
            kind = 1;
            index = col;
            return;
        }
        x += kSplitterGap;
    }
    int y = 0;
    for (int row = 0; row + 1 < m_nRows; ++row) {
        y += m_rowInfo[static_cast<std::size_t>(row)].nCurSize;
        if (point.y >= y && point.y < y + kSplitterGap) {
            kind = 2;
            index = row;
            return;
        }
        y += kSplitterGap;
    }
}

void CSplitterWnd::OnLButtonDown(UINT, CPoint point)
{
    HitBar(point, m_trackKind, m_trackIndex);
    if (m_trackKind == 0) return;
    m_trackStart = m_trackKind == 1 ? point.x : point.y;
    const auto& info = m_trackKind == 1 ? m_colInfo : m_rowInfo;
    m_trackStartSize = info[static_cast<std::size_t>(m_trackIndex)].nCurSize;
    ::SetCapture(m_hWnd);
}

void CSplitterWnd::OnMouseMove(UINT, CPoint point)
{
    if (m_trackKind == 0) return;
    auto& info = m_trackKind == 1 ? m_colInfo : m_rowInfo;
    const std::size_t i = static_cast<std::size_t>(m_trackIndex);
    const int both = m_trackStartSize + info[i + 1].nCurSize + (info[i].nCurSize - m_trackStartSize);
    const int delta = (m_trackKind == 1 ? point.x : point.y) - m_trackStart;
    const int size = std::clamp(m_trackStartSize + delta, 0, std::max(0, both));
    if (size == info[i].nCurSize) return;
    const int next = both - size;
    info[i].nIdealSize = size;
    info[i + 1].nIdealSize = next;
    RecalcLayout();
}

void CSplitterWnd::OnLButtonUp(UINT, CPoint)
{
    if (m_trackKind == 0) return;
    m_trackKind = 0;
    ::ReleaseCapture();
}

void CSplitterWnd::OnCaptureChanged(CWnd*) { m_trackKind = 0; }

BOOL CSplitterWnd::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message)
{
    POINT at;
    ::GetCursorPos(&at);
    ScreenToClient(&at);
    int kind = m_trackKind;
    int index = 0;
    if (kind == 0) HitBar(at, kind, index);
    if (kind != 0) {
        ::SetCursor(::LoadCursorW(HINSTANCE(), kind == 1 ? IDC_SIZEWE : IDC_SIZENS));
        return TRUE;
    }
    return CWnd::OnSetCursor(pWnd, nHitTest, message);
}
