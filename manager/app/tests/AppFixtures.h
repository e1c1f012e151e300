// Small fixtures shared by the manager logic tests.
#pragma once

#include "platform/core/CString.h"
#include "platform/core/CodePage.h"
#include "platform/core/Module.h"
#include "platform/core/ResourceModule.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <ostream>
#include <string>

// Failure messages show texts, not code units.
inline void PrintTo(const CString& text, std::ostream* os) { *os << '"' << text.ToUtf8() << '"'; }

namespace appfx {

class TempDir {
public:
    TempDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "qv-mapp-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) m_path = pattern;
    }
    ~TempDir()
    {
        std::error_code ignored;
        if (!m_path.empty()) std::filesystem::remove_all(m_path, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    CString File(const char* name) const { return CString::FromUtf8((m_path / name).string()); }
    std::filesystem::path Native(const char* name) const { return m_path / name; }
    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

inline std::string Slurp(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void Spit(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name)
    {
        if (const char* old = std::getenv(name)) m_old = old;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnv()
    {
        if (m_old)
            ::setenv(m_name.c_str(), m_old->c_str(), 1);
        else
            ::unsetenv(m_name.c_str());
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

class AnsiCodePageScope {
public:
    explicit AnsiCodePageScope(UINT codePage) : m_saved(platform::GetAnsiCodePage())
    {
        platform::SetAnsiCodePage(codePage);
    }
    ~AnsiCodePageScope() { platform::SetAnsiCodePage(m_saved); }
    AnsiCodePageScope(const AnsiCodePageScope&) = delete;
    AnsiCodePageScope& operator=(const AnsiCodePageScope&) = delete;

private:
    UINT m_saved;
};

// The manager's resource module in one language ("ja" or "en"), current for
// the scope, with the ANSI code page that goes with it.
class ManagerModule {
public:
    explicit ManagerModule(const char* lang = "en")
        : m_codePage(std::string(lang) == "ja" ? CP_SHIFT_JIS : CP_WESTERN)
    {
        ScopedEnv chosen("QV_LANG", lang);
        m_module = LoadLibraryW(u"resource.dll");
        if (m_module) m_current.emplace(m_module);
    }
    ~ManagerModule()
    {
        m_current.reset();
        if (m_module) FreeLibrary(m_module);
    }
    ManagerModule(const ManagerModule&) = delete;
    ManagerModule& operator=(const ManagerModule&) = delete;

    bool Loaded() const { return m_module != nullptr; }

private:
    AnsiCodePageScope m_codePage;
    HMODULE m_module = nullptr;
    std::optional<platform::ScopedResourceHandle> m_current;
};

inline CString LoadText(UINT id)
{
    CString text;
    text.LoadString(id);
    return text;
}

}  // namespace appfx
