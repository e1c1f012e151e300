// CThemeHelper binds the visual-styles library at run time, so that the
// programs also run where it is missing: every call then fails softly and the
// callers draw classically. The library is loaded by name from the program
// folder like any other; on Linux it does not exist.
//
// The binding is process-wide and counted: the first instance loads the
// library (all eight entry points or nothing), the last one destroyed frees
// it. User-interface thread only.
#pragma once

#include "platform/core/Module.h"
#include "platform/ui/Gdi.h"

#include <cstdint>

using HTHEME = OpaqueHandle<struct ThemeHandleTag>;
using HRESULT = std::int32_t;

namespace htmltip {

// Success codes are 0 and above, as the system's.
inline bool Succeeded(HRESULT result) { return result >= 0; }

// The library's name and how it is loaded; tests put a fake in its place.
inline constexpr const char16_t* kThemeLibraryName = u"UXTHEME.DLL";

class IThemeLibraryLoader {
public:
    virtual ~IThemeLibraryLoader() = default;
    virtual HMODULE Load(LPCWSTR name) = 0;
    virtual FARPROC Find(HMODULE module, const char* name) = 0;
    virtual void Free(HMODULE module) = 0;
};

// Puts a loader in place for its lifetime (null: the platform's modules).
class ScopedThemeLibraryLoader {
public:
    explicit ScopedThemeLibraryLoader(IThemeLibraryLoader* loader);
    ~ScopedThemeLibraryLoader();
    ScopedThemeLibraryLoader(const ScopedThemeLibraryLoader&) = delete;
    ScopedThemeLibraryLoader& operator=(const ScopedThemeLibraryLoader&) = delete;

private:
    IThemeLibraryLoader* m_previous;
};

// The entry points, with the system's shapes.
using OpenThemeDataFunction = HTHEME (*)(HWND window, LPCWSTR classList);
using CloseThemeDataFunction = HRESULT (*)(HTHEME theme);
using DrawThemeBackgroundFunction = HRESULT (*)(HTHEME theme, HDC dc, int part, int state, const RECT* rect,
                                                const RECT* clip);
using DrawThemeParentBackgroundFunction = HRESULT (*)(HWND window, HDC dc, const RECT* rect);
using DrawThemeTextFunction = HRESULT (*)(HTHEME theme, HDC dc, int part, int state, LPCWSTR text, int length,
                                          DWORD flags, DWORD flags2, const RECT* rect);
using GetThemeBackgroundContentRectFunction = HRESULT (*)(HTHEME theme, HDC dc, int part, int state,
                                                          const RECT* bounding, RECT* content);
using IsAppThemedFunction = BOOL (*)();
using IsThemeActiveFunction = BOOL (*)();

}  // namespace htmltip

class CThemeHelper {
public:
    CThemeHelper();
    virtual ~CThemeHelper();
    CThemeHelper(const CThemeHelper&) = delete;
    CThemeHelper& operator=(const CThemeHelper&) = delete;

    // Null without the library.
    HTHEME OpenThemeData(HWND window, LPCWSTR classList);
    // TRUE when the library reports success; FALSE without it or for a null theme.
    BOOL CloseThemeData(HTHEME theme);
    BOOL DrawThemeBackground(HTHEME theme, HDC dc, int part, int state, const RECT* rect, const RECT* clip);
    // FALSE also for a window that does not exist or a null rectangle.
    BOOL DrawThemeParentBackground(HWND window, HDC dc, const RECT* rect);
    // Draws the whole text: its length is taken from the text itself.
    void DrawThemeText(HTHEME theme, HDC dc, int part, int state, LPCWSTR text, int length, DWORD flags,
                       DWORD flags2, const RECT* rect);
    BOOL GetThemeBackgroundContentRect(HTHEME theme, HDC dc, int part, int state, const RECT* bounding,
                                       RECT* content);
    BOOL IsAppThemed();
    BOOL IsThemeActive();

    // Whether the library is bound, and how many instances hold it.
    static bool IsLoaded();
    static int InstanceCount();
};

// The program's one instance, made on first use and destroyed at exit.
CThemeHelper& GetThemeHelper();
