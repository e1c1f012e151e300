// A bitmap or an icon of the drawing layer as an image of the markup. It
// usually owns its handle and deletes it with itself; a borrowed handle (one
// the program registered) is left alone.
#pragma once

#include "htmltip/MarkupCanvas.h"

#include "platform/ui/Gdi.h"

#include <memory>

namespace htmltip {

class GdiMarkupImage : public IMarkupImage {
public:
    // Null for a null handle.
    static std::shared_ptr<GdiMarkupImage> FromBitmap(HBITMAP bitmap, bool owned = true);
    static std::shared_ptr<GdiMarkupImage> FromIcon(HICON icon, bool owned = true);

    ~GdiMarkupImage() override;
    GdiMarkupImage(const GdiMarkupImage&) = delete;
    GdiMarkupImage& operator=(const GdiMarkupImage&) = delete;

    // A bitmap's own size; for an icon, twice its hot spot.
    SIZE GetSize() const override { return m_size; }
    bool IsIcon() const { return static_cast<bool>(m_icon); }
    HBITMAP Bitmap() const { return m_bitmap; }
    HICON Icon() const { return m_icon; }

private:
    GdiMarkupImage(HBITMAP bitmap, HICON icon, bool owned);

    HBITMAP m_bitmap;
    HICON m_icon;
    bool m_owned;
    SIZE m_size{};
};

}  // namespace htmltip
