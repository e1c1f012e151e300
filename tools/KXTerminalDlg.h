// A plain text terminal for a controller link: the typed line goes out with
// CR LF, everything that comes back is shown. The last 20 lines sent and the
// window's placement are kept in "kxt.ini". Works on the caller's link when
// it is open, otherwise on a link of its own that the connection dialog
// opens.
#pragma once

#include "tools/ToolsLibrary.h"

#include "platform/ui/ComboBox.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/Edit.h"

class CCommManager;

class CKXTerminalDlg : public CDialog {
public:
    static constexpr int kHistoryLines = 20;
    static constexpr int kMinWidthPx = 376;
    static constexpr int kMinHeightPx = 405;
    static constexpr int kMaxLineChars = 2048;
    static constexpr const char16_t* kIniFileName = u"kxt.ini";
    static constexpr const char16_t* kHistorySection = u"COMMAND RECORD";
    static constexpr const char16_t* kWindowSection = u"KX-TERMINAL";

    explicit CKXTerminalDlg(CWnd* pParent = nullptr);
    ~CKXTerminalDlg() override;

    void SetCommMan(CCommManager* pCommMan) { m_pCommManager = pCommMan; }
    INT_PTR DoModal() override;

    // Sends the text unchanged when the link is open; otherwise tells the user.
    void KXTermSendCommand(const CString& strText);
    // Appends the text at the end of the response view.
    void AddToResponse(const CString& strText);
    void ReadIniFile();
    void WriteIniFile();
    // The link in use (the caller's or the dialog's own).
    CCommManager* GetLink() const { return m_pCommManager; }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    // Enter presses Send; the dialog closes only by its close button.
    void OnOK() override;

    afx_msg void OnSend();
    afx_msg void OnClear();
    afx_msg void OnConnect();
    afx_msg void OnDisconnect();
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnGetMinMaxInfo(MINMAXINFO* lpMMI);
    afx_msg void OnDestroy();
    afx_msg LRESULT OnCommNotify(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    // Keeps one edge distance of a child while the window is resized.
    void MoveWnd(int nId, int nRightMargin, int nBottomMargin);
    void MoveWnd(int nId, const CRect& initial, bool moveRight, bool moveDown);
    void ShowConnected(bool bConnected);

    CCommManager* m_pCommManager = nullptr;
    HWND m_hPrevWnd;
    BOOL m_bOwnLink = FALSE;
    CCommManager* m_pCallerLink = nullptr;
    bool m_bAttachedToCaller = false;
    CString m_strIniPath;
    CLangLibrarySwap m_lang;

    bool m_bLaidOut = false;
    int m_nResponseRight = 0;
    int m_nResponseBottom = 0;
    int m_nLastRight = 0;
    int m_nCommandRight = 0;
    CRect m_initialWindow;
    CRect m_initialSend;
    CRect m_initialClose;
    CRect m_initialConnect;
    CRect m_initialDisconnect;
    CRect m_initialClear;

    CComboBox m_Command;
    CEdit m_Response;
};
