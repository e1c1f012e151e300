// The trace window's settings file "rtt.ini", read into a live model and
// into a viewer's, and written back.
#include "fuzz/FuzzSupport.h"
#include "tools/TraceIniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view bytes = fuzz::AsBytes(data, size);
    const std::uint8_t options = fuzz::TakeByte(bytes);
    fuzz::WriteScratchFile("rtt.ini", bytes);
    const CString path = CString::FromUtf8(fuzz::ScratchPath("rtt.ini"));
    CTraceModel model((options & 1) ? FALSE : TRUE);
    ReadTraceIniFile(model, path);
    // The buffers the settings ask for.
    model.AllocBuffers();
    WriteTraceIniFile(model, path);
    CTraceModel again;
    ReadTraceIniFile(again, path);
    return 0;
}
