#include "htmltip/WindowServices.h"

#include "platform/core/Messages.h"

namespace htmltip {

LRESULT WindowServices::SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!::IsWindow(window)) return 0;
    return ::SendMessage(window, message, wParam, lParam);
}

bool WindowServices::SetHyperlinkCursor() { return false; }

void WindowServices::ResetHyperlinkCursor() {}

WindowServices& WindowServices::Default()
{
    static WindowServices services;
    return services;
}

}  // namespace htmltip
