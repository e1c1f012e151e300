// Frame windows: a top-level window with a menu bar, control bars (tool
// bars, status bar) along its edges and one pane in the middle (a view, a
// splitter, or the MDI client of an MDI frame).
//
// Layout: RecalcLayout puts the menu bar at the top, then the visible bars
// of the frame by their alignment (top bars downwards in the order they were
// docked, bottom bars upwards with the status bar at the very bottom, left
// and right bars beside), and gives the rest to the child with id
// AFX_IDW_PANE_FIRST.
//
// Commands go to the active view (and from there to its document and
// template), then to the frame, then to the application. Menus follow the
// update handlers when they open (WM_INITMENUPOPUP): with m_bAutoMenuEnable
// an item without a handler is greyed. Bars follow them at idle time
// (WM_IDLEUPDATECMDUI). Accelerators of the frame are translated before a
// key reaches the window that has the focus.
//
// Dropped files: a frame created with WS_EX_ACCEPTFILES takes files dropped
// on it (WM_DROPFILES); the default opens each with the application.
#pragma once

#include "platform/core/Geometry.h"
#include "platform/ui/Accelerator.h"
#include "platform/ui/FrameIds.h"
#include "platform/ui/Menu.h"
#include "platform/ui/WindowApi.h"

#include <memory>
#include <vector>

class CControlBar;
class CDocument;
class CView;
struct CCreateContext;
using HDROP = OpaqueHandle<struct DropHandleTag>;

namespace platform::ui {
class FrameMenuBar;
}

// The menu bar of a frame window (frames only; null for other windows).
BOOL SetMenu(HWND hWnd, HMENU menu);
HMENU GetMenu(HWND hWnd);
// Shows the menu bar again after its menu changed.
BOOL DrawMenuBar(HWND hWnd);

class CFrameWnd : public CWnd {
    DECLARE_DYNCREATE(CFrameWnd)

public:
    CFrameWnd();
    ~CFrameWnd() override;

    // A size chosen by the window system (640 x 480 here).
    static const CRect rectDefault;

    BOOL Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle = WS_OVERLAPPEDWINDOW,
                const RECT& rect = rectDefault, CWnd* pParentWnd = nullptr, LPCTSTR lpszMenuName = nullptr,
                DWORD dwExStyle = 0, CCreateContext* pContext = nullptr);
    // The frame with the menu, accelerators, icon and title (string: the
    // text before the first '\n') of resource nIDResource.
    virtual BOOL LoadFrame(UINT nIDResource, DWORD dwDefaultStyle = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                           CWnd* pParentWnd = nullptr, CCreateContext* pContext = nullptr);

    // Layout.
    virtual void RecalcLayout(BOOL bNotify = TRUE);
    // The area left for the pane after the menu bar and the bars.
    CRect GetPaneRect() const;

    // Views and documents.
    CView* GetActiveView() const { return m_pViewActive; }
    void SetActiveView(CView* pViewNew, BOOL bNotify = TRUE);
    virtual CDocument* GetActiveDocument();
    virtual CFrameWnd* GetActiveFrame() { return this; }
    CFrameWnd* GetParentFrame() const;
    CWnd* CreateView(CCreateContext* pContext, UINT nID = AFX_IDW_PANE_FIRST);
    void InitialUpdateFrame(CDocument* pDoc, BOOL bMakeVisible);
    virtual void ActivateFrame(int nCmdShow = -1);
    virtual void OnUpdateFrameTitle(BOOL bAddToTitle);
    void UpdateFrameTitleForDocument(LPCTSTR lpszDocName);
    void SetTitle(LPCTSTR lpszTitle) { m_strTitle = lpszTitle ? lpszTitle : u""; }
    CString GetTitle() const { return m_strTitle; }

    // Menus and accelerators.
    BOOL SetMenu(CMenu* pMenu);
    CMenu* GetMenu() const;
    void DrawMenuBar();
    HMENU GetDefaultMenu() const { return m_hMenuDefault; }
    BOOL LoadAccelTable(LPCTSTR lpszResourceName);

    // Bars. Docking keeps bars along the edges named by their alignment;
    // bars do not float here.
    void EnableDocking(DWORD dwDockStyle) { m_dwDockStyle = dwDockStyle & CBRS_ALIGN_ANY; }
    void DockControlBar(CControlBar* pBar, UINT nDockBarID = 0, const RECT* lpRect = nullptr);
    void ShowControlBar(CControlBar* pBar, BOOL bShow, BOOL bDelay);
    CControlBar* GetControlBar(UINT nID) const;
    const std::vector<CControlBar*>& ControlBars() const { return m_listControlBars; }
    // Keeps and restores which bars are shown and on which edge, under
    // "<profile name>-Bar<n>" sections of the application's profile.
    void SaveBarState(LPCTSTR lpszProfileName) const;
    void LoadBarState(LPCTSTR lpszProfileName);
    // The status bar's message pane.
    virtual CWnd* GetMessageBar();
    void SetMessageText(LPCTSTR lpszText);
    void SetMessageText(UINT nID);

    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void PostNcDestroy() override;
    virtual BOOL OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* pContext);

    // For the control bars.
    void AddControlBar(CControlBar* pBar);
    void RemoveControlBar(CControlBar* pBar);
    // Runs the update handlers of the bars (as at idle time).
    void UpdateBars();

    BOOL m_bAutoMenuEnable = TRUE;
    HMENU m_hMenuDefault;
    HACCEL m_hAccelTable;
    UINT m_nIDHelp = 0;
    CString m_strTitle;
    DWORD m_dwDockStyle = 0;

    afx_msg void OnUpdateControlBarMenu(CCmdUI* pCmdUI);
    afx_msg BOOL OnBarCheck(UINT nID);
    afx_msg void OnUpdateKeyIndicator(CCmdUI* pCmdUI);

protected:
    afx_msg int OnCreate(LPCREATESTRUCT lpcs);
    afx_msg void OnDestroy();
    afx_msg void OnClose();
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnSetFocus(CWnd* pOldWnd);
    afx_msg void OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized);
    afx_msg LRESULT OnInitMenuPopupMessage(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnIdleUpdateCmdUI(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnDropFilesMessage(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnSetMessageString(WPARAM wParam, LPARAM lParam);
    // Default: each dropped file is opened by the application.
    virtual void OnDropFiles(HDROP hDropInfo);
    // Runs the update handlers for the items of a menu that opens.
    void OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu);
    // The menu bar's height (0 without a menu).
    int MenuBarHeight() const;
    void ShowMenuBar(HMENU menu);

    CView* m_pViewActive = nullptr;
    std::vector<CControlBar*> m_listControlBars;
    bool m_inRecalc = false;

    DECLARE_MESSAGE_MAP()

private:
    friend BOOL SetMenu(HWND, HMENU);
    friend HMENU GetMenu(HWND);
    friend BOOL DrawMenuBar(HWND);
    friend class CMDIFrameWnd;
    std::unique_ptr<platform::ui::FrameMenuBar> m_menuBar;
    HMENU m_hMenuShown;
};

// The frame a window belongs to (its nearest frame ancestor), or null.
CFrameWnd* AfxGetParentFrame(const CWnd* pWnd);

// Messages of frames and bars.
inline constexpr UINT WM_SETMESSAGESTRING = 0x0362;
inline constexpr UINT WM_SIZEPARENT = 0x0361;
