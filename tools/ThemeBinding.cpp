#include "tools/ThemeBinding.h"

#include "platform/core/Module.h"
#include "platform/ui/WindowApi.h"

namespace {

template <class Fn>
bool BindEntry(HMODULE module, const char* name, Fn& entry)
{
    entry = reinterpret_cast<Fn>(GetProcAddress(module, name));
    return entry != nullptr;
}

}  // namespace

CThemeBinding::CThemeBinding()
    : m_bLoaded(FALSE), m_bOpen(FALSE), m_pOpenThemeData(nullptr), m_pDrawThemeBackground(nullptr),
      m_pCloseThemeData(nullptr), m_pDrawThemeText(nullptr), m_pDrawThemeEdge(nullptr), m_pDrawThemeIcon(nullptr),
      m_pGetThemeBackgroundContentRect(nullptr), m_pGetThemeBackgroundRegion(nullptr),
      m_pGetThemeBackgroundExtent(nullptr), m_pIsAppThemed(nullptr), m_pIsThemeActive(nullptr)
{
}

CThemeBinding::~CThemeBinding() { Free(); }

BOOL CThemeBinding::Bind()
{
    if (m_bLoaded) return TRUE;
    m_hModule = LoadLibraryW(kLibraryName);
    if (!m_hModule) return FALSE;
    const bool all = BindEntry(m_hModule, "OpenThemeData", m_pOpenThemeData) &&
                     BindEntry(m_hModule, "DrawThemeBackground", m_pDrawThemeBackground) &&
                     BindEntry(m_hModule, "CloseThemeData", m_pCloseThemeData) &&
                     BindEntry(m_hModule, "DrawThemeText", m_pDrawThemeText) &&
                     BindEntry(m_hModule, "DrawThemeEdge", m_pDrawThemeEdge) &&
                     BindEntry(m_hModule, "DrawThemeIcon", m_pDrawThemeIcon) &&
                     BindEntry(m_hModule, "GetThemeBackgroundContentRect", m_pGetThemeBackgroundContentRect) &&
                     BindEntry(m_hModule, "GetThemeBackgroundRegion", m_pGetThemeBackgroundRegion) &&
                     BindEntry(m_hModule, "GetThemeBackgroundExtent", m_pGetThemeBackgroundExtent) &&
                     BindEntry(m_hModule, "IsAppThemed", m_pIsAppThemed) &&
                     BindEntry(m_hModule, "IsThemeActive", m_pIsThemeActive);
    if (!all) {
        Free();
        return FALSE;
    }
    m_bLoaded = TRUE;
    return TRUE;
}

BOOL CThemeBinding::Open(CWnd* pWnd, LPCWSTR classList)
{
    if (!Bind()) return FALSE;
    if (m_bOpen && m_hTheme) m_pCloseThemeData(m_hTheme);
    m_hWnd = pWnd ? pWnd->GetSafeHwnd() : HWND();
    m_hTheme = m_pOpenThemeData(m_hWnd, classList);
    m_bOpen = m_hTheme ? TRUE : FALSE;
    return m_bOpen;
}

BOOL CThemeBinding::IsActive() const
{
    return m_bLoaded && m_pIsAppThemed() && m_pIsThemeActive() ? TRUE : FALSE;
}

HRESULT CThemeBinding::DrawBackground(CDC* pDC, int nPart, int nState, const RECT& rect, const RECT* pClip)
{
    if (!m_bLoaded || !m_bOpen || !pDC) return E_FAIL;
    RECT grown{rect.left - 1, rect.top - 1, rect.right + 1, rect.bottom + 1};
    return m_pDrawThemeBackground(m_hTheme, pDC->GetSafeHdc(), nPart, nState, &grown, pClip);
}

BOOL CThemeBinding::GetContentRect(CDC* pDC, int nPart, int nState, const RECT& bounds, RECT& content)
{
    content = bounds;
    if (!m_bLoaded || !m_bOpen || !pDC) return FALSE;
    return SUCCEEDED(m_pGetThemeBackgroundContentRect(m_hTheme, pDC->GetSafeHdc(), nPart, nState, &bounds, &content))
               ? TRUE
               : FALSE;
}

void CThemeBinding::Free()
{
    if (m_bLoaded && m_bOpen && m_hTheme) m_pCloseThemeData(m_hTheme);
    if (m_hModule) FreeLibrary(m_hModule);
    m_hModule = HMODULE();
    m_hTheme = HTHEME();
    m_hWnd = HWND();
    m_bLoaded = FALSE;
    m_bOpen = FALSE;
    m_pOpenThemeData = nullptr;
    m_pDrawThemeBackground = nullptr;
    m_pCloseThemeData = nullptr;
    m_pDrawThemeText = nullptr;
    m_pDrawThemeEdge = nullptr;
    m_pDrawThemeIcon = nullptr;
    m_pGetThemeBackgroundContentRect = nullptr;
    m_pGetThemeBackgroundRegion = nullptr;
    m_pGetThemeBackgroundExtent = nullptr;
    m_pIsAppThemed = nullptr;
    m_pIsThemeActive = nullptr;
}
