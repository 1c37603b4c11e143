// Parsers of the elementary streams the writer receives. Each reads only
// within the bytes it is given and answers nothing for a header that is cut
// short or malformed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace movanta::muxer {

// One MPEG-4 visual start-code unit: from its 00 00 01 to the next start
// code or the end of the buffer.
struct StartCodeUnit {
    std::size_t offset;  // of the 00 00 01
    std::size_t size;
    std::uint8_t type;   // the byte after the start code
};

// The unit starting at or after `from`; nothing when no start code follows.
std::optional<StartCodeUnit> NextStartCodeUnit(const std::uint8_t* data, std::size_t size, std::size_t from);

// From a video object layer header unit (start code included).
struct VolInfo {
    std::uint8_t timeBits = 15;
    std::uint16_t timeTicks = 30000;      // vop_time_increment_resolution
    std::uint16_t frameDuration = 3000;   // fixed_vop_time_increment
    std::int16_t width = 176;
    std::int16_t height = 144;
};
std::optional<VolInfo> ParseVideoObjectLayer(const std::uint8_t* unit, std::size_t size);

// True when a VOP unit (start code included) is intra coded.
bool IsIntraVop(const std::uint8_t* unit, std::size_t size);

// The visual profile-level of the file for a profile_and_level_indication.
std::uint8_t VisualProfileLevel(std::uint8_t indication);

// The H.263 picture header (the first five bytes of a picture).
struct H263Picture {
    std::uint8_t temporalReference;
    std::uint8_t sourceFormat;
    bool intra;
    std::uint16_t width;   // 0 for formats 0, 6 and 7
    std::uint16_t height;
};
std::optional<H263Picture> ParseH263Picture(const std::uint8_t* data, std::size_t size);

// An ADTS frame header.
struct AdtsHeader {
    bool mpeg2;              // ID bit: 1 = MPEG-2
    std::uint8_t profile;    // 0-3
    std::uint8_t rateIndex;  // 0-12
    std::uint32_t sampleRate;
    std::uint8_t channels;
    std::size_t headerSize;   // 7, or 9 with a CRC
    std::size_t frameLength;  // header included
};
// The first ADTS header at or after `from` (sync 0xFF, then a byte whose
// bits masked with 0xF6 give 0xF0), and where it starts.
std::optional<AdtsHeader> FindAdtsHeader(const std::uint8_t* data, std::size_t size, std::size_t from,
                                         std::size_t* at);

// Speech bytes after the header byte of an AMR-NB storage-format frame of
// the given header byte.
std::size_t AmrSpeechBytes(std::uint8_t header);

}  // namespace movanta::muxer
