#include "simulator/core/ServoParameters.h"

#include "resources/simulator/pellarun_ids.h"

#include "SimFixtures.h"

#include <gtest/gtest.h>

namespace {

RobotTableEntry Entry(std::int32_t threshold, std::initializer_list<RobotTablePair> pairs)
{
    RobotTableEntry entry;
    entry.value = threshold;
    entry.pairs = pairs;
    entry.pairCount = static_cast<std::uint8_t>(entry.pairs.size());
    return entry;
}

RobotTableRecord StrokeTable()
{
    RobotTableRecord table;
    table.entries = {Entry(0, {{44, 80000}, {9, 100}}), Entry(100000, {{44, 60000}}), Entry(200000, {{44, 40000}, {0, 5}, {200, 6}})};
    table.entryCount = 3;
    return table;
}

TEST(ServoParameters, StrokeTableEntryByThreshold)
{
    const RobotTableRecord table = StrokeTable();
    const struct {
        const char* name;
        double strokeMm;
        std::int32_t k44;
    } cases[] = {
        {"below the second threshold", 99.999, 80000},
        {"on the second threshold", 100.0, 60000},
        {"between", 150.5, 60000},
        {"beyond the last", 5000.0, 40000},
        // Thresholds compare unsigned: a negative stroke counts as huge.
        {"negative", -1.0, 40000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RobotParameterSet params;
        ApplyStrokeTable(table, c.strokeMm, params);
        EXPECT_EQ(params.K(44), c.k44);
    }
    RobotParameterSet params;
    params.values.fill(7);
    ApplyStrokeTable(RobotTableRecord(), 100.0, params);
    EXPECT_EQ(params.K(44), 7) << "an empty table sets nothing";
    // Items naming no parameter are skipped, the others applied.
    ApplyStrokeTable(table, 300.0, params);
    EXPECT_EQ(params.K(44), 40000);
    for (int i = 0; i < kParamCount; ++i) {
        if (i != 43) {
            EXPECT_EQ(params.values[static_cast<std::size_t>(i)], 7) << i;
        }
    }
}

TEST(ServoParameters, StrokeAndMassCommits)
{
    RobotParameterSet params;
    params.K(72) = 3;
    CommitStroke(123.4567, params);
    EXPECT_EQ(params.K(43), 123457);
    EXPECT_EQ(params.K(2), 123457);
    params.K(72) = 2;
    CommitStroke(50.0, params);
    EXPECT_EQ(params.K(2), 5000);
    // Rounded half away from zero, never cut: binary leaves 1.001 x 1000 and
    // 4.35 x 100 just below the whole numbers.
    const struct {
        double stroke;
        int decimals;
        std::int32_t k43;
        std::int32_t k2;
    } strokes[] = {
        {1.001, 2, 1001, 100},
        {4.35, 2, 4350, 435},
        {0.0005, 3, 1, 1},
        {100.1, 3, 100100, 100100},
        {12.345, 2, 12345, 1235},
    };
    for (const auto& c : strokes) {
        SCOPED_TRACE(c.stroke);
        params.K(72) = c.decimals;
        CommitStroke(c.stroke, params);
        EXPECT_EQ(params.K(43), c.k43);
        EXPECT_EQ(params.K(2), c.k2);
    }

    params.K(48) = 300;  // base 3.00 m/s^2
    params.K(49) = 50;
    params.K(50) = 1;
    params.K(55) = 5;
    params.K(56) = -2;
    params.K(57) = 2;
    params.K(58) = 0;
    params.K(77) = 111;
    MotionLibrary unbound;
    EXPECT_FALSE(CommitCarriedMass(1, 12, unbound, params));
    EXPECT_EQ(params.K(76), 12);
    EXPECT_EQ(params.K(77), 111) << "without the library the limit keeps its value";

    MotionLibrary real;
    ASSERT_TRUE(real.Load());
    EXPECT_TRUE(CommitCarriedMass(2, 12, real, params));
    EXPECT_EQ(params.K(78), 12);
    EXPECT_EQ(params.K(79), DllAccCalc(12, 300, 50, 1, 5, -2, 2, 0));
    EXPECT_EQ(params.K(77), 111);
    EXPECT_EQ(LargestMass(CString(u"12"), CString(u"30")), 30);
}

TEST(ServoParameters, SpeedLimitOfTheHeavierMass)
{
    simfx::SimulatorModule module("ja");
    RobotTableRecord payload;
    payload.entries = {Entry(0, {{1, 50000}}), Entry(10, {{1, 40000}, {1, 30000}}), Entry(20, {})};
    const struct {
        const char* name;
        int mass;
        int override;
        int k44;
        bool over;
        int percent;
        const char16_t* text;
    } cases[] = {
        {"limit 300 of 500 at 100 %", 15, 100, 50000, true, 60, u"（搬送質量による速度制限： 60%(300.00mm/s)）"},
        {"the same at 50 %", 15, 50, 50000, false, 60, u"（搬送質量による速度制限： なし）"},
        {"a limit equal to the maximum", 0, 100, 50000, false, 0, u"（搬送質量による速度制限： なし）"},
        {"an entry without items limits to 0", 25, 100, 50000, true, 0, u"（搬送質量による速度制限： 0%(0.00mm/s)）"},
        {"no maximum speed", 15, 100, 99, false, 0, u"（搬送質量による速度制限： なし）"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RobotParameterSet params;
        params.K(9) = c.override;
        params.K(44) = c.k44;
        const SpeedLimit limit = ComputeSpeedLimit(&payload, c.mass, params);
        EXPECT_EQ(limit.overLimit, c.over);
        EXPECT_EQ(limit.percent, c.percent);
        EXPECT_EQ(limit.text, CString(c.text));
    }
    RobotParameterSet params;
    params.K(9) = 100;
    params.K(44) = 50000;
    EXPECT_EQ(ComputeSpeedLimit(nullptr, 15, params).text, CString());
    const RobotTableRecord empty;
    const SpeedLimit none = ComputeSpeedLimit(&empty, 15, params);
    EXPECT_EQ(none.text, CString()) << "an empty table counts as no table";
    EXPECT_FALSE(none.overLimit);
}

TEST(ServoParameters, MissingTableFiles)
{
    simfx::TempDir dir;
    EXPECT_EQ(MissingTableFileMessages(CString::FromUtf8(dir.Path().string())),
              (std::vector<UINT>{IDS_NO_STROKE_FILE, IDS_NO_PAYLOAD_FILE}));
    simfx::Spit(dir.Native("Other.RID2"), "x");
    EXPECT_EQ(MissingTableFileMessages(CString::FromUtf8(dir.Path().string())),
              (std::vector<UINT>{IDS_NO_PAYLOAD_FILE}));
    simfx::Spit(dir.Native("YvekInitParameter.rid3"), "x");
    EXPECT_TRUE(MissingTableFileMessages(CString::FromUtf8(dir.Path().string())).empty());
}

// The bindings read what the library itself gives for the installed database.
TEST(ServoParameters, DatabaseTablesAndRobotNames)
{
    CString all;
    ASSERT_GT(Tarnwell_GetRobotNames(-1, &all), 0);
    std::vector<CString> names{CString(u"untouched")};
    ASSERT_TRUE(LoadRobotNames(-1, names));
    ASSERT_FALSE(names.empty());
    CString joined;
    for (const CString& name : names) joined += name + u"\n";
    EXPECT_EQ(joined, all);

    for (const RobotTableKind kind : {RobotTableKind::kStroke, RobotTableKind::kPayload}) {
        SCOPED_TRACE(kind == RobotTableKind::kStroke ? "stroke" : "payload");
        RobotTableRecord expected;
        const int result = kind == RobotTableKind::kStroke ? Tarnwell_GetStrokeData(names.front(), &expected)
                                                           : Tarnwell_GetPayloadData(names.front(), &expected);
        ASSERT_EQ(result, kTarnwellOk) << "the first robot of the installed database has both tables";
        ASSERT_FALSE(expected.entries.empty());
        RobotTableRecord table;
        EXPECT_TRUE(LoadRobotTable(kind, names.front(), table));
        ASSERT_EQ(table.entries.size(), expected.entries.size());
        for (std::size_t i = 0; i < table.entries.size(); ++i) {
            EXPECT_EQ(table.entries[i].value, expected.entries[i].value);
            ASSERT_EQ(table.entries[i].pairs.size(), expected.entries[i].pairs.size());
        }
        // An unknown robot or a missing library leaves an empty table.
        EXPECT_FALSE(LoadRobotTable(kind, CString(u"NO SUCH ROBOT"), table));
        EXPECT_TRUE(table.entries.empty());
        table = expected;
        EXPECT_FALSE(LoadRobotTable(kind, names.front(), table, u"NoSuchLibrary.dll"));
        EXPECT_TRUE(table.entries.empty());
    }
    EXPECT_FALSE(LoadRobotNames(-1, names, u"NoSuchLibrary.dll"));
    EXPECT_EQ(joined.IsEmpty(), names.empty()) << "names stay as they were";
}

}  // namespace
