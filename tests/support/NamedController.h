// A controller on the emulator as the window tests meet it: named, with its
// robot and point 1 defined.
#pragma once

#include "tests/support/emulator/Emulator.h"

namespace testsupport {

// model at node 1, its name and robot "SA4-L06"; point 1 an ABS move to 1000
// at speed, acceleration, deceleration and push 100.
inline emu::ControllerModel& AddNamedController(emu::Emulator& emulator, const char* model, const char* name)
{
    emu::ControllerModel& c = emulator.AddController(1, model);
    c.SetControllerName(name);
    c.SetRobot("SA4-L06");
    emu::PointFields p{};
    p[0] = 1;
    p[1] = 1000;
    p[2] = 100;
    p[3] = 100;
    p[4] = 100;
    p[5] = 100;
    c.SetPoint(1, p);
    return c;
}

}  // namespace testsupport
