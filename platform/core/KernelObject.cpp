#include "platform/core/KernelObject.h"

#include "platform/core/Thread.h"
#include "platform/core/ThreadQueue.h"

#include <algorithm>
#include <array>
#include <condition_variable>
#include <deque>
#include <unordered_map>
#include <vector>

namespace platform {
namespace {

// Enough for any sane program; a leak of handles ends in a clear error.
constexpr std::size_t kMaxHandles = std::size_t{1} << 20;

struct Slot {
    std::shared_ptr<KernelObject> object;
    DWORD access = 0;
    std::uint32_t generation = 1;
};

struct HandleTable {
    std::mutex lock;
    std::vector<Slot> slots = std::vector<Slot>(1);  // slot 0 is never used
    std::deque<std::uint32_t> freeSlots;             // oldest first, so a slot is reused late
};

// Process-wide state is never destroyed: threads may still use it while the
// process exits.
HandleTable& Table()
{
    static auto* table = new HandleTable;
    return *table;
}

struct WaitState {
    std::mutex lock;
    std::condition_variable changed;
    // Guards every object's waiter list and `all`; taken after the wait lock,
    // never before it.
    std::mutex registry;
    std::vector<ObjectWaiter*> all;
};

WaitState& Waits()
{
    static auto* state = new WaitState;
    return *state;
}

struct NameEntry {
    std::weak_ptr<KernelObject> object;
    const KernelObject* identity = nullptr;
};

struct NameTable {
    std::recursive_mutex lock;
    std::unordered_map<std::u16string, NameEntry> names;
};

NameTable& Names()
{
    static auto* table = new NameTable;
    return *table;
}

DWORD WaitForObjects(const std::vector<std::shared_ptr<KernelObject>>& objects, bool waitAll, DWORD timeoutMs)
{
    using Clock = std::chrono::steady_clock;
    const DWORD self = GetCurrentThreadId();
    const bool infinite = timeoutMs == INFINITE;
    const auto deadline = infinite ? Clock::time_point{} : Clock::now() + std::chrono::milliseconds(timeoutMs);
    DWORD pollMs = 0;
    for (const auto& object : objects) {
        const DWORD p = object->PollIntervalMs();
        if (p != 0 && (pollMs == 0 || p < pollMs)) pollMs = p;
    }

    std::array<AcquireResult, MAXIMUM_WAIT_OBJECTS> taken{};
    ObjectWaiter waiter;
    std::unique_lock<std::mutex> lock(WaitLock());
    struct Registration {
        ObjectWaiter& waiter;
        const std::vector<std::shared_ptr<KernelObject>>& objects;
        ~Registration() { UnregisterObjectWaiter(waiter, objects); }
    } registration{waiter, objects};
    RegisterObjectWaiter(waiter, objects);
    for (;;) {
        if (!waitAll) {
            for (std::size_t i = 0; i < objects.size(); ++i) {
                const AcquireResult r = objects[i]->TryAcquire(self);
                if (r == AcquireResult::Acquired) return WAIT_OBJECT_0 + static_cast<DWORD>(i);
                if (r == AcquireResult::Abandoned) return WAIT_ABANDONED_0 + static_cast<DWORD>(i);
            }
        } else {
            std::size_t count = 0;
            for (; count < objects.size(); ++count) {
                taken[count] = objects[count]->TryAcquire(self);
                if (taken[count] == AcquireResult::NotReady) break;
            }
            if (count == objects.size()) {
                for (std::size_t i = 0; i < count; ++i) {
                    if (taken[i] == AcquireResult::Abandoned) return WAIT_ABANDONED_0 + static_cast<DWORD>(i);
                }
                return WAIT_OBJECT_0;
            }
            while (count > 0) {
                --count;
                objects[count]->UndoAcquire(self, taken[count]);
            }
        }

        const auto now = Clock::now();
        if (!infinite && now >= deadline) return WAIT_TIMEOUT;
        if (pollMs != 0) {
            auto until = now + std::chrono::milliseconds(pollMs);
            if (!infinite) until = std::min(until, deadline);
            waiter.changed.wait_until(lock, until);
        } else if (infinite) {
            waiter.changed.wait(lock);
        } else {
            waiter.changed.wait_until(lock, deadline);
        }
    }
}

// Wakes the waits of a list, the registry's lock held; the queues of waits in
// a toolkit's loop are collected, to be woken once the lock is given back.
void WakeLocked(const std::vector<ObjectWaiter*>& list, std::vector<std::shared_ptr<detail::ThreadQueue>>& natives)
{
    for (ObjectWaiter* waiter : list) {
        if (waiter->native) {
            natives.push_back(waiter->native->shared_from_this());
        } else {
            waiter->changed.notify_one();
        }
    }
}

void WakeNatives(const std::vector<std::shared_ptr<detail::ThreadQueue>>& natives)
{
    for (const auto& queue : natives) queue->WakeDispatcher();
}

}  // namespace

HANDLE AddKernelObject(std::shared_ptr<KernelObject> object, DWORD access)
{
    if (!object) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    HandleTable& table = Table();
    std::lock_guard<std::mutex> guard(table.lock);
    std::uint32_t index = 0;
    if (!table.freeSlots.empty()) {
        index = table.freeSlots.front();
        table.freeSlots.pop_front();
    } else {
        if (table.slots.size() >= kMaxHandles) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return nullptr;
        }
        index = static_cast<std::uint32_t>(table.slots.size());
        table.slots.emplace_back();
    }
    Slot& slot = table.slots[index];
    slot.object = std::move(object);
    slot.access = access;
    return HANDLE::Make(index, slot.generation);
}

std::shared_ptr<KernelObject> GetKernelObject(HANDLE handle, DWORD* access)
{
    HandleTable& table = Table();
    std::lock_guard<std::mutex> guard(table.lock);
    const std::uint32_t index = handle.Index();
    if (index == 0 || index >= table.slots.size() || handle == INVALID_HANDLE_VALUE) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    const Slot& slot = table.slots[index];
    if (!slot.object || slot.generation != handle.Generation()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (access) *access = slot.access;
    return slot.object;
}

std::mutex& WaitLock() { return Waits().lock; }

void NotifyObjectWaiters(KernelObject& object)
{
    WaitState& state = Waits();
    std::vector<std::shared_ptr<detail::ThreadQueue>> natives;
    {
        std::lock_guard<std::mutex> guard(state.registry);
        WakeLocked(object.waiters, natives);
    }
    WakeNatives(natives);
}

void RegisterObjectWaiter(ObjectWaiter& waiter, const std::vector<std::shared_ptr<KernelObject>>& objects)
{
    WaitState& state = Waits();
    std::lock_guard<std::mutex> guard(state.registry);
    for (const auto& object : objects) object->waiters.push_back(&waiter);
    state.all.push_back(&waiter);
}

void UnregisterObjectWaiter(ObjectWaiter& waiter, const std::vector<std::shared_ptr<KernelObject>>& objects)
{
    WaitState& state = Waits();
    std::lock_guard<std::mutex> guard(state.registry);
    for (const auto& object : objects) std::erase(object->waiters, &waiter);
    std::erase(state.all, &waiter);
}

void SetWaiterSlot(ObjectWaiter*& slot, ObjectWaiter* waiter)
{
    std::lock_guard<std::mutex> guard(Waits().registry);
    slot = waiter;
}

void WakeWaiterSlot(ObjectWaiter* const& slot)
{
    // A wait in a toolkit's loop is woken by its queue's dispatcher.
    std::lock_guard<std::mutex> guard(Waits().registry);
    if (slot && !slot->native) slot->changed.notify_one();
}

void NotifyWaiters()
{
    WaitState& state = Waits();
    state.changed.notify_all();
    std::vector<std::shared_ptr<detail::ThreadQueue>> natives;
    {
        std::lock_guard<std::mutex> guard(state.registry);
        WakeLocked(state.all, natives);
    }
    WakeNatives(natives);
}

void WaitForChange(std::unique_lock<std::mutex>& lock) { Waits().changed.wait(lock); }

void WaitForChangeUntil(std::unique_lock<std::mutex>& lock, std::chrono::steady_clock::time_point deadline)
{
    Waits().changed.wait_until(lock, deadline);
}

std::recursive_mutex& NameLock() { return Names().lock; }

std::shared_ptr<KernelObject> FindNamedObject(const std::u16string& name)
{
    NameTable& table = Names();
    std::lock_guard<std::recursive_mutex> guard(table.lock);
    const auto it = table.names.find(name);
    return it == table.names.end() ? nullptr : it->second.object.lock();
}

void RegisterNamedObject(const std::u16string& name, const std::shared_ptr<KernelObject>& object)
{
    NameTable& table = Names();
    std::lock_guard<std::recursive_mutex> guard(table.lock);
    table.names[name] = NameEntry{object, object.get()};
}

void UnregisterNamedObject(const std::u16string& name, const KernelObject* object)
{
    NameTable& table = Names();
    std::lock_guard<std::recursive_mutex> guard(table.lock);
    const auto it = table.names.find(name);
    if (it != table.names.end() && it->second.identity == object) table.names.erase(it);
}

}  // namespace platform

BOOL CloseHandle(HANDLE handle)
{
    std::shared_ptr<platform::KernelObject> dropped;  // released after the table lock
    auto& table = platform::Table();
    {
        std::lock_guard<std::mutex> guard(table.lock);
        const std::uint32_t index = handle.Index();
        if (index == 0 || index >= table.slots.size() || handle == INVALID_HANDLE_VALUE) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        platform::Slot& slot = table.slots[index];
        if (!slot.object || slot.generation != handle.Generation()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        dropped = std::move(slot.object);
        slot.access = 0;
        ++slot.generation;  // every handle to this slot is stale from now on
        table.freeSlots.push_back(index);
    }
    return TRUE;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD timeoutMs)
{
    return WaitForMultipleObjects(1, &handle, FALSE, timeoutMs);
}

DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD timeoutMs)
{
    if (count == 0 || count > MAXIMUM_WAIT_OBJECTS || handles == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    // Declared before the wait takes its lock, so no object is destroyed under it.
    std::vector<std::shared_ptr<platform::KernelObject>> objects;
    objects.reserve(count);
    for (DWORD i = 0; i < count; ++i) {
        auto object = platform::GetKernelObject(handles[i]);
        if (!object) return WAIT_FAILED;
        if (!object->IsWaitable()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return WAIT_FAILED;
        }
        if (std::find(objects.begin(), objects.end(), object) != objects.end()) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return WAIT_FAILED;
        }
        objects.push_back(std::move(object));
    }
    return platform::WaitForObjects(objects, waitAll != FALSE, timeoutMs);
}
