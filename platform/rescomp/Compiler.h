// Compiles a resource script into a resource module file
// (platform/core/ResourceModule.h): the preprocessor, then the statements.
//
// The script language, a subset of the system's resource scripts (UTF-8):
//   // and /* */ comments; #include "file" (beside the including file, then
//   the -I folders) or <file>; headers (.h, .hpp) give only their directives;
//   #define NAME value, #undef, #if/#ifdef/#ifndef/#elif/#else/#endif with
//   defined() and C integer operators; #pragma code_page(65001); #error.
//   Predefined: RC_INVOKED, and QV_LANG_JA or QV_LANG_EN.
//   LANGUAGE a, b                      read and ignored (one language a file)
//   STRINGTABLE [flags] BEGIN id[,] "text" ... END
//   name TYPE [flags] [ANSI] "file"    bytes of a file beside the script;
//                                      ANSI: UTF-8 text turned into the
//                                      module's ANSI code page with CR LF
//   name TYPE [flags] { item, ... }    "narrow" (ANSI code page), L"wide"
//                                      (UTF-16), 16-bit numbers, 32-bit with
//                                      L, FIELD(size, "text") zero-filled;
//                                      no terminators are added
//   name RCDATA ...                    the same with type 10
// name is a number expression or a bare word; TYPE is a bare word (TEXT,
// CSV, ALM, ...) or a number outside the standard types. BEGIN/END and { }
// are the same. Strings: \n \t \r \a \b \f \v \\ \" \' \? \ooo \xhhhh and
// "" for a quote; adjacent strings are joined. Memory flags (PRELOAD,
// DISCARDABLE, ...) are accepted and ignored. DIALOG(EX), MENU(EX),
// ACCELERATORS, ICON, BITMAP and CURSOR are described in UiStatements.h.
// TOOLBAR, VERSIONINFO and a few more are reserved for statements still to
// come (ScriptParser.h); anything else is an error. Ids are 0 to 65535; a
// duplicate id is an error.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace rescomp {

struct CompileOptions {
    std::string script;
    std::string language;  // "ja" or "en"
    std::vector<std::string> includeDirs;
    std::vector<std::pair<std::string, std::string>> defines;
};

struct CompileResult {
    bool ok = false;
    std::string module;                     // the file's bytes when ok
    std::vector<std::string> errors;        // "file:line: error: message"
    std::vector<std::string> dependencies;  // every file read, the script first
};

// Predefines RC_INVOKED, and QV_LANG_JA or QV_LANG_EN. Never throws.
CompileResult Compile(const CompileOptions& options);

}  // namespace rescomp
