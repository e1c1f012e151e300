// The result detail window: for the move chosen in its list, or for all
// moves (the TOTAL entry), the times, distances, peak speed and acceleration
// and the speed chart with zoom and scrolling. One at most exists; the main
// dialog refreshes it after every run.
#pragma once

#include "htmltip/IconButton.h"
#include "manager/widgets/NumberEdit.h"
#include "platform/ui/ComboBox.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/ScrollBar.h"
#include "simulator/core/MoveTypes.h"
#include "simulator/ui/WaveGraph.h"

#include <cstdint>
#include <memory>
#include <vector>

class CSimulatorDlg;

class CResultDetailDlg : public CDialog {
public:
    static constexpr int kFieldCount = 15;

    CResultDetailDlg(const CString& title, bool singleMove, CSimulatorDlg* main);

    BOOL CreateWindowFor(CWnd* parent);
    void Refresh(const CString& title, bool singleMove);
    // The main dialog is going; the window no longer reports to it.
    void DetachFromMain() { m_pMain = nullptr; }

    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}

protected:
    void PostNcDestroy() override;
    afx_msg void OnClose();
    afx_msg void OnZoomIn();
    afx_msg void OnZoomOut();
    afx_msg void OnMoveChanged();
    afx_msg void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    DECLARE_MESSAGE_MAP()

private:
    void FillMoveList();
    void FillValues(int item);
    // The values and the chart of a list item.
    void ShowItem(int item);
    bool BuildChart(int item);
    void SetUpScrollBar();
    void Zoom(bool in);
    const std::vector<MotionResult>& Results() const;

    CString m_strTitle;
    bool m_bSingleMove;
    CSimulatorDlg* m_pMain;
    CWaveGraph m_chart;
    CIconButton m_zoomIn;
    CIconButton m_zoomOut;
    CComboBox m_moves;
    CScrollBar m_scroll;
    std::vector<std::unique_ptr<CNumberEdit>> m_fields;
    CFont m_boldFont;
    // The value fields' background; red is kept for currents above their limit.
    CBrush m_whiteBrush;
    CBrush m_redBrush;
    std::int64_t m_totalMs = 0;
    bool m_zoomInEnabled = true;
    bool m_zoomOutEnabled = true;
    // The scroll position last drawn; a refresh or another move starts over.
    int m_lastScroll = -1;
};
