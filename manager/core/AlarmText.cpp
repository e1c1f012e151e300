#include "manager/core/AlarmText.h"

#include "platform/core/CodePage.h"

namespace {

// A text field ends at its first zero byte or at the field's end, never beyond.
CString FieldText(std::string_view record, std::size_t offset, std::size_t size)
{
    std::string_view field = record.substr(offset, size);
    const std::size_t nul = field.find('\0');
    if (nul != std::string_view::npos) field = field.substr(0, nul);
    return CString(platform::ToWide(field, CP_ACP));
}

}  // namespace

int FindAlarmText(std::string_view table, int code, AlarmTextRecord& out)
{
    const auto wanted = static_cast<unsigned char>(code & 0xFF);
    for (std::size_t at = 0; at + kAlarmRecordSize <= table.size(); at += kAlarmRecordSize) {
        const std::string_view record = table.substr(at, kAlarmRecordSize);
        if (static_cast<unsigned char>(record[0]) != wanted) continue;
        out.code = wanted;
        out.shortText = FieldText(record, kAlarmShortTextOffset, kAlarmShortTextSize);
        out.longText1 = FieldText(record, kAlarmLongText1Offset, kAlarmLongTextSize);
        out.longText2 = FieldText(record, kAlarmLongText2Offset, kAlarmLongTextSize);
        return kAlarmFound;
    }
    return kAlarmNotFound;
}
