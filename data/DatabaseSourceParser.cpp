#include "data/DatabaseSourceParser.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <sstream>

namespace actuatordb {

namespace {

std::vector<std::string> SplitWords(std::string_view line)
{
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t')
            ++i;
        if (i > start)
            words.emplace_back(line.substr(start, i - start));
    }
    return words;
}

// A whole decimal number within [low, high].
bool ParseNumber(const std::string& text, long long low, long long high, long long& value)
{
    if (text.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || end != text.c_str() + text.size() || v < low || v > high)
        return false;
    value = v;
    return true;
}

// "K<n>" (1..138) or "H<n>" (0..7) as an index 0..145.
bool ParseParameterName(const std::string& name, int& index)
{
    if (name.size() < 2)
        return false;
    long long n = 0;
    if (name[0] == 'K' && ParseNumber(name.substr(1), 1, kLastKParameter, n)) {
        index = static_cast<int>(n) - 1;
        return true;
    }
    if (name[0] == 'H' && ParseNumber(name.substr(1), 0, kHParameterCount - 1, n)) {
        index = kLastKParameter + static_cast<int>(n);
        return true;
    }
    return false;
}

// "K<n>=<value>" with a 32-bit signed value.
bool ParseAssignment(const std::string& word, int& index, std::int32_t& value, std::string& why)
{
    const std::size_t eq = word.find('=');
    long long v = 0;
    if (eq == std::string::npos || !ParseParameterName(word.substr(0, eq), index)) {
        why = "expected K<n>=<value> or H<n>=<value>, found \"" + word + "\"";
        return false;
    }
    if (!ParseNumber(word.substr(eq + 1), std::numeric_limits<std::int32_t>::min(),
                     std::numeric_limits<std::int32_t>::max(), v)) {
        why = "bad value in \"" + word + "\"";
        return false;
    }
    value = static_cast<std::int32_t>(v);
    return true;
}

bool ParseVersion(const std::string& text, std::uint32_t& packed)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t dot = text.find('.', start);
        parts.push_back(text.substr(start, dot == std::string::npos ? std::string::npos : dot - start));
        if (dot == std::string::npos)
            break;
        start = dot + 1;
    }
    long long major = 0, minor = 0, build = 0;
    if (parts.size() != 3 || !ParseNumber(parts[0], 0, 0xFFFF, major) || !ParseNumber(parts[1], 0, 0xFF, minor) ||
        !ParseNumber(parts[2], 0, 0xFF, build))
        return false;
    packed = PackVersion(static_cast<unsigned>(major), static_cast<unsigned>(minor), static_cast<unsigned>(build));
    return true;
}

}  // namespace

// Applies the named sets words[first..] in turn: each sets the values it
// assigns (itself or through its own sets), so sets for different concerns
// combine and a later one wins.
bool CDatabaseSourceParser::ApplySets(const std::vector<std::string>& words, std::size_t first, ParameterSet& target,
                                      std::string& why) const
{
    for (std::size_t w = first; w < words.size(); ++w) {
        const auto set = m_sets.find(words[w]);
        if (set == m_sets.end()) {
            why = "unknown set \"" + words[w] + "\"";
            return false;
        }
        for (std::size_t i = 0; i < target.values.size(); ++i) {
            if (set->second.assigned[i]) {
                target.values[i] = set->second.values[i];
                target.assigned[i] = true;
            }
        }
    }
    return true;
}

int CDatabaseSourceParser::FindController(const std::string& name) const
{
    for (std::size_t i = 0; i < m_db.controllers.size(); ++i) {
        if (m_db.controllers[i].name == name)
            return static_cast<int>(i);
    }
    return -1;
}

bool CDatabaseSourceParser::RobotExists(const std::string& name) const
{
    for (const Robot& r : m_db.robots) {
        if (r.name == name)
            return true;
    }
    return false;
}

bool CDatabaseSourceParser::ParseHeader(const std::vector<std::string>& words, std::string& why)
{
    const std::string& keyword = words[0];
    m_block = Block::None;
    if (keyword == "version") {
        if (words.size() != 2 || !ParseVersion(words[1], m_db.version)) {
            why = "expected: version <major>.<minor>.<build> (major 0..65535, minor and build 0..255)";
            return false;
        }
        m_hasVersion = true;
        return true;
    }
    if (keyword == "controller") {
        if (words.size() != 3) {
            why = "expected: controller <name> <code>";
            return false;
        }
        if (FindController(words[1]) >= 0) {
            why = "controller \"" + words[1] + "\" defined twice";
            return false;
        }
        m_db.controllers.push_back(Controller{words[1], words[2]});
        return true;
    }
    if (keyword == "set") {
        if (!(words.size() == 2 || (words.size() >= 4 && words[2] == "from"))) {
            why = "expected: set <name> [from <set>...]";
            return false;
        }
        if (m_sets.count(words[1]) != 0) {
            why = "set \"" + words[1] + "\" defined twice";
            return false;
        }
        ParameterSet set;
        if (!ApplySets(words, 3, set, why))
            return false;
        m_sets[words[1]] = set;
        m_setName = words[1];
        m_block = Block::Set;
        return true;
    }
    if (keyword == "robot") {
        if (!((words.size() == 4 || (words.size() >= 6 && words[4] == "from")) && words[2] == "on")) {
            why = "expected: robot <name> on <controller> [from <set>...]";
            return false;
        }
        Robot robot;
        robot.name = words[1];
        robot.controllerIndex = FindController(words[3]);
        if (robot.controllerIndex < 0) {
            why = "unknown controller \"" + words[3] + "\"";
            return false;
        }
        for (const Robot& r : m_db.robots) {
            if (r.name == robot.name && r.controllerIndex == robot.controllerIndex) {
                why = "robot \"" + robot.name + "\" defined twice on \"" + words[3] + "\"";
                return false;
            }
        }
        ParameterSet start;
        if (!ApplySets(words, 5, start, why))
            return false;
        robot.values = start.values;
        m_db.robots.push_back(std::move(robot));
        m_block = Block::Robot;
        return true;
    }
    if (keyword == "stroke" || keyword == "payload") {
        if (words.size() != 2) {
            why = "expected: " + keyword + " <robot>";
            return false;
        }
        if (!RobotExists(words[1])) {
            why = "unknown robot \"" + words[1] + "\"";
            return false;
        }
        const bool stroke = keyword == "stroke";
        std::vector<Table>& tables = stroke ? m_db.strokeTables : m_db.payloadTables;
        for (const Table& t : tables) {
            if (t.robotName == words[1]) {
                why = keyword + " table of \"" + words[1] + "\" defined twice";
                return false;
            }
        }
        tables.push_back(Table{words[1], {}});
        m_block = stroke ? Block::Stroke : Block::Payload;
        return true;
    }
    why = "unknown keyword \"" + keyword + "\"";
    return false;
}

bool CDatabaseSourceParser::ParseBody(const std::vector<std::string>& words, std::string& why)
{
    switch (m_block) {
    case Block::None:
        why = "indented line outside a set, robot or table";
        return false;
    case Block::Set:
    case Block::Robot: {
        for (const std::string& word : words) {
            int index = 0;
            std::int32_t value = 0;
            if (!ParseAssignment(word, index, value, why))
                return false;
            const auto i = static_cast<std::size_t>(index);
            if (m_block == Block::Set) {
                m_sets[m_setName].values[i] = value;
                m_sets[m_setName].assigned[i] = true;
            } else {
                m_db.robots.back().values[i] = value;
            }
        }
        return true;
    }
    case Block::Stroke:
    case Block::Payload: {
        Table& table = m_block == Block::Stroke ? m_db.strokeTables.back() : m_db.payloadTables.back();
        TableEntry entry;
        long long threshold = 0;
        if (!ParseNumber(words[0], 0, std::numeric_limits<std::int32_t>::max(), threshold)) {
            why = "expected a threshold (0 or more), found \"" + words[0] + "\"";
            return false;
        }
        if (!table.entries.empty() && threshold <= table.entries.back().threshold) {
            why = "thresholds must rise from entry to entry";
            return false;
        }
        entry.threshold = static_cast<std::int32_t>(threshold);
        for (std::size_t w = 1; w < words.size(); ++w) {
            int index = 0;
            std::int32_t value = 0;
            if (!ParseAssignment(words[w], index, value, why))
                return false;
            if (index >= kLastKParameter) {
                why = "table items name K parameters only";
                return false;
            }
            entry.items.push_back(TableItem{static_cast<std::uint8_t>(index + 1), value});
        }
        table.entries.push_back(std::move(entry));
        return true;
    }
    }
    return false;
}

bool CDatabaseSourceParser::Parse(std::string_view text, const std::string& fileName, std::string& error)
{
    m_block = Block::None;
    std::size_t lineNumber = 0;
    std::size_t at = 0;
    while (at <= text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(at, end - at);
        at = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (const std::size_t hash = line.find('#'); hash != std::string_view::npos)
            line = line.substr(0, hash);
        const std::vector<std::string> words = SplitWords(line);
        if (words.empty())
            continue;
        std::string why;
        const bool indented = line[0] == ' ' || line[0] == '\t';
        if (!(indented ? ParseBody(words, why) : ParseHeader(words, why))) {
            error = fileName + ":" + std::to_string(lineNumber) + ": " + why;
            return false;
        }
    }
    return true;
}

bool CDatabaseSourceParser::ParseFile(const std::string& path, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path + ": cannot be read";
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return Parse(text.str(), path, error);
}

bool CDatabaseSourceParser::Finish(std::string& error) const
{
    if (!m_hasVersion) {
        error = "the source gives no version";
        return false;
    }
    return true;
}

}  // namespace actuatordb
