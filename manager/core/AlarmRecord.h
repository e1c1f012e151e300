// One alarm history record as the controller reports it (REC query).
#pragma once

#include <cstdint>

struct AlarmRecord {
    std::uint8_t code = 0;      // "F", hexadecimal; 0: no alarm
    std::int32_t time = 0;      // "T", minutes
    std::int32_t position = 0;  // "P"
    std::int32_t speed = 0;     // "S"
    std::int8_t state = 0;      // "M", a state code as D18
    std::uint8_t nValue = 0;    // "N"
    std::int16_t cValue = 0;    // "C"
    std::int16_t vValue = 0;    // "V"
    std::uint16_t inputs = 0;   // "I"
    std::uint16_t outputs = 0;  // "O"

    friend bool operator==(const AlarmRecord&, const AlarmRecord&) = default;
};
