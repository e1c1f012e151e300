// The point list of the main dialog: one row per point (P1 to P255) whose
// operation type is chosen from a list and whose position, speed,
// acceleration, deceleration, branch and flag are typed, each checked
// against its column's limits. It edits the points of the current data in
// place and keeps the speeds and accelerations as floats in the unit shown
// (percent or physical units). Changed cells are marked against the
// reference data in exchange mode or once a data file is open. Creating,
// deleting or retyping a point tells the owner (UM_POINTSCHANGED).
#pragma once

#include "manager/core/ControllerData.h"
#include "manager/widgets/FlxGrid.h"
#include "simulator/core/PointSpeeds.h"

// The owner rebuilds its "P<n>" lists when the points changed.
inline constexpr UINT UM_POINTSCHANGED = WM_USER + 101;

class CPointGrid : public CFlxGrid {
public:
    static constexpr int kRows = 256;
    static constexpr int kCols = 8;

    CPointGrid();

    void SetData(ControllerData* current, ControllerData* reference);
    void InitLayout();

    void FillRow(int row);
    void SetRowEnabled(int row, bool disabled);
    void CreatePoint(int row, int type);
    void DeletePoint(int row);
    bool CommitCell(int row, int col);
    void MarkChanged(int row, int col, bool force);
    // Minimum, maximum, decimals and record field of a column; false for
    // the type column and columns outside the table.
    bool GetColumnLimits(int row, int col, double& minimum, double& maximum, int& decimals, int& field) const;
    void ClearChangeMarks();
    void ClearAll();
    void DisableAll();
    void RecommitSpeeds();
    void ShowSpeedUnits(int units);
    void ConvertSpeedUnits(int units);
    void RescalePositions(int oldDecimals, int newDecimals);
    float GetSpeedAccel(int which, int index) const;
    void LoadSpeeds();
    void StoreSpeeds();
    void SetMarkChanges(bool mark) { m_bMarkChanges = mark; }
    void ClampSpeeds();
    // Every row shown from the data (the main dialog's load).
    void FillAll();

    const PointSpeeds& Speeds() const { return m_speeds; }
    // Commits the cell being edited (the focus left the grid, or a command
    // reads the points).
    void CommitCurrentCell();

    BOOL PreTranslateMessage(MSG* pMsg) override;
    void OnCellEntered(int nRow, int nCol) override;
    void OnDeleted(int nFirstRow, int nLastRow, int nFirstCol, int nLastCol) override;

protected:
    afx_msg BOOL OnGridCellChanged(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg BOOL OnGridEndEdit(NMHDR* pNMHDR, LRESULT* pResult);
    DECLARE_MESSAGE_MAP()

private:
    void OnTypeChanged(int row);
    void ShowRowSpeeds(int row);
    void NotifyPointsChanged();
    int Decimals() const;
    bool PhysicalUnits() const;
    bool MarkingOn() const;
    RobotParameterSet* Params() const;

    ControllerData* m_pCurrent = nullptr;
    ControllerData* m_pReference = nullptr;
    int m_bEdited = 0;
    PointSpeeds m_speeds;
    bool m_bMarkChanges = false;
};
