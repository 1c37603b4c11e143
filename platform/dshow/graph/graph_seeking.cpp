// Seeking the graph: passed to every renderer's IMediaSeeking (or, for a
// renderer without one, to the output pin that feeds it), which pass it
// upstream to the sources. A running graph is paused for the seek and runs
// again after it; stream time restarts at the new position.
#include <algorithm>

#include "graph.h"
#include "pin_utils.h"

using namespace movanta::dshow;

std::vector<IMediaSeeking*> CFilterGraph::Seekables() {
    std::vector<IMediaSeeking*> seekables;
    std::vector<IBaseFilter*> filters = FiltersSnapshot();
    for (IBaseFilter* filter : filters) {
        if (!IsRenderer(filter)) continue;
        IMediaSeeking* seeking = nullptr;
        if (SUCCEEDED(filter->QueryInterface(IID_IMediaSeeking, reinterpret_cast<void**>(&seeking)))) {
            seekables.push_back(seeking);
            continue;
        }
        for (ComPtr<IPin>& pin : PinsOf(filter, PINDIR_INPUT)) {
            ComPtr<IPin> upstream = PeerOf(pin.Get());
            if (upstream &&
                SUCCEEDED(upstream->QueryInterface(IID_IMediaSeeking, reinterpret_cast<void**>(&seeking)))) {
                seekables.push_back(seeking);
                break;
            }
        }
    }
    ReleaseAll(filters);
    return seekables;
}

namespace {

void ReleaseSeekables(std::vector<IMediaSeeking*>& seekables) {
    for (IMediaSeeking* seeking : seekables) seeking->Release();
}

bool IsMediaTime(const GUID* format) {
    return format != nullptr && *format == TIME_FORMAT_MEDIA_TIME;
}

}  // namespace

HRESULT CFilterGraph::GetCapabilities(DWORD* capabilities) {
    if (capabilities == nullptr) return E_POINTER;
    std::vector<IMediaSeeking*> seekables = Seekables();
    DWORD all = seekables.empty() ? 0 : 0xFFFFFFFF;
    for (IMediaSeeking* seeking : seekables) {
        DWORD one = 0;
        all &= SUCCEEDED(seeking->GetCapabilities(&one)) ? one : 0;
    }
    ReleaseSeekables(seekables);
    *capabilities = all | AM_SEEKING_CanGetCurrentPos;
    return S_OK;
}

HRESULT CFilterGraph::CheckCapabilities(DWORD* capabilities) {
    if (capabilities == nullptr) return E_POINTER;
    DWORD have = 0;
    GetCapabilities(&have);
    const DWORD asked = *capabilities;
    *capabilities &= have;
    if (*capabilities == asked) return S_OK;
    return *capabilities != 0 ? S_FALSE : E_FAIL;
}

HRESULT CFilterGraph::IsFormatSupported(const GUID* format) {
    if (format == nullptr) return E_POINTER;
    return IsMediaTime(format) ? S_OK : S_FALSE;
}

HRESULT CFilterGraph::QueryPreferredFormat(GUID* format) {
    if (format == nullptr) return E_POINTER;
    *format = TIME_FORMAT_MEDIA_TIME;
    return S_OK;
}

HRESULT CFilterGraph::GetTimeFormat(GUID* format) {
    return QueryPreferredFormat(format);
}

HRESULT CFilterGraph::IsUsingTimeFormat(const GUID* format) {
    return IsFormatSupported(format);
}

HRESULT CFilterGraph::SetTimeFormat(const GUID* format) {
    if (format == nullptr) return E_POINTER;
    return IsMediaTime(format) ? S_OK : E_INVALIDARG;
}

// The largest answer of the renderers' seeking to `getter`.
HRESULT CFilterGraph::LatestOf(HRESULT (IMediaSeeking::*getter)(LONGLONG*), LONGLONG* value) {
    if (value == nullptr) return E_POINTER;
    std::vector<IMediaSeeking*> seekables = Seekables();
    HRESULT result = E_NOTIMPL;
    LONGLONG latest = 0;
    for (IMediaSeeking* seeking : seekables) {
        LONGLONG one = 0;
        if (SUCCEEDED((seeking->*getter)(&one))) {
            latest = std::max(latest, one);
            result = S_OK;
        }
    }
    ReleaseSeekables(seekables);
    *value = latest;
    return result;
}

HRESULT CFilterGraph::GetDuration(LONGLONG* duration) {
    return LatestOf(&IMediaSeeking::GetDuration, duration);
}

HRESULT CFilterGraph::GetStopPosition(LONGLONG* stop) {
    return LatestOf(&IMediaSeeking::GetStopPosition, stop);
}

HRESULT CFilterGraph::GetCurrentPosition(LONGLONG* current) {
    if (current == nullptr) return E_POINTER;
    REFERENCE_TIME position = 0;
    {
        CAutoLock lock(&m_lock);
        position = m_positionBase + StreamTimeLocked();
    }
    LONGLONG stop = 0;
    if (SUCCEEDED(GetStopPosition(&stop)) && stop > 0) position = std::min(position, stop);
    *current = position;
    return S_OK;
}

HRESULT CFilterGraph::ConvertTimeFormat(LONGLONG* target, const GUID* targetFormat, LONGLONG source,
                                        const GUID* sourceFormat) {
    if (target == nullptr) return E_POINTER;
    if ((targetFormat != nullptr && !IsMediaTime(targetFormat)) ||
        (sourceFormat != nullptr && !IsMediaTime(sourceFormat))) {
        return E_INVALIDARG;
    }
    *target = source;
    return S_OK;
}

HRESULT CFilterGraph::SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop, DWORD stopFlags) {
    const DWORD startKind = currentFlags & AM_SEEKING_PositioningBitsMask;
    if (startKind != AM_SEEKING_NoPositioning && current == nullptr) return E_POINTER;
    if ((stopFlags & AM_SEEKING_PositioningBitsMask) != AM_SEEKING_NoPositioning && stop == nullptr) return E_POINTER;
    CAutoLock lock(&m_lock);
    const FILTER_STATE before = m_state;
    if (before == State_Running) ChangeState(State_Paused);

    std::vector<IMediaSeeking*> seekables = Seekables();
    HRESULT result = seekables.empty() ? E_NOTIMPL : S_OK;
    LONGLONG reached = current != nullptr ? *current : 0;
    for (IMediaSeeking* seeking : seekables) {
        LONGLONG start = current != nullptr ? *current : 0;
        LONGLONG end = stop != nullptr ? *stop : 0;
        const HRESULT hr =
            seeking->SetPositions(current != nullptr ? &start : nullptr, currentFlags | AM_SEEKING_ReturnTime,
                                  stop != nullptr ? &end : nullptr, stopFlags);
        if (FAILED(hr)) {
            if (SUCCEEDED(result)) result = hr;
        } else if (startKind != AM_SEEKING_NoPositioning) {
            reached = start;
        }
    }
    ReleaseSeekables(seekables);

    if (SUCCEEDED(result) && startKind != AM_SEEKING_NoPositioning) {
        m_positionBase = reached;
        m_streamTimeAtPause = 0;
        ResetCompletion();
        if ((currentFlags & AM_SEEKING_ReturnTime) != 0) *current = reached;
    }
    if (before == State_Running) {
        const HRESULT ran = ChangeState(State_Running);
        if (FAILED(ran) && SUCCEEDED(result)) result = ran;
    }
    return result;
}

HRESULT CFilterGraph::GetPositions(LONGLONG* current, LONGLONG* stop) {
    if (current != nullptr) GetCurrentPosition(current);
    if (stop != nullptr) return GetStopPosition(stop);
    return S_OK;
}

HRESULT CFilterGraph::GetAvailable(LONGLONG* earliest, LONGLONG* latest) {
    if (earliest != nullptr) *earliest = 0;
    if (latest == nullptr) return S_OK;
    return GetDuration(latest);
}

HRESULT CFilterGraph::SetRate(double rate) {
    if (rate <= 0) return E_INVALIDARG;
    std::vector<IMediaSeeking*> seekables = Seekables();
    HRESULT result = seekables.empty() ? E_NOTIMPL : S_OK;
    for (IMediaSeeking* seeking : seekables) {
        const HRESULT hr = seeking->SetRate(rate);
        if (FAILED(hr) && SUCCEEDED(result)) result = hr;
    }
    ReleaseSeekables(seekables);
    return result;
}

HRESULT CFilterGraph::GetRate(double* rate) {
    if (rate == nullptr) return E_POINTER;
    *rate = 1.0;
    std::vector<IMediaSeeking*> seekables = Seekables();
    if (!seekables.empty()) seekables.front()->GetRate(rate);
    ReleaseSeekables(seekables);
    return S_OK;
}

HRESULT CFilterGraph::GetPreroll(LONGLONG* preroll) {
    if (preroll == nullptr) return E_POINTER;
    *preroll = 0;
    return S_OK;
}
