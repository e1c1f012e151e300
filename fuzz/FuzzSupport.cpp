#include "fuzz/FuzzSupport.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace fuzz {

namespace {

void RemoveScratchFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(ScratchFolder(), ignored);
}

std::string MakeScratchFolder()
{
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/qvfuzz-XXXXXX";
    if (!::mkdtemp(pattern.data())) {
        std::perror("qvfuzz: cannot make a scratch folder");
        std::abort();
    }
    return pattern;
}

}  // namespace

const std::string& ScratchFolder()
{
    // Never destroyed: the removal at exit still needs the name.
    static const std::string* folder = [] {
        const std::string* made = new std::string(MakeScratchFolder());
        std::atexit(RemoveScratchFolder);
        return made;
    }();
    return *folder;
}

std::string ScratchPath(std::string_view name) { return ScratchFolder() + "/" + std::string(name); }

bool WriteScratchFile(std::string_view name, std::string_view bytes)
{
    std::ofstream out(ScratchPath(name), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

void RemoveScratchFile(std::string_view name)
{
    std::error_code ignored;
    std::filesystem::remove(ScratchPath(name), ignored);
}

std::u16string BytesToText(std::string_view bytes)
{
    std::u16string text;
    text.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto b0 = static_cast<unsigned char>(bytes[i]);
        std::size_t length = b0 < 0x80 ? 1 : (b0 >> 5) == 0x6 ? 2 : (b0 >> 4) == 0xE ? 3 : (b0 >> 3) == 0x1E ? 4 : 0;
        char32_t code = length == 1 ? b0 : length == 2 ? (b0 & 0x1F) : length == 3 ? (b0 & 0x0F) : (b0 & 0x07);
        bool valid = length != 0 && i + length <= bytes.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto b = static_cast<unsigned char>(bytes[i + k]);
            valid = (b & 0xC0) == 0x80;
            code = (code << 6) | (b & 0x3F);
        }
        if (valid && length > 1) {
            const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
            valid = code >= least[length] && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
        }
        if (!valid) {
            text.push_back(static_cast<char16_t>(b0));
            ++i;
            continue;
        }
        if (code >= 0x10000) {
            code -= 0x10000;
            text.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            text.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            text.push_back(static_cast<char16_t>(code));
        }
        i += length;
    }
    return text;
}

std::pair<std::string_view, std::string_view> SplitAt(std::string_view bytes, std::string_view separator)
{
    const std::size_t at = bytes.find(separator);
    if (at == std::string_view::npos) return {bytes, std::string_view()};
    return {bytes.substr(0, at), bytes.substr(at + separator.size())};
}

std::uint8_t TakeByte(std::string_view& bytes)
{
    if (bytes.empty()) return 0;
    const auto b = static_cast<std::uint8_t>(bytes.front());
    bytes.remove_prefix(1);
    return b;
}

}  // namespace fuzz
