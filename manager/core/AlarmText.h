// Texts of controller alarm and reply codes from the resource module's alarm
// table: 547-byte records of a code byte and three zero-terminated 8-bit
// texts in the ANSI code page.
#pragma once

#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

inline constexpr int kAlarmTableResource = 189;
// String shown in place of the short text of a code the table does not know.
inline constexpr unsigned kUnknownAlarmStringId = 40007;

inline constexpr std::size_t kAlarmRecordSize = 547;
inline constexpr std::size_t kAlarmShortTextOffset = 1;
inline constexpr std::size_t kAlarmShortTextSize = 34;
inline constexpr std::size_t kAlarmLongText1Offset = 35;
inline constexpr std::size_t kAlarmLongText2Offset = 291;
inline constexpr std::size_t kAlarmLongTextSize = 256;

struct AlarmTextRecord {
    std::uint8_t code = 0;
    CString shortText;
    CString longText1;
    CString longText2;
};

inline constexpr int kAlarmFound = 0;
inline constexpr int kAlarmTableMissing = -1;
inline constexpr int kAlarmNotFound = -2;

// Looks the code (its low 8 bits) up in a table image; whole records only, so
// a cut-off record at the end is never read. kAlarmFound fills out;
// kAlarmNotFound leaves it as it was.
int FindAlarmText(std::string_view table, int code, AlarmTextRecord& out);

// Builds a table image from its source text: one record per line
// "code|short text|long text|long text" with the code in two hexadecimal
// digits; empty lines and lines beginning with "#" are skipped. False, with a
// message naming the line, on a malformed line, a repeated code, a character
// the code page cannot hold or a text too long for its field.
bool BuildAlarmTable(std::u16string_view source, UINT codePage, std::string& table, CString& error);

// The same on the current resource module's table. Not found: the short text
// becomes string 40007. kAlarmTableMissing when the module has no table.
int LoadAlarmText(int code, AlarmTextRecord& out);
