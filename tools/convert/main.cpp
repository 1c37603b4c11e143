// movanta-convert: converts a video for a phone, or its sound to MP3, from
// the command line, with the profiles and the engine the application uses.
#include <cstdio>
#include <string>
#include <vector>

#include "batch_runner.h"
#include "conversion_runner.h"
#include "convert_options.h"

int main(int argc, char** argv) {
    using movanta::convert::Options;
    std::string error;
    const auto options = movanta::convert::ParseOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::fprintf(stderr, "movanta-convert: %s\n%s", error.c_str(), movanta::convert::Usage());
        return 2;
    }
    if (options->mode == Options::Mode::Help) {
        std::printf("Movanta %s\n%s", MOVANTA_VERSION, movanta::convert::Usage());
        return 0;
    }
    if (options->mode == Options::Mode::Info) return movanta::convert::PrintFileInfo(*options);
    if (options->mode == Options::Mode::Sample) return movanta::convert::ConvertSample();
    if (options->mode == Options::Mode::Batch) return movanta::convert::RunBatch(*options);
    return movanta::convert::RunJob(*options);
}
