#include "box_writer.h"

#include <algorithm>

namespace mp4file {

void BoxWriter::U16(std::uint32_t value) {
    U8(value >> 8);
    U8(value);
}

void BoxWriter::U24(std::uint32_t value) {
    U8(value >> 16);
    U16(value);
}

void BoxWriter::U32(std::uint32_t value) {
    U16(value >> 16);
    U16(value);
}

void BoxWriter::U64(std::uint64_t value) {
    U32(static_cast<std::uint32_t>(value >> 32));
    U32(static_cast<std::uint32_t>(value));
}

void BoxWriter::FourCC(std::string_view code) {
    for (std::size_t i = 0; i < 4; ++i) U8(i < code.size() ? static_cast<std::uint8_t>(code[i]) : ' ');
}

void BoxWriter::Bytes(const std::uint8_t* data, std::size_t size) {
    if (size > 0) bytes_.insert(bytes_.end(), data, data + size);
}

void BoxWriter::Zeros(std::size_t count) { bytes_.insert(bytes_.end(), count, 0); }

void BoxWriter::FixedString(std::string_view text, std::size_t width) {
    const std::size_t used = std::min(text.size(), width);
    Bytes(reinterpret_cast<const std::uint8_t*>(text.data()), used);
    Zeros(width - used);
}

void BoxWriter::Begin(std::string_view type) {
    open_.push_back(bytes_.size());
    U32(0);
    FourCC(type);
}

void BoxWriter::BeginFull(std::string_view type, std::uint8_t version, std::uint32_t flags) {
    Begin(type);
    U8(version);
    U24(flags);
}

void BoxWriter::End() {
    const std::size_t start = open_.back();
    open_.pop_back();
    PatchU32(start, static_cast<std::uint32_t>(bytes_.size() - start));
}

void BoxWriter::BeginDescriptor(std::uint8_t tag) {
    U8(tag);
    openDescriptors_.push_back(bytes_.size());
    U32(0);
}

void BoxWriter::EndDescriptor() {
    const std::size_t at = openDescriptors_.back();
    openDescriptors_.pop_back();
    const std::size_t length = bytes_.size() - at - 4;
    // Seven bits a byte, high bit set on all but the last byte.
    bytes_[at] = static_cast<std::uint8_t>(0x80 | ((length >> 21) & 0x7F));
    bytes_[at + 1] = static_cast<std::uint8_t>(0x80 | ((length >> 14) & 0x7F));
    bytes_[at + 2] = static_cast<std::uint8_t>(0x80 | ((length >> 7) & 0x7F));
    bytes_[at + 3] = static_cast<std::uint8_t>(length & 0x7F);
}

void BoxWriter::PatchU32(std::size_t at, std::uint32_t value) {
    bytes_[at] = static_cast<std::uint8_t>(value >> 24);
    bytes_[at + 1] = static_cast<std::uint8_t>(value >> 16);
    bytes_[at + 2] = static_cast<std::uint8_t>(value >> 8);
    bytes_[at + 3] = static_cast<std::uint8_t>(value);
}

}  // namespace mp4file
