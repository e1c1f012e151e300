#include "htmltip/GdiResources.h"

#include "htmltip/GdiMarkupImage.h"

#include "platform/core/ResourceModule.h"
#include "platform/ui/ImageFile.h"
#include "platform/ui/ResourceImages.h"

namespace htmltip {

namespace {

// A null module is the program's resources: the current resource module,
// then the program file's own.
template <class Load>
auto FromProgramOrModule(HMODULE module, Load load)
{
    if (module) return load(module);
    auto found = load(AfxGetResourceHandle());
    if (!found) found = load(AfxGetInstanceHandle());
    return found;
}

}  // namespace

std::shared_ptr<IMarkupImage> GdiResources::LoadBitmap(HMODULE module, UINT id)
{
    if (id == 0 || id > 0xFFFF) return nullptr;
    const HBITMAP bitmap = FromProgramOrModule(module, [id](HMODULE m) {
        return static_cast<HBITMAP>(::LoadImage(m, MAKEINTRESOURCE(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    });
    return GdiMarkupImage::FromBitmap(bitmap);
}

std::shared_ptr<IMarkupImage> GdiResources::LoadBitmapFile(const CString& path)
{
    if (path.IsEmpty()) return nullptr;
    return GdiMarkupImage::FromBitmap(platform::LoadBitmapFile(path, true));
}

std::shared_ptr<IMarkupImage> GdiResources::LoadIcon(HMODULE module, UINT id, int cx, int cy)
{
    if (id == 0 || id > 0xFFFF) return nullptr;
    const HICON icon = FromProgramOrModule(module, [id, cx, cy](HMODULE m) {
        return static_cast<HICON>(::LoadImage(m, MAKEINTRESOURCE(id), IMAGE_ICON, cx, cy, 0));
    });
    return GdiMarkupImage::FromIcon(icon);
}

std::shared_ptr<IMarkupImage> GdiResources::LoadIconFile(const CString& path, int cx, int cy)
{
    if (path.IsEmpty()) return nullptr;
    return GdiMarkupImage::FromIcon(platform::LoadIconFile(path, cx, cy));
}

GdiResources& GdiResources::Default()
{
    static GdiResources resources;
    return resources;
}

}  // namespace htmltip
