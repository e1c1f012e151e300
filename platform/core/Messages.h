// Window messages: numbers, records and the calls that move them.
//
// Every window belongs to the thread that created it and every thread that
// uses messages has one queue, created on its first message call. A message
// posted from any thread is delivered on the window's thread, in the order of
// posting. SendMessage on the window's own thread calls the window at once;
// from another thread it queues the message ahead of posted ones and blocks
// until the window's thread has handled it. While a thread waits for its own
// send, or pumps (PeekMessage, GetMessage, MsgWaitForMultipleObjects and the
// helpers below), it answers the sends that other threads make to it, so two
// threads that send to each other do not deadlock.
//
// A window handle stays invalid once the window is destroyed (IsWindow is
// false, a post to it fails or is dropped, a send returns 0), also when its
// thread ends without destroying it.
//
// Bounds: a send to another thread returns 0 at once when the window is gone
// or goes, or its thread ends, while it waits. A thread that lives but never
// pumps (blocked in a plain wait) cannot answer: after
// platform::kSendMessageTimeoutMs the send is withdrawn, reported on stderr
// and returns 0 (SendMessageTimeoutW takes a bound of its own). Once the
// window's thread has begun to handle it, the sender waits for the end, since
// the handler may use memory the sender lent it through the parameters.
// GetMessageW waits for the next message without a limit: it is the idle
// state of a message loop, ended by a post or WM_QUIT.
//
// Nothing here throws; a handler's exception is stopped at the dispatch, and
// written to stderr.
#pragma once

#include "platform/core/Thread.h"
#include "platform/core/WinTypes.h"

// Message numbers.
inline constexpr UINT WM_NULL = 0x0000;
inline constexpr UINT WM_CREATE = 0x0001;
inline constexpr UINT WM_DESTROY = 0x0002;
inline constexpr UINT WM_MOVE = 0x0003;
inline constexpr UINT WM_SIZE = 0x0005;
inline constexpr UINT WM_ACTIVATE = 0x0006;
inline constexpr UINT WM_SETFOCUS = 0x0007;
inline constexpr UINT WM_KILLFOCUS = 0x0008;
inline constexpr UINT WM_ENABLE = 0x000A;
inline constexpr UINT WM_SETREDRAW = 0x000B;
inline constexpr UINT WM_SETTEXT = 0x000C;
inline constexpr UINT WM_GETTEXT = 0x000D;
inline constexpr UINT WM_GETTEXTLENGTH = 0x000E;
inline constexpr UINT WM_PAINT = 0x000F;
inline constexpr UINT WM_CLOSE = 0x0010;
inline constexpr UINT WM_QUERYENDSESSION = 0x0011;
inline constexpr UINT WM_QUIT = 0x0012;
inline constexpr UINT WM_ERASEBKGND = 0x0014;
inline constexpr UINT WM_SYSCOLORCHANGE = 0x0015;
inline constexpr UINT WM_ENDSESSION = 0x0016;
inline constexpr UINT WM_SHOWWINDOW = 0x0018;
inline constexpr UINT WM_SETTINGCHANGE = 0x001A;
inline constexpr UINT WM_ACTIVATEAPP = 0x001C;
inline constexpr UINT WM_CANCELMODE = 0x001F;
inline constexpr UINT WM_SETCURSOR = 0x0020;
inline constexpr UINT WM_MOUSEACTIVATE = 0x0021;
inline constexpr UINT WM_GETMINMAXINFO = 0x0024;
inline constexpr UINT WM_DRAWITEM = 0x002B;
inline constexpr UINT WM_MEASUREITEM = 0x002C;
inline constexpr UINT WM_DELETEITEM = 0x002D;
inline constexpr UINT WM_COMPAREITEM = 0x0039;
inline constexpr UINT WM_SETFONT = 0x0030;
inline constexpr UINT WM_GETFONT = 0x0031;
inline constexpr UINT WM_WINDOWPOSCHANGING = 0x0046;
inline constexpr UINT WM_WINDOWPOSCHANGED = 0x0047;
inline constexpr UINT WM_COPYDATA = 0x004A;
inline constexpr UINT WM_NOTIFY = 0x004E;
inline constexpr UINT WM_HELP = 0x0053;
inline constexpr UINT WM_CONTEXTMENU = 0x007B;
inline constexpr UINT WM_STYLECHANGED = 0x007D;
inline constexpr UINT WM_GETICON = 0x007F;
inline constexpr UINT WM_SETICON = 0x0080;
inline constexpr UINT WM_NCCREATE = 0x0081;
inline constexpr UINT WM_NCDESTROY = 0x0082;
inline constexpr UINT WM_NCCALCSIZE = 0x0083;
inline constexpr UINT WM_NCHITTEST = 0x0084;
inline constexpr UINT WM_NCPAINT = 0x0085;
inline constexpr UINT WM_NCACTIVATE = 0x0086;
inline constexpr UINT WM_GETDLGCODE = 0x0087;
inline constexpr UINT WM_NCMOUSEMOVE = 0x00A0;
inline constexpr UINT WM_NCLBUTTONDOWN = 0x00A1;
inline constexpr UINT WM_NCLBUTTONUP = 0x00A2;
inline constexpr UINT WM_NCLBUTTONDBLCLK = 0x00A3;
inline constexpr UINT WM_KEYFIRST = 0x0100;
inline constexpr UINT WM_KEYDOWN = 0x0100;
inline constexpr UINT WM_KEYUP = 0x0101;
inline constexpr UINT WM_CHAR = 0x0102;
inline constexpr UINT WM_SYSKEYDOWN = 0x0104;
inline constexpr UINT WM_SYSKEYUP = 0x0105;
inline constexpr UINT WM_SYSCHAR = 0x0106;
inline constexpr UINT WM_KEYLAST = 0x0109;
inline constexpr UINT WM_INITDIALOG = 0x0110;
inline constexpr UINT WM_COMMAND = 0x0111;
inline constexpr UINT WM_SYSCOMMAND = 0x0112;
inline constexpr UINT WM_TIMER = 0x0113;
inline constexpr UINT WM_HSCROLL = 0x0114;
inline constexpr UINT WM_VSCROLL = 0x0115;
inline constexpr UINT WM_INITMENU = 0x0116;
inline constexpr UINT WM_INITMENUPOPUP = 0x0117;
inline constexpr UINT WM_MENUSELECT = 0x011F;
inline constexpr UINT WM_MENUCHAR = 0x0120;
inline constexpr UINT WM_ENTERIDLE = 0x0121;
inline constexpr UINT WM_CTLCOLORMSGBOX = 0x0132;
inline constexpr UINT WM_CTLCOLOREDIT = 0x0133;
inline constexpr UINT WM_CTLCOLORLISTBOX = 0x0134;
inline constexpr UINT WM_CTLCOLORBTN = 0x0135;
inline constexpr UINT WM_CTLCOLORDLG = 0x0136;
inline constexpr UINT WM_CTLCOLORSCROLLBAR = 0x0137;
inline constexpr UINT WM_CTLCOLORSTATIC = 0x0138;
inline constexpr UINT WM_MOUSEFIRST = 0x0200;
inline constexpr UINT WM_MOUSEMOVE = 0x0200;
inline constexpr UINT WM_LBUTTONDOWN = 0x0201;
inline constexpr UINT WM_LBUTTONUP = 0x0202;
inline constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
inline constexpr UINT WM_RBUTTONDOWN = 0x0204;
inline constexpr UINT WM_RBUTTONUP = 0x0205;
inline constexpr UINT WM_RBUTTONDBLCLK = 0x0206;
inline constexpr UINT WM_MBUTTONDOWN = 0x0207;
inline constexpr UINT WM_MBUTTONUP = 0x0208;
inline constexpr UINT WM_MBUTTONDBLCLK = 0x0209;
inline constexpr UINT WM_MOUSEWHEEL = 0x020A;
inline constexpr UINT WM_MOUSELAST = 0x020A;
inline constexpr UINT WM_PARENTNOTIFY = 0x0210;
inline constexpr UINT WM_ENTERMENULOOP = 0x0211;
inline constexpr UINT WM_EXITMENULOOP = 0x0212;
inline constexpr UINT WM_SIZING = 0x0214;
inline constexpr UINT WM_CAPTURECHANGED = 0x0215;
inline constexpr UINT WM_MOVING = 0x0216;
inline constexpr UINT WM_POWERBROADCAST = 0x0218;
inline constexpr UINT WM_MDICREATE = 0x0220;
inline constexpr UINT WM_MDIDESTROY = 0x0221;
inline constexpr UINT WM_MDIACTIVATE = 0x0222;
inline constexpr UINT WM_MDIRESTORE = 0x0223;
inline constexpr UINT WM_MDINEXT = 0x0224;
inline constexpr UINT WM_MDIMAXIMIZE = 0x0225;
inline constexpr UINT WM_MDITILE = 0x0226;
inline constexpr UINT WM_MDICASCADE = 0x0227;
inline constexpr UINT WM_MDIICONARRANGE = 0x0228;
inline constexpr UINT WM_MDIGETACTIVE = 0x0229;
inline constexpr UINT WM_MDISETMENU = 0x0230;
inline constexpr UINT WM_ENTERSIZEMOVE = 0x0231;
inline constexpr UINT WM_EXITSIZEMOVE = 0x0232;
inline constexpr UINT WM_DROPFILES = 0x0233;
inline constexpr UINT WM_MOUSEHOVER = 0x02A1;
inline constexpr UINT WM_MOUSELEAVE = 0x02A3;
inline constexpr UINT WM_CUT = 0x0300;
inline constexpr UINT WM_COPY = 0x0301;
inline constexpr UINT WM_PASTE = 0x0302;
inline constexpr UINT WM_CLEAR = 0x0303;
inline constexpr UINT WM_UNDO = 0x0304;
inline constexpr UINT WM_HOTKEY = 0x0312;
inline constexpr UINT WM_PRINT = 0x0317;
inline constexpr UINT WM_PRINTCLIENT = 0x0318;
inline constexpr UINT WM_THEMECHANGED = 0x031A;
inline constexpr UINT WM_USER = 0x0400;
inline constexpr UINT WM_APP = 0x8000;

// wParam of WM_SYSCOMMAND; the low four bits are the system's own.
inline constexpr UINT SC_SIZE = 0xF000;
inline constexpr UINT SC_MOVE = 0xF010;
inline constexpr UINT SC_MINIMIZE = 0xF020;
inline constexpr UINT SC_MAXIMIZE = 0xF030;
inline constexpr UINT SC_NEXTWINDOW = 0xF040;
inline constexpr UINT SC_PREVWINDOW = 0xF050;
inline constexpr UINT SC_CLOSE = 0xF060;
inline constexpr UINT SC_VSCROLL = 0xF070;
inline constexpr UINT SC_HSCROLL = 0xF080;
inline constexpr UINT SC_MOUSEMENU = 0xF090;
inline constexpr UINT SC_KEYMENU = 0xF100;
inline constexpr UINT SC_RESTORE = 0xF120;
inline constexpr UINT SC_TASKLIST = 0xF130;
inline constexpr UINT SC_SCREENSAVE = 0xF140;
inline constexpr UINT SC_CONTEXTHELP = 0xF180;

// Window styles. A window created here is hidden whatever its style says;
// the user-interface layer reads them when it gives a window a visible peer.
inline constexpr DWORD WS_OVERLAPPED = 0x00000000;
inline constexpr DWORD WS_POPUP = 0x80000000;
inline constexpr DWORD WS_CHILD = 0x40000000;
inline constexpr DWORD WS_MINIMIZE = 0x20000000;
inline constexpr DWORD WS_VISIBLE = 0x10000000;
inline constexpr DWORD WS_DISABLED = 0x08000000;
inline constexpr DWORD WS_CLIPSIBLINGS = 0x04000000;
inline constexpr DWORD WS_CLIPCHILDREN = 0x02000000;
inline constexpr DWORD WS_MAXIMIZE = 0x01000000;
inline constexpr DWORD WS_BORDER = 0x00800000;
inline constexpr DWORD WS_DLGFRAME = 0x00400000;
inline constexpr DWORD WS_CAPTION = WS_BORDER | WS_DLGFRAME;
inline constexpr DWORD WS_VSCROLL = 0x00200000;
inline constexpr DWORD WS_HSCROLL = 0x00100000;
inline constexpr DWORD WS_SYSMENU = 0x00080000;
inline constexpr DWORD WS_THICKFRAME = 0x00040000;
inline constexpr DWORD WS_GROUP = 0x00020000;
inline constexpr DWORD WS_TABSTOP = 0x00010000;
inline constexpr DWORD WS_MINIMIZEBOX = 0x00020000;
inline constexpr DWORD WS_MAXIMIZEBOX = 0x00010000;
inline constexpr DWORD WS_TILED = WS_OVERLAPPED;
inline constexpr DWORD WS_ICONIC = WS_MINIMIZE;
inline constexpr DWORD WS_SIZEBOX = WS_THICKFRAME;
inline constexpr DWORD WS_CHILDWINDOW = WS_CHILD;
inline constexpr DWORD WS_OVERLAPPEDWINDOW =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
inline constexpr DWORD WS_TILEDWINDOW = WS_OVERLAPPEDWINDOW;
inline constexpr DWORD WS_POPUPWINDOW = WS_POPUP | WS_BORDER | WS_SYSMENU;

inline constexpr DWORD WS_EX_DLGMODALFRAME = 0x00000001;
inline constexpr DWORD WS_EX_NOPARENTNOTIFY = 0x00000004;
inline constexpr DWORD WS_EX_TOPMOST = 0x00000008;
inline constexpr DWORD WS_EX_ACCEPTFILES = 0x00000010;
inline constexpr DWORD WS_EX_TRANSPARENT = 0x00000020;
inline constexpr DWORD WS_EX_MDICHILD = 0x00000040;
inline constexpr DWORD WS_EX_TOOLWINDOW = 0x00000080;
inline constexpr DWORD WS_EX_WINDOWEDGE = 0x00000100;
inline constexpr DWORD WS_EX_CLIENTEDGE = 0x00000200;
inline constexpr DWORD WS_EX_CONTEXTHELP = 0x00000400;
inline constexpr DWORD WS_EX_RIGHT = 0x00001000;
inline constexpr DWORD WS_EX_LEFT = 0x00000000;
inline constexpr DWORD WS_EX_RTLREADING = 0x00002000;
inline constexpr DWORD WS_EX_LEFTSCROLLBAR = 0x00004000;
inline constexpr DWORD WS_EX_CONTROLPARENT = 0x00010000;
inline constexpr DWORD WS_EX_STATICEDGE = 0x00020000;
inline constexpr DWORD WS_EX_APPWINDOW = 0x00040000;
inline constexpr DWORD WS_EX_LAYERED = 0x00080000;
inline constexpr DWORD WS_EX_NOACTIVATE = 0x08000000;
inline constexpr DWORD WS_EX_OVERLAPPEDWINDOW = WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE;
inline constexpr DWORD WS_EX_PALETTEWINDOW = WS_EX_WINDOWEDGE | WS_EX_TOOLWINDOW | WS_EX_TOPMOST;

// Window attributes for GetWindowLongPtrW / SetWindowLongPtrW.
inline constexpr int GWL_STYLE = -16;
inline constexpr int GWL_EXSTYLE = -20;
inline constexpr int GWLP_ID = -12;
inline constexpr int GWLP_USERDATA = -21;

// PeekMessage options.
inline constexpr UINT PM_NOREMOVE = 0x0000;
inline constexpr UINT PM_REMOVE = 0x0001;
inline constexpr UINT PM_NOYIELD = 0x0002;

// Wake masks of MsgWaitForMultipleObjects. Only posted messages, timers and
// sends exist here; input and paint come from the user-interface toolkit.
inline constexpr DWORD QS_KEY = 0x0001;
inline constexpr DWORD QS_MOUSEMOVE = 0x0002;
inline constexpr DWORD QS_MOUSEBUTTON = 0x0004;
inline constexpr DWORD QS_POSTMESSAGE = 0x0008;
inline constexpr DWORD QS_TIMER = 0x0010;
inline constexpr DWORD QS_PAINT = 0x0020;
inline constexpr DWORD QS_SENDMESSAGE = 0x0040;
inline constexpr DWORD QS_HOTKEY = 0x0080;
inline constexpr DWORD QS_ALLPOSTMESSAGE = 0x0100;
inline constexpr DWORD QS_RAWINPUT = 0x0400;
inline constexpr DWORD QS_MOUSE = QS_MOUSEMOVE | QS_MOUSEBUTTON;
inline constexpr DWORD QS_INPUT = QS_MOUSE | QS_KEY | QS_RAWINPUT;
inline constexpr DWORD QS_ALLEVENTS = QS_INPUT | QS_POSTMESSAGE | QS_TIMER | QS_PAINT | QS_HOTKEY;
inline constexpr DWORD QS_ALLINPUT = QS_ALLEVENTS | QS_SENDMESSAGE;

// Timer periods are clamped to this range, as on the original platform.
inline constexpr UINT USER_TIMER_MINIMUM = 0x0000000A;
inline constexpr UINT USER_TIMER_MAXIMUM = 0x7FFFFFFF;

// Options of SendMessageTimeoutW (accepted; the send never gives up on a
// message that the window has already begun to handle).
inline constexpr UINT SMTO_NORMAL = 0x0000;
inline constexpr UINT SMTO_BLOCK = 0x0001;
inline constexpr UINT SMTO_ABORTIFHUNG = 0x0002;

struct MSG {
    HWND hwnd;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    DWORD time = 0;
    POINT pt;
};
using LPMSG = MSG*;

// Header of every WM_NOTIFY record.
struct NMHDR {
    HWND hwndFrom;
    UINT_PTR idFrom = 0;
    UINT code = 0;
};
using LPNMHDR = NMHDR*;

// lParam of WM_CREATE and WM_NCCREATE.
struct CREATESTRUCTW {
    LPVOID lpCreateParams = nullptr;
    HINSTANCE hInstance;
    HMENU hMenu;
    HWND hwndParent;
    int cy = 0;
    int cx = 0;
    int y = 0;
    int x = 0;
    LONG style = 0;
    LPCWSTR lpszName = nullptr;
    LPCWSTR lpszClass = nullptr;
    DWORD dwExStyle = 0;
};
using CREATESTRUCT = CREATESTRUCTW;
using LPCREATESTRUCT = CREATESTRUCTW*;

using TIMERPROC = void (*)(HWND hwnd, UINT message, UINT_PTR idEvent, DWORD time);

// Messages.
LRESULT SendMessageW(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
// Like SendMessageW, but a send to another thread gives up after timeoutMs
// when that thread has not begun to handle it (the message is then withdrawn
// and never handled). *result gets the handler's result; returns 0 on a
// time-out or an invalid window, non-zero otherwise.
LRESULT SendMessageTimeoutW(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, UINT flags, UINT timeoutMs,
                            DWORD_PTR* result);
BOOL PostMessageW(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
BOOL PostThreadMessageW(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);
BOOL PeekMessageW(MSG* msg, HWND hWnd, UINT filterMin, UINT filterMax, UINT removeFlags);
// Blocks until a message arrives: the idle wait of a message loop. Returns 0
// for WM_QUIT, -1 for an invalid window filter, else non-zero.
BOOL GetMessageW(MSG* msg, HWND hWnd, UINT filterMin, UINT filterMax);
BOOL TranslateMessage(const MSG* msg);
LRESULT DispatchMessageW(const MSG* msg);
// Waits for the handles (any, or all with waitAll) or for a message
// (WAIT_OBJECT_0 + count) of a kind in wakeMask. A message counts when it is
// in the queue, whether or not an earlier peek saw it. Sends from other
// threads are answered during the wait. Both the handles and the messages end
// the wait as soon as they are ready (on a thread driven by a toolkit's loop
// the handles are looked at every millisecond). WAIT_FAILED, with the last
// error, for handles that WaitForMultipleObjects would refuse.
DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds, DWORD wakeMask);
UINT RegisterWindowMessageW(LPCWSTR name);
LRESULT DefWindowProcW(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

inline LRESULT SendMessage(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return SendMessageW(hWnd, message, wParam, lParam);
}
inline BOOL PostMessage(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return PostMessageW(hWnd, message, wParam, lParam);
}
inline BOOL PostThreadMessage(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam)
{
    return PostThreadMessageW(threadId, message, wParam, lParam);
}
inline BOOL PeekMessage(MSG* msg, HWND hWnd, UINT filterMin, UINT filterMax, UINT removeFlags)
{
    return PeekMessageW(msg, hWnd, filterMin, filterMax, removeFlags);
}
inline BOOL GetMessage(MSG* msg, HWND hWnd, UINT filterMin, UINT filterMax)
{
    return GetMessageW(msg, hWnd, filterMin, filterMax);
}
inline LRESULT DispatchMessage(const MSG* msg) { return DispatchMessageW(msg); }
inline UINT RegisterWindowMessage(LPCWSTR name) { return RegisterWindowMessageW(name); }
inline LRESULT DefWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(hWnd, message, wParam, lParam);
}

// Windows.
BOOL IsWindow(HWND hWnd);
BOOL DestroyWindow(HWND hWnd);
HWND GetParent(HWND hWnd);
// Gives the window another parent (null: none); the previous parent, or null
// when the window is invalid or the new parent is the window or one of its
// descendants.
HWND SetParent(HWND hWndChild, HWND hWndNewParent);
int GetDlgCtrlID(HWND hWnd);
// The child window of hDlg with the id, else null.
HWND GetDlgItem(HWND hDlg, int nIDDlgItem);
// Calls proc for every descendant of the window (children before their own
// children) until it returns FALSE. Windows created meanwhile may be missed.
using WNDENUMPROC = BOOL (*)(HWND hWnd, LPARAM lParam);
BOOL EnumChildWindows(HWND hWndParent, WNDENUMPROC proc, LPARAM lParam);
LONG_PTR GetWindowLongPtrW(HWND hWnd, int index);
LONG_PTR SetWindowLongPtrW(HWND hWnd, int index, LONG_PTR value);
// Thread that owns the window (0 for an invalid one); *processId gets the
// process when asked.
DWORD GetWindowThreadProcessId(HWND hWnd, DWORD* processId);

// Window timers: WM_TIMER is posted to the window's thread every elapseMs,
// at most one pending per timer. With a null window the timer belongs to the
// calling thread and gets a new id.
UINT_PTR SetTimer(HWND hWnd, UINT_PTR idEvent, UINT elapseMs, TIMERPROC timerProc);
BOOL KillTimer(HWND hWnd, UINT_PTR idEvent);

// Waits for a message and handles it (PreTranslateMessage of the window and
// its parents, then dispatch). FALSE when WM_QUIT was retrieved; the quit is
// posted again so that the outer loop ends too.
BOOL AfxPumpMessage();

namespace platform {

// Handles the sends waiting for this thread, lets the user-interface toolkit
// process its own events, then handles at most one posted message. Never
// blocks. False when WM_QUIT is pending (it stays queued for the outer loop).
bool PumpOneMessage();
// As PumpOneMessage, for every message that was queued when it started (a
// handler that posts again does not keep it running). False when WM_QUIT is
// pending.
bool PumpPendingMessages();
// The headless message loop of a thread: until WM_QUIT, returns its exit code.
int RunMessageLoop();

// Suggested bound of a SendMessage to another thread that never begins to
// handle it (a thread that does not pump): afterwards SendMessage gives up
// and returns 0.
inline constexpr UINT kSendMessageTimeoutMs = 30000;

}  // namespace platform
