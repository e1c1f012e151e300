// The A-B cursor window: the times at the cursors A and B of one trace
// window and the time between them, and for every drawn channel the values
// at A and B and their difference. Three spins move A, B, or both at once.
// It reads the live trace window or a trace-file viewer (its source, see
// CTraceToolDlg); while the source traces it reads again every second.
#pragma once

#include "tools/trace/TraceToolWindows.h"

#include "platform/ui/SpinButtonCtrl.h"

class CABCursorDlg : public CTraceToolDlg {
    DECLARE_DYNAMIC(CABCursorDlg)

public:
    static constexpr UINT_PTR kTraceTimer = 1200;
    static constexpr UINT kTracePeriodMs = 1000;

    CABCursorDlg();

    // Reads this source from now on and shows its cursors (null: the owner's).
    void Refresh(CKXWatcherDlg* pSource);

protected:
    BOOL OnInitDialog() override;
    RECT& SavedRect() override;
    std::int32_t& ShownOnce() override;
    void TellOwnerGone() override;
    void OnSourceGone() override { Refresh(nullptr); }

    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg void OnDeltaPosA(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnDeltaPosB(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnDeltaPosAB(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    void FillReadout();
    void EnableControls();
    // Moves the cursors of the source (each clamped to 0..N) and redraws it;
    // the spins follow, but the one stepping sets its own position.
    void MoveCursors(std::int64_t nA, std::int64_t nB, const CSpinButtonCtrl* pStepping);

    CSpinButtonCtrl m_spinA;
    CSpinButtonCtrl m_spinB;
    CSpinButtonCtrl m_spinAB;
};
