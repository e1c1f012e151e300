#include "htmltip/GdiMarkupImage.h"

#include "htmltip/DrawManager.h"

namespace htmltip {

GdiMarkupImage::GdiMarkupImage(HBITMAP bitmap, HICON icon, bool owned) : m_bitmap(bitmap), m_icon(icon), m_owned(owned)
{
    m_size = icon ? CDrawManager::GetIconSize(icon) : CDrawManager::GetBitmapSize(bitmap);
}

GdiMarkupImage::~GdiMarkupImage()
{
    if (!m_owned) return;
    if (m_icon) ::DestroyIcon(m_icon);
    if (m_bitmap) ::DeleteObject(m_bitmap);
}

std::shared_ptr<GdiMarkupImage> GdiMarkupImage::FromBitmap(HBITMAP bitmap, bool owned)
{
    if (!bitmap) return nullptr;
    return std::shared_ptr<GdiMarkupImage>(new GdiMarkupImage(bitmap, HICON(), owned));
}

std::shared_ptr<GdiMarkupImage> GdiMarkupImage::FromIcon(HICON icon, bool owned)
{
    if (!icon) return nullptr;
    return std::shared_ptr<GdiMarkupImage>(new GdiMarkupImage(HBITMAP(), icon, owned));
}

}  // namespace htmltip
