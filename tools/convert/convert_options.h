// The command line of movanta-convert.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace movanta::convert {

struct Options {
    enum class Mode { Convert, Music, Info, Help, Sample, Batch };
    Mode mode = Mode::Convert;
    int phone = 0;
    int videoQuality = 1;
    int audioQuality = 1;
    int mp3BitrateIndex = 3;            // 128 kbit/s
    std::optional<std::int64_t> start;  // 100 ns
    std::optional<std::int64_t> end;
    std::optional<std::int64_t> fit;  // bytes the phone file must not pass
    std::string input;
    std::string output;
    // Batch: every input into `outputDir`, in `format` ("3gp", "mp4"; empty:
    // the phone's first), `jobs` at a time (0: one per core).
    std::vector<std::string> inputs;
    std::string outputDir;
    std::string format;
    bool overwrite = false;
    bool keepPartial = false;
    int jobs = 0;
};

// Parses the arguments after the program name (none: convert the built-in
// sample); on failure answers nothing and says why in `error`.
std::optional<Options> ParseOptions(const std::vector<std::string>& arguments, std::string& error);

// A time as seconds ("12.5") or [[h:]m:]s ("1:02.5"); 100 ns units.
std::optional<std::int64_t> ParseTime(const std::string& text);

// The usage text.
const char* Usage();

}  // namespace movanta::convert
