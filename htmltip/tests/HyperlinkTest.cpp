// Hyperlink areas, hover, clicks and the owner's callbacks.
#include "htmltip/HtmlDrawer.h"
#include "htmltip/tests/FakeServices.h"

#include <gtest/gtest.h>

using namespace htmltip;
using namespace htmltip::test;

namespace {

constexpr UINT kRepaintMessage = 1125;
constexpr UINT kLinkMessage = 2000;

class Hyperlinks : public ::testing::Test {
protected:
    Hyperlinks()
    {
        drawer.SetCssStyles(u"body {font-size:16px}\r\na:link {color:blue}\r\na:hover {text-decoration:underline; color:red}");
        drawer.SetWindowServices(&window);
        drawer.SetLinkOpener(&opener);
        window.textMessage = kLinkMessage;
    }

    void Show(const char16_t* markup, int width)
    {
        drawer.PrepareOutput(canvas, markup);
        Redraw(width);
    }
    void Redraw(int width)
    {
        m_width = width;
        canvas.Clear();
        drawer.DrawPreparedOutput(canvas, RECT{0, 0, width, 500});
    }
    std::vector<WPARAM> Repaints() const
    {
        std::vector<WPARAM> repaints;
        for (const SentMessage& m : window.sent) {
            if (m.message == kRepaintMessage) repaints.push_back(m.wParam);
        }
        return repaints;
    }

    CHtmlDrawer drawer;
    FakeCanvas canvas;
    FakeWindowServices window;
    FakeLinkOpener opener;
    int m_width = 0;
};

WPARAM Number(int n) { return static_cast<WPARAM>(static_cast<LPARAM>(n)); }

TEST_F(Hyperlinks, AreasAreWhereTheLinkIsDrawn)
{
    Show(u"<center><a href=\"http://example.org/a b\">link</a></center>", 200);
    ASSERT_EQ(drawer.GetHyperlinkAreas().size(), 1u);
    const HyperlinkArea& area = drawer.GetHyperlinkAreas()[0];
    EXPECT_EQ(area.rect, (RECT{80, 0, 120, 16}));
    EXPECT_EQ(area.kind, kLinkHref);
    EXPECT_EQ(area.number, 0);

    drawer.OnLButtonDown(POINT{10, 5});
    EXPECT_TRUE(opener.opened.empty());
    drawer.OnLButtonDown(POINT{120, 16});
    ASSERT_EQ(opener.opened.size(), 1u);
    EXPECT_EQ(opener.opened[0].first, u"http://example.org/a b");
    EXPECT_EQ(opener.opened[0].second, 5);
    EXPECT_EQ(window.cursorResets, 1);
}

TEST_F(Hyperlinks, LinkInAStretchedTableCell)
{
    Show(u"<table><tr><td>ab</td><td><a msg=\"go\">cd</a></td></tr></table>", 60);
    ASSERT_EQ(drawer.GetHyperlinkAreas().size(), 1u);
    // The second column starts at 30 once the free width is shared.
    EXPECT_EQ(drawer.GetHyperlinkAreas()[0].rect.left, 32);
}

TEST_F(Hyperlinks, OneLinkOverTwoLinesHighlightsTogether)
{
    drawer.SetCallbackRepaint(Window(1), kRepaintMessage, 77);
    drawer.SetMaxWidth(100);
    Show(u"ab <a href=x>cccc dddd eeee</a> f", 100);
    const std::vector<HyperlinkArea>& areas = drawer.GetHyperlinkAreas();
    ASSERT_EQ(areas.size(), 2u);
    EXPECT_EQ(areas[0].number, areas[1].number);
    EXPECT_NE(areas[0].rect.top, areas[1].rect.top);

    const POINT onFirst{areas[0].rect.left + 1, areas[0].rect.top + 1};
    const POINT onSecond{areas[1].rect.left + 1, areas[1].rect.top + 1};
    EXPECT_TRUE(drawer.OnSetCursor(onFirst));
    EXPECT_TRUE(drawer.OnSetCursor(onSecond));
    EXPECT_EQ(Repaints(), (std::vector<WPARAM>{Number(0)}));
    EXPECT_EQ(window.sent.back().lParam, 77);

    EXPECT_FALSE(drawer.OnSetCursor(POINT{499, 499}));
    EXPECT_FALSE(drawer.OnSetCursor(POINT{498, 499}));
    EXPECT_EQ(Repaints(), (std::vector<WPARAM>{Number(0), Number(kNoHoveredLink)}));
    EXPECT_EQ(drawer.GetHoveredLink(), kNoHoveredLink);
}

TEST_F(Hyperlinks, HoveredLinkDrawsWithTheHoverRule)
{
    drawer.SetCallbackRepaint(Window(1), kRepaintMessage, 0);
    // The owner repaints inside the callback, which records the areas anew.
    window.onSend = [this](const SentMessage&) { Redraw(m_width); };
    Show(u"<a href=one>a</a> <a href=two>b</a>", 200);
    ASSERT_EQ(drawer.GetHyperlinkAreas().size(), 2u);
    EXPECT_EQ(drawer.GetHyperlinkAreas()[1].number, 1);
    EXPECT_FALSE(canvas.texts[2].paint.font.underline);

    const RECT second = drawer.GetHyperlinkAreas()[1].rect;
    EXPECT_TRUE(drawer.OnSetCursor(POINT{second.left, second.top}));
    EXPECT_EQ(drawer.GetHoveredLink(), 1);
    ASSERT_EQ(canvas.texts.size(), 3u);
    EXPECT_FALSE(canvas.texts[0].paint.font.underline);
    EXPECT_TRUE(canvas.texts[2].paint.font.underline);
    EXPECT_EQ(canvas.texts[0].paint.textColor, RGB(0, 0, 255));
    EXPECT_EQ(canvas.texts[2].paint.textColor, RGB(255, 0, 0));

    // The hover survives a new measure pass.
    drawer.PrepareOutput(canvas, u"<a href=one>a</a> <a href=two>b</a>");
    Redraw(200);
    EXPECT_TRUE(canvas.texts[2].paint.font.underline);
}

TEST_F(Hyperlinks, MessageLinkSendsItsTextToTheCallback)
{
    Show(u"<a msg=\"open settings\">x</a>", 100);
    drawer.OnLButtonDown(POINT{1, 1});
    EXPECT_TRUE(window.sent.empty());

    drawer.SetCallbackHyperlink(Window(2), kLinkMessage, 42);
    drawer.OnLButtonDown(POINT{1, 1});
    ASSERT_EQ(window.sent.size(), 1u);
    EXPECT_EQ(window.sent[0].window, Window(2));
    EXPECT_EQ(window.sent[0].text, u"open settings");
    EXPECT_EQ(window.sent[0].lParam, 42);
    EXPECT_TRUE(opener.opened.empty());

    drawer.SetCallbackHyperlink(HWND(), kLinkMessage, 42);
    drawer.OnLButtonDown(POINT{1, 1});
    EXPECT_EQ(window.sent.size(), 1u);
}

TEST_F(Hyperlinks, CursorOnlyOverLinksWithText)
{
    Show(u"<a>plain</a> <a href=\"\">empty</a> <a href=t>text</a>", 300);
    ASSERT_EQ(drawer.GetHyperlinkAreas().size(), 3u);
    const auto at = [this](std::size_t i) {
        const RECT& r = drawer.GetHyperlinkAreas()[i].rect;
        return POINT{r.left + 1, r.top + 1};
    };
    EXPECT_FALSE(drawer.OnSetCursor(at(0)));
    EXPECT_FALSE(drawer.OnSetCursor(at(1)));
    EXPECT_TRUE(drawer.OnSetCursor(at(2)));
    window.hasCursor = false;
    EXPECT_FALSE(drawer.OnSetCursor(at(2)));

    drawer.OnLButtonDown(at(1));
    EXPECT_TRUE(opener.opened.empty());
}

TEST_F(Hyperlinks, NestedLinkKeepsTheOuterTextWhenItsOwnIsEmpty)
{
    Show(u"<a href=outer>a<a href=\"\">b</a>c</a>d", 300);
    const std::vector<HyperlinkArea>& areas = drawer.GetHyperlinkAreas();
    ASSERT_EQ(areas.size(), 3u);
    EXPECT_EQ(areas[0].number, 0);
    EXPECT_EQ(areas[1].number, 1);
    EXPECT_EQ(areas[1].text, u"outer");
    // Closing the inner link gives the outer one back.
    EXPECT_EQ(areas[2].number, 0);
}

TEST_F(Hyperlinks, NoAreasBeforeDrawingAndNoneAfterANewText)
{
    Show(u"<a href=x>link</a>", 100);
    EXPECT_EQ(drawer.GetHyperlinkAreas().size(), 1u);
    drawer.PrepareOutput(canvas, u"no links");
    EXPECT_TRUE(drawer.GetHyperlinkAreas().empty());
    EXPECT_FALSE(drawer.OnSetCursor(POINT{1, 1}));
}

}  // namespace
