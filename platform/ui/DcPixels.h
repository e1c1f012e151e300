// Straight access to the pixels a memory or window DC draws on, for drawing
// code that writes pixels itself or paints many small things at once, where
// a drawing call per item (and a painter per call) would cost more than the
// drawing.
#pragma once

#include "platform/ui/Gdi.h"

#include <QPainter>
#include <QRect>
#include <QRegion>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

namespace platform {

// A DC's pixels as 32-bit 0xAARRGGBB values, rows from the top. Valid while
// the DC keeps its bitmap selected.
struct DcPixels {
    std::uint32_t* bits = nullptr;  // the top row
    std::ptrdiff_t stride = 0;      // pixels from one row to the next (negative for bottom-up bitmaps)
    int width = 0;
    int height = 0;
    QPoint offset;                   // a logical point plus this is its pixel
    std::optional<QRegion> clip;     // in pixels; nullopt = every pixel may be written
    std::uint32_t opaque = 0;        // what an ordinary drawing call ORs into a colour it stores

    std::uint32_t* Row(int y) const { return bits + stride * y; }
    QRect Bounds() const { return QRect(0, 0, width, height); }
    // Where writing may go, within 'area' (pixels).
    QRegion Writable(const QRect& area) const
    {
        const QRect r = area & Bounds();
        return clip ? (*clip & r) : QRegion(r);
    }
};

// False when the DC has no 32-bit colour pixels to write (a page, a
// monochrome or packed bitmap, an information DC).
bool GetDcPixels(HDC dc, DcPixels& pixels);
// Tells the DC that an area (pixels) was written through GetDcPixels, so a
// window DC shows it.
void NoteDcDrawn(HDC dc, const QRect& area);
// A line along an axis as a solid pen one pixel wide draws it (the end
// point left out), stored straight into the pixels; the DC's pen and current
// position stay as they are. False, with nothing drawn, when the DC cannot
// take it so (a page, a packed or monochrome bitmap, a raster operation other
// than copy, a slanted line).
bool StoreThinLine(HDC dc, int x1, int y1, int x2, int y2, COLORREF color);
// Runs 'draw' with a painter set to the DC's logical coordinates and clip,
// as its own drawing calls do, keeping the alpha rules of its bitmap. One
// painter for many items. False when nothing could be drawn.
bool PaintOnDc(HDC dc, const QRect& logicalBounds, const std::function<void(QPainter&)>& draw);

}  // namespace platform
