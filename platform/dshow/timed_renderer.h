// The common ground of renderers that present samples at their time on the
// graph's clock: an input pin that hands each sample to Render, and the
// waiting that a stop or a flush cuts short.
//
// Hooks: must Render(sample) (S_OK when presented or dropped on purpose,
// S_FALSE when a stop or flush cut the wait short). Derived pins may
// override CheckMediaType and the other pin operations; they call the base
// ones.
#pragma once

#include "dshow/rendered.h"
#include "dshow/sync.h"

class CTimedRenderer;

class CTimedRendererPin : public CRenderedInputPin {
public:
    CTimedRendererPin(LPCWSTR objectName, CTimedRenderer* renderer, HRESULT* result, LPCWSTR pinName);

    HRESULT Receive(IMediaSample* sample) override;
    HRESULT BeginFlush() override;
    HRESULT EndFlush() override;
    HRESULT Active() override;

protected:
    CTimedRenderer* m_pRenderer;
};

class CTimedRenderer : public CBaseFilter {
public:
    CTimedRenderer(LPCWSTR name, LPUNKNOWN outer, REFCLSID clsid);

    // Releases a Receive that waits before the filter lock is taken.
    HRESULT Stop() override;
    virtual HRESULT Render(IMediaSample* sample) = 0;

protected:
    // Waits while the graph is paused; false when a stop or flush ended it.
    bool WaitWhilePaused();
    // Waits until `due` on the clock (stream time `m_tStart` + due, less
    // `lead`); false when a stop or flush ended it. No clock: no wait.
    bool WaitUntil(REFERENCE_TIME due, REFERENCE_TIME lead = 0);
    // The clock's time less the run's start, or false without a clock.
    bool StreamTime(REFERENCE_TIME& now);

    CCritSec m_csRenderer;
    CAMEvent m_wake {TRUE};  // set while stopping or flushing

    friend class CTimedRendererPin;
};
