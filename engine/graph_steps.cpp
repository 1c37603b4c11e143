#include "engine/graph_steps.h"

#include <vector>

#include "com/comapi.h"
#include "dshow/uuids.h"

namespace movanta::engine {
namespace {

struct PinCounts {
    int inputs = 0;
    int outputs = 0;
    ComPtr<IPin> input;
};

PinCounts CountPins(IBaseFilter* filter) {
    PinCounts counts;
    ComPtr<IEnumPins> pins;
    if (FAILED(filter->EnumPins(pins.Receive()))) return counts;
    ComPtr<IPin> held;
    while (pins->Next(1, held.Receive(), nullptr) == S_OK) {
        PIN_DIRECTION direction = PINDIR_INPUT;
        held->QueryDirection(&direction);
        if (direction == PINDIR_INPUT) {
            if (counts.inputs++ == 0) counts.input = held;
        } else {
            ++counts.outputs;
        }
    }
    return counts;
}

// The filter that owns `pin`.
ComPtr<IBaseFilter> OwnerOf(IPin* pin) {
    PIN_INFO info {};
    if (FAILED(pin->QueryPinInfo(&info))) return {};
    return ComPtr<IBaseFilter>::Adopt(info.pFilter);
}

}  // namespace

bool IsPinOf(IPin* pin, REFCLSID filterClass) {
    ComPtr<IBaseFilter> owner = pin != nullptr ? OwnerOf(pin) : ComPtr<IBaseFilter>();
    CLSID clsid {};
    return owner && SUCCEEDED(owner->GetClassID(&clsid)) && clsid == filterClass;
}

bool FirstType(IPin* pin, CMediaType& type) {
    ComPtr<IEnumMediaTypes> types;
    if (FAILED(pin->EnumMediaTypes(types.Receive()))) return false;
    AM_MEDIA_TYPE* first = nullptr;
    ULONG fetched = 0;
    if (types->Next(1, &first, &fetched) != S_OK || fetched != 1) return false;
    type = *first;
    DeleteMediaType(first);
    return true;
}

ComPtr<IBaseFilter> FindRenderer(IGraphBuilder* graph, REFGUID major) {
    ComPtr<IEnumFilters> filters;
    if (FAILED(graph->EnumFilters(filters.Receive()))) return {};
    ComPtr<IBaseFilter> held;
    while (filters->Next(1, held.Receive(), nullptr) == S_OK) {
        const PinCounts counts = CountPins(held.Get());
        if (counts.inputs != 1 || counts.outputs != 0) continue;
        AM_MEDIA_TYPE type {};
        if (counts.input->ConnectionMediaType(&type) != S_OK) continue;
        const bool wanted = type.majortype == major;
        FreeMediaType(type);
        if (wanted) return held;
    }
    return {};
}

TakeResult TakeFromRenderer(IGraphBuilder* graph, REFGUID major, bool removeOverlay, TakenStream& stream) {
    ComPtr<IBaseFilter> renderer = FindRenderer(graph, major);
    if (!renderer) return TakeResult::None;
    ComPtr<IPin> input = PinByIndex(renderer.Get(), PINDIR_INPUT, 0);
    if (!input || FAILED(input->ConnectedTo(stream.pin.Receive()))) return TakeResult::Failed;
    graph->RemoveFilter(renderer.Get());
    if (!removeOverlay) return TakeResult::Taken;
    if (!IsPinOf(stream.pin.Get(), CLSID_OverlayMixer)) return TakeResult::Taken;
    ComPtr<IBaseFilter> feeder = OwnerOf(stream.pin.Get());
    ComPtr<IPin> mixerInput = PinByIndex(feeder.Get(), PINDIR_INPUT, 0);
    ComPtr<IPin> mixerFeed;
    if (!mixerInput || FAILED(mixerInput->ConnectedTo(mixerFeed.Receive()))) return TakeResult::Failed;
    graph->RemoveFilter(feeder.Get());
    stream.pin = mixerFeed;
    stream.overlayRemoved = true;
    return TakeResult::Taken;
}

bool TakeStreams(IGraphBuilder* graph, TakenStream& audio, TakenStream& video) {
    return TakeFromRenderer(graph, MEDIATYPE_Audio, false, audio) != TakeResult::Failed &&
           TakeFromRenderer(graph, MEDIATYPE_Video, true, video) != TakeResult::Failed;
}

bool AddGargle(GraphSession& graph, ComPtr<IPin>& pin, ComPtr<IAudioEffect>& effect) {
    ComPtr<IPin> output;
    ComPtr<IBaseFilter> gargle;
    AddAndConnect(graph, CLSID_AudioGargle, L"audio gargle", pin.Get(), &output, &gargle);
    effect = gargle.As<IAudioEffect>(IID_IAudioEffect);
    if (!effect) return false;
    pin = output;
    return true;
}

HRESULT AddAndConnect(GraphSession& graph, REFCLSID clsid, LPCWSTR name, IPin* from, ComPtr<IPin>* output,
                      ComPtr<IBaseFilter>* added) {
    ComPtr<IBaseFilter> filter;
    HRESULT hr = graph.AddFilter(clsid, name, &filter);
    if (FAILED(hr)) return hr;
    if (added != nullptr) *added = filter;
    ComPtr<IPin> input = PinByIndex(filter.Get(), PINDIR_INPUT, 0);
    if (!input) return E_FAIL;
    hr = graph.graph->Connect(from, input.Get());
    if (output != nullptr) *output = PinByIndex(filter.Get(), PINDIR_OUTPUT, 0);
    return hr;
}

bool ChooseConverterFormat(IPin* converterOutput, int channels, int bitsPerSample, int samplesPerSecond) {
    if (converterOutput == nullptr) return false;
    ComPtr<IAMStreamConfig> config;
    if (FAILED(converterOutput->QueryInterface(IID_IAMStreamConfig, config.ReceiveVoid()))) return false;
    int count = 0;
    int size = 0;
    if (FAILED(config->GetNumberOfCapabilities(&count, &size)) || size <= 0 || size > 4096) return false;
    std::vector<BYTE> capabilities(static_cast<size_t>(size));
    for (int index = 0; index < count; ++index) {
        AM_MEDIA_TYPE* type = nullptr;
        if (FAILED(config->GetStreamCaps(index, &type, capabilities.data())) || type == nullptr) continue;
        const auto* format = type->formattype == FORMAT_WaveFormatEx && type->cbFormat >= 16
                                 ? reinterpret_cast<const WAVEFORMATEX*>(type->pbFormat)
                                 : nullptr;
        const bool match = format != nullptr && format->nChannels == channels &&
                           format->wBitsPerSample == bitsPerSample &&
                           format->nSamplesPerSec == static_cast<DWORD>(samplesPerSecond);
        if (match) {
            const bool set = SUCCEEDED(config->SetFormat(type));
            DeleteMediaType(type);
            return set;
        }
        DeleteMediaType(type);
    }
    return false;
}

}  // namespace movanta::engine
