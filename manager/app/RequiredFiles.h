// The files that must lie beside the manager before it starts: the platform
// libraries, the tools library's language module and the three plain
// libraries end start-up when missing; the help file, the actuator database
// and the simulator program only warn. Every file is looked for in the
// program's own folder, as the program will load it.
#pragma once

#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

#include <functional>
#include <vector>

struct RequiredFile {
    enum class Kind {
        Module,      // a library or resource module loaded by name ("X.dll")
        ProgramFile, // a file of the program folder
        Path,        // a full path
    };
    Kind kind = Kind::ProgramFile;
    CString name;       // what is looked for
    CString shownName;  // what a message names
    // 0: start-up ends when the file is missing; else the string id of the
    // warning shown before start-up goes on.
    UINT warningId = 0;
};

// The manager's list, in the order checked. helpFile is the program's help
// file path (empty: none, which warns).
std::vector<RequiredFile> ManagerRequiredFiles(const CString& helpFile);

// Whether a file of the list is there.
using RequiredFileLocator = std::function<bool(const RequiredFile& file)>;
// Looks in the program folder: a module as LoadLibraryW would load it.
bool LocateRequiredFile(const RequiredFile& file);

// Tests the files in order. The first missing required file shows string
// 41018 with its name (error icon, no owner) and gives FALSE; missing
// optional files show their warnings and the check goes on. Every box has
// the caption string 41017 formatted with the program's name (string 128).
BOOL CheckRequiredFiles(const std::vector<RequiredFile>& files,
                        const RequiredFileLocator& locate = LocateRequiredFile);
