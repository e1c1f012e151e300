// How much of the text waiting to go out a serial link hands to the driver in
// one write, and how long it pauses after it.
//
// A chunk is always whole characters of the link's code page, so a two-byte
// character never goes out as two halves split by a pause. When a write took
// only part of a chunk, the characters it completed leave the out buffer and
// the bytes it sent of the next one are skipped in the next chunk.
#pragma once

#include "platform/core/CodePage.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace comm {

struct SendPacing {
    WORD delayPerLineMs = 0;
    WORD delayPerCharMs = 0;
    WORD crSend = 1;  // 1: a line ends with CR, else with LF
};

struct SendChunk {
    std::size_t characters = 0;  // UTF-16 units of the out buffer the chunk covers
    std::string bytes;           // what to write, in the code page
    DWORD delayMs = 0;           // pause after the chunk when it went out whole
};

// Plans the next chunk of `out`, whose first `skipBytes` bytes already went
// out. At most `roomBytes` bytes; no characters when the first one does not
// fit. With a per-line delay the chunk ends after the first line end; with a
// per-character delay it is one character.
SendChunk PlanSendChunk(std::u16string_view out, std::size_t skipBytes, const SendPacing& pacing,
                        std::size_t roomBytes, UINT codePage = CP_ACP);

// After `written` bytes of a chunk went out: how many UTF-16 units of the
// chunk are now completely sent, and how many bytes of the next character
// went out already (its new skipBytes).
std::size_t CompletedCharacters(std::u16string_view chunk, std::size_t skipBytes, std::size_t written,
                                std::size_t& newSkipBytes, UINT codePage = CP_ACP);

}  // namespace comm
