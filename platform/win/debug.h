// Diagnostic output. OutputDebugString writes to standard error only when the
// environment variable MOVANTA_DEBUG_OUTPUT is set to a non-empty value other
// than "0"; otherwise it writes nothing. TRACE formats a diagnostic line and
// hands it to OutputDebugString in builds that define MOVANTA_TRACE (debug
// builds); elsewhere it compiles to nothing and its arguments are not
// evaluated.
#pragma once

#include "win/wintypes.h"

void OutputDebugStringW(LPCWSTR text);
void OutputDebugStringA(LPCSTR text);

namespace movanta {
// printf-style formatting of narrow and wide trace lines.
void TraceLine(const char* format, ...) __attribute__((format(printf, 1, 2)));
void TraceLine(const wchar_t* format, ...);
}  // namespace movanta

#ifdef MOVANTA_TRACE
#define TRACE(...) ::movanta::TraceLine(__VA_ARGS__)
#else
#define TRACE(...) ((void)0)
#endif
