#include "manager/widgets/SplashWnd.h"

#include "manager/core/ManagerWindows.h"
#include "manager/widgets/Splash.h"
#include "platform/core/ResourceModule.h"
#include "platform/ui/ResourceImages.h"

IMPLEMENT_DYNAMIC(CSplashWnd, CWnd)

BEGIN_MESSAGE_MAP(CSplashWnd, CWnd)
    ON_WM_CREATE()
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_CTLCOLOR()
    ON_WM_TIMER()
    ON_WM_DESTROY()
    ON_WM_LBUTTONDOWN()
    ON_WM_RBUTTONDOWN()
    ON_MESSAGE(WM_MBUTTONDOWN, &CSplashWnd::OnMButtonDown)
END_MESSAGE_MAP()

namespace {

bool MainWindowExists()
{
    const HWND main = GetManagerWindows().GetMainWindow();
    return main && ::IsWindow(main);
}

DWORD AlignmentStyle(int alignment)
{
    if (alignment == 1) return SS_CENTER;
    if (alignment == 2) return SS_RIGHT;
    return SS_LEFT;
}

}  // namespace

CSplashWnd* CSplashWnd::CreateSplash(UINT nBitmapId, int nDisplayMs, int nFlags, const int* pReady,
                                     const std::vector<SplashText>* pLines, CSplash* pThread)
{
    auto* wnd = new CSplashWnd;
    if (!wnd->Prepare(nBitmapId, nDisplayMs, nFlags, pReady, pLines)) {
        delete wnd;
        return nullptr;
    }
    // A window that fails while it is being made deletes itself.
    if (!wnd->CreateWindowOfPicture()) return nullptr;
    wnd->m_pThread = pThread;
    return wnd;
}

BOOL CSplashWnd::Prepare(UINT nBitmapId, int nDisplayMs, int nFlags, const int* pReady,
                         const std::vector<SplashText>* pLines)
{
    m_nDisplayMs = nDisplayMs;
    m_nFlags = nFlags;
    m_pReady = pReady;
    const HBITMAP picture = ::LoadBitmapW(HINSTANCE(), MAKEINTRESOURCEW(nBitmapId));
    if (!picture) return FALSE;
    m_bitmap.Attach(picture);
    BITMAP info;
    if (!m_bitmap.GetBitmap(&info) || info.bmWidth <= 0 || info.bmHeight <= 0) return FALSE;
    m_size = CSize(info.bmWidth, info.bmHeight);

    if (pLines) {
        for (const SplashText& text : *pLines) {
            Line line;
            line.text = text;
            LOGFONT font;
            if (text.font && text.font->GetLogFont(&font)) {
                line.font = std::make_unique<CFont>();
                line.font->CreateFontIndirect(&font);
            }
            line.text.font = nullptr;
            m_lines.push_back(std::move(line));
        }
    }
    return TRUE;
}

BOOL CSplashWnd::CreateWindowOfPicture()
{
    return CreateEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, AfxRegisterWndClass(0), nullptr, WS_POPUP | WS_VISIBLE,
                    RECT{0, 0, m_size.cx, m_size.cy}, nullptr, 0);
}

int CSplashWnd::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
    if (CWnd::OnCreate(lpCreateStruct) == -1) return -1;
    for (const Line& line : m_lines) {
        auto label = std::make_unique<CStatic>();
        const DWORD style = WS_CHILD | WS_VISIBLE | AlignmentStyle(line.text.alignment);
        if (!label->Create(line.text.text, style, line.text.rect, this, static_cast<UINT>(line.text.id))) continue;
        if (line.font) label->SetFont(line.font.get(), TRUE);
        label->ShowWindow(SW_SHOW);
        m_statics.push_back(std::move(label));
    }
    CenterWindow();
    UpdateWindow();
    SetForegroundWindow();
    if (m_nDisplayMs != kNoTimer) SetTimer(kCloseTimerId, static_cast<UINT>(m_nDisplayMs), nullptr);
    if (m_nFlags & kCloseOnInput) {
        ::SetCapture(m_hWnd);
        m_captured = true;
        ::SetCursor(::LoadCursorW(HINSTANCE(), IDC_ARROW));
    }
    return 0;
}

const CSplashWnd::Line* CSplashWnd::LineOf(int id) const
{
    for (const Line& line : m_lines) {
        if (line.text.id == id) return &line;
    }
    return nullptr;
}

BOOL CSplashWnd::OnEraseBkgnd(CDC*) { return TRUE; }

void CSplashWnd::OnPaint()
{
    CPaintDC dc(this);
    BITMAP info;
    if (!m_bitmap.GetSafeHandle() || !m_bitmap.GetBitmap(&info)) return;
    CDC memory;
    memory.CreateCompatibleDC(&dc);
    CBitmap* old = memory.SelectObject(&m_bitmap);
    dc.BitBlt(0, 0, info.bmWidth, info.bmHeight, &memory, 0, 0, SRCCOPY);
    memory.SelectObject(old);
}

HBRUSH CSplashWnd::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
{
    if (pDC && pWnd) {
        if (const Line* line = LineOf(pWnd->GetDlgCtrlID())) {
            pDC->SetTextColor(line->text.colour);
            pDC->SetBkMode(TRANSPARENT);
            return HBRUSH(::GetStockObject(HOLLOW_BRUSH));
        }
    }
    return CWnd::OnCtlColor(pDC, pWnd, nCtlColor);
}

void CSplashWnd::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent != kCloseTimerId) {
        CWnd::OnTimer(nIDEvent);
        return;
    }
    const bool waitsForReady = (m_nFlags & kWaitForReady) != 0;
    if (!(m_nFlags & kNoMainWindowWait) && !MainWindowExists()) {
        if (waitsForReady && Ready()) {
            PostMessage(WM_CLOSE);
        } else {
            SetTimer(kCloseTimerId, kRetryMs, nullptr);
        }
        return;
    }
    if (!waitsForReady || Ready()) PostMessage(WM_CLOSE);
}

bool CSplashWnd::InputCloses() const
{
    if (!(m_nFlags & kCloseOnInput)) return false;
    return !(m_nFlags & kWaitForReady) || Ready();
}

BOOL CSplashWnd::PreTranslateMessage(MSG* pMsg)
{
    if (!pMsg) return FALSE;
    switch (pMsg->message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        if (InputCloses()) {
            PostMessage(WM_CLOSE);
            return TRUE;
        }
        break;
    default:
        break;
    }
    return CWnd::PreTranslateMessage(pMsg);
}

// Mouse buttons come to the window itself (keys pass its pre-translation).
void CSplashWnd::ButtonDown()
{
    if (InputCloses()) {
        PostMessage(WM_CLOSE);
    } else {
        Default();
    }
}

void CSplashWnd::OnLButtonDown(UINT, CPoint) { ButtonDown(); }

void CSplashWnd::OnRButtonDown(UINT, CPoint) { ButtonDown(); }

LRESULT CSplashWnd::OnMButtonDown(WPARAM, LPARAM)
{
    ButtonDown();
    return 0;
}

void CSplashWnd::OnDestroy()
{
    if (m_captured) {
        ::ReleaseCapture();
        m_captured = false;
    }
    KillTimer(kCloseTimerId);
    for (auto& label : m_statics) label->DestroyWindow();
    m_statics.clear();
    const HWND main = GetManagerWindows().GetMainWindow();
    if (main && ::IsWindow(main)) ::SetForegroundWindow(main);
    CWnd::OnDestroy();
}

void CSplashWnd::PostNcDestroy()
{
    CSplash* thread = m_pThread;
    m_pThread = nullptr;
    delete this;
    if (thread) thread->WindowEnded();
}
