// The simulator's motion settings file (".mos"): read, loaded into the
// motion list as typed cells would be, written back and read again.
#include "fuzz/FuzzSupport.h"
#include "simulator/core/MotionSettingsFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view bytes = fuzz::AsBytes(data, size);
    const std::uint8_t options = fuzz::TakeByte(bytes);
    fuzz::WriteScratchFile("motion.mos", bytes);
    const CString path = CString::FromUtf8(fuzz::ScratchPath("motion.mos"));

    MotionSettings settings;
    int invalidRow = 0;
    if (ReadMotionSettingsFile(path, settings, &invalidRow) == MotionFileStatus::kUnreadable) return 0;
    if (settings.entries.size() > 255) __builtin_trap();
    MotionList list;
    LoadMotionSettings(list, settings, options % 4, (options & 4) ? u',' : u'.');
    for (int row = 1; row <= list.Count(); ++row) BuildMotionDataValue(list, row);
    if (WriteMotionSettingsFile(path, CString(u"1.0.0"), list)) {
        MotionSettings again;
        ReadMotionSettingsFile(path, again, &invalidRow);
    }
    return 0;
}
