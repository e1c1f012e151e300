#include "manager/ui/PaneDialog.h"

#include "manager/app/SimulatorHandover.h"
#include "manager/core/DataManager.h"
#include "manager/ui/ChildFrm.h"
#include "manager/ui/LeftpaneTreeView.h"
#include "manager/ui/QuorvaneApp.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/Menu.h"
#include "resources/manager/resource_ids.h"

BEGIN_MESSAGE_MAP(CPaneDialog, CDialog)
    ON_WM_SIZE()
END_MESSAGE_MAP()

CPaneDialog::CPaneDialog(UINT nIDTemplate, CWnd* pParent) : CDialog(nIDTemplate, pParent) {}

BOOL CPaneDialog::CreatePane(UINT nIDTemplate, CWnd* pParent, ControllerData* pData, const WORD* pConnectionKind)
{
    m_pData = pData;
    m_pConnectionKind = pConnectionKind;
    const BOOL ok = Create(nIDTemplate, pParent);
    if (ok) {
        m_created = 1;
        CRect client;
        GetClientRect(&client);
        m_minimum = CSize(client.Width(), client.Height());
    }
    return ok;
}

void CPaneDialog::OnSize(UINT nType, int cx, int cy)
{
    CDialog::OnSize(nType, cx, cy);
    if (m_created) Layout(cx, cy);
}

bool CPaneDialog::MayShowContextMenu() const
{
    CFrameWnd* frame = AfxGetParentFrame(const_cast<CPaneDialog*>(this));
    CQuorvaneApp* app = GetQuorvaneApp();
    if (app && frame && app->Simulator().RunningFrame() == frame) return false;
    const RobotParameterSet* set = m_pData ? m_pData->FirstParamSet() : nullptr;
    return IsOffline() || !set || (set->K(20) & 1) == 0;
}

bool CPaneDialog::ShowPaneContextMenu(int submenu, CPoint at)
{
    CMenu menu;
    if (!menu.LoadMenu(IDR_TREE_CONTEXT)) return false;
    CMenu* popup = menu.GetSubMenu(submenu);
    if (!popup) return false;
    if (!::IsClipboardFormatAvailable(CF_UNICODETEXT)) popup->EnableMenuItem(ID_EDIT_PASTE, MF_BYCOMMAND | MF_GRAYED);
    CFrameWnd* frame = AfxGetParentFrame(this);
    return popup->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, frame ? static_cast<CWnd*>(frame) : this) != FALSE;
}

CDataManager* DataManagerOfWindow(CWnd* wnd)
{
    const auto* frame = dynamic_cast<CChildFrame*>(wnd ? AfxGetParentFrame(wnd) : nullptr);
    CLeftpaneTreeView* tree = frame ? frame->GetTreeView() : nullptr;
    return tree ? tree->DataManager() : nullptr;
}
