// Writing MP4 and 3GP files: the calls of libmp4v2 (and of its companion
// library's RFC 3016 hinter) that the writer filter makes, with the same
// names, arguments and meanings.
//
// The file is written as it goes: the file-type box, then the media data as
// samples arrive; the movie box (sample tables, sample entries, hint tracks)
// is written by MP4Close. Memory grows with the sample tables only (a few
// bytes per sample), never with the media. Chunk offsets become 64-bit and
// the media data box gets a 64-bit size when the file passes 4 GiB.
//
// Every call checks its handle and track; a write that fails (a full disk, a
// file size limit) makes that call and MP4Close answer false, and the file
// is then not complete.
#pragma once

#include <cstdint>

using MP4FileHandle = void*;
using MP4TrackId = std::uint32_t;
using MP4Duration = std::uint64_t;

inline const MP4FileHandle MP4_INVALID_FILE_HANDLE = nullptr;
inline constexpr MP4TrackId MP4_INVALID_TRACK_ID = 0;
inline constexpr MP4Duration MP4_INVALID_DURATION = ~MP4Duration {0};

// Object type indications of the decoder configuration.
inline constexpr std::uint8_t MP4_MPEG4_VIDEO_TYPE = 0x20;
inline constexpr std::uint8_t MP4_MPEG4_AUDIO_TYPE = 0x40;
inline constexpr std::uint8_t MP4_MPEG2_AAC_MAIN_AUDIO_TYPE = 0x66;
inline constexpr std::uint8_t MP4_MPEG2_AAC_LC_AUDIO_TYPE = 0x67;
inline constexpr std::uint8_t MP4_MPEG2_AAC_SSR_AUDIO_TYPE = 0x68;

// Track types, for MP4GetNumberOfTracks.
inline constexpr const char* MP4_VIDEO_TRACK_TYPE = "vide";
inline constexpr const char* MP4_AUDIO_TRACK_TYPE = "soun";
inline constexpr const char* MP4_HINT_TRACK_TYPE = "hint";

// Verbosity: diagnostics go to standard error only for the error bit.
inline constexpr std::uint32_t MP4_DETAILS_ERROR = 0x00000001;
// Creation flag: 64-bit chunk offsets and media size from the start.
inline constexpr std::uint32_t MP4_CREATE_64BIT_DATA = 0x01;

// Major brand "mp42", minor version 0, compatible "mp42" and "isom".
MP4FileHandle MP4Create(const char* fileName, std::uint32_t verbosity = 0, std::uint32_t flags = 0);
MP4FileHandle MP4CreateEx(const char* fileName, std::uint32_t verbosity = 0, std::uint32_t flags = 0, int addFtyp = 1,
                          int addIods = 1, const char* majorBrand = nullptr, std::uint32_t minorVersion = 0,
                          const char* const* compatibleBrands = nullptr, std::uint32_t compatibleBrandsCount = 0);
// Writes the movie box and closes the file; false when any write of the
// file failed, in which case the file is incomplete.
bool MP4Close(MP4FileHandle file);
// True once the file system refused bytes of the file (a full disk, a
// quota, a file size limit): the file lacks data and will not be whole.
bool MP4FileHasFailed(MP4FileHandle file);

bool MP4SetTimeScale(MP4FileHandle file, std::uint32_t timeScale);
std::uint32_t MP4GetTimeScale(MP4FileHandle file);
void MP4SetVideoProfileLevel(MP4FileHandle file, std::uint8_t value);
void MP4SetAudioProfileLevel(MP4FileHandle file, std::uint8_t value);

// MPEG-4 visual ("mp4v" with "esds").
MP4TrackId MP4AddVideoTrack(MP4FileHandle file, std::uint32_t timeScale, MP4Duration sampleDuration,
                            std::uint16_t width, std::uint16_t height,
                            std::uint8_t videoType = MP4_MPEG4_VIDEO_TYPE);
// H.263 ("s263" with "d263").
MP4TrackId MP4AddH263VideoTrack(MP4FileHandle file, std::uint32_t timeScale, MP4Duration sampleDuration,
                                std::uint16_t width, std::uint16_t height, std::uint8_t h263Level,
                                std::uint8_t h263Profile, std::uint32_t avgBitrate, std::uint32_t maxBitrate);
// AAC and other MPEG audio ("mp4a" with "esds").
MP4TrackId MP4AddAudioTrack(MP4FileHandle file, std::uint32_t timeScale, MP4Duration sampleDuration,
                            std::uint8_t audioType = MP4_MPEG4_AUDIO_TYPE);
// AMR-NB "samr" or AMR-WB "sawb", with "damr". Each sample lasts 160 (NB)
// or 320 (WB) ticks per frame it holds.
MP4TrackId MP4AddAmrAudioTrack(MP4FileHandle file, std::uint32_t timeScale, std::uint16_t modeSet,
                               std::uint8_t modeChangePeriod, std::uint8_t framesPerSample, bool isAmrWB);
void MP4SetAmrModeSet(MP4FileHandle file, MP4TrackId track, std::uint16_t modeSet);
std::uint16_t MP4GetAmrModeSet(MP4FileHandle file, MP4TrackId track);

// The decoder-specific configuration of an "esds" track (copied).
bool MP4SetTrackESConfiguration(MP4FileHandle file, MP4TrackId track, const std::uint8_t* config,
                                std::uint32_t configSize);

// `duration` MP4_INVALID_DURATION means the track's fixed sample duration.
bool MP4WriteSample(MP4FileHandle file, MP4TrackId track, const std::uint8_t* bytes, std::uint32_t numBytes,
                    MP4Duration duration = MP4_INVALID_DURATION, MP4Duration renderingOffset = 0,
                    bool isSyncSample = true);

// Tracks of a type ("vide", "soun", "hint"; null: all).
std::uint32_t MP4GetNumberOfTracks(MP4FileHandle file, const char* type = nullptr, std::uint8_t subType = 0);
std::uint32_t MP4GetTrackNumberOfSamples(MP4FileHandle file, MP4TrackId track);

// Adds an RTP hint track (RFC 3016, payload "MP4V-ES" at 90000 Hz) for an
// MPEG-4 visual track: one hint sample per picture, packets of at most
// `maxPayloadSize` bytes that point into the picture's data, the marker bit
// on each picture's last packet, and the track's session description.
// False for a track without samples.
bool MP4AV_Rfc3016Hinter(MP4FileHandle file, MP4TrackId mediaTrack, std::uint16_t maxPayloadSize);
