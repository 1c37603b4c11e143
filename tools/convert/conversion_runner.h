// Runs one job of movanta-convert through the engine's exports: checks
// before the start, progress on the terminal, Ctrl-C as a stop, and the
// output complete (or, after a stop, valid up to where it stopped) or absent.
#pragma once

#include "convert_options.h"

namespace movanta::convert {

// The process exit code: 0 done, 1 failed, 2 bad request, 130 stopped.
int RunJob(const Options& options);
// --info: what the engine's probe says of the input.
int PrintFileInfo(const Options& options);
// No arguments: makes the sample clip in the temporary folder and converts
// it for phone 0, saying where both are.
int ConvertSample();

}  // namespace movanta::convert
