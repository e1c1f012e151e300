#include "tests/support/emulator/LineEmulator.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;
using emu::Clock;
using emu::Fault;
using emu::LineEmulator;

// Two controllers on one line, as the manager usually meets them: node 1 "LB", node 2 "Q05".
class LineTest : public ::testing::Test {
protected:
    LineTest()
    {
        line.AddController(1, "LB");
        line.AddController(2, "Q05");
    }

    std::string Exchange(const std::string& command) { return line.Exchange(command, t0); }

    LineEmulator line;
    const Clock::time_point t0 = Clock::now();
};

struct ReplyCase {
    const char* name;
    const char* command;
    const char* reply;
};

TEST_F(LineTest, RepliesToEachFormOfCommand)
{
    line.Controller(1).SetParameter(12, 500);
    line.Controller(2).SetParameter(12, -7);
    line.Controller(1).SetInputs(0x1234);
    line.Controller(1).SetOutputs(0x0041);
    line.Controller(1).SetDValue(13, 5);
    line.Controller(1).SetRobot("RB-20");
    line.Controller(1).SetComment(2, "LINE-A");
    line.Controller(1).SetWideInput(3, 7);
    line.Controller(1).SetOptionBoard(8, 3);
    line.Controller(1).SetPoint(5, {1, 1000, 100, 30, 30, 0, 0, 0, 0, 0, 0, 0, 0});
    line.Controller(1).RaiseWarning(0x1A);
    line.Controller(1).SetMessage(0x41);

    const ReplyCase cases[] = {
        {"name of one node", "@?CONT.1", "CONT.1=N3\r\nOK.1\r\n"},
        {"name of every node, in node order", "@?CONT", "CONT.1=N3\r\nOK.\r\nCONT.2=N2\r\nOK.\r\n"},
        {"type", "@?TYPE.2", "TYPE.2=Q05\r\nOK.2\r\n"},
        {"robot", "@?ROBOT.1", "ROBOT.1=RB-20\r\nOK.1\r\n"},
        {"interface", "@?IF.1", "IF.1=Standard\r\nOK.1\r\n"},
        {"version 2", "@?VER2.1", "VER2.1=1.00.000\r\nOK.1\r\n"},
        {"parameter", "@?K12.1", "K12.1=500\r\nOK.1\r\n"},
        {"negative parameter", "@?K12.2", "K12.2=-7\r\nOK.2\r\n"},
        {"parameter of every node", "@?K12", "K12.1=500\r\nOK.\r\nK12.2=-7\r\nOK.\r\n"},
        {"parameter range: every line names its node", "@?K11-13.1", "K11.1=100\r\nK12.1=500\r\nK13.1=0\r\nOK.1\r\n"},
        {"D range of node 2", "@?D12-13.2", "D12.2=0\r\nD13.2=0\r\nOK.2\r\n"},
        {"range of every node", "@?K11-12", "K11.1=100\r\nK12.1=500\r\nOK.\r\nK11.2=100\r\nK12.2=-7\r\nOK.\r\n"},
        {"node number is K38", "@?K38.2", "K38.2=2\r\nOK.2\r\n"},
        {"H parameter", "@?H0.1", "H0.1=0\r\nOK.1\r\n"},
        {"D value", "@?D13.1", "D13.1=5\r\nOK.1\r\n"},
        {"inputs", "@?IN1.1", "IN1.1=4660\r\nOK.1\r\n"},
        {"outputs", "@?OUT1.1", "OUT1.1=65\r\nOK.1\r\n"},
        {"input bit", "@?INB4.1", "INB4.1=1\r\nOK.1\r\n"},
        {"option status: servo on, teach allowed", "@?OPT0.1", "OPT0.1=2056\r\nOK.1\r\n"},
        {"option board", "@?OPTB8.1", "OPTB8.1=3\r\nOK.1\r\n"},
        {"wide I/O: inputs then outputs", "@?WIO2-3.1", "WIN2.1=0\r\nWIN3.1=7\r\nWOUT2.1=0\r\nWOUT3.1=0\r\nOK.1\r\n"},
        {"both words", "@?IO1.1", "IO1.1=4660,65\r\nOK.1\r\n"},
        {"point", "@?PNT5.1", "PNT5.1=M1,P1000,S100,AC30,DC30,Q0,ZL0,ZH0,N0,J0,F0,C0,T0\r\nOK.1\r\n"},
        {"point field", "@?P5.1", "P5.1=1000\r\nOK.1\r\n"},
        {"comment", "@?COMR2.1", "COMR2.1=LINE-A\r\nOK.1\r\n"},
        {"IP address comment", "@?COMR9.1", "COMR9.1=c0a80001\r\nOK.1\r\n"},
        {"no alarm", "@?ALM1.1", "ALM1.1=00,0\r\nOK.1\r\n"},
        {"warning", "@?WARN1.1", "WARN1.1=1A,0\r\nOK.1\r\n"},
        {"message", "@?MSG.1", "MSG.1=41,0\r\nOK.1\r\n"},
        {"empty history record", "@?REC1.1", "REC1.1=F00,T0,P0,S0,M0,N0,C0,V0,I0,O0\r\nOK.1\r\n"},
        {"write", "@K20.1=2", "OK.1\r\n"},
        {"write to every node", "@K75=0", "OK.\r\nOK.\r\n"},
        {"text write", "@ROBOT.2=RB-30", "OK.2\r\n"},
        {"comment write", "@COMW3.1=ABC", "OK.1\r\n"},
        {"servo off", "@SRVO0.2", "OK.2\r\n"},
        {"reset", "@RESET.1", "OK.1\r\n"},
        {"init", "@INIT TIME.1", "OK.1\r\n"},
        {"stop while idle", "@STOP.1", "OK.1\r\n"},
        {"stop every node", "@STOP", "OK.\r\nOK.\r\n"},
        {"node nobody has: silence", "@?CONT.7", ""},
        {"bare line end: ignored", "", ""},
        {"line noise without @: ignored", "OK.1", ""},
        {"unknown keyword", "@?KX12.1", "NG.1=43\r\n"},
        {"lower case keyword", "@?cont.1", "NG.1=43\r\n"},
        {"unknown keyword to every node", "@?FOO", "NG.=43\r\nNG.=43\r\n"},
        {"nothing after @", "@", "NG.=43\r\nNG.=43\r\n"},
        {"parameter out of range", "@?K139.1", "NG.1=44\r\n"},
        {"H parameter out of range", "@?H8.1", "NG.1=44\r\n"},
        {"reversed range", "@?K5-3.1", "NG.1=44\r\n"},
        {"missing index", "@?K.1", "NG.1=44\r\n"},
        {"index where none belongs", "@?CONT3.1", "NG.1=44\r\n"},
        {"point 0", "@?PNT0.1", "NG.1=44\r\n"},
        {"range without start", "@?K-5.1", "NG.1=43\r\n"},
        {"node without digits", "@?K12.", "NG.=43\r\nNG.=43\r\n"},
        {"junk after the node: every node refuses", "@?K12.1x", "NG.=43\r\nNG.=43\r\n"},
        {"junk before the node", "@?K12x.2", "NG.2=43\r\n"},
        {"value that is no number", "@K12.1=12a", "NG.1=45\r\n"},
        {"value beyond 32 bits", "@K12.1=2147483648", "NG.1=45\r\n"},
        {"missing value", "@K12.1=", "NG.1=45\r\n"},
        {"write without value", "@K12.1", "NG.1=43\r\n"},
        {"query with value", "@?K12.1=5", "NG.1=43\r\n"},
        {"write to a read-only item", "@D0.1=5", "NG.1=43\r\n"},
        {"inputs are read only", "@IN1.1=1", "NG.1=43\r\n"},
        {"comment 1 is the controller's", "@COMW1.1=X", "NG.1=44\r\n"},
        {"comment too long", "@COMW3.1=123456789012345678901234567890", "NG.1=45\r\n"},
        {"COMR is only a query", "@COMR3.1=X", "NG.1=43\r\n"},
        {"action as a query", "@?STOP.1", "NG.1=43\r\n"},
        {"brake while the servo is on", "@BRK1.1", "NG.1=46\r\n"},
        {"start of an unused point", "@START9.1", "NG.1=44\r\n"},
        {"node with too many digits: nobody", "@?K1.1234567890", ""},
    };
    for (const ReplyCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Exchange(c.command), c.reply) << "command: " << c.command;
    }
    // With echo, every reply is the same after the line the controller took; silence stays silent.
    line.SetEcho(true);
    line.Controller(1).RaiseWarning(0x1A);  // the first pass's RESET cleared it
    for (const ReplyCase& c : cases) {
        SCOPED_TRACE(std::string("echo on: ") + c.name);
        const std::string reply(c.reply);
        EXPECT_EQ(Exchange(c.command), reply.empty() ? reply : std::string(c.command) + "\r\n" + reply)
            << "command: " << c.command;
    }
}

TEST_F(LineTest, WritesAreReadBack)
{
    struct Case {
        const char* name;
        const char* write;
        const char* query;
        const char* answer;
    };
    const Case cases[] = {
        {"parameter", "@K12.1=-250", "@?K12.1", "K12.1=-250\r\nOK.1\r\n"},
        {"H parameter", "@H7.1=9", "@?H7.1", "H7.1=9\r\nOK.1\r\n"},
        {"range of parameters", "@K94-97.1=3", "@?K94-97.1", "K94.1=3\r\nK95.1=3\r\nK96.1=3\r\nK97.1=3\r\nOK.1\r\n"},
        {"point field", "@S7.1=120", "@?S7.1", "S7.1=120\r\nOK.1\r\n"},
        {"whole point", "@PNT8.1=M2,P-50,T9", "@?PNT8.1",
         "PNT8.1=M2,P-50,S0,AC0,DC0,Q0,ZL0,ZH0,N0,J0,F0,C0,T9\r\nOK.1\r\n"},
        {"controller name", "@CONT.1=N3X", "@?CONT.1", "CONT.1=N3X\r\nOK.1\r\n"},
        {"user name", "@COMW2.1=CELL 4", "@?COMR2.1", "COMR2.1=CELL 4\r\nOK.1\r\n"},
        {"output bit", "@OUTB3.1=1", "@?OUT1.1", "OUT1.1=8\r\nOK.1\r\n"},
        {"wide output", "@WOUT1.1=513", "@?WOUT1.1", "WOUT1.1=513\r\nOK.1\r\n"},
        {"written to every node", "@K30=4", "@?K30.2", "K30.2=4\r\nOK.2\r\n"},
        {"brake after servo off", "@SRVO0.1", "@?OPT0.1", "OPT0.1=8\r\nOK.1\r\n"},
        {"brake on", "@BRK1.1", "@?OPT0.1", "OPT0.1=8200\r\nOK.1\r\n"},
        {"servo on releases the brake", "@SRVO1.1", "@?OPT0.1", "OPT0.1=2056\r\nOK.1\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Exchange(c.write).substr(0, 3), "OK.");
        EXPECT_EQ(Exchange(c.query), c.answer);
    }
    // A refused write changes nothing.
    EXPECT_EQ(Exchange("@K12.1=oops"), "NG.1=45\r\n");
    EXPECT_EQ(line.Controller(1).Parameter(12), -250);
}

TEST_F(LineTest, BulkReadsListWhatTheControllerHolds)
{
    emu::ControllerModel& c = line.Controller(1);
    c.SetPoint(3, {1, 1000, 100, 30, 30, 0, 0, 0, 0, 0, 0, 0, 0});
    c.SetPoint(200, {4, -5, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
    c.SetPoint(7, {0, 999, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});  // unused: M is 0
    c.SetParameter(1, 11);
    c.SetParameter(138, -138);
    c.SetHParameter(7, 77);

    EXPECT_EQ(Exchange("@READ PNT.1"),
              "PNT3.1=M1,P1000,S100,AC30,DC30,Q0,ZL0,ZH0,N0,J0,F0,C0,T0\r\n"
              "PNT200.1=M4,P-5,S1,AC2,DC3,Q4,ZL5,ZH6,N7,J8,F9,C10,T11\r\n"
              "OK.1\r\n");

    const std::string parameters = Exchange("@READ PRM.1");
    EXPECT_EQ(parameters.substr(0, 8), "K1.1=11\r");
    EXPECT_NE(parameters.find("\r\nK38.1=1\r\n"), std::string::npos);
    EXPECT_NE(parameters.find("\r\nK138.1=-138\r\nOK.1\r\n"), std::string::npos);
    EXPECT_EQ(std::count(parameters.begin(), parameters.end(), '\n'), 139);

    EXPECT_EQ(Exchange("@READ HPRM.1"), "H0.1=0\r\nH1.1=0\r\nH2.1=0\r\nH3.1=0\r\nH4.1=0\r\nH5.1=0\r\nH6.1=0\r\nH7.1=77\r\nOK.1\r\n");
    EXPECT_EQ(Exchange("@READ PNT.2"), "OK.2\r\n");
    EXPECT_EQ(Exchange("@?READ PNT.1"), "NG.1=43\r\n");

    c.RaiseAlarm(0x2B);
    c.RaiseAlarm(0x05);
    EXPECT_EQ(Exchange("@READ REC.1"),
              "REC1.1=F05,T0,P0,S0,M-1,N0,C0,V0,I0,O0\r\nREC2.1=F2B,T0,P0,S0,M0,N0,C0,V0,I0,O0\r\nOK.1\r\n");
}

TEST_F(LineTest, AnswersWithoutTheNodeWhenAskedTo)
{
    line.SetAnswerForm(emu::AnswerForm::WithoutNode);
    emu::ControllerModel& c = line.Controller(1);
    c.SetPoint(3, {1, 1000, 100, 30, 30, 0, 0, 0, 0, 0, 0, 0, 0});
    c.SetParameter(12, 500);
    const ReplyCase cases[] = {
        {"single query", "@?K12.1", "K12=500\r\nOK.1\r\n"},
        {"text query", "@?CONT.2", "CONT=N2\r\nOK.2\r\n"},
        {"range", "@?K11-12.1", "K11=100\r\nK12=500\r\nOK.1\r\n"},
        {"WIO range", "@?WIO0-1.1", "WIN0=0\r\nWIN1=0\r\nWOUT0=0\r\nWOUT1=0\r\nOK.1\r\n"},
        {"bulk read in the file's line form", "@READ PNT.1",
         "PNT3=M1,P1000,S100,AC30,DC30,Q0,ZL0,ZH0,N0,J0,F0,C0,T0\r\nOK.1\r\n"},
        {"a command to all nodes still says whose answer it is", "@?CONT", "CONT.1=N3\r\nOK.\r\nCONT.2=N2\r\nOK.\r\n"},
        {"writes and refusals are as ever", "@K12.1=7", "OK.1\r\n"},
        {"refused", "@?K139.1", "NG.1=44\r\n"},
    };
    for (const ReplyCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Exchange(c.command), c.reply);
    }
    const std::string parameters = Exchange("@READ PRM.1");
    EXPECT_EQ(parameters.substr(0, 6), "K1=0\r\n");
    EXPECT_NE(parameters.find("\r\nK38=1\r\n"), std::string::npos);
    EXPECT_EQ(Exchange("@READ HPRM.1").substr(0, 6), "H0=0\r\n");
}

TEST_F(LineTest, PointEditingCommands)
{
    emu::ControllerModel& c = line.Controller(1);
    for (int p = 1; p <= 4; ++p) {
        c.SetPoint(p, {1, p * 100, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    }
    EXPECT_EQ(Exchange("@COPY1-2.1=10"), "OK.1\r\n");
    EXPECT_EQ(c.Point(10)[1], 100);
    EXPECT_EQ(c.Point(11)[1], 200);
    EXPECT_EQ(Exchange("@COPY1-2.1=255"), "NG.1=44\r\n");
    EXPECT_EQ(Exchange("@DEL2.1"), "OK.1\r\n");
    EXPECT_FALSE(c.PointUsed(2));
    EXPECT_TRUE(c.PointUsed(3));
    EXPECT_EQ(Exchange("@DEL3-4.1"), "OK.1\r\n");
    EXPECT_FALSE(c.PointUsed(4));
    EXPECT_EQ(Exchange("@TEACH1.1"), "OK.1\r\n");
    EXPECT_EQ(c.Point(1)[1], 0);  // the axis stands at 0

    c.SetOptionStatus(c.OptionStatus() & ~emu::ControllerModel::kTeachAllowedBit);
    EXPECT_EQ(Exchange("@TEACH1.1"), "NG.1=42\r\n");

    EXPECT_EQ(Exchange("@INIT PNT.1"), "OK.1\r\n");
    EXPECT_FALSE(c.PointUsed(10));
    EXPECT_EQ(Exchange("@INIT COMW.1"), "OK.1\r\n");
    EXPECT_EQ(c.Comment(2), "");
    EXPECT_EQ(c.Comment(9), "00000000");
}

TEST_F(LineTest, MotionAnswersRunThenEnd)
{
    emu::ControllerModel& c = line.Controller(1);
    c.SetMotionTime(emu::Motion::Start, 300ms);
    c.SetPoint(4, {1, 2500, 100, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});

    EXPECT_EQ(Exchange("@START4.1"), "RUN.1\r\n");
    EXPECT_EQ(line.Exchange("@?OUT1.1", t0 + 150ms), "OUT1.1=4096\r\nOK.1\r\n");  // moving
    EXPECT_EQ(line.Exchange("@?D0.1", t0 + 150ms), "D0.1=1250\r\nOK.1\r\n");
    EXPECT_EQ(line.Exchange("@START4.1", t0 + 150ms), "NG.1=46\r\n");
    EXPECT_EQ(line.Collect(t0 + 299ms), "");
    EXPECT_EQ(line.Collect(t0 + 300ms), "END.1\r\n");
    EXPECT_EQ(line.Exchange("@?D0.1", t0 + 301ms), "D0.1=2500\r\nOK.1\r\n");
    EXPECT_EQ(c.DValue(13), 4);
    EXPECT_EQ(c.Outputs() & emu::ControllerModel::kMovingOutputBit, 0);

    // Homing through a broadcast: the tokens carry no node; node 1 homes at once, node 2
    // takes its 500 ms.
    c.SetMotionTime(emu::Motion::Origin, 0ms);
    EXPECT_EQ(line.Exchange("@ORG", t0 + 1s), "RUN.\r\nRUN.\r\nEND.\r\n");
    EXPECT_EQ(c.DValue(0), 0);
    EXPECT_EQ(line.Collect(t0 + 1499ms), "");
    EXPECT_EQ(line.Collect(t0 + 1500ms), "END.\r\n");
}

TEST_F(LineTest, AMotionReportsItsStateWhileItRuns)
{
    emu::ControllerModel& c = line.Controller(1);
    c.SetPoint(1, {1, 1000, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    c.SetPoint(2, {3, 1000, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    c.SetPoint(3, {8, 1000, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    for (emu::Motion m : {emu::Motion::Start, emu::Motion::Origin, emu::Motion::JogPlus, emu::Motion::JogMinus,
                          emu::Motion::InchPlus, emu::Motion::InchMinus})
        c.SetMotionTime(m, 10s);

    // A running point tells its own move type; a jog or an inch is a plain relative move
    // (INC), never a push.
    const ReplyCase cases[] = {
        {"a point of type ABS", "@START1.1", "D18.1=1\r\nOK.1\r\n"},
        {"a point of type ABS push", "@START2.1", "D18.1=3\r\nOK.1\r\n"},
        {"a point of type INC linked push", "@START3.1", "D18.1=8\r\nOK.1\r\n"},
        {"homing", "@ORG.1", "D18.1=9\r\nOK.1\r\n"},
        {"jog forward", "@JOG+.1", "D18.1=2\r\nOK.1\r\n"},
        {"jog backward", "@JOG-.1", "D18.1=2\r\nOK.1\r\n"},
        {"inch forward", "@INCH+.1", "D18.1=2\r\nOK.1\r\n"},
        {"inch backward", "@INCH-.1", "D18.1=2\r\nOK.1\r\n"},
    };
    Clock::time_point now = t0;
    for (const ReplyCase& k : cases) {
        SCOPED_TRACE(k.name);
        EXPECT_EQ(line.Exchange("@?D18.1", now), "D18.1=0\r\nOK.1\r\n") << "stopped before";
        EXPECT_EQ(line.Exchange(k.command, now), "RUN.1\r\n");
        now += 100ms;
        EXPECT_EQ(line.Exchange("@?D18.1", now), k.reply);
        line.Exchange("@STOP.1", now);
        line.Collect(now);
    }
    EXPECT_EQ(line.Exchange("@?D18.1", now), "D18.1=0\r\nOK.1\r\n") << "stopped after";
}

TEST_F(LineTest, StopEndsAMotionAfterItsOwnReply)
{
    emu::ControllerModel& c = line.Controller(1);
    c.SetPoint(1, {1, 1000, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    c.SetMotionTime(emu::Motion::Start, 10s);

    struct Case {
        const char* name;
        const char* start;
        const char* stop;
        const char* end;
    };
    const Case cases[] = {
        {"a started program ends as stopped", "@START1.1", "@STOP.1", "NG.1=05\r\n"},
        {"a jog simply ends", "@JOG+.1", "@STOP.1", "END.1\r\n"},
        {"servo off stops a jog too", "@JOG-.1", "@SRVO0.1", "NG.1=05\r\n"},
        {"homing, stopped by a stop to every node", "@ORG.1", "@STOP", "NG.1=05\r\n"},
    };
    Clock::time_point now = t0;
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        line.Exchange("@SRVO1.1", now);
        EXPECT_EQ(line.Exchange(k.start, now), "RUN.1\r\n");
        now += 100ms;
        const std::string stopped = line.Exchange(k.stop, now);
        EXPECT_EQ(stopped.substr(0, 3), "OK.");
        EXPECT_TRUE(stopped.ends_with(std::string("\n") + k.end)) << stopped;
        EXPECT_EQ(c.CurrentMotion(), emu::Motion::None);
    }

    // An alarm ends a motion with its own code.
    EXPECT_EQ(line.Exchange("@JOG+.1", now), "RUN.1\r\n");
    c.RaiseAlarm(0x3C);
    EXPECT_EQ(line.Collect(now), "NG.1=3C\r\n");
    EXPECT_EQ(line.Exchange("@RESET.1", now), "OK.1\r\n");

    line.Exchange("@SRVO0.1", now);
    EXPECT_EQ(line.Exchange("@JOG+.1", now), "NG.1=46\r\n");
    line.Exchange("@SRVO1.1", now);
    c.RaiseAlarm(0x21);
    EXPECT_EQ(line.Exchange("@INCH+.1", now), "NG.1=46\r\n");
    EXPECT_EQ(line.Exchange("@?ALM1.1", now), "ALM1.1=21,0\r\nOK.1\r\n");
    EXPECT_EQ(line.Exchange("@?D18.1", now), "D18.1=-1\r\nOK.1\r\n");
    EXPECT_EQ(line.Exchange("@RESET.1", now), "OK.1\r\n");
    EXPECT_EQ(line.Exchange("@INCH+.1", now), "RUN.1\r\n");
}

TEST_F(LineTest, SetIdNumbersTheLineInOrder)
{
    // Two controllers that answer to the same node, as after a replacement on the line.
    line.Controller(2).SetNode(1);
    EXPECT_EQ(Exchange("@?CONT.1"), "CONT.1=N3\r\nOK.1\r\nCONT.1=N2\r\nOK.1\r\n");
    EXPECT_EQ(Exchange("@SETID"), "OK.\r\nOK.\r\n");
    EXPECT_EQ(Exchange("@?TYPE"), "TYPE.1=LB\r\nOK.\r\nTYPE.2=Q05\r\nOK.\r\n");
    EXPECT_EQ(Exchange("@K38.2=5"), "OK.2\r\n");
    EXPECT_EQ(Exchange("@?TYPE.5"), "TYPE.5=Q05\r\nOK.5\r\n");
}

TEST_F(LineTest, EchoPrecedesTheReply)
{
    line.SetEcho(true);
    EXPECT_EQ(Exchange("@?K38.1"), "@?K38.1\r\nK38.1=1\r\nOK.1\r\n");
    EXPECT_EQ(Exchange("@?KK.1"), "@?KK.1\r\nNG.1=43\r\n");
    EXPECT_EQ(Exchange("@?CONT.9"), "");  // nobody there, nobody echoes
}

TEST_F(LineTest, AHeldReplyLandsJustBeforeTheReplyToTheNextLine)
{
    line.Controller(1).SetRobot("RB-20");
    for (const bool echo : {false, true}) {
        SCOPED_TRACE(echo ? "echo on" : "echo off");
        line.SetEcho(echo);
        line.Script().NextReply(Fault::HeldForNext());
        EXPECT_EQ(Exchange("@?ROBOT.1"), "");
        const std::string robot = std::string(echo ? "@?ROBOT.1\r\n" : "") + "ROBOT.1=RB-20\r\nOK.1\r\n";
        const std::string name = std::string(echo ? "@?CONT.1\r\n" : "") + "CONT.1=N3\r\nOK.1\r\n";
        EXPECT_EQ(Exchange("@?CONT.1"), robot + name);
        EXPECT_EQ(Exchange("@?CONT.1"), name) << "held once only";
    }
    // With echoAtOnce the echo goes out at once and only the answer waits; a bare line end
    // is a line too.
    line.Script().NextReply(Fault::HeldForNext(true));
    EXPECT_EQ(Exchange("@?ROBOT.1"), "@?ROBOT.1\r\n");
    EXPECT_EQ(Exchange(""), "ROBOT.1=RB-20\r\nOK.1\r\n");
}

TEST_F(LineTest, LinesAreCutAtAnyLineEndAndLogged)
{
    line.Feed(LineEmulator::kDirectSession, "@?K38", t0);
    EXPECT_EQ(line.Collect(t0), "");
    line.Feed(LineEmulator::kDirectSession, ".1\r", t0);
    line.Feed(LineEmulator::kDirectSession, "\n\r\n@?K38.2\n@?TYPE.1\r", t0);
    EXPECT_EQ(line.Collect(t0), "K38.1=1\r\nOK.1\r\nK38.2=2\r\nOK.2\r\nTYPE.1=LB\r\nOK.1\r\n");
    EXPECT_EQ(line.ReceivedLines(), (std::vector<std::string>{"@?K38.1", "", "@?K38.2", "@?TYPE.1"}));
    EXPECT_EQ(line.ReceivedCommands(), (std::vector<std::string>{"@?K38.1", "@?K38.2", "@?TYPE.1"}));
    EXPECT_EQ(line.ReceivedBytes(), "@?K38.1\r\n\r\n@?K38.2\n@?TYPE.1\r");
    EXPECT_TRUE(line.WaitForCommands(3, 0ms));
    EXPECT_FALSE(line.WaitForCommands(4, 10ms));
    EXPECT_TRUE(line.WaitForLine("@?K38.2", 0ms));

    // A line longer than the controller's buffer is refused, and the next one is served.
    const std::string longLine = "@COMW3.1=" + std::string(LineEmulator::kMaxLineBytes, 'A');
    EXPECT_EQ(Exchange(longLine), "NG.=43\r\nNG.=43\r\n");
    EXPECT_EQ(Exchange("@?K38.1"), "K38.1=1\r\nOK.1\r\n");
    line.ClearLog();
    EXPECT_TRUE(line.ReceivedLines().empty());
}

TEST_F(LineTest, FaultsShapeTheReplyOnTheWire)
{
    const std::string reply = "K38.1=1\r\nOK.1\r\n";
    struct Case {
        const char* name;
        Fault fault;
        std::vector<std::pair<Clock::duration, std::string>> chunks;  // due after t0, bytes
    };
    const Case cases[] = {
        {"no reply", Fault::NoReply(), {}},
        {"late", Fault::Late(700), {{700ms, reply}}},
        {"partial", Fault::Partial(5), {{0ms, "K38.1"}}},
        {"split", Fault::Split(6, 40), {{0ms, "K38.1="}, {40ms, "1\r\nOK."}, {80ms, "1\r\n"}}},
        {"NG", Fault::Ng(0x4A), {{0ms, "NG.1=4A\r\n"}}},
        {"garbage", Fault::Garbage(std::string("\xff\x00zz", 4)), {{0ms, std::string("\xff\x00zz", 4)}}},
        {"loading first", Fault::Loading(250), {{0ms, "LOADING.1\r\n"}, {250ms, reply}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        line.Script().NextReply(c.fault);
        line.Feed(LineEmulator::kDirectSession, "@?K38.1\r\n", t0);
        std::deque<emu::OutputChunk> out;
        line.TakeDue(LineEmulator::kDirectSession, t0 + 10s, true, out);
        ASSERT_EQ(out.size(), c.chunks.size());
        for (size_t i = 0; i < out.size(); ++i) {
            EXPECT_EQ(out[i].due - t0, c.chunks[i].first) << "chunk " << i;
            EXPECT_EQ(out[i].bytes, c.chunks[i].second) << "chunk " << i;
            EXPECT_FALSE(out[i].dropLink);
        }
    }

    line.Script().NextReply(Fault::DropLink(4, 50));
    line.Feed(LineEmulator::kDirectSession, "@?K38.1\r\n", t0);
    std::deque<emu::OutputChunk> out;
    line.TakeDue(LineEmulator::kDirectSession, t0, true, out);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].bytes, "K38.");
    EXPECT_TRUE(out[1].dropLink);
    EXPECT_EQ(out[1].reopenAfterMs, 50);
}

TEST_F(LineTest, FaultRulesMatchAndRunOut)
{
    line.Script().OnKeyword("READ PNT", Fault::Ng(0x46));
    line.Script().OnLine("@?IN1.", Fault::NoReply(), 2);
    EXPECT_EQ(Exchange("@READ PNT.1"), "NG.1=46\r\n");
    EXPECT_EQ(Exchange("@READ PNT.2"), "NG.2=46\r\n");
    EXPECT_EQ(Exchange("@?IN1.1"), "");
    EXPECT_EQ(Exchange("@?IN1.2"), "");
    EXPECT_EQ(Exchange("@?IN1.1"), "IN1.1=0\r\nOK.1\r\n");
    // A scripted NG refuses the command; other faults let it act.
    line.Script().Clear();
    line.Script().NextReply(Fault::Ng(0x45));
    line.Script().NextReply(Fault::NoReply());
    EXPECT_EQ(Exchange("@K12.1=9"), "NG.1=45\r\n");
    EXPECT_EQ(Exchange("@K13.1=9"), "");
    EXPECT_EQ(line.Controller(1).Parameter(12), 0);
    EXPECT_EQ(line.Controller(1).Parameter(13), 9);
    EXPECT_TRUE(line.Script().Empty());
    // Empty lines do not use up a rule.
    line.Script().NextReply(Fault::NoReply());
    EXPECT_EQ(Exchange(""), "");
    EXPECT_FALSE(line.Script().Empty());
}

TEST_F(LineTest, ADeciderPicksTheLinesNoRuleTook)
{
    // The decider counts the lines it is shown and spoils the second; a rule goes first.
    std::vector<std::string> seen;
    line.Script().OnKeyword("IN", Fault::NoReply());
    line.Script().Decide([&seen](std::string_view l, std::string_view) -> std::optional<Fault> {
        seen.emplace_back(l);
        if (seen.size() == 2) return Fault::Ng(0x45);
        return std::nullopt;
    });
    EXPECT_EQ(Exchange("@?IN1.1"), "");
    EXPECT_EQ(Exchange("@K12.1=7"), "OK.1\r\n");
    EXPECT_EQ(Exchange("@K13.1=7"), "NG.1=45\r\n");
    EXPECT_EQ(Exchange("@K14.1=7"), "OK.1\r\n");
    EXPECT_EQ(seen, (std::vector<std::string>{"@K12.1=7", "@K13.1=7", "@K14.1=7"}));
    EXPECT_EQ(line.Controller(1).Parameter(13), 0) << "the NG refused the write";
    EXPECT_FALSE(line.Script().Empty());
    line.Script().Clear();
    EXPECT_TRUE(line.Script().Empty());
    EXPECT_EQ(Exchange("@K13.1=7"), "OK.1\r\n");
    EXPECT_EQ(seen.size(), 3u) << "Clear removed the decider";
}

TEST_F(LineTest, TraceStreamRunsBetweenTheTwoWrites)
{
    emu::ControllerModel& c = line.Controller(1);
    c.SetParameter(98, 5);   // one sample every 5 ms
    c.SetParameter(94, 1);   // channel 1 has a target
    EXPECT_EQ(Exchange("@K99.1=1"), "OK.1\r\n");
    EXPECT_TRUE(c.Streaming());

    std::string samples = line.Collect(t0 + 12ms);
    ASSERT_EQ(std::count(samples.begin(), samples.end(), '\n'), 3);  // at 0, 5 and 10 ms
    // A counter, then four channels; the channels without target stay 0.
    EXPECT_EQ(samples.substr(0, samples.find('\r')), "0,25,0,0,0");
    EXPECT_EQ(samples.substr(samples.find('\n') + 1, 2), "1,");

    c.SetTraceSource([](uint32_t index) { return "S" + std::to_string(index); });
    EXPECT_EQ(line.Collect(t0 + 16ms), "S3\r\n");
    EXPECT_EQ(line.Exchange("@K99.1=0", t0 + 17ms), "OK.1\r\n");
    EXPECT_FALSE(c.Streaming());
    EXPECT_EQ(line.Collect(t0 + 1s), "");
}

TEST_F(LineTest, WordTargetsAreStreamedInHexadecimal)
{
    emu::ControllerModel& c = line.Controller(1);
    c.SetParameter(98, 5);
    c.SetParameter(94, 3);   // a value: decimal
    c.SetParameter(95, 8);   // input word
    c.SetParameter(96, 9);   // output word
    c.SetParameter(97, 10);  // status word
    c.SetInputs(0xBEEF);
    c.SetOutputs(0x002A);
    EXPECT_EQ(Exchange("@K99.1=1"), "OK.1\r\n");
    std::string samples = line.Collect(t0);
    EXPECT_EQ(samples, "0,75,beef,2a,0\r\n");

    // Later samples: the status byte counts, the output word shows the motion's bit.
    c.SetPoint(1, {1, 1000, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    c.SetMotionTime(emu::Motion::Start, 10s);
    EXPECT_EQ(line.Exchange("@START1.1", t0 + 1ms), "RUN.1\r\n");
    samples = line.Collect(t0 + 55ms);
    ASSERT_NE(samples.rfind("\n11,"), std::string::npos) << samples;
    EXPECT_EQ(samples.substr(samples.rfind("\n11,") + 1), "11,42,beef,102a,b\r\n");
    for (char ch : samples) EXPECT_TRUE(ch < 'A' || ch > 'F') << "hexadecimal digits are lower-case: " << samples;
}

TEST_F(LineTest, TextsConvertThroughTheCodePage)
{
    line.SetCodePage(932);
    const std::string name = line.ToLine("軸");
    EXPECT_EQ(name, "\x8E\xB2");
    line.Controller(1).SetComment(3, name);
    const std::string reply = Exchange("@?COMR3.1");
    EXPECT_EQ(reply, "COMR3.1=\x8E\xB2\r\nOK.1\r\n");
    EXPECT_EQ(line.FromLine(reply.substr(8, 2)), "軸");

    line.SetCodePage(1252);
    EXPECT_EQ(line.ToLine("é€"), "\xE9\x80");
    EXPECT_EQ(line.ToLine("軸"), "?");
}

}  // namespace
