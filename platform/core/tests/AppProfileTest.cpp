#include "platform/core/AppProfile.h"
#include "platform/core/File.h"
#include "platform/core/Registry.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

// A temporary folder holding the registry store and the ini file of a test.
class Scope {
public:
    Scope()
    {
        std::string tmpl = (std::filesystem::temp_directory_path() / "qv-appprofile-XXXXXX").string();
        m_dir = ::mkdtemp(tmpl.data());
        platform::SetRegistryStorePath(CString::FromUtf8((m_dir / "registry.ini").string()));
    }
    ~Scope()
    {
        platform::SetRegistryStorePath(CString());
        std::filesystem::remove_all(m_dir);
    }
    CString File(const char* name) const { return CString::FromUtf8((m_dir / name).string()); }

private:
    std::filesystem::path m_dir;
};

TEST(AppProfile, RegistryAndIniFileBehaveAlike)
{
    Scope scope;
    struct Row {
        const char* what;
        platform::ProfileStore store;
    };
    const Row rows[] = {
        {"registry", {u"Software\\Velbrook\\Quorvane", u""}},
        {"ini file", {u"", scope.File("quorvane.ini")}},
    };
    BYTE option[60];
    for (int i = 0; i < 60; ++i) option[i] = static_cast<BYTE>(255 - i * 3);
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        const auto& s = r.store;
        std::vector<BYTE> data{9};
        EXPECT_EQ(static_cast<int>(platform::GetProfileInt(s, u"Settings", u"ChildWindowState", 5)), 5);
        EXPECT_EQ(platform::GetProfileString(s, u"Settings", u"Name", u"none"), u"none");
        EXPECT_FALSE(platform::GetProfileBinary(s, u"Settings", u"OptionSetting", data));
        EXPECT_TRUE(data.empty());

        EXPECT_TRUE(platform::WriteProfileInt(s, u"Settings", u"ChildWindowLeft", -1));
        EXPECT_TRUE(platform::WriteProfileInt(s, u"Settings", u"ChildWindowMaxCount", 20));
        EXPECT_TRUE(platform::WriteProfileString(s, u"Recent File List", u"File1", u"/home/u/axis 1.txt"));
        EXPECT_TRUE(platform::WriteProfileBinary(s, u"Settings", u"OptionSetting", option, 60));
        EXPECT_TRUE(platform::WriteProfileBinary(s, u"Settings", u"EmptyRecord", option, 0));

        EXPECT_EQ(static_cast<int>(platform::GetProfileInt(s, u"settings", u"childwindowleft", 0)), -1);
        EXPECT_EQ(platform::GetProfileInt(s, u"Settings", u"ChildWindowMaxCount", 0), 20u);
        EXPECT_EQ(platform::GetProfileString(s, u"Recent File List", u"File1"), u"/home/u/axis 1.txt");
        ASSERT_TRUE(platform::GetProfileBinary(s, u"Settings", u"OptionSetting", data));
        EXPECT_EQ(data, std::vector<BYTE>(option, option + 60));
        EXPECT_TRUE(platform::GetProfileBinary(s, u"Settings", u"EmptyRecord", data));
        EXPECT_TRUE(data.empty());

        EXPECT_TRUE(platform::WriteProfileString(s, u"Settings", u"ChildWindowLeft", nullptr));
        EXPECT_EQ(static_cast<int>(platform::GetProfileInt(s, u"Settings", u"ChildWindowLeft", 7)), 7);
        EXPECT_EQ(platform::GetProfileInt(s, u"Settings", u"ChildWindowMaxCount", 0), 20u);
        EXPECT_TRUE(platform::WriteProfileString(s, u"Settings", u"NeverWritten", nullptr));

        EXPECT_TRUE(platform::WriteProfileString(s, u"Recent File List", nullptr, nullptr));
        EXPECT_EQ(platform::GetProfileString(s, u"Recent File List", u"File1", u""), u"");
        EXPECT_TRUE(platform::WriteProfileString(s, u"Recent File List", nullptr, nullptr));
    }
}

TEST(AppProfile, WrongTypesAndMissingStoresGiveDefaults)
{
    Scope scope;
    const platform::ProfileStore reg{u"Software\\Velbrook\\Types", u""};
    ASSERT_TRUE(platform::WriteProfileString(reg, u"S", u"Text", u"12"));
    ASSERT_TRUE(platform::WriteProfileInt(reg, u"S", u"Number", 12));
    std::vector<BYTE> data;
    EXPECT_EQ(platform::GetProfileInt(reg, u"S", u"Text", 3), 3u);
    EXPECT_EQ(platform::GetProfileString(reg, u"S", u"Number", u"d"), u"d");
    EXPECT_FALSE(platform::GetProfileBinary(reg, u"S", u"Number", data));

    const platform::ProfileStore ini{u"", scope.File("t.ini")};
    std::ofstream(platform::NativePath(scope.File("t.ini"))) << "[S]\nOdd=ABC\nNotHex=ZZ\n";
    EXPECT_FALSE(platform::GetProfileBinary(ini, u"S", u"Odd", data));
    EXPECT_FALSE(platform::GetProfileBinary(ini, u"S", u"NotHex", data));

    const platform::ProfileStore nowhere;
    EXPECT_EQ(platform::GetProfileInt(nowhere, u"S", u"Number", 4), 4u);
    EXPECT_FALSE(platform::WriteProfileInt(nowhere, u"S", u"Number", 4));
    EXPECT_FALSE(platform::WriteProfileString(nowhere, u"S", u"Text", u"x"));
}

}  // namespace
