// The engine's private copy of a target-phone profile. Jobs share it, so a
// profile replaced while a conversion runs stays alive for that conversion.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/records.h"

namespace movanta::engine {

class ProfileCopy {
public:
    // Null when `source` is null or memory runs out.
    static std::shared_ptr<const ProfileCopy> From(const MobileVideoConf* source);
    const MobileVideoConf& Conf() const { return conf_; }

private:
    MobileVideoConf conf_ {};
    std::vector<FILEAVCODEC> codecs_;
};

struct CodecChoice {
    std::int32_t sysFormat = TRX_SYS_MP4;  // kept at 1 for an unknown extension
    std::int32_t audioCodec = 0;
    std::int32_t videoCodec = 0;
};

// The output format from the output's extension (case-insensitive), then
// every entry of the profile for that format, the last one winning.
CodecChoice ChooseCodecs(const std::wstring& outputPath, const MobileVideoConf* profile);

}  // namespace movanta::engine
