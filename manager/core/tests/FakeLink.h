// A link for the protocol engine with no port behind it: it records every text
// the engine sends and hands back scripted replies, at once or when the test
// delivers them.
#pragma once

#include "manager/core/ControllerLink.h"
#include "manager/core/ControllerProtocol.h"

#include <atomic>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace testfx {

class FakeLink : public ControllerLink {
public:
    explicit FakeLink(CControllerProtocol& protocol) : m_protocol(protocol) { m_protocol.SetControllerLink(this); }
    ~FakeLink() override { m_protocol.SetControllerLink(nullptr); }

    // The reply to the next command line, handed over before SendData returns.
    void ReplyNext(std::string reply)
    {
        std::lock_guard guard(m_lock);
        m_replies.push_back(std::move(reply));
    }
    // Text arriving now, as the link's data event would bring it.
    void Deliver(const std::string& text)
    {
        {
            std::lock_guard guard(m_lock);
            m_atOnce = CString::FromUtf8(text);
        }
        m_protocol.OnDataArrived();
    }
    void SetPortType(int type) { m_portType = type; }
    // Text has come in that the link has not handed over yet.
    void SetUnreadInput(bool unread) { m_unread = unread; }
    bool HasUnreadInput() override { return m_unread; }
    void SetRefuse(bool refuse) { m_refuse = refuse; }

    std::vector<std::string> Sent() const
    {
        std::lock_guard guard(m_lock);
        return m_sent;
    }
    std::string LastSent() const
    {
        std::lock_guard guard(m_lock);
        return m_sent.empty() ? std::string() : m_sent.back();
    }

    int SendData(const CString& text) override
    {
        if (m_refuse) return 0;
        std::string reply;
        bool hasReply = false;
        {
            std::lock_guard guard(m_lock);
            m_sent.push_back(text.ToUtf8());
            if (!m_replies.empty()) {
                reply = std::move(m_replies.front());
                m_replies.pop_front();
                hasReply = true;
            }
        }
        if (hasReply && !reply.empty()) Deliver(reply);
        return 1;
    }
    CString GetInBuffAtOnce() override
    {
        std::lock_guard guard(m_lock);
        return m_atOnce;
    }
    int GetPortType() override { return m_portType; }

private:
    CControllerProtocol& m_protocol;
    mutable std::mutex m_lock;
    std::vector<std::string> m_sent;
    std::deque<std::string> m_replies;
    CString m_atOnce;
    int m_portType = 2;
    std::atomic<bool> m_unread{false};
    bool m_refuse = false;
};

}  // namespace testfx
