// The trace window against the controller emulator, used as a person uses
// it: its menu commands, the execution window's buttons, the file dialogs,
// and what ends up on the controller and on disk.
#include "tools/trace/ABCursorDlg.h"
#include "tools/trace/ExecTraceDlg.h"
#include "tools/trace/KXWatcherDlg.h"
#include "tools/trace/SimpleToolDlgs.h"
#include "tools/trace/TraceToolWindows.h"
#include "tools/tests/DialogTestSupport.h"
#include "tools/trace/tests/TraceTestSupport.h"

#include "resources/tools/ZeblLangLib_ids.h"
#include "resources/tools/trdfile_ids.h"

#include "tests/support/SavedTrace.h"
#include "tests/support/ui/ScriptedDialogs.h"

#include <gtest/gtest.h>

#include "tools/TrcDatFile.h"

#include "platform/ui/ArrangeWindows.h"
#include "platform/ui/DropFiles.h"
#include "platform/core/File.h"
#include "platform/core/Paths.h"
#include "platform/core/ResourceModule.h"
#include "platform/ui/Shell.h"
#include "platform/ui/InputServices.h"
#include "platform/ui/ListCtrl.h"
#include "platform/ui/ResourceImages.h"
#include "platform/ui/ToolBar.h"
#include "platform/ui/WidgetPeer.h"

#include <cmath>
#include <fstream>
#include <regex>
#include <sstream>

namespace {

using namespace toolstest;
using namespace std::chrono_literals;

using tracetest::Command;
using tracetest::ReadBytes;

using testsupport::ReadSavedTrace;
using testsupport::SavedTrace;

class KXWatcherDlgTest : public ::testing::Test {
protected:
    KXWatcherDlgTest()
    {
        WriteCommIni(settings, 4);
        auto& controller = emulator.AddController(1, "LB");
        for (int k = 94; k <= 97; ++k) controller.SetParameter(k, k - 93);
        controller.SetParameter(98, 1);
        controller.SetParameter(9, 40);
        // Every sample tells its own index, so what is stored can be checked.
        controller.SetTraceSource([this](uint32_t i) { return source(i); });
        EXPECT_TRUE(link.OpenTcp(emulator.ServeTcp()));
    }

    std::string Folder() const { return settings.Path(); }
    CString PathOf(const std::string& name) const { return CString::FromUtf8(Folder() + "/" + name); }
    void WriteRtt(const std::string& text) const
    {
        std::string dir = Folder() + "/Velbrook/Quorvane";
        std::filesystem::create_directories(dir);
        std::ofstream(dir + "/rtt.ini", std::ios::binary) << text;
    }
    std::string Rtt() const { return ReadBytes(Folder() + "/Velbrook/Quorvane/rtt.ini"); }
    // A trigger trace of 100 samples, single (repeat 0) or repeated, 20 % of
    // them before channel 1 rises through 50: a sawtooth that does so once
    // every 200 samples. Channel 2 counts the samples.
    void UseSawtoothTrigger(int repeat)
    {
        source = [](uint32_t i) {
            const long v = static_cast<long>(i % 200);
            return std::to_string(i) + "," + std::to_string(v) + "," + std::to_string(i) + ",0,0";
        };
        WriteRtt("[TRACE_SETTINGS]\r\nTRACE_MODE=1\r\nTRACE_NUM=100\r\n[TRIGGER_SETTINGS]\r\nMODE=" +
                 std::to_string(repeat) + "\r\nSOURCE=0\r\nLEVEL=50\r\nSLOPE=0\r\nPRE_TRIGGER=20\r\n");
    }

    // Runs the window on the emulator's link once it has read the controller.
    INT_PTR Run(CKXWatcherDlg& dlg, std::function<void(uitest::DialogDriver&)> script)
    {
        dlg.SetCommMan(&link.link);
        dlg.SetNodeNo(1);
        return RunModalWhenReady(dlg, [&dlg] { return dlg.Model().m_bSettingsApplied != FALSE; }, std::move(script), 120000);
    }
    static HWND ExecWindow(CKXWatcherDlg& dlg)
    {
        return dlg.GetExecTraceDlg() ? dlg.GetExecTraceDlg()->GetSafeHwnd() : HWND();
    }
    bool Streaming() { return emulator.Controller(1).Streaming(); }

    std::function<std::string(uint32_t)> source = [](uint32_t i) {
        const long v = static_cast<long>(i);
        return std::to_string(i) + "," + std::to_string(v) + "," + std::to_string(-v) + "," + std::to_string(3 * v) +
               "," + std::to_string(v % 100);
    };
    ScopedEnv english{"QV_LANG", "en"};
    ScopedSettingsFolder settings;
    ScriptedMessageBox boxes;
    ScriptedDialogs dialogs;
    emu::Emulator emulator;
    EmulatorLink link;
};

// File Open through the trace-file dialog into the window itself.
void OpenTraceFile(CKXWatcherDlg& dlg, uitest::DialogDriver& d, const std::string& path)
{
    tracetest::OpenTraceFile(dlg, d.Dialog(), CString::FromUtf8(path), false);
}

void Click(uitest::DialogDriver& d, CPoint at)
{
    ::SendMessageW(d.Dialog(), WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
    ::SendMessageW(d.Dialog(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    ::SendMessageW(d.Dialog(), WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
}

// Every row a sample the emulator sent, in the order it sent them.
void ExpectRowsAreSentSamples(const SavedTrace& trace, std::size_t count)
{
    ASSERT_EQ(trace.rows.size(), count);
    long previous = -1;
    for (std::size_t r = 0; r < trace.rows.size(); ++r) {
        const auto& row = trace.rows[r];
        SCOPED_TRACE(r);
        EXPECT_EQ(row[1], -row[0]);
        EXPECT_EQ(row[2], 3 * row[0]);
        EXPECT_EQ(row[3], row[0] % 100);
        EXPECT_GT(row[0], previous);
        previous = row[0];
    }
}

TEST_F(KXWatcherDlgTest, AMonitorTraceRunsStopsSavesReopensAndCopiesTheScreen)
{
    WriteRtt("[TRACE_SETTINGS]\r\nTRACE_MODE=0\r\nTRACE_NUM=200\r\n[OPTION_SETTINGS]\r\nCOPY_TO=1\r\n");
    CKXWatcherDlg dlg;
    const std::string saved = Folder() + "/run.trd";
    const std::string bitmap = Folder() + "/screen.bmp";
    const INT_PTR result = Run(dlg, [&](uitest::DialogDriver& d) {
        EXPECT_EQ(emulator.Controller(1).Parameter(99), 0) << "a stream left running is stopped at start";
        KeepPicture(d, "trace-window-idle-en");
        Command(d, ID_KXW_START_TRACE);
        ASSERT_TRUE(uitest::WaitUntil([&] { return ExecWindow(dlg) && Streaming(); }, 10000));
        uitest::DialogDriver exec(ExecWindow(dlg));
        EXPECT_FALSE(exec.Visible(IDC_EXEC_ABORT));
        EXPECT_FALSE(exec.Visible(IDC_EXEC_MANUAL_TRIGGER));
        ASSERT_TRUE(uitest::WaitUntil([&] { return dlg.GetPtrLoopedFlag() != 0; }, 30000)) << "the ring wraps";
        KeepPicture(d, "trace-window-monitoring-en");
        exec.Click(IDC_EXEC_STOP);
        ASSERT_TRUE(uitest::WaitUntil([&] { return !dlg.IsTracing() && !ExecWindow(dlg); }, 10000));
        EXPECT_TRUE(uitest::WaitUntil([&] { return !Streaming(); }, 5000)) << "the stream is switched off";

        // A trace not saved before is offered a name of its own.
        const std::string offered = tracetest::SaveTraceAs(dlg, d.Dialog(), CString::FromUtf8(saved)).ToUtf8();
        EXPECT_TRUE(std::regex_match(offered, std::regex("trace_20[0-9]{6}_[0-9]{6}\\.trd"))) << offered;
        const SavedTrace trace = ReadSavedTrace(saved);
        ExpectRowsAreSentSamples(trace, 201);

        // Reopened in the window, then closed again: the live trace comes back.
        OpenTraceFile(dlg, d, saved);
        uitest::Pump(50);
        CString title;
        CWnd::FromHandle(d.Dialog())->GetWindowText(title);
        EXPECT_NE(title.Find(u"run.trd"), -1) << title.ToUtf8();
        KeepPicture(d, "trace-window-file-en");
        Command(d, ID_KXW_FILE_CLOSE);

        dialogs.ChooseFile({CString::FromUtf8(bitmap)});
        Command(d, ID_KXW_EDIT_SCREENCOPY);
        ::SendMessageW(d.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_EQ(result, 1);
    EXPECT_TRUE(boxes.Shown().empty());

    const std::string bmp = ReadBytes(bitmap);
    ASSERT_GT(bmp.size(), 54u);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    QImage image;
    ASSERT_TRUE(image.loadFromData(reinterpret_cast<const uchar*>(bmp.data()), static_cast<int>(bmp.size()), "BMP"));
    EXPECT_GT(image.width(), 300);
    EXPECT_GT(image.height(), 300);
    EXPECT_EQ(image.pixelColor(image.width() / 3, image.height() / 2).isValid(), true);

    EXPECT_EQ(emulator.Controller(1).Parameter(99), 0);
    const std::string rtt = Rtt();
    EXPECT_NE(rtt.find("TRACE_NUM=200"), std::string::npos) << "settings are saved on close";
    EXPECT_NE(rtt.find("SEL_DAT_CH4=4"), std::string::npos) << "the controller's targets were taken";
}

TEST_F(KXWatcherDlgTest, ATriggerTraceKeepsItsPreTriggerPartAroundTheTrigger)
{
    UseSawtoothTrigger(0);
    CKXWatcherDlg dlg;
    const std::string saved = Folder() + "/trigger.trd";
    const INT_PTR result = Run(dlg, [&](uitest::DialogDriver& d) {
        Command(d, ID_KXW_START_TRACE);
        ASSERT_TRUE(uitest::WaitUntil([&] { return ExecWindow(dlg) != HWND(); }, 10000));
        EXPECT_FALSE(uitest::DialogDriver(ExecWindow(dlg)).Visible(IDC_EXEC_STOP));
        // A single trigger trace ends by itself and closes its window.
        ASSERT_TRUE(uitest::WaitUntil([&] { return !ExecWindow(dlg) && !dlg.IsTracing(); }, 30000));
        EXPECT_TRUE(uitest::WaitUntil([&] { return !Streaming(); }, 5000));
        KeepPicture(d, "trace-window-triggered-en");
        tracetest::SaveTraceAs(dlg, d.Dialog(), CString::FromUtf8(saved));
        ::SendMessageW(d.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_EQ(result, 1);
    const SavedTrace trace = ReadSavedTrace(saved);
    ASSERT_EQ(trace.rows.size(), 101u);
    EXPECT_EQ(trace.triggerPos, 20) << "20 % of 100 samples before the trigger";
    EXPECT_GE(trace.rows[20][0], 50);
    EXPECT_LT(trace.rows[19][0], 50);
    for (std::size_t r = 1; r < trace.rows.size(); ++r) EXPECT_EQ(trace.rows[r][1], trace.rows[r - 1][1] + 1) << r;
}

TEST_F(KXWatcherDlgTest, ATriggerTraceIsTriggeredByHandOrAborted)
{
    WriteRtt("[TRACE_SETTINGS]\r\nTRACE_MODE=1\r\nTRACE_NUM=100\r\n"
             "[TRIGGER_SETTINGS]\r\nMODE=0\r\nSOURCE=0\r\nLEVEL=99999999\r\nSLOPE=0\r\nPRE_TRIGGER=50\r\n");
    CKXWatcherDlg dlg;
    const std::string saved = Folder() + "/manual.trd";
    const INT_PTR result = Run(dlg, [&](uitest::DialogDriver& d) {
        // Aborted while it waits: the stream stops and nothing new is shown.
        Command(d, ID_KXW_START_TRACE);
        ASSERT_TRUE(uitest::WaitUntil([&] { return ExecWindow(dlg) && Streaming(); }, 10000));
        uitest::DialogDriver(ExecWindow(dlg)).Click(IDC_EXEC_ABORT);
        ASSERT_TRUE(uitest::WaitUntil([&] { return !ExecWindow(dlg) && !dlg.IsTracing(); }, 10000));
        EXPECT_TRUE(uitest::WaitUntil([&] { return !Streaming(); }, 5000));

        // Triggered by hand once the pre-trigger part is full.
        Command(d, ID_KXW_START_TRACE);
        ASSERT_TRUE(uitest::WaitUntil([&] { return ExecWindow(dlg) != HWND(); }, 10000));
        uitest::DialogDriver exec(ExecWindow(dlg));
        CString waiting;
        waiting.LoadString(IDS_TRACE_WAIT_TRIGGER);
        ASSERT_TRUE(uitest::WaitUntil([&] { return exec.Text(IDC_EXEC_STATUS) == waiting; }, 20000))
            << exec.Text(IDC_EXEC_STATUS).ToUtf8();
        EXPECT_TRUE(exec.Enabled(IDC_EXEC_MANUAL_TRIGGER));
        KeepPicture(exec, "trace-exec-waiting-en");
        exec.Click(IDC_EXEC_MANUAL_TRIGGER);
        ASSERT_TRUE(uitest::WaitUntil([&] { return !ExecWindow(dlg) && !dlg.IsTracing(); }, 20000));
        tracetest::SaveTraceAs(dlg, d.Dialog(), CString::FromUtf8(saved));
        ::SendMessageW(d.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_EQ(result, 1);
    const SavedTrace trace = ReadSavedTrace(saved);
    ExpectRowsAreSentSamples(trace, 101);
    EXPECT_EQ(trace.triggerPos, 50);
}

// A stream the test lets through a number of samples at a time: past what is
// allowed the controller's lines are malformed, which the window drops. Each
// sample's channel 1 and 2 are its number among the samples let through.
struct GatedStream {
    std::atomic<long> allowed{0};
    std::atomic<long> sent{0};

    std::string Line(uint32_t index)
    {
        // The first three lines after a start are dropped whatever they hold.
        if (index < 3 || sent.load() >= allowed.load()) return "-";
        const long n = sent++;
        return std::to_string(index) + "," + std::to_string(n) + "," + std::to_string(n) + ",0,0";
    }
};

CString LoadText(UINT id)
{
    CString text;
    text.LoadString(id);
    return text;
}

CString Progress(UINT id, int percent)
{
    CString text = LoadText(id);
    text.AppendFormat(u" : %d %%", percent);
    return text;
}

// The rows of the A-B cursor window: channel, A, B, B - A.
std::vector<std::vector<std::string>> ABRows(CKXWatcherDlg& dlg)
{
    std::vector<std::vector<std::string>> rows;
    if (!dlg.ToolWindows() || !dlg.ToolWindows()->ABCursor()) return rows;
    auto* list = static_cast<CListCtrl*>(
        CWnd::FromHandle(::GetDlgItem(dlg.ToolWindows()->ABCursor()->GetSafeHwnd(), IDC_ABC_LIST)));
    for (int r = 0; r < list->GetItemCount(); ++r) {
        std::vector<std::string> row;
        for (int c = 0; c < 4; ++c) row.push_back(list->GetItemText(r, c).ToUtf8());
        rows.push_back(row);
    }
    return rows;
}

TEST_F(KXWatcherDlgTest, ASingleTriggerTraceShowsHowFarItCameAndItsEndInTheABWindow)
{
    auto gate = std::make_shared<GatedStream>();
    source = [gate](uint32_t i) { return gate->Line(i); };
    // 1000 samples, 10 % before the trigger: 100 before it, 900 from it on.
    WriteRtt("[TRACE_SETTINGS]\r\nTRACE_MODE=1\r\nTRACE_NUM=1000\r\n"
             "[TRIGGER_SETTINGS]\r\nMODE=0\r\nSOURCE=0\r\nLEVEL=150\r\nSLOPE=0\r\nPRE_TRIGGER=10\r\n");
    CKXWatcherDlg dlg;
    const INT_PTR result = Run(dlg, [&](uitest::DialogDriver& d) {
        // Cursor A on the first sample, read in the A-B window.
        Command(d, ID_KXW_A_CURSOR_SHOW);
        Command(d, ID_KXW_TOOL_ABCURSOR);
        ASSERT_FALSE(ABRows(dlg).empty());
        EXPECT_EQ(ABRows(dlg)[0][1], "0") << "nothing traced yet";

        Command(d, ID_KXW_START_TRACE);
        ASSERT_TRUE(uitest::WaitUntil([&] { return ExecWindow(dlg) && Streaming(); }, 10000));
        uitest::DialogDriver exec(ExecWindow(dlg));
        const auto shows = [&](const CString& text) {
            return uitest::WaitUntil([&] { return exec.Text(IDC_EXEC_STATUS) == text; }, 20000);
        };
        gate->allowed = 50;
        EXPECT_TRUE(shows(Progress(IDS_TRACE_WAIT_PRETRIGGER, 50))) << exec.Text(IDC_EXEC_STATUS).ToUtf8();
        KeepPicture(exec, "trace-exec-pretrigger-en");
        EXPECT_FALSE(exec.Enabled(IDC_EXEC_MANUAL_TRIGGER)) << "no trigger by hand before the part is full";
        // The trigger at sample 150, and 37 samples from it on of 900: 0 %.
        gate->allowed = 150 + 37;
        EXPECT_TRUE(shows(Progress(IDS_TRACE_TRIGGERED, 0))) << exec.Text(IDC_EXEC_STATUS).ToUtf8();
        gate->allowed = 150 + 450;
        EXPECT_TRUE(shows(Progress(IDS_TRACE_TRIGGERED, 50))) << exec.Text(IDC_EXEC_STATUS).ToUtf8();
        KeepPicture(exec, "trace-exec-triggered-en");
        // Complete: the window closes and the A-B window reads the new trace.
        gate->allowed = 100000;
        ASSERT_TRUE(uitest::WaitUntil([&] { return !ExecWindow(dlg) && !dlg.IsTracing(); }, 30000));
        const auto rows = ABRows(dlg);
        ASSERT_EQ(rows.size(), 4u);
        EXPECT_EQ(rows[0][1], "50") << "100 samples before the trigger at 150";
        EXPECT_EQ(rows[1][1], "50");
        ::SendMessageW(d.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_EQ(result, 1);
}

TEST_F(KXWatcherDlgTest, ARepeatedTriggerTraceKeepsItsWindowAndShowsEachTrace)
{
    UseSawtoothTrigger(1);
    CKXWatcherDlg dlg;
    const INT_PTR result = Run(dlg, [&](uitest::DialogDriver& d) {
        Command(d, ID_KXW_A_CURSOR_SHOW);
        Command(d, ID_KXW_TOOL_ABCURSOR);
        Command(d, ID_KXW_START_TRACE);
        ASSERT_TRUE(uitest::WaitUntil([&] { return ExecWindow(dlg) != HWND(); }, 10000));
        const HWND exec = ExecWindow(dlg);
        CString caption;
        CWnd::FromHandle(exec)->GetWindowText(caption);
        EXPECT_NE(caption.Find(LoadText(IDS_TRACE_TRIGGER_REPEAT)), -1) << caption.ToUtf8();
        // Each trace shows as it completes, its first sample 20 before a
        // rise through 50; the window stays for the next one.
        const auto firstSample = [&](int channel) {
            const auto rows = ABRows(dlg);
            return rows.size() == 4u ? std::atol(rows[static_cast<std::size_t>(channel)][1].c_str()) : -1L;
        };
        ASSERT_TRUE(uitest::WaitUntil([&] { return firstSample(1) > 0; }, 30000));
        const long first = firstSample(1);
        EXPECT_EQ(firstSample(0), 30);
        EXPECT_EQ(ExecWindow(dlg), exec);
        ASSERT_TRUE(uitest::WaitUntil([&] { return firstSample(1) > first; }, 30000)) << "the next trace";
        EXPECT_EQ(firstSample(0), 30);
        EXPECT_EQ((firstSample(1) - first) % 200, 0) << "one rise through the level each 200 samples";
        EXPECT_EQ(ExecWindow(dlg), exec);
        EXPECT_TRUE(dlg.IsTracing());
        uitest::DialogDriver(exec).Click(IDC_EXEC_ABORT);
        ASSERT_TRUE(uitest::WaitUntil([&] { return !ExecWindow(dlg) && !dlg.IsTracing(); }, 10000));
        EXPECT_TRUE(uitest::WaitUntil([&] { return !Streaming(); }, 5000));
        ::SendMessageW(d.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_EQ(result, 1);
}

TEST_F(KXWatcherDlgTest, ClosingTheExecutionWindowByItsCaptionStopsTheTrace)
{
    WriteRtt("[TRACE_SETTINGS]\r\nTRACE_MODE=0\r\nTRACE_NUM=200\r\n");
    CKXWatcherDlg dlg;
    const INT_PTR result = Run(dlg, [&](uitest::DialogDriver& d) {
        Command(d, ID_KXW_START_TRACE);
        ASSERT_TRUE(uitest::WaitUntil([&] { return ExecWindow(dlg) && Streaming(); }, 10000));
        ::SendMessageW(ExecWindow(dlg), WM_CLOSE, 0, 0);
        EXPECT_TRUE(uitest::WaitUntil([&] { return !ExecWindow(dlg) && !dlg.IsTracing(); }, 10000));
        EXPECT_TRUE(uitest::WaitUntil([&] { return !Streaming(); }, 5000)) << "the stream is off";
        ::SendMessageW(d.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_EQ(result, 1) << "the window can be closed again";
}

TEST_F(KXWatcherDlgTest, ADroppedLinkEndsTheTraceWithAMessageAndKeepsTheSamples)
{
    WriteRtt("[TRACE_SETTINGS]\r\nTRACE_MODE=0\r\nTRACE_NUM=5000\r\n");
    CKXWatcherDlg dlg;
    const std::string saved = Folder() + "/dropped.trd";
    const INT_PTR result = Run(dlg, [&](uitest::DialogDriver& d) {
        Command(d, ID_KXW_START_TRACE);
        ASSERT_TRUE(uitest::WaitUntil([&] { return ExecWindow(dlg) && dlg.GetUpdatePointer() > 50; }, 20000));
        boxes.Answer(IDOK, u"communication error");
        emulator.DropLink();
        ASSERT_TRUE(uitest::WaitUntil([&] { return !dlg.IsTracing() && !ExecWindow(dlg); }, 10000));
        uitest::Pump(100);
        EXPECT_EQ(boxes.PendingAnswers(), 0u) << "the user is told";
        EXPECT_GT(dlg.GetUpdatePointer(), 50) << "the samples received stay";
        tracetest::SaveTraceAs(dlg, d.Dialog(), CString::FromUtf8(saved));
        ::SendMessageW(d.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_EQ(result, 1);
    const SavedTrace trace = ReadSavedTrace(saved);
    ASSERT_EQ(trace.rows.size(), 5001u);
    EXPECT_EQ(trace.rows[10][1], -trace.rows[10][0]);
    EXPECT_NE(trace.rows[10][0], 0) << "received samples, not a cleared set";
}

// Channel 4 tells whether the axis moves; the other three count the samples.
std::function<std::string(uint32_t)> MovingSource(emu::Emulator& emulator)
{
    return [&emulator](uint32_t i) {
        const long v = static_cast<long>(i);
        const bool moving = emulator.Controller(1).CurrentMotion() != emu::Motion::None;
        return std::to_string(i) + "," + std::to_string(v) + "," + std::to_string(-v) + "," + std::to_string(3 * v) +
               "," + (moving ? "1" : "0");
    };
}

// Every row whole and none missing, whatever replies came between them.
void ExpectUnbrokenSamples(const SavedTrace& trace, std::size_t rows)
{
    ASSERT_LE(rows, trace.rows.size());
    for (std::size_t r = 0; r < rows; ++r) {
        SCOPED_TRACE(r);
        EXPECT_EQ(trace.rows[r][1], -trace.rows[r][0]);
        EXPECT_EQ(trace.rows[r][2], 3 * trace.rows[r][0]);
        if (r > 0) {
            EXPECT_EQ(trace.rows[r][0], trace.rows[r - 1][0] + 1);
        }
    }
}

TEST_F(KXWatcherDlgTest, ATriggerArmedThenAProgramStartedFromThePanelCapturesTheMove)
{
    WriteRtt("[TRACE_SETTINGS]\r\nTRACE_MODE=1\r\nTRACE_NUM=100\r\n"
             "[TRIGGER_SETTINGS]\r\nMODE=0\r\nSOURCE=3\r\nLEVEL=1\r\nSLOPE=0\r\nPRE_TRIGGER=20\r\n");
    emulator.Controller(1).SetPoint(1, {1, 5000, 100, 30, 30, 0, 0, 0, 0, 0, 0, 0, 0});
    // Short enough that the program's end, too, lands inside the recording.
    emulator.Controller(1).SetMotionTime(emu::Motion::Start, 30ms);
    source = MovingSource(emulator);
    CKXWatcherDlg dlg;
    const std::string saved = Folder() + "/move.trd";
    const INT_PTR result = Run(dlg, [&](uitest::DialogDriver& d) {
        Command(d, ID_KXW_TOOL_SOPE);
        ASSERT_TRUE(dlg.GetSimpleOpeDlg());
        uitest::DialogDriver panel(dlg.GetSimpleOpeDlg()->GetSafeHwnd());
        Command(d, ID_KXW_START_TRACE);
        ASSERT_TRUE(uitest::WaitUntil([&] { return ExecWindow(dlg) != HWND(); }, 10000));
        CString waiting;
        waiting.LoadString(IDS_TRACE_WAIT_TRIGGER);
        uitest::DialogDriver exec(ExecWindow(dlg));
        ASSERT_TRUE(uitest::WaitUntil([&] { return exec.Text(IDC_EXEC_STATUS) == waiting; }, 20000));
        emulator.ClearLog();
        panel.Click(IDC_SOPE_START);
        ASSERT_TRUE(uitest::WaitUntil([&] { return !ExecWindow(dlg) && !dlg.IsTracing(); }, 20000))
            << "the move triggered the trace and it completed";
        tracetest::SaveTraceAs(dlg, d.Dialog(), CString::FromUtf8(saved));
        ::SendMessageW(d.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_EQ(result, 1);
    EXPECT_TRUE(boxes.Shown().empty()) << "nothing was refused";
    int starts = 0;
    for (const std::string& command : emulator.ReceivedCommands()) starts += command == "@START1.1";
    EXPECT_EQ(starts, 1);
    const SavedTrace trace = ReadSavedTrace(saved);
    ASSERT_EQ(trace.rows.size(), 101u);
    EXPECT_EQ(trace.triggerPos, 20);
    EXPECT_EQ(trace.rows[19][3], 0);
    EXPECT_EQ(trace.rows[20][3], 1) << "the trigger is the start of the move";
    EXPECT_EQ(trace.rows[100][3], 0) << "and the move's end was recorded too";
    ExpectUnbrokenSamples(trace, trace.rows.size());
}

TEST_F(KXWatcherDlgTest, WhileATraceRecordsThePanelStartsAndStopsTheProgramButWritesNoSpeed)
{
    WriteRtt("[TRACE_SETTINGS]\r\nTRACE_MODE=0\r\nTRACE_NUM=30000\r\n");
    emulator.Controller(1).SetPoint(1, {1, 5000, 100, 30, 30, 0, 0, 0, 0, 0, 0, 0, 0});
    emulator.Controller(1).SetMotionTime(emu::Motion::Start, 60000ms);
    source = MovingSource(emulator);
    CKXWatcherDlg dlg;
    const std::string saved = Folder() + "/stopped.trd";
    std::size_t recorded = 0;
    const INT_PTR result = Run(dlg, [&](uitest::DialogDriver& d) {
        Command(d, ID_KXW_TOOL_SOPE);
        ASSERT_TRUE(dlg.GetSimpleOpeDlg());
        uitest::DialogDriver panel(dlg.GetSimpleOpeDlg()->GetSafeHwnd());
        KeepPicture(panel, "trace-simple-operation-en");
        Command(d, ID_KXW_START_TRACE);
        ASSERT_TRUE(uitest::WaitUntil([&] { return ExecWindow(dlg) && Streaming(); }, 10000));
        ASSERT_TRUE(uitest::WaitUntil([&] { return dlg.GetUpdatePointer() > 100; }, 10000));
        panel.Click(IDC_SOPE_START);
        ASSERT_TRUE(uitest::WaitUntil([&] { return emulator.Controller(1).CurrentMotion() == emu::Motion::Start; },
                                      10000));
        // The speed is the one thing the trace keeps to itself.
        boxes.Answer(IDOK, u"while a trace runs");
        panel.Retype(IDC_SOPE_SPEED, u"55");
        panel.Click(IDC_SOPE_WRITE_SPEED);
        EXPECT_EQ(boxes.PendingAnswers(), 0u);
        EXPECT_EQ(emulator.Controller(1).Parameter(9), 40);
        const int before = dlg.GetUpdatePointer();
        panel.Click(IDC_SOPE_STOP);
        EXPECT_TRUE(uitest::WaitUntil([&] { return emulator.Controller(1).CurrentMotion() == emu::Motion::None; },
                                      10000))
            << "STOP reached the controller while the trace recorded";
        ASSERT_TRUE(uitest::WaitUntil([&] { return dlg.GetUpdatePointer() > before + 100; }, 10000))
            << "and the trace went on recording";
        EXPECT_TRUE(dlg.IsTracing());
        uitest::DialogDriver(ExecWindow(dlg)).Click(IDC_EXEC_STOP);
        ASSERT_TRUE(uitest::WaitUntil([&] { return !dlg.IsTracing(); }, 10000));
        ASSERT_EQ(dlg.GetPtrLoopedFlag(), 0);
        recorded = static_cast<std::size_t>(dlg.GetUpdatePointer());
        tracetest::SaveTraceAs(dlg, d.Dialog(), CString::FromUtf8(saved));
        // Without a trace the panel writes the speed.
        panel.Click(IDC_SOPE_WRITE_SPEED);
        EXPECT_EQ(emulator.Controller(1).Parameter(9), 55);
        ::SendMessageW(d.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(boxes.Shown().size(), 1u);
    const SavedTrace trace = ReadSavedTrace(saved);
    ASSERT_GT(recorded, 200u);
    // Samples recorded before, during and after the move, each one whole.
    ASSERT_LE(recorded, trace.rows.size());
    EXPECT_EQ(trace.rows[0][3], 0);
    EXPECT_EQ(trace.rows[recorded - 1][3], 0);
    int moving = 0;
    for (std::size_t r = 0; r < recorded; ++r) moving += trace.rows[r][3] == 1;
    EXPECT_GT(moving, 0);
    ExpectUnbrokenSamples(trace, recorded);
}

TEST_F(KXWatcherDlgTest, AChangedSetUpIsWrittenToTheControllerAndAModeChangeAsksFirst)
{
    WriteRtt("[TRACE_SETTINGS]\r\nTRACE_MODE=0\r\nTRACE_NUM=200\r\n");
    int setups = 0;
    // The set-up dialog as a person would leave it: channel 2 on target 7,
    // a sampling interval of 3 and 300 samples.
    CKXWatcherDlg::SetTraceSetupRunner([&](CKXWatcherDlg&, CTraceModel& model) -> INT_PTR {
        if (++setups == 1) return IDCANCEL;  // the set-up opened at start is cancelled
        model.m_TraceSet.SEL_DAT_CH[1] = 7;
        model.m_TraceSet.byTargetChange = 0x02;
        model.m_TraceSet.wInterval = 3;
        model.m_TraceSet.TRACE_NUM = 300;
        model.m_TraceSet.byChangeFlags = kIntervalChanged | kTraceNumChanged;
        return IDOK;
    });
    CKXWatcherDlg dlg;
    dlg.SetCommMan(&link.link);
    dlg.SetNodeNo(1);
    const INT_PTR result = RunModalWhenReady(dlg, [&] { return setups == 1; }, [&](uitest::DialogDriver& d) {
        Command(d, ID_KXW_TRACE_SETTING);
        EXPECT_EQ(emulator.Controller(1).Parameter(95), 7);
        EXPECT_EQ(emulator.Controller(1).Parameter(98), 3);
        EXPECT_EQ(emulator.Controller(1).Parameter(94), 1) << "an unchanged target is not written";

        // A monitor trace, then a change of mode: the question comes first.
        Command(d, ID_KXW_START_TRACE);
        ASSERT_TRUE(uitest::WaitUntil([&] { return ExecWindow(dlg) && dlg.GetUpdatePointer() > 5; }, 10000));
        uitest::DialogDriver(ExecWindow(dlg)).Click(IDC_EXEC_STOP);
        ASSERT_TRUE(uitest::WaitUntil([&] { return !dlg.IsTracing(); }, 10000));
        boxes.Answer(IDCANCEL, u"");
        Command(d, ID_KXW_TRIGGER_MODE);
        EXPECT_EQ(dlg.Model().m_TraceSet.TRACE_MODE, 0) << "Cancel keeps the mode and the trace";
        EXPECT_GT(dlg.GetUpdatePointer(), 5);
        boxes.Answer(IDOK, u"");
        Command(d, ID_KXW_TRIGGER_MODE);
        EXPECT_EQ(dlg.Model().m_TraceSet.TRACE_MODE, 1);
        EXPECT_EQ(dlg.GetUpdatePointer(), -1) << "the trace shown is erased";
        ::SendMessageW(d.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
    }, 60000);
    CKXWatcherDlg::SetTraceSetupRunner(nullptr);
    EXPECT_EQ(result, 1);
    EXPECT_NE(Rtt().find("TRACE_NUM=300"), std::string::npos);
    EXPECT_NE(Rtt().find("TRACE_MODE=1"), std::string::npos);
}

TEST_F(KXWatcherDlgTest, TheWindowOpensAgainOnTheSameLinkAfterATrace)
{
    WriteRtt("[TRACE_SETTINGS]\r\nTRACE_MODE=0\r\nTRACE_NUM=200\r\n");
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        CKXWatcherDlg dlg;
        const INT_PTR result = Run(dlg, [&](uitest::DialogDriver& d) {
            Command(d, ID_KXW_START_TRACE);
            ASSERT_TRUE(uitest::WaitUntil([&] { return ExecWindow(dlg) && dlg.GetUpdatePointer() > 5; }, 10000));
            uitest::DialogDriver(ExecWindow(dlg)).Click(IDC_EXEC_STOP);
            ASSERT_TRUE(uitest::WaitUntil([&] { return !dlg.IsTracing() && !ExecWindow(dlg); }, 10000));
            ::SendMessageW(d.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
        });
        EXPECT_EQ(result, 1);
    }
    EXPECT_TRUE(boxes.Shown().empty());
}

class LineErrorTest : public KXWatcherDlgTest, public ::testing::WithParamInterface<bool> {};

TEST_P(LineErrorTest, ALineErrorIsWarnedInTheStatusBarOrStopsTheTrace)
{
    const bool display = GetParam();
    WriteRtt(std::string("[TRACE_SETTINGS]\r\nTRACE_MODE=0\r\nTRACE_NUM=200\r\n[OPTION_SETTINGS]\r\nERROR_CHECK=1\r\n") +
             "ERROR_DISPLAY=" + (display ? "1" : "0") + "\r\n");
    CKXWatcherDlg dlg;
    const INT_PTR result = Run(dlg, [&](uitest::DialogDriver& d) {
        CString lineError;
        lineError.LoadString(IDS_TRACE_LINE_ERROR);
        Command(d, ID_KXW_START_TRACE);
        ASSERT_TRUE(uitest::WaitUntil([&] { return ExecWindow(dlg) && Streaming(); }, 10000));
        if (!display) boxes.Answer(IDOK, u"");
        ::SendMessageW(d.Dialog(), WM_COMM_LINK_EVENT, 0, MakeLinkEvent(LINK_EVENT_ERROR));
        if (display) {
            EXPECT_EQ(dlg.StatusBar().GetEntryText(IDS_TRACE_PANE_MESSAGE), lineError);
            KeepPicture(d, "trace-window-line-error-en");
            EXPECT_TRUE(dlg.IsTracing()) << "the trace goes on";
            EXPECT_TRUE(uitest::WaitUntil(
                [&] { return dlg.StatusBar().GetEntryText(IDS_TRACE_PANE_MESSAGE) != lineError; }, 10000))
                << "the warning goes after three seconds";
            uitest::DialogDriver(ExecWindow(dlg)).Click(IDC_EXEC_STOP);
        }
        ASSERT_TRUE(uitest::WaitUntil([&] { return !dlg.IsTracing() && !ExecWindow(dlg); }, 10000));
        uitest::Pump(50);
        EXPECT_EQ(boxes.PendingAnswers(), 0u);
        ::SendMessageW(d.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(boxes.Shown().size(), display ? 0u : 1u) << "the stopped trace is explained";
}

INSTANTIATE_TEST_SUITE_P(WarningOrStop, LineErrorTest, ::testing::Bool());

TEST_F(KXWatcherDlgTest, TheToolWindowsInJapanese)
{
    ScopedEnv japanese{"QV_LANG", "ja"};
    WriteRtt("[TRACE_SETTINGS]\r\nTRACE_MODE=0\r\nTRACE_NUM=200\r\n");
    CKXWatcherDlg dlg;
    const INT_PTR result = Run(dlg, [&](uitest::DialogDriver& d) {
        Command(d, ID_KXW_TOOL_SOPE);
        ASSERT_TRUE(dlg.GetSimpleOpeDlg());
        KeepPicture(uitest::DialogDriver(dlg.GetSimpleOpeDlg()->GetSafeHwnd()), "trace-simple-operation-ja");
        Command(d, ID_KXW_START_TRACE);
        ASSERT_TRUE(uitest::WaitUntil([&] { return ExecWindow(dlg) && Streaming(); }, 10000));
        uitest::DialogDriver exec(ExecWindow(dlg));
        CString monitoring;
        monitoring.LoadString(IDS_TRACE_MONITORING);
        EXPECT_EQ(exec.Text(IDC_EXEC_STATUS), monitoring) << "the status follows the start at once";
        ASSERT_TRUE(uitest::WaitUntil([&] { return exec.Visible(IDC_EXEC_STATUS); }, 5000));
        KeepPicture(exec, "trace-exec-monitoring-ja");
        KeepPicture(d, "trace-window-monitoring-ja");
        exec.Click(IDC_EXEC_STOP);
        ASSERT_TRUE(uitest::WaitUntil([&] { return !dlg.IsTracing(); }, 10000));
        ::SendMessageW(d.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_EQ(result, 1);
}

}  // namespace

namespace {

// A window without a link showing saved traces, in either language.
class TraceFileWindowTest : public ::testing::TestWithParam<const char*> {
protected:
    TraceFileWindowTest()
    {
        // A known trace written as a person's earlier save would have left it.
        uitest::ScopedResources english(u"ZeblLangLib", "en");
        CTraceModel model;
        model.m_TraceSet.TRACE_NUM = 1000;
        model.m_TraceSet.wInterval = 2;
        EXPECT_TRUE(model.AllocBuffers());
        for (int i = 0; i <= 1000; ++i) {
            model.m_DispData.pCh[0][i] = static_cast<std::int32_t>(std::lround(800 * std::sin(i * 0.02)));
            model.m_DispData.pCh[1][i] = (i % 200 < 100 ? i % 100 : 100 - i % 100) * 12 - 600;
            model.m_DispData.pCh[2][i] = (i / 50) % 2 ? 500 : -300;
            model.m_DispData.pCh[3][i] = i * 2 - 1000;
        }
        model.m_nTriggerPos = 200;
        model.m_TraceSet.TRACE_MODE = 1;
        model.m_GraphSet.SPLIT_NUM = 2;
        model.m_GraphSet.GRAPH_NO_CH[2] = model.m_GraphSet.GRAPH_NO_CH[3] = 1;
        model.m_GraphSet.TITLE = u"Axis 1 test run";
        int phase = 0;
        EXPECT_TRUE(SaveTrcDat(CString::FromUtf8(Good()), model, phase));
        std::string text = ReadBytes(Good());
        std::ofstream(Damaged(), std::ios::binary) << text.substr(0, text.size() / 2);
    }
    std::string Good() const { return settings.Path() + "/known.trd"; }
    std::string Damaged() const { return settings.Path() + "/damaged.trd"; }
    bool Japanese() const { return std::string(GetParam()) == "ja"; }

    ScopedEnv language{"QV_LANG", GetParam()};
    ScopedSettingsFolder settings;
    ScriptedMessageBox boxes;
    ScriptedDialogs dialogs;
};

TEST_P(TraceFileWindowTest, AShownTraceIsMeasuredWithTheCursorsZoomedAndKeptWhenAnOpenFails)
{
    CKXWatcherDlg dlg;
    const std::string lang = GetParam();
    const std::string copy = settings.Path() + "/copy.trd";
    const INT_PTR result = RunDialog(dlg, [&](uitest::DialogDriver& d) {
        KeepPicture(d, "trace-window-empty-" + lang);
        // Dropping one file shows it.
        platform::DeliverDroppedFiles(d.Dialog(), {CString::FromUtf8(Good())}, POINT{200, 200});
        uitest::Pump(50);
        EXPECT_TRUE(dlg.Model().IsFileShown());
        KeepPicture(d, "trace-window-dropped-" + lang);

        // The channel selector shows each channel in its colour, before its name.
        const auto swatchPixels = [&](QRgb colour) {
            const QImage combo = d.Widget(IDC_KXW_AB_CHANNEL)->grab().toImage();
            int count = 0;
            for (int y = 0; y < combo.height(); ++y)
                for (int x = 0; x < combo.width() / 2; ++x) count += (combo.pixel(x, y) & 0xFFFFFF) == colour ? 1 : 0;
            return count;
        };
        EXPECT_GE(swatchPixels(0xFF0000), 81) << "channel 1 is red";
        d.ChooseComboEntry(IDC_KXW_AB_CHANNEL, 1);
        EXPECT_GE(swatchPixels(0x00FF00), 81) << "channel 2 is green";
        EXPECT_EQ(swatchPixels(0xFF0000), 0);
        EXPECT_EQ(dlg.Model().m_nABChannel, 1);
        d.ChooseComboEntry(IDC_KXW_AB_CHANNEL, 0);

        // Every button of the tool bar has its tool tip: the part of its
        // command's text after the line break.
        const HWND bar = ::GetDlgItem(d.Dialog(), AFX_IDW_TOOLBAR);
        ASSERT_TRUE(bar);
        const int count = static_cast<int>(::SendMessageW(bar, TB_BUTTONCOUNT, 0, 0));
        int buttons = 0;
        for (int i = 0; i < count; ++i) {
            TBBUTTON button;
            ::SendMessageW(bar, TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&button));
            if (button.fsStyle & TBSTYLE_SEP) continue;
            ++buttons;
            SCOPED_TRACE(button.idCommand);
            RECT rc{};
            ::SendMessageW(bar, TB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&rc));
            ::SendMessageW(bar, WM_MOUSEMOVE, 0, MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2));
            CString command;
            ASSERT_TRUE(command.LoadString(static_cast<UINT>(button.idCommand)));
            const CString tip = CString::FromUtf8(platform::ui::WidgetOf(bar)->toolTip().toStdString());
            EXPECT_FALSE(tip.IsEmpty());
            ASSERT_GE(command.Find(u'\n'), 0) << "a status text and a tool tip";
            EXPECT_EQ(tip, command.Mid(command.Find(u'\n') + 1));
            if (!Japanese() && button.idCommand == static_cast<int>(ID_KXW_ZOOM_IN)) {
                EXPECT_EQ(tip, CString(u"Zoom in (Ctrl+Up)"));
            }
        }
        EXPECT_EQ(buttons, 16);
        // The buttons follow the window's state once the modal loop is idle:
        // a shown file cannot change the trace mode.
        ::SendMessageW(d.Dialog(), WM_KICKIDLE, 0, 0);
        EXPECT_TRUE(::SendMessageW(bar, TB_ISBUTTONENABLED, ID_KXW_FILE_SAVE, 0));
        EXPECT_FALSE(::SendMessageW(bar, TB_ISBUTTONENABLED, ID_KXW_MONITOR_MODE, 0));
        EXPECT_FALSE(::SendMessageW(bar, TB_ISBUTTONENABLED, ID_KXW_START_TRACE, 0));
        EXPECT_TRUE(::SendMessageW(bar, TB_ISBUTTONCHECKED, ID_KXW_TRIGGER_MODE, 0));

        // Cursor A by the menu's set mode and a click, cursor B likewise.
        const CRect graph = dlg.Layout().rcGraph;
        Command(d, ID_KXW_A_CURSOR_SET);
        // Over the graph the pointer tells which cursor a click places.
        for (auto [mode, pointer] : {std::pair{0, IDCUR_KXW_SET_A}, std::pair{ID_KXW_B_CURSOR_SET, IDCUR_KXW_SET_B},
                                     std::pair{ID_KXW_A_CURSOR_SET, IDCUR_KXW_SET_A}}) {
            SCOPED_TRACE(pointer);
            if (mode) Command(d, static_cast<UINT>(mode));
            POINT over{graph.left + 40, graph.top + 20};
            ::ClientToScreen(d.Dialog(), &over);
            ::SetCursorPos(over.x, over.y);
            ::SendMessageW(d.Dialog(), WM_SETCURSOR, d.Dialog().ToWParam(), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
            const HCURSOR expected = ::LoadCursorW(HINSTANCE(), MAKEINTRESOURCEW(pointer));
            ASSERT_TRUE(expected) << "the language library carries the pointer";
            EXPECT_EQ(::GetCursor(), expected);
        }
        Click(d, CPoint(graph.left + 100, graph.top + 20));
        Command(d, ID_KXW_A_CURSOR_SET);
        Command(d, ID_KXW_B_CURSOR_SET);
        Click(d, CPoint(graph.left + 300, graph.top + 20));
        Command(d, ID_KXW_B_CURSOR_SET);
        const std::int32_t rate = CTraceModel::m_nZoomRate[dlg.Model().m_GraphSet.ZOOM];
        EXPECT_EQ(dlg.Model().m_nCursorPos[0], 100 * rate / 20);
        EXPECT_EQ(dlg.Model().m_nCursorPos[1], 300 * rate / 20);
        // Dragging A by its line moves it.
        ::SendMessageW(d.Dialog(), WM_MOUSEMOVE, 0, MAKELPARAM(graph.left + 101, graph.top + 30));
        ::SendMessageW(d.Dialog(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(graph.left + 101, graph.top + 30));
        ::SendMessageW(d.Dialog(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(graph.left + 160, graph.top + 30));
        ::SendMessageW(d.Dialog(), WM_LBUTTONUP, 0, MAKELPARAM(graph.left + 160, graph.top + 30));
        EXPECT_EQ(dlg.Model().m_nCursorPos[0], 160 * rate / 20);
        uitest::Pump(50);
        KeepPicture(d, "trace-window-cursors-" + lang);

        // Zoom in and out by the menu; keys scroll.
        Command(d, ID_KXW_ZOOM_OUT);
        Command(d, ID_KXW_ZOOM_OUT);
        EXPECT_EQ(dlg.Model().m_GraphSet.ZOOM, 5);
        uitest::Pump(50);
        KeepPicture(d, "trace-window-zoomed-out-" + lang);
        for (int i = 0; i < 5; ++i) Command(d, ID_KXW_ZOOM_IN);
        EXPECT_EQ(dlg.Model().m_GraphSet.ZOOM, 0);
        Command(d, ID_KXW_ZOOM_IN);
        EXPECT_EQ(dlg.Model().m_GraphSet.ZOOM, 0) << "no zoom beyond the table";
        ::SendMessageW(d.Dialog(), WM_KEYDOWN, VK_END, 0);
        EXPECT_GT(dlg.View().nScrollPos, 0);
        ::SendMessageW(d.Dialog(), WM_KEYDOWN, VK_HOME, 0);
        EXPECT_EQ(dlg.View().nScrollPos, 0);
        Command(d, ID_KXW_GAUGE_TYPE);
        uitest::Pump(50);
        KeepPicture(d, "trace-window-gauges-" + lang);

        // The about box; while it is open the window does not close.
        uitest::RunModal(
            [&] {
                Command(d, ID_KXW_ABOUT);
                return static_cast<INT_PTR>(IDOK);
            },
            [&] { return dlg.IsModalOpen() && ::GetActiveWindow() != d.Dialog() ? ::GetActiveWindow() : HWND(); },
            [&](uitest::DialogDriver& about) {
                EXPECT_EQ(about.Text(IDC_ABOUT_VERSION), CString(u"1.0.0"));
                KeepPicture(about, "trace-about-" + lang);
                boxes.Answer(IDOK, u"");
                ::SendMessageW(d.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
                EXPECT_EQ(boxes.PendingAnswers(), 0u) << "closing is refused while the about box is open";
                about.Click(IDOK);
            });
        EXPECT_FALSE(dlg.IsModalOpen());

        // Window arrangement: tiled alone the window fills the work area of
        // its monitor; cascaded it takes three quarters of it.
        MONITORINFO monitor;
        ASSERT_TRUE(::GetMonitorInfoW(::MonitorFromWindow(d.Dialog(), MONITOR_DEFAULTTONEAREST), &monitor));
        const CRect work(monitor.rcWork);
        for (UINT tile : {ID_KXW_WINDOW_TILE_HORZ, ID_KXW_WINDOW_TILE_VERT}) {
            SCOPED_TRACE(tile);
            Command(d, tile);
            uitest::Pump(50);
            CRect frame;
            ::GetWindowRect(d.Dialog(), &frame);
            EXPECT_NEAR(frame.left, work.left, 8);
            EXPECT_NEAR(frame.top, work.top, 8);
            EXPECT_NEAR(frame.Width(), work.Width(), 16);
            EXPECT_NEAR(frame.Height(), work.Height(), 40);
        }
        Command(d, ID_KXW_WINDOW_CASCADE);
        uitest::Pump(50);
        CRect cascaded;
        ::GetWindowRect(d.Dialog(), &cascaded);
        EXPECT_NEAR(cascaded.Width(), work.Width() * 3 / 4, 16);
        EXPECT_NEAR(cascaded.Height(), work.Height() * 3 / 4, 40);
        EXPECT_EQ(boxes.PendingAnswers(), 0u);
        KeepPicture(d, "trace-window-cascaded-" + lang);

        // A damaged file is refused and the shown trace stays.
        boxes.Answer(IDOK, u"Phase = 8");
        OpenTraceFile(dlg, d, Damaged());
        EXPECT_EQ(boxes.PendingAnswers(), 0u);
        // The file shown is offered again.
        EXPECT_EQ(tracetest::SaveTraceAs(dlg, d.Dialog(), CString::FromUtf8(copy)), CString(u"known.trd"));
        ::SendMessageW(d.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_EQ(result, 1);
    // The copy holds the same samples as the file shown before the failed open.
    const SavedTrace before = ReadSavedTrace(Good());
    const SavedTrace after = ReadSavedTrace(copy);
    EXPECT_EQ(after.rows, before.rows);
    EXPECT_EQ(after.triggerPos, 200);
}

TEST_P(TraceFileWindowTest, F1OnAControlOpensThatControlsHelpPage)
{
    const std::string lang = GetParam();
    const CString help = platform::JoinPath(platform::GetProgramFolder(), CString::FromUtf8("Quorvane." + lang + ".html"));
    ASSERT_TRUE(platform::FileExists(help)) << "the manager's help is installed beside the program";
    const auto page = [&](int control) {
        return platform::JoinPath(platform::GetProgramFolder(),
                                  CString::FromUtf8("Quorvane." + lang + "/" + std::to_string(0x10000 + control) + ".html"));
    };
    std::vector<std::vector<CString>> opened;
    platform::ScopedDesktopOpenHook hook([&](const std::vector<CString>& arguments) {
        opened.push_back(arguments);
        return true;
    });
    CKXWatcherDlg dlg;
    dlg.SetAppHelpPath(help);
    const INT_PTR result = RunDialog(dlg, [&](uitest::DialogDriver& d) {
        // Help for the graphs' scroll bar (the focus at start), then for a selector.
        for (int control : {IDC_KXW_SCROLL, IDC_KXW_AB_CHANNEL}) {
            SCOPED_TRACE(control);
            ASSERT_TRUE(platform::FileExists(page(control))) << page(control).ToUtf8();
            ::SetFocus(d.Item(control));
            d.Key(Qt::Key_F1);
            ASSERT_FALSE(opened.empty());
            EXPECT_EQ(opened.back(), (std::vector<CString>{u"xdg-open", page(control)}));
            // The page is in the window's language and names the window.
            const std::string text = ReadBytes(page(control).ToUtf8());
            EXPECT_NE(text.find("lang=\"" + lang + "\""), std::string::npos);
        }
        // Help > Contents opens the whole help.
        Command(d, ID_KXW_HELP_TOC);
        EXPECT_EQ(opened.back(), (std::vector<CString>{u"xdg-open", help}));
        EXPECT_EQ(opened.size(), 3u);
        ::SendMessageW(d.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_EQ(result, 1);
    EXPECT_TRUE(boxes.Shown().empty());
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, TraceFileWindowTest, ::testing::Values("en", "ja"));

}  // namespace
