// The controller data file: read from disk the way the manager opens a file,
// then the same lines applied one by one (also as controller answers).
#include "fuzz/FuzzSupport.h"
#include "manager/core/ControllerData.h"
#include "manager/core/ControllerDataFile.h"

#include "platform/core/CodePage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view bytes = fuzz::AsBytes(data, size);
    const std::uint8_t options = fuzz::TakeByte(bytes);
    // Both code pages the files are written in.
    platform::SetAnsiCodePage((options & 8) ? CP_SHIFT_JIS : CP_WESTERN);

    ControllerDataStore store;
    ControllerDataSlot slot;
    if (!store.AllocControllerData(slot)) return 0;
    fuzz::WriteScratchFile("data.txt", bytes);
    const CString path = CString::FromUtf8(fuzz::ScratchPath("data.txt"));
    store.ReadControllerDataFile(path.GetString(), *slot, options & 1, options & 2, options & 4);
    // What was read must be writable again, and read back alike.
    const CString text = FormatControllerDataText(*slot, true, true, true);
    ControllerDataSlot again;
    if (!store.AllocControllerData(again)) return 0;
    std::u16string_view rest = text.view();
    while (!rest.empty()) {
        const std::size_t end = rest.find(u"\r\n");
        ApplyControllerDataLine(rest.substr(0, end), *again, true, true, true);
        rest.remove_prefix(end == std::u16string_view::npos ? rest.size() : end + 2);
    }
    if (FormatControllerDataText(*again, true, true, true) != text) __builtin_trap();

    const std::u16string wide = fuzz::BytesToText(bytes);
    std::u16string_view lines = wide;
    while (!lines.empty()) {
        const std::size_t end = lines.find_first_of(u"\r\n");
        const std::u16string_view line = lines.substr(0, end);
        std::int32_t number = 0;
        ParseLeadingInt32(line, number);
        PointRecord row;
        ParsePointFields(line, 7, row);
        lines.remove_prefix(end == std::u16string_view::npos ? lines.size() : end + 1);
    }
    return 0;
}
