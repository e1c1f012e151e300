// Which command a controller's answer line answers.
//
// An answer line names what it answers before its "=": keyword, index and
// node ("D0.1=12", "CONT.2=N3", "VER2.1=1.00"). A reply that arrives late,
// after its command timed out and the next one went out, must not be taken
// for the next command's answer; these rules let both command clients (the
// manager's protocol engine and the tools library's session) tell the lines
// of their own command from the rest. Pure functions of the text, no state.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace comm {

// The address of a command or of an answer line: keyword, index or range of
// indexes, node. "@?D0-10.1" is keyword "D", 0 to 10, node 1; "D5.1" is "D",
// 5, node 1; "@?CONT" is "CONT" with no index and no node.
struct LineAddress {
    std::u16string_view keyword;
    std::optional<long> first;
    std::optional<long> last;  // a range's last index
    std::optional<long> node;
};

// Cuts the first complete line off the front of text: line without its CR
// and the LF after it, raw with them. False, text unchanged, without a CR.
bool CutLine(std::u16string_view& text, std::u16string_view& line, std::u16string_view& raw);

// Parses the address of a command line ("@" or "@?" first; its value after
// "=" is not looked at) or of an answer line's key (the text before its "=").
// False when the text does not have the form.
bool ParseCommandAddress(std::u16string_view command, LineAddress& address);
bool ParseAnswerKey(std::u16string_view key, LineAddress& address);

// Whether the line is an answer line of the command: its key names the
// command's keyword (the lines of a bulk read name what they hold: READ PNT
// answers PNT lines, READ PRM K lines, READ HPRM H lines, READ REC REC lines;
// a WIO range answers WIN and WOUT lines), the command's index or one inside
// its range, and the node the command asked or no node at all (any node for
// a command to all nodes). Token lines ("OK.1", "NG.1=43") and echoes are no answer lines.
bool AnswerLineBelongsTo(std::u16string_view line, std::u16string_view command);

// The answer line with its node taken out of the key ("PNT12.1=M1,..." gives
// "PNT12=M1,..."): the form the controller data file reads. A line without
// a node is returned as it is.
std::u16string WithoutAnswerNode(std::u16string_view line);

// Whether the line is an echo of some command line (it begins with "@"):
// an echo holds a command's text, never a reply token.
bool IsEchoOfAnyCommand(std::u16string_view line);

// Whether the line is the echo of the command (both without blanks at the ends).
bool IsCommandEcho(std::u16string_view line, std::u16string_view command);

// The text without the answer lines of other commands (lines whose key names
// another keyword or index) and without echoes of other commands: what a
// query to every node hands its caller once the line fell silent, so that a
// late reply of an earlier command is not read as a node's answer. Token
// lines, lines without "=" and lines whose key cannot be read stay.
std::u16string KeepLinesOfCommand(std::u16string_view text, std::u16string_view command);

// Follows the reply lines of one command as they arrive and tells which of
// them are its own. The caller classifies each line's token (its own rules
// for the tokens differ) and hands line and class over, in order.
//
// With echo, a line that is the echo of another command starts that
// command's reply: up to its closing token nothing is ours. Lines before the
// command's own echo are not part of its answer. With or without echo, an
// answer line that does not belong to the command (a late answer of an
// earlier one) is passed over, and the OK that closes such lines is theirs,
// not ours: the wait goes on.
class ReplyAttribution {
public:
    enum class Token { None, Ok, Ng, Progress };  // Progress: RUN, LOADING, END
    enum class Need {
        NoAnswer,     // a write or an action: an OK after other commands' answer lines is theirs
        AnswerLines,  // a query: its OK follows at least one answer line of its own
        MaybeEmpty,   // a bulk read: its answer may have no line at all
    };

    ReplyAttribution(std::u16string_view command, Need need);

    // True when the line (without its line end) belongs to this command; for
    // a token line, when the token is this command's.
    bool Take(std::u16string_view line, Token token);
    // The command's own answer lines since its echo or the last foreign
    // token, each ended by CR LF.
    const std::u16string& Answer() const { return m_answer; }
    // Trades the answer's buffer with other's (a caller's room kept between
    // commands); the answer goes on from other's text.
    void SwapAnswer(std::u16string& other) { m_answer.swap(other); }
    // Room for this many more characters of answer: a long reply grows it once.
    void Reserve(size_t characters);
    // An OK came that closed no answer line of this query.
    bool SawUnansweredOk() const { return m_unansweredOk; }

private:
    void Restart();
    bool BelongsToCommand(std::u16string_view line) const;

    std::u16string m_command;
    Need m_need;
    // The command's address, read once; its keyword lies in m_command.
    std::optional<LineAddress> m_asked;
    size_t m_keywordAt = 0;
    size_t m_keywordLength = 0;
    bool m_ownEcho = false;
    bool m_inForeign = false;  // after another command's echo, up to its token
    bool m_foreignLines = false;
    bool m_unansweredOk = false;
    std::u16string m_answer;
};

}  // namespace comm
