// The help page in the desktop's browser. The opener that is to show it may
// fail at once (the desktop has none) or a moment later (it finds no browser
// and ends with an error); either way the user learns where the page lies.
// The window never waits for the opener: its end is looked for on a timer.
#pragma once

#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

#include <chrono>
#include <memory>
#include <vector>

namespace platform {
class Process;
}

class CHelpOpener {
public:
    // owner: the window the message belongs to and whose timer watches the opener.
    explicit CHelpOpener(HWND owner);
    ~CHelpOpener();
    CHelpOpener(const CHelpOpener&) = delete;
    CHelpOpener& operator=(const CHelpOpener&) = delete;

    // Opens page (an absolute path); a failure shows message 41022 with the page.
    void Open(const CString& page);
    // Openers still watched.
    std::size_t Pending() const { return m_pending.size(); }

private:
    struct Opener {
        std::unique_ptr<platform::Process> child;
        CString page;
        std::chrono::steady_clock::time_point started;
    };

    static void OnTimer(HWND hwnd, UINT message, UINT_PTR id, DWORD time);
    void Poll();
    void Tell(const CString& page) const;

    HWND m_owner;
    std::vector<Opener> m_pending;
};
