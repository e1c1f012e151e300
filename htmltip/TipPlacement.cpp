#include "htmltip/TipPlacement.h"

#include <algorithm>

namespace htmltip {

namespace {

constexpr UINT kTopEdge = 0x00;
constexpr UINT kBottomEdge = 0x10;
constexpr UINT kLeftEdge = 0x20;
constexpr UINT kRightEdge = 0x30;
constexpr UINT kStart = 0;
constexpr UINT kEnd = 1;
constexpr UINT kCentre = 2;

// Fits the anchor's end along its side: p the position, len the window's
// length along the side, [lo, hi) the screen.
UINT FitAlong(UINT end, long long p, long long len, long long off, long long lo, long long hi)
{
    const bool startFits = p - off + len <= hi;  // anchor near the start: the window runs forward
    const bool endFits = p + off - len >= lo;    // near the end: the window runs back
    if (end == kStart && !startFits) {
        end = endFits ? kEnd : kCentre;
    } else if (end == kEnd && !endFits) {
        end = startFits ? kStart : kCentre;
    }
    if (end == kCentre) {
        if (p > hi - off) {
            end = kEnd;
        } else if (p < lo + off) {
            end = kStart;
        }
    }
    return end;
}

// Flips the tip to the other side of the point when it passes the screen there.
UINT FitAcross(UINT side, UINT forward, UINT backward, long long p, long long len, long long lo, long long hi)
{
    const bool forwardFits = p + len <= hi;
    const bool backwardFits = p - len >= lo;
    if (side == forward && !forwardFits && backwardFits) return backward;
    if (side == backward && !backwardFits && forwardFits) return forward;
    return side;
}

}  // namespace

TipPlacement PlaceTip(SIZE body, POINT position, UINT direction, const TipSizes& sizes, const RECT& screen)
{
    UINT side = direction & 0xF0;
    UINT end = direction & 0x0F;
    if (side > kRightEdge) side = kBottomEdge;
    if (end > kCentre) end = kStart;
    const int ah = std::max(sizes.anchorHeight, 0);
    const int aw = std::max(sizes.anchorWidth, 0);
    const long long off = sizes.anchorOffset;
    const int bw = std::max<LONG>(body.cx, 0);
    const int bh = std::max<LONG>(body.cy, 0);

    const bool horizontalSide = side == kTopEdge || side == kBottomEdge;
    TipPlacement placement;
    placement.window = horizontalSide ? SIZE{bw, bh + ah} : SIZE{bw + ah, bh};
    const long long width = placement.window.cx;
    const long long height = placement.window.cy;

    if (horizontalSide) {
        end = FitAlong(end, position.x, width, off, screen.left, screen.right);
        side = FitAcross(side, kTopEdge, kBottomEdge, position.y, height, screen.top, screen.bottom);
    } else {
        side = FitAcross(side, kLeftEdge, kRightEdge, position.x, width, screen.left, screen.right);
        end = FitAlong(end, position.y, height, off, screen.top, screen.bottom);
    }
    placement.direction = side | end;

    // The anchor along its side.
    const long long len = horizontalSide ? width : height;
    const long long p = horizontalSide ? position.x : position.y;
    const long long lo = horizontalSide ? screen.left : screen.top;
    const long long hi = horizontalSide ? screen.right : screen.bottom;
    long long a = end == kStart ? off : end == kEnd ? len - off : len / 2;
    if (end == kCentre) {
        const long long start = p - len / 2;
        if (start < lo) a -= lo - start;
        if (start + len > hi) a += start + len - hi;
    }
    if (end == kEnd) {
        if (p - a + len > hi) a = p + len - hi;
    } else if (p - a < lo) {
        a = p - lo;
    }
    a = std::clamp<long long>(a, 0, len);

    switch (side) {
    case kTopEdge:
        placement.body = RECT{0, ah, bw, ah + bh};
        placement.anchor = POINT{static_cast<LONG>(a), 0};
        break;
    case kBottomEdge:
        placement.body = RECT{0, 0, bw, bh};
        placement.anchor = POINT{static_cast<LONG>(a), static_cast<LONG>(height)};
        break;
    case kLeftEdge:
        placement.body = RECT{ah, 0, ah + bw, bh};
        placement.anchor = POINT{0, static_cast<LONG>(a)};
        break;
    default:
        placement.body = RECT{0, 0, bw, bh};
        placement.anchor = POINT{static_cast<LONG>(width), static_cast<LONG>(a)};
        break;
    }

    placement.hasAnchor = aw > 0 && ah > 0;
    if (placement.hasAnchor) {
        const RECT& b = placement.body;
        const long long bodyStart = horizontalSide ? b.left : b.top;
        const long long bodyEnd = horizontalSide ? b.right : b.bottom;
        const long long first = end == kStart ? bodyStart + off : end == kEnd ? bodyEnd - off - aw : a - aw / 2;
        const LONG edge = side == kTopEdge ? b.top : side == kBottomEdge ? b.bottom : side == kLeftEdge ? b.left : b.right;
        const auto onEdge = [&](long long along) {
            return horizontalSide ? POINT{static_cast<LONG>(along), edge} : POINT{edge, static_cast<LONG>(along)};
        };
        placement.triangle[0] = placement.anchor;
        placement.triangle[1] = onEdge(first);
        placement.triangle[2] = onEdge(first + aw);
    }
    placement.topLeft = POINT{position.x - placement.anchor.x, position.y - placement.anchor.y};
    return placement;
}

}  // namespace htmltip
