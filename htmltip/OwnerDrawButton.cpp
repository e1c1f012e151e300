#include "htmltip/OwnerDrawButton.h"

IMPLEMENT_DYNAMIC(COwnerDrawButton, CButton)

BEGIN_MESSAGE_MAP(COwnerDrawButton, CButton)
    ON_WM_GETDLGCODE()
    ON_MESSAGE(BM_SETSTYLE, &COwnerDrawButton::OnSetStyle)
END_MESSAGE_MAP()

namespace {

bool IsPushButton(HWND window)
{
    return window && (::SendMessage(window, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0;
}

}  // namespace

void COwnerDrawButton::PreSubclassWindow()
{
    m_buttonType = GetStyle() & BS_TYPEMASK;
    if (m_buttonType == BS_DEFPUSHBUTTON) {
        m_canBeDefault = true;
        m_isDefault = true;
        m_buttonType = BS_PUSHBUTTON;
    } else if (m_buttonType == BS_PUSHBUTTON) {
        m_canBeDefault = true;
    }
    ModifyStyle(BS_TYPEMASK, BS_OWNERDRAW, SWP_FRAMECHANGED);
    CButton::PreSubclassWindow();
}

UINT COwnerDrawButton::OnGetDlgCode()
{
    // The default-button bits follow what the button was, not that it is
    // owner-drawn now.
    UINT code = static_cast<UINT>(Default()) & ~(DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON);
    if (m_buttonType == BS_RADIOBUTTON || m_buttonType == BS_AUTORADIOBUTTON) {
        code |= DLGC_RADIOBUTTON;
    } else if (m_buttonType == BS_GROUPBOX) {
        code = DLGC_STATIC;
    }
    if (m_canBeDefault || m_isDefault) code |= m_isDefault ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON;
    return code;
}

LRESULT COwnerDrawButton::OnSetStyle(WPARAM style, LPARAM redraw)
{
    const UINT type = static_cast<UINT>(style) & BS_TYPEMASK;
    if (type == BS_DEFPUSHBUTTON) {
        m_isDefault = true;
    } else if (type == BS_PUSHBUTTON) {
        m_isDefault = false;
    }
    const LRESULT result =
        DefWindowProc(BM_SETSTYLE, (style & ~static_cast<WPARAM>(BS_TYPEMASK)) | BS_OWNERDRAW, redraw);
    if (redraw) Invalidate();
    return result;
}

void COwnerDrawButton::SetDefault(BOOL canBeDefault)
{
    m_canBeDefault = canBeDefault != FALSE;
    if (m_canBeDefault || !m_isDefault || !m_hWnd) return;
    SendMessage(BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    if (CWnd* parent = GetParent()) {
        const LRESULT def = parent->SendMessage(DM_GETDEFID);
        if (HIWORD(def) == DC_HASDEFID) parent->SendMessage(DM_SETDEFID, LOWORD(def));
    }
}

void COwnerDrawButton::SetDefaultButton(CWnd* dialog, UINT id)
{
    if (!dialog || !dialog->GetSafeHwnd()) return;
    const LRESULT old = dialog->SendMessage(DM_GETDEFID);
    if (HIWORD(old) == DC_HASDEFID) {
        const HWND oldButton = ::GetDlgItem(*dialog, LOWORD(old));
        if (oldButton && (::SendMessage(oldButton, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON)) {
            ::SendMessage(oldButton, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
        }
    }
    dialog->SendMessage(DM_SETDEFID, id);
    const HWND now = ::GetDlgItem(*dialog, static_cast<int>(id));
    if (!IsPushButton(now)) return;
    // The focused push button shows the default look; otherwise the new one does.
    CWnd* focus = CWnd::GetFocus();
    const HWND focused = focus ? focus->GetSafeHwnd() : HWND();
    const HWND takes = focused && ::IsChild(*dialog, focused) && IsPushButton(focused) ? focused : now;
    ::SendMessage(takes, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
}
