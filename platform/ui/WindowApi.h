// Visible windows: the numbers, records, plain calls and message-map entries
// that windows with a face use (the hidden-window part is
// platform/core/Messages.h and Wnd.h). The members of CWnd for visible
// windows are defined in this layer.
#pragma once

#include "platform/core/Geometry.h"
#include "platform/core/Wnd.h"
#include "platform/ui/DC.h"
#include "platform/ui/Gdi.h"

// ShowWindow commands.
inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_NORMAL = 1;
inline constexpr int SW_SHOWMINIMIZED = 2;
inline constexpr int SW_SHOWMAXIMIZED = 3;
inline constexpr int SW_MAXIMIZE = 3;
inline constexpr int SW_SHOWNOACTIVATE = 4;
inline constexpr int SW_SHOW = 5;
inline constexpr int SW_MINIMIZE = 6;
inline constexpr int SW_SHOWMINNOACTIVE = 7;
inline constexpr int SW_SHOWNA = 8;
inline constexpr int SW_RESTORE = 9;
inline constexpr int SW_SHOWDEFAULT = 10;

// SetWindowPos.
inline constexpr UINT SWP_NOSIZE = 0x0001;
inline constexpr UINT SWP_NOMOVE = 0x0002;
inline constexpr UINT SWP_NOZORDER = 0x0004;
inline constexpr UINT SWP_NOREDRAW = 0x0008;
inline constexpr UINT SWP_NOACTIVATE = 0x0010;
inline constexpr UINT SWP_FRAMECHANGED = 0x0020;
inline constexpr UINT SWP_SHOWWINDOW = 0x0040;
inline constexpr UINT SWP_HIDEWINDOW = 0x0080;
inline constexpr UINT SWP_NOCOPYBITS = 0x0100;
inline constexpr UINT SWP_NOOWNERZORDER = 0x0200;
inline constexpr UINT SWP_NOSENDCHANGING = 0x0400;
inline constexpr UINT SWP_DRAWFRAME = SWP_FRAMECHANGED;
inline constexpr UINT SWP_NOREPOSITION = SWP_NOOWNERZORDER;
// Insert-after values of SetWindowPos.
inline const HWND HWND_TOP = HWND::FromValue(0);
inline const HWND HWND_BOTTOM = HWND::FromValue(1);
inline const HWND HWND_TOPMOST = HWND::FromValue(~std::uint64_t{0});
inline const HWND HWND_NOTOPMOST = HWND::FromValue(~std::uint64_t{1});
// The class library's insert-after windows of SetWindowPos.
extern const CWnd& wndTop;
extern const CWnd& wndBottom;
extern const CWnd& wndTopMost;
extern const CWnd& wndNoTopMost;

// GetWindow.
inline constexpr UINT GW_HWNDFIRST = 0;
inline constexpr UINT GW_HWNDLAST = 1;
inline constexpr UINT GW_HWNDNEXT = 2;
inline constexpr UINT GW_HWNDPREV = 3;
inline constexpr UINT GW_OWNER = 4;
inline constexpr UINT GW_CHILD = 5;

// RedrawWindow.
inline constexpr UINT RDW_INVALIDATE = 0x0001;
inline constexpr UINT RDW_INTERNALPAINT = 0x0002;
inline constexpr UINT RDW_ERASE = 0x0004;
inline constexpr UINT RDW_VALIDATE = 0x0008;
inline constexpr UINT RDW_NOINTERNALPAINT = 0x0010;
inline constexpr UINT RDW_NOERASE = 0x0020;
inline constexpr UINT RDW_NOCHILDREN = 0x0040;
inline constexpr UINT RDW_ALLCHILDREN = 0x0080;
inline constexpr UINT RDW_UPDATENOW = 0x0100;
inline constexpr UINT RDW_ERASENOW = 0x0200;
inline constexpr UINT RDW_FRAME = 0x0400;
inline constexpr UINT RDW_NOFRAME = 0x0800;

// WM_SIZE types, WM_ACTIVATE states, WM_SHOWWINDOW reasons.
inline constexpr UINT SIZE_RESTORED = 0;
inline constexpr UINT SIZE_MINIMIZED = 1;
inline constexpr UINT SIZE_MAXIMIZED = 2;
inline constexpr UINT WA_INACTIVE = 0;
inline constexpr UINT WA_ACTIVE = 1;
inline constexpr UINT WA_CLICKACTIVE = 2;
inline constexpr UINT SW_PARENTCLOSING = 1;
inline constexpr UINT SW_PARENTOPENING = 3;

// Control colour types (nCtlColor of OnCtlColor).
inline constexpr UINT CTLCOLOR_MSGBOX = 0;
inline constexpr UINT CTLCOLOR_EDIT = 1;
inline constexpr UINT CTLCOLOR_LISTBOX = 2;
inline constexpr UINT CTLCOLOR_BTN = 3;
inline constexpr UINT CTLCOLOR_DLG = 4;
inline constexpr UINT CTLCOLOR_SCROLLBAR = 5;
inline constexpr UINT CTLCOLOR_STATIC = 6;

// WM_GETDLGCODE answers.
inline constexpr UINT DLGC_WANTARROWS = 0x0001;
inline constexpr UINT DLGC_WANTTAB = 0x0002;
inline constexpr UINT DLGC_WANTALLKEYS = 0x0004;
inline constexpr UINT DLGC_WANTMESSAGE = 0x0004;
inline constexpr UINT DLGC_HASSETSEL = 0x0008;
inline constexpr UINT DLGC_DEFPUSHBUTTON = 0x0010;
inline constexpr UINT DLGC_UNDEFPUSHBUTTON = 0x0020;
inline constexpr UINT DLGC_RADIOBUTTON = 0x0040;
inline constexpr UINT DLGC_WANTCHARS = 0x0080;
inline constexpr UINT DLGC_STATIC = 0x0100;
inline constexpr UINT DLGC_BUTTON = 0x2000;

// Dialog messages.
inline constexpr UINT DM_GETDEFID = WM_USER + 0;
inline constexpr UINT DM_SETDEFID = WM_USER + 1;
inline constexpr UINT DC_HASDEFID = 0x534B;

// Dialog styles.
inline constexpr DWORD DS_ABSALIGN = 0x01;
inline constexpr DWORD DS_SYSMODAL = 0x02;
inline constexpr DWORD DS_3DLOOK = 0x04;
inline constexpr DWORD DS_FIXEDSYS = 0x08;
inline constexpr DWORD DS_NOFAILCREATE = 0x10;
inline constexpr DWORD DS_LOCALEDIT = 0x20;
inline constexpr DWORD DS_SETFONT = 0x40;
inline constexpr DWORD DS_MODALFRAME = 0x80;
inline constexpr DWORD DS_NOIDLEMSG = 0x100;
inline constexpr DWORD DS_SETFOREGROUND = 0x200;
inline constexpr DWORD DS_CONTROL = 0x400;
inline constexpr DWORD DS_CENTER = 0x800;
inline constexpr DWORD DS_CENTERMOUSE = 0x1000;
inline constexpr DWORD DS_CONTEXTHELP = 0x2000;
inline constexpr DWORD DS_SHELLFONT = DS_SETFONT | DS_FIXEDSYS;

// The unnamed control id of templates.
inline constexpr int IDC_STATIC = -1;

// Virtual keys.
inline constexpr UINT VK_LBUTTON = 0x01;
inline constexpr UINT VK_RBUTTON = 0x02;
inline constexpr UINT VK_CANCEL = 0x03;
inline constexpr UINT VK_MBUTTON = 0x04;
inline constexpr UINT VK_BACK = 0x08;
inline constexpr UINT VK_TAB = 0x09;
inline constexpr UINT VK_CLEAR = 0x0C;
inline constexpr UINT VK_RETURN = 0x0D;
inline constexpr UINT VK_SHIFT = 0x10;
inline constexpr UINT VK_CONTROL = 0x11;
inline constexpr UINT VK_MENU = 0x12;
inline constexpr UINT VK_PAUSE = 0x13;
inline constexpr UINT VK_CAPITAL = 0x14;
inline constexpr UINT VK_ESCAPE = 0x1B;
inline constexpr UINT VK_SPACE = 0x20;
inline constexpr UINT VK_PRIOR = 0x21;
inline constexpr UINT VK_NEXT = 0x22;
inline constexpr UINT VK_END = 0x23;
inline constexpr UINT VK_HOME = 0x24;
inline constexpr UINT VK_LEFT = 0x25;
inline constexpr UINT VK_UP = 0x26;
inline constexpr UINT VK_RIGHT = 0x27;
inline constexpr UINT VK_DOWN = 0x28;
inline constexpr UINT VK_SELECT = 0x29;
inline constexpr UINT VK_PRINT = 0x2A;
inline constexpr UINT VK_EXECUTE = 0x2B;
inline constexpr UINT VK_SNAPSHOT = 0x2C;
inline constexpr UINT VK_INSERT = 0x2D;
inline constexpr UINT VK_DELETE = 0x2E;
inline constexpr UINT VK_HELP = 0x2F;
inline constexpr UINT VK_LWIN = 0x5B;
inline constexpr UINT VK_RWIN = 0x5C;
inline constexpr UINT VK_APPS = 0x5D;
inline constexpr UINT VK_NUMPAD0 = 0x60;
inline constexpr UINT VK_NUMPAD9 = 0x69;
inline constexpr UINT VK_MULTIPLY = 0x6A;
inline constexpr UINT VK_ADD = 0x6B;
inline constexpr UINT VK_SEPARATOR = 0x6C;
inline constexpr UINT VK_SUBTRACT = 0x6D;
inline constexpr UINT VK_DECIMAL = 0x6E;
inline constexpr UINT VK_DIVIDE = 0x6F;
inline constexpr UINT VK_F1 = 0x70;
inline constexpr UINT VK_F2 = 0x71;
inline constexpr UINT VK_F3 = 0x72;
inline constexpr UINT VK_F4 = 0x73;
inline constexpr UINT VK_F5 = 0x74;
inline constexpr UINT VK_F6 = 0x75;
inline constexpr UINT VK_F7 = 0x76;
inline constexpr UINT VK_F8 = 0x77;
inline constexpr UINT VK_F9 = 0x78;
inline constexpr UINT VK_F10 = 0x79;
inline constexpr UINT VK_F11 = 0x7A;
inline constexpr UINT VK_F12 = 0x7B;
inline constexpr UINT VK_NUMLOCK = 0x90;
inline constexpr UINT VK_SCROLL = 0x91;
inline constexpr UINT VK_LSHIFT = 0xA0;
inline constexpr UINT VK_RSHIFT = 0xA1;
inline constexpr UINT VK_LCONTROL = 0xA2;
inline constexpr UINT VK_RCONTROL = 0xA3;
inline constexpr UINT VK_LMENU = 0xA4;
inline constexpr UINT VK_RMENU = 0xA5;
inline constexpr UINT VK_OEM_1 = 0xBA;
inline constexpr UINT VK_OEM_PLUS = 0xBB;
inline constexpr UINT VK_OEM_COMMA = 0xBC;
inline constexpr UINT VK_OEM_MINUS = 0xBD;
inline constexpr UINT VK_OEM_PERIOD = 0xBE;
inline constexpr UINT VK_OEM_2 = 0xBF;
inline constexpr UINT VK_OEM_3 = 0xC0;
inline constexpr UINT VK_OEM_4 = 0xDB;
inline constexpr UINT VK_OEM_5 = 0xDC;
inline constexpr UINT VK_OEM_6 = 0xDD;
inline constexpr UINT VK_OEM_7 = 0xDE;

// Input-method messages.
inline constexpr UINT WM_IME_STARTCOMPOSITION = 0x010D;
inline constexpr UINT WM_IME_ENDCOMPOSITION = 0x010E;
inline constexpr UINT WM_IME_COMPOSITION = 0x010F;

// Mouse message flags.
inline constexpr UINT MK_LBUTTON = 0x0001;
inline constexpr UINT MK_RBUTTON = 0x0002;
inline constexpr UINT MK_SHIFT = 0x0004;
inline constexpr UINT MK_CONTROL = 0x0008;
inline constexpr UINT MK_MBUTTON = 0x0010;

// Hit-test codes of WM_NCHITTEST and WM_SETCURSOR.
inline constexpr int HTERROR = -2;
inline constexpr int HTTRANSPARENT = -1;
inline constexpr int HTNOWHERE = 0;
inline constexpr int HTCLIENT = 1;
inline constexpr int HTCAPTION = 2;

// WM_NCHITTEST, WM_MOUSELEAVE tracking.
inline constexpr UINT WM_NCMOUSELEAVE = 0x02A2;
inline constexpr DWORD TME_HOVER = 0x00000001;
inline constexpr DWORD TME_LEAVE = 0x00000002;
inline constexpr DWORD TME_CANCEL = 0x80000000;
inline constexpr DWORD HOVER_DEFAULT = 0xFFFFFFFF;

// Scroll codes of WM_HSCROLL and WM_VSCROLL.
inline constexpr UINT SB_LINEUP = 0;
inline constexpr UINT SB_LINELEFT = 0;
inline constexpr UINT SB_LINEDOWN = 1;
inline constexpr UINT SB_LINERIGHT = 1;
inline constexpr UINT SB_PAGEUP = 2;
inline constexpr UINT SB_PAGELEFT = 2;
inline constexpr UINT SB_PAGEDOWN = 3;
inline constexpr UINT SB_PAGERIGHT = 3;
inline constexpr UINT SB_THUMBPOSITION = 4;
inline constexpr UINT SB_THUMBTRACK = 5;
inline constexpr UINT SB_TOP = 6;
inline constexpr UINT SB_LEFT = 6;
inline constexpr UINT SB_BOTTOM = 7;
inline constexpr UINT SB_RIGHT = 7;
inline constexpr UINT SB_ENDSCROLL = 8;
// Scroll bars of a window.
inline constexpr int SB_HORZ = 0;
inline constexpr int SB_VERT = 1;
inline constexpr int SB_CTL = 2;
inline constexpr int SB_BOTH = 3;

struct WINDOWPLACEMENT {
    UINT length = sizeof(WINDOWPLACEMENT);
    UINT flags = 0;
    UINT showCmd = 0;
    POINT ptMinPosition;
    POINT ptMaxPosition;
    RECT rcNormalPosition;
};
inline constexpr UINT WPF_SETMINPOSITION = 0x0001;
inline constexpr UINT WPF_RESTORETOMAXIMIZED = 0x0002;

struct MINMAXINFO {
    POINT ptReserved;
    POINT ptMaxSize;
    POINT ptMaxPosition;
    POINT ptMinTrackSize;
    POINT ptMaxTrackSize;
};
using LPMINMAXINFO = MINMAXINFO*;

// WM_HELP's record: F1 on a window (the focused control) asks for help on
// it; a child's default handling passes the request to its parent.
inline constexpr int HELPINFO_WINDOW = 0x0001;
inline constexpr int HELPINFO_MENUITEM = 0x0002;
struct HELPINFO {
    UINT cbSize = sizeof(HELPINFO);
    int iContextType = HELPINFO_WINDOW;
    int iCtrlId = 0;
    HWND hItemHandle;
    DWORD_PTR dwContextId = 0;
    POINT MousePos{};
};
using LPHELPINFO = HELPINFO*;

// Owner-drawn controls.
inline constexpr UINT ODT_MENU = 1;
inline constexpr UINT ODT_LISTBOX = 2;
inline constexpr UINT ODT_COMBOBOX = 3;
inline constexpr UINT ODT_BUTTON = 4;
inline constexpr UINT ODT_STATIC = 5;
inline constexpr UINT ODA_DRAWENTIRE = 0x0001;
inline constexpr UINT ODA_SELECT = 0x0002;
inline constexpr UINT ODA_FOCUS = 0x0004;
inline constexpr UINT ODS_SELECTED = 0x0001;
inline constexpr UINT ODS_GRAYED = 0x0002;
inline constexpr UINT ODS_DISABLED = 0x0004;
inline constexpr UINT ODS_CHECKED = 0x0008;
inline constexpr UINT ODS_FOCUS = 0x0010;
inline constexpr UINT ODS_DEFAULT = 0x0020;
inline constexpr UINT ODS_COMBOBOXEDIT = 0x1000;
inline constexpr UINT ODS_HOTLIGHT = 0x0040;
inline constexpr UINT ODS_INACTIVE = 0x0080;
inline constexpr UINT ODS_NOACCEL = 0x0100;
inline constexpr UINT ODS_NOFOCUSRECT = 0x0200;

struct DRAWITEMSTRUCT {
    UINT CtlType = 0;
    UINT CtlID = 0;
    UINT itemID = 0;
    UINT itemAction = 0;
    UINT itemState = 0;
    HWND hwndItem;
    HDC hDC;
    RECT rcItem{};
    std::uintptr_t itemData = 0;
};
using LPDRAWITEMSTRUCT = DRAWITEMSTRUCT*;

struct MEASUREITEMSTRUCT {
    UINT CtlType = 0;
    UINT CtlID = 0;
    UINT itemID = 0;
    UINT itemWidth = 0;
    UINT itemHeight = 0;
    std::uintptr_t itemData = 0;
};
using LPMEASUREITEMSTRUCT = MEASUREITEMSTRUCT*;

// lParam of WM_STYLECHANGED.
struct STYLESTRUCT {
    DWORD styleOld = 0;
    DWORD styleNew = 0;
};

struct TRACKMOUSEEVENT {
    DWORD cbSize = sizeof(TRACKMOUSEEVENT);
    DWORD dwFlags = 0;
    HWND hwndTrack;
    DWORD dwHoverTime = 0;
};

// ---- Plain calls on windows. Like the members of CWnd, they may be called
// from any thread; what touches a widget runs on the window's thread.
BOOL ShowWindow(HWND hWnd, int nCmdShow);
BOOL IsWindowVisible(HWND hWnd);
BOOL EnableWindow(HWND hWnd, BOOL bEnable);
BOOL IsWindowEnabled(HWND hWnd);
BOOL SetWindowTextW(HWND hWnd, LPCWSTR text);
int GetWindowTextW(HWND hWnd, LPWSTR buffer, int maxCount);
int GetWindowTextLengthW(HWND hWnd);
// The window class name given at creation ("Button", "#32770", ...).
int GetClassNameW(HWND hWnd, LPWSTR buffer, int maxCount);
BOOL MoveWindow(HWND hWnd, int x, int y, int width, int height, BOOL repaint);
BOOL SetWindowPos(HWND hWnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
BOOL GetWindowRect(HWND hWnd, RECT* rect);
BOOL GetClientRect(HWND hWnd, RECT* rect);
BOOL ClientToScreen(HWND hWnd, POINT* point);
BOOL ScreenToClient(HWND hWnd, POINT* point);
int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count);
BOOL GetWindowPlacement(HWND hWnd, WINDOWPLACEMENT* placement);
BOOL SetWindowPlacement(HWND hWnd, const WINDOWPLACEMENT* placement);
BOOL IsIconic(HWND hWnd);
BOOL IsZoomed(HWND hWnd);
HWND SetFocus(HWND hWnd);
HWND GetFocus();
HWND GetActiveWindow();
HWND SetActiveWindow(HWND hWnd);
HWND GetForegroundWindow();
BOOL SetForegroundWindow(HWND hWnd);
BOOL BringWindowToTop(HWND hWnd);
BOOL IsChild(HWND parent, HWND hWnd);
HWND GetWindow(HWND hWnd, UINT cmd);
HWND GetAncestor(HWND hWnd, UINT flags);
inline constexpr UINT GA_PARENT = 1;
inline constexpr UINT GA_ROOT = 2;
inline constexpr UINT GA_ROOTOWNER = 3;
HWND GetDesktopWindow();
BOOL InvalidateRect(HWND hWnd, const RECT* rect, BOOL erase);
BOOL UpdateWindow(HWND hWnd);
BOOL RedrawWindow(HWND hWnd, const RECT* rect, HRGN region, UINT flags);
BOOL SetDlgItemTextW(HWND hDlg, int id, LPCWSTR text);
UINT GetDlgItemTextW(HWND hDlg, int id, LPWSTR buffer, int maxCount);
BOOL SetDlgItemInt(HWND hDlg, int id, UINT value, BOOL isSigned);
UINT GetDlgItemInt(HWND hDlg, int id, BOOL* translated, BOOL isSigned);
BOOL CheckDlgButton(HWND hDlg, int id, UINT check);
UINT IsDlgButtonChecked(HWND hDlg, int id);
BOOL CheckRadioButton(HWND hDlg, int first, int last, int check);
LRESULT SendDlgItemMessageW(HWND hDlg, int id, UINT message, WPARAM wParam, LPARAM lParam);
HWND GetNextDlgTabItem(HWND hDlg, HWND hCtl, BOOL previous);
HWND GetNextDlgGroupItem(HWND hDlg, HWND hCtl, BOOL previous);
// The dialog keys (Tab, Enter, Escape, arrows in groups) of a message meant
// for the dialog or one of its controls; TRUE when the message was used.
BOOL IsDialogMessageW(HWND hDlg, MSG* msg);
inline BOOL IsDialogMessage(HWND hDlg, MSG* msg) { return IsDialogMessageW(hDlg, msg); }
BOOL EndDialog(HWND hDlg, INT_PTR result);
// Dialog units of a dialog to pixels.
BOOL MapDialogRect(HWND hDlg, RECT* rect);
LONG GetDialogBaseUnits();

// Key and mouse state as the user-interface thread last saw it (the high bit
// set while down); GetAsyncKeyState asks the toolkit for mouse buttons.
SHORT GetKeyState(int virtualKey);
SHORT GetAsyncKeyState(int virtualKey);
BOOL GetCursorPos(POINT* point);
HWND SetCapture(HWND hWnd);
BOOL ReleaseCapture();
HWND GetCapture();
BOOL TrackMouseEvent(TRACKMOUSEEVENT* track);
BOOL MessageBeep(UINT type);

inline BOOL SetWindowText(HWND hWnd, LPCWSTR text) { return SetWindowTextW(hWnd, text); }
inline int GetWindowText(HWND hWnd, LPWSTR buffer, int maxCount) { return GetWindowTextW(hWnd, buffer, maxCount); }
inline int GetWindowTextLength(HWND hWnd) { return GetWindowTextLengthW(hWnd); }
inline BOOL SetDlgItemText(HWND hDlg, int id, LPCWSTR text) { return SetDlgItemTextW(hDlg, id, text); }
inline UINT GetDlgItemText(HWND hDlg, int id, LPWSTR buffer, int maxCount)
{
    return GetDlgItemTextW(hDlg, id, buffer, maxCount);
}
inline LRESULT SendDlgItemMessage(HWND hDlg, int id, UINT message, WPARAM wParam, LPARAM lParam)
{
    return SendDlgItemMessageW(hDlg, id, message, wParam, lParam);
}

namespace platform {

// Application-wide hook that typed keys pass through before the windows see
// them (the application object's PreTranslateMessage); TRUE eats the
// message, and it may change the message (a character, for instance).
using InputPreTranslateHook = BOOL (*)(MSG* msg);
InputPreTranslateHook SetInputPreTranslateHook(InputPreTranslateHook hook);

}  // namespace platform

// ---- Message-map entries of visible windows.
namespace platform::crack {

struct Size {
    template <class T, class Fn>
    static bool Invoke(T& object, Fn handler, MessageCall& call)
    {
        (object.*handler)(static_cast<UINT>(call.wParam), static_cast<SHORT>(LOWORD(call.lParam)),
                          static_cast<SHORT>(HIWORD(call.lParam)));
        return true;
    }
};

struct ShowWindow {
    template <class T, class Fn>
    static bool Invoke(T& object, Fn handler, MessageCall& call)
    {
        (object.*handler)(static_cast<BOOL>(call.wParam), static_cast<UINT>(call.lParam));
        return true;
    }
};

struct CtlColor {
    template <class T, class Fn>
    static bool Invoke(T& object, Fn handler, MessageCall& call)
    {
        const HBRUSH brush = (object.*handler)(CDC::FromHandle(HDC::FromWParam(call.wParam)),
                                               CWnd::FromHandle(HWND::FromLParam(call.lParam)),
                                               call.message - WM_CTLCOLORMSGBOX);
        call.result = static_cast<LRESULT>(brush.Value());
        return true;
    }
};

// A reflected WM_CTLCOLOR: wParam the DC, lParam the type. Only a brush
// counts as handled.
struct CtlColorReflect {
    template <class T, class Fn>
    static bool Invoke(T& object, Fn handler, MessageCall& call)
    {
        const HBRUSH brush =
            (object.*handler)(CDC::FromHandle(HDC::FromWParam(call.wParam)), static_cast<UINT>(call.lParam));
        call.result = static_cast<LRESULT>(brush.Value());
        return static_cast<bool>(brush);
    }
};

struct DcOnly {
    template <class T, class Fn>
    static bool Invoke(T& object, Fn handler, MessageCall& call)
    {
        call.result = (object.*handler)(CDC::FromHandle(HDC::FromWParam(call.wParam)));
        return true;
    }
};

struct MinMax {
    template <class T, class Fn>
    static bool Invoke(T& object, Fn handler, MessageCall& call)
    {
        (object.*handler)(reinterpret_cast<MINMAXINFO*>(call.lParam));
        return true;
    }
};

struct FocusWnd {
    template <class T, class Fn>
    static bool Invoke(T& object, Fn handler, MessageCall& call)
    {
        (object.*handler)(CWnd::FromHandle(HWND::FromWParam(call.wParam)));
        return true;
    }
};

struct Key {
    template <class T, class Fn>
    static bool Invoke(T& object, Fn handler, MessageCall& call)
    {
        (object.*handler)(static_cast<UINT>(call.wParam), LOWORD(call.lParam), HIWORD(call.lParam));
        return true;
    }
};

struct Mouse {
    template <class T, class Fn>
    static bool Invoke(T& object, Fn handler, MessageCall& call)
    {
        (object.*handler)(static_cast<UINT>(call.wParam), CPoint(call.lParam));
        return true;
    }
};

struct SetCursor {
    template <class T, class Fn>
    static bool Invoke(T& object, Fn handler, MessageCall& call)
    {
        call.result = (object.*handler)(CWnd::FromHandle(HWND::FromWParam(call.wParam)), LOWORD(call.lParam),
                                        HIWORD(call.lParam));
        return true;
    }
};

struct Scroll {
    template <class T, class Fn>
    static bool Invoke(T& object, Fn handler, MessageCall& call)
    {
        (object.*handler)(LOWORD(call.wParam), HIWORD(call.wParam),
                          reinterpret_cast<CScrollBar*>(CWnd::FromHandle(HWND::FromLParam(call.lParam))));
        return true;
    }
};

// Reflected WM_HSCROLL / WM_VSCROLL: the code and the position only.
struct ScrollReflect {
    template <class T, class Fn>
    static bool Invoke(T& object, Fn handler, MessageCall& call)
    {
        (object.*handler)(LOWORD(call.wParam), HIWORD(call.wParam));
        return true;
    }
};

struct DrawItem {
    template <class T, class Fn>
    static bool Invoke(T& object, Fn handler, MessageCall& call)
    {
        (object.*handler)(static_cast<int>(call.wParam), reinterpret_cast<DRAWITEMSTRUCT*>(call.lParam));
        call.result = TRUE;
        return true;
    }
};

struct MeasureItem {
    template <class T, class Fn>
    static bool Invoke(T& object, Fn handler, MessageCall& call)
    {
        (object.*handler)(static_cast<int>(call.wParam), reinterpret_cast<MEASUREITEMSTRUCT*>(call.lParam));
        call.result = TRUE;
        return true;
    }
};

struct Activate {
    template <class T, class Fn>
    static bool Invoke(T& object, Fn handler, MessageCall& call)
    {
        (object.*handler)(LOWORD(call.wParam), CWnd::FromHandle(HWND::FromLParam(call.lParam)),
                          HIWORD(call.wParam) != 0);
        return true;
    }
};

struct BoolArg {
    template <class T, class Fn>
    static bool Invoke(T& object, Fn handler, MessageCall& call)
    {
        (object.*handler)(static_cast<BOOL>(call.wParam));
        return true;
    }
};

struct ContextMenu {
    template <class T, class Fn>
    static bool Invoke(T& object, Fn handler, MessageCall& call)
    {
        (object.*handler)(CWnd::FromHandle(HWND::FromWParam(call.wParam)), CPoint(call.lParam));
        return true;
    }
};

struct Move {
    template <class T, class Fn>
    static bool Invoke(T& object, Fn handler, MessageCall& call)
    {
        (object.*handler)(static_cast<SHORT>(LOWORD(call.lParam)), static_cast<SHORT>(HIWORD(call.lParam)));
        return true;
    }
};

struct ResultNoArguments {
    template <class T, class Fn>
    static bool Invoke(T& object, Fn handler, MessageCall& call)
    {
        call.result = static_cast<LRESULT>((object.*handler)());
        return true;
    }
};

struct HitTest {
    template <class T, class Fn>
    static bool Invoke(T& object, Fn handler, MessageCall& call)
    {
        call.result = (object.*handler)(CPoint(call.lParam));
        return true;
    }
};

struct CaptureChanged {
    template <class T, class Fn>
    static bool Invoke(T& object, Fn handler, MessageCall& call)
    {
        (object.*handler)(CWnd::FromHandle(HWND::FromLParam(call.lParam)));
        return true;
    }
};

// ON_CONTROL_REFLECT_EX / ON_NOTIFY_REFLECT_EX: FALSE lets the parent have
// the notification too.
struct ReflectEx {
    template <class T, class Fn>
    static bool Invoke(T& object, Fn handler, MessageCall&)
    {
        return (object.*handler)() != FALSE;
    }
};

struct NotifyReflect {
    template <class T, class Fn>
    static bool Invoke(T& object, Fn handler, MessageCall& call)
    {
        auto* notify = static_cast<AFX_NOTIFY*>(call.extra);
        (object.*handler)(notify->pNMHDR, notify->pResult);
        return true;
    }
};

struct NotifyReflectEx {
    template <class T, class Fn>
    static bool Invoke(T& object, Fn handler, MessageCall& call)
    {
        auto* notify = static_cast<AFX_NOTIFY*>(call.extra);
        return (object.*handler)(notify->pNMHDR, notify->pResult) != FALSE;
    }
};

}  // namespace platform::crack

#define QV_WM_ENTRY(message, Cracker, name, ...) \
    MSGMAP_MESSAGE_ENTRY(message, ::platform::crack::Cracker, &ThisClass::name, __VA_ARGS__)

#define ON_WM_SIZE() QV_WM_ENTRY(WM_SIZE, Size, OnSize, void (ThisClass::*)(UINT, int, int))
#define ON_WM_MOVE() QV_WM_ENTRY(WM_MOVE, Move, OnMove, void (ThisClass::*)(int, int))
#define ON_WM_SHOWWINDOW() QV_WM_ENTRY(WM_SHOWWINDOW, ShowWindow, OnShowWindow, void (ThisClass::*)(BOOL, UINT))
#define ON_WM_PAINT() QV_WM_ENTRY(WM_PAINT, NoArguments, OnPaint, void (ThisClass::*)())
#define ON_WM_ERASEBKGND() QV_WM_ENTRY(WM_ERASEBKGND, DcOnly, OnEraseBkgnd, BOOL (ThisClass::*)(CDC*))
#define ON_WM_GETMINMAXINFO() QV_WM_ENTRY(WM_GETMINMAXINFO, MinMax, OnGetMinMaxInfo, void (ThisClass::*)(MINMAXINFO*))
#define ON_WM_SETFOCUS() QV_WM_ENTRY(WM_SETFOCUS, FocusWnd, OnSetFocus, void (ThisClass::*)(CWnd*))
#define ON_WM_KILLFOCUS() QV_WM_ENTRY(WM_KILLFOCUS, FocusWnd, OnKillFocus, void (ThisClass::*)(CWnd*))
#define ON_WM_CHAR() QV_WM_ENTRY(WM_CHAR, Key, OnChar, void (ThisClass::*)(UINT, UINT, UINT))
#define ON_WM_KEYDOWN() QV_WM_ENTRY(WM_KEYDOWN, Key, OnKeyDown, void (ThisClass::*)(UINT, UINT, UINT))
#define ON_WM_KEYUP() QV_WM_ENTRY(WM_KEYUP, Key, OnKeyUp, void (ThisClass::*)(UINT, UINT, UINT))
#define ON_WM_LBUTTONDOWN() QV_WM_ENTRY(WM_LBUTTONDOWN, Mouse, OnLButtonDown, void (ThisClass::*)(UINT, CPoint))
#define ON_WM_LBUTTONUP() QV_WM_ENTRY(WM_LBUTTONUP, Mouse, OnLButtonUp, void (ThisClass::*)(UINT, CPoint))
#define ON_WM_LBUTTONDBLCLK() QV_WM_ENTRY(WM_LBUTTONDBLCLK, Mouse, OnLButtonDblClk, void (ThisClass::*)(UINT, CPoint))
#define ON_WM_RBUTTONDOWN() QV_WM_ENTRY(WM_RBUTTONDOWN, Mouse, OnRButtonDown, void (ThisClass::*)(UINT, CPoint))
#define ON_WM_RBUTTONUP() QV_WM_ENTRY(WM_RBUTTONUP, Mouse, OnRButtonUp, void (ThisClass::*)(UINT, CPoint))
#define ON_WM_MOUSEMOVE() QV_WM_ENTRY(WM_MOUSEMOVE, Mouse, OnMouseMove, void (ThisClass::*)(UINT, CPoint))
#define ON_WM_MOUSELEAVE() QV_WM_ENTRY(WM_MOUSELEAVE, NoArguments, OnMouseLeave, void (ThisClass::*)())
#define ON_WM_SETCURSOR() QV_WM_ENTRY(WM_SETCURSOR, SetCursor, OnSetCursor, BOOL (ThisClass::*)(CWnd*, UINT, UINT))
#define ON_WM_HSCROLL() QV_WM_ENTRY(WM_HSCROLL, Scroll, OnHScroll, void (ThisClass::*)(UINT, UINT, CScrollBar*))
#define ON_WM_VSCROLL() QV_WM_ENTRY(WM_VSCROLL, Scroll, OnVScroll, void (ThisClass::*)(UINT, UINT, CScrollBar*))
#define ON_WM_DRAWITEM() QV_WM_ENTRY(WM_DRAWITEM, DrawItem, OnDrawItem, void (ThisClass::*)(int, DRAWITEMSTRUCT*))
#define ON_WM_MEASUREITEM() \
    QV_WM_ENTRY(WM_MEASUREITEM, MeasureItem, OnMeasureItem, void (ThisClass::*)(int, MEASUREITEMSTRUCT*))
#define ON_WM_ACTIVATE() QV_WM_ENTRY(WM_ACTIVATE, Activate, OnActivate, void (ThisClass::*)(UINT, CWnd*, BOOL))
#define ON_WM_ENABLE() QV_WM_ENTRY(WM_ENABLE, BoolArg, OnEnable, void (ThisClass::*)(BOOL))
#define ON_WM_CONTEXTMENU() QV_WM_ENTRY(WM_CONTEXTMENU, ContextMenu, OnContextMenu, void (ThisClass::*)(CWnd*, CPoint))
#define ON_WM_GETDLGCODE() QV_WM_ENTRY(WM_GETDLGCODE, ResultNoArguments, OnGetDlgCode, UINT (ThisClass::*)())
#define ON_WM_NCHITTEST() QV_WM_ENTRY(WM_NCHITTEST, HitTest, OnNcHitTest, LRESULT (ThisClass::*)(CPoint))
#define ON_WM_CANCELMODE() QV_WM_ENTRY(WM_CANCELMODE, NoArguments, OnCancelMode, void (ThisClass::*)())
#define ON_WM_CAPTURECHANGED() \
    QV_WM_ENTRY(WM_CAPTURECHANGED, CaptureChanged, OnCaptureChanged, void (ThisClass::*)(CWnd*))
#define ON_WM_SYSCOLORCHANGE() QV_WM_ENTRY(WM_SYSCOLORCHANGE, NoArguments, OnSysColorChange, void (ThisClass::*)())
// One handler for the seven WM_CTLCOLOR... messages.
#define ON_WM_CTLCOLOR()                                                                                       \
    QV_WM_ENTRY(WM_CTLCOLORMSGBOX, CtlColor, OnCtlColor, HBRUSH (ThisClass::*)(CDC*, CWnd*, UINT))          \
    QV_WM_ENTRY(WM_CTLCOLOREDIT, CtlColor, OnCtlColor, HBRUSH (ThisClass::*)(CDC*, CWnd*, UINT))            \
    QV_WM_ENTRY(WM_CTLCOLORLISTBOX, CtlColor, OnCtlColor, HBRUSH (ThisClass::*)(CDC*, CWnd*, UINT))         \
    QV_WM_ENTRY(WM_CTLCOLORBTN, CtlColor, OnCtlColor, HBRUSH (ThisClass::*)(CDC*, CWnd*, UINT))             \
    QV_WM_ENTRY(WM_CTLCOLORDLG, CtlColor, OnCtlColor, HBRUSH (ThisClass::*)(CDC*, CWnd*, UINT))             \
    QV_WM_ENTRY(WM_CTLCOLORSCROLLBAR, CtlColor, OnCtlColor, HBRUSH (ThisClass::*)(CDC*, CWnd*, UINT))       \
    QV_WM_ENTRY(WM_CTLCOLORSTATIC, CtlColor, OnCtlColor, HBRUSH (ThisClass::*)(CDC*, CWnd*, UINT))

// Reflection: the control's own map sees what it sends to its parent.
#define ON_CONTROL_REFLECT(wNotifyCode, memberFxn)                                                          \
    MSGMAP_COMMAND_ENTRY(MAKELONG(wNotifyCode, WM_REFLECT_BASE + WM_COMMAND), 0, 0,                         \
                         ::platform::crack::NoArguments, memberFxn, void (ThisClass::*)())
#define ON_CONTROL_REFLECT_EX(wNotifyCode, memberFxn)                                                       \
    MSGMAP_COMMAND_ENTRY(MAKELONG(wNotifyCode, WM_REFLECT_BASE + WM_COMMAND), 0, 0,                         \
                         ::platform::crack::ReflectEx, memberFxn, BOOL (ThisClass::*)())
#define ON_NOTIFY_REFLECT(wNotifyCode, memberFxn)                                                            \
    MSGMAP_COMMAND_ENTRY(MAKELONG(static_cast<WORD>(wNotifyCode), WM_REFLECT_BASE + WM_NOTIFY), 0, 0,        \
                         ::platform::crack::NotifyReflect, memberFxn, void (ThisClass::*)(NMHDR*, LRESULT*))
#define ON_NOTIFY_REFLECT_EX(wNotifyCode, memberFxn)                                                         \
    MSGMAP_COMMAND_ENTRY(MAKELONG(static_cast<WORD>(wNotifyCode), WM_REFLECT_BASE + WM_NOTIFY), 0, 0,        \
                         ::platform::crack::NotifyReflectEx, memberFxn, BOOL (ThisClass::*)(NMHDR*, LRESULT*))
#define ON_WM_CTLCOLOR_REFLECT()                                                                             \
    MSGMAP_MESSAGE_ENTRY(WM_REFLECT_BASE + WM_CTLCOLOR, ::platform::crack::CtlColorReflect, &ThisClass::CtlColor, \
                         HBRUSH (ThisClass::*)(CDC*, UINT))
#define ON_WM_HSCROLL_REFLECT()                                                                              \
    MSGMAP_MESSAGE_ENTRY(WM_REFLECT_BASE + WM_HSCROLL, ::platform::crack::ScrollReflect, &ThisClass::HScroll, \
                         void (ThisClass::*)(UINT, UINT))
#define ON_WM_VSCROLL_REFLECT()                                                                              \
    MSGMAP_MESSAGE_ENTRY(WM_REFLECT_BASE + WM_VSCROLL, ::platform::crack::ScrollReflect, &ThisClass::VScroll, \
                         void (ThisClass::*)(UINT, UINT))
