#include "platform/ui/ImageList.h"

#include "platform/ui/DC.h"
#include "platform/ui/GdiInternal.h"
#include "platform/ui/HandleTable.h"

#include <mutex>

using namespace platform::gdi;

namespace {

struct ImageListObject {
    int cx = 0;
    int cy = 0;
    UINT flags = 0;
    COLORREF bkColor = CLR_NONE;
    std::vector<std::shared_ptr<IconObject>> images;
    std::mutex mutex;
};

HandleTable<ImageListObject>& Lists()
{
    static auto* table = new HandleTable<ImageListObject>();  // lives as long as the process
    return *table;
}

std::shared_ptr<ImageListObject> Find(HIMAGELIST list) { return Lists().Get(list.Value()); }

// Cuts a bitmap strip into cells. 'transparent' says per pixel whether the
// cell shows through; 'blackenTransparent' clears those pixels in the image.
int AddCells(ImageListObject& list, const Surface& image, const std::function<bool(int, int)>& transparent,
             bool blackenTransparent)
{
    const int cells = image.width / list.cx;
    if (cells <= 0 || image.height < list.cy) return -1;
    std::lock_guard lock(list.mutex);
    const int first = static_cast<int>(list.images.size());
    for (int c = 0; c < cells; ++c) {
        auto icon = std::make_shared<IconObject>();
        icon->color = Surface::Create(list.cx, list.cy, false);
        icon->mask = Surface::Create(list.cx, list.cy, true);
        if (!icon->color || !icon->mask) return -1;
        if (image.alpha == Surface::Alpha::Exact) icon->color->alpha = Surface::Alpha::Exact;
        for (int y = 0; y < list.cy; ++y)
            for (int x = 0; x < list.cx; ++x) {
                const int sx = c * list.cx + x;
                const bool clear = transparent(sx, y);
                std::uint32_t v = image.Get(sx, y);
                if (clear && blackenTransparent) v = 0;
                icon->color->Put(x, y, v);
                icon->mask->Put(x, y, clear ? 0x00FFFFFF : 0);
            }
        icon->hotX = static_cast<DWORD>(list.cx / 2);
        icon->hotY = static_cast<DWORD>(list.cy / 2);
        list.images.push_back(std::move(icon));
    }
    return first;
}

}  // namespace

HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int, int)
{
    if (cx <= 0 || cy <= 0 || cx > 4096 || cy > 4096) return {};
    auto list = std::make_shared<ImageListObject>();
    list->cx = cx;
    list->cy = cy;
    list->flags = flags;
    return HIMAGELIST::FromValue(Lists().Add(std::move(list)));
}

BOOL ImageList_Destroy(HIMAGELIST list) { return Lists().Remove(list.Value()) ? TRUE : FALSE; }

int ImageList_GetImageCount(HIMAGELIST handle)
{
    auto list = Find(handle);
    if (!list) return 0;
    std::lock_guard lock(list->mutex);
    return static_cast<int>(list->images.size());
}

BOOL ImageList_GetIconSize(HIMAGELIST handle, int* cx, int* cy)
{
    auto list = Find(handle);
    if (!list || !cx || !cy) return FALSE;
    *cx = list->cx;
    *cy = list->cy;
    return TRUE;
}

int ImageList_Add(HIMAGELIST handle, HBITMAP image, HBITMAP mask)
{
    auto list = Find(handle);
    auto img = LookupBitmap(image);
    if (!list || !img) return -1;
    auto msk = LookupBitmap(mask);
    const Surface* m = msk ? msk->surface.get() : nullptr;
    const bool masked = (list->flags & ILC_MASK) && m;
    return AddCells(*list, *img->surface,
                    [&](int x, int y) {
                        return masked && x < m->width && y < m->height && (m->Get(x, y) & 0x00FFFFFF) != 0;
                    },
                    false);
}

int ImageList_AddMasked(HIMAGELIST handle, HBITMAP image, COLORREF maskColor)
{
    auto list = Find(handle);
    auto img = LookupBitmap(image);
    if (!list || !img) return -1;
    const Surface& s = *img->surface;
    const std::uint32_t key = ToPixel(maskColor);
    return AddCells(*list, s, [&](int x, int y) { return (s.Get(x, y) & 0x00FFFFFF) == key; }, true);
}

int ImageList_ReplaceIcon(HIMAGELIST handle, int index, HICON iconHandle)
{
    auto list = Find(handle);
    auto icon = LookupIcon(iconHandle);
    if (!list || !icon) return -1;
    // Stored at the list's size.
    QImage img = platform::ImageFromIcon(iconHandle);
    if (img.width() != list->cx || img.height() != list->cy)
        img = img.scaled(list->cx, list->cy, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const HICON scaled = platform::IconFromImage(img);
    auto copy = LookupIcon(scaled);
    if (!copy) return -1;
    auto stored = std::make_shared<IconObject>(*copy);
    DestroyIcon(scaled);
    std::lock_guard lock(list->mutex);
    if (index == -1) {
        list->images.push_back(std::move(stored));
        return static_cast<int>(list->images.size()) - 1;
    }
    if (index < 0 || index >= static_cast<int>(list->images.size())) return -1;
    list->images[static_cast<std::size_t>(index)] = std::move(stored);
    return index;
}

BOOL ImageList_Remove(HIMAGELIST handle, int index)
{
    auto list = Find(handle);
    if (!list) return FALSE;
    std::lock_guard lock(list->mutex);
    if (index == -1) {
        list->images.clear();
        return TRUE;
    }
    if (index < 0 || index >= static_cast<int>(list->images.size())) return FALSE;
    list->images.erase(list->images.begin() + index);
    return TRUE;
}

namespace {

std::shared_ptr<IconObject> Image(HIMAGELIST handle, int index)
{
    auto list = Find(handle);
    if (!list) return nullptr;
    std::lock_guard lock(list->mutex);
    if (index < 0 || index >= static_cast<int>(list->images.size())) return nullptr;
    return list->images[static_cast<std::size_t>(index)];
}

}  // namespace

HICON ImageList_GetIcon(HIMAGELIST handle, int index, UINT)
{
    auto image = Image(handle, index);
    if (!image) return {};
    auto copy = std::make_shared<IconObject>(*image);
    return AddIcon(std::move(copy));
}

BOOL ImageList_Draw(HIMAGELIST handle, int index, HDC hdc, int x, int y, UINT style)
{
    auto list = Find(handle);
    auto image = Image(handle, index);
    auto dc = LookupDc(hdc);
    if (!list || !image || !dc) return FALSE;
    if (!(style & ILD_TRANSPARENT) && list->bkColor != CLR_NONE) {
        BrushObject bk;
        bk.log.lbStyle = BS_SOLID;
        bk.log.lbColor = list->bkColor;
        FillSurfaceRegion(*dc, QRegion(QRect(x, y, list->cx, list->cy).translated(dc->Offset())), bk);
    }
    UINT flags = DI_NORMAL;
    if (style & ILD_MASK) flags = DI_MASK;
    else if (style & ILD_IMAGE) flags = DI_IMAGE;
    return DrawIconObject(*dc, *image, x, y, list->cx, list->cy, flags) ? TRUE : FALSE;
}

COLORREF ImageList_SetBkColor(HIMAGELIST handle, COLORREF color)
{
    auto list = Find(handle);
    if (!list) return CLR_NONE;
    const COLORREF old = list->bkColor;
    list->bkColor = color;
    return old;
}

COLORREF ImageList_GetBkColor(HIMAGELIST handle)
{
    auto list = Find(handle);
    return list ? list->bkColor : CLR_NONE;
}

BOOL CImageList::Draw(CDC* dc, int index, POINT pt, UINT style)
{
    return dc ? ImageList_Draw(m_hImageList, index, *dc, pt.x, pt.y, style) : FALSE;
}

namespace platform {

QImage ImageFromImageList(HIMAGELIST list, int index)
{
    const HICON icon = ImageList_GetIcon(list, index, 0);
    if (!icon) return {};
    QImage img = ImageFromIcon(icon);
    DestroyIcon(icon);
    return img;
}

}  // namespace platform
