// The class library's wrappers of drawing objects. Each owns its handle and
// deletes it when destroyed; FromHandle gives a temporary wrapper that owns
// nothing (it stays valid while the handle does).
#pragma once

#include "platform/ui/Gdi.h"

class CDC;
class CBitmap;

class CGdiObject {
public:
    CGdiObject() = default;
    virtual ~CGdiObject() { DeleteObject(); }
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    HGDIOBJ GetSafeHandle() const { return m_hObject; }
    operator HGDIOBJ() const { return m_hObject; }
    BOOL Attach(HGDIOBJ object)
    {
        if (m_hObject || !object) return FALSE;
        m_hObject = object;
        return TRUE;
    }
    HGDIOBJ Detach()
    {
        const HGDIOBJ h = m_hObject;
        m_hObject = nullptr;
        return h;
    }
    BOOL DeleteObject()
    {
        if (!m_hObject) return FALSE;
        return ::DeleteObject(Detach());
    }
    int GetObject(int size, void* buffer) const { return ::GetObject(m_hObject, size, buffer); }
    BOOL CreateStockObject(int index) { return Attach(::GetStockObject(index)); }
    UINT GetObjectType() const { return ::GetObjectType(m_hObject); }

    static CGdiObject* FromHandle(HGDIOBJ object);

    HGDIOBJ m_hObject;
};

class CPen : public CGdiObject {
public:
    CPen() = default;
    CPen(int style, int width, COLORREF color) { CreatePen(style, width, color); }
    BOOL CreatePen(int style, int width, COLORREF color) { return Attach(::CreatePen(style, width, color)); }
    BOOL CreatePenIndirect(const LOGPEN* pen) { return Attach(::CreatePenIndirect(pen)); }
    operator HPEN() const { return HPEN(m_hObject); }
    int GetLogPen(LOGPEN* pen) const { return ::GetObject(m_hObject, sizeof(LOGPEN), pen); }
    static CPen* FromHandle(HPEN pen);
};

class CBrush : public CGdiObject {
public:
    CBrush() = default;
    explicit CBrush(COLORREF color) { CreateSolidBrush(color); }
    CBrush(int hatch, COLORREF color) { CreateHatchBrush(hatch, color); }
    explicit CBrush(CBitmap* pattern) { CreatePatternBrush(pattern); }
    BOOL CreateSolidBrush(COLORREF color) { return Attach(::CreateSolidBrush(color)); }
    BOOL CreateHatchBrush(int hatch, COLORREF color) { return Attach(::CreateHatchBrush(hatch, color)); }
    BOOL CreatePatternBrush(CBitmap* pattern);
    BOOL CreateBrushIndirect(const LOGBRUSH* brush) { return Attach(::CreateBrushIndirect(brush)); }
    BOOL CreateSysColorBrush(int index) { return CreateSolidBrush(::GetSysColor(index)); }
    operator HBRUSH() const { return HBRUSH(m_hObject); }
    int GetLogBrush(LOGBRUSH* brush) const { return ::GetObject(m_hObject, sizeof(LOGBRUSH), brush); }
    static CBrush* FromHandle(HBRUSH brush);
};

class CFont : public CGdiObject {
public:
    BOOL CreateFontIndirect(const LOGFONT* font) { return Attach(::CreateFontIndirect(font)); }
    BOOL CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic, BYTE underline,
                    BYTE strikeOut, BYTE charSet, BYTE outPrecision, BYTE clipPrecision, BYTE quality,
                    BYTE pitchAndFamily, LPCTSTR face)
    {
        return Attach(::CreateFont(height, width, escapement, orientation, weight, italic, underline, strikeOut,
                                   charSet, outPrecision, clipPrecision, quality, pitchAndFamily, face));
    }
    // Tenths of a point at 96 dots per inch (the DC is not needed for that).
    BOOL CreatePointFont(int pointSize, LPCTSTR face, CDC* dc = nullptr);
    BOOL CreatePointFontIndirect(const LOGFONT* font, CDC* dc = nullptr);
    operator HFONT() const { return HFONT(m_hObject); }
    int GetLogFont(LOGFONT* font) const { return ::GetObject(m_hObject, sizeof(LOGFONT), font); }
    static CFont* FromHandle(HFONT font);
};

class CBitmap : public CGdiObject {
public:
    BOOL CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits)
    {
        return Attach(::CreateBitmap(width, height, planes, bitsPerPixel, bits));
    }
    BOOL CreateBitmapIndirect(const BITMAP* bm)
    {
        return bm ? CreateBitmap(bm->bmWidth, bm->bmHeight, bm->bmPlanes, bm->bmBitsPixel, bm->bmBits) : FALSE;
    }
    BOOL CreateCompatibleBitmap(CDC* dc, int width, int height);
    operator HBITMAP() const { return HBITMAP(m_hObject); }
    int GetBitmap(BITMAP* bm) const { return ::GetObject(m_hObject, sizeof(BITMAP), bm); }
    DWORD GetBitmapBits(DWORD size, void* bits) const
    {
        return static_cast<DWORD>(::GetBitmapBits(*this, static_cast<LONG>(size), bits));
    }
    DWORD SetBitmapBits(DWORD size, const void* bits) { return static_cast<DWORD>(::SetBitmapBits(*this, size, bits)); }
    static CBitmap* FromHandle(HBITMAP bitmap);
};

class CRgn : public CGdiObject {
public:
    BOOL CreateRectRgn(int l, int t, int r, int b) { return Attach(::CreateRectRgn(l, t, r, b)); }
    BOOL CreateRectRgnIndirect(const RECT* rect) { return Attach(::CreateRectRgnIndirect(rect)); }
    BOOL CreateRoundRectRgn(int l, int t, int r, int b, int w, int h) { return Attach(::CreateRoundRectRgn(l, t, r, b, w, h)); }
    BOOL CreateEllipticRgn(int l, int t, int r, int b) { return Attach(::CreateEllipticRgn(l, t, r, b)); }
    BOOL CreateEllipticRgnIndirect(const RECT* rect) { return Attach(::CreateEllipticRgnIndirect(rect)); }
    BOOL CreatePolygonRgn(const POINT* points, int count, int mode) { return Attach(::CreatePolygonRgn(points, count, mode)); }
    BOOL CreatePolyPolygonRgn(const POINT* points, const INT* counts, int polygons, int mode)
    {
        return Attach(::CreatePolyPolygonRgn(points, counts, polygons, mode));
    }
    int CombineRgn(const CRgn* a, const CRgn* b, int mode)
    {
        return ::CombineRgn(*this, a ? HRGN(*a) : HRGN(), b ? HRGN(*b) : HRGN(), mode);
    }
    int CopyRgn(const CRgn* src) { return ::CombineRgn(*this, src ? HRGN(*src) : HRGN(), HRGN(), RGN_COPY); }
    int OffsetRgn(int dx, int dy) { return ::OffsetRgn(*this, dx, dy); }
    int OffsetRgn(POINT p) { return ::OffsetRgn(*this, p.x, p.y); }
    int GetRgnBox(RECT* box) const { return ::GetRgnBox(*this, box); }
    BOOL PtInRegion(int x, int y) const { return ::PtInRegion(*this, x, y); }
    BOOL PtInRegion(POINT p) const { return ::PtInRegion(*this, p.x, p.y); }
    BOOL RectInRegion(const RECT* rect) const { return ::RectInRegion(*this, rect); }
    void SetRectRgn(int l, int t, int r, int b) { ::SetRectRgn(*this, l, t, r, b); }
    void SetRectRgn(const RECT* rect) { if (rect) ::SetRectRgn(*this, rect->left, rect->top, rect->right, rect->bottom); }
    BOOL EqualRgn(const CRgn* other) const { return other && ::EqualRgn(*this, *other); }
    operator HRGN() const { return HRGN(m_hObject); }
    static CRgn* FromHandle(HRGN region);
};
