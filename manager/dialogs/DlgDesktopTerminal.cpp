#include "manager/dialogs/DlgDesktopTerminal.h"

#include "manager/dialogs/DialogHelpers.h"
#include "manager/dialogs/DlgManual.h"

#include "manager/app/StatusDisplay.h"
#include "manager/core/ControllerCommands.h"
#include "manager/core/ControllerData.h"
#include "manager/core/DataManager.h"
#include "manager/core/DontShowAgain.h"
#include "manager/core/NumberText.h"
#include "manager/core/StatusCells.h"

#include "resources/manager/ctrldlgs_ids.h"

#include "platform/core/MessageBox.h"
#include "platform/ui/Button.h"
#include "platform/ui/Menu.h"

namespace {

constexpr int kOperationButtons[] = {IDC_DT_ORIGIN, IDC_DT_RESET, IDC_DT_SERVO, IDC_DT_BRAKE};

}  // namespace

BEGIN_MESSAGE_MAP(CDlgDesktopTerminal, CConnectableDialog)
    ON_BN_CLICKED(IDC_DT_ORIGIN, &CDlgDesktopTerminal::OnOrigin)
    ON_BN_CLICKED(IDC_DT_SERVO, &CDlgDesktopTerminal::OnServo)
    ON_BN_CLICKED(IDC_DT_BRAKE, &CDlgDesktopTerminal::OnBrake)
    ON_BN_CLICKED(IDC_DT_RESET, &CDlgDesktopTerminal::OnReset)
    ON_BN_CLICKED(IDC_DT_STOP, &CDlgDesktopTerminal::OnStop)
    ON_WM_CLOSE()
    ON_WM_TIMER()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CDlgDesktopTerminal::CDlgDesktopTerminal() : CConnectableDialog(IDD_DESKTOP_TERMINAL) {}

CDlgDesktopTerminal::~CDlgDesktopTerminal()
{
    if (GetSafeHwnd() && ::IsWindow(GetSafeHwnd())) DestroyWindow();
}

std::unique_ptr<CDlgDesktopTerminal> CDlgDesktopTerminal::CreateFor(HWND parent)
{
    auto terminal = std::make_unique<CDlgDesktopTerminal>();
    if (!terminal->CreateConnected(IDD_DESKTOP_TERMINAL, CWnd::FromHandle(parent), nullptr, nullptr, nullptr, 0))
        return nullptr;
    return terminal;
}

CDlgManual* CDlgDesktopTerminal::ManualPanel() const { return CDlgManual::ActivePanel(); }

BOOL CDlgDesktopTerminal::OnInitDialog()
{
    CConnectableDialog::OnInitDialog();
    SetWindowText(LoadText(IDS_CD_DT_TITLE));
    SetDlgItemText(IDC_DT_TEXT, u"");
    m_cells = CDataManager::GetStatusCells();
    for (const auto& [button, icon] : {std::pair{IDC_DT_RESET, IDI_DT_RESET}, std::pair{IDC_DT_STOP, IDI_MAN_STOP},
                                       std::pair{IDC_DT_ORIGIN, IDI_DT_ORIGIN}})
        m_icons.SetButtonIcon(GetSafeHwnd(), button, icon);
    m_servoIcons[0] = m_icons.Load(IDI_DT_SERVO_OFF);
    m_servoIcons[1] = m_icons.Load(IDI_DT_SERVO_ON);
    m_brakeIcons[0] = m_icons.Load(IDI_DT_BRAKE_OFF);
    m_brakeIcons[1] = m_icons.Load(IDI_DT_BRAKE_ON);
    ShowServoState(true, true);
    return TRUE;
}

DWORD CDlgDesktopTerminal::Options() const
{
    std::shared_ptr<StatusCells> cells = m_cells ? m_cells : CDataManager::GetStatusCells();
    return cells ? cells->Options() : 0;
}

int CDlgDesktopTerminal::Mode() const
{
    const RobotParameterSet* set = m_pControllerData ? m_pControllerData->FirstParamSet() : nullptr;
    return set ? set->K(20) : 0;
}

void CDlgDesktopTerminal::ShowServoState(bool servoOn, bool brakeOn)
{
    if (m_shownServo != static_cast<int>(servoOn)) {
        SetDlgItemText(IDC_DT_SERVO, LoadText(servoOn ? IDS_CD_DT_SERVO_IS_ON : IDS_CD_DT_SERVO_IS_OFF));
        SendDlgItemMessage(IDC_DT_SERVO, BM_SETIMAGE, IMAGE_ICON, m_servoIcons[servoOn ? 1 : 0].ToLParam());
        m_shownServo = servoOn;
    }
    if (m_shownBrake != static_cast<int>(brakeOn)) {
        SetDlgItemText(IDC_DT_BRAKE, LoadText(brakeOn ? IDS_CD_DT_BRAKE_IS_ON : IDS_CD_DT_BRAKE_IS_OFF));
        SendDlgItemMessage(IDC_DT_BRAKE, BM_SETIMAGE, IMAGE_ICON, m_brakeIcons[brakeOn ? 1 : 0].ToLParam());
        m_shownBrake = brakeOn;
    }
}

void CDlgDesktopTerminal::StartWatch()
{
    if (m_watching || !GetSafeHwnd()) return;
    m_watching = true;
    SetTimer(kWatchTimer, kWatchPeriodMs, nullptr);
}

void CDlgDesktopTerminal::StopWatch()
{
    if (!m_watching) return;
    m_watching = false;
    KillTimer(kWatchTimer);
}

void CDlgDesktopTerminal::SetController(const CString& name, const CString& text, ControllerData* record,
                                        CCommManager* link, CControllerProtocol* protocol, int node, bool online)
{
    CString title;
    title.Format(IDS_CD_DT_TITLE_OF, static_cast<const char16_t*>(name));
    SetWindowText(title);
    SetDlgItemText(IDC_DT_TEXT, text);
    BindLink(record, link, protocol, node);
    m_cells = CDataManager::GetStatusCells();
    m_online = online && link && protocol;
    if (m_online) {
        if (IsWindowVisible()) StartWatch();
        const DWORD options = Options();
        const bool servo = (options & kOptionServoState) != 0;
        ShowServoState(servo, (options & kOptionBrakeState) != 0);
        GetDlgItem(IDC_DT_BRAKE)->EnableWindow(!servo);
    } else {
        StopWatch();
        for (int id : {IDC_DT_RESET, IDC_DT_ORIGIN, IDC_DT_STOP, IDC_DT_SERVO, IDC_DT_BRAKE})
            GetDlgItem(id)->EnableWindow(FALSE);
    }
}

void CDlgDesktopTerminal::EnableButtons(bool operation, bool stop)
{
    for (int id : kOperationButtons) GetDlgItem(id)->EnableWindow(operation);
    GetDlgItem(IDC_DT_STOP)->EnableWindow(stop);
}

bool CDlgDesktopTerminal::SetMode(int mode)
{
    const bool free = (mode & 1) == 0;
    EnableButtons(free && m_online, free && m_online);
    m_running = mode == 1 || mode == 5;
    m_stopped = mode == 0 || mode == 4;
    return m_stopped;
}

void CDlgDesktopTerminal::SetBusy(int busy)
{
    m_busy = busy;
    if (busy == 0) EnableCloseCommand(true);
}

void CDlgDesktopTerminal::Show()
{
    ShowModelessWindow(*this, m_placed);
    if (m_online) StartWatch();
}

void CDlgDesktopTerminal::EnableCloseCommand(bool enable)
{
    m_closeEnabled = enable;
    if (CMenu* menu = GetSystemMenu(FALSE))
        menu->EnableMenuItem(SC_CLOSE, MF_BYCOMMAND | (enable ? MF_ENABLED : MF_GRAYED));
}

// --- Commands ----------------------------------------------------------------------------

void CDlgDesktopTerminal::OnOrigin()
{
    if (!m_online) return;
    if (MessageBoxDontShowAgain(u"StartOriginButton", GetSafeHwnd(), IDS_CD_DT_ORIGIN_ASK,
                                MB_OKCANCEL | MB_ICONINFORMATION | MB_DEFBUTTON1, IDOK) != IDOK)
        return;
    for (int id : kOperationButtons) GetDlgItem(id)->EnableWindow(FALSE);
    m_busy = 1;
    if (CDlgManual* panel = ManualPanel()) panel->EnableOperation(FALSE, FALSE);
    EnableCloseCommand(false);
    m_originPending = false;
    m_stopRequested = false;
    BOOL sent = FALSE;
    CString reply;
    if (AcquireLink()) {
        sent = SendOrigin(m_pCommManager, m_pProtocol, m_nNode, GetSafeHwnd());
        // Taken before the poll may use the engine again.
        if (!sent) reply = m_pProtocol->GetLastErrorText();
        ReleaseLink();
    }
    // A return that did not start ends now, whatever the reason: the panel
    // is never left busy waiting for an end that cannot come.
    if (sent) {
        // From here the controller's END or NG ends the return; a refusal
        // notified late for an earlier command finds nothing pending.
        m_originPending = true;
    } else {
        m_originPending = true;
        EndOrigin(0, reply);
    }
}

void CDlgDesktopTerminal::OnCommandEnded(WPARAM wParam)
{
    // The line that ended the return itself: the engine's last error may
    // already be another command's (the status poll runs meanwhile).
    EndOrigin(wParam, m_pProtocol ? m_pProtocol->GetActionEndText() : CString());
}

void CDlgDesktopTerminal::EndOrigin(WPARAM wParam, const CString& failure)
{
    // An end that was already handled (a refusal also comes as a notification) is passed over.
    if (!m_originPending) return;
    m_originPending = false;
    if (wParam != 0) {
        int value = 0;
        BOOL read = FALSE;
        CString reply;
        if (AcquireLink()) {
            read = QueryDValue(m_pCommManager, m_pProtocol, m_nNode, 17, value);
            if (!read) reply = m_pProtocol->GetLastErrorText();
            ReleaseLink();
        }
        if (read) {
            // D17 is the distance the return travelled, in position units.
            const ControllerData* data = GetControllerData();
            const RobotParameterSet* set = data ? data->FirstParamSet() : nullptr;
            CString text;
            text.Format(IDS_CD_DT_ORIGIN_DONE, FormatFixedDecimals(value, set ? set->K(72) : 0).GetString());
            ShowMessage(GetSafeHwnd(), text, MB_OK | MB_ICONINFORMATION);
        } else {
            ShowReplyError(GetSafeHwnd(), reply);
        }
    } else {
        // A return the user stopped here is no error to show.
        if (!(m_stopRequested && EndsWithStopCode(failure))) ShowReplyError(GetSafeHwnd(), failure);
        m_servoWait = false;
    }
    m_stopRequested = false;
    EnableCloseCommand(true);
    m_busy = 0;
    if (!m_running && m_online) {
        for (int id : {IDC_DT_ORIGIN, IDC_DT_RESET, IDC_DT_SERVO}) GetDlgItem(id)->EnableWindow(TRUE);
    }
    if ((Mode() & 3) != 1) {
        if (CDlgManual* panel = ManualPanel()) panel->EnableOperation(TRUE, FALSE);
    }
}

void CDlgDesktopTerminal::OnServo()
{
    if (!m_online) return;
    m_focusRequest = IDC_DT_SERVO;
    m_waitCycles = 0;
    const RobotParameterSet* set = m_pControllerData ? m_pControllerData->FirstParamSet() : nullptr;
    if (set && set->K(31) == 1 && (set->K(80) == 1 || m_pControllerData->typeText.Find(u"LB") >= 0) &&
        set->K(20) != 2 && set->K(20) != 6) {
        ShowMessage(GetSafeHwnd(), IDS_CD_DT_SERVO_REFUSED, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    const DWORD options = Options();
    GetDlgItem(IDC_DT_SERVO)->EnableWindow(FALSE);
    GetDlgItem(IDC_DT_BRAKE)->EnableWindow(FALSE);
    m_servoWait = true;
    m_waitBits = options & (kOptionServoState | kOptionBrakeState);
    BOOL sent = FALSE;
    CString reply;
    if (AcquireLink()) {
        sent = SendServo(m_pCommManager, m_pProtocol, m_nNode, (options & kOptionServoState) == 0);
        if (!sent) reply = m_pProtocol->GetLastErrorText();
        ReleaseLink();
    }
    if (!sent) {
        m_servoWait = false;
        ShowReplyError(GetSafeHwnd(), reply);
    }
}

void CDlgDesktopTerminal::OnBrake()
{
    if (!m_online) return;
    const DWORD options = Options();
    m_waitBits = options & (kOptionServoState | kOptionBrakeState);
    m_waitCycles = 0;
    if ((options & kOptionBrakeState) != 0 &&
        ShowMessage(GetSafeHwnd(), IDS_CD_DT_BRAKE_ASK, MB_OKCANCEL | MB_ICONWARNING) != IDOK)
        return;
    m_focusRequest = IDC_DT_BRAKE;
    GetDlgItem(IDC_DT_SERVO)->EnableWindow(FALSE);
    GetDlgItem(IDC_DT_BRAKE)->EnableWindow(FALSE);
    m_servoWait = true;
    BOOL sent = FALSE;
    CString reply;
    if (AcquireLink()) {
        sent = SendBrake(m_pCommManager, m_pProtocol, m_nNode, (options & kOptionBrakeState) == 0);
        if (!sent) reply = m_pProtocol->GetLastErrorText();
        ReleaseLink();
    }
    if (!sent) {
        m_servoWait = false;
        ShowReplyError(GetSafeHwnd(), reply);
    }
}

void CDlgDesktopTerminal::OnReset()
{
    if (!m_online) return;
    if (AcquireLink()) {
        m_pProtocol->Command(kCmdReset, m_nNode);
        ReleaseLink();
    }
}

void CDlgDesktopTerminal::OnStop()
{
    m_stopRequested = m_originPending;
    if (CDlgManual* panel = ManualPanel()) {
        panel->OnStop();
        return;
    }
    // Without a manual panel the stop still reaches the axis.
    if (m_pProtocol) m_pProtocol->StopCommand(m_nNode);
}

void CDlgDesktopTerminal::OnClose()
{
    if (!m_closeEnabled) return;
    ShowWindow(SW_HIDE);
    StopWatch();
    BindLink(nullptr, nullptr, nullptr, 0);
    m_online = false;
}

BOOL CDlgDesktopTerminal::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_SYSCOMMAND && (pMsg->wParam & 0xFFF0) == SC_CLOSE) {
        OnClose();
        return TRUE;
    }
    return CConnectableDialog::PreTranslateMessage(pMsg);
}

// --- Watch -------------------------------------------------------------------------------

void CDlgDesktopTerminal::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent == kWatchTimer) {
        Watch();
        return;
    }
    CConnectableDialog::OnTimer(nIDEvent);
}

void CDlgDesktopTerminal::Watch()
{
    if (!m_online) return;
    const DWORD options = Options();
    if (options & kOptionAlarm) m_servoWait = false;
    if (m_running) {
        for (int id : kOperationButtons) GetDlgItem(id)->EnableWindow(FALSE);
        GetDlgItem(IDC_DT_STOP)->EnableWindow(FALSE);
        return;
    }
    if (m_busy) {
        for (int id : kOperationButtons) GetDlgItem(id)->EnableWindow(FALSE);
        GetDlgItem(IDC_DT_STOP)->EnableWindow(TRUE);
        return;
    }
    for (int id : {IDC_DT_ORIGIN, IDC_DT_RESET, IDC_DT_STOP}) GetDlgItem(id)->EnableWindow(TRUE);
    if ((options & (kOptionServoState | kOptionBrakeState)) != m_waitBits) m_servoWait = false;
    if (m_servoWait) {
        GetDlgItem(IDC_DT_SERVO)->EnableWindow(FALSE);
        GetDlgItem(IDC_DT_BRAKE)->EnableWindow(FALSE);
        if (++m_waitCycles > kServoWaitCycles) m_servoWait = false;
        return;
    }
    const bool servo = (options & kOptionServoState) != 0;
    ShowServoState(servo, (options & kOptionBrakeState) != 0);
    GetDlgItem(IDC_DT_BRAKE)->EnableWindow(!servo);
    GetDlgItem(IDC_DT_SERVO)->EnableWindow(TRUE);
    if (m_focusRequest) {
        CWnd* button = GetDlgItem(m_focusRequest);
        if (button && button->IsWindowEnabled()) button->SetFocus();
        m_focusRequest = 0;
    }
}

void CDlgDesktopTerminal::OnDestroy()
{
    StopWatch();
    CConnectableDialog::OnDestroy();
}
