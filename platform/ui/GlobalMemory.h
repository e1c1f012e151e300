// Memory blocks behind handles (GlobalAlloc and friends): what programs fill
// for the clipboard and what they read from it. A handle is an index and a
// generation, so a freed or stale handle fails instead of reaching freed
// memory. Blocks never move: a locked pointer stays valid until the block is
// freed.
#pragma once

#include "platform/core/WinTypes.h"

#include <cstddef>
#include <string>

using SIZE_T = std::size_t;

inline constexpr UINT GMEM_FIXED = 0x0000;
inline constexpr UINT GMEM_MOVEABLE = 0x0002;
inline constexpr UINT GMEM_ZEROINIT = 0x0040;
inline constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;
inline constexpr UINT GPTR = GMEM_FIXED | GMEM_ZEROINIT;

// Null when the size is 0 or the memory cannot be had. Blocks are always
// zero-filled, GMEM_ZEROINIT or not.
HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes);
// The block's first byte, and one more lock; null for a bad handle.
LPVOID GlobalLock(HGLOBAL block);
// One lock less: TRUE while the block stays locked, FALSE once it is
// unlocked (or was not locked, or the handle is bad).
BOOL GlobalUnlock(HGLOBAL block);
// Null on success; the handle itself when it cannot be freed: unknown, or
// data the clipboard owns.
HGLOBAL GlobalFree(HGLOBAL block);
// The block's size in bytes; 0 for a bad handle.
SIZE_T GlobalSize(HGLOBAL block);

namespace platform {

// For the clipboard. The bytes of a block (empty for a bad handle).
std::string GlobalBlockBytes(HGLOBAL block);
// A block holding a copy of the bytes that GlobalFree refuses: the clipboard
// hands it out and frees it itself with FreeOwnedGlobalBlock.
HGLOBAL AllocOwnedGlobalBlock(const std::string& bytes);
bool FreeOwnedGlobalBlock(HGLOBAL block);

}  // namespace platform
