#include "batch_plan.h"

#include <filesystem>
#include <set>
#include <system_error>

#include "app/phone_profiles.h"

namespace movanta::convert {
namespace fs = std::filesystem;

std::string BatchExtension(const Options& options) {
    if (!options.format.empty()) return "." + options.format;
    return (app::PhoneProfile(options.phone).nSysFormatMask & 1) != 0 ? ".mp4" : ".3gp";
}

std::vector<BatchItem> PlanBatch(const Options& options) {
    const std::string extension = BatchExtension(options);
    std::set<fs::path> taken;
    std::vector<BatchItem> items;
    for (const std::string& input : options.inputs) {
        BatchItem item {input, (fs::path(options.outputDir) / fs::path(input).stem()).string() + extension, {}};
        std::error_code error;
        const bool exists = fs::exists(item.output, error);
        if (!fs::is_regular_file(input, error)) {
            item.refusal = "cannot read it: it is missing or not a file";
        } else if (exists && fs::equivalent(input, item.output, error)) {
            item.refusal = "its output would replace it";
        } else if (!taken.insert(fs::absolute(item.output, error).lexically_normal()).second) {
            item.refusal = "another input of the same name goes to " + item.output;
        } else if (exists && !options.overwrite) {
            item.refusal = item.output + " exists (--overwrite replaces it)";
        }
        items.push_back(item);
    }
    return items;
}

}  // namespace movanta::convert
