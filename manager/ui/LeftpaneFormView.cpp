#include "manager/ui/LeftpaneFormView.h"

#include "manager/core/DataManager.h"
#include "manager/ui/ChildFrm.h"
#include "manager/ui/QuorvaneDoc.h"
#include "resources/manager/resource_ids.h"

IMPLEMENT_DYNCREATE(CLeftpaneFormView, CFormView)

BEGIN_MESSAGE_MAP(CLeftpaneFormView, CFormView)
    ON_WM_SIZE()
END_MESSAGE_MAP()

namespace {


}  // namespace

CLeftpaneFormView::CLeftpaneFormView() : CFormView(IDD_LEFTPANE_FORM) {}

void CLeftpaneFormView::OnInitialUpdate()
{
    CFormView::OnInitialUpdate();
    if (::IsWindow(m_panel.GetSafeHwnd())) return;
    if (!m_panel.Create(IDD_CONTROLLER_STATUS, this)) return;
    CRect r;
    m_panel.GetWindowRect(&r);
    m_panelWidth = r.Width();
    m_panelHeight = r.Height();
    m_panel.MoveWindow(0, 0, m_panelWidth, m_panelHeight);
    m_panel.ShowWindow(SW_SHOW);
    SetScrollSizes(MM_TEXT, CSize(m_panelWidth, m_panelHeight));
    if (auto* frame = dynamic_cast<CChildFrame*>(GetParentFrame())) frame->FitStatusPanel();
}

void CLeftpaneFormView::OnSize(UINT nType, int cx, int cy)
{
    CFormView::OnSize(nType, cx, cy);
    if (!::IsWindow(m_panel.GetSafeHwnd())) return;
    m_panel.SetWindowPos(nullptr, 0, 0, std::max(cx, m_panelWidth), std::max(cy, m_panelHeight),
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CLeftpaneFormView::BindController(int index, int linkState)
{
    auto* doc = dynamic_cast<CQuorvaneDoc*>(GetDocument());
    if (!doc || !::IsWindow(m_panel.GetSafeHwnd())) return false;
    CDataManager& manager = doc->DataManager();
    ControllerData* data = manager.GetController(index);
    if (!data) return false;
    const RobotParameterSet* set = data->FirstParamSet();
    const int decimals = set ? static_cast<int>(set->K(72)) : 0;
    m_panel.SetController(decimals < 0 || decimals > 9 ? 0 : decimals, [&manager] { return manager.GetLastAlarm(); },
                          linkState, manager.GetStatusSource(set ? set->K(38) : 0));
    const bool lb = data->controller.Find(u"LB") >= 0 || data->typeText.Find(u"LB") >= 0;
    if (linkState == CDlgControllerStatus::kLinkConnected) m_panel.SetModelLB(lb);
    return lb;
}
