// A stand-in for the shared-memory exchange library that keeps the record in
// the process. QV_FAKE_ALLOCATE: what AllocateMemory answers; QV_FAKE_COPY:
// what the copies answer (a failing read scribbles on its output first);
// QV_FAKE_OMIT_<export>: leaves that export out.
#include "manager/core/tests/lib/FakeLibraryLog.h"
#include "sharedmem/Halvisk.h"

#include <cstring>

#ifndef QV_FAKE_ALLOCATE
#define QV_FAKE_ALLOCATE 1
#endif
#ifndef QV_FAKE_COPY
#define QV_FAKE_COPY 1
#endif

namespace {

SharedControllerRecord g_record;

}  // namespace

extern "C" {

#ifndef QV_FAKE_OMIT_AllocateMemory
std::int32_t AllocateMemory()
{
    FakeLog("AllocateMemory");
    return QV_FAKE_ALLOCATE;
}
#endif

#ifndef QV_FAKE_OMIT_DeallocateMemory
void DeallocateMemory() { FakeLog("DeallocateMemory"); }
#endif

#ifndef QV_FAKE_OMIT_WriteContData
std::int32_t WriteContData(SharedControllerRecord record)
{
    FakeLog("WriteContData");
    if (QV_FAKE_COPY == 1)
        g_record = record;
    return QV_FAKE_COPY;
}
#endif

#ifndef QV_FAKE_OMIT_ReadContData
std::int32_t ReadContData(SharedControllerRecord* record)
{
    FakeLog("ReadContData");
    if (QV_FAKE_COPY == 1)
        *record = g_record;
    else
        std::memset(record, 0xAB, sizeof *record);
    return QV_FAKE_COPY;
}
#endif

#ifndef QV_FAKE_OMIT_WritePositionData
std::int32_t WritePositionData(CString) { return QV_FAKE_COPY; }
#endif

#ifndef QV_FAKE_OMIT_ReadPositionData
std::int32_t ReadPositionData(CString*) { return QV_FAKE_COPY; }
#endif

}  // extern "C"
