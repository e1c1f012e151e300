#include "platform/rescomp/Compiler.h"

#include "platform/core/CodePage.h"
#include "platform/core/File.h"
#include "platform/core/Paths.h"
#include "platform/core/ResourceModule.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <fcntl.h>
#include <map>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;

class TempFolder {
public:
    TempFolder()
    {
        std::string tmpl = (fs::temp_directory_path() / "qv-rescomp-XXXXXX").string();
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

void Write(const fs::path& file, const std::string& bytes)
{
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
}

using Files = std::map<std::string, std::string>;

// Compiles main.rc of a folder of files.
rescomp::CompileResult CompileFiles(const TempFolder& folder, const Files& files, const std::string& lang = "ja")
{
    for (const auto& [name, bytes] : files) Write(folder.path() / name, bytes);
    rescomp::CompileOptions options;
    options.script = (folder.path() / "main.rc").string();
    options.language = lang;
    options.includeDirs.push_back((folder.path() / "inc").string());
    options.defines.emplace_back("FROM_COMMAND_LINE", "7");
    return rescomp::Compile(options);
}

std::shared_ptr<const platform::ResourceModule> Load(const rescomp::CompileResult& result)
{
    CString error;
    auto module = platform::ResourceModule::FromBytes(result.module, error);
    EXPECT_TRUE(module) << error.ToUtf8();
    return module;
}

std::u16string Str(const std::shared_ptr<const platform::ResourceModule>& m, UINT id)
{
    return std::u16string(m->String(id).value_or(u"<missing>"));
}

std::string Data(const std::shared_ptr<const platform::ResourceModule>& m, const platform::ResourceKey& type,
                 const platform::ResourceKey& name)
{
    return std::string(m->Find(type, name).value_or("<missing>"));
}

TEST(RescompTest, CompilesTheScriptSubset)
{
    struct Case {
        const char* row;
        Files files;
        std::string lang;
        std::function<void(const std::shared_ptr<const platform::ResourceModule>&)> check;
    };
    const Case cases[] = {
        {"string table with header, guards and comments",
         {{"main.rc", "// ids come from the header\n"
                      "#include \"ids.h\"\n"
                      "#include \"ids.h\" /* twice: the guard keeps it quiet */\n"
                      "LANGUAGE LANG_JAPANESE, SUBLANG_DEFAULT\n"
                      "STRINGTABLE DISCARDABLE\n"
                      "BEGIN\n"
                      "  IDS_A \"一\"   // a comment after a string\n"
                      "  /* a comment\n"
                      "     over lines */ IDS_B, \"http://x/*y*/\"\n"
                      "  IDS_BASE + 3 \"joined \" \"text\"\n"
                      "  FROM_COMMAND_LINE L\"wide\"\n"
                      "END\n"},
          {"ids.h", "#ifndef IDS_H\n#define IDS_H\n#define IDS_BASE 100\n#define IDS_A IDS_BASE\n"
                    "#define IDS_B (IDS_BASE + \\\n 1)\nint ignored_declaration;\n#endif\n"}},
         "ja",
         [](const auto& m) {
             EXPECT_EQ(m->Language(), kLangJapanese);
             EXPECT_EQ(Str(m, 100), u"一");
             EXPECT_EQ(Str(m, 101), u"http://x/*y*/");
             EXPECT_EQ(Str(m, 103), u"joined text");
             EXPECT_EQ(Str(m, 7), u"wide");
         }},
        {"escapes",
         {{"main.rc", "STRINGTABLE\n{\n"
                      " 1 \"a\\nb\\tc\\\\d\\\"e\"\"f\"\n"
                      " 2 \"\\x41\\x3042\\101\\0z\"\n"
                      " 3 \"\"\n"
                      "}\n"}},
         "en",
         [](const auto& m) {
             EXPECT_EQ(m->Language(), kLangEnglish);
             EXPECT_EQ(Str(m, 1), u"a\nb\tc\\d\"e\"f");
             EXPECT_EQ(Str(m, 2), std::u16string(u"A\u3042A\0z", 5));
             EXPECT_EQ(Str(m, 3), u"");
         }},
        {"conditionals and the language macro",
         {{"main.rc", "#if defined(QV_LANG_JA) && FROM_COMMAND_LINE > 5\n"
                      "#define WHICH \"ja\"\n"
                      "#elif defined QV_LANG_EN\n"
                      "#define WHICH \"en\"\n"
                      "#else\n"
                      "#error no language\n"
                      "#endif\n"
                      "#ifdef NOT_DEFINED\n"
                      "#include \"missing.h\"\n"
                      "garbage that is never read\n"
                      "#endif\n"
                      "#pragma code_page(65001)\n"
                      "STRINGTABLE BEGIN 1 WHICH END\n"}},
         "ja",
         [](const auto& m) { EXPECT_EQ(Str(m, 1), u"ja"); }},
        {"custom types from files, with include paths",
         {{"main.rc", "#include <shared.h>\n"
                      "191 TEXT PRELOAD \"data/table.txt\"\n"
                      "IDR_CSV CSV \"data\\\\targets.csv\"\n"
                      "5 300 \"data/table.txt\"\n"
                      "BLOB RCDATA \"data/table.txt\"\n"},
          {"inc/shared.h", "#define IDR_CSV 10020\n"},
          {"data/table.txt", "raw\n\xff bytes\r\n"},
          {"data/targets.csv", "1,a\nEOD\n"}},
         "en",
         [](const auto& m) {
             EXPECT_EQ(Data(m, "TEXT", 191), "raw\n\xff bytes\r\n");
             EXPECT_EQ(Data(m, "csv", 10020), "1,a\nEOD\n");
             EXPECT_EQ(Data(m, 300, 5), "raw\n\xff bytes\r\n");
             EXPECT_EQ(Data(m, kRtRcData, "blob"), "raw\n\xff bytes\r\n");
         }},
        {"ANSI text files in the module's code page",
         {{"main.rc", "1 TEXT ANSI \"t.txt\"\n"},
          {"t.txt", "\xEF\xBB\xBFK|速度|\nK|加速度|\r\nlast"}},
         "ja",
         [](const auto& m) {
             EXPECT_EQ(Data(m, "TEXT", 1), platform::FromWide(u"K|速度|\r\nK|加速度|\r\nlast", CP_SHIFT_JIS));
         }},
        {"inline data blocks",
         {{"main.rc", "1 ALM { 1, 0xFFFF, -1, 2L, \"é\", L\"ω\" }\n"
                      "2 ALM BEGIN END\n"}},
         "en",
         [](const auto& m) {
             EXPECT_EQ(Data(m, "ALM", 1), std::string("\x01\x00\xFF\xFF\xFF\xFF\x02\x00\x00\x00\xE9\xC9\x03", 13));
             EXPECT_EQ(Data(m, "ALM", 2), "");
         }},
        {"fixed-size text fields",
         {{"main.rc", "189 ALM {\n \"\\x07\" FIELD(7, \"過負荷\"), FIELD(3, \"\")\n}\n"}},
         "ja",
         [](const auto& m) {
             EXPECT_EQ(Data(m, "ALM", 189), "\x07" + platform::FromWide(u"過負荷", CP_SHIFT_JIS) + std::string(4, '\0'));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        TempFolder folder;
        const rescomp::CompileResult result = CompileFiles(folder, c.files, c.lang);
        ASSERT_TRUE(result.ok) << (result.errors.empty() ? "" : result.errors.front());
        const auto module = Load(result);
        ASSERT_TRUE(module);
        c.check(module);
    }
}

TEST(RescompTest, FaultsFailWithFileAndLine)
{
    struct Case {
        const char* row;
        Files files;
        std::string where;    // "main.rc:3" or another file
        std::string message;  // part of the message
        std::string lang = "ja";
    };
    const Case cases[] = {
        {"string without id", {{"main.rc", "STRINGTABLE\nBEGIN\n  \"text\"\nEND\n"}}, "main.rc:3", "string id expected"},
        {"id without string", {{"main.rc", "STRINGTABLE\nBEGIN\n  1\nEND\n"}}, "main.rc:4", "string text in quotes expected"},
        {"table not closed", {{"main.rc", "STRINGTABLE\nBEGIN\n  1 \"a\"\n"}}, "main.rc:3", "not closed"},
        {"duplicate string id", {{"main.rc", "#define A 5\nSTRINGTABLE\nBEGIN\n 5 \"x\"\nEND\nSTRINGTABLE\nBEGIN\n A \"y\"\nEND\n"}},
         "main.rc:8", "duplicate string id 5 (first defined at "},
        {"duplicate custom resource", {{"main.rc", "1 ALM { 1 }\n1 alm { 2 }\n"}}, "main.rc:2", "duplicate resource 1"},
        {"missing data file", {{"main.rc", "\n191 TEXT \"nothing.txt\"\n"}}, "main.rc:2", "cannot open data file"},
        {"bad escape", {{"main.rc", "STRINGTABLE\nBEGIN\n 1 \"a\\qb\"\nEND\n"}}, "main.rc:3", "unknown escape \\q"},
        {"string not closed", {{"main.rc", "STRINGTABLE\nBEGIN\n 1 \"abc\nEND\n"}}, "main.rc:3", "string not closed"},
        {"name without define", {{"main.rc", "STRINGTABLE\nBEGIN\n IDS_X + 1 \"a\"\nEND\n"}}, "main.rc:3", "unknown name IDS_X"},
        {"id out of range", {{"main.rc", "STRINGTABLE\nBEGIN\n 70000 \"a\"\nEND\n"}}, "main.rc:3", "outside 0 to 65535"},
        {"unknown statement", {{"main.rc", "\n\nSTRINGTABEL\nBEGIN\n 1 \"a\"\nEND\n"}}, "main.rc:3", "unknown statement 'STRINGTABEL'"},
        {"statement not built yet", {{"main.rc", "100 TOOLBAR 16, 15\n"}}, "main.rc:1", "TOOLBAR is not supported yet"},
        {"standard type by number", {{"main.rc", "1 6 { 1 }\n"}}, "main.rc:1", "standard type"},
        {"stray token", {{"main.rc", "STRINGTABLE BEGIN 1 \"a\" END\n,\n"}}, "main.rc:2", "a statement expected"},
        {"unexpected character", {{"main.rc", "1 ALM { 1 ; }\n"}}, "main.rc:1", "unexpected character ';'"},
        {"value too large for a word", {{"main.rc", "1 ALM { 65536 }\n"}}, "main.rc:1", "does not fit in 16 bits"},
        {"text outside the code page", {{"main.rc", "1 ALM { \"漢\" }\n"}}, "main.rc:1", "code page 1252", "en"},
        {"ANSI file outside the code page", {{"main.rc", "1 TEXT ANSI \"t.txt\"\n"}, {"t.txt", "ok\nΩ€漢\n"}}, "main.rc:1",
         "line 2 of the data file", "en"},
        {"script not UTF-8", {{"main.rc", "// fine\n// fine\nSTRINGTABLE BEGIN 1 \"\xff\" END\n"}}, "main.rc:3", "not valid UTF-8"},
        {"if without endif", {{"main.rc", "\n#ifdef X\n"}}, "main.rc:2", "#if without #endif"},
        {"endif without if", {{"main.rc", "#endif\n"}}, "main.rc:1", "#endif without #if"},
        {"missing include", {{"main.rc", "\n#include \"nothing.h\"\n"}}, "main.rc:2", "cannot find included file nothing.h"},
        {"error directive", {{"main.rc", "#ifndef QV_LANG_EN\n#error English only\n#endif\n"}}, "main.rc:2", "#error English only"},
        {"macro with arguments", {{"main.rc", "\n#define F(x) x\n"}}, "main.rc:2", "macros with arguments"},
        {"macro redefined", {{"main.rc", "#define A 1\n#define A 1\n#define A 2\n"}}, "main.rc:3", "defined again"},
        {"fault inside an included header", {{"main.rc", "#include \"ids.h\"\n"}, {"ids.h", "#define A 1\n#if A +\n#endif\n"}},
         "ids.h:2", "number expected"},
        {"including itself", {{"main.rc", "#include \"main.rc\"\n"}}, "main.rc:1", "nested too deeply"},
        {"unknown directive", {{"main.rc", "#frobnicate\n"}}, "main.rc:1", "unknown directive"},
        {"other code page", {{"main.rc", "#pragma code_page(932)\n"}}, "main.rc:1", "code_page(65001)"},
        {"division by zero", {{"main.rc", "STRINGTABLE BEGIN 1/0 \"a\" END\n"}}, "main.rc:1", "division by zero"},
        {"text longer than its field", {{"main.rc", "1 ALM { FIELD(6, \"過負荷\") }\n"}}, "main.rc:1", "the field holds 5"},
        {"ANSI on a block", {{"main.rc", "1 TEXT ANSI { 1 }\n"}}, "main.rc:1", "ANSI applies to data files only"},
        {"unknown language", {{"main.rc", "\n"}}, "", "unknown language", "de"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        TempFolder folder;
        const rescomp::CompileResult result = CompileFiles(folder, c.files, c.lang);
        EXPECT_FALSE(result.ok);
        ASSERT_EQ(result.errors.size(), 1u);
        const std::string& error = result.errors.front();
        if (!c.where.empty()) {
            const std::string prefix = (folder.path() / c.where).string() + ": error: ";
            EXPECT_EQ(error.rfind(prefix, 0), 0u) << error;
        }
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
        EXPECT_TRUE(result.module.empty());
    }
}

// Runs the built compiler; the exit code, or -1.
int RunRescomp(const std::vector<std::string>& args)
{
    const std::string program = platform::NativePath(platform::JoinPath(platform::GetProgramFolder(), u"rescomp"));
    std::vector<std::string> all = {program};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int rc = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return -1;
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(RescompTest, ToolWritesWholeFilesOrNone)
{
    TempFolder folder;
    const fs::path script = folder.path() / "m.rc";
    const fs::path out = folder.path() / "m.ja.qres";
    const fs::path dep = folder.path() / "m.d";
    Write(folder.path() / "d.csv", "1,a\n");
    Write(script, "1 CSV \"d.csv\"\nSTRINGTABLE BEGIN 110 \"JPN\" END\n");
    ASSERT_EQ(RunRescomp({"--lang", "ja", "--depfile", dep.string(), "-o", out.string(), script.string()}), 0);
    std::string bytes;
    ASSERT_TRUE(CFile::ReadAll(CString::FromUtf8(out.string()), bytes));
    CString error;
    const auto module = platform::ResourceModule::FromBytes(bytes, error);
    ASSERT_TRUE(module) << error.ToUtf8();
    EXPECT_EQ(std::u16string(module->String(110).value_or(u"")), u"JPN");
    std::string deps;
    ASSERT_TRUE(CFile::ReadAll(CString::FromUtf8(dep.string()), deps));
    EXPECT_NE(deps.find(script.string()), std::string::npos);
    EXPECT_NE(deps.find((folder.path() / "d.csv").string()), std::string::npos);

    // A broken script removes the old output, so no stale module survives.
    Write(script, "STRINGTABLE BEGIN 110 \"JPN\" 110 \"again\" END\n");
    EXPECT_EQ(RunRescomp({"--lang", "ja", "-o", out.string(), script.string()}), 1);
    EXPECT_FALSE(fs::exists(out));
    EXPECT_EQ(RunRescomp({"--lang", "ja", script.string()}), 2) << "no output named";
    for (const auto& entry : fs::directory_iterator(folder.path())) {
        EXPECT_EQ(entry.path().string().find(".tmp-"), std::string::npos) << entry.path();
    }
}

}  // namespace
