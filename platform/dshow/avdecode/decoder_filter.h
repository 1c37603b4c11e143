// What the video and audio decoders share: a libavcodec decoder fed from
// the input pin, drained at the end of the stream and emptied by a flush.
#pragma once

#include "av_decoder.h"
#include "dshow/transform.h"

namespace movanta::dshow {

class CAvDecoderFilter : public CTransformFilter {
public:
    // Decodes the sample and delivers what comes out; a damaged packet is
    // skipped.
    HRESULT Receive(IMediaSample* sample) override;
    // Delivers what the codec still holds, then ends the stream downstream.
    HRESULT EndOfStream() override;
    HRESULT EndFlush() override;

protected:
    using CTransformFilter::CTransformFilter;
    // Delivers every decoded frame the codec has ready.
    virtual HRESULT DeliverFrames() = 0;
    // Called under the receive lock when a flush ends.
    virtual void OnFlush() {}
    // Called with each sample before the codec gets it.
    virtual void BeforeDecoding(IMediaSample*) {}
    // Called at the end of the stream once the last frames were handed on,
    // before the end goes downstream: they must have reached it.
    virtual void FinishDelivery() {}

    AvDecoder m_decoder;
};

}  // namespace movanta::dshow
