// One function per controller operation: each turns a request into one
// command of the protocol engine and, for queries, parses the answer into the
// caller's value or record.
//
// Every function takes the link and the engine of a data manager (the engine
// already speaks on that link), then the node and the operation's arguments,
// and returns TRUE or FALSE. A function that fails (engine busy, time-out, NG,
// node out of range, an answer that does not parse) leaves its out value as it
// was. With an offline link nothing is sent: writes and actions succeed,
// queries fail, since no answer comes.
//
// Answers: unless a function says otherwise, the first line of the answer,
// after its first "=" ("K12.1=500" gives 500). The engine hands over only
// lines that name the keyword, index and node asked. Numbers are decimal unless
// marked hexadecimal. A number that is empty or not a number fails; a text may
// be empty (a comment that was never set).
#pragma once

#include "manager/core/AlarmRecord.h"
#include "manager/core/ControllerProtocol.h"
#include "manager/core/ControllerStatus.h"
#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

#include <array>

class CCommManager;
struct PointRecord;

// Words of the WIO block: WIN0..WIN3, then WOUT0..WOUT3.
inline constexpr int kWideIoWords = 8;
using WideIoBlock = std::array<WORD, kWideIoWords>;

// Queries.
BOOL QueryAllControllerNames(CCommManager* link, CControllerProtocol* protocol, CString& out);
BOOL QueryControllerName(CCommManager* link, CControllerProtocol* protocol, int node, CString& out);
BOOL QueryControllerType(CCommManager* link, CControllerProtocol* protocol, int node, CString& out);
BOOL QueryRobotName(CCommManager* link, CControllerProtocol* protocol, int node, CString& out);
BOOL QueryInterface(CCommManager* link, CControllerProtocol* protocol, int node, CString& out);
BOOL QueryVersion2(CCommManager* link, CControllerProtocol* protocol, int node, CString& out);
// The whole answer: one line per point, parameter or H parameter.
BOOL ReadPointTable(CCommManager* link, CControllerProtocol* protocol, int node, CString& out);
BOOL ReadParameterTable(CCommManager* link, CControllerProtocol* protocol, int node, CString& out);
BOOL ReadHParameterTable(CCommManager* link, CControllerProtocol* protocol, int node, CString& out);
BOOL QueryPoint(CCommManager* link, CControllerProtocol* protocol, int node, int point, PointRecord& out);
BOOL QueryParameter(CCommManager* link, CControllerProtocol* protocol, int node, int n, int& out);
BOOL QueryHParameter(CCommManager* link, CControllerProtocol* protocol, int node, int n, int& out);
BOOL QueryDValue(CCommManager* link, CControllerProtocol* protocol, int node, int n, int& out);
BOOL QueryOptions(CCommManager* link, CControllerProtocol* protocol, int node, int& out);
BOOL QueryInputs(CCommManager* link, CControllerProtocol* protocol, int node, WORD& out);
BOOL QueryOutputs(CCommManager* link, CControllerProtocol* protocol, int node, WORD& out);
// The eight answer lines of WIO 0-3 in order; fewer lines fail.
BOOL QueryWideIo(CCommManager* link, CControllerProtocol* protocol, int node, WideIoBlock& out);
// The code before "," read as hexadecimal ("MSG.1=41,0" gives 0x41).
BOOL QueryMessage(CCommManager* link, CControllerProtocol* protocol, int node, BYTE& out);
BOOL QueryAlarm(CCommManager* link, CControllerProtocol* protocol, int node, int n, BYTE& out);
BOOL QueryWarning(CCommManager* link, CControllerProtocol* protocol, int node, int n, BYTE& out);
BOOL QueryRecord(CCommManager* link, CControllerProtocol* protocol, int node, int n, AlarmRecord& out);
BOOL QueryComData(CCommManager* link, CControllerProtocol* protocol, int node, int n, CString& out);
// D0-10, then D11-20, each line naming number and node ("D13.1=5"; a line of
// another node fails the read): D0, D1, D2, D9, D10, D13, D14, D15, D16 and
// D18 go into the record, other numbers are passed over; TRUE when both
// answered.
BOOL QueryStatusRecord(CCommManager* link, CControllerProtocol* protocol, int node, ControllerStatus& out);

// Writes and commands; node 0 of WriteParameter writes every node.
BOOL WriteRobotName(CCommManager* link, CControllerProtocol* protocol, int node, const CString& text);
BOOL WriteComText(CCommManager* link, CControllerProtocol* protocol, int node, int n, const CString& text);
// The comment dialog's name for WriteComText.
BOOL WriteComData(CCommManager* link, CControllerProtocol* protocol, int node, int n, const CString& text);
// A bare line end (so that every controller drops a half line), then K99 = 0
// to all nodes.
BOOL WriteK99Broadcast(CCommManager* link, CControllerProtocol* protocol);
BOOL WriteParameter(CCommManager* link, CControllerProtocol* protocol, int node, int n, int value);
BOOL WriteHParameter(CCommManager* link, CControllerProtocol* protocol, int node, int n, int value);
// Field codes 1 to 13 name M, P, S, AC, DC, Q, ZL, ZH, N, J, F, C, T; any
// other code fails without sending.
BOOL WritePointField(CCommManager* link, CControllerProtocol* protocol, int node, int point, int fieldCode, int value);
// One point when last is 0 or less, else the range first to last.
BOOL DeletePoints(CCommManager* link, CControllerProtocol* protocol, int node, int first, int last);
BOOL InitRecords(CCommManager* link, CControllerProtocol* protocol, int node);
BOOL InitPoints(CCommManager* link, CControllerProtocol* protocol, int node);
BOOL InitTrip(CCommManager* link, CControllerProtocol* protocol, int node);
BOOL InitTime(CCommManager* link, CControllerProtocol* protocol, int node);
BOOL InitComData(CCommManager* link, CControllerProtocol* protocol, int node);
BOOL SendServo(CCommManager* link, CControllerProtocol* protocol, int node, BOOL on);
BOOL SendBrake(CCommManager* link, CControllerProtocol* protocol, int node, BOOL on);

// Motions: TRUE once the controller took the command (OK or RUN); its END or
// NG comes later to the window (kCommandEndedMessage), when one is given.
BOOL SendOrigin(CCommManager* link, CControllerProtocol* protocol, int node, HWND window);
BOOL SendStart(CCommManager* link, CControllerProtocol* protocol, int node, int point, HWND window);
BOOL SendInch(CCommManager* link, CControllerProtocol* protocol, int node, BOOL forward, HWND window);
BOOL SendJog(CCommManager* link, CControllerProtocol* protocol, int node, BOOL forward, HWND window);
BOOL BroadcastSetIdCmd(CCommManager* link, CControllerProtocol* protocol);

// A point's fields from the text after "=" of its answer ("M1,P1000,...",
// read as a point line of the data file). Only a point whose M is greater
// than 0 is taken: the number, M and the other fields in key order, a missing
// field reading as 0. A point with M of 0 or less leaves the record as it was
// and counts as read. FALSE, record untouched, when the text has no M or a
// number does not fit 32 bits.
BOOL ParsePointRecord(int point, const CString& text, PointRecord& out);
