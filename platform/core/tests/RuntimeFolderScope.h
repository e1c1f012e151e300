// Points $XDG_RUNTIME_DIR at a fresh private folder for one test, so shared
// objects never meet those of other tests or of a real session.
#pragma once

#include "platform/core/KernelObject.h"

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <unistd.h>

class RuntimeFolderScope {
public:
    RuntimeFolderScope()
    {
        if (const char* old = std::getenv("XDG_RUNTIME_DIR")) m_saved = old;
        std::string pattern = (std::filesystem::temp_directory_path() / "qv-runtime-XXXXXX").string();
        if (const char* made = ::mkdtemp(pattern.data())) m_path = made;
        ::setenv("XDG_RUNTIME_DIR", m_path.c_str(), 1);
    }
    ~RuntimeFolderScope()
    {
        if (m_saved) {
            ::setenv("XDG_RUNTIME_DIR", m_saved->c_str(), 1);
        } else {
            ::unsetenv("XDG_RUNTIME_DIR");
        }
        std::error_code ignored;
        if (!m_path.empty()) std::filesystem::remove_all(m_path, ignored);
    }
    RuntimeFolderScope(const RuntimeFolderScope&) = delete;
    RuntimeFolderScope& operator=(const RuntimeFolderScope&) = delete;

    const std::string& Path() const { return m_path; }
    std::string ObjectFolder() const { return m_path + "/qv-objects"; }

private:
    std::string m_path;
    std::optional<std::string> m_saved;
};

// Closes a kernel handle at the end of a scope.
class OwnedHandle {
public:
    explicit OwnedHandle(HANDLE handle = nullptr) : m_handle(handle) {}
    ~OwnedHandle()
    {
        if (m_handle) CloseHandle(m_handle);
    }
    OwnedHandle(OwnedHandle&& other) noexcept : m_handle(other.m_handle) { other.m_handle = nullptr; }
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    HANDLE get() const { return m_handle; }
    operator HANDLE() const { return m_handle; }
    explicit operator bool() const { return static_cast<bool>(m_handle); }

private:
    HANDLE m_handle;
};
