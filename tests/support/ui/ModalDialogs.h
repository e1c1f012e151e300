// The modal dialogs a person can work in, and a driver that works them as
// they come up: each with a script of the test, once the dialog is shown and
// idle.
#pragma once

#include "tests/support/ui/UiTest.h"

#include "platform/ui/InputServices.h"
#include "platform/ui/WidgetPeer.h"

#include <QApplication>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace uitest {

// The modal dialogs a person can work in: visible, in their modal loop and
// enabled (a dialog that opened another one is disabled meanwhile).
inline std::vector<HWND> OpenModalDialogs()
{
    std::vector<HWND> open;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (!widget->isVisible() || !widget->isEnabled()) continue;
        platform::ui::WidgetPeer* peer = platform::ui::WidgetPeer::FromWidget(widget);
        if (peer && peer->m_inModalLoop && peer->Widget() == widget) open.push_back(peer->Handle());
    }
    return open;
}

// The one a person works in now; none while only a message box or nothing is up.
inline HWND TopModalDialog()
{
    const std::vector<HWND> open = OpenModalDialogs();
    return open.empty() ? HWND() : open.front();
}

// What the top-level windows are, for a failure's message.
inline std::string DescribeWindows()
{
    std::ostringstream text;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        platform::ui::WidgetPeer* peer = platform::ui::WidgetPeer::FromWidget(widget);
        if (!peer || peer->Widget() != widget) continue;
        text << "\n  " << widget->metaObject()->className() << " '" << widget->windowTitle().toStdString() << "'"
             << (widget->isVisible() ? " visible" : " hidden") << (widget->isEnabled() ? " enabled" : " disabled")
             << (peer->m_inModalLoop ? " modal" : "");
    }
    return text.str();
}

// Works the modal dialogs of a test as they come up, each with the first
// step whose condition takes it. A dialog is driven only once it is shown
// and idle: its modal loop waits for input, with no hourglass up. A dialog
// that still reads the controller waits for the replies in a loop of its
// own, and a script started from inside that loop would hold the reading up
// until it ends; a step's condition can wait for more (a button enabled). A script
// may wait while its dialog opens the next one; that one is worked from
// inside. Every script must close its dialog; a dialog left open is
// cancelled and fails the test, and so does a step that never ran. The limit
// is far beyond a healthy run, so only a fault reaches it, and then every
// open dialog is cancelled.
class ModalDialogDriver : public CWnd {
public:
    using Script = std::function<void(DialogDriver&)>;
    using Ready = std::function<bool(HWND)>;
    struct Step {
        Ready ready;
        Script script;
    };
    static constexpr UINT kDefaultLimitMs = 90000;

    explicit ModalDialogDriver(std::vector<Step> steps, UINT limitMs = kDefaultLimitMs)
        : m_steps(steps.begin(), steps.end())
    {
        CreateEx(0, AfxRegisterWndClass(0), u"", WS_OVERLAPPED, RECT{}, nullptr, 0);
        SetTimer(kPollTimer, kPollMs, nullptr);
        SetTimer(kLimitTimer, limitMs, nullptr);
    }
    ~ModalDialogDriver() override
    {
        if (!m_steps.empty()) ADD_FAILURE() << m_steps.size() << " dialog script(s) never ran" << DescribeWindows();
        DestroyWindow();
    }
    ModalDialogDriver(const ModalDialogDriver&) = delete;
    ModalDialogDriver& operator=(const ModalDialogDriver&) = delete;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_TIMER && wParam == kPollTimer) {
            Poll();
            return 0;
        }
        if (message == WM_TIMER && wParam == kLimitTimer) {
            KillTimer(kLimitTimer);
            ADD_FAILURE() << "the dialogs ran out of time; they are cancelled" << DescribeWindows();
            for (HWND top = TopModalDialog(); top; top = TopModalDialog()) {
                ::EndDialog(top, IDCANCEL);
                Pump(50);
            }
            return 0;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }

private:
    static constexpr UINT_PTR kPollTimer = 1;
    static constexpr UINT_PTR kLimitTimer = 2;
    static constexpr UINT kPollMs = 20;

    // Idle: the dialog's own loop found its queue empty before each of the
    // last two polls. A dialog at work inside a handler (reading the
    // controller while it pumps messages) does not get there, however long
    // it stays visible and enabled.
    bool Idle(HWND open)
    {
        platform::ui::WidgetPeer* peer = platform::ui::WidgetPeer::Of(open);
        if (!peer) return false;
        Watch& watch = m_watch[open];
        watch.streak = peer->m_modalIdlePasses != watch.passes ? watch.streak + 1 : 0;
        watch.passes = peer->m_modalIdlePasses;
        return watch.streak >= 2 && platform::WaitCursorDepth() == 0;
    }

    void Poll()
    {
        const std::vector<HWND> dialogs = OpenModalDialogs();
        for (auto it = m_watch.begin(); it != m_watch.end();)
            it = std::find(dialogs.begin(), dialogs.end(), it->first) == dialogs.end() ? m_watch.erase(it) : ++it;
        for (HWND open : dialogs) {
            if (m_seen.count(open) || !Idle(open)) continue;
            for (auto step = m_steps.begin(); step != m_steps.end(); ++step) {
                if (!step->ready(open)) continue;
                const Script script = std::move(step->script);
                m_steps.erase(step);
                m_seen.insert(open);
                DialogDriver driver(open);
                script(driver);
                if (::IsWindow(open) && CWnd::FromHandle(open) && CWnd::FromHandle(open)->ContinueModal()) {
                    ADD_FAILURE() << "a script left its dialog open; it is cancelled";
                    ::EndDialog(open, IDCANCEL);
                }
                return;
            }
        }
    }

    struct Watch {
        unsigned passes = 0;
        int streak = 0;
    };
    std::deque<Step> m_steps;
    std::set<HWND> m_seen;
    std::map<HWND, Watch> m_watch;
};

// Scripts in order: script k works the k-th dialog that comes up.
class ModalScripts : public ModalDialogDriver {
public:
    using Script = ModalDialogDriver::Script;
    explicit ModalScripts(std::vector<Script> scripts, UINT limitMs = kDefaultLimitMs)
        : ModalDialogDriver(InOrder(std::move(scripts)), limitMs)
    {
    }

private:
    static std::vector<Step> InOrder(std::vector<Script> scripts)
    {
        std::vector<Step> steps;
        for (Script& script : scripts) steps.push_back({[](HWND) { return true; }, std::move(script)});
        return steps;
    }
};

}  // namespace uitest
