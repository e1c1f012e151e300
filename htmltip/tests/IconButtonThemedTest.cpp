// The icon button with a visual style, through a fake visual-styles library
// (the real one never exists here): which theme class it opens, which state
// it draws in, and when it falls back to classic drawing. A program of its
// own, since the binding is process-wide.
#include "htmltip/IconButton.h"

#include "tests/support/ui/UiTest.h"

#include "platform/ui/Dialog.h"
#include "platform/ui/WindowSurface.h"

#include <QCoreApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QWidget>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

struct Opened {
    HWND window;
    std::u16string classList;
};

struct FakeStyles {
    bool themed = true;
    std::vector<Opened> opened;  // index + 1 is the theme handle's index
    int closed = 0;
    // Last state drawn per window, and the text states.
    std::map<std::uint64_t, int> lastState;
    std::vector<int> textStates;
    std::map<std::uint64_t, int> backgrounds;
};
FakeStyles g_styles;

HWND WindowOf(HTHEME theme)
{
    const std::size_t i = theme.Index();
    return i >= 1 && i <= g_styles.opened.size() ? g_styles.opened[i - 1].window : HWND();
}

HTHEME Open(HWND window, LPCWSTR classList)
{
    g_styles.opened.push_back(Opened{window, classList ? classList : u""});
    return HTHEME::Make(static_cast<std::uint32_t>(g_styles.opened.size()), 1);
}
HRESULT Close(HTHEME)
{
    ++g_styles.closed;
    return 0;
}
HRESULT Background(HTHEME theme, HDC dc, int, int state, const RECT* rect, const RECT*)
{
    ++g_styles.backgrounds[WindowOf(theme).Value()];
    g_styles.lastState[WindowOf(theme).Value()] = state;
    // A colour per state, so a picture would show it.
    static const COLORREF colours[] = {0, RGB(225, 225, 225), RGB(190, 220, 255), RGB(90, 130, 200),
                                       RGB(200, 200, 200), RGB(200, 240, 200)};
    if (rect && state >= 1 && state <= 5) ::FillRect(dc, rect, CBrush(colours[state]));
    return 0;
}
HRESULT ParentBackground(HWND, HDC, const RECT*) { return 0; }
HRESULT Text(HTHEME, HDC dc, int, int state, LPCWSTR text, int length, DWORD flags, DWORD, const RECT* rect)
{
    g_styles.textStates.push_back(state);
    RECT r = *rect;
    ::DrawText(dc, text, length, &r, flags);
    return 0;
}
HRESULT ContentRect(HTHEME, HDC, int, int, const RECT* bounding, RECT* content)
{
    *content = *bounding;
    return 0;
}
BOOL AppThemed() { return g_styles.themed; }
BOOL ThemeActive() { return g_styles.themed; }

class FakeLibrary : public htmltip::IThemeLibraryLoader {
public:
    HMODULE Load(LPCWSTR) override { return HMODULE::Make(7, 1); }
    FARPROC Find(HMODULE, const char* name) override
    {
        static const std::map<std::string, FARPROC> exports = {
            {"OpenThemeData", reinterpret_cast<FARPROC>(&Open)},
            {"CloseThemeData", reinterpret_cast<FARPROC>(&Close)},
            {"DrawThemeBackground", reinterpret_cast<FARPROC>(&Background)},
            {"DrawThemeParentBackground", reinterpret_cast<FARPROC>(&ParentBackground)},
            {"DrawThemeText", reinterpret_cast<FARPROC>(&Text)},
            {"GetThemeBackgroundContentRect", reinterpret_cast<FARPROC>(&ContentRect)},
            {"IsAppThemed", reinterpret_cast<FARPROC>(&AppThemed)},
            {"IsThemeActive", reinterpret_cast<FARPROC>(&ThemeActive)},
        };
        const auto found = exports.find(name);
        return found == exports.end() ? nullptr : found->second;
    }
    void Free(HMODULE) override {}
};

FakeLibrary g_library;
// In place before the program's theme binding is made (on the first drawing).
const htmltip::ScopedThemeLibraryLoader g_loader(&g_library);

constexpr int kStyled = 1001;
constexpr int kFlat = 1002;
constexpr int kColoured = 1003;

platform::DialogTemplate Template()
{
    platform::DialogTemplate t;
    t.extended = true;
    t.style = WS_POPUP | WS_CAPTION | DS_SETFONT | WS_VISIBLE;
    t.cx = 200;
    t.cy = 60;
    t.hasFont = true;
    t.pointSize = 9;
    t.faceName = u"MS Shell Dlg";
    int x = 5;
    for (const int id : {kStyled, kFlat, kColoured}) {
        platform::DialogItemTemplate item;
        item.className = u"Button";
        item.id = id;
        item.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
        item.x = static_cast<short>(x);
        item.y = 5;
        item.cx = 60;
        item.cy = 20;
        item.text = platform::TemplateName::Text(u"Zoom");
        t.items.push_back(item);
        x += 65;
    }
    return t;
}

class StyledDialog : public CDialog {
public:
    CIconButton styled;
    CIconButton flat;
    CIconButton coloured;
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        styled.SubclassDlgItem(kStyled, this);
        flat.SubclassDlgItem(kFlat, this);
        coloured.SubclassDlgItem(kColoured, this);
        flat.SetFlat(TRUE);
        coloured.SetTextColor(RGB(200, 0, 0));
        ::SetFocus(GetDlgItem(kColoured)->GetSafeHwnd());
        return FALSE;
    }
};

class ThemedButtons : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_styles.themed = true;
        ASSERT_TRUE(dialog.CreateIndirect(Template()));
        Draw();
    }
    void TearDown() override
    {
        dialog.DestroyWindow();
        uitest::FlushDeletedWidgets();
    }
    void Draw()
    {
        for (CIconButton* b : {&dialog.styled, &dialog.flat, &dialog.coloured})
            b->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        uitest::Pump(20);
    }
    int State(const CWnd& button) const
    {
        const auto found = g_styles.lastState.find(button.GetSafeHwnd().Value());
        return found == g_styles.lastState.end() ? 0 : found->second;
    }
    void SendMouse(CWnd& button, QEvent::Type type)
    {
        QWidget* widget = uitest::DialogDriver(dialog.GetSafeHwnd()).Widget(button.GetSafeHwnd());
        const QPoint at = widget->rect().center();
        QCursor::setPos(widget->mapToGlobal(at));
        QMouseEvent event(type, QPointF(at), QPointF(widget->mapToGlobal(at)), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &event);
        Draw();
    }

    StyledDialog dialog;
};

TEST_F(ThemedButtons, OpensTheButtonOrToolbarClass)
{
    ASSERT_TRUE(CThemeHelper::IsLoaded());
    std::map<std::uint64_t, std::u16string> classes;
    for (const Opened& o : g_styles.opened) classes[o.window.Value()] = o.classList;
    EXPECT_EQ(classes[dialog.styled.GetSafeHwnd().Value()], u"Button");
    EXPECT_EQ(classes[dialog.flat.GetSafeHwnd().Value()], u"Toolbar");
    EXPECT_TRUE(dialog.styled.IsThemed());
}

TEST_F(ThemedButtons, StatesOfTheStyle)
{
    EXPECT_EQ(State(dialog.styled), 1);
    SendMouse(dialog.styled, QEvent::MouseMove);
    EXPECT_EQ(State(dialog.styled), 2);
    SendMouse(dialog.styled, QEvent::MouseButtonPress);
    EXPECT_EQ(State(dialog.styled), 3);
    SendMouse(dialog.styled, QEvent::MouseButtonRelease);
    g_styles.textStates.clear();
    dialog.styled.EnableWindow(FALSE);
    Draw();
    EXPECT_EQ(State(dialog.styled), 4);
    ASSERT_FALSE(g_styles.textStates.empty());
    EXPECT_EQ(g_styles.textStates.back(), 4);
    dialog.styled.EnableWindow(TRUE);
    dialog.SendMessage(DM_SETDEFID, kStyled);
    Draw();
    // Hovering wins over the default look.
    EXPECT_EQ(State(dialog.styled), 2);
    dialog.styled.SendMessage(WM_MOUSELEAVE);
    Draw();
    EXPECT_EQ(State(dialog.styled), 5);
}

TEST_F(ThemedButtons, ColoursOrNoStylesDrawClassically)
{
    const auto drawnWithStyle = [&](const CWnd& button) { return g_styles.backgrounds[button.GetSafeHwnd().Value()]; };
    // A colour of its own: never drawn with the style.
    EXPECT_EQ(drawnWithStyle(dialog.coloured), 0);
    EXPECT_GT(drawnWithStyle(dialog.styled), 0);

    dialog.styled.SetUseVisualStyles(FALSE);
    int before = drawnWithStyle(dialog.styled);
    Draw();
    EXPECT_FALSE(dialog.styled.IsThemed());
    EXPECT_EQ(drawnWithStyle(dialog.styled), before);

    // Styles switched off for the application.
    dialog.styled.SetUseVisualStyles(TRUE);
    g_styles.themed = false;
    before = drawnWithStyle(dialog.styled);
    Draw();
    EXPECT_FALSE(dialog.styled.IsThemed());
    EXPECT_EQ(drawnWithStyle(dialog.styled), before);
}

TEST_F(ThemedButtons, ThemeChangeReopensTheTheme)
{
    const std::size_t opened = g_styles.opened.size();
    const int closed = g_styles.closed;
    dialog.styled.SendMessage(WM_THEMECHANGED);
    EXPECT_EQ(g_styles.closed, closed + 1);
    Draw();
    EXPECT_EQ(g_styles.opened.size(), opened + 1);
    EXPECT_EQ(g_styles.opened.back().window, dialog.styled.GetSafeHwnd());
}

}  // namespace
