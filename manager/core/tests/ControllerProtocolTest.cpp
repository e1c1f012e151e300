#include "manager/core/ControllerProtocol.h"

#include "FakeLink.h"
#include "platform/core/Messages.h"
#include "platform/core/Wnd.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

namespace {

using namespace std::chrono_literals;
using testfx::FakeLink;

// Bounded, so a command that never starts fails the test instead of hanging it.
void WaitUntilBusy(const CControllerProtocol& protocol)
{
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!protocol.IsBusy() && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(1ms);
}

struct ProtocolFixture : testing::Test {
    CControllerProtocol protocol;
    FakeLink link{protocol};

    ProtocolFixture() { protocol.SetTimeOut(200); }
};

TEST(KeywordOfCommand, PrefixAndKeyword)
{
    struct Case {
        int kind;
        BOOL query;
        const char* text;
    } cases[] = {
        {kCmdK, TRUE, "@?K"},         {kCmdK, FALSE, "@K"},          {kCmdT, FALSE, "@T"},
        {kCmdINB, TRUE, "@?INB"},     {kCmdWIO, TRUE, "@?WIO"},      {kCmdRECO, TRUE, "@?RECO"},
        {kCmdREC, TRUE, "@?REC"},     {kCmdH, FALSE, "@H"},          {kCmdCOM, TRUE, "@?COMR"},
        {kCmdCOM, FALSE, "@COMW"},    {kCmdSETID, FALSE, "@SETID"},  {kCmdInitComw, FALSE, "@INIT COMW"},
        {kCmdReadHprm, FALSE, "@READ HPRM"}, {kCmdJogMinus, FALSE, "@JOG-"}, {kCmdInchPlus, FALSE, "@INCH+"},
        {kCmdReset, FALSE, "@RESET"}, {71, FALSE, "@???"},           {-1, TRUE, "@????"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(CControllerProtocol::KeywordOfCommand(c.kind, c.query).ToUtf8(), c.text);
    }
}

TEST_F(ProtocolFixture, EntryPointsSendTheirCommandLines)
{
    struct Case {
        const char* line;
        const char* reply;
        std::function<BOOL(CControllerProtocol&, CString&)> call;
    } cases[] = {
        {"@ORG.2", "RUN.2\r\n", [](auto& p, CString&) { return p.Action(kCmdOrg, 2, TRUE, HWND()); }},
        {"@START12.1", "RUN.1\r\n",
         [](auto& p, CString&) { return p.ActionIndexed(kCmdStart, 1, 12, TRUE, HWND()); }},
        {"@RESET.3", "OK.3\r\n", [](auto& p, CString&) { return p.Command(kCmdReset, 3); }},
        {"@SRVO1.1", "OK.1\r\n", [](auto& p, CString&) { return p.CommandIndexed(kCmdServo, 1, 1); }},
        {"@DEL3-7.1", "OK.1\r\n", [](auto& p, CString&) { return p.CommandRange(kCmdDEL, 1, 3, 7); }},
        {"@K12.1=500", "OK.1\r\n", [](auto& p, CString&) { return p.WriteValue(kCmdK, 1, 12, 500); }},
        {"@K12.1=-5", "OK.1\r\n", [](auto& p, CString&) { return p.WriteValue(kCmdK, 1, 12, -5); }},
        {"@K75=0", "OK.\r\n", [](auto& p, CString&) { return p.WriteValue(kCmdK, 0, 75, 0); }},
        {"@ROBOT.2=RX 10", "OK.2\r\n", [](auto& p, CString&) { return p.WriteText(kCmdROBOT, 2, u"RX 10"); }},
        {"@COMW9.1=c0a80002", "OK.1\r\n",
         [](auto& p, CString&) { return p.WriteIndexedText(kCmdCOM, 1, 9, u"c0a80002"); }},
        {"@?CONT.1", "CONT.1=LB\r\nOK.1\r\n",
         [](auto& p, CString& out) { return p.QueryCommand(kCmdCONT, 1, out, TRUE); }},
        {"@READ PNT.1", "OK.1\r\n",
         [](auto& p, CString& out) { return p.QueryCommand(kCmdReadPnt, 1, out, FALSE); }},
        {"@?CONT", "CONT.1=LB\r\nOK.\r\n",
         [](auto& p, CString& out) { return p.QueryCommand(kCmdCONT, 0, out, TRUE); }},
        {"@?IN1.2", "IN1.2=4\r\nOK.2\r\n", [](auto& p, CString& out) { return p.QueryIndexed(kCmdIN, 2, 1, out); }},
        {"@?COMR2", "COMR2.1=x\r\nOK.\r\n",
         [](auto& p, CString& out) { return p.QueryIndexed(kCmdCOM, 0, 2, out); }},
        {"@?D0-10.1", "D0.1=1\r\nOK.1\r\n", [](auto& p, CString& out) { return p.QueryRange(kCmdD, 1, 0, 10, out); }},
        {"@SETID", "OK.\r\n", [](auto& p, CString&) { return p.BroadcastSetId(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        link.ReplyNext(c.reply);
        CString out;
        EXPECT_TRUE(c.call(protocol, out));
        EXPECT_EQ(link.LastSent(), std::string(c.line) + "\r\n");
        EXPECT_FALSE(protocol.IsBusy());
    }
}

TEST_F(ProtocolFixture, NodesOutOfRangeSendNothing)
{
    struct Case {
        const char* name;
        std::function<BOOL(CControllerProtocol&, CString&)> call;
        const char* out;
    } cases[] = {
        {"action to node 0", [](auto& p, CString&) { return p.Action(kCmdOrg, 0, TRUE, HWND()); }, ""},
        {"command to node 0", [](auto& p, CString&) { return p.Command(kCmdReset, 0); }, ""},
        {"range to node 0", [](auto& p, CString&) { return p.CommandRange(kCmdDEL, 0, 1, 2); }, ""},
        {"write to node -1", [](auto& p, CString&) { return p.WriteValue(kCmdK, -1, 1, 0); }, ""},
        {"text to node 0", [](auto& p, CString&) { return p.WriteText(kCmdROBOT, 0, u"x"); }, ""},
        {"query of node -1", [](auto& p, CString& out) { return p.QueryCommand(kCmdCONT, -1, out, TRUE); },
         "Invalid Node No."},
        {"indexed query of node -1", [](auto& p, CString& out) { return p.QueryIndexed(kCmdK, -1, 1, out); },
         "Invalid Node No."},
        {"range query of node 0", [](auto& p, CString& out) { return p.QueryRange(kCmdD, 0, 0, 10, out); },
         "Invalid Node No."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CString out;
        EXPECT_FALSE(c.call(protocol, out));
        EXPECT_EQ(out.ToUtf8(), c.out);
    }
    EXPECT_TRUE(link.Sent().empty());
}

TEST_F(ProtocolFixture, OfflineLinkSucceedsWithoutSending)
{
    link.SetPortType(kOfflinePortType);
    CString out(u"kept");
    EXPECT_TRUE(protocol.Command(kCmdReset, 1));
    EXPECT_TRUE(protocol.WriteValue(kCmdK, 0, 75, 0));
    EXPECT_TRUE(protocol.Action(kCmdOrg, 1, TRUE, HWND()));
    EXPECT_TRUE(protocol.QueryCommand(kCmdCONT, 1, out, TRUE));
    EXPECT_TRUE(protocol.QueryRange(kCmdD, 1, 0, 10, out));
    EXPECT_TRUE(protocol.BroadcastSetId());
    EXPECT_EQ(protocol.StopCommand(1), 1);
    EXPECT_EQ(out.ToUtf8(), "kept");
    EXPECT_TRUE(link.Sent().empty());
}

TEST_F(ProtocolFixture, RefusedCommandLeavesTheEngineUsable)
{
    link.SetRefuse(true);
    CString out;
    EXPECT_EQ(protocol.Send(u"@?CONT.1\r\n"), kReplyRefused);
    EXPECT_FALSE(protocol.IsBusy());
    EXPECT_FALSE(protocol.QueryCommand(kCmdCONT, 1, out, TRUE));
    EXPECT_EQ(out.ToUtf8(), "Command in progress");
    EXPECT_FALSE(protocol.IsBusy());

    link.SetRefuse(false);
    link.ReplyNext("CONT.1=LB\r\nOK.1\r\n");
    EXPECT_TRUE(protocol.QueryCommand(kCmdCONT, 1, out, TRUE));
    EXPECT_EQ(out.ToUtf8(), "CONT.1=LB\r\n");
}

TEST_F(ProtocolFixture, QueryResultsAndTexts)
{
    struct Case {
        const char* name;
        const char* reply;
        BOOL result;
        const char* out;
        const char* lastError;
        int ngCode;
    } cases[] = {
        {"answer", "K12.1=500\r\nOK.1\r\n", TRUE, "K12.1=500\r\n", "", -1},
        {"NG", "NG.1=4A\r\n", FALSE, "Error!", "NG.1=4A", 0x4A},
        {"NG without code", "NG.1\r\n", FALSE, "Error!", "NG.1", -1},
        {"no reply", "", FALSE, "time out", "TimeOut", -1},
        {"OK of another node only", "K12.1=500\r\nOK.12\r\n", FALSE, "time out", "TimeOut", -1},
        {"LOADING, then the answer", "LOADING.1\r\nK12.1=500\r\nOK.1\r\n", TRUE, "K12.1=500\r\n", "", -1},
        {"garbage", "#$%\r\n", FALSE, "time out", "TimeOut", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        link.ReplyNext(c.reply);
        CString out;
        EXPECT_EQ(protocol.QueryIndexed(kCmdK, 1, 12, out), c.result);
        EXPECT_EQ(out.ToUtf8(), c.out);
        EXPECT_EQ(protocol.GetLastErrorText().ToUtf8(), c.lastError);
        EXPECT_EQ(protocol.GetLastNgCode(), c.ngCode);
        EXPECT_FALSE(protocol.IsBusy());
    }
}

TEST_F(ProtocolFixture, LeftoverTextIsNoPartOfTheNextAnswer)
{
    // The first reply never completes; its tail arrives after the time-out.
    link.ReplyNext("K12.1=5");
    CString out;
    EXPECT_FALSE(protocol.QueryIndexed(kCmdK, 1, 12, out));
    link.Deliver("00\r\nOK.1\r\n");

    link.ReplyNext("K13.1=7\r\nOK.1\r\n");
    EXPECT_TRUE(protocol.QueryIndexed(kCmdK, 1, 13, out));
    EXPECT_EQ(out.ToUtf8(), "K13.1=7\r\n");
}

TEST_F(ProtocolFixture, LineWhoseCrComesFirstCompletes)
{
    link.ReplyNext("\r");
    protocol.Send(u"@?K1.1\r\n");
    CString line;
    EXPECT_EQ(protocol.WaitLine(line), kReplyLine);
    EXPECT_EQ(line.ToUtf8(), "\r");
    protocol.ClearBusy();
}

TEST_F(ProtocolFixture, WaitLineTakesEveryCompleteLineAndItsLf)
{
    link.ReplyNext("A=1\r\nOK.1\r\nrest");
    protocol.Send(u"@?A.1\r\n");
    CString line;
    ASSERT_EQ(protocol.WaitLine(line), kReplyLine);
    EXPECT_EQ(line.ToUtf8(), "A=1\r\nOK.1\r");
    link.Deliver("\r\n");
    ASSERT_EQ(protocol.WaitLine(line), kReplyLine);
    EXPECT_EQ(line.ToUtf8(), "rest\r");
    protocol.ClearBusy();
}

TEST_F(ProtocolFixture, TimeOutRestartsWhileTextKeepsArriving)
{
    protocol.SetTimeOut(300);
    std::atomic<bool> done{false};
    link.ReplyNext("");
    std::thread feeder([&] {
        // The reply starts only once the command is out, as on a real line:
        // text sent before would be emptied away with the receive buffer.
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        while (link.Sent().empty() && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(1ms);
        link.Deliver("K1.1=");
        // Far longer than the time-out in all, but never silent for a whole period.
        for (int i = 0; i < 40 && !done; ++i) {
            std::this_thread::sleep_for(25ms);
            link.Deliver("x");
        }
        link.Deliver("\r\nOK.1\r\n");
    });
    CString out;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(protocol.QueryIndexed(kCmdK, 1, 1, out));
    done = true;
    feeder.join();
    EXPECT_GE(std::chrono::steady_clock::now() - start, 900ms);
    EXPECT_EQ(out.ToUtf8(), "K1.1=" + std::string(40, 'x') + "\r\n");
}

// A reply that came in time but waits for a busy thread to read it (the
// link's data event is still queued) is not a time-out: the wait goes on
// until the text is read. Without such text, silence times out as before.
TEST_F(ProtocolFixture, AReplyThatCameInTimeButIsReadLateIsNoTimeOut)
{
    protocol.SetTimeOut(200);
    link.ReplyNext("");
    link.SetUnreadInput(true);
    std::thread reader([&] {
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (link.Sent().empty() && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(1ms);
        // The reading thread is busy for several time-out periods.
        std::this_thread::sleep_for(700ms);
        link.SetUnreadInput(false);
        link.Deliver("K1.1=500\r\nOK.1\r\n");
    });
    CString out;
    EXPECT_TRUE(protocol.QueryIndexed(kCmdK, 1, 1, out)) << out.ToUtf8();
    reader.join();
    EXPECT_EQ(out.ToUtf8(), "K1.1=500\r\n");

    link.ReplyNext("");
    EXPECT_FALSE(protocol.QueryIndexed(kCmdK, 1, 1, out));
    EXPECT_EQ(out.ToUtf8(), "time out") << "nothing came in: a time-out";
}

TEST_F(ProtocolFixture, QueryWhileBusyIsRefusedAndTheWaitingCommandGoesOn)
{
    protocol.SetTimeOut(5000);
    link.ReplyNext("");
    CString second;
    BOOL secondResult = TRUE;
    std::thread other([&] {
        WaitUntilBusy(protocol);
        secondResult = protocol.QueryIndexed(kCmdK, 1, 2, second);
        link.Deliver("K1.1=9\r\nOK.1\r\n");
    });
    CString first;
    EXPECT_TRUE(protocol.QueryIndexed(kCmdK, 1, 1, first));
    other.join();
    EXPECT_FALSE(secondResult);
    EXPECT_EQ(second.ToUtf8(), "Command in progress");
    EXPECT_EQ(first.ToUtf8(), "K1.1=9\r\n");
    EXPECT_EQ(link.Sent().size(), 1u);
}

TEST_F(ProtocolFixture, ClearingBusyEndsTheWaitAsFailure)
{
    protocol.SetTimeOut(30000);
    link.ReplyNext("");
    std::thread stopper([&] {
        WaitUntilBusy(protocol);
        protocol.ClearBusy();
    });
    CString out;
    EXPECT_FALSE(protocol.QueryIndexed(kCmdK, 1, 1, out));
    stopper.join();
    EXPECT_EQ(out.ToUtf8(), "Cancelled");
    EXPECT_FALSE(protocol.IsBusy());
}

// Reports a line error from inside a command's wait, as the window that holds
// the link does when its event arrives.
class CLineErrorWnd : public CWnd {
public:
    static constexpr UINT kReport = WM_APP + 1;

    explicit CLineErrorWnd(CControllerProtocol& protocol) : m_protocol(protocol)
    {
        CreateEx(0, AfxRegisterWndClass(0), u"", WS_OVERLAPPEDWINDOW, RECT{0, 0, 10, 10}, nullptr, 0);
    }
    ~CLineErrorWnd() override { DestroyWindow(); }

protected:
    LRESULT OnReport(WPARAM code, LPARAM)
    {
        m_protocol.InjectLinkError(static_cast<int>(code));
        return 0;
    }

    DECLARE_MESSAGE_MAP()

private:
    CControllerProtocol& m_protocol;
};

BEGIN_MESSAGE_MAP(CLineErrorWnd, CWnd)
    ON_MESSAGE(CLineErrorWnd::kReport, &CLineErrorWnd::OnReport)
END_MESSAGE_MAP()

TEST_F(ProtocolFixture, LinkErrorEndsTheCommandAsNg)
{
    protocol.SetTimeOut(30000);
    CLineErrorWnd window(protocol);
    // Also while the echoed reply of another command is coming in, whose
    // tokens are not this command's.
    for (const char* before : {"", "@?ROBOT.3\r\nROBOT.3=RX\r\n"}) {
        SCOPED_TRACE(before);
        link.ReplyNext(before);
        // Handled once the wait has taken what came with the send.
        PostMessageW(window.m_hWnd, CLineErrorWnd::kReport, 0x149, 0);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(protocol.WriteValue(kCmdK, 3, 12, 1));
        EXPECT_LT(std::chrono::steady_clock::now() - start, 10s) << "at once, not after the time-out";
        EXPECT_EQ(protocol.GetLastErrorText().ToUtf8(), "NG.3=49");
        EXPECT_EQ(protocol.GetLastNgCode(), 0x49);
    }
}

TEST_F(ProtocolFixture, CollectionTakesEveryNodeUntilTheLineIsSilent)
{
    struct Case {
        const char* name;
        const char* reply;
        BOOL result;
        const char* out;
        const char* lastError;
    } cases[] = {
        {"two nodes", "CONT.1=LB\r\nOK.\r\nCONT.2=N3\r\nOK.\r\n", TRUE,
         "CONT.1=LB\r\nOK.\r\nCONT.2=N3\r\nOK.\r\n", ""},
        {"echo left out", "@?CONT\r\nCONT.1=LB\r\nOK.\r\n", TRUE, "CONT.1=LB\r\nOK.\r\n", ""},
        {"NG", "CONT.1=LB\r\nOK.\r\nNG.=43\r\n", FALSE, "unchanged", "NG.=43"},
        {"silence", "", FALSE, "unchanged", "TimeOut"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        link.ReplyNext(c.reply);
        CString out(u"unchanged");
        EXPECT_EQ(protocol.SendAndCollectText(u"@?CONT", out), c.result);
        EXPECT_EQ(out.ToUtf8(), c.out);
        EXPECT_EQ(protocol.GetLastErrorText().ToUtf8(), c.lastError);
        EXPECT_FALSE(protocol.IsBusy());
    }
}

TEST_F(ProtocolFixture, StopGoesOutWhateverTheBusyState)
{
    protocol.SetTimeOut(30000);
    link.ReplyNext("");
    std::thread stopper([&] {
        WaitUntilBusy(protocol);
        // Busy comes before the jog line is handed to the link.
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (link.Sent().empty() && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(1ms);
        EXPECT_EQ(protocol.StopCommand(2), 1);
        EXPECT_EQ(protocol.StopCommand(0), 1);
        EXPECT_EQ(protocol.StopCommand(-1), 0);
        link.Deliver("RUN.2\r\n");
    });
    EXPECT_TRUE(protocol.Action(kCmdJogPlus, 2, TRUE, HWND()));
    stopper.join();
    const std::vector<std::string> sent = link.Sent();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[1], "@STOP.2\r\n");
    EXPECT_EQ(sent[2], "@STOP\r\n");

    link.SetRefuse(true);
    EXPECT_EQ(protocol.StopCommand(2), 0);
}

TEST_F(ProtocolFixture, OverlongReplyEndsTheCommand)
{
    protocol.SetTimeOut(30000);
    link.ReplyNext("");
    std::thread talker([&] {
        WaitUntilBusy(protocol);
        const std::string chunk(64 * 1024, 'x');
        for (int i = 0; i <= CControllerProtocol::kMaxReplyChars / static_cast<int>(chunk.size()) && protocol.IsBusy(); ++i) {
            link.Deliver(chunk);
        }
    });
    CString out;
    EXPECT_FALSE(protocol.QueryIndexed(kCmdK, 1, 1, out));
    talker.join();
    EXPECT_FALSE(protocol.IsBusy());
}

}  // namespace
