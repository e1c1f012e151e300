// The tree in the left pane of a controller window. Its items name the parts
// of the controller's data; it is also where the window's controller
// operations live (the child frame hands it nearly every command): connect,
// disconnect, read, write, save, the simulator hand-over, and the questions
// before the window closes.
#pragma once

#include "platform/ui/ImageList.h"
#include "platform/ui/View.h"

#include <array>

class CChildFrame;
class CDataManager;
class CQuorvaneDoc;
struct ControllerData;

class CLeftpaneTreeView : public CTreeView {
    DECLARE_DYNCREATE(CLeftpaneTreeView)

public:
    // The text of the tree's first item: how the windows of the current
    // controller (terminal, monitors) name it.
    CString RootItemText();
    static constexpr int kItemKinds = 8;
    static constexpr int kNoController = -1;

    CLeftpaneTreeView();
    ~CLeftpaneTreeView() override;

    void OnInitialUpdate() override;

    // Reads the window's data (file, new data or the first controller of the
    // line): the node's position (1 or more), 0 on failure.
    int Build();
    void SelectController(int index);
    void Refresh();
    // Link state of the window.
    bool IsConnected() const { return m_connected; }
    bool IsTimeoutMarked() const { return m_timeoutMark; }
    bool IsBusy() const { return m_busy; }
    // The internal disconnect: the link closes, the panes lock.
    void Disconnect(bool timeoutMark);
    // The link-status message of the data manager: 0 failing, 1 back.
    void OnLinkStatus(WPARAM state);
    // 0 to allow the close, 1 to refuse it.
    LRESULT MayClose(bool doNotAsk);
    // 0 on success.
    int WriteToController(bool fromDialog);
    // Reads the current controller anew; a failure is reported unless the
    // caller reports it itself.
    bool ReadController(bool discardEdits, CWnd* owner, bool reportFailure = true);
    bool Save(bool askForName);
    // Whether the window's data differ from what was last read, written or saved.
    bool HasChanges();

    CQuorvaneDoc* Document() const;
    CDataManager* DataManager() const;
    ControllerData* CurrentData() const;
    CChildFrame* Frame() const;

    afx_msg LRESULT OnPrivateMessage(WPARAM wParam, LPARAM lParam);

protected:
    afx_msg void OnConnect();
    afx_msg void OnDisconnect();
    afx_msg void OnWrite();
    afx_msg void OnReadController();
    afx_msg void OnSaveAs();
    afx_msg void OnSave();
    afx_msg void OnRestore();
    afx_msg void OnSimulator();
    afx_msg BOOL OnInitCommand(UINT nID);
    afx_msg void OnShowPane();
    // The data-moving commands of the window: read a controller into this
    // window, move this window's data to a controller, choose another node.
    afx_msg void OnReadData();
    afx_msg void OnTransportData();
    afx_msg void OnChangeNode();
    afx_msg void OnUpdateReadData(CCmdUI* pCmdUI);
    afx_msg void OnUpdateTransportData(CCmdUI* pCmdUI);
    afx_msg void OnUpdateChangeNode(CCmdUI* pCmdUI);
    afx_msg void OnUpdateConnect(CCmdUI* pCmdUI);
    afx_msg void OnUpdateOnlineConnected(CCmdUI* pCmdUI);
    afx_msg void OnUpdateWrite(CCmdUI* pCmdUI);
    afx_msg void OnUpdateSave(CCmdUI* pCmdUI);
    afx_msg void OnUpdateRestore(CCmdUI* pCmdUI);
    afx_msg void OnUpdateSimulator(CCmdUI* pCmdUI);
    afx_msg void OnUpdateInit(CCmdUI* pCmdUI);
    afx_msg void OnUpdateShowPane(CCmdUI* pCmdUI);
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg void OnContextMenu(CWnd* pWnd, CPoint point);
    afx_msg void OnDestroy();
    // The panes on the right follow the tree: its selection picks the pane, and
    // they show the data again after a read or a write.
    afx_msg void OnSelectionChanged(NMHDR* pNMHDR, LRESULT* pResult);
    void RefreshPanes();
    // The controller's dialogs: alarms, comments, mode, and the modeless
    // terminal and monitors of the data manager.
    afx_msg void OnAlarmList();
    afx_msg void OnCommentList();
    afx_msg void OnModeChange();
    afx_msg void OnDesktopTerminal();
    afx_msg void OnIoMonitor();
    afx_msg void OnStatusMonitor();
    afx_msg void OnUpdateControllerDialog(CCmdUI* pCmdUI);
    afx_msg void OnUpdateModeChange(CCmdUI* pCmdUI);
    afx_msg void OnUpdateMonitor(CCmdUI* pCmdUI);
    DECLARE_MESSAGE_MAP()

private:
    struct ItemKind {
        int collapsedImage = 0;
        int expandedImage = 0;
        bool showsPane = false;
        int submenu = 0;
        HTREEITEM item = nullptr;
    };

    void FillTree();
    void AddExpertItem();
    bool RunsSimulatorHere() const;
    bool AnyRunsSimulator() const;
    bool ModeForbidsWrite() const;
    void FollowMode();
    int ParameterK(int n) const;
    bool ConnectAgain();
    // Online, connected, and this window is not handing its data to the simulator.
    bool CanTalkToController() const;
    // Answers of the private messages the transport dialogs send.
    LRESULT LendLink(int* node, CDataManager** link);
    LRESULT ReadForDialog(HWND owner);
    LRESULT RescanForDialog(HWND owner);
    // Runs a dialog of the window with polling paused and the main frame busy.
    template <class Run>
    void RunWindowDialog(Run run);

    CImageList m_images;
    std::array<ItemKind, kItemKinds> m_kinds{};
    std::array<BYTE, 16> m_nodeMap{};
    bool m_offlineNew = false;
    bool m_connected = false;
    bool m_timeoutMark = false;
    bool m_busy = false;
    bool m_simulatorTimer = false;
};
