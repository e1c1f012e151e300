// The drawer's owner-window services over the platform: callbacks are sent as
// window messages, and the hyperlink cursor is the system's hand.
#pragma once

#include "htmltip/HtmlServices.h"

namespace htmltip {

class WindowServices : public IHtmlWindowServices {
public:
    LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    bool SetHyperlinkCursor() override;
    void ResetHyperlinkCursor() override;

    static WindowServices& Default();
};

}  // namespace htmltip
