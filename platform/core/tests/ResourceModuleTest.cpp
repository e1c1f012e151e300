#include "platform/core/ResourceModule.h"

#include "platform/core/CodePage.h"
#include "platform/core/File.h"
#include "platform/core/Module.h"
#include "platform/core/Paths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>

namespace {

namespace fs = std::filesystem;

// Sets or clears an environment variable for a scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name)
    {
        if (const char* old = std::getenv(name)) m_old = old;
        if (value) {
            ::setenv(name, value, 1);
        } else {
            ::unsetenv(name);
        }
    }
    ~ScopedEnv()
    {
        if (m_old) {
            ::setenv(m_name.c_str(), m_old->c_str(), 1);
        } else {
            ::unsetenv(m_name.c_str());
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

class TempFolder {
public:
    TempFolder()
    {
        std::string tmpl = (fs::temp_directory_path() / "qv-res-XXXXXX").string();
        if (::mkdtemp(tmpl.data())) m_path = tmpl;
    }
    ~TempFolder()
    {
        std::error_code ec;
        if (!m_path.empty()) fs::remove_all(m_path, ec);
    }
    const fs::path& path() const { return m_path; }

private:
    fs::path m_path;
};

// A clean language environment: no locale variables, no override, and a
// settings folder of its own.
class ResourceTest : public ::testing::Test {
protected:
    TempFolder settings;
    ScopedEnv xdg {"XDG_CONFIG_HOME", settings.path().c_str()};
    ScopedEnv qvLang {"QV_LANG", nullptr};
    ScopedEnv lcAll {"LC_ALL", nullptr};
    ScopedEnv lcMessages {"LC_MESSAGES", nullptr};
    ScopedEnv lang {"LANG", nullptr};

    void WriteSettings(const std::string& text)
    {
        const fs::path folder = settings.path() / "Velbrook" / "Quorvane";
        fs::create_directories(folder);
        std::ofstream(folder / "Platform.ini", std::ios::binary) << text;
    }
};

class Loaded {
public:
    explicit Loaded(const char16_t* name) : m_module(LoadLibraryW(name)) {}
    ~Loaded()
    {
        if (m_module) FreeLibrary(m_module);
    }
    HMODULE get() const { return m_module; }

private:
    HMODULE m_module;
};

std::string ReadSourceFile(const char* name)
{
    std::ifstream in(fs::path(QV_TEST_DATA_DIR) / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

CString LoadedString(UINT id)
{
    CString s;
    s.LoadString(id);
    return s;
}

std::string Bytes(HMODULE module, LPCWSTR name, LPCWSTR type)
{
    const HRSRC found = FindResourceW(module, name, type);
    if (!found) return "<missing>";
    const HGLOBAL data = LoadResource(module, found);
    const void* p = LockResource(data);
    if (!p) return "<unlocked>";
    return std::string(static_cast<const char*>(p), SizeofResource(module, found));
}

TEST_F(ResourceTest, JapaneseStringsAndCustomDataReadThroughTheCurrentModule)
{
    ScopedEnv japanese("QV_LANG", "ja");
    Loaded module(u"qvtest.dll");
    ASSERT_TRUE(module.get()) << platform::GetLastModuleError().ToUtf8();
    EXPECT_EQ(GetProcAddress(module.get(), "anything"), nullptr) << "a resource-only module has no code";

    platform::ScopedResourceHandle current(module.get());
    EXPECT_EQ(LoadedString(110), CString(u"JPN"));
    EXPECT_EQ(LoadedString(111), CString(u"こんにちは、軸の世界"));
    EXPECT_EQ(LoadedString(113), CString(u"\"引用\" \\ A"));
    CString formatted;
    formatted.Format(112u, 3, u"原点");
    EXPECT_EQ(formatted, CString(u"軸 3: 原点\n"));

    CString missing(u"old");
    EXPECT_FALSE(missing.LoadString(4242));
    EXPECT_TRUE(missing.IsEmpty());

    // Cut to the buffer, terminated; size 0 hands out the stored text.
    char16_t buffer[4];
    EXPECT_EQ(LoadStringW(module.get(), 111, buffer, 4), 3);
    EXPECT_EQ(CString(buffer), CString(u"こんに"));
    const char16_t* whole = nullptr;
    EXPECT_EQ(LoadStringW(module.get(), 111, reinterpret_cast<LPWSTR>(&whole), 0), 10);
    ASSERT_NE(whole, nullptr);
    EXPECT_EQ(CString(whole), CString(u"こんにちは、軸の世界"));

    // The parameter text was turned into CP932 with CR LF line ends; the CSV
    // table is kept byte for byte; the alarm block is laid out as written.
    const std::string params = platform::FromWide(u"K|1|0|速度|mm/s|\r\nK|2|0|加速度|G|\r\n", CP_SHIFT_JIS);
    EXPECT_EQ(Bytes(module.get(), MAKEINTRESOURCE(191), u"TEXT"), params);
    EXPECT_EQ(Bytes(module.get(), MAKEINTRESOURCE(10020), u"csv"), ReadSourceFile("targets.csv"));
    EXPECT_EQ(Bytes(module.get(), u"#10020", u"CSV"), ReadSourceFile("targets.csv"));
    const std::string alarms = std::string("\x07\x00", 2) + platform::FromWide(u"過負荷", CP_SHIFT_JIS) + "\x78\x56\x34\x12" + "\xC9\x03";
    EXPECT_EQ(Bytes(module.get(), MAKEINTRESOURCE(189), u"ALM"), alarms);
    EXPECT_EQ(Bytes(module.get(), MAKEINTRESOURCE(190), u"ALM"), "<missing>");
    EXPECT_EQ(Bytes(module.get(), MAKEINTRESOURCE(191), u"CSV"), "<missing>");

    const std::optional<std::string_view> current191 = platform::FindResourceBytes(u"TEXT", 191);
    ASSERT_TRUE(current191.has_value());
    EXPECT_EQ(*current191, params);
}

TEST_F(ResourceTest, CurrentModuleCanBeSwappedAndAStaleOneFindsNothing)
{
    // The program's own resources ("<program>.<lang>.qres") are the default.
    EXPECT_EQ(AfxGetResourceHandle(), GetModuleHandleW(nullptr));
    EXPECT_EQ(LoadedString(110), CString(u"ENG"));
    EXPECT_FALSE(CString().LoadString(111));

    HMODULE japanese;
    HMODULE english;
    {
        ScopedEnv lang("QV_LANG", "ja");
        japanese = LoadLibraryW(u"qvtest.dll");
    }
    {
        ScopedEnv lang("QV_LANG", "en");
        english = LoadLibraryW(u"qvtest.dll");
    }
    ASSERT_TRUE(japanese);
    ASSERT_TRUE(english);
    EXPECT_NE(japanese, english);
    char16_t path[MAX_PATH];
    ASSERT_GT(GetModuleFileNameW(english, path, MAX_PATH), 0u);
    EXPECT_EQ(platform::FileNameOf(CString(path)), CString(u"qvtest.en.qres"));

    {
        platform::ScopedResourceHandle outer(japanese);
        EXPECT_EQ(LoadedString(110), CString(u"JPN"));
        {
            platform::ScopedResourceHandle inner(english);
            EXPECT_EQ(LoadedString(110), CString(u"ENG"));
            EXPECT_EQ(LoadedString(111), CString(u"Hello, world of axes"));
        }
        EXPECT_EQ(LoadedString(110), CString(u"JPN"));
    }
    EXPECT_EQ(AfxGetResourceHandle(), GetModuleHandleW(nullptr));

    // A found resource and the current module both die with their module.
    const HRSRC found = FindResourceW(english, MAKEINTRESOURCE(10020), u"CSV");
    ASSERT_TRUE(found);
    platform::ScopedResourceHandle current(english);
    EXPECT_TRUE(FreeLibrary(english));
    EXPECT_FALSE(CString().LoadString(110));
    EXPECT_EQ(LockResource(LoadResource(english, found)), nullptr);
    EXPECT_EQ(SizeofResource(english, found), 0u);
    EXPECT_FALSE(platform::FindResourceBytes(u"CSV", 10020).has_value());
    EXPECT_TRUE(FreeLibrary(japanese));
}

TEST_F(ResourceTest, DamagedModuleFileIsNotLoaded)
{
    EXPECT_FALSE(LoadLibraryW(u"qvtest-damaged.dll"));
    const CString error = platform::GetLastModuleError();
    EXPECT_NE(error.Find(u"qvtest-damaged.en.qres"), -1) << error.ToUtf8();
}

TEST_F(ResourceTest, DataFileLoadsReadResourcesOnly)
{
    const HMODULE module = LoadLibraryExW(u"qvtest.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(module);
    EXPECT_EQ(LoadedString(110), CString(u"ENG")) << "the current module stays the program's";
    char16_t text[8];
    EXPECT_EQ(LoadStringW(module, 110, text, 8), 3);
    EXPECT_EQ(CString(text), CString(u"ENG"));
    EXPECT_TRUE(FreeLibrary(module));
    // A library without a resource file has nothing to read, and its code is not loaded.
    EXPECT_FALSE(LoadLibraryExW(u"qvtest-library.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE));
}

TEST_F(ResourceTest, LanguageFollowsOverrideThenSettingsThenLocale)
{
    struct Case {
        const char* row;
        const char* qvLang;
        const char* settings;  // null: no settings file
        const char* lcAll;
        const char* lcMessages;
        const char* lang;
        const char16_t* expected;
    };
    const Case cases[] = {
        {"nothing set", nullptr, nullptr, nullptr, nullptr, nullptr, u"en"},
        {"Japanese LANG", nullptr, nullptr, nullptr, nullptr, "ja_JP.UTF-8", u"ja"},
        {"LC_ALL comes first", nullptr, nullptr, "C", nullptr, "ja_JP.UTF-8", u"en"},
        {"LC_MESSAGES before LANG", nullptr, nullptr, nullptr, "ja_JP", "en_US.UTF-8", u"ja"},
        {"empty LC_ALL is not set", nullptr, nullptr, "", nullptr, "ja_JP", u"ja"},
        {"other locale is English", nullptr, nullptr, nullptr, nullptr, "de_DE.UTF-8", u"en"},
        {"override to Japanese", "ja", nullptr, nullptr, nullptr, "en_US", u"ja"},
        {"override to English", "en_US", nullptr, "ja_JP", nullptr, nullptr, u"en"},
        {"unknown override ignored", "fr", nullptr, nullptr, nullptr, "ja_JP", u"ja"},
        {"settings over locale", nullptr, "[Resources]\nLanguage=ja\n", nullptr, nullptr, "en_US", u"ja"},
        {"settings English, quoted, any case", nullptr, "[other]\nLanguage=ja\n[RESOURCES]\n language = \"EN\"\n", nullptr, nullptr, "ja_JP", u"en"},
        {"override over settings", "ja", "[Resources]\nLanguage=en\n", nullptr, nullptr, nullptr, u"ja"},
        {"unusable settings fall through", nullptr, "[Resources]\nLanguage=klingon\n", nullptr, nullptr, "ja_JP", u"ja"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        std::error_code ec;
        fs::remove_all(settings.path() / "Velbrook", ec);
        if (c.settings) WriteSettings(c.settings);
        ScopedEnv a("QV_LANG", c.qvLang);
        ScopedEnv b("LC_ALL", c.lcAll);
        ScopedEnv d("LC_MESSAGES", c.lcMessages);
        ScopedEnv e("LANG", c.lang);
        EXPECT_EQ(platform::ChooseResourceLanguage(), CString(c.expected));

        // The chosen language decides which file a load takes.
        Loaded module(u"qvtest.dll");
        ASSERT_TRUE(module.get());
        char16_t text[8];
        LoadStringW(module.get(), 110, text, 8);
        EXPECT_EQ(CString(text), CString(CString(c.expected) == u"ja" ? u"JPN" : u"ENG"));
    }
}

TEST_F(ResourceTest, MissingLanguageFallsBackToTheOther)
{
    ScopedEnv japanese("QV_LANG", "ja");
    EXPECT_EQ(platform::FileNameOf(platform::FindResourceModuleFile(u"qvtest-enonly")), CString(u"qvtest-enonly.en.qres"));
    Loaded module(u"qvtest-enonly.dll");
    ASSERT_TRUE(module.get());
    char16_t text[8];
    EXPECT_EQ(LoadStringW(module.get(), 110, text, 8), 3);
    EXPECT_EQ(CString(text), CString(u"ENG"));
    EXPECT_TRUE(platform::FindResourceModuleFile(u"qvtest-nothing").IsEmpty());
    EXPECT_TRUE(platform::FindResourceModuleFile(u"../bin/qvtest").IsEmpty());
}

// A small valid module: two strings, a custom blob, a named resource.
std::string SampleModule()
{
    platform::ResourceModuleWriter writer(kLangJapanese);
    EXPECT_TRUE(writer.AddString(110, u"JPN"));
    EXPECT_TRUE(writer.AddString(111, u"日本語"));
    EXPECT_TRUE(writer.Add(u"TEXT", 191, "a|b\r\n"));
    EXPECT_TRUE(writer.Add(u"Csv", u"targets", "1,x\n"));
    EXPECT_TRUE(writer.Add(u"EMPTY", 1, ""));
    return writer.Build();
}

void Put32(std::string& b, std::size_t at, std::uint32_t v) { std::memcpy(b.data() + at, &v, 4); }
std::uint32_t Get32(const std::string& b, std::size_t at)
{
    std::uint32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}

void FixChecksum(std::string& b)
{
    Put32(b, 40, 0);
    Put32(b, 40, platform::Crc32(b));
}

TEST(ResourceModuleFormat, WriterAndReaderAgree)
{
    CString error;
    const auto module = platform::ResourceModule::FromBytes(SampleModule(), error);
    ASSERT_TRUE(module) << error.ToUtf8();
    EXPECT_EQ(module->Language(), kLangJapanese);
    EXPECT_EQ(module->String(111).value_or(u"?"), std::u16string_view(u"日本語"));
    EXPECT_FALSE(module->String(112).has_value());
    EXPECT_EQ(module->Find("text", 191).value_or("?"), "a|b\r\n");
    EXPECT_EQ(module->Find("CSV", "Targets").value_or("?"), "1,x\n");
    EXPECT_EQ(module->Find("EMPTY", 1).value_or("?"), "");
    EXPECT_FALSE(module->Find("TEXT", 192).has_value());
    EXPECT_FALSE(module->Find("TEXT", 70000).has_value()) << "no id above 16 bits";
    EXPECT_FALSE(module->Find(u"", 191).has_value());
    const std::vector<platform::ResourceKey> strings = module->Names(kRtString);
    ASSERT_EQ(strings.size(), 2u);
    EXPECT_EQ(strings[0].Number(), 110);

    platform::ResourceModuleWriter writer(kLangEnglish);
    EXPECT_TRUE(writer.Add(u"TEXT", 1, "x"));
    EXPECT_FALSE(writer.Add(u"text", 1, "y")) << "types compare without case";
    EXPECT_FALSE(writer.Add(u"TEXT", -1, "y"));
    EXPECT_FALSE(writer.AddString(0x10000, u"too big"));
}

TEST(ResourceModuleFormat, DamagedFilesAreRefused)
{
    const std::string good = SampleModule();
    const std::size_t count = Get32(good, 12);
    const std::size_t pool = Get32(good, 20);
    struct Case {
        const char* row;
        std::function<void(std::string&)> damage;
    };
    const Case cases[] = {
        {"empty", [](std::string& b) { b.clear(); }},
        {"header cut", [](std::string& b) { b.resize(47); }},
        {"header only", [](std::string& b) { b.resize(48); }},
        {"cut in the middle", [](std::string& b) { b.resize(b.size() / 2); }},
        {"last byte missing", [](std::string& b) { b.pop_back(); }},
        {"byte appended", [](std::string& b) { b.push_back('\0'); }},
        {"other magic", [](std::string& b) { b[0] = 'X'; }},
        {"data byte flipped", [](std::string& b) { b[b.size() - 3] ^= 0x40; }},
        {"newer format", [](std::string& b) { b[8] = 2; FixChecksum(b); }},
        {"huge entry count", [](std::string& b) { Put32(b, 12, 0x0FFFFFFF); FixChecksum(b); }},
        {"entry beyond the data", [](std::string& b) { Put32(b, 48 + 12, 0x7FFFFFFF); FixChecksum(b); }},
        {"offset not aligned", [](std::string& b) { Put32(b, 48 + 8, 2); FixChecksum(b); }},
        {"name outside the pool", [&pool](std::string& b) { Put32(b, 48 + 16 * 4, 0x80000000u | 0xFFF0); FixChecksum(b); (void)pool; }},
        {"name length beyond the pool", [&pool](std::string& b) { b[pool] = '\xFF'; b[pool + 1] = '\x7F'; FixChecksum(b); }},
        {"type number above 16 bits", [](std::string& b) { Put32(b, 48, 0x10006); FixChecksum(b); }},
        {"index out of order", [](std::string& b) {
             std::string first = b.substr(48, 16);
             b.replace(48, 16, b.substr(64, 16));
             b.replace(64, 16, first);
             FixChecksum(b);
         }},
        {"string without terminator", [&count](std::string& b) {
             // The strings are the two entries of the lowest type, 6: the first of them.
             for (std::size_t i = 0; i < count; ++i) {
                 if (Get32(b, 48 + 16 * i) == 6) {
                     const std::size_t at = Get32(b, 28) + Get32(b, 48 + 16 * i + 8) + Get32(b, 48 + 16 * i + 12) - 2;
                     b[at] = 'x';
                     break;
                 }
             }
             FixChecksum(b);
         }},
        {"odd string length", [&count](std::string& b) {
             for (std::size_t i = 0; i < count; ++i) {
                 if (Get32(b, 48 + 16 * i) == 6) {
                     Put32(b, 48 + 16 * i + 12, Get32(b, 48 + 16 * i + 12) - 1);
                     break;
                 }
             }
             FixChecksum(b);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        std::string bytes = good;
        c.damage(bytes);
        CString error;
        EXPECT_FALSE(platform::ResourceModule::FromBytes(bytes, error));
        EXPECT_FALSE(error.IsEmpty());
    }

    // Every cut and a seeded sweep of damage behind a valid checksum: a clean
    // answer each time, never a read outside the file.
    for (std::size_t n = 0; n < good.size(); ++n) {
        CString error;
        EXPECT_FALSE(platform::ResourceModule::FromBytes(good.substr(0, n), error)) << n;
    }
    std::mt19937 random(20240611);
    for (int round = 0; round < 3000; ++round) {
        std::string bytes = good;
        const int flips = 1 + static_cast<int>(random() % 4);
        for (int k = 0; k < flips; ++k) bytes[8 + random() % (bytes.size() - 8)] = static_cast<char>(random());
        FixChecksum(bytes);
        CString error;
        const auto module = platform::ResourceModule::FromBytes(bytes, error);
        if (module) {
            for (const auto& entry : module->Entries()) EXPECT_LE(entry.bytes.size(), bytes.size());
        } else {
            EXPECT_FALSE(error.IsEmpty());
        }
    }
}

TEST(ResourceModuleFormat, UnreadableFilesAreRefused)
{
    TempFolder folder;
    CString error;
    EXPECT_FALSE(platform::ResourceModule::FromFile(CString::FromUtf8(folder.path().string()), error));
    EXPECT_FALSE(error.IsEmpty());
    error.Empty();
    EXPECT_FALSE(platform::ResourceModule::FromFile(CString::FromUtf8((folder.path() / "none.qres").string()), error));
    EXPECT_FALSE(error.IsEmpty());

    const fs::path file = folder.path() / "cut.qres";
    const std::string good = SampleModule();
    std::ofstream(file, std::ios::binary) << good.substr(0, good.size() - 1);
    error.Empty();
    EXPECT_FALSE(platform::ResourceModule::FromFile(CString::FromUtf8(file.string()), error));
    EXPECT_NE(error.Find(u"cut.qres"), -1) << "the error names the file";
}

}  // namespace
