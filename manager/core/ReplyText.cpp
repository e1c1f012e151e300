#include "manager/core/ReplyText.h"

#include "comm/AnswerLine.h"

#include <algorithm>
#include <array>
#include <string>

namespace {

struct TokenName {
    ReplyToken token;
    std::u16string_view name;
};

// The order in which a line is tested: LOADING first, since it holds "NG."
// itself, and OK before RUN, so that a line with both counts as OK.
constexpr std::array<TokenName, 5> kTokenOrder = {{
    {ReplyToken::Loading, u"LOADING."},
    {ReplyToken::Ng, u"NG."},
    {ReplyToken::End, u"END."},
    {ReplyToken::Ok, u"OK."},
    {ReplyToken::Run, u"RUN."},
}};

bool IsDigit(char16_t ch) { return ch >= u'0' && ch <= u'9'; }
bool IsLetter(char16_t ch) { return (ch >= u'A' && ch <= u'Z') || (ch >= u'a' && ch <= u'z'); }

using comm::CutLine;

// Lines cut at a CR may begin with the LF of a CR LF that arrived split in
// two reads.
std::u16string_view WithoutLeadingLf(std::u16string_view line)
{
    while (!line.empty() && line.front() == u'\n') line.remove_prefix(1);
    return line;
}

}  // namespace

bool CutReplyLine(std::u16string_view& text, std::u16string_view& line)
{
    std::u16string_view raw;
    return CutLine(text, line, raw);
}

ReplyToken FindReplyToken(std::u16string_view line, int node, size_t* position)
{
    // Only the part before "=" can hold a token; after it comes the value.
    const std::u16string_view head = line.substr(0, line.find(u'='));
    // Every line of a reply passes here: the token is built on the stack.
    std::array<char16_t, 32> digits{};
    size_t digitCount = 0;
    if (node > 0) {
        for (char ch : std::to_string(node)) digits[digitCount++] = static_cast<char16_t>(ch);
    }
    std::array<char16_t, 48> buffer{};
    for (const TokenName& entry : kTokenOrder) {
        std::copy(entry.name.begin(), entry.name.end(), buffer.begin());
        std::copy_n(digits.begin(), digitCount, buffer.begin() + static_cast<std::ptrdiff_t>(entry.name.size()));
        const std::u16string_view token(buffer.data(), entry.name.size() + digitCount);
        for (size_t at = head.find(token); at != std::u16string_view::npos; at = head.find(token, at + 1)) {
            const size_t after = at + token.size();
            if (at > 0 && IsLetter(head[at - 1])) continue;
            if (after < line.size() && IsDigit(line[after])) continue;
            if (position) *position = at;
            return entry.token;
        }
    }
    return ReplyToken::None;
}

bool IsEchoLine(std::u16string_view line, std::u16string_view command) { return comm::IsCommandEcho(line, command); }

int ClassifyReplyText(std::u16string_view text, int node, std::u16string_view command, CString& lastError)
{
    int result = kReplyUnknown;
    CString ngText;
    std::u16string_view line;
    while (CutReplyLine(text, line)) {
        line = WithoutLeadingLf(line);
        if (IsEchoLine(line, command)) continue;
        size_t at = 0;
        switch (FindReplyToken(line, node, &at)) {
        case ReplyToken::Loading: result = kReplyLoading; break;
        case ReplyToken::Ng:
            result = kReplyNg;
            ngText = CString(line.substr(at));
            break;
        case ReplyToken::Ok: result = kReplyOk; break;
        case ReplyToken::Run: result = kReplyRun; break;
        case ReplyToken::End:
        case ReplyToken::None: break;
        }
    }
    lastError = result == kReplyNg ? ngText : CString();
    return result;
}

ReplyToken FindLineToken(std::u16string_view line, int node, size_t* position)
{
    return comm::IsEchoOfAnyCommand(line) ? ReplyToken::None : FindReplyToken(line, node, position);
}

comm::ReplyAttribution::Token AttributionToken(ReplyToken token)
{
    using Token = comm::ReplyAttribution::Token;
    switch (token) {
    case ReplyToken::Ok: return Token::Ok;
    case ReplyToken::Ng: return Token::Ng;
    case ReplyToken::Loading:
    case ReplyToken::End:
    case ReplyToken::Run: return Token::Progress;
    case ReplyToken::None: break;
    }
    return Token::None;
}

comm::ReplyAttribution::Need AnswerNeedOf(std::u16string_view command)
{
    const size_t start = command.find_first_not_of(u" \t\r\n");
    return start != std::u16string_view::npos && command.substr(start, 2) == u"@?"
               ? comm::ReplyAttribution::Need::AnswerLines
               : comm::ReplyAttribution::Need::MaybeEmpty;
}

bool ExtractAnswer(std::u16string_view reply, int node, std::u16string_view command, CString& answer)
{
    comm::ReplyAttribution attribution(command, AnswerNeedOf(command));
    std::u16string_view line;
    while (CutReplyLine(reply, line)) {
        const ReplyToken token = FindLineToken(line, node);
        if (attribution.Take(line, AttributionToken(token)) && token == ReplyToken::Ok) {
            answer = CString(attribution.Answer());
            return true;
        }
    }
    return false;
}

CString WithoutEcho(std::u16string_view reply, std::u16string_view command)
{
    std::u16string kept;
    std::u16string_view line;
    std::u16string_view raw;
    while (CutLine(reply, line, raw)) {
        if (IsEchoLine(WithoutLeadingLf(line), command)) continue;
        kept.append(raw);
    }
    kept.append(reply);  // a last line without its CR yet
    return CString(std::move(kept));
}
