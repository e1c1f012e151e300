#include "manager/core/SharedMemoryLink.h"

#include <cstring>

static_assert(kSharedPointCount == kPointCount);
static_assert(kSharedPointFields == PointRecord::kFieldCount);
static_assert(kSharedParamCount == kParamCount);

namespace {

CString TextOf(const char16_t* field)
{
    const std::u16string_view text = SharedTextOf(field);
    return CString(text.data(), static_cast<int>(text.size()));
}

}  // namespace

CSharedMemoryLink::CSharedMemoryLink(const char16_t* libraryName) : m_libraryName(libraryName) {}

CSharedMemoryLink::~CSharedMemoryLink() { Release(); }

BOOL CSharedMemoryLink::Load()
{
    if (m_allocated)
        return TRUE;
    LoadedLibrary library(m_libraryName.GetString());
    const auto deallocate = library.Bind<PFN_DeallocateMemory>("DeallocateMemory");
    const auto writeCont = library.Bind<PFN_WriteContData>("WriteContData");
    const auto readCont = library.Bind<PFN_ReadContData>("ReadContData");
    const auto writePosition = library.Bind<PFN_WritePositionData>("WritePositionData");
    const auto readPosition = library.Bind<PFN_ReadPositionData>("ReadPositionData");
    const auto allocate = library.Bind<PFN_AllocateMemory>("AllocateMemory");
    if (!deallocate || !writeCont || !readCont || !writePosition || !readPosition || !allocate)
        return FALSE;
    if (allocate() != 1) {
        // Whatever a failed allocation left mapped goes with the library.
        deallocate();
        return FALSE;
    }
    m_library = std::move(library);
    m_deallocateMemory = deallocate;
    m_writeContData = writeCont;
    m_readContData = readCont;
    m_allocated = 1;
    return TRUE;
}

void CSharedMemoryLink::Release()
{
    if (!m_allocated)
        return;
    m_deallocateMemory();
    m_deallocateMemory = nullptr;
    m_writeContData = nullptr;
    m_readContData = nullptr;
    m_allocated = 0;
    m_library.Free();
}

bool CSharedMemoryLink::WriteController(const ControllerData& data)
{
    if (!m_allocated)
        return false;
    SharedControllerRecord record;
    if (!ToRecord(data, record))
        return false;
    return m_writeContData(record) == 1;
}

bool CSharedMemoryLink::ReadController(ControllerData& data)
{
    if (!m_allocated || !data.FirstParamSet())
        return false;
    SharedControllerRecord record;
    std::memset(&record, 0, sizeof record);
    if (m_readContData(&record) != 1)
        return false;
    return FromRecord(record, data);
}

bool CSharedMemoryLink::ToRecord(const ControllerData& data, SharedControllerRecord& record)
{
    const RobotParameterSet* set = data.FirstParamSet();
    if (!set)
        return false;
    std::memset(&record, 0, sizeof record);
    PutSharedText(record.controller, data.controller.str());
    PutSharedText(record.robot, data.robot.str());
    PutSharedText(record.interfaceText, data.interfaceText.str());
    PutSharedText(record.version, data.version.str());
    PutSharedText(record.databaseVersion, data.dbVersion.str());
    PutSharedText(record.extraText, data.typeText.str());
    for (int slot = 0; slot < kSharedPointCount; ++slot) {
        for (int field = 0; field < kSharedPointFields; ++field)
            record.points[slot][field] = data.points[static_cast<std::size_t>(slot)].Field(field);
    }
    PutSharedText(record.paramSetName, set->name.str());
    record.paramSetControllerIndex = set->controllerIndex;
    for (int i = 0; i < kSharedParamCount; ++i)
        record.paramValues[i] = set->values[static_cast<std::size_t>(i)];
    return true;
}

bool CSharedMemoryLink::FromRecord(const SharedControllerRecord& record, ControllerData& data)
{
    RobotParameterSet* set = data.FirstParamSet();
    if (!set)
        return false;
    data.controller = TextOf(record.controller);
    data.robot = TextOf(record.robot);
    data.interfaceText = TextOf(record.interfaceText);
    data.version = TextOf(record.version);
    data.dbVersion = TextOf(record.databaseVersion);
    data.typeText = TextOf(record.extraText);
    for (int slot = 0; slot < kSharedPointCount; ++slot) {
        for (int field = 0; field < kSharedPointFields; ++field)
            data.points[static_cast<std::size_t>(slot)].Field(field) = record.points[slot][field];
    }
    // The simulator names the set after the robot; the record's set name is
    // not read back.
    set->name = data.robot;
    for (int i = 0; i < kSharedParamCount; ++i)
        set->values[static_cast<std::size_t>(i)] = record.paramValues[i];
    return true;
}
