// Fitting a phone file under a size: the video bit rate that brings the
// file, sound and container included, to at most the size asked, and a
// lower one when a conversion still came out over it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace movanta::convert {

// Below this the pictures are no longer worth watching.
inline constexpr int kLowestVideoBitrate = 16000;
// The lowest rate asked of the encoder when it gave more than asked.
inline constexpr int kLowestRequestedBitrate = 4000;

// "200k", "1.5M" or "300000": bytes, k and M of 1000; nothing when the
// text is not such a size.
std::optional<std::int64_t> ParseSize(const std::string& text);

// The bytes of the container beyond the pictures and sound: a fixed part
// and tables that grow with the length (more with the MPEG-4 track's hint
// track, which `hinted` says).
std::int64_t ContainerBytes(double seconds, bool hinted);

// The video rate (bit/s) for a file of `seconds` with sound at
// `audioBitrate` to come out at most `bytes`; nothing when it would be
// below kLowestVideoBitrate.
std::optional<int> VideoBitrateToFit(std::int64_t bytes, double seconds, int audioBitrate, bool hinted);

// After a conversion at `bitrate` came out `actual` bytes, over `bytes`:
// the rate that scales the pictures' share down to fit, with a margin.
int LowerVideoBitrate(int bitrate, std::int64_t actual, std::int64_t bytes, double seconds, int audioBitrate,
                      bool hinted);

}  // namespace movanta::convert
