#include "manager/widgets/SevenSegmentDisplay.h"

#include "manager/core/NumberText.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

IMPLEMENT_DYNAMIC(CSevenSegmentDisplay, CStatic)

BEGIN_MESSAGE_MAP(CSevenSegmentDisplay, CStatic)
    ON_WM_CREATE()
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

namespace {

constexpr int kPointSegment = 8;
constexpr int kUpMarkSegment = 9;
constexpr int kDownMarkSegment = 10;
constexpr int kCommaSegment = 11;
// The seven bars of an ordinary digit.
constexpr unsigned kAllBars = 0xFEu;

constexpr unsigned Segments(std::initializer_list<int> numbers)
{
    unsigned mask = 0;
    for (const int n : numbers) mask |= 1u << n;
    return mask;
}

// The lit segments of a character; 0 for a character the display cannot show.
unsigned SegmentsOf(char16_t ch)
{
    switch (ch) {
    case u'0':
    case u'D':
    case u'O': return Segments({1, 2, 3, 4, 5, 6});
    case u'1':
    case u'I': return Segments({2, 3});
    case u'2':
    case u'Z': return Segments({1, 2, 7, 5, 4});
    case u'3': return Segments({1, 2, 7, 3, 4});
    case u'4': return Segments({6, 2, 7, 3});
    case u'5':
    case u'S': return Segments({1, 6, 7, 3, 4});
    case u'6': return Segments({1, 6, 7, 3, 4, 5});
    case u'7': return Segments({1, 2, 3});
    case u'8':
    case u'B': return Segments({1, 2, 3, 4, 5, 6, 7});
    case u'9': return Segments({1, 2, 3, 4, 6, 7});
    case u'A':
    case u'R': return Segments({1, 2, 3, 5, 6, 7});
    case u'C':
    case u'(': return Segments({1, 6, 5, 4});
    case u')': return Segments({1, 2, 3, 4});
    case u'E': return Segments({1, 6, 7, 5, 4});
    case u'F': return Segments({1, 7, 6, 5});
    case u'G': return Segments({1, 6, 5, 4, 3});
    case u'H': return Segments({6, 2, 7, 5, 3});
    case u'J': return Segments({2, 3, 4});
    case u'L': return Segments({6, 5, 4});
    case u'N': return Segments({5, 6, 1, 2, 3});
    case u'P': return Segments({1, 2, 7, 6, 5});
    case u'T': return Segments({1, 6, 5});
    case u'U':
    case u'V': return Segments({2, 3, 4, 5, 6});
    case u'Y': return Segments({6, 2, 7, 3, 4});
    case u'-': return Segments({7});
    case u'_': return Segments({4});
    case u'.': return Segments({kPointSegment});
    case u',': return Segments({kCommaSegment});
    case u'^': return Segments({kUpMarkSegment});
    case u'v': return Segments({kDownMarkSegment});
    default: return 0;
    }
}

int Truncate(double value) { return static_cast<int>(value); }

}  // namespace

CSevenSegmentDisplay::CSevenSegmentDisplay() = default;

void CSevenSegmentDisplay::SetDecimals(int nDecimals) { m_nDecimals = nDecimals; }

void CSevenSegmentDisplay::SetDigitCount(int nCount) { m_nDigitCount = nCount; }

void CSevenSegmentDisplay::SetActiveColor()
{
    m_pCurrentLit = &m_litColour;
    if (m_hWnd) Invalidate(FALSE);
}

void CSevenSegmentDisplay::SetInactiveColor()
{
    m_pCurrentLit = &m_dimLitColour;
    if (m_hWnd) Invalidate(FALSE);
}

CString CSevenSegmentDisplay::FormatValue(double dValue) const
{
    const int count = std::max(0, m_nDigitCount);
    if (std::isnan(dValue)) return CString(u'-', count);
    const int decimals = std::max(0, m_nDecimals);
    const int places = count - (m_signCell ? 1 : 0) - (decimals > 0 ? decimals + 1 : 0);
    char buffer[512];
    const int written = std::snprintf(buffer, sizeof buffer, "%*.*f", std::max(places, 0), decimals, dValue);
    // The whole part as shown, after rounding, must fit the places.
    const double shown = written > 0 && written < static_cast<int>(sizeof buffer) ? std::strtod(buffer, nullptr) : HUGE_VAL;
    if (!(std::floor(std::fabs(shown)) < std::pow(10.0, places))) return CString(dValue > 0 ? u'^' : u'v', count);
    CString text(buffer);
    text.Replace(u'.', GetNumberLocale().decimalSeparator);
    return text;
}

void CSevenSegmentDisplay::SetValue(double dValue) { SetText(FormatValue(dValue)); }

void CSevenSegmentDisplay::SetText(const CString& text)
{
    // Refreshed on every status tick: the same figures are not drawn again.
    if (text == m_strText) return;
    m_strText = text;
    if (m_hWnd) Invalidate(FALSE);
}

void CSevenSegmentDisplay::TakeWindowText()
{
    CString caption;
    GetWindowText(caption);
    if (!caption.IsEmpty()) m_strText = caption;
    SetWindowText(u"");
}

void CSevenSegmentDisplay::PreSubclassWindow()
{
    CStatic::PreSubclassWindow();
    TakeWindowText();
}

int CSevenSegmentDisplay::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
    if (CStatic::OnCreate(lpCreateStruct) == -1) return -1;
    TakeWindowText();
    return 0;
}

BOOL CSevenSegmentDisplay::OnEraseBkgnd(CDC*)
{
    // The paint covers the whole client area.
    return TRUE;
}

void CSevenSegmentDisplay::ComputeSegments(const RECT& cell, int clientHeight)
{
    const int c = cell.right - cell.left;
    const int H = cell.bottom - cell.top;
    const double b = m_thickness;
    const int h = H / 2;
    const int m = m_nMargin;
    m_segments[1] = {{1, 0}, {c - 1, 0}, {Truncate(c - b), Truncate(b)}, {Truncate(b + 1), Truncate(b)}};
    m_segments[2] = {{c, 1}, {c, h - 1}, {Truncate(c - b + 1), Truncate((H - b) / 2 - 1)}, {Truncate(c - b + 1), Truncate(b + 1)}};
    m_segments[3] = {{c, H - 1}, {c, h + 1}, {Truncate(c - b + 1), Truncate((b + H) / 2 + 1)}, {Truncate(c - b + 1), Truncate(H - b)}};
    m_segments[4] = {{1, H}, {c - 1, H}, {Truncate(c - b), Truncate(H - b + 1)}, {Truncate(b + 1), Truncate(H - b + 1)}};
    m_segments[5] = {{0, H - 1}, {0, h + 1}, {Truncate(b), Truncate((b + H) / 2 + 1)}, {Truncate(b), Truncate(H - b)}};
    m_segments[6] = {{0, 1}, {0, h - 1}, {Truncate(b), Truncate((H - b) / 2 - 1)}, {Truncate(b), Truncate(b + 1)}};
    m_segments[7] = {{1, h},
                     {Truncate(b + 1), Truncate((H - b) / 2)},
                     {Truncate(c - b), Truncate((H - b) / 2)},
                     {c - 1, h},
                     {Truncate(c - b), Truncate((b + H) / 2)},
                     {Truncate(b + 1), Truncate((b + H) / 2)}};
    m_segments[8] = {{1 - 2 * m, H}, {-2, H}, {-2, Truncate(H - b + 1)}, {1 - 2 * m, Truncate(H - b + 1)}};
    m_segments[9] = {{Truncate(b / 2), Truncate(h - b / 2)}, {Truncate(c - b / 2), Truncate(h - b / 2)}, {c / 2, Truncate(b)}};
    m_segments[10] = {{Truncate(b / 2), Truncate(h + b / 2)}, {Truncate(c - b / 2), Truncate(h + b / 2)}, {c / 2, Truncate(H - b)}};
    m_segments[11] = {{1 - 2 * m, H}, {-2, Truncate(H - b)}, {-2, Truncate(H - 2 * b + 1)}, {1 - 2 * m, Truncate(H - 2 * b + 1)}};
    m_geometryReady = true;
    m_geometryHeight = clientHeight;
}

void CSevenSegmentDisplay::DrawSegment(CDC& dc, int segment, const RECT& cell, COLORREF colour)
{
    std::vector<POINT> points = m_segments[static_cast<std::size_t>(segment)];
    for (POINT& p : points) {
        p.x += cell.left;
        p.y += cell.top;
    }
    CPen pen(PS_SOLID, 1, colour);
    CBrush brush(colour);
    CPen* oldPen = dc.SelectObject(&pen);
    CBrush* oldBrush = dc.SelectObject(&brush);
    dc.Polygon(points.data(), static_cast<int>(points.size()));
    dc.SelectObject(oldBrush);
    dc.SelectObject(oldPen);
}

void CSevenSegmentDisplay::DrawEmptyCell(CDC& dc, const RECT& cell)
{
    for (int segment = 1; segment <= 7; ++segment) DrawSegment(dc, segment, cell, m_unlitColour);
}

void CSevenSegmentDisplay::DrawCharacter(CDC& dc, char16_t ch, const RECT& cell)
{
    const unsigned lit = SegmentsOf(ch);
    const bool onlyItsOwn = ch == u'.' || ch == u',';
    for (int segment = 1; segment <= kSegmentCount; ++segment) {
        const bool on = (lit >> segment) & 1u;
        if (on) {
            DrawSegment(dc, segment, cell, *m_pCurrentLit);
        } else if (!onlyItsOwn && ((kAllBars >> segment) & 1u)) {
            DrawSegment(dc, segment, cell, m_unlitColour);
        }
    }
}

void CSevenSegmentDisplay::OnPaint()
{
    CPaintDC paint(this);
    CRect client;
    GetClientRect(&client);
    const int width = client.Width();
    const int height = client.Height();
    if (width <= 0 || height <= 0) return;

    CDC memory;
    memory.CreateCompatibleDC(&paint);
    CBitmap bitmap;
    bitmap.CreateCompatibleBitmap(&paint, width, height);
    CBitmap* oldBitmap = memory.SelectObject(&bitmap);

    CBrush background(m_backColour);
    CBrush* oldBrush = memory.SelectObject(&background);
    memory.Rectangle(0, 0, width, height);
    memory.SelectObject(oldBrush);

    const double cellSpan = height * static_cast<double>(m_cellRatio) - 2 * m_nMargin;
    m_thickness = cellSpan * static_cast<double>(m_thicknessRatio);
    m_gap = cellSpan * static_cast<double>(m_gapRatio);
    const int cellWidth = static_cast<int>(height * static_cast<double>(m_cellRatio));
    auto cellRect = [&](int i) {
        return RECT{m_nMargin + 5 + i * cellWidth, m_nMargin, cellWidth + 4 - m_nMargin + i * cellWidth,
                    height - 1 - m_nMargin};
    };
    // The shapes follow the cell size, which follows the height alone.
    if (!m_geometryReady || m_geometryHeight != height) ComputeSegments(cellRect(0), height);

    const std::u16string_view text = m_strText.view();
    const int length = static_cast<int>(text.size());
    const bool right = (GetStyle() & SS_TYPEMASK) == SS_RIGHT;
    const char16_t separator = GetNumberLocale().decimalSeparator;
    // A separator followed by a character shares that character's cell, so
    // right alignment counts cells, not characters.
    int cellsUsed = 0;
    for (int i = 0; i < length; ++i, ++cellsUsed) {
        if (text[static_cast<std::size_t>(i)] == separator && i + 1 < length) ++i;
    }
    const int firstCell = right ? std::max(0, m_nDigitCount - cellsUsed) : 0;
    int next = 0;
    for (int i = 0; i < m_nDigitCount; ++i) {
        const RECT cell = cellRect(i);
        if (i < firstCell || next >= length) {
            DrawEmptyCell(memory, cell);
            continue;
        }
        char16_t ch = text[static_cast<std::size_t>(next++)];
        if (ch == separator) {
            // The separator sits in the gap before the cell, and the next
            // character takes the cell.
            DrawSegment(memory, kPointSegment, cell, *m_pCurrentLit);
            if (next >= length) {
                DrawEmptyCell(memory, cell);
                continue;
            }
            ch = text[static_cast<std::size_t>(next++)];
        }
        if (SegmentsOf(ch) == 0) {
            DrawEmptyCell(memory, cell);
        } else {
            DrawCharacter(memory, ch, cell);
        }
    }

    paint.BitBlt(0, 0, width, height, &memory, 0, 0, SRCCOPY);
    memory.SelectObject(oldBitmap);
}
