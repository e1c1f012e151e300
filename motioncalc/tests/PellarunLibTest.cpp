#include "motioncalc/PellarunLib.h"

#include "platform/core/Paths.h"
#include "platform/core/VersionInfo.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

VpCalcResult Calc(int mode, float s, float v, float a, int percent, int R)
{
    VpCalcResult r;
    r.peakSpeed = 12345;  // every field is written
    EXPECT_EQ(DllVpCalc(mode, 0, 0, s, v, a, percent, R, 0, &r), 0);
    return r;
}

bool AllFinite(const VpCalcResult& r)
{
    for (double v : {r.peakSpeed, r.accelTimeMs, r.constTimeMs, r.decelTimeMs, r.totalTimeMs, r.accelDistance,
                     r.constDistance, r.decelDistance, r.distance}) {
        if (!std::isfinite(v))
            return false;
    }
    return true;
}

double RoundedMs(double ms) { return std::floor(ms + 0.5); }

TEST(DllVpCalc, KnownMoves)
{
    const double triangleMs = 1000.0 * std::sqrt(4.0 / 1000.0);  // 63.2455...
    const struct {
        const char* what;
        int mode;
        float s, v, a;
        int percent, R;
        double peak, ta, tc, td, total, sa, sc, sd;
    } rows[] = {
        {"trapezoid", 0, 100, 100, 1000, 0, 2000, 100, 100, 900, 100, 1100, 5, 90, 5},
        {"triangle", 0, 4, 100, 1000, 0, 2000, triangleMs, triangleMs, 0, triangleMs, 126, 2, 0, 2},
        {"percent 100 as percent 0", 0, 100, 100, 1000, 100, 2000, 100, 100, 900, 100, 1100, 5, 90, 5},
        // d = 500: D = 5 + 10; ta = 100 ms, td = 200 ms, sc = 85.
        {"percent 50 halves the deceleration", 0, 100, 100, 1000, 50, 2000, 100, 100, 850, 200, 1150, 5, 85, 10},
        // Speed raised to R / 50,000,000 = 0.0001; acceleration to R / 50,000 = 0.1.
        {"speed and acceleration raised to their limits", 0, 1, 0.00001f, 0.001f, 0, 5000, 0.0001, 1, 9999999, 1,
         10000001, 0.00000005, 0.9999999, 0.00000005},
        // Mode 1 with v = vr and s >= D: no derating at all.
        {"mode 1 at the reference speed", 1, 100, 100, 1000, 0, 2000, 100, 100, 900, 100, 1100, 5, 90, 5},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const VpCalcResult r = Calc(row.mode, row.s, row.v, row.a, row.percent, row.R);
        const double tol = 1e-6;
        EXPECT_NEAR(r.peakSpeed, row.peak, tol * row.peak);
        EXPECT_NEAR(r.accelTimeMs, row.ta, 1e-6 * row.ta + 1e-9);
        EXPECT_NEAR(r.constTimeMs, row.tc, 1e-6 * row.tc + 1e-6);
        EXPECT_NEAR(r.decelTimeMs, row.td, 1e-6 * row.td + 1e-9);
        EXPECT_EQ(r.totalTimeMs, row.total);
        EXPECT_NEAR(r.accelDistance, row.sa, 1e-6 * row.sa + 1e-12);
        EXPECT_NEAR(r.constDistance, row.sc, 1e-6 * row.sc + 1e-9);
        EXPECT_NEAR(r.decelDistance, row.sd, 1e-6 * row.sd + 1e-12);
        EXPECT_EQ(r.distance, static_cast<double>(row.s));
    }
}

TEST(DllVpCalc, DeratingLengthensTheMove)
{
    // Below the reference speed and over a short distance, mode 1 lowers the
    // acceleration twice; mode 0 does not.
    const VpCalcResult plain = Calc(0, 2, 50, 1000, 0, 2000);
    const VpCalcResult derated = Calc(1, 2, 50, 1000, 0, 2000);
    const double f1 = std::pow(50.0 / 100.0, 0.8);
    const double a1 = 1000 * f1;
    const double n = 2 * (50.0 * 50.0 / 2) / a1;  // 4.35...: longer than the distance
    const double a2 = a1 * std::pow(2 / n, 2.0 / 3.0);
    EXPECT_NEAR(derated.accelTimeMs, 1000 * std::sqrt(2 * 1.0 / a2), 1e-6);
    EXPECT_NEAR(plain.accelTimeMs, 1000 * std::sqrt(2 * 1.0 / 1000), 1e-6);
    EXPECT_GT(derated.totalTimeMs, plain.totalTimeMs);
}

TEST(DllVpCalc, MovesThatCannotHappenGiveZeros)
{
    const struct {
        const char* what;
        int mode;
        float s, v, a;
        int percent, R;
        double distance;
    } rows[] = {
        {"distance 0", 0, 0, 100, 1000, 0, 2000, 0},
        {"distance 0 in mode 1", 1, 0, 100, 1000, 0, 2000, 0},
        {"speed 0 and R 0", 0, 10, 0, 1000, 0, 0, 10},
        {"speed 0 and R 0 in mode 1", 1, 10, 0, 1000, 0, 0, 10},
        {"acceleration 0 and R 0", 1, 10, 100, 0, 0, 0, 10},
        {"deceleration percent negative and R 0", 0, 10, 100, 1000, -50, 0, 10},
        {"negative R counts as 0", 0, 10, 0, 1000, 0, -2000, 10},
        {"distance not a number", 1, kNaN, 100, 1000, 0, 2000, 0},
        {"distance infinite", 0, kInf, 100, 1000, 0, 2000, 0},
        {"speed not a number and R 0", 1, 10, kNaN, 1000, 0, 0, 10},
        {"acceleration not a number and R 0", 1, 10, 100, kNaN, 0, 0, 10},
        {"acceleration minus infinity and R 0", 0, 10, 100, -kInf, 0, 0, 10},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const VpCalcResult r = Calc(row.mode, row.s, row.v, row.a, row.percent, row.R);
        EXPECT_EQ(r.peakSpeed, 0);
        EXPECT_EQ(r.accelTimeMs, 0);
        EXPECT_EQ(r.constTimeMs, 0);
        EXPECT_EQ(r.decelTimeMs, 0);
        EXPECT_EQ(r.totalTimeMs, 0);
        EXPECT_EQ(r.accelDistance, 0);
        EXPECT_EQ(r.constDistance, 0);
        EXPECT_EQ(r.decelDistance, 0);
        EXPECT_EQ(r.distance, row.distance);
    }
    EXPECT_EQ(DllVpCalc(0, 0, 0, 1, 1, 1, 0, 1000, 0, nullptr), -1);
}

TEST(DllVpCalc, OddInputsStillMoveSoundly)
{
    const struct {
        const char* what;
        int mode;
        float s, v, a;
        int percent, R;
    } rows[] = {
        {"speed not a number takes the lower limit", 0, 1, kNaN, 1000, 0, 2000},
        {"acceleration not a number takes the lower limit", 1, 1, 100, kNaN, 0, 2000},
        {"negative distance is a length", 0, -100, 100, 1000, 0, 2000},
        {"largest floats", 1, 3.4e38f, 3.4e38f, 3.4e38f, 2147483647, 2147483647},
        {"largest floats with the smallest R", 0, 3.4e38f, 3.4e38f, 1e-30f, -2147483647 - 1, 1},
        {"smallest distance", 1, 1e-45f, 3.4e38f, 3.4e38f, 1, 1},
        {"infinite speed", 0, 10, kInf, 1000, 0, 2000},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const VpCalcResult r = Calc(row.mode, row.s, row.v, row.a, row.percent, row.R);
        EXPECT_TRUE(AllFinite(r));
        EXPECT_GE(r.peakSpeed, 0);
        EXPECT_GE(r.totalTimeMs, 0);
        EXPECT_EQ(r.distance, std::isfinite(row.s) ? std::fabs(static_cast<double>(row.s)) : 0.0);
    }
}

// Random moves: with the final acceleration a and deceleration d read back
// from the result, the profile covers exactly the distance, starts and ends
// at rest (ta = peak / a, td = peak / d), never exceeds the speed asked for,
// keeps the deceleration's share of the acceleration, and adds up its times.
TEST(DllVpCalc, RandomMovesObeyTheKinematics)
{
    std::mt19937 random(77123);
    auto logUniform = [&](double low, double high) {
        std::uniform_real_distribution<double> e(std::log(low), std::log(high));
        return std::exp(e(random));
    };
    const int percents[] = {0, 100, 50, 10, 150, 300, -20};
    for (int i = 0; i < 20000; ++i) {
        const int mode = static_cast<int>(random() % 2);
        const float s = static_cast<float>(logUniform(1e-3, 1e4));
        const float v = static_cast<float>(logUniform(1e-2, 5e3));
        const float a = static_cast<float>(logUniform(1e-1, 1e5));
        const int percent = percents[random() % std::size(percents)];
        const int R = 1 + static_cast<int>(random() % 60000);
        SCOPED_TRACE(testing::Message() << "move " << i << ": mode " << mode << " s " << s << " v " << v << " a " << a
                                        << " % " << percent << " R " << R);
        const VpCalcResult r = Calc(mode, s, v, a, percent, R);
        ASSERT_TRUE(AllFinite(r));

        const double g = R / 1000.0;
        const double vMin = std::max<double>(v, g / 50000.0);
        const double aMin = std::max<double>(a, g / 50.0);
        const double dAsked = (percent != 0 && percent != 100) ? a * percent / 100.0 : a;
        const double dMin = std::max(dAsked, g / 50.0);

        const double ta = r.accelTimeMs / 1000, tc = r.constTimeMs / 1000, td = r.decelTimeMs / 1000;
        ASSERT_GT(ta, 0);
        ASSERT_GT(td, 0);
        ASSERT_GE(tc, -1e-9);
        const double aFinal = r.peakSpeed / ta;
        const double dFinal = r.peakSpeed / td;
        const double rel = 1e-9;

        EXPECT_NEAR(r.accelDistance + r.constDistance + r.decelDistance, s, rel * s);
        EXPECT_NEAR(r.accelDistance, aFinal * ta * ta / 2, rel * s);
        EXPECT_NEAR(r.decelDistance, dFinal * td * td / 2, rel * s);
        EXPECT_NEAR(r.constDistance, r.peakSpeed * tc, rel * s + 1e-12);
        EXPECT_LE(r.peakSpeed, vMin * (1 + rel));
        if (r.constTimeMs > 0) {
            EXPECT_NEAR(r.peakSpeed, vMin, rel * vMin);
        }
        EXPECT_NEAR(aFinal / dFinal, aMin / dMin, 1e-7 * aMin / dMin);
        if (mode == 0) {
            EXPECT_NEAR(aFinal, aMin, 1e-7 * aMin);
            EXPECT_NEAR(dFinal, dMin, 1e-7 * dMin);
        } else {
            EXPECT_LE(aFinal, aMin * (1 + 1e-7));
            // Derating only ever makes a move slower.
            const VpCalcResult plain = Calc(0, s, v, a, percent, R);
            EXPECT_GE(r.accelTimeMs + r.constTimeMs + r.decelTimeMs,
                      (plain.accelTimeMs + plain.constTimeMs + plain.decelTimeMs) * (1 - 1e-9));
        }
        EXPECT_EQ(r.totalTimeMs, RoundedMs(r.accelTimeMs) + RoundedMs(r.constTimeMs) + RoundedMs(r.decelTimeMs));
    }
}

TEST(DllAccCalc, Cases)
{
    const int kMax = std::numeric_limits<std::int32_t>::max();
    const struct {
        const char* what;
        int x, base, minimum, mode, m1, e1, m2, e2;
        int result;
    } rows[] = {
        // Mode 0: base (k1 x^2 + k2 x + 1).
        {"mode 0, k1 = 0.05", 10, 1000, 0, 0, 5, -2, 0, 0, 6000},
        {"mode 0, falling with the mass", 2, 300, 30, 0, 0, 0, -25, -2, 150},
        {"mode 0, clamped to the minimum", 30, 300, 30, 0, 0, 0, -5, -2, 30},
        {"mode 0, cut toward zero", 1, 100, 0, 0, 0, 0, 5, -3, 100},
        {"mode 0, mass 0", 0, 250, 30, 0, 2, -3, -9, -2, 250},
        // Mode 1: base / (k1 (x - k2) + 1) above k2.
        {"mode 1 above k2", 11, 300, 30, 1, 1, -1, 1, 0, 150},
        {"mode 1 at k2 gives base", 1, 300, 30, 1, 1, -1, 1, 0, 300},
        {"mode 1 below k2 gives the larger of base and minimum", 0, 20, 30, 1, 1, -1, 1, 0, 30},
        {"mode 1, k2 = 500 from exponent 2", 400, 300, 0, 1, 1, 0, 5, 2, 300},
        {"mode 2 gives 0", 5, 300, 30, 2, 1, -1, 1, 0, 0},
        {"mode -1 gives 0", 5, 300, 30, -1, 1, -1, 1, 0, 0},
        // Values an int cannot hold, and values that are no number.
        {"infinite coefficient", 1, 300, 30, 0, 1, 100, 0, 0, kMax},
        {"exponent of the largest magnitude", 1, 300, 30, 0, 1, -2147483647 - 1, 0, 0, 300},
        {"zero times an infinite coefficient", 0, 300, 30, 0, 1, 2147483647, 0, 0, 30},
        {"0 * inf in the coefficient", 2, 300, 30, 0, 0, 60, 0, 0, 30},
        {"division by zero", 1, 300, 30, 1, -1, 0, 0, 0, kMax},
        {"zero over zero", 1, 0, 30, 1, -1, 0, 0, 0, 30},
        {"far beyond an int", 1000000, 1000000, 0, 0, 1, 0, 0, 0, kMax},
        {"far below an int", 1000000, -1000000, -5, 0, 1, 0, 0, 0, -5},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(DllAccCalc(row.x, row.base, row.minimum, row.mode, row.m1, row.e1, row.m2, row.e2), row.result);
    }
}

TEST(Ramps, SpeedAlongTheCosineRamps)
{
    const struct {
        const char* what;
        float v;
        int t, T;
        float up, down;
    } rows[] = {
        {"start", 100, 0, 200, 0, 100},
        {"middle", 100, 100, 200, 50, 50},
        {"end", 100, 200, 200, 100, 0},
        {"a quarter", 100, 50, 200, 100 * (1 - std::cos(3.1415927f / 4)) / 2, 100 * (1 + std::cos(3.1415927f / 4)) / 2},
        {"before the ramp", 100, -10, 200, 0, 100},
        {"after the ramp", 100, 250, 200, 100, 0},
        {"ramp of no length", 100, 0, 0, 100, 0},
        {"negative ramp", 100, 5, -10, 100, 0},
        {"speed not a number", kNaN, 50, 200, 0, 0},
        {"infinite speed", kInf, 50, 200, 0, 0},
        {"negative speed", -80, 100, 200, -40, -40},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_NEAR(DllAccelVelCalc(row.v, row.t, row.T), row.up, 1e-4f);
        EXPECT_NEAR(DllDecelVelCalc(row.v, row.t, row.T), row.down, 1e-4f);
    }
}

TEST(Ramps, TheTwoRampsMirrorEachOther)
{
    for (int t = 0; t <= 300; ++t) {
        SCOPED_TRACE(t);
        const float up = DllAccelVelCalc(250, t, 300);
        EXPECT_NEAR(up + DllDecelVelCalc(250, t, 300), 250, 1e-3f);
        if (t > 0) {
            EXPECT_GE(up, DllAccelVelCalc(250, t - 1, 300));
        }
    }
}

TEST(DllGetLibVersion, ProductVersionOfTheLibrarysRecord)
{
    platform::VersionRecord record;
    CString error;
    ASSERT_TRUE(platform::ReadVersionRecord(u"PellarunLib.dll", record, &error)) << error.ToUtf8();
    const CString product = record.Text(u"ProductVersion");
    ASSERT_FALSE(product.IsEmpty());
    EXPECT_EQ(DllGetLibVersion(), CString(u"Ver.") + product);
}

TEST(PellarunLibExports, BoundByName)
{
    const std::string path = platform::JoinPath(platform::GetProgramFolder(), u"libPellarunLib.so").ToUtf8();
    void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << ::dlerror();
    for (const char* name : {"DllVpCalc", "DllAccelVelCalc", "DllDecelVelCalc", "DllAccCalc", "DllGetLibVersion"})
        EXPECT_NE(::dlsym(module, name), nullptr) << name;
    auto accCalc = reinterpret_cast<PFN_DllAccCalc>(::dlsym(module, "DllAccCalc"));
    ASSERT_NE(accCalc, nullptr);
    EXPECT_EQ(accCalc(10, 1000, 0, 0, 5, -2, 0, 0), 6000);
    ::dlclose(module);
}

}  // namespace
