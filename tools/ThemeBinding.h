// The visual-styles binding of the colour button and the trace window's
// status bar: all eleven entry points of the visual-styles library bound by
// name at once, or none (then nothing is themed and the controls draw the
// classic way, which is always the case on this desktop).
#pragma once

#include "platform/ui/VisualStyles.h"

class CDC;
class CWnd;

class CThemeBinding {
public:
    static constexpr const char16_t* kLibraryName = u"UXTHEME.DLL";

    CThemeBinding();
    ~CThemeBinding();
    CThemeBinding(const CThemeBinding&) = delete;
    CThemeBinding& operator=(const CThemeBinding&) = delete;

    // Binds the library (when not yet bound) and opens the theme of the class
    // for the window; FALSE when the library or one entry point is missing
    // or no theme opens.
    BOOL Open(CWnd* pWnd, LPCWSTR classList);
    // Bound, and the application and the desktop are themed.
    BOOL IsActive() const;
    BOOL IsLoaded() const { return m_bLoaded; }
    BOOL IsOpen() const { return m_bOpen; }
    HTHEME GetTheme() const { return m_hTheme; }
    // Draws the part on the rectangle grown by one pixel on every side;
    // E_FAIL without an open theme.
    HRESULT DrawBackground(CDC* pDC, int nPart, int nState, const RECT& rect, const RECT* pClip);
    // The content area of the part; FALSE (content = bounds) without a theme.
    BOOL GetContentRect(CDC* pDC, int nPart, int nState, const RECT& bounds, RECT& content);
    // Closes the theme and frees the library.
    void Free();

private:
    BOOL Bind();

    BOOL m_bLoaded;
    BOOL m_bOpen;
    HMODULE m_hModule;
    HTHEME m_hTheme;
    HWND m_hWnd;
    PFNOPENTHEMEDATA m_pOpenThemeData;
    PFNDRAWTHEMEBACKGROUND m_pDrawThemeBackground;
    PFNCLOSETHEMEDATA m_pCloseThemeData;
    PFNDRAWTHEMETEXT m_pDrawThemeText;
    PFNDRAWTHEMEEDGE m_pDrawThemeEdge;
    PFNDRAWTHEMEICON m_pDrawThemeIcon;
    PFNGETTHEMEBACKGROUNDCONTENTRECT m_pGetThemeBackgroundContentRect;
    PFNGETTHEMEBACKGROUNDREGION m_pGetThemeBackgroundRegion;
    PFNGETTHEMEBACKGROUNDEXTENT m_pGetThemeBackgroundExtent;
    PFNISAPPTHEMED m_pIsAppThemed;
    PFNISTHEMEACTIVE m_pIsThemeActive;
};
