#include "platform/rescomp/Preprocessor.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace rescomp {

namespace {

namespace fs = std::filesystem;

constexpr int kMaxIncludeDepth = 32;
constexpr int kMaxExpansionDepth = 64;

std::string Trim(const std::string& text)
{
    std::size_t a = 0;
    std::size_t b = text.size();
    while (a < b && std::isspace(static_cast<unsigned char>(text[a]))) ++a;
    while (b > a && std::isspace(static_cast<unsigned char>(text[b - 1]))) --b;
    return text.substr(a, b - a);
}

bool IsHeader(const std::string& path)
{
    const std::string ext = Upper(fs::path(path).extension().string());
    return ext == ".H" || ext == ".HH" || ext == ".HPP" || ext == ".HXX";
}

// Cuts an identifier from the front of text; empty when there is none.
std::string TakeIdentifier(std::string& text)
{
    std::size_t i = 0;
    if (i < text.size() && (std::isalpha(static_cast<unsigned char>(text[i])) || text[i] == '_')) {
        while (i < text.size() && (std::isalnum(static_cast<unsigned char>(text[i])) || text[i] == '_')) ++i;
    }
    std::string id = text.substr(0, i);
    text = text.substr(i);
    return id;
}

// Removes comments from one line; inComment carries a block comment into the
// next line. String literals (and character literals in headers) are kept.
std::string StripComments(const std::string& line, bool& inComment, bool headerOnly)
{
    std::string out;
    std::size_t i = 0;
    while (i < line.size()) {
        if (inComment) {
            const std::size_t end = line.find("*/", i);
            if (end == std::string::npos) return out;
            inComment = false;
            out.push_back(' ');
            i = end + 2;
            continue;
        }
        const char c = line[i];
        if (c == '"' || (headerOnly && c == '\'')) {
            const std::size_t start = i++;
            while (i < line.size() && line[i] != c) i += line[i] == '\\' ? 2 : 1;
            i = std::min(i + 1, line.size());
            out.append(line, start, i - start);
            continue;
        }
        if (c == '/' && i + 1 < line.size() && line[i + 1] == '/') return out;
        if (c == '/' && i + 1 < line.size() && line[i + 1] == '*') {
            inComment = true;
            i += 2;
            continue;
        }
        out.push_back(c);
        ++i;
    }
    return out;
}

}  // namespace

Preprocessor::Preprocessor(std::vector<std::string> includeDirs,
                           const std::vector<std::pair<std::string, std::string>>& defines)
    : m_includeDirs(std::move(includeDirs))
{
    for (const auto& [name, value] : defines) m_macros[name] = Macro {value, SourceLocation {nullptr, 0}};
}

std::vector<Token> Preprocessor::Run(const std::string& scriptPath)
{
    m_out.clear();
    ProcessFile(scriptPath, 0, SourceLocation {std::make_shared<const std::string>(scriptPath), 0});
    Token end;
    end.kind = Token::Kind::End;
    end.where = m_out.empty() ? SourceLocation {std::make_shared<const std::string>(scriptPath), 1} : m_out.back().where;
    m_out.push_back(end);
    return std::move(m_out);
}

void Preprocessor::ProcessFile(const std::string& path, int depth, const SourceLocation& from)
{
    if (depth > kMaxIncludeDepth) throw ScriptError(from, "#include nested too deeply (does a file include itself?)");
    std::string bytes;
    std::string error;
    if (!ReadWholeFile(path, bytes, error)) throw ScriptError(from, error);
    if (std::find(m_files.begin(), m_files.end(), path) == m_files.end()) m_files.push_back(path);
    const auto file = std::make_shared<const std::string>(path);
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.erase(0, 3);
    if (const std::size_t bad = FindInvalidUtf8(bytes); bad != std::string::npos) {
        const int line = 1 + static_cast<int>(std::count(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(bad), '\n'));
        throw ScriptError(SourceLocation {file, line}, "the file is not valid UTF-8");
    }
    const bool headerOnly = IsHeader(path);
    const std::size_t conditionsAtStart = m_conditions.size();
    bool inComment = false;
    std::size_t pos = 0;
    int lineNo = 0;
    while (pos < bytes.size()) {
        // One logical line: physical lines joined where a backslash ends them.
        std::string line;
        const int firstLine = lineNo + 1;
        while (pos < bytes.size()) {
            std::size_t nl = bytes.find('\n', pos);
            if (nl == std::string::npos) nl = bytes.size();
            std::string piece = bytes.substr(pos, nl - pos);
            pos = nl + 1;
            ++lineNo;
            if (!piece.empty() && piece.back() == '\r') piece.pop_back();
            if (!piece.empty() && piece.back() == '\\' && pos < bytes.size()) {
                piece.pop_back();
                line += piece;
                continue;
            }
            line += piece;
            break;
        }
        const SourceLocation where {file, firstLine};
        const bool commentBefore = inComment;
        const std::string text = Trim(StripComments(line, inComment, headerOnly));
        if (!commentBefore && !text.empty() && text[0] == '#') {
            Directive(Trim(text.substr(1)), where, path, depth);
            continue;
        }
        if (headerOnly || !Active() || text.empty()) continue;
        std::set<std::string> expanding;
        Expand(Tokenize(text, where), m_out, expanding, 0);
    }
    if (m_conditions.size() > conditionsAtStart) {
        throw ScriptError(m_conditions.back().where, "#if without #endif");
    }
}

void Preprocessor::Directive(const std::string& text, const SourceLocation& where, const std::string& path, int depth)
{
    std::string rest = text;
    const std::string name = TakeIdentifier(rest);
    rest = Trim(rest);

    if (name == "if" || name == "ifdef" || name == "ifndef") {
        const bool parent = Active();
        bool value = false;
        if (parent) {
            if (name == "if") {
                value = Condition(rest, where);
            } else {
                std::string id = TakeIdentifier(rest);
                if (id.empty() || !Trim(rest).empty()) throw ScriptError(where, "#" + name + " needs one name");
                value = (m_macros.count(id) != 0) == (name == "ifdef");
            }
        }
        m_conditions.push_back(Conditional {parent, parent && value, parent && value, false, where});
        return;
    }
    if (name == "elif" || name == "else" || name == "endif") {
        if (m_conditions.empty()) throw ScriptError(where, "#" + name + " without #if");
        Conditional& c = m_conditions.back();
        if (name == "endif") {
            m_conditions.pop_back();
            return;
        }
        if (c.elseSeen) throw ScriptError(where, "#" + name + " after #else");
        if (name == "else") {
            c.elseSeen = true;
            c.active = c.parentActive && !c.taken;
        } else {
            c.active = c.parentActive && !c.taken && Condition(rest, where);
        }
        c.taken = c.taken || c.active;
        return;
    }
    if (!Active()) return;

    if (name == "define") {
        const std::string id = TakeIdentifier(rest);
        if (id.empty()) throw ScriptError(where, "#define needs a name");
        if (!rest.empty() && rest[0] == '(') throw ScriptError(where, "macros with arguments are not supported");
        if (!rest.empty() && !std::isspace(static_cast<unsigned char>(rest[0]))) {
            throw ScriptError(where, "#define " + id + ": blank expected after the name");
        }
        const std::string body = Trim(rest);
        const auto old = m_macros.find(id);
        if (old != m_macros.end() && old->second.body != body) {
            throw ScriptError(where, id + " is defined again with another value (first at " +
                                         (old->second.where.file ? old->second.where.ToString() : "the command line") + ")");
        }
        m_macros[id] = Macro {body, where};
        return;
    }
    if (name == "undef") {
        const std::string id = TakeIdentifier(rest);
        if (id.empty() || !Trim(rest).empty()) throw ScriptError(where, "#undef needs one name");
        m_macros.erase(id);
        return;
    }
    if (name == "include") {
        if (rest.size() < 2 || !((rest[0] == '"' && rest.find('"', 1) != std::string::npos) ||
                                 (rest[0] == '<' && rest.find('>', 1) != std::string::npos))) {
            throw ScriptError(where, "#include needs a file name in quotes or <>");
        }
        const char close = rest[0] == '"' ? '"' : '>';
        const std::size_t end = rest.find(close, 1);
        if (!Trim(rest.substr(end + 1)).empty()) throw ScriptError(where, "unexpected text after #include");
        std::string file = rest.substr(1, end - 1);
        std::replace(file.begin(), file.end(), '\\', '/');
        const std::string resolved = ResolveInclude(file, path, close == '"');
        if (resolved.empty()) throw ScriptError(where, "cannot find included file " + file);
        ProcessFile(resolved, depth + 1, where);
        return;
    }
    if (name == "pragma") {
        std::string p = rest;
        if (TakeIdentifier(p) == "code_page") {
            std::string arg = p;
            arg.erase(std::remove_if(arg.begin(), arg.end(), [](char c) { return std::isspace(static_cast<unsigned char>(c)); }),
                      arg.end());
            if (arg != "(65001)" && Upper(arg) != "(DEFAULT)") {
                throw ScriptError(where, "scripts are UTF-8: only code_page(65001) is accepted");
            }
        }
        return;
    }
    if (name == "error") throw ScriptError(where, "#error " + rest);
    if (name == "line" || (name.empty() && rest.empty())) return;
    throw ScriptError(where, "unknown directive #" + name);
}

bool Preprocessor::Condition(const std::string& expression, const SourceLocation& where)
{
    std::vector<Token> raw = Tokenize(expression, where);
    std::vector<Token> replaced;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i].kind != Token::Kind::Identifier || raw[i].text != "defined") {
            replaced.push_back(raw[i]);
            continue;
        }
        const bool parens = i + 1 < raw.size() && raw[i + 1].IsPunct("(");
        const std::size_t at = i + (parens ? 2 : 1);
        if (at >= raw.size() || raw[at].kind != Token::Kind::Identifier || (parens && (at + 1 >= raw.size() || !raw[at + 1].IsPunct(")")))) {
            throw ScriptError(where, "defined needs a name");
        }
        Token value;
        value.kind = Token::Kind::Number;
        value.number = m_macros.count(raw[at].text) ? 1 : 0;
        value.text = std::to_string(value.number);
        value.where = where;
        replaced.push_back(value);
        i = at + (parens ? 1 : 0);
    }
    std::vector<Token> expanded;
    std::set<std::string> expanding;
    Expand(replaced, expanded, expanding, 0);
    Token end;
    end.kind = Token::Kind::End;
    end.where = where;
    expanded.push_back(end);
    std::size_t pos = 0;
    // Names that are not macros count as 0, as in C.
    const std::int64_t value = EvaluateExpression(expanded, pos, [](const Token&) { return std::int64_t {0}; });
    if (expanded[pos].kind != Token::Kind::End) throw ScriptError(where, "unexpected '" + expanded[pos].text + "' in #if");
    return value != 0;
}

void Preprocessor::Expand(const std::vector<Token>& in, std::vector<Token>& out, std::set<std::string>& active, int depth)
{
    if (depth > kMaxExpansionDepth) throw ScriptError(in.empty() ? SourceLocation {} : in.front().where, "macro nested too deeply");
    for (const Token& t : in) {
        const auto macro = t.kind == Token::Kind::Identifier ? m_macros.find(t.text) : m_macros.end();
        if (macro == m_macros.end() || active.count(t.text)) {
            out.push_back(t);
            continue;
        }
        active.insert(t.text);
        Expand(Tokenize(macro->second.body, t.where), out, active, depth + 1);
        active.erase(t.text);
    }
}

std::string Preprocessor::ResolveInclude(const std::string& name, const std::string& fromPath, bool quoted) const
{
    std::vector<fs::path> candidates;
    if (fs::path(name).is_absolute()) {
        candidates.emplace_back(name);
    } else {
        if (quoted) candidates.push_back(fs::path(fromPath).parent_path() / name);
        for (const std::string& dir : m_includeDirs) candidates.push_back(fs::path(dir) / name);
    }
    for (const fs::path& p : candidates) {
        std::error_code ec;
        if (fs::is_regular_file(p, ec)) return p.lexically_normal().string();
    }
    return std::string();
}

}  // namespace rescomp
