// The right side of a controller window: the three panes of the controller
// the tree selects (information, points, parameters), one shown at a time,
// sized to the view, and the frame's edit, print, lock and data operations
// forwarded to the pane shown.
#pragma once

#include "manager/ui/RightpaneInformation.h"
#include "manager/ui/RightpaneParameter.h"
#include "manager/ui/RightpanePointtable.h"
#include "platform/ui/View.h"

#include <array>

class CRightpaneFormView : public CScrollView {
    DECLARE_DYNCREATE(CRightpaneFormView)

public:
    static constexpr int kSlots = 8;

    CRightpaneFormView();
    ~CRightpaneFormView() override;

    void OnDraw(CDC* pDC) override;
    // The frame's commands that the shown pane carries out.
    static bool IsPaneCommand(UINT id);
    // Builds the panes of controller index of the current data manager;
    // connectionKind is the frame's (1 = offline data).
    void BuildPanes(int index, BOOL option);
    void RebuildPanes(int index, BOOL option);
    void SelectPane(int slot);
    int CurrentSlot() const { return m_current; }
    CPaneDialog* Pane(int slot) const { return slot >= 0 && slot < kSlots ? m_slots[static_cast<size_t>(slot)] : nullptr; }
    BOOL StorePanes(ControllerData* target, BOOL both);
    BOOL TakePanes(const ControllerData* source, BOOL both);
    void LockPanes(BOOL lock, BOOL grids, BOOL manual);
    void OnEditCommand(UINT id);
    void RefreshPointTable();
    void RefreshParameters();
    void SetBusy(BOOL busy);
    void RefreshParameter(int index);
    void PrintCurrentPane();
    // The panes show and unlock what the new access level allows.
    void AccessLevelChanged();
    void PreviewCurrentPane();

    CRightpaneInformation& Information() { return m_information; }
    CRightpanePointtable& PointTable() { return m_points; }
    CRightpaneParameter& Parameter() { return m_parameter; }

protected:
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg LRESULT OnToPointPane(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnParameterChanged(WPARAM wParam, LPARAM lParam);
    afx_msg BOOL OnEditCmd(UINT id);
    afx_msg void OnPrint();
    afx_msg void OnPrintPreview();
    afx_msg void OnPointInput();
    afx_msg void OnUpdateEdit(CCmdUI* pCmdUI);
    afx_msg void OnUpdatePrint(CCmdUI* pCmdUI);
    DECLARE_MESSAGE_MAP()

private:
    void DestroyPanes();

    int m_minWidth = 0;
    int m_minHeight = 0;
    int m_current = 0;
    std::array<CPaneDialog*, kSlots> m_slots{};
    WORD m_connectionKind = 0;
    CRightpaneInformation m_information;
    CRightpanePointtable m_points;
    CRightpaneParameter m_parameter;
};
