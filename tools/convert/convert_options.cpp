#include "convert_options.h"

#include "fit_plan.h"

#include <cmath>
#include <cstdlib>

namespace movanta::convert {
namespace {

std::optional<double> ParseNumber(const std::string& text) {
    if (text.empty() || text.find_first_not_of("0123456789.") != std::string::npos) return std::nullopt;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::optional<int> ParseLevel(const std::string& text, int highest) {
    if (text.size() != 1 || text[0] < '0' || text[0] - '0' > highest) return std::nullopt;
    return text[0] - '0';
}

}  // namespace

const char* Usage() {
    return "usage: movanta-convert                  (converts a built-in sample clip for phone 0)\n"
           "       movanta-convert [--phone 0-4] [--video-quality 0-2] [--audio-quality 0-2]\n"
           "                       [--start T] [--end T] [--fit SIZE] INPUT OUTPUT.3gp|OUTPUT.mp4\n"
           "       movanta-convert [options above] [--format 3gp|mp4] [--jobs N] [--overwrite]\n"
           "                       [--keep-partial] INPUT... --output-dir DIR\n"
           "       movanta-convert --music [--mp3-bitrate 0-5] [--start T] INPUT OUTPUT.mp3\n"
           "       movanta-convert --info [--phone 0-4 --fit SIZE] INPUT\n"
           "T is seconds (12.5) or [h:]m:s (1:02.5). Phones: 0 and 1 176x144, 2 128x96 (3GP only),\n"
           "3 320x240, 4 176x144 with AAC in 3GP. Qualities: 0 low, 1 medium (default), 2 high.\n"
           "MP3 bit rates: 0 32, 1 64, 2 96, 3 128 (default), 4 192, 5 256 kbit/s.\n"
           "--fit SIZE (200k, 1.5M: bytes, k and M of 1000) chooses the video bit rate for the file to\n"
           "stay under SIZE, converting again at a lower rate when it did not.\n";
}

std::optional<std::int64_t> ParseTime(const std::string& text) {
    double seconds = 0;
    size_t from = 0;
    int parts = 0;
    for (;;) {
        const size_t colon = text.find(':', from);
        const std::string part = text.substr(from, colon == std::string::npos ? std::string::npos : colon - from);
        const auto value = ParseNumber(part);
        if (!value || ++parts > 3) return std::nullopt;
        if (colon == std::string::npos) {
            seconds = seconds * 60 + *value;
            break;
        }
        if (part.find('.') != std::string::npos) return std::nullopt;  // only the seconds take a fraction
        seconds = seconds * 60 + *value;
        from = colon + 1;
    }
    if (seconds > 1e9) return std::nullopt;
    return static_cast<std::int64_t>(std::llround(seconds * 1e7));
}

std::optional<Options> ParseOptions(const std::vector<std::string>& arguments, std::string& error) {
    Options options;
    if (arguments.empty()) {
        options.mode = Options::Mode::Sample;
        return options;
    }
    std::vector<std::string> files;
    bool batchOnly = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        auto value = [&]() -> const std::string* {
            if (i + 1 >= arguments.size()) {
                error = argument + " needs a value";
                return nullptr;
            }
            return &arguments[++i];
        };
        auto level = [&](int highest, int& target) {
            const std::string* text = value();
            if (text == nullptr) return false;
            const auto parsed = ParseLevel(*text, highest);
            if (!parsed) error = argument + " takes 0 to " + std::to_string(highest) + ", not \"" + *text + "\"";
            if (parsed) target = *parsed;
            return parsed.has_value();
        };
        auto time = [&](std::optional<std::int64_t>& target) {
            const std::string* text = value();
            if (text == nullptr) return false;
            target = ParseTime(*text);
            if (!target) error = argument + " takes seconds or [h:]m:s, not \"" + *text + "\"";
            return target.has_value();
        };
        bool ok = true;
        if (argument == "--help" || argument == "-h") {
            options.mode = Options::Mode::Help;
            return options;
        } else if (argument == "--music") {
            options.mode = Options::Mode::Music;
        } else if (argument == "--info") {
            options.mode = Options::Mode::Info;
        } else if (argument == "--phone") {
            ok = level(4, options.phone);
        } else if (argument == "--video-quality") {
            ok = level(2, options.videoQuality);
        } else if (argument == "--audio-quality") {
            ok = level(2, options.audioQuality);
        } else if (argument == "--mp3-bitrate") {
            ok = level(5, options.mp3BitrateIndex);
        } else if (argument == "--start") {
            ok = time(options.start);
        } else if (argument == "--end") {
            ok = time(options.end);
        } else if (argument == "--fit") {
            const std::string* text = value();
            if (text != nullptr) options.fit = ParseSize(*text);
            ok = options.fit.has_value();
            if (text != nullptr && !ok) error = "--fit takes a size such as 200k or 1.5M, not \"" + *text + "\"";
        } else if (argument == "--output-dir") {
            const std::string* text = value();
            ok = text != nullptr && !text->empty();
            if (ok) options.outputDir = *text;
            if (text != nullptr && text->empty()) error = "--output-dir needs a folder";
        } else if (argument == "--format") {
            const std::string* text = value();
            ok = text != nullptr && (*text == "3gp" || *text == "mp4");
            if (ok) options.format = *text;
            if (text != nullptr && !ok) error = "--format takes 3gp or mp4, not \"" + *text + "\"";
        } else if (argument == "--jobs") {
            const std::string* text = value();
            const auto number = text != nullptr ? ParseNumber(*text) : std::nullopt;
            ok = number && *number >= 1 && *number <= 64 && *number == std::floor(*number);
            if (ok) options.jobs = static_cast<int>(*number);
            if (text != nullptr && !ok) error = "--jobs takes 1 to 64, not \"" + *text + "\"";
        } else if (argument == "--overwrite") {
            options.overwrite = true;
            batchOnly = true;
        } else if (argument == "--keep-partial") {
            options.keepPartial = true;
            batchOnly = true;
        } else if (argument.size() > 1 && argument[0] == '-') {
            error = "unknown option " + argument;
            ok = false;
        } else {
            files.push_back(argument);
        }
        if (!ok) return std::nullopt;
    }
    if (!options.outputDir.empty()) {
        if (options.mode != Options::Mode::Convert) {
            error = "--output-dir goes with phone conversions only";
            return std::nullopt;
        }
        if (files.empty()) {
            error = "--output-dir needs at least one input file";
            return std::nullopt;
        }
        options.mode = Options::Mode::Batch;
        options.inputs = files;
    } else if (batchOnly || !options.format.empty() || options.jobs != 0) {
        error = "--format, --jobs, --overwrite and --keep-partial go with --output-dir";
        return std::nullopt;
    }
    if (options.start && options.end && *options.end <= *options.start) {
        error = "the end must come after the start";
        return std::nullopt;
    }
    if (options.fit && options.mode == Options::Mode::Music) {
        error = "--fit goes with phone conversions only";
        return std::nullopt;
    }
    if (options.mode == Options::Mode::Batch) return options;
    const size_t wanted = options.mode == Options::Mode::Info ? 1 : 2;
    if (files.size() != wanted) {
        error = wanted == 1 ? "--info takes one input file" : "give one input and one output file";
        return std::nullopt;
    }
    options.input = files[0];
    if (wanted == 2) options.output = files[1];
    return options;
}

}  // namespace movanta::convert
