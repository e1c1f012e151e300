// The frame shared by the transport dialogs (template 167): a tree of the
// places where the controller may be (COM ports and TCP connections that an
// open window holds, free COM ports), the settings of a free port, and the
// two roads to the controller once OK is pressed:
//   - a connection an open window holds: the window lends its data manager
//     and node (UM_GETLINKOFWINDOW) and the operation runs through them;
//   - a free COM port: the dialog opens it with its own data manager, scans
//     the line, lets the user choose the node, runs the operation and closes
//     the port again.
// The dialogs differ only in their texts, their checks and the operation; a
// run that fails leaves the dialog open with its controls enabled, so the
// user can choose another connection. Everything runs on the user-interface
// thread; the exchanges pump messages while they wait, and the controls that
// could start a second run are disabled meanwhile.
#pragma once

#include "manager/app/TransportRules.h"
#include "manager/core/DataManager.h"
#include "manager/dialogs/TransportHost.h"

#include "platform/ui/Dialog.h"
#include "platform/ui/TreeCtrl.h"

#include <memory>
#include <vector>

class CProgressWaitWnd;

class CDlgTransportBase : public CDialog {
public:
    ~CDlgTransportBase() override;

    // The connection to preselect (an open window's port or address); after
    // OK the connection used.
    void SetComPort(int port) { m_comPort = static_cast<WORD>(port); }
    void SetAddress(DWORD address) { m_address = address; }
    int GetComPort() const { return m_comPort; }
    DWORD GetAddress() const { return m_address; }

protected:
    explicit CDlgTransportBase(CWnd* pParent);

    // ---- What each dialog says about itself.
    virtual UINT CaptionId() const = 0;
    // Label 1002's string; 0 hides label 1002, edit 1003 and button 1141.
    virtual UINT PathLabelId() const { return 0; }
    virtual bool ShowsBrowse() const { return false; }
    virtual UINT TreeLabelId() const;
    virtual bool NeedsPath() const { return false; }
    virtual bool ChecksSimulatorWindow() const { return true; }
    virtual bool WithOpenSerialGroup() const { return true; }
    // The items of the tree; the default lists everything open and free.
    virtual std::vector<ConnectionTreeItem> BuildTree();
    // Extra checks of OK, of the typed path and of the chosen connection;
    // false (after a message) keeps the dialog open.
    virtual bool CheckPath() { return true; }
    virtual bool CheckConnection(const ChosenConnection&) { return true; }
    virtual void OnBrowse() {}

    // ---- The operation on each road; true when it succeeded (the dialog
    // then closes with OK).
    virtual bool RunOnOpenConnection(CWnd* frame, int comPort) = 0;
    // After the port is open, scanned and a node chosen; the port is closed
    // by the frame afterwards.
    virtual bool RunOnFreeNode(int comPort, int node, const CString& scannedName) = 0;
    // The free-port road; the default opens, scans, asks for the node and
    // runs RunOnFreeNode.
    virtual bool RunOnFreePort(int comPort);

    // ---- Helpers of the operations.
    // UM_GETLINKOFWINDOW: the window's data manager and node; false when the
    // window refuses or answers nothing usable.
    bool BorrowLink(CWnd* frame, CDataManager*& manager, int& node);
    // BorrowLink, the borrowed link bound to its manager, and the controller
    // name read at the node (41006 when it does not answer).
    bool BorrowAndIdentify(CWnd* frame, CDataManager*& manager, int& node, CString& name);
    // Opens the own port and scans it; false when either fails (both report).
    bool OpenAndScan(int comPort);
    // The node choice after a scan of the own data manager; 0 when cancelled
    // or when a rescan failed.
    int ChooseNode();
    int Ask(const CString& text, UINT type);
    void Show(const CString& text, UINT type);
    void Show(UINT stringId, UINT type);
    void ShowLinkError(const CDataManager& manager, UINT stringId);
    // Reads the controller name at the node; shows 41006 when it does not answer.
    bool ReadControllerName(CDataManager& manager, int node, CString& name);
    // The name again just before the operation: 41006 when unanswered, 10150
    // when it differs from the one the run started with.
    bool CheckSameController(CDataManager& manager, int node, const CString& expected);
    // A progress window over the dialog in the transfer style; reading is
    // from the controller into the program.
    std::unique_ptr<CProgressWaitWnd> OpenProgress(UINT messageId, bool reading);
    CString PathText();
    CDataManager& OwnManager() { return m_own; }

    BOOL OnInitDialog() override;
    void OnOK() override;
    void DoDataExchange(CDataExchange* pDX) override;
    afx_msg void OnBrowseClicked();
    afx_msg void OnCommSettings();
    afx_msg void OnTreeDoubleClick(NMHDR* pNMHDR, LRESULT* pResult);
    DECLARE_MESSAGE_MAP()

    CString m_path;
    WORD m_comPort = 0;
    DWORD m_address = 0;

private:
    void FillTree();
    const ConnectionTreeItem* SelectedItem() const;
    void EnableRunControls(bool enable);

    CDataManager m_own;
    CTreeCtrl m_tree;
    std::vector<ConnectionTreeItem> m_items;
    std::vector<HTREEITEM> m_handles;
    bool m_running = false;
};

// Loads a string of the resource module.
CString TransportText(UINT id);
