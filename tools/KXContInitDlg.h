// The controller initialisation dialog: connects to the controllers of one
// serial line (or uses the caller's open link), lists the nodes that answer
// with their controller name, type and the model name the type implies,
// names a controller after its model, and erases chosen data areas of a
// controller back to their initial values, each after the user's consent.
//
//   CKXContInitDlg* dlg = new CKXContInitDlg;
//   dlg->SetCommMan(&link);                    // or none: the dialog opens its own
//   dlg->DoModal();
//   delete dlg;
#pragma once

#include "tools/ReplyReceiver.h"
#include "tools/ToolsLibrary.h"

#include "platform/ui/ComboBox.h"
#include "platform/ui/Dialog.h"

#include <array>

class CCommManager;

// The codes a controller's type text stands for.
struct ControllerCodes {
    int nTypeCode = 0;
    int nCurCode = 0;
    int nRevCode = 0;
};

// The codes of a type text ("Q05", "LA2", "LB", ...).
ControllerCodes ControllerCodesOf(const CString& strType);
// The model name of brand 1 for the codes: "N2*", "N1", "N3", "UNKNOWN", or
// "INVALID" when a code is 0.
CString GetSuitableContName(int nBrandCode, int nTypeCode, int nCurCode, int nRevCode);

class CKXContInitDlg : public CDialog {
public:
    static constexpr int kNodeCount = 16;
    static constexpr int kBrand = 1;
    // The scan posts this to itself.
    static constexpr UINT WM_GET_CONT_INFO = 0xA40;
    // Erasing the points takes the controller longer than other commands.
    static constexpr DWORD kPointInitTimeOutMs = 3000;
    // A link comes up (or fails) within the link's own bounds; this only
    // guards against a fault.
    static constexpr DWORD kReadyWaitMs = 60000;
    // Areas of the initialisation, as the command client numbers them.
    static constexpr int kAreaPoints = 0;
    static constexpr int kAreaRecords = 1;
    static constexpr int kAreaTimes = 2;
    static constexpr int kAreaTrips = 3;
    static constexpr int kAreaComm = 4;

    struct NodeEntry {
        int nNode = 0;  // 0: no controller answered for it
        CString strController = u"------";
        CString strType = u"---";
    };

    explicit CKXContInitDlg(CWnd* pParent = nullptr);
    ~CKXContInitDlg() override;

    void SetCommMan(CCommManager* pCommMan) { m_pCommManager = pCommMan; }
    // 0 after Close, 1 after the window's own close command.
    INT_PTR DoModal() override;

    CComboBox& PortList() { return m_PortList; }
    CComboBox& NodeList() { return m_NodeList; }

    void GetAvailablePort();
    int GetContInfoAll();
    int GetContInfoSingle(int nNode);
    // Initialises the checked areas of the node after asking: 1 when done or
    // declined, 0 on a failure (reported) or without an open link.
    int InitializeData(int nNode);
    ControllerCodes GetContCode(int nEntry) const;
    const NodeEntry& Entry(int nEntry) const { return m_nodes[static_cast<std::size_t>(nEntry)]; }
    BOOL IsBusy() const { return m_bBusy; }

    CCommManager* m_pCommManager = nullptr;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    // Escape and the window's own close: ignored while the scan runs.
    void OnCancel() override;
    void OnOK() override {}

    afx_msg void OnConnect();
    afx_msg void OnDisconnect();
    afx_msg void OnCommSettings();
    afx_msg void OnSetController();
    afx_msg void OnClose21463();
    afx_msg void OnNodeSelChange();
    afx_msg void OnShowWindow(BOOL bShow, UINT nStatus);
    afx_msg LRESULT OnGetContInfo(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnCommNotify(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    void NodeListSelChangeProc();
    void DisplayConnectionInfo();
    void ChangeStatusOnConnect(BOOL bConnected);
    void ResetNodes();
    // The link closed (by itself or by the dialog): the ports are listed
    // again and the controls go back to not connected.
    void OnLinkClosed();
    void CloseOwnLink();
    bool WaitUntilReady();
    int SelectedEntry() const;
    void EnableControl(int nId, BOOL bEnable);
    void ShowControl(int nId, BOOL bShow);
    void EnableSystemClose(BOOL bEnable);

    CLangLibrarySwap m_lang;
    CComboBox m_PortList;
    CComboBox m_NodeList;
    HWND m_hPrevWnd;
    BOOL m_bOwnLink = FALSE;
    CCommManager* m_pCallerLink = nullptr;
    bool m_bAttachedToCaller = false;
    BOOL m_bPortsAvailable = FALSE;
    int m_nBrand = 0;
    int m_nCurrentNode = 0;
    CReplyReceiver m_reply;
    BOOL m_bBusy = FALSE;
    BOOL m_bCallerLink = FALSE;
    bool m_bScanPosted = false;
    int m_areas[5] = {1, 1, 1, 1, 1};  // PNT, REC, COMW, TIME, TRIP as the check boxes stand
    std::array<NodeEntry, kNodeCount> m_nodes;
};
