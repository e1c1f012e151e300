#include "simulator/core/MotionList.h"

#include "SimFixtures.h"

#include <gtest/gtest.h>

namespace {

class MotionListTest : public ::testing::Test {
protected:
    simfx::SimulatorModule module{"ja"};
    MotionList list;

    void Type(int row, int column, const char16_t* text)
    {
        ASSERT_TRUE(list.SetCellText(row, column, CString(text)));
        ASSERT_TRUE(list.CommitCell(row, column, 2, u'.'));
    }
};

TEST_F(MotionListTest, ContinuousMotionStartsAtThePreviousEndAndLocksIt)
{
    ASSERT_TRUE(module.Loaded());
    ASSERT_EQ(list.Add(), MotionList::AddResult::kAdded);
    EXPECT_EQ(list.Row(1).name, CString(u"動作1"));
    EXPECT_EQ(list.Row(1).dwell, CString(u"0"));
    // Motion 2 waits for motion 1's start and end.
    EXPECT_EQ(list.Add(), MotionList::AddResult::kPreviousIncomplete);
    Type(1, kMotionStartColumn, u"P1");
    Type(1, kMotionEndColumn, u"P2");
    ASSERT_EQ(list.Add(), MotionList::AddResult::kAdded);
    EXPECT_EQ(list.Row(2).start, CString(u"P2"));
    EXPECT_TRUE(list.IsCellLocked(1, kMotionEndColumn));
    EXPECT_TRUE(list.IsContinuedEnd(1));
    EXPECT_TRUE(list.IsCellLocked(2, kMotionStartColumn));
    EXPECT_FALSE(list.IsCellLocked(2, kMotionEndColumn));
    EXPECT_FALSE(list.CanChangeMode());
    EXPECT_FALSE(list.SetMode(MotionMode::kIndividual));
    EXPECT_FALSE(list.SetCellText(1, kMotionEndColumn, CString(u"P5")));

    // Deleting motion 2 undoes all of it.
    ASSERT_TRUE(list.DeleteLast());
    EXPECT_FALSE(list.IsCellLocked(1, kMotionEndColumn));
    EXPECT_TRUE(list.CanChangeMode());
    EXPECT_TRUE(list.IsCellLocked(2, kMotionStartColumn));
}

TEST_F(MotionListTest, IndividualMotionsHaveTheirOwnStartAndTheListEndsAt255)
{
    ASSERT_TRUE(list.SetMode(MotionMode::kIndividual));
    for (int row = 1; row <= kMaxMotions; ++row) {
        ASSERT_EQ(list.Add(), MotionList::AddResult::kAdded) << row;
        EXPECT_EQ(list.Row(row).start, CString()) << row;
        EXPECT_EQ(list.EditKind(row, kMotionStartColumn), CellEditKind::kDecimal);
        Type(row, kMotionStartColumn, u"1");
        Type(row, kMotionEndColumn, u"P1");
    }
    EXPECT_EQ(list.Add(), MotionList::AddResult::kFull);
    EXPECT_EQ(list.Count(), kMaxMotions);
    EXPECT_TRUE(list.IsCellLocked(256, kMotionStartColumn));
    EXPECT_EQ(list.Row(256).name, CString());
}

TEST_F(MotionListTest, CommitNeedsAnEditAndAnUnlockedCell)
{
    ASSERT_EQ(list.Add(), MotionList::AddResult::kAdded);
    EXPECT_FALSE(list.CommitCell(1, kMotionDwellColumn, 2, u'.')) << "no edit waits";
    ASSERT_TRUE(list.SetCellText(1, kMotionDwellColumn, CString(u"40000")));
    EXPECT_FALSE(list.CommitCell(1, kMotionNameColumn, 2, u'.')) << "the name cell is locked";
    EXPECT_TRUE(list.CommitCell(1, kMotionDwellColumn, 2, u'.'));
    EXPECT_EQ(list.Row(1).dwell, CString(u"30000"));
    EXPECT_FALSE(list.CellEdited());
}

TEST(MotionCell, CommittedTextsAreClampedAndFormatted)
{
    const struct {
        const char* name;
        int column;
        const char16_t* typed;
        int decimals;
        char16_t separator;
        const char16_t* shown;
    } cases[] = {
        {"start above the range", kMotionStartColumn, u"12345.678", 2, u'.', u"9999.99"},
        {"start below the range, 3 decimals", kMotionStartColumn, u"-20000", 3, u'.', u"-9999.999"},
        {"start rounded to the decimals", kMotionStartColumn, u"12.345", 2, u'.', u"12.35"},
        {"a half rounds away from zero, not to even", kMotionStartColumn, u"0.125", 2, u'.', u"0.13"},
        {"a negative half too", kMotionStartColumn, u"-2.675", 2, u'.', u"-2.68"},
        {"dwell of a half", kMotionDwellColumn, u"12.5", 2, u'.', u"13"},
        {"start typed with a comma separator", kMotionStartColumn, u"12,5", 2, u',', u"12.50"},
        {"start naming a point stays", kMotionStartColumn, u"P12", 2, u'.', u"P12"},
        {"start of junk reads 0", kMotionStartColumn, u"abc", 2, u'.', u"0.00"},
        {"huge exponent clamps", kMotionStartColumn, u"1e999", 2, u'.', u"9999.99"},
        {"dwell above 30000", kMotionDwellColumn, u"40000", 2, u'.', u"30000"},
        {"dwell below 0", kMotionDwellColumn, u"-5", 2, u'.', u"0"},
        {"dwell minus sign alone", kMotionDwellColumn, u"-", 2, u'.', u"0"},
        {"end stays as typed", kMotionEndColumn, u"P3", 2, u'.', u"P3"},
        {"empty stays empty", kMotionStartColumn, u"", 2, u'.', u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(NormalizeMotionCell(c.column, CString(c.typed), c.decimals, c.separator), CString(c.shown));
    }
}

}  // namespace
