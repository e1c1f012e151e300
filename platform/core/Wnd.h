// CWnd: a window object. Here a window is a handle, a thread and a message
// map: CreateEx makes a hidden window that only receives messages (the class
// name goes to the peer factory, the styles are kept; neither changes
// anything here). The user-interface
// layer makes windows visible by giving them a peer (WindowPeer.h) and adds
// the members that only visible windows have (ShowWindow, GetDlgItem, ...):
// it declares them in this class and defines them in its own library.
//
// Routing: every message goes to the virtual WindowProc, which asks OnWndMsg
// and falls back to DefWindowProc. OnWndMsg hands WM_COMMAND to OnCommand and
// WM_NOTIFY to OnNotify, which route them through OnCmdMsg (menus and
// accelerators are checked with their update handler first: a disabled
// command is not run); every other message goes to the message map.
//
// Life: DestroyWindow (on the window's thread only) sends WM_DESTROY,
// destroys the child windows, sends WM_NCDESTROY, invalidates the handle,
// deletes the peer, clears m_hWnd and calls PostNcDestroy, each exactly once.
// A CWnd destroyed with its window still alive destroys it; handlers of
// derived classes no longer run then, so derived classes destroy their
// window in their own destructor when they need their handlers.
//
// The members under "Visible windows" are defined by the user-interface
// layer (platform/ui, libplatform-ui): a program that calls them links it.
// Reflection (ReflectChildNotify) is here: a control's own message map sees
// the notifications it sends to its parent first (ON_CONTROL_REFLECT and the
// like, declared with the controls).
#pragma once

#include "platform/core/CmdTarget.h"
#include "platform/core/Geometry.h"
#include "platform/core/MessageBox.h"
#include "platform/core/Messages.h"
#include "platform/core/WindowPeer.h"

#include <memory>

class CDataExchange;
class CDC;
template <class Tag>
class GdiHandle;
using HBRUSH = GdiHandle<struct BrushTag>;
class CFont;
class CMenu;
class CRgn;
class CScrollBar;
class CString;
struct WINDOWPLACEMENT;
struct MINMAXINFO;
struct DRAWITEMSTRUCT;
struct MEASUREITEMSTRUCT;

// Messages that notifications come back to a control with (reflection), and
// the class library's idle messages.
inline constexpr UINT WM_REFLECT_BASE = 0xBC00;
inline constexpr UINT WM_CTLCOLOR = 0x0019;
inline constexpr UINT WM_IDLEUPDATECMDUI = 0x0363;
inline constexpr UINT WM_KICKIDLE = 0x036A;

namespace platform {
// Window class name given by AfxRegisterWndClass.
inline constexpr const char16_t* kHiddenWindowClassName = u"QvWnd";
}  // namespace platform

// Window classes need no registration here: any class name is accepted.
template <class... Ignored>
LPCTSTR AfxRegisterWndClass(UINT, Ignored...)
{
    return platform::kHiddenWindowClassName;
}

class CWnd : public CCmdTarget {
    DECLARE_DYNAMIC(CWnd)

public:
    CWnd();
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd;

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }
    // The object of a window, or nullptr (unknown handle, or a window that
    // has no object).
    static CWnd* FromHandle(HWND hWnd);
    static CWnd* FromHandlePermanent(HWND hWnd);

    // Creates the window on the calling thread, which then owns it. The
    // parent must be a live window. WM_CREATE returning -1 fails the creation
    // (the window is destroyed again, PostNcDestroy included).
    virtual BOOL CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle,
                          const RECT& rect, CWnd* pParentWnd, UINT nID, LPVOID lpParam = nullptr);
    virtual BOOL DestroyWindow();
    // Binds this object to a window that has none, or unbinds it (the window
    // lives on without an object); for the user-interface layer's
    // subclassing of dialog controls.
    BOOL Attach(HWND hWndNew);
    HWND Detach();

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer = nullptr);
    BOOL KillTimer(UINT_PTR nIDEvent);
    // Without a caption the application's title is used.
    int MessageBox(LPCTSTR lpszText, LPCTSTR lpszCaption = nullptr, UINT nType = MB_OK);

    int GetDlgCtrlID() const;
    DWORD GetStyle() const;
    DWORD GetExStyle() const;
    CWnd* GetParent() const;

    platform::IWindowPeer* GetPeer() const;
    // Gives the window a peer (replacing and deleting any earlier one).
    void SetPeer(std::unique_ptr<platform::IWindowPeer> peer);

    // The message being handled on this thread (for Default()).
    static const MSG* GetCurrentMessage();

    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // A control sees its own WM_COMMAND / WM_NOTIFY first (reflection); TRUE
    // when it handled it.
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // Called by the message loops of this layer before a posted message of
    // this window (or of one of its children) is dispatched; TRUE keeps it
    // from being dispatched.
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    virtual BOOL PreCreateWindow(CREATESTRUCTW& cs);
    // After the window is gone; a heap object that owns itself deletes itself
    // here.
    virtual void PostNcDestroy();

    // Called when an object takes over a window that exists (subclassing).
    virtual void PreSubclassWindow() {}
    // Moves data between the controls and the members (DDX/DDV helpers).
    virtual void DoDataExchange(CDataExchange*) {}

    // Reflection: the notification of a child (WM_COMMAND, WM_NOTIFY,
    // WM_DRAWITEM, WM_CTLCOLOR..., WM_HSCROLL, ...) offered to the child's own
    // map. TRUE when the child handled it (the parent then does not).
    BOOL ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // Offers the message being handled to the child window's OnChildNotify.
    static BOOL ReflectLastMsg(HWND hWndChild, LRESULT* pResult = nullptr);

    // ---- Visible windows (defined in platform/ui). Calls from a thread that
    // does not own the window are carried out on the window's thread.
    BOOL Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                UINT nID, LPVOID lpParam = nullptr)
    {
        return CreateEx(0, lpszClassName, lpszWindowName, dwStyle, rect, pParentWnd, nID, lpParam);
    }
    BOOL ShowWindow(int nCmdShow);
    BOOL IsWindowVisible() const;
    BOOL EnableWindow(BOOL bEnable = TRUE);
    BOOL IsWindowEnabled() const;
    void SetWindowText(LPCTSTR lpszString);
    int GetWindowText(LPTSTR lpszStringBuf, int nMaxCount) const;
    void GetWindowText(CString& rString) const;
    int GetWindowTextLength() const;
    void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE);
    void MoveWindow(const RECT* lpRect, BOOL bRepaint = TRUE);
    BOOL SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags);
    void GetWindowRect(RECT* lpRect) const;
    void GetClientRect(RECT* lpRect) const;
    void ClientToScreen(POINT* lpPoint) const;
    void ClientToScreen(RECT* lpRect) const;
    void ScreenToClient(POINT* lpPoint) const;
    void ScreenToClient(RECT* lpRect) const;
    void MapWindowPoints(CWnd* pwndTo, RECT* lpRect) const;
    BOOL GetWindowPlacement(WINDOWPLACEMENT* lpwndpl) const;
    BOOL SetWindowPlacement(const WINDOWPLACEMENT* lpwndpl);
    BOOL IsIconic() const;
    BOOL IsZoomed() const;
    void CenterWindow(CWnd* pAlternateOwner = nullptr);
    void BringWindowToTop();
    BOOL SetForegroundWindow();
    CWnd* SetActiveWindow();
    static CWnd* GetActiveWindow();
    CWnd* SetFocus();
    static CWnd* GetFocus();
    BOOL IsChild(const CWnd* pWnd) const;
    CWnd* GetWindow(UINT nCmd) const;
    CWnd* GetTopLevelParent() const;
    CWnd* GetOwner() const;
    CWnd* GetDlgItem(int nID) const;
    void SetDlgItemText(int nID, LPCTSTR lpszString);
    int GetDlgItemText(int nID, LPTSTR lpStr, int nMaxCount) const;
    int GetDlgItemText(int nID, CString& rString) const;
    void SetDlgItemInt(int nID, UINT nValue, BOOL bSigned = TRUE);
    UINT GetDlgItemInt(int nID, BOOL* lpTrans = nullptr, BOOL bSigned = TRUE) const;
    void CheckDlgButton(int nIDButton, UINT nCheck);
    UINT IsDlgButtonChecked(int nIDButton) const;
    void CheckRadioButton(int nIDFirstButton, int nIDLastButton, int nIDCheckButton);
    int GetCheckedRadioButton(int nIDFirstButton, int nIDLastButton);
    LRESULT SendDlgItemMessage(int nID, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    CWnd* GetNextDlgTabItem(CWnd* pWndCtl, BOOL bPrevious = FALSE) const;
    CWnd* GetNextDlgGroupItem(CWnd* pWndCtl, BOOL bPrevious = FALSE) const;
    void Invalidate(BOOL bErase = TRUE);
    void InvalidateRect(const RECT* lpRect, BOOL bErase = TRUE);
    void UpdateWindow();
    BOOL RedrawWindow(const RECT* lpRectUpdate = nullptr, CRgn* prgnUpdate = nullptr, UINT flags = 0x0105);
    void SetRedraw(BOOL bRedraw = TRUE);
    void SetFont(CFont* pFont, BOOL bRedraw = TRUE);
    CFont* GetFont() const;
    BOOL ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
    BOOL ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
    CMenu* GetSystemMenu(BOOL bRevert) const;
    CDC* GetDC();
    CDC* GetWindowDC();
    int ReleaseDC(CDC* pDC);
    // Takes over a window that has no object (a control of a dialog).
    BOOL SubclassWindow(HWND hWnd);
    BOOL SubclassDlgItem(UINT nID, CWnd* pParent);
    HWND UnsubclassWindow();
    // DoDataExchange with the controls; FALSE when a check failed.
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
    // Runs the update handlers of pTarget for every control of this window.
    void UpdateDialogControls(CCmdTarget* pTarget, BOOL bDisableIfNoHndler);
    void SendMessageToDescendants(UINT message, WPARAM wParam = 0, LPARAM lParam = 0, BOOL bDeep = TRUE,
                                  BOOL bOnlyPerm = FALSE);
    // A modal loop for this window: until EndModalLoop. WM_QUIT ends it with
    // -1 (and stays queued for the outer loop).
    int RunModalLoop(DWORD dwFlags = 0);
    void EndModalLoop(int nResult);
    BOOL ContinueModal();

protected:
    // Default handling of the message being handled.
    LRESULT Default();

    // Default handlers of the visible-window messages (defined in platform/ui).
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnMove(int x, int y);
    afx_msg void OnShowWindow(BOOL bShow, UINT nStatus);
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg void OnGetMinMaxInfo(MINMAXINFO* lpMMI);
    afx_msg void OnSetFocus(CWnd* pOldWnd);
    afx_msg void OnKillFocus(CWnd* pNewWnd);
    afx_msg void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
    afx_msg void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    afx_msg void OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags);
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
    afx_msg void OnLButtonDblClk(UINT nFlags, CPoint point);
    afx_msg void OnRButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnRButtonUp(UINT nFlags, CPoint point);
    afx_msg void OnMouseMove(UINT nFlags, CPoint point);
    afx_msg void OnMouseLeave();
    afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    afx_msg void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    afx_msg void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    afx_msg void OnDrawItem(int nIDCtl, DRAWITEMSTRUCT* lpDrawItemStruct);
    afx_msg void OnMeasureItem(int nIDCtl, MEASUREITEMSTRUCT* lpMeasureItemStruct);
    afx_msg void OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized);
    afx_msg void OnEnable(BOOL bEnable);
    afx_msg void OnContextMenu(CWnd* pWnd, CPoint pos);
    afx_msg UINT OnGetDlgCode();
    afx_msg void OnCancelMode();
    afx_msg void OnCaptureChanged(CWnd* pWnd);
    afx_msg void OnSysColorChange();

    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg void OnDestroy();
    afx_msg void OnNcDestroy();
    afx_msg void OnClose();
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg void OnSysCommand(UINT nID, LPARAM lParam);

    DECLARE_MESSAGE_MAP()
};
