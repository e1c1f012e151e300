// The trace file: loaded the way the trace window opens one.
#include "fuzz/FuzzSupport.h"
#include "tools/TrcDatFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::WriteScratchFile("trace.dat", fuzz::AsBytes(data, size));
    TraceFileContents file;
    int phase = 0;
    LoadTrcDat(CString::FromUtf8(fuzz::ScratchPath("trace.dat")), file, phase);
    return 0;
}
