// Starting other programs.
#pragma once

#include "win/window_constants.h"

// Runs a command line through the shell without waiting for it. The first
// word (double quotes group words) must name an executable file, directly or
// through PATH. Returns a value above 31 when the command was started,
// otherwise ERROR_FILE_NOT_FOUND (program missing) or 0 (the shell could
// not be started). The show flag is ignored.
UINT WinExec(LPCSTR commandLine, UINT showCommand);
