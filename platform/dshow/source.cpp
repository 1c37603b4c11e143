#include "dshow/source.h"

#include <algorithm>

// --- CSource

CSource::CSource(LPCWSTR name, LPUNKNOWN outer, REFCLSID clsid, HRESULT* result)
    : CBaseFilter(name, outer, &m_cStateLock, clsid, result) {}

CSource::~CSource() {
    while (!m_paStreams.empty()) delete m_paStreams.back();  // each removes itself
}

int CSource::GetPinCount() {
    CAutoLock lock(&m_cStateLock);
    return static_cast<int>(m_paStreams.size());
}

CBasePin* CSource::GetPin(int index) {
    CAutoLock lock(&m_cStateLock);
    if (index < 0 || index >= static_cast<int>(m_paStreams.size())) return nullptr;
    return m_paStreams[static_cast<size_t>(index)];
}

HRESULT CSource::AddPin(CSourceStream* pin) {
    CAutoLock lock(&m_cStateLock);
    m_paStreams.push_back(pin);
    IncrementPinVersion();
    return S_OK;
}

HRESULT CSource::RemovePin(CSourceStream* pin) {
    CAutoLock lock(&m_cStateLock);
    auto it = std::find(m_paStreams.begin(), m_paStreams.end(), pin);
    if (it == m_paStreams.end()) return S_FALSE;
    m_paStreams.erase(it);
    IncrementPinVersion();
    return S_OK;
}

// --- CSourceStream

CSourceStream::CSourceStream(LPCWSTR objectName, HRESULT* result, CSource* filter, LPCWSTR pinName)
    : CBaseOutputPin(objectName, filter, filter->pStateLock(), result, pinName), m_pFilter(filter) {
    filter->AddPin(this);
}

CSourceStream::~CSourceStream() { m_pFilter->RemovePin(this); }

HRESULT CSourceStream::GetMediaType(int position, CMediaType* type) {
    if (position < 0) return E_INVALIDARG;
    if (position > 0) return VFW_S_NO_MORE_ITEMS;
    return GetMediaType(type);
}

HRESULT CSourceStream::GetMediaType(CMediaType*) { return E_UNEXPECTED; }

HRESULT CSourceStream::CheckMediaType(const CMediaType* type) {
    CMediaType mine;
    if (FAILED(GetMediaType(&mine))) return E_FAIL;
    return mine == *type ? S_OK : E_FAIL;
}

HRESULT CSourceStream::Active() {
    CAutoLock lock(m_pFilter->pStateLock());
    if (m_pFilter->IsActive()) return S_FALSE;
    if (!IsConnected()) return S_OK;
    HRESULT hr = CBaseOutputPin::Active();
    if (FAILED(hr)) return hr;
    if (!Create()) return E_FAIL;
    hr = Init();
    if (FAILED(hr)) return hr;
    return Pause();
}

HRESULT CSourceStream::Inactive() {
    if (!IsConnected()) return S_OK;
    const HRESULT hr = CBaseOutputPin::Inactive();  // wakes a thread waiting for a buffer
    if (ThreadExists()) {
        Stop();
        Exit();
        Close();
    }
    return hr;
}

DWORD CSourceStream::ThreadProc() {
    if (GetRequest() != CMD_INIT) {
        Reply(E_UNEXPECTED);
        return 1;
    }
    const HRESULT created = OnThreadCreate();
    if (FAILED(created)) {
        OnThreadDestroy();
        Reply(created);
        return 1;
    }
    Reply(S_OK);
    DWORD command;
    do {
        command = GetRequest();
        switch (command) {
        case CMD_EXIT:
        case CMD_STOP: Reply(S_OK); break;
        case CMD_RUN:
        case CMD_PAUSE:
            Reply(S_OK);
            DoBufferProcessingLoop();
            break;
        default: Reply(E_NOTIMPL); break;
        }
    } while (command != CMD_EXIT);
    OnThreadDestroy();
    return 0;
}

HRESULT CSourceStream::DoBufferProcessingLoop() {
    OnThreadStartPlay();
    for (;;) {
        DWORD command = 0;
        while (!CheckRequest(&command)) {
            IMediaSample* sample = nullptr;
            HRESULT hr = GetDeliveryBuffer(&sample, nullptr, nullptr, 0);
            if (FAILED(hr)) {
                Sleep(1);  // decommitted: a stop command is on its way
                continue;
            }
            hr = FillBuffer(sample);
            if (hr == S_OK) {
                hr = Deliver(sample);
                sample->Release();
                if (hr != S_OK) return S_OK;  // downstream refused (flushing, stopped, failed)
            } else if (hr == S_FALSE) {
                sample->Release();
                DeliverEndOfStream();
                return S_OK;
            } else {
                sample->Release();
                m_pFilter->NotifyEvent(EC_ERRORABORT, hr, 0);
                DeliverEndOfStream();
                return hr;
            }
        }
        if (command == CMD_RUN || command == CMD_PAUSE) {
            GetRequest();
            Reply(S_OK);
        } else {
            return S_FALSE;  // stop or exit: left for ThreadProc
        }
    }
}

// --- CSourceSeeking

CSourceSeeking::CSourceSeeking(CCritSec* lock)
    : m_dwSeekingCaps(AM_SEEKING_CanSeekForwards | AM_SEEKING_CanSeekBackwards | AM_SEEKING_CanSeekAbsolute |
                      AM_SEEKING_CanGetStopPos | AM_SEEKING_CanGetDuration),
      m_pLock(lock) {}

HRESULT CSourceSeeking::GetCapabilities(DWORD* capabilities) {
    if (capabilities == nullptr) return E_POINTER;
    *capabilities = m_dwSeekingCaps;
    return S_OK;
}

HRESULT CSourceSeeking::CheckCapabilities(DWORD* capabilities) {
    if (capabilities == nullptr) return E_POINTER;
    const DWORD asked = *capabilities;
    *capabilities &= m_dwSeekingCaps;
    if (*capabilities == asked) return S_OK;
    return *capabilities != 0 ? S_FALSE : E_FAIL;
}

HRESULT CSourceSeeking::IsFormatSupported(const GUID* format) {
    if (format == nullptr) return E_POINTER;
    return *format == TIME_FORMAT_MEDIA_TIME ? S_OK : S_FALSE;
}

HRESULT CSourceSeeking::QueryPreferredFormat(GUID* format) {
    if (format == nullptr) return E_POINTER;
    *format = TIME_FORMAT_MEDIA_TIME;
    return S_OK;
}

HRESULT CSourceSeeking::GetTimeFormat(GUID* format) { return QueryPreferredFormat(format); }

HRESULT CSourceSeeking::IsUsingTimeFormat(const GUID* format) { return IsFormatSupported(format); }

HRESULT CSourceSeeking::SetTimeFormat(const GUID* format) {
    if (format == nullptr) return E_POINTER;
    return *format == TIME_FORMAT_MEDIA_TIME ? S_OK : E_INVALIDARG;
}

HRESULT CSourceSeeking::GetDuration(LONGLONG* duration) {
    if (duration == nullptr) return E_POINTER;
    CAutoLock lock(m_pLock);
    *duration = m_rtDuration;
    return S_OK;
}

HRESULT CSourceSeeking::GetStopPosition(LONGLONG* stop) {
    if (stop == nullptr) return E_POINTER;
    CAutoLock lock(m_pLock);
    *stop = m_rtStop;
    return S_OK;
}

HRESULT CSourceSeeking::GetCurrentPosition(LONGLONG*) { return E_NOTIMPL; }

HRESULT CSourceSeeking::ConvertTimeFormat(LONGLONG* target, const GUID* targetFormat, LONGLONG source,
                                          const GUID* sourceFormat) {
    if (target == nullptr) return E_POINTER;
    const GUID to = targetFormat == nullptr ? TIME_FORMAT_MEDIA_TIME : *targetFormat;
    const GUID from = sourceFormat == nullptr ? TIME_FORMAT_MEDIA_TIME : *sourceFormat;
    if (to != TIME_FORMAT_MEDIA_TIME || from != TIME_FORMAT_MEDIA_TIME) return E_INVALIDARG;
    *target = source;
    return S_OK;
}

HRESULT CSourceSeeking::SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop, DWORD stopFlags) {
    const DWORD startKind = currentFlags & AM_SEEKING_PositioningBitsMask;
    const DWORD stopKind = stopFlags & AM_SEEKING_PositioningBitsMask;
    if ((startKind != AM_SEEKING_NoPositioning && current == nullptr) ||
        (stopKind != AM_SEEKING_NoPositioning && stop == nullptr)) {
        return E_INVALIDARG;
    }
    {
        CAutoLock lock(m_pLock);
        if (startKind == AM_SEEKING_AbsolutePositioning) {
            m_rtStart = *current;
        } else if (startKind == AM_SEEKING_RelativePositioning) {
            m_rtStart += *current;
        }
        if (stopKind == AM_SEEKING_AbsolutePositioning) {
            m_rtStop = *stop;
        } else if (stopKind == AM_SEEKING_IncrementalPositioning) {
            m_rtStop = m_rtStart + *stop;
        } else if (stopKind == AM_SEEKING_RelativePositioning) {
            m_rtStop += *stop;
        }
        if ((currentFlags & AM_SEEKING_ReturnTime) && current != nullptr) *current = m_rtStart;
        if ((stopFlags & AM_SEEKING_ReturnTime) && stop != nullptr) *stop = m_rtStop;
    }
    HRESULT hr = S_OK;
    if (stopKind != AM_SEEKING_NoPositioning) hr = ChangeStop();
    if (startKind != AM_SEEKING_NoPositioning && SUCCEEDED(hr)) hr = ChangeStart();
    return hr;
}

HRESULT CSourceSeeking::GetPositions(LONGLONG* current, LONGLONG* stop) {
    CAutoLock lock(m_pLock);
    if (current != nullptr) *current = m_rtStart;
    if (stop != nullptr) *stop = m_rtStop;
    return S_OK;
}

HRESULT CSourceSeeking::GetAvailable(LONGLONG* earliest, LONGLONG* latest) {
    CAutoLock lock(m_pLock);
    if (earliest != nullptr) *earliest = 0;
    if (latest != nullptr) *latest = m_rtDuration;
    return S_OK;
}

HRESULT CSourceSeeking::SetRate(double rate) {
    if (rate <= 0) return E_INVALIDARG;
    {
        CAutoLock lock(m_pLock);
        m_dRateSeeking = rate;
    }
    return ChangeRate();
}

HRESULT CSourceSeeking::GetRate(double* rate) {
    if (rate == nullptr) return E_POINTER;
    CAutoLock lock(m_pLock);
    *rate = m_dRateSeeking;
    return S_OK;
}

HRESULT CSourceSeeking::GetPreroll(LONGLONG* preroll) {
    if (preroll == nullptr) return E_POINTER;
    *preroll = 0;
    return S_OK;
}
