// Reply text of the controller protocol: cutting lines, finding the reply
// tokens and taking the answer out of a reply. Pure functions of the text, so
// the rules can be checked without a link.
//
// A reply line ends with CR; an LF right after the CR belongs to it. A token
// ("LOADING.", "NG.", "END.", "OK.", "RUN.", followed by the node number when
// the command named a node) counts only where it is a word of its own: not
// after a letter, not followed by a further digit, and only in the part of the
// line before its first "=", where the answer's value begins. So neither a
// node suffix that is a prefix of another ("OK.1" in "OK.12") nor a user text
// in a value ("ROBOT.1=XNG.1") nor the echo of the command line is taken for a
// token.
#pragma once

#include "comm/AnswerLine.h"
#include "platform/core/CString.h"

#include <string_view>

// Results of the protocol engine's operations.
enum ControllerReplyCode : int {
    kReplyOk = 1,        // an "OK." line
    kReplyNg = 2,        // an "NG." line
    kReplyUnknown = 3,   // no token recognised
    kReplyTimeout = 4,   // no new text for one whole time-out period
    kReplyRun = 5,       // a "RUN." line
    kReplyLoading = 7,   // a "LOADING." line
    kReplyBusy = 8,      // another command is in flight
    kReplySent = 9,      // the command was handed to the link
    kReplyLine = 10,     // a complete line was received
    kReplyRefused = 11,  // the link refused the command
};

enum class ReplyToken { None, Loading, Ng, End, Ok, Run };

// Cuts the first complete line off the front of text: line gets it without
// its CR and LF. False, with text unchanged, when text holds no CR.
bool CutReplyLine(std::u16string_view& text, std::u16string_view& line);

// The first token of the line in the order LOADING, NG, END, OK, RUN, for a
// command to node (0: a command to all nodes, whose tokens carry no number).
// position, when given, receives where the token begins.
ReplyToken FindReplyToken(std::u16string_view line, int node, size_t* position = nullptr);

// Whether the line is the echo of the command line (both trimmed).
bool IsEchoLine(std::u16string_view line, std::u16string_view command);

// Classifies every complete line of text, skipping the echo of command:
// LOADING, NG, OK and RUN lines give their codes, END and other lines leave
// the result as it was (kReplyUnknown at the start); the last line decides. lastError receives
// the text of the last NG line from its token on when the result is 2, and is
// emptied otherwise.
int ClassifyReplyText(std::u16string_view text, int node, std::u16string_view command, CString& lastError);

// The token of one reply line, as FindReplyToken, but none in an echo of a
// command line (it holds a command's text, never a reply token).
ReplyToken FindLineToken(std::u16string_view line, int node, size_t* position = nullptr);

// What the token of a reply line is to the attribution of lines to their command.
comm::ReplyAttribution::Token AttributionToken(ReplyToken token);

// What the reply to command must hold: a query ("@?") answers at least one
// line, another command with an answer (a bulk read) may answer none.
comm::ReplyAttribution::Need AnswerNeedOf(std::u16string_view command);

// The answer in a whole reply: the command's own answer lines (each ended by
// CR LF) before its own OK line of node. Lines before the command's echo,
// other commands' echoed replies, answer lines that name another keyword,
// index or node (a late reply), the OK that closes those, and lines with
// other tokens are left out. False, with answer unchanged, when the reply
// holds no OK of its own.
bool ExtractAnswer(std::u16string_view reply, int node, std::u16string_view command, CString& answer);

// The reply without the echo lines of command: what a collection over all
// nodes hands to its caller.
CString WithoutEcho(std::u16string_view reply, std::u16string_view command);
