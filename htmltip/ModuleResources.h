// Resources of the markup through the platform's modules: modules load by
// name from the program folder only, texts come from their string tables.
// Bitmaps and icons need the user-interface layer, which derives from this
// class and loads them; here they are missing, and a missing image is simply
// not drawn.
#pragma once

#include "htmltip/HtmlServices.h"

namespace htmltip {

class ModuleResources : public IHtmlResources {
public:
    HMODULE LoadModule(const CString& fileName, DWORD flags) override;
    void FreeModule(HMODULE module) override;
    CString LoadString(HMODULE module, UINT id) override;
    std::shared_ptr<IMarkupImage> LoadBitmap(HMODULE module, UINT id) override;
    std::shared_ptr<IMarkupImage> LoadBitmapFile(const CString& path) override;
    std::shared_ptr<IMarkupImage> LoadIcon(HMODULE module, UINT id, int cx, int cy) override;
    std::shared_ptr<IMarkupImage> LoadIconFile(const CString& path, int cx, int cy) override;

    // The resources a drawer uses unless it is given others.
    static ModuleResources& Default();
};

}  // namespace htmltip
