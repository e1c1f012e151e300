#include "tools/TraceTargetTable.h"
#include "tools/tests/ToolsTestSupport.h"

#include "tests/support/ScriptedMessageBox.h"

#include <gtest/gtest.h>

namespace {

using namespace toolstest;

TEST(TraceTargetTableTest, TheK72ScaleIsAPowerOfTen)
{
    struct Case {
        std::int32_t k72;
        double scale;
    };
    for (const Case& c : {Case{0, 1.0}, Case{1, 0.1}, Case{3, 0.001}, Case{6, 1e-6}, Case{-2, 100.0}}) {
        SCOPED_TRACE(c.k72);
        EXPECT_DOUBLE_EQ(K72Scale(c.k72), c.scale);
    }
    EXPECT_EQ(K72Scale(100000), 0.0) << "beyond a double: no scale, never a fault";
}

TEST(TraceTargetTableTest, LoadsTheTablesOfTheControllerTypeFromTheLanguageModule)
{
    ScriptedMessageBox boxes;
    ScopedTestLanguage language("en");
    ASSERT_TRUE(language.Loaded());

    CTraceTargetTable table;
    ASSERT_EQ(table.Load(u"LB", 3), CTraceTargetTable::Result::Ok);
    ASSERT_EQ(table.Rows().size(), 3u) << "comments, empty lines and what follows EOD are not rows";
    const TraceTargetRow& position = table.Rows()[0];
    EXPECT_EQ(position.strName, CString(u"Position"));
    EXPECT_EQ(position.nLowerLimit, -100000);
    EXPECT_DOUBLE_EQ(position.dScale, 0.001) << "K72 = 3";
    const TraceTargetRow& inputs = table.Rows()[1];
    EXPECT_EQ(inputs.nBitCount, 8);
    EXPECT_EQ(CTraceTargetTable::UnitText(inputs), CString());
    EXPECT_EQ(CTraceTargetTable::BitEntryText(inputs, 0), CString(u"0: Start"));
    EXPECT_EQ(CTraceTargetTable::BitEntryText(inputs, 1), CString(u"1: Hold")) << "an empty name adds nothing";
    EXPECT_EQ(CTraceTargetTable::BitEntryText(inputs, 3), CString(u"3: Bit 3"));
    EXPECT_EQ(CTraceTargetTable::BitEntryText(inputs, 7), CString(u"7: Bit 7"));
    EXPECT_EQ(CTraceTargetTable::LabelText(inputs, 2), CString(u"Inputs: Reset"));
    EXPECT_EQ(CTraceTargetTable::LabelText(position, 0), CString(u"Position"));
    EXPECT_DOUBLE_EQ(table.Rows()[2].dScale, 0.1);

    struct Select {
        const char* name;
        std::int32_t target;
        std::int32_t bit;
        int row;
        std::int32_t selectedBit;
    };
    const Select selections[] = {
        {"a data target", 3, 5, 2, 0},
        {"a bit inside the target", 2, 7, 1, 7},
        {"a bit beyond the target's bits", 2, 9, 0, 0},
        {"an unknown target", 42, 0, 0, 0},
    };
    for (const Select& s : selections) {
        SCOPED_TRACE(s.name);
        std::int32_t bit = -1;
        EXPECT_EQ(table.SelectRow(s.target, s.bit, bit), s.row);
        EXPECT_EQ(bit, s.selectedBit);
    }

    ASSERT_EQ(table.Load(u"KX-LB3", 2), CTraceTargetTable::Result::Ok);
    ASSERT_EQ(table.Rows().size(), 2u);
    EXPECT_EQ(table.Rows()[0].strName, CString(u"Current"));
    EXPECT_EQ(CTraceTargetTable::BitEntryText(table.Rows()[1], 1), CString(u"1: Bit 1")) << "a NULL name";
    EXPECT_EQ(CTraceTargetTable::BitEntryText(table.Rows()[1], 2), CString(u"2: Overheat"));
    ASSERT_EQ(table.Load(u"N3", 2), CTraceTargetTable::Result::Ok);
    EXPECT_EQ(table.Rows()[0].nNumber, 1);
    EXPECT_EQ(table.Rows()[0].nUpperLimit, 3000);
}

TEST(TraceTargetTableTest, LimitsMayNameTheControllersParameters)
{
    // The travel of the connected axis, its soft limits K1 and K2.
    const CTraceTargetTable::Parameters axis{{1, -300}, {2, 30000}};
    const std::string data = "1,Position,mm,0,K1,K2,K72\r\n2,Speed,mm/s,0,-5000,5000,K72\r\n3,Load,%,0,k1,K7,1\r\n";
    CTraceTargetTable table;
    ASSERT_EQ(table.Parse(data, "", 2, axis), CTraceTargetTable::Result::Ok);
    ASSERT_EQ(table.Rows().size(), 3u);
    EXPECT_EQ(table.Rows()[0].nLowerLimit, -300);
    EXPECT_EQ(table.Rows()[0].nUpperLimit, 30000);
    EXPECT_EQ(table.Rows()[1].nLowerLimit, -5000) << "numbers stand as they are";
    EXPECT_EQ(table.Rows()[2].nLowerLimit, -300);
    EXPECT_EQ(table.Rows()[2].nUpperLimit, 1000) << "a parameter not read keeps the default";
    // Without the controller (a trace file shown), the defaults.
    ASSERT_EQ(table.Parse(data, "", 2), CTraceTargetTable::Result::Ok);
    EXPECT_EQ(table.Rows()[0].nLowerLimit, -1000);
    EXPECT_EQ(table.Rows()[0].nUpperLimit, 1000);
}

TEST(TraceTargetTableTest, AShortLineOrAMissingTableIsRefused)
{
    CTraceTargetTable table;
    EXPECT_EQ(table.Parse("1,Position,mm,0,-100,100\r\n", "", 2), CTraceTargetTable::Result::Malformed);
    EXPECT_EQ(table.Parse("1,Position,,0,-100,100,1\r\n", "", 2), CTraceTargetTable::Result::Malformed);
    EXPECT_EQ(table.Parse("1,Position,mm,0,-100,100,1\n2,Speed,mm/s,0,-5,5,2\n", "", 2),
              CTraceTargetTable::Result::Ok)
        << "LF alone ends a line too";
    EXPECT_EQ(table.Rows().size(), 2u);

    ScopedEnv english("QV_LANG", "en");
    EXPECT_EQ(table.Load(u"LB", 2), CTraceTargetTable::Result::Missing) << "the program's own module has no tables";
    EXPECT_TRUE(table.Rows().empty());
    std::int32_t bit = 0;
    EXPECT_EQ(table.SelectRow(1, 0, bit), -1);
}

}  // namespace
