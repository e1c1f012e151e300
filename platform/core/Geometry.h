// Point, size and rectangle helpers with the class library's shapes over the
// plain POINT, SIZE and RECT records. Rectangles are half open: right and
// bottom lie just outside, as the drawing and window code expects.
#pragma once

#include "platform/core/WinTypes.h"

#include <algorithm>

class CSize : public SIZE {
public:
    constexpr CSize() : SIZE{0, 0} {}
    constexpr CSize(int x, int y) : SIZE{x, y} {}
    constexpr CSize(SIZE s) : SIZE(s) {}
    constexpr CSize(POINT p) : SIZE{p.x, p.y} {}
    constexpr CSize operator+(SIZE s) const { return {cx + s.cx, cy + s.cy}; }
    constexpr CSize operator-(SIZE s) const { return {cx - s.cx, cy - s.cy}; }
    constexpr CSize operator-() const { return {-cx, -cy}; }
    CSize& operator+=(SIZE s) { cx += s.cx; cy += s.cy; return *this; }
    CSize& operator-=(SIZE s) { cx -= s.cx; cy -= s.cy; return *this; }
};

class CPoint : public POINT {
public:
    constexpr CPoint() : POINT{0, 0} {}
    constexpr CPoint(int x0, int y0) : POINT{x0, y0} {}
    constexpr CPoint(POINT p) : POINT(p) {}
    constexpr CPoint(SIZE s) : POINT{s.cx, s.cy} {}
    // A packed x (low word) and y (high word), as mouse messages carry them.
    explicit constexpr CPoint(LPARAM packed)
        : POINT{static_cast<SHORT>(LOWORD(static_cast<std::uintptr_t>(packed))),
                static_cast<SHORT>(HIWORD(static_cast<std::uintptr_t>(packed)))} {}
    void Offset(int dx, int dy) { x += dx; y += dy; }
    void Offset(POINT p) { x += p.x; y += p.y; }
    void Offset(SIZE s) { x += s.cx; y += s.cy; }
    void SetPoint(int x0, int y0) { x = x0; y = y0; }
    constexpr CPoint operator+(SIZE s) const { return {x + s.cx, y + s.cy}; }
    constexpr CPoint operator-(SIZE s) const { return {x - s.cx, y - s.cy}; }
    constexpr CPoint operator+(POINT p) const { return {x + p.x, y + p.y}; }
    constexpr CSize operator-(POINT p) const { return {x - p.x, y - p.y}; }
    constexpr CPoint operator-() const { return {-x, -y}; }
    CPoint& operator+=(SIZE s) { x += s.cx; y += s.cy; return *this; }
    CPoint& operator-=(SIZE s) { x -= s.cx; y -= s.cy; return *this; }
    CPoint& operator+=(POINT p) { x += p.x; y += p.y; return *this; }
    CPoint& operator-=(POINT p) { x -= p.x; y -= p.y; return *this; }
};

class CRect : public RECT {
public:
    constexpr CRect() : RECT{0, 0, 0, 0} {}
    constexpr CRect(int l, int t, int r, int b) : RECT{l, t, r, b} {}
    constexpr CRect(const RECT& r) : RECT(r) {}
    constexpr CRect(const RECT* r) : RECT(r ? *r : RECT{}) {}
    constexpr CRect(POINT p, SIZE s) : RECT{p.x, p.y, p.x + s.cx, p.y + s.cy} {}
    constexpr CRect(POINT topLeft, POINT bottomRight) : RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y} {}

    constexpr int Width() const { return right - left; }
    constexpr int Height() const { return bottom - top; }
    constexpr CSize Size() const { return {Width(), Height()}; }
    constexpr CPoint TopLeft() const { return {left, top}; }
    constexpr CPoint BottomRight() const { return {right, bottom}; }
    constexpr CPoint CenterPoint() const { return {(left + right) / 2, (top + bottom) / 2}; }
    constexpr bool IsRectEmpty() const { return right <= left || bottom <= top; }
    constexpr bool IsRectNull() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
    constexpr bool PtInRect(POINT p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }

    void SetRect(int l, int t, int r, int b) { left = l; top = t; right = r; bottom = b; }
    void SetRectEmpty() { left = top = right = bottom = 0; }
    void CopyRect(const RECT* r) { if (r) *static_cast<RECT*>(this) = *r; }
    void OffsetRect(int dx, int dy) { left += dx; right += dx; top += dy; bottom += dy; }
    void OffsetRect(POINT p) { OffsetRect(p.x, p.y); }
    void OffsetRect(SIZE s) { OffsetRect(s.cx, s.cy); }
    void MoveToX(int x) { right = x + Width(); left = x; }
    void MoveToY(int y) { bottom = y + Height(); top = y; }
    void MoveToXY(int x, int y) { MoveToX(x); MoveToY(y); }
    void MoveToXY(POINT p) { MoveToXY(p.x, p.y); }
    void InflateRect(int dx, int dy) { left -= dx; top -= dy; right += dx; bottom += dy; }
    void InflateRect(SIZE s) { InflateRect(s.cx, s.cy); }
    void InflateRect(int l, int t, int r, int b) { left -= l; top -= t; right += r; bottom += b; }
    void InflateRect(const RECT* r) { if (r) InflateRect(r->left, r->top, r->right, r->bottom); }
    void DeflateRect(int dx, int dy) { InflateRect(-dx, -dy); }
    void DeflateRect(SIZE s) { InflateRect(-s.cx, -s.cy); }
    void DeflateRect(int l, int t, int r, int b) { InflateRect(-l, -t, -r, -b); }
    void DeflateRect(const RECT* r) { if (r) InflateRect(-r->left, -r->top, -r->right, -r->bottom); }
    void NormalizeRect()
    {
        if (left > right) std::swap(left, right);
        if (top > bottom) std::swap(top, bottom);
    }
    // Empty results become (0, 0, 0, 0) and report FALSE, as the system does.
    BOOL IntersectRect(const RECT* a, const RECT* b)
    {
        if (!a || !b) { SetRectEmpty(); return FALSE; }
        CRect r(std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
                std::min(a->bottom, b->bottom));
        if (r.IsRectEmpty()) { SetRectEmpty(); return FALSE; }
        *this = r;
        return TRUE;
    }
    BOOL UnionRect(const RECT* a, const RECT* b)
    {
        const CRect ra(a), rb(b);
        if (ra.IsRectEmpty()) *this = rb;
        else if (rb.IsRectEmpty()) *this = ra;
        else SetRect(std::min(ra.left, rb.left), std::min(ra.top, rb.top), std::max(ra.right, rb.right),
                     std::max(ra.bottom, rb.bottom));
        if (IsRectEmpty()) { SetRectEmpty(); return FALSE; }
        return TRUE;
    }

    operator RECT*() { return this; }
    operator const RECT*() const { return this; }
    CRect& operator=(const RECT& r) { *static_cast<RECT*>(this) = r; return *this; }
    CRect operator+(POINT p) const { CRect r(*this); r.OffsetRect(p); return r; }
    CRect operator-(POINT p) const { CRect r(*this); r.OffsetRect(-p.x, -p.y); return r; }
    CRect& operator+=(POINT p) { OffsetRect(p); return *this; }
    CRect& operator-=(POINT p) { OffsetRect(-p.x, -p.y); return *this; }
    CRect operator&(const RECT& o) const { CRect r; r.IntersectRect(this, &o); return r; }
    CRect operator|(const RECT& o) const { CRect r; r.UnionRect(this, &o); return r; }
    friend bool operator==(const CRect& a, const CRect& b)
    {
        return static_cast<const RECT&>(a) == static_cast<const RECT&>(b);
    }
};

using LPRECT = RECT*;
using LPCRECT = const RECT*;
using LPPOINT = POINT*;
using LPSIZE = SIZE*;

inline BOOL SetRect(RECT* r, int l, int t, int rt, int b)
{
    if (!r) return FALSE;
    *r = RECT{l, t, rt, b};
    return TRUE;
}
inline BOOL SetRectEmpty(RECT* r) { return SetRect(r, 0, 0, 0, 0); }
inline BOOL IsRectEmpty(const RECT* r) { return !r || r->right <= r->left || r->bottom <= r->top; }
inline BOOL OffsetRect(RECT* r, int dx, int dy)
{
    if (!r) return FALSE;
    CRect c(*r);
    c.OffsetRect(dx, dy);
    *r = c;
    return TRUE;
}
inline BOOL InflateRect(RECT* r, int dx, int dy)
{
    if (!r) return FALSE;
    CRect c(*r);
    c.InflateRect(dx, dy);
    *r = c;
    return TRUE;
}
inline BOOL PtInRect(const RECT* r, POINT p) { return r && CRect(r).PtInRect(p); }
inline BOOL IntersectRect(RECT* out, const RECT* a, const RECT* b)
{
    if (!out) return FALSE;
    CRect c;
    const BOOL ok = c.IntersectRect(a, b);
    *out = c;
    return ok;
}
inline BOOL UnionRect(RECT* out, const RECT* a, const RECT* b)
{
    if (!out) return FALSE;
    CRect c;
    const BOOL ok = c.UnionRect(a, b);
    *out = c;
    return ok;
}
inline BOOL CopyRect(RECT* out, const RECT* in)
{
    if (!out || !in) return FALSE;
    *out = *in;
    return TRUE;
}
inline BOOL EqualRect(const RECT* a, const RECT* b) { return a && b && *a == *b; }
