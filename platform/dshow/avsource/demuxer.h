// The demultiplexer behind the file source: libavformat reading one file
// for up to two streams (the first video and the first audio), each read
// by its own pin thread. Packets of the other stream met on the way are
// kept for it (a pin far ahead of the other waits for it to catch up);
// packets of streams nobody reads are dropped.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "dshow/types.h"

struct AVFormatContext;
struct AVPacket;
struct AVStream;

namespace movanta::dshow {

class Demuxer {
public:
    Demuxer() = default;
    ~Demuxer();
    Demuxer(const Demuxer&) = delete;
    Demuxer& operator=(const Demuxer&) = delete;

    // Opens the file (UTF-8 path); false with a message in `error`.
    bool Open(const std::string& path, std::string& error);
    // The streams offered, in order: the first video, then the first audio.
    const std::vector<AVStream*>& Streams() const { return streams_; }
    // The file's duration, or 0 when it does not say.
    REFERENCE_TIME Duration() const;
    // The time of `ticks` of slot `slot`, from the start of the file.
    REFERENCE_TIME TimeOf(int slot, std::int64_t ticks) const;

    // Marks the slot read by a pin (its packets are kept) or not.
    void SetActive(int slot, bool active);
    // The next packet of slot `slot` into `packet` (the caller unrefs it);
    // false at the end of the file or on a read error.
    bool Read(int slot, AVPacket* packet);
    // Positions every stream at the key frame at or before `time`. A slot
    // that asks for the position the last seek set, before reading, finds
    // the file already there: each pin of one graph seek asks once.
    bool Seek(int slot, REFERENCE_TIME time);

private:
    AVFormatContext* OpenFormat(std::string& error) const;
    bool Reopen();
    // True while another pin that reads has much queued and is reading.
    bool FarAhead(int slot) const;
    void DropQueue(std::size_t slot);
    void DropQueues();
    int SlotOf(int streamIndex) const;

    std::mutex lock_;
    std::string path_;
    AVFormatContext* format_ = nullptr;
    std::vector<AVStream*> streams_;
    std::condition_variable drained_;  // a queue got shorter, or the reading changed
    std::vector<std::deque<AVPacket*>> queues_;
    std::vector<std::size_t> queuedBytes_;
    std::vector<std::chrono::steady_clock::time_point> lastRead_;
    std::vector<bool> active_;
    std::vector<bool> readSinceSeek_;
    REFERENCE_TIME lastSeek_ = -1;
    bool ended_ = false;
};

}  // namespace movanta::dshow
