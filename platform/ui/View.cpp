#include "platform/ui/View.h"

#include "platform/core/CmdUI.h"
#include "platform/core/ResourceModule.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/DocTemplate.h"
#include "platform/ui/FrameIds.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/PrintPreviewFrame.h"
#include "platform/ui/WidgetPeer.h"

#include <algorithm>

namespace {

constexpr int kScrollBarSize = 16;

}  // namespace

// ---------------------------------------------------------------- CView

IMPLEMENT_DYNAMIC(CView, CWnd)

BEGIN_MESSAGE_MAP(CView, CWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_SETFOCUS()
    ON_MESSAGE(WM_INITIALUPDATE, &CView::OnInitialUpdateMessage)
END_MESSAGE_MAP()

CView::CView() = default;

CView::~CView()
{
    if (m_pDocument) m_pDocument->RemoveView(this);
}

void CView::OnInitialUpdate() { OnUpdate(nullptr, 0, nullptr); }

void CView::OnUpdate(CView*, LPARAM, CObject*) { Invalidate(TRUE); }

void CView::OnActivateView(BOOL bActivate, CView* pActivateView, CView*)
{
    if (bActivate && pActivateView == this && ::IsWindow(m_hWnd) && CWnd::GetFocus() != this) {
        // The active view takes the focus unless one of its children has it.
        CWnd* focus = CWnd::GetFocus();
        if (!focus || !IsChild(focus)) SetFocus();
    }
}

void CView::OnPrepareDC(CDC* pDC, CPrintInfo* pInfo)
{
    // Printing stops after the first page unless the view says otherwise.
    if (pInfo && pDC && pInfo->GetMaxPage() == 0xFFFF && pInfo->m_nCurPage > 1) pInfo->m_bContinuePrinting = FALSE;
}

BOOL CView::OnPreparePrinting(CPrintInfo* pInfo) { return DoPreparePrinting(pInfo); }

void CView::OnPrint(CDC* pDC, CPrintInfo*) { OnDraw(pDC); }

BOOL CView::DoPreparePrinting(CPrintInfo* pInfo) { return pInfo ? platform::DoPreparePrinting(*pInfo) : FALSE; }

BOOL CView::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
    return m_pDocument ? m_pDocument->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo) : FALSE;
}

BOOL CView::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (CWnd::OnWndMsg(message, wParam, lParam, pResult)) return TRUE;
    // Views draw through OnDraw; views over a control let the control paint.
    if (message == WM_PAINT && !IsKindOf(RUNTIME_CLASS(CCtrlView)) && !IsKindOf(RUNTIME_CLASS(CFormView))) {
        CPaintDC dc(this);
        OnPrepareDC(&dc, nullptr);
        OnDraw(&dc);
        if (pResult) *pResult = 0;
        return TRUE;
    }
    return FALSE;
}

BOOL CView::PreCreateWindow(CREATESTRUCTW& cs)
{
    if (!cs.lpszClass) cs.lpszClass = u"AfxFrameOrView";
    cs.style |= WS_CLIPSIBLINGS;
    return TRUE;
}

void CView::PostNcDestroy() { delete this; }

int CView::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
    auto* context = lpCreateStruct ? static_cast<CCreateContext*>(lpCreateStruct->lpCreateParams) : nullptr;
    if (!context) context = m_pPendingContext;
    if (context && context->m_pCurrentDoc) context->m_pCurrentDoc->AddView(this);
    return static_cast<int>(Default());
}

void CView::OnDestroy()
{
    if (CFrameWnd* frame = GetParentFrame()) {
        if (frame->GetActiveView() == this) frame->SetActiveView(nullptr, FALSE);
    }
    Default();
}

void CView::OnSetFocus(CWnd* pOldWnd)
{
    if (CFrameWnd* frame = GetParentFrame()) {
        if (frame->GetActiveView() != this) frame->SetActiveView(this, TRUE);
    }
    CWnd::OnSetFocus(pOldWnd);
}

LRESULT CView::OnInitialUpdateMessage(WPARAM, LPARAM)
{
    OnInitialUpdate();
    return 0;
}

void CView::OnFilePrint()
{
    CPrintInfo info;
    if (!OnPreparePrinting(&info)) return;
    CString title = m_pDocument ? m_pDocument->GetTitle() : CString();
    platform::PrintDocument(info, *this, title);
}

void CView::OnFilePrintPreview()
{
    if (CPrintPreviewFrame* open = CPrintPreviewFrame::Of(this)) {
        open->ActivateFrame();
        return;
    }
    auto info = std::make_unique<CPrintInfo>();
    info->m_bPreview = TRUE;
    if (!OnPreparePrinting(info.get())) return;
    CPrintPreviewFrame::Show(this, std::move(info));
}

// ---------------------------------------------------------------- CScrollView

IMPLEMENT_DYNAMIC(CScrollView, CView)

BEGIN_MESSAGE_MAP(CScrollView, CView)
    ON_WM_SIZE()
    ON_WM_HSCROLL()
    ON_WM_VSCROLL()
    ON_MESSAGE(WM_MOUSEWHEEL, &CScrollView::OnMouseWheelMessage)
END_MESSAGE_MAP()

const SIZE CScrollView::sizeDefault{0, 0};

CScrollView::CScrollView() = default;

void CScrollView::SetScrollSizes(int nMapMode, SIZE sizeTotal, const SIZE& sizePage, const SIZE& sizeLine)
{
    m_nMapMode = nMapMode;
    m_totalLog = CSize(std::max(0L + sizeTotal.cx, 0L), std::max(0L + sizeTotal.cy, 0L));
    m_pageDev = sizePage;
    m_lineDev = sizeLine;
    if (m_pageDev.cx == 0) m_pageDev.cx = m_totalLog.cx / 10;
    if (m_pageDev.cy == 0) m_pageDev.cy = m_totalLog.cy / 10;
    if (m_lineDev.cx == 0) m_lineDev.cx = std::max(1, static_cast<int>(m_pageDev.cx / 10));
    if (m_lineDev.cy == 0) m_lineDev.cy = std::max(1, static_cast<int>(m_pageDev.cy / 10));
    if (::IsWindow(m_hWnd)) UpdateBars();
}

void CScrollView::GetDeviceScrollSizes(int& nMapMode, SIZE& sizeTotal, SIZE& sizePage, SIZE& sizeLine) const
{
    nMapMode = m_nMapMode;
    sizeTotal = m_totalLog;
    sizePage = m_pageDev;
    sizeLine = m_lineDev;
}

BOOL CScrollView::IsBarShown(int nBar) const
{
    if (nBar != SB_HORZ && nBar != SB_VERT) return FALSE;
    const CScrollBar& bar = m_bars[nBar];
    return ::IsWindow(bar.GetSafeHwnd()) && (bar.GetStyle() & WS_VISIBLE) ? TRUE : FALSE;
}

void CScrollView::UpdateBars()
{
    if (m_updatingBars || !::IsWindow(m_hWnd)) return;
    m_updatingBars = true;
    CRect client;
    GetClientRect(&client);
    const int width = client.Width();
    const int height = client.Height();
    // A bar takes room from the other direction, which may then need its own.
    bool needH = m_totalLog.cx > width;
    bool needV = m_totalLog.cy > height;
    if (needH && !needV) needV = m_totalLog.cy > height - kScrollBarSize;
    if (needV && !needH) needH = m_totalLog.cx > width - kScrollBarSize;
    const int viewW = width - (needV ? kScrollBarSize : 0);
    const int viewH = height - (needH ? kScrollBarSize : 0);
    const bool need[2] = {needH, needV};
    const int page[2] = {std::max(1, viewW), std::max(1, viewH)};
    const int total[2] = {static_cast<int>(m_totalLog.cx), static_cast<int>(m_totalLog.cy)};
    CPoint pos = m_ptScroll;
    for (int bar = 0; bar < 2; ++bar) {
        CScrollBar& sb = m_bars[bar];
        if (need[bar] && !::IsWindow(sb.GetSafeHwnd())) {
            const DWORD style = WS_CHILD | (bar == SB_HORZ ? SBS_HORZ : SBS_VERT);
            sb.Create(style, CRect(0, 0, 0, 0), this, (bar == SB_HORZ ? AFX_IDW_HSCROLL_FIRST : AFX_IDW_VSCROLL_FIRST));
        }
        const int maxPos = need[bar] ? std::max(0, total[bar] - page[bar]) : 0;
        int& p = bar == SB_HORZ ? pos.x : pos.y;
        p = std::clamp(static_cast<int>(p), 0, maxPos);
        if (!::IsWindow(sb.GetSafeHwnd())) continue;
        if (need[bar]) {
            SCROLLINFO info;
            info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
            info.nMin = 0;
            info.nMax = total[bar] - 1;
            info.nPage = static_cast<UINT>(page[bar]);
            info.nPos = p;
            sb.SetScrollInfo(&info, TRUE);
            if (bar == SB_HORZ) {
                sb.MoveWindow(0, viewH, viewW, kScrollBarSize);
            } else {
                sb.MoveWindow(viewW, 0, kScrollBarSize, viewH);
            }
            sb.SetWindowPos(&wndTop, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            sb.ShowWindow(SW_SHOWNA);
        } else {
            sb.ShowWindow(SW_HIDE);
        }
    }
    m_updatingBars = false;
    if (pos.x != m_ptScroll.x || pos.y != m_ptScroll.y) ScrollToPosition(pos);
}

void CScrollView::ScrollToPosition(POINT pt)
{
    const CPoint old = m_ptScroll;
    CRect client;
    GetClientRect(&client);
    const int maxX = std::max(0, static_cast<int>(m_totalLog.cx) - (client.Width() - (IsBarShown(SB_VERT) ? kScrollBarSize : 0)));
    const int maxY = std::max(0, static_cast<int>(m_totalLog.cy) - (client.Height() - (IsBarShown(SB_HORZ) ? kScrollBarSize : 0)));
    m_ptScroll = CPoint(std::clamp(static_cast<int>(pt.x), 0, maxX), std::clamp(static_cast<int>(pt.y), 0, maxY));
    for (int bar = 0; bar < 2; ++bar) {
        if (IsBarShown(bar)) m_bars[bar].SetScrollPos(bar == SB_HORZ ? m_ptScroll.x : m_ptScroll.y, TRUE);
    }
    if (old.x != m_ptScroll.x || old.y != m_ptScroll.y) ScrollContents(old.x - m_ptScroll.x, old.y - m_ptScroll.y);
}

void CScrollView::ScrollContents(int dx, int dy)
{
    // Child windows move with the contents; the drawing is done again.
    std::vector<HWND> children;
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    for (HWND child : children) {
        if (child == m_bars[0].GetSafeHwnd() || child == m_bars[1].GetSafeHwnd()) continue;
        RECT r;
        ::GetWindowRect(child, &r);
        ::MapWindowPoints(HWND(), m_hWnd, reinterpret_cast<POINT*>(&r), 2);
        ::SetWindowPos(child, HWND(), r.left + dx, r.top + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    Invalidate(TRUE);
}

void CScrollView::ResizeParentToFit(BOOL bShrinkOnly)
{
    CFrameWnd* frame = GetParentFrame();
    if (!frame) return;
    CRect client;
    GetClientRect(&client);
    const int dx = static_cast<int>(m_totalLog.cx) - client.Width();
    const int dy = static_cast<int>(m_totalLog.cy) - client.Height();
    if (bShrinkOnly && dx >= 0 && dy >= 0) return;
    CRect frameRect;
    frame->GetWindowRect(&frameRect);
    const int w = frameRect.Width() + (bShrinkOnly ? std::min(dx, 0) : dx);
    const int h = frameRect.Height() + (bShrinkOnly ? std::min(dy, 0) : dy);
    frame->SetWindowPos(nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CScrollView::OnPrepareDC(CDC* pDC, CPrintInfo* pInfo)
{
    if (pDC && !pInfo) pDC->SetViewportOrg(-m_ptScroll.x, -m_ptScroll.y);
    CView::OnPrepareDC(pDC, pInfo);
}

void CScrollView::OnSize(UINT nType, int cx, int cy)
{
    CView::OnSize(nType, cx, cy);
    UpdateBars();
}

void CScrollView::ScrollBy(int nBar, int newPos)
{
    CPoint pt = m_ptScroll;
    (nBar == SB_HORZ ? pt.x : pt.y) = newPos;
    ScrollToPosition(pt);
}

void CScrollView::OnHScroll(UINT nSBCode, UINT nPos, CScrollBar*)
{
    const int line = std::max(1, static_cast<int>(m_lineDev.cx));
    CRect client;
    GetClientRect(&client);
    const int page = std::max(1, static_cast<int>(m_pageDev.cx));
    int x = m_ptScroll.x;
    switch (nSBCode) {
    case SB_LINELEFT: x -= line; break;
    case SB_LINERIGHT: x += line; break;
    case SB_PAGELEFT: x -= page; break;
    case SB_PAGERIGHT: x += page; break;
    case SB_LEFT: x = 0; break;
    case SB_RIGHT: x = m_totalLog.cx; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: x = static_cast<int>(nPos); break;
    default: return;
    }
    ScrollBy(SB_HORZ, x);
}

void CScrollView::OnVScroll(UINT nSBCode, UINT nPos, CScrollBar*)
{
    const int line = std::max(1, static_cast<int>(m_lineDev.cy));
    const int page = std::max(1, static_cast<int>(m_pageDev.cy));
    int y = m_ptScroll.y;
    switch (nSBCode) {
    case SB_LINEUP: y -= line; break;
    case SB_LINEDOWN: y += line; break;
    case SB_PAGEUP: y -= page; break;
    case SB_PAGEDOWN: y += page; break;
    case SB_TOP: y = 0; break;
    case SB_BOTTOM: y = m_totalLog.cy; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: y = static_cast<int>(nPos); break;
    default: return;
    }
    ScrollBy(SB_VERT, y);
}

LRESULT CScrollView::OnMouseWheelMessage(WPARAM wParam, LPARAM)
{
    const int delta = static_cast<SHORT>(HIWORD(wParam));
    if (!IsBarShown(SB_VERT)) return 0;
    const int lines = -delta / 40;
    ScrollBy(SB_VERT, m_ptScroll.y + lines * std::max(1, static_cast<int>(m_lineDev.cy)));
    return 0;
}

// ---------------------------------------------------------------- CFormView

IMPLEMENT_DYNAMIC(CFormView, CScrollView)

BEGIN_MESSAGE_MAP(CFormView, CScrollView)
    ON_MESSAGE(WM_INITDIALOG, &CFormView::HandleInitDialog)
END_MESSAGE_MAP()

CFormView::CFormView(UINT nIDTemplate) : m_nIDTemplate(nIDTemplate) {}

CFormView::CFormView(LPCTSTR lpszTemplateName) : m_strTemplateName(lpszTemplateName ? lpszTemplateName : u"") {}

BOOL CFormView::CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle,
                         const RECT& rect, CWnd* pParentWnd, UINT nID, LPVOID lpParam)
{
    // The dialog builder comes back here for the window itself.
    if (lpszClassName && std::u16string_view(lpszClassName) == platform::kDialogClassName) {
        return CWnd::CreateEx(dwExStyle, lpszClassName, lpszWindowName, dwStyle, rect, pParentWnd, nID, lpParam);
    }
    const platform::ResourceKey key = m_strTemplateName.IsEmpty()
                                          ? platform::ResourceKey(static_cast<unsigned>(m_nIDTemplate))
                                          : platform::ResourceKey(m_strTemplateName.GetString());
    const auto bytes = platform::FindResourceBytes(kRtDialog, key);
    if (!bytes) return FALSE;
    std::optional<platform::DialogTemplate> parsed = platform::ParseDialog(*bytes);
    if (!parsed) return FALSE;
    platform::DialogTemplate t = *parsed;
    // A form is a child of its frame or splitter, without a caption.
    t.style = (t.style & ~(WS_POPUP | WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | DS_MODALFRAME | WS_VISIBLE)) | WS_CHILD |
              (dwStyle & (WS_VISIBLE | WS_BORDER));
    t.exStyle |= dwExStyle;
    m_pPendingContext = static_cast<CCreateContext*>(lpParam);
    const bool created = platform::CreateDialogWindows(*this, t, pParentWnd ? pParentWnd->GetSafeHwnd() : HWND(), 0, false);
    m_pPendingContext = nullptr;
    if (!created) return FALSE;
    // The template's size is the form's total size.
    CRect formRect;
    GetClientRect(&formRect);
    SetScrollSizes(MM_TEXT, formRect.Size());
    ::SetWindowLongPtrW(m_hWnd, GWLP_ID, static_cast<LONG_PTR>(nID));
    MoveWindow(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    if (dwStyle & WS_VISIBLE) ShowWindow(SW_SHOWNA);
    return TRUE;
}

void CFormView::OnInitialUpdate()
{
    UpdateData(FALSE);
    CScrollView::OnInitialUpdate();
}

BOOL CFormView::PreTranslateMessage(MSG* pMsg)
{
    if (CScrollView::PreTranslateMessage(pMsg)) return TRUE;
    // The dialog keys (Tab between the controls) work in the form.
    if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_TAB && ::IsDialogMessageW(m_hWnd, pMsg)) return TRUE;
    return FALSE;
}

LRESULT CFormView::HandleInitDialog(WPARAM, LPARAM)
{
    // The frame gives the focus; the form keeps its controls as they are.
    return FALSE;
}

// ---------------------------------------------------------------- control views

IMPLEMENT_DYNAMIC(CCtrlView, CView)

CCtrlView::CCtrlView(LPCTSTR lpszClass, DWORD dwStyle) : m_strClass(lpszClass ? lpszClass : u""), m_dwDefaultStyle(dwStyle) {}

BOOL CCtrlView::PreCreateWindow(CREATESTRUCTW& cs)
{
    cs.lpszClass = m_strClass.GetString();
    cs.style |= m_dwDefaultStyle;
    return CView::PreCreateWindow(cs);
}

IMPLEMENT_DYNAMIC(CTreeView, CCtrlView)

CTreeView::CTreeView() : CCtrlView(u"SysTreeView32", 0) {}

CTreeCtrl& CTreeView::GetTreeCtrl() const
{
    m_tree.m_hWnd = m_hWnd;
    return m_tree;
}

CFrameWnd* AfxGetParentFrame(const CWnd* pWnd)
{
    if (!pWnd) return nullptr;
    HWND h = ::GetParent(pWnd->GetSafeHwnd());
    for (int depth = 0; h && depth < 256; ++depth) {
        if (auto* frame = dynamic_cast<CFrameWnd*>(CWnd::FromHandle(h))) return frame;
        h = ::GetParent(h);
    }
    return nullptr;
}
