// Opening documents, links and help: the exact argument vector handed to the
// desktop's opener, and the targets that are refused before anything starts.
#include "platform/ui/Shell.h"

#include "platform/core/Process.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "qv-shell-XXXXXX").string();
        if (::mkdtemp(pattern.data())) m_path = fs::path(pattern);
    }
    ~TempFolder()
    {
        std::error_code ec;
        if (!m_path.empty()) fs::remove_all(m_path, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const fs::path& Path() const { return m_path; }
    CString Make(const std::string& name) const
    {
        const fs::path p = m_path / name;
        fs::create_directories(p.parent_path());
        std::ofstream(p) << "x";
        return CString::FromUtf8(p.string());
    }

private:
    fs::path m_path;
};

// Records what would have been started; nothing is opened.
class OpenerRecorder {
public:
    OpenerRecorder()
        : m_hook([this](const std::vector<CString>& arguments) {
              calls.push_back(arguments);
              return started;
          })
    {
    }
    std::vector<std::vector<CString>> calls;
    bool started = true;

private:
    platform::ScopedDesktopOpenHook m_hook;
};

std::vector<CString> Opener(const CString& target) { return {CString(u"xdg-open"), target}; }

TEST(ShellExecute, HandsTheOpenerExactlyOneTarget)
{
    TempFolder tmp;
    const CString report = tmp.Make("report.pdf");
    // Shell characters mean nothing in an argument vector.
    const CString odd = tmp.Make("a b;$(touch pwned)`x`'\".txt");
    const CString folder = CString::FromUtf8(tmp.Path().string());
    struct Case {
        const char* name;
        const char16_t* operation;
        CString file;
        CString directory;
        CString expected;
    };
    const Case cases[] = {
        {"absolute file", u"open", report, {}, report},
        {"null operation means open", nullptr, report, {}, report},
        {"operation in capitals", u"OPEN", report, {}, report},
        {"relative to the folder given", u"open", CString(u"report.pdf"), folder, report},
        {"backslash separators", u"open", CString(u"sub\\notes.txt"), folder, tmp.Make("sub/notes.txt")},
        {"dots resolved", u"open", CString(u"sub/../report.pdf"), folder, report},
        {"shell characters", u"open", odd, {}, odd},
        {"folder explored", u"explore", folder, {}, folder},
        {"web link", u"open", CString(u"https://example.org/a?b=1&c=2"), {}, CString(u"https://example.org/a?b=1&c=2")},
        {"mail link", u"open", CString(u"mailto:service@example.org"), {}, CString(u"mailto:service@example.org")},
        {"file link", u"open", CString(u"file:///tmp/x.html"), {}, CString(u"file:///tmp/x.html")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OpenerRecorder opener;
        const HINSTANCE r = ShellExecuteW({}, c.operation, c.file, u"ignored parameters",
                                          c.directory.IsEmpty() ? nullptr : c.directory.GetString(), 1);
        EXPECT_GT(r.Value(), 32u);
        ASSERT_EQ(opener.calls.size(), 1u);
        EXPECT_EQ(opener.calls[0], Opener(c.expected));
    }
    EXPECT_FALSE(fs::exists(tmp.Path() / "pwned"));
}

TEST(ShellExecute, RefusesBeforeAnythingStarts)
{
    TempFolder tmp;
    const CString report = tmp.Make("report.pdf");
    tmp.Make("-rf");
    const CString folder = CString::FromUtf8(tmp.Path().string());
    struct Case {
        const char* name;
        const char16_t* operation;
        const char16_t* file;
        const char16_t* directory;
        std::uint64_t result;
    };
    const Case cases[] = {
        {"option-like target", u"open", u"-rf", folder.GetString(), SE_ERR_ACCESSDENIED},
        {"option-like link", u"open", u"--help", nullptr, SE_ERR_ACCESSDENIED},
        {"missing file", u"open", u"no-such-file.txt", folder.GetString(), SE_ERR_FNF},
        {"no file", u"open", nullptr, nullptr, SE_ERR_FNF},
        {"empty file", u"open", u"", nullptr, SE_ERR_FNF},
        {"unknown operation", u"print", report.GetString(), nullptr, SE_ERR_NOASSOC},
        {"script link", u"open", u"javascript:alert(1)", nullptr, SE_ERR_NOASSOC},
        {"handler link", u"open", u"x-scheme-handler:run", nullptr, SE_ERR_NOASSOC},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OpenerRecorder opener;
        EXPECT_EQ(ShellExecuteW({}, c.operation, c.file, nullptr, c.directory, 1).Value(), c.result);
        EXPECT_TRUE(opener.calls.empty());
    }
}

TEST(ShellExecute, AnOpenerThatFailsIsReported)
{
    TempFolder tmp;
    OpenerRecorder opener;
    opener.started = false;
    EXPECT_EQ(ShellExecuteW({}, u"open", tmp.Make("a.txt"), nullptr, nullptr, 1).Value(),
              static_cast<std::uint64_t>(SE_ERR_NOASSOC));
    EXPECT_EQ(opener.calls.size(), 1u);
}

TEST(HtmlHelp, OpensTheHelpFileOrItsPage)
{
    TempFolder tmp;
    const CString help = tmp.Make("help/index.html");
    const CString page = tmp.Make("help/setup.html");
    const CString context = tmp.Make("help/65537.html");
    const CString ownContext = tmp.Make("help/index/65538.html");
    tmp.Make("help/65538.html");
    tmp.Make("outside.html");
    const CString base = help;
    struct Case {
        const char* name;
        CString file;
        UINT command;
        DWORD_PTR data;
        CString expected;
    };
    const Case cases[] = {
        {"contents", base, HH_DISPLAY_TOC, 0, help},
        {"page in the file name", base + u"::/setup.html", HH_DISPLAY_TOPIC, 0, page},
        {"window name ignored", base + u"::/setup.html>main", HH_DISPLAY_TOPIC, 0, page},
        {"page as data", base, HH_DISPLAY_TOPIC, reinterpret_cast<DWORD_PTR>(u"setup.html"), page},
        {"context with its page", base, HH_HELP_CONTEXT, 65537, context},
        {"context without a page", base, HH_HELP_CONTEXT, 70000, help},
        {"context with a page of the help file's own", base, HH_HELP_CONTEXT, 65538, ownContext},
        {"missing page", base + u"::/gone.html", HH_DISPLAY_TOPIC, 0, help},
        {"page outside the help", base + u"::/../outside.html", HH_DISPLAY_TOPIC, 0, help},
        {"option-like page", base + u"::/-x", HH_DISPLAY_TOPIC, 0, help},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OpenerRecorder opener;
        EXPECT_EQ(HtmlHelpW({}, c.file, c.command, c.data), platform::kHelpViewerWindow);
        ASSERT_EQ(opener.calls.size(), 1u);
        EXPECT_EQ(opener.calls[0], Opener(c.expected));
    }

    OpenerRecorder opener;
    const CString missing = CString::FromUtf8((tmp.Path() / "none.html").string());
    EXPECT_FALSE(HtmlHelpW({}, missing, HH_DISPLAY_TOC, 0));
    EXPECT_FALSE(HtmlHelpW({}, nullptr, HH_DISPLAY_TOC, 0));
    EXPECT_FALSE(HtmlHelpW({}, help, HH_CLOSE_ALL, 0));
    EXPECT_TRUE(opener.calls.empty());
}

// A caller that keeps the opener's child sees how it ended: the stand-in gets
// the target as its one argument and its exit code comes back.
TEST(DesktopOpener, TheStartedOpenerCanBeWatchedToItsEnd)
{
    TempFolder tmp;
    const CString page = tmp.Make("page.html");
    const CString marker = CString::FromUtf8((tmp.Path() / "argument").string());
    const CString script = tmp.Make("opener.sh");
    {
        std::ofstream out(script.ToUtf8(), std::ios::binary | std::ios::trunc);
        out << "#!/bin/sh\nprintf '%s' \"$1\" > '" << marker.ToUtf8() << "'\nexit 3\n";
    }
    fs::permissions(script.ToUtf8(), fs::perms::owner_all);
    {
        platform::ScopedDesktopOpenerProgram stand(script);
        platform::Process child;
        ASSERT_TRUE(platform::StartDesktopOpener(page, child));
        ASSERT_TRUE(child.IsStarted());
        ASSERT_EQ(child.Wait(30000), static_cast<DWORD>(WAIT_OBJECT_0));
        DWORD code = 0;
        ASSERT_TRUE(child.GetExitCode(&code));
        EXPECT_EQ(code, 3u);
        std::ifstream in(marker.ToUtf8(), std::ios::binary);
        std::string argument((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(argument, page.ToUtf8());

        platform::Process refused;
        EXPECT_FALSE(platform::StartDesktopOpener(u"-x", refused)) << "an option-like target";
        EXPECT_FALSE(refused.IsStarted());
    }
    {
        platform::ScopedDesktopOpenerProgram missing(CString::FromUtf8((tmp.Path() / "none").string()));
        platform::Process child;
        EXPECT_FALSE(platform::StartDesktopOpener(page, child)) << "an opener that cannot start";
    }
    // A hook takes the call: it says whether the page opened and nothing is started.
    OpenerRecorder opener;
    platform::Process child;
    EXPECT_TRUE(platform::StartDesktopOpener(page, child));
    EXPECT_FALSE(child.IsStarted());
    ASSERT_EQ(opener.calls.size(), 1u);
    EXPECT_EQ(opener.calls[0], Opener(page));
}

}  // namespace
