// Message boxes.
//
// Every box goes through one service for the process: the user-interface
// layer installs one that shows a dialog, tests install a scripted one
// (tests/support/ScriptedMessageBox.h). With none installed (a headless
// program) the text is written to stderr and the box answers with its default
// button, so nothing ever waits for a person who is not there.
#pragma once

#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

// Buttons.
inline constexpr UINT MB_OK = 0x00000000;
inline constexpr UINT MB_OKCANCEL = 0x00000001;
inline constexpr UINT MB_ABORTRETRYIGNORE = 0x00000002;
inline constexpr UINT MB_YESNOCANCEL = 0x00000003;
inline constexpr UINT MB_YESNO = 0x00000004;
inline constexpr UINT MB_RETRYCANCEL = 0x00000005;
inline constexpr UINT MB_CANCELTRYCONTINUE = 0x00000006;
// Icons.
inline constexpr UINT MB_ICONHAND = 0x00000010;
inline constexpr UINT MB_ICONQUESTION = 0x00000020;
inline constexpr UINT MB_ICONEXCLAMATION = 0x00000030;
inline constexpr UINT MB_ICONASTERISK = 0x00000040;
inline constexpr UINT MB_USERICON = 0x00000080;
inline constexpr UINT MB_ICONWARNING = MB_ICONEXCLAMATION;
inline constexpr UINT MB_ICONERROR = MB_ICONHAND;
inline constexpr UINT MB_ICONINFORMATION = MB_ICONASTERISK;
inline constexpr UINT MB_ICONSTOP = MB_ICONHAND;
// Default button.
inline constexpr UINT MB_DEFBUTTON1 = 0x00000000;
inline constexpr UINT MB_DEFBUTTON2 = 0x00000100;
inline constexpr UINT MB_DEFBUTTON3 = 0x00000200;
inline constexpr UINT MB_DEFBUTTON4 = 0x00000300;
// Modality and placement.
inline constexpr UINT MB_APPLMODAL = 0x00000000;
inline constexpr UINT MB_SYSTEMMODAL = 0x00001000;
inline constexpr UINT MB_TASKMODAL = 0x00002000;
inline constexpr UINT MB_HELP = 0x00004000;
inline constexpr UINT MB_NOFOCUS = 0x00008000;
inline constexpr UINT MB_SETFOREGROUND = 0x00010000;
inline constexpr UINT MB_DEFAULT_DESKTOP_ONLY = 0x00020000;
inline constexpr UINT MB_TOPMOST = 0x00040000;
inline constexpr UINT MB_RIGHT = 0x00080000;
inline constexpr UINT MB_RTLREADING = 0x00100000;
// Masks.
inline constexpr UINT MB_TYPEMASK = 0x0000000F;
inline constexpr UINT MB_ICONMASK = 0x000000F0;
inline constexpr UINT MB_DEFMASK = 0x00000F00;
inline constexpr UINT MB_MODEMASK = 0x00003000;
inline constexpr UINT MB_MISCMASK = 0x0000C000;

// Results (also the ids of the standard dialog buttons).
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDABORT = 3;
inline constexpr int IDRETRY = 4;
inline constexpr int IDIGNORE = 5;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;
inline constexpr int IDCLOSE = 8;
inline constexpr int IDHELP = 9;
inline constexpr int IDTRYAGAIN = 10;
inline constexpr int IDCONTINUE = 11;

// Shows a box and returns the button chosen. A null caption is "Error", as on
// the original platform.
int MessageBoxW(HWND hWnd, LPCWSTR lpText, LPCWSTR lpCaption, UINT uType);
inline int MessageBox(HWND hWnd, LPCWSTR lpText, LPCWSTR lpCaption, UINT uType)
{
    return MessageBoxW(hWnd, lpText, lpCaption, uType);
}

// The application's box: captioned with the application's title, routed
// through the application handler when one is installed.
int AfxMessageBox(LPCTSTR lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);
// The text is string nIDPrompt of the current resource module; the help id
// defaults to the prompt's id.
int AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK, UINT nIDHelp = static_cast<UINT>(-1));

namespace platform {

struct MessageBoxRequest {
    HWND owner;
    CString text;
    CString caption;
    UINT type = MB_OK;
};

class IMessageBoxService {
public:
    virtual ~IMessageBoxService() = default;
    // Shows the box and returns the button chosen (IDOK, IDCANCEL, ...). May
    // be called on any thread; the service shows it where it can.
    virtual int Show(const MessageBoxRequest& request) = 0;
};

// Installs the service for the process and returns the previous one
// (nullptr: headless). The service must stay alive while it is installed.
IMessageBoxService* SetMessageBoxService(IMessageBoxService* service);
IMessageBoxService* GetMessageBoxService();

// Installs a service for the life of the object and then restores the
// previous one.
class ScopedMessageBoxService {
public:
    explicit ScopedMessageBoxService(IMessageBoxService* service) : m_previous(SetMessageBoxService(service)) {}
    ~ScopedMessageBoxService() { SetMessageBoxService(m_previous); }
    ScopedMessageBoxService(const ScopedMessageBoxService&) = delete;
    ScopedMessageBoxService& operator=(const ScopedMessageBoxService&) = delete;

private:
    IMessageBoxService* m_previous;
};

// The result of the box's default button (MB_DEFBUTTONn of its buttons; the
// first button when n is beyond them).
int DefaultMessageBoxResult(UINT type);

// The application's title: the caption of AfxMessageBox and of
// CWnd::MessageBox without a caption. The program's file name until set.
void SetAppTitle(const CString& title);
CString GetAppTitle();

// Where AfxMessageBox goes when installed (the application object's
// DoMessageBox, which may close a wait window first); returns the previous.
using AppMessageBoxHandler = int (*)(LPCTSTR text, UINT type, UINT helpId);
AppMessageBoxHandler SetAppMessageBoxHandler(AppMessageBoxHandler handler);
// What AfxMessageBox does without a handler, for a handler to end with: the
// box with the application's title as caption.
int ShowAppMessageBox(HWND owner, LPCTSTR text, UINT type);

}  // namespace platform
