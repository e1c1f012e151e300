#include "WidgetTestSupport.h"

#include "manager/widgets/ProgressWaitWnd.h"
#include "platform/core/Time.h"

#include <chrono>
#include <future>
#include <memory>

namespace {

using widgettest::HostDialog;

constexpr int kWidth = 362;
constexpr int kHeight = 100;

// The main window the data core names, for a scope.
class MainWindowIs final : public HeadlessManagerWindows {
public:
    explicit MainWindowIs(HWND main) : m_main(main), m_scope(this) {}
    HWND GetMainWindow() override { return m_main; }

private:
    HWND m_main;
    ScopedManagerWindows m_scope;
};

// Closes what a failed test leaves up, so the next test starts clean.
class NoWaitWindowLeft {
public:
    ~NoWaitWindowLeft()
    {
        while (GetActiveProgressWaitWnd()) CloseActiveProgressWaitWnd();
    }
};

// A square icon of one colour.
HICON PlainIcon(int size, COLORREF colour)
{
    HBITMAP picture = ::CreateBitmap(size, size, 1, 32, nullptr);
    HBITMAP mask = ::CreateBitmap(size, size, 1, 1, nullptr);
    HDC dc = ::CreateCompatibleDC(HDC());
    const HGDIOBJ old = ::SelectObject(dc, picture);
    HBRUSH brush = ::CreateSolidBrush(colour);
    RECT all{0, 0, size, size};
    ::FillRect(dc, &all, brush);
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    ICONINFO info;
    info.hbmColor = picture;
    info.hbmMask = mask;
    HICON icon = ::CreateIconIndirect(&info);
    ::DeleteObject(brush);
    ::DeleteObject(picture);
    ::DeleteObject(mask);
    return icon;
}

CRect WindowRect(HWND hwnd)
{
    CRect rect;
    ::GetWindowRect(hwnd, &rect);
    return rect;
}

TEST(ProgressWaitWndTest, CreateDisablesTheOwnerAndDestroyEnablesIt)
{
    NoWaitWindowLeft cleanup;
    HostDialog owner;
    CProgressWaitWnd wait(FALSE, CGradientProgressCtrl::kBlockStyle, FALSE, TRUE, TRUE, 0);
    ASSERT_TRUE(wait.Create(&owner, kWidth, kHeight));
    EXPECT_FALSE(owner.IsWindowEnabled());
    EXPECT_EQ(GetActiveProgressWaitWnd(), &wait);
    EXPECT_EQ(wait.GetOwnerWindow(), owner.GetSafeHwnd());

    // Centred on the owner.
    const CRect around = WindowRect(owner.GetSafeHwnd());
    const CRect placed = WindowRect(wait.GetSafeHwnd());
    EXPECT_EQ(placed.Width(), kWidth);
    EXPECT_EQ(placed.Height(), kHeight);
    EXPECT_EQ(placed.left, (around.left + around.right - kWidth) / 2);
    EXPECT_EQ(placed.top, (around.top + around.bottom - kHeight) / 2);

    CString message;
    wait.GetMessageLine()->GetWindowText(message);
    EXPECT_EQ(message, CString(u"Now Loading..."));

    const HWND hwnd = wait.GetSafeHwnd();
    EXPECT_TRUE(wait.DestroyWindow());
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_TRUE(owner.IsWindowEnabled());
    EXPECT_EQ(GetActiveProgressWaitWnd(), nullptr);
    // A second call finds nothing left to do.
    EXPECT_FALSE(wait.DestroyWindow());
    EXPECT_TRUE(owner.IsWindowEnabled());
}

TEST(ProgressWaitWndTest, AnOwnerDisabledBeforeStaysDisabled)
{
    NoWaitWindowLeft cleanup;
    HostDialog owner;
    owner.EnableWindow(FALSE);
    {
        CProgressWaitWnd wait(FALSE, CGradientProgressCtrl::kBlockStyle, FALSE, TRUE, TRUE, 0);
        ASSERT_TRUE(wait.Create(&owner, kWidth, kHeight));
        wait.Show();
    }
    EXPECT_FALSE(owner.IsWindowEnabled());
}

TEST(ProgressWaitWndTest, WithoutOwnerTheMainWindowIsHeld)
{
    NoWaitWindowLeft cleanup;
    HostDialog main;
    MainWindowIs windows(main.GetSafeHwnd());
    {
        CProgressWaitWnd wait(FALSE, CGradientProgressCtrl::kBlockStyle, FALSE, TRUE, TRUE, 0);
        ASSERT_TRUE(wait.Create(nullptr, kWidth, kHeight));
        EXPECT_FALSE(main.IsWindowEnabled());
        const CRect around = WindowRect(main.GetSafeHwnd());
        const CRect placed = WindowRect(wait.GetSafeHwnd());
        EXPECT_EQ(placed.left, (around.left + around.right - kWidth) / 2);
        EXPECT_EQ(placed.top, (around.top + around.bottom - kHeight) / 2);
    }
    EXPECT_TRUE(main.IsWindowEnabled());
    EXPECT_EQ(GetActiveProgressWaitWnd(), nullptr);
}

TEST(ProgressWaitWndTest, ThroughTheDataCoresInterface)
{
    NoWaitWindowLeft cleanup;
    HostDialog owner;
    std::unique_ptr<IWaitWindow> wait =
        std::make_unique<CProgressWaitWnd>(FALSE, CGradientProgressCtrl::kTransferStyle, FALSE, FALSE, FALSE, 1);
    ASSERT_TRUE(wait->Create(owner.GetSafeHwnd(), kWidth, kHeight));
    wait->SetMessageFont(u"Tahoma", 9);
    wait->SetMessage(u"Reading the controller...");
    wait->Show();
    auto* window = static_cast<CProgressWaitWnd*>(wait.get());
    CString message;
    window->GetMessageLine()->GetWindowText(message);
    EXPECT_EQ(message, CString(u"Reading the controller..."));
    EXPECT_NE(window->GetTimerId(), 0u) << "the transfer style animates";
    EXPECT_FALSE(owner.IsWindowEnabled());
    wait.reset();
    EXPECT_TRUE(owner.IsWindowEnabled());
    EXPECT_EQ(GetActiveProgressWaitWnd(), nullptr);
}

TEST(ProgressWaitWndTest, AMessageBoxTakesItDownAndTheLaterCloseLeavesTheNextOneUp)
{
    NoWaitWindowLeft cleanup;
    HostDialog owner;
    CProgressWaitWnd first(FALSE, CGradientProgressCtrl::kBlockStyle, FALSE, TRUE, TRUE, 0);
    ASSERT_TRUE(first.Create(&owner, kWidth, kHeight));
    first.Show();

    // What the message-box hook does before it shows a box.
    CloseActiveProgressWaitWnd();
    EXPECT_EQ(first.GetSafeHwnd(), HWND());
    EXPECT_TRUE(owner.IsWindowEnabled());
    EXPECT_EQ(first.GetTimerId(), 0u);

    // The operation goes on with a wait window of its own.
    CProgressWaitWnd second(FALSE, CGradientProgressCtrl::kBlockStyle, FALSE, TRUE, TRUE, 0);
    ASSERT_TRUE(second.Create(&owner, kWidth, kHeight));
    EXPECT_EQ(GetActiveProgressWaitWnd(), &second);
    // The first one's own close comes late; the second one still holds the owner.
    first.DestroyWindow();
    EXPECT_FALSE(owner.IsWindowEnabled());
    EXPECT_EQ(GetActiveProgressWaitWnd(), &second);
    second.DestroyWindow();
    EXPECT_TRUE(owner.IsWindowEnabled());
}

TEST(ProgressWaitWndTest, NestedWindowsHandTheActiveRoleBack)
{
    NoWaitWindowLeft cleanup;
    HostDialog owner;
    CProgressWaitWnd outer(FALSE, CGradientProgressCtrl::kBlockStyle, FALSE, TRUE, TRUE, 0);
    ASSERT_TRUE(outer.Create(&owner, kWidth, kHeight));
    {
        CProgressWaitWnd inner(FALSE, CGradientProgressCtrl::kBlockStyle, FALSE, TRUE, TRUE, 0);
        ASSERT_TRUE(inner.Create(&owner, kWidth, kHeight));
        EXPECT_EQ(GetActiveProgressWaitWnd(), &inner);
    }
    EXPECT_EQ(GetActiveProgressWaitWnd(), &outer);
    EXPECT_FALSE(owner.IsWindowEnabled()) << "the outer window still holds the owner";
    outer.DestroyWindow();
    EXPECT_TRUE(owner.IsWindowEnabled());
}

TEST(ProgressWaitWndTest, GoneWithItsOwnerItIsNoLongerActive)
{
    NoWaitWindowLeft cleanup;
    auto owner = std::make_unique<HostDialog>();
    CProgressWaitWnd wait(FALSE, CGradientProgressCtrl::kBlockStyle, FALSE, TRUE, TRUE, 0);
    ASSERT_TRUE(wait.Create(owner.get(), kWidth, kHeight));
    wait.Show();
    owner.reset();
    EXPECT_EQ(wait.GetSafeHwnd(), HWND());
    EXPECT_EQ(GetActiveProgressWaitWnd(), nullptr);
    EXPECT_EQ(wait.GetTimerId(), 0u);
}

TEST(ProgressWaitWndTest, KeysAndTheCloseCommandHaveNoEffect)
{
    NoWaitWindowLeft cleanup;
    HostDialog owner;
    CProgressWaitWnd wait(FALSE, CGradientProgressCtrl::kBlockStyle, FALSE, TRUE, TRUE, 0);
    ASSERT_TRUE(wait.Create(&owner, kWidth, kHeight));
    wait.Show();
    MSG key;
    key.hwnd = wait.GetSafeHwnd();
    key.message = WM_KEYDOWN;
    key.wParam = VK_ESCAPE;
    EXPECT_TRUE(wait.PreTranslateMessage(&key));
    MSG close = key;
    close.message = WM_SYSCOMMAND;
    close.wParam = SC_CLOSE;
    EXPECT_TRUE(wait.PreTranslateMessage(&close));
    wait.SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
    wait.SendMessage(WM_CLOSE);
    uitest::Pump(0);
    EXPECT_TRUE(::IsWindow(wait.GetSafeHwnd()));
    EXPECT_EQ(GetActiveProgressWaitWnd(), &wait);
}

TEST(ProgressWaitWndTest, AnimationMovesTheBarWhileMessagesGoThroughAndStopsWithTheWindow)
{
    NoWaitWindowLeft cleanup;
    HostDialog owner;
    CProgressWaitWnd wait(FALSE, CGradientProgressCtrl::kBlockStyle, FALSE, TRUE, TRUE, 0);
    ASSERT_TRUE(wait.Create(&owner, kWidth, kHeight));
    EXPECT_EQ(wait.GetTimerId(), 0u) << "nothing runs before it is shown";
    wait.Show();
    ASSERT_NE(wait.GetTimerId(), 0u);
    CGradientProgressCtrl* bar = wait.GetBar();
    const int start = bar->GetPos();
    EXPECT_TRUE(uitest::WaitUntil([&] { return bar->GetPos() != start; }, 10000));
    wait.DestroyWindow();
    EXPECT_EQ(wait.GetTimerId(), 0u);
    uitest::Pump(50);
}

TEST(ProgressWaitWndTest, ABlockedUserInterfaceThreadDoesNotBlockTheTimer)
{
    NoWaitWindowLeft cleanup;
    HostDialog owner;
    CProgressWaitWnd wait(FALSE, CGradientProgressCtrl::kBlockStyle, FALSE, TRUE, TRUE, 0);
    ASSERT_TRUE(wait.Create(&owner, kWidth, kHeight));
    wait.Show();
    ASSERT_NE(wait.GetTimerId(), 0u);

    // All timer callbacks run on one thread: while this thread lets no
    // message through, a tick that waited for it would hold back the rest.
    std::promise<void> fired;
    const UINT probe = timeSetEvent(
        200, 0,
        [](UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) { reinterpret_cast<std::promise<void>*>(user)->set_value(); },
        reinterpret_cast<DWORD_PTR>(&fired), TIME_ONESHOT);
    ASSERT_NE(probe, 0u);
    const bool probeRan = fired.get_future().wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    if (!probeRan) timeKillEvent(probe);
    EXPECT_TRUE(probeRan) << "a tick of the wait window waits for the user-interface thread";

    // Closing while ticks are due and one may be running.
    wait.DestroyWindow();
    EXPECT_EQ(wait.GetTimerId(), 0u);
    uitest::Pump(50);
}

TEST(ProgressWaitWndTest, ClosingWhileTheTimerFiresRepeatedly)
{
    NoWaitWindowLeft cleanup;
    HostDialog owner;
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        CProgressWaitWnd wait(FALSE, CGradientProgressCtrl::kPlainStyle, FALSE, TRUE, TRUE, 0);
        ASSERT_TRUE(wait.Create(&owner, kWidth, kHeight));
        wait.Show();
        // Let ticks come without taking their messages.
        Sleep(static_cast<DWORD>(round % 4) * 15);
        wait.DestroyWindow();
        EXPECT_EQ(wait.GetTimerId(), 0u);
        EXPECT_TRUE(owner.IsWindowEnabled());
    }
    uitest::Pump(50);
}

TEST(ProgressWaitWndTest, TransferIconsGiveTheIconSize)
{
    NoWaitWindowLeft cleanup;
    HostDialog owner;
    HICON left = PlainIcon(24, RGB(0, 64, 192));
    HICON right = PlainIcon(16, RGB(192, 64, 0));
    {
        CProgressWaitWnd wait(FALSE, CGradientProgressCtrl::kTransferStyle, FALSE, FALSE, FALSE, 0);
        wait.SetIcons(&left, &right);
        ASSERT_TRUE(wait.Create(&owner, kWidth, kHeight));
        EXPECT_EQ(wait.GetIconSize(), 24);
    }
    {
        CProgressWaitWnd wait(FALSE, CGradientProgressCtrl::kTransferStyle, FALSE, FALSE, FALSE, 0);
        ASSERT_TRUE(wait.Create(&owner, kWidth, kHeight));
        EXPECT_EQ(wait.GetIconSize(), 32) << "without icons";
    }
    {
        CProgressWaitWnd wait(FALSE, CGradientProgressCtrl::kBlockStyle, FALSE, TRUE, TRUE, 0);
        wait.SetIcons(&left, &right);
        ASSERT_TRUE(wait.Create(&owner, kWidth, kHeight));
        EXPECT_EQ(wait.GetIconSize(), 0) << "outside the transfer style";
    }
    ::DestroyIcon(left);
    ::DestroyIcon(right);
}

TEST(ProgressWaitWndTest, TransferWindowPicture)
{
    NoWaitWindowLeft cleanup;
    HostDialog owner;
    HICON left = PlainIcon(32, RGB(0, 64, 192));
    HICON right = PlainIcon(32, RGB(192, 64, 0));
    {
        CProgressWaitWnd wait(FALSE, CGradientProgressCtrl::kTransferStyle, FALSE, FALSE, FALSE, 1);
        wait.SetIcons(&left, &right);
        ASSERT_TRUE(wait.Create(&owner, kWidth, kHeight));
        // The picture is taken without the animation.
        wait.SetMessage(u"Writing the point table...");
        wait.SetBarRange(0, 100, 1);
        wait.AdvanceBar(30);
        wait.ShowWindow(SW_SHOW);
        uitest::Pump(0);
        widgettest::ExpectMatchesGolden(widgettest::Picture(wait), "wait_transfer_window");
    }
    ::DestroyIcon(left);
    ::DestroyIcon(right);
}

struct BarCase {
    const char* name;
    int style;
    int direction;
    BOOL animated;
    BOOL frame;
    BOOL mirrored;
    BOOL percent;
    int position;
    BYTE gradientStep;
};

TEST(ProgressWaitWndTest, BarPictures)
{
    const BarCase cases[] = {
        {"bar_plain_percent_50", CGradientProgressCtrl::kPlainStyle, 0, FALSE, FALSE, TRUE, TRUE, 50, 4},
        {"bar_plain_percent_0", CGradientProgressCtrl::kPlainStyle, 0, FALSE, FALSE, TRUE, TRUE, 0, 4},
        {"bar_plain_framed_75", CGradientProgressCtrl::kPlainStyle, 0, FALSE, TRUE, FALSE, FALSE, 75, 4},
        {"bar_block_lower_bound", CGradientProgressCtrl::kBlockStyle, 0, FALSE, FALSE, TRUE, FALSE, 0, 4},
        {"bar_block_1", CGradientProgressCtrl::kBlockStyle, 0, FALSE, FALSE, TRUE, FALSE, 1, 4},
        {"bar_block_50", CGradientProgressCtrl::kBlockStyle, 0, FALSE, FALSE, TRUE, FALSE, 50, 4},
        {"bar_block_50_flat", CGradientProgressCtrl::kBlockStyle, 0, FALSE, FALSE, TRUE, FALSE, 50, 0},
        {"bar_block_running_90", CGradientProgressCtrl::kBlockStyle, 0, TRUE, FALSE, TRUE, FALSE, 90, 4},
        {"bar_plain_running_90", CGradientProgressCtrl::kPlainStyle, 0, TRUE, FALSE, TRUE, FALSE, 90, 4},
        {"bar_transfer_right_0", CGradientProgressCtrl::kTransferStyle, 0, FALSE, FALSE, FALSE, FALSE, 0, 4},
        {"bar_transfer_right_1", CGradientProgressCtrl::kTransferStyle, 0, FALSE, FALSE, FALSE, FALSE, 1, 4},
        {"bar_transfer_right_50", CGradientProgressCtrl::kTransferStyle, 0, FALSE, FALSE, FALSE, FALSE, 50, 4},
        {"bar_transfer_left_50", CGradientProgressCtrl::kTransferStyle, 1, FALSE, FALSE, FALSE, FALSE, 50, 4},
    };
    for (const BarCase& c : cases) {
        SCOPED_TRACE(c.name);
        HostDialog host;
        CGradientProgressCtrl bar(c.style, c.direction, c.animated, c.frame, c.mirrored, c.percent);
        // An inner width of 300 pixels.
        ASSERT_TRUE(bar.Create(WS_CHILD | WS_VISIBLE, RECT{10, 10, 314, 40}, &host, 2));
        LOGFONT font;
        font.lfHeight = -20;
        font.lfWeight = FW_EXTRABOLD;
        font.lfCharSet = SHIFTJIS_CHARSET;
        std::copy_n(u"tahoma", 7, font.lfFaceName);
        bar.SetTextFont(font);
        bar.SetGradientStep(c.gradientStep);
        bar.SetRange(0, 100);
        bar.SetPos(c.position);
        widgettest::ExpectMatchesGolden(widgettest::Picture(bar), c.name);
        if (c.style == CGradientProgressCtrl::kBlockStyle && !c.animated) {
            const int expected = c.position == 0 ? 0 : c.position == 50 ? 17 : 1;
            EXPECT_EQ(bar.FilledBlockCount(), expected);
        }
        if (c.style == CGradientProgressCtrl::kTransferStyle) {
            const int expected = c.position == 0 ? 0 : c.position == 1 ? 1 : 10;
            EXPECT_EQ(bar.LitArrowCount(), expected);
        }
    }
}

}  // namespace
