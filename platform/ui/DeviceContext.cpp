// Device contexts: their table, state, object selection, coordinates, and the
// line and shape calls.
#include "platform/ui/GdiInternal.h"
#include "platform/ui/HandleTable.h"

#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace platform::gdi {

namespace {

HandleTable<DeviceContext>& Dcs()
{
    static auto* table = new HandleTable<DeviceContext>();  // lives as long as the process
    return *table;
}

// Memory DCs start with this 1 x 1 monochrome bitmap, as the system's do.
HBITMAP DefaultBitmap()
{
    static const HBITMAP bitmap = [] {
        auto b = std::make_shared<BitmapObject>();
        b->surface = Surface::Create(1, 1, true);
        b->stock = true;
        return HBITMAP(AddObject(b));
    }();
    return bitmap;
}

void ReleaseState(const DcState& s)
{
    ReleaseReference(s.pen);
    ReleaseReference(s.brush);
    ReleaseReference(s.font);
    if (s.bitmap) ReleaseReference(s.bitmap);
}

void ReferenceState(const DcState& s)
{
    AddReference(s.pen);
    AddReference(s.brush);
    AddReference(s.font);
    if (s.bitmap) AddReference(s.bitmap);
}

void UpdateSurface(DeviceContext& dc)
{
    if (!dc.memory) return;
    auto bmp = LookupBitmap(dc.state.bitmap);
    dc.surface = bmp ? bmp->surface : nullptr;
}

// Pen dash patterns of the system's 1-pixel styled pens, in pixels.
QVector<qreal> DashPattern(UINT style)
{
    switch (style) {
    case PS_DASH:
        return {18, 6};
    case PS_DOT:
        return {3, 3};
    case PS_DASHDOT:
        return {9, 6, 3, 6};
    case PS_DASHDOTDOT:
        return {9, 3, 3, 3, 3, 3};
    default:
        return {};
    }
}

bool StyledThin(const PenObject& pen)
{
    const UINT st = pen.log.lopnStyle;
    return st >= PS_DASH && st <= PS_DASHDOTDOT && pen.log.lopnWidth.x <= 1;
}

}  // namespace

std::shared_ptr<DeviceContext> LookupDc(HDC dc) { return Dcs().Get(dc.Value()); }

HDC AddDc(std::shared_ptr<DeviceContext> dc) { return HDC::FromValue(Dcs().Add(std::move(dc))); }

void SelectDefaults(DeviceContext& dc)
{
    dc.state.pen = HPEN(GetStockObject(BLACK_PEN));
    dc.state.brush = HBRUSH(GetStockObject(WHITE_BRUSH));
    dc.state.font = HFONT(GetStockObject(SYSTEM_FONT));
    dc.state.bitmap = dc.memory ? DefaultBitmap() : HBITMAP();
    ReferenceState(dc.state);
    UpdateSurface(dc);
}

std::optional<QRegion> DeviceContext::SurfaceClip() const
{
    std::optional<QRegion> r;
    if (visible) r = visible->translated(deviceOrigin);
    if (state.clip) {
        const QRegion c = state.clip->translated(deviceOrigin);
        r = r ? (*r & c) : c;
    }
    return r;
}

QRect DeviceContext::ClipBounds() const
{
    QRect r = DeviceBounds();
    if (auto c = SurfaceClip()) r &= c->boundingRect();
    return r;
}

std::optional<QPainter::CompositionMode> CompositionFor(int rop2)
{
    switch (rop2) {
    case R2_NOP:
        return std::nullopt;
    case R2_XORPEN:
        return QPainter::RasterOp_SourceXorDestination;
    case R2_NOT:
        return QPainter::RasterOp_NotDestination;
    case R2_NOTXORPEN:
        return QPainter::RasterOp_NotSourceXorDestination;
    case R2_MASKPEN:
        return QPainter::RasterOp_SourceAndDestination;
    case R2_MERGEPEN:
        return QPainter::RasterOp_SourceOrDestination;
    case R2_NOTMERGEPEN:
        return QPainter::RasterOp_NotSourceAndNotDestination;
    case R2_NOTMASKPEN:
        return QPainter::RasterOp_NotSourceOrNotDestination;
    case R2_MASKPENNOT:
        return QPainter::RasterOp_SourceAndNotDestination;
    case R2_MASKNOTPEN:
        return QPainter::RasterOp_NotSourceAndDestination;
    case R2_MERGENOTPEN:
        return QPainter::RasterOp_NotSourceOrDestination;
    case R2_MERGEPENNOT:
        return QPainter::RasterOp_SourceOrNotDestination;
    default:
        return QPainter::CompositionMode_SourceOver;
    }
}

QColor Rop2Color(int rop2, const QColor& c)
{
    switch (rop2) {
    case R2_BLACK:
        return Qt::black;
    case R2_WHITE:
        return Qt::white;
    case R2_NOTCOPYPEN:
        return QColor(255 - c.red(), 255 - c.green(), 255 - c.blue());
    default:
        return c;
    }
}

QPen MakePen(const DeviceContext& dc, const PenObject& pen, bool backgroundPass)
{
    if (pen.log.lopnStyle == PS_NULL) return QPen(Qt::NoPen);
    const QColor color = Rop2Color(dc.state.rop2, ToQColor(backgroundPass ? dc.state.bkColor : pen.log.lopnColor));
    const int width = pen.log.lopnWidth.x;
    if (width <= 1) {
        QPen p(color, 1, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
        p.setCosmetic(true);
        if (!backgroundPass && StyledThin(pen)) p.setDashPattern(DashPattern(pen.log.lopnStyle));
        return p;
    }
    // Wide pens are always solid with round ends and joins.
    return QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

QBrush MakeBrush(const DeviceContext& dc, const BrushObject* brush, QPoint* origin)
{
    if (!brush || brush->log.lbStyle == BS_NULL) return QBrush(Qt::NoBrush);
    const int rop2 = dc.state.rop2;
    if (origin) *origin = QPoint(dc.deviceOrigin.x() + dc.state.brushOrg.x, dc.deviceOrigin.y() + dc.state.brushOrg.y) - dc.Offset();
    if (brush->log.lbStyle == BS_SOLID) return QBrush(Rop2Color(rop2, ToQColor(brush->log.lbColor)));
    if (brush->log.lbStyle == BS_HATCHED) {
        QImage tile(8, 8, QImage::Format_ARGB32_Premultiplied);
        const QRgb bg = dc.state.bkMode == OPAQUE ? Rop2Color(rop2, ToQColor(dc.state.bkColor)).rgb() : 0;
        const QRgb fg = Rop2Color(rop2, ToQColor(brush->log.lbColor)).rgb();
        const int hatch = static_cast<int>(brush->log.lbHatch);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) {
                bool on = false;
                switch (hatch) {
                case HS_HORIZONTAL: on = y == 7; break;
                case HS_VERTICAL: on = x == 7; break;
                case HS_FDIAGONAL: on = x == y; break;
                case HS_BDIAGONAL: on = x + y == 7; break;
                case HS_CROSS: on = x == 7 || y == 7; break;
                default: on = x == y || x + y == 7; break;
                }
                tile.setPixel(x, y, on ? fg : bg);
            }
        return QBrush(tile);
    }
    if (brush->log.lbStyle == BS_PATTERN && brush->pattern) {
        const Surface& p = *brush->pattern;
        QImage tile(p.width, p.height, QImage::Format_RGB32);
        const QRgb text = Rop2Color(rop2, ToQColor(dc.state.textColor)).rgb();
        const QRgb back = Rop2Color(rop2, ToQColor(dc.state.bkColor)).rgb();
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x) {
                const std::uint32_t v = p.Get(x, y);
                // A monochrome pattern takes the DC's colours: white bits the
                // background colour, black bits the text colour.
                tile.setPixel(x, y, p.mono ? ((v & 0xFFFFFF) ? back : text) : (v | 0xFF000000));
            }
        return QBrush(tile);
    }
    return QBrush(Qt::NoBrush);
}

bool PaintPage(DeviceContext& dc, const std::function<void(QPainter&)>& draw)
{
    QPainter* p = dc.page ? dc.page->Painter() : nullptr;
    if (!p) return false;
    // Paper takes no raster operations: they print as plain drawing.
    const int rop2 = dc.state.rop2;
    if (const auto mode = CompositionFor(rop2); mode && *mode != QPainter::CompositionMode_SourceOver)
        dc.state.rop2 = R2_COPYPEN;
    p->save();
    if (const auto clip = dc.SurfaceClip()) p->setClipRegion(*clip);
    p->translate(dc.Offset());
    draw(*p);
    p->restore();
    dc.state.rop2 = rop2;
    return true;
}

bool StoreThinLine(DeviceContext& dc, QPoint from, QPoint to, COLORREF color)
{
    if (dc.page || !dc.surface || dc.state.rop2 != R2_COPYPEN) return false;
    Surface& s = *dc.surface;
    if (!s.Is32() || s.mono) return false;
    const QPoint off = dc.Offset();
    const std::int64_t x1 = std::int64_t{from.x()} + off.x(), y1 = std::int64_t{from.y()} + off.y();
    const std::int64_t x2 = std::int64_t{to.x()} + off.x(), y2 = std::int64_t{to.y()} + off.y();
    if (x1 != x2 && y1 != y2) return false;
    if (x1 == x2 && y1 == y2) return true;  // the painter sets no pixel either
    // The line's pixels within the surface, as a rectangle one pixel thick;
    // cut to the surface first, so that no far end overflows.
    const auto clampTo = [](std::int64_t v, int hi) { return static_cast<int>(std::clamp<std::int64_t>(v, -1, hi)); };
    const int left = clampTo(std::min(x1, x2), s.width), top = clampTo(std::min(y1, y2), s.height);
    const int right = clampTo(x1 == x2 ? x1 + 1 : std::max(x1, x2), s.width);
    const int bottom = clampTo(y1 == y2 ? y1 + 1 : std::max(y1, y2), s.height);
    QRect line = QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)) & s.Bounds();
    const auto clip = dc.SurfaceClip();
    const QRegion area = clip ? (*clip & line) : QRegion(line);
    const std::uint32_t value = s.Drawn(ToPixel(color) & 0x00FFFFFF);
    for (const QRect& r : area)
        for (int y = r.top(); y <= r.bottom(); ++y) std::fill_n(s.Row32(y) + r.left(), r.width(), value);
    // What the painter's way would have noted: the line's box grown by the pen.
    QRect box = RectOf(std::min(x1, x2) - 3, std::min(y1, y2) - 3, std::max(x1, x2) + 3, std::max(y1, y2) + 3) &
                s.Bounds();
    if (clip) box &= clip->boundingRect();
    if (!box.isEmpty()) dc.NoteDrawn(box);
    return true;
}

QRect RectOf(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom)
{
    static constexpr std::int64_t kLimit = std::int64_t{1} << 29;
    const auto cut = [](std::int64_t v) { return static_cast<int>(std::clamp(v, -kLimit, kLimit)); };
    return QRect(QPoint(cut(std::min(left, right)), cut(std::min(top, bottom))),
                 QPoint(cut(std::max(left, right)), cut(std::max(top, bottom))));
}

namespace {

// The copy that drawing on surfaces a painter cannot draw on directly goes
// through: kept by the thread (up to a screenful) with its image, so that a
// call costs neither fresh pages nor a new paint engine. A drawing made from
// within another drawing gets a copy of its own.
class PaintScratch {
public:
    class Use {
    public:
        explicit Use(QSize size)
        {
            PaintScratch& kept = Kept();
            if (kept.m_inUse || static_cast<long long>(size.width()) * size.height() > kMaxKeptPixels) {
                m_own = QImage(size, QImage::Format_RGB32);
                m_image = &m_own;
                return;
            }
            kept.m_inUse = true;
            m_kept = &kept;
            m_image = &kept.ImageOf(size);
        }
        ~Use()
        {
            if (m_kept) m_kept->m_inUse = false;
        }
        Use(const Use&) = delete;
        Use& operator=(const Use&) = delete;
        QImage& Image() { return *m_image; }

    private:
        PaintScratch* m_kept = nullptr;
        QImage m_own;
        QImage* m_image = nullptr;
    };

private:
    static constexpr long long kMaxKeptPixels = 1920LL * 1200;
    static PaintScratch& Kept()
    {
        thread_local PaintScratch scratch;
        return scratch;
    }
    QImage& ImageOf(QSize size)
    {
        if (m_image.size() != size) {
            const std::size_t needed = static_cast<std::size_t>(size.width()) * static_cast<std::size_t>(size.height());
            if (needed > m_capacity) {
                m_pixels = std::make_unique<std::uint32_t[]>(needed);
                m_capacity = needed;
            }
            m_image = QImage(reinterpret_cast<uchar*>(m_pixels.get()), size.width(), size.height(), size.width() * 4,
                             QImage::Format_RGB32);
        }
        return m_image;
    }

    std::unique_ptr<std::uint32_t[]> m_pixels;
    std::size_t m_capacity = 0;
    QImage m_image;
    bool m_inUse = false;
};

}  // namespace

bool Paint(DeviceContext& dc, const QRect& logicalBounds, const std::function<void(QPainter&)>& draw)
{
    if (dc.page) return PaintPage(dc, draw);
    if (!dc.surface) return dc.info;
    Surface& s = *dc.surface;
    const QPoint off = dc.Offset();
    QRect box = RectOf(std::int64_t{logicalBounds.left()} + off.x(), std::int64_t{logicalBounds.top()} + off.y(),
                       std::int64_t{logicalBounds.right()} + off.x(), std::int64_t{logicalBounds.bottom()} + off.y()) &
                s.Bounds();
    const auto clip = dc.SurfaceClip();
    if (clip) box &= clip->boundingRect();
    if (box.isEmpty()) return true;

    if (s.Direct()) {
        QImage spare;
        QPainter p(s.PaintView(spare));
        if (clip) p.setClipRegion(*clip);
        p.translate(off);
        draw(p);
    } else {
        // Draw on a copy whose alpha bytes are 0: whatever the painter
        // touched has a non-zero alpha (or another colour) afterwards.
        PaintScratch::Use scratch(box.size());
        QImage& tmp = scratch.Image();
        if (tmp.isNull()) return false;
        // The width in a local: stores through the pixel pointers could
        // otherwise be the rectangle's, and no loop would run in vectors.
        const int width = box.width();
        for (int y = 0; y < box.height(); ++y) {
            auto* out = reinterpret_cast<std::uint32_t*>(tmp.scanLine(y));
            if (s.Is32()) {
                const std::uint32_t* in = s.Row32(box.y() + y) + box.x();
                for (int x = 0; x < width; ++x) out[x] = in[x] & 0x00FFFFFF;
            } else {
                for (int x = 0; x < box.width(); ++x) out[x] = s.Get(box.x() + x, box.y() + y) & 0x00FFFFFF;
            }
        }
        {
            QPainter p(&tmp);
            if (clip) p.setClipRegion(clip->translated(-box.topLeft()));
            p.translate(off - box.topLeft());
            draw(p);
        }
        ClearWideVectorState();
        if (s.Is32() && !s.mono) {
            // Rows of plain 32-bit pixels: what Put stores, without a call
            // per pixel, and without a branch, so that it runs in vectors.
            const std::uint32_t alpha = s.Drawn(0);
            for (int y = 0; y < box.height(); ++y) {
                const auto* in = reinterpret_cast<const std::uint32_t*>(tmp.constScanLine(y));
                std::uint32_t* out = s.Row32(box.y() + y) + box.x();
                for (int x = 0; x < width; ++x) {
                    const std::uint32_t t = in[x];
                    const std::uint32_t o = out[x];
                    const bool untouched = (t >> 24) == 0 && (t & 0x00FFFFFF) == (o & 0x00FFFFFF);
                    out[x] = untouched ? o : ((t & 0x00FFFFFF) | alpha);
                }
            }
        } else {
            for (int y = 0; y < box.height(); ++y) {
                const auto* in = reinterpret_cast<const std::uint32_t*>(tmp.constScanLine(y));
                for (int x = 0; x < box.width(); ++x) {
                    const std::uint32_t t = in[x];
                    const int sx = box.x() + x, sy = box.y() + y;
                    const std::uint32_t old = s.Is32() ? (s.Row32(sy)[sx] & 0x00FFFFFF) : (s.Get(sx, sy) & 0x00FFFFFF);
                    if ((t >> 24) == 0 && (t & 0x00FFFFFF) == old) continue;
                    const std::uint32_t rgb = s.mono ? MonoThreshold(t) : (t & 0x00FFFFFF);
                    s.Put(sx, sy, s.Drawn(rgb));
                }
            }
        }
    }
    ClearWideVectorState();
    dc.NoteDrawn(box);
    return true;
}

void FillSurfaceRegion(DeviceContext& dc, const QRegion& region, const BrushObject& brush)
{
    if (dc.page && brush.log.lbStyle != BS_NULL) {
        const QRegion logical = region.translated(-dc.Offset());
        const int rop2 = dc.state.rop2;
        dc.state.rop2 = R2_COPYPEN;
        QPoint origin;
        const QBrush qb = MakeBrush(dc, &brush, &origin);
        dc.state.rop2 = rop2;
        PaintPage(dc, [&](QPainter& p) {
            p.setBrushOrigin(origin);
            for (const QRect& r : logical) p.fillRect(r, qb);
        });
        return;
    }
    if (!dc.surface || brush.log.lbStyle == BS_NULL) return;
    Surface& s = *dc.surface;
    QRegion area = region & QRegion(s.Bounds());
    if (auto clip = dc.SurfaceClip()) area &= *clip;
    if (area.isEmpty()) return;
    if (brush.log.lbStyle == BS_SOLID) {
        std::uint32_t rgb = ToPixel(brush.log.lbColor);
        if (s.mono) rgb = MonoThreshold(rgb);
        const std::uint32_t v = s.Drawn(rgb);
        if (s.Direct()) {
            // The painter's fill is the fastest there is for plain pixels.
            QImage spare;
            QPainter p(s.PaintView(spare));
            p.setCompositionMode(QPainter::CompositionMode_Source);
            const QColor c = QColor::fromRgb(v | 0xFF000000);
            for (const QRect& r : area) p.fillRect(r, c);
            p.end();
            ClearWideVectorState();
            dc.NoteDrawn(area.boundingRect());
            return;
        }
        for (const QRect& r : area) {
            for (int y = r.top(); y <= r.bottom(); ++y) {
                if (s.Is32()) {
                    std::uint32_t* row = s.Row32(y);
                    std::fill(row + r.left(), row + r.right() + 1, v);
                } else {
                    for (int x = r.left(); x <= r.right(); ++x) s.Put(x, y, v);
                }
            }
        }
        dc.NoteDrawn(area.boundingRect());
        return;
    }
    // Patterns: the painter fills; the drawing mode does not apply.
    const int savedRop = dc.state.rop2;
    dc.state.rop2 = R2_COPYPEN;
    const QPoint off = dc.Offset();
    const QRegion logical = area.translated(-off);
    QPoint origin;
    const QBrush qb = MakeBrush(dc, &brush, &origin);
    Paint(dc, logical.boundingRect(), [&](QPainter& p) {
        p.setClipRegion(logical, Qt::IntersectClip);
        p.setBrushOrigin(origin);
        p.fillRect(logical.boundingRect(), qb);
    });
    dc.state.rop2 = savedRop;
}

void InvertSurfaceRegion(DeviceContext& dc, const QRegion& region)
{
    if (!dc.surface) return;
    Surface& s = *dc.surface;
    QRegion area = region & QRegion(s.Bounds());
    if (auto clip = dc.SurfaceClip()) area &= *clip;
    for (const QRect& r : area)
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x) s.Put(x, y, s.Drawn(~s.Get(x, y) & 0x00FFFFFF));
    if (!area.isEmpty()) dc.NoteDrawn(area.boundingRect());
}

}  // namespace platform::gdi

using namespace platform::gdi;

namespace {

// Bounds of a shape's box grown by the pen, for the painter.
QRect ShapeBounds(const DeviceContext& dc, QRect box)
{
    std::int64_t grow = 2;
    if (auto pen = LookupPen(dc.state.pen)) grow += pen->log.lopnWidth.x;
    // In 64 bits: shapes may reach the ends of the coordinate range.
    const std::int64_t x1 = box.left(), x2 = box.right(), y1 = box.top(), y2 = box.bottom();
    return RectOf(std::min(x1, x2) - grow, std::min(y1, y2) - grow, std::max(x1, x2) + grow, std::max(y1, y2) + grow);
}

QRect BoxOf(int left, int top, int right, int bottom)
{
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

// Draws an outline with the selected pen: in OPAQUE mode a styled thin pen
// first paints its gaps in the background colour.
void StrokeWithPen(DeviceContext& dc, QPainter& p, const std::function<void(QPainter&)>& stroke)
{
    auto pen = LookupPen(dc.state.pen);
    if (!pen || pen->log.lopnStyle == PS_NULL) return;
    const auto mode = CompositionFor(dc.state.rop2);
    if (!mode) return;
    p.setCompositionMode(*mode);
    p.setBrush(Qt::NoBrush);
    if (dc.state.bkMode == OPAQUE && StyledThin(*pen)) {
        p.setPen(MakePen(dc, *pen, true));
        stroke(p);
    }
    p.setPen(MakePen(dc, *pen, false));
    stroke(p);
}

void FillWithBrush(DeviceContext& dc, QPainter& p, const std::function<void(QPainter&)>& fill)
{
    auto brush = LookupBrush(dc.state.brush);
    if (!brush || brush->log.lbStyle == BS_NULL) return;
    const auto mode = CompositionFor(dc.state.rop2);
    if (!mode) return;
    p.setCompositionMode(*mode);
    QPoint origin;
    p.setBrush(MakeBrush(dc, brush.get(), &origin));
    p.setBrushOrigin(origin);
    p.setPen(Qt::NoPen);
    fill(p);
}

// The box a shape's outline follows: inside-frame pens keep within the box.
QRect PenBox(const DeviceContext& dc, QRect box)
{
    auto pen = LookupPen(dc.state.pen);
    if (pen && pen->log.lopnStyle == PS_INSIDEFRAME && pen->log.lopnWidth.x > 1) {
        const int w = pen->log.lopnWidth.x;
        box.adjust(w / 2, w / 2, -(w - 1) / 2, -(w - 1) / 2);
    }
    return box;
}

// The angle (1/16 degree, counter-clockwise) of the radial through (x, y),
// in the terms of the ellipse's parameter.
int RadialAngle16(const QRectF& box, int x, int y)
{
    const double cx = box.center().x(), cy = box.center().y();
    const double rx = std::max(box.width() / 2, 0.5), ry = std::max(box.height() / 2, 0.5);
    const double a = std::atan2(-(y - cy) / ry, (x - cx) / rx) * 180.0 / M_PI;
    return static_cast<int>(std::lround(a * 16));
}

template <class F>
BOOL WithDc(HDC hdc, F&& f)
{
    auto dc = LookupDc(hdc);
    if (!dc) return FALSE;
    return f(*dc) ? TRUE : FALSE;
}

}  // namespace

HDC CreateCompatibleDC(HDC dc)
{
    if (dc && !LookupDc(dc)) return {};
    auto m = std::make_shared<DeviceContext>();
    m->memory = true;
    SelectDefaults(*m);
    return AddDc(std::move(m));
}

BOOL DeleteDC(HDC hdc)
{
    auto dc = LookupDc(hdc);
    if (!dc) return FALSE;
    if (dc->page) {
        dc->page->Close();
        return DestroyDc(hdc) ? TRUE : FALSE;
    }
    // A window's DC goes back to its window.
    if (!dc->memory) return ReleaseDC(dc->window, hdc) ? TRUE : FALSE;
    return DestroyDc(hdc) ? TRUE : FALSE;
}

namespace platform::gdi {

// Ends a DC made for a window (no provider involvement).
bool DestroyDc(HDC hdc)
{
    auto dc = LookupDc(hdc);
    if (!dc) return false;
    for (const DcState& s : dc->saved) ReleaseState(s);
    ReleaseState(dc->state);
    dc->saved.clear();
    dc->surface.reset();
    return Dcs().Remove(hdc.Value());
}

}  // namespace platform::gdi

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object)
{
    auto dc = LookupDc(hdc);
    auto o = LookupObject(object);
    if (!dc || !o) return {};
    DcState& st = dc->state;
    HGDIOBJ old;
    switch (o->type) {
    case OBJ_PEN:
        old = st.pen;
        st.pen = HPEN(object);
        break;
    case OBJ_BRUSH:
        old = st.brush;
        st.brush = HBRUSH(object);
        break;
    case OBJ_FONT:
        old = st.font;
        st.font = HFONT(object);
        break;
    case OBJ_BITMAP: {
        if (!dc->memory) return {};
        if (object == st.bitmap) return object;
        // A bitmap lives in one DC at a time (the shared default excepted).
        const bool inOwnSaved = std::any_of(dc->saved.begin(), dc->saved.end(),
                                            [&](const DcState& s) { return s.bitmap == HBITMAP(object); });
        if (!o->stock && ReferenceCount(object) > 0 && !inOwnSaved) return {};
        old = st.bitmap;
        st.bitmap = HBITMAP(object);
        AddReference(object);
        ReleaseReference(old);
        UpdateSurface(*dc);
        return old;
    }
    case OBJ_REGION:
        return HGDIOBJ::FromValue(static_cast<std::uint64_t>(SelectClipRgn(hdc, HRGN(object))));
    default:
        return {};
    }
    AddReference(object);
    ReleaseReference(old);
    return old;
}

HGDIOBJ GetCurrentObject(HDC hdc, UINT type)
{
    auto dc = LookupDc(hdc);
    if (!dc) return {};
    switch (type) {
    case OBJ_PEN: return dc->state.pen;
    case OBJ_BRUSH: return dc->state.brush;
    case OBJ_FONT: return dc->state.font;
    case OBJ_BITMAP: return dc->state.bitmap;
    default: return {};
    }
}

int SaveDC(HDC hdc)
{
    auto dc = LookupDc(hdc);
    if (!dc) return 0;
    ReferenceState(dc->state);
    dc->saved.push_back(dc->state);
    return static_cast<int>(dc->saved.size());
}

BOOL RestoreDC(HDC hdc, int saved)
{
    auto dc = LookupDc(hdc);
    if (!dc) return FALSE;
    const int depth = static_cast<int>(dc->saved.size());
    const int level = saved < 0 ? depth + saved + 1 : saved;
    if (level < 1 || level > depth) return FALSE;
    ReleaseState(dc->state);
    dc->state = dc->saved[static_cast<std::size_t>(level - 1)];
    for (int i = depth - 1; i >= level; --i) ReleaseState(dc->saved[static_cast<std::size_t>(i)]);
    dc->saved.resize(static_cast<std::size_t>(level - 1));
    UpdateSurface(*dc);
    return TRUE;
}

int GetDeviceCaps(HDC hdc, int index)
{
    auto dc = LookupDc(hdc);
    if (!dc) return 0;
    if (dc->page) return dc->page->Caps(index);
    const bool mono = dc->surface && dc->surface->mono;
    const int w = dc->surface && !dc->memory ? dc->surface->width : GetSystemMetrics(SM_CXSCREEN);
    const int h = dc->surface && !dc->memory ? dc->surface->height : GetSystemMetrics(SM_CYSCREEN);
    switch (index) {
    case BITSPIXEL: return mono ? 1 : 32;
    case PLANES: return 1;
    case LOGPIXELSX:
    case LOGPIXELSY: return 96;
    case HORZRES: return w;
    case VERTRES: return h;
    case HORZSIZE: return MulDiv(w, 254, 960);
    case VERTSIZE: return MulDiv(h, 254, 960);
    case NUMCOLORS: return mono ? 2 : -1;
    case RASTERCAPS: return RC_BITBLT | RC_STRETCHBLT | RC_DI_BITMAP;
    case SIZEPALETTE: return 0;
    default: return 0;
    }
}

#define DC_SETTER(Name, Getter, field, Type, invalid)                     \
    Type Name(HDC hdc, Type value)                                        \
    {                                                                     \
        auto dc = LookupDc(hdc);                                          \
        if (!dc) return invalid;                                          \
        const Type old = static_cast<Type>(dc->state.field);              \
        dc->state.field = value;                                          \
        return old;                                                       \
    }                                                                     \
    Type Getter(HDC hdc)                                                  \
    {                                                                     \
        auto dc = LookupDc(hdc);                                          \
        return dc ? static_cast<Type>(dc->state.field) : invalid;         \
    }

DC_SETTER(SetTextColor, GetTextColor, textColor, COLORREF, CLR_INVALID)
DC_SETTER(SetBkColor, GetBkColor, bkColor, COLORREF, CLR_INVALID)
DC_SETTER(SetTextAlign, GetTextAlign, textAlign, UINT, GDI_ERROR)
DC_SETTER(SetTextCharacterExtra, GetTextCharacterExtra, charExtra, int, 0x80000000)
#undef DC_SETTER

namespace {

template <class T>
int SetChecked(HDC hdc, int DcState::*field, int value, bool valid)
{
    auto dc = LookupDc(hdc);
    if (!dc || !valid) return 0;
    const int old = dc->state.*field;
    dc->state.*field = value;
    return old;
}

int GetField(HDC hdc, int DcState::*field)
{
    auto dc = LookupDc(hdc);
    return dc ? dc->state.*field : 0;
}

}  // namespace

int SetBkMode(HDC hdc, int mode) { return SetChecked<int>(hdc, &DcState::bkMode, mode, mode == OPAQUE || mode == TRANSPARENT); }
int GetBkMode(HDC hdc) { return GetField(hdc, &DcState::bkMode); }
int SetROP2(HDC hdc, int mode) { return SetChecked<int>(hdc, &DcState::rop2, mode, mode >= R2_BLACK && mode <= R2_WHITE); }
int GetROP2(HDC hdc) { return GetField(hdc, &DcState::rop2); }
int SetPolyFillMode(HDC hdc, int mode)
{
    return SetChecked<int>(hdc, &DcState::polyFillMode, mode, mode == ALTERNATE || mode == WINDING);
}
int GetPolyFillMode(HDC hdc) { return GetField(hdc, &DcState::polyFillMode); }
int SetStretchBltMode(HDC hdc, int mode)
{
    return SetChecked<int>(hdc, &DcState::stretchMode, mode, mode >= BLACKONWHITE && mode <= HALFTONE);
}
int GetStretchBltMode(HDC hdc) { return GetField(hdc, &DcState::stretchMode); }
int SetArcDirection(HDC hdc, int direction)
{
    return SetChecked<int>(hdc, &DcState::arcDirection, direction,
                           direction == AD_COUNTERCLOCKWISE || direction == AD_CLOCKWISE);
}
// Only the pixel mapping exists; other modes are refused.
int SetMapMode(HDC hdc, int mode) { return LookupDc(hdc) && mode == MM_TEXT ? MM_TEXT : 0; }
int GetMapMode(HDC hdc) { return LookupDc(hdc) ? MM_TEXT : 0; }

namespace {

BOOL SetOrigin(HDC hdc, POINT DcState::*field, int x, int y, POINT* old, bool relative)
{
    auto dc = LookupDc(hdc);
    if (!dc) return FALSE;
    POINT& p = dc->state.*field;
    if (old) *old = p;
    if (relative) {
        p.x += x;
        p.y += y;
    } else {
        p = POINT{x, y};
    }
    return TRUE;
}

BOOL GetOrigin(HDC hdc, POINT DcState::*field, POINT* out)
{
    auto dc = LookupDc(hdc);
    if (!dc || !out) return FALSE;
    *out = dc->state.*field;
    return TRUE;
}

}  // namespace

BOOL SetViewportOrgEx(HDC hdc, int x, int y, POINT* old) { return SetOrigin(hdc, &DcState::viewportOrg, x, y, old, false); }
BOOL GetViewportOrgEx(HDC hdc, POINT* origin) { return GetOrigin(hdc, &DcState::viewportOrg, origin); }
BOOL OffsetViewportOrgEx(HDC hdc, int dx, int dy, POINT* old)
{
    return SetOrigin(hdc, &DcState::viewportOrg, dx, dy, old, true);
}
BOOL SetWindowOrgEx(HDC hdc, int x, int y, POINT* old) { return SetOrigin(hdc, &DcState::windowOrg, x, y, old, false); }
BOOL GetWindowOrgEx(HDC hdc, POINT* origin) { return GetOrigin(hdc, &DcState::windowOrg, origin); }
BOOL SetBrushOrgEx(HDC hdc, int x, int y, POINT* old) { return SetOrigin(hdc, &DcState::brushOrg, x, y, old, false); }

BOOL LPtoDP(HDC hdc, POINT* points, int count)
{
    auto dc = LookupDc(hdc);
    if (!dc || (count > 0 && !points)) return FALSE;
    for (int i = 0; i < count; ++i) {
        points[i].x += dc->state.viewportOrg.x - dc->state.windowOrg.x;
        points[i].y += dc->state.viewportOrg.y - dc->state.windowOrg.y;
    }
    return TRUE;
}

BOOL DPtoLP(HDC hdc, POINT* points, int count)
{
    auto dc = LookupDc(hdc);
    if (!dc || (count > 0 && !points)) return FALSE;
    for (int i = 0; i < count; ++i) {
        points[i].x -= dc->state.viewportOrg.x - dc->state.windowOrg.x;
        points[i].y -= dc->state.viewportOrg.y - dc->state.windowOrg.y;
    }
    return TRUE;
}

BOOL MoveToEx(HDC hdc, int x, int y, POINT* old)
{
    return WithDc(hdc, [&](DeviceContext& dc) {
        if (old) *old = dc.state.position;
        dc.state.position = POINT{x, y};
        return true;
    });
}

BOOL GetCurrentPositionEx(HDC hdc, POINT* pos)
{
    return WithDc(hdc, [&](DeviceContext& dc) {
        if (!pos) return false;
        *pos = dc.state.position;
        return true;
    });
}

namespace {

// A solid thin pen's line along an axis: the pen's checks, then the store.
bool StoreAxisLine(DeviceContext& dc, const QPolygon& poly)
{
    if (poly.size() != 2) return false;
    const auto pen = LookupPen(dc.state.pen);
    if (!pen || pen->log.lopnStyle != PS_SOLID || pen->log.lopnWidth.x > 1) return false;
    return StoreThinLine(dc, poly[0], poly[1], pen->log.lopnColor);
}

bool StrokePolyline(DeviceContext& dc, const QPolygon& poly)
{
    if (StoreAxisLine(dc, poly)) return true;
    return Paint(dc, ShapeBounds(dc, poly.boundingRect()),
                 [&](QPainter& p) { StrokeWithPen(dc, p, [&](QPainter& q) { q.drawPolyline(poly); }); });
}

QPolygon ToPolygon(const POINT* points, int count)
{
    QPolygon poly(count);
    for (int i = 0; i < count; ++i) poly[i] = QPoint(points[i].x, points[i].y);
    return poly;
}

}  // namespace

BOOL LineTo(HDC hdc, int x, int y)
{
    return WithDc(hdc, [&](DeviceContext& dc) {
        QPolygon line;
        line << QPoint(dc.state.position.x, dc.state.position.y) << QPoint(x, y);
        dc.state.position = POINT{x, y};
        return StrokePolyline(dc, line);
    });
}

BOOL Polyline(HDC hdc, const POINT* points, int count)
{
    if (!points || count < 2) return FALSE;
    return WithDc(hdc, [&](DeviceContext& dc) { return StrokePolyline(dc, ToPolygon(points, count)); });
}

BOOL PolylineTo(HDC hdc, const POINT* points, DWORD count)
{
    if (!points || count == 0 || count > 0x7FFFFFFF) return FALSE;
    return WithDc(hdc, [&](DeviceContext& dc) {
        QPolygon poly;
        poly << QPoint(dc.state.position.x, dc.state.position.y);
        for (DWORD i = 0; i < count; ++i) poly << QPoint(points[i].x, points[i].y);
        dc.state.position = points[count - 1];
        return StrokePolyline(dc, poly);
    });
}

BOOL PolyPolyline(HDC hdc, const POINT* points, const DWORD* counts, DWORD polylines)
{
    if (!points || !counts) return FALSE;
    for (DWORD i = 0; i < polylines; ++i)
        if (counts[i] < 2) return FALSE;
    for (DWORD i = 0; i < polylines; ++i) {
        if (!Polyline(hdc, points, static_cast<int>(counts[i]))) return FALSE;
        points += counts[i];
    }
    return TRUE;
}

namespace {

bool FillAndStrokePolygons(DeviceContext& dc, const std::vector<QPolygon>& polys)
{
    QRect bounds;
    QPainterPath path;
    path.setFillRule(dc.state.polyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    for (const QPolygon& poly : polys) {
        bounds |= poly.boundingRect();
        path.addPolygon(poly);
        path.closeSubpath();
    }
    return Paint(dc, ShapeBounds(dc, bounds), [&](QPainter& p) {
        FillWithBrush(dc, p, [&](QPainter& q) { q.drawPath(path); });
        StrokeWithPen(dc, p, [&](QPainter& q) {
            for (const QPolygon& poly : polys) {
                QPolygon closed = poly;
                closed << poly.first();
                q.drawPolyline(closed);
            }
        });
    });
}

}  // namespace

BOOL Polygon(HDC hdc, const POINT* points, int count)
{
    if (!points || count < 2) return FALSE;
    return WithDc(hdc, [&](DeviceContext& dc) { return FillAndStrokePolygons(dc, {ToPolygon(points, count)}); });
}

BOOL PolyPolygon(HDC hdc, const POINT* points, const INT* counts, int polygons)
{
    if (!points || !counts || polygons <= 0) return FALSE;
    std::vector<QPolygon> polys;
    for (int i = 0; i < polygons; ++i) {
        if (counts[i] < 2) return FALSE;
        polys.push_back(ToPolygon(points, counts[i]));
        points += counts[i];
    }
    return WithDc(hdc, [&](DeviceContext& dc) { return FillAndStrokePolygons(dc, polys); });
}

BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom)
{
    return WithDc(hdc, [&](DeviceContext& dc) {
        const QRect box = BoxOf(left, top, right, bottom);
        if (box.width() < 1 || box.height() < 1) return true;
        return Paint(dc, ShapeBounds(dc, box), [&](QPainter& p) {
            // The interior excludes the right and bottom edge, so a shape
            // drawn without a pen is one pixel smaller, as the system draws it.
            FillWithBrush(dc, p, [&](QPainter& q) {
                q.drawRect(QRect(box.left(), box.top(), box.width() - 1, box.height() - 1));
            });
            const QRect pb = PenBox(dc, box);
            StrokeWithPen(dc, p, [&](QPainter& q) {
                q.drawRect(QRect(pb.left(), pb.top(), pb.width() - 1, pb.height() - 1));
            });
        });
    });
}

BOOL RoundRect(HDC hdc, int left, int top, int right, int bottom, int width, int height)
{
    return WithDc(hdc, [&](DeviceContext& dc) {
        const QRect box = BoxOf(left, top, right, bottom);
        if (box.width() < 1 || box.height() < 1) return true;
        const QRectF shape(box.left(), box.top(), box.width() - 1, box.height() - 1);
        const double rx = std::min<double>(std::abs(width), box.width()) / 2.0;
        const double ry = std::min<double>(std::abs(height), box.height()) / 2.0;
        return Paint(dc, ShapeBounds(dc, box), [&](QPainter& p) {
            FillWithBrush(dc, p, [&](QPainter& q) { q.drawRoundedRect(shape, rx, ry); });
            StrokeWithPen(dc, p, [&](QPainter& q) { q.drawRoundedRect(shape, rx, ry); });
        });
    });
}

BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom)
{
    return WithDc(hdc, [&](DeviceContext& dc) {
        const QRect box = BoxOf(left, top, right, bottom);
        if (box.width() < 1 || box.height() < 1) return true;
        const QRect shape(box.left(), box.top(), box.width() - 1, box.height() - 1);
        return Paint(dc, ShapeBounds(dc, box), [&](QPainter& p) {
            FillWithBrush(dc, p, [&](QPainter& q) { q.drawEllipse(shape); });
            const QRect pb = PenBox(dc, box);
            StrokeWithPen(dc, p, [&](QPainter& q) {
                q.drawEllipse(QRect(pb.left(), pb.top(), pb.width() - 1, pb.height() - 1));
            });
        });
    });
}

namespace {

enum class ArcKind { Arc, Pie, Chord };

BOOL ArcShape(HDC hdc, ArcKind kind, int left, int top, int right, int bottom, int x1, int y1, int x2, int y2)
{
    return WithDc(hdc, [&](DeviceContext& dc) {
        const QRect box = BoxOf(left, top, right, bottom);
        if (box.width() < 1 || box.height() < 1) return true;
        const QRect shape(box.left(), box.top(), box.width() - 1, box.height() - 1);
        const QRectF fshape(shape);
        int start = RadialAngle16(fshape, x1, y1);
        int end = RadialAngle16(fshape, x2, y2);
        if (dc.state.arcDirection == AD_CLOCKWISE) std::swap(start, end);
        int span = end - start;
        while (span <= 0) span += 360 * 16;
        return Paint(dc, ShapeBounds(dc, box), [&](QPainter& p) {
            if (kind != ArcKind::Arc) {
                FillWithBrush(dc, p, [&](QPainter& q) {
                    if (kind == ArcKind::Pie) q.drawPie(shape, start, span);
                    else q.drawChord(shape, start, span);
                });
            }
            StrokeWithPen(dc, p, [&](QPainter& q) {
                if (kind == ArcKind::Pie) q.drawPie(shape, start, span);
                else if (kind == ArcKind::Chord) q.drawChord(shape, start, span);
                else q.drawArc(shape, start, span);
            });
        });
    });
}

}  // namespace

BOOL Pie(HDC hdc, int left, int top, int right, int bottom, int x1, int y1, int x2, int y2)
{
    return ArcShape(hdc, ArcKind::Pie, left, top, right, bottom, x1, y1, x2, y2);
}

BOOL Arc(HDC hdc, int left, int top, int right, int bottom, int x1, int y1, int x2, int y2)
{
    return ArcShape(hdc, ArcKind::Arc, left, top, right, bottom, x1, y1, x2, y2);
}

BOOL Chord(HDC hdc, int left, int top, int right, int bottom, int x1, int y1, int x2, int y2)
{
    return ArcShape(hdc, ArcKind::Chord, left, top, right, bottom, x1, y1, x2, y2);
}

namespace {

// The surface pixel for a logical point, when it lies inside the surface and
// the clip.
bool SurfacePoint(const DeviceContext& dc, int x, int y, QPoint& out)
{
    if (!dc.surface) return false;
    out = QPoint(x, y) + dc.Offset();
    if (!dc.surface->Bounds().contains(out)) return false;
    if (auto clip = dc.SurfaceClip(); clip && !clip->contains(out)) return false;
    return true;
}

}  // namespace

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color)
{
    auto dc = LookupDc(hdc);
    if (dc && dc->page) {
        const QColor c = ToQColor(color);
        return PaintPage(*dc, [&](QPainter& p) { p.fillRect(QRect(x, y, 1, 1), c); }) ? color : CLR_INVALID;
    }
    QPoint pt;
    if (!dc || !SurfacePoint(*dc, x, y, pt)) return CLR_INVALID;
    Surface& s = *dc->surface;
    std::uint32_t rgb = ToPixel(color);
    if (s.mono) rgb = MonoThreshold(rgb);
    s.Put(pt.x(), pt.y(), s.Drawn(rgb));
    dc->NoteDrawn(QRect(pt, QSize(1, 1)));
    return ToColorRef(s.Get(pt.x(), pt.y()));
}

BOOL SetPixelV(HDC hdc, int x, int y, COLORREF color) { return SetPixel(hdc, x, y, color) != CLR_INVALID; }

COLORREF GetPixel(HDC hdc, int x, int y)
{
    auto dc = LookupDc(hdc);
    QPoint pt;
    if (!dc || !SurfacePoint(*dc, x, y, pt)) return CLR_INVALID;
    return ToColorRef(dc->surface->Get(pt.x(), pt.y()));
}

int FillRect(HDC hdc, const RECT* rect, HBRUSH brush)
{
    auto dc = LookupDc(hdc);
    auto b = LookupBrush(brush);
    if (!dc || !b || !rect) return 0;
    const QRect r = QRect(QPoint(rect->left, rect->top), QPoint(rect->right - 1, rect->bottom - 1));
    if (r.isEmpty()) return 1;
    FillSurfaceRegion(*dc, QRegion(r.translated(dc->Offset())), *b);
    return 1;
}

int FrameRect(HDC hdc, const RECT* rect, HBRUSH brush)
{
    auto dc = LookupDc(hdc);
    auto b = LookupBrush(brush);
    if (!dc || !b || !rect) return 0;
    const QRect r = QRect(QPoint(rect->left, rect->top), QPoint(rect->right - 1, rect->bottom - 1));
    if (r.isEmpty()) return 1;
    const QRegion frame = QRegion(r) - QRegion(r.adjusted(1, 1, -1, -1));
    FillSurfaceRegion(*dc, frame.translated(dc->Offset()), *b);
    return 1;
}

BOOL InvertRect(HDC hdc, const RECT* rect)
{
    auto dc = LookupDc(hdc);
    if (!dc || !rect) return FALSE;
    const QRect r = QRect(QPoint(rect->left, rect->top), QPoint(rect->right - 1, rect->bottom - 1));
    if (!r.isEmpty()) InvertSurfaceRegion(*dc, QRegion(r.translated(dc->Offset())));
    return TRUE;
}

BOOL DrawFocusRect(HDC hdc, const RECT* rect)
{
    auto dc = LookupDc(hdc);
    if (!dc || !rect) return FALSE;
    if (!dc->surface) return TRUE;
    const QRect r = QRect(QPoint(rect->left, rect->top), QPoint(rect->right - 1, rect->bottom - 1)).translated(dc->Offset());
    if (r.isEmpty()) return TRUE;
    Surface& s = *dc->surface;
    QRegion frame = QRegion(r) - QRegion(r.adjusted(1, 1, -1, -1));
    frame &= QRegion(s.Bounds());
    if (auto clip = dc->SurfaceClip()) frame &= *clip;
    // Every other pixel of the frame is inverted, so drawing it twice removes it.
    for (const QRect& fr : frame)
        for (int y = fr.top(); y <= fr.bottom(); ++y)
            for (int x = fr.left(); x <= fr.right(); ++x)
                if (((x + y) & 1) == 0) s.Put(x, y, s.Drawn(~s.Get(x, y) & 0x00FFFFFF));
    if (!frame.isEmpty()) dc->NoteDrawn(frame.boundingRect());
    return TRUE;
}

namespace {

void FillSolid(DeviceContext& dc, const QRect& logical, COLORREF color)
{
    if (logical.isEmpty()) return;
    BrushObject b;
    b.log.lbStyle = BS_SOLID;
    b.log.lbColor = color;
    FillSurfaceRegion(dc, QRegion(logical.translated(dc.Offset())), b);
}

// One ring of an edge: top-left colour along the top and left, bottom-right
// colour along the right and bottom (it owns the two far corners).
void EdgeRing(DeviceContext& dc, QRect& r, UINT sides, COLORREF topLeft, COLORREF bottomRight)
{
    const int l = r.left(), t = r.top(), w = r.width(), h = r.height();
    if (w <= 0 || h <= 0) return;
    if (sides & BF_TOP) FillSolid(dc, QRect(l, t, w - 1, 1), topLeft);
    if (sides & BF_LEFT) FillSolid(dc, QRect(l, t, 1, h - 1), topLeft);
    if (sides & BF_RIGHT) FillSolid(dc, QRect(l + w - 1, t, 1, h), bottomRight);
    if (sides & BF_BOTTOM) FillSolid(dc, QRect(l, t + h - 1, w, 1), bottomRight);
    r.adjust((sides & BF_LEFT) ? 1 : 0, (sides & BF_TOP) ? 1 : 0, (sides & BF_RIGHT) ? -1 : 0,
             (sides & BF_BOTTOM) ? -1 : 0);
}

}  // namespace

BOOL DrawEdge(HDC hdc, RECT* rect, UINT edge, UINT flags)
{
    auto dc = LookupDc(hdc);
    if (!dc || !rect) return FALSE;
    QRect r(QPoint(rect->left, rect->top), QPoint(rect->right - 1, rect->bottom - 1));
    const UINT sides = flags & BF_RECT;
    if (flags & BF_MONO) {
        if (edge & BDR_OUTER) EdgeRing(*dc, r, sides, GetSysColor(COLOR_WINDOWFRAME), GetSysColor(COLOR_WINDOWFRAME));
        if (edge & BDR_INNER) EdgeRing(*dc, r, sides, GetSysColor(COLOR_WINDOW), GetSysColor(COLOR_WINDOW));
    } else if (flags & BF_FLAT) {
        if (edge & BDR_OUTER) EdgeRing(*dc, r, sides, GetSysColor(COLOR_3DSHADOW), GetSysColor(COLOR_3DSHADOW));
        if (edge & BDR_INNER) EdgeRing(*dc, r, sides, GetSysColor(COLOR_3DFACE), GetSysColor(COLOR_3DFACE));
    } else {
        const bool soft = (flags & BF_SOFT) != 0;
        if (edge & BDR_RAISEDOUTER)
            EdgeRing(*dc, r, sides, GetSysColor(soft ? COLOR_3DHILIGHT : COLOR_3DLIGHT), GetSysColor(COLOR_3DDKSHADOW));
        else if (edge & BDR_SUNKENOUTER)
            EdgeRing(*dc, r, sides, GetSysColor(soft ? COLOR_3DDKSHADOW : COLOR_3DSHADOW), GetSysColor(COLOR_3DHILIGHT));
        if (edge & BDR_RAISEDINNER)
            EdgeRing(*dc, r, sides, GetSysColor(soft ? COLOR_3DLIGHT : COLOR_3DHILIGHT), GetSysColor(COLOR_3DSHADOW));
        else if (edge & BDR_SUNKENINNER)
            EdgeRing(*dc, r, sides, GetSysColor(soft ? COLOR_3DSHADOW : COLOR_3DDKSHADOW), GetSysColor(COLOR_3DLIGHT));
    }
    if (flags & BF_MIDDLE) FillSolid(*dc, r, GetSysColor((flags & BF_MONO) ? COLOR_WINDOW : COLOR_3DFACE));
    if (flags & BF_ADJUST) *rect = RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
    return TRUE;
}

BOOL GdiFlush() { return TRUE; }
