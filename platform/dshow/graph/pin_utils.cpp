#include "pin_utils.h"

namespace movanta::dshow {

std::vector<ComPtr<IPin>> PinsOf(IBaseFilter* filter) {
    std::vector<ComPtr<IPin>> pins;
    ComPtr<IEnumPins> pinEnum;
    if (FAILED(filter->EnumPins(pinEnum.Receive()))) return pins;
    ComPtr<IPin> pin;
    while (pinEnum->Next(1, pin.Receive(), nullptr) == S_OK) pins.push_back(pin);
    return pins;
}

std::vector<ComPtr<IPin>> PinsOf(IBaseFilter* filter, PIN_DIRECTION direction) {
    std::vector<ComPtr<IPin>> pins;
    for (ComPtr<IPin>& pin : PinsOf(filter)) {
        if (DirectionOf(pin.Get()) == direction) pins.push_back(pin);
    }
    return pins;
}

ComPtr<IBaseFilter> FilterOf(IPin* pin) {
    PIN_INFO info {};
    if (FAILED(pin->QueryPinInfo(&info))) return {};
    return ComPtr<IBaseFilter>::Adopt(info.pFilter);
}

ComPtr<IPin> PeerOf(IPin* pin) {
    ComPtr<IPin> peer;
    if (FAILED(pin->ConnectedTo(peer.Receive()))) peer.Reset();
    return peer;
}

PIN_DIRECTION DirectionOf(IPin* pin) {
    PIN_DIRECTION direction = PINDIR_INPUT;
    pin->QueryDirection(&direction);
    return direction;
}

std::wstring NameOf(IPin* pin) {
    PIN_INFO info {};
    if (FAILED(pin->QueryPinInfo(&info))) return {};
    if (info.pFilter != nullptr) info.pFilter->Release();
    return info.achName;
}

std::wstring NameOf(IBaseFilter* filter) {
    FILTER_INFO info {};
    if (FAILED(filter->QueryFilterInfo(&info))) return {};
    if (info.pGraph != nullptr) info.pGraph->Release();
    return info.achName;
}

std::vector<CMediaType> TypesOf(IPin* pin) {
    std::vector<CMediaType> types;
    AM_MEDIA_TYPE connection {};
    if (pin->ConnectionMediaType(&connection) == S_OK) {
        types.emplace_back(connection);
        FreeMediaType(connection);
        return types;
    }
    ComPtr<IEnumMediaTypes> typeEnum;
    if (FAILED(pin->EnumMediaTypes(typeEnum.Receive()))) return types;
    AM_MEDIA_TYPE* type = nullptr;
    ULONG fetched = 0;
    while (types.size() < 64 && typeEnum->Next(1, &type, &fetched) == S_OK && fetched == 1) {
        types.emplace_back(*type);
        DeleteMediaType(type);
    }
    return types;
}

bool IsRenderer(IBaseFilter* filter) {
    bool input = false;
    bool outputs = false;
    for (ComPtr<IPin>& pin : PinsOf(filter)) {
        if (DirectionOf(pin.Get()) == PINDIR_OUTPUT) {
            if (PeerOf(pin.Get())) return false;
            outputs = true;
        } else if (PeerOf(pin.Get())) {
            input = true;
        }
    }
    if (!input || !outputs) return input;
    // A filter left with an unconnected output (a decoder whose renderer
    // was taken away) ends no stream, unless it says it renders.
    IAMFilterMiscFlags* flags = nullptr;
    if (FAILED(filter->QueryInterface(IID_IAMFilterMiscFlags, reinterpret_cast<void**>(&flags)))) return false;
    const bool renders = (flags->GetMiscFlags() & AM_FILTER_MISC_FLAGS_IS_RENDERER) != 0;
    flags->Release();
    return renders;
}

bool FeedsInto(IBaseFilter* from, IBaseFilter* to, int depth) {
    if (from == to) return true;
    if (depth > 64) return false;  // deeper than any real graph: treat as unrelated
    for (ComPtr<IPin>& pin : PinsOf(from, PINDIR_OUTPUT)) {
        ComPtr<IPin> peer = PeerOf(pin.Get());
        if (!peer) continue;
        ComPtr<IBaseFilter> next = FilterOf(peer.Get());
        if (next && FeedsInto(next.Get(), to, depth + 1)) return true;
    }
    return false;
}

}  // namespace movanta::dshow
