#include "platform/core/CString.h"
#include "platform/core/CodePage.h"

#include <gtest/gtest.h>

namespace {

// Restores the process's ANSI code page when a test ends.
class CodePageScope {
public:
    explicit CodePageScope(UINT cp) : m_saved(platform::GetAnsiCodePage()) { platform::SetAnsiCodePage(cp); }
    ~CodePageScope() { platform::SetAnsiCodePage(m_saved); }

private:
    UINT m_saved;
};

TEST(CodePage, JapaneseThroughCp932AndBack)
{
    const std::u16string text = u"軸名 ﾛﾎﾞｯﾄ①\\~ABC";
    const std::string bytes = platform::FromWide(text, CP_SHIFT_JIS);
    // "軸" is 0x8E 0xB2 in CP932; half-width katakana are single bytes.
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0x8E);
    EXPECT_EQ(static_cast<unsigned char>(bytes[1]), 0xB2);
    EXPECT_EQ(platform::ToWide(bytes, CP_SHIFT_JIS), text);

    CodePageScope scope(CP_SHIFT_JIS);
    CString fromAnsi(bytes.c_str());
    EXPECT_EQ(fromAnsi.str(), text);
}

TEST(CodePage, UndecodableBytesBecomeReplacements)
{
    // 0x81 is a lead byte whose trail is missing; 0xA0 and 0xFD are undefined.
    const std::string bad = std::string("A\xA0", 2) + "\xFD" + "B\x81";
    const std::u16string wide = platform::ToWide(bad, CP_SHIFT_JIS);
    EXPECT_EQ(wide.front(), u'A');
    EXPECT_NE(wide.find(u'B'), std::u16string::npos);
    EXPECT_EQ(wide.back(), 0xFFFD);
    // Characters outside the code page become '?'.
    bool usedDefault = false;
    EXPECT_EQ(platform::FromWide(u"a\U0001F600b", CP_SHIFT_JIS, &usedDefault), "a?b");
    EXPECT_TRUE(usedDefault);
    EXPECT_EQ(platform::FromWide(u"€ü漢", CP_WESTERN, &usedDefault), "\x80\xFC?");
}

TEST(CodePage, Cp1252AndUtf8)
{
    EXPECT_EQ(platform::ToWide("\x80\x81\xE9", CP_WESTERN), u"\u20AC\u0081é");
    EXPECT_EQ(platform::FromWide(u"\u20AC\u0081é", CP_WESTERN), "\x80\x81\xE9");
    EXPECT_EQ(platform::ToWide("h\xC3\xA9\xF0\x9F\x98\x80", CP_UTF8), u"hé\U0001F600");
    EXPECT_EQ(platform::FromWide(u"hé\U0001F600", CP_UTF8), "h\xC3\xA9\xF0\x9F\x98\x80");
    EXPECT_EQ(platform::ToWide("\xC3", CP_UTF8), u"\uFFFD");
    EXPECT_EQ(platform::ToWide("\xE0\x80\x80", CP_UTF8), u"\uFFFD");
}

TEST(CodePage, StreamDecoderJoinsSplitCharacters)
{
    const std::string bytes = platform::FromWide(u"aあいb", CP_SHIFT_JIS);  // a, 2, 2, b
    ASSERT_EQ(bytes.size(), 6u);
    platform::StreamDecoder decoder(CP_SHIFT_JIS);
    std::u16string out;
    out += decoder.Feed(bytes.substr(0, 2));  // "a" and half of "あ"
    EXPECT_EQ(out, u"a");
    EXPECT_TRUE(decoder.HasPending());
    out += decoder.Feed(bytes.substr(2, 3));
    out += decoder.Feed(bytes.substr(5));
    EXPECT_EQ(out, u"aあいb");
    EXPECT_FALSE(decoder.HasPending());

    EXPECT_EQ(platform::WholeCharacterPrefix(bytes, 2, CP_SHIFT_JIS), 1u);
    EXPECT_EQ(platform::WholeCharacterPrefix(bytes, 3, CP_SHIFT_JIS), 3u);
    EXPECT_EQ(platform::WholeCharacterPrefix(bytes, 100, CP_SHIFT_JIS), 6u);
}

}  // namespace
