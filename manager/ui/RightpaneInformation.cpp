#include "manager/ui/RightpaneInformation.h"

#include "manager/core/DataManager.h"
#include "manager/core/NumberText.h"
#include "manager/core/ParamDef.h"
#include "manager/ui/ManagerMessages.h"
#include "manager/ui/ManagerWindowsImpl.h"
#include "manager/ui/QuorvaneApp.h"
#include "manager/widgets/GridPrintLayout.h"
#include "resources/manager/resource_ids.h"
#include "tools/UserSpecdNameDlg.h"

#include <array>
#include <utility>

BEGIN_MESSAGE_MAP(CRightpaneInformation, CPaneDialog)
    ON_BN_CLICKED(IDC_PANE_USER_NAME_BUTTON, &CRightpaneInformation::OnUserName)
END_MESSAGE_MAP()

namespace {
constexpr std::array<int, 4> kChoiceParams = {14, 66, 15, 74};
// Value boxes in the order of the print table.
constexpr std::array<std::pair<int, int>, 10> kBoxes = {{{IDC_INFO_LABEL_CONT, IDC_INFO_CONT},
                                                         {IDC_INFO_LABEL_USER, IDC_INFO_USER},
                                                         {IDC_INFO_LABEL_IF, IDC_INFO_IF},
                                                         {IDC_INFO_LABEL_VER, IDC_INFO_VER},
                                                         {IDC_INFO_LABEL_UNIT, IDC_INFO_UNIT},
                                                         {IDC_INFO_LABEL_NODE, IDC_INFO_NODE},
                                                         {IDC_INFO_LABEL_ROBOT, IDC_INFO_ROBOT},
                                                         {IDC_INFO_LABEL_STROKE, IDC_INFO_STROKE},
                                                         {IDC_INFO_LABEL_SPEED, IDC_INFO_SPEED},
                                                         {IDC_INFO_LABEL_LOAD, IDC_INFO_LOAD}}};
}  // namespace

CRightpaneInformation::CRightpaneInformation() : CPaneDialog(IDD_PANE_INFORMATION, nullptr) {}

CString CRightpaneInformation::ChoiceText(const ParamDefTable* table, int index, std::int32_t value)
{
    if (!table || index < 0 || index >= kParamCount) return CString();
    if (CString choice = (*table)[static_cast<size_t>(index)].ChoiceText(value); !choice.IsEmpty()) return choice;
    CString text;
    text.Format(u"%d", value);
    return text;
}

BOOL CRightpaneInformation::OnInitDialog()
{
    CPaneDialog::OnInitDialog();
    const bool offline = IsOffline();
    for (int id : {IDC_INFO_LABEL_NODE, IDC_INFO_NODE, IDC_PANE_USER_NAME_BUTTON})
        if (CWnd* item = GetDlgItem(id)) item->ShowWindow(offline ? SW_HIDE : SW_SHOW);
    if (m_pData && m_pData->controller.Find(u"LB") >= 0) {
        for (int id : {IDC_INFO_LABEL_UNIT, IDC_INFO_UNIT, 1350, 1340, 1351, 1341, 1354, 1344, 1355, 1345})
            if (CWnd* item = GetDlgItem(id)) item->ShowWindow(SW_HIDE);
    }
    m_print.Create(CRect(0, 0, 10, 10), this, IDC_PANE_PRINT_GRID, nullptr, WS_CHILD);
    m_print.SetCols(2);
    m_print.SetFixedRows(0);
    m_print.SetFixedCols(0);
    m_print.SetColWidth(0, 160);
    m_print.SetColWidth(1, 320);
    RefreshPane();
    return TRUE;
}

void CRightpaneInformation::RefreshPane()
{
    if (!m_pData || !::IsWindow(GetSafeHwnd())) return;
    const RobotParameterSet* set = m_pData->FirstParamSet();
    auto k = [&](int n) { return set ? set->K(n) : 0; };
    SetDlgItemText(IDC_INFO_CONT, m_pData->controller.GetString());
    SetDlgItemText(IDC_INFO_USER, m_pData->user.GetString());
    SetDlgItemText(IDC_INFO_ROBOT, m_pData->robot.GetString());
    SetDlgItemText(IDC_INFO_IF, m_pData->interfaceText.GetString());
    SetDlgItemText(IDC_INFO_VER, m_pData->version.GetString());
    SetDlgItemText(IDC_INFO_UNIT, LoadFrameText((k(71) & 1) ? IDS_INFO_UNIT_FINE : IDS_INFO_UNIT_NORMAL).GetString());
    SetDlgItemText(IDC_INFO_STROKE, (FormatFixedDecimals(k(43), 3) + u" mm").GetString());
    SetDlgItemText(IDC_INFO_SPEED, (FormatFixedDecimals(k(44), 2) + u" mm/s").GetString());
    SetDlgItemText(IDC_INFO_LOAD, (FormatFixedDecimals(k(47), 0) + u" kg").GetString());
    SetDlgItemText(IDC_INFO_NODE, FormatFixedDecimals(k(38), 0).GetString());
    SetDlgItemText(IDC_INFO_EXTRA_FIRST, LoadFrameText((k(71) & 2) ? IDS_INFO_ORIGIN_END : IDS_INFO_ORIGIN_MOTOR).GetString());
    SetDlgItemText(IDC_INFO_EXTRA_FIRST + 1, FormatFixedDecimals(k(72), 0).GetString());
    const CQuorvaneApp* app = GetQuorvaneApp();
    const ParamDefTable* table = app ? app->ParamTable(m_pData->controller.Find(u"LB") >= 0 ? 1 : 0) : nullptr;
    for (size_t i = 0; i < kChoiceParams.size(); ++i)
        SetDlgItemText(IDC_INFO_EXTRA_FIRST + 2 + static_cast<int>(i),
                       ChoiceText(table, kChoiceParams[i] - 1, k(kChoiceParams[i])).GetString());
    FillPrintGrid();
}

void CRightpaneInformation::FillPrintGrid()
{
    if (!::IsWindow(m_print.GetSafeHwnd())) return;
    std::vector<std::pair<int, int>> rows(kBoxes.begin(), kBoxes.end());
    for (int i = 0; i < 6; ++i) rows.emplace_back(IDC_INFO_EXTRA_LABEL_FIRST + i, IDC_INFO_EXTRA_FIRST + i);
    m_print.SetRows(0);
    int row = 0;
    for (const auto& [label, box] : rows) {
        CWnd* item = GetDlgItem(box);
        if (!item || !item->IsWindowVisible() && ::IsWindowVisible(GetSafeHwnd())) continue;
        if (IsOffline() && box == IDC_INFO_NODE) continue;
        m_print.SetRows(row + 1);
        CString labelText, value;
        GetDlgItemText(label, labelText);
        GetDlgItemText(box, value);
        m_print.SetCellText(row, 0, labelText.GetString());
        m_print.SetCellText(row, 1, value.GetString());
        ++row;
    }
}

void CRightpaneInformation::Print()
{
    FillPrintGrid();
    SetupGridPrintLayout(m_print);
    m_print.Print();
}

void CRightpaneInformation::PrintPreview()
{
    FillPrintGrid();
    SetupGridPrintLayout(m_print);
    m_print.PrintPreview();
}

void CRightpaneInformation::Lock(BOOL lock)
{
    if (CWnd* button = GetDlgItem(IDC_PANE_USER_NAME_BUTTON)) button->EnableWindow(lock ? FALSE : TRUE);
}

void CRightpaneInformation::OnUserName()
{
    if (!m_pData) return;
    CDataManager* manager = DataManagerOfWindow(this);
    CString name = m_pData->user;
    CUserSpecdNameDlg dlg(name, nullptr);
    const RobotParameterSet* set = m_pData->FirstParamSet();
    const int node = set ? set->K(38) : 1;
    if (manager) {
        dlg.SetCommMan(manager->GetLink());
        dlg.SetNodeNo(node);
    }
    {
        CPollingPause pause;
        dlg.DoModal();
    }
    if (CFrameWnd* frame = AfxGetParentFrame(this)) frame->SendMessage(UM_REFRESH);
    RefreshPane();
}
