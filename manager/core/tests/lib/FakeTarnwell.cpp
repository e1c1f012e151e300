// A stand-in for the database library with a fixed list of its own.
// QV_FAKE_RESULT: the result of every export (a failing one scribbles on its
// outputs first); QV_FAKE_COUNT: the controllers the count claims;
// QV_FAKE_LISTED: how many of them the names call gives (a file replaced
// between the two calls); QV_FAKE_OMIT_<export>: leaves that export out.
#include "dbaccess/Tarnwell.h"
#include "manager/core/tests/lib/FakeLibraryLog.h"

#ifndef QV_FAKE_RESULT
#define QV_FAKE_RESULT 0
#endif
#ifndef QV_FAKE_COUNT
#define QV_FAKE_COUNT 3
#endif
#ifndef QV_FAKE_LISTED
#define QV_FAKE_LISTED QV_FAKE_COUNT
#endif

namespace {

const char16_t* const kControllers[][2] = {{u"FAKE-A", u"FA"}, {u"FAKE-B", u"FB"}, {u"FAKE-A", u"F2"}};

}  // namespace

extern "C" {

#ifndef QV_FAKE_OMIT_Tarnwell_GetControllerListCount
int Tarnwell_GetControllerListCount()
{
    FakeLog("Tarnwell_GetControllerListCount");
    return QV_FAKE_RESULT != 0 ? QV_FAKE_RESULT : QV_FAKE_COUNT;
}
#endif

#ifndef QV_FAKE_OMIT_Tarnwell_GetControllerNames
int Tarnwell_GetControllerNames(CString* texts, int capacity)
{
    FakeLog("Tarnwell_GetControllerNames " + std::to_string(capacity));
    if (QV_FAKE_RESULT != 0) {
        for (int i = 0; i < capacity; ++i)
            texts[i] = u"scribbled";
        return QV_FAKE_RESULT;
    }
    if (capacity < 2 * QV_FAKE_LISTED)
        return kTarnwellBadArgument;
    for (int i = 0; i < QV_FAKE_LISTED; ++i) {
        texts[2 * i] = kControllers[i][0];
        texts[2 * i + 1] = kControllers[i][1];
    }
    return QV_FAKE_LISTED;
}
#endif

#ifndef QV_FAKE_OMIT_Tarnwell_GetDatabaseVersion
int Tarnwell_GetDatabaseVersion(CString* version)
{
    FakeLog("Tarnwell_GetDatabaseVersion");
    if (QV_FAKE_RESULT != 0) {
        *version = u"scribbled";
        return QV_FAKE_RESULT;
    }
    *version = u"9.08.07";
    return kTarnwellOk;
}
#endif

// Knows one robot, "R1" of "FAKE-A", stored as "R1-STORED".
#ifndef QV_FAKE_OMIT_Tarnwell_GetInitParameter
int Tarnwell_GetInitParameter(CString controllerName, CString robotName, RobotParameterSet* set)
{
    FakeLog("Tarnwell_GetInitParameter " + controllerName.ToUtf8() + " " + robotName.ToUtf8());
    if (QV_FAKE_RESULT != 0 || controllerName != u"FAKE-A" || robotName != u"R1") {
        set->name = u"scribbled";
        set->controllerIndex = -99;
        set->values.fill(-99);
        return QV_FAKE_RESULT != 0 ? QV_FAKE_RESULT : kTarnwellNotFound;
    }
    set->name = u"R1-STORED";
    set->controllerIndex = 0;
    for (int i = 0; i < kParamCount; ++i)
        set->values[static_cast<std::size_t>(i)] = 1000 + i;
    return kTarnwellOk;
}
#endif

}  // extern "C"
