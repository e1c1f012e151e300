// CDlgManual: the modeless panel with which a person moves the current
// controller by hand: jog while a button is held, inch one step, teach the
// current position into the point table, start the point program, stop, and
// edit the speed (K9), jog speed (K10) and inch distance (K11).
//
// Safety: the STOP button is never disabled while a motion started here may
// run, Escape anywhere in the panel stops the axis too, and every failure of
// a command gives the panel back to the user.
//
// Open it from the point-table pane:
//   m_manual.Create(IDD_MANUAL, this, &data, manager.GetLink(), manager.GetProtocol(), node, &referenceSet, &manager);
// and feed it RefreshParameterValues, EnableOperation, SetBusy, SetSelectedPoint.
#pragma once

#include "manager/dialogs/ConnectableDialog.h"
#include "manager/dialogs/DialogHelpers.h"
#include "manager/widgets/JogButton.h"
#include "manager/widgets/SevenSegmentDisplay.h"

#include "platform/ui/Edit.h"

#include <memory>

class CDataManager;
class CFrameWnd;
class StatusCells;
struct ControllerStatus;
struct RobotParameterSet;

// To the parent (the point-table pane) and its frame (the controller window).
inline constexpr UINT UM_MANUAL_CURRENT_POINT = WM_APP + 0x14;  // posted, wParam D13
inline constexpr UINT UM_MANUAL_TEACH = WM_APP + 0x15;          // wParam the raw position
inline constexpr UINT UM_MANUAL_HAS_UNSENT = WM_APP + 0x29;     // answer non-zero: unsent point data
inline constexpr UINT UM_MANUAL_SEND_POINTS = WM_APP + 0x3B;    // answer non-zero: sending failed
inline constexpr UINT UM_MANUAL_ACCESS_LEVEL = WM_APP + 0x4A;   // wParam the new level
inline constexpr UINT UM_MANUAL_PARAM_WRITTEN = WM_APP + 0x5E;  // wParam 8 (K9), 9 (K10), 10 (K11)

class CDlgManual : public CConnectableDialog {
public:
    static constexpr UINT_PTR kDisplayTimer = 468;
    static constexpr UINT_PTR kJogWatchTimer = 5000;
    static constexpr UINT kTimerPeriodMs = 200;
    static constexpr DWORD kStopWaitMs = 2000;
    static constexpr COLORREF kEditedColour = 0xCCCCFF;
    static constexpr COLORREF kFrameColour = 0xD39E71;

    CDlgManual();
    ~CDlgManual() override;

    BOOL Create(UINT nIDTemplate, CWnd* pParent, ControllerData* pData, CCommManager* pLink,
                CControllerProtocol* pProtocol, int nNode, RobotParameterSet* pReference,
                CDataManager* pManager = nullptr);

    void RefreshParameterValues();
    void EnableOperation(BOOL bEnable, BOOL bAll);
    void SetBusy(BOOL bBusy);
    void SetSelectedPoint(int point) { m_selectedPoint = point; }
    int GetSelectedPoint() const { return m_selectedPoint; }
    void SetFollowCurrentPoint(bool follow) { m_follow = follow; }
    bool GetFollowCurrentPoint() const { return m_follow; }
    void SetAccessLevel(int level) { m_accessLevel = level; }

    bool IsTraceRunning() const { return m_traceRunning; }
    bool IsJogRunning() const { return m_jogRunning; }
    // The stop of the panel: also what the desktop terminal's stop performs.
    void OnStop();

    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    BOOL OnInitDialog() override;
    void OnCommandEnded(WPARAM wParam) override;
    void OnOK() override {}
    void OnCancel() override;

    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg void OnTeachPosition();
    afx_msg void OnStartTrace();
    afx_msg LRESULT OnJogPress(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnJogRelease(WPARAM wParam, LPARAM lParam);
    afx_msg void OnInchMinus();
    afx_msg void OnInchPlus();
    afx_msg void OnStopClicked();
    afx_msg void OnWriteK9();
    afx_msg void OnWriteK10();
    afx_msg void OnWriteK11();
    afx_msg void OnChangeK9();
    afx_msg void OnChangeK10();
    afx_msg void OnKillFocusK9();
    afx_msg void OnKillFocusK10();
    afx_msg void OnSetFocusK11();
    afx_msg void OnKillFocusK11();
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    afx_msg LRESULT OnAccessLevelChanged(WPARAM wParam, LPARAM lParam);
    afx_msg void OnPaint();
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    RobotParameterSet* EditedSet() const;
    int Decimals() const;
    void SetRunState(int state);
    int RunState() const;
    bool ModeIsRunning() const;
    // Every control but STOP, the K9 edit and its write button.
    void EnableMotionControls(bool enable);
    void GiveBackPanel();
    void Inch(BOOL forward);
    void WriteWithConfirmation(int k, UINT labelId);
    BOOL WriteParameterValue(int k);
    void TakeClampedInteger(int id, int k);
    void TakeK11();
    void MarkEdited(int index, int id, int value, int reference);
    void ApplyLbLayout(bool restricted);
    bool JogKeyHeld() const;
    CFrameWnd* ParentFrame() const;
    bool IsOwnFrameActive() const;
    // The polled status record when it is this panel's controller's.
    bool OwnStatus(ControllerStatus& status) const;

    CDataManager* m_pManager = nullptr;
    RobotParameterSet* m_pReference = nullptr;
    std::shared_ptr<StatusCells> m_cells;
    CJogButton m_jogMinus;
    CJogButton m_jogPlus;
    CSevenSegmentDisplay m_display;
    CBrush m_editedBrush;
    CFont m_normalFont;
    CFont m_boldFont;
    bool m_traceRunning = false;
    bool m_jogRunning = false;
    bool m_stopAllowed = true;
    bool m_stopRequested = false;  // the end that follows is the user's stop
    bool m_follow = false;
    bool m_initialising = true;
    bool m_edited[3] = {false, false, false};
    bool m_lbRestricted = false;
    int m_runState = 0;
    int m_selectedPoint = 1;
    int m_accessLevel = 0;
    CString m_k11Text;
    CRect m_firstPlaces[14];
    WindowIcons m_icons;
    HACCEL m_accelerators;
};
