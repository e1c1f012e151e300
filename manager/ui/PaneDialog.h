// The base of the panes on the right of a controller window: a modeless child
// dialog that knows its controller and the frame's kind of connection, places
// its controls for the size it is given, and never closes on Enter or Escape.
#pragma once

#include "manager/core/ControllerData.h"
#include "platform/ui/Button.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/FrameIds.h"
#include "platform/ui/FrameWnd.h"

class CPaneDialog : public CDialog {
public:
    CPaneDialog(UINT nIDTemplate, CWnd* pParent);

    virtual BOOL CreatePane(UINT nIDTemplate, CWnd* pParent, ControllerData* pData, const WORD* pConnectionKind);
    virtual void RefreshPane() {}
    virtual BOOL StoreValues(ControllerData*) { return FALSE; }
    virtual BOOL TakeValues(const ControllerData*) { return FALSE; }
    virtual BOOL Layout(int, int) { return FALSE; }
    virtual BOOL IsGridShown() { return FALSE; }
    virtual void Print() {}
    virtual void PrintPreview() {}
    virtual void Lock(BOOL) {}
    virtual void EditCommand(UINT) {}

    bool IsCreated() const { return m_created != 0; }
    bool IsOffline() const { return m_pConnectionKind && *m_pConnectionKind == 1; }
    ControllerData* Data() const { return m_pData; }

protected:
    // Enter and Escape belong to the grids and edits: a pane never closes.
    void OnOK() override {}
    void OnCancel() override {}
    afx_msg void OnSize(UINT nType, int cx, int cy);
    DECLARE_MESSAGE_MAP()

    BYTE m_created = 0;
    ControllerData* m_pData = nullptr;
    const WORD* m_pConnectionKind = nullptr;
};
