// The classic scheme's system colours and the system metrics.
#include "platform/ui/GdiInternal.h"

#include <QGuiApplication>
#include <QScreen>

#include <array>

using namespace platform::gdi;

namespace {

constexpr int kColorCount = 31;

constexpr std::array<COLORREF, kColorCount> kClassicColors = {
    RGB(212, 208, 200),  // COLOR_SCROLLBAR
    RGB(58, 110, 165),   // COLOR_BACKGROUND
    RGB(10, 36, 106),    // COLOR_ACTIVECAPTION
    RGB(128, 128, 128),  // COLOR_INACTIVECAPTION
    RGB(212, 208, 200),  // COLOR_MENU
    RGB(255, 255, 255),  // COLOR_WINDOW
    RGB(0, 0, 0),        // COLOR_WINDOWFRAME
    RGB(0, 0, 0),        // COLOR_MENUTEXT
    RGB(0, 0, 0),        // COLOR_WINDOWTEXT
    RGB(255, 255, 255),  // COLOR_CAPTIONTEXT
    RGB(212, 208, 200),  // COLOR_ACTIVEBORDER
    RGB(212, 208, 200),  // COLOR_INACTIVEBORDER
    RGB(128, 128, 128),  // COLOR_APPWORKSPACE
    RGB(10, 36, 106),    // COLOR_HIGHLIGHT
    RGB(255, 255, 255),  // COLOR_HIGHLIGHTTEXT
    RGB(212, 208, 200),  // COLOR_BTNFACE
    RGB(128, 128, 128),  // COLOR_BTNSHADOW
    RGB(128, 128, 128),  // COLOR_GRAYTEXT
    RGB(0, 0, 0),        // COLOR_BTNTEXT
    RGB(212, 208, 200),  // COLOR_INACTIVECAPTIONTEXT
    RGB(255, 255, 255),  // COLOR_BTNHIGHLIGHT
    RGB(64, 64, 64),     // COLOR_3DDKSHADOW
    RGB(212, 208, 200),  // COLOR_3DLIGHT
    RGB(0, 0, 0),        // COLOR_INFOTEXT
    RGB(255, 255, 225),  // COLOR_INFOBK
    RGB(181, 181, 181),  // 25: unused
    RGB(0, 0, 128),      // COLOR_HOTLIGHT
    RGB(166, 202, 240),  // COLOR_GRADIENTACTIVECAPTION
    RGB(192, 192, 192),  // COLOR_GRADIENTINACTIVECAPTION
    RGB(10, 36, 106),    // COLOR_MENUHILIGHT
    RGB(212, 208, 200),  // COLOR_MENUBAR
};

QRect ScreenGeometry(bool virtualDesktop)
{
    if (HaveGui()) {
        if (QScreen* s = QGuiApplication::primaryScreen())
            return virtualDesktop ? s->virtualGeometry() : s->geometry();
    }
    return QRect(0, 0, 1024, 768);
}

}  // namespace

DWORD GetSysColor(int index)
{
    if (index < 0 || index >= kColorCount) return 0;
    return kClassicColors[static_cast<std::size_t>(index)];
}

HBRUSH GetSysColorBrush(int index)
{
    if (index < 0 || index >= kColorCount) return {};
    static const std::array<HBRUSH, kColorCount> brushes = [] {
        std::array<HBRUSH, kColorCount> b{};
        for (int i = 0; i < kColorCount; ++i) {
            auto o = std::make_shared<BrushObject>();
            o->log.lbStyle = BS_SOLID;
            o->log.lbColor = kClassicColors[static_cast<std::size_t>(i)];
            o->stock = true;
            b[static_cast<std::size_t>(i)] = HBRUSH(AddObject(o));
        }
        return b;
    }();
    return brushes[static_cast<std::size_t>(index)];
}

int GetSystemMetrics(int index)
{
    switch (index) {
    case SM_CXSCREEN: return ScreenGeometry(false).width();
    case SM_CYSCREEN: return ScreenGeometry(false).height();
    case SM_CXFULLSCREEN: return ScreenGeometry(false).width();
    case SM_CYFULLSCREEN: return ScreenGeometry(false).height() - 19;
    case SM_CXMAXIMIZED: return ScreenGeometry(false).width() + 8;
    case SM_CYMAXIMIZED: return ScreenGeometry(false).height() + 8;
    case SM_CXMAXTRACK: return ScreenGeometry(true).width() + 12;
    case SM_CYMAXTRACK: return ScreenGeometry(true).height() + 12;
    case SM_XVIRTUALSCREEN: return ScreenGeometry(true).x();
    case SM_YVIRTUALSCREEN: return ScreenGeometry(true).y();
    case SM_CXVIRTUALSCREEN: return ScreenGeometry(true).width();
    case SM_CYVIRTUALSCREEN: return ScreenGeometry(true).height();
    case SM_CMONITORS: return HaveGui() ? static_cast<int>(QGuiApplication::screens().size()) : 1;
    case SM_SAMEDISPLAYFORMAT: return 1;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVSCROLL:
    case SM_CXHSCROLL:
    case SM_CYVTHUMB:
    case SM_CXHTHUMB: return 16;
    case SM_CYCAPTION: return 19;
    case SM_CXBORDER:
    case SM_CYBORDER: return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME: return 3;
    case SM_CXFRAME:
    case SM_CYFRAME: return 4;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR: return 32;
    case SM_CYMENU: return 19;
    case SM_CYKANJIWINDOW: return 0;
    case SM_MOUSEPRESENT: return 1;
    case SM_DEBUG:
    case SM_SWAPBUTTON:
    case SM_MENUDROPALIGNMENT: return 0;
    case SM_CXMIN: return 112;
    case SM_CYMIN: return 27;
    case SM_CXSIZE:
    case SM_CYSIZE: return 18;
    case SM_CXMINTRACK: return 112;
    case SM_CYMINTRACK: return 27;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK: return 4;
    case SM_CXICONSPACING:
    case SM_CYICONSPACING: return 75;
    case SM_DBCSENABLED: return 1;
    case SM_CMOUSEBUTTONS: return 3;
    case SM_CXEDGE:
    case SM_CYEDGE: return 2;
    case SM_CXSMICON:
    case SM_CYSMICON: return 16;
    case SM_CYSMCAPTION: return 15;
    case SM_CXSMSIZE:
    case SM_CYSMSIZE: return 12;
    case SM_CXMENUSIZE:
    case SM_CYMENUSIZE: return 18;
    case SM_CXDRAG:
    case SM_CYDRAG: return 4;
    case SM_CXMENUCHECK:
    case SM_CYMENUCHECK: return 13;
    case SM_CXFOCUSBORDER:
    case SM_CYFOCUSBORDER: return 1;
    default: return 0;
    }
}
