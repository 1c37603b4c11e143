// What a batch conversion will write: each input's output in the folder,
// named after the input with the format's extension, and the inputs that
// cannot be converted before anything starts (with the reason in words).
#pragma once

#include <string>
#include <vector>

#include "convert_options.h"

namespace movanta::convert {

struct BatchItem {
    std::string input;
    std::string output;
    std::string refusal;  // empty: to be converted
};

// The extension (".3gp", ".mp4") of the batch: --format, or the phone's
// first format (MP4 where the phone plays it).
std::string BatchExtension(const Options& options);

// One item per input, in order. Refused: an output that would replace an
// input, an existing file without --overwrite, two inputs with one name.
std::vector<BatchItem> PlanBatch(const Options& options);

}  // namespace movanta::convert
