// What the controller dialog tests share: a data manager online with one
// emulated controller (over TCP on loopback), the manager's resource module
// in either language, pictures of windows for a person to look at, and
// pointer input that goes through the window system's own path (so a held
// mouse button is as real as a person's).
#pragma once

#include "manager/core/tests/DataManagerSupport.h"
#include "manager/widgets/tests/WidgetTestSupport.h"

#include "tests/support/ScriptedMessageBox.h"
#include "tests/support/ui/UiTest.h"

#include "manager/core/ControllerData.h"
#include "manager/core/DataManager.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/WidgetPeer.h"

#include <QGuiApplication>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace ctrltest {

using namespace std::chrono_literals;
using testfx::PumpFor;
using testfx::PumpUntil;

// One controller at node 1 read into a data manager over TCP.
class OnlineController : public testfx::DataManagerFixture {
public:
    bool Open(const std::string& model = "Q05")
    {
        emulator.AddController(1, model);
        if (!Serve(testfx::Transport::kTcp)) return false;
        manager.emplace();
        if (!testfx::DataManagerFixture::Open(*manager, testfx::Transport::kTcp)) return false;
        if (!manager->AddOnlineController(1)) return false;
        emulator.ClearLog();
        return true;
    }
    void StartPolling()
    {
        manager->SetPollingEnabled(TRUE);
        manager->ResumePolling();
    }
    ControllerData& Data() { return *manager->GetCurrentController(); }
    emu::ControllerModel& Controller() { return emulator.Controller(1); }
    int Count(const std::string& command) const
    {
        int n = 0;
        for (const std::string& line : emulator.ReceivedCommands()) n += line == command;
        return n;
    }

    std::optional<CDataManager> manager;
};

// A visible top-level window to put a child panel on; it answers and logs
// the messages a pane gets from its panels.
class HostWindow : public widgettest::HostDialog {
public:
    explicit HostWindow(short cx = 340, short cy = 130) : widgettest::HostDialog(cx, cy) {}
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message >= WM_APP && message < WM_APP + 0x100) {
            received.push_back({message - WM_APP, wParam});
            return answer;
        }
        return widgettest::HostDialog::WindowProc(message, wParam, lParam);
    }
    int CountOf(UINT appOffset) const
    {
        int n = 0;
        for (const auto& r : received) n += r.first == appOffset;
        return n;
    }
    std::vector<std::pair<UINT, WPARAM>> received;  // WM_APP offset, wParam
    LRESULT answer = 0;
};

// Pictures go to build/artifacts/dialogs.
inline void KeepPicture(HWND window, const std::string& name)
{
    uitest::Pump(50);
    EXPECT_TRUE(uitest::DialogDriver(window).Grab(uitest::ArtifactFolder("dialogs") + "/" + name + ".png")) << name;
}

// Mouse input through the window system; nothing stays pressed after a test.
class Pointer {
public:
    ~Pointer()
    {
        if (m_pressedOn) Release();
        uitest::Pump(0);
    }
    static QWidget* Widget(HWND hwnd) { return platform::ui::WidgetOf(hwnd); }
    static QPoint Centre(QWidget* w) { return w->mapTo(w->window(), w->rect().center()); }
    void Press(HWND button)
    {
        QWidget* w = Widget(button);
        m_pressedOn = w;
        QTest::mousePress(w->window()->windowHandle(), Qt::LeftButton, {}, Centre(w));
        uitest::Pump(0);
    }
    void Release()
    {
        if (!m_pressedOn) return;
        QWidget* w = m_pressedOn;
        m_pressedOn = nullptr;
        QTest::mouseRelease(w->window()->windowHandle(), Qt::LeftButton, {}, Centre(w));
        uitest::Pump(0);
    }
    // The button goes up over another window (the release goes elsewhere).
    void Forget() { m_pressedOn = nullptr; }

private:
    QWidget* m_pressedOn = nullptr;
};

inline CString W(const char* utf8) { return CString::FromUtf8(utf8); }

}  // namespace ctrltest
