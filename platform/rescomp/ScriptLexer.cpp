#include "platform/rescomp/ScriptLexer.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <string_view>

namespace rescomp {

namespace {

bool IsIdentStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsIdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

int HexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Appends one UTF-8 encoded character starting at text[i] as UTF-16; the text
// was validated before.
void AppendUtf8Char(const std::string& text, std::size_t& i, std::u16string& out)
{
    const unsigned char c = static_cast<unsigned char>(text[i]);
    std::uint32_t cp;
    int extra;
    if (c < 0x80) {
        cp = c;
        extra = 0;
    } else if (c < 0xE0) {
        cp = c & 0x1F;
        extra = 1;
    } else if (c < 0xF0) {
        cp = c & 0x0F;
        extra = 2;
    } else {
        cp = c & 0x07;
        extra = 3;
    }
    for (int k = 1; k <= extra && i + k < text.size(); ++k) cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    i += static_cast<std::size_t>(extra) + 1;
    if (cp >= 0x10000) {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
        out.push_back(static_cast<char16_t>(cp));
    }
}

}  // namespace

std::string SourceLocation::ToString() const
{
    const std::string name = file ? *file : std::string("<command line>");
    return line > 0 ? name + ":" + std::to_string(line) : name;
}

std::string ScriptError::Describe() const { return m_where.ToString() + ": error: " + what(); }

bool Token::IsKeyword(const char* keyword) const { return kind == Kind::Identifier && Upper(text) == keyword; }

std::string Upper(std::string text)
{
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::size_t FindInvalidUtf8(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        int extra;
        std::uint32_t min;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c < 0xE0) {
            extra = 1;
            min = 0x80;
        } else if (c >= 0xE0 && c < 0xF0) {
            extra = 2;
            min = 0x800;
        } else if (c >= 0xF0 && c < 0xF5) {
            extra = 3;
            min = 0x10000;
        } else {
            return i;
        }
        if (i + extra >= text.size()) return i;
        std::uint32_t cp = c & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) {
            const unsigned char cc = static_cast<unsigned char>(text[i + k]);
            if ((cc & 0xC0) != 0x80) return i;
            cp = (cp << 6) | (cc & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return i;
        i += static_cast<std::size_t>(extra) + 1;
    }
    return std::string::npos;
}

std::u16string Utf8ToUtf16(const std::string& text)
{
    std::u16string out;
    std::size_t i = 0;
    while (i < text.size()) AppendUtf8Char(text, i, out);
    return out;
}

std::vector<Token> Tokenize(const std::string& text, const SourceLocation& where)
{
    std::vector<Token> tokens;
    std::size_t i = 0;
    auto fail = [&where](const std::string& message) { throw ScriptError(where, message); };
    while (i < text.size()) {
        const char c = text[i];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v') {
            ++i;
            continue;
        }
        Token t;
        t.where = where;
        const bool wideString = (c == 'L' || c == 'l') && i + 1 < text.size() && text[i + 1] == '"';
        if (c == '"' || wideString) {
            t.kind = Token::Kind::String;
            t.wide = wideString;
            i += wideString ? 2 : 1;
            bool closed = false;
            while (i < text.size()) {
                const char d = text[i];
                if (d == '"') {
                    if (i + 1 < text.size() && text[i + 1] == '"') {
                        t.string.push_back(u'"');
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                if (d == '\n') break;
                if (d != '\\') {
                    AppendUtf8Char(text, i, t.string);
                    continue;
                }
                if (i + 1 >= text.size()) break;
                const char e = text[i + 1];
                i += 2;
                switch (e) {
                case 'n': t.string.push_back(u'\n'); break;
                case 't': t.string.push_back(u'\t'); break;
                case 'r': t.string.push_back(u'\r'); break;
                case 'a': t.string.push_back(u'\a'); break;
                case 'b': t.string.push_back(u'\b'); break;
                case 'f': t.string.push_back(u'\f'); break;
                case 'v': t.string.push_back(u'\v'); break;
                case '\\': t.string.push_back(u'\\'); break;
                case '"': t.string.push_back(u'"'); break;
                case '\'': t.string.push_back(u'\''); break;
                case '?': t.string.push_back(u'?'); break;
                case 'x':
                case 'X': {
                    std::uint32_t v = 0;
                    int digits = 0;
                    while (digits < 4 && i < text.size() && HexValue(text[i]) >= 0) {
                        v = v * 16 + static_cast<std::uint32_t>(HexValue(text[i]));
                        ++i;
                        ++digits;
                    }
                    if (digits == 0) fail("\\x without hexadecimal digits in a string");
                    t.string.push_back(static_cast<char16_t>(v));
                    break;
                }
                default:
                    if (e >= '0' && e <= '7') {
                        std::uint32_t v = static_cast<std::uint32_t>(e - '0');
                        int digits = 1;
                        while (digits < 3 && i < text.size() && text[i] >= '0' && text[i] <= '7') {
                            v = v * 8 + static_cast<std::uint32_t>(text[i] - '0');
                            ++i;
                            ++digits;
                        }
                        t.string.push_back(static_cast<char16_t>(v));
                    } else {
                        fail(std::string("unknown escape \\") + e + " in a string");
                    }
                }
            }
            if (!closed) fail("string not closed before the end of the line");
            tokens.push_back(std::move(t));
            continue;
        }
        if (IsIdentStart(c)) {
            std::size_t j = i;
            while (j < text.size() && IsIdentChar(text[j])) ++j;
            t.kind = Token::Kind::Identifier;
            t.text = text.substr(i, j - i);
            i = j;
            tokens.push_back(std::move(t));
            continue;
        }
        if (std::isdigit(static_cast<unsigned char>(c))) {
            std::size_t j = i;
            while (j < text.size() && IsIdentChar(text[j])) ++j;
            t.kind = Token::Kind::Number;
            t.text = text.substr(i, j - i);
            i = j;
            std::string body = t.text;
            while (!body.empty() && (body.back() == 'L' || body.back() == 'l' || body.back() == 'U' || body.back() == 'u')) {
                if (body.back() == 'L' || body.back() == 'l') t.longNumber = true;
                body.pop_back();
            }
            std::uint64_t v = 0;
            const bool hex = body.size() > 2 && body[0] == '0' && (body[1] == 'x' || body[1] == 'X');
            const std::size_t start = hex ? 2 : 0;
            if (body.size() <= start) fail("malformed number " + t.text);
            for (std::size_t k = start; k < body.size(); ++k) {
                const int d = HexValue(body[k]);
                if (d < 0 || (!hex && d > 9)) fail("malformed number " + t.text);
                v = v * (hex ? 16 : 10) + static_cast<std::uint64_t>(d);
                if (v > 0xFFFFFFFFull) fail("number " + t.text + " does not fit in 32 bits");
            }
            t.number = static_cast<std::int64_t>(v);
            tokens.push_back(std::move(t));
            continue;
        }
        static const char* const kTwoCharPuncts[] = {"<<", ">>", "<=", ">=", "==", "!=", "&&", "||"};
        t.kind = Token::Kind::Punct;
        for (const char* p : kTwoCharPuncts) {
            if (text.compare(i, 2, p) == 0) t.text = p;
        }
        if (t.text.empty()) {
            if (std::string_view("{}(),|&^~!+-*/%<>=#").find(c) == std::string_view::npos) {
                if (static_cast<unsigned char>(c) >= 0x80) fail("unexpected character outside a string");
                fail(std::string("unexpected character '") + c + "'");
            }
            t.text = std::string(1, c);
        }
        i += t.text.size();
        tokens.push_back(std::move(t));
    }
    return tokens;
}

}  // namespace rescomp

namespace rescomp {

bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& error, std::size_t maxBytes)
{
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        error = "cannot open " + path;
        return false;
    }
    bytes.clear();
    char buf[65536];
    bool ok = true;
    while (true) {
        const std::size_t n = std::fread(buf, 1, sizeof buf, f);
        if (n > 0) {
            if (bytes.size() + n > maxBytes) {
                error = path + " is too large";
                ok = false;
                break;
            }
            bytes.append(buf, n);
        }
        if (n < sizeof buf) {
            if (std::ferror(f)) {
                error = "cannot read " + path;
                ok = false;
            }
            break;
        }
    }
    std::fclose(f);
    return ok;
}

namespace {

class ExpressionParser {
public:
    ExpressionParser(const std::vector<Token>& tokens, std::size_t& pos,
                     const std::function<std::int64_t(const Token&)>& identifier, bool* sawLong)
        : m_tokens(tokens), m_pos(pos), m_identifier(identifier), m_sawLong(sawLong)
    {
    }

    std::int64_t Binary(int minPrecedence)
    {
        std::int64_t left = Unary();
        while (true) {
            const Token& op = m_tokens[m_pos];
            const int precedence = op.kind == Token::Kind::Punct ? Precedence(op.text) : 0;
            if (precedence == 0 || precedence < minPrecedence) return left;
            ++m_pos;
            const std::int64_t right = Binary(precedence + 1);
            left = Apply(op, left, right);
        }
    }

private:
    static int Precedence(const std::string& op)
    {
        static const std::pair<const char*, int> table[] = {
            {"||", 1}, {"&&", 2}, {"|", 3},  {"^", 4},  {"&", 5},  {"==", 6}, {"!=", 6}, {"<", 7},  {">", 7},
            {"<=", 7}, {">=", 7}, {"<<", 8}, {">>", 8}, {"+", 9},  {"-", 9},  {"*", 10}, {"/", 10}, {"%", 10},
        };
        for (const auto& [text, precedence] : table) {
            if (op == text) return precedence;
        }
        return 0;
    }

    static std::int64_t Apply(const Token& op, std::int64_t a, std::int64_t b)
    {
        const std::uint64_t ua = static_cast<std::uint64_t>(a);
        const std::uint64_t ub = static_cast<std::uint64_t>(b);
        const std::string& o = op.text;
        if (o == "||") return (a || b) ? 1 : 0;
        if (o == "&&") return (a && b) ? 1 : 0;
        if (o == "|") return static_cast<std::int64_t>(ua | ub);
        if (o == "^") return static_cast<std::int64_t>(ua ^ ub);
        if (o == "&") return static_cast<std::int64_t>(ua & ub);
        if (o == "==") return a == b;
        if (o == "!=") return a != b;
        if (o == "<") return a < b;
        if (o == ">") return a > b;
        if (o == "<=") return a <= b;
        if (o == ">=") return a >= b;
        if (o == "<<" || o == ">>") {
            if (b < 0 || b > 63) throw ScriptError(op.where, "shift count out of range");
            return static_cast<std::int64_t>(o == "<<" ? ua << b : ua >> b);
        }
        if (o == "+") return static_cast<std::int64_t>(ua + ub);
        if (o == "-") return static_cast<std::int64_t>(ua - ub);
        if (o == "*") return static_cast<std::int64_t>(ua * ub);
        if (b == 0) throw ScriptError(op.where, "division by zero");
        if (a == INT64_MIN && b == -1) throw ScriptError(op.where, "number out of range");
        return o == "/" ? a / b : a % b;
    }

    // Brackets and prefix operators recurse; a script nesting them deeper
    // than anyone writes gets a syntax error, not a stack overflow.
    static constexpr int kMaxNesting = 256;

    class Nesting {
    public:
        Nesting(int& depth, const Token& at) : m_depth(depth)
        {
            if (++m_depth > kMaxNesting) {
                --m_depth;
                throw ScriptError(at.where, "expression nested too deeply");
            }
        }
        ~Nesting() { --m_depth; }
        Nesting(const Nesting&) = delete;
        Nesting& operator=(const Nesting&) = delete;

    private:
        int& m_depth;
    };

    std::int64_t Unary()
    {
        const Token& t = m_tokens[m_pos];
        if (t.kind == Token::Kind::Punct) {
            const Nesting nesting(m_depth, t);
            if (t.text == "-" || t.text == "+" || t.text == "~" || t.text == "!") {
                ++m_pos;
                const std::int64_t v = Unary();
                if (t.text == "-") return static_cast<std::int64_t>(0 - static_cast<std::uint64_t>(v));
                if (t.text == "~") return ~v;
                if (t.text == "!") return !v;
                return v;
            }
            if (t.text == "(") {
                ++m_pos;
                const std::int64_t v = Binary(1);
                if (!m_tokens[m_pos].IsPunct(")")) throw ScriptError(m_tokens[m_pos].where, "')' expected");
                ++m_pos;
                return v;
            }
        }
        if (t.kind == Token::Kind::Number) {
            ++m_pos;
            if (t.longNumber && m_sawLong) *m_sawLong = true;
            return t.number;
        }
        if (t.kind == Token::Kind::Identifier) {
            ++m_pos;
            return m_identifier(t);
        }
        if (t.kind == Token::Kind::End) throw ScriptError(t.where, "number expected at the end of the line");
        throw ScriptError(t.where, "number expected before " + Show(t));
    }

    static std::string Show(const Token& t)
    {
        if (t.kind == Token::Kind::String) return "a string";
        return "'" + t.text + "'";
    }

    const std::vector<Token>& m_tokens;
    std::size_t& m_pos;
    const std::function<std::int64_t(const Token&)>& m_identifier;
    bool* m_sawLong;
    int m_depth = 0;
};

}  // namespace

std::int64_t EvaluateExpression(const std::vector<Token>& tokens, std::size_t& pos,
                                const std::function<std::int64_t(const Token&)>& identifier, bool* sawLong)
{
    ExpressionParser parser(tokens, pos, identifier, sawLong);
    return parser.Binary(1);
}

}  // namespace rescomp
