// The owner-drawn and icon buttons in a real dialog, drawn classically (the
// visual-styles library does not exist here): what they tell the dialog,
// default-button restyling, keys, clicks and double clicks, check-box mode,
// the grey icon, and how they look.
#include "htmltip/IconButton.h"

#include "tests/support/GoldenImage.h"
#include "tests/support/ui/UiTest.h"

#include "platform/ui/Dialog.h"
#include "platform/ui/WindowSurface.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int kJog = 1001;
constexpr int kIconOnly = 1002;
constexpr int kToggle = 1003;
constexpr int kRadio = 1004;
constexpr int kGroup = 1005;
constexpr int kPlain = 1006;
constexpr int kFlat = 1007;
constexpr int kColoured = 1008;

platform::DialogTemplate ButtonsTemplate()
{
    platform::DialogTemplate t;
    t.extended = true;
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SETFONT | WS_VISIBLE;
    t.cx = 260;
    t.cy = 120;
    t.caption = u"Buttons";
    t.hasFont = true;
    t.pointSize = 9;
    t.faceName = u"MS Shell Dlg";
    auto add = [&](int id, DWORD style, short x, short y, short cx, short cy, const char16_t* text) {
        platform::DialogItemTemplate item;
        item.className = u"Button";
        item.id = id;
        item.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | style;
        item.x = x;
        item.y = y;
        item.cx = cx;
        item.cy = cy;
        item.text = platform::TemplateName::Text(text);
        t.items.push_back(item);
    };
    add(kJog, BS_PUSHBUTTON, 5, 5, 70, 24, u"Jog +");
    add(kIconOnly, BS_PUSHBUTTON, 80, 5, 30, 24, u"");
    add(kToggle, BS_PUSHBUTTON, 115, 5, 70, 24, u"Servo");
    add(kPlain, BS_PUSHBUTTON, 190, 5, 65, 24, u"Right icon");
    add(kFlat, BS_PUSHBUTTON, 5, 35, 70, 24, u"Flat");
    add(kColoured, BS_PUSHBUTTON, 80, 35, 70, 24, u"Coloured");
    add(kRadio, BS_AUTORADIOBUTTON | WS_GROUP, 5, 65, 60, 12, u"Radio");
    add(kGroup, BS_GROUPBOX, 70, 62, 80, 30, u"Group");
    add(IDOK, BS_DEFPUSHBUTTON, 150, 95, 50, 14, u"OK");
    add(IDCANCEL, BS_PUSHBUTTON, 205, 95, 50, 14, u"Cancel");
    return t;
}

// A 16 x 16 icon: a green square with a white dot and a transparent border.
HICON MakeTestIcon()
{
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int y = 2; y < 14; ++y)
        for (int x = 2; x < 14; ++x) image.setPixel(x, y, qRgba(20, 150, 60, 255));
    for (int y = 6; y < 10; ++y)
        for (int x = 6; x < 10; ++x) image.setPixel(x, y, qRgba(255, 255, 255, 255));
    return platform::IconFromImage(image);
}

class ButtonsDialog : public CDialog {
public:
    struct Command {
        int id;
        int code;
    };
    std::vector<Command> commands;
    int cancels = 0;

    CIconButton jog;
    CIconButton iconOnly;
    CIconButton toggle;
    CIconButton rightIcon;
    CIconButton flat;
    CIconButton coloured;
    COwnerDrawButton radio;
    COwnerDrawButton group;
    CIconButton ok;

    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        jog.SubclassDlgItem(kJog, this);
        iconOnly.SubclassDlgItem(kIconOnly, this);
        toggle.SubclassDlgItem(kToggle, this);
        rightIcon.SubclassDlgItem(kPlain, this);
        flat.SubclassDlgItem(kFlat, this);
        coloured.SubclassDlgItem(kColoured, this);
        radio.SubclassDlgItem(kRadio, this);
        group.SubclassDlgItem(kGroup, this);
        ok.SubclassDlgItem(IDOK, this);
        jog.SetIcon(MakeTestIcon());
        iconOnly.SetIcon(MakeTestIcon());
        toggle.SetIcon(MakeTestIcon()).SetCheckBox(TRUE);
        rightIcon.SetIcon(MakeTestIcon(), ICON_BUTTON_ICON_RIGHT);
        flat.SetIcon(MakeTestIcon()).SetCheckBox(FALSE).SetFlat(TRUE).SetUseVisualStyles(TRUE);
        coloured.SetBackColor(RGB(255, 230, 180)).SetTextColor(RGB(160, 0, 0));
        return TRUE;
    }
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override
    {
        commands.push_back(Command{LOWORD(wParam), HIWORD(wParam)});
        return CDialog::OnCommand(wParam, lParam);
    }
    void OnCancel() override { ++cancels; }
    void OnOK() override {}

    int CommandsFrom(int id, int code = BN_CLICKED) const
    {
        int n = 0;
        for (const Command& c : commands) n += c.id == id && c.code == code;
        return n;
    }
};

class IconButtons : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dialog.CreateIndirect(ButtonsTemplate()));
        dialog.ShowWindow(SW_SHOW);
        uitest::Pump(20);
    }
    void TearDown() override
    {
        dialog.DestroyWindow();
        uitest::FlushDeletedWidgets();
    }

    UINT DialogCode(int id, const MSG* msg = nullptr)
    {
        return static_cast<UINT>(::SendMessage(driver().Item(id), WM_GETDLGCODE, msg ? msg->wParam : 0,
                                               reinterpret_cast<LPARAM>(msg)));
    }
    uitest::DialogDriver driver() { return uitest::DialogDriver(dialog.GetSafeHwnd()); }
    void Mouse(int id, QEvent::Type type, QPoint at = QPoint(-1, -1))
    {
        QWidget* widget = driver().Widget(id);
        ASSERT_NE(widget, nullptr);
        if (at == QPoint(-1, -1)) at = widget->rect().center();
        const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, QPointF(at), QPointF(widget->mapToGlobal(at)), Qt::LeftButton, buttons,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &event);
        uitest::Pump(0);
    }
    QImage Picture(int id)
    {
        uitest::Pump(20);
        return driver().Widget(id)->grab().toImage();
    }

    ButtonsDialog dialog;
};

TEST_F(IconButtons, TheyTellTheDialogWhatTheyWere)
{
    EXPECT_EQ(dialog.ok.GetButtonType(), BS_PUSHBUTTON);
    EXPECT_TRUE(dialog.ok.IsDefault());
    EXPECT_EQ(dialog.ok.GetStyle() & BS_TYPEMASK, BS_OWNERDRAW);
    EXPECT_EQ(dialog.jog.GetButtonType(), BS_PUSHBUTTON);
    EXPECT_FALSE(dialog.jog.IsDefault());
    EXPECT_EQ(dialog.radio.GetButtonType(), BS_AUTORADIOBUTTON);

    EXPECT_TRUE(DialogCode(IDOK) & DLGC_DEFPUSHBUTTON);
    EXPECT_FALSE(DialogCode(IDOK) & DLGC_UNDEFPUSHBUTTON);
    EXPECT_TRUE(DialogCode(kJog) & DLGC_UNDEFPUSHBUTTON);
    EXPECT_FALSE(DialogCode(kJog) & DLGC_DEFPUSHBUTTON);
    EXPECT_TRUE(DialogCode(kRadio) & DLGC_RADIOBUTTON);
    EXPECT_FALSE(DialogCode(kRadio) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON));
    EXPECT_EQ(DialogCode(kGroup), DLGC_STATIC);
}

TEST_F(IconButtons, OnlyTheKeysThatPressItAreItsOwn)
{
    const struct {
        const char* name;
        UINT message;
        WPARAM key;
        bool wanted;
    } cases[] = {
        {"space down", WM_KEYDOWN, VK_SPACE, true},  {"space up", WM_KEYUP, VK_SPACE, true},
        {"return down", WM_KEYDOWN, VK_RETURN, true}, {"escape", WM_KEYDOWN, VK_ESCAPE, false},
        {"left arrow", WM_KEYDOWN, VK_LEFT, false},   {"down arrow", WM_KEYDOWN, VK_DOWN, false},
        {"tab", WM_KEYDOWN, VK_TAB, false},           {"a letter", WM_KEYDOWN, 'A', false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MSG msg;
        msg.hwnd = driver().Item(kJog);
        msg.message = c.message;
        msg.wParam = c.key;
        EXPECT_EQ((DialogCode(kJog, &msg) & DLGC_WANTMESSAGE) != 0, c.wanted);
    }
    // Escape on a focused icon button is the dialog's Cancel.
    ::SetFocus(driver().Item(kJog));
    driver().Key(Qt::Key_Escape);
    EXPECT_EQ(dialog.cancels, 1);
}

TEST_F(IconButtons, SpaceAndReturnPressItOnce)
{
    const struct {
        const char* name;
        int key;
    } cases[] = {{"space", Qt::Key_Space}, {"return", Qt::Key_Return}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        dialog.commands.clear();
        ::SetFocus(driver().Item(kJog));
        QWidget* widget = driver().Widget(kJog);
        QKeyEvent press(QEvent::KeyPress, c.key, Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &press);
        EXPECT_TRUE(dialog.jog.GetState() & BST_PUSHED);
        // Auto-repeats of the held key add nothing.
        QKeyEvent repeat(QEvent::KeyPress, c.key, Qt::NoModifier, QString(), true);
        QCoreApplication::sendEvent(widget, &repeat);
        QKeyEvent release(QEvent::KeyRelease, c.key, Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &release);
        uitest::Pump(0);
        EXPECT_EQ(dialog.CommandsFrom(kJog), 1);
        EXPECT_FALSE(dialog.jog.GetState() & BST_PUSHED);
        // Return did not go on to the dialog's default button.
        EXPECT_EQ(dialog.CommandsFrom(IDOK), 0);
    }
}

TEST_F(IconButtons, OneCommandPerClickOfADoubleClick)
{
    Mouse(kJog, QEvent::MouseButtonPress);
    Mouse(kJog, QEvent::MouseButtonRelease);
    EXPECT_EQ(dialog.CommandsFrom(kJog), 1);
    Mouse(kJog, QEvent::MouseButtonPress);
    Mouse(kJog, QEvent::MouseButtonDblClick);
    EXPECT_TRUE(dialog.jog.GetState() & BST_PUSHED);
    Mouse(kJog, QEvent::MouseButtonRelease);
    EXPECT_EQ(dialog.CommandsFrom(kJog), 2);
    EXPECT_EQ(dialog.CommandsFrom(kJog, BN_DOUBLECLICKED), 0);
    EXPECT_FALSE(dialog.jog.GetState() & BST_PUSHED);
}

TEST_F(IconButtons, CheckBoxModeTogglesOnlyWhenReleasedOnTheButton)
{
    EXPECT_FALSE(dialog.toggle.GetCheck());
    driver().Click(kToggle);
    EXPECT_TRUE(dialog.toggle.GetCheck());
    driver().Click(kToggle);
    EXPECT_FALSE(dialog.toggle.GetCheck());

    Mouse(kToggle, QEvent::MouseButtonPress);
    EXPECT_TRUE(dialog.toggle.GetCheck());
    Mouse(kToggle, QEvent::MouseButtonRelease, QPoint(-50, -50));
    EXPECT_FALSE(dialog.toggle.GetCheck());

    // Setting the mode again clears the state.
    driver().Click(kToggle);
    ASSERT_TRUE(dialog.toggle.GetCheck());
    dialog.toggle.SetCheckBox(TRUE);
    EXPECT_FALSE(dialog.toggle.GetCheck());
}

TEST_F(IconButtons, DefaultButtonMovesWithTheDialog)
{
    dialog.SendMessage(DM_SETDEFID, kJog);
    EXPECT_TRUE(dialog.jog.IsDefault());
    EXPECT_FALSE(dialog.ok.IsDefault());
    EXPECT_EQ(dialog.jog.GetStyle() & BS_TYPEMASK, BS_OWNERDRAW);
    EXPECT_TRUE(DialogCode(kJog) & DLGC_DEFPUSHBUTTON);

    ::SetFocus(driver().Item(kRadio));
    COwnerDrawButton::SetDefaultButton(&dialog, IDOK);
    EXPECT_TRUE(dialog.ok.IsDefault());
    EXPECT_FALSE(dialog.jog.IsDefault());
    EXPECT_EQ(LOWORD(dialog.SendMessage(DM_GETDEFID)), IDOK);

    // A button that may not be default gives the look up.
    dialog.ok.SetDefault(FALSE);
    EXPECT_FALSE(dialog.ok.IsDefault());
    EXPECT_FALSE(DialogCode(IDOK) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON));
}

TEST(IconButtonGreyIcon, AverageOfTheChannels)
{
    QImage image(4, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgba(255, 255, 255, 255));
    image.setPixel(1, 0, qRgba(0, 0, 0, 0));
    image.setPixel(2, 0, qRgba(30, 60, 90, 200));
    image.setPixel(3, 0, qRgba(0, 0, 0, 255));
    const HICON icon = platform::IconFromImage(image);
    const HICON grey = CIconButton::MakeGrayIcon(icon);
    ASSERT_TRUE(grey);
    const QImage result = platform::ImageFromIcon(grey);
    ::DestroyIcon(icon);
    ::DestroyIcon(grey);
    ASSERT_EQ(result.width(), 4);
    const struct {
        const char* name;
        int x;
        QRgb expected;
    } cases[] = {
        {"white becomes grey 254", 0, qRgba(254, 254, 254, 255)},
        {"transparent black stays transparent", 1, qRgba(0, 0, 0, 0)},
        {"a colour becomes its average, alpha kept", 2, qRgba(60, 60, 60, 200)},
        {"opaque black stays black", 3, qRgba(0, 0, 0, 255)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(result.pixel(c.x, 0), c.expected);
    }
    EXPECT_FALSE(CIconButton::MakeGrayIcon(HICON()));
}

// Every button as drawn: classic, with the icon left, right or alone, in
// check-box mode, flat over the dialog, in colours of its own, the default
// one framed, a disabled one with the grey icon.
TEST_F(IconButtons, HowTheyLook)
{
    driver().Click(kToggle);
    dialog.jog.EnableWindow(FALSE);
    ::SetFocus(driver().Item(kPlain));
    const int ids[] = {kJog, kIconOnly, kToggle, kPlain, kFlat, kColoured, IDOK, IDCANCEL};
    std::vector<QImage> pictures;
    int width = 0;
    int height = 0;
    for (const int id : ids) {
        pictures.push_back(Picture(id));
        width += pictures.back().width() + 4;
        height = std::max(height, pictures.back().height());
    }
    QImage sheet(width, height, QImage::Format_ARGB32);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    int x = 0;
    for (const QImage& p : pictures) {
        painter.drawImage(x, 0, p);
        x += p.width() + 4;
    }
    painter.end();
    qvtest::ExpectMatchesGolden(sheet, qvtest::SourceFolderOf(__FILE__) / "golden", "icon_buttons", 48,
                                sheet.width() * sheet.height() / 100);
}

}  // namespace
