#include "platform/ui/ColorDialog.h"

#include "platform/ui/StandardDialogs.h"

#include <algorithm>

BOOL ChooseColorW(CHOOSECOLORW* cc)
{
    if (!cc) return FALSE;
    platform::ColorDialogRequest request;
    request.owner = cc->hwndOwner;
    request.initial = cc->rgbResult;
    request.flags = cc->Flags;
    if (cc->lpCustColors) std::copy(cc->lpCustColors, cc->lpCustColors + 16, request.customColors);
    const platform::ColorDialogResult result = platform::ShowColorDialog(request);
    if (cc->lpCustColors) std::copy(result.customColors, result.customColors + 16, cc->lpCustColors);
    if (!result.ok) return FALSE;
    cc->rgbResult = result.color;
    return TRUE;
}

CColorDialog::CColorDialog(COLORREF clrInit, DWORD dwFlags, CWnd* pParentWnd)
{
    std::fill(std::begin(m_defaultCustom), std::end(m_defaultCustom), RGB(255, 255, 255));
    m_cc.hwndOwner = pParentWnd ? pParentWnd->GetSafeHwnd() : HWND();
    m_cc.rgbResult = clrInit;
    m_cc.Flags = dwFlags | CC_RGBINIT;
    m_cc.lpCustColors = m_defaultCustom;
}

INT_PTR CColorDialog::DoModal() { return ChooseColorW(&m_cc) ? IDOK : IDCANCEL; }
