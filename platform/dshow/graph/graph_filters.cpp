// The graph's filter list: adding, removing, naming, enumerating, direct
// connections and the clock.
#include <algorithm>
#include <new>

#include "com/comapi.h"
#include "dshow/refclock.h"
#include "graph.h"
#include "pin_utils.h"
#include "win/sync.h"

using namespace movanta::dshow;

namespace {

// Enumerates a snapshot of the graph's filters, newest first.
class CEnumFilters final : public IEnumFilters {
public:
    explicit CEnumFilters(std::vector<IBaseFilter*> filters) : filters_(std::move(filters)) {}
    HRESULT QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) return E_POINTER;
        if (iid == IID_IEnumFilters || iid == IID_IUnknown) return GetInterface(this, object);
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return static_cast<ULONG>(++refs_); }
    ULONG Release() override {
        const LONG count = --refs_;
        if (count == 0) delete this;
        return static_cast<ULONG>(count);
    }
    HRESULT Next(ULONG count, IBaseFilter** filters, ULONG* fetched) override {
        if (filters == nullptr || (count > 1 && fetched == nullptr)) return E_POINTER;
        ULONG taken = 0;
        while (taken < count && position_ < filters_.size()) {
            filters[taken] = filters_[position_++];
            filters[taken++]->AddRef();
        }
        if (fetched != nullptr) *fetched = taken;
        return taken == count ? S_OK : S_FALSE;
    }
    HRESULT Skip(ULONG count) override {
        position_ = std::min(filters_.size(), position_ + count);
        return position_ < filters_.size() ? S_OK : S_FALSE;
    }
    HRESULT Reset() override {
        position_ = 0;
        return S_OK;
    }
    HRESULT Clone(IEnumFilters** clone) override {
        if (clone == nullptr) return E_POINTER;
        for (IBaseFilter* filter : filters_) filter->AddRef();
        auto* copy = new (std::nothrow) CEnumFilters(filters_);
        if (copy == nullptr) return E_OUTOFMEMORY;
        copy->position_ = position_;
        *clone = copy;
        return S_OK;
    }

private:
    ~CEnumFilters() {
        for (IBaseFilter* filter : filters_) filter->Release();
    }
    std::atomic<LONG> refs_ {1};
    std::vector<IBaseFilter*> filters_;  // each holds a reference
    size_t position_ = 0;
};

}  // namespace

CFilterGraph::CFilterGraph(LPUNKNOWN outer, HRESULT*)
    : CUnknown(L"Filter graph", outer), m_hEventPending(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

CFilterGraph::~CFilterGraph() {
    Stop();
    // Break every connection, then let the filters go.
    for (Entry& entry : m_filters) {
        for (ComPtr<IPin>& pin : PinsOf(entry.filter)) pin->Disconnect();
    }
    for (Entry& entry : m_filters) {
        entry.filter->SetSyncSource(nullptr);  // a filter may be the clock: no cycle left
        entry.filter->JoinFilterGraph(nullptr, nullptr);
        entry.filter->Release();
    }
    if (m_pClock != nullptr) m_pClock->Release();
    CloseHandle(m_hEventPending);
}

CUnknown* CFilterGraph::CreateInstance(LPUNKNOWN outer, HRESULT* result) {
    return NewComObject<CFilterGraph>(result, outer, result);
}

HRESULT CFilterGraph::NonDelegatingQueryInterface(REFIID iid, void** object) {
    if (iid == IID_IFilterGraph) return GetInterface(static_cast<IFilterGraph*>(this), object);
    if (iid == IID_IGraphBuilder) return GetInterface(static_cast<IGraphBuilder*>(this), object);
    if (iid == IID_IMediaControl) return GetInterface(static_cast<IMediaControl*>(this), object);
    if (iid == IID_IMediaSeeking) return GetInterface(static_cast<IMediaSeeking*>(this), object);
    if (iid == IID_IMediaEvent) return GetInterface(static_cast<IMediaEvent*>(this), object);
    if (iid == IID_IMediaEventEx) return GetInterface(static_cast<IMediaEventEx*>(this), object);
    if (iid == IID_IMediaEventSink) return GetInterface(static_cast<IMediaEventSink*>(this), object);
    if (iid == IID_IPersist) return GetInterface(static_cast<IPersist*>(this), object);
    if (iid == IID_IPersistStream) return GetInterface(static_cast<IPersistStream*>(this), object);
    if (iid == IID_IBasicAudio) return GetInterface(static_cast<IBasicAudio*>(this), object);
    if (iid == IID_IBasicVideo) return GetInterface(static_cast<IBasicVideo*>(this), object);
    if (iid == IID_IVideoWindow) return GetInterface(static_cast<IVideoWindow*>(this), object);
    return CUnknown::NonDelegatingQueryInterface(iid, object);
}

bool CFilterGraph::Contains(IBaseFilter* filter) {
    return std::any_of(m_filters.begin(), m_filters.end(), [&](const Entry& e) { return e.filter == filter; });
}

bool CFilterGraph::PinInGraph(IPin* pin) {
    ComPtr<IBaseFilter> filter = FilterOf(pin);
    CAutoLock lock(&m_lock);
    return filter && Contains(filter.Get());
}

std::vector<IBaseFilter*> CFilterGraph::FiltersSnapshot() {
    CAutoLock lock(&m_lock);
    std::vector<IBaseFilter*> filters;
    for (auto it = m_filters.rbegin(); it != m_filters.rend(); ++it) {
        it->filter->AddRef();
        filters.push_back(it->filter);
    }
    return filters;
}

void CFilterGraph::ReleaseAll(std::vector<IBaseFilter*>& filters) {
    for (IBaseFilter* filter : filters) filter->Release();
    filters.clear();
}

HRESULT CFilterGraph::AddFilter(IBaseFilter* filter, LPCWSTR name) {
    if (filter == nullptr) return E_POINTER;
    CAutoLock lock(&m_lock);
    if (Contains(filter)) return E_INVALIDARG;
    const std::wstring wanted = name == nullptr || *name == L'\0' ? L"Filter" : std::wstring(name);
    auto taken = [&](const std::wstring& candidate) {
        return std::any_of(m_filters.begin(), m_filters.end(), [&](const Entry& e) { return e.name == candidate; });
    };
    std::wstring chosen = wanted;
    HRESULT result = S_OK;
    if (taken(chosen)) {
        result = VFW_S_DUPLICATE_NAME;
        bool found = false;
        for (int n = 1; n <= 9999 && !found; ++n) {
            WCHAR suffix[8];
            swprintf(suffix, 8, L" %04d", n);
            chosen = wanted + suffix;
            found = !taken(chosen);
        }
        if (!found) return VFW_E_DUPLICATE_NAME;
    }
    const HRESULT joined = filter->JoinFilterGraph(static_cast<IFilterGraph*>(this), chosen.c_str());
    if (FAILED(joined)) return joined;
    if (m_pClock != nullptr) filter->SetSyncSource(m_pClock);
    filter->AddRef();
    m_filters.push_back({filter, chosen});
    return result;
}

HRESULT CFilterGraph::RemoveFilter(IBaseFilter* filter) {
    if (filter == nullptr) return E_POINTER;
    CAutoLock lock(&m_lock);
    auto it = std::find_if(m_filters.begin(), m_filters.end(), [&](const Entry& e) { return e.filter == filter; });
    if (it == m_filters.end()) return VFW_E_NOT_FOUND;
    if (m_state != State_Stopped) return VFW_E_NOT_STOPPED;
    for (ComPtr<IPin>& pin : PinsOf(filter)) {
        if (ComPtr<IPin> peer = PeerOf(pin.Get())) peer->Disconnect();
        pin->Disconnect();
    }
    filter->SetSyncSource(nullptr);
    filter->JoinFilterGraph(nullptr, nullptr);
    m_filters.erase(it);
    filter->Release();
    return S_OK;
}

HRESULT CFilterGraph::EnumFilters(IEnumFilters** filters) {
    if (filters == nullptr) return E_POINTER;
    *filters = new (std::nothrow) CEnumFilters(FiltersSnapshot());
    return *filters == nullptr ? E_OUTOFMEMORY : S_OK;
}

HRESULT CFilterGraph::FindFilterByName(LPCWSTR name, IBaseFilter** filter) {
    if (name == nullptr || filter == nullptr) return E_POINTER;
    CAutoLock lock(&m_lock);
    for (const Entry& entry : m_filters) {
        if (entry.name == name) {
            *filter = entry.filter;
            entry.filter->AddRef();
            return S_OK;
        }
    }
    *filter = nullptr;
    return VFW_E_NOT_FOUND;
}

HRESULT CFilterGraph::ConnectDirect(IPin* output, IPin* input, const AM_MEDIA_TYPE* type) {
    if (output == nullptr || input == nullptr) return E_POINTER;
    if (!PinInGraph(output) || !PinInGraph(input)) return VFW_E_NOT_IN_GRAPH;
    if (DirectionOf(output) != PINDIR_OUTPUT || DirectionOf(input) != PINDIR_INPUT) return VFW_E_INVALID_DIRECTION;
    return output->Connect(input, type);
}

HRESULT CFilterGraph::Reconnect(IPin* pin) {
    if (pin == nullptr) return E_POINTER;
    ComPtr<IPin> peer = PeerOf(pin);
    if (!peer) return VFW_E_NOT_CONNECTED;
    AM_MEDIA_TYPE type {};
    pin->ConnectionMediaType(&type);
    IPin* output = DirectionOf(pin) == PINDIR_OUTPUT ? pin : peer.Get();
    IPin* input = output == pin ? peer.Get() : pin;
    output->Disconnect();
    input->Disconnect();
    HRESULT hr = output->Connect(input, &type);
    if (FAILED(hr)) hr = output->Connect(input, nullptr);
    FreeMediaType(type);
    return hr;
}

HRESULT CFilterGraph::Disconnect(IPin* pin) {
    if (pin == nullptr) return E_POINTER;
    return pin->Disconnect();
}

HRESULT CFilterGraph::SetDefaultSyncSource() {
    CAutoLock lock(&m_lock);
    if (m_pClock != nullptr) {
        m_pClock->Release();
        m_pClock = nullptr;
    }
    return EnsureClock();
}

HRESULT CFilterGraph::EnsureClock() {
    if (m_pClock == nullptr) {
        // A filter's own clock (an audio renderer's) first, else the system clock.
        for (Entry& entry : m_filters) {
            if (SUCCEEDED(entry.filter->QueryInterface(IID_IReferenceClock, reinterpret_cast<void**>(&m_pClock)))) {
                break;
            }
        }
        if (m_pClock == nullptr) {
            HRESULT hr = S_OK;
            CUnknown* clock = CSystemClock::CreateInstance(nullptr, &hr);
            if (clock == nullptr) return E_OUTOFMEMORY;
            clock->NonDelegatingAddRef();
            hr = clock->NonDelegatingQueryInterface(IID_IReferenceClock, reinterpret_cast<void**>(&m_pClock));
            clock->NonDelegatingRelease();
            if (FAILED(hr)) return hr;
        }
    }
    for (Entry& entry : m_filters) entry.filter->SetSyncSource(m_pClock);
    return S_OK;
}
