// Where a tip goes: its size with the anchor, the side and end of the anchor
// after fitting the tip into the screen, and the anchor's shape.
#pragma once

#include "platform/core/WinTypes.h"

namespace htmltip {

struct TipSizes {
    int cornerWidth = 0;
    int cornerHeight = 0;
    int marginX = 0;
    int marginY = 0;
    int anchorWidth = 0;
    int anchorHeight = 0;
    // Distance of the anchor from the corner along its side.
    int anchorOffset = 0;
};

struct TipPlacement {
    // The direction after fitting (side in the high nibble, end in the low).
    UINT direction = 0;
    // Size of the window (without shadow).
    SIZE window{};
    // The body inside the window.
    RECT body{};
    // The anchor's point, in window coordinates; it goes on the position.
    POINT anchor{};
    // The anchor's triangle: the point and two points on the body's edge.
    bool hasAnchor = false;
    POINT triangle[3]{};
    // Screen position of the window's top-left corner.
    POINT topLeft{};
};

// A body of the given size placed with its anchor on the screen position,
// kept inside the screen where it can be.
TipPlacement PlaceTip(SIZE body, POINT position, UINT direction, const TipSizes& sizes, const RECT& screen);

}  // namespace htmltip
