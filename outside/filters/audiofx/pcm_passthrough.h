// Filters that pass 8- or 16-bit PCM through unchanged in format, working
// on each buffer in place after it is copied to the output.
#pragma once

#include "dshow/copy_transform.h"

namespace movanta::outside {

class CPcmPassThrough : public CCopyTransform {
public:
    HRESULT CheckInputType(const CMediaType* in) override;

protected:
    using CCopyTransform::CCopyTransform;
    // Works on `bytes` of PCM of `format` in place.
    virtual void ProcessPcm(std::uint8_t* pcm, long bytes, const WAVEFORMATEX& format) = 0;

private:
    void Process(std::uint8_t* data, long bytes) override;
};

}  // namespace movanta::outside
