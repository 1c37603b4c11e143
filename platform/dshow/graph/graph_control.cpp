// Running, pausing and stopping every filter, renderers first.
#include <algorithm>
#include <map>

#include "graph.h"
#include "pin_utils.h"

using namespace movanta::dshow;

namespace {

// Longest chain of connections from the filter down to a sink.
int Height(IBaseFilter* filter, std::map<IBaseFilter*, int>& known, int depth) {
    if (auto it = known.find(filter); it != known.end()) return it->second;
    int height = 0;
    if (depth < 64) {
        for (ComPtr<IPin>& pin : PinsOf(filter, PINDIR_OUTPUT)) {
            ComPtr<IPin> peer = PeerOf(pin.Get());
            if (!peer) continue;
            if (ComPtr<IBaseFilter> next = FilterOf(peer.Get())) {
                height = std::max(height, 1 + Height(next.Get(), known, depth + 1));
            }
        }
    }
    known[filter] = height;
    return height;
}

// Extra time given to every filter between the Run call and stream time 0.
constexpr REFERENCE_TIME kStartDelay = 10 * MILLISECONDS;

}  // namespace

std::vector<IBaseFilter*> CFilterGraph::DownstreamFirst() {
    std::vector<IBaseFilter*> filters = FiltersSnapshot();
    std::map<IBaseFilter*, int> heights;
    for (IBaseFilter* filter : filters) Height(filter, heights, 0);
    std::stable_sort(filters.begin(), filters.end(),
                     [&](IBaseFilter* a, IBaseFilter* b) { return heights[a] < heights[b]; });
    return filters;
}

void CFilterGraph::CountRenderers() {
    // A renderer with two streams (the writer) ends once for each.
    size_t streams = 0;
    for (const Entry& entry : m_filters) {
        if (!IsRenderer(entry.filter)) continue;
        for (ComPtr<IPin>& pin : PinsOf(entry.filter, PINDIR_INPUT)) {
            if (PeerOf(pin.Get())) ++streams;
        }
    }
    std::lock_guard guard(m_eventLock);
    m_renderedStreams = streams;
}

REFERENCE_TIME CFilterGraph::StreamTimeLocked() {
    if (m_state == State_Paused) return m_streamTimeAtPause;
    if (m_state != State_Running || m_pClock == nullptr) return 0;
    REFERENCE_TIME now = 0;
    m_pClock->GetTime(&now);
    return std::max<REFERENCE_TIME>(0, now - m_tStart);
}

HRESULT CFilterGraph::ChangeState(FILTER_STATE target) {
    if (target == m_state) return S_OK;
    if (target == State_Running && m_state == State_Stopped) {
        const HRESULT hr = ChangeState(State_Paused);
        if (FAILED(hr)) return hr;
    }
    if (m_state == State_Stopped) {
        const HRESULT hr = EnsureClock();
        if (FAILED(hr)) return hr;
        CountRenderers();
        ResetCompletion();
    }
    if (target == State_Paused && m_state == State_Running) m_streamTimeAtPause = StreamTimeLocked();
    if (target == State_Running) {
        REFERENCE_TIME now = 0;
        m_pClock->GetTime(&now);
        m_tStart = now + kStartDelay - m_streamTimeAtPause;
    }
    {
        std::lock_guard guard(m_eventLock);
        m_running = target == State_Running;
    }
    m_eventArrived.notify_all();  // a WaitForCompletion ends when the graph stops

    std::vector<IBaseFilter*> filters = DownstreamFirst();
    HRESULT result = S_OK;
    for (IBaseFilter* filter : filters) {
        HRESULT hr = S_OK;
        switch (target) {
            case State_Stopped: hr = filter->Stop(); break;
            case State_Paused: hr = filter->Pause(); break;
            case State_Running: hr = filter->Run(m_tStart); break;
        }
        if (FAILED(hr) && SUCCEEDED(result)) result = hr;
        if (hr == S_FALSE && result == S_OK) result = S_FALSE;
    }
    ReleaseAll(filters);

    if (FAILED(result) && target != State_Stopped) {
        // A filter refused: leave nothing half running.
        m_state = State_Paused;
        ChangeState(State_Stopped);
        return result;
    }
    m_state = target;
    if (target == State_Stopped) {
        m_streamTimeAtPause = 0;
        ResetCompletion();
    }
    return result;
}

HRESULT CFilterGraph::Run() {
    CAutoLock lock(&m_lock);
    return ChangeState(State_Running);
}

HRESULT CFilterGraph::Pause() {
    CAutoLock lock(&m_lock);
    return ChangeState(State_Paused);
}

HRESULT CFilterGraph::Stop() {
    CAutoLock lock(&m_lock);
    return ChangeState(State_Stopped);
}

HRESULT CFilterGraph::GetState(LONG milliseconds, OAFilterState* state) {
    if (state == nullptr) return E_POINTER;
    {
        CAutoLock lock(&m_lock);
        *state = m_state;
    }
    const DWORD wait = milliseconds < 0 ? INFINITE : static_cast<DWORD>(milliseconds);
    const ULONGLONG deadline = GetTickCount64() + (wait == INFINITE ? 0 : wait);
    std::vector<IBaseFilter*> filters = FiltersSnapshot();
    HRESULT result = S_OK;
    for (IBaseFilter* filter : filters) {
        DWORD remaining = wait;
        if (wait != INFINITE) {
            const ULONGLONG now = GetTickCount64();
            remaining = now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
        }
        FILTER_STATE filterState = State_Stopped;
        const HRESULT hr = filter->GetState(remaining, &filterState);
        if (hr == VFW_S_STATE_INTERMEDIATE) result = VFW_S_STATE_INTERMEDIATE;
    }
    ReleaseAll(filters);
    return result;
}

HRESULT CFilterGraph::StopWhenReady() {
    HRESULT hr = Pause();
    if (FAILED(hr)) return hr;
    OAFilterState state = State_Paused;
    GetState(5000, &state);  // let every renderer receive its first sample
    return Stop();
}
