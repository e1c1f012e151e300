#include "simulator/ui/SimulatorDlg.h"

#include "manager/core/NumberText.h"
#include "platform/core/File.h"
#include "platform/core/MessageBox.h"
#include "platform/core/ResourceModule.h"
#include "platform/core/Paths.h"
#include "platform/core/Time.h"
#include "platform/ui/Button.h"
#include "platform/ui/FileDialog.h"
#include "platform/ui/Menu.h"
#include "resources/simulator/pellarun_ids.h"
#include "simulator/core/CloseDecision.h"
#include "simulator/core/DecimalText.h"
#include "simulator/core/MotionSettingsFile.h"
#include "simulator/core/ServoParameters.h"
#include "simulator/ui/AboutDlg.h"
#include "simulator/ui/PointTableDetailDlg.h"
#include "simulator/ui/ResultDetailDlg.h"
#include "simulator/ui/SimulatorApp.h"
#include "manager/widgets/ProgressWaitWnd.h"

#include <algorithm>
#include <memory>

namespace {

constexpr int kMotionRows = 256;
constexpr int kResultRows = 257;
constexpr int kGridCols = 4;
constexpr COLORREF kMotionOddRow = RGB(239, 243, 255);
constexpr COLORREF kMotionEvenRow = RGB(255, 255, 255);
constexpr COLORREF kLocked = RGB(208, 208, 208);
// The wait windows' bars: loading the point list (2 per stage and per row),
// the run (25 for the commits, the motions' share of 255, the end).
constexpr int kPointListWaitSteps = 516;
constexpr int kRunWaitSteps = 300;
constexpr int kRunCommitStep = 25;
constexpr int kRunMotionSteps = 255;
// Reading motion settings: 20 for reading and clearing, one per motion.
constexpr int kMotionReadWaitSteps = 20;

// Controls that follow the dialog's height, with how their top and bottom
// move: by 0, by half, or by the whole of the height's change.
struct Anchor {
    int id;
    int top;     // 0, 1 (half) or 2 (whole)
    int bottom;
};
constexpr Anchor kAnchors[] = {
    {IDC_EXECUTE, 2, 2},         {IDC_POINT_GROUP, 0, 1},     {IDC_POINT_GRID, 0, 1},
    {IDC_MOTION_GROUP, 1, 2},    {IDC_MOTION_GRID, 1, 2},     {IDC_RESULT_GROUP, 1, 2},
    {IDC_RESULT_GRID, 1, 2},     {IDC_MODE_CONTINUOUS, 1, 1}, {IDC_MODE_INDIVIDUAL, 1, 1},
    {IDC_ADD_MOTION, 1, 1},      {IDC_DELETE_MOTION, 1, 1},   {IDC_COPY_RESULTS, 2, 2},
    {IDC_RESULT_DETAIL, 2, 2},
};

CString LoadText(UINT id)
{
    CString text;
    text.LoadString(id);
    return text;
}

CString DataFileFilter()
{
    const CString extension = LoadText(IDS_DATA_FILE_EXTENSION);
    CString filter;
    filter.Format(LoadText(IDS_DATA_FILE_FILTER), extension.GetString(), extension.GetString());
    return filter;
}

MotionLibrary& Library()
{
    static MotionLibrary unbound;
    CSimulatorApp* app = SimulatorApp();
    return app ? app->m_motionLibrary : unbound;
}

char16_t DecimalSeparator() { return GetNumberLocale().decimalSeparator; }

// Lets the windows paint and answer for a while during long work.
void PumpMessages(DWORD milliseconds)
{
    const DWORD start = ::GetTickCount();
    do {
        platform::PumpPendingMessages();
        ::Sleep(1);
    } while (::GetTickCount() - start < milliseconds);
}

// The wait window over the dialog while it works: a message and a bar from 0
// to upper, counted in steps of one.
constexpr int kWaitWidth = 362;
constexpr int kWaitHeight = 100;
std::unique_ptr<CProgressWaitWnd> ShowWaitWindow(CWnd* owner, UINT messageId, int upper)
{
    auto wait = std::make_unique<CProgressWaitWnd>(FALSE, 1, TRUE, FALSE, TRUE, 0);
    if (!wait->Create(owner, kWaitWidth, kWaitHeight)) return nullptr;
    wait->SetMessage(LoadText(messageId));
    wait->SetBarRange(0, upper, 1);
    wait->Show();
    return wait;
}

void CloseWaitWindow(std::unique_ptr<CProgressWaitWnd>& wait)
{
    if (!wait) return;
    PumpMessages(10);
    ::Sleep(100);
    wait->DestroyWindow();
    wait.reset();
}

}  // namespace

BEGIN_MESSAGE_MAP(CSimulatorDlg, CDialog)
    ON_WM_SYSCOMMAND()
    ON_WM_DESTROY()
    ON_WM_SIZE()
    ON_WM_GETMINMAXINFO()
    ON_BN_CLICKED(IDC_MENU_FILE, &CSimulatorDlg::OnMenuFile)
    ON_BN_CLICKED(IDC_MENU_HELP, &CSimulatorDlg::OnMenuHelp)
    ON_BN_CLICKED(IDC_MODE_CONTINUOUS, &CSimulatorDlg::OnModeChanged)
    ON_BN_CLICKED(IDC_MODE_INDIVIDUAL, &CSimulatorDlg::OnModeChanged)
    ON_MESSAGE(UM_POINTSCHANGED, &CSimulatorDlg::OnPointsChanged)
    ON_MESSAGE(UM_CURRENTPARAMCHANGED, &CSimulatorDlg::OnCurrentParamChanged)
    ON_NOTIFY(TCN_SELCHANGE, IDC_PARAM_TAB, &CSimulatorDlg::OnTabChanged)
    ON_NOTIFY(GN_ENTERCELL, IDC_MOTION_GRID, &CSimulatorDlg::OnMotionGridNotify)
    ON_NOTIFY(GN_CELLCHANGED, IDC_MOTION_GRID, &CSimulatorDlg::OnMotionGridNotify)
    ON_NOTIFY(GN_ENDEDIT, IDC_MOTION_GRID, &CSimulatorDlg::OnMotionGridNotify)
    ON_NOTIFY(GN_MOUSEMOVE, IDC_MOTION_GRID, &CSimulatorDlg::OnMotionGridNotify)
    ON_NOTIFY(GN_DBLCLK, IDC_MOTION_GRID, &CSimulatorDlg::OnMotionGridNotify)
    ON_NOTIFY(GN_DBLCLK, IDC_RESULT_GRID, &CSimulatorDlg::OnResultGridDblClk)
END_MESSAGE_MAP()

CSimulatorDlg::CSimulatorDlg(CWnd* pParent) : CDialog(IDD_SIMULATOR, pParent)
{
    if (const CSimulatorApp* app = SimulatorApp()) m_bExchange = app->m_bExchange;
    m_motionGrid.m_rules = FlxGridRules::Simulator;
    m_resultGrid.m_rules = FlxGridRules::Simulator;
}

CSimulatorDlg::~CSimulatorDlg()
{
    CloseDetailWindow();
    m_store.FreeControllerData(m_work);
    m_store.FreeControllerData(m_reference);
}

void CSimulatorDlg::CloseDetailWindow()
{
    // The window deletes itself once its own window is gone.
    CResultDetailDlg* detail = m_pDetail;
    m_pDetail = nullptr;
    if (!detail) return;
    detail->DetachFromMain();
    if (detail->GetSafeHwnd()) {
        detail->DestroyWindow();
    } else {
        delete detail;
    }
}

void CSimulatorDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_POINT_GRID, m_pointGrid);
    DDX_Control(pDX, IDC_MOTION_GRID, m_motionGrid);
    DDX_Control(pDX, IDC_RESULT_GRID, m_resultGrid);
    DDX_Control(pDX, IDC_CONTROLLER_COMBO, m_controllerCombo);
    DDX_Control(pDX, IDC_ROBOT_COMBO, m_robotCombo);
    DDX_Control(pDX, IDC_PARAM_TAB, m_tab);
}

BOOL CSimulatorDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    CSimulatorApp* app = SimulatorApp();
    m_hIcon = AfxGetApp()->LoadIcon(app ? app->AppIconId() : IDI_APP);
    SendMessage(WM_SETICON, 1, m_hIcon.ToLParam());
    SetTitleText(CString());

    m_store.AllocControllerData(m_work);
    m_store.AllocControllerData(m_reference);
    m_pointGrid.SetData(m_work.get(), m_reference.get());

    m_tooltip.Create(this, TRUE);
    m_tooltip.SetCssStyles(LoadText(IDS_BALLOON_CSS));
    m_tooltip.SetColorBk(RGB(255, 255, 255), RGB(240, 247, 255), RGB(192, 192, 208));
    m_tooltip.SetEffectBk(13, 5);

    // The servo page fills the tab's display area.
    m_servoPage.SetData(m_work.get(), m_reference.get(), this);
    m_servoPage.Create(IDD_SERVO_PAGE, this);
    m_tab.InsertItem(0, LoadText(IDS_TAB_SERVO));
    CRect tabRect;
    m_tab.GetWindowRect(&tabRect);
    ScreenToClient(&tabRect);
    m_tab.AdjustRect(FALSE, &tabRect);
    tabRect.left -= 2;
    tabRect.right += 2;
    tabRect.bottom += 2;
    m_servoPage.MoveWindow(&tabRect);
    m_servoPage.ShowWindow(SW_SHOW);

    m_pointGrid.InitLayout();
    InitMotionGrid();
    m_motionGrid.m_onEditDropped = [this](int row, int col, const CString& text) {
        // The motion takes back the text the grid shows again.
        if (m_motions.SetCellText(row, col, text)) m_motions.CommitCell(row, col, m_nDecimals, DecimalSeparator());
        RenderMotionRow(row);
    };
    InitResultGrid();
    CheckRadioButton(IDC_MODE_CONTINUOUS, IDC_MODE_CONTINUOUS, IDC_MODE_CONTINUOUS);
    CheckRadioButton(IDC_UNITS_STANDARD, IDC_UNITS_CUSTOM, IDC_UNITS_STANDARD);

    const CString libraryFile = app ? app->m_strMotionLibraryFile : CString(kMotionLibraryFileName);
    m_bLibraryLoaded = Library().IsLoaded() || Library().Load(libraryFile.GetString()) ? 1 : 0;

    if (m_bExchange) {
        if (!m_link.Load() || !m_link.ReadController(*m_work)) {
            ShowMessageById(IDS_NO_EXCHANGE_LIBRARY, MB_ICONERROR);
            EndWithResult(kExitNoExchangeLibrary);
            return TRUE;
        }
        CopyControllerData(m_reference.get(), m_work.get());
        m_pointGrid.LoadSpeeds();
        m_servoPage.ShowValues();
        m_servoPage.SetMassLimit();
        m_servoPage.LoadAccelInputs();
        LoadPointList();
        RefreshPointRefs();
        ShowFileIdentity();
        if (app && !app->m_strTitle.IsEmpty()) SetTitleText(app->m_strTitle);
    } else {
        int count = 0;
        if (!LoadControllerList(count, m_controllers)) {
            ShowMessageById(IDS_NO_DATABASE, MB_ICONERROR);
            EndWithResult(kExitNoDatabase);
            return TRUE;
        }
        for (const ControllerNamePair& pair : m_controllers) m_controllerCombo.AddString(pair.name);
        m_controllerCombo.SetCurSel(0);
        OnSelchangeController();
    }
    AddMotion();
    if (app) app->m_hMainDialog = m_hWnd;
    CaptureLayout();
    m_servoPage.UpdateSpeedLimitText();
    CenterWindow();
    return TRUE;
}

void CSimulatorDlg::EndWithResult(int result)
{
    Library().Release();
    m_bLibraryLoaded = 0;
    EndDialog(result);
}

void CSimulatorDlg::CaptureLayout()
{
    GetClientRect(&m_initialClient);
    GetWindowRect(&m_initialWindow);
    for (const Anchor& anchor : kAnchors) {
        CWnd* control = GetDlgItem(anchor.id);
        if (!control) continue;
        CRect rect;
        control->GetWindowRect(&rect);
        ScreenToClient(&rect);
        m_initialRects[anchor.id] = rect;
    }
    m_bLayoutReady = true;
}

void CSimulatorDlg::InitMotionGrid()
{
    CFlxGrid& grid = m_motionGrid;
    grid.SetRedraw(FALSE);
    grid.SetRows(kMotionRows);
    grid.SetCols(kGridCols);
    grid.ApplyTableColors();
    grid.SetFixedRows(1);
    grid.SetFixedCols(1);
    grid.SetRowHeight(0, 20);
    grid.SetColList(kMotionStartColumn, TRUE);
    grid.SetColList(kMotionEndColumn, TRUE);
    // A start is a point of the list or a position typed in mm (where the
    // motion's start may be edited: the input mode of the cell says).
    grid.SetColListTyping(kMotionStartColumn, TRUE);
    grid.SetCellText(0, kMotionStartColumn, LoadText(IDS_MOTION_HEAD_START));
    grid.SetCellText(0, kMotionEndColumn, LoadText(IDS_MOTION_HEAD_END));
    grid.SetCellText(0, kMotionDwellColumn, LoadText(IDS_MOTION_HEAD_DWELL));
    grid.SetRangeBold(0, 0, 0, kGridCols - 1, TRUE);
    grid.SetRangeFontSize(0, 0, 0, kGridCols - 1, 10);
    static constexpr int kWidths[kGridCols] = {65, 80, 80, 100};
    for (int c = 0; c < kGridCols; ++c) grid.SetColWidth(c, kWidths[c]);
    grid.SetRangeAlignment(1, 1, kMotionRows - 1, kGridCols - 1, GA_RIGHT);
    grid.SetRangeLocked(1, 1, kMotionRows - 1, kGridCols - 1, TRUE);
    grid.SetRangeBackColor(1, 0, kMotionRows - 1, kGridCols - 1, kLocked);
    grid.SetRedraw(TRUE);
    grid.Refresh();
}

void CSimulatorDlg::InitResultGrid()
{
    CFlxGrid& grid = m_resultGrid;
    grid.SetRedraw(FALSE);
    grid.SetRows(kResultRows);
    grid.SetCols(kGridCols);
    grid.ApplyTableColors();
    grid.SetFixedRows(1);
    grid.SetFixedCols(1);
    grid.SetRowHeight(0, 20);
    grid.SetCellText(0, 1, LoadText(IDS_RESULT_HEAD_TIME));
    grid.SetCellText(0, 2, LoadText(IDS_RESULT_HEAD_DISTANCE));
    grid.SetCellText(0, 3, LoadText(IDS_RESULT_HEAD_CURRENT));
    grid.SetRangeBold(0, 0, 0, kGridCols - 1, TRUE);
    grid.SetRangeFontSize(0, 0, 0, kGridCols - 1, 10);
    static constexpr int kWidths[kGridCols] = {80, 115, 115, 0};
    for (int c = 0; c < kGridCols; ++c) grid.SetColWidth(c, kWidths[c]);
    grid.SetRangeAlignment(1, 1, kResultRows - 1, kGridCols - 1, GA_RIGHT);
    grid.SetRangeLocked(1, 1, kResultRows - 1, kGridCols - 1, TRUE);
    grid.SetRangeBackColor(1, 1, kResultRows - 1, kGridCols - 1, kLocked);
    grid.SetRedraw(TRUE);
    grid.Refresh();
}

void CSimulatorDlg::SetTitleText(const CString& name) { SetWindowText(SimulatorCaption(name)); }

// ---------------------------------------------------------------- data

void CSimulatorDlg::LoadPointList()
{
    // Reading a file takes a moment: a wait window offline (the manager's
    // hand-over comes with its own).
    std::unique_ptr<CProgressWaitWnd> wait =
        m_bExchange ? nullptr : ShowWaitWindow(this, IDS_WAIT_READING_FILE, kPointListWaitSteps);
    RobotParameterSet* params = m_work->FirstParamSet();
    m_pointGrid.SetRedraw(FALSE);
    if (params) {
        m_nSpeedFlags = params->K(71);
        m_nDecimals = PositionDecimals(params->K(72));
    }
    m_nSpeedUnits = m_nSpeedFlags & 1;
    CheckRadioButton(IDC_UNITS_STANDARD, IDC_UNITS_CUSTOM, m_nSpeedUnits ? IDC_UNITS_CUSTOM : IDC_UNITS_STANDARD);
    if (wait) wait->AdvanceBar(2);
    m_pointGrid.ClearAll();
    m_pointGrid.DisableAll();
    m_pointGrid.ShowSpeedUnits(m_nSpeedUnits);
    if (wait) wait->AdvanceBar(2);
    for (int row = 1; row <= kPointCount; ++row) {
        m_pointGrid.FillRow(row);
        if (wait) wait->AdvanceBar(2);
    }
    m_pointGrid.SetRedraw(TRUE);
    m_pointGrid.Refresh();
    CloseWaitWindow(wait);
}

bool CSimulatorDlg::LoadRobotNames(int controllerIndex)
{
    std::vector<CString> names;
    if (!::LoadRobotNames(controllerIndex, names)) return false;
    m_robotCombo.ResetContent();
    GetDlgItem(IDC_EXECUTE)->EnableWindow(!names.empty() && !names.front().IsEmpty());
    for (const CString& name : names) {
        if (name.IsEmpty()) break;
        m_robotCombo.AddString(name);
    }
    return true;
}

void CSimulatorDlg::OnSelchangeController()
{
    m_servoPage.SetLastMass(0);
    if (m_bExchange || m_bFileOpen) return;
    m_robotCombo.SetRedraw(FALSE);
    LoadRobotNames(m_controllerCombo.GetCurSel());
    m_robotCombo.SetCurSel(0);
    OnSelchangeRobot();
    m_robotCombo.SetRedraw(TRUE);
    m_robotCombo.Invalidate();
}

void CSimulatorDlg::OnSelchangeRobot()
{
    m_servoPage.SetLastMass(0);
    if (m_bExchange || m_bFileOpen) return;
    CString controller, robot;
    m_controllerCombo.GetWindowText(controller);
    m_robotCombo.GetWindowText(robot);
    FillControllerDataFromDatabase(*m_work, controller, robot);
    m_work->typeText.Empty();
    for (const ControllerNamePair& pair : m_controllers)
        if (pair.name == controller) {
            m_work->typeText = pair.code;
            break;
        }
    m_nStrokeResult = m_servoPage.LoadStrokeData(robot);
    m_servoPage.ShowValues();
    m_servoPage.LoadAccelInputs();
    RobotParameterSet* params = m_work->FirstParamSet();
    if (!params) {
        m_reference->paramSets = m_work->paramSets;
        return;
    }
    params->K(71) = m_nSpeedFlags;
    const int oldDecimals = m_nDecimals;
    m_nDecimals = PositionDecimalsForCode(m_work->typeText);
    params->K(72) = m_nDecimals;
    if (oldDecimals != m_nDecimals) m_pointGrid.RescalePositions(oldDecimals, m_nDecimals);
    m_servoPage.SetMassLimit();
    m_servoPage.OnChangeStroke();
    if (m_nSpeedUnits) m_pointGrid.RecommitSpeeds();
    m_servoPage.UpdateSpeedLimitText();
    // The chosen robot's own parameters are where editing starts, not an
    // edit: only what the user changes afterwards is asked about on close.
    m_reference->paramSets = m_work->paramSets;
}

void CSimulatorDlg::OnSpeedUnitsChanged()
{
    const int units = IsDlgButtonChecked(IDC_UNITS_CUSTOM) == BST_CHECKED ? 1 : 0;
    if (units == m_nSpeedUnits) return;
    if (units == 1 && ShowMessageById(IDS_ASK_CUSTOM_UNITS, MB_YESNO | MB_ICONEXCLAMATION) != IDYES) {
        CheckRadioButton(IDC_UNITS_STANDARD, IDC_UNITS_CUSTOM, IDC_UNITS_STANDARD);
        return;
    }
    m_pointGrid.CommitCurrentCell();
    m_nSpeedUnits = units;
    m_nSpeedFlags = units ? 1 : 2;
    if (RobotParameterSet* params = m_work->FirstParamSet()) params->K(71) = m_nSpeedFlags;
    m_pointGrid.ConvertSpeedUnits(units);
    m_pointGrid.SetRedraw(FALSE);
    m_pointGrid.ShowSpeedUnits(units);
    m_pointGrid.SetRedraw(TRUE);
    m_pointGrid.Refresh();
}

void CSimulatorDlg::OnPointDetail()
{
    RobotParameterSet* params = m_work->FirstParamSet();
    if (!params) return;
    CPointTableDetailDlg dlg(this);
    dlg.SetValues(params->K(71), params->K(72), m_work->typeText);
    if (dlg.DoModal() != IDOK) return;
    std::int32_t flags = 0, decimals = 0;
    dlg.GetValues(flags, decimals);
    m_pointGrid.CommitCurrentCell();
    m_pointGrid.SetRedraw(FALSE);
    if (flags != params->K(71)) {
        const int oldUnits = params->K(71) & 1;
        params->K(71) = flags;
        m_nSpeedFlags = flags;
        m_nSpeedUnits = flags & 1;
        CheckRadioButton(IDC_UNITS_STANDARD, IDC_UNITS_CUSTOM, m_nSpeedUnits ? IDC_UNITS_CUSTOM : IDC_UNITS_STANDARD);
        if (oldUnits != m_nSpeedUnits) {
            m_pointGrid.ConvertSpeedUnits(m_nSpeedUnits);
            m_pointGrid.ShowSpeedUnits(m_nSpeedUnits);
        }
    }
    if (decimals != params->K(72)) {
        const int oldDecimals = PositionDecimals(params->K(72));
        params->K(72) = decimals;
        m_nDecimals = PositionDecimals(decimals);
        m_pointGrid.RescalePositions(oldDecimals, m_nDecimals);
    }
    m_pointGrid.SetRedraw(TRUE);
    m_pointGrid.Refresh();
}

bool CSimulatorDlg::PointsModified() const { return ::PointsModified(m_work->points, m_reference->points); }

bool CSimulatorDlg::ParametersModified() const
{
    const RobotParameterSet* current = m_work->FirstParamSet();
    const RobotParameterSet* reference = m_reference->FirstParamSet();
    if (!current || !reference) return false;
    return ::ParametersModified(*current, *reference);
}

void CSimulatorDlg::RefreshPointRefs()
{
    m_motionGrid.ListClear(kMotionStartColumn);
    m_motionGrid.ListClear(kMotionEndColumn);
    for (const PointRecord& point : m_work->points) {
        if (point.number == 0) continue;
        CString text;
        text.Format(u"P%d", point.number);
        m_motionGrid.ListAdd(kMotionEndColumn, text);
        if (point.m & 1) m_motionGrid.ListAdd(kMotionStartColumn, text);
    }
}

LRESULT CSimulatorDlg::OnPointsChanged(WPARAM, LPARAM)
{
    RefreshPointRefs();
    return 0;
}

LRESULT CSimulatorDlg::OnCurrentParamChanged(WPARAM, LPARAM) { return 0; }

CString CSimulatorDlg::GetRobotName() const
{
    CString name;
    if (m_robotCombo.GetSafeHwnd()) m_robotCombo.GetWindowText(name);
    return name;
}

void CSimulatorDlg::ShowFileIdentity()
{
    m_controllerCombo.ResetContent();
    m_robotCombo.ResetContent();
    m_controllerCombo.SetCurSel(m_controllerCombo.AddString(m_work->controller));
    m_robotCombo.SetCurSel(m_robotCombo.AddString(m_work->robot));
    GetDlgItem(IDC_UNITS_STANDARD)->EnableWindow(FALSE);
    GetDlgItem(IDC_UNITS_CUSTOM)->EnableWindow(FALSE);
    GetDlgItem(IDC_POINT_DETAIL)->EnableWindow(FALSE);
    m_servoPage.SetFixedRobot(1);
}

void CSimulatorDlg::RestoreControllerLists()
{
    m_servoPage.SetFixedRobot(0);
    CString controller, robot;
    m_controllerCombo.GetWindowText(controller);
    m_robotCombo.GetWindowText(robot);
    m_controllerCombo.ResetContent();
    m_robotCombo.ResetContent();
    m_controllers.clear();
    int count = 0;
    LoadControllerList(count, m_controllers);
    for (const ControllerNamePair& pair : m_controllers) m_controllerCombo.AddString(pair.name);
    // Whole names only: a name that begins another must not pick that one.
    int index = m_controllerCombo.FindStringExact(-1, controller);
    m_controllerCombo.SetCurSel(index < 0 ? 0 : index);
    LoadRobotNames(m_controllerCombo.GetCurSel());
    index = m_robotCombo.FindStringExact(-1, robot);
    if (index < 0) {
        m_robotCombo.SetCurSel(0);
        OnSelchangeRobot();
    } else {
        m_robotCombo.SetCurSel(index);
    }
    GetDlgItem(IDC_UNITS_STANDARD)->EnableWindow(TRUE);
    GetDlgItem(IDC_UNITS_CUSTOM)->EnableWindow(TRUE);
    GetDlgItem(IDC_POINT_DETAIL)->EnableWindow(TRUE);
}

// ---------------------------------------------------------------- files

void CSimulatorDlg::OnFileOpen()
{
    if (m_bExchange) return;
    const CString filter = DataFileFilter();
    CFileDialog dialog(TRUE, nullptr, nullptr, OFN_HIDEREADONLY, filter, this);
    m_pointGrid.CommitCurrentCell();
    m_robotCombo.SetFocus();
    if (m_bFileOpen && (PointsModified() || ParametersModified())) {
        const int answer = ShowMessageById(IDS_ASK_SAVE_BEFORE_OPEN, MB_YESNOCANCEL | MB_ICONINFORMATION);
        if (answer == IDCANCEL) return;
        if (answer == IDYES && !OnFileSave()) return;
    }
    if (dialog.DoModal() != IDOK) return;
    const CString path = dialog.GetPathName();
    // Read into a copy: a file that cannot be read leaves the data and the
    // path as they were, so a later Save cannot overwrite a file with zeros.
    ControllerData read = *m_work;
    for (PointRecord& point : read.points) point.Clear();
    if (!m_store.ReadControllerDataFile(path, read, true, true, true)) {
        ShowMessageById(IDS_DATA_FILE_UNREADABLE, MB_ICONERROR);
        return;
    }
    CString code;
    if (LookupControllerName(read.controller, code)) read.typeText = code;
    *m_work = read;
    m_bFileOpen = 1;
    m_pointGrid.SetMarkChanges(true);
    m_strPath = path;
    m_pointGrid.LoadSpeeds();
    m_servoPage.ShowValues();
    m_servoPage.LoadAccelInputs();
    LoadPointList();
    ShowFileIdentity();
    m_servoPage.SetMassLimit();
    RefreshPointRefs();
    SetTitleText(platform::FileNameOf(path));
    CopyControllerData(m_reference.get(), m_work.get());
    m_servoPage.ResetFixedFonts();
    m_servoPage.UpdateSpeedLimitText();
}

bool CSimulatorDlg::OnFileSave()
{
    if (m_bExchange) return false;
    m_pointGrid.CommitCurrentCell();
    m_servoPage.CommitAll();
    if (m_strPath.IsEmpty()) return OnFileSaveAs();
    m_pointGrid.StoreSpeeds();
    if (!m_store.WriteControllerDataFile(m_strPath, *m_work, true, true, true)) {
        ShowMessageById(IDS_DATA_FILE_NOT_SAVED, MB_ICONERROR);
        return false;
    }
    m_pointGrid.SetRedraw(FALSE);
    m_pointGrid.ClearChangeMarks();
    CopyControllerData(m_reference.get(), m_work.get());
    m_pointGrid.SetRedraw(TRUE);
    m_pointGrid.Refresh();
    m_servoPage.ResetFixedFonts();
    return true;
}

bool CSimulatorDlg::OnFileSaveAs()
{
    if (m_bExchange) return false;
    const CString filter = DataFileFilter();
    const CString extension = LoadText(IDS_DATA_FILE_EXTENSION);
    CFileDialog dialog(FALSE, extension, nullptr, OFN_HIDEREADONLY, filter, this);
    m_pointGrid.CommitCurrentCell();
    m_servoPage.CommitAll();
    if (dialog.DoModal() != IDOK) return false;
    const CString path = dialog.GetPathName();
    if (platform::FileExists(path) &&
        ShowMessageById(IDS_ASK_OVERWRITE, MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2) != IDOK)
        return false;
    m_pointGrid.StoreSpeeds();
    if (!m_store.WriteControllerDataFile(path, *m_work, true, true, true)) {
        ShowMessageById(IDS_DATA_FILE_NOT_SAVED, MB_ICONERROR);
        return false;
    }
    m_bFileOpen = 1;
    m_pointGrid.SetMarkChanges(true);
    m_strPath = path;
    m_pointGrid.SetRedraw(FALSE);
    m_pointGrid.ClearChangeMarks();
    ShowFileIdentity();
    SetTitleText(platform::FileNameOf(path));
    CopyControllerData(m_reference.get(), m_work.get());
    m_pointGrid.SetRedraw(TRUE);
    m_pointGrid.Refresh();
    m_servoPage.ResetFixedFonts();
    return true;
}

void CSimulatorDlg::OnFileClose()
{
    if (!m_bFileOpen) return;
    m_pointGrid.CommitCurrentCell();
    m_servoPage.CommitAll();
    if (PointsModified() || ParametersModified()) {
        const int answer = ShowMessageById(IDS_ASK_SAVE_BEFORE_CLOSE, MB_YESNOCANCEL | MB_ICONINFORMATION);
        if (answer == IDCANCEL) return;
        if (answer == IDYES && !OnFileSave()) return;
    }
    m_bFileOpen = 0;
    m_pointGrid.SetMarkChanges(false);
    m_pointGrid.ClearChangeMarks();
    m_strPath.Empty();
    RestoreControllerLists();
    SetTitleText(CString());
}

// ---------------------------------------------------------------- motion list

void CSimulatorDlg::ReadControls()
{
    const MotionMode mode =
        IsDlgButtonChecked(IDC_MODE_INDIVIDUAL) == BST_CHECKED ? MotionMode::kIndividual : MotionMode::kContinuous;
    if (mode != m_motions.Mode() && m_motions.CanChangeMode()) m_motions.SetMode(mode);
    m_nMotionMode = static_cast<int>(m_motions.Mode());
}

void CSimulatorDlg::ShowMotionModeButtons()
{
    CheckRadioButton(IDC_MODE_INDIVIDUAL, IDC_MODE_CONTINUOUS,
                     m_motions.Mode() == MotionMode::kIndividual ? IDC_MODE_INDIVIDUAL : IDC_MODE_CONTINUOUS);
    const bool free = m_motions.CanChangeMode();
    GetDlgItem(IDC_MODE_CONTINUOUS)->EnableWindow(free || m_motions.Mode() == MotionMode::kContinuous);
    GetDlgItem(IDC_MODE_INDIVIDUAL)->EnableWindow(free || m_motions.Mode() == MotionMode::kIndividual);
}

void CSimulatorDlg::OnModeChanged()
{
    ReadControls();
    ShowMotionModeButtons();
    RenderAllMotions();
}

void CSimulatorDlg::RenderMotionRow(int row)
{
    if (row < 1 || row >= kMotionRows) return;
    CFlxGrid& grid = m_motionGrid;
    if (row > m_motions.Count()) {
        for (int c = 0; c < kGridCols; ++c) {
            grid.SetCellText(row, c, u"");
            grid.SetCellTextColor(row, c, ::GetSysColor(COLOR_WINDOWTEXT));
        }
        grid.SetRangeLocked(row, 1, row, kGridCols - 1, TRUE);
        grid.SetRangeBackColor(row, 0, row, kGridCols - 1, kLocked);
        return;
    }
    const COLORREF back = row % 2 == 1 ? kMotionOddRow : kMotionEvenRow;
    for (int c = 0; c < kGridCols; ++c) {
        grid.SetCellText(row, c, m_motions.CellText(row, c));
        grid.SetCellBackColor(row, c, back);
        if (c > 0) grid.SetCellLocked(row, c, m_motions.IsCellLocked(row, c) ? TRUE : FALSE);
    }
    grid.SetCellTextColor(row, kMotionEndColumn,
                          ::GetSysColor(m_motions.IsContinuedEnd(row) ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT));
}

void CSimulatorDlg::RenderAllMotions()
{
    m_motionGrid.SetRedraw(FALSE);
    for (int r = 1; r < kMotionRows; ++r) RenderMotionRow(r);
    m_motionGrid.SetRedraw(TRUE);
    m_motionGrid.Refresh();
}

bool CSimulatorDlg::AddMotion()
{
    ReadControls();
    const MotionList::AddResult result = m_motions.Add();
    if (result == MotionList::AddResult::kFull) {
        ShowMessageById(IDS_TOO_MANY_MOTIONS, MB_ICONERROR);
        return false;
    }
    if (result != MotionList::AddResult::kAdded) return false;
    const int row = m_motions.Count();
    RenderMotionRow(row - 1);
    RenderMotionRow(row);
    ShowMotionModeButtons();
    m_motionGrid.Refresh();
    return true;
}

bool CSimulatorDlg::DeleteMotion()
{
    const int row = m_motions.Count();
    if (!m_motions.DeleteLast()) return false;
    RenderMotionRow(row);
    RenderMotionRow(row - 1);
    ReadControls();
    ShowMotionModeButtons();
    m_motionGrid.Refresh();
    return true;
}

void CSimulatorDlg::CommitMotionCell(int row, int col)
{
    if (m_motionGrid.IsEditing()) m_motionGrid.EndEdit(TRUE);
    if (m_motions.CommitCell(row, col, m_nDecimals, DecimalSeparator())) RenderMotionRow(row);
}

void CSimulatorDlg::OnMotionGridNotify(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    if (pNMHDR->code == GN_MOUSEMOVE || pNMHDR->code == GN_DBLCLK) {
        const auto* mouse = reinterpret_cast<const NMGRIDMOUSE*>(pNMHDR);
        if (pNMHDR->code == GN_DBLCLK) {
            // Acting on the empty part of the list adds the next motion.
            if (mouse->row >= 1 && mouse->col >= 1 && m_motionGrid.GetCellLocked(mouse->row, mouse->col) &&
                mouse->row > m_motions.Count())
                AddMotion();
            return;
        }
        if (mouse->row == m_nBalloonRow) return;
        m_nBalloonRow = mouse->row;
        if (mouse->row < 1 || mouse->col != 0 || m_motionGrid.GetCellText(mouse->row, 0).IsEmpty()) {
            m_tooltip.HideTooltip();
            return;
        }
        POINT point{mouse->x, mouse->y};
        m_motionGrid.ClientToScreen(&point);
        ShowMotionBalloon(mouse->row, point);
        return;
    }
    const auto* cell = reinterpret_cast<const NMGRID*>(pNMHDR);
    switch (pNMHDR->code) {
    case GN_ENTERCELL: {
        const CellEditKind kind = m_motions.EditKind(cell->row, cell->col);
        m_motionGrid.m_nInputMode = kind == CellEditKind::kInteger   ? CFlxGrid::kInputWhole
                                    : kind == CellEditKind::kDecimal ? CFlxGrid::kInputDecimal
                                                                     : CFlxGrid::kInputFree;
        break;
    }
    case GN_CELLCHANGED:
        m_motions.SetCellText(cell->row, cell->col, m_motionGrid.GetCellText(cell->row, cell->col));
        break;
    case GN_ENDEDIT: CommitMotionCell(cell->row, cell->col); break;
    default: break;
    }
}

MoveSource CSimulatorDlg::Source() const
{
    static const RobotParameterSet kNoParameters{};
    const RobotParameterSet* params = m_work->FirstParamSet();
    return MoveSource{m_work->points, params ? *params : kNoParameters, m_pointGrid.Speeds(), m_nDecimals};
}

void CSimulatorDlg::ShowMotionBalloon(int row, POINT screenPoint)
{
    CommitMotionCell(m_motionGrid.GetCurrentRow(), m_motionGrid.GetCurrentCol());
    m_tooltip.HideTooltip();
    m_tooltip.SetCssStyles(LoadText(IDS_BALLOON_CSS));
    const HICON errorIcon = ::LoadIconW(HINSTANCE(), IDI_HAND);
    const CString text = MotionBalloonText(Source(), m_motions, row, static_cast<std::uint32_t>(errorIcon.ToWParam()),
                                           m_error);
    m_tooltip.ShowHelpTooltip(screenPoint, text);
}

// ---------------------------------------------------------------- run

void CSimulatorDlg::OnExecute()
{
    if (m_servoPage.IsSpeedOverLimit() &&
        ShowMessageById(IDS_ASK_SPEED_OVER_LIMIT, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES)
        return;
    ReadControls();
    if (m_pDetail && m_pDetail->GetSafeHwnd()) m_pDetail->EnableWindow(FALSE);
    std::unique_ptr<CProgressWaitWnd> wait = ShowWaitWindow(this, IDS_WAIT_RUNNING, kRunWaitSteps);
    if (wait) ::Sleep(100);
    m_pointGrid.CommitCurrentCell();
    CommitMotionCell(m_motionGrid.GetCurrentRow(), m_motionGrid.GetCurrentCol());
    if (wait) wait->AdvanceBar(kRunCommitStep);

    // Only a run in which every motion passed replaces the results.
    const int step = kRunMotionSteps / std::max(m_motions.Count(), 1);
    const RunOutcome outcome = RunMotions(Source(), m_motions, Library(), m_results, m_error, [&](int) {
        if (wait) wait->AdvanceBar(step);
    });
    if (wait && outcome == RunOutcome::kOk) {
        if (CGradientProgressCtrl* bar = wait->GetBar()) bar->SetPos(kRunWaitSteps);
    }
    // The messages below come after the wait window has gone.
    CloseWaitWindow(wait);
    switch (outcome) {
    case RunOutcome::kNoMotion:
        ShowMessageById(IDS_NO_MOTION, MB_ICONERROR);
        m_motionGrid.SelectCell(1, 1, TRUE);
        break;
    case RunOutcome::kNoLibrary: ShowMessageById(IDS_NO_MOTION_LIBRARY, MB_ICONERROR); break;
    case RunOutcome::kCheckFailed:
        ShowMessageText(m_error.Message(false), MB_ICONERROR);
        m_motionGrid.SelectCell(m_error.Motion(), std::max(1, static_cast<int>(m_error.Column())), TRUE);
        break;
    case RunOutcome::kOk: {
        ReadControls();
        static const RobotParameterSet kNoParameters{};
        const RobotParameterSet* params = m_work->FirstParamSet();
        m_detailSettings = MakeResultDetailSettings(params ? *params : kNoParameters, m_work->typeText, 0);
        FillResultTable();
        if (m_pDetail && m_pDetail->GetSafeHwnd()) {
            m_pDetail->EnableWindow(TRUE);
            OpenResultDetail();
        }
        break;
    }
    }
    if (m_pDetail && m_pDetail->GetSafeHwnd()) m_pDetail->EnableWindow(TRUE);
}

void CSimulatorDlg::FillResultTable()
{
    CFlxGrid& grid = m_resultGrid;
    grid.SetRedraw(FALSE);
    grid.SetRangeLocked(1, 1, kResultRows - 1, kGridCols - 1, FALSE);
    grid.ClearRange(1, 0, kResultRows - 1, kGridCols - 1);
    grid.SetRangeBackColor(1, 1, kResultRows - 1, kGridCols - 1, kLocked);
    // The rows shown are the rows copied.
    m_resultRows = BuildResultTable(m_results, m_motions.Mode(), m_nDecimals);
    for (const ResultTableRow& row : m_resultRows) {
        if (row.row < 1 || row.row >= kResultRows) continue;
        grid.SetCellText(row.row, 0, row.label);
        grid.SetCellText(row.row, 1, row.time);
        grid.SetCellText(row.row, 2, row.distance);
        grid.SetCellText(row.row, 3, row.current);
        grid.SetCellBackColor(row.row, 1, row.back);
        grid.SetCellBackColor(row.row, 2, row.back);
        grid.SetCellBackColor(row.row, 3, kResultLockedColour);
    }
    grid.SetRangeLocked(1, 1, kResultRows - 1, kGridCols - 1, TRUE);
    grid.SetRedraw(TRUE);
    grid.Refresh();
}

void CSimulatorDlg::OnCopyResults()
{
    std::vector<CString> headers;
    for (int c = 1; c < kGridCols; ++c) headers.push_back(m_resultGrid.GetCellText(0, c));
    const CString text = ResultsClipboardText(headers, m_resultRows);
    if (!text.IsEmpty()) CFlxGrid::PlaceClipboardText(m_hWnd, text);
}

void CSimulatorDlg::OpenResultDetail()
{
    const CString first = m_resultGrid.GetCellText(1, 0);
    if (first.IsEmpty()) return;
    const bool single = first != CString(u"TOTAL");
    if (m_pDetail && m_pDetail->GetSafeHwnd()) {
        m_pDetail->Refresh(first, single);
        m_pDetail->BringWindowToTop();
        return;
    }
    delete m_pDetail;
    m_pDetail = new CResultDetailDlg(first, single, this);
    if (!m_pDetail->CreateWindowFor(this)) {
        delete m_pDetail;
        m_pDetail = nullptr;
        return;
    }
    m_pDetail->ShowWindow(SW_SHOW);
}

void CSimulatorDlg::OnResultGridDblClk(NMHDR*, LRESULT* pResult)
{
    *pResult = 0;
    OpenResultDetail();
}

// ---------------------------------------------------------------- motion settings file

void CSimulatorDlg::OnSaveMotionSettings()
{
    CFileDialog dialog(FALSE, u"mos", nullptr, OFN_HIDEREADONLY, LoadText(IDS_MOTION_FILE_FILTER), this);
    CommitMotionCell(m_motionGrid.GetCurrentRow(), m_motionGrid.GetCurrentCol());
    if (dialog.DoModal() != IDOK) return;
    const CString path = dialog.GetPathName();
    if (platform::FileExists(path) &&
        ShowMessageById(IDS_ASK_OVERWRITE, MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2) != IDOK)
        return;
    if (!WriteMotionSettings(path)) ShowMessageById(IDS_MOTION_FILE_NOT_SAVED, MB_ICONERROR);
}

bool CSimulatorDlg::WriteMotionSettings(const CString& path)
{
    ReadControls();
    return WriteMotionSettingsFile(path, GetAppProductVersion(), m_motions);
}

void CSimulatorDlg::OnOpenMotionSettings()
{
    CFileDialog dialog(TRUE, nullptr, nullptr, OFN_HIDEREADONLY, LoadText(IDS_MOTION_FILE_FILTER), this);
    if (dialog.DoModal() != IDOK) return;
    ReadMotionSettings(dialog.GetPathName());
}

bool CSimulatorDlg::ReadMotionSettings(const CString& path)
{
    std::unique_ptr<CProgressWaitWnd> wait = ShowWaitWindow(this, IDS_WAIT_READING_MOTIONS, kMotionReadWaitSteps);
    MotionSettings settings;
    int invalidRow = 0;
    const MotionFileStatus status = ReadMotionSettingsFile(path, settings, &invalidRow);
    if (status == MotionFileStatus::kUnreadable) {
        CloseWaitWindow(wait);
        // The list the user has stays.
        ShowMessageById(IDS_MOTION_FILE_UNREADABLE, MB_ICONERROR);
        return false;
    }
    const int motions = static_cast<int>(settings.entries.size());
    if (wait) {
        wait->SetBarRange(0, motions + kMotionReadWaitSteps, 1);
        wait->AdvanceBar(kMotionReadWaitSteps / 2);
    }
    LoadMotionSettings(m_motions, settings, m_nDecimals, DecimalSeparator());
    ShowMotionModeButtons();
    RenderAllMotions();
    if (wait) wait->AdvanceBar(kMotionReadWaitSteps / 2 + motions);
    CloseWaitWindow(wait);
    if (status == MotionFileStatus::kInvalidValue) ShowMessageById(IDS_MOTION_FILE_INVALID, MB_ICONINFORMATION);
    return true;
}

// ---------------------------------------------------------------- commands and menus

BOOL CSimulatorDlg::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const UINT id = LOWORD(wParam);
    const UINT code = HIWORD(wParam);
    if (code == BN_CLICKED || lParam == 0) {
        switch (id) {
        case ID_FILE_OPEN_DATA: OnFileOpen(); return TRUE;
        case ID_FILE_SAVE_DATA: OnFileSave(); return TRUE;
        case ID_FILE_SAVE_DATA_AS: OnFileSaveAs(); return TRUE;
        case ID_FILE_CLOSE_DATA: OnFileClose(); return TRUE;
        case ID_FILE_EXIT: CloseDialog(); return TRUE;
        case ID_MOTION_FILE_OPEN: OnOpenMotionSettings(); return TRUE;
        case ID_MOTION_FILE_SAVE: OnSaveMotionSettings(); return TRUE;
        case ID_HELP_ABOUT: {
            CAboutDlg about(this);
            about.DoModal();
            return TRUE;
        }
        case ID_HELP_CAUTION: {
            CCautionDlg caution(1);
            caution.DoModal();
            return TRUE;
        }
        case IDC_UNITS_STANDARD:
        case IDC_UNITS_CUSTOM: OnSpeedUnitsChanged(); return TRUE;
        case IDC_POINT_DETAIL: OnPointDetail(); return TRUE;
        case IDC_ADD_MOTION: AddMotion(); return TRUE;
        case IDC_DELETE_MOTION: DeleteMotion(); return TRUE;
        case IDC_EXECUTE: OnExecute(); return TRUE;
        case IDC_COPY_RESULTS: OnCopyResults(); return TRUE;
        case IDC_RESULT_DETAIL: OpenResultDetail(); return TRUE;
        default: break;
        }
    }
    if (code == CBN_SELCHANGE && id == IDC_CONTROLLER_COMBO) {
        OnSelchangeController();
        return TRUE;
    }
    if (code == CBN_SELCHANGE && id == IDC_ROBOT_COMBO) {
        OnSelchangeRobot();
        return TRUE;
    }
    return CDialog::OnCommand(wParam, lParam);
}

void CSimulatorDlg::UpdateMenuItems(HMENU menu)
{
    const UINT fileState = m_bExchange ? MF_GRAYED : MF_ENABLED;
    ::EnableMenuItem(menu, ID_FILE_OPEN_DATA, MF_BYCOMMAND | fileState);
    ::EnableMenuItem(menu, ID_FILE_SAVE_DATA, MF_BYCOMMAND | fileState);
    ::EnableMenuItem(menu, ID_FILE_SAVE_DATA_AS, MF_BYCOMMAND | fileState);
    ::EnableMenuItem(menu, ID_FILE_CLOSE_DATA, MF_BYCOMMAND | (m_bFileOpen ? MF_ENABLED : MF_GRAYED));
}

void CSimulatorDlg::ShowMenu(UINT buttonId, int popupIndex)
{
    const HMENU menu = ::LoadMenuW(HMODULE(), MAKEINTRESOURCEW(IDR_SIMULATOR_MENU));
    if (!menu) return;
    const HMENU popup = ::GetSubMenu(menu, popupIndex);
    if (popup) {
        UpdateMenuItems(popup);
        CRect rect;
        GetDlgItem(static_cast<int>(buttonId))->GetWindowRect(&rect);
        const UINT command = static_cast<UINT>(
            ::TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD, rect.left, rect.bottom, 0, m_hWnd, nullptr));
        if (command) PostMessage(WM_COMMAND, command, 0);
    }
    ::DestroyMenu(menu);
}

void CSimulatorDlg::OnMenuFile() { ShowMenu(IDC_MENU_FILE, 0); }
void CSimulatorDlg::OnMenuHelp() { ShowMenu(IDC_MENU_HELP, 1); }

BOOL CSimulatorDlg::PreTranslateMessage(MSG* pMsg)
{
    if (m_tooltip.GetSafeHwnd()) m_tooltip.RelayEvent(pMsg);
    return CDialog::PreTranslateMessage(pMsg);
}

void CSimulatorDlg::OnTabChanged(NMHDR*, LRESULT* pResult)
{
    m_servoPage.ShowWindow(m_tab.GetCurSel() == 0 ? SW_SHOW : SW_HIDE);
    *pResult = 0;
}

// ---------------------------------------------------------------- size and close

void CSimulatorDlg::OnGetMinMaxInfo(MINMAXINFO* lpMMI)
{
    CDialog::OnGetMinMaxInfo(lpMMI);
    if (!m_bLayoutReady) return;
    const int width = m_initialWindow.right - m_initialWindow.left;
    lpMMI->ptMinTrackSize.x = width;
    lpMMI->ptMaxTrackSize.x = width;
    lpMMI->ptMinTrackSize.y = m_initialWindow.bottom - m_initialWindow.top;
}

void CSimulatorDlg::OnSize(UINT nType, int cx, int cy)
{
    CDialog::OnSize(nType, cx, cy);
    if (!m_bLayoutReady || nType == SIZE_MINIMIZED) return;
    const int d = cy - (m_initialClient.bottom - m_initialClient.top);
    for (const Anchor& anchor : kAnchors) {
        const auto found = m_initialRects.find(anchor.id);
        CWnd* control = GetDlgItem(anchor.id);
        if (found == m_initialRects.end() || !control) continue;
        const RECT& start = found->second;
        const int top = start.top + (anchor.top == 2 ? d : anchor.top == 1 ? d / 2 : 0);
        const int bottom = start.bottom + (anchor.bottom == 2 ? d : anchor.bottom == 1 ? d / 2 : 0);
        control->MoveWindow(start.left, top, start.right - start.left, bottom - top, FALSE);
    }
    Invalidate();
}

void CSimulatorDlg::OnSysCommand(UINT nID, LPARAM lParam)
{
    const UINT command = nID & 0xFFF0;
    if (command == SC_MAXIMIZE) return;
    if (command == SC_CLOSE) {
        CloseDialog();
        return;
    }
    CDialog::OnSysCommand(nID, lParam);
}

void CSimulatorDlg::CloseDialog()
{
    m_controllerCombo.SetFocus();
    m_pointGrid.CommitCurrentCell();
    CommitMotionCell(m_motionGrid.GetCurrentRow(), m_motionGrid.GetCurrentCol());
    m_servoPage.CommitAll();
    CloseState state;
    state.exchange = m_bExchange != 0;
    state.fileOpen = m_bFileOpen != 0;
    state.edited = PointsModified() || ParametersModified();
    state.linkAllocated = m_link.IsAllocated() != 0;
    const UINT question = CloseQuestion(state);
    const int answer = question ? ShowMessageById(question, MB_YESNOCANCEL | MB_ICONINFORMATION) : 0;
    const CloseOutcome outcome = DecideClose(state, answer);
    if (outcome.stay) return;
    // A save that failed keeps the dialog open: ending would lose the edits.
    if (outcome.saveFile && !OnFileSave()) return;
    if (outcome.writeBack) {
        // The block holds the edits for Yes and for No alike; the manager
        // takes them only for the result of Yes.
        m_pointGrid.StoreSpeeds();
        if (!m_link.WriteController(*m_work)) {
            ShowMessageById(IDS_EXCHANGE_NOT_WRITTEN, MB_ICONERROR);
            return;
        }
    }
    if (m_bExchange) m_link.Release();
    EndWithResult(outcome.result);
}

void CSimulatorDlg::OnDestroy()
{
    m_tooltip.DestroyWindow();
    CloseDetailWindow();
    CDialog::OnDestroy();
}
