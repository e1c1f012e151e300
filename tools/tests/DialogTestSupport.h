// Helpers of the tests of the library's dialogs: modal runs whose script
// waits until the dialog's own work at showing is done, serial ports bound to
// the controller emulator (and every other number bound to nothing), and
// pictures of the dialogs kept for a person to look at.
#pragma once

#include "tools/tests/ToolsTestSupport.h"

#include "tests/support/ScriptedMessageBox.h"
#include "tests/support/ui/UiTest.h"

#include "platform/core/ComPortNames.h"
#include "platform/ui/Button.h"
#include "platform/ui/Dialog.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace toolstest {

// Runs run() and, once the dialog is visible and ready() holds, the script
// against it. The script never runs nested inside the dialog's own waits
// (a scan that pumps messages), which it could not wait out from there. The
// dialog must be closed by the script; otherwise the test fails and the
// dialog is cancelled. Bounded by timeoutMs.
class DeferredScript : public CWnd {
public:
    static constexpr UINT kRun = WM_APP + 0x3E0;
    static constexpr UINT_PTR kRetryTimer = 1;
    static constexpr UINT_PTR kTimeoutTimer = 2;
    static constexpr UINT kRetryMs = 20;

    std::function<HWND()> dialog;
    std::function<bool()> ready;
    std::function<void(uitest::DialogDriver&)> script;
    bool ran = false;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == kRun || (message == WM_TIMER && wParam == kRetryTimer)) {
            TryRun();
            return 0;
        }
        if (message == WM_TIMER && wParam == kTimeoutTimer) {
            KillTimer(kTimeoutTimer);
            const HWND hwnd = dialog();
            if (hwnd && ::IsWindow(hwnd)) {
                ADD_FAILURE() << "the modal dialog ran out of time; it is cancelled";
                ::EndDialog(hwnd, IDCANCEL);
            }
            return 0;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }

private:
    void TryRun()
    {
        if (ran) return;
        const HWND hwnd = dialog();
        if (!hwnd || !::IsWindowVisible(hwnd) || (ready && !ready())) {
            SetTimer(kRetryTimer, kRetryMs);
            return;
        }
        KillTimer(kRetryTimer);
        ran = true;
        uitest::DialogDriver driver(hwnd);
        script(driver);
        if (::IsWindow(hwnd) && CWnd::FromHandle(hwnd) && CWnd::FromHandle(hwnd)->ContinueModal()) {
            ADD_FAILURE() << "the script left its dialog open; it is cancelled";
            ::EndDialog(hwnd, IDCANCEL);
        }
    }
};

template <class Dialog>
INT_PTR RunModalWhenReady(Dialog& dlg, std::function<bool()> ready, std::function<void(uitest::DialogDriver&)> script,
                          int timeoutMs = 60000)
{
    DeferredScript helper;
    helper.dialog = [&dlg] { return dlg.GetSafeHwnd(); };
    helper.ready = std::move(ready);
    helper.script = std::move(script);
    if (!helper.CreateEx(0, AfxRegisterWndClass(0), u"", WS_OVERLAPPED, RECT{}, nullptr, 0)) {
        ADD_FAILURE() << "no helper window";
        return -1;
    }
    helper.PostMessage(DeferredScript::kRun);
    helper.SetTimer(DeferredScript::kTimeoutTimer, static_cast<UINT>(timeoutMs));
    const INT_PTR result = dlg.DoModal();
    if (!helper.ran) ADD_FAILURE() << "the dialog never came up";
    helper.DestroyWindow();
    return result;
}

template <class Dialog>
INT_PTR RunDialog(Dialog& dlg, std::function<void(uitest::DialogDriver&)> script, int timeoutMs = 60000)
{
    return RunModalWhenReady(dlg, nullptr, std::move(script), timeoutMs);
}

// COM1 .. COM<count> of the ports file: the given ones bound to their paths,
// every other one to no device, so the machine's own ports never show.
class ScopedSerialPorts {
public:
    ScopedSerialPorts(int count, const std::map<int, std::string>& bound)
    {
        for (int n = 1; n <= count; ++n) {
            const auto found = bound.find(n);
            m_binds.push_back(
                std::make_unique<platform::ScopedComPortDevice>(n, found == bound.end() ? std::string() : found->second));
        }
    }

private:
    std::vector<std::unique_ptr<platform::ScopedComPortDevice>> m_binds;
};

// The settings folder of a test with "CommMan.ini" offering COM1 .. COM<max>
// and no send delays.
inline void WriteCommIni(ScopedSettingsFolder& settings, int maxComPort, const std::string& extra = {})
{
    settings.WriteCommIni("[Serial]\r\nMaxComPort=" + std::to_string(maxComPort) +
                          "\r\nDelayPerLine=0\r\nDelayPerChar=0\r\n" + extra);
}

// Keeps a picture of the dialog in build/artifacts/tools.
inline void KeepPicture(const uitest::DialogDriver& driver, const std::string& name)
{
    uitest::Pump(50);
    EXPECT_TRUE(driver.Grab(uitest::ArtifactFolder("tools") + "/" + name + ".png")) << name;
}

inline CString W(const char* utf8) { return CString::FromUtf8(utf8); }

}  // namespace toolstest
