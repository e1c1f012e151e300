// The trace window's settings file "rtt.ini", read into a live model or
// into a viewer's. (Writing it back is left out: it rewrites the file once
// per key, far too slow for fuzzing, and reads nothing from outside.)
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
    return 0;
}
