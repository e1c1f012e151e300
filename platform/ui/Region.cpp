// Regions, their drawing, and clipping of device contexts.
#include "platform/ui/GdiInternal.h"

#include <QPainterPath>

#include <algorithm>

using namespace platform::gdi;

namespace {

// Frames are at most this thick; thicker asks are drawn this thick.
constexpr int kMaxFrameWidth = 64;
// Stands for "no clip" when a clip has to be combined with something.
const QRect kEverywhere(-(1 << 24), -(1 << 24), 1 << 25, 1 << 25);

int RegionType(const QRegion& r)
{
    if (r.isEmpty()) return NULLREGION;
    return r.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

QRect HalfOpen(int left, int top, int right, int bottom)
{
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    if (left == right || top == bottom) return QRect();
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

QPolygon Points(const POINT* points, int count)
{
    QPolygon p(count);
    for (int i = 0; i < count; ++i) p[i] = QPoint(points[i].x, points[i].y);
    return p;
}

QRegion Erode(const QRegion& r, int w, int h)
{
    QRegion e = r;
    for (int dy = -h; dy <= h && !e.isEmpty(); ++dy)
        for (int dx = -w; dx <= w && !e.isEmpty(); ++dx)
            if (dx || dy) e &= r.translated(dx, dy);
    return e;
}

}  // namespace

HRGN CreateRectRgn(int left, int top, int right, int bottom) { return AddRegion(QRegion(HalfOpen(left, top, right, bottom))); }

HRGN CreateRectRgnIndirect(const RECT* rect)
{
    if (!rect) return {};
    return CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom);
}

HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int width, int height)
{
    const QRect box = HalfOpen(left, top, right, bottom);
    if (box.isEmpty()) return AddRegion(QRegion());
    const double rx = std::min(std::abs(width), box.width()) / 2.0;
    const double ry = std::min(std::abs(height), box.height()) / 2.0;
    if (rx < 1 || ry < 1) return AddRegion(QRegion(box));
    QPainterPath path;
    path.addRoundedRect(QRectF(box.left(), box.top(), box.width(), box.height()), rx, ry);
    return AddRegion(QRegion(path.toFillPolygon().toPolygon(), Qt::WindingFill));
}

HRGN CreateEllipticRgn(int left, int top, int right, int bottom)
{
    const QRect box = HalfOpen(left, top, right, bottom);
    return AddRegion(box.isEmpty() ? QRegion() : QRegion(box, QRegion::Ellipse));
}

HRGN CreateEllipticRgnIndirect(const RECT* rect)
{
    if (!rect) return {};
    return CreateEllipticRgn(rect->left, rect->top, rect->right, rect->bottom);
}

HRGN CreatePolygonRgn(const POINT* points, int count, int fillMode)
{
    if (!points || count < 2 || (fillMode != ALTERNATE && fillMode != WINDING)) return {};
    return AddRegion(QRegion(Points(points, count), fillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill));
}

HRGN CreatePolyPolygonRgn(const POINT* points, const INT* counts, int polygons, int fillMode)
{
    if (!points || !counts || polygons <= 0 || (fillMode != ALTERNATE && fillMode != WINDING)) return {};
    QPainterPath path;
    path.setFillRule(fillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    for (int i = 0; i < polygons; ++i) {
        if (counts[i] < 2) return {};
        path.addPolygon(Points(points, counts[i]));
        path.closeSubpath();
        points += counts[i];
    }
    QRegion r;
    for (const QPolygonF& poly : path.toFillPolygons()) r = r.united(QRegion(poly.toPolygon(), path.fillRule()));
    return AddRegion(r);
}

int CombineRgn(HRGN dest, HRGN src1, HRGN src2, int mode)
{
    auto d = LookupRegion(dest);
    auto a = LookupRegion(src1);
    if (!d || !a) return ERROR;
    if (mode == RGN_COPY) {
        d->region = a->region;
        return RegionType(d->region);
    }
    auto b = LookupRegion(src2);
    if (!b) return ERROR;
    switch (mode) {
    case RGN_AND: d->region = a->region & b->region; break;
    case RGN_OR: d->region = a->region | b->region; break;
    case RGN_XOR: d->region = a->region ^ b->region; break;
    case RGN_DIFF: d->region = a->region - b->region; break;
    default: return ERROR;
    }
    return RegionType(d->region);
}

int OffsetRgn(HRGN region, int dx, int dy)
{
    auto r = LookupRegion(region);
    if (!r) return ERROR;
    r->region.translate(dx, dy);
    return RegionType(r->region);
}

int GetRgnBox(HRGN region, RECT* box)
{
    auto r = LookupRegion(region);
    if (!r || !box) return ERROR;
    const QRect b = r->region.boundingRect();
    *box = r->region.isEmpty() ? RECT{} : RECT{b.left(), b.top(), b.right() + 1, b.bottom() + 1};
    return RegionType(r->region);
}

BOOL SetRectRgn(HRGN region, int left, int top, int right, int bottom)
{
    auto r = LookupRegion(region);
    if (!r) return FALSE;
    r->region = QRegion(HalfOpen(left, top, right, bottom));
    return TRUE;
}

BOOL PtInRegion(HRGN region, int x, int y)
{
    auto r = LookupRegion(region);
    return r && r->region.contains(QPoint(x, y));
}

BOOL RectInRegion(HRGN region, const RECT* rect)
{
    auto r = LookupRegion(region);
    if (!r || !rect) return FALSE;
    const QRect q = HalfOpen(rect->left, rect->top, rect->right, rect->bottom);
    return !q.isEmpty() && r->region.intersects(q);
}

BOOL EqualRgn(HRGN a, HRGN b)
{
    auto ra = LookupRegion(a);
    auto rb = LookupRegion(b);
    return ra && rb && ra->region == rb->region;
}

BOOL FillRgn(HDC hdc, HRGN region, HBRUSH brush)
{
    auto dc = LookupDc(hdc);
    auto r = LookupRegion(region);
    auto b = LookupBrush(brush);
    if (!dc || !r || !b) return FALSE;
    FillSurfaceRegion(*dc, r->region.translated(dc->Offset()), *b);
    return TRUE;
}

BOOL FrameRgn(HDC hdc, HRGN region, HBRUSH brush, int width, int height)
{
    auto dc = LookupDc(hdc);
    auto r = LookupRegion(region);
    auto b = LookupBrush(brush);
    if (!dc || !r || !b || width <= 0 || height <= 0) return FALSE;
    const QRegion frame = r->region - Erode(r->region, std::min(width, kMaxFrameWidth), std::min(height, kMaxFrameWidth));
    FillSurfaceRegion(*dc, frame.translated(dc->Offset()), *b);
    return TRUE;
}

BOOL InvertRgn(HDC hdc, HRGN region)
{
    auto dc = LookupDc(hdc);
    auto r = LookupRegion(region);
    if (!dc || !r) return FALSE;
    InvertSurfaceRegion(*dc, r->region.translated(dc->Offset()));
    return TRUE;
}

BOOL PaintRgn(HDC hdc, HRGN region)
{
    auto dc = LookupDc(hdc);
    if (!dc) return FALSE;
    return FillRgn(hdc, region, dc->state.brush);
}

int SelectClipRgn(HDC hdc, HRGN region) { return ExtSelectClipRgn(hdc, region, RGN_COPY); }

int ExtSelectClipRgn(HDC hdc, HRGN region, int mode)
{
    auto dc = LookupDc(hdc);
    if (!dc) return ERROR;
    auto& clip = dc->state.clip;
    if (!region) {
        if (mode != RGN_COPY) return ERROR;
        clip.reset();
        return SIMPLEREGION;
    }
    auto r = LookupRegion(region);
    if (!r) return ERROR;
    const QRegion current = clip ? *clip : QRegion(kEverywhere);
    switch (mode) {
    case RGN_COPY: clip = r->region; break;
    case RGN_AND: clip = current & r->region; break;
    case RGN_OR: clip = current | r->region; break;
    case RGN_XOR: clip = current ^ r->region; break;
    case RGN_DIFF: clip = current - r->region; break;
    default: return ERROR;
    }
    return RegionType(*clip);
}

namespace {

QRect DeviceRect(const DeviceContext& dc, int left, int top, int right, int bottom)
{
    const QPoint shift(dc.state.viewportOrg.x - dc.state.windowOrg.x, dc.state.viewportOrg.y - dc.state.windowOrg.y);
    return HalfOpen(left, top, right, bottom).translated(shift);
}

}  // namespace

int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom)
{
    auto dc = LookupDc(hdc);
    if (!dc) return ERROR;
    const QRegion current = dc->state.clip ? *dc->state.clip : QRegion(kEverywhere);
    dc->state.clip = current & QRegion(DeviceRect(*dc, left, top, right, bottom));
    return RegionType(*dc->state.clip);
}

int ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom)
{
    auto dc = LookupDc(hdc);
    if (!dc) return ERROR;
    const QRegion current = dc->state.clip ? *dc->state.clip : QRegion(kEverywhere);
    dc->state.clip = current - QRegion(DeviceRect(*dc, left, top, right, bottom));
    return RegionType(*dc->state.clip);
}

int OffsetClipRgn(HDC hdc, int dx, int dy)
{
    auto dc = LookupDc(hdc);
    if (!dc) return ERROR;
    if (!dc->state.clip) return SIMPLEREGION;
    dc->state.clip->translate(dx, dy);
    return RegionType(*dc->state.clip);
}

int GetClipBox(HDC hdc, RECT* rect)
{
    auto dc = LookupDc(hdc);
    if (!dc || !rect) return ERROR;
    const QRect bounds = dc->DeviceBounds();
    QRegion visible = bounds.isEmpty() ? QRegion(kEverywhere) : QRegion(bounds);
    if (auto clip = dc->SurfaceClip()) visible &= *clip;
    const QRect b = visible.boundingRect().translated(-dc->Offset());
    *rect = visible.isEmpty() ? RECT{} : RECT{b.left(), b.top(), b.right() + 1, b.bottom() + 1};
    return RegionType(visible);
}

int GetClipRgn(HDC hdc, HRGN region)
{
    auto dc = LookupDc(hdc);
    auto r = LookupRegion(region);
    if (!dc || !r) return -1;
    if (!dc->state.clip) return 0;
    r->region = *dc->state.clip;
    return 1;
}

BOOL PtVisible(HDC hdc, int x, int y)
{
    auto dc = LookupDc(hdc);
    if (!dc) return FALSE;
    const QPoint p = QPoint(x, y) + dc->Offset();
    if (const QRect b = dc->DeviceBounds(); !b.isEmpty() && !b.contains(p)) return FALSE;
    auto clip = dc->SurfaceClip();
    return !clip || clip->contains(p);
}

BOOL RectVisible(HDC hdc, const RECT* rect)
{
    auto dc = LookupDc(hdc);
    if (!dc || !rect) return FALSE;
    const QRect r = HalfOpen(rect->left, rect->top, rect->right, rect->bottom).translated(dc->Offset());
    if (r.isEmpty()) return FALSE;
    if (const QRect b = dc->DeviceBounds(); !b.isEmpty() && !b.intersects(r)) return FALSE;
    auto clip = dc->SurfaceClip();
    return !clip || clip->intersects(r);
}
