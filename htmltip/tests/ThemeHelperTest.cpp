// The visual-styles binding: soft failure without the library (as always on
// Linux), and through a fake library the counted, all-or-nothing binding and
// the answers of each call.
#include "htmltip/ThemeHelper.h"

#include "platform/core/Wnd.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

using namespace htmltip;

namespace {

// The fake library's state: what it answers and what it was asked.
struct FakeTheme {
    HRESULT result = 0;
    BOOL themed = TRUE;
    int calls = 0;
    int lastTextLength = -1;
    std::u16string lastClassList;
};
FakeTheme g_theme;

const HTHEME kTheme = HTHEME::Make(7, 1);

HTHEME FakeOpen(HWND, LPCWSTR classList)
{
    ++g_theme.calls;
    g_theme.lastClassList = classList ? classList : u"";
    return kTheme;
}
HRESULT FakeClose(HTHEME)
{
    ++g_theme.calls;
    return g_theme.result;
}
HRESULT FakeBackground(HTHEME, HDC, int, int, const RECT*, const RECT*)
{
    ++g_theme.calls;
    return g_theme.result;
}
HRESULT FakeParentBackground(HWND, HDC, const RECT*)
{
    ++g_theme.calls;
    return g_theme.result;
}
HRESULT FakeText(HTHEME, HDC, int, int, LPCWSTR, int length, DWORD, DWORD, const RECT*)
{
    ++g_theme.calls;
    g_theme.lastTextLength = length;
    return g_theme.result;
}
HRESULT FakeContentRect(HTHEME, HDC, int, int, const RECT* bounding, RECT* content)
{
    ++g_theme.calls;
    if (bounding && content) *content = RECT{bounding->left + 2, bounding->top + 2, bounding->right - 2, bounding->bottom - 2};
    return g_theme.result;
}
BOOL FakeIsAppThemed() { return g_theme.themed; }
BOOL FakeIsThemeActive() { return g_theme.themed; }

class FakeLibrary : public IThemeLibraryLoader {
public:
    std::set<std::string> missing;
    bool present = true;
    int loads = 0;
    int frees = 0;
    std::u16string loadedName;

    HMODULE Load(LPCWSTR name) override
    {
        if (!present) return HMODULE();
        ++loads;
        loadedName = name;
        return HMODULE::Make(42, 1);
    }
    FARPROC Find(HMODULE, const char* name) override
    {
        if (missing.count(name)) return nullptr;
        static const std::map<std::string, FARPROC> exports = {
            {"OpenThemeData", reinterpret_cast<FARPROC>(&FakeOpen)},
            {"CloseThemeData", reinterpret_cast<FARPROC>(&FakeClose)},
            {"DrawThemeBackground", reinterpret_cast<FARPROC>(&FakeBackground)},
            {"DrawThemeParentBackground", reinterpret_cast<FARPROC>(&FakeParentBackground)},
            {"DrawThemeText", reinterpret_cast<FARPROC>(&FakeText)},
            {"GetThemeBackgroundContentRect", reinterpret_cast<FARPROC>(&FakeContentRect)},
            {"IsAppThemed", reinterpret_cast<FARPROC>(&FakeIsAppThemed)},
            {"IsThemeActive", reinterpret_cast<FARPROC>(&FakeIsThemeActive)},
        };
        const auto found = exports.find(name);
        return found == exports.end() ? nullptr : found->second;
    }
    void Free(HMODULE) override { ++frees; }
};

class ThemeHelper : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_theme = FakeTheme();
        ASSERT_EQ(CThemeHelper::InstanceCount(), 0);
        ASSERT_FALSE(CThemeHelper::IsLoaded());
    }
    void TearDown() override { EXPECT_EQ(CThemeHelper::InstanceCount(), 0); }

    FakeLibrary library;
    ScopedThemeLibraryLoader scoped{&library};
};

TEST(ThemeHelperOnLinux, WithoutTheLibraryEveryCallFailsSoftly)
{
    CThemeHelper helper;
    EXPECT_FALSE(CThemeHelper::IsLoaded());
    EXPECT_FALSE(helper.IsAppThemed());
    EXPECT_FALSE(helper.IsThemeActive());
    EXPECT_FALSE(helper.OpenThemeData(HWND(), u"Button"));
    EXPECT_FALSE(helper.CloseThemeData(kTheme));
    const RECT r{0, 0, 10, 10};
    EXPECT_FALSE(helper.DrawThemeBackground(kTheme, HDC(), 1, 1, &r, nullptr));
    EXPECT_FALSE(helper.DrawThemeParentBackground(HWND(), HDC(), &r));
    RECT content{};
    EXPECT_FALSE(helper.GetThemeBackgroundContentRect(kTheme, HDC(), 1, 1, &r, &content));
    helper.DrawThemeText(kTheme, HDC(), 1, 1, u"text", -1, 0, 0, &r);
}

TEST_F(ThemeHelper, LoadedOnceAndFreedByTheLastInstance)
{
    {
        CThemeHelper first;
        EXPECT_TRUE(CThemeHelper::IsLoaded());
        EXPECT_EQ(library.loadedName, kThemeLibraryName);
        {
            CThemeHelper second;
            EXPECT_EQ(CThemeHelper::InstanceCount(), 2);
        }
        EXPECT_TRUE(CThemeHelper::IsLoaded());
        EXPECT_TRUE(first.IsAppThemed());
        EXPECT_EQ(library.loads, 1);
        EXPECT_EQ(library.frees, 0);
    }
    EXPECT_FALSE(CThemeHelper::IsLoaded());
    EXPECT_EQ(library.frees, 1);
}

TEST_F(ThemeHelper, ALibraryLackingAnyEntryPointIsNotKept)
{
    const char* const names[] = {"CloseThemeData", "DrawThemeBackground", "DrawThemeParentBackground", "DrawThemeText",
                                 "GetThemeBackgroundContentRect", "IsAppThemed", "IsThemeActive", "OpenThemeData"};
    for (const char* name : names) {
        SCOPED_TRACE(name);
        library.missing = {name};
        library.loads = library.frees = 0;
        {
            CThemeHelper helper;
            EXPECT_FALSE(CThemeHelper::IsLoaded());
            EXPECT_FALSE(helper.IsAppThemed());
            EXPECT_FALSE(helper.OpenThemeData(HWND(), u"Button"));
            EXPECT_EQ(library.loads, 1);
            EXPECT_EQ(library.frees, 1);
            // Each new instance tries again.
            CThemeHelper another;
            EXPECT_EQ(library.loads, 2);
        }
        EXPECT_EQ(library.frees, 2);
    }
}

TEST_F(ThemeHelper, AnswersOfTheCalls)
{
    CThemeHelper helper;
    ASSERT_TRUE(CThemeHelper::IsLoaded());
    EXPECT_EQ(helper.OpenThemeData(HWND(), u"Toolbar"), kTheme);
    EXPECT_EQ(g_theme.lastClassList, u"Toolbar");

    const RECT r{0, 0, 20, 10};
    const struct {
        const char* name;
        HRESULT result;
        BOOL expected;
    } results[] = {{"ok", 0, TRUE}, {"another success code", 1, TRUE}, {"failure", -2147467259, FALSE}};
    for (const auto& c : results) {
        SCOPED_TRACE(c.name);
        g_theme.result = c.result;
        EXPECT_EQ(helper.CloseThemeData(kTheme), c.expected);
        EXPECT_EQ(helper.DrawThemeBackground(kTheme, HDC(), 1, 3, &r, nullptr), c.expected);
        RECT content{};
        EXPECT_EQ(helper.GetThemeBackgroundContentRect(kTheme, HDC(), 1, 1, &r, &content), c.expected);
        EXPECT_EQ(content.left, 2);
    }

    // A null theme, a missing window or rectangle never reach the library.
    g_theme.result = 0;
    g_theme.calls = 0;
    EXPECT_FALSE(helper.CloseThemeData(HTHEME()));
    EXPECT_FALSE(helper.DrawThemeBackground(HTHEME(), HDC(), 1, 1, &r, nullptr));
    EXPECT_FALSE(helper.DrawThemeParentBackground(HWND::Make(999, 3), HDC(), &r));
    helper.DrawThemeText(HTHEME(), HDC(), 1, 1, u"x", 1, 0, 0, &r);
    EXPECT_EQ(g_theme.calls, 0);

    CWnd window;
    ASSERT_TRUE(window.CreateEx(0, AfxRegisterWndClass(0), u"", WS_POPUP, RECT{0, 0, 10, 10}, nullptr, 0));
    EXPECT_FALSE(helper.DrawThemeParentBackground(window, HDC(), nullptr));
    EXPECT_TRUE(helper.DrawThemeParentBackground(window, HDC(), &r));
    window.DestroyWindow();

    // The whole text is drawn, whatever length is given.
    helper.DrawThemeText(kTheme, HDC(), 1, 1, u"Jog +", 2, 0, 0, &r);
    EXPECT_EQ(g_theme.lastTextLength, 5);

    g_theme.themed = FALSE;
    EXPECT_FALSE(helper.IsAppThemed());
    EXPECT_FALSE(helper.IsThemeActive());
}

}  // namespace
