#include "platform/ui/ControlBar.h"

#include "platform/ui/FrameWnd.h"

IMPLEMENT_DYNAMIC(CControlBar, CWnd)

BEGIN_MESSAGE_MAP(CControlBar, CWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_MESSAGE(WM_IDLEUPDATECMDUI, &CControlBar::OnIdleUpdateCmdUIMessage)
END_MESSAGE_MAP()

CControlBar::CControlBar() = default;

CControlBar::~CControlBar()
{
    if (m_pDockSite) m_pDockSite->RemoveControlBar(this);
}

BOOL CControlBar::CreateBar(LPCTSTR lpszClass, DWORD dwStyle, CWnd* pParentWnd, UINT nID)
{
    if (!pParentWnd) return FALSE;
    // The bar styles share bits with window styles: they stay with the bar.
    m_dwStyle = dwStyle & CBRS_ALL;
    const DWORD windowStyle = (dwStyle & ~CBRS_ALL) | WS_CHILD;
    return CreateEx(0, lpszClass, nullptr, windowStyle, CRect(0, 0, 0, 0), pParentWnd, nID);
}

BOOL CControlBar::PreCreateWindow(CREATESTRUCTW& cs)
{
    cs.style |= WS_CLIPSIBLINGS;
    return TRUE;
}

void CControlBar::PostNcDestroy()
{
    if (m_bAutoDelete) delete this;
}

int CControlBar::OnCreate(LPCREATESTRUCT)
{
    if (Default() == -1) return -1;
    if (auto* frame = dynamic_cast<CFrameWnd*>(GetParent())) {
        m_pDockSite = frame;
        frame->AddControlBar(this);
    }
    return 0;
}

void CControlBar::OnDestroy()
{
    if (m_pDockSite) {
        CFrameWnd* frame = m_pDockSite;
        m_pDockSite = nullptr;
        frame->RemoveControlBar(this);
    }
    Default();
}

CSize CControlBar::CalcFixedLayout(BOOL, BOOL) { return CSize(0, 0); }

void CControlBar::SetBarStyle(DWORD dwStyle)
{
    if (m_dwStyle == dwStyle) return;
    m_dwStyle = dwStyle;
    if (::IsWindow(m_hWnd)) Invalidate();
}

BOOL CControlBar::IsVisible() const { return ::IsWindow(m_hWnd) && (GetStyle() & WS_VISIBLE) ? TRUE : FALSE; }

CFrameWnd* CControlBar::GetDockingFrame() const { return m_pDockSite ? m_pDockSite : AfxGetParentFrame(this); }

CWnd* CControlBar::GetBarOwner() const { return m_pOwner ? m_pOwner : GetParent(); }

LRESULT CControlBar::OnIdleUpdateCmdUIMessage(WPARAM wParam, LPARAM)
{
    if (!IsVisible()) return 0;
    // A bar of a frame follows the frame's routing; a bar in another window
    // (a dialog) follows that window's handlers.
    CCmdTarget* target = m_pDockSite;
    if (!target) target = GetParent();
    if (target) OnUpdateCmdUI(target, static_cast<BOOL>(wParam));
    return 0;
}

CString CControlBar::CommandText(UINT nID, bool tip)
{
    CString text;
    if (!text.LoadString(nID)) return CString();
    const int nl = text.Find(u'\n');
    if (tip) return nl < 0 ? CString() : text.Mid(nl + 1);
    return nl < 0 ? text : text.Left(nl);
}
