#include "platform/ui/DcPixels.h"

#include "platform/ui/GdiInternal.h"

namespace platform {

using namespace platform::gdi;

bool GetDcPixels(HDC hdc, DcPixels& pixels)
{
    const auto dc = LookupDc(hdc);
    if (!dc || !dc->surface || dc->page) return false;
    const Surface& s = *dc->surface;
    if (!s.Is32() || s.mono || s.width <= 0 || s.height <= 0) return false;
    pixels.bits = s.Row32(0);
    pixels.stride = (s.bottomUp ? -1 : 1) * static_cast<std::ptrdiff_t>(s.stride / 4);
    pixels.width = s.width;
    pixels.height = s.height;
    pixels.offset = dc->Offset();
    pixels.clip = dc->SurfaceClip();
    pixels.opaque = s.Drawn(0);
    return true;
}

void NoteDcDrawn(HDC hdc, const QRect& area)
{
    if (const auto dc = LookupDc(hdc)) dc->NoteDrawn(area);
}

bool StoreThinLine(HDC hdc, int x1, int y1, int x2, int y2, COLORREF color)
{
    const auto dc = LookupDc(hdc);
    return dc && gdi::StoreThinLine(*dc, QPoint(x1, y1), QPoint(x2, y2), color);
}

bool PaintOnDc(HDC hdc, const QRect& logicalBounds, const std::function<void(QPainter&)>& draw)
{
    const auto dc = LookupDc(hdc);
    return dc && Paint(*dc, logicalBounds, draw);
}

}  // namespace platform
