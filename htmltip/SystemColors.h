// The system colours that the markup's colour names "buttonface", "infotext"
// and the like stand for: the platform's system colours, unless a test or a
// program installs another source.
#pragma once

#include "platform/core/WinTypes.h"

namespace htmltip {

using SystemColorFunction = COLORREF (*)(int index);

// The colour of a system colour index (COLOR_SCROLLBAR 0 ... COLOR_INFOBK 24);
// black for an unknown index.
COLORREF GetSystemColor(int index);
// Installs the source of system colours (null: the platform's) and gives
// the previous one.
SystemColorFunction SetSystemColorFunction(SystemColorFunction function);

}  // namespace htmltip
