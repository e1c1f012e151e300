// The HTML tooltip of a real dialog on the window layer: the dialog hands it
// the mouse through its pre-translation, the tip shows in its translucent
// face, and the mouse over the face reaches the tooltip.
#include "htmltip/HtmlToolTip.h"
#include "htmltip/WindowTipPlatform.h"

#include "tests/support/ui/UiTest.h"

#include "platform/ui/Button.h"
#include "platform/ui/Dialog.h"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QWidget>

#include <gtest/gtest.h>

#include <string>

using namespace htmltip;

namespace {

constexpr int kJog = 1001;
constexpr int kFramed = 1002;
constexpr int kGroup = 1003;
constexpr UINT kLinkMessage = 0x8321;

platform::DialogTemplate Template()
{
    platform::DialogTemplate t;
    t.extended = true;
    t.style = WS_POPUP | WS_CAPTION | DS_SETFONT | WS_VISIBLE;
    t.x = 20;
    t.y = 60;
    t.cx = 200;
    t.cy = 100;
    t.hasFont = true;
    t.pointSize = 9;
    t.faceName = u"MS Shell Dlg";
    auto add = [&](int id, DWORD style, short x, short y, short cx, short cy, const char16_t* text) {
        platform::DialogItemTemplate item;
        item.className = u"Button";
        item.id = id;
        item.style = WS_CHILD | WS_VISIBLE | style;
        item.x = x;
        item.y = y;
        item.cx = cx;
        item.cy = cy;
        item.text = platform::TemplateName::Text(text);
        t.items.push_back(item);
    };
    add(kGroup, BS_GROUPBOX, 5, 40, 120, 50, u"Group");
    add(kJog, BS_PUSHBUTTON | WS_TABSTOP, 5, 5, 60, 20, u"Jog +");
    add(kFramed, BS_PUSHBUTTON | WS_TABSTOP, 15, 55, 60, 20, u"In the group");
    return t;
}

class TipDialog : public CDialog {
public:
    CHtmlToolTip tip;
    int links = 0;
    std::u16string linkText;

    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        tip.Create(this);
        tip.SetDelayTime(kDelayInitial, 0);
        tip.SetCallbackHyperlink(GetSafeHwnd(), kLinkMessage);
        tip.AddTool(GetDlgItem(kJog), u"Moves the axis; see <a msg=\"jog\">the jog help</a>");
        tip.AddTool(GetDlgItem(kFramed), u"A control inside a group box");
        return TRUE;
    }
    BOOL PreTranslateMessage(MSG* msg) override
    {
        tip.RelayEvent(msg);
        return CDialog::PreTranslateMessage(msg);
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == kLinkMessage) {
            ++links;
            linkText = reinterpret_cast<const char16_t*>(wParam);
            return 0;
        }
        return CDialog::WindowProc(message, wParam, lParam);
    }
};

class WindowTip : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dialog.CreateIndirect(Template()));
        uitest::Pump(20);
    }
    void TearDown() override
    {
        dialog.tip.DestroyWindow();
        dialog.DestroyWindow();
        uitest::FlushDeletedWidgets();
    }

    // The mouse moves to a point of a widget, as a person would move it.
    static void MoveOver(QWidget* widget, QPoint at)
    {
        const QPoint global = widget->mapToGlobal(at);
        QCursor::setPos(global);
        QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(global), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &move);
        uitest::Pump(0);
    }
    QWidget* Control(int id) { return uitest::DialogDriver(dialog.GetSafeHwnd()).Widget(id); }
    POINT CentreOf(int id)
    {
        RECT r{};
        ::GetWindowRect(dialog.GetDlgItem(id)->GetSafeHwnd(), &r);
        return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }

    TipDialog dialog;
};

TEST_F(WindowTip, ControlsUnderTheMouseAreFoundInTheOwnersWindows)
{
    WindowTipPlatform platform(dialog.tip);
    EXPECT_EQ(platform.WindowFromPoint(CentreOf(kJog)), dialog.GetDlgItem(kJog)->GetSafeHwnd());
    // A group box frames controls; the control inside it is the one found.
    EXPECT_EQ(platform.WindowFromPoint(CentreOf(kFramed)), dialog.GetDlgItem(kFramed)->GetSafeHwnd());
    RECT dialogRect{};
    dialog.GetWindowRect(&dialogRect);
    EXPECT_EQ(platform.WindowFromPoint(POINT{dialogRect.right + 50, dialogRect.top}), HWND());
    // Inside the group box but beside its control: the dialog itself.
    RECT group{};
    ::GetWindowRect(dialog.GetDlgItem(kGroup)->GetSafeHwnd(), &group);
    EXPECT_EQ(platform.WindowFromPoint(POINT{group.right - 3, group.bottom - 3}), dialog.GetSafeHwnd());
}

TEST_F(WindowTip, TheMouseOverAControlShowsItsTipInATranslucentFace)
{
    QWidget* jog = Control(kJog);
    ASSERT_NE(jog, nullptr);
    MoveOver(jog, jog->rect().center());
    ASSERT_EQ(dialog.tip.GetState(), TipState::Shown);
    const QImage& image = dialog.tip.GetTipImage();
    ASSERT_FALSE(image.isNull());
    // Opaque body, translucent shadow, transparent outside.
    const RECT body = dialog.tip.GetPlacement().body;
    EXPECT_EQ(qAlpha(image.pixel((body.left + body.right) / 2, (body.top + body.bottom) / 2)), 255);
    EXPECT_EQ(qAlpha(image.pixel(image.width() - 1, 0)), 0);

    // Over the tip: the mouse reaches the tooltip through the face, and a
    // click on the link sends its message.
    const auto& areas = dialog.tip.GetDrawer().GetHyperlinkAreas();
    ASSERT_EQ(areas.size(), 1u);
    const RECT link = areas.front().rect;
    const POINT topLeft = dialog.tip.GetPlacement().topLeft;
    const QPoint overLink((link.left + link.right) / 2, (link.top + link.bottom) / 2);
    QWidget* face = QApplication::topLevelAt(QPoint(topLeft.x + overLink.x(), topLeft.y + overLink.y()));
    ASSERT_NE(face, nullptr);
    const QPoint global(topLeft.x + overLink.x(), topLeft.y + overLink.y());
    QCursor::setPos(global);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(face->mapFromGlobal(global)), QPointF(global), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(face, &press);
    uitest::Pump(0);
    EXPECT_EQ(dialog.links, 1);
    EXPECT_EQ(dialog.linkText, u"jog");
    EXPECT_EQ(dialog.tip.GetState(), TipState::Hidden);
    EXPECT_FALSE(face->isVisible());
}

TEST_F(WindowTip, LeavingTheControlHidesTheTip)
{
    QWidget* jog = Control(kJog);
    MoveOver(jog, jog->rect().center());
    ASSERT_EQ(dialog.tip.GetState(), TipState::Shown);
    QWidget* page = uitest::DialogDriver(dialog.GetSafeHwnd()).Widget(dialog.GetSafeHwnd());
    ASSERT_NE(page, nullptr);
    MoveOver(page, QPoint(page->width() - 5, 5));
    EXPECT_EQ(dialog.tip.GetState(), TipState::Hidden);
}

}  // namespace
