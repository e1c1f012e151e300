// The grid of the point-table pane: the controller's 255 points, one row per
// slot, one column per field. Every accepted edit (typed, chosen, pasted,
// deleted) goes through StoreCell into the controller entry's point table,
// and a value that differs from the reference copy (the points as last read
// from or written to the controller) is shown bold on pink.
#pragma once

#include "manager/core/ControllerData.h"
#include "manager/widgets/FlxGrid.h"

#include <array>
#include <cstdint>

class CPointTableGrid : public CFlxGrid {
public:
    static constexpr int kFixedRows = 2;
    static constexpr int kColumns = PointRecord::kFieldCount;
    // Column kinds.
    static constexpr BYTE kKindLabel = 9;
    static constexpr BYTE kKindList = 1;
    static constexpr BYTE kKindWhole = 2;
    static constexpr BYTE kKindDecimal = 3;

    struct Column {
        BYTE kind = 0;
        BYTE decimals = 0;
        std::int32_t defaultValue = 0;
        std::int32_t minimum = 0;
        std::int32_t maximum = 0;
    };

    void LayoutPointGrid(ControllerData* pData, const std::array<PointRecord, kPointCount>* pReference, BOOL bSimple);
    // Writes all 255 rows from the entry (never through the clipboard).
    void FillPointGrid(BOOL bHideUndefined, BOOL bStoreM, BOOL bRedraw);
    void ShowUndefinedPoints(BOOL bHide);
    void SetSimpleView(BOOL bSimple);
    void LockPointGrid(BOOL bLock);
    void HighlightPoint(int point);
    void SetPointPosition(int row, std::int32_t position);
    CString AllPointsText() const;
    void RepaintPointRows();

    const Column& ColumnSetting(int col) const { return m_columns[static_cast<size_t>(col)]; }
    // Slot index (0-254) of a data row, -1 for other rows.
    int SlotOfRow(int row) const;
    static int RowOfSlot(int slot) { return kFixedRows + slot; }
    // Set while a value could not be taken (text that is not a number).
    CString m_lastRefused;

    void OnCellEntered(int nRow, int nCol) override;
    void OnBeforeMove(int nOldRow, int nOldCol, int* pNewRow, int* pNewCol, BOOL* pCancel) override;
    void OnCopied(int nFirstRow, int nLastRow, int nFirstCol, int nLastCol, BOOL bCut) override;
    void PasteText(const CString& strText) override;
    void OnDeleted(int nFirstRow, int nLastRow, int nFirstCol, int nLastCol) override;

    // The movement type's name (1 to 8) and back (an unknown name counts as 1).
    static CString MoveTypeName(int m);
    static int MoveTypeOf(const CString& name);
    // Canonical text of a field's value.
    CString FieldText(int col, std::int32_t value) const;

protected:
    afx_msg BOOL OnEndEdit(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg BOOL OnDropDown(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg BOOL OnColResized(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg BOOL OnMouseUpGrid(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg BOOL OnMouseDownGrid(NMHDR* pNMHDR, LRESULT* pResult);
    DECLARE_MESSAGE_MAP()

private:
    void SetColumnSettings();
    void StoreCell(int row, int col);
    void DefineSlot(int row);
    void ClearSlot(int row);
    void LockRow(int row, BOOL lock);
    void WriteRow(int row);
    void ApplyColumnWidths();
    PointRecord* Record(int row) const;
    const PointRecord* Reference(int row) const;

    BYTE m_simple = 0;
    ControllerData* m_pData = nullptr;
    const std::array<PointRecord, kPointCount>* m_pReference = nullptr;
    int m_rowCount = 0;
    int m_highlighted = 0;
    std::array<Column, kColumns> m_columns{};
};

// The position limit in internal units for d decimals: 9999 whole units and
// the fraction that d allows (9999.99 for d = 2).
std::int32_t PositionLimit(int decimals);
