#include "manager/core/ControllerCommands.h"
#include "manager/core/ControllerData.h"

#include "FakeLink.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace {

using testfx::FakeLink;

// What a call gave: its result and its out value written as text, so that one
// table holds numbers, texts and records. Out values start from sentinels, so
// "unchanged" shows.
struct Outcome {
    BOOL result = FALSE;
    std::string out;
};

using Call = std::function<Outcome(CControllerProtocol*)>;

template <class T>
std::string Text(const T& value)
{
    std::ostringstream s;
    s << value;
    return s.str();
}

Outcome Int(BOOL (*query)(CCommManager*, CControllerProtocol*, int, int, int&), int node, int n,
            CControllerProtocol* protocol)
{
    int value = -12345;
    const BOOL result = query(nullptr, protocol, node, n, value);
    return {result, Text(value)};
}

Outcome Str(BOOL (*query)(CCommManager*, CControllerProtocol*, int, CString&), int node,
            CControllerProtocol* protocol)
{
    CString value(u"sentinel");
    const BOOL result = query(nullptr, protocol, node, value);
    return {result, value.ToUtf8()};
}

Outcome Code(BOOL (*query)(CCommManager*, CControllerProtocol*, int, int, BYTE&), int node, int n,
             CControllerProtocol* protocol)
{
    BYTE value = 0xEE;
    const BOOL result = query(nullptr, protocol, node, n, value);
    return {result, Text(static_cast<int>(value))};
}

std::string RecordText(const AlarmRecord& r)
{
    std::ostringstream s;
    s << int(r.code) << ' ' << r.time << ' ' << r.position << ' ' << r.speed << ' ' << int(r.state) << ' '
      << int(r.nValue) << ' ' << r.cValue << ' ' << r.vValue << ' ' << r.inputs << ' ' << r.outputs;
    return s.str();
}

std::string StatusText(const ControllerStatus& s)
{
    std::ostringstream o;
    o << s.d0 << ' ' << s.d1 << ' ' << int(s.d18) << ' ' << int(s.d13) << ' ' << s.d2 << ' ' << s.d14 << ' ' << s.d9
      << ' ' << s.d10 << ' ' << s.d16 << ' ' << s.d15;
    return o.str();
}

struct Case {
    const char* name;
    Call call;
    std::vector<std::string> replies;
    std::vector<std::string> sent;  // without their CR LF
    BOOL result;
    std::string out;
};

void RunCases(const std::vector<Case>& cases)
{
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CControllerProtocol protocol;
        protocol.SetTimeOut(100);
        FakeLink link(protocol);
        for (const std::string& reply : c.replies) link.ReplyNext(reply);
        const Outcome outcome = c.call(&protocol);
        EXPECT_EQ(outcome.result, c.result);
        EXPECT_EQ(outcome.out, c.out);
        std::vector<std::string> expected;
        for (const std::string& line : c.sent) expected.push_back(line + "\r\n");
        EXPECT_EQ(link.Sent(), expected);
    }
}

TEST(ControllerCommands, NumberQueries)
{
    RunCases({
        {"parameter", [](auto* p) { return Int(QueryParameter, 1, 12, p); }, {"K12.1=500\r\nOK.1\r\n"},
         {"@?K12.1"}, TRUE, "500"},
        {"parameter after a late one of another index", [](auto* p) { return Int(QueryParameter, 1, 12, p); },
         {"K11.1=9\r\nOK.1\r\nK12.1=500\r\nOK.1\r\n"}, {"@?K12.1"}, TRUE, "500"},
        {"VER2 is no VER", [](auto* p) { return Str(QueryVersion2, 1, p); },
         {"VER.1=1.0\r\nOK.1\r\nVER2.1=2.10\r\nOK.1\r\n"}, {"@?VER2.1"}, TRUE, "2.10"},
        {"negative H parameter", [](auto* p) { return Int(QueryHParameter, 1, 3, p); }, {"H3.1=-7\r\nOK.1\r\n"},
         {"@?H3.1"}, TRUE, "-7"},
        {"D value", [](auto* p) { return Int(QueryDValue, 2, 5, p); }, {"D5.2=123456\r\nOK.2\r\n"}, {"@?D5.2"}, TRUE,
         "123456"},
        {"options", [](auto* p) {
             int value = 0;
             const BOOL r = QueryOptions(nullptr, p, 1, value);
             return Outcome{r, Text(value)};
         }, {"OPT0.1=2056\r\nOK.1\r\n"}, {"@?OPT0.1"}, TRUE, "2056"},
        {"inputs of node 2", [](auto* p) {
             WORD value = 7;
             const BOOL r = QueryInputs(nullptr, p, 2, value);
             return Outcome{r, Text(value)};
         }, {"IN1.2=4097\r\nOK.2\r\n"}, {"@?IN1.2"}, TRUE, "4097"},
        {"outputs", [](auto* p) {
             WORD value = 7;
             const BOOL r = QueryOutputs(nullptr, p, 1, value);
             return Outcome{r, Text(value)};
         }, {"OUT1.1=65535\r\nOK.1\r\n"}, {"@?OUT1.1"}, TRUE, "65535"},
        {"parameter answered without the node", [](auto* p) { return Int(QueryParameter, 1, 12, p); },
         {"K12=500\r\nOK.1\r\n"}, {"@?K12.1"}, TRUE, "500"},
        {"empty value fails", [](auto* p) { return Int(QueryParameter, 1, 12, p); }, {"K12.1=\r\nOK.1\r\n"},
         {"@?K12.1"}, FALSE, "-12345"},
        {"value not a number fails", [](auto* p) { return Int(QueryParameter, 1, 12, p); },
         {"K12.1=12a\r\nOK.1\r\n"}, {"@?K12.1"}, FALSE, "-12345"},
        {"value beyond 32 bits fails", [](auto* p) { return Int(QueryParameter, 1, 12, p); },
         {"K12.1=99999999999\r\nOK.1\r\n"}, {"@?K12.1"}, FALSE, "-12345"},
        {"answer without = fails", [](auto* p) { return Int(QueryParameter, 1, 12, p); }, {"K12.1\r\nOK.1\r\n"},
         {"@?K12.1"}, FALSE, "-12345"},
        {"NG fails", [](auto* p) { return Int(QueryParameter, 1, 139, p); }, {"NG.1=44\r\n"}, {"@?K139.1"}, FALSE,
         "-12345"},
        {"no reply fails", [](auto* p) { return Int(QueryParameter, 1, 12, p); }, {""}, {"@?K12.1"}, FALSE,
         "-12345"},
        {"node below 0 sends nothing", [](auto* p) { return Int(QueryParameter, -1, 12, p); }, {}, {}, FALSE,
         "-12345"},
    });
}

TEST(ControllerCommands, TextAndCodeQueries)
{
    RunCases({
        {"controller name", [](auto* p) { return Str(QueryControllerName, 1, p); }, {"CONT.1=LB\r\nOK.1\r\n"},
         {"@?CONT.1"}, TRUE, "LB"},
        {"type", [](auto* p) { return Str(QueryControllerType, 1, p); }, {"TYPE.1=LB\r\nOK.1\r\n"}, {"@?TYPE.1"},
         TRUE, "LB"},
        {"robot name with an OK. in it", [](auto* p) { return Str(QueryRobotName, 3, p); },
         {"ROBOT.3=BOOK.3 NG.3\r\nOK.3\r\n"}, {"@?ROBOT.3"}, TRUE, "BOOK.3 NG.3"},
        {"interface", [](auto* p) { return Str(QueryInterface, 1, p); }, {"IF.1=EtherNet/IP\r\nOK.1\r\n"},
         {"@?IF.1"}, TRUE, "EtherNet/IP"},
        {"version", [](auto* p) { return Str(QueryVersion2, 1, p); }, {"VER2.1=2.10=b\r\nOK.1\r\n"}, {"@?VER2.1"},
         TRUE, "2.10=b"},
        {"empty comment is a comment", [](auto* p) {
             CString value(u"sentinel");
             const BOOL r = QueryComData(nullptr, p, 1, 2, value);
             return Outcome{r, value.ToUtf8()};
         }, {"COMR2.1=\r\nOK.1\r\n"}, {"@?COMR2.1"}, TRUE, ""},
        {"name without = fails", [](auto* p) { return Str(QueryControllerName, 1, p); }, {"LB\r\nOK.1\r\n"},
         {"@?CONT.1"}, FALSE, "sentinel"},
        {"name after a late robot name", [](auto* p) { return Str(QueryControllerName, 1, p); },
         {"ROBOT.1=RX 10\r\nOK.1\r\nCONT.1=LB\r\nOK.1\r\n"}, {"@?CONT.1"}, TRUE, "LB"},
        {"name after a late echoed robot name", [](auto* p) { return Str(QueryControllerName, 1, p); },
         {"@?ROBOT.1\r\nROBOT.1=RX 10\r\nOK.1\r\n@?CONT.1\r\nCONT.1=LB\r\nOK.1\r\n"}, {"@?CONT.1"}, TRUE, "LB"},
        {"text before the own echo is no answer", [](auto* p) { return Str(QueryControllerName, 1, p); },
         {"CONT.1=OLD\r\n@?CONT.1\r\nCONT.1=LB\r\nOK.1\r\n"}, {"@?CONT.1"}, TRUE, "LB"},
        {"name answered without the node", [](auto* p) { return Str(QueryControllerName, 1, p); },
         {"CONT=LB\r\nOK.1\r\n"}, {"@?CONT.1"}, TRUE, "LB"},
        {"name of another node is no answer", [](auto* p) { return Str(QueryControllerName, 1, p); },
         {"CONT.2=N3\r\nOK.1\r\n"}, {"@?CONT.1"}, FALSE, "sentinel"},
        {"message code", [](auto* p) {
             BYTE value = 0xEE;
             const BOOL r = QueryMessage(nullptr, p, 1, value);
             return Outcome{r, Text(int(value))};
         }, {"MSG.1=41,0\r\nOK.1\r\n"}, {"@?MSG.1"}, TRUE, "65"},
        {"alarm code", [](auto* p) { return Code(QueryAlarm, 1, 1, p); }, {"ALM1.1=1a,1500\r\nOK.1\r\n"},
         {"@?ALM1.1"}, TRUE, "26"},
        {"no warning", [](auto* p) { return Code(QueryWarning, 1, 2, p); }, {"WARN2.1=00,0\r\nOK.1\r\n"},
         {"@?WARN2.1"}, TRUE, "0"},
        {"code not hexadecimal fails", [](auto* p) { return Code(QueryAlarm, 1, 1, p); },
         {"ALM1.1=ZZ,0\r\nOK.1\r\n"}, {"@?ALM1.1"}, FALSE, "238"},
        {"empty code fails", [](auto* p) { return Code(QueryAlarm, 1, 1, p); }, {"ALM1.1=,0\r\nOK.1\r\n"},
         {"@?ALM1.1"}, FALSE, "238"},
        {"code above a byte fails", [](auto* p) { return Code(QueryAlarm, 1, 1, p); },
         {"ALM1.1=123,0\r\nOK.1\r\n"}, {"@?ALM1.1"}, FALSE, "238"},
    });
}

TEST(ControllerCommands, RecordQueries)
{
    const auto record = [](int n) {
        return [n](CControllerProtocol* p) {
            AlarmRecord r;
            r.time = 99;
            const BOOL result = QueryRecord(nullptr, p, 1, n, r);
            return Outcome{result, RecordText(r)};
        };
    };
    const auto wideIo = [](CControllerProtocol* p) {
        WideIoBlock block{};
        block.fill(9);
        const BOOL r = QueryWideIo(nullptr, p, 1, block);
        std::string text;
        for (WORD w : block) text += Text(w) + " ";
        return Outcome{r, text};
    };
    const auto status = [](CControllerProtocol* p) {
        ControllerStatus s;
        s.d2 = 77;
        const BOOL r = QueryStatusRecord(nullptr, p, 1, s);
        return Outcome{r, StatusText(s)};
    };
    const auto point = [](int n) {
        return [n](CControllerProtocol* p) {
            PointRecord r;
            r.number = 99;
            r.t = 99;
            const BOOL result = QueryPoint(nullptr, p, 1, n, r);
            std::string text;
            for (int f = 0; f < PointRecord::kFieldCount; ++f) text += Text(r.Field(f)) + " ";
            return Outcome{result, text};
        };
    };
    // Every line names item, index and node, as the controller answers a range.
    const std::string dLow = "D0.1=-1000\r\nD1.1=250\r\nD2.1=3\r\nD3.1=31\r\nD4.1=41\r\nD5.1=51\r\nD6.1=61\r\n"
                             "D7.1=71\r\nD8.1=81\r\nD9.1=-9\r\nD10.1=10\r\nOK.1\r\n";
    const std::string dHigh = "D11.1=111\r\nD12.1=121\r\nD13.1=12\r\nD14.1=14\r\nD15.1=1500\r\nD16.1=-16\r\n"
                              "D17.1=171\r\nD18.1=-1\r\nD19.1=191\r\nD20.1=201\r\nOK.1\r\n";
    RunCases({
        {"history record, code beginning with a letter", record(1),
         {"REC1.1=FAB,T1500,P-1000,S200,M3,N12,C-5,V30,I4097,O8\r\nOK.1\r\n"}, {"@?REC1.1"}, TRUE,
         "171 1500 -1000 200 3 12 -5 30 4097 8"},
        {"empty history slot", record(50), {"REC50.1=F00,T0,P0,S0,M0,N0,C0,V0,I0,O0\r\nOK.1\r\n"}, {"@?REC50.1"},
         TRUE, "0 0 0 0 0 0 0 0 0 0"},
        {"history record with a bad field fails", record(2),
         {"REC2.1=F1A,T1x,P0,S0,M0,N0,C0,V0,I0,O0\r\nOK.1\r\n"}, {"@?REC2.1"}, FALSE, "0 99 0 0 0 0 0 0 0 0"},
        {"history record without code fails", record(2), {"REC2.1=T1,P0\r\nOK.1\r\n"}, {"@?REC2.1"}, FALSE,
         "0 99 0 0 0 0 0 0 0 0"},
        {"point", point(12), {"PNT12.1=M1,P-1000,S200,AC30,DC31,Q1,ZL-5,ZH5,N2,J3,F4,C2,T7\r\nOK.1\r\n"},
         {"@?PNT12.1"}, TRUE, "12 1 -1000 200 30 31 1 -5 5 2 3 4 2 7 "},
        {"fields missing at the end read 0", point(3), {"PNT3.1=M2,P5\r\nOK.1\r\n"}, {"@?PNT3.1"}, TRUE,
         "3 2 5 0 0 0 0 0 0 0 0 0 0 0 "},
        {"unused point leaves the record", point(4), {"PNT4.1=M0,P0,S0,AC0,DC0,Q0,ZL0,ZH0,N0,J0,F0,C0,T0\r\nOK.1\r\n"},
         {"@?PNT4.1"}, TRUE, "99 0 0 0 0 0 0 0 0 0 0 0 0 99 "},
        {"point without M fails", point(4), {"PNT4.1=P5\r\nOK.1\r\n"}, {"@?PNT4.1"}, FALSE,
         "99 0 0 0 0 0 0 0 0 0 0 0 0 99 "},
        {"point value beyond 32 bits fails", point(4), {"PNT4.1=M1,P99999999999\r\nOK.1\r\n"}, {"@?PNT4.1"},
         FALSE, "99 0 0 0 0 0 0 0 0 0 0 0 0 99 "},
        {"WIO block", wideIo,
         {"WIN0.1=1\r\nWIN1.1=2\r\nWIN2.1=3\r\nWIN3.1=4\r\nWOUT0.1=5\r\nWOUT1.1=6\r\nWOUT2.1=7\r\n"
          "WOUT3.1=65535\r\nOK.1\r\n"},
         {"@?WIO0-3.1"}, TRUE, "1 2 3 4 5 6 7 65535 "},
        {"WIO block answered without the node", wideIo,
         {"WIN0=1\r\nWIN1=2\r\nWIN2=3\r\nWIN3=4\r\nWOUT0=5\r\nWOUT1=6\r\nWOUT2=7\r\nWOUT3=8\r\nOK.1\r\n"},
         {"@?WIO0-3.1"}, TRUE, "1 2 3 4 5 6 7 8 "},
        {"WIO block short of a line fails", wideIo,
         {"WIN0.1=1\r\nWIN1.1=2\r\nWIN2.1=3\r\nWIN3.1=4\r\nWOUT0.1=5\r\nWOUT1.1=6\r\nWOUT2.1=7\r\nOK.1\r\n"},
         {"@?WIO0-3.1"},
         FALSE, "9 9 9 9 9 9 9 9 "},
        {"empty WIO answer fails", wideIo, {"OK.1\r\n"}, {"@?WIO0-3.1"}, FALSE, "9 9 9 9 9 9 9 9 "},
        {"status record passes over the D values it does not keep", status, {dLow, dHigh},
         {"@?D0-10.1", "@?D11-20.1"}, TRUE, "-1000 250 -1 12 3 14 -9 10 -16 1500"},
        {"status record with a failing second range", status, {dLow, "NG.1=44\r\n"},
         {"@?D0-10.1", "@?D11-20.1"}, FALSE, "0 0 0 0 77 0 0 0 0 0"},
        {"status record with an empty range", status, {"OK.1\r\n"}, {"@?D0-10.1"}, FALSE,
         "0 0 0 0 77 0 0 0 0 0"},
        {"a line with a bad value is passed over, the poll goes on", status,
         {"D0.1=x\r\nD1.1=250\r\nOK.1\r\n", dHigh}, {"@?D0-10.1", "@?D11-20.1"}, TRUE,
         "0 250 -1 12 77 14 0 0 -16 1500"},
        {"a range answered by another node is no answer", status, {"D0.2=5\r\nOK.1\r\n"}, {"@?D0-10.1"}, FALSE,
         "0 0 0 0 77 0 0 0 0 0"},
        {"ranges answered without the node", status,
         {"D0=-1000\r\nD1=250\r\nD2=3\r\nD9=-9\r\nD10=10\r\nOK.1\r\n",
          "D13=12\r\nD14=14\r\nD15=1500\r\nD16=-16\r\nD18=-1\r\nOK.1\r\n"},
         {"@?D0-10.1", "@?D11-20.1"}, TRUE, "-1000 250 -1 12 3 14 -9 10 -16 1500"},
        {"lines of another range are passed over", status,
         {"D11.1=5\r\nOK.1\r\n" + dLow, dHigh}, {"@?D0-10.1", "@?D11-20.1"}, TRUE,
         "-1000 250 -1 12 3 14 -9 10 -16 1500"},
    });
}

TEST(ControllerCommands, WholeAnswers)
{
    const auto table = [](BOOL (*read)(CCommManager*, CControllerProtocol*, int, CString&)) {
        return [read](CControllerProtocol* p) {
            CString text(u"sentinel");
            const BOOL r = read(nullptr, p, 1, text);
            return Outcome{r, text.ToUtf8()};
        };
    };
    RunCases({
        {"point table", table(ReadPointTable), {"PNT1.1=M1,P100\r\nPNT2.1=M1,P200\r\nOK.1\r\n"}, {"@READ PNT.1"},
         TRUE, "PNT1.1=M1,P100\r\nPNT2.1=M1,P200\r\n"},
        {"point table after a late answer of another command", table(ReadPointTable),
         {"ROBOT.1=RX\r\nOK.1\r\nPNT1.1=M1,P100\r\nOK.1\r\n"}, {"@READ PNT.1"}, TRUE, "PNT1.1=M1,P100\r\n"},
        {"point table in the data file's line form", table(ReadPointTable),
         {"PNT1=M1,P100\r\nPNT2=M1,P200\r\nOK.1\r\n"}, {"@READ PNT.1"}, TRUE, "PNT1=M1,P100\r\nPNT2=M1,P200\r\n"},
        {"parameters in the data file's line form", table(ReadParameterTable), {"K1=0\r\nK2=5\r\nOK.1\r\n"},
         {"@READ PRM.1"}, TRUE, "K1=0\r\nK2=5\r\n"},
        {"empty point table", table(ReadPointTable), {"OK.1\r\n"}, {"@READ PNT.1"}, TRUE, ""},
        {"parameters after LOADING", table(ReadParameterTable), {"LOADING.1\r\nK1.1=0\r\nK2.1=5\r\nOK.1\r\n"},
         {"@READ PRM.1"}, TRUE, "K1.1=0\r\nK2.1=5\r\n"},
        {"H parameters refused", table(ReadHParameterTable), {"NG.1=43\r\n"}, {"@READ HPRM.1"}, FALSE, "sentinel"},
        {"all controller names", [](auto* p) {
             CString text;
             const BOOL r = QueryAllControllerNames(nullptr, p, text);
             return Outcome{r, text.ToUtf8()};
         }, {"CONT.1=LB\r\nOK.\r\nCONT.2=N3\r\nOK.\r\n"}, {"@?CONT"}, TRUE, "CONT.1=LB\r\nOK.\r\nCONT.2=N3\r\nOK.\r\n"},
    });
}

TEST(ControllerCommands, WritesAndActions)
{
    const auto run = [](std::function<BOOL(CControllerProtocol*)> f) {
        return [f](CControllerProtocol* p) { return Outcome{f(p), ""}; };
    };
    RunCases({
        {"robot name", run([](auto* p) { return WriteRobotName(nullptr, p, 1, u"RX 10"); }), {"OK.1\r\n"},
         {"@ROBOT.1=RX 10"}, TRUE, ""},
        {"comment", run([](auto* p) { return WriteComText(nullptr, p, 1, 2, u"Line A"); }), {"OK.1\r\n"},
         {"@COMW2.1=Line A"}, TRUE, ""},
        {"comment by its dialog's name", run([](auto* p) { return WriteComData(nullptr, p, 2, 9, u"00000000"); }),
         {"OK.2\r\n"}, {"@COMW9.2=00000000"}, TRUE, ""},
        {"parameter to all nodes", run([](auto* p) { return WriteParameter(nullptr, p, 0, 75, 0); }),
         {"OK.\r\nOK.\r\n"}, {"@K75=0"}, TRUE, ""},
        {"parameter refused", run([](auto* p) { return WriteParameter(nullptr, p, 1, 12, 99999); }),
         {"NG.1=45\r\n"}, {"@K12.1=99999"}, FALSE, ""},
        {"H parameter", run([](auto* p) { return WriteHParameter(nullptr, p, 1, 2, 5); }), {"OK.1\r\n"},
         {"@H2.1=5"}, TRUE, ""},
        {"point position", run([](auto* p) { return WritePointField(nullptr, p, 1, 12, 2, -1000); }),
         {"OK.1\r\n"}, {"@P12.1=-1000"}, TRUE, ""},
        {"point T", run([](auto* p) { return WritePointField(nullptr, p, 1, 12, 13, 4); }), {"OK.1\r\n"},
         {"@T12.1=4"}, TRUE, ""},
        {"field code 14 sends nothing", run([](auto* p) { return WritePointField(nullptr, p, 1, 12, 14, 4); }),
         {}, {}, FALSE, ""},
        {"field code 0 sends nothing", run([](auto* p) { return WritePointField(nullptr, p, 1, 12, 0, 4); }), {},
         {}, FALSE, ""},
        {"delete one point", run([](auto* p) { return DeletePoints(nullptr, p, 1, 5, 0); }), {"OK.1\r\n"},
         {"@DEL5.1"}, TRUE, ""},
        {"delete a range", run([](auto* p) { return DeletePoints(nullptr, p, 1, 5, 9); }), {"OK.1\r\n"},
         {"@DEL5-9.1"}, TRUE, ""},
        {"init records", run([](auto* p) { return InitRecords(nullptr, p, 1); }), {"OK.1\r\n"}, {"@INIT REC.1"},
         TRUE, ""},
        {"init points", run([](auto* p) { return InitPoints(nullptr, p, 1); }), {"OK.1\r\n"}, {"@INIT PNT.1"}, TRUE,
         ""},
        {"init trip", run([](auto* p) { return InitTrip(nullptr, p, 1); }), {"OK.1\r\n"}, {"@INIT TRIP.1"}, TRUE,
         ""},
        {"init time", run([](auto* p) { return InitTime(nullptr, p, 1); }), {"OK.1\r\n"}, {"@INIT TIME.1"}, TRUE,
         ""},
        {"init comments", run([](auto* p) { return InitComData(nullptr, p, 1); }), {"OK.1\r\n"},
         {"@INIT COMW.1"}, TRUE, ""},
        {"servo on", run([](auto* p) { return SendServo(nullptr, p, 1, TRUE); }), {"OK.1\r\n"}, {"@SRVO1.1"}, TRUE,
         ""},
        {"brake off", run([](auto* p) { return SendBrake(nullptr, p, 1, FALSE); }), {"OK.1\r\n"}, {"@BRK0.1"},
         TRUE, ""},
        {"origin", run([](auto* p) { return SendOrigin(nullptr, p, 1, HWND()); }), {"RUN.1\r\n"}, {"@ORG.1"}, TRUE,
         ""},
        {"origin refused", run([](auto* p) { return SendOrigin(nullptr, p, 1, HWND()); }), {"NG.1=46\r\n"},
         {"@ORG.1"}, FALSE, ""},
        {"start", run([](auto* p) { return SendStart(nullptr, p, 2, 5, HWND()); }), {"RUN.2\r\n"}, {"@START5.2"},
         TRUE, ""},
        {"inch forward", run([](auto* p) { return SendInch(nullptr, p, 1, TRUE, HWND()); }), {"OK.1\r\n"},
         {"@INCH+.1"}, TRUE, ""},
        {"jog backward", run([](auto* p) { return SendJog(nullptr, p, 1, FALSE, HWND()); }), {"RUN.1\r\n"},
         {"@JOG-.1"}, TRUE, ""},
        {"numbering", run([](auto* p) { return BroadcastSetIdCmd(nullptr, p); }), {"OK.\r\n"}, {"@SETID"}, TRUE, ""},
        {"K99 to all nodes after a bare line end", run([](auto* p) { return WriteK99Broadcast(nullptr, p); }),
         {"", "OK.\r\n"}, {"", "@K99=0"}, TRUE, ""},
    });
}

TEST(ControllerCommands, OfflineWritesSucceedAndQueriesFail)
{
    CControllerProtocol protocol;
    FakeLink link(protocol);
    link.SetPortType(kOfflinePortType);
    int value = 5;
    CString text(u"kept");
    EXPECT_TRUE(WriteParameter(nullptr, &protocol, 1, 12, 3));
    EXPECT_TRUE(SendOrigin(nullptr, &protocol, 1, HWND()));
    EXPECT_TRUE(WriteK99Broadcast(nullptr, &protocol));
    EXPECT_FALSE(QueryParameter(nullptr, &protocol, 1, 12, value));
    EXPECT_FALSE(ReadPointTable(nullptr, &protocol, 1, text));
    EXPECT_FALSE(QueryAllControllerNames(nullptr, &protocol, text));
    EXPECT_EQ(value, 5);
    EXPECT_EQ(text.ToUtf8(), "kept");
    EXPECT_TRUE(link.Sent().empty());
}

}  // namespace
