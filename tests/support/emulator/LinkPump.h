#pragma once

// Serves one connected link (a socket or a pseudo-terminal master) for a line: reads what
// arrives into the line and writes the line's output when it is due. With a baud rate the
// bytes leave no faster than the wire would carry them (10 bits per byte), each slice of a
// few milliseconds being sent when its last bit would have arrived.

#include "tests/support/emulator/LineEmulator.h"

#include <deque>
#include <optional>

namespace emu {

class LinkPump {
public:
    enum class State { Open, Closed, Dropped };

    LinkPump(LineEmulator& line, int fd, bool isSocket);
    ~LinkPump();
    LinkPump(const LinkPump&) = delete;
    LinkPump& operator=(const LinkPump&) = delete;

    int Fd() const { return m_fd; }
    // Reads what the peer sent. Closed when the peer went away or the descriptor failed.
    // With a baud rate the bytes count as received only after their wire time.
    State Read(Clock::time_point now, int baud = 0);
    // Writes what is due; Dropped when a scripted drop of the link was reached.
    State Write(Clock::time_point now, int baud);
    // The write side waits for the descriptor to take more bytes.
    bool WantsWritable() const { return m_blocked; }
    // When the pump next has something to do (never later than `limit`).
    Clock::time_point NextWake(Clock::time_point now, Clock::time_point limit) const;
    int ReopenAfterMs() const { return m_reopenAfterMs; }

private:
    LineEmulator& m_line;
    int m_fd;
    bool m_isSocket;
    int m_session;
    std::deque<OutputChunk> m_pending;
    size_t m_offset = 0;
    Clock::time_point m_wireFreeAt{};
    Clock::time_point m_inWireFreeAt{};
    std::optional<Clock::time_point> m_sliceReadyAt;
    size_t m_sliceBytes = 0;
    bool m_blocked = false;
    int m_reopenAfterMs = -1;
};

}  // namespace emu
