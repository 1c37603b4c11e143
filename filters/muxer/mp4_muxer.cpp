#include "mp4_muxer.h"

#include <algorithm>

#include "stream_parsers.h"
#include "win/debug.h"

namespace movanta::muxer {
namespace {

constexpr std::uint32_t kMovieTimeScale = 10000;
constexpr std::uint8_t kVopStartCode = 0xB6;
const char* const k3gpBrands[] = {"3gp5", "3gp4"};

}  // namespace

CMp4Muxer& g_Mp4Muxer() {
    static CMp4Muxer muxer;
    return muxer;
}

CMp4Muxer::~CMp4Muxer() {
    Release(2);
}

void CMp4Muxer::SetVideoKind(VideoKind kind) {
    std::lock_guard guard(lock_);
    m_videoKind = kind;
}

void CMp4Muxer::SetAudioKind(AudioKind kind) {
    std::lock_guard guard(lock_);
    m_audioKind = kind;
}

bool CMp4Muxer::IsOpen() {
    std::lock_guard guard(lock_);
    return m_mp4File != MP4_INVALID_FILE_HANDLE;
}

bool CMp4Muxer::Init(const std::string& fileName, int kind) {
    std::lock_guard guard(lock_);
    CloseLocked(2);
    m_fileKind = kind;
    m_videoTrackId = MP4_INVALID_TRACK_ID;
    m_audioTrackId = MP4_INVALID_TRACK_ID;
    m_audioTrackCreated = false;
    m_videoTrackCreated = false;
    m_amrVariant = 1;
    m_profileLevel = 1;
    m_esConfigLength = 0;
    m_videoSamples = 0;
    m_audioSamples = 0;
    m_hintTrack = MP4_INVALID_TRACK_ID;
    m_mp4File = kind == 1 ? MP4CreateEx(fileName.c_str(), m_verbosity, 0, 1, 1, "3gp5", 1, k3gpBrands, 2)
                          : MP4Create(fileName.c_str(), m_verbosity, 0);
    if (m_mp4File == MP4_INVALID_FILE_HANDLE) return false;
    MP4SetTimeScale(m_mp4File, kMovieTimeScale);
    return true;
}

bool CMp4Muxer::OnlyTrackOf(const char* type) {
    return MP4GetNumberOfTracks(m_mp4File, type) == 1;
}

int CMp4Muxer::Checked(int answer) {
    return MP4FileHasFailed(m_mp4File) ? kWriteFailed : answer;
}

int CMp4Muxer::WriteVideo(const std::uint8_t* data, std::uint32_t length, std::int64_t duration, std::int64_t) {
    std::lock_guard guard(lock_);
    if (m_mp4File == MP4_INVALID_FILE_HANDLE || data == nullptr) return kRefused;
    return Checked(m_videoKind == VideoKind::Mpeg4 ? WriteMpeg4Locked(data, length, duration)
                                                   : WriteH263Locked(data, length, duration));
}

int CMp4Muxer::WriteAudio(const std::uint8_t* data, std::uint32_t length, std::int64_t, std::int64_t) {
    std::lock_guard guard(lock_);
    if (m_mp4File == MP4_INVALID_FILE_HANDLE || data == nullptr) return kRefused;
    return Checked(m_audioKind == AudioKind::Aac ? WriteAdtsLocked(data, length) : WriteAmrLocked(data, length));
}

int CMp4Muxer::WriteMpeg4Locked(const std::uint8_t* data, std::uint32_t length, std::int64_t duration) {
    if (length < 4) return 1;
    const MP4Duration ticks = duration < 0 ? 0 : static_cast<MP4Duration>(duration / 1000);
    std::size_t at = 0;
    while (auto unit = NextStartCodeUnit(data, length, at)) {
        at = unit->offset + unit->size;
        if (unit->size > kUnitBufferSize) continue;  // refused, not copied
        const std::uint8_t* bytes = data + unit->offset;
        if (!m_videoTrackCreated) {
            if (unit->type == 0xB0 && unit->size >= 5) {
                m_profileLevel = bytes[4];
            } else if (unit->type >= 0x20 && unit->type <= 0x2F) {
                if (auto vol = ParseVideoObjectLayer(bytes, unit->size)) {
                    m_timeBits = vol->timeBits;
                    m_timeTicks = vol->timeTicks;
                    m_frameDuration = vol->frameDuration;
                    m_width = vol->width;
                    m_height = vol->height;
                }
            } else if (unit->type == kVopStartCode) {
                m_defaultSampleDuration = static_cast<MP4Duration>(kMovieTimeScale / m_frameRate);
                m_videoTrackId = MP4AddVideoTrack(m_mp4File, kMovieTimeScale, m_defaultSampleDuration,
                                                  static_cast<std::uint16_t>(m_width),
                                                  static_cast<std::uint16_t>(m_height), MP4_MPEG4_VIDEO_TYPE);
                if (m_videoTrackId == MP4_INVALID_TRACK_ID) {
                    TRACE(" m_videoTrackId == MP4_INVALID_TRACK_ID, error! \n");
                    return 1;
                }
                m_videoTrackCreated = true;
                m_hintTrack = m_videoTrackId;
                if (OnlyTrackOf(MP4_VIDEO_TRACK_TYPE)) {
                    MP4SetVideoProfileLevel(m_mp4File, VisualProfileLevel(m_profileLevel));
                }
                m_esConfigLength = static_cast<std::int32_t>(unit->offset);
                if (m_esConfigLength > 0) {
                    MP4SetTrackESConfiguration(m_mp4File, m_videoTrackId, data,
                                               static_cast<std::uint32_t>(m_esConfigLength));
                }
            }
        }
        if (unit->type == kVopStartCode && m_videoTrackCreated) {
            if (!MP4WriteSample(m_mp4File, m_videoTrackId, bytes, static_cast<std::uint32_t>(unit->size), ticks, 0,
                                IsIntraVop(bytes, unit->size))) {
                TRACE(" MP4WriteSample(), error! \n");
            } else {
                ++m_videoSamples;
            }
        }
    }
    return 0;
}

int CMp4Muxer::WriteH263Locked(const std::uint8_t* data, std::uint32_t length, std::int64_t duration) {
    const auto picture = ParseH263Picture(data, length);
    if (!picture || picture->width == 0) return 1;
    if (!m_videoTrackCreated) {
        m_videoTrackId = MP4AddH263VideoTrack(m_mp4File, 1000, 0, picture->width, picture->height, 10, 0, 0, 0);
        if (m_videoTrackId == MP4_INVALID_TRACK_ID) return 1;
        m_videoTrackCreated = true;
        TRACE("H263 video w=%d, h=%d \n", picture->width, picture->height);
    }
    const MP4Duration milliseconds = duration < 0 ? 0 : static_cast<MP4Duration>(duration / 10000);
    if (!MP4WriteSample(m_mp4File, m_videoTrackId, data, length, milliseconds, 0, picture->intra)) return 1;
    ++m_videoSamples;
    return 0;
}

int CMp4Muxer::WriteAdtsLocked(const std::uint8_t* data, std::uint32_t length) {
    std::size_t at = 0;
    if (!m_audioTrackCreated) {
        const auto header = FindAdtsHeader(data, length, 0, &at);
        if (!header) return 1;
        std::uint8_t type = MP4_MPEG4_AUDIO_TYPE;
        if (header->mpeg2) {
            static constexpr std::uint8_t kMpeg2Types[3] = {MP4_MPEG2_AAC_MAIN_AUDIO_TYPE, MP4_MPEG2_AAC_LC_AUDIO_TYPE,
                                                            MP4_MPEG2_AAC_SSR_AUDIO_TYPE};
            if (header->profile == 3) {
                TRACE(" data in file doesn't appear to be valid audio\n");
                return 1;
            }
            type = kMpeg2Types[header->profile];
        }
        m_audioTrackId = MP4AddAudioTrack(m_mp4File, header->sampleRate, 1024, type);
        if (m_audioTrackId == MP4_INVALID_TRACK_ID) {
            TRACE(" can't create audio track\n");
            return 1;
        }
        m_audioTrackCreated = true;
        if (OnlyTrackOf(MP4_AUDIO_TRACK_TYPE)) MP4SetAudioProfileLevel(m_mp4File, header->profile);
        // AudioSpecificConfig: object type (profile + 1), rate index, channels.
        const std::uint8_t config[2] = {
            static_cast<std::uint8_t>(((header->profile + 1) << 3) | (header->rateIndex >> 1)),
            static_cast<std::uint8_t>(((header->rateIndex & 1) << 7) | (header->channels << 3))};
        if (!MP4SetTrackESConfiguration(m_mp4File, m_audioTrackId, config, 2)) {
            TRACE(" can't write audio configuration\n");
            return 1;
        }
    }
    while (auto header = FindAdtsHeader(data, length, at, &at)) {
        if (at + header->frameLength > length) return 0;  // incomplete frame
        if (!MP4WriteSample(m_mp4File, m_audioTrackId, data + at + header->headerSize,
                            static_cast<std::uint32_t>(header->frameLength - header->headerSize))) {
            return 1;
        }
        ++m_audioSamples;
        at += header->frameLength;
    }
    return 0;
}

int CMp4Muxer::WriteAmrLocked(const std::uint8_t* data, std::uint32_t length) {
    if (!m_audioTrackCreated) {
        if (length < 6) return 1;
        const bool wide = m_amrVariant == 2;
        m_audioTrackId = MP4AddAmrAudioTrack(m_mp4File, wide ? 16000 : 8000, 0, 0, 1, wide);
        if (m_audioTrackId == MP4_INVALID_TRACK_ID) return 1;
        m_audioTrackCreated = true;
        if (OnlyTrackOf(MP4_AUDIO_TRACK_TYPE)) MP4SetAudioProfileLevel(m_mp4File, 0x0F);
    }
    // The storage format's file header opens the encoder's first block. It
    // is skipped where it stands, not assumed: when a seek flushed that
    // block away, the first block written starts with a frame.
    static constexpr std::uint8_t kAmrMagic[] = {'#', '!', 'A', 'M', 'R', '\n'};
    const bool magic = length >= sizeof kAmrMagic && std::equal(kAmrMagic, kAmrMagic + sizeof kAmrMagic, data);
    std::size_t at = magic ? sizeof kAmrMagic : 0;
    while (at < length) {
        const std::size_t frame = 1 + AmrSpeechBytes(data[at]);
        if (at + frame > length) break;  // cut at the block's end: dropped
        if (!MP4WriteSample(m_mp4File, m_audioTrackId, data + at, static_cast<std::uint32_t>(frame))) return 1;
        ++m_audioSamples;
        at += frame;
    }
    TRACE("AMR sample %d = %d\n", m_audioSamples, static_cast<int>(length));
    return 0;
}

bool CMp4Muxer::CloseLocked(int closeMode) {
    if (m_mp4File == MP4_INVALID_FILE_HANDLE) return true;
    if (m_audioKind == AudioKind::AmrNb && m_audioTrackCreated) {
        MP4SetAmrModeSet(m_mp4File, m_audioTrackId, m_amrModeSet);
    }
    if (closeMode < 2 && m_hintTrack != MP4_INVALID_TRACK_ID) {
        if (MP4GetTrackNumberOfSamples(m_mp4File, m_hintTrack) == 0) {
            TRACE(" couldn't create hint track, no media samples\n");
        } else if (!MP4AV_Rfc3016Hinter(m_mp4File, m_hintTrack, kHintPayload)) {
            TRACE(" error hinting track %u\n", m_hintTrack);
        }
    }
    m_hintTrack = MP4_INVALID_TRACK_ID;
    const bool whole = MP4Close(m_mp4File);
    m_mp4File = MP4_INVALID_FILE_HANDLE;
    return whole;
}

bool CMp4Muxer::Release(int closeMode) {
    std::lock_guard guard(lock_);
    return CloseLocked(closeMode);
}

void CMp4Muxer::ResetVideoCount() {
    std::lock_guard guard(lock_);
    m_videoSamples = 0;
}

}  // namespace movanta::muxer
