#include "demuxer.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include "av_media_type.h"

namespace movanta::dshow {
namespace {

constexpr std::size_t kMaxQueued = 2000;  // packets kept for a slot before the oldest are dropped
// A pin that runs ahead of the other (the sound of a clip whose pictures
// take long to decode) waits while the other's queue holds this many bytes,
// so that the file is not read into memory ahead of the slower stream.
constexpr std::size_t kQueuedBytesAhead = 1 << 20;
// ...unless the other pin has not read for this long: it may be waiting
// for this pin's stream further on, and must get it.
constexpr auto kStalled = std::chrono::milliseconds(200);
constexpr auto kWaitStep = std::chrono::milliseconds(20);

std::string ErrorText(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof(text));
    return text;
}

bool Describable(const AVStream* stream) {
    CMediaType type;
    return MediaTypeOfStream(*stream->codecpar, stream->avg_frame_rate, type);
}

}  // namespace

AVFormatContext* Demuxer::OpenFormat(std::string& error) const {
    AVFormatContext* format = nullptr;
    const int opened = avformat_open_input(&format, path_.c_str(), nullptr, nullptr);
    if (opened < 0) {
        error = "cannot open \"" + path_ + "\": " + ErrorText(opened);
        return nullptr;
    }
    const int found = avformat_find_stream_info(format, nullptr);
    if (found < 0) {
        error = "cannot read the streams of \"" + path_ + "\": " + ErrorText(found);
        avformat_close_input(&format);
    }
    return format;
}

// Opens the file again, which reads it from its start: the way back for a
// file that cannot seek, such as a Matroska file cut short, whose index was
// at its end. The streams read stay the same.
bool Demuxer::Reopen() {
    std::string error;
    AVFormatContext* fresh = OpenFormat(error);
    if (fresh == nullptr || fresh->nb_streams != format_->nb_streams) {
        avformat_close_input(&fresh);
        return false;
    }
    for (unsigned i = 0; i < fresh->nb_streams; ++i) fresh->streams[i]->discard = format_->streams[i]->discard;
    for (AVStream*& stream : streams_) stream = fresh->streams[stream->index];
    avformat_close_input(&format_);
    format_ = fresh;
    return true;
}

Demuxer::~Demuxer() {
    DropQueues();
    avformat_close_input(&format_);
}

bool Demuxer::Open(const std::string& path, std::string& error) {
    path_ = path;
    format_ = OpenFormat(error);
    if (format_ == nullptr) return false;
    AVStream* video = nullptr;
    AVStream* audio = nullptr;
    for (unsigned i = 0; i < format_->nb_streams; ++i) {
        AVStream* stream = format_->streams[i];
        stream->discard = AVDISCARD_ALL;
        if ((stream->disposition & AV_DISPOSITION_ATTACHED_PIC) != 0 || !Describable(stream)) continue;
        const AVMediaType kind = stream->codecpar->codec_type;
        if (kind == AVMEDIA_TYPE_VIDEO && video == nullptr) video = stream;
        if (kind == AVMEDIA_TYPE_AUDIO && audio == nullptr) audio = stream;
    }
    for (AVStream* stream : {video, audio}) {
        if (stream == nullptr) continue;
        stream->discard = AVDISCARD_DEFAULT;
        streams_.push_back(stream);
    }
    if (streams_.empty()) {
        error = "\"" + path + "\" has no audio or video stream that can be read";
        return false;
    }
    queues_.resize(streams_.size());
    queuedBytes_.assign(streams_.size(), 0);
    lastRead_.assign(streams_.size(), std::chrono::steady_clock::time_point {});
    active_.assign(streams_.size(), false);
    readSinceSeek_.assign(streams_.size(), false);
    return true;
}

REFERENCE_TIME Demuxer::Duration() const {
    if (format_ == nullptr || format_->duration <= 0) return 0;
    return av_rescale(format_->duration, 10000000, AV_TIME_BASE);
}

REFERENCE_TIME Demuxer::TimeOf(int slot, std::int64_t ticks) const {
    const AVStream* stream = streams_[slot];
    std::int64_t origin = format_->start_time != AV_NOPTS_VALUE
                              ? av_rescale_q(format_->start_time, AV_TIME_BASE_Q, stream->time_base)
                              : 0;
    return av_rescale_q(ticks - origin, stream->time_base, AVRational {1, 10000000});
}

int Demuxer::SlotOf(int streamIndex) const {
    for (std::size_t i = 0; i < streams_.size(); ++i) {
        if (streams_[i]->index == streamIndex) return static_cast<int>(i);
    }
    return -1;
}

void Demuxer::SetActive(int slot, bool active) {
    std::lock_guard guard(lock_);
    active_[slot] = active;
    if (!active) DropQueue(slot);
    drained_.notify_all();
}

bool Demuxer::FarAhead(int slot) const {
    const auto now = std::chrono::steady_clock::now();
    for (std::size_t other = 0; other < queues_.size(); ++other) {
        if (static_cast<int>(other) != slot && active_[other] && queuedBytes_[other] >= kQueuedBytesAhead &&
            now - lastRead_[other] < kStalled) {
            return true;
        }
    }
    return false;
}

bool Demuxer::Read(int slot, AVPacket* packet) {
    std::unique_lock guard(lock_);
    readSinceSeek_[slot] = true;
    lastRead_[slot] = std::chrono::steady_clock::now();
    for (;;) {
        auto& queue = queues_[slot];
        if (!queue.empty()) {
            AVPacket* front = queue.front();
            queue.pop_front();
            queuedBytes_[slot] -= static_cast<std::size_t>(front->size);
            av_packet_move_ref(packet, front);
            av_packet_free(&front);
            drained_.notify_all();
            return true;
        }
        if (ended_) return false;
        if (FarAhead(slot)) {
            drained_.wait_for(guard, kWaitStep);
            continue;
        }
        const int read = av_read_frame(format_, packet);
        if (read < 0) {
            ended_ = true;
            return false;
        }
        const int owner = SlotOf(packet->stream_index);
        if (owner == slot) return true;
        if (owner >= 0 && active_[owner]) {
            auto& other = queues_[owner];
            if (other.size() >= kMaxQueued) {
                queuedBytes_[owner] -= static_cast<std::size_t>(other.front()->size);
                av_packet_free(&other.front());
                other.pop_front();
            }
            AVPacket* kept = av_packet_alloc();
            if (kept != nullptr) {
                av_packet_move_ref(kept, packet);
                queuedBytes_[owner] += static_cast<std::size_t>(kept->size);
                other.push_back(kept);
            }
        }
        av_packet_unref(packet);
    }
}

bool Demuxer::Seek(int slot, REFERENCE_TIME time) {
    std::lock_guard guard(lock_);
    if (time == lastSeek_ && !readSinceSeek_[slot]) return true;
    const std::int64_t origin = format_->start_time != AV_NOPTS_VALUE ? format_->start_time : 0;
    const std::int64_t target = origin + av_rescale(time, AV_TIME_BASE, 10000000);
    // A file whose index marks no key frame at or before the target (phone
    // files that do not mark their first picture, damaged indexes) is
    // positioned at the nearest picture instead, rather than left where
    // the reading stopped; one that cannot seek at all is read again from
    // its start, the pictures before the target arriving as preroll.
    const bool sought = avformat_seek_file(format_, -1, INT64_MIN, target, target, 0) >= 0 ||
                        av_seek_frame(format_, -1, target, AVSEEK_FLAG_BACKWARD) >= 0 ||
                        av_seek_frame(format_, -1, target, AVSEEK_FLAG_BACKWARD | AVSEEK_FLAG_ANY) >= 0 ||
                        Reopen();
    if (!sought) return false;
    DropQueues();
    drained_.notify_all();
    ended_ = false;
    lastSeek_ = time;
    readSinceSeek_.assign(streams_.size(), false);
    return true;
}

void Demuxer::DropQueue(std::size_t slot) {
    for (AVPacket*& packet : queues_[slot]) av_packet_free(&packet);
    queues_[slot].clear();
    queuedBytes_[slot] = 0;
}

void Demuxer::DropQueues() {
    for (std::size_t slot = 0; slot < queues_.size(); ++slot) DropQueue(slot);
}

}  // namespace movanta::dshow
