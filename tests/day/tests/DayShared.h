// What every working-day test does alike: the online connection that starts
// the day, and a data file read back as written.
#pragma once

#include "manager/ui/tests/ManagerTestSupport.h"

#include "manager/ui/ChildFrm.h"
#include "tests/support/emulator/ControllerModel.h"

#include <ostream>
#include <string>

namespace dayshared {

// One run of a working day: the language of the windows and the form the
// controller's answer lines take (with the node, or without it as some
// controllers answer).
struct DayRun {
    const char* language;
    emu::AnswerForm answers;

    bool Japanese() const { return std::string(language) == "ja"; }
    // The run's mark in picture names and test names: "en", "ja", "en-nonode".
    std::string Tag() const
    {
        return std::string(language) + (answers == emu::AnswerForm::WithoutNode ? "-nonode" : "");
    }
};

inline void PrintTo(const DayRun& run, std::ostream* out) { *out << run.Tag(); }

// Both languages, and once more with answers that leave the node out.
inline constexpr DayRun kDayRuns[] = {
    {"en", emu::AnswerForm::WithNode},
    {"ja", emu::AnswerForm::WithNode},
    {"en", emu::AnswerForm::WithoutNode},
};

inline std::string DayRunName(const ::testing::TestParamInfo<DayRun>& info)
{
    std::string name = info.param.Tag();
    for (char& ch : name)
        if (ch == '-') ch = '_';
    return name;
}

// The manager started, its window sized, and the day's controller ("KX-Q05")
// found on the port and read into a window of its own: that window, or null
// (with the failure said) when a step did not work.
inline CChildFrame* ConnectOnline(mgrtest::ManagerWorld& world, int com)
{
    if (!world.Start()) {
        ADD_FAILURE() << "the manager did not start";
        return nullptr;
    }
    world.Frame().MoveWindow(0, 0, 1200, 860);
    world.Boxes().Answer(IDOK, u"KX-Q05");
    if (world.NewOnline(com, u"Line A") != IDOK) {
        ADD_FAILURE() << "the online connection was not made";
        return nullptr;
    }
    CChildFrame* child = world.Active();
    if (!child || !child->IsOnline()) {
        ADD_FAILURE() << "no online window";
        return nullptr;
    }
    return child;
}

inline ControllerData ReadDataFile(const CString& path)
{
    ControllerDataStore store;
    ControllerDataSlot slot;
    store.AllocControllerData(slot);
    EXPECT_TRUE(store.ReadControllerDataFile(path.GetString(), *slot, true, true, true)) << path.ToUtf8();
    return *slot;
}

}  // namespace dayshared
