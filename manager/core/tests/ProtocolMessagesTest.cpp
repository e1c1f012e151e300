// The engine among window messages: the end of an action told to its window,
// and waits that keep the thread's messages moving.
#include "manager/core/ControllerCommands.h"
#include "manager/core/ControllerProtocol.h"
#include "manager/core/SystemHelpers.h"

#include "FakeLink.h"

#include "platform/core/Messages.h"
#include "platform/core/Wnd.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using testfx::FakeLink;

constexpr UINT kPokeMessage = WM_APP + 1;
constexpr RECT kRect{0, 0, 10, 10};

class CEndedWnd : public CWnd {
public:
    std::vector<WPARAM> ended;
    std::function<void()> onPoke;

    CEndedWnd() { CreateEx(0, AfxRegisterWndClass(0), u"", WS_OVERLAPPEDWINDOW, kRect, nullptr, 0); }
    ~CEndedWnd() override { DestroyWindow(); }

protected:
    LRESULT OnEnded(WPARAM wParam, LPARAM)
    {
        ended.push_back(wParam);
        return 0;
    }
    LRESULT OnPoke(WPARAM, LPARAM)
    {
        ++pokes;
        if (onPoke) onPoke();
        return 0;
    }

public:
    int pokes = 0;

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CEndedWnd, CWnd)
    ON_MESSAGE(kCommandEndedMessage, &CEndedWnd::OnEnded)
    ON_MESSAGE(kPokeMessage, &CEndedWnd::OnPoke)
END_MESSAGE_MAP()

struct Engine : testing::Test {
    CControllerProtocol protocol;
    FakeLink link{protocol};
    CEndedWnd window;

    Engine() { protocol.SetTimeOut(CControllerProtocol::kReplyTimeoutMs); }
};

TEST_F(Engine, TheEndOfAnActionIsToldToItsWindowOnce)
{
    struct Case {
        const char* name;
        const char* reply;
        std::vector<std::string> later;  // each one read of the link
        BOOL accepted;
        std::vector<WPARAM> ended;
    } cases[] = {
        {"END after the wait", "RUN.1\r\n", {"D0.1=15\r\n", "END.1\r\n"}, TRUE, {1}},
        {"NG after the wait", "RUN.1\r\n", {"NG.1=05\r\n"}, TRUE, {0}},
        {"END with the RUN", "RUN.1\r\nEND.1\r\n", {}, TRUE, {1}},
        {"END split over two reads", "RUN.1\r\n", {"EN", "D.1", "\r\n"}, TRUE, {1}},
        {"ends of other nodes are not ours", "RUN.1\r\n", {"END.12\r\nEND.2\r\n", "END.1\r\n"}, TRUE, {1}},
        {"only the first end is told", "RUN.1\r\n", {"END.1\r\nNG.1=05\r\n", "END.1\r\n"}, TRUE, {1}},
        {"refused action", "NG.1=46\r\n", {"END.1\r\n"}, FALSE, {0}},
        {"OK then END", "OK.1\r\n", {"END.1\r\n"}, TRUE, {1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        window.ended.clear();
        link.ReplyNext(c.reply);
        EXPECT_EQ(SendOrigin(nullptr, &protocol, 1, window), c.accepted);
        // The link's reads come on this thread, so every post is queued when
        // Deliver returns.
        for (const std::string& text : c.later) link.Deliver(text);
        platform::PumpPendingMessages();
        EXPECT_EQ(window.ended, c.ended);
    }
}

TEST_F(Engine, AnActionWithoutWindowTellsNobody)
{
    link.ReplyNext("RUN.1\r\n");
    ASSERT_TRUE(SendOrigin(nullptr, &protocol, 1, window));
    link.ReplyNext("RUN.2\r\n");
    ASSERT_TRUE(protocol.Action(kCmdJogPlus, 2, TRUE, window));
    link.Deliver("END.2\r\n");
    link.Deliver("END.1\r\n");
    platform::PumpPendingMessages();
    EXPECT_EQ(window.ended, std::vector<WPARAM>{1});
}

TEST_F(Engine, EndDuringAnotherCommandIsToldToo)
{
    link.ReplyNext("RUN.1\r\n");
    ASSERT_TRUE(SendOrigin(nullptr, &protocol, 1, window));
    link.ReplyNext("END.1\r\nD0.1=7\r\nOK.1\r\n");
    int value = 0;
    EXPECT_TRUE(QueryDValue(nullptr, &protocol, 1, 0, value));
    EXPECT_EQ(value, 7);
    platform::PumpPendingMessages();
    EXPECT_EQ(window.ended, std::vector<WPARAM>{1});
}

TEST_F(Engine, LinkErrorAfterTheWaitEndsTheAction)
{
    link.ReplyNext("RUN.2\r\n");
    ASSERT_TRUE(SendJog(nullptr, &protocol, 2, TRUE, window));
    protocol.InjectLinkError(0x49);
    platform::PumpPendingMessages();
    EXPECT_EQ(window.ended, std::vector<WPARAM>{0});
    EXPECT_EQ(protocol.GetLastNgCode(), 0x49);
}

TEST_F(Engine, AWindowThatIsGoneIsNotTold)
{
    auto gone = std::make_unique<CEndedWnd>();
    const HWND handle = *gone;
    link.ReplyNext("RUN.1\r\n");
    ASSERT_TRUE(SendOrigin(nullptr, &protocol, 1, handle));
    gone.reset();
    link.Deliver("END.1\r\n");
    platform::PumpPendingMessages();
    EXPECT_FALSE(IsWindow(handle));
}

TEST_F(Engine, TheWaitKeepsTheThreadsMessagesMoving)
{
    // The reply comes only through a message to a window of this thread, as
    // the link's data event does on the user-interface thread.
    window.onPoke = [this] { link.Deliver("K38.1=4\r\nOK.1\r\n"); };
    link.ReplyNext("");
    ASSERT_TRUE(window.PostMessage(kPokeMessage));
    int value = 0;
    EXPECT_TRUE(QueryParameter(nullptr, &protocol, 1, 38, value));
    EXPECT_EQ(value, 4);
}

// A window on a thread of its own whose poke holds the thread, inside the
// wait of its command, until the test lets it go (bounded, so that a fault
// fails the test instead of hanging it).
class Gate {
public:
    void Hold()
    {
        std::unique_lock lock(m_lock);
        m_held = true;
        m_changed.notify_all();
        m_changed.wait_for(lock, std::chrono::seconds(10), [this] { return m_open; });
    }
    bool WaitHeld()
    {
        std::unique_lock lock(m_lock);
        return m_changed.wait_for(lock, std::chrono::seconds(10), [this] { return m_held; });
    }
    void Open()
    {
        std::lock_guard lock(m_lock);
        m_open = true;
        m_changed.notify_all();
    }

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    bool m_held = false;
    bool m_open = false;
};

struct QueryThread {
    Gate gate;
    HWND window;
    std::mutex lock;
    std::condition_variable ready;
    BOOL result = FALSE;
    CString answer;
    std::thread thread;

    ~QueryThread()
    {
        gate.Open();
        if (thread.joinable()) thread.join();
    }

    void Start(CControllerProtocol& protocol, int parameter)
    {
        thread = std::thread([this, &protocol, parameter] {
            CEndedWnd own;
            own.onPoke = [this] { gate.Hold(); };
            {
                std::lock_guard guard(lock);
                window = own;
            }
            ready.notify_all();
            result = protocol.QueryIndexed(kCmdK, 1, parameter, answer);
        });
        std::unique_lock guard(lock);
        ready.wait_for(guard, std::chrono::seconds(10), [this] { return static_cast<bool>(window); });
    }
};

TEST_F(Engine, AnEndedWaitNeverTakesTheReplyOfTheNextCommand)
{
    // The first query is ended while its thread is held in its wait; the next
    // command's reply is there when that thread goes on.
    QueryThread first;
    first.Start(protocol, 1);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!protocol.IsBusy() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_TRUE(PostMessageW(first.window, kPokeMessage, 0, 0));
    ASSERT_TRUE(first.gate.WaitHeld());
    protocol.ClearBusy();

    QueryThread second;
    second.Start(protocol, 2);
    ASSERT_TRUE(PostMessageW(second.window, kPokeMessage, 0, 0));
    ASSERT_TRUE(second.gate.WaitHeld());
    link.Deliver("K2.1=7\r\nOK.1\r\n");

    first.gate.Open();
    first.thread.join();
    second.gate.Open();
    second.thread.join();

    EXPECT_FALSE(first.result);
    EXPECT_EQ(first.answer.ToUtf8(), "Cancelled");
    EXPECT_TRUE(second.result);
    EXPECT_EQ(second.answer.ToUtf8(), "K2.1=7\r\n");
}

TEST(PumpMessages, HandlesAtMostTheCountAndAtLeastOne)
{
    CEndedWnd window;
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(window.PostMessage(kPokeMessage));
    PumpMessages(2);
    EXPECT_EQ(window.pokes, 2);
    PumpMessages(0);
    EXPECT_EQ(window.pokes, 3);
    PumpAllMessages();
    EXPECT_EQ(window.pokes, 5);
    PumpMessages(3);  // nothing waiting: returns at once
    EXPECT_EQ(window.pokes, 5);

    // A quit stays for the outer loop and stops the pumping.
    PostQuitMessage(0);
    ASSERT_TRUE(window.PostMessage(kPokeMessage));
    ASSERT_TRUE(window.PostMessage(kPokeMessage));
    PumpMessages(4);
    EXPECT_EQ(window.pokes, 6);
    PumpAllMessages();
    EXPECT_EQ(window.pokes, 7);
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, HWND(), 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_QUIT);
}

}  // namespace
