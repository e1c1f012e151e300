// The colour chooser: the class library's CColorDialog and ChooseColor over
// the standard-dialog service (StandardDialogs.h).
#pragma once

#include "platform/ui/WindowApi.h"

inline constexpr DWORD CC_RGBINIT = 0x00000001;
inline constexpr DWORD CC_FULLOPEN = 0x00000002;
inline constexpr DWORD CC_PREVENTFULLOPEN = 0x00000004;
inline constexpr DWORD CC_SHOWHELP = 0x00000008;
inline constexpr DWORD CC_SOLIDCOLOR = 0x00000080;
inline constexpr DWORD CC_ANYCOLOR = 0x00000100;

struct CHOOSECOLORW {
    DWORD lStructSize = sizeof(CHOOSECOLORW);
    HWND hwndOwner;
    COLORREF rgbResult = 0;
    // 16 colours that the chooser shows and may change; may be null.
    COLORREF* lpCustColors = nullptr;
    DWORD Flags = 0;
};
using CHOOSECOLOR = CHOOSECOLORW;

// TRUE with rgbResult (and the custom colours) on OK.
BOOL ChooseColorW(CHOOSECOLORW* cc);
inline BOOL ChooseColor(CHOOSECOLORW* cc) { return ChooseColorW(cc); }

class CColorDialog {
public:
    explicit CColorDialog(COLORREF clrInit = 0, DWORD dwFlags = 0, CWnd* pParentWnd = nullptr);
    virtual ~CColorDialog() = default;

    // IDOK or IDCANCEL.
    virtual INT_PTR DoModal();
    COLORREF GetColor() const { return m_cc.rgbResult; }
    void SetCurrentColor(COLORREF color) { m_cc.rgbResult = color; }

    CHOOSECOLOR m_cc;

private:
    COLORREF m_defaultCustom[16] = {};
};
