#include "dshow/allocator.h"

#include <algorithm>

#include <cstdlib>
#include <new>

#include "com/comapi.h"

// --- CMediaSample

CMediaSample::CMediaSample(LPCWSTR, CBaseAllocator* allocator, HRESULT* result, BYTE* buffer, LONG length)
    : m_pBuffer(buffer), m_cbBuffer(length), m_pAllocator(allocator) {
    if (allocator == nullptr && result != nullptr) *result = E_POINTER;
}

CMediaSample::~CMediaSample() {
    DeleteMediaType(m_pMediaType);
}

HRESULT CMediaSample::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (iid == IID_IMediaSample || iid == IID_IUnknown) return GetInterface(this, object);
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG CMediaSample::AddRef() {
    return static_cast<ULONG>(++m_cRef);
}

ULONG CMediaSample::Release() {
    const LONG count = --m_cRef;
    if (count == 0) {
        ResetProperties();
        m_pAllocator->ReleaseBuffer(this);  // may delete this sample
    }
    return static_cast<ULONG>(count);
}

void CMediaSample::ResetProperties() {
    m_dwFlags = 0;
    m_lActual = m_cbBuffer;
    DeleteMediaType(m_pMediaType);
    m_pMediaType = nullptr;
}

HRESULT CMediaSample::SetPointer(BYTE* buffer, LONG length) {
    if (length < 0) return VFW_E_BUFFER_OVERFLOW;
    m_pBuffer = buffer;
    m_cbBuffer = length;
    m_lActual = length;
    return S_OK;
}

HRESULT CMediaSample::GetPointer(BYTE** buffer) {
    if (buffer == nullptr) return E_POINTER;
    *buffer = m_pBuffer;
    return m_pBuffer == nullptr ? VFW_E_BUFFER_NOTSET : S_OK;
}

LONG CMediaSample::GetSize() {
    return m_cbBuffer;
}

HRESULT CMediaSample::GetTime(REFERENCE_TIME* start, REFERENCE_TIME* end) {
    if ((m_dwFlags & Sample_TimeValid) == 0) return VFW_E_SAMPLE_TIME_NOT_SET;
    if (start == nullptr || end == nullptr) return E_POINTER;
    *start = m_Start;
    if ((m_dwFlags & Sample_StopValid) == 0) {
        *end = m_Start + 1;
        return VFW_S_NO_STOP_TIME;
    }
    *end = m_End;
    return S_OK;
}

HRESULT CMediaSample::SetTime(REFERENCE_TIME* start, REFERENCE_TIME* end) {
    if (start == nullptr) {
        m_dwFlags &= ~(Sample_TimeValid | Sample_StopValid);
        return S_OK;
    }
    m_Start = *start;
    m_dwFlags |= Sample_TimeValid;
    if (end != nullptr) {
        m_End = *end;
        m_dwFlags |= Sample_StopValid;
    } else {
        m_dwFlags &= ~Sample_StopValid;
    }
    return S_OK;
}

HRESULT CMediaSample::IsSyncPoint() {
    return (m_dwFlags & Sample_SyncPoint) ? S_OK : S_FALSE;
}

HRESULT CMediaSample::SetSyncPoint(BOOL sync) {
    m_dwFlags = sync ? (m_dwFlags | Sample_SyncPoint) : (m_dwFlags & ~Sample_SyncPoint);
    return S_OK;
}

HRESULT CMediaSample::IsPreroll() {
    return (m_dwFlags & Sample_Preroll) ? S_OK : S_FALSE;
}

HRESULT CMediaSample::SetPreroll(BOOL preroll) {
    m_dwFlags = preroll ? (m_dwFlags | Sample_Preroll) : (m_dwFlags & ~Sample_Preroll);
    return S_OK;
}

LONG CMediaSample::GetActualDataLength() {
    return m_lActual;
}

HRESULT CMediaSample::SetActualDataLength(LONG length) {
    if (length < 0 || length > m_cbBuffer) return VFW_E_BUFFER_OVERFLOW;
    m_lActual = length;
    return S_OK;
}

HRESULT CMediaSample::GetMediaType(AM_MEDIA_TYPE** type) {
    if (type == nullptr) return E_POINTER;
    if ((m_dwFlags & Sample_TypeChanged) == 0 || m_pMediaType == nullptr) {
        *type = nullptr;
        return S_FALSE;
    }
    *type = CreateMediaType(m_pMediaType);
    return *type == nullptr ? E_OUTOFMEMORY : S_OK;
}

HRESULT CMediaSample::SetMediaType(AM_MEDIA_TYPE* type) {
    DeleteMediaType(m_pMediaType);
    m_pMediaType = nullptr;
    if (type == nullptr) {
        m_dwFlags &= ~Sample_TypeChanged;
        return S_OK;
    }
    m_pMediaType = CreateMediaType(type);
    if (m_pMediaType == nullptr) {
        m_dwFlags &= ~Sample_TypeChanged;
        return E_OUTOFMEMORY;
    }
    m_dwFlags |= Sample_TypeChanged;
    return S_OK;
}

HRESULT CMediaSample::IsDiscontinuity() {
    return (m_dwFlags & Sample_Discontinuity) ? S_OK : S_FALSE;
}

HRESULT CMediaSample::SetDiscontinuity(BOOL discontinuity) {
    m_dwFlags = discontinuity ? (m_dwFlags | Sample_Discontinuity) : (m_dwFlags & ~Sample_Discontinuity);
    return S_OK;
}

HRESULT CMediaSample::GetMediaTime(LONGLONG* start, LONGLONG* end) {
    if (start == nullptr || end == nullptr) return E_POINTER;
    if ((m_dwFlags & Sample_MediaTimeValid) == 0) return VFW_E_MEDIA_TIME_NOT_SET;
    *start = m_MediaStart;
    *end = m_MediaEnd;
    return S_OK;
}

HRESULT CMediaSample::SetMediaTime(LONGLONG* start, LONGLONG* end) {
    if (start == nullptr) {
        m_dwFlags &= ~Sample_MediaTimeValid;
        return S_OK;
    }
    if (end == nullptr) return E_POINTER;
    m_MediaStart = *start;
    m_MediaEnd = *end;
    m_dwFlags |= Sample_MediaTimeValid;
    return S_OK;
}

// --- CBaseAllocator

CBaseAllocator::CBaseAllocator(LPCWSTR name, LPUNKNOWN outer, HRESULT*) : CUnknown(name, outer) {}

CBaseAllocator::~CBaseAllocator() = default;

HRESULT CBaseAllocator::NonDelegatingQueryInterface(REFIID iid, void** object) {
    if (iid == IID_IMemAllocator) return GetInterface(static_cast<IMemAllocator*>(this), object);
    return CUnknown::NonDelegatingQueryInterface(iid, object);
}

HRESULT CBaseAllocator::SetProperties(ALLOCATOR_PROPERTIES* request, ALLOCATOR_PROPERTIES* actual) {
    if (request == nullptr || actual == nullptr) return E_POINTER;
    std::lock_guard guard(m_lock);
    if (m_bCommitted) return VFW_E_ALREADY_COMMITTED;
    if (m_lAllocated != static_cast<LONG>(m_free.size())) return VFW_E_BUFFERS_OUTSTANDING;
    if (request->cBuffers <= 0 || request->cbBuffer <= 0 || request->cbPrefix < 0) return E_INVALIDARG;
    const LONG alignment = request->cbAlign <= 0 ? 1 : request->cbAlign;
    if ((alignment & (alignment - 1)) != 0) return VFW_E_BADALIGN;
    *actual = {request->cBuffers, request->cbBuffer, alignment, request->cbPrefix};
    m_bChanged = true;
    m_lCount = actual->cBuffers;
    m_lSize = actual->cbBuffer;
    m_lAlignment = alignment;
    m_lPrefix = actual->cbPrefix;
    return S_OK;
}

HRESULT CBaseAllocator::GetProperties(ALLOCATOR_PROPERTIES* properties) {
    if (properties == nullptr) return E_POINTER;
    std::lock_guard guard(m_lock);
    *properties = {m_lCount, m_lSize, m_lAlignment, m_lPrefix};
    return S_OK;
}

HRESULT CBaseAllocator::Commit() {
    std::lock_guard guard(m_lock);
    if (m_bCommitted) return S_OK;
    if (m_lSize <= 0) return VFW_E_SIZENOTSET;
    m_bDecommitInProgress = false;
    if (m_lAllocated == 0 || m_bChanged) {
        if (m_lAllocated != 0) {
            if (m_lAllocated != static_cast<LONG>(m_free.size())) return VFW_E_BUFFERS_OUTSTANDING;
            Free();
            m_lAllocated = 0;
        }
        const HRESULT hr = Alloc();
        if (FAILED(hr)) return hr;
        m_bChanged = false;
    }
    m_bCommitted = true;
    return S_OK;
}

HRESULT CBaseAllocator::Decommit() {
    {
        std::lock_guard guard(m_lock);
        if (!m_bCommitted) return S_OK;
        m_bCommitted = false;
        if (m_lAllocated == static_cast<LONG>(m_free.size())) {
            Free();
            m_lAllocated = 0;
        } else {
            m_bDecommitInProgress = true;
        }
    }
    m_freed.notify_all();
    return S_OK;
}

HRESULT CBaseAllocator::GetBuffer(IMediaSample** sample, REFERENCE_TIME*, REFERENCE_TIME*, DWORD flags) {
    if (sample == nullptr) return E_POINTER;
    *sample = nullptr;
    CMediaSample* taken = nullptr;
    {
        std::unique_lock lock(m_lock);
        for (;;) {
            if (!m_bCommitted) return VFW_E_NOT_COMMITTED;
            if (!m_free.empty()) break;
            if (flags & AM_GBF_NOWAIT) return VFW_E_TIMEOUT;
            m_freed.wait(lock);
        }
        taken = m_free.back();
        m_free.pop_back();
    }
    AddRef();  // released when the sample comes back
    taken->AddRef();
    *sample = taken;
    return S_OK;
}

HRESULT CBaseAllocator::ReleaseBuffer(IMediaSample* sample) {
    if (sample == nullptr) return E_POINTER;
    {
        std::lock_guard guard(m_lock);
        m_free.push_back(static_cast<CMediaSample*>(sample));
        if (m_bDecommitInProgress && m_lAllocated == static_cast<LONG>(m_free.size())) {
            Free();
            m_lAllocated = 0;
            m_bDecommitInProgress = false;
        }
    }
    m_freed.notify_all();
    Release();
    return S_OK;
}

// --- CMemAllocator

CMemAllocator::CMemAllocator(LPCWSTR name, LPUNKNOWN outer, HRESULT* result) : CBaseAllocator(name, outer, result) {}

CMemAllocator::~CMemAllocator() {
    std::lock_guard guard(m_lock);
    if (m_lAllocated != 0) Free();
}

CUnknown* CMemAllocator::CreateInstance(LPUNKNOWN outer, HRESULT* result) {
    return NewComObject<CMemAllocator>(result, L"CMemAllocator", outer, result);
}

HRESULT CMemAllocator::SetProperties(ALLOCATOR_PROPERTIES* request, ALLOCATOR_PROPERTIES* actual) {
    if (request == nullptr || actual == nullptr) return E_POINTER;
    ALLOCATOR_PROPERTIES rounded = *request;
    const LONG alignment = rounded.cbAlign <= 0 ? 1 : rounded.cbAlign;
    if ((alignment & (alignment - 1)) == 0) {
        // Round prefix plus buffer up to the alignment, giving the extra to the buffer.
        const LONG total = (rounded.cbBuffer + rounded.cbPrefix + alignment - 1) & ~(alignment - 1);
        rounded.cbBuffer = total - rounded.cbPrefix;
    }
    return CBaseAllocator::SetProperties(&rounded, actual);
}

HRESULT CMemAllocator::Alloc() {
    const size_t alignment = m_lAlignment < 16 ? 16 : static_cast<size_t>(m_lAlignment);
    const size_t each = static_cast<size_t>(m_lSize) + static_cast<size_t>(m_lPrefix);
    const size_t total = ((each * static_cast<size_t>(m_lCount) + alignment - 1) / alignment) * alignment;
    m_pBuffer = static_cast<BYTE*>(std::aligned_alloc(alignment, total));
    if (m_pBuffer == nullptr) return E_OUTOFMEMORY;
    for (LONG i = 0; i < m_lCount; ++i) {
        HRESULT hr = S_OK;
        auto* sample = new (std::nothrow) CMediaSample(L"Sample", this, &hr, m_pBuffer + each * i + m_lPrefix, m_lSize);
        if (sample == nullptr) {
            m_lAllocated = static_cast<LONG>(m_free.size());
            Free();
            m_lAllocated = 0;
            return E_OUTOFMEMORY;
        }
        m_free.push_back(sample);
    }
    m_lAllocated = m_lCount;
    return S_OK;
}

void CMemAllocator::Free() {
    for (CMediaSample* sample : m_free) delete sample;
    m_free.clear();
    ReallyFree();
}

void CMemAllocator::ReallyFree() {
    std::free(m_pBuffer);
    m_pBuffer = nullptr;
}

HRESULT SetAllocatorProperties(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) {
    ALLOCATOR_PROPERTIES actual {};
    const HRESULT hr = allocator->SetProperties(request, &actual);
    if (FAILED(hr)) return hr;
    return actual.cBuffers < request->cBuffers || actual.cbBuffer < request->cbBuffer ? E_FAIL : S_OK;
}

HRESULT RequestAtLeast(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request, LONG buffers, LONG size) {
    request->cBuffers = std::max(request->cBuffers, buffers);
    request->cbBuffer = std::max(request->cbBuffer, size);
    request->cbAlign = std::max<LONG>(request->cbAlign, 1);
    return SetAllocatorProperties(allocator, request);
}
