// movanta-convert for many files: every input converted into one folder,
// several at a time, each in a process of its own (the writer holds one
// file a process). The terminal shows a line per running file and the
// total with the time left; a summary ends the run.
#pragma once

#include "convert_options.h"

namespace movanta::convert {

// The process exit code: 0 all converted, 1 some failed or were refused,
// 130 stopped by Ctrl-C (finished files kept, unfinished removed unless
// --keep-partial keeps their playable part).
int RunBatch(const Options& options);

}  // namespace movanta::convert
