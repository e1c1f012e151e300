#include "platform/core/File.h"
#include "platform/core/Paths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace {

TEST(Paths, PartsAcceptBothSeparators)
{
    struct Row {
        const char16_t* path;
        const char16_t* folder;
        const char16_t* name;
        const char16_t* stem;
        const char16_t* ext;
    };
    const Row rows[] = {
        {u"/a/b/name.ext", u"/a/b/", u"name.ext", u"name", u".ext"},
        {u"\\Velbrook\\Quorvane\\CommMan.ini", u"/Velbrook/Quorvane/", u"CommMan.ini", u"CommMan", u".ini"},
        {u"plain", u"", u"plain", u"plain", u""},
        {u"/dir/.hidden", u"/dir/", u".hidden", u".hidden", u""},
        {u"a.tar.gz", u"", u"a.tar.gz", u"a.tar", u".gz"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(CString(r.path).ToUtf8());
        EXPECT_EQ(platform::FolderOf(r.path), r.folder);
        EXPECT_EQ(platform::FileNameOf(r.path), r.name);
        EXPECT_EQ(platform::StemOf(r.path), r.stem);
        EXPECT_EQ(platform::ExtensionOf(r.path), r.ext);
    }
    EXPECT_EQ(platform::JoinPath(u"/x/", u"\\Velbrook\\Quorvane\\"), u"/x/Velbrook/Quorvane/");
    EXPECT_EQ(platform::JoinPath(u"", u"f"), u"f");
}

TEST(Paths, ProgramAndSettingsFolders)
{
    const CString program = platform::GetProgramPath();
    EXPECT_TRUE(platform::FileExists(program));
    EXPECT_EQ(platform::FolderOf(program), platform::GetProgramFolder());

    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::string keep = saved ? saved : "";
    ::setenv("XDG_CONFIG_HOME", "/tmp/qv-xdg", 1);
    EXPECT_EQ(platform::GetAppDataFolder(), u"/tmp/qv-xdg");
    if (saved) ::setenv("XDG_CONFIG_HOME", keep.c_str(), 1); else ::unsetenv("XDG_CONFIG_HOME");
}

TEST(Paths, CreateFolderPathMakesEveryLevel)
{
    const auto base = std::filesystem::temp_directory_path() / ("qv-paths-" + std::to_string(::getpid()));
    const CString deep = CString::FromUtf8(base.string()) + u"\\one\\two\\";
    EXPECT_TRUE(platform::CreateFolderPath(deep));
    EXPECT_TRUE(platform::DirectoryExists(CString::FromUtf8((base / "one" / "two").string())));
    EXPECT_TRUE(platform::CreateFolderPath(deep));  // already there
    std::filesystem::remove_all(base);
    EXPECT_FALSE(platform::CreateFolderPath(u"/proc/self/exe/sub"));
}

}  // namespace
