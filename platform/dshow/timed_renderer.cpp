#include "dshow/timed_renderer.h"

CTimedRendererPin::CTimedRendererPin(LPCWSTR objectName, CTimedRenderer* renderer, HRESULT* result, LPCWSTR pinName)
    : CRenderedInputPin(objectName, renderer, &renderer->m_csRenderer, result, pinName), m_pRenderer(renderer) {}

HRESULT CTimedRendererPin::Receive(IMediaSample* sample) {
    const HRESULT hr = CBaseInputPin::Receive(sample);
    return hr == S_OK ? m_pRenderer->Render(sample) : hr;
}

HRESULT CTimedRendererPin::BeginFlush() {
    m_pRenderer->m_wake.Set();
    return CRenderedInputPin::BeginFlush();
}

HRESULT CTimedRendererPin::EndFlush() {
    m_pRenderer->m_wake.Reset();
    return CRenderedInputPin::EndFlush();
}

HRESULT CTimedRendererPin::Active() {
    m_pRenderer->m_wake.Reset();
    return CRenderedInputPin::Active();
}

CTimedRenderer::CTimedRenderer(LPCWSTR name, LPUNKNOWN outer, REFCLSID clsid)
    : CBaseFilter(name, outer, &m_csRenderer, clsid) {}

HRESULT CTimedRenderer::Stop() {
    m_wake.Set();
    return CBaseFilter::Stop();
}

bool CTimedRenderer::WaitWhilePaused() {
    while (m_State == State_Paused) {
        if (m_wake.Wait(5)) return false;
    }
    return true;
}

bool CTimedRenderer::StreamTime(REFERENCE_TIME& now) {
    REFERENCE_TIME clock = 0;
    if (m_pClock == nullptr || FAILED(m_pClock->GetTime(&clock))) return false;
    now = clock - m_tStart;
    return true;
}

bool CTimedRenderer::WaitUntil(REFERENCE_TIME due, REFERENCE_TIME lead) {
    REFERENCE_TIME now = 0;
    if (!StreamTime(now) || due - lead <= now) return true;
    return !m_wake.Wait(static_cast<DWORD>((due - lead - now) / MILLISECONDS));
}
