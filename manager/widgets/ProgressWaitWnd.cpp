#include "manager/widgets/ProgressWaitWnd.h"

#include "platform/core/Time.h"

#include <algorithm>
#include <vector>

IMPLEMENT_DYNAMIC(CProgressWaitWnd, CWnd)

namespace {

constexpr UINT kStepBarMessage = WM_USER + 0x200;
constexpr int kDefaultIconSize = 32;
constexpr const char16_t* kInitialMessage = u"Now Loading...";

// The wait windows that are up, oldest first; the last is the active one.
std::vector<CProgressWaitWnd*>& UpWindows()
{
    static std::vector<CProgressWaitWnd*> windows;
    return windows;
}

void RemoveUpWindow(CProgressWaitWnd* wnd) { std::erase(UpWindows(), wnd); }

int IconWidth(HICON icon)
{
    ICONINFO info;
    if (!icon || !::GetIconInfo(icon, &info)) return 0;
    BITMAP bitmap;
    int width = 0;
    if (info.hbmColor && ::GetObject(info.hbmColor, sizeof bitmap, &bitmap)) width = bitmap.bmWidth;
    // The copies that the query made are ours to free.
    ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
    return width;
}

void Pump() { platform::PumpOneMessage(); }

}  // namespace

BEGIN_MESSAGE_MAP(CProgressWaitWnd, CWnd)
    ON_WM_CREATE()
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_CTLCOLOR()
    ON_WM_CLOSE()
    ON_MESSAGE(kStepBarMessage, &CProgressWaitWnd::OnStepBar)
END_MESSAGE_MAP()

CProgressWaitWnd* GetActiveProgressWaitWnd()
{
    const auto& windows = UpWindows();
    return windows.empty() ? nullptr : windows.back();
}

void CloseActiveProgressWaitWnd()
{
    if (CProgressWaitWnd* wnd = GetActiveProgressWaitWnd()) wnd->DestroyWindow();
}

CProgressWaitWnd::CProgressWaitWnd(BOOL bFrame, int nStyle, BOOL bShowPercent, BOOL bAnimated, BOOL bMirrored,
                                   int nDirection)
    : m_nStyle(nStyle),
      m_bAnimated(bAnimated),
      m_bFrame(bFrame),
      m_bShowPercent(bShowPercent),
      m_bMirrored(bMirrored),
      m_nDirection(nDirection)
{
}

CProgressWaitWnd::~CProgressWaitWnd()
{
    DestroyWindow();
    StopAnimation();
    ReleaseOwner();
    RemoveUpWindow(this);
}

void CProgressWaitWnd::SetIcons(HICON* pLeftIcon, HICON* pRightIcon)
{
    m_pLeftIcon = pLeftIcon;
    m_pRightIcon = pRightIcon;
}

BOOL CProgressWaitWnd::Create(CWnd* pOwner, int nWidth, int nHeight)
{
    return CreateFor(pOwner ? pOwner->GetSafeHwnd() : HWND(), nWidth, nHeight);
}

BOOL CProgressWaitWnd::Create(HWND owner, int nWidth, int nHeight) { return CreateFor(owner, nWidth, nHeight); }

BOOL CProgressWaitWnd::CreateFor(HWND owner, int nWidth, int nHeight)
{
    if (m_hWnd) return FALSE;
    // Without an owner the main window is held still, so nothing is started
    // from it while the operation runs.
    if (!owner) owner = GetManagerWindows().GetMainWindow();
    if (owner && !::IsWindow(owner)) owner = HWND();
    RECT around{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    if (owner) ::GetWindowRect(owner, &around);

    m_nIconSize = 0;
    if (m_nStyle == CGradientProgressCtrl::kTransferStyle) {
        if (m_pLeftIcon && m_pRightIcon) {
            m_nIconSize = std::max(IconWidth(*m_pLeftIcon), IconWidth(*m_pRightIcon));
        } else {
            m_nIconSize = kDefaultIconSize;
        }
    }

    const int left = (around.left + around.right - nWidth) / 2;
    const int top = (around.top + around.bottom - nHeight) / 2;
    const RECT rect{left, top, left + nWidth, top + nHeight};
    const LPCTSTR className = AfxRegisterWndClass(0);
    if (!CreateEx(0, className, u"", WS_POPUP | WS_BORDER | WS_DISABLED, rect, CWnd::FromHandle(owner), 0)) return FALSE;

    m_hOwner = owner;
    if (owner) m_ownerDisabledHere = !::EnableWindow(owner, FALSE);
    UpWindows().push_back(this);
    return TRUE;
}

int CProgressWaitWnd::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
    if (CWnd::OnCreate(lpCreateStruct) == -1) return -1;
    const int z = m_nIconSize;
    const int width = lpCreateStruct->cx;

    m_pMessage = std::make_unique<CStatic>();
    if (!m_pMessage->Create(kInitialMessage, WS_CHILD | WS_VISIBLE | SS_CENTER, RECT{z + 30, 65, width - z - 30, 95}, this,
                            kMessageId)) {
        return -1;
    }

    m_pBar = std::make_unique<CGradientProgressCtrl>(m_nStyle, m_nDirection, m_bAnimated, m_bFrame, m_bMirrored,
                                                     m_bShowPercent);
    const bool transfer = m_nStyle == CGradientProgressCtrl::kTransferStyle;
    const RECT barRect = transfer ? RECT{z + 27, 25, width - z - 27, 55} : RECT{z + 27, 15, width - z - 27, 45};
    if (!m_pBar->Create(WS_CHILD | WS_VISIBLE, barRect, this, kBarId)) return -1;

    LOGFONT barFont;
    barFont.lfHeight = -20;
    barFont.lfWeight = FW_EXTRABOLD;
    barFont.lfCharSet = SHIFTJIS_CHARSET;
    std::copy_n(u"tahoma", 7, barFont.lfFaceName);
    ApplyBarFont(barFont);
    m_pBar->SetRange(0, 100);
    m_pBar->SetStep(1);

    if (CWnd* owner = CWnd::FromHandle(lpCreateStruct->hwndParent)) {
        LOGFONT ownerFont;
        if (CFont* font = owner->GetFont(); font && font->GetLogFont(&ownerFont)) ApplyMessageFont(ownerFont);
    }
    return 0;
}

void CProgressWaitWnd::Show()
{
    if (!m_hWnd) return;
    ShowWindow(SW_SHOW);
    UpdateWindow();
    const bool animate = m_bAnimated || m_nStyle == CGradientProgressCtrl::kTransferStyle;
    if (!animate || m_timerId.load() != 0) return;
    timeBeginPeriod(kTimerResolutionMs);
    m_timerTarget = m_hWnd;
    m_stepPosted.store(false);
    const UINT id = timeSetEvent(kAnimationPeriodMs, 0, &CProgressWaitWnd::AnimationTick,
                                 reinterpret_cast<DWORD_PTR>(this), TIME_PERIODIC);
    if (id == 0) {
        timeEndPeriod(kTimerResolutionMs);
        return;
    }
    m_timerId.store(id);
}

void CALLBACK CProgressWaitWnd::AnimationTick(UINT timerId, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR)
{
    auto* self = reinterpret_cast<CProgressWaitWnd*>(user);
    if (timerId != self->m_timerId.load()) return;
    // One step waits at a time; the user-interface thread takes it when it
    // next lets messages through.
    if (self->m_stepPosted.exchange(true)) return;
    if (!::PostMessageW(self->m_timerTarget, kStepBarMessage, 0, 0)) self->m_stepPosted.store(false);
}

LRESULT CProgressWaitWnd::OnStepBar(WPARAM, LPARAM)
{
    m_stepPosted.store(false);
    if (m_timerId.load() != 0 && m_pBar && m_pBar->GetSafeHwnd()) m_pBar->StepIt();
    return 0;
}

void CProgressWaitWnd::StopAnimation()
{
    const UINT id = m_timerId.exchange(0);
    if (id == 0) return;
    // Returns once a running tick has ended; the tick never waits for us.
    timeKillEvent(id);
    timeEndPeriod(kTimerResolutionMs);
}

void CProgressWaitWnd::ReleaseOwner()
{
    if (m_ownerDisabledHere && ::IsWindow(m_hOwner)) ::EnableWindow(m_hOwner, TRUE);
    m_ownerDisabledHere = false;
}

void CProgressWaitWnd::SetMessage(const CString& text)
{
    if (m_pMessage && m_pMessage->GetSafeHwnd()) m_pMessage->SetWindowText(text);
    Pump();
}

void CProgressWaitWnd::ApplyMessageFont(const LOGFONT& font)
{
    m_messageFont.DeleteObject();
    m_messageFont.CreateFontIndirect(&font);
    if (m_pMessage && m_pMessage->GetSafeHwnd()) m_pMessage->SetFont(&m_messageFont, TRUE);
    if (m_hWnd) Invalidate();
}

void CProgressWaitWnd::SetMessageFont(CFont* pFont)
{
    LOGFONT font;
    if (pFont && pFont->GetLogFont(&font)) ApplyMessageFont(font);
    Pump();
}

void CProgressWaitWnd::SetMessageFont(const CString& face, int points)
{
    CFont font;
    font.CreatePointFont(points * 10, face);
    SetMessageFont(&font);
}

void CProgressWaitWnd::ApplyBarFont(const LOGFONT& font)
{
    if (m_pBar) m_pBar->SetTextFont(font);
    if (m_hWnd) Invalidate();
}

void CProgressWaitWnd::SetBarFont(CFont* pFont)
{
    LOGFONT font;
    if (pFont && pFont->GetLogFont(&font)) ApplyBarFont(font);
    Pump();
}

void CProgressWaitWnd::SetBarRange(int nLower, int nUpper, int nStep)
{
    if (m_pBar && m_pBar->GetSafeHwnd()) {
        m_pBar->SetRange(nLower, nUpper);
        m_pBar->SetStep(nStep);
    }
    Pump();
}

void CProgressWaitWnd::StepBar()
{
    if (m_pBar && m_pBar->GetSafeHwnd()) m_pBar->StepIt();
    Pump();
}

void CProgressWaitWnd::AdvanceBar(int nDelta)
{
    if (m_pBar && m_pBar->GetSafeHwnd()) m_pBar->OffsetPos(nDelta);
    Pump();
}

void CProgressWaitWnd::AdvanceBarSlowly(int nCount, int nMilliseconds)
{
    for (int i = 0; i < nCount; ++i) {
        if (m_pBar && m_pBar->GetSafeHwnd()) m_pBar->OffsetPos(1);
        Pump();
        if (nMilliseconds > 0) Sleep(static_cast<DWORD>(nMilliseconds));
    }
    Pump();
}

void CProgressWaitWnd::MoveMessage(int x, int y, int cx, int cy)
{
    if (m_pMessage && m_pMessage->GetSafeHwnd()) m_pMessage->SetWindowPos(nullptr, x, y, cx, cy, SWP_NOZORDER);
}

void CProgressWaitWnd::MoveMessage(const RECT& rect)
{
    MoveMessage(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

void CProgressWaitWnd::MoveBar(int x, int y, int cx, int cy)
{
    if (m_pBar && m_pBar->GetSafeHwnd()) m_pBar->SetWindowPos(nullptr, x, y, cx, cy, SWP_NOZORDER);
}

void CProgressWaitWnd::MoveBar(const RECT& rect)
{
    MoveBar(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

void CProgressWaitWnd::SetBarColors(COLORREF textOnFill, COLORREF textOnEmpty, COLORREF fill, COLORREF shadow)
{
    if (m_pBar) m_pBar->SetColors(textOnFill, textOnEmpty, fill, shadow);
}

BOOL CProgressWaitWnd::DestroyWindow()
{
    StopAnimation();
    if (m_pMessage) m_pMessage->DestroyWindow();
    if (m_pBar) m_pBar->DestroyWindow();
    m_pMessage.reset();
    m_pBar.reset();
    // The owner first, so that it can take the activation back.
    ReleaseOwner();
    RemoveUpWindow(this);
    return m_hWnd ? CWnd::DestroyWindow() : FALSE;
}

void CProgressWaitWnd::PostNcDestroy()
{
    // Also when the window went with its owner or was destroyed by handle.
    StopAnimation();
    m_pMessage.reset();
    m_pBar.reset();
    ReleaseOwner();
    RemoveUpWindow(this);
    CWnd::PostNcDestroy();
}

BOOL CProgressWaitWnd::PreTranslateMessage(MSG* pMsg)
{
    if (!pMsg) return FALSE;
    if (pMsg->message == WM_KEYDOWN || pMsg->message == WM_SYSKEYDOWN) return TRUE;
    if (pMsg->message == WM_SYSCOMMAND && (pMsg->wParam & 0xFFF0) == SC_CLOSE) return TRUE;
    return CWnd::PreTranslateMessage(pMsg);
}

void CProgressWaitWnd::OnClose()
{
    // Only the operation that showed the window closes it.
}

BOOL CProgressWaitWnd::OnEraseBkgnd(CDC*) { return TRUE; }

void CProgressWaitWnd::OnPaint()
{
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    dc.FillSolidRect(&client, ::GetSysColor(COLOR_BTNFACE));
    if (m_nStyle != CGradientProgressCtrl::kTransferStyle || !m_pLeftIcon || !m_pRightIcon) return;
    const int z = m_nIconSize;
    const int top = 38 - z / 2;
    if (*m_pLeftIcon) ::DrawIconEx(dc, 18, top, *m_pLeftIcon, z, z, 0, HBRUSH(), DI_NORMAL);
    if (*m_pRightIcon) ::DrawIconEx(dc, client.Width() - z - 14, top, *m_pRightIcon, z, z, 0, HBRUSH(), DI_NORMAL);
}

HBRUSH CProgressWaitWnd::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
{
    if (pDC && pWnd && pWnd->GetDlgCtrlID() == kMessageId) {
        pDC->SetBkMode(TRANSPARENT);
        return HBRUSH(::GetStockObject(HOLLOW_BRUSH));
    }
    return CWnd::OnCtlColor(pDC, pWnd, nCtlColor);
}
