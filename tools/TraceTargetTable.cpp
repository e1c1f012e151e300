#include "tools/TraceTargetTable.h"

#include "platform/core/CodePage.h"
#include "platform/core/ResourceModule.h"

#include <cmath>

namespace {

constexpr int kDataFields = 7;

// The lines of a table up to "EOD", without comments and empty lines.
std::vector<CString> TableLines(std::string_view bytes)
{
    std::vector<CString> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos) end = bytes.size();
        std::string_view line = bytes.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.substr(0, 3) == "EOD") break;
        if (line.empty() || line.front() == '#') continue;
        lines.emplace_back(platform::ToWide(line));
    }
    return lines;
}

// Every field between separators, empty ones included.
std::vector<CString> Fields(const CString& line)
{
    std::vector<CString> fields;
    int start = 0;
    for (;;) {
        const int comma = line.Find(u',', start);
        if (comma < 0) {
            fields.push_back(line.Mid(start));
            return fields;
        }
        fields.push_back(line.Mid(start, comma - start));
        start = comma + 1;
    }
}

}  // namespace

double K72Scale(std::int32_t nK72)
{
    // 10^|K72| by squaring; beyond the range of a double the scale is 0 or infinite.
    double power = 1.0;
    double base = 10.0;
    for (std::uint32_t e = nK72 < 0 ? 0u - static_cast<std::uint32_t>(nK72) : static_cast<std::uint32_t>(nK72); e;
         e >>= 1) {
        if (e & 1u) power *= base;
        base *= base;
    }
    return nK72 < 0 ? power : 1.0 / power;
}

void CTraceTargetTable::TableIds(const CString& strControllerType, UINT& nDataId, UINT& nBitId)
{
    const bool lb = strControllerType.Find(u"KX-LB") >= 0 || strControllerType.Find(u"N3") >= 0;
    nDataId = lb ? IDR_TRACE_DATA_TABLE_LB : IDR_TRACE_DATA_TABLE;
    nBitId = lb ? IDR_TRACE_BIT_TABLE_LB : IDR_TRACE_BIT_TABLE;
}

CTraceTargetTable::Result CTraceTargetTable::Load(const CString& strControllerType, std::int32_t nK72,
                                                  const Parameters& parameters)
{
    UINT dataId = 0;
    UINT bitId = 0;
    TableIds(strControllerType, dataId, bitId);
    const auto data = platform::FindResourceBytes(platform::ResourceKey(u"CSV"), platform::ResourceKey(dataId));
    const auto bits = platform::FindResourceBytes(platform::ResourceKey(u"CSV"), platform::ResourceKey(bitId));
    if (!data || !bits) {
        m_rows.clear();
        return Result::Missing;
    }
    return Parse(*data, *bits, nK72, parameters);
}

CTraceTargetTable::Result CTraceTargetTable::Parse(std::string_view dataTable, std::string_view bitTable,
                                                   std::int32_t nK72, const Parameters& parameters)
{
    // A limit is a number, or names a parameter of the controller.
    const auto limit = [&](const CString& field, std::int32_t fallback) {
        if (field[0] != u'K' && field[0] != u'k') return static_cast<std::int32_t>(_wtoi(field));
        const auto known = parameters.find(_wtoi(field.Mid(1)));
        return known == parameters.end() ? fallback : known->second;
    };
    m_rows.clear();
    for (const CString& line : TableLines(dataTable)) {
        const std::vector<CString> fields = Fields(line);
        if (static_cast<int>(fields.size()) < kDataFields) return Result::Malformed;
        for (int i = 0; i < kDataFields; ++i)
            if (fields[i].IsEmpty()) return Result::Malformed;
        TraceTargetRow row;
        row.nNumber = _wtoi(fields[0]);
        row.strName = fields[1];
        row.strUnit = fields[2];
        row.nBitCount = _wtoi(fields[3]);
        row.nLowerLimit = limit(fields[4], row.nLowerLimit);
        row.nUpperLimit = limit(fields[5], row.nUpperLimit);
        row.dScale = fields[6].Left(3) == u"K72" ? K72Scale(nK72) : _wtof(fields[6]);
        m_rows.push_back(std::move(row));
    }
    for (const CString& line : TableLines(bitTable)) {
        const std::vector<CString> fields = Fields(line);
        const std::int32_t number = _wtoi(fields[0]);
        for (TraceTargetRow& row : m_rows) {
            if (row.nNumber != number) continue;
            for (std::size_t i = 1; i < fields.size(); ++i) {
                if (static_cast<std::int32_t>(row.bitNames.size()) >= row.nBitCount) break;
                if (!fields[i].IsEmpty()) row.bitNames.push_back(fields[i]);
            }
            break;
        }
    }
    return Result::Ok;
}

int CTraceTargetTable::SelectRow(std::int32_t nTarget, std::int32_t nBit, std::int32_t& nSelectedBit) const
{
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        const TraceTargetRow& row = m_rows[i];
        if (row.nNumber == nTarget && (row.nBitCount == 0 || row.nBitCount > nBit)) {
            nSelectedBit = row.nBitCount == 0 ? 0 : nBit;
            return static_cast<int>(i);
        }
    }
    nSelectedBit = 0;
    return m_rows.empty() ? -1 : 0;
}

namespace {

CString BitName(const TraceTargetRow& row, int bit)
{
    if (bit >= 0 && bit < static_cast<int>(row.bitNames.size()) && !row.bitNames[bit].IsEmpty() &&
        row.bitNames[bit] != u"NULL")
        return row.bitNames[bit];
    CString prefix;
    prefix.LoadString(IDS_TRACE_BIT_DEFAULT);
    CString name;
    name.Format(u"%s%d", prefix.GetString(), bit);
    return name;
}

}  // namespace

CString CTraceTargetTable::BitEntryText(const TraceTargetRow& row, int nBit)
{
    CString text;
    text.Format(u"%d: %s", nBit, BitName(row, nBit).GetString());
    return text;
}

CString CTraceTargetTable::LabelText(const TraceTargetRow& row, int nBit)
{
    if (row.nBitCount == 0) return row.strName;
    return row.strName + u": " + BitName(row, nBit);
}

CString CTraceTargetTable::UnitText(const TraceTargetRow& row)
{
    return row.strUnit == u"NULL" ? CString() : row.strUnit;
}
