#include "manager/core/AlarmText.h"

#include "Fixtures.h"

#include <gtest/gtest.h>

namespace {

std::string Record(unsigned char code, const std::string& shortText, const std::string& long1, const std::string& long2)
{
    std::string r(kAlarmRecordSize, '\0');
    r[0] = static_cast<char>(code);
    r.replace(kAlarmShortTextOffset, std::min(shortText.size(), kAlarmShortTextSize), shortText.substr(0, kAlarmShortTextSize));
    r.replace(kAlarmLongText1Offset, long1.size(), long1);
    r.replace(kAlarmLongText2Offset, long2.size(), long2);
    return r;
}

TEST(AlarmText, FindsARecordByItsCodeByte)
{
    testfx::AnsiCodePageScope cp(CP_SHIFT_JIS);
    // 34 bytes of short text with no terminator: the field ends there.
    const std::string fullShort(kAlarmShortTextSize, 'S');
    const std::string table = Record(0x05, "\x89\xDF\x95\x89\x89\xD7", "Load too high.", "Lower the load.") +
                              Record(0x49, fullShort, "Link lost.", "") +
                              Record(0x77, "partial", "", "").substr(0, 300);  // cut-off record

    struct Case {
        const char* name;
        int code;
        int result;
        const char16_t* shortText;
        const char16_t* long1;
        const char16_t* long2;
    } cases[] = {
        {"Japanese texts", 0x05, kAlarmFound, u"過負荷", u"Load too high.", u"Lower the load."},
        {"code compared as a byte", 0x105, kAlarmFound, u"過負荷", u"Load too high.", u"Lower the load."},
        {"short text filling its field", 0x49, kAlarmFound, u"SSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSS", u"Link lost.", u""},
        {"code of the cut-off record", 0x77, kAlarmNotFound, u"kept", u"kept", u"kept"},
        {"unknown code", 0x06, kAlarmNotFound, u"kept", u"kept", u"kept"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AlarmTextRecord out;
        out.shortText = out.longText1 = out.longText2 = u"kept";
        EXPECT_EQ(FindAlarmText(table, c.code, out), c.result);
        EXPECT_EQ(out.shortText, c.shortText);
        EXPECT_EQ(out.longText1, c.long1);
        EXPECT_EQ(out.longText2, c.long2);
        if (c.result == kAlarmFound) {
            EXPECT_EQ(out.code, c.code & 0xFF);
        }
    }
}

}  // namespace

namespace {

TEST(AlarmTable, BuildsRecordsThatReadBack)
{
    std::string table;
    CString error;
    ASSERT_TRUE(BuildAlarmTable(u"# comment\r\n"
                                u"\r\n"
                                u"05|過負荷|負荷が大きすぎます。|負荷を下げてください。\r\n"
                                u"4a|Data error||Send again.",
                                CP_SHIFT_JIS, table, error))
        << error.ToUtf8();
    ASSERT_EQ(table.size(), 2 * kAlarmRecordSize);
    AlarmTextRecord out;
    testfx::AnsiCodePageScope cp(CP_SHIFT_JIS);
    ASSERT_EQ(FindAlarmText(table, 0x05, out), kAlarmFound);
    EXPECT_EQ(out.shortText, u"過負荷");
    EXPECT_EQ(out.longText2, u"負荷を下げてください。");
    ASSERT_EQ(FindAlarmText(table, 0x4A, out), kAlarmFound);
    EXPECT_EQ(out.longText1, u"");
    EXPECT_EQ(out.longText2, u"Send again.");
}

TEST(AlarmTable, RefusesWhatWouldNotReadBack)
{
    const std::u16string longShort(34, u'x');
    struct Case {
        const char* name;
        std::u16string source;
        UINT codePage;
        const char* messageStart;
    } cases[] = {
        {"three fields", u"01|a|b", CP_WESTERN, "line 1: a record needs"},
        {"five fields", u"01|a|b|c|d", CP_WESTERN, "line 1: a record needs"},
        {"code of three digits", u"\n001|a|b|c", CP_WESTERN, "line 2: the code"},
        {"code not hexadecimal", u"0g|a|b|c", CP_WESTERN, "line 1: the code"},
        {"repeated code", u"01|a|b|c\n01|d|e|f", CP_WESTERN, "line 2: code 01 appears twice"},
        {"short text too long", u"01|" + longShort + u"|b|c", CP_WESTERN, "line 1: the short text takes 34 bytes"},
        {"Japanese short text too long", u"01|過負荷過負荷過負荷過負荷過負荷過負荷|b|c", CP_SHIFT_JIS,
         "line 1: the short text takes 36 bytes"},
        {"character the code page lacks", u"01|軸|b|c", CP_WESTERN, "line 1: the short text has a character"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string table = "kept";
        CString error;
        EXPECT_FALSE(BuildAlarmTable(c.source, c.codePage, table, error));
        EXPECT_EQ(table, "kept");
        EXPECT_EQ(error.ToUtf8().rfind(c.messageStart, 0), 0u) << error.ToUtf8();
    }
}

}  // namespace
