#include "manager/ui/PointTableGrid.h"

#include "manager/core/NumberText.h"
#include "manager/ui/ManagerMessages.h"
#include "resources/manager/resource_ids.h"

#include <algorithm>
#include <cmath>

BEGIN_MESSAGE_MAP(CPointTableGrid, CFlxGrid)
    ON_NOTIFY_REFLECT_EX(GN_ENDEDIT, &CPointTableGrid::OnEndEdit)
    ON_NOTIFY_REFLECT_EX(GN_DROPDOWN, &CPointTableGrid::OnDropDown)
    ON_NOTIFY_REFLECT_EX(GN_COLRESIZED, &CPointTableGrid::OnColResized)
    ON_NOTIFY_REFLECT_EX(GN_MOUSEUP, &CPointTableGrid::OnMouseUpGrid)
    ON_NOTIFY_REFLECT_EX(GN_MOUSEDOWN, &CPointTableGrid::OnMouseDownGrid)
END_MESSAGE_MAP()

namespace {

constexpr std::array<int, CPointTableGrid::kColumns> kFullWidths = {74, 90, 64, 56, 56, 56, 56, 68, 68, 74, 40, 60, 0, 50};
constexpr int kColumnC = PointRecord::kC;

std::int32_t Pow10(int d)
{
    std::int32_t p = 1;
    for (int i = 0; i < d; ++i) p *= 10;
    return p;
}

}  // namespace

std::int32_t PositionLimit(int decimals)
{
    const int d = std::max(decimals, 0);
    const double display = 9999999.0 / Pow10(d);
    double whole = std::floor(display);
    const double fraction = display - whole;
    if (whole >= 10000.0) whole = std::fmod(whole, 10000.0);
    return static_cast<std::int32_t>((whole + fraction) * Pow10(d) + 1e-6);
}

CString CPointTableGrid::MoveTypeName(int m)
{
    return m >= 1 && m <= 8 ? LoadFrameText(IDS_STATE_MOVE_1 + static_cast<UINT>(m - 1)) : CString();
}

int CPointTableGrid::MoveTypeOf(const CString& name)
{
    for (int m = 1; m <= 8; ++m)
        if (name == MoveTypeName(m)) return m;
    return 1;
}

CString CPointTableGrid::FieldText(int col, std::int32_t value) const
{
    if (col == PointRecord::kM) return MoveTypeName(value);
    CString text;
    if (col == PointRecord::kJ || col == PointRecord::kF) {
        text.Format(u"%d", value);
        return text;
    }
    return FormatFixedDecimals(value, m_columns[static_cast<size_t>(col)].decimals);
}

int CPointTableGrid::SlotOfRow(int row) const
{
    const int slot = row - kFixedRows;
    return slot >= 0 && slot < kPointCount && row < GetRows() ? slot : -1;
}

PointRecord* CPointTableGrid::Record(int row) const
{
    const int slot = SlotOfRow(row);
    return m_pData && slot >= 0 ? &m_pData->points[static_cast<size_t>(slot)] : nullptr;
}

const PointRecord* CPointTableGrid::Reference(int row) const
{
    const int slot = SlotOfRow(row);
    return m_pReference && slot >= 0 ? &(*m_pReference)[static_cast<size_t>(slot)] : nullptr;
}

void CPointTableGrid::SetColumnSettings()
{
    const RobotParameterSet* set = m_pData ? m_pData->FirstParamSet() : nullptr;
    auto k = [&](int n) { return set ? set->K(n) : 0; };
    const int pd = std::clamp(k(72), 0, 4);
    const std::int32_t limit = PositionLimit(pd);
    const bool fine = (k(71) & 1) != 0;
    const BYTE speedDecimals = fine ? 2 : 0;
    const std::int32_t sDefault = fine ? k(44) : 100;
    const std::int32_t acDefault = fine ? k(48) : 100;
    m_columns = {{
        {kKindLabel, 0, 0, 1, 255},
        {kKindList, 0, 1, 1, 8},
        {kKindDecimal, static_cast<BYTE>(pd), 0, -limit, limit},
        {kKindDecimal, speedDecimals, sDefault, 1, std::max(sDefault, 1)},
        {kKindDecimal, speedDecimals, acDefault, 1, std::max(acDefault, 1)},
        {kKindWhole, 0, k(53), 1, 100},
        {kKindWhole, 0, k(52), 1, std::max(k(52), 1)},
        {kKindDecimal, static_cast<BYTE>(pd), 0, -limit, limit},
        {kKindDecimal, static_cast<BYTE>(pd), 0, -limit, limit},
        {kKindDecimal, static_cast<BYTE>(pd), k(54), 0, limit},
        {kKindWhole, 0, 0, 0, 255},
        {kKindWhole, 0, 0, 0, 9999999},
        {kKindWhole, 0, 0, 0, 255},
        {kKindWhole, 0, 0, 0, 30000},
    }};
    // A parameter left at 0 (a DC or Q default of 0) must not give a new
    // point a value its own column refuses: the controller would take a
    // deceleration or a current limit of 0.
    for (size_t c = PointRecord::kM; c < m_columns.size(); ++c) {
        Column& column = m_columns[c];
        column.defaultValue = std::clamp(column.defaultValue, column.minimum, std::max(column.minimum, column.maximum));
    }
}

void CPointTableGrid::ApplyColumnWidths()
{
    for (int c = 0; c < kColumns; ++c) {
        int width = kFullWidths[static_cast<size_t>(c)];
        if ((m_simple && c >= PointRecord::kZL) || c == kColumnC) width = 0;
        SetColWidth(c, width);
    }
}

void CPointTableGrid::LayoutPointGrid(ControllerData* pData, const std::array<PointRecord, kPointCount>* pReference,
                                      BOOL bSimple)
{
    SetRedraw(FALSE);
    m_pData = pData;
    m_pReference = pReference;
    m_simple = bSimple ? 1 : 0;
    ApplyTableColors();
    SetCols(kColumns);
    SetRows(kFixedRows);
    SetFixedRows(kFixedRows);
    SetFixedCols(1);
    m_bCutAllowed = m_bCopyAllowed = m_bPasteAllowed = m_bDeleteAllowed = TRUE;
    m_bEnterMoves = TRUE;
    SetEditable(TRUE);
    for (int c = 0; c < kColumns; ++c) SetCellText(0, c, LoadFrameText(IDS_PANE_COL_FIRST + static_cast<UINT>(c)).GetString());
    const RobotParameterSet* set = pData ? pData->FirstParamSet() : nullptr;
    const bool fine = set && (set->K(71) & 1) != 0;
    for (int c : {2, 7, 8, 9}) SetCellText(1, c, LoadFrameText(IDS_PANE_UNIT_POSITION).GetString());
    for (int c : {5, 6}) SetCellText(1, c, LoadFrameText(IDS_PANE_UNIT_PERCENT).GetString());
    SetCellText(1, 13, LoadFrameText(IDS_PANE_UNIT_TIME).GetString());
    SetCellText(1, 3, LoadFrameText(fine ? IDS_PANE_UNIT_SPEED : IDS_PANE_UNIT_PERCENT).GetString());
    SetCellText(1, 4, LoadFrameText(fine ? IDS_PANE_UNIT_ACCEL : IDS_PANE_UNIT_PERCENT).GetString());
    ApplyColumnWidths();
    for (int c = 0; c < kColumns; ++c) SetColMaxLength(c, c == 1 ? 20 : 9);
    SetColList(1, TRUE);
    ListClear(1);
    for (int m = 0; m <= 8; ++m) ListAdd(1, MoveTypeName(m).GetString());
    SetColumnSettings();
    SetRedraw(TRUE);
}

void CPointTableGrid::WriteRow(int row)
{
    const PointRecord* record = Record(row);
    if (!record) return;
    for (int c = 1; c < kColumns; ++c) SetCellText(row, c, FieldText(c, record->Field(c)).GetString());
}

void CPointTableGrid::FillPointGrid(BOOL bHideUndefined, BOOL bStoreM, BOOL bRedraw)
{
    if (!m_pData) {
        SetRows(kFixedRows);
        return;
    }
    SetRedraw(FALSE);
    SetColumnSettings();
    SetRows(kFixedRows + kPointCount);
    m_rowCount = kPointCount;
    const int last = kFixedRows + kPointCount - 1;
    ResetRangeFormat(kFixedRows, 0, last, kColumns - 1);
    ClearRange(kFixedRows, 0, last, kColumns - 1);
    for (int slot = 0; slot < kPointCount; ++slot) {
        const int row = RowOfSlot(slot);
        CString label, data;
        label.Format(u"P%d", slot + 1);
        data.Format(u"%d", slot);
        SetCellText(row, 0, label.GetString());
        SetCellData(row, 0, data.GetString());
        const PointRecord& record = m_pData->points[static_cast<size_t>(slot)];
        if (record.IsUsed()) {
            LockRow(row, FALSE);
            SetCellLocked(row, 1, FALSE);
            SetRowHeight(row, GetDefaultRowHeight());
            WriteRow(row);
            // Showing the points never changes them: the cells are only
            // marked where they differ from the controller's copy.
            const PointRecord* reference = Reference(row);
            for (int c = 1; c < kColumns; ++c) {
                const bool changed = !reference || !reference->IsUsed() || reference->Field(c) != record.Field(c);
                SetCellBold(row, c, changed ? TRUE : FALSE);
                SetCellBackColor(row, c, changed ? kChangedBackColor : RowColor(row));
            }
        } else {
            LockRow(row, TRUE);
            SetRowHeight(row, bHideUndefined ? 0 : GetDefaultRowHeight());
        }
        if (bStoreM) StoreCell(row, 1);
    }
    SetRedraw(TRUE);
    if (bRedraw) Refresh();
    OnCellEntered(GetCurrentRow(), GetCurrentCol());
}

void CPointTableGrid::LockRow(int row, BOOL lock)
{
    for (int c = 2; c < kColumns; ++c) {
        SetCellLocked(row, c, lock);
        SetCellTextColor(row, c, ::GetSysColor(lock ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT));
        SetCellBackColor(row, c, lock ? kLockedBackColor : RowColor(row));
        SetCellBold(row, c, FALSE);
    }
}

void CPointTableGrid::StoreCell(int row, int col)
{
    PointRecord* record = Record(row);
    const PointRecord* reference = Reference(row);
    if (!record || col < 1 || col >= kColumns || GetCellLocked(row, col)) return;
    const Column& column = m_columns[static_cast<size_t>(col)];
    CString text = GetCellText(row, col);
    text.Trim();
    bool changed = false;
    const bool referenceDefined = reference && reference->IsUsed();
    if (!referenceDefined && !text.IsEmpty()) changed = true;
    if (text.IsEmpty() && column.kind != kKindList) {
        text = FieldText(col, column.defaultValue);
        changed = true;
    }
    std::int32_t value = 0;
    if (!text.IsEmpty()) {
        if (column.kind == kKindList) {
            value = MoveTypeOf(text);
        } else {
            const bool negative = column.minimum < 0;
            const std::u16string_view view(text.GetString(), static_cast<size_t>(text.GetLength()));
            if (IsNumericText(view, 9, negative) || IsNumericText(view, 9, true)) {
                const double scale = Pow10(column.decimals);
                double shown = NumericTextToDouble(view);
                shown = std::clamp(shown, column.minimum / scale, column.maximum / scale);
                value = static_cast<std::int32_t>(RoundToDecimals(shown, column.decimals));
            } else {
                // What does not parse is refused: the field keeps what it held.
                m_lastRefused = text;
                value = record->IsUsed() ? record->Field(col) : column.defaultValue;
            }
        }
        SetCellText(row, col, FieldText(col, value).GetString());
        if (reference && value != reference->Field(col)) changed = true;
    }
    record->Field(col) = value;
    SetCellBold(row, col, changed ? TRUE : FALSE);
    SetCellBackColor(row, col, changed ? kChangedBackColor : RowColor(row));
}

void CPointTableGrid::DefineSlot(int row)
{
    PointRecord* record = Record(row);
    if (!record) return;
    record->number = SlotOfRow(row) + 1;
    for (int c = 1; c < kColumns; ++c) record->Field(c) = m_columns[static_cast<size_t>(c)].defaultValue;
    LockRow(row, FALSE);
    for (int c = 1; c < kColumns; ++c) {
        if (GetCellText(row, c).IsEmpty()) SetCellText(row, c, FieldText(c, record->Field(c)).GetString());
        SetCellBold(row, c, TRUE);
        SetCellBackColor(row, c, kChangedBackColor);
    }
}

void CPointTableGrid::ClearSlot(int row)
{
    PointRecord* record = Record(row);
    if (!record) return;
    for (int c = 1; c < kColumns; ++c) SetCellText(row, c, u"");
    LockRow(row, TRUE);
    StoreCell(row, 1);
    record->Clear();
    const PointRecord* reference = Reference(row);
    const bool changed = reference && reference->IsUsed();
    SetCellBold(row, 1, changed ? TRUE : FALSE);
    SetCellBackColor(row, 1, changed ? kChangedBackColor : RowColor(row));
}

void CPointTableGrid::OnCellEntered(int nRow, int nCol)
{
    CFlxGrid::OnCellEntered(nRow, nCol);
    const BYTE kind = nCol >= 0 && nCol < kColumns ? m_columns[static_cast<size_t>(nCol)].kind : 0;
    m_nInputMode = kind == kKindLabel || kind == kKindList ? kInputNothing
                   : kind == kKindWhole                   ? kInputWhole
                   : kind == kKindDecimal                 ? kInputDecimal
                                                          : kInputFree;
    if (CWnd* parent = GetParent()) parent->SendMessage(UM_CELLDESCRIPTION, static_cast<WPARAM>(nRow), nCol);
}

void CPointTableGrid::OnBeforeMove(int nOldRow, int nOldCol, int* pNewRow, int* pNewCol, BOOL* pCancel)
{
    CFlxGrid::OnBeforeMove(nOldRow, nOldCol, pNewRow, pNewCol, pCancel);
    m_bImeEnded = FALSE;
    if (!m_pData || nOldRow < kFixedRows || nOldCol < 1 || nOldCol == PointRecord::kM) return;
    if (GetCellText(nOldRow, nOldCol) != m_strSavedText) StoreCell(nOldRow, nOldCol);
}

BOOL CPointTableGrid::OnEndEdit(NMHDR* pNMHDR, LRESULT*)
{
    const auto* info = reinterpret_cast<const NMGRID*>(pNMHDR);
    const int row = info->row, col = info->col;
    if (SlotOfRow(row) < 0 || !m_pData) return FALSE;
    const CString text = GetCellText(row, col);
    if (text == m_strSavedText) return FALSE;
    SetRedraw(FALSE);
    if (col == PointRecord::kM) {
        if (text.IsEmpty()) {
            ClearSlot(row);
        } else {
            if (m_strSavedText.IsEmpty()) DefineSlot(row);
            StoreCell(row, 1);
        }
    } else {
        StoreCell(row, col);
    }
    CFlxGrid::OnCellEntered(row, col);
    SetRedraw(TRUE);
    Refresh();
    return FALSE;
}

BOOL CPointTableGrid::OnDropDown(NMHDR*, LRESULT*) { return FALSE; }

BOOL CPointTableGrid::OnColResized(NMHDR*, LRESULT*)
{
    ApplyColumnWidths();
    return FALSE;
}

BOOL CPointTableGrid::OnMouseDownGrid(NMHDR* pNMHDR, LRESULT*)
{
    const auto* info = reinterpret_cast<const NMGRIDMOUSE*>(pNMHDR);
    if (info->button != GMB_RIGHT || info->row < kFixedRows || info->col < 1) return FALSE;
    // The context menu works on the cell under the pointer unless it lies in the selection.
    int r1 = 0, c1 = 0, r2 = 0, c2 = 0;
    const bool inside = GetSelection(&r1, &c1, &r2, &c2) && info->row >= std::min(r1, r2) &&
                        info->row <= std::max(r1, r2) && info->col >= std::min(c1, c2) && info->col <= std::max(c1, c2);
    if (!inside) SelectCell(info->row, info->col, TRUE);
    return FALSE;
}

BOOL CPointTableGrid::OnMouseUpGrid(NMHDR* pNMHDR, LRESULT*)
{
    const auto* info = reinterpret_cast<const NMGRIDMOUSE*>(pNMHDR);
    const bool menu = info->button == GMB_RIGHT || (info->button == GMB_LEFT && (info->shift & (GMS_SHIFT | GMS_CTRL)));
    if (menu && info->row >= 0 && info->col >= 0) {
        CPoint pt(info->x, info->y);
        ClientToScreen(&pt);
        if (CWnd* parent = GetParent()) parent->PostMessage(UM_GRIDCONTEXTMENU, static_cast<WPARAM>(pt.x), pt.y);
    }
    return FALSE;
}

void CPointTableGrid::OnCopied(int nFirstRow, int nLastRow, int nFirstCol, int nLastCol, BOOL bCut)
{
    if (bCut) OnDeleted(nFirstRow, nLastRow, nFirstCol, nLastCol);
}

void CPointTableGrid::OnDeleted(int nFirstRow, int nLastRow, int nFirstCol, int nLastCol)
{
    SetRedraw(FALSE);
    for (int row = std::max(nFirstRow, kFixedRows); row <= nLastRow && row < GetRows(); ++row) {
        if (!Record(row)) continue;
        if (nFirstCol <= PointRecord::kM) {
            ClearSlot(row);
            continue;
        }
        if (!Record(row)->IsUsed()) continue;
        for (int col = nFirstCol; col <= nLastCol && col < kColumns; ++col) {
            SetCellText(row, col, u"");
            StoreCell(row, col);
        }
    }
    SetRedraw(TRUE);
    Refresh();
}

void CPointTableGrid::PasteText(const CString& strText)
{
    CWnd* parent = GetParent();
    if (parent) parent->SendMessage(UM_PAUSEPOLLING, 0, 0);
    std::size_t widest = 0;
    const std::vector<std::vector<CString>> lines = SplitTable(strText.view(), &widest);
    int firstRow = 0, firstCol = 0, lastRow = 0, lastCol = 0;
    if (m_pData && GetSelection(&firstRow, &firstCol, &lastRow, &lastCol)) {
        // A whole copied point (13 fields, or 14 with its label) starts at M
        // whatever cell is selected.
        if (widest > 12) firstCol = 1;
        if (widest > 13) firstCol = 0;
        firstRow = std::max(firstRow, kFixedRows);
        firstCol = std::max(firstCol, 1);
        SetRedraw(FALSE);
        const int cols = kColumns;
        for (std::size_t i = 0; i < lines.size() && firstRow + static_cast<int>(i) < GetRows(); ++i) {
            const int row = firstRow + static_cast<int>(i);
            const std::vector<CString>& cells = lines[i];
            // With the label column pasted too, the cells move one column on.
            const std::size_t skip = widest > 13 ? 1 : 0;
            bool blank = true;
            for (const CString& cell : cells) blank = blank && cell.IsEmpty();
            const bool mEmpty = GetCellText(row, 1).IsEmpty();
            if (blank) {
                if (firstCol == 1 && !mEmpty) ClearSlot(row);
                continue;
            }
            if (mEmpty) {
                // The M text of the line, when pasted, decides the type.
                DefineSlot(row);
            }
            for (std::size_t j = skip; j < widest; ++j) {
                const int col = firstCol + static_cast<int>(j - skip);
                if (col >= cols) break;
                if (col == kColumnC && cols > kColumnC) {
                    // C is never shown: keep its own value.
                }
                CString cell = j < cells.size() ? cells[j] : CString();
                if (cell.IsEmpty() && col != PointRecord::kM) cell = u"0";
                if (col == PointRecord::kM && cell.IsEmpty()) continue;
                SetCellText(row, col, cell.GetString());
                StoreCell(row, col);
            }
        }
        CFlxGrid::OnCellEntered(firstRow, firstCol);
        SetRedraw(TRUE);
        Refresh();
    }
    if (parent) parent->SendMessage(UM_RESUMEPOLLING, 0, 0);
}

void CPointTableGrid::ShowUndefinedPoints(BOOL bHide)
{
    if (!m_pData) return;
    for (int slot = 0; slot < kPointCount; ++slot)
        if (!m_pData->points[static_cast<size_t>(slot)].IsUsed())
            SetRowHeight(RowOfSlot(slot), bHide ? 0 : GetDefaultRowHeight());
    const int row = GetCurrentRow();
    if (row >= kFixedRows && GetRowHeight(row) == 0) {
        for (int r = kFixedRows; r < GetRows(); ++r)
            if (GetRowHeight(r) > 0) {
                SelectCell(r, std::max(GetCurrentCol(), 1), FALSE);
                break;
            }
    }
}

void CPointTableGrid::SetSimpleView(BOOL bSimple)
{
    m_simple = bSimple ? 1 : 0;
    ApplyColumnWidths();
    if (GetRows() > kFixedRows) SelectCell(std::max(GetCurrentRow(), kFixedRows), 1, FALSE);
}

void CPointTableGrid::LockPointGrid(BOOL bLock)
{
    if (!m_pData) return;
    for (int row = kFixedRows; row < GetRows(); ++row) {
        const PointRecord* record = Record(row);
        if (!record) continue;
        const int first = 1, last = record->IsUsed() ? kColumns - 1 : 1;
        for (int c = first; c <= last; ++c) {
            SetCellLocked(row, c, bLock);
            SetCellTextColor(row, c, ::GetSysColor(bLock ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT));
        }
    }
    m_bCutAllowed = m_bCopyAllowed = m_bPasteAllowed = m_bDeleteAllowed = bLock ? FALSE : TRUE;
}

void CPointTableGrid::HighlightPoint(int point)
{
    if (point > 0 && point <= kPointCount) {
        // Once per point: a row the user chose meanwhile is left to the user
        // until the controller runs another point.
        const int row = RowOfSlot(point - 1);
        if (row == m_highlighted || row >= GetRows()) return;
        m_highlighted = row;
        // The row becomes current too, so the panel's selected point (what
        // START and teach name) is the row shown.
        SetCurrentCell(row, 1);
        SetSelection(row, 1, row, kColumns - 1);
        return;
    }
    const int row = m_highlighted > 0 ? m_highlighted : kFixedRows;
    if (row < GetRows()) SelectCell(row, 1, TRUE);
    m_highlighted = 0;
}

void CPointTableGrid::SetPointPosition(int row, std::int32_t position)
{
    PointRecord* record = Record(row);
    if (!record) return;
    if (!record->IsUsed()) DefineSlot(row);
    SetCellText(row, PointRecord::kP, FieldText(PointRecord::kP, position).GetString());
    StoreCell(row, PointRecord::kP);
    Refresh();
}

CString CPointTableGrid::AllPointsText() const
{
    CString text;
    if (!m_pData) return text;
    for (const PointRecord& record : m_pData->points) {
        if (record.IsUsed()) {
            for (int c = 1; c < kColumns; ++c) {
                if (c > 1) text += u"\t";
                text += FieldText(c, record.Field(c));
            }
        }
        text += u"\r\n";
    }
    return text;
}

void CPointTableGrid::RepaintPointRows()
{
    if (!m_pData) return;
    SetRedraw(FALSE);
    for (int row = kFixedRows; row < GetRows(); ++row) {
        const PointRecord* record = Record(row);
        if (!record) continue;
        LockRow(row, record->IsUsed() ? FALSE : TRUE);
        SetCellBackColor(row, 1, RowColor(row));
    }
    SetRedraw(TRUE);
    Refresh();
}
