#include "platform/core/CodePage.h"
#include "platform/core/Profile.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <utility>
#include <vector>

namespace {

class TempDir {
public:
    TempDir()
    {
        std::string tmpl = (std::filesystem::temp_directory_path() / "qv-profile-XXXXXX").string();
        m_path = ::mkdtemp(tmpl.data());
    }
    ~TempDir() { std::filesystem::remove_all(m_path); }
    CString File(const char* name) const { return CString::FromUtf8((m_path / name).string()); }
    std::filesystem::path Native(const char* name) const { return m_path / name; }
    std::size_t Count() const { return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(m_path), {})); }

private:
    std::filesystem::path m_path;
};

std::string Slurp(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void Put(const std::filesystem::path& p, const std::string& bytes)
{
    std::ofstream(p, std::ios::binary) << bytes;
}

class CodePageScope {
public:
    explicit CodePageScope(UINT cp) : m_saved(platform::GetAnsiCodePage()) { platform::SetAnsiCodePage(cp); }
    ~CodePageScope() { platform::SetAnsiCodePage(m_saved); }

private:
    UINT m_saved;
};

std::string Utf8(const char16_t* s) { return CString(s).ToUtf8(); }

// The double-NUL list as separate names.
std::vector<std::u16string> SplitList(const char16_t* buf)
{
    std::vector<std::u16string> names;
    for (const char16_t* p = buf; *p; p += names.back().size() + 1) names.emplace_back(p);
    return names;
}

const char kSample[] =
    "; link settings\r\n"
    "[General]\r\n"
    "  DefaultPort = 2 \r\n"
    "Name=\"  quoted  \"\r\n"
    "Single='x'\r\n"
    "Mixed=\"abc'\r\n"
    "Empty=\r\n"
    "Tabbed\t=\tvalue with  inner  blanks\t\r\n"
    "\r\n"
    "[general]\r\n"
    "DefaultPort=9\r\n"
    "Extra=only in the second copy\r\n"
    "  [ Serial ]  trailing text\r\n"
    "BaudRate=38400\n"
    "BAUDRATE=115200\r\n"
    ";Comment=hidden\r\n"
    "NoEquals line\r\n"
    "=no key\r\n"
    "Last=end";

TEST(ProfileRead, NamesValuesAndDefaults)
{
    TempDir dir;
    Put(dir.Native("s.ini"), kSample);
    const CString file = dir.File("s.ini");
    struct Row {
        const char* what;
        const char16_t* section;
        const char16_t* key;
        const char16_t* def;
        const char16_t* expected;
    };
    const Row rows[] = {
        {"exact names, blanks around the value dropped", u"General", u"DefaultPort", u"d", u"2"},
        {"names ignore case", u"GENERAL", u"defaultport", u"d", u"2"},
        {"names given with blanks", u" General ", u" DefaultPort ", u"d", u"2"},
        {"blanks inside quotes kept", u"General", u"Name", u"d", u"  quoted  "},
        {"single quotes stripped", u"General", u"Single", u"d", u"x"},
        {"unmatched quotes kept", u"General", u"Mixed", u"d", u"\"abc'"},
        {"empty value is not the default", u"General", u"Empty", u"d", u""},
        {"tabs are blanks, inner blanks kept", u"General", u"Tabbed", u"d", u"value with  inner  blanks"},
        {"second copy of a section is not read", u"General", u"Extra", u"d", u"d"},
        {"bracketed name trimmed, text after ] ignored", u"serial", u"baudrate", u"d", u"38400"},
        {"comment lines are not keys", u"Serial", u";Comment", u"d", u"d"},
        {"lines without = are not keys", u"Serial", u"NoEquals line", u"d", u"d"},
        {"last line without a line end", u"Serial", u"Last", u"d", u"end"},
        {"missing key gives the default", u"Serial", u"Parity", u"odd", u"odd"},
        {"missing section gives the default", u"TCPIP", u"PortNumber", u"23", u"23"},
        {"trailing blanks of the default dropped", u"TCPIP", u"x", u"  def  ", u"  def"},
        {"null default is empty", u"TCPIP", u"x", nullptr, u""},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        char16_t buf[260] = {u'#'};
        const DWORD n = GetPrivateProfileStringW(r.section, r.key, r.def, buf, 260, file);
        EXPECT_EQ(Utf8(buf), Utf8(r.expected));
        EXPECT_EQ(n, WideLength(r.expected));
        EXPECT_EQ(Utf8(platform::ReadPrivateProfileString(r.section, r.key, r.def, file)), Utf8(r.expected));
    }

    char16_t buf[16];
    EXPECT_EQ(GetPrivateProfileStringW(u"General", u"DefaultPort", u"9", buf, 16, dir.File("missing.ini")), 1u);
    EXPECT_EQ(Utf8(buf), "9");
}

TEST(ProfileRead, IntegersAreLenient)
{
    TempDir dir;
    Put(dir.Native("i.ini"),
        "[N]\r\nplain=42\r\nlead=  -7mm\r\nplus=+15\r\nword=abc\r\nempty=\r\nhuge=99999999999\r\n"
        "hex=0x1F\r\nquoted=\"12\"\r\n");
    const CString file = dir.File("i.ini");
    struct Row {
        const char16_t* key;
        int expected;
    };
    const Row rows[] = {
        {u"plain", 42}, {u"lead", -7},        {u"plus", 15}, {u"word", 0},    {u"empty", 55},
        {u"huge", INT32_MAX}, {u"hex", 0}, {u"quoted", 12}, {u"missing", 55},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(CString(r.key).ToUtf8());
        EXPECT_EQ(static_cast<int>(GetPrivateProfileIntW(u"n", r.key, 55, file)), r.expected);
    }
}

TEST(ProfileRead, SectionAndKeyListsAndTruncation)
{
    TempDir dir;
    Put(dir.Native("s.ini"), kSample);
    const CString file = dir.File("s.ini");

    char16_t buf[260];
    DWORD n = GetPrivateProfileSectionNamesW(buf, 260, file);
    EXPECT_EQ(SplitList(buf), (std::vector<std::u16string>{u"General", u"Serial"}));
    EXPECT_EQ(n, 15u);  // "General\0Serial\0", without the closing NUL
    EXPECT_EQ(GetPrivateProfileStringW(nullptr, u"ignored", u"d", buf, 260, file), 15u);

    n = GetPrivateProfileStringW(u"serial", nullptr, u"d", buf, 260, file);
    EXPECT_EQ(SplitList(buf), (std::vector<std::u16string>{u"BaudRate", u"Last"}));
    EXPECT_EQ(n, 14u);
    EXPECT_EQ(platform::PrivateProfileKeys(u"General", file),
              (std::vector<CString>{u"DefaultPort", u"Name", u"Single", u"Mixed", u"Empty", u"Tabbed"}));

    n = GetPrivateProfileStringW(u"Nowhere", nullptr, u"d", buf, 260, file);
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(buf[0], 0);
    EXPECT_EQ(buf[1], 0);

    // A list that does not fit is cut and closed with two NULs.
    char16_t small[6];
    n = GetPrivateProfileSectionNamesW(small, 6, file);
    EXPECT_EQ(n, 4u);
    EXPECT_EQ(std::u16string(small, 6), std::u16string(u"Gene\0\0", 6));

    // A value that does not fit is cut and closed with one NUL.
    char16_t four[4];
    EXPECT_EQ(GetPrivateProfileStringW(u"Serial", u"BaudRate", u"", four, 4, file), 3u);
    EXPECT_EQ(Utf8(four), "384");
    char16_t untouched[2] = {u'#', u'#'};
    EXPECT_EQ(GetPrivateProfileStringW(u"Serial", u"BaudRate", u"", untouched, 0, file), 0u);
    EXPECT_EQ(untouched[0], u'#');
}

TEST(ProfileRead, EntriesOfASectionInOneRead)
{
    TempDir dir;
    Put(dir.Native("e.ini"),
        "[Ports]\r\nCOM3=/dev/pts/5\r\ncom3=/dev/pts/9\r\n  COM4 = \"/dev/ttyUSB1\" \r\n; note\r\nCOM7=\r\n"
        "[Other]\r\nCOM1=/x\r\n[ports]\r\nCOM9=/later\r\n");
    const CString file = dir.File("e.ini");
    using Entries = std::vector<std::pair<CString, CString>>;
    // Each key once, with the value a read of that key gives: the first
    // spelling, the first section of the name.
    const Entries entries = platform::PrivateProfileEntries(u"PORTS", file);
    EXPECT_EQ(entries, (Entries{{u"COM3", u"/dev/pts/5"}, {u"COM4", u"/dev/ttyUSB1"}, {u"COM7", u""}}));
    for (const auto& [key, value] : entries) {
        SCOPED_TRACE(key.ToUtf8());
        EXPECT_EQ(platform::ReadPrivateProfileString(u"Ports", key, u"default", file), value);
    }
    EXPECT_EQ(platform::PrivateProfileKeys(u"Ports", file), (std::vector<CString>{u"COM3", u"COM4", u"COM7"}));
    EXPECT_EQ(platform::PrivateProfileSectionNames(file), (std::vector<CString>{u"Ports", u"Other"}));
    EXPECT_TRUE(platform::PrivateProfileEntries(u"Nowhere", file).empty());
    EXPECT_TRUE(platform::PrivateProfileEntries(nullptr, file).empty());
    EXPECT_TRUE(platform::PrivateProfileEntries(u"Ports", dir.File("missing.ini")).empty());
}

TEST(ProfileRead, ManyNamesAreListedOnceEach)
{
    // Forty thousand names, every one written twice in other letter case.
    TempDir dir;
    std::string bytes;
    std::string keys = "[Keys]\r\n";
    for (int i = 0; i < 40000; ++i) {
        bytes += "[Section" + std::to_string(i) + "]\r\n[SECTION" + std::to_string(i) + "]\r\n";
        keys += "Key" + std::to_string(i) + "=" + std::to_string(i) + "\r\nKEY" + std::to_string(i) + "=x\r\n";
    }
    Put(dir.Native("many.ini"), bytes + keys);
    const std::vector<CString> sections = platform::PrivateProfileSectionNames(dir.File("many.ini"));
    ASSERT_EQ(sections.size(), 40001u);
    EXPECT_EQ(sections[39999], CString(u"Section39999"));
    const auto entries = platform::PrivateProfileEntries(u"keys", dir.File("many.ini"));
    ASSERT_EQ(entries.size(), 40000u);
    EXPECT_EQ(entries[12345].first, CString(u"Key12345"));
    EXPECT_EQ(entries[12345].second, CString(u"12345"));
}

TEST(ProfileRead, CodePagesAndBom)
{
    TempDir dir;
    {
        CodePageScope sjis(CP_SHIFT_JIS);
        ASSERT_TRUE(WritePrivateProfileStringW(u"軸", u"名前", u"ロボット", dir.File("j.ini")));
        EXPECT_EQ(Slurp(dir.Native("j.ini")), "[\x8E\xB2]\r\n\x96\xBC\x91\x4F=\x83\x8D\x83\x7B\x83\x62\x83\x67\r\n");
        EXPECT_EQ(platform::ReadPrivateProfileString(u"軸", u"名前", u"", dir.File("j.ini")), u"ロボット");
    }
    // A file that starts with a UTF-8 mark is UTF-8 whatever the code page, and stays so.
    CodePageScope western(CP_WESTERN);
    Put(dir.Native("u.ini"), "\xEF\xBB\xBF[A]\r\nk=\xC3\xA9t\xC3\xA9\r\n");
    EXPECT_EQ(platform::ReadPrivateProfileString(u"A", u"k", u"", dir.File("u.ini")), u"été");
    ASSERT_TRUE(WritePrivateProfileStringW(u"A", u"j", u"ü", dir.File("u.ini")));
    EXPECT_EQ(Slurp(dir.Native("u.ini")), "\xEF\xBB\xBF[A]\r\nk=\xC3\xA9t\xC3\xA9\r\nj=\xC3\xBC\r\n");
}

const char kWriteBase[] =
    "; written by hand\r\n"
    "[Serial]\r\n"
    "BaudRate=38400\r\n"
    "  Parity = odd  ; keep my layout\r\n"
    "\r\n"
    "; about TCP\r\n"
    "[TCPIP]\r\n"
    "PortNumber=23\r\n"
    "[serial]\r\n"
    "BaudRate=9600\r\n"
    "Old=1\r\n";

TEST(ProfileWrite, ChangesOnlyWhatItMust)
{
    struct Row {
        const char* what;
        const char16_t* section;
        const char16_t* key;
        const char16_t* value;
        std::string expected;
    };
    const std::string base = kWriteBase;
    auto replaced = [&](const std::string& from, const std::string& to) {
        std::string s = base;
        s.replace(s.find(from), from.size(), to);
        return s;
    };
    const Row rows[] = {
        {"new key goes after the section's last key", u"SERIAL", u"StopBit", u"1",
         replaced("  Parity = odd  ; keep my layout\r\n",
                  "  Parity = odd  ; keep my layout\r\nStopBit=1\r\n")},
        {"changed key keeps its place and spelling", u"serial", u"baudrate", u"115200",
         replaced("BaudRate=38400", "BaudRate=115200")},
        {"unchanged value keeps its line", u"Serial", u"Parity", u"odd  ; keep my layout", base},
        {"deleted key goes from every copy of the section", u"Serial", u"BaudRate", nullptr,
         "; written by hand\r\n[Serial]\r\n  Parity = odd  ; keep my layout\r\n\r\n; about TCP\r\n"
         "[TCPIP]\r\nPortNumber=23\r\n[serial]\r\nOld=1\r\n"},
        {"deleted section goes with every copy, the next section's comment stays", u"Serial", nullptr, nullptr,
         "; written by hand\r\n\r\n; about TCP\r\n[TCPIP]\r\nPortNumber=23\r\n"},
        {"new section at the end", u"Flow", u"Control", u"none", base + "\r\n[Flow]\r\nControl=none\r\n"},
        {"value that would lose its blanks is quoted", u"TCPIP", u"Host", u" padded ",
         replaced("PortNumber=23\r\n", "PortNumber=23\r\nHost=\" padded \"\r\n")},
        {"value that would lose its quotes is quoted again", u"TCPIP", u"PortNumber", u"'23'",
         replaced("PortNumber=23", "PortNumber=\"'23'\"")},
        {"deleting what is missing changes nothing", u"TCPIP", u"Nothing", nullptr, base},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        TempDir dir;
        Put(dir.Native("w.ini"), base);
        const CString file = dir.File("w.ini");
        EXPECT_TRUE(WritePrivateProfileStringW(r.section, r.key, r.value, file));
        EXPECT_EQ(Slurp(dir.Native("w.ini")), r.expected);
        if (r.key && r.value) {
            EXPECT_EQ(Utf8(platform::ReadPrivateProfileString(r.section, r.key, u"?", file)), Utf8(r.value));
        }
        EXPECT_EQ(dir.Count(), 1u);
    }
}

TEST(ProfileWrite, CreatesFilesButNotFolders)
{
    TempDir dir;
    EXPECT_TRUE(platform::WritePrivateProfileInt(u"General", u"DefaultPort", -3, dir.File("new.ini")));
    EXPECT_EQ(Slurp(dir.Native("new.ini")), "[General]\r\nDefaultPort=-3\r\n");

    EXPECT_FALSE(WritePrivateProfileStringW(u"General", u"DefaultPort", u"1", dir.File("no/such/folder.ini")));
    EXPECT_FALSE(std::filesystem::exists(dir.Native("no")));

    // Backslashes work as separators; LF files come back with CR LF.
    Put(dir.Native("lf.ini"), "[A]\nx=1\n");
    CString backslashed = dir.File("lf.ini");
    backslashed.Replace(u'/', u'\\');
    EXPECT_TRUE(WritePrivateProfileStringW(u"A", u"y", u"2", backslashed));
    EXPECT_EQ(Slurp(dir.Native("lf.ini")), "[A]\r\nx=1\r\ny=2\r\n");

    // Deleting from a file that does not exist leaves no file behind.
    EXPECT_TRUE(WritePrivateProfileStringW(u"A", u"x", nullptr, dir.File("ghost.ini")));
    EXPECT_FALSE(std::filesystem::exists(dir.Native("ghost.ini")));
}

TEST(ProfileWrite, RefusesWhatCouldNotBeReadBack)
{
    struct Row {
        const char* what;
        const char16_t* section;
        const char16_t* key;
        const char16_t* value;
    };
    const Row rows[] = {
        {"line break in a value", u"A", u"k", u"1\r\n[B]\r\nk=2"},
        {"line break in a key", u"A", u"k\nx", u"1"},
        {"= in a key", u"A", u"k=x", u"1"},
        {"key that reads as a comment", u"A", u";k", u"1"},
        {"key that reads as a section", u"A", u"[k", u"1"},
        {"blank key", u"A", u"  ", u"1"},
        {"] in a section", u"A]B", u"k", u"1"},
        {"empty section", u"", u"k", u"1"},
        {"no section", nullptr, u"k", u"1"},
    };
    TempDir dir;
    const std::string before = "[A]\r\nk=0\r\n";
    Put(dir.Native("r.ini"), before);
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        EXPECT_FALSE(WritePrivateProfileStringW(r.section, r.key, r.value, dir.File("r.ini")));
        EXPECT_EQ(Slurp(dir.Native("r.ini")), before);
    }
    {
        // Names and values the file's code page cannot hold.
        CodePageScope western(CP_WESTERN);
        for (const auto& r : {Row{"section", u"\u8a2d\u5b9a", u"k", u"1"}, Row{"key", u"A", u"\u8a2d", u"1"},
                              Row{"value", u"A", u"k", u"\u5b9a"}}) {
            SCOPED_TRACE(r.what);
            EXPECT_FALSE(WritePrivateProfileStringW(r.section, r.key, r.value, dir.File("r.ini")));
            EXPECT_EQ(Slurp(dir.Native("r.ini")), before);
        }
    }
    EXPECT_FALSE(WritePrivateProfileStringW(u"A", u"k", u"1", nullptr));
    EXPECT_FALSE(WritePrivateProfileStringW(u"A", u"k", u"1", dir.File("")));
}

// Makes writes past a size fail the way a full disk does, and restores the limit.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lim = m_saved;
        lim.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &lim);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_saved {};
    void (*m_oldHandler)(int) = nullptr;
};

TEST(ProfileWrite, FailedWriteLeavesOldFileWhole)
{
    TempDir dir;
    std::string before = "[A]\r\n";
    for (int i = 0; i < 40; ++i) before += "key" + std::to_string(i) + "=value\r\n";
    Put(dir.Native("f.ini"), before);
    {
        FileSizeLimit limit(before.size() - 10);
        EXPECT_FALSE(WritePrivateProfileStringW(u"A", u"more", u"data", dir.File("f.ini")));
    }
    EXPECT_EQ(Slurp(dir.Native("f.ini")), before);
    EXPECT_EQ(dir.Count(), 1u);  // no temporary file left

    // What is not a plain file is neither waited on nor replaced.
    ASSERT_EQ(::mkfifo(dir.Native("fifo.ini").c_str(), 0600), 0);
    EXPECT_FALSE(WritePrivateProfileStringW(u"A", u"k", u"1", dir.File("fifo.ini")));
    EXPECT_EQ(platform::ReadPrivateProfileString(u"A", u"k", u"none", dir.File("fifo.ini")), u"none");
    EXPECT_TRUE(std::filesystem::is_fifo(dir.Native("fifo.ini")));
}

TEST(ProfileWrite, ConcurrentWritersLoseNothing)
{
    TempDir dir;
    const CString file = dir.File("c.ini");
    constexpr int kThreads = 4;
    constexpr int kKeys = 20;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int k = 0; k < kKeys; ++k) {
                CString key;
                key.Format(u"T%dK%d", t, k);
                platform::WritePrivateProfileInt(t % 2 ? u"Odd" : u"Even", key, t * 100 + k, file);
            }
        });
    }
    for (auto& th : threads) th.join();
    for (int t = 0; t < kThreads; ++t) {
        for (int k = 0; k < kKeys; ++k) {
            CString key;
            key.Format(u"T%dK%d", t, k);
            SCOPED_TRACE(key.ToUtf8());
            EXPECT_EQ(platform::ReadPrivateProfileInt(t % 2 ? u"Odd" : u"Even", key, -1, file), t * 100 + k);
        }
    }
}

}  // namespace
