// The trace part of a working day, in one language per run: online to the
// controller, the trace window opened from the manager's watcher command,
// four signals and a trigger chosen in its set-up, a repeated trigger trace
// run from the execution window and aborted, the trace measured with the
// A-B cursors and the calculator, saved, reopened in a viewer, everything
// closed, and the line back with the manager, which polls it again. Each
// step is checked where the user would check it (the controller's
// parameters, the file on disk, the windows' texts) and pictured.
#include "manager/ui/tests/ManagerTestSupport.h"
#include "tests/day/tests/DayShared.h"
#include "tests/day/tests/DayTraceSupport.h"

#include "manager/core/DataManager.h"
#include "manager/core/StatusCells.h"
#include "tests/support/emulator/Emulator.h"

#include "tools/TraceIniFile.h"
#include "tools/TraceText.h"
#include "tools/trace/ABCursorDlg.h"
#include "tools/trace/CalculatorDlg.h"
#include "tools/trace/ExecTraceDlg.h"
#include "tools/trace/KXWatcherDlg.h"
#include "tools/trace/TRDViewerDlg.h"
#include "tools/trace/TraceSetupDlg.h"
#include "tools/trace/TraceStatistics.h"
#include "tools/trace/TraceToolWindows.h"
#include "tools/trace/tests/TraceTestSupport.h"

#include "resources/tools/ZeblLangLib_ids.h"
#include "resources/tools/trdfile_ids.h"

#include "platform/core/File.h"

#include <cmath>
#include <cstdio>

namespace {

using namespace mgrtest;
using daytrace::Caption;
using daytrace::Rows;
using daytrace::Table;

constexpr int kCom = 3;
constexpr int kNode = 1;

// The signals the controller streams, a function of the sample's phase in
// a period of 200 samples: channel 1 a sawtooth 0..199 (it rises through
// the trigger level 50 once a period), channel 2 a ramp read as 0.1 x raw,
// channel 3 a status word whose bit 3 is set from phase 60 to 149 (sent in
// hexadecimal, as a bit target is), channel 4 a ramp read as 0.1 x raw.
constexpr int kPeriod = 200;
long Ch1(long phase) { return phase; }
long Ch2(long phase) { return 7 * phase - 333; }
long Word3(long phase) { return (phase >= 60 && phase < 150 ? 0x08 : 0) | 0x21; }
long Ch3(long phase) { return (Word3(phase) >> 3) & 1; }
long Ch4(long phase) { return 350 + phase; }

std::string Sample(uint32_t index)
{
    const long phase = static_cast<long>(index % kPeriod);
    char word[16];
    std::snprintf(word, sizeof word, "%lx", static_cast<unsigned long>(Word3(phase)));
    return std::to_string(index) + "," + std::to_string(Ch1(phase)) + "," + std::to_string(Ch2(phase)) + "," + word +
           "," + std::to_string(Ch4(phase));
}

// The set-up a person makes: rows of the target table (in the order it is
// offered), a trace of 100 samples every 10 ms, triggered on channel 1
// rising through 50 with 20 % before the trigger, repeated.
constexpr int kPointNumberRow = 10;        // target 11, no scaling
constexpr int kMotorCurrentRow = 5;        // target 6, 0.1 %
constexpr int kStatusWordRow = 9;          // target 10, eight bits
constexpr int kMovingBit = 3;
constexpr int kDriverTemperatureRow = 11;  // target 12, 0.1 deg C
constexpr int kTargets[4] = {11, 6, 10, 12};
constexpr int kInterval = 10;
constexpr int kSamples = 100;
constexpr int kPreTrigger = 20;  // %
constexpr long kLevel = 50;
// In the finished trace, display index k holds phase kFirstPhase + k and the
// trigger sample (phase 50) is at index 20.
constexpr int kTriggerIndex = kSamples * kPreTrigger / 100;
constexpr long kFirstPhase = kLevel - kTriggerIndex;
// The cursors a person places: A on the trigger, B half a second later.
constexpr int kA = 20;
constexpr int kB = 70;

std::string Time(double ms) { return FormatTraceTime(ms).ToUtf8(); }
std::string Real(double value) { return TraceRealText(value).ToUtf8(); }
CString Text(UINT id)
{
    CString text;
    text.LoadString(id);
    return text;
}

// The engineering value of a channel's raw sample as the set-up leaves the
// channels scaled: 0.1 for motor current and temperature, none otherwise.
constexpr double kScale[4] = {1.0, 0.1, 1.0, 0.1};
std::string Value(int channel, double raw)
{
    return kScale[channel] == 1.0 ? std::to_string(static_cast<long>(raw)) : Real(raw * kScale[channel]);
}
long Raw(int channel, long phase)
{
    switch (channel) {
    case 0: return Ch1(phase);
    case 1: return Ch2(phase);
    case 2: return Ch3(phase);
    default: return Ch4(phase);
    }
}

// The calculator's row for a channel over display indexes from..to.
std::vector<std::string> CalculatorRow(int channel, int from, int to)
{
    int maxAt = from;
    int minAt = from;
    double sum = 0;
    double squares = 0;
    for (int k = from; k <= to; ++k) {
        const long v = Raw(channel, kFirstPhase + k);
        if (v > Raw(channel, kFirstPhase + maxAt)) maxAt = k;
        if (v < Raw(channel, kFirstPhase + minAt)) minAt = k;
        sum += static_cast<double>(v);
        squares += static_cast<double>(v) * v;
    }
    const double n = to - from + 1;
    const double scale = kScale[channel];
    return {std::to_string(channel + 1),
            Value(channel, static_cast<double>(Raw(channel, kFirstPhase + maxAt))),
            Time((maxAt - kTriggerIndex) * kInterval),
            Value(channel, static_cast<double>(Raw(channel, kFirstPhase + minAt))),
            Time((minAt - kTriggerIndex) * kInterval),
            Real(sum / n * scale),
            Real(std::sqrt(squares / n) * scale)};
}

void Command(HWND window, UINT id) { ::SendMessageW(window, WM_COMMAND, id, 0); }

void Click(HWND window, CPoint at)
{
    ::SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
    ::SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    ::SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
}

// A cursor placed as a person does: its set mode from the menu, a click on
// the graph at the sample, the set mode off again.
void PlaceCursor(CKXWatcherDlg& window, UINT setMode, int sample)
{
    const HWND hwnd = window.GetSafeHwnd();
    const CRect graph = window.Layout().rcGraph;
    const int rate = CTraceModel::m_nZoomRate[window.Model().m_GraphSet.ZOOM];
    Command(hwnd, setMode);
    Click(hwnd, CPoint(graph.left + sample * 20 / rate, graph.top + 20));
    Command(hwnd, setMode);
}

class WorkingDayTraceTest : public ::testing::TestWithParam<dayshared::DayRun> {
protected:
    WorkingDayTraceTest()
    {
        emulator.SetAnswerForm(GetParam().answers);
        emu::ControllerModel& c = emulator.AddController(kNode, "Q05");
        c.SetControllerName("KX-Q05");
        c.SetRobot("SA4-L06");
        // What the controller traced last time.
        for (int k = 94; k <= 97; ++k) c.SetParameter(k, k - 93);
        c.SetParameter(98, 20);
        c.SetTraceSource(Sample);
    }
    void TearDown() override { uitest::FlushDeletedWidgets(); }

    std::string Lang() const { return GetParam().language; }
    std::string PicturePath(const std::string& step) const
    {
        return uitest::ArtifactFolder("day") + "/trace-" + step + "." + GetParam().Tag() + ".png";
    }
    void Picture(ManagerWorld& world, const std::vector<HWND>& windows, const std::string& step)
    {
        daytrace::PictureScreen(world.FrameHwnd(), windows, PicturePath(step));
    }
    bool Streaming() { return emulator.Controller(kNode).Streaming(); }
    int32_t K(int number) { return emulator.Controller(kNode).Parameter(number); }
    bool Received(const std::string& part)
    {
        for (const std::string& command : emulator.ReceivedCommands())
            if (command.find(part) != std::string::npos) return true;
        return false;
    }

    emu::Emulator emulator;
};

// The set-up opened over the trace window at start: the controller's own
// targets first, then four signals and a trigger chosen and OK.
void WorkTheSetUp(uitest::DialogDriver& d, ManagerWorld& world, const std::string& lang,
                  const std::function<void(const std::string&)>& picture)
{
    ASSERT_TRUE(uitest::WaitUntil([&] { return d.Enabled(IDOK); }, 60000)) << "the set-up reads the controller";
    uitest::DialogDriver page(::GetDlgItem(d.Dialog(), IDD_TRACE_TARGET_PAGE));
    ASSERT_TRUE(page.Dialog());
    for (int channel = 0; channel < 4; ++channel)
        EXPECT_EQ(page.ComboSelection(IDC_TTGT_DATA1 + channel), channel) << "K" << 94 + channel << " as read";
    EXPECT_EQ(d.Text(IDC_TSET_INTERVAL), CString(u"20")) << "K98 as read";
    picture("02-set-up-read");

    page.ChooseComboEntry(IDC_TTGT_DATA1, kPointNumberRow);
    page.ChooseComboEntry(IDC_TTGT_DATA2, kMotorCurrentRow);
    page.ChooseComboEntry(IDC_TTGT_DATA3, kStatusWordRow);
    EXPECT_TRUE(page.Enabled(IDC_TTGT_BIT3)) << "a word offers its bits";
    page.ChooseComboEntry(IDC_TTGT_BIT3, kMovingBit);
    page.ChooseComboEntry(IDC_TTGT_DATA4, kDriverTemperatureRow);
    EXPECT_FALSE(page.Enabled(IDC_TTGT_BIT4));
    d.Retype(IDC_TSET_TITLE, lang == "ja" ? u"軸1 朝のトレース" : u"Axis 1 morning trace");
    d.Retype(IDC_TSET_INTERVAL, u"10");
    d.Retype(IDC_TSET_HUNDREDS, u"1");
    d.ChooseComboEntry(IDC_TSET_TRIG_MODE, 1);    // repeated
    d.ChooseComboEntry(IDC_TSET_TRIG_SOURCE, 0);  // channel 1
    d.ChooseComboEntry(IDC_TSET_TRIG_SLOPE, 0);   // rising
    EXPECT_TRUE(d.Enabled(IDC_TSET_TRIG_LEVEL));
    d.Retype(IDC_TSET_PRE_TRIGGER, u"20");
    d.Retype(IDC_TSET_TRIG_LEVEL, u"50");
    EXPECT_FALSE(d.Text(IDC_TSET_TOTAL_TIME).IsEmpty());
    picture("02-set-up-chosen");
    // A new count of samples is confirmed first.
    world.Boxes().Answer(IDOK, std::u16string(Text(IDS_TRACE_SETUP_CHANGE_ASK).GetString()));
    d.Click(IDOK);
    EXPECT_EQ(world.Boxes().PendingAnswers(), 0u);
}

TEST_P(WorkingDayTraceTest, ATriggeredTraceIsMeasuredSavedAndReopenedAndTheLineGoesBack)
{
    ASSERT_FALSE(emulator.ServePty().empty()) << emulator.LastError();
    ManagerWorld world(GetParam().language);
    world.MapPorts({{kCom, emulator.PtyPath()}});
    ASSERT_TRUE(world.Start());
    world.Frame().MoveWindow(0, 0, 1200, 860);
    ScriptedDialogs dialogs;
    const CString saved = world.Path("axis1-morning.trd");
    const std::string savedPath = saved.ToUtf8();

    // Online to the controller.
    world.Boxes().Answer(IDOK, u"KX-Q05");
    ASSERT_EQ(world.NewOnline(kCom, u"Line A"), IDOK);
    CChildFrame* child = world.Active();
    ASSERT_NE(child, nullptr);
    child->ShowWindow(SW_SHOWMAXIMIZED);
    ASSERT_TRUE(world.Enabled(IDM_WATCHER));
    Picture(world, {}, "01-online");

    bool setUpDone = false;
    HWND traceHwnd = HWND();
    CKXWatcherDlg* trace = nullptr;
    auto onScreen = [&](std::vector<HWND> windows, const std::string& step) {
        windows.insert(windows.begin(), traceHwnd);
        Picture(world, windows, step);
    };

    // The trace window, worked from the watcher command until it is closed.
    auto traceWindow = [&](uitest::DialogDriver& d) {
        traceHwnd = d.Dialog();
        trace = dynamic_cast<CKXWatcherDlg*>(CWnd::FromHandle(d.Dialog()));
        ASSERT_NE(trace, nullptr) << "the watcher command opens the trace window";
        EXPECT_EQ(trace->StatusBar().GetEntryText(IDS_TRACE_PANE_CONTROLLER), CString(u"KX-Q05"));

        // The controller holds the chosen targets and interval.
        for (int channel = 0; channel < 4; ++channel) EXPECT_EQ(K(94 + channel), kTargets[channel]) << channel;
        EXPECT_EQ(K(98), kInterval);
        EXPECT_EQ(K(99), 0) << "no stream yet";
        onScreen({}, "03-set-up-applied");

        // Trigger mode, then the trace from the execution window.
        Command(d.Dialog(), ID_KXW_TRIGGER_MODE);
        EXPECT_EQ(trace->Model().m_TraceSet.TRACE_MODE, 1);
        emulator.ClearLog();
        Command(d.Dialog(), ID_KXW_START_TRACE);
        ASSERT_TRUE(uitest::WaitUntil([&] { return trace->GetExecTraceDlg() && Streaming(); }, 20000));
        const HWND execHwnd = trace->GetExecTraceDlg()->GetSafeHwnd();
        uitest::DialogDriver exec(execHwnd);
        EXPECT_NE(Caption(execHwnd).Find(Text(IDS_TRACE_TRIGGER_REPEAT)), -1) << Caption(execHwnd).ToUtf8();
        EXPECT_FALSE(exec.Visible(IDC_EXEC_STOP)) << "a trigger trace is aborted, not stopped";
        EXPECT_TRUE(exec.Visible(IDC_EXEC_ABORT));
        // A finished trace is shown, and the window arms again.
        ASSERT_TRUE(uitest::WaitUntil([&] { return trace->Model().m_nTriggerPos == kTriggerIndex; }, 60000))
            << "a trace triggered and was shown";
        EXPECT_TRUE(::IsWindow(execHwnd)) << "a repeated trace goes on";
        EXPECT_TRUE(Streaming());
        onScreen({execHwnd}, "04-repeating");
        exec.Click(IDC_EXEC_ABORT);
        ASSERT_TRUE(uitest::WaitUntil([&] { return !trace->GetExecTraceDlg() && !trace->IsTracing(); }, 20000));
        EXPECT_TRUE(uitest::WaitUntil([&] { return !Streaming(); }, 10000)) << "the stream is switched off";
        EXPECT_EQ(K(99), 0);
        EXPECT_TRUE(Received("@K99.1=1"));
        EXPECT_TRUE(Received("@K99.1=0"));
        EXPECT_FALSE(Received("@?IN")) << "nobody polls the line while the trace window has it";
        onScreen({}, "05-aborted");

        // The A-B cursors on the trigger and half a second later.
        PlaceCursor(*trace, ID_KXW_A_CURSOR_SET, kA);
        PlaceCursor(*trace, ID_KXW_B_CURSOR_SET, kB);
        ASSERT_EQ(trace->Model().m_nCursorPos[0], kA);
        ASSERT_EQ(trace->Model().m_nCursorPos[1], kB);
        Command(d.Dialog(), ID_KXW_TOOL_ABCURSOR);
        ASSERT_NE(trace->ToolWindows()->ABCursor(), nullptr);
        const HWND abHwnd = trace->ToolWindows()->ABCursor()->GetSafeHwnd();
        uitest::DialogDriver ab(abHwnd);
        EXPECT_EQ(ab.Text(IDC_ABC_A_TIME).ToUtf8(), Time(0)) << "A is on the trigger";
        EXPECT_EQ(ab.Text(IDC_ABC_B_TIME).ToUtf8(), Time((kB - kA) * kInterval));
        EXPECT_EQ(ab.Text(IDC_ABC_BA_TIME).ToUtf8(), Time((kB - kA) * kInterval));
        Table expectedAB;
        for (int channel = 0; channel < 4; ++channel) {
            const long a = Raw(channel, kFirstPhase + kA);
            const long b = Raw(channel, kFirstPhase + kB);
            expectedAB.push_back({std::to_string(channel + 1), Value(channel, a), Value(channel, b),
                                  Value(channel, static_cast<double>(b - a))});
        }
        EXPECT_EQ(Rows(ab, IDC_ABC_LIST), expectedAB);
        // The chosen bit of the word, not the word.
        EXPECT_EQ(Rows(ab, IDC_ABC_LIST)[2], (std::vector<std::string>{"3", "0", "1", "1"}));

        // The calculator over the stretch between the cursors.
        Command(d.Dialog(), ID_KXW_TOOL_CALC);
        ASSERT_NE(trace->ToolWindows()->Calculator(), nullptr);
        const HWND calcHwnd = trace->ToolWindows()->Calculator()->GetSafeHwnd();
        uitest::DialogDriver calc(calcHwnd);
        {
            // Both tool windows start at the trace window's right edge: the
            // calculator is moved under the A-B window, as a person would.
            CRect abRect;
            CRect calcRect;
            ::GetWindowRect(abHwnd, &abRect);
            ::GetWindowRect(calcHwnd, &calcRect);
            ::MoveWindow(calcHwnd, abRect.right - calcRect.Width(), abRect.bottom + 8, calcRect.Width(),
                         calcRect.Height(), TRUE);
        }
        calc.Click(IDC_CALC_CALCULATE);
        EXPECT_EQ(calc.Text(IDC_CALC_FROM).ToUtf8(), Time(0));
        EXPECT_EQ(calc.Text(IDC_CALC_TO).ToUtf8(), Time((kB - kA) * kInterval));
        Table expectedCalc;
        for (int channel = 0; channel < 4; ++channel) expectedCalc.push_back(CalculatorRow(channel, kA, kB));
        EXPECT_EQ(Rows(calc, IDC_CALC_LIST), expectedCalc);
        // Each row carries its channel's colour from the first fill on.
        EXPECT_TRUE(daytrace::EveryRowHasAnImage(ab, IDC_ABC_LIST));
        EXPECT_TRUE(daytrace::EveryRowHasAnImage(calc, IDC_CALC_LIST));
        onScreen({abHwnd, calcHwnd}, "06-measured");

        // Saved under a name asked for.
        tracetest::SaveTraceAs(*trace, d.Dialog(), saved);
        ASSERT_TRUE(platform::FileExists(saved.GetString()));
        const daytrace::SavedTrace file = daytrace::ReadSavedTrace(savedPath);
        EXPECT_FALSE(file.startMark.empty());
        EXPECT_EQ(file.endMark, std::string(file.startMark.rbegin(), file.startMark.rend())) << "the file ends whole";
        EXPECT_EQ(file.triggerPos, kTriggerIndex);
        ASSERT_EQ(file.rows.size(), static_cast<size_t>(kSamples + 1));
        for (int k = 0; k <= kSamples; ++k) {
            const long phase = kFirstPhase + k;
            EXPECT_EQ(file.rows[k], (std::array<long, 4>{Ch1(phase), Ch2(phase), Ch3(phase), Ch4(phase)})) << k;
        }

        // Reopened in a viewer from the trace file dialog.
        uitest::RunModal(
            [&] {
                Command(d.Dialog(), ID_KXW_FILE_OPEN);
                return static_cast<INT_PTR>(IDOK);
            },
            [&] {
                const HWND active = ::GetActiveWindow();
                return trace->IsModalOpen() && active && active != d.Dialog() ? active : HWND();
            },
            [&](uitest::DialogDriver& open) {
                open.Retype(IDC_TRDF_NAME, std::u16string(saved.GetString()));
                EXPECT_EQ(open.Text(IDC_TRDF_PREVIEW_CONTROLLER), CString(u"KX-Q05")) << "the file is previewed";
                EXPECT_EQ(open.Text(IDC_TRDF_PREVIEW_ROBOT), CString(u"SA4-L06"));
                if (!open.Check(IDC_TRDF_NEW_VIEWER)) open.Click(IDC_TRDF_NEW_VIEWER);
                onScreen({open.Dialog()}, "07-open-in-viewer");
                open.Click(IDOK);
            },
            60000);
        ASSERT_EQ(trace->ToolWindows()->Viewers().size(), 1u);
        CTRDViewerDlg* viewer = trace->ToolWindows()->Viewers().front();
        const HWND viewerHwnd = viewer->GetSafeHwnd();
        EXPECT_TRUE(::IsWindowVisible(viewerHwnd));
        EXPECT_NE(Caption(viewerHwnd).Find(u"axis1-morning"), -1) << Caption(viewerHwnd).ToUtf8();
        EXPECT_EQ(viewer->StatusBar().GetEntryText(IDS_TRACE_PANE_CONTROLLER), CString(u"KX-Q05"));
        EXPECT_EQ(viewer->StatusBar().GetEntryText(IDS_TRACE_PANE_ROBOT), CString(u"SA4-L06"));
        // The calculator reads the viewer: without cursors there, the whole trace.
        Command(viewerHwnd, ID_KXW_TOOL_CALC);
        EXPECT_EQ(trace->ToolWindows()->Calculator()->GetSafeHwnd(), calcHwnd) << "one calculator";
        calc.Click(IDC_CALC_CALCULATE);
        EXPECT_NE(Caption(calcHwnd).Find(u"axis1-morning"), -1) << Caption(calcHwnd).ToUtf8();
        EXPECT_EQ(calc.Text(IDC_CALC_FROM).ToUtf8(), Time(-kTriggerIndex * kInterval));
        EXPECT_EQ(calc.Text(IDC_CALC_TO).ToUtf8(), Time((kSamples - kTriggerIndex) * kInterval));
        Table expectedWhole;
        for (int channel = 0; channel < 4; ++channel) expectedWhole.push_back(CalculatorRow(channel, 0, kSamples));
        EXPECT_EQ(Rows(calc, IDC_CALC_LIST), expectedWhole);
        onScreen({viewerHwnd, calcHwnd}, "08-viewer");

        // Everything closed by its caption, the trace window last.
        ::SendMessageW(viewerHwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        uitest::Pump(50);
        EXPECT_FALSE(::IsWindow(viewerHwnd));
        EXPECT_TRUE(trace->ToolWindows()->Viewers().empty());
        ::SendMessageW(abHwnd, WM_CLOSE, 0, 0);
        ::SendMessageW(calcHwnd, WM_CLOSE, 0, 0);
        uitest::Pump(50);
        EXPECT_FALSE(::IsWindow(abHwnd));
        EXPECT_FALSE(::IsWindow(calcHwnd));
        EXPECT_EQ(world.Boxes().PendingAnswers(), 0u);
        ::SendMessageW(d.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
    };

    {
        // The trace window is worked once its set-up was applied; the set-up
        // once it has read the controller.
        auto traceReady = [&](HWND hwnd) {
            auto* window = dynamic_cast<CKXWatcherDlg*>(CWnd::FromHandle(hwnd));
            return window && setUpDone && window->Model().m_bSettingsApplied && !window->IsModalOpen();
        };
        auto setUpReady = [&](HWND hwnd) {
            return dynamic_cast<CTraceSetupDlg*>(CWnd::FromHandle(hwnd)) && ::IsWindowEnabled(::GetDlgItem(hwnd, IDOK));
        };
        daytrace::ModalSession session(
            {{traceReady, traceWindow},
             {setUpReady,
              [&](uitest::DialogDriver& d) {
                  // The set-up opens over the trace window, its parent.
                  const HWND parent = ::GetParent(d.Dialog());
                  EXPECT_NE(dynamic_cast<CKXWatcherDlg*>(CWnd::FromHandle(parent)), nullptr);
                  WorkTheSetUp(d, world, Lang(), [&](const std::string& step) {
                      Picture(world, {parent, d.Dialog()}, step);
                  });
                  setUpDone = true;
              }}},
            400000);
        world.Command(IDM_WATCHER);
    }
    EXPECT_FALSE(::IsWindow(traceHwnd)) << "the trace window is closed";
    EXPECT_FALSE(Streaming());
    EXPECT_EQ(K(99), 0);
    EXPECT_TRUE(world.Boxes().Shown().size() >= 1u);

    // The trace settings are kept for the next time.
    const std::string rtt = tracetest::ReadBytes(GetTraceIniPath().ToUtf8());
    for (const char* key : {"SEL_DAT_CH1=11", "SEL_DAT_CH3=10", "SEL_BIT_CH3=3", "SEL_DAT_CH4=12", "TRACE_NUM=100"})
        EXPECT_NE(rtt.find(key), std::string::npos) << key << "\n" << rtt;

    // The line is the manager's again: it polls the controller and sees a
    // change of its inputs.
    ASSERT_EQ(world.ChildCount(), 1);
    EXPECT_TRUE(child->IsOnline());
    emulator.ClearLog();
    emulator.Controller(kNode).SetInputs(0x0005);
    const std::shared_ptr<StatusCells> cells = CDataManager::GetStatusCells();
    ASSERT_TRUE(cells);
    EXPECT_TRUE(uitest::WaitUntil([&] { return cells->Inputs() == 0x0005; }, 30000)) << cells->Inputs();
    EXPECT_TRUE(Received("@?IN"));
    EXPECT_TRUE(world.Enabled(IDM_WATCHER)) << "and the trace window can be opened again";
    Picture(world, {}, "09-back-to-the-manager");

    world.Quit();
    EXPECT_EQ(world.Boxes().PendingAnswers(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Runs, WorkingDayTraceTest, ::testing::ValuesIn(dayshared::kDayRuns),
                         dayshared::DayRunName);

}  // namespace
