#include "manager/core/DontShowAgain.h"
#include "manager/core/SharedText.h"
#include "manager/core/SystemHelpers.h"

#include "platform/core/ComPortNames.h"
#include "platform/core/MessageBox.h"
#include "platform/core/Paths.h"
#include "platform/core/Registry.h"

#include "tests/support/ScriptedMessageBox.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace {

TEST(NextToken, SplitsAtTheFirstSeparator)
{
    struct Case {
        const char16_t* text;
        const char16_t* separator;
        const char* token;
        const char* rest;
    } cases[] = {
        {u"a=b=c", u"=", "a", "b=c"}, {u"abc", u"=", "abc", ""},    {u"=x", u"=", "", "x"},
        {u"a..b", u"..", "a", "b"},   {u"a.b", u"", "a.b", ""},     {u"", u".", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(CString(c.text).ToUtf8());
        CString text(c.text);
        EXPECT_EQ(NextToken(text, c.separator).ToUtf8(), c.token);
        EXPECT_EQ(text.ToUtf8(), c.rest);
    }
}

TEST(ExtractThrough, UpToAndIncludingTheCharacter)
{
    struct Case {
        const char16_t* text;
        char16_t ch;
        int start;
        const char* result;
    } cases[] = {
        {u"K1=5\r\nK2=6\r\n", u'\n', 0, "K1=5\r\n"}, {u"K1=5\r\nK2=6\r\n", u'\n', 6, "K2=6\r\n"},
        {u"abc", u'x', 0, ""},                     {u"abc", u'c', 3, ""},
        {u"abc", u'a', -1, ""},                    {u"abc", u'c', 2, "c"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << CString(c.text).ToUtf8() << " from " << c.start);
        EXPECT_EQ(ExtractThrough(c.text, c.ch, c.start).ToUtf8(), c.result);
    }
}

TEST(PathPieces, TitleAndExtension)
{
    struct Case {
        const char16_t* path;
        const char* title;
        const char* extension;
    } cases[] = {
        {u"C:\\data\\robot.kxd", "robot.kxd", "kxd"},
        {u"/home/u/robot.v2.kxd", "robot.v2.kxd", "kxd"},
        {u"/home/u.d/robot", "robot", ""},
        {u"robot.kxd", "robot.kxd", "kxd"},
        {u"/home/u/", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(CString(c.path).ToUtf8());
        EXPECT_EQ(GetFileTitleOfPath(c.path).ToUtf8(), c.title);
        EXPECT_EQ(GetFileExtensionOfPath(c.path).ToUtf8(), c.extension);
    }
}

TEST(PathPieces, ProgramFolderAndValueNames)
{
    const CString folder = GetModuleDirectory();
    EXPECT_FALSE(folder.IsEmpty());
    EXPECT_NE(folder.str().back(), u'/');
    EXPECT_EQ(folder + u"/", platform::GetProgramFolder());
    EXPECT_EQ(MakeAppValueName(u"StartOriginButton"), platform::StemOf(platform::GetProgramPath()) + u"\\StartOriginButton");
}

TEST(IsValidFileName, RejectsSeparatorsAndWildcards)
{
    for (const char16_t* name : {u"ab", u"", u"robot 1", u"\x30ed\x30dc"}) {
        SCOPED_TRACE(CString(name).ToUtf8());
        EXPECT_TRUE(IsValidFileName(name));
    }
    for (const char16_t* name : {u"a.b", u"a\\b", u"a/b", u"a:b", u"a,b", u"a;b", u"a*", u"a?", u"\"a\"", u"<a>",
                                 u"a|b"}) {
        SCOPED_TRACE(CString(name).ToUtf8());
        EXPECT_FALSE(IsValidFileName(name));
    }
}

// A registry store of its own in a temporary folder, the default again after.
class RegistryScope {
public:
    RegistryScope()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "qv-dontshow-XXXXXX").string();
        m_dir = ::mkdtemp(pattern.data());
        platform::SetRegistryStorePath(CString::FromUtf8((m_dir / "registry.ini").string()));
    }
    ~RegistryScope()
    {
        platform::SetRegistryStorePath(CString());
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }
    RegistryScope(const RegistryScope&) = delete;
    RegistryScope& operator=(const RegistryScope&) = delete;

private:
    std::filesystem::path m_dir;
};

void SetRawValue(const CString& name, DWORD type, const char16_t* text)
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kDontShowAgainKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const CString value(text);
    RegSetValueExW(key, MakeAppValueName(name).GetString(), 0, type, reinterpret_cast<const BYTE*>(value.GetString()),
                   static_cast<DWORD>((value.GetLength() + 1) * sizeof(char16_t)));
    RegCloseKey(key);
}

TEST(DontShowAgain, RemembersForgetsAndReadsOnlyNo)
{
    RegistryScope scope;
    EXPECT_EQ(QueryDontShowAgain(u"StartTraceButton"), 0);
    EXPECT_EQ(DeleteDontShowAgain(u"StartTraceButton"), 0);  // no key yet

    EXPECT_EQ(SetDontShowAgain(u"StartTraceButton"), 1);
    EXPECT_EQ(QueryDontShowAgain(u"StartTraceButton"), 1);
    EXPECT_EQ(QueryDontShowAgain(u"StartOriginButton"), 0);

    EXPECT_EQ(DeleteDontShowAgain(u"StartTraceButton"), 1);
    EXPECT_EQ(QueryDontShowAgain(u"StartTraceButton"), 0);

    struct Case {
        const char* name;
        DWORD type;
        const char16_t* value;
        int remembered;
    } cases[] = {
        {"upper case", REG_SZ, u"NO", 1},
        {"other text", REG_SZ, u"yes", 0},
        {"longer than a remembered answer", REG_SZ,
         u"nononononononononononononononononononononononononononononononononononononononononononononononononononononononononononononononono",
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetRawValue(u"Row", c.type, c.value);
        EXPECT_EQ(QueryDontShowAgain(u"Row"), c.remembered);
    }
}

TEST(DontShowAgain, RememberedMessagesAreNotShown)
{
    RegistryScope scope;
    ScriptedMessageBox boxes;
    boxes.Answer(IDCANCEL, u"\nStart the trace?\n");
    EXPECT_EQ(MessageBoxWithCheck(HWND(), u"Start the trace?", u"Trace", MB_OKCANCEL | MB_ICONINFORMATION, IDOK,
                                  u"StartTraceButton"),
              IDCANCEL);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].caption.ToUtf8(), "Trace");
    EXPECT_EQ(boxes.Shown()[0].type, MB_OKCANCEL | MB_ICONINFORMATION);

    ASSERT_EQ(SetDontShowAgain(u"StartTraceButton"), 1);
    EXPECT_EQ(MessageBoxWithCheck(HWND(), u"Start the trace?", u"Trace", MB_OKCANCEL, IDOK, u"StartTraceButton"),
              IDOK);
    EXPECT_EQ(MessageBoxDontShowAgain(u"StartTraceButton", HWND(), 524, MB_OKCANCEL, IDOK), IDOK);
    EXPECT_EQ(boxes.Shown().size(), 1u);
}

TEST(InitOptionSettings, SetsTheDefaultsAndKeepsTheRest)
{
    OptionSettings record;
    record.fill(0xFF);
    InitOptionSettings(record);
    OptionSettings expected;
    expected.fill(0);
    expected[1] = 1;
    expected[4] = 0xFE;
    expected[5] = expected[6] = expected[7] = 0xFF;
    EXPECT_EQ(record, expected);

    record.fill(0);
    InitOptionSettings(record);
    EXPECT_EQ(record[4], 0x06);
}

TEST(UseIniProfile, NamesAnIniFileBesideTheProgram)
{
    platform::ProfileStore store{u"Software\\Velbrook\\Quorvane", CString()};
    UseIniProfile(store);
    EXPECT_TRUE(store.registryKey.IsEmpty());
    EXPECT_EQ(store.iniFile, platform::GetProgramFolder() + platform::StemOf(platform::GetProgramPath()) + u".ini");
}

TEST(ProbeComPort, ListsThePortsThatOpen)
{
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const std::string slave = ::ptsname(master);
    {
        // Numbers 1 to 3 on no device but the middle one.
        platform::ScopedComPortDevice none1(1, "");
        platform::ScopedComPortDevice pty(2, slave);
        platform::ScopedComPortDevice none3(3, "");
        std::vector<int> ports{99};
        EXPECT_TRUE(ProbeComPort(3, ports));
        EXPECT_EQ(ports, std::vector<int>{2});
        EXPECT_FALSE(ProbeComPort(1, ports));
        EXPECT_TRUE(ports.empty());
    }
    ::close(master);
}

}  // namespace
