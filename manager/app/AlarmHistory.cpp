#include "manager/app/AlarmHistory.h"

#include "manager/app/StatusDisplay.h"
#include "manager/core/AlarmText.h"
#include "manager/core/NumberText.h"
#include "platform/core/File.h"
#include "resources/manager/resource_ids.h"

#include <algorithm>
#include <clocale>
#include <locale.h>

namespace {

// Fields of a record line hold no separator of the file's own.
CString OneLine(const CString& text)
{
    CString clean = text;
    clean.Replace(u'\t', u' ');
    clean.Replace(u'\r', u' ');
    clean.Replace(u'\n', u' ');
    return clean;
}

void AppendField(CString& line, const CString& field)
{
    line += OneLine(field);
    line += u'\t';
}

CString Format(const char16_t* format, int value)
{
    CString text;
    text.Format(format, value);
    return text;
}

constexpr std::size_t kTimeTextLimit = 128;

}  // namespace

AlarmCollection CollectAlarmRecords(int maxCount, const std::function<AlarmQuery(int, AlarmRecord&)>& query)
{
    AlarmCollection collection;
    for (int index = 1; index <= maxCount; ++index) {
        AlarmRecord record;
        const AlarmQuery result = query(index, record);
        if (result == AlarmQuery::TimedOut) {
            collection.timedOut = true;
            break;
        }
        if (result != AlarmQuery::Ok || record.code == 0) break;
        collection.records.push_back(record);
    }
    return collection;
}

bool IsShownMessageCode(BYTE code) { return code >= 0x40 && code <= 0x4F && code != 0x41; }

CString FormatAlarmTimeText(const std::tm& localTime)
{
    CString format;
    format.LoadString(IDS_ALARM_TIME_FORMAT);
    const std::string pattern = format.ToUtf8();
    if (pattern.empty()) return CString();
    const locale_t c = ::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    if (c == static_cast<locale_t>(nullptr)) return CString();
    char buffer[kTimeTextLimit];
    const std::size_t length = ::strftime_l(buffer, sizeof buffer, pattern.c_str(), &localTime, c);
    ::freelocale(c);
    return length == 0 ? CString() : CString::FromUtf8(std::string_view(buffer, length));
}

CString CurrentAlarmTimeText()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (::localtime_r(&now, &local) == nullptr) return CString();
    return FormatAlarmTimeText(local);
}

CString AlarmMessageText(BYTE code)
{
    AlarmTextRecord texts;
    if (LoadAlarmText(code, texts) != kAlarmFound) return CString();
    return texts.shortText;
}

CString BuildAlarmHistoryText(const CString& timeText, const ControllerData& header,
                              const std::vector<AlarmRecord>& records, int positionDecimals,
                              const std::function<CString(BYTE)>& messageOf)
{
    CString text = u"//" + OneLine(timeText) + u"\n";
    const std::pair<const char16_t*, const CString*> lines[] = {{u"CONT", &header.controller},
                                                                {u"ROBOT", &header.robot},
                                                                {u"IF", &header.interfaceText},
                                                                {u"VER", &header.version},
                                                                {u"DBVER", &header.dbVersion}};
    for (const auto& [key, value] : lines) text += u"//" + CString(key) + u"=" + OneLine(*value) + u"\n";
    for (const AlarmRecord& r : records) {
        CString line;
        AppendField(line, Format(u"%2X", r.code));
        AppendField(line, messageOf ? messageOf(r.code) : CString());
        AppendField(line, FormatDuration(static_cast<unsigned>(r.time)));
        AppendField(line, FormatFixedDecimals(r.position, positionDecimals));
        AppendField(line, FormatFixedDecimals(r.speed, 2));
        AppendField(line, StatusCodeText(r.state));
        AppendField(line, Format(u"%d", r.nValue));
        AppendField(line, Format(u"%d", r.cValue));
        AppendField(line, FormatFixedDecimals(r.vValue, 1));
        AppendField(line, Format(u"%04x", r.inputs));
        AppendField(line, Format(u"%04x", r.outputs));
        text += line + u"\n";
    }
    return text;
}

AlarmHistoryRead ReadAlarmHistoryText(const ControllerData& data,
                                      const std::function<AlarmQuery(int, AlarmRecord&)>& queryRecord)
{
    AlarmHistoryRead read;
    const AlarmCollection collection = CollectAlarmRecords(kAlarmHistoryMaxRecords, queryRecord);
    read.recordCount = static_cast<int>(collection.records.size());
    if (collection.timedOut) {
        read.timedOut = true;
        return read;
    }
    const RobotParameterSet* values = data.FirstParamSet();
    const int decimals = values ? std::clamp(values->K(72), 0, 9) : 0;
    read.text = BuildAlarmHistoryText(CurrentAlarmTimeText(), data, collection.records, decimals, AlarmMessageText);
    return read;
}

int AlarmHistoryRow::Code() const
{
    CString code = fields[0];
    code.Trim();
    if (code.IsEmpty() || code.GetLength() > 2) return -1;
    int value = 0;
    for (const char16_t c : code.view()) {
        int digit = -1;
        if (c >= u'0' && c <= u'9') digit = c - u'0';
        else if (c >= u'A' && c <= u'F') digit = c - u'A' + 10;
        else if (c >= u'a' && c <= u'f') digit = c - u'a' + 10;
        if (digit < 0) return -1;
        value = value * 16 + digit;
    }
    return value;
}

std::vector<AlarmHistoryRow> ParseAlarmHistoryText(const CString& text)
{
    std::vector<AlarmHistoryRow> rows;
    const std::u16string_view all = text.view();
    std::size_t start = 0;
    while (start < all.size()) {
        std::size_t end = all.find(u'\n', start);
        if (end == std::u16string_view::npos) end = all.size();
        std::u16string_view line = all.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == u'\r') line.remove_suffix(1);
        if (line.empty() || line.substr(0, 2) == u"//") continue;
        AlarmHistoryRow row;
        std::size_t from = 0;
        for (int field = 0; field < kAlarmHistoryFields && from <= line.size(); ++field) {
            std::size_t tab = line.find(u'\t', from);
            if (tab == std::u16string_view::npos) tab = line.size();
            row.fields[static_cast<std::size_t>(field)] = CString(line.substr(from, tab - from));
            from = tab + 1;
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

bool HidesNValueColumn(const CString& text) { return text.Find(u"CONT=KX-LB") >= 0; }

bool SaveAlarmHistoryFile(const CString& path, const CString& text)
{
    CStdioFile file;
    if (!file.Open(path, CFile::modeCreate | CFile::modeWrite | CFile::typeText | CFile::modeAtomic)) return false;
    file.WriteString(text);
    if (file.Failed()) {
        file.Abort();
        return false;
    }
    return file.Close() != FALSE;
}

bool LoadAlarmHistoryFile(const CString& path, CString& text)
{
    text.Empty();
    std::vector<CString> lines;
    if (!platform::ReadTextLines(path, lines)) return false;
    for (const CString& line : lines) text += line + u"\n";
    return true;
}

CString AlarmFileNameFromTitle(const CString& title)
{
    CString name = title;
    name.Remove(u'*');
    name.Replace(u':', u'=');
    return name;
}
