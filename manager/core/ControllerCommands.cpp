#include "manager/core/ControllerCommands.h"

#include "comm/AnswerLine.h"

#include "manager/core/ControllerData.h"
#include "manager/core/ControllerDataFile.h"

#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace {

using Text = std::u16string_view;

Text FirstLine(Text answer) { return answer.substr(0, answer.find_first_of(u"\r\n")); }

// The text after the first "=" of the answer's first line; none without "=".
std::optional<Text> ValueOf(Text answer)
{
    const Text line = FirstLine(answer);
    const size_t equals = line.find(u'=');
    if (equals == Text::npos) return std::nullopt;
    return line.substr(equals + 1);
}

Text Trimmed(Text text)
{
    while (!text.empty() && (text.front() == u' ' || text.front() == u'\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == u' ' || text.back() == u'\t')) text.remove_suffix(1);
    return text;
}

// A decimal number with an optional sign, in the range that a 32-bit field
// takes signed or unsigned; stored values are then cut to the field's width.
std::optional<std::int64_t> Decimal(Text text)
{
    text = Trimmed(text);
    bool negative = false;
    if (!text.empty() && (text.front() == u'-' || text.front() == u'+')) {
        negative = text.front() == u'-';
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    std::int64_t value = 0;
    for (char16_t ch : text) {
        if (ch < u'0' || ch > u'9') return std::nullopt;
        value = value * 10 + (ch - u'0');
        if (value > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
    }
    if (negative) value = -value;
    if (value < std::numeric_limits<std::int32_t>::min()) return std::nullopt;
    return value;
}

std::optional<std::int64_t> Hexadecimal(Text text)
{
    text = Trimmed(text);
    if (text.empty() || text.size() > 8) return std::nullopt;
    std::int64_t value = 0;
    for (char16_t ch : text) {
        int digit = 0;
        if (ch >= u'0' && ch <= u'9') {
            digit = ch - u'0';
        } else if (ch >= u'A' && ch <= u'F') {
            digit = ch - u'A' + 10;
        } else if (ch >= u'a' && ch <= u'f') {
            digit = ch - u'a' + 10;
        } else {
            return std::nullopt;
        }
        value = value * 16 + digit;
    }
    return value;
}

std::vector<Text> Fields(Text text)
{
    std::vector<Text> fields;
    for (;;) {
        const size_t comma = text.find(u',');
        fields.push_back(Trimmed(text.substr(0, comma)));
        if (comma == Text::npos) return fields;
        text.remove_prefix(comma + 1);
    }
}

// The value of the field of a "KEYvalue,KEYvalue" list that begins with key.
// A decimal value never begins with a letter, so "C" does not take "CX1"; a
// hexadecimal one may ("FAB" is F = 0xAB).
std::optional<Text> Field(const std::vector<Text>& fields, Text key, bool hexValue = false)
{
    for (Text field : fields) {
        if (field.substr(0, key.size()) != key) continue;
        const Text rest = field.substr(key.size());
        if (hexValue || rest.empty() || rest.front() < u'A' || rest.front() > u'Z') return rest;
    }
    return std::nullopt;
}

// The answer of a query; an offline link answers nothing.
template <class Ask>
bool AnswerOf(CControllerProtocol* protocol, CString& answer, Ask ask)
{
    if (!protocol || protocol->IsOffline()) return false;
    return ask(answer) != FALSE;
}

bool QueryText(CControllerProtocol* protocol, int kind, int node, CString& out)
{
    CString answer;
    if (!AnswerOf(protocol, answer, [&](CString& a) { return protocol->QueryCommand(kind, node, a, TRUE); })) {
        return false;
    }
    const std::optional<Text> value = ValueOf(answer.view());
    if (!value) return false;
    out = CString(*value);
    return true;
}

std::optional<std::int64_t> QueryNumber(CControllerProtocol* protocol, int kind, int node, int index)
{
    CString answer;
    if (!AnswerOf(protocol, answer, [&](CString& a) { return protocol->QueryIndexed(kind, node, index, a); })) {
        return std::nullopt;
    }
    const std::optional<Text> value = ValueOf(answer.view());
    if (!value) return std::nullopt;
    return Decimal(*value);
}

// "41,0": the code before the first "," in hexadecimal, one byte.
std::optional<BYTE> CodeOf(const CString& answer)
{
    const std::optional<Text> value = ValueOf(answer.view());
    if (!value) return std::nullopt;
    const std::optional<std::int64_t> code = Hexadecimal(value->substr(0, value->find(u',')));
    if (!code || *code > 0xFF) return std::nullopt;
    return static_cast<BYTE>(*code);
}

BOOL QueryCode(CControllerProtocol* protocol, int kind, int node, int index, BYTE& out)
{
    CString answer;
    if (!AnswerOf(protocol, answer, [&](CString& a) { return protocol->QueryIndexed(kind, node, index, a); })) {
        return FALSE;
    }
    const std::optional<BYTE> code = CodeOf(answer);
    if (!code) return FALSE;
    out = *code;
    return TRUE;
}

// One D range into the record: every line "D<number>[.<node>]=<value>". A
// line that does not read so (a bad value, another node's) is passed over
// and the poll goes on; only a range answered by nothing at all fails.
bool ReadDRange(CControllerProtocol* protocol, int node, int first, int last, ControllerStatus& status)
{
    CString answer;
    if (!AnswerOf(protocol, answer, [&](CString& a) { return protocol->QueryRange(kCmdD, node, first, last, a); })) {
        return false;
    }
    Text text = answer.view();
    bool any = false;
    while (!text.empty()) {
        const size_t end = text.find_first_of(u"\r\n");
        const Text line = text.substr(0, end);
        text.remove_prefix(end == Text::npos ? text.size() : end + 1);
        if (line.empty()) continue;
        any = true;
        const size_t equals = line.find(u'=');
        comm::LineAddress key;
        if (equals == Text::npos || !comm::ParseAnswerKey(line.substr(0, equals), key) || key.keyword != u"D" ||
            !key.first || key.last || (key.node && *key.node != node)) {
            continue;
        }
        const std::optional<std::int64_t> value = Decimal(line.substr(equals + 1));
        if (!value) continue;
        switch (*key.first) {
        case 0: status.d0 = static_cast<std::int32_t>(*value); break;
        case 1: status.d1 = static_cast<std::int32_t>(*value); break;
        case 2: status.d2 = static_cast<std::int16_t>(*value); break;
        case 9: status.d9 = static_cast<std::int16_t>(*value); break;
        case 10: status.d10 = static_cast<std::int16_t>(*value); break;
        case 13: status.d13 = static_cast<std::uint8_t>(*value); break;
        case 14: status.d14 = static_cast<std::int16_t>(*value); break;
        case 15: status.d15 = static_cast<std::uint32_t>(*value); break;
        case 16: status.d16 = static_cast<std::int32_t>(*value); break;
        case 18: status.d18 = static_cast<std::int8_t>(*value); break;
        default: break;
        }
    }
    return any;
}

bool WholeAnswer(CControllerProtocol* protocol, int kind, int node, CString& out)
{
    CString answer;
    if (!AnswerOf(protocol, answer, [&](CString& a) { return protocol->QueryCommand(kind, node, a, FALSE); })) {
        return false;
    }
    out = std::move(answer);
    return true;
}

}  // namespace

BOOL QueryAllControllerNames(CCommManager*, CControllerProtocol* protocol, CString& out)
{
    CString answer;
    if (!AnswerOf(protocol, answer, [&](CString& a) { return protocol->QueryCommand(kCmdCONT, 0, a, TRUE); })) {
        return FALSE;
    }
    out = std::move(answer);
    return TRUE;
}

BOOL QueryControllerName(CCommManager*, CControllerProtocol* protocol, int node, CString& out)
{
    return QueryText(protocol, kCmdCONT, node, out);
}

BOOL QueryControllerType(CCommManager*, CControllerProtocol* protocol, int node, CString& out)
{
    return QueryText(protocol, kCmdTYPE, node, out);
}

BOOL QueryRobotName(CCommManager*, CControllerProtocol* protocol, int node, CString& out)
{
    return QueryText(protocol, kCmdROBOT, node, out);
}

BOOL QueryInterface(CCommManager*, CControllerProtocol* protocol, int node, CString& out)
{
    return QueryText(protocol, kCmdIF, node, out);
}

BOOL QueryVersion2(CCommManager*, CControllerProtocol* protocol, int node, CString& out)
{
    return QueryText(protocol, kCmdVER2, node, out);
}

BOOL ReadPointTable(CCommManager*, CControllerProtocol* protocol, int node, CString& out)
{
    return WholeAnswer(protocol, kCmdReadPnt, node, out);
}

BOOL ReadParameterTable(CCommManager*, CControllerProtocol* protocol, int node, CString& out)
{
    return WholeAnswer(protocol, kCmdReadPrm, node, out);
}

BOOL ReadHParameterTable(CCommManager*, CControllerProtocol* protocol, int node, CString& out)
{
    return WholeAnswer(protocol, kCmdReadHprm, node, out);
}

BOOL ParsePointRecord(int point, const CString& text, PointRecord& out)
{
    // An unused point (M of 0 or less) answers well but leaves the row alone.
    const std::optional<Text> m = Field(Fields(text.view()), u"M");
    if (!m) return FALSE;
    const std::optional<std::int64_t> mValue = Decimal(*m);
    if (!mValue) return FALSE;
    if (*mValue <= 0) return TRUE;
    return ParsePointFields(text.view(), point, out) ? TRUE : FALSE;
}

BOOL QueryPoint(CCommManager*, CControllerProtocol* protocol, int node, int point, PointRecord& out)
{
    CString answer;
    if (!AnswerOf(protocol, answer, [&](CString& a) { return protocol->QueryIndexed(kCmdPNT, node, point, a); })) {
        return FALSE;
    }
    const std::optional<Text> value = ValueOf(answer.view());
    if (!value) return FALSE;
    return ParsePointRecord(point, CString(*value), out);
}

BOOL QueryParameter(CCommManager*, CControllerProtocol* protocol, int node, int n, int& out)
{
    const std::optional<std::int64_t> value = QueryNumber(protocol, kCmdK, node, n);
    if (!value) return FALSE;
    out = static_cast<std::int32_t>(*value);
    return TRUE;
}

BOOL QueryHParameter(CCommManager*, CControllerProtocol* protocol, int node, int n, int& out)
{
    const std::optional<std::int64_t> value = QueryNumber(protocol, kCmdH, node, n);
    if (!value) return FALSE;
    out = static_cast<std::int32_t>(*value);
    return TRUE;
}

BOOL QueryDValue(CCommManager*, CControllerProtocol* protocol, int node, int n, int& out)
{
    const std::optional<std::int64_t> value = QueryNumber(protocol, kCmdD, node, n);
    if (!value) return FALSE;
    out = static_cast<std::int32_t>(*value);
    return TRUE;
}

BOOL QueryOptions(CCommManager*, CControllerProtocol* protocol, int node, int& out)
{
    const std::optional<std::int64_t> value = QueryNumber(protocol, kCmdOPT, node, 0);
    if (!value) return FALSE;
    out = static_cast<std::int32_t>(*value);
    return TRUE;
}

BOOL QueryInputs(CCommManager*, CControllerProtocol* protocol, int node, WORD& out)
{
    const std::optional<std::int64_t> value = QueryNumber(protocol, kCmdIN, node, 1);
    if (!value) return FALSE;
    out = static_cast<WORD>(*value);
    return TRUE;
}

BOOL QueryOutputs(CCommManager*, CControllerProtocol* protocol, int node, WORD& out)
{
    const std::optional<std::int64_t> value = QueryNumber(protocol, kCmdOUT, node, 1);
    if (!value) return FALSE;
    out = static_cast<WORD>(*value);
    return TRUE;
}

BOOL QueryWideIo(CCommManager*, CControllerProtocol* protocol, int node, WideIoBlock& out)
{
    CString answer;
    if (!AnswerOf(protocol, answer, [&](CString& a) { return protocol->QueryRange(kCmdWIO, node, 0, 3, a); })) {
        return FALSE;
    }
    WideIoBlock words{};
    Text text = answer.view();
    for (WORD& word : words) {
        const size_t end = text.find(u'\r');
        if (end == Text::npos) return FALSE;
        const std::optional<Text> value = ValueOf(text.substr(0, end));
        const std::optional<std::int64_t> number = value ? Decimal(*value) : std::nullopt;
        if (!number) return FALSE;
        word = static_cast<WORD>(*number);
        text.remove_prefix(end + 1);
        if (!text.empty() && text.front() == u'\n') text.remove_prefix(1);
    }
    out = words;
    return TRUE;
}

BOOL QueryMessage(CCommManager*, CControllerProtocol* protocol, int node, BYTE& out)
{
    CString answer;
    if (!AnswerOf(protocol, answer, [&](CString& a) { return protocol->QueryCommand(kCmdMSG, node, a, TRUE); })) {
        return FALSE;
    }
    const std::optional<BYTE> code = CodeOf(answer);
    if (!code) return FALSE;
    out = *code;
    return TRUE;
}

BOOL QueryAlarm(CCommManager*, CControllerProtocol* protocol, int node, int n, BYTE& out)
{
    return QueryCode(protocol, kCmdALM, node, n, out);
}

BOOL QueryWarning(CCommManager*, CControllerProtocol* protocol, int node, int n, BYTE& out)
{
    return QueryCode(protocol, kCmdWARN, node, n, out);
}

BOOL QueryRecord(CCommManager*, CControllerProtocol* protocol, int node, int n, AlarmRecord& out)
{
    CString answer;
    if (!AnswerOf(protocol, answer, [&](CString& a) { return protocol->QueryIndexed(kCmdREC, node, n, a); })) {
        return FALSE;
    }
    const std::optional<Text> value = ValueOf(answer.view());
    if (!value) return FALSE;
    const std::vector<Text> fields = Fields(*value);
    const std::optional<Text> codeText = Field(fields, u"F", true);
    const std::optional<std::int64_t> code = codeText ? Hexadecimal(*codeText) : std::nullopt;
    if (!code || *code > 0xFF) return FALSE;

    // The decimal fields in reply order; a field that is missing reads as 0.
    constexpr Text kKeys[] = {u"T", u"P", u"S", u"M", u"N", u"C", u"V", u"I", u"O"};
    std::int64_t numbers[std::size(kKeys)] = {};
    for (size_t i = 0; i < std::size(kKeys); ++i) {
        const std::optional<Text> text = Field(fields, kKeys[i]);
        if (!text) continue;
        const std::optional<std::int64_t> number = Decimal(*text);
        if (!number) return FALSE;
        numbers[i] = *number;
    }
    AlarmRecord record;
    record.code = static_cast<std::uint8_t>(*code);
    record.time = static_cast<std::int32_t>(numbers[0]);
    record.position = static_cast<std::int32_t>(numbers[1]);
    record.speed = static_cast<std::int32_t>(numbers[2]);
    record.state = static_cast<std::int8_t>(numbers[3]);
    record.nValue = static_cast<std::uint8_t>(numbers[4]);
    record.cValue = static_cast<std::int16_t>(numbers[5]);
    record.vValue = static_cast<std::int16_t>(numbers[6]);
    record.inputs = static_cast<std::uint16_t>(numbers[7]);
    record.outputs = static_cast<std::uint16_t>(numbers[8]);
    out = record;
    return TRUE;
}

BOOL QueryComData(CCommManager*, CControllerProtocol* protocol, int node, int n, CString& out)
{
    CString answer;
    if (!AnswerOf(protocol, answer, [&](CString& a) { return protocol->QueryIndexed(kCmdCOM, node, n, a); })) {
        return FALSE;
    }
    const std::optional<Text> value = ValueOf(answer.view());
    if (!value) return FALSE;
    out = CString(*value);
    return TRUE;
}

BOOL QueryStatusRecord(CCommManager*, CControllerProtocol* protocol, int node, ControllerStatus& out)
{
    // A scratch copy: a failed read leaves the caller's record whole.
    ControllerStatus status = out;
    if (!ReadDRange(protocol, node, 0, 10, status)) return FALSE;
    if (!ReadDRange(protocol, node, 11, 20, status)) return FALSE;
    out = status;
    return TRUE;
}

BOOL WriteRobotName(CCommManager*, CControllerProtocol* protocol, int node, const CString& text)
{
    return protocol ? protocol->WriteText(kCmdROBOT, node, text) : FALSE;
}

BOOL WriteComText(CCommManager*, CControllerProtocol* protocol, int node, int n, const CString& text)
{
    return protocol ? protocol->WriteIndexedText(kCmdCOM, node, n, text) : FALSE;
}

BOOL WriteComData(CCommManager* link, CControllerProtocol* protocol, int node, int n, const CString& text)
{
    return WriteComText(link, protocol, node, n, text);
}

BOOL WriteK99Broadcast(CCommManager*, CControllerProtocol* protocol)
{
    if (!protocol || protocol->IsBusy()) return FALSE;
    if (protocol->IsOffline()) return TRUE;
    ControllerLink* link = protocol->GetControllerLink();
    if (!link) return FALSE;
    link->SendData(u"\r\n");
    return protocol->WriteValue(kCmdK, 0, 99, 0);
}

BOOL WriteParameter(CCommManager*, CControllerProtocol* protocol, int node, int n, int value)
{
    return protocol ? protocol->WriteValue(kCmdK, node, n, value) : FALSE;
}

BOOL WriteHParameter(CCommManager*, CControllerProtocol* protocol, int node, int n, int value)
{
    return protocol ? protocol->WriteValue(kCmdH, node, n, value) : FALSE;
}

BOOL WritePointField(CCommManager*, CControllerProtocol* protocol, int node, int point, int fieldCode, int value)
{
    // The field codes are the command kinds of the point keys, M to T.
    if (!protocol || fieldCode < kCmdM || fieldCode > kCmdT) return FALSE;
    return protocol->WriteValue(fieldCode, node, point, value);
}

BOOL DeletePoints(CCommManager*, CControllerProtocol* protocol, int node, int first, int last)
{
    if (!protocol) return FALSE;
    if (last <= 0) return protocol->CommandIndexed(kCmdDEL, node, first);
    return protocol->CommandRange(kCmdDEL, node, first, last);
}

BOOL InitRecords(CCommManager*, CControllerProtocol* protocol, int node)
{
    return protocol ? protocol->Command(kCmdInitRec, node) : FALSE;
}

BOOL InitPoints(CCommManager*, CControllerProtocol* protocol, int node)
{
    return protocol ? protocol->Command(kCmdInitPnt, node) : FALSE;
}

BOOL InitTrip(CCommManager*, CControllerProtocol* protocol, int node)
{
    return protocol ? protocol->Command(kCmdInitTrip, node) : FALSE;
}

BOOL InitTime(CCommManager*, CControllerProtocol* protocol, int node)
{
    return protocol ? protocol->Command(kCmdInitTime, node) : FALSE;
}

BOOL InitComData(CCommManager*, CControllerProtocol* protocol, int node)
{
    return protocol ? protocol->Command(kCmdInitComw, node) : FALSE;
}

BOOL SendServo(CCommManager*, CControllerProtocol* protocol, int node, BOOL on)
{
    return protocol ? protocol->CommandIndexed(kCmdServo, node, on ? 1 : 0) : FALSE;
}

BOOL SendBrake(CCommManager*, CControllerProtocol* protocol, int node, BOOL on)
{
    return protocol ? protocol->CommandIndexed(kCmdBrake, node, on ? 1 : 0) : FALSE;
}

BOOL SendOrigin(CCommManager*, CControllerProtocol* protocol, int node, HWND window)
{
    return protocol ? protocol->Action(kCmdOrg, node, window ? FALSE : TRUE, window) : FALSE;
}

BOOL SendStart(CCommManager*, CControllerProtocol* protocol, int node, int point, HWND window)
{
    return protocol ? protocol->ActionIndexed(kCmdStart, node, point, window ? FALSE : TRUE, window) : FALSE;
}

BOOL SendInch(CCommManager*, CControllerProtocol* protocol, int node, BOOL forward, HWND window)
{
    if (!protocol) return FALSE;
    return protocol->Action(forward ? kCmdInchPlus : kCmdInchMinus, node, window ? FALSE : TRUE, window);
}

BOOL SendJog(CCommManager*, CControllerProtocol* protocol, int node, BOOL forward, HWND window)
{
    if (!protocol) return FALSE;
    return protocol->Action(forward ? kCmdJogPlus : kCmdJogMinus, node, window ? FALSE : TRUE, window);
}

BOOL BroadcastSetIdCmd(CCommManager*, CControllerProtocol* protocol)
{
    return protocol ? protocol->BroadcastSetId() : FALSE;
}
