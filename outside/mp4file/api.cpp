// The libmp4v2 calls over Writer. Handles are checked against the set of
// open files, so a stale or foreign handle is refused, not followed.
#include <mutex>
#include <set>

#include "writer.h"

namespace mp4file {
namespace {

constexpr std::uint32_t kMaxConfigSize = 1 << 20;

struct OpenFiles {
    std::mutex lock;
    std::set<Writer*> files;
};

OpenFiles& Open() {
    static OpenFiles open;
    return open;
}

Writer* Find(MP4FileHandle handle) {
    OpenFiles& open = Open();
    std::lock_guard guard(open.lock);
    auto it = open.files.find(static_cast<Writer*>(handle));
    return it == open.files.end() ? nullptr : *it;
}

MP4FileHandle Register(std::unique_ptr<Writer> writer) {
    if (!writer) return MP4_INVALID_FILE_HANDLE;
    OpenFiles& open = Open();
    std::lock_guard guard(open.lock);
    Writer* raw = writer.release();
    open.files.insert(raw);
    return raw;
}

Track* FindTrack(MP4FileHandle handle, MP4TrackId id) {
    Writer* writer = Find(handle);
    return writer == nullptr ? nullptr : writer->FindTrack(id);
}

MP4TrackId AddTrack(MP4FileHandle handle, Track track) {
    Writer* writer = Find(handle);
    if (writer == nullptr || track.timeScale == 0) return MP4_INVALID_TRACK_ID;
    return writer->AddTrack(std::move(track))->id;
}

}  // namespace
}  // namespace mp4file

using namespace mp4file;

MP4FileHandle MP4Create(const char* fileName, std::uint32_t verbosity, std::uint32_t flags) {
    return MP4CreateEx(fileName, verbosity, flags);
}

MP4FileHandle MP4CreateEx(const char* fileName, std::uint32_t verbosity, std::uint32_t flags, int addFtyp,
                          int addIods, const char* majorBrand, std::uint32_t minorVersion,
                          const char* const* compatibleBrands, std::uint32_t compatibleBrandsCount) {
    FileTypeBox fileType;
    if (majorBrand != nullptr) fileType.majorBrand = majorBrand;
    fileType.minorVersion = minorVersion;
    if (compatibleBrands != nullptr && compatibleBrandsCount > 0) {
        fileType.compatibleBrands.assign(compatibleBrands, compatibleBrands + compatibleBrandsCount);
    }
    return Register(Writer::Create(fileName, verbosity, flags, addFtyp ? &fileType : nullptr, addIods != 0));
}

bool MP4Close(MP4FileHandle file) {
    Writer* writer = Find(file);
    if (writer == nullptr) return false;
    {
        OpenFiles& open = Open();
        std::lock_guard guard(open.lock);
        open.files.erase(writer);
    }
    std::unique_ptr<Writer> owned(writer);
    return owned->Close();
}

bool MP4FileHasFailed(MP4FileHandle file) {
    Writer* writer = Find(file);
    return writer != nullptr && writer->Failed();
}

bool MP4SetTimeScale(MP4FileHandle file, std::uint32_t timeScale) {
    Writer* writer = Find(file);
    if (writer == nullptr || timeScale == 0) return false;
    writer->movieTimeScale = timeScale;
    return true;
}

std::uint32_t MP4GetTimeScale(MP4FileHandle file) {
    Writer* writer = Find(file);
    return writer == nullptr ? 0 : writer->movieTimeScale;
}

void MP4SetVideoProfileLevel(MP4FileHandle file, std::uint8_t value) {
    if (Writer* writer = Find(file)) writer->visualProfileLevel = value;
}

void MP4SetAudioProfileLevel(MP4FileHandle file, std::uint8_t value) {
    if (Writer* writer = Find(file)) writer->audioProfileLevel = value;
}

MP4TrackId MP4AddVideoTrack(MP4FileHandle file, std::uint32_t timeScale, MP4Duration sampleDuration,
                            std::uint16_t width, std::uint16_t height, std::uint8_t videoType) {
    Track track;
    track.kind = SampleEntryKind::Mpeg4Visual;
    track.handler = "vide";
    track.timeScale = timeScale;
    track.fixedDuration = sampleDuration;
    track.width = width;
    track.height = height;
    track.objectType = videoType;
    return AddTrack(file, std::move(track));
}

MP4TrackId MP4AddH263VideoTrack(MP4FileHandle file, std::uint32_t timeScale, MP4Duration sampleDuration,
                                std::uint16_t width, std::uint16_t height, std::uint8_t h263Level,
                                std::uint8_t h263Profile, std::uint32_t avgBitrate, std::uint32_t maxBitrate) {
    Track track;
    track.kind = SampleEntryKind::H263;
    track.handler = "vide";
    track.timeScale = timeScale;
    track.fixedDuration = sampleDuration;
    track.width = width;
    track.height = height;
    track.h263Level = h263Level;
    track.h263Profile = h263Profile;
    track.avgBitrate = avgBitrate;
    track.maxBitrate = maxBitrate;
    return AddTrack(file, std::move(track));
}

MP4TrackId MP4AddAudioTrack(MP4FileHandle file, std::uint32_t timeScale, MP4Duration sampleDuration,
                            std::uint8_t audioType) {
    Track track;
    track.kind = SampleEntryKind::MpegAudio;
    track.handler = "soun";
    track.timeScale = timeScale;
    track.fixedDuration = sampleDuration;
    track.objectType = audioType;
    return AddTrack(file, std::move(track));
}

MP4TrackId MP4AddAmrAudioTrack(MP4FileHandle file, std::uint32_t timeScale, std::uint16_t modeSet,
                               std::uint8_t modeChangePeriod, std::uint8_t framesPerSample, bool isAmrWB) {
    Track track;
    track.kind = isAmrWB ? SampleEntryKind::AmrWb : SampleEntryKind::AmrNb;
    track.handler = "soun";
    track.timeScale = timeScale;
    track.amrModeSet = modeSet;
    track.amrModeChangePeriod = modeChangePeriod;
    track.amrFramesPerSample = framesPerSample == 0 ? 1 : framesPerSample;
    track.fixedDuration = static_cast<MP4Duration>(timeScale / 50) * track.amrFramesPerSample;  // 20 ms a frame
    return AddTrack(file, std::move(track));
}

void MP4SetAmrModeSet(MP4FileHandle file, MP4TrackId trackId, std::uint16_t modeSet) {
    Track* track = FindTrack(file, trackId);
    if (track != nullptr && (track->kind == SampleEntryKind::AmrNb || track->kind == SampleEntryKind::AmrWb)) {
        track->amrModeSet = modeSet;
    }
}

std::uint16_t MP4GetAmrModeSet(MP4FileHandle file, MP4TrackId trackId) {
    Track* track = FindTrack(file, trackId);
    return track == nullptr ? 0 : track->amrModeSet;
}

bool MP4SetTrackESConfiguration(MP4FileHandle file, MP4TrackId trackId, const std::uint8_t* config,
                                std::uint32_t configSize) {
    Track* track = FindTrack(file, trackId);
    if (track == nullptr || (config == nullptr && configSize > 0) || configSize > kMaxConfigSize) return false;
    if (track->kind != SampleEntryKind::Mpeg4Visual && track->kind != SampleEntryKind::MpegAudio) return false;
    track->esConfig.assign(config, config + configSize);
    return true;
}

bool MP4WriteSample(MP4FileHandle file, MP4TrackId trackId, const std::uint8_t* bytes, std::uint32_t numBytes,
                    MP4Duration duration, MP4Duration renderingOffset, bool isSyncSample) {
    Writer* writer = Find(file);
    Track* track = writer == nullptr ? nullptr : writer->FindTrack(trackId);
    if (track == nullptr) return false;
    return writer->WriteSample(*track, bytes, numBytes, duration, renderingOffset, isSyncSample);
}

std::uint32_t MP4GetNumberOfTracks(MP4FileHandle file, const char* type, std::uint8_t) {
    Writer* writer = Find(file);
    if (writer == nullptr) return 0;
    std::uint32_t count = 0;
    for (const auto& track : writer->Tracks()) {
        if (type == nullptr || track->handler == type) ++count;
    }
    return count;
}

std::uint32_t MP4GetTrackNumberOfSamples(MP4FileHandle file, MP4TrackId trackId) {
    Track* track = FindTrack(file, trackId);
    return track == nullptr ? 0 : track->samples.Count();
}

bool MP4AV_Rfc3016Hinter(MP4FileHandle file, MP4TrackId mediaTrack, std::uint16_t maxPayloadSize) {
    Writer* writer = Find(file);
    return writer != nullptr && HintMpeg4Track(*writer, mediaTrack, maxPayloadSize);
}
