#include "manager/app/ModelessPlacement.h"

#include <algorithm>

namespace {

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }
bool IsEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

bool Overlap(const RECT& a, const RECT& b)
{
    return !IsEmpty(a) && !IsEmpty(b) && a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

bool Inside(const RECT& inner, const RECT& outer)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right && inner.bottom <= outer.bottom;
}

RECT At(int x, int y, SIZE size) { return RECT{x, y, x + size.cx, y + size.cy}; }

bool Free(const RECT& r, const ModelessRoom& room)
{
    if (!Inside(r, room.screen) || Overlap(r, room.keepClear)) return false;
    return std::none_of(room.taken.begin(), room.taken.end(), [&](const RECT& t) { return Overlap(r, t); });
}

}  // namespace

RECT KeepModelessWindowClear(const RECT& window, const ModelessRoom& room)
{
    SIZE size{std::min(Width(window), Width(room.screen)), std::min(Height(window), Height(room.screen))};
    const int x = std::clamp(static_cast<int>(window.left), static_cast<int>(room.screen.left),
                             static_cast<int>(room.screen.right - size.cx));
    int y = std::clamp(static_cast<int>(window.top), static_cast<int>(room.screen.top),
                       static_cast<int>(room.screen.bottom - size.cy));
    if (Overlap(At(x, y, size), room.keepClear)) {
        // Below the bars; a window taller than the room left there is cut to it.
        y = static_cast<int>(room.keepClear.bottom);
        size.cy = std::min(size.cy, room.screen.bottom - y);
    }
    return At(x, y, size);
}

RECT PlaceModelessWindow(SIZE window, const ModelessRoom& room)
{
    const RECT& c = IsEmpty(room.controller) ? room.screen : room.controller;
    const int top = std::max({static_cast<int>(c.top), static_cast<int>(room.keepClear.bottom),
                              static_cast<int>(room.screen.top)});
    // Tops going down from below the bars, and (for the place inside the
    // controller window) bottoms going up from its lower edge, each clear of
    // the windows already there.
    std::vector<int> downward{top};
    std::vector<int> upward{static_cast<int>(c.bottom) - window.cy};
    for (const RECT& t : room.taken) {
        if (t.bottom >= top) downward.push_back(t.bottom);
        upward.push_back(t.top - window.cy);
    }
    std::sort(downward.begin(), downward.end());
    std::sort(upward.begin(), upward.end(), std::greater<>());

    for (int x : {static_cast<int>(c.right), static_cast<int>(c.left) - window.cx})
        for (int y : downward)
            if (const RECT r = At(x, y, window); Free(r, room)) return r;
    // Below it, at its right edge or at its left.
    std::vector<int> below{static_cast<int>(c.bottom)};
    for (const RECT& t : room.taken)
        if (t.bottom >= c.bottom) below.push_back(t.bottom);
    std::sort(below.begin(), below.end());
    const int inside = static_cast<int>(c.right) - window.cx;
    for (int x : {inside, static_cast<int>(c.left)})
        for (int y : below)
            if (const RECT r = At(x, y, window); Free(r, room)) return r;
    // Inside it, at its lower right corner, going up.
    for (int y : upward)
        if (const RECT r = At(inside, y, window); r.top >= top && Free(r, room)) return r;
    // Any free place on the screen, the lower right first.
    constexpr int kStep = 16;
    for (int y = room.screen.bottom - window.cy; y >= room.screen.top; y -= kStep)
        for (int x = room.screen.right - window.cx; x >= room.screen.left; x -= kStep)
            if (const RECT r = At(x, y, window); Free(r, room)) return r;
    return KeepModelessWindowClear(At(inside, upward.front(), window), room);
}
