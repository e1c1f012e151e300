// The queries behind the Tarnwell exports, on the database files of one
// folder. The exports use the running program's folder; tests point it at
// a folder of their own.
#pragma once

#include "dbaccess/Tarnwell.h"

class CRobotDatabase {
public:
    explicit CRobotDatabase(CString folder);
    // The database installed beside the running program.
    static CRobotDatabase Installed();

    int GetControllerListCount() const;
    int GetControllerNames(CString* texts, int capacity) const;
    int GetRobotNames(int controllerIndex, CString* names) const;
    int GetSelectParameters(int controllerIndex, int parameterIndex, std::int32_t* values, int capacity) const;
    int GetDatabaseVersion(CString* version) const;
    int GetInitParameter(const CString& controllerName, const CString& robotName, RobotParameterSet* set) const;
    int GetStrokeData(const CString& robotName, RobotTableRecord* record) const;
    int GetPayloadData(const CString& robotName, RobotTableRecord* record) const;

    // "%d.%02d.%02d" of a packed version (major in bits 31-16, minor 15-8, build 7-0).
    static CString FormatVersion(std::uint32_t packed);

private:
    int GetTableData(const char16_t* fileName, const char* magic, const CString& robotName,
                     RobotTableRecord* record) const;

    CString m_folder;
};
