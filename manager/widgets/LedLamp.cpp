#include "manager/widgets/LedLamp.h"

#include <algorithm>
#include <cmath>

IMPLEMENT_DYNAMIC(CLedLamp, CStatic)

BEGIN_MESSAGE_MAP(CLedLamp, CStatic)
    ON_WM_CREATE()
    ON_WM_PAINT()
END_MESSAGE_MAP()

namespace {

// The eye looks at the lamp from this far in front of its centre.
constexpr double kEyeDistance = 800.0;
constexpr double kEpsilon = 0.00001;

struct Vector {
    double x, y, z;
};

double Dot(const Vector& a, const Vector& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

void DrawGlass(CDC& dc, const RECT& square, COLORREF colour)
{
    const int left = square.left + 2;
    const int top = square.top + 2;
    const int right = square.right - 2;
    const int bottom = square.bottom - 2;
    if (right <= left || bottom <= top) return;
    const int cx = left + (right - left) / 2;
    const int cy = top + (bottom - top) / 2;
    const double radius = std::min(right - left, bottom - top) / 2;
    const int red = GetRValue(colour);
    const int green = GetGValue(colour);
    const int blue = GetBValue(colour);
    const int brightest = std::max({red, green, blue});
    // The light comes from the upper left, toward the viewer.
    const Vector light{-60.0, -60.0, -100.0};
    const double lightLength = std::sqrt(17200.0);
    // From the eye to the sphere's centre.
    const Vector toEye{0.0, 0.0, -kEyeDistance};
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            Vector d{static_cast<double>(x - cx), static_cast<double>(y - cy), kEyeDistance};
            const double length = std::sqrt(Dot(d, d));
            d = {d.x / length, d.y / length, d.z / length};
            const double half = Dot(d, toEye);
            const double discriminant = half * half - (Dot(toEye, toEye) - radius * radius);
            if (!(discriminant > kEpsilon)) continue;
            const double root = std::sqrt(discriminant);
            const double nearer = -half - root;
            const double t = nearer > 0 ? nearer : -half + root;
            if (!(t > kEpsilon)) continue;
            const Vector hit{toEye.x + t * d.x, toEye.y + t * d.y, toEye.z + t * d.z};
            const Vector n = hit;
            const double along = 2 * Dot(d, n) / Dot(n, n);
            const Vector q{d.x - along * n.x, d.y - along * n.y, d.z - along * n.z};
            const double qLength = std::sqrt(Dot(q, q));
            int k = static_cast<int>(255.0 * Dot(light, q) / (lightLength * qLength));
            if (k < 0) k = 0;
            dc.SetPixelV(x, y,
                         RGB(std::min(red + k, brightest), std::min(green + k, brightest),
                             std::min(blue + k, brightest)));
        }
    }
}

}  // namespace

void CLedLamp::DrawLamp(CDC& dc, const RECT& square, COLORREF colour)
{
    const int l = square.left;
    const int t = square.top;
    const int r = square.right;
    const int b = square.bottom;
    {
        CPen shadow(PS_SOLID, 2, ::GetSysColor(COLOR_BTNSHADOW));
        CBrush dark(::GetSysColor(COLOR_3DDKSHADOW));
        CPen* oldPen = dc.SelectObject(&shadow);
        CBrush* oldBrush = dc.SelectObject(&dark);
        dc.Pie(l, t, r, b, r, t, l, b);
        dc.SelectObject(oldBrush);
        dc.SelectObject(oldPen);
    }
    {
        CPen highlight(PS_SOLID, 2, ::GetSysColor(COLOR_BTNHIGHLIGHT));
        CBrush light(::GetSysColor(COLOR_3DLIGHT));
        CPen* oldPen = dc.SelectObject(&highlight);
        CBrush* oldBrush = dc.SelectObject(&light);
        dc.Pie(l, t, r, b, l, b, r, t);
        dc.SelectObject(oldBrush);
        dc.SelectObject(oldPen);
    }
    DrawGlass(dc, square, colour);
}

void CLedLamp::SetColors(COLORREF on, COLORREF off)
{
    m_onColour.store(on);
    m_offColour.store(off);
}

void CLedLamp::SetState(bool bOn)
{
    m_on.store(bOn);
    if (m_hWnd) Invalidate(TRUE);
}

void CLedLamp::PreSubclassWindow()
{
    CStatic::PreSubclassWindow();
    SetWindowText(u"");
}

int CLedLamp::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
    if (CStatic::OnCreate(lpCreateStruct) == -1) return -1;
    SetWindowText(u"");
    return 0;
}

void CLedLamp::OnPaint()
{
    const COLORREF colour = m_on.load() ? m_onColour.load() : m_offColour.load();
    PaintOverWindowImage(*this, [colour](CDC& dc, const CRect& client) {
        const int side = std::min(client.Width(), client.Height());
        DrawLamp(dc, RECT{client.left, client.top, client.left + side, client.top + side}, colour);
    });
}
