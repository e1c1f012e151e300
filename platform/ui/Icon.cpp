// Icons (a colour bitmap and a monochrome mask), their drawing, and images
// drawn in a state (disabled, monochrome).
#include "platform/ui/GdiInternal.h"
#include "platform/ui/HandleTable.h"

#include <algorithm>

namespace platform::gdi {

namespace {

HandleTable<IconObject>& Icons()
{
    static auto* table = new HandleTable<IconObject>();  // lives as long as the process
    return *table;
}

std::shared_ptr<Surface> CopySurface(const Surface& src, int y0, int h)
{
    auto s = Surface::Create(src.width, h, src.mono);
    if (!s) return nullptr;
    if (src.alpha == Surface::Alpha::Exact && !src.mono) s->alpha = Surface::Alpha::Exact;
    if (src.packed) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < src.width; ++x) s->Put(x, y, src.Get(x, y0 + y));
        return s;
    }
    // Rows of 32-bit pixels: what Get and Put do, without a call per pixel
    // (every icon drawn is copied once or twice).
    const std::uint32_t keep = src.alpha == Surface::Alpha::Exact ? 0xFFFFFFFFu : 0x00FFFFFFu;
    const std::uint32_t add = s->alpha == Surface::Alpha::Exact ? 0u : 0xFF000000u;
    for (int y = 0; y < h; ++y) {
        const std::uint32_t* in = src.Row32(y0 + y);
        std::uint32_t* out = s->Row32(y);
        for (int x = 0; x < src.width; ++x) {
            std::uint32_t p = in[x] & keep;
            if (s->mono) p = (p & 0x00FFFFFF) == 0x00FFFFFF ? 0xFFFFFFFFu : 0xFF000000u;
            out[x] = p | add;
        }
    }
    return s;
}

bool HasAlpha(const Surface& s)
{
    if (s.alpha != Surface::Alpha::Exact || s.packed) return false;
    for (int y = 0; y < s.height; ++y) {
        const std::uint32_t* row = s.Row32(y);
        for (int x = 0; x < s.width; ++x)
            if (row[x] >> 24) return true;
    }
    return false;
}

// Visits every surface pixel of a w x h area at logical (x, y) that the clip
// lets through, with the matching pixel of a source of sw x sh (nearest).
template <class F>
void ForEachScaled(DeviceContext& dc, int x, int y, int w, int h, int sw, int sh, F&& f)
{
    if (!dc.surface || w <= 0 || h <= 0 || sw <= 0 || sh <= 0) return;
    Surface& d = *dc.surface;
    const QPoint off = dc.Offset();
    QRegion area = QRegion(QRect(x + off.x(), y + off.y(), w, h)) & QRegion(d.Bounds());
    if (auto clip = dc.SurfaceClip()) area &= *clip;
    for (const QRect& r : area)
        for (int py = r.top(); py <= r.bottom(); ++py) {
            const int sy = static_cast<int>(((2LL * (py - y - off.y()) + 1) * sh) / (2LL * h));
            for (int px = r.left(); px <= r.right(); ++px) {
                const int sx = static_cast<int>(((2LL * (px - x - off.x()) + 1) * sw) / (2LL * w));
                f(d, px, py, sx, sy);
            }
        }
    if (!area.isEmpty()) dc.NoteDrawn(area.boundingRect());
}

}  // namespace

std::shared_ptr<IconObject> LookupIcon(HICON icon) { return Icons().Get(icon.Value()); }

HICON AddIcon(std::shared_ptr<IconObject> icon)
{
    if (!icon || !icon->mask) return {};
    return HICON::FromValue(Icons().Add(std::move(icon)));
}

QImage IconToImage(const IconObject& icon)
{
    const Surface& mask = *icon.mask;
    const Surface* color = icon.color.get();
    const int w = mask.width, h = color ? color->height : mask.height / 2;
    QImage img(w, h, QImage::Format_ARGB32);
    if (img.isNull()) return img;
    const bool alpha = color && HasAlpha(*color);
    for (int y = 0; y < h; ++y) {
        auto* out = reinterpret_cast<std::uint32_t*>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const std::uint32_t c = color ? color->Get(x, y) : (mask.Get(x, h + y) & 0x00FFFFFF);
            if (alpha) {
                out[x] = c;
            } else {
                const bool transparent = (mask.Get(x, y) & 0x00FFFFFF) != 0;
                out[x] = transparent ? 0 : (c | 0xFF000000);
            }
        }
    }
    return img;
}

bool DrawIconObject(DeviceContext& dc, const IconObject& icon, int x, int y, int w, int h, UINT flags)
{
    const Surface& mask = *icon.mask;
    const Surface* color = icon.color.get();
    const int iw = mask.width, ih = color ? color->height : mask.height / 2;
    const bool alpha = color && (flags & DI_IMAGE) && HasAlpha(*color);
    if (w == 0) w = (flags & DI_DEFAULTSIZE) ? GetSystemMetrics(SM_CXICON) : iw;
    if (h == 0) h = (flags & DI_DEFAULTSIZE) ? GetSystemMetrics(SM_CYICON) : ih;
    if (dc.page) {
        // Paper shows the picture; the mask's inverting pixels have nothing
        // to invert there.
        const QImage picture = IconToImage(icon);
        return PaintPage(dc, [&](QPainter& p) { p.drawImage(QRect(x, y, w, h), picture); });
    }
    const int maskRow0 = 0;
    const int xorRow0 = color ? 0 : ih;
    ForEachScaled(dc, x, y, w, h, iw, ih, [&](Surface& d, int px, int py, int sx, int sy) {
        const std::uint32_t dv = d.Get(px, py) & 0x00FFFFFF;
        std::uint32_t out = dv;
        if (alpha) {
            const std::uint32_t c = color->Get(sx, sy);
            const unsigned a = c >> 24;
            auto mix = [&](int shift) {
                const unsigned s = (c >> shift) & 0xFF, t = (dv >> shift) & 0xFF;
                return ((s * a + t * (255 - a) + 127) / 255) << shift;
            };
            out = mix(16) | mix(8) | mix(0);
        } else {
            const std::uint32_t m = (mask.Get(sx, maskRow0 + sy) & 0x00FFFFFF) ? 0x00FFFFFF : 0;
            const std::uint32_t c = color ? (color->Get(sx, sy) & 0x00FFFFFF) : (mask.Get(sx, xorRow0 + sy) & 0x00FFFFFF);
            if ((flags & DI_NORMAL) == DI_NORMAL) out = (dv & m) ^ c;
            else if (flags & DI_MASK) out = dv & m;
            else if (flags & DI_IMAGE) out = c;
        }
        if (d.mono) out = MonoThreshold(out);
        d.Put(px, py, d.Drawn(out));
    });
    return true;
}

}  // namespace platform::gdi

using namespace platform::gdi;

HICON CreateIconIndirect(const ICONINFO* info)
{
    if (!info) return {};
    auto maskBmp = LookupBitmap(info->hbmMask);
    if (!maskBmp) return {};
    auto icon = std::make_shared<IconObject>();
    icon->isIcon = info->fIcon != FALSE;
    const Surface& m = *maskBmp->surface;
    if (info->hbmColor) {
        auto colorBmp = LookupBitmap(info->hbmColor);
        if (!colorBmp) return {};
        const Surface& c = *colorBmp->surface;
        icon->color = CopySurface(c, 0, c.height);
        icon->mask = Surface::Create(c.width, c.height, true);
        if (!icon->color || !icon->mask) return {};
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x)
                icon->mask->Put(x, y, (x < m.width && y < m.height) ? m.Get(x, y) : 0x00FFFFFF);
    } else {
        // A monochrome icon: the mask's upper half is the AND mask, the lower
        // half the image.
        if (m.height < 2) return {};
        icon->mask = CopySurface(m, 0, m.height);
        if (!icon->mask) return {};
    }
    const int w = icon->mask->width, h = icon->color ? icon->color->height : icon->mask->height / 2;
    icon->hotX = icon->isIcon ? static_cast<DWORD>(w / 2) : info->xHotspot;
    icon->hotY = icon->isIcon ? static_cast<DWORD>(h / 2) : info->yHotspot;
    return AddIcon(std::move(icon));
}

BOOL GetIconInfo(HICON handle, ICONINFO* info)
{
    auto icon = LookupIcon(handle);
    if (!icon || !info) return FALSE;
    info->fIcon = icon->isIcon ? TRUE : FALSE;
    info->xHotspot = icon->hotX;
    info->yHotspot = icon->hotY;
    info->hbmMask = AddBitmap(CopySurface(*icon->mask, 0, icon->mask->height));
    info->hbmColor = icon->color ? AddBitmap(CopySurface(*icon->color, 0, icon->color->height)) : HBITMAP();
    if (!info->hbmMask || (icon->color && !info->hbmColor)) {
        DeleteObject(info->hbmMask);
        DeleteObject(info->hbmColor);
        return FALSE;
    }
    return TRUE;
}

HICON CopyIcon(HICON handle)
{
    auto icon = LookupIcon(handle);
    if (!icon) return {};
    auto copy = std::make_shared<IconObject>(*icon);
    copy->mask = CopySurface(*icon->mask, 0, icon->mask->height);
    if (icon->color) copy->color = CopySurface(*icon->color, 0, icon->color->height);
    if (!copy->mask || (icon->color && !copy->color)) return {};
    return AddIcon(std::move(copy));
}

BOOL DestroyIcon(HICON icon) { return Icons().Remove(icon.Value()) ? TRUE : FALSE; }

BOOL DrawIconEx(HDC hdc, int x, int y, HICON handle, int width, int height, UINT, HBRUSH, UINT flags)
{
    auto dc = LookupDc(hdc);
    auto icon = LookupIcon(handle);
    if (!dc || !icon || width < 0 || height < 0) return FALSE;
    if ((flags & DI_NORMAL) == 0) flags |= DI_NORMAL;
    return DrawIconObject(*dc, *icon, x, y, width, height, flags) ? TRUE : FALSE;
}

BOOL DrawIcon(HDC hdc, int x, int y, HICON icon) { return DrawIconEx(hdc, x, y, icon, 0, 0, 0, {}, DI_NORMAL | DI_DEFAULTSIZE); }

namespace {

// Paints 'color' wherever the image (rendered on white) is not white.
void PaintInk(DeviceContext& dc, const Surface& ink, int x, int y, COLORREF color)
{
    const std::uint32_t rgb = ToPixel(color);
    ForEachScaled(dc, x, y, ink.width, ink.height, ink.width, ink.height, [&](Surface& d, int px, int py, int sx, int sy) {
        if ((ink.Get(sx, sy) & 0x00FFFFFF) == 0x00FFFFFF) return;
        d.Put(px, py, d.Drawn(d.mono ? MonoThreshold(rgb) : rgb));
    });
}

}  // namespace

BOOL DrawState(HDC hdc, HBRUSH brush, DRAWSTATEPROC output, LPARAM data, WPARAM wdata, int x, int y, int cx, int cy,
               UINT flags)
{
    auto dc = LookupDc(hdc);
    if (!dc) return FALSE;
    const UINT type = flags & 0x000F;
    const UINT state = flags & 0x0FF0 & ~(DSS_HIDEPREFIX | DSS_PREFIXONLY);
    std::shared_ptr<IconObject> icon;
    std::shared_ptr<BitmapObject> bitmap;
    CString text;
    switch (type) {
    case DST_ICON:
        icon = LookupIcon(HICON::FromLParam(data));
        if (!icon) return FALSE;
        if (cx == 0) cx = icon->mask->width;
        if (cy == 0) cy = icon->color ? icon->color->height : icon->mask->height / 2;
        break;
    case DST_BITMAP:
        bitmap = LookupBitmap(HGDIOBJ::FromValue(static_cast<std::uint64_t>(data)));
        if (!bitmap) return FALSE;
        if (cx == 0) cx = bitmap->surface->width;
        if (cy == 0) cy = bitmap->surface->height;
        break;
    case DST_TEXT:
    case DST_PREFIXTEXT: {
        const auto* chars = reinterpret_cast<LPCTSTR>(data);
        if (!chars) return FALSE;
        text = wdata ? CString(chars, static_cast<int>(wdata)) : CString(chars);
        if (cx == 0 || cy == 0) {
            SIZE size{};
            GetTextExtentPoint32(hdc, text, text.GetLength(), &size);
            if (cx == 0) cx = size.cx;
            if (cy == 0) cy = size.cy;
        }
        break;
    }
    case DST_COMPLEX:
        if (!output || cx <= 0 || cy <= 0) return FALSE;
        break;
    default:
        return FALSE;
    }
    if (cx <= 0 || cy <= 0) return TRUE;

    // Renders the image at 'at' on the given DC.
    auto render = [&](HDC target, int at_x, int at_y) {
        switch (type) {
        case DST_ICON:
            return DrawIconEx(target, at_x, at_y, HICON::FromLParam(data), cx, cy, 0, {}, DI_NORMAL) != FALSE;
        case DST_BITMAP: {
            HDC mem = CreateCompatibleDC(target);
            const HGDIOBJ old = SelectObject(mem, HGDIOBJ::FromValue(static_cast<std::uint64_t>(data)));
            const bool ok = old && BitBlt(target, at_x, at_y, cx, cy, mem, 0, 0, SRCCOPY);
            if (old) SelectObject(mem, old);
            DeleteDC(mem);
            return ok;
        }
        case DST_TEXT:
        case DST_PREFIXTEXT: {
            RECT r{at_x, at_y, at_x + cx, at_y + cy};
            const int mode = SetBkMode(target, TRANSPARENT);
            DrawText(target, text, text.GetLength(), &r, DT_LEFT | DT_TOP | DT_NOCLIP | DT_SINGLELINE |
                                                         (type == DST_TEXT ? DT_NOPREFIX : 0));
            SetBkMode(target, mode);
            return true;
        }
        default: {
            POINT old{};
            OffsetViewportOrgEx(target, at_x, at_y, &old);
            const bool ok = output(target, data, wdata, cx, cy) != FALSE;
            SetViewportOrgEx(target, old.x, old.y, nullptr);
            return ok;
        }
        }
    };

    if (state == DSS_NORMAL) return render(hdc, x, y) ? TRUE : FALSE;

    // The image's shape: rendered black-on-white into a scratch bitmap.
    HDC scratch = CreateCompatibleDC(hdc);
    HBITMAP shape = AddBitmap(Surface::Create(cx, cy, false));
    if (!scratch || !shape) {
        DeleteDC(scratch);
        DeleteObject(shape);
        return FALSE;
    }
    const HGDIOBJ oldBmp = SelectObject(scratch, shape);
    PatBlt(scratch, 0, 0, cx, cy, WHITENESS);
    SelectObject(scratch, dc->state.font);
    SetTextColor(scratch, RGB(0, 0, 0));
    render(scratch, 0, 0);
    SelectObject(scratch, oldBmp);
    DeleteDC(scratch);
    auto shapeBmp = LookupBitmap(shape);
    const Surface& ink = *shapeBmp->surface;
    auto brushObj = LookupBrush(brush);
    const COLORREF brushColor = brushObj && brushObj->log.lbStyle == BS_SOLID ? brushObj->log.lbColor : dc->state.textColor;
    if (state & DSS_DISABLED) {
        PaintInk(*dc, ink, x + 1, y + 1, GetSysColor(COLOR_3DHILIGHT));
        PaintInk(*dc, ink, x, y, GetSysColor(COLOR_3DSHADOW));
    } else if (state & DSS_MONO) {
        PaintInk(*dc, ink, x, y, brushColor);
    } else {
        render(hdc, x, y);
        if (state & DSS_UNION) {
            const std::uint32_t rgb = ToPixel(brushObj ? brushColor : GetSysColor(COLOR_HIGHLIGHT));
            ForEachScaled(*dc, x, y, cx, cy, cx, cy, [&](Surface& d, int px, int py, int sx, int sy) {
                if ((ink.Get(sx, sy) & 0x00FFFFFF) == 0x00FFFFFF || ((px + py) & 1)) return;
                d.Put(px, py, d.Drawn(rgb));
            });
        }
    }
    DeleteObject(shape);
    return TRUE;
}

namespace platform {

QImage ImageFromIcon(HICON handle)
{
    auto icon = gdi::LookupIcon(handle);
    return icon ? gdi::IconToImage(*icon) : QImage();
}

HICON IconFromImage(const QImage& image)
{
    if (image.isNull()) return {};
    const QImage src = image.convertToFormat(QImage::Format_ARGB32);
    auto icon = std::make_shared<gdi::IconObject>();
    icon->color = gdi::Surface::Create(src.width(), src.height(), false);
    icon->mask = gdi::Surface::Create(src.width(), src.height(), true);
    if (!icon->color || !icon->mask) return {};
    icon->color->alpha = gdi::Surface::Alpha::Exact;
    for (int y = 0; y < src.height(); ++y) {
        const auto* in = reinterpret_cast<const std::uint32_t*>(src.constScanLine(y));
        for (int x = 0; x < src.width(); ++x) {
            icon->color->Put(x, y, in[x]);
            icon->mask->Put(x, y, (in[x] >> 24) ? 0 : 0x00FFFFFF);
        }
    }
    icon->hotX = static_cast<DWORD>(src.width() / 2);
    icon->hotY = static_cast<DWORD>(src.height() / 2);
    return gdi::AddIcon(std::move(icon));
}

}  // namespace platform
