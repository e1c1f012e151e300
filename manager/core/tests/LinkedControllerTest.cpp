// The engine and the command functions on a real link (TCP on the loopback
// address, or a pseudo-terminal opened as a COM port) to the controller
// emulator, with the link events brought in as the data manager's window does.
#include "manager/core/ControllerCommands.h"
#include "manager/core/ControllerData.h"
#include "manager/core/ControllerDataFile.h"
#include "manager/core/ControllerProtocol.h"

#include "comm/AnswerLine.h"
#include "comm/CommManager.h"
#include "platform/core/ComPortNames.h"
#include "platform/core/Messages.h"
#include "platform/core/Wnd.h"
#include "tests/support/emulator/Emulator.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr WORD kComNumber = 43;
constexpr auto kPatience = 10s;

template <class Done>
bool PumpUntil(Done done)
{
    const auto deadline = Clock::now() + kPatience;
    while (!done()) {
        if (Clock::now() >= deadline) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        platform::PumpPendingMessages();
    }
    return true;
}

// "CommMan.ini" and the rest of the settings in a folder of the test's own.
class ScopedSettingsFolder {
public:
    ScopedSettingsFolder()
    {
        if (const char* old = std::getenv("XDG_CONFIG_HOME")) m_saved = old;
        std::string pattern = (std::filesystem::temp_directory_path() / "qv-linked-XXXXXX").string();
        if (const char* made = ::mkdtemp(pattern.data())) m_path = made;
        ::setenv("XDG_CONFIG_HOME", m_path.c_str(), 1);
    }
    ~ScopedSettingsFolder()
    {
        if (m_saved) ::setenv("XDG_CONFIG_HOME", m_saved->c_str(), 1);
        else ::unsetenv("XDG_CONFIG_HOME");
        std::error_code ignored;
        if (!m_path.empty()) std::filesystem::remove_all(m_path, ignored);
    }
    ScopedSettingsFolder(const ScopedSettingsFolder&) = delete;
    ScopedSettingsFolder& operator=(const ScopedSettingsFolder&) = delete;

private:
    std::string m_path;
    std::optional<std::string> m_saved;
};

// What the data manager's hidden window does with the link's events.
class CLinkWindow : public CWnd {
public:
    explicit CLinkWindow(CControllerProtocol& protocol) : m_protocol(protocol)
    {
        CreateEx(0, AfxRegisterWndClass(0), u"", WS_OVERLAPPEDWINDOW, RECT{0, 0, 10, 10}, nullptr, 0);
    }
    ~CLinkWindow() override { DestroyWindow(); }

    std::vector<WPARAM> ended;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_COMM_LINK_EVENT) {
            const WORD kind = LOWORD(static_cast<std::uintptr_t>(lParam));
            if (kind == LINK_EVENT_READ) m_protocol.OnDataArrived();
            if (kind == LINK_EVENT_ERROR) m_protocol.InjectLinkError(0x49);
            return 0;
        }
        if (message == kCommandEndedMessage) {
            ended.push_back(wParam);
            return 0;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }

private:
    CControllerProtocol& m_protocol;
};

enum class Transport { Tcp, Pty };

class LinkedController : public testing::TestWithParam<Transport> {
protected:
    LinkedController()
    {
        emulator.AddController(1, "LB");
        link.Initialize();
        link.AttatchWnd(window);
        protocol.SetTimeOut(CControllerProtocol::kReplyTimeoutMs);
        protocol.SetLink(&link);
    }

    // Starts the transport and opens the link on it.
    bool Serve()
    {
        if (GetParam() == Transport::Tcp) {
            tcpPort = emulator.ServeTcp();
            if (tcpPort == 0) return false;
        } else {
            const std::string path = emulator.ServePty();
            if (path.empty()) return false;
            bind.emplace(kComNumber, path);
        }
        return Connect();
    }
    bool Connect()
    {
        if (GetParam() == Transport::Tcp) {
            link.SetPortType(PORT_TCP);
            link.SetHostName(u"127.0.0.1");
            link.SetTCPPort(tcpPort);
        } else {
            link.SetPortType(PORT_SERIAL);
            link.SetComPort(kComNumber);
        }
        if (link.Open() != 1) return false;
        return PumpUntil([&] { return link.IsReady() == 1; });
    }

    ScopedSettingsFolder settings;
    emu::Emulator emulator;
    CControllerProtocol protocol;
    CCommManager link;
    CLinkWindow window{protocol};
    std::optional<platform::ScopedComPortDevice> bind;
    uint16_t tcpPort = 0;
};

TEST_P(LinkedController, ReadsAWholeControllerAsTheDataManagerDoes)
{
    emu::ControllerModel& c = emulator.Controller(1);
    c.SetControllerName("LB-20");
    c.SetRobot("RX 10");
    c.SetComment(2, "Line A");
    c.SetPoint(12, {1, -1000, 200, 30, 30, 0, 0, 0, 0, 0, 0, 0, 0});
    c.SetParameter(12, 500);
    c.SetHParameter(3, -7);
    ASSERT_TRUE(Serve()) << emulator.LastError();

    CString text;
    ASSERT_TRUE(QueryControllerName(nullptr, &protocol, 1, text));
    EXPECT_EQ(text.ToUtf8(), "LB-20");
    ASSERT_TRUE(QueryControllerType(nullptr, &protocol, 1, text));
    EXPECT_EQ(text.ToUtf8(), "LB");
    ASSERT_TRUE(QueryComData(nullptr, &protocol, 1, 2, text));
    EXPECT_EQ(text.ToUtf8(), "Line A");
    ASSERT_TRUE(QueryRobotName(nullptr, &protocol, 1, text));
    EXPECT_EQ(text.ToUtf8(), "RX 10");

    ControllerData data;
    data.paramSets.resize(1);
    ASSERT_TRUE(ReadPointTable(nullptr, &protocol, 1, text));
    for (CString rest = text; !rest.IsEmpty();) {
        const int end = rest.Find(u"\r\n");
        ParsePointLine(comm::WithoutAnswerNode(rest.Left(end < 0 ? rest.GetLength() : end).view()), data);
        rest = end < 0 ? CString() : rest.Mid(end + 2);
    }
    EXPECT_EQ(data.points[11], (PointRecord{12, 1, -1000, 200, 30, 30, 0, 0, 0, 0, 0, 0, 0, 0}));
    ASSERT_TRUE(ReadParameterTable(nullptr, &protocol, 1, text));
    EXPECT_NE(text.Find(u"\r\nK12.1=500\r\n"), -1);
    ASSERT_TRUE(ReadHParameterTable(nullptr, &protocol, 1, text));
    EXPECT_NE(text.Find(u"H3.1=-7\r\n"), -1);
}

TEST_P(LinkedController, ALateAnswerIsNeverTakenForTheNextCommandsAnswer)
{
    emulator.Controller(1).SetControllerName("LB-20");
    emulator.Controller(1).SetRobot("RX 10");
    ASSERT_TRUE(Serve()) << emulator.LastError();
    protocol.SetTimeOut(300);
    for (const emu::LateReplyMode& m : emu::kLateReplyModes) {
        SCOPED_TRACE(m.name);
        emulator.SetEcho(m.echo);
        emulator.Script().NextReply(m.Held());
        CString text;
        EXPECT_FALSE(QueryRobotName(nullptr, &protocol, 1, text));
        ASSERT_TRUE(QueryControllerName(nullptr, &protocol, 1, text));
        EXPECT_EQ(text.ToUtf8(), "LB-20");
    }
}

TEST_P(LinkedController, TimeOutRestartsWhileTextKeepsArriving)
{
    ASSERT_TRUE(Serve()) << emulator.LastError();
    protocol.SetTimeOut(700);
    const std::string name(60, 'N');
    emulator.Controller(1).SetControllerName(name);
    emulator.Script().NextReply(emu::Fault::Split(4, 100));
    CString text;
    const auto start = Clock::now();
    ASSERT_TRUE(QueryControllerName(nullptr, &protocol, 1, text));
    EXPECT_GE(Clock::now() - start, 1200ms);
    EXPECT_EQ(text.ToUtf8(), name);
}

TEST_P(LinkedController, CollectionOverAllNodesLastsAtLeastOneTimeOut)
{
    emulator.AddController(2, "N3");
    ASSERT_TRUE(Serve()) << emulator.LastError();
    protocol.SetTimeOut(400);
    const auto start = Clock::now();
    EXPECT_TRUE(WriteParameter(nullptr, &protocol, 0, 75, 0));
    // The time-out is counted on the tick count, in whole milliseconds: it may
    // end up to a millisecond before 400 ms of this clock have passed.
    EXPECT_GE(Clock::now() - start, 399ms);
    CString names;
    ASSERT_TRUE(QueryAllControllerNames(nullptr, &protocol, names));
    EXPECT_NE(names.Find(u"CONT.1="), -1);
    EXPECT_NE(names.Find(u"CONT.2="), -1);
}

TEST_P(LinkedController, QueryFromTheUserInterfaceWhileThePollWaits)
{
    ASSERT_TRUE(Serve()) << emulator.LastError();
    emulator.Script().NextReply(emu::Fault::Late(300));
    std::atomic<bool> done{false};
    BOOL pollResult = FALSE;
    int value = 0;
    std::thread poll([&] {
        pollResult = QueryParameter(nullptr, &protocol, 1, 38, value);
        done = true;
    });
    ASSERT_TRUE(PumpUntil([&] { return protocol.IsBusy() || done; }));
    CString text;
    EXPECT_FALSE(protocol.QueryCommand(kCmdCONT, 1, text, TRUE));
    EXPECT_EQ(text.ToUtf8(), "Command in progress");
    // The link's events come to this thread: it pumps while the poll waits.
    EXPECT_TRUE(PumpUntil([&] { return done.load(); }));
    poll.join();
    EXPECT_TRUE(pollResult);
    EXPECT_EQ(value, 1);
    EXPECT_EQ(emulator.ReceivedCommands(), std::vector<std::string>{"@?K38.1"});
}

TEST_P(LinkedController, AfterADroppedLinkTheNextCommandFailsCleanly)
{
    ASSERT_TRUE(Serve()) << emulator.LastError();
    protocol.SetTimeOut(500);
    emulator.Script().NextReply(emu::Fault::DropLink(3, 0));
    int value = 0;
    EXPECT_FALSE(QueryParameter(nullptr, &protocol, 1, 38, value));
    EXPECT_FALSE(protocol.IsBusy());
    ASSERT_TRUE(PumpUntil([&] { return link.IsOpen() == 0; }));

    CString text;
    const auto start = Clock::now();
    EXPECT_FALSE(protocol.QueryCommand(kCmdCONT, 1, text, TRUE));
    EXPECT_LT(Clock::now() - start, 400ms);  // refused by the link, no wait
    EXPECT_FALSE(protocol.IsBusy());

    if (GetParam() == Transport::Pty) {
        ASSERT_TRUE(PumpUntil([&] { return emulator.PtyOpen(); }));
    }
    ASSERT_TRUE(Connect());
    ASSERT_TRUE(QueryParameter(nullptr, &protocol, 1, 38, value));
    EXPECT_EQ(value, 1);
}

TEST_P(LinkedController, AMotionTellsItsWindowWhenItEnds)
{
    emulator.Controller(1).SetMotionTime(emu::Motion::Origin, 200ms);
    ASSERT_TRUE(Serve()) << emulator.LastError();
    ASSERT_TRUE(SendOrigin(nullptr, &protocol, 1, window));
    ASSERT_TRUE(PumpUntil([&] { return !window.ended.empty(); }));
    EXPECT_EQ(window.ended, std::vector<WPARAM>{1});
}

INSTANTIATE_TEST_SUITE_P(Transports, LinkedController, testing::Values(Transport::Tcp, Transport::Pty),
                         [](const testing::TestParamInfo<Transport>& info) {
                             return info.param == Transport::Tcp ? "Tcp" : "Pty";
                         });

TEST(OfflineLink, ReturnsAtOnceAndSendsNothing)
{
    ScopedSettingsFolder settings;
    CControllerProtocol protocol;
    protocol.SetTimeOut(CControllerProtocol::kReplyTimeoutMs);
    CCommManager link;
    link.Initialize();
    link.SetPortType(PORT_OFFLINE);
    ASSERT_EQ(link.Open(), 1);
    protocol.SetLink(&link);

    const auto start = Clock::now();
    int value = 7;
    CString text(u"kept");
    EXPECT_TRUE(WriteParameter(nullptr, &protocol, 1, 12, 3));
    EXPECT_TRUE(WriteParameter(nullptr, &protocol, 0, 75, 0));
    EXPECT_TRUE(SendOrigin(nullptr, &protocol, 1, HWND()));
    EXPECT_TRUE(protocol.QueryCommand(kCmdCONT, 1, text, TRUE));
    EXPECT_FALSE(QueryParameter(nullptr, &protocol, 1, 12, value));
    EXPECT_LT(Clock::now() - start, 1s);
    EXPECT_EQ(value, 7);
    EXPECT_EQ(text.ToUtf8(), "kept");
    EXPECT_TRUE(link.GetOutBuffAtOnce().IsEmpty());
    EXPECT_FALSE(protocol.IsBusy());
}

}  // namespace
