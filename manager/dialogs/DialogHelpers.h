// Small services the controller dialogs share: texts of the resource module,
// the reply error a failed command shows, and the wait window.
#pragma once

#include "platform/core/CString.h"
#include "platform/core/Messages.h"
#include "platform/core/WinTypes.h"
#include "platform/ui/Accelerator.h"
#include "platform/ui/Gdi.h"

#include "manager/app/ModelessPlacement.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class CWnd;
class IWaitWindow;

CString LoadText(UINT id);

// A failed command's reply as a person reads it: the code's message from the
// alarm table (the code after "=" of an "NG.1=42" line; a time-out in words),
// then, after an empty line, the reply's first line as the detail. A reply
// without a code is shown as it came; empty for an empty reply.
CString FormatReplyError(const CString& reply);
// Shows FormatReplyError of the reply; nothing for an empty reply.
void ShowReplyError(HWND owner, const CString& reply);
// The reply's first line ends with the code of a motion ended by STOP ("05").
bool EndsWithStopCode(const CString& reply);

// A message box owned by the window (the application's when null); the
// active wait window goes first, so that it never hides the box.
int ShowMessage(HWND owner, const CString& text, UINT type);
int ShowMessage(HWND owner, UINT stringId, UINT type);

// The manager's wait window for the scope of an operation; nothing when the
// program has none (headless).
class ScopedWaitWindow {
public:
    ScopedWaitWindow(HWND owner, UINT messageId, bool tahoma = false);
    ~ScopedWaitWindow();
    ScopedWaitWindow(const ScopedWaitWindow&) = delete;
    ScopedWaitWindow& operator=(const ScopedWaitWindow&) = delete;
    void Close();

private:
    std::unique_ptr<IWaitWindow> m_window;
};

// The main window's keyboard shortcuts (accelerator table 0x80) from a pane
// or a modeless controller window: loaded once per window, a key-down that
// is one of them becomes the main window's command. Keys typed into an edit
// field stay the field's.
HACCEL LoadMainAccelerators();
bool TranslateMainWindowAccelerators(HACCEL table, MSG* msg);

// The desktop terminal and the monitors: the room around the controller
// window they serve (the program's frame answers it; none: the window stays
// where it is). The first show of such a window places it there (see
// PlaceModelessWindow), clear of the others that are shown; later shows keep
// the place the user gave it, on the screen.
void SetModelessRoomLocator(std::function<std::optional<ModelessRoom>()> locator);
void ShowModelessWindow(CWnd& window, bool& placed);

// Icons of the resource module that a window shows and destroys when it goes.
class WindowIcons {
public:
    WindowIcons() = default;
    ~WindowIcons() { Clear(); }
    WindowIcons(const WindowIcons&) = delete;
    WindowIcons& operator=(const WindowIcons&) = delete;
    // The icon on a button beside its text.
    void SetButtonIcon(HWND dialog, int buttonId, UINT iconId, int size = 16);
    // An icon kept until Clear, for a button whose icon follows a state.
    HICON Load(UINT iconId, int size = 16);
    void Clear();

private:
    std::vector<HICON> m_icons;
};
