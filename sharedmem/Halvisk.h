// The shared-memory exchange library (libHalvisk.so): two named blocks that
// the manager and the simulator both map, one holding a controller's record,
// the other one text, each copied in and out whole under its own lock that
// all processes of the user share. Plain exports, bound by name at run time;
// no export throws.
//
// Every copy waits for its lock at most kHalviskLockTimeoutMs and reports
// whether it copied: a holder that hangs must not hang the other program,
// and a copy that did not happen must not pass for one.
#pragma once

#include "platform/core/CString.h"
#include "sharedmem/SharedControllerRecord.h"

#include <cstdint>

inline constexpr char16_t kHalviskRecordBlockName[] = u"KXS_PROCESS_COMM";
inline constexpr char16_t kHalviskTextBlockName[] = u"KXS_PROCESS_COMM_POS";
// "Global\" makes a lock shared by all processes of the user.
inline constexpr char16_t kHalviskRecordLockName[] = u"Global\\KXS_SHARED_MUTEX";
inline constexpr char16_t kHalviskTextLockName[] = u"Global\\KXS_SHARED_MUTEX_POS";
inline constexpr std::uint32_t kHalviskTextBlockBytes = kSharedTextUnits * sizeof(char16_t);
inline constexpr int kHalviskMaxTextLength = kSharedTextUnits - 1;
inline constexpr std::uint32_t kHalviskLockTimeoutMs = 10000;

extern "C" {

// Creates or opens both blocks and maps them; 1 on success, 0 on failure
// (then nothing stays mapped). Calling it again while mapped returns 1.
std::int32_t AllocateMemory();

// Unmaps and closes both blocks; the copies then fail until the next
// AllocateMemory.
void DeallocateMemory();

// Copies the record into the first block. 1 when copied; 0 when the blocks
// are not mapped or the lock could not be had in time.
std::int32_t WriteContData(SharedControllerRecord record);

// Copies the first block into *record. 1 when copied; 0 (and *record
// untouched) when the blocks are not mapped, the lock could not be had in
// time or record is null.
std::int32_t ReadContData(SharedControllerRecord* record);

// Copies the text and its terminator into the second block; a text longer
// than 254 characters is cut to 254 (253 where the 254th would be the first
// half of a surrogate pair). 1 when copied; 0 when the blocks are not mapped
// or the lock could not be had in time.
std::int32_t WritePositionData(CString text);

// Sets *text to the text of the second block, up to its terminator or the
// block's end. 1 when copied; 0 (and *text untouched) as for ReadContData.
std::int32_t ReadPositionData(CString* text);

}  // extern "C"

// Types of the exports, for binding them by name.
using PFN_AllocateMemory = std::int32_t (*)();
using PFN_DeallocateMemory = void (*)();
using PFN_WriteContData = std::int32_t (*)(SharedControllerRecord);
using PFN_ReadContData = std::int32_t (*)(SharedControllerRecord*);
using PFN_WritePositionData = std::int32_t (*)(CString);
using PFN_ReadPositionData = std::int32_t (*)(CString*);
