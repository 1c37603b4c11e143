// Test media: real encoded pictures and audio frames made with libavcodec,
// and reading a file back through libavformat.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct AVCodecContext;
struct AVFrame;
struct AVPacket;

namespace movanta::testing {

struct Unit {
    std::vector<std::uint8_t> data;
    bool key = false;
    std::int64_t pts = 0;  // encoded units: the picture's number, units in decoding order
};

struct Encoded {
    std::vector<std::uint8_t> config;  // decoder configuration (VOL headers, AudioSpecificConfig)
    std::vector<Unit> units;
    int blockAlign = 0;  // what the encoder said, for containers that record it
    std::int64_t bitRate = 0;
};

// What the pictures show: moving diagonal stripes, or a dark picture with
// a bright block in its top left corner (a quarter of each side), which
// tells where a picture's corner went when it was turned.
enum class Pattern { kStripes, kMarkedCorner };

// Pictures at 25 frames a second, 176x144 unless asked, by the encoder of
// that name ("mpeg4", "h263", "mpeg2video", "wmv2", "libx264"...), with up
// to `bFrames` pictures in a row that no other picture refers to.
Encoded EncodeVideo(const char* codecName, int frames, int width = 176, int height = 144,
                    Pattern pattern = Pattern::kStripes, int bFrames = 0);
// A 440 Hz tone encoded by the encoder of that name ("aac", "libmp3lame",
// "mp2", "wmav2"...), `frames` of the encoder's frame size.
Encoded EncodeAudio(const char* codecName, int rate, int channels, int frames);
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
    int channels = 0;
    double seconds = 0;       // the stream's duration
    double startSeconds = 0;  // the first packet's time
    std::vector<Unit> packets;
};

// Every audio and video stream of the file with all its packets; empty
// when libavformat cannot open the file.
std::vector<StreamInfo> ReadBack(const std::string& path);

// Decodes every audio and video packet of the file with libavcodec; the
// number of packets or frames the decoders refused, or -1 when the file
// cannot be opened.
int DecodeErrors(const std::string& path);

// The first channel of the file's first audio stream, decoded, as samples
// between -1 and 1; `rate` receives its sampling rate. Empty when the file
// has no audio libavcodec decodes.
std::vector<float> DecodeSound(const std::string& path, int* rate);

// One libavcodec video decoder fed a packet at a time.
class PictureDecoder {
public:
    struct Picture {
        int width = 0;  // 0: the packet gave no picture, or was refused
        int height = 0;
        bool damaged = false;            // the decoder reported errors in it
        std::vector<std::uint8_t> luma;  // width x height, row after row
    };
    // The decoder of that name ("h263", "mpeg4"...).
    explicit PictureDecoder(const char* codecName);
    ~PictureDecoder();
    PictureDecoder(const PictureDecoder&) = delete;
    PictureDecoder& operator=(const PictureDecoder&) = delete;
    Picture Decode(const std::vector<std::uint8_t>& packet);

private:
    AVCodecContext* context_ = nullptr;
    AVPacket* packet_ = nullptr;
    AVFrame* frame_ = nullptr;
};

// One stream to mux: the codec by libavcodec's name, its units at a fixed
// duration each, and its parameters.
struct MuxStream {
    std::string codec;  // "mpeg4", "h263", "aac", "amr_nb", "pcm_f32le"...
    const Encoded* data;
    int width = 176;
    int height = 144;
    int sampleRate = 0;  // audio only
    int channels = 0;
    double unitSeconds = 0.04;
    int rotation = 0;  // video: degrees clockwise a player turns the pictures, noted in the display matrix
};

// Writes the streams into a file through libavformat's own muxer (a file
// "from elsewhere"); `format` is the muxer's name ("mp4", "3gp", "wav"...).
bool MuxFile(const std::string& path, const char* format, const std::vector<MuxStream>& streams);

}  // namespace movanta::testing
