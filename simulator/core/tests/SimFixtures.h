// Small fixtures shared by the simulator's logic tests.
#pragma once

#include "manager/core/ControllerData.h"
#include "platform/core/CString.h"
#include "platform/core/Module.h"
#include "platform/core/ResourceModule.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <ostream>
#include <string>

// Failure messages show texts, not bytes.
inline void PrintTo(const CString& text, std::ostream* os) { *os << '"' << text.ToUtf8() << '"'; }

namespace simfx {

class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name)
    {
        if (const char* old = std::getenv(name)) m_old = old;
        ::setenv(name, value, 1);
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

// The simulator's resource module in one language, current for the scope,
// as it is for the running program.
class SimulatorModule {
public:
    explicit SimulatorModule(const char* lang)
    {
        ScopedEnv chosen("QV_LANG", lang);
        m_module = LoadLibraryW(u"pellarun");
        if (m_module) m_current.emplace(m_module);
    }
    ~SimulatorModule()
    {
        m_current.reset();
        if (m_module) FreeLibrary(m_module);
    }
    SimulatorModule(const SimulatorModule&) = delete;
    SimulatorModule& operator=(const SimulatorModule&) = delete;

    bool Loaded() const { return m_module != nullptr; }

private:
    HMODULE m_module = nullptr;
    std::optional<platform::ScopedResourceHandle> m_current;
};

class TempDir {
public:
    TempDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "qv-simcore-XXXXXX").string();
        if (const char* made = ::mkdtemp(pattern.data())) m_path = made;
    }
    ~TempDir()
    {
        std::error_code ignored;
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(m_path, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

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

// A point slot: absolute (M 1) or incremental (M 2) at a position in the
// scaled units, with speed, acceleration, deceleration and flag.
inline PointRecord MakePoint(int number, int m, int p, int s = 100, int ac = 100, int dc = 100, int f = 0)
{
    PointRecord point;
    point.number = number;
    point.m = m;
    point.p = p;
    point.s = s;
    point.ac = ac;
    point.dc = dc;
    point.q = 100;
    point.f = f;
    return point;
}

}  // namespace simfx
