// The actuator database library (libTarnwell.so): plain exports that the
// programs bind by name at run time, reading the database files installed
// beside the running program. Every call opens its file, reads and closes it;
// nothing is cached, so a replaced file counts from the next call on.
//
// Texts cross by the project's CString (by value where a name is passed in,
// by pointer where the library fills one); both sides share one run-time and
// one heap, so the library may empty and refill the caller's containers.
// No export throws; every failure is a negative result.
#pragma once

#include "dbaccess/RobotParameterSet.h"
#include "platform/core/CString.h"

#include <cstdint>
#include <vector>

// The three database files.
inline constexpr char16_t kMainDatabaseFileName[] = u"YvekInitParameter.rid";
inline constexpr char16_t kStrokeDatabaseFileName[] = u"YvekInitParameter.rid2";
inline constexpr char16_t kPayloadDatabaseFileName[] = u"YvekInitParameter.rid3";

// Results.
inline constexpr int kTarnwellOk = 0;
inline constexpr int kTarnwellNotOpened = -1;       // the file is missing or unreadable
inline constexpr int kTarnwellNotFound = -2;        // Tarnwell_GetInitParameter: no such controller or robot
inline constexpr int kTarnwellBadHeader = -2;       // table files: header short or wrong magic
inline constexpr int kTarnwellNoEntries = -3;       // table files: robot missing or without entries
inline constexpr int kTarnwellVersionMismatch = -4; // table file's version differs from the main database
inline constexpr int kTarnwellCorrupt = -5;         // counts, sizes or offsets in the file do not fit the file
inline constexpr int kTarnwellBadArgument = -6;     // null output, output array too small, index out of range

// One (parameter number, value) item of a table entry.
struct RobotTablePair {
    std::uint8_t key = 0;
    std::int32_t value = 0;
};

// One entry of a stroke or payload table: a threshold (stroke in micrometres,
// or carried mass in kilograms) and the items that apply from it on.
struct RobotTableEntry {
    std::uint16_t size = 0;
    std::int32_t value = 0;
    std::uint8_t pairCount = 0;
    std::vector<RobotTablePair> pairs;
};

// One robot's stroke or payload table.
struct RobotTableRecord {
    std::int32_t size = 0;
    CString robotName;
    std::uint8_t entryCount = 0;
    std::vector<RobotTableEntry> entries;
};

extern "C" {

// Number of controllers N (0 or more), or a negative result.
int Tarnwell_GetControllerListCount();

// Sets texts[2i] to controller i's name and texts[2i+1] to its code text;
// capacity is the number of texts the array holds and must be at least 2N.
// Result N, or a negative result (nothing written then).
int Tarnwell_GetControllerNames(CString* texts, int capacity);

// Empties *names, then appends each matching robot's name and "\n" in file
// order; controllerIndex -1 matches every robot, another negative index none.
// Result: the number of names, or a negative result (*names unchanged).
int Tarnwell_GetRobotNames(int controllerIndex, CString* names);

// Writes parameter parameterIndex (0..145) of each matching robot, in file
// order, to values[0..]; capacity is the number of values the array holds.
// Result: the number written, or a negative result (nothing written then).
int Tarnwell_GetSelectParameters(int controllerIndex, int parameterIndex, std::int32_t* values, int capacity);

// Sets *version to the database version "major.minor.build" ("%d.%02d.%02d").
int Tarnwell_GetDatabaseVersion(CString* version);

// Looks a robot up by controller and robot name (both compared in upper
// case, cut to 16 characters and trimmed) and fills *set with its name (as
// stored, upper case), its controller index and its 146 values.
int Tarnwell_GetInitParameter(CString controllerName, CString robotName, RobotParameterSet* set);

// Empty *record (its storage released), then fill it with the robot's stroke
// or payload table; the robot name is compared exactly. An empty name only
// empties the record.
int Tarnwell_GetStrokeData(CString robotName, RobotTableRecord* record);
int Tarnwell_GetPayloadData(CString robotName, RobotTableRecord* record);

}  // extern "C"

// Types of the exports, for binding them by name.
using PFN_Tarnwell_GetControllerListCount = int (*)();
using PFN_Tarnwell_GetControllerNames = int (*)(CString*, int);
using PFN_Tarnwell_GetRobotNames = int (*)(int, CString*);
using PFN_Tarnwell_GetSelectParameters = int (*)(int, int, std::int32_t*, int);
using PFN_Tarnwell_GetDatabaseVersion = int (*)(CString*);
using PFN_Tarnwell_GetInitParameter = int (*)(CString, CString, RobotParameterSet*);
using PFN_Tarnwell_GetStrokeData = int (*)(CString, RobotTableRecord*);
using PFN_Tarnwell_GetPayloadData = int (*)(CString, RobotTableRecord*);
