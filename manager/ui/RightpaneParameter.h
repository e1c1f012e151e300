// The parameter pane: the description box above the parameter grid, one
// group of parameters at a time, and the network-parameter button.
#pragma once

#include "manager/ui/PaneDialog.h"
#include "manager/ui/ParameterGrid.h"

class CRightpaneParameter : public CPaneDialog {
public:
    CRightpaneParameter();

    BOOL CreateParamPane(CWnd* pParent, ControllerData* pData, const WORD* pConnectionKind, RobotParameterSet* pReference);
    void SetGroup(char group) { m_group = group; }
    char Group() const { return m_group; }
    void RefreshPane() override;
    BOOL StoreValues(ControllerData* target) override;
    BOOL TakeValues(const ControllerData* source) override;
    BOOL Layout(int cx, int cy) override;
    BOOL IsGridShown() override { return m_grid.m_bRedrawLocked ? FALSE : TRUE; }
    void Print() override;
    void PrintPreview() override;
    void Lock(BOOL lock) override { m_grid.LockParamGrid(lock); }
    void EditCommand(UINT id) override;
    BOOL AllowsEdit(UINT id) override { return m_grid.AllowsEditCommand(id); }
    void RefreshParameter(int index) { m_grid.RefreshParamRow(index); }
    void ShowNetworkButton(bool show);
    CParameterGrid& Grid() { return m_grid; }
    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    BOOL OnInitDialog() override;
    afx_msg LRESULT OnCellDescription(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnAccessLevel(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnParameterEdited(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnContextMenuMessage(WPARAM wParam, LPARAM lParam);
    afx_msg void OnNetworkParameter();
    DECLARE_MESSAGE_MAP()

private:
    int AccessLevel() const;
    void PreparePrint();

    CParameterGrid m_grid;
    RobotParameterSet* m_pReference = nullptr;
    char m_group = 0;
    bool m_networkShown = false;
    HACCEL m_accelerators;
};
