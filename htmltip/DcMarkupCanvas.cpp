#include "htmltip/DcMarkupCanvas.h"

#include "htmltip/GdiMarkupImage.h"

#include "platform/ui/DcPixels.h"
#include "platform/ui/WindowSurface.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

namespace htmltip {

namespace {

constexpr BYTE kDrawerBlend = 0;

// An image of this drawing layer; others cannot be drawn here.
const GdiMarkupImage* AsGdi(const IMarkupImage* image) { return dynamic_cast<const GdiMarkupImage*>(image); }

}  // namespace

MarkupFontCache::Entry& MarkupFontCache::Get(const MarkupFont& font)
{
    const auto it = std::find_if(m_fonts.begin(), m_fonts.end(), [&](const Entry& e) { return e.font == font; });
    if (it != m_fonts.end()) return *it;
    LOGFONT lf;
    lf.lfHeight = font.height;
    lf.lfWeight = font.weight;
    lf.lfItalic = font.italic ? 1 : 0;
    lf.lfUnderline = font.underline ? 1 : 0;
    lf.lfStrikeOut = font.strikeOut ? 1 : 0;
    lf.lfCharSet = DEFAULT_CHARSET;
    const int n = std::clamp(font.face.GetLength(), 0, LF_FACESIZE - 1);
    std::memcpy(lf.lfFaceName, font.face.GetString(), static_cast<std::size_t>(n) * sizeof(WCHAR));
    Entry& entry = m_fonts.emplace_back();
    entry.font = font;
    entry.gdi = std::make_unique<CFont>();
    entry.gdi->CreateFontIndirect(&lf);
    return entry;
}

void MarkupFontCache::Trim()
{
    if (m_fonts.size() > kMaxFonts) m_fonts.clear();
}

DcMarkupCanvas::DcMarkupCanvas(CDC& dc, CDrawManager& manager, MarkupFontCache* fonts)
    : m_dc(dc),
      m_manager(manager),
      m_fonts(fonts ? *fonts : m_ownFonts),
      m_oldText(dc.GetTextColor()),
      m_oldBack(dc.GetBkColor()),
      m_oldMode(dc.GetBkMode())
{
    m_fonts.Trim();
}

DcMarkupCanvas::~DcMarkupCanvas()
{
    Flush();
    if (m_inDc) m_dc.SelectObject(m_oldFont);
    m_dc.SetTextColor(m_oldText);
    m_dc.SetBkColor(m_oldBack);
    m_dc.SetBkMode(m_oldMode);
}

MarkupFontCache::Entry& DcMarkupCanvas::Select(const MarkupFont& font)
{
    // Only the entry: a run's text mostly goes out as glyphs and its size
    // comes from the cache, so the DC gets the font only when it draws or
    // measures with it itself (SelectIntoDc).
    if (m_selected && m_selected->font == font) return *m_selected;
    MarkupFontCache::Entry& chosen = m_fonts.Get(font);
    m_selected = &chosen;
    if (chosen.metrics.height == 0) {
        SelectIntoDc(chosen);
        TEXTMETRIC tm;
        if (m_dc.GetTextMetrics(&tm)) {
            chosen.metrics.height = tm.tmHeight;
            chosen.metrics.ascent = tm.tmAscent;
        }
    }
    return chosen;
}

void DcMarkupCanvas::SelectIntoDc(MarkupFontCache::Entry& entry)
{
    if (m_inDc == &entry) return;
    CFont* previous = m_dc.SelectObject(entry.gdi.get());
    if (!m_inDc) m_oldFont = previous;
    m_inDc = &entry;
}

MarkupFontMetrics DcMarkupCanvas::GetFontMetrics(const MarkupFont& font) { return Select(font).metrics; }

SIZE DcMarkupCanvas::GetTextExtent(const MarkupFont& font, std::u16string_view text)
{
    MarkupFontCache::Entry& entry = Select(font);
    // The sum of the characters' advances, as the drawing layer measures
    // (no kerning); worked out from the cache where it can be.
    if (Prepare(entry)) {
        int width = 0;
        bool known = true;
        for (const char16_t ch : text) {
            const std::pair<quint32, int>* glyph = Glyph(entry, ch);
            if (!glyph) {
                known = false;
                break;
            }
            width += glyph->second;
        }
        if (known) return SIZE{width, entry.metrics.height};
    }
    SelectIntoDc(entry);
    return m_dc.GetTextExtent(text.data(), static_cast<int>(text.size()));
}

void DcMarkupCanvas::GetPartialExtents(const MarkupFont& font, std::u16string_view text, std::vector<int>& extents)
{
    // Adds up the cached advances as GetTextExtent does, in one pass; from a
    // character the cache cannot give on, every prefix is measured whole.
    extents.resize(text.size());
    MarkupFontCache::Entry& entry = Select(font);
    std::size_t i = 0;
    if (Prepare(entry)) {
        int width = 0;
        for (; i < text.size(); ++i) {
            const std::pair<quint32, int>* glyph = Glyph(entry, text[i]);
            if (!glyph) break;
            width += glyph->second;
            extents[i] = width;
        }
    }
    for (; i < text.size(); ++i) extents[i] = GetTextExtent(font, text.substr(0, i + 1)).cx;
}

bool DcMarkupCanvas::Prepare(MarkupFontCache::Entry& entry)
{
    if (!entry.prepared) {
        entry.prepared = true;
        entry.qfont = platform::FontFromHandle(*entry.gdi);
        entry.raw = QRawFont::fromFont(entry.qfont);
    }
    return entry.raw.isValid();
}

const std::pair<quint32, int>* DcMarkupCanvas::Glyph(MarkupFontCache::Entry& entry, char16_t ch)
{
    if (ch >= 0xD800 && ch <= 0xDFFF) return nullptr;
    // The first characters, which most text is made of, by index.
    const bool low = ch < MarkupFontCache::kLowCharacters;
    if (low && entry.lowKnown[ch]) return &entry.low[ch];
    auto found = entry.glyphs.find(ch);
    if (found == entry.glyphs.end()) {
        const QVector<quint32> glyph = entry.raw.glyphIndexesForString(QString(QChar(ch)));
        const quint32 index = glyph.size() == 1 ? glyph.front() : 0;
        const int advance = QFontMetrics(entry.qfont).horizontalAdvance(QChar(ch));
        found = entry.glyphs.emplace(ch, std::make_pair(index, advance)).first;
    }
    if (low) {
        entry.low[ch] = found->second;
        entry.lowKnown[ch] = true;
    }
    return &found->second;
}

int DcMarkupCanvas::GetLogPixelsY()
{
    const int v = m_dc.GetDeviceCaps(LOGPIXELSY);
    return v > 0 ? v : 96;
}

void DcMarkupCanvas::DrawText(const MarkupTextPaint& paint, int x, int y, std::u16string_view text, int justifyExtra)
{
    if (text.empty()) return;
    MarkupFontCache::Entry& entry = Select(paint.font);
    const int blanks = static_cast<int>(std::count(text.begin(), text.end(), u' '));
    const bool justify = justifyExtra > 0 && blanks > 0;
    if (!justify && Batch(entry, paint, x, y, text)) return;
    Flush();
    SelectIntoDc(entry);
    m_dc.SetTextColor(paint.textColor);
    m_dc.SetBkColor(paint.backgroundColor);
    m_dc.SetBkMode(paint.opaque ? OPAQUE : TRANSPARENT);
    if (justify) m_dc.SetTextJustification(justifyExtra, blanks);
    m_dc.TextOut(x, y, text.data(), static_cast<int>(text.size()));
    if (justify) m_dc.SetTextJustification(0, 0);
}

bool DcMarkupCanvas::Batch(MarkupFontCache::Entry& entry, const MarkupTextPaint& paint, int x, int y,
                           std::u16string_view text)
{
    // Struck-out text keeps the drawing layer's own line.
    if (!Prepare(entry) || entry.qfont.strikeOut()) return false;
    // The glyphs of every waiting run share two arrays, kept from flush to
    // flush: a run costs no memory of its own.
    const std::size_t first = m_glyphIndexes.size();
    // One glyph per character at whole-pixel advances, the way the drawing
    // layer places text, so the pixels are the same.
    int advance = 0;
    const int baseline = y + entry.metrics.ascent;
    for (const char16_t ch : text) {
        const std::pair<quint32, int>* glyph = Glyph(entry, ch);
        // A character the font lacks comes from another font there.
        if (!glyph || (glyph->first == 0 && ch != u' ')) {
            m_glyphIndexes.resize(first);
            m_glyphPositions.resize(first);
            return false;
        }
        m_glyphIndexes.push_back(glyph->first);
        m_glyphPositions.emplace_back(x + advance, baseline);
        advance += glyph->second;
    }
    PendingText& pending = m_pending.emplace_back();
    pending.entry = &entry;
    pending.first = first;
    pending.count = m_glyphIndexes.size() - first;
    pending.color = QColor(GetRValue(paint.textColor), GetGValue(paint.textColor), GetBValue(paint.textColor));
    pending.opaque = paint.opaque;
    pending.background =
        QColor(GetRValue(paint.backgroundColor), GetGValue(paint.backgroundColor), GetBValue(paint.backgroundColor));
    pending.cell = QRect(x, y, advance, entry.metrics.height);
    if (entry.qfont.underline()) {
        // Where the toolkit puts it under characters drawn one by one.
        const QFontMetricsF decoration(entry.qfont);
        const int top = baseline + static_cast<int>(std::ceil(decoration.underlinePos()));
        const int thickness = std::max(1, static_cast<int>(std::lround(decoration.lineWidth())));
        pending.underline = QRect(x, top, advance, thickness);
    }
    return true;
}

void DcMarkupCanvas::Flush()
{
    if (m_pending.empty()) return;
    QRect box;
    for (const PendingText& p : m_pending) {
        // Room for slanted and decorated glyphs beyond the cell.
        const int h = p.cell.height();
        box |= p.cell.adjusted(-h / 2 - 2, -2, h / 2 + 2, h / 4 + 4);
    }
    RECT clip{};
    if (m_dc.GetClipBox(&clip) != ERROR && clip.right > clip.left && clip.bottom > clip.top)
        box &= QRect(clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top);
    if (!box.isEmpty()) {
        // One painter for all the text since the last other drawing, on the
        // DC's own pixels; the box bounds it as it bounds the text's cells.
        platform::PaintOnDc(m_dc.GetSafeHdc(), box, [&](QPainter& painter) {
            painter.setClipRect(box, Qt::IntersectClip);
            QGlyphRun run;
            QColor pen;
            for (const PendingText& p : m_pending) {
                if (p.opaque) painter.fillRect(p.cell, p.background);
                // A new pen only for a new colour: the painter's state work
                // for each costs more than a short run's glyphs.
                if (!pen.isValid() || pen != p.color) {
                    pen = p.color;
                    painter.setPen(pen);
                }
                run.setRawFont(p.entry->raw);
                run.setRawData(m_glyphIndexes.data() + p.first, m_glyphPositions.data() + p.first,
                               static_cast<int>(p.count));
                painter.drawGlyphRun(QPointF(0, 0), run);
                if (!p.underline.isEmpty()) painter.fillRect(p.underline, p.color);
            }
        });
    }
    m_pending.clear();
    m_glyphIndexes.clear();
    m_glyphPositions.clear();
}

void DcMarkupCanvas::DrawLine(int x1, int y1, int x2, int y2, COLORREF color, int style, int width)
{
    Flush();
    m_manager.DrawLine(&m_dc, x1, y1, x2, y2, color, style, width);
}

void DcMarkupCanvas::DrawRectangle(const RECT& rect, COLORREF topLeft, COLORREF bottomRight, int style, int width)
{
    Flush();
    m_manager.DrawRectangle(&m_dc, rect.left, rect.top, rect.right - 1, rect.bottom - 1, topLeft, bottomRight, style,
                            width);
}

void DcMarkupCanvas::FillEffect(int effect, const RECT& rect, COLORREF begin, COLORREF middle, COLORREF end,
                                int granularity)
{
    Flush();
    m_manager.FillEffect(&m_dc, effect, rect, begin, middle, end, static_cast<BYTE>(std::clamp(granularity, 0, 255)),
                         kDrawerBlend);
}

void DcMarkupCanvas::TileImage(const IMarkupImage& image, const RECT& rect)
{
    Flush();
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
    Flush();
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
