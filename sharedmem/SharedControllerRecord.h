// The fixed-layout record through which the manager hands one controller's
// data to the simulator and takes it back: 18,440 bytes, little-endian, no
// header. Texts are UTF-16 and end with a zero unit inside their field, so a
// field holds at most 254 characters. Both programs read and write it, so
// every offset is part of the format.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

inline constexpr int kSharedTextUnits = 255;
inline constexpr int kSharedPointCount = 255;
inline constexpr int kSharedPointFields = 14;
inline constexpr int kSharedParamCount = 146;

struct SharedControllerRecord {
    char16_t controller[kSharedTextUnits];
    char16_t robot[kSharedTextUnits];
    char16_t interfaceText[kSharedTextUnits];
    char16_t version[kSharedTextUnits];
    char16_t databaseVersion[kSharedTextUnits];
    char16_t extraText[kSharedTextUnits];
    std::int32_t points[kSharedPointCount][kSharedPointFields];  // slot order
    char16_t paramSetName[kSharedTextUnits];
    char16_t padding;  // always zero
    std::int32_t paramSetControllerIndex;
    std::int32_t paramValues[kSharedParamCount];  // K1..K138, then H0..H7
};

static_assert(offsetof(SharedControllerRecord, robot) == 510);
static_assert(offsetof(SharedControllerRecord, interfaceText) == 1020);
static_assert(offsetof(SharedControllerRecord, version) == 1530);
static_assert(offsetof(SharedControllerRecord, databaseVersion) == 2040);
static_assert(offsetof(SharedControllerRecord, extraText) == 2550);
static_assert(offsetof(SharedControllerRecord, points) == 3060);
static_assert(offsetof(SharedControllerRecord, paramSetName) == 17340);
static_assert(offsetof(SharedControllerRecord, padding) == 17850);
static_assert(offsetof(SharedControllerRecord, paramSetControllerIndex) == 17852);
static_assert(offsetof(SharedControllerRecord, paramValues) == 17856);
static_assert(sizeof(SharedControllerRecord) == 18440);

// Units of text that a field of kSharedTextUnits holds with its terminating
// zero: at most 254, cut before a surrogate pair that would not fit whole.
inline std::size_t SharedTextFit(std::u16string_view text)
{
    constexpr std::size_t kMaxUnits = kSharedTextUnits - 1;
    if (text.size() <= kMaxUnits)
        return text.size();
    const char16_t last = text[kMaxUnits - 1];
    return last >= 0xD800 && last <= 0xDBFF ? kMaxUnits - 1 : kMaxUnits;
}

// Writes the text, cut to fit, and its terminator at the start of a field of
// kSharedTextUnits; the rest of the field keeps what it held.
inline void PutSharedText(char16_t* field, std::u16string_view text)
{
    const std::size_t units = SharedTextFit(text);
    text.copy(field, units);
    field[units] = 0;
}

// The text of a field of kSharedTextUnits up to its terminator, or the whole
// field when the writer left none.
inline std::u16string_view SharedTextOf(const char16_t* field)
{
    std::size_t units = 0;
    while (units < static_cast<std::size_t>(kSharedTextUnits) && field[units] != 0)
        ++units;
    return std::u16string_view(field, units);
}
