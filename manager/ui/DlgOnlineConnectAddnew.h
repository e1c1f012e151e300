// The dialog of the new online connection: the free COM port the controller
// hangs on and the name of the new window. The caller hands it a temporary
// port object whose settings the dialog may edit.
#pragma once

#include "platform/ui/ComboBox.h"
#include "platform/ui/Dialog.h"

class CCommManager;

class CDlgOnlineConnectAddnew : public CDialog {
public:
    explicit CDlgOnlineConnectAddnew(CWnd* pParent = nullptr);
    ~CDlgOnlineConnectAddnew() override;

    void SetName(const CString& name) { m_name = name; }
    CString GetName() const { return m_name; }
    void SetComPort(WORD port) { m_port = port; }
    WORD GetComPort() const { return m_port; }
    void SetCommManager(CCommManager* link) { m_link = link; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    afx_msg void OnSettings();
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    HICON m_icon = nullptr;
    CComboBox m_ports;
    WORD m_port = 0;
    CString m_name;
    CCommManager* m_link = nullptr;
};
