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
// Reply shapes (the controller's own; "n" is the node the command named):
//   query of one item         "K12.n=500" CR LF "OK.n" CR LF
//   query of a range          "K94=1" CR LF "K95=0" CR LF ... "OK.n" CR LF
//   write, command            "OK.n" CR LF
//   refused or malformed      "NG.n=43" CR LF (two upper-case hexadecimal digits)
//   motion                    "RUN.n" CR LF at once, "END.n" CR LF when done,
//                             "NG.n=05" CR LF when a STOP or servo-off ended it (a jog: END)
//   bulk reads                "PNT12=M1,P1000,...,T0" / "K1=0" / "H0=0" / "REC1=F1A,..." lines, then OK
// A line without node ("@K75=0", "@?CONT") reaches every controller; each answers in node
// order with tokens that carry no node ("OK.", "NG.=43") and answer lines that carry its own
// ("CONT.2=N3"). A node that no controller has gets no reply at all. Lines that do not begin
// with "@" (a bare CR LF, line noise) are logged and ignored. The echo of the command line
// is off unless SetEcho turns it on.

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
    };

    void ProcessLine(int session, const std::string& line, bool overflow, Clock::time_point now);
    std::vector<ControllerModel*> Addressed(long node);
    void Queue(Session& session, std::string reply, const std::optional<Fault>& fault, long tokenNode,
               Clock::time_point now);

    std::shared_ptr<std::recursive_mutex> m_lock;
    std::vector<std::unique_ptr<ControllerModel>> m_controllers;
    FaultScript m_script;
    bool m_echo = false;
    int m_codePage = 932;
    std::map<int, Session> m_sessions;
    int m_nextSession = kDirectSession + 1;

    mutable std::mutex m_logLock;
    mutable std::condition_variable m_logChanged;
    std::vector<std::string> m_lines;
    std::string m_bytes;
};

}  // namespace emu
