#include "htmltip/ThemeHelper.h"

#include "platform/core/Messages.h"

#include <string_view>

using namespace htmltip;

namespace {

class PlatformLoader : public IThemeLibraryLoader {
public:
    HMODULE Load(LPCWSTR name) override { return ::LoadLibraryW(name); }
    FARPROC Find(HMODULE module, const char* name) override { return ::GetProcAddress(module, name); }
    void Free(HMODULE module) override { ::FreeLibrary(module); }
};

struct Binding {
    HMODULE module;
    OpenThemeDataFunction openThemeData = nullptr;
    CloseThemeDataFunction closeThemeData = nullptr;
    DrawThemeBackgroundFunction drawThemeBackground = nullptr;
    DrawThemeParentBackgroundFunction drawThemeParentBackground = nullptr;
    DrawThemeTextFunction drawThemeText = nullptr;
    GetThemeBackgroundContentRectFunction getThemeBackgroundContentRect = nullptr;
    IsAppThemedFunction isAppThemed = nullptr;
    IsThemeActiveFunction isThemeActive = nullptr;
    bool loaded = false;
    int references = 0;
    // The loader that loaded the module frees it.
    IThemeLibraryLoader* loader = nullptr;
};

Binding& State()
{
    static Binding binding;
    return binding;
}

PlatformLoader& DefaultLoader()
{
    static PlatformLoader loader;
    return loader;
}

IThemeLibraryLoader*& CurrentLoader()
{
    static IThemeLibraryLoader* loader = &DefaultLoader();
    return loader;
}

template <class F>
bool Bind(IThemeLibraryLoader& loader, HMODULE module, const char* name, F& slot)
{
    slot = reinterpret_cast<F>(loader.Find(module, name));
    return slot != nullptr;
}

void Unload()
{
    Binding& b = State();
    if (b.module && b.loader) b.loader->Free(b.module);
    const int references = b.references;
    b = Binding();
    b.references = references;
}

void Load()
{
    Binding& b = State();
    IThemeLibraryLoader& loader = *CurrentLoader();
    const HMODULE module = loader.Load(kThemeLibraryName);
    if (!module) return;
    b.module = module;
    b.loader = &loader;
    // All or nothing: a library that lacks any of them is not kept.
    const bool all = Bind(loader, module, "CloseThemeData", b.closeThemeData) &&
                     Bind(loader, module, "DrawThemeBackground", b.drawThemeBackground) &&
                     Bind(loader, module, "DrawThemeParentBackground", b.drawThemeParentBackground) &&
                     Bind(loader, module, "DrawThemeText", b.drawThemeText) &&
                     Bind(loader, module, "GetThemeBackgroundContentRect", b.getThemeBackgroundContentRect) &&
                     Bind(loader, module, "IsAppThemed", b.isAppThemed) &&
                     Bind(loader, module, "IsThemeActive", b.isThemeActive) &&
                     Bind(loader, module, "OpenThemeData", b.openThemeData);
    if (all) {
        b.loaded = true;
    } else {
        Unload();
    }
}

}  // namespace

namespace htmltip {

ScopedThemeLibraryLoader::ScopedThemeLibraryLoader(IThemeLibraryLoader* loader) : m_previous(CurrentLoader())
{
    CurrentLoader() = loader ? loader : &DefaultLoader();
}

ScopedThemeLibraryLoader::~ScopedThemeLibraryLoader() { CurrentLoader() = m_previous; }

}  // namespace htmltip

CThemeHelper::CThemeHelper()
{
    ++State().references;
    if (!State().loaded) Load();
}

CThemeHelper::~CThemeHelper()
{
    Binding& b = State();
    if (b.references > 0) --b.references;
    if (b.references == 0) Unload();
}

bool CThemeHelper::IsLoaded() { return State().loaded; }

int CThemeHelper::InstanceCount() { return State().references; }

HTHEME CThemeHelper::OpenThemeData(HWND window, LPCWSTR classList)
{
    const Binding& b = State();
    return b.loaded ? b.openThemeData(window, classList) : HTHEME();
}

BOOL CThemeHelper::CloseThemeData(HTHEME theme)
{
    const Binding& b = State();
    if (!b.loaded || !theme) return FALSE;
    return Succeeded(b.closeThemeData(theme)) ? TRUE : FALSE;
}

BOOL CThemeHelper::DrawThemeBackground(HTHEME theme, HDC dc, int part, int state, const RECT* rect, const RECT* clip)
{
    const Binding& b = State();
    if (!b.loaded || !theme) return FALSE;
    return Succeeded(b.drawThemeBackground(theme, dc, part, state, rect, clip)) ? TRUE : FALSE;
}

BOOL CThemeHelper::DrawThemeParentBackground(HWND window, HDC dc, const RECT* rect)
{
    const Binding& b = State();
    if (!b.loaded || !rect || !::IsWindow(window)) return FALSE;
    return Succeeded(b.drawThemeParentBackground(window, dc, rect)) ? TRUE : FALSE;
}

void CThemeHelper::DrawThemeText(HTHEME theme, HDC dc, int part, int state, LPCWSTR text, int length, DWORD flags,
                                 DWORD flags2, const RECT* rect)
{
    (void)length;
    const Binding& b = State();
    if (!b.loaded || !theme || !text) return;
    const int whole = static_cast<int>(std::u16string_view(text).size());
    b.drawThemeText(theme, dc, part, state, text, whole, flags, flags2, rect);
}

BOOL CThemeHelper::GetThemeBackgroundContentRect(HTHEME theme, HDC dc, int part, int state, const RECT* bounding,
                                                 RECT* content)
{
    const Binding& b = State();
    if (!b.loaded || !theme) return FALSE;
    return Succeeded(b.getThemeBackgroundContentRect(theme, dc, part, state, bounding, content)) ? TRUE : FALSE;
}

BOOL CThemeHelper::IsAppThemed()
{
    const Binding& b = State();
    return b.loaded ? b.isAppThemed() : FALSE;
}

BOOL CThemeHelper::IsThemeActive()
{
    const Binding& b = State();
    return b.loaded ? b.isThemeActive() : FALSE;
}

CThemeHelper& GetThemeHelper()
{
    static CThemeHelper helper;
    return helper;
}
