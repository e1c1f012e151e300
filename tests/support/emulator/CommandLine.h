#pragma once

// One controller command line taken apart: "@" or "@?", a keyword, an address and an
// optional value. Parsing never fails loudly; a line that is not a command or that breaks
// the grammar says so through its result, with the error code a controller would answer.

#include <optional>
#include <string>
#include <string_view>

namespace emu {

// Every keyword of the protocol, in the order of the controller's command kinds.
enum class Keyword {
    K, M, P, S, AC, DC, Q, ZL, ZH, N, J, F, C, T,
    INB, IN, OUTB, OUT, OPTB, OPT, WIN, WOUT, IO, WIO, D, MSG, ALM, WARN,
    RECF, RECT, RECP, RECS, RECM, RECN, RECC, RECV, RECI, RECO, REC,
    PNT, CONT, IF, ROBOT, VER, VER2, H, COMR, COMW, SETID, TYPE, COPY, DEL,
    InitPnt, InitRec, InitTrip, InitTime, InitComw,
    ReadPnt, ReadPrm, ReadHprm, ReadRec,
    START, ORG, JogPlus, JogMinus, InchPlus, InchMinus, TEACH, STOP, SRVO, BRK, RESET,
};

// The keyword as it stands on the line ("INIT PNT", "JOG+", ...).
std::string_view KeywordText(Keyword keyword);

// Error codes of the "NG." reply; the controller's own choice of numbers.
namespace ng {
inline constexpr int kStopped = 0x05;         // motion ended by STOP or servo off
inline constexpr int kTeachRefused = 0x42;    // teaching while the teach bit is clear
inline constexpr int kBadCommand = 0x43;      // unknown keyword, bad syntax, wrong prefix
inline constexpr int kBadAddress = 0x44;      // index or range outside the item's table
inline constexpr int kBadValue = 0x45;        // value missing, not a number or out of range
inline constexpr int kNotNow = 0x46;          // not possible in the present state
}  // namespace ng

struct CommandLine {
    bool query = false;
    Keyword keyword = Keyword::K;
    std::optional<long> first;     // index, or first index of a range
    std::optional<long> last;      // last index of a range
    long node = 0;                 // 0 addresses every node; -1: a node number no controller has
    std::optional<std::string> value;
};

struct ParsedLine {
    enum class Kind {
        Empty,       // nothing but blanks: the controller ignores it
        NotCommand,  // does not begin with "@": not addressed to a controller
        Command,
        Malformed,   // begins with "@" but breaks the grammar
    };
    Kind kind = Kind::Empty;
    CommandLine command;
    int errorCode = 0;  // for Malformed
    long node = 0;      // for Malformed: the node the line seems to address, 0 when unknown
};

ParsedLine ParseCommandLine(std::string_view line);

// Signed decimal number with optional sign and nothing else; nullopt when the text is
// not one or does not fit in 32 bits.
std::optional<long> ParseDecimal(std::string_view text);

}  // namespace emu
