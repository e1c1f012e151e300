// The link settings file "CommMan.ini": read, written back over itself (the
// writer keeps the lines it does not own), and read again.
#include "comm/CommSettings.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::WriteScratchFile("CommMan.ini", fuzz::AsBytes(data, size));
    const CString path = CString::FromUtf8(fuzz::ScratchPath("CommMan.ini"));
    commsettag record;
    comm::ReadCommSettings(path, record);
    if (comm::WriteCommSettings(path, record)) {
        commsettag again;
        comm::ReadCommSettings(path, again);
        // What the file keeps comes back as it was written.
        if (again.nComPort != record.nComPort || again.nBaudRate != record.nBaudRate ||
            again.wTCPPort != record.wTCPPort || again.strHostName != record.strHostName)
            __builtin_trap();
    }
    return 0;
}
