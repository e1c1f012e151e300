// The dialog, menu, accelerator and image statements: what they compile to,
// and the faults that stop the build.
#include "platform/rescomp/Compiler.h"

#include "platform/core/ResourceModule.h"
#include "platform/ui/ResourceTemplates.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>

namespace {

namespace fs = std::filesystem;
using platform::DialogItemTemplate;
using platform::DialogTemplate;
using platform::TemplateName;

class TempFolder {
public:
    TempFolder()
    {
        std::string tmpl = (fs::temp_directory_path() / "qv-uistmt-XXXXXX").string();
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

using Files = std::map<std::string, std::string>;

rescomp::CompileResult CompileFiles(const TempFolder& folder, const Files& files, const std::string& lang = "en")
{
    for (const auto& [name, bytes] : files) {
        fs::create_directories((folder.path() / name).parent_path());
        std::ofstream(folder.path() / name, std::ios::binary) << bytes;
    }
    rescomp::CompileOptions options;
    options.script = (folder.path() / "main.rc").string();
    options.language = lang;
    return rescomp::Compile(options);
}

std::shared_ptr<const platform::ResourceModule> CompileModule(const Files& files, const std::string& lang = "en")
{
    TempFolder folder;
    const rescomp::CompileResult result = CompileFiles(folder, files, lang);
    EXPECT_TRUE(result.ok) << (result.errors.empty() ? "" : result.errors.front());
    if (!result.ok) return nullptr;
    CString error;
    auto module = platform::ResourceModule::FromBytes(result.module, error);
    EXPECT_TRUE(module) << error.ToUtf8();
    return module;
}

constexpr DWORD kChildVisible = 0x50000000;
constexpr DWORD kTabStop = 0x00010000;
constexpr DWORD kGroup = 0x00020000;
constexpr DWORD kBorder = 0x00800000;

const char kSvg[] = "<?xml version=\"1.0\"?>\n<!-- drawn by hand -->\n"
                    "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"24\" height=\"16\">"
                    "<rect width=\"24\" height=\"16\" fill=\"#08f\"/></svg>\n";

TEST(UiStatementsTest, DialogTemplateHoldsEveryControlWithItsDefaults)
{
    const auto m = CompileModule({{"main.rc",
                                   "#define IDD_T 100\n#define IDC_NAME 1001\n"
                                   "IDD_T DIALOGEX DISCARDABLE 10, 20, 200, 120, 77\n"
                                   "STYLE DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU\n"
                                   "EXSTYLE WS_EX_TOOLWINDOW\n"
                                   "CAPTION \"設定\"\n"
                                   "FONT 9, \"MS UI Gothic\", 400, 0, 0x80\n"
                                   "BEGIN\n"
                                   "  LTEXT \"&Name:\", IDC_STATIC, 7, 9, 40, 8\n"
                                   "  EDITTEXT IDC_NAME, 50, 7, 80, 14, ES_AUTOHSCROLL | NOT WS_BORDER\n"
                                   "  DEFPUSHBUTTON \"OK\", IDOK, 140, 7, 50, 14\n"
                                   "  PUSHBUTTON \"Cancel\", IDCANCEL, 140, 24, 50, 14, NOT WS_TABSTOP\n"
                                   "  PUSHBUTTON \"Draw\", 1002, 140, 41, 50, 14, BS_OWNERDRAW\n"
                                   "  COMBOBOX 1003, 50, 25, 80, 60, CBS_DROPDOWN | CBS_SORT | WS_VSCROLL\n"
                                   "  AUTORADIOBUTTON \"A\", 1004, 7, 45, 30, 10, WS_GROUP\n"
                                   "  GROUPBOX \"Box\", -1, 2, 40, 100, 40\n"
                                   "  ICON 128, 1005, 7, 90\n"
                                   "  CONTROL \"\", 1006, \"SysListView32\", LVS_REPORT | WS_BORDER | WS_TABSTOP,"
                                   " 7, 60, 90, 20, WS_EX_CLIENTEDGE, 5\n"
                                   "  CONTROL \"\", 1007, UPDOWN_CLASS, UDS_SETBUDDYINT | NOT WS_VISIBLE, 1, 2, 3, 4\n"
                                   "  CONTROL IDB_PIC, 1008, STATIC, SS_BITMAP, 1, 2, 3, 4\n"
                                   "END\n"}});
    ASSERT_TRUE(m);
    const auto bytes = m->Find(kRtDialog, 100);
    ASSERT_TRUE(bytes);
    std::string error;
    const std::optional<DialogTemplate> d = platform::ParseDialog(*bytes, &error);
    ASSERT_TRUE(d) << error;

    EXPECT_TRUE(d->extended);
    EXPECT_EQ(d->x, 10);
    EXPECT_EQ(d->y, 20);
    EXPECT_EQ(d->cx, 200);
    EXPECT_EQ(d->cy, 120);
    EXPECT_EQ(d->helpId, 77u);
    EXPECT_EQ(d->style, 0x80u | 0x80000000u | 0x00C00000u | 0x00080000u | 0x40u);  // DS_SETFONT from FONT
    EXPECT_EQ(d->exStyle, 0x80u);
    EXPECT_EQ(d->caption, u"設定");
    EXPECT_TRUE(d->hasFont);
    EXPECT_EQ(d->pointSize, 9);
    EXPECT_EQ(d->faceName, u"MS UI Gothic");
    EXPECT_EQ(d->weight, 400);
    EXPECT_EQ(d->charSet, 0x80);

    struct Expected {
        const char* row;
        int id;
        std::u16string className;
        DWORD style;
        TemplateName text;
    };
    const Expected rows[] = {
        {"label", -1, u"Static", kChildVisible | kGroup, TemplateName::Text(u"&Name:")},
        {"edit without border", 1001, u"Edit", kChildVisible | kTabStop | 0x80, TemplateName{}},
        {"default button", 1, u"Button", kChildVisible | kTabStop | 0x1, TemplateName::Text(u"OK")},
        {"button without tab stop", 2, u"Button", kChildVisible | 0x0, TemplateName::Text(u"Cancel")},
        {"owner-drawn replaces the push type", 1002, u"Button", kChildVisible | kTabStop | 0xB, TemplateName::Text(u"Draw")},
        {"drop-down replaces the simple type", 1003, u"ComboBox", kChildVisible | kTabStop | 0x2 | 0x100 | 0x00200000,
         TemplateName{}},
        {"radio", 1004, u"Button", kChildVisible | kTabStop | kGroup | 0x9, TemplateName::Text(u"A")},
        {"group box", -1, u"Button", kChildVisible | 0x7, TemplateName::Text(u"Box")},
        {"icon", 1005, u"Static", kChildVisible | 0x3, TemplateName::Number(128)},
        {"list view", 1006, u"SysListView32", kChildVisible | 0x1 | kBorder | kTabStop, TemplateName::Text(u"")},
        {"hidden spin", 1007, u"msctls_updown32", 0x40000000 | 0x2, TemplateName::Text(u"")},
        {"bitmap named by a word", 1008, u"Static", kChildVisible | 0xE, TemplateName::Text(u"IDB_PIC")},
    };
    ASSERT_EQ(d->items.size(), std::size(rows));
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(rows[i].row);
        const DialogItemTemplate& item = d->items[i];
        EXPECT_EQ(item.id, rows[i].id);
        EXPECT_EQ(item.className, rows[i].className);
        EXPECT_EQ(item.style, rows[i].style);
        EXPECT_EQ(item.text, rows[i].text);
    }
    EXPECT_EQ(d->items[0].x, 7);
    EXPECT_EQ(d->items[0].y, 9);
    EXPECT_EQ(d->items[0].cx, 40);
    EXPECT_EQ(d->items[0].cy, 8);
    EXPECT_EQ(d->items[9].exStyle, 0x200u);
    EXPECT_EQ(d->items[9].helpId, 5u);
}

TEST(UiStatementsTest, PlainDialogTakesTheDefaultStyle)
{
    const auto m = CompileModule({{"main.rc", "5 DIALOG 0, 0, 50, 40\nCAPTION \"x\"\nFONT 8, \"Tahoma\"\n"
                                              "BEGIN\n CTEXT \"c\", 65535, 1, 1, 10, 10\nEND\n"}});
    ASSERT_TRUE(m);
    const auto d = platform::ParseDialog(*m->Find(kRtDialog, 5));
    ASSERT_TRUE(d);
    EXPECT_FALSE(d->extended);
    EXPECT_EQ(d->style, 0x80000000u | 0x00800000u | 0x00080000u | 0x00C00000u | 0x40u);
    EXPECT_EQ(d->faceName, u"Tahoma");
    ASSERT_EQ(d->items.size(), 1u);
    EXPECT_EQ(d->items[0].style, kChildVisible | kGroup | 0x1);
    EXPECT_EQ(d->items[0].id, 65535);
}

TEST(UiStatementsTest, MenusAcceleratorsAndImages)
{
    const auto m = CompileModule({{"main.rc",
                                   "#define ID_OPEN 57601\n"
                                   "128 MENU\nBEGIN\n"
                                   "  POPUP \"&File\"\n  BEGIN\n"
                                   "    MENUITEM \"&Open\\tCtrl+O\", ID_OPEN\n"
                                   "    MENUITEM SEPARATOR\n"
                                   "    POPUP \"Recent\", GRAYED\n    BEGIN\n"
                                   "      MENUITEM \"1\", 100, CHECKED, GRAYED\n"
                                   "    END\n"
                                   "  END\n"
                                   "END\n"
                                   "129 MENUEX BEGIN POPUP \"E\", 0, 0, 0 BEGIN MENUITEM \"x\", 7, 0, 3 END END\n"
                                   "128 ACCELERATORS\nBEGIN\n"
                                   "  \"^O\", ID_OPEN\n"
                                   "  VK_F1, 200, VIRTKEY\n"
                                   "  \"s\", 201, VIRTKEY, CONTROL, SHIFT, NOINVERT\n"
                                   "  \"q\", 202, ASCII, ALT\n"
                                   "END\n"
                                   "10 ICON \"i.svg\"\n"
                                   "IDB_PIC BITMAP \"i.svg\"\n"
                                   "11 CURSOR DISCARDABLE \"i.svg\"\n"},
                                  {"i.svg", kSvg}});
    ASSERT_TRUE(m);

    const auto menu = platform::ParseMenu(*m->Find(kRtMenu, 128));
    ASSERT_TRUE(menu);
    ASSERT_EQ(menu->items.size(), 1u);
    const platform::MenuItemTemplate& file = menu->items[0];
    EXPECT_EQ(file.text, u"&File");
    EXPECT_TRUE(file.flags & platform::kMenuPopup);
    ASSERT_EQ(file.children.size(), 3u);
    EXPECT_EQ(file.children[0].text, u"&Open\tCtrl+O");
    EXPECT_EQ(file.children[0].id, 57601u);
    EXPECT_EQ(file.children[1].flags, platform::kMenuSeparator);
    EXPECT_EQ(file.children[2].flags, platform::kMenuPopup | platform::kMenuGrayed);
    ASSERT_EQ(file.children[2].children.size(), 1u);
    EXPECT_EQ(file.children[2].children[0].flags, platform::kMenuChecked | platform::kMenuGrayed);

    const auto menuEx = platform::ParseMenu(*m->Find(kRtMenu, 129));
    ASSERT_TRUE(menuEx);
    EXPECT_TRUE(menuEx->extended);
    ASSERT_EQ(menuEx->items.at(0).children.size(), 1u);
    EXPECT_EQ(menuEx->items[0].children[0].flags, platform::kMenuGrayed);
    EXPECT_EQ(menuEx->items[0].children[0].id, 7u);

    const auto accel = platform::ParseAccelerators(*m->Find(kRtAccelerator, 128));
    ASSERT_TRUE(accel);
    const std::vector<platform::AcceleratorEntry> expected = {
        {0x00, 0x0F, 57601},          // Ctrl+O as the character 15
        {0x01, 0x70, 200},            // F1
        {0x01 | 0x08 | 0x04 | 0x02, 'S', 201},
        {0x10, 'q', 202},
    };
    EXPECT_EQ(*accel, expected);

    struct ImageRow {
        const char* row;
        WORD type;
        platform::ResourceKey name;
    };
    const ImageRow images[] = {{"icon", kRtGroupIcon, 10}, {"bitmap", kRtBitmap, "IDB_PIC"}, {"cursor", kRtGroupCursor, 11}};
    for (const ImageRow& row : images) {
        SCOPED_TRACE(row.row);
        const auto bytes = m->Find(row.type, row.name);
        ASSERT_TRUE(bytes);
        const auto image = platform::ParseImage(*bytes);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->format, platform::ImageFormat::kSvg);
        EXPECT_EQ(image->width, 24u);
        EXPECT_EQ(image->height, 16u);
        EXPECT_EQ(image->data, kSvg);
    }
}

TEST(UiStatementsTest, SvgCursorKeepsItsHotSpot)
{
    const std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"32\" height=\"32\" data-hotspot=\"16 5\">"
                            "<rect width=\"32\" height=\"32\"/></svg>";
    const auto m = CompileModule({{"main.rc", "1 CURSOR \"c.svg\"\n2 CURSOR \"i.svg\"\n"}, {"c.svg", svg}, {"i.svg", kSvg}});
    ASSERT_TRUE(m);
    const auto hot = platform::ParseImage(*m->Find(kRtGroupCursor, 1));
    ASSERT_TRUE(hot);
    EXPECT_EQ(hot->hotX, 16);
    EXPECT_EQ(hot->hotY, 5);
    const auto plain = platform::ParseImage(*m->Find(kRtGroupCursor, 2));
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->hotX, 0) << "without data-hotspot the top-left corner";
    EXPECT_EQ(plain->hotY, 0);
}

TEST(UiStatementsTest, FaultsFailWithFileAndLine)
{
    struct Case {
        const char* row;
        Files files;
        std::string where;
        std::string message;
    };
    const std::string head = "1 DIALOGEX 0, 0, 10, 10\nBEGIN\n";
    const Case cases[] = {
        {"unknown style name", {{"main.rc", head + " LTEXT \"a\", 1, 0, 0, 1, 1, SS_NOSUCH\nEND\n"}}, "main.rc:3",
         "unknown name SS_NOSUCH"},
        {"duplicate control id", {{"main.rc", head + " LTEXT \"a\", 5, 0, 0, 1, 1\n PUSHBUTTON \"b\", 5, 0, 0, 1, 1\nEND\n"}},
         "main.rc:4", "duplicate control id 5"},
        {"missing comma", {{"main.rc", head + " EDITTEXT 5 0, 0, 1, 1\nEND\n"}}, "main.rc:3", "',' expected after control id"},
        {"unknown control statement", {{"main.rc", head + " BUTTONBOX \"a\", 5, 0, 0, 1, 1\nEND\n"}}, "main.rc:3",
         "unknown control statement"},
        {"unknown class word", {{"main.rc", head + " CONTROL \"a\", 5, SLIDER, 0, 0, 0, 1, 1\nEND\n"}}, "main.rc:3",
         "control class expected"},
        {"text without quotes", {{"main.rc", head + " LTEXT hello, 5, 0, 0, 1, 1\nEND\n"}}, "main.rc:3",
         "control text in quotes expected"},
        {"id too large for a plain dialog", {{"main.rc", "1 DIALOG 0,0,1,1\nBEGIN\n LTEXT \"a\", 70000, 0, 0, 1, 1\nEND\n"}},
         "main.rc:3", "outside -1 to 65535"},
        {"negative size", {{"main.rc", head + " LTEXT \"a\", 5, 0, 0, -1, 1\nEND\n"}}, "main.rc:3", "negative size"},
        {"dialog not closed", {{"main.rc", head + " LTEXT \"a\", 5, 0, 0, 1, 1\n"}}, "main.rc:3", "not closed"},
        {"bad dialog option", {{"main.rc", "1 DIALOGEX 0, 0, 10, 10\nCOLOR 5\nBEGIN\nEND\n"}}, "main.rc:2",
         "dialog option"},
        {"duplicate dialog", {{"main.rc", "1 DIALOGEX 0,0,1,1 BEGIN END\n1 DIALOG 0,0,1,1 BEGIN END\n"}}, "main.rc:2",
         "duplicate resource 1"},
        {"menu item without id", {{"main.rc", "1 MENU BEGIN MENUITEM \"a\" END\n"}}, "main.rc:1", "',' expected"},
        {"menu with a stray word", {{"main.rc", "1 MENU BEGIN ITEM \"a\", 1 END\n"}}, "main.rc:1", "MENUITEM or POPUP"},
        {"accelerator too long", {{"main.rc", "1 ACCELERATORS BEGIN \"ab\", 1 END\n"}}, "main.rc:1", "one character"},
        {"control on an ASCII key", {{"main.rc", "1 ACCELERATORS BEGIN \"a\", 1, CONTROL END\n"}}, "main.rc:1",
         "VIRTKEY accelerators only"},
        {"unknown accelerator option", {{"main.rc", "1 ACCELERATORS BEGIN VK_F1, 1, VIRTKEY, META END\n"}}, "main.rc:1",
         "accelerator option"},
        {"image that is no image", {{"main.rc", "1 ICON \"a.svg\"\n"}, {"a.svg", "hello"}}, "main.rc:1", "no SVG"},
        {"broken SVG", {{"main.rc", "1 ICON \"a.svg\"\n"}, {"a.svg", "<svg><rect"}}, "main.rc:1", "cannot be read"},
        {"SVG without a size", {{"main.rc", "1 ICON \"a.svg\"\n"}, {"a.svg", "<svg xmlns=\"http://www.w3.org/2000/svg\"/>"}},
         "main.rc:1", "needs a size"},
        {"bitmap file as an icon", {{"main.rc", "1 ICON \"a.bmp\"\n"}, {"a.bmp", "BM" + std::string(40, '\1')}}, "main.rc:1",
         "an ICON is an SVG, ICO or CUR file"},
        {"missing image file", {{"main.rc", "1 BITMAP \"none.svg\"\n"}}, "main.rc:1", "cannot open data file"},
        {"cursor hot spot outside its picture",
         {{"main.rc", "1 CURSOR \"c.svg\"\n"},
          {"c.svg", "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"8\" height=\"8\" data-hotspot=\"8 2\"/>"}},
         "main.rc:1", "outside its picture"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        TempFolder folder;
        const rescomp::CompileResult result = CompileFiles(folder, c.files);
        ASSERT_FALSE(result.ok);
        ASSERT_EQ(result.errors.size(), 1u);
        EXPECT_NE(result.errors[0].find(c.where + ": error: "), std::string::npos) << result.errors[0];
        EXPECT_NE(result.errors[0].find(c.message), std::string::npos) << result.errors[0];
    }
}

TEST(UiStatementsTest, DeepExpressionsFailWithALineInsteadOfExhaustingTheStack)
{
    const std::string deep(20000, '(');
    const std::string deepClose(20000, ')');
    struct Case {
        const char* row;
        std::string script;
        std::string where;
    };
    const Case cases[] = {
        {"#if with brackets", "#define A 1\n#if " + deep + "1" + deepClose + "\n#endif\n", "main.rc:2"},
        {"#if with signs", "\n\n#if " + std::string(20000, '-') + "1\n#endif\n", "main.rc:3"},
        {"#if with negations", "#if " + std::string(20000, '!') + "0\n#endif\n", "main.rc:1"},
        {"a bracketed control id", "1 DIALOGEX 0, 0, 10, 10\nBEGIN\n LTEXT \"a\", " + deep + "5" + deepClose +
                                       ", 0, 0, 1, 1\nEND\n",
         "main.rc:3"},
        {"a style of many complements",
         "1 DIALOGEX 0, 0, 10, 10\nBEGIN\n\n LTEXT \"a\", 5, 0, 0, 1, 1, " + std::string(20000, '~') + "SS_LEFT\nEND\n",
         "main.rc:4"},
        {"a bracketed style", "1 DIALOGEX 0, 0, 10, 10\nBEGIN\n LTEXT \"a\", 5, 0, 0, 1, 1, " + deep + "SS_LEFT" +
                                  deepClose + "\nEND\n",
         "main.rc:3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        TempFolder folder;
        const rescomp::CompileResult result = CompileFiles(folder, {{"main.rc", c.script}});
        ASSERT_FALSE(result.ok);
        ASSERT_EQ(result.errors.size(), 1u);
        EXPECT_NE(result.errors[0].find(c.where + ": error: "), std::string::npos) << result.errors[0].substr(0, 200);
        EXPECT_NE(result.errors[0].find("nested too deeply"), std::string::npos) << result.errors[0].substr(0, 200);
    }

    // Nesting as deep as anyone writes still compiles.
    const std::string fifty(50, '(');
    const std::string fiftyClose(50, ')');
    EXPECT_TRUE(CompileModule({{"main.rc", "#if " + fifty + "-~1" + fiftyClose + "\n#endif\n1 DIALOGEX 0, 0, 10, 10\n"
                                                                             "BEGIN\n LTEXT \"a\", " +
                                               fifty + "5" + fiftyClose + ", 0, 0, 1, 1, " + fifty + "~~SS_LEFT" +
                                               fiftyClose + "\nEND\n"}}));
}

}  // namespace
