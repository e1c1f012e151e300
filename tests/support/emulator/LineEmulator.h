#pragma once

// Several controllers on one line, addressed by node number.
//
// The line cuts the bytes a link receives into command lines, hands each to the controllers
// it addresses and queues their replies, in node order, for the link that sent it. Every
// link is a session with its own input and output; the controllers are shared. Output is a
// queue of timed chunks: a transport writes each chunk once it is due, so scripted delays
// and splits survive the trip. All state is guarded by one mutex shared with the
// controllers and the fault script, so a test may change it while a link is served.
//
// Reply shapes ("n" is the node the command named; every line ends with CR LF):
//   query of one item     K12.n=500 / OK.n          the answer line names item, index, node
//   query of a range      K94.n=1 / K95.n=0 / ... / OK.n   one line per index, each naming its node
//   write, command        OK.n
//   refused, malformed    NG.n=43                   two upper-case hexadecimal digits
//   motion                RUN.n at once; END.n when done; NG.n=05 when STOP or servo off
//                         ended it (a jog ends with END.n); NG.n=<alarm> when an alarm did
//   bulk read             PNT12.n=M1,P1000,...,T0 / K1.n=0 / H0.n=0 / REC1.n=F1A,... lines, OK.n
// With SetAnswerForm(AnswerForm::WithoutNode) the answer lines leave the node out, as some
// controllers do: K12=500 / OK.n, and a bulk read in the data file's own line form
// (PNT12=M1,..., K1=0, H0=0). The tokens keep the node.
// A line without node ("@K75=0", "@?CONT") reaches every controller; each answers in node
// order with tokens that carry no node ("OK.", "NG.=43") and answer lines that carry its own
// ("CONT.2=N3"). A node that no controller has gets no reply at all. A line that does not
// begin with "@" (a bare CR LF, line noise) is logged and ignored; one that begins with "@"
// but breaks the grammar gets NG from the node it seems to address (every node when that
// cannot be told). The echo of the command line is off unless SetEcho turns it on.
//
// Commands ("?" marks the query form; i an index, a-b a range; "=v" a value):
//   K?i K?a-b Ki=v Ka-b=v      K1..K138. K38 is the node; K99=1 starts the trace stream to
//                              the link that wrote it, K99=0 stops it
//   H?i Hi=v                   H0..H7
//   D?i D?a-b                  D0..D99; D0 position, D1 speed, D13 point, D18 state (0 idle,
//                              1-8 moving: the running point's move type, 2 (INC) for a jog
//                              or inch; 9 homing, -1 alarm) follow motions
//   M P S AC DC Q ZL ZH N J F C T  ?i ?a-b =v   one field of points 1..255
//   PNT?i PNT?a-b PNTi=M1,P..  a whole point; fields not given are 0
//   IN?1 OUT?1 OUT1=v          16-bit words; OUT bit 12 is set while the axis moves
//   INB?b OUTB?b OUTBb=0|1     bits 0..15
//   IO?1                       IO1.n=<in>,<out>
//   OPT?0                      option status: bit 3 teach allowed, 11 servo on, 13 brake on
//   OPTB?0..31  WIN?0..3  WOUT?0..3  WOUTi=v
//   WIO?a-b                    WINa.n=v .. WINb.n lines, then WOUT lines (0-3 gives eight)
//   MSG?                       MSG.n=41,0        code in hexadecimal, then a time stamp
//   ALM?i WARN?i               ALM1.n=1A,<minutes>; 00,0 past the last active one (1..32)
//   REC?i                      REC1.n=F1A,T..,P..,S..,M..,N..,C..,V..,I..,O.. (1..50, newest
//                              first; F hexadecimal, the rest decimal; zeros past the last)
//   RECF RECT RECP RECS RECM RECN RECC RECV RECI RECO ?i   one field of a record
//   CONT? CONT=t ROBOT? ROBOT=t IF? VER? VER2? TYPE?       identity texts
//   COMR?i COMWi=t             comments 1..9 (1 read only; at most 29 bytes)
//   READ PNT / PRM / HPRM / REC   bulk reads (actions with an answer)
//   INIT PNT / REC / TRIP / TIME / COMW   clear points, history, D16, D15, comments 2..9
//   COPYa=b COPYa-b=c DELa DELa-b  point editing;  TEACHi  point i's P = position (NG 42
//                              unless the teach bit is set)
//   STARTi ORG JOG+ JOG- INCH+ INCH-   motions (NG 46 while moving, in alarm or servo off)
//   STOP  SRVO0|1  BRK0|1 (NG 46 with the servo on)  RESET (clears alarms and warnings)
//   SETID                      without node: numbers the controllers 1, 2, ... in line order
// Error codes: see namespace ng in CommandLine.h.

#include "tests/support/emulator/ControllerModel.h"
#include "tests/support/emulator/FaultScript.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace emu {

struct OutputChunk {
    Clock::time_point due;
    std::string bytes;
    bool dropLink = false;    // close the link here instead of sending
    int reopenAfterMs = -1;   // with dropLink
};

class LineEmulator {
public:
    static constexpr int kDirectSession = 0;        // always open; for Exchange and Collect
    static constexpr size_t kMaxLineBytes = 512;    // longer lines are refused as malformed

    LineEmulator();
    ~LineEmulator();
    LineEmulator(const LineEmulator&) = delete;
    LineEmulator& operator=(const LineEmulator&) = delete;

    // Controllers in line order. Controller() throws std::out_of_range for a node that no
    // controller has: a test that names a missing controller is wrong.
    ControllerModel& AddController(int node, std::string type = "LB");
    bool RemoveController(int node);
    ControllerModel* FindController(int node);
    ControllerModel& Controller(int node);
    size_t ControllerCount() const;
    ControllerModel& ControllerAt(size_t position);

    FaultScript& Script();

    void SetEcho(bool on);
    bool Echo() const;
    void SetAnswerForm(AnswerForm form);
    AnswerForm GetAnswerForm() const;
    // Fault injection: what the controllers send of their own accord (a
    // motion's END or NG, trace samples) is held until the session's next
    // line and lands just ahead of that line's reply, so it reaches the
    // manager while another command is in flight.
    void HoldUnsolicitedForNextLine(bool on);
    // Code page of the controller's texts: 932 or 1252. ToLine and FromLine convert UTF-8
    // to and from it, for tests that think in UTF-8.
    void SetCodePage(int codePage);
    int CodePage() const;
    std::string ToLine(std::string_view utf8) const;
    std::string FromLine(std::string_view bytes) const;

    int OpenSession();
    void CloseSession(int session);
    void Feed(int session, std::string_view bytes, Clock::time_point now);
    // Appends the chunks of `session` that are due by `now` to `out`, in order. `linkIdle`
    // says the link has written everything it was given (the trace stream waits for it).
    void TakeDue(int session, Clock::time_point now, bool linkIdle, std::deque<OutputChunk>& out);
    std::optional<Clock::time_point> NextDue(int session) const;

    // Without a transport: feeds the line plus CR LF on the direct session and returns the
    // bytes due by `now`; Collect returns what became due later (motion ends, samples).
    std::string Exchange(std::string_view line, Clock::time_point now = Clock::now());
    std::string Collect(Clock::time_point now = Clock::now());

    // Everything received, for tests that check the exact bytes the code under test sent.
    std::vector<std::string> ReceivedLines() const;     // each line without its end; empty lines too
    std::vector<std::string> ReceivedCommands() const;  // the lines that begin with "@"
    std::string ReceivedBytes() const;
    void ClearLog();
    bool WaitForCommands(size_t count, std::chrono::milliseconds timeout) const;
    bool WaitForLine(std::string_view line, std::chrono::milliseconds timeout) const;

private:
    struct Session {
        std::string input;
        bool overflow = false;
        bool lastWasCr = false;
        std::deque<OutputChunk> out;
        std::string held;  // a reply held back until the next line arrives
    };

    void ProcessLine(int session, const std::string& line, bool overflow, Clock::time_point now);
    std::vector<ControllerModel*> Addressed(long node);
    void Queue(Session& session, std::string echo, std::string reply, const std::optional<Fault>& fault,
               long tokenNode, Clock::time_point now);

    std::shared_ptr<std::recursive_mutex> m_lock;
    std::vector<std::unique_ptr<ControllerModel>> m_controllers;
    FaultScript m_script;
    bool m_echo = false;
    AnswerForm m_answerForm = AnswerForm::WithNode;
    bool m_holdUnsolicited = false;
    int m_codePage = 932;
    std::map<int, Session> m_sessions;
    int m_nextSession = kDirectSession + 1;

    mutable std::mutex m_logLock;
    mutable std::condition_variable m_logChanged;
    std::vector<std::string> m_lines;
    std::string m_bytes;
};

}  // namespace emu
