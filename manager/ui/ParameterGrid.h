// The grid of the parameter pane: one row per parameter the definitions list
// for this controller, four columns (number, name, unit, value). A value is
// typed or chosen in place, checked against its definition's range and
// written into the controller entry's parameter set by the row's own
// parameter number; a value that differs from the reference set is marked.
#pragma once

#include "manager/core/ParamDef.h"
#include "manager/widgets/FlxGrid.h"

#include <vector>

class CParameterGrid : public CFlxGrid {
public:
    static constexpr int kValueCol = 3;

    BOOL LayoutParamGrid(const ParamDefTable* table, const CString& model, const CString& interfaceText);
    void LoadParamValues(RobotParameterSet* values, const RobotParameterSet* reference);
    BOOL RefreshParamRow(int index);
    void ShowGroup(char group, int accessLevel);
    void LockParamGrid(BOOL lock);
    // The parameter index of a row (0 = K1, 138 = H0), -1 for none.
    int IndexOfRow(int row) const;
    int RowOfIndex(int index) const;
    const ParamDef* DefOfRow(int row) const;
    CString Description(int row) const;
    // The value's text: a choice text, or the number with its decimals; a
    // value that is no choice is shown as it is.
    CString ValueText(const ParamDef& def, std::int32_t value) const;
    bool IsEditable(int row, int accessLevel) const;
    int m_accessLevel = 0;
    bool m_pulseTrain = false;

    void OnCellEntered(int nRow, int nCol) override;
    void OnBeforeMove(int nOldRow, int nOldCol, int* pNewRow, int* pNewCol, BOOL* pCancel) override;
    void PasteText(const CString& strText) override;

protected:
    afx_msg BOOL OnEndEdit(NMHDR* pNMHDR, LRESULT* pResult);
    // The right button released: the pane shows its context menu there.
    afx_msg BOOL OnMouseUpGrid(NMHDR* pNMHDR, LRESULT* pResult);
    DECLARE_MESSAGE_MAP()

private:
    // Takes the row's text into the set; false (with a message) when refused.
    bool StoreParamRow(int row);
    // The payload of K76 or K78 gives its acceleration limit (K77 or K79).
    void TakeAccelerationLimit(int limitIndex, std::int32_t payload);
    static bool IsPayloadOrLimit(int index);
    // Tells the pane of a stored payload or acceleration limit.
    void NotifyEdited(int row);
    int VariantKey(int index) const;
    std::uint16_t Bits(const ParamDef& def, bool show, int level) const;

    const ParamDefTable* m_table = nullptr;
    RobotParameterSet* m_values = nullptr;
    const RobotParameterSet* m_reference = nullptr;
    std::vector<int> m_rowIndex;               // parameter index of each data row
    std::vector<const ParamDef*> m_rowDef;     // the variant shown in each data row
    int m_model = 11;
    int m_interface = 0;
    bool m_storing = false;
};
