// The manager's calls into the database library and the motion library.
// Nothing links against them: every call loads its library by name from the
// program's folder, binds the exports it needs, calls them, frees the
// library once and only then copies the results into the caller's storage.
// A missing library or export, a missing database or a negative result
// fails quietly: false, no message (the callers decide what to show), and
// the caller's outputs as they were, except where a function says otherwise.
//
// The library name is a parameter so that tests can point a call at a
// stand-in library; the programs always use the default.
#pragma once

#include "dbaccess/RobotParameterSet.h"
#include "manager/core/ControllerData.h"
#include "platform/core/CString.h"

#include <vector>

inline constexpr char16_t kDatabaseLibraryName[] = u"Tarnwell.dll";
inline constexpr char16_t kMotionLibraryName[] = u"PellarunLib.dll";

// A record filled from the database has this interface text.
inline constexpr char16_t kDatabaseInterfaceText[] = u"----";

// One controller of the database's list.
struct ControllerNamePair {
    CString name;
    CString code;  // the controller's model code text

    friend bool operator==(const ControllerNamePair&, const ControllerNamePair&) = default;
};

// Sets version to the database version ("%d.%02d.%02d").
bool LoadDatabaseVersion(CString& version, const char16_t* library = kDatabaseLibraryName);

// Fills pairs with the database's controllers in list order and count with
// their number. False at once, without touching the library, when pairs is
// not empty; false, with both outputs untouched, when the list cannot be
// read or is empty.
bool LoadControllerList(int& count, std::vector<ControllerNamePair>& pairs,
                        const char16_t* library = kDatabaseLibraryName);

// Sets code to the code text of the first controller of the list whose name
// equals controllerName (case-sensitive).
bool LookupControllerName(const CString& controllerName, CString& code,
                          const char16_t* library = kDatabaseLibraryName);

// Fills set with the robot's initial name and values under that controller;
// the robot name is looked up in upper case, and the set's name comes back as
// the database stores it. The set's controller index is kept. An empty robot
// name fails at once; otherwise the set's name is the robot name even when
// the lookup fails.
bool LoadInitParameter(RobotParameterSet& set, const CString& robotName, const CString& controllerName,
                       const char16_t* library = kDatabaseLibraryName);

// Sets the record's controller, robot and interface ("----") texts, then its
// first parameter set from the database and, when that worked, its database
// version text. The result is whether the parameters were found.
bool FillControllerDataFromDatabase(ControllerData& data, const CString& controllerName, const CString& robotName,
                                    const char16_t* library = kDatabaseLibraryName);

// The acceleration limit for x from the set's K48, K49, K50 (base, minimum,
// mode) and K55 to K58 (two coefficients as mantissa and exponent). False,
// with result untouched, without a set or without the library's export.
bool CallAccCalc(const RobotParameterSet* set, int x, int& result, const char16_t* library = kMotionLibraryName);
