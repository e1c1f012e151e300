#include "manager/ui/RightpaneParameter.h"

#include "manager/dialogs/DialogHelpers.h"

#include "manager/core/DataManager.h"
#include "manager/ui/ManagerMessages.h"
#include "manager/ui/ManagerWindowsImpl.h"
#include "manager/ui/QuorvaneApp.h"
#include "manager/widgets/GridPrintLayout.h"
#include "platform/ui/Edit.h"
#include "resources/manager/resource_ids.h"
#include "tools/NetworkParameter.h"

BEGIN_MESSAGE_MAP(CRightpaneParameter, CPaneDialog)
    ON_MESSAGE(UM_CELLDESCRIPTION, &CRightpaneParameter::OnCellDescription)
    ON_MESSAGE(UM_ACCESSLEVELCHANGED, &CRightpaneParameter::OnAccessLevel)
    ON_MESSAGE(UM_PARAMETEREDITED, &CRightpaneParameter::OnParameterEdited)
    ON_MESSAGE(UM_GRIDCONTEXTMENU, &CRightpaneParameter::OnContextMenuMessage)
    ON_BN_CLICKED(IDC_PANE_NETWORK_BUTTON, &CRightpaneParameter::OnNetworkParameter)
END_MESSAGE_MAP()

CRightpaneParameter::CRightpaneParameter() : CPaneDialog(IDD_PANE_PARAMETER, nullptr) {}

int CRightpaneParameter::AccessLevel() const
{
    const CQuorvaneApp* app = GetQuorvaneApp();
    return app ? app->GetAccessLevel() : 0;
}

BOOL CRightpaneParameter::OnInitDialog()
{
    CPaneDialog::OnInitDialog();
    SetDlgItemText(IDC_PANE_NETWORK_BUTTON, LoadFrameText(IDS_PANE_NETWORK).GetString());
    m_grid.Create(CRect(0, 0, 100, 100), this, IDC_PANE_PARAM_GRID);
    // Loaded once: the pane object outlives its windows.
    if (!m_accelerators) m_accelerators = LoadMainAccelerators();
    return TRUE;
}

BOOL CRightpaneParameter::CreateParamPane(CWnd* pParent, ControllerData* pData, const WORD* pConnectionKind,
                                          RobotParameterSet* pReference)
{
    m_pReference = pReference;
    if (!CreatePane(IDD_PANE_PARAMETER, pParent, pData, pConnectionKind)) return FALSE;
    const CQuorvaneApp* app = GetQuorvaneApp();
    const bool pulseTrain = pData && pData->controller.Find(u"LB") >= 0;
    const ParamDefTable* table = app ? app->ParamTable(pulseTrain ? 1 : 0) : nullptr;
    if (pData && m_grid.LayoutParamGrid(table, pData->controller, pData->interfaceText)) {
        m_grid.LoadParamValues(pData->FirstParamSet(), pReference);
        m_grid.ShowGroup(m_group, AccessLevel());
    }
    return TRUE;
}

BOOL CRightpaneParameter::Layout(int cx, int cy)
{
    constexpr int kButtonWidth = 170;
    CWnd* button = GetDlgItem(IDC_PANE_NETWORK_BUTTON);
    const bool withButton = button && m_networkShown;
    if (CWnd* box = GetDlgItem(IDC_PANE_PARAM_DESCRIPTION))
        box->MoveWindow(5, 5, cx - 15 - (withButton ? kButtonWidth + 5 : 0), 80);
    if (withButton) button->MoveWindow(cx - 10 - kButtonWidth, 5, kButtonWidth, 28);
    if (::IsWindow(m_grid.GetSafeHwnd())) m_grid.MoveWindow(5, 90, cx - 10, std::max(cy - 95, 0));
    return TRUE;
}

void CRightpaneParameter::RefreshPane()
{
    for (int k : {9, 10, 11, 20, 76, 77, 78, 79}) m_grid.RefreshParamRow(k - 1);
    m_grid.ShowGroup(m_group, AccessLevel());
    for (int row = 1; row < m_grid.GetRows(); ++row)
        if (m_grid.GetRowHeight(row) > 0) {
            m_grid.SetTopRow(row);
            m_grid.SelectCell(row, CParameterGrid::kValueCol, FALSE);
            break;
        }
    m_grid.Refresh();
}

BOOL CRightpaneParameter::StoreValues(ControllerData* target)
{
    RobotParameterSet* mine = m_pData ? m_pData->FirstParamSet() : nullptr;
    RobotParameterSet* theirs = target ? target->FirstParamSet() : nullptr;
    if (!mine || !theirs) return FALSE;
    for (int row = 1; row < m_grid.GetRows(); ++row) {
        const int index = m_grid.IndexOfRow(row);
        if (index >= 0) theirs->values[static_cast<size_t>(index)] = mine->values[static_cast<size_t>(index)];
    }
    return TRUE;
}

BOOL CRightpaneParameter::TakeValues(const ControllerData* source)
{
    RobotParameterSet* mine = m_pData ? m_pData->FirstParamSet() : nullptr;
    const RobotParameterSet* theirs = source ? source->FirstParamSet() : nullptr;
    if (!mine || !theirs) return FALSE;
    for (int row = 1; row < m_grid.GetRows(); ++row) {
        const int index = m_grid.IndexOfRow(row);
        if (index < 0) continue;
        mine->values[static_cast<size_t>(index)] = theirs->values[static_cast<size_t>(index)];
        if (m_pReference) m_pReference->values[static_cast<size_t>(index)] = theirs->values[static_cast<size_t>(index)];
        m_grid.RefreshParamRow(index);
    }
    m_grid.Refresh();
    return TRUE;
}

void CRightpaneParameter::EditCommand(UINT id)
{
    switch (id) {
    case ID_EDIT_CLEAR: m_grid.DeleteSelection(); break;
    case ID_EDIT_COPY: m_grid.CopySelection(FALSE); break;
    case ID_EDIT_CUT: m_grid.CopySelection(TRUE); break;
    case ID_EDIT_PASTE: m_grid.PasteFromClipboard(); break;
    default: break;
    }
}

void CRightpaneParameter::ShowNetworkButton(bool show)
{
    m_networkShown = show;
    if (CWnd* button = GetDlgItem(IDC_PANE_NETWORK_BUTTON)) button->ShowWindow(show ? SW_SHOW : SW_HIDE);
    CRect client;
    GetClientRect(&client);
    Layout(client.Width(), client.Height());
}

LRESULT CRightpaneParameter::OnCellDescription(WPARAM wParam, LPARAM)
{
    SetDlgItemText(IDC_PANE_PARAM_DESCRIPTION, m_grid.Description(static_cast<int>(wParam)).GetString());
    return 1;
}

LRESULT CRightpaneParameter::OnParameterEdited(WPARAM wParam, LPARAM lParam)
{
    if (CFrameWnd* frame = AfxGetParentFrame(this)) frame->SendMessage(UM_PARAMETEREDITED, wParam, lParam);
    return 0;
}

LRESULT CRightpaneParameter::OnAccessLevel(WPARAM, LPARAM)
{
    m_grid.ShowGroup(m_group, AccessLevel());
    const RobotParameterSet* set = m_pData ? m_pData->FirstParamSet() : nullptr;
    const bool locked = !IsOffline() && set && (set->K(20) & 3) == 1;
    m_grid.LockParamGrid(locked ? TRUE : FALSE);
    return 0;
}

void CRightpaneParameter::OnNetworkParameter()
{
    if (!m_pData) return;
    CDataManager* manager = DataManagerOfWindow(this);
    CString ip = m_pData->ipAddress, mask = m_pData->subnetMask, gateway = m_pData->gateway;
    CNetworkParameter dlg(ip, mask, gateway, nullptr);
    if (manager) {
        dlg.SetCommMan(manager->GetLink());
        const RobotParameterSet* set = m_pData->FirstParamSet();
        dlg.SetNodeNo(set ? set->K(38) : 1);
    }
    {
        // The polling paused here is resumed here, whatever the dialog's
        // outcome and whichever frame is active by then.
        CPollingPause pause;
        dlg.DoModal();
    }
    m_grid.Refresh();
}

void CRightpaneParameter::PreparePrint()
{
    SetupGridPrintLayout(m_grid);
    CString title;
    if (CFrameWnd* frame = AfxGetParentFrame(this)) frame->GetWindowText(title);
    // The heading kinds are the tree's texts: the group's name (strings 206 to
    // 210), or "Parameters" (205) for all groups.
    if (m_pData) SetGridPrintHeadings(m_grid, title, FALSE, static_cast<char16_t>(m_group), *m_pData);
}

void CRightpaneParameter::Print()
{
    PreparePrint();
    m_grid.Print();
}

void CRightpaneParameter::PrintPreview()
{
    PreparePrint();
    m_grid.PrintPreview();
}

BOOL CRightpaneParameter::PreTranslateMessage(MSG* pMsg)
{
    if (TranslateMainWindowAccelerators(m_accelerators, pMsg)) return TRUE;
    return CPaneDialog::PreTranslateMessage(pMsg);
}

LRESULT CRightpaneParameter::OnContextMenuMessage(WPARAM wParam, LPARAM lParam)
{
    if (!MayShowContextMenu()) return 0;
    return ShowPaneContextMenu(kParameterContextMenu, CPoint(static_cast<int>(static_cast<LONG_PTR>(wParam)), static_cast<int>(lParam)))
               ? 1
               : 0;
}
