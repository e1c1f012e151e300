#include "platform/rescomp/ScriptParser.h"

#include "platform/core/CodePage.h"

#include <algorithm>
#include <filesystem>

namespace rescomp {

namespace {

namespace fs = std::filesystem;

constexpr const char* kMemoryFlags[] = {"PRELOAD", "LOADONCALL", "FIXED",  "MOVEABLE", "DISCARDABLE",
                                        "PURE",    "IMPURE",     "SHARED", "NONSHARED"};

// Keywords of statements that other parts of the layer will build.
constexpr const char* kReservedKeywords[] = {
    "DIALOG",  "DIALOGEX",   "MENU",          "MENUEX",  "ACCELERATORS", "ICON",    "BITMAP",
    "CURSOR",  "FONT",       "VERSIONINFO",   "HTML",    "MESSAGETABLE", "TOOLBAR", "DLGINIT",
    "PLUGPLAY", "VXD",       "ANICURSOR",     "ANIICON", "TEXTINCLUDE",  "DESIGNINFO", "AFX_DIALOG_LAYOUT",
};

std::string Describe(const Token& t)
{
    switch (t.kind) {
    case Token::Kind::End: return "the end of the script";
    case Token::Kind::String: return "a string";
    default: return "'" + t.text + "'";
    }
}

void AppendLittleEndian(std::string& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::string AnsiTextFromUtf8(const ScriptParser& parser, std::string bytes, const Token& fileName)
{
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.erase(0, 3);
    std::string out;
    std::size_t pos = 0;
    int line = 0;
    while (pos < bytes.size()) {
        ++line;
        std::size_t nl = bytes.find('\n', pos);
        const bool hasEnd = nl != std::string::npos;
        if (!hasEnd) nl = bytes.size();
        std::string text = bytes.substr(pos, nl - pos);
        pos = nl + 1;
        if (!text.empty() && text.back() == '\r') text.pop_back();
        const std::string at = std::to_string(line);
        if (FindInvalidUtf8(text) != std::string::npos) {
            parser.Fail(fileName, "line " + at + " of the data file is not valid UTF-8");
        }
        bool lost = false;
        out += platform::FromWide(Utf8ToUtf16(text), parser.Options().ansiCodePage, &lost);
        if (lost) {
            parser.Fail(fileName, "line " + at + " of the data file has a character that code page " +
                                      std::to_string(parser.Options().ansiCodePage) + " cannot hold");
        }
        if (hasEnd) out += "\r\n";
    }
    return out;
}

// "name TYPE [flags] [ANSI] "file"" or "name TYPE { items }".
void CustomResource(ScriptParser& p, const platform::ResourceKey& type, const platform::ResourceKey& name,
                    const Token& at)
{
    bool ansi = false;
    while (true) {
        if (p.AcceptMemoryFlag()) continue;
        if (p.AcceptKeyword("ANSI")) {
            ansi = true;
            continue;
        }
        break;
    }
    std::string bytes;
    if (p.Peek().kind == Token::Kind::String) {
        const Token file = p.Next();
        bytes = p.ReadDataFile(file);
        if (ansi) bytes = AnsiTextFromUtf8(p, std::move(bytes), file);
    } else if (p.AtBlockStart()) {
        if (ansi) p.Fail(p.Peek(), "ANSI applies to data files only");
        p.ExpectBlockStart("data");
        while (!p.AcceptBlockEnd("data block")) {
            const Token item = p.Peek();
            if (item.IsKeyword("FIELD") && p.Peek(1).IsPunct("(")) {
                // FIELD(size, "text"): the text in the ANSI code page, zero-filled to size bytes.
                p.Next();
                p.Next();
                const Token sizeAt = p.Peek();
                const std::int64_t size = p.Number("field size");
                if (size < 1 || size > 0xFFFF) p.Fail(sizeAt, "field size must be 1 to 65535");
                if (!p.AcceptPunct(",")) p.Fail(p.Peek(), "',' expected after the field size");
                const Token textAt = p.Peek();
                std::string text = p.ToAnsi(p.String("field text"), textAt);
                if (!p.AcceptPunct(")")) p.Fail(p.Peek(), "')' expected after the field text");
                if (text.size() >= static_cast<std::size_t>(size)) {
                    p.Fail(textAt, "the text takes " + std::to_string(text.size()) + " bytes; the field holds " +
                                       std::to_string(size - 1) + " and its terminator");
                }
                text.resize(static_cast<std::size_t>(size), '\0');
                bytes += text;
            } else if (item.kind == Token::Kind::String) {
                p.Next();
                if (item.wide) {
                    for (char16_t c : item.string) AppendLittleEndian(bytes, c, 2);
                } else {
                    bytes += p.ToAnsi(item.string, item);
                }
            } else {
                bool isLong = false;
                const std::int64_t v = p.Number("data value", &isLong);
                const std::int64_t low = isLong ? -2147483648LL : -32768;
                const std::int64_t high = isLong ? 0xFFFFFFFFLL : 0xFFFF;
                if (v < low || v > high) p.Fail(item, "value " + std::to_string(v) + " does not fit in " + (isLong ? "32" : "16") + " bits");
                AppendLittleEndian(bytes, static_cast<std::uint32_t>(v), isLong ? 4 : 2);
            }
            p.AcceptPunct(",");
        }
    } else {
        p.Fail(p.Peek(), "a file name in quotes or a { } block expected, found " + Describe(p.Peek()));
    }
    p.AddResource(type, name, std::move(bytes), at);
}

// LANGUAGE primary, sub: each module file holds one language, given to the
// compiler, so the values are read and not used.
void Language(ScriptParser& p, const Token& keyword)
{
    // The system's language names (LANG_JAPANESE, ...) need no #define here.
    const auto value = [&p] {
        if (p.Peek().kind == Token::Kind::Identifier) {
            p.Next();
        } else {
            p.Number("LANGUAGE value");
        }
    };
    value();
    if (!p.AcceptPunct(",")) p.Fail(keyword, "LANGUAGE needs two values separated by a comma");
    value();
}

void StringTable(ScriptParser& p, const Token&)
{
    while (!p.AtBlockStart()) {
        if (p.AcceptMemoryFlag()) continue;
        if (p.Peek().IsKeyword("LANGUAGE")) {
            Language(p, p.Next());
            continue;
        }
        if (p.AcceptKeyword("CHARACTERISTICS") || p.AcceptKeyword("VERSION")) {
            p.Number("value");
            continue;
        }
        p.Fail(p.Peek(), "BEGIN expected after STRINGTABLE, found " + Describe(p.Peek()));
    }
    p.ExpectBlockStart("STRINGTABLE");
    while (!p.AcceptBlockEnd("STRINGTABLE")) {
        const Token at = p.Peek();
        const WORD id = p.Id("string id");
        p.AcceptPunct(",");
        p.AddString(id, p.String("string text"), at);
    }
}

}  // namespace

ScriptParser::ScriptParser(std::vector<Token> tokens, ScriptOptions options, platform::ResourceModuleWriter& out)
    : m_tokens(std::move(tokens)), m_options(options), m_out(out)
{
    if (m_tokens.empty() || m_tokens.back().kind != Token::Kind::End) {
        Token end;
        end.kind = Token::Kind::End;
        if (!m_tokens.empty()) end.where = m_tokens.back().where;
        m_tokens.push_back(end);
    }
}

void ScriptParser::AddStatement(const std::string& keyword, StatementHandler handler)
{
    m_reserved.erase(Upper(keyword));
    m_statements[Upper(keyword)] = std::move(handler);
}

void ScriptParser::AddResourceType(const std::string& keyword, ResourceHandler handler)
{
    m_reserved.erase(Upper(keyword));
    m_resourceTypes[Upper(keyword)] = std::move(handler);
}

void ScriptParser::Reserve(const std::string& keyword)
{
    const std::string k = Upper(keyword);
    if (!m_statements.count(k) && !m_resourceTypes.count(k)) m_reserved.insert(k);
}

void ScriptParser::Parse()
{
    while (Peek().kind != Token::Kind::End) Statement();
}

void ScriptParser::Statement()
{
    const Token first = Peek();
    if (first.kind == Token::Kind::Identifier) {
        const std::string keyword = Upper(first.text);
        if (const auto s = m_statements.find(keyword); s != m_statements.end()) {
            Next();
            s->second(*this, first);
            return;
        }
        if (m_reserved.count(keyword)) Fail(first, first.text + " is not supported yet");
        if (m_resourceTypes.count(keyword)) Fail(first, "a resource name is missing before " + first.text);
    }

    platform::ResourceKey name;
    if (first.kind == Token::Kind::Identifier) {
        // A name that is no macro names the resource, as in the system's scripts.
        Next();
        name = platform::ResourceKey(first.text.c_str());
    } else if (first.kind == Token::Kind::Number || first.IsPunct("(") || first.IsPunct("-")) {
        name = platform::ResourceKey(static_cast<unsigned>(Id("resource id")));
    } else {
        Fail(first, "a statement expected, found " + Describe(first));
    }

    const Token type = Peek();
    if (type.IsKeyword("BEGIN") || type.IsKeyword("END") || type.IsPunct("{") || type.IsPunct("}")) {
        Fail(first, "unknown statement " + Describe(first));
    }
    if (type.kind == Token::Kind::Identifier) {
        Next();
        const std::string keyword = Upper(type.text);
        if (const auto r = m_resourceTypes.find(keyword); r != m_resourceTypes.end()) {
            r->second(*this, name, type);
            return;
        }
        if (m_reserved.count(keyword)) Fail(type, type.text + " is not supported yet");
        if (m_statements.count(keyword)) Fail(type, type.text + " cannot follow a resource name");
        CustomResource(*this, platform::ResourceKey(type.text.c_str()), name, first);
        return;
    }
    if (type.kind == Token::Kind::Number) {
        const WORD number = Id("resource type");
        // Standard types have a layout the loader checks; only their statements write them.
        if (number != kRtRcData && number >= 1 && number <= 24) {
            Fail(type, "resource type " + std::to_string(number) + " is a standard type; use its statement");
        }
        CustomResource(*this, platform::ResourceKey(static_cast<unsigned>(number)), name, first);
        return;
    }
    Fail(type, "a resource type expected after the resource name, found " + Describe(type));
}

const Token& ScriptParser::Peek(std::size_t ahead) const
{
    return m_tokens[std::min(m_pos + ahead, m_tokens.size() - 1)];
}

Token ScriptParser::Next()
{
    const Token t = Peek();
    if (m_pos < m_tokens.size() - 1) ++m_pos;
    return t;
}

bool ScriptParser::AcceptPunct(const char* punct)
{
    if (!Peek().IsPunct(punct)) return false;
    Next();
    return true;
}

bool ScriptParser::AcceptKeyword(const char* keyword)
{
    if (!Peek().IsKeyword(keyword)) return false;
    Next();
    return true;
}

bool ScriptParser::AtBlockStart() const { return Peek().IsPunct("{") || Peek().IsKeyword("BEGIN"); }

void ScriptParser::ExpectBlockStart(const std::string& what)
{
    if (!AtBlockStart()) Fail(Peek(), "BEGIN or { expected for " + what + ", found " + Describe(Peek()));
    Next();
}

bool ScriptParser::AcceptBlockEnd(const std::string& what)
{
    if (Peek().kind == Token::Kind::End) Fail(Peek(), what + " is not closed with END or }");
    if (!Peek().IsPunct("}") && !Peek().IsKeyword("END")) return false;
    Next();
    return true;
}

std::int64_t ScriptParser::Number(const std::string& what, bool* sawLong)
{
    return Number(what, NameLookup(), sawLong);
}

std::int64_t ScriptParser::Number(const std::string& what, const NameLookup& names, bool* sawLong)
{
    const Token start = Peek();
    if (start.kind != Token::Kind::Number && start.kind != Token::Kind::Identifier && start.kind != Token::Kind::Punct) {
        Fail(start, what + " expected, found " + Describe(start));
    }
    return EvaluateExpression(
        m_tokens, m_pos,
        [&names](const Token& t) -> std::int64_t {
            if (names) {
                if (const std::optional<std::int64_t> value = names(t.text)) return *value;
            }
            throw ScriptError(t.where, "unknown name " + t.text + " (is its #define missing?)");
        },
        sawLong);
}

WORD ScriptParser::Id(const std::string& what)
{
    const Token at = Peek();
    const std::int64_t v = Number(what, nullptr);
    if (v < 0 || v > 0xFFFF) Fail(at, what + " " + std::to_string(v) + " is outside 0 to 65535");
    return static_cast<WORD>(v);
}

std::u16string ScriptParser::String(const std::string& what)
{
    if (Peek().kind != Token::Kind::String) Fail(Peek(), what + " in quotes expected, found " + Describe(Peek()));
    std::u16string text;
    while (Peek().kind == Token::Kind::String) text += Next().string;
    return text;
}

bool ScriptParser::AcceptMemoryFlag()
{
    for (const char* flag : kMemoryFlags) {
        if (AcceptKeyword(flag)) return true;
    }
    return false;
}

std::string ScriptParser::ReadDataFile(const Token& fileName)
{
    std::string name;
    const std::u16string& value = fileName.string;
    for (char16_t c : value) {
        if (c == 0) Fail(fileName, "a file name cannot hold a NUL character");
    }
    name = platform::FromWide(value, CP_UTF8);
    std::replace(name.begin(), name.end(), '\\', '/');
    if (name.empty()) Fail(fileName, "empty file name");
    fs::path path(name);
    if (path.is_relative() && fileName.where.file) path = fs::path(*fileName.where.file).parent_path() / path;
    const std::string resolved = path.lexically_normal().string();
    std::error_code ec;
    if (!fs::is_regular_file(resolved, ec)) Fail(fileName, "cannot open data file " + resolved);
    std::string bytes;
    std::string error;
    if (!ReadWholeFile(resolved, bytes, error)) Fail(fileName, error);
    if (std::find(m_dataFiles.begin(), m_dataFiles.end(), resolved) == m_dataFiles.end()) m_dataFiles.push_back(resolved);
    return bytes;
}

std::string ScriptParser::ToAnsi(const std::u16string& text, const Token& at) const
{
    bool lost = false;
    std::string out = platform::FromWide(text, m_options.ansiCodePage, &lost);
    if (lost) Fail(at, "the text has a character that code page " + std::to_string(m_options.ansiCodePage) + " cannot hold");
    return out;
}

void ScriptParser::AddResource(const platform::ResourceKey& type, const platform::ResourceKey& name, std::string bytes,
                               const Token& at)
{
    const auto key = std::make_pair(type, name);
    if (const auto old = m_defined.find(key); old != m_defined.end()) {
        const std::string shown = name.IsNumber() ? std::to_string(name.Number()) : platform::FromWide(name.Name(), CP_UTF8);
        Fail(at, "duplicate resource " + shown + " (first defined at " + old->second.ToString() + ")");
    }
    if (!m_out.Add(type, name, std::move(bytes))) Fail(at, "the resource cannot be stored");
    m_defined.emplace(key, at.where);
}

void ScriptParser::AddString(WORD id, const std::u16string& text, const Token& at)
{
    const auto key = std::make_pair(platform::ResourceKey(kRtString), platform::ResourceKey(static_cast<unsigned>(id)));
    if (const auto old = m_defined.find(key); old != m_defined.end()) {
        Fail(at, "duplicate string id " + std::to_string(id) + " (first defined at " + old->second.ToString() + ")");
    }
    if (!m_out.AddString(id, text)) Fail(at, "the string cannot be stored");
    m_defined.emplace(key, at.where);
}

void ScriptParser::Fail(const Token& at, const std::string& message) const { throw ScriptError(at.where, message); }

void RegisterStandardStatements(ScriptParser& parser)
{
    parser.AddStatement("STRINGTABLE", StringTable);
    parser.AddStatement("LANGUAGE", Language);
    parser.AddResourceType("RCDATA", [](ScriptParser& p, const platform::ResourceKey& name, const Token& keyword) {
        CustomResource(p, platform::ResourceKey(static_cast<unsigned>(kRtRcData)), name, keyword);
    });
    for (const char* keyword : kReservedKeywords) parser.Reserve(keyword);
}

}  // namespace rescomp
