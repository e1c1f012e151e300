// Wrappers that FromHandle hands out for handles the caller does not own.
// One per handle and thread; they never delete the handle. Wrappers of
// handles that are gone are dropped now and then.
#pragma once

#include <cstdint>
#include <memory>
#include <unordered_map>

namespace platform::gdi {

template <class T, class H, class Valid>
T* TemporaryWrapper(H handle, Valid&& valid)
{
    constexpr std::size_t kPurgeAbove = 1024;
    struct Cache {
        std::unordered_map<std::uint64_t, std::unique_ptr<T>> map;
        ~Cache()
        {
            for (auto& entry : map) entry.second->Detach();
        }
    };
    thread_local Cache cache;
    if (!handle) return nullptr;
    auto& slot = cache.map[handle.Value()];
    if (!slot) {
        slot = std::make_unique<T>();
        slot->Attach(handle);
    }
    T* result = slot.get();
    if (cache.map.size() > kPurgeAbove) {
        for (auto it = cache.map.begin(); it != cache.map.end();) {
            if (it->second.get() != result && !valid(it->first)) {
                it->second->Detach();
                it = cache.map.erase(it);
            } else {
                ++it;
            }
        }
    }
    return result;
}

}  // namespace platform::gdi
