// The writer core: whole encoded units from the filter's pins into one
// MP4 or 3GP file through the MP4 library. One object per loaded plug-in
// (g_Mp4Muxer); its own lock keeps two filters from writing at once.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

#include "mp4file.h"

namespace movanta::muxer {

enum class VideoKind { Mpeg4 = 0, H263 = 1 };
enum class AudioKind { Aac = 0, AmrNb = 1 };

class CMp4Muxer {
public:
    static constexpr std::size_t kUnitBufferSize = 0x40000;  // largest MPEG-4 unit taken
    static constexpr std::uint16_t kHintPayload = 1460;

    CMp4Muxer() = default;
    ~CMp4Muxer();
    CMp4Muxer(const CMp4Muxer&) = delete;
    CMp4Muxer& operator=(const CMp4Muxer&) = delete;

    // `fileName` in UTF-8; `kind` 1 = 3GP, 0 = MP4. Closes an open file first
    // (without hinting). False when the file cannot be created.
    bool Init(const std::string& fileName, int kind);
    static constexpr int kWritten = 0;
    static constexpr int kRefused = 1;      // a unit the parser or the file library did not take
    static constexpr int kWriteFailed = 2;  // the file system refused bytes: the file is lost
    // Duration and start in 100 ns units; one of the three answers above.
    int WriteVideo(const std::uint8_t* data, std::uint32_t length, std::int64_t duration, std::int64_t start);
    int WriteAudio(const std::uint8_t* data, std::uint32_t length, std::int64_t duration, std::int64_t start);
    // Finishes and closes the file; a close mode below 2 adds the hint track.
    // False when the file system refused any of the file's bytes.
    bool Release(int closeMode);
    void ResetVideoCount();

    void SetVideoKind(VideoKind kind);
    void SetAudioKind(AudioKind kind);
    bool IsOpen();

private:
    bool CloseLocked(int closeMode);
    // The answer of a write: kWriteFailed once the file system refused bytes.
    int Checked(int answer);
    int WriteMpeg4Locked(const std::uint8_t* data, std::uint32_t length, std::int64_t duration);
    int WriteH263Locked(const std::uint8_t* data, std::uint32_t length, std::int64_t duration);
    int WriteAdtsLocked(const std::uint8_t* data, std::uint32_t length);
    int WriteAmrLocked(const std::uint8_t* data, std::uint32_t length);
    bool OnlyTrackOf(const char* type);

    std::mutex lock_;
    MP4FileHandle m_mp4File = MP4_INVALID_FILE_HANDLE;
    int m_fileKind = 0;
    VideoKind m_videoKind = VideoKind::Mpeg4;
    AudioKind m_audioKind = AudioKind::Aac;
    MP4TrackId m_videoTrackId = MP4_INVALID_TRACK_ID;
    MP4TrackId m_audioTrackId = MP4_INVALID_TRACK_ID;
    std::uint32_t m_verbosity = 1;
    bool m_audioTrackCreated = false;
    bool m_videoTrackCreated = false;
    std::uint8_t m_amrVariant = 1;  // 1 AMR-NB, 2 AMR-WB
    std::uint16_t m_amrModeSet = 0x8100;
    float m_frameRate = 24.0f;
    MP4Duration m_defaultSampleDuration = 0;
    std::uint8_t m_profileLevel = 1;
    std::uint8_t m_timeBits = 15;
    std::uint16_t m_timeTicks = 30000;
    std::uint16_t m_frameDuration = 3000;
    std::int16_t m_width = 176;
    std::int16_t m_height = 144;
    std::int32_t m_esConfigLength = 0;
    std::int32_t m_videoSamples = 0;
    std::int32_t m_audioSamples = 0;
    MP4TrackId m_hintTrack = MP4_INVALID_TRACK_ID;
};

// The plug-in's one writer.
CMp4Muxer& g_Mp4Muxer();

}  // namespace movanta::muxer
