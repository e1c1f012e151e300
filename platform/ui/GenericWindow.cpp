// The peer of windows of the program's own classes: a widget that its
// window's code paints (WM_PAINT through the backing image).
#include "platform/ui/WidgetPeer.h"

namespace platform::ui {

namespace {

class GenericPeer final : public WidgetPeer {
public:
    GenericPeer(HWND hwnd, const CREATESTRUCTW& cs, QWidget* parent) : WidgetPeer(hwnd, cs)
    {
        const DWORD style = static_cast<DWORD>(cs.style);
        auto* widget = (style & WS_CHILD) ? new WindowWidget(parent)
                                          : new WindowWidget(parent, TopLevelFlags(style, cs.dwExStyle, Qt::Window));
        m_programWindow = true;
        Attach(widget, cs);
    }

    UINT DialogCode(const MSG*) const override { return 0; }
};

std::unique_ptr<WidgetPeer> MakeGeneric(HWND hwnd, const CREATESTRUCTW& cs, QWidget* parent)
{
    return std::make_unique<GenericPeer>(hwnd, cs, parent);
}

const bool kRegistered = RegisterWindowClass(u"", &MakeGeneric);

}  // namespace

std::unique_ptr<WidgetPeer> MakeLatePeer(HWND hwnd)
{
    CREATESTRUCTW cs;
    cs.style = static_cast<LONG>(::GetWindowLongPtrW(hwnd, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_VISIBLE));
    cs.dwExStyle = static_cast<DWORD>(::GetWindowLongPtrW(hwnd, GWL_EXSTYLE));
    cs.hwndParent = ::GetParent(hwnd);
    constexpr int kUseDefault = static_cast<int>(0x80000000);
    cs.x = kUseDefault;
    cs.y = kUseDefault;
    cs.cx = 640;
    cs.cy = 480;
    QWidget* owner = cs.hwndParent ? WidgetOf(cs.hwndParent) : nullptr;
    return std::make_unique<GenericPeer>(hwnd, cs, owner ? owner->window() : nullptr);
}

}  // namespace platform::ui
