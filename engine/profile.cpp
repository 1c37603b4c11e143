#include "engine/profile.h"

#include <new>
#include <string>

#include "engine/file_names.h"
#include "win/text.h"

namespace movanta::engine {

std::shared_ptr<const ProfileCopy> ProfileCopy::From(const MobileVideoConf* source) {
    if (source == nullptr) return nullptr;
    auto copy = std::shared_ptr<ProfileCopy>(new (std::nothrow) ProfileCopy);
    if (!copy) return nullptr;
    copy->conf_ = *source;
    try {
        if (source->nFileCODEC > 0 && source->pFileCODEC != nullptr) {
            copy->codecs_.assign(source->pFileCODEC, source->pFileCODEC + source->nFileCODEC);
        }
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    copy->conf_.nFileCODEC = static_cast<std::uint32_t>(copy->codecs_.size());
    copy->conf_.pFileCODEC = copy->codecs_.empty() ? nullptr : copy->codecs_.data();
    return copy;
}

CodecChoice ChooseCodecs(const std::wstring& outputPath, const MobileVideoConf* profile) {
    CodecChoice choice;
    const std::wstring extension = Extension(outputPath);
    if (EqualsNoCase(extension, L".mp4")) {
        choice = {static_cast<std::int32_t>(TRX_SYS_MP4), TRX_ACODEC_AAC, TRX_VCODEC_MPEG4};
    } else if (EqualsNoCase(extension, L".3gp")) {
        choice = {static_cast<std::int32_t>(TRX_SYS_3GP), TRX_ACODEC_AMR, TRX_VCODEC_H263};
    }
    if (profile != nullptr && profile->pFileCODEC != nullptr) {
        for (std::uint32_t i = 0; i < profile->nFileCODEC; ++i) {
            const FILEAVCODEC& entry = profile->pFileCODEC[i];
            if (static_cast<std::int32_t>(entry.nSysFormat) == choice.sysFormat) {
                choice.audioCodec = entry.wAudioCodec;
                choice.videoCodec = entry.wVideoCodec;
            }
        }
    }
    return choice;
}

}  // namespace movanta::engine
