// CDlgIoMonitor and CDlgStatusMonitor: the modeless monitors of the current
// controller's inputs and outputs, and of its option status word and running
// values. One of each per program: the data manager creates them through the
// manager windows (IManagerWindows::CreateIoMonitor should return
// CDlgIoMonitor::CreateFor(parent), CreateStatusMonitor
// CDlgStatusMonitor::CreateFor(parent)), hides them on close and re-targets
// them at the current controller.
//
// While shown they follow the status cells on a 200 ms timer of the
// user-interface thread; hidden, they stop, and IsShown (asked by the status
// poll, which reads the I/O words only for a shown I/O monitor) says so.
#pragma once

#include "manager/core/ControllerStatus.h"
#include "manager/core/ManagerWindows.h"
#include "manager/core/StatusCells.h"
#include "manager/widgets/LedLamp.h"
#include "manager/widgets/LedLampRow.h"

#include "platform/ui/Accelerator.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/GdiObject.h"

#include <array>
#include <atomic>
#include <memory>

// One line of the I/O word tables: "00FFh     (  255)".
CString FormatIoWordLine(WORD word);

class CMonitorDialog : public CDialog {
public:
    static constexpr UINT_PTR kRefreshTimer = 1;
    static constexpr UINT kRefreshPeriodMs = 200;

    explicit CMonitorDialog(UINT nIDTemplate) : CDialog(nIDTemplate) {}
    bool Shown() const { return m_shown.load(); }
    bool Following() const { return m_following; }
    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    virtual void Refresh() = 0;
    void Follow(bool on);
    void OnOK() override {}
    void OnCancel() override { OnClose(); }
    afx_msg void OnClose();
    afx_msg void OnShowWindow(BOOL bShow, UINT nStatus);
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

    std::shared_ptr<StatusCells> m_cells;
    bool m_online = false;
    // Shown once: the user's place is kept from then on.
    bool m_placed = false;

private:
    std::atomic<bool> m_shown{false};
    HACCEL m_accelerators;
    bool m_following = false;
};

class CDlgIoMonitor : public CMonitorDialog, public IIoMonitor {
public:
    CDlgIoMonitor();
    ~CDlgIoMonitor() override;
    static std::unique_ptr<CDlgIoMonitor> CreateFor(HWND parent);

    void SetController(const CString& first, const CString& second, const CString& model, bool online) override;
    void Show() override;
    bool IsShown() const override { return Shown(); }
    void ShowMinimized(bool minimized) override;

protected:
    BOOL OnInitDialog() override;
    void Refresh() override;

private:
    void ShowWords();
    void ShowBitNames();
    void FitWindow();

    std::array<CLedLampRow, 6> m_rows;
    CFont m_fixedFont;
    WORD m_inputs = 0;
    WORD m_outputs = 0;
    WideIoBlock m_words{};
    bool m_lbLayout = false;
    bool m_first = true;
};

class CDlgStatusMonitor : public CMonitorDialog, public IStatusMonitor {
public:
    static constexpr int kLamps = 15;

    CDlgStatusMonitor();
    ~CDlgStatusMonitor() override;
    static std::unique_ptr<CDlgStatusMonitor> CreateFor(HWND parent);

    void SetController(const CString& first, const CString& second, const CString& model, int decimals,
                       bool online) override;
    void Show() override;
    bool IsShown() const override { return Shown(); }
    void ShowMinimized(bool minimized) override;

protected:
    BOOL OnInitDialog() override;
    void Refresh() override;

private:
    void ShowValues(const ControllerStatus& status, bool all);

    std::array<CLedLamp, kLamps> m_lamps;
    DWORD m_options = 0;
    ControllerStatus m_status;
    int m_decimals = 0;
    bool m_lb = false;
    bool m_first = true;
};
