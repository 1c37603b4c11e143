#include "box_reader.h"

namespace mp4file {

std::optional<BoxReader> BoxReader::Open(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return std::nullopt;
    if (std::fseek(file, 0, SEEK_END) != 0) {
        std::fclose(file);
        return std::nullopt;
    }
    const long size = std::ftell(file);
    if (size < 0) {
        std::fclose(file);
        return std::nullopt;
    }
    return BoxReader(file, static_cast<std::uint64_t>(size));
}

BoxReader::BoxReader(BoxReader&& other) noexcept : file_(other.file_), size_(other.size_) { other.file_ = nullptr; }

BoxReader::~BoxReader() {
    if (file_ != nullptr) std::fclose(file_);
}

bool BoxReader::Read(std::uint64_t offset, void* buffer, std::size_t size) {
    if (offset > size_ || size > size_ - offset) return false;
    if (std::fseek(file_, static_cast<long>(offset), SEEK_SET) != 0) return false;
    return std::fread(buffer, 1, size, file_) == size;
}

std::vector<Box> BoxReader::BoxesIn(std::uint64_t begin, std::uint64_t end, bool* damaged) {
    std::vector<Box> boxes;
    if (end > size_) end = size_;
    std::uint64_t at = begin;
    while (at + 8 <= end) {
        std::uint8_t header[16];
        if (!Read(at, header, 8)) break;
        Box box;
        box.offset = at;
        box.headerSize = 8;
        box.size = (std::uint64_t(header[0]) << 24) | (std::uint64_t(header[1]) << 16) |
                   (std::uint64_t(header[2]) << 8) | header[3];
        box.type.assign(reinterpret_cast<const char*>(header + 4), 4);
        if (box.size == 1) {
            if (at + 16 > end || !Read(at + 8, header + 8, 8)) break;
            box.headerSize = 16;
            box.size = 0;
            for (int i = 8; i < 16; ++i) box.size = (box.size << 8) | header[i];
        } else if (box.size == 0) {
            box.size = end - at;  // to the end of the container
        }
        if (box.size < box.headerSize || box.size > end - at) {
            if (damaged != nullptr) *damaged = true;
            break;
        }
        boxes.push_back(box);
        at += box.size;
    }
    if (at != end && at + 8 > end && at < end && damaged != nullptr) *damaged = true;
    return boxes;
}

std::vector<Box> BoxReader::Children(const Box& parent, std::uint64_t skip, bool* damaged) {
    if (skip > parent.PayloadSize()) return {};
    return BoxesIn(parent.PayloadOffset() + skip, parent.End(), damaged);
}

std::optional<Box> BoxReader::Find(const Box& parent, const std::string& path) {
    Box current = parent;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t slash = path.find('/', start);
        if (slash == std::string::npos) slash = path.size();
        const std::string type = path.substr(start, slash - start);
        bool found = false;
        for (const Box& child : Children(current)) {
            if (child.type == type) {
                current = child;
                found = true;
                break;
            }
        }
        if (!found) return std::nullopt;
        start = slash + 1;
    }
    return current;
}

std::vector<std::uint8_t> BoxReader::Payload(const Box& box, std::uint64_t limit) {
    const std::uint64_t size = box.PayloadSize() < limit ? box.PayloadSize() : limit;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    if (!Read(box.PayloadOffset(), bytes.data(), bytes.size())) bytes.clear();
    return bytes;
}

std::uint64_t FieldReader::Read(int bytes) {
    if (failed_ || bytes_.size() - position_ < static_cast<std::size_t>(bytes)) {
        failed_ = true;
        return 0;
    }
    std::uint64_t value = 0;
    for (int i = 0; i < bytes; ++i) value = (value << 8) | bytes_[position_++];
    return value;
}

std::string FieldReader::FourCC() {
    std::string code;
    for (int i = 0; i < 4; ++i) code.push_back(static_cast<char>(Read(1)));
    return code;
}

void FieldReader::Skip(std::size_t bytes) {
    if (failed_ || bytes_.size() - position_ < bytes) {
        failed_ = true;
        return;
    }
    position_ += bytes;
}

std::vector<SampleLocation> TrackSampleLocations(BoxReader& reader, const Box& trak) {
    std::vector<SampleLocation> samples;
    const auto stbl = reader.Find(trak, "mdia/minf/stbl");
    if (!stbl) return samples;
    const auto stsz = reader.Find(*stbl, "stsz");
    const auto stsc = reader.Find(*stbl, "stsc");
    auto chunksBox = reader.Find(*stbl, "stco");
    const bool large = !chunksBox;
    if (large) chunksBox = reader.Find(*stbl, "co64");
    if (!stsz || !stsc || !chunksBox) return samples;

    const std::vector<std::uint8_t> sizeBytes = reader.Payload(*stsz);
    FieldReader sizes(sizeBytes, 4);
    const std::uint32_t constant = static_cast<std::uint32_t>(sizes.Read(4));
    const std::uint64_t count = sizes.Read(4);
    const std::vector<std::uint8_t> chunkBytes = reader.Payload(*chunksBox);
    FieldReader chunks(chunkBytes, 4);
    const std::uint64_t chunkCount = chunks.Read(4);
    std::vector<std::uint64_t> offsets;
    for (std::uint64_t i = 0; i < chunkCount && !chunks.Failed(); ++i) offsets.push_back(chunks.Read(large ? 8 : 4));
    const std::vector<std::uint8_t> mapBytes = reader.Payload(*stsc);
    FieldReader map(mapBytes, 4);
    const std::uint64_t entries = map.Read(4);
    std::vector<std::pair<std::uint64_t, std::uint64_t>> runs;  // first chunk (1-based), samples per chunk
    for (std::uint64_t i = 0; i < entries && !map.Failed(); ++i) {
        const std::uint64_t first = map.Read(4);
        const std::uint64_t perChunk = map.Read(4);
        map.Read(4);
        runs.emplace_back(first, perChunk);
    }
    std::size_t run = 0;
    for (std::uint64_t chunk = 1; chunk <= offsets.size() && samples.size() < count; ++chunk) {
        while (run + 1 < runs.size() && runs[run + 1].first <= chunk) ++run;
        if (runs.empty()) break;
        std::uint64_t at = offsets[chunk - 1];
        for (std::uint64_t i = 0; i < runs[run].second && samples.size() < count; ++i) {
            const std::uint32_t size = constant != 0 ? constant : static_cast<std::uint32_t>(sizes.Read(4));
            if (sizes.Failed()) return samples;
            samples.push_back({at, size});
            at += size;
        }
    }
    return samples;
}

}  // namespace mp4file
