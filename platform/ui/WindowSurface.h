// The seam between drawing and windows. The window layer installs one
// provider; window, client and paint DCs then draw into the backing image the
// provider hands out, and the provider repaints what was drawn when the DC is
// released. Also the conversions the window layer needs to show drawing
// objects in widgets.
#pragma once

#include "platform/ui/Gdi.h"

#include <QFont>
#include <QImage>
#include <QRegion>

#include <memory>

namespace platform {

enum class WindowDcKind { Client, Window, Paint };

struct WindowSurface {
    // The backing image: 32 bits per pixel (Format_RGB32, ARGB32 or
    // ARGB32_Premultiplied), not shared with another QImage while a DC draws
    // into it.
    std::shared_ptr<QImage> image;
    // Where the DC's (0, 0) lies in the image: the client area's corner for a
    // client or paint DC, the window's corner for a window DC.
    QPoint origin;
    // What the DC may draw, in DC coordinates; empty = the whole image area.
    QRegion visible;
    // Paint DCs: the update area (DC coordinates) and whether the background
    // still needs erasing.
    RECT paintRect{};
    bool erase = false;
};

class WindowSurfaceProvider {
public:
    virtual ~WindowSurfaceProvider() = default;
    // A null window asks for the screen. False when there is no such window
    // (or no screen image): the DC is then refused.
    virtual bool Acquire(HWND window, WindowDcKind kind, WindowSurface& surface) = 0;
    // The DC is gone; 'drawn' is the image area drawn through it (may be
    // empty). Client and window DCs schedule a repaint of it; paint DCs end
    // the paint.
    virtual void Release(HWND window, WindowDcKind kind, const QRect& drawn) = 0;
    // Shapes the window; a null shape removes the shape. False for an unknown
    // window.
    virtual bool SetShape(HWND window, const QRegion* shape, bool redraw) = 0;
};

// Installs the provider (null removes it); returns the previous one.
WindowSurfaceProvider* SetWindowSurfaceProvider(WindowSurfaceProvider* provider);

// Conversions for widgets. Each returns a null/empty value for a stale handle.
QImage ImageFromBitmap(HBITMAP bitmap);  // ARGB32; alpha 255 where the bitmap has none
QImage ImageFromIcon(HICON icon);        // ARGB32 with the mask applied
QImage ImageFromImageList(HIMAGELIST list, int index);
QRegion RegionFromHandle(HRGN region);
QFont FontFromHandle(HFONT font);
// New objects from images (resources rasterised from SVG, clipboard data).
HBITMAP BitmapFromImage(const QImage& image, bool dibSection);
HICON IconFromImage(const QImage& image);

// The installed family a face name and character set resolve to.
CString SubstituteFontFace(const CString& face, BYTE charSet);

}  // namespace platform
