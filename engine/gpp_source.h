// The ".3gp" source of the conversion and preview graphs: "Source" loads the
// file, and each of its first two streams goes through its decoder to the
// platform's renderers.
#pragma once

#include <string>

#include "engine/graph_session.h"

namespace movanta::engine {

// S_OK, or E_FAIL when the file cannot be loaded or a stream has no decoder.
HRESULT BuildGppSource(GraphSession& graph, const std::wstring& path);

}  // namespace movanta::engine
