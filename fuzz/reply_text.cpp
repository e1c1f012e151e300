// The reply classifier: a command line and the text a controller sent back,
// through every rule that cuts, classifies and attributes reply lines, both
// the manager's and the tools library's. The input is a node byte, the
// command line, a line feed, then the reply.
#include "comm/AnswerLine.h"
#include "fuzz/FuzzSupport.h"
#include "manager/core/ReplyText.h"
#include "tools/CommandSession.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view bytes = fuzz::AsBytes(data, size);
    const int node = fuzz::TakeByte(bytes) % 18;
    const auto [commandBytes, replyBytes] = fuzz::SplitAt(bytes, "\n");
    const std::u16string command = fuzz::BytesToText(commandBytes);
    const std::u16string reply = fuzz::BytesToText(replyBytes);

    CString lastError;
    const int result = ClassifyReplyText(reply, node, command, lastError);
    if (result != kReplyNg && !lastError.IsEmpty()) __builtin_trap();
    CString answer(u"unchanged");
    if (!ExtractAnswer(reply, node, command, answer) && answer != CString(u"unchanged")) __builtin_trap();
    WithoutEcho(reply, command);
    comm::KeepLinesOfCommand(reply, command);
    comm::LineAddress address;
    comm::ParseCommandAddress(command, address);
    AnswerNeedOf(command);

    comm::ReplyAttribution attribution(command, AnswerNeedOf(command));
    std::u16string_view rest = reply;
    std::u16string_view line;
    std::u16string_view raw;
    while (comm::CutLine(rest, line, raw)) {
        if (raw.size() < line.size()) __builtin_trap();
        std::size_t position = 0;
        const ReplyToken token = FindLineToken(line, node, &position);
        if (token != ReplyToken::None && position >= line.size()) __builtin_trap();
        FindReplyToken(line, node);
        attribution.Take(line, AttributionToken(token));
        comm::AnswerLineBelongsTo(line, command);
        comm::WithoutAnswerNode(line);
        comm::IsEchoOfAnyCommand(line);
        comm::IsCommandEcho(line, command);
        IsEchoLine(line, command);
        const std::size_t equals = line.find(u'=');
        comm::ParseAnswerKey(line.substr(0, equals), address);
    }
    std::u16string_view whole = reply;
    while (CutReplyLine(whole, line)) {
    }

    // The tools library's session reads the same replies.
    const CString text(reply);
    CCommandSession::ParseReply(text, node);
    CCommandSession::IsOK(text, node);
    CCommandSession::IsNG(text, node);
    CCommandSession::IsRUN(text, node);
    return 0;
}
