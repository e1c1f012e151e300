// The statements of resource scripts. A statement either begins with a
// keyword (STRINGTABLE, LANGUAGE) or is "name TYPE ...", where TYPE is a
// built-in resource type with a handler of its own, or any other name or
// number: a custom type whose bytes come from a file or a { } block.
//
// Handlers are registered by keyword, so further statements (DIALOGEX, MENU,
// ACCELERATORS, ICON, BITMAP, CURSOR, ...) are added with AddStatement or
// AddResourceType and the helpers below; until then those keywords are
// reserved and using them is an error, as is anything that is no statement.
// A new statement goes in a Register...() function of its own beside
// RegisterStandardStatements, called by Compile (Compiler.cpp); its handler
// reads its tokens with the helpers below and stores its bytes with
// AddResource under its standard type (kRtDialog, kRtMenu, ...).
#pragma once

#include "platform/core/ResourceModule.h"
#include "platform/rescomp/ScriptLexer.h"

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace rescomp {

struct ScriptOptions {
    WORD language = kLangEnglish;
    // Narrow strings and ANSI data files are written in this code page.
    UINT ansiCodePage = 1252;
};

class ScriptParser {
public:
    // "KEYWORD ...": the keyword token has been read.
    using StatementHandler = std::function<void(ScriptParser&, const Token& keyword)>;
    // "name KEYWORD ...": name and keyword have been read.
    using ResourceHandler = std::function<void(ScriptParser&, const platform::ResourceKey& name, const Token& keyword)>;

    ScriptParser(std::vector<Token> tokens, ScriptOptions options, platform::ResourceModuleWriter& out);

    void AddStatement(const std::string& keyword, StatementHandler handler);
    void AddResourceType(const std::string& keyword, ResourceHandler handler);
    // A keyword that is known but has no handler yet: using it is an error.
    void Reserve(const std::string& keyword);

    // Parses every statement; throws ScriptError at the first fault.
    void Parse();

    // Helpers for handlers; every failure throws ScriptError at the token.
    const Token& Peek(std::size_t ahead = 0) const;
    Token Next();
    bool AcceptPunct(const char* punct);
    bool AcceptKeyword(const char* keyword);
    bool AtBlockStart() const;  // "{" or BEGIN
    void ExpectBlockStart(const std::string& what);
    // True and consumed at "}" or END; an error at the end of the script.
    bool AcceptBlockEnd(const std::string& what);
    // An integer expression; names that are no macros are errors.
    std::int64_t Number(const std::string& what, bool* sawLong = nullptr);
    // The same, with the value of names that are no macros from names (which
    // gives nothing for a name it does not know: an error).
    using NameLookup = std::function<std::optional<std::int64_t>(const std::string& name)>;
    std::int64_t Number(const std::string& what, const NameLookup& names, bool* sawLong = nullptr);
    // A number 0..65535 (resource and string ids).
    WORD Id(const std::string& what);
    // One string literal, or several adjacent ones joined.
    std::u16string String(const std::string& what);
    // Skips the legacy memory flags (PRELOAD, DISCARDABLE, ...); true when one was there.
    bool AcceptMemoryFlag();
    // The bytes of a file named relative to the script that names it.
    std::string ReadDataFile(const Token& fileName);
    // Text in the module's ANSI code page; an error when a character has no code there.
    std::string ToAnsi(const std::u16string& text, const Token& at) const;
    void AddResource(const platform::ResourceKey& type, const platform::ResourceKey& name, std::string bytes,
                     const Token& at);
    void AddString(WORD id, const std::u16string& text, const Token& at);
    [[noreturn]] void Fail(const Token& at, const std::string& message) const;

    const ScriptOptions& Options() const { return m_options; }
    const std::vector<std::string>& DataFiles() const { return m_dataFiles; }

private:
    void Statement();

    std::vector<Token> m_tokens;
    std::size_t m_pos = 0;
    ScriptOptions m_options;
    platform::ResourceModuleWriter& m_out;
    std::map<std::string, StatementHandler> m_statements;
    std::map<std::string, ResourceHandler> m_resourceTypes;
    std::set<std::string> m_reserved;
    std::map<std::pair<platform::ResourceKey, platform::ResourceKey>, SourceLocation> m_defined;
    std::vector<std::string> m_dataFiles;
};

// STRINGTABLE, LANGUAGE, RCDATA and custom types; reserves the keywords of
// the statements that are not built yet.
void RegisterStandardStatements(ScriptParser& parser);

}  // namespace rescomp
