// CTxFFMpegDec: H.263 pictures in, uncompressed YV12, YUY2 or RGB24 out at
// the coded size, through libavcodec. A format change that a downstream
// filter attaches to an output sample switches the layout from that sample
// on; preroll samples are decoded but not delivered.
#pragma once

#include "dshow/videotransform.h"
#include "ffmpeg_dec.h"
#include "filters/videodec/txffmpegdec.h"
#include "picture_out.h"

namespace movanta::videodec {

class CTxFFMpegDec final : public CVideoTransformFilter {
public:
    static CUnknown* CreateInstance(LPUNKNOWN outer, HRESULT* result);
    explicit CTxFFMpegDec(LPUNKNOWN outer);

    HRESULT NonDelegatingQueryInterface(REFIID iid, void** object) override;
    HRESULT Transform(IMediaSample* in, IMediaSample* out) override;
    HRESULT CheckInputType(const CMediaType* in) override;
    HRESULT CheckTransform(const CMediaType* in, const CMediaType* out) override;
    HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override;
    HRESULT GetMediaType(int position, CMediaType* type) override;
    HRESULT StartStreaming() override;
    HRESULT StopStreaming() override;
    HRESULT SetMediaType(PIN_DIRECTION direction, const CMediaType* type) override;

private:
    class TxInterface final : public CNestedInterface<ITxFFMpegDec> {
    public:
        explicit TxInterface(CTxFFMpegDec& filter) : CNestedInterface(filter), filter_(filter) {}
        HRESULT GetInputSize(int* width, int* height) override;
        HRESULT GetBitrate(int* bitsPerSecond) override;
        HRESULT GetEncOption(int* value) override;

    private:
        CTxFFMpegDec& filter_;
    };

    static bool IsAcceptedInput(const CMediaType& type);
    // Takes the layout and strides of an output type; S_FALSE refuses it.
    HRESULT ConfigureOutput(const CMediaType& type);

    CFFMpegDec m_decoder;
    int m_inputWidth = 176;
    int m_inputHeight = 144;
    int m_outputWidth = 176;
    int m_outputHeight = 144;
    bool m_decoderOpen = false;
    OutputShape m_output;
    TxInterface m_interface {*this};
};

}  // namespace movanta::videodec
