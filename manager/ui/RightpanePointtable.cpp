#include "manager/ui/RightpanePointtable.h"

#include "manager/core/DataManager.h"
#include "manager/dialogs/DialogHelpers.h"
#include "manager/dialogs/DlgPointInput.h"
#include "manager/ui/ManagerMessages.h"
#include "manager/ui/QuorvaneApp.h"
#include "manager/widgets/GridPrintLayout.h"
#include "platform/ui/Button.h"
#include "resources/manager/resource_ids.h"

namespace {
constexpr UINT kPointInputCommand = 32804;
// The application's display options of this pane (bytes of the option
// record the main window keeps in the profile): the full-view choice carries
// over from one pane to the next and from one run to the next.
constexpr int kHideUndefinedOption = 2;
constexpr int kFullViewOption = 3;

BYTE& DisplayOption(int index)
{
    static BYTE fallback = 0;
    CQuorvaneApp* app = GetQuorvaneApp();
    return app ? app->Options().Bytes()[static_cast<size_t>(index)] : fallback;
}

int AccessLevelNow() { return GetQuorvaneApp() ? GetQuorvaneApp()->GetAccessLevel() : 0; }
}  // namespace

BEGIN_MESSAGE_MAP(CRightpanePointtable, CPaneDialog)
    ON_BN_CLICKED(IDC_PANE_HIDE_UNDEFINED, &CRightpanePointtable::OnHideClicked)
    ON_BN_CLICKED(IDC_PANE_FULL_VIEW, &CRightpanePointtable::OnFullClicked)
    ON_BN_CLICKED(IDC_PANE_MANUAL_BUTTON, &CRightpanePointtable::OnManualClicked)
    ON_MESSAGE(UM_MANUAL_CURRENT_POINT, &CRightpanePointtable::OnManualPoint)
    ON_MESSAGE(UM_MANUAL_TEACH, &CRightpanePointtable::OnManualTeach)
    ON_MESSAGE(UM_CELLDESCRIPTION, &CRightpanePointtable::OnCellDescription)
    ON_MESSAGE(UM_MANUAL_HAS_UNSENT, &CRightpanePointtable::OnManualQuery)
    ON_MESSAGE(UM_PAUSEPOLLING, &CRightpanePointtable::OnToFrame)
    ON_MESSAGE(UM_RESUMEPOLLING, &CRightpanePointtable::OnToFrame)
    ON_MESSAGE(UM_GRIDCONTEXTMENU, &CRightpanePointtable::OnContextMenuMessage)
    ON_MESSAGE(UM_ACCESSLEVELCHANGED, &CRightpanePointtable::OnAccessLevel)
    ON_COMMAND(kPointInputCommand, &CRightpanePointtable::OnPointInput)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CRightpanePointtable::CRightpanePointtable() : CPaneDialog(IDD_PANE_POINTTABLE, nullptr) {}
CRightpanePointtable::~CRightpanePointtable() = default;

BOOL CRightpanePointtable::CreatePointPane(CWnd* pParent, ControllerData* pData, const WORD* pConnectionKind,
                                           std::array<PointRecord, kPointCount>* pReference, BOOL bStoreM)
{
    m_pReference = pReference;
    m_storeM = bStoreM;
    if (!CreatePane(IDD_PANE_POINTTABLE, pParent, pData, pConnectionKind)) return FALSE;
    m_grid.LayoutPointGrid(pData, pReference, IsDlgButtonChecked(IDC_PANE_FULL_VIEW) ? FALSE : TRUE);
    m_grid.FillPointGrid(IsDlgButtonChecked(IDC_PANE_HIDE_UNDEFINED), bStoreM, FALSE);
    if (m_grid.GetRows() > CPointTableGrid::kFixedRows) m_grid.SelectCell(CPointTableGrid::kFixedRows, 1, FALSE);
    m_grid.Refresh();
    ApplyAccessRule(true);
    return TRUE;
}

bool CRightpanePointtable::IsPulseTrainModel() const
{
    return m_pData && (m_pData->typeText.Find(u"LB") >= 0 || m_pData->controller.Find(u"LB") >= 0);
}

void CRightpanePointtable::ApplyAccessRule(bool atCreation)
{
    if (!IsPulseTrainModel()) return;
    const int level = AccessLevelNow();
    // A pulse-train controller's points belong to levels 1 and 5; at creation
    // any other level sees no grid, and only level 5 brings it back later.
    bool show = false;
    if (atCreation) {
        show = level == 1 || level == 5;
    } else {
        if (level != 5) return;
        show = true;
    }
    m_grid.m_bRedrawLocked = show ? FALSE : TRUE;
    m_grid.ShowWindow(show ? SW_SHOW : SW_HIDE);
    for (int id : {IDC_PANE_HIDE_UNDEFINED, IDC_PANE_FULL_VIEW})
        if (CWnd* box = GetDlgItem(id)) box->ShowWindow(show ? SW_SHOW : SW_HIDE);
    if (CWnd* button = GetDlgItem(IDC_PANE_MANUAL_BUTTON)) button->ShowWindow(show && m_manual ? SW_SHOW : SW_HIDE);
    if (show) m_grid.Refresh();
}

BOOL CRightpanePointtable::OnInitDialog()
{
    CPaneDialog::OnInitDialog();
    CheckDlgButton(IDC_PANE_HIDE_UNDEFINED, BST_UNCHECKED);
    CheckDlgButton(IDC_PANE_FULL_VIEW, DisplayOption(kFullViewOption) != 0 ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemText(IDC_PANE_HIDE_UNDEFINED, LoadFrameText(IDS_PANE_HIDE_UNDEFINED).GetString());
    SetDlgItemText(IDC_PANE_FULL_VIEW, LoadFrameText(IDS_PANE_FULL_VIEW).GetString());
    SetDlgItemText(IDC_PANE_MANUAL_BUTTON, LoadFrameText(IDS_PANE_MANUAL_CLOSE).GetString());
    if (CWnd* button = GetDlgItem(IDC_PANE_MANUAL_BUTTON)) button->ShowWindow(SW_HIDE);
    m_grid.Create(CRect(0, 0, 100, 100), this, IDC_PANE_POINT_GRID);
    // Loaded once: the pane object outlives its windows.
    if (!m_accelerators) m_accelerators = LoadMainAccelerators();
    return TRUE;
}

BOOL CRightpanePointtable::PreTranslateMessage(MSG* pMsg)
{
    if (TranslateMainWindowAccelerators(m_accelerators, pMsg)) return TRUE;
    return CPaneDialog::PreTranslateMessage(pMsg);
}

void CRightpanePointtable::CreateManualDialog(CDataManager* manager, int node, RobotParameterSet* referenceSet)
{
    if (m_manual || IsOffline() || !manager || !m_pData) return;
    auto manual = std::make_unique<CDlgManual>();
    manual->SetAccessLevel(AccessLevelNow());
    if (!manual->Create(IDD_MANUAL, this, m_pData, manager->GetLink(), manager->GetProtocol(), node, referenceSet,
                        manager))
        return;
    manual->ShowWindow(SW_SHOW);
    m_manual = std::move(manual);
    m_manualActive = true;
    // While the panel is active the grid follows the point its program runs.
    m_manual->SetFollowCurrentPoint(true);
    if (CWnd* button = GetDlgItem(IDC_PANE_MANUAL_BUTTON)) button->ShowWindow(IsGridShown() ? SW_SHOW : SW_HIDE);
    CRect client;
    GetClientRect(&client);
    Layout(client.Width(), client.Height());
}

void CRightpanePointtable::OnDestroy()
{
    if (m_manual) {
        if (::IsWindow(m_manual->GetSafeHwnd())) m_manual->DestroyWindow();
        m_manual.reset();
    }
    CPaneDialog::OnDestroy();
}

BOOL CRightpanePointtable::Layout(int cx, int cy)
{
    int h = 0;
    if (m_manual && ::IsWindow(m_manual->GetSafeHwnd())) {
        CRect r;
        m_manual->GetWindowRect(&r);
        h = r.Height();
        m_manual->MoveWindow(5, 5, cx - 10, h);
    }
    auto place = [&](int id, int x) {
        CWnd* item = GetDlgItem(id);
        if (!item) return;
        CRect r;
        item->GetWindowRect(&r);
        item->SetWindowPos(nullptr, x, h + 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    };
    place(IDC_PANE_HIDE_UNDEFINED, 5);
    CRect hide;
    if (CWnd* item = GetDlgItem(IDC_PANE_HIDE_UNDEFINED)) item->GetWindowRect(&hide);
    place(IDC_PANE_FULL_VIEW, std::max(170, hide.Width() + 15));
    if (CWnd* button = GetDlgItem(IDC_PANE_MANUAL_BUTTON)) button->MoveWindow(cx - 165, h + 6, 160, 30);
    if (::IsWindow(m_grid.GetSafeHwnd())) m_grid.MoveWindow(5, h + 45, cx - 10, std::max(cy - h - 50, 0));
    return TRUE;
}

void CRightpanePointtable::RefreshPane()
{
    if (m_manual) m_manual->RefreshParameterValues();
}

void CRightpanePointtable::RefreshPointTable()
{
    // The grid is filled from the data alone: the link is not needed.
    m_grid.FillPointGrid(IsDlgButtonChecked(IDC_PANE_HIDE_UNDEFINED), m_storeM, TRUE);
}

BOOL CRightpanePointtable::StoreValues(ControllerData* target)
{
    if (!target || !m_pData) return FALSE;
    for (PointRecord& record : target->points) record.Clear();
    for (int slot = 0; slot < kPointCount; ++slot)
        if (m_pData->points[static_cast<size_t>(slot)].IsUsed())
            target->points[static_cast<size_t>(slot)] = m_pData->points[static_cast<size_t>(slot)];
    return TRUE;
}

BOOL CRightpanePointtable::TakeValues(const ControllerData* source)
{
    if (!source || !m_pData) return FALSE;
    m_pData->points = source->points;
    if (m_pReference) *m_pReference = source->points;
    RefreshPointTable();
    m_grid.RepaintPointRows();
    return TRUE;
}

bool CRightpanePointtable::PointsDiffer() const
{
    if (!m_pData || !m_pReference) return false;
    for (int slot = 0; slot < kPointCount; ++slot) {
        const PointRecord& mine = m_pData->points[static_cast<size_t>(slot)];
        const PointRecord& theirs = (*m_pReference)[static_cast<size_t>(slot)];
        if (!mine.IsUsed() && !theirs.IsUsed()) continue;
        for (int c = 0; c < PointRecord::kFieldCount; ++c)
            if (c != PointRecord::kC && mine.Field(c) != theirs.Field(c)) return true;
    }
    return false;
}

void CRightpanePointtable::EditCommand(UINT id)
{
    switch (id) {
    case ID_EDIT_CLEAR: m_grid.DeleteSelection(); break;
    case ID_EDIT_COPY: m_grid.CopySelection(FALSE); break;
    case ID_EDIT_CUT: m_grid.CopySelection(TRUE); break;
    case ID_EDIT_PASTE: m_grid.PasteFromClipboard(); break;
    default: break;
    }
}

void CRightpanePointtable::LockManual(BOOL lock)
{
    if (m_manual) m_manual->EnableOperation(lock ? FALSE : TRUE, TRUE);
}

void CRightpanePointtable::SetBusy(BOOL busy)
{
    if (!m_manual) return;
    m_manual->SetBusy(busy);
    LockPointGrid(busy);
}

void CRightpanePointtable::OnHideClicked()
{
    DisplayOption(kHideUndefinedOption) = IsDlgButtonChecked(IDC_PANE_HIDE_UNDEFINED) ? 1 : 0;
    m_grid.SetRedraw(FALSE);
    m_grid.ShowUndefinedPoints(IsDlgButtonChecked(IDC_PANE_HIDE_UNDEFINED));
    m_grid.SetRedraw(TRUE);
    m_grid.Refresh();
}

void CRightpanePointtable::OnFullClicked()
{
    const bool full = IsDlgButtonChecked(IDC_PANE_FULL_VIEW) != 0;
    DisplayOption(kFullViewOption) = full ? 1 : 0;
    m_grid.SetRedraw(FALSE);
    m_grid.SetSimpleView(full ? FALSE : TRUE);
    m_grid.SetRedraw(TRUE);
    m_grid.Refresh();
}

void CRightpanePointtable::OnManualClicked()
{
    if (!m_manual) return;
    m_manualActive = !m_manualActive;
    SetDlgItemText(IDC_PANE_MANUAL_BUTTON, LoadFrameText(m_manualActive ? IDS_PANE_MANUAL_CLOSE : IDS_PANE_MANUAL_OPEN).GetString());
    m_manual->EnableOperation(m_manualActive ? TRUE : FALSE, TRUE);
    m_manual->SetFollowCurrentPoint(m_manualActive);
    if (!m_manualActive) m_grid.HighlightPoint(0);
    if (CWnd* box = GetDlgItem(IDC_PANE_HIDE_UNDEFINED)) box->EnableWindow(m_manualActive ? FALSE : TRUE);
    if (CWnd* box = GetDlgItem(IDC_PANE_FULL_VIEW)) box->EnableWindow(m_manualActive ? FALSE : TRUE);
}

void CRightpanePointtable::OnPointInput()
{
    int r1 = 0, c1 = 0, r2 = 0, c2 = 0;
    if (!m_grid.GetSelection(&r1, &c1, &r2, &c2) || r1 != r2) {
        ShowMessage(IDS_PANE_ONE_ROW, MB_OK);
        return;
    }
    const int slot = m_grid.SlotOfRow(r1);
    if (slot < 0 || !m_pData) return;
    PointFieldTable table{};
    for (int c = 0; c < PointRecord::kFieldCount; ++c) {
        const CPointTableGrid::Column& column = m_grid.ColumnSetting(c);
        table[static_cast<size_t>(c)] = PointFieldInfo{column.minimum < 0 ? kSignedField : column.kind, column.decimals,
                                                       column.defaultValue, column.minimum, column.maximum};
    }
    CDlgPointInput dlg(this);
    dlg.m_nPoint = slot + 1;
    dlg.m_pData = m_pData;
    dlg.m_pFieldTable = &table;
    dlg.DoModal();
    // The grid follows the data it shows, never the clipboard.
    if (dlg.m_nStored) RefreshPointTable();
}

LRESULT CRightpanePointtable::OnManualPoint(WPARAM wParam, LPARAM)
{
    if (wParam != 0) m_grid.HighlightPoint(static_cast<int>(wParam));
    return 1;
}

LRESULT CRightpanePointtable::OnManualTeach(WPARAM wParam, LPARAM)
{
    int r1 = 0, c1 = 0, r2 = 0, c2 = 0;
    if (!m_grid.GetSelection(&r1, &c1, &r2, &c2) || m_grid.SlotOfRow(r1) < 0) return 0;
    m_grid.SetPointPosition(r1, static_cast<std::int32_t>(wParam));
    return 1;
}

LRESULT CRightpanePointtable::OnCellDescription(WPARAM wParam, LPARAM)
{
    const int slot = m_grid.SlotOfRow(static_cast<int>(wParam));
    if (m_manual && slot >= 0) m_manual->SetSelectedPoint(slot + 1);
    return 1;
}

LRESULT CRightpanePointtable::OnManualQuery(WPARAM, LPARAM) { return PointsDiffer() ? 1 : 0; }

LRESULT CRightpanePointtable::OnToFrame(WPARAM, LPARAM)
{
    const MSG* current = GetCurrentMessage();
    CFrameWnd* frame = AfxGetParentFrame(this);
    if (frame && current) frame->SendMessage(current->message, 0, 0);
    return 0;
}

LRESULT CRightpanePointtable::OnContextMenuMessage(WPARAM wParam, LPARAM lParam)
{
    const int x = static_cast<int>(static_cast<LONG_PTR>(wParam));
    const int y = static_cast<int>(lParam);
    if (x == -1 && y == -1) return 1;
    if (!MayShowContextMenu()) return 0;
    return ShowPaneContextMenu(kPointContextMenu, CPoint(x, y)) ? 1 : 0;
}

LRESULT CRightpanePointtable::OnAccessLevel(WPARAM, LPARAM)
{
    ApplyAccessRule(false);
    if (m_manual) m_manual->SendMessage(UM_ACCESSLEVELCHANGED, static_cast<WPARAM>(AccessLevelNow()), 0);
    return 0;
}

void CRightpanePointtable::PreparePrint()
{
    SetupGridPrintLayout(m_grid);
    CString title;
    if (CFrameWnd* frame = AfxGetParentFrame(this)) frame->GetWindowText(title);
    // The heading kinds are the tree's texts: string 202 ("Points") is what
    // the layout calls its parameter-table kind.
    if (m_pData) SetGridPrintHeadings(m_grid, title, TRUE, 0, *m_pData);
}

void CRightpanePointtable::Print()
{
    PreparePrint();
    m_grid.Print();
}

void CRightpanePointtable::PrintPreview()
{
    PreparePrint();
    m_grid.PrintPreview();
}
