// The motion list's grid: the grid of the simulator's tables whose cells
// mirror the motion list's data. Escape drops a cell's edit, puts back the
// text the cell had when it was entered, and tells the owner, so that the
// data the run and the files use are put back as well.
#pragma once

#include "manager/widgets/FlxGrid.h"

#include <functional>

class CMotionGrid : public CFlxGrid {
public:
    // Told the cell (row, column) and the text put back into it.
    std::function<void(int nRow, int nCol, const CString& strText)> m_onEditDropped;

    BOOL PreTranslateMessage(MSG* pMsg) override;
};
