#include "simulator/ui/TranServoSimPrmDlg.h"

#include "platform/core/MessageBox.h"
#include "platform/core/Paths.h"
#include "resources/simulator/pellarun_ids.h"
#include "simulator/core/DecimalText.h"
#include "simulator/core/ServoParameters.h"
#include "simulator/ui/SimulatorApp.h"
#include "simulator/ui/SimulatorDlg.h"

namespace {

constexpr COLORREF kPink = RGB(255, 204, 204);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

const MotionLibrary& Library()
{
    static MotionLibrary unbound;
    const CSimulatorApp* app = SimulatorApp();
    return app ? app->m_motionLibrary : unbound;
}

}  // namespace

BEGIN_MESSAGE_MAP(CTranServoSimPrmDlg, CDialog)
    ON_EN_KILLFOCUS(IDC_SERVO_OVERRIDE, &CTranServoSimPrmDlg::OnKillFocusOverride)
    ON_EN_KILLFOCUS(IDC_SERVO_MASS1, &CTranServoSimPrmDlg::OnKillFocusMass1)
    ON_EN_KILLFOCUS(IDC_SERVO_MASS2, &CTranServoSimPrmDlg::OnKillFocusMass2)
    ON_EN_KILLFOCUS(IDC_SERVO_STROKE, &CTranServoSimPrmDlg::OnKillFocusStroke)
    ON_EN_CHANGE(IDC_SERVO_MASS1, &CTranServoSimPrmDlg::OnChangeMass)
    ON_EN_CHANGE(IDC_SERVO_MASS2, &CTranServoSimPrmDlg::OnChangeMass)
    ON_EN_CHANGE(IDC_SERVO_STROKE, &CTranServoSimPrmDlg::OnEditStroke)
END_MESSAGE_MAP()

CTranServoSimPrmDlg::CTranServoSimPrmDlg() : CDialog(IDD_SERVO_PAGE) {}

CTranServoSimPrmDlg::~CTranServoSimPrmDlg() = default;

void CTranServoSimPrmDlg::SetData(ControllerData* current, ControllerData* saved, CSimulatorDlg* main)
{
    m_pCurrent = current;
    m_pSaved = saved;
    m_pMain = main;
}

RobotParameterSet* CTranServoSimPrmDlg::Params() const { return m_pCurrent ? m_pCurrent->FirstParamSet() : nullptr; }
const RobotParameterSet* CTranServoSimPrmDlg::SavedParams() const
{
    return m_pSaved ? m_pSaved->FirstParamSet() : nullptr;
}

BOOL CTranServoSimPrmDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_editStroke.SubclassDlgItem(IDC_SERVO_STROKE, this);
    m_editMaxSpeed.SubclassDlgItem(IDC_SERVO_MAX_SPEED, this);
    m_editOverride.SubclassDlgItem(IDC_SERVO_OVERRIDE, this);
    m_editMass1.SubclassDlgItem(IDC_SERVO_MASS1, this);
    m_editAccel1.SubclassDlgItem(IDC_SERVO_ACCEL1, this);
    m_editMass2.SubclassDlgItem(IDC_SERVO_MASS2, this);
    m_editAccel2.SubclassDlgItem(IDC_SERVO_ACCEL2, this);
    m_bFixedRobot = m_bOverrideChanged = m_bMass1Changed = m_bMass2Changed = 0;

    m_editStroke.SetMode(CNumberEdit::kRealMode);
    m_editStroke.SetRealFormat(4, 3);
    m_editStroke.SetRealRange(9999.999, 0.001);
    m_editMaxSpeed.SetMode(CNumberEdit::kRealMode);
    m_editMaxSpeed.SetRealFormat(4, 2);
    m_editMaxSpeed.SetRealRange(5000.0, 0.01);
    m_editOverride.SetMode(CNumberEdit::kIntegerMode);
    m_editOverride.SetIntRange(100, 1);
    for (CNumberEdit* mass : {&m_editMass1, &m_editMass2}) {
        mass->SetMode(CNumberEdit::kIntegerMode);
        mass->SetIntRange(300, 0);
    }
    for (CNumberEdit* accel : {&m_editAccel1, &m_editAccel2}) {
        accel->SetMode(CNumberEdit::kRealMode);
        accel->SetRealFormat(2, 2);
        accel->SetRealRange(100.0, 0.0);
    }
    for (CNumberEdit* edit : {&m_editStroke, &m_editOverride, &m_editMass1, &m_editMass2})
        edit->SetBackColour(kWhite, FALSE);

    LOGFONT font{};
    if (CFont* normal = m_editOverride.GetFont()) normal->GetLogFont(&font);
    font.lfWeight = FW_BOLD;
    m_boldFont.CreateFontIndirect(&font);
    if (CWnd* limit = GetDlgItem(IDC_SERVO_LIMIT_TEXT)) limit->SetFont(&m_boldFont);
    CheckInitParameterFiles();
    return TRUE;
}

void CTranServoSimPrmDlg::CheckInitParameterFiles()
{
    for (UINT id : MissingTableFileMessages(platform::GetProgramFolder())) ShowMessageById(id, MB_OK);
}

void CTranServoSimPrmDlg::ShowValues()
{
    const RobotParameterSet* params = Params();
    if (!params || !m_hWnd) return;
    m_bShowing = true;
    m_editStroke.SetRealValue(params->K(43) / 1000.0);
    m_editMaxSpeed.SetRealValue(params->K(44) / 100.0);
    m_editOverride.SetIntValue(params->K(9));
    m_editMass1.SetIntValue(params->K(76));
    m_editAccel1.SetRealValue(params->K(77) / 100.0);
    m_editMass2.SetIntValue(params->K(78));
    m_editAccel2.SetRealValue(params->K(79) / 100.0);
    m_editStroke.GetWindowText(m_strLastStroke);
    m_bShowing = false;
    if (CWnd* owner = GetParent()) {
        owner->SendMessage(UM_CURRENTPARAMCHANGED, 0, params->K(76));
        owner->SendMessage(UM_CURRENTPARAMCHANGED, 1, params->K(78));
    }
}

void CTranServoSimPrmDlg::SetMassLimit()
{
    const RobotParameterSet* params = Params();
    if (!params || params->K(47) <= 0) return;
    m_editMass1.SetIntRange(params->K(47), 0);
    m_editMass2.SetIntRange(params->K(47), 0);
}

void CTranServoSimPrmDlg::LoadAccelInputs()
{
    const RobotParameterSet* params = Params();
    if (!params) return;
    static constexpr int kInputs[7] = {48, 49, 50, 55, 56, 57, 58};
    for (int i = 0; i < 7; ++i) m_accelInputs[i] = params->K(kInputs[i]);
}

int CTranServoSimPrmDlg::LoadStrokeData(const CString& robotName)
{
    return LoadRobotTable(RobotTableKind::kStroke, robotName, m_stroke) ? 1 : 0;
}

void CTranServoSimPrmDlg::OnEditStroke()
{
    if (!m_bShowing) OnChangeStroke();
}

void CTranServoSimPrmDlg::OnChangeStroke()
{
    RobotParameterSet* params = Params();
    if (!params || !m_hWnd) return;
    if (m_pMain && m_pMain->StrokeDataResult()) ApplyStrokeTable(m_stroke, m_editStroke.GetRealValue(), *params);
    CString text;
    m_editStroke.GetWindowText(text);
    if (text != m_strLastStroke) {
        m_editMaxSpeed.SetRealValue(params->K(44) / 100.0);
        UpdateSpeedLimitText();
        m_strLastStroke = text;
    }
}

void CTranServoSimPrmDlg::ShowFieldChanged(CNumberEdit& edit, bool changed)
{
    edit.SetFont(changed ? &m_boldFont : GetFont());
    edit.SetBackColour(changed ? kPink : kWhite);
}

void CTranServoSimPrmDlg::UpdateOverrideColour()
{
    m_editOverride.SetBackColour(m_bOverLimit ? kRed : m_bOverrideChanged ? kPink : kWhite);
}

void CTranServoSimPrmDlg::CommitOverride()
{
    RobotParameterSet* params = Params();
    if (!params) return;
    params->K(9) = m_editOverride.GetIntValue();
    if (m_bFixedRobot) {
        const RobotParameterSet* saved = SavedParams();
        m_bOverrideChanged = saved && params->K(9) != saved->K(9) ? 1 : 0;
        m_editOverride.SetFont(m_bOverrideChanged ? &m_boldFont : GetFont());
    }
    UpdateSpeedLimitText();
}

void CTranServoSimPrmDlg::CommitMass(int which)
{
    RobotParameterSet* params = Params();
    if (!params) return;
    CNumberEdit& mass = which == 1 ? m_editMass1 : m_editMass2;
    CNumberEdit& accel = which == 1 ? m_editAccel1 : m_editAccel2;
    // A mass left as it was keeps its limit: leaving the field is no edit.
    if (mass.GetIntValue() == params->K(which == 1 ? 76 : 78)) return;
    CommitCarriedMass(which, mass.GetIntValue(), Library(), *params);
    accel.SetRealValue(params->K(which == 1 ? 77 : 79) / 100.0);
    if (CWnd* owner = GetParent())
        owner->SendMessage(UM_CURRENTPARAMCHANGED, which - 1, params->K(which == 1 ? 76 : 78));
    if (m_bFixedRobot) {
        const RobotParameterSet* saved = SavedParams();
        const int k = which == 1 ? 76 : 78;
        const bool changed = saved && params->K(k) != saved->K(k);
        (which == 1 ? m_bMass1Changed : m_bMass2Changed) = changed ? 1 : 0;
        ShowFieldChanged(mass, changed);
    }
}

void CTranServoSimPrmDlg::CommitStroke()
{
    RobotParameterSet* params = Params();
    if (!params) return;
    // A stroke left as it was changes nothing (K2 stays as the data hold it).
    if (RoundToInt32(m_editStroke.GetRealValue() * 1000.0) == params->K(43)) return;
    ::CommitStroke(m_editStroke.GetRealValue(), *params);
    if (m_pMain && m_pMain->SpeedUnits() == 1) m_pMain->PointGrid().ClampSpeeds();
}

void CTranServoSimPrmDlg::OnKillFocusOverride() { CommitOverride(); }
void CTranServoSimPrmDlg::OnKillFocusMass1() { CommitMass(1); }
void CTranServoSimPrmDlg::OnKillFocusMass2() { CommitMass(2); }
void CTranServoSimPrmDlg::OnKillFocusStroke() { CommitStroke(); }

void CTranServoSimPrmDlg::CommitAll()
{
    if (!m_hWnd) return;
    for (CNumberEdit* edit : {&m_editOverride, &m_editMass1, &m_editMass2, &m_editStroke}) edit->Reformat();
    CommitOverride();
    CommitMass(1);
    CommitMass(2);
    CommitStroke();
}

void CTranServoSimPrmDlg::OnChangeMass()
{
    if (m_bShowing || !m_hWnd) return;
    CString mass1, mass2;
    m_editMass1.GetWindowText(mass1);
    m_editMass2.GetWindowText(mass2);
    m_nLargestMass = LargestMass(mass1, mass2);
    if (m_nLargestMass != m_nLastMass) {
        UpdateSpeedLimitText();
        m_nLastMass = m_nLargestMass;
    }
}

void CTranServoSimPrmDlg::UpdateSpeedLimitText()
{
    const RobotParameterSet* params = Params();
    if (!params || !m_hWnd) return;
    CString mass1, mass2;
    m_editMass1.GetWindowText(mass1);
    m_editMass2.GetWindowText(mass2);
    m_nLargestMass = LargestMass(mass1, mass2);
    const CString robot = m_pMain ? m_pMain->GetRobotName() : CString();
    const bool loaded = LoadRobotTable(RobotTableKind::kPayload, robot, m_payload);
    const SpeedLimit limit = ComputeSpeedLimit(loaded ? &m_payload : nullptr, m_nLargestMass, *params);
    m_bOverLimit = limit.overLimit ? 1 : 0;
    m_nLimitPercent = limit.percent;
    SetDlgItemText(IDC_SERVO_LIMIT_TEXT, limit.text);
    UpdateOverrideColour();
}

void CTranServoSimPrmDlg::SetFixedRobot(int fixed)
{
    m_bFixedRobot = fixed;
    m_editStroke.SetReadOnly(fixed ? TRUE : FALSE);
    // A field that takes no typing looks it: the face of the dialog, not white.
    m_editStroke.SetBackColour(fixed ? ::GetSysColor(COLOR_BTNFACE) : kWhite);
    if (!fixed) ResetFixedFonts();
}

void CTranServoSimPrmDlg::ResetFixedFonts()
{
    m_bOverrideChanged = m_bMass1Changed = m_bMass2Changed = 0;
    for (CNumberEdit* edit : {&m_editOverride, &m_editMass1, &m_editMass2}) {
        edit->SetFont(GetFont());
        edit->SetBackColour(kWhite);
    }
    UpdateOverrideColour();
}

BOOL CTranServoSimPrmDlg::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_RETURN) {
        if (pMsg->hwnd == m_editOverride.GetSafeHwnd()) CommitOverride();
        else if (pMsg->hwnd == m_editMass1.GetSafeHwnd()) CommitMass(1);
        else if (pMsg->hwnd == m_editMass2.GetSafeHwnd()) CommitMass(2);
        else if (pMsg->hwnd == m_editStroke.GetSafeHwnd()) CommitStroke();
    }
    return CDialog::PreTranslateMessage(pMsg);
}
