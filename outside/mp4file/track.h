// What the writer knows of one track.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "mp4file.h"
#include "sample_table.h"

namespace mp4file {

enum class SampleEntryKind { Mpeg4Visual, H263, MpegAudio, AmrNb, AmrWb, RtpHint };

struct Track {
    MP4TrackId id = MP4_INVALID_TRACK_ID;
    SampleEntryKind kind = SampleEntryKind::Mpeg4Visual;
    std::string handler;  // "vide", "soun" or "hint"
    std::uint32_t timeScale = 1000;
    MP4Duration fixedDuration = 0;  // used for MP4_INVALID_DURATION

    // Visual tracks.
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    // Tracks described by an "esds".
    std::uint8_t objectType = 0;
    std::vector<std::uint8_t> esConfig;
    // H.263 ("d263").
    std::uint8_t h263Level = 10;
    std::uint8_t h263Profile = 0;
    std::uint32_t avgBitrate = 0;
    std::uint32_t maxBitrate = 0;
    // AMR ("damr").
    std::uint16_t amrModeSet = 0;
    std::uint8_t amrModeChangePeriod = 0;
    std::uint8_t amrFramesPerSample = 1;
    // RTP hint tracks.
    MP4TrackId hintedTrack = MP4_INVALID_TRACK_ID;
    std::uint32_t maxPacketSize = 0;
    std::string sdp;

    SampleTable samples;

    bool IsVisual() const { return kind == SampleEntryKind::Mpeg4Visual || kind == SampleEntryKind::H263; }
};

}  // namespace mp4file
