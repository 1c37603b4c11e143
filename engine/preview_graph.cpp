#include "engine/preview_graph.h"

namespace movanta::engine {

// The preview graphs are built by the playback stage of the engine, which is
// not in this version: every preview ends with error 4 here.
HRESULT BuildPreviewGraph(CAVPreview&) {
    return E_NOTIMPL;
}
HRESULT BuildAudioOnlyGraph(CAVPreview&) {
    return E_NOTIMPL;
}
HRESULT BuildAudioDataGraph(CAVPreview&) {
    return E_NOTIMPL;
}

}  // namespace movanta::engine
