// Strings of the markup read through the platform's modules and resource files.
#include "htmltip/HtmlDrawer.h"
#include "htmltip/ModuleResources.h"
#include "htmltip/tests/FakeCanvas.h"

#include "platform/core/Module.h"

#include <gtest/gtest.h>

using namespace htmltip;
using namespace htmltip::test;

namespace {

std::u16string Drawn(CHtmlDrawer& drawer, const char16_t* markup)
{
    FakeCanvas canvas;
    const SIZE size = drawer.PrepareOutput(canvas, markup);
    drawer.DrawPreparedOutput(canvas, RECT{0, 0, size.cx, size.cy});
    return canvas.JoinedText();
}

TEST(ModuleResources, ProgramStringsByDefault)
{
    CHtmlDrawer drawer;
    EXPECT_EQ(drawer.GetStringLine(10, 1), CString(u"second"));
    EXPECT_EQ(drawer.GetStringLine(11, 0), CString());
    EXPECT_EQ(Drawn(drawer, u"<string idres=5>"), u"a <b>");
}

TEST(ModuleResources, ModulesByNameAreLoadedAndFreed)
{
    CHtmlDrawer drawer;
    drawer.SetCssStyles(499, u"htmltip-test");
    EXPECT_EQ(drawer.GetCssStyles(), CString(u"body {color:red}"));
    EXPECT_FALSE(GetModuleHandleW(u"htmltip-test"));

    EXPECT_EQ(Drawn(drawer, u"<string iddll=7 srcdll=htmltip-test>"), u"module text");
    EXPECT_FALSE(GetModuleHandleW(u"htmltip-test"));
    EXPECT_EQ(Drawn(drawer, u"<string iddll=7 srcdll=no-such-module>"), u"");

    EXPECT_TRUE(drawer.SetResourceModule(u"htmltip-test"));
    EXPECT_EQ(Drawn(drawer, u"<string iddll=7>"), u"module text");
    EXPECT_TRUE(GetModuleHandleW(u"htmltip-test"));
    drawer.SetResourceModule(HMODULE());
    EXPECT_FALSE(GetModuleHandleW(u"htmltip-test"));
}

TEST(ModuleResources, ImagesNeedTheUserInterfaceLayer)
{
    CHtmlDrawer drawer;
    EXPECT_EQ(Drawn(drawer, u"a<bmp idres=1><icon idres=2>b"), u"a|b");
}

}  // namespace

namespace {

TEST(ModuleResources, PicturesOfAModule)
{
    CHtmlDrawer drawer;
    FakeCanvas canvas;
    const SIZE size =
        drawer.PrepareOutput(canvas, u"<icon iddll=20 srcdll=htmltip-test cx=16 cy=16><bmp iddll=21 srcdll=htmltip-test>"
                                     u"<icon iddll=99 srcdll=htmltip-test>");
    drawer.DrawPreparedOutput(canvas, RECT{0, 0, size.cx, size.cy});
    // Drawn at their own sizes (the pictures themselves go with the pass).
    ASSERT_EQ(canvas.images.size(), 2u);
    const auto sizeOf = [](const RECT& r) { return SIZE{r.right - r.left, r.bottom - r.top}; };
    EXPECT_EQ(sizeOf(canvas.images[0].rect), (SIZE{16, 16}));
    EXPECT_EQ(sizeOf(canvas.images[1].rect), (SIZE{24, 8}));
    EXPECT_FALSE(GetModuleHandleW(u"htmltip-test"));
}

}  // namespace
