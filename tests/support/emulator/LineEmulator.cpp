#include "tests/support/emulator/LineEmulator.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>
#include <stdexcept>

namespace emu {
namespace {

const char* CodePageName(int codePage) { return codePage == 1252 ? "CP1252" : "CP932"; }

// Converts with iconv; a character the target cannot hold becomes "?".
std::string Convert(std::string_view text, const char* to, const char* from)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return std::string(text);
    }
    std::string out;
    std::string input(text);
    char* in = input.data();
    size_t inLeft = input.size();
    char buffer[256];
    while (inLeft > 0) {
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<size_t>(outPtr - buffer));
        if (result == static_cast<size_t>(-1) && errno != E2BIG) {
            // Skip one undecodable input character (a whole UTF-8 sequence when that is the source).
            size_t skip = 1;
            if (std::string_view(from) == "UTF-8") {
                while (skip < inLeft && (static_cast<unsigned char>(in[skip]) & 0xC0) == 0x80) {
                    ++skip;
                }
            }
            out += '?';
            in += skip;
            inLeft -= skip;
        }
    }
    iconv_close(cd);
    return out;
}

}  // namespace

LineEmulator::LineEmulator()
    : m_lock(std::make_shared<std::recursive_mutex>()), m_script(m_lock)
{
    m_sessions[kDirectSession];
}

LineEmulator::~LineEmulator() = default;

ControllerModel& LineEmulator::AddController(int node, std::string type)
{
    std::lock_guard guard(*m_lock);
    m_controllers.push_back(std::make_unique<ControllerModel>(node, std::move(type), m_lock));
    return *m_controllers.back();
}

bool LineEmulator::RemoveController(int node)
{
    std::lock_guard guard(*m_lock);
    auto it = std::find_if(m_controllers.begin(), m_controllers.end(),
                           [node](const auto& c) { return c->Node() == node; });
    if (it == m_controllers.end()) {
        return false;
    }
    m_controllers.erase(it);
    return true;
}

ControllerModel* LineEmulator::FindController(int node)
{
    std::lock_guard guard(*m_lock);
    for (auto& c : m_controllers) {
        if (c->Node() == node) {
            return c.get();
        }
    }
    return nullptr;
}

ControllerModel& LineEmulator::Controller(int node)
{
    if (ControllerModel* c = FindController(node)) {
        return *c;
    }
    throw std::out_of_range("no emulated controller has node " + std::to_string(node));
}

size_t LineEmulator::ControllerCount() const
{
    std::lock_guard guard(*m_lock);
    return m_controllers.size();
}

ControllerModel& LineEmulator::ControllerAt(size_t position)
{
    std::lock_guard guard(*m_lock);
    return *m_controllers.at(position);
}

FaultScript& LineEmulator::Script() { return m_script; }

void LineEmulator::SetEcho(bool on) { std::lock_guard guard(*m_lock); m_echo = on; }
bool LineEmulator::Echo() const { std::lock_guard guard(*m_lock); return m_echo; }
void LineEmulator::SetAnswerForm(AnswerForm form) { std::lock_guard guard(*m_lock); m_answerForm = form; }
AnswerForm LineEmulator::GetAnswerForm() const { std::lock_guard guard(*m_lock); return m_answerForm; }

void LineEmulator::HoldUnsolicitedForNextLine(bool on)
{
    std::lock_guard guard(*m_lock);
    m_holdUnsolicited = on;
}

void LineEmulator::SetCodePage(int codePage)
{
    std::lock_guard guard(*m_lock);
    m_codePage = codePage == 1252 ? 1252 : 932;
}

int LineEmulator::CodePage() const { std::lock_guard guard(*m_lock); return m_codePage; }

std::string LineEmulator::ToLine(std::string_view utf8) const
{
    return Convert(utf8, CodePageName(CodePage()), "UTF-8");
}

std::string LineEmulator::FromLine(std::string_view bytes) const
{
    return Convert(bytes, "UTF-8", CodePageName(CodePage()));
}

int LineEmulator::OpenSession()
{
    std::lock_guard guard(*m_lock);
    int id = m_nextSession++;
    m_sessions[id];
    return id;
}

void LineEmulator::CloseSession(int session)
{
    std::lock_guard guard(*m_lock);
    if (session == kDirectSession) {
        return;
    }
    m_sessions.erase(session);
    for (auto& c : m_controllers) {
        c->CloseSession(session);
    }
}

void LineEmulator::Feed(int session, std::string_view bytes, Clock::time_point now)
{
    std::lock_guard guard(*m_lock);
    {
        std::lock_guard log(m_logLock);
        m_bytes.append(bytes);
    }
    auto it = m_sessions.find(session);
    if (it == m_sessions.end()) {
        return;
    }
    Session& s = it->second;
    for (char c : bytes) {
        if (c == '\n' && s.lastWasCr) {
            s.lastWasCr = false;
            continue;
        }
        s.lastWasCr = c == '\r';
        if (c == '\r' || c == '\n') {
            std::string line;
            line.swap(s.input);
            const bool overflow = s.overflow;
            s.overflow = false;
            ProcessLine(session, line, overflow, now);
        } else if (s.input.size() < kMaxLineBytes) {
            s.input += c;
        } else {
            s.overflow = true;
        }
    }
}

std::vector<ControllerModel*> LineEmulator::Addressed(long node)
{
    std::vector<ControllerModel*> found;
    if (node < 0) {
        return found;
    }
    for (auto& c : m_controllers) {
        if (node == 0 || c->Node() == node) {
            found.push_back(c.get());
        }
    }
    if (node == 0) {
        std::stable_sort(found.begin(), found.end(),
                         [](ControllerModel* a, ControllerModel* b) { return a->Node() < b->Node(); });
    }
    return found;
}

void LineEmulator::ProcessLine(int session, const std::string& line, bool overflow, Clock::time_point now)
{
    {
        std::lock_guard log(m_logLock);
        m_lines.push_back(line);
    }
    m_logChanged.notify_all();

    // A reply held for the next line lands now, ahead of whatever this line brings.
    if (Session& s = m_sessions[session]; !s.held.empty()) {
        s.out.push_back(OutputChunk{now, std::move(s.held)});
        s.held.clear();
    }

    ParsedLine parsed = ParseCommandLine(line);
    // Too long for the controller's buffer: refused whatever it says.
    if (overflow && parsed.kind != ParsedLine::Kind::NotCommand) {
        parsed.kind = ParsedLine::Kind::Malformed;
        parsed.errorCode = ng::kBadCommand;
        parsed.node = 0;
    }
    if (parsed.kind == ParsedLine::Kind::Empty || parsed.kind == ParsedLine::Kind::NotCommand) {
        return;
    }
    const bool isCommand = parsed.kind == ParsedLine::Kind::Command;
    const std::string_view keyword = isCommand ? KeywordText(parsed.command.keyword) : std::string_view{};
    std::optional<Fault> fault = m_script.Take(line, keyword);

    const long node = isCommand ? parsed.command.node : parsed.node;
    std::vector<ControllerModel*> targets = Addressed(node);
    if (targets.empty()) {
        return;  // nobody on the line has that node: silence
    }
    const long tokenNode = node;
    std::string echo = m_echo ? line + "\r\n" : std::string();
    std::string reply;
    if (fault && fault->kind == Fault::Kind::Ng) {
        for (size_t i = 0; i < targets.size(); ++i) {
            reply += ControllerModel::NgReply(tokenNode, fault->code);
        }
    } else if (!isCommand) {
        for (size_t i = 0; i < targets.size(); ++i) {
            reply += ControllerModel::NgReply(tokenNode, parsed.errorCode);
        }
    } else {
        const CommandLine& command = parsed.command;
        if (command.keyword == Keyword::SETID && node == 0 && !command.query && !command.value &&
            !command.first) {
            // Every controller on the line takes the next number in line order.
            int next = 1;
            for (auto& c : m_controllers) {
                c->SetNode(next++);
            }
            targets = Addressed(0);
        }
        ExecContext context{now, session, tokenNode, m_answerForm};
        for (ControllerModel* c : targets) {
            reply += c->Execute(command, context);
        }
    }
    Queue(m_sessions[session], std::move(echo), std::move(reply), fault, tokenNode, now);
}

void LineEmulator::Queue(Session& session, std::string echo, std::string reply, const std::optional<Fault>& fault,
                         long tokenNode, Clock::time_point now)
{
    auto push = [&session](Clock::time_point due, std::string bytes) {
        if (!bytes.empty()) {
            session.out.push_back(OutputChunk{due, std::move(bytes)});
        }
    };
    if (fault && fault->kind == Fault::Kind::HeldForNext) {
        if (fault->echoAtOnce) {
            push(now, std::move(echo));
        } else {
            reply.insert(0, echo);
        }
        session.held += reply;
        return;
    }
    reply.insert(0, echo);
    if (!fault || fault->kind == Fault::Kind::Ng) {
        push(now, std::move(reply));
        return;
    }
    const auto delay = std::chrono::milliseconds(std::max(0, fault->delayMs));
    switch (fault->kind) {
    case Fault::Kind::NoReply:
        break;
    case Fault::Kind::Late:
        push(now + delay, std::move(reply));
        break;
    case Fault::Kind::Partial:
        push(now, reply.substr(0, fault->bytes));
        break;
    case Fault::Kind::Split:
        for (size_t pos = 0, i = 0; pos < reply.size(); pos += fault->bytes, ++i) {
            push(now + delay * static_cast<int>(i), reply.substr(pos, fault->bytes));
        }
        break;
    case Fault::Kind::Garbage:
        push(now, fault->text);
        break;
    case Fault::Kind::DropLink: {
        push(now, reply.substr(0, fault->bytes));
        OutputChunk drop{now, {}, true, fault->reopenAfterMs};
        session.out.push_back(std::move(drop));
        break;
    }
    case Fault::Kind::Loading:
        push(now, ControllerModel::Token("LOADING", tokenNode));
        push(now + delay, std::move(reply));
        break;
    case Fault::Kind::Ng:
    case Fault::Kind::HeldForNext:
        break;
    }
}

void LineEmulator::TakeDue(int session, Clock::time_point now, bool linkIdle, std::deque<OutputChunk>& out)
{
    std::lock_guard guard(*m_lock);
    auto it = m_sessions.find(session);
    if (it == m_sessions.end()) {
        return;
    }
    Session& s = it->second;
    std::string unsolicited;
    for (auto& c : m_controllers) {
        c->Poll(now, session, linkIdle && s.out.empty() && unsolicited.empty(), unsolicited);
    }
    if (!unsolicited.empty()) {
        if (m_holdUnsolicited) {
            s.held += unsolicited;
        } else {
            s.out.push_back(OutputChunk{now, std::move(unsolicited)});
        }
    }
    while (!s.out.empty() && s.out.front().due <= now) {
        out.push_back(std::move(s.out.front()));
        s.out.pop_front();
    }
}

std::optional<Clock::time_point> LineEmulator::NextDue(int session) const
{
    std::lock_guard guard(*m_lock);
    std::optional<Clock::time_point> next;
    auto it = m_sessions.find(session);
    if (it != m_sessions.end() && !it->second.out.empty()) {
        next = it->second.out.front().due;
    }
    for (const auto& c : m_controllers) {
        std::optional<Clock::time_point> t = c->NextEvent(session);
        if (t && (!next || *t < *next)) {
            next = t;
        }
    }
    return next;
}

std::string LineEmulator::Exchange(std::string_view line, Clock::time_point now)
{
    std::string bytes(line);
    bytes += "\r\n";
    Feed(kDirectSession, bytes, now);
    return Collect(now);
}

std::string LineEmulator::Collect(Clock::time_point now)
{
    std::deque<OutputChunk> chunks;
    TakeDue(kDirectSession, now, true, chunks);
    std::string bytes;
    for (const OutputChunk& chunk : chunks) {
        bytes += chunk.bytes;
    }
    return bytes;
}

std::vector<std::string> LineEmulator::ReceivedLines() const
{
    std::lock_guard log(m_logLock);
    return m_lines;
}

std::vector<std::string> LineEmulator::ReceivedCommands() const
{
    std::lock_guard log(m_logLock);
    std::vector<std::string> commands;
    for (const std::string& line : m_lines) {
        if (!line.empty() && line.front() == '@') {
            commands.push_back(line);
        }
    }
    return commands;
}

std::string LineEmulator::ReceivedBytes() const
{
    std::lock_guard log(m_logLock);
    return m_bytes;
}

void LineEmulator::ClearLog()
{
    std::lock_guard log(m_logLock);
    m_lines.clear();
    m_bytes.clear();
}

bool LineEmulator::WaitForCommands(size_t count, std::chrono::milliseconds timeout) const
{
    std::unique_lock log(m_logLock);
    return m_logChanged.wait_for(log, timeout, [&] {
        return static_cast<size_t>(std::count_if(m_lines.begin(), m_lines.end(), [](const std::string& l) {
                   return !l.empty() && l.front() == '@';
               })) >= count;
    });
}

bool LineEmulator::WaitForLine(std::string_view line, std::chrono::milliseconds timeout) const
{
    std::unique_lock log(m_logLock);
    return m_logChanged.wait_for(
        log, timeout, [&] { return std::find(m_lines.begin(), m_lines.end(), line) != m_lines.end(); });
}

}  // namespace emu
