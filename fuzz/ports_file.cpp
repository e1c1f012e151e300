// The ports file: section "Ports" maps COM numbers to devices.
#include "fuzz/FuzzSupport.h"
#include "platform/core/ComPortNames.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool named = [] {
        return ::setenv(platform::kPortsFileVariable, fuzz::ScratchPath("ports.ini").c_str(), 1) == 0;
    }();
    if (!named) return 0;
    fuzz::WriteScratchFile("ports.ini", fuzz::AsBytes(data, size));
    const std::vector<platform::ComPortEntry> listed =
        platform::ListComPorts({"/dev/ttyS0", "/dev/ttyUSB3", "/dev/pts/5", "/dev/ttyACM7", "/dev/null"});
    for (const platform::ComPortEntry& entry : listed) {
        // A port listed is reached through its own number.
        if (platform::ComPortDevice(entry.number) != entry.device) __builtin_trap();
    }
    for (int number : {0, 1, 3, 5, 12, 13, 20, 21, 255, 65535, 65536}) platform::ComPortDevice(number);
    return 0;
}
