#include "tests/support/emulator/CommandLine.h"

#include <array>
#include <cstdint>
#include <limits>
#include <utility>

namespace emu {
namespace {

constexpr std::array<std::pair<Keyword, std::string_view>, 72> kKeywords = {{
    {Keyword::K, "K"}, {Keyword::M, "M"}, {Keyword::P, "P"}, {Keyword::S, "S"},
    {Keyword::AC, "AC"}, {Keyword::DC, "DC"}, {Keyword::Q, "Q"}, {Keyword::ZL, "ZL"},
    {Keyword::ZH, "ZH"}, {Keyword::N, "N"}, {Keyword::J, "J"}, {Keyword::F, "F"},
    {Keyword::C, "C"}, {Keyword::T, "T"}, {Keyword::INB, "INB"}, {Keyword::IN, "IN"},
    {Keyword::OUTB, "OUTB"}, {Keyword::OUT, "OUT"}, {Keyword::OPTB, "OPTB"}, {Keyword::OPT, "OPT"},
    {Keyword::WIN, "WIN"}, {Keyword::WOUT, "WOUT"}, {Keyword::IO, "IO"}, {Keyword::WIO, "WIO"},
    {Keyword::D, "D"}, {Keyword::MSG, "MSG"}, {Keyword::ALM, "ALM"}, {Keyword::WARN, "WARN"},
    {Keyword::RECF, "RECF"}, {Keyword::RECT, "RECT"}, {Keyword::RECP, "RECP"},
    {Keyword::RECS, "RECS"}, {Keyword::RECM, "RECM"}, {Keyword::RECN, "RECN"},
    {Keyword::RECC, "RECC"}, {Keyword::RECV, "RECV"}, {Keyword::RECI, "RECI"},
    {Keyword::RECO, "RECO"}, {Keyword::REC, "REC"}, {Keyword::PNT, "PNT"},
    {Keyword::CONT, "CONT"}, {Keyword::IF, "IF"}, {Keyword::ROBOT, "ROBOT"},
    {Keyword::VER, "VER"}, {Keyword::VER2, "VER2"}, {Keyword::H, "H"},
    {Keyword::COMR, "COMR"}, {Keyword::COMW, "COMW"}, {Keyword::SETID, "SETID"},
    {Keyword::TYPE, "TYPE"}, {Keyword::COPY, "COPY"}, {Keyword::DEL, "DEL"},
    {Keyword::InitPnt, "INIT PNT"}, {Keyword::InitRec, "INIT REC"},
    {Keyword::InitTrip, "INIT TRIP"}, {Keyword::InitTime, "INIT TIME"},
    {Keyword::InitComw, "INIT COMW"}, {Keyword::ReadPnt, "READ PNT"},
    {Keyword::ReadPrm, "READ PRM"}, {Keyword::ReadHprm, "READ HPRM"},
    {Keyword::ReadRec, "READ REC"}, {Keyword::START, "START"}, {Keyword::ORG, "ORG"},
    {Keyword::JogPlus, "JOG+"}, {Keyword::JogMinus, "JOG-"}, {Keyword::InchPlus, "INCH+"},
    {Keyword::InchMinus, "INCH-"}, {Keyword::TEACH, "TEACH"}, {Keyword::STOP, "STOP"},
    {Keyword::SRVO, "SRVO"}, {Keyword::BRK, "BRK"}, {Keyword::RESET, "RESET"},
}};

// Numbers on the address are short; more digits than this cannot name anything.
constexpr size_t kMaxAddressDigits = 9;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool EndsKeyword(std::string_view rest)
{
    return rest.empty() || IsDigit(rest.front()) || rest.front() == '.' || rest.front() == '-' ||
           rest.front() == '=';
}

// Reads a run of digits at `pos`; nullopt when there is none or it is too long to be real.
std::optional<long> ReadNumber(std::string_view text, size_t& pos, bool& tooLong)
{
    size_t start = pos;
    while (pos < text.size() && IsDigit(text[pos])) {
        ++pos;
    }
    if (pos == start) {
        return std::nullopt;
    }
    if (pos - start > kMaxAddressDigits) {
        tooLong = true;
        return std::nullopt;
    }
    long value = 0;
    for (size_t i = start; i < pos; ++i) {
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// The node a broken line seems to address: digits after the last "." before "=".
long GuessNode(std::string_view line)
{
    std::string_view head = line.substr(0, line.find('='));
    size_t dot = head.rfind('.');
    if (dot == std::string_view::npos) {
        return 0;
    }
    size_t pos = dot + 1;
    bool tooLong = false;
    std::optional<long> node = ReadNumber(head, pos, tooLong);
    if (tooLong) {
        return -1;
    }
    return node && pos == head.size() ? *node : 0;
}

ParsedLine Malformed(std::string_view line, int code)
{
    ParsedLine parsed;
    parsed.kind = ParsedLine::Kind::Malformed;
    parsed.errorCode = code;
    parsed.node = GuessNode(line);
    return parsed;
}

}  // namespace

std::string_view KeywordText(Keyword keyword)
{
    for (const auto& [kw, text] : kKeywords) {
        if (kw == keyword) {
            return text;
        }
    }
    return "???";
}

std::optional<long> ParseDecimal(std::string_view text)
{
    size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    if (pos == text.size()) {
        return std::nullopt;
    }
    int64_t value = 0;
    for (; pos < text.size(); ++pos) {
        if (!IsDigit(text[pos])) {
            return std::nullopt;
        }
        value = value * 10 + (text[pos] - '0');
        if (value > int64_t{std::numeric_limits<int32_t>::max()} + 1) {
            return std::nullopt;
        }
    }
    value = negative ? -value : value;
    if (value > std::numeric_limits<int32_t>::max() || value < std::numeric_limits<int32_t>::min()) {
        return std::nullopt;
    }
    return static_cast<long>(value);
}

ParsedLine ParseCommandLine(std::string_view line)
{
    ParsedLine parsed;
    if (line.find_first_not_of(" \t") == std::string_view::npos) {
        return parsed;
    }
    if (line.front() != '@') {
        parsed.kind = ParsedLine::Kind::NotCommand;
        return parsed;
    }
    CommandLine& cmd = parsed.command;
    size_t pos = 1;
    if (pos < line.size() && line[pos] == '?') {
        cmd.query = true;
        ++pos;
    }

    // The longest keyword that the address grammar can follow ("INB3" is INB, not IN).
    std::string_view rest = line.substr(pos);
    std::optional<Keyword> found;
    size_t foundLength = 0;
    for (const auto& [kw, text] : kKeywords) {
        if (text.size() > foundLength && rest.substr(0, text.size()) == text &&
            EndsKeyword(rest.substr(text.size()))) {
            found = kw;
            foundLength = text.size();
        }
    }
    if (!found) {
        return Malformed(line, ng::kBadCommand);
    }
    cmd.keyword = *found;
    pos += foundLength;

    bool tooLong = false;
    cmd.first = ReadNumber(line, pos, tooLong);
    if (tooLong) {
        return Malformed(line, ng::kBadAddress);
    }
    if (pos < line.size() && line[pos] == '-') {
        if (!cmd.first) {
            return Malformed(line, ng::kBadCommand);
        }
        ++pos;
        cmd.last = ReadNumber(line, pos, tooLong);
        if (tooLong) {
            return Malformed(line, ng::kBadAddress);
        }
        if (!cmd.last) {
            return Malformed(line, ng::kBadCommand);
        }
    }
    if (pos < line.size() && line[pos] == '.') {
        ++pos;
        std::optional<long> node = ReadNumber(line, pos, tooLong);
        if (tooLong) {
            cmd.node = -1;
        } else if (!node) {
            return Malformed(line, ng::kBadCommand);
        } else {
            cmd.node = *node;
        }
    }
    if (pos < line.size()) {
        if (line[pos] != '=') {
            return Malformed(line, ng::kBadCommand);
        }
        cmd.value = std::string(line.substr(pos + 1));
    }
    parsed.kind = ParsedLine::Kind::Command;
    return parsed;
}

}  // namespace emu
