#include "tools/TrcDatFile.h"

#include "platform/core/CodePage.h"
#include "platform/core/MessageBox.h"

#include <cmath>
#include <limits>
#include <utility>
#include <vector>

namespace {

constexpr UINT IDS_TRD_CONTROLLER = 42001;
constexpr UINT IDS_TRD_VERSION = 42002;
constexpr UINT IDS_TRD_ROBOT = 42003;
constexpr UINT IDS_TRD_TRACE_MODE = 42004;
constexpr UINT IDS_TRD_TRACE_NUM = 42005;
constexpr UINT IDS_TRD_INTERVAL = 42006;
constexpr UINT IDS_TRD_TARGET = 42007;
constexpr UINT IDS_TRD_BIT = 42008;
constexpr UINT IDS_TRD_TRIGGER_FIRST = 42009;  // 42009..42013: mode, pre-trigger, source, level, slope
constexpr UINT IDS_TRD_DRAW = 42014;
constexpr UINT IDS_TRD_COLOUR = 42015;
constexpr UINT IDS_TRD_LINE_WIDTH = 42016;
constexpr UINT IDS_TRD_GRAPH_NO = 42017;
constexpr UINT IDS_TRD_POSITION = 42018;
constexpr UINT IDS_TRD_AUTO_RANGE = 42019;
constexpr UINT IDS_TRD_UPPER = 42020;
constexpr UINT IDS_TRD_LOWER = 42021;
constexpr UINT IDS_TRD_MANU_MAX = 42022;
constexpr UINT IDS_TRD_MANU_MIN = 42023;
constexpr UINT IDS_TRD_MANU_MAX_REAL = 42024;
constexpr UINT IDS_TRD_MANU_MIN_REAL = 42025;
constexpr UINT IDS_TRD_UNIT = 42026;
constexpr UINT IDS_TRD_LABEL = 42027;
constexpr UINT IDS_TRD_SPLIT = 42028;
constexpr UINT IDS_TRD_ZOOM = 42029;
constexpr UINT IDS_TRD_DATA = 42030;
constexpr UINT IDS_TRD_TRIGGER_POS = 42031;
constexpr UINT IDS_TRD_TITLE = 42032;
constexpr UINT IDS_TRD_TITLE_FRAME = 42033;
constexpr UINT IDS_TRD_FRAME_COLOUR = 42034;
constexpr UINT IDS_TRD_SCALE_TYPE = 42035;
constexpr UINT IDS_TRD_SCALE_FIRST = 42036;  // 42036..42041: ratio, offset, point 1, its value, point 2, its value

constexpr const char16_t* kEmptyText = u"NULL";
constexpr const char16_t* kSeparator = u",";

CString Label(UINT id)
{
    CString text;
    text.LoadString(id);
    return text;
}

// A text as one value: no separator or line break inside it, "NULL" for none,
// so that the file always reads back.
CString FieldText(const CString& text)
{
    CString field = text;
    field.Replace(u',', u';');
    field.Replace(u'\r', u' ');
    field.Replace(u'\n', u' ');
    return field.IsEmpty() ? CString(kEmptyText) : field;
}

CString TextOfField(const CString& field) { return field == kEmptyText ? CString() : field; }

// The start marker is the same in every language, so a file written under one
// interface language opens under the other. Files of older versions carry the
// marker of the language they were written in; those are read as well.
constexpr const char16_t* kFileMarker = u"[Trace Data File]";
constexpr const char16_t* kOlderMarkers[] = {u"[トレースデータファイル]"};

bool HasMarker(const CString& line, bool reversed)
{
    auto contains = [&](CString marker) {
        if (marker.IsEmpty()) return false;
        if (reversed) marker.MakeReverse();
        return line.Find(marker.GetString()) >= 0;
    };
    if (contains(kFileMarker) || contains(Label(IDS_TRD_MARKER))) return true;
    for (const char16_t* older : kOlderMarkers)
        if (contains(older)) return true;
    return false;
}

// The tokens of a value line; runs of separators count as one.
bool Tokens(const CString& line, int count, std::vector<CString>& tokens)
{
    tokens.clear();
    int start = 0;
    while (static_cast<int>(tokens.size()) < count) {
        CString token = line.Tokenize(kSeparator, start);
        if (start < 0 || token.IsEmpty()) return false;
        tokens.push_back(token);
    }
    return true;
}

// A whole token as a 32-bit integer; false for anything else.
bool ParseInt(const CString& token, std::int32_t& value)
{
    CString text = token;
    text.Trim();
    int i = 0;
    bool negative = false;
    if (i < text.GetLength() && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
    if (i >= text.GetLength()) return false;
    std::int64_t number = 0;
    for (; i < text.GetLength(); ++i) {
        const char16_t c = text[i];
        if (c < u'0' || c > u'9') return false;
        number = number * 10 + (c - u'0');
        if (number > static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::max()) + 1) return false;
    }
    if (negative) number = -number;
    if (number < std::numeric_limits<std::int32_t>::min() || number > std::numeric_limits<std::int32_t>::max())
        return false;
    value = static_cast<std::int32_t>(number);
    return true;
}

bool ParseReal(const CString& token, double& value)
{
    CString text = token;
    text.Trim();
    const char16_t* end = nullptr;
    value = WideToDouble(text, &end);
    return end && *end == 0 && end != text.GetString() && std::isfinite(value);
}

bool SplitIntsN(const CString& line, std::int32_t* values, int count)
{
    std::vector<CString> tokens;
    if (!Tokens(line, count, tokens)) return false;
    for (int i = 0; i < count; ++i)
        if (!ParseInt(tokens[i], values[i])) return false;
    return true;
}

bool InRange(const std::int32_t* values, std::int32_t low, std::int32_t high)
{
    for (int ch = 0; ch < kTraceChannelCount; ++ch)
        if (values[ch] < low || values[ch] > high) return false;
    return true;
}

}  // namespace

CTrcDatFile::CTrcDatFile() : CStdioFile(platform::GetAnsiCodePage()) {}

BOOL CTrcDatFile::Put(const CString& text)
{
    WriteString(text);
    return Failed() ? FALSE : TRUE;
}

BOOL CTrcDatFile::ReadLine(CString& line) { return ReadString(line); }

BOOL CTrcDatFile::ReadValueLine(CString& line)
{
    CString label;
    return ReadLine(label) && ReadLine(line);
}

BOOL CTrcDatFile::ReadEmptyLine()
{
    CString line;
    return ReadLine(line) && line.IsEmpty();
}

CString CTrcDatFile::LabelLine(std::initializer_list<UINT> ids)
{
    CString line;
    for (UINT id : ids) {
        if (!line.IsEmpty()) line += kSeparator;
        line += Label(id);
    }
    return line + u"\n";
}

CString CTrcDatFile::ChannelLabelLine(UINT nLabelId)
{
    const CString label = Label(nLabelId);
    CString line;
    for (int ch = 0; ch < kTraceChannelCount; ++ch) {
        if (ch) line += kSeparator;
        line.AppendFormat(u"%s Ch.%d", label.GetString(), ch + 1);
    }
    return line + u"\n";
}

CString CTrcDatFile::JoinTexts(const CString* texts)
{
    CString line;
    for (int ch = 0; ch < kTraceChannelCount; ++ch) {
        if (ch) line += kSeparator;
        line += FieldText(texts[ch]);
    }
    return line + u"\n";
}

CString CTrcDatFile::JoinReals(const double* values)
{
    CString line;
    for (int ch = 0; ch < kTraceChannelCount; ++ch) line.AppendFormat(ch ? u",%.5f" : u"%.5f", values[ch]);
    return line + u"\n";
}

CString CTrcDatFile::JoinShorts(const std::uint16_t* values)
{
    CString line;
    for (int ch = 0; ch < kTraceChannelCount; ++ch) line.AppendFormat(ch ? u",%d" : u"%d", static_cast<int>(values[ch]));
    return line + u"\n";
}

CString CTrcDatFile::JoinBytes(const std::uint8_t* values)
{
    CString line;
    for (int ch = 0; ch < kTraceChannelCount; ++ch) line.AppendFormat(ch ? u",%d" : u"%d", static_cast<int>(values[ch]));
    return line + u"\n";
}

CString CTrcDatFile::JoinInts(const std::int32_t* values)
{
    CString line;
    for (int ch = 0; ch < kTraceChannelCount; ++ch) line.AppendFormat(ch ? u",%d" : u"%d", values[ch]);
    return line + u"\n";
}

BOOL CTrcDatFile::SplitShorts(const CString& line, std::uint16_t* values)
{
    std::int32_t wide[kTraceChannelCount];
    if (!SplitIntsN(line, wide, kTraceChannelCount)) return FALSE;
    for (int ch = 0; ch < kTraceChannelCount; ++ch) values[ch] = static_cast<std::uint16_t>(wide[ch]);
    return TRUE;
}

BOOL CTrcDatFile::SplitBytes(const CString& line, std::uint8_t* values)
{
    std::int32_t wide[kTraceChannelCount];
    if (!SplitIntsN(line, wide, kTraceChannelCount)) return FALSE;
    for (int ch = 0; ch < kTraceChannelCount; ++ch) values[ch] = static_cast<std::uint8_t>(wide[ch]);
    return TRUE;
}

BOOL CTrcDatFile::SplitInts(const CString& line, std::int32_t* values)
{
    return SplitIntsN(line, values, kTraceChannelCount) ? TRUE : FALSE;
}

BOOL CTrcDatFile::SplitTexts(const CString& line, CString* values)
{
    std::vector<CString> tokens;
    if (!Tokens(line, kTraceChannelCount, tokens)) return FALSE;
    for (int ch = 0; ch < kTraceChannelCount; ++ch) values[ch] = TextOfField(tokens[ch]);
    return TRUE;
}

BOOL CTrcDatFile::SplitReals(const CString& line, double* values)
{
    std::vector<CString> tokens;
    if (!Tokens(line, kTraceChannelCount, tokens)) return FALSE;
    for (int ch = 0; ch < kTraceChannelCount; ++ch)
        if (!ParseReal(tokens[ch], values[ch])) return FALSE;
    return TRUE;
}

BOOL CTrcDatFile::WriteStartMark() { return Put(CString(kFileMarker) + u"\n\n"); }

BOOL CTrcDatFile::WriteEndMark()
{
    CString marker = kFileMarker;
    marker.MakeReverse();
    return Put(marker + u"\n");
}

BOOL CTrcDatFile::WriteControllerInfo(const robconsettag& robCon)
{
    CString values;
    values.Format(u"%s,%s,%s\n", FieldText(robCon.strController).GetString(),
                  FieldText(robCon.strVersion).GetString(), FieldText(robCon.strRobot).GetString());
    return Put(LabelLine({IDS_TRD_CONTROLLER, IDS_TRD_VERSION, IDS_TRD_ROBOT}) + values + u"\n");
}

BOOL CTrcDatFile::WriteTraceSettings(const tracesettag& traceSet)
{
    CString values;
    values.Format(u"%d,%d,%d\n", traceSet.TRACE_MODE, traceSet.TRACE_NUM, static_cast<int>(traceSet.wInterval));
    return Put(LabelLine({IDS_TRD_TRACE_MODE, IDS_TRD_TRACE_NUM, IDS_TRD_INTERVAL}) + values +
               ChannelLabelLine(IDS_TRD_TARGET) + JoinShorts(traceSet.SEL_DAT_CH) + ChannelLabelLine(IDS_TRD_BIT) +
               JoinBytes(traceSet.SEL_BIT_CH) + u"\n");
}

BOOL CTrcDatFile::WriteTriggerSettings(const TraceTriggerSettings& trigSet)
{
    CString values;
    values.Format(u"%d,%d,%d,%d,%d\n", static_cast<int>(trigSet.MODE), static_cast<int>(trigSet.PRE_TRIGGER),
                  static_cast<int>(trigSet.SOURCE), trigSet.LEVEL, static_cast<int>(trigSet.SLOPE));
    return Put(LabelLine({IDS_TRD_TRIGGER_FIRST, IDS_TRD_TRIGGER_FIRST + 1, IDS_TRD_TRIGGER_FIRST + 2,
                          IDS_TRD_TRIGGER_FIRST + 3, IDS_TRD_TRIGGER_FIRST + 4}) +
               values + u"\n");
}

BOOL CTrcDatFile::WriteGraphSettings(const TraceGraphSettings& graphSet)
{
    CString head;
    head.Format(u"%s,%d,%d\n", FieldText(graphSet.TITLE).GetString(), graphSet.bTitleFrame,
                static_cast<int>(graphSet.crTitleFrame));
    std::int32_t colours[kTraceChannelCount];
    for (int ch = 0; ch < kTraceChannelCount; ++ch) colours[ch] = static_cast<std::int32_t>(graphSet.crChannel[ch]);
    CString tail;
    tail.Format(u"%d,%d\n", graphSet.SPLIT_NUM, graphSet.ZOOM);
    return Put(LabelLine({IDS_TRD_TITLE, IDS_TRD_TITLE_FRAME, IDS_TRD_FRAME_COLOUR}) + head +
               ChannelLabelLine(IDS_TRD_DRAW) + JoinInts(graphSet.DRAW_CH) + ChannelLabelLine(IDS_TRD_COLOUR) +
               JoinInts(colours) + ChannelLabelLine(IDS_TRD_LINE_WIDTH) + JoinInts(graphSet.LINE_WIDTH_CH) +
               ChannelLabelLine(IDS_TRD_GRAPH_NO) + JoinInts(graphSet.GRAPH_NO_CH) +
               ChannelLabelLine(IDS_TRD_POSITION) + JoinInts(graphSet.POSITION_CH) + ChannelLabelLine(IDS_TRD_UNIT) +
               JoinTexts(graphSet.strUnit) + ChannelLabelLine(IDS_TRD_LABEL) + JoinTexts(graphSet.strLabel) +
               LabelLine({IDS_TRD_SPLIT, IDS_TRD_ZOOM}) + tail + u"\n");
}

BOOL CTrcDatFile::WriteRangeSettings(const TraceRangeSettings& rangeSet)
{
    return Put(ChannelLabelLine(IDS_TRD_AUTO_RANGE) + JoinInts(rangeSet.AUTO_RANGE_CH) +
               ChannelLabelLine(IDS_TRD_UPPER) + JoinInts(rangeSet.nUpperLimit) + ChannelLabelLine(IDS_TRD_LOWER) +
               JoinInts(rangeSet.nLowerLimit) + ChannelLabelLine(IDS_TRD_MANU_MAX) + JoinInts(rangeSet.MANU_MAX_CH) +
               ChannelLabelLine(IDS_TRD_MANU_MIN) + JoinInts(rangeSet.MANU_MIN_CH) +
               ChannelLabelLine(IDS_TRD_MANU_MAX_REAL) + JoinReals(rangeSet.MANU_MAX_REAL_CH) +
               ChannelLabelLine(IDS_TRD_MANU_MIN_REAL) + JoinReals(rangeSet.MANU_MIN_REAL_CH) + u"\n");
}

BOOL CTrcDatFile::WriteScaleSettings(const TraceScaleSettings& scaleSet)
{
    const double* rows[] = {scaleSet.RATIO_CH,   scaleSet.OFFSET_CH,  scaleSet.POINT_1_CH,
                            scaleSet.POINT_1_SC_CH, scaleSet.POINT_2_CH, scaleSet.POINT_2_SC_CH};
    CString text = ChannelLabelLine(IDS_TRD_SCALE_TYPE) + JoinInts(scaleSet.SCL_TYPE_CH);
    for (int row = 0; row < 6; ++row) text += ChannelLabelLine(IDS_TRD_SCALE_FIRST + row) + JoinReals(rows[row]);
    return Put(text + u"\n");
}

BOOL CTrcDatFile::WriteData(BOOL bLooped, int nUpdatePointer, int nTriggerPos, int nTraceNum, const SampleSet& data)
{
    if (!data.IsAllocated() || nTraceNum < 0) return FALSE;
    if (!Put(ChannelLabelLine(IDS_TRD_DATA))) return FALSE;
    int slot = 0;
    if (bLooped && nUpdatePointer >= 0 && nUpdatePointer <= nTraceNum) slot = nUpdatePointer;
    CString line;
    for (int row = 0; row <= nTraceNum; ++row) {
        if (slot > nTraceNum) slot = 0;
        line.Format(u"%d,%d,%d,%d\n", data.pCh[0][slot], data.pCh[1][slot], data.pCh[2][slot], data.pCh[3][slot]);
        WriteString(line);
        ++slot;
    }
    if (Failed()) return FALSE;
    CString tail;
    tail.Format(u"\n%s\n%d\n\n", Label(IDS_TRD_TRIGGER_POS).GetString(), nTriggerPos);
    return Put(tail);
}

BOOL CTrcDatFile::ReadStartMark()
{
    CString line;
    if (!ReadLine(line) || !HasMarker(line, false)) return FALSE;
    return ReadEmptyLine();
}

BOOL CTrcDatFile::ReadEndMark()
{
    CString line;
    return ReadLine(line) && HasMarker(line, true);
}

BOOL CTrcDatFile::ReadControllerInfo(robconsettag& robCon)
{
    CString line;
    std::vector<CString> tokens;
    if (!ReadValueLine(line) || !Tokens(line, 3, tokens)) return FALSE;
    robCon.strController = TextOfField(tokens[0]);
    robCon.strVersion = TextOfField(tokens[1]);
    robCon.strRobot = TextOfField(tokens[2]);
    return ReadEmptyLine();
}

BOOL CTrcDatFile::ReadTraceSettings(tracesettag& traceSet)
{
    CString line;
    std::int32_t head[3];
    if (!ReadValueLine(line) || !SplitIntsN(line, head, 3)) return FALSE;
    if (head[0] < 0 || head[0] > 1 || head[1] < 1 || head[1] > kMaxTraceNum) return FALSE;
    traceSet.TRACE_MODE = head[0];
    traceSet.TRACE_NUM = head[1];
    traceSet.wInterval = static_cast<std::uint16_t>(head[2]);
    std::int32_t targets[kTraceChannelCount];
    std::int32_t bits[kTraceChannelCount];
    if (!ReadValueLine(line) || !SplitInts(line, targets) || !InRange(targets, 0, 0xFFFF)) return FALSE;
    if (!ReadValueLine(line) || !SplitInts(line, bits) || !InRange(bits, 0, kMaxBitIndex)) return FALSE;
    for (int ch = 0; ch < kTraceChannelCount; ++ch) {
        traceSet.SEL_DAT_CH[ch] = static_cast<std::uint16_t>(targets[ch]);
        traceSet.SEL_BIT_CH[ch] = static_cast<std::uint8_t>(bits[ch]);
    }
    return ReadEmptyLine();
}

BOOL CTrcDatFile::ReadTriggerSettings(TraceTriggerSettings& trigSet)
{
    CString line;
    std::int32_t values[5];
    if (!ReadValueLine(line) || !SplitIntsN(line, values, 5)) return FALSE;
    if (values[1] < 0 || values[1] > 100) return FALSE;
    if (values[2] < 0 || values[2] > kNoTriggerSource || values[4] < 0 || values[4] > kMaxSlope) return FALSE;
    const auto pre = static_cast<std::uint8_t>(values[1]);
    trigSet.MODE = static_cast<std::uint8_t>(values[0]);
    trigSet.PRE_TRIGGER = pre;
    trigSet.SOURCE = static_cast<std::uint8_t>(values[2]);
    trigSet.LEVEL = values[3];
    trigSet.SLOPE = static_cast<std::uint8_t>(values[4]);
    return ReadEmptyLine();
}

BOOL CTrcDatFile::ReadGraphSettings(TraceGraphSettings& graphSet)
{
    CString line;
    std::vector<CString> tokens;
    if (!ReadValueLine(line) || !Tokens(line, 3, tokens)) return FALSE;
    std::int32_t frame = 0;
    std::int32_t frameColour = 0;
    if (!ParseInt(tokens[1], frame) || !ParseInt(tokens[2], frameColour)) return FALSE;
    graphSet.TITLE = TextOfField(tokens[0]).Left(TraceGraphSettings::kMaxTitleLength);
    graphSet.bTitleFrame = frame;
    graphSet.crTitleFrame = static_cast<COLORREF>(frameColour);

    std::int32_t colours[kTraceChannelCount];
    if (!ReadValueLine(line) || !SplitInts(line, graphSet.DRAW_CH) || !InRange(graphSet.DRAW_CH, 0, 1)) return FALSE;
    if (!ReadValueLine(line) || !SplitInts(line, colours)) return FALSE;
    for (int ch = 0; ch < kTraceChannelCount; ++ch) graphSet.crChannel[ch] = static_cast<COLORREF>(colours[ch]);
    if (!ReadValueLine(line) || !SplitInts(line, graphSet.LINE_WIDTH_CH) || !InRange(graphSet.LINE_WIDTH_CH, 1, 3))
        return FALSE;
    if (!ReadValueLine(line) || !SplitInts(line, graphSet.GRAPH_NO_CH) ||
        !InRange(graphSet.GRAPH_NO_CH, 0, kMaxGraphs - 1))
        return FALSE;
    if (!ReadValueLine(line) || !SplitInts(line, graphSet.POSITION_CH) ||
        !InRange(graphSet.POSITION_CH, kMinPosition, kMaxPosition))
        return FALSE;
    if (!ReadValueLine(line) || !SplitTexts(line, graphSet.strUnit)) return FALSE;
    if (!ReadValueLine(line) || !SplitTexts(line, graphSet.strLabel)) return FALSE;
    for (int ch = 0; ch < kTraceChannelCount; ++ch) {
        graphSet.strUnit[ch] = graphSet.strUnit[ch].Left(kMaxUnitLength);
        graphSet.strLabel[ch] = graphSet.strLabel[ch].Left(kMaxLabelLength);
    }
    std::int32_t tail[2];
    if (!ReadValueLine(line) || !SplitIntsN(line, tail, 2)) return FALSE;
    if (tail[0] < 1 || tail[0] > kMaxGraphs || tail[1] < 0 || tail[1] >= kZoomLevels) return FALSE;
    graphSet.SPLIT_NUM = tail[0];
    graphSet.ZOOM = tail[1];
    return ReadEmptyLine();
}

BOOL CTrcDatFile::ReadRangeSettings(TraceRangeSettings& rangeSet)
{
    CString line;
    std::int32_t* ints[] = {rangeSet.AUTO_RANGE_CH, rangeSet.nUpperLimit, rangeSet.nLowerLimit, rangeSet.MANU_MAX_CH,
                            rangeSet.MANU_MIN_CH};
    for (std::int32_t* row : ints)
        if (!ReadValueLine(line) || !SplitInts(line, row)) return FALSE;
    if (!InRange(rangeSet.AUTO_RANGE_CH, 0, 1)) return FALSE;
    for (int ch = 0; ch < kTraceChannelCount; ++ch)
        if (rangeSet.MANU_MAX_CH[ch] <= rangeSet.MANU_MIN_CH[ch]) return FALSE;
    if (!ReadValueLine(line) || !SplitReals(line, rangeSet.MANU_MAX_REAL_CH)) return FALSE;
    if (!ReadValueLine(line) || !SplitReals(line, rangeSet.MANU_MIN_REAL_CH)) return FALSE;
    return ReadEmptyLine();
}

BOOL CTrcDatFile::ReadScaleSettings(TraceScaleSettings& scaleSet)
{
    CString line;
    if (!ReadValueLine(line) || !SplitInts(line, scaleSet.SCL_TYPE_CH) || !InRange(scaleSet.SCL_TYPE_CH, 0, kMaxScaleType))
        return FALSE;
    double* rows[] = {scaleSet.RATIO_CH,      scaleSet.OFFSET_CH,  scaleSet.POINT_1_CH,
                      scaleSet.POINT_1_SC_CH, scaleSet.POINT_2_CH, scaleSet.POINT_2_SC_CH};
    for (double* row : rows)
        if (!ReadValueLine(line) || !SplitReals(line, row)) return FALSE;
    return ReadEmptyLine();
}

BOOL CTrcDatFile::ReadData(int nTraceNum, SampleSet& data, int& nTriggerPos)
{
    if (nTraceNum < 1 || nTraceNum > kMaxTraceNum) return FALSE;
    CString line;
    if (!ReadLine(line)) return FALSE;
    FreeSampleSet(data);
    if (!AllocSampleSet(data, nTraceNum)) return FALSE;
    std::int32_t values[kTraceChannelCount];
    for (int row = 0; row <= nTraceNum; ++row) {
        if (!ReadLine(line) || !SplitInts(line, values)) return FALSE;
        for (int ch = 0; ch < kTraceChannelCount; ++ch) data.pCh[ch][row] = values[ch];
    }
    std::int32_t position = 0;
    if (!ReadEmptyLine() || !ReadLine(line) || !ReadLine(line) || !ParseInt(line, position)) return FALSE;
    if (position < 0 || position > nTraceNum) return FALSE;
    nTriggerPos = position;
    return ReadEmptyLine();
}

BOOL SaveTrcDat(const CString& strPath, const CTraceModel& model, int& nPhase)
{
    nPhase = 0;
    CTrcDatFile file;
    if (!file.Open(strPath, CFile::modeCreate | CFile::modeWrite | CFile::modeAtomic)) {
        AfxMessageBox(IDS_TRD_CANNOT_OPEN, MB_OK | MB_ICONERROR);
        return FALSE;
    }
    const bool written = [&] {
        if (!file.WriteStartMark()) return false;
        nPhase = 1;
        if (!file.WriteControllerInfo(model.m_RobConSet)) return false;
        nPhase = 2;
        if (!file.WriteTraceSettings(model.m_TraceSet)) return false;
        nPhase = 3;
        if (!file.WriteTriggerSettings(model.m_TrigSet)) return false;
        nPhase = 4;
        if (!file.WriteGraphSettings(model.m_GraphSet)) return false;
        nPhase = 5;
        if (!file.WriteRangeSettings(model.m_RangeSet)) return false;
        nPhase = 6;
        if (!file.WriteScaleSettings(model.m_ScaleSet)) return false;
        nPhase = 7;
        // The samples must be as many as the settings say.
        if (model.m_nAllocatedNum != model.m_TraceSet.TRACE_NUM) return false;
        if (!file.WriteData(model.m_bPtrLooped.Get(), model.m_nUpdatePointer, model.m_nTriggerPos,
                            model.m_nAllocatedNum, model.m_DispData))
            return false;
        nPhase = 8;
        if (!file.WriteEndMark()) return false;
        nPhase = kTrdPhaseDone;
        return true;
    }();
    if (!written) {
        file.Abort();
        return FALSE;
    }
    return file.Close();
}

BOOL LoadTrcDat(const CString& strPath, TraceFileContents& file, int& nPhase)
{
    nPhase = 0;
    CTrcDatFile in;
    if (!in.Open(strPath, CFile::modeRead | CFile::shareDenyWrite)) {
        AfxMessageBox(IDS_TRD_CANNOT_OPEN, MB_OK | MB_ICONERROR);
        return FALSE;
    }
    TraceFileContents read;
    const bool ok = [&] {
        if (!in.ReadStartMark()) return false;
        nPhase = 1;
        if (!in.ReadControllerInfo(read.robCon)) return false;
        nPhase = 2;
        if (!in.ReadTraceSettings(read.traceSet)) return false;
        nPhase = 3;
        if (!in.ReadTriggerSettings(read.trigSet)) return false;
        nPhase = 4;
        if (!in.ReadGraphSettings(read.graphSet)) return false;
        nPhase = 5;
        if (!in.ReadRangeSettings(read.rangeSet)) return false;
        nPhase = 6;
        if (!in.ReadScaleSettings(read.scaleSet)) return false;
        nPhase = 7;
        int position = 0;
        if (!in.ReadData(read.traceSet.TRACE_NUM, read.data, position)) return false;
        read.nTriggerPos = position;
        nPhase = 8;
        if (!in.ReadEndMark()) return false;
        nPhase = kTrdPhaseDone;
        return true;
    }();
    in.Close();
    if (!ok) return FALSE;
    FreeSampleSet(file.data);
    file.robCon = read.robCon;
    file.traceSet = read.traceSet;
    file.trigSet = read.trigSet;
    file.graphSet = read.graphSet;
    file.rangeSet = read.rangeSet;
    file.scaleSet = read.scaleSet;
    file.data = std::exchange(read.data, SampleSet{});
    file.nTriggerPos = read.nTriggerPos;
    return TRUE;
}

void ShowTrcDatError(UINT nMessageId, int nPhase)
{
    CString text;
    text.LoadString(nMessageId);
    CString message;
    message.Format(u"%s\nPhase = %d", text.GetString(), nPhase + 1);
    AfxMessageBox(message, MB_OK | MB_ICONERROR);
}
