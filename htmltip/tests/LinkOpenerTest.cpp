// The link opener starts its program with the link as one argument, never
// through a shell.
#include "htmltip/LinkOpener.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

using namespace htmltip;

namespace {

namespace fs = std::filesystem;

// A temporary folder with a stand-in opener that writes its arguments, one a
// line, to "arguments"; removed with everything in it.
class OpenerFolder {
public:
    OpenerFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "htmltip-opener-XXXXXX").string();
        if (::mkdtemp(pattern.data())) m_folder = pattern;
        std::ofstream script(Opener());
        script << "#!/bin/sh\ncd \"$(dirname \"$0\")\"\nprintf '%s\\n' \"$#\" \"$@\" > arguments.tmp\n"
                  "mv arguments.tmp arguments\n";
        script.close();
        fs::permissions(Opener(), fs::perms::owner_all);
    }
    ~OpenerFolder()
    {
        std::error_code ignored;
        if (!m_folder.empty()) fs::remove_all(m_folder, ignored);
    }
    OpenerFolder(const OpenerFolder&) = delete;
    OpenerFolder& operator=(const OpenerFolder&) = delete;

    fs::path Folder() const { return m_folder; }
    fs::path Opener() const { return m_folder / "opener"; }

    // The arguments the opener wrote, waiting for them with a generous bound.
    std::string WaitForArguments() const
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (std::chrono::steady_clock::now() < deadline) {
            std::ifstream in(m_folder / "arguments");
            if (in) {
                std::stringstream text;
                text << in.rdbuf();
                return text.str();
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return "(no arguments written)";
    }

private:
    fs::path m_folder;
};

TEST(XdgLinkOpener, PassesTheLinkAsOneArgumentWithoutAShell)
{
    OpenerFolder folder;
    ASSERT_FALSE(folder.Folder().empty());
    XdgLinkOpener opener(CString::FromUtf8(folder.Opener().string()));
    const std::string marker = (folder.Folder() / "injected").string();
    const std::string link = "http://example.org/?a=1&b=2;touch " + marker + " $(touch " + marker + ") `touch " +
                             marker + "` 'q' \"d\"";
    EXPECT_EQ(opener.Open(CString::FromUtf8(link), 5), kOpenSucceeded);
    EXPECT_EQ(folder.WaitForArguments(), std::string("1\n") + link + "\n");
    EXPECT_FALSE(fs::exists(marker));
}

TEST(XdgLinkOpener, RefusesWhatItCannotOpenSafely)
{
    OpenerFolder folder;
    XdgLinkOpener opener(CString::FromUtf8(folder.Opener().string()));
    EXPECT_EQ(opener.Open(CString(), 5), kOpenAccessDenied);
    EXPECT_EQ(opener.Open(u"--help", 5), kOpenAccessDenied);

    XdgLinkOpener missing(CString::FromUtf8((folder.Folder() / "no-such-opener").string()));
    EXPECT_EQ(missing.Open(u"http://example.org", 5), kOpenFileNotFound);
    EXPECT_FALSE(fs::exists(folder.Folder() / "arguments"));
}

}  // namespace
