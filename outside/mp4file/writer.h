// The open file behind an MP4FileHandle.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "track.h"

namespace mp4file {

struct FileTypeBox {
    std::string majorBrand = "mp42";
    std::uint32_t minorVersion = 0;
    std::vector<std::string> compatibleBrands {"mp42", "isom"};
};

class Writer {
public:
    // Null (with a message when `verbosity` asks for errors) when the file
    // cannot be created.
    static std::unique_ptr<Writer> Create(const char* path, std::uint32_t verbosity, std::uint32_t flags,
                                          const FileTypeBox* fileType, bool addIods);
    ~Writer();
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    Track* AddTrack(Track track);  // assigns the id
    Track* FindTrack(MP4TrackId id);
    const std::vector<std::unique_ptr<Track>>& Tracks() const { return tracks_; }

    bool WriteSample(Track& track, const std::uint8_t* bytes, std::uint32_t size, MP4Duration duration,
                     MP4Duration renderingOffset, bool sync);
    // Writes the movie box, patches the media data size and closes.
    bool Close();
    // Whether a write or a cut-back was refused.
    bool Failed() const { return failed_; }

    std::uint32_t movieTimeScale = 1000;
    std::uint8_t audioProfileLevel = 0xFF;
    std::uint8_t visualProfileLevel = 0xFF;

private:
    Writer(int fd, std::string path, std::uint32_t verbosity, bool addIods, bool largeData);
    bool WriteAt(std::uint64_t offset, const std::uint8_t* bytes, std::size_t size);
    // Writes directly at the end of the file (headers, the movie box).
    bool Append(const std::uint8_t* bytes, std::size_t size);
    // Writes the buffered samples; when that fails, cuts the file back and
    // forgets those samples, so the tables describe what the file holds.
    bool Flush();
    void Report(const char* what);

    int fd_;
    std::string path_;
    std::uint32_t verbosity_;
    bool addIods_;
    bool largeData_;
    bool failed_ = false;
    std::uint64_t end_ = 0;         // bytes in the file, buffered ones included
    std::uint64_t flushed_ = 0;     // bytes that reached the file
    std::uint64_t mediaStart_ = 0;  // offset of the media data box's header
    std::vector<std::uint8_t> buffer_;  // samples not yet written, from offset flushed_
    std::vector<Track*> pending_;        // the track of each buffered sample, in order
    std::vector<std::unique_ptr<Track>> tracks_;
};

// The movie box of the file's tracks (movie.cpp).
std::vector<std::uint8_t> MovieBox(const Writer& writer, bool addIods, bool largeOffsets);
// One track's sample description entry (sample_entry.cpp).
void WriteSampleEntry(BoxWriter& out, const Track& track);
// Adds the RFC 3016 hint track of an MPEG-4 visual track (hinter.cpp).
bool HintMpeg4Track(Writer& writer, MP4TrackId mediaTrack, std::uint16_t maxPayloadSize);

}  // namespace mp4file
