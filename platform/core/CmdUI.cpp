#include "platform/core/CmdUI.h"

#include "platform/core/CmdTarget.h"

void CCmdUI::Enable(BOOL bOn)
{
    m_bEnabled = bOn ? TRUE : FALSE;
    m_bEnableChanged = TRUE;
}

void CCmdUI::SetCheck(int nCheck)
{
    m_nCheck = nCheck;
    m_bCheckChanged = TRUE;
}

void CCmdUI::SetRadio(BOOL bOn)
{
    SetCheck(bOn ? 1 : 0);
}

void CCmdUI::SetText(LPCTSTR lpszText)
{
    m_strText = lpszText;
    m_bTextChanged = TRUE;
}

BOOL CCmdUI::DoUpdate(CCmdTarget* pTarget, BOOL bDisableIfNoHndler)
{
    if (!pTarget)
        return FALSE;
    m_bEnableChanged = FALSE;
    const BOOL handled = pTarget->OnCmdMsg(m_nID, CN_UPDATE_COMMAND_UI, this, nullptr);
    if (bDisableIfNoHndler && !m_bEnableChanged) {
        AFX_CMDHANDLERINFO info;
        Enable(pTarget->OnCmdMsg(m_nID, CN_COMMAND, this, &info));
    }
    return handled;
}
