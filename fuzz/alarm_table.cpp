// The alarm texts: the table image looked up for every code, and the table
// built from its source text and looked up again.
#include "fuzz/FuzzSupport.h"
#include "manager/core/AlarmText.h"
#include "platform/core/CodePage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view bytes = fuzz::AsBytes(data, size);
    const std::uint8_t options = fuzz::TakeByte(bytes);
    const UINT codePage = (options & 1) ? CP_SHIFT_JIS : CP_WESTERN;
    platform::SetAnsiCodePage(codePage);

    AlarmTextRecord record;
    for (int code = 0; code < 256; ++code) FindAlarmText(bytes, code, record);
    FindAlarmText(bytes, -1, record);

    std::string table;
    CString error;
    if (BuildAlarmTable(fuzz::BytesToText(bytes), codePage, table, error)) {
        if (table.size() % kAlarmRecordSize != 0) __builtin_trap();
        for (int code = 0; code < 256; ++code) FindAlarmText(table, code, record);
    } else if (error.IsEmpty()) {
        __builtin_trap();  // a refused source always says why
    }
    return 0;
}
