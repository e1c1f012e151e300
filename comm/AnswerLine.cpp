#include "comm/AnswerLine.h"

#include <algorithm>
#include <array>

namespace comm {
namespace {

using Text = std::u16string_view;

bool IsDigit(char16_t ch) { return ch >= u'0' && ch <= u'9'; }
bool IsLetter(char16_t ch) { return (ch >= u'A' && ch <= u'Z') || (ch >= u'a' && ch <= u'z'); }
bool IsBlank(char16_t ch) { return ch == u' ' || ch == u'\t' || ch == u'\r' || ch == u'\n' || ch == u'\0'; }

Text Trimmed(Text text)
{
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// Digits as a number; none, or more than nine, is no number.
std::optional<long> Number(Text& text)
{
    size_t digits = 0;
    long value = 0;
    while (digits < text.size() && IsDigit(text[digits])) {
        if (digits == 9) return std::nullopt;
        value = value * 10 + (text[digits] - u'0');
        ++digits;
    }
    if (digits == 0) return std::nullopt;
    text.remove_prefix(digits);
    return value;
}

// keyword [index [- last]] [. node], nothing else.
bool ParseAddress(Text text, LineAddress& address)
{
    LineAddress parsed;
    size_t keywordEnd = 0;
    while (keywordEnd < text.size() && (IsLetter(text[keywordEnd]) || text[keywordEnd] == u' ')) ++keywordEnd;
    parsed.keyword = Trimmed(text.substr(0, keywordEnd));
    if (parsed.keyword.empty()) return false;
    text.remove_prefix(keywordEnd);
    if (!text.empty() && IsDigit(text.front())) {
        parsed.first = Number(text);
        if (!parsed.first) return false;
        if (!text.empty() && text.front() == u'-') {
            text.remove_prefix(1);
            parsed.last = Number(text);
            if (!parsed.last) return false;
        }
    }
    if (!text.empty() && text.front() == u'.') {
        text.remove_prefix(1);
        parsed.node = Number(text);
        if (!parsed.node) return false;
    }
    if (!text.empty()) return false;
    address = parsed;
    return true;
}

// What the lines of a bulk read are called.
struct BulkRead {
    Text command;
    Text lines;
};
constexpr std::array<BulkRead, 4> kBulkReads = {{
    {u"READ PNT", u"PNT"},
    {u"READ PRM", u"K"},
    {u"READ HPRM", u"H"},
    {u"READ REC", u"REC"},
}};

std::optional<Text> BulkLineKeyword(Text commandKeyword)
{
    for (const BulkRead& read : kBulkReads) {
        if (read.command == commandKeyword) return read.lines;
    }
    return std::nullopt;
}

bool KeywordAnswers(Text commandKeyword, Text answerKeyword)
{
    if (commandKeyword == u"WIO") return answerKeyword == u"WIO" || answerKeyword == u"WIN" || answerKeyword == u"WOUT";
    return commandKeyword == answerKeyword;
}

bool IndexAnswers(const LineAddress& command, const LineAddress& answer)
{
    if (answer.last) return false;
    if (!command.first) return !answer.first;
    if (!answer.first) return false;
    if (command.last) return *answer.first >= *command.first && *answer.first <= *command.last;
    return *answer.first == *command.first;
}

Text WithoutLeadingLf(Text line)
{
    while (!line.empty() && line.front() == u'\n') line.remove_prefix(1);
    return line;
}

bool IsOtherEcho(Text line, Text command) { return IsEchoOfAnyCommand(line) && !IsCommandEcho(line, command); }

}  // namespace

bool CutLine(std::u16string_view& text, std::u16string_view& line, std::u16string_view& raw)
{
    const size_t cr = text.find(u'\r');
    if (cr == Text::npos) return false;
    size_t end = cr + 1;
    if (end < text.size() && text[end] == u'\n') ++end;
    line = text.substr(0, cr);
    raw = text.substr(0, end);
    text.remove_prefix(end);
    return true;
}

bool ParseCommandAddress(std::u16string_view command, LineAddress& address)
{
    command = Trimmed(command);
    if (command.substr(0, 2) == u"@?") {
        command.remove_prefix(2);
    } else if (command.substr(0, 1) == u"@") {
        command.remove_prefix(1);
    } else {
        return false;
    }
    return ParseAddress(command.substr(0, command.find(u'=')), address);
}

bool ParseAnswerKey(std::u16string_view key, LineAddress& address)
{
    key = Trimmed(key);
    if (key.empty() || key.front() == u'@') return false;
    return ParseAddress(key, address);
}

namespace {

// AnswerLineBelongsTo with the command's address read already.
bool AnswerLineAnswers(Text line, const LineAddress& asked)
{
    line = Trimmed(line);
    const size_t equals = line.find(u'=');
    if (equals == Text::npos) return false;
    LineAddress answer;
    if (!ParseAnswerKey(line.substr(0, equals), answer)) return false;

    // A controller may leave its node out of an answer line (a bulk read
    // answers in the data file's own line form, "K1=0"): such a line answers
    // the node asked. Only a line that names another node is another's.
    const long node = asked.node.value_or(0);
    if (node > 0 && answer.node && *answer.node != node) return false;
    if (const std::optional<Text> bulk = BulkLineKeyword(asked.keyword)) {
        return answer.keyword == *bulk && answer.first && !answer.last;
    }
    return KeywordAnswers(asked.keyword, answer.keyword) && IndexAnswers(asked, answer);
}

}  // namespace

bool AnswerLineBelongsTo(std::u16string_view line, std::u16string_view command)
{
    LineAddress asked;
    return ParseCommandAddress(command, asked) && AnswerLineAnswers(line, asked);
}

std::u16string WithoutAnswerNode(std::u16string_view line)
{
    const size_t equals = line.find(u'=');
    const size_t dot = line.substr(0, equals).rfind(u'.');
    if (dot == Text::npos) return std::u16string(line);
    const size_t keyEnd = equals == Text::npos ? line.size() : equals;
    if (dot + 1 == keyEnd) return std::u16string(line);
    for (size_t i = dot + 1; i < keyEnd; ++i) {
        if (!IsDigit(line[i])) return std::u16string(line);
    }
    std::u16string out(line.substr(0, dot));
    out.append(line.substr(keyEnd));
    return out;
}

bool IsEchoOfAnyCommand(std::u16string_view line)
{
    line = Trimmed(line);
    return !line.empty() && line.front() == u'@';
}

bool IsCommandEcho(std::u16string_view line, std::u16string_view command)
{
    const Text trimmed = Trimmed(command);
    return !trimmed.empty() && Trimmed(line) == trimmed;
}

std::u16string KeepLinesOfCommand(std::u16string_view text, std::u16string_view command)
{
    std::u16string kept;
    Text line;
    Text raw;
    while (CutLine(text, line, raw)) {
        line = WithoutLeadingLf(line);
        if (IsOtherEcho(line, command)) continue;
        // A line that names another item is another command's; one that names
        // nothing readable stays for the caller to judge.
        const size_t equals = line.find(u'=');
        LineAddress key;
        const bool namesAnItem = equals != Text::npos && ParseAnswerKey(line.substr(0, equals), key);
        if (namesAnItem && !AnswerLineBelongsTo(line, command)) continue;
        kept.append(raw);
    }
    kept.append(text);  // a last line without its CR yet
    return kept;
}

ReplyAttribution::ReplyAttribution(std::u16string_view command, Need need)
    : m_command(Trimmed(command)), m_need(need)
{
    // Read once: a bulk read's reply has hundreds of lines to compare with it.
    LineAddress asked;
    if (ParseCommandAddress(m_command, asked)) {
        m_asked = asked;
        // The keyword is kept as a position, so that a copy of this object
        // does not look into another's text.
        m_keywordAt = static_cast<size_t>(asked.keyword.data() - m_command.data());
        m_keywordLength = asked.keyword.size();
    }
}

bool ReplyAttribution::BelongsToCommand(std::u16string_view line) const
{
    if (!m_asked) return false;
    LineAddress asked = *m_asked;
    asked.keyword = Text(m_command).substr(m_keywordAt, m_keywordLength);
    return AnswerLineAnswers(line, asked);
}

void ReplyAttribution::Reserve(size_t characters)
{
    // Grows as appending would, so that a reply in many small pieces is not
    // copied again for each.
    const size_t needed = m_answer.size() + characters;
    if (needed > m_answer.capacity()) m_answer.reserve(std::max(needed, 2 * m_answer.capacity()));
}

void ReplyAttribution::Restart()
{
    m_answer.clear();
    m_foreignLines = false;
}

bool ReplyAttribution::Take(std::u16string_view line, Token token)
{
    line = WithoutLeadingLf(line);
    if (IsCommandEcho(line, m_command)) {
        // Whatever came before the command's own echo answered something else.
        m_ownEcho = true;
        m_inForeign = false;
        Restart();
        return true;
    }
    if (IsOtherEcho(line, m_command)) {
        m_inForeign = true;
        Restart();
        return false;
    }
    if (m_inForeign) {
        // The other command's lines, up to the token that closes its reply.
        if (token != Token::None) {
            m_inForeign = false;
            Restart();
        }
        return false;
    }
    switch (token) {
    case Token::None:
        if (Trimmed(line).empty()) return true;
        if (BelongsToCommand(line)) {
            m_answer.append(line);
            m_answer.append(u"\r\n");
            return true;
        }
        // Lines without "=" (a trace sample, noise) answer nothing.
        if (line.find(u'=') != Text::npos) m_foreignLines = true;
        return false;
    case Token::Ok: {
        bool ours = false;
        switch (m_need) {
        case Need::NoAnswer: ours = !m_foreignLines; break;
        case Need::AnswerLines: ours = !m_answer.empty(); break;
        case Need::MaybeEmpty: ours = !m_answer.empty() || !m_foreignLines; break;
        }
        if (!ours) {
            if (m_need == Need::AnswerLines && !m_foreignLines) m_unansweredOk = true;
            Restart();
        }
        return ours;
    }
    case Token::Ng:
    case Token::Progress:
        return true;
    }
    return false;
}

}  // namespace comm
