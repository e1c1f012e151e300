// The grid of every table of both programs: the grid control with the rules
// the tables share. Tab and Enter move between shown cells, Escape puts back
// the text the cell had when it was entered, Delete clears the selection,
// Ctrl+C, Ctrl+X and Ctrl+V copy, cut and paste tab-separated text through
// the clipboard, Ctrl with the keypad's plus fits every column to its
// texts, and typed characters are filtered by an input mode (whole numbers,
// decimal numbers, nothing) with the user's decimal separator and negative
// sign. Which of these a table allows is set by its owner (the flags below).
//
// Subclasses add a table's own rules by overriding the virtual operations;
// the control's events reach them by reflection (ON_NOTIFY_REFLECT_EX with a
// FALSE result, so the parent sees them too). The grid reflects GN_ENTERCELL,
// GN_KEYPRESS and GN_LEAVECELL to OnCellEntered, OnKeyPress and OnBeforeMove:
// subclasses override those rather than mapping the three events again.
// The simulator's tables use the same hooks: a cell's edit beginning is
// OnCellEntered, the key filter OnKeyPress, the move target OnBeforeMove and
// the cleared block OnDeleted.
//
// Locked cells are never written by Delete, cut or the base paste.
#pragma once

#include "platform/ui/GridCtrl.h"

#include <cstddef>
#include <string_view>
#include <vector>

// The two programs' grids differ in small points of the character filter.
enum class FlxGridRules {
    // The locale's negative sign; a second decimal separator or sign is
    // refused only right after an input-method composition; the grid takes
    // the focus when a character passes.
    Manager,
    // A literal "-"; a second decimal separator is refused always, a second
    // sign only right after a composition.
    Simulator,
};

class CFlxGrid : public CGridCtrl {
    DECLARE_DYNAMIC(CFlxGrid)

public:
    // The colours both programs' tables use.
    static constexpr COLORREF kLineColor = RGB(113, 158, 211);
    static constexpr COLORREF kHeaderLineColor = RGB(255, 255, 255);
    static constexpr COLORREF kOddRowColor = RGB(255, 255, 255);
    static constexpr COLORREF kEvenRowColor = RGB(239, 243, 255);
    static constexpr COLORREF kLockedBackColor = RGB(208, 208, 208);
    static constexpr COLORREF kChangedBackColor = RGB(255, 204, 204);
    static constexpr COLORREF kSelectionColor = RGB(193, 218, 255);
    static constexpr COLORREF kFocusFrameColor = RGB(40, 80, 150);

    // Input modes of the active cell.
    static constexpr int kInputFree = 0;
    static constexpr int kInputWhole = 1;
    static constexpr int kInputDecimal = 2;
    static constexpr int kInputNothing = 3;

    CFlxGrid();

    BOOL m_bCutAllowed = FALSE;
    BOOL m_bCopyAllowed = FALSE;
    BOOL m_bPasteAllowed = FALSE;
    BOOL m_bDeleteAllowed = FALSE;
    // Whether an edit command of the menus may act on the grid now: paste,
    // cut and delete only as far as the grid allows them (a locked grid
    // takes none); copy changes nothing and always may.
    BOOL AllowsEditCommand(UINT id) const;
    int m_nInputMode = kInputFree;
    BOOL m_bEnterMoves = FALSE;
    // While set, SetRedraw leaves the redraw switch alone (a pane sets it
    // while the grid is hidden).
    BOOL m_bRedrawLocked = FALSE;
    // The text of the active cell when it was entered; Escape puts it back.
    CString m_strSavedText;
    // Set when an input-method composition has just ended in the grid,
    // cleared by the next command.
    BOOL m_bImeEnded = FALSE;
    FlxGridRules m_rules = FlxGridRules::Manager;

    // A grid window of its own (tables placed by a dialog template are
    // attached with DDX_Control or SubclassDlgItem instead).
    BOOL Create(const RECT& rect, CWnd* pParentWnd, UINT nID, LPCTSTR lpszWindowName = nullptr,
                DWORD dwStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP);

    BOOL PreTranslateMessage(MSG* pMsg) override;

    // Unless the redraw is locked: the control's redraw switch and
    // WM_SETREDRAW.
    virtual void SetRedraw(BOOL bRedraw = TRUE);
    // Keeps the cell's text as the saved text.
    virtual void OnCellEntered(int nRow, int nCol);
    // The character filter of the input mode; a refused character becomes 0.
    virtual void OnKeyPress(WCHAR* pChar);
    // Keeps the active cell off hidden rows: a move onto one goes on to the
    // nearest shown row in the move's direction (or back the other way).
    // pCancel may be null (a move that did not happen, see Tab and Enter).
    virtual void OnBeforeMove(int nOldRow, int nOldCol, int* pNewRow, int* pNewCol, BOOL* pCancel);
    // After a copy or cut that reached the clipboard.
    virtual void OnCopied(int nFirstRow, int nLastRow, int nFirstCol, int nLastCol, BOOL bCut);
    // Writes tab-separated lines into the grid from the selection's first
    // cell, within the grid; unlocked cells only.
    virtual void PasteText(const CString& strText);
    // After DeleteSelection cleared the selection.
    virtual void OnDeleted(int nFirstRow, int nLastRow, int nFirstCol, int nLastCol);

    // Makes the cell active and selects it alone; with bRedraw, drawing is
    // off meanwhile and the grid repainted after.
    void SelectCell(int nRow, int nCol, BOOL bRedraw);
    // Tab: the next shown cell of the row, wrapping past either end.
    void MoveInRow(BOOL bForward);
    // Enter: the next shown row of the column, stopping at the first and last.
    void MoveInColumn(BOOL bDown);
    // The selection as text to the clipboard; a cut then empties its
    // unlocked cells. FALSE (and nothing emptied) when the clipboard could
    // not take the text.
    BOOL CopySelection(BOOL bCut);
    void DeleteSelection();
    // The clipboard's text to PasteText; FALSE when it holds no text or
    // cannot be opened.
    BOOL PasteFromClipboard();
    // The print dialog, then printing when the user accepted.
    BOOL Print();
    // The preview over the application's main window (without one, over
    // the grid's top-level window).
    BOOL PrintPreview();
    using CGridCtrl::PrintPreview;

    // Texts of the tables' clipboard: cells separated by a tab, rows by
    // CR LF, nothing after the last row.
    CString RangeText(int nFirstRow, int nFirstCol, int nLastRow, int nLastCol) const;
    // Puts Unicode text on the clipboard for owner; FALSE when the clipboard
    // cannot be opened or emptied or the text cannot be placed.
    static BOOL PlaceClipboardText(HWND hOwner, const CString& strText);
    // The part of text before the first separator; that part and the
    // separator leave text. Without the separator, all of text, which
    // becomes empty.
    static CString TakeToken(CString& strText, LPCTSTR lpszSeparator);
    // Lines (at CR LF; one line end at the very end makes no empty line)
    // and their cells (at tabs); widest gets the most cells of a line.
    static std::vector<std::vector<CString>> SplitTable(std::u16string_view text, std::size_t* pWidest = nullptr);

    // The shared look: header and grid lines, alternate rows, selection.
    void ApplyTableColors();
    // The background of a data row by its parity.
    COLORREF RowColor(int nRow) const;
    // A locked cell: grey text on grey; an unlocked one: window text on
    // its row's colour.
    void MarkCellLocked(int nRow, int nCol, BOOL bLocked);
    // A value that differs from the controller's copy: bold on pink.
    void MarkCellChanged(int nRow, int nCol);

protected:
    afx_msg BOOL OnGridEnterCell(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg BOOL OnGridKeyPress(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg BOOL OnGridLeaveCell(NMHDR* pNMHDR, LRESULT* pResult);

    DECLARE_MESSAGE_MAP()

private:
    bool ActiveCellUnchanged(int nRow, int nCol) const { return GetCurrentRow() == nRow && GetCurrentCol() == nCol; }
};
