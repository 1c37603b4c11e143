// Filters whose output has their input's type: each sample is copied to
// the output buffer and then worked on there.
//
// Hooks: must CheckInputType and Process(data, bytes); may MinimumBuffer.
#pragma once

#include "dshow/transform.h"

class CCopyTransform : public CTransformFilter {
public:
    // The output type must equal the input's.
    HRESULT CheckTransform(const CMediaType* in, const CMediaType* out) override;
    // Offers the input's type.
    HRESULT GetMediaType(int position, CMediaType* type) override;
    // Buffers as large as upstream's, so any input sample fits.
    HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override;
    HRESULT Transform(IMediaSample* in, IMediaSample* out) override;

protected:
    using CTransformFilter::CTransformFilter;
    // Works on the copied bytes in place.
    virtual void Process(std::uint8_t* data, long bytes) = 0;
    virtual LONG MinimumBuffer() const { return 65536; }
};
