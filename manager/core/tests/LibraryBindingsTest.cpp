// The calls into the database and motion libraries: against the real
// libraries and the installed database, and against stand-ins (tests/lib)
// that report every load, call and unload, fail on purpose or lack one
// export.
#include "manager/core/LibraryBindings.h"

#include "dbaccess/Tarnwell.h"
#include "manager/core/LoadedLibrary.h"
#include "manager/core/tests/Fixtures.h"
#include "manager/core/tests/StandInLog.h"
#include "platform/core/Paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <regex>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

constexpr char16_t kStandIn[] = u"qvfake-db";

RobotParameterSet MarkedSet()
{
    RobotParameterSet set;
    set.name = u"kept";
    set.controllerIndex = 42;
    set.values.fill(7);
    return set;
}

ControllerDataSlot NewData()
{
    ControllerDataSlot data;
    ControllerDataStore().AllocControllerData(data);
    data->user = u"user";
    data->dbVersion = u"kept";
    *data->FirstParamSet() = MarkedSet();
    return data;
}

std::array<std::int32_t, kParamCount> StandInValues()
{
    std::array<std::int32_t, kParamCount> values{};
    for (int i = 0; i < kParamCount; ++i)
        values[static_cast<std::size_t>(i)] = 1000 + i;
    return values;
}

const std::vector<ControllerNamePair> kStandInList = {
    {u"FAKE-A", u"FA"}, {u"FAKE-B", u"FB"}, {u"FAKE-A", u"F2"}};

TEST(DatabaseBindings, ReadTheInstalledDatabaseThroughTheRealLibrary)
{
    CString version;
    ASSERT_TRUE(LoadDatabaseVersion(version));
    EXPECT_TRUE(std::regex_match(version.ToUtf8(), std::regex(R"(\d+\.\d\d\.\d\d)"))) << version.ToUtf8();

    int count = -1;
    std::vector<ControllerNamePair> pairs;
    ASSERT_TRUE(LoadControllerList(count, pairs));
    EXPECT_EQ(count, static_cast<int>(pairs.size()));
    ASSERT_FALSE(pairs.empty());
    EXPECT_EQ(pairs[0], (ControllerNamePair{u"KX-Q05", u"Q05"}));

    CString code = u"kept";
    EXPECT_TRUE(LookupControllerName(u"KX-LB", code));
    EXPECT_EQ(code, CString(u"LB"));
    code = u"kept";
    EXPECT_FALSE(LookupControllerName(u"kx-lb", code)) << "names compare with case";
    EXPECT_EQ(code, CString(u"kept"));

    // A lower-case robot name is found; the set comes back named as stored.
    RobotParameterSet expected;
    {
        LoadedLibrary library(kDatabaseLibraryName);
        const auto direct = library.Bind<PFN_Tarnwell_GetInitParameter>("Tarnwell_GetInitParameter");
        ASSERT_NE(direct, nullptr);
        ASSERT_EQ(direct(u"KX-Q05", u"SA4-L03", &expected), kTarnwellOk);
    }
    RobotParameterSet set = MarkedSet();
    ASSERT_TRUE(LoadInitParameter(set, u"sa4-l03", u"KX-Q05"));
    EXPECT_EQ(set.name, CString(u"SA4-L03"));
    EXPECT_EQ(set.controllerIndex, 42);
    EXPECT_EQ(set.values, expected.values);

    ControllerDataSlot data = NewData();
    ASSERT_TRUE(FillControllerDataFromDatabase(*data, u"KX-Q05", u"sa4-l03"));
    EXPECT_EQ(data->controller, CString(u"KX-Q05"));
    EXPECT_EQ(data->robot, CString(u"sa4-l03"));
    EXPECT_EQ(data->interfaceText, CString(u"----"));
    EXPECT_EQ(data->dbVersion, version);
    EXPECT_EQ(data->user, CString(u"user"));
    EXPECT_EQ(data->FirstParamSet()->name, CString(u"SA4-L03"));
    EXPECT_EQ(data->FirstParamSet()->values, expected.values);
}

// Each call loads its library, makes exactly its calls with the caller's
// arguments and frees the library before it returns.
TEST(DatabaseBindings, EachCallLoadsAndFreesItsLibraryOnce)
{
    testfx::StandInLog log;
    CString text;
    int count = 0;
    std::vector<ControllerNamePair> pairs;
    RobotParameterSet set;
    ControllerDataSlot data = NewData();
    int limit = 0;
    RobotParameterSet motion;
    motion.K(48) = 480;
    motion.K(49) = 490;
    motion.K(50) = 1;
    motion.K(55) = 550;
    motion.K(56) = -2;
    motion.K(57) = 570;
    motion.K(58) = 3;

    const struct {
        const char* what;
        std::function<bool()> call;
        Lines expected;
    } rows[] = {
        {"version", [&] { return LoadDatabaseVersion(text, kStandIn); },
         {"load qvfake-db", "Tarnwell_GetDatabaseVersion", "unload qvfake-db"}},
        {"list", [&] { return LoadControllerList(count, pairs, kStandIn); },
         {"load qvfake-db", "Tarnwell_GetControllerListCount", "Tarnwell_GetControllerNames 6", "unload qvfake-db"}},
        {"lookup", [&] { return LookupControllerName(u"FAKE-B", text, kStandIn); },
         {"load qvfake-db", "Tarnwell_GetControllerListCount", "Tarnwell_GetControllerNames 6", "unload qvfake-db"}},
        {"parameters", [&] { return LoadInitParameter(set, u"R1", u"FAKE-A", kStandIn); },
         {"load qvfake-db", "Tarnwell_GetInitParameter FAKE-A R1", "unload qvfake-db"}},
        {"fill", [&] { return FillControllerDataFromDatabase(*data, u"FAKE-A", u"R1", kStandIn); },
         {"load qvfake-db", "Tarnwell_GetInitParameter FAKE-A R1", "unload qvfake-db", "load qvfake-db",
          "Tarnwell_GetDatabaseVersion", "unload qvfake-db"}},
        {"acceleration", [&] { return CallAccCalc(&motion, 25, limit, u"qvfake-motion"); },
         {"load qvfake-motion", "DllAccCalc 25 480 490 1 550 -2 570 3", "unload qvfake-motion"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_TRUE(row.call());
        EXPECT_EQ(log.Take(), row.expected);
    }
    EXPECT_EQ(limit, 4321);
}

TEST(DatabaseBindings, ResultsComeFromTheLibrary)
{
    CString version = u"kept";
    ASSERT_TRUE(LoadDatabaseVersion(version, kStandIn));
    EXPECT_EQ(version, CString(u"9.08.07"));

    int count = -1;
    std::vector<ControllerNamePair> pairs;
    ASSERT_TRUE(LoadControllerList(count, pairs, kStandIn));
    EXPECT_EQ(count, 3);
    EXPECT_EQ(pairs, kStandInList);

    const struct {
        const char16_t* name;
        bool found;
        const char16_t* code;
    } lookups[] = {
        {u"FAKE-A", true, u"FA"},  // the first of two of that name
        {u"FAKE-B", true, u"FB"},
        {u"fake-b", false, u"kept"},
        {u"", false, u"kept"},
    };
    for (const auto& row : lookups) {
        SCOPED_TRACE(CString(row.name).ToUtf8());
        CString code = u"kept";
        EXPECT_EQ(LookupControllerName(row.name, code, kStandIn), row.found);
        EXPECT_EQ(code, CString(row.code));
    }

    RobotParameterSet set = MarkedSet();
    ASSERT_TRUE(LoadInitParameter(set, u"R1", u"FAKE-A", kStandIn));
    EXPECT_EQ(set.name, CString(u"R1-STORED"));
    EXPECT_EQ(set.controllerIndex, 42) << "the caller's index stays";
    EXPECT_EQ(set.values, StandInValues());
}

// Whatever is missing, each call answers false and leaves the caller's
// outputs as they were; what needs only exports that are there still works.
TEST(DatabaseBindings, AnythingMissingFailsQuietly)
{
    const struct {
        const char* what;
        const char16_t* library;
        bool version, list, parameters;
    } rows[] = {
        {"no library", u"qvfake-absent", false, false, false},
        {"no database", u"qvfake-db-failing", false, false, false},
        {"no controllers", u"qvfake-db-empty", true, false, true},
        {"no count export", u"qvfake-db-no-Tarnwell_GetControllerListCount", true, false, true},
        {"no names export", u"qvfake-db-no-Tarnwell_GetControllerNames", true, false, true},
        {"no version export", u"qvfake-db-no-Tarnwell_GetDatabaseVersion", false, true, true},
        {"no parameter export", u"qvfake-db-no-Tarnwell_GetInitParameter", true, true, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);

        CString version = u"kept";
        EXPECT_EQ(LoadDatabaseVersion(version, row.library), row.version);
        EXPECT_EQ(version, CString(row.version ? u"9.08.07" : u"kept"));

        int count = -5;
        std::vector<ControllerNamePair> pairs;
        EXPECT_EQ(LoadControllerList(count, pairs, row.library), row.list);
        EXPECT_EQ(count, row.list ? 3 : -5);
        EXPECT_EQ(pairs, row.list ? kStandInList : std::vector<ControllerNamePair>());

        CString code = u"kept";
        EXPECT_EQ(LookupControllerName(u"FAKE-B", code, row.library), row.list);
        EXPECT_EQ(code, CString(row.list ? u"FB" : u"kept"));

        // The set takes the robot name before the lookup, whatever its outcome.
        RobotParameterSet set = MarkedSet();
        EXPECT_EQ(LoadInitParameter(set, u"R1", u"FAKE-A", row.library), row.parameters);
        EXPECT_EQ(set.name, CString(row.parameters ? u"R1-STORED" : u"R1"));
        EXPECT_EQ(set.controllerIndex, 42);
        EXPECT_EQ(set.values, row.parameters ? StandInValues() : MarkedSet().values);

        // The three texts are set in any case; the version only with the parameters.
        ControllerDataSlot data = NewData();
        EXPECT_EQ(FillControllerDataFromDatabase(*data, u"FAKE-A", u"R1", row.library), row.parameters);
        EXPECT_EQ(data->controller, CString(u"FAKE-A"));
        EXPECT_EQ(data->robot, CString(u"R1"));
        EXPECT_EQ(data->interfaceText, CString(u"----"));
        EXPECT_EQ(data->dbVersion, CString(row.parameters && row.version ? u"9.08.07" : u"kept"));
        EXPECT_EQ(data->FirstParamSet()->values, row.parameters ? StandInValues() : MarkedSet().values);
    }
}

TEST(DatabaseBindings, UnknownRobotLeavesTheValues)
{
    RobotParameterSet set = MarkedSet();
    EXPECT_FALSE(LoadInitParameter(set, u"R2", u"FAKE-A", kStandIn));
    EXPECT_EQ(set.values, MarkedSet().values);
    EXPECT_EQ(set.controllerIndex, 42);
}

TEST(DatabaseBindings, CallsThatNeedNoLibraryDoNotLoadIt)
{
    testfx::StandInLog log;

    int count = -5;
    std::vector<ControllerNamePair> pairs = {{u"held", u"H"}};
    EXPECT_FALSE(LoadControllerList(count, pairs, kStandIn)) << "a filled holder is refused";
    EXPECT_EQ(pairs, (std::vector<ControllerNamePair>{{u"held", u"H"}}));
    EXPECT_EQ(count, -5);

    RobotParameterSet set = MarkedSet();
    EXPECT_FALSE(LoadInitParameter(set, u"", u"FAKE-A", kStandIn));
    EXPECT_EQ(set, MarkedSet());

    ControllerData noSet;
    EXPECT_FALSE(FillControllerDataFromDatabase(noSet, u"FAKE-A", u"R1", kStandIn));
    EXPECT_EQ(noSet.robot, CString(u"R1"));

    int limit = -5;
    EXPECT_FALSE(CallAccCalc(nullptr, 10, limit, u"qvfake-motion"));
    EXPECT_EQ(limit, -5);

    EXPECT_EQ(log.Take(), Lines());
}

// The database file replaced between the count and the names: only the
// names given count, and no empty pair is handed out.
TEST(DatabaseBindings, AListThatShrankBetweenTheTwoCalls)
{
    int count = -1;
    std::vector<ControllerNamePair> pairs;
    ASSERT_TRUE(LoadControllerList(count, pairs, u"qvfake-db-shrinking"));
    EXPECT_EQ(count, 2);
    EXPECT_EQ(pairs, (std::vector<ControllerNamePair>{{u"FAKE-A", u"FA"}, {u"FAKE-B", u"FB"}}));
}

// Only the program's folder is searched: a library planted in the working
// folder, or named with another folder, is never loaded.
TEST(DatabaseBindings, APlantedLibraryIsNeverLoaded)
{
    testfx::TempDir planted;
    const std::filesystem::path original =
        std::filesystem::path(platform::GetProgramFolder().ToUtf8()) / "libqvfake-db.so";
    std::filesystem::copy_file(original, planted.Native("libqvfake-planted.so"));

    struct WorkingFolder {
        std::filesystem::path saved = std::filesystem::current_path();
        ~WorkingFolder()
        {
            std::error_code ignored;
            std::filesystem::current_path(saved, ignored);
        }
    } restore;
    std::filesystem::current_path(planted.Path());

    testfx::StandInLog log;
    const CString elsewhere = planted.File("libqvfake-planted.so");
    for (const char16_t* name : {u"qvfake-planted.dll", u"libqvfake-planted.so", elsewhere.GetString()}) {
        SCOPED_TRACE(CString(name).ToUtf8());
        CString version = u"kept";
        EXPECT_FALSE(LoadDatabaseVersion(version, name));
        EXPECT_EQ(version, CString(u"kept"));
    }
    EXPECT_EQ(log.Take(), Lines());
}

TEST(MotionBinding, AccelerationLimitFromTheRealLibrary)
{
    // base 300, minimum 100, mode 0, k1 = 5e-2, k2 = 1e0: 300 * (0.05 * 100 + 10 + 1)
    RobotParameterSet set;
    set.K(48) = 300;
    set.K(49) = 100;
    set.K(50) = 0;
    set.K(55) = 5;
    set.K(56) = -2;
    set.K(57) = 1;
    set.K(58) = 0;
    int limit = -1;
    ASSERT_TRUE(CallAccCalc(&set, 10, limit));
    EXPECT_EQ(limit, 4800);
}

TEST(MotionBinding, AnythingMissingFailsQuietly)
{
    RobotParameterSet set;
    for (const char16_t* library : {u"qvfake-absent", u"qvfake-motion-no-DllAccCalc"}) {
        SCOPED_TRACE(CString(library).ToUtf8());
        int limit = -5;
        EXPECT_FALSE(CallAccCalc(&set, 10, limit, library));
        EXPECT_EQ(limit, -5);
    }
}

}  // namespace
