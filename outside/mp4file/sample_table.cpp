#include "sample_table.h"

#include <algorithm>
#include <map>

namespace mp4file {

void SampleTable::AddToRuns(std::vector<Run>& runs, std::uint32_t value) {
    if (!runs.empty() && runs.back().value == value) {
        ++runs.back().count;
    } else {
        runs.push_back({1, value});
    }
}

void SampleTable::RemoveFromRuns(std::vector<Run>& runs) {
    if (!runs.empty() && --runs.back().count == 0) runs.pop_back();
}

void SampleTable::RemoveLast() {
    if (sizes_.empty()) return;
    const std::uint32_t size = sizes_.back();
    duration_ -= durations_.back().value;
    totalBytes_ -= size;
    if (!syncSamples_.empty() && syncSamples_.back() == Count()) syncSamples_.pop_back();
    sizes_.pop_back();
    RemoveFromRuns(durations_);
    RemoveFromRuns(offsets_);
    if (--chunks_.back().samples == 0) chunks_.pop_back();
    nextOffset_ = 0;
    if (!chunks_.empty()) {
        nextOffset_ = chunks_.back().offset;
        for (std::uint32_t i = Count() - chunks_.back().samples; i < Count(); ++i) nextOffset_ += sizes_[i];
    }
}

void SampleTable::Add(std::uint32_t size, std::uint32_t duration, std::uint32_t renderingOffset, bool sync,
                      std::uint64_t offset) {
    sizes_.push_back(size);
    AddToRuns(durations_, duration);
    AddToRuns(offsets_, renderingOffset);
    anyOffset_ = anyOffset_ || renderingOffset != 0;
    if (sync) syncSamples_.push_back(Count());
    if (!chunks_.empty() && offset == nextOffset_) {
        ++chunks_.back().samples;
    } else {
        chunks_.push_back({offset, 1});
    }
    nextOffset_ = offset + size;
    duration_ += duration;
    totalBytes_ += size;
    maxSize_ = std::max(maxSize_, size);
}

std::uint32_t SampleTable::DurationOf(std::uint32_t index) const {
    for (const Run& run : durations_) {
        if (index < run.count) return run.value;
        index -= run.count;
    }
    return 0;
}

std::uint32_t SampleTable::MaxBytesPerSecond(std::uint32_t timeScale) const {
    if (timeScale == 0) return 0;
    std::map<std::uint64_t, std::uint64_t> perSecond;
    std::uint64_t time = 0;
    std::uint32_t index = 0;
    for (const Run& run : durations_) {
        for (std::uint32_t i = 0; i < run.count; ++i, ++index) {
            perSecond[time / timeScale] += sizes_[index];
            time += run.value;
        }
    }
    std::uint64_t most = 0;
    for (const auto& [second, bytes] : perSecond) most = std::max(most, bytes);
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(most, 0xFFFFFFFFu));
}

void SampleTable::WriteTimes(BoxWriter& out) const {
    out.BeginFull("stts", 0, 0);
    out.U32(static_cast<std::uint32_t>(durations_.size()));
    for (const Run& run : durations_) {
        out.U32(run.count);
        out.U32(run.value);
    }
    out.End();
    if (!anyOffset_) return;
    out.BeginFull("ctts", 0, 0);
    out.U32(static_cast<std::uint32_t>(offsets_.size()));
    for (const Run& run : offsets_) {
        out.U32(run.count);
        out.U32(run.value);
    }
    out.End();
}

void SampleTable::WriteSync(BoxWriter& out) const {
    if (syncSamples_.size() == sizes_.size()) return;  // every sample is a sync sample
    out.BeginFull("stss", 0, 0);
    out.U32(static_cast<std::uint32_t>(syncSamples_.size()));
    for (std::uint32_t sample : syncSamples_) out.U32(sample);
    out.End();
}

void SampleTable::WriteLayout(BoxWriter& out, bool largeOffsets) const {
    out.BeginFull("stsc", 0, 0);
    std::vector<std::pair<std::uint32_t, std::uint32_t>> entries;  // first chunk, samples per chunk
    for (std::uint32_t i = 0; i < chunks_.size(); ++i) {
        if (entries.empty() || entries.back().second != chunks_[i].samples) {
            entries.emplace_back(i + 1, chunks_[i].samples);
        }
    }
    out.U32(static_cast<std::uint32_t>(entries.size()));
    for (const auto& [first, samples] : entries) {
        out.U32(first);
        out.U32(samples);
        out.U32(1);  // sample description index
    }
    out.End();

    out.BeginFull("stsz", 0, 0);
    const bool constant =
        !sizes_.empty() && std::all_of(sizes_.begin(), sizes_.end(), [&](std::uint32_t s) { return s == sizes_[0]; });
    out.U32(constant ? sizes_[0] : 0);
    out.U32(Count());
    if (!constant) {
        for (std::uint32_t size : sizes_) out.U32(size);
    }
    out.End();

    out.BeginFull(largeOffsets ? "co64" : "stco", 0, 0);
    out.U32(static_cast<std::uint32_t>(chunks_.size()));
    for (const Chunk& chunk : chunks_) {
        if (largeOffsets) {
            out.U64(chunk.offset);
        } else {
            out.U32(static_cast<std::uint32_t>(chunk.offset));
        }
    }
    out.End();
}

}  // namespace mp4file
