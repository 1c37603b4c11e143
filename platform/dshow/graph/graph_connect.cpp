// Automatic connection: Connect and Render try a direct connection, then the
// filters already in the graph, then registered filters in order of merit
// whose input types match what the output pin offers. A path that fails
// leaves the graph as it found it: the connections made and the filters
// added on the way (also below a filter with several outputs) go again.
#include <algorithm>

#include "com/comapi.h"
#include "dshow/setup.h"
#include "graph.h"
#include "pin_utils.h"
#include "win/files.h"

using namespace movanta::dshow;

namespace {

constexpr int kMaxDepth = 5;

bool Matches(const RegisteredPin& pin, const std::vector<CMediaType>& offered) {
    if (pin.output) return false;
    if (pin.types.empty()) return true;
    for (const auto& [major, minor] : pin.types) {
        for (const CMediaType& type : offered) {
            if ((major == GUID_NULL || major == type.majortype) && (minor == GUID_NULL || minor == type.subtype)) {
                return true;
            }
        }
    }
    return false;
}

bool Accepts(const RegisteredFilter& filter, const std::vector<CMediaType>& offered) {
    for (const RegisteredPin& pin : filter.pins) {
        if (Matches(pin, offered)) return true;
    }
    return false;
}

// True when the stream is audio or video, by the pin's types.
bool IsMajor(IPin* pin, const GUID& major) {
    for (const CMediaType& type : TypesOf(pin)) {
        if (type.majortype == major) return true;
    }
    return false;
}

}  // namespace

CFilterGraph::Mark CFilterGraph::TakeMark() {
    Mark mark;
    std::vector<IBaseFilter*> filters = FiltersSnapshot();
    for (IBaseFilter* filter : filters) {
        mark.filters.push_back(filter);
        for (ComPtr<IPin>& pin : PinsOf(filter)) {
            if (PeerOf(pin.Get())) mark.connected.push_back(pin.Get());
        }
    }
    ReleaseAll(filters);
    return mark;
}

void CFilterGraph::RestoreMark(const Mark& mark) {
    const auto in = [](const auto& list, const auto* item) {
        return std::find(list.begin(), list.end(), item) != list.end();
    };
    std::vector<IBaseFilter*> filters = FiltersSnapshot();
    for (IBaseFilter* filter : filters) {
        for (ComPtr<IPin>& pin : PinsOf(filter)) {
            ComPtr<IPin> peer = PeerOf(pin.Get());
            if (!peer || in(mark.connected, pin.Get())) continue;
            peer->Disconnect();
            pin->Disconnect();
        }
    }
    for (IBaseFilter* filter : filters) {
        if (!in(mark.filters, filter)) RemoveFilter(filter);
    }
    ReleaseAll(filters);
}

HRESULT CFilterGraph::TryIntermediate(IPin* output, IBaseFilter* filter, IPin* input, int depth) {
    for (ComPtr<IPin>& in : PinsOf(filter, PINDIR_INPUT)) {
        if (PeerOf(in.Get())) continue;
        const Mark mark = TakeMark();
        if (FAILED(output->Connect(in.Get(), nullptr))) continue;
        HRESULT hr = VFW_E_CANNOT_CONNECT;
        if (input != nullptr) {
            for (ComPtr<IPin>& out : PinsOf(filter, PINDIR_OUTPUT)) {
                if (!PeerOf(out.Get()) && SUCCEEDED(ConnectVia(out.Get(), input, depth + 1))) {
                    hr = S_OK;
                    break;
                }
            }
        } else {
            hr = RenderOutputs(filter, depth);
        }
        if (hr == S_OK) return S_OK;
        RestoreMark(mark);
    }
    return VFW_E_CANNOT_CONNECT;
}

HRESULT CFilterGraph::RenderOutputs(IBaseFilter* filter, int depth) {
    std::vector<ComPtr<IPin>> outputs = PinsOf(filter, PINDIR_OUTPUT);
    for (ComPtr<IPin>& out : outputs) {
        if (PeerOf(out.Get())) continue;
        if (FAILED(RenderVia(out.Get(), depth + 1))) return VFW_E_CANNOT_RENDER;
    }
    return S_OK;
}

// Renders (input null) or connects (input given) `output` through one more
// filter: those in the graph first, then registered ones by merit.
HRESULT CFilterGraph::ConnectVia(IPin* output, IPin* input, int depth) {
    if (input != nullptr && SUCCEEDED(output->Connect(input, nullptr))) return S_OK;
    if (depth > kMaxDepth) return VFW_E_CANNOT_CONNECT;
    ComPtr<IBaseFilter> outputFilter = FilterOf(output);
    ComPtr<IBaseFilter> inputFilter = input != nullptr ? FilterOf(input) : ComPtr<IBaseFilter>();

    std::vector<IBaseFilter*> present = FiltersSnapshot();
    for (IBaseFilter* filter : present) {
        if (filter == outputFilter.Get() || filter == inputFilter.Get()) continue;
        if (FeedsInto(filter, outputFilter.Get())) continue;  // would make a loop
        if (SUCCEEDED(TryIntermediate(output, filter, input, depth))) {
            ReleaseAll(present);
            return S_OK;
        }
    }
    ReleaseAll(present);

    const std::vector<CMediaType> offered = TypesOf(output);
    for (const RegisteredFilter& candidate : RegisteredFilters()) {
        if (candidate.merit <= MERIT_DO_NOT_USE || !Accepts(candidate, offered)) continue;
        ComPtr<IBaseFilter> filter;
        if (FAILED(CoCreateInstance(candidate.clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                    filter.ReceiveVoid()))) {
            continue;
        }
        if (FAILED(AddFilter(filter.Get(), candidate.name.c_str()))) continue;
        if (SUCCEEDED(TryIntermediate(output, filter.Get(), input, depth))) return S_OK;
        RemoveFilter(filter.Get());
    }
    return input != nullptr ? VFW_E_CANNOT_CONNECT : VFW_E_CANNOT_RENDER;
}

HRESULT CFilterGraph::RenderVia(IPin* output, int depth) {
    return ConnectVia(output, nullptr, depth);
}

HRESULT CFilterGraph::Connect(IPin* output, IPin* input) {
    if (output == nullptr || input == nullptr) return E_POINTER;
    if (!PinInGraph(output) || !PinInGraph(input)) return VFW_E_NOT_IN_GRAPH;
    if (DirectionOf(output) != PINDIR_OUTPUT || DirectionOf(input) != PINDIR_INPUT) return VFW_E_INVALID_DIRECTION;
    if (PeerOf(output) || PeerOf(input)) return VFW_E_ALREADY_CONNECTED;
    CAutoLock lock(&m_lock);
    if (m_state != State_Stopped) return VFW_E_NOT_STOPPED;
    return ConnectVia(output, input, 0);
}

HRESULT CFilterGraph::Render(IPin* output) {
    if (output == nullptr) return E_POINTER;
    if (!PinInGraph(output)) return VFW_E_NOT_IN_GRAPH;
    if (DirectionOf(output) != PINDIR_OUTPUT) return VFW_E_INVALID_DIRECTION;
    if (PeerOf(output)) return VFW_E_ALREADY_CONNECTED;
    CAutoLock lock(&m_lock);
    if (m_state != State_Stopped) return VFW_E_NOT_STOPPED;
    return RenderVia(output, 0);
}

HRESULT CFilterGraph::AddSourceFilter(LPCWSTR file, LPCWSTR name, IBaseFilter** filter) {
    if (file == nullptr || filter == nullptr) return E_POINTER;
    *filter = nullptr;
    const DWORD attributes = GetFileAttributesW(file);
    if (attributes == INVALID_FILE_ATTRIBUTES) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return VFW_E_UNKNOWN_FILE_TYPE;
    CLSID clsid {};
    if (!SourceFilterForFile(file, clsid)) return VFW_E_UNKNOWN_FILE_TYPE;
    ComPtr<IBaseFilter> source;
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, source.ReceiveVoid()))) {
        return VFW_E_CANNOT_LOAD_SOURCE_FILTER;
    }
    auto loader = source.As<IFileSourceFilter>(IID_IFileSourceFilter);
    if (!loader) return VFW_E_CANNOT_LOAD_SOURCE_FILTER;
    HRESULT hr = AddFilter(source.Get(), name != nullptr ? name : file);
    if (FAILED(hr)) return hr;
    const HRESULT loaded = loader->Load(file, nullptr);
    if (FAILED(loaded)) {
        RemoveFilter(source.Get());
        return loaded;
    }
    *filter = source.Detach();
    return hr;
}

HRESULT CFilterGraph::RenderFile(LPCWSTR file, LPCWSTR) {
    if (file == nullptr) return E_POINTER;
    ComPtr<IBaseFilter> source;
    const HRESULT added = AddSourceFilter(file, nullptr, source.Receive());
    if (FAILED(added)) return added;
    CAutoLock lock(&m_lock);
    if (m_state != State_Stopped) return VFW_E_NOT_STOPPED;
    int rendered = 0;
    int failed = 0;
    bool failedAudio = false;
    bool failedVideo = false;
    bool failedOther = false;
    for (ComPtr<IPin>& pin : PinsOf(source.Get(), PINDIR_OUTPUT)) {
        if (SUCCEEDED(RenderVia(pin.Get(), 0))) {
            ++rendered;
            continue;
        }
        ++failed;
        const bool audio = IsMajor(pin.Get(), MEDIATYPE_Audio);
        const bool video = IsMajor(pin.Get(), MEDIATYPE_Video);
        failedAudio |= audio;
        failedVideo |= video;
        failedOther |= !audio && !video;
    }
    if (rendered == 0) {
        RemoveFilter(source.Get());
        return VFW_E_CANNOT_RENDER;
    }
    if (failed == 0) return added;  // S_OK or VFW_S_DUPLICATE_NAME
    if (failedAudio && !failedVideo && !failedOther) return VFW_S_AUDIO_NOT_RENDERED;
    if (failedVideo && !failedAudio && !failedOther) return VFW_S_VIDEO_NOT_RENDERED;
    return VFW_S_PARTIAL_RENDER;
}
