// The calculator: for every drawn channel of one trace window (its source,
// see CTraceToolDlg) the maximum and minimum with the times they occur at,
// the average and the root mean square over a stretch of samples, worked
// out when the user presses Calculate. Its set-up dialog chooses the
// quantities and the stretch.
#pragma once

#include "tools/trace/TraceToolWindows.h"

class CCalcSetupDlg : public CDialog {
    DECLARE_DYNAMIC(CCalcSetupDlg)

public:
    CCalcSetupDlg(CalcSettings* pSettings, CWnd* pParent);

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    afx_msg void OnBetweenCursors();
    DECLARE_MESSAGE_MAP()

private:
    void EnableStretchChoice();

    CalcSettings* m_pSettings;
};

class CCalculatorDlg : public CTraceToolDlg {
    DECLARE_DYNAMIC(CCalculatorDlg)

public:
    CCalculatorDlg();

    // The settings the window starts with (before Show).
    void SetSettings(const CalcSettings& settings) { m_settings = settings; }
    const CalcSettings& Settings() const { return m_settings; }
    // Reads this source from the next calculation on; new columns when it changed.
    void SetSource(CKXWatcherDlg* pSource) override;
    BOOL IsModalOpen() const { return m_bModalRunning; }
    // Calculate: the quantities of the stretch for every drawn channel of the source.
    afx_msg void Calculate();

protected:
    BOOL OnInitDialog() override;
    RECT& SavedRect() override;
    std::int32_t& ShownOnce() override;
    void TellOwnerGone() override;
    // The values shown belong to a trace that is gone: the owner's instead.
    void OnSourceGone() override { Calculate(); }

    afx_msg void OnSetup();
    DECLARE_MESSAGE_MAP()

private:
    void BuildColumns();

    CalcSettings m_settings;
    CalcSettings m_columnsBuilt;
    BOOL m_bColumnsStale = TRUE;
    BOOL m_bModalRunning = FALSE;
};
