#include "htmltip/GdiResources.h"

#include "htmltip/GdiMarkupImage.h"

#include "platform/core/ResourceModule.h"
#include "platform/ui/ImageFile.h"

#include <optional>
#include <string>

namespace htmltip {

namespace {

std::optional<std::string_view> FindImageBytes(HMODULE module, WORD type, UINT id)
{
    if (id == 0 || id > 0xFFFF) return std::nullopt;
    const platform::ResourceKey name(static_cast<int>(id));
    if (module) return platform::FindResourceBytes(module, platform::ResourceKey(static_cast<int>(type)), name);
    // The program's resources: the current resource module first, then the program file's own.
    if (auto bytes = platform::FindResourceBytes(platform::ResourceKey(static_cast<int>(type)), name)) return bytes;
    return platform::FindResourceBytes(HMODULE(), platform::ResourceKey(static_cast<int>(type)), name);
}

}  // namespace

HBITMAP GdiResources::DecodeBitmap(std::string_view bytes)
{
    return platform::LoadBitmapFromBytes(std::string(bytes), true);
}

HICON GdiResources::DecodeIcon(std::string_view bytes, int cx, int cy)
{
    return platform::LoadIconFromBytes(std::string(bytes), cx, cy);
}

std::shared_ptr<IMarkupImage> GdiResources::LoadBitmap(HMODULE module, UINT id)
{
    const std::optional<std::string_view> bytes = FindImageBytes(module, kRtBitmap, id);
    return bytes ? GdiMarkupImage::FromBitmap(DecodeBitmap(*bytes)) : nullptr;
}

std::shared_ptr<IMarkupImage> GdiResources::LoadBitmapFile(const CString& path)
{
    if (path.IsEmpty()) return nullptr;
    return GdiMarkupImage::FromBitmap(platform::LoadBitmapFile(path, true));
}

std::shared_ptr<IMarkupImage> GdiResources::LoadIcon(HMODULE module, UINT id, int cx, int cy)
{
    const std::optional<std::string_view> bytes = FindImageBytes(module, kRtGroupIcon, id);
    return bytes ? GdiMarkupImage::FromIcon(DecodeIcon(*bytes, cx, cy)) : nullptr;
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
