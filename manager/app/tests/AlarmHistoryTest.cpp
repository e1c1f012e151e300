#include "manager/app/AlarmHistory.h"
#include "manager/app/StatusDisplay.h"

#include "AppFixtures.h"

#include <gtest/gtest.h>

#include <map>

namespace {

AlarmRecord Record(BYTE code)
{
    AlarmRecord r;
    r.code = code;
    return r;
}

TEST(AlarmRecords, CollectedUntilTheFirstEmptyOrFailedQuery)
{
    struct Row {
        const char* name;
        std::map<int, std::pair<AlarmQuery, BYTE>> answers;  // by index; missing: failed
        int maxCount;
        std::vector<BYTE> codes;
        bool timedOut;
        int lastIndexAsked;
    };
    const Row rows[] = {
        {"none", {{1, {AlarmQuery::Ok, 0}}}, 50, {}, false, 1},
        {"two then code 0", {{1, {AlarmQuery::Ok, 0x21}}, {2, {AlarmQuery::Ok, 0x05}}, {3, {AlarmQuery::Ok, 0}}},
         50, {0x21, 0x05}, false, 3},
        {"NG ends the list", {{1, {AlarmQuery::Ok, 0x21}}, {2, {AlarmQuery::Failed, 0x33}}}, 50, {0x21}, false, 2},
        {"time-out", {{1, {AlarmQuery::Ok, 0x21}}, {2, {AlarmQuery::TimedOut, 0}}}, 50, {0x21}, true, 2},
        {"full list stops at the most", {{1, {AlarmQuery::Ok, 1}}, {2, {AlarmQuery::Ok, 2}}, {3, {AlarmQuery::Ok, 3}}},
         2, {1, 2}, false, 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        int lastIndex = 0;
        const AlarmCollection got = CollectAlarmRecords(row.maxCount, [&](int index, AlarmRecord& out) {
            lastIndex = index;
            const auto it = row.answers.find(index);
            if (it == row.answers.end()) return AlarmQuery::Failed;
            out.code = it->second.second;
            return it->second.first;
        });
        std::vector<BYTE> codes;
        for (const AlarmRecord& r : got.records) codes.push_back(r.code);
        EXPECT_EQ(codes, row.codes);
        EXPECT_EQ(got.timedOut, row.timedOut);
        EXPECT_EQ(lastIndex, row.lastIndexAsked);
    }
}

TEST(AlarmRecords, CurrentMessageCodes)
{
    for (int code = 0; code < 256; ++code) {
        SCOPED_TRACE(code);
        EXPECT_EQ(IsShownMessageCode(static_cast<BYTE>(code)), code >= 0x40 && code <= 0x4F && code != 0x41);
    }
}

class WithTexts : public testing::Test {
protected:
    appfx::ManagerModule m_module{"en"};
};

TEST_F(WithTexts, StateTextsByCode)
{
    ASSERT_TRUE(m_module.Loaded());
    const std::pair<int, const char16_t*> rows[] = {
        {0, u"Stopped"},    {1, u"Moving (ABS)"},       {8, u"Moving (INC linked push)"},
        {9, u"Returning to origin"}, {-1, u"Alarm"}, {10, u""}, {-2, u""}, {-128, u""}, {127, u""},
    };
    for (const auto& [code, text] : rows) {
        SCOPED_TRACE(code);
        EXPECT_EQ(StatusCodeText(static_cast<std::int8_t>(code)), text);
    }
    // A state byte of 255 read back from the controller is the alarm state.
    EXPECT_EQ(StatusCodeText(static_cast<std::int8_t>(static_cast<std::uint8_t>(255))), u"Alarm");
}

TEST_F(WithTexts, StatusFieldsAsDisplayed)
{
    ControllerStatus s;
    s.d0 = -12345;
    s.d1 = 5;
    s.d18 = 2;
    s.d13 = 255;
    s.d2 = -32768;
    s.d14 = 7;
    s.d9 = -35;
    s.d10 = 0;
    s.d16 = 1000;
    s.d15 = 1501;
    const ControllerStatusTexts t = FormatControllerStatus(s, 2);
    EXPECT_EQ(t.position, u"-123.45");
    EXPECT_EQ(t.speed, u"0.05");
    EXPECT_EQ(t.state, u"Moving (INC)");
    EXPECT_EQ(t.point, u"255");
    EXPECT_EQ(t.d2, u"-32768");
    EXPECT_EQ(t.d14, u"7");
    EXPECT_EQ(t.d9, u"-3.5");
    EXPECT_EQ(t.d10, u"0");
    EXPECT_EQ(t.d16, u"1.000");
    EXPECT_EQ(t.runningTime, u"1:01:01");
    EXPECT_EQ(FormatControllerStatus(s, 0).position, u"-12345");
    s.d15 = 0xFFFFFFFFu;
    EXPECT_EQ(FormatControllerStatus(s, 3).runningTime, u"2982616:04:15");
}

TEST_F(WithTexts, TimeLineUsesTheFormatString)
{
    std::tm t{};
    t.tm_year = 124;
    t.tm_mon = 2;
    t.tm_mday = 5;
    t.tm_hour = 7;
    t.tm_min = 8;
    t.tm_sec = 9;
    EXPECT_EQ(FormatAlarmTimeText(t), u"2024/03/05 07:08:09");
    EXPECT_EQ(CurrentAlarmTimeText().GetLength(), 19);
}

ControllerData Header()
{
    ControllerData d;
    d.controller = u"KX-Q10";
    d.robot = u"RB\t20\r\nX";
    d.interfaceText = u"CC-Link";
    d.version = u"1.02";
    d.dbVersion = u"3.0.1";
    return d;
}

TEST_F(WithTexts, HistoryTextLinesAndFields)
{
    AlarmRecord a = Record(0x05);
    a.time = 1501;
    a.position = -1234;
    a.speed = 5000;
    a.state = -1;
    a.nValue = 200;
    a.cValue = -3;
    a.vValue = 245;
    a.inputs = 0x00AB;
    a.outputs = 0xF001;
    AlarmRecord b = Record(0xC2);
    const CString text = BuildAlarmHistoryText(u"2024/03/05 07:08:09", Header(), {a, b}, 3,
                                               [](BYTE code) { return code == 0x05 ? CString(u"Over load") : CString(); });
    EXPECT_EQ(text, CString(u"//2024/03/05 07:08:09\n"
                            u"//CONT=KX-Q10\n"
                            u"//ROBOT=RB 20  X\n"
                            u"//IF=CC-Link\n"
                            u"//VER=1.02\n"
                            u"//DBVER=3.0.1\n"
                            u" 5\tOver load\t1:01:01\t-1.234\t50.00\tAlarm\t200\t-3\t24.5\t00ab\tf001\t\n"
                            u"C2\t\t0:00:00\t0.000\t0.00\tStopped\t0\t0\t0.0\t0000\t0000\t\n"));

    const std::vector<AlarmHistoryRow> rows = ParseAlarmHistoryText(text);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].fields[0], u" 5");
    EXPECT_EQ(rows[0].Code(), 5);
    EXPECT_EQ(rows[0].fields[1], u"Over load");
    EXPECT_EQ(rows[0].fields[10], u"f001");
    EXPECT_EQ(rows[1].Code(), 0xC2);
    EXPECT_EQ(rows[1].fields[1], u"");
}

TEST_F(WithTexts, EmptyHistoryHasTheSixHeaderLinesOnly)
{
    const CString text = BuildAlarmHistoryText(u"", Header(), {}, 2, nullptr);
    EXPECT_EQ(std::count(text.view().begin(), text.view().end(), u'\n'), 6);
    EXPECT_TRUE(text.view().starts_with(u"//\n//CONT=KX-Q10\n"));
    EXPECT_TRUE(ParseAlarmHistoryText(text).empty());
}

TEST(AlarmHistoryText, LinesOfAFileReadBack)
{
    const CString text = u"//time\n\n 5\tA\n\r\nZZ\tB\tC\r\n//CONT=KX-LB\n7\t\t\t\t\t\t\t\t\t\t\t\textra\n";
    const std::vector<AlarmHistoryRow> rows = ParseAlarmHistoryText(text);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].fields[1], u"A");
    EXPECT_EQ(rows[0].fields[2], u"");  // a short line leaves the later columns empty
    EXPECT_EQ(rows[1].Code(), -1);
    EXPECT_EQ(rows[1].fields[2], u"C");
    EXPECT_EQ(rows[2].Code(), 7);
    EXPECT_EQ(rows[2].fields[10], u"");  // the twelfth field is not a column
    EXPECT_TRUE(HidesNValueColumn(text));
    EXPECT_FALSE(HidesNValueColumn(u"//CONT=KX-LA\n"));
    EXPECT_EQ(ParseAlarmHistoryText(u"//only\n").size(), 0u);
}

TEST(AlarmHistoryText, CodeFieldAsHexadecimal)
{
    const std::pair<const char16_t*, int> rows[] = {{u" 5", 5}, {u"0F", 15}, {u"ff", 255}, {u"", -1},
                                                    {u"1G", -1}, {u"123", -1}, {u"-1", -1}};
    for (const auto& [field, code] : rows) {
        SCOPED_TRACE(CString(field).ToUtf8());
        AlarmHistoryRow row;
        row.fields[0] = field;
        EXPECT_EQ(row.Code(), code);
    }
}

TEST(AlarmHistoryFile, WrittenInTheCodePageWithCrLfAndReadBack)
{
    appfx::AnsiCodePageScope japanese(CP_SHIFT_JIS);
    appfx::TempDir dir;
    const CString path = dir.File("history.yveka");
    const CString text = u"//2024\n//CONT=KX-Q10\n 5\t過負荷\t\n";
    ASSERT_TRUE(SaveAlarmHistoryFile(path, text));
    EXPECT_EQ(appfx::Slurp(dir.Native("history.yveka")),
              "//2024\r\n//CONT=KX-Q10\r\n 5\t\x89\xDF\x95\x89\x89\xD7\t\r\n");
    CString back;
    ASSERT_TRUE(LoadAlarmHistoryFile(path, back));
    EXPECT_EQ(back, text);

    ASSERT_TRUE(SaveAlarmHistoryFile(path, u""));
    EXPECT_EQ(appfx::Slurp(dir.Native("history.yveka")), "");
}

TEST(AlarmHistoryFile, FailuresLeaveNothingHalfDone)
{
    appfx::TempDir dir;
    EXPECT_FALSE(SaveAlarmHistoryFile(dir.File("no-such-folder/history.yveka"), u"x\n"));
    EXPECT_FALSE(std::filesystem::exists(dir.Native("no-such-folder")));
    CString text = u"old";
    EXPECT_FALSE(LoadAlarmHistoryFile(dir.File("missing.yveka"), text));
    EXPECT_TRUE(text.IsEmpty());
}

TEST(AlarmHistoryFile, NameProposedFromTheTitle)
{
    EXPECT_EQ(AlarmFileNameFromTitle(u"Alarms - *Line 1: KX-Q10*"), u"Alarms - Line 1= KX-Q10");
    EXPECT_EQ(AlarmFileNameFromTitle(u""), u"");
}

}  // namespace

namespace {

TEST_F(WithTexts, HistoryReadFromTheController)
{
    ControllerData data = Header();
    data.paramSets.resize(1);
    data.FirstParamSet()->K(72) = 2;
    std::vector<AlarmRecord> stored(3);
    stored[0].code = 0x21;
    stored[0].position = 12345;
    stored[1].code = 0x05;
    const auto fromStore = [&](int index, AlarmRecord& out) {
        if (index > static_cast<int>(stored.size())) return AlarmQuery::Failed;
        out = stored[static_cast<std::size_t>(index - 1)];
        return AlarmQuery::Ok;
    };
    const AlarmHistoryRead read = ReadAlarmHistoryText(data, fromStore);
    EXPECT_FALSE(read.timedOut);
    EXPECT_EQ(read.recordCount, 2);
    const std::vector<AlarmHistoryRow> rows = ParseAlarmHistoryText(read.text);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].fields[3], u"123.45");
    EXPECT_TRUE(read.text.view().starts_with(u"//2"));
    EXPECT_NE(read.text.Find(u"//CONT=KX-Q10\n"), -1);

    // An empty history still makes a file of its header lines.
    const AlarmHistoryRead none = ReadAlarmHistoryText(data, [](int, AlarmRecord& out) {
        out.code = 0;
        return AlarmQuery::Ok;
    });
    EXPECT_EQ(none.recordCount, 0);
    EXPECT_FALSE(none.text.IsEmpty());

    const AlarmHistoryRead cut = ReadAlarmHistoryText(data, [](int index, AlarmRecord& out) {
        out.code = 0x21;
        return index < 3 ? AlarmQuery::Ok : AlarmQuery::TimedOut;
    });
    EXPECT_TRUE(cut.timedOut);
    EXPECT_TRUE(cut.text.IsEmpty());
}

}  // namespace
