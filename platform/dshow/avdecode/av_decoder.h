// One libavcodec decoder opened from a media type, fed with samples whose
// start times become the packets' time stamps (in 100 ns units).
#pragma once

#include "dshow/interfaces.h"
#include "dshow/mediatype.h"

struct AVCodecContext;
struct AVFrame;
struct AVPacket;

namespace movanta::dshow {

class AvDecoder {
public:
    AvDecoder();
    ~AvDecoder();
    AvDecoder(const AvDecoder&) = delete;
    AvDecoder& operator=(const AvDecoder&) = delete;

    // Opens the codec the type names, decoding on `threads` threads (frame
    // and slice threads when more than one).
    bool Open(const CMediaType& type, int threads);
    void Close();
    bool IsOpen() const { return context_ != nullptr; }
    AVCodecContext* Context() const { return context_; }

    // Hands the sample's bytes to the codec. False on a damaged packet,
    // which is skipped.
    bool Send(IMediaSample* sample);
    // Tells the codec that no more input comes, so it gives what it holds.
    void SendEnd();
    // The next decoded frame; false when the codec needs more input.
    bool Receive(AVFrame* frame);
    // Forgets everything held (a seek).
    void Flush();

private:
    AVCodecContext* context_ = nullptr;
    AVPacket* packet_ = nullptr;
};

}  // namespace movanta::dshow
