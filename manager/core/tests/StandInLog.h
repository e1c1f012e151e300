// What the stand-in libraries (tests/lib) report for one test: points
// QV_FAKE_LIBRARY_LOG at a fresh file and gives back its lines.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace testfx {

class StandInLog {
public:
    StandInLog()
    {
        if (const char* old = std::getenv(kVariable))
            m_saved = old;
        std::string pattern = (std::filesystem::temp_directory_path() / "qv-standin-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr)
            m_folder = pattern;
        ::setenv(kVariable, (m_folder / "log").c_str(), 1);
    }
    ~StandInLog()
    {
        if (m_saved)
            ::setenv(kVariable, m_saved->c_str(), 1);
        else
            ::unsetenv(kVariable);
        std::error_code ignored;
        if (!m_folder.empty())
            std::filesystem::remove_all(m_folder, ignored);
    }
    StandInLog(const StandInLog&) = delete;
    StandInLog& operator=(const StandInLog&) = delete;

    // The lines written since the last Take, which are then forgotten.
    std::vector<std::string> Take()
    {
        std::vector<std::string> lines;
        const std::filesystem::path path = m_folder / "log";
        {
            std::ifstream in(path);
            for (std::string line; std::getline(in, line);)
                lines.push_back(line);
        }
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
        return lines;
    }

private:
    static constexpr const char* kVariable = "QV_FAKE_LIBRARY_LOG";
    std::filesystem::path m_folder;
    std::optional<std::string> m_saved;
};

}  // namespace testfx
