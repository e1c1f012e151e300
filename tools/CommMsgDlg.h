// The one wait message of the library: a small modeless window whose text
// blinks while a dialog talks to a controller (reading, writing,
// connecting). At most one exists in the process; a second Show only changes
// its text.
//
//   ShowCommMessage(this, IDS_WAIT_COMMUNICATING);
//   ok = session.WriteUserName(node, name);
//   HideCommMessage();
#pragma once

#include "platform/ui/Dialog.h"

class CCommMsgDlg : public CDialog {
public:
    static constexpr UINT_PTR kBlinkTimer = 2000;
    static constexpr UINT kBlinkPeriodMs = 500;

    explicit CCommMsgDlg(const CString& strMessage);

    // Creates the window (template 9009 of the current resource module);
    // FALSE when it cannot, and the object is then the caller's to delete.
    BOOL CreateOn(CWnd* pParent);
    void SetMessage(const CString& strMessage);
    const CString& GetMessage() const { return m_strMessage; }

    BOOL OnInitDialog() override;

protected:
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg void OnDestroy();
    void PostNcDestroy() override;
    // The window is closed only by HideCommMessage.
    void OnOK() override {}
    void OnCancel() override {}

    DECLARE_MESSAGE_MAP()

private:
    CString m_strMessage;
    bool m_bCreated = false;
};

// Shows the wait message with a string of the current resource module, or a
// ready text, on the parent; changes the text when one is shown.
void ShowCommMessage(CWnd* pParent, UINT nStringId);
void ShowCommMessage(CWnd* pParent, const CString& strMessage);
// Removes the wait message; nothing when none is shown.
void HideCommMessage();
// The wait message shown now, or null.
CCommMsgDlg* GetCommMessage();
