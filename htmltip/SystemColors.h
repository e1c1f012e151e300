// The system colours that the markup's colour names "buttonface", "infotext"
// and the like stand for. The user-interface layer installs the desktop's
// colours; until then the classic defaults answer.
#pragma once

#include "platform/core/WinTypes.h"

namespace htmltip {

using SystemColorFunction = COLORREF (*)(int index);

// The colour of a system colour index (COLOR_SCROLLBAR 0 ... COLOR_INFOBK 24);
// black for an unknown index.
COLORREF GetSystemColor(int index);
// Installs the source of system colours (null: the classic defaults) and
// gives the previous one.
SystemColorFunction SetSystemColorFunction(SystemColorFunction function);
COLORREF ClassicSystemColor(int index);

}  // namespace htmltip
