// Window, client and paint DCs through the window layer's provider, window
// shapes, and conversions of drawing objects for widgets.
#include "platform/ui/WindowSurface.h"

#include "platform/ui/GdiInternal.h"

#include <atomic>
#include <cstring>

using namespace platform::gdi;

namespace {

std::atomic<platform::WindowSurfaceProvider*> g_provider{nullptr};

HDC MakeWindowDc(HWND window, platform::WindowDcKind kind, PAINTSTRUCT* paint)
{
    platform::WindowSurfaceProvider* provider = g_provider.load();
    platform::WindowSurface ws;
    const bool acquired = provider && provider->Acquire(window, kind, ws);
    auto dc = std::make_shared<DeviceContext>();
    dc->window = window;
    dc->kind = kind;
    if (acquired) {
        dc->surface = Surface::Wrap(ws.image);
        if (!dc->surface) {
            provider->Release(window, kind, QRect());
            return {};
        }
        dc->deviceOrigin = ws.origin;
        if (!ws.visible.isEmpty()) dc->visible = ws.visible;
    } else if (!window) {
        // The screen without a screen image: a DC that measures but has no
        // pixels.
        dc->info = true;
    } else {
        return {};
    }
    SelectDefaults(*dc);
    if (paint) {
        paint->fErase = ws.erase ? TRUE : FALSE;
        paint->rcPaint = ws.paintRect;
    }
    const HDC h = AddDc(std::move(dc));
    if (paint) paint->hdc = h;
    return h;
}

}  // namespace

namespace platform {

WindowSurfaceProvider* SetWindowSurfaceProvider(WindowSurfaceProvider* provider) { return g_provider.exchange(provider); }

QImage ImageFromBitmap(HBITMAP bitmap)
{
    auto bmp = LookupBitmap(bitmap);
    if (!bmp) return {};
    const Surface& s = *bmp->surface;
    bool alpha = false;
    if (s.alpha == Surface::Alpha::Exact && !s.packed)
        for (int y = 0; y < s.height && !alpha; ++y)
            for (int x = 0; x < s.width; ++x)
                if (s.Row32(y)[x] >> 24) {
                    alpha = true;
                    break;
                }
    QImage img = SurfaceToImage(s, alpha);
    return img.convertToFormat(QImage::Format_ARGB32);
}

QRegion RegionFromHandle(HRGN region)
{
    auto r = LookupRegion(region);
    return r ? r->region : QRegion();
}

QFont FontFromHandle(HFONT font)
{
    auto f = LookupFont(font);
    if (!f) return {};
    const FontInfo* info = f->Info();
    return info ? info->font : QFont();
}

HBITMAP BitmapFromImage(const QImage& image, bool dibSection)
{
    if (image.isNull()) return {};
    const QImage src = image.convertToFormat(QImage::Format_ARGB32);
    bool translucent = false;
    for (int y = 0; y < src.height() && !translucent; ++y) {
        const auto* in = reinterpret_cast<const std::uint32_t*>(src.constScanLine(y));
        for (int x = 0; x < src.width(); ++x)
            if ((in[x] >> 24) != 0xFF) {
                translucent = true;
                break;
            }
    }
    std::shared_ptr<Surface> s;
    if (dibSection) {
        BITMAPINFO info{};
        info.bmiHeader.biWidth = src.width();
        info.bmiHeader.biHeight = -src.height();
        info.bmiHeader.biBitCount = 32;
        s = Surface::CreateDib(&info, DIB_RGB_COLORS);
    } else {
        s = Surface::Create(src.width(), src.height(), false);
        if (s && translucent) s->alpha = Surface::Alpha::Exact;
    }
    if (!s) return {};
    // Opaque pictures carry no alpha, as pictures loaded by the system do.
    const std::uint32_t keep = translucent ? 0xFFFFFFFF : 0x00FFFFFF;
    for (int y = 0; y < src.height(); ++y) {
        const auto* in = reinterpret_cast<const std::uint32_t*>(src.constScanLine(y));
        std::uint32_t* out = s->Row32(y);
        for (int x = 0; x < src.width(); ++x) out[x] = in[x] & keep;
    }
    return AddBitmap(std::move(s));
}

}  // namespace platform

HDC GetDC(HWND window) { return MakeWindowDc(window, platform::WindowDcKind::Client, nullptr); }

HDC GetWindowDC(HWND window) { return MakeWindowDc(window, platform::WindowDcKind::Window, nullptr); }

int ReleaseDC(HWND, HDC hdc)
{
    auto dc = LookupDc(hdc);
    if (!dc || dc->memory || dc->page) return 0;
    platform::WindowSurfaceProvider* provider = g_provider.load();
    if (provider && !dc->info) provider->Release(dc->window, dc->kind, dc->dirty);
    DestroyDc(hdc);
    return 1;
}

HDC BeginPaint(HWND window, PAINTSTRUCT* paint)
{
    if (!paint || !window) return {};
    *paint = PAINTSTRUCT{};
    return MakeWindowDc(window, platform::WindowDcKind::Paint, paint);
}

BOOL EndPaint(HWND window, const PAINTSTRUCT* paint)
{
    if (!paint) return FALSE;
    ReleaseDC(window, paint->hdc);
    return TRUE;
}

int SetWindowRgn(HWND window, HRGN region, BOOL redraw)
{
    platform::WindowSurfaceProvider* provider = g_provider.load();
    if (!provider || !window) return 0;
    if (!region) return provider->SetShape(window, nullptr, redraw != FALSE) ? 1 : 0;
    auto r = LookupRegion(region);
    if (!r) return 0;
    if (!provider->SetShape(window, &r->region, redraw != FALSE)) return 0;
    // The window owns the region now.
    DeleteObject(region);
    return 1;
}
