// Filters with one input and one output that turn each input sample into one
// output sample: pins "XForm In" and "XForm Out".
//
// Hooks:
//   must  CheckInputType(in), CheckTransform(in, out), DecideBufferSize,
//         GetMediaType(position, type) (the output types offered), and
//         Transform(in, out) unless Receive is overridden.
//   may   StartStreaming / StopStreaming (called under the receive lock when
//         the filter leaves or enters the stopped state), SetMediaType,
//         CheckConnect, BreakConnect, CompleteConnect (per direction),
//         EndOfStream, BeginFlush, EndFlush, NewSegment (the defaults pass
//         them downstream), AlterQuality (S_FALSE: not handled).
//
// Transform answers S_OK to deliver the output sample, S_FALSE to drop it
// without error (the next delivered sample is marked a discontinuity), and
// an error to stop the stream: the input pin then refuses further samples and
// the graph receives EC_ERRORABORT once.
//
// Locks: m_csFilter is the filter lock (state changes, connections);
// m_csReceive serialises Receive, EndOfStream and the streaming start and
// stop, so StopStreaming never runs while a sample is being transformed.
#pragma once

#include "dshow/filter.h"

class CTransformFilter;
class CPosPassThru;

class CTransformInputPin : public CBaseInputPin {
public:
    CTransformInputPin(LPCWSTR objectName, CTransformFilter* filter, HRESULT* result, LPCWSTR name);

    HRESULT CheckConnect(IPin* pin) override;
    HRESULT BreakConnect() override;
    HRESULT CompleteConnect(IPin* receivePin) override;
    HRESULT CheckMediaType(const CMediaType* type) override;
    HRESULT SetMediaType(const CMediaType* type) override;
    HRESULT Receive(IMediaSample* sample) override;
    HRESULT EndOfStream() override;
    HRESULT BeginFlush() override;
    HRESULT EndFlush() override;
    HRESULT NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;
    // Refuses further samples until the stream is flushed or stopped.
    void SetRunTimeError() { m_bRunTimeError = true; }

protected:
    CTransformFilter* m_pTransformFilter;
};

class CTransformOutputPin : public CBaseOutputPin {
public:
    CTransformOutputPin(LPCWSTR objectName, CTransformFilter* filter, HRESULT* result, LPCWSTR name);
    ~CTransformOutputPin() override;

    // Also answers IMediaSeeking by passing it upstream through the input pin.
    HRESULT NonDelegatingQueryInterface(REFIID iid, void** object) override;
    HRESULT CheckConnect(IPin* pin) override;
    HRESULT BreakConnect() override;
    HRESULT CompleteConnect(IPin* receivePin) override;
    HRESULT CheckMediaType(const CMediaType* type) override;
    HRESULT SetMediaType(const CMediaType* type) override;
    HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override;
    HRESULT GetMediaType(int position, CMediaType* type) override;
    HRESULT Notify(IBaseFilter* self, Quality quality) override;
    IMemAllocator* Allocator() const { return m_pAllocator; }

protected:
    CTransformFilter* m_pTransformFilter;
    CPosPassThru* m_pPosition = nullptr;  // created on first request; holds a reference
};

class CTransformFilter : public CBaseFilter {
public:
    CTransformFilter(LPCWSTR name, LPUNKNOWN outer, REFCLSID clsid);
    ~CTransformFilter() override;

    int GetPinCount() override { return 2; }
    CBasePin* GetPin(int index) override;
    HRESULT FindPin(LPCWSTR id, IPin** pin) override;
    HRESULT Stop() override;
    HRESULT Pause() override;

    virtual HRESULT Transform(IMediaSample* in, IMediaSample* out);
    virtual HRESULT CheckInputType(const CMediaType* in) = 0;
    virtual HRESULT CheckTransform(const CMediaType* in, const CMediaType* out) = 0;
    virtual HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) = 0;
    virtual HRESULT GetMediaType(int position, CMediaType* type) = 0;

    virtual HRESULT StartStreaming();
    virtual HRESULT StopStreaming();
    virtual HRESULT AlterQuality(Quality quality);
    virtual HRESULT SetMediaType(PIN_DIRECTION direction, const CMediaType* type);
    virtual HRESULT CheckConnect(PIN_DIRECTION direction, IPin* pin);
    virtual HRESULT BreakConnect(PIN_DIRECTION direction);
    virtual HRESULT CompleteConnect(PIN_DIRECTION direction, IPin* receivePin);

    // Called on the streaming thread under the receive lock.
    virtual HRESULT Receive(IMediaSample* sample);
    virtual HRESULT EndOfStream();
    virtual HRESULT BeginFlush();
    virtual HRESULT EndFlush();
    virtual HRESULT NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate);

    CTransformInputPin* InputPin() { return static_cast<CTransformInputPin*>(GetPin(0)); }
    CTransformOutputPin* OutputPin() { return static_cast<CTransformOutputPin*>(GetPin(1)); }

protected:
    // Gets an output buffer and copies the input's times and flags onto it.
    HRESULT InitializeOutputSample(IMediaSample* in, IMediaSample** out);
    // Stops the stream after a failed transform: one EC_ERRORABORT.
    void AbortStreaming(HRESULT reason);

    bool m_bEOSDelivered = false;
    bool m_bSampleSkipped = false;
    bool m_bQualityChanged = false;
    CCritSec m_csFilter;
    CCritSec m_csReceive;
    CTransformInputPin* m_pInput = nullptr;
    CTransformOutputPin* m_pOutput = nullptr;

    friend class CTransformInputPin;
    friend class CTransformOutputPin;
};
