// CDlgAlarm: a controller's alarms. Online (after SetOnlineSource) it shows
// the active alarms, warnings and current message, refreshed every second,
// and the alarm history read on opening and on request; it resets the
// controller and saves the history as an alarm history file. Offline (after
// LoadAlarmFile) it shows a saved history file.
//
// The refresh runs on the user-interface thread from a timer: each read
// borrows the link for its queries and fills the lists itself, so no other
// thread ever touches the windows.
//
// Callers:
//   CDlgAlarm dlg;  dlg.SetOnlineSource(&data, link, protocol, node, name, robot);  dlg.DoModal();
//   CDlgAlarm dlg;  dlg.LoadAlarmFile(path);  dlg.DoModal();
//   CString text = CDlgAlarm::ReadAlarmText(&data, link, protocol, node);  // the caller holds the link
#pragma once

#include "manager/dialogs/ConnectableDialog.h"
#include "manager/widgets/ListCtrlEx.h"

#include "htmltip/HtmlToolTip.h"

class CDlgAlarm : public CConnectableDialog {
public:
    static constexpr UINT_PTR kRefreshTimer = 1;
    static constexpr UINT kRefreshPeriodMs = 1000;

    explicit CDlgAlarm(CWnd* pParent = nullptr);
    ~CDlgAlarm() override;

    void SetOnlineSource(ControllerData* pData, CCommManager* pLink, CControllerProtocol* pProtocol, int nNode,
                         const CString& controllerName, const CString& robotName);
    void LoadAlarmFile(const CString& path);
    // The history as an alarm history file's text; empty after a time-out.
    static CString ReadAlarmText(ControllerData* pData, CCommManager* pLink, CControllerProtocol* pProtocol,
                                 int nNode);
    // Writes the alarm text: false when the file cannot be written.
    BOOL SaveAlarmFile(const CString& path) const;

    const CString& GetAlarmText() const { return m_alarmText; }
    bool IsOnline() const { return m_online; }
    // The live lists are no longer refreshed (a read timed out).
    bool IsRefreshStopped() const { return m_stopped; }

    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    BOOL OnInitDialog() override;
    bool Layout(int cx, int cy) override;
    void OnOK() override {}

    afx_msg void OnReadHistory();
    afx_msg void OnSave();
    afx_msg void OnReset();
    afx_msg void OnListClick(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnGetMinMaxInfo(MINMAXINFO* lpMMI);
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    // Reads ALM or WARN (alarms false) into its list; false on a time-out.
    bool ReadAlarmList(bool warnings);
    bool ReadCurrentMessage();
    bool ReadHistory();
    void FillHistoryList();
    // The history label with the time of the read, and the history list.
    void ShowHistory();
    void RefreshLiveLists();
    void TimedOut();
    void SetupColumns(CListCtrlEx& list, bool history);
    int PositionDecimals() const;

    CListCtrlEx m_alarmList;
    CListCtrlEx m_warningList;
    CListCtrlEx m_historyList;
    CListCtrlEx m_messageList;
    CHtmlToolTip m_tooltip;
    CString m_title;
    CString m_timeText;
    CString m_alarmText;
    bool m_online = false;
    bool m_stopped = false;
    bool m_reading = false;
    bool m_timeoutShown = false;
    CSize m_initialSize;
};
