// A canvas with a font of fixed advances that records what is drawn: every
// character is `advance` units wide, a font's height is its size and its
// ascent three quarters of it.
#pragma once

#include "htmltip/HtmlDrawer.h"
#include "htmltip/MarkupCanvas.h"

#include <memory>
#include <string>
#include <vector>

namespace htmltip::test {

struct DrawnText {
    int x = 0;
    int y = 0;
    std::u16string text;
    MarkupTextPaint paint;
    int extra = 0;
};

struct DrawnLine {
    int x1, y1, x2, y2;
    COLORREF color;
    int style;
    int width;
};

struct DrawnRectangle {
    RECT rect;
    COLORREF topLeft;
    COLORREF bottomRight;
    int style;
    int width;
};

struct FilledEffect {
    int effect;
    RECT rect;
    COLORREF begin;
};

class FakeCanvas : public IMarkupCanvas {
public:
    explicit FakeCanvas(int advance = 10, int logPixelsY = 96) : m_advance(advance), m_logPixelsY(logPixelsY) {}

    MarkupFontMetrics GetFontMetrics(const MarkupFont& font) override
    {
        return MarkupFontMetrics{font.height, font.height - font.height / 4};
    }
    SIZE GetTextExtent(const MarkupFont& font, std::u16string_view text) override
    {
        return SIZE{static_cast<LONG>(text.size()) * m_advance, font.height};
    }
    int GetLogPixelsY() override { return m_logPixelsY; }

    void DrawText(const MarkupTextPaint& paint, int x, int y, std::u16string_view text, int extra) override
    {
        texts.push_back(DrawnText{x, y, std::u16string(text), paint, extra});
    }
    void DrawLine(int x1, int y1, int x2, int y2, COLORREF color, int style, int width) override
    {
        lines.push_back(DrawnLine{x1, y1, x2, y2, color, style, width});
    }
    void DrawRectangle(const RECT& rect, COLORREF topLeft, COLORREF bottomRight, int style, int width) override
    {
        rectangles.push_back(DrawnRectangle{rect, topLeft, bottomRight, style, width});
    }
    void FillEffect(int effect, const RECT& rect, COLORREF begin, COLORREF, COLORREF, int) override
    {
        fills.push_back(FilledEffect{effect, rect, begin});
    }
    void TileImage(const IMarkupImage& image, const RECT& rect) override
    {
        tiles.push_back(std::make_pair(&image, rect));
    }
    void DrawImage(const MarkupImageDraw& draw) override { images.push_back(draw); }

    void Clear()
    {
        texts.clear();
        lines.clear();
        rectangles.clear();
        fills.clear();
        tiles.clear();
        images.clear();
    }
    // All drawn text joined with "|" between the pieces.
    std::u16string JoinedText() const
    {
        std::u16string joined;
        for (const DrawnText& t : texts) {
            if (!joined.empty()) joined += u'|';
            joined += t.text;
        }
        return joined;
    }

    std::vector<DrawnText> texts;
    std::vector<DrawnLine> lines;
    std::vector<DrawnRectangle> rectangles;
    std::vector<FilledEffect> fills;
    std::vector<std::pair<const IMarkupImage*, RECT>> tiles;
    std::vector<MarkupImageDraw> images;

private:
    int m_advance;
    int m_logPixelsY;
};

class FakeImage : public IMarkupImage {
public:
    FakeImage(int cx, int cy) : m_size{cx, cy} {}
    SIZE GetSize() const override { return m_size; }

private:
    SIZE m_size;
};

// A style sheet that keeps the arithmetic of layout tests simple: 16-unit text
// (ascent 12, descent 4) and nothing else.
inline constexpr const char16_t* kPlainSheet = u"body {font-size:16px}";

inline std::u16string ToU16(const std::string& s) { return std::u16string(s.begin(), s.end()); }
inline std::string ToNarrow(std::u16string_view s)
{
    std::string out;
    for (char16_t ch : s) out += ch < 0x80 ? static_cast<char>(ch) : '?';
    return out;
}

}  // namespace htmltip::test
