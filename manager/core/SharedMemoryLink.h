// The link through which the manager hands one controller's data to the
// simulator and takes the edited data back: it binds the shared-memory
// exchange library by name and converts between a ControllerData and the
// fixed-layout SharedControllerRecord of the first block. The simulator
// carries the same link, so both programs read and write one format.
//
// The link holds the library only while the shared memory is allocated:
// Load either ends with both or leaves nothing loaded.
#pragma once

#include "manager/core/ControllerData.h"
#include "manager/core/LoadedLibrary.h"
#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"
#include "sharedmem/Halvisk.h"
#include "sharedmem/SharedControllerRecord.h"

inline constexpr char16_t kSharedMemoryLibraryName[] = u"Halvisk.dll";

class CSharedMemoryLink {
public:
    // libraryName lets tests use a stand-in library; the programs use the default.
    explicit CSharedMemoryLink(const char16_t* libraryName = kSharedMemoryLibraryName);
    virtual ~CSharedMemoryLink();

    CSharedMemoryLink(const CSharedMemoryLink&) = delete;
    CSharedMemoryLink& operator=(const CSharedMemoryLink&) = delete;

    // Loads the library, binds its six exports and allocates the shared
    // memory. 1 on success (also when already loaded); 0 when the library or
    // an export is missing or the allocation fails, and then nothing stays
    // loaded.
    BOOL Load();
    // Deallocates the shared memory and frees the library; nothing when not loaded.
    void Release();
    // 1 while the link holds the shared memory.
    int IsAllocated() const { return m_allocated; }

    // Fills a record from the data and copies it into the shared block.
    // False when the link is not loaded, the data has no parameter set or
    // the library could not copy. Texts longer than 254 characters are cut.
    bool WriteController(const ControllerData& data);
    // Copies the shared block and stores it into the data; false, with the
    // data untouched, when the link is not loaded, the data has no parameter
    // set or the library could not copy.
    bool ReadController(ControllerData& data);

    // The conversions themselves. ToRecord starts from zero bytes, so unused
    // text units and the padding are zero. FromRecord leaves the user text,
    // the addresses and the set's controller index alone and names the set
    // after the robot text. Both need the data's first parameter set.
    static bool ToRecord(const ControllerData& data, SharedControllerRecord& record);
    static bool FromRecord(const SharedControllerRecord& record, ControllerData& data);

private:
    const CString m_libraryName;
    LoadedLibrary m_library;
    // All six exports must be there; the position-text pair is never called.
    PFN_DeallocateMemory m_deallocateMemory = nullptr;
    PFN_WriteContData m_writeContData = nullptr;
    PFN_ReadContData m_readContData = nullptr;
    int m_allocated = 0;
};
