#include "manager/widgets/FlxGrid.h"

#include "manager/core/NumberText.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/FrameIds.h"
#include "platform/ui/WinApp.h"

#include <algorithm>
#include <cstring>

IMPLEMENT_DYNAMIC(CFlxGrid, CGridCtrl)

BEGIN_MESSAGE_MAP(CFlxGrid, CGridCtrl)
    ON_NOTIFY_REFLECT_EX(GN_ENTERCELL, &CFlxGrid::OnGridEnterCell)
    ON_NOTIFY_REFLECT_EX(GN_KEYPRESS, &CFlxGrid::OnGridKeyPress)
    ON_NOTIFY_REFLECT_EX(GN_LEAVECELL, &CFlxGrid::OnGridLeaveCell)
END_MESSAGE_MAP()

namespace {

// The hourglass for the length of a scope.
class WaitCursor {
public:
    explicit WaitCursor(CCmdTarget& target) : m_target(target) { m_target.BeginWaitCursor(); }
    ~WaitCursor() { m_target.EndWaitCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    CCmdTarget& m_target;
};

bool IsDigit(WCHAR ch) { return ch >= u'0' && ch <= u'9'; }

}  // namespace

CFlxGrid::CFlxGrid() = default;

BOOL CFlxGrid::Create(const RECT& rect, CWnd* pParentWnd, UINT nID, LPCTSTR lpszWindowName, DWORD dwStyle)
{
    return CreateEx(0, WC_GRIDCTRL, lpszWindowName ? lpszWindowName : u"", dwStyle, rect, pParentWnd, nID);
}

// ---------------------------------------------------------------- events

BOOL CFlxGrid::OnGridEnterCell(NMHDR* pNMHDR, LRESULT*)
{
    const auto* info = reinterpret_cast<const NMGRID*>(pNMHDR);
    OnCellEntered(info->row, info->col);
    return FALSE;
}

BOOL CFlxGrid::OnGridKeyPress(NMHDR* pNMHDR, LRESULT*)
{
    auto* info = reinterpret_cast<NMGRIDCHAR*>(pNMHDR);
    OnKeyPress(&info->ch);
    return FALSE;
}

BOOL CFlxGrid::OnGridLeaveCell(NMHDR* pNMHDR, LRESULT*)
{
    auto* info = reinterpret_cast<NMGRIDMOVE*>(pNMHDR);
    OnBeforeMove(info->oldRow, info->oldCol, &info->newRow, &info->newCol, &info->cancel);
    return FALSE;
}

void CFlxGrid::SetRedraw(BOOL bRedraw)
{
    if (m_bRedrawLocked) return;
    EnableDrawing(bRedraw);
    CWnd::SetRedraw(bRedraw);
}

void CFlxGrid::OnCellEntered(int nRow, int nCol) { m_strSavedText = GetCellText(nRow, nCol); }

void CFlxGrid::OnKeyPress(WCHAR* pChar)
{
    if (!pChar) return;
    const NumberLocale locale = GetNumberLocale();
    const WCHAR separator = locale.decimalSeparator;
    const WCHAR sign = m_rules == FlxGridRules::Manager ? locale.negativeSign : u'-';
    const WCHAR ch = *pChar;
    // A character typed over a cell that is not being edited replaces its
    // text, so only an open edit's text can already hold one.
    const CString text = IsEditing() ? GetCellText(GetCurrentRow(), GetCurrentCol()) : CString();
    auto holds = [&](WCHAR c) { return text.Find(c) >= 0; };
    bool pass = true;
    switch (m_nInputMode) {
    case kInputWhole:
        if (IsDigit(ch) || ch == 8) pass = true;
        else if (ch == sign) pass = !(m_bImeEnded && holds(sign));
        else pass = false;
        break;
    case kInputDecimal:
        if (IsDigit(ch) || ch == 8) {
            pass = true;
        } else if (ch == separator) {
            pass = m_rules == FlxGridRules::Simulator ? !holds(separator) : !(m_bImeEnded && holds(separator));
        } else if (ch == sign) {
            pass = !(m_bImeEnded && holds(sign));
        } else {
            pass = false;
        }
        break;
    case kInputNothing: pass = false; break;
    default: break;
    }
    if (!pass) *pChar = 0;
    if (*pChar != 0 && m_rules == FlxGridRules::Manager && ::GetFocus() != m_hWnd) SetFocus();
}

void CFlxGrid::OnBeforeMove(int nOldRow, int, int* pNewRow, int*, BOOL* pCancel)
{
    if (!pNewRow) return;
    const int target = *pNewRow;
    const int fixed = GetFixedRows();
    const int rows = GetRows();
    if (target < fixed || target >= rows || GetRowHeight(target) != 0) return;
    // The nearest shown row in the move's direction, else the other way.
    const int step = target >= nOldRow ? 1 : -1;
    for (int direction : {step, -step}) {
        for (int r = target + direction; r >= fixed && r < rows; r += direction) {
            if (GetRowHeight(r) != 0) {
                *pNewRow = r;
                return;
            }
        }
    }
    if (pCancel) *pCancel = TRUE;
}

void CFlxGrid::OnCopied(int, int, int, int, BOOL) {}

void CFlxGrid::OnDeleted(int, int, int, int) {}

// ---------------------------------------------------------------- moves

void CFlxGrid::SelectCell(int nRow, int nCol, BOOL bRedraw)
{
    if (bRedraw) SetRedraw(FALSE);
    SetCurrentCell(nRow, nCol);
    const int row = GetCurrentRow();
    const int col = GetCurrentCol();
    if (row >= 0 && col >= 0) SetSelection(row, col, row, col);
    if (bRedraw) {
        SetRedraw(TRUE);
        Refresh();
    }
}

void CFlxGrid::MoveInRow(BOOL bForward)
{
    const int row = GetCurrentRow();
    const int cols = GetCols();
    const int fixed = GetFixedCols();
    if (row < 0 || fixed >= cols) return;
    int col = GetCurrentCol();
    // Once round the row at most: a row without a shown cell stays put.
    for (int i = 0; i < cols; ++i) {
        col += bForward ? 1 : -1;
        if (col >= cols) col = fixed;
        else if (col < fixed) col = cols - 1;
        if (GetColWidth(col) != 0) {
            SelectCell(row, col, TRUE);
            return;
        }
    }
}

void CFlxGrid::MoveInColumn(BOOL bDown)
{
    const int row = GetCurrentRow();
    const int col = GetCurrentCol();
    const int rows = GetRows();
    const int fixed = GetFixedRows();
    if (row < 0) return;
    int first = -1;
    for (int r = fixed; r < rows && first < 0; ++r)
        if (GetRowHeight(r) != 0) first = r;
    int last = -1;
    for (int r = rows - 1; r >= fixed && last < 0; --r)
        if (GetRowHeight(r) != 0) last = r;
    if (first < 0) return;
    int target = row;
    do {
        target += bDown ? 1 : -1;
    } while (target >= fixed && target < rows && GetRowHeight(target) == 0);
    target = std::clamp(target, first, last);
    SelectCell(target, col, TRUE);
}

// ---------------------------------------------------------------- keyboard

BOOL CFlxGrid::PreTranslateMessage(MSG* pMsg)
{
    bool consumed = false;
    if (pMsg->message == WM_KEYDOWN && pMsg->hwnd == m_hWnd) {
        const bool shift = ::GetKeyState(VK_SHIFT) < 0;
        const bool ctrl = ::GetKeyState(VK_CONTROL) < 0;
        int row = GetCurrentRow();
        int col = GetCurrentCol();
        switch (pMsg->wParam) {
        case VK_TAB:
            MoveInRow(!shift);
            // A move that did not happen still runs the rule of leaving a cell.
            if (ActiveCellUnchanged(row, col)) OnBeforeMove(row, col, &row, &col, nullptr);
            consumed = true;
            break;
        case VK_RETURN:
            if (m_bEnterMoves) {
                MoveInColumn(!shift);
                if (ActiveCellUnchanged(row, col)) OnBeforeMove(row, col, &row, &col, nullptr);
            }
            break;
        case VK_ESCAPE:
            if (row >= 0 && col >= 0) {
                SelectCell(row, col, TRUE);
                SetCellText(row, col, m_strSavedText);
            }
            break;
        case VK_DELETE:
            // Right after a composition the key belongs to the edit.
            if (m_bImeEnded) break;
            if (m_bDeleteAllowed) DeleteSelection();
            consumed = true;
            break;
        case 'C':
            if (ctrl && m_bCopyAllowed) CopySelection(FALSE);
            consumed = true;
            break;
        case 'V':
            if (ctrl && m_bPasteAllowed) PasteFromClipboard();
            consumed = true;
            break;
        case 'X':
            if (ctrl && m_bCutAllowed) CopySelection(TRUE);
            consumed = true;
            break;
        case VK_ADD:
            if (ctrl) {
                SetRedraw(FALSE);
                for (int c = 0; c < GetCols(); ++c) AutoFitColumn(c);
                SetRedraw(TRUE);
                Refresh();
            }
            break;
        default: break;
        }
    }
    if (pMsg->message == WM_COMMAND) m_bImeEnded = FALSE;
    else if (pMsg->message == WM_IME_ENDCOMPOSITION && pMsg->hwnd == m_hWnd) m_bImeEnded = TRUE;
    if (consumed) return TRUE;
    return CGridCtrl::PreTranslateMessage(pMsg);
}

// ---------------------------------------------------------------- clipboard

CString CFlxGrid::RangeText(int nFirstRow, int nFirstCol, int nLastRow, int nLastCol) const
{
    CString text;
    for (int r = nFirstRow; r <= nLastRow; ++r) {
        if (r > nFirstRow) text += u"\r\n";
        for (int c = nFirstCol; c <= nLastCol; ++c) {
            if (c > nFirstCol) text += u'\t';
            text += GetCellText(r, c);
        }
    }
    return text;
}

BOOL CFlxGrid::PlaceClipboardText(HWND hOwner, const CString& strText)
{
    // The text is made ready before the clipboard is touched: a failure on
    // the way leaves the user's clipboard as it was.
    const SIZE_T bytes = (static_cast<SIZE_T>(strText.GetLength()) + 1) * sizeof(char16_t);
    const HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    if (!block) return FALSE;
    void* memory = ::GlobalLock(block);
    if (!memory) {
        ::GlobalFree(block);
        return FALSE;
    }
    std::memcpy(memory, strText.GetString(), bytes - sizeof(char16_t));
    ::GlobalUnlock(block);
    if (!::OpenClipboard(hOwner)) {
        ::GlobalFree(block);
        return FALSE;
    }
    const BOOL placed = ::EmptyClipboard() && ::SetClipboardData(CF_UNICODETEXT, block) ? TRUE : FALSE;
    ::CloseClipboard();
    if (!placed) ::GlobalFree(block);
    return placed;
}

BOOL CFlxGrid::CopySelection(BOOL bCut)
{
    int r1 = 0, c1 = 0, r2 = 0, c2 = 0;
    if (!GetSelection(&r1, &c1, &r2, &c2)) return FALSE;
    if (!PlaceClipboardText(m_hWnd, RangeText(r1, c1, r2, c2))) return FALSE;
    if (bCut) {
        SetRedraw(FALSE);
        for (int r = r1; r <= r2; ++r)
            for (int c = c1; c <= c2; ++c)
                if (!GetCellLocked(r, c)) SetCellText(r, c, u"");
        SetRedraw(TRUE);
        Refresh();
    }
    OnCopied(r1, r2, c1, c2, bCut);
    return TRUE;
}

void CFlxGrid::DeleteSelection()
{
    int r1 = 0, c1 = 0, r2 = 0, c2 = 0;
    if (!GetSelection(&r1, &c1, &r2, &c2)) return;
    SetRedraw(FALSE);
    for (int r = r1; r <= r2; ++r)
        for (int c = c1; c <= c2; ++c)
            if (!GetCellLocked(r, c)) SetCellText(r, c, u"");
    OnDeleted(r1, r2, c1, c2);
    SetRedraw(TRUE);
    Refresh();
}

BOOL CFlxGrid::AllowsEditCommand(UINT id) const
{
    switch (id) {
    case ID_EDIT_PASTE: return m_bPasteAllowed;
    case ID_EDIT_CUT: return m_bCutAllowed;
    case ID_EDIT_CLEAR: return m_bDeleteAllowed;
    default: return TRUE;
    }
}

BOOL CFlxGrid::PasteFromClipboard()
{
    if (!::IsClipboardFormatAvailable(CF_UNICODETEXT)) return FALSE;
    if (!::OpenClipboard(m_hWnd)) return FALSE;
    CString text;
    bool read = false;
    if (const HGLOBAL block = ::GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const char16_t*>(::GlobalLock(block))) {
            // Up to the terminator, and never past the block.
            const std::size_t capacity = ::GlobalSize(block) / sizeof(char16_t);
            const std::size_t length = std::find(chars, chars + capacity, u'\0') - chars;
            text = CString(std::u16string_view(chars, length));
            ::GlobalUnlock(block);
            read = true;
        }
    }
    ::CloseClipboard();
    if (!read) return FALSE;
    PasteText(text);
    return TRUE;
}

CString CFlxGrid::TakeToken(CString& strText, LPCTSTR lpszSeparator)
{
    const std::u16string_view separator = lpszSeparator ? std::u16string_view(lpszSeparator) : std::u16string_view();
    const std::u16string_view all = strText.view();
    const std::size_t at = separator.empty() ? std::u16string_view::npos : all.find(separator);
    if (at == std::u16string_view::npos) {
        CString token = strText;
        strText.Empty();
        return token;
    }
    CString token(all.substr(0, at));
    strText = CString(all.substr(at + separator.size()));
    return token;
}

std::vector<std::vector<CString>> CFlxGrid::SplitTable(std::u16string_view text, std::size_t* pWidest)
{
    // One pass over the text: a large paste costs no more than its length.
    std::vector<std::vector<CString>> lines;
    std::size_t widest = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(u"\r\n", start);
        const std::size_t next = end == std::u16string_view::npos ? text.size() : end + 2;
        if (end == std::u16string_view::npos) end = text.size();
        const std::u16string_view line = text.substr(start, end - start);
        std::vector<CString> cells;
        if (!line.empty()) {
            std::size_t from = 0;
            while (true) {
                const std::size_t tab = line.find(u'\t', from);
                if (tab == std::u16string_view::npos) {
                    cells.emplace_back(line.substr(from));
                    break;
                }
                cells.emplace_back(line.substr(from, tab - from));
                from = tab + 1;
            }
        }
        widest = std::max(widest, cells.size());
        lines.push_back(std::move(cells));
        start = next;
    }
    if (pWidest) *pWidest = widest;
    return lines;
}

void CFlxGrid::PasteText(const CString& strText)
{
    std::size_t widest = 0;
    const std::vector<std::vector<CString>> lines = SplitTable(strText.view(), &widest);
    int firstRow = 0, firstCol = 0, lastRow = 0, lastCol = 0;
    if (!GetSelection(&firstRow, &firstCol, &lastRow, &lastCol)) return;
    const WaitCursor wait(*this);
    SetRedraw(FALSE);
    const int rows = GetRows();
    const int cols = GetCols();
    for (std::size_t i = 0; i < lines.size() && firstRow + static_cast<long long>(i) < rows; ++i) {
        const int row = firstRow + static_cast<int>(i);
        for (std::size_t j = 0; j < widest && firstCol + static_cast<long long>(j) < cols; ++j) {
            const int col = firstCol + static_cast<int>(j);
            if (GetCellLocked(row, col)) continue;
            SetCellText(row, col, j < lines[i].size() ? lines[i][j].GetString() : u"");
        }
    }
    SetRedraw(TRUE);
    Refresh();
}

BOOL CFlxGrid::Print() { return ChoosePrinter() && PrintGrid() ? TRUE : FALSE; }

BOOL CFlxGrid::PrintPreview()
{
    CWnd* main = AfxGetMainWnd();
    if (!main || !main->GetSafeHwnd()) main = GetTopLevelParent();
    RECT rect{};
    if (main) main->GetWindowRect(&rect);
    return CGridCtrl::PrintPreview(main ? &rect : nullptr);
}

// ---------------------------------------------------------------- look

void CFlxGrid::ApplyTableColors()
{
    SetGridColor(GC_FIXEDBACK, kLineColor);
    SetGridColor(GC_FIXEDTEXT, RGB(0, 0, 0));
    SetGridColor(GC_FIXEDGRIDLINE, kHeaderLineColor);
    SetGridColor(GC_GRIDLINE, kLineColor);
    SetGridColor(GC_BACKODD, kOddRowColor);
    SetGridColor(GC_BACKEVEN, kEvenRowColor);
    SetGridColor(GC_TEXT, RGB(0, 0, 0));
    SetGridColor(GC_SELECTION, kSelectionColor);
    SetGridColor(GC_FOCUSFRAME, kFocusFrameColor);
    SetGridColor(GC_EMPTY, RGB(255, 255, 255));
}

COLORREF CFlxGrid::RowColor(int nRow) const { return GetGridColor(nRow % 2 == 0 ? GC_BACKEVEN : GC_BACKODD); }

void CFlxGrid::MarkCellLocked(int nRow, int nCol, BOOL bLocked)
{
    SetCellLocked(nRow, nCol, bLocked);
    SetCellTextColor(nRow, nCol, ::GetSysColor(bLocked ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT));
    SetCellBackColor(nRow, nCol, bLocked ? kLockedBackColor : RowColor(nRow));
}

void CFlxGrid::MarkCellChanged(int nRow, int nCol)
{
    SetCellBold(nRow, nCol, TRUE);
    SetCellBackColor(nRow, nCol, kChangedBackColor);
}
