#include "manager/ui/PaneDialog.h"

BEGIN_MESSAGE_MAP(CPaneDialog, CDialog)
    ON_WM_SIZE()
END_MESSAGE_MAP()

CPaneDialog::CPaneDialog(UINT nIDTemplate, CWnd* pParent) : CDialog(nIDTemplate, pParent) {}

BOOL CPaneDialog::CreatePane(UINT nIDTemplate, CWnd* pParent, ControllerData* pData, const WORD* pConnectionKind)
{
    m_pData = pData;
    m_pConnectionKind = pConnectionKind;
    const BOOL ok = Create(nIDTemplate, pParent);
    if (ok) m_created = 1;
    return ok;
}

void CPaneDialog::OnSize(UINT nType, int cx, int cy)
{
    CDialog::OnSize(nType, cx, cy);
    if (m_created) Layout(cx, cy);
}
