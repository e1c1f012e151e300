#include "tools/TraceAcquisition.h"
#include "tools/tests/ToolsTestSupport.h"

#include "tests/support/ScriptedMessageBox.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace toolstest;

CString W(const std::string& utf8) { return CString::FromUtf8(utf8); }

TEST(SampleLineTest, ParsesExactlyFourChannelFieldsAfterTheFirst)
{
    struct Case {
        const char* name;
        const char* line;
        bool bitTarget;  // channel 2 records bit 4 of a hexadecimal value
        bool ok;
        std::int32_t values[4];
    };
    const Case cases[] = {
        {"four decimal fields", "12,1,-2,3,4\r", false, true, {1, -2, 3, 4}},
        {"LF of the previous line in the skipped field", "\n12,1,2,3,4\r", false, true, {1, 2, 3, 4}},
        {"empty third field stores 0", "12,1,2,,4\r", false, true, {1, 2, 0, 4}},
        {"comma before the CR stores 0 in channel 4", "12,1,2,3,\r", false, true, {1, 2, 3, 0}},
        {"six fields", "12,1,2,3,4,5\r", false, false, {}},
        {"four fields", "12,1,2,3\r", false, false, {}},
        {"an empty line", "\r", false, false, {}},
        {"a reply line", "OK.1\r", false, false, {}},
        {"bit 4 of 0x1f is set", "12,1,1f,3,4\r", true, true, {1, 1, 3, 4}},
        {"bit 4 of 0x0f is clear", "12,1,0f,3,4\r", true, true, {1, 0, 3, 4}},
        {"a value beyond 32 bits saturates", "12,99999999999,-99999999999,3,4\r", false, true,
         {2147483647, -2147483647 - 1, 3, 4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        tracesettag set;
        set.bBitTarget[1] = c.bitTarget;
        set.SEL_BIT_CH[1] = 4;
        SampleSet data;
        ASSERT_EQ(AllocSampleSet(data, 2), 1);
        EXPECT_EQ(CTraceAcquisition::ParseSampleLine(W(c.line), set, data, 1, 2) != FALSE, c.ok);
        if (c.ok) {
            for (int ch = 0; ch < kTraceChannelCount; ++ch) EXPECT_EQ(data.pCh[ch][1], c.values[ch]) << "ch " << ch;
        }
        FreeSampleSet(data);
    }

    tracesettag far;
    far.bBitTarget[0] = 1;
    far.SEL_BIT_CH[0] = 200;
    SampleSet data;
    ASSERT_EQ(AllocSampleSet(data, 0), 1);
    EXPECT_TRUE(CTraceAcquisition::ParseSampleLine(u"0,ffffffff,0,0,0\r", far, data, 0, 0));
    EXPECT_EQ(data.pCh[0][0], 0) << "a bit beyond the value is clear";
    EXPECT_FALSE(CTraceAcquisition::ParseSampleLine(u"0,1,2,3,4\r", far, data, 1, 0)) << "slot past N";
    FreeSampleSet(data);
}

// Sample lines "<index>,<ch1>,0,0,0" for a run of channel-1 values.
CString SampleLines(int firstIndex, const std::vector<int>& values)
{
    std::string text;
    int index = firstIndex;
    for (int v : values) text += std::to_string(index++) + "," + std::to_string(v) + ",0,0,0\r\n";
    return W(text);
}

std::vector<int> Ramp(int from, int count)
{
    std::vector<int> values;
    for (int i = 0; i < count; ++i) values.push_back(from + i);
    return values;
}

// A model and its acquisition without link or thread: the test feeds the
// receive text and runs the extract passes itself.
class ExtractTest : public ::testing::Test {
protected:
    void Setup(int n, int mode)
    {
        model.m_TraceSet.TRACE_NUM = n;
        model.m_TraceSet.TRACE_MODE = mode;
        ASSERT_TRUE(model.AllocBuffers());
    }
    void Feed(const CString& text)
    {
        acquisition.Receiver().Append(text);
        acquisition.ExtractLines();
    }
    void FeedSkipped() { Feed(u"OK.1\r\nx\r\n\r\n"); }

    ScriptedMessageBox boxes;
    CTraceModel model;
    CTraceAcquisition acquisition{model};
};

TEST_F(ExtractTest, MonitorTraceFillsTheRingAndWraps)
{
    Setup(4, 0);
    acquisition.StartMonitorTrace();
    EXPECT_EQ(model.GetUpdatePointer(), 0);
    EXPECT_TRUE(model.IsTracing());
    FeedSkipped();
    EXPECT_EQ(acquisition.GetLinesSkipped(), 3);
    Feed(SampleLines(0, {10, 11, 12}) + u"3,bad\r\n" + SampleLines(3, {13, 14}));
    EXPECT_EQ(model.GetUpdatePointer(), 0) << "five good samples fill slots 0..4";
    EXPECT_EQ(model.GetPtrLoopedFlag(), 1);
    Feed(SampleLines(5, {15}) + u"6,16,0,0");
    EXPECT_EQ(model.GetUpdatePointer(), 1);
    EXPECT_EQ(model.m_DispData.pCh[0][0], 15);
    EXPECT_EQ(model.m_DispData.pCh[0][4], 14);
    EXPECT_EQ(acquisition.Receiver().Snapshot(), CString(u"\n6,16,0,0")) << "a line without its CR waits";

    EXPECT_FALSE(acquisition.StopMonitorTrace());
    EXPECT_FALSE(model.IsTracing());
    EXPECT_EQ(model.m_TrigState.bActive, 0);

    acquisition.StartMonitorTrace();
    EXPECT_EQ(model.GetUpdatePointer(), 0);
    EXPECT_EQ(model.GetPtrLoopedFlag(), 0);
    EXPECT_EQ(model.m_DispData.pCh[0][0], 0) << "a new trace starts from a cleared set";
    Feed(SampleLines(0, {1, 2, 3, 4}));
    EXPECT_EQ(model.GetUpdatePointer(), 1) << "the first three lines after each start are dropped";
    EXPECT_EQ(model.m_DispData.pCh[0][0], 4);
}

TEST_F(ExtractTest, TriggerTracesKeepThePreTriggerPartAroundTheTrigger)
{
    struct Case {
        const char* name;
        int n;
        int preTrigger;
        std::uint8_t slope;
        std::vector<int> values;
        int level;
        int triggerValue;  // channel 1 at the trigger sample
        int triggerPos;    // where it lands in the display set
    };
    std::vector<int> falling = Ramp(0, 30);
    for (int& v : falling) v = 100 - v;
    const Case cases[] = {
        {"20 % of 1000: the trigger lands at 200", 1000, 20, 0, Ramp(0, 3000), 1500, 1500, 200},
        {"no pre-trigger: the trigger sample is the first", 10, 0, 0, Ramp(0, 40), 5, 5, 0},
        {"all pre-trigger: the trigger sample is the last", 10, 100, 0, Ramp(0, 40), 15, 15, 10},
        {"level crossed before the pre-trigger part is full: the next crossing", 10, 50, 0,
         std::vector<int>{0, 9, 0, 0, 0, 0, 0, 0, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9}, 5, 9, 5},
        {"falling slope", 10, 30, 1, falling, 85, 85, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTraceModel m;
        CTraceAcquisition a(m);
        m.m_TraceSet.TRACE_NUM = c.n;
        m.m_TraceSet.TRACE_MODE = 1;
        m.m_TraceSet.SEL_DAT_CH[0] = 7;
        m.m_TrigSet.PRE_TRIGGER = static_cast<std::uint8_t>(c.preTrigger);
        m.m_TrigSet.SLOPE = c.slope;
        m.m_TrigSet.LEVEL = c.level;
        ASSERT_TRUE(m.AllocBuffers());
        a.StartTriggerTrace();
        ASSERT_EQ(m.m_TrigState.bActive, 1);
        a.Receiver().Append(u"OK.1\r\nx\r\ny\r\n");
        a.Receiver().Append(SampleLines(0, c.values));
        a.ExtractLines();
        ASSERT_EQ(m.m_TrigState.bActive, 0) << "complete";
        EXPECT_EQ(m.m_TrigState.nPreTriggerCount, c.n * c.preTrigger / 100);
        a.EndTriggerTrace();
        EXPECT_EQ(m.m_nTriggerPos, c.triggerPos);
        EXPECT_EQ(m.m_DispData.pCh[0][c.triggerPos], c.triggerValue);
        if (c.slope == 0 && c.triggerPos > 0) {
            EXPECT_LT(m.m_DispData.pCh[0][c.triggerPos - 1], c.level);
        }
        // Time order: consecutive samples of a ramp differ by one.
        if (c.values == Ramp(0, static_cast<int>(c.values.size()))) {
            for (int i = 1; i <= c.n; ++i) ASSERT_EQ(m.m_DispData.pCh[0][i], m.m_DispData.pCh[0][i - 1] + 1) << i;
        }
        EXPECT_EQ(m.m_bDataPresent, 1);
        EXPECT_FALSE(m.IsTracing());
    }
}

TEST_F(ExtractTest, ASourceWithoutTargetRecordsAtOnce)
{
    Setup(10, 1);
    model.m_TrigSet.PRE_TRIGGER = 50;
    acquisition.StartTriggerTrace();
    EXPECT_EQ(model.m_TrigState.bTriggered, 1);
    EXPECT_EQ(model.m_TrigState.nPostTriggerCount, 10);
    FeedSkipped();
    Feed(SampleLines(0, Ramp(100, 10)));
    EXPECT_EQ(model.m_TrigState.bActive, 1);
    Feed(SampleLines(10, {110, 111}));
    EXPECT_EQ(model.m_TrigState.bActive, 0) << "complete after N + 1 samples";
    acquisition.EndTriggerTrace();
    EXPECT_EQ(model.m_DispData.pCh[0][0], 100);
    EXPECT_EQ(model.m_DispData.pCh[0][10], 110);
}

TEST_F(ExtractTest, TheManualTriggerWorksOnlyOnceThePreTriggerPartIsFull)
{
    Setup(10, 1);
    model.m_TraceSet.SEL_DAT_CH[0] = 3;
    model.m_TrigSet.SOURCE = 4;  // no channel watched
    model.m_TrigSet.PRE_TRIGGER = 50;
    acquisition.StartTriggerTrace();
    FeedSkipped();
    Feed(SampleLines(0, Ramp(0, 3)));
    acquisition.ManualTrigger();
    EXPECT_EQ(model.m_TrigState.bTriggered, 0) << "pre-trigger part not full";
    Feed(SampleLines(3, Ramp(3, 30)));
    EXPECT_EQ(model.m_TrigState.bTriggered, 0) << "a source of 4 never triggers by itself";
    EXPECT_EQ(model.m_TrigState.bActive, 1);
    acquisition.ManualTrigger();
    EXPECT_EQ(model.m_TrigState.bTriggered, 1);
    Feed(SampleLines(33, Ramp(33, 5)));
    EXPECT_EQ(model.m_TrigState.bActive, 1) << "the part after the trigger is one short";
    Feed(SampleLines(38, {38}));
    EXPECT_EQ(model.m_TrigState.bActive, 0);
    acquisition.EndTriggerTrace();
    EXPECT_EQ(model.m_nTriggerPos, 5);
    EXPECT_EQ(model.m_DispData.pCh[0][5], 33);
    EXPECT_EQ(model.m_DispData.pCh[0][0], 28);
}

TEST_F(ExtractTest, RepeatShowsTheTraceAndArmsAgain)
{
    Setup(4, 1);
    model.m_TraceSet.SEL_DAT_CH[0] = 3;
    model.m_TrigSet.LEVEL = 10;
    acquisition.StartTriggerTrace();
    FeedSkipped();
    Feed(SampleLines(0, Ramp(5, 12)));
    ASSERT_EQ(model.m_TrigState.bActive, 0);
    acquisition.RepeatTriggerTrace();
    EXPECT_EQ(model.m_DispData.pCh[0][0], 10);
    EXPECT_EQ(model.m_TrigState.bActive, 1);
    EXPECT_EQ(model.m_TrigState.bTriggered, 0);
    EXPECT_TRUE(model.IsTracing()) << "the stream goes on";
    Feed(SampleLines(12, {0, 0, 20, 21, 22, 23, 24}));
    EXPECT_EQ(model.m_TrigState.bActive, 0);
    acquisition.EndTriggerTrace();
    EXPECT_EQ(model.m_DispData.pCh[0][0], 20);
}

TEST_F(ExtractTest, ALineErrorStopsATraceOrEndsAWaitingCommand)
{
    Setup(4, 0);
    acquisition.SetNodeNo(2);
    EXPECT_EQ(acquisition.OnLineError(), CTraceAcquisition::LineError::Reported);
    EXPECT_EQ(acquisition.Receiver().Snapshot(), CString(u"NG.2\r\n"));

    acquisition.StartMonitorTrace();
    model.m_Options.ERROR_DISPLAY = 1;
    EXPECT_EQ(acquisition.OnLineError(), CTraceAcquisition::LineError::ShowWarning);
    EXPECT_EQ(model.m_TrigState.bLinkError, 0);
    model.m_Options.ERROR_DISPLAY = 0;
    EXPECT_EQ(acquisition.OnLineError(), CTraceAcquisition::LineError::StopTrace);
    EXPECT_TRUE(acquisition.StopMonitorTrace()) << "the stop reports the link error";

    acquisition.StartMonitorTrace();
    model.m_Options.ERROR_CHECK = 0;
    EXPECT_EQ(acquisition.OnLineError(), CTraceAcquisition::LineError::Reported);
    EXPECT_FALSE(acquisition.StopMonitorTrace());
}

// Counts the completion messages of the extract thread.
class ExecWindow : public CWnd {
public:
    ExecWindow() { CreateEx(0, AfxRegisterWndClass(0), u"", 0, RECT{}, nullptr, 0); }
    ~ExecWindow() override { DestroyWindow(); }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_TRACE_COMPLETE) {
            ++completed;
            return 0;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
    int completed = 0;
};

// A live trace window's acquisition over a real link to the emulator.
class LiveTraceTest : public ::testing::Test {
protected:
    LiveTraceTest()
        : window([this](LPARAM lParam) {
              if (LOWORD(lParam) == LINK_EVENT_READ) acquisition.OnDataReceived();
              else if (LOWORD(lParam) == LINK_EVENT_ERROR) acquisition.OnLineError();
          })
    {
        emu::ControllerModel& c = emulator.AddController(1, "LB");
        c.SetControllerName("LB-C1");
        c.SetRobot("RB-7");
        c.SetVersion("2.00.001");
        c.SetParameter(72, 3);
        c.SetParameter(9, 44);
        c.SetParameter(94, 5);
        c.SetParameter(95, 6);
        c.SetParameter(98, 2);
        link.link.AttatchWnd(window.m_hWnd);
        acquisition.SetCommMan(&link.link);
        acquisition.SetNodeNo(1);
        acquisition.SetExecWindow(exec.m_hWnd);
    }

    ScopedSettingsFolder settings;
    ScriptedMessageBox boxes;
    emu::Emulator emulator;
    EmulatorLink link;
    CTraceModel model;
    CTraceAcquisition acquisition{model};
    ExecWindow exec;
    LinkWindow window;
};

TEST_F(LiveTraceTest, ReadsAndWritesTheControllersTraceSettings)
{
    ASSERT_TRUE(link.OpenTcp(emulator.ServeTcp()));
    // The idle extract thread leaves command replies to the commands.
    ASSERT_TRUE(acquisition.CreateExtractThread());
    acquisition.StartMonitorTrace();
    acquisition.StopMonitorTrace();
    emulator.Controller(1).SetOptionBoard(8, 3);
    ASSERT_TRUE(acquisition.InitSetting());
    EXPECT_EQ(model.m_RobConSet.strController, CString(u"LB-C1"));
    EXPECT_EQ(model.m_RobConSet.strRobot, CString(u"RB-7"));
    EXPECT_EQ(model.m_RobConSet.strVersion, CString(u"2.00.001"));
    EXPECT_EQ(model.m_RobConSet.nK72, 3);
    EXPECT_EQ(model.m_RobConSet.nK9, 44);
    EXPECT_EQ(model.m_nOptionBank, 3);

    tracesettag set;
    set.SEL_DAT_CH[0] = 5;
    set.SEL_BIT_CH[0] = 2;
    set.SEL_BIT_CH[1] = 3;
    ASSERT_EQ(acquisition.GetTraceSet(set), 1);
    EXPECT_EQ(set.SEL_DAT_CH[0], 5);
    EXPECT_EQ(set.SEL_BIT_CH[0], 2) << "an unchanged target keeps its bit";
    EXPECT_EQ(set.SEL_DAT_CH[1], 6);
    EXPECT_EQ(set.SEL_BIT_CH[1], 0) << "a new target starts at bit 0";
    EXPECT_EQ(set.wInterval, 2);

    set.SEL_DAT_CH[2] = 11;
    set.SEL_DAT_CH[3] = 12;
    set.wInterval = 9;
    set.byTargetChange = 0x04 | 0x80;  // channel 3's target, channel 4's bit only
    set.byChangeFlags = kIntervalChanged;
    ASSERT_EQ(acquisition.SetTraceSet(set), 1);
    EXPECT_EQ(emulator.Controller(1).Parameter(96), 11);
    EXPECT_EQ(emulator.Controller(1).Parameter(97), 0) << "a changed bit alone is not written";
    EXPECT_EQ(emulator.Controller(1).Parameter(98), 9);

    emulator.Script().OnKeyword("K", emu::Fault::Ng(0x43));
    set.byTargetChange = 0x01;
    EXPECT_EQ(acquisition.SetTraceSet(set), 0);
}

TEST_F(LiveTraceTest, AMonitorTraceRecordsTheStreamInOrder)
{
    emu::ControllerModel& c = emulator.Controller(1);
    c.SetParameter(98, 1);
    // Channel 4 is a bit target: its field is hexadecimal.
    c.SetTraceSource([](uint32_t i) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "%x", (i % 2) << 3);
        return std::to_string(i) + "," + std::to_string(i) + "," + std::to_string(-static_cast<int>(i)) + ",7," + hex;
    });
    ASSERT_TRUE(link.OpenTcp(emulator.ServeTcp()));
    model.m_TraceSet.TRACE_NUM = 100;
    model.m_TraceSet.bBitTarget[3] = 1;
    model.m_TraceSet.SEL_BIT_CH[3] = 3;
    ASSERT_TRUE(model.AllocBuffers());
    ASSERT_TRUE(acquisition.CreateExtractThread());

    acquisition.StartMonitorTrace();
    ASSERT_TRUE(PumpUntil([&] { return model.GetPtrLoopedFlag() == 1; }));
    EXPECT_EQ(link.link.GetInBuff(), CString()) << "the samples do not pile up in the link's buffer";
    EXPECT_FALSE(acquisition.StopMonitorTrace());
    ASSERT_TRUE(PumpUntil([&] { return emulator.ReceivedCommands().size() >= 2; }));
    const std::vector<std::string> commands = emulator.ReceivedCommands();
    EXPECT_EQ(commands.front(), "@K99.1=1");
    EXPECT_EQ(commands.back(), "@K99.1=0");
    PumpFor(100ms);

    // Every slot holds one sample whole; older slots hold older samples.
    const int n = 100;
    const int newest = (model.GetUpdatePointer() + n) % (n + 1);
    for (int k = 0; k < n; ++k) {
        const int slot = (newest + n + 1 - k) % (n + 1);
        const int older = (slot + n) % (n + 1);
        const std::int32_t index = model.m_DispData.pCh[0][slot];
        ASSERT_EQ(model.m_DispData.pCh[1][slot], -index) << slot;
        ASSERT_EQ(model.m_DispData.pCh[2][slot], 7) << slot;
        ASSERT_EQ(model.m_DispData.pCh[3][slot], index % 2) << slot;
        // A link that falls behind loses samples, never reorders them.
        ASSERT_LT(model.m_DispData.pCh[0][older], index) << slot;
    }
}

TEST_F(LiveTraceTest, ATriggerTraceCompletesAndTellsTheExecutionWindow)
{
    emu::ControllerModel& c = emulator.Controller(1);
    c.SetParameter(98, 1);
    c.SetTraceSource([](uint32_t i) { return std::to_string(i) + "," + std::to_string(i % 200) + ",0,0,0"; });
    ASSERT_TRUE(link.OpenTcp(emulator.ServeTcp()));
    model.m_TraceSet.TRACE_MODE = 1;
    model.m_TraceSet.TRACE_NUM = 100;
    model.m_TraceSet.SEL_DAT_CH[0] = 5;
    model.m_TrigSet.PRE_TRIGGER = 20;
    model.m_TrigSet.LEVEL = 150;
    ASSERT_TRUE(model.AllocBuffers());
    ASSERT_TRUE(acquisition.CreateExtractThread());

    acquisition.StartTriggerTrace();
    ASSERT_TRUE(PumpUntil([&] { return exec.completed == 1; }));
    acquisition.EndTriggerTrace();
    EXPECT_EQ(model.m_nTriggerPos, 20);
    EXPECT_GE(model.m_DispData.pCh[0][20], 150);
    EXPECT_LT(model.m_DispData.pCh[0][19], 150) << "the level is crossed at the trigger sample";
    EXPECT_LT(model.m_DispData.pCh[0][0], model.m_DispData.pCh[0][19]) << "the pre-trigger part is older";
    ASSERT_TRUE(PumpUntil([&] { return emulator.ReceivedCommands().size() >= 2; }));
    EXPECT_EQ(emulator.ReceivedCommands().back(), "@K99.1=0");
}

TEST_F(LiveTraceTest, ClosingStopsTheStreamAndTheProgramUnlessToldNot)
{
    ASSERT_TRUE(link.OpenTcp(emulator.ServeTcp()));
    struct Case {
        const char* name;
        std::int32_t optionBank;
        BOOL shift;
        bool stops;
    };
    for (const Case& c : {Case{"plain close", 0, FALSE, true}, Case{"Shift held", 0, TRUE, false},
                          Case{"option bank 8 set", 1, FALSE, false}}) {
        SCOPED_TRACE(c.name);
        emulator.ClearLog();
        model.m_nOptionBank = c.optionBank;
        EXPECT_EQ(acquisition.CloseController(c.shift), 1);
        ASSERT_TRUE(PumpUntil([&] { return emulator.ReceivedCommands().size() >= (c.stops ? 2u : 1u); }));
        PumpFor(50ms);
        std::vector<std::string> expected = {"@K99.1=0"};
        if (c.stops) expected.push_back("@STOP.1");
        EXPECT_EQ(emulator.ReceivedCommands(), expected);
    }
    model.m_bTracing = 1;
    emulator.ClearLog();
    EXPECT_EQ(acquisition.CloseController(FALSE), 0) << "ignored while tracing";
    PumpFor(50ms);
    EXPECT_TRUE(emulator.ReceivedCommands().empty());
    model.m_bTracing = 0;
}

}  // namespace
