#include "manager/ui/DlgControllerStatus.h"

#include "manager/app/StatusDisplay.h"
#include "manager/core/AlarmText.h"
#include "manager/core/DataManager.h"
#include "manager/ui/ManagerMessages.h"
#include "manager/ui/WindowAids.h"
#include "platform/ui/DC.h"
#include "platform/ui/WinApp.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/MDIFrameWnd.h"
#include "platform/ui/MDIChildWnd.h"
#include "resources/manager/resource_ids.h"

#include <cmath>

namespace {

constexpr int kEditIds[4] = {IDC_STATUS_SPARE, IDC_STATUS_STATE, IDC_STATUS_ALARM, IDC_STATUS_LINK};
constexpr int kLampIds[4] = {IDC_STATUS_LAMP_SERVO, IDC_STATUS_LAMP_ALARM, IDC_STATUS_LAMP_TEACH, IDC_STATUS_LAMP_INPUT};
constexpr int kLabelIds[4] = {IDC_STATUS_LABEL_SERVO, IDC_STATUS_LABEL_ALARM, IDC_STATUS_LABEL_TEACH, IDC_STATUS_LABEL_INPUT};
constexpr DWORD kOptionBit11 = 0x0800;
constexpr DWORD kOptionBit14 = 0x4000;
constexpr DWORD kOptionBit3 = 0x0008;
constexpr WORD kInputBit12 = 0x1000;
constexpr COLORREF kRed = RGB(255, 0, 0);

// The panel is refreshed five times a second; setting an edit's text redraws
// it, so a text is set only when it changes.
void ShowText(CEdit& edit, const CString& text)
{
    CString shown;
    edit.GetWindowText(shown);
    if (shown != text) edit.SetWindowText(text.GetString());
}

}  // namespace

BEGIN_MESSAGE_MAP(CDlgControllerStatus, CDialog)
    ON_WM_TIMER()
    ON_WM_CTLCOLOR()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CDlgControllerStatus::CDlgControllerStatus() : CDialog(IDD_CONTROLLER_STATUS) {}

CDlgControllerStatus::~CDlgControllerStatus()
{
    if (m_timer && ::IsWindow(GetSafeHwnd())) KillTimer(kTimerId);
}

BOOL CDlgControllerStatus::OnInitDialog()
{
    CDialog::OnInitDialog();
    for (int i = 0; i < 4; ++i) {
        m_lamps[i].SubclassDlgItem(kLampIds[i], this);
        m_edits[i].SubclassDlgItem(kEditIds[i], this);
    }
    m_lamps[1].SetColors(RGB(255, 0, 0), RGB(0x4B, 0, 0));
    m_position.SubclassDlgItem(IDC_STATUS_POSITION, this);
    m_position.SetDecimals(0);
    m_position.SetDigitCount(9);
    m_position.SetValue(0);
    LOGFONT font{};
    if (CFont* dialogFont = GetFont()) dialogFont->GetLogFont(&font);
    font.lfHeight = -12;
    font.lfWeight = FW_BOLD;
    m_bold.CreateFontIndirect(&font);
    for (CEdit& edit : m_edits) {
        edit.SetFont(&m_bold);
        edit.SetWindowText(u"");
        AdjustEditFormatRect(edit);
    }
    for (CLedLamp& lamp : m_lamps) lamp.SetState(false);
    SetConnectionKind(0);
    return TRUE;
}

void CDlgControllerStatus::StartTimer()
{
    if (!m_timer) m_timer = SetTimer(kTimerId, kTimerMs, nullptr) != 0;
}

void CDlgControllerStatus::SetController(int decimals, std::function<BYTE()> alarmCode, int kind, StatusSource source)
{
    m_source = source;
    m_decimals = decimals;
    m_alarmCode = std::move(alarmCode);
    m_position.SetDecimals(decimals);
    SetConnectionKind(kind);
    if (kind > 8) {
        m_alarmText.Empty();
        m_lastAlarm = -1;
        m_edits[2].SetWindowText(u"");
        m_edits[2].EnableWindow(FALSE);
        // The panel first shows what it showed last; the next tick reads the
        // live cells. The cells themselves are the poll's: a copy from before
        // is never written over what the poll stored since.
        if (m_last) ShowSnapshot(*m_last);
    }
    StartTimer();
}

void CDlgControllerStatus::SetModelLB(bool lb)
{
    m_lb = lb;
    const int show = lb ? SW_HIDE : SW_SHOW;
    m_lamps[3].ShowWindow(m_kind == kLinkConnected ? show : SW_HIDE);
    for (int id : {IDC_STATUS_SPARE, IDC_STATUS_LABEL_INPUT, IDC_STATUS_LABEL_SPARE})
        if (CWnd* w = GetDlgItem(id)) w->ShowWindow(show);
}

void CDlgControllerStatus::ShowLamps(bool show)
{
    for (int i = 0; i < 4; ++i) {
        const bool visible = show && !(i == 3 && m_lb);
        m_lamps[i].ShowWindow(visible ? SW_SHOW : SW_HIDE);
        if (CWnd* label = GetDlgItem(kLabelIds[i])) label->ShowWindow(visible ? SW_SHOW : SW_HIDE);
    }
}

void CDlgControllerStatus::SetConnectionKind(int kind)
{
    m_kind = kind;
    switch (kind) {
    case 1: m_linkText = LoadFrameText(IDS_LINK_OFFLINE); break;
    case kLinkConnected: m_linkText = LoadFrameText(IDS_LINK_CONNECTED); break;
    case -1: m_linkText = LoadFrameText(IDS_LINK_NONE); break;
    default: m_linkText = LoadFrameText(IDS_LINK_DISCONNECTED); break;
    }
    m_edits[3].SetWindowText(m_linkText.GetString());
    if (kind == kLinkConnected) {
        ShowLamps(true);
        m_edits[0].EnableWindow(TRUE);
        m_edits[1].EnableWindow(TRUE);
        m_position.SetActiveColor();
    } else {
        ShowLamps(false);
        for (int i = 0; i < 3; ++i) {
            m_edits[i].SetWindowText(u"");
            m_edits[i].EnableWindow(FALSE);
        }
        m_position.SetInactiveColor();
    }
    m_position.Invalidate();
}

bool CDlgControllerStatus::IsOwnFrameActive()
{
    auto* main = dynamic_cast<CMDIFrameWnd*>(AfxGetMainWnd());
    CFrameWnd* own = AfxGetParentFrame(this);
    return main && own && main->MDIGetActive() == own;
}

void CDlgControllerStatus::ShowSnapshot(const StatusSnapshot& values)
{
    const bool lamps[4] = {(values.options & kOptionBit11) != 0, (values.options & kOptionBit14) != 0,
                           (values.options & kOptionBit3) != 0, (values.inputs & kInputBit12) != 0};
    for (int i = 0; i < 4; ++i)
        if (m_lamps[i].GetState() != lamps[i]) m_lamps[i].SetState(lamps[i]);
    ShowText(m_edits[0], CString());
    ShowText(m_edits[1], StatusCodeText(values.status.d18));
    m_position.SetValue(static_cast<double>(values.status.d0) / std::pow(10.0, m_decimals));
}

void CDlgControllerStatus::Refresh()
{
    const std::shared_ptr<StatusCells> cells = CDataManager::GetStatusCells();
    if (!cells) return;
    const StatusSnapshot values = cells->Snapshot();
    // Right after a switch of windows the cells still hold the controller of
    // the window that was active before: this panel waits for its own.
    if (values.source != m_source) return;
    ShowSnapshot(values);
    const int code = m_alarmCode ? m_alarmCode() : 0;
    if (code != m_lastAlarm) {
        m_lastAlarm = code;
        m_alarmText.Empty();
        if (code != 0) {
            AlarmTextRecord record;
            if (LoadAlarmText(code, record) == kAlarmFound)
                m_alarmText.Format(u"%2X : %s", code, record.shortText.GetString());
        }
        m_edits[2].EnableWindow(code != 0 ? TRUE : FALSE);
        if (code == 0) m_edits[2].SetWindowText(u"");
    }
    ShowText(m_edits[2], (m_counter & 4) ? m_alarmText : CString());
    m_last = values;
    ++m_counter;
}

void CDlgControllerStatus::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent != kTimerId) return;
    if (!IsWindowVisible()) {
        KillTimer(kTimerId);
        m_timer = false;
        m_edits[3].SetWindowText(m_linkText.GetString());
        return;
    }
    if (IsOwnFrameActive()) {
        if (m_kind == kLinkConnected) {
            Refresh();
        } else {
            ShowText(m_edits[3], (m_counter & 4) ? m_linkText : CString());
            ++m_counter;
        }
        return;
    }
    if (m_kind == kLinkConnected) ShowText(m_edits[2], m_alarmText);
    else ShowText(m_edits[3], m_linkText);
}

HBRUSH CDlgControllerStatus::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
{
    const HBRUSH brush = CDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    if (pWnd) {
        const int id = pWnd->GetDlgCtrlID();
        if (id == IDC_STATUS_ALARM || (id == IDC_STATUS_LINK && m_kind != kLinkConnected)) pDC->SetTextColor(kRed);
        if (id == IDC_STATUS_POSITION) return HBRUSH(::GetStockObject(NULL_BRUSH));
    }
    return brush;
}

void CDlgControllerStatus::OnDestroy()
{
    if (m_timer) KillTimer(kTimerId);
    m_timer = false;
    CDialog::OnDestroy();
}
