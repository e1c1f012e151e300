// Parameter definitions: how each of the 146 controller parameters is named,
// shown, ranged and edited, read from the text tables of the resource module.
// A parameter may have several definitions (variants) chosen by a key such as
// the controller's model.
#pragma once

#include "dbaccess/RobotParameterSet.h"
#include "platform/core/CString.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

// Attribute bits (ParamDef::flags).
inline constexpr std::uint16_t kParamFlagNote1 = 0x0001;
inline constexpr std::uint16_t kParamFlagNote2 = 0x0002;
// A write of the parameter takes effect only after the controller restarts.
inline constexpr std::uint16_t kParamFlagRestart = 0x0004;
inline constexpr std::uint16_t kParamFlagNote4 = 0x0008;
// The range is derived from the decimals or from other parameters.
inline constexpr std::uint16_t kParamFlagDerivedRange = 0x0010;
inline constexpr std::uint16_t kParamFlagDerivedRangeAlt = 0x8000;

inline constexpr std::uint8_t kParamTypeList = 1;
// Decimals taken from the controller's K72.
inline constexpr std::uint8_t kDecimalsFromK72 = 255;

struct ParamDef {
    char kind = 0;               // group letter; 0 = never listed
    std::uint16_t number = 0;    // 1 to 138 for K1..K138, 0 to 7 for H0..H7
    std::int32_t variantKey = 0; // 0 marks the default variant
    CString name;
    CString description;  // "_crlf_" stands for a line break
    CString unit;
    std::uint16_t flags = 0;   // attribute bits
    std::uint16_t access = 0;  // low byte: edit bits per access level; high byte: show bits
    std::uint8_t type = 0;     // kParamTypeList, 3 to 5 decimal number, other whole number
    std::uint8_t decimals = 0; // or kDecimalsFromK72
    std::int32_t defaultValue = 0;  // factory value in the controller's units
    std::int32_t minimum = 0;
    std::int32_t maximum = 0;  // for a list, the number of choices
    std::vector<CString> choiceTexts;
    std::vector<std::int32_t> choiceValues;  // same count as choiceTexts
    std::unique_ptr<ParamDef> next;          // the next variant of the parameter

    ParamDef() = default;
    // Copies take the whole chain of later variants with them.
    ParamDef(const ParamDef& other);
    ParamDef& operator=(const ParamDef& other);
    ParamDef(ParamDef&&) noexcept = default;
    ParamDef& operator=(ParamDef&&) noexcept = default;
    ~ParamDef() = default;

    bool IsList() const { return type == kParamTypeList; }
    int ChoiceCount() const { return static_cast<int>(choiceTexts.size()); }
    // The text of the choice whose value this is; empty when none has it.
    CString ChoiceText(std::int32_t value) const;

    // This record or a later variant whose key equals key; null when none.
    const ParamDef* FindVariant(std::int32_t key) const;
    // The record when its key matches, else the chain's match, else the record
    // when it is the default variant (key 0), else null.
    const ParamDef* GetVariant(std::int32_t key) const;
};

// Definition n-1 heads the variants of parameter n (K1..K138, then H0..H7).
using ParamDefTable = std::array<ParamDef, kParamCount>;
using ParamDefTableSlot = std::unique_ptr<ParamDefTable>;

// Resource ids of the two tables ("TEXT") and of the alarm texts ("ALM").
inline constexpr int kParamDefTableResource0 = 191;
inline constexpr int kParamDefTableResource1 = 195;

// One table line ("kind|number|key|name|description|unit|flags|access|type|
// decimals|value|minimum|maximum[|choice|value]...") into def. False when the
// line is dropped: a number outside 1 to 146, a kind of more than one
// character, or a number too large for its field. tableIndex receives the
// table slot (number - 1).
bool ParseParamDefLine(std::u16string_view line, ParamDef& def, int* tableIndex = nullptr);

// Parses a whole table text into table, chaining repeated parameters as
// variants in line order. Lines end in CR LF or LF; the last line needs no
// line end. The 1-based numbers of dropped lines go to droppedLines.
void ParseParamDefTable(std::u16string_view text, ParamDefTable& table, std::vector<int>* droppedLines = nullptr);

// Builds a table from 8-bit text in the ANSI code page. False, slot as it
// was, when the slot already holds a table or the text is empty.
bool BuildParamDefTable(std::string_view bytes, ParamDefTableSlot& slot, std::vector<int>* droppedLines = nullptr);

// Loads table 0 or 1 from the current resource module. False, slot as it was,
// when the slot already holds a table or the resource is missing or empty.
bool LoadParamDefTable(ParamDefTableSlot& slot, int tableNumber);
void FreeParamDefTable(ParamDefTableSlot& slot);

// The definition's decimals, or the controller's K72 when they are
// kDecimalsFromK72 (0 without values); always within 0 to 9.
int GetParamDecimals(const ParamDef& def, const RobotParameterSet* values);

// The range of parameter index (0 = K1, 138 = H0) in the controller's integer
// units. Nothing happens without values.
void ScaleParamValue(const ParamDef& def, const RobotParameterSet* values, int index, std::int32_t& minimum,
                     std::int32_t& maximum);

// The integer value of a typed text: the text when it is a number with at
// most `decimals` decimal places, else the fallback text, times 10^decimals;
// clamped to minimum..maximum when either is not 0.
std::int32_t ParamTextToValue(std::u16string_view text, std::u16string_view fallback, int decimals,
                              std::int32_t minimum, std::int32_t maximum);

// Converts values that the database gives in thousandths to the controller's
// decimals, for each parameter whose default definition takes its decimals
// from K72.
bool RescaleParamValues(const ParamDefTable& table, RobotParameterSet& set, int decimals);
