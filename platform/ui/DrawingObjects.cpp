// The table of drawing objects, the stock objects, and the calls that create,
// describe and delete pens, brushes, fonts and regions.
#include "platform/ui/GdiInternal.h"
#include "platform/ui/HandleTable.h"

#include <QFontMetrics>
#include <QFontMetricsF>

#include <algorithm>
#include <cstring>
#include <limits>

namespace platform::gdi {

namespace {

HandleTable<GdiObject>& Objects()
{
    static auto* table = new HandleTable<GdiObject>();  // lives as long as the process
    return *table;
}

struct StockObjects {
    HGDIOBJ objects[18];
};

HGDIOBJ MakeStock(std::shared_ptr<GdiObject> o)
{
    o->stock = true;
    return HGDIOBJ::FromValue(Objects().Add(std::move(o)));
}

HGDIOBJ StockBrush(COLORREF c, UINT style = BS_SOLID)
{
    auto b = std::make_shared<BrushObject>();
    b->log.lbStyle = style;
    b->log.lbColor = c;
    return MakeStock(b);
}

HGDIOBJ StockPen(COLORREF c, UINT style = PS_SOLID)
{
    auto p = std::make_shared<PenObject>();
    p->log.lopnStyle = style;
    p->log.lopnColor = c;
    return MakeStock(p);
}

HGDIOBJ StockFont(const char16_t* face, int height, int weight, BYTE pitch)
{
    auto f = std::make_shared<FontObject>();
    f->log.lfHeight = height;
    f->log.lfWeight = weight;
    f->log.lfCharSet = DEFAULT_CHARSET;
    f->log.lfPitchAndFamily = pitch;
    std::u16string_view name(face);
    std::copy(name.begin(), name.end(), f->log.lfFaceName);
    return MakeStock(f);
}

const StockObjects& Stock()
{
    static const StockObjects stock = [] {
        StockObjects s{};
        s.objects[WHITE_BRUSH] = StockBrush(RGB(255, 255, 255));
        s.objects[LTGRAY_BRUSH] = StockBrush(RGB(192, 192, 192));
        s.objects[GRAY_BRUSH] = StockBrush(RGB(128, 128, 128));
        s.objects[DKGRAY_BRUSH] = StockBrush(RGB(64, 64, 64));
        s.objects[BLACK_BRUSH] = StockBrush(RGB(0, 0, 0));
        s.objects[NULL_BRUSH] = StockBrush(0, BS_NULL);
        s.objects[WHITE_PEN] = StockPen(RGB(255, 255, 255));
        s.objects[BLACK_PEN] = StockPen(RGB(0, 0, 0));
        s.objects[NULL_PEN] = StockPen(0, PS_NULL);
        s.objects[OEM_FIXED_FONT] = StockFont(u"Terminal", 12, FW_NORMAL, FIXED_PITCH | FF_MODERN);
        s.objects[ANSI_FIXED_FONT] = StockFont(u"Courier", 13, FW_NORMAL, FIXED_PITCH | FF_MODERN);
        s.objects[ANSI_VAR_FONT] = StockFont(u"MS Sans Serif", 13, FW_NORMAL, VARIABLE_PITCH | FF_SWISS);
        s.objects[SYSTEM_FONT] = StockFont(u"System", 16, FW_BOLD, VARIABLE_PITCH | FF_SWISS);
        s.objects[DEVICE_DEFAULT_FONT] = s.objects[SYSTEM_FONT];
        s.objects[SYSTEM_FIXED_FONT] = StockFont(u"Fixedsys", 15, FW_NORMAL, FIXED_PITCH | FF_MODERN);
        s.objects[DEFAULT_GUI_FONT] = StockFont(u"MS Shell Dlg", -11, FW_NORMAL, VARIABLE_PITCH | FF_SWISS);
        return s;
    }();
    return stock;
}

}  // namespace

std::shared_ptr<GdiObject> LookupObject(HGDIOBJ h) { return Objects().Get(h.Value()); }

HGDIOBJ AddObject(std::shared_ptr<GdiObject> object)
{
    if (!object) return {};
    return HGDIOBJ::FromValue(Objects().Add(std::move(object)));
}

HBITMAP AddBitmap(std::shared_ptr<Surface> surface)
{
    if (!surface) return {};
    auto b = std::make_shared<BitmapObject>();
    b->surface = std::move(surface);
    return HBITMAP(AddObject(b));
}

HRGN AddRegion(QRegion region)
{
    auto r = std::make_shared<RegionObject>();
    r->region = std::move(region);
    return HRGN(AddObject(r));
}

bool AddReference(HGDIOBJ h) { return Objects().AddReference(h.Value()); }
void ReleaseReference(HGDIOBJ h) { Objects().ReleaseReference(h.Value()); }
int ReferenceCount(HGDIOBJ h) { return Objects().References(h.Value()); }

const FontInfo* FontObject::Info()
{
    std::lock_guard lock(m_mutex);
    if (m_info) return &*m_info;
    if (!HaveGui()) return nullptr;
    FontInfo fi;
    QFont f;
    std::size_t faceLength = 0;
    while (faceLength < LF_FACESIZE && log.lfFaceName[faceLength]) ++faceLength;
    const std::u16string_view faceView(log.lfFaceName, faceLength);
    const CString family = SubstituteFontFace(CString(faceView), log.lfCharSet);
    f.setFamily(QString::fromUtf16(family.GetString(), family.GetLength()));
    const int weight = log.lfWeight <= 0 ? FW_NORMAL : std::clamp<int>(log.lfWeight, 1, 1000);
    f.setWeight(static_cast<QFont::Weight>(weight));
    f.setItalic(log.lfItalic != 0);
    f.setUnderline(log.lfUnderline != 0);
    f.setStrikeOut(log.lfStrikeOut != 0);
    // Text extents are sums of glyph advances, as the system measures them.
    f.setKerning(false);
    // Whole-pixel advances, so a string is as wide as its characters added up.
    f.setHintingPreference(QFont::PreferFullHinting);
    f.setStyleStrategy(log.lfQuality == NONANTIALIASED_QUALITY ? QFont::NoAntialias : QFont::PreferAntialias);
    int emPixels;
    if (log.lfHeight < 0) {
        emPixels = log.lfHeight == std::numeric_limits<LONG>::min() ? 1 << 14 : -log.lfHeight;
    } else {
        // A positive height is the cell (ascent + descent); find the em size
        // that gives it.
        const int cell = log.lfHeight == 0 ? 16 : log.lfHeight;
        QFont probe(f);
        probe.setPixelSize(256);
        const QFontMetricsF pm(probe);
        const double ratio = (pm.ascent() + pm.descent()) / 256.0;
        emPixels = ratio > 0 ? static_cast<int>(cell / ratio + 0.5) : cell;
    }
    // Beyond this the glyph cache only burns memory; nothing reads such text.
    emPixels = std::clamp(emPixels, 1, 2048);
    f.setPixelSize(emPixels);
    if (log.lfWidth > 0) {
        const QFontMetrics natural(f);
        const int avg = natural.averageCharWidth();
        if (avg > 0) f.setStretch(std::clamp(static_cast<int>(log.lfWidth * 100L / avg), 1, 4000));
    }
    const QFontMetrics fm(f);
    fi.font = f;
    fi.ascent = fm.ascent();
    fi.descent = fm.descent();
    fi.height = fi.ascent + fi.descent;
    fi.internalLeading = std::max(0, fi.height - emPixels);
    fi.externalLeading = std::max(0, fm.leading());
    fi.aveCharWidth = fm.averageCharWidth();
    fi.maxCharWidth = fm.maxWidth();
    fi.underlinePos = std::max(1, fm.underlinePos());
    fi.lineWidth = std::max(1, fm.lineWidth());
    fi.angleDegrees = log.lfEscapement / 10.0;
    m_info = fi;
    return &*m_info;
}

}  // namespace platform::gdi

using namespace platform::gdi;

HGDIOBJ GetStockObject(int index)
{
    if (index < 0 || index >= 18) return {};
    return Stock().objects[index];
}

BOOL DeleteObject(HGDIOBJ object)
{
    auto o = LookupObject(object);
    if (!o) return FALSE;
    if (o->stock) return TRUE;
    return Objects().Remove(object.Value()) ? TRUE : FALSE;
}

DWORD GetObjectType(HGDIOBJ object)
{
    auto o = LookupObject(object);
    return o ? o->type : 0;
}

int GetObject(HGDIOBJ object, int size, void* buffer)
{
    auto o = LookupObject(object);
    if (!o || size < 0) return 0;
    auto give = [&](const void* data, int needed) {
        if (!buffer) return needed;
        const int n = std::min(size, needed);
        std::memcpy(buffer, data, static_cast<std::size_t>(n));
        return n;
    };
    switch (o->type) {
    case OBJ_PEN:
        return give(&static_cast<PenObject&>(*o).log, sizeof(LOGPEN));
    case OBJ_BRUSH:
        return give(&static_cast<BrushObject&>(*o).log, sizeof(LOGBRUSH));
    case OBJ_FONT:
        return give(&static_cast<FontObject&>(*o).log, sizeof(LOGFONT));
    case OBJ_BITMAP: {
        const Surface& s = *static_cast<BitmapObject&>(*o).surface;
        DIBSECTION ds{};
        ds.dsBm.bmWidth = s.width;
        ds.dsBm.bmHeight = s.height;
        ds.dsBm.bmPlanes = 1;
        ds.dsBm.bmBitsPixel = static_cast<WORD>(s.bitCount);
        if (s.dibSection) {
            ds.dsBm.bmWidthBytes = s.stride;
            ds.dsBm.bmBits = s.bits;
            ds.dsBmih.biWidth = s.width;
            ds.dsBmih.biHeight = s.bottomUp ? s.height : -s.height;
            ds.dsBmih.biBitCount = static_cast<WORD>(s.bitCount);
            ds.dsBmih.biSizeImage = static_cast<DWORD>(s.stride) * static_cast<DWORD>(s.height);
            ds.dsBmih.biClrUsed = static_cast<DWORD>(s.palette.size());
            if (buffer && size >= static_cast<int>(sizeof(DIBSECTION))) return give(&ds, sizeof(DIBSECTION));
        } else {
            // Device bitmaps report rows padded to whole 16-bit words.
            ds.dsBm.bmWidthBytes = ((s.width * s.bitCount + 15) / 16) * 2;
        }
        return give(&ds.dsBm, sizeof(BITMAP));
    }
    default:
        return 0;
    }
}

HPEN CreatePen(int style, int width, COLORREF color)
{
    LOGPEN lp;
    lp.lopnStyle = static_cast<UINT>(style);
    lp.lopnWidth.x = width;
    lp.lopnColor = color;
    return CreatePenIndirect(&lp);
}

HPEN CreatePenIndirect(const LOGPEN* pen)
{
    if (!pen || (pen->lopnStyle & PS_STYLE_MASK) > PS_INSIDEFRAME) return {};
    auto p = std::make_shared<PenObject>();
    p->log = *pen;
    p->log.lopnStyle &= PS_STYLE_MASK;
    p->log.lopnWidth.x = std::clamp<LONG>(pen->lopnWidth.x < 0 ? -pen->lopnWidth.x : pen->lopnWidth.x, 0, 4096);
    p->log.lopnWidth.y = 0;
    p->log.lopnColor = pen->lopnColor & 0x00FFFFFF;
    return HPEN(AddObject(p));
}

HBRUSH CreateSolidBrush(COLORREF color)
{
    auto b = std::make_shared<BrushObject>();
    b->log.lbStyle = BS_SOLID;
    b->log.lbColor = color & 0x00FFFFFF;
    return HBRUSH(AddObject(b));
}

HBRUSH CreateHatchBrush(int hatch, COLORREF color)
{
    if (hatch < HS_HORIZONTAL || hatch > HS_DIAGCROSS) return {};
    auto b = std::make_shared<BrushObject>();
    b->log.lbStyle = BS_HATCHED;
    b->log.lbColor = color & 0x00FFFFFF;
    b->log.lbHatch = static_cast<std::uintptr_t>(hatch);
    return HBRUSH(AddObject(b));
}

HBRUSH CreatePatternBrush(HBITMAP pattern)
{
    auto bmp = LookupBitmap(pattern);
    if (!bmp) return {};
    const Surface& src = *bmp->surface;
    // The brush keeps its own copy: the bitmap may be deleted afterwards.
    auto copy = Surface::Create(src.width, src.height, src.mono);
    if (!copy) return {};
    for (int y = 0; y < src.height; ++y)
        for (int x = 0; x < src.width; ++x) copy->Put(x, y, src.Get(x, y));
    auto b = std::make_shared<BrushObject>();
    b->log.lbStyle = BS_PATTERN;
    b->log.lbHatch = static_cast<std::uintptr_t>(pattern.Value());
    b->pattern = std::move(copy);
    return HBRUSH(AddObject(b));
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* brush)
{
    if (!brush) return {};
    switch (brush->lbStyle) {
    case BS_SOLID:
        return CreateSolidBrush(brush->lbColor);
    case BS_NULL:
        return HBRUSH(GetStockObject(NULL_BRUSH));
    case BS_HATCHED:
        return CreateHatchBrush(static_cast<int>(brush->lbHatch), brush->lbColor);
    case BS_PATTERN:
        return CreatePatternBrush(HBITMAP(HGDIOBJ::FromValue(brush->lbHatch)));
    default:
        return {};
    }
}

HFONT CreateFontIndirect(const LOGFONT* font)
{
    if (!font) return {};
    auto f = std::make_shared<FontObject>();
    f->log = *font;
    f->log.lfFaceName[LF_FACESIZE - 1] = 0;
    return HFONT(AddObject(f));
}

HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, DWORD italic, DWORD underline,
                 DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                 DWORD pitchAndFamily, LPCTSTR face)
{
    LOGFONT lf;
    lf.lfHeight = height;
    lf.lfWidth = width;
    lf.lfEscapement = escapement;
    lf.lfOrientation = orientation;
    lf.lfWeight = weight;
    lf.lfItalic = static_cast<BYTE>(italic != 0);
    lf.lfUnderline = static_cast<BYTE>(underline != 0);
    lf.lfStrikeOut = static_cast<BYTE>(strikeOut != 0);
    lf.lfCharSet = static_cast<BYTE>(charSet);
    lf.lfOutPrecision = static_cast<BYTE>(outPrecision);
    lf.lfClipPrecision = static_cast<BYTE>(clipPrecision);
    lf.lfQuality = static_cast<BYTE>(quality);
    lf.lfPitchAndFamily = static_cast<BYTE>(pitchAndFamily);
    if (face) {
        for (int i = 0; i < LF_FACESIZE - 1 && face[i]; ++i) lf.lfFaceName[i] = face[i];
    }
    return CreateFontIndirect(&lf);
}
