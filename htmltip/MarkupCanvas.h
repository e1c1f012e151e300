// What the markup layout needs of a device: fonts described by data, text
// measuring, and the drawing operations it places. The user-interface layer
// implements it over its device contexts and drawing manager; tests implement
// it with fixed advances and record the calls.
#pragma once

#include "platform/core/CString.h"

#include <memory>
#include <string_view>
#include <vector>

namespace htmltip {

struct MarkupFont {
    CString face;
    // Cell height in logical units.
    int height = 16;
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    friend bool operator==(const MarkupFont&, const MarkupFont&) = default;
};

struct MarkupFontMetrics {
    // Character cell height and the part of it above the baseline.
    int height = 0;
    int ascent = 0;
};

// A bitmap or icon that a resource, file or registered handle gave; the
// layout only asks its size, the canvas draws it.
class IMarkupImage {
public:
    virtual ~IMarkupImage() = default;
    // For an icon, twice its hot spot.
    virtual SIZE GetSize() const = 0;
};

enum class MarkupImageKind { Bitmap, Icon };

struct MarkupTextPaint {
    MarkupFont font;
    COLORREF textColor = 0;
    // The background colour is painted behind the text only when opaque.
    bool opaque = false;
    COLORREF backgroundColor = 0xFFFFFF;
};

struct MarkupImageDraw {
    MarkupImageKind kind = MarkupImageKind::Bitmap;
    const IMarkupImage* image = nullptr;
    // Where the image goes and at which size.
    RECT rect{};
    // With cellSize set, the image is a horizontal strip and cell cellIndex is drawn.
    int cellIndex = 0;
    SIZE cellSize{};
    bool useMask = false;
    COLORREF maskColor = 0;
    // IMAGE_EFFECT_* flags.
    DWORD effects = 0;
    bool shadow = false;
    int shadowDx = 0;
    int shadowDy = 0;
    int blurX = 0;
    int blurY = 0;
    COLORREF shadowColor = 0;
};

class IMarkupCanvas {
public:
    virtual ~IMarkupCanvas() = default;

    virtual MarkupFontMetrics GetFontMetrics(const MarkupFont& font) = 0;
    // Size of the text on one line in the font.
    virtual SIZE GetTextExtent(const MarkupFont& font, std::u16string_view text) = 0;
    // extents[i] becomes the width of the first i + 1 characters. The default
    // measures every prefix; a device that can do it in one call should.
    virtual void GetPartialExtents(const MarkupFont& font, std::u16string_view text, std::vector<int>& extents);
    // Vertical pixels per logical inch.
    virtual int GetLogPixelsY() = 0;

    // Text with its top-left corner at (x, y); justifyExtra more units are
    // spread over the blanks of the text.
    virtual void DrawText(const MarkupTextPaint& paint, int x, int y, std::u16string_view text, int justifyExtra) = 0;
    // A line in a border style (0 none, 1 solid, 2 dashed, 3 dotted, 6 double).
    virtual void DrawLine(int x1, int y1, int x2, int y2, COLORREF color, int style, int width) = 0;
    // A frame: upper and left lines in topLeft, lower and right in bottomRight.
    virtual void DrawRectangle(const RECT& rect, COLORREF topLeft, COLORREF bottomRight, int style, int width) = 0;
    // A background effect (0 solid ... 15 metal) over the rectangle.
    virtual void FillEffect(int effect, const RECT& rect, COLORREF begin, COLORREF middle, COLORREF end,
                            int granularity) = 0;
    // Copies of the image side by side over the rectangle, the last ones cut.
    virtual void TileImage(const IMarkupImage& image, const RECT& rect) = 0;
    virtual void DrawImage(const MarkupImageDraw& draw) = 0;
};

}  // namespace htmltip
