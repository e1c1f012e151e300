#include "htmltip/WindowServices.h"

#include "platform/core/Messages.h"
#include "platform/core/ResourceModule.h"
#include "platform/ui/ResourceImages.h"

namespace htmltip {

LRESULT WindowServices::SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!::IsWindow(window)) return 0;
    return ::SendMessage(window, message, wParam, lParam);
}

bool WindowServices::SetHyperlinkCursor()
{
    // The system's hand; without it hovering keeps the owner's cursor.
    const HCURSOR hand = ::LoadCursor(HINSTANCE(), IDC_HAND);
    if (!hand) return false;
    ::SetCursor(hand);
    return true;
}

void WindowServices::ResetHyperlinkCursor() {}

WindowServices& WindowServices::Default()
{
    static WindowServices services;
    return services;
}

}  // namespace htmltip
