// Media samples and allocators.
//
// A sample is a buffer with times and flags. Its reference count belongs to
// whoever holds it; when the last reference goes, the sample returns to its
// allocator's free list. Every sample handed out holds a reference on its
// allocator, so an allocator outlives its outstanding samples.
//
// Commit makes buffers available; Decommit makes every waiting and later
// GetBuffer fail with VFW_E_NOT_COMMITTED, so a streaming thread blocked in
// GetBuffer is released when the graph stops. The memory itself is freed when
// the last outstanding sample comes back.
#pragma once

#include <condition_variable>
#include <mutex>
#include <vector>

#include "dshow/interfaces.h"
#include "dshow/mediatype.h"

class CBaseAllocator;

class CMediaSample : public IMediaSample {
public:
    CMediaSample(LPCWSTR name, CBaseAllocator* allocator, HRESULT* result, BYTE* buffer = nullptr, LONG length = 0);
    virtual ~CMediaSample();
    CMediaSample(const CMediaSample&) = delete;
    CMediaSample& operator=(const CMediaSample&) = delete;

    HRESULT QueryInterface(REFIID iid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT SetPointer(BYTE* buffer, LONG length);
    HRESULT GetPointer(BYTE** buffer) override;
    LONG GetSize() override;
    HRESULT GetTime(REFERENCE_TIME* start, REFERENCE_TIME* end) override;
    HRESULT SetTime(REFERENCE_TIME* start, REFERENCE_TIME* end) override;
    HRESULT IsSyncPoint() override;
    HRESULT SetSyncPoint(BOOL sync) override;
    HRESULT IsPreroll() override;
    HRESULT SetPreroll(BOOL preroll) override;
    LONG GetActualDataLength() override;
    HRESULT SetActualDataLength(LONG length) override;
    HRESULT GetMediaType(AM_MEDIA_TYPE** type) override;
    HRESULT SetMediaType(AM_MEDIA_TYPE* type) override;
    HRESULT IsDiscontinuity() override;
    HRESULT SetDiscontinuity(BOOL discontinuity) override;
    HRESULT GetMediaTime(LONGLONG* start, LONGLONG* end) override;
    HRESULT SetMediaTime(LONGLONG* start, LONGLONG* end) override;

    // Clears times, flags and the attached type (when the sample is recycled).
    void ResetProperties();

protected:
    enum Flags : DWORD {
        Sample_SyncPoint = 0x01,
        Sample_Preroll = 0x02,
        Sample_Discontinuity = 0x04,
        Sample_TypeChanged = 0x08,
        Sample_TimeValid = 0x10,
        Sample_MediaTimeValid = 0x20,
        Sample_StopValid = 0x100,
    };
    DWORD m_dwFlags = 0;
    REFERENCE_TIME m_Start = 0;
    REFERENCE_TIME m_End = 0;
    LONGLONG m_MediaStart = 0;
    LONGLONG m_MediaEnd = 0;
    AM_MEDIA_TYPE* m_pMediaType = nullptr;
    BYTE* m_pBuffer;
    LONG m_cbBuffer;
    LONG m_lActual = 0;
    CBaseAllocator* m_pAllocator;
    std::atomic<LONG> m_cRef {0};
};

class CBaseAllocator : public CUnknown, public IMemAllocator {
public:
    CBaseAllocator(LPCWSTR name, LPUNKNOWN outer, HRESULT* result);
    ~CBaseAllocator() override;

    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID iid, void** object) override;

    HRESULT SetProperties(ALLOCATOR_PROPERTIES* request, ALLOCATOR_PROPERTIES* actual) override;
    HRESULT GetProperties(ALLOCATOR_PROPERTIES* properties) override;
    HRESULT Commit() override;
    HRESULT Decommit() override;
    // Waits for a free sample unless AM_GBF_NOWAIT (then VFW_E_TIMEOUT).
    HRESULT GetBuffer(IMediaSample** sample, REFERENCE_TIME* start, REFERENCE_TIME* end, DWORD flags) override;
    HRESULT ReleaseBuffer(IMediaSample* sample) override;

protected:
    // Must override: create m_lCount samples of m_lSize bytes into m_free.
    virtual HRESULT Alloc() = 0;
    // Must override: delete every sample (all are free when called).
    virtual void Free() = 0;

    std::mutex m_lock;
    std::condition_variable m_freed;
    std::vector<CMediaSample*> m_free;  // guarded by m_lock
    LONG m_lCount = 0;                  // buffers asked for
    LONG m_lAllocated = 0;              // samples that exist
    LONG m_lSize = 0;
    LONG m_lAlignment = 0;
    LONG m_lPrefix = 0;
    bool m_bChanged = false;  // properties changed since the last Alloc
    bool m_bCommitted = false;
    bool m_bDecommitInProgress = false;
};

// Keeps all buffers in one block.
class CMemAllocator : public CBaseAllocator {
public:
    CMemAllocator(LPCWSTR name, LPUNKNOWN outer, HRESULT* result);
    ~CMemAllocator() override;
    static CUnknown* CreateInstance(LPUNKNOWN outer, HRESULT* result);
    HRESULT SetProperties(ALLOCATOR_PROPERTIES* request, ALLOCATOR_PROPERTIES* actual) override;

protected:
    HRESULT Alloc() override;
    void Free() override;

private:
    void ReallyFree();
    BYTE* m_pBuffer = nullptr;
};

// Asks `allocator` for `request`; E_FAIL when fewer or smaller buffers
// were granted, a failing SetProperties result as it is.
HRESULT SetAllocatorProperties(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request);
// The same after raising the request to at least `buffers` buffers of
// `size` bytes, aligned to at least 1.
HRESULT RequestAtLeast(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request, LONG buffers, LONG size);
