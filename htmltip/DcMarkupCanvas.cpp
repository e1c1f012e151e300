#include "htmltip/DcMarkupCanvas.h"

#include "htmltip/GdiMarkupImage.h"

#include <algorithm>
#include <cstring>

namespace htmltip {

namespace {

constexpr BYTE kDrawerBlend = 0;

// An image of this drawing layer; others cannot be drawn here.
const GdiMarkupImage* AsGdi(const IMarkupImage* image) { return dynamic_cast<const GdiMarkupImage*>(image); }

}  // namespace

DcMarkupCanvas::DcMarkupCanvas(CDC& dc, CDrawManager& manager)
    : m_dc(dc), m_manager(manager), m_oldText(dc.GetTextColor()), m_oldBack(dc.GetBkColor()), m_oldMode(dc.GetBkMode())
{
}

DcMarkupCanvas::~DcMarkupCanvas()
{
    if (m_selected) m_dc.SelectObject(m_oldFont);
    m_dc.SetTextColor(m_oldText);
    m_dc.SetBkColor(m_oldBack);
    m_dc.SetBkMode(m_oldMode);
}

DcMarkupCanvas::CachedFont& DcMarkupCanvas::Select(const MarkupFont& font)
{
    if (m_selected && m_selected->font == font) return *m_selected;
    auto it = std::find_if(m_fonts.begin(), m_fonts.end(), [&](const CachedFont& c) { return c.font == font; });
    if (it == m_fonts.end()) {
        LOGFONT lf;
        lf.lfHeight = font.height;
        lf.lfWeight = font.weight;
        lf.lfItalic = font.italic ? 1 : 0;
        lf.lfUnderline = font.underline ? 1 : 0;
        lf.lfStrikeOut = font.strikeOut ? 1 : 0;
        lf.lfCharSet = DEFAULT_CHARSET;
        const int n = std::clamp(font.face.GetLength(), 0, LF_FACESIZE - 1);
        std::memcpy(lf.lfFaceName, font.face.GetString(), static_cast<std::size_t>(n) * sizeof(WCHAR));
        CachedFont& entry = m_fonts.emplace_back();
        entry.font = font;
        entry.gdi = std::make_unique<CFont>();
        entry.gdi->CreateFontIndirect(&lf);
        it = std::prev(m_fonts.end());
    }
    CachedFont& chosen = *it;
    CFont* previous = m_dc.SelectObject(chosen.gdi.get());
    if (!m_selected) m_oldFont = previous;
    m_selected = &chosen;
    TEXTMETRIC tm;
    if (chosen.metrics.height == 0 && m_dc.GetTextMetrics(&tm)) {
        chosen.metrics.height = tm.tmHeight;
        chosen.metrics.ascent = tm.tmAscent;
    }
    return chosen;
}

MarkupFontMetrics DcMarkupCanvas::GetFontMetrics(const MarkupFont& font) { return Select(font).metrics; }

SIZE DcMarkupCanvas::GetTextExtent(const MarkupFont& font, std::u16string_view text)
{
    Select(font);
    return m_dc.GetTextExtent(text.data(), static_cast<int>(text.size()));
}

int DcMarkupCanvas::GetLogPixelsY()
{
    const int v = m_dc.GetDeviceCaps(LOGPIXELSY);
    return v > 0 ? v : 96;
}

void DcMarkupCanvas::DrawText(const MarkupTextPaint& paint, int x, int y, std::u16string_view text, int justifyExtra)
{
    if (text.empty()) return;
    Select(paint.font);
    m_dc.SetTextColor(paint.textColor);
    m_dc.SetBkColor(paint.backgroundColor);
    m_dc.SetBkMode(paint.opaque ? OPAQUE : TRANSPARENT);
    const int blanks = static_cast<int>(std::count(text.begin(), text.end(), u' '));
    if (justifyExtra > 0 && blanks > 0) m_dc.SetTextJustification(justifyExtra, blanks);
    m_dc.TextOut(x, y, text.data(), static_cast<int>(text.size()));
    if (justifyExtra > 0 && blanks > 0) m_dc.SetTextJustification(0, 0);
}

void DcMarkupCanvas::DrawLine(int x1, int y1, int x2, int y2, COLORREF color, int style, int width)
{
    m_manager.DrawLine(&m_dc, x1, y1, x2, y2, color, style, width);
}

void DcMarkupCanvas::DrawRectangle(const RECT& rect, COLORREF topLeft, COLORREF bottomRight, int style, int width)
{
    m_manager.DrawRectangle(&m_dc, rect.left, rect.top, rect.right - 1, rect.bottom - 1, topLeft, bottomRight, style,
                            width);
}

void DcMarkupCanvas::FillEffect(int effect, const RECT& rect, COLORREF begin, COLORREF middle, COLORREF end,
                                int granularity)
{
    m_manager.FillEffect(&m_dc, effect, rect, begin, middle, end, static_cast<BYTE>(std::clamp(granularity, 0, 255)),
                         kDrawerBlend);
}

void DcMarkupCanvas::TileImage(const IMarkupImage& image, const RECT& rect)
{
    const GdiMarkupImage* gdi = AsGdi(&image);
    if (!gdi || gdi->IsIcon()) return;
    const SIZE size = gdi->GetSize();
    CDC source;
    if (!source.CreateCompatibleDC(&m_dc)) return;
    CBitmap* old = source.SelectObject(CBitmap::FromHandle(gdi->Bitmap()));
    m_manager.MultipleCopy(&m_dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, &source, 0, 0,
                           size.cx, size.cy);
    source.SelectObject(old);
}

void DcMarkupCanvas::DrawImage(const MarkupImageDraw& draw)
{
    const GdiMarkupImage* gdi = AsGdi(draw.image);
    if (!gdi) return;
    const int x = draw.rect.left;
    const int y = draw.rect.top;
    const int cx = draw.rect.right - draw.rect.left;
    const int cy = draw.rect.bottom - draw.rect.top;
    const BOOL shadow = draw.shadow ? TRUE : FALSE;
    if (gdi->IsIcon()) {
        m_manager.DrawIcon(&m_dc, x, y, cx, cy, gdi->Icon(), draw.effects, shadow, draw.shadowDx, draw.shadowDy,
                           draw.blurX, draw.blurY, draw.shadowColor);
    } else if (draw.cellSize.cx > 0 && draw.cellSize.cy > 0) {
        m_manager.DrawImageList(&m_dc, x, y, cx, cy, gdi->Bitmap(), draw.cellIndex, draw.cellSize.cx, draw.cellSize.cy,
                                draw.useMask ? TRUE : FALSE, draw.maskColor, draw.effects, shadow, draw.shadowDx,
                                draw.shadowDy, draw.blurX, draw.blurY, draw.shadowColor);
    } else {
        m_manager.DrawBitmap(&m_dc, x, y, cx, cy, gdi->Bitmap(), draw.useMask ? TRUE : FALSE, draw.maskColor,
                             draw.effects, shadow, draw.shadowDx, draw.shadowDy, draw.blurX, draw.blurY,
                             draw.shadowColor);
    }
}

}  // namespace htmltip
