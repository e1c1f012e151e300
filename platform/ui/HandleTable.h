// A thread-safe table of objects behind index-and-generation handles. A slot
// gets a new generation each time it is reused, so an old handle to it no
// longer finds anything.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace platform::gdi {

template <class T>
class HandleTable {
public:
    std::uint64_t Add(std::shared_ptr<T> object)
    {
        std::lock_guard lock(m_mutex);
        std::uint32_t index;
        if (!m_free.empty()) {
            index = m_free.back();
            m_free.pop_back();
        } else {
            m_slots.emplace_back();
            index = static_cast<std::uint32_t>(m_slots.size() - 1);
        }
        Slot& s = m_slots[index];
        s.object = std::move(object);
        s.references = 0;
        s.pendingDelete = false;
        return Pack(index, s.generation);
    }

    std::shared_ptr<T> Get(std::uint64_t handle) const
    {
        std::lock_guard lock(m_mutex);
        const Slot* s = Find(handle);
        return s ? s->object : nullptr;
    }

    // Removes the object, or marks it to go when its last reference does.
    // False for an unknown handle.
    bool Remove(std::uint64_t handle)
    {
        std::shared_ptr<T> doomed;  // destroyed outside the lock
        std::lock_guard lock(m_mutex);
        Slot* s = Find(handle);
        if (!s) return false;
        if (s->references > 0) {
            s->pendingDelete = true;
            return true;
        }
        doomed = Free(handle);
        return true;
    }

    bool AddReference(std::uint64_t handle)
    {
        std::lock_guard lock(m_mutex);
        Slot* s = Find(handle);
        if (!s) return false;
        ++s->references;
        return true;
    }

    void ReleaseReference(std::uint64_t handle)
    {
        std::shared_ptr<T> doomed;
        std::lock_guard lock(m_mutex);
        Slot* s = Find(handle);
        if (!s || s->references == 0) return;
        if (--s->references == 0 && s->pendingDelete) doomed = Free(handle);
    }

    int References(std::uint64_t handle) const
    {
        std::lock_guard lock(m_mutex);
        const Slot* s = Find(handle);
        return s ? s->references : 0;
    }

private:
    struct Slot {
        std::uint32_t generation = 1;
        std::shared_ptr<T> object;
        int references = 0;
        bool pendingDelete = false;
    };

    static std::uint64_t Pack(std::uint32_t index, std::uint32_t generation)
    {
        // Index is stored plus one so that no live handle is 0.
        return (static_cast<std::uint64_t>(generation) << 32) | (index + 1);
    }
    const Slot* Find(std::uint64_t handle) const
    {
        const auto low = static_cast<std::uint32_t>(handle);
        if (low == 0) return nullptr;
        const std::uint32_t index = low - 1;
        if (index >= m_slots.size()) return nullptr;
        const Slot& s = m_slots[index];
        if (!s.object || s.generation != static_cast<std::uint32_t>(handle >> 32)) return nullptr;
        return &s;
    }
    Slot* Find(std::uint64_t handle) { return const_cast<Slot*>(static_cast<const HandleTable*>(this)->Find(handle)); }
    std::shared_ptr<T> Free(std::uint64_t handle)
    {
        const std::uint32_t index = static_cast<std::uint32_t>(handle) - 1;
        Slot& s = m_slots[index];
        std::shared_ptr<T> old = std::move(s.object);
        s.object.reset();
        s.references = 0;
        s.pendingDelete = false;
        if (++s.generation == 0) s.generation = 1;
        m_free.push_back(index);
        return old;
    }

    mutable std::mutex m_mutex;
    std::vector<Slot> m_slots;
    std::vector<std::uint32_t> m_free;
};

}  // namespace platform::gdi
