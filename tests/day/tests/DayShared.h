// What every working-day test does alike: the online connection that starts
// the day, and a data file read back as written.
#pragma once

#include "manager/ui/tests/ManagerTestSupport.h"

#include "manager/ui/ChildFrm.h"

namespace dayshared {

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
