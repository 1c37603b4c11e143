// Small questions the graph asks of filters and pins. Internal to the graph.
#pragma once

#include <string>
#include <vector>

#include "com/com_ptr.h"
#include "dshow/interfaces.h"
#include "dshow/mediatype.h"

namespace movanta::dshow {

std::vector<ComPtr<IPin>> PinsOf(IBaseFilter* filter);
std::vector<ComPtr<IPin>> PinsOf(IBaseFilter* filter, PIN_DIRECTION direction);
ComPtr<IBaseFilter> FilterOf(IPin* pin);
ComPtr<IPin> PeerOf(IPin* pin);
PIN_DIRECTION DirectionOf(IPin* pin);
std::wstring NameOf(IPin* pin);
std::wstring NameOf(IBaseFilter* filter);
// The pin's connection type when connected, else the types it prefers.
std::vector<CMediaType> TypesOf(IPin* pin);
// A sink: some input connected and no output pin, or no output connected
// and IAMFilterMiscFlags saying it renders.
bool IsRenderer(IBaseFilter* filter);
// True when data flows from `from` to `to` through connections.
bool FeedsInto(IBaseFilter* from, IBaseFilter* to, int depth = 0);

}  // namespace movanta::dshow
