#include "WidgetTestSupport.h"

#include "manager/core/ManagerWindows.h"
#include "manager/widgets/Splash.h"
#include "platform/core/Module.h"
#include "platform/core/ResourceModule.h"
#include "resources/manager/resource_ids.h"

#include <QTest>
#include <QWindow>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr int kStartFlags = CSplashWnd::kCloseOnInput | CSplashWnd::kWaitForReady;
constexpr UINT kMissingBitmap = 1;

// Ends a splash that a failed test left up.
class NoSplashLeft {
public:
    explicit NoSplashLeft(CSplash*& splash) : m_splash(splash) {}
    ~NoSplashLeft()
    {
        if (m_splash) m_splash->Close();
        uitest::WaitUntil([] { return !IsSplashRunning(); }, 5000);
    }

private:
    CSplash*& m_splash;
};

class SplashTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(resources.Loaded());
        font.CreatePointFont(120, u"DejaVu Sans");
        const COLORREF grey = RGB(0x55, 0x55, 0x69);
        lines = {
            {u"(C) Velbrook", grey, RECT{150, 330, 310, 350}, &font, 1, 2},
            {u"Application Version  Ver 1.0.0", grey, RECT{80, 240, 460, 260}, &font, 2, 0},
            {u"Database Version  Ver -", grey, RECT{80, 260, 440, 280}, &font, 3, 0},
        };
    }

    static QWindow* WindowOf(CWnd* wnd) { return platform::ui::WidgetOf(wnd->GetSafeHwnd())->windowHandle(); }

    void Click()
    {
        ASSERT_NE(splash, nullptr);
        QTest::mouseClick(WindowOf(splash->GetSplashWnd()), Qt::LeftButton, {}, QPoint(40, 40));
        uitest::Pump(0);
    }

    bool EndsSoon() { return uitest::WaitUntil([] { return !IsSplashRunning(); }, 5000); }

    widgettest::ManagerResources resources;
    CFont font;
    std::vector<SplashText> lines;
    int ready = 0;
    CSplash* splash = nullptr;
    NoSplashLeft cleanup{splash};
};

TEST_F(SplashTest, StartUpSplashEndsAtTheFirstTickOnceReady)
{
    splash = new CSplash(IDB_SPLASH, 50, &lines, kStartFlags, &splash, &ready);
    EXPECT_TRUE(IsSplashRunning());
    CSplashWnd* wnd = splash->GetSplashWnd();
    ASSERT_NE(wnd, nullptr);
    CRect rect;
    wnd->GetWindowRect(&rect);
    EXPECT_EQ(rect.Width(), 480);
    EXPECT_EQ(rect.Height(), 360);
    CString text;
    ASSERT_NE(wnd->GetDlgItem(2), nullptr);
    wnd->GetDlgItem(2)->GetWindowText(text);
    EXPECT_EQ(text, CString(u"Application Version  Ver 1.0.0"));

    // Not ready: neither the ticks nor a click end it.
    uitest::Pump(300);
    Click();
    uitest::Pump(50);
    EXPECT_TRUE(IsSplashRunning());
    EXPECT_NE(splash, nullptr);

    ready = 1;
    EXPECT_TRUE(EndsSoon());
    EXPECT_EQ(splash, nullptr) << "the owner's pointer is cleared";
}

TEST_F(SplashTest, ClickClosesOnceReady)
{
    splash = new CSplash(IDB_SPLASH, 600000, &lines, kStartFlags, &splash, &ready);
    ASSERT_TRUE(IsSplashRunning());
    ready = 1;
    Click();
    EXPECT_TRUE(EndsSoon());
    EXPECT_EQ(splash, nullptr);
}

TEST_F(SplashTest, AboutSplashStaysUntilAKey)
{
    splash = new CSplash(IDB_SPLASH, CSplashWnd::kNoTimer, &lines, CSplashWnd::kCloseOnInput, &splash, nullptr);
    uitest::Pump(300);
    ASSERT_TRUE(IsSplashRunning());
    QTest::keyClick(WindowOf(splash->GetSplashWnd()), Qt::Key_Escape);
    EXPECT_TRUE(EndsSoon());
    EXPECT_EQ(splash, nullptr);
}

// The application's main window, for a scope.
class MainWindowIs final : public HeadlessManagerWindows {
public:
    explicit MainWindowIs(HWND main) : m_main(main), m_scope(this) {}
    HWND GetMainWindow() override { return m_main; }

private:
    HWND m_main;
    ScopedManagerWindows m_scope;
};

TEST_F(SplashTest, WithoutWaitingForReadyItWaitsForTheMainWindow)
{
    // Without the flag 8 the splash waits for the main window.
    ready = 1;
    splash = new CSplash(IDB_SPLASH, 50, &lines, CSplashWnd::kCloseOnInput, &splash, &ready);
    uitest::Pump(300);
    EXPECT_TRUE(IsSplashRunning());
    widgettest::HostDialog main;
    MainWindowIs windows(main.GetSafeHwnd());
    EXPECT_TRUE(EndsSoon());
}

TEST_F(SplashTest, WaitingForReadyWithoutAFlagUsesItsOwn)
{
    widgettest::HostDialog main;
    MainWindowIs windows(main.GetSafeHwnd());
    splash = new CSplash(IDB_SPLASH, 50, &lines, kStartFlags, &splash, nullptr);
    EXPECT_EQ(splash->GetFlags(), CSplashWnd::kCloseOnInput);
    EXPECT_TRUE(EndsSoon()) << "its own flag is already set";
}

TEST_F(SplashTest, WithAMainWindowItClosesWhenReady)
{
    widgettest::HostDialog main;
    MainWindowIs windows(main.GetSafeHwnd());
    ready = 1;
    splash = new CSplash(IDB_SPLASH, 50, &lines, kStartFlags, &splash, &ready);
    EXPECT_TRUE(EndsSoon());
}

TEST_F(SplashTest, MissingPictureEndsAtOnce)
{
    splash = new CSplash(kMissingBitmap, 3000, &lines, kStartFlags, &splash, &ready);
    EXPECT_EQ(splash->GetSplashWnd(), nullptr);
    uitest::Pump(0);
    EXPECT_FALSE(IsSplashRunning());
    EXPECT_EQ(splash, nullptr);
}

TEST_F(SplashTest, Picture)
{
    splash = new CSplash(IDB_SPLASH, CSplashWnd::kNoTimer, &lines, 0, &splash, nullptr);
    uitest::Pump(0);
    widgettest::ExpectMatchesGolden(widgettest::Picture(*splash->GetSplashWnd()), "splash_start");
    splash->Close();
    EXPECT_TRUE(EndsSoon());
}

}  // namespace
