// What the HTML tooltip asks of the window system: its timers, the cursor,
// the windows under a point, and the face of the tip window. The window layer
// implements it over real windows; tests implement it with a fake clock and
// scripted windows.
#pragma once

#include "platform/ui/Gdi.h"

#include <QImage>
#include <QRegion>

namespace htmltip {

class ITipPlatform {
public:
    virtual ~ITipPlatform() = default;

    // Periodic timers of the tip window: each running timer calls back the
    // tip's HandleTimer(id) every period until stopped. Starting a running
    // timer restarts it with the new period.
    virtual void StartTimer(UINT id, UINT periodMs) = 0;
    virtual void StopTimer(UINT id) = 0;

    // Screen coordinates.
    virtual POINT GetCursorPos() = 0;
    // The bounds of all screens together.
    virtual RECT GetVirtualScreen() = 0;

    // Windows, for finding the tool under the mouse.
    virtual HWND WindowFromPoint(POINT screen) = 0;
    // The child of the window at the client point, or the window itself.
    virtual HWND ChildWindowFromPoint(HWND window, POINT client) = 0;
    virtual HWND GetParent(HWND window) = 0;
    // A combo box of the drop-down style (its edit is a child of it).
    virtual bool IsDropDownCombo(HWND window) = 0;
    virtual bool IsWindowEnabled(HWND window) = 0;
    virtual POINT ScreenToClient(HWND window, POINT screen) = 0;
    virtual POINT ClientToScreen(HWND window, POINT client) = 0;
    // A scrolling view's scroll position; (0, 0) for other windows.
    virtual POINT GetScrollPosition(HWND window) = 0;

    // The tip window's face: shown at the screen position with the shape
    // (window coordinates), above other windows unless keepZOrder, without
    // taking the focus.
    virtual void ShowTip(POINT topLeft, SIZE size, const QRegion& shape, bool keepZOrder) = 0;
    virtual void MoveTip(POINT topLeft) = 0;
    virtual void HideTip() = 0;
    virtual bool IsTipVisible() = 0;
    // The tip's pixels with their alpha: what lies under a translucent
    // window shows through where alpha is below 255.
    virtual void PresentTip(const QImage& image) = 0;
    // The cursor of the tip window when the pointer is not over a link.
    virtual void SetArrowCursor() = 0;
};

}  // namespace htmltip
