// The grid control: a table of text cells with fixed (header) rows and
// columns, per-cell colours, boldness, alignment and a lock, hidden rows and
// columns (a height or width of 0), a current cell and a rectangular
// selection, in-place editing with a typed-character filter, drop-down lists
// per column, scrolling, a redraw switch and printing.
//
// The control keeps its cells with its window, so a control placed by a
// dialog template (class WC_GRIDCTRL) keeps what the program writes before
// and after a CGridCtrl object takes the window over. Its members work on the
// window's thread only (elsewhere they do nothing and return FALSE, 0 or an
// empty text).
//
// Users work it as a spreadsheet: a click makes a cell current, a drag or
// Shift extends the selection, a click on a header row or column selects
// that column or row, arrows, Page Up/Down, Home/End move (skipping hidden
// rows and columns), a typed character starts editing the cell (replacing
// its text), F2 or a double click edits it as it is, Enter ends the edit,
// Escape drops it, and a list cell opens its list with F4, Alt+Down, a
// click on its button or a second click. The Delete key clears nothing by
// itself: clearing is the owner's business.
//
// Events go to the parent as WM_NOTIFY (the control's own object sees them
// first, by reflection). Moving the current cell, whether by the user or by
// SetCurrentCell, sends GN_LEAVECELL (which may redirect or cancel the move)
// and then GN_ENTERCELL, and GN_ROWCHANGED when the row changed. A finished
// edit of the user sends GN_CELLCHANGED when the text changed and then
// GN_ENDEDIT; texts the program writes send nothing. While the user types,
// the cell's text is the editor's; the edit ends (as with Enter) when the
// current cell moves or the focus leaves the grid.
#pragma once

#include "platform/ui/CommonControls.h"

#include <vector>

inline constexpr const char16_t* WC_GRIDCTRL = u"QvGridCtrl";

// Notifications (WM_NOTIFY codes).
inline constexpr UINT GN_FIRST = 0U - 3000U;
inline constexpr UINT GN_ENTERCELL = GN_FIRST - 0;    // NMGRID: a cell became current
inline constexpr UINT GN_LEAVECELL = GN_FIRST - 1;    // NMGRIDMOVE: the current cell is about to move
inline constexpr UINT GN_ROWCHANGED = GN_FIRST - 2;   // NMGRID: the current row changed
inline constexpr UINT GN_KEYPRESS = GN_FIRST - 3;     // NMGRIDCHAR: a character is about to be typed
inline constexpr UINT GN_CELLCHANGED = GN_FIRST - 4;  // NMGRID: the user changed a cell's text
inline constexpr UINT GN_ENDEDIT = GN_FIRST - 5;      // NMGRID: an edit (typed or by list) ended
inline constexpr UINT GN_DROPDOWN = GN_FIRST - 6;     // NMGRID: a cell's list is about to open
inline constexpr UINT GN_MOUSEDOWN = GN_FIRST - 7;    // NMGRIDMOUSE
inline constexpr UINT GN_MOUSEMOVE = GN_FIRST - 8;    // NMGRIDMOUSE
inline constexpr UINT GN_MOUSEUP = GN_FIRST - 9;      // NMGRIDMOUSE
inline constexpr UINT GN_DBLCLK = GN_FIRST - 10;      // NMGRIDMOUSE
inline constexpr UINT GN_COLRESIZED = GN_FIRST - 11;  // NMGRIDRANGE: the user resized columns
inline constexpr UINT GN_SCROLL = GN_FIRST - 12;      // NMGRID: the top row or left column changed

struct NMGRID {
    NMHDR hdr;
    int row = -1;
    int col = -1;
};
using LPNMGRID = NMGRID*;

// The handler may change the target (newRow, newCol) or set cancel.
struct NMGRIDMOVE {
    NMHDR hdr;
    int oldRow = -1;
    int oldCol = -1;
    int newRow = -1;
    int newCol = -1;
    BOOL cancel = FALSE;
};
using LPNMGRIDMOVE = NMGRIDMOVE*;

// The handler may set ch to 0 to refuse the character.
struct NMGRIDCHAR {
    NMHDR hdr;
    int row = -1;
    int col = -1;
    WCHAR ch = 0;
};
using LPNMGRIDCHAR = NMGRIDCHAR*;

inline constexpr int GMB_LEFT = 1;
inline constexpr int GMB_RIGHT = 2;
inline constexpr int GMB_MIDDLE = 4;
inline constexpr int GMS_SHIFT = 1;
inline constexpr int GMS_CTRL = 2;
inline constexpr int GMS_ALT = 4;

// Pointer in the grid's client pixels; row and col of the cell under it, -1
// outside the cells.
struct NMGRIDMOUSE {
    NMHDR hdr;
    int button = 0;  // GMB_ of the button pressed or released; 0 for a move
    int shift = 0;   // GMS_ flags
    int x = 0;
    int y = 0;
    int row = -1;
    int col = -1;
};
using LPNMGRIDMOUSE = NMGRIDMOUSE*;

struct NMGRIDRANGE {
    NMHDR hdr;
    int first = -1;
    int last = -1;
};
using LPNMGRIDRANGE = NMGRIDRANGE*;

// Alignments of cells and columns.
inline constexpr int GA_DEFAULT = -1;  // cells: the column's; columns: centred in fixed cells, else general
inline constexpr int GA_LEFT = 0;
inline constexpr int GA_CENTER = 1;
inline constexpr int GA_RIGHT = 2;
inline constexpr int GA_GENERAL = 3;  // numbers right, other texts left

// Colour roles of the whole grid.
inline constexpr int GC_BACKEVEN = 0;       // data cells of even rows
inline constexpr int GC_BACKODD = 1;        // data cells of odd rows
inline constexpr int GC_TEXT = 2;           // text of data cells
inline constexpr int GC_FIXEDBACK = 3;      // header cells
inline constexpr int GC_FIXEDTEXT = 4;      // text of header cells
inline constexpr int GC_GRIDLINE = 5;       // lines between data cells
inline constexpr int GC_FIXEDGRIDLINE = 6;  // lines between header cells
inline constexpr int GC_SELECTION = 7;      // tint of selected cells
inline constexpr int GC_FOCUSFRAME = 8;     // frame of the current cell
inline constexpr int GC_EMPTY = 9;          // the area beyond the last cells
inline constexpr int GC_COUNT = 10;

namespace platform {

// One line printed above the table on every page.
struct GridPrintHeading {
    CString text;
    int height = 20;   // points
    int fontSize = 11;  // points
    BOOL bold = FALSE;
};

// How the grid prints: headings, then the table (split over pages down and
// across, header rows and columns repeated when asked), and a footer in the
// bottom margin in which "&P" is the page number and "&N" the page count.
struct GridPrintLayout {
    std::vector<GridPrintHeading> headings;
    CString footer;
    int zoom = 100;  // percent of the size on screen
    // Inches from the sheet's edges to the printed area, and from the
    // sheet's bottom edge to the footer's baseline area.
    double marginLeft = 0.75;
    double marginTop = 0.75;
    double marginRight = 0.75;
    double marginBottom = 0.75;
    double footerDistance = 0.4;
    BOOL repeatFixedRows = TRUE;
    BOOL repeatFixedCols = TRUE;
    BOOL centerHorizontally = FALSE;
    CString documentName;
    // Texts of the preview window's buttons.
    CString previewPrint = CString(u"Print...");
    CString previewClose = CString(u"Close");
};

}  // namespace platform

class CGridCtrl : public CWnd {
    DECLARE_DYNAMIC(CGridCtrl)

public:
    CGridCtrl() = default;

    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

    // ---- Shape. Rows and columns keep their cells when the counts change;
    // FALSE for a negative count or a table above a million cells.
    BOOL SetRows(int nRows);
    int GetRows() const;
    BOOL SetCols(int nCols);
    int GetCols() const;
    BOOL SetFixedRows(int nRows);
    int GetFixedRows() const;
    BOOL SetFixedCols(int nCols);
    int GetFixedCols() const;
    // A height or width of 0 hides the row or column.
    BOOL SetRowHeight(int nRow, int nHeight);
    int GetRowHeight(int nRow) const;
    // The normal height: rows that had the old normal height take the new
    // one, and so do rows added later. Until it is set, it follows the font.
    void SetDefaultRowHeight(int nHeight);
    int GetDefaultRowHeight() const;
    BOOL SetColWidth(int nCol, int nWidth);
    int GetColWidth(int nCol) const;
    // Fits the width to the widest text of the column; a hidden column stays
    // hidden.
    BOOL AutoFitColumn(int nCol);
    // Most characters the user may type into a cell of the column (0: any).
    BOOL SetColMaxLength(int nCol, int nLength);
    int GetColMaxLength(int nCol) const;
    BOOL SetColAlignment(int nCol, int nAlign);
    int GetColAlignment(int nCol) const;
    // Every cell of the column edits through the column's list.
    BOOL SetColList(int nCol, BOOL bList);
    BOOL GetColList(int nCol) const;
    // The column's list cells also take a typed value (F4, Alt+Down and a
    // click on the cell's button open the list).
    BOOL SetColListTyping(int nCol, BOOL bTyping);

    // ---- The drop-down list of a column, which its list cells open; a
    // GN_DROPDOWN handler may fill it just before it opens.
    void ListClear(int nCol);
    int ListAdd(int nCol, LPCTSTR lpszText);
    int ListGetCount(int nCol) const;
    CString ListGetText(int nCol, int nIndex) const;
    // The index of the entry the user chose last (-1: none yet).
    int ListGetChosen(int nCol) const;

    // ---- Cells.
    BOOL SetCellText(int nRow, int nCol, LPCTSTR lpszText);
    CString GetCellText(int nRow, int nCol) const;
    // A text kept with the cell and never shown.
    BOOL SetCellData(int nRow, int nCol, LPCTSTR lpszData);
    CString GetCellData(int nRow, int nCol) const;
    // A locked cell cannot be edited by the user.
    BOOL SetCellLocked(int nRow, int nCol, BOOL bLocked);
    BOOL GetCellLocked(int nRow, int nCol) const;
    // CLR_DEFAULT: the grid's colour for the cell's kind and row.
    BOOL SetCellTextColor(int nRow, int nCol, COLORREF color);
    COLORREF GetCellTextColor(int nRow, int nCol) const;
    BOOL SetCellBackColor(int nRow, int nCol, COLORREF color);
    COLORREF GetCellBackColor(int nRow, int nCol) const;
    BOOL SetCellBold(int nRow, int nCol, BOOL bBold);
    BOOL GetCellBold(int nRow, int nCol) const;
    // Points; 0 for the grid font's size.
    BOOL SetCellFontSize(int nRow, int nCol, int nPoints);
    int GetCellFontSize(int nRow, int nCol) const;
    BOOL SetCellAlignment(int nRow, int nCol, int nAlign);
    int GetCellAlignment(int nRow, int nCol) const;
    // The cell offers a drop-down list; GetCellList also counts the column's.
    BOOL SetCellList(int nRow, int nCol, BOOL bList);
    BOOL GetCellList(int nRow, int nCol) const;
    // In client pixels, where the cell lies (scrolled); a hidden cell has no
    // width or height. FALSE outside the table.
    BOOL GetCellRect(int nRow, int nCol, RECT* lpRect) const;
    // The cell under a point of the client area; FALSE when none.
    BOOL HitTest(POINT pt, int* pRow, int* pCol) const;

    // ---- Ranges: rows nRow1 to nRow2 and columns nCol1 to nCol2 (either
    // order, clipped to the table).
    void ClearRange(int nRow1, int nCol1, int nRow2, int nCol2);
    // Colours, boldness, size and alignment back to the grid's.
    void ResetRangeFormat(int nRow1, int nCol1, int nRow2, int nCol2);
    void SetRangeLocked(int nRow1, int nCol1, int nRow2, int nCol2, BOOL bLocked);
    void SetRangeTextColor(int nRow1, int nCol1, int nRow2, int nCol2, COLORREF color);
    void SetRangeBackColor(int nRow1, int nCol1, int nRow2, int nCol2, COLORREF color);
    void SetRangeBold(int nRow1, int nCol1, int nRow2, int nCol2, BOOL bBold);
    void SetRangeFontSize(int nRow1, int nCol1, int nRow2, int nCol2, int nPoints);
    void SetRangeAlignment(int nRow1, int nCol1, int nRow2, int nCol2, int nAlign);

    // ---- The current cell and the selection. The current cell is a data
    // cell (not fixed); -1 when the grid has none.
    int GetCurrentRow() const;
    int GetCurrentCol() const;
    // Ends an edit, moves with GN_LEAVECELL and GN_ENTERCELL (none when the
    // cell is already current), selects the one cell and scrolls it into
    // view. FALSE when the cell is not a data cell or the move was cancelled.
    BOOL SetCurrentCell(int nRow, int nCol);
    // The selected rectangle, first row and column first.
    BOOL GetSelection(int* pRow1, int* pCol1, int* pRow2, int* pCol2) const;
    // Selects a rectangle of data cells; the current cell stays.
    BOOL SetSelection(int nRow1, int nCol1, int nRow2, int nCol2);

    // ---- Editing.
    void SetEditable(BOOL bEditable);
    BOOL GetEditable() const;
    BOOL IsEditing() const;
    // Opens the current cell's editor (or its list); FALSE for a locked or
    // read-only cell.
    BOOL StartEdit();
    // Ends the edit: with bCommit as the user's Enter, otherwise as Escape.
    void EndEdit(BOOL bCommit = TRUE);

    // ---- Scrolling.
    int GetTopRow() const;
    BOOL SetTopRow(int nRow);
    int GetLeftCol() const;
    BOOL SetLeftCol(int nCol);
    void EnsureVisible(int nRow, int nCol);

    // ---- Look and drawing.
    void SetGridColor(int nRole, COLORREF color);
    COLORREF GetGridColor(int nRole) const;
    // The user may drag the right edge of a column in the header rows.
    void SetUserResizing(BOOL bAllow);
    BOOL GetUserResizing() const;
    // The redraw switch: while off, changes are not drawn.
    void EnableDrawing(BOOL bEnable);
    BOOL IsDrawingEnabled() const;
    // Repaints the whole grid now.
    void Refresh();

    // ---- Printing.
    void SetPrintLayout(const platform::GridPrintLayout& layout);
    platform::GridPrintLayout GetPrintLayout() const;
    // The print dialog; TRUE when the user accepted (the choice is kept for
    // PrintGrid and the preview).
    BOOL ChoosePrinter();
    // Prints every page on the chosen printer, or the default one. TRUE when
    // the document went out whole.
    BOOL PrintGrid();
    // A modal preview of the pages in the given screen rectangle (null: a
    // size of its own), from which the user may print.
    BOOL PrintPreview(const RECT* lpScreenRect);
    // The pages the grid takes on a printer DC, and one page drawn on it
    // (between StartPage and EndPage, or on a preview page); pages count
    // from 1.
    int GetPrintPageCount(HDC hPrinter) const;
    BOOL DrawPrintPage(HDC hPrinter, int nPage) const;
};
