#include "tools/TrcDatFile.h"
#include "tools/tests/ToolsTestSupport.h"

#include "tests/support/ScriptedMessageBox.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

using namespace toolstest;

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// A live trace of N samples per channel with every record set.
void FillModel(CTraceModel& model, int n)
{
    model.m_TraceSet.TRACE_MODE = 0;
    model.m_TraceSet.TRACE_NUM = n;
    ASSERT_TRUE(model.AllocBuffers());
    model.m_RobConSet.strController = u"LB";
    model.m_RobConSet.strVersion = u"1.02.003";
    model.m_RobConSet.strRobot = u"RB-100";
    model.m_TraceSet.wInterval = 7;
    model.m_TrigSet = TraceTriggerSettings{1, 2, 1, 30, -500, 0};
    model.m_GraphSet.TITLE = u"Axis run";
    model.m_GraphSet.bTitleFrame = 1;
    model.m_GraphSet.crTitleFrame = 0x123456;
    model.m_GraphSet.SPLIT_NUM = 2;
    model.m_GraphSet.ZOOM = 5;
    for (int ch = 0; ch < kTraceChannelCount; ++ch) {
        model.m_TraceSet.SEL_DAT_CH[ch] = static_cast<std::uint16_t>(60000 + ch);
        model.m_TraceSet.SEL_BIT_CH[ch] = static_cast<std::uint8_t>(28 + ch);
        model.m_GraphSet.GRAPH_NO_CH[ch] = ch / 2;
        model.m_GraphSet.POSITION_CH[ch] = 11 - ch;
        model.m_GraphSet.LINE_WIDTH_CH[ch] = 3;
        model.m_GraphSet.strUnit[ch] = ch == 1 ? CString() : CString(u"mm");
        model.m_RangeSet.nUpperLimit[ch] = 3000 + ch;
        model.m_RangeSet.MANU_MIN_REAL_CH[ch] = -0.5 - ch;
        model.m_ScaleSet.SCL_TYPE_CH[ch] = ch % 3;
        model.m_ScaleSet.POINT_2_SC_CH[ch] = 0.25 * ch;
        for (int i = 0; i <= n; ++i) model.m_DispData.pCh[ch][i] = (ch + 1) * 100000 + i * (ch % 2 ? -1 : 1);
    }
    model.m_GraphSet.strLabel[2] = CString();
    model.m_nTriggerPos = n / 2;
}

class TrcDatFileTest : public ::testing::Test {
protected:
    TrcDatFileTest() { EXPECT_TRUE(language.Loaded()); }
    std::string NativePath(const char* name) const { return settings.Path() + "/" + name; }
    CString PathOf(const char* name) const { return CString::FromUtf8(NativePath(name)); }

    ScopedSettingsFolder settings;
    ScriptedMessageBox boxes;
    ScopedTestLanguage language{"en"};
};

TEST_F(TrcDatFileTest, ASavedTraceLoadsBackWithEveryRecordAndTheRingUnrolled)
{
    struct Case {
        const char* name;
        int looped;
        int updatePointer;
        int firstSlot;
    };
    const Case cases[] = {
        {"a ring that has wrapped starts at the update pointer", 1, 400, 400},
        {"a ring that has not wrapped starts at 0", 0, 400, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTraceModel model;
        FillModel(model, 1000);
        model.m_bPtrLooped = c.looped;
        model.m_nUpdatePointer = c.updatePointer;
        int phase = -1;
        ASSERT_TRUE(SaveTrcDat(PathOf("run.trd"), model, phase));
        EXPECT_EQ(phase, kTrdPhaseDone);

        TraceFileContents file;
        ASSERT_TRUE(LoadTrcDat(PathOf("run.trd"), file, phase));
        EXPECT_EQ(phase, kTrdPhaseDone);
        EXPECT_EQ(file.robCon.strVersion, CString(u"1.02.003"));
        EXPECT_EQ(file.traceSet.TRACE_NUM, 1000);
        EXPECT_EQ(file.traceSet.wInterval, 7);
        EXPECT_EQ(file.trigSet.PRE_TRIGGER, 30);
        EXPECT_EQ(file.trigSet.SOURCE, 2);
        EXPECT_EQ(file.trigSet.LEVEL, -500);
        EXPECT_EQ(file.graphSet.TITLE, CString(u"Axis run"));
        EXPECT_EQ(file.graphSet.crTitleFrame, 0x123456u);
        EXPECT_EQ(file.graphSet.SPLIT_NUM, 2);
        EXPECT_EQ(file.graphSet.ZOOM, 5);
        EXPECT_TRUE(file.graphSet.strUnit[1].IsEmpty()) << "an empty unit is written NULL and read back empty";
        EXPECT_TRUE(file.graphSet.strLabel[2].IsEmpty());
        EXPECT_EQ(file.graphSet.strLabel[3], CString(u"CH4"));
        for (int ch = 0; ch < kTraceChannelCount; ++ch) {
            SCOPED_TRACE(ch);
            EXPECT_EQ(file.traceSet.SEL_DAT_CH[ch], 60000 + ch);
            EXPECT_EQ(file.traceSet.SEL_BIT_CH[ch], 28 + ch);
            EXPECT_EQ(file.graphSet.POSITION_CH[ch], 11 - ch);
            EXPECT_EQ(file.graphSet.crChannel[ch], model.m_GraphSet.crChannel[ch]);
            EXPECT_EQ(file.rangeSet.nUpperLimit[ch], 3000 + ch);
            EXPECT_DOUBLE_EQ(file.rangeSet.MANU_MIN_REAL_CH[ch], -0.5 - ch);
            EXPECT_EQ(file.scaleSet.SCL_TYPE_CH[ch], ch % 3);
            EXPECT_DOUBLE_EQ(file.scaleSet.POINT_2_SC_CH[ch], 0.25 * ch);
            for (int row = 0; row <= 1000; ++row) {
                const int slot = (c.firstSlot + row) % 1001;
                ASSERT_EQ(file.data.pCh[ch][row], model.m_DispData.pCh[ch][slot]) << "row " << row;
            }
        }
        EXPECT_EQ(file.nTriggerPos, 500);
    }
    EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(TrcDatFileTest, TheFileHasMarkersEmptyLinesAndNullTexts)
{
    CTraceModel model;
    FillModel(model, 2);
    model.m_RobConSet.strRobot = CString();
    model.m_GraphSet.TITLE = CString();
    model.m_GraphSet.strLabel[0] = u"speed, actual";
    int phase = 0;
    ASSERT_TRUE(SaveTrcDat(PathOf("small.trd"), model, phase));
    const std::string text = ReadBytes(NativePath("small.trd"));

    EXPECT_EQ(text.rfind("[Trace Data File]\r\n\r\nController,Version,Robot\r\nLB,1.02.003,NULL\r\n\r\n", 0), 0u)
        << text.substr(0, 120);
    EXPECT_NE(text.find("Trigger Mode,Pre-trigger,Source,Level,Slope\r\n1,30,2,-500,1\r\n\r\n"), std::string::npos);
    EXPECT_NE(text.find("Title,Title Frame,Frame Colour\r\nNULL,1,1193046\r\n"), std::string::npos);
    EXPECT_NE(text.find("Label Ch.1,Label Ch.2,Label Ch.3,Label Ch.4\r\nspeed; actual,CH2,NULL,CH4\r\n"),
              std::string::npos)
        << "a separator inside a text would shift every later value";
    EXPECT_NE(text.find("\r\n\r\nTrigger Position\r\n1\r\n\r\n]eliF ataD ecarT["), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 19), "]eliF ataD ecarT[\r\n") << "no empty line after the end marker";

    TraceFileContents file;
    ASSERT_TRUE(LoadTrcDat(PathOf("small.trd"), file, phase));
    EXPECT_TRUE(file.robCon.strRobot.IsEmpty());
    EXPECT_TRUE(file.graphSet.TITLE.IsEmpty());
    EXPECT_EQ(file.graphSet.strLabel[0], CString(u"speed; actual"));
}

// The lines of a good file of N = 2, to damage one at a time.
std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

std::string Join(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

int IndexOf(const std::vector<std::string>& lines, const std::string& label)
{
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (lines[i].rfind(label, 0) == 0) return static_cast<int>(i);
    return -1;
}

TEST_F(TrcDatFileTest, ADamagedFileIsRefusedAtItsStepAndChangesNothing)
{
    CTraceModel model;
    FillModel(model, 2);
    int phase = 0;
    ASSERT_TRUE(SaveTrcDat(PathOf("good.trd"), model, phase));
    const std::vector<std::string> good = Lines(ReadBytes(NativePath("good.trd")));
    const int traceValues = IndexOf(good, "Trace Mode") + 1;
    const int zoomValues = IndexOf(good, "Graphs,Zoom") + 1;
    const int firstSample = IndexOf(good, "Data Ch.1") + 1;
    const int position = IndexOf(good, "Trigger Position") + 1;
    const int targets = IndexOf(good, "Target Ch.1") + 1;
    const int bits = IndexOf(good, "Bit Ch.1") + 1;
    const int trigger = IndexOf(good, "Trigger Mode") + 1;
    const int draw = IndexOf(good, "Draw Ch.1") + 1;
    const int autoRange = IndexOf(good, "Auto Range Ch.1") + 1;
    const int manualMax = IndexOf(good, "Manual Max Ch.1") + 1;
    const int scaling = IndexOf(good, "Scaling Ch.1") + 1;
    for (int index : {targets, bits, trigger, draw, autoRange, manualMax, scaling}) ASSERT_GT(index, 0);
    ASSERT_GT(traceValues, 0);
    ASSERT_GT(zoomValues, 0);
    ASSERT_GT(firstSample, 0);
    ASSERT_GT(position, 0);

    struct Case {
        const char* name;
        std::function<void(std::vector<std::string>&)> damage;
        int phase;
    };
    const Case cases[] = {
        {"no start marker", [](auto& l) { l[0] = "something else"; }, 0},
        {"a field lost from the controller line", [](auto& l) { l[3] = "LB,,RB-100"; }, 1},
        {"a trace count that is no number", [&](auto& l) { l[traceValues] = "0,two,7"; }, 2},
        {"a trace count of 0", [&](auto& l) { l[traceValues] = "0,0,7"; }, 2},
        {"a trace count beyond the set-up's range", [&](auto& l) { l[traceValues] = "0,100001,7"; }, 2},
        {"a block that does not end with an empty line", [&](auto& l) { l[traceValues + 5] = "x"; }, 2},
        {"a zoom index out of range", [&](auto& l) { l[zoomValues] = "2,8"; }, 4},
        {"a target beyond 16 bits", [&](auto& l) { l[targets] = "1,65536,3,4"; }, 2},
        {"a negative target", [&](auto& l) { l[targets] = "1,-1,3,4"; }, 2},
        {"a bit index beyond 31", [&](auto& l) { l[bits] = "0,32,0,0"; }, 2},
        {"a trigger source above 4", [&](auto& l) { l[trigger] = "1,30,5,-500,0"; }, 3},
        {"a slope above 1", [&](auto& l) { l[trigger] = "1,30,2,-500,2"; }, 3},
        {"a pre-trigger above 100", [&](auto& l) { l[trigger] = "1,101,2,-500,0"; }, 3},
        {"a draw flag of 2", [&](auto& l) { l[draw] = "1,2,1,1"; }, 4},
        {"an auto-range flag of -1", [&](auto& l) { l[autoRange] = "1,-1,1,1"; }, 5},
        {"a manual maximum equal to its minimum", [&](auto& l) { l[manualMax] = "1000,-1000,1000,1000"; }, 5},
        {"a scale type of 3", [&](auto& l) { l[scaling] = "0,1,3,0"; }, 6},
        {"a sample that is no number", [&](auto& l) { l[firstSample + 1] = "1,2,x,4"; }, 7},
        {"cut inside the samples", [&](auto& l) { l.resize(firstSample + 2); }, 7},
        {"a trigger position past the samples", [&](auto& l) { l[position] = "3"; }, 7},
        {"no end marker", [](auto& l) { l.pop_back(); }, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> lines = good;
        c.damage(lines);
        WriteBytes(NativePath("bad.trd"), Join(lines));
        TraceFileContents file;
        file.graphSet.TITLE = u"untouched";
        int failedAt = -1;
        EXPECT_FALSE(LoadTrcDat(PathOf("bad.trd"), file, failedAt));
        EXPECT_EQ(failedAt, c.phase);
        EXPECT_EQ(file.graphSet.TITLE, CString(u"untouched"));
        EXPECT_FALSE(file.data.IsAllocated());
    }
    EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(TrcDatFileTest, AFileWrittenInOneLanguageOpensInTheOther)
{
    const std::string japanesePath = NativePath("japanese.trd");
    const std::string englishPath = NativePath("english.trd");
    {
        ScopedTestLanguage ja("ja");
        ASSERT_TRUE(ja.Loaded());
        CTraceModel model;
        FillModel(model, 3);
        int phase = 0;
        ASSERT_TRUE(SaveTrcDat(CString::FromUtf8(japanesePath), model, phase));
    }
    {
        CTraceModel model;
        FillModel(model, 3);
        int phase = 0;
        ASSERT_TRUE(SaveTrcDat(CString::FromUtf8(englishPath), model, phase));
    }
    TraceFileContents file;
    int phase = -1;
    EXPECT_TRUE(LoadTrcDat(CString::FromUtf8(japanesePath), file, phase)) << "Japanese file, English interface";
    EXPECT_EQ(phase, kTrdPhaseDone);
    EXPECT_EQ(file.graphSet.TITLE, CString(u"Axis run"));
    {
        ScopedTestLanguage ja("ja");
        TraceFileContents back;
        EXPECT_TRUE(LoadTrcDat(CString::FromUtf8(englishPath), back, phase)) << "English file, Japanese interface";
        EXPECT_EQ(phase, kTrdPhaseDone);
    }
}

TEST_F(TrcDatFileTest, AFileOfAnOlderVersionWithTheJapaneseMarkerOpens)
{
    CTraceModel model;
    FillModel(model, 2);
    int phase = 0;
    ASSERT_TRUE(SaveTrcDat(PathOf("old.trd"), model, phase));
    std::vector<std::string> lines = Lines(ReadBytes(NativePath("old.trd")));
    ScopedCodePage japanese(CP_SHIFT_JIS);
    // "[トレースデータファイル]" and its reverse in the Japanese code page.
    lines.front() = "[\x83" "g\x83" "\x8c" "\x81" "[\x83" "X\x83" "f\x81" "[\x83" "^\x83" "t\x83" "@\x83" "C\x83" "\x8b" "]";
    lines.back() = "]\x83" "\x8b" "\x83" "C\x83" "@\x83" "t\x83" "^\x81" "[\x83" "f\x83" "X\x81" "[\x83" "\x8c" "\x83" "g[";
    WriteBytes(NativePath("old.trd"), Join(lines));
    TraceFileContents file;
    EXPECT_TRUE(LoadTrcDat(PathOf("old.trd"), file, phase));
    EXPECT_EQ(phase, kTrdPhaseDone);
}

TEST_F(TrcDatFileTest, TextsAreCutToTheLengthsTheWindowShows)
{
    CTraceModel model;
    FillModel(model, 2);
    model.m_GraphSet.TITLE = CString(u'T', 80);
    model.m_GraphSet.strUnit[0] = CString(u'u', 30);
    model.m_GraphSet.strLabel[1] = CString(u'l', 90);
    int phase = 0;
    ASSERT_TRUE(SaveTrcDat(PathOf("long.trd"), model, phase));
    TraceFileContents file;
    ASSERT_TRUE(LoadTrcDat(PathOf("long.trd"), file, phase));
    EXPECT_EQ(file.graphSet.TITLE, CString(u'T', 50));
    EXPECT_EQ(file.graphSet.strUnit[0], CString(u'u', 14));
    EXPECT_EQ(file.graphSet.strLabel[1], CString(u'l', 40));
}

TEST_F(TrcDatFileTest, AFailedSaveLeavesTheOldFileWhole)
{
    CTraceModel model;
    FillModel(model, 5);
    int phase = 0;
    ASSERT_TRUE(SaveTrcDat(PathOf("keep.trd"), model, phase));
    const std::string before = ReadBytes(NativePath("keep.trd"));

    // The set-up changed the count but the samples were not reallocated yet.
    model.m_TraceSet.TRACE_NUM = 7;
    EXPECT_FALSE(SaveTrcDat(PathOf("keep.trd"), model, phase));
    EXPECT_EQ(phase, 7);
    EXPECT_EQ(ReadBytes(NativePath("keep.trd")), before);

    boxes.Answer(IDOK, u"cannot be opened");
    EXPECT_FALSE(SaveTrcDat(PathOf("no-such-folder/x.trd"), model, phase));
    EXPECT_EQ(phase, 0);
    boxes.Answer(IDOK, u"cannot be opened");
    TraceFileContents file;
    EXPECT_FALSE(LoadTrcDat(PathOf("missing.trd"), file, phase));
}

TEST_F(TrcDatFileTest, ErrorMessagesNameTheFailingStep)
{
    boxes.Answer(IDOK, u"The trace data file cannot be read.\nPhase = 8");
    ShowTrcDatError(IDS_TRD_CANNOT_LOAD, 7);
    ASSERT_EQ(boxes.Shown().size(), 1u);
}

TEST_F(TrcDatFileTest, ShowingAFileAndClosingItBringsBackTheLiveTraceExactly)
{
    CTraceModel other;
    FillModel(other, 3);
    int phase = 0;
    ASSERT_TRUE(SaveTrcDat(PathOf("other.trd"), other, phase));

    CTraceModel live;
    live.m_TraceSet.TRACE_NUM = 10;
    ASSERT_TRUE(live.AllocBuffers());
    for (int i = 0; i <= 10; ++i) live.m_DispData.pCh[1][i] = i * i;
    live.m_nUpdatePointer = 4;
    live.m_bPtrLooped = 1;
    live.m_bDataPresent = 1;
    live.m_GraphSet.TITLE = u"live";
    live.m_Options.GRAPH_DISP_MODE = 1;

    TraceFileContents file;
    ASSERT_TRUE(LoadTrcDat(PathOf("other.trd"), file, phase));
    live.ShowFile(file);
    EXPECT_TRUE(live.IsFileShown());
    EXPECT_EQ(live.m_TraceSet.TRACE_NUM, 3);
    EXPECT_EQ(live.m_nAllocatedNum, 3);
    EXPECT_EQ(live.m_GraphSet.TITLE, CString(u"Axis run"));
    EXPECT_EQ(live.m_DispData.pCh[0][3], other.m_DispData.pCh[0][3]);
    EXPECT_EQ(live.GetUpdatePointer(), -1);
    EXPECT_EQ(live.m_Options.GRAPH_DISP_MODE, 0);

    // A second file shown over the first keeps the live copy taken before.
    TraceFileContents again;
    ASSERT_TRUE(LoadTrcDat(PathOf("other.trd"), again, phase));
    live.ShowFile(again);

    ASSERT_TRUE(live.CloseFile());
    EXPECT_FALSE(live.IsFileShown());
    EXPECT_EQ(live.m_TraceSet.TRACE_NUM, 10);
    EXPECT_EQ(live.m_nAllocatedNum, 10);
    EXPECT_TRUE(live.HasBuffers());
    EXPECT_EQ(live.m_GraphSet.TITLE, CString(u"live"));
    EXPECT_EQ(live.m_Options.GRAPH_DISP_MODE, 1);
    for (int i = 0; i <= 10; ++i) EXPECT_EQ(live.m_DispData.pCh[1][i], i * i);
    EXPECT_EQ(live.GetUpdatePointer(), 4);
    EXPECT_EQ(live.GetPtrLoopedFlag(), 1);
    EXPECT_FALSE(live.CloseFile());
}

}  // namespace
