#include "htmltip/SystemColors.h"

#include <array>
#include <atomic>

namespace htmltip {

namespace {

std::atomic<SystemColorFunction> g_systemColorFunction{nullptr};

}  // namespace

COLORREF ClassicSystemColor(int index)
{
    static constexpr std::array<COLORREF, 25> kColors = {
        RGB(212, 208, 200),  // scroll bar
        RGB(58, 110, 165),   // desktop
        RGB(10, 36, 106),    // active caption
        RGB(128, 128, 128),  // inactive caption
        RGB(212, 208, 200),  // menu
        RGB(255, 255, 255),  // window
        RGB(0, 0, 0),        // window frame
        RGB(0, 0, 0),        // menu text
        RGB(0, 0, 0),        // window text
        RGB(255, 255, 255),  // caption text
        RGB(212, 208, 200),  // active border
        RGB(212, 208, 200),  // inactive border
        RGB(128, 128, 128),  // application workspace
        RGB(10, 36, 106),    // highlight
        RGB(255, 255, 255),  // highlight text
        RGB(212, 208, 200),  // button face
        RGB(128, 128, 128),  // button shadow
        RGB(128, 128, 128),  // grey text
        RGB(0, 0, 0),        // button text
        RGB(212, 208, 200),  // inactive caption text
        RGB(255, 255, 255),  // button highlight
        RGB(64, 64, 64),     // 3D dark shadow
        RGB(212, 208, 200),  // 3D light
        RGB(0, 0, 0),        // tooltip text
        RGB(255, 255, 225),  // tooltip background
    };
    if (index < 0 || index >= static_cast<int>(kColors.size())) return 0;
    return kColors[static_cast<std::size_t>(index)];
}

COLORREF GetSystemColor(int index)
{
    const SystemColorFunction function = g_systemColorFunction.load();
    return function ? function(index) : ClassicSystemColor(index);
}

SystemColorFunction SetSystemColorFunction(SystemColorFunction function)
{
    return g_systemColorFunction.exchange(function);
}

}  // namespace htmltip
