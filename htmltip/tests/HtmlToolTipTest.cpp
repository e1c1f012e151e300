// The HTML tooltip on a fake clock: delays, autopop, fading, the relayed
// mouse and keyboard, finding the tool under the mouse, help tips, the
// notification, and links in a shown tip.
#include "htmltip/HtmlToolTip.h"
#include "htmltip/tests/FakeTipPlatform.h"
#include "htmltip/tests/GdiTestSupport.h"

#include "platform/core/MessageMap.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace htmltip;
using namespace htmltip::test;

namespace {

constexpr UINT kLinkMessage = 0x8123;

// A window that keeps what it is sent.
class RecordingWindow : public CWnd {
public:
    struct Received {
        UINT message;
        WPARAM wParam;
        std::u16string text;
        UINT code = 0;
        HWND toolWindow;
    };
    std::vector<Received> received;
    // Runs on each notification, as a receiver that edits the record would.
    std::function<void(HtmlToolTipNotify&)> onNotify;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_NOTIFY) {
            auto* notify = reinterpret_cast<HtmlToolTipNotify*>(lParam);
            received.push_back(Received{message, wParam, notify->toolInfo->text.str(), notify->hdr.code,
                                        notify->toolWindow});
            if (onNotify) onNotify(*notify);
            return 0;
        }
        if (message == kLinkMessage) {
            received.push_back(Received{message, wParam, reinterpret_cast<const char16_t*>(wParam), 0, HWND()});
            return 0;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

class ToolTip : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(owner.CreateEx(0, AfxRegisterWndClass(0), u"", WS_OVERLAPPEDWINDOW, RECT{0, 0, 400, 300}, nullptr,
                                   0));
        ASSERT_TRUE(button.CreateEx(0, u"BUTTON", u"", WS_CHILD, RECT{20, 20, 120, 50}, &owner, 1001));
        ASSERT_TRUE(panel.CreateEx(0, u"STATIC", u"", WS_CHILD, RECT{150, 20, 380, 280}, &owner, 1002));
        platform.windows = {
            {owner, RECT{100, 100, 500, 400}, HWND()},
            {button, RECT{120, 120, 220, 150}, owner},
            {panel, RECT{250, 120, 480, 380}, owner},
        };
        tip.SetPlatform(&platform);
        ASSERT_TRUE(tip.Create(&owner, TRUE));
        tip.AddTool(&button, u"<b>Jog</b> the axis");
    }
    void TearDown() override
    {
        tip.DestroyWindow();
        tip.SetPlatform(nullptr);
    }

    // The mouse moves to a screen point over the owner.
    void MoveTo(int x, int y)
    {
        platform.cursor = POINT{x, y};
        Relay(WM_MOUSEMOVE, x, y);
    }
    void Relay(UINT message, int x, int y, WPARAM wParam = 0)
    {
        MSG msg;
        msg.hwnd = owner;
        msg.message = message;
        msg.wParam = wParam;
        msg.lParam = MAKELPARAM(static_cast<WORD>(x - 100), static_cast<WORD>(y - 100));
        tip.RelayEvent(&msg);
    }
    // Shows the button's tip with the default delay.
    void ShowButtonTip()
    {
        MoveTo(150, 135);
        platform.Advance(500);
        ASSERT_EQ(tip.GetState(), TipState::Shown);
    }

    CWnd owner;
    CWnd button;
    CWnd panel;
    CHtmlToolTip tip;
    FakeTipPlatform platform{tip};
};

TEST_F(ToolTip, DefaultDelaysShowAfterHalfASecondAndHideFiveSecondsLater)
{
    MoveTo(150, 135);
    platform.Advance(499);
    EXPECT_FALSE(platform.visible);
    EXPECT_EQ(tip.GetState(), TipState::Hidden);
    platform.Advance(1);
    EXPECT_TRUE(platform.visible);
    EXPECT_EQ(tip.GetState(), TipState::Shown);
    EXPECT_EQ(tip.GetCurrentToolInfo().text, u"<b>Jog</b> the axis");
    // The default direction puts the tip above the point, the anchor near its left end.
    EXPECT_EQ(tip.GetPlacement().direction, 0x10u);
    EXPECT_EQ(platform.topLeft.y + tip.GetPlacement().anchor.y, 135);
    platform.Advance(4999);
    EXPECT_TRUE(platform.visible);
    platform.Advance(1);
    EXPECT_FALSE(platform.visible);
    EXPECT_EQ(tip.GetState(), TipState::Hidden);
    // No fading by default: drawn once, opaque.
    EXPECT_EQ(platform.drawnAt, std::vector<int>{0});
}

TEST_F(ToolTip, TheMouseMustRestForTheDelay)
{
    MoveTo(150, 135);
    platform.Advance(300);
    MoveTo(160, 135);
    platform.Advance(300);
    // The first delay found the mouse elsewhere; the second one runs from the move.
    EXPECT_FALSE(platform.visible);
    platform.Advance(200);
    EXPECT_TRUE(platform.visible);
}

TEST_F(ToolTip, FadingOutDrawsTwentyPercentStepsThenHides)
{
    tip.SetDelayTime(kDelayFadeOut, 50);
    ShowButtonTip();
    platform.drawnAt.clear();
    platform.Advance(5000);
    EXPECT_EQ(tip.GetState(), TipState::FadingOut);
    platform.Advance(200);
    EXPECT_EQ(platform.drawnAt, (std::vector<int>{20, 40, 60, 80}));
    EXPECT_TRUE(platform.visible);
    platform.Advance(50);
    EXPECT_FALSE(platform.visible);
    EXPECT_EQ(tip.GetState(), TipState::Hidden);
}

TEST_F(ToolTip, FadingInStartsTransparentAndAutopopWaitsForTheEnd)
{
    tip.SetDelayTime(kDelayFadeIn, 30);
    MoveTo(150, 135);
    platform.Advance(500);
    EXPECT_EQ(tip.GetState(), TipState::FadingIn);
    EXPECT_FALSE(platform.Running(kTimerAutopop));
    platform.Advance(150);
    EXPECT_EQ(platform.drawnAt, (std::vector<int>{100, 80, 60, 40, 20, 0}));
    EXPECT_EQ(tip.GetState(), TipState::Shown);
    EXPECT_TRUE(platform.Running(kTimerAutopop));
}

TEST_F(ToolTip, FadingInStopsAtTheToolsTransparency)
{
    tip.SetDelayTime(kDelayFadeIn, 30);
    tip.SetTransparency(50);
    MoveTo(150, 135);
    platform.Advance(500 + 90);
    EXPECT_EQ(platform.drawnAt, (std::vector<int>{100, 80, 60, 50}));
    EXPECT_EQ(tip.GetState(), TipState::Shown);
}

TEST_F(ToolTip, AMoveToTheSameScreenPointDoesNothing)
{
    MoveTo(150, 135);
    platform.Advance(400);
    MoveTo(150, 135);
    // The delay was not restarted.
    platform.Advance(100);
    EXPECT_TRUE(platform.visible);
}

TEST_F(ToolTip, LeavingTheToolHidesTheTip)
{
    ShowButtonTip();
    MoveTo(300, 110);  // the owner, no tool
    EXPECT_FALSE(platform.visible);
    EXPECT_EQ(tip.GetState(), TipState::Hidden);
    // Coming back shows it again after the delay.
    MoveTo(150, 135);
    platform.Advance(500);
    EXPECT_TRUE(platform.visible);
}

TEST_F(ToolTip, MovingInsideTheToolFollowsItsBehaviour)
{
    const struct {
        const char* name;
        UINT behaviour;
        bool visibleAfterMove;
        bool visibleAfterOriginalAutopop;
    } cases[] = {
        {"plain: hides", 0, false, false},
        {"stay in tool: restarts autopop", HTML_TOOL_STAY_IN_TOOL, true, true},
        {"follow mouse: moves with it", HTML_TOOL_FOLLOW_MOUSE, true, true},
        {"show again: hides, then shows after the delay", HTML_TOOL_SHOW_AGAIN, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        tip.Pop();
        MoveTo(300, 110);
        tip.SetBehaviour(c.behaviour);
        ShowButtonTip();
        platform.Advance(3000);
        platform.moves.clear();
        MoveTo(160, 140);
        EXPECT_EQ(platform.visible, c.visibleAfterMove);
        platform.Advance(2500);
        EXPECT_EQ(platform.visible, c.visibleAfterOriginalAutopop);
        if (c.behaviour == HTML_TOOL_FOLLOW_MOUSE) {
            ASSERT_EQ(platform.moves.size(), 1u);
            EXPECT_EQ(platform.moves.front(), (POINT{160, 140}));
        }
    }
}

TEST_F(ToolTip, MovingOverTheVisibleTip)
{
    ShowButtonTip();
    const POINT over{platform.topLeft.x + 20, platform.topLeft.y + 15};
    ASSERT_TRUE(platform.shape.contains(QPoint(20, 15)));
    MoveTo(over.x, over.y);
    EXPECT_FALSE(platform.visible);

    tip.SetBehaviour(HTML_TOOL_STAY_OVER_TIP);
    MoveTo(300, 110);
    ShowButtonTip();
    platform.Advance(4000);
    MoveTo(platform.topLeft.x + 20, platform.topLeft.y + 15);
    platform.Advance(4000);
    EXPECT_TRUE(platform.visible);
    platform.Advance(1000);
    EXPECT_FALSE(platform.visible);
}

TEST_F(ToolTip, ClicksKeysAndTheWheelPop)
{
    const UINT messages[] = {WM_KEYDOWN, WM_SYSKEYDOWN, WM_LBUTTONDOWN, 0x0204, 0x0207, WM_MOUSEWHEEL,
                             WM_NCLBUTTONDOWN, WM_LBUTTONDBLCLK};
    for (const UINT message : messages) {
        SCOPED_TRACE(message);
        MoveTo(300, 110);
        ShowButtonTip();
        Relay(message, 150, 135);
        EXPECT_FALSE(platform.visible);
        EXPECT_EQ(tip.GetState(), TipState::Hidden);
        EXPECT_FALSE(platform.Running(kTimerAutopop));
    }
}

TEST_F(ToolTip, AnotherToolWaitsForTheFadeOut)
{
    tip.SetDelayTime(kDelayFadeOut, 50);
    const RECT left{10, 10, 60, 40};
    tip.AddTool(&panel, u"Left part", &left, 7);
    ShowButtonTip();
    MoveTo(270, 140);  // the panel's left part
    EXPECT_EQ(tip.GetState(), TipState::FadingOut);
    platform.Advance(250);
    EXPECT_EQ(tip.GetState(), TipState::Hidden);
    platform.Advance(499);
    EXPECT_FALSE(platform.visible);
    platform.Advance(1);
    EXPECT_TRUE(platform.visible);
    EXPECT_EQ(tip.GetCurrentToolInfo().text, u"Left part");
}

TEST_F(ToolTip, FindingTheToolUnderTheMouse)
{
    CWnd combo;
    CWnd comboEdit;
    CWnd disabled;
    ASSERT_TRUE(combo.CreateEx(0, u"COMBOBOX", u"", WS_CHILD, RECT{}, &owner, 1003));
    ASSERT_TRUE(comboEdit.CreateEx(0, u"EDIT", u"", WS_CHILD, RECT{}, &combo, 1001));
    ASSERT_TRUE(disabled.CreateEx(0, u"BUTTON", u"", WS_CHILD, RECT{}, &owner, 1004));
    platform.windows.push_back({combo, RECT{120, 300, 220, 330}, owner, true, true});
    platform.windows.push_back({comboEdit, RECT{122, 302, 200, 328}, combo});
    platform.windows.push_back({disabled, RECT{300, 390, 340, 399}, owner, false});
    tip.AddTool(&combo, u"combo");
    tip.AddTool(&disabled, u"disabled");
    const RECT first{10, 10, 60, 40};
    const RECT second{40, 20, 120, 60};
    tip.AddTool(&panel, u"first", &first, 1);
    tip.AddTool(&panel, u"second", &second, 2);

    const struct {
        const char* name;
        POINT at;
        const char16_t* text;  // null: no tool
        POINT scroll;
    } cases[] = {
        {"one tool of empty rectangle: anywhere in the window", {219, 149}, u"<b>Jog</b> the axis", {}},
        {"the first rectangle that holds the point", {295, 135}, u"first", {}},
        {"only the second holds it", {330, 170}, u"second", {}},
        {"outside every rectangle", {400, 300}, nullptr, {}},
        {"right and bottom edges are outside", {310, 160}, u"second", {}},
        {"the edit of a drop-down combo box counts as the combo box", {150, 310}, u"combo", {}},
        {"a disabled window has none", {320, 395}, nullptr, {}},
        {"a scrolled view adds its scroll position", {265, 335}, u"first", {0, -200}},
        {"no window", {50, 50}, nullptr, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        tip.Pop();
        MoveTo(105, 105);
        platform.windows[2].scroll = c.scroll;
        MoveTo(c.at.x, c.at.y);
        platform.Advance(500);
        if (c.text) {
            EXPECT_TRUE(platform.visible);
            EXPECT_EQ(tip.GetCurrentToolInfo().text, c.text);
        } else {
            EXPECT_FALSE(platform.visible);
        }
    }
    combo.DestroyWindow();
    disabled.DestroyWindow();
}

TEST_F(ToolTip, ToolRecords)
{
    const RECT r1{0, 0, 10, 10};
    const RECT r2{10, 0, 20, 10};
    tip.AddTool(&panel, u"a", &r1, 1);
    tip.AddTool(&panel, u"b", &r2, 2);
    // An equal rectangle replaces the record.
    tip.AddTool(&panel, u"c", &r1, 3);
    HtmlToolInfo info;
    EXPECT_FALSE(tip.GetToolInfo(info, &panel, 1));
    ASSERT_TRUE(tip.GetToolInfo(info, &panel, 3));
    EXPECT_EQ(info.text, u"c");
    EXPECT_EQ(info.mask, 0u);
    tip.UpdateTipText(u"changed", &panel, 2);
    const RECT r3{30, 0, 40, 10};
    tip.SetToolRect(&panel, 2, &r3);
    ASSERT_TRUE(tip.GetToolInfo(info, &panel, 2));
    EXPECT_EQ(info.text, u"changed");
    EXPECT_EQ(info.rect, r3);
    tip.RemoveTool(&panel, &r3);
    EXPECT_FALSE(tip.GetToolInfo(info, &panel, 2));
    EXPECT_TRUE(tip.GetToolInfo(info, &panel, 3));
    tip.RemoveTool(&panel);
    EXPECT_FALSE(tip.GetToolInfo(info, &panel, 3));
    tip.RemoveAllTools();
    EXPECT_FALSE(tip.GetToolInfo(info, &button, 0));
}

TEST_F(ToolTip, HelpTipStaysUntilAClickAKeyOrHideTooltip)
{
    tip.ShowHelpTooltip(POINT{300, 200}, u"Enter the <b>speed</b>");
    EXPECT_TRUE(platform.visible);
    EXPECT_EQ(tip.GetState(), TipState::Shown);
    EXPECT_EQ(platform.topLeft.x + tip.GetPlacement().anchor.x, 300);
    MoveTo(150, 135);
    MoveTo(450, 300);
    platform.Advance(60000);
    EXPECT_TRUE(platform.visible);
    tip.HideTooltip();
    EXPECT_FALSE(platform.visible);

    tip.ShowHelpTooltip(POINT{300, 200}, u"again");
    Relay(WM_KEYDOWN, 0, 0, 0x41);
    EXPECT_FALSE(platform.visible);
}

TEST_F(ToolTip, HelpTipAddsNoAutopopAsABit)
{
    // With the flag already in the default, adding it as a number would
    // have given 32 and lost it.
    tip.SetBehaviour(HTML_TOOL_NO_AUTOPOP | HTML_TOOL_STAY_IN_TOOL);
    tip.ShowHelpTooltip(POINT{300, 200}, u"help");
    EXPECT_EQ(tip.GetCurrentToolInfo().behaviour, HTML_TOOL_NO_AUTOPOP | HTML_TOOL_STAY_IN_TOOL);
    platform.Advance(60000);
    EXPECT_TRUE(platform.visible);
}

TEST_F(ToolTip, TheNotifiedWindowMayChangeOrEmptyTheText)
{
    RecordingWindow notified;
    ASSERT_TRUE(notified.CreateEx(0, AfxRegisterWndClass(0), u"", WS_POPUP, RECT{}, nullptr, 0));
    tip.SetNotify(notified.GetSafeHwnd());
    notified.onNotify = [](HtmlToolTipNotify& n) { n.toolInfo->text = u"changed <i>text</i>"; };
    ShowButtonTip();
    ASSERT_EQ(notified.received.size(), 1u);
    EXPECT_EQ(notified.received[0].code, HTML_TOOLTIP_SHOWING);
    EXPECT_EQ(notified.received[0].text, u"<b>Jog</b> the axis");
    EXPECT_EQ(notified.received[0].toolWindow, button.GetSafeHwnd());
    EXPECT_EQ(tip.GetCurrentToolInfo().text, u"changed <i>text</i>");

    notified.onNotify = [](HtmlToolTipNotify& n) { n.toolInfo->text.Empty(); };
    MoveTo(300, 110);
    MoveTo(150, 135);
    platform.Advance(500);
    EXPECT_FALSE(platform.visible);
    EXPECT_EQ(tip.GetState(), TipState::Hidden);
    notified.DestroyWindow();
}

TEST_F(ToolTip, LinksInTheTipHoverAndClick)
{
    RecordingWindow callback;
    ASSERT_TRUE(callback.CreateEx(0, AfxRegisterWndClass(0), u"", WS_POPUP, RECT{}, nullptr, 0));
    tip.SetCallbackHyperlink(callback, kLinkMessage);
    tip.SetBehaviour(HTML_TOOL_STAY_OVER_TIP);
    tip.AddTool(&button, u"See <a msg=\"jog-help\">the jog help</a>.");
    ShowButtonTip();
    const auto& areas = tip.GetDrawer().GetHyperlinkAreas();
    ASSERT_EQ(areas.size(), 1u);
    const RECT link = areas.front().rect;
    const POINT overLink{platform.topLeft.x + (link.left + link.right) / 2,
                         platform.topLeft.y + (link.top + link.bottom) / 2};

    // Hovering redraws the tip with the link in its hover style.
    const QImage before = tip.GetTipImage();
    platform.cursor = overLink;
    tip.SendMessage(WM_SETCURSOR, 0, 0);
    EXPECT_EQ(tip.GetDrawer().GetHoveredLink(), 0);
    EXPECT_NE(tip.GetTipImage(), before);
    platform.cursor = POINT{platform.topLeft.x + 2, platform.topLeft.y + 30};
    const int arrows = platform.arrowCursors;
    tip.SendMessage(WM_SETCURSOR, 0, 0);
    EXPECT_EQ(tip.GetDrawer().GetHoveredLink(), kNoHoveredLink);
    EXPECT_EQ(platform.arrowCursors, arrows + 1);

    // A click on it sends the link's message with its text, and pops the tip.
    Relay(WM_LBUTTONDOWN, overLink.x, overLink.y);
    ASSERT_EQ(callback.received.size(), 1u);
    EXPECT_EQ(callback.received[0].text, u"jog-help");
    EXPECT_FALSE(platform.visible);

    // A click beside the tip reaches no link.
    MoveTo(300, 110);
    ShowButtonTip();
    Relay(WM_LBUTTONDOWN, 150, 135);
    EXPECT_EQ(callback.received.size(), 1u);
    callback.DestroyWindow();
}

TEST_F(ToolTip, SettingsOutsideTheirRange)
{
    tip.SetTransparency(30);
    tip.SetTransparency(101);
    ShowButtonTip();
    EXPECT_EQ(tip.GetCurrentToolInfo().transparency, 30);

    tip.SetDelayTime(kDelayAutopop, 1234);
    EXPECT_EQ(tip.GetDelayTime(kDelayAutopop), 1234u);
    EXPECT_EQ(tip.GetDelayTime(kDelayAnimation), 0u);
    EXPECT_EQ(tip.GetDelayTime(99), 0u);
    tip.SetDelayTime(kDelayAnimation, 0);
    EXPECT_FALSE(platform.Running(kTimerAnimation));
    tip.SetDelayTime(kDelayAnimation, 40);
    EXPECT_EQ(platform.timers[kTimerAnimation].period, 40u);

    tip.SetSize(9, 5);
    EXPECT_EQ(tip.GetSize(9), 0);
    EXPECT_EQ(tip.GetSize(-1), 0);
    EXPECT_EQ(tip.GetSize(kSizeAnchorHeight), 16);
    tip.SetSizes(FALSE);
    EXPECT_EQ(tip.GetSize(kSizeAnchorHeight), 0);
    EXPECT_EQ(tip.GetSize(kSizeMarginX), 3);
}

TEST_F(ToolTip, ShadowDarknessAboveHundredCountsAsHundred)
{
    const auto shadowAlpha = [&](BYTE darkness) {
        tip.Pop();
        MoveTo(300, 110);
        tip.SetTooltipShadow(6, 6, darkness, FALSE, 1, 1);
        ShowButtonTip();
        const QImage& image = tip.GetTipImage();
        // Just beyond the body's lower right corner, inside the shadow.
        const RECT body = tip.GetPlacement().body;
        return qAlpha(image.pixel(body.right + 2, body.bottom - 8));
    };
    EXPECT_EQ(shadowAlpha(100), 255);
    EXPECT_EQ(shadowAlpha(150), 255);
    EXPECT_EQ(shadowAlpha(50), 127);
}

// A tip shown again reuses what it made for its last shadow; whatever came
// between (another size, another shadow, another transparency), it must look
// exactly as a new tooltip with the same settings shows it.
TEST_F(ToolTip, ATipShownAgainLooksAsANewTooltipShowsIt)
{
    const char16_t* const small = u"Enter the <b>speed</b>";
    const char16_t* const large = u"Enter the <b>speed</b><br>in mm/s<br><i>up to the limit</i>";
    struct Settings {
        int offset;
        BYTE darkness;
        BOOL blurred;
        BYTE transparency;
    };
    const auto fresh = [&](const char16_t* text, const Settings& s) {
        CHtmlToolTip other;
        other.SetPlatform(&platform);
        EXPECT_TRUE(other.Create(&owner, TRUE));
        other.SetTooltipShadow(s.offset, s.offset, s.darkness, s.blurred, 3, 3);
        other.SetTransparency(s.transparency);
        other.ShowHelpTooltip(POINT{300, 200}, text);
        const QImage image = other.GetTipImage().copy();
        other.DestroyWindow();
        return image;
    };
    const Settings rows[] = {
        {4, 50, TRUE, 10}, {4, 50, TRUE, 10}, {6, 80, TRUE, 10}, {6, 80, TRUE, 40}, {6, 80, FALSE, 40}, {0, 50, TRUE, 0},
        {4, 50, TRUE, 10},
    };
    for (const Settings& s : rows) {
        for (const char16_t* text : {small, large, small}) {
            SCOPED_TRACE(::testing::Message() << "offset " << s.offset << ", darkness " << int(s.darkness)
                                              << ", transparency " << int(s.transparency)
                                              << (text == small ? ", small" : ", large"));
            tip.SetTooltipShadow(s.offset, s.offset, s.darkness, s.blurred, 3, 3);
            tip.SetTransparency(s.transparency);
            tip.ShowHelpTooltip(POINT{300, 200}, text);
            const QImage shown = tip.GetTipImage().copy();
            tip.HideTooltip();
            const QImage expected = fresh(text, s);
            ASSERT_FALSE(shown.isNull());
            EXPECT_EQ(shown.size(), expected.size());
            EXPECT_TRUE(shown == expected);
        }
    }
}

// The window keeps the image it was given while the next tips are composed:
// an image handed out is never written over, at the same size or another.
TEST_F(ToolTip, AnImageHandedOutIsNotWrittenOverByTheNextShows)
{
    const char16_t* const texts[] = {u"Enter the <b>speed</b>", u"Enter the <b>speed</b><br>in mm/s",
                                     u"<font color=#c00000>Stop</font> the axis", u"Enter the <b>speed</b>"};
    tip.SetTooltipShadow(4, 4, 50, TRUE, 3, 3);
    tip.SetTransparency(10);
    std::vector<QImage> held, copies;
    for (const char16_t* text : texts) {
        tip.ShowHelpTooltip(POINT{300, 200}, text);
        held.push_back(tip.GetTipImage());
        copies.push_back(tip.GetTipImage().copy());
        tip.HideTooltip();
    }
    for (std::size_t i = 0; i < held.size(); ++i) {
        SCOPED_TRACE(::testing::Message() << "show " << i);
        ASSERT_FALSE(held[i].isNull());
        EXPECT_TRUE(held[i] == copies[i]);
    }
    // The first and the last show the same text, and look the same.
    EXPECT_TRUE(copies.front() == copies.back());
}

TEST_F(ToolTip, DestroyingTheWindowPopsAndStopsTheAnimation)
{
    ShowButtonTip();
    ASSERT_TRUE(platform.Running(kTimerAnimation));
    tip.DestroyWindow();
    EXPECT_FALSE(platform.visible);
    EXPECT_FALSE(platform.Running(kTimerAnimation));
    EXPECT_FALSE(platform.Running(kTimerAutopop));
    // Without a window, relayed messages do nothing.
    MoveTo(150, 135);
    platform.Advance(1000);
    EXPECT_FALSE(platform.visible);
}

// ------------------------------------------------------------------ placement

TEST(TipPlacement, FitsTheScreen)
{
    const TipSizes balloon{16, 16, 12, 12, 12, 16, 16};
    const RECT screen{0, 0, 800, 600};
    const SIZE body{200, 80};
    const struct {
        const char* name;
        POINT at;
        UINT direction;
        UINT fitted;
        POINT topLeft;
    } cases[] = {
        {"above, anchor near the left end", {300, 300}, 0x10, 0x10, {284, 204}},
        {"below", {300, 300}, 0x00, 0x00, {284, 300}},
        {"passing the right bound: anchor near the right end", {700, 300}, 0x10, 0x11, {516, 204}},
        {"anchor near the right end passing the left bound", {50, 300}, 0x11, 0x10, {34, 204}},
        {"above passing the top: below", {300, 40}, 0x10, 0x00, {284, 40}},
        {"below passing the bottom: above", {300, 580}, 0x00, 0x10, {284, 484}},
        {"right of the point passing the right bound: left of it", {700, 300}, 0x20, 0x30, {484, 284}},
        {"left of the point passing the left bound: right of it", {50, 300}, 0x30, 0x20, {50, 284}},
        {"centred", {400, 300}, 0x12, 0x12, {300, 204}},
        {"centred within the offset of the right bound", {790, 300}, 0x12, 0x11, {600, 204}},
        {"centred within the offset of the left bound", {5, 300}, 0x12, 0x10, {0, 204}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TipPlacement p = PlaceTip(body, c.at, c.direction, balloon, screen);
        EXPECT_EQ(p.direction, c.fitted);
        EXPECT_EQ(p.topLeft, c.topLeft);
        // The anchor always sits on the point.
        EXPECT_EQ(p.topLeft.x + p.anchor.x, c.at.x);
        EXPECT_EQ(p.topLeft.y + p.anchor.y, c.at.y);
    }
}

TEST(TipPlacement, TooWideForBothSidesIsCentred)
{
    const TipSizes balloon{16, 16, 12, 12, 12, 16, 16};
    const TipPlacement p = PlaceTip(SIZE{700, 50}, POINT{400, 300}, 0x10, balloon, RECT{0, 0, 800, 600});
    EXPECT_EQ(p.direction, 0x12u);
    EXPECT_GE(p.topLeft.x, 0);
    EXPECT_LE(p.topLeft.x + p.window.cx, 800);
}

TEST(TipPlacement, AnchorShape)
{
    const TipSizes balloon{16, 16, 12, 12, 12, 16, 16};
    const TipPlacement above = PlaceTip(SIZE{200, 80}, POINT{300, 300}, 0x10, balloon, RECT{0, 0, 800, 600});
    EXPECT_EQ(above.window, (SIZE{200, 96}));
    EXPECT_EQ(above.body, (RECT{0, 0, 200, 80}));
    ASSERT_TRUE(above.hasAnchor);
    EXPECT_EQ(above.triangle[0], (POINT{16, 96}));
    EXPECT_EQ(above.triangle[1], (POINT{16, 80}));
    EXPECT_EQ(above.triangle[2], (POINT{28, 80}));

    const TipPlacement right = PlaceTip(SIZE{200, 80}, POINT{300, 300}, 0x21, balloon, RECT{0, 0, 800, 600});
    EXPECT_EQ(right.body, (RECT{16, 0, 216, 80}));
    EXPECT_EQ(right.anchor, (POINT{0, 64}));
    EXPECT_EQ(right.triangle[1], (POINT{16, 52}));

    const TipSizes rectangle{0, 0, 3, 1, 0, 0, 0};
    const TipPlacement plain = PlaceTip(SIZE{200, 80}, POINT{300, 300}, 0x10, rectangle, RECT{0, 0, 800, 600});
    EXPECT_FALSE(plain.hasAnchor);
    EXPECT_EQ(plain.window, (SIZE{200, 80}));
}

}  // namespace

namespace {

// The tip's own pixels over a checkerboard, so that its shadow and
// translucency show: a balloon above the point, one below with an effect, a
// rectangle, and a balloon fading.
TEST_F(ToolTip, TipWindowsAsTheyLook)
{
    QImage sheet(4 * 230, 170, QImage::Format_ARGB32);
    for (int y = 0; y < sheet.height(); ++y)
        for (int x = 0; x < sheet.width(); ++x)
            sheet.setPixel(x, y, ((x / 8 + y / 8) % 2) ? qRgb(200, 200, 200) : qRgb(255, 255, 255));
    QPainter painter(&sheet);
    const auto place = [&](int slot) {
        painter.drawImage(QPoint(slot * 230 + 5, 5), tip.GetTipImage());
    };
    const std::u16string text = u"<b>Speed</b> 250 mm/s<br><font color=#a00000>Limit</font> 500 mm/s";
    tip.AddTool(&button, text.c_str());

    ShowButtonTip();
    place(0);

    tip.Pop();
    MoveTo(300, 110);
    tip.SetDirection(HTML_TIP_TOP_EDGE | HTML_TIP_ANCHOR_END);
    tip.SetEffectBk(EFFECT_SOFTBUMP, 5);
    tip.SetColorBk(RGB(255, 255, 255), RGB(220, 235, 255), RGB(150, 180, 230));
    ShowButtonTip();
    place(1);

    tip.Pop();
    MoveTo(300, 110);
    tip.SetSizes(FALSE);
    tip.SetEffectBk(EFFECT_VGRADIENT, 0);
    tip.SetBorder(RGB(40, 80, 160), 1, 1);
    ShowButtonTip();
    place(2);

    tip.Pop();
    MoveTo(300, 110);
    tip.SetSizes(TRUE);
    tip.SetEffectBk(EFFECT_SOLID, 0);
    tip.SetColorBk(::GetSysColor(COLOR_INFOBK));
    tip.SetDirection(HTML_TIP_BOTTOM_EDGE | HTML_TIP_ANCHOR_CENTER);
    tip.SetDelayTime(kDelayFadeIn, 50);
    MoveTo(150, 135);
    platform.Advance(500 + 100);
    ASSERT_EQ(tip.GetCurrentTransparency(), 60);
    place(3);
    painter.end();
    // Exact but for rounding by one step where the fading tip meets its shadow:
    // a run of one shade that ended a pixel late would differ by more.
    ExpectMatchesGolden(sheet, "tooltip_windows", 1);
}

// A tip without glyphs, fading in over its own shadow, compared exactly:
// every pixel of the composition counts (a run of one shade that ended a
// pixel late would give that pixel its neighbour's shade).
TEST_F(ToolTip, AFadingTipOverItsShadowIsComposedExactly)
{
    tip.AddTool(&button, u"<table><tr><td width=160 height=48 bgcolor=#5078b4></td></tr></table>");
    tip.SetEffectBk(EFFECT_VGRADIENT, 0);
    tip.SetColorBk(RGB(255, 255, 255), RGB(220, 235, 255), RGB(150, 180, 230));
    tip.SetDelayTime(kDelayFadeIn, 50);
    MoveTo(150, 135);
    platform.Advance(500 + 100);
    ASSERT_EQ(tip.GetCurrentTransparency(), 60);
    ExpectMatchesGolden(tip.GetTipImage(), "tooltip_fading_exact");
}

}  // namespace
