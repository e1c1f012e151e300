// The exports: each one runs its query on the installed database and lets no
// exception out (an allocation failure reads as an unreadable file).
#include "dbaccess/Tarnwell.h"

#include "dbaccess/RobotDatabase.h"

#include <utility>

namespace {

template <typename Query>
int Guarded(Query&& query) noexcept
{
    try {
        return std::forward<Query>(query)(CRobotDatabase::Installed());
    } catch (...) {
        return kTarnwellNotOpened;
    }
}

}  // namespace

extern "C" {

int Tarnwell_GetControllerListCount()
{
    return Guarded([](const CRobotDatabase& db) { return db.GetControllerListCount(); });
}

int Tarnwell_GetControllerNames(CString* texts, int capacity)
{
    return Guarded([&](const CRobotDatabase& db) { return db.GetControllerNames(texts, capacity); });
}

int Tarnwell_GetRobotNames(int controllerIndex, CString* names)
{
    return Guarded([&](const CRobotDatabase& db) { return db.GetRobotNames(controllerIndex, names); });
}

int Tarnwell_GetSelectParameters(int controllerIndex, int parameterIndex, std::int32_t* values, int capacity)
{
    return Guarded([&](const CRobotDatabase& db) {
        return db.GetSelectParameters(controllerIndex, parameterIndex, values, capacity);
    });
}

int Tarnwell_GetDatabaseVersion(CString* version)
{
    return Guarded([&](const CRobotDatabase& db) { return db.GetDatabaseVersion(version); });
}

int Tarnwell_GetInitParameter(CString controllerName, CString robotName, RobotParameterSet* set)
{
    return Guarded([&](const CRobotDatabase& db) { return db.GetInitParameter(controllerName, robotName, set); });
}

int Tarnwell_GetStrokeData(CString robotName, RobotTableRecord* record)
{
    return Guarded([&](const CRobotDatabase& db) { return db.GetStrokeData(robotName, record); });
}

int Tarnwell_GetPayloadData(CString robotName, RobotTableRecord* record)
{
    return Guarded([&](const CRobotDatabase& db) { return db.GetPayloadData(robotName, record); });
}

}  // extern "C"
