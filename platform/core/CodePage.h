// The process's "ANSI code page" and conversions among UTF-16, UTF-8, CP932
// and CP1252. The 8-bit files and the controller link use the ANSI code page:
// CP932 when the user interface is Japanese, CP1252 otherwise. The process
// locale is never touched.
#pragma once

#include "platform/core/WinTypes.h"

#include <string>
#include <string_view>

inline constexpr UINT CP_ACP = 0;  // the process's ANSI code page
inline constexpr UINT CP_UTF8 = 65001;
inline constexpr UINT CP_SHIFT_JIS = 932;
inline constexpr UINT CP_WESTERN = 1252;

namespace platform {

// Sets the ANSI code page (932, 1252 or 65001); other values are refused.
bool SetAnsiCodePage(UINT codePage);
UINT GetAnsiCodePage();

// CP_ACP resolves to the current ANSI code page.
UINT ResolveCodePage(UINT codePage);

// Bytes that cannot be decoded become U+FFFD; characters that cannot be
// encoded become '?' and set *usedDefault. Never fails, never throws.
std::u16string ToWide(std::string_view bytes, UINT codePage = CP_ACP);
std::string FromWide(std::u16string_view text, UINT codePage = CP_ACP, bool* usedDefault = nullptr);

// True when b starts a two-byte character in the code page.
bool IsLeadByte(UINT codePage, unsigned char b);

// Decodes a byte stream that arrives in pieces: a multi-byte character cut
// between two pieces is kept until its second half arrives.
class StreamDecoder {
public:
    explicit StreamDecoder(UINT codePage = CP_ACP) : m_codePage(codePage) {}
    std::u16string Feed(std::string_view bytes);
    // Whatever is held back is decoded (as a replacement) and dropped.
    std::u16string Flush();
    void Reset() { m_pending.clear(); }
    bool HasPending() const { return !m_pending.empty(); }

private:
    UINT m_codePage;
    std::string m_pending;
};

// Length in bytes of the longest prefix of bytes (at most limit) that does not
// end in the middle of a multi-byte character.
std::size_t WholeCharacterPrefix(std::string_view bytes, std::size_t limit, UINT codePage = CP_ACP);

}  // namespace platform

// Win32-shaped helper for code that asks which code page is in use.
inline UINT GetACP() { return platform::GetAnsiCodePage(); }
