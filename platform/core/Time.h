// Tick counts and sleeping.
#pragma once

#include "platform/core/WinTypes.h"

// Milliseconds on a steady clock (never set back), wrapping to 0 after
// 2^32 ms like the Windows tick count; compare ticks by unsigned difference.
DWORD GetTickCount();
ULONGLONG GetTickCount64();
// Sleep(0) gives up the rest of the time slice.
void Sleep(DWORD ms);

namespace platform {

// Moves both tick counts by offsetMs, so that tests can bring the 32-bit count
// close to its wrap. Process-wide; tests restore it.
void SetTickCountOffset(ULONGLONG offsetMs);
ULONGLONG GetTickCountOffset();

}  // namespace platform
