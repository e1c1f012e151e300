// The types of the visual-styles functions that windows bind by name at run
// time ("OpenThemeData", "DrawThemeBackground", ...). This desktop has no
// visual-styles library, so such bindings find nothing and draw the classic
// way; the types only let the bindings be written once, for every caller.
#pragma once

#include "platform/ui/Gdi.h"

#include <cstdint>

using HRESULT = std::int32_t;
inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }

// An open theme of a window class ("BUTTON", "TOOLBAR").
using HTHEME = OpaqueHandle<struct ThemeTag>;

// The entry points, as their callers type them.
using PFNOPENTHEMEDATA = HTHEME (*)(HWND hwnd, LPCWSTR classList);
using PFNCLOSETHEMEDATA = HRESULT (*)(HTHEME theme);
using PFNDRAWTHEMEBACKGROUND = HRESULT (*)(HTHEME theme, HDC dc, int part, int state, const RECT* rect,
                                           const RECT* clip);
using PFNDRAWTHEMETEXT = HRESULT (*)(HTHEME theme, HDC dc, int part, int state, LPCWSTR text, int count,
                                     DWORD flags, DWORD flags2, const RECT* rect);
using PFNDRAWTHEMEEDGE = HRESULT (*)(HTHEME theme, HDC dc, int part, int state, const RECT* rect, UINT edge,
                                     UINT flags, RECT* content);
using PFNDRAWTHEMEICON = HRESULT (*)(HTHEME theme, HDC dc, int part, int state, const RECT* rect,
                                     HIMAGELIST images, int image);
using PFNGETTHEMEBACKGROUNDCONTENTRECT = HRESULT (*)(HTHEME theme, HDC dc, int part, int state,
                                                     const RECT* bounds, RECT* content);
using PFNGETTHEMEBACKGROUNDREGION = HRESULT (*)(HTHEME theme, HDC dc, int part, int state, const RECT* rect,
                                                HRGN* region);
using PFNGETTHEMEBACKGROUNDEXTENT = HRESULT (*)(HTHEME theme, HDC dc, int part, int state,
                                                const RECT* content, RECT* extent);
using PFNISAPPTHEMED = BOOL (*)();
using PFNISTHEMEACTIVE = BOOL (*)();
using PFNDRAWTHEMEPARENTBACKGROUND = HRESULT (*)(HWND hwnd, HDC dc, const RECT* rect);
