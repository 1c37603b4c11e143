// The base classes of filters and pins.
//
// Hooks a subclass provides (must: pure here; may: has a default):
//   CBaseFilter    must GetPinCount, GetPin; may Stop, Pause, Run (call the base).
//   CBasePin       must CheckMediaType; may GetMediaType (E_UNEXPECTED: no
//                  preferred types), SetMediaType (stores m_mt), CheckConnect
//                  (directions differ), CompleteConnect, BreakConnect,
//                  Active, Inactive, Run (all succeed doing nothing).
//   CBaseOutputPin must DecideBufferSize; may DecideAllocator, InitAllocator.
//   CBaseInputPin  may Receive (the base checks the streaming state and a
//                  type change: call it first), BeginFlush, EndFlush.
//
// Locking: the filter lock (m_pLock, given by the subclass) guards state
// changes and connections. Streaming calls (Receive, EndOfStream) run on the
// upstream thread and must not take the filter lock while blocking: a state
// change waits on that lock and would deadlock with them.
//
// Pins share their filter's reference count: holding a pin keeps the filter.
#pragma once

#include <string>

#include "dshow/allocator.h"
#include "dshow/interfaces.h"
#include "dshow/mediatype.h"
#include "dshow/sync.h"

class CBasePin;

class CBaseFilter : public CUnknown, public IBaseFilter {
public:
    CBaseFilter(LPCWSTR name, LPUNKNOWN outer, CCritSec* lock, REFCLSID clsid, HRESULT* result = nullptr);
    ~CBaseFilter() override;

    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID iid, void** object) override;

    HRESULT GetClassID(CLSID* clsid) override;
    HRESULT Stop() override;
    HRESULT Pause() override;
    HRESULT Run(REFERENCE_TIME start) override;
    HRESULT GetState(DWORD milliseconds, FILTER_STATE* state) override;
    HRESULT SetSyncSource(IReferenceClock* clock) override;
    HRESULT GetSyncSource(IReferenceClock** clock) override;
    HRESULT EnumPins(IEnumPins** pins) override;
    HRESULT FindPin(LPCWSTR id, IPin** pin) override;
    HRESULT QueryFilterInfo(FILTER_INFO* info) override;
    HRESULT JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override;
    HRESULT QueryVendorInfo(LPWSTR* info) override;

    virtual int GetPinCount() = 0;
    virtual CBasePin* GetPin(int index) = 0;

    // Stream time: the clock's time less the start time given to Run.
    HRESULT StreamTime(REFERENCE_TIME& time);
    BOOL IsActive();
    BOOL IsStopped();
    BOOL IsPaused() const { return m_State == State_Paused; }
    // Sends an event to the graph (EC_COMPLETE carries this filter).
    HRESULT NotifyEvent(LONG code, LONG_PTR param1, LONG_PTR param2);
    IFilterGraph* GetFilterGraph() { return m_pGraph; }
    LONG GetPinVersion() const { return m_PinVersion; }
    void IncrementPinVersion() { ++m_PinVersion; }
    CCritSec* FilterLock() const { return m_pLock; }

protected:
    std::atomic<FILTER_STATE> m_State {State_Stopped};  // changed under m_pLock, read anywhere
    IReferenceClock* m_pClock = nullptr;                // holds a reference
    REFERENCE_TIME m_tStart = 0;
    CLSID m_clsid;
    CCritSec* m_pLock;
    std::wstring m_pName;                // name in the graph
    IFilterGraph* m_pGraph = nullptr;    // no reference: the graph owns us
    IMediaEventSink* m_pSink = nullptr;  // no reference, as above
    std::atomic<LONG> m_PinVersion {1};
};

class CBasePin : public CUnknown, public IPin, public IQualityControl {
public:
    CBasePin(LPCWSTR objectName, CBaseFilter* filter, CCritSec* lock, HRESULT* result, LPCWSTR pinName,
             PIN_DIRECTION direction);
    ~CBasePin() override;

    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID iid, void** object) override;
    ULONG NonDelegatingAddRef() override;
    ULONG NonDelegatingRelease() override;

    HRESULT Connect(IPin* receivePin, const AM_MEDIA_TYPE* type) override;
    HRESULT ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* type) override;
    HRESULT Disconnect() override;
    HRESULT ConnectedTo(IPin** pin) override;
    HRESULT ConnectionMediaType(AM_MEDIA_TYPE* type) override;
    HRESULT QueryPinInfo(PIN_INFO* info) override;
    HRESULT QueryDirection(PIN_DIRECTION* direction) override;
    HRESULT QueryId(LPWSTR* id) override;
    HRESULT QueryAccept(const AM_MEDIA_TYPE* type) override;
    HRESULT EnumMediaTypes(IEnumMediaTypes** types) override;
    HRESULT QueryInternalConnections(IPin** pins, ULONG* count) override;
    HRESULT EndOfStream() override;
    HRESULT BeginFlush() override = 0;
    HRESULT EndFlush() override = 0;
    HRESULT NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;

    HRESULT Notify(IBaseFilter* self, Quality quality) override;
    HRESULT SetSink(IQualityControl* sink) override;

    virtual HRESULT CheckMediaType(const CMediaType* type) = 0;
    virtual HRESULT SetMediaType(const CMediaType* type);
    virtual HRESULT CheckConnect(IPin* pin);
    virtual HRESULT BreakConnect();
    virtual HRESULT CompleteConnect(IPin* receivePin);
    // The preferred type at `position`; VFW_S_NO_MORE_ITEMS past the last.
    virtual HRESULT GetMediaType(int position, CMediaType* type);
    virtual HRESULT Active();
    virtual HRESULT Inactive();
    virtual HRESULT Run(REFERENCE_TIME start);

    BOOL IsConnected() const { return m_Connected != nullptr; }
    IPin* GetConnected() const { return m_Connected; }
    BOOL IsStopped() const { return m_pFilter->IsStopped(); }
    const std::wstring& Name() const { return m_pName; }
    LONG GetMediaTypeVersion() const { return m_TypeVersion; }
    void IncrementTypeVersion() { ++m_TypeVersion; }
    const CMediaType& CurrentMediaType() const { return m_mt; }
    REFERENCE_TIME CurrentStartTime() const { return m_tStart; }
    REFERENCE_TIME CurrentStopTime() const { return m_tStop; }
    double CurrentRate() const { return m_dRate; }

protected:
    HRESULT DisconnectInternal();
    HRESULT AgreeMediaType(IPin* receivePin, const CMediaType* type);
    HRESULT TryMediaTypes(IPin* receivePin, const CMediaType* partial, IEnumMediaTypes* types);
    HRESULT AttemptConnection(IPin* receivePin, const CMediaType* type);

    std::wstring m_pName;
    IPin* m_Connected = nullptr;  // holds a reference
    PIN_DIRECTION m_dir;
    CCritSec* m_pLock;
    bool m_bRunTimeError = false;
    bool m_bCanReconnectWhenActive = false;
    bool m_bTryMyTypesFirst = false;
    CBaseFilter* m_pFilter;
    IQualityControl* m_pQSink = nullptr;  // no reference
    std::atomic<LONG> m_TypeVersion {1};
    CMediaType m_mt;  // the connection's type
    REFERENCE_TIME m_tStart = 0;
    REFERENCE_TIME m_tStop = 0x7FFFFFFFFFFFFFFF;
    double m_dRate = 1.0;
};

class CBaseOutputPin : public CBasePin {
public:
    CBaseOutputPin(LPCWSTR objectName, CBaseFilter* filter, CCritSec* lock, HRESULT* result, LPCWSTR pinName);

    HRESULT CompleteConnect(IPin* receivePin) override;
    HRESULT CheckConnect(IPin* pin) override;
    HRESULT BreakConnect() override;
    HRESULT Active() override;
    HRESULT Inactive() override;

    // Sets the buffer count and size on the allocator (must override).
    virtual HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) = 0;
    virtual HRESULT DecideAllocator(IMemInputPin* pin, IMemAllocator** allocator);
    virtual HRESULT InitAllocator(IMemAllocator** allocator);

    virtual HRESULT GetDeliveryBuffer(IMediaSample** sample, REFERENCE_TIME* start, REFERENCE_TIME* end, DWORD flags);
    virtual HRESULT Deliver(IMediaSample* sample);
    virtual HRESULT DeliverEndOfStream();
    virtual HRESULT DeliverBeginFlush();
    virtual HRESULT DeliverEndFlush();
    virtual HRESULT DeliverNewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate);

    // An output pin receives none of these.
    HRESULT EndOfStream() override { return E_UNEXPECTED; }
    HRESULT BeginFlush() override { return E_UNEXPECTED; }
    HRESULT EndFlush() override { return E_UNEXPECTED; }

protected:
    IMemAllocator* m_pAllocator = nullptr;  // holds a reference while connected
    IMemInputPin* m_pInputPin = nullptr;    // holds a reference while connected
};

class CBaseInputPin : public CBasePin, public IMemInputPin {
public:
    CBaseInputPin(LPCWSTR objectName, CBaseFilter* filter, CCritSec* lock, HRESULT* result, LPCWSTR pinName);
    ~CBaseInputPin() override;

    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID iid, void** object) override;

    HRESULT GetAllocator(IMemAllocator** allocator) override;
    HRESULT NotifyAllocator(IMemAllocator* allocator, BOOL readOnly) override;
    HRESULT GetAllocatorRequirements(ALLOCATOR_PROPERTIES* properties) override;
    // Checks the streaming state and a type attached to the sample; a subclass
    // calls this first and returns its answer when it is not S_OK.
    HRESULT Receive(IMediaSample* sample) override;
    HRESULT ReceiveMultiple(IMediaSample** samples, LONG count, LONG* processed) override;
    HRESULT ReceiveCanBlock() override;

    HRESULT BeginFlush() override;
    HRESULT EndFlush() override;
    HRESULT BreakConnect() override;
    HRESULT Inactive() override;

    // S_OK while samples may be handled, S_FALSE while flushing, an error
    // when not connected, stopped or after a run-time error.
    virtual HRESULT CheckStreaming();
    // Holds a sample that arrives while the filter is paused until it runs,
    // as a renderer holds its preroll; false when a flush (a seek) or a stop
    // came first, and the sample must be dropped.
    bool WaitWhilePaused();
    BOOL IsFlushing() const { return m_bFlushing; }
    BOOL IsReadOnly() const { return m_bReadOnly; }

protected:
    IMemAllocator* m_pAllocator = nullptr;  // holds a reference
    BOOL m_bReadOnly = FALSE;
    std::atomic<bool> m_bFlushing {false};
};
