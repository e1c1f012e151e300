// The markup canvas over a device context: fonts become GDI fonts (kept for
// the canvas's life), text goes out with the DC's text calls, and fills,
// frames, rules and images through the drawing manager.
#pragma once

#include "htmltip/DrawManager.h"
#include "htmltip/MarkupCanvas.h"

#include <deque>
#include <memory>

namespace htmltip {

class DcMarkupCanvas : public IMarkupCanvas {
public:
    // The DC's font, colours and background mode are put back when the canvas goes.
    DcMarkupCanvas(CDC& dc, CDrawManager& manager);
    ~DcMarkupCanvas() override;
    DcMarkupCanvas(const DcMarkupCanvas&) = delete;
    DcMarkupCanvas& operator=(const DcMarkupCanvas&) = delete;

    MarkupFontMetrics GetFontMetrics(const MarkupFont& font) override;
    SIZE GetTextExtent(const MarkupFont& font, std::u16string_view text) override;
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
    struct CachedFont {
        MarkupFont font;
        std::unique_ptr<CFont> gdi;
        MarkupFontMetrics metrics;
    };
    CachedFont& Select(const MarkupFont& font);

    CDC& m_dc;
    CDrawManager& m_manager;
    // A deque, so the selected entry stays where it is while others are added.
    std::deque<CachedFont> m_fonts;
    CachedFont* m_selected = nullptr;
    CFont* m_oldFont = nullptr;
    COLORREF m_oldText;
    COLORREF m_oldBack;
    int m_oldMode;
};

}  // namespace htmltip
