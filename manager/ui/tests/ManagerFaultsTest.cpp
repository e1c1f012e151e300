// Behaviour of the program that guards a person's work: the keypad's
// decimal key rewrites the full stop only in number fields, nested busy
// commands keep the main window busy until the outermost one ends, and the
// window aids of the panes.
#include "manager/ui/tests/ManagerTestSupport.h"

#include "manager/core/NumberText.h"
#include "manager/ui/WindowAids.h"
#include "manager/widgets/NumberEdit.h"
#include "platform/ui/Edit.h"

namespace {

using namespace mgrtest;

constexpr UINT kVkDecimal = 0x6E;
constexpr UINT kVkOemPeriod = 0xBE;

class ManagerFaultsTest : public ::testing::Test {
protected:
    void TearDown() override { uitest::FlushDeletedWidgets(); }
};

TEST_F(ManagerFaultsTest, TheKeypadDecimalKeyTypesTheSeparatorInNumberFieldsOnly)
{
    ManagerWorld world;
    ASSERT_TRUE(world.Start());
    const NumberLocale saved = GetNumberLocale();
    SetNumberLocale(NumberLocale{u',', u'-'});
    CNumberEdit number;
    CEdit address;
    ASSERT_TRUE(number.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 80, 20), &world.Frame(), 901));
    ASSERT_TRUE(address.Create(WS_CHILD | WS_VISIBLE, CRect(0, 30, 80, 50), &world.Frame(), 902));
    struct Case {
        const char* name;
        CEdit* field;
        UINT key;
        char16_t typed;
    };
    const Case cases[] = {
        {"keypad key in a number field", &number, kVkDecimal, u','},
        {"full stop key in a number field", &number, kVkOemPeriod, u'.'},
        {"keypad key in an address field", &address, kVkDecimal, u'.'},
        {"full stop key in an address field", &address, kVkOemPeriod, u'.'},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MSG down{};
        down.hwnd = c.field->GetSafeHwnd();
        down.message = WM_KEYDOWN;
        down.wParam = c.key;
        world.App().PreTranslateMessage(&down);
        MSG character{};
        character.hwnd = c.field->GetSafeHwnd();
        character.message = WM_CHAR;
        character.wParam = u'.';
        world.App().PreTranslateMessage(&character);
        EXPECT_EQ(static_cast<char16_t>(character.wParam), c.typed);
    }
    number.DestroyWindow();
    address.DestroyWindow();
    SetNumberLocale(saved);
}

TEST_F(ManagerFaultsTest, NestedBusyCommandsKeepTheWindowBusyUntilTheOutermostEnds)
{
    ManagerWorld world;
    ASSERT_TRUE(world.Start());
    CMainFrame& frame = world.Frame();
    auto closeGreyed = [&] {
        CMenu* system = frame.GetSystemMenu(FALSE);
        return system && (system->GetMenuState(SC_CLOSE, MF_BYCOMMAND) & MF_GRAYED) != 0;
    };
    {
        CMainFrame::BusyScope outer(frame);
        {
            CMainFrame::BusyScope inner(frame);
        }
        EXPECT_FALSE(frame.IsIdle()) << "the inner command's end leaves the outer one running";
        EXPECT_TRUE(closeGreyed());
        EXPECT_FALSE(world.Enabled(IDM_OPEN_DATA));
        ::SendMessageW(world.FrameHwnd(), WM_CLOSE, 0, 0);
        EXPECT_TRUE(world.FrameAlive()) << "Close is ignored while a command runs";
    }
    EXPECT_TRUE(frame.IsIdle());
    EXPECT_FALSE(closeGreyed());
    EXPECT_TRUE(world.Enabled(IDM_OPEN_DATA));
}

TEST_F(ManagerFaultsTest, WindowAidsSetTheFieldsFormattingRectangle)
{
    ManagerWorld world;
    ASSERT_TRUE(world.Start());
    CEdit edit;
    ASSERT_TRUE(edit.Create(WS_CHILD | WS_VISIBLE | ES_MULTILINE, CRect(0, 0, 120, 40), &world.Frame(), 903));
    CRect client;
    edit.GetClientRect(&client);
    SetEditFormatRect(edit, 3);
    CRect rect;
    edit.GetRect(&rect);
    EXPECT_EQ(rect, CRect(client.left + 3, client.top + 3, client.right - 3, client.bottom - 3));
    AdjustEditFormatRect(edit);
    edit.GetRect(&rect);
    EXPECT_EQ(rect.left, client.left + 2);
    EXPECT_EQ(rect.right, client.right - 2);
    EXPECT_GT(rect.top, client.top) << "the text is centred in the taller field";
    EXPECT_LE(rect.bottom, client.bottom);
    EXPECT_TRUE(CacheSystemColors());
    EXPECT_EQ(CachedButtonFaceColor(), ::GetSysColor(COLOR_BTNFACE));
    EXPECT_NE(CommonBackgroundBrush(), HBRUSH());
    edit.DestroyWindow();
}

}  // namespace
