// The small graph operations the conversion and preview graphs are built
// from: finding the renderers, taking their streams, and asking a PCM
// converter for a format.
#pragma once

#include "com/com_ptr.h"
#include "dshow/interfaces.h"
#include "dshow/mediatype.h"
#include "engine/graph_session.h"
#include "outside/filters/effect_interfaces.h"

namespace movanta::engine {

// The filter with exactly one input pin and no output pin whose input is
// connected with `major`; null when there is none.
ComPtr<IBaseFilter> FindRenderer(IGraphBuilder* graph, REFGUID major);

// True when the pin belongs to a filter of the class `filterClass`.
bool IsPinOf(IPin* pin, REFCLSID filterClass);

// A stream taken from a renderer: the output pin that fed it, and whether
// an overlay mixer stood between (then `pin` fed the mixer, now removed).
struct TakenStream {
    ComPtr<IPin> pin;
    bool overlayRemoved = false;
};
enum class TakeResult { None, Taken, Failed };
// Removes the renderer of `major` and answers the pin that fed it. With
// `removeOverlay`, an overlay mixer feeding the renderer goes too.
TakeResult TakeFromRenderer(IGraphBuilder* graph, REFGUID major, bool removeOverlay, TakenStream& stream);

// Takes the audio stream, then the video stream (with an overlay mixer
// before its renderer), from their renderers; false when a renderer's
// input is not connected.
bool TakeStreams(IGraphBuilder* graph, TakenStream& audio, TakenStream& video);

// Adds "audio gargle" after `pin` and answers its effect interface; `pin`
// becomes its output. False when the filter or its interface is missing.
bool AddGargle(GraphSession& graph, ComPtr<IPin>& pin, ComPtr<IAudioEffect>& effect);

// The first media type a pin prefers.
bool FirstType(IPin* pin, CMediaType& type);

// Adds `clsid` as `name`, connects `from` to its input pin 0 (automatic
// connection), and answers its output pin 0 in `output` when asked. The
// added filter is answered in `added` when asked.
HRESULT AddAndConnect(GraphSession& graph, REFCLSID clsid, LPCWSTR name, IPin* from, ComPtr<IPin>* output,
                      ComPtr<IBaseFilter>* added = nullptr);

// Sets the first capability of a converter's output pin whose channels,
// bits and rate all equal the wanted ones; false when none does or the
// converter refuses it.
bool ChooseConverterFormat(IPin* converterOutput, int channels, int bitsPerSample, int samplesPerSecond);

}  // namespace movanta::engine
