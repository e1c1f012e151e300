// The preprocessor of resource scripts: comments, #include, object-like
// #define and #undef, #if/#ifdef/#ifndef/#elif/#else/#endif, #pragma
// code_page(65001) and #error. Included headers (.h, .hh, .hpp) contribute
// only their directives, so an ids header shared with C++ code can be
// included. Macros are expanded as each line is read, so a #define applies
// from its line on.
#pragma once

#include "platform/rescomp/ScriptLexer.h"

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace rescomp {

class Preprocessor {
public:
    Preprocessor(std::vector<std::string> includeDirs, const std::vector<std::pair<std::string, std::string>>& defines);

    // The expanded tokens of a script, ending with an End token. Throws ScriptError.
    std::vector<Token> Run(const std::string& scriptPath);
    // Every file read: the script and what it included.
    const std::vector<std::string>& Files() const { return m_files; }

private:
    struct Macro {
        std::string body;
        SourceLocation where;
    };
    struct Conditional {
        bool parentActive;
        bool active;
        bool taken;
        bool elseSeen;
        SourceLocation where;
    };

    void ProcessFile(const std::string& path, int depth, const SourceLocation& from);
    void Directive(const std::string& text, const SourceLocation& where, const std::string& path, int depth);
    bool Active() const { return m_conditions.empty() || m_conditions.back().active; }
    bool Condition(const std::string& expression, const SourceLocation& where);
    void Expand(const std::vector<Token>& in, std::vector<Token>& out, std::set<std::string>& active, int depth);
    std::string ResolveInclude(const std::string& name, const std::string& fromPath, bool quoted) const;

    std::vector<std::string> m_includeDirs;
    std::map<std::string, Macro> m_macros;
    std::vector<Conditional> m_conditions;
    std::vector<Token> m_out;
    std::vector<std::string> m_files;
};

}  // namespace rescomp
