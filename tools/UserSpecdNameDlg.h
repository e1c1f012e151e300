// The user-specified name dialog: a name of at most 20 characters that a
// controller keeps as its communication item 2. On OK a changed name is
// written into the controller when the link is open, and handed back into
// the caller's text.
//
//   CUserSpecdNameDlg* dlg = new CUserSpecdNameDlg(strName);
//   dlg->SetCommMan(&link);
//   dlg->SetNodeNo(3);
//   dlg->DoModal();                            // strName holds the new name after OK
//   delete dlg;
#pragma once

#include "tools/AsciiEdit.h"
#include "tools/ReplyReceiver.h"
#include "tools/ToolsLibrary.h"

#include "platform/ui/Dialog.h"

class CCommManager;

class CUserSpecdNameDlg : public CDialog {
public:
    static constexpr int kMaxNameChars = 20;
    static constexpr int kItemUserName = 2;

    explicit CUserSpecdNameDlg(CString& strName, CWnd* pParent = nullptr);
    ~CUserSpecdNameDlg() override;

    void SetCommMan(CCommManager* pCommMan) { m_pCommManager = pCommMan; }
    void SetNodeNo(int nNodeNo) { m_nNodeNo = nNodeNo; }
    int GetNodeNo() const { return m_nNodeNo; }

    INT_PTR DoModal() override;
    // Writes the new name into the controller: 1 on success; 0 without an
    // open link, for a name IsWritableUserName refuses (nothing is sent), or
    // when the controller refuses or does not answer.
    int SetUserSpecdName();

    // Whether a name can go into the controller's write command as one value:
    // printable 7-bit characters only, and none of "." "=" "@" "," that the
    // controller's command line reads as its own separators, so no name can
    // carry a second command.
    static bool IsWritableUserName(const CString& name);

    CEdit CurNameBox;       // 21809
    CAsciiEdit NewNameBox;  // 21810

    CCommManager* m_pCommManager = nullptr;
    int m_nNodeNo = 0;
    CString m_strNewName;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;

    afx_msg void OnShowWindow(BOOL bShow, UINT nStatus);
    afx_msg void OnChangeNewName();
    afx_msg LRESULT OnCommNotify(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    CLangLibrarySwap m_lang;
    CString& m_strCallerName;
    HWND m_hPrevWnd;
    bool m_bAttached = false;
    CReplyReceiver m_reply;
};

// Moves an edit's formatting rectangle so its one line stands in the middle
// of the edit's height.
void CentreEditLine(CEdit& edit);
