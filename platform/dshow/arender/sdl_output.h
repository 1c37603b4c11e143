// One SDL2 audio output: PCM queued to the device, which plays it at its
// own pace. Where the system has no sound device, SDL's dummy driver takes
// the sound instead, at the same pace, so playback still keeps time.
#pragma once

#include <cstdint>
#include <string>

namespace movanta::dshow {

class SdlOutput {
public:
    SdlOutput() = default;
    ~SdlOutput();
    SdlOutput(const SdlOutput&) = delete;
    SdlOutput& operator=(const SdlOutput&) = delete;

    // Opens the device for 8- or 16-bit PCM; false with a message in `error`.
    bool Open(int rate, int channels, int bits, std::string& error);
    void Close();
    bool IsOpen() const { return device_ != 0; }
    void Play(bool playing);
    bool Queue(const std::uint8_t* pcm, std::uint32_t bytes);
    // Bytes queued and not yet taken by the device.
    std::uint32_t Queued() const;
    // Sound frames the device takes at a time (about 20 ms).
    int DeviceFrames() const { return deviceFrames_; }
    void Clear();

private:
    std::uint32_t device_ = 0;
    int deviceFrames_ = 0;
};

}  // namespace movanta::dshow
