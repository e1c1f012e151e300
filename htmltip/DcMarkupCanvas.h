// The markup canvas over a device context: fonts become GDI fonts (kept in a
// cache that outlives the canvas, so that a drawer's passes reuse them), text
// goes out with the DC's text calls, and fills, frames, rules and images
// through the drawing manager.
#pragma once

#include "htmltip/DrawManager.h"
#include "htmltip/MarkupCanvas.h"

#include <QColor>
#include <QFont>
#include <QGlyphRun>
#include <QRawFont>

#include <array>
#include <deque>
#include <memory>
#include <unordered_map>
#include <vector>

namespace htmltip {

// GDI fonts of the markup's font descriptions, with their metrics.
class MarkupFontCache {
public:
    struct Entry {
        MarkupFont font;
        std::unique_ptr<CFont> gdi;
        // Read on the first selection (height 0 until then).
        MarkupFontMetrics metrics;
        // For drawing runs as glyphs: the toolkit font behind the GDI font,
        // its glyphs, and the advance of each character as text output uses it.
        bool prepared = false;
        QFont qfont;
        QRawFont raw;
        std::unordered_map<char16_t, std::pair<quint32, int>> glyphs;
        std::array<std::pair<quint32, int>, 256> low{};
        std::array<bool, 256> lowKnown{};
    };
    static constexpr char16_t kLowCharacters = 256;
    // The entry of the font, made when missing; it stays where it is until Trim.
    Entry& Get(const MarkupFont& font);
    // Forgets every font when more than a pass needs have gathered; only
    // between passes.
    void Trim();

private:
    static constexpr std::size_t kMaxFonts = 64;
    // A deque, so entries stay where they are while others are added.
    std::deque<Entry> m_fonts;
};

class DcMarkupCanvas : public IMarkupCanvas {
public:
    // The DC's font, colours and background mode are put back when the
    // canvas goes. Without a cache the canvas keeps its fonts itself.
    DcMarkupCanvas(CDC& dc, CDrawManager& manager, MarkupFontCache* fonts = nullptr);
    ~DcMarkupCanvas() override;
    DcMarkupCanvas(const DcMarkupCanvas&) = delete;
    DcMarkupCanvas& operator=(const DcMarkupCanvas&) = delete;

    MarkupFontMetrics GetFontMetrics(const MarkupFont& font) override;
    SIZE GetTextExtent(const MarkupFont& font, std::u16string_view text) override;
    void GetPartialExtents(const MarkupFont& font, std::u16string_view text, std::vector<int>& extents) override;
    int GetLogPixelsY() override;

    void DrawText(const MarkupTextPaint& paint, int x, int y, std::u16string_view text, int justifyExtra) override;
    void DrawLine(int x1, int y1, int x2, int y2, COLORREF color, int style, int width) override;
    // The frame stays inside the rectangle (right and bottom are exclusive).
    void DrawRectangle(const RECT& rect, COLORREF topLeft, COLORREF bottomRight, int style, int width) override;
    void FillEffect(int effect, const RECT& rect, COLORREF begin, COLORREF middle, COLORREF end,
                    int granularity) override;
    void TileImage(const IMarkupImage& image, const RECT& rect) override;
    void DrawImage(const MarkupImageDraw& draw) override;

private:
    // Text waits in a batch and goes out in one painting when something
    // else is drawn or the canvas ends: text output of the drawing layer
    // costs much more per call than per character.
    struct PendingText {
        MarkupFontCache::Entry* entry = nullptr;
        std::size_t first = 0;  // in m_glyphIndexes and m_glyphPositions
        std::size_t count = 0;
        QColor color;
        bool opaque = false;
        QColor background;
        QRect cell;
        QRect underline;
    };
    // The font's entry, its metrics read.
    MarkupFontCache::Entry& Select(const MarkupFont& font);
    // The entry's font into the DC, for the DC's own text calls.
    void SelectIntoDc(MarkupFontCache::Entry& entry);
    // False when the run needs the drawing layer's own text output (a
    // character the font has no glyph for, or a surrogate pair).
    bool Batch(MarkupFontCache::Entry& entry, const MarkupTextPaint& paint, int x, int y, std::u16string_view text);
    void Flush();
    // The entry's toolkit font and raw glyphs; false when there are none.
    static bool Prepare(MarkupFontCache::Entry& entry);
    // The glyph and advance of a character (null for half a surrogate pair).
    static const std::pair<quint32, int>* Glyph(MarkupFontCache::Entry& entry, char16_t ch);

    CDC& m_dc;
    CDrawManager& m_manager;
    MarkupFontCache m_ownFonts;
    MarkupFontCache& m_fonts;
    MarkupFontCache::Entry* m_selected = nullptr;
    MarkupFontCache::Entry* m_inDc = nullptr;
    CFont* m_oldFont = nullptr;
    std::vector<PendingText> m_pending;
    std::vector<quint32> m_glyphIndexes;
    std::vector<QPointF> m_glyphPositions;
    COLORREF m_oldText;
    COLORREF m_oldBack;
    int m_oldMode;
};

}  // namespace htmltip
