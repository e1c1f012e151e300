// Compiles a resource script into a resource module file
// (platform/core/ResourceModule.h): the preprocessor, then the statements.
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
