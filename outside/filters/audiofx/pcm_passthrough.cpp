#include "pcm_passthrough.h"

namespace movanta::outside {

HRESULT CPcmPassThrough::CheckInputType(const CMediaType* in) {
    if (in == nullptr) return E_POINTER;
    const WAVEFORMATEX* format = WaveFormatOf(*in);
    return in->majortype == MEDIATYPE_Audio && in->subtype == MEDIASUBTYPE_PCM && format != nullptr &&
                   format->nChannels > 0 && (format->wBitsPerSample == 8 || format->wBitsPerSample == 16)
               ? S_OK
               : VFW_E_TYPE_NOT_ACCEPTED;
}

void CPcmPassThrough::Process(std::uint8_t* data, long bytes) {
    ProcessPcm(data, bytes, *WaveFormatOf(InputPin()->CurrentMediaType()));
}

}  // namespace movanta::outside
