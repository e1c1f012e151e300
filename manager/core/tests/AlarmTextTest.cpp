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
