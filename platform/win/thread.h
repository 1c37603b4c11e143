// Threads, time and process identity.
#pragma once

#include "win/wintypes.h"

using LPTHREAD_START_ROUTINE = DWORD (*)(LPVOID parameter);

inline constexpr DWORD STILL_ACTIVE = 259;

// Starts routine(parameter) on a new thread at once. The returned handle is
// signalled when the thread ends; close it with CloseHandle (the thread runs
// on regardless). Creation flags and stack size are ignored.
HANDLE CreateThread(LPSECURITY_ATTRIBUTES attributes, SIZE_T stackSize, LPTHREAD_START_ROUTINE routine,
                    LPVOID parameter, DWORD creationFlags, LPDWORD threadId);
BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode);
DWORD GetCurrentThreadId();
DWORD GetCurrentProcessId();

void Sleep(DWORD milliseconds);
// Milliseconds since the system started (wraps after 49.7 days).
DWORD GetTickCount();
ULONGLONG GetTickCount64();
