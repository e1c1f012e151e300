#include "WidgetTestSupport.h"

#include "manager/widgets/JogButton.h"

#include <QGuiApplication>
#include <QTest>
#include <QWindow>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kJogId = 1510;
constexpr int kOtherId = 1511;
constexpr int kJogCode = 1;

// The dialog that jogs: it logs presses and releases and answers presses as
// the test says, optionally doing something while it decides.
class JogDialog : public widgettest::HostDialog {
public:
    std::vector<std::string> log;
    LRESULT answer = 1;
    std::function<void()> whileDeciding;

protected:
    LRESULT OnJogPress(WPARAM kind, LPARAM code)
    {
        log.push_back("press " + std::to_string(kind) + " " + std::to_string(code));
        if (whileDeciding) {
            auto work = std::move(whileDeciding);
            work();
        }
        return answer;
    }
    LRESULT OnJogRelease(WPARAM kind, LPARAM code)
    {
        log.push_back("release " + std::to_string(kind) + " " + std::to_string(code));
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(JogDialog, widgettest::HostDialog)
    ON_MESSAGE(CJogButton::kJogPressMessage, &JogDialog::OnJogPress)
    ON_MESSAGE(CJogButton::kJogReleaseMessage, &JogDialog::OnJogRelease)
END_MESSAGE_MAP()

// A window elsewhere on the screen, where a release can go instead.
class Elsewhere {
public:
    Elsewhere()
    {
        // It only receives a release: on a desktop it must not take the
        // focus from the dialog that jogs when it appears.
        m_widget.setAttribute(Qt::WA_ShowWithoutActivating);
        m_widget.setWindowFlag(Qt::WindowDoesNotAcceptFocus);
        m_widget.setGeometry(600, 400, 100, 60);
        m_widget.show();
    }
    QWindow* Window() { return m_widget.windowHandle(); }

private:
    QWidget m_widget;
};

// Input goes through the window system's path, so the button state the
// program asks for is the one a person's mouse gives. Nothing stays pressed
// after a test.
class Pointer {
public:
    explicit Pointer(Elsewhere& elsewhere) : m_elsewhere(elsewhere) {}
    ~Pointer()
    {
        if (QGuiApplication::mouseButtons() & Qt::LeftButton) ReleaseElsewhere();
        if (m_spaceTarget) QTest::keyRelease(m_spaceTarget, Qt::Key_Space);
        uitest::Pump(0);
    }

    static QWidget* Widget(const CWnd& wnd) { return platform::ui::WidgetOf(wnd.GetSafeHwnd()); }
    static QWindow* WindowOf(const CWnd& wnd) { return Widget(wnd)->window()->windowHandle(); }
    static QPoint Centre(const CWnd& wnd)
    {
        QWidget* w = Widget(wnd);
        return w->mapTo(w->window(), w->rect().center());
    }

    void Press(const CWnd& button) { QTest::mousePress(WindowOf(button), Qt::LeftButton, {}, Centre(button)); }
    void Release(const CWnd& button) { QTest::mouseRelease(WindowOf(button), Qt::LeftButton, {}, Centre(button)); }
    void DoubleClick(const CWnd& button) { QTest::mouseDClick(WindowOf(button), Qt::LeftButton, {}, Centre(button)); }
    void ReleaseElsewhere() { QTest::mouseRelease(m_elsewhere.Window(), Qt::LeftButton, {}, QPoint(10, 10)); }
    void SpaceDown(const CWnd& button)
    {
        m_spaceTarget = Widget(button);
        QTest::keyPress(m_spaceTarget, Qt::Key_Space);
    }
    void SpaceUp()
    {
        if (m_spaceTarget) QTest::keyRelease(m_spaceTarget, Qt::Key_Space);
        m_spaceTarget = nullptr;
    }

private:
    Elsewhere& m_elsewhere;
    QWidget* m_spaceTarget = nullptr;
};

class JogButtonTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(button.Create(u"JOG+", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, RECT{20, 20, 100, 60},
                                  &dialog, kJogId));
        ASSERT_TRUE(other.Create(u"other", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, RECT{120, 20, 200, 60},
                                 &dialog, kOtherId));
        button.SetJogCode(kJogCode, &dialog);
        uitest::Pump(0);
    }

    bool Pushed() const { return (button.GetState() & BST_PUSHED) != 0; }

    using Log = std::vector<std::string>;
    const Log kPressAndRelease{"press 2 1", "release 2 1"};
    const Log kPressOnly{"press 2 1"};

    JogDialog dialog;
    Elsewhere elsewhere;
    Pointer pointer{elsewhere};
    CJogButton button;
    CButton other;
};

TEST_F(JogButtonTest, PressStartsAndReleaseStops)
{
    pointer.Press(button);
    EXPECT_EQ(dialog.log, kPressOnly);
    EXPECT_TRUE(button.IsPressed());
    EXPECT_TRUE(Pushed());
    uitest::Pump(250);
    EXPECT_TRUE(button.IsPressed()) << "held: the watch keeps the jog";
    pointer.Release(button);
    EXPECT_EQ(dialog.log, kPressAndRelease);
    EXPECT_FALSE(button.IsPressed());
    EXPECT_FALSE(Pushed());
    EXPECT_EQ(button.GetUserPointer(), &dialog);
}

TEST_F(JogButtonTest, RefusedPressGetsNoRelease)
{
    dialog.answer = 0;
    pointer.Press(button);
    EXPECT_FALSE(button.IsPressed());
    pointer.Release(button);
    uitest::Pump(0);
    EXPECT_EQ(dialog.log, kPressOnly);
}

TEST_F(JogButtonTest, ReleaseWhileTheParentDecidesStillStops)
{
    dialog.whileDeciding = [this] {
        pointer.Release(button);
        uitest::Pump(0);
    };
    pointer.Press(button);
    uitest::Pump(0);
    EXPECT_EQ(dialog.log, kPressAndRelease);
    EXPECT_FALSE(button.IsPressed());
    EXPECT_FALSE(Pushed());
}

TEST_F(JogButtonTest, HoldingSpaceKeepsTheJogUntilItIsReleased)
{
    dialog.whileDeciding = [this] {
        pointer.SpaceDown(button);
        pointer.Release(button);
        uitest::Pump(0);
    };
    pointer.Press(button);
    uitest::Pump(250);
    EXPECT_EQ(dialog.log, kPressOnly);
    EXPECT_TRUE(button.IsPressed());
    pointer.SpaceUp();
    EXPECT_TRUE(uitest::WaitUntil([&] { return !button.IsPressed(); }, 5000));
    EXPECT_EQ(dialog.log, kPressAndRelease);
}

// Everything that takes the button away from the hand that holds it stops the jog.
TEST_F(JogButtonTest, EveryLossStops)
{
    struct Case {
        const char* name;
        std::function<void()> interrupt;
    };
    const std::vector<Case> cases = {
        {"the capture is lost", [this] { button.SendMessage(WM_CAPTURECHANGED, 0, 0); }},
        {"the mode is cancelled", [this] { button.SendMessage(WM_CANCELMODE); }},
        {"the focus moves away", [this] { other.SetFocus(); }},
        {"the button is hidden", [this] { button.ShowWindow(SW_HIDE); }},
        {"the button is disabled", [this] { button.EnableWindow(FALSE); }},
        {"the dialog is hidden", [this] { dialog.ShowWindow(SW_HIDE); }},
        {"the dialog is disabled", [this] { dialog.EnableWindow(FALSE); }},
        {"the mouse is released over another window", [this] { pointer.ReleaseElsewhere(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dialog.log.clear();
        dialog.ShowWindow(SW_SHOW);
        dialog.EnableWindow(TRUE);
        button.ShowWindow(SW_SHOW);
        button.EnableWindow(TRUE);
        uitest::Pump(0);
        pointer.Press(button);
        ASSERT_TRUE(button.IsPressed());
        c.interrupt();
        // Some losses are seen at once, the others by the watch.
        EXPECT_TRUE(uitest::WaitUntil([&] { return !button.IsPressed(); }, 5000));
        EXPECT_EQ(dialog.log, kPressAndRelease);
        pointer.ReleaseElsewhere();
        uitest::Pump(0);
        EXPECT_EQ(dialog.log, kPressAndRelease) << "exactly one release";
    }
}

TEST_F(JogButtonTest, ANewCodeWhileHeldEndsTheJogOfTheOldOne)
{
    pointer.Press(button);
    ASSERT_TRUE(button.IsPressed());
    button.SetJogCode(0, nullptr);
    EXPECT_FALSE(button.IsPressed());
    EXPECT_EQ(dialog.log, kPressAndRelease);
    pointer.Release(button);
    EXPECT_EQ(dialog.log, kPressAndRelease);
}

TEST_F(JogButtonTest, DestroyedWhileHeldStops)
{
    pointer.Press(button);
    ASSERT_TRUE(button.IsPressed());
    button.DestroyWindow();
    EXPECT_EQ(dialog.log, kPressAndRelease);
}

TEST_F(JogButtonTest, DestroyedWhileTheParentDecidesSendsAStopAndNothingElse)
{
    auto doomed = std::make_unique<CJogButton>();
    ASSERT_TRUE(doomed->Create(u"JOG-", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, RECT{20, 70, 100, 110}, &dialog, 1513));
    doomed->SetJogCode(0, nullptr);
    dialog.whileDeciding = [&] { doomed.reset(); };
    CJogButton& target = *doomed;
    pointer.Press(target);
    uitest::Pump(0);
    EXPECT_EQ(dialog.log, (Log{"press 2 0", "release 2 0"}));
}

TEST_F(JogButtonTest, EachClickOfADoubleClickJogs)
{
    pointer.DoubleClick(button);
    uitest::Pump(0);
    EXPECT_EQ(dialog.log, (Log{"press 2 1", "release 2 1", "press 2 1", "release 2 1"}));
    EXPECT_FALSE(button.IsPressed());
}

}  // namespace
