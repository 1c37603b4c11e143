#include "pcm_passthrough.h"

#include <algorithm>
#include <cstring>

namespace movanta::outside {
namespace {

const WAVEFORMATEX* WaveFormat(const CMediaType& type) {
    if (type.formattype != FORMAT_WaveFormatEx || type.FormatLength() < sizeof(WAVEFORMATEX)) return nullptr;
    return reinterpret_cast<const WAVEFORMATEX*>(type.Format());
}

constexpr LONG kMinBuffer = 65536;

}  // namespace

HRESULT CPcmPassThrough::CheckInputType(const CMediaType* in) {
    if (in == nullptr) return E_POINTER;
    const WAVEFORMATEX* format = WaveFormat(*in);
    return in->majortype == MEDIATYPE_Audio && in->subtype == MEDIASUBTYPE_PCM && format != nullptr &&
                   format->nChannels > 0 && (format->wBitsPerSample == 8 || format->wBitsPerSample == 16)
               ? S_OK
               : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CPcmPassThrough::CheckTransform(const CMediaType* in, const CMediaType* out) {
    if (in == nullptr || out == nullptr) return E_POINTER;
    return SUCCEEDED(CheckInputType(in)) && *in == *out ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CPcmPassThrough::GetMediaType(int position, CMediaType* type) {
    if (!InputPin()->IsConnected()) return E_UNEXPECTED;
    if (position < 0) return E_INVALIDARG;
    if (position > 0) return VFW_S_NO_MORE_ITEMS;
    if (type == nullptr) return E_POINTER;
    return type->Set(InputPin()->CurrentMediaType());
}

HRESULT CPcmPassThrough::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) {
    if (allocator == nullptr || request == nullptr) return E_POINTER;
    if (!InputPin()->IsConnected()) return E_UNEXPECTED;
    // Every input buffer fits in one output buffer.
    LONG size = kMinBuffer;
    IMemAllocator* upstream = nullptr;
    if (SUCCEEDED(InputPin()->GetAllocator(&upstream))) {
        ALLOCATOR_PROPERTIES properties {};
        if (SUCCEEDED(upstream->GetProperties(&properties))) size = std::max(size, properties.cbBuffer);
        upstream->Release();
    }
    request->cBuffers = std::max<LONG>(request->cBuffers, 4);
    request->cbBuffer = std::max(request->cbBuffer, size);
    request->cbAlign = std::max<LONG>(request->cbAlign, 1);
    ALLOCATOR_PROPERTIES actual {};
    const HRESULT hr = allocator->SetProperties(request, &actual);
    if (FAILED(hr)) return hr;
    return actual.cbBuffer < size ? E_FAIL : S_OK;
}

HRESULT CPcmPassThrough::Transform(IMediaSample* in, IMediaSample* out) {
    BYTE* source = nullptr;
    BYTE* target = nullptr;
    if (FAILED(in->GetPointer(&source)) || FAILED(out->GetPointer(&target))) return E_UNEXPECTED;
    const long bytes = in->GetActualDataLength();
    if (bytes > out->GetSize()) return VFW_E_BUFFER_OVERFLOW;
    std::memcpy(target, source, static_cast<size_t>(std::max(bytes, 0L)));
    out->SetActualDataLength(bytes);
    Process(target, bytes, *WaveFormat(InputPin()->CurrentMediaType()));
    return S_OK;
}

}  // namespace movanta::outside
