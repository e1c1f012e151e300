// The parameter definition table: built from its 8-bit text, then every
// definition asked for its variants, decimals, range and typed values.
#include "fuzz/FuzzSupport.h"
#include "manager/core/ParamDef.h"
#include "platform/core/CodePage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view bytes = fuzz::AsBytes(data, size);
    const std::uint8_t options = fuzz::TakeByte(bytes);
    platform::SetAnsiCodePage((options & 1) ? CP_SHIFT_JIS : CP_WESTERN);
    ParamDefTableSlot slot;
    std::vector<int> dropped;
    if (!BuildParamDefTable(bytes, slot, &dropped) || !slot) return 0;

    RobotParameterSet values;
    values.values[71] = options >> 4;  // K72, the position decimals
    for (int index = 0; index < kParamCount; ++index) {
        const ParamDef& head = (*slot)[index];
        for (const ParamDef* def = &head; def; def = def->next.get()) {
            if (def->choiceTexts.size() != def->choiceValues.size()) __builtin_trap();
            const int decimals = GetParamDecimals(*def, &values);
            if (decimals < 0 || decimals > 9) __builtin_trap();
            std::int32_t minimum = def->minimum;
            std::int32_t maximum = def->maximum;
            ScaleParamValue(*def, &values, index, minimum, maximum);
            ParamTextToValue(u"12.5", u"1", decimals, minimum, maximum);
            ParamTextToValue(u"-99999999999", u"x", decimals, minimum, maximum);
            head.GetVariant(def->variantKey);
        }
    }
    ParamDefTable copy = *slot;
    RescaleParamValues(copy, values, options >> 5);
    FreeParamDefTable(slot);
    return 0;
}
