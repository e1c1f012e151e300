#include "htmltip/ModuleResources.h"

#include "platform/core/Module.h"
#include "platform/core/ResourceModule.h"

namespace htmltip {

HMODULE ModuleResources::LoadModule(const CString& fileName, DWORD flags)
{
    return LoadLibraryExW(fileName.GetString(), HANDLE(), flags);
}

void ModuleResources::FreeModule(HMODULE module) { FreeLibrary(module); }

CString ModuleResources::LoadString(HMODULE module, UINT id)
{
    const std::shared_ptr<const platform::ResourceModule> resources = platform::GetModuleResources(module);
    if (!resources) return CString();
    const std::optional<std::u16string_view> text = resources->String(id);
    return text ? CString(*text) : CString();
}

std::shared_ptr<IMarkupImage> ModuleResources::LoadBitmap(HMODULE, UINT) { return nullptr; }

std::shared_ptr<IMarkupImage> ModuleResources::LoadBitmapFile(const CString&) { return nullptr; }

std::shared_ptr<IMarkupImage> ModuleResources::LoadIcon(HMODULE, UINT, int, int) { return nullptr; }

std::shared_ptr<IMarkupImage> ModuleResources::LoadIconFile(const CString&, int, int) { return nullptr; }

ModuleResources& ModuleResources::Default()
{
    static ModuleResources resources;
    return resources;
}

}  // namespace htmltip
