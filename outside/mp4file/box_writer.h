// Building boxes in memory: big-endian fields, nested boxes whose sizes are
// filled in when they end, and MPEG-4 descriptors.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace mp4file {

class BoxWriter {
public:
    void U8(std::uint32_t value) { bytes_.push_back(static_cast<std::uint8_t>(value)); }
    void U16(std::uint32_t value);
    void U24(std::uint32_t value);
    void U32(std::uint32_t value);
    void U64(std::uint64_t value);
    void FourCC(std::string_view code);  // exactly four characters
    void Bytes(const std::uint8_t* data, std::size_t size);
    void Zeros(std::size_t count);
    // A string of `width` bytes, zero padded (cut when longer).
    void FixedString(std::string_view text, std::size_t width);

    // Opens a box; End closes the innermost open one and writes its size.
    void Begin(std::string_view type);
    // A full box: type, then version and 24-bit flags.
    void BeginFull(std::string_view type, std::uint8_t version, std::uint32_t flags);
    void End();

    // An MPEG-4 descriptor (ISO/IEC 14496-1): tag and a four-byte length.
    void BeginDescriptor(std::uint8_t tag);
    void EndDescriptor();

    const std::vector<std::uint8_t>& Data() const { return bytes_; }
    std::size_t Size() const { return bytes_.size(); }
    bool Balanced() const { return open_.empty(); }

private:
    void PatchU32(std::size_t at, std::uint32_t value);
    std::vector<std::uint8_t> bytes_;
    std::vector<std::size_t> open_;             // start of each open box
    std::vector<std::size_t> openDescriptors_;  // start of each open descriptor's length
};

}  // namespace mp4file
