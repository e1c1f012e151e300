#include "sharedmem/Halvisk.h"

#include "platform/core/FileMapping.h"
#include "platform/core/Synchronization.h"

#include <cstring>
#include <mutex>

namespace {

struct Block {
    HANDLE mapping{};
    void* view = nullptr;
};

// The process's two mappings and views. The lock keeps a copy and a
// DeallocateMemory of two threads apart; between processes the named
// mutexes order the copies.
struct State {
    std::mutex lock;
    Block record;
    Block text;
};

State& TheState()
{
    static State state;
    return state;
}

void Close(Block& block)
{
    if (block.view != nullptr)
        UnmapViewOfFile(block.view);
    if (block.mapping)
        CloseHandle(block.mapping);
    block = Block();
}

bool Open(Block& block, const char16_t* name, std::uint32_t bytes)
{
    block.mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, bytes, name);
    if (!block.mapping)
        return false;
    block.view = MapViewOfFile(block.mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0);
    if (block.view == nullptr) {
        Close(block);
        return false;
    }
    return true;
}

// Runs copy while holding the named lock, waiting for it a bounded time. A
// lock left by a process that died is taken over.
template <typename Copy>
bool UnderLock(const char16_t* lockName, Copy&& copy)
{
    HANDLE mutex = CreateMutexW(nullptr, FALSE, lockName);
    if (!mutex)
        return false;
    const DWORD waited = WaitForSingleObject(mutex, kHalviskLockTimeoutMs);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        CloseHandle(mutex);
        return false;
    }
    copy();
    ReleaseMutex(mutex);
    CloseHandle(mutex);
    return true;
}

}  // namespace

extern "C" {

std::int32_t AllocateMemory()
{
    try {
        State& s = TheState();
        std::lock_guard<std::mutex> guard(s.lock);
        if (s.record.view != nullptr && s.text.view != nullptr)
            return 1;
        // Nothing half made stays behind a failure.
        if (!Open(s.record, kHalviskRecordBlockName, sizeof(SharedControllerRecord)) ||
            !Open(s.text, kHalviskTextBlockName, kHalviskTextBlockBytes)) {
            Close(s.record);
            Close(s.text);
            return 0;
        }
        return 1;
    } catch (...) {
        return 0;
    }
}

void DeallocateMemory()
{
    try {
        State& s = TheState();
        std::lock_guard<std::mutex> guard(s.lock);
        Close(s.record);
        Close(s.text);
    } catch (...) {
    }
}

std::int32_t WriteContData(SharedControllerRecord record)
{
    try {
        State& s = TheState();
        std::lock_guard<std::mutex> guard(s.lock);
        if (s.record.view == nullptr)
            return 0;
        return UnderLock(kHalviskRecordLockName,
                         [&] { std::memcpy(s.record.view, &record, sizeof(SharedControllerRecord)); })
                   ? 1
                   : 0;
    } catch (...) {
        return 0;
    }
}

std::int32_t ReadContData(SharedControllerRecord* record)
{
    if (record == nullptr)
        return 0;
    try {
        State& s = TheState();
        std::lock_guard<std::mutex> guard(s.lock);
        if (s.record.view == nullptr)
            return 0;
        return UnderLock(kHalviskRecordLockName,
                         [&] { std::memcpy(record, s.record.view, sizeof(SharedControllerRecord)); })
                   ? 1
                   : 0;
    } catch (...) {
        return 0;
    }
}

std::int32_t WritePositionData(CString text)
{
    try {
        State& s = TheState();
        std::lock_guard<std::mutex> guard(s.lock);
        if (s.text.view == nullptr)
            return 0;
        return UnderLock(kHalviskTextLockName,
                         [&] { PutSharedText(static_cast<char16_t*>(s.text.view), text.str()); })
                   ? 1
                   : 0;
    } catch (...) {
        return 0;
    }
}

std::int32_t ReadPositionData(CString* text)
{
    if (text == nullptr)
        return 0;
    try {
        State& s = TheState();
        std::lock_guard<std::mutex> guard(s.lock);
        if (s.text.view == nullptr)
            return 0;
        char16_t units[kSharedTextUnits];
        if (!UnderLock(kHalviskTextLockName, [&] { std::memcpy(units, s.text.view, sizeof units); }))
            return 0;
        // Never past the block when another process left no terminator.
        const std::u16string_view read = SharedTextOf(units);
        *text = CString(read.data(), static_cast<int>(read.size()));
        return 1;
    } catch (...) {
        return 0;
    }
}

}  // extern "C"
