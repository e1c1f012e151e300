// CDlgDesktopTerminal: the small modeless operation panel of the current
// controller: origin return, servo on/off, brake on/off, alarm reset, stop.
// One per program: the data manager creates it through the manager windows
// (IManagerWindows::CreateDesktopTerminal should return
// CDlgDesktopTerminal::CreateFor(parent)), hides it on close and re-targets it
// at the current controller.
//
// Its buttons follow the controller's option status word on a 200 ms timer of
// the user-interface thread (no other thread touches them).
#pragma once

#include "manager/core/ManagerWindows.h"
#include "manager/dialogs/ConnectableDialog.h"
#include "manager/dialogs/DialogHelpers.h"

#include <functional>
#include <memory>

class CDlgManual;
class StatusCells;

class CDlgDesktopTerminal : public CConnectableDialog, public IDesktopTerminal {
public:
    static constexpr UINT_PTR kWatchTimer = 1;
    static constexpr UINT kWatchPeriodMs = 200;
    // A servo or brake command whose status bits never change gives the
    // buttons back after this many watch cycles.
    static constexpr int kServoWaitCycles = 5;
    static constexpr DWORD kStopWaitMs = 2000;

    CDlgDesktopTerminal();
    ~CDlgDesktopTerminal() override;

    // The terminal window, created hidden under the parent.
    static std::unique_ptr<CDlgDesktopTerminal> CreateFor(HWND parent);
    // IDesktopTerminal
    void SetController(const CString& name, const CString& text, ControllerData* record, CCommManager* link,
                       CControllerProtocol* protocol, int node, bool online) override;
    bool SetMode(int mode) override;
    void SetBusy(int busy) override;
    int GetBusy() const override { return m_busy; }
    void EnableButtons(bool operation, bool stop) override;
    void Show() override;

    bool IsCloseEnabled() const { return m_closeEnabled; }
    bool IsWaitingForServo() const { return m_servoWait; }

    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    BOOL OnInitDialog() override;
    void OnCommandEnded(WPARAM wParam) override;
    void OnOK() override {}
    void OnCancel() override {}

    afx_msg void OnOrigin();
    afx_msg void OnServo();
    afx_msg void OnBrake();
    afx_msg void OnReset();
    afx_msg void OnStop();
    afx_msg void OnClose();
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    DWORD Options() const;
    int Mode() const;
    void Watch();
    void EndOrigin(WPARAM wParam, const CString& failure);
    void ShowServoState(bool servoOn, bool brakeOn);
    void EnableCloseCommand(bool enable);
    void StartWatch();
    void StopWatch();
    // The manual operation panel of the active controller window, if any:
    // its stop is what this panel's stop performs, and it is disabled while
    // an origin return runs.
    CDlgManual* ManualPanel() const;

    std::shared_ptr<StatusCells> m_cells;
    bool m_online = false;
    // Shown once: the user's place is kept from then on.
    bool m_placed = false;
    bool m_running = false;
    bool m_stopped = false;
    int m_busy = 0;
    bool m_closeEnabled = true;
    bool m_originPending = false;
    bool m_stopRequested = false;  // STOP pressed here while the return ran
    bool m_servoWait = false;
    DWORD m_waitBits = 0;
    int m_waitCycles = 0;
    int m_focusRequest = 0;
    bool m_watching = false;
    int m_shownServo = -1;
    int m_shownBrake = -1;
    // The buttons' icons; servo and brake show their state (off, on).
    WindowIcons m_icons;
    HICON m_servoIcons[2]{};
    HICON m_brakeIcons[2]{};
};
