// Source filters whose output pins each push samples from a thread of
// their own, and the seeking support of such pins.
//
// Hooks of CSourceStream: must FillBuffer (S_OK: deliver the sample; S_FALSE:
// the stream has ended; an error: the graph gets EC_ERRORABORT) and
// DecideBufferSize, and GetMediaType / CheckMediaType; may OnThreadCreate,
// OnThreadDestroy, OnThreadStartPlay.
//
// The thread starts when the filter pauses and ends when it stops. Stopping
// first decommits the pin's allocator, so a thread waiting for a buffer
// wakes up, then tells the thread to stop and waits for it.
#pragma once

#include <vector>

#include "dshow/filter.h"
#include "dshow/thread.h"

class CSourceStream;

class CSource : public CBaseFilter {
public:
    CSource(LPCWSTR name, LPUNKNOWN outer, REFCLSID clsid, HRESULT* result = nullptr);
    ~CSource() override;  // deletes the pins still attached

    int GetPinCount() override;
    CBasePin* GetPin(int index) override;
    HRESULT AddPin(CSourceStream* pin);
    HRESULT RemovePin(CSourceStream* pin);
    CCritSec* pStateLock() { return &m_cStateLock; }

protected:
    CCritSec m_cStateLock;
    std::vector<CSourceStream*> m_paStreams;  // guarded by m_cStateLock
};

class CSourceStream : public CAMThread, public CBaseOutputPin {
public:
    // Attaches itself to the filter, which deletes it.
    CSourceStream(LPCWSTR objectName, HRESULT* result, CSource* filter, LPCWSTR pinName);
    ~CSourceStream() override;

    virtual HRESULT FillBuffer(IMediaSample* sample) = 0;
    virtual HRESULT OnThreadCreate() { return S_OK; }
    virtual HRESULT OnThreadDestroy() { return S_OK; }
    virtual HRESULT OnThreadStartPlay() { return S_OK; }

    HRESULT Active() override;
    HRESULT Inactive() override;
    // Offers GetMediaType(CMediaType*) at position 0.
    HRESULT GetMediaType(int position, CMediaType* type) override;
    // Accepts exactly the type GetMediaType(CMediaType*) gives.
    HRESULT CheckMediaType(const CMediaType* type) override;
    virtual HRESULT GetMediaType(CMediaType* type);

    enum Command : DWORD { CMD_INIT, CMD_PAUSE, CMD_RUN, CMD_STOP, CMD_EXIT };
    HRESULT Init() { return CallWorker(CMD_INIT); }
    HRESULT Exit() { return CallWorker(CMD_EXIT); }
    HRESULT Run() { return CallWorker(CMD_RUN); }
    HRESULT Pause() { return CallWorker(CMD_PAUSE); }
    HRESULT Stop() { return CallWorker(CMD_STOP); }
    using CBasePin::Run;

protected:
    DWORD ThreadProc() override;
    virtual HRESULT DoBufferProcessingLoop();

    CSource* m_pFilter;
};

// IMediaSeeking for a source pin in media time. The pin's class derives
// from this too and answers the IUnknown methods (DECLARE_IUNKNOWN).
// Hooks: must ChangeStart, ChangeStop, ChangeRate (called after the
// positions changed, outside the lock).
class CSourceSeeking : public IMediaSeeking {
public:
    HRESULT GetCapabilities(DWORD* capabilities) override;
    HRESULT CheckCapabilities(DWORD* capabilities) override;
    HRESULT IsFormatSupported(const GUID* format) override;
    HRESULT QueryPreferredFormat(GUID* format) override;
    HRESULT GetTimeFormat(GUID* format) override;
    HRESULT IsUsingTimeFormat(const GUID* format) override;
    HRESULT SetTimeFormat(const GUID* format) override;
    HRESULT GetDuration(LONGLONG* duration) override;
    HRESULT GetStopPosition(LONGLONG* stop) override;
    HRESULT GetCurrentPosition(LONGLONG* current) override;
    HRESULT ConvertTimeFormat(LONGLONG* target, const GUID* targetFormat, LONGLONG source,
                              const GUID* sourceFormat) override;
    HRESULT SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop, DWORD stopFlags) override;
    HRESULT GetPositions(LONGLONG* current, LONGLONG* stop) override;
    HRESULT GetAvailable(LONGLONG* earliest, LONGLONG* latest) override;
    HRESULT SetRate(double rate) override;
    HRESULT GetRate(double* rate) override;
    HRESULT GetPreroll(LONGLONG* preroll) override;

protected:
    explicit CSourceSeeking(CCritSec* lock);
    ~CSourceSeeking() = default;
    virtual HRESULT ChangeStart() = 0;
    virtual HRESULT ChangeStop() = 0;
    virtual HRESULT ChangeRate() = 0;

    REFERENCE_TIME m_rtDuration = 0;  // guarded by m_pLock
    REFERENCE_TIME m_rtStart = 0;     // guarded by m_pLock
    REFERENCE_TIME m_rtStop = 0;      // guarded by m_pLock
    double m_dRateSeeking = 1.0;      // guarded by m_pLock
    DWORD m_dwSeekingCaps;
    CCritSec* m_pLock;
};
