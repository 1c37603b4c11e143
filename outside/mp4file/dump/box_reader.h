// Reading the box tree of an ISO base media file (MP4, 3GP, MOV) without
// trusting it: every size is checked against its parent and the file.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace mp4file {

struct Box {
    std::string type;  // four characters
    std::uint64_t offset = 0;      // of the header
    std::uint64_t headerSize = 0;  // 8, or 16 with a 64-bit size
    std::uint64_t size = 0;        // header included
    std::uint64_t PayloadOffset() const { return offset + headerSize; }
    std::uint64_t PayloadSize() const { return size - headerSize; }
    std::uint64_t End() const { return offset + size; }
};

class BoxReader {
public:
    // Nothing when the file cannot be opened.
    static std::optional<BoxReader> Open(const std::string& path);
    BoxReader(BoxReader&& other) noexcept;
    BoxReader& operator=(BoxReader&&) = delete;
    ~BoxReader();

    std::uint64_t FileSize() const { return size_; }
    // The boxes between `begin` and `end`; stops at the first box that does
    // not fit (and sets `damaged`).
    std::vector<Box> BoxesIn(std::uint64_t begin, std::uint64_t end, bool* damaged = nullptr);
    std::vector<Box> TopLevel(bool* damaged = nullptr) { return BoxesIn(0, size_, damaged); }
    std::vector<Box> Children(const Box& parent, std::uint64_t skip = 0, bool* damaged = nullptr);
    // The first child of `parent` with a path of types ("mdia/minf/stbl").
    std::optional<Box> Find(const Box& parent, const std::string& path);
    // Up to `limit` bytes of a box's payload.
    std::vector<std::uint8_t> Payload(const Box& box, std::uint64_t limit = 1 << 24);
    bool Read(std::uint64_t offset, void* buffer, std::size_t size);

private:
    explicit BoxReader(std::FILE* file, std::uint64_t size) : file_(file), size_(size) {}
    std::FILE* file_;
    std::uint64_t size_;
};

// Big-endian fields of a payload, with bounds: a read past the end gives 0
// and marks the reader failed.
class FieldReader {
public:
    explicit FieldReader(const std::vector<std::uint8_t>& bytes, std::size_t position = 0)
        : bytes_(bytes), position_(position) {}
    std::uint64_t Read(int bytes);
    std::string FourCC();
    void Skip(std::size_t bytes);
    std::size_t Position() const { return position_; }
    std::size_t Remaining() const { return failed_ ? 0 : bytes_.size() - position_; }
    bool Failed() const { return failed_; }

private:
    const std::vector<std::uint8_t>& bytes_;
    std::size_t position_;
    bool failed_ = false;
};

// Where each sample of a track lies, from its sample table.
struct SampleLocation {
    std::uint64_t offset;
    std::uint32_t size;
};
std::vector<SampleLocation> TrackSampleLocations(BoxReader& reader, const Box& trak);

}  // namespace mp4file
