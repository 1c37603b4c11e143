// CTxResample: drops frames that come out of time order or faster than a
// target rate, turns YV12, YUY2 or RGB24 pictures into planar 4:2:0, scales
// them to the destination size and delivers YV12 or RGB24.
#pragma once

#include <atomic>
#include <vector>

#include "dshow/transform.h"
#include "filters/scaler/txresample.h"
#include "picture_scaler.h"

namespace movanta::scaler {

class CTxResample final : public CTransformFilter {
public:
    static CUnknown* CreateInstance(LPUNKNOWN outer, HRESULT* result);
    explicit CTxResample(LPUNKNOWN outer);

    HRESULT NonDelegatingQueryInterface(REFIID iid, void** object) override;
    HRESULT Transform(IMediaSample* in, IMediaSample* out) override;
    HRESULT CheckInputType(const CMediaType* in) override;
    HRESULT CheckTransform(const CMediaType* in, const CMediaType* out) override;
    HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override;
    HRESULT GetMediaType(int position, CMediaType* type) override;
    HRESULT StartStreaming() override;
    HRESULT StopStreaming() override;
    // A flush (a seek) starts the time order and the rate limit afresh.
    HRESULT EndFlush() override;

private:
    class Resample final : public CNestedInterface<ITxResample> {
    public:
        explicit Resample(CTxResample& filter) : CNestedInterface(filter), filter_(filter) {}
        HRESULT GetSrcResulotion(int* width, int* height) override;
        HRESULT SetDstResulotion(int width, int height, int mode) override;
        HRESULT SetDstFramerate(float fps) override;
        HRESULT StartConvert() override;

    private:
        CTxResample& filter_;
    };

    static bool ChkPerformInputType(const CMediaType* type);
    // Takes the source size from the connected input's format; false for a
    // format without a video header.
    bool CaptureSourceSize();
    // Without a destination size, the source size at 40 frames a second
    // (a source larger than a destination may be: the largest size of its
    // shape that is allowed); false when no size of that shape is allowed.
    bool UseSourceSizeIfUnset();
    // The pictures' interval out: the rate limit's, or the source's when slower.
    REFERENCE_TIME OutputInterval();
    // 12 for a YV12 output, 24 for RGB24, 0 for anything else.
    int OutputBitCount();
    // The ordering and rate tests: false drops the frame.
    bool PassesTiming(IMediaSample* in);
    // Points `planes` at the input picture as 4:2:0, converting YUY2 and
    // RGB24 into the planar work buffer. False drops the frame (an unknown
    // subtype, or a sample shorter than its format promises).
    bool SourcePlanes(IMediaSample* in, Planes& planes, long& available);
    // Writes the destination size as YV12 (Y, V, U) at `target`; false when
    // nothing could be written.
    bool DoVideoResample(int mode, const Planes& source, long available, std::uint8_t* target, long capacity);
    void ResetTiming();

    int m_srcWidth = 320;
    int m_srcHeight = 240;
    int m_nDstWidth = -1;
    int m_nDstHeight = -1;
    long m_srcWorkSize = 0;
    std::vector<std::uint8_t> m_planar;
    std::vector<std::uint8_t> m_rgbWork;
    CMediaType m_outputType;
    int m_maxPosition = 1;
    std::atomic<int> m_mode {1};
    float m_fps = 0.0f;
    std::atomic<REFERENCE_TIME> m_interval {0};
    REFERENCE_TIME m_nextDue = 0;
    std::atomic<int> m_converting {1};
    REFERENCE_TIME m_lastStart = kNoStart;
    PictureScaler m_scaler;
    Resample m_resample {*this};

    static constexpr REFERENCE_TIME kNoStart = -100000000;  // -10 s: before any frame
    // The destination sides SetDstResulotion takes.
    static constexpr int kMinSide = 8;
    static constexpr int kMaxSide = 3072;
};

}  // namespace movanta::scaler
