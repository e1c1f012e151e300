// The connection dialog: opens a link over a serial port, over TCP to an
// address and port, or as a dummy link that sends nothing, and closes with
// IDOK once the link is ready. It edits the settings of the caller's
// CCommManager, which the caller sets before running it.
//
//   CConnectBoxDlg dlg(this);
//   dlg.m_pCommManager = &link;
//   if (dlg.DoModal() == IDOK) ...             // the link is open and ready
#pragma once

#include "tools/ToolsLibrary.h"

#include "platform/ui/ComboBox.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/Edit.h"
#include "platform/ui/IPAddressCtrl.h"

class CCommManager;
class CCmdUI;

class CConnectBoxDlg : public CDialog {
public:
    // No connection lasts longer to come up than the link's own bounds
    // (address look-up and connection); this only guards against a fault.
    static constexpr DWORD kReadyWaitMs = 60000;

    explicit CConnectBoxDlg(CWnd* pParent = nullptr);
    ~CConnectBoxDlg() override;

    INT_PTR DoModal() override;
    CComboBox& PortList() { return m_PortList; }

    CIPAddressCtrl m_IPAddress;
    CEdit m_PortNumber;
    int m_nConnectType = 0;  // 0 serial, 1 TCP/IP (-1: none chosen)
    CString m_strSelPort;
    CCommManager* m_pCommManager = nullptr;
    BOOL m_bPortsAvailable = FALSE;
    BOOL m_bDummy = FALSE;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    // Nothing closes the dialog while a connection comes up.
    void OnCancel() override;

    afx_msg void OnCommSettings();
    afx_msg void OnConnect();
    afx_msg void OnTypeClicked();
    afx_msg void OnSelChangePort();
    afx_msg LRESULT OnKickIdle(WPARAM wParam, LPARAM lParam);
    afx_msg void OnUpdateSerial(CCmdUI* pCmdUI);
    afx_msg void OnUpdateTcp(CCmdUI* pCmdUI);
    DECLARE_MESSAGE_MAP()

private:
    bool Connect();
    bool WaitUntilReady();

    CLangLibrarySwap m_lang;
    CComboBox m_PortList;
    bool m_bConnecting = false;
};
