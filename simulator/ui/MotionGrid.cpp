#include "simulator/ui/MotionGrid.h"

BOOL CMotionGrid::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_ESCAPE) {
        const int row = GetCurrentRow();
        const int col = GetCurrentCol();
        // The typed text is dropped, not committed on the way out.
        if (IsEditing()) EndEdit(FALSE);
        if (row >= 1 && col >= 1) {
            SetCellText(row, col, m_strSavedText);
            if (m_onEditDropped) m_onEditDropped(row, col, m_strSavedText);
        }
        return TRUE;
    }
    return CFlxGrid::PreTranslateMessage(pMsg);
}
