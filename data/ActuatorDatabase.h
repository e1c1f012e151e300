// The actuator database as its readable source describes it: the version,
// the controller models, each robot's initial parameters under a controller,
// and the stroke and payload tables by robot name. The builder writes it out
// as the three binary database files; tests use the same model as fixtures.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace actuatordb {

inline constexpr int kParameterCount = 146;   // K1..K138, then H0..H7
inline constexpr int kLastKParameter = 138;
inline constexpr int kHParameterCount = 8;

// Major in bits 31-16, minor in 15-8, build in 7-0.
constexpr std::uint32_t PackVersion(unsigned major, unsigned minor, unsigned build)
{
    return (major & 0xFFFFu) << 16 | (minor & 0xFFu) << 8 | (build & 0xFFu);
}

struct Controller {
    std::string name;  // UTF-8 here; stored as 8-bit text, at most 16 bytes
    std::string code;  // model code, at most 4 bytes
};

struct Robot {
    std::string name;  // at most 16 bytes
    int controllerIndex = 0;
    std::array<std::int32_t, kParameterCount> values{};
};

// One item of a table entry: a parameter number (Kn) and its value.
struct TableItem {
    std::uint8_t key = 0;
    std::int32_t value = 0;
};

// Applies from its threshold on (stroke in micrometres, or mass in kg).
struct TableEntry {
    std::int32_t threshold = 0;
    std::vector<TableItem> items;
};

struct Table {
    std::string robotName;
    std::vector<TableEntry> entries;
};

struct Database {
    std::uint32_t version = 0;
    std::vector<Controller> controllers;
    std::vector<Robot> robots;
    std::vector<Table> strokeTables;
    std::vector<Table> payloadTables;
};

}  // namespace actuatordb
