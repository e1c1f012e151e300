// Reads the readable source of the actuator database. The source is UTF-8
// text of lines; "#" starts a comment. A line at the left margin opens a
// block, indented lines fill it:
//
//   version 1.4.7                     the database version
//   controller KX-Q05 Q05             a controller model and its code
//   set q-slider from common          a named parameter set, optionally
//       K42=6000 K44=30000 H0=50      starting from others (each set applies
//                                     the values it assigns, in turn)
//   robot SA4-L06 on KX-Q05 from sa4-l06 q-series
//       K43=300000                    a robot under a controller: the sets'
//                                     values in turn, then its own; the rest 0
//   stroke SA4-L06                    a stroke table: threshold (micrometres)
//       0       K44=30000             and the parameters applied from it on
//       600000  K44=24000
//   payload SA4-L06                   a payload table: threshold (kg), items
//       0       K44=30000
//
// Parameters are K1..K138 and H0..H7. Several files may be read in turn;
// every name must be defined before it is used.
#pragma once

#include "data/ActuatorDatabase.h"

#include <map>
#include <string>
#include <string_view>

namespace actuatordb {

class CDatabaseSourceParser {
public:
    // Reads one source text; false with "file:line: reason" on the first error.
    bool Parse(std::string_view text, const std::string& fileName, std::string& error);
    bool ParseFile(const std::string& path, std::string& error);

    // Checks what only the whole source can tell (a version was given).
    bool Finish(std::string& error) const;
    const Database& database() const { return m_db; }

private:
    enum class Block { None, Set, Robot, Stroke, Payload };

    bool ParseHeader(const std::vector<std::string>& words, std::string& why);
    bool ParseBody(const std::vector<std::string>& words, std::string& why);
    struct ParameterSet {
        std::array<std::int32_t, kParameterCount> values{};
        std::array<bool, kParameterCount> assigned{};
    };

    bool ApplySets(const std::vector<std::string>& words, std::size_t first, ParameterSet& target,
                   std::string& why) const;
    int FindController(const std::string& name) const;
    bool RobotExists(const std::string& name) const;

    Database m_db;
    bool m_hasVersion = false;
    std::map<std::string, ParameterSet> m_sets;
    Block m_block = Block::None;
    std::string m_setName;
};

}  // namespace actuatordb
