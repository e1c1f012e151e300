// A saved trace data file read back as a test checks it: the start and end
// markers, the sample rows and the trigger position.
#pragma once

#include <array>
#include <exception>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace testsupport {

struct SavedTrace {
    std::string startMark;
    std::string endMark;
    std::vector<std::array<long, 4>> rows;
    long triggerPos = -1;
};

// The data block is the seventh block after the start marker, whatever
// language its label lines are in. A file cut short gives what it holds; a
// field that is not a number ends the rows there.
inline SavedTrace ReadSavedTrace(const std::string& path)
{
    SavedTrace trace;
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    std::istringstream in(bytes.str());
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    if (lines.empty()) return trace;
    trace.startMark = lines.front();
    trace.endMark = lines.back();
    std::size_t i = 0;
    for (int empties = 0; i < lines.size() && empties < 7; ++i)
        if (lines[i].empty()) ++empties;
    if (i >= lines.size()) return trace;
    for (++i; i < lines.size() && !lines[i].empty(); ++i) {
        std::array<long, 4> row{};
        std::istringstream fields(lines[i]);
        std::string field;
        for (auto& value : row) {
            if (!std::getline(fields, field, ',')) return trace;
            try {
                value = std::stol(field);
            } catch (const std::exception&) {
                return trace;
            }
        }
        trace.rows.push_back(row);
    }
    if (i + 2 < lines.size()) {
        try {
            trace.triggerPos = std::stol(lines[i + 2]);
        } catch (const std::exception&) {
        }
    }
    return trace;
}

}  // namespace testsupport
