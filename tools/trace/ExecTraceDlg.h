// The small modeless window that runs one trace of the trace window: it
// starts the trace when it appears, shows how far the trace has come and
// offers stop (monitor mode), abort and manual trigger (trigger mode). It
// talks to the trace window only by posted messages and reads its trigger
// state for the progress text. However it is closed (its buttons, its
// caption, the trace window going away) the trace it runs stops.
#pragma once

#include "tools/TraceSettings.h"

#include "platform/ui/Dialog.h"

class CKXWatcherDlg;

class CExecTraceDlg : public CDialog {
    DECLARE_DYNAMIC(CExecTraceDlg)

public:
    static constexpr UINT_PTR kBlinkTimer = 3000;
    static constexpr UINT kBlinkPeriodMs = 600;

    CExecTraceDlg();
    ~CExecTraceDlg() override;

    // Creates the window over the trace window and shows it.
    virtual BOOL Show(CKXWatcherDlg* pOwner);
    BOOL DestroyWindow() override;

    std::int32_t m_nTraceMode = 0;  // 0 monitor, 1 trigger
    std::uint8_t m_byRepeat = 0;    // non-zero: repeated trigger traces
    const TraceTriggerState* m_pTrigState = nullptr;

    // The status text for the trigger state (what the window shows).
    CString StatusText() const;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}
    void PostNcDestroy() override;

    afx_msg void OnManualTrigger();
    afx_msg void OnAbort();
    afx_msg void OnStop();
    afx_msg void OnShowWindow(BOOL bShow, UINT nStatus);
    afx_msg void OnClose();
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg LRESULT OnTraceComplete(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnBlink(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnIdleUpdateCmdUI(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    // The stage of a trigger trace: 3 filling the pre-trigger part, 4 waiting
    // for the trigger, 5 triggered; 1 not active, 2 monitoring.
    int Stage() const;

    CKXWatcherDlg* m_pOwner = nullptr;
    BOOL m_bStarted = FALSE;
    BOOL m_bEnded = FALSE;  // stop, abort or end already sent
    BOOL m_bBlinkOn = TRUE;
};
