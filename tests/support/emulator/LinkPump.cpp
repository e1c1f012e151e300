#include "tests/support/emulator/LinkPump.h"

#include <algorithm>
#include <cerrno>
#include <sys/socket.h>
#include <unistd.h>

namespace emu {
namespace {

constexpr int kSlicesPerSecond = 200;
constexpr int kBitsPerByte = 10;  // start, eight data bits, stop

Clock::duration WireTime(size_t bytes, int baud)
{
    return std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(static_cast<double>(bytes) * kBitsPerByte / baud));
}

}  // namespace

LinkPump::LinkPump(LineEmulator& line, int fd, bool isSocket)
    : m_line(line), m_fd(fd), m_isSocket(isSocket), m_session(line.OpenSession())
{
}

LinkPump::~LinkPump() { m_line.CloseSession(m_session); }

LinkPump::State LinkPump::Read(Clock::time_point now, int baud)
{
    char buffer[4096];
    for (;;) {
        ssize_t n = read(m_fd, buffer, sizeof buffer);
        if (n > 0) {
            // Paced, the bytes have arrived once the wire has carried them,
            // one after the other from when they were first seen.
            Clock::time_point arrived = now;
            if (baud > 0) {
                arrived = std::max(now, m_inWireFreeAt) + WireTime(static_cast<size_t>(n), baud);
                m_inWireFreeAt = arrived;
            }
            m_line.Feed(m_session, std::string_view(buffer, static_cast<size_t>(n)), arrived);
            continue;
        }
        if (n == 0) {
            return State::Closed;
        }
        if (errno == EINTR) {
            continue;
        }
        return errno == EAGAIN || errno == EWOULDBLOCK ? State::Open : State::Closed;
    }
}

LinkPump::State LinkPump::Write(Clock::time_point now, int baud)
{
    m_line.TakeDue(m_session, now, m_pending.empty(), m_pending);
    m_blocked = false;
    while (!m_pending.empty()) {
        OutputChunk& chunk = m_pending.front();
        if (chunk.dropLink) {
            m_reopenAfterMs = chunk.reopenAfterMs;
            m_pending.clear();
            return State::Dropped;
        }
        if (m_offset >= chunk.bytes.size()) {
            m_pending.pop_front();
            m_offset = 0;
            continue;
        }
        size_t count = chunk.bytes.size() - m_offset;
        if (baud > 0) {
            if (!m_sliceReadyAt) {
                m_sliceBytes = std::min(count, static_cast<size_t>(std::max(1, baud / kBitsPerByte / kSlicesPerSecond)));
                // Slices follow each other from a fixed start (when the text
                // was due, or the end of the slice before), never from when
                // this thread woke: a late wake-up does not add up.
                const Clock::time_point start = m_offset > 0 ? m_wireFreeAt : std::max(chunk.due, m_wireFreeAt);
                m_sliceReadyAt = start + WireTime(m_sliceBytes, baud);
            }
            if (now < *m_sliceReadyAt) {
                break;
            }
            count = m_sliceBytes;
        }
        ssize_t written = m_isSocket ? send(m_fd, chunk.bytes.data() + m_offset, count, MSG_NOSIGNAL)
                                     : write(m_fd, chunk.bytes.data() + m_offset, count);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                m_blocked = true;
                break;
            }
            return State::Closed;
        }
        m_offset += static_cast<size_t>(written);
        if (baud > 0) {
            m_wireFreeAt = *m_sliceReadyAt;
            m_sliceBytes -= std::min(m_sliceBytes, static_cast<size_t>(written));
            if (m_sliceBytes == 0) {
                m_sliceReadyAt.reset();
            }
        }
    }
    return State::Open;
}

Clock::time_point LinkPump::NextWake(Clock::time_point now, Clock::time_point limit) const
{
    Clock::time_point next = limit;
    if (!m_pending.empty() && !m_blocked) {
        next = std::min(next, m_sliceReadyAt ? *m_sliceReadyAt : now);
    }
    if (std::optional<Clock::time_point> due = m_line.NextDue(m_session)) {
        next = std::min(next, std::max(*due, now));
    }
    return next;
}

}  // namespace emu
