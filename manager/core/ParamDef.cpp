#include "manager/core/ParamDef.h"

#include "manager/core/ControllerDataFile.h"
#include "manager/core/NumberText.h"
#include "platform/core/CodePage.h"
#include "platform/core/ResourceModule.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr int kMaxDecimals = 9;

std::int32_t Saturate32(std::int64_t v)
{
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

std::int64_t PowerOfTen(int d)
{
    std::int64_t p = 1;
    for (int i = 0; i < d; ++i) p *= 10;
    return p;
}

// Thousandths to d decimals; the minimum rounds up and the maximum down so
// that the scaled range never reaches beyond the stored one.
std::int32_t FromThousandths(std::int32_t v, int d, bool roundUp)
{
    if (d >= 3) return Saturate32(static_cast<std::int64_t>(v) * PowerOfTen(d - 3));
    const std::int64_t div = PowerOfTen(3 - d);
    std::int64_t q = v / div;  // toward zero
    const std::int64_t r = v % div;
    if (r != 0 && roundUp && v > 0) ++q;
    if (r != 0 && !roundUp && v < 0) --q;
    return Saturate32(q);
}

// The fields of one table line, split at "|".
std::vector<std::u16string_view> SplitFields(std::u16string_view line)
{
    std::vector<std::u16string_view> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t bar = line.find(u'|', start);
        if (bar == std::u16string_view::npos) {
            fields.push_back(line.substr(start));
            return fields;
        }
        fields.push_back(line.substr(start, bar - start));
        start = bar + 1;
    }
}

// A numeric field read as the table format says (leading digits, none give 0)
// and refused when it does not fit the field's range.
bool ReadField(const std::vector<std::u16string_view>& fields, std::size_t i, std::int64_t low, std::int64_t high,
               std::int64_t& out)
{
    std::int32_t v = 0;
    if (i < fields.size() && ParseLeadingInt32(fields[i], v) == NumberParse::kOutOfRange) return false;
    if (v < low || v > high) return false;
    out = v;
    return true;
}

CString TextField(const std::vector<std::u16string_view>& fields, std::size_t i)
{
    return i < fields.size() ? CString(fields[i]) : CString();
}

}  // namespace

ParamDef::ParamDef(const ParamDef& other)
    : kind(other.kind), number(other.number), variantKey(other.variantKey), name(other.name),
      description(other.description), unit(other.unit), flags(other.flags), access(other.access), type(other.type),
      decimals(other.decimals), defaultValue(other.defaultValue), minimum(other.minimum), maximum(other.maximum),
      choiceTexts(other.choiceTexts), choiceValues(other.choiceValues),
      next(other.next ? std::make_unique<ParamDef>(*other.next) : nullptr)
{
}

ParamDef& ParamDef::operator=(const ParamDef& other)
{
    if (this != &other) *this = ParamDef(other);
    return *this;
}

const ParamDef* ParamDef::FindVariant(std::int32_t key) const
{
    for (const ParamDef* d = this; d; d = d->next.get())
        if (d->variantKey == key) return d;
    return nullptr;
}

CString ParamDef::ChoiceText(std::int32_t value) const
{
    for (std::size_t i = 0; i < choiceValues.size() && i < choiceTexts.size(); ++i)
        if (choiceValues[i] == value) return choiceTexts[i];
    return CString();
}

const ParamDef* ParamDef::GetVariant(std::int32_t key) const
{
    if (const ParamDef* d = FindVariant(key)) return d;
    return variantKey == 0 ? this : nullptr;
}

bool ParseParamDefLine(std::u16string_view line, ParamDef& def, int* tableIndex)
{
    const std::vector<std::u16string_view> f = SplitFields(line);
    ParamDef d;

    if (f[0].size() > 1 || (f[0].size() == 1 && (f[0][0] < 0x21 || f[0][0] > 0x7E))) return false;
    d.kind = f[0].empty() ? 0 : static_cast<char>(f[0][0]);

    std::int64_t number = 0, key = 0, flags = 0, access = 0, type = 0, decimals = 0, value = 0, minimum = 0,
                 maximum = 0;
    constexpr std::int64_t kMin32 = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t kMax32 = std::numeric_limits<std::int32_t>::max();
    if (!ReadField(f, 1, 1, kParamCount, number)) return false;
    if (!ReadField(f, 2, kMin32, kMax32, key) || !ReadField(f, 6, 0, 0xFFFF, flags) ||
        !ReadField(f, 7, 0, 0xFFFF, access) || !ReadField(f, 8, 0, 0xFF, type) ||
        !ReadField(f, 9, 0, 0xFF, decimals) || !ReadField(f, 10, kMin32, kMax32, value) ||
        !ReadField(f, 11, kMin32, kMax32, minimum) || !ReadField(f, 12, kMin32, kMax32, maximum))
        return false;

    d.number = static_cast<std::uint16_t>(number <= kKParamCount ? number : number - kKParamCount - 1);
    d.variantKey = static_cast<std::int32_t>(key);
    d.name = TextField(f, 3);
    d.description = TextField(f, 4);
    d.unit = TextField(f, 5);
    d.flags = static_cast<std::uint16_t>(flags);
    d.access = static_cast<std::uint16_t>(access);
    d.type = static_cast<std::uint8_t>(type);
    d.decimals = static_cast<std::uint8_t>(decimals);
    d.defaultValue = static_cast<std::int32_t>(value);
    d.minimum = static_cast<std::int32_t>(minimum);
    d.maximum = static_cast<std::int32_t>(maximum);

    if (d.IsList()) {
        // The count comes from the table; only pairs the line really holds
        // are taken, and the count follows them so that no reader runs past
        // the lists.
        const std::int64_t wanted = std::max<std::int64_t>(maximum, 0);
        for (std::size_t i = 13; i + 1 < f.size() && static_cast<std::int64_t>(d.choiceTexts.size()) < wanted; i += 2) {
            std::int64_t choice = 0;
            if (!ReadField(f, i + 1, kMin32, kMax32, choice)) return false;
            d.choiceTexts.emplace_back(f[i]);
            d.choiceValues.push_back(static_cast<std::int32_t>(choice));
        }
        d.maximum = d.ChoiceCount();
    }
    if (tableIndex) *tableIndex = static_cast<int>(number - 1);
    def = std::move(d);
    return true;
}

void ParseParamDefTable(std::u16string_view text, ParamDefTable& table, std::vector<int>* droppedLines)
{
    // The last record of each slot's chain, null while the slot is unfilled
    // (its stored number cannot tell: H0 is stored as 0).
    std::array<ParamDef*, kParamCount> tails{};
    int lineNumber = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(u'\n', start);
        if (end == std::u16string_view::npos) end = text.size();
        std::u16string_view line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == u'\r') line.remove_suffix(1);
        if (line.empty()) continue;

        ParamDef def;
        int index = 0;
        if (!ParseParamDefLine(line, def, &index)) {
            if (droppedLines) droppedLines->push_back(lineNumber);
            continue;
        }
        ParamDef*& tail = tails[static_cast<std::size_t>(index)];
        if (!tail) {
            tail = &table[static_cast<std::size_t>(index)];
            *tail = std::move(def);
        } else {
            tail->next = std::make_unique<ParamDef>(std::move(def));
            tail = tail->next.get();
        }
    }
}

bool BuildParamDefTable(std::string_view bytes, ParamDefTableSlot& slot, std::vector<int>* droppedLines)
{
    if (slot) return false;
    const std::u16string text = platform::ToWide(bytes, CP_ACP);
    if (text.empty()) return false;
    auto table = std::make_unique<ParamDefTable>();
    ParseParamDefTable(text, *table, droppedLines);
    slot = std::move(table);
    return true;
}

bool LoadParamDefTable(ParamDefTableSlot& slot, int tableNumber)
{
    if (slot || (tableNumber != 0 && tableNumber != 1)) return false;
    const auto bytes =
        platform::FindResourceBytes(u"TEXT", tableNumber == 0 ? kParamDefTableResource0 : kParamDefTableResource1);
    return bytes && BuildParamDefTable(*bytes, slot);
}

void FreeParamDefTable(ParamDefTableSlot& slot) { slot.reset(); }

int GetParamDecimals(const ParamDef& def, const RobotParameterSet* values)
{
    int d = def.decimals;
    if (def.decimals == kDecimalsFromK72) d = values ? values->K(72) : 0;
    // K72 comes from the controller or a file; keep the scale computable.
    return std::clamp(d, 0, kMaxDecimals);
}

void ScaleParamValue(const ParamDef& def, const RobotParameterSet* values, int index, std::int32_t& minimum,
                     std::int32_t& maximum)
{
    if (!values) return;
    const int d = GetParamDecimals(def, values);
    minimum = def.minimum;
    maximum = def.maximum;
    if ((def.flags & (kParamFlagDerivedRange | kParamFlagDerivedRangeAlt)) == 0) return;
    switch (index) {
    case KParamIndex(1):
    case KParamIndex(2):
    case KParamIndex(7):
    case KParamIndex(8):
    case KParamIndex(16):
        minimum = FromThousandths(def.minimum, d, true);
        maximum = FromThousandths(def.maximum, d, false);
        break;
    case KParamIndex(3):
    case KParamIndex(11):
    case KParamIndex(54):
        maximum = FromThousandths(def.maximum, d, false);
        break;
    case KParamIndex(6): maximum = values->K(51); break;
    case KParamIndex(13): maximum = values->K(46); break;
    case KParamIndex(51): maximum = values->K(44); break;
    case KParamIndex(70): maximum = values->K(43); break;
    case KParamIndex(76):
    case KParamIndex(78): maximum = values->K(47); break;
    case KParamIndex(77):
    case KParamIndex(79): maximum = values->K(48); break;
    default: break;
    }
}

std::int32_t ParamTextToValue(std::u16string_view text, std::u16string_view fallback, int decimals,
                              std::int32_t minimum, std::int32_t maximum)
{
    const int d = std::clamp(decimals, 0, kMaxDecimals);
    double x = NumericTextToDouble(IsNumericText(text, d, true) ? text : fallback);
    if (minimum != 0 || maximum != 0) {
        const double scale = std::pow(10.0, d);
        const double low = minimum / scale;
        const double high = maximum / scale;
        // A range whose ends are crossed gives its minimum rather than undefined order.
        x = std::max(low, std::min(x, high));
    }
    return Saturate32(RoundToDecimals(x, d));
}

bool RescaleParamValues(const ParamDefTable& table, RobotParameterSet& set, int decimals)
{
    const int d = std::clamp(decimals, 0, kMaxDecimals);
    for (int i = 0; i < kParamCount; ++i) {
        const ParamDef* def = table[static_cast<std::size_t>(i)].FindVariant(0);
        if (!def || def->decimals != kDecimalsFromK72) continue;
        std::int32_t& v = set.values[static_cast<std::size_t>(i)];
        v = Saturate32(RoundToDecimals(v / 1000.0, d));
    }
    return true;
}
