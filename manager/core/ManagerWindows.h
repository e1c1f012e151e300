// What the controller data core uses of the manager's windows: the main
// window with its status cells and current-manager entry, the application's
// registry of open controller windows and its definition tables, the wait
// window, and the three modeless windows that follow the current controller
// (desktop terminal, I/O monitor, status monitor). The windows themselves are
// the user interface's; they implement these interfaces and the application
// installs its IManagerWindows at start-up. Until one is installed the data
// core runs headless: no main window, no windows found, no wait windows.
//
// Everything here is called on the user-interface thread, except
// IIoMonitor::IsShown, which the status poll asks on its own thread.
#pragma once

#include "manager/core/OpenWindowEntry.h"
#include "manager/core/ParamDef.h"
#include "manager/core/StatusCells.h"
#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

#include <memory>

class CCommManager;
class CControllerProtocol;
class CDataManager;
class CWnd;
struct ControllerData;

// The modal "Now Loading..." window shown while a long operation runs.
// Deleting the object closes its window.
class IWaitWindow {
public:
    virtual ~IWaitWindow() = default;
    // Disables the owner (the main window when null) and centres on it.
    virtual BOOL Create(HWND owner, int width, int height) = 0;
    virtual void SetMessage(const CString& text) = 0;
    virtual void SetMessageFont(const CString& face, int points) = 0;
    virtual void Show() = 0;
    // Re-enables the owner and destroys the window; a second call does nothing.
    virtual void Close() = 0;
};

// The modeless operation panel of the current controller. Deleting the
// object closes and destroys its window.
class IDesktopTerminal {
public:
    virtual ~IDesktopTerminal() = default;
    // Re-targets the panel. link and protocol are null when the controller
    // has none; online false disables its operations and stops its worker.
    virtual void SetController(const CString& name, const CString& text, ControllerData* record, CCommManager* link,
                               CControllerProtocol* protocol, int node, bool online) = 0;
    // The controller's operating mode (K20); returns whether it counts as stopped.
    virtual bool SetMode(int mode) = 0;
    // The run state: not 0 while a motion started from the panel runs.
    virtual void SetBusy(int busy) = 0;
    virtual int GetBusy() const = 0;
    virtual void EnableButtons(bool operation, bool stop) = 0;
    virtual void Show() = 0;
};

// The modeless monitor of the current controller's inputs and outputs.
class IIoMonitor {
public:
    virtual ~IIoMonitor() = default;
    virtual void SetController(const CString& first, const CString& second, const CString& model, bool online) = 0;
    virtual void Show() = 0;
    // Whether the window exists and is visible. Asked on the status poll's
    // thread, so it answers from a flag the window keeps, never the widget.
    virtual bool IsShown() const = 0;
    virtual void ShowMinimized(bool minimized) = 0;
};

// The modeless monitor of the current controller's status record and options.
class IStatusMonitor {
public:
    virtual ~IStatusMonitor() = default;
    virtual void SetController(const CString& first, const CString& second, const CString& model, int decimals,
                               bool online) = 0;
    virtual void Show() = 0;
    virtual bool IsShown() const = 0;
    virtual void ShowMinimized(bool minimized) = 0;
};

class IManagerWindows {
public:
    virtual ~IManagerWindows() = default;

    // The main window: owner of message boxes and wait windows.
    virtual HWND GetMainWindow() = 0;
    // The status cells the main window hands to its panels and monitors;
    // null when the last data manager has gone.
    virtual void SetStatusCells(std::shared_ptr<StatusCells> cells) = 0;
    // The main window's entry naming the current data manager (null: none).
    virtual void SetCurrentDataManager(CDataManager* manager) = 0;
    // While set, resuming the poll neither resumes nor suspends it.
    virtual bool IsPollingLocked() = 0;
    // The data of the new controller that the new-data command builds; null
    // outside that command.
    virtual const ControllerData* GetNewControllerData() = 0;
    // The application's parameter definition tables (0, or 1 for "LB"); null
    // when not loaded.
    virtual const ParamDefTable* GetParamDefTable(int number) = 0;
    // The child frame that shows the link of the key, or null.
    virtual CWnd* FindOpenWindow(const OpenWindowEntry& key) = 0;
    virtual CString GetWindowTitle(HWND window) = 0;
    virtual void BeginWaitCursor() = 0;
    virtual void EndWaitCursor() = 0;

    // Null when no window can be made.
    virtual std::unique_ptr<IWaitWindow> CreateWaitWindow() = 0;
    // Closes the wait window that is up, if any (before a message box).
    virtual void CloseActiveWaitWindow() = 0;
    virtual std::unique_ptr<IDesktopTerminal> CreateDesktopTerminal(HWND parent) = 0;
    virtual std::unique_ptr<IIoMonitor> CreateIoMonitor(HWND parent) = 0;
    virtual std::unique_ptr<IStatusMonitor> CreateStatusMonitor(HWND parent) = 0;
};

// No windows at all: what the data core has until the application installs
// its own, and a base for stand-ins that override a few calls.
class HeadlessManagerWindows : public IManagerWindows {
public:
    HWND GetMainWindow() override { return HWND(); }
    void SetStatusCells(std::shared_ptr<StatusCells>) override {}
    void SetCurrentDataManager(CDataManager*) override {}
    bool IsPollingLocked() override { return false; }
    const ControllerData* GetNewControllerData() override { return nullptr; }
    const ParamDefTable* GetParamDefTable(int) override { return nullptr; }
    CWnd* FindOpenWindow(const OpenWindowEntry&) override { return nullptr; }
    CString GetWindowTitle(HWND) override { return CString(); }
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}
    std::unique_ptr<IWaitWindow> CreateWaitWindow() override { return nullptr; }
    void CloseActiveWaitWindow() override {}
    std::unique_ptr<IDesktopTerminal> CreateDesktopTerminal(HWND) override { return nullptr; }
    std::unique_ptr<IIoMonitor> CreateIoMonitor(HWND) override { return nullptr; }
    std::unique_ptr<IStatusMonitor> CreateStatusMonitor(HWND) override { return nullptr; }
};

// The installed windows; never null (headless when none is installed).
IManagerWindows& GetManagerWindows();
// Installs windows for the process (null: headless again) and returns the
// previous ones. They must stay alive while installed.
IManagerWindows* SetManagerWindows(IManagerWindows* windows);

class ScopedManagerWindows {
public:
    explicit ScopedManagerWindows(IManagerWindows* windows) : m_previous(SetManagerWindows(windows)) {}
    ~ScopedManagerWindows() { SetManagerWindows(m_previous); }
    ScopedManagerWindows(const ScopedManagerWindows&) = delete;
    ScopedManagerWindows& operator=(const ScopedManagerWindows&) = delete;

private:
    IManagerWindows* m_previous;
};
