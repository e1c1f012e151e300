// The alarm history file: loaded as the alarm window opens it, split into
// its rows and fields, and saved back.
#include "fuzz/FuzzSupport.h"
#include "manager/app/AlarmHistory.h"
#include "platform/core/CodePage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view bytes = fuzz::AsBytes(data, size);
    const std::uint8_t options = fuzz::TakeByte(bytes);
    platform::SetAnsiCodePage((options & 1) ? CP_SHIFT_JIS : CP_WESTERN);
    fuzz::WriteScratchFile("alarms.txt", bytes);
    const CString path = CString::FromUtf8(fuzz::ScratchPath("alarms.txt"));

    CString text;
    if (!LoadAlarmHistoryFile(path, text)) return 0;
    for (const AlarmHistoryRow& row : ParseAlarmHistoryText(text)) {
        const int code = row.Code();
        if (code < -1 || code > 0xFF) __builtin_trap();
    }
    HidesNValueColumn(text);
    AlarmFileNameFromTitle(text.Left(64));
    if (SaveAlarmHistoryFile(path, text)) {
        CString again;
        LoadAlarmHistoryFile(path, again);
    }
    return 0;
}
