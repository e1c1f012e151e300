// Helpers of the link tests: a private settings folder, files in it, and a
// code-page setting restored at the end of a scope.
#pragma once

#include "platform/core/CString.h"
#include "platform/core/CodePage.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <unistd.h>

// Points $XDG_CONFIG_HOME at a fresh temporary folder while it lives.
class ScopedSettingsFolder {
public:
    ScopedSettingsFolder()
    {
        if (const char* old = std::getenv("XDG_CONFIG_HOME")) m_saved = old;
        std::string pattern = (std::filesystem::temp_directory_path() / "qv-comm-XXXXXX").string();
        if (const char* made = ::mkdtemp(pattern.data())) m_path = made;
        ::setenv("XDG_CONFIG_HOME", m_path.c_str(), 1);
    }
    ~ScopedSettingsFolder()
    {
        if (m_saved) ::setenv("XDG_CONFIG_HOME", m_saved->c_str(), 1);
        else ::unsetenv("XDG_CONFIG_HOME");
        std::error_code ignored;
        if (!m_path.empty()) std::filesystem::remove_all(m_path, ignored);
    }
    ScopedSettingsFolder(const ScopedSettingsFolder&) = delete;
    ScopedSettingsFolder& operator=(const ScopedSettingsFolder&) = delete;

    const std::string& Path() const { return m_path; }
    // Where the link keeps "CommMan.ini".
    std::string CommIniPath() const { return m_path + "/Velbrook/Quorvane/CommMan.ini"; }

    void WriteCommIni(const std::string& contents) const
    {
        std::filesystem::create_directories(m_path + "/Velbrook/Quorvane");
        std::ofstream(CommIniPath(), std::ios::binary) << contents;
    }
    std::string ReadCommIni() const
    {
        std::ifstream in(CommIniPath(), std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

private:
    std::string m_path;
    std::optional<std::string> m_saved;
};

class ScopedCodePage {
public:
    explicit ScopedCodePage(UINT codePage) : m_saved(platform::GetAnsiCodePage()) { platform::SetAnsiCodePage(codePage); }
    ~ScopedCodePage() { platform::SetAnsiCodePage(m_saved); }
    ScopedCodePage(const ScopedCodePage&) = delete;
    ScopedCodePage& operator=(const ScopedCodePage&) = delete;

private:
    UINT m_saved;
};

inline CString Wide(const char* utf8) { return CString::FromUtf8(utf8); }

// Failures show texts, not bytes.
inline void PrintTo(const CString& text, std::ostream* os) { *os << '"' << text.ToUtf8() << '"'; }
