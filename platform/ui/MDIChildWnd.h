// MDI child frames: frames inside the MDI client of an MDI frame, each in
// a sub-window of the QMdiArea with its own caption, system buttons and
// frame. Closing one (its close button, WM_CLOSE, ID_FILE_CLOSE) asks its
// document to save its changes when it is the document's last frame.
#pragma once

#include "platform/ui/MDIFrameWnd.h"

class CMDIChildWnd : public CFrameWnd {
    DECLARE_DYNCREATE(CMDIChildWnd)

public:
    CMDIChildWnd();
    ~CMDIChildWnd() override;

    BOOL Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName,
                DWORD dwStyle = WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW, const RECT& rect = rectDefault,
                CMDIFrameWnd* pParentWnd = nullptr, CCreateContext* pContext = nullptr);
    BOOL LoadFrame(UINT nIDResource, DWORD dwDefaultStyle = WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                   CWnd* pParentWnd = nullptr, CCreateContext* pContext = nullptr) override;

    CMDIFrameWnd* GetMDIFrame() const;
    void MDIActivate();
    void MDIDestroy();
    void MDIMaximize();
    void MDIRestore();

    void ActivateFrame(int nCmdShow = -1) override;
    void OnUpdateFrameTitle(BOOL bAddToTitle) override;
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    // Called on activation and deactivation: puts the child's menu in the
    // frame.
    virtual void OnUpdateFrameMenu(BOOL bActive, CWnd* pActivateWnd, HMENU hMenuAlt);

    // The menu and accelerators shown while this child is active (its
    // template's).
    HMENU m_hMenuShared;
    HACCEL m_hAccelShared;

protected:
    afx_msg void OnMDIActivate(BOOL bActivate, CWnd* pActivateWnd, CWnd* pDeactivateWnd);
    afx_msg LRESULT OnMDIActivateMessage(WPARAM wParam, LPARAM lParam);
    afx_msg int OnCreate(LPCREATESTRUCT lpcs);
    afx_msg void OnDestroy();

    DECLARE_MESSAGE_MAP()
};
