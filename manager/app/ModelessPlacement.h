// Where the desktop terminal and the I/O and status monitors open: beside
// the controller window they serve, never over the menu bar and tool bars of
// the main window and of that controller window, never over one another when
// there is room, and always wholly on the screen.
#pragma once

#include "platform/core/Geometry.h"

#include <vector>

struct ModelessRoom {
    RECT screen{};      // the work area of the screen
    RECT controller{};  // the controller window, frame included (empty: none)
    RECT keepClear{};   // the menu bar and the tool bars above the controller window's panes
    std::vector<RECT> taken;  // the other modeless windows that are shown
};

// The window's rectangle (size as given, frame included): to the right of the
// controller window, else to its left, else below it, else inside it at its
// lower right corner, each stacked clear of the windows already taken, else
// any free place on the screen; when there is none, inside the controller
// window's lower right corner, kept on the screen and below the bars.
RECT PlaceModelessWindow(SIZE window, const ModelessRoom& room);

// The rectangle moved (not resized unless it is larger) so that it lies
// wholly in the screen area and, where it reaches over the bars to keep
// clear, below them.
RECT KeepModelessWindowClear(const RECT& window, const ModelessRoom& room);
