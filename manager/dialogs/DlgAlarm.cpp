#include "manager/dialogs/DlgAlarm.h"

#include "manager/dialogs/DialogHelpers.h"

#include "manager/app/AlarmHistory.h"
#include "manager/core/AlarmText.h"
#include "manager/core/ControllerCommands.h"
#include "manager/core/ControllerData.h"
#include "manager/core/SharedText.h"

#include "resources/manager/ctrldlgs_ids.h"
#include "resources/manager/resource_ids.h"

#include "platform/core/MessageBox.h"
#include "platform/ui/Button.h"
#include "platform/ui/FileDialog.h"
#include "platform/ui/WindowApi.h"

namespace {

AlarmQuery Classify(BOOL ok, BYTE code, CControllerProtocol* protocol)
{
    if (ok) return code != 0 ? AlarmQuery::Ok : AlarmQuery::Failed;
    return protocol && protocol->GetLastErrorText() == CString(u"TimeOut") ? AlarmQuery::TimedOut
                                                                            : AlarmQuery::Failed;
}

CString Hex2(int code)
{
    CString text;
    text.Format(u"%2X", code);
    return text;
}

}  // namespace

BEGIN_MESSAGE_MAP(CDlgAlarm, CConnectableDialog)
    ON_BN_CLICKED(IDC_ALM_READ_HISTORY, &CDlgAlarm::OnReadHistory)
    ON_BN_CLICKED(IDC_ALM_SAVE, &CDlgAlarm::OnSave)
    ON_BN_CLICKED(IDC_ALM_RESET, &CDlgAlarm::OnReset)
    ON_NOTIFY(NM_CLICK, IDC_ALM_ALARM_LIST, &CDlgAlarm::OnListClick)
    ON_NOTIFY(NM_CLICK, IDC_ALM_WARNING_LIST, &CDlgAlarm::OnListClick)
    ON_NOTIFY(NM_CLICK, IDC_ALM_HISTORY_LIST, &CDlgAlarm::OnListClick)
    ON_WM_GETMINMAXINFO()
    ON_WM_TIMER()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CDlgAlarm::CDlgAlarm(CWnd* pParent) : CConnectableDialog(IDD_ALARM, pParent) {}

CDlgAlarm::~CDlgAlarm()
{
    if (GetSafeHwnd() && ::IsWindow(GetSafeHwnd())) DestroyWindow();
}

void CDlgAlarm::SetOnlineSource(ControllerData* pData, CCommManager* pLink, CControllerProtocol* pProtocol, int nNode,
                                const CString& controllerName, const CString& robotName)
{
    BindLink(pData, pLink, pProtocol, nNode);
    m_title.Format(IDS_CD_ALM_TITLE, static_cast<const char16_t*>(controllerName),
                   static_cast<const char16_t*>(robotName));
    m_online = true;
}

void CDlgAlarm::LoadAlarmFile(const CString& path)
{
    m_title = GetFileTitleOfPath(path);
    m_alarmText.Empty();
    LoadAlarmHistoryFile(path, m_alarmText);
    m_online = false;
}

CString CDlgAlarm::ReadAlarmText(ControllerData* pData, CCommManager* pLink, CControllerProtocol* pProtocol, int nNode)
{
    if (!pData) return CString();
    const AlarmHistoryRead read = ReadAlarmHistoryText(*pData, [&](int index, AlarmRecord& out) {
        const BOOL ok = QueryRecord(pLink, pProtocol, nNode, index, out);
        return Classify(ok, out.code, pProtocol);
    });
    return read.timedOut ? CString() : read.text;
}

BOOL CDlgAlarm::SaveAlarmFile(const CString& path) const
{
    return SaveAlarmHistoryFile(path, m_alarmText) ? TRUE : FALSE;
}

int CDlgAlarm::PositionDecimals() const
{
    const RobotParameterSet* set = m_pControllerData ? m_pControllerData->FirstParamSet() : nullptr;
    return set ? set->K(72) : 0;
}

void CDlgAlarm::SetupColumns(CListCtrlEx& list, bool history)
{
    list.SetExtendedStyle(list.GetExtendedStyle() | LVS_EX_FULLROWSELECT);
    list.InsertColumn(0, u"", LVCFMT_RIGHT, 0);
    list.InsertColumn(1, LoadText(IDS_CD_ALM_COL_NO), LVCFMT_RIGHT, 40);
    list.InsertColumn(2, LoadText(IDS_CD_ALM_COL_CODE), LVCFMT_RIGHT, 55);
    list.InsertColumn(3, LoadText(IDS_CD_ALM_COL_MESSAGE), LVCFMT_LEFT, 170);
    int next = 4;
    if (history) {
        const int widths[] = {100, 100, 80, 130, 80, 80, 80, 65, 65};
        for (int i = 0; i < 9; ++i) {
            list.InsertColumn(next, LoadText(IDS_CD_ALM_COL_TIME + i), i == 3 ? LVCFMT_LEFT : LVCFMT_RIGHT,
                              widths[i]);
            ++next;
        }
    }
    list.InsertColumn(next, u"", LVCFMT_LEFT, 0);
    list.InsertColumn(next + 1, u"", LVCFMT_LEFT, 0);
    list.FixColumn(0);
    list.FixColumn(next);
    list.FixColumn(next + 1);
}

BOOL CDlgAlarm::OnInitDialog()
{
    CConnectableDialog::OnInitDialog();
    ScopedWaitWindow wait(GetSafeHwnd(), IDS_CD_ALM_READING);
    SetWindowText(m_title);
    SetDlgItemText(IDC_ALM_ALARM_LABEL, LoadText(IDS_CD_ALM_ALARMS));
    SetDlgItemText(IDC_ALM_WARNING_LABEL, LoadText(IDS_CD_ALM_WARNINGS));
    SetDlgItemText(IDC_ALM_HISTORY_LABEL, LoadText(IDS_CD_ALM_HISTORY));
    SetDlgItemText(IDC_ALM_READ_HISTORY, LoadText(IDS_CD_ALM_READ));
    SetDlgItemText(IDC_ALM_SAVE, LoadText(IDS_CD_ALM_SAVE));
    SetDlgItemText(IDC_ALM_RESET, LoadText(IDS_CD_ALM_RESET));
    SetDlgItemText(IDCANCEL, LoadText(IDS_CD_ALM_CLOSE));
    SetDlgItemText(IDC_ALM_MESSAGE_LABEL, LoadText(IDS_CD_ALM_MESSAGE));

    m_alarmList.SubclassDlgItem(IDC_ALM_ALARM_LIST, this);
    m_warningList.SubclassDlgItem(IDC_ALM_WARNING_LIST, this);
    m_historyList.SubclassDlgItem(IDC_ALM_HISTORY_LIST, this);
    m_messageList.SubclassDlgItem(IDC_ALM_MESSAGE_LIST, this);
    SetupColumns(m_alarmList, false);
    SetupColumns(m_warningList, false);
    SetupColumns(m_messageList, false);
    SetupColumns(m_historyList, true);

    if (m_online) {
        const RobotParameterSet* set = m_pControllerData ? m_pControllerData->FirstParamSet() : nullptr;
        if (set && (set->K(20) & 3) == 1) GetDlgItem(IDC_ALM_RESET)->EnableWindow(FALSE);
        if (AcquireLink()) {
            if (ReadAlarmList(false) && ReadAlarmList(true)) {
                m_alarmText.Empty();
                ReadHistory();
            }
            ReleaseLink();
        }
        ShowHistory();
    } else {
        FillHistoryList();
    }
    if (HidesNValueColumn(m_alarmText)) {
        m_historyList.SetColumnWidth(8, 0);
        m_historyList.FixColumn(8);
    }
    m_tooltip.Create(this, TRUE);
    m_tooltip.SetCssStyles(IDS_CD_TIP_STYLES);
    m_tooltip.SetColorBk(0xFFFFFF, 0xFFF7F0, 0xD0C0C0);
    m_tooltip.SetEffectBk(13, 5);

    CRect client;
    GetClientRect(&client);
    CRect window;
    GetWindowRect(&window);
    m_initialSize = CSize(window.Width(), window.Height());
    m_bCreated = true;
    Layout(client.Width(), client.Height());
    wait.Close();

    if (m_online) {
        if (!m_stopped) SetTimer(kRefreshTimer, kRefreshPeriodMs, nullptr);
    } else {
        for (int id : {IDC_ALM_ALARM_LABEL, IDC_ALM_WARNING_LABEL, IDC_ALM_ALARM_LIST, IDC_ALM_WARNING_LIST,
                       IDC_ALM_READ_HISTORY, IDC_ALM_SAVE, IDC_ALM_RESET, IDC_ALM_MESSAGE_LABEL,
                       IDC_ALM_MESSAGE_LIST}) {
            GetDlgItem(id)->ShowWindow(SW_HIDE);
        }
    }
    return TRUE;
}

void CDlgAlarm::TimedOut()
{
    m_stopped = true;
    KillTimer(kRefreshTimer);
    if (!m_timeoutShown) {
        m_timeoutShown = true;
        ShowMessage(GetSafeHwnd(), IDS_CD_NO_ANSWER, MB_OK | MB_ICONEXCLAMATION);
    }
}

bool CDlgAlarm::ReadAlarmList(bool warnings)
{
    const AlarmCollection found = CollectAlarmRecords(kAlarmListMaxRecords, [&](int index, AlarmRecord& out) {
        BYTE code = 0;
        const BOOL ok = warnings ? QueryWarning(m_pCommManager, m_pProtocol, m_nNode, index, code)
                                 : QueryAlarm(m_pCommManager, m_pProtocol, m_nNode, index, code);
        out.code = code;
        return Classify(ok, code, m_pProtocol);
    });
    CListCtrlEx& list = warnings ? m_warningList : m_alarmList;
    list.DeleteAllItems();
    int row = 0;
    for (const AlarmRecord& record : found.records) {
        AlarmTextRecord texts;
        const bool known = LoadAlarmText(record.code, texts) == kAlarmFound;
        CString number;
        number.Format(u"%d", row + 1);
        list.InsertItem(row, u"");
        list.SetItemText(row, 1, number);
        list.SetItemText(row, 2, Hex2(record.code));
        if (known) {
            list.SetItemText(row, 3, texts.shortText);
            list.SetItemText(row, 4, texts.longText1);
            list.SetItemText(row, 5, texts.longText2);
        }
        ++row;
    }
    if (found.timedOut) {
        TimedOut();
        return false;
    }
    return true;
}

bool CDlgAlarm::ReadCurrentMessage()
{
    BYTE code = 0;
    const BOOL ok = QueryMessage(m_pCommManager, m_pProtocol, m_nNode, code);
    m_messageList.DeleteAllItems();
    if (!ok) {
        if (m_pProtocol->GetLastErrorText() == CString(u"TimeOut")) {
            TimedOut();
            return false;
        }
        return true;
    }
    AlarmTextRecord texts;
    if (IsShownMessageCode(code) && LoadAlarmText(code, texts) == kAlarmFound) {
        m_messageList.InsertItem(0, u"");
        m_messageList.SetItemText(0, 1, u"1");
        m_messageList.SetItemText(0, 2, Hex2(code));
        m_messageList.SetItemText(0, 3, texts.shortText);
        m_messageList.SetItemText(0, 4, texts.longText1);
        m_messageList.SetItemText(0, 5, texts.longText2);
    }
    return true;
}

bool CDlgAlarm::ReadHistory()
{
    if (!m_pControllerData) return false;
    const AlarmHistoryRead read = ReadAlarmHistoryText(*m_pControllerData, [&](int index, AlarmRecord& out) {
        const BOOL ok = QueryRecord(m_pCommManager, m_pProtocol, m_nNode, index, out);
        return Classify(ok, out.code, m_pProtocol);
    });
    m_timeText = CurrentAlarmTimeText();
    if (read.timedOut) {
        TimedOut();
        return false;
    }
    m_alarmText = read.text;
    return true;
}

void CDlgAlarm::FillHistoryList()
{
    m_historyList.DeleteAllItems();
    int row = 0;
    for (const AlarmHistoryRow& line : ParseAlarmHistoryText(m_alarmText)) {
        CString number;
        number.Format(u"%d", row + 1);
        m_historyList.InsertItem(row, u"");
        m_historyList.SetItemText(row, 1, number);
        for (int f = 0; f < kAlarmHistoryFields; ++f) m_historyList.SetItemText(row, 2 + f, line.fields[f]);
        AlarmTextRecord texts;
        if (line.Code() >= 0 && LoadAlarmText(line.Code(), texts) == kAlarmFound) {
            m_historyList.SetItemText(row, 13, texts.longText1);
            m_historyList.SetItemText(row, 14, texts.longText2);
        }
        ++row;
    }
}

void CDlgAlarm::RefreshLiveLists()
{
    if (m_reading || m_stopped || !m_online) return;
    m_reading = true;
    if (AcquireLink()) {
        if (ReadAlarmList(false) && ReadAlarmList(true)) ReadCurrentMessage();
        ReleaseLink();
    }
    m_reading = false;
}

void CDlgAlarm::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent == kRefreshTimer) {
        RefreshLiveLists();
        return;
    }
    CConnectableDialog::OnTimer(nIDEvent);
}

void CDlgAlarm::OnReadHistory()
{
    if (!m_online || m_reading) return;
    m_reading = true;
    ScopedWaitWindow wait(GetSafeHwnd(), IDS_CD_ALM_READING);
    if (AcquireLink()) {
        // A read that times out keeps the history that was shown.
        ReadHistory();
        ReleaseLink();
    }
    ShowHistory();
    m_reading = false;
}

void CDlgAlarm::ShowHistory()
{
    CString label;
    label.Format(u"%s ( %s )", static_cast<const char16_t*>(LoadText(IDS_CD_ALM_HISTORY)),
                 static_cast<const char16_t*>(m_timeText));
    SetDlgItemText(IDC_ALM_HISTORY_LABEL, label);
    FillHistoryList();
}

void CDlgAlarm::OnReset()
{
    if (!m_online || m_reading) return;
    m_reading = true;
    ScopedWaitWindow wait(GetSafeHwnd(), IDS_CD_ALM_RESETTING, true);
    if (AcquireLink()) {
        m_pProtocol->Command(kCmdReset, m_nNode);
        ReleaseLink();
    }
    m_reading = false;
    // The lists show the state after the reset at once.
    RefreshLiveLists();
}

void CDlgAlarm::OnSave()
{
    if (!m_online) return;
    const CString extension = LoadText(IDS_ALARM_FILE_EXTENSION);
    CString filter;
    filter.Format(IDS_CD_ALM_FILE_FILTER, static_cast<const char16_t*>(extension),
                  static_cast<const char16_t*>(extension));
    // The file is to be made: it need not exist yet.
    CFileDialog dialog(FALSE, extension, AlarmFileNameFromTitle(m_title),
                       OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST, filter, this);
    if (dialog.DoModal() != IDOK) return;
    const CString path = dialog.GetPathName();
    if (GetFileExtensionOfPath(path) != extension) {
        ShowMessage(GetSafeHwnd(), IDS_CD_ALM_BAD_EXTENSION, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (!SaveAlarmFile(path)) {
        ShowMessage(GetSafeHwnd(), IDS_CD_ALM_SAVE_FAILED, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    ShowMessage(GetSafeHwnd(), IDS_CD_ALM_SAVED, MB_OK | MB_ICONINFORMATION);
}

void CDlgAlarm::OnListClick(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    CListCtrlEx* list = pNMHDR->idFrom == IDC_ALM_HISTORY_LIST ? &m_historyList
                        : pNMHDR->idFrom == IDC_ALM_WARNING_LIST ? &m_warningList
                                                                  : &m_alarmList;
    const int row = list->GetNextItem(-1, LVNI_SELECTED);
    if (row < 0) return;
    const bool history = list == &m_historyList;
    CString first;
    first.Format(IDS_CD_PI_TIP_TEXT, static_cast<const char16_t*>(list->GetItemText(row, 3)));
    CString rest;
    rest.Format(IDS_CD_ALM_TIP_DETAIL, static_cast<const char16_t*>(list->GetItemText(row, history ? 13 : 4)),
                static_cast<const char16_t*>(list->GetItemText(row, history ? 14 : 5)));
    POINT point;
    ::GetCursorPos(&point);
    m_tooltip.ShowHelpTooltip(point, first + rest);
}

void CDlgAlarm::OnGetMinMaxInfo(MINMAXINFO* lpMMI)
{
    if (m_initialSize.cx > 0) {
        lpMMI->ptMinTrackSize.x = m_initialSize.cx;
        lpMMI->ptMinTrackSize.y = m_initialSize.cy;
    }
}

bool CDlgAlarm::Layout(int w, int h)
{
    CWnd* cancel = GetDlgItem(IDCANCEL);
    if (!cancel || !m_historyList.GetSafeHwnd()) return false;
    CRect button;
    cancel->GetWindowRect(&button);
    const int bw = button.Width();
    const int bh = button.Height();
    const int c = w / 2 - 15;
    const auto place = [this](int id, int x, int y, int cx, int cy) {
        if (CWnd* wnd = GetDlgItem(id)) wnd->MoveWindow(x, y, cx, cy);
    };
    place(IDC_ALM_ALARM_LABEL, 5, 5, c, 20);
    place(IDC_ALM_ALARM_LIST, 5, 25, c, 150);
    place(IDC_ALM_WARNING_LABEL, w - c - 5, 5, c, 20);
    place(IDC_ALM_WARNING_LIST, w - c - 5, 25, c, 80);
    place(IDC_ALM_MESSAGE_LABEL, w - c - 5, 105, c, 20);
    place(IDC_ALM_MESSAGE_LIST, w - c - 5, 125, c, 50);
    place(IDC_ALM_HISTORY_LABEL, 5, m_online ? 180 : 5, w - 10, 20);
    place(IDC_ALM_HISTORY_LIST, 5, m_online ? 200 : 25, w - 10, h - bh - 215 + (m_online ? 0 : 180));
    place(IDC_ALM_READ_HISTORY, 5, h - bh - 5, bw, bh);
    place(IDC_ALM_SAVE, bw + 10, h - bh - 5, bw, bh);
    place(IDC_ALM_RESET, 2 * bw + 15, h - bh - 5, bw, bh);
    place(IDCANCEL, w - bw - 5, h - bh - 5, bw, bh);
    Invalidate();
    return true;
}

BOOL CDlgAlarm::PreTranslateMessage(MSG* pMsg)
{
    if (m_tooltip.GetSafeHwnd()) m_tooltip.RelayEvent(pMsg);
    return CConnectableDialog::PreTranslateMessage(pMsg);
}

void CDlgAlarm::OnDestroy()
{
    KillTimer(kRefreshTimer);
    CConnectableDialog::OnDestroy();
}
