// Messages around a modal dialog: a worker thread posts to it while it runs,
// a worker sends to it while a handler waits and pumps, update handlers run
// when the modal loop goes idle, window timers tick in it.
#include "platform/ui/tests/TestDialog.h"

#include "platform/core/KernelObject.h"
#include "platform/core/Synchronization.h"
#include "platform/core/Thread.h"

#include <atomic>
#include <thread>

namespace {

using uitest::DialogDriver;

constexpr UINT kProgress = WM_APP + 1;
constexpr UINT kAsk = WM_APP + 2;
constexpr int kPosts = 200;

class WorkerDialog : public uitest::AllControlsDialog {
public:
    std::atomic<int> m_received{0};
    int m_lastValue = -1;
    bool m_inOrder = true;
    DWORD m_handlerThread = 0;
    LRESULT m_answer = 0;
    DWORD m_waitResult = 0;
    int m_ticks = 0;

protected:
    LRESULT OnProgress(WPARAM wParam, LPARAM)
    {
        const int value = static_cast<int>(wParam);
        if (value != m_lastValue + 1) m_inOrder = false;
        m_lastValue = value;
        ++m_received;
        SetDlgItemInt(IDC_READONLY, static_cast<UINT>(value), FALSE);
        return 0;
    }

    LRESULT OnAsk(WPARAM wParam, LPARAM)
    {
        m_handlerThread = ::GetCurrentThreadId();
        return static_cast<LRESULT>(wParam) * 6;
    }

    // Apply: a worker asks the dialog something while this handler waits
    // for the worker, pumping as the programs' waits do.
    void OnAskFromWorker()
    {
        const HANDLE done = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        const HWND self = GetSafeHwnd();
        std::thread worker([this, self, done] {
            m_answer = ::SendMessageW(self, kAsk, 7, 0);
            ::SetEvent(done);
        });
        for (;;) {
            m_waitResult = ::MsgWaitForMultipleObjects(1, &done, FALSE, 10000, QS_ALLINPUT);
            if (m_waitResult != WAIT_OBJECT_0 + 1) break;
            platform::PumpPendingMessages();
        }
        worker.join();
        ::CloseHandle(done);
    }

    void OnTimer(UINT_PTR id)
    {
        if (id != 7) return;
        if (++m_ticks == 3) KillTimer(7);
        SetDlgItemInt(IDC_READONLY, static_cast<UINT>(m_ticks), FALSE);
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(WorkerDialog, uitest::AllControlsDialog)
    ON_MESSAGE(kProgress, &WorkerDialog::OnProgress)
    ON_MESSAGE(kAsk, &WorkerDialog::OnAsk)
    ON_BN_CLICKED(IDC_DRAWN, &WorkerDialog::OnAskFromWorker)
    ON_WM_TIMER()
END_MESSAGE_MAP()

class DialogMessagesTest : public ::testing::Test {
protected:
    void TearDown() override { uitest::FlushDeletedWidgets(); }
    uitest::ScopedResources m_resources{u"uitest", "en"};
};

TEST_F(DialogMessagesTest, AWorkerPostsToAModalDialogAndEveryMessageArrivesInOrder)
{
    WorkerDialog dlg;
    std::thread worker;
    CString shown;
    const INT_PTR result = uitest::RunModal(dlg, [&](DialogDriver& d) {
        const HWND hwnd = d.Dialog();
        worker = std::thread([hwnd] {
            for (int i = 0; i < kPosts; ++i) ::PostMessageW(hwnd, kProgress, static_cast<WPARAM>(i), 0);
        });
        EXPECT_TRUE(uitest::WaitUntil([&] { return dlg.m_received.load() == kPosts; }, 10000));
        shown = d.Text(IDC_READONLY);
        d.Click(IDOK);
    });
    worker.join();
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dlg.m_received.load(), kPosts);
    EXPECT_TRUE(dlg.m_inOrder);
    EXPECT_EQ(shown, CString(u"199"));
}

TEST_F(DialogMessagesTest, AWorkersSendIsHandledOnTheDialogsThreadDuringAPumpingWait)
{
    WorkerDialog dlg;
    const INT_PTR result = uitest::RunModal(dlg, [&](DialogDriver& d) {
        d.Click(IDC_DRAWN);
        d.Click(IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dlg.m_waitResult, WAIT_OBJECT_0);
    EXPECT_EQ(dlg.m_answer, 42);
    EXPECT_EQ(dlg.m_handlerThread, ::GetCurrentThreadId());
}

TEST_F(DialogMessagesTest, UpdateHandlersEnableAButtonWhenTheModalLoopIsIdle)
{
    WorkerDialog dlg;
    std::vector<bool> applyEnabled;
    const INT_PTR result = uitest::RunModalSteps(
        dlg, {
                 [&](DialogDriver& d) {
                     applyEnabled.push_back(d.Enabled(IDC_APPLY));
                     d.Click(IDC_ENABLE);  // unticked: the handler disables Apply
                 },
                 [&](DialogDriver& d) {
                     applyEnabled.push_back(d.Enabled(IDC_APPLY));
                     d.Click(IDC_ENABLE);
                 },
                 [&](DialogDriver& d) {
                     applyEnabled.push_back(d.Enabled(IDC_APPLY));
                     d.Click(IDC_APPLY);
                     d.Click(IDOK);
                 },
             });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(applyEnabled, (std::vector<bool>{true, false, true}));
    EXPECT_EQ(dlg.m_applyClicks, 1);
}

TEST_F(DialogMessagesTest, WindowTimersTickInTheModalLoop)
{
    WorkerDialog dlg;
    const INT_PTR result = uitest::RunModal(dlg, [&](DialogDriver& d) {
        dlg.SetTimer(7, 5, nullptr);
        EXPECT_TRUE(uitest::WaitUntil([&] { return dlg.m_ticks == 3; }, 10000));
        uitest::Pump(20);
        EXPECT_EQ(d.Text(IDC_READONLY), CString(u"3"));
        d.Click(IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dlg.m_ticks, 3);
}

}  // namespace
