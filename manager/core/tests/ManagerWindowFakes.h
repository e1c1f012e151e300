// Stand-ins for the manager's windows as the data core sees them: they record
// what they are told, and a frame window records the link messages it gets.
#pragma once

#include "manager/core/DataManager.h"
#include "manager/core/ManagerWindows.h"
#include "platform/core/Wnd.h"

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace testfx {

// One log for every stand-in of a test, in call order.
class WindowLog {
public:
    void Add(std::string entry)
    {
        std::lock_guard guard(m_lock);
        m_entries.push_back(std::move(entry));
    }
    std::vector<std::string> Entries() const
    {
        std::lock_guard guard(m_lock);
        return m_entries;
    }
    int Count(const std::string& entry) const
    {
        std::lock_guard guard(m_lock);
        int n = 0;
        for (const std::string& e : m_entries) n += e == entry;
        return n;
    }

private:
    mutable std::mutex m_lock;
    std::vector<std::string> m_entries;
};

class FakeWaitWindow : public IWaitWindow {
public:
    explicit FakeWaitWindow(WindowLog& log) : m_log(log) {}
    ~FakeWaitWindow() override { Close(); }
    BOOL Create(HWND, int width, int height) override
    {
        m_log.Add("wait create " + std::to_string(width) + "x" + std::to_string(height));
        m_open = true;
        return TRUE;
    }
    void SetMessage(const CString& text) override { m_log.Add("wait message " + text.ToUtf8()); }
    void SetMessageFont(const CString& face, int points) override
    {
        m_log.Add("wait font " + face.ToUtf8() + " " + std::to_string(points));
    }
    void Show() override { m_log.Add("wait show"); }
    void Close() override
    {
        if (m_open) m_log.Add("wait close");
        m_open = false;
    }

private:
    WindowLog& m_log;
    bool m_open = false;
};

// What a modeless window was last bound to.
struct Binding {
    CString name;
    CString text;
    CString model;
    ControllerData* record = nullptr;
    CCommManager* link = nullptr;
    CControllerProtocol* protocol = nullptr;
    int node = 0;
    int decimals = 0;
    bool online = false;
    int count = 0;
};

class FakeTerminal : public IDesktopTerminal {
public:
    FakeTerminal(WindowLog& log, bool& alive) : m_log(log), m_alive(alive) { m_alive = true; }
    ~FakeTerminal() override
    {
        m_log.Add("terminal destroyed");
        m_alive = false;
    }
    void SetController(const CString& name, const CString& text, ControllerData* record, CCommManager* link,
                       CControllerProtocol* protocol, int node, bool online) override
    {
        binding = {name, text, CString(), record, link, protocol, node, 0, online, binding.count + 1};
    }
    bool SetMode(int value) override
    {
        mode = value;
        return value == 0 || value == 4;
    }
    void SetBusy(int value) override { busy = value; }
    int GetBusy() const override { return busy; }
    void EnableButtons(bool, bool) override {}
    void Show() override { m_log.Add("terminal show"); }

    Binding binding;
    int mode = -1;
    int busy = 0;

private:
    WindowLog& m_log;
    bool& m_alive;
};

class FakeIoMonitor : public IIoMonitor {
public:
    FakeIoMonitor(WindowLog& log, bool& alive) : m_log(log), m_alive(alive) { m_alive = true; }
    ~FakeIoMonitor() override
    {
        m_log.Add("io monitor destroyed");
        m_alive = false;
    }
    void SetController(const CString& first, const CString& second, const CString& model, bool online) override
    {
        binding = {first, second, model, nullptr, nullptr, nullptr, 0, 0, online, binding.count + 1};
    }
    void Show() override { shown = true; }
    bool IsShown() const override { return shown.load(); }
    void ShowMinimized(bool minimized) override { m_log.Add(minimized ? "io minimized" : "io restored"); }

    Binding binding;
    std::atomic<bool> shown{false};

private:
    WindowLog& m_log;
    bool& m_alive;
};

class FakeStatusMonitor : public IStatusMonitor {
public:
    FakeStatusMonitor(WindowLog& log, bool& alive) : m_log(log), m_alive(alive) { m_alive = true; }
    ~FakeStatusMonitor() override
    {
        m_log.Add("status monitor destroyed");
        m_alive = false;
    }
    void SetController(const CString& first, const CString& second, const CString& model, int decimals,
                       bool online) override
    {
        binding = {first, second, model, nullptr, nullptr, nullptr, 0, decimals, online, binding.count + 1};
    }
    void Show() override { shown = true; }
    bool IsShown() const override { return shown.load(); }
    void ShowMinimized(bool minimized) override { m_log.Add(minimized ? "status minimized" : "status restored"); }

    Binding binding;
    std::atomic<bool> shown{false};

private:
    WindowLog& m_log;
    bool& m_alive;
};

// A child frame: keeps the link messages the data manager sends it.
class FakeFrame : public CWnd {
public:
    FakeFrame() { CreateEx(0, AfxRegisterWndClass(0), u"", 0, RECT{}, nullptr, 0); }
    ~FakeFrame() override { DestroyWindow(); }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == UM_LINKFAILED || message == UM_LINKTIMEOUT) {
            std::lock_guard guard(m_lock);
            m_messages.push_back({message, wParam});
            return 0;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
    struct Message {
        UINT message;
        WPARAM wParam;
        friend bool operator==(const Message&, const Message&) = default;
    };
    std::vector<Message> Messages() const
    {
        std::lock_guard guard(m_lock);
        return m_messages;
    }
    int Count(UINT message, WPARAM wParam) const
    {
        int n = 0;
        for (const Message& m : Messages()) n += m == Message{message, wParam};
        return n;
    }

private:
    mutable std::mutex m_lock;
    std::vector<Message> m_messages;
};

class FakeManagerWindows : public HeadlessManagerWindows {
public:
    void SetStatusCells(std::shared_ptr<StatusCells> value) override
    {
        cells = std::move(value);
        log.Add(cells ? "cells set" : "cells cleared");
    }
    void SetCurrentDataManager(CDataManager* manager) override { current = manager; }
    bool IsPollingLocked() override { return pollingLocked; }
    const ControllerData* GetNewControllerData() override { return newData; }
    const ParamDefTable* GetParamDefTable(int number) override { return number == 0 ? table0 : table1; }
    CWnd* FindOpenWindow(const OpenWindowEntry& key) override
    {
        for (const OpenWindowEntry& entry : frames) {
            if (entry.MatchesKey(key)) return entry.frame;
        }
        return nullptr;
    }
    CString GetWindowTitle(HWND window) override
    {
        const auto found = titles.find(window.Value());
        return found == titles.end() ? CString() : found->second;
    }
    std::unique_ptr<IWaitWindow> CreateWaitWindow() override { return std::make_unique<FakeWaitWindow>(log); }
    void CloseActiveWaitWindow() override { log.Add("close active wait window"); }
    std::unique_ptr<IDesktopTerminal> CreateDesktopTerminal(HWND) override
    {
        auto window = std::make_unique<FakeTerminal>(log, terminalAlive);
        terminal = window.get();
        return window;
    }
    std::unique_ptr<IIoMonitor> CreateIoMonitor(HWND) override
    {
        auto window = std::make_unique<FakeIoMonitor>(log, ioMonitorAlive);
        ioMonitor = window.get();
        return window;
    }
    std::unique_ptr<IStatusMonitor> CreateStatusMonitor(HWND) override
    {
        auto window = std::make_unique<FakeStatusMonitor>(log, statusMonitorAlive);
        statusMonitor = window.get();
        return window;
    }

    // The frame that shows a serial link on the port, or a TCP link to the address.
    void AddSerialFrame(FakeFrame& frame, int comPort)
    {
        frames.push_back({kOpenWindowSerial, &frame, CString(), static_cast<std::int16_t>(comPort), 0});
    }
    void AddTcpFrame(FakeFrame& frame, std::uint32_t address)
    {
        frames.push_back({kOpenWindowTcp, &frame, CString(), 0, address});
    }

    WindowLog log;
    std::shared_ptr<StatusCells> cells;
    CDataManager* current = nullptr;
    bool pollingLocked = false;
    const ControllerData* newData = nullptr;
    const ParamDefTable* table0 = nullptr;
    const ParamDefTable* table1 = nullptr;
    std::vector<OpenWindowEntry> frames;
    std::map<std::uint64_t, CString> titles;
    FakeTerminal* terminal = nullptr;
    FakeIoMonitor* ioMonitor = nullptr;
    FakeStatusMonitor* statusMonitor = nullptr;
    bool terminalAlive = false;
    bool ioMonitorAlive = false;
    bool statusMonitorAlive = false;
};

}  // namespace testfx
