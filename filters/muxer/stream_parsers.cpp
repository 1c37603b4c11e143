#include "stream_parsers.h"

namespace movanta::muxer {
namespace {

// Reads bits most significant first, within the buffer.
class BitReader {
public:
    BitReader(const std::uint8_t* data, std::size_t size) : data_(data), bits_(size * 8) {}
    std::uint32_t Read(int count) {
        std::uint32_t value = 0;
        for (int i = 0; i < count; ++i) {
            if (position_ >= bits_) {
                failed_ = true;
                return 0;
            }
            value = (value << 1) | ((data_[position_ / 8] >> (7 - position_ % 8)) & 1);
            ++position_;
        }
        return value;
    }
    bool Failed() const { return failed_; }

private:
    const std::uint8_t* data_;
    std::size_t bits_;
    std::size_t position_ = 0;
    bool failed_ = false;
};

bool IsStartCode(const std::uint8_t* data, std::size_t size, std::size_t at) {
    return at + 3 <= size && data[at] == 0 && data[at + 1] == 0 && data[at + 2] == 1;
}

}  // namespace

std::optional<StartCodeUnit> NextStartCodeUnit(const std::uint8_t* data, std::size_t size, std::size_t from) {
    std::size_t at = from;
    while (at + 4 <= size && !IsStartCode(data, size, at)) ++at;
    if (at + 4 > size) return std::nullopt;
    std::size_t end = at + 3;
    while (end + 3 <= size && !IsStartCode(data, size, end)) ++end;
    if (end + 3 > size) end = size;
    return StartCodeUnit {at, end - at, data[at + 3]};
}

std::optional<VolInfo> ParseVideoObjectLayer(const std::uint8_t* unit, std::size_t size) {
    if (size < 4) return std::nullopt;
    BitReader bits(unit + 4, size - 4);
    VolInfo info;
    bits.Read(1);  // random_accessible_vol
    bits.Read(8);  // video_object_type_indication
    std::uint32_t verid = 1;
    if (bits.Read(1)) {  // is_object_layer_identifier
        verid = bits.Read(4);
        bits.Read(3);
    }
    if (bits.Read(4) == 0xF) bits.Read(16);  // extended pixel aspect ratio
    if (bits.Read(1)) {                      // vol_control_parameters
        bits.Read(3);                        // chroma_format, low_delay
        if (bits.Read(1)) bits.Read(79);     // vbv_parameters with their markers
    }
    const std::uint32_t shape = bits.Read(2);
    if (shape == 3 && verid != 1) bits.Read(4);
    bits.Read(1);  // marker
    const std::uint32_t resolution = bits.Read(16);
    bits.Read(1);  // marker
    int timeBits = 1;
    while (timeBits < 16 && (1u << timeBits) < resolution) ++timeBits;
    info.timeBits = static_cast<std::uint8_t>(timeBits);
    info.timeTicks = static_cast<std::uint16_t>(resolution);
    if (bits.Read(1)) info.frameDuration = static_cast<std::uint16_t>(bits.Read(timeBits));
    if (shape == 0) {
        bits.Read(1);
        info.width = static_cast<std::int16_t>(bits.Read(13));
        bits.Read(1);
        info.height = static_cast<std::int16_t>(bits.Read(13));
    }
    if (bits.Failed() || resolution == 0) return std::nullopt;
    return info;
}

bool IsIntraVop(const std::uint8_t* unit, std::size_t size) { return size >= 5 && (unit[4] >> 6) == 0; }

std::uint8_t VisualProfileLevel(std::uint8_t indication) {
    switch (indication) {
    case 1: return 0x03;
    case 2: return 0x02;
    case 3: return 0x01;
    case 8: return 0x03;
    case 17: return 0x05;
    case 18: return 0x04;
    case 33: return 0x07;
    case 34: return 0x06;
    case 50: return 0x0A;
    case 51: return 0x09;
    case 52: return 0x08;
    case 66: return 0x0B;
    case 81: return 0x12;
    case 82: return 0x11;
    case 83: return 0x10;
    case 97: return 0x14;
    case 98: return 0x13;
    case 113: return 0x0F;
    case 114: return 0x0E;
    case 129: return 0x0D;
    case 130: return 0x0C;
    default: return 0xFE;
    }
}

std::optional<H263Picture> ParseH263Picture(const std::uint8_t* data, std::size_t size) {
    if (size < 5) return std::nullopt;
    H263Picture picture {};
    picture.temporalReference = static_cast<std::uint8_t>(((data[2] & 0x03) << 6) | (data[3] >> 2));
    picture.sourceFormat = (data[4] >> 2) & 0x07;
    picture.intra = ((data[4] >> 1) & 0x01) == 0;
    static constexpr std::uint16_t kSizes[8][2] = {{0, 0},     {128, 96},   {176, 144}, {352, 288},
                                                   {704, 576}, {1408, 1152}, {0, 0},     {0, 0}};
    picture.width = kSizes[picture.sourceFormat][0];
    picture.height = kSizes[picture.sourceFormat][1];
    return picture;
}

std::optional<AdtsHeader> FindAdtsHeader(const std::uint8_t* data, std::size_t size, std::size_t from,
                                         std::size_t* at) {
    static constexpr std::uint32_t kRates[13] = {96000, 88200, 64000, 48000, 44100, 32000, 24000,
                                                 22050, 16000, 12000, 11025, 8000,  7350};
    for (std::size_t i = from; i + 7 <= size; ++i) {
        if (data[i] != 0xFF || (data[i + 1] & 0xF6) != 0xF0) continue;
        AdtsHeader header {};
        header.mpeg2 = (data[i + 1] & 0x08) != 0;
        header.headerSize = (data[i + 1] & 0x01) ? 7 : 9;
        header.profile = data[i + 2] >> 6;
        header.rateIndex = (data[i + 2] >> 2) & 0x0F;
        header.channels = static_cast<std::uint8_t>(((data[i + 2] & 0x01) << 2) | (data[i + 3] >> 6));
        header.frameLength = (static_cast<std::size_t>(data[i + 3] & 0x03) << 11) |
                             (static_cast<std::size_t>(data[i + 4]) << 3) | (data[i + 5] >> 5);
        if (header.rateIndex >= 13 || header.frameLength < header.headerSize) continue;
        header.sampleRate = kRates[header.rateIndex];
        if (at != nullptr) *at = i;
        return header;
    }
    return std::nullopt;
}

std::size_t AmrSpeechBytes(std::uint8_t header) {
    static constexpr std::size_t kBytes[16] = {12, 13, 15, 17, 19, 20, 26, 31, 5, 0, 0, 0, 0, 0, 0, 0};
    return kBytes[(header >> 3) & 0x0F];
}

}  // namespace movanta::muxer
