// The RFC 3016 hinter: an RTP hint track for an MPEG-4 visual track.
//
// Each picture becomes one hint sample holding its RTP packets. A packet
// carries no data of its own: one sample constructor points at a byte range
// of the picture in the media track (track reference index 0, the first
// track of the "hint" reference). Pictures longer than the payload limit
// are split over several packets; the last packet of a picture has the
// marker bit.
#include <algorithm>
#include <cstdio>
#include <string>

#include "writer.h"

namespace mp4file {
namespace {

constexpr std::uint32_t kRtpClock = 90000;
constexpr std::uint8_t kPayloadType = 96;
constexpr std::uint32_t kRtpHeaderSize = 12;

// The profile_and_level_indication of a visual object sequence header in
// the configuration, else the file's visual profile, else 1 (RFC 3016's
// default).
unsigned ProfileLevel(const std::vector<std::uint8_t>& config, std::uint8_t fileProfile) {
    for (std::size_t i = 0; i + 4 < config.size(); ++i) {
        if (config[i] == 0 && config[i + 1] == 0 && config[i + 2] == 1 && config[i + 3] == 0xB0) return config[i + 4];
    }
    return fileProfile != 0xFF ? fileProfile : 1;
}

std::string Hex(const std::vector<std::uint8_t>& bytes) {
    static const char* kDigits = "0123456789ABCDEF";
    std::string text;
    for (std::uint8_t b : bytes) {
        text.push_back(kDigits[b >> 4]);
        text.push_back(kDigits[b & 15]);
    }
    return text;
}

std::string SessionDescription(const Track& media, const Track& hint, std::uint8_t fileProfile) {
    const std::uint64_t seconds = media.timeScale == 0 ? 0 : media.samples.Duration() / media.timeScale;
    const std::uint64_t kbps = seconds == 0 ? 0 : media.samples.TotalBytes() * 8 / 1000 / seconds;
    char text[512];
    std::snprintf(text, sizeof text,
                  "m=video 0 RTP/AVP %u\r\n"
                  "b=AS:%llu\r\n"
                  "a=rtpmap:%u MP4V-ES/%u\r\n"
                  "a=control:trackID=%u\r\n"
                  "a=mpeg4-esid:%u\r\n"
                  "a=framesize:%u %u-%u\r\n",
                  kPayloadType, static_cast<unsigned long long>(kbps), kPayloadType, kRtpClock, hint.id, media.id,
                  kPayloadType, media.width, media.height);
    return std::string(text) + "a=fmtp:" + std::to_string(kPayloadType) +
           " profile-level-id=" + std::to_string(ProfileLevel(media.esConfig, fileProfile)) +
           "; config=" + Hex(media.esConfig) + "\r\n";
}

}  // namespace

bool HintMpeg4Track(Writer& writer, MP4TrackId mediaId, std::uint16_t maxPayloadSize) {
    Track* media = writer.FindTrack(mediaId);
    if (media == nullptr || media->kind != SampleEntryKind::Mpeg4Visual || media->samples.Count() == 0 ||
        maxPayloadSize == 0) {
        return false;
    }
    Track hint;
    hint.kind = SampleEntryKind::RtpHint;
    hint.handler = "hint";
    hint.timeScale = kRtpClock;
    hint.hintedTrack = mediaId;
    hint.maxPacketSize = maxPayloadSize + kRtpHeaderSize;
    Track* track = writer.AddTrack(std::move(hint));
    media = writer.FindTrack(mediaId);

    bool written = true;
    std::uint16_t sequence = 0;
    std::uint64_t mediaTime = 0;
    std::uint64_t hintTime = 0;
    const std::uint32_t count = media->samples.Count();
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t size = media->samples.Size(i);
        const std::uint32_t packets = (size + maxPayloadSize - 1) / maxPayloadSize;
        BoxWriter sample;
        sample.U16(packets);
        sample.U16(0);
        for (std::uint32_t p = 0; p < packets; ++p) {
            const std::uint32_t offset = p * maxPayloadSize;
            const std::uint32_t length = std::min<std::uint32_t>(maxPayloadSize, size - offset);
            sample.U32(0);     // relative transmission time
            sample.U8(0x80);   // RTP version 2, no padding, no extension
            sample.U8((p + 1 == packets ? 0x80 : 0x00) | kPayloadType);
            sample.U16(sequence++);
            sample.U16(0);     // no extra information, not a B-frame, not repeated
            sample.U16(1);     // one data entry
            sample.U8(2);      // sample constructor
            sample.U8(0);      // the hinted media track
            sample.U16(length);
            sample.U32(i + 1);  // sample number
            sample.U32(offset);
            sample.U16(1);  // bytes per compression block
            sample.U16(1);  // samples per compression block
        }
        // Durations in the RTP clock, rounded on the running total so they
        // never drift from the media's.
        mediaTime += media->samples.DurationOf(i);
        const std::uint64_t end = (mediaTime * kRtpClock + media->timeScale / 2) / media->timeScale;
        written = writer.WriteSample(*track, sample.Data().data(), static_cast<std::uint32_t>(sample.Size()),
                                     end - hintTime, 0, true) &&
                  written;
        hintTime = end;
    }
    track->sdp = SessionDescription(*media, *track, writer.visualProfileLevel);
    return written;
}

}  // namespace mp4file
