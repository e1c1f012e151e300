#include "platform/core/CodePage.h"

#include <atomic>
#include <cerrno>
#include <iconv.h>

namespace platform {
namespace {

std::atomic<UINT> g_ansiCodePage{CP_WESTERN};

constexpr char16_t kReplacement = 0xFFFD;

// CP1252 bytes 0x80 to 0x9F; the five bytes the code page leaves undefined map
// to the C1 controls of the same value, as the original platform does.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

std::u16string DecodeCp1252(std::string_view bytes)
{
    std::u16string out;
    out.reserve(bytes.size());
    for (unsigned char b : bytes) {
        out.push_back(b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : static_cast<char16_t>(b));
    }
    return out;
}

std::string EncodeCp1252(std::u16string_view text, bool* usedDefault)
{
    std::string out;
    out.reserve(text.size());
    for (char16_t c : text) {
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            out.push_back(static_cast<char>(c));
            continue;
        }
        int found = -1;
        for (int i = 0; i < 32; ++i) {
            if (kCp1252High[i] == c) {
                found = i;
                break;
            }
        }
        if (found >= 0) {
            out.push_back(static_cast<char>(0x80 + found));
        } else {
            out.push_back('?');
            if (usedDefault) *usedDefault = true;
        }
    }
    return out;
}

std::u16string DecodeUtf8(std::string_view bytes)
{
    std::u16string out;
    out.reserve(bytes.size());
    std::size_t i = 0;
    const std::size_t n = bytes.size();
    while (i < n) {
        const unsigned char b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            out.push_back(b);
            ++i;
            continue;
        }
        int extra = 0;
        char32_t cp = 0;
        char32_t min = 0;
        if ((b & 0xE0) == 0xC0) {
            extra = 1;
            cp = b & 0x1F;
            min = 0x80;
        } else if ((b & 0xF0) == 0xE0) {
            extra = 2;
            cp = b & 0x0F;
            min = 0x800;
        } else if ((b & 0xF8) == 0xF0) {
            extra = 3;
            cp = b & 0x07;
            min = 0x10000;
        } else {
            out.push_back(kReplacement);
            ++i;
            continue;
        }
        bool ok = true;
        std::size_t j = 1;
        for (; j <= static_cast<std::size_t>(extra); ++j) {
            if (i + j >= n) {
                ok = false;
                break;
            }
            const unsigned char c = static_cast<unsigned char>(bytes[i + j]);
            if ((c & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (c & 0x3F);
        }
        if (!ok || cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out.push_back(kReplacement);
            i += (j > 1 ? j : 1);
            continue;
        }
        i += extra + 1;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

std::string EncodeUtf8(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = kReplacement;
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

// iconv descriptors are not thread-safe; each thread keeps its own pair.
class Cp932Converter {
public:
    Cp932Converter()
    {
        m_toWide = iconv_open("UTF-16LE", "CP932");
        m_fromWide = iconv_open("CP932", "UTF-16LE");
    }
    ~Cp932Converter()
    {
        if (m_toWide != reinterpret_cast<iconv_t>(-1)) iconv_close(m_toWide);
        if (m_fromWide != reinterpret_cast<iconv_t>(-1)) iconv_close(m_fromWide);
    }
    Cp932Converter(const Cp932Converter&) = delete;
    Cp932Converter& operator=(const Cp932Converter&) = delete;

    std::u16string Decode(std::string_view bytes)
    {
        std::u16string out;
        out.reserve(bytes.size());
        if (m_toWide == reinterpret_cast<iconv_t>(-1)) {
            for (unsigned char b : bytes) out.push_back(b < 0x80 ? b : kReplacement);
            return out;
        }
        iconv(m_toWide, nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(bytes.data());
        std::size_t inLeft = bytes.size();
        char buffer[1024];
        while (inLeft > 0) {
            char* outPtr = buffer;
            std::size_t outLeft = sizeof buffer;
            const std::size_t r = iconv(m_toWide, &in, &inLeft, &outPtr, &outLeft);
            AppendUtf16Le(out, buffer, static_cast<std::size_t>(outPtr - buffer));
            if (r == static_cast<std::size_t>(-1)) {
                if (errno == E2BIG) continue;
                // EILSEQ or EINVAL: one undecodable byte becomes a replacement.
                out.push_back(kReplacement);
                ++in;
                --inLeft;
                iconv(m_toWide, nullptr, nullptr, nullptr, nullptr);
            }
        }
        return out;
    }

    std::string Encode(std::u16string_view text, bool* usedDefault)
    {
        std::string out;
        out.reserve(text.size() * 2);
        if (m_fromWide == reinterpret_cast<iconv_t>(-1)) {
            for (char16_t c : text) {
                out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
                if (c >= 0x80 && usedDefault) *usedDefault = true;
            }
            return out;
        }
        iconv(m_fromWide, nullptr, nullptr, nullptr, nullptr);
        std::string le;
        le.reserve(text.size() * 2);
        for (char16_t c : text) {
            le.push_back(static_cast<char>(c & 0xFF));
            le.push_back(static_cast<char>(c >> 8));
        }
        char* in = le.data();
        std::size_t inLeft = le.size();
        char buffer[1024];
        while (inLeft > 0) {
            char* outPtr = buffer;
            std::size_t outLeft = sizeof buffer;
            const std::size_t r = iconv(m_fromWide, &in, &inLeft, &outPtr, &outLeft);
            out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
            if (r == static_cast<std::size_t>(-1)) {
                if (errno == E2BIG) continue;
                out.push_back('?');
                if (usedDefault) *usedDefault = true;
                // Skip one UTF-16 unit, or a whole surrogate pair.
                std::size_t skip = 2;
                if (inLeft >= 4) {
                    const unsigned hi = static_cast<unsigned char>(in[0]) | (static_cast<unsigned char>(in[1]) << 8);
                    if (hi >= 0xD800 && hi <= 0xDBFF) skip = 4;
                }
                skip = skip > inLeft ? inLeft : skip;
                in += skip;
                inLeft -= skip;
                iconv(m_fromWide, nullptr, nullptr, nullptr, nullptr);
            }
        }
        return out;
    }

private:
    static void AppendUtf16Le(std::u16string& out, const char* bytes, std::size_t n)
    {
        for (std::size_t i = 0; i + 1 < n; i += 2) {
            out.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                                (static_cast<unsigned char>(bytes[i + 1]) << 8)));
        }
    }

    iconv_t m_toWide;
    iconv_t m_fromWide;
};

Cp932Converter& ThreadCp932()
{
    thread_local Cp932Converter converter;
    return converter;
}

bool IsCp932Lead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// Bytes of a UTF-8 sequence that starts with b (1 for anything invalid).
std::size_t Utf8SequenceLength(unsigned char b)
{
    if ((b & 0xE0) == 0xC0) return 2;
    if ((b & 0xF0) == 0xE0) return 3;
    if ((b & 0xF8) == 0xF0) return 4;
    return 1;
}

}  // namespace

bool SetAnsiCodePage(UINT codePage)
{
    if (codePage != CP_SHIFT_JIS && codePage != CP_WESTERN && codePage != CP_UTF8) return false;
    g_ansiCodePage.store(codePage);
    return true;
}

UINT GetAnsiCodePage() { return g_ansiCodePage.load(); }

UINT ResolveCodePage(UINT codePage) { return codePage == CP_ACP ? GetAnsiCodePage() : codePage; }

std::u16string ToWide(std::string_view bytes, UINT codePage)
{
    switch (ResolveCodePage(codePage)) {
    case CP_UTF8:
        return DecodeUtf8(bytes);
    case CP_SHIFT_JIS:
        return ThreadCp932().Decode(bytes);
    default:
        return DecodeCp1252(bytes);
    }
}

std::string FromWide(std::u16string_view text, UINT codePage, bool* usedDefault)
{
    if (usedDefault) *usedDefault = false;
    switch (ResolveCodePage(codePage)) {
    case CP_UTF8:
        return EncodeUtf8(text);
    case CP_SHIFT_JIS:
        return ThreadCp932().Encode(text, usedDefault);
    default:
        return EncodeCp1252(text, usedDefault);
    }
}

bool IsLeadByte(UINT codePage, unsigned char b)
{
    switch (ResolveCodePage(codePage)) {
    case CP_SHIFT_JIS:
        return IsCp932Lead(b);
    case CP_UTF8:
        return b >= 0xC0;
    default:
        return false;
    }
}

std::size_t WholeCharacterPrefix(std::string_view bytes, std::size_t limit, UINT codePage)
{
    if (limit >= bytes.size()) return bytes.size();
    const UINT cp = ResolveCodePage(codePage);
    std::size_t i = 0;
    while (i < limit) {
        const unsigned char b = static_cast<unsigned char>(bytes[i]);
        std::size_t len = 1;
        if (cp == CP_SHIFT_JIS && IsCp932Lead(b)) {
            len = 2;
        } else if (cp == CP_UTF8) {
            len = Utf8SequenceLength(b);
        }
        if (i + len > limit) break;
        i += len;
    }
    return i;
}

std::u16string StreamDecoder::Feed(std::string_view bytes)
{
    std::string data = std::move(m_pending);
    m_pending.clear();
    data.append(bytes);
    const UINT cp = ResolveCodePage(m_codePage);
    // Find where the last whole character ends; hold back a cut character.
    std::size_t i = 0;
    std::size_t whole = 0;
    while (i < data.size()) {
        const unsigned char b = static_cast<unsigned char>(data[i]);
        std::size_t len = 1;
        if (cp == CP_SHIFT_JIS && IsCp932Lead(b)) {
            len = 2;
        } else if (cp == CP_UTF8) {
            len = Utf8SequenceLength(b);
        }
        if (i + len > data.size()) break;
        i += len;
        whole = i;
    }
    m_pending = data.substr(whole);
    return ToWide(std::string_view(data).substr(0, whole), cp);
}

std::u16string StreamDecoder::Flush()
{
    std::u16string out = ToWide(m_pending, m_codePage);
    m_pending.clear();
    return out;
}

}  // namespace platform
