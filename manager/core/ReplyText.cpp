#include "manager/core/ReplyText.h"

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
bool IsBlank(char16_t ch) { return ch == u' ' || ch == u'\t' || ch == u'\r' || ch == u'\n' || ch == u'\0'; }

std::u16string_view Trimmed(std::u16string_view text)
{
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// Cuts one line; raw receives the line with its CR and an LF after it.
bool CutLine(std::u16string_view& text, std::u16string_view& line, std::u16string_view& raw)
{
    const size_t cr = text.find(u'\r');
    if (cr == std::u16string_view::npos) return false;
    size_t end = cr + 1;
    if (end < text.size() && text[end] == u'\n') ++end;
    line = text.substr(0, cr);
    raw = text.substr(0, end);
    text.remove_prefix(end);
    return true;
}

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
    std::u16string suffix;
    if (node > 0) {
        for (char ch : std::to_string(node)) suffix.push_back(static_cast<char16_t>(ch));
    }
    for (const TokenName& entry : kTokenOrder) {
        const std::u16string token = std::u16string(entry.name) + suffix;
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

bool IsEchoLine(std::u16string_view line, std::u16string_view command)
{
    const std::u16string_view trimmed = Trimmed(command);
    return !trimmed.empty() && Trimmed(line) == trimmed;
}

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

bool ExtractAnswer(std::u16string_view reply, int node, std::u16string_view command, CString& answer)
{
    std::u16string collected;
    std::u16string_view line;
    std::u16string_view raw;
    while (CutLine(reply, line, raw)) {
        line = WithoutLeadingLf(line);
        if (IsEchoLine(line, command)) continue;
        const ReplyToken token = FindReplyToken(line, node);
        if (token == ReplyToken::Ok) {
            answer = CString(std::move(collected));
            return true;
        }
        if (token != ReplyToken::None) continue;
        // The line as it came, without an LF left over from the line before.
        collected.append(raw.substr(raw.find_first_not_of(u'\n')));
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
