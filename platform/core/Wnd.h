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
#pragma once

#include "platform/core/CmdTarget.h"
#include "platform/core/MessageBox.h"
#include "platform/core/Messages.h"
#include "platform/core/WindowPeer.h"

#include <memory>

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

protected:
    // Default handling of the message being handled.
    LRESULT Default();

    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg void OnDestroy();
    afx_msg void OnNcDestroy();
    afx_msg void OnClose();
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg void OnSysCommand(UINT nID, LPARAM lParam);

    DECLARE_MESSAGE_MAP()
};
