#include "simulator/core/PointDetailSettings.h"
#include "simulator/core/PointSpeeds.h"
#include "simulator/core/ResultDetail.h"

#include "SimFixtures.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(PointSpeeds, ConvertBetweenPercentAndUnits)
{
    std::array<PointRecord, kPointCount> points{};
    points[0] = simfx::MakePoint(1, 1, 0, 50, 40);
    points[1] = simfx::MakePoint(2, 1, 0, 100, 100, 100, 1);
    points[2] = simfx::MakePoint(3, 1, 0, 1, 1);
    RobotParameterSet params;
    params.K(44) = 40000;
    params.K(77) = 300;
    params.K(79) = 150;
    PointSpeeds speeds;
    speeds.Load(points);
    speeds.Convert(SpeedUnits::kPhysical, points, params);
    EXPECT_FLOAT_EQ(speeds.Speed(0), 20000.0f);
    EXPECT_FLOAT_EQ(speeds.Accel(0), 120.0f);
    EXPECT_FLOAT_EQ(speeds.Accel(1), 150.0f) << "the second limit for flag bit 0";
    EXPECT_FLOAT_EQ(speeds.Speed(3), 0.0f) << "empty slots stay 0";

    speeds.Set(2, 80000.0f, 0.5f);
    speeds.Convert(SpeedUnits::kPercent, points, params);
    EXPECT_FLOAT_EQ(speeds.Speed(0), 50.0f);
    EXPECT_FLOAT_EQ(speeds.Accel(0), 40.0f);
    EXPECT_FLOAT_EQ(speeds.Speed(2), 100.0f) << "held within 1..100";
    EXPECT_FLOAT_EQ(speeds.Accel(2), 1.0f);

    params.K(44) = 0;
    speeds.Convert(SpeedUnits::kPercent, points, params);
    EXPECT_FLOAT_EQ(speeds.Speed(0), 1.0f) << "no maximum: no division by zero";

    // Stored values are whole numbers, rounded half away from zero: a speed
    // typed as 0.29 with two decimals comes to 28.999998 in single precision
    // and must not be stored as 28.
    speeds.Set(0, 123.9f, -7.5f);
    speeds.Set(1, 0.29f * 100.0f, 33.5f);
    speeds.Store(points);
    EXPECT_EQ(points[0].s, 124);
    EXPECT_EQ(points[0].ac, -8);
    EXPECT_EQ(points[1].s, 29);
    EXPECT_EQ(points[1].ac, 34);
    EXPECT_EQ(points[3].s, 0);
    EXPECT_FLOAT_EQ(speeds.Speed(-1), 0.0f);
    EXPECT_FLOAT_EQ(speeds.Speed(kPointCount), 0.0f);
}

TEST(PointSpeeds, ClampToTheMaximumSpeed)
{
    std::array<PointRecord, kPointCount> points{};
    points[0] = simfx::MakePoint(1, 1, 0, 30000);
    points[1] = simfx::MakePoint(2, 1, 0, 50000);
    RobotParameterSet params;
    params.K(44) = 40000;
    PointSpeeds speeds;
    speeds.Load(points);
    EXPECT_EQ(speeds.ClampToMaximum(points, params), std::vector<int>{1});
    EXPECT_FLOAT_EQ(speeds.Speed(1), 40000.0f);
    EXPECT_FLOAT_EQ(speeds.Speed(0), 30000.0f);
}

TEST(PointData, PositionsAndModifiedTests)
{
    EXPECT_EQ(PositionDecimalsForCode(CString(u"V10")), 3);
    EXPECT_EQ(PositionDecimalsForCode(CString(u"Q10")), 2);
    EXPECT_EQ(PositionDecimalsForCode(CString(u"V1")), 2);

    std::array<PointRecord, kPointCount> points{};
    points[0] = simfx::MakePoint(1, 1, 1234);
    points[1] = simfx::MakePoint(2, 2, -15);
    points[2] = simfx::MakePoint(3, 1, 2000000000);
    RescalePositions(points, 2, 3);
    EXPECT_EQ(points[0].p, 12340);
    EXPECT_EQ(points[2].p, 2147483647) << "held within 32 bits";
    RescalePositions(points, 3, 2);
    EXPECT_EQ(points[0].p, 1234);
    EXPECT_EQ(points[1].p, -15);

    std::array<PointRecord, kPointCount> reference = points;
    EXPECT_FALSE(PointsModified(points, reference));
    points[1].c = 9;
    EXPECT_TRUE(PointsModified(points, reference));
    points[1].c = 0;
    points[1].t = 9;
    EXPECT_FALSE(PointsModified(points, reference)) << "field 13 is not compared";
    // An empty slot in both: the rest of it does not count.
    points[10].p = 5;
    EXPECT_FALSE(PointsModified(points, reference));
    reference[10].m = 1;
    EXPECT_TRUE(PointsModified(points, reference));

    RobotParameterSet a;
    RobotParameterSet b;
    EXPECT_FALSE(ParametersModified(a, b));
    b.H(7) = 1;
    EXPECT_TRUE(ParametersModified(a, b));
}

TEST(PointData, PointDetailChoices)
{
    const struct {
        const char* name;
        int flags;
        int decimals;
        const char16_t* code;
        int type;
        int optimisation;
        bool decimalsEnabled;
    } cases[] = {
        {"custom and on", 3, 2, u"Q05", 1, 0, false},
        {"standard and on", 2, 3, u"LPB", 0, 0, true},
        {"standard and off", 0, 2, u"Q05", 0, 1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const PointDetailSettings settings = PointDetailSettings::From(c.flags, c.decimals, CString(c.code));
        EXPECT_EQ(settings.pointType, c.type);
        EXPECT_EQ(settings.optimisation, c.optimisation);
        EXPECT_EQ(settings.decimalsEnabled, c.decimalsEnabled);
        EXPECT_EQ(settings.Flags(), c.flags) << "unchanged choices give the flags back";
        EXPECT_EQ(settings.Decimals(), c.decimals);
    }
    PointDetailSettings settings = PointDetailSettings::From(2, 2, CString());
    settings.optimisation = 1;
    EXPECT_EQ(settings.Flags(), 0);
}

MotionResult Result(double peak, double accel, double constant, double decel, double distance, int dwell)
{
    MotionResult r;
    r.peakSpeed = peak;
    r.accelTimeMs = accel;
    r.constTimeMs = constant;
    r.decelTimeMs = decel;
    r.totalTimeMs = std::trunc(accel + 0.5) + std::trunc(constant + 0.5) + std::trunc(decel + 0.5);
    r.accelDistance = distance / 4;
    r.constDistance = distance / 2;
    r.decelDistance = distance / 4;
    r.distance = distance;
    r.dwellMs = dwell;
    return r;
}

TEST(ResultDetail, TotalAndSingleMoves)
{
    simfx::SimulatorModule module("ja");
    const std::vector<MotionResult> results{Result(200, 100.4, 50.5, 100.4, 20.0004, 10),
                                            Result(500, 250, 0, 250, 62.5, 0)};
    EXPECT_EQ(ResultDetailItems(2, false),
              (std::vector<CString>{CString(u"TOTAL"), CString(u"動作1"), CString(u"動作2")}));
    EXPECT_EQ(ResultDetailItems(2, true), (std::vector<CString>{CString(u"動作1"), CString(u"動作2")}));

    const ResultDetailValues total = ComputeResultDetail(results, false, 0);
    EXPECT_DOUBLE_EQ(total.values[kDetailTotalTime], 251 + 10 + 500);
    EXPECT_DOUBLE_EQ(total.values[kDetailDistance], 82.500);
    EXPECT_DOUBLE_EQ(total.values[kDetailPeakSpeed], 500);
    EXPECT_DOUBLE_EQ(total.values[kDetailAcceleration], 2.0);
    EXPECT_DOUBLE_EQ(total.values[kDetailAccelerationG], 2.0 / 9.8);
    for (int field : {kDetailAccelTime, kDetailConstTime, kDetailDecelTime, kDetailAccelDistance,
                      kDetailConstDistance, kDetailDecelDistance}) {
        EXPECT_FALSE(total.enabled[field]) << field;
        EXPECT_TRUE(total.empty[field]) << field;
    }
    EXPECT_TRUE(total.enabled[kDetailTotalTime]);
    EXPECT_FALSE(total.enabled[kDetailRmsCurrent]) << "the current calculation is off";

    // Item 1 of the TOTAL view and item 0 of the single view are both move 1.
    const ResultDetailValues first = ComputeResultDetail(results, false, 1);
    const ResultDetailValues same = ComputeResultDetail(results, true, 0);
    for (int field = 0; field < kDetailFieldCount; ++field) EXPECT_EQ(first.values[field], same.values[field]);
    EXPECT_DOUBLE_EQ(first.values[kDetailAccelTime], 100);
    EXPECT_DOUBLE_EQ(first.values[kDetailConstTime], 51);
    EXPECT_DOUBLE_EQ(first.values[kDetailDistance], 20.000);
    EXPECT_DOUBLE_EQ(first.values[kDetailAccelDistance], 5.0001);
    EXPECT_TRUE(first.enabled[kDetailAccelTime]);

    const ResultDetailValues past = ComputeResultDetail(results, true, 5);
    EXPECT_DOUBLE_EQ(past.values[kDetailTotalTime], 0) << "an item past the list shows nothing";
}

}  // namespace
