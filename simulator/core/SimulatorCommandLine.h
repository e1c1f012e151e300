// What the simulator takes from its command line and gives back as its exit
// code. The manager starts it as: program "/ES" "/ONLINE" "/TITLE" "<title>"
// "/PW=<level>"; a user starts it with no arguments.
#pragma once

#include "platform/core/CString.h"

#include <vector>

// Exit codes of a run in exchange mode ("/ES"); the manager takes the data
// back only for kExitDataApplied.
inline constexpr int kExitDataApplied = 6;
inline constexpr int kExitNothingToApply = 7;
// The shared-memory library could not be bound: the main dialog ended at once.
inline constexpr int kExitNoExchangeLibrary = 1;
// Offline, the robot database could not be read: the main dialog ended at once.
inline constexpr int kExitNoDatabase = 2;

// The single-instance guard: a mutex of this name that every process of the
// user sees (the prefix shares a named object between processes), so that
// two simulators never edit the same files at once.
inline constexpr char16_t kSingleInstanceMutexName[] = u"Global\\YvekRovuvava_Mutex";

struct SimulatorCommandLine {
    bool exchange = false;  // "/ES": data come from and go back to the manager
    CString title;          // the argument after "/TITLE"; empty when none

    friend bool operator==(const SimulatorCommandLine&, const SimulatorCommandLine&) = default;
};

// Reads the arguments after the program (arguments[0] is the program and is
// skipped). Switches compare whole and case-sensitively; "/ONLINE" is
// accepted and changes nothing; the first argument after "/TITLE" that is
// none of the three switches becomes the title (a later title replaces an
// earlier one); everything else, "/PW=..." included, is ignored.
SimulatorCommandLine ParseSimulatorArguments(const std::vector<CString>& arguments);
// The same over a whole command line, split by the platform's rules.
SimulatorCommandLine ParseSimulatorCommandLine(const CString& commandLine);

// The process exit code: in exchange mode the main dialog's result, otherwise
// what the framework would return.
int SimulatorExitCode(const SimulatorCommandLine& commandLine, int mainDialogResult, int frameworkResult);

// The main window's caption: "Pellarun", or "Pellarun - <name>" for a name.
CString SimulatorCaption(const CString& name);

// Where the caution notice remembers "do not show again": under the current
// user, this key with the program's company name, value kCautionValueName
// holding kCautionSwitchedOff.
CString CautionNoticeKeyPath(const CString& companyName);
inline constexpr char16_t kCautionValueName[] = u"Caution Dialog";
inline constexpr char16_t kCautionSwitchedOff[] = u"no";

