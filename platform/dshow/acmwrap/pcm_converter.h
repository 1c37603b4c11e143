// The audio format converter (the system's ACM wrapper): PCM in, PCM of
// another rate, channel count or sample size out, through libswresample.
// Its output pin offers, through IAMStreamConfig, every combination of 8
// or 16 bits, 1 or 2 channels and the rates 8000 to 48000 Hz; a format set
// there is the only one the pin then offers. Without one, the input's own
// format comes first, so the automatic connection can reach an input that
// wants any of the others.
#pragma once

#include <vector>

#include "dshow/transform.h"

struct SwrContext;

namespace movanta::dshow {

class CPcmConverter final : public CTransformFilter {
public:
    static CUnknown* CreateInstance(LPUNKNOWN outer, HRESULT* result);
    explicit CPcmConverter(LPUNKNOWN outer);
    ~CPcmConverter() override;

    HRESULT CheckInputType(const CMediaType* in) override;
    HRESULT CheckTransform(const CMediaType* in, const CMediaType* out) override;
    HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override;
    HRESULT GetMediaType(int position, CMediaType* type) override;
    HRESULT StartStreaming() override;
    HRESULT StopStreaming() override;
    HRESULT Receive(IMediaSample* sample) override;
    HRESULT EndFlush() override;

    // The capabilities: 2 sizes x 2 channel counts x 7 rates.
    static int CapabilityCount();
    // The PCM type of capability `index` (0 <= index < CapabilityCount()).
    static void CapabilityType(int index, CMediaType& type);

private:
    class ConfigurableOutput;
    friend class ConfigurableOutput;

    CMediaType m_chosen;  // set through IAMStreamConfig; GUID_NULL major when none
    SwrContext* m_resampler = nullptr;
    std::vector<std::uint8_t> m_pcm;
    REFERENCE_TIME m_next = 0;
};

}  // namespace movanta::dshow
