#include "pcm_delivery.h"

#include <algorithm>
#include <cstring>

namespace movanta::dshow {

HRESULT DeliverPcm(CBaseOutputPin& pin, IMemAllocator* allocator, const PcmShape& shape, const std::uint8_t* pcm,
                   long bytes, REFERENCE_TIME start) {
    if (allocator == nullptr) return VFW_E_NO_ALLOCATOR;
    const long block = shape.blockBytes;
    const auto timeOf = [&](long offset) {
        return start + static_cast<REFERENCE_TIME>(offset / block) * 10000000 / shape.rate;
    };
    long offset = 0;
    while (offset < bytes) {
        IMediaSample* out = nullptr;
        HRESULT hr = allocator->GetBuffer(&out, nullptr, nullptr, 0);
        if (FAILED(hr)) return hr;
        BYTE* target = nullptr;
        out->GetPointer(&target);
        const long chunk = std::min<long>(bytes - offset, out->GetSize() / block * block);
        if (chunk <= 0) {
            out->Release();
            return VFW_E_BUFFER_OVERFLOW;
        }
        std::memcpy(target, pcm + offset, static_cast<size_t>(chunk));
        REFERENCE_TIME from = timeOf(offset);
        REFERENCE_TIME to = timeOf(offset + chunk);
        out->SetActualDataLength(chunk);
        out->SetTime(&from, &to);
        out->SetSyncPoint(TRUE);
        offset += chunk;
        hr = pin.Deliver(out);
        out->Release();
        if (hr != S_OK) return hr;
    }
    return S_OK;
}

}  // namespace movanta::dshow
