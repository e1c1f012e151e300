#include "platform/rescomp/Compiler.h"

#include "platform/core/ResourceModule.h"
#include "platform/rescomp/Preprocessor.h"
#include "platform/rescomp/ScriptParser.h"
#include "platform/rescomp/UiStatements.h"

#include <exception>

namespace rescomp {

CompileResult Compile(const CompileOptions& options)
{
    CompileResult result;
    ScriptOptions script;
    std::vector<std::pair<std::string, std::string>> defines = {{"RC_INVOKED", "1"}};
    if (options.language == "ja") {
        script.language = kLangJapanese;
        script.ansiCodePage = 932;
        defines.emplace_back("QV_LANG_JA", "1");
    } else if (options.language == "en") {
        script.language = kLangEnglish;
        script.ansiCodePage = 1252;
        defines.emplace_back("QV_LANG_EN", "1");
    } else {
        result.errors.push_back("error: unknown language '" + options.language + "' (ja or en)");
        return result;
    }
    defines.insert(defines.end(), options.defines.begin(), options.defines.end());

    Preprocessor preprocessor(options.includeDirs, defines);
    try {
        std::vector<Token> tokens = preprocessor.Run(options.script);
        platform::ResourceModuleWriter writer(script.language);
        ScriptParser parser(std::move(tokens), script, writer);
        RegisterStandardStatements(parser);
        RegisterUiStatements(parser);
        try {
            parser.Parse();
        } catch (...) {
            result.dependencies = preprocessor.Files();
            result.dependencies.insert(result.dependencies.end(), parser.DataFiles().begin(), parser.DataFiles().end());
            throw;
        }
        result.dependencies = preprocessor.Files();
        result.dependencies.insert(result.dependencies.end(), parser.DataFiles().begin(), parser.DataFiles().end());
        result.module = writer.Build();
        result.ok = true;
    } catch (const ScriptError& e) {
        result.errors.push_back(e.Describe());
    } catch (const std::exception& e) {
        result.errors.push_back(options.script + ": error: " + e.what());
    }
    if (result.dependencies.empty()) result.dependencies = preprocessor.Files();
    return result;
}

}  // namespace rescomp
