// What the fuzz targets share: a private scratch folder for readers that
// take a path, and ways to turn the fuzzer's bytes into the texts the
// readers are handed.
//
// The folder is made once per process under $TMPDIR (else /tmp) and removed
// with everything in it when the process ends, so a target never writes
// anywhere else and leaves nothing behind.
#pragma once

#include "platform/core/CString.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace fuzz {

// The process's scratch folder (UTF-8, no trailing '/').
const std::string& ScratchFolder();

// Path of a file in the scratch folder.
std::string ScratchPath(std::string_view name);

// Writes the bytes to the file (replacing it); false when that failed.
bool WriteScratchFile(std::string_view name, std::string_view bytes);

// Removes the file if it is there.
void RemoveScratchFile(std::string_view name);

// The bytes as text: UTF-8 where they are valid, each other byte as the
// character of its value. So every input gives some text, and the texts
// controllers and files hold (ASCII, Japanese in UTF-8) are reached too.
std::u16string BytesToText(std::string_view bytes);

inline std::string_view AsBytes(const std::uint8_t* data, std::size_t size)
{
    return std::string_view(reinterpret_cast<const char*>(data), size);
}

// Cuts the bytes at the first occurrence of the separator: the part before,
// and the part after (empty when there is no separator).
std::pair<std::string_view, std::string_view> SplitAt(std::string_view bytes, std::string_view separator);

// Takes the first byte (0 when there is none) off the front.
std::uint8_t TakeByte(std::string_view& bytes);

}  // namespace fuzz
