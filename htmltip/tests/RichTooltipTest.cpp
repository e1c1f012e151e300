// Rich tooltips laid out and drawn into a memory DC with the pinned fonts:
// text styles, a table with spans and background effects, images and a link,
// in English and in Japanese.
#include "htmltip/GdiMarkupImage.h"
#include "htmltip/HtmlDrawer.h"
#include "htmltip/MarkupHandleTable.h"
#include "htmltip/tests/FakeServices.h"
#include "htmltip/tests/GdiTestSupport.h"

#include "platform/ui/ImageFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include <unistd.h>

using namespace htmltip;
using namespace htmltip::test;

namespace {

// Text pixels may differ slightly where glyph edges are smoothed.
constexpr int kTextTolerance = 48;

// Prepares the markup, draws it on a pale background and returns the image.
QImage Render(CHtmlDrawer& drawer, const std::u16string& markup, SIZE* sizeOut = nullptr)
{
    MemoryDc measure(1, 1);
    const SIZE size = drawer.PrepareOutput(&measure.dc(), CString(markup));
    if (sizeOut) *sizeOut = size;
    if (size.cx <= 0 || size.cy <= 0) return QImage();
    MemoryDc tip(size.cx + 8, size.cy + 8, RGB(255, 255, 225));
    drawer.DrawPreparedOutput(&tip.dc(), RECT{4, 4, 4 + size.cx, 4 + size.cy});
    return tip.Image();
}

void ExpectGolden(const QImage& image, const std::string& name)
{
    ASSERT_FALSE(image.isNull());
    ExpectMatchesGolden(image, name, kTextTolerance, image.width() * image.height() / 200);
}

const char16_t* const kStyledText =
    u"<h1>Axis 1 <i>parameters</i></h1><br>"
    u"<b>Bold</b>, <i>italic</i>, <u>underlined</u>, <s>struck</s> and <font style=\"+o\">overlined</font> "
    u"text.<br>"
    u"<font color=#c00000>Red</font>, <font color=green size=5>large green</font>, "
    u"<font bkgnd=#ffd080>marked</font>, <code>code</code>, x<sup>2</sup> and H<sub>2</sub>O.<br>"
    u"<center>centred line</center><br>"
    u"<right>right-aligned line</right><br>"
    u"<span class=upper>upper case</span> &amp; <span class=capital>every word capital</span><br>"
    u"<hr width=80% size=2 color=#4060a0>"
    u"Tabs:<t>one<t>two<t=2>three";

TEST(RichTooltip, TextStyles)
{
    CHtmlDrawer drawer;
    drawer.SetStyle(u".upper", u"text-transform:uppercase; color:#006060");
    drawer.SetStyle(u".capital", u"text-transform:capitalize; font-style:italic");
    ExpectGolden(Render(drawer, kStyledText), "tip_text_styles");
}

TEST(RichTooltip, WrappedParagraph)
{
    CHtmlDrawer drawer;
    drawer.SetMaxWidth(220);
    SIZE size{};
    const QImage image =
        Render(drawer,
               u"<b>Speed:</b> the highest speed of the move in mm/s, limited by the actuator's rating; "
               u"a longer word such as acceleration-deceleration-profile is cut where it must.",
               &size);
    EXPECT_LE(size.cx, 221);
    ExpectGolden(image, "tip_wrapped");
}

TEST(RichTooltip, TableWithSpansAndBackgroundEffects)
{
    CHtmlDrawer drawer;
    drawer.GetDrawManager().SetNoiseSeed(1);
    const std::u16string markup =
        u"<table border=1 bordercolor=#406080 cellpadding=3 cellspacing=1 bgeffect=vgradient bgcolor=#ffffff "
        u"bgendcolor=#c0d8ff>"
        u"<tr><td colspan=3 align=center bgeffect=hgradient bgcolor=#204080 bgendcolor=#80a0e0>"
        u"<font color=white><b>Move profile</b></font></td></tr>"
        u"<tr><td rowspan=2 bgeffect=vbump bgcolor=#ffe0a0 bgmidcolor=#ffc040 bgendcolor=#c08000 valign=middle>"
        u"Point<br>1</td>"
        u"<td>Speed</td><td align=right>250 mm/s</td></tr>"
        u"<tr><td>Accel.</td><td align=right bgeffect=noise bgcolor=#e0e0e0 bgmidcolor=#d0d0d0 "
        u"bgendcolor=#c0c0c0>0.30 G</td></tr>"
        u"<tr><td borderstyle=dotted bordercolor=#808080>Dwell</td><td colspan=2 bgeffect=hardbump bgcolor=#ffffff "
        u"bgmidcolor=#a0c0a0 bgendcolor=#406040>100 ms</td></tr>"
        u"</table>";
    ExpectGolden(Render(drawer, markup), "tip_table");
}

TEST(RichTooltip, ImagesAndALinkHoveredAndNot)
{
    // A bitmap file and a registered icon, one of each kind of source.
    // A folder of this process: two runs of the test at once must not share the file.
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("qv-htmltip-rich-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::filesystem::path bmp = folder / "picture.bmp";
    const HBITMAP picture = MakePicture(24, 24);
    ASSERT_TRUE(platform::SaveBitmapToFile(picture, CString::FromUtf8(bmp.string()), false));
    ::DeleteObject(picture);
    const ScopedMarkupHandle icon(MarkupImageKind::Icon, GdiMarkupImage::FromIcon(MakeIcon(20, 20)));

    CHtmlDrawer drawer;
    drawer.SetImageShadow(3, 3, 60, TRUE, 5, 5);
    FakeWindowServices window;
    drawer.SetWindowServices(&window);
    const std::u16string markup =
        u"<icon handle=" + ToU16(std::to_string(icon.Number())) + u"> Icon, <bmp file=\"" +
        ToU16(bmp.string()) + u"\" mask=#ff00ff style=s> masked picture with a shadow,<br>"
        u"and a <a href=\"https://example.invalid/help\">link to the help</a> after them.";
    ExpectGolden(Render(drawer, markup), "tip_images_link");

    // The link's area is where it was drawn: hovering it there redraws it in
    // the hover style, which the second golden shows.
    const auto& areas = drawer.GetHyperlinkAreas();
    ASSERT_EQ(areas.size(), 1u);
    const RECT r = areas.front().rect;
    EXPECT_GT(r.right - r.left, 40);
    drawer.OnSetCursor(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    EXPECT_EQ(drawer.GetHoveredLink(), 0);
    ExpectGolden(Render(drawer, markup), "tip_images_link_hover");
    std::filesystem::remove_all(folder);
}

TEST(RichTooltip, Japanese)
{
    CHtmlDrawer drawer;
    drawer.SetCssStyles(u"body {font-size:9pt; font-family:\"MS UI Gothic\"; color:black} "
                        u"h2 {font-size:11pt; color:#c06000; font-weight:bold}");
    const std::u16string markup =
        u"<h2>ポイント入力</h2><br>"
        u"位置: <b>123.45 mm</b><br>"
        u"速度: <font color=#0040c0>250 mm/s</font>（最大 <i>500</i>）<br>"
        u"<table border=1 cellpadding=2 bgeffect=softbump bgcolor=#ffffff bgmidcolor=#e0f0ff "
        u"bgendcolor=#a0c0e0><tr><td>加速度</td><td align=right>0.30 G</td></tr>"
        u"<tr><td>減速度</td><td align=right>0.30 G</td></tr></table>";
    ExpectGolden(Render(drawer, markup), "tip_japanese");
}

TEST(RichTooltip, EmptyTextMeasuresNothingAndDrawsNothing)
{
    CHtmlDrawer drawer;
    SIZE size{1, 1};
    EXPECT_TRUE(Render(drawer, u"", &size).isNull());
    EXPECT_EQ(size.cx, 0);
    EXPECT_EQ(size.cy, 0);
    const QImage one = Render(drawer, u"x", &size);
    EXPECT_GE(size.cx, 2);
    EXPECT_GE(size.cy, 2);
}

}  // namespace
