#include "dshow/copy_transform.h"

#include <algorithm>
#include <cstring>

HRESULT CCopyTransform::CheckTransform(const CMediaType* in, const CMediaType* out) {
    if (in == nullptr || out == nullptr) return E_POINTER;
    return SUCCEEDED(CheckInputType(in)) && *in == *out ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CCopyTransform::GetMediaType(int position, CMediaType* type) {
    if (!InputPin()->IsConnected()) return E_UNEXPECTED;
    if (position < 0) return E_INVALIDARG;
    if (position > 0) return VFW_S_NO_MORE_ITEMS;
    if (type == nullptr) return E_POINTER;
    return type->Set(InputPin()->CurrentMediaType());
}

HRESULT CCopyTransform::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) {
    if (allocator == nullptr || request == nullptr) return E_POINTER;
    if (!InputPin()->IsConnected()) return E_UNEXPECTED;
    LONG size = MinimumBuffer();
    IMemAllocator* upstream = nullptr;
    if (SUCCEEDED(InputPin()->GetAllocator(&upstream))) {
        ALLOCATOR_PROPERTIES properties {};
        if (SUCCEEDED(upstream->GetProperties(&properties))) size = std::max(size, properties.cbBuffer);
        upstream->Release();
    }
    return RequestAtLeast(allocator, request, 2, size);
}

HRESULT CCopyTransform::Transform(IMediaSample* in, IMediaSample* out) {
    BYTE* source = nullptr;
    BYTE* target = nullptr;
    if (FAILED(in->GetPointer(&source)) || FAILED(out->GetPointer(&target))) return E_UNEXPECTED;
    const long bytes = std::max<long>(in->GetActualDataLength(), 0);
    if (bytes > out->GetSize()) return VFW_E_BUFFER_OVERFLOW;
    std::memcpy(target, source, static_cast<size_t>(bytes));
    out->SetActualDataLength(bytes);
    Process(target, bytes);
    return S_OK;
}
