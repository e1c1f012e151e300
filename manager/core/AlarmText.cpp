#include "manager/core/AlarmText.h"

#include "manager/core/NumberText.h"
#include "platform/core/CodePage.h"
#include "platform/core/ResourceModule.h"

namespace {

// A text field ends at its first zero byte or at the field's end, never beyond.
CString FieldText(std::string_view record, std::size_t offset, std::size_t size)
{
    std::string_view field = record.substr(offset, size);
    const std::size_t nul = field.find('\0');
    if (nul != std::string_view::npos) field = field.substr(0, nul);
    return CString(platform::ToWide(field, CP_ACP));
}

// Puts one text into its zero-terminated field; false when it does not fit.
bool PutField(std::string& record, std::size_t offset, std::size_t size, std::u16string_view text, UINT codePage,
              const char* what, int lineNumber, CString& error)
{
    bool lost = false;
    const std::string bytes = platform::FromWide(text, codePage, &lost);
    if (lost) {
        error.Format(u"line %d: the %hs has a character that code page %u cannot hold", lineNumber, what, codePage);
        return false;
    }
    if (bytes.size() >= size) {
        error.Format(u"line %d: the %hs takes %d bytes, at most %d fit", lineNumber, what, static_cast<int>(bytes.size()),
                     static_cast<int>(size - 1));
        return false;
    }
    record.replace(offset, bytes.size(), bytes);
    return true;
}

}  // namespace

bool BuildAlarmTable(std::u16string_view source, UINT codePage, std::string& table, CString& error)
{
    std::string out;
    bool seen[256] = {};
    int lineNumber = 0;
    std::size_t start = 0;
    while (start < source.size()) {
        std::size_t end = source.find(u'\n', start);
        if (end == std::u16string_view::npos) end = source.size();
        std::u16string_view line = source.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == u'\r') line.remove_suffix(1);
        if (line.empty() || line.front() == u'#') continue;

        std::u16string_view fields[4];
        std::size_t count = 0;
        std::size_t from = 0;
        for (; count < 4; ++count) {
            const std::size_t bar = line.find(u'|', from);
            fields[count] = line.substr(from, bar == std::u16string_view::npos ? bar : bar - from);
            if (bar == std::u16string_view::npos) {
                ++count;
                from = line.size() + 1;
                break;
            }
            from = bar + 1;
        }
        if (count != 4 || from <= line.size()) {
            error.Format(u"line %d: a record needs exactly four fields separated by |", lineNumber);
            return false;
        }
        const int code = ParseHexByte(fields[0]);
        if (fields[0].size() != 2 || code < 0) {
            error.Format(u"line %d: the code must be two hexadecimal digits", lineNumber);
            return false;
        }
        if (seen[code]) {
            error.Format(u"line %d: code %02X appears twice", lineNumber, code);
            return false;
        }
        seen[code] = true;
        std::string record(kAlarmRecordSize, '\0');
        record[0] = static_cast<char>(code);
        if (!PutField(record, kAlarmShortTextOffset, kAlarmShortTextSize, fields[1], codePage, "short text", lineNumber,
                      error) ||
            !PutField(record, kAlarmLongText1Offset, kAlarmLongTextSize, fields[2], codePage, "first long text",
                      lineNumber, error) ||
            !PutField(record, kAlarmLongText2Offset, kAlarmLongTextSize, fields[3], codePage, "second long text",
                      lineNumber, error))
            return false;
        out += record;
    }
    table = std::move(out);
    return true;
}

int FindAlarmText(std::string_view table, int code, AlarmTextRecord& out)
{
    const auto wanted = static_cast<unsigned char>(code & 0xFF);
    for (std::size_t at = 0; at + kAlarmRecordSize <= table.size(); at += kAlarmRecordSize) {
        const std::string_view record = table.substr(at, kAlarmRecordSize);
        if (static_cast<unsigned char>(record[0]) != wanted) continue;
        out.code = wanted;
        out.shortText = FieldText(record, kAlarmShortTextOffset, kAlarmShortTextSize);
        out.longText1 = FieldText(record, kAlarmLongText1Offset, kAlarmLongTextSize);
        out.longText2 = FieldText(record, kAlarmLongText2Offset, kAlarmLongTextSize);
        return kAlarmFound;
    }
    return kAlarmNotFound;
}

int LoadAlarmText(int code, AlarmTextRecord& out)
{
    const auto table = platform::FindResourceBytes(u"ALM", kAlarmTableResource);
    if (!table) return kAlarmTableMissing;
    const int result = FindAlarmText(*table, code, out);
    if (result == kAlarmNotFound) out.shortText.LoadString(kUnknownAlarmStringId);
    return result;
}
