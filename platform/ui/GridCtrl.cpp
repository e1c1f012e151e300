#include "platform/ui/GridCtrl.h"

#include "platform/ui/GridView.h"

#include <algorithm>

using platform::ui::GridCell;
using platform::ui::GridModel;
using platform::ui::GridPeer;
using platform::ui::GridView;
using platform::ui::ToCString;
using platform::ui::ToQString;

IMPLEMENT_DYNAMIC(CGridCtrl, CWnd)

namespace {

GridView* ViewOf(const CWnd* wnd) { return wnd->GetSafeHwnd() ? GridPeer::ViewOf(wnd->GetSafeHwnd()) : nullptr; }

QString Text(LPCTSTR text) { return text ? ToQString(text) : QString(); }

// Runs fn on each cell of a range of a live grid, then redraws it.
template <class Fn>
void ForRange(const CWnd* wnd, int r1, int c1, int r2, int c2, Fn fn)
{
    GridView* view = ViewOf(wnd);
    if (!view) return;
    GridModel& model = view->Model();
    if (!model.ClipRange(r1, c1, r2, c2)) return;
    for (int r = r1; r <= r2; ++r)
        for (int c = c1; c <= c2; ++c) fn(model.Cell(r, c));
    view->CellsChanged();
}

// Changes one cell of a live grid and redraws it; FALSE outside the table.
template <class Fn>
BOOL ForCell(const CWnd* wnd, int r, int c, Fn fn)
{
    GridView* view = ViewOf(wnd);
    if (!view || !view->Model().ValidCell(r, c)) return FALSE;
    fn(view->Model().Cell(r, c));
    view->CellsChanged();
    return TRUE;
}

// Reads one cell of a live grid, or gives fallback.
template <class T, class Fn>
T ReadCell(const CWnd* wnd, int r, int c, T fallback, Fn fn)
{
    GridView* view = ViewOf(wnd);
    if (!view || !view->Model().ValidCell(r, c)) return fallback;
    return fn(view->Model().Cell(r, c));
}

}  // namespace

BOOL CGridCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    return CreateEx(0, WC_GRIDCTRL, u"", dwStyle, rect, pParentWnd, nID);
}

// ---------------------------------------------------------------- shape

BOOL CGridCtrl::SetRows(int nRows)
{
    GridView* view = ViewOf(this);
    return view && view->SetShape(nRows, view->Model().Cols()) ? TRUE : FALSE;
}

int CGridCtrl::GetRows() const
{
    GridView* view = ViewOf(this);
    return view ? view->Model().Rows() : 0;
}

BOOL CGridCtrl::SetCols(int nCols)
{
    GridView* view = ViewOf(this);
    return view && view->SetShape(view->Model().Rows(), nCols) ? TRUE : FALSE;
}

int CGridCtrl::GetCols() const
{
    GridView* view = ViewOf(this);
    return view ? view->Model().Cols() : 0;
}

BOOL CGridCtrl::SetFixedRows(int nRows)
{
    GridView* view = ViewOf(this);
    return view && view->SetFixedRows(nRows) ? TRUE : FALSE;
}

int CGridCtrl::GetFixedRows() const
{
    GridView* view = ViewOf(this);
    return view ? view->Model().FixedRows() : 0;
}

BOOL CGridCtrl::SetFixedCols(int nCols)
{
    GridView* view = ViewOf(this);
    return view && view->SetFixedCols(nCols) ? TRUE : FALSE;
}

int CGridCtrl::GetFixedCols() const
{
    GridView* view = ViewOf(this);
    return view ? view->Model().FixedCols() : 0;
}

BOOL CGridCtrl::SetRowHeight(int nRow, int nHeight)
{
    GridView* view = ViewOf(this);
    return view && view->SetRowHeight(nRow, nHeight) ? TRUE : FALSE;
}

int CGridCtrl::GetRowHeight(int nRow) const
{
    GridView* view = ViewOf(this);
    return view ? view->Model().RowHeight(nRow) : 0;
}

void CGridCtrl::SetDefaultRowHeight(int nHeight)
{
    if (GridView* view = ViewOf(this)) view->SetDefaultRowHeight(nHeight);
}

int CGridCtrl::GetDefaultRowHeight() const
{
    GridView* view = ViewOf(this);
    return view ? view->Model().DefaultRowHeight() : 0;
}

BOOL CGridCtrl::SetColWidth(int nCol, int nWidth)
{
    GridView* view = ViewOf(this);
    return view && view->SetColWidth(nCol, nWidth) ? TRUE : FALSE;
}

int CGridCtrl::GetColWidth(int nCol) const
{
    GridView* view = ViewOf(this);
    return view ? view->Model().ColWidth(nCol) : 0;
}

BOOL CGridCtrl::AutoFitColumn(int nCol)
{
    GridView* view = ViewOf(this);
    return view && view->AutoFitColumn(nCol) ? TRUE : FALSE;
}

BOOL CGridCtrl::SetColMaxLength(int nCol, int nLength)
{
    GridView* view = ViewOf(this);
    if (!view || !view->Model().ValidCol(nCol) || nLength < 0) return FALSE;
    view->Model().Column(nCol).maxLength = nLength;
    return TRUE;
}

int CGridCtrl::GetColMaxLength(int nCol) const
{
    GridView* view = ViewOf(this);
    return view && view->Model().ValidCol(nCol) ? view->Model().Column(nCol).maxLength : 0;
}

BOOL CGridCtrl::SetColAlignment(int nCol, int nAlign)
{
    GridView* view = ViewOf(this);
    if (!view || !view->Model().ValidCol(nCol) || nAlign < GA_DEFAULT || nAlign > GA_GENERAL) return FALSE;
    view->Model().Column(nCol).alignment = nAlign;
    view->CellsChanged();
    return TRUE;
}

int CGridCtrl::GetColAlignment(int nCol) const
{
    GridView* view = ViewOf(this);
    return view && view->Model().ValidCol(nCol) ? view->Model().Column(nCol).alignment : GA_DEFAULT;
}

BOOL CGridCtrl::SetColList(int nCol, BOOL bList)
{
    GridView* view = ViewOf(this);
    if (!view || !view->Model().ValidCol(nCol)) return FALSE;
    view->Model().Column(nCol).list = bList != FALSE;
    view->CellsChanged();
    return TRUE;
}

BOOL CGridCtrl::SetColListTyping(int nCol, BOOL bTyping)
{
    GridView* view = ViewOf(this);
    if (!view || !view->Model().ValidCol(nCol)) return FALSE;
    view->Model().Column(nCol).listTyping = bTyping != FALSE;
    return TRUE;
}

BOOL CGridCtrl::GetColList(int nCol) const
{
    GridView* view = ViewOf(this);
    return view && view->Model().ValidCol(nCol) && view->Model().Column(nCol).list ? TRUE : FALSE;
}

// ---------------------------------------------------------------- lists

void CGridCtrl::ListClear(int nCol)
{
    GridView* view = ViewOf(this);
    if (!view || !view->Model().ValidCol(nCol)) return;
    view->Model().Column(nCol).items.clear();
}

int CGridCtrl::ListAdd(int nCol, LPCTSTR lpszText)
{
    GridView* view = ViewOf(this);
    if (!view || !view->Model().ValidCol(nCol)) return -1;
    auto& items = view->Model().Column(nCol).items;
    items.push_back(Text(lpszText));
    return static_cast<int>(items.size()) - 1;
}

int CGridCtrl::ListGetCount(int nCol) const
{
    GridView* view = ViewOf(this);
    return view && view->Model().ValidCol(nCol) ? static_cast<int>(view->Model().Column(nCol).items.size()) : 0;
}

CString CGridCtrl::ListGetText(int nCol, int nIndex) const
{
    GridView* view = ViewOf(this);
    if (!view || !view->Model().ValidCol(nCol)) return CString();
    const auto& items = view->Model().Column(nCol).items;
    if (nIndex < 0 || nIndex >= static_cast<int>(items.size())) return CString();
    return ToCString(items[static_cast<std::size_t>(nIndex)]);
}

int CGridCtrl::ListGetChosen(int nCol) const
{
    GridView* view = ViewOf(this);
    return view && view->Model().ValidCol(nCol) ? view->Model().Column(nCol).chosen : -1;
}

// ---------------------------------------------------------------- cells

BOOL CGridCtrl::SetCellText(int nRow, int nCol, LPCTSTR lpszText)
{
    GridView* view = ViewOf(this);
    return view && view->SetCellText(nRow, nCol, Text(lpszText)) ? TRUE : FALSE;
}

CString CGridCtrl::GetCellText(int nRow, int nCol) const
{
    return ReadCell(this, nRow, nCol, CString(), [](const GridCell& cell) { return ToCString(cell.text); });
}

BOOL CGridCtrl::SetCellData(int nRow, int nCol, LPCTSTR lpszData)
{
    const QString data = Text(lpszData);
    GridView* view = ViewOf(this);
    if (!view || !view->Model().ValidCell(nRow, nCol)) return FALSE;
    view->Model().Cell(nRow, nCol).data = data;
    return TRUE;
}

CString CGridCtrl::GetCellData(int nRow, int nCol) const
{
    return ReadCell(this, nRow, nCol, CString(), [](const GridCell& cell) { return ToCString(cell.data); });
}

BOOL CGridCtrl::SetCellLocked(int nRow, int nCol, BOOL bLocked)
{
    return ForCell(this, nRow, nCol, [&](GridCell& cell) { cell.locked = bLocked != FALSE; });
}

BOOL CGridCtrl::GetCellLocked(int nRow, int nCol) const
{
    return ReadCell(this, nRow, nCol, FALSE, [](const GridCell& cell) { return cell.locked ? TRUE : FALSE; });
}

BOOL CGridCtrl::SetCellTextColor(int nRow, int nCol, COLORREF color)
{
    return ForCell(this, nRow, nCol, [&](GridCell& cell) { cell.textColor = color; });
}

COLORREF CGridCtrl::GetCellTextColor(int nRow, int nCol) const
{
    return ReadCell(this, nRow, nCol, CLR_DEFAULT, [](const GridCell& cell) { return cell.textColor; });
}

BOOL CGridCtrl::SetCellBackColor(int nRow, int nCol, COLORREF color)
{
    return ForCell(this, nRow, nCol, [&](GridCell& cell) { cell.backColor = color; });
}

COLORREF CGridCtrl::GetCellBackColor(int nRow, int nCol) const
{
    return ReadCell(this, nRow, nCol, CLR_DEFAULT, [](const GridCell& cell) { return cell.backColor; });
}

BOOL CGridCtrl::SetCellBold(int nRow, int nCol, BOOL bBold)
{
    return ForCell(this, nRow, nCol, [&](GridCell& cell) { cell.bold = bBold ? 1 : 0; });
}

BOOL CGridCtrl::GetCellBold(int nRow, int nCol) const
{
    GridView* view = ViewOf(this);
    if (!view || !view->Model().ValidCell(nRow, nCol)) return FALSE;
    const int bold = view->Model().Cell(nRow, nCol).bold;
    if (bold >= 0) return bold ? TRUE : FALSE;
    return view->font().bold() ? TRUE : FALSE;
}

BOOL CGridCtrl::SetCellFontSize(int nRow, int nCol, int nPoints)
{
    if (nPoints < 0 || nPoints > 400) return FALSE;
    return ForCell(this, nRow, nCol, [&](GridCell& cell) { cell.fontSize = static_cast<std::int16_t>(nPoints); });
}

int CGridCtrl::GetCellFontSize(int nRow, int nCol) const
{
    GridView* view = ViewOf(this);
    if (!view || !view->Model().ValidCell(nRow, nCol)) return 0;
    const int own = view->Model().Cell(nRow, nCol).fontSize;
    if (own > 0) return own;
    return std::max(0, static_cast<int>(view->font().pointSizeF() + 0.5));
}

BOOL CGridCtrl::SetCellAlignment(int nRow, int nCol, int nAlign)
{
    if (nAlign < GA_DEFAULT || nAlign > GA_GENERAL) return FALSE;
    return ForCell(this, nRow, nCol, [&](GridCell& cell) { cell.alignment = static_cast<std::int8_t>(nAlign); });
}

int CGridCtrl::GetCellAlignment(int nRow, int nCol) const
{
    return ReadCell(this, nRow, nCol, GA_DEFAULT, [](const GridCell& cell) { return static_cast<int>(cell.alignment); });
}

BOOL CGridCtrl::SetCellList(int nRow, int nCol, BOOL bList)
{
    return ForCell(this, nRow, nCol, [&](GridCell& cell) { cell.list = bList != FALSE; });
}

BOOL CGridCtrl::GetCellList(int nRow, int nCol) const
{
    GridView* view = ViewOf(this);
    return view && view->Model().HasList(nRow, nCol) ? TRUE : FALSE;
}

BOOL CGridCtrl::GetCellRect(int nRow, int nCol, RECT* lpRect) const
{
    GridView* view = ViewOf(this);
    if (!lpRect || !view || !view->Model().ValidCell(nRow, nCol)) return FALSE;
    const QRect r = view->CellRect(nRow, nCol);
    *lpRect = RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
    return TRUE;
}

BOOL CGridCtrl::HitTest(POINT pt, int* pRow, int* pCol) const
{
    GridView* view = ViewOf(this);
    int r = -1;
    int c = -1;
    const bool hit = view && view->HitTest(QPoint(pt.x, pt.y), r, c);
    if (pRow) *pRow = r;
    if (pCol) *pCol = c;
    return hit ? TRUE : FALSE;
}

// ---------------------------------------------------------------- ranges

void CGridCtrl::ClearRange(int nRow1, int nCol1, int nRow2, int nCol2)
{
    ForRange(this, nRow1, nCol1, nRow2, nCol2, [](GridCell& cell) { cell.text.clear(); });
}

void CGridCtrl::ResetRangeFormat(int nRow1, int nCol1, int nRow2, int nCol2)
{
    ForRange(this, nRow1, nCol1, nRow2, nCol2, [](GridCell& cell) {
        cell.textColor = CLR_DEFAULT;
        cell.backColor = CLR_DEFAULT;
        cell.bold = -1;
        cell.fontSize = 0;
        cell.alignment = GA_DEFAULT;
    });
}

void CGridCtrl::SetRangeLocked(int nRow1, int nCol1, int nRow2, int nCol2, BOOL bLocked)
{
    ForRange(this, nRow1, nCol1, nRow2, nCol2, [&](GridCell& cell) { cell.locked = bLocked != FALSE; });
}

void CGridCtrl::SetRangeTextColor(int nRow1, int nCol1, int nRow2, int nCol2, COLORREF color)
{
    ForRange(this, nRow1, nCol1, nRow2, nCol2, [&](GridCell& cell) { cell.textColor = color; });
}

void CGridCtrl::SetRangeBackColor(int nRow1, int nCol1, int nRow2, int nCol2, COLORREF color)
{
    ForRange(this, nRow1, nCol1, nRow2, nCol2, [&](GridCell& cell) { cell.backColor = color; });
}

void CGridCtrl::SetRangeBold(int nRow1, int nCol1, int nRow2, int nCol2, BOOL bBold)
{
    ForRange(this, nRow1, nCol1, nRow2, nCol2, [&](GridCell& cell) { cell.bold = bBold ? 1 : 0; });
}

void CGridCtrl::SetRangeFontSize(int nRow1, int nCol1, int nRow2, int nCol2, int nPoints)
{
    if (nPoints < 0 || nPoints > 400) return;
    ForRange(this, nRow1, nCol1, nRow2, nCol2,
             [&](GridCell& cell) { cell.fontSize = static_cast<std::int16_t>(nPoints); });
}

void CGridCtrl::SetRangeAlignment(int nRow1, int nCol1, int nRow2, int nCol2, int nAlign)
{
    if (nAlign < GA_DEFAULT || nAlign > GA_GENERAL) return;
    ForRange(this, nRow1, nCol1, nRow2, nCol2,
             [&](GridCell& cell) { cell.alignment = static_cast<std::int8_t>(nAlign); });
}

// ---------------------------------------------------------------- current cell

int CGridCtrl::GetCurrentRow() const
{
    GridView* view = ViewOf(this);
    return view ? view->CurrentRow() : -1;
}

int CGridCtrl::GetCurrentCol() const
{
    GridView* view = ViewOf(this);
    return view ? view->CurrentCol() : -1;
}

BOOL CGridCtrl::SetCurrentCell(int nRow, int nCol)
{
    GridView* view = ViewOf(this);
    return view && view->MoveCurrent(nRow, nCol) ? TRUE : FALSE;
}

BOOL CGridCtrl::GetSelection(int* pRow1, int* pCol1, int* pRow2, int* pCol2) const
{
    GridView* view = ViewOf(this);
    int r1 = -1, c1 = -1, r2 = -1, c2 = -1;
    const bool ok = view && view->Selection(r1, c1, r2, c2);
    if (pRow1) *pRow1 = r1;
    if (pCol1) *pCol1 = c1;
    if (pRow2) *pRow2 = r2;
    if (pCol2) *pCol2 = c2;
    return ok ? TRUE : FALSE;
}

BOOL CGridCtrl::SetSelection(int nRow1, int nCol1, int nRow2, int nCol2)
{
    GridView* view = ViewOf(this);
    return view && view->SetSelection(nRow1, nCol1, nRow2, nCol2) ? TRUE : FALSE;
}

// ---------------------------------------------------------------- editing

void CGridCtrl::SetEditable(BOOL bEditable)
{
    if (GridView* view = ViewOf(this)) view->SetEditable(bEditable != FALSE);
}

BOOL CGridCtrl::GetEditable() const
{
    GridView* view = ViewOf(this);
    return view && view->Editable() ? TRUE : FALSE;
}

BOOL CGridCtrl::IsEditing() const
{
    GridView* view = ViewOf(this);
    return view && view->IsEditing() ? TRUE : FALSE;
}

BOOL CGridCtrl::StartEdit()
{
    GridView* view = ViewOf(this);
    return view && view->StartEdit() ? TRUE : FALSE;
}

void CGridCtrl::EndEdit(BOOL bCommit)
{
    if (GridView* view = ViewOf(this)) view->EndEdit(bCommit != FALSE);
}

// ---------------------------------------------------------------- scrolling

int CGridCtrl::GetTopRow() const
{
    GridView* view = ViewOf(this);
    return view ? view->TopRow() : 0;
}

BOOL CGridCtrl::SetTopRow(int nRow)
{
    GridView* view = ViewOf(this);
    return view && view->SetTopRow(nRow) ? TRUE : FALSE;
}

int CGridCtrl::GetLeftCol() const
{
    GridView* view = ViewOf(this);
    return view ? view->LeftCol() : 0;
}

BOOL CGridCtrl::SetLeftCol(int nCol)
{
    GridView* view = ViewOf(this);
    return view && view->SetLeftCol(nCol) ? TRUE : FALSE;
}

void CGridCtrl::EnsureVisible(int nRow, int nCol)
{
    if (GridView* view = ViewOf(this)) view->EnsureVisible(nRow, nCol);
}

// ---------------------------------------------------------------- look

void CGridCtrl::SetGridColor(int nRole, COLORREF color)
{
    GridView* view = ViewOf(this);
    if (!view || nRole < 0 || nRole >= GC_COUNT) return;
    view->Model().SetColor(nRole, color);
    view->CellsChanged();
}

COLORREF CGridCtrl::GetGridColor(int nRole) const
{
    GridView* view = ViewOf(this);
    if (!view || nRole < 0 || nRole >= GC_COUNT) return CLR_INVALID;
    return view->Model().Color(nRole);
}

void CGridCtrl::SetUserResizing(BOOL bAllow)
{
    if (GridView* view = ViewOf(this)) view->SetUserResizing(bAllow != FALSE);
}

BOOL CGridCtrl::GetUserResizing() const
{
    GridView* view = ViewOf(this);
    return view && view->UserResizing() ? TRUE : FALSE;
}

void CGridCtrl::EnableDrawing(BOOL bEnable)
{
    if (GridView* view = ViewOf(this)) view->SetDrawing(bEnable != FALSE);
}

BOOL CGridCtrl::IsDrawingEnabled() const
{
    GridView* view = ViewOf(this);
    return view && view->Drawing() ? TRUE : FALSE;
}

void CGridCtrl::Refresh()
{
    if (GridView* view = ViewOf(this)) view->Refresh();
}

// ---------------------------------------------------------------- printing

void CGridCtrl::SetPrintLayout(const platform::GridPrintLayout& layout)
{
    if (GridView* view = ViewOf(this)) view->printLayout = layout;
}

platform::GridPrintLayout CGridCtrl::GetPrintLayout() const
{
    GridView* view = ViewOf(this);
    return view ? view->printLayout : platform::GridPrintLayout();
}

BOOL CGridCtrl::ChoosePrinter()
{
    GridView* view = ViewOf(this);
    return view && platform::ui::GridChoosePrinter(*view, m_hWnd) ? TRUE : FALSE;
}

BOOL CGridCtrl::PrintGrid()
{
    GridView* view = ViewOf(this);
    return view && platform::ui::GridPrint(*view, m_hWnd) ? TRUE : FALSE;
}

BOOL CGridCtrl::PrintPreview(const RECT* lpScreenRect)
{
    GridView* view = ViewOf(this);
    return view && platform::ui::GridPreview(*view, m_hWnd, lpScreenRect) ? TRUE : FALSE;
}

int CGridCtrl::GetPrintPageCount(HDC hPrinter) const
{
    GridView* view = ViewOf(this);
    return view ? platform::ui::GridPrintPageCount(*view, hPrinter) : 0;
}

BOOL CGridCtrl::DrawPrintPage(HDC hPrinter, int nPage) const
{
    GridView* view = ViewOf(this);
    return view && platform::ui::GridDrawPrintPage(*view, hPrinter, nPage) ? TRUE : FALSE;
}
