#include "adts_header.h"

#include <iterator>

namespace movanta::outside {

int AdtsRateIndex(int samplesPerSecond) {
    static constexpr int kRates[] = {96000, 88200, 64000, 48000, 44100, 32000, 24000,
                                     22050, 16000, 12000, 11025, 8000,  7350};
    for (int index = 0; index < static_cast<int>(std::size(kRates)); ++index) {
        if (kRates[index] == samplesPerSecond) return index;
    }
    return -1;
}

bool WriteAdtsHeader(std::uint8_t* header, int objectType, int rateIndex, int channels, int payloadBytes, bool mpeg2) {
    const int length = payloadBytes + kAdtsHeaderBytes;
    if (payloadBytes < 0 || length > 0x1FFF || objectType < 1 || objectType > 4 || rateIndex < 0 || rateIndex > 12 ||
        channels < 1 || channels > 7) {
        return false;
    }
    const int profile = objectType - 1;
    header[0] = 0xFF;
    header[1] = static_cast<std::uint8_t>(0xF1 | (mpeg2 ? 0x08 : 0x00));  // sync, ID, layer 0, no CRC
    header[2] = static_cast<std::uint8_t>((profile << 6) | (rateIndex << 2) | (channels >> 2));
    header[3] = static_cast<std::uint8_t>(((channels & 3) << 6) | (length >> 11));
    header[4] = static_cast<std::uint8_t>((length >> 3) & 0xFF);
    header[5] = static_cast<std::uint8_t>(((length & 7) << 5) | 0x1F);  // buffer fullness 0x7FF: variable rate
    header[6] = 0xFC;
    return true;
}

}  // namespace movanta::outside
