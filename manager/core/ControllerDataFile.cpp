#include "manager/core/ControllerDataFile.h"

#include "manager/core/NumberText.h"
#include "platform/core/CodePage.h"
#include "platform/core/File.h"

#include <limits>

namespace {

constexpr std::u16string_view kPointFieldKeys[] = {u"P", u"S", u"AC", u"DC", u"Q", u"ZL",
                                                   u"ZH", u"N", u"J", u"F", u"C", u"T"};

// The value of a line: everything after its first "="; empty without one.
std::u16string_view ValueOf(std::u16string_view line)
{
    const std::size_t eq = line.find(u'=');
    return eq == std::u16string_view::npos ? std::u16string_view() : line.substr(eq + 1);
}

// The index between a key and the first "=" (the rest of the line without
// one). Only a plain run of digits counts, so that a stray key such as
// "HOST=1" is not taken for H0.
bool ParseIndex(std::u16string_view line, std::size_t keyLength, int& index)
{
    std::u16string_view text = line.substr(keyLength);
    text = text.substr(0, text.find(u'='));
    if (text.empty() || text.size() > 9) return false;
    int value = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9') return false;
        value = value * 10 + (c - u'0');
    }
    index = value;
    return true;
}

bool StartsWith(std::u16string_view line, std::u16string_view key) { return line.substr(0, key.size()) == key; }

// A text value written on one line: a line break in it would start a new
// line of the file, so each break becomes one blank.
CString OneLine(const CString& text)
{
    if (text.FindOneOf(u"\r\n") < 0) return text;
    std::u16string out;
    const std::u16string& in = text.str();
    for (std::size_t i = 0; i < in.size(); ++i) {
        if (in[i] == u'\r') {
            if (i + 1 < in.size() && in[i + 1] == u'\n') ++i;
            out.push_back(u' ');
        } else if (in[i] == u'\n') {
            out.push_back(u' ');
        } else {
            out.push_back(in[i]);
        }
    }
    return CString(std::move(out));
}

void AppendTextLine(CString& out, const char16_t* key, const CString& value)
{
    out += key;
    out += u'=';
    out += OneLine(value);
    out += u"\r\n";
}

void AppendAddressLine(CString& out, const char16_t* key, const CString& hex)
{
    CString dotted;
    HexToDottedAddress(hex.view(), dotted);  // empties the value on failure
    out += key;
    out += u'=';
    out += dotted;
    out += u"\r\n";
}

// A point row goes into the file only when the reader will take it back.
bool IsWrittenRow(const PointRecord& row) { return row.number != 0 && row.m > 0; }

}  // namespace

NumberParse ParseLeadingInt32(std::u16string_view text, std::int32_t& value)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
    const std::size_t first = i;
    std::int64_t magnitude = 0;
    constexpr std::int64_t kLimit = static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::max()) + 1;
    bool tooLarge = false;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        if (!tooLarge) {
            magnitude = magnitude * 10 + (text[i] - u'0');
            if (magnitude > kLimit) tooLarge = true;
        }
    }
    if (i == first) {
        value = 0;
        return NumberParse::kNoDigits;
    }
    if (tooLarge || (!negative && magnitude == kLimit)) return NumberParse::kOutOfRange;
    value = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
    return NumberParse::kOk;
}

bool ParsePointFields(std::u16string_view fields, int number, PointRecord& row)
{
    PointRecord parsed;
    const std::size_t mAt = fields.find(u'M');
    if (mAt == std::u16string_view::npos) return false;
    std::size_t cursor = fields.find(u',', mAt + 1);
    const std::u16string_view mText = fields.substr(mAt + 1, cursor == std::u16string_view::npos ? cursor : cursor - mAt - 1);
    std::int32_t m = 0;
    if (ParseLeadingInt32(mText, m) == NumberParse::kOutOfRange || m <= 0) return false;
    parsed.number = number;
    parsed.m = m;
    if (cursor == std::u16string_view::npos) cursor = fields.size();

    for (int k = 0; k < 12; ++k) {
        const std::u16string_view key = kPointFieldKeys[k];
        const std::size_t at = fields.find(key, cursor);
        if (at == std::u16string_view::npos) {
            // The keys come in order: once one is missing, the rest stay 0.
            cursor = fields.size();
            continue;
        }
        const std::size_t start = at + key.size();
        std::size_t comma = fields.find(u',', start);
        if (comma == std::u16string_view::npos) comma = fields.size();
        std::int32_t v = 0;
        if (ParseLeadingInt32(fields.substr(start, comma - start), v) == NumberParse::kOutOfRange) return false;
        parsed.Field(PointRecord::kP + k) = v;
        cursor = comma;
    }
    row = parsed;
    return true;
}

bool ParsePointLine(std::u16string_view line, ControllerData& data)
{
    if (!StartsWith(line, u"PNT")) return false;
    int number = 0;
    if (!ParseIndex(line, 3, number) || number < 1 || number > kPointCount) return false;
    return ParsePointFields(ValueOf(line), number, data.points[static_cast<std::size_t>(number - 1)]);
}

bool ParseParameterLine(std::u16string_view line, RobotParameterSet& set)
{
    if (!StartsWith(line, u"K")) return false;
    int n = 0;
    if (!ParseIndex(line, 1, n) || n < 1 || n > kKParamCount) return false;
    std::int32_t v = 0;
    if (ParseLeadingInt32(ValueOf(line), v) != NumberParse::kOk) return false;
    set.K(n) = v;
    return true;
}

bool ParseHParameterLine(std::u16string_view line, RobotParameterSet& set)
{
    if (!StartsWith(line, u"H")) return false;
    int n = 0;
    if (!ParseIndex(line, 1, n) || n < 0 || n >= kHParamCount) return false;
    std::int32_t v = 0;
    if (ParseLeadingInt32(ValueOf(line), v) != NumberParse::kOk) return false;
    set.H(n) = v;
    return true;
}

void ApplyControllerDataLine(std::u16string_view line, ControllerData& data, bool withRobot, bool withPoints,
                             bool withParameters)
{
    // First matching key wins, compared by the line's first characters.
    if (StartsWith(line, u"CONT")) {
        data.controller = CString(ValueOf(line));
    } else if (StartsWith(line, u"USER")) {
        data.user = CString(ValueOf(line));
    } else if (StartsWith(line, u"ROBOT")) {
        if (!withRobot) return;
        data.robot = CString(ValueOf(line));
        if (RobotParameterSet* set = data.FirstParamSet()) set->name = data.robot;
    } else if (StartsWith(line, u"IF")) {
        data.interfaceText = CString(ValueOf(line));
    } else if (StartsWith(line, u"VER")) {
        data.version = CString(ValueOf(line));
    } else if (StartsWith(line, u"DBVER")) {
        data.dbVersion = CString(ValueOf(line));
    } else if (StartsWith(line, u"IPADDR") || StartsWith(line, u"MASK") || StartsWith(line, u"GATEWAY")) {
        CString& field = line[0] == u'I' ? data.ipAddress : line[0] == u'M' ? data.subnetMask : data.gateway;
        if (DottedToHexAddress(ValueOf(line), field) != 0) field.Empty();
    } else if (StartsWith(line, u"PNT")) {
        if (withPoints) ParsePointLine(line, data);
    } else if (StartsWith(line, u"K")) {
        RobotParameterSet* set = data.FirstParamSet();
        if (withParameters && set) ParseParameterLine(line, *set);
    } else if (StartsWith(line, u"H")) {
        RobotParameterSet* set = data.FirstParamSet();
        if (withParameters && set) ParseHParameterLine(line, *set);
    }
}

CString FormatControllerDataText(const ControllerData& data, bool withRobot, bool withPoints, bool withParameters)
{
    CString out;
    AppendTextLine(out, u"CONT", data.controller);
    AppendTextLine(out, u"USER", data.user);
    if (withRobot)
        AppendTextLine(out, u"ROBOT", data.robot);
    else
        out += u"\r\n";
    AppendTextLine(out, u"IF", data.interfaceText);
    AppendTextLine(out, u"VER", data.version);
    AppendTextLine(out, u"DBVER", data.dbVersion);
    AppendAddressLine(out, u"IPADDR", data.ipAddress);
    AppendAddressLine(out, u"MASK", data.subnetMask);
    AppendAddressLine(out, u"GATEWAY", data.gateway);

    if (withPoints) {
        for (int slot = 0; slot < kPointCount; ++slot) {
            const PointRecord& r = data.points[static_cast<std::size_t>(slot)];
            if (!IsWrittenRow(r)) continue;
            // The slot decides where the row comes back, so it is the number written.
            out.AppendFormat(u"PNT%d=M%d,P%d,S%d,AC%d,DC%d,Q%d,ZL%d,ZH%d,N%d,J%d,F%d,C%d,T%d\r\n", slot + 1, r.m, r.p,
                             r.s, r.ac, r.dc, r.q, r.zl, r.zh, r.n, r.j, r.f, r.c, r.t);
        }
    }
    if (withParameters) {
        if (const RobotParameterSet* set = data.FirstParamSet()) {
            for (int n = 1; n <= kKParamCount; ++n) out.AppendFormat(u"K%d=%d\r\n", n, set->K(n));
            for (int n = 0; n < kHParamCount; ++n) out.AppendFormat(u"H%d=%d\r\n", n, set->H(n));
        }
    }
    return out;
}

bool ControllerDataStore::WriteControllerDataFile(const char16_t* path, const ControllerData& data, bool withRobot,
                                                  bool withPoints, bool withParameters) const
{
    const std::string bytes =
        platform::FromWide(FormatControllerDataText(data, withRobot, withPoints, withParameters).view(), CP_ACP);
    CFile file;
    if (!file.Open(path, CFile::modeCreate | CFile::modeWrite | CFile::modeAtomic | CFile::typeBinary)) return false;
    if (!file.Write(bytes.data(), static_cast<UINT>(bytes.size()))) {
        file.Abort();
        return false;
    }
    return file.Close() != FALSE;
}

bool ControllerDataStore::ReadControllerDataFile(const char16_t* path, ControllerData& data, bool withRobot,
                                                 bool withPoints, bool withParameters) const
{
    CStdioFile file(CP_ACP);
    if (!file.Open(path, CFile::modeRead | CFile::typeText)) return false;
    // Lines go into a copy so that a read that fails half-way changes nothing.
    ControllerData working = data;
    CString line;
    while (file.ReadString(line)) ApplyControllerDataLine(line.view(), working, withRobot, withPoints, withParameters);
    const bool ok = !file.Failed();
    file.Close();
    if (!ok) return false;
    data = std::move(working);
    return true;
}
