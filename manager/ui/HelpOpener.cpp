#include "manager/ui/HelpOpener.h"

#include "platform/core/MessageBox.h"
#include "platform/core/Messages.h"
#include "platform/core/Process.h"
#include "platform/ui/Shell.h"
#include "resources/manager/resource_ids.h"

#include <algorithm>

namespace {

constexpr UINT_PTR kTimerId = 0x4850;
constexpr UINT kPollMs = 200;
// An opener that gives up does so at once. One still running after this has
// handed the page on (or is the browser itself) and is let go: a browser the
// user closes later, however it ends, is not the help failing to open.
constexpr auto kWatchTime = std::chrono::seconds(60);

// The openers of the windows, for the timer that has only the window.
std::vector<CHelpOpener*>& Openers()
{
    static std::vector<CHelpOpener*> openers;
    return openers;
}

}  // namespace

CHelpOpener::CHelpOpener(HWND owner) : m_owner(owner) { Openers().push_back(this); }

CHelpOpener::~CHelpOpener()
{
    auto& openers = Openers();
    openers.erase(std::remove(openers.begin(), openers.end(), this), openers.end());
    if (!m_pending.empty() && ::IsWindow(m_owner)) ::KillTimer(m_owner, kTimerId);
    // Openers still running are reaped in the background when they end.
}

void CHelpOpener::Open(const CString& page)
{
    auto child = std::make_unique<platform::Process>();
    if (!platform::StartDesktopOpener(page, *child)) {
        Tell(page);
        return;
    }
    if (!child->IsStarted()) return;  // a stand-in took the call and said it opened the page
    m_pending.push_back({std::move(child), page, std::chrono::steady_clock::now()});
    ::SetTimer(m_owner, kTimerId, kPollMs, &CHelpOpener::OnTimer);
}

void CHelpOpener::OnTimer(HWND hwnd, UINT, UINT_PTR, DWORD)
{
    for (CHelpOpener* opener : Openers()) {
        if (opener->m_owner == hwnd) {
            opener->Poll();
            return;
        }
    }
    ::KillTimer(hwnd, kTimerId);
}

void CHelpOpener::Poll()
{
    const auto now = std::chrono::steady_clock::now();
    std::vector<CString> failed;
    for (auto it = m_pending.begin(); it != m_pending.end();) {
        DWORD code = STILL_ACTIVE;
        it->child->GetExitCode(&code);
        if (code == STILL_ACTIVE) {
            if (now - it->started < kWatchTime) {
                ++it;
                continue;
            }
            it->child->Detach();
        } else if (code != 0) {
            failed.push_back(it->page);
        }
        it = m_pending.erase(it);
    }
    if (m_pending.empty()) ::KillTimer(m_owner, kTimerId);
    // The message is modal; the openers it may meet again are already off the list.
    for (const CString& page : failed) Tell(page);
}

void CHelpOpener::Tell(const CString& page) const
{
    CString format;
    format.LoadString(IDS_HELP_OPEN_FAILED);
    CString text;
    text.Format(format.GetString(), page.GetString());
    AfxMessageBox(text.GetString(), MB_OK | MB_ICONWARNING);
}
