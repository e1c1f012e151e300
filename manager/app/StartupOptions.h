// The manager's command line: "/ini" keeps the profile in an ini file beside
// the program, "/" and an access word sets the access level. Anything else,
// a data-file name included, is ignored: no window opens at start.
#pragma once

#include "platform/core/CString.h"

#include <optional>
#include <vector>

struct StartupOptions {
    bool iniProfile = false;
    // The level of the last access switch; none when there was none.
    std::optional<int> accessLevel;
};

// arguments[0] is the program and is skipped. Switches compare whole and
// case-sensitively ("/INI" is not "/ini").
StartupOptions ParseStartupOptions(const std::vector<CString>& arguments);
// The same from main's argument vector (UTF-8).
StartupOptions ParseStartupOptions(int argc, const char* const* argv);
