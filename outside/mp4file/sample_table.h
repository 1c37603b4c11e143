// One track's sample tables, kept compactly while the file is written:
// sizes, run-length durations and composition offsets, sync samples, and
// chunks (a chunk is a run of samples written one after another).
#pragma once

#include <cstdint>
#include <vector>

#include "box_writer.h"

namespace mp4file {

class SampleTable {
public:
    // Records a sample written at `offset` in the file; a sample that
    // follows the previous one directly joins its chunk.
    void Add(std::uint32_t size, std::uint32_t duration, std::uint32_t renderingOffset, bool sync,
             std::uint64_t offset);

    // Forgets the last sample (its bytes never reached the file).
    void RemoveLast();

    std::uint32_t Count() const { return static_cast<std::uint32_t>(sizes_.size()); }
    std::uint64_t Duration() const { return duration_; }
    std::uint64_t TotalBytes() const { return totalBytes_; }
    std::uint32_t MaxSize() const { return maxSize_; }
    std::uint32_t Size(std::uint32_t index) const { return sizes_[index]; }
    std::uint32_t DurationOf(std::uint32_t index) const;  // 0-based sample index
    bool NeedsLargeOffsets() const { return !chunks_.empty() && chunks_.back().offset > 0xFFFFFFFFu; }
    // The largest number of bytes in any one second of the track.
    std::uint32_t MaxBytesPerSecond(std::uint32_t timeScale) const;

    // The boxes of the sample table after the sample description.
    void WriteTimes(BoxWriter& out) const;  // stts, ctts
    void WriteSync(BoxWriter& out) const;   // stss, when not every sample is sync
    void WriteLayout(BoxWriter& out, bool largeOffsets) const;  // stsc, stsz, stco or co64

private:
    struct Run {
        std::uint32_t count;
        std::uint32_t value;
    };
    struct Chunk {
        std::uint64_t offset;
        std::uint32_t samples;
    };
    static void AddToRuns(std::vector<Run>& runs, std::uint32_t value);
    static void RemoveFromRuns(std::vector<Run>& runs);

    std::vector<std::uint32_t> sizes_;
    std::vector<Run> durations_;
    std::vector<Run> offsets_;  // composition offsets
    std::vector<std::uint32_t> syncSamples_;  // 1-based
    std::vector<Chunk> chunks_;
    std::uint64_t nextOffset_ = 0;  // where a sample continuing the last chunk would start
    std::uint64_t duration_ = 0;
    std::uint64_t totalBytes_ = 0;
    std::uint32_t maxSize_ = 0;  // an upper bound after RemoveLast
    bool anyOffset_ = false;
};

}  // namespace mp4file
