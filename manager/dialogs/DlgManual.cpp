#include "manager/dialogs/DlgManual.h"

#include "manager/dialogs/DialogHelpers.h"

#include "manager/app/StatusDisplay.h"
#include "manager/core/ControllerCommands.h"
#include "manager/core/ControllerData.h"
#include "manager/core/DataManager.h"
#include "manager/core/DontShowAgain.h"
#include "manager/core/NumberText.h"
#include "manager/core/StatusCells.h"
#include "manager/core/SystemHelpers.h"

#include "resources/manager/ctrldlgs_ids.h"
#include "resources/manager/resource_ids.h"

#include "comm/CommManager.h"
#include "platform/core/MessageBox.h"
#include "platform/core/Time.h"
#include "platform/ui/DC.h"
#include "platform/ui/MDIChildWnd.h"
#include "platform/ui/MDIFrameWnd.h"
#include "platform/ui/WinApp.h"
#include "platform/ui/SpinButtonCtrl.h"
#include "platform/ui/WindowApi.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kParamK9 = 9;
constexpr int kParamK10 = 10;
constexpr int kParamK11 = 11;
constexpr int kEditIds[3] = {IDC_MAN_K9_EDIT, IDC_MAN_K10_EDIT, IDC_MAN_K11_EDIT};
// The controls an "LB" controller below access level 5 does not show.
constexpr int kLbHidden[] = {IDC_MAN_POINT_DISPLAY, IDC_MAN_TEACH,    IDC_MAN_START,       IDC_MAN_STOP,
                             IDC_MAN_K9_EDIT,       IDC_MAN_K9_SPIN,  IDC_MAN_K9_LABEL,    IDC_MAN_K9_WRITE,
                             IDC_MAN_K9_UNIT,       IDC_MAN_POINT_LABEL, IDC_MAN_POINT_FRAME};
// Everything a motion or an edit could start from, STOP and K9 left aside.
constexpr int kMotionControls[] = {IDC_MAN_START,    IDC_MAN_TEACH,     IDC_MAN_K10_EDIT, IDC_MAN_K10_SPIN,
                                   IDC_MAN_K10_WRITE, IDC_MAN_K11_EDIT, IDC_MAN_K11_WRITE, IDC_MAN_JOG_MINUS,
                                   IDC_MAN_JOG_PLUS, IDC_MAN_INCH_MINUS, IDC_MAN_INCH_PLUS};

}  // namespace

BEGIN_MESSAGE_MAP(CDlgManual, CConnectableDialog)
    ON_WM_TIMER()
    ON_BN_CLICKED(IDC_MAN_TEACH, &CDlgManual::OnTeachPosition)
    ON_BN_CLICKED(IDC_MAN_START, &CDlgManual::OnStartTrace)
    ON_MESSAGE(CJogButton::kJogPressMessage, &CDlgManual::OnJogPress)
    ON_MESSAGE(CJogButton::kJogReleaseMessage, &CDlgManual::OnJogRelease)
    ON_BN_CLICKED(IDC_MAN_INCH_MINUS, &CDlgManual::OnInchMinus)
    ON_BN_CLICKED(IDC_MAN_INCH_PLUS, &CDlgManual::OnInchPlus)
    ON_BN_CLICKED(IDC_MAN_STOP, &CDlgManual::OnStopClicked)
    ON_BN_CLICKED(IDC_MAN_K9_WRITE, &CDlgManual::OnWriteK9)
    ON_BN_CLICKED(IDC_MAN_K10_WRITE, &CDlgManual::OnWriteK10)
    ON_BN_CLICKED(IDC_MAN_K11_WRITE, &CDlgManual::OnWriteK11)
    ON_EN_CHANGE(IDC_MAN_K9_EDIT, &CDlgManual::OnChangeK9)
    ON_EN_CHANGE(IDC_MAN_K10_EDIT, &CDlgManual::OnChangeK10)
    ON_EN_KILLFOCUS(IDC_MAN_K9_EDIT, &CDlgManual::OnKillFocusK9)
    ON_EN_KILLFOCUS(IDC_MAN_K10_EDIT, &CDlgManual::OnKillFocusK10)
    ON_EN_SETFOCUS(IDC_MAN_K11_EDIT, &CDlgManual::OnSetFocusK11)
    ON_EN_KILLFOCUS(IDC_MAN_K11_EDIT, &CDlgManual::OnKillFocusK11)
    ON_WM_CTLCOLOR()
    ON_WM_PAINT()
    ON_MESSAGE(UM_MANUAL_ACCESS_LEVEL, &CDlgManual::OnAccessLevelChanged)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CDlgManual::CDlgManual() : CConnectableDialog(IDD_MANUAL) {}

CDlgManual::~CDlgManual()
{
    if (GetSafeHwnd() && ::IsWindow(GetSafeHwnd())) DestroyWindow();
}

BOOL CDlgManual::Create(UINT nIDTemplate, CWnd* pParent, ControllerData* pData, CCommManager* pLink,
                        CControllerProtocol* pProtocol, int nNode, RobotParameterSet* pReference,
                        CDataManager* pManager)
{
    m_pReference = pReference;
    m_pManager = pManager;
    return CreateConnected(nIDTemplate, pParent, pData, pLink, pProtocol, nNode);
}

RobotParameterSet* CDlgManual::EditedSet() const
{
    return m_pControllerData ? m_pControllerData->FirstParamSet() : nullptr;
}

int CDlgManual::Decimals() const
{
    const RobotParameterSet* set = EditedSet();
    return set ? std::clamp(set->K(72), 0, 6) : 0;
}

void CDlgManual::SetRunState(int state)
{
    m_runState = state;
    if (m_pManager) m_pManager->SetRunState(state);
}

int CDlgManual::RunState() const { return m_runState; }

bool CDlgManual::ModeIsRunning() const
{
    const RobotParameterSet* set = EditedSet();
    return set && (set->K(20) & 3) == 1;
}

CFrameWnd* CDlgManual::ParentFrame() const
{
    // The controller window that holds the pane: its child frame, never the
    // main window above it, which handles none of the panel's messages.
    return AfxGetParentFrame(this);
}

bool CDlgManual::IsOwnFrameActive() const
{
    const auto* main = dynamic_cast<const CMDIFrameWnd*>(AfxGetMainWnd());
    const CFrameWnd* own = ParentFrame();
    return main && own && main->MDIGetActive() == own;
}

bool CDlgManual::OwnStatus(ControllerStatus& status) const
{
    if (!m_cells) return false;
    // The one poll follows the active window: right after a switch the cells
    // may still hold the controller of the window that was active before.
    if (m_pManager) return m_cells->StatusOf(m_pManager->GetStatusSource(m_nNode), status);
    status = m_cells->Status();
    return true;
}

BOOL CDlgManual::OnInitDialog()
{
    CConnectableDialog::OnInitDialog();
    m_initialising = true;
    SetDlgItemText(IDC_MAN_K10_LABEL, LoadText(IDS_CD_MAN_K10));
    SetDlgItemText(IDC_MAN_K9_LABEL, LoadText(IDS_CD_MAN_K9));
    SetDlgItemText(IDC_MAN_K11_LABEL, LoadText(IDS_CD_MAN_K11));
    for (int id : {IDC_MAN_K9_WRITE, IDC_MAN_K10_WRITE, IDC_MAN_K11_WRITE}) SetDlgItemText(id, LoadText(IDS_CD_MAN_WRITE));

    // Each button carries its icon beside its text.
    for (const auto& [button, icon] : {std::pair{IDC_MAN_START, IDI_MAN_START}, std::pair{IDC_MAN_STOP, IDI_MAN_STOP},
                                       std::pair{IDC_MAN_JOG_MINUS, IDI_MAN_JOG_MINUS},
                                       std::pair{IDC_MAN_JOG_PLUS, IDI_MAN_JOG_PLUS},
                                       std::pair{IDC_MAN_INCH_PLUS, IDI_MAN_INCH_PLUS},
                                       std::pair{IDC_MAN_INCH_MINUS, IDI_MAN_INCH_MINUS},
                                       std::pair{IDC_MAN_TEACH, IDI_MAN_TEACH}})
        m_icons.SetButtonIcon(GetSafeHwnd(), button, icon);
    m_accelerators = LoadMainAccelerators();
    m_jogMinus.SubclassDlgItem(IDC_MAN_JOG_MINUS, this);
    m_jogPlus.SubclassDlgItem(IDC_MAN_JOG_PLUS, this);
    m_jogMinus.SetJogCode(0, this);
    m_jogPlus.SetJogCode(1, this);
    m_display.SubclassDlgItem(IDC_MAN_POINT_DISPLAY, this);
    m_display.SetDigitCount(3);
    m_display.SetDecimals(0);
    m_editedBrush.CreateSolidBrush(kEditedColour);
    // An edited value is shown bold on the pale brush until it is written.
    if (CFont* font = GetDlgItem(IDC_MAN_K9_EDIT)->GetFont()) {
        LOGFONT description{};
        font->GetLogFont(&description);
        m_normalFont.CreateFontIndirect(&description);
        description.lfWeight = FW_BOLD;
        m_boldFont.CreateFontIndirect(&description);
    }

    const int d = Decimals();
    static_cast<CEdit*>(GetDlgItem(IDC_MAN_K9_EDIT))->LimitText(3);
    static_cast<CEdit*>(GetDlgItem(IDC_MAN_K10_EDIT))->LimitText(3);
    static_cast<CEdit*>(GetDlgItem(IDC_MAN_K11_EDIT))->LimitText(d + 2 + (d > 0 ? 1 : 0));
    for (int spin : {IDC_MAN_K9_SPIN, IDC_MAN_K10_SPIN}) {
        if (CWnd* s = GetDlgItem(spin)) s->SendMessage(UDM_SETRANGE32, 1, 100);
    }
    for (int id = IDC_MAN_GROUP; id <= IDC_MAN_JOG_PLUS; ++id) {
        if (CWnd* w = GetDlgItem(id)) {
            w->GetWindowRect(&m_firstPlaces[id - IDC_MAN_GROUP]);
            ScreenToClient(&m_firstPlaces[id - IDC_MAN_GROUP]);
        }
    }
    m_cells = CDataManager::GetStatusCells();
    if (const RobotParameterSet* set = EditedSet()) {
        SetDlgItemInt(IDC_MAN_K10_EDIT, set->K(kParamK10));
        SetDlgItemInt(IDC_MAN_K9_EDIT, set->K(kParamK9));
        SetDlgItemText(IDC_MAN_K11_EDIT, FormatFixedDecimals(set->K(kParamK11), d));
    }
    SetTimer(kDisplayTimer, kTimerPeriodMs, nullptr);
    m_initialising = false;
    ApplyLbLayout(m_pControllerData && m_pControllerData->typeText.Find(u"LB") >= 0 && m_accessLevel != 1 &&
                  m_accessLevel != 5);
    return TRUE;
}

void CDlgManual::ApplyLbLayout(bool restricted)
{
    if (restricted == m_lbRestricted) return;
    m_lbRestricted = restricted;
    for (int id : kLbHidden) {
        if (CWnd* w = GetDlgItem(id)) w->ShowWindow(restricted ? SW_HIDE : SW_SHOW);
    }
    const int shift = m_firstPlaces[0].left - [this] {
        CRect r;
        if (CWnd* w = GetDlgItem(IDC_MAN_POINT_LABEL)) {
            w->GetWindowRect(&r);
            ScreenToClient(&r);
        }
        return r.left;
    }();
    for (int id = IDC_MAN_GROUP; id <= IDC_MAN_JOG_PLUS; ++id) {
        CWnd* w = GetDlgItem(id);
        if (!w) continue;
        CRect r = m_firstPlaces[id - IDC_MAN_GROUP];
        if (restricted) r.OffsetRect(-shift, 0);
        w->MoveWindow(&r);
    }
}

LRESULT CDlgManual::OnAccessLevelChanged(WPARAM wParam, LPARAM)
{
    // The level never falls while the program runs: a broadcast that carries
    // no level (wParam 0) leaves the one the pane gave.
    m_accessLevel = std::max(m_accessLevel, static_cast<int>(wParam));
    if (m_pControllerData && m_pControllerData->typeText.Find(u"LB") >= 0 && m_accessLevel == 5) ApplyLbLayout(false);
    return 0;
}

void CDlgManual::RefreshParameterValues()
{
    const RobotParameterSet* set = EditedSet();
    if (!set) return;
    m_initialising = true;
    const int d = Decimals();
    SetDlgItemInt(IDC_MAN_K10_EDIT, set->K(kParamK10));
    SetDlgItemInt(IDC_MAN_K9_EDIT, set->K(kParamK9));
    SetDlgItemText(IDC_MAN_K11_EDIT, FormatFixedDecimals(set->K(kParamK11), d));
    m_k11Text = FormatFixedDecimals(set->K(kParamK11), d);
    m_initialising = false;
    if (m_pReference) {
        MarkEdited(0, IDC_MAN_K9_EDIT, set->K(kParamK9), m_pReference->K(kParamK9));
        MarkEdited(1, IDC_MAN_K10_EDIT, set->K(kParamK10), m_pReference->K(kParamK10));
    }
    SetTimer(kDisplayTimer, kTimerPeriodMs, nullptr);
    TakeK11();
}

void CDlgManual::EnableMotionControls(bool enable)
{
    for (int id : kMotionControls) {
        if (CWnd* w = GetDlgItem(id)) w->EnableWindow(enable);
    }
}

void CDlgManual::EnableOperation(BOOL bEnable, BOOL bAll)
{
    if (bAll) {
        if (!m_traceRunning) EnableMotionControls(bEnable != FALSE);
        for (int id : {IDC_MAN_K9_EDIT, IDC_MAN_K9_WRITE}) {
            if (CWnd* w = GetDlgItem(id)) w->EnableWindow(bEnable);
        }
        // The stop goes dark only when the controller cannot be reached at all.
        if (CWnd* stop = GetDlgItem(IDC_MAN_STOP)) stop->EnableWindow(bEnable || m_traceRunning || m_jogRunning);
        if (bEnable) m_display.SetActiveColor();
        else m_display.SetInactiveColor();
    } else {
        EnableMotionControls(bEnable != FALSE);
    }
}

void CDlgManual::SetBusy(BOOL bBusy)
{
    if (bBusy || !m_traceRunning) EnableMotionControls(!bBusy);
    for (int id : {IDC_MAN_K9_EDIT, IDC_MAN_K9_WRITE}) {
        if (CWnd* w = GetDlgItem(id)) w->EnableWindow(!bBusy);
    }
    if (CWnd* stop = GetDlgItem(IDC_MAN_STOP)) stop->EnableWindow(TRUE);
}

void CDlgManual::GiveBackPanel()
{
    if (!ModeIsRunning()) EnableOperation(TRUE, FALSE);
    SetRunState(0);
    m_stopAllowed = true;
}

// --- Display ----------------------------------------------------------------------------

void CDlgManual::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent == kDisplayTimer) {
        if (!IsWindowVisible()) {
            KillTimer(kDisplayTimer);
            return;
        }
        if (!m_cells) m_cells = CDataManager::GetStatusCells();
        // Only the active window's panel follows its controller; the others
        // keep what they showed last.
        ControllerStatus status;
        if (!IsOwnFrameActive() || !OwnStatus(status)) return;
        const int point = status.d13;
        if (m_follow && GetParent()) GetParent()->PostMessage(UM_MANUAL_CURRENT_POINT, static_cast<WPARAM>(point));
        m_display.SetValue(point);
        return;
    }
    if (nIDEvent == kJogWatchTimer) {
        KillTimer(kJogWatchTimer);
        if (!m_jogRunning) return;
        if (JogKeyHeld()) {
            SetTimer(kJogWatchTimer, kTimerPeriodMs, nullptr);
            return;
        }
        SendMessage(CJogButton::kJogReleaseMessage, CJogButton::kJogKind, 0);
        m_jogMinus.SetState(FALSE);
        m_jogPlus.SetState(FALSE);
        return;
    }
    CConnectableDialog::OnTimer(nIDEvent);
}

bool CDlgManual::JogKeyHeld() const
{
    return (GetAsyncKeyState(VK_LBUTTON) & 0x8000) != 0 || (GetKeyState(VK_SPACE) & 0x8000) != 0 ||
           (GetKeyState(VK_RETURN) & 0x8000) != 0;
}

// --- Jog and inch -------------------------------------------------------------------------

LRESULT CDlgManual::OnJogPress(WPARAM wParam, LPARAM lParam)
{
    if (m_jogRunning || m_traceRunning || !m_pProtocol) return 0;
    if (wParam != CJogButton::kJogKind) return 0;
    const int code = static_cast<int>(lParam);
    CJogButton& pressed = code == 1 ? m_jogPlus : m_jogMinus;
    CJogButton& opposite = code == 1 ? m_jogMinus : m_jogPlus;
    m_jogRunning = true;
    // The link is taken first: it waits for the status poll's query in flight,
    // which would otherwise make the engine look busy and swallow the press.
    // Still busy then means another window's command: no jog.
    if (!AcquireLink() || m_pProtocol->IsBusy()) {
        ReleaseLink();
        m_jogRunning = false;
        return 0;
    }
    // A press that finds no button or key held any longer moves nothing.
    if (!JogKeyHeld() || (pressed.GetState() & BST_PUSHED) == 0) {
        ReleaseLink();
        m_jogRunning = false;
        return 0;
    }
    const BOOL sent = SendJog(m_pCommManager, m_pProtocol, m_nNode, code == 1, GetSafeHwnd());
    // The error shown is this command's own, never one left from an earlier one.
    const CString reply = sent ? CString() : m_pProtocol->GetLastErrorText();
    ReleaseLink();
    SetTimer(kJogWatchTimer, kTimerPeriodMs, nullptr);
    m_stopAllowed = false;
    if (sent) {
        for (int id : {IDC_MAN_START, IDC_MAN_TEACH, IDC_MAN_K10_EDIT, IDC_MAN_INCH_MINUS, IDC_MAN_INCH_PLUS,
                       IDC_MAN_K11_WRITE}) {
            if (CWnd* w = GetDlgItem(id)) w->EnableWindow(FALSE);
        }
        opposite.EnableWindow(FALSE);
        SetRunState(1);
        return 1;
    }
    m_jogRunning = false;
    // Nothing moves: the controller has nothing to stop and the panel is the user's again.
    m_stopAllowed = true;
    GiveBackPanel();
    ShowReplyError(GetSafeHwnd(), reply);
    return 0;
}

LRESULT CDlgManual::OnJogRelease(WPARAM wParam, LPARAM)
{
    if (wParam == CJogButton::kJogKind && !m_stopAllowed && m_pProtocol) m_pProtocol->StopCommand(m_nNode);
    return 0;
}

void CDlgManual::Inch(BOOL forward)
{
    if (m_jogRunning || m_traceRunning || !m_pProtocol) return;
    EnableMotionControls(false);
    if (!AcquireLink()) {
        GiveBackPanel();
        return;
    }
    const BOOL sent = SendInch(m_pCommManager, m_pProtocol, m_nNode, forward, GetSafeHwnd());
    const CString reply = sent ? CString() : m_pProtocol->GetLastErrorText();
    ReleaseLink();
    m_jogRunning = sent != FALSE;
    if (sent) {
        SetRunState(1);
        m_stopAllowed = false;
        return;
    }
    GiveBackPanel();
    ShowReplyError(GetSafeHwnd(), reply);
}

void CDlgManual::OnInchMinus() { Inch(FALSE); }
void CDlgManual::OnInchPlus() { Inch(TRUE); }

// --- Start, teach, stop --------------------------------------------------------------------

void CDlgManual::OnStartTrace()
{
    if (m_traceRunning || m_jogRunning) return;
    if (m_selectedPoint == 0) return;
    EnableMotionControls(false);
    SetRunState(1);
    const auto giveUp = [this] {
        SetRunState(0);
        GiveBackPanel();
    };
    if (MessageBoxDontShowAgain(u"StartTraceButton", GetSafeHwnd(), IDS_CD_MAN_START_ASK,
                                MB_OKCANCEL | MB_ICONINFORMATION, IDOK) != IDOK) {
        giveUp();
        return;
    }
    CWnd* parent = GetParent();
    const bool unsent = parent && parent->SendMessage(UM_MANUAL_HAS_UNSENT, 0, 0) != 0;

    RobotParameterSet* set = EditedSet();
    if (set && m_pReference && set->K(kParamK9) != m_pReference->K(kParamK9)) {
        const int answer = ShowMessage(GetSafeHwnd(), IDS_CD_MAN_K9_CHANGED, MB_YESNOCANCEL | MB_ICONWARNING);
        if (answer == IDCANCEL) {
            giveUp();
            return;
        }
        if (answer == IDYES) {
            BOOL written = FALSE;
            CString reply;
            if (AcquireLink()) {
                written = WriteParameterValue(kParamK9);
                if (!written) reply = m_pProtocol->GetLastErrorText();
                ReleaseLink();
            }
            if (!written) {
                giveUp();
                ShowReplyError(GetSafeHwnd(), reply);
                return;
            }
        }
    }
    if (unsent) {
        const CString text = LoadText(IDS_CD_MAN_UNSENT_1) + LoadText(IDS_CD_MAN_UNSENT_2);
        const int answer = ShowMessage(GetSafeHwnd(), text, MB_YESNOCANCEL | MB_ICONWARNING);
        if (answer == IDCANCEL) {
            giveUp();
            return;
        }
        if (answer == IDYES) {
            ScopedWaitWindow wait(GetSafeHwnd(), IDS_CD_MAN_SENDING);
            m_traceRunning = true;
            // Points that could not be sent (no window to send them) start nothing.
            CWnd* frame = ParentFrame();
            const bool failed = !frame || frame->SendMessage(UM_MANUAL_SEND_POINTS, 0, 0) != 0;
            m_traceRunning = false;
            wait.Close();
            if (failed) {
                giveUp();
                return;
            }
        }
    }
    BOOL sent = FALSE;
    CString reply;
    if (AcquireLink()) {
        sent = SendStart(m_pCommManager, m_pProtocol, m_nNode, m_selectedPoint, GetSafeHwnd());
        if (!sent) reply = m_pProtocol->GetLastErrorText();
        ReleaseLink();
    }
    if (!sent) {
        giveUp();
        ShowReplyError(GetSafeHwnd(), reply);
        return;
    }
    m_traceRunning = true;
    m_stopAllowed = false;
    // The stop is where the keyboard is while the program runs.
    if (CWnd* stop = GetDlgItem(IDC_MAN_STOP)) {
        stop->EnableWindow(TRUE);
        GotoDlgCtrl(stop);
    }
}

void CDlgManual::OnTeachPosition()
{
    // The position and the leave to teach are this controller's own, read
    // now: the status cells may still hold another window's controller.
    if (!m_pProtocol) return;
    int options = 0;
    int position = 0;
    BOOL read = FALSE;
    CString reply;
    if (AcquireLink()) {
        read = QueryOptions(m_pCommManager, m_pProtocol, m_nNode, options) &&
               QueryDValue(m_pCommManager, m_pProtocol, m_nNode, 0, position);
        if (!read) reply = m_pProtocol->GetLastErrorText();
        ReleaseLink();
    }
    if (!read) {
        ShowReplyError(GetSafeHwnd(), reply);
        return;
    }
    if ((static_cast<DWORD>(options) & kOptionTeachAllowed) == 0) {
        CString refused;
        refused.Format(u"NG.%d=42", m_nNode);
        ShowReplyError(GetSafeHwnd(), refused);
        return;
    }
    CString text;
    text.Format(IDS_CD_MAN_TEACH_ASK, static_cast<const char16_t*>(FormatFixedDecimals(position, Decimals())),
                m_selectedPoint);
    if (ShowMessage(GetSafeHwnd(), text, MB_OKCANCEL | MB_ICONQUESTION) != IDOK) return;
    if (CWnd* parent = GetParent()) parent->SendMessage(UM_MANUAL_TEACH, static_cast<WPARAM>(position), 0);
}

void CDlgManual::OnStopClicked() { OnStop(); }

void CDlgManual::OnStop()
{
    if (!m_pProtocol) return;
    const bool moving = m_traceRunning || m_jogRunning || RunState() != 0;
    m_stopRequested = moving;
    std::unique_ptr<ScopedWaitWindow> wait;
    if (moving) wait = std::make_unique<ScopedWaitWindow>(GetSafeHwnd(), IDS_DM_STOPPING, true);
    m_pProtocol->StopCommand(m_nNode);
    const DWORD start = GetTickCount();
    while ((m_traceRunning || m_jogRunning || RunState() != 0) && GetTickCount() - start < kStopWaitMs) {
        PumpMessages(1);
        Sleep(1);
    }
    if (m_traceRunning || m_jogRunning || RunState() != 0) {
        m_traceRunning = false;
        m_jogRunning = false;
        m_stopRequested = false;
        GiveBackPanel();
        m_pProtocol->ClearBusy();
    }
    if (wait) wait->Close();
}

void CDlgManual::OnCommandEnded(WPARAM wParam)
{
    const int result = static_cast<int>(wParam);
    // The line that ended this panel's action, not whatever command the poll ran since.
    const CString reply = m_pProtocol ? m_pProtocol->GetActionEndText() : CString();
    if (m_traceRunning) {
        m_traceRunning = false;
        if (result != 0) {
            ShowMessage(GetSafeHwnd(), IDS_CD_MAN_TRACE_FAILED, MB_OK | MB_ICONINFORMATION);
        } else if (!m_stopRequested && !EndsWithStopCode(reply)) {
            // A stop the user asked for is no error to show.
            CString detail = FormatReplyError(reply);
            if (detail.IsEmpty() && m_pManager && m_pManager->GetLastAlarm() != 0) {
                CString alarm;
                alarm.Format(u"ALM=%02X", m_pManager->GetLastAlarm());
                detail = FormatReplyError(alarm);
            }
            CString text;
            text.Format(IDS_CD_MAN_TRACE_NG, static_cast<const char16_t*>(detail));
            ShowMessage(GetSafeHwnd(), text, MB_OK | MB_ICONEXCLAMATION);
        }
    } else if (m_jogRunning) {
        m_jogRunning = false;
        KillTimer(kJogWatchTimer);
        if (result == 0 && !reply.IsEmpty() && !EndsWithStopCode(reply)) ShowReplyError(GetSafeHwnd(), reply);
    }
    m_stopRequested = false;
    GiveBackPanel();
    if (CWnd* jog = GetDlgItem(IDC_MAN_JOG_MINUS)) jog->EnableWindow(!ModeIsRunning());
    if (CWnd* jog = GetDlgItem(IDC_MAN_JOG_PLUS)) jog->EnableWindow(!ModeIsRunning());
}

void CDlgManual::OnCancel()
{
    // Escape stops what this panel started; the panel itself stays.
    if (m_traceRunning || m_jogRunning || RunState() != 0) OnStop();
}

BOOL CDlgManual::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_ESCAPE) {
        if (m_traceRunning || m_jogRunning || RunState() != 0) OnStop();
        return TRUE;
    }
    if (TranslateMainWindowAccelerators(m_accelerators, pMsg)) return TRUE;
    if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_RETURN) {
        const HWND focus = ::GetFocus();
        if (CWnd* k9 = GetDlgItem(IDC_MAN_K9_EDIT); k9 && focus == k9->GetSafeHwnd()) {
            OnKillFocusK9();
            return TRUE;
        }
        if (CWnd* k10 = GetDlgItem(IDC_MAN_K10_EDIT); k10 && focus == k10->GetSafeHwnd()) {
            OnKillFocusK10();
            return TRUE;
        }
        if (CWnd* k11 = GetDlgItem(IDC_MAN_K11_EDIT); k11 && focus == k11->GetSafeHwnd()) {
            OnKillFocusK11();
            return TRUE;
        }
    }
    return CConnectableDialog::PreTranslateMessage(pMsg);
}

// --- Parameters -------------------------------------------------------------------------------

void CDlgManual::MarkEdited(int index, int id, int value, int reference)
{
    const bool edited = value != reference;
    if (edited == m_edited[index]) return;
    m_edited[index] = edited;
    if (CWnd* w = GetDlgItem(id)) {
        CFont& font = edited ? m_boldFont : m_normalFont;
        if (font.GetSafeHandle()) w->SetFont(&font);
        w->Invalidate();
    }
}

void CDlgManual::OnChangeK9()
{
    if (m_initialising || !m_pReference) return;
    MarkEdited(0, IDC_MAN_K9_EDIT, static_cast<int>(GetDlgItemInt(IDC_MAN_K9_EDIT)), m_pReference->K(kParamK9));
}

void CDlgManual::OnChangeK10()
{
    if (m_initialising || !m_pReference) return;
    MarkEdited(1, IDC_MAN_K10_EDIT, static_cast<int>(GetDlgItemInt(IDC_MAN_K10_EDIT)), m_pReference->K(kParamK10));
}

void CDlgManual::TakeClampedInteger(int id, int k)
{
    RobotParameterSet* set = EditedSet();
    if (!set) return;
    CString text;
    GetDlgItemText(id, text);
    const int value = std::clamp(text.IsEmpty() ? 1 : static_cast<int>(GetDlgItemInt(id)), 1, 100);
    CString shown;
    shown.Format(u"%d", value);
    if (shown != text) SetDlgItemText(id, shown);
    set->K(k) = value;
}

void CDlgManual::OnKillFocusK9() { TakeClampedInteger(IDC_MAN_K9_EDIT, kParamK9); }
void CDlgManual::OnKillFocusK10() { TakeClampedInteger(IDC_MAN_K10_EDIT, kParamK10); }

void CDlgManual::OnSetFocusK11() { GetDlgItemText(IDC_MAN_K11_EDIT, m_k11Text); }

void CDlgManual::TakeK11()
{
    RobotParameterSet* set = EditedSet();
    if (!set) return;
    const int d = Decimals();
    CString typed;
    GetDlgItemText(IDC_MAN_K11_EDIT, typed);
    CString text = typed;
    if (text.IsEmpty() || !IsNumericText(std::u16string_view(text), d, false)) text = m_k11Text;
    std::int64_t raw = text.IsEmpty() ? 1 : RoundToDecimals(NumericTextToDouble(std::u16string_view(text)), d);
    std::int64_t maximum = 1;
    for (int i = 0; i < d; ++i) maximum *= 10;
    raw = std::clamp<std::int64_t>(raw, 1, maximum);
    set->K(kParamK11) = static_cast<int>(raw);
    const CString shown = FormatFixedDecimals(static_cast<int>(raw), d);
    m_k11Text = shown;
    if (shown != typed) SetDlgItemText(IDC_MAN_K11_EDIT, shown);
    if (m_pReference) MarkEdited(2, IDC_MAN_K11_EDIT, static_cast<int>(raw), m_pReference->K(kParamK11));
}

void CDlgManual::OnKillFocusK11() { TakeK11(); }

BOOL CDlgManual::WriteParameterValue(int k)
{
    RobotParameterSet* set = EditedSet();
    if (!set || !m_pReference) return FALSE;
    const int value = set->K(k);
    if (value == m_pReference->K(k)) return TRUE;
    if (!WriteParameter(m_pCommManager, m_pProtocol, m_nNode, k, value)) return FALSE;
    m_pReference->K(k) = value;
    const int index = k - kParamK9;
    MarkEdited(index, kEditIds[index], value, value);
    if (CWnd* frame = ParentFrame()) frame->SendMessage(UM_MANUAL_PARAM_WRITTEN, static_cast<WPARAM>(k - 1), 0);
    return TRUE;
}

void CDlgManual::WriteWithConfirmation(int k, UINT labelId)
{
    // What is in the edit counts, whether or not it was left.
    if (k == kParamK11) TakeK11();
    else TakeClampedInteger(kEditIds[k - kParamK9], k);
    CString text;
    text.Format(IDS_CD_MAN_WRITE_ASK, static_cast<const char16_t*>(LoadText(labelId)));
    if (ShowMessage(GetSafeHwnd(), text, MB_OKCANCEL | MB_ICONWARNING) != IDOK) return;
    if (!AcquireLink()) return;
    const BOOL written = WriteParameterValue(k);
    const CString reply = written ? CString() : m_pProtocol->GetLastErrorText();
    ReleaseLink();
    if (!written) ShowReplyError(GetSafeHwnd(), reply);
}

void CDlgManual::OnWriteK9() { WriteWithConfirmation(kParamK9, IDS_CD_MAN_K9); }
void CDlgManual::OnWriteK10() { WriteWithConfirmation(kParamK10, IDS_CD_MAN_K10); }
void CDlgManual::OnWriteK11() { WriteWithConfirmation(kParamK11, IDS_CD_MAN_K11); }

HBRUSH CDlgManual::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
{
    if (pWnd) {
        for (int i = 0; i < 3; ++i) {
            if (m_edited[i] && pWnd->GetDlgCtrlID() == kEditIds[i] && pWnd->IsWindowEnabled()) {
                pDC->SetBkColor(kEditedColour);
                return m_editedBrush;
            }
        }
    }
    return CConnectableDialog::OnCtlColor(pDC, pWnd, nCtlColor);
}

void CDlgManual::OnPaint()
{
    // The panel sits in the pane: a thin frame sets it off.
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    CBrush frame(kFrameColour);
    dc.FrameRect(&client, &frame);
}

void CDlgManual::OnDestroy()
{
    // An axis is never left moving by a panel that goes away.
    if ((m_jogRunning || m_traceRunning) && m_pProtocol) m_pProtocol->StopCommand(m_nNode);
    KillTimer(kDisplayTimer);
    KillTimer(kJogWatchTimer);
    CConnectableDialog::OnDestroy();
    m_icons.Clear();
    if (m_accelerators) ::DestroyAcceleratorTable(m_accelerators);
    m_accelerators = HACCEL();
}
