// One controller's data as the manager holds it: identity texts, network
// addresses, the 255-row point table and the parameter set.
#pragma once

#include "dbaccess/RobotParameterSet.h"
#include "platform/core/CString.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

inline constexpr int kPointCount = 255;

// One point-table row: fourteen signed 32-bit fields, the controller's raw
// integers. Field order is the grid's column order and the file's key order.
struct PointRecord {
    enum Field { kNumber, kM, kP, kS, kAC, kDC, kQ, kZL, kZH, kN, kJ, kF, kC, kT, kFieldCount };

    std::int32_t number = 0;  // 1 to 255; 0 marks an unused slot
    std::int32_t m = 0;
    std::int32_t p = 0;
    std::int32_t s = 0;
    std::int32_t ac = 0;
    std::int32_t dc = 0;
    std::int32_t q = 0;
    std::int32_t zl = 0;
    std::int32_t zh = 0;
    std::int32_t n = 0;
    std::int32_t j = 0;
    std::int32_t f = 0;
    std::int32_t c = 0;
    std::int32_t t = 0;

    // Field by column index (0 to 13); out-of-range indexes are a caller error.
    std::int32_t& Field(int index);
    std::int32_t Field(int index) const;

    bool IsUsed() const { return number != 0; }
    void Clear() { *this = PointRecord(); }

    friend bool operator==(const PointRecord&, const PointRecord&) = default;
};

struct ControllerData {
    CString controller;     // "CONT": the controller's model name
    CString user;           // "USER": user-specified name
    CString robot;          // "ROBOT": actuator name
    CString interfaceText;  // "IF": interface kind
    CString version;        // "VER"
    CString dbVersion;      // "DBVER": major.minor.build of the actuator database
    // Network addresses as eight lower-case hexadecimal digits, most
    // significant byte first (c0a80002 is 192.168.0.2); empty when unset.
    CString ipAddress;   // "IPADDR"
    CString subnetMask;  // "MASK"
    CString gateway;     // "GATEWAY"
    // The controller's type code (TYPE query, or the database's code text).
    // No data-file line carries it; copies and the exchange record do.
    CString typeText;
    std::array<PointRecord, kPointCount> points{};  // slot n-1 holds point n
    std::vector<RobotParameterSet> paramSets;       // the first is the controller's

    RobotParameterSet* FirstParamSet() { return paramSets.empty() ? nullptr : &paramSets.front(); }
    const RobotParameterSet* FirstParamSet() const { return paramSets.empty() ? nullptr : &paramSets.front(); }

    friend bool operator==(const ControllerData&, const ControllerData&) = default;
};

// The one owner of a ControllerData record.
using ControllerDataSlot = std::unique_ptr<ControllerData>;

// Copies identity texts, addresses, all 255 point rows and the first
// parameter set's name and values. The destination's user text and its set's
// controller index are kept. False, with nothing copied, when either record
// is missing or has no parameter set.
bool CopyControllerData(ControllerData* destination, const ControllerData* source);

// What every reader and writer of controller data embeds: it allocates
// records with its number of parameter sets and reads and writes the
// controller data text file. Texts of that file are converted through the
// ANSI code page explicitly; the process locale is left alone.
class ControllerDataStore {
public:
    ControllerDataStore() = default;

    int ParamSetCount() const { return m_paramSetCount; }

    // False, leaving the held record untouched, when the slot is not empty.
    bool AllocControllerData(ControllerDataSlot& slot) const;
    // False when the slot is empty.
    bool FreeControllerData(ControllerDataSlot& slot) const;

    // Writes the controller data text file through a temporary file renamed
    // over the old one: false, with the old file whole, when anything fails.
    bool WriteControllerDataFile(const char16_t* path, const ControllerData& data, bool withRobot, bool withPoints,
                                 bool withParameters) const;
    // Reads the file into data; fields without a line keep their values.
    // False, with data untouched, when the file cannot be opened or read.
    bool ReadControllerDataFile(const char16_t* path, ControllerData& data, bool withRobot, bool withPoints,
                                bool withParameters) const;

private:
    std::int32_t m_paramSetCount = 1;
};
