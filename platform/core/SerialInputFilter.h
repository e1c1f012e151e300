// Received bytes of a serial port, as the link above it sees them.
//
// With parity checking the driver marks every character received with a parity
// or framing error as 0xFF 0x00 c and doubles a genuine 0xFF, so the two can be
// told apart. The filter replaces a marked character with the error character
// (or drops it when that is 0) and undoubles 0xFF; NUL bytes can be dropped. A
// mark cut between two reads is held until the rest arrives.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

class SerialInputFilter {
public:
    void Configure(bool marked, char errorChar, bool discardNulls);
    // Appends the filtered form of raw to out; returns how many marked
    // characters raw completed.
    std::size_t Feed(std::string_view raw, std::string& out);
    // Raw bytes held back because a mark is not complete yet (0, 1 or 2).
    std::size_t Pending() const { return m_state; }
    void Reset() { m_state = 0; }

private:
    void Put(char c, std::string& out) const;

    bool m_marked = false;
    char m_errorChar = '~';
    bool m_discardNulls = false;
    std::size_t m_state = 0;  // 1 after 0xFF, 2 after 0xFF 0x00
};

}  // namespace platform
