// The library's own controls, the visual-styles bindings (absent on this
// desktop), the wait message and the helpers that take windows.
#include "tools/ColorButton.h"
#include "tools/CommMsgDlg.h"
#include "tools/ControlUtility.h"
#include "tools/FlatIconButton.h"
#include "tools/OwnerDrawComboBox.h"
#include "tools/ThemeBinding.h"
#include "tools/ThemeIconButton.h"
#include "tools/ThemeLibrary.h"
#include "tools/WindowPlacement.h"
#include "tools/tests/DialogTestSupport.h"

#include "resources/tools/ZeblLangLib_ids.h"

#include "platform/core/Profile.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/ComboBox.h"
#include "platform/ui/Menu.h"
#include "platform/ui/Shell.h"
#include "platform/ui/WidgetPeer.h"

#include "tests/support/ui/ScriptedDialogs.h"

#include <QCoreApplication>
#include <QHelpEvent>
#include <QImage>
#include <QToolTip>
#include <QWidget>

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace toolstest;

constexpr int kCheckButton = 100;
constexpr int kPushButton = 101;
constexpr int kColorButtonId = 102;
constexpr int kCombo = 103;
constexpr int kOwnerCombo = 104;

// A small modeless dialog hosting one control of each kind under test.
platform::DialogTemplate HostTemplate()
{
    platform::DialogTemplate t;
    t.extended = true;
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SETFONT | WS_THICKFRAME;
    t.cx = 220;
    t.cy = 120;
    t.caption = u"Host";
    t.hasFont = true;
    t.pointSize = 8;
    t.faceName = u"MS Shell Dlg";
    auto add = [&](const char16_t* cls, int id, DWORD style, short x, short y, short cx, short cy,
                   const char16_t* text) {
        platform::DialogItemTemplate item;
        item.className = cls;
        item.id = id;
        item.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | style;
        item.x = x;
        item.y = y;
        item.cx = cx;
        item.cy = cy;
        item.text = platform::TemplateName::Text(text);
        t.items.push_back(item);
    };
    add(u"Button", kCheckButton, BS_AUTOCHECKBOX, 5, 5, 60, 14, u"Check");
    add(u"Button", kPushButton, BS_DEFPUSHBUTTON, 70, 5, 60, 14, u"Push");
    add(u"Button", kColorButtonId, BS_PUSHBUTTON, 5, 25, 60, 20, u"");
    add(u"ComboBox", kCombo, CBS_DROPDOWNLIST | WS_VSCROLL, 70, 25, 60, 80, u"");
    add(u"ComboBox", kOwnerCombo, CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS | WS_VSCROLL, 140, 25, 60, 80,
        u"");
    return t;
}

class ControlsTest : public ::testing::Test {
protected:
    ControlsTest()
    {
        host.CreateIndirect(HostTemplate());
        host.ShowWindow(SW_SHOW);
    }
    ~ControlsTest() override { host.DestroyWindow(); }

    CDialog host;
};

// A 16 by 16 icon of one colour, with a black top row.
HICON SolidIcon(COLORREF color)
{
    constexpr int kSize = 16;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = kSize;
    info.bmiHeader.biHeight = -kSize;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HBITMAP image = CreateDIBSection(HDC(), &info, DIB_RGB_COLORS, &bits, HANDLE(), 0);
    auto* pixels = static_cast<DWORD*>(bits);
    for (int i = 0; i < kSize * kSize; ++i) {
        pixels[i] = i < kSize ? 0xFF000000u
                              : 0xFF000000u | (static_cast<DWORD>(GetRValue(color)) << 16) |
                                    (static_cast<DWORD>(GetGValue(color)) << 8) | GetBValue(color);
    }
    const HBITMAP mask = CreateBitmap(kSize, kSize, 1, 1, nullptr);
    ICONINFO icon;
    icon.hbmColor = image;
    icon.hbmMask = mask;
    const HICON made = CreateIconIndirect(&icon);
    DeleteObject(image);
    DeleteObject(mask);
    return made;
}

// The colours of an icon's first and last pixel.
std::pair<COLORREF, COLORREF> CornerColors(HICON icon)
{
    ICONINFO info;
    if (!GetIconInfo(icon, &info)) return {CLR_INVALID, CLR_INVALID};
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = 16;
    bi.bmiHeader.biHeight = -16;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    std::vector<DWORD> pixels(256);
    GetDIBits(HDC(), info.hbmColor, 0, 16, pixels.data(), &bi, DIB_RGB_COLORS);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    auto color = [](DWORD p) { return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF); };
    return {color(pixels.front()), color(pixels.back())};
}

TEST(FlatIconButtonTest, DerivedIconsDarkenOrGreyEveryPixelButBlack)
{
    struct Case {
        const char* name;
        COLORREF color;
        COLORREF darker;
        COLORREF grey;
    };
    const Case cases[] = {
        {"pure red", RGB(255, 0, 0), RGB(191, 0, 0), RGB(76, 76, 76)},
        {"mixed", RGB(200, 100, 40), RGB(150, 75, 30), RGB(123, 123, 123)},
        {"black stays black", RGB(0, 0, 0), RGB(0, 0, 0), RGB(0, 0, 0)},
        {"white", RGB(255, 255, 255), RGB(191, 191, 191), RGB(255, 255, 255)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CFlatIconButton::DarkerColor(c.color), c.darker);
        EXPECT_EQ(CFlatIconButton::GreyColor(c.color), c.grey);
    }
}

TEST_F(ControlsTest, AFlatButtonMakesItsSecondIconAndKeepsItsAlignment)
{
    CFlatIconButton button;
    ASSERT_TRUE(button.SubclassDlgItem(kPushButton, &host));
    EXPECT_EQ(button.GetButtonStyle() & BS_TYPEMASK, static_cast<UINT>(BS_OWNERDRAW));
    EXPECT_TRUE(button.IsDefault()) << "it was a default push button";
    EXPECT_FALSE(button.IsCheckBoxMode());

    EXPECT_EQ(button.SetIcons(SolidIcon(RGB(255, 0, 0)), CFlatIconButton::kGreyIcon), CFlatIconButton::kOk);
    const auto [greyTop, greyBottom] = CornerColors(button.GetIcon(1));
    EXPECT_EQ(greyTop, RGB(0, 0, 0)) << "black pixels stay black";
    EXPECT_EQ(greyBottom, RGB(76, 76, 76));
    EXPECT_EQ(CornerColors(button.GetIcon(0)).second, RGB(255, 0, 0)) << "the first icon is kept as it was";

    EXPECT_EQ(button.SetIcons(SolidIcon(RGB(200, 100, 40)), CFlatIconButton::kDarkerIcon), CFlatIconButton::kOk);
    EXPECT_EQ(CornerColors(button.GetIcon(1)).second, RGB(150, 75, 30));

    EXPECT_EQ(button.SetIcons(HICON::FromValue(12345), HICON()), CFlatIconButton::kInvalidResource);
    EXPECT_FALSE(button.HasIcons()) << "an icon that cannot be read leaves none";

    EXPECT_EQ(button.SetAlign(CFlatIconButton::kAlignVertical), CFlatIconButton::kOk);
    EXPECT_EQ(button.SetAlign(4), CFlatIconButton::kInvalidAlign);
    EXPECT_EQ(button.GetAlign(), CFlatIconButton::kAlignVertical);
    button.UnsubclassWindow();
}

TEST_F(ControlsTest, ACheckBoxBecomesAFlatButtonThatTogglesOnClick)
{
    CFlatIconButton button;
    ASSERT_TRUE(button.SubclassDlgItem(kCheckButton, &host));
    EXPECT_TRUE(button.IsCheckBoxMode());
    button.SetCheck(BST_CHECKED);
    EXPECT_EQ(button.GetCheck(), BST_CHECKED);
    button.SetCheck(BST_UNCHECKED);
    uitest::DialogDriver d(host.GetSafeHwnd());
    d.Click(kCheckButton);
    EXPECT_EQ(button.GetCheck(), BST_CHECKED);
    d.Click(kCheckButton);
    EXPECT_EQ(button.GetCheck(), BST_UNCHECKED);
    button.UnsubclassWindow();
}

// A window that keeps the commands and notifications it is sent.
class Recorder : public CWnd {
public:
    static constexpr UINT kMenuOpens = WM_APP + 5;
    struct Seen {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    std::vector<Seen> seen;

    Recorder() { CreateEx(0, AfxRegisterWndClass(0), u"", WS_OVERLAPPED, RECT{}, nullptr, 0); }
    ~Recorder() override { DestroyWindow(); }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_COMMAND || message == kMenuOpens) seen.push_back({message, wParam, lParam});
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

TEST_F(ControlsTest, AFlatButtonLightsUpUnderTheMouseAndOffersItsTipMenuAndLink)
{
    CFlatIconButton button;
    ASSERT_TRUE(button.SubclassDlgItem(kPushButton, &host));
    uitest::DialogDriver d(host.GetSafeHwnd());
    QWidget* widget = d.Widget(kPushButton);
    ASSERT_TRUE(widget);
    const auto look = [&] {
        button.UpdateWindow();
        uitest::Pump(20);
        return widget->grab().toImage();
    };

    // Flat at rest; an edge while the mouse is over it; flat again when it leaves.
    const QImage rest = look();
    ::SendMessageW(button.GetSafeHwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    const QImage hot = look();
    EXPECT_NE(hot, rest) << "the button lights up";
    ::SendMessageW(button.GetSafeHwnd(), WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(look(), rest);

    // The tip shows when the mouse rests on the button.
    button.SetTooltipText(u"Starts the program");
    const QPoint inside(5, 5);
    QHelpEvent help(QEvent::ToolTip, inside, widget->mapToGlobal(inside));
    QCoreApplication::sendEvent(widget, &help);
    EXPECT_EQ(QToolTip::text(), QStringLiteral("Starts the program"));
    QToolTip::hideText();

    // With a menu, a click opens it below the button: the notify window hears
    // first, the owner gets the command chosen.
    Recorder owner;
    CMenu menu;
    menu.CreateMenu();
    CMenu popup;
    popup.CreatePopupMenu();
    popup.AppendMenu(MF_STRING, 4001, u"One");
    popup.AppendMenu(MF_STRING, 4002, u"Two");
    menu.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(static_cast<HMENU>(popup.Detach()).Value()), u"Menu");
    button.SetMenu(menu.Detach(), owner.GetSafeHwnd());
    button.SetMenuCallback(owner.GetSafeHwnd(), Recorder::kMenuOpens, 77);
    ScriptedDialogs dialogs;
    dialogs.ChooseMenuCommand(4002);
    d.Click(kPushButton);
    uitest::Pump(50);
    ASSERT_EQ(dialogs.MenuRequests().size(), 1u);
    CRect rect;
    button.GetWindowRect(&rect);
    EXPECT_EQ(dialogs.MenuRequests()[0].at.x, rect.left);
    EXPECT_EQ(dialogs.MenuRequests()[0].at.y, rect.bottom);
    ASSERT_EQ(owner.seen.size(), 2u);
    EXPECT_EQ(owner.seen[0].message, Recorder::kMenuOpens);
    EXPECT_EQ(owner.seen[0].lParam, 77);
    EXPECT_EQ(owner.seen[1].message, static_cast<UINT>(WM_COMMAND));
    EXPECT_EQ(LOWORD(owner.seen[1].wParam), 4002u);

    // Without a menu, a link is opened with the desktop's program.
    button.SetMenu(HMENU(), HWND());
    button.SetURL(u"https://help.invalid/manual.html");
    std::vector<std::vector<CString>> opened;
    {
        platform::ScopedDesktopOpenHook hook([&](const std::vector<CString>& arguments) {
            opened.push_back(arguments);
            return true;
        });
        d.Click(kPushButton);
    }
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], (std::vector<CString>{u"xdg-open", u"https://help.invalid/manual.html"}));
    button.UnsubclassWindow();
}

TEST_F(ControlsTest, WithoutVisualStylesTheColourButtonDrawsTheClassicFrame)
{
    CThemeBinding binding;
    EXPECT_FALSE(binding.Open(&host, u"Button"));
    EXPECT_FALSE(binding.IsActive());
    EXPECT_EQ(binding.DrawBackground(nullptr, 1, 1, RECT{0, 0, 10, 10}, nullptr), E_FAIL);
    CThemeLibrary library;
    EXPECT_FALSE(library.IsLoaded());
    EXPECT_FALSE(library.OpenThemeData(host.GetSafeHwnd(), u"BUTTON"));
    EXPECT_EQ(library.CloseThemeData(HTHEME()), E_FAIL);
    EXPECT_EQ(library.DrawThemeBackground(host.GetSafeHwnd(), HTHEME(), HDC(), 1, 1, nullptr, nullptr), E_FAIL);
    EXPECT_FALSE(library.IsAppThemed());

    CColorButton button;
    ASSERT_TRUE(button.SubclassDlgItem(kColorButtonId, &host));
    EXPECT_FALSE(button.IsThemed());
    button.SetColor(RGB(255, 0, 0));
    uitest::Pump(50);
    QWidget* widget = platform::ui::WidgetOf(button.GetSafeHwnd());
    ASSERT_NE(widget, nullptr);
    const QImage image = widget->grab().toImage();
    const RECT swatch = button.GetSwatchRect();
    ASSERT_LT(swatch.left, swatch.right);
    const QColor inside = image.pixelColor((swatch.left + swatch.right) / 2, (swatch.top + swatch.bottom) / 2);
    EXPECT_EQ(inside, QColor(255, 0, 0)) << "the swatch shows the colour";
    EXPECT_GE(swatch.left, GetSystemMetrics(SM_CXEDGE) + 3) << "inside the frame";
    const QColor edge = image.pixelColor(0, image.height() / 2);
    EXPECT_NE(edge, QColor(255, 0, 0)) << "the frame is drawn around it";

    CThemeIconButton themed;
    CThemeLibrary unthemed;
    themed.SetThemeHelper(&unthemed);
    EXPECT_FALSE(themed.IsThemed());
    button.UnsubclassWindow();
}

TEST_F(ControlsTest, ComboBoxHelpersFillAndFindExactly)
{
    auto* combo = static_cast<CComboBox*>(host.GetDlgItem(kCombo));
    const LPCWSTR texts[] = {u"alpha", u"Beta", u"beta", u"gamma", nullptr};
    FillComboBox(combo, texts, 2);
    EXPECT_EQ(combo->GetCount(), 4);
    EXPECT_EQ(combo->GetCurSel(), 2);
    struct Case {
        int start;
        const char16_t* text;
        int found;
    };
    for (const Case& c : {Case{0, u"beta", 2}, Case{0, u"Beta", 1}, Case{2, u"Beta", -1}, Case{0, u"delta", -1},
                          Case{3, u"gamma", 3}}) {
        SCOPED_TRACE(CString(c.text).ToUtf8());
        EXPECT_EQ(FindComboText(combo, c.start, c.text), c.found);
    }

    CColorSwatchComboBox swatches;
    ASSERT_TRUE(swatches.SubclassDlgItem(kOwnerCombo, &host));
    EXPECT_EQ(swatches.AddItem(u"Red", RGB(255, 0, 0)), 0);
    EXPECT_EQ(swatches.AddItem(u"Blue", RGB(0, 0, 255)), 1);
    EXPECT_EQ(swatches.GetItemData(1), static_cast<DWORD_PTR>(RGB(0, 0, 255)));
    swatches.SetCurSel(1);
    uitest::Pump(50);
    swatches.UnsubclassWindow();
}

TEST(ClipboardTextTest, ReadsTheUnicodeTextOrNothing)
{
    ASSERT_TRUE(OpenClipboard(HWND()));
    EmptyClipboard();
    CloseClipboard();
    EXPECT_EQ(GetClipboardText(), CString());
    const CString text = u"K12=5 \u00e9\u30c6";
    ASSERT_TRUE(OpenClipboard(HWND()));
    const HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.GetLength() + 1) * sizeof(char16_t));
    auto* chars = static_cast<char16_t*>(GlobalLock(block));
    std::copy(text.GetString(), text.GetString() + text.GetLength() + 1, chars);
    GlobalUnlock(block);
    SetClipboardData(CF_UNICODETEXT, block);
    CloseClipboard();
    EXPECT_EQ(GetClipboardText(), text);
}

TEST(CommMessageTest, OneWaitMessageWhoseTextChangesAndBlinks)
{
    uitest::ScopedResources resources(u"ZeblLangLib", "en");
    ASSERT_TRUE(resources.Loaded());
    HideCommMessage();
    EXPECT_EQ(GetCommMessage(), nullptr) << "hiding without a message does nothing";

    ShowCommMessage(nullptr, IDS_WAIT_SCAN);
    CCommMsgDlg* first = GetCommMessage();
    ASSERT_NE(first, nullptr);
    const HWND window = first->GetSafeHwnd();
    EXPECT_TRUE(::IsWindowVisible(window));
    uitest::DialogDriver d(window);
    EXPECT_EQ(d.Text(IDC_COMM_MESSAGE_TEXT), CString(u"Searching the line for controllers..."));

    ShowCommMessage(nullptr, CString(u"Creating connection..."));
    EXPECT_EQ(GetCommMessage(), first) << "a second Show changes the one window";
    EXPECT_EQ(d.Text(IDC_COMM_MESSAGE_TEXT), CString(u"Creating connection..."));

    // Each tick of the blink timer shows or hides the text.
    const HWND text = d.Item(IDC_COMM_MESSAGE_TEXT);
    const bool before = ::IsWindowVisible(text) != FALSE;
    ::SendMessageW(window, WM_TIMER, CCommMsgDlg::kBlinkTimer, 0);
    EXPECT_NE(::IsWindowVisible(text) != FALSE, before);
    ::SendMessageW(window, WM_TIMER, CCommMsgDlg::kBlinkTimer, 0);
    EXPECT_EQ(::IsWindowVisible(text) != FALSE, before);

    HideCommMessage();
    EXPECT_EQ(GetCommMessage(), nullptr);
    EXPECT_FALSE(::IsWindow(window));
}

TEST_F(ControlsTest, APlacementComesBackMaximisedOrAsItWasAndNeverOffTheScreen)
{
    ScopedSettingsFolder settings;
    const CString file = CString::FromUtf8(settings.Path()) + u"/placement.ini";

    host.MoveWindow(40, 50, 300, 200);
    SaveWindowPlacement(&host, u"NORMAL", file);
    EXPECT_EQ(platform::ReadPrivateProfileString(u"NORMAL", u"ZOOMED", u"", file), CString(u"0"));
    host.MoveWindow(100, 100, 250, 150);
    RestoreWindowPlacement(&host, u"NORMAL", file);
    uitest::Pump(20);
    EXPECT_FALSE(host.IsZoomed()) << "saved normal: the show state stays";
    WINDOWPLACEMENT placement;
    host.GetWindowPlacement(&placement);
    EXPECT_EQ(placement.rcNormalPosition.left, 40);
    EXPECT_EQ(placement.rcNormalPosition.top, 50);

    WritePlacementRect(RECT{-30000, -30000, -29000, -29500}, u"AWAY", file);
    RestoreWindowPlacement(&host, u"AWAY", file);
    host.GetWindowPlacement(&placement);
    EXPECT_EQ(placement.rcNormalPosition.left, 40) << "a rectangle off every screen is not applied";

    WritePlacementRect(RECT{60, 70, 360, 270}, u"ZOOMED", file);
    WritePlacementZoomed(TRUE, u"ZOOMED", file);
    RestoreWindowPlacement(&host, u"ZOOMED", file);
    uitest::Pump(20);
    EXPECT_TRUE(host.IsZoomed()) << "saved maximised: restored maximised";
    host.GetWindowPlacement(&placement);
    EXPECT_EQ(placement.rcNormalPosition.left, 60) << "over its saved normal rectangle";
}

}  // namespace
