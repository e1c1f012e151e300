// The point-table pane: the point grid, its two view check boxes and, on an
// online controller, the manual operation panel above the grid.
#pragma once

#include "manager/dialogs/DlgManual.h"
#include "manager/ui/PaneDialog.h"
#include "manager/ui/PointTableGrid.h"

#include <memory>

class CDataManager;

class CRightpanePointtable : public CPaneDialog {
public:
    CRightpanePointtable();
    ~CRightpanePointtable() override;

    BOOL CreatePointPane(CWnd* pParent, ControllerData* pData, const WORD* pConnectionKind,
                         std::array<PointRecord, kPointCount>* pReference, BOOL bStoreM);
    // The manual panel of an online controller; nothing for offline data.
    void CreateManualDialog(CDataManager* manager, int node, RobotParameterSet* referenceSet);

    void RefreshPane() override;
    BOOL StoreValues(ControllerData* target) override;
    BOOL TakeValues(const ControllerData* source) override;
    BOOL Layout(int cx, int cy) override;
    // Wide enough for the whole manual panel, high enough for it and a few rows of points.
    CSize MinimumSize() const override;
    BOOL IsGridShown() override { return m_grid.m_bRedrawLocked ? FALSE : TRUE; }
    void Print() override;
    void PrintPreview() override;
    void Lock(BOOL lock) override { LockPointGrid(lock); }
    void EditCommand(UINT id) override;
    BOOL AllowsEdit(UINT id) override { return m_grid.AllowsEditCommand(id); }

    void RefreshPointTable();
    void LockPointGrid(BOOL lock) { m_grid.LockPointGrid(lock); }
    void LockManual(BOOL lock);
    void SetBusy(BOOL busy);
    CPointTableGrid& Grid() { return m_grid; }
    CDlgManual* Manual() const { return m_manual.get(); }
    bool PointsDiffer() const;
    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    BOOL OnInitDialog() override;
    afx_msg void OnHideClicked();
    afx_msg void OnFullClicked();
    afx_msg void OnManualClicked();
    afx_msg void OnPointInput();
    afx_msg LRESULT OnManualPoint(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnManualTeach(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnCellDescription(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnManualQuery(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnToFrame(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnContextMenuMessage(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnAccessLevel(WPARAM wParam, LPARAM lParam);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    void PreparePrint();
    bool IsPulseTrainModel() const;
    // The grid of a pulse-train controller is shown by the access level only.
    void ApplyAccessRule(bool atCreation);

    CPointTableGrid m_grid;
    std::array<PointRecord, kPointCount>* m_pReference = nullptr;
    std::unique_ptr<CDlgManual> m_manual;
    // The manual panel's size as its template made it.
    CSize m_manualSize{0, 0};
    BOOL m_storeM = FALSE;
    bool m_manualActive = true;
    HACCEL m_accelerators;
};
