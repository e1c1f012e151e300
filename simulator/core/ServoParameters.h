// The computations of the servo simulation page: the stroke table applied
// to the parameters, the stroke, the carried masses with their acceleration
// limits, and the speed limit that the payload table sets for the heavier
// mass. The page shows the results; everything here works on plain data.
#pragma once

#include "dbaccess/RobotParameterSet.h"
#include "dbaccess/Tarnwell.h"
#include "platform/core/CString.h"
#include "simulator/core/MotionLibrary.h"

#include <vector>

// The entry of a stroke or payload table that applies to a value (a stroke
// in micrometres or a mass in kg): the one before the first entry whose
// threshold is above it (compared as unsigned numbers, as the database
// stores them), entry 0 at least, the last when none is above; -1 for an
// empty table.
int ApplicableTableEntry(const RobotTableRecord& table, std::int32_t value);

// Sets K<n> = value for every item of the stroke table's entry that applies
// to the stroke (mm). Items naming no parameter (0, or beyond the 146) are
// skipped.
void ApplyStrokeTable(const RobotTableRecord& table, double strokeMm, RobotParameterSet& params);

// K43 = stroke in micrometres, K2 = stroke in units of the position decimals
// (K72), both cut toward zero.
void CommitStroke(double strokeMm, RobotParameterSet& params);

// Carried mass 1 (K76, its limit K77) or 2 (K78, K79): stores the mass and,
// when the library is bound, the acceleration limit DllAccCalc gives for it
// with K48, K49, K50, K55..K58. True when the limit was recomputed.
bool CommitCarriedMass(int which, std::int32_t mass, const MotionLibrary& library, RobotParameterSet& params);

// The larger of the two masses as typed.
int LargestMass(const CString& mass1, const CString& mass2);

struct SpeedLimit {
    bool overLimit = false;  // the override K9 exceeds the limit: the run asks first
    int percent = 0;         // the limit as a percent of the maximum speed
    double limitMmS = 0;
    CString text;            // strings 278 or 279; empty without a payload table
};

// The speed limit of the heavier mass. payload is null when the table could
// not be loaded; an empty table counts the same: no text, not over the limit.
// The limit is the last item of the entry that applies, in 0.01 mm/s; it
// limits only below the maximum speed (K44, whole mm/s), and the override is
// over it when the limit's percent of that speed is below K9.
SpeedLimit ComputeSpeedLimit(const RobotTableRecord* payload, int largestMass, const RobotParameterSet& params);

// The messages for database table files missing beside the program: string
// 283 when no "*.rid2" file is in the folder, then 282 when no "*.rid3".
std::vector<UINT> MissingTableFileMessages(const CString& folder);

enum class RobotTableKind { kStroke, kPayload };
inline constexpr char16_t kDatabaseLibraryFileName[] = u"Tarnwell.dll";

// Loads a robot's stroke or payload table from the database library. table
// is replaced by what was read, even when the read fails (an empty table
// then). False when the library, its export or the robot is missing.
bool LoadRobotTable(RobotTableKind kind, const CString& robotName, RobotTableRecord& table,
                    const char16_t* library = kDatabaseLibraryFileName);

// The robot names of a controller (-1: every robot) in database order, up
// to the first empty one. False, with names untouched, when the library,
// its export or the database is missing.
bool LoadRobotNames(int controllerIndex, std::vector<CString>& names,
                    const char16_t* library = kDatabaseLibraryFileName);
