#include "comm/SendChunk.h"

namespace comm {

namespace {

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// UTF-16 units of the character that starts at `at`.
std::size_t CharacterUnits(std::u16string_view text, std::size_t at)
{
    if (IsHighSurrogate(text[at]) && at + 1 < text.size() && IsLowSurrogate(text[at + 1])) return 2;
    return 1;
}

}  // namespace

SendChunk PlanSendChunk(std::u16string_view out, std::size_t skipBytes, const SendPacing& pacing,
                        std::size_t roomBytes, UINT codePage)
{
    SendChunk chunk;
    const char16_t lineEnd = pacing.crSend == 1 ? u'\r' : u'\n';
    const bool oneCharacter = pacing.delayPerCharMs > 0;
    const bool untilLineEnd = !oneCharacter && pacing.delayPerLineMs > 0;
    std::size_t at = 0;
    char16_t last = 0;
    while (at < out.size()) {
        const std::size_t units = CharacterUnits(out, at);
        std::string bytes = platform::FromWide(out.substr(at, units), codePage);
        if (at == 0) bytes.erase(0, std::min(skipBytes, bytes.size()));
        if (chunk.bytes.size() + bytes.size() > roomBytes) break;
        chunk.bytes += bytes;
        at += units;
        last = out[at - 1];
        if (oneCharacter) break;
        if (untilLineEnd && last == lineEnd) break;
    }
    chunk.characters = at;
    if (at == 0) return chunk;
    if (oneCharacter) {
        chunk.delayMs = pacing.delayPerLineMs > 0 && last == lineEnd ? pacing.delayPerLineMs : pacing.delayPerCharMs;
    } else if (untilLineEnd) {
        chunk.delayMs = last == lineEnd ? pacing.delayPerLineMs : 0;
    }
    return chunk;
}

std::size_t CompletedCharacters(std::u16string_view chunk, std::size_t skipBytes, std::size_t written,
                                std::size_t& newSkipBytes, UINT codePage)
{
    newSkipBytes = 0;
    std::size_t at = 0;
    std::size_t skip = skipBytes;
    while (at < chunk.size()) {
        const std::size_t units = CharacterUnits(chunk, at);
        const std::size_t size = platform::FromWide(chunk.substr(at, units), codePage).size();
        const std::size_t need = size > skip ? size - skip : 0;
        if (written < need) {
            newSkipBytes = skip + written;
            break;
        }
        written -= need;
        skip = 0;
        at += units;
    }
    return at;
}

}  // namespace comm
