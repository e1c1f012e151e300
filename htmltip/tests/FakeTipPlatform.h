// The tooltip's window system for tests: a clock that only moves when told,
// scripted windows with screen rectangles, and a record of what the tip
// window did.
#pragma once

#include "htmltip/HtmlToolTip.h"
#include "htmltip/TipPlatform.h"

#include <QImage>
#include <QRegion>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace htmltip::test {

class FakeTipPlatform : public ITipPlatform {
public:
    struct Window {
        HWND handle;
        RECT screen{};
        HWND parent;
        bool enabled = true;
        bool dropDownCombo = false;
        POINT scroll{};
    };
    struct Timer {
        UINT period = 0;
        long long due = 0;
    };

    explicit FakeTipPlatform(CHtmlToolTip& tip) : m_tip(tip) {}

    // ---- the clock
    long long now = 0;
    std::map<UINT, Timer> timers;

    // Moves the clock, firing every timer that falls due, in order.
    void Advance(long long ms)
    {
        const long long end = now + ms;
        for (;;) {
            auto next = timers.end();
            for (auto it = timers.begin(); it != timers.end(); ++it)
                if (it->second.due <= end && (next == timers.end() || it->second.due < next->second.due)) next = it;
            if (next == timers.end()) break;
            now = next->second.due;
            const UINT id = next->first;
            next->second.due += std::max<UINT>(next->second.period, 1);
            m_tip.HandleTimer(id);
        }
        now = end;
    }
    bool Running(UINT id) const { return timers.count(id) != 0; }

    void StartTimer(UINT id, UINT periodMs) override { timers[id] = Timer{periodMs, now + periodMs}; }
    void StopTimer(UINT id) override { timers.erase(id); }

    // ---- the mouse and the windows
    POINT cursor{};
    RECT screen{0, 0, 1280, 1024};
    std::vector<Window> windows;  // later ones lie above earlier ones

    POINT GetCursorPos() override { return cursor; }
    RECT GetVirtualScreen() override { return screen; }
    const Window* Find(HWND h) const
    {
        for (const Window& w : windows)
            if (w.handle == h) return &w;
        return nullptr;
    }
    HWND WindowFromPoint(POINT p) override
    {
        for (auto it = windows.rbegin(); it != windows.rend(); ++it)
            if (CRect(it->screen).PtInRect(p)) return it->handle;
        return HWND();
    }
    HWND ChildWindowFromPoint(HWND window, POINT) override { return window; }
    HWND GetParent(HWND window) override
    {
        const Window* w = Find(window);
        return w ? w->parent : HWND();
    }
    bool IsDropDownCombo(HWND window) override
    {
        const Window* w = Find(window);
        return w && w->dropDownCombo;
    }
    bool IsWindowEnabled(HWND window) override
    {
        const Window* w = Find(window);
        return !w || w->enabled;
    }
    POINT ScreenToClient(HWND window, POINT p) override
    {
        const Window* w = Find(window);
        return w ? POINT{p.x - w->screen.left, p.y - w->screen.top} : p;
    }
    POINT ClientToScreen(HWND window, POINT p) override
    {
        const Window* w = Find(window);
        return w ? POINT{p.x + w->screen.left, p.y + w->screen.top} : p;
    }
    POINT GetScrollPosition(HWND window) override
    {
        const Window* w = Find(window);
        return w ? w->scroll : POINT{};
    }

    // ---- the tip window
    bool visible = false;
    POINT topLeft{};
    SIZE size{};
    QRegion shape;
    bool keptZOrder = false;
    int shows = 0;
    int arrowCursors = 0;
    std::vector<POINT> moves;
    // The tooltip's transparency at each drawing, and the last image.
    std::vector<int> drawnAt;
    QImage image;

    void ShowTip(POINT at, SIZE s, const QRegion& region, bool keepZOrder) override
    {
        visible = true;
        topLeft = at;
        size = s;
        shape = region;
        keptZOrder = keepZOrder;
        ++shows;
    }
    void MoveTip(POINT at) override
    {
        topLeft = at;
        moves.push_back(at);
    }
    void HideTip() override { visible = false; }
    bool IsTipVisible() override { return visible; }
    void PresentTip(const QImage& img) override
    {
        image = img;
        drawnAt.push_back(m_tip.GetCurrentTransparency());
    }
    void SetArrowCursor() override { ++arrowCursors; }

private:
    CHtmlToolTip& m_tip;
};

}  // namespace htmltip::test
