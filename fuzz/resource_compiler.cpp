// The resource compiler on a script: preprocessor, statements, dialogs,
// menus and tables. A small header and a data file lie beside the script for
// its includes and file statements.
#include "fuzz/FuzzSupport.h"
#include "platform/rescomp/Compiler.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool ready = fuzz::WriteScratchFile("ids.h", "#define IDD_MAIN 100\n#define IDS_TEXT 200\n") &&
                              fuzz::WriteScratchFile("data.txt", "line one\nline two\n");
    if (!ready) return 0;
    std::string_view bytes = fuzz::AsBytes(data, size);
    const std::uint8_t options = fuzz::TakeByte(bytes);
    fuzz::WriteScratchFile("script.rc", bytes);

    rescomp::CompileOptions compile;
    compile.script = fuzz::ScratchPath("script.rc");
    compile.language = (options & 1) ? "ja" : "en";
    compile.defines = {{"FUZZ", "1"}};
    const rescomp::CompileResult result = rescomp::Compile(compile);
    if (!result.ok && result.errors.empty()) __builtin_trap();  // a failure always says why
    return 0;
}
