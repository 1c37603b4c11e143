// Global memory blocks: GlobalAlloc and its companions. A block is locked to
// reach its bytes; the flags other than GMEM_ZEROINIT change nothing here.
#pragma once

#include <cstddef>

#include "win/wintypes.h"

struct HGLOBAL__;
using HGLOBAL = HGLOBAL__*;

inline constexpr UINT GMEM_FIXED = 0x0000;
inline constexpr UINT GMEM_MOVEABLE = 0x0002;
inline constexpr UINT GMEM_ZEROINIT = 0x0040;

// Null when the memory cannot be had.
HGLOBAL GlobalAlloc(UINT flags, size_t bytes);
HGLOBAL GlobalReAlloc(HGLOBAL memory, size_t bytes, UINT flags);
void* GlobalLock(HGLOBAL memory);
BOOL GlobalUnlock(HGLOBAL memory);
size_t GlobalSize(HGLOBAL memory);
// Null on success, the block itself on failure.
HGLOBAL GlobalFree(HGLOBAL memory);
