// The visual-styles binding of the icon buttons: the library loaded once,
// each entry point looked up when it is called, with a classic answer when
// the library or the entry point is missing (a null theme, E_FAIL, not
// themed). On this desktop every call takes the classic answer.
#pragma once

#include "platform/ui/VisualStyles.h"

class CThemeLibrary {
public:
    static constexpr const char16_t* kLibraryName = u"UxTheme.dll";

    CThemeLibrary();
    ~CThemeLibrary();
    CThemeLibrary(const CThemeLibrary&) = delete;
    CThemeLibrary& operator=(const CThemeLibrary&) = delete;

    BOOL IsLoaded() const { return m_hModule ? TRUE : FALSE; }

    HTHEME OpenThemeData(HWND hWnd, LPCWSTR classList);
    HRESULT CloseThemeData(HTHEME hTheme);
    // With a window, its parent's background is drawn first (when the
    // library can).
    HRESULT DrawThemeBackground(HWND hWnd, HTHEME hTheme, HDC hDC, int nPart, int nState, const RECT* pRect,
                                const RECT* pClip);
    BOOL IsAppThemed();

private:
    template <class Fn>
    Fn Entry(const char* name) const;

    HMODULE m_hModule;
};
