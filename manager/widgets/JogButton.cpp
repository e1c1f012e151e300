#include "manager/widgets/JogButton.h"

IMPLEMENT_DYNAMIC(CJogButton, CButton)

BEGIN_MESSAGE_MAP(CJogButton, CButton)
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_LBUTTONUP()
    ON_WM_KEYUP()
    ON_WM_CAPTURECHANGED()
    ON_WM_KILLFOCUS()
    ON_WM_SHOWWINDOW()
    ON_WM_ENABLE()
    ON_WM_CANCELMODE()
    ON_WM_TIMER()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

namespace {

bool Down(SHORT state) { return (state & 0x8000) != 0; }

}  // namespace

CJogButton::~CJogButton()
{
    // The window goes with the object: the release must come before.
    if (m_hWnd) DestroyWindow();
}

void CJogButton::SetJogCode(int nCode, void* pUser)
{
    // A jog under way ends with the code it started with.
    if (m_hWnd) Release();
    m_pressed = false;
    m_nJogCode = nCode;
    m_pUser = pUser;
}

bool CJogButton::StillHeld() const
{
    return Down(::GetAsyncKeyState(VK_LBUTTON)) || Down(::GetKeyState(VK_SPACE)) || Down(::GetKeyState(VK_RETURN));
}

bool CJogButton::ChainEnabledAndVisible() const
{
    if (!::IsWindowVisible(m_hWnd)) return false;
    for (HWND h = m_hWnd; h; h = ::GetParent(h)) {
        if (!::IsWindowEnabled(h)) return false;
    }
    return true;
}

void CJogButton::OnLButtonDown(UINT, CPoint) { Press(); }

// The second click of a double click is a press like the first.
void CJogButton::OnLButtonDblClk(UINT, CPoint) { Press(); }

void CJogButton::Press()
{
    if (m_deciding || m_pressed || !::IsWindowEnabled(m_hWnd)) return;
    SetFocus();
    SetState(TRUE);
    m_deciding = true;
    m_releasedWhileDeciding = false;
    const HWND self = m_hWnd;
    const HWND parent = ::GetParent(self);
    const LRESULT accepted =
        parent ? ::SendMessageW(parent, kJogPressMessage, kJogKind, static_cast<LPARAM>(m_nJogCode)) : 0;
    // The parent may have closed the window (and with it this object) meanwhile.
    if (!::IsWindow(self)) return;
    m_deciding = false;
    if (!accepted) {
        SetState(FALSE);
        return;
    }
    m_pressed = true;
    SetTimer(kWatchTimerId, kWatchPeriodMs, nullptr);
    // The release may have come while the parent was busy deciding.
    const bool keysHeld = Down(::GetKeyState(VK_SPACE)) || Down(::GetKeyState(VK_RETURN));
    if ((m_releasedWhileDeciding && !keysHeld) || !StillHeld() || !ChainEnabledAndVisible()) Release();
}

void CJogButton::Release()
{
    if (!m_pressed) return;
    m_pressed = false;
    KillTimer(kWatchTimerId);
    SetState(FALSE);
    if (const HWND parent = ::GetParent(m_hWnd)) {
        ::SendMessageW(parent, kJogReleaseMessage, kJogKind, static_cast<LPARAM>(m_nJogCode));
    }
}

void CJogButton::Interrupted()
{
    if (m_deciding) {
        m_releasedWhileDeciding = true;
        return;
    }
    Release();
}

void CJogButton::OnLButtonUp(UINT, CPoint)
{
    if (m_deciding) {
        m_releasedWhileDeciding = true;
        return;
    }
    if (m_pressed) {
        Release();
    } else {
        SetState(FALSE);
    }
}

void CJogButton::OnKeyUp(UINT nChar, UINT, UINT)
{
    Default();
    if ((nChar == VK_SPACE || nChar == VK_RETURN) && m_pressed && !StillHeld()) Release();
}

void CJogButton::OnCaptureChanged(CWnd* pWnd)
{
    Default();
    if (pWnd != this) Interrupted();
}

void CJogButton::OnKillFocus(CWnd* pNewWnd)
{
    CButton::OnKillFocus(pNewWnd);
    Interrupted();
}

void CJogButton::OnShowWindow(BOOL bShow, UINT nStatus)
{
    CButton::OnShowWindow(bShow, nStatus);
    if (!bShow) Interrupted();
}

void CJogButton::OnEnable(BOOL bEnable)
{
    CButton::OnEnable(bEnable);
    if (!bEnable) Interrupted();
}

void CJogButton::OnCancelMode()
{
    CButton::OnCancelMode();
    Interrupted();
}

void CJogButton::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent != kWatchTimerId) {
        CButton::OnTimer(nIDEvent);
        return;
    }
    if (!m_pressed) {
        KillTimer(kWatchTimerId);
        return;
    }
    if (!StillHeld() || !ChainEnabledAndVisible()) Release();
}

void CJogButton::OnDestroy()
{
    // A press still being decided may have started the jog: a release that
    // was not needed only stops an axis that stands.
    if (m_deciding) {
        m_deciding = false;
        m_pressed = true;
    }
    Release();
    CButton::OnDestroy();
}
