// The readers of dialog, menu, accelerator and image records: they give back
// what was written and refuse damaged bytes without reading past them.
#include "platform/ui/ResourceTemplates.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

namespace {

using namespace platform;

DialogTemplate SampleDialog()
{
    DialogTemplate d;
    d.extended = true;
    d.style = 0x80C800C0;
    d.exStyle = 0x80;
    d.helpId = 9;
    d.x = -3;
    d.y = 4;
    d.cx = 300;
    d.cy = 200;
    d.menu = TemplateName::Number(128);
    d.caption = u"設定 Settings";
    d.hasFont = true;
    d.pointSize = 9;
    d.weight = 400;
    d.charSet = 0x80;
    d.faceName = u"MS UI Gothic";
    DialogItemTemplate edit;
    edit.style = 0x50810080;
    edit.id = 1001;
    edit.x = 5;
    edit.y = 6;
    edit.cx = 70;
    edit.cy = 12;
    edit.className = u"Edit";
    DialogItemTemplate icon;
    icon.style = 0x50000003;
    icon.id = -1;
    icon.className = u"Static";
    icon.text = TemplateName::Text(u"IDI_APP");
    DialogItemTemplate label = icon;
    label.text = TemplateName::Text(u"");
    d.items = {edit, icon, label};
    return d;
}

MenuTemplate SampleMenu(int depth)
{
    MenuTemplate m;
    MenuItemTemplate leaf{kMenuChecked, 7, u"leaf", {}};
    MenuItemTemplate current = leaf;
    for (int i = 0; i < depth; ++i) current = MenuItemTemplate{kMenuPopup, 0, u"popup", {current, leaf}};
    m.items = {current, MenuItemTemplate{kMenuSeparator, 0, u"", {}}};
    return m;
}

TEST(ResourceTemplatesTest, RecordsComeBackAsWritten)
{
    const DialogTemplate dialog = SampleDialog();
    EXPECT_EQ(ParseDialog(SerializeDialog(dialog)), dialog);

    const MenuTemplate menu = SampleMenu(3);
    EXPECT_EQ(ParseMenu(SerializeMenu(menu)), menu);

    const std::vector<AcceleratorEntry> table = {{0x09, 'S', 100}, {0x00, 0x0F, 57601}};
    EXPECT_EQ(ParseAccelerators(SerializeAccelerators(table)), table);

    ImageResource image;
    image.format = ImageFormat::kSvg;
    image.width = 16;
    image.height = 16;
    image.data = "<svg xmlns='http://www.w3.org/2000/svg' width='16' height='16'/>";
    EXPECT_EQ(ParseImage(SerializeImage(image)), image);
}

TEST(ResourceTemplatesTest, DamagedRecordsAreRefused)
{
    ImageResource image;
    image.format = ImageFormat::kSvg;
    image.data = "<svg/>";
    struct Record {
        const char* row;
        std::string bytes;
        std::function<bool(std::string_view, std::string*)> parse;
    };
    const Record records[] = {
        {"dialog", SerializeDialog(SampleDialog()), [](auto b, auto e) { return ParseDialog(b, e).has_value(); }},
        {"menu", SerializeMenu(SampleMenu(4)), [](auto b, auto e) { return ParseMenu(b, e).has_value(); }},
        {"accelerators", SerializeAccelerators({{1, 2, 3}, {4, 5, 6}}),
         [](auto b, auto e) { return ParseAccelerators(b, e).has_value(); }},
        {"image", SerializeImage(image), [](auto b, auto e) { return ParseImage(b, e).has_value(); }},
    };
    std::mt19937 random(20240611);
    for (const Record& r : records) {
        SCOPED_TRACE(r.row);
        std::string error;
        ASSERT_TRUE(r.parse(r.bytes, &error)) << error;
        // Every cut is refused (an image with fewer data bytes is another
        // image, so only its header is cut).
        const bool isImage = std::string_view(r.row) == "image";
        const std::size_t cuts = isImage ? 22 : r.bytes.size();
        for (std::size_t n = 0; n < cuts; ++n) {
            error.clear();
            EXPECT_FALSE(r.parse(std::string_view(r.bytes).substr(0, n), &error)) << "cut at " << n;
            EXPECT_FALSE(error.empty());
        }
        if (!isImage) {
            EXPECT_FALSE(r.parse(r.bytes + std::string(1, '\0'), &error)) << "trailing byte";
        }
        std::string wrongTag = r.bytes;
        wrongTag[0] = 'X';
        EXPECT_FALSE(r.parse(wrongTag, &error));
        std::string wrongVersion = r.bytes;
        wrongVersion[4] = 2;
        EXPECT_FALSE(r.parse(wrongVersion, &error));
        // Random damage: never a crash or a read past the bytes (the
        // sanitizers watch), whatever the answer.
        for (int i = 0; i < 500; ++i) {
            std::string damaged = r.bytes;
            const int flips = 1 + static_cast<int>(random() % 4);
            for (int f = 0; f < flips; ++f) damaged[random() % damaged.size()] = static_cast<char>(random());
            r.parse(damaged, nullptr);
        }
    }
}

TEST(ResourceTemplatesTest, MenusNestedTooDeepAreRefused)
{
    std::string error;
    EXPECT_TRUE(ParseMenu(SerializeMenu(SampleMenu(kMaxMenuDepth)), &error)) << error;
    EXPECT_FALSE(ParseMenu(SerializeMenu(SampleMenu(kMaxMenuDepth + 1)), &error));
    EXPECT_NE(error.find("too deep"), std::string::npos) << error;
}

TEST(ResourceTemplatesTest, ImageFormatsAreKnownByTheirFirstBytes)
{
    struct Case {
        const char* row;
        std::string bytes;
        std::optional<ImageFormat> format;
    };
    const Case cases[] = {
        {"plain svg", "<svg width='1'/>", ImageFormat::kSvg},
        {"svg after declaration, comment and doctype",
         "\xEF\xBB\xBF<?xml version='1.0'?>\n<!-- a <svg> in a comment -->\n<!DOCTYPE svg>\n  <svg/>", ImageFormat::kSvg},
        {"html", "<html><svg/></html>", std::nullopt},
        {"text before the element", "hello <svg/>", std::nullopt},
        {"unclosed comment", "<!-- <svg", std::nullopt},
        {"bitmap", "BM\x10\x00", ImageFormat::kBmp},
        {"icon", std::string("\0\0\1\0\1\0", 6), ImageFormat::kIco},
        {"cursor", std::string("\0\0\2\0\1\0", 6), ImageFormat::kCur},
        {"empty", "", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        EXPECT_EQ(DetectImageFormat(c.bytes), c.format);
    }
}

}  // namespace
