// CTxFFMpegEnc: uncompressed YV12 or YUY2 frames in, one H.263 picture out
// per frame, in the smallest standard picture that holds the input.
#pragma once

#include <atomic>
#include <vector>

#include "dshow/transform.h"
#include "ffmpeg_enc.h"
#include "filters/videoenc/txffmpegenc.h"
#include "frame_layout.h"

namespace movanta::videoenc {

class CTxFFMpegEnc final : public CTransformFilter {
public:
    static CUnknown* CreateInstance(LPUNKNOWN outer, HRESULT* result);
    explicit CTxFFMpegEnc(LPUNKNOWN outer);

    HRESULT NonDelegatingQueryInterface(REFIID iid, void** object) override;
    HRESULT Transform(IMediaSample* in, IMediaSample* out) override;
    HRESULT CheckInputType(const CMediaType* in) override;
    HRESULT CheckTransform(const CMediaType* in, const CMediaType* out) override;
    HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override;
    HRESULT GetMediaType(int position, CMediaType* type) override;
    HRESULT StartStreaming() override;
    HRESULT StopStreaming() override;
    // The pictures coded before a flush are thrown away downstream: the
    // next one is coded intra, so the stream can be decoded from it.
    HRESULT EndFlush() override;

private:
    class TxInterface final : public CNestedInterface<ITxFFMpegEnc> {
    public:
        explicit TxInterface(CTxFFMpegEnc& filter) : CNestedInterface(filter), filter_(filter) {}
        HRESULT GetInputSize(int* width, int* height) override;
        HRESULT GetBitrate(int* bitsPerSecond) override;
        HRESULT SetBitrate(int bitsPerSecond) override;
        HRESULT GetEncOption(int* value) override;
        HRESULT SetEncOption(int value) override;

    private:
        CTxFFMpegEnc& filter_;
    };

    static bool IsAcceptedInput(const CMediaType* type);
    void SetOutputHeader(int width, int height);
    // Opens the encoder at `rate` frames a second; false (with a trace)
    // when libavcodec cannot open it.
    bool OpenEncoder(int rate);

    CFFMpegEnc m_FFMpegEnc;
    int m_inputWidth = 0;
    int m_inputHeight = 0;
    FrameLayout m_layout;
    CMediaType m_outputType;
    std::vector<std::uint8_t> m_frame;
    int m_bitrate = 128000;
    int m_encOption = 1;
    bool m_yuy2 = false;
    // The input declared no frame rate: the encoder opens at the first
    // frame, at the rate that frame's own length gives.
    bool m_openAtFirstFrame = false;
    std::atomic<bool> m_intraNext {false};
    TxInterface m_interface {*this};
};

}  // namespace movanta::videoenc
