#include "simulator/core/MoveRun.h"

#include "simulator/core/DecimalText.h"
#include "simulator/core/ResultDetail.h"

#include "resources/simulator/pellarun_ids.h"

#include "SimFixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

// A motion library whose DllVpCalc records its arguments and answers with a
// profile that is easy to check: the times come from the distance.
struct RecordedCall {
    std::int32_t mode;
    float start;
    float end;
    float distance;
    float speed;
    float acceleration;
    std::int32_t decelPercent;
    std::int32_t driveConstant;
    std::int32_t limitSelector;
};
std::vector<RecordedCall> g_calls;

std::int32_t RecordingVpCalc(std::int32_t mode, std::int32_t start, std::int32_t end, float distance, float speed,
                             float acceleration, std::int32_t decelPercent, std::int32_t driveConstant,
                             std::int32_t limitSelector, VpCalcResult* result)
{
    g_calls.push_back({mode, std::bit_cast<float>(start), std::bit_cast<float>(end), distance, speed, acceleration,
                       decelPercent, driveConstant, limitSelector});
    *result = VpCalcResult{};
    result->peakSpeed = speed;
    result->totalTimeMs = std::round(distance * 10.0);
    result->distance = distance;
    return 0;
}
float ZeroRamp(float, std::int32_t, std::int32_t) { return 0.0f; }
std::int32_t ZeroAcc(std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                     std::int32_t)
{
    return 0;
}
CString NoVersion() { return CString(); }

class MoveRunTest : public ::testing::Test {
protected:
    MoveRunTest()
    {
        g_calls.clear();
        params.K(9) = 100;
        params.K(42) = 20;
        params.K(44) = 50000;  // 500 mm/s
        params.K(71) = 2;      // standard units, calculation mode 1
        params.K(72) = 2;
        params.K(76) = 5;
        params.K(77) = 300;    // 3.00 m/s^2
        params.K(78) = 10;
        params.K(79) = 150;
        Put(simfx::MakePoint(1, 1, 5000, 100, 100, 80));        // ABS 50.00
        Put(simfx::MakePoint(2, 2, -2000, 50, 50, 100, 1));     // INC -20.00, second limits
        Put(simfx::MakePoint(3, 1, 10000));                     // ABS 100.00
        Put(simfx::MakePoint(4, 1, 10000));                     // ABS 100.00
        speeds.Load(points);
        library.Use({&RecordingVpCalc, &ZeroRamp, &ZeroRamp, &ZeroAcc, &NoVersion});
    }
    ~MoveRunTest() override { g_calls.clear(); }

    void Put(const PointRecord& point) { points[static_cast<std::size_t>(point.number - 1)] = point; }
    MoveSource Source() const { return MoveSource{points, params, speeds, PositionDecimals(params.K(72))}; }
    void AddMotion(const char16_t* start, const char16_t* end, const char16_t* dwell = u"0")
    {
        ASSERT_EQ(list.Add(), MotionList::AddResult::kAdded);
        const int row = list.Count();
        if (!list.IsCellLocked(row, kMotionStartColumn)) list.SetCellText(row, kMotionStartColumn, CString(start));
        list.SetCellText(row, kMotionEndColumn, CString(end));
        list.SetCellText(row, kMotionDwellColumn, CString(dwell));
    }

    simfx::SimulatorModule module{"ja"};
    std::array<PointRecord, kPointCount> points{};
    RobotParameterSet params;
    PointSpeeds speeds;
    MotionList list;
    MotionLibrary library;
};

TEST_F(MoveRunTest, IncrementalEndMovesFromTheStart)
{
    AddMotion(u"P1", u"P2");
    MoveInput input;
    MoveCheckError error;
    ASSERT_TRUE(BuildMotion(Source(), list, 1, input, error));
    EXPECT_FLOAT_EQ(input.startMm, 50.0f);
    EXPECT_FLOAT_EQ(input.endMm, 30.0f);
    EXPECT_FLOAT_EQ(input.distanceMm, 20.0f);
    EXPECT_EQ(input.mode, 1);
    EXPECT_EQ(input.driveConstant, 20);
    EXPECT_EQ(input.limitSelector, 1);
    EXPECT_EQ(input.decelPercent, 100);
    // Standard units: 500 mm/s x 50 % x 100 % override; acceleration 50 % of K79.
    EXPECT_FLOAT_EQ(input.speed, 250.0f);
    EXPECT_FLOAT_EQ(input.acceleration, 750.0f);
}

TEST_F(MoveRunTest, TypedStartAndIncrementalStartFromThePreviousEnd)
{
    ASSERT_TRUE(list.SetMode(MotionMode::kIndividual));
    AddMotion(u"12.5", u"P3");
    AddMotion(u"P2", u"P1");  // P2 is incremental: it starts where motion 1 ended
    MoveInput input;
    MoveCheckError error;
    ASSERT_TRUE(BuildMotion(Source(), list, 1, input, error));
    EXPECT_FLOAT_EQ(input.startMm, 12.5f);
    EXPECT_FLOAT_EQ(input.distanceMm, 87.5f);
    EXPECT_EQ(input.decelPercent, 100);
    ASSERT_TRUE(BuildMotion(Source(), list, 2, input, error));
    EXPECT_FLOAT_EQ(input.startMm, 100.0f);
    EXPECT_FLOAT_EQ(input.endMm, 50.0f);
    EXPECT_FLOAT_EQ(input.distanceMm, 50.0f);
    EXPECT_EQ(input.decelPercent, 80);
    EXPECT_EQ(input.limitSelector, 0);
}

TEST_F(MoveRunTest, ThreeDecimalsAndCustomUnits)
{
    params.K(72) = 3;
    params.K(71) = 1;  // custom units, no calculation mode 1
    params.K(9) = 50;
    Put(simfx::MakePoint(5, 1, 12345, 12345, 400));  // 12.345 mm, 123.45 mm/s, 4.00 m/s^2
    speeds.Load(points);
    AddMotion(u"0", u"P5");
    MoveInput input;
    MoveCheckError error;
    ASSERT_TRUE(BuildMotion(Source(), list, 1, input, error));
    EXPECT_FLOAT_EQ(input.endMm, 12.345f);
    EXPECT_EQ(input.mode, 0);
    EXPECT_FLOAT_EQ(input.speed, 0.5f * 123.45f);
    // Above the point's limit K77 (3.00 m/s^2) the acceleration is held to it.
    EXPECT_FLOAT_EQ(input.acceleration, 3000.0f);
}

TEST_F(MoveRunTest, CheckFailuresNameMotionColumnAndPoint)
{
    const struct {
        const char* name;
        const char16_t* start;
        const char16_t* end;
        int type;
        int column;
        int point;
    } cases[] = {
        {"no start", u"", u"P1", MoveCheckError::kStartNotSet, 1, 0},
        {"start point empty slot", u"P9", u"P1", MoveCheckError::kStartMissing, 1, 9},
        {"start point 0", u"P0", u"P1", MoveCheckError::kStartMissing, 1, 0},
        {"start point beyond the table", u"P300", u"P1", MoveCheckError::kStartMissing, 1, 300},
        {"start P alone", u"P", u"P1", MoveCheckError::kStartMissing, 1, 0},
        {"incremental start without a motion before", u"P2", u"P1", MoveCheckError::kStartNoPrevious, 1, 2},
        {"no end", u"P1", u"", MoveCheckError::kEndNotSet, 2, 0},
        {"end naming no point", u"P1", u"12.5", MoveCheckError::kEndNotSet, 2, 0},
        {"end point empty slot", u"P1", u"P9", MoveCheckError::kEndMissing, 2, 9},
        {"end point beyond the table", u"P1", u"P256", MoveCheckError::kEndMissing, 2, 256},
        {"no travel", u"P3", u"P4", MoveCheckError::kNoTravel, 2, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        list.Clear();
        ASSERT_TRUE(list.SetMode(MotionMode::kIndividual));
        AddMotion(c.start, c.end);
        MoveInput input;
        MoveCheckError error;
        EXPECT_FALSE(BuildMotion(Source(), list, 1, input, error));
        EXPECT_EQ(error.Type(), c.type);
        EXPECT_EQ(error.Motion(), 1);
        EXPECT_EQ(error.Column(), c.column);
        EXPECT_EQ(error.Point(), c.point);
    }
}

TEST_F(MoveRunTest, CheckMessagesInBothForms)
{
    const struct {
        const char* name;
        int type;
        int motion;
        int point;
        const char16_t* longForm;
        const char16_t* shortForm;
    } cases[] = {
        {"start missing", MoveCheckError::kStartMissing, 2, 9, u"動作2の出発点P9がありません。", u"出発点P9がありません。"},
        {"no travel", MoveCheckError::kNoTravel, 3, 4, u"動作3の移動量が0mmです。", u"移動量が0mmです。"},
        {"end not set", MoveCheckError::kEndNotSet, 1, 0, u"動作1の到着点が設定されていません。",
         u"到着点が設定されていません。"},
        {"none", MoveCheckError::kNone, 0, 0, u"Error data is not settings.", u"Error data is not settings."},
        {"unknown type", 99, 1, 1, u"99: Error type is Nothing.", u"99: Error type is Nothing."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MoveCheckError error;
        error.Set(c.type, c.motion, 1, c.point);
        EXPECT_EQ(error.Message(false), CString(c.longForm));
        EXPECT_EQ(error.Message(true), CString(c.shortForm));
    }
}

TEST_F(MoveRunTest, RunFillsResultsOnlyWhenEveryMotionPasses)
{
    AddMotion(u"P1", u"P3", u"500");
    AddMotion(u"", u"P2", u"0");  // continuous: starts at P3 (100) and goes back 20
    std::vector<MotionResult> results;
    MoveCheckError error;
    std::vector<int> told;
    ASSERT_EQ(RunMotions(Source(), list, library, results, error, [&](int m) { told.push_back(m); }), RunOutcome::kOk);
    EXPECT_EQ(told, (std::vector<int>{1, 2}));
    ASSERT_EQ(results.size(), 2u);
    ASSERT_EQ(g_calls.size(), 2u);
    EXPECT_FLOAT_EQ(g_calls[0].start, 50.0f);
    EXPECT_FLOAT_EQ(g_calls[0].end, 100.0f);
    EXPECT_FLOAT_EQ(g_calls[1].start, 100.0f);
    EXPECT_FLOAT_EQ(g_calls[1].end, 80.0f);
    EXPECT_EQ(results[0].dwellMs, 500);
    EXPECT_EQ(results[0].currentParameter, 5);
    EXPECT_EQ(results[1].currentParameter, 10);
    EXPECT_EQ(results[1].limitSelector, 1);
    EXPECT_DOUBLE_EQ(results[0].totalTimeMs, 500.0);

    // A run that fails at motion 2 keeps the last good results.
    const std::vector<MotionResult> before = results;
    points[1].Clear();
    EXPECT_EQ(RunMotions(Source(), list, library, results, error), RunOutcome::kCheckFailed);
    EXPECT_EQ(results, before);
    EXPECT_EQ(error.Motion(), 2);
    EXPECT_EQ(error.Type(), MoveCheckError::kEndMissing);

    MotionLibrary unbound;
    Put(simfx::MakePoint(2, 2, -2000));
    EXPECT_EQ(RunMotions(Source(), list, unbound, results, error), RunOutcome::kNoLibrary);
    EXPECT_EQ(results, before);
    EXPECT_EQ(RunMotions(Source(), MotionList(), library, results, error), RunOutcome::kNoMotion);
    EXPECT_EQ(results, before);
}

std::vector<MotionResult> TwoResults()
{
    MotionResult a;
    a.totalTimeMs = 100;
    a.dwellMs = 50;
    a.distance = 0.0005;  // less than a micrometre
    MotionResult b;
    b.totalTimeMs = 300.4;
    b.distance = 20.0;
    return {a, b};
}

TEST_F(MoveRunTest, ResultTableWithAndWithoutTotal)
{
    const std::vector<ResultTableRow> continuous = BuildResultTable(TwoResults(), MotionMode::kContinuous, 2);
    ASSERT_EQ(continuous.size(), 3u);
    EXPECT_TRUE(continuous[0].total);
    EXPECT_EQ(continuous[0].row, 1);
    EXPECT_EQ(continuous[0].label, CString(u"TOTAL"));
    EXPECT_EQ(continuous[0].time, CString(u"450"));
    EXPECT_EQ(continuous[0].distance, CString(u"20.00"));
    EXPECT_EQ(continuous[0].current, CString(u"0.00"));
    EXPECT_EQ(continuous[1].row, 2);
    EXPECT_EQ(continuous[1].label, CString(u"動作1"));
    EXPECT_EQ(continuous[1].time, CString(u"150"));
    EXPECT_EQ(continuous[1].distance, CString(u"0.00"));
    EXPECT_EQ(continuous[1].back, kResultEvenRowColour);
    EXPECT_EQ(continuous[2].back, kResultOddRowColour);

    const std::vector<ResultTableRow> individual = BuildResultTable(TwoResults(), MotionMode::kIndividual, 3);
    ASSERT_EQ(individual.size(), 2u);
    EXPECT_EQ(individual[0].row, 1);
    EXPECT_EQ(individual[0].label, CString(u"動作1"));
    EXPECT_EQ(individual[0].back, kResultOddRowColour);
    EXPECT_EQ(individual[1].distance, CString(u"20.000"));
}

TEST_F(MoveRunTest, TheTotalRoundsLikeTheDetailAndHalvesGoAwayFromZero)
{
    MotionResult a;
    a.totalTimeMs = 12.5;
    a.distance = 100.1;  // 100.1 x 1000 lands just below 100100 in binary
    MotionResult b;
    b.totalTimeMs = 0.5;
    b.distance = 0.0005;  // half a micrometre
    const std::vector<MotionResult> results{a, b};
    const std::vector<ResultTableRow> rows = BuildResultTable(results, MotionMode::kContinuous, 3);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1].time, CString(u"13")) << "12.5 ms, not the even 12";
    EXPECT_EQ(rows[2].time, CString(u"1"));
    EXPECT_EQ(rows[1].distance, CString(u"100.100"));
    EXPECT_EQ(rows[2].distance, CString(u"0.001"));
    EXPECT_EQ(rows[0].time, CString(u"13"));
    EXPECT_EQ(rows[0].distance, CString(u"100.101"));
    // The result detail's total distance is the same number.
    const ResultDetailValues detail = ComputeResultDetail(results, false, 0, false);
    CString detailDistance;
    detailDistance.Format(u"%.3f", detail.values[kDetailDistance]);
    EXPECT_EQ(detailDistance, rows[0].distance);
}

TEST_F(MoveRunTest, ASpeedOrAccelerationOfZeroIsRefusedWithAMessage)
{
    AddMotion(u"P1", u"P3");
    struct Case {
        const char* name;
        float speed;
        float accel;
        std::int32_t type;
        const char16_t* message;
    };
    const Case cases[] = {
        {"no speed", 0.0f, 100.0f, MoveCheckError::kNoSpeed, u"動作1の到着点P3の速度が0です。"},
        {"no acceleration", 100.0f, 0.0f, MoveCheckError::kNoAcceleration, u"動作1の到着点P3の加速度が0です。"},
        {"a negative speed", -5.0f, 100.0f, MoveCheckError::kNoSpeed, u"動作1の到着点P3の速度が0です。"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        speeds.Set(2, c.speed, c.accel);
        MoveInput input;
        MoveCheckError error;
        EXPECT_FALSE(BuildMotion(Source(), list, 1, input, error));
        EXPECT_EQ(error.Type(), c.type);
        EXPECT_EQ(error.Column(), MoveCheckError::kEndColumn);
        EXPECT_EQ(error.Point(), 3);
        EXPECT_EQ(error.Message(false), CString(c.message));
        std::vector<MotionResult> results;
        g_calls.clear();
        EXPECT_EQ(RunMotions(Source(), list, library, results, error), RunOutcome::kCheckFailed);
        EXPECT_TRUE(g_calls.empty()) << "the library is never asked to divide by zero";
    }
    // Custom units with an acceleration limit of 0 hold the acceleration at 0.
    params.K(71) = 1;
    params.K(77) = 0;
    speeds.Set(2, 100.0f, 100.0f);
    MoveInput input;
    MoveCheckError error;
    EXPECT_FALSE(BuildMotion(Source(), list, 1, input, error));
    EXPECT_EQ(error.Type(), MoveCheckError::kNoAcceleration);
}

TEST_F(MoveRunTest, ClipboardTextOfTheResultTable)
{
    const std::vector<CString> headers{CString(u"時間 [ms]"), CString(u"距離 [mm]"), CString(u"電流 [Arms]")};
    EXPECT_EQ(ResultsClipboardText(headers, BuildResultTable(TwoResults(), MotionMode::kContinuous, 2)),
              CString(u"\t時間 [ms]\t距離 [mm]\r\nTOTAL\t450\t20.00\r\n動作1\t150\t0.00\r\n動作2\t300\t20.00"));
    EXPECT_EQ(ResultsClipboardText(headers, {}), CString()) << "nothing to copy before a run";
}

TEST_F(MoveRunTest, BalloonShowsPositionsOrTheShortMessage)
{
    AddMotion(u"P1", u"P2");
    MoveCheckError error;
    const CString ok = MotionBalloonText(Source(), list, 1, 0x10, error);
    EXPECT_NE(ok.Find(u"<h2>動作1</h2>"), -1);
    EXPECT_NE(ok.Find(u"50.00"), -1);
    EXPECT_NE(ok.Find(u"30.00"), -1);
    EXPECT_NE(ok.Find(u"20.00"), -1);
    points[1].Clear();
    const CString failed = MotionBalloonText(Source(), list, 1, 0x10, error);
    EXPECT_NE(failed.Find(u"handle=0x10"), -1);
    EXPECT_NE(failed.Find(u"到着点P2がありません。"), -1);
}

TEST_F(MoveRunTest, DetailSettingsAfterARun)
{
    const ResultDetailSettings settings = MakeResultDetailSettings(params, CString(u"Q05"), 80);
    EXPECT_FLOAT_EQ(settings.maxSpeedMmS, 500.0f);
    EXPECT_EQ(settings.modelNumber, 5);
    EXPECT_EQ(settings.loadFactor, 80);
    EXPECT_EQ(settings.currentFlag, 0);
}

// Random continuous lists on random points, computed by the real library:
// each motion starts where the one before ended, the travel is the gap
// between them, and the library's numbers are finite and add up.
TEST_F(MoveRunTest, SeededSweepWithTheMotionLibrary)
{
    MotionLibrary real;
    ASSERT_TRUE(real.Load());
    std::mt19937 random(20240611);
    for (int round = 0; round < 60; ++round) {
        SCOPED_TRACE(round);
        points = {};
        const int pointCount = 2 + static_cast<int>(random() % 20);
        for (int n = 1; n <= pointCount; ++n) {
            const int m = 1 + static_cast<int>(random() % 2);
            const int p = static_cast<int>(random() % 1999999) - 999999;
            Put(simfx::MakePoint(n, m, p, 1 + random() % 100, 1 + random() % 100, 1 + random() % 100,
                                 static_cast<int>(random() % 2)));
        }
        params.K(71) = static_cast<int>(random() % 4) & 2;
        params.K(9) = 1 + static_cast<int>(random() % 100);
        speeds.Load(points);
        list.Clear();
        CString start;
        start.Format(u"%d.%02d", static_cast<int>(random() % 2000), static_cast<int>(random() % 100));
        const int motions = 1 + static_cast<int>(random() % 30);
        for (int k = 0; k < motions; ++k) {
            CString end;
            end.Format(u"P%d", 1 + static_cast<int>(random() % pointCount));
            AddMotion(start, end, u"10");
        }
        std::vector<MotionResult> results;
        MoveCheckError error;
        const RunOutcome outcome = RunMotions(Source(), list, real, results, error);
        if (outcome == RunOutcome::kCheckFailed) {
            // Only a motion that truly goes nowhere fails here.
            EXPECT_EQ(error.Type(), MoveCheckError::kNoTravel);
            continue;
        }
        ASSERT_EQ(outcome, RunOutcome::kOk);
        ASSERT_EQ(static_cast<int>(results.size()), motions);
        MoveInput previous;
        for (int m = 1; m <= motions; ++m) {
            MoveInput input;
            ASSERT_TRUE(BuildMotion(Source(), list, m, input, error));
            if (m > 1) {
                EXPECT_EQ(input.startMm, previous.endMm) << m;
            }
            // Single precision: the gap and the travel agree to the float's resolution.
            const float scale = 1.0f + std::fabs(input.startMm) + std::fabs(input.endMm);
            EXPECT_NEAR(input.distanceMm, std::fabs(input.endMm - input.startMm), 1e-6f * scale) << m;
            EXPECT_GT(input.distanceMm, 0.0f) << m;
            const MotionResult& r = results[static_cast<std::size_t>(m - 1)];
            for (double v : {r.peakSpeed, r.accelTimeMs, r.constTimeMs, r.decelTimeMs, r.totalTimeMs, r.distance}) {
                EXPECT_TRUE(std::isfinite(v)) << m;
                EXPECT_GE(v, 0.0) << m;
            }
            EXPECT_NEAR(r.distance, input.distanceMm, 1e-9) << m;
            EXPECT_NEAR(r.accelDistance + r.constDistance + r.decelDistance, r.distance, 1e-6 * (1 + r.distance)) << m;
            previous = input;
        }
    }
}

}  // namespace
