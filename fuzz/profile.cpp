// Settings ("ini") files: every read the profile functions offer, with
// buffers of every size, then writes that must change only their own lines.
#include "fuzz/FuzzSupport.h"
#include "platform/core/CodePage.h"
#include "platform/core/Profile.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view bytes = fuzz::AsBytes(data, size);
    const std::uint8_t options = fuzz::TakeByte(bytes);
    platform::SetAnsiCodePage((options & 1) ? CP_SHIFT_JIS : CP_WESTERN);
    fuzz::WriteScratchFile("settings.ini", bytes);
    const CString path = CString::FromUtf8(fuzz::ScratchPath("settings.ini"));
    const LPCWSTR file = path.GetString();

    // Buffers from none at all to a little, so every cut is reached.
    const DWORD bufferSize = options >> 3;
    std::vector<char16_t> buffer(bufferSize + 1, u'\xFFFF');
    GetPrivateProfileSectionNamesW(bufferSize ? buffer.data() : nullptr, bufferSize, file);
    if (buffer[bufferSize] != u'\xFFFF') __builtin_trap();

    const std::vector<CString> sections = platform::PrivateProfileSectionNames(file);
    int shown = 0;
    for (const CString& section : sections) {
        if (++shown > 8) break;
        GetPrivateProfileStringW(section.GetString(), nullptr, u"", bufferSize ? buffer.data() : nullptr,
                                 bufferSize, file);
        if (buffer[bufferSize] != u'\xFFFF') __builtin_trap();
        for (const auto& [key, value] : platform::PrivateProfileEntries(section.GetString(), file)) {
            // A name holding a NUL byte cannot be asked for by name.
            const bool askable = key.view().find(u'\0') == std::u16string_view::npos &&
                                 section.view().find(u'\0') == std::u16string_view::npos;
            if (askable && platform::ReadPrivateProfileString(section.GetString(), key.GetString(), u"", file) != value)
                __builtin_trap();
            GetPrivateProfileIntW(section.GetString(), key.GetString(), 7, file);
            GetPrivateProfileStringW(section.GetString(), key.GetString(), u"default  ",
                                     bufferSize ? buffer.data() : nullptr, bufferSize, file);
            if (buffer[bufferSize] != u'\xFFFF') __builtin_trap();
        }
        platform::PrivateProfileKeys(section.GetString(), file);
    }

    // A write into the first section, read back; then the section removed.
    if (!sections.empty()) {
        const LPCWSTR section = sections.front().GetString();
        if (WritePrivateProfileStringW(section, u"FuzzKey", u"value 1", file) &&
            platform::ReadPrivateProfileString(section, u"FuzzKey", u"", file) != CString(u"value 1"))
            __builtin_trap();
        WritePrivateProfileStringW(section, nullptr, nullptr, file);
    }
    if (WritePrivateProfileStringW(u"New", u"Key", u"42", file) &&
        platform::ReadPrivateProfileInt(u"New", u"Key", 0, file) != 42)
        __builtin_trap();
    return 0;
}
