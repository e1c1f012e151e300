#include "manager/ui/RightpaneFormView.h"

#include "manager/ui/ManagerMessages.h"
#include "platform/ui/DC.h"
#include "resources/manager/resource_ids.h"

IMPLEMENT_DYNCREATE(CRightpaneFormView, CView)

void CRightpaneFormView::OnDraw(CDC* pDC)
{
    CRect client;
    GetClientRect(&client);
    pDC->FillSolidRect(&client, ::GetSysColor(COLOR_WINDOW));
    pDC->SetBkMode(TRANSPARENT);
    pDC->SetTextColor(::GetSysColor(COLOR_GRAYTEXT));
    const HGDIOBJ old = ::SelectObject(pDC->GetSafeHdc(), ::GetStockObject(DEFAULT_GUI_FONT));
    const CString text = LoadFrameText(IDS_RIGHT_PANE_EMPTY);
    CRect box(client);
    box.DeflateRect(12, 12);
    pDC->DrawText(text.GetString(), text.GetLength(), &box, DT_CENTER | DT_TOP | DT_WORDBREAK);
    ::SelectObject(pDC->GetSafeHdc(), old);
}
