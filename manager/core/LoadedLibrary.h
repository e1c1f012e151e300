// A library loaded by name for as long as the object lives, from the
// program's folder only (a library planted elsewhere is never loaded), and
// freed exactly once, whatever happened in between.
#pragma once

#include "platform/core/Module.h"

#include <utility>

class LoadedLibrary {
public:
    LoadedLibrary() = default;
    explicit LoadedLibrary(const char16_t* fileName) : m_module(LoadLibraryW(fileName)) {}
    ~LoadedLibrary() { Free(); }

    LoadedLibrary(LoadedLibrary&& other) noexcept : m_module(std::exchange(other.m_module, HMODULE())) {}
    LoadedLibrary& operator=(LoadedLibrary&& other) noexcept
    {
        if (this != &other) {
            Free();
            m_module = std::exchange(other.m_module, HMODULE());
        }
        return *this;
    }
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;

    bool IsLoaded() const { return static_cast<bool>(m_module); }

    // The export of that name as a Function, or null when the library is not
    // loaded or lacks it.
    template <typename Function>
    Function Bind(const char* name) const
    {
        if (!m_module)
            return nullptr;
        return reinterpret_cast<Function>(GetProcAddress(m_module, name));
    }

    void Free()
    {
        if (m_module)
            FreeLibrary(std::exchange(m_module, HMODULE()));
    }

private:
    HMODULE m_module{};
};
