// The real-time trace window: one controller node records up to four
// signals, the window draws them as one to four graphs that the user
// scrolls, zooms and measures with the cursors A and B, and saves them as
// trace data files. The manager runs it modally:
//
//   CKXWatcherDlg* pDlg = new CKXWatcherDlg(0, 0, nullptr);
//   pDlg->SetCommMan(pCommMan);              // the data manager's link
//   pDlg->SetNodeNo(nNode);                  // the controller's K38
//   pDlg->SetAppHelpPath(strHelpPath);
//   pDlg->DoModal();                         // 0 when the language library is missing
//   pDlg->DestroyWindow();
//   delete pDlg;
//
// The data model, acquisition, settings file and trace data file are the
// tools library's (CTraceModel, CTraceAcquisition, "rtt.ini", CTrcDatFile);
// this class is their window. Its commands are those of its menu (offered
// by the tool bar's menu buttons and the right mouse button), its tool bar
// and its accelerators.
#pragma once

#include "tools/OwnerDrawComboBox.h"
#include "tools/ToolsLibrary.h"
#include "tools/TraceAcquisition.h"
#include "tools/TraceModel.h"
#include "tools/trace/ColorStatusBar.h"
#include "tools/trace/TraceDrawing.h"

#include "platform/ui/Accelerator.h"
#include "platform/ui/ComboBox.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/ScrollBar.h"
#include "platform/ui/StatusBar.h"
#include "platform/ui/ToolBar.h"

#include <functional>
#include <memory>
#include <vector>

class CCommManager;
class CExecTraceDlg;
class CSimpleTermDlg;
class CSmplOpeDlg;
class CTRDViewerDlg;
class CTraceToolWindows;

// Messages between the trace window, its execution window and its timers.
inline constexpr UINT WM_TRACE_UPDATE_SCREEN = 0x9DD;
inline constexpr UINT WM_TRACE_INIT_SETTING = 0x9DE;
inline constexpr UINT WM_TRACE_START_TRIGGER = 0xAA6;
inline constexpr UINT WM_TRACE_END_TRIGGER = 0xAA7;
inline constexpr UINT WM_TRACE_REPEAT_TRIGGER = 0xAA8;
inline constexpr UINT WM_TRACE_ABORT_TRIGGER = 0xAA9;
inline constexpr UINT WM_TRACE_MANUAL_TRIGGER = 0xAAA;
inline constexpr UINT WM_TRACE_START_MONITOR = 0xAAB;
inline constexpr UINT WM_TRACE_STOP_MONITOR = 0xAAC;
inline constexpr UINT WM_TRACE_BLINK = 0xAAD;

class CKXWatcherDlg : public CDialog {
    DECLARE_DYNAMIC(CKXWatcherDlg)

public:
    static const std::int32_t* const m_nZoomRate;

    // nAltTitle: the alternative window title with Scroll Lock on; nRange:
    // handed to the set-up dialog, and adds the simple terminal command.
    CKXWatcherDlg(int nAltTitle = 0, int nRange = 0, CWnd* pParent = nullptr);
    // A trace-file viewer's base: both integers from the owner; no link.
    CKXWatcherDlg(UINT nIDTemplate, CKXWatcherDlg* pOwner, CWnd* pParent);
    ~CKXWatcherDlg() override;

    void SetCommMan(CCommManager* pCommMan) { m_pCommMan = pCommMan; }
    CCommManager* GetCommMan() const { return m_pCommMan; }
    void SetNodeNo(int nNodeNo) { m_nNodeNo = nNodeNo; }
    int GetNodeNo() const { return m_nNodeNo; }
    void SetAppHelpPath(const CString& strPath) { m_strHelpPath = strPath; }
    // The second construction argument, handed to the set-up dialog.
    int GetRangeFlag() const { return m_nRange; }
    const CString& GetAppHelpPath() const { return m_strHelpPath; }

    BOOL IsTracing() const { return m_model.IsTracing(); }
    BOOL IsTraceStarted() const { return IsTracing(); }
    std::int32_t GetUpdatePointer() const { return m_model.GetUpdatePointer(); }
    std::int32_t GetPtrLoopedFlag() const { return m_model.GetPtrLoopedFlag(); }
    int GetTraceSet(tracesettag& traceSet) { return m_pAcq ? m_pAcq->GetTraceSet(traceSet) : 0; }
    int SetTraceSet(const tracesettag& traceSet) { return m_pAcq ? m_pAcq->SetTraceSet(traceSet) : 0; }
    int GetRobConSet(robconsettag& robCon) { return m_pAcq ? m_pAcq->GetRobConSet(robCon) : 0; }
    void ResetData() { m_model.ResetData(); }
    // This window, one of its viewers or the calculator runs a modal dialog.
    BOOL IsModalOpen() const;
    // Cascades or tiles this window and its viewers on the monitor that shows it.
    static constexpr int kArrangeCascade = 0;
    static constexpr int kArrangeTileHorz = 1;
    static constexpr int kArrangeTileVert = 2;
    BOOL ArrangeKXWindows(int nHow);

    // Tool windows tell the window they are gone.
    void EndExecTrcDlg();
    void EndTermDlg();
    void EndOpeDlg();
    CExecTraceDlg* GetExecTraceDlg() const { return m_pExecDlg; }
    CSmplOpeDlg* GetSimpleOpeDlg() const { return m_pOpeDlg; }
    CSimpleTermDlg* GetSimpleTermDlg() const { return m_pTermDlg; }

    // The A-B cursor window, the calculator and the trace-file viewers of the
    // live window (a viewer answers its owner's); they tell it when they go.
    CTraceToolWindows* ToolWindows() const;
    void EndABCursorDlg();
    void EndCalcDlg();
    void CloseViewer(CTRDViewerDlg* pViewer);

    // The set-up dialog of the trace (built elsewhere) is run through this
    // hook: it edits the model's records and returns IDOK or IDCANCEL.
    using TraceSetupRunner = std::function<INT_PTR(CKXWatcherDlg& window, CTraceModel& model)>;
    static void SetTraceSetupRunner(TraceSetupRunner runner);
    // Likewise the options sheet: it edits the model's options, IDOK or
    // IDCANCEL. A viewer runs it on its live window's model: the sheet then
    // sets the screen copy alone.
    static void SetTraceOptionsRunner(TraceSetupRunner runner);

    INT_PTR DoModal() override;
    virtual BOOL DoFileSave();
    virtual BOOL DoSave(const CString& strPath);
    BOOL PreTranslateMessage(MSG* pMsg) override;
    void WinHelpW(DWORD_PTR dwData, UINT nCmd = 1);

    // For the tool windows, the viewer and the tests' pictures.
    CTraceModel& Model() { return m_model; }
    const TraceLayout& Layout() const { return m_layout; }
    const TraceView& View() const { return m_view; }
    CDlgStatusBar& StatusBar() { return m_statusBar; }
    int GetLanguage() const { return m_nLanguage; }
    CReplyReceiver* Receiver() { return m_pAcq ? &m_pAcq->Receiver() : nullptr; }
    // The settings file used (tests point it elsewhere before DoModal).
    void SetIniPath(const CString& strPath) { m_strIniPath = strPath; }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}

    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC*) { return TRUE; }
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnGetMinMaxInfo(MINMAXINFO* lpMMI);
    afx_msg void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    afx_msg void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    afx_msg LRESULT OnMouseWheel(WPARAM wParam, LPARAM lParam);
    afx_msg void OnMouseMove(UINT nFlags, CPoint point);
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
    afx_msg void OnRButtonUp(UINT nFlags, CPoint point);
    afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    afx_msg void OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized);
    afx_msg LRESULT OnDropFiles(WPARAM wParam, LPARAM lParam);
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg void OnDestroy();
    afx_msg void OnSysCommand(UINT nID, LPARAM lParam);
    afx_msg LRESULT OnKickIdle(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnHelpInfo(WPARAM wParam, LPARAM lParam);

    afx_msg LRESULT OnCommNotify(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnInitSetting(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnUpdateScreen(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnStartMonitorModTrace(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnStopMonitorModTrace(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnStartTriggerModTrace(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnEndTrigModTrace(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnRepeatTrigModTrace(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnAbortTrigModTrace(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnManualTrigger(WPARAM wParam, LPARAM lParam);

    afx_msg void OnMenuButton(UINT nID);
    afx_msg void OnKxwHelpToc();
    afx_msg void OnKxwAbout();
    afx_msg void OnKxwFileExit();
    afx_msg void OnMonitorMode();
    afx_msg void OnTriggerMode();
    afx_msg void OnEraseRipple();
    afx_msg void OnZoomIn();
    afx_msg void OnZoomOut();
    afx_msg void OnACursorSetMode();
    afx_msg void OnBCursorSetMode();
    afx_msg void OnACursorShow();
    afx_msg void OnBCursorShow();
    afx_msg void OnRippleRange();
    afx_msg void OnLegendType();
    afx_msg void OnGaugeType();
    afx_msg void OnABDetails();
    afx_msg void OnGraphPosSel();
    afx_msg void OnTraceSetting();
    afx_msg void OnStartTrace();
    afx_msg void OnKxwToolOption();
    afx_msg void OnKxwEditScreencopy();
    afx_msg void OnKxwToolSTerm();
    afx_msg void OnKxwToolSOpeDlg();
    afx_msg void OnKxwFileOpen();
    afx_msg void OnKxwFileSave();
    afx_msg void OnKxwFileSaveAs();
    afx_msg void OnKxwFileClose();
    afx_msg void OnKxwWindowCascade();
    afx_msg void OnKxwWindowTileHorz();
    afx_msg void OnKxwWindowTileVert();
    afx_msg void OnKxwToolABCrsrDlg();
    afx_msg void OnKxwToolCalcDlg();
    afx_msg void OnSelChangeABDetailsChCmb();
    afx_msg void OnSelChangeGraphNoCmb();
    afx_msg void OnSelChangePositionCmb();

    afx_msg void OnUpdateIdleTrace(CCmdUI* pCmdUI);
    afx_msg void OnUpdateIdleLive(CCmdUI* pCmdUI);
    afx_msg void OnUpdateMonitorMode(CCmdUI* pCmdUI);
    afx_msg void OnUpdateTriggerMode(CCmdUI* pCmdUI);
    afx_msg void OnUpdateZoomIn(CCmdUI* pCmdUI);
    afx_msg void OnUpdateZoomOut(CCmdUI* pCmdUI);
    afx_msg void OnUpdateACursorSetMode(CCmdUI* pCmdUI);
    afx_msg void OnUpdateBCursorSetMode(CCmdUI* pCmdUI);
    afx_msg void OnUpdateACursorShow(CCmdUI* pCmdUI);
    afx_msg void OnUpdateBCursorShow(CCmdUI* pCmdUI);
    afx_msg void OnUpdateRippleRange(CCmdUI* pCmdUI);
    afx_msg void OnUpdateLegendType(CCmdUI* pCmdUI);
    afx_msg void OnUpdateGaugeType(CCmdUI* pCmdUI);
    afx_msg void OnUpdateABDetails(CCmdUI* pCmdUI);
    afx_msg void OnUpdateGraphPosSel(CCmdUI* pCmdUI);
    afx_msg void OnUpdateStartTrace(CCmdUI* pCmdUI);
    afx_msg void OnUpdateFileClose(CCmdUI* pCmdUI);
    afx_msg void OnUpdateLiveWindow(CCmdUI* pCmdUI);
    DECLARE_MESSAGE_MAP()

    // The layout after a change of size, title, split, side panel or selectors.
    void RecalcGraphSize();
    // Height of the menu bar and the tool bar together.
    int BarsHeight();
    void ShowABDetailsCombo();
    void UpdateGraphSetCombo();
    void RefreshStatusPanes();
    void UpdateTitle();
    void InvalidateGraph();
    BOOL LoadFileIntoWindow(const CString& strPath);
    BOOL CopyToClipBoard(const CRect& rcArea);
    BOOL CopyToBmpFile(const CRect& rcArea);
    void ScrollTo(std::int64_t nPos);
    void ZoomTo(std::int32_t nZoom);
    void MoveCursor(int nCursor, std::int32_t nSample, BOOL bFollow);
    void SetCloseEnabled(BOOL bEnable);
    void ShowLinkErrorMessage();
    void ApplySetup();
    // The options sheet on the model given (while the window counts as
    // running a modal dialog); FALSE without the sheet or on Cancel.
    BOOL RunOptionsSheet(CTraceModel& model);
    void ArmIdleUpdate();
    // The A-B cursor window reads this window's cursors and trace anew.
    void RefreshToolWindows();

    CTraceModel m_model;
    std::unique_ptr<CTraceAcquisition> m_pAcq;
    TraceLayout m_layout;
    TraceView m_view;
    TraceFonts m_fonts;
    TraceCanvas m_canvas;

    CCommManager* m_pCommMan = nullptr;
    HWND m_hPrevWnd;
    int m_nNodeNo = 0;
    CString m_strHelpPath;
    CString m_strIniPath;
    int m_nAltTitle = 0;
    int m_nRange = 0;
    int m_nLanguage = 1;
    CLangLibrarySwap m_lang;
    BOOL m_bCreated = FALSE;
    BOOL m_bModalRunning = FALSE;
    BOOL m_bErrorReported = FALSE;
    int m_nCursorSetMode = 0;  // 0 none, 1 A, 2 B
    int m_nDragCursor = -1;    // 0 A, 1 B while dragged
    int m_nDetailsRefresh = 0;
    int m_nLastPhase = 0;

    CToolBar m_menuBar;  // the menus
    CToolBar m_toolBar;  // the commands used most
    CDlgStatusBar m_statusBar;
    CScrollBar m_scroll;
    // "CH<n>" of each drawn channel with its colour, the graphs, the positions.
    CColorSwatchComboBox m_cmbABChannel;
    std::vector<std::int32_t> m_abChannels;  // the channel of each entry
    COwnerDrawComboBox m_cmbGraphNo;
    COwnerDrawComboBox m_cmbPosition;
    HACCEL m_hAccel;

    CExecTraceDlg* m_pExecDlg = nullptr;
    CSimpleTermDlg* m_pTermDlg = nullptr;
    CSmplOpeDlg* m_pOpeDlg = nullptr;
    // The live window's tool windows and viewers (none in a viewer), and
    // the window that keeps them.
    std::unique_ptr<CTraceToolWindows> m_pTools;
    CKXWatcherDlg* m_pToolOwner = this;

    friend class CExecTraceDlg;
    friend class CSimpleTermDlg;
    friend class CSmplOpeDlg;
    friend class CTRDViewerDlg;
};
