// The status strip of an online controller window: the position on a
// seven-segment display, four lamps, the controller's state, the active
// alarm (blinking) and the link state. It reads the status cells that the
// poll fills for the current controller, so it moves only while its window
// is the active one.
#pragma once

#include "manager/core/StatusCells.h"
#include "manager/widgets/LedLamp.h"
#include "manager/widgets/SevenSegmentDisplay.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/Edit.h"
#include "platform/ui/GdiObject.h"

#include <atomic>
#include <memory>
#include <optional>

class CDlgControllerStatus : public CDialog {
public:
    static constexpr UINT_PTR kTimerId = 389;
    static constexpr UINT kTimerMs = 200;
    // Link states a window gives its panel.
    static constexpr int kLinkConnected = 9;
    static constexpr int kLinkDisconnected = 0;
    static constexpr int kLinkTimedOut = 255;

    CDlgControllerStatus();
    ~CDlgControllerStatus() override;

    // Binds the panel to a controller: its position decimals, the data
    // manager's alarm byte reader, the link state and how the poll marks the
    // controller's status records.
    void SetController(int decimals, std::function<BYTE()> alarmCode, int kind, StatusSource source = {});
    void SetModelLB(bool lb);
    void SetConnectionKind(int kind);
    int ConnectionKind() const { return m_kind; }
    // One refresh from the status cells (the timer's work while this panel's window is active).
    void Refresh();
    CString AlarmText() const { return m_alarmText; }

protected:
    BOOL OnInitDialog() override;
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    void StartTimer();
    void ShowLamps(bool show);
    bool IsOwnFrameActive();
    void ShowSnapshot(const StatusSnapshot& values);

    CLedLamp m_lamps[4];
    CSevenSegmentDisplay m_position;
    CEdit m_edits[4];
    CFont m_bold;
    int m_decimals = 0;
    std::function<BYTE()> m_alarmCode;
    int m_lastAlarm = -1;
    int m_kind = 0;
    StatusSource m_source;
    bool m_lb = false;
    CString m_alarmText;
    CString m_linkText;
    unsigned m_counter = 0;
    bool m_timer = false;
    std::optional<StatusSnapshot> m_last;
    std::optional<WORD> m_shownInputs;
    std::optional<DWORD> m_shownOptions;
};
