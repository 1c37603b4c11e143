#include "dshow/rendered.h"

CRenderedInputPin::CRenderedInputPin(LPCWSTR objectName, CBaseFilter* filter, CCritSec* lock, HRESULT* result,
                                     LPCWSTR pinName)
    : CBaseInputPin(objectName, filter, lock, result, pinName) {}

HRESULT CRenderedInputPin::EndOfStream() {
    const HRESULT hr = CheckStreaming();
    if (hr == S_OK) {
        // Under the filter lock, so a Run in progress either sees the end or
        // has finished and is seen as running here.
        CAutoLock lock(m_pLock);
        m_bAtEndOfStream = true;
        FILTER_STATE state = State_Stopped;
        m_pFilter->GetState(0, &state);
        if (state == State_Running) DoCompleteHandling();
    }
    return hr;
}

HRESULT CRenderedInputPin::EndFlush() {
    m_bAtEndOfStream = false;
    m_bCompleteNotified = false;
    return CBaseInputPin::EndFlush();
}

HRESULT CRenderedInputPin::Active() {
    m_bAtEndOfStream = false;
    m_bCompleteNotified = false;
    return CBaseInputPin::Active();
}

HRESULT CRenderedInputPin::Run(REFERENCE_TIME) {
    m_bCompleteNotified = false;
    if (m_bAtEndOfStream) DoCompleteHandling();
    return S_OK;
}

void CRenderedInputPin::DoCompleteHandling() {
    if (!m_bCompleteNotified.exchange(true)) m_pFilter->NotifyEvent(EC_COMPLETE, S_OK, 0);
}
