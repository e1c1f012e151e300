#include "tools/CommandSession.h"
#include "tools/ReplyReceiver.h"
#include "tools/tests/ToolsTestSupport.h"

#include "tests/support/ScriptedMessageBox.h"

#include "platform/core/ComPortNames.h"
#include "platform/core/Time.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

using namespace toolstest;

CString W(const char* utf8) { return CString::FromUtf8(utf8); }

TEST(CommandSessionParseTest, ClassifiesByTheLastTokenBeforeAnEmptyLine)
{
    struct Case {
        const char* name;
        const char* text;
        int node;
        int result;
    };
    const Case cases[] = {
        {"echo and OK in one chunk", "@?K12.3\r\nK12.3=5\r\nOK.3\r\n", 3, CCommandSession::kReplyOK},
        {"NG of the node", "NG.3=43\r\n", 3, CCommandSession::kReplyNG},
        {"RUN of the node", "RUN.3\r\n", 3, CCommandSession::kReplyRun},
        {"RUN then OK: the last token counts", "RUN.3\r\nOK.3\r\n", 3, CCommandSession::kReplyOK},
        {"OK of another node", "OK.4\r\n", 3, CCommandSession::kReplyNone},
        {"OK of node 12 is not node 1's", "OK.12\r\n", 1, CCommandSession::kReplyNone},
        {"node 0 takes any OK", "OK.\r\n", 0, CCommandSession::kReplyOK},
        {"scan ends at the first empty line", "OK.3\r\n\r\nNG.3\r\n", 3, CCommandSession::kReplyOK},
        {"no line end: nothing", "OK.3", 3, CCommandSession::kReplyNone},
        {"OK tested before NG", "NG.3 OK.3\r\n", 3, CCommandSession::kReplyOK},
        {"a token in a value is none", "ROBOT.3=RS-LONG.3\r\n", 3, CCommandSession::kReplyNone},
        {"nor in the echo of a value", "@COMW2.3=OK.3\r\n", 3, CCommandSession::kReplyNone},
        {"NG with its code", "NG.3=4A\r\n", 3, CCommandSession::kReplyNG},
        {"LOADING is no NG", "LOADING.3\r\n", 3, CCommandSession::kReplyNone},
        {"LOADING, then the OK", "LOADING.3\r\nOK.3\r\n", 3, CCommandSession::kReplyOK},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CCommandSession::ParseReply(W(c.text), c.node), c.result);
    }
}

// A session without a link, its receive text fed from another thread.
class SessionReadTest : public ::testing::Test {
protected:
    ~SessionReadTest() override
    {
        m_stop = true;
        if (m_feeder.joinable()) m_feeder.join();
    }
    // Appends the texts, each after its delay.
    void Feed(std::vector<std::pair<int, CString>> steps)
    {
        m_feeder = std::thread([this, steps] {
            for (const auto& [delayMs, text] : steps) {
                for (int waited = 0; waited < delayMs && !m_stop; waited += 5) Sleep(5);
                if (m_stop) return;
                receiver.Append(text);
            }
        });
    }
    void Stream(CString chunk, int everyMs)
    {
        m_feeder = std::thread([this, chunk, everyMs] {
            while (!m_stop) {
                receiver.Append(chunk);
                Sleep(everyMs);
            }
        });
    }

    CReplyReceiver receiver;
    CCommandSession session{nullptr, receiver.LockHandle(), receiver.Text()};
    std::atomic<bool> m_stop{false};
    std::thread m_feeder;
};

TEST_F(SessionReadTest, ARunReplyRestartsTheWaitUntilTheOkArrives)
{
    ScopedReplyTimeOut timeOut(2000);
    Feed({{50, u"RUN.3\r\n"}, {1500, u"OK.3\r\n"}});
    EXPECT_TRUE(session.SendAndWait(3, u"@START1.3"));
}

TEST_F(SessionReadTest, TheEchoOfAUsersTextIsNoVerdict)
{
    ScopedReplyTimeOut timeOut(2000);
    Feed({{0, u"@COMW2.1=CHECK OK.1\r\n"}, {300, u"NG.1=43\r\n"}});
    EXPECT_FALSE(session.SendAndWait(1, u"@COMW2.1=CHECK OK.1")) << "the controller refused it";
}

TEST_F(SessionReadTest, ReadsEveryCompleteLineAtOnceAndKeepsTheRest)
{
    receiver.Append(u"@?K12.3\r\nK12.3=5\r\nOK.3\r\nK1");
    CString line;
    ASSERT_EQ(session.ReadReplyLine(line), CCommandSession::kReplyLine);
    EXPECT_EQ(line, CString(u"@?K12.3\r\nK12.3=5\r\nOK.3\r"));
    EXPECT_EQ(receiver.Snapshot(), CString(u"K1")) << "the LF after the last CR goes with the lines";
}

TEST_F(SessionReadTest, ALineErrorEndsTheCommandEvenWhileAnotherCommandsReplyComesIn)
{
    ScopedReplyTimeOut timeOut(20000);
    m_feeder = std::thread([this] {
        for (int waited = 0; waited < 50 && !m_stop; waited += 5) Sleep(5);
        receiver.Append(u"@?ROBOT.1\r\nROBOT.1=RX\r\n");
        for (int waited = 0; waited < 250 && !m_stop; waited += 5) Sleep(5);
        receiver.OnCommNotify(nullptr, MakeLinkEvent(LINK_EVENT_ERROR), 1);
    });
    const DWORD start = GetTickCount();
    EXPECT_FALSE(session.SendAndWait(1, u"@K12.1=5"));
    EXPECT_LT(GetTickCount() - start, 10000u) << "at once, not after the time-out";
}

TEST_F(SessionReadTest, SilenceEndsTheWait)
{
    ScopedReplyTimeOut timeOut(100);
    CString line;
    EXPECT_EQ(session.ReadReplyLine(line), CCommandSession::kReplyTimeOut);
    EXPECT_FALSE(session.SendAndWait(1, u"@K1.1=0"));
}

TEST_F(SessionReadTest, TextThatKeepsChangingKeepsTheWaitGoing)
{
    ScopedReplyTimeOut timeOut(500);
    std::atomic<bool> done{false};
    m_feeder = std::thread([this, &done] {
        for (int i = 0; i < 60 && !m_stop; ++i) {
            receiver.Append(u"x");
            Sleep(5);
        }
        done = true;
    });
    CString line;
    EXPECT_EQ(session.ReadReplyLine(line), CCommandSession::kReplyTimeOut);
    EXPECT_TRUE(done) << "the wait ends only once the text has stopped changing";
}

TEST_F(SessionReadTest, TextThatNeverEndsALineIsGivenUpAfterTheOverallBound)
{
    ScopedReplyTimeOut timeOut(40);
    Stream(u"x", 5);
    CString line;
    EXPECT_EQ(session.ReadReplyLine(line), CCommandSession::kReplyTimeOut);
}

TEST_F(SessionReadTest, AStreamOfLinesWithoutTokensIsGivenUpToo)
{
    ScopedReplyTimeOut timeOut(40);
    Stream(u"12,1,2,3,4\r\n", 5);
    EXPECT_FALSE(session.SendAndWait(1, u"@K1.1=0"));
}

// A session over a real link to the emulator, with the dialog's window.
class LinkedSessionTest : public ::testing::Test {
protected:
    LinkedSessionTest()
        : window([this](LPARAM lParam) { receiver.OnCommNotify(&link.link, lParam, node); })
    {
        emulator.AddController(1, "LB").SetParameter(12, 500);
        link.link.AttatchWnd(window.m_hWnd);
    }
    bool Open() { return link.OpenTcp(emulator.ServeTcp()); }
    CCommandSession Session() { return receiver.MakeSession(&link.link); }

    ScopedSettingsFolder settings;
    ScriptedMessageBox boxes;
    emu::Emulator emulator;
    EmulatorLink link;
    CReplyReceiver receiver;
    int node = 1;
    LinkWindow window;
};

TEST_F(LinkedSessionTest, EveryOperationSendsItsLineAndReadsItsAnswer)
{
    emu::ControllerModel& c = emulator.Controller(1);
    c.SetRobot("RB-100");
    c.SetVersion("1.02.003");
    c.SetOptionBoard(8, 1);
    ASSERT_TRUE(Open());
    CCommandSession s = Session();

    CString answer;
    EXPECT_EQ(s.GetKParam(1, 12, answer), 1);
    EXPECT_EQ(answer, CString(u"K12.1=500\r\n"));
    EXPECT_EQ(s.GetRobot(1, answer), 1);
    EXPECT_EQ(answer, CString(u"ROBOT.1=RB-100\r\n"));
    EXPECT_EQ(s.GetVersion(1, answer), 1);
    EXPECT_NE(answer.Find(u"1.02.003"), -1) << answer.ToUtf8();
    EXPECT_EQ(s.GetOptionBoard(1, 8, answer), 1);
    EXPECT_NE(answer.Find(u"=1"), -1) << answer.ToUtf8();
    EXPECT_EQ(s.GetKParamRange(1, 94, 97, answer), 1);
    EXPECT_EQ(answer, CString(u"K94.1=0\r\nK95.1=0\r\nK96.1=0\r\nK97.1=0\r\n"));
    EXPECT_EQ(s.SetKParam(1, 12, 700), 1);
    EXPECT_EQ(c.Parameter(12), 700);
    EXPECT_EQ(s.WriteUserName(1, u"operator"), 1);
    EXPECT_EQ(c.Comment(2), "operator");
    EXPECT_EQ(s.WriteComParam(1, 3, u"abc"), 1);
    EXPECT_EQ(s.ReadComParam(1, 3, answer), 1);
    EXPECT_NE(answer.Find(u"abc"), -1) << answer.ToUtf8();
    EXPECT_EQ(s.SetCont(1, u"LB-X"), 1);
    EXPECT_EQ(s.GetCont(1, answer), 1);
    EXPECT_NE(answer.Find(u"LB-X"), -1) << answer.ToUtf8();
    EXPECT_EQ(s.GetType(1, answer), 1);
    EXPECT_EQ(s.InitArea(1, 4), 1);
    EXPECT_EQ(c.Comment(3), "");
    EXPECT_EQ(s.StartProgram(1, 3), 1);
    EXPECT_EQ(s.StopProgram(1), 1);
    ASSERT_TRUE(PumpUntil([&] { return emulator.ReceivedCommands().size() >= 15; }));

    const std::vector<std::string> expected = {
        "@?K12.1",       "@?ROBOT.1",  "@?VER.1",   "@?OPTB8.1", "@?K94-97.1", "@K12.1=700", "@COMW2.1=operator",
        "@COMW3.1=abc",  "@?COMR3.1",  "@CONT.1=LB-X", "@?CONT.1", "@?TYPE.1", "@INIT COMW.1", "@START3.1",
        "@STOP.1"};
    EXPECT_EQ(emulator.ReceivedCommands(), expected);
}

TEST_F(LinkedSessionTest, AnswerLinesWithoutTheNodeAreTheAskedNodesAnswers)
{
    emulator.SetAnswerForm(emu::AnswerForm::WithoutNode);
    emulator.Controller(1).SetRobot("RB-100");
    ASSERT_TRUE(Open());
    CCommandSession s = Session();

    CString answer;
    EXPECT_EQ(s.GetKParam(1, 12, answer), 1);
    EXPECT_EQ(answer, CString(u"K12=500\r\n"));
    EXPECT_EQ(s.GetRobot(1, answer), 1);
    EXPECT_EQ(answer, CString(u"ROBOT=RB-100\r\n"));
    EXPECT_EQ(s.GetKParamRange(1, 94, 97, answer), 1);
    EXPECT_EQ(answer, CString(u"K94=0\r\nK95=0\r\nK96=0\r\nK97=0\r\n"));
    EXPECT_EQ(s.ReadComParam(1, 2, answer), 1);
    EXPECT_EQ(answer, CString(u"COMR2=USER1\r\n"));
}

TEST_F(LinkedSessionTest, RefusalsTimeOutsAndLineErrorsFailTheOperation)
{
    ScopedReplyTimeOut timeOut(300);
    ASSERT_TRUE(Open());
    CCommandSession s = Session();
    CString answer;

    emulator.Script().NextReply(emu::Fault::Ng(0x43));
    EXPECT_EQ(s.GetRobot(1, answer), 0);
    EXPECT_EQ(answer, CString(u"Error!"));

    emulator.Script().NextReply(emu::Fault::Ng(0x43));
    EXPECT_EQ(s.SetKParam(1, 12, 1), 0);

    emulator.Script().NextReply(emu::Fault::NoReply());
    EXPECT_EQ(s.GetKParam(1, 12, answer), 0);
    EXPECT_EQ(answer, CString(u"time out"));

    // A line error reported while the command waits ends it as refused at once.
    ScopedReplyTimeOut longWait(20000);
    emulator.Script().NextReply(emu::Fault::NoReply());
    PostMessageW(window.m_hWnd, WM_COMM_LINK_EVENT, 0, MakeLinkEvent(LINK_EVENT_ERROR));
    const DWORD start = GetTickCount();
    EXPECT_EQ(s.GetKParam(1, 12, answer), 0);
    EXPECT_EQ(answer, CString(u"Error!"));
    EXPECT_LT(GetTickCount() - start, 15000u);

    emulator.Script().NextReply(emu::Fault::Garbage("OK.9\r\n"));
    CCommandSession::SetTimeOut(300);
    EXPECT_EQ(s.GetKParam(1, 12, answer), 0) << "another node's OK is no answer";
}

TEST_F(LinkedSessionTest, ATokenInsideAValueIsNoVerdict)
{
    // The answer line comes alone, its OK line later.
    emulator.Controller(1).SetRobot("RS-LONG.1");
    ASSERT_TRUE(Open());
    CCommandSession s = Session();
    emulator.Script().NextReply(emu::Fault::Split(19, 300));
    CString answer;
    EXPECT_EQ(s.GetRobot(1, answer), 1);
    EXPECT_EQ(answer, CString(u"ROBOT.1=RS-LONG.1\r\n"));
}

TEST_F(LinkedSessionTest, NodeRulesAndTheOfflineLinkSendNothing)
{
    ASSERT_TRUE(Open());
    CCommandSession s = Session();
    CString answer = u"kept";
    EXPECT_EQ(s.GetRobot(0, answer), 0);
    EXPECT_EQ(answer, CString(u"Invalid Node No."));
    answer = u"kept";
    EXPECT_EQ(s.GetOptionBoard(1, 32, answer), 0);
    EXPECT_EQ(answer, CString(u"kept"));
    EXPECT_EQ(s.SetKParam(0, 12, 1), 0);
    EXPECT_EQ(s.StartProgram(1, 256), 0);
    EXPECT_EQ(s.InitArea(1, 5), 0);
    EXPECT_EQ(s.GetCont(-1, answer), 0);
    EXPECT_EQ(answer, CString(u"Invalid Node No."));
    PumpFor(100ms);
    EXPECT_TRUE(emulator.ReceivedCommands().empty());

    link.link.Close();
    link.link.SetPortType(PORT_OFFLINE);
    ASSERT_EQ(link.link.Open(), 1);
    answer = u"kept";
    EXPECT_EQ(s.GetRobot(1, answer), 1);
    EXPECT_EQ(answer, CString(u"kept"));
    EXPECT_EQ(s.SetKParam(1, 12, 1), 1);
    EXPECT_EQ(s.StopProgram(1), 1);
}

TEST_F(LinkedSessionTest, AStartToAClosedLinkIsReportedAsFailed)
{
    ASSERT_TRUE(Open());
    CCommandSession s = Session();
    // The link may be connected before the emulator has taken the client on.
    ASSERT_TRUE(emulator.WaitForTcpClients(1, std::chrono::seconds(10)));
    emulator.DropLink();
    ASSERT_TRUE(PumpUntil([&] { return link.link.IsOpen() == 0; }));
    link.link.SetPortType(PORT_TCP);
    EXPECT_EQ(s.StartProgram(1, 1), 0);
    EXPECT_EQ(s.StopProgram(1), 0);
}

TEST_F(LinkedSessionTest, AQueryToEveryNodeCollectsAllRepliesUntilSilence)
{
    ScopedReplyTimeOut timeOut(300);
    emulator.AddController(2, "N3");
    ASSERT_TRUE(Open());
    CCommandSession s = Session();
    CString answer;
    EXPECT_EQ(s.GetCont(0, answer), 1);
    EXPECT_NE(answer.Find(u"CONT.1="), -1) << answer.ToUtf8();
    EXPECT_NE(answer.Find(u"CONT.2="), -1) << answer.ToUtf8();
}

TEST_F(LinkedSessionTest, TheEchoOfTheCommandIsCutFromTheAnswer)
{
    emulator.SetEcho(true);
    ASSERT_TRUE(Open());
    CCommandSession s = Session();
    CString answer;
    ASSERT_EQ(s.GetKParam(1, 12, answer), 1);
    EXPECT_EQ(answer, CString(u"K12.1=500\r\n"));
}

// A reply so late that the next command is already out lands just before that
// command's own reply; it must never be taken for it.
TEST_F(LinkedSessionTest, ALateAnswerIsNeverTakenForTheNextCommandsAnswer)
{
    ScopedReplyTimeOut timeOut(300);
    emu::ControllerModel& c = emulator.Controller(1);
    c.SetRobot("RB-100");
    c.SetParameter(13, 77);
    emulator.AddController(2, "N3");
    ASSERT_TRUE(Open());
    CCommandSession s = Session();
    for (const emu::LateReplyMode& m : emu::kLateReplyModes) {
        SCOPED_TRACE(m.name);
        emulator.SetEcho(m.echo);
        const emu::Fault late = m.Held();
        CString answer;

        emulator.Script().NextReply(late);
        EXPECT_EQ(s.GetRobot(1, answer), 0);
        ASSERT_EQ(s.GetCont(1, answer), 1);
        EXPECT_EQ(answer, CString(u"CONT.1=N3\r\n")) << "not the robot name that came late";

        emulator.Script().NextReply(late);
        EXPECT_EQ(s.GetKParam(1, 12, answer), 0);
        ASSERT_EQ(s.GetKParamRange(1, 13, 14, answer), 1);
        EXPECT_EQ(answer, CString(u"K13.1=77\r\nK14.1=0\r\n"));

        // A write does not take the OK of a late answer for its own.
        emulator.Script().NextReply(late);
        EXPECT_EQ(s.GetRobot(1, answer), 0);
        ASSERT_EQ(s.SetKParam(1, 13, 78), 1);
        EXPECT_EQ(c.Parameter(13), 78);
        ASSERT_EQ(s.GetKParam(1, 13, answer), 1);
        EXPECT_EQ(answer, CString(u"K13.1=78\r\n"));
        c.SetParameter(13, 77);

        // The names of all nodes hold no late answer of another command.
        emulator.Script().NextReply(late);
        EXPECT_EQ(s.GetRobot(1, answer), 0);
        ASSERT_EQ(s.GetCont(0, answer), 1);
        EXPECT_EQ(answer.Find(u"ROBOT"), -1) << answer.ToUtf8();
        EXPECT_NE(answer.Find(u"CONT.2=N3"), -1) << answer.ToUtf8();
    }
}

TEST_F(LinkedSessionTest, WorksOverASerialLine)
{
    constexpr int kComNumber = 57;
    const std::string path = emulator.ServePty();
    ASSERT_FALSE(path.empty()) << emulator.LastError();
    platform::ScopedComPortDevice bind(kComNumber, path);
    ASSERT_TRUE(link.OpenSerial(kComNumber));
    CCommandSession s = Session();
    CString answer;
    ASSERT_EQ(s.GetKParam(1, 12, answer), 1);
    EXPECT_EQ(answer, CString(u"K12.1=500\r\n"));
    EXPECT_EQ(s.SetKParam(1, 13, 9), 1);
    EXPECT_EQ(emulator.Controller(1).Parameter(13), 9);
}

}  // namespace
