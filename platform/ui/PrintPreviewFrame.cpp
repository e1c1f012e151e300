#include "platform/ui/PrintPreviewFrame.h"

#include "platform/core/CmdUI.h"
#include "platform/ui/DC.h"
#include "platform/ui/PrintJob.h"
#include "platform/ui/View.h"

#include <algorithm>

namespace {

constexpr int kPageMargin = 16;

std::vector<CPrintPreviewFrame*>& OpenPreviews()
{
    static std::vector<CPrintPreviewFrame*> previews;
    return previews;
}
constexpr int kShadow = 4;

}  // namespace

// The area that shows the sheet, centred and as large as it fits.
class CPrintPreviewFrame::PagePane final : public CWnd {
public:
    explicit PagePane(CPrintPreviewFrame& frame) : m_frame(frame) {}

protected:
    void OnPaint()
    {
        CPaintDC dc(this);
        CRect client;
        GetClientRect(&client);
        dc.FillSolidRect(&client, ::GetSysColor(COLOR_APPWORKSPACE));
        const CRect page = PageRect(client);
        if (page.Width() <= 0 || page.Height() <= 0) return;
        dc.FillSolidRect(page.left + kShadow, page.top + kShadow, page.Width(), page.Height(), RGB(64, 64, 64));
        const HBITMAP bitmap = m_frame.RenderCurrentPage(page.Width(), page.Height());
        if (!bitmap) {
            dc.FillSolidRect(&page, RGB(255, 255, 255));
            return;
        }
        const HDC memory = ::CreateCompatibleDC(dc.GetSafeHdc());
        const HGDIOBJ old = ::SelectObject(memory, bitmap);
        ::BitBlt(dc.GetSafeHdc(), page.left, page.top, page.Width(), page.Height(), memory, 0, 0, SRCCOPY);
        ::SelectObject(memory, old);
        ::DeleteDC(memory);
        ::DeleteObject(bitmap);
    }
    BOOL OnEraseBkgnd(CDC*) { return TRUE; }

    CRect PageRect(const CRect& client) const
    {
        int sheetW = 210;
        int sheetH = 297;
        if (const HDC printer = m_frame.m_info ? m_frame.m_info->m_pPD->GetPrinterDC() : HDC()) {
            sheetW = std::max(1, ::GetDeviceCaps(printer, PHYSICALWIDTH));
            sheetH = std::max(1, ::GetDeviceCaps(printer, PHYSICALHEIGHT));
        }
        const int roomW = std::max(0, client.Width() - 2 * kPageMargin);
        const int roomH = std::max(0, client.Height() - 2 * kPageMargin);
        int w = roomW;
        int h = static_cast<int>(static_cast<long long>(w) * sheetH / sheetW);
        if (h > roomH) {
            h = roomH;
            w = static_cast<int>(static_cast<long long>(h) * sheetW / sheetH);
        }
        const int x = client.left + (client.Width() - w) / 2;
        const int y = client.top + (client.Height() - h) / 2;
        return CRect(x, y, x + w, y + h);
    }

    DECLARE_MESSAGE_MAP()

private:
    CPrintPreviewFrame& m_frame;
};

BEGIN_MESSAGE_MAP(CPrintPreviewFrame::PagePane, CWnd)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

IMPLEMENT_DYNAMIC(CPrintPreviewFrame, CFrameWnd)

BEGIN_MESSAGE_MAP(CPrintPreviewFrame, CFrameWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_COMMAND(AFX_ID_PREVIEW_CLOSE, &CPrintPreviewFrame::OnPreviewClose)
    ON_COMMAND(AFX_ID_PREVIEW_PRINT, &CPrintPreviewFrame::OnPreviewPrint)
    ON_COMMAND(AFX_ID_PREVIEW_NEXT, &CPrintPreviewFrame::OnNextPage)
    ON_COMMAND(AFX_ID_PREVIEW_PREV, &CPrintPreviewFrame::OnPrevPage)
    ON_UPDATE_COMMAND_UI(AFX_ID_PREVIEW_NEXT, &CPrintPreviewFrame::OnUpdateNextPage)
    ON_UPDATE_COMMAND_UI(AFX_ID_PREVIEW_PREV, &CPrintPreviewFrame::OnUpdatePrevPage)
END_MESSAGE_MAP()

CPrintPreviewFrame::CPrintPreviewFrame() { OpenPreviews().push_back(this); }

CPrintPreviewFrame::~CPrintPreviewFrame()
{
    auto& previews = OpenPreviews();
    previews.erase(std::remove(previews.begin(), previews.end(), this), previews.end());
    delete m_pane;
}

CPrintPreviewFrame* CPrintPreviewFrame::Of(const CView* pView)
{
    if (!pView) return nullptr;
    for (CPrintPreviewFrame* preview : OpenPreviews()) {
        if (preview->m_view == pView->GetSafeHwnd() && ::IsWindow(preview->GetSafeHwnd())) return preview;
    }
    return nullptr;
}

CPrintPreviewFrame* CPrintPreviewFrame::Show(CView* pView, std::unique_ptr<CPrintInfo> info)
{
    if (!pView || !info || !info->m_pPD->GetPrinterDC()) return nullptr;
    auto* frame = new CPrintPreviewFrame;
    frame->m_view = pView->GetSafeHwnd();
    frame->m_info = std::move(info);
    frame->m_page = std::max<UINT>(1, frame->m_info->GetMinPage());
    CWnd* owner = pView->GetTopLevelParent();
    CString title = u"Print Preview";
    if (CDocument* doc = pView->GetDocument()) title = doc->GetTitle() + u" - " + title;
    // A failed creation deletes the frame.
    if (!frame->Create(nullptr, title.GetString(), WS_OVERLAPPEDWINDOW, rectDefault, owner)) return nullptr;
    frame->ShowWindow(SW_SHOW);
    return frame;
}

int CPrintPreviewFrame::OnCreate(LPCREATESTRUCT lpcs)
{
    if (CFrameWnd::OnCreate(lpcs) == -1) return -1;
    static const UINT kButtons[] = {AFX_ID_PREVIEW_PRINT, ID_SEPARATOR, AFX_ID_PREVIEW_NEXT, AFX_ID_PREVIEW_PREV,
                                    ID_SEPARATOR, AFX_ID_PREVIEW_CLOSE};
    static const char16_t* kLabels[] = {u"&Print...", nullptr, u"&Next Page", u"Pre&v Page", nullptr, u"&Close"};
    if (!m_toolBar.CreateEx(this, TBSTYLE_FLAT, WS_CHILD | WS_VISIBLE | CBRS_TOP, CRect(0, 0, 0, 0), AFX_IDW_PREVIEW_BAR))
        return -1;
    m_toolBar.SetButtons(kButtons, static_cast<int>(std::size(kButtons)));
    m_toolBar.SetSizes(CSize(0, 0), CSize(0, 0));
    for (int i = 0; i < static_cast<int>(std::size(kButtons)); ++i) {
        if (kLabels[i]) m_toolBar.SetButtonText(i, kLabels[i]);
    }
    m_pane = new PagePane(*this);
    if (!m_pane->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), this, AFX_IDW_PANE_FIRST)) return -1;
    CView* view = GetPreviewView();
    if (view) {
        CClientDC dc(view);
        view->OnBeginPrinting(&dc, m_info.get());
        m_begun = true;
    }
    RecalcLayout();
    return 0;
}

void CPrintPreviewFrame::OnDestroy()
{
    if (m_begun) {
        if (CView* view = GetPreviewView()) {
            CClientDC dc(view);
            view->OnEndPrinting(&dc, m_info.get());
        }
        m_begun = false;
    }
    CFrameWnd::OnDestroy();
}

CView* CPrintPreviewFrame::GetPreviewView() const
{
    return ::IsWindow(m_view) ? dynamic_cast<CView*>(CWnd::FromHandle(m_view)) : nullptr;
}

bool CPrintPreviewFrame::PageExists(UINT page)
{
    CView* view = GetPreviewView();
    if (!view || !m_info || page < m_info->GetMinPage() || page > m_info->GetMaxPage()) return false;
    const HBITMAP probe = platform::RenderPreviewPage(*m_info, *view, page, 4, 4);
    if (probe) ::DeleteObject(probe);
    const bool exists = probe && m_info->m_bContinuePrinting;
    m_info->m_nCurPage = m_page;
    return exists;
}

BOOL CPrintPreviewFrame::GoToPage(UINT page)
{
    if (!PageExists(page)) return FALSE;
    m_page = page;
    if (m_pane) m_pane->Invalidate(TRUE);
    return TRUE;
}

HBITMAP CPrintPreviewFrame::RenderCurrentPage(int width, int height)
{
    CView* view = GetPreviewView();
    if (!view || !m_info || width <= 0 || height <= 0) return HBITMAP();
    return platform::RenderPreviewPage(*m_info, *view, m_page, width, height);
}

void CPrintPreviewFrame::OnPreviewClose() { DestroyWindow(); }

void CPrintPreviewFrame::OnPreviewPrint()
{
    const HWND view = m_view;
    // The preview ends first: printing asks for the printer again.
    DestroyWindow();
    if (auto* v = ::IsWindow(view) ? dynamic_cast<CView*>(CWnd::FromHandle(view)) : nullptr) v->OnFilePrint();
}

void CPrintPreviewFrame::OnNextPage() { GoToPage(m_page + 1); }

void CPrintPreviewFrame::OnPrevPage()
{
    if (m_page > 1) GoToPage(m_page - 1);
}

void CPrintPreviewFrame::OnUpdateNextPage(CCmdUI* pCmdUI) { pCmdUI->Enable(PageExists(m_page + 1) ? TRUE : FALSE); }

void CPrintPreviewFrame::OnUpdatePrevPage(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(m_info && m_page > m_info->GetMinPage() ? TRUE : FALSE);
}
