#include "tools/ThemeLibrary.h"

#include "platform/core/Module.h"

CThemeLibrary::CThemeLibrary() : m_hModule(LoadLibraryW(kLibraryName)) {}

CThemeLibrary::~CThemeLibrary()
{
    if (m_hModule) FreeLibrary(m_hModule);
}

template <class Fn>
Fn CThemeLibrary::Entry(const char* name) const
{
    return m_hModule ? reinterpret_cast<Fn>(GetProcAddress(m_hModule, name)) : nullptr;
}

HTHEME CThemeLibrary::OpenThemeData(HWND hWnd, LPCWSTR classList)
{
    const auto open = Entry<PFNOPENTHEMEDATA>("OpenThemeData");
    return open ? open(hWnd, classList) : HTHEME();
}

HRESULT CThemeLibrary::CloseThemeData(HTHEME hTheme)
{
    const auto close = Entry<PFNCLOSETHEMEDATA>("CloseThemeData");
    return close ? close(hTheme) : E_FAIL;
}

HRESULT CThemeLibrary::DrawThemeBackground(HWND hWnd, HTHEME hTheme, HDC hDC, int nPart, int nState,
                                           const RECT* pRect, const RECT* pClip)
{
    const auto draw = Entry<PFNDRAWTHEMEBACKGROUND>("DrawThemeBackground");
    if (!draw) return E_FAIL;
    if (hWnd) {
        if (const auto parent = Entry<PFNDRAWTHEMEPARENTBACKGROUND>("DrawThemeParentBackground")) {
            parent(hWnd, hDC, pRect);
        }
    }
    return draw(hTheme, hDC, nPart, nState, pRect, pClip);
}

BOOL CThemeLibrary::IsAppThemed()
{
    const auto themed = Entry<PFNISAPPTHEMED>("IsAppThemed");
    return themed ? themed() : FALSE;
}
