// MDI frames: a frame whose pane is an MDI client (a QMdiArea) holding any
// number of child frames (CMDIChildWnd). The active child receives the
// commands first; its template's menu replaces the frame's own menu while
// it is active. Cascade, tile, arrange, maximise, restore, next and close
// work on the children; WM_MDIACTIVATE tells the children that lose and gain
// activation (wParam: the one losing it, lParam: the one gaining it).
#pragma once

#include "platform/ui/ArrangeWindows.h"
#include "platform/ui/FrameWnd.h"

class CMDIChildWnd;

// Window class of the MDI client and of MDI child frames.
inline constexpr const char16_t* kMdiClientClassName = u"MDIClient";
inline constexpr const char16_t* kMdiChildClassName = u"QvMdiChild";

class CMDIFrameWnd : public CFrameWnd {
    DECLARE_DYNCREATE(CMDIFrameWnd)

public:
    CMDIFrameWnd();
    ~CMDIFrameWnd() override;

    // The active child frame, or null; *pbMaximized tells whether it is
    // maximised.
    CMDIChildWnd* MDIGetActive(BOOL* pbMaximized = nullptr) const;
    void MDIActivate(CWnd* pWndActivate);
    void MDICascade();
    void MDITile(int nType = MDITILE_VERTICAL);
    void MDIIconArrange();
    void MDIMaximize(CWnd* pWnd);
    void MDIRestore(CWnd* pWnd);
    void MDINext();
    void MDIPrev();
    // The child frames in creation order.
    std::vector<CMDIChildWnd*> MDIGetChildren() const;

    CFrameWnd* GetActiveFrame() override;
    CDocument* GetActiveDocument() override;
    BOOL OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* pContext) override;
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    void OnUpdateFrameTitle(BOOL bAddToTitle) override;
    // Shows the menu of the active child (hMenuAlt), or the frame's own.
    void OnUpdateFrameMenu(HMENU hMenuAlt);

    HWND m_hWndMDIClient;

    afx_msg BOOL OnMDIWindowCmd(UINT nID);
    afx_msg void OnUpdateMDIWindowCmd(CCmdUI* pCmdUI);

    // The window menu (the popup with the cascade and tile commands) ends
    // with a list of the children, in creation order, the active one
    // checked; choosing one activates it. At most this many are listed.
    static constexpr UINT kMaxListedChildren = 32;

protected:
    afx_msg void OnClose();
    afx_msg LRESULT OnIdleUpdateCmdUIMessage(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnInitMenuPopupMdi(WPARAM wParam, LPARAM lParam);
    afx_msg BOOL OnActivateListedChild(UINT nID);
    afx_msg void OnUpdateListedChild(CCmdUI* pCmdUI);

    CWnd m_wndMDIClient;

    DECLARE_MESSAGE_MAP()
};
