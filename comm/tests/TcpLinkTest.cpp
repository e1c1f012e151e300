#include "comm/CommManager.h"
#include "comm/tests/LinkTestSupport.h"

#include "platform/core/Synchronization.h"
#include "platform/core/TcpClient.h"
#include "tests/support/ScriptedMessageBox.h"
#include "tests/support/emulator/Emulator.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

using namespace linktest;

// A loopback port that nobody listens on.
WORD UnusedPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t length = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &length);
    ::close(fd);
    return ntohs(a.sin_port);
}

class TcpLinkTest : public ::testing::Test {
protected:
    TcpLinkTest() : log(&link)
    {
        link.Initialize();
        link.AttatchWnd(log.m_hWnd);
    }
    void Target(const char16_t* host, WORD port)
    {
        link.SetPortType(PORT_TCP);
        link.SetHostName(host);
        link.SetTCPPort(port);
    }

    ScopedSettingsFolder settings;
    ScriptedMessageBox boxes;
    CCommManager link;
    EventLog log;
};

TEST_F(TcpLinkTest, ExchangesTextWithAControllerAndClosesWhenThePeerGoes)
{
    ScopedCodePage cp(CP_SHIFT_JIS);
    emu::Emulator emulator;
    emulator.AddController(1).SetControllerName(emulator.Line().ToLine("ロボット"));
    const uint16_t port = emulator.ServeTcp();
    ASSERT_NE(port, 0) << emulator.LastError();

    Target(u"127.0.0.1", port);
    ASSERT_EQ(link.Open(), 1);
    EXPECT_EQ(link.IsOpen(), 1);
    EXPECT_EQ(link.SendData(u"@?CONT.1\r\n"), 0) << "not ready before the connected event";
    ASSERT_TRUE(PumpUntil([&] { return log.Has(LINK_EVENT_CONNECT); }));
    EXPECT_EQ(log.Events().front().error, 0);
    EXPECT_EQ(link.IsReady(), 1);
    EXPECT_EQ(link.GetDefPortType(), PORT_TCP);

    ASSERT_EQ(link.SendData(u"@?CONT.1\r\n"), 1);
    ASSERT_TRUE(PumpUntil([&] { return link.GetInBuff().Find(u"OK.1\r\n") >= 0; }));
    EXPECT_EQ(link.GetInBuff(), Wide("CONT.1=ロボット\r\nOK.1\r\n"));
    EXPECT_EQ(log.Received(), link.GetInBuff());
    EXPECT_EQ(emulator.ReceivedBytes(), "@?CONT.1\r\n");

    emulator.DropLink();
    ASSERT_TRUE(PumpUntil([&] { return log.Has(LINK_EVENT_CLOSE); }));
    EXPECT_EQ(link.IsOpen(), 0);
    EXPECT_EQ(link.GetPortType(), PORT_NONE);
    EXPECT_EQ(log.Kinds(), (std::vector<WORD>{LINK_EVENT_CONNECT, LINK_EVENT_CLOSE}));
}

TEST_F(TcpLinkTest, AnIdleLinkSleepsAndATextSentOnItsThreadGoesOutWithoutAWriterRound)
{
    emu::Emulator emulator;
    emulator.AddController(1).SetParameter(12, 500);
    const uint16_t port = emulator.ServeTcp();
    ASSERT_NE(port, 0) << emulator.LastError();
    const auto before = ThreadWakeUps();
    Target(u"127.0.0.1", port);
    ASSERT_EQ(link.Open(), 1);
    ASSERT_TRUE(PumpUntil([&] { return link.IsReady() == 1; }));
    // The writer thread sleeps on its queue, the socket's watcher on the socket.
    EXPECT_LT(WakeUpsOfNewThreads(before, 500ms), 20);
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        const std::size_t writes = static_cast<std::size_t>(log.Count(LINK_EVENT_WRITE));
        ASSERT_EQ(link.SendData(u"@?K12.1\r\n"), 1);
        ASSERT_TRUE(PumpUntil([&] { return link.GetInBuff().Find(u"OK.1\r\n") >= 0; }));
        EXPECT_EQ(link.GetInBuff(), CString(u"K12.1=500\r\nOK.1\r\n"));
        // The socket took the text at once; no write turn followed.
        PumpFor(20ms);
        EXPECT_EQ(static_cast<std::size_t>(log.Count(LINK_EVENT_WRITE)), writes);
    }
    EXPECT_EQ(emulator.ReceivedBytes(), "@?K12.1\r\n@?K12.1\r\n@?K12.1\r\n@?K12.1\r\n@?K12.1\r\n");
}

TEST_F(TcpLinkTest, AWaitOnTheLineTakesTheReplyAsAReadEventAndLeavesLaterTextToTheWatcher)
{
    emu::Emulator emulator;
    emulator.AddController(1).SetParameter(12, 500);
    emulator.Controller(1).SetControllerName("LB-20");
    const uint16_t port = emulator.ServeTcp();
    ASSERT_NE(port, 0) << emulator.LastError();
    Target(u"127.0.0.1", port);
    ASSERT_EQ(link.Open(), 1);
    ASSERT_TRUE(PumpUntil([&] { return link.IsReady() == 1; }));

    // Nothing was asked: nothing comes, and nothing is handled.
    const std::size_t quiet = log.Events().size();
    EXPECT_FALSE(link.WaitForInputHere(30));
    EXPECT_EQ(log.Events().size(), quiet);

    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const std::size_t before = log.Events().size();
        ASSERT_EQ(link.SendData(u"@?K12.1\r\n"), 1);
        CString received;
        // The reply may come in more than one piece; each is one read event.
        while (received.Find(u"OK.1\r\n") < 0) {
            const std::size_t seen = log.Events().size();
            if (link.WaitForInputHere(5000)) {
                ASSERT_EQ(log.Events().size(), seen + 1);
            } else {
                // The watcher was quicker: its read event goes the usual way.
                ASSERT_TRUE(PumpUntil([&] { return log.Events().size() > seen; }));
            }
            for (std::size_t e = seen; e < log.Events().size(); ++e) received += log.Events()[e].text;
        }
        EXPECT_EQ(received, CString(u"K12.1=500\r\nOK.1\r\n"));
        EXPECT_FALSE(link.HasUnreadInput());
        // The watcher announced nothing more: no second, empty read of the same text.
        PumpFor(30ms);
        for (std::size_t e = before; e < log.Events().size(); ++e) {
            EXPECT_EQ(log.Events()[e].kind, LINK_EVENT_READ);
            EXPECT_FALSE(log.Events()[e].text.IsEmpty());
        }
        EXPECT_EQ(log.Received().Right(received.GetLength()), received);
    }

    // A reply that comes before this thread looks at its messages again
    // counts as unread for a command waiting on another thread.
    ASSERT_EQ(link.SendData(u"@?K12.1\r\n"), 1);
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!link.HasUnreadInput() && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(1ms);
    EXPECT_TRUE(link.HasUnreadInput());
    const auto replies = [&] {
        int n = 0;
        for (int at = log.Received().Find(u"K12.1=500\r\nOK.1\r\n"); at >= 0;
             at = log.Received().Find(u"K12.1=500\r\nOK.1\r\n", at + 1))
            ++n;
        return n;
    };
    ASSERT_TRUE(PumpUntil([&] { return replies() == 4; }));

    // Text that comes while nobody waits on the line reaches the window as before.
    const std::size_t before = log.Events().size();
    ASSERT_EQ(link.SendData(u"@?CONT.1\r\n"), 1);
    ASSERT_TRUE(PumpUntil([&] { return log.Received().Find(u"CONT.1=LB-20\r\nOK.1\r\n") >= 0; }));
    EXPECT_GT(log.Events().size(), before);
}

TEST_F(TcpLinkTest, ARefusedConnectionIsToldAndLeavesTheLinkClosed)
{
    boxes.Answer(IDOK, u"Connection refused");
    Target(u"127.0.0.1", UnusedPort());
    ASSERT_EQ(link.Open(), 1) << "the attempt started";
    ASSERT_TRUE(PumpUntil([&] { return log.Has(LINK_EVENT_CLOSE); }));
    ASSERT_EQ(log.Kinds(), (std::vector<WORD>{LINK_EVENT_CONNECT, LINK_EVENT_CLOSE}));
    EXPECT_EQ(log.Events().front().error, 10061);
    EXPECT_EQ(link.IsOpen(), 0);
    EXPECT_EQ(link.IsReady(), 0);
    EXPECT_EQ(link.GetPortType(), PORT_NONE);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].caption, CString(u"Error"));
}

TEST_F(TcpLinkTest, HostTextsAreAddressesOrNamesToLookUp)
{
    emu::Emulator emulator;
    emulator.AddController(1);
    const uint16_t port = emulator.ServeTcp();
    ASSERT_NE(port, 0);
    std::atomic<int> lookups{0};
    platform::ScopedHostResolver resolver(
        [&](const std::string& host, std::stop_token, platform::Ipv4Address& address) {
            ++lookups;
            if (host != "controller.test") return false;
            address = {127, 0, 0, 1};
            return true;
        });

    struct Row {
        const char16_t* host;
        bool opens;
        int lookups;
    };
    const Row rows[] = {
        {u"127.0.0.1", true, 0},
        {u"controller.test", true, 1},
        {u"300.1.2.3", false, 0},
        {u"1.2.3", false, 0},
        {u"nowhere.test", false, 1},
        {u"", false, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(CString(row.host).ToUtf8());
        lookups = 0;
        EventLog rowLog(&link);
        link.AttatchWnd(rowLog.m_hWnd);
        if (!row.opens) boxes.Answer(IDOK, u"Invalid host");
        Target(row.host, port);
        EXPECT_EQ(link.Open(), row.opens ? 1 : 0);
        if (row.opens) {
            ASSERT_TRUE(PumpUntil([&] { return link.IsReady() == 1; }));
            ASSERT_EQ(link.SendData(u"@?K1.1\r\n"), 1);
            EXPECT_TRUE(PumpUntil([&] { return link.GetInBuff().Find(u"OK.1") >= 0; }));
            link.Close();
        } else {
            // The closed event is still told to the window; the link stays closed.
            EXPECT_TRUE(PumpUntil([&] { return rowLog.Has(LINK_EVENT_CLOSE); }));
            EXPECT_EQ(link.IsOpen(), 0);
        }
        EXPECT_EQ(lookups.load(), row.lookups);
        EXPECT_EQ(boxes.PendingAnswers(), 0u);
    }
}

TEST_F(TcpLinkTest, ClosingTheWindowDuringALookupCancelsItAndTheLinkStaysClosed)
{
    std::mutex mutex;
    std::condition_variable stopped;
    bool sawStop = false;
    const HWND hidden = link.m_hWnd;
    platform::ScopedHostResolver resolver([&](const std::string&, std::stop_token stop, platform::Ipv4Address&) {
        PostMessageW(hidden, WM_SYSCOMMAND, SC_CLOSE, 0);
        std::unique_lock lock(mutex);
        std::stop_callback wake(stop, [&] { stopped.notify_all(); });
        sawStop = stopped.wait_for(lock, kPatience, [&] { return stop.stop_requested(); });
        return false;
    });
    Target(u"controller.test", 23);
    const auto started = Clock::now();
    EXPECT_EQ(link.Open(), 0);
    EXPECT_LT(Clock::now() - started, kPatience);
    EXPECT_EQ(link.IsOpen(), 0);
    EXPECT_EQ(link.IsReady(), 0);
    {
        std::lock_guard lock(mutex);
        EXPECT_TRUE(sawStop) << "the lookup was cancelled";
    }
    EXPECT_TRUE(IsWindow(hidden)) << "the close command waits until the lookup has ended";
    // Now it is handled like any close command of the window.
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(hidden); }));
    EXPECT_FALSE(log.Has(LINK_EVENT_CONNECT));
}

// A window whose handler closes the link, as a dialog's cancel button would.
class Closer : public CWnd {
public:
    explicit Closer(CCommManager& link) : m_link(link) { CreateEx(0, AfxRegisterWndClass(0), u"", 0, RECT{}, nullptr, 0); }
    ~Closer() override { DestroyWindow(); }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message != WM_APP) return CWnd::WindowProc(message, wParam, lParam);
        m_link.Close();
        return 0;
    }

private:
    CCommManager& m_link;
};

TEST_F(TcpLinkTest, CloseFromAHandlerDuringALookupEndsTheOpen)
{
    Closer closer(link);
    const HWND closerWindow = closer.m_hWnd;
    platform::ScopedHostResolver resolver([&](const std::string&, std::stop_token stop, platform::Ipv4Address&) {
        PostMessageW(closerWindow, WM_APP, 0, 0);
        const auto deadline = Clock::now() + kPatience;
        while (!stop.stop_requested() && Clock::now() < deadline) std::this_thread::sleep_for(1ms);
        return false;
    });
    Target(u"controller.test", 23);
    EXPECT_EQ(link.Open(), 0);
    EXPECT_EQ(link.IsOpen(), 0);
    PumpFor(50ms);
    EXPECT_TRUE(IsWindow(link.m_hWnd));
    EXPECT_TRUE(log.Events().empty());

    // The link can be opened again afterwards.
    emu::Emulator emulator;
    emulator.AddController(1);
    Target(u"127.0.0.1", emulator.ServeTcp());
    EXPECT_EQ(link.Open(), 1);
    EXPECT_TRUE(PumpUntil([&] { return link.IsReady() == 1; }));
}

// A loopback server that greets the client it accepts, and then hangs up if asked to.
class GreetingServer {
public:
    explicit GreetingServer(std::string greeting, bool hangUp = false)
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::listen(m_fd, 4);
        socklen_t length = sizeof a;
        ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&a), &length);
        m_port = ntohs(a.sin_port);
        m_thread = std::thread([this, greeting, hangUp] {
            const int client = ::accept(m_fd, nullptr, nullptr);
            if (client < 0) return;
            if (!greeting.empty()) ::send(client, greeting.data(), greeting.size(), MSG_NOSIGNAL);
            if (hangUp) ::close(client);
            else m_client = client;
        });
    }
    ~GreetingServer()
    {
        ::shutdown(m_fd, SHUT_RDWR);
        m_thread.join();
        ::close(m_fd);
        if (m_client >= 0) ::close(m_client);
    }
    WORD Port() const { return m_port; }

private:
    int m_fd = -1;
    int m_client = -1;
    WORD m_port = 0;
    std::thread m_thread;
};

// A window whose handler keeps its thread busy until the link has posted an
// event of a kind; a host-name resolver holds the lookup until it does.
class Staller : public CWnd {
public:
    Staller(CCommManager& link, WORD kind) : m_link(link), m_kind(kind)
    {
        CreateEx(0, AfxRegisterWndClass(0), u"", 0, RECT{}, nullptr, 0);
    }
    ~Staller() override { DestroyWindow(); }
    platform::HostResolver Resolver()
    {
        return [this](const std::string&, std::stop_token, platform::Ipv4Address& address) {
            PostMessageW(m_hWnd, WM_APP, 0, 0);
            const auto deadline = Clock::now() + kPatience;
            while (!m_stalling.load() && Clock::now() < deadline) std::this_thread::sleep_for(1ms);
            address = {127, 0, 0, 1};
            return true;
        };
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message != WM_APP) return CWnd::WindowProc(message, wParam, lParam);
        m_stalling = true;
        const auto deadline = Clock::now() + kPatience;
        MSG msg;
        while (Clock::now() < deadline) {
            if (PeekMessageW(&msg, m_link.m_hWnd, WM_COMM_LINK_EVENT, WM_COMM_LINK_EVENT, PM_NOREMOVE) &&
                LOWORD(static_cast<std::uintptr_t>(msg.lParam)) == m_kind) {
                break;
            }
            std::this_thread::sleep_for(1ms);
        }
        return 0;
    }

private:
    CCommManager& m_link;
    WORD m_kind;
    std::atomic<bool> m_stalling{false};
};

TEST_F(TcpLinkTest, AGreetingThatComesDuringTheLookupFollowsTheConnectedEvent)
{
    GreetingServer server("READY\r\n");
    // The link's thread is held up while the connection is made and the greeting arrives.
    Staller staller(link, LINK_EVENT_READ);
    platform::ScopedHostResolver resolver(staller.Resolver());
    Target(u"controller.test", server.Port());
    ASSERT_EQ(link.Open(), 1);
    ASSERT_TRUE(PumpUntil([&] { return link.GetInBuff().Find(u"READY\r\n") >= 0; }));
    ASSERT_FALSE(log.Events().empty());
    EXPECT_EQ(log.Events().front().kind, LINK_EVENT_CONNECT) << "data was told before the connection";
    EXPECT_EQ(log.Received(), CString(u"READY\r\n"));
}

TEST_F(TcpLinkTest, APeerThatHangsUpDuringTheLookupLeavesTheLinkClosedWithoutAConnectedEvent)
{
    GreetingServer server("", true);
    Staller staller(link, LINK_EVENT_CLOSE);
    platform::ScopedHostResolver resolver(staller.Resolver());
    Target(u"controller.test", server.Port());
    EXPECT_EQ(link.Open(), 0) << "closed before the open ended";
    PumpFor(100ms);
    EXPECT_EQ(link.IsOpen(), 0);
    EXPECT_EQ(log.Kinds(), std::vector<WORD>{LINK_EVENT_CLOSE});
}

// A window whose handler destroys a link, as a dialog that owns one does when it goes.
class Destroyer : public CWnd {
public:
    Destroyer() { CreateEx(0, AfxRegisterWndClass(0), u"", 0, RECT{}, nullptr, 0); }
    ~Destroyer() override { DestroyWindow(); }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message != WM_APP) return CWnd::WindowProc(message, wParam, lParam);
        delete m_link;
        m_link = nullptr;
        return 0;
    }
    CCommManager* m_link = nullptr;
};

TEST_F(TcpLinkTest, ALinkDestroyedByAHandlerDuringALookupOrAnErrorBoxIsNotTouchedAfterwards)
{
    Destroyer destroyer;
    const HWND destroyerWindow = destroyer.m_hWnd;

    // During the host-name lookup that Open waits for.
    {
        platform::ScopedHostResolver resolver([&](const std::string&, std::stop_token stop, platform::Ipv4Address&) {
            PostMessageW(destroyerWindow, WM_APP, 0, 0);
            const auto deadline = Clock::now() + kPatience;
            while (!stop.stop_requested() && Clock::now() < deadline) std::this_thread::sleep_for(1ms);
            return false;
        });
        auto* doomed = new CCommManager;
        ASSERT_TRUE(doomed->Initialize());
        destroyer.m_link = doomed;
        doomed->SetPortType(PORT_TCP);
        doomed->SetHostName(u"controller.test");
        doomed->SetTCPPort(23);
        EXPECT_EQ(doomed->Open(), 0);
        EXPECT_EQ(destroyer.m_link, nullptr) << "the handler ran during the lookup";
    }

    // During the box that tells of a refused connection.
    class DestroyingBox : public platform::IMessageBoxService {
    public:
        explicit DestroyingBox(HWND target) : m_target(target), m_previous(platform::SetMessageBoxService(this)) {}
        ~DestroyingBox() override { platform::SetMessageBoxService(m_previous); }
        int Show(const platform::MessageBoxRequest&) override
        {
            // As a modal box does, the handlers of this thread run while it is shown.
            PostMessageW(m_target, WM_APP, 0, 0);
            PumpUntil([&] { return !IsWindow(m_hidden); });
            return IDOK;
        }
        HWND m_hidden;

    private:
        HWND m_target;
        platform::IMessageBoxService* m_previous;
    } box(destroyerWindow);
    auto* doomed = new CCommManager;
    ASSERT_TRUE(doomed->Initialize());
    box.m_hidden = doomed->m_hWnd;
    destroyer.m_link = doomed;
    doomed->SetPortType(PORT_TCP);
    doomed->SetHostName(u"127.0.0.1");
    doomed->SetTCPPort(UnusedPort());
    ASSERT_EQ(doomed->Open(), 1);
    EXPECT_TRUE(PumpUntil([&] { return destroyer.m_link == nullptr; }));
    PumpFor(50ms);
}

TEST_F(TcpLinkTest, TheReplyToATextSentFromAnotherThreadIsNeverEmptiedAway)
{
    emu::Emulator emulator;
    emulator.AddController(1).SetParameter(12, 500);
    Target(u"127.0.0.1", emulator.ServeTcp());
    ASSERT_EQ(link.Open(), 1);
    ASSERT_TRUE(PumpUntil([&] { return link.IsReady() == 1; }));
    commsettag record;
    link.GetCommSet(&record);
    const HANDLE inLock = record.hInBufMutex;
    const HANDLE outLock = record.hOutBufMutex;

    // This thread holds the in buffer, so the worker's send stops before it empties it.
    ASSERT_EQ(WaitForSingleObject(inLock, 1000), WAIT_OBJECT_0);
    std::thread worker([&] { link.SendData(u"@?K12.1\r\n"); });
    bool sendable = false;
    const auto deadline = Clock::now() + kPatience;
    while (!sendable && Clock::now() < deadline) {
        // Held by the send: nothing can go out before it has emptied the in buffer.
        if (WaitForSingleObject(outLock, 0) != WAIT_OBJECT_0) break;
        link.GetCommSet(&record);
        ReleaseMutex(outLock);
        sendable = !record.strOutBuff.IsEmpty();
        if (!sendable) std::this_thread::sleep_for(1ms);
    }
    // The text could go out, and its reply come in, before the send empties the in buffer.
    if (sendable) PumpUntil([&] { return link.GetInBuff().Find(u"OK.1\r\n") >= 0; });
    ReleaseMutex(inLock);
    worker.join();
    EXPECT_TRUE(PumpUntil([&] { return link.GetInBuff().Find(u"OK.1\r\n") >= 0; })) << "the reply was emptied away";
    EXPECT_EQ(link.GetInBuff(), CString(u"K12.1=500\r\nOK.1\r\n"));
}

TEST_F(TcpLinkTest, ManyTextsGoOutWholeAndInOrder)
{
    emu::Emulator emulator;
    emulator.AddController(1);
    const uint16_t port = emulator.ServeTcp();
    ASSERT_NE(port, 0);
    Target(u"127.0.0.1", port);
    ASSERT_EQ(link.Open(), 1);
    ASSERT_TRUE(PumpUntil([&] { return link.IsReady() == 1; }));
    std::string expected;
    for (int i = 1; i <= 100; ++i) {
        const std::string line = "@?K" + std::to_string(i) + ".1\r\n";
        expected += line;
        ASSERT_EQ(link.SendData(CString::FromUtf8(line)), 1);
    }
    EXPECT_TRUE(PumpUntil([&] { return emulator.ReceivedBytes().size() >= expected.size(); }));
    EXPECT_EQ(emulator.ReceivedBytes(), expected);
}

}  // namespace
