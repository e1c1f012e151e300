// The information pane: a read-only summary of the controller and the
// user-name button; a hidden grid carries the same texts for printing.
#pragma once

#include "manager/ui/PaneDialog.h"
#include "manager/core/ParamDef.h"
#include "manager/widgets/FlxGrid.h"

class CRightpaneInformation : public CPaneDialog {
public:
    CRightpaneInformation();
    void RefreshPane() override;
    void Print() override;
    void PrintPreview() override;
    void Lock(BOOL lock) override;
    BOOL Layout(int, int) override { return TRUE; }
    // A parameter's choice text, looked up by its value.
    static CString ChoiceText(const ParamDefTable* table, int index, std::int32_t value);

protected:
    BOOL OnInitDialog() override;
    afx_msg void OnUserName();
    DECLARE_MESSAGE_MAP()

private:
    void FillPrintGrid();
    CFlxGrid m_print;
};
