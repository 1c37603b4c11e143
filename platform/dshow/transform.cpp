#include "dshow/transform.h"

#include <new>

#include "dshow/pospass.h"

// --- CTransformInputPin

CTransformInputPin::CTransformInputPin(LPCWSTR objectName, CTransformFilter* filter, HRESULT* result, LPCWSTR name)
    : CBaseInputPin(objectName, filter, &filter->m_csFilter, result, name), m_pTransformFilter(filter) {}

HRESULT CTransformInputPin::CheckConnect(IPin* pin) {
    const HRESULT hr = m_pTransformFilter->CheckConnect(PINDIR_INPUT, pin);
    return FAILED(hr) ? hr : CBaseInputPin::CheckConnect(pin);
}

HRESULT CTransformInputPin::BreakConnect() {
    m_pTransformFilter->BreakConnect(PINDIR_INPUT);
    return CBaseInputPin::BreakConnect();
}

HRESULT CTransformInputPin::CompleteConnect(IPin* receivePin) {
    const HRESULT hr = m_pTransformFilter->CompleteConnect(PINDIR_INPUT, receivePin);
    return FAILED(hr) ? hr : CBaseInputPin::CompleteConnect(receivePin);
}

HRESULT CTransformInputPin::CheckMediaType(const CMediaType* type) {
    HRESULT hr = m_pTransformFilter->CheckInputType(type);
    if (hr != S_OK) return hr;
    CTransformOutputPin* output = m_pTransformFilter->m_pOutput;
    if (output != nullptr && output->IsConnected()) {
        hr = m_pTransformFilter->CheckTransform(type, &output->CurrentMediaType());
    }
    return hr;
}

HRESULT CTransformInputPin::SetMediaType(const CMediaType* type) {
    const HRESULT hr = CBasePin::SetMediaType(type);
    return FAILED(hr) ? hr : m_pTransformFilter->SetMediaType(PINDIR_INPUT, type);
}

HRESULT CTransformInputPin::Receive(IMediaSample* sample) {
    CAutoLock lock(&m_pTransformFilter->m_csReceive);
    HRESULT hr = CBaseInputPin::Receive(sample);
    if (hr == S_OK) hr = m_pTransformFilter->Receive(sample);
    return hr;
}

HRESULT CTransformInputPin::EndOfStream() {
    CAutoLock lock(&m_pTransformFilter->m_csReceive);
    const HRESULT hr = CheckStreaming();
    return hr == S_OK ? m_pTransformFilter->EndOfStream() : hr;
}

HRESULT CTransformInputPin::BeginFlush() {
    if (!IsConnected() || !m_pTransformFilter->m_pOutput->IsConnected()) return VFW_E_NOT_CONNECTED;
    const HRESULT hr = CBaseInputPin::BeginFlush();
    return FAILED(hr) ? hr : m_pTransformFilter->BeginFlush();
}

HRESULT CTransformInputPin::EndFlush() {
    if (!IsConnected() || !m_pTransformFilter->m_pOutput->IsConnected()) return VFW_E_NOT_CONNECTED;
    const HRESULT hr = m_pTransformFilter->EndFlush();
    return FAILED(hr) ? hr : CBaseInputPin::EndFlush();
}

HRESULT CTransformInputPin::NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) {
    CBasePin::NewSegment(start, stop, rate);
    return m_pTransformFilter->NewSegment(start, stop, rate);
}

// --- CTransformOutputPin

CTransformOutputPin::CTransformOutputPin(LPCWSTR objectName, CTransformFilter* filter, HRESULT* result, LPCWSTR name)
    : CBaseOutputPin(objectName, filter, &filter->m_csFilter, result, name), m_pTransformFilter(filter) {}

CTransformOutputPin::~CTransformOutputPin() {
    if (m_pPosition != nullptr) m_pPosition->NonDelegatingRelease();
}

HRESULT CTransformOutputPin::NonDelegatingQueryInterface(REFIID iid, void** object) {
    if (iid == IID_IMediaSeeking) {
        if (m_pPosition == nullptr) {
            HRESULT hr = S_OK;
            m_pPosition = new (std::nothrow)
                CPosPassThru(L"Pass-through", GetOwner(), &hr, m_pTransformFilter->InputPin());
            if (m_pPosition == nullptr) return E_OUTOFMEMORY;
            m_pPosition->NonDelegatingAddRef();
        }
        return m_pPosition->NonDelegatingQueryInterface(iid, object);
    }
    return CBaseOutputPin::NonDelegatingQueryInterface(iid, object);
}

HRESULT CTransformOutputPin::CheckConnect(IPin* pin) {
    if (!m_pTransformFilter->InputPin()->IsConnected()) return E_UNEXPECTED;
    const HRESULT hr = m_pTransformFilter->CheckConnect(PINDIR_OUTPUT, pin);
    return FAILED(hr) ? hr : CBaseOutputPin::CheckConnect(pin);
}

HRESULT CTransformOutputPin::BreakConnect() {
    m_pTransformFilter->BreakConnect(PINDIR_OUTPUT);
    return CBaseOutputPin::BreakConnect();
}

HRESULT CTransformOutputPin::CompleteConnect(IPin* receivePin) {
    const HRESULT hr = m_pTransformFilter->CompleteConnect(PINDIR_OUTPUT, receivePin);
    return FAILED(hr) ? hr : CBaseOutputPin::CompleteConnect(receivePin);
}

HRESULT CTransformOutputPin::CheckMediaType(const CMediaType* type) {
    CTransformInputPin* input = m_pTransformFilter->InputPin();
    if (!input->IsConnected()) return E_INVALIDARG;
    return m_pTransformFilter->CheckTransform(&input->CurrentMediaType(), type);
}

HRESULT CTransformOutputPin::SetMediaType(const CMediaType* type) {
    const HRESULT hr = CBasePin::SetMediaType(type);
    return FAILED(hr) ? hr : m_pTransformFilter->SetMediaType(PINDIR_OUTPUT, type);
}

HRESULT CTransformOutputPin::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) {
    return m_pTransformFilter->DecideBufferSize(allocator, request);
}

HRESULT CTransformOutputPin::GetMediaType(int position, CMediaType* type) {
    if (!m_pTransformFilter->InputPin()->IsConnected()) return VFW_S_NO_MORE_ITEMS;
    return m_pTransformFilter->GetMediaType(position, type);
}

HRESULT CTransformOutputPin::Notify(IBaseFilter*, Quality quality) {
    const HRESULT hr = m_pTransformFilter->AlterQuality(quality);
    if (hr != S_FALSE) return hr;
    if (m_pQSink != nullptr) return m_pQSink->Notify(m_pTransformFilter, quality);
    // Not handled here: pass it to the filter upstream.
    IPin* upstream = m_pTransformFilter->InputPin()->GetConnected();
    if (upstream == nullptr) return VFW_E_NOT_FOUND;
    IQualityControl* control = nullptr;
    if (FAILED(upstream->QueryInterface(IID_IQualityControl, reinterpret_cast<void**>(&control)))) {
        return VFW_E_NOT_FOUND;
    }
    const HRESULT passed = control->Notify(m_pTransformFilter, quality);
    control->Release();
    return passed;
}

// --- CTransformFilter

CTransformFilter::CTransformFilter(LPCWSTR name, LPUNKNOWN outer, REFCLSID clsid)
    : CBaseFilter(name, outer, &m_csFilter, clsid) {}

CTransformFilter::~CTransformFilter() {
    delete m_pInput;
    delete m_pOutput;
}

CBasePin* CTransformFilter::GetPin(int index) {
    if (m_pInput == nullptr) {
        HRESULT hr = S_OK;
        m_pInput = new (std::nothrow) CTransformInputPin(L"Transform input pin", this, &hr, L"XForm In");
        if (m_pInput == nullptr) return nullptr;
        m_pOutput = new (std::nothrow) CTransformOutputPin(L"Transform output pin", this, &hr, L"XForm Out");
        if (m_pOutput == nullptr) {
            delete m_pInput;
            m_pInput = nullptr;
            return nullptr;
        }
    }
    if (index == 0) return m_pInput;
    if (index == 1) return m_pOutput;
    return nullptr;
}

HRESULT CTransformFilter::FindPin(LPCWSTR id, IPin** pin) {
    if (id == nullptr || pin == nullptr) return E_POINTER;
    const std::wstring name(id);
    if (name == L"In") {
        *pin = GetPin(0);
    } else if (name == L"Out") {
        *pin = GetPin(1);
    } else {
        return CBaseFilter::FindPin(id, pin);
    }
    if (*pin == nullptr) return VFW_E_NOT_FOUND;
    (*pin)->AddRef();
    return S_OK;
}

HRESULT CTransformFilter::Stop() {
    CAutoLock lock(&m_csFilter);
    if (m_State == State_Stopped) return S_OK;
    if (m_pInput == nullptr || !m_pInput->IsConnected() || !m_pOutput->IsConnected()) {
        m_State = State_Stopped;
        m_bEOSDelivered = false;
        return S_OK;
    }
    // Inactive input first: a sample arriving now is refused, and the one
    // being transformed finishes before the receive lock is ours.
    m_pInput->Inactive();
    CAutoLock receiving(&m_csReceive);
    m_pOutput->Inactive();
    const HRESULT hr = StopStreaming();
    if (SUCCEEDED(hr)) {
        m_State = State_Stopped;
        m_bEOSDelivered = false;
    }
    return hr;
}

HRESULT CTransformFilter::Pause() {
    CAutoLock lock(&m_csFilter);
    HRESULT hr = S_OK;
    if (m_State == State_Paused) {
        // Nothing to do.
    } else if (m_pInput == nullptr || !m_pInput->IsConnected()) {
        // Without input there will be no data: say so downstream at once.
        if (m_pOutput != nullptr && m_pOutput->IsConnected() && !m_bEOSDelivered) {
            m_pOutput->DeliverEndOfStream();
            m_bEOSDelivered = true;
        }
        m_State = State_Paused;
    } else if (!m_pOutput->IsConnected()) {
        m_State = State_Paused;
    } else {
        if (m_State == State_Stopped) {
            CAutoLock receiving(&m_csReceive);
            hr = StartStreaming();
        }
        if (SUCCEEDED(hr)) hr = CBaseFilter::Pause();
    }
    m_bSampleSkipped = false;
    m_bQualityChanged = false;
    return hr;
}

HRESULT CTransformFilter::Transform(IMediaSample*, IMediaSample*) { return E_UNEXPECTED; }
HRESULT CTransformFilter::StartStreaming() { return S_OK; }
HRESULT CTransformFilter::StopStreaming() { return S_OK; }
HRESULT CTransformFilter::AlterQuality(Quality) { return S_FALSE; }
HRESULT CTransformFilter::SetMediaType(PIN_DIRECTION, const CMediaType*) { return S_OK; }
HRESULT CTransformFilter::CheckConnect(PIN_DIRECTION, IPin*) { return S_OK; }
HRESULT CTransformFilter::BreakConnect(PIN_DIRECTION) { return S_OK; }
HRESULT CTransformFilter::CompleteConnect(PIN_DIRECTION, IPin*) { return S_OK; }

HRESULT CTransformFilter::InitializeOutputSample(IMediaSample* in, IMediaSample** out) {
    *out = nullptr;
    IMemAllocator* allocator = m_pOutput->Allocator();
    if (allocator == nullptr) return VFW_E_NO_ALLOCATOR;
    REFERENCE_TIME start = 0;
    REFERENCE_TIME end = 0;
    const bool timed = SUCCEEDED(in->GetTime(&start, &end));
    DWORD flags = m_bSampleSkipped ? AM_GBF_PREVFRAMESKIPPED : 0;
    if (in->IsSyncPoint() != S_OK) flags |= AM_GBF_NOTASYNCPOINT;
    HRESULT hr = allocator->GetBuffer(out, timed ? &start : nullptr, timed ? &end : nullptr, flags);
    if (FAILED(hr)) return hr;
    if (timed) (*out)->SetTime(&start, &end);
    (*out)->SetSyncPoint(in->IsSyncPoint() == S_OK);
    (*out)->SetDiscontinuity(in->IsDiscontinuity() == S_OK || m_bSampleSkipped);
    (*out)->SetPreroll(in->IsPreroll() == S_OK);
    LONGLONG mediaStart = 0;
    LONGLONG mediaEnd = 0;
    if (in->GetMediaTime(&mediaStart, &mediaEnd) == S_OK) {
        (*out)->SetMediaTime(&mediaStart, &mediaEnd);
    } else {
        (*out)->SetMediaTime(nullptr, nullptr);
    }
    return S_OK;
}

void CTransformFilter::AbortStreaming(HRESULT reason) {
    m_pInput->SetRunTimeError();
    NotifyEvent(EC_ERRORABORT, reason, 0);
}

HRESULT CTransformFilter::Receive(IMediaSample* sample) {
    IMediaSample* out = nullptr;
    HRESULT hr = InitializeOutputSample(sample, &out);
    if (FAILED(hr)) return hr;
    hr = Transform(sample, out);
    if (FAILED(hr)) {
        AbortStreaming(hr);
    } else if (hr == S_OK) {
        hr = m_pOutput->Deliver(out);
        m_bSampleSkipped = false;
    } else {
        m_bSampleSkipped = true;
        if (!m_bQualityChanged) {
            NotifyEvent(EC_QUALITY_CHANGE, 0, 0);
            m_bQualityChanged = true;
        }
        hr = S_OK;
    }
    out->Release();
    return hr;
}

HRESULT CTransformFilter::EndOfStream() { return m_pOutput->DeliverEndOfStream(); }
HRESULT CTransformFilter::BeginFlush() { return m_pOutput->DeliverBeginFlush(); }
HRESULT CTransformFilter::EndFlush() { return m_pOutput->DeliverEndFlush(); }
HRESULT CTransformFilter::NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) {
    return m_pOutput->DeliverNewSegment(start, stop, rate);
}
