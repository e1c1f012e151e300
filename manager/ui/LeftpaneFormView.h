// The lower-left view of an online controller window: it hosts the status
// panel, never smaller than the panel was made, and binds it to the window's
// current controller whenever the tree refreshes.
#pragma once

#include "manager/ui/DlgControllerStatus.h"
#include "platform/ui/View.h"

class CLeftpaneFormView : public CFormView {
    DECLARE_DYNCREATE(CLeftpaneFormView)

public:
    CLeftpaneFormView();
    void OnInitialUpdate() override;
    // Binds the panel to the controller at index with a link state; whether
    // the model is a pulse-train ("LB") one.
    bool BindController(int index, int linkState);
    CDlgControllerStatus& Panel() { return m_panel; }
    int PanelHeight() const { return m_panelHeight; }
    int PanelWidth() const { return m_panelWidth; }

protected:
    afx_msg void OnSize(UINT nType, int cx, int cy);
    DECLARE_MESSAGE_MAP()

private:
    CDlgControllerStatus m_panel;
    int m_panelWidth = 0;
    int m_panelHeight = 0;
};
