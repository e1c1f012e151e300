// The engine and the command functions against the controller emulator's line:
// its real reply shapes, scripted faults and timing.
#include "manager/core/ControllerCommands.h"
#include "manager/core/ControllerData.h"
#include "manager/core/ControllerProtocol.h"

#include "EmulatorLink.h"
#include "platform/core/Messages.h"
#include "platform/core/Wnd.h"
#include "tests/support/emulator/LineEmulator.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

struct EmulatedLine : testing::Test {
    emu::LineEmulator line;
    CControllerProtocol protocol;
    std::unique_ptr<testfx::EmulatorLink> link;

    EmulatedLine()
    {
        protocol.SetTimeOut(CControllerProtocol::kReplyTimeoutMs);
        line.AddController(1, "LB");
        link = std::make_unique<testfx::EmulatorLink>(line, protocol);
    }
    ~EmulatedLine() override { link.reset(); }
};

TEST_F(EmulatedLine, ReadsAWholeController)
{
    emu::ControllerModel& c = line.Controller(1);
    c.SetControllerName("LB-20");
    c.SetRobot("RX 10");
    c.SetInterface("EtherNet/IP");
    c.SetVersion2("2.10");
    c.SetComment(2, "Line A");
    c.SetPoint(12, {1, -1000, 200, 30, 30, 0, 0, 0, 0, 0, 0, 0, 0});
    c.SetParameter(12, 500);
    c.SetHParameter(3, -7);

    CString text;
    ASSERT_TRUE(QueryControllerName(nullptr, &protocol, 1, text));
    EXPECT_EQ(text.ToUtf8(), "LB-20");
    ASSERT_TRUE(QueryRobotName(nullptr, &protocol, 1, text));
    EXPECT_EQ(text.ToUtf8(), "RX 10");
    ASSERT_TRUE(QueryInterface(nullptr, &protocol, 1, text));
    EXPECT_EQ(text.ToUtf8(), "EtherNet/IP");
    ASSERT_TRUE(QueryVersion2(nullptr, &protocol, 1, text));
    EXPECT_EQ(text.ToUtf8(), "2.10");
    ASSERT_TRUE(QueryControllerType(nullptr, &protocol, 1, text));
    EXPECT_EQ(text.ToUtf8(), "LB");
    ASSERT_TRUE(QueryComData(nullptr, &protocol, 1, 2, text));
    EXPECT_EQ(text.ToUtf8(), "Line A");
    ASSERT_TRUE(QueryComData(nullptr, &protocol, 1, 5, text));
    EXPECT_EQ(text.ToUtf8(), "");

    ASSERT_TRUE(ReadPointTable(nullptr, &protocol, 1, text));
    EXPECT_EQ(text.ToUtf8(), "PNT12.1=M1,P-1000,S200,AC30,DC30,Q0,ZL0,ZH0,N0,J0,F0,C0,T0\r\n");
    ASSERT_TRUE(ReadParameterTable(nullptr, &protocol, 1, text));
    EXPECT_NE(text.Find(u"\r\nK12.1=500\r\n"), -1);
    EXPECT_NE(text.Find(u"K138.1="), -1);
    ASSERT_TRUE(ReadHParameterTable(nullptr, &protocol, 1, text));
    EXPECT_NE(text.Find(u"H3.1=-7\r\n"), -1);

    PointRecord row;
    ASSERT_TRUE(QueryPoint(nullptr, &protocol, 1, 12, row));
    EXPECT_EQ(row, (PointRecord{12, 1, -1000, 200, 30, 30, 0, 0, 0, 0, 0, 0, 0, 0}));

    int value = 0;
    ASSERT_TRUE(QueryParameter(nullptr, &protocol, 1, 12, value));
    EXPECT_EQ(value, 500);
    ASSERT_TRUE(QueryHParameter(nullptr, &protocol, 1, 3, value));
    EXPECT_EQ(value, -7);
}

TEST_F(EmulatedLine, PollsStatusAlarmsAndHistory)
{
    emu::ControllerModel& c = line.Controller(1);
    c.SetInputs(0x1234);
    c.SetOutputs(0x0042);
    c.SetOptionStatus(0x0808);
    c.SetDValue(2, 3);
    c.SetDValue(15, 1500);
    c.SetWideInput(3, 7);
    c.SetWideOutput(0, 9);
    c.RaiseAlarm(0x1A);
    c.SetMessage(0x41);

    WORD word = 0;
    ASSERT_TRUE(QueryInputs(nullptr, &protocol, 1, word));
    EXPECT_EQ(word, 0x1234);
    ASSERT_TRUE(QueryOutputs(nullptr, &protocol, 1, word));
    EXPECT_EQ(word, 0x0042);
    int options = 0;
    ASSERT_TRUE(QueryOptions(nullptr, &protocol, 1, options));
    EXPECT_EQ(options, 0x0808);
    WideIoBlock block{};
    ASSERT_TRUE(QueryWideIo(nullptr, &protocol, 1, block));
    EXPECT_EQ(block, (WideIoBlock{0, 0, 0, 7, 9, 0, 0, 0}));
    ControllerStatus status;
    ASSERT_TRUE(QueryStatusRecord(nullptr, &protocol, 1, status));
    EXPECT_EQ(status.d2, 3);
    EXPECT_EQ(status.d15, 1500u);
    EXPECT_EQ(status.d18, -1);  // in alarm
    BYTE code = 0;
    ASSERT_TRUE(QueryAlarm(nullptr, &protocol, 1, 1, code));
    EXPECT_EQ(code, 0x1A);
    ASSERT_TRUE(QueryAlarm(nullptr, &protocol, 1, 2, code));
    EXPECT_EQ(code, 0);
    ASSERT_TRUE(QueryMessage(nullptr, &protocol, 1, code));
    EXPECT_EQ(code, 0x41);
    AlarmRecord record;
    ASSERT_TRUE(QueryRecord(nullptr, &protocol, 1, 1, record));
    EXPECT_EQ(record.code, 0x1A);
}

TEST_F(EmulatedLine, WritesReachTheController)
{
    EXPECT_TRUE(WriteParameter(nullptr, &protocol, 1, 12, 321));
    EXPECT_EQ(line.Controller(1).Parameter(12), 321);
    EXPECT_TRUE(WritePointField(nullptr, &protocol, 1, 5, 1, 1));
    EXPECT_TRUE(WritePointField(nullptr, &protocol, 1, 5, 2, -250));
    EXPECT_EQ(line.Controller(1).Point(5)[1], -250);
    EXPECT_TRUE(WriteComText(nullptr, &protocol, 1, 3, u"Cell 3"));
    EXPECT_EQ(line.Controller(1).Comment(3), "Cell 3");
    EXPECT_FALSE(WriteParameter(nullptr, &protocol, 1, 139, 1));
    EXPECT_EQ(protocol.GetLastErrorText().ToUtf8(), "NG.1=44");
}

TEST_F(EmulatedLine, TimeOutRestartsWhileTextKeepsArriving)
{
    // About 1.8 s of reply, never silent for a whole time-out period.
    protocol.SetTimeOut(700);
    const std::string name(60, 'N');
    line.Controller(1).SetControllerName(name);
    line.Script().NextReply(emu::Fault::Split(4, 100));
    CString text;
    const auto start = Clock::now();
    ASSERT_TRUE(QueryControllerName(nullptr, &protocol, 1, text));
    EXPECT_GE(Clock::now() - start, 1200ms);
    EXPECT_EQ(text.ToUtf8(), name);
}

TEST_F(EmulatedLine, FaultsEndTheCommandCleanly)
{
    protocol.SetTimeOut(300);
    struct Case {
        const char* name;
        emu::Fault fault;
        BOOL result;
        const char* lastError;
        std::chrono::milliseconds settle;  // until the line has sent what the fault left
    } cases[] = {
        {"no reply", emu::Fault::NoReply(), FALSE, "TimeOut", 0ms},
        {"late beyond the time-out", emu::Fault::Late(1000), FALSE, "TimeOut", 1000ms},
        {"late within the time-out", emu::Fault::Late(100), TRUE, "", 0ms},
        {"cut reply", emu::Fault::Partial(5), FALSE, "TimeOut", 0ms},
        {"NG with a code", emu::Fault::Ng(0x45), FALSE, "NG.1=45", 0ms},
        {"garbage", emu::Fault::Garbage("\x7f\x01OK.12\r\n"), FALSE, "TimeOut", 0ms},
        {"LOADING first", emu::Fault::Loading(100), TRUE, "", 0ms},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        line.Script().NextReply(c.fault);
        int value = -1;
        EXPECT_EQ(QueryParameter(nullptr, &protocol, 1, 38, value), c.result);
        EXPECT_EQ(value, c.result ? 1 : -1);
        EXPECT_EQ(protocol.GetLastErrorText().ToUtf8(), c.lastError);
        EXPECT_FALSE(protocol.IsBusy());
        // Whatever the fault left on the line is no part of the next answer.
        std::this_thread::sleep_for(c.settle);
        ASSERT_TRUE(QueryParameter(nullptr, &protocol, 1, 38, value));
        EXPECT_EQ(value, 1);
    }
}

TEST_F(EmulatedLine, EchoedCommandsAreLeftOut)
{
    line.SetEcho(true);
    line.Controller(1).SetRobot("OK.1 NG.1");
    CString text;
    ASSERT_TRUE(QueryRobotName(nullptr, &protocol, 1, text));
    EXPECT_EQ(text.ToUtf8(), "OK.1 NG.1");
    EXPECT_TRUE(WriteRobotName(nullptr, &protocol, 1, u"NG.1=43"));
    EXPECT_EQ(line.Controller(1).Robot(), "NG.1=43");
}

// A reply so late that the next command is already out lands just before that
// command's own reply; it must never be taken for it.
TEST_F(EmulatedLine, ALateAnswerIsNeverTakenForTheNextCommandsAnswer)
{
    protocol.SetTimeOut(300);
    emu::ControllerModel& c = line.Controller(1);
    c.SetControllerName("LB-20");
    c.SetRobot("RX 10");
    c.SetParameter(13, 77);
    c.SetDValue(0, 1234);
    c.SetDValue(15, 1500);
    for (const emu::LateReplyMode& m : emu::kLateReplyModes) {
        SCOPED_TRACE(m.name);
        line.SetEcho(m.echo);
        const emu::Fault late = m.Held();

        CString text(u"sentinel");
        line.Script().NextReply(late);
        EXPECT_FALSE(QueryRobotName(nullptr, &protocol, 1, text));
        ASSERT_TRUE(QueryControllerName(nullptr, &protocol, 1, text));
        EXPECT_EQ(text.ToUtf8(), "LB-20") << "not the robot name that came late";

        int value = -1;
        line.Script().NextReply(late);
        EXPECT_FALSE(QueryParameter(nullptr, &protocol, 1, 12, value));
        ASSERT_TRUE(QueryParameter(nullptr, &protocol, 1, 13, value));
        EXPECT_EQ(value, 77);

        // The status record's second range after its late first one.
        ControllerStatus status;
        line.Script().OnLine("@?D0-10.1", late, 1);
        EXPECT_FALSE(QueryStatusRecord(nullptr, &protocol, 1, status));
        ASSERT_TRUE(QueryStatusRecord(nullptr, &protocol, 1, status));
        EXPECT_EQ(status.d0, 1234);
        EXPECT_EQ(status.d15, 1500u);

        // A write does not take the OK of a late answer for its own.
        line.Script().NextReply(late);
        EXPECT_FALSE(QueryRobotName(nullptr, &protocol, 1, text));
        ASSERT_TRUE(WriteParameter(nullptr, &protocol, 1, 13, 78));
        EXPECT_EQ(c.Parameter(13), 78);
        ASSERT_TRUE(QueryParameter(nullptr, &protocol, 1, 13, value));
        EXPECT_EQ(value, 78);
        c.SetParameter(13, 77);

        // The names of all nodes hold no late answer of another command.
        line.Script().NextReply(late);
        EXPECT_FALSE(QueryRobotName(nullptr, &protocol, 1, text));
        ASSERT_TRUE(QueryAllControllerNames(nullptr, &protocol, text));
        EXPECT_EQ(text.Find(u"ROBOT"), -1) << text.ToUtf8();
        EXPECT_NE(text.Find(u"CONT.1=LB-20"), -1) << text.ToUtf8();
    }
}

TEST_F(EmulatedLine, CollectionOverAllNodesLastsAtLeastOneTimeOut)
{
    protocol.SetTimeOut(300);
    line.AddController(2, "N3");
    const auto start = Clock::now();
    EXPECT_TRUE(WriteParameter(nullptr, &protocol, 0, 75, 0));
    // The time-out is counted on the tick count, in whole milliseconds: it may
    // end up to a millisecond before 300 ms of this clock have passed.
    EXPECT_GE(Clock::now() - start, 299ms);
    EXPECT_EQ(protocol.GetLastErrorText().ToUtf8(), "");

    CString names;
    ASSERT_TRUE(QueryAllControllerNames(nullptr, &protocol, names));
    EXPECT_NE(names.Find(u"CONT.1="), -1);
    EXPECT_NE(names.Find(u"CONT.2="), -1);

    EXPECT_TRUE(WriteK99Broadcast(nullptr, &protocol));
    EXPECT_TRUE(BroadcastSetIdCmd(nullptr, &protocol));
}

TEST_F(EmulatedLine, QueryWhileBusyIsRefused)
{
    line.Script().NextReply(emu::Fault::Late(500));
    CString name(u"unchanged");
    CString engineText;
    BOOL nameResult = TRUE;
    BOOL engineResult = TRUE;
    std::thread other([&] {
        const auto deadline = Clock::now() + 10s;
        while (!protocol.IsBusy() && Clock::now() < deadline) std::this_thread::sleep_for(1ms);
        nameResult = QueryControllerName(nullptr, &protocol, 1, name);
        engineResult = protocol.QueryCommand(kCmdCONT, 1, engineText, TRUE);
    });
    int value = 0;
    EXPECT_TRUE(QueryParameter(nullptr, &protocol, 1, 38, value));
    other.join();
    EXPECT_EQ(value, 1);
    EXPECT_FALSE(nameResult);
    EXPECT_EQ(name.ToUtf8(), "unchanged");
    EXPECT_FALSE(engineResult);
    EXPECT_EQ(engineText.ToUtf8(), "Command in progress");
    EXPECT_EQ(line.ReceivedCommands().size(), 1u);
}

TEST_F(EmulatedLine, DroppedLinkFailsTheNextCommandCleanly)
{
    protocol.SetTimeOut(300);
    line.Script().NextReply(emu::Fault::DropLink(3));
    int value = 0;
    EXPECT_FALSE(QueryParameter(nullptr, &protocol, 1, 38, value));
    EXPECT_FALSE(link->IsOpen());

    const auto start = Clock::now();
    EXPECT_FALSE(QueryParameter(nullptr, &protocol, 1, 38, value));
    EXPECT_LT(Clock::now() - start, 250ms);  // refused at once, no wait
    EXPECT_FALSE(protocol.IsBusy());

    link->Reopen();
    ASSERT_TRUE(QueryParameter(nullptr, &protocol, 1, 38, value));
    EXPECT_EQ(value, 1);
}

class CMotionWnd : public CWnd {
public:
    std::vector<WPARAM> ended;

    CMotionWnd() { CreateEx(0, AfxRegisterWndClass(0), u"", WS_OVERLAPPEDWINDOW, RECT{0, 0, 10, 10}, nullptr, 0); }
    ~CMotionWnd() override { DestroyWindow(); }

protected:
    LRESULT OnEnded(WPARAM wParam, LPARAM)
    {
        ended.push_back(wParam);
        return 0;
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CMotionWnd, CWnd)
    ON_MESSAGE(kCommandEndedMessage, &CMotionWnd::OnEnded)
END_MESSAGE_MAP()

// Pumps this thread's messages until the window heard of an end, 10 s at most.
bool PumpUntilEnded(const CMotionWnd& window)
{
    const auto deadline = Clock::now() + 10s;
    while (window.ended.empty() && Clock::now() < deadline) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        platform::PumpPendingMessages();
    }
    return !window.ended.empty();
}

TEST_F(EmulatedLine, MotionsTellTheirWindowHowTheyEnded)
{
    CMotionWnd window;
    line.Controller(1).SetMotionTime(emu::Motion::Origin, 200ms);
    ASSERT_TRUE(SendOrigin(nullptr, &protocol, 1, window));
    ASSERT_TRUE(PumpUntilEnded(window));
    EXPECT_EQ(window.ended, std::vector<WPARAM>{1});
    EXPECT_EQ(line.Controller(1).CurrentMotion(), emu::Motion::None);

    // A move stopped on the way ends with NG.
    window.ended.clear();
    line.Controller(1).SetPoint(1, {1, 100000, 100, 30, 30, 0, 0, 0, 0, 0, 0, 0, 0});
    line.Controller(1).SetMotionTime(emu::Motion::Start, 30s);
    ASSERT_TRUE(SendStart(nullptr, &protocol, 1, 1, window));
    EXPECT_EQ(protocol.StopCommand(1), 1);
    ASSERT_TRUE(PumpUntilEnded(window));
    EXPECT_EQ(window.ended, std::vector<WPARAM>{0});
}

}  // namespace
