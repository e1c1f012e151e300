// The simulator's one working window: the controller and robot, the point
// list, the servo parameters, the motion list, the run and its results. Its
// data are one controller's data, fresh from the database, read from a data
// file, or (exchange mode, "/ES") handed over by the manager through the
// shared block and written back when it closes.
#pragma once

#include "htmltip/HtmlToolTip.h"
#include "manager/core/ControllerData.h"
#include "manager/core/LibraryBindings.h"
#include "manager/core/SharedMemoryLink.h"
#include "manager/widgets/FlxGrid.h"
#include "platform/ui/ComboBox.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/TabCtrl.h"
#include "simulator/core/MotionList.h"
#include "simulator/core/MoveRun.h"
#include "simulator/ui/MotionGrid.h"
#include "simulator/ui/PointGrid.h"
#include "simulator/ui/TranServoSimPrmDlg.h"

#include <map>
#include <vector>

class CResultDetailDlg;

// Notifications of the servo page about its carried masses; the current
// calculation that would use them is not part of this program.
inline constexpr UINT UM_CURRENTPARAMCHANGED = WM_USER + 102;

class CSimulatorDlg : public CDialog {
public:
    explicit CSimulatorDlg(CWnd* pParent = nullptr);
    ~CSimulatorDlg() override;

    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}
    BOOL PreTranslateMessage(MSG* pMsg) override;

    // Data file commands (offline only).
    void OnFileOpen();
    // False when the file could not be written: the caller must not go on
    // as if the data were safe.
    bool OnFileSave();
    bool OnFileSaveAs();
    void OnFileClose();
    void OnSaveMotionSettings();
    void OnOpenMotionSettings();
    bool WriteMotionSettings(const CString& path);
    bool ReadMotionSettings(const CString& path);

    void LoadPointList();
    bool LoadRobotNames(int controllerIndex);
    void OnSelchangeController();
    void OnSelchangeRobot();
    void OnSpeedUnitsChanged();
    void OnPointDetail();
    // Add and delete the last motion row; false when nothing changed.
    bool AddMotion();
    bool DeleteMotion();
    void CommitMotionCell(int row, int col);
    void OnExecute();
    void FillResultTable();
    void OnCopyResults();
    void OpenResultDetail();
    void SetTitleText(const CString& name);
    void ShowFileIdentity();
    void RestoreControllerLists();
    bool PointsModified() const;
    bool ParametersModified() const;
    void RefreshPointRefs();
    CString GetRobotName() const;
    // The close road of the system menu and File > Exit.
    void CloseDialog();

    // For the servo page.
    int SpeedUnits() const { return m_nSpeedUnits; }
    int StrokeDataResult() const { return m_nStrokeResult; }
    CPointGrid& PointGrid() { return m_pointGrid; }
    // The result detail window (the window clears it when it goes).
    void DetailClosed() { m_pDetail = nullptr; }
    CResultDetailDlg* DetailWindow() const { return m_pDetail; }
    const std::vector<MotionResult>& Results() const { return m_results; }
    const ResultDetailSettings& DetailSettings() const { return m_detailSettings; }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

    afx_msg void OnSysCommand(UINT nID, LPARAM lParam);
    afx_msg void OnDestroy();
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnGetMinMaxInfo(MINMAXINFO* lpMMI);
    afx_msg void OnMenuFile();
    afx_msg void OnMenuHelp();
    afx_msg void OnModeChanged();
    afx_msg LRESULT OnPointsChanged(WPARAM, LPARAM);
    afx_msg LRESULT OnCurrentParamChanged(WPARAM, LPARAM);
    afx_msg void OnTabChanged(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnMotionGridNotify(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnResultGridDblClk(NMHDR* pNMHDR, LRESULT* pResult);
    DECLARE_MESSAGE_MAP()

private:
    void InitMotionGrid();
    void InitResultGrid();
    void RenderMotionRow(int row);
    void RenderAllMotions();
    void ShowMotionModeButtons();
    void ShowMenu(UINT buttonId, int popupIndex);
    void UpdateMenuItems(HMENU menu);
    void ShowMotionBalloon(int row, POINT screenPoint);
    MoveSource Source() const;
    void ReadControls();
    void EndWithResult(int result);
    void CaptureLayout();
    void CloseDetailWindow();

    HICON m_hIcon{};
    CPointGrid m_pointGrid;
    CMotionGrid m_motionGrid;
    CFlxGrid m_resultGrid;
    int m_bExchange = 0;
    CSharedMemoryLink m_link;
    CTranServoSimPrmDlg m_servoPage;
    CResultDetailDlg* m_pDetail = nullptr;
    std::vector<MotionResult> m_results;
    // The rows of the result table as last filled.
    std::vector<ResultTableRow> m_resultRows;
    ResultDetailSettings m_detailSettings;
    int m_bFileOpen = 0;
    CString m_strPath;
    ControllerDataStore m_store;
    ControllerDataSlot m_work;
    ControllerDataSlot m_reference;
    std::vector<ControllerNamePair> m_controllers;
    int m_nStrokeResult = 0;
    int m_nSpeedUnits = 0;
    CComboBox m_controllerCombo;
    CComboBox m_robotCombo;
    int m_nSpeedFlags = 2;
    int m_nDecimals = 2;
    CTabCtrl m_tab;
    int m_nMotionMode = 0;
    MotionList m_motions;
    CHtmlToolTip m_tooltip;
    MoveCheckError m_error;
    int m_bLibraryLoaded = 0;
    int m_nBalloonRow = 0;
    bool m_bLayoutReady = false;
    RECT m_initialClient{};
    RECT m_initialWindow{};
    std::map<int, RECT> m_initialRects;
};
