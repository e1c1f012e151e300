// The window layer's start and end on the user-interface thread.
//
// Create one UserInterface on the thread that owns the QApplication, after
// the QApplication and before the first visible window; it installs, for the
// process:
//  - the Qt dispatcher of the message layer on this thread: posted and sent
//    messages, timers and quits reach the windows while Qt's event loop runs,
//    and the pumping waits of the message layer (modal loops, PumpMessages,
//    MsgWaitForMultipleObjects) let Qt process its events;
//  - the window peers: windows created on this thread as children of visible
//    windows, dialogs, controls and visible top-level windows get widgets;
//  - the routing of input: keys, mouse, focus and activation as WM_ messages;
//  - the DCs of windows (backing images) for the drawing layer;
//  - the message box and standard-dialog services (their scripting hooks for
//    tests stay above them: see StandardDialogs.h and MessageBox.h).
// Destroy every window with a face before the UserInterface, and the
// UserInterface before the QApplication.
#pragma once

namespace platform {

class UserInterface {
public:
    UserInterface();
    ~UserInterface();
    UserInterface(const UserInterface&) = delete;
    UserInterface& operator=(const UserInterface&) = delete;

    // True while one exists.
    static bool IsRunning();
};

}  // namespace platform
