// The frame of one controller window: its views in splitters (the tree, the
// right pane and, for online windows, the status panel), its own tool bar,
// what the window is connected to, and the receiver of the manager's private
// messages, which it hands to its tree or its right pane.
#pragma once

#include "manager/core/OpenWindowEntry.h"
#include "platform/ui/ImageList.h"
#include "platform/ui/MDIChildWnd.h"
#include "platform/ui/SplitterWnd.h"
#include "platform/ui/ToolBar.h"

#include <memory>

class CLeftpaneFormView;
class CLeftpaneTreeView;
class CQuorvaneDoc;
class CRightpaneFormView;

class CChildFrame : public CMDIChildWnd {
    DECLARE_DYNCREATE(CChildFrame)

public:
    CChildFrame();
    ~CChildFrame() override;

    BOOL OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* pContext) override;
    void ActivateFrame(int nCmdShow = -1) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    // Edit and print commands go to the pane on the right, the controller's
    // commands to the tree, whichever view is active.
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

    // Called by the tree's initial update: builds the window's contents;
    // false when it could not (the window is then closed by its opener).
    bool BuildWindow();
    bool IsBuilt() const { return m_built; }

    int Kind() const { return m_kind; }
    bool IsOnline() const { return m_kind == kOpenWindowSerial || m_kind == kOpenWindowTcp; }
    const CString& DisplayName() const { return m_displayName; }
    int ComPort() const { return m_comPort; }
    DWORD Address() const { return m_address; }

    CLeftpaneTreeView* GetTreeView() const;
    CRightpaneFormView* GetRightpaneFormView() const;
    // Null for offline windows.
    CLeftpaneFormView* GetLeftpaneFormView() const;
    CQuorvaneDoc* Document() const;
    void BuildToolBar(bool reset);
    CToolBar* ToolBar() const { return m_toolBar.get(); }

    // The window's size (frame included) at which its tree, its status panel
    // and every pane show whole; zero before the window is built.
    CSize WholeSize();
    // The least size an arrangement of the windows (cascade, tile) gives it:
    // the tree and the left part of the panes, whose view scrolls for the rest.
    static constexpr int kUsableWidth = 600;
    static constexpr int kUsableHeight = 420;

protected:
    afx_msg void OnClose();
    afx_msg void OnCloseWindow();
    afx_msg void OnUpdateCloseWindow(CCmdUI* pCmdUI);
    afx_msg LRESULT OnMDIActivateMessage(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnToTree(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnToRightPane(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnQueryClose(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnCloseFrame(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnRebuildToolBar(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnShowToolBar(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnShowFrame(WPARAM wParam, LPARAM lParam);
    afx_msg void OnDestroy();
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnGetMinMaxInfo(MINMAXINFO* info);
    DECLARE_MESSAGE_MAP()

public:
    // Gives the status panel of an online window its whole height, the tree the rest.
    void FitStatusPanel();

private:
    void RememberPlacement();
    void SizeToWholeWindow();

    CSplitterWnd m_outer;
    CSplitterWnd m_inner;
    HICON m_icon = nullptr;
    std::unique_ptr<CToolBar> m_toolBar;
    CImageList m_images;
    bool m_built = false;
    // Not yet shown, and to be sized to show everything whole when it is.
    bool m_sizeToWhole = false;
    int m_kind = kOpenWindowNone;
    CString m_displayName;
    int m_comPort = 0;
    DWORD m_address = 0;
};
