#include "platform/ui/GlobalMemory.h"

#include "platform/core/LastError.h"
#include "platform/ui/HandleTable.h"

#include <atomic>
#include <cstring>
#include <new>

namespace {

// Larger requests fail cleanly instead of exhausting memory.
constexpr SIZE_T kMaxBlockBytes = SIZE_T{1} << 31;

struct Block {
    std::unique_ptr<std::byte[]> bytes;
    SIZE_T size = 0;
    std::atomic<int> locks{0};
    bool ownedByClipboard = false;
};

platform::gdi::HandleTable<Block>& Blocks()
{
    static auto* table = new platform::gdi::HandleTable<Block>();  // lives as long as the process
    return *table;
}

std::shared_ptr<Block> Find(HGLOBAL h)
{
    auto b = h ? Blocks().Get(h.Value()) : nullptr;
    if (!b) SetLastError(ERROR_INVALID_HANDLE);
    return b;
}

std::shared_ptr<Block> NewBlock(SIZE_T bytes)
{
    if (bytes == 0 || bytes > kMaxBlockBytes) return nullptr;
    auto b = std::make_shared<Block>();
    b->bytes.reset(new (std::nothrow) std::byte[bytes]());
    if (!b->bytes) return nullptr;
    b->size = bytes;
    return b;
}

}  // namespace

HGLOBAL GlobalAlloc(UINT, SIZE_T bytes)
{
    auto b = NewBlock(bytes);
    if (!b) {
        SetLastError(bytes == 0 ? ERROR_INVALID_PARAMETER : ERROR_NOT_ENOUGH_MEMORY);
        return {};
    }
    return HGLOBAL::FromValue(Blocks().Add(std::move(b)));
}

LPVOID GlobalLock(HGLOBAL block)
{
    auto b = Find(block);
    if (!b) return nullptr;
    ++b->locks;
    return b->bytes.get();
}

BOOL GlobalUnlock(HGLOBAL block)
{
    auto b = Find(block);
    if (!b) return FALSE;
    int locks = b->locks.load();
    do {
        if (locks == 0) return FALSE;
    } while (!b->locks.compare_exchange_weak(locks, locks - 1));
    return locks - 1 > 0 ? TRUE : FALSE;
}

HGLOBAL GlobalFree(HGLOBAL block)
{
    auto b = Find(block);
    if (!b || b->ownedByClipboard) return block;
    Blocks().Remove(block.Value());
    return {};
}

SIZE_T GlobalSize(HGLOBAL block)
{
    auto b = Find(block);
    return b ? b->size : 0;
}

namespace platform {

std::string GlobalBlockBytes(HGLOBAL block)
{
    auto b = Find(block);
    if (!b) return {};
    return std::string(reinterpret_cast<const char*>(b->bytes.get()), b->size);
}

HGLOBAL AllocOwnedGlobalBlock(const std::string& bytes)
{
    auto b = NewBlock(bytes.empty() ? 1 : bytes.size());
    if (!b) return {};
    std::memcpy(b->bytes.get(), bytes.data(), bytes.size());
    b->ownedByClipboard = true;
    return HGLOBAL::FromValue(Blocks().Add(std::move(b)));
}

bool FreeOwnedGlobalBlock(HGLOBAL block)
{
    auto b = Find(block);
    if (!b || !b->ownedByClipboard) return false;
    return Blocks().Remove(block.Value());
}

}  // namespace platform
