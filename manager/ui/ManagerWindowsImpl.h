// The windows the controller data core talks to (ManagerWindows.h): the main
// frame as owner of messages and holder of the status cells and the current
// data manager, the registry of open controller windows, and the wait window.
#pragma once

#include "manager/core/ManagerWindows.h"

#include <memory>

class CMainFrameWindows : public IManagerWindows {
public:
    HWND GetMainWindow() override;
    void SetStatusCells(std::shared_ptr<StatusCells> cells) override { m_cells = std::move(cells); }
    void SetCurrentDataManager(CDataManager* manager) override { m_current = manager; }
    bool IsPollingLocked() override { return m_pollingLocked; }
    const ControllerData* GetNewControllerData() override { return m_newData; }
    const ParamDefTable* GetParamDefTable(int number) override;
    CWnd* FindOpenWindow(const OpenWindowEntry& key) override;
    CString GetWindowTitle(HWND window) override;
    void BeginWaitCursor() override;
    void EndWaitCursor() override;
    std::unique_ptr<IWaitWindow> CreateWaitWindow() override;
    void CloseActiveWaitWindow() override;
    // The modeless controller windows come with the controller dialogs.
    std::unique_ptr<IDesktopTerminal> CreateDesktopTerminal(HWND parent) override;
    std::unique_ptr<IIoMonitor> CreateIoMonitor(HWND parent) override;
    std::unique_ptr<IStatusMonitor> CreateStatusMonitor(HWND parent) override;

    // Lets the controller dialogs find the manual panel of the active
    // controller window, and the room around that window.
    static void InstallLocators();
    const std::shared_ptr<StatusCells>& Cells() const { return m_cells; }
    CDataManager* Current() const { return m_current; }
    void SetPollingLocked(bool locked) { m_pollingLocked = locked; }
    void SetNewControllerData(const ControllerData* data) { m_newData = data; }

private:
    std::shared_ptr<StatusCells> m_cells;
    CDataManager* m_current = nullptr;
    bool m_pollingLocked = false;
    const ControllerData* m_newData = nullptr;
};

// A wait window of the manager's look: 362 x 100, "Tahoma" 9 pt, the text
// of a string; closed when the object goes.
class CWaitScope {
public:
    CWaitScope(UINT textId, CWnd* owner = nullptr);
    ~CWaitScope();
    CWaitScope(const CWaitScope&) = delete;
    CWaitScope& operator=(const CWaitScope&) = delete;

private:
    std::unique_ptr<IWaitWindow> m_window;
};

// Pauses the status poll of the current data manager for the scope; the
// poll of whichever data manager is current at the end resumes.
class CPollingPause {
public:
    CPollingPause();
    ~CPollingPause();
    CPollingPause(const CPollingPause&) = delete;
    CPollingPause& operator=(const CPollingPause&) = delete;
};
