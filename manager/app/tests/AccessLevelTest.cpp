#include "manager/app/AccessLevel.h"
#include "manager/app/StartupOptions.h"

#include "AppFixtures.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<CString> Args(std::initializer_list<const char16_t*> list)
{
    std::vector<CString> args{u"/opt/quorvane/quorvane"};
    for (const char16_t* a : list) args.emplace_back(a);
    return args;
}

TEST(StartupOptions, SwitchesCompareWholeAndCaseSensitively)
{
    struct Row {
        const char* name;
        std::vector<CString> args;
        bool ini;
        std::optional<int> level;
    };
    const Row rows[] = {
        {"nothing", Args({}), false, std::nullopt},
        {"ini anywhere", Args({u"data.yvekd", u"/ini", u"/x"}), true, std::nullopt},
        {"ini in capitals is nothing", Args({u"/INI"}), false, std::nullopt},
        {"ini without slash", Args({u"ini"}), false, std::nullopt},
        {"level 1", Args({u"/misplor"}), false, 1},
        {"level 2", Args({u"/valmoth"}), false, 2},
        {"other case gives nothing", Args({u"/Valmoth", u"/MISPLOR"}), false, std::nullopt},
        {"word without slash", Args({u"valmoth"}), false, std::nullopt},
        {"word with more after it", Args({u"/valmoth2", u"/valmoth "}), false, std::nullopt},
        {"a code word is no switch", Args({u"/quenwick"}), false, std::nullopt},
        {"later switch wins, lowering", Args({u"/valmoth", u"/misplor"}), false, 1},
        {"later switch wins, raising", Args({u"/misplor", u"/ini", u"/valmoth"}), true, 2},
        {"a lone slash", Args({u"/"}), false, std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const StartupOptions options = ParseStartupOptions(row.args);
        EXPECT_EQ(options.iniProfile, row.ini);
        EXPECT_EQ(options.accessLevel, row.level);
    }
}

TEST(StartupOptions, TheProgramItselfIsNoSwitch)
{
    EXPECT_FALSE(ParseStartupOptions({CString(u"/ini")}).iniProfile);
    const char* argv[] = {"/valmoth", "/ini", "/misplor", nullptr};
    const StartupOptions options = ParseStartupOptions(3, argv);
    EXPECT_TRUE(options.iniProfile);
    EXPECT_EQ(options.accessLevel, 1);
    EXPECT_FALSE(ParseStartupOptions(0, nullptr).iniProfile);
}

TEST(AccessLevel, CodesOnlyEverRaiseTheLevel)
{
    struct Row {
        const char* name;
        int start;
        const char16_t* code;
        bool changed;
        int after;
    };
    const Row rows[] = {
        {"level 2 code at 0", 0, u"valmoth", true, 2},
        {"level 2 code at 1", 1, u"valmoth", true, 2},
        {"level 2 code again", 2, u"valmoth", false, 2},
        {"level 2 code at 3 lowers nothing", 3, u"valmoth", false, 3},
        {"level 3 code at 0 goes straight to 3", 0, u"quenwick", true, 3},
        {"level 3 code at 2", 2, u"quenwick", true, 3},
        {"level 3 code at 3", 3, u"quenwick", false, 3},
        {"level 3 code at 5 lowers nothing", 5, u"quenwick", false, 5},
        {"switch word is no code", 0, u"misplor", false, 0},
        {"wrong case", 0, u"Quenwick", false, 0},
        {"blank after the code", 0, u"valmoth ", false, 0},
        {"empty", 1, u"", false, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CAccessLevel level;
        level.ApplyStartupLevel(row.start);
        EXPECT_EQ(level.EnterAccessCode(row.code), row.changed);
        EXPECT_EQ(level.Get(), row.after);
    }
}

TEST(AccessLevel, ControllerInitialisationByLevel)
{
    using Init = CAccessLevel::ControllerInit;
    const Init expected[] = {Init::Nothing, Init::Open, Init::Nothing, Init::Nothing, Init::Nothing, Init::AskForCode};
    for (int level = 0; level <= 5; ++level) {
        SCOPED_TRACE(level);
        CAccessLevel access;
        access.ApplyStartupLevel(level);
        EXPECT_EQ(access.ControllerInitAccess(), expected[level]);
        EXPECT_EQ(ShowsControllerInitItem(level), level == 1 || level == 5);
    }
    EXPECT_TRUE(CAccessLevel::IsControllerInitCode(u"misplor"));
    EXPECT_FALSE(CAccessLevel::IsControllerInitCode(u"valmoth"));
    EXPECT_FALSE(CAccessLevel::IsControllerInitCode(u"misplo"));
}

TEST(AccessLevel, GatesOfTheWindows)
{
    struct Row {
        int level;
        bool pointsLb, tripTime, expertItem, commSettings, lbOffline;
    };
    const Row rows[] = {
        {0, false, false, false, false, false}, {1, true, false, false, false, true},
        {2, false, false, true, false, false},  {3, false, false, true, true, false},
        {4, false, false, true, true, false},   {5, true, true, true, true, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.level);
        EXPECT_TRUE(CanInitPoints(row.level, u"Q10"));
        EXPECT_EQ(CanInitPoints(row.level, u"LB2"), row.pointsLb);
        EXPECT_EQ(CanInitTripAndTime(row.level), row.tripTime);
        EXPECT_EQ(ShowsExpertTreeItem(row.level), row.expertItem);
        EXPECT_EQ(ShowsCommSettingsButton(row.level), row.commSettings);
        EXPECT_EQ(ShowsOfflinePulseTrainPointItem(row.level), row.lbOffline);
        EXPECT_FALSE(ClosesWithoutAsking(row.level, false));
        EXPECT_EQ(ClosesWithoutAsking(row.level, true), row.level >= 4);
    }
}

}  // namespace
