// Images that the program registers so that markup can name them with
// "handle=N". The markup's number is only ever looked up here, never taken as
// an address, so a wrong or stale number draws nothing.
#pragma once

#include "htmltip/MarkupCanvas.h"

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

namespace htmltip {

class MarkupHandleTable {
public:
    static MarkupHandleTable& Instance();

    // A new number (never 0, never given twice in a run) under which markup
    // finds the image; 0 for a null image.
    std::uint32_t Register(MarkupImageKind kind, std::shared_ptr<IMarkupImage> image);
    bool Unregister(std::uint32_t number);
    // The image registered under the number with that kind; null otherwise.
    std::shared_ptr<IMarkupImage> Find(std::uint32_t number, MarkupImageKind kind) const;

private:
    struct Entry {
        MarkupImageKind kind;
        std::shared_ptr<IMarkupImage> image;
    };
    mutable std::mutex m_mutex;
    std::map<std::uint32_t, Entry> m_entries;
    std::uint32_t m_next = 1;
};

// A registration that ends with its owner.
class ScopedMarkupHandle {
public:
    ScopedMarkupHandle() = default;
    ScopedMarkupHandle(MarkupImageKind kind, std::shared_ptr<IMarkupImage> image)
        : m_number(MarkupHandleTable::Instance().Register(kind, std::move(image)))
    {
    }
    ~ScopedMarkupHandle() { Reset(); }
    ScopedMarkupHandle(const ScopedMarkupHandle&) = delete;
    ScopedMarkupHandle& operator=(const ScopedMarkupHandle&) = delete;
    ScopedMarkupHandle(ScopedMarkupHandle&& other) noexcept : m_number(other.m_number) { other.m_number = 0; }
    ScopedMarkupHandle& operator=(ScopedMarkupHandle&& other) noexcept
    {
        if (this != &other) {
            Reset();
            m_number = other.m_number;
            other.m_number = 0;
        }
        return *this;
    }

    std::uint32_t Number() const { return m_number; }
    void Reset()
    {
        if (m_number != 0) MarkupHandleTable::Instance().Unregister(m_number);
        m_number = 0;
    }

private:
    std::uint32_t m_number = 0;
};

}  // namespace htmltip
