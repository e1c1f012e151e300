// Pointer services that need no window: moving the pointer, the double-click
// time, and the hourglass of CCmdTarget::BeginWaitCursor, which this library
// shows as Qt's override cursor on the GUI thread (installed when the
// library loads).
#pragma once

#include "platform/core/WinTypes.h"

// Moves the pointer (screen coordinates); FALSE without a GUI application.
BOOL SetCursorPos(int x, int y);
// Milliseconds between the clicks of a double click.
UINT GetDoubleClickTime();

namespace platform {

// How many BeginWaitCursor calls are not yet ended (for tests and the
// windows' own cursor handling: a window keeps the hourglass while it is
// above 0).
int WaitCursorDepth();

}  // namespace platform
