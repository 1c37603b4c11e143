#include "writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace mp4file {
namespace {

// The media data box starts with 16 bytes: a "free" box and the 8-byte
// header of "mdat", turned into one 16-byte "mdat" header with a 64-bit size
// when the media passes 4 GiB.
constexpr std::size_t kMediaHeader = 16;
// Samples are gathered into writes of about this size.
constexpr std::size_t kBufferSize = 1 << 20;

std::vector<std::uint8_t> FileType(const FileTypeBox& type) {
    BoxWriter out;
    out.Begin("ftyp");
    out.FourCC(type.majorBrand);
    out.U32(type.minorVersion);
    for (const std::string& brand : type.compatibleBrands) out.FourCC(brand);
    out.End();
    return out.Data();
}

}  // namespace

Writer::Writer(int fd, std::string path, std::uint32_t verbosity, bool addIods, bool largeData)
    : fd_(fd), path_(std::move(path)), verbosity_(verbosity), addIods_(addIods), largeData_(largeData) {}

Writer::~Writer() {
    if (fd_ >= 0) ::close(fd_);
}

std::unique_ptr<Writer> Writer::Create(const char* path, std::uint32_t verbosity, std::uint32_t flags,
                                       const FileTypeBox* fileType, bool addIods) {
    if (path == nullptr) return nullptr;
    const int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        if (verbosity & MP4_DETAILS_ERROR) std::fprintf(stderr, "mp4file: cannot create %s: %s\n", path, std::strerror(errno));
        return nullptr;
    }
    std::unique_ptr<Writer> writer(new Writer(fd, path, verbosity, addIods, (flags & MP4_CREATE_64BIT_DATA) != 0));
    if (fileType != nullptr) {
        const std::vector<std::uint8_t> box = FileType(*fileType);
        if (!writer->Append(box.data(), box.size())) return nullptr;
    }
    writer->mediaStart_ = writer->end_;
    BoxWriter header;
    if (writer->largeData_) {
        header.U32(1);
        header.FourCC("mdat");
        header.U64(kMediaHeader);
    } else {
        header.U32(8);
        header.FourCC("free");
        header.U32(8);
        header.FourCC("mdat");
    }
    if (!writer->Append(header.Data().data(), header.Size())) return nullptr;
    return writer;
}

void Writer::Report(const char* what) {
    failed_ = true;
    if (verbosity_ & MP4_DETAILS_ERROR) {
        std::fprintf(stderr, "mp4file: %s %s: %s\n", what, path_.c_str(), std::strerror(errno));
    }
}

bool Writer::WriteAt(std::uint64_t offset, const std::uint8_t* bytes, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pwrite(fd_, bytes + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool Writer::Append(const std::uint8_t* bytes, std::size_t size) {
    if (!Flush()) return false;
    if (!WriteAt(end_, bytes, size)) {
        Report("cannot write to");
        // Drop a partial write, so the file stays what the tables describe.
        if (::ftruncate(fd_, static_cast<off_t>(end_)) != 0) Report("cannot cut back");
        return false;
    }
    end_ += size;
    flushed_ = end_;
    return true;
}

bool Writer::Flush() {
    if (buffer_.empty()) return true;
    const bool written = WriteAt(flushed_, buffer_.data(), buffer_.size());
    if (written) {
        flushed_ += buffer_.size();
    } else {
        Report("cannot write to");
        if (::ftruncate(fd_, static_cast<off_t>(flushed_)) != 0) Report("cannot cut back");
        for (auto it = pending_.rbegin(); it != pending_.rend(); ++it) (*it)->samples.RemoveLast();
        end_ = flushed_;
    }
    buffer_.clear();
    pending_.clear();
    return written;
}

Track* Writer::AddTrack(Track track) {
    track.id = static_cast<MP4TrackId>(tracks_.size() + 1);
    tracks_.push_back(std::make_unique<Track>(std::move(track)));
    return tracks_.back().get();
}

Track* Writer::FindTrack(MP4TrackId id) {
    if (id == MP4_INVALID_TRACK_ID || id > tracks_.size()) return nullptr;
    return tracks_[id - 1].get();
}

bool Writer::WriteSample(Track& track, const std::uint8_t* bytes, std::uint32_t size, MP4Duration duration,
                         MP4Duration renderingOffset, bool sync) {
    if (bytes == nullptr && size > 0) return false;
    if (duration == MP4_INVALID_DURATION) duration = track.fixedDuration;
    if (duration > 0xFFFFFFFFu || renderingOffset > 0xFFFFFFFFu) return false;
    if (buffer_.size() + size > kBufferSize && !Flush()) return false;
    const std::uint64_t offset = end_;
    if (size >= kBufferSize) {
        if (!Append(bytes, size)) return false;
    } else {
        if (buffer_.capacity() < kBufferSize) buffer_.reserve(kBufferSize);
        buffer_.insert(buffer_.end(), bytes, bytes + size);
        pending_.push_back(&track);
        end_ += size;
    }
    track.samples.Add(size, static_cast<std::uint32_t>(duration), static_cast<std::uint32_t>(renderingOffset), sync,
                      offset);
    return true;
}

bool Writer::Close() {
    Flush();
    const std::uint64_t mediaSize = end_ - mediaStart_;
    BoxWriter header;
    std::uint64_t patchAt = mediaStart_;
    if (largeData_ || mediaSize - 8 > 0xFFFFFFFFu) {
        header.U32(1);
        header.FourCC("mdat");
        header.U64(mediaSize);
    } else {
        header.U32(static_cast<std::uint32_t>(mediaSize - 8));
        patchAt = mediaStart_ + 8;
    }
    if (!WriteAt(patchAt, header.Data().data(), header.Size())) Report("cannot finish");
    bool largeOffsets = largeData_;
    for (const auto& track : tracks_) largeOffsets = largeOffsets || track->samples.NeedsLargeOffsets();
    const std::vector<std::uint8_t> movie = MovieBox(*this, addIods_, largeOffsets);
    Append(movie.data(), movie.size());
    if (::close(fd_) != 0) Report("cannot close");
    fd_ = -1;
    return !failed_;
}

}  // namespace mp4file
