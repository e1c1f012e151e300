// The base of the panes on the right of a controller window: a modeless child
// dialog that knows its controller and the frame's kind of connection, places
// its controls for the size it is given, and never closes on Enter or Escape.
#pragma once

#include "manager/core/ControllerData.h"
#include "platform/ui/Button.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/FrameIds.h"
#include "platform/ui/FrameWnd.h"

class CDataManager;

// The data manager of the controller window that holds the window: never
// another window's, whichever window is current at the moment.
CDataManager* DataManagerOfWindow(CWnd* wnd);

class CPaneDialog : public CDialog {
public:
    CPaneDialog(UINT nIDTemplate, CWnd* pParent);

    virtual BOOL CreatePane(UINT nIDTemplate, CWnd* pParent, ControllerData* pData, const WORD* pConnectionKind);
    virtual void RefreshPane() {}
    virtual BOOL StoreValues(ControllerData*) { return FALSE; }
    virtual BOOL TakeValues(const ControllerData*) { return FALSE; }
    virtual BOOL Layout(int, int) { return FALSE; }
    // The size below which the pane would cut its controls off: the view
    // that holds it scrolls instead of making it smaller.
    virtual CSize MinimumSize() const { return m_minimum; }
    virtual BOOL IsGridShown() { return FALSE; }
    virtual void Print() {}
    virtual void PrintPreview() {}
    virtual void Lock(BOOL) {}
    virtual void EditCommand(UINT) {}
    // Whether the edit command may act on the pane now.
    virtual BOOL AllowsEdit(UINT) { return TRUE; }

    // Submenus of the context menu resource (0x85) that the grids' panes show.
    static constexpr int kPointContextMenu = 7;
    static constexpr int kParameterContextMenu = 8;

    bool IsCreated() const { return m_created != 0; }
    bool IsOffline() const { return m_pConnectionKind && *m_pConnectionKind == 1; }
    ControllerData* Data() const { return m_pData; }

protected:
    // Enter and Escape belong to the grids and edits: a pane never closes.
    void OnOK() override {}
    void OnCancel() override {}
    afx_msg void OnSize(UINT nType, int cx, int cy);
    DECLARE_MESSAGE_MAP()

    // No context menu while the window hands its data to the simulator or
    // its online controller runs its program (bit 0 of K20).
    bool MayShowContextMenu() const;
    // The submenu at the screen point; its commands go to the window's frame
    // (and from there to this pane). Paste is grey without text to paste.
    bool ShowPaneContextMenu(int submenu, CPoint at);

    BYTE m_created = 0;
    ControllerData* m_pData = nullptr;
    const WORD* m_pConnectionKind = nullptr;
    // The pane's size as its template made it.
    CSize m_minimum{0, 0};
};
