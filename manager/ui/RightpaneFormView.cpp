#include "manager/ui/RightpaneFormView.h"

#include "manager/core/DataManager.h"
#include "manager/ui/ChildFrm.h"
#include "manager/ui/ManagerMessages.h"
#include "manager/ui/ManagerWindowsImpl.h"
#include "platform/core/CmdUI.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/DC.h"
#include "resources/manager/resource_ids.h"

#include <algorithm>

namespace {
// Edit > Point input: the point pane's dialog for the selected point.
constexpr UINT kPointInputCommand = 32804;
}  // namespace

IMPLEMENT_DYNCREATE(CRightpaneFormView, CScrollView)

BEGIN_MESSAGE_MAP(CRightpaneFormView, CScrollView)
    ON_WM_SIZE()
    ON_MESSAGE(UM_MANUALPOINTCHANGED, &CRightpaneFormView::OnToPointPane)
    ON_MESSAGE(UM_MANUALNOTIFY, &CRightpaneFormView::OnToPointPane)
    ON_MESSAGE(UM_MANUALQUERY, &CRightpaneFormView::OnToPointPane)
    ON_MESSAGE(UM_PARAMETERCHANGED, &CRightpaneFormView::OnParameterChanged)
    ON_COMMAND_EX(ID_EDIT_CLEAR, &CRightpaneFormView::OnEditCmd)
    ON_COMMAND_EX(ID_EDIT_COPY, &CRightpaneFormView::OnEditCmd)
    ON_COMMAND_EX(ID_EDIT_CUT, &CRightpaneFormView::OnEditCmd)
    ON_COMMAND_EX(ID_EDIT_PASTE, &CRightpaneFormView::OnEditCmd)
    ON_COMMAND(ID_FILE_PRINT, &CRightpaneFormView::OnPrint)
    ON_COMMAND(ID_FILE_PRINT_PREVIEW, &CRightpaneFormView::OnPrintPreview)
    ON_COMMAND(kPointInputCommand, &CRightpaneFormView::OnPointInput)
    ON_UPDATE_COMMAND_UI(ID_EDIT_CLEAR, &CRightpaneFormView::OnUpdateEdit)
    ON_UPDATE_COMMAND_UI(ID_EDIT_COPY, &CRightpaneFormView::OnUpdateEdit)
    ON_UPDATE_COMMAND_UI(ID_EDIT_CUT, &CRightpaneFormView::OnUpdateEdit)
    ON_UPDATE_COMMAND_UI(ID_EDIT_PASTE, &CRightpaneFormView::OnUpdateEdit)
    ON_UPDATE_COMMAND_UI(ID_FILE_PRINT, &CRightpaneFormView::OnUpdatePrint)
    ON_UPDATE_COMMAND_UI(ID_FILE_PRINT_PREVIEW, &CRightpaneFormView::OnUpdatePrint)
END_MESSAGE_MAP()

namespace {
constexpr std::array<char, 8> kGroups = {0, 0, 0, 'M', 'I', 'O', 'C', 'H'};
}

CRightpaneFormView::CRightpaneFormView() = default;

CRightpaneFormView::~CRightpaneFormView() = default;

void CRightpaneFormView::OnDraw(CDC* pDC)
{
    CRect client;
    GetClientRect(&client);
    pDC->FillSolidRect(&client, ::GetSysColor(COLOR_BTNFACE));
}

void CRightpaneFormView::DestroyPanes()
{
    for (CPaneDialog* pane : {static_cast<CPaneDialog*>(&m_parameter), static_cast<CPaneDialog*>(&m_points),
                              static_cast<CPaneDialog*>(&m_information)})
        if (::IsWindow(pane->GetSafeHwnd())) pane->DestroyWindow();
    m_slots.fill(nullptr);
}

void CRightpaneFormView::RebuildPanes(int index, BOOL option)
{
    DestroyPanes();
    if (index >= 0) BuildPanes(index, option);
}

void CRightpaneFormView::BuildPanes(int index, BOOL option)
{
    CDataManager* manager = DataManagerOfWindow(this);
    if (!manager || index < 0 || index >= manager->GetControllerCount()) return;
    ControllerData* data = manager->GetController(index);
    ControllerData* reference = manager->GetReference(index);
    if (!data || !reference) return;
    const CChildFrame* frame = dynamic_cast<const CChildFrame*>(GetParentFrame());
    m_connectionKind = frame && frame->IsOnline() ? 0 : 1;
    BeginWaitCursor();
    if (m_information.CreatePane(IDD_PANE_INFORMATION, this, data, &m_connectionKind)) m_slots[0] = &m_information;
    if (m_points.CreatePointPane(this, data, &m_connectionKind, &reference->points, option)) {
        m_slots[1] = &m_points;
        if (m_connectionKind != 1) {
            const RobotParameterSet* set = data->FirstParamSet();
            m_points.CreateManualDialog(manager, set ? set->K(38) : 1, reference->FirstParamSet());
        }
    }
    if (m_parameter.CreateParamPane(this, data, &m_connectionKind, reference->FirstParamSet()))
        for (int slot = 3; slot < kSlots; ++slot) m_slots[static_cast<size_t>(slot)] = &m_parameter;
    ScrollToPosition(CPoint(0, 0));
    CRect info;
    m_information.GetClientRect(&info);
    m_minWidth = info.Width();
    m_minHeight = info.Height();
    SetScrollSizes(MM_TEXT, CSize(m_minWidth, m_minHeight));
    m_current = 0;
    EndWaitCursor();
}

void CRightpaneFormView::SelectPane(int slot)
{
    if (slot < 0 || slot >= kSlots) return;
    if (CPaneDialog* shown = m_slots[static_cast<size_t>(m_current)]) shown->ShowWindow(SW_HIDE);
    m_current = slot;
    CPaneDialog* pane = m_slots[static_cast<size_t>(slot)];
    if (!pane) return;
    CRect client;
    GetClientRect(&client);
    const int cx = std::max(static_cast<int>(client.Width()), m_minWidth);
    const int cy = std::max(static_cast<int>(client.Height()), m_minHeight);
    pane->SetWindowPos(nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER);
    if (slot >= 3) m_parameter.SetGroup(kGroups[static_cast<size_t>(slot)]);
    // The network settings belong to the communication group of a live controller.
    m_parameter.ShowNetworkButton(slot == 6 && m_connectionKind != 1);
    pane->RefreshPane();
    pane->Layout(cx, cy);
    pane->ShowWindow(SW_SHOW);
}

void CRightpaneFormView::OnSize(UINT nType, int cx, int cy)
{
    cx = std::max(cx, m_minWidth);
    cy = std::max(cy, m_minHeight);
    if (CPaneDialog* pane = m_slots[static_cast<size_t>(m_current)]) {
        const CPoint scroll = GetScrollPosition();
        pane->MoveWindow(-scroll.x, -scroll.y, cx, cy);
    }
    CScrollView::OnSize(nType, cx, cy);
}

BOOL CRightpaneFormView::StorePanes(ControllerData* target, BOOL both)
{
    if (both) {
        BOOL result = m_slots[1] ? m_points.StoreValues(target) : FALSE;
        if (result && m_slots[3]) result = m_parameter.StoreValues(target);
        return result;
    }
    if (m_current == 1 && m_slots[1]) return m_points.StoreValues(target);
    if (m_current >= 3 && m_slots[3]) return m_parameter.StoreValues(target);
    return FALSE;
}

BOOL CRightpaneFormView::TakePanes(const ControllerData* source, BOOL both)
{
    if (both) {
        BOOL result = m_slots[1] ? m_points.TakeValues(source) : FALSE;
        if (result && m_slots[3]) result = m_parameter.TakeValues(source);
        return result;
    }
    if (m_current == 1 && m_slots[1]) return m_points.TakeValues(source);
    if (m_current >= 3 && m_slots[3]) return m_parameter.TakeValues(source);
    return FALSE;
}

void CRightpaneFormView::LockPanes(BOOL lock, BOOL grids, BOOL manual)
{
    if (manual && m_slots[1]) m_points.LockManual(lock);
    if (grids) {
        if (m_slots[1]) m_points.Lock(lock);
        if (m_slots[3]) m_parameter.Lock(lock);
    }
    if (m_slots[0]) m_information.Lock(lock);
}

void CRightpaneFormView::OnEditCommand(UINT id)
{
    // A locked pane (the simulator has its data, the controller is busy)
    // takes no change from the menus, as it takes none from its keys.
    if (CPaneDialog* pane = m_slots[static_cast<size_t>(m_current)]; pane && m_current != 0 && pane->AllowsEdit(id))
        pane->EditCommand(id);
}

BOOL CRightpaneFormView::OnEditCmd(UINT id)
{
    OnEditCommand(id);
    return TRUE;
}

void CRightpaneFormView::RefreshPointTable()
{
    if (m_slots[1]) m_points.RefreshPointTable();
}

void CRightpaneFormView::RefreshParameters()
{
    if (!m_slots[3]) return;
    CDataManager* manager = DataManagerOfWindow(this);
    const ControllerData* data = m_parameter.Data();
    if (manager && data) m_parameter.Grid().LoadParamValues(const_cast<ControllerData*>(data)->FirstParamSet(),
                                                            manager->GetReference(manager->GetCurrentIndex())
                                                                ? manager->GetReference(manager->GetCurrentIndex())->FirstParamSet()
                                                                : nullptr);
    if (m_slots[0]) m_information.RefreshPane();
}

void CRightpaneFormView::SetBusy(BOOL busy)
{
    if (m_slots[1]) m_points.SetBusy(busy);
    if (m_slots[3]) m_parameter.Lock(busy);
}

void CRightpaneFormView::RefreshParameter(int index)
{
    if (m_slots[3]) m_parameter.RefreshParameter(index);
}

void CRightpaneFormView::AccessLevelChanged()
{
    if (m_slots[1]) m_points.SendMessage(UM_ACCESSLEVELCHANGED);
    if (m_slots[3]) m_parameter.SendMessage(UM_ACCESSLEVELCHANGED);
}

void CRightpaneFormView::PrintCurrentPane()
{
    // Printing holds the user-interface thread for a while: the status poll,
    // whose replies that thread takes in, rests meanwhile instead of timing out.
    CPollingPause pause;
    if (CPaneDialog* pane = m_slots[static_cast<size_t>(m_current)]) pane->Print();
}

void CRightpaneFormView::PreviewCurrentPane()
{
    CPollingPause pause;
    if (CPaneDialog* pane = m_slots[static_cast<size_t>(m_current)]) pane->PrintPreview();
}

bool CRightpaneFormView::IsPaneCommand(UINT id)
{
    return id == kPointInputCommand || id == ID_EDIT_CLEAR || id == ID_EDIT_COPY || id == ID_EDIT_CUT || id == ID_EDIT_PASTE || id == ID_FILE_PRINT ||
           id == ID_FILE_PRINT_PREVIEW;
}

void CRightpaneFormView::OnUpdateEdit(CCmdUI* pCmdUI)
{
    CPaneDialog* pane = m_slots[static_cast<size_t>(m_current)];
    bool enable = pane && m_current != 0 && pane->IsGridShown();
    // Cut and delete belong to the point table; paste needs text to paste.
    if (enable && (pCmdUI->m_nID == ID_EDIT_CUT || pCmdUI->m_nID == ID_EDIT_CLEAR)) enable = m_current == 1;
    if (enable && pCmdUI->m_nID == ID_EDIT_PASTE) enable = ::IsClipboardFormatAvailable(CF_UNICODETEXT) != FALSE;
    if (enable) enable = pane->AllowsEdit(pCmdUI->m_nID) != FALSE;
    pCmdUI->Enable(enable ? TRUE : FALSE);
}

void CRightpaneFormView::OnUpdatePrint(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(m_slots[static_cast<size_t>(m_current)] ? TRUE : FALSE);
}

void CRightpaneFormView::OnPointInput()
{
    if (m_current == 1 && m_slots[1]) m_points.SendMessage(WM_COMMAND, kPointInputCommand, 0);
}

void CRightpaneFormView::OnPrint() { PrintCurrentPane(); }
void CRightpaneFormView::OnPrintPreview() { PreviewCurrentPane(); }

LRESULT CRightpaneFormView::OnParameterChanged(WPARAM wParam, LPARAM)
{
    // The manual panel wrote K9, K10 or K11: the parameter grid shows the
    // value as the controller's now.
    RefreshParameter(static_cast<int>(wParam));
    return 0;
}

LRESULT CRightpaneFormView::OnToPointPane(WPARAM wParam, LPARAM lParam)
{
    const MSG* current = GetCurrentMessage();
    return m_slots[1] && current ? m_points.SendMessage(current->message, wParam, lParam) : 0;
}
