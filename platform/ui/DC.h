// The class library's device context and the DCs of windows. A CDC over a
// memory DC draws into the bitmap selected into it; CPaintDC, CClientDC and
// CWindowDC draw into a window's backing image through the window layer
// (WindowSurface.h); a printer DC draws pages (Printer.h).
#pragma once

#include "platform/ui/Gdi.h"
#include "platform/ui/GdiObject.h"
#include "platform/ui/Printer.h"

#include <type_traits>
#include <utility>

class CDC {
public:
    CDC() = default;
    virtual ~CDC()
    {
        if (m_hDC) ::DeleteDC(Detach());
    }
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    operator HDC() const { return m_hDC; }
    HDC GetSafeHdc() const { return m_hDC; }
    // A temporary wrapper that owns nothing.
    static CDC* FromHandle(HDC dc);
    BOOL Attach(HDC dc)
    {
        if (m_hDC || !dc) return FALSE;
        m_hDC = m_hAttribDC = dc;
        return TRUE;
    }
    HDC Detach()
    {
        const HDC h = m_hDC;
        m_hDC = m_hAttribDC = nullptr;
        return h;
    }
    BOOL CreateCompatibleDC(CDC* dc) { return Attach(::CreateCompatibleDC(dc ? dc->m_hDC : HDC())); }
    BOOL DeleteDC()
    {
        if (!m_hDC) return FALSE;
        return ::DeleteDC(Detach());
    }
    BOOL CreateDC(LPCTSTR driver, LPCTSTR device, LPCTSTR output, const DEVMODEW* mode)
    {
        return Attach(::CreateDCW(driver, device, output, mode));
    }
    int SaveDC() { return ::SaveDC(m_hDC); }
    BOOL RestoreDC(int saved) { return ::RestoreDC(m_hDC, saved); }
    int GetDeviceCaps(int index) const { return ::GetDeviceCaps(m_hDC, index); }

    // Objects.
    CPen* SelectObject(CPen* pen) { return CPen::FromHandle(HPEN(Select(pen))); }
    CBrush* SelectObject(CBrush* brush) { return CBrush::FromHandle(HBRUSH(Select(brush))); }
    virtual CFont* SelectObject(CFont* font) { return CFont::FromHandle(HFONT(Select(font))); }
    CBitmap* SelectObject(CBitmap* bitmap) { return CBitmap::FromHandle(HBITMAP(Select(bitmap))); }
    int SelectObject(CRgn* region) { return ::SelectClipRgn(m_hDC, region ? HRGN(*region) : HRGN()); }
    CGdiObject* SelectObject(CGdiObject* object) { return CGdiObject::FromHandle(Select(object)); }
    HGDIOBJ SelectObject(HGDIOBJ object) { return ::SelectObject(m_hDC, object); }
    CGdiObject* SelectStockObject(int index) { return CGdiObject::FromHandle(::SelectObject(m_hDC, ::GetStockObject(index))); }
    CPen* GetCurrentPen() const { return CPen::FromHandle(HPEN(::GetCurrentObject(m_hDC, OBJ_PEN))); }
    CBrush* GetCurrentBrush() const { return CBrush::FromHandle(HBRUSH(::GetCurrentObject(m_hDC, OBJ_BRUSH))); }
    CFont* GetCurrentFont() const { return CFont::FromHandle(HFONT(::GetCurrentObject(m_hDC, OBJ_FONT))); }
    CBitmap* GetCurrentBitmap() const { return CBitmap::FromHandle(HBITMAP(::GetCurrentObject(m_hDC, OBJ_BITMAP))); }

    // Attributes.
    COLORREF SetTextColor(COLORREF c) { return ::SetTextColor(m_hDC, c); }
    COLORREF GetTextColor() const { return ::GetTextColor(m_hDC); }
    COLORREF SetBkColor(COLORREF c) { return ::SetBkColor(m_hDC, c); }
    COLORREF GetBkColor() const { return ::GetBkColor(m_hDC); }
    int SetBkMode(int mode) { return ::SetBkMode(m_hDC, mode); }
    int GetBkMode() const { return ::GetBkMode(m_hDC); }
    int SetROP2(int mode) { return ::SetROP2(m_hDC, mode); }
    int GetROP2() const { return ::GetROP2(m_hDC); }
    int SetPolyFillMode(int mode) { return ::SetPolyFillMode(m_hDC, mode); }
    int GetPolyFillMode() const { return ::GetPolyFillMode(m_hDC); }
    int SetStretchBltMode(int mode) { return ::SetStretchBltMode(m_hDC, mode); }
    int GetStretchBltMode() const { return ::GetStretchBltMode(m_hDC); }
    UINT SetTextAlign(UINT align) { return ::SetTextAlign(m_hDC, align); }
    UINT GetTextAlign() const { return ::GetTextAlign(m_hDC); }
    int SetArcDirection(int direction) { return ::SetArcDirection(m_hDC, direction); }
    int SetMapMode(int mode) { return ::SetMapMode(m_hDC, mode); }
    int GetMapMode() const { return ::GetMapMode(m_hDC); }

    // Coordinates.
    CPoint SetViewportOrg(int x, int y) { POINT old{}; ::SetViewportOrgEx(m_hDC, x, y, &old); return old; }
    CPoint SetViewportOrg(POINT p) { return SetViewportOrg(p.x, p.y); }
    CPoint OffsetViewportOrg(int dx, int dy) { POINT old{}; ::OffsetViewportOrgEx(m_hDC, dx, dy, &old); return old; }
    CPoint GetViewportOrg() const { POINT p{}; ::GetViewportOrgEx(m_hDC, &p); return p; }
    CPoint SetWindowOrg(int x, int y) { POINT old{}; ::SetWindowOrgEx(m_hDC, x, y, &old); return old; }
    CPoint SetWindowOrg(POINT p) { return SetWindowOrg(p.x, p.y); }
    CPoint GetWindowOrg() const { POINT p{}; ::GetWindowOrgEx(m_hDC, &p); return p; }
    CPoint SetBrushOrg(int x, int y) { POINT old{}; ::SetBrushOrgEx(m_hDC, x, y, &old); return old; }
    CPoint SetBrushOrg(POINT p) { return SetBrushOrg(p.x, p.y); }
    void LPtoDP(POINT* points, int count = 1) const { ::LPtoDP(m_hDC, points, count); }
    void LPtoDP(RECT* rect) const { ::LPtoDP(m_hDC, reinterpret_cast<POINT*>(rect), 2); }
    void DPtoLP(POINT* points, int count = 1) const { ::DPtoLP(m_hDC, points, count); }
    void DPtoLP(RECT* rect) const { ::DPtoLP(m_hDC, reinterpret_cast<POINT*>(rect), 2); }

    // Lines and shapes.
    CPoint MoveTo(int x, int y) { POINT old{}; ::MoveToEx(m_hDC, x, y, &old); return old; }
    CPoint MoveTo(POINT p) { return MoveTo(p.x, p.y); }
    BOOL LineTo(int x, int y) { return ::LineTo(m_hDC, x, y); }
    BOOL LineTo(POINT p) { return LineTo(p.x, p.y); }
    CPoint GetCurrentPosition() const { POINT p{}; ::GetCurrentPositionEx(m_hDC, &p); return p; }
    BOOL Polyline(const POINT* points, int count) { return ::Polyline(m_hDC, points, count); }
    BOOL PolyPolyline(const POINT* points, const DWORD* counts, int polylines)
    {
        return ::PolyPolyline(m_hDC, points, counts, static_cast<DWORD>(polylines));
    }
    BOOL Polygon(const POINT* points, int count) { return ::Polygon(m_hDC, points, count); }
    BOOL PolyPolygon(const POINT* points, const INT* counts, int polygons) { return ::PolyPolygon(m_hDC, points, counts, polygons); }
    BOOL Rectangle(int l, int t, int r, int b) { return ::Rectangle(m_hDC, l, t, r, b); }
    BOOL Rectangle(const RECT* rc) { return rc && Rectangle(rc->left, rc->top, rc->right, rc->bottom); }
    BOOL RoundRect(int l, int t, int r, int b, int w, int h) { return ::RoundRect(m_hDC, l, t, r, b, w, h); }
    BOOL RoundRect(const RECT* rc, POINT p) { return rc && RoundRect(rc->left, rc->top, rc->right, rc->bottom, p.x, p.y); }
    BOOL Ellipse(int l, int t, int r, int b) { return ::Ellipse(m_hDC, l, t, r, b); }
    BOOL Ellipse(const RECT* rc) { return rc && Ellipse(rc->left, rc->top, rc->right, rc->bottom); }
    BOOL Pie(int l, int t, int r, int b, int x1, int y1, int x2, int y2) { return ::Pie(m_hDC, l, t, r, b, x1, y1, x2, y2); }
    BOOL Pie(const RECT* rc, POINT a, POINT b) { return rc && Pie(rc->left, rc->top, rc->right, rc->bottom, a.x, a.y, b.x, b.y); }
    BOOL Arc(int l, int t, int r, int b, int x1, int y1, int x2, int y2) { return ::Arc(m_hDC, l, t, r, b, x1, y1, x2, y2); }
    BOOL Arc(const RECT* rc, POINT a, POINT b) { return rc && Arc(rc->left, rc->top, rc->right, rc->bottom, a.x, a.y, b.x, b.y); }
    BOOL Chord(int l, int t, int r, int b, int x1, int y1, int x2, int y2) { return ::Chord(m_hDC, l, t, r, b, x1, y1, x2, y2); }
    COLORREF SetPixel(int x, int y, COLORREF c) { return ::SetPixel(m_hDC, x, y, c); }
    COLORREF SetPixel(POINT p, COLORREF c) { return ::SetPixel(m_hDC, p.x, p.y, c); }
    BOOL SetPixelV(int x, int y, COLORREF c) { return ::SetPixelV(m_hDC, x, y, c); }
    COLORREF GetPixel(int x, int y) const { return ::GetPixel(m_hDC, x, y); }
    COLORREF GetPixel(POINT p) const { return ::GetPixel(m_hDC, p.x, p.y); }

    // Fills and frames.
    void FillRect(const RECT* rc, CBrush* brush) { if (brush) ::FillRect(m_hDC, rc, *brush); }
    // Sets the background colour and leaves it set, as the class library does.
    void FillSolidRect(const RECT* rc, COLORREF color)
    {
        ::SetBkColor(m_hDC, color);
        ::ExtTextOut(m_hDC, 0, 0, ETO_OPAQUE, rc, nullptr, 0, nullptr);
    }
    void FillSolidRect(int x, int y, int cx, int cy, COLORREF color)
    {
        const RECT rc{x, y, x + cx, y + cy};
        FillSolidRect(&rc, color);
    }
    void FrameRect(const RECT* rc, CBrush* brush) { if (brush) ::FrameRect(m_hDC, rc, *brush); }
    void InvertRect(const RECT* rc) { ::InvertRect(m_hDC, rc); }
    void Draw3dRect(const RECT* rc, COLORREF topLeft, COLORREF bottomRight)
    {
        if (rc) Draw3dRect(rc->left, rc->top, rc->right - rc->left, rc->bottom - rc->top, topLeft, bottomRight);
    }
    void Draw3dRect(int x, int y, int cx, int cy, COLORREF topLeft, COLORREF bottomRight)
    {
        FillSolidRect(x, y, cx - 1, 1, topLeft);
        FillSolidRect(x, y, 1, cy - 1, topLeft);
        FillSolidRect(x + cx - 1, y, 1, cy, bottomRight);
        FillSolidRect(x, y + cy - 1, cx, 1, bottomRight);
    }
    BOOL DrawEdge(RECT* rc, UINT edge, UINT flags) { return ::DrawEdge(m_hDC, rc, edge, flags); }
    void DrawFocusRect(const RECT* rc) { ::DrawFocusRect(m_hDC, rc); }
    BOOL FillRgn(CRgn* region, CBrush* brush) { return region && brush && ::FillRgn(m_hDC, *region, *brush); }
    BOOL FrameRgn(CRgn* region, CBrush* brush, int w, int h) { return region && brush && ::FrameRgn(m_hDC, *region, *brush, w, h); }
    BOOL InvertRgn(CRgn* region) { return region && ::InvertRgn(m_hDC, *region); }
    BOOL PaintRgn(CRgn* region) { return region && ::PaintRgn(m_hDC, *region); }

    // Block transfers.
    BOOL BitBlt(int x, int y, int w, int h, CDC* src, int sx, int sy, DWORD rop)
    {
        return ::BitBlt(m_hDC, x, y, w, h, src ? src->m_hDC : HDC(), sx, sy, rop);
    }
    BOOL StretchBlt(int x, int y, int w, int h, CDC* src, int sx, int sy, int sw, int sh, DWORD rop)
    {
        return ::StretchBlt(m_hDC, x, y, w, h, src ? src->m_hDC : HDC(), sx, sy, sw, sh, rop);
    }
    BOOL PatBlt(int x, int y, int w, int h, DWORD rop) { return ::PatBlt(m_hDC, x, y, w, h, rop); }

    // Text.
    BOOL TextOut(int x, int y, LPCTSTR text, int length) { return ::TextOut(m_hDC, x, y, text, length); }
    BOOL TextOut(int x, int y, const CString& text) { return ::TextOut(m_hDC, x, y, text, text.GetLength()); }
    BOOL ExtTextOut(int x, int y, UINT options, const RECT* rc, LPCTSTR text, UINT length, const INT* dx)
    {
        return ::ExtTextOut(m_hDC, x, y, options, rc, text, length, dx);
    }
    BOOL ExtTextOut(int x, int y, UINT options, const RECT* rc, const CString& text, const INT* dx)
    {
        return ::ExtTextOut(m_hDC, x, y, options, rc, text, static_cast<UINT>(text.GetLength()), dx);
    }
    int DrawText(LPCTSTR text, int length, RECT* rc, UINT format) { return ::DrawText(m_hDC, text, length, rc, format); }
    int DrawText(const CString& text, RECT* rc, UINT format) { return ::DrawText(m_hDC, text, text.GetLength(), rc, format); }
    CSize GetTextExtent(LPCTSTR text, int length) const
    {
        SIZE s{};
        ::GetTextExtentPoint32(m_hDC, text, length, &s);
        return s;
    }
    CSize GetTextExtent(const CString& text) const { return GetTextExtent(text, text.GetLength()); }
    CSize GetOutputTextExtent(LPCTSTR text, int length) const { return GetTextExtent(text, length); }
    CSize GetOutputTextExtent(const CString& text) const { return GetTextExtent(text); }
    BOOL GetTextMetrics(TEXTMETRIC* tm) const { return ::GetTextMetrics(m_hDC, tm); }
    int GetTextFace(CString& face) const
    {
        char16_t buffer[LF_FACESIZE] = {};
        const int n = ::GetTextFace(m_hDC, LF_FACESIZE, buffer);
        face = CString(buffer);
        return n;
    }
    int SetTextJustification(int breakExtra, int breakCount) { return ::SetTextJustification(m_hDC, breakExtra, breakCount); }
    int SetTextCharacterExtra(int extra) { return ::SetTextCharacterExtra(m_hDC, extra); }
    int GetTextCharacterExtra() const { return ::GetTextCharacterExtra(m_hDC); }
    CSize GetTabbedTextExtent(const CString& text, int positions, const INT* stops) const
    {
        const DWORD v = ::GetTabbedTextExtent(m_hDC, text, text.GetLength(), positions, stops);
        return CSize(LOWORD(v), HIWORD(v));
    }
    CSize TabbedTextOut(int x, int y, const CString& text, int positions, const INT* stops, int origin)
    {
        const auto v = static_cast<DWORD>(::TabbedTextOut(m_hDC, x, y, text, text.GetLength(), positions, stops, origin));
        return CSize(LOWORD(v), HIWORD(v));
    }

    // Clipping.
    int SelectClipRgn(CRgn* region) { return ::SelectClipRgn(m_hDC, region ? HRGN(*region) : HRGN()); }
    int SelectClipRgn(CRgn* region, int mode) { return ::ExtSelectClipRgn(m_hDC, region ? HRGN(*region) : HRGN(), mode); }
    int IntersectClipRect(int l, int t, int r, int b) { return ::IntersectClipRect(m_hDC, l, t, r, b); }
    int IntersectClipRect(const RECT* rc) { return rc ? IntersectClipRect(rc->left, rc->top, rc->right, rc->bottom) : ERROR; }
    int ExcludeClipRect(int l, int t, int r, int b) { return ::ExcludeClipRect(m_hDC, l, t, r, b); }
    int ExcludeClipRect(const RECT* rc) { return rc ? ExcludeClipRect(rc->left, rc->top, rc->right, rc->bottom) : ERROR; }
    int OffsetClipRgn(int dx, int dy) { return ::OffsetClipRgn(m_hDC, dx, dy); }
    int GetClipBox(RECT* rc) const { return ::GetClipBox(m_hDC, rc); }
    BOOL PtVisible(int x, int y) const { return ::PtVisible(m_hDC, x, y); }
    BOOL PtVisible(POINT p) const { return ::PtVisible(m_hDC, p.x, p.y); }
    BOOL RectVisible(const RECT* rc) const { return ::RectVisible(m_hDC, rc); }

    // Icons and images in a state.
    BOOL DrawIcon(int x, int y, HICON icon) { return ::DrawIcon(m_hDC, x, y, icon); }
    BOOL DrawIcon(POINT p, HICON icon) { return ::DrawIcon(m_hDC, p.x, p.y, icon); }
    BOOL DrawState(CPoint pt, CSize size, HICON icon, UINT flags, HBRUSH brush = nullptr)
    {
        return ::DrawState(m_hDC, brush, nullptr, icon.ToLParam(), 0, pt.x, pt.y, size.cx, size.cy, flags | DST_ICON);
    }
    BOOL DrawState(CPoint pt, CSize size, HBITMAP bitmap, UINT flags, HBRUSH brush = nullptr)
    {
        return ::DrawState(m_hDC, brush, nullptr, static_cast<LPARAM>(bitmap.Value()), 0, pt.x, pt.y, size.cx, size.cy,
                           flags | DST_BITMAP);
    }
    BOOL DrawState(CPoint pt, CSize size, CBitmap* bitmap, UINT flags, CBrush* brush = nullptr)
    {
        return bitmap && DrawState(pt, size, HBITMAP(*bitmap), flags, brush ? HBRUSH(*brush) : HBRUSH());
    }
    BOOL DrawState(CPoint pt, CSize size, LPCTSTR text, UINT flags, BOOL prefixText = TRUE, int length = 0,
                   HBRUSH brush = nullptr)
    {
        return ::DrawState(m_hDC, brush, nullptr, reinterpret_cast<LPARAM>(text), static_cast<WPARAM>(length), pt.x,
                           pt.y, size.cx, size.cy, flags | (prefixText ? DST_PREFIXTEXT : DST_TEXT));
    }

    // Printing (Printer.h).
    int StartDoc(LPCTSTR docName)
    {
        DOCINFOW info;
        info.lpszDocName = docName;
        return ::StartDocW(m_hDC, &info);
    }
    int StartDoc(const DOCINFOW* info) { return ::StartDocW(m_hDC, info); }
    int StartPage() { return ::StartPage(m_hDC); }
    int EndPage() { return ::EndPage(m_hDC); }
    int EndDoc() { return ::EndDoc(m_hDC); }
    int AbortDoc() { return ::AbortDoc(m_hDC); }
    // Set by the print loop while it draws pages (a preview's too), so that
    // shared drawing code can tell paper from the screen.
    BOOL IsPrinting() const { return m_bPrinting; }

    HDC m_hDC;
    HDC m_hAttribDC;
    BOOL m_bPrinting = FALSE;

private:
    HGDIOBJ Select(const CGdiObject* object) { return ::SelectObject(m_hDC, object ? object->m_hObject : HGDIOBJ()); }
};

// DCs of windows. The constructors take a window handle or any window object
// with GetSafeHwnd(); a null window gives the screen.
class CClientDC : public CDC {
public:
    explicit CClientDC(HWND window) : m_hWnd(window) { Attach(::GetDC(window)); }
    template <class W, class = decltype(std::declval<W*>()->GetSafeHwnd())>
    explicit CClientDC(W* window) : CClientDC(window ? window->GetSafeHwnd() : HWND())
    {
    }
    ~CClientDC() override
    {
        if (m_hDC) ::ReleaseDC(m_hWnd, Detach());
    }

    HWND m_hWnd;
};

class CWindowDC : public CDC {
public:
    explicit CWindowDC(HWND window) : m_hWnd(window) { Attach(::GetWindowDC(window)); }
    template <class W, class = decltype(std::declval<W*>()->GetSafeHwnd())>
    explicit CWindowDC(W* window) : CWindowDC(window ? window->GetSafeHwnd() : HWND())
    {
    }
    ~CWindowDC() override
    {
        if (m_hDC) ::ReleaseDC(m_hWnd, Detach());
    }

    HWND m_hWnd;
};

class CPaintDC : public CDC {
public:
    explicit CPaintDC(HWND window) : m_hWnd(window) { Attach(::BeginPaint(window, &m_ps)); }
    template <class W, class = decltype(std::declval<W*>()->GetSafeHwnd())>
    explicit CPaintDC(W* window) : CPaintDC(window ? window->GetSafeHwnd() : HWND())
    {
    }
    ~CPaintDC() override
    {
        if (m_hDC) {
            Detach();
            ::EndPaint(m_hWnd, &m_ps);
        }
    }

    PAINTSTRUCT m_ps;
    HWND m_hWnd;
};
