// CCmdUI: what an update handler (ON_UPDATE_COMMAND_UI) sets on the element
// that issues a command: enabled, checked, text.
//
// This base records what the handlers asked for and nothing else, so it
// serves headless code and tests as it is. The user-interface layer derives
// one class per kind of element (menu item, tool-bar button, control),
// overrides the setters to change the element, and calls the base setter
// too so the record stays true.
#pragma once

#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

class CCmdTarget;
class CWnd;

class CCmdUI {
public:
    CCmdUI() = default;
    virtual ~CCmdUI() = default;

    virtual void Enable(BOOL bOn = TRUE);
    virtual void SetCheck(int nCheck = 1);
    virtual void SetRadio(BOOL bOn = TRUE);
    virtual void SetText(LPCTSTR lpszText);
    // Lets the update go on to the next command target.
    void ContinueRouting() { m_bContinueRouting = TRUE; }

    // Asks pTarget's update handler for command m_nID. Without one, and with
    // bDisableIfNoHndler, the element is enabled exactly when a command
    // handler exists. TRUE when an update handler ran.
    BOOL DoUpdate(CCmdTarget* pTarget, BOOL bDisableIfNoHndler);

    UINT m_nID = 0;
    UINT m_nIndex = 0;
    UINT m_nIndexMax = 0;
    // The control or bar the element belongs to, when it has one.
    CWnd* m_pOther = nullptr;
    BOOL m_bEnableChanged = FALSE;
    BOOL m_bContinueRouting = FALSE;

    // The record of what was asked.
    BOOL m_bEnabled = TRUE;
    int m_nCheck = 0;
    BOOL m_bCheckChanged = FALSE;
    CString m_strText;
    BOOL m_bTextChanged = FALSE;
};
