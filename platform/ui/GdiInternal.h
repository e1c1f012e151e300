// Inside the drawing layer: pixel surfaces, drawing objects, device contexts
// and the handle tables. Not for use outside platform/ui.
#pragma once

#include "platform/ui/Gdi.h"
#include "platform/ui/WindowSurface.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRegion>

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace platform::gdi {

// True when a QGuiApplication exists; text needs one for its fonts.
bool HaveGui();

// The toolkit's drawing can leave the upper halves of the wide vector
// registers in use. Until they are cleared, every vector instruction of code
// built for the base instruction set (ours) waits on them: a tooltip's
// background effect ran three times slower after text had been drawn. Called
// when the toolkit's drawing returns to ours; costs a cycle.
inline void ClearWideVectorState()
{
#if defined(__x86_64__) || defined(__i386__)
    if (__builtin_cpu_supports("avx")) __asm__ volatile("vzeroupper" ::: "memory");
#endif
}

// COLORREF (0x00BBGGRR) and surface pixels (bytes B, G, R, A: 0xAARRGGBB).
inline std::uint32_t ToPixel(COLORREF c)
{
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}
inline COLORREF ToColorRef(std::uint32_t pixel)
{
    return ((pixel >> 16) & 0xFF) | (pixel & 0xFF00) | ((pixel & 0xFF) << 16);
}
// What a colour becomes in a monochrome bitmap: white or black.
inline std::uint32_t MonoThreshold(std::uint32_t rgb)
{
    const unsigned r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
    return (r * 299 + g * 587 + b * 114) / 1000 >= 128 ? 0x00FFFFFF : 0;
}
inline QColor ToQColor(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }

// Pixels of a bitmap, a DIB section or a window's backing image.
//
// Colour surfaces of 32 bits keep their pixels as bytes B, G, R, A. The
// alpha byte follows the system's rules in one of three ways:
//  - Zero: nothing has put alpha into the surface yet, so every pixel's alpha
//    is 0 whatever the stored byte says. Drawing then needs no alpha work;
//    the byte is 0xFF as the painter leaves it.
//  - Exact: the stored byte is the alpha (DIB sections, whose bytes the
//    program reads itself, and bitmaps that received alpha by a transfer).
//  - Ignored: a window's backing image; alpha means nothing there.
struct Surface {
    enum class Alpha { Zero, Exact, Ignored };

    int width = 0;
    int height = 0;
    int bitCount = 32;      // as reported: 1, 4, 8, 24 or 32
    bool packed = false;    // stored in the DIB layout of bitCount (below 32)
    bool mono = false;      // monochrome device bitmap kept as black/white 32-bit pixels
    bool bottomUp = false;  // first stored row is the bottom one
    bool dibSection = false;
    std::uint8_t* bits = nullptr;
    int stride = 0;
    std::vector<RGBQUAD> palette;
    Alpha alpha = Alpha::Zero;
    std::shared_ptr<QImage> external;  // a window's backing image
    std::unique_ptr<std::uint8_t[]> storage;

    // A 32-bit colour (or monochrome) surface, zero-filled; null when the
    // size is zero, negative or too big.
    static std::shared_ptr<Surface> Create(int width, int height, bool mono);
    // A DIB section's surface in the layout of its header.
    static std::shared_ptr<Surface> CreateDib(const BITMAPINFO* info, UINT usage);
    static std::shared_ptr<Surface> Wrap(std::shared_ptr<QImage> image);

    std::uint8_t* Row(int y) const { return bits + static_cast<std::ptrdiff_t>(bottomUp ? height - 1 - y : y) * stride; }
    std::uint32_t* Row32(int y) const { return reinterpret_cast<std::uint32_t*>(Row(y)); }
    bool Is32() const { return !packed; }
    // Painted straight through a QImage over the pixels.
    bool Direct() const { return !packed && !mono && !bottomUp && alpha != Alpha::Exact; }
    QRect Bounds() const { return QRect(0, 0, width, height); }

    // The logical pixel 0xAARRGGBB (alpha 0 unless Exact).
    std::uint32_t Get(int x, int y) const;
    // Stores a pixel; the alpha byte is kept only on an Exact surface.
    void Put(int x, int y, std::uint32_t pixel);
    // What an ordinary drawing call stores for an opaque colour.
    std::uint32_t Drawn(std::uint32_t rgb) const
    {
        return alpha == Alpha::Exact ? (rgb & 0x00FFFFFF) : (rgb | 0xFF000000);
    }
    // Switches a Zero surface to Exact: every stored alpha byte becomes 0.
    void MakeAlphaExact();
    // An image over the pixels for a painter (Direct surfaces only). The
    // same image each time, so that its paint engine is made once, not for
    // every drawing call; while a painter is already on it (a drawing made
    // from within another), 'spare' becomes a second image over them.
    QImage* PaintView(QImage& spare);

private:
    std::unique_ptr<QImage> m_paintView;

public:
    std::uint8_t NearestIndex(std::uint32_t rgb) const;
};

struct GdiObject {
    explicit GdiObject(DWORD t) : type(t) {}
    virtual ~GdiObject() = default;
    DWORD type;
    bool stock = false;
};

struct PenObject : GdiObject {
    PenObject() : GdiObject(OBJ_PEN) {}
    LOGPEN log;
};

struct BrushObject : GdiObject {
    BrushObject() : GdiObject(OBJ_BRUSH) {}
    LOGBRUSH log;
    std::shared_ptr<Surface> pattern;  // a copy of the pattern bitmap
};

struct FontInfo {
    QFont font;
    int ascent = 0;
    int descent = 0;
    int height = 0;
    int internalLeading = 0;
    int externalLeading = 0;
    int aveCharWidth = 0;
    int maxCharWidth = 0;
    int underlinePos = 1;
    int lineWidth = 1;
    double angleDegrees = 0;  // counter-clockwise
};

struct FontObject : GdiObject {
    FontObject() : GdiObject(OBJ_FONT) {}
    LOGFONT log;
    // Built on first use, since fonts need the GUI application.
    const FontInfo* Info();

private:
    std::optional<FontInfo> m_info;
    std::mutex m_mutex;
};

struct BitmapObject : GdiObject {
    BitmapObject() : GdiObject(OBJ_BITMAP) {}
    std::shared_ptr<Surface> surface;
};

struct RegionObject : GdiObject {
    RegionObject() : GdiObject(OBJ_REGION) {}
    QRegion region;
};

std::shared_ptr<GdiObject> LookupObject(HGDIOBJ h);
template <class T>
std::shared_ptr<T> Lookup(HGDIOBJ h, DWORD type)
{
    auto o = LookupObject(h);
    if (!o || o->type != type) return nullptr;
    return std::static_pointer_cast<T>(o);
}
inline std::shared_ptr<PenObject> LookupPen(HGDIOBJ h) { return Lookup<PenObject>(h, OBJ_PEN); }
inline std::shared_ptr<BrushObject> LookupBrush(HGDIOBJ h) { return Lookup<BrushObject>(h, OBJ_BRUSH); }
inline std::shared_ptr<FontObject> LookupFont(HGDIOBJ h) { return Lookup<FontObject>(h, OBJ_FONT); }
inline std::shared_ptr<BitmapObject> LookupBitmap(HGDIOBJ h) { return Lookup<BitmapObject>(h, OBJ_BITMAP); }
inline std::shared_ptr<RegionObject> LookupRegion(HGDIOBJ h) { return Lookup<RegionObject>(h, OBJ_REGION); }
HGDIOBJ AddObject(std::shared_ptr<GdiObject> object);
HBITMAP AddBitmap(std::shared_ptr<Surface> surface);
HRGN AddRegion(QRegion region);
// Selection references keep a deleted object alive until its last DC lets go.
bool AddReference(HGDIOBJ h);
void ReleaseReference(HGDIOBJ h);
int ReferenceCount(HGDIOBJ h);

struct DcState {
    HPEN pen;
    HBRUSH brush;
    HFONT font;
    HBITMAP bitmap;
    COLORREF textColor = RGB(0, 0, 0);
    COLORREF bkColor = RGB(255, 255, 255);
    int bkMode = OPAQUE;
    int rop2 = R2_COPYPEN;
    int polyFillMode = ALTERNATE;
    int stretchMode = BLACKONWHITE;
    int arcDirection = AD_COUNTERCLOCKWISE;
    UINT textAlign = TA_LEFT | TA_TOP;
    POINT position{};
    POINT viewportOrg{};
    POINT windowOrg{};
    POINT brushOrg{};
    std::optional<QRegion> clip;  // device coordinates
    int justifyExtra = 0;
    int justifyCount = 0;
    int charExtra = 0;
};

// A page that a DC draws on as painter commands (a printer's page, or its
// preview): no pixels to read back, and no raster operations.
class PageDevice {
public:
    virtual ~PageDevice() = default;
    // The painter of the page being drawn, set to the page's device pixels;
    // null between pages, when drawing fails.
    virtual QPainter* Painter() = 0;
    // The printable area (HORZRES x VERTRES) in device pixels.
    virtual QSize PageSize() const = 0;
    virtual int Caps(int index) const = 0;
    // The DC goes away: output not yet finished is abandoned.
    virtual void Close() = 0;
};

struct DeviceContext {
    DcState state;
    std::vector<DcState> saved;
    bool memory = false;
    bool info = false;  // a screen DC without pixels
    std::shared_ptr<Surface> surface;
    std::shared_ptr<PageDevice> page;  // printer DCs and their previews
    // Window DCs: where the DC's area lies in the backing image, and what
    // of it is visible (device coordinates).
    HWND window;
    WindowDcKind kind = WindowDcKind::Client;
    QPoint deviceOrigin;
    std::optional<QRegion> visible;
    QRect dirty;  // surface coordinates drawn since the DC was made

    // What the DC can draw on: the surface or the page; empty for neither.
    QRect DeviceBounds() const
    {
        if (surface) return surface->Bounds();
        if (page) return QRect(QPoint(0, 0), page->PageSize());
        return {};
    }

    // Logical coordinates to surface coordinates.
    QPoint Offset() const
    {
        return QPoint(state.viewportOrg.x - state.windowOrg.x, state.viewportOrg.y - state.windowOrg.y) + deviceOrigin;
    }
    // The area drawing may touch, in surface coordinates; nullopt = all of it.
    std::optional<QRegion> SurfaceClip() const;
    QRect ClipBounds() const;
    void NoteDrawn(const QRect& r) { dirty |= r; }
};

std::shared_ptr<DeviceContext> LookupDc(HDC dc);
HDC AddDc(std::shared_ptr<DeviceContext> dc);
// Ends a DC and lets go of its objects (no window involvement).
bool DestroyDc(HDC dc);
void SelectDefaults(DeviceContext& dc);

// The rectangle of two corners (inclusive, either order), cut to 2^29 either
// way: beyond any surface, and far enough from the ends of int that moving it
// by an origin or growing it by a pen cannot overflow.
QRect RectOf(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom);

// A thin solid line along an axis (logical points) stored straight into the
// surface's pixels: the pixels the painter sets, [from, to) whatever the
// direction. False when the DC cannot take it so (a page, a packed or
// monochrome bitmap, a raster operation other than copy, a slanted line).
bool StoreThinLine(DeviceContext& dc, QPoint from, QPoint to, COLORREF color);

// Runs a painter over the surface of the DC within 'logicalBounds' (plus the
// clip), keeping the alpha rules of the surface. Returns false when nothing
// could be drawn.
bool Paint(DeviceContext& dc, const QRect& logicalBounds, const std::function<void(QPainter&)>& draw);
// The same on a page DC's painter (logical coordinates, the DC's clip).
bool PaintPage(DeviceContext& dc, const std::function<void(QPainter&)>& draw);

// Composition mode of the DC's drawing mode; nullopt for R2_NOP.
std::optional<QPainter::CompositionMode> CompositionFor(int rop2);
// A pen for the DC's selected pen; Qt::NoPen for a null pen.
QPen MakePen(const DeviceContext& dc, const PenObject& pen, bool backgroundPass);
QBrush MakeBrush(const DeviceContext& dc, const BrushObject* brush, QPoint* origin);
QColor Rop2Color(int rop2, const QColor& c);

// Fills a region (surface coordinates) with a brush, honouring the DC's clip.
void FillSurfaceRegion(DeviceContext& dc, const QRegion& region, const BrushObject& brush);
// XOR of the low 24 bits over the region (surface coordinates, clipped).
void InvertSurfaceRegion(DeviceContext& dc, const QRegion& region);

// Uncompressed DIB rows (1, 4, 8, 16, 24, 32 bits) into a new 32-bit
// surface; null when the header is unusable or 'available' is too small.
std::shared_ptr<Surface> DecodeDib(const BITMAPINFOHEADER& h, const RGBQUAD* colors, int colorCount,
                                   const DWORD* masks, const std::uint8_t* bits, std::size_t available);
bool DibLayout(const BITMAPINFOHEADER& h, int& width, int& height, bool& bottomUp, long long& stride);

// Blits between surfaces with a raster operation (device coordinates).
bool Transfer(DeviceContext& dest, int x, int y, int w, int h, DeviceContext* src, int sx, int sy, int sw, int sh,
              DWORD rop);

// A bitmap's pixels as a 32-bit image: alpha kept as stored (ARGB32) or
// made opaque.
QImage SurfaceToImage(const Surface& s, bool keepAlpha);

// Icons.
struct IconObject {
    std::shared_ptr<Surface> color;  // may be null for a monochrome icon
    std::shared_ptr<Surface> mask;   // monochrome: white = transparent
    bool isIcon = true;
    DWORD hotX = 0;
    DWORD hotY = 0;
};
std::shared_ptr<IconObject> LookupIcon(HICON icon);
HICON AddIcon(std::shared_ptr<IconObject> icon);
// Draws an icon (colour and mask) scaled to w x h at (x, y), logical.
bool DrawIconObject(DeviceContext& dc, const IconObject& icon, int x, int y, int w, int h, UINT flags);
// The icon's picture, transparent where its mask is.
QImage IconToImage(const IconObject& icon);

}  // namespace platform::gdi
