#pragma once

// Scripted misbehaviour of the line: what happens to the reply of a command line.
//
// A fault acts on the wire, not on the controller: the command still takes effect (only Ng
// refuses it), but its reply is lost, late, cut, split, replaced or followed by a dropped
// link. Rules are taken in order: first the queue of NextReply, then OnKeyword and OnLine
// rules in the order they were added, then the decider. A rule with a count stops after that
// many commands.

#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace emu {

struct Fault {
    enum class Kind {
        NoReply,   // nothing comes back
        Late,      // the whole reply after delayMs
        Partial,   // only the first `bytes` bytes of the reply, then nothing
        Split,     // the reply in chunks of `bytes` bytes, delayMs apart
        Ng,        // "NG." with `code` instead of the reply; the command is refused
        Garbage,   // `text` instead of the reply
        DropLink,  // the first `bytes` bytes of the reply, then the link closes
        Loading,   // "LOADING." at once, the reply after delayMs
        // The reply comes so late that the next command line is already out: it is held
        // until the line receives its next line and then goes out just before the reply
        // to that line. With echo on and echoAtOnce, the echo goes out at once and only
        // the answer is held.
        HeldForNext,
    };
    Kind kind = Kind::NoReply;
    int delayMs = 0;
    size_t bytes = 0;
    int code = 0;
    std::string text;
    int reopenAfterMs = -1;  // DropLink on a pseudo-terminal: reopen after this long; <0 stays down
    bool echoAtOnce = false;  // HeldForNext

    static Fault NoReply();
    static Fault Late(int delayMs);
    static Fault Partial(size_t bytes);
    static Fault Split(size_t chunkBytes, int gapMs);
    static Fault Ng(int code);
    static Fault Garbage(std::string bytes);
    static Fault DropLink(size_t afterBytes = 0, int reopenAfterMs = -1);
    static Fault Loading(int delayMs);
    static Fault HeldForNext(bool echoAtOnce = false);
};

// The shapes of a reply that comes after the next command went out, for tests that run
// one scenario under each: echo off; echo on with the whole reply late; echo on with the
// echo at once and only the answer late.
struct LateReplyMode {
    const char* name;
    bool echo;
    bool echoAtOnce;
    Fault Held() const { return Fault::HeldForNext(echoAtOnce); }
};
inline constexpr LateReplyMode kLateReplyModes[] = {
    {"echo off", false, false},
    {"echo on", true, false},
    {"echo on, only the answer late", true, true},
};

class FaultScript {
public:
    FaultScript();
    explicit FaultScript(std::shared_ptr<std::recursive_mutex> lock);

    // The next `times` command lines, whatever they are.
    void NextReply(Fault fault, int times = 1);
    // Command lines of one keyword as it stands on the line ("K", "READ PNT", "COMR").
    // A negative count never runs out.
    void OnKeyword(std::string keyword, Fault fault, int times = -1);
    // Command lines that begin with the text ("@?IN1.", "@K99").
    void OnLine(std::string linePrefix, Fault fault, int times = -1);
    // Every command line that no rule takes is put to the decider, in the order the lines
    // arrive, so that it may count them and pick which one misbehaves and how (a plan drawn
    // from a seed). It runs on the line's thread under the line's lock and must not call
    // back into the emulator. One decider at a time; an empty function removes it.
    using Decider = std::function<std::optional<Fault>(std::string_view line, std::string_view keyword)>;
    void Decide(Decider decider);
    void Clear();
    bool Empty() const;

    // Used by the line: the fault for one command line, consuming one use of its rule.
    std::optional<Fault> Take(std::string_view line, std::string_view keyword);

private:
    struct Rule {
        enum class Match { Any, Keyword, Prefix };
        Match match = Match::Any;
        std::string text;
        Fault fault;
        int remaining = 1;
    };

    std::shared_ptr<std::recursive_mutex> m_lock;
    std::vector<Rule> m_next;
    std::vector<Rule> m_rules;
    Decider m_decider;
};

}  // namespace emu
