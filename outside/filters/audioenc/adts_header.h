// The seven-byte ADTS header (no CRC) that frames one raw AAC frame.
#pragma once

#include <cstdint>

namespace movanta::outside {

inline constexpr int kAdtsHeaderBytes = 7;

// The ADTS sampling-frequency index of a rate, or -1 for a rate ADTS
// cannot name.
int AdtsRateIndex(int samplesPerSecond);

// Writes the header for a frame of `payloadBytes` after it. `objectType`
// is the audio object type (2 for low complexity); `mpeg2` sets the ID bit.
// False when the frame is too long for the header's 13-bit length.
bool WriteAdtsHeader(std::uint8_t* header, int objectType, int rateIndex, int channels, int payloadBytes, bool mpeg2);

}  // namespace movanta::outside
