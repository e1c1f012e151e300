// Help as a person asks for it: the help command (menu or F1) opens the page
// of the interface language, which lies beside the program, in the desktop's
// browser; when the desktop cannot show it, a message says where the page is.
#include "manager/ui/tests/ManagerTestSupport.h"

#include "platform/core/File.h"
#include "platform/core/Paths.h"
#include "platform/ui/Shell.h"

#include <fstream>
#include <sstream>

namespace {

using namespace mgrtest;

class ManagerHelpTest : public ::testing::TestWithParam<const char*> {
protected:
    void TearDown() override { uitest::FlushDeletedWidgets(); }
};

std::string ReadAll(const CString& path)
{
    std::ifstream in(platform::NativePath(path), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// A menu item's text as the user reads it: without the mnemonic, its
// Japanese "(&O)" form and the shortcut after the tab.
std::string MenuText(HWND frame, UINT command)
{
    char16_t buffer[256] = {};
    ::GetMenuStringW(::GetMenu(frame), command, buffer, 256, MF_BYCOMMAND);
    CString text(buffer);
    if (const int tab = text.Find(u'\t'); tab >= 0) text = text.Left(tab);
    if (const int open = text.Find(u"(&"); open >= 0) text = text.Left(open) + text.Mid(open + 4);
    if (text.Right(3) == u"...") text = text.Left(text.GetLength() - 3);
    text.Remove(u'&');
    return text.ToUtf8();
}

TEST_P(ManagerHelpTest, HelpOpensThePageOfTheLanguageWithTheDesktopsOpener)
{
    const std::string language = GetParam();
    ManagerWorld world(language.c_str());
    ASSERT_TRUE(world.Start());
    const CString expected = platform::JoinPath(platform::GetProgramFolder(), W("Quorvane." + language + ".html"));
    ASSERT_EQ(world.App().HelpFile(), expected);
    ASSERT_TRUE(platform::FileExists(expected)) << "the help page is installed beside the program";

    // The page is true to the program: it names the commands of its menus.
    const std::string page = ReadAll(expected);
    EXPECT_NE(page.find("lang=\"" + language + "\""), std::string::npos);
    for (UINT command : {IDM_NEW_ONLINE, IDM_NEW_OFFLINE, IDM_OPEN_DATA, IDM_CLOSE_ALL}) {
        const std::string item = MenuText(world.FrameHwnd(), command);
        ASSERT_FALSE(item.empty());
        EXPECT_NE(page.find(item), std::string::npos) << "the page names the menu item " << item;
    }

    std::vector<std::vector<CString>> opened;
    {
        platform::ScopedDesktopOpenHook hook([&](const std::vector<CString>& arguments) {
            opened.push_back(arguments);
            return true;
        });
        world.Command(IDM_HELP_CONTENTS);
        // F1 reaches the same command through the accelerator.
        world.Command(ID_HELP);
    }
    ASSERT_EQ(opened.size(), 2u);
    for (const auto& arguments : opened) EXPECT_EQ(arguments, (std::vector<CString>{u"xdg-open", expected}));
    EXPECT_TRUE(world.Boxes().Shown().empty()) << "nothing to tell when the page opened";

    // A desktop without an opener: the user learns where the page is.
    {
        platform::ScopedDesktopOpenHook hook([](const std::vector<CString>&) { return false; });
        world.Boxes().Answer(IDOK, std::u16string(expected.GetString()));
        world.Command(IDM_HELP_CONTENTS);
    }
    ASSERT_EQ(world.Boxes().Shown().size(), 1u);
    CString help;
    help.LoadString(IDS_HELP_OPEN_FAILED);
    const CString shown = world.Boxes().Shown()[0].text;
    EXPECT_EQ(shown.Left(12), help.Left(12)) << "the message of the interface language";
}

// The opener starts but finds nothing to show the page with and ends with an
// error a moment later: the user is told as when it does not start, and the
// window goes on meanwhile. An opener that succeeds says nothing.
TEST_P(ManagerHelpTest, AnOpenerThatEndsWithAnErrorIsToldToTheUser)
{
    ManagerWorld world(GetParam());
    ASSERT_TRUE(world.Start());
    const CString page = world.App().HelpFile();
    CString format;
    format.LoadString(IDS_HELP_OPEN_FAILED);
    CString expected;
    expected.Format(format.GetString(), page.GetString());

    const auto help = [&] { ::SendMessageW(world.FrameHwnd(), WM_COMMAND, IDM_HELP_CONTENTS, 0); };
    {
        // First an opener that shows the page, then one that cannot.
        platform::ScopedDesktopOpenerProgram shows(u"/bin/true");
        help();
        platform::ScopedDesktopOpenerProgram fails(u"/bin/false");
        world.Boxes().Answer(IDOK, std::u16string(page.GetString()));
        help();
    }
    EXPECT_TRUE(world.Boxes().Shown().empty()) << "the command returns before the opener ends";
    ASSERT_TRUE(uitest::WaitUntil([&] { return !world.Boxes().Shown().empty(); }, 30000));
    uitest::Pump(500);
    ASSERT_EQ(world.Boxes().Shown().size(), 1u);
    EXPECT_EQ(world.Boxes().Shown()[0].text, expected);
    EXPECT_NE(world.Boxes().Shown()[0].type & MB_ICONWARNING, 0u);
}

INSTANTIATE_TEST_SUITE_P(Languages, ManagerHelpTest, ::testing::Values("en", "ja"));

}  // namespace
