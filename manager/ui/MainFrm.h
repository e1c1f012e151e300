// The manager's main window: the MDI frame with the main tool bar and the
// status bar, the commands that open controller windows, the commands on the
// active controller, and the orderly close of every controller window.
#pragma once

#include "platform/ui/ImageList.h"
#include "platform/ui/MDIFrameWnd.h"
#include "platform/ui/StatusBar.h"
#include "platform/ui/ToolBar.h"

#include <memory>

class CChildFrame;
class CHelpOpener;
enum class TransportCommand;

// Posted to the main frame once it shows at start: wParam is the launcher's
// layout (CDlgLauncher's mode).
inline constexpr UINT UM_SHOWLAUNCHER = WM_APP + 0x71;

class CMainFrame : public CMDIFrameWnd {
    DECLARE_DYNCREATE(CMainFrame)

public:
    static constexpr WPARAM kLauncherAtStart = 1;

    CMainFrame();
    ~CMainFrame() override;

    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;

    // Commands that open or close windows or take dropped files run one at a
    // time: while one runs the frame is busy. Nested runs count, so an inner
    // one ending does not make the frame idle while the outer one still runs.
    bool IsIdle() const { return m_busy == 0; }
    class BusyScope {
    public:
        explicit BusyScope(CMainFrame& frame);
        ~BusyScope();
        BusyScope(const BusyScope&) = delete;
        BusyScope& operator=(const BusyScope&) = delete;

    private:
        CMainFrame& m_frame;
    };

    // 1 while one of the frame's modal controller dialogs runs.
    bool IsModalDialogRunning() const { return m_modal; }
    // Puts the controller-initialisation item in or out of the menu shown,
    // by the access level.
    void AdjustMenuForAccess();
    // Builds the main tool bar anew (and has each controller window rebuild its own).
    void BuildToolBar(bool reset);
    bool IsToolBarVisible() const;
    CToolBar* ToolBar() const { return m_toolBar.get(); }
    CStatusBar& StatusBar() { return m_statusBar; }
    CChildFrame* ActiveChild() const;

    void OnDropFiles(HDROP hDropInfo) override;

protected:
    afx_msg int OnCreate(LPCREATESTRUCT lpcs);
    afx_msg void OnClose();
    afx_msg void OnNewOnline();
    afx_msg void OnOpenData();
    afx_msg void OnUpdateIdleCommand(CCmdUI* pCmdUI);
    afx_msg void OnViewToolBar();
    afx_msg void OnUpdateViewToolBar(CCmdUI* pCmdUI);
    afx_msg BOOL OnToolBarStyle(UINT nID);
    afx_msg void OnUpdateToolBarStyle(CCmdUI* pCmdUI);
    afx_msg void OnAbout();
    afx_msg void OnCloseAll();
    afx_msg BOOL OnShowAll(UINT nID);
    afx_msg BOOL OnShowMonitors(UINT nID);
    afx_msg void OnSimulator();
    afx_msg void OnHelpContents();
    afx_msg void OnControllerInit();
    afx_msg void OnWatcher();
    afx_msg void OnAccessPassword();
    afx_msg void OnUpdateWatcher(CCmdUI* pCmdUI);
    afx_msg void OnNewOffline();
    afx_msg void OnTransportFrom();
    afx_msg void OnTransportTo();
    afx_msg void OnAlarmTransport();
    afx_msg void OnGlobalTransport();
    afx_msg void OnGenerationTransport();
    afx_msg void OnAlarmFile();
    afx_msg void OnOptions();
    afx_msg void OnUpdateTransport(CCmdUI* pCmdUI);
    afx_msg LRESULT OnShowLauncher(WPARAM wParam, LPARAM lParam);
    afx_msg void OnUpdateAlways(CCmdUI* pCmdUI);
    afx_msg void OnNothing() {}
    afx_msg void OnOpenDropDown(NMHDR* header, LRESULT* result);
    afx_msg LRESULT OnPowerBroadcast(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnOpenHandedFile(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnAccessLevelChanged(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    // The main window's place when no placement of an earlier run is restored.
    void PlaceForFirstStart();
    void EnableSystemClose(bool enable);
    // Asks each controller window to close, the active one first; false when one refuses.
    bool CloseAllChildren(WPARAM doNotAsk);
    void AfterModalDialog();
    // Runs one of the frame's modal controller dialogs: the current window's
    // polling paused, the modal flag set, the active window refreshed after.
    template <class Run>
    void RunControllerDialog(Run run);
    // A transport dialog started on the active window's connection.
    void RunTransport(TransportCommand command);

    CStatusBar m_statusBar;
    std::unique_ptr<CToolBar> m_toolBar;
    CImageList m_images;
    int m_busy = 0;
    bool m_modal = false;
    int m_lastComPort = 0;
    std::unique_ptr<CHelpOpener> m_helpOpener;  // made on the first help command
};
