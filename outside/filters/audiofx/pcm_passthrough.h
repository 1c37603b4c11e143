// Filters that pass 8- or 16-bit PCM through unchanged in format, working
// on each buffer in place after it is copied to the output.
#pragma once

#include "dshow/transform.h"

namespace movanta::outside {

class CPcmPassThrough : public CTransformFilter {
public:
    HRESULT CheckInputType(const CMediaType* in) override;
    HRESULT CheckTransform(const CMediaType* in, const CMediaType* out) override;
    HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override;
    HRESULT GetMediaType(int position, CMediaType* type) override;
    HRESULT Transform(IMediaSample* in, IMediaSample* out) override;

protected:
    using CTransformFilter::CTransformFilter;
    // Works on `bytes` of PCM of `format` in place.
    virtual void Process(std::uint8_t* pcm, long bytes, const WAVEFORMATEX& format) = 0;
};

}  // namespace movanta::outside
