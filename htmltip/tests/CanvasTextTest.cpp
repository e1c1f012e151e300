// Text that the markup canvas paints in batches looks exactly like the
// drawing layer's own text output, whatever the font and background.
#include "htmltip/DcMarkupCanvas.h"
#include "htmltip/tests/GdiTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace htmltip;
using namespace htmltip::test;

namespace {

TEST(CanvasText, BatchedTextMatchesTheDrawingLayer)
{
    const struct {
        const char* name;
        MarkupFont font;
        bool opaque;
        std::u16string text;
    } cases[] = {
        {"plain", MarkupFont{u"Verdana", 13, 400, false, false, false}, false, u"K12 speed limit 250 mm/s"},
        {"bold", MarkupFont{u"Verdana", 16, 700, false, false, false}, false, u"Axis 1: Jog +"},
        {"italic", MarkupFont{u"Verdana", 13, 400, true, false, false}, false, u"speed limit"},
        {"underlined", MarkupFont{u"Verdana", 13, 400, false, true, false}, false, u"link to the help"},
        {"large underlined", MarkupFont{u"Verdana", 29, 700, false, true, false}, false, u"Link"},
        {"opaque background", MarkupFont{u"Verdana", 13, 400, false, false, false}, true, u"marked"},
        {"struck out", MarkupFont{u"Verdana", 13, 400, false, false, true}, false, u"old value"},
        {"Japanese", MarkupFont{u"MS UI Gothic", 12, 400, false, false, false}, false, u"速度 250 mm/s"},
        {"Japanese in a Latin face", MarkupFont{u"Verdana", 13, 400, false, false, false}, false, u"位置 12"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MarkupTextPaint paint;
        paint.font = c.font;
        paint.textColor = RGB(20, 40, 160);
        paint.opaque = c.opaque;
        paint.backgroundColor = RGB(255, 208, 128);

        MemoryDc direct(260, 40, RGB(255, 255, 225));
        {
            LOGFONT lf;
            lf.lfHeight = c.font.height;
            lf.lfWeight = c.font.weight;
            lf.lfItalic = c.font.italic;
            lf.lfUnderline = c.font.underline;
            lf.lfStrikeOut = c.font.strikeOut;
            lf.lfCharSet = DEFAULT_CHARSET;
            std::copy(c.font.face.view().begin(), c.font.face.view().end(), lf.lfFaceName);
            CFont gdi;
            gdi.CreateFontIndirect(&lf);
            CFont* old = direct->SelectObject(&gdi);
            direct->SetTextColor(paint.textColor);
            direct->SetBkColor(paint.backgroundColor);
            direct->SetBkMode(c.opaque ? OPAQUE : TRANSPARENT);
            direct->TextOut(7, 9, c.text.data(), static_cast<int>(c.text.size()));
            direct->SelectObject(old);
        }
        MemoryDc batched(260, 40, RGB(255, 255, 225));
        CDrawManager manager;
        {
            DcMarkupCanvas canvas(batched.dc(), manager);
            canvas.DrawText(paint, 7, 9, c.text, 0);
        }
        EXPECT_TRUE(direct.Image() == batched.Image());
    }
}

// Line breaking reads the widths of all prefixes in one call; they must be the
// widths the canvas gives each prefix measured alone.
TEST(CanvasText, PartialExtentsAreThePrefixWidths)
{
    const struct {
        const char* name;
        MarkupFont font;
        std::u16string text;
    } cases[] = {
        {"plain", MarkupFont{u"Verdana", 13, 400, false, false, false}, u"K12 speed limit 250 mm/s"},
        {"bold", MarkupFont{u"Verdana", 16, 700, false, false, false}, u"Axis 1: Jog +"},
        {"Japanese", MarkupFont{u"MS UI Gothic", 12, 400, false, false, false}, u"速度 250 mm/s"},
        {"a character outside the basic plane", MarkupFont{u"Verdana", 13, 400, false, false, false},
         u"ab\U0001D11Ecd ef"},
        {"empty", MarkupFont{u"Verdana", 13, 400, false, false, false}, u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryDc memory(260, 40, RGB(255, 255, 225));
        CDrawManager manager;
        DcMarkupCanvas canvas(memory.dc(), manager);
        std::vector<int> extents{1, 2, 3};
        canvas.GetPartialExtents(c.font, c.text, extents);
        ASSERT_EQ(extents.size(), c.text.size());
        for (std::size_t i = 0; i < c.text.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(extents[i], canvas.GetTextExtent(c.font, std::u16string_view(c.text).substr(0, i + 1)).cx);
        }
    }
}

}  // namespace
