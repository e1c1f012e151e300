// Small fixtures shared by the data-core tests.
#pragma once

#include "manager/core/NumberText.h"
#include "platform/core/CString.h"
#include "platform/core/CodePage.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>

// Failure messages show texts, not bytes.
inline void PrintTo(const CString& text, std::ostream* os) { *os << '"' << text.ToUtf8() << '"'; }

namespace testfx {

class TempDir {
public:
    TempDir()
    {
        std::string tmpl = (std::filesystem::temp_directory_path() / "qv-mcore-XXXXXX").string();
        m_path = ::mkdtemp(tmpl.data());
    }
    ~TempDir() { std::filesystem::remove_all(m_path); }
    CString File(const char* name) const { return CString::FromUtf8((m_path / name).string()); }
    std::filesystem::path Native(const char* name) const { return m_path / name; }
    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

inline std::string Slurp(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void Spit(const std::filesystem::path& p, const std::string& bytes)
{
    std::ofstream(p, std::ios::binary) << bytes;
}

// Switches the process's ANSI code page for one test.
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

// Switches the user's decimal separator and negative sign for one test.
class NumberLocaleScope {
public:
    explicit NumberLocaleScope(char16_t separator, char16_t negative = u'-') : m_saved(GetNumberLocale())
    {
        SetNumberLocale({separator, negative});
    }
    ~NumberLocaleScope() { SetNumberLocale(m_saved); }
    NumberLocaleScope(const NumberLocaleScope&) = delete;
    NumberLocaleScope& operator=(const NumberLocaleScope&) = delete;

private:
    NumberLocale m_saved;
};

}  // namespace testfx
