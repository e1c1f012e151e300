// The markup's resources with images: bitmaps and icons from files and from
// resource modules (through the window layer's image loading) as
// drawing-layer objects; texts and modules as in ModuleResources.
#pragma once

#include "htmltip/ModuleResources.h"

#include "platform/ui/Gdi.h"


namespace htmltip {

class GdiResources : public ModuleResources {
public:
    // A null module: the current resource module, then the program's own.
    std::shared_ptr<IMarkupImage> LoadBitmap(HMODULE module, UINT id) override;
    std::shared_ptr<IMarkupImage> LoadBitmapFile(const CString& path) override;
    std::shared_ptr<IMarkupImage> LoadIcon(HMODULE module, UINT id, int cx, int cy) override;
    std::shared_ptr<IMarkupImage> LoadIconFile(const CString& path, int cx, int cy) override;

    static GdiResources& Default();
};

}  // namespace htmltip
