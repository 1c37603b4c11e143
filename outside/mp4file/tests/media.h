// Test media: real encoded pictures and audio frames made with libavcodec,
// and reading a file back through libavformat.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mp4test {

struct Unit {
    std::vector<std::uint8_t> data;
    bool key = false;
};

struct Encoded {
    std::vector<std::uint8_t> config;  // decoder configuration (VOL headers, AudioSpecificConfig)
    std::vector<Unit> units;
};

// 176x144 pictures at 25 frames a second; `codecName` "mpeg4" or "h263".
Encoded EncodeVideo(const char* codecName, int frames);
// AAC-LC frames of 1024 samples at 44100 Hz, stereo.
Encoded EncodeAac(int frames);
// AMR-NB storage-format frames of 12.2 kbit/s (32 bytes) with one
// no-data frame (1 byte) every tenth frame.
std::vector<Unit> AmrFrames(int frames);

struct StreamInfo {
    std::string codec;  // libavcodec's name: "mpeg4", "h263", "aac", "amr_nb"
    int width = 0;
    int height = 0;
    int sampleRate = 0;
    double seconds = 0;  // the stream's duration
    std::vector<Unit> packets;
};

// Every audio and video stream of the file with all its packets; empty
// when libavformat cannot open the file.
std::vector<StreamInfo> ReadBack(const std::string& path);

// Copies the units into an MP4 through libavformat's own muxer (a file
// "from elsewhere").
bool WriteWithLibavformat(const std::string& path, const Encoded& video);

}  // namespace mp4test
