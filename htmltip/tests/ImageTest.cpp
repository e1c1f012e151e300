// Images, registered handles, modules, string resources and animation.
#include "htmltip/HtmlDrawer.h"
#include "htmltip/ImageEffects.h"
#include "htmltip/MarkupHandleTable.h"
#include "htmltip/tests/FakeServices.h"

#include "platform/core/Paths.h"

#include <gtest/gtest.h>

using namespace htmltip;
using namespace htmltip::test;

namespace {

class Images : public ::testing::Test {
protected:
    Images()
    {
        drawer.SetCssStyles(kPlainSheet);
        drawer.SetResources(&resources);
        resources.bitmaps[{0, 1}] = picture;
        resources.icons[{0, 2}] = icon;
        resources.files[u"pic.bmp"] = picture;
        resources.modules[u"libImages.so"] = Module(5);
        resources.bitmaps[{Module(5).Value(), 3}] = picture;
        resources.bitmaps[{0, 4}] = strip;
    }

    SIZE Show(const std::u16string& markup, int width = 300)
    {
        const SIZE size = drawer.PrepareOutput(canvas, markup.c_str());
        canvas.Clear();
        drawer.DrawPreparedOutput(canvas, RECT{0, 0, width, 500});
        return size;
    }

    std::shared_ptr<FakeImage> picture = std::make_shared<FakeImage>(20, 10);
    std::shared_ptr<FakeImage> icon = std::make_shared<FakeImage>(32, 32);
    // Three cells of 10 by 10.
    std::shared_ptr<FakeImage> strip = std::make_shared<FakeImage>(30, 10);
    CHtmlDrawer drawer;
    FakeCanvas canvas;
    FakeResources resources;
};

TEST_F(Images, FirstGivenSourceIsUsed)
{
    const struct {
        const char* name;
        const char16_t* markup;
        std::string call;
        bool drawn;
    } cases[] = {
        {"resource id", u"<bmp idres=1 file=pic.bmp>", "bitmap 0 1", true},
        {"file", u"<bmp file=pic.bmp iddll=3>", "bitmap file pic.bmp", true},
        {"module resource", u"<bmp iddll=3 srcdll=libImages.so>", "bitmap " + std::to_string(Module(5).Value()) + " 3", true},
        {"icon at its load size", u"<icon idres=2 cx=16 cy=16>", "icon 0 2 16x16", true},
        {"hexadecimal id", u"<bmp idres=0x1>", "bitmap 0 1", true},
        {"missing resource", u"<bmp idres=9>", "bitmap 0 9", false},
        {"missing file", u"<bmp file=none.bmp>", "bitmap file none.bmp", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        resources.calls.clear();
        Show(c.markup);
        ASSERT_FALSE(resources.calls.empty());
        EXPECT_EQ(resources.calls.front(), c.call);
        EXPECT_EQ(canvas.images.size(), c.drawn ? 1u : 0u);
    }
}

TEST_F(Images, ModulesComeOnlyFromTheProgramFolder)
{
    const CString inProgramFolder = platform::JoinPath(platform::GetProgramFolder(), u"libImages.so");
    resources.modules[inProgramFolder.str()] = Module(5);
    const struct {
        const char* name;
        std::u16string srcdll;
        bool loaded;
    } cases[] = {
        {"bare file name", u"libImages.so", true},
        {"path into the program folder", inProgramFolder.str(), true},
        {"absolute path elsewhere", u"/tmp/libImages.so", false},
        {"Windows-style path elsewhere", u"C:\\Windows\\libImages.so", false},
        {"relative path", u"sub/libImages.so", false},
        {"parent folder", u"../libImages.so", false},
        {"program folder by a detour", platform::GetProgramFolder().str() + u"../bin/libImages.so", false},
        {"dot", u".", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        resources.loaded.clear();
        resources.freed.clear();
        Show(u"<bmp iddll=3 srcdll=\"" + c.srcdll + u"\"><string iddll=3 srcdll=\"" + c.srcdll + u"\">");
        EXPECT_EQ(resources.loaded.size(), c.loaded ? 4u : 0u);  // two tags in two passes
        // Every module loaded for one tag is freed after it.
        EXPECT_EQ(resources.freed.size(), resources.loaded.size());
        EXPECT_EQ(canvas.images.size(), c.loaded ? 1u : 0u);
    }
}

TEST_F(Images, HandlesAreLookedUpNeverTakenAsAddresses)
{
    const ScopedMarkupHandle bitmap(MarkupImageKind::Bitmap, picture);
    const ScopedMarkupHandle iconHandle(MarkupImageKind::Icon, icon);
    ASSERT_NE(bitmap.Number(), 0u);
    CString hex;
    hex.Format(u"<bmp handle=0x%X>", bitmap.Number());
    const struct {
        const char* name;
        std::u16string markup;
        bool drawn;
    } cases[] = {
        {"registered bitmap", u"<bmp handle=" + ToU16(std::to_string(bitmap.Number())) + u">", true},
        {"hexadecimal number", hex.str(), true},
        {"registered icon", u"<icon handle=" + ToU16(std::to_string(iconHandle.Number())) + u">", true},
        {"icon number in a bitmap tag", u"<bmp handle=" + ToU16(std::to_string(iconHandle.Number())) + u">", false},
        {"unregistered number", u"<bmp handle=123456789>", false},
        {"an address-like number", u"<icon handle=0x7ffe12345678>", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Show(c.markup);
        ASSERT_EQ(canvas.images.size(), c.drawn ? 1u : 0u);
        if (c.drawn) {
            EXPECT_TRUE(canvas.images[0].image == picture.get() || canvas.images[0].image == icon.get());
        }
    }

    const std::uint32_t stale = bitmap.Number();
    MarkupHandleTable::Instance().Unregister(stale);
    Show(u"<bmp handle=" + ToU16(std::to_string(stale)) + u">");
    EXPECT_TRUE(canvas.images.empty());
}

TEST_F(Images, SizeAndPlaceOnTheLine)
{
    const SIZE size = Show(u"a<bmp idres=1 width=50% height=400%>b");
    // 10 by 40: the line's ascent grows to the image's height; the text keeps its descent.
    EXPECT_EQ(size, (SIZE{10 + 10 + 10 + 1, 40 + 4 + 1}));
    ASSERT_EQ(canvas.images.size(), 1u);
    EXPECT_EQ(canvas.images[0].rect, (RECT{10, 0, 20, 40}));
    ASSERT_EQ(canvas.texts.size(), 2u);
    EXPECT_EQ(canvas.texts[1].x, 20);
    EXPECT_EQ(canvas.texts[1].y, 40 - 12);

    // A missing image takes no room.
    Show(u"a<bmp idres=99>b");
    EXPECT_EQ(canvas.texts[1].x, 10);
}

TEST_F(Images, ImageMovesToANewLineWhenItDoesNotFit)
{
    drawer.SetMaxWidth(50);
    Show(u"abcd<bmp idres=1>", 50);
    ASSERT_EQ(canvas.images.size(), 1u);
    EXPECT_EQ(canvas.images[0].rect.left, 0);
    EXPECT_EQ(canvas.images[0].rect.top, 16);
}

TEST_F(Images, EffectLettersAndShadow)
{
    const struct {
        const char* name;
        const char16_t* markup;
        int shadowX;
        int shadowY;
        BOOL gradient;
        DWORD effects;
    } cases[] = {
        {"grey and darken", u"<bmp idres=1 style=gd>", 4, 4, TRUE, IMAGE_EFFECT_GRAYSCALE | IMAGE_EFFECT_DARKEN},
        {"lighten, unknown letters ignored", u"<bmp idres=1 style=lxz>", 4, 4, TRUE, IMAGE_EFFECT_LIGHTEN},
        {"gradient shadow", u"<bmp idres=1 style=s>", 4, 4, TRUE, IMAGE_EFFECT_SOFT_SHADOW},
        {"plain shadow", u"<bmp idres=1 style=s>", 4, 4, FALSE, IMAGE_EFFECT_SHADOW},
        {"no shadow without offsets", u"<bmp idres=1 style=s>", 0, 0, TRUE, 0},
        {"hot style only while hovered", u"<bmp idres=1 hotstyle=g>", 4, 4, TRUE, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        drawer.SetImageShadow(c.shadowX, c.shadowY, 50, c.gradient);
        Show(c.markup);
        ASSERT_EQ(canvas.images.size(), 1u);
        EXPECT_EQ(canvas.images[0].effects, c.effects);
        EXPECT_EQ(canvas.images[0].shadow, (c.effects & (IMAGE_EFFECT_SHADOW | IMAGE_EFFECT_SOFT_SHADOW)) != 0);
    }
    drawer.SetImageShadow(4, 4, 150, TRUE);
    Show(u"<bmp idres=1 style=s mask=#ff00ff>");
    EXPECT_EQ(canvas.images[0].shadowColor, RGB(0, 0, 0));
    EXPECT_TRUE(canvas.images[0].useMask);
    EXPECT_EQ(canvas.images[0].maskColor, RGB(255, 0, 255));
}

TEST_F(Images, HotStyleWhileTheLinkIsHovered)
{
    FakeWindowServices window;
    drawer.SetWindowServices(&window);
    Show(u"<a href=x><bmp idres=1 style=g hotstyle=d></a>");
    EXPECT_EQ(canvas.images[0].effects, IMAGE_EFFECT_GRAYSCALE);
    ASSERT_EQ(drawer.GetHyperlinkAreas().size(), 1u);
    EXPECT_EQ(drawer.GetHyperlinkAreas()[0].rect, canvas.images[0].rect);
    drawer.OnSetCursor(POINT{1, 1});
    canvas.Clear();
    drawer.DrawPreparedOutput(canvas, RECT{0, 0, 300, 500});
    EXPECT_EQ(canvas.images[0].effects, IMAGE_EFFECT_DARKEN);
}

TEST_F(Images, AnimatedStripAdvancesEverySpeedTicks)
{
    Show(u"<ilst idres=4 cx=10 cy=10 speed=2 index=1>");
    ASSERT_EQ(drawer.GetAnimations().size(), 1u);
    EXPECT_EQ(canvas.images[0].cellIndex, 1);
    EXPECT_EQ(canvas.images[0].cellSize, (SIZE{10, 10}));
    const int expected[] = {1, 2, 2, 0, 0, 1};
    const BOOL changed[] = {FALSE, TRUE, FALSE, TRUE, FALSE, TRUE};
    for (int tick = 0; tick < 6; ++tick) {
        SCOPED_TRACE(tick);
        EXPECT_EQ(drawer.OnTimer(), changed[tick]);
        canvas.Clear();
        drawer.DrawPreparedOutput(canvas, RECT{0, 0, 300, 500});
        EXPECT_EQ(canvas.images[0].cellIndex, expected[tick]);
    }
}

TEST_F(Images, StripsAndTheImageList)
{
    const struct {
        const char* name;
        const char16_t* markup;
        bool drawn;
        int cell;
    } cases[] = {
        {"strip cell", u"<ilst idres=4 cx=10 cy=10 index=2>", true, 2},
        {"strip index beyond its cells", u"<ilst idres=4 cx=10 cy=10 index=3>", false, 0},
        {"strip without a cell size", u"<ilst idres=4>", false, 0},
        {"image list", u"<ilst index=1>", true, 1},
        {"image list index beyond its images", u"<ilst index=3>", false, 0},
        {"negative index", u"<ilst index=-1>", true, 1},
    };
    drawer.SetImageList(strip, 10, 10, 3, RGB(255, 0, 255));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Show(c.markup);
        ASSERT_EQ(canvas.images.size(), c.drawn ? 1u : 0u);
        if (c.drawn) {
            EXPECT_EQ(canvas.images[0].cellIndex, c.cell);
        }
    }
    drawer.SetImageList(nullptr, 10, 10, 3, 0);
    Show(u"<ilst index=0>");
    EXPECT_TRUE(canvas.images.empty());
}

TEST_F(Images, StringResourcesAreDrawnAsPlainText)
{
    resources.strings[{0, 5}] = u"a <b> c";
    resources.strings[{Module(5).Value(), 6}] = u"from module";
    drawer.SetResourceModule(Module(5));
    Show(u"<string idres=5>-<string iddll=6>-<string iddll=6 srcdll=libImages.so>-<string idres=77>");
    EXPECT_EQ(canvas.JoinedText(), u"a <b> c|-|from module|-|from module|-");
    for (const DrawnText& text : canvas.texts) EXPECT_EQ(text.paint.font.weight, 400);
}

TEST_F(Images, BackgroundImagesAreTiled)
{
    const struct {
        const char* name;
        const char16_t* markup;
        std::size_t tiles;
    } cases[] = {
        {"program bitmap", u"<table background=\"idres:1\"><tr><td>x</td></tr></table>", 2},
        {"file", u"<table><tr><td background=\"file:pic.bmp\">x</td></tr></table>", 1},
        {"too short to be a source", u"<table background=\"id:1\"><tr><td>x</td></tr></table>", 0},
        {"unknown key", u"<table background=\"handle:1\"><tr><td>x</td></tr></table>", 0},
        {"an effect wins over the image", u"<table background=\"idres:1\" bgeffect=solid><tr><td>x</td></tr></table>", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Show(c.markup);
        EXPECT_EQ(canvas.tiles.size(), c.tiles);
    }
}

TEST(DrawerResources, StringLinesAndStyleSheetsFromResources)
{
    FakeResources resources;
    resources.strings[{0, 10}] = u"first\r\nsecond\nthird";
    resources.strings[{Module(7).Value(), 499}] = u"body {color:red}";
    resources.strings[{Module(8).Value(), 499}] = u"body {color:blue}";
    resources.modules[u"libLang.so"] = Module(7);
    CHtmlDrawer drawer;
    drawer.SetResources(&resources);

    const struct {
        int line;
        const char16_t* text;
    } lines[] = {{0, u"first"}, {1, u"second"}, {2, u"third"}, {3, u""}, {-1, u""}};
    for (const auto& l : lines) {
        SCOPED_TRACE(l.line);
        EXPECT_EQ(drawer.GetStringLine(10, l.line), CString(l.text));
    }
    EXPECT_EQ(drawer.GetStringLine(11, 0), CString());

    drawer.SetCssStyles(499, u"libLang.so");
    EXPECT_EQ(drawer.GetCssStyles(), CString(u"body {color:red}"));
    ASSERT_EQ(resources.loaded.size(), 1u);
    EXPECT_EQ(resources.loaded[0].second, kLoadModuleAsData);
    EXPECT_EQ(resources.freed, (std::vector<HMODULE>{Module(7)}));

    // Without a module name the drawer's resource module is read; without one, nothing.
    drawer.SetCssStyles(499, nullptr);
    EXPECT_EQ(drawer.GetCssStyles(), CString());
    drawer.SetResourceModule(Module(8));
    drawer.SetCssStyles(499, nullptr);
    EXPECT_EQ(drawer.GetCssStyles(), CString(u"body {color:blue}"));
    drawer.SetCssStyles(0, nullptr);
    EXPECT_EQ(drawer.GetCssStyles(), CString());
    drawer.SetCssStyles(499, u"/elsewhere/libLang.so");
    EXPECT_EQ(drawer.GetCssStyles(), CString());
    EXPECT_EQ(resources.loaded.size(), 1u);
}

TEST(DrawerResources, OwnedResourceModuleIsFreedOnce)
{
    FakeResources resources;
    resources.modules[u"libRes.so"] = Module(3);
    {
        CHtmlDrawer drawer;
        drawer.SetResources(&resources);
        EXPECT_TRUE(drawer.SetResourceModule(u"libRes.so", 0));
        EXPECT_EQ(drawer.GetResourceModule(), Module(3));
        EXPECT_FALSE(drawer.SetResourceModule(u"/tmp/libRes.so", 0));
        EXPECT_EQ(resources.freed, (std::vector<HMODULE>{Module(3)}));
        EXPECT_TRUE(drawer.SetResourceModule(u"libRes.so", 0));
        // A module given by handle is only used: replacing it frees the owned one, not it.
        drawer.SetResourceModule(Module(9));
        EXPECT_EQ(resources.freed, (std::vector<HMODULE>{Module(3), Module(3)}));
    }
    EXPECT_EQ(resources.freed, (std::vector<HMODULE>{Module(3), Module(3)}));
    {
        CHtmlDrawer drawer;
        drawer.SetResources(&resources);
        drawer.SetResourceModule(u"libRes.so", 0);
    }
    EXPECT_EQ(resources.freed.size(), 3u);
}

}  // namespace
