// The markup's resources with images: bitmaps and icons from files and from
// resource modules as drawing-layer objects, texts and modules as in
// ModuleResources. A resource image is read from its bytes; a module entry
// that holds a plain bitmap or icon file is decoded here.
#pragma once

#include "htmltip/ModuleResources.h"

#include "platform/ui/Gdi.h"

#include <string_view>

namespace htmltip {

class GdiResources : public ModuleResources {
public:
    // A null module: the current resource module, then the program's own.
    std::shared_ptr<IMarkupImage> LoadBitmap(HMODULE module, UINT id) override;
    std::shared_ptr<IMarkupImage> LoadBitmapFile(const CString& path) override;
    std::shared_ptr<IMarkupImage> LoadIcon(HMODULE module, UINT id, int cx, int cy) override;
    std::shared_ptr<IMarkupImage> LoadIconFile(const CString& path, int cx, int cy) override;

    static GdiResources& Default();

protected:
    // The bytes of a bitmap or icon resource made into an object; null when
    // they are not a picture this layer reads.
    virtual HBITMAP DecodeBitmap(std::string_view bytes);
    virtual HICON DecodeIcon(std::string_view bytes, int cx, int cy);
};

}  // namespace htmltip
