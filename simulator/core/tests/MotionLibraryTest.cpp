#include "simulator/core/MotionLibrary.h"

#include "platform/core/Module.h"

#include <gtest/gtest.h>

namespace {

TEST(MotionLibrary, BindsAllFiveExportsOrNothing)
{
    MotionLibrary library;
    EXPECT_FALSE(library.IsLoaded());
    EXPECT_EQ(library.VersionText(), CString(u"Ver. ---"));
    VpCalcResult result;
    EXPECT_FALSE(library.VpCalc(0, 0, 0, 10, 100, 1000, 100, 20, 0, result));

    ASSERT_TRUE(library.Load());
    EXPECT_TRUE(library.IsLoaded());
    EXPECT_EQ(library.VersionText(), DllGetLibVersion());
    ASSERT_TRUE(library.VpCalc(0, 0, 10, 10, 100, 1000, 100, 20, 0, result));
    VpCalcResult direct;
    DllVpCalc(0, 0, 0, 10, 100, 1000, 100, 20, 0, &direct);
    EXPECT_EQ(result.totalTimeMs, direct.totalTimeMs);
    EXPECT_EQ(result.peakSpeed, direct.peakSpeed);

    // A library lacking one export is not used at all, and the old binding is gone.
    EXPECT_FALSE(library.Load(u"PellarunLibPartial.dll"));
    EXPECT_FALSE(library.IsLoaded());
    EXPECT_EQ(GetModuleHandleW(u"PellarunLibPartial.dll"), HMODULE()) << "freed again";
    EXPECT_FALSE(library.Load(u"NoSuchLibrary.dll"));
    EXPECT_FALSE(library.Use(MotionFunctions{&DllVpCalc, &DllAccelVelCalc, nullptr, &DllAccCalc, &DllGetLibVersion}));
    EXPECT_FALSE(library.IsLoaded());
}

TEST(MotionLibrary, RampsOfNoLengthAreOver)
{
    MotionLibrary library;
    ASSERT_TRUE(library.Load());
    EXPECT_FLOAT_EQ(library.AccelVel(100.0f, 0, 0), 0.0f);
    EXPECT_FLOAT_EQ(library.AccelVel(100.0f, 1, 0), 100.0f);
    EXPECT_FLOAT_EQ(library.DecelVel(100.0f, 1, 0), 0.0f);
    EXPECT_FLOAT_EQ(library.AccelVel(100.0f, 5, 10), DllAccelVelCalc(100.0f, 5, 10));
    EXPECT_FLOAT_EQ(library.DecelVel(100.0f, 5, 10), DllDecelVelCalc(100.0f, 5, 10));
    std::int32_t limit = -1;
    ASSERT_TRUE(library.AccCalc(10, 300, 50, 0, 1, -3, 0, 0, limit));
    EXPECT_EQ(limit, DllAccCalc(10, 300, 50, 0, 1, -3, 0, 0));
}

}  // namespace
