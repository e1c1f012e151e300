// The visible side of a window, supplied by the user-interface layer.
//
// A window of this layer is only a handle, a thread and a message map: it is
// hidden. The user-interface layer makes a window visible by giving it a peer
// (a widget of the toolkit). Two ways:
//  - a factory installed with SetWindowPeerFactory is asked by every
//    CWnd::CreateEx, after the handle exists and before WM_CREATE, and
//    returns a peer or nullptr (the window stays hidden);
//  - the layer's own classes (dialogs, controls) call CWnd::SetPeer.
// A factory must return nullptr for windows that are never shown (the hidden
// windows of the link and the data manager are created with
// WS_OVERLAPPEDWINDOW and without WS_VISIBLE), and on threads that do not run
// the toolkit. The peer belongs to the window: it is deleted when the window
// is destroyed (after WM_NCDESTROY), on the window's thread; destroy windows
// with peers before the toolkit shuts down.
#pragma once

#include "platform/core/Messages.h"

#include <memory>

class CWnd;

namespace platform {

class IWindowPeer {
public:
    virtual ~IWindowPeer() = default;
    // Default handling (DefWindowProcW) of a message the program's code did
    // not handle: return true with the result when the peer handles it
    // (WM_SETTEXT, WM_SHOWWINDOW, ...), false to get the hidden window's
    // defaults (WM_CLOSE destroys the window, SC_CLOSE sends WM_CLOSE).
    virtual bool DefaultProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) = 0;
};

using WindowPeerFactory = std::unique_ptr<IWindowPeer> (*)(CWnd& wnd, const CREATESTRUCTW& cs);

// Installs the factory for the whole process; returns the previous one.
WindowPeerFactory SetWindowPeerFactory(WindowPeerFactory factory);

}  // namespace platform
