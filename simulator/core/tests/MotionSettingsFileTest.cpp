#include "simulator/core/MotionSettingsFile.h"

#include "platform/core/Profile.h"

#include "SimFixtures.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

class MotionSettingsFileTest : public ::testing::Test {
protected:
    void Build(MotionMode mode, std::initializer_list<MotionEntry> entries)
    {
        MotionSettings settings;
        settings.mode = mode;
        settings.entries = entries;
        LoadMotionSettings(list, settings, 2, u'.');
    }

    simfx::SimulatorModule module{"ja"};
    simfx::TempDir dir;
    MotionList list;
};

TEST_F(MotionSettingsFileTest, WritesTheListAndReadsItBack)
{
    Build(MotionMode::kContinuous, {{u"P2", u"P3", u"0"}, {u"", u"P4", u"500"}, {u"", u"P1", u"20"}});
    ASSERT_EQ(list.Count(), 3);
    const CString path = dir.File("moves.mos");
    ASSERT_TRUE(WriteMotionSettingsFile(path, CString(u"1.2.2"), list));
    EXPECT_EQ(simfx::Slurp(dir.Native("moves.mos")),
              "[Motion Setting File]\r\nAppVer=1.2.2\r\n\r\n[Setting Data]\r\nMotionType=0\r\n"
              "MotionData1=P2,P3,0\r\nMotionData2=P3,P4,500\r\nMotionData3=P4,P1,20\r\n");

    MotionSettings read;
    ASSERT_EQ(ReadMotionSettingsFile(path, read), MotionFileStatus::kOk);
    MotionList loaded;
    LoadMotionSettings(loaded, read, 2, u'.');
    ASSERT_EQ(loaded.Count(), 3);
    for (int row = 1; row <= 3; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(loaded.Row(row), list.Row(row));
    }
}

TEST_F(MotionSettingsFileTest, AShorterListLeavesNoKeysOfTheLongerOneAndOtherSectionsStay)
{
    const CString path = dir.File("moves.mos");
    simfx::Spit(dir.Native("moves.mos"), "; kept\r\n[Notes]\r\nby=hand\r\n");
    Build(MotionMode::kIndividual, {{u"1", u"P1", u"0"}, {u"2", u"P2", u"0"}, {u"3", u"P3", u"0"}});
    ASSERT_TRUE(WriteMotionSettingsFile(path, CString(), list));
    Build(MotionMode::kIndividual, {{u"7.5", u"P9", u"100"}});
    ASSERT_TRUE(WriteMotionSettingsFile(path, CString(), list));
    const std::vector<CString> keys = platform::PrivateProfileKeys(kMotionDataSection, path);
    EXPECT_EQ(keys, (std::vector<CString>{CString(u"MotionType"), CString(u"MotionData1")}));
    EXPECT_EQ(platform::ReadPrivateProfileString(kMotionDataSection, u"MotionData1", u"", path),
              CString(u"7.50,P9,100"));
    EXPECT_EQ(platform::ReadPrivateProfileString(u"Notes", u"by", u"", path), CString(u"hand"));
    EXPECT_EQ(simfx::Slurp(dir.Native("moves.mos")).rfind("; kept\r\n", 0), 0u);
}

TEST_F(MotionSettingsFileTest, AFailedSaveLeavesTheOldFileWhole)
{
    const CString path = dir.File("moves.mos");
    Build(MotionMode::kContinuous, {{u"P1", u"P2", u"0"}});
    ASSERT_TRUE(WriteMotionSettingsFile(path, CString(u"1"), list));
    const std::string before = simfx::Slurp(dir.Native("moves.mos"));
    // A value the file cannot hold fails the save part way through its keys.
    ASSERT_TRUE(list.SetCellText(1, kMotionEndColumn, CString(u"P2\r\nMotionData9=x")));
    EXPECT_FALSE(WriteMotionSettingsFile(path, CString(u"2"), list));
    EXPECT_EQ(simfx::Slurp(dir.Native("moves.mos")), before);
    EXPECT_FALSE(WriteMotionSettingsFile(dir.File("no-such-folder/moves.mos"), CString(), list));
    // No scratch copy is left behind.
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 1);
}

TEST_F(MotionSettingsFileTest, UnreadableAndForeignFilesAreRefused)
{
    MotionSettings read;
    read.entries.push_back({u"P1", u"P2", u"0"});
    EXPECT_EQ(ReadMotionSettingsFile(dir.File("missing.mos"), read), MotionFileStatus::kUnreadable);
    simfx::Spit(dir.Native("foreign.mos"), std::string("\x89PNG\r\n\x1a\n\0\0\0", 11));
    EXPECT_EQ(ReadMotionSettingsFile(dir.File("foreign.mos"), read), MotionFileStatus::kUnreadable);
    EXPECT_EQ(read.entries.size(), 1u) << "a refused file hands nothing back";

    // A motion file without motions is a valid, empty list of its type.
    simfx::Spit(dir.Native("empty.mos"), "[Setting Data]\r\nMotionType=3\r\n");
    ASSERT_EQ(ReadMotionSettingsFile(dir.File("empty.mos"), read), MotionFileStatus::kOk);
    EXPECT_EQ(read.mode, MotionMode::kIndividual);
    EXPECT_TRUE(read.entries.empty());
}

TEST_F(MotionSettingsFileTest, ABadValueStopsAtItsRowAndAGapEndsTheList)
{
    simfx::Spit(dir.Native("bad.mos"),
                "[Motion Setting File]\r\nAppVer=whatever\r\n[Setting Data]\r\nMotionType=0\r\n"
                "MotionData1=12.5,P3,0\r\nMotionData2=12.5,P4,0\r\nMotionData3=P4,P5,0\r\n");
    MotionSettings read;
    int row = 0;
    EXPECT_EQ(ReadMotionSettingsFile(dir.File("bad.mos"), read, &row), MotionFileStatus::kInvalidValue);
    EXPECT_EQ(row, 2) << "a number starts only motion 1 of the continuous type";
    EXPECT_EQ(read.entries.size(), 1u);

    simfx::Spit(dir.Native("gap.mos"),
                "[Setting Data]\r\nMotionType=1\r\nMotionData1=1,P3,0\r\nMotionData3=2,P4,0\r\n");
    ASSERT_EQ(ReadMotionSettingsFile(dir.File("gap.mos"), read), MotionFileStatus::kOk);
    EXPECT_EQ(read.entries.size(), 1u);
}

TEST_F(MotionSettingsFileTest, AContinuedMotionNamingAnotherStartPointIsRefused)
{
    simfx::Spit(dir.Native("start.mos"),
                "[Setting Data]\r\nMotionType=0\r\n"
                "MotionData1=P2,P3,0\r\nMotionData2= P3 ,P4,0\r\nMotionData3=P7,P5,0\r\nMotionData4=P5,P6,0\r\n");
    MotionSettings read;
    int row = 0;
    EXPECT_EQ(ReadMotionSettingsFile(dir.File("start.mos"), read, &row), MotionFileStatus::kInvalidValue);
    EXPECT_EQ(row, 3) << "motion 3 would start at P4, not at the P7 the file names";
    EXPECT_EQ(read.entries.size(), 2u);

    // The individual type keeps every start as written.
    simfx::Spit(dir.Native("individual.mos"),
                "[Setting Data]\r\nMotionType=1\r\nMotionData1=P2,P3,0\r\nMotionData2=P7,P5,0\r\n");
    ASSERT_EQ(ReadMotionSettingsFile(dir.File("individual.mos"), read), MotionFileStatus::kOk);
    ASSERT_EQ(read.entries.size(), 2u);
    EXPECT_EQ(read.entries[1].start, CString(u"P7"));
}

TEST(MotionSettingsText, NumberTexts)
{
    const struct {
        const char16_t* text;
        bool decimals;
        bool accepted;
    } cases[] = {
        {u"0", false, true},     {u"+5", false, true},   {u"-", false, true},     {u"", false, false},
        {u"1.5", false, false},  {u"1.5", true, true},   {u".", true, true},      {u"1.2.3", true, false},
        {u" 100", false, false}, {u"10-", false, false}, {u"1,0", true, false},   {u"1e3", true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(CString(c.text).ToUtf8());
        EXPECT_EQ(IsNumberText(c.text, c.decimals), c.accepted);
    }
}

TEST(MotionSettingsText, PointFields)
{
    const struct {
        const char16_t* text;
        bool numberAllowed;
        bool accepted;
    } cases[] = {
        {u"P1", false, true},    {u"P255", false, true},  {u"P+5", false, true},   {u" P3 ", false, true},
        {u"P256", false, false}, {u"P0", false, false},   {u"p2", false, false},   {u"P1000", false, false},
        {u"P", false, false},    {u"P-1", false, false},  {u"P1.5", false, false}, {u"12.5", false, false},
        {u"12.5", true, true},   {u"-3", true, true},     {u"", true, false},      {u"P0", true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(CString(c.text).ToUtf8());
        EXPECT_EQ(CheckPointField(CString(c.text), c.numberAllowed), c.accepted);
    }
}

TEST(MotionSettingsText, MotionDataValues)
{
    const struct {
        const char* name;
        int row;
        MotionMode mode;
        const char16_t* value;
        bool accepted;
    } cases[] = {
        {"number start in row 1, continuous", 1, MotionMode::kContinuous, u"12.5,P3,0", true},
        {"number start in row 2, continuous", 2, MotionMode::kContinuous, u"12.5,P3,0", false},
        {"number start in row 2, individual", 2, MotionMode::kIndividual, u"12.5,P3,0", true},
        {"dwell with decimals", 1, MotionMode::kIndividual, u"P1,P2,1.5", false},
        {"dwell with a leading blank", 1, MotionMode::kIndividual, u"P1,P2, 100", false},
        {"dwell of a minus sign", 1, MotionMode::kIndividual, u"P1,P2,-", true},
        {"a third comma", 1, MotionMode::kIndividual, u"P1,P2,0,0", false},
        {"too short", 1, MotionMode::kIndividual, u"P1,", false},
        {"one comma", 1, MotionMode::kIndividual, u"P1,P2", false},
        {"blanks around points", 1, MotionMode::kIndividual, u" P1 , P2 ,0", true},
        {"end as a number", 1, MotionMode::kIndividual, u"P1,12,0", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MotionEntry entry;
        EXPECT_EQ(ParseMotionData(c.row, CString(c.value), c.mode, entry), c.accepted);
    }
    MotionEntry entry;
    ASSERT_TRUE(ParseMotionData(2, CString(u" P3 , P4 ,7"), MotionMode::kContinuous, entry));
    EXPECT_EQ(entry, (MotionEntry{CString(), CString(u"P4"), CString(u"7")}))
        << "a continued motion's start comes from the motion before";
}

}  // namespace
