// Tokens of resource scripts and the lexer that cuts one logical line into
// them. Scripts are UTF-8; string literals become UTF-16.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace rescomp {

struct SourceLocation {
    std::shared_ptr<const std::string> file;
    int line = 0;

    std::string ToString() const;
};

// A fault in a script: it stops the compilation and fails the build.
class ScriptError : public std::runtime_error {
public:
    ScriptError(SourceLocation where, const std::string& message)
        : std::runtime_error(message), m_where(std::move(where))
    {
    }
    const SourceLocation& where() const { return m_where; }
    // "file:line: error: message"
    std::string Describe() const;

private:
    SourceLocation m_where;
};

struct Token {
    enum class Kind { Identifier, Number, String, Punct, End };

    Kind kind = Kind::End;
    std::string text;        // identifier, punctuation, or the number as written
    std::int64_t number = 0;
    bool longNumber = false; // number written with an L suffix: 32-bit in data blocks
    std::u16string string;   // value of a string literal
    bool wide = false;       // L"..."
    SourceLocation where;

    bool Is(Kind k, const char* t) const { return kind == k && text == t; }
    bool IsPunct(const char* p) const { return Is(Kind::Punct, p); }
    // Identifiers compare without case, as keywords do.
    bool IsKeyword(const char* keyword) const;
};

// Cuts text into tokens; every fault is a ScriptError at the given location.
std::vector<Token> Tokenize(const std::string& text, const SourceLocation& where);

// Byte offset of the first invalid UTF-8 sequence, or npos.
std::size_t FindInvalidUtf8(const std::string& text);
std::u16string Utf8ToUtf16(const std::string& text);
std::string Upper(std::string text);

// Reads a whole file of at most maxBytes; false with a reason otherwise.
bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& error,
                   std::size_t maxBytes = std::size_t{64} << 20);

// Evaluates the integer expression at tokens[pos] (C operators and
// precedence, 64-bit), leaving pos after it. The token list ends with an End
// token. identifier gives the value of an identifier or throws. *sawLong is
// set when a number had an L suffix.
std::int64_t EvaluateExpression(const std::vector<Token>& tokens, std::size_t& pos,
                                const std::function<std::int64_t(const Token&)>& identifier,
                                bool* sawLong = nullptr);

}  // namespace rescomp
