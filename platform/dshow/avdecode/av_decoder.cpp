#include "av_decoder.h"

#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include "av_media_type.h"

namespace movanta::dshow {

AvDecoder::AvDecoder() : packet_(av_packet_alloc()) {}

AvDecoder::~AvDecoder() {
    Close();
    av_packet_free(&packet_);
}

bool AvDecoder::Open(const CMediaType& type, int threads) {
    Close();
    AVCodecParameters* parameters = avcodec_parameters_alloc();
    if (parameters == nullptr || !CodecOfMediaType(type, parameters)) {
        avcodec_parameters_free(&parameters);
        return false;
    }
    const AVCodec* codec = avcodec_find_decoder(parameters->codec_id);
    context_ = codec != nullptr ? avcodec_alloc_context3(codec) : nullptr;
    bool opened = context_ != nullptr && avcodec_parameters_to_context(context_, parameters) >= 0;
    avcodec_parameters_free(&parameters);
    if (opened) {
        context_->pkt_timebase = {1, 10000000};
        if (threads > 1) {
            context_->thread_count = threads;
            context_->thread_type = FF_THREAD_SLICE | FF_THREAD_FRAME;
        }
        opened = avcodec_open2(context_, codec, nullptr) >= 0;
    }
    if (!opened) Close();
    return opened;
}

void AvDecoder::Close() {
    avcodec_free_context(&context_);
}

bool AvDecoder::Send(IMediaSample* sample) {
    if (context_ == nullptr || packet_ == nullptr) return false;
    BYTE* data = nullptr;
    const long length = sample->GetActualDataLength();
    if (FAILED(sample->GetPointer(&data)) || length <= 0) return false;
    if (av_new_packet(packet_, static_cast<int>(length)) < 0) return false;
    std::memcpy(packet_->data, data, static_cast<size_t>(length));
    REFERENCE_TIME start = 0;
    REFERENCE_TIME stop = 0;
    packet_->pts = SUCCEEDED(sample->GetTime(&start, &stop)) ? start : AV_NOPTS_VALUE;
    if (sample->IsSyncPoint() == S_OK) packet_->flags |= AV_PKT_FLAG_KEY;
    const int sent = avcodec_send_packet(context_, packet_);
    av_packet_unref(packet_);
    return sent >= 0;
}

void AvDecoder::SendEnd() {
    if (context_ != nullptr) avcodec_send_packet(context_, nullptr);
}

bool AvDecoder::Receive(AVFrame* frame) {
    return context_ != nullptr && avcodec_receive_frame(context_, frame) >= 0;
}

void AvDecoder::Flush() {
    if (context_ != nullptr) avcodec_flush_buffers(context_);
}

}  // namespace movanta::dshow
