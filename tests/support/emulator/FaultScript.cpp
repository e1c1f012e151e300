#include "tests/support/emulator/FaultScript.h"

#include <utility>

namespace emu {

Fault Fault::NoReply() { return Fault{}; }

Fault Fault::Late(int delayMs)
{
    Fault f;
    f.kind = Kind::Late;
    f.delayMs = delayMs;
    return f;
}

Fault Fault::Partial(size_t bytes)
{
    Fault f;
    f.kind = Kind::Partial;
    f.bytes = bytes;
    return f;
}

Fault Fault::Split(size_t chunkBytes, int gapMs)
{
    Fault f;
    f.kind = Kind::Split;
    f.bytes = chunkBytes == 0 ? 1 : chunkBytes;
    f.delayMs = gapMs;
    return f;
}

Fault Fault::Ng(int code)
{
    Fault f;
    f.kind = Kind::Ng;
    f.code = code;
    return f;
}

Fault Fault::Garbage(std::string bytes)
{
    Fault f;
    f.kind = Kind::Garbage;
    f.text = std::move(bytes);
    return f;
}

Fault Fault::DropLink(size_t afterBytes, int reopenAfterMs)
{
    Fault f;
    f.kind = Kind::DropLink;
    f.bytes = afterBytes;
    f.reopenAfterMs = reopenAfterMs;
    return f;
}

Fault Fault::HeldForNext(bool echoAtOnce)
{
    Fault f;
    f.kind = Kind::HeldForNext;
    f.echoAtOnce = echoAtOnce;
    return f;
}

Fault Fault::Loading(int delayMs)
{
    Fault f;
    f.kind = Kind::Loading;
    f.delayMs = delayMs;
    return f;
}

FaultScript::FaultScript() : FaultScript(std::make_shared<std::recursive_mutex>()) {}

FaultScript::FaultScript(std::shared_ptr<std::recursive_mutex> lock) : m_lock(std::move(lock)) {}

void FaultScript::NextReply(Fault fault, int times)
{
    std::lock_guard guard(*m_lock);
    if (times > 0) {
        m_next.push_back(Rule{Rule::Match::Any, {}, std::move(fault), times});
    }
}

void FaultScript::OnKeyword(std::string keyword, Fault fault, int times)
{
    std::lock_guard guard(*m_lock);
    if (times != 0) {
        m_rules.push_back(Rule{Rule::Match::Keyword, std::move(keyword), std::move(fault), times});
    }
}

void FaultScript::OnLine(std::string linePrefix, Fault fault, int times)
{
    std::lock_guard guard(*m_lock);
    if (times != 0) {
        m_rules.push_back(Rule{Rule::Match::Prefix, std::move(linePrefix), std::move(fault), times});
    }
}

void FaultScript::Decide(Decider decider)
{
    std::lock_guard guard(*m_lock);
    m_decider = std::move(decider);
}

void FaultScript::Clear()
{
    std::lock_guard guard(*m_lock);
    m_next.clear();
    m_rules.clear();
    m_decider = nullptr;
}

bool FaultScript::Empty() const
{
    std::lock_guard guard(*m_lock);
    return m_next.empty() && m_rules.empty() && !m_decider;
}

std::optional<Fault> FaultScript::Take(std::string_view line, std::string_view keyword)
{
    std::lock_guard guard(*m_lock);
    auto use = [](std::vector<Rule>& rules, std::vector<Rule>::iterator it) {
        Fault fault = it->fault;
        if (it->remaining > 0 && --it->remaining == 0) {
            rules.erase(it);
        }
        return fault;
    };
    if (!m_next.empty()) {
        return use(m_next, m_next.begin());
    }
    for (auto it = m_rules.begin(); it != m_rules.end(); ++it) {
        const bool matches = it->match == Rule::Match::Keyword ? keyword == it->text
                                                               : line.substr(0, it->text.size()) == it->text;
        if (matches) {
            return use(m_rules, it);
        }
    }
    if (m_decider) {
        return m_decider(line, keyword);
    }
    return std::nullopt;
}

}  // namespace emu
