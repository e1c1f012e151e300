// The application object: its message loop with idle processing that
// keeps the bars up to date and ends with the main window, and the command
// line.
#include "platform/core/CmdUI.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/ToolBar.h"
#include "platform/ui/WinApp.h"
#include "tests/support/ui/UiTest.h"

#include <QTimer>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

constexpr UINT ID_TOOL_RUN = 33001;
constexpr UINT ID_TOOL_STOP = 33002;
constexpr UINT_PTR kFallbackTimer = 7;
constexpr UINT kFallbackMs = 10000;

class LoopFrame : public CFrameWnd {
public:
    CToolBar m_bar;
    bool m_running = false;

protected:
    int OnCreate(LPCREATESTRUCT lpcs)
    {
        if (CFrameWnd::OnCreate(lpcs) == -1) return -1;
        static const UINT kButtons[] = {ID_TOOL_RUN, ID_TOOL_STOP};
        if (!m_bar.Create(this)) return -1;
        m_bar.SetButtons(kButtons, 2);
        // Should the loop never end the test, the window ends it.
        SetTimer(kFallbackTimer, kFallbackMs);
        return 0;
    }
    void OnTimer(UINT_PTR id)
    {
        if (id != kFallbackTimer) return;
        ADD_FAILURE() << "the loop did not end by itself";
        DestroyWindow();
    }
    void OnRun() { m_running = true; }
    void OnStop() { m_running = false; }
    void OnUpdateRun(CCmdUI* pCmdUI) { pCmdUI->Enable(!m_running); }
    void OnUpdateStop(CCmdUI* pCmdUI) { pCmdUI->Enable(m_running); }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(LoopFrame, CFrameWnd)
    ON_WM_CREATE()
    ON_WM_TIMER()
    ON_COMMAND(ID_TOOL_RUN, &LoopFrame::OnRun)
    ON_COMMAND(ID_TOOL_STOP, &LoopFrame::OnStop)
    ON_UPDATE_COMMAND_UI(ID_TOOL_RUN, &LoopFrame::OnUpdateRun)
    ON_UPDATE_COMMAND_UI(ID_TOOL_STOP, &LoopFrame::OnUpdateStop)
END_MESSAGE_MAP()

// Clicks Run at the first idle round, checks the bar at the next, closes.
class LoopApp : public CWinApp {
public:
    LoopApp() : CWinApp(u"Loop Test") {}
    int m_idleRounds = 0;
    bool m_stopEnabledAfterRun = false;
    bool m_runEnabledAtStart = false;
    int m_exitCalls = 0;

    BOOL OnIdle(LONG lCount) override
    {
        const BOOL more = CWinApp::OnIdle(lCount);
        if (lCount != 0) return more;
        auto* frame = static_cast<LoopFrame*>(m_pMainWnd);
        if (!frame) return FALSE;
        ++m_idleRounds;
        CToolBarCtrl& bar = frame->m_bar.GetToolBarCtrl();
        if (m_idleRounds == 1) {
            m_runEnabledAtStart = bar.IsButtonEnabled(static_cast<int>(ID_TOOL_RUN)) != FALSE;
            frame->PostMessage(WM_COMMAND, ID_TOOL_RUN, 0);
        } else if (m_idleRounds == 2) {
            m_stopEnabledAfterRun = bar.IsButtonEnabled(static_cast<int>(ID_TOOL_STOP)) != FALSE &&
                                    bar.IsButtonEnabled(static_cast<int>(ID_TOOL_RUN)) == FALSE;
            frame->PostMessage(WM_CLOSE);
        }
        return more;
    }
    int ExitInstance() override
    {
        ++m_exitCalls;
        return CWinApp::ExitInstance();
    }
};

TEST(App, LoopRunsIdleRoundsAndEndsWithTheMainWindow)
{
    LoopApp app;
    auto* frame = new LoopFrame;
    ASSERT_TRUE(frame->Create(nullptr, u"Loop"));
    app.m_pMainWnd = frame;
    frame->ShowWindow(SW_SHOW);
    const int code = app.Run();
    EXPECT_EQ(code, 0);
    EXPECT_EQ(app.m_exitCalls, 1);
    EXPECT_TRUE(app.m_runEnabledAtStart);
    EXPECT_TRUE(app.m_stopEnabledAfterRun);
    EXPECT_GE(app.m_idleRounds, 2);
    EXPECT_EQ(AfxGetMainWnd(), nullptr);
    EXPECT_FALSE(app.IsMessageLoopRunning());
    uitest::FlushDeletedWidgets();
}

// Notifications that another thread posts many times a second (as a polled
// line does) may share idle rounds, but the state the last one leaves
// reaches the bars all the same, and the loop still ends with the window.
class NotifiedFrame : public LoopFrame {
public:
    static constexpr UINT kNotification = WM_APP + 7;
    static constexpr int kCount = 60;
    std::atomic<int> m_handled{0};

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == kNotification) {
            // The last notification starts the run, as a command would.
            if (++m_handled == kCount) SendMessage(WM_COMMAND, ID_TOOL_RUN, 0);
            return 0;
        }
        return LoopFrame::WindowProc(message, wParam, lParam);
    }
};

class NotifiedApp : public CWinApp {
public:
    NotifiedApp() : CWinApp(u"Loop Test") {}
    bool m_sawTheLastState = false;

    BOOL OnIdle(LONG lCount) override
    {
        const BOOL more = CWinApp::OnIdle(lCount);
        auto* frame = static_cast<NotifiedFrame*>(m_pMainWnd);
        if (lCount != 0 || !frame || frame->m_handled.load() < NotifiedFrame::kCount) return more;
        CToolBarCtrl& bar = frame->m_bar.GetToolBarCtrl();
        if (bar.IsButtonEnabled(static_cast<int>(ID_TOOL_STOP)) && !bar.IsButtonEnabled(static_cast<int>(ID_TOOL_RUN))) {
            m_sawTheLastState = true;
            frame->PostMessage(WM_CLOSE);
        }
        return more;
    }
};

TEST(App, TheLastOfManyNotificationsReachesTheBars)
{
    NotifiedApp app;
    auto* frame = new NotifiedFrame;
    ASSERT_TRUE(frame->Create(nullptr, u"Loop"));
    app.m_pMainWnd = frame;
    frame->ShowWindow(SW_SHOW);
    const HWND target = frame->GetSafeHwnd();
    std::thread line([target] {
        for (int i = 0; i < NotifiedFrame::kCount; ++i) {
            ::PostMessageW(target, NotifiedFrame::kNotification, 0, 0);
            std::this_thread::sleep_for(std::chrono::milliseconds(3));
        }
    });
    const int code = app.Run();
    line.join();
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(app.m_sawTheLastState);
    EXPECT_EQ(AfxGetMainWnd(), nullptr);
    uitest::FlushDeletedWidgets();
}

// A window whose every message posts the next one: the program's queue is
// never empty while the stream runs.
class StreamFrame : public LoopFrame {
public:
    static constexpr UINT kNext = WM_APP + 8;
    std::atomic<bool> m_streaming{true};
    int m_streamed = 0;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == kNext) {
            ++m_streamed;
            if (m_streaming.load()) PostMessage(kNext);
            return 0;
        }
        return LoopFrame::WindowProc(message, wParam, lParam);
    }
};

TEST(App, TheToolkitsEventsAreHandledWhileMessagesKeepComing)
{
    LoopApp app;
    auto* frame = new StreamFrame;
    ASSERT_TRUE(frame->Create(nullptr, u"Loop"));
    // The loop test's app would click and close at its idle rounds: none
    // come while the stream runs, and the window is closed here.
    app.m_pMainWnd = frame;
    frame->ShowWindow(SW_SHOW);
    frame->PostMessage(StreamFrame::kNext);
    int streamedBefore = -1;
    // An event of the toolkit (as input or a paint is), queued while the stream runs.
    QTimer::singleShot(50, [frame, &streamedBefore] {
        streamedBefore = frame->m_streamed;
        frame->m_streaming = false;
        frame->PostMessage(WM_CLOSE);
    });
    app.Run();
    EXPECT_GT(streamedBefore, 0) << "the toolkit's event came only after the stream";
    EXPECT_EQ(AfxGetMainWnd(), nullptr);
    uitest::FlushDeletedWidgets();
}

TEST(App, CommandLineNamesTheFileToOpen)
{
    struct Row {
        const char* name;
        std::vector<CString> arguments;
        CCommandLineInfo::ShellCommand command;
        const char16_t* file;
    };
    const Row rows[] = {
        {"nothing", {}, CCommandLineInfo::FileNew, u""},
        {"a file", {u"/data/axis.sht"}, CCommandLineInfo::FileOpen, u"/data/axis.sht"},
        {"switches are not files", {u"/ini", u"-x", u"axis.sht", u"other.sht"}, CCommandLineInfo::FileOpen, u"axis.sht"},
        {"only switches", {u"/ini"}, CCommandLineInfo::FileNew, u""},
    };
    LoopApp app;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CCommandLineInfo info;
        app.ParseCommandLine(info, row.arguments);
        EXPECT_EQ(info.m_nShellCommand, row.command);
        EXPECT_EQ(info.m_strFileName, row.file);
    }
    // Nothing to do is done at once, with no window and no document.
    CCommandLineInfo nothing;
    nothing.m_nShellCommand = CCommandLineInfo::FileNothing;
    EXPECT_TRUE(app.ProcessShellCommand(nothing));
    EXPECT_EQ(app.GetOpenDocumentCount(), 0);
    // A file to open without any template fails.
    CCommandLineInfo open;
    open.m_nShellCommand = CCommandLineInfo::FileOpen;
    open.m_strFileName = u"/nowhere/axis.sht";
    EXPECT_FALSE(app.ProcessShellCommand(open));
}

}  // namespace
