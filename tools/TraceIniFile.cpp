#include "tools/TraceIniFile.h"

#include "tools/ToolsLibrary.h"
#include "tools/WindowPlacement.h"

#include "platform/core/Profile.h"

namespace {

constexpr const char16_t* kTraceSection = u"TRACE_SETTINGS";
constexpr const char16_t* kTargetSection = u"TARGET_SETTINGS";
constexpr const char16_t* kGraphSection = u"GRAPH_SETTINGS";
constexpr const char16_t* kScaleSection = u"SCALE_SETTINGS";
constexpr const char16_t* kRangeSection = u"RANGE_SETTINGS";
constexpr const char16_t* kTriggerSection = u"TRIGGER_SETTINGS";
constexpr const char16_t* kOptionSection = u"OPTION_SETTINGS";
constexpr const char16_t* kABCursorSection = u"AB_CUSOR_DIALOG";
constexpr const char16_t* kCalcSection = u"CALCULATOR_DIALOG";
constexpr const char16_t* kWindowSection = u"REAL TIME TRACE";
constexpr const char16_t* kViewerSection = u"TRDVIEWER_DIALOG";

constexpr int kDefaultIniTraceNum = 1000;
constexpr std::int32_t kDefaultIniLevel = 10;

CString ChannelKey(const char16_t* format, int channel)
{
    CString key;
    key.Format(format, channel + 1);
    return key;
}

int ReadInt(const char16_t* section, const CString& key, int defaultValue, const CString& path)
{
    return platform::ReadPrivateProfileInt(section, key, defaultValue, path);
}

int ReadIntIn(const char16_t* section, const CString& key, int defaultValue, int low, int high, const CString& path)
{
    const int value = ReadInt(section, key, defaultValue, path);
    return value < low || value > high ? defaultValue : value;
}

double ReadReal(const char16_t* section, const CString& key, const char16_t* defaultText, const CString& path)
{
    const CString text = platform::ReadPrivateProfileString(section, key, defaultText, path);
    return WideToDouble(text);
}

std::int32_t ReadDecimal(const char16_t* section, const CString& key, const char16_t* defaultText,
                         const CString& path)
{
    const CString text = platform::ReadPrivateProfileString(section, key, defaultText, path);
    return WideToLong(text);
}

// Collects the result of every write, so one failure is reported at the end.
class IniWriter {
public:
    explicit IniWriter(const CString& path) : m_path(path) {}

    void Text(const char16_t* section, const CString& key, const CString& value)
    {
        if (!WritePrivateProfileStringW(section, key, value, m_path)) m_ok = false;
    }
    void Int(const char16_t* section, const CString& key, long long value)
    {
        CString text;
        text.Format(u"%I64d", value);
        Text(section, key, text);
    }
    void Real(const char16_t* section, const CString& key, double value)
    {
        CString text;
        text.Format(u"%.5f", value);
        Text(section, key, text);
    }
    void Rect(const char16_t* section, const RECT& rect)
    {
        Int(section, u"LEFT", rect.left);
        Int(section, u"TOP", rect.top);
        Int(section, u"RIGHT", rect.right);
        Int(section, u"BOTTOM", rect.bottom);
    }
    bool Ok() const { return m_ok; }

private:
    CString m_path;
    bool m_ok = true;
};

}  // namespace

CString GetTraceIniPath() { return GetToolsSettingsPath(kTraceIniFileName); }

void ReadTraceIniFile(CTraceModel& model, const CString& strPath)
{
    const CString& path = strPath;
    tracesettag& trace = model.m_TraceSet;
    trace.TRACE_MODE = ReadIntIn(kTraceSection, u"TRACE_MODE", 0, 0, 1, path);
    trace.TRACE_NUM = ReadIntIn(kTraceSection, u"TRACE_NUM", kDefaultIniTraceNum, 1, kMaxTraceNum, path);
    if (model.m_bLive) {
        for (int ch = 0; ch < kTraceChannelCount; ++ch)
            trace.SEL_DAT_CH[ch] =
                static_cast<std::uint16_t>(ReadIntIn(kTargetSection, ChannelKey(u"SEL_DAT_CH%d", ch), 0, 0, 0xFFFF, path));
        for (int ch = 0; ch < kTraceChannelCount; ++ch)
            trace.SEL_BIT_CH[ch] = static_cast<std::uint8_t>(
                ReadIntIn(kTargetSection, ChannelKey(u"SEL_BIT_CH%d", ch), 0, 0, kMaxBitIndex, path));
    }

    TraceGraphSettings& graph = model.m_GraphSet;
    graph.TITLE = platform::ReadPrivateProfileString(kGraphSection, u"TITLE", u"", path)
                      .Left(TraceGraphSettings::kMaxTitleLength);
    graph.SPLIT_NUM = ReadIntIn(kGraphSection, u"SPLIT_NUM", 1, 1, kMaxGraphs, path);
    graph.ZOOM = ReadIntIn(kGraphSection, u"ZOOM", 3, 0, kZoomLevels - 1, path);
    for (int ch = 0; ch < kTraceChannelCount; ++ch)
        graph.DRAW_CH[ch] = ReadIntIn(kGraphSection, ChannelKey(u"DRAW_CH%d", ch), 1, 0, 1, path);
    for (int ch = 0; ch < kTraceChannelCount; ++ch)
        graph.LINE_WIDTH_CH[ch] = ReadIntIn(kGraphSection, ChannelKey(u"LINE_WIDTH_CH%d", ch), 2, 1, 3, path);
    for (int ch = 0; ch < kTraceChannelCount; ++ch)
        graph.GRAPH_NO_CH[ch] = ReadIntIn(kGraphSection, ChannelKey(u"GRAPH_NO_CH%d", ch), 0, 0, kMaxGraphs - 1, path);
    for (int ch = 0; ch < kTraceChannelCount; ++ch)
        graph.POSITION_CH[ch] = ReadIntIn(kGraphSection, ChannelKey(u"POSITION_CH%d", ch), kDefaultPosition,
                                          kMinPosition, kMaxPosition, path);

    TraceScaleSettings& scale = model.m_ScaleSet;
    for (int ch = 0; ch < kTraceChannelCount; ++ch)
        scale.SCL_TYPE_CH[ch] = ReadIntIn(kScaleSection, ChannelKey(u"SCL_TYPE_CH%d", ch), 0, 0, kMaxScaleType, path);
    for (int ch = 0; ch < kTraceChannelCount; ++ch)
        scale.RATIO_CH[ch] = ReadReal(kScaleSection, ChannelKey(u"RATIO_CH%d", ch), u"1.0", path);
    for (int ch = 0; ch < kTraceChannelCount; ++ch)
        scale.OFFSET_CH[ch] = ReadReal(kScaleSection, ChannelKey(u"OFFSET_CH%d", ch), u"0.0", path);
    for (int ch = 0; ch < kTraceChannelCount; ++ch)
        scale.POINT_1_CH[ch] = ReadReal(kScaleSection, ChannelKey(u"POINT_1_CH%d", ch), u"1.0", path);
    for (int ch = 0; ch < kTraceChannelCount; ++ch)
        scale.POINT_1_SC_CH[ch] = ReadReal(kScaleSection, ChannelKey(u"POINT_1_SC_CH%d", ch), u"1.0", path);
    for (int ch = 0; ch < kTraceChannelCount; ++ch)
        scale.POINT_2_CH[ch] = ReadReal(kScaleSection, ChannelKey(u"POINT_2_CH%d", ch), u"-1.0", path);
    for (int ch = 0; ch < kTraceChannelCount; ++ch)
        scale.POINT_2_SC_CH[ch] = ReadReal(kScaleSection, ChannelKey(u"POINT_2_SC_CH%d", ch), u"-1.0", path);

    TraceRangeSettings& range = model.m_RangeSet;
    for (int ch = 0; ch < kTraceChannelCount; ++ch)
        range.AUTO_RANGE_CH[ch] = ReadIntIn(kRangeSection, ChannelKey(u"AUTO_RANGE_CH%d", ch), 1, 0, 1, path);
    for (int ch = 0; ch < kTraceChannelCount; ++ch)
        range.MANU_MAX_CH[ch] = ReadDecimal(kRangeSection, ChannelKey(u"MANU_MAX_CH%d", ch), u"1000", path);
    for (int ch = 0; ch < kTraceChannelCount; ++ch)
        range.MANU_MIN_CH[ch] = ReadDecimal(kRangeSection, ChannelKey(u"MANU_MIN_CH%d", ch), u"-1000", path);
    // A manual range must have room between its limits; otherwise both take their defaults.
    for (int ch = 0; ch < kTraceChannelCount; ++ch) {
        if (range.MANU_MAX_CH[ch] <= range.MANU_MIN_CH[ch]) {
            range.MANU_MAX_CH[ch] = 1000;
            range.MANU_MIN_CH[ch] = -1000;
        }
    }
    for (int ch = 0; ch < kTraceChannelCount; ++ch)
        range.MANU_MAX_REAL_CH[ch] = ReadReal(kRangeSection, ChannelKey(u"MANU_MAX_REAL_CH%d", ch), u"1000.0", path);
    for (int ch = 0; ch < kTraceChannelCount; ++ch)
        range.MANU_MIN_REAL_CH[ch] = ReadReal(kRangeSection, ChannelKey(u"MANU_MIN_REAL_CH%d", ch), u"-1000.0", path);

    TraceTriggerSettings& trigger = model.m_TrigSet;
    trigger.MODE = static_cast<std::uint8_t>(ReadInt(kTriggerSection, u"MODE", 0, path));
    trigger.SOURCE = static_cast<std::uint8_t>(ReadIntIn(kTriggerSection, u"SOURCE", 0, 0, kNoTriggerSource, path));
    trigger.LEVEL = ReadDecimal(kTriggerSection, u"LEVEL", u"10", path);
    const std::uint8_t pre = static_cast<std::uint8_t>(ReadInt(kTriggerSection, u"PRE_TRIGGER", 0, path));
    trigger.PRE_TRIGGER = pre > 100 ? 0 : pre;
    trigger.SLOPE = static_cast<std::uint8_t>(ReadIntIn(kTriggerSection, u"SLOPE", 0, 0, kMaxSlope, path));
    model.UpdatePreTriggerCount();

    TraceOptions& options = model.m_Options;
    options.RIPPLE_RANGE = ReadInt(kOptionSection, u"RIPPLE_RANGE", 1, path);
    options.RANGE_TYPE = ReadIntIn(kOptionSection, u"RANGE_TYPE", 0, 0, 1, path);
    options.AB_DETAILS = ReadInt(kOptionSection, u"AB_DETAILS", 1, path);
    options.GRAPH_POS_SEL = ReadInt(kOptionSection, u"GRAPH_POS_SEL", 1, path);
    options.GRAPH_DISP_MODE = ReadInt(kOptionSection, u"GRAPH_DISP_MODE", 0, path);
    options.COPY_TO = ReadIntIn(kOptionSection, u"COPY_TO", 0, 0, 1, path);
    options.COPY_AREA = ReadInt(kOptionSection, u"COPY_AREA", 0, path);
    options.ERROR_CHECK = ReadInt(kOptionSection, u"ERROR_CHECK", 1, path);
    options.ERROR_DISPLAY = ReadInt(kOptionSection, u"ERROR_DISPLAY", 0, path);

    TraceWindowLayout& layout = model.m_Layout;
    layout.nABCursorShownOnce = ReadInt(kABCursorSection, u"SHOWN_ONCE", 0, path);
    ReadPlacementRect(layout.rcABCursor, kABCursorSection, path);
    layout.nCalcShownOnce = ReadInt(kCalcSection, u"SHOWN_ONCE", 0, path);
    ReadPlacementRect(layout.rcCalc, kCalcSection, path);
    layout.OPEN_W_VIEWER = ReadInt(kWindowSection, u"OPEN_W_VIEWER", 0, path);
    layout.S_OPE_POINT = ReadInt(kWindowSection, u"S_OPE_POINT", 1, path);
    if (ReadInt(kViewerSection, u"SAVED", 0, path) != 0) {
        ReadPlacementRect(layout.viewer.rcNormal, kViewerSection, path);
        layout.viewer.bZoomed = ReadPlacementZoomed(kViewerSection, path);
    }
    ReadPlacementRect(layout.window.rcNormal, kWindowSection, path);
    layout.window.bZoomed = ReadPlacementZoomed(kWindowSection, path);
}

BOOL WriteTraceIniFile(const CTraceModel& model, const CString& strPath)
{
    if (strPath.IsEmpty()) return FALSE;
    IniWriter out(strPath);
    out.Text(kWindowSection, u"OPTIMISTIC", u"YES");

    const tracesettag& trace = model.m_TraceSet;
    out.Int(kTraceSection, u"TRACE_MODE", trace.TRACE_MODE);
    out.Int(kTraceSection, u"TRACE_NUM", trace.TRACE_NUM);
    if (model.m_bLive) {
        for (int ch = 0; ch < kTraceChannelCount; ++ch)
            out.Int(kTargetSection, ChannelKey(u"SEL_DAT_CH%d", ch), trace.SEL_DAT_CH[ch]);
        for (int ch = 0; ch < kTraceChannelCount; ++ch)
            out.Int(kTargetSection, ChannelKey(u"SEL_BIT_CH%d", ch), trace.SEL_BIT_CH[ch]);
    }

    const TraceGraphSettings& graph = model.m_GraphSet;
    out.Text(kGraphSection, u"TITLE", graph.TITLE);
    out.Int(kGraphSection, u"SPLIT_NUM", graph.SPLIT_NUM);
    out.Int(kGraphSection, u"ZOOM", graph.ZOOM);
    for (int ch = 0; ch < kTraceChannelCount; ++ch) out.Int(kGraphSection, ChannelKey(u"DRAW_CH%d", ch), graph.DRAW_CH[ch]);
    for (int ch = 0; ch < kTraceChannelCount; ++ch)
        out.Int(kGraphSection, ChannelKey(u"LINE_WIDTH_CH%d", ch), graph.LINE_WIDTH_CH[ch]);
    for (int ch = 0; ch < kTraceChannelCount; ++ch)
        out.Int(kGraphSection, ChannelKey(u"GRAPH_NO_CH%d", ch), graph.GRAPH_NO_CH[ch]);
    for (int ch = 0; ch < kTraceChannelCount; ++ch)
        out.Int(kGraphSection, ChannelKey(u"POSITION_CH%d", ch), graph.POSITION_CH[ch]);

    const TraceScaleSettings& scale = model.m_ScaleSet;
    for (int ch = 0; ch < kTraceChannelCount; ++ch)
        out.Int(kScaleSection, ChannelKey(u"SCL_TYPE_CH%d", ch), scale.SCL_TYPE_CH[ch]);
    for (int ch = 0; ch < kTraceChannelCount; ++ch) out.Real(kScaleSection, ChannelKey(u"RATIO_CH%d", ch), scale.RATIO_CH[ch]);
    for (int ch = 0; ch < kTraceChannelCount; ++ch)
        out.Real(kScaleSection, ChannelKey(u"OFFSET_CH%d", ch), scale.OFFSET_CH[ch]);
    for (int ch = 0; ch < kTraceChannelCount; ++ch)
        out.Real(kScaleSection, ChannelKey(u"POINT_1_CH%d", ch), scale.POINT_1_CH[ch]);
    for (int ch = 0; ch < kTraceChannelCount; ++ch)
        out.Real(kScaleSection, ChannelKey(u"POINT_1_SC_CH%d", ch), scale.POINT_1_SC_CH[ch]);
    for (int ch = 0; ch < kTraceChannelCount; ++ch)
        out.Real(kScaleSection, ChannelKey(u"POINT_2_CH%d", ch), scale.POINT_2_CH[ch]);
    for (int ch = 0; ch < kTraceChannelCount; ++ch)
        out.Real(kScaleSection, ChannelKey(u"POINT_2_SC_CH%d", ch), scale.POINT_2_SC_CH[ch]);

    const TraceRangeSettings& range = model.m_RangeSet;
    for (int ch = 0; ch < kTraceChannelCount; ++ch)
        out.Int(kRangeSection, ChannelKey(u"AUTO_RANGE_CH%d", ch), range.AUTO_RANGE_CH[ch]);
    for (int ch = 0; ch < kTraceChannelCount; ++ch)
        out.Int(kRangeSection, ChannelKey(u"MANU_MAX_CH%d", ch), range.MANU_MAX_CH[ch]);
    for (int ch = 0; ch < kTraceChannelCount; ++ch)
        out.Int(kRangeSection, ChannelKey(u"MANU_MIN_CH%d", ch), range.MANU_MIN_CH[ch]);
    for (int ch = 0; ch < kTraceChannelCount; ++ch)
        out.Real(kRangeSection, ChannelKey(u"MANU_MAX_REAL_CH%d", ch), range.MANU_MAX_REAL_CH[ch]);
    for (int ch = 0; ch < kTraceChannelCount; ++ch)
        out.Real(kRangeSection, ChannelKey(u"MANU_MIN_REAL_CH%d", ch), range.MANU_MIN_REAL_CH[ch]);

    const TraceTriggerSettings& trigger = model.m_TrigSet;
    out.Int(kTriggerSection, u"MODE", trigger.MODE);
    out.Int(kTriggerSection, u"SOURCE", trigger.SOURCE);
    out.Int(kTriggerSection, u"LEVEL", trigger.LEVEL);
    out.Int(kTriggerSection, u"PRE_TRIGGER", trigger.PRE_TRIGGER);
    out.Int(kTriggerSection, u"SLOPE", trigger.SLOPE);

    const TraceOptions& options = model.m_Options;
    out.Int(kOptionSection, u"RIPPLE_RANGE", options.RIPPLE_RANGE);
    out.Int(kOptionSection, u"RANGE_TYPE", options.RANGE_TYPE);
    out.Int(kOptionSection, u"AB_DETAILS", options.AB_DETAILS);
    out.Int(kOptionSection, u"GRAPH_POS_SEL", options.GRAPH_POS_SEL);
    out.Int(kOptionSection, u"GRAPH_DISP_MODE", options.GRAPH_DISP_MODE);
    out.Int(kOptionSection, u"COPY_TO", options.COPY_TO);
    out.Int(kOptionSection, u"COPY_AREA", options.COPY_AREA);
    out.Int(kOptionSection, u"ERROR_CHECK", options.ERROR_CHECK);
    out.Int(kOptionSection, u"ERROR_DISPLAY", options.ERROR_DISPLAY);

    const TraceWindowLayout& layout = model.m_Layout;
    out.Int(kABCursorSection, u"SHOWN_ONCE", layout.nABCursorShownOnce);
    out.Rect(kABCursorSection, layout.rcABCursor);
    out.Int(kCalcSection, u"SHOWN_ONCE", layout.nCalcShownOnce);
    out.Rect(kCalcSection, layout.rcCalc);
    out.Int(kWindowSection, u"OPEN_W_VIEWER", layout.OPEN_W_VIEWER);
    out.Int(kWindowSection, u"S_OPE_POINT", layout.S_OPE_POINT);
    if (layout.viewer.rcNormal.left != 0) {
        out.Rect(kViewerSection, layout.viewer.rcNormal);
        out.Text(kViewerSection, u"ZOOMED", layout.viewer.bZoomed ? u"1" : u"0");
        out.Text(kViewerSection, u"SAVED", u"1");
    }
    out.Rect(kWindowSection, layout.window.rcNormal);
    out.Text(kWindowSection, u"ZOOMED", layout.window.bZoomed ? u"1" : u"0");
    return out.Ok() ? TRUE : FALSE;
}
