// The trace window's two small tool windows: a one-line terminal that sends
// typed text to the controller and shows what comes back, and an operation
// panel that starts and stops a controller program and writes the speed
// parameter K9. Both are modeless, owned by the trace window, exist at most
// once, open where they were last closed, and delete themselves.
#pragma once

#include "tools/ThemeIconButton.h"
#include "tools/ThemeLibrary.h"

#include "platform/ui/ComboBox.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/Edit.h"

class CKXWatcherDlg;

class CSimpleTermDlg : public CDialog {
public:
    static constexpr int kHistoryMax = 10;

    CSimpleTermDlg();
    BOOL Create(CKXWatcherDlg* pOwner);
    // Text that arrived on the link while no trace runs.
    void AppendText(const CString& strText);

protected:
    BOOL OnInitDialog() override;
    void OnOK() override { OnSend(); }
    void OnCancel() override {}
    void PostNcDestroy() override;
    afx_msg void OnSend();
    afx_msg void OnClose();
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    CKXWatcherDlg* m_pOwner = nullptr;
    CComboBox m_history;
    CEdit m_output;
};

class CSmplOpeDlg : public CDialog {
public:
    explicit CSmplOpeDlg(CKXWatcherDlg* pOwner);
    BOOL Create(CKXWatcherDlg* pOwner);

    int m_nSpeed = 1;    // 1..100
    int m_nProgram = 1;  // 1..255
    BOOL m_bSpeedWritten = FALSE;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}
    void PostNcDestroy() override;
    afx_msg void OnStart();
    afx_msg void OnStop();
    afx_msg void OnWriteSpeed();
    afx_msg void OnClose();
    afx_msg void OnDestroy();
    afx_msg void OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized);
    DECLARE_MESSAGE_MAP()

private:
    CKXWatcherDlg* m_pOwner;
    CThemeLibrary m_theme;  // one binding for both icon buttons
    CThemeIconButton m_btnStart;
    CThemeIconButton m_btnStop;
};
